#include "dsp/BiquadSection.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "dsp/AllocationError.h"
#include "dsp/InstructionSet.h"
#include "dsp/WideKernels.h"

// The lanes of one kernel: one channel as a double, or two channels as the two lanes of one
// vector, with the same operations in the same order on each lane, so every sample is what the
// scalar code gives. Samples move in and out four frames at a time.
typedef double Pair __attribute__((vector_size(16)));
typedef float FloatPair __attribute__((vector_size(8)));
typedef float Float4 __attribute__((vector_size(16)));

struct OneChannel {
    typedef double Value;
    static Value broadcast(double v) { return v; }
    static Value state(const double* values, std::int32_t) { return values[0]; }
    static double lane(Value v, int) { return v; }
    [[gnu::always_inline]] static inline Value roundToFloat(Value v) {
        return static_cast<float>(v);
    }
    [[gnu::always_inline]] static inline Value load(const float* const* in, std::int32_t n) {
        return in[0][n];
    }
    [[gnu::always_inline]] static inline void store(float* const* out, std::int32_t n, Value v) {
        out[0][n] = static_cast<float>(v);
    }
    [[gnu::always_inline]] static inline void load4(const float* const* in, std::int32_t n,
                                                    Value v[4]) {
        for (int k = 0; k < 4; ++k) v[k] = in[0][n + k];
    }
    [[gnu::always_inline]] static inline void store4(float* const* out, std::int32_t n,
                                                     const Value v[4]) {
        for (int k = 0; k < 4; ++k) out[0][n + k] = static_cast<float>(v[k]);
    }
};

struct TwoChannels {
    typedef Pair Value;
    static Value broadcast(double v) { return Pair{v, v}; }
    static Value state(const double* values, std::int32_t stride) {
        return Pair{values[0], values[stride]};
    }
    static double lane(Value v, int c) { return v[c]; }
    [[gnu::always_inline]] static inline Value roundToFloat(Value v) {
        return __builtin_convertvector(__builtin_convertvector(v, FloatPair), Pair);
    }
    [[gnu::always_inline]] static inline Value load(const float* const* in, std::int32_t n) {
        return __builtin_convertvector((FloatPair{in[0][n], in[1][n]}), Pair);
    }
    [[gnu::always_inline]] static inline void store(float* const* out, std::int32_t n, Value v) {
        const FloatPair f = __builtin_convertvector(v, FloatPair);
        out[0][n] = f[0];
        out[1][n] = f[1];
    }
    [[gnu::always_inline]] static inline void load4(const float* const* in, std::int32_t n,
                                                    Value v[4]) {
        Float4 left, right;
        __builtin_memcpy(&left, in[0] + n, sizeof(left));
        __builtin_memcpy(&right, in[1] + n, sizeof(right));
        const Float4 low = __builtin_shufflevector(left, right, 0, 4, 1, 5);
        const Float4 high = __builtin_shufflevector(left, right, 2, 6, 3, 7);
        v[0] = __builtin_convertvector(__builtin_shufflevector(low, low, 0, 1), Pair);
        v[1] = __builtin_convertvector(__builtin_shufflevector(low, low, 2, 3), Pair);
        v[2] = __builtin_convertvector(__builtin_shufflevector(high, high, 0, 1), Pair);
        v[3] = __builtin_convertvector(__builtin_shufflevector(high, high, 2, 3), Pair);
    }
    [[gnu::always_inline]] static inline void store4(float* const* out, std::int32_t n,
                                                     const Value v[4]) {
        const FloatPair f0 = __builtin_convertvector(v[0], FloatPair);
        const FloatPair f1 = __builtin_convertvector(v[1], FloatPair);
        const FloatPair f2 = __builtin_convertvector(v[2], FloatPair);
        const FloatPair f3 = __builtin_convertvector(v[3], FloatPair);
        const Float4 low = __builtin_shufflevector(f0, f1, 0, 1, 2, 3);
        const Float4 high = __builtin_shufflevector(f2, f3, 0, 1, 2, 3);
        const Float4 left = __builtin_shufflevector(low, high, 0, 2, 4, 6);
        const Float4 right = __builtin_shufflevector(low, high, 1, 3, 5, 7);
        __builtin_memcpy(out[0] + n, &left, sizeof(left));
        __builtin_memcpy(out[1] + n, &right, sizeof(right));
    }
};

