#include "dsp/Mixer.h"

void Mixer::process(const float* const* inputs, float* const* outputs, std::int32_t frames) const {
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        const float* in = inputs[ch];
        float* out = outputs[ch];
        if (dry == 1.0f && wet == 1.0f) {
            for (std::int32_t i = 0; i < frames; ++i) out[i] = out[i] + in[i];
        } else if (dry == 1.0f) {
            for (std::int32_t i = 0; i < frames; ++i) out[i] = out[i] + wet * in[i];
        } else if (wet == 1.0f) {
            for (std::int32_t i = 0; i < frames; ++i) out[i] = dry * out[i] + in[i];
        } else {
            for (std::int32_t i = 0; i < frames; ++i) out[i] = dry * out[i] + wet * in[i];
        }
    }
}
