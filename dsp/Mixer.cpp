#include "dsp/Mixer.h"

#include "dsp/InstructionSet.h"
#include "dsp/SampleVectors.h"
#include "dsp/WideKernels.h"

// A factor of exactly 1 changes no sample when multiplied, so one loop serves every factor.
void Mixer::process(const float* const* inputs, float* const* outputs, std::int32_t frames) const {
    const Float4 wets = {wet, wet, wet, wet};
    const Float4 drys = {dry, dry, dry, dry};
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        const float* in = inputs[ch];
        float* out = outputs[ch];
#if defined(BRL_WIDE_KERNELS)
        const InstructionSet set = activeInstructionSet();
        if (set != InstructionSet::baseline) {
            (set == InstructionSet::avx512 ? avx512::mix : avx2::mix)(in, out, frames, dry, wet);
            continue;
        }
#endif
        std::int32_t i = 0;
        for (; i + 4 <= frames; i += 4) {
            storeFloat4(out + i, drys * loadFloat4(out + i) + wets * loadFloat4(in + i));
        }
        for (; i < frames; ++i) out[i] = dry * out[i] + wet * in[i];
    }
}