// The recursion of S sections over the lanes of L, skewed: in step n section j filters sample
// n - j, taking as input the float-rounded output section j - 1 produced in the step before.
// Every section sees the same inputs in the same order as when the sections run one after the
// other over the whole call, so every sample and state is the same; but within a step the
// sections no longer wait on each other, and only their own recursions chain from step to
// step. Coefficients and state live in locals for the whole call.
template <int S, typename L>
struct CascadeKernel {
    typedef typename L::Value V;

    struct Sections {
        V b0[S], b1[S], b2[S], a1[S], a2[S];
        V x1[S], x2[S], y1[S], y2[S];

        // y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]
        [[gnu::always_inline]] inline void filter(int j, V x) {
            const V y = b0[j] * x + b1[j] * x1[j] + b2[j] * x2[j] - a1[j] * y1[j] - a2[j] * y2[j];
            x2[j] = x1[j];
            x1[j] = x;
            y2[j] = y1[j];
            y1[j] = y;
        }

        // A step with every section working; returns the last section's output.
        [[gnu::always_inline]] inline V step(V input) {
            V x[S];
            x[0] = input;
#pragma GCC unroll 8
            for (int j = 1; j < S; ++j) x[j] = L::roundToFloat(y1[j - 1]);
#pragma GCC unroll 8
            for (int j = 0; j < S; ++j) filter(j, x[j]);
            return y1[S - 1];
        }

        // A step at either end of the call, where only the sections with a sample to filter
        // work.
        void edgeStep(const float* const* in, float* const* out, std::int32_t n,
                      std::int32_t frames) {
            V x[S];
            x[0] = n < frames ? L::load(in, n) : V{};
            for (int j = 1; j < S; ++j) x[j] = L::roundToFloat(y1[j - 1]);
            for (int j = 0; j < S; ++j) {
                if (n - j >= 0 && n - j < frames) filter(j, x[j]);
            }
            if (n - (S - 1) >= 0) L::store(out, n - (S - 1), y1[S - 1]);
        }
    };

    static void run(BiquadSection* const* sections, std::int32_t firstChannel,
                    const float* const* in, float* const* out, std::int32_t frames) {
        Sections k;
        for (int j = 0; j < S; ++j) {
            const BiquadSection& section = *sections[j];
            k.b0[j] = L::broadcast(section.numerator[0]);
            k.b1[j] = L::broadcast(section.numerator[1]);
            k.b2[j] = L::broadcast(section.numerator[2]);
            k.a1[j] = L::broadcast(section.denominator[0]);
            k.a2[j] = L::broadcast(section.denominator[1]);
            const double* xs = section.inputState + 3 * firstChannel;
            const double* ys = section.outputState + 2 * firstChannel;
            k.x1[j] = L::state(xs + 1, 3);
            k.x2[j] = L::state(xs + 2, 3);
            k.y1[j] = L::state(ys, 2);
            k.y2[j] = L::state(ys + 1, 2);
        }
        // Step n reads input n and writes output n - (S - 1), so an output buffer may be its
        // input buffer.
        const std::int32_t last = frames + S - 2;
        std::int32_t n = 0;
        for (; n < S - 1 && n <= last; ++n) k.edgeStep(in, out, n, frames);
        for (; n + 4 <= frames; n += 4) {
            V v[4];
            L::load4(in, n, v);
#pragma GCC unroll 4
            for (int i = 0; i < 4; ++i) v[i] = k.step(v[i]);
            L::store4(out, n - (S - 1), v);
        }
        for (; n < frames; ++n) L::store(out, n - (S - 1), k.step(L::load(in, n)));
        for (; n <= last; ++n) k.edgeStep(in, out, n, frames);

        for (int j = 0; j < S; ++j) {
            BiquadSection& section = *sections[j];
            for (int c = 0; c < static_cast<int>(sizeof(V) / sizeof(double)); ++c) {
                double* xs = section.inputState + 3 * (firstChannel + c);
                double* ys = section.outputState + 2 * (firstChannel + c);
                xs[0] = L::lane(k.x1[j], c);
                xs[1] = L::lane(k.x1[j], c);
                xs[2] = L::lane(k.x2[j], c);
                ys[0] = L::lane(k.y1[j], c);
                ys[1] = L::lane(k.y2[j], c);
            }
        }
    }
};

