#pragma once

// Plain implementations the filter blocks are checked against, written the obvious way: one
// section after the other over the whole block, one channel after the other, one output
// sample at a time.

#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

#include "dsp/BiquadCascade.h"
#include "dsp/BiquadSection.h"

namespace reference {

inline std::vector<float> noise(std::size_t frames, std::uint32_t seed, float amplitude = 0.5f) {
    std::mt19937 generator(seed);
    std::vector<float> signal(frames);
    for (float& sample : signal) {
        sample = amplitude * (static_cast<float>(generator() % 2000001u) / 1000000.0f - 1.0f);
    }
    return signal;
}

// Block sizes that are odd, tiny and larger than a typical host block, in a fixed order.
inline std::vector<std::int32_t> pieceSizes(std::size_t total, std::uint32_t seed) {
    static const std::int32_t sizes[] = {1, 3, 7, 13, 64, 511, 2, 1023, 5, 97, 512, 33, 48, 50};
    std::mt19937 generator(seed);
    std::vector<std::int32_t> pieces;
    std::size_t done = 0;
    while (done < total) {
        std::int32_t size = sizes[generator() % (sizeof(sizes) / sizeof(sizes[0]))];
        if (done + size > total) size = static_cast<std::int32_t>(total - done);
        pieces.push_back(size);
        done += size;
    }
    return pieces;
}

// Direct form I with the state flush at the end of each call, per channel.
class Section {
public:
    Section(const BiquadSection& source, std::int32_t channels)
        : b0(source.getNumerator()[0]),
          b1(source.getNumerator()[1]),
          b2(source.getNumerator()[2]),
          a1(source.getDenominator()[0]),
          a2(source.getDenominator()[1]),
          state(channels) {}

    void process(const float* input, float* output, std::int32_t frames, std::int32_t channel) {
        State& s = state[channel];
        // y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]
        for (std::int32_t n = 0; n < frames; ++n) {
            const double x = input[n];
            const double y = b0 * x + b1 * s.x1 + b2 * s.x2 - a1 * s.y1 - a2 * s.y2;
            output[n] = static_cast<float>(y);
            s.x2 = s.x1;
            s.x1 = x;
            s.y2 = s.y1;
            s.y1 = y;
        }
        if (std::fabs(s.y1) < 1.6666666666666667e-05) s.y1 = 0.0;
        if (std::fabs(s.y2) < 1.6666666666666667e-05) s.y2 = 0.0;
    }

    double y1(std::int32_t channel) const { return state[channel].y1; }
    double y2(std::int32_t channel) const { return state[channel].y2; }

private:
    struct State {
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    };
    double b0, b1, b2, a1, a2;
    std::vector<State> state;
};

// The sections of a cascade run one after the other, each over the whole block.
class Cascade {
public:
    explicit Cascade(const BiquadCascade& source) : channels(source.getChannels()) {
        for (std::int32_t i = 0; i < source.getSectionCount(); ++i) {
            sections.emplace_back(source.getSection(i), channels);
        }
    }

    void process(const float* const* inputs, float* const* outputs, std::int32_t frames) {
        for (std::int32_t c = 0; c < channels; ++c) {
            for (std::size_t j = 0; j < sections.size(); ++j) {
                sections[j].process(j == 0 ? inputs[c] : outputs[c], outputs[c], frames, c);
            }
        }
    }

    const Section& section(std::size_t index) const { return sections[index]; }

private:
    std::int32_t channels;
    std::vector<Section> sections;
};

// The transfer function of the sections' coefficients at frequency f.
inline double magnitude(const BiquadCascade& cascade, double frequencyHz, double sampleRate) {
    const double pi = std::acos(-1.0);
    const std::complex<double> z1 = std::polar(1.0, -2.0 * pi * frequencyHz / sampleRate);
    const std::complex<double> z2 = z1 * z1;
    std::complex<double> h = 1.0;
    for (std::int32_t i = 0; i < cascade.getSectionCount(); ++i) {
        const double* b = cascade.getSection(i).getNumerator();
        const double* a = cascade.getSection(i).getDenominator();
        h *= (b[0] + b[1] * z1 + b[2] * z2) / (1.0 + a[0] * z1 + a[1] * z2);
    }
    return std::abs(h);
}

// The analog Butterworth magnitude at the bilinear transform's warped frequency.
inline double butterworth(bool highPass, std::int32_t order, double cutoffHz, double frequencyHz,
                          double sampleRate) {
    const double pi = std::acos(-1.0);
    const double ratio =
        std::tan(pi * frequencyHz / sampleRate) / std::tan(pi * cutoffHz / sampleRate);
    const double x = highPass ? 1.0 / ratio : ratio;
    return 1.0 / std::sqrt(1.0 + std::pow(x, 2.0 * order));
}

// out[j] = sum over m of h[m] x[start + j - offset - m], plain and in m order.
inline std::vector<float> convolve(const std::vector<float>& h, std::int32_t offset,
                                   const std::vector<float>& x) {
    std::vector<float> out(x.size());
    for (std::size_t j = 0; j < x.size(); ++j) {
        double sum = 0.0;
        for (std::size_t m = 0; m < h.size(); ++m) {
            const std::int64_t i =
                static_cast<std::int64_t>(j) - offset - static_cast<std::int64_t>(m);
            sum += static_cast<double>(h[m]) * (i >= 0 ? x[i] : 0.0f);
        }
        out[j] = static_cast<float>(sum);
    }
    return out;
}

// The folded sum of a symmetric kernel of odd length: centre first, then pairs from the
// outside in.
inline float foldedSample(const std::vector<float>& h, std::int32_t offset,
                          const std::vector<float>& x, std::size_t j) {
    const std::int64_t length = static_cast<std::int64_t>(h.size());
    const std::int64_t half = (length + 1) / 2;
    auto at = [&](std::int64_t i) { return i >= 0 ? x[i] : 0.0f; };
    const std::int64_t newest = static_cast<std::int64_t>(j) - offset;
    const std::int64_t oldest = newest - (length - 1);
    double sum = static_cast<double>(h[half - 1]) * at(newest - (half - 1));
    for (std::int64_t m = 0; m < half - 1; ++m) {
        sum += static_cast<double>(h[m]) *
               (static_cast<double>(at(newest - m)) + static_cast<double>(at(oldest + m)));
    }
    return static_cast<float>(sum);
}

}  // namespace reference
