#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>

// An audio file read piece by piece through libsndfile: any format it reads, mono or stereo,
// from a regular file only. Errors become CommandError lines (audio file).
class AudioReader {
public:
    explicit AudioReader(const std::string& path);
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int channelCount() const { return info.channels; }
    double sampleRate() const { return info.samplerate; }
    // The libsndfile subtype of the samples, e.g. SF_FORMAT_PCM_16.
    int subtype() const { return info.format & SF_FORMAT_SUBMASK; }
    // The length the header announces.
    std::int64_t frames() const { return info.frames; }

    // Reads up to `frames` interleaved frames; 0 at the end. Throws for damaged data, samples
    // that are not finite, and a file that ends before the length its header announces.
    std::int64_t read(float* interleaved, std::int64_t frames);

private:
    std::string path;
    SF_INFO info = {};
    SNDFILE* sound = nullptr;
    std::int64_t framesRead = 0;
};