namespace {

template <typename L>
void runPass(BiquadSection* const* sections, std::int32_t count, std::int32_t firstChannel,
             const float* const* inputs, float* const* outputs, std::int32_t frames) {
    switch (count) {
        case 1: CascadeKernel<1, L>::run(sections, firstChannel, inputs, outputs, frames); break;
        case 2: CascadeKernel<2, L>::run(sections, firstChannel, inputs, outputs, frames); break;
        case 3: CascadeKernel<3, L>::run(sections, firstChannel, inputs, outputs, frames); break;
        case 4: CascadeKernel<4, L>::run(sections, firstChannel, inputs, outputs, frames); break;
        default: break;
    }
}

// Passes of up to four sections, as even as they come: more do not gain, since by four the
// step is bound by the work and not by the recursions. The first pass reads the inputs, the
// others the outputs in place. Channels go through in pairs, a last odd one alone.
constexpr std::int32_t maxPass = 4;

void runSections(BiquadSection* const* sections, std::int32_t count, std::int32_t channels,
                 const float* const* inputs, float* const* outputs, std::int32_t frames) {
    const float* const* source = inputs;
    while (count > 0) {
        const std::int32_t passes = (count + maxPass - 1) / maxPass;
        const std::int32_t pass = (count + passes - 1) / passes;
        std::int32_t c = 0;
        for (; c + 2 <= channels; c += 2) {
            runPass<TwoChannels>(sections, pass, c, source + c, outputs + c, frames);
        }
        if (c < channels) runPass<OneChannel>(sections, pass, c, source + c, outputs + c, frames);
        source = outputs;
        sections += pass;
        count -= pass;
    }
}

}  // namespace

BiquadSection::BiquadSection(std::int32_t channels) : channels(channels > 0 ? channels : 0) {
    const std::size_t stateCount = static_cast<std::size_t>(this->channels) * 5;
    pool = new (std::nothrow) double[stateCount + 5]();
    if (pool == nullptr) throw AllocationError();
    outputState = pool;
    inputState = outputState + 2 * this->channels;
    denominator = inputState + 3 * this->channels;
    numerator = denominator + 2;
    numerator[0] = 1.0;
}

BiquadSection::~BiquadSection() { delete[] pool; }

void BiquadSection::setDenominator(const double a[2]) {
    denominator[0] = a[0];
    denominator[1] = a[1];
    updateIsIdentity();
}

void BiquadSection::setNumerator(const double b[3]) {
    numerator[0] = b[0];
    numerator[1] = b[1];
    numerator[2] = b[2];
    updateIsIdentity();
}

void BiquadSection::updateIsIdentity() {
    isIdentity = denominator[0] == 0.0 && denominator[1] == 0.0 && numerator[0] == 1.0 &&
                 numerator[1] == 0.0 && numerator[2] == 0.0;
}

void BiquadSection::process(const float* const* inputs, float* const* outputs,
                            std::int32_t frames) {
    BiquadSection* self = this;
    processCascade(&self, 1, channels, inputs, outputs, frames);
}

