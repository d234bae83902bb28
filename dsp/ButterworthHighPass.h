#pragma once

#include <cstdint>

#include "dsp/BiquadCascade.h"

// Butterworth high-pass: unity gain at fs/2, a null at DC, -3.01 dB at the cutoff; order / 2
// sections.
class ButterworthHighPass : public BiquadCascade {
public:
    // Throws AllocationError (code -1) when a section's storage cannot be allocated.
    ButterworthHighPass(std::int32_t channels, double cutoffHz, double sampleRate,
                        std::int32_t order);
};
