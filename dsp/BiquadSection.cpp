#include "dsp/BiquadSection.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "dsp/AllocationError.h"

// The recursion of S sections over C channels, computed a sample at a time: sample n passes
// through section 0, then section 1, and so on, so the out-of-order core overlaps the
// independent recursions of the sections and channels instead of waiting on one chain of
// additions. Section j reads the float-rounded output of section j - 1, exactly as when the
// sections run one after the other over the whole block.
template <int S, int C>
struct CascadeKernel {
    static void run(BiquadSection* const* sections, std::int32_t firstChannel,
                    const float* const* inputs, float* const* outputs, std::int32_t frames) {
        double b0[S], b1[S], b2[S], a1[S], a2[S];
        double x1[S][C], x2[S][C], y1[S][C], y2[S][C];
#pragma GCC unroll 8
        for (int j = 0; j < S; ++j) {
            const BiquadSection& section = *sections[j];
            b0[j] = section.numerator[0];
            b1[j] = section.numerator[1];
            b2[j] = section.numerator[2];
            a1[j] = section.denominator[0];
            a2[j] = section.denominator[1];
#pragma GCC unroll 2
            for (int c = 0; c < C; ++c) {
                const double* xs = section.inputState + 3 * (firstChannel + c);
                const double* ys = section.outputState + 2 * (firstChannel + c);
                x1[j][c] = xs[1];
                x2[j][c] = xs[2];
                y1[j][c] = ys[0];
                y2[j][c] = ys[1];
            }
        }
        const float* in[C];
        float* out[C];
#pragma GCC unroll 2
        for (int c = 0; c < C; ++c) {
            in[c] = inputs[c];
            out[c] = outputs[c];
        }

        for (std::int32_t n = 0; n < frames; ++n) {
            double x[C];
#pragma GCC unroll 2
            for (int c = 0; c < C; ++c) x[c] = in[c][n];
#pragma GCC unroll 8
            for (int j = 0; j < S; ++j) {
#pragma GCC unroll 2
                for (int c = 0; c < C; ++c) {
                    // y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]
                    const double y = b0[j] * x[c] + b1[j] * x1[j][c] + b2[j] * x2[j][c] -
                                     a1[j] * y1[j][c] - a2[j] * y2[j][c];
                    x2[j][c] = x1[j][c];
                    x1[j][c] = x[c];
                    y2[j][c] = y1[j][c];
                    y1[j][c] = y;
                    x[c] = static_cast<float>(y);
                }
            }
#pragma GCC unroll 2
            for (int c = 0; c < C; ++c) out[c][n] = static_cast<float>(x[c]);
        }

#pragma GCC unroll 8
        for (int j = 0; j < S; ++j) {
            BiquadSection& section = *sections[j];
#pragma GCC unroll 2
            for (int c = 0; c < C; ++c) {
                double* xs = section.inputState + 3 * (firstChannel + c);
                double* ys = section.outputState + 2 * (firstChannel + c);
                xs[0] = x1[j][c];
                xs[1] = x1[j][c];
                xs[2] = x2[j][c];
                ys[0] = y1[j][c];
                ys[1] = y2[j][c];
            }
        }
    }
};

// Two channels as the two lanes of one vector: the same operations in the same order on each
// lane, so every sample is what the scalar code gives, at half the instructions.
typedef double Pair __attribute__((vector_size(16)));
typedef float FloatPair __attribute__((vector_size(8)));

template <int S>
struct CascadeKernel<S, 2> {
    static void run(BiquadSection* const* sections, std::int32_t firstChannel,
                    const float* const* inputs, float* const* outputs, std::int32_t frames) {
        Pair b0[S], b1[S], b2[S], a1[S], a2[S];
        Pair x1[S], x2[S], y1[S], y2[S];
#pragma GCC unroll 8
        for (int j = 0; j < S; ++j) {
            const BiquadSection& section = *sections[j];
            b0[j] = Pair{section.numerator[0], section.numerator[0]};
            b1[j] = Pair{section.numerator[1], section.numerator[1]};
            b2[j] = Pair{section.numerator[2], section.numerator[2]};
            a1[j] = Pair{section.denominator[0], section.denominator[0]};
            a2[j] = Pair{section.denominator[1], section.denominator[1]};
            const double* xs = section.inputState + 3 * firstChannel;
            const double* ys = section.outputState + 2 * firstChannel;
            x1[j] = Pair{xs[1], xs[3 + 1]};
            x2[j] = Pair{xs[2], xs[3 + 2]};
            y1[j] = Pair{ys[0], ys[2 + 0]};
            y2[j] = Pair{ys[1], ys[2 + 1]};
        }
        const float* inLeft = inputs[0];
        const float* inRight = inputs[1];
        float* outLeft = outputs[0];
        float* outRight = outputs[1];

        for (std::int32_t n = 0; n < frames; ++n) {
            Pair x = __builtin_convertvector((FloatPair{inLeft[n], inRight[n]}), Pair);
#pragma GCC unroll 8
            for (int j = 0; j < S; ++j) {
                // y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]
                const Pair y =
                    b0[j] * x + b1[j] * x1[j] + b2[j] * x2[j] - a1[j] * y1[j] - a2[j] * y2[j];
                x2[j] = x1[j];
                x1[j] = x;
                y2[j] = y1[j];
                y1[j] = y;
                x = __builtin_convertvector(__builtin_convertvector(y, FloatPair), Pair);
            }
            const FloatPair out = __builtin_convertvector(x, FloatPair);
            outLeft[n] = out[0];
            outRight[n] = out[1];
        }

#pragma GCC unroll 8
        for (int j = 0; j < S; ++j) {
            BiquadSection& section = *sections[j];
            for (int c = 0; c < 2; ++c) {
                double* xs = section.inputState + 3 * (firstChannel + c);
                double* ys = section.outputState + 2 * (firstChannel + c);
                xs[0] = x1[j][c];
                xs[1] = x1[j][c];
                xs[2] = x2[j][c];
                ys[0] = y1[j][c];
                ys[1] = y2[j][c];
            }
        }
    }
};

namespace {

template <int C>
void runPass(BiquadSection* const* sections, std::int32_t count, std::int32_t firstChannel,
             const float* const* inputs, float* const* outputs, std::int32_t frames) {
    switch (count) {
        case 1: CascadeKernel<1, C>::run(sections, firstChannel, inputs, outputs, frames); break;
        case 2: CascadeKernel<2, C>::run(sections, firstChannel, inputs, outputs, frames); break;
        case 3: CascadeKernel<3, C>::run(sections, firstChannel, inputs, outputs, frames); break;
        default: break;
    }
}

// Passes of up to three sections: the state of more does not fit the registers (four run as
// two and two). The first pass reads the inputs, the others the outputs in place. Channels go
// through in pairs, a last odd one alone.
void runSections(BiquadSection* const* sections, std::int32_t count, std::int32_t channels,
                 const float* const* inputs, float* const* outputs, std::int32_t frames) {
    const float* const* source = inputs;
    while (count > 0) {
        const std::int32_t pass = count == 4 ? 2 : std::min<std::int32_t>(count, 3);
        std::int32_t c = 0;
        for (; c + 2 <= channels; c += 2) {
            runPass<2>(sections, pass, c, source + c, outputs + c, frames);
        }
        if (c < channels) runPass<1>(sections, pass, c, source + c, outputs + c, frames);
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
        runSections(sections, count, channels, inputs, outputs, frames);
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
