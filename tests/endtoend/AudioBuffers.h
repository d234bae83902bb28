#pragma once

#include <cstdint>
#include <vector>

// Two-channel buffers laid out as a host hands them over: an array of channel pointers.
struct StereoBuffers {
    explicit StereoBuffers(std::int32_t frames, float fill = 0.0f)
        : left(static_cast<std::size_t>(frames), fill),
          right(static_cast<std::size_t>(frames), fill) {
        channels[0] = left.data();
        channels[1] = right.data();
    }
    float** data() { return channels; }

    std::vector<float> left;
    std::vector<float> right;
    float* channels[2];
};
