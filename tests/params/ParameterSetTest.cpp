#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "params/ParameterSet.h"

namespace {

enum { Level, Switch, Frequency, Quiet, Block, Continuous, Plain, Size };

class ParameterSetTest : public ::testing::Test {
protected:
    ParameterSetTest() {
        set.define(Level, 0.0f, -20.0f, 6.0f, 0.1f, "dB", "InGain", 1, 1, 4);
        set.define(Switch, 0.0f, 0.0f, 1.0f, 1.0f, "ON/OFF", "Solo", 1, 1, 4);
        set.define(Frequency, 3000.0f, 1000.0f, 7000.0f, 1000.0f, "Hz", "Freq", 1, 1, 4);
        set.define(Quiet, 0.5f, 0.0f, 1.0f, 0.0f, "", "Quiet", 1, 0, 4);
        set.define(Block, 0.0f, 0.0f, 1.0f, 0.0f, "", "Block", 1, 1, 12);
        set.define(Continuous, 10.0f, 10.0f, 20.0f, 0.0f, "", "Cont", 1, 1, 4);
        set.define(Plain, 0.0f, 0.0f, 1.0f, 0.0f, "", "Plain", 1, 1, 4);
    }

    void takeAll() {
        for (int i = 0; i < Size; ++i) set.takeValue(i);
    }

    std::int32_t flaggedCount() const {
        std::int32_t n = 0;
        for (int i = 0; i < Size; ++i) n += set.isChanged(i) ? 1 : 0;
        return n;
    }

