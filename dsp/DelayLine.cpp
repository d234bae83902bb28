#include "dsp/DelayLine.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

bool overlaps(const float* a, const float* b, std::int32_t frames) {
    const auto x = reinterpret_cast<std::uintptr_t>(a);
    const auto y = reinterpret_cast<std::uintptr_t>(b);
    const auto bytes = static_cast<std::uintptr_t>(frames) * sizeof(float);
    return x < y + bytes && y < x + bytes;
}

}  // namespace

DelayLine::DelayLine(std::int32_t channels, std::int32_t length, std::int32_t capacity)
    : channels(std::max(channels, 0)), capacity(std::max(capacity, 1)) {
    buffers.reset(new (std::nothrow) std::unique_ptr<float[]>[this->channels]);
    setLength(length);
}

DelayLine::~DelayLine() = default;

bool DelayLine::isReady() const {
    if (!buffers) return false;
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        if (!buffers[ch]) return false;
    }
    return true;
}

void DelayLine::setLength(std::int32_t newLength) {
    length = std::max(newLength, 0);
    if (!buffers) return;
    const std::size_t size = static_cast<std::size_t>(length) + static_cast<std::size_t>(capacity);
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        buffers[ch].reset(new (std::nothrow) float[size]());
    }
}

void DelayLine::clear() {
    if (!isReady()) return;
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        std::fill(buffers[ch].get(), buffers[ch].get() + length, 0.0f);
    }
}

void DelayLine::process(const float* const* inputs, std::int32_t inputOffset, float* const* outputs,
                        std::int32_t outputOffset, std::int32_t frames) {
    if (frames <= 0) return;
    const bool ready = isReady();
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        float* out = outputs[ch] + outputOffset;
        if (ready) {
            processChannel(buffers[ch].get(), inputs[ch] + inputOffset, out, frames);
        } else {
            std::fill(out, out + frames, 0.0f);
        }
    }
}

void DelayLine::processChannel(float* buffer, const float* in, float* out, std::int32_t frames) {
    const std::size_t historyBytes = static_cast<std::size_t>(length) * sizeof(float);
    if (frames >= length && !overlaps(in, out, frames)) {
        std::memcpy(out, buffer, historyBytes);
        std::memcpy(out + length, in, static_cast<std::size_t>(frames - length) * sizeof(float));
        std::memcpy(buffer, in + (frames - length), historyBytes);
        return;
    }
    for (std::int32_t done = 0; done < frames;) {
        const std::int32_t e = std::min(frames - done, capacity);
        const std::size_t chunkBytes = static_cast<std::size_t>(e) * sizeof(float);
        std::memmove(buffer + length, in + done, chunkBytes);
        std::memmove(out + done, buffer, chunkBytes);
        std::memmove(buffer, buffer + e, historyBytes);
        done += e;
    }
}
