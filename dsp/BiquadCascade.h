#pragma once

#include <cstdint>

class BiquadSection;

// An even-order Butterworth filter as a cascade of second-order sections, designed by the
// bilinear transform. The low-pass and the high-pass share the poles and differ only in the
// numerators; ButterworthLowPass and ButterworthHighPass choose the kind.
class BiquadCascade {
public:
    virtual ~BiquadCascade();
    BiquadCascade(const BiquadCascade&) = delete;
    BiquadCascade& operator=(const BiquadCascade&) = delete;

    // Section 0 reads the inputs and writes the outputs; each further section filters the
    // outputs in place. An output channel may be its input channel.
    void process(const float* const* inputs, float* const* outputs, std::int32_t frames);

    // Runs `second` on the output of `first` as one cascade: the same samples and states as
    // first.process followed by second.process in place, with twice the sections in flight.
    // Both must have the same channel count and together at most maxSeriesSections sections.
    static void processSeries(BiquadCascade& first, BiquadCascade& second,
                              const float* const* inputs, float* const* outputs,
                              std::int32_t frames);
    static constexpr std::int32_t maxSeriesSections = 16;

    std::int32_t getChannels() const { return channels; }
    std::int32_t getSectionCount() const { return sectionCount; }
    // Sections in processing order; the first has the highest Q.
    const BiquadSection& getSection(std::int32_t index) const { return *sections[index]; }

protected:
    enum class Kind { lowPass, highPass };

    // Throws AllocationError (code -1) when a section's storage cannot be allocated.
    BiquadCascade(Kind kind, std::int32_t channels, double cutoffHz, double sampleRate,
                  std::int32_t order);

private:
    void design(Kind kind, double cutoffHz, double sampleRate, std::int32_t order);
    void release();

    std::int32_t channels;
    std::int32_t sectionCount;
    BiquadSection** sections;
};
