#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "dsp/FirKernelBank.h"
#include "dsp/SignalChain.h"
#include "tests/dsp/ChainSignals.h"

namespace {

using Channels = std::vector<std::vector<float>>;

struct Settings {
    float mix = 1.0f;
    float inputGain = 1.0f;
    float driveGain = 1.0f;
    float dryLevel = 1.0f;
    float second = 0.0f;
    float third = 0.0f;
    float density = 0.0f;
    int kick = 0;
    int frequencyIndex = 0;
};

std::unique_ptr<SignalChain> makeChain(int channels, double rate, const Settings& s,
                                       int maxBlock = 256) {
    auto chain = std::make_unique<SignalChain>(channels, rate, maxBlock, 1.0f, 1.0f, 1.0f, 1.0f,
                                               0.0f, 0.0f, 0.0f, 0, 0);
    chain->setMix(s.mix);
    chain->setInputGain(s.inputGain);
    chain->setDriveGain(s.driveGain);
    chain->setDryLevel(s.dryLevel);
    chain->setSecondHarmonic(s.second);
    chain->setThirdHarmonic(s.third);
    chain->setDensity(s.density);
    chain->setKick(float(s.kick));
    chain->setFrequencyIndex(float(s.frequencyIndex));
    return chain;
}

// Runs the whole input through the chain in host blocks of `block` frames, out of place.
Channels run(SignalChain& chain, const Channels& input, int block) {
    const int frames = int(input[0].size());
    Channels output(input.size(), std::vector<float>(frames, -7.0f));
    std::vector<const float*> in(input.size());
    std::vector<float*> out(input.size());
    for (int start = 0; start < frames; start += block) {
        for (std::size_t ch = 0; ch < input.size(); ++ch) {
            in[ch] = input[ch].data() + start;
            out[ch] = output[ch].data() + start;
        }
        chain.process(in.data(), out.data(), std::min(block, frames - start));
    }
    return output;
}

Channels stereoMusic(int frames) {
    return {chain_signals::music(frames, 1), chain_signals::music(frames, 2)};
}

bool allFinite(const std::vector<float>& v, int from, int to) {
    for (int i = from; i < to; ++i) {
        if (!std::isfinite(v[i])) return false;
    }
    return true;
}

struct RateCase {
    double rate;
    int lookahead;
    int latency;
};

class SignalChainRateTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(SignalChainRateTest, LatencyIsHalfTheLongestKernelPlusTheLookaheadMinusOne) {
    auto chain = makeChain(2, GetParam().rate, Settings{});
    EXPECT_EQ(chain->getLookahead(), GetParam().lookahead);
    EXPECT_EQ(chain->getLatency(), GetParam().latency);
}

TEST_P(SignalChainRateTest, MixZeroWithSoloOffGivesTheScaledInputDelayedByTheLatency) {
    Settings s;
    s.mix = 0.0f;
    s.inputGain = 0.5f;
    s.second = 1.0f;
    s.third = 1.0f;
    s.frequencyIndex = 3;
    auto chain = makeChain(2, GetParam().rate, s);
    const Channels input = stereoMusic(3000);
    const Channels output = run(*chain, input, 173);
    const int d1 = GetParam().latency;
    for (int ch = 0; ch < 2; ++ch) {
        for (int i = 0; i < 3000; ++i) {
            const float expected = i < d1 ? 0.0f : input[ch][i - d1] * 0.5f;
            ASSERT_EQ(output[ch][i], expected) << "channel " << ch << " frame " << i;
        }
    }
}

TEST_P(SignalChainRateTest, ImpulseGivesTheFreqKernelCentredOnTheLatencyForEveryStep) {
    for (int index = 0; index <= 6; ++index) {
        Settings s;
        s.dryLevel = 0.0f;
        s.frequencyIndex = index;
        auto chain = makeChain(1, GetParam().rate, s);
        Channels input = {std::vector<float>(1024, 0.0f)};
        input[0][0] = 1.0f;
        const std::vector<float> out = run(*chain, input, 100)[0];

        FirKernelBank bank = FirKernelBank::forSampleRate(GetParam().rate);
        int length = 0;
        const double* kernel = bank.kernel(index, length);
        const int first = GetParam().latency - (length - 1) / 2;
        for (int i = 0; i < 1024; ++i) {
            const bool inKernel = i >= first && i < first + length;
            const float expected = inKernel ? float(kernel[i - first]) : 0.0f;
            ASSERT_EQ(out[i], expected) << "step " << index << " frame " << i;
        }
        const auto peak = std::max_element(
            out.begin(), out.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); });
        EXPECT_EQ(peak - out.begin(), GetParam().latency) << "step " << index;
    }
}

