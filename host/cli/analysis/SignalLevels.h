#pragma once

#include <cstdint>
#include <vector>

#include "host/cli/analysis/BandLevelMeter.h"

// The peak and the level above a frequency of a planar signal, measured as it streams past.
// Levels over the channels are the level of their mean power.
class SignalLevels {
public:
    SignalLevels(int channels, double sampleRate, double lowHz);

    void add(const std::vector<std::vector<float>>& channels, std::int32_t offset,
             std::int32_t frames);
    double peakDbfs() const;
    double bandDbfs();

    // An amplitude in dB; -300 dB stands for silence.
    static double amplitudeToDb(double amplitude);

private:
    std::vector<BandLevelMeter> meters;
    float peak = 0.0f;
};
