#pragma once

#include <cstdint>
#include <vector>

class PluginSession;

struct ResponsePoint {
    double frequencyHz;
    double magnitudeDb;
    double phaseDegrees;  // after removing the plug-in's reported latency
};

struct SpectrumPoint {
    double frequencyHz;
    double outputDbfs;
    double inputDbfs;
};

struct HarmonicLevel {
    int order;  // 1 is the fundamental
    double frequencyHz;
    double levelDbfs;
};

struct HarmonicSpectrum {
    double sineHz;
    double sineDbfs;
    std::vector<SpectrumPoint> spectrum;
    std::vector<HarmonicLevel> harmonics;
    // Output energy from 10 kHz to Nyquist, as the level of a sine of that power.
    double energyAbove10kHzDbfs;
};

// Measurements of a plug-in through the interface. Levels in dBFS are those of a sine of the
// same power, so a full-scale sine reads 0 dBFS. The session's settings are used as they are.
class PluginAnalyzer {
public:
    PluginAnalyzer(PluginSession& session, double sampleRate, std::int32_t blockSize);

    // Impulse response, latency removed, as magnitude and phase on a logarithmic frequency grid.
    // Meaningful where the plug-in is linear at its current settings.
    std::vector<ResponsePoint> magnitudeResponse();
    // The spectrum of a steady sine after the plug-in (Blackman-Harris window, sine centred on a
    // bin, so its leakage stays below -90 dB), and the level of each harmonic.
    HarmonicSpectrum harmonicSpectrum(double sineHz, double sineDbfs);

private:
    PluginSession& session;
    double sampleRate;
    std::int32_t blockSize;
};
