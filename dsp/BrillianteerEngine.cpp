#include "dsp/BrillianteerEngine.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "dsp/SampleVectors.h"
#include "dsp/SignalChain.h"
#include "params/BrillianteerParameters.h"

namespace {

using P = BrillianteerParameters;

constexpr float meterFloorLinear = 0.001f;
constexpr float peakDecayPerPiece = 0.95f;

float toMeterDb(float peak) {
    if (peak < meterFloorLinear) return P::meterFloorDb;
    return static_cast<float>(20.0 * std::log10(static_cast<double>(peak)));
}

// The largest |x| above `floor`, as the sequence "if |x| > p then p = |x|" gives it: a NaN
// sample never passes the comparison. Sixteen running maxima, in four vectors so that their
// comparisons overlap, merged at the end; the largest value wins whatever the order.
float peakAbove(float floor, const float* samples, std::int32_t frames) {
    const Int4 magnitude = {0x7fffffff, 0x7fffffff, 0x7fffffff, 0x7fffffff};
    const Float4 floors = {floor, floor, floor, floor};
    Float4 lanes[4] = {floors, floors, floors, floors};
    std::int32_t i = 0;
    for (; i + 16 <= frames; i += 16) {
#pragma GCC unroll 4
        for (int v = 0; v < 4; ++v) {
            const Float4 level = (Float4)((Int4)loadFloat4(samples + i + 4 * v) & magnitude);
            lanes[v] = level > lanes[v] ? level : lanes[v];
        }
    }
    for (; i + 4 <= frames; i += 4) {
        const Float4 level = (Float4)((Int4)loadFloat4(samples + i) & magnitude);
        lanes[0] = level > lanes[0] ? level : lanes[0];
    }
    float peak = floor;
    for (int v = 0; v < 4; ++v) {
        for (int k = 0; k < 4; ++k) {
            if (lanes[v][k] > peak) peak = lanes[v][k];
        }
    }
    for (; i < frames; ++i) {
        const float level = std::fabs(samples[i]);
        if (level > peak) peak = level;
    }
    return peak;
}

}  // namespace

bool BrillianteerEngine::canCreate(std::int32_t inputChannels, std::int32_t sampleRate,
                                   std::int32_t outputChannels, std::int32_t maxBlockSize) {
    const bool channelsWork = (inputChannels == 1 || inputChannels == 2) &&
                              (outputChannels == 0 || outputChannels == inputChannels ||
                               (inputChannels == 1 && outputChannels == 2));
    return channelsWork && maxBlockSize >= 1 &&
           SignalChain::supportsSampleRate(static_cast<double>(static_cast<float>(sampleRate)));
}

std::unique_ptr<BrillianteerEngine> BrillianteerEngine::create(std::int32_t inputChannels,
                                                               std::int32_t sampleRate,
                                                               std::int32_t outputChannels,
                                                               std::int32_t maxBlockSize) {
    if (!canCreate(inputChannels, sampleRate, outputChannels, maxBlockSize)) return nullptr;
    try {
        return std::make_unique<BrillianteerEngine>(inputChannels, sampleRate, outputChannels,
                                                    maxBlockSize);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

BrillianteerEngine::BrillianteerEngine(std::int32_t inputChannels, std::int32_t sampleRate,
                                       std::int32_t outputChannels, std::int32_t maxBlockSize)
    : AudioProcessor(inputChannels, sampleRate, outputChannels, maxBlockSize),
      splitter(*this, this->inputChannels, this->maxBlockSize, this->outputChannels),
      meterChannels(this->inputChannels == 1 ? 2 : this->inputChannels) {
    chain = std::make_unique<SignalChain>(this->inputChannels,
                                          static_cast<double>(this->sampleRate), this->maxBlockSize,
                                          1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0, 0);
    peaks.assign(static_cast<std::size_t>(meterChannels), 0.0f);
    meterDb.assign(static_cast<std::size_t>(meterChannels), 0.0f);
}

BrillianteerEngine::~BrillianteerEngine() = default;

void BrillianteerEngine::applyParameters(ParameterSet& params) {
    for (std::int32_t index = 0; index < P::automatableCount; ++index) {
        if (!params.isChanged(index)) continue;
        const float v = params.takeValue(index);
        switch (index) {
            case P::InGain:
                chain->setInputGain(static_cast<float>(std::pow(10.0, v * 0.05)));
                break;
            case P::Gain: chain->setDriveGain(v * 0.01f); break;
            case P::Second: chain->setSecondHarmonic(v * 0.01f); break;
            case P::Third: chain->setThirdHarmonic(v * 0.01f); break;
            case P::Mix: chain->setMix(v * 0.01f); break;
            case P::Solo: chain->setDryLevel(static_cast<float>(std::fabs(v - 1.0))); break;
            case P::Kick: chain->setKick(v); break;
            case P::Freq: chain->setFrequencyIndex(static_cast<float>(v * 0.001f - 1.0)); break;
            case P::Density: chain->setDensity(v); break;
        }
    }
}

void BrillianteerEngine::publishMeters(ParameterSet& params) {
    if (inputChannels < meterChannels) {
        const float db = toMeterDb(peaks[0]);
        meterDb[1] = db;
        meterDb[0] = db;
        params.setData(P::Meters, meterDb.data(),
                       meterChannels * static_cast<std::int32_t>(sizeof(float)), 0);
        for (float& peak : peaks) peak = 0.0f;
        return;
    }
    for (std::int32_t ch = 0; ch < inputChannels; ++ch) meterDb[ch] = toMeterDb(peaks[ch]);
    params.setData(P::Meters, meterDb.data(),
                   inputChannels * static_cast<std::int32_t>(sizeof(float)), 0);
}

std::int32_t BrillianteerEngine::getLatency() { return chain->getLatency(); }

std::int32_t BrillianteerEngine::start() { return 0; }

std::int32_t BrillianteerEngine::stop() {
    for (std::int32_t ch = 0; ch < inputChannels; ++ch) peaks[ch] = 0.0f;
    return 0;
}

void BrillianteerEngine::render(const float* const* inputs, float* const* outputs,
                                std::int32_t frames) {
    splitter.split(inputs, outputs, frames);
}

void BrillianteerEngine::processPiece(const float* const* inputs, float* const* outputs,
                                      std::int32_t frames) {
    chain->process(inputs, outputs, frames);
    if (inputChannels == 1 && outputChannels == 2) {
        std::memcpy(outputs[1], outputs[0], static_cast<std::size_t>(frames) * sizeof(float));
    }
    for (std::int32_t ch = 0; ch < inputChannels; ++ch) {
        float peak = peakAbove(peaks[ch] * peakDecayPerPiece, outputs[ch], frames);
        // An infinite sample reads as full scale, so the meter does not stay stuck at +inf;
        // a NaN sample never passes the comparison.
        if (!(peak <= std::numeric_limits<float>::max())) peak = 1.0f;
        peaks[ch] = peak;
    }
}
