#include "dsp/SignalChain.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace {

// N / fs: the double nearest 89 / 44100.
constexpr double lookaheadSeconds = 0.002018140589569161;
constexpr double highestBandCutoffHz = 10986.0;
constexpr double maxSampleRate = 768000.0;
// The "2nd" scale, one step below the double nearest 1.05.
constexpr double secondHarmonicScale = 1.0499999999999998;

float clampToSteps(float value) {
    if (!(value >= 0.0f)) return 0.0f;
    return std::min(value, 6.0f);
}

float thresholdDb(float density) { return -((density + 1.0f) * 10.0f); }

}  // namespace

bool SignalChain::supportsSampleRate(double sampleRate) {
    return std::isfinite(sampleRate) && sampleRate > 2.0 * highestBandCutoffHz &&
           sampleRate <= maxSampleRate;
}

std::int32_t SignalChain::lookaheadLength(double sampleRate) {
    return static_cast<std::int32_t>(sampleRate * lookaheadSeconds);
}

SignalChain::SignalChain(std::int32_t channels, double sampleRate, std::int32_t maxBlockSize,
                         float mix, float inputGain, float driveGain, float dryLevel,
                         float secondAmount, float thirdAmount, float density, std::int32_t kick,
                         std::int32_t frequencyIndex)
    : channels(channels),
      sampleRate(sampleRate),
      inputGain(inputGain),
      driveGain(driveGain),
      mix(mix),
      secondAmount(secondAmount),
      thirdAmount(thirdAmount),
      dryLevel(dryLevel),
      kick(static_cast<float>(kick)),
      density(clampToSteps(density)),
      lookaheadPlusOne(lookaheadLength(sampleRate) + 1),
      maxBlockSize(std::max(maxBlockSize, 1)),
      kernelBank(FirKernelBank::forSampleRate(sampleRate)),
      latency((kernelBank.fullLength(0) + 1) / 2 + lookaheadPlusOne - 2),
      inputStage(channels, inputGain),
      dryDelay(channels, latency, this->maxBlockSize),
      freqFilter(channels, kernelBank.fullLength(0), this->maxBlockSize),
      highDelay(channels, lookaheadPlusOne - 1, this->maxBlockSize),
      highMixer(channels, mix, dryLevel),
      driveStage(channels, driveGain),
      band2HighPass(channels, 3400.0, sampleRate, 6),
      band2LowPass(channels, 10000.0, sampleRate, 6),
      band2Compressor(channels, static_cast<float>(sampleRate), 2.0f, thresholdDb(this->density),
                      lookaheadPlusOne, this->kick, this->maxBlockSize),
      band3HighPass(channels, 3662.0, sampleRate, 6),
      band3LowPass(channels, 6667.0, sampleRate, 6),
      band3Compressor(channels, static_cast<float>(sampleRate), 3.0f, thresholdDb(this->density),
                      lookaheadPlusOne, this->kick, this->maxBlockSize),
      shaper(channels, 0.0f, 0.0f),
      harmonicHighPass(channels, highestBandCutoffHz, sampleRate, 8),
      harmonicMixer(channels, mix, 1.0f) {
    if (!dryDelay.isReady() || !highDelay.isReady()) throw std::bad_alloc();
    setFrequencyIndex(static_cast<float>(frequencyIndex));
    setSecondHarmonic(secondAmount);
    setThirdHarmonic(thirdAmount);

    const std::size_t bufferSize = static_cast<std::size_t>(this->maxBlockSize);
    workSamples.assign(4 * static_cast<std::size_t>(channels) * bufferSize, 0.0f);
    work1.reset(new float*[channels]);
    work2.reset(new float*[channels]);
    work3.reset(new float*[channels]);
    work4.reset(new float*[channels]);
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        float* base = workSamples.data() + 4 * static_cast<std::size_t>(ch) * bufferSize;
        work1[ch] = base;
        work2[ch] = base + bufferSize;
        work3[ch] = base + 2 * bufferSize;
        work4[ch] = base + 3 * bufferSize;
    }
    inView.reset(new const float*[channels]());
    outView.reset(new float*[channels]());
}

