#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "dsp/BrillianteerEngine.h"
#include "dsp/SignalChain.h"
#include "params/BrillianteerParameters.h"
#include "tests/dsp/ChainSignals.h"

namespace {

using P = BrillianteerParameters;

class BrillianteerEngineTest : public ::testing::Test {
protected:
    BrillianteerParameters params;

    // Mix 0, Solo off, InGain 0 dB: the output is the input delayed by the latency.
    void setPassThrough() {
        params.setValue(P::Mix, 0.0f);
        params.setValue(P::Solo, 0.0f);
        params.setValue(P::InGain, 0.0f);
    }

    std::vector<float> meters() {
        std::vector<float> db(2, 1.0f);
        params.getData(P::Meters, db.data(), 8, 0);
        return db;
    }

    // A full-scale sine at a quarter of the rate: 0, 1, 0, -1, ...
    static std::vector<float> quarterRateSine(int frames) {
        std::vector<float> v(frames);
        const float cycle[4] = {0.0f, 1.0f, 0.0f, -1.0f};
        for (int i = 0; i < frames; ++i) v[i] = cycle[i % 4];
        return v;
    }
};

TEST_F(BrillianteerEngineTest, ReportsTheChainLatencyAtEverySupportedRate) {
    const int rates[] = {44100, 48000, 88200, 96000};
    const int latencies[] = {108, 115, 222, 241};
    for (int k = 0; k < 4; ++k) {
        BrillianteerEngine engine(2, rates[k], 2, 512);
        EXPECT_EQ(engine.start(), 0);
        EXPECT_EQ(engine.getLatency(), latencies[k]);
    }
}

TEST_F(BrillianteerEngineTest, ConvertsEveryParameterForTheChain) {
    BrillianteerEngine engine(2, 44100, 2, 256);
    params.setValue(P::InGain, -20.0f);
    params.setValue(P::Gain, 50.0f);
    params.setValue(P::Second, 11.0f);
    params.setValue(P::Third, 100.0f);
    params.setValue(P::Mix, 40.0f);
    params.setValue(P::Solo, 1.0f);
    params.setValue(P::Kick, 1.0f);
    params.setValue(P::Freq, 1000.0f);
    params.setValue(P::Density, 2.0f);
    engine.applyParameters(params);
    const SignalChain& chain = engine.getChain();
    EXPECT_EQ(chain.getInputStage().getGain(), 0.1f);
    EXPECT_EQ(chain.getDriveStage().getGain(), 0.5f);
    EXPECT_EQ(chain.getShaper().getSecond(), 2.0f * 0.115499995648861f);
    EXPECT_EQ(chain.getShaper().getThird(), 1.5f);
    EXPECT_EQ(chain.getHighMixer().getWet(), 40.0f * 0.01f);
    EXPECT_EQ(chain.getHighMixer().getDry(), 0.0f);
    EXPECT_EQ(chain.getBand2Compressor().getAttackCoeff(), 0.964369118f);
    EXPECT_EQ(chain.getFrequencyIndex(), 0.0f);
    EXPECT_EQ(chain.getBand3Compressor().getThresholdPower(), float(std::pow(10.0, -3.0)));
    for (int index = 0; index <= 8; ++index) EXPECT_FALSE(params.isChanged(index)) << index;
    EXPECT_TRUE(params.isChanged(P::Clip));

    params.setValue(P::Solo, 0.0f);
    params.setValue(P::Freq, 7000.0f);
    engine.applyParameters(params);
    EXPECT_EQ(chain.getHighMixer().getDry(), 1.0f);
    EXPECT_EQ(chain.getFrequencyIndex(), 6.0f);
}

TEST_F(BrillianteerEngineTest, FreqStepsMapToKernelIndices) {
    BrillianteerEngine engine(1, 44100, 1, 64);
    for (int step = 0; step <= 6; ++step) {
        params.setValue(P::Freq, 1000.0f * float(step + 1));
        engine.applyParameters(params);
        EXPECT_EQ(std::int32_t(engine.getChain().getFrequencyIndex()), step);
    }
}

TEST_F(BrillianteerEngineTest, TakesOnlyChangedParameters) {
    BrillianteerEngine engine(2, 44100, 2, 256);
    engine.applyParameters(params);
    params.setValue(P::Mix, 30.0f);
    params.setValue(P::Gain, 70.0f);
    params.takeValue(P::Gain);
    engine.applyParameters(params);
    EXPECT_EQ(engine.getChain().getHighMixer().getWet(), 30.0f * 0.01f);
    EXPECT_EQ(engine.getChain().getDriveStage().getGain(), 50.0f * 0.01f);
}

TEST_F(BrillianteerEngineTest, MonoInputIsPromotedToTwoEqualOutputsAndMeters) {
    BrillianteerEngine engine(1, 44100, 2, 128);
    EXPECT_EQ(engine.getMeterChannels(), 2);
    params.setValue(P::Second, 60.0f);
    engine.applyParameters(params);
    std::vector<float> in = chain_signals::music(1000, 5), left(1000), right(1000, 9.0f);
    const float* inputs[1] = {in.data()};
    float* outputs[2] = {left.data(), right.data()};
    engine.process(inputs, outputs, 1000, false);
    EXPECT_EQ(left, right);
    EXPECT_GT(engine.getPeak(0), 0.1f);
    engine.publishMeters(params);
    const std::vector<float> db = meters();
    EXPECT_EQ(db[0], db[1]);
    EXPECT_GT(db[0], -20.0f);
    EXPECT_EQ(engine.getPeak(0), 0.0f);
    EXPECT_EQ(engine.getPeak(1), 0.0f);
}

TEST_F(BrillianteerEngineTest, MonoInOneOutputCopiesNothingAndMetersBothFromChannelZero) {
    BrillianteerEngine engine(1, 44100, 1, 128);
    setPassThrough();
    engine.applyParameters(params);
    std::vector<float> in = quarterRateSine(600), out(600);
    const float* inputs[1] = {in.data()};
    float* outputs[1] = {out.data()};
    engine.process(inputs, outputs, 600, false);
    engine.publishMeters(params);
    EXPECT_EQ(meters(), (std::vector<float>{0.0f, 0.0f}));
}

TEST_F(BrillianteerEngineTest, FullScaleSineMetersZeroDbAndQuietSignalsTheFloor) {
    BrillianteerEngine engine(2, 44100, 2, 256);
    setPassThrough();
    engine.applyParameters(params);
    std::vector<float> loud = quarterRateSine(1024), quiet(1024), outLeft(1024), outRight(1024);
    for (int i = 0; i < 1024; ++i) quiet[i] = 0.0009f * loud[i];
    const float* inputs[2] = {loud.data(), quiet.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    engine.process(inputs, outputs, 1024, false);
    engine.publishMeters(params);
    EXPECT_EQ(meters(), (std::vector<float>{0.0f, -80.0f}));
    // Stereo meters keep their peaks; only stop clears them.
    EXPECT_EQ(engine.getPeak(0), 1.0f);
    EXPECT_EQ(engine.stop(), 0);
    EXPECT_EQ(engine.getPeak(0), 0.0f);
    engine.publishMeters(params);
    EXPECT_EQ(meters(), (std::vector<float>{-80.0f, -80.0f}));
}

TEST_F(BrillianteerEngineTest, PeakIsTheLargestMagnitudeAndSkipsNaNSamples) {
    BrillianteerEngine engine(2, 44100, 2, 1024);
    setPassThrough();
    engine.applyParameters(params);
    std::vector<float> left = chain_signals::music(1001, 8), right = chain_signals::music(1001, 9);
    left[500] = std::numeric_limits<float>::quiet_NaN();
    right[700] = -3.5f;
    std::vector<float> outLeft(1001), outRight(1001);
    const float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    engine.process(inputs, outputs, 1001, false);
    float expected = 0.0f;
    for (float x : outLeft) {
        if (std::fabs(x) > expected) expected = std::fabs(x);
    }
    EXPECT_TRUE(std::isnan(outLeft[608]));
    EXPECT_EQ(engine.getPeak(0), expected);
    EXPECT_EQ(engine.getPeak(1), 3.5f);
}

// The search goes sixteen samples at a time, then four, then one: the loudest sample counts
// wherever it falls.
TEST_F(BrillianteerEngineTest, PeakIsFoundInEveryPartOfThePiece) {
    for (const int at : {0, 15, 16, 700, 991, 992, 995, 996, 1000}) {
        BrillianteerEngine engine(1, 44100, 1, 1024);
        setPassThrough();
        engine.applyParameters(params);
        std::vector<float> in(1001 + 108, 0.25f), out(in.size());
        in[at] = -3.5f;
        const float* inputs[1] = {in.data()};
        float* outputs[1] = {out.data()};
        engine.process(inputs, outputs, 108, false);
        inputs[0] = in.data() + 108;
        outputs[0] = out.data() + 108;
        engine.process(inputs, outputs, 1001, false);
        EXPECT_EQ(engine.getPeak(0), 3.5f) << "loudest at " << at;
    }
}

TEST_F(BrillianteerEngineTest, LongReplacingCallRunsInPiecesAndDecaysPeaksOncePerPiece) {
    BrillianteerEngine engine(2, 44100, 2, 64);
    setPassThrough();
    engine.applyParameters(params);
    std::vector<float> left(256, 0.0f), right(256, 0.0f), outLeft(256), outRight(256);
    left[0] = 0.5f;  // arrives at frame 108, in the second piece
    right[0] = 0.25f;
    const float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    engine.process(inputs, outputs, 256, false);
    EXPECT_EQ(inputs[0], left.data());
    EXPECT_EQ(outputs[1], outRight.data());
    EXPECT_EQ(outLeft[108], 0.5f);
    EXPECT_EQ(engine.getPeak(0), 0.5f * 0.95f * 0.95f);
    EXPECT_EQ(engine.getPeak(1), 0.25f * 0.95f * 0.95f);
}

TEST_F(BrillianteerEngineTest, AccumulatingAddsWhatReplacingWritesInTheSamePieces) {
    params.setValue(P::Second, 80.0f);
    params.setValue(P::Third, 60.0f);
    params.setValue(P::Density, 4.0f);
    BrillianteerEngine replacing(2, 44100, 2, 64), accumulating(2, 44100, 2, 64);
    replacing.applyParameters(params);
    params.markAllChanged();
    accumulating.applyParameters(params);
    std::vector<float> left = chain_signals::music(1001, 6), right = chain_signals::music(1001, 7);
    std::vector<float> repLeft(1001), repRight(1001);
    std::vector<float> accLeft(1001, 0.125f), accRight(1001, -0.25f);
    const float* inputs[2] = {left.data(), right.data()};
    float* rep[2] = {repLeft.data(), repRight.data()};
    float* acc[2] = {accLeft.data(), accRight.data()};
    // 1001 frames exceed the 64-frame scratch buffers: rendered in the same 64-frame pieces.
    replacing.process(inputs, rep, 1001, false);
    accumulating.process(inputs, acc, 1001, true);
    for (int i = 0; i < 1001; ++i) {
        ASSERT_EQ(accLeft[i], 0.125f + repLeft[i]) << i;
        ASSERT_EQ(accRight[i], -0.25f + repRight[i]) << i;
    }
    EXPECT_EQ(accumulating.getPeak(0), replacing.getPeak(0));
}

TEST_F(BrillianteerEngineTest, InfiniteOutputReadsAsFullScaleAndMetersRecover) {
    BrillianteerEngine engine(2, 44100, 2, 64);
    // Only the dry path and the high-passed copy: an infinite input sample comes out as
    // infinite samples across the kernel around frame 108, with no NaN among them.
    params.setValue(P::Mix, 100.0f);
    params.setValue(P::Solo, 0.0f);
    params.setValue(P::Gain, 0.0f);
    params.setValue(P::Second, 0.0f);
    params.setValue(P::Third, 0.0f);
    engine.applyParameters(params);
    std::vector<float> left(64, 0.0f), right(64, 0.0f), outLeft(64), outRight(64);
    const float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    left[0] = std::numeric_limits<float>::infinity();
    engine.process(inputs, outputs, 64, false);
    left[0] = 0.0f;
    engine.process(inputs, outputs, 64, false);
    EXPECT_EQ(outLeft[108 - 64], std::numeric_limits<float>::infinity());
    EXPECT_EQ(engine.getPeak(0), 1.0f);
    engine.process(inputs, outputs, 64, false);
    EXPECT_EQ(engine.getPeak(0), 0.95f);
    for (int k = 0; k < 400; ++k) engine.process(inputs, outputs, 64, false);
    engine.publishMeters(params);
    EXPECT_EQ(meters()[0], -80.0f);
}

TEST_F(BrillianteerEngineTest, CreateRefusesConfigurationsThatCannotWork) {
    EXPECT_NE(BrillianteerEngine::create(2, 44100, 2, 512), nullptr);
    EXPECT_NE(BrillianteerEngine::create(1, 96000, 2, 1), nullptr);
    EXPECT_NE(BrillianteerEngine::create(2, 768000, 0, 64), nullptr);
    EXPECT_EQ(BrillianteerEngine::create(2, 0, 2, 512), nullptr);
    EXPECT_EQ(BrillianteerEngine::create(2, -44100, 2, 512), nullptr);
    EXPECT_EQ(BrillianteerEngine::create(2, 8000, 2, 512), nullptr);
    EXPECT_EQ(BrillianteerEngine::create(2, 768001, 2, 512), nullptr);
    EXPECT_EQ(BrillianteerEngine::create(2, 44100, 2, 0), nullptr);
    EXPECT_EQ(BrillianteerEngine::create(2, 44100, 1, 512), nullptr);
    EXPECT_EQ(BrillianteerEngine::create(3, 44100, 3, 512), nullptr);
    EXPECT_EQ(BrillianteerEngine::create(0, 44100, 0, 512), nullptr);
}

TEST_F(BrillianteerEngineTest, RateWithoutItsOwnKernelsReportsTheDelayItHas) {
    auto engine = BrillianteerEngine::create(2, 32000, 2, 100);
    ASSERT_NE(engine, nullptr);
    ASSERT_EQ(engine->getLatency(), 83);
    setPassThrough();
    engine->applyParameters(params);
    std::vector<float> left(300, 0.0f), right(300, 0.0f), outLeft(300), outRight(300);
    left[5] = 1.0f;
    const float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    engine->process(inputs, outputs, 300, false);
    EXPECT_EQ(outLeft[5 + 83], 1.0f);
}

}  // namespace
