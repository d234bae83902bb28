#include "dsp/GainStage.h"

void GainStage::process(const float* const* inputs, float* const* outputs,
                        std::int32_t frames) const {
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        const float* in = inputs[ch];
        float* out = outputs[ch];
        if (gain == 0.0f) {
            for (std::int32_t i = 0; i < frames; ++i) out[i] = 0.0f;
        } else {
            for (std::int32_t i = 0; i < frames; ++i) out[i] = in[i] * gain;
        }
    }
}
