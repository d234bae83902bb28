#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "shell/EditorBase.h"
#include "shell/EffectBase.h"
#include "shell/Opcodes.h"
#include "tests/support/RecordingHost.h"

namespace {

using recording_host::requests;

class TestEffect : public EffectBase {
public:
    explicit TestEffect(HostCallback callback) : EffectBase(callback, 10, 9) {}
    void process(float**, float**, std::int32_t) override {}
    float getLevel() override { return level; }
    void suspend() override { ++suspends; }
    void resume() override { ++resumes; }
    void setParameter(std::int32_t index, float value) override { lastSet = {index, value}; }
    std::int32_t setStateData(void* data, std::int32_t byteSize, bool isPreset) override {
        ++stateLoads;
        lastLoad = {data, byteSize};
        chunkWasPreset = isPreset;
        return 1;
    }
    std::int32_t getStateData(void** data, bool isPreset) override {
        *data = chunk;
        chunkWasPreset = isPreset;
        return sizeof(chunk);
    }

    float level = 0.0f;
    int suspends = 0;
    int resumes = 0;
    std::pair<std::int32_t, float> lastSet{-1, 0.0f};
    char chunk[12] = {};
    bool chunkWasPreset = false;
    int stateLoads = 0;
    std::pair<void*, std::int32_t> lastLoad{nullptr, 0};
};

class EffectBaseTest : public ::testing::Test {
protected:
    void SetUp() override { recording_host::reset(); }
    TestEffect effect{recording_host::callback};
    EffectRecord* record() { return effect.getRecord(); }
    PlxIntPtr dispatch(std::int32_t opcode, std::int32_t index = 0, PlxIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return record()->dispatchFn(record(), opcode, index, value, ptr, opt);
    }
};

TEST_F(EffectBaseTest, ConstructorWritesTheBaseDefaultsIntoTheRecord) {
    EXPECT_EQ(record()->magic, fourCharCode("PlxP"));
    EXPECT_EQ(record()->programCount, 10);
    EXPECT_EQ(record()->parameterCount, 9);
    EXPECT_EQ(record()->inputCount, 1);
    EXPECT_EQ(record()->outputCount, 2);
    EXPECT_EQ(record()->flags, 0);
    EXPECT_EQ(record()->outputInputRatio, 1.0f);
    EXPECT_EQ(record()->owner, &effect);
    EXPECT_EQ(record()->pluginId, fourCharCode("NoEf"));
    EXPECT_EQ(record()->pluginVersion, 1);
    for (unsigned char byte : record()->future) EXPECT_EQ(byte, 0);
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
}

TEST_F(EffectBaseTest, SetProgramAcceptsOnlyNumbersInRange) {
    dispatch(opSetProgram, 0, 9);
    EXPECT_EQ(dispatch(opGetProgram), 9);
    dispatch(opSetProgram, 0, 10);
    dispatch(opSetProgram, 0, -1);
    EXPECT_EQ(dispatch(opGetProgram), 9);
}

TEST_F(EffectBaseTest, LevelIsScaledAndTruncated) {
    effect.level = 0.5f;
    EXPECT_EQ(dispatch(opGetLevel), 16383);
    effect.level = 1.0f;
    EXPECT_EQ(dispatch(opGetLevel), 32767);
}

TEST_F(EffectBaseTest, LevelsThatCannotBeConvertedReadAsSilence) {
    effect.level = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(dispatch(opGetLevel), 0);
    effect.level = std::numeric_limits<float>::infinity();
    EXPECT_EQ(dispatch(opGetLevel), 0);
    effect.level = 1e30f;
    EXPECT_EQ(dispatch(opGetLevel), 0);
}

TEST_F(EffectBaseTest, SetActiveSuspendsOnZeroAndResumesOnAnythingElse) {
    dispatch(opSetActive, 0, 2);
    dispatch(opSetActive, 0, -7);
    dispatch(opSetActive, 0, 0);
    EXPECT_EQ(effect.resumes, 2);
    EXPECT_EQ(effect.suspends, 1);
}

TEST_F(EffectBaseTest, IdentifyAnswersTheSameConstantWhateverTheArguments) {
    EXPECT_EQ(dispatch(opIdentify), fourCharCode("NvEf"));
    EXPECT_EQ(dispatch(opIdentify, 99, -5, &effect, 3.0f), fourCharCode("NvEf"));
}

TEST_F(EffectBaseTest, RateAndBlockSizeArriveThroughTheirOpcodes) {
    dispatch(opSetSampleRate, 0, 0, nullptr, 96000.0f);
    dispatch(opSetBlockSize, 0, 333);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
    EXPECT_EQ(effect.getBlockSize(), 333);
}

TEST_F(EffectBaseTest, EditorOpcodesWithoutAnEditorAnswerZero) {
    EditorRect* rect = reinterpret_cast<EditorRect*>(0x1);
    EXPECT_EQ(dispatch(opEditorGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, reinterpret_cast<EditorRect*>(0x1));
    EXPECT_EQ(dispatch(opEditorOpen, 0, 0, &effect), 0);
    EXPECT_EQ(dispatch(opEditorClose), 0);
    EXPECT_EQ(dispatch(opEditorIdle), 0);
}

TEST_F(EffectBaseTest, AnAttachedEditorIsAnnouncedAnsweredAndDestroyedWithTheEffect) {
    static int destroyed = 0;
    struct CountingEditor : EditorBase {
        using EditorBase::EditorBase;
        ~CountingEditor() override { ++destroyed; }
    };
    destroyed = 0;
    {
        TestEffect owner(recording_host::callback);
        new CountingEditor(&owner);
        EXPECT_EQ(owner.getRecord()->flags & kFlagHasEditor, kFlagHasEditor);
        EffectRecord* r = owner.getRecord();
        EditorRect* rect = reinterpret_cast<EditorRect*>(0x1);
        EXPECT_EQ(r->dispatchFn(r, opEditorGetRect, 0, 0, &rect, 0.0f), 0);
        EXPECT_EQ(rect, nullptr);
        int parent = 0;
        EXPECT_EQ(r->dispatchFn(r, opEditorOpen, 0, 0, &parent, 0.0f), 0);
        EXPECT_EQ(owner.getAttachedEditor()->getParentWindow(), &parent);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST_F(EffectBaseTest, TextOpcodesWithoutABufferWriteNothing) {
    for (std::int32_t opcode : {opSetProgramName, opGetProgramName, opGetParameterUnit,
                                opGetParameterText, opGetParameterName}) {
        EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0);
    }
    char text[64];
    std::memset(text, 'x', sizeof(text));
    dispatch(opGetParameterName, 3, 0, text);
    EXPECT_STREQ(text, "");
}

TEST_F(EffectBaseTest, StateDataOpcodeHandsOverTheChunkAndRefusesANullTarget) {
    void* chunk = nullptr;
    EXPECT_EQ(dispatch(opGetStateData, 0, 0, &chunk), 12);
    EXPECT_EQ(chunk, effect.chunk);
    EXPECT_FALSE(effect.chunkWasPreset);
    dispatch(opGetStateData, 5, 0, &chunk);
    EXPECT_TRUE(effect.chunkWasPreset);
    EXPECT_EQ(dispatch(opGetStateData, 0, 0, nullptr), 0);
}

TEST_F(EffectBaseTest, StateDataLoadPassesTheChunkOnAndRefusesOneWithoutDataOrBytes) {
    char data[16] = {};
    EXPECT_EQ(dispatch(opSetStateData, 1, 16, data), 1);
    EXPECT_EQ(effect.lastLoad.first, data);
    EXPECT_EQ(effect.lastLoad.second, 16);
    EXPECT_TRUE(effect.chunkWasPreset);
    EXPECT_EQ(dispatch(opSetStateData, 0, 16, nullptr), 0);
    EXPECT_EQ(dispatch(opSetStateData, 0, 0, data), 0);
    EXPECT_EQ(dispatch(opSetStateData, 0, -4, data), 0);
    EXPECT_EQ(effect.stateLoads, 1);
}

TEST_F(EffectBaseTest, UnknownOpcodesAnswerZero) {
    for (std::int32_t opcode : {16, 17, 18, 20, 21, 25, 58, 69, 1000, -1}) {
        EXPECT_EQ(dispatch(opcode, 1, 1, nullptr, 1.0f), 0) << "opcode " << opcode;
    }
}

TEST_F(EffectBaseTest, FlagSettersTouchOnlyTheirOwnBit) {
    effect.setStateDataFlag(true);
    effect.setMonoFlag(true);
    effect.setFlag04(true);
    effect.setFlag04(false);
    effect.setFlag02(true);
    EXPECT_EQ(record()->flags, kFlagStateData | kFlagAcceptsMono | kFlag02);
}

TEST_F(EffectBaseTest, SetParameterAndNotifySetsFirstThenTellsTheHost) {
    recording_host::answer = 7;
    EXPECT_EQ(effect.setParameterAndNotify(4, 0.25f), 7);
    EXPECT_EQ(effect.lastSet.first, 4);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].opcode, hostAutomate);
    EXPECT_EQ(requests[0].index, 4);
    EXPECT_EQ(requests[0].opt, 0.25f);
}

TEST_F(EffectBaseTest, HostWrappersReadTheAnswersAsTheInterfaceDefines) {
    recording_host::answer = 0;
    EXPECT_EQ(effect.hostVersion(), 1);
    EXPECT_TRUE(effect.isInputConnected(0));
    recording_host::answer = 1;
    EXPECT_FALSE(effect.isInputConnected(0));
    EXPECT_FALSE(effect.isOutputConnected(1));
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests.back().opcode, hostRequestPinConnected);
    EXPECT_EQ(requests.back().index, 1);
    EXPECT_EQ(requests.back().value, 1);

    TestEffect orphan(nullptr);
    EXPECT_EQ(orphan.hostVersion(), 1);
    EXPECT_TRUE(orphan.isOutputConnected(0));
    EXPECT_EQ(orphan.setParameterAndNotify(0, 1.0f), 0);
}

}  // namespace
