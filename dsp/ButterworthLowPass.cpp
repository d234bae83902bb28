#include "dsp/ButterworthLowPass.h"

ButterworthLowPass::ButterworthLowPass(std::int32_t channels, double cutoffHz, double sampleRate,
                                       std::int32_t order)
    : BiquadCascade(Kind::lowPass, channels, cutoffHz, sampleRate, order) {}
