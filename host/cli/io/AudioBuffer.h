#pragma once

#include <cstdint>
#include <vector>

// Planar audio in memory: one vector of float samples per channel, all of equal length.
struct AudioBuffer {
    double sampleRate = 44100.0;
    std::vector<std::vector<float>> channels;
    // The libsndfile subtype the samples were read from (0 when they were made in memory).
    int sourceSubtype = 0;

    std::int64_t frames() const {
        return channels.empty() ? 0 : static_cast<std::int64_t>(channels[0].size());
    }
    int channelCount() const { return static_cast<int>(channels.size()); }
};
