#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "host/EditorDisplay.h"
#include "plugin/BrillianteerEffect.h"
#include "shell/EditorBase.h"
#include "shell/Opcodes.h"
#include "tests/support/BigEndian.h"

// Hosts call the bank from more than one thread: an interface thread switches programs, sets
// chunks and runs the editor while another takes chunks for autosave and reads parameters, and
// audio runs throughout. Every write below puts back what was there, so every chunk any thread
// receives must be the bank as it was set up, byte for byte (the meter levels aside).
namespace {

using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;
constexpr std::int32_t kPrograms = 10;
constexpr std::int32_t kAutomatable = 9;
constexpr std::size_t kProgramBytes = 112;
constexpr std::size_t kMeterOffset = 40;
constexpr std::size_t kMeterBytes = 8;
constexpr std::int32_t kBlock = 512;

PlxIntPtr quietHost(EffectRecord*, std::int32_t opcode, std::int32_t, PlxIntPtr, void*, float) {
    return opcode == hostRequestVersion ? 2200 : 0;
}

struct Instance {
    Instance() : effect(new BrillianteerEffect(quietHost)) {
        EXPECT_EQ(effect->startup(), 1);
        record = effect->getRecord();
    }
    ~Instance() { send(opClose); }

    PlxIntPtr send(std::int32_t opcode, std::int32_t index = 0, PlxIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
        return record->dispatchFn(record, opcode, index, value, ptr, opt);
    }
    // The chunk's bytes as the call hands them out, and its address for a later look.
    Bytes chunk(bool isPreset, const unsigned char** address = nullptr) {
        void* data = nullptr;
        const auto size =
            static_cast<std::size_t>(send(opGetStateData, isPreset ? 1 : 0, 0, &data));
        const auto* bytes = static_cast<const unsigned char*>(data);
        if (address) *address = bytes;
        return bytes ? Bytes(bytes, bytes + size) : Bytes();
    }

