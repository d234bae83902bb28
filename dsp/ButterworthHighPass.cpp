#include "dsp/ButterworthHighPass.h"

ButterworthHighPass::ButterworthHighPass(std::int32_t channels, double cutoffHz, double sampleRate,
                                         std::int32_t order)
    : BiquadCascade(Kind::highPass, channels, cutoffHz, sampleRate, order) {}
