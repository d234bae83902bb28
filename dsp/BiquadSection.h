#pragma once

#include <cstdint>

// One second-order IIR section in direct form I, with one coefficient set shared by the
// channels and state per channel. Coefficients are doubles; the recursion runs in double and
// each output sample is rounded to float.
//
// A new section is an identity (numerator 1, 0, 0; denominator 0, 0) until its coefficients
// are set. All state starts at 0 and lives in one pooled allocation made at construction.
class BiquadSection {
public:
    // Throws AllocationError (code -1) when the pooled storage cannot be allocated.
    explicit BiquadSection(std::int32_t channels);
    ~BiquadSection();
    BiquadSection(const BiquadSection&) = delete;
    BiquadSection& operator=(const BiquadSection&) = delete;

    // a[0] = a1, a[1] = a2; a0 is 1 and not stored.
    void setDenominator(const double a[2]);
    // b[0] = b0, b[1] = b1, b[2] = b2.
    void setNumerator(const double b[3]);

    // Filters every channel. An output channel may be its input channel; otherwise the
    // channel buffers must not overlap.
    void process(const float* const* inputs, float* const* outputs, std::int32_t frames);

    // Runs `count` sections over the same signal, section 0 reading the inputs and each next
    // one reading the previous one's output, and leaves the result in the outputs. Every
    // sample and every state equals what running the sections one after the other over the
    // whole call gives; each pass of a few sections is computed a sample at a time so that
    // their recursions overlap. All sections must have `channels` channels.
    static void processCascade(BiquadSection* const* sections, std::int32_t count,
                               std::int32_t channels, const float* const* inputs,
                               float* const* outputs, std::int32_t frames);

    std::int32_t getChannels() const { return channels; }
    bool getIsIdentity() const { return isIdentity; }
    const double* getDenominator() const { return denominator; }
    const double* getNumerator() const { return numerator; }
    // y1, y2 of a channel.
    const double* getOutputState(std::int32_t channel) const { return outputState + 2 * channel; }
    // The last input, x1, x2 of a channel.
    const double* getInputState(std::int32_t channel) const { return inputState + 3 * channel; }

    // Output state smaller than this is zeroed at the end of each call, keeping a dying
    // recursion out of denormal numbers (the double nearest 1/60000).
    static constexpr double stateFloor = 1.6666666666666667e-05;

private:
    template <int S, typename Lanes>
    friend struct CascadeKernel;

    // Runs the sections through the kernels of the active instruction set; false when none fits
    // (one channel, a short call, or the baseline set), leaving everything untouched.
    static bool processWide(BiquadSection* const* sections, std::int32_t count,
                            std::int32_t channels, const float* const* inputs,
                            float* const* outputs, std::int32_t frames);
    void updateIsIdentity();
    void processIdentity(const float* const* inputs, float* const* outputs, std::int32_t frames);
    // The one place where state is cleaned at the end of a call: tiny output state is zeroed,
    // and a channel whose state is no longer finite (after non-finite input) starts again
    // from 0, so finite input after it gives finite output.
    void settleState();

    std::int32_t channels;
    std::int32_t denominatorCount = 2;
    std::int32_t numeratorCount = 3;
    double* outputState;  // per channel: y1, y2
    double* inputState;   // per channel: last input, x1, x2
    double* denominator;  // a1, a2
    double* numerator;    // b0, b1, b2
    bool isIdentity = true;
    double* pool;
};
