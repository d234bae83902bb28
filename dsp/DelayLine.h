#pragma once

#include <cstdint>
#include <memory>

// Delays every channel by a fixed number of samples. Each channel's buffer holds the last
// `length` input samples followed by room for one chunk of `capacity` samples, so a chunk is
// copied in behind the history and read back from the front.
class DelayLine {
public:
    DelayLine(std::int32_t channels, std::int32_t length, std::int32_t capacity);
    DelayLine(const DelayLine&) = delete;
    DelayLine& operator=(const DelayLine&) = delete;

    // False when a channel buffer could not be allocated; such a line outputs silence.
    virtual bool isReady() const;
    // Reallocates every buffer for the new length, zeroed. Not for the audio thread.
    virtual void setLength(std::int32_t newLength);
    // Writes `frames` samples from outputOffset: the input from inputOffset, `length` samples
    // late. An output channel may be its input channel.
    virtual void process(const float* const* inputs, std::int32_t inputOffset,
                         float* const* outputs, std::int32_t outputOffset, std::int32_t frames);
    virtual ~DelayLine();
    // Forgets the delayed samples.
    virtual void clear();

    std::int32_t getLength() const { return length; }

private:
    void processChannel(float* buffer, const float* in, float* out, std::int32_t frames);

    std::int32_t channels;
    std::int32_t length = 0;
    std::int32_t capacity;
    std::unique_ptr<std::unique_ptr<float[]>[]> buffers;
};
