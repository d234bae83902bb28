#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "plugin/BrillianteerEffect.h"
#include "shell/Opcodes.h"
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

// Whatever a host loads, every program of it plays to finite output.
TEST(BrillianteerEffectTest, AnyChunkLoadsAndEveryProgramPlaysToFiniteOutput) {
    const struct {
        const char* what;
        Bytes chunk;
        bool isPreset;
    } cases[] = {{"random bank", randomBytes(kPrograms * kProgramBytes, 1), false},
                 {"random program", randomBytes(kProgramBytes, 2), true},
                 {"extreme values", extremeBank(), false}};
    for (const auto& c : cases) {
        BrillianteerEffect effect(quietHost);
        ASSERT_EQ(effect.startup(), 1);
        EffectRecord* record = effect.getRecord();
        record->dispatchFn(record, opSetBlockSize, 0, kBlock, nullptr, 0.0f);
        record->dispatchFn(record, opSetActive, 0, 1, nullptr, 0.0f);
        Bytes chunk = c.chunk;
        record->dispatchFn(record, opSetStateData, c.isPreset ? 1 : 0,
                           static_cast<PlxIntPtr>(chunk.size()), chunk.data(), 0.0f);
        std::vector<float> left(kBlock), right(kBlock);
        float* channels[2] = {left.data(), right.data()};
        for (std::int32_t program = 0; program < kPrograms; ++program) {
            record->dispatchFn(record, opSetProgram, 0, program, nullptr, 0.0f);
            int nonFinite = 0;
            for (int block = 0; block < 8; ++block) {
                for (std::int32_t n = 0; n < kBlock; ++n)
                    left[n] = right[n] = 0.9f * static_cast<float>(std::sin(0.3 * n));
                record->processOverwritingFn(record, channels, channels, kBlock);
                for (std::int32_t n = 0; n < kBlock; ++n)
                    nonFinite += !std::isfinite(left[n]) + !std::isfinite(right[n]);
            }
            EXPECT_EQ(nonFinite, 0) << c.what << ", program " << program;
            for (std::int32_t i = 0; i < BrillianteerEffect::kAutomatableCount; ++i) {
                const float value = record->getParameterFn(record, i);
                EXPECT_TRUE(value >= 0.0f && value <= 1.0f) << c.what << ", parameter " << i;
            }
        }
    }
}

// Finite input so large that the harmonics overflow, or input that is not a number at all.
TEST(BrillianteerEffectTest, OutputStaysFiniteWhateverTheInput) {
    const float inf = std::numeric_limits<float>::infinity();
    const float inputs[] = {
        1e20f, 1e38f, -std::numeric_limits<float>::max(), std::numeric_limits<float>::quiet_NaN(),
        inf,   -inf};
    for (float bad : inputs) {
        for (bool accumulate : {false, true}) {
            BrillianteerEffect effect(quietHost);
            ASSERT_EQ(effect.startup(), 1);
            EffectRecord* record = effect.getRecord();
            record->dispatchFn(record, opSetBlockSize, 0, kBlock, nullptr, 0.0f);
            record->dispatchFn(record, opSetActive, 0, 1, nullptr, 0.0f);
            std::vector<float> in(kBlock), left(kBlock), right(kBlock);
            float* inputs[2] = {in.data(), in.data()};
            float* outputs[2] = {left.data(), right.data()};
            int nonFinite = 0;
            for (int block = 0; block < 8; ++block) {
                for (std::int32_t n = 0; n < kBlock; ++n)
                    in[n] =
                        block == 2 || n == 5 ? bad : 0.5f * static_cast<float>(std::sin(0.3 * n));
                std::fill(left.begin(), left.end(), 0.0f);
                std::fill(right.begin(), right.end(), 0.0f);
                if (accumulate)
                    record->processAddingFn(record, inputs, outputs, kBlock);
                else
                    record->processOverwritingFn(record, inputs, outputs, kBlock);
                for (std::int32_t n = 0; n < kBlock; ++n)
                    nonFinite += !std::isfinite(left[n]) + !std::isfinite(right[n]);
            }
            EXPECT_EQ(nonFinite, 0) << bad << (accumulate ? ", adding" : ", replacing");
        }
    }
}

}  // namespace
