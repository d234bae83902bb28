#include "host/cli/io/AudioReader.h"

#include <cmath>

#include "host/cli/CommandError.h"
#include "host/cli/io/RegularFile.h"

AudioReader::AudioReader(const std::string& path) : path(path) {
    RegularFile file(path, path, kExitAudio);
    sound = sf_open_fd(file.releaseDescriptor(), SFM_READ, &info, SF_TRUE);
    if (!sound) {
        throw CommandError(kExitAudio, path + ": not an audio file that can be read (" +
                                           sf_strerror(nullptr) + ")");
    }
    if (info.channels < 1 || info.channels > 2) {
        const int channels = info.channels;
        sf_close(sound);
        throw CommandError(kExitAudio, path + " has " + std::to_string(channels) +
                                           " channels; only mono and stereo files are taken");
    }
    if (info.samplerate <= 0) {
        sf_close(sound);
        throw CommandError(kExitAudio, path + ": no valid sample rate");
    }
}

AudioReader::~AudioReader() { sf_close(sound); }

std::int64_t AudioReader::read(float* interleaved, std::int64_t frames) {
    const sf_count_t got = sf_readf_float(sound, interleaved, frames);
    if (sf_error(sound) != SF_ERR_NO_ERROR) {
        throw CommandError(kExitAudio, path + ": damaged audio data (" + sf_strerror(sound) + ")");
    }
    for (sf_count_t i = 0; i < got * info.channels; ++i) {
        if (!std::isfinite(interleaved[i])) {
            throw CommandError(kExitAudio, path + ": holds samples that are not finite");
        }
    }
    framesRead += got;
    if (got == 0 && framesRead < info.frames) {
        throw CommandError(kExitAudio, path + ": truncated; the header announces " +
                                           std::to_string(info.frames) +
                                           " frames, the file holds " + std::to_string(framesRead));
    }
    return got;
}
