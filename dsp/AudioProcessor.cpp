#include "dsp/AudioProcessor.h"

#include <algorithm>

AudioProcessor::AudioProcessor(std::int32_t inputChannels, std::int32_t sampleRate,
                               std::int32_t outputChannels, std::int32_t maxBlockSize)
    : sampleRate(static_cast<float>(sampleRate)),
      inputChannels(std::max(inputChannels, 0)),
      outputChannels(outputChannels == 0 ? this->inputChannels : std::max(outputChannels, 0)),
      maxBlockSize(std::max(maxBlockSize, 1)),
      pieceInputs(new const float*[this->inputChannels]()) {
    scratchSamples.assign(static_cast<std::size_t>(this->outputChannels) *
                              static_cast<std::size_t>(this->maxBlockSize),
                          0.0f);
    scratch.reset(new float*[this->outputChannels]);
    for (std::int32_t ch = 0; ch < this->outputChannels; ++ch) {
        scratch[ch] = scratchSamples.data() + static_cast<std::size_t>(ch) * this->maxBlockSize;
    }
}

AudioProcessor::~AudioProcessor() = default;

std::int32_t AudioProcessor::getLatency() { return 0; }
std::int32_t AudioProcessor::start() { return 0; }
std::int32_t AudioProcessor::stop() { return 0; }
std::int32_t AudioProcessor::reserved(std::int32_t) { return 0; }

void AudioProcessor::process(const float* const* inputs, float* const* outputs, std::int32_t frames,
                             bool accumulate) {
    if (inputs == nullptr || outputs == nullptr || frames <= 0) return;
    for (std::int32_t ch = 0; ch < inputChannels; ++ch) {
        if (inputs[ch] == nullptr) return;
    }
    for (std::int32_t ch = 0; ch < outputChannels; ++ch) {
        if (outputs[ch] == nullptr) return;
    }
    if (!accumulate) {
        render(inputs, outputs, frames);
        return;
    }
    for (std::int32_t start = 0; start < frames;) {
        const std::int32_t piece = std::min(frames - start, maxBlockSize);
        for (std::int32_t ch = 0; ch < inputChannels; ++ch) pieceInputs[ch] = inputs[ch] + start;
        render(pieceInputs.get(), scratch.get(), piece);
        for (std::int32_t ch = 0; ch < outputChannels; ++ch) {
            float* out = outputs[ch] + start;
            const float* rendered = scratch[ch];
            for (std::int32_t i = 0; i < piece; ++i) out[i] += rendered[i];
        }
        start += piece;
    }
}
