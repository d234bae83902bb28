#pragma once

#include <cstdint>

#include "dsp/BiquadCascade.h"

// Butterworth low-pass: unity gain at DC, a null at fs/2, -3.01 dB at the cutoff; order / 2
// sections.
class ButterworthLowPass : public BiquadCascade {
public:
    // Throws AllocationError (code -1) when a section's storage cannot be allocated.
    ButterworthLowPass(std::int32_t channels, double cutoffHz, double sampleRate,
                       std::int32_t order);
};
