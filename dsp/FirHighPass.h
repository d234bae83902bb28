#pragma once

#include <cstdint>

#include "dsp/FirFilter.h"

// The linear-phase "Freq" high-pass: a FirFilter whose kernel is symmetric and of odd length,
// so each output folds the two samples that share a coefficient and needs half the
// multiplications. Output j = h[H-1] x[centre] + sum over m < H-1 of h[m] (x[newest - m] +
// x[oldest + m]), in double, rounded to float; with L = 2H - 1, oldest = newest - (L - 1) and
// centre = newest - (H - 1).
class FirHighPass : public FirFilter {
public:
    // Throws AllocationError (code -1) when its storage cannot be allocated.
    FirHighPass(std::int32_t channels, std::int32_t maxLength, std::int32_t maxBlockSize);
    ~FirHighPass() override;

    // Loads a symmetric kernel of `length` values from its first half (rounded to float and
    // mirrored) with the given extra delay. The history is kept, so the new kernel works on
    // the existing signal from the next sample on. Refused, returning false, when the kernel
    // is missing or it and the offset do not fit the history.
    bool setKernel(const double* kernel, std::int32_t length, std::int32_t offset);

protected:
    void convolve(const float* const* histories, std::int32_t start, float* const* outputs,
                  std::int32_t outputOffset, std::int32_t frames) override;
    void convolveAdd(const float* const* histories, std::int32_t start, float* const* outputs,
                     std::int32_t outputOffset, std::int32_t frames) override;

private:
    // A kernel loaded through the general FirFilter setters need not be symmetric; such a
    // kernel is evaluated unfolded.
    bool isSymmetricOdd() const;

    // One channel's history and piece as doubles, widened once per piece rather than per tap.
    double* wideHistory = nullptr;
};
