#include "host/cli/io/AudioFile.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

#include "host/cli/CommandError.h"
#include "host/cli/io/OutputFile.h"

namespace {

constexpr sf_count_t kChunkFrames = 65536;

std::string lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string extensionOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return lowercase(path.substr(dot + 1));
}

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

int subtypeFor(int major, const std::string& bits, int sourceSubtype, int channels,
               const std::string& path) {
    auto accepted = [&](int subtype) {
        SF_INFO probe = {};
        probe.samplerate = 44100;
        probe.channels = channels;
        probe.format = major | subtype;
        return sf_format_check(&probe) != 0;
    };
    if (!bits.empty()) {
        int subtype = 0;
        if (bits == "16") subtype = SF_FORMAT_PCM_16;
        if (bits == "24") subtype = SF_FORMAT_PCM_24;
        if (bits == "32f") subtype = SF_FORMAT_FLOAT;
        if (subtype == 0) {
            throw CommandError(kExitUsage, "--bits " + bits + ": expected 16, 24 or 32f");
        }
        if (!accepted(subtype)) {
            const std::string kind = bits == "32f" ? "32-bit float" : bits + "-bit";
            throw CommandError(kExitAudio, path + ": ." + extensionOf(path) +
                                               " files cannot hold " + kind + " samples");
        }
        return subtype;
    }
    const int source = sourceSubtype & SF_FORMAT_SUBMASK;
    int preferred = SF_FORMAT_PCM_24;
    if (source == SF_FORMAT_PCM_16 || source == SF_FORMAT_PCM_S8 || source == SF_FORMAT_PCM_U8) {
        preferred = SF_FORMAT_PCM_16;
    } else if (source == SF_FORMAT_FLOAT || source == SF_FORMAT_DOUBLE) {
        preferred = SF_FORMAT_FLOAT;
    }
    const int candidates[] = {
        preferred,        SF_FORMAT_PCM_24, SF_FORMAT_PCM_16,        SF_FORMAT_FLOAT,
        SF_FORMAT_VORBIS, SF_FORMAT_OPUS,   SF_FORMAT_MPEG_LAYER_III};
    for (int subtype : candidates) {
        if (accepted(subtype)) return subtype;
    }
    throw CommandError(kExitAudio, path + ": libsndfile writes no ." + extensionOf(path) +
                                       " file with " + std::to_string(channels) + " channels");
}

int integerBits(int subtype) {
    switch (subtype) {
        case SF_FORMAT_PCM_16: return 16;
        case SF_FORMAT_PCM_24: return 24;
        case SF_FORMAT_PCM_32: return 32;
        default: return 0;
    }
}

}  // namespace

AudioBuffer AudioFile::read(const std::string& path) {
    struct stat file;
    if (stat(path.c_str(), &file) != 0) {
        throw CommandError(kExitAudio, path + ": " + std::strerror(errno));
    }
    if (S_ISDIR(file.st_mode)) throw CommandError(kExitAudio, path + ": is a directory");
    if (access(path.c_str(), R_OK) != 0) {
        throw CommandError(kExitAudio, path + ": " + std::strerror(errno));
    }
    SF_INFO info = {};
    std::unique_ptr<SNDFILE, SoundFileCloser> sound(sf_open(path.c_str(), SFM_READ, &info));
    if (!sound) {
        throw CommandError(kExitAudio, path + ": not an audio file that can be read (" +
                                           sf_strerror(nullptr) + ")");
    }
    if (info.channels < 1 || info.channels > 2) {
        throw CommandError(kExitAudio, path + " has " + std::to_string(info.channels) +
                                           " channels; only mono and stereo files are taken");
    }
    if (info.samplerate <= 0) throw CommandError(kExitAudio, path + ": no valid sample rate");

    AudioBuffer audio;
    audio.sampleRate = info.samplerate;
    audio.sourceSubtype = info.format & SF_FORMAT_SUBMASK;
    audio.channels.assign(static_cast<std::size_t>(info.channels), {});
    std::vector<float> interleaved(static_cast<std::size_t>(kChunkFrames * info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_float(sound.get(), interleaved.data(), kChunkFrames);
        if (got <= 0) break;
        for (int c = 0; c < info.channels; ++c) {
            std::vector<float>& channel = audio.channels[static_cast<std::size_t>(c)];
            for (sf_count_t i = 0; i < got; ++i) {
                channel.push_back(interleaved[static_cast<std::size_t>(i * info.channels + c)]);
            }
        }
    }
    if (sf_error(sound.get()) != SF_ERR_NO_ERROR) {
        throw CommandError(kExitAudio,
                           path + ": damaged audio data (" + sf_strerror(sound.get()) + ")");
    }
    if (info.frames > 0 && audio.frames() < info.frames) {
        throw CommandError(
            kExitAudio, path + ": truncated; the header announces " + std::to_string(info.frames) +
                            " frames, the file holds " + std::to_string(audio.frames()));
    }
    for (const std::vector<float>& channel : audio.channels) {
        for (float sample : channel) {
            if (!std::isfinite(sample)) {
                throw CommandError(kExitAudio, path + ": holds samples that are not finite");
            }
        }
    }
    return audio;
}

int AudioFile::majorFormatFor(const std::string& path) {
    const std::string extension = extensionOf(path);
    if (extension == "aif") return SF_FORMAT_AIFF;
    if (extension == "ogg") return SF_FORMAT_OGG;
    if (!extension.empty()) {
        int count = 0;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
        for (int i = 0; i < count; ++i) {
            SF_FORMAT_INFO format = {};
            format.format = i;
            sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &format, sizeof format);
            if (format.extension && extension == format.extension) return format.format;
        }
    }
    throw CommandError(
        kExitAudio, path + ": unsupported output format" +
                        (extension.empty() ? " (no extension)" : " ." + extension) +
                        "; use .wav, .flac, .aiff, .ogg, .caf, .w64 or another libsndfile format");
}

