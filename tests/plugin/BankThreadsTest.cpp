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
constexpr std::int32_t kBlock = 512;

PlxIntPtr quietHost(EffectRecord*, std::int32_t opcode, std::int32_t, PlxIntPtr, void*, float) {
    return opcode == hostRequestVersion ? 2200 : 0;
}

struct Instance {
    // Gives every program its own values and switches through them until they are stable, so
    // that the bank can only change afterwards through a fault.
    Instance() : effect(new BrillianteerEffect(quietHost)), record(effect->getRecord()) {
        EXPECT_EQ(effect->startup(), 1);
        for (std::int32_t k = 0; k < 3 * kPrograms; ++k) {
            send(opSetProgram, k % kPrograms);
            for (std::int32_t i = 0; k < kPrograms && i < kAutomatable; ++i)
                record->setParameterFn(record, i, static_cast<float>((k * 7 + i) % 19 + 1) / 20);
            if (k == 2 * kPrograms - 1) bank = chunk(false);
        }
        EXPECT_EQ(chunk(false), bank);
        send(opSetBlockSize, kBlock);
        send(opSetActive, 1);
    }
    ~Instance() { send(opClose); }

    PlxIntPtr send(std::int32_t opcode, PlxIntPtr value = 0, void* ptr = nullptr,
                   std::int32_t index = 0) {
        return record->dispatchFn(record, opcode, index, value, ptr, 0.0f);
    }
    Bytes chunk(bool isPreset, const unsigned char** address = nullptr) {
        void* data = nullptr;
        const auto size = static_cast<std::size_t>(send(opGetStateData, 0, &data, isPreset));
        const auto* bytes = static_cast<const unsigned char*>(data);
        if (address) *address = bytes;
        return bytes ? Bytes(bytes, bytes + size) : Bytes();
    }
    // Whether `chunk` is the set-up bank from program `first` on. The meter levels (bytes 40..47
    // of each program), which audio keeps publishing, need only be finite.
    bool isBank(const Bytes& chunk, std::size_t first) const {
        if (chunk.empty() || chunk.size() % kProgramBytes != 0) return false;
        for (std::size_t at = 0; at < chunk.size(); ++at) {
            const std::size_t offset = at % kProgramBytes;
            if (offset >= 40 && offset < 48) {
                if (offset % 4 == 0 && !std::isfinite(big_endian::readFloat(&chunk[at])))
                    return false;
            } else if (chunk[at] != bank[first * kProgramBytes + at]) {
                return false;
            }
        }
        return true;
    }

    BrillianteerEffect* effect;
    EffectRecord* record;
    Bytes bank;
};

class BankThreadsTest : public ::testing::TestWithParam<int> {};

TEST_P(BankThreadsTest, EveryChunkIsAWholeCopyAndTheBankSurvivesTwoHostThreadsAndAudio) {
    std::vector<std::unique_ptr<Instance>> instances;
    for (int i = 0; i < GetParam(); ++i) instances.push_back(std::make_unique<Instance>());
    std::atomic<int> chunks{0}, torn{0}, rewritten{0}, strayValues{0}, nonFinite{0};
    std::atomic<bool> done{false};
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(1500);

    // Audio at call lengths that never line up with anything.
    std::thread audio([&] {
        std::vector<float> buffer(4 * kBlock);
        for (std::int32_t n = 0; n < 2 * kBlock; ++n) buffer[n] = 0.25f * std::sin(0.05f * n);
        float* inputs[2] = {buffer.data(), buffer.data() + kBlock};
        float* outputs[2] = {buffer.data() + 2 * kBlock, buffer.data() + 3 * kBlock};
        const std::int32_t lengths[] = {1, 37, 509, 128, 3, 257, 64, 431};
        for (unsigned call = 0; !done.load(); ++call)
            for (auto& instance : instances) {
                const std::int32_t frames = lengths[call % 8];
                instance->record->processOverwritingFn(instance->record, inputs, outputs, frames);
                for (std::int32_t n = 0; n < frames; ++n)
                    nonFinite += !std::isfinite(outputs[0][n]) + !std::isfinite(outputs[1][n]);
            }
    });
    // Autosave: chunks, which must stay as handed out until this thread's next chunk call, and
    // the parameters with their texts.
    std::thread autosave([&] {
        for (unsigned round = 0; Clock::now() < end; ++round) {
            Instance& instance = *instances[round % instances.size()];
            const unsigned char* address = nullptr;
            const Bytes bank = instance.chunk(false, &address);
            torn += !instance.isBank(bank, 0);
            char text[64];
            for (std::int32_t i = 0; i < kAutomatable; ++i) {
                const float value = instance.record->getParameterFn(instance.record, i);
                strayValues += !(value >= 0.0f && value <= 1.0f);
                instance.send(opGetParameterText, 0, text, i);
            }
            rewritten += !address || std::memcmp(address, bank.data(), bank.size()) != 0;
            // The program may change meanwhile: any program of the bank will do.
            const Bytes preset = instance.chunk(true);
            bool known = false;
            for (std::size_t k = 0; k < kPrograms; ++k) known = known || instance.isBank(preset, k);
            torn += !known;
            chunks += 2;
        }
    });

    // The interface: programs, chunks handed back, names and the editor.
    Instance& withEditor = *instances[0];
    EditorDisplay display(330, 260);
    withEditor.send(opEditorOpen, 0, display.parentWindow());
    for (unsigned round = 0; Clock::now() < end; ++round) {
        Instance& instance = *instances[round % instances.size()];
        instance.send(opSetProgram, (round * 3) % kPrograms);
        Bytes bank = instance.chunk(false);
        torn += !instance.isBank(bank, 0);
        ++chunks;
        if (round % 3 == 0) instance.send(opSetStateData, bank.size(), bank.data());
        Bytes preset = instance.chunk(true);
        if (round % 5 == 0) instance.send(opSetStateData, preset.size(), preset.data(), 1);
        char name[64];
        instance.send(opGetProgramName, 0, name);
        instance.send(opSetProgramName, 0, name);
        if (round % 4 == 0) {
            display.compose();
            withEditor.send(opEditorIdle);
            display.advanceTime(20);
        }
    }
    withEditor.send(opEditorClose);
    autosave.join();
    done.store(true);
    audio.join();

    EXPECT_GT(chunks.load(), 0);
    EXPECT_EQ(torn.load(), 0) << "of " << chunks.load() << " chunks";
    EXPECT_EQ(rewritten.load(), 0);
    EXPECT_EQ(strayValues.load(), 0);
    EXPECT_EQ(nonFinite.load(), 0);
    for (auto& instance : instances) {
        const auto program = static_cast<std::size_t>(instance->send(opGetProgram));
        ASSERT_LT(program, static_cast<std::size_t>(kPrograms));
        EXPECT_TRUE(instance->isBank(instance->chunk(false), 0));
        for (std::size_t i = 0; i < kAutomatable; ++i)
            EXPECT_EQ(instance->record->getParameterFn(instance->record, static_cast<int>(i)),
                      big_endian::readFloat(&instance->bank[program * kProgramBytes + 4 * i]))
                << "parameter " << i << " of program " << program;
    }
}

INSTANTIATE_TEST_SUITE_P(OneAndSeveralInstances, BankThreadsTest, ::testing::Values(1, 3));

}  // namespace
