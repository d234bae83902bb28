#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/AudioProcessor.h"
#include "dsp/BlockSplitter.h"

class SignalChain;

// The processor the plug-in class drives: one SignalChain fed in pieces of at most the
// maximum block size, a mono input promoted to two outputs, and one peak holder per channel
// published in dB as the data of the level parameter (BrillianteerParameters::Meters).
class BrillianteerEngine : public AudioProcessor {
public:
    // Configurations the engine works with: 1 or 2 inputs; outputs 0 (as many as inputs),
    // equal to the inputs, or 2 for 1 input; a rate SignalChain supports; a block of at least
    // one frame.
    static bool canCreate(std::int32_t inputChannels, std::int32_t sampleRate,
                          std::int32_t outputChannels, std::int32_t maxBlockSize);
    // A new engine, or null when the configuration cannot work or storage is short.
    static std::unique_ptr<BrillianteerEngine> create(std::int32_t inputChannels,
                                                      std::int32_t sampleRate,
                                                      std::int32_t outputChannels,
                                                      std::int32_t maxBlockSize);

    // The arguments must satisfy canCreate. Throws (a std::bad_alloc) when storage is short.
    BrillianteerEngine(std::int32_t inputChannels, std::int32_t sampleRate,
                       std::int32_t outputChannels, std::int32_t maxBlockSize);
    ~BrillianteerEngine() override;

    // Hands every changed automatable parameter to the chain, converted to the chain's units.
    void applyParameters(ParameterSet& params) override;
    // Writes the peak levels in dB (the meter floor below 0.001) into the level parameter's block.
    void publishMeters(ParameterSet& params) override;
    std::int32_t getLatency() override;
    std::int32_t start() override;
    std::int32_t stop() override;
    void render(const float* const* inputs, float* const* outputs, std::int32_t frames) override;

    const SignalChain& getChain() const { return *chain; }
    std::int32_t getMeterChannels() const { return meterChannels; }
    float getPeak(std::int32_t channel) const { return peaks[channel]; }

private:
    // Hands the splitter's pieces to the engine's per-piece step.
    class PieceSplitter : public BlockSplitter {
    public:
        PieceSplitter(BrillianteerEngine& engine, std::int32_t inputChannels,
                      std::int32_t maxBlockSize, std::int32_t outputChannels)
            : BlockSplitter(inputChannels, maxBlockSize, outputChannels), engine(engine) {}

    private:
        void processPiece(const float* const* inputs, float* const* outputs,
                          std::int32_t frames) override {
            engine.processPiece(inputs, outputs, frames);
        }
        BrillianteerEngine& engine;
    };

    // Runs the chain on one piece, promotes mono and updates the peak holders.
    void processPiece(const float* const* inputs, float* const* outputs, std::int32_t frames);

    PieceSplitter splitter;
    std::vector<float> peaks;  // linear
    std::vector<float> meterDb;
    std::int32_t meterChannels;
    std::unique_ptr<SignalChain> chain;
};
