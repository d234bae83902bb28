#include <cstring>

#include "shell/Opcodes.h"
#include "tests/endtoend/PluginHarness.h"

namespace {

using EntryPointTest = PluginHarness;

TEST_F(EntryPointTest, MainRefusesAHostThatAnswersZeroToTheVersionRequest) {
    PluginInstance instance(library);
    instance.setAnswer(hostRequestVersion, 0);
    EXPECT_FALSE(instance.create());
    EXPECT_EQ(instance.record(), nullptr);
    const auto asked = instance.requests();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].opcode, hostRequestVersion);
}

TEST_F(EntryPointTest, MainRefusesANullCallback) { EXPECT_EQ(library.entry()(nullptr), nullptr); }

TEST_F(EntryPointTest, TheRecordReadsAsThePluginAnnouncesItself) {
    auto instance = createInstance();
    const EffectRecord* record = instance->record();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->magic, fourCharCode("PlxP"));
    EXPECT_EQ(record->programCount, 10);
    EXPECT_EQ(record->parameterCount, 9);
    EXPECT_EQ(record->inputCount, 2);
    EXPECT_EQ(record->outputCount, 2);
    EXPECT_EQ(record->outputInputRatio, 1.0f);
    EXPECT_EQ(record->pluginId, fourCharCode("Brlt"));
    EXPECT_EQ(record->pluginVersion, 1);
    EXPECT_EQ(record->reserved1, 0);
    EXPECT_EQ(record->reserved2, 0);
    EXPECT_NE(record->owner, nullptr);
    EXPECT_EQ(record->hostData, nullptr);
    for (unsigned char byte : record->future) EXPECT_EQ(byte, 0);
    EXPECT_NE(record->processAddingFn, nullptr);
    EXPECT_NE(record->processOverwritingFn, nullptr);
}

TEST_F(EntryPointTest, EveryCallOfMainMakesAnIndependentInstance) {
    auto first = createInstance();
    auto second = createInstance();
    EXPECT_NE(first->record(), second->record());
    EXPECT_NE(first->record()->owner, second->record()->owner);
    first->dispatch(opSetProgram, 0, 3);
    EXPECT_EQ(first->dispatch(opGetProgram), 3);
    EXPECT_EQ(second->dispatch(opGetProgram), 0);
}

TEST_F(EntryPointTest, IdentifyAnswersNvEfThroughTheForwarder) {
    auto instance = createInstance();
    EXPECT_EQ(instance->dispatch(opIdentify, 7, 7, nullptr, 7.0f), fourCharCode("NvEf"));
}

TEST_F(EntryPointTest, ExtendedOpcodesAnswerThroughTheForwarder) {
    auto instance = createInstance();
    EXPECT_EQ(instance->dispatch(opGetInterfaceVersion), 2200);
    EXPECT_EQ(instance->dispatch(opExtension63), -1);
    EXPECT_EQ(instance->dispatch(opExtension57), 1);
    EXPECT_EQ(instance->dispatch(opSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
    EXPECT_EQ(instance->dispatch(69), 0);
}

TEST_F(EntryPointTest, CloseAnswersOneAndDestroysTheInstance) {
    auto instance = createInstance();
    EXPECT_EQ(instance->dispatch(opClose), 1);
    EXPECT_FALSE(instance->isOpen());
}

TEST_F(EntryPointTest, BadRequestsFromTheHostAreAnsweredWithoutHarm) {
    auto instance = createInstance();
    for (std::int32_t opcode = -3; opcode < 80; ++opcode) {
        if (opcode == opClose) continue;
        instance->dispatch(opcode, -1, -1, nullptr, 0.0f);
    }
    instance->dispatch(opSetProgram, 0, 10);
    instance->dispatch(opSetProgram, 0, -1);
    EXPECT_EQ(instance->dispatch(opGetProgram), 0);
    EXPECT_EQ(instance->dispatch(opIdentify), fourCharCode("NvEf"));
}

}  // namespace
