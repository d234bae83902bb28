#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "dsp/FloatPower.h"

namespace {

std::uint32_t bitsOf(float x) {
    std::uint32_t bits;
    std::memcpy(&bits, &x, sizeof(bits));
    return bits;
}

float fromBits(std::uint32_t bits) {
    float x;
    std::memcpy(&x, &bits, sizeof(x));
    return x;
}

float powRounded(float x, float exponent) {
    return static_cast<float>(std::pow(static_cast<double>(x), exponent));
}

// The compressors' exponents (1 - R) / (2 R) for R = 2 and 3, and some other ratios'.
const float kCompressorExponents[] = {-0.25f, (1.0f - 3.0f) * 0.5f / 3.0f};
const float kOtherExponents[] = {-0.1666666716f, -0.375f, -0.45f, 0.5f, 1.5f, 4.5f, -1e-6f};

class FloatPowerTest : public ::testing::Test {
protected:
    // Every `step`-th float from the smallest normal one to the largest finite one; counts the
    // levels the estimate settled.
    static void expectPowOverTheFloats(float exponent, std::uint32_t step, std::uint64_t& settled) {
        FloatPower power;
        power.setExponent(exponent);
        for (std::uint32_t bits = 0x00800000u; bits < 0x7f800000u; bits += step) {
            const float x = fromBits(bits);
            float estimate = 0.0f;
            if (power.estimate(x, estimate)) {
                ++settled;
                ASSERT_EQ(bitsOf(estimate), bitsOf(powRounded(x, exponent)))
                    << "level " << x << " exponent " << exponent;
            }
            ASSERT_EQ(bitsOf(power(x)), bitsOf(powRounded(x, exponent)));
        }
    }
};

TEST_F(FloatPowerTest, GivesPowRoundedToFloatForTheCompressorExponents) {
    for (float exponent : kCompressorExponents) {
        std::uint64_t settled = 0;
        expectPowOverTheFloats(exponent, 4093, settled);
        // Almost every level is settled without pow.
        EXPECT_GT(settled, 520000u * 999 / 1000) << exponent;
    }
}

TEST_F(FloatPowerTest, GivesPowRoundedToFloatForOtherExponents) {
    for (float exponent : kOtherExponents) {
        std::uint64_t settled = 0;
        expectPowOverTheFloats(exponent, 40009, settled);
        EXPECT_GT(settled, 0u) << exponent;
    }
}

TEST_F(FloatPowerTest, EveryLevelOfTheCompressorRangeIsExact) {
    // Mean squares from the lowest threshold to well above full scale, densely.
    FloatPower power;
    for (float exponent : kCompressorExponents) {
        power.setExponent(exponent);
        for (std::uint32_t bits = bitsOf(1e-7f); bits < bitsOf(100.0f); bits += 61) {
            const float x = fromBits(bits);
            ASSERT_EQ(bitsOf(power(x)), bitsOf(powRounded(x, exponent))) << x;
        }
    }
}

TEST_F(FloatPowerTest, LevelsOutsideTheNormalFloatsGoToPow) {
    FloatPower power;
    power.setExponent(-0.25f);
    const float inf = std::numeric_limits<float>::infinity();
    const float odd[] = {
        0.0f, -0.0f, 1e-40f, -1.0f, -inf, inf, std::numeric_limits<float>::quiet_NaN()};
    for (float x : odd) {
        float estimate = 0.0f;
        EXPECT_FALSE(power.estimate(x, estimate)) << x;
        EXPECT_EQ(bitsOf(power(x)), bitsOf(powRounded(x, -0.25f))) << x;
    }
}

TEST_F(FloatPowerTest, AnExponentTooLargeForTheSeriesLeavesEveryLevelToPow) {
    FloatPower power;
    power.setExponent(40.0f);
    for (float x : {0.5f, 1.0f, 1.5f, 3.0f}) {
        float estimate = 0.0f;
        EXPECT_FALSE(power.estimate(x, estimate)) << x;
        EXPECT_EQ(bitsOf(power(x)), bitsOf(powRounded(x, 40.0f))) << x;
    }
}

TEST_F(FloatPowerTest, ChangingTheExponentRebuildsTheTables) {
    FloatPower power;
    power.setExponent(-0.25f);
    EXPECT_EQ(power(16.0f), 0.5f);
    power.setExponent(0.5f);
    EXPECT_EQ(power.getExponent(), 0.5f);
    EXPECT_EQ(power(16.0f), 4.0f);
    EXPECT_EQ(bitsOf(power(0.3f)), bitsOf(powRounded(0.3f, 0.5f)));
}

}  // namespace
