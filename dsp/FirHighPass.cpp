#include "dsp/FirHighPass.h"

#include <new>

#include "dsp/AllocationError.h"
#include "dsp/InstructionSet.h"
#include "dsp/WideKernels.h"

namespace {

template <bool Add>
inline void store(float* out, double sum) {
    if (Add) {
        *out += static_cast<float>(sum);
    } else {
        *out = static_cast<float>(sum);
    }
}

typedef double Pair __attribute__((vector_size(16)));

// Two neighbouring samples of the widened history.
inline Pair pairAt(const double* p) {
    Pair v;
    __builtin_memcpy(&v, p, sizeof(v));
    return v;
}

// Folded evaluation of a symmetric kernel h[0..half-1] (h[half-1] the centre) for outputs whose
// newest input is newest[j], read from the history widened to double (exact, so the sums are
// those of the float history). Eight outputs at a time, two to a vector, keep several chains
// of additions in flight; each output still sums its terms in the order centre, m = 0, 1, ...
// half - 2, with the same operations as one output at a time.
template <bool Add>
void foldChannel(const float* h, std::int32_t half, const double* newest, float* out,
                 std::int32_t frames) {
    const std::int32_t last = half - 1;
    const double* centre = newest - last;
    const double* oldest = newest - 2 * last;
    const double centreTap = h[last];
    const Pair centrePair = {centreTap, centreTap};
    std::int32_t j = 0;
    for (; j + 8 <= frames; j += 8) {
        Pair s0 = centrePair * pairAt(centre + j);
        Pair s1 = centrePair * pairAt(centre + j + 2);
        Pair s2 = centrePair * pairAt(centre + j + 4);
        Pair s3 = centrePair * pairAt(centre + j + 6);
        const double* n = newest + j;
        const double* o = oldest + j;
        for (std::int32_t m = 0; m < last; ++m) {
            const Pair c = {static_cast<double>(h[m]), static_cast<double>(h[m])};
            s0 += c * (pairAt(n - m) + pairAt(o + m));
            s1 += c * (pairAt(n + 2 - m) + pairAt(o + 2 + m));
            s2 += c * (pairAt(n + 4 - m) + pairAt(o + 4 + m));
            s3 += c * (pairAt(n + 6 - m) + pairAt(o + 6 + m));
        }
        const Pair sums[4] = {s0, s1, s2, s3};
        for (int k = 0; k < 4; ++k) {
            store<Add>(out + j + 2 * k, sums[k][0]);
            store<Add>(out + j + 2 * k + 1, sums[k][1]);
        }
    }
    for (; j < frames; ++j) {
        double s = centreTap * centre[j];
        for (std::int32_t m = 0; m < last; ++m) {
            s += static_cast<double>(h[m]) * (newest[j - m] + oldest[j + m]);
        }
        store<Add>(out + j, s);
    }
}

void widen(const float* in, double* out, std::int32_t count) {
#if defined(BRL_WIDE_KERNELS)
    switch (activeInstructionSet()) {
        case InstructionSet::avx512: avx512::widen(in, out, count); return;
        case InstructionSet::avx2: avx2::widen(in, out, count); return;
        default: break;
    }
#endif
    for (std::int32_t i = 0; i < count; ++i) out[i] = in[i];
}

// The folded sum on the widest vectors the machine offers; the same sums in the same order.
template <bool Add>
void fold(const float* h, std::int32_t half, const double* newest, float* out,
          std::int32_t frames) {
#if defined(BRL_WIDE_KERNELS)
    switch (activeInstructionSet()) {
        case InstructionSet::avx512: avx512::firFold(h, half, newest, out, frames, Add); return;
        case InstructionSet::avx2: avx2::firFold(h, half, newest, out, frames, Add); return;
        default: break;
    }
#endif
    foldChannel<Add>(h, half, newest, out, frames);
}

}  // namespace

FirHighPass::FirHighPass(std::int32_t channels, std::int32_t maxLength, std::int32_t maxBlockSize)
    : FirFilter(channels, maxLength, maxBlockSize) {
    wideHistory = new (std::nothrow) double[historyLength + this->maxBlockSize];
    if (wideHistory == nullptr) throw AllocationError();
}

FirHighPass::~FirHighPass() { delete[] wideHistory; }

bool FirHighPass::setKernel(const double* kernel, std::int32_t length, std::int32_t offset) {
    if (kernel == nullptr || !fits(length, offset)) return false;
    this->length = length;
    this->offset = offset;
    for (std::int32_t i = 0; i < (length + 1) / 2; ++i) {
        const float v = static_cast<float>(kernel[i]);
        coefficients[i] = v;
        coefficients[length - 1 - i] = v;
    }
    return true;
}

bool FirHighPass::isSymmetricOdd() const {
    if (length % 2 == 0) return false;
    for (std::int32_t i = 0; i < length / 2; ++i) {
        if (coefficients[i] != coefficients[length - 1 - i]) return false;
    }
    return true;
}

void FirHighPass::convolve(const float* const* histories, std::int32_t start, float* const* outputs,
                           std::int32_t outputOffset, std::int32_t frames) {
    if (!isSymmetricOdd()) {
        FirFilter::convolve(histories, start, outputs, outputOffset, frames);
        return;
    }
    for (std::int32_t c = 0; c < channels; ++c) {
        widen(histories[c], wideHistory, start + frames);
        fold<false>(coefficients, (length + 1) / 2, wideHistory + start - offset,
                    outputs[c] + outputOffset, frames);
    }
}

void FirHighPass::convolveAdd(const float* const* histories, std::int32_t start,
                              float* const* outputs, std::int32_t outputOffset,
                              std::int32_t frames) {
    if (!isSymmetricOdd()) {
        FirFilter::convolveAdd(histories, start, outputs, outputOffset, frames);
        return;
    }
    for (std::int32_t c = 0; c < channels; ++c) {
        widen(histories[c], wideHistory, start + frames);
        fold<true>(coefficients, (length + 1) / 2, wideHistory + start - offset,
                   outputs[c] + outputOffset, frames);
    }
}
