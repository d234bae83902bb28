#pragma once

// The bodies of the wide kernels, included by one source per instruction set and compiled
// there for that set. Everything here has internal linkage, so no copy built for a wider set
// can stand in for another at link time.

#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "dsp/WideKernels.h"

namespace {

typedef double Double2 __attribute__((vector_size(16)));
typedef double Double4 __attribute__((vector_size(32)));
typedef double Double8 __attribute__((vector_size(64)));
typedef float Float2 __attribute__((vector_size(8)));
typedef float Float4 __attribute__((vector_size(16)));
typedef float Float8 __attribute__((vector_size(32)));
typedef float Float16 __attribute__((vector_size(64)));
typedef long long Mask4 __attribute__((vector_size(32)));
typedef long long Mask8 __attribute__((vector_size(64)));

// W double lanes: the vector, its float and mask twins, and the two lane moves the cascade needs.
template <int W>
struct Lanes;

template <>
struct Lanes<4> {
    typedef Double4 V;
    typedef Float4 F;
    typedef Mask4 M;
    // Lanes 0, 1 from the top two lanes of `below`, lanes 2, 3 from lanes 0, 1 of `own`.
    [[gnu::always_inline]] static inline V shiftIn(V below, V own) {
        return (V)_mm256_permute2f128_pd((__m256d)below, (__m256d)own, 0x21);
    }
    // Lanes 0, 1 from `pair`, the others as in shiftIn.
    [[gnu::always_inline]] static inline V insertPair(Double2 pair, V own) {
        return (V)_mm256_permute2f128_pd(_mm256_castpd128_pd256((__m128d)pair), (__m256d)own, 0x20);
    }
    [[gnu::always_inline]] static inline Float2 topPair(F f) {
        return __builtin_shufflevector(f, f, 2, 3);
    }
    // y rounded to float (returned in f) and widened back.
    [[gnu::always_inline]] static inline V roundToFloat(V y, F& f) {
        f = (F)_mm256_cvtpd_ps((__m256d)y);
        return (V)_mm256_cvtps_pd((__m128)f);
    }
};

#if defined(__AVX512F__)
template <>
struct Lanes<8> {
    typedef Double8 V;
    typedef Float8 F;
    typedef Mask8 M;
    // The masked forms with every lane set: the plain ones start from an undefined register,
    // which GCC 12 reports as uninitialised.
    [[gnu::always_inline]] static inline V shiftIn(V below, V own) {
        return (V)_mm512_maskz_alignr_epi64(0xff, (__m512i)own, (__m512i)below, 6);
    }
    [[gnu::always_inline]] static inline V insertPair(Double2 pair, V own) {
        const __m512i order = _mm512_set_epi64(13, 12, 11, 10, 9, 8, 1, 0);
        return (V)_mm512_permutex2var_pd(_mm512_castpd128_pd512((__m128d)pair), order,
                                         (__m512d)own);
    }
    [[gnu::always_inline]] static inline Float2 topPair(F f) {
        return __builtin_shufflevector(f, f, 6, 7);
    }
    [[gnu::always_inline]] static inline V roundToFloat(V y, F& f) {
        f = (F)_mm512_maskz_cvtpd_ps(0xff, (__m512d)y);
        return (V)_mm512_maskz_cvtps_pd(0xff, (__m256)f);
    }
};
#endif

// A cascade of G * W / 2 two-channel sections in G vectors: section j = g W/2 + s sits in lanes
// 2s (left) and 2s + 1 (right) of vector g. The sections are skewed by K steps each: in step n
// section j filters sample n - K j, taking as input the float-rounded output that section j - 1
// produced K steps before. Every section sees the inputs of the plain run in the same order,
// so every sample and every state is the plain run's; but a vector's lanes no longer wait on
// each other, and the lane move and the rounding have K steps to arrive.
//
// While the pipeline fills, a section that has no sample yet computes anyway, on the zeros
// and leftovers before it, and gets its state back in the step where its sample 0 arrives;
// while it drains, a section's state is kept in the step of its last sample. So every step
// is the same plain step, with nothing to mask.
template <int W, int G, int K>
struct WideCascade {
    typedef Lanes<W> L;
    typedef typename L::V V;
    typedef typename L::F F;
    typedef typename L::M M;
    static constexpr int perVector = W / 2;
    static constexpr int count = G * perVector;
    // Steps before the last section filters sample 0.
    static constexpr int fill = K * (count - 1);

