#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/BiquadSection.h"
#include "tests/dsp/FilterReference.h"

namespace {

const double lowPassA[2] = {-1.2, 0.5};
const double lowPassB[3] = {0.075, 0.15, 0.075};

TEST(BiquadSectionTest, ANewSectionIsAnIdentityThatCopiesItsInput) {
    BiquadSection section(2);
    EXPECT_TRUE(section.getIsIdentity());
    const std::vector<float> left = reference::noise(37, 1), right = reference::noise(37, 2);
    std::vector<float> outLeft(37), outRight(37);
    const float* in[] = {left.data(), right.data()};
    float* out[] = {outLeft.data(), outRight.data()};
    section.process(in, out, 37);
    EXPECT_EQ(outLeft, left);
    EXPECT_EQ(outRight, right);
}

TEST(BiquadSectionTest, SettingCoefficientsEndsTheIdentity) {
    BiquadSection section(1);
    section.setDenominator(lowPassA);
    EXPECT_FALSE(section.getIsIdentity());
    section.setNumerator(lowPassB);
    EXPECT_FALSE(section.getIsIdentity());
    const double zero[2] = {0.0, 0.0};
    const double unit[3] = {1.0, 0.0, 0.0};
    section.setDenominator(zero);
    section.setNumerator(unit);
    EXPECT_TRUE(section.getIsIdentity());
}

TEST(BiquadSectionTest, AnIdentityLeavesTheStateFilteringWouldHaveLeft) {
    BiquadSection section(1);
    const float signal[] = {0.25f, -0.5f, 0.75f};
    float out[3];
    const float* in[] = {signal};
    float* o[] = {out};
    section.process(in, o, 3);
    EXPECT_EQ(section.getInputState(0)[1], 0.75);
    EXPECT_EQ(section.getInputState(0)[2], -0.5);
    EXPECT_EQ(section.getOutputState(0)[0], 0.75);
    EXPECT_EQ(section.getOutputState(0)[1], -0.5);

    // A one-sample call shifts the previous last input into x2.
    const float one[] = {0.125f};
    const float* in1[] = {one};
    section.process(in1, o, 1);
    EXPECT_EQ(section.getInputState(0)[2], 0.75);
    EXPECT_EQ(section.getOutputState(0)[1], 0.75);

    // The first filtered sample of silence is then b1 x1 + b2 x2 - a1 y1 - a2 y2.
    section.setDenominator(lowPassA);
    section.setNumerator(lowPassB);
    const float zero[] = {0.0f};
    const float* in0[] = {zero};
    section.process(in0, o, 1);
    const double expected = 0.15 * 0.125 + 0.075 * 0.75 - (-1.2) * 0.125 - 0.5 * 0.75;
    EXPECT_EQ(out[0], static_cast<float>(expected));
}

TEST(BiquadSectionTest, FiltersBitIdenticalToTheDifferenceEquation) {
    BiquadSection section(2);
    section.setDenominator(lowPassA);
    section.setNumerator(lowPassB);
    reference::Section plain(section, 2);
    const std::size_t frames = 4000;
    const std::vector<float> left = reference::noise(frames, 3),
                             right = reference::noise(frames, 4);
    std::vector<float> outLeft(frames), outRight(frames), refLeft(frames), refRight(frames);
    std::size_t done = 0;
    for (std::int32_t piece : reference::pieceSizes(frames, 5)) {
        const float* in[] = {left.data() + done, right.data() + done};
        float* out[] = {outLeft.data() + done, outRight.data() + done};
        section.process(in, out, piece);
        plain.process(left.data() + done, refLeft.data() + done, piece, 0);
        plain.process(right.data() + done, refRight.data() + done, piece, 1);
        done += piece;
    }
    EXPECT_EQ(outLeft, refLeft);
    EXPECT_EQ(outRight, refRight);
}

TEST(BiquadSectionTest, ACascadeWithAnIdentityInsideMatchesTheSectionsOneByOne) {
    const double highA[2] = {-0.4, 0.2};
    const double highB[3] = {0.4, -0.8, 0.4};
    BiquadSection first(2), identity(2), last(2);
    BiquadSection soloFirst(2), soloIdentity(2), soloLast(2);
    for (BiquadSection* s : {&first, &soloFirst}) {
        s->setDenominator(lowPassA);
        s->setNumerator(lowPassB);
    }
    for (BiquadSection* s : {&last, &soloLast}) {
        s->setDenominator(highA);
        s->setNumerator(highB);
    }
    BiquadSection* cascade[] = {&first, &identity, &last};
    const std::size_t frames = 1000;
    const std::vector<float> left = reference::noise(frames, 6),
                             right = reference::noise(frames, 7);
    std::vector<float> outLeft(frames), outRight(frames), soloLeft(frames), soloRight(frames);
    std::size_t done = 0;
    for (std::int32_t piece : reference::pieceSizes(frames, 8)) {
        const float* in[] = {left.data() + done, right.data() + done};
        float* out[] = {outLeft.data() + done, outRight.data() + done};
        float* solo[] = {soloLeft.data() + done, soloRight.data() + done};
        BiquadSection::processCascade(cascade, 3, 2, in, out, piece);
        soloFirst.process(in, solo, piece);
        soloIdentity.process(solo, solo, piece);
        soloLast.process(solo, solo, piece);
        done += piece;
    }
    EXPECT_EQ(outLeft, soloLeft);
    EXPECT_EQ(outRight, soloRight);
}

TEST(BiquadSectionTest, ANonFiniteStateStartsAgainFromRestAtTheEndOfTheCall) {
    BiquadSection section(2);
    section.setDenominator(lowPassA);
    section.setNumerator(lowPassB);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float left[] = {0.5f, nan, 0.25f, 0.125f};
    const float right[] = {0.5f, 0.5f, 0.25f, 0.125f};
    float outLeft[4], outRight[4];
    const float* in[] = {left, right};
    float* out[] = {outLeft, outRight};
    section.process(in, out, 4);
    EXPECT_TRUE(std::isnan(outLeft[3]));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(section.getInputState(0)[i], 0.0) << i;
    EXPECT_EQ(section.getOutputState(0)[0], 0.0);
    EXPECT_EQ(section.getOutputState(0)[1], 0.0);
    // The finite channel keeps its state.
    EXPECT_EQ(section.getInputState(1)[1], 0.125);
    EXPECT_NE(section.getOutputState(1)[0], 0.0);
}

TEST(BiquadSectionTest, ZeroOrNegativeFrameCountsLeaveEverythingAlone) {
    BiquadSection section(1);
    section.setDenominator(lowPassA);
    section.setNumerator(lowPassB);
    const float signal[] = {1.0f};
    float out[] = {7.0f};
    const float* in[] = {signal};
    float* o[] = {out};
    section.process(in, o, 1);
    const double y1 = section.getOutputState(0)[0];
    out[0] = 7.0f;
    section.process(in, o, 0);
    section.process(in, o, -5);
    EXPECT_EQ(out[0], 7.0f);
    EXPECT_EQ(section.getOutputState(0)[0], y1);
}

}  // namespace
