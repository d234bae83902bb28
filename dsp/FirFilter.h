#pragma once

#include <cstdint>

// A multichannel direct-form FIR filter with the input history carried between calls. Each
// channel's history holds the last `historyLength` input samples followed by room for one
// piece, so a piece is convolved from contiguous memory.
//
// Output sample n is the sum over m of h[m] * x[n - offset - m], accumulated in double and
// rounded to float: `offset` delays the signal before the kernel. offset + length never
// exceeds the maximum length given at construction.
class FirFilter {
public:
    // Throws AllocationError (code -1) when the coefficients or a history cannot be
    // allocated. The kernel starts as `maxLength` zeros.
    FirFilter(std::int32_t channels, std::int32_t maxLength, std::int32_t maxBlockSize);
    FirFilter(const FirFilter&) = delete;
    FirFilter& operator=(const FirFilter&) = delete;

    virtual bool isReady() const;
    // Loads `count` values (count -1: the current length) as floats with the given offset.
    // Refused, returning false and keeping the current kernel, when the values are missing or
    // the kernel and offset do not fit the history.
    virtual bool setCoefficients(const double* values, std::int32_t count, std::int32_t offset);
    virtual bool setCoefficientsFloat(const float* values, std::int32_t count, std::int32_t offset);
    // Forgets the input history.
    virtual void reset();
    virtual void process(const float* const* inputs, float* const* outputs, std::int32_t frames);
    // Replaces `frames` output samples from outputOffset with the filtered input from
    // inputOffset. An output channel may be its input channel.
    virtual void processAt(const float* const* inputs, std::int32_t inputOffset,
                           float* const* outputs, std::int32_t outputOffset, std::int32_t frames);
    virtual void processAdd(const float* const* inputs, float* const* outputs, std::int32_t frames);
    // As processAt, but adds the filtered samples to the outputs.
    virtual void processAddAt(const float* const* inputs, std::int32_t inputOffset,
                              float* const* outputs, std::int32_t outputOffset,
                              std::int32_t frames);
    virtual ~FirFilter();

    std::int32_t getChannels() const { return channels; }
    std::int32_t getLength() const { return length; }
    std::int32_t getOffset() const { return offset; }
    std::int32_t getHistoryLength() const { return historyLength; }
    std::int32_t getMaxBlockSize() const { return maxBlockSize; }
    const float* getCoefficients() const { return coefficients; }

protected:
    // Writes (or adds) `frames` filtered samples, the newest input of output j being
    // histories[channel][start + j].
    virtual void convolve(const float* const* histories, std::int32_t start, float* const* outputs,
                          std::int32_t outputOffset, std::int32_t frames);
    virtual void convolveAdd(const float* const* histories, std::int32_t start,
                             float* const* outputs, std::int32_t outputOffset, std::int32_t frames);

    bool fits(std::int32_t newLength, std::int32_t newOffset) const;

    std::int32_t channels;
    std::int32_t length;
    std::int32_t offset = 0;
    std::int32_t historyLength;
    float* coefficients = nullptr;
    float** histories = nullptr;
    std::int32_t maxBlockSize;

private:
    void run(const float* const* inputs, std::int32_t inputOffset, float* const* outputs,
             std::int32_t outputOffset, std::int32_t frames, bool add);
    void release();
};