    BrillianteerEffect* effect;
    EffectRecord* record;
    Bytes bank;  // as set up before the threads start
};

// Gives every program its own values, then checks that switching through them is stable, so
// that the bank seen afterwards can only differ through a fault.
void setUpBank(Instance& instance) {
    for (std::int32_t k = 0; k < kPrograms; ++k) {
        instance.send(opSetProgram, 0, k);
        for (std::int32_t i = 0; i < kAutomatable; ++i)
            instance.record->setParameterFn(instance.record, i,
                                            static_cast<float>((k * 7 + i) % 19 + 1) / 20.0f);
    }
    for (std::int32_t pass = 0; pass < 2; ++pass)
        for (std::int32_t k = 0; k < kPrograms; ++k) instance.send(opSetProgram, 0, k);
    instance.bank = instance.chunk(false);
    for (std::int32_t k = kPrograms - 1; k >= 0; --k) instance.send(opSetProgram, 0, k);
    ASSERT_EQ(instance.chunk(false), instance.bank);
    instance.send(opSetSampleRate, 0, 0, nullptr, 44100.0f);
    instance.send(opSetBlockSize, 0, kBlock);
    instance.send(opSetActive, 0, 1);
}

// Whether `chunk` is program `program` of the set-up bank (or the whole bank from `program` on),
// the meter levels apart, which audio keeps publishing; those must only be finite.
bool matchesBank(const Instance& instance, const Bytes& chunk, std::size_t program) {
    if (chunk.empty() || chunk.size() % kProgramBytes != 0) return false;
    for (std::size_t at = 0; at < chunk.size(); ++at) {
        const std::size_t offset = at % kProgramBytes;
        if (offset >= kMeterOffset && offset < kMeterOffset + kMeterBytes) {
            if (offset % 4 == 0 && !std::isfinite(big_endian::readFloat(&chunk[at]))) return false;
            continue;
        }
        if (chunk[at] != instance.bank[program * kProgramBytes + at]) return false;
    }
    return true;
}

struct Tally {
    std::atomic<int> chunks{0};
    std::atomic<int> torn{0};
    std::atomic<int> rewritten{0};
    std::atomic<int> strayValues{0};
    std::atomic<int> nonFinite{0};
};

void checkPreset(Instance& instance, Tally& tally) {
    const std::int32_t program = static_cast<std::int32_t>(instance.send(opGetProgram));
    const Bytes preset = instance.chunk(true);
    ++tally.chunks;
    // The program may have changed since it was asked for; any program of the bank will do.
    bool known = false;
    for (std::size_t k = 0; k < kPrograms && !known; ++k) known = matchesBank(instance, preset, k);
    if (!known || program < 0 || program >= kPrograms) ++tally.torn;
}

// The interface thread: programs, chunks handed back, names and the editor.
void interfaceThread(std::vector<std::unique_ptr<Instance>>& instances, Clock::time_point end,
                     Tally& tally) {
    EditorRect* size = nullptr;
    Instance& withEditor = *instances[0];
    withEditor.send(opEditorGetRect, 0, 0, &size);
    EditorDisplay display(size ? size->right : 330, size ? size->bottom : 260);
    withEditor.send(opEditorOpen, 0, 0, display.parentWindow());
    for (unsigned round = 0; Clock::now() < end; ++round) {
        Instance& instance = *instances[round % instances.size()];
        instance.send(opSetProgram, 0, static_cast<PlxIntPtr>((round * 3) % kPrograms));
        Bytes bank = instance.chunk(false);
        ++tally.chunks;
        if (!matchesBank(instance, bank, 0)) ++tally.torn;
        if (round % 3 == 0)
            instance.send(opSetStateData, 0, static_cast<PlxIntPtr>(bank.size()), bank.data());
        if (round % 5 == 0) {
            Bytes preset = instance.chunk(true);
            instance.send(opSetStateData, 1, static_cast<PlxIntPtr>(preset.size()), preset.data());
        }
        char name[64];
        instance.send(opGetProgramName, 0, 0, name);
        instance.send(opSetProgramName, 0, 0, name);
        if (round % 4 == 0) {
            display.compose();
            withEditor.send(opEditorIdle);
            display.advanceTime(20);
        }
    }
    withEditor.send(opEditorClose);
}

// The autosave thread: chunks, which must stay as handed out until its next chunk call, and the
// parameters with their texts.
void autosaveThread(std::vector<std::unique_ptr<Instance>>& instances, Clock::time_point end,
                    Tally& tally) {
    for (unsigned round = 0; Clock::now() < end; ++round) {
        Instance& instance = *instances[round % instances.size()];
        const unsigned char* address = nullptr;
        const Bytes bank = instance.chunk(false, &address);
        ++tally.chunks;
        if (!matchesBank(instance, bank, 0)) ++tally.torn;
        char text[64];
        for (std::int32_t i = 0; i < kAutomatable; ++i) {
            const float value = instance.record->getParameterFn(instance.record, i);
            if (!(value >= 0.0f && value <= 1.0f)) ++tally.strayValues;
            instance.send(opGetParameterText, i, 0, text);
        }
        if (!address || std::memcmp(address, bank.data(), bank.size()) != 0) ++tally.rewritten;
        checkPreset(instance, tally);
    }
}

// Audio at call lengths that never line up with anything, checked for finite output.
void audioThread(std::vector<std::unique_ptr<Instance>>& instances, std::atomic<bool>& done,
                 Tally& tally) {
    std::vector<float> buffer(4 * kBlock);
    for (std::int32_t n = 0; n < kBlock; ++n)
        buffer[n] = buffer[kBlock + n] = 0.25f * static_cast<float>(std::sin(0.05 * n));
    float* inputs[2] = {buffer.data(), buffer.data() + kBlock};
    float* outputs[2] = {buffer.data() + 2 * kBlock, buffer.data() + 3 * kBlock};
    const std::int32_t lengths[] = {1, 37, 509, 128, 3, 257, 64, 431};
    for (unsigned call = 0; !done.load(); ++call) {
        const std::int32_t frames = lengths[call % 8];
        for (auto& instance : instances) {
            instance->record->processOverwritingFn(instance->record, inputs, outputs, frames);
            for (std::int32_t n = 0; n < frames; ++n)
                if (!std::isfinite(outputs[0][n]) || !std::isfinite(outputs[1][n]))
                    ++tally.nonFinite;
        }
    }
}

class BankThreadsTest : public ::testing::TestWithParam<int> {};

TEST_P(BankThreadsTest, EveryChunkIsAWholeCopyAndTheBankSurvivesTwoHostThreadsAndAudio) {
    std::vector<std::unique_ptr<Instance>> instances;
    for (int i = 0; i < GetParam(); ++i) {
        instances.push_back(std::make_unique<Instance>());
        setUpBank(*instances.back());
    }
    ASSERT_FALSE(HasFatalFailure());

    Tally tally;
    std::atomic<bool> done{false};
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(1500);
    std::thread audio(audioThread, std::ref(instances), std::ref(done), std::ref(tally));
    std::thread autosave(autosaveThread, std::ref(instances), end, std::ref(tally));
    interfaceThread(instances, end, tally);
    autosave.join();
    done.store(true);
    audio.join();

    EXPECT_GT(tally.chunks.load(), 0);
    EXPECT_EQ(tally.torn.load(), 0) << "of " << tally.chunks.load() << " chunks";
    EXPECT_EQ(tally.rewritten.load(), 0);
    EXPECT_EQ(tally.strayValues.load(), 0);
    EXPECT_EQ(tally.nonFinite.load(), 0);
    for (auto& instance : instances) {
        const auto program = static_cast<std::size_t>(instance->send(opGetProgram));
        ASSERT_LT(program, static_cast<std::size_t>(kPrograms));
        EXPECT_TRUE(matchesBank(*instance, instance->chunk(false), 0));
        const std::size_t valuesAt = program * kProgramBytes;
        for (std::int32_t i = 0; i < kAutomatable; ++i)
            EXPECT_EQ(
                instance->record->getParameterFn(instance->record, i),
                big_endian::readFloat(&instance->bank[valuesAt + 4 * static_cast<std::size_t>(i)]))
                << "parameter " << i << " of program " << program;
    }
}

INSTANTIATE_TEST_SUITE_P(OneAndSeveralInstances, BankThreadsTest, ::testing::Values(1, 3));

}  // namespace
