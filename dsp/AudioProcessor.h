#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class ParameterSet;

// A multichannel block processor as the plug-in class drives it: parameters in, meters out,
// and audio either replacing the outputs or added to them. Audio buffers are arrays of
// per-channel pointers to float samples.
class AudioProcessor {
public:
    // An output count of 0 means as many outputs as inputs. The scratch buffers for the
    // accumulating mode hold maxBlockSize samples per output channel.
    AudioProcessor(std::int32_t inputChannels, std::int32_t sampleRate, std::int32_t outputChannels,
                   std::int32_t maxBlockSize);
    AudioProcessor(const AudioProcessor&) = delete;
    AudioProcessor& operator=(const AudioProcessor&) = delete;

    virtual ~AudioProcessor();
    virtual void applyParameters(ParameterSet& params) = 0;
    virtual void publishMeters(ParameterSet& params) = 0;
    // In samples.
    virtual std::int32_t getLatency();
    virtual std::int32_t start();
    virtual std::int32_t stop();
    virtual std::int32_t reserved(std::int32_t value);
    // With accumulate set the rendered samples are added to the outputs. Any frame count
    // works in both modes: a longer accumulating call is rendered in pieces of maxBlockSize,
    // the same pieces render cuts in the replacing mode. Null pointers or frames <= 0 do
    // nothing.
    virtual void process(const float* const* inputs, float* const* outputs, std::int32_t frames,
                         bool accumulate);
    // Writes `frames` samples to every output channel. The caller's pointer arrays are
    // unchanged afterwards.
    virtual void render(const float* const* inputs, float* const* outputs, std::int32_t frames) = 0;

    float getSampleRate() const { return sampleRate; }
    std::int32_t getInputChannels() const { return inputChannels; }
    std::int32_t getOutputChannels() const { return outputChannels; }
    std::int32_t getMaxBlockSize() const { return maxBlockSize; }

protected:
    std::vector<float> scratchSamples;
    std::unique_ptr<float*[]> scratch;  // outputChannels buffers of maxBlockSize samples
    float sampleRate;
    std::int32_t inputChannels;
    std::int32_t outputChannels;
    std::int32_t maxBlockSize;

private:
    std::unique_ptr<const float*[]> pieceInputs;
};
