#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/cli/io/AudioBuffer.h"

// Reading and writing audio files through libsndfile. Errors become CommandError lines.
class AudioFile {
public:
    // Reads any format libsndfile reads; only mono and stereo files are accepted.
    static AudioBuffer read(const std::string& path);

    // Writes the buffer in the format the extension names; `bits` is "16", "24", "32f" or empty
    // for a sensible default (the source's depth where the format holds it, else 24-bit).
    // Integer formats are rounded and clipped here so that reading back gives the same values;
    // the result counts the clipped samples. The file appears only when complete.
    static std::int64_t write(const std::string& path, const AudioBuffer& audio,
                              const std::string& bits = "");

    // The libsndfile major format an output extension names; throws CommandError if none.
    static int majorFormatFor(const std::string& path);
};
