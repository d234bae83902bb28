#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "plugin/BrillianteerEffect.h"
#include "shell/Opcodes.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/BigEndian.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr std::int32_t kPrograms = 10;
constexpr std::size_t kProgramBytes = 112;
constexpr std::int32_t kBlock = 256;

PlxIntPtr quietHost(EffectRecord*, std::int32_t opcode, std::int32_t, PlxIntPtr, void*, float) {
    return opcode == hostRequestVersion ? 2200 : 0;
}

Bytes randomBytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(generator());
    return bytes;
}

// A bank of the plug-in's layout whose values are, program by program, one of these.
Bytes extremeBank() {
    const float extremes[] = {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              1e30f,
                              -1e30f,
                              std::numeric_limits<float>::denorm_min(),
                              2.0f,
                              -1.0f};
    Bytes bank(kPrograms * kProgramBytes, 0);
    for (std::size_t k = 0; k < kPrograms; ++k) {
        for (std::size_t at = 0; at < 48; at += 4)
            big_endian::writeFloat(&bank[k * kProgramBytes + at], extremes[k % 8]);
    }
    return bank;
}

class BrillianteerEffectTest : public ::testing::Test {
protected:
    // Switched on as a host starts an instance.
    void start(float rate = 44100.0f) {
        ASSERT_EQ(effect.startup(), 1);
        send(opSetSampleRate, 0, nullptr, rate);
        send(opSetBlockSize, kBlock);
        send(opSetActive, 1);
    }
    PlxIntPtr send(std::int32_t opcode, PlxIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f,
                   std::int32_t index = 0) {
        return record->dispatchFn(record, opcode, index, value, ptr, opt);
    }
    // Output samples that are not finite over eight blocks of a sine whose sample 5, and all of
    // block 2, are `odd`.
    int nonFiniteOutput(float odd, bool accumulate) {
        std::vector<float> in(kBlock), left(kBlock), right(kBlock);
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {left.data(), right.data()};
        int count = 0;
        for (int block = 0; block < 8; ++block) {
            for (std::int32_t n = 0; n < kBlock; ++n)
                in[n] = block == 2 || n == 5 ? odd : 0.9f * std::sin(0.3f * static_cast<float>(n));
            std::fill(left.begin(), left.end(), 0.0f);
            std::fill(right.begin(), right.end(), 0.0f);
            (accumulate ? record->processAddingFn : record->processOverwritingFn)(record, inputs,
                                                                                  outputs, kBlock);
            for (std::int32_t n = 0; n < kBlock; ++n)
                count += !std::isfinite(left[n]) + !std::isfinite(right[n]);
        }
        return count;
    }

    BrillianteerEffect effect{quietHost};
    EffectRecord* record = effect.getRecord();
};

// Whatever a host loads, every program of it plays to finite output.
TEST_F(BrillianteerEffectTest, AnyChunkLoadsAndEveryProgramPlaysToFiniteOutput) {
    start();
    const struct {
        const char* what;
        Bytes chunk;
        bool isPreset;
    } cases[] = {{"random bank", randomBytes(kPrograms * kProgramBytes, 1), false},
                 {"random program", randomBytes(kProgramBytes, 2), true},
                 {"extreme values", extremeBank(), false}};
    for (auto c : cases) {
        send(opSetStateData, static_cast<PlxIntPtr>(c.chunk.size()), c.chunk.data(), 0.0f,
             c.isPreset);
        for (std::int32_t program = 0; program < kPrograms; ++program) {
            send(opSetProgram, program);
            EXPECT_EQ(nonFiniteOutput(0.5f, false), 0) << c.what << ", program " << program;
        }
    }
}

// Finite input so large that the harmonics overflow, or input that is not a number at all.
TEST_F(BrillianteerEffectTest, OutputStaysFiniteWhateverTheInput) {
    start();
    const float inf = std::numeric_limits<float>::infinity();
    for (float odd : {1e20f, 1e38f, -std::numeric_limits<float>::max(),
                      std::numeric_limits<float>::quiet_NaN(), inf, -inf})
        for (bool accumulate : {false, true})
            EXPECT_EQ(nonFiniteOutput(odd, accumulate), 0)
                << odd << (accumulate ? ", adding" : ", replacing");
}

// The audio calls allocate nothing, here passing the input through for want of an engine at
// 8000 Hz; a chunk that finds no memory is refused rather than thrown at the host.
TEST_F(BrillianteerEffectTest, AudioAllocatesNothingAndAChunkWithoutMemoryIsRefused) {
    start(8000.0f);
    std::vector<float> left(kBlock, 0.5f), right(kBlock, 0.5f);
    float* channels[2] = {left.data(), right.data()};
    const allocation_counter::Scope scope;
    record->processOverwritingFn(record, channels, channels, kBlock);
    record->processAddingFn(record, channels, channels, kBlock);
    EXPECT_EQ(scope.allocations(), 0u);

    void* data = &effect;
    allocation_counter::failNth(1);
    EXPECT_EQ(send(opGetStateData, 0, &data), 0);
    allocation_counter::failNth(0);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(send(opGetStateData, 0, &data), 1120);
}

}  // namespace
