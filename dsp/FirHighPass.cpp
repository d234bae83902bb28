#include "dsp/FirHighPass.h"

namespace {

template <bool Add>
inline void store(float* out, double sum) {
    if (Add) {
        *out += static_cast<float>(sum);
    } else {
        *out = static_cast<float>(sum);
    }
}

// Folded evaluation of a symmetric kernel h[0..half-1] (h[half-1] the centre) for outputs whose
// newest input is newest[j]. Four outputs at a time keep four chains of additions in flight;
// each output still sums its terms in the order centre, m = 0, 1, ... half - 2.
template <bool Add>
void foldChannel(const float* h, std::int32_t half, const float* newest, float* out,
                 std::int32_t frames) {
    const std::int32_t last = half - 1;
    const float* centre = newest - last;
    const float* oldest = newest - 2 * last;
    const double centreTap = h[last];
    std::int32_t j = 0;
    for (; j + 4 <= frames; j += 4) {
        double s0 = centreTap * centre[j];
        double s1 = centreTap * centre[j + 1];
        double s2 = centreTap * centre[j + 2];
        double s3 = centreTap * centre[j + 3];
        const float* n = newest + j;
        const float* o = oldest + j;
        for (std::int32_t m = 0; m < last; ++m) {
            const double c = h[m];
            s0 += c * (static_cast<double>(n[-m]) + o[m]);
            s1 += c * (static_cast<double>(n[1 - m]) + o[1 + m]);
            s2 += c * (static_cast<double>(n[2 - m]) + o[2 + m]);
            s3 += c * (static_cast<double>(n[3 - m]) + o[3 + m]);
        }
        store<Add>(out + j, s0);
        store<Add>(out + j + 1, s1);
        store<Add>(out + j + 2, s2);
        store<Add>(out + j + 3, s3);
    }
    for (; j < frames; ++j) {
        double s = centreTap * centre[j];
        for (std::int32_t m = 0; m < last; ++m) {
            s += static_cast<double>(h[m]) * (static_cast<double>(newest[j - m]) + oldest[j + m]);
        }
        store<Add>(out + j, s);
    }
}

}  // namespace

FirHighPass::FirHighPass(std::int32_t channels, std::int32_t maxLength, std::int32_t maxBlockSize)
    : FirFilter(channels, maxLength, maxBlockSize) {}

FirHighPass::~FirHighPass() = default;

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
        foldChannel<false>(coefficients, (length + 1) / 2, histories[c] + start - offset,
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
        foldChannel<true>(coefficients, (length + 1) / 2, histories[c] + start - offset,
                          outputs[c] + outputOffset, frames);
    }
}