std::int64_t AudioFile::write(const std::string& path, const AudioBuffer& audio,
                              const std::string& bits) {
    const int major = majorFormatFor(path);
    const int channels = audio.channelCount();
    const int subtype = subtypeFor(major, bits, audio.sourceSubtype, channels, path);
    SF_INFO info = {};
    info.samplerate = static_cast<int>(std::lround(audio.sampleRate));
    info.channels = channels;
    info.format = major | subtype;
    if (!sf_format_check(&info)) {
        throw CommandError(kExitAudio, path +
                                           ": libsndfile cannot write this combination of "
                                           "format, sample rate and channels");
    }

    OutputFile output(path);
    std::unique_ptr<SNDFILE, SoundFileCloser> sound(
        sf_open_fd(output.releaseDescriptor(), SFM_WRITE, &info, SF_TRUE));
    if (!sound) {
        throw CommandError(kExitOutput, "cannot write " + path + ": " + sf_strerror(nullptr));
    }
    const int bitsInteger = integerBits(subtype);
    if (bitsInteger == 0) sf_command(sound.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);

    std::int64_t clipped = 0;
    const std::int64_t frames = audio.frames();
    std::vector<float> floats;
    std::vector<int> integers;
    // Integers are scaled by 2^(bits-1) and left-aligned in 32 bits, the inverse of how
    // libsndfile reads them, so a file read and written unchanged keeps every sample.
    const double scale = bitsInteger ? std::ldexp(1.0, bitsInteger - 1) : 1.0;
    const double largest = scale - 1.0;
    const int shift = 32 - bitsInteger;
    for (std::int64_t done = 0; done < frames; done += kChunkFrames) {
        const std::int64_t count = std::min<std::int64_t>(kChunkFrames, frames - done);
        sf_count_t written = 0;
        if (bitsInteger) {
            integers.resize(static_cast<std::size_t>(count * channels));
            for (std::int64_t i = 0; i < count; ++i) {
                for (int c = 0; c < channels; ++c) {
                    double value =
                        std::nearbyint(audio.channels[static_cast<std::size_t>(c)]
                                                     [static_cast<std::size_t>(done + i)] *
                                       scale);
                    if (value > largest || value < -scale) {
                        ++clipped;
                        value = std::clamp(value, -scale, largest);
                    }
                    const std::int64_t aligned =
                        static_cast<std::int64_t>(value) * (std::int64_t{1} << shift);
                    integers[static_cast<std::size_t>(i * channels + c)] =
                        static_cast<int>(aligned);
                }
            }
            written = sf_writef_int(sound.get(), integers.data(), count);
        } else {
            floats.resize(static_cast<std::size_t>(count * channels));
            for (std::int64_t i = 0; i < count; ++i) {
                for (int c = 0; c < channels; ++c) {
                    floats[static_cast<std::size_t>(i * channels + c)] =
                        audio.channels[static_cast<std::size_t>(c)]
                                      [static_cast<std::size_t>(done + i)];
                }
            }
            written = sf_writef_float(sound.get(), floats.data(), count);
        }
        if (written != count) {
            throw CommandError(kExitOutput,
                               "cannot write " + path + ": " + sf_strerror(sound.get()));
        }
    }
    if (sf_close(sound.release()) != 0) {
        throw CommandError(kExitOutput, "cannot write " + path + ": closing failed");
    }
    output.commit();
    return clipped;
}
