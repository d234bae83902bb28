#include "dsp/HarmonicShaper.h"

void HarmonicShaper::process(const float* const* squared, float* const* cubed,
                             std::int32_t frames) const {
    const double second = k2;
    const double third = k3;
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        const float* p = squared[ch];
        float* q = cubed[ch];
        for (std::int32_t i = 0; i < frames; ++i) {
            const double x = p[i];
            const double y = q[i];
            q[i] = static_cast<float>(third * y * y * y + second * x * x);
        }
    }
}
