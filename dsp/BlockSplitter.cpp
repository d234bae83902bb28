#include "dsp/BlockSplitter.h"

#include <algorithm>

BlockSplitter::BlockSplitter(std::int32_t inputChannels, std::int32_t maxBlockSize,
                             std::int32_t outputChannels)
    : inputChannels(std::max(inputChannels, 0)),
      outputChannels(outputChannels == 0 ? this->inputChannels : std::max(outputChannels, 0)),
      maxBlockSize(std::max(maxBlockSize, 1)),
      inputView(new const float*[this->inputChannels]()),
      outputView(new float*[this->outputChannels]()) {}

BlockSplitter::~BlockSplitter() = default;

void BlockSplitter::split(const float* const* inputs, float* const* outputs, std::int32_t frames) {
    for (std::int32_t start = 0; start < frames;) {
        const std::int32_t piece = std::min(frames - start, maxBlockSize);
        for (std::int32_t ch = 0; ch < inputChannels; ++ch) inputView[ch] = inputs[ch] + start;
        for (std::int32_t ch = 0; ch < outputChannels; ++ch) outputView[ch] = outputs[ch] + start;
        processPiece(inputView.get(), outputView.get(), piece);
        start += piece;
    }
}
