#include "dsp/HarmonicShaper.h"

#include "dsp/InstructionSet.h"
#include "dsp/SampleVectors.h"
#include "dsp/WideKernels.h"

void HarmonicShaper::process(const float* const* squared, float* const* cubed,
                             std::int32_t frames) const {
    const double second = k2;
    const double third = k3;
    const Double2 seconds = {second, second};
    const Double2 thirds = {third, third};
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        const float* p = squared[ch];
        float* q = cubed[ch];
#if defined(BRL_WIDE_KERNELS)
        const InstructionSet set = activeInstructionSet();
        if (set != InstructionSet::baseline) {
            (set == InstructionSet::avx512 ? avx512::shape : avx2::shape)(p, q, frames, second,
                                                                          third);
            continue;
        }
#endif
        std::int32_t i = 0;
        for (; i + 4 <= frames; i += 4) {
            const Double2 x0 = loadWidened2(p + i), x1 = loadWidened2(p + i + 2);
            const Double2 y0 = loadWidened2(q + i), y1 = loadWidened2(q + i + 2);
            storeNarrowed2(q + i, thirds * y0 * y0 * y0 + seconds * x0 * x0);
            storeNarrowed2(q + i + 2, thirds * y1 * y1 * y1 + seconds * x1 * x1);
        }
        for (; i < frames; ++i) {
            const double x = p[i];
            const double y = q[i];
            q[i] = static_cast<float>(third * y * y * y + second * x * x);
        }
    }
}