    V b0[G], b1[G], b2[G], a1[G], a2[G];
    V x1[G], x2[G], y1[G], y2[G];
    V rounded[K][G];  // the outputs of the last K steps, rounded to float
    V initial[4][G];  // x1, x2, y1, y2 as the call found them
    V final[4][G];    // and as each section's last sample left them

    [[gnu::always_inline]] inline void load(const BiquadSectionView* sections) {
        for (int g = 0; g < G; ++g) {
            for (int s = 0; s < perVector; ++s) {
                const BiquadSectionView& section = sections[g * perVector + s];
                for (int c = 0; c < 2; ++c) {
                    const int lane = 2 * s + c;
                    b0[g][lane] = section.numerator[0];
                    b1[g][lane] = section.numerator[1];
                    b2[g][lane] = section.numerator[2];
                    a1[g][lane] = section.denominator[0];
                    a2[g][lane] = section.denominator[1];
                    x1[g][lane] = section.inputState[3 * c + 1];
                    x2[g][lane] = section.inputState[3 * c + 2];
                    y1[g][lane] = section.outputState[2 * c];
                    y2[g][lane] = section.outputState[2 * c + 1];
                }
            }
            for (int k = 0; k < K; ++k) rounded[k][g] = V{};
            initial[0][g] = final[0][g] = x1[g];
            initial[1][g] = final[1][g] = x2[g];
            initial[2][g] = final[2][g] = y1[g];
            initial[3][g] = final[3][g] = y2[g];
        }
    }

    [[gnu::always_inline]] inline void store(const BiquadSectionView* sections) const {
        for (int g = 0; g < G; ++g) {
            for (int s = 0; s < perVector; ++s) {
                const BiquadSectionView& section = sections[g * perVector + s];
                for (int c = 0; c < 2; ++c) {
                    const int lane = 2 * s + c;
                    section.inputState[3 * c] = final[0][g][lane];
                    section.inputState[3 * c + 1] = final[0][g][lane];
                    section.inputState[3 * c + 2] = final[1][g][lane];
                    section.outputState[2 * c] = final[2][g][lane];
                    section.outputState[2 * c + 1] = final[3][g][lane];
                }
            }
        }
    }

    // The two lanes of section j, in its vector.
    [[gnu::always_inline]] static inline M lanesOf(int j) {
        M lane;
        for (int i = 0; i < W; ++i) lane[i] = i / 2;
        return lane == j % perVector;
    }

    [[gnu::always_inline]] static inline V select(M on, V a, V b) {
        return (V)(((M)a & on) | ((M)b & ~on));
    }

    // Section j starts from the state the call found.
    [[gnu::always_inline]] inline void restore(int j) {
        const int g = j / perVector;
        const M on = lanesOf(j);
        x1[g] = select(on, initial[0][g], x1[g]);
        x2[g] = select(on, initial[1][g], x2[g]);
        y1[g] = select(on, initial[2][g], y1[g]);
        y2[g] = select(on, initial[3][g], y2[g]);
    }

    // Section j has filtered its last sample: its state is the one to keep.
    [[gnu::always_inline]] inline void keep(int j) {
        const int g = j / perVector;
        const M on = lanesOf(j);
        final[0][g] = select(on, x1[g], final[0][g]);
        final[1][g] = select(on, x2[g], final[1][g]);
        final[2][g] = select(on, y1[g], final[2][g]);
        final[3][g] = select(on, y2[g], final[3][g]);
    }

    // One step; slot I of `rounded` holds the outputs of K steps ago and receives this step's.
    template <int I>
    [[gnu::always_inline]] inline Float2 step(Double2 input) {
        V x[G];
        x[0] = L::insertPair(input, rounded[I][0]);
#pragma GCC unroll 4
        for (int g = 1; g < G; ++g) x[g] = L::shiftIn(rounded[I][g - 1], rounded[I][g]);
        Float2 output = {};
#pragma GCC unroll 4
        for (int g = 0; g < G; ++g) {
            // y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]
            const V y =
                b0[g] * x[g] + b1[g] * x1[g] + b2[g] * x2[g] - a1[g] * y1[g] - a2[g] * y2[g];
            F f;
            rounded[I][g] = L::roundToFloat(y, f);
            if (g == G - 1) output = L::topPair(f);
            x2[g] = x1[g];
            x1[g] = x[g];
            y2[g] = y1[g];
            y1[g] = y;
        }
        return output;
    }

