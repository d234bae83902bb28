#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "shell/EditorBase.h"
#include "shell/EffectBaseEx.h"
#include "shell/Opcodes.h"
#include "tests/support/RecordingHost.h"

namespace {

using recording_host::Request;

std::vector<Request>& sent = recording_host::requests;

// Answers `answer` from the operations whose result the dispatcher reduces.
class ExtendedEffect : public EffectBaseEx {
public:
    explicit ExtendedEffect(HostCallback callback) : EffectBaseEx(callback, 10, 9) {}
    void process(float**, float**, std::int32_t) override {}
    void setSampleRate(float rate) override {
        ++rateSetters;
        EffectBaseEx::setSampleRate(rate);
    }
    void setBlockSize(std::int32_t frames) override {
        ++blockSetters;
        EffectBaseEx::setBlockSize(frames);
    }

    std::int32_t rateSetters = 0;
    std::int32_t blockSetters = 0;
};

class AnsweringEffect : public ExtendedEffect {
public:
    using ExtendedEffect::ExtendedEffect;
    std::int32_t extensionOp25(void*) override { return answer; }
    std::int32_t extensionOp26(std::int32_t) override { return answer; }
    std::int32_t extensionOp38(void*, PlxIntPtr, bool) override { return answer; }
    std::int32_t extensionOp39(void*, PlxIntPtr) override { return answer; }
    std::int32_t extensionOp57() override { return answer; }
    std::int32_t extensionOp65(std::int32_t) override { return answer; }
    void extensionOp31(std::int32_t, bool on) override { lastSwitch = on; }

    std::int32_t answer = 0;
    bool lastSwitch = false;
};

class KeyEditor : public EditorBase {
public:
    using EditorBase::EditorBase;
    std::int32_t onKeyDown(KeyRecord& key) override {
        down = key;
        return 7;
    }
    std::int32_t onKeyUp(KeyRecord& key) override {
        up = key;
        return 8;
    }
    std::int32_t setRotaryMode(std::int32_t mode) override {
        rotaryMode = mode;
        return 1;
    }
    KeyRecord down{-1, 99, 99};
    KeyRecord up{-1, 99, 99};
    std::int32_t rotaryMode = -1;
};

class EffectBaseExTest : public ::testing::Test {
protected:
    void SetUp() override { recording_host::reset(); }
    void TearDown() override { recording_host::reset(); }

    PlxIntPtr dispatch(EffectBase& target, std::int32_t opcode, std::int32_t index = 0,
                       PlxIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
        EffectRecord* r = target.getRecord();
        return r->dispatchFn(r, opcode, index, value, ptr, opt);
    }

