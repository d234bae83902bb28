#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/ButterworthHighPass.h"
#include "dsp/ButterworthLowPass.h"
#include "dsp/DelayLine.h"
#include "dsp/FirHighPass.h"
#include "dsp/FirKernelBank.h"
#include "dsp/GainStage.h"
#include "dsp/HarmonicShaper.h"
#include "dsp/LookaheadCompressor.h"
#include "dsp/Mixer.h"

// The harmonic exciter. The input (times the input gain) splits into a dry path and a side
// chain. The side chain is high-passed by the "Freq" kernel; a copy of it is mixed into the
// dry signal, and, times the drive gain, it feeds two bands, each levelled by a look-ahead
// compressor, then squared and cubed; their sum is high-passed above 10986 Hz and mixed in.
// Every path is delayed to arrive D1 = H0 + N - 1 samples after the input, where N is the
// compressors' look-ahead and H0 - 1 the delay of the "Freq" high-pass.
//
// At a rate without a kernel set of its own the chain uses the set of the nearest supported
// rate, with N and D1 computed from the actual rate, so getLatency is the delay it has.
class SignalChain {
public:
    // Usable rates: finite, above twice the highest band-filter cutoff (below that the band
    // filters are unstable) and at most 768 kHz.
    static bool supportsSampleRate(double sampleRate);
    // N: the look-ahead of the compressors and the delay of the high-passed copy.
    static std::int32_t lookaheadLength(double sampleRate);

    // sampleRate must satisfy supportsSampleRate, channels be 1 or 2, maxBlockSize at least 1.
    // Throws (a std::bad_alloc) when storage cannot be allocated.
    SignalChain(std::int32_t channels, double sampleRate, std::int32_t maxBlockSize, float mix,
                float inputGain, float driveGain, float dryLevel, float secondAmount,
                float thirdAmount, float density, std::int32_t kick, std::int32_t frequencyIndex);
    SignalChain(const SignalChain&) = delete;
    SignalChain& operator=(const SignalChain&) = delete;
    ~SignalChain();

    // Reads and writes `channels` channels. An output channel may be its input channel.
    void process(const float* const* inputs, float* const* outputs, std::int32_t frames);

    // D1, samples.
    std::int32_t getLatency() const { return latency; }

    void setInputGain(float gain);
    void setDriveGain(float gain);
    void setSecondHarmonic(float amount);
    void setThirdHarmonic(float amount);
    void setMix(float newMix);
    void setDryLevel(float level);
    void setKick(float newKick);
    // Clamped to 0..6 (non-finite below or NaN gives 0), then truncated to a kernel index.
    void setFrequencyIndex(float index);
    // Clamped to 0..6 (NaN gives 0); threshold -((density + 1) * 10) dB.
    void setDensity(float newDensity);

    std::int32_t getChannels() const { return channels; }
    double getSampleRate() const { return sampleRate; }
    std::int32_t getSilentFrames() const { return silentFrames; }
    float getFrequencyIndex() const { return frequencyIndex; }
    float getDensity() const { return density; }
    std::int32_t getLookahead() const { return lookaheadPlusOne - 1; }
    const GainStage& getInputStage() const { return inputStage; }
    const GainStage& getDriveStage() const { return driveStage; }
    const FirHighPass& getFreqFilter() const { return freqFilter; }
    const Mixer& getHighMixer() const { return highMixer; }
    const Mixer& getHarmonicMixer() const { return harmonicMixer; }
    const HarmonicShaper& getShaper() const { return shaper; }
    const LookaheadCompressor& getBand2Compressor() const { return band2Compressor; }
    const LookaheadCompressor& getBand3Compressor() const { return band3Compressor; }
    const BiquadCascade& getHarmonicHighPass() const { return harmonicHighPass; }

private:
    bool isSilent(const float* const* inputs, std::int32_t frames) const;
    void processPiece(std::int32_t frames);

    std::int32_t channels;
    double sampleRate;
    std::int32_t silentFrames = 0;
    float inputGain;
    float driveGain;
    float mix;
    float secondAmount;
    float thirdAmount;
    float dryLevel;
    float kick;
    float density;
    float frequencyIndex = 0.0f;
    std::int32_t lookaheadPlusOne;
    std::int32_t maxBlockSize;
    FirKernelBank kernelBank;
    std::int32_t latency;
    GainStage inputStage;
    DelayLine dryDelay;
    FirHighPass freqFilter;
    DelayLine highDelay;
    Mixer highMixer;
    GainStage driveStage;
    ButterworthHighPass band2HighPass;
    ButterworthLowPass band2LowPass;
    LookaheadCompressor band2Compressor;
    ButterworthHighPass band3HighPass;
    ButterworthLowPass band3LowPass;
    LookaheadCompressor band3Compressor;
    HarmonicShaper shaper;
    ButterworthHighPass harmonicHighPass;
    Mixer harmonicMixer;
    // work1 to work4: channels * maxBlockSize samples each, in one allocation. The fourth lets
    // the two compressors run side by side, neither writing what the other still reads.
    std::vector<float> workSamples;
    std::unique_ptr<float*[]> work1;
    std::unique_ptr<float*[]> work2;
    std::unique_ptr<float*[]> work3;
    std::unique_ptr<float*[]> work4;
    std::unique_ptr<const float*[]> inView;
    std::unique_ptr<float*[]> outView;
};
