#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "dsp/AudioProcessor.h"
#include "dsp/BlockSplitter.h"

namespace {

// Records every piece and writes input + 1000 * piece number, so a test can see which piece
// produced a sample.
class RecordingSplitter : public BlockSplitter {
public:
    using BlockSplitter::BlockSplitter;
    std::vector<std::pair<const float*, std::int32_t>> pieces;

protected:
    void processPiece(const float* const* inputs, float* const* outputs,
                      std::int32_t frames) override {
        pieces.emplace_back(inputs[0], frames);
        const float tag = 1000.0f * float(pieces.size());
        for (int ch = 0; ch < 2; ++ch) {
            for (std::int32_t i = 0; i < frames; ++i) outputs[ch][i] = inputs[0][i] + tag;
        }
    }
};

TEST(BlockSplitterTest, CutsACallIntoConsecutivePiecesOfAtMostTheMaximum) {
    RecordingSplitter splitter(1, 64, 2);
    std::vector<float> in(150, 0.0f), left(150), right(150);
    const float* inputs[1] = {in.data()};
    float* outputs[2] = {left.data(), right.data()};
    splitter.split(inputs, outputs, 150);
    ASSERT_EQ(splitter.pieces.size(), 3u);
    EXPECT_EQ(splitter.pieces[0], std::make_pair(static_cast<const float*>(in.data()), 64));
    EXPECT_EQ(splitter.pieces[1], std::make_pair(static_cast<const float*>(in.data() + 64), 64));
    EXPECT_EQ(splitter.pieces[2], std::make_pair(static_cast<const float*>(in.data() + 128), 22));
    EXPECT_EQ(left[63], 1000.0f);
    EXPECT_EQ(right[64], 2000.0f);
    EXPECT_EQ(right[149], 3000.0f);
}

TEST(BlockSplitterTest, HandsTheCallersPointerArraysBackUnchanged) {
    RecordingSplitter splitter(1, 16, 2);
    std::vector<float> in(100, 0.0f), left(100), right(100);
    const float* inputs[1] = {in.data()};
    float* outputs[2] = {left.data(), right.data()};
    splitter.split(inputs, outputs, 100);
    EXPECT_EQ(inputs[0], in.data());
    EXPECT_EQ(outputs[0], left.data());
    EXPECT_EQ(outputs[1], right.data());
}

// Renders input * 2 + the number of render calls so far, and records the frame counts.
class DoublingProcessor : public AudioProcessor {
public:
    using AudioProcessor::AudioProcessor;
    std::vector<std::int32_t> renders;

    void applyParameters(ParameterSet&) override {}
    void publishMeters(ParameterSet&) override {}
    void render(const float* const* inputs, float* const* outputs, std::int32_t frames) override {
        renders.push_back(frames);
        for (std::int32_t ch = 0; ch < outputChannels; ++ch) {
            for (std::int32_t i = 0; i < frames; ++i) {
                outputs[ch][i] = 2.0f * inputs[ch][i] + float(renders.size());
            }
        }
    }
};

class AudioProcessorTest : public ::testing::Test {
protected:
    std::vector<float> left = std::vector<float>(300), right = std::vector<float>(300);
    std::vector<float> outLeft = std::vector<float>(300, 0.5f);
    std::vector<float> outRight = std::vector<float>(300, -0.5f);
    const float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};

    void SetUp() override {
        for (int i = 0; i < 300; ++i) {
            left[i] = float(i);
            right[i] = -float(i);
        }
    }
};

TEST_F(AudioProcessorTest, OutputCountZeroMeansAsManyAsInputsAndRateIsKeptAsFloat) {
    DoublingProcessor processor(2, 48000, 0, 64);
    EXPECT_EQ(processor.getOutputChannels(), 2);
    EXPECT_EQ(processor.getSampleRate(), 48000.0f);
    EXPECT_EQ(processor.getLatency(), 0);
    EXPECT_EQ(processor.start(), 0);
    EXPECT_EQ(processor.stop(), 0);
}

TEST_F(AudioProcessorTest, ReplacingModeRendersStraightIntoTheOutputs) {
    DoublingProcessor processor(2, 44100, 2, 64);
    processor.process(inputs, outputs, 300, false);
    EXPECT_EQ(processor.renders, std::vector<std::int32_t>{300});
    EXPECT_EQ(outLeft[299], 599.0f);
    EXPECT_EQ(outRight[10], -19.0f);
}

TEST_F(AudioProcessorTest, AccumulatingModeAddsToWhatTheOutputsHold) {
    DoublingProcessor processor(2, 44100, 2, 64);
    processor.process(inputs, outputs, 40, true);
    EXPECT_EQ(outLeft[3], 0.5f + 7.0f);
    EXPECT_EQ(outRight[3], -0.5f - 5.0f);
    EXPECT_EQ(outLeft[40], 0.5f);
}

TEST_F(AudioProcessorTest, LongAccumulatingCallRendersInPiecesOfTheMaximum) {
    DoublingProcessor processor(2, 44100, 2, 64);
    processor.process(inputs, outputs, 300, true);
    EXPECT_EQ(processor.renders, (std::vector<std::int32_t>{64, 64, 64, 64, 44}));
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(outLeft[i], 0.5f + 2.0f * float(i) + float(i / 64 + 1)) << i;
    }
    EXPECT_EQ(inputs[0], left.data());
}

TEST_F(AudioProcessorTest, RefusesNullBuffersAndEmptyCalls) {
    DoublingProcessor processor(2, 44100, 2, 64);
    const float* missing[2] = {left.data(), nullptr};
    processor.process(missing, outputs, 10, false);
    processor.process(nullptr, outputs, 10, true);
    processor.process(inputs, nullptr, 10, false);
    processor.process(inputs, outputs, 0, true);
    processor.process(inputs, outputs, -1, false);
    EXPECT_TRUE(processor.renders.empty());
    EXPECT_EQ(outLeft[0], 0.5f);
}

}  // namespace
