#include "dsp/FirFilter.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "dsp/AllocationError.h"

namespace {

template <bool Add>
inline void store(float* out, double sum) {
    if (Add) {
        *out += static_cast<float>(sum);
    } else {
        *out = static_cast<float>(sum);
    }
}

// out[j] = sum over m of h[m] x[j - m], accumulated in m order. Four outputs at a time keep
// four independent chains of additions in flight.
template <bool Add>
void convolveChannel(const float* h, std::int32_t length, const float* x, float* out,
                     std::int32_t frames) {
    std::int32_t j = 0;
    for (; j + 4 <= frames; j += 4) {
        const float* p = x + j;
        double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
        for (std::int32_t m = 0; m < length; ++m) {
            const double c = h[m];
            s0 += c * p[-m];
            s1 += c * p[1 - m];
            s2 += c * p[2 - m];
            s3 += c * p[3 - m];
        }
        store<Add>(out + j, s0);
        store<Add>(out + j + 1, s1);
        store<Add>(out + j + 2, s2);
        store<Add>(out + j + 3, s3);
    }
    for (; j < frames; ++j) {
        const float* p = x + j;
        double s = 0.0;
        for (std::int32_t m = 0; m < length; ++m) s += static_cast<double>(h[m]) * p[-m];
        store<Add>(out + j, s);
    }
}

}  // namespace

FirFilter::FirFilter(std::int32_t channels, std::int32_t maxLength, std::int32_t maxBlockSize)
    : channels(channels > 0 ? channels : 0),
      length(maxLength > 0 ? maxLength : 1),
      historyLength(length),
      maxBlockSize(maxBlockSize > 0 ? maxBlockSize : 1) {
    coefficients = new (std::nothrow) float[historyLength]();
    histories = new (std::nothrow) float*[this->channels > 0 ? this->channels : 1]();
    if (coefficients == nullptr || histories == nullptr) {
        release();
        throw AllocationError();
    }
    const std::size_t size = static_cast<std::size_t>(historyLength) + this->maxBlockSize;
    for (std::int32_t c = 0; c < this->channels; ++c) {
        histories[c] = new (std::nothrow) float[size]();
        if (histories[c] == nullptr) {
            release();
            throw AllocationError();
        }
    }
}

FirFilter::~FirFilter() { release(); }

void FirFilter::release() {
    if (histories != nullptr) {
        for (std::int32_t c = 0; c < channels; ++c) delete[] histories[c];
    }
    delete[] histories;
    delete[] coefficients;
    histories = nullptr;
    coefficients = nullptr;
}

bool FirFilter::isReady() const {
    if (coefficients == nullptr || histories == nullptr) return false;
    for (std::int32_t c = 0; c < channels; ++c) {
        if (histories[c] == nullptr) return false;
    }
    return true;
}

// The oldest sample a kernel reads is offset + length - 1 behind the newest, and the history
// keeps historyLength samples behind the piece.
bool FirFilter::fits(std::int32_t newLength, std::int32_t newOffset) const {
    return newLength >= 1 && newOffset >= 0 && newLength <= historyLength &&
           newOffset <= historyLength - newLength;
}

bool FirFilter::setCoefficients(const double* values, std::int32_t count, std::int32_t offset) {
    const std::int32_t newLength = count == -1 ? length : count;
    if (values == nullptr || !fits(newLength, offset)) return false;
    for (std::int32_t m = 0; m < newLength; ++m) coefficients[m] = static_cast<float>(values[m]);
    length = newLength;
    this->offset = offset;
    return true;
}

bool FirFilter::setCoefficientsFloat(const float* values, std::int32_t count, std::int32_t offset) {
    const std::int32_t newLength = count == -1 ? length : count;
    if (values == nullptr || !fits(newLength, offset)) return false;
    std::memcpy(coefficients, values, sizeof(float) * static_cast<std::size_t>(newLength));
    length = newLength;
    this->offset = offset;
    return true;
}

void FirFilter::reset() {
    for (std::int32_t c = 0; c < channels; ++c) {
        std::fill(histories[c], histories[c] + historyLength, 0.0f);
    }
}

void FirFilter::process(const float* const* inputs, float* const* outputs, std::int32_t frames) {
    processAt(inputs, 0, outputs, 0, frames);
}

void FirFilter::processAt(const float* const* inputs, std::int32_t inputOffset,
                          float* const* outputs, std::int32_t outputOffset, std::int32_t frames) {
    run(inputs, inputOffset, outputs, outputOffset, frames, false);
}

void FirFilter::processAdd(const float* const* inputs, float* const* outputs, std::int32_t frames) {
    processAddAt(inputs, 0, outputs, 0, frames);
}

void FirFilter::processAddAt(const float* const* inputs, std::int32_t inputOffset,
                             float* const* outputs, std::int32_t outputOffset,
                             std::int32_t frames) {
    run(inputs, inputOffset, outputs, outputOffset, frames, true);
}

// Each piece is copied in behind the history before any output of it is written, so the
// outputs may be the inputs; afterwards the newest historyLength samples move to the front.
void FirFilter::run(const float* const* inputs, std::int32_t inputOffset, float* const* outputs,
                    std::int32_t outputOffset, std::int32_t frames, bool add) {
    while (frames > 0) {
        const std::int32_t piece = std::min(frames, maxBlockSize);
        const std::size_t pieceBytes = sizeof(float) * static_cast<std::size_t>(piece);
        for (std::int32_t c = 0; c < channels; ++c) {
            std::memcpy(histories[c] + historyLength, inputs[c] + inputOffset, pieceBytes);
        }
        if (add) {
            convolveAdd(histories, historyLength, outputs, outputOffset, piece);
        } else {
            convolve(histories, historyLength, outputs, outputOffset, piece);
        }
        for (std::int32_t c = 0; c < channels; ++c) {
            std::memmove(histories[c], histories[c] + piece,
                         sizeof(float) * static_cast<std::size_t>(historyLength));
        }
        inputOffset += piece;
        outputOffset += piece;
        frames -= piece;
    }
}

void FirFilter::convolve(const float* const* histories, std::int32_t start, float* const* outputs,
                         std::int32_t outputOffset, std::int32_t frames) {
    for (std::int32_t c = 0; c < channels; ++c) {
        convolveChannel<false>(coefficients, length, histories[c] + start - offset,
                               outputs[c] + outputOffset, frames);
    }
}

void FirFilter::convolveAdd(const float* const* histories, std::int32_t start,
                            float* const* outputs, std::int32_t outputOffset, std::int32_t frames) {
    for (std::int32_t c = 0; c < channels; ++c) {
        convolveChannel<true>(coefficients, length, histories[c] + start - offset,
                              outputs[c] + outputOffset, frames);
    }
}