    ExtendedEffect effect{recording_host::callback};
};

TEST_F(EffectBaseExTest, ExtendedOpcodesAnswerTheirDefaults) {
    EXPECT_EQ(dispatch(effect, opGetInterfaceVersion), 2200);
    EXPECT_EQ(dispatch(effect, opExtension63, 3), -1);
    EXPECT_EQ(dispatch(effect, opExtension57), 1);
    EXPECT_EQ(dispatch(effect, opExtension28), 1);
    EXPECT_EQ(dispatch(effect, opGetCategory), 0);
    for (std::int32_t index : {-5, 0, 8, 1000})
        EXPECT_EQ(dispatch(effect, opExtension26, index), 1);
    for (std::int32_t opcode : {25, 29, 30, 33, 34, 36, 37, 38, 39, 40, 41, 42, 44, 45, 46, 47,
                                48, 49, 50, 51, 52, 53, 54, 55, 56, 62, 64, 65, 66, 67, 68}) {
        EXPECT_EQ(dispatch(effect, opcode, 1, 1, nullptr, 1.0f), 0) << "opcode " << opcode;
    }
    EXPECT_EQ(dispatch(effect, opExtension31, 0, 1), 1);
    EXPECT_EQ(dispatch(effect, opExtension32, 0, 0), 1);
}

TEST_F(EffectBaseExTest, OpcodesOutsideTheExtendedRangeReachTheBaseDispatcher) {
    EXPECT_EQ(dispatch(effect, opIdentify), fourCharCode("NvEf"));
    dispatch(effect, opSetProgram, 0, 4);
    EXPECT_EQ(dispatch(effect, opGetProgram), 4);
    EXPECT_EQ(dispatch(effect, 69), 0);
    EXPECT_EQ(dispatch(effect, 24 + 1000), 0);
}

TEST_F(EffectBaseExTest, ResultsAreReducedToBoolByteOrInvertedAsTheOpcodeDefines) {
    AnsweringEffect answering(recording_host::callback);
    answering.answer = 0x1234;
    EXPECT_EQ(dispatch(answering, opExtension25), 0x1234);
    EXPECT_EQ(dispatch(answering, opExtension26), 1);
    EXPECT_EQ(dispatch(answering, opExtension65), 1);
    EXPECT_EQ(dispatch(answering, opExtension38), 0x34);
    EXPECT_EQ(dispatch(answering, opExtension39), 0x34);
    EXPECT_EQ(dispatch(answering, opExtension57), 0);
    answering.answer = -1;
    EXPECT_EQ(dispatch(answering, opExtension26), 1);
    EXPECT_EQ(dispatch(answering, opExtension38), 0xFF);
    answering.answer = 0;
    EXPECT_EQ(dispatch(answering, opExtension26), 0);
    EXPECT_EQ(dispatch(answering, opExtension57), 1);
    EXPECT_EQ(dispatch(answering, opExtension31, 0, 5), 1);
    EXPECT_TRUE(answering.lastSwitch);
}

TEST_F(EffectBaseExTest, BlockSizeAndRateOpcodeWritesBothMembersAndNothingElse) {
    EXPECT_EQ(dispatch(effect, opSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
    EXPECT_EQ(effect.getBlockSize(), 512);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(effect.rateSetters, 0);
    EXPECT_EQ(effect.blockSetters, 0);
}

TEST_F(EffectBaseExTest, KeyOpcodesHandTheEditorARecordBuiltFromTheArguments) {
    auto* editor = new KeyEditor(&effect);
    EXPECT_EQ(effect.getEditor(), editor);
    EXPECT_EQ(dispatch(effect, opEditorKeyDown, 'a', 0, nullptr, 2.7f), 7);
    EXPECT_EQ(editor->down.character, 'a');
    EXPECT_EQ(editor->down.virtualKey, 0);
    EXPECT_EQ(editor->down.modifiers, 2);

    EXPECT_EQ(dispatch(effect, opEditorKeyUp, 'Z', 0x1FE, nullptr, 260.9f), 8);
    EXPECT_EQ(editor->up.character, 'Z');
    EXPECT_EQ(editor->up.virtualKey, 0xFE);
    EXPECT_EQ(editor->up.modifiers, 4);

    dispatch(effect, opEditorKeyDown, 'b', 0, nullptr, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(editor->down.modifiers, 0);
    dispatch(effect, opEditorKeyDown, 'b', 0, nullptr, 1e30f);
    EXPECT_EQ(editor->down.modifiers, 0);

    EXPECT_EQ(dispatch(effect, opEditorSetRotaryMode, 0, 2), 1);
    EXPECT_EQ(editor->rotaryMode, 2);
}

TEST_F(EffectBaseExTest, EditorOpcodesWithoutAnEditorAnswerZero) {
    EXPECT_EQ(effect.getEditor(), nullptr);
    EXPECT_EQ(dispatch(effect, opEditorKeyDown, 'a', 0, nullptr, 2.7f), 0);
    EXPECT_EQ(dispatch(effect, opEditorKeyUp, 'a'), 0);
    EXPECT_EQ(dispatch(effect, opEditorSetRotaryMode, 0, 1), 0);
}

TEST_F(EffectBaseExTest, FlagSettersTouchOnlyTheirOwnBitAndBit100SetsTheCategory) {
    effect.setFlag100(true);
    EXPECT_EQ(dispatch(effect, opGetCategory), 2);
    effect.setFlag200(true);
    effect.setFlag400(true);
    effect.setFlag800(true);
    effect.setFlag400(false);
    EXPECT_EQ(effect.getRecord()->flags, kFlag100 | kFlag200 | kFlag800);
    effect.setFlag100(false);
    EXPECT_EQ(effect.getRecord()->flags, kFlag200 | kFlag800);
    EXPECT_EQ(dispatch(effect, opGetCategory), 0);
}

// One wrapper call, the request it must send and how it reads the host's answer 5.
struct WrapperCase {
    const char* name;
    std::function<PlxIntPtr(EffectBaseEx&)> call;
    Request expected;
    PlxIntPtr answerTo5;
};

char textBuffer[64];
int token;

// clang-format off
std::vector<WrapperCase> wrapperCases() {
    void* p = &token;
    return {
        {"hostRequest6", [](EffectBaseEx& e) { return e.hostRequest6(11); }, {nullptr, 6, 0, 11, nullptr, 0}, 5},
        {"hostRequest7", [](EffectBaseEx& e) { return e.hostRequest7(12); }, {nullptr, 7, 0, 12, nullptr, 0}, 5},
        {"hostRequest10", [](EffectBaseEx& e) { return e.hostRequest10(13); }, {nullptr, 10, 0, 13, nullptr, 0}, 5},
        {"hostRequest11", [](EffectBaseEx& e) { return e.hostRequest11(); }, {nullptr, 11, 0, 0, nullptr, 0}, 5},
        {"hostRequest12", [](EffectBaseEx& e) { return e.hostRequest12(); }, {nullptr, 12, 0, 0, nullptr, 0}, 5},
        {"hostRequest13", [](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest13()); }, {nullptr, 13, 0, 0, nullptr, 0}, 1},
        {"hostRequest14", [](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest14()); }, {nullptr, 14, 0, 0, nullptr, 0}, 1},
        {"hostRequest15", [](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest15(3, 4)); }, {nullptr, 15, 3, 4, nullptr, 0}, 1},
        {"hostRequest18", [](EffectBaseEx& e) { return e.hostRequest18(); }, {nullptr, 18, 0, 0, nullptr, 0}, 5},
        {"hostRequest19", [](EffectBaseEx& e) { return e.hostRequest19(); }, {nullptr, 19, 0, 0, nullptr, 0}, 5},
        {"hostRequest20", [](EffectBaseEx& e) { return e.hostRequest20(); }, {nullptr, 20, 0, 0, nullptr, 0}, 5},
        {"hostRequest21", [](EffectBaseEx& e) { return e.hostRequest21(); }, {nullptr, 21, 0, 0, nullptr, 0}, 5},
        {"hostRequest22", [](EffectBaseEx& e) { return e.hostRequest22(); }, {nullptr, 22, 0, 0, nullptr, 0}, 5},
        {"hostRequest23", [](EffectBaseEx& e) { return e.hostRequest23(); }, {nullptr, 23, 0, 0, nullptr, 0}, 5},
        {"hostRequest24", [](EffectBaseEx& e) { return e.hostRequest24(); }, {nullptr, 24, 0, 0, nullptr, 0}, 5},
        {"hostRequest26", [p](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest26(p, 6, 0x1207)); }, {nullptr, 26, 0x07, 6, p, 0}, 1},
        {"hostRequest27", [p](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest27(p, 6)); }, {nullptr, 27, 0, 6, p, 0}, 1},
        {"hostRequest25", [p](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest25(p, 6, 0x1207)); }, {nullptr, 25, 0x1207, 6, p, 0}, 1},
        {"hostRequest28", [](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest28()); }, {nullptr, 28, 0, 0, nullptr, 0}, 1},
        {"hostRequest29", [](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest29()); }, {nullptr, 29, 0, 0, nullptr, 0}, 1},
        {"hostRequest30", [](EffectBaseEx& e) { return e.hostRequest30(0.75f); }, {nullptr, 30, 0, 0, nullptr, 0.75f}, 5},
        {"hostRequest31", [p](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest31(9, p)); }, {nullptr, 31, 0, 9, p, 0}, 1},
        {"hostRequest32", [p](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest32(p)); }, {nullptr, 32, 0, 0, p, 0}, 1},
        {"hostRequest33", [](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest33(textBuffer)); }, {nullptr, 33, 0, 0, textBuffer, 0}, 1},
        {"hostRequest34", [](EffectBaseEx& e) { return e.hostRequest34(); }, {nullptr, 34, 0, 0, nullptr, 0}, 5},
        {"hostRequest35", [p](EffectBaseEx& e) { return e.hostRequest35(2, 3, p, 0.5f); }, {nullptr, 35, 2, 3, p, 0.5f}, 5},
        {"hostRequest37", [p](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest37(p)); }, {nullptr, 37, 0, 0, p, 0}, 1},
        {"hostRequest38", [](EffectBaseEx& e) { return e.hostRequest38(); }, {nullptr, 38, 0, 0, nullptr, 0}, 5},
        {"hostRequest39", [p](EffectBaseEx& e) { return e.hostRequest39(p); }, {nullptr, 39, 0, 0, p, 0}, 5},
        {"hostRequest40", [p](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest40(p)); }, {nullptr, 40, 0, 0, p, 0}, 1},
        {"hostRequest41", [](EffectBaseEx& e) { return e.hostRequest41(); }, {nullptr, 41, 0, 0, nullptr, 0}, 5},
        {"hostRequest42", [](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest42()); }, {nullptr, 42, 0, 0, nullptr, 0}, 1},
        {"beginEdit", [](EffectBaseEx& e) { return PlxIntPtr(e.beginEdit(17)); }, {nullptr, 43, 17, 0, nullptr, 0}, 1},
        {"endEdit", [](EffectBaseEx& e) { return PlxIntPtr(e.endEdit(17)); }, {nullptr, 44, 17, 0, nullptr, 0}, 1},
        {"hostRequest45", [p](EffectBaseEx& e) { return PlxIntPtr(e.hostRequest45(p)); }, {nullptr, 45, 0, 0, p, 0}, 1},
        {"hostCurrentId", [](EffectBaseEx& e) { return e.hostCurrentId(); }, {nullptr, 2, 0, 0, nullptr, 0}, 5},
        {"hostIdle", [](EffectBaseEx& e) { return e.hostIdle(); }, {nullptr, 3, 0, 0, nullptr, 0}, 5},
        {"hostVersion", [](EffectBaseEx& e) { return e.hostVersion(); }, {nullptr, 1, 0, 0, nullptr, 0}, 5},
        {"isInputConnected", [](EffectBaseEx& e) { return PlxIntPtr(e.isInputConnected(1)); }, {nullptr, 4, 1, 0, nullptr, 0}, 0},
        {"isOutputConnected", [](EffectBaseEx& e) { return PlxIntPtr(e.isOutputConnected(1)); }, {nullptr, 4, 1, 1, nullptr, 0}, 0},
    };
}
// clang-format on

