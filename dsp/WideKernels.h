#pragma once

#include <cstdint>

// Entry points of the kernels built for wider vector registers (dsp/WideKernelsAvx2.cpp and
// dsp/WideKernelsAvx512.cpp, each compiled for its instruction set). Callers choose them
// through activeInstructionSet() and fall back to their own plain loops otherwise; every
// kernel gives exactly the samples the plain loop gives.

// One biquad section's coefficients and two-channel state, as BiquadSection stores them.
struct BiquadSectionView {
    const double* numerator;    // b0, b1, b2
    const double* denominator;  // a1, a2
    double* inputState;         // per channel: last input, x1, x2
    double* outputState;        // per channel: y1, y2
};

// The compressor's gain curve as flat tables (see GainCurve and FloatPower).
struct GainCurveTables {
    float threshold;
    float valueAtThreshold;
    const float* boundaries;    // 6, rising
    const float* lows;          // 6, the level each segment starts at
    const float* inverseSteps;  // 6
    const float* values;        // 6 x 33
    const double* octaves;      // 256
    const double* points;       // 256 pairs: inverse, power
    double s1, s2, s3;
    std::uint32_t doubtWidth;
};

#if defined(__x86_64__)
#define BRL_WIDE_KERNELS 1

namespace avx2 {
// out[i] = in[i] widened to double.
void widen(const float* in, double* out, std::int32_t count);
// out = in * gain; out = dry out + wet in; q = k3 q^3 + k2 p^2 (in double, rounded once).
void scale(const float* in, float* out, std::int32_t frames, float gain);
void mix(const float* in, float* out, std::int32_t frames, float dry, float wet);
void shape(const float* p, float* q, std::int32_t frames, double k2, double k3);
// Runs `count` sections of two channels over the signal, section 0 reading the inputs and each
// further one the previous one's output; false when `count` has no layout here.
bool biquadCascade(const BiquadSectionView* sections, std::int32_t count,
                   const float* const* inputs, float* const* outputs, std::int32_t frames);
// out[j] = h[half-1] x[c + j] + sum over m < half-1 of h[m] (x[n + j - m] + x[o + j + m]),
// with c, n, o the centre, newest and oldest of output 0 relative to `newest`; in double,
// rounded to float, added to out[j] when `add`.
void firFold(const float* h, std::int32_t half, const double* newest, float* out,
             std::int32_t frames, bool add);
}  // namespace avx2

namespace avx512 {
// out[i] = in[i] widened to double.
void widen(const float* in, double* out, std::int32_t count);
// out = in * gain; out = dry out + wet in; q = k3 q^3 + k2 p^2 (in double, rounded once).
void scale(const float* in, float* out, std::int32_t frames, float gain);
void mix(const float* in, float* out, std::int32_t frames, float dry, float wet);
void shape(const float* p, float* q, std::int32_t frames, double k2, double k3);
// gains[u] = the curve at levels[u], for the levels the tables settle; returns a bit per level
// (of the first 64) the caller must evaluate itself: where the direct power is in doubt.
std::uint64_t gainCurve(const GainCurveTables& curve, const float* levels, float* gains,
                        std::int32_t count);
bool biquadCascade(const BiquadSectionView* sections, std::int32_t count,
                   const float* const* inputs, float* const* outputs, std::int32_t frames);
void firFold(const float* h, std::int32_t half, const double* newest, float* out,
             std::int32_t frames, bool add);
}  // namespace avx512

#endif
