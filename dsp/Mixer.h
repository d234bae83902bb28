#pragma once

#include <cstdint>

// Adds a signal into an existing one: output = dry * output + wet * input, in float. A factor
// of exactly 1 is not multiplied.
class Mixer {
public:
    Mixer(std::int32_t channels, float wet, float dry) : channels(channels), wet(wet), dry(dry) {}

    void setFactors(float newWet, float newDry) {
        wet = newWet;
        dry = newDry;
    }
    float getWet() const { return wet; }
    float getDry() const { return dry; }

    void process(const float* const* inputs, float* const* outputs, std::int32_t frames) const;

private:
    std::int32_t channels;
    float wet;
    float dry;
};