TEST_F(EffectBaseExTest, EveryWrapperSendsItsRequestFromThisRecordAndReadsTheAnswer) {
    recording_host::answer = 5;
    for (const WrapperCase& c : wrapperCases()) {
        sent.clear();
        EXPECT_EQ(c.call(effect), c.answerTo5) << c.name;
        ASSERT_EQ(sent.size(), 1u) << c.name;
        const Request& r = sent[0];
        EXPECT_EQ(r.effect, effect.getRecord()) << c.name;
        EXPECT_EQ(r.opcode, c.expected.opcode) << c.name;
        EXPECT_EQ(r.index, c.expected.index) << c.name;
        EXPECT_EQ(r.value, c.expected.value) << c.name;
        EXPECT_EQ(r.ptr, c.expected.ptr) << c.name;
        EXPECT_EQ(r.opt, c.expected.opt) << c.name;
    }
}

TEST_F(EffectBaseExTest, WithoutACallbackWrappersSendNothingAndAnswerTheirDefaults) {
    ExtendedEffect orphan(nullptr);
    for (const WrapperCase& c : wrapperCases()) {
        const std::string name = c.name;
        PlxIntPtr expected = 0;
        if (name == "hostVersion" || name == "isInputConnected" || name == "isOutputConnected")
            expected = 1;
        EXPECT_EQ(c.call(orphan), expected) << name;
    }
    EXPECT_EQ(orphan.setParameterAndNotify(0, 0.5f), 0);
    orphan.setBlockSizeAndSampleRate(256, 88200.0f);
    EXPECT_EQ(orphan.refreshSampleRate(), 88200.0f);
    EXPECT_EQ(orphan.refreshBlockSize(), 256);
    EXPECT_TRUE(sent.empty());
}