    // Steps n to n + K - 1 while the pipeline fills: they read input, and no output is ready.
    template <int... I>
    [[gnu::always_inline]] inline void fillSteps(std::integer_sequence<int, I...>, std::int32_t n,
                                                 const float* const* in) {
        (step<I>(Double2{in[0][n + I], in[1][n + I]}), ...);
    }

    // Step n, with every section working: reads input n, writes output n - fill.
    template <int I>
    [[gnu::always_inline]] inline void fullStep(std::int32_t n, const float* const* in,
                                                float* const* out) {
        const Float2 output = step<I>(Double2{in[0][n], in[1][n]});
        out[0][n - fill] = output[0];
        out[1][n - fill] = output[1];
    }

    template <int... I>
    [[gnu::always_inline]] inline void fullSteps(std::integer_sequence<int, I...>, std::int32_t n,
                                                 const float* const* in, float* const* out) {
        (fullStep<I>(n + I, in, out), ...);
    }

    // Step n at the end of the call, past the input's last full group of K: input while there
    // is some, output while a sample is due, and the state of the section whose last sample
    // this step filtered (all of them come in the slot of the last input sample).
    template <int I>
    [[gnu::always_inline]] inline void tailStep(std::int32_t n, std::int32_t frames, int lastSlot,
                                                const float* const* in, float* const* out) {
        const Double2 input = n < frames ? Double2{in[0][n], in[1][n]} : Double2{};
        const Float2 output = step<I>(input);
        if (n - fill < frames) {
            out[0][n - fill] = output[0];
            out[1][n - fill] = output[1];
        }
        if (I == lastSlot && n >= frames - 1 && n - (frames - 1) <= fill) {
            keep((n - (frames - 1)) / K);
        }
    }

    template <int... I>
    [[gnu::always_inline]] inline void tailSteps(std::integer_sequence<int, I...>, std::int32_t n,
                                                 std::int32_t frames, int lastSlot,
                                                 const float* const* in, float* const* out) {
        (tailStep<I>(n + I, frames, lastSlot, in, out), ...);
    }