    ParameterSet set{Size};
};

TEST_F(ParameterSetTest, DefinitionFlagsNotifyingParametersAndCountsThem) {
    ParameterSet fresh(2);
    EXPECT_EQ(fresh.getChangedCount(), 0);
    fresh.define(0, 0.0f, -20.0f, 6.0f, 0.1f, "dB", "InGain", 1, 1, 4);
    EXPECT_TRUE(fresh.isChanged(0));
    EXPECT_EQ(fresh.getChangedCount(), 1);
    EXPECT_FLOAT_EQ(fresh.toNormalized(0, 6.0f), 1.0f);
    EXPECT_EQ(fresh.toNormalized(0, 0.0f), 20.0f * (1.0f / 26.0f));

    fresh.define(1, 0.0f, 0.0f, 1.0f, 0.0f, "", "", 1, 0, 4);
    EXPECT_FALSE(fresh.isChanged(1));
    EXPECT_EQ(fresh.getChangedCount(), 1);
}

TEST_F(ParameterSetTest, RedefiningAParameterDoesNotCountItTwice) {
    set.define(Level, 0.0f, -20.0f, 6.0f, 0.1f, "dB", "InGain", 1, 1, 4);
    EXPECT_EQ(set.getChangedCount(), flaggedCount());
    set.define(Level, 0.0f, -20.0f, 6.0f, 0.1f, "dB", "InGain", 1, 0, 4);
    EXPECT_FALSE(set.isChanged(Level));
    EXPECT_EQ(set.getChangedCount(), flaggedCount());
}

TEST_F(ParameterSetTest, DefineNotifyFirstTakesNameBeforeUnit) {
    set.defineNotifyFirst(Plain, 2.0f, 0.0f, 4.0f, 1.0f, 0, "Name", "Unit", 4);
    EXPECT_STREQ(set.getName(Plain), "Name");
    EXPECT_STREQ(set.getUnit(Plain), "Unit");
    EXPECT_FALSE(set.isChanged(Plain));
    EXPECT_EQ(set.getValue(Plain), 2.0f);
    EXPECT_EQ(set.getDefaultNormalized(Plain), 0.5f);
}

TEST_F(ParameterSetTest, ContinuousValueIsLinearAndUnclamped) {
    EXPECT_EQ(set.fromNormalized(Continuous, 0.25f), 12.5f);
    EXPECT_EQ(set.fromNormalized(Continuous, 1.5f), 25.0f);
    set.setNormalized(Frequency, 2.0f);
    EXPECT_EQ(set.getValue(Frequency), 13000.0f);
    set.setValue(Switch, -3.5f);
    EXPECT_EQ(set.getValue(Switch), -3.5f);
    EXPECT_EQ(set.getNormalized(Switch), -3.5f);
}

TEST_F(ParameterSetTest, TakeClearsTheFlagAndGetLeavesIt) {
    takeAll();
    EXPECT_EQ(set.getChangedCount(), 0);

    set.setNormalized(Frequency, 0.5f);
    EXPECT_EQ(set.getNormalized(Frequency), 0.5f);
    EXPECT_EQ(set.getValue(Frequency), 4000.0f);
    EXPECT_TRUE(set.isChanged(Frequency));
    EXPECT_EQ(set.getChangedCount(), 1);

    EXPECT_EQ(set.takeValue(Frequency), 4000.0f);
    EXPECT_FALSE(set.isChanged(Frequency));
    EXPECT_EQ(set.getChangedCount(), 0);

    set.setValue(Level, 3.0f);
    EXPECT_FLOAT_EQ(set.takeNormalized(Level), 23.0f / 26.0f);
    EXPECT_FALSE(set.isChanged(Level));
    EXPECT_EQ(set.getChangedCount(), 0);
}

// Lets a writer's call land inside a take, just before it clears the flag: the moment where
// the audio thread and the user-interface thread can meet.
class InterleavingSet : public ParameterSet {
public:
    using ParameterSet::ParameterSet;
    void clearChanged(std::int32_t index) override {
        if (interleave) std::exchange(interleave, nullptr)();
        ParameterSet::clearChanged(index);
    }
    std::function<void()> interleave;
};

TEST(ParameterSetInterleavingTest, WriteDuringATakeReachesTheNextTake) {
    InterleavingSet set(2);
    set.define(0, 1.0f, 0.0f, 10.0f, 0.0f, "", "", 1, 1, 4);
    set.define(1, 0.0f, 0.0f, 1.0f, 0.0f, "", "", 1, 1, 8);

    set.interleave = [&] { set.setValue(0, 2.0f); };
    float newest = set.takeValue(0);
    if (set.isChanged(0)) newest = set.takeValue(0);
    EXPECT_EQ(newest, 2.0f);

    const std::int32_t two = 2;
    set.interleave = [&] { set.setData(1, &two, 4, 0); };
    std::int32_t got = 0;
    set.takeData(1, &got, 4, 0);
    if (set.isChanged(1)) set.takeData(1, &got, 4, 0);
    EXPECT_EQ(got, 2);
    EXPECT_EQ(set.getChangedCount(), 0);
}

TEST_F(ParameterSetTest, ClearingAnUnflaggedParameterKeepsTheCountAtZero) {
    takeAll();
    set.clearChanged(Level);
    set.clearChanged(Level);
    EXPECT_EQ(set.getChangedCount(), 0);
    set.setValue(Level, 1.0f);
    EXPECT_EQ(set.getChangedCount(), 1);
}

TEST_F(ParameterSetTest, ParameterWithoutNotifyIsFlaggedOnlyByForce) {
    const std::int32_t before = set.getChangedCount();
    set.setValue(Quiet, 0.75f);
    EXPECT_EQ(set.getValue(Quiet), 0.75f);
    EXPECT_FALSE(set.isChanged(Quiet));
    EXPECT_EQ(set.getChangedCount(), before);

    set.forceChanged(Quiet);
    EXPECT_TRUE(set.isChanged(Quiet));
    EXPECT_EQ(set.getChangedCount(), before + 1);
    set.forceChanged(Quiet);
    EXPECT_EQ(set.getChangedCount(), before + 1);
}

TEST_F(ParameterSetTest, MarkAllChangedFlagsExactlyTheNotifyingParameters) {
    takeAll();
    set.forceChanged(Quiet);
    set.markAllChanged();
    for (int i = 0; i < Size; ++i) EXPECT_EQ(set.isChanged(i), i != Quiet) << "parameter " << i;
    EXPECT_EQ(set.getChangedCount(), Size - 1);
}

TEST_F(ParameterSetTest, TextsAreCutTo63Characters) {
    const std::string longText(100, 'u');
    set.define(Plain, 0.0f, 0.0f, 1.0f, 0.0f, longText.c_str(), longText.c_str(), 1, 1, 4);
    EXPECT_EQ(std::strlen(set.getUnit(Plain)), 63u);
    EXPECT_EQ(std::string(set.getUnit(Plain)), longText.substr(0, 63));
    EXPECT_EQ(std::strlen(set.getName(Plain)), 63u);

    set.define(Plain, 0.0f, 0.0f, 1.0f, 0.0f, nullptr, nullptr, 1, 1, 4);
    EXPECT_STREQ(set.getUnit(Plain), "");
    EXPECT_STREQ(set.getName(Plain), "");
}

TEST_F(ParameterSetTest, DataBlockStartsZeroedAndRoundTripsAnyRange) {
    EXPECT_TRUE(set.hasDataBlock(Block));
    EXPECT_EQ(set.dataSizeOf(Block), 12);
    EXPECT_FALSE(set.hasDataBlock(Plain));
    EXPECT_EQ(set.dataSizeOf(Plain), 4);

    unsigned char out[12];
    std::memset(out, 0xEE, sizeof(out));
    set.getData(Block, out, 0, 0);
    for (unsigned char b : out) EXPECT_EQ(b, 0);

    const unsigned char whole[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    set.setData(Block, whole, 0, 0);
    const unsigned char piece[3] = {30, 40, 50};
    set.setData(Block, piece, 3, 6);  // straddles two words
    const unsigned char expected[12] = {1, 2, 3, 4, 5, 6, 30, 40, 50, 10, 11, 12};
    set.getData(Block, out, 12, 0);
    EXPECT_EQ(std::memcmp(out, expected, 12), 0);

    unsigned char tail[5] = {};
    set.getData(Block, tail, 5, 7);
    EXPECT_EQ(std::memcmp(tail, expected + 7, 5), 0);
}

TEST_F(ParameterSetTest, DataCopiesMarkAndTakeClears) {
    takeAll();
    const float pair[2] = {1.5f, -2.5f};
    set.setData(Block, pair, 8, 4);
    EXPECT_TRUE(set.isChanged(Block));
    EXPECT_EQ(set.getChangedCount(), 1);

    float got[2] = {};
    set.takeData(Block, got, 8, 4);
    EXPECT_EQ(got[0], 1.5f);
    EXPECT_EQ(got[1], -2.5f);
    EXPECT_FALSE(set.isChanged(Block));
    EXPECT_EQ(set.getChangedCount(), 0);
}

TEST_F(ParameterSetTest, DataCopyOutsideTheBlockCopiesNothing) {
    takeAll();
    const unsigned char source[16] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    set.setData(Block, source, 8, 8);
    set.setData(Block, source, 13, 0);
    set.setData(Block, source, 0, 1);
    set.setData(Block, source, 4, -1);
    set.setData(Block, source, -4, 0);
    set.setData(Block, nullptr, 4, 0);
    set.setData(Plain, source, 4, 0);
    EXPECT_EQ(set.getChangedCount(), 0);
    EXPECT_FALSE(set.isChanged(Block));

    unsigned char out[16];
    std::memset(out, 0xEE, sizeof(out));
    set.getData(Block, out, 12, 0);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(out[i], 0) << "byte " << i;

    std::memset(out, 0xEE, sizeof(out));
    set.getData(Block, out, 8, 8);
    set.getData(Block, out, 0, 4);
    set.getData(Block, out, 2, -2);
    set.getData(Plain, out, 4, 0);
    set.getData(Block, nullptr, 4, 0);
    for (unsigned char b : out) EXPECT_EQ(b, 0xEE);

    set.setData(Block, source, 4, 0);
    set.takeData(Block, out, 4, 10);
    EXPECT_TRUE(set.isChanged(Block));
}

TEST_F(ParameterSetTest, NegativeDataSizeHasABlockOfNoBytes) {
    set.define(Plain, 0.0f, 0.0f, 1.0f, 0.0f, "", "", 1, 1, -8);
    EXPECT_TRUE(set.hasDataBlock(Plain));
    EXPECT_EQ(set.dataSizeOf(Plain), 0);
    unsigned char out[4] = {7, 7, 7, 7};
    set.getData(Plain, out, 0, 0);
    EXPECT_EQ(out[0], 7);
}

TEST_F(ParameterSetTest, IndexOutOfRangeIsIgnoredEitherSide) {
    const std::int32_t before = set.getChangedCount();
    unsigned char buffer[8] = {5, 5, 5, 5, 5, 5, 5, 5};
    for (std::int32_t index : {-1, -1000, static_cast<std::int32_t>(Size), 1000}) {
        set.setValue(index, 1.0f);
        set.setNormalized(index, 1.0f);
        set.setData(index, buffer, 4, 0);
        set.forceChanged(index);
        set.markChanged(index);
        set.clearChanged(index);
        set.define(index, 1.0f, 0.0f, 2.0f, 1.0f, "x", "y", 1, 1, 8);
        set.getData(index, buffer, 4, 0);
        set.takeData(index, buffer, 4, 0);
        EXPECT_EQ(set.getValue(index), 0.0f);
        EXPECT_EQ(set.takeValue(index), 0.0f);
        EXPECT_EQ(set.getNormalized(index), 0.0f);
        EXPECT_EQ(set.takeNormalized(index), 0.0f);
        EXPECT_EQ(set.toNormalized(index, 5.0f), 0.0f);
        EXPECT_EQ(set.fromNormalized(index, 0.5f), 0.0f);
        EXPECT_EQ(set.getDefaultNormalized(index), 0.0f);
        EXPECT_FALSE(set.isChanged(index));
        EXPECT_FALSE(set.hasDataBlock(index));
        EXPECT_EQ(set.dataSizeOf(index), 0);
        EXPECT_EQ(set.getStep(index), 0.0f);
        EXPECT_STREQ(set.getName(index), "");
    }
    EXPECT_EQ(set.getChangedCount(), before);
    for (unsigned char b : buffer) EXPECT_EQ(b, 5);
}

TEST_F(ParameterSetTest, BusyCountersNeverDropBelowZero) {
    EXPECT_TRUE(set.getMeterRequest());
    set.setMeterRequest(false);
    EXPECT_FALSE(set.getMeterRequest());

    set.raiseApplyBusy();
    set.raiseApplyBusy();
    EXPECT_EQ(set.getApplyBusy(), 2);
    set.lowerApplyBusy();
    set.lowerApplyBusy();
    set.lowerApplyBusy();
    EXPECT_EQ(set.getApplyBusy(), 0);

    set.raiseMeterBusy();
    EXPECT_EQ(set.getMeterBusy(), 1);
    set.lowerMeterBusy();
    set.lowerMeterBusy();
    EXPECT_EQ(set.getMeterBusy(), 0);
}

}  // namespace
