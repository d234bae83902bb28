#pragma once

#include <cstdint>

// Scales every channel by one gain. A gain of exactly 0 writes zeros, whatever the input
// holds, so a muted path stays silent even after non-finite input.
class GainStage {
public:
    GainStage(std::int32_t channels, float gain) : channels(channels), gain(gain) {}

    void setGain(float newGain) { gain = newGain; }
    float getGain() const { return gain; }

    // An output channel may be its input channel.
    void process(const float* const* inputs, float* const* outputs, std::int32_t frames) const;

private:
    std::int32_t channels;
    float gain;
};
