#include "host/cli/io/AudioWriter.h"

#include <sndfile.h>

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

int integerBitsOf(int subtype) {
    switch (subtype) {
        case SF_FORMAT_PCM_16: return 16;
        case SF_FORMAT_PCM_24: return 24;
        case SF_FORMAT_PCM_32: return 32;
        default: return 0;
    }
}

}  // namespace

int AudioWriter::majorFormatFor(const std::string& path) {
    OutputFile::refuseDirectory(path);
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
        kExitUsage, path + ": unsupported output format" +
                        (extension.empty() ? " (no extension)" : " ." + extension) +
                        "; use .wav, .flac, .aiff, .ogg, .caf, .w64 or another libsndfile format");
}

AudioWriter::AudioWriter(const std::string& path, double sampleRate, int channels,
                         const std::string& bits, int sourceSubtype)
    : path(path), channels(channels) {
    const int major = majorFormatFor(path);
    const int subtype = subtypeFor(major, bits, sourceSubtype, channels, path);
    SF_INFO info = {};
    info.samplerate = static_cast<int>(std::lround(sampleRate));
    info.channels = channels;
    info.format = major | subtype;
    if (!sf_format_check(&info)) {
        throw CommandError(kExitAudio, path +
                                           ": libsndfile cannot write this combination of "
                                           "format, sample rate and channels");
    }
    output = std::make_unique<OutputFile>(path);
    sound = sf_open_fd(output->releaseDescriptor(), SFM_WRITE, &info, SF_TRUE);
    if (!sound) {
        throw CommandError(kExitOutput, "cannot write " + path + ": " + sf_strerror(nullptr));
    }
    integerBits = integerBitsOf(subtype);
    if (integerBits == 0) sf_command(sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioWriter::~AudioWriter() {
    if (sound) sf_close(sound);
}

void AudioWriter::write(const float* interleaved, std::int64_t frames) {
    const std::int64_t samples = frames * channels;
    sf_count_t written = 0;
    if (integerBits) {
        // Integers are scaled by 2^(bits-1) and left-aligned in 32 bits, the inverse of how
        // libsndfile reads them, so a file read and written unchanged keeps every sample.
        const double scale = std::ldexp(1.0, integerBits - 1);
        const double largest = scale - 1.0;
        const int shift = 32 - integerBits;
        integers.resize(static_cast<std::size_t>(samples));
        for (std::int64_t i = 0; i < samples; ++i) {
            const float sample = std::isfinite(interleaved[i]) ? interleaved[i] : 0.0f;
            double value = std::nearbyint(sample * scale);
            if (value > largest || value < -scale) {
                ++clippedSamples;
                value = std::clamp(value, -scale, largest);
            }
            integers[static_cast<std::size_t>(i)] =
                static_cast<int>(static_cast<std::int64_t>(value) * (std::int64_t{1} << shift));
        }
        written = sf_writef_int(sound, integers.data(), frames);
    } else {
        written = sf_writef_float(sound, interleaved, frames);
    }
    if (written != frames) {
        throw CommandError(kExitOutput, "cannot write " + path + ": " + sf_strerror(sound));
    }
}

void AudioWriter::commit() {
    const int closed = sf_close(sound);
    sound = nullptr;
    if (closed != 0) throw CommandError(kExitOutput, "cannot write " + path + ": closing failed");
    output->commit();
}

std::int64_t AudioWriter::writeAll(const std::string& path, const AudioBuffer& audio,
                                   const std::string& bits) {
    const int channels = audio.channelCount();
    AudioWriter writer(path, audio.sampleRate, channels, bits, audio.sourceSubtype);
    std::vector<float> interleaved;
    const std::int64_t frames = audio.frames();
    for (std::int64_t done = 0; done < frames; done += kChunkFrames) {
        const std::int64_t count = std::min<std::int64_t>(kChunkFrames, frames - done);
        interleaved.resize(static_cast<std::size_t>(count * channels));
        for (std::int64_t i = 0; i < count; ++i) {
            for (int c = 0; c < channels; ++c) {
                interleaved[static_cast<std::size_t>(i * channels + c)] =
                    audio.channels[static_cast<std::size_t>(c)][static_cast<std::size_t>(done + i)];
            }
        }
        writer.write(interleaved.data(), count);
    }
    writer.commit();
    return writer.clipped();
}
