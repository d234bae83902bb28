#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/cli/io/AudioBuffer.h"
#include "host/cli/io/OutputFile.h"

// An audio file written piece by piece through libsndfile, in the format its extension names.
// It appears under its name only on `commit`; until then it is a temporary file beside it,
// removed when the writer goes away uncommitted. Errors become CommandError lines.
class AudioWriter {
public:
    // `bits` is "16", "24", "32f" or empty for a sensible default (the source's depth where the
    // format holds it, else 24-bit).
    AudioWriter(const std::string& path, double sampleRate, int channels, const std::string& bits,
                int sourceSubtype);
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // Writes interleaved frames. Integer formats are rounded and clipped here so that reading
    // back gives the same values; a sample that is not finite is written as 0 (the caller
    // decides whether such a file may be committed).
    void write(const float* interleaved, std::int64_t frames);
    // Samples clipped so far.
    std::int64_t clipped() const { return clippedSamples; }
    void commit();

    // Writes a whole buffer; answers the samples clipped.
    static std::int64_t writeAll(const std::string& path, const AudioBuffer& audio,
                                 const std::string& bits = "");
    // The libsndfile major format an output extension names; throws CommandError (command
    // line) if none, and (output) when the path is a directory.
    static int majorFormatFor(const std::string& path);

private:
    std::string path;
    std::unique_ptr<OutputFile> output;
    SNDFILE* sound = nullptr;
    int channels;
    int integerBits;
    std::int64_t clippedSamples = 0;
    std::vector<int> integers;
};
