#pragma once

#include <cstddef>
#include <vector>

#include "host/cli/analysis/Fft.h"

// The power of a signal from `lowHz` up to Nyquist in dBFS (the level of a sine of that power),
// measured as the samples arrive, holding at most one transform's worth of them. A signal of
// up to 65536 samples is one rectangular transform of it whole; a longer one is the mean of
// Hann-windowed transforms of 65536 samples, half overlapping, over every full segment.
class BandLevelMeter {
public:
    BandLevelMeter(double sampleRate, double lowHz);

    void add(const float* samples, std::size_t count);
    // The level of everything added so far.
    double levelDbfs();

    // A mean square as the level of a sine of that power; -300 dBFS stands for silence.
    static double powerToDbfs(double meanSquare);

private:
    double bandSum(const Fft& fft, const std::vector<double>& segment) const;
    void measureSegment();

    double sampleRate;
    double lowHz;
    Fft segmentFft;
    std::vector<double> window;
    double windowPower = 0.0;
    std::vector<float> held;  // the samples of the segment being filled
    std::vector<double> segment;
    double total = 0.0;
    int segments = 0;
};