TEST_F(EffectBaseExTest, BoolAnswersCountAnyNonZeroAsTrue) {
    recording_host::answer = -3;
    EXPECT_TRUE(effect.hostRequest13());
    EXPECT_TRUE(effect.beginEdit(1));
    recording_host::answer = 0;
    EXPECT_FALSE(effect.hostRequest13());
    EXPECT_FALSE(effect.endEdit(1));
}

TEST_F(EffectBaseExTest, HostRequest45WithoutAPointerSendsNothing) {
    recording_host::answer = 1;
    EXPECT_FALSE(effect.hostRequest45(nullptr));
    EXPECT_TRUE(sent.empty());
}

TEST_F(EffectBaseExTest, RefreshAnswersTheMemberAsTheHostLeftItAfterTheRequest) {
    recording_host::answer = 12345;
    recording_host::duringRequest = [](const Request& request) {
        EffectRecord* r = request.effect;
        if (request.opcode == hostRequestSampleRate)
            r->dispatchFn(r, opSetSampleRate, 0, 0, nullptr, 96000.0f);
        if (request.opcode == hostRequestBlockSize)
            r->dispatchFn(r, opSetBlockSize, 0, 64, nullptr, 0.0f);
    };
    EXPECT_EQ(effect.refreshSampleRate(), 96000.0f);
    EXPECT_EQ(effect.refreshBlockSize(), 64);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].opcode, 16);
    EXPECT_EQ(sent[1].opcode, 17);
}

}  // namespace
