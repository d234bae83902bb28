#include <gtest/gtest.h>

#include <cmath>

#include "params/BrillianteerParameters.h"

namespace {

using P = BrillianteerParameters;

class BrillianteerParametersTest : public ::testing::Test {
protected:
    BrillianteerParameters parameters;
};

struct Row {
    std::int32_t index;
    const char* name;
    const char* unit;
    float defaultValue, minimum, maximum, step, normalizedDefault;
};

const Row table[] = {
    {P::InGain, "InGain", "dB", 0.0f, -20.0f, 6.0f, 0.1f, 20.0f / 26.0f},
    {P::Gain, "Gain", "%", 50.0f, 0.0f, 100.0f, 0.1f, 0.5f},
    {P::Second, "2nd", "%", 50.0f, 0.0f, 100.0f, 0.1f, 0.5f},
    {P::Third, "3rd", "%", 50.0f, 0.0f, 100.0f, 0.1f, 0.5f},
    {P::Mix, "Mix", "%", 50.0f, 0.0f, 100.0f, 0.1f, 0.5f},
    {P::Solo, "Solo", "ON/OFF", 0.0f, 0.0f, 1.0f, 1.0f, 0.0f},
    {P::Kick, "Kick", "ON/OFF", 0.0f, 0.0f, 1.0f, 1.0f, 0.0f},
    {P::Freq, "Freq", "Hz", 3000.0f, 1000.0f, 7000.0f, 1000.0f, 1.0f / 3.0f},
    {P::Density, "Density", "dB", 3.0f, 0.0f, 6.0f, 1.0f, 0.5f},
    {P::Clip, "Clip", "ON/OFF", 0.0f, 0.0f, 1.0f, 1.0f, 0.0f},
    {P::Meters, "", "", -40.0f, -40.0f, 0.0f, 0.001f, 0.0f},
};

TEST_F(BrillianteerParametersTest, TableHoldsTheElevenParametersInIndexOrder) {
    ASSERT_EQ(parameters.getCount(), 11);
    for (const Row& row : table) {
        SCOPED_TRACE(row.index);
        EXPECT_STREQ(parameters.getName(row.index), row.name);
        EXPECT_STREQ(parameters.getUnit(row.index), row.unit);
        EXPECT_EQ(parameters.getMinimum(row.index), row.minimum);
        EXPECT_EQ(parameters.getMaximum(row.index), row.maximum);
        EXPECT_EQ(parameters.getStep(row.index), row.step);
        EXPECT_FLOAT_EQ(parameters.getDefaultNormalized(row.index), row.normalizedDefault);
        if (row.index != P::Meters) {
            EXPECT_EQ(parameters.getValue(row.index), row.defaultValue);
            EXPECT_FALSE(parameters.hasDataBlock(row.index));
            EXPECT_EQ(parameters.dataSizeOf(row.index), 4);
        }
    }
    EXPECT_TRUE(parameters.hasDataBlock(P::Meters));
    EXPECT_EQ(parameters.dataSizeOf(P::Meters), 8);
    EXPECT_EQ(parameters.getNormalized(P::Gain), 0.5f);
}

TEST_F(BrillianteerParametersTest, EveryParameterStartsFlaggedForTheEngine) {
    EXPECT_EQ(parameters.getChangedCount(), 11);
    for (std::int32_t i = 0; i < P::Count; ++i) EXPECT_TRUE(parameters.isChanged(i)) << i;
    for (std::int32_t i = 0; i < P::Count; ++i) parameters.takeValue(i);
    EXPECT_EQ(parameters.getChangedCount(), 0);
    parameters.markAllChanged();
    EXPECT_EQ(parameters.getChangedCount(), 11);
}

TEST_F(BrillianteerParametersTest, MeterBlockStartsAtTheFloor) {
    float levels[2] = {1.0f, 1.0f};
    parameters.getData(P::Meters, levels, 0, 0);
    EXPECT_EQ(levels[0], -80.0f);
    EXPECT_EQ(levels[1], -80.0f);
    EXPECT_TRUE(parameters.getMeterRequest());
    EXPECT_EQ(parameters.getMeterBusy(), 0);
    EXPECT_EQ(parameters.getApplyBusy(), 0);
}

TEST_F(BrillianteerParametersTest, InputGainSnapsToExactlyZeroDecibels) {
    EXPECT_EQ(parameters.fromNormalized(P::InGain, 20.0f / 26.0f), 0.0f);
    EXPECT_EQ(parameters.fromNormalized(P::InGain, parameters.getDefaultNormalized(P::InGain)),
              0.0f);
    EXPECT_EQ(parameters.fromNormalized(P::InGain, 0.5f), -7.0f);
    EXPECT_EQ(parameters.fromNormalized(P::InGain, 0.0f), -20.0f);
    EXPECT_EQ(parameters.fromNormalized(P::InGain, 1.0f), 6.0f);
}

TEST_F(BrillianteerParametersTest, FreqHasSevenPositionsRoundedToTheNearest) {
    for (int k = 0; k <= 6; ++k) {
        EXPECT_EQ(parameters.fromNormalized(P::Freq, k / 6.0f), 1000.0f * (k + 1)) << k;
    }
    EXPECT_EQ(parameters.fromNormalized(P::Freq, 0.08f), 1000.0f);
    EXPECT_EQ(parameters.fromNormalized(P::Freq, 0.09f), 2000.0f);
    EXPECT_EQ(parameters.fromNormalized(P::Freq, 0.5f), 4000.0f);
}

TEST_F(BrillianteerParametersTest, DensityNearZeroIsExactlyZero) {
    EXPECT_EQ(parameters.fromNormalized(P::Density, 0.5f), 3.0f);
    const float nearZero = parameters.fromNormalized(P::Density, 0.05f);
    EXPECT_EQ(nearZero, 0.0f);
    EXPECT_FALSE(std::signbit(nearZero));
    EXPECT_EQ(parameters.fromNormalized(P::Density, 1.0f), 6.0f);
}

TEST_F(BrillianteerParametersTest, SwitchesTurnOnFromHalfway) {
    for (std::int32_t index : {P::Solo, P::Kick, P::Clip}) {
        EXPECT_EQ(parameters.fromNormalized(index, 0.49f), 0.0f);
        EXPECT_EQ(parameters.fromNormalized(index, 0.5f), 1.0f);
    }
}

}  // namespace
