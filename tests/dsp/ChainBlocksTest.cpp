#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "dsp/DelayLine.h"
#include "dsp/GainStage.h"
#include "dsp/HarmonicShaper.h"
#include "dsp/Mixer.h"
#include "tests/dsp/InstructionSets.h"

namespace {

std::vector<float> ramp(int frames, float start) {
    std::vector<float> v(frames);
    for (int i = 0; i < frames; ++i) v[i] = start + float(i);
    return v;
}

TEST(GainStageTest, MultipliesEverySampleOfEveryChannel) {
    GainStage stage(2, 0.5f);
    std::vector<float> left = ramp(8, 1.0f), right = ramp(8, -3.0f), outLeft(8), outRight(8);
    const float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    stage.process(in, out, 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(outLeft[i], left[i] * 0.5f);
        EXPECT_EQ(outRight[i], right[i] * 0.5f);
    }
}

TEST(GainStageTest, ZeroGainWritesZerosOverNonFiniteInput) {
    GainStage stage(1, 0.0f);
    std::vector<float> samples = {std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::infinity(), 1.0f};
    float* io[1] = {samples.data()};
    stage.process(io, io, 3);
    for (float x : samples) EXPECT_EQ(x, 0.0f);
}

TEST(MixerTest, AddsWetInputToDryScaledOutput) {
    const float factors[] = {0.0f, 0.3f, 1.0f, 2.5f};
    for (float wet : factors) {
        for (float dry : factors) {
            Mixer mixer(2, wet, dry);
            std::vector<float> inLeft = ramp(6, 0.1f), inRight = ramp(6, -0.7f);
            std::vector<float> outLeft = ramp(6, 1.3f), outRight = ramp(6, 2.9f);
            const std::vector<float> oldLeft = outLeft, oldRight = outRight;
            const float* in[2] = {inLeft.data(), inRight.data()};
            float* out[2] = {outLeft.data(), outRight.data()};
            mixer.process(in, out, 6);
            for (int i = 0; i < 6; ++i) {
                EXPECT_EQ(outLeft[i], dry * oldLeft[i] + wet * inLeft[i]) << wet << " " << dry;
                EXPECT_EQ(outRight[i], dry * oldRight[i] + wet * inRight[i]) << wet << " " << dry;
            }
        }
    }
}

// On every path and for lengths around the vector widths, the gain stage, the mixer and the
// shaper give the samples of their one-line formulas.
TEST(ChainBlocksTest, EveryPathGivesTheFormulasSamples) {
    for (InstructionSet set : instruction_sets::runnable()) {
        const instruction_sets::Scope scope(set);
        for (int frames : {1, 3, 7, 8, 15, 16, 17, 31, 33, 515}) {
            SCOPED_TRACE(::testing::Message() << frames << " frames, " << instructionSetName(set));
            const std::vector<float> a = ramp(frames, -2.7f), b = ramp(frames, 0.3f);
            std::vector<float> scaled(frames), mixed = b, shaped = b;
            const float* in[1] = {a.data()};
            float* out[1] = {scaled.data()};
            GainStage(1, 0.37f).process(in, out, frames);
            out[0] = mixed.data();
            Mixer(1, 0.61f, 0.83f).process(in, out, frames);
            out[0] = shaped.data();
            HarmonicShaper(1, 1.3f, 0.7f).process(in, out, frames);
            for (int i = 0; i < frames; ++i) {
                ASSERT_EQ(scaled[i], a[i] * 0.37f) << i;
                ASSERT_EQ(mixed[i], 0.83f * b[i] + 0.61f * a[i]) << i;
                const double x = a[i], y = b[i];
                ASSERT_EQ(shaped[i], float(double(0.7f) * y * y * y + double(1.3f) * x * x)) << i;
            }
        }
    }
}

TEST(HarmonicShaperTest, SquaresTheFirstBandAndCubesTheSecond) {
    HarmonicShaper shaper(1, 2.0f, 1.5f);
    std::vector<float> p = {0.5f, -0.5f, 0.0f}, q = {0.5f, -0.5f, 2.0f};
    const float* squared[1] = {p.data()};
    float* cubed[1] = {q.data()};
    shaper.process(squared, cubed, 3);
    EXPECT_EQ(q[0], 1.5f * 0.125f + 2.0f * 0.25f);
    EXPECT_EQ(q[1], -1.5f * 0.125f + 2.0f * 0.25f);
    EXPECT_EQ(q[2], 12.0f);
}

TEST(HarmonicShaperTest, RoundsToFloatOnlyOnce) {
    // q^3 for q = 1 + 2^-12 is 1 + 3 2^-12 + 3 2^-24 + 2^-36; rounding q^2 to float first
    // would lose the 2^-24 terms and give 1 + 3 2^-12 + 2^-23 instead.
    HarmonicShaper shaper(1, 0.0f, 1.0f);
    std::vector<float> p = {0.0f}, q = {1.0f + std::ldexp(1.0f, -12)};
    const float* squared[1] = {p.data()};
    float* cubed[1] = {q.data()};
    shaper.process(squared, cubed, 1);
    EXPECT_EQ(q[0], 1.0f + 3.0f * std::ldexp(1.0f, -12) + std::ldexp(1.0f, -22));
}

class DelayLineTest : public ::testing::Test {
protected:
    // Runs `signal` through the line in pieces of the given sizes, cycling through them.
    static std::vector<float> run(DelayLine& line, const std::vector<float>& signal,
                                  const std::vector<int>& pieces, bool inPlace) {
        std::vector<float> in = signal, out(signal.size(), -1.0f);
        std::size_t k = 0;
        for (int start = 0; start < int(signal.size()); ++k) {
            const int n = std::min(pieces[k % pieces.size()], int(signal.size()) - start);
            const float* inputs[1] = {in.data()};
            float* outputs[1] = {inPlace ? in.data() : out.data()};
            line.process(inputs, start, outputs, start, n);
            start += n;
        }
        return inPlace ? in : out;
    }

