#pragma once

#include <cstdint>

struct FirKernelSet;

// The seven "Freq" high-pass kernels (index 0 to 6 for 1000 to 7000 Hz) of one sample rate,
// handed out as full mirrored kernels. Kernel 0 is the longest of each set.
class FirKernelBank {
public:
    static constexpr std::int32_t kernelCount = 7;
    static constexpr std::int32_t scratchLength = 100;

    // Selects the set whose rate equals sampleRate exactly (44100, 48000, 88200 or 96000 Hz);
    // for any other rate the bank has no set.
    explicit FirKernelBank(double sampleRate);

    // The bank of the supported rate nearest to sampleRate by ratio, for a rate that has no
    // set of its own; no set for a rate that is not positive and finite.
    static FirKernelBank forSampleRate(double sampleRate);
    // 44100, 48000, 88200 or 96000; 0 when sampleRate is not positive and finite.
    static double nearestSupportedRate(double sampleRate);

    bool hasSet() const { return set != nullptr; }
    // The rate of the selected set, truncated; 0 without a set.
    std::int32_t getSampleRate() const { return sampleRate; }
    // 2H - 1 for the kernel `index`; 0 without a set or for an index outside 0 to 6.
    std::int32_t fullLength(std::int32_t index) const;
    // Writes the full kernel `index` into the bank's scratch (element i and element 2H - 2 - i
    // both h[i]) and returns it, valid until the next call; null with length 0 without a set
    // or for an index outside 0 to 6.
    const double* kernel(std::int32_t index, std::int32_t& length);

private:
    std::int32_t sampleRate = 0;
    double scratch[scratchLength] = {};
    const FirKernelSet* set = nullptr;
};
