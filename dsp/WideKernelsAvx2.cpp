// Compiled with AVX2 (and without fused multiply-add): four double lanes per register.
#include "dsp/WideKernels.h"

#if defined(BRL_WIDE_KERNELS)
#include "dsp/WideKernelBodies.h"

namespace avx2 {

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
