#pragma once

#include <cstdint>

#include "host/cli/io/AudioBuffer.h"

// A short stereo piece made by code, for demonstrations and benchmarks: drums (kick, snare,
// hi-hat), a bass line and a chord pad over four chords at 120 beats per minute. The same
// arguments always give the same samples. Peaks sit at -6 dBFS, leaving headroom for an effect.
class DemoSignal {
public:
    explicit DemoSignal(double sampleRate);

    AudioBuffer render(double seconds);

private:
    void addKick(std::vector<float>& left, std::vector<float>& right, std::int64_t start);
    void addSnare(std::vector<float>& left, std::vector<float>& right, std::int64_t start);
    void addHat(std::vector<float>& left, std::vector<float>& right, std::int64_t start,
                float level);
    void addBassNote(std::vector<float>& left, std::vector<float>& right, std::int64_t start,
                     std::int64_t length, double frequencyHz);
    void addChord(std::vector<float>& left, std::vector<float>& right, std::int64_t start,
                  std::int64_t length, const double (&frequenciesHz)[3]);
    float noise();

    double sampleRate;
    std::uint32_t noiseState = 0x2545F491u;
};