TEST_P(SignalChainRateTest, SoloOnWithMixZeroIsSilent) {
    Settings s;
    s.mix = 0.0f;
    s.dryLevel = 0.0f;
    s.second = 0.7f;
    s.third = 0.4f;
    auto chain = makeChain(2, GetParam().rate, s);
    const Channels output = run(*chain, stereoMusic(2000), 256);
    for (const auto& channel : output) {
        for (float x : channel) ASSERT_EQ(x, 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(SupportedRates, SignalChainRateTest,
                         ::testing::Values(RateCase{44100.0, 89, 108}, RateCase{48000.0, 96, 115},
                                           RateCase{88200.0, 178, 222},
                                           RateCase{96000.0, 193, 241}));

// Rates without a kernel set of their own take the nearest set; N comes from the real rate.
INSTANTIATE_TEST_SUITE_P(OtherRates, SignalChainRateTest,
                         ::testing::Values(RateCase{32000.0, 64, 83}, RateCase{22050.0, 44, 63},
                                           RateCase{64000.0, 129, 148},
                                           RateCase{192000.0, 387, 435}));

class SignalChainTest : public ::testing::Test {};

TEST_F(SignalChainTest, RefusesRatesWhereItCannotWork) {
    EXPECT_TRUE(SignalChain::supportsSampleRate(44100.0));
    EXPECT_TRUE(SignalChain::supportsSampleRate(22050.0));
    EXPECT_TRUE(SignalChain::supportsSampleRate(768000.0));
    EXPECT_FALSE(SignalChain::supportsSampleRate(0.0));
    EXPECT_FALSE(SignalChain::supportsSampleRate(-44100.0));
    EXPECT_FALSE(SignalChain::supportsSampleRate(21972.0));
    EXPECT_FALSE(SignalChain::supportsSampleRate(8000.0));
    EXPECT_FALSE(SignalChain::supportsSampleRate(768001.0));
    EXPECT_FALSE(SignalChain::supportsSampleRate(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(SignalChain::supportsSampleRate(std::numeric_limits<double>::quiet_NaN()));
}

TEST_F(SignalChainTest, LowestUsableRateStaysBoundedWithEveryPathWorking) {
    Settings s;
    s.second = 1.0f;
    s.third = 1.0f;
    auto chain = makeChain(2, 22050.0, s);
    const Channels output = run(*chain, stereoMusic(22050), 512);
    for (const auto& channel : output) {
        for (float x : channel) ASSERT_LT(std::fabs(x), 100.0f);
    }
}

TEST_F(SignalChainTest, WithoutHarmonicsTheOutputIsDryPlusTheHighPassedCopy) {
    Settings both;
    both.mix = 0.5f;
    Settings dryOnly = both;
    dryOnly.mix = 0.0f;
    Settings copyOnly = both;
    copyOnly.dryLevel = 0.0f;
    const Channels input = stereoMusic(2000);
    const Channels sum = run(*makeChain(2, 44100.0, both), input, 300);
    const Channels dry = run(*makeChain(2, 44100.0, dryOnly), input, 300);
    const Channels copy = run(*makeChain(2, 44100.0, copyOnly), input, 300);
    for (int ch = 0; ch < 2; ++ch) {
        for (int i = 0; i < 2000; ++i) ASSERT_EQ(sum[ch][i], dry[ch][i] + copy[ch][i]) << i;
    }
}

TEST_F(SignalChainTest, HarmonicsAddOnlyAboveTheHarmonicHighPass) {
    Settings plain;
    plain.mix = 1.0f;
    Settings excited = plain;
    excited.second = 1.0f;
    excited.third = 1.0f;
    const Channels input = stereoMusic(4000);
    const Channels a = run(*makeChain(2, 44100.0, plain), input, 512);
    const Channels b = run(*makeChain(2, 44100.0, excited), input, 512);
    double difference = 0.0, dc = 0.0;
    for (int i = 1000; i < 4000; ++i) {
        difference += std::fabs(b[0][i] - a[0][i]);
        dc += b[0][i] - a[0][i];
    }
    EXPECT_GT(difference / 3000.0, 1e-3);
    EXPECT_LT(std::fabs(dc / 3000.0), 1e-4);
}

TEST_F(SignalChainTest, InPlaceProcessingMatchesSeparateBuffers) {
    Settings s;
    s.mix = 0.8f;
    s.second = 0.6f;
    s.third = 0.3f;
    s.density = 4.0f;
    const Channels input = stereoMusic(3000);
    const Channels separate = run(*makeChain(2, 48000.0, s, 128), input, 500);
    auto chain = makeChain(2, 48000.0, s, 128);
    Channels buffers = input;
    for (int start = 0; start < 3000; start += 500) {
        float* io[2] = {buffers[0].data() + start, buffers[1].data() + start};
        chain->process(io, io, 500);
    }
    EXPECT_EQ(buffers, separate);
}

TEST_F(SignalChainTest, SilenceGateZeroesOnlyAfterMoreThanTheLatencyAndFreezesTheBlocks) {
    Settings s;
    s.second = 0.8f;
    s.third = 0.8f;
    auto runWithSilence = [&](int gatedPieces, std::vector<float>* lastProcessed) {
        auto chain = makeChain(1, 44100.0, s, 32);
        Channels input = {chain_signals::music(500, 3)};
        run(*chain, input, 32);
        Channels silence = {std::vector<float>(32, 0.0f)};
        // 108 frames of latency: pieces that start at a count of 0, 32, 64 and 96 still run.
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(chain->getSilentFrames(), 32 * k);
            *lastProcessed = run(*chain, silence, 32)[0];
        }
        const float gainBefore = chain->getBand2Compressor().getGain(0);
        const float levelBefore = chain->getBand3Compressor().getLevel(0);
        for (int k = 0; k < gatedPieces; ++k) {
            std::vector<float> gated = run(*chain, silence, 32)[0];
            for (float x : gated) EXPECT_EQ(x, 0.0f);
        }
        EXPECT_EQ(chain->getSilentFrames(), 128);
        EXPECT_EQ(chain->getBand2Compressor().getGain(0), gainBefore);
        EXPECT_EQ(chain->getBand3Compressor().getLevel(0), levelBefore);
        Channels next = {chain_signals::music(700, 4)};
        next[0][0] = 0.0f;
        const Channels out = run(*chain, next, 32);
        EXPECT_EQ(chain->getSilentFrames(), 0);
        return out[0];
    };
    std::vector<float> lastProcessed;
    const std::vector<float> afterShortGate = runWithSilence(1, &lastProcessed);
    // The last processed silent piece still carries the signal's tail.
    EXPECT_NE(std::count(lastProcessed.begin(), lastProcessed.end(), 0.0f), 32);
    const std::vector<float> afterLongGate = runWithSilence(50, &lastProcessed);
    EXPECT_EQ(afterShortGate, afterLongGate);
}

TEST_F(SignalChainTest, OutputIsFiniteAgainWithinTheLatencyPlusOneBlockAfterNonFiniteInput) {
    Settings s;
    s.mix = 1.0f;
    s.second = 1.0f;
    s.third = 1.0f;
    s.density = 5.0f;
    const int block = 64;
    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        auto chain = makeChain(2, 44100.0, s, block);
        Channels input = stereoMusic(6000);
        for (int i = 1000; i < 1100; ++i) input[i % 2][i] = i % 3 ? bad : -bad;
        const Channels output = run(*chain, input, block);
        const int recovered = 1100 + chain->getLatency() + block;
        for (int ch = 0; ch < 2; ++ch) {
            EXPECT_TRUE(allFinite(output[ch], 0, 1000));
            EXPECT_TRUE(allFinite(output[ch], recovered, 6000)) << bad;
        }
    }
}

TEST_F(SignalChainTest, SecondHarmonicUsesTheScaleJustBelowOnePointZeroFive) {
    auto chain = makeChain(1, 44100.0, Settings{});
    // 0.11f * 1.05 would round to 0.1155000031f; the smaller scale gives 0.1154999956f.
    chain->setSecondHarmonic(0.11f);
    EXPECT_EQ(chain->getShaper().getSecond(), 2.0f * 0.115499995648861f);
    EXPECT_NE(chain->getShaper().getSecond(), 2.0f * 0.1155000031f);
    chain->setThirdHarmonic(0.3f);
    EXPECT_EQ(chain->getShaper().getThird(), 0.3f * 1.5f);
}

TEST_F(SignalChainTest, MixAndDryLevelSetBothMixers) {
    auto chain = makeChain(1, 44100.0, Settings{});
    chain->setMix(0.25f);
    chain->setDryLevel(0.0f);
    EXPECT_EQ(chain->getHighMixer().getWet(), 0.25f);
    EXPECT_EQ(chain->getHighMixer().getDry(), 0.0f);
    EXPECT_EQ(chain->getHarmonicMixer().getWet(), 0.25f);
    EXPECT_EQ(chain->getHarmonicMixer().getDry(), 1.0f);
    chain->setMix(0.5f);
    EXPECT_EQ(chain->getHighMixer().getDry(), 0.0f);
}

TEST_F(SignalChainTest, DensitySetsTheThresholdOfBothCompressorsAndIsClamped) {
    auto chain = makeChain(1, 44100.0, Settings{});
    chain->setDensity(2.0f);
    EXPECT_EQ(chain->getBand2Compressor().getThresholdPower(), float(std::pow(10.0, -3.0)));
    EXPECT_EQ(chain->getBand3Compressor().getThresholdPower(), float(std::pow(10.0, -3.0)));
    chain->setDensity(600.0f);
    EXPECT_EQ(chain->getDensity(), 6.0f);
    EXPECT_EQ(chain->getBand2Compressor().getThresholdPower(), float(std::pow(10.0, -7.0)));
    chain->setDensity(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(chain->getDensity(), 0.0f);
}

TEST_F(SignalChainTest, FrequencyIndexIsClampedAndCentredOnTheLongestKernel) {
    auto chain = makeChain(1, 44100.0, Settings{});
    struct Case {
        float index;
        float stored;
        int length;
    };
    const Case cases[] = {{2.7f, 2.7f, 31},
                          {-3.0f, 0.0f, 39},
                          {9.0f, 6.0f, 17},
                          {std::numeric_limits<float>::quiet_NaN(), 0.0f, 39},
                          {std::numeric_limits<float>::infinity(), 6.0f, 17},
                          {-std::numeric_limits<float>::infinity(), 0.0f, 39}};
    for (const Case& c : cases) {
        chain->setFrequencyIndex(c.index);
        EXPECT_EQ(chain->getFrequencyIndex(), c.stored) << c.index;
        EXPECT_EQ(chain->getFreqFilter().getLength(), c.length) << c.index;
        EXPECT_EQ(chain->getFreqFilter().getOffset(), (39 - c.length) / 2) << c.index;
    }
}

}  // namespace
