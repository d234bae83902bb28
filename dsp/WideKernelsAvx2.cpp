// Compiled with AVX2 (and without fused multiply-add): four double lanes per register.
#include "dsp/WideKernels.h"

#if defined(BRL_WIDE_KERNELS)
#include "dsp/WideKernelBodies.h"

namespace avx2 {

void widen(const float* in, double* out, std::int32_t count) {
    widenLanes<Float4, Double4>(in, out, count);
}

void scale(const float* in, float* out, std::int32_t frames, float gain) {
    scaleLanes<Float8>(in, out, frames, gain);
}

void mix(const float* in, float* out, std::int32_t frames, float dry, float wet) {
    mixLanes<Float8>(in, out, frames, dry, wet);
}

void shape(const float* p, float* q, std::int32_t frames, double k2, double k3) {
    shapeLanes<Float4, Double4>(p, q, frames, k2, k3);
}

bool biquadCascade(const BiquadSectionView* sections, std::int32_t count,
                   const float* const* inputs, float* const* outputs, std::int32_t frames) {
    if (count % 2 != 0) return false;
    return runCascade<4>(sections, count, inputs, outputs, frames);
}

void firFold(const float* h, std::int32_t half, const double* newest, float* out,
             std::int32_t frames, bool add) {
    if (add) {
        foldLanes<Double4, true>(h, half, newest, out, frames);
    } else {
        foldLanes<Double4, false>(h, half, newest, out, frames);
    }
}

}  // namespace avx2

#endif