SignalChain::~SignalChain() = default;

void SignalChain::setInputGain(float gain) {
    inputGain = gain;
    inputStage.setGain(gain);
}

void SignalChain::setDriveGain(float gain) {
    driveGain = gain;
    driveStage.setGain(gain);
}

void SignalChain::setSecondHarmonic(float amount) {
    secondAmount = amount;
    shaper.setSecond(2.0f * static_cast<float>(amount * secondHarmonicScale));
}

void SignalChain::setThirdHarmonic(float amount) {
    thirdAmount = amount;
    shaper.setThird(amount * 1.5f);
}

void SignalChain::setMix(float newMix) {
    mix = newMix;
    harmonicMixer.setFactors(mix, 1.0f);
    highMixer.setFactors(mix, dryLevel);
}

void SignalChain::setDryLevel(float level) {
    dryLevel = level;
    highMixer.setFactors(mix, dryLevel);
}

void SignalChain::setKick(float newKick) {
    kick = newKick;
    band2Compressor.setKick(kick);
    band3Compressor.setKick(kick);
}

void SignalChain::setFrequencyIndex(float index) {
    frequencyIndex = clampToSteps(index);
    std::int32_t length = 0;
    const double* kernel = kernelBank.kernel(static_cast<std::int32_t>(frequencyIndex), length);
    // Centres every kernel where kernel 0's centre lies, so the path's delay stays H0 - 1.
    const std::int32_t offset = (kernelBank.fullLength(0) - length) / 2;
    freqFilter.setKernel(kernel, length, offset);
}

void SignalChain::setDensity(float newDensity) {
    density = clampToSteps(newDensity);
    band2Compressor.setThreshold(thresholdDb(density));
    band3Compressor.setThreshold(thresholdDb(density));
}

bool SignalChain::isSilent(const float* const* inputs, std::int32_t frames) const {
    if (inputs[0][0] != 0.0f) return false;
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        const float* in = inputs[ch];
        for (std::int32_t i = 0; i < frames; ++i) {
            if (in[i] != 0.0f) return false;
        }
    }
    return true;
}

void SignalChain::process(const float* const* inputs, float* const* outputs, std::int32_t frames) {
    if (frames <= 0) return;
    if (isSilent(inputs, frames)) {
        // Keep running until every delay path has flushed, then skip the whole chain.
        if (silentFrames > latency) {
            for (std::int32_t ch = 0; ch < channels; ++ch) {
                std::fill(outputs[ch], outputs[ch] + frames, 0.0f);
            }
            return;
        }
        silentFrames += std::min(frames, std::numeric_limits<std::int32_t>::max() - silentFrames);
    } else {
        silentFrames = 0;
    }
    for (std::int32_t start = 0; start < frames;) {
        const std::int32_t n = std::min(frames - start, maxBlockSize);
        for (std::int32_t ch = 0; ch < channels; ++ch) {
            inView[ch] = inputs[ch] + start;
            outView[ch] = outputs[ch] + start;
        }
        processPiece(n);
        start += n;
    }
}

void SignalChain::processPiece(std::int32_t n) {
    float** w1 = work1.get();
    float** w2 = work2.get();
    float** w3 = work3.get();
    float** w4 = work4.get();
    float* const* out = outView.get();
    // The whole input is read into W1 before any output sample is written.
    inputStage.process(inView.get(), w1, n);
    dryDelay.process(w1, 0, out, 0, n);
    freqFilter.process(w1, w1, n);
    highDelay.process(w1, 0, w2, 0, n);
    highMixer.process(w2, out, n);
    driveStage.process(w1, w1, n);
    BiquadCascade::processSeries(band2HighPass, band2LowPass, w1, w3, n);
    BiquadCascade::processSeries(band3HighPass, band3LowPass, w1, w1, n);
    LookaheadCompressor::processPair(band2Compressor, w3, w2, band3Compressor, w1, w4, n);
    shaper.process(w2, w4, n);
    harmonicHighPass.process(w4, w4, n);
    harmonicMixer.process(w4, out, n);
}