    // Steps 0 to frames + fill - 1, K at a time; step n reads input n before it writes output
    // n - fill, so an output channel may be its input channel. Needs frames >= fill.
    static void run(const BiquadSectionView* sections, const float* const* in, float* const* out,
                    std::int32_t frames) {
        constexpr auto slots = std::make_integer_sequence<int, K>();
        WideCascade k;
        k.load(sections);
        std::int32_t n = 0;
        for (int j = 1; j < count; ++j, n += K) {
            k.fillSteps(slots, n, in);
            k.restore(j);
        }
        for (; n + K <= frames; n += K) k.fullSteps(slots, n, in, out);
        const int lastSlot = (frames - 1) % K;
        if (n == frames) k.keep(0);
        for (; n < frames + fill; n += K) k.tailSteps(slots, n, frames, lastSlot, in, out);
        k.store(sections);
    }
};

constexpr int cascadeSkew = 4;
// With three vectors, their own recurrences overlap enough at a skew of three, and the ring of
// past outputs is a vector shorter.
constexpr int threeVectorSkew = 3;

template <int W>
[[gnu::always_inline]] inline bool runCascade(const BiquadSectionView* sections, std::int32_t count,
                                              const float* const* in, float* const* out,
                                              std::int32_t frames) {
    switch (count / (W / 2)) {
        case 1: WideCascade<W, 1, cascadeSkew>::run(sections, in, out, frames); return true;
        case 2: WideCascade<W, 2, cascadeSkew>::run(sections, in, out, frames); return true;
        case 3: WideCascade<W, 3, threeVectorSkew>::run(sections, in, out, frames); return true;
        default: return false;
    }
}

template <typename V, typename T>
[[gnu::always_inline]] inline V loadVector(const T* p) {
    V v;
    __builtin_memcpy(&v, p, sizeof(v));
    return v;
}

template <bool Add>
[[gnu::always_inline]] inline void storeSum(float* out, double sum) {
    if (Add) {
        *out += static_cast<float>(sum);
    } else {
        *out = static_cast<float>(sum);
    }
}

// The folded symmetric FIR, four vectors of outputs at a time so that several chains of
// additions are in flight; each output sums centre, m = 0, 1, ... half - 2, as one at a time.
template <typename V, bool Add>
[[gnu::always_inline]] inline void foldLanes(const float* h, std::int32_t half,
                                             const double* newest, float* out,
                                             std::int32_t frames) {
    constexpr int W = sizeof(V) / sizeof(double);
    const std::int32_t last = half - 1;
    const double* centre = newest - last;
    const double* oldest = newest - 2 * last;
    const double centreTap = h[last];
    const V centreTaps = V{} + centreTap;
    std::int32_t j = 0;
    for (; j + 4 * W <= frames; j += 4 * W) {
        V s0 = centreTaps * loadVector<V>(centre + j);
        V s1 = centreTaps * loadVector<V>(centre + j + W);
        V s2 = centreTaps * loadVector<V>(centre + j + 2 * W);
        V s3 = centreTaps * loadVector<V>(centre + j + 3 * W);
        const double* n = newest + j;
        const double* o = oldest + j;
        for (std::int32_t m = 0; m < last; ++m) {
            const V c = V{} + static_cast<double>(h[m]);
            s0 += c * (loadVector<V>(n - m) + loadVector<V>(o + m));
            s1 += c * (loadVector<V>(n + W - m) + loadVector<V>(o + W + m));
            s2 += c * (loadVector<V>(n + 2 * W - m) + loadVector<V>(o + 2 * W + m));
            s3 += c * (loadVector<V>(n + 3 * W - m) + loadVector<V>(o + 3 * W + m));
        }
        const V sums[4] = {s0, s1, s2, s3};
        for (int k = 0; k < 4; ++k) {
            for (int lane = 0; lane < W; ++lane)
                storeSum<Add>(out + j + k * W + lane, sums[k][lane]);
        }
    }
    for (; j < frames; ++j) {
        double s = centreTap * centre[j];
        for (std::int32_t m = 0; m < last; ++m) {
            s += static_cast<double>(h[m]) * (newest[j - m] + oldest[j + m]);
        }
        storeSum<Add>(out + j, s);
    }
}

template <typename F, typename D>
[[gnu::always_inline]] inline void widenLanes(const float* in, double* out, std::int32_t count) {
    constexpr int W = sizeof(F) / sizeof(float);
    std::int32_t i = 0;
    for (; i + W <= count; i += W) {
        const D v = __builtin_convertvector(loadVector<F>(in + i), D);
        __builtin_memcpy(out + i, &v, sizeof(v));
    }
    for (; i < count; ++i) out[i] = in[i];
}

// out = in * gain, W floats at a time.
template <typename F>
[[gnu::always_inline]] inline void scaleLanes(const float* in, float* out, std::int32_t frames,
                                              float gain) {
    constexpr int W = sizeof(F) / sizeof(float);
    const F gains = F{} + gain;
    std::int32_t i = 0;
    for (; i + W <= frames; i += W) {
        const F v = loadVector<F>(in + i) * gains;
        __builtin_memcpy(out + i, &v, sizeof(v));
    }
    for (; i < frames; ++i) out[i] = in[i] * gain;
}

// out = dry out + wet in, W floats at a time.
template <typename F>
[[gnu::always_inline]] inline void mixLanes(const float* in, float* out, std::int32_t frames,
                                            float dry, float wet) {
    constexpr int W = sizeof(F) / sizeof(float);
    const F drys = F{} + dry, wets = F{} + wet;
    std::int32_t i = 0;
    for (; i + W <= frames; i += W) {
        const F v = drys * loadVector<F>(out + i) + wets * loadVector<F>(in + i);
        __builtin_memcpy(out + i, &v, sizeof(v));
    }
    for (; i < frames; ++i) out[i] = dry * out[i] + wet * in[i];
}

// q = k3 q^3 + k2 p^2 in double, rounded to float once; D holds the doubles of F's floats.
template <typename F, typename D>
[[gnu::always_inline]] inline void shapeLanes(const float* p, float* q, std::int32_t frames,
                                              double k2, double k3) {
    constexpr int W = sizeof(F) / sizeof(float);
    const D seconds = D{} + k2, thirds = D{} + k3;
    std::int32_t i = 0;
    for (; i + W <= frames; i += W) {
        const D x = __builtin_convertvector(loadVector<F>(p + i), D);
        const D y = __builtin_convertvector(loadVector<F>(q + i), D);
        const F v = __builtin_convertvector(thirds * y * y * y + seconds * x * x, F);
        __builtin_memcpy(q + i, &v, sizeof(v));
    }
    for (; i < frames; ++i) {
        const double x = p[i];
        const double y = q[i];
        q[i] = static_cast<float>(k3 * y * y * y + k2 * x * x);
    }
}

}  // namespace

