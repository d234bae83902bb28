#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// Test signals built from integer noise and recursive oscillators only, so that every
// platform produces the same samples without depending on its mathematical library.
namespace chain_signals {

// Uniform noise in [-amplitude, amplitude).
inline std::vector<float> noise(int frames, std::uint32_t seed, float amplitude) {
    std::vector<float> v(frames);
    std::uint32_t state = seed;
    for (int i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        v[i] = amplitude * (float(state >> 8) * (1.0f / 8388608.0f) - 1.0f);
    }
    return v;
}

// A sine of the given amplitude from the rotation recurrence; cosStep and sinStep are
// cos and sin of the phase step, written as literals by the caller.
inline std::vector<float> tone(int frames, double cosStep, double sinStep, float amplitude) {
    std::vector<float> v(frames);
    double c = 1.0, s = 0.0;
    for (int i = 0; i < frames; ++i) {
        v[i] = float(amplitude * s);
        const double nc = c * cosStep - s * sinStep;
        s = s * cosStep + c * sinStep;
        c = nc;
    }
    return v;
}

// Tones at about 440 Hz and 5 kHz (at 44100 Hz) plus noise, kept below full scale.
inline std::vector<float> music(int frames, std::uint32_t seed) {
    std::vector<float> a = tone(frames, 0.998035664431685, 0.06264832417874368, 0.4f);
    std::vector<float> b = tone(frames, 0.7568088315997618, 0.6536362844981936, 0.2f);
    std::vector<float> n = noise(frames, seed, 0.15f);
    for (int i = 0; i < frames; ++i) a[i] = a[i] + b[i] + n[i];
    return a;
}

// 64-bit FNV-1a over the bytes of the samples.
inline std::uint64_t fnv1a(const std::vector<float>& samples, std::uint64_t hash) {
    for (float x : samples) {
        unsigned char bytes[sizeof(float)];
        std::memcpy(bytes, &x, sizeof(float));
        for (unsigned char b : bytes) {
            hash ^= b;
            hash *= 0x100000001b3ull;
        }
    }
    return hash;
}

constexpr std::uint64_t fnvOffset = 0xcbf29ce484222325ull;

}  // namespace chain_signals
