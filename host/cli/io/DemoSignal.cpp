#include "host/cli/io/DemoSignal.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBeatSeconds = 0.5;  // 120 beats per minute
constexpr int kBeatsPerBar = 4;
constexpr double kPeakLevel = 0.5;  // -6 dBFS
constexpr double kTwoPi = 2.0 * M_PI;

// Am, F, C, G: the roots for the bass, the triads for the pad.
constexpr double kBassRootsHz[] = {55.0, 43.654, 65.406, 48.999};
constexpr double kChordsHz[][3] = {
    {220.0, 261.626, 329.628},
    {174.614, 220.0, 261.626},
    {261.626, 329.628, 391.995},
    {195.998, 246.942, 293.665},
};

void addSample(std::vector<float>& channel, std::int64_t at, double value) {
    if (at >= 0 && at < static_cast<std::int64_t>(channel.size())) {
        channel[static_cast<std::size_t>(at)] += static_cast<float>(value);
    }
}

}  // namespace

DemoSignal::DemoSignal(double sampleRate) : sampleRate(sampleRate) {}

float DemoSignal::noise() {
    // xorshift32: repeatable white noise in [-1, 1)
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 17;
    noiseState ^= noiseState << 5;
    return static_cast<float>(noiseState) / 2147483648.0f - 1.0f;
}

void DemoSignal::addKick(std::vector<float>& left, std::vector<float>& right, std::int64_t start) {
    const std::int64_t length = static_cast<std::int64_t>(0.4 * sampleRate);
    double phase = 0.0;
    for (std::int64_t n = 0; n < length; ++n) {
        const double t = n / sampleRate;
        const double frequency = 50.0 + 110.0 * std::exp(-t / 0.04);
        phase += kTwoPi * frequency / sampleRate;
        const double value = 0.9 * std::sin(phase) * std::exp(-t / 0.22);
        addSample(left, start + n, value);
        addSample(right, start + n, value);
    }
}

void DemoSignal::addSnare(std::vector<float>& left, std::vector<float>& right, std::int64_t start) {
    const std::int64_t length = static_cast<std::int64_t>(0.3 * sampleRate);
    double smoothed = 0.0;
    for (std::int64_t n = 0; n < length; ++n) {
        const double t = n / sampleRate;
        smoothed += 0.5 * (noise() - smoothed);
        const double value = 0.45 * smoothed * std::exp(-t / 0.1) +
                             0.35 * std::sin(kTwoPi * 185.0 * t) * std::exp(-t / 0.07);
        addSample(left, start + n, 0.9 * value);
        addSample(right, start + n, value);
    }
}

void DemoSignal::addHat(std::vector<float>& left, std::vector<float>& right, std::int64_t start,
                        float level) {
    const std::int64_t length = static_cast<std::int64_t>(0.08 * sampleRate);
    float previous = 0.0f;
    for (std::int64_t n = 0; n < length; ++n) {
        const double t = n / sampleRate;
        const float white = noise();
        // A first difference tilts the noise towards the top octaves.
        const double value = level * (white - previous) * std::exp(-t / 0.025);
        previous = white;
        addSample(left, start + n, 0.7 * value);
        addSample(right, start + n, value);
    }
}

void DemoSignal::addBassNote(std::vector<float>& left, std::vector<float>& right,
                             std::int64_t start, std::int64_t length, double frequencyHz) {
    for (std::int64_t n = 0; n < length; ++n) {
        const double t = n / sampleRate;
        const double envelope = std::min(1.0, t / 0.005) * std::exp(-t / 0.3);
        double value = 0.0;
        for (int k = 1; k <= 8; ++k) value += std::sin(kTwoPi * k * frequencyHz * t) / k;
        value *= 0.3 * envelope;
        addSample(left, start + n, value);
        addSample(right, start + n, value);
    }
}

void DemoSignal::addChord(std::vector<float>& left, std::vector<float>& right, std::int64_t start,
                          std::int64_t length, const double (&frequenciesHz)[3]) {
    // A few cents apart between the channels, for width.
    const double detune = std::pow(2.0, 4.0 / 1200.0);
    for (double frequency : frequenciesHz) {
        const int harmonics = std::min(16, static_cast<int>(4000.0 / frequency));
        for (std::int64_t n = 0; n < length; ++n) {
            const double t = n / sampleRate;
            const double remaining = (length - n) / sampleRate;
            const double envelope = std::min({1.0, t / 0.06, remaining / 0.05});
            double valueLeft = 0.0;
            double valueRight = 0.0;
            for (int k = 1; k <= harmonics; ++k) {
                valueLeft += std::sin(kTwoPi * k * frequency / detune * t) / k;
                valueRight += std::sin(kTwoPi * k * frequency * detune * t) / k;
            }
            addSample(left, start + n, 0.06 * envelope * valueLeft);
            addSample(right, start + n, 0.06 * envelope * valueRight);
        }
    }
}

AudioBuffer DemoSignal::render(double seconds) {
    const std::int64_t frames = static_cast<std::int64_t>(std::llround(seconds * sampleRate));
    AudioBuffer audio;
    audio.sampleRate = sampleRate;
    audio.channels.assign(
        2, std::vector<float>(static_cast<std::size_t>(std::max<std::int64_t>(frames, 0)), 0.0f));
    std::vector<float>& left = audio.channels[0];
    std::vector<float>& right = audio.channels[1];
    const auto at = [&](double beats) {
        return static_cast<std::int64_t>(std::llround(beats * kBeatSeconds * sampleRate));
    };
    for (int bar = 0; at(bar * kBeatsPerBar) < frames; ++bar) {
        const double first = bar * kBeatsPerBar;
        const int chord = bar % 4;
        addChord(left, right, at(first), at(kBeatsPerBar), kChordsHz[chord]);
        for (double beat : {0.0, 2.0, 2.5}) addKick(left, right, at(first + beat));
        for (double beat : {1.0, 3.0}) addSnare(left, right, at(first + beat));
        for (int eighth = 0; eighth < 2 * kBeatsPerBar; ++eighth) {
            addHat(left, right, at(first + 0.5 * eighth), eighth % 2 ? 0.10f : 0.16f);
            const double root = kBassRootsHz[chord] * (eighth == 6 ? 2.0 : 1.0);
            addBassNote(left, right, at(first + 0.5 * eighth), at(0.45), root);
        }
    }
    float peak = 0.0f;
    for (const auto& channel : audio.channels) {
        for (float sample : channel) peak = std::max(peak, std::fabs(sample));
    }
    if (peak > 0.0f) {
        const float gain = static_cast<float>(kPeakLevel / peak);
        for (auto& channel : audio.channels) {
            for (float& sample : channel) sample *= gain;
        }
    }
    return audio;
}