#if defined(__AVX512F__)
namespace {

// The gain curve on eight levels at once, with the scalar code's operations in its order: the
// table's float interpolation and the power's double estimate are both evaluated on every
// lane, and the lane's case picks one.
[[gnu::always_inline]] inline std::uint64_t gainCurveLanes(const GainCurveTables& t,
                                                           const float* levels, float* gains,
                                                           std::int32_t count) {
    constexpr int segments = 6;
    constexpr int stride = 33;
    const __m256 lows = _mm256_maskz_loadu_ps(0x3f, t.lows);
    const __m256 inverseSteps = _mm256_maskz_loadu_ps(0x3f, t.inverseSteps);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i zero = _mm256_setzero_si256();
    // The direct power's octave factor comes from a window of 16 table entries held in two
    // registers when the exponents of the levels above the table all fit in it; otherwise
    // from the whole table, one lane at a time.
    __m256i lowest = _mm256_set1_epi32(255);
    __m256i highest = zero;
    const __m256 top = _mm256_set1_ps(t.boundaries[segments - 1]);
    for (std::int32_t base = 0; base < count; base += 8) {
        const __mmask8 lanes =
            count - base >= 8 ? __mmask8(0xff) : __mmask8((1u << (count - base)) - 1u);
        const __m256 level = _mm256_maskz_loadu_ps(lanes, levels + base);
        const __mmask8 direct = _mm256_mask_cmp_ps_mask(lanes, level, top, _CMP_GE_OQ);
        const __m256i biased = _mm256_srli_epi32(_mm256_castps_si256(level), 23);
        lowest = _mm256_mask_min_epu32(lowest, direct, lowest, biased);
        highest = _mm256_mask_max_epu32(highest, direct, highest, biased);
    }
    alignas(32) std::uint32_t lows8[8], highs8[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lows8), lowest);
    _mm256_store_si256(reinterpret_cast<__m256i*>(highs8), highest);
    std::uint32_t low = 255, high = 0;
    for (int i = 0; i < 8; ++i) {
        low = std::min(low, lows8[i]);
        high = std::max(high, highs8[i]);
    }
    const bool windowed = high < low + 16;
    const std::uint32_t windowStart = std::min(low, 240u);
    const __m512d windowLow = _mm512_loadu_pd(t.octaves + windowStart);
    const __m512d windowHigh = _mm512_loadu_pd(t.octaves + windowStart + 8);
    const __m256i windowBase = _mm256_set1_epi32(static_cast<int>(windowStart));
    std::uint64_t unresolved = 0;
    for (std::int32_t base = 0; base < count; base += 8) {
        const __mmask8 lanes =
            count - base >= 8 ? __mmask8(0xff) : __mmask8((1u << (count - base)) - 1u);
        const __m256 level = _mm256_maskz_loadu_ps(lanes, levels + base);

        // The segment: the boundaries not above the level (a NaN passes them all).
        __m256i above = zero;
        for (int i = 0; i < segments; ++i) {
            const __mmask8 passed =
                _mm256_cmp_ps_mask(level, _mm256_set1_ps(t.boundaries[i]), _CMP_NLT_UQ);
            above = _mm256_mask_add_epi32(above, passed, above, one);
        }
        const __mmask8 below = _mm256_cmp_ps_mask(level, _mm256_set1_ps(t.threshold), _CMP_LE_OQ);
        const __mmask8 inTable = _mm256_cmplt_epi32_mask(above, _mm256_set1_epi32(segments));

        // Each half only where a lane needs it: a steady level keeps to one of them.
        const __mmask8 needed = lanes & ~below;
        __m256 fromTable = _mm256_setzero_ps();
        __m256 direct = _mm256_setzero_ps();
        __mmask8 estimated = 0;
        if ((needed & inTable) != 0) {
            // values[j] + (values[j+1] - values[j]) (u - j), u = (level - low) / step, in float;
            // j kept inside the segment's table on lanes that do not use it.
            const __m256i segment = _mm256_min_epi32(above, _mm256_set1_epi32(segments - 1));
            const __m256 u =
                _mm256_mul_ps(_mm256_sub_ps(level, _mm256_permutexvar_ps(segment, lows)),
                              _mm256_permutexvar_ps(segment, inverseSteps));
            const __m256i truncated = _mm256_cvttps_epi32(u);
            const __m256i j =
                _mm256_max_epi32(_mm256_min_epi32(truncated, _mm256_set1_epi32(31)), zero);
            const __m256i index =
                _mm256_add_epi32(_mm256_mullo_epi32(segment, _mm256_set1_epi32(stride)), j);
            // values[j] and values[j+1] in one 64-bit load per lane.
            const __m512i both = _mm512_i32gather_epi64(index, t.values, 4);
            const __m256 v0 = _mm256_castsi256_ps(_mm512_cvtepi64_epi32(both));
            const __m256 v1 =
                _mm256_castsi256_ps(_mm512_cvtepi64_epi32(_mm512_srli_epi64(both, 32)));
            fromTable = _mm256_add_ps(
                v0, _mm256_mul_ps(_mm256_sub_ps(v1, v0), _mm256_sub_ps(u, _mm256_cvtepi32_ps(j))));
        }
        if ((needed & ~inTable) != 0) {
            // The direct power: 2^(e k) c^e (1 + r)^e from the two tables and the series.
            const __m256i bits = _mm256_castps_si256(level);
            const __m256i biased = _mm256_srli_epi32(bits, 23);
            estimated =
                _mm256_cmplt_epu32_mask(_mm256_sub_epi32(biased, one), _mm256_set1_epi32(254));
            const __m256i fraction = _mm256_and_si256(bits, _mm256_set1_epi32(0x7fffff));
            const __m256i point = _mm256_srli_epi32(fraction, 15);
            const __m512d m = _mm512_cvtps_pd(
                _mm256_castsi256_ps(_mm256_or_si256(fraction, _mm256_set1_epi32(0x3f800000))));
            const __m512d octave =
                windowed
                    ? _mm512_permutex2var_pd(
                          windowLow, _mm512_cvtepu32_epi64(_mm256_sub_epi32(biased, windowBase)),
                          windowHigh)
                    : _mm512_i32gather_pd(_mm256_min_epu32(biased, _mm256_set1_epi32(255)),
                                          t.octaves, 8);
            const __m256i pair = _mm256_add_epi32(point, point);
            const __m512d inverse = _mm512_i32gather_pd(pair, t.points, 8);
            const __m512d power = _mm512_i32gather_pd(_mm256_add_epi32(pair, one), t.points, 8);
            const __m512d r = _mm512_sub_pd(_mm512_mul_pd(m, inverse), _mm512_set1_pd(1.0));
            const __m512d inner =
                _mm512_add_pd(_mm512_set1_pd(t.s2), _mm512_mul_pd(r, _mm512_set1_pd(t.s3)));
            const __m512d middle = _mm512_add_pd(_mm512_set1_pd(t.s1), _mm512_mul_pd(r, inner));
            const __m512d series = _mm512_add_pd(_mm512_set1_pd(1.0), _mm512_mul_pd(r, middle));
            const __m512d y = _mm512_mul_pd(octave, _mm512_mul_pd(power, series));
            const __m512i yBits = _mm512_castpd_si512(y);
            const __m512i exponent = _mm512_srli_epi64(yBits, 52);
            estimated &= _mm512_cmplt_epu64_mask(_mm512_sub_epi64(exponent, _mm512_set1_epi64(897)),
                                                 _mm512_set1_epi64(254));
            const __m256i dropped =
                _mm512_cvtepi64_epi32(_mm512_and_si512(yBits, _mm512_set1_epi64(0x1fffffff)));
            const __m256i fromDoubtStart = _mm256_sub_epi32(
                dropped, _mm256_set1_epi32(static_cast<int>(0x10000000u - t.doubtWidth + 1u)));
            estimated &= _mm256_cmpge_epu32_mask(
                fromDoubtStart, _mm256_set1_epi32(static_cast<int>(2u * t.doubtWidth - 1u)));
            direct = _mm512_cvtpd_ps(y);
        }
        __m256 gain = _mm256_mask_blend_ps(inTable, direct, fromTable);
        gain = _mm256_mask_blend_ps(below, gain, _mm256_set1_ps(t.valueAtThreshold));
        _mm256_mask_storeu_ps(gains + base, lanes, gain);
        const unsigned left = lanes & ~below & ~inTable & ~estimated & 0xffu;
        unresolved |= static_cast<std::uint64_t>(left) << base;
    }
    return unresolved;
}

}  // namespace
#endif