void BiquadSection::processCascade(BiquadSection* const* sections, std::int32_t count,
                                   std::int32_t channels, const float* const* inputs,
                                   float* const* outputs, std::int32_t frames) {
    if (frames <= 0 || channels <= 0) return;
    if (count <= 0) {
        for (std::int32_t c = 0; c < channels; ++c) {
            if (outputs[c] != inputs[c]) {
                std::memmove(outputs[c], inputs[c], sizeof(float) * static_cast<size_t>(frames));
            }
        }
        return;
    }

    bool hasIdentity = false;
    for (std::int32_t j = 0; j < count; ++j) hasIdentity = hasIdentity || sections[j]->isIdentity;

    if (!hasIdentity) {
        if (!processWide(sections, count, channels, inputs, outputs, frames)) {
            runSections(sections, count, channels, inputs, outputs, frames);
        }
    } else {
        for (std::int32_t j = 0; j < count; ++j) {
            const float* const* source = j == 0 ? inputs : outputs;
            if (sections[j]->isIdentity) {
                sections[j]->processIdentity(source, outputs, frames);
            } else {
                runSections(sections + j, 1, channels, source, outputs, frames);
            }
        }
    }
    for (std::int32_t j = 0; j < count; ++j) sections[j]->settleState();
}

// Below this many frames the skewed kernels spend most steps filling and draining.
constexpr std::int32_t wideMinimumFrames = 48;
// Sections per pass of the wide kernels: more vectors in flight hide the recursions' latency.
constexpr std::int32_t widePass = 6;

bool BiquadSection::processWide(BiquadSection* const* sections, std::int32_t count,
                                std::int32_t channels, const float* const* inputs,
                                float* const* outputs, std::int32_t frames) {
#if defined(BRL_WIDE_KERNELS)
    const InstructionSet set = activeInstructionSet();
    // An odd count would leave one section to run alone, slower than the plain skewed pass.
    if (set == InstructionSet::baseline || channels != 2 || frames < wideMinimumFrames ||
        count % 2 != 0) {
        return false;
    }
    const float* const* source = inputs;
    while (count > 0) {
        const std::int32_t pass = std::min(count, widePass);
        BiquadSectionView views[widePass];
        for (std::int32_t j = 0; j < pass; ++j) {
            views[j] = {sections[j]->numerator, sections[j]->denominator, sections[j]->inputState,
                        sections[j]->outputState};
        }
        if (set == InstructionSet::avx512) {
            avx512::biquadCascade(views, pass, source, outputs, frames);
        } else {
            avx2::biquadCascade(views, pass, source, outputs, frames);
        }
        source = outputs;
        sections += pass;
        count -= pass;
    }
    return true;
#else
    (void)sections, (void)count, (void)channels, (void)inputs, (void)outputs, (void)frames;
    return false;
#endif
}

void BiquadSection::processIdentity(const float* const* inputs, float* const* outputs,
                                    std::int32_t frames) {
    for (std::int32_t c = 0; c < channels; ++c) {
        float* out = outputs[c];
        if (out != inputs[c]) {
            std::memmove(out, inputs[c], sizeof(float) * static_cast<size_t>(frames));
        }
        double* xs = inputState + 3 * c;
        double* ys = outputState + 2 * c;
        const double last = out[frames - 1];
        const double beforeLast = frames >= 2 ? static_cast<double>(out[frames - 2]) : xs[1];
        xs[0] = last;
        xs[1] = last;
        xs[2] = beforeLast;
        ys[0] = last;
        ys[1] = beforeLast;
    }
}

void BiquadSection::settleState() {
    for (std::int32_t c = 0; c < channels; ++c) {
        double* xs = inputState + 3 * c;
        double* ys = outputState + 2 * c;
        if (std::fabs(ys[0]) < stateFloor) ys[0] = 0.0;
        if (std::fabs(ys[1]) < stateFloor) ys[1] = 0.0;
        const bool finite = std::isfinite(ys[0]) && std::isfinite(ys[1]) && std::isfinite(xs[0]) &&
                            std::isfinite(xs[1]) && std::isfinite(xs[2]);
        if (!finite) {
            ys[0] = ys[1] = 0.0;
            xs[0] = xs[1] = xs[2] = 0.0;
        }
    }
}
