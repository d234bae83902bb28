// Compiled with AVX-512 (F, VL, DQ; no multiply is fused with an add, -ffp-contract=off):
// eight double lanes per register, four sections of both channels in one.
#include "dsp/WideKernels.h"

#if defined(BRL_WIDE_KERNELS)
#include "dsp/WideKernelBodies.h"

namespace avx512 {

void widen(const float* in, double* out, std::int32_t count) {
    widenLanes<Float8, Double8>(in, out, count);
}

void scale(const float* in, float* out, std::int32_t frames, float gain) {
    scaleLanes<Float16>(in, out, frames, gain);
}

void mix(const float* in, float* out, std::int32_t frames, float dry, float wet) {
    mixLanes<Float16>(in, out, frames, dry, wet);
}

void shape(const float* p, float* q, std::int32_t frames, double k2, double k3) {
    shapeLanes<Float8, Double8>(p, q, frames, k2, k3);
}

std::uint64_t gainCurve(const GainCurveTables& curve, const float* levels, float* gains,
                        std::int32_t count) {
    return gainCurveLanes(curve, levels, gains, count);
}

bool biquadCascade(const BiquadSectionView* sections, std::int32_t count,
                   const float* const* inputs, float* const* outputs, std::int32_t frames) {
    if (count % 4 == 0) return runCascade<8>(sections, count, inputs, outputs, frames);
    if (count % 2 != 0) return false;
    return runCascade<4>(sections, count, inputs, outputs, frames);
}

void firFold(const float* h, std::int32_t half, const double* newest, float* out,
             std::int32_t frames, bool add) {
    if (add) {
        foldLanes<Double8, true>(h, half, newest, out, frames);
    } else {
        foldLanes<Double8, false>(h, half, newest, out, frames);
    }
}

}  // namespace avx512

#endif
