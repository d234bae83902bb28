#include "dsp/GainStage.h"

#include <algorithm>

#include "dsp/InstructionSet.h"
#include "dsp/SampleVectors.h"
#include "dsp/WideKernels.h"

void GainStage::process(const float* const* inputs, float* const* outputs,
                        std::int32_t frames) const {
    const Float4 gains = {gain, gain, gain, gain};
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        const float* in = inputs[ch];
        float* out = outputs[ch];
        if (gain == 0.0f) {
            std::fill(out, out + frames, 0.0f);
            continue;
        }
#if defined(BRL_WIDE_KERNELS)
        const InstructionSet set = activeInstructionSet();
        if (set != InstructionSet::baseline) {
            (set == InstructionSet::avx512 ? avx512::scale : avx2::scale)(in, out, frames, gain);
            continue;
        }
#endif
        std::int32_t i = 0;
        for (; i + 4 <= frames; i += 4) storeFloat4(out + i, loadFloat4(in + i) * gains);
        for (; i < frames; ++i) out[i] = in[i] * gain;
    }
}