    static std::vector<float> delayed(const std::vector<float>& signal, int length) {
        std::vector<float> v(signal.size(), 0.0f);
        for (std::size_t i = length; i < signal.size(); ++i) v[i] = signal[i - length];
        return v;
    }
};

TEST_F(DelayLineTest, DelaysByItsLengthForAnyPiecesInAndOutOfPlace) {
    const std::vector<float> signal = ramp(1000, 1.0f);
    const std::vector<std::vector<int>> splits = {{64}, {1}, {7, 64, 3}, {20, 21, 19}, {5}};
    for (bool inPlace : {false, true}) {
        for (const auto& pieces : splits) {
            DelayLine line(1, 20, 64);
            ASSERT_TRUE(line.isReady());
            EXPECT_EQ(run(line, signal, pieces, inPlace), delayed(signal, 20))
                << "in place " << inPlace << ", first piece " << pieces[0];
        }
    }
}

TEST_F(DelayLineTest, ChannelsAreDelayedIndependently) {
    DelayLine line(2, 3, 8);
    std::vector<float> left = ramp(8, 1.0f), right = ramp(8, 101.0f), outLeft(8), outRight(8);
    const float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    line.process(in, 0, out, 0, 8);
    EXPECT_EQ(outLeft, (std::vector<float>{0, 0, 0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(outRight, (std::vector<float>{0, 0, 0, 101, 102, 103, 104, 105}));
}

TEST_F(DelayLineTest, ClearAndSetLengthForgetTheHistory) {
    DelayLine line(1, 4, 16);
    const std::vector<float> signal = ramp(10, 1.0f);
    run(line, signal, {10}, false);
    line.clear();
    EXPECT_EQ(run(line, signal, {10}, false), delayed(signal, 4));
    run(line, signal, {10}, false);
    line.setLength(6);
    EXPECT_EQ(line.getLength(), 6);
    EXPECT_EQ(run(line, signal, {3}, false), delayed(signal, 6));
}

TEST_F(DelayLineTest, LengthZeroPassesTheSignalThrough) {
    DelayLine line(1, 0, 4);
    const std::vector<float> signal = ramp(11, 1.0f);
    EXPECT_EQ(run(line, signal, {4}, false), signal);
    EXPECT_EQ(run(line, signal, {3}, true), signal);
}

}  // namespace
