#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "dsp/GainCurve.h"
#include "tests/dsp/InstructionSets.h"

namespace {

class GainCurveTest : public ::testing::Test {
protected:
    // Thresholds of "Density" 0 to 6, with the table tops they lead to.
    static float thresholdPower(int density) {
        return static_cast<float>(std::pow(10.0, -(density + 1) * 10.0 * 0.1));
    }
    static constexpr float kTops[7] = {100.0f, 10.0f, 1.0f, 0.01f, 0.01f, 0.01f, 0.01f};
    static constexpr float kExponents[2] = {-0.25f, -1.0f / 3.0f};

    GainCurve curve{32, 6};
};

TEST_F(GainCurveTest, TopIsAThousandTimesAHighThresholdAndOtherwiseOneHundredth) {
    for (int density = 0; density <= 6; ++density) {
        curve.build(-0.25f, thresholdPower(density), 0.01f);
        const auto& b = curve.getBoundaries();
        EXPECT_NEAR(b[5], kTops[density], kTops[density] * 1e-6) << "density " << density;
        const double q = std::pow(double(kTops[density]) / thresholdPower(density), 1.0 / 6.0);
        EXPECT_NEAR(b[0] / thresholdPower(density), q, q * 1e-6);
        for (int i = 1; i < 6; ++i) EXPECT_NEAR(b[i] / b[i - 1], q, q * 1e-6);
    }
}

TEST_F(GainCurveTest, GainIsFlatUpToTheThresholdAndComputedDirectlyAboveTheTable) {
    const float t = thresholdPower(3);
    curve.build(-0.25f, t, 0.01f);
    const auto atThreshold = static_cast<float>(std::pow(double(t), -0.25));
    EXPECT_EQ(curve.getValueAtThreshold(), atThreshold);
    for (float level : {t, t * 0.5f, 0.0f}) EXPECT_EQ(curve.gainAt(level), atThreshold);
    EXPECT_EQ(curve.gainAt(0.01f), static_cast<float>(std::pow(double(0.01f), -0.25)));
    EXPECT_EQ(curve.gainAt(1.0f), 1.0f);
    EXPECT_EQ(curve.gainAt(16.0f), 0.5f);
}

TEST_F(GainCurveTest, TableFollowsThePowerLawAndNeverRisesWithTheLevel) {
    for (float a : kExponents) {
        for (int density = 0; density <= 6; ++density) {
            const float t = thresholdPower(density);
            curve.build(a, t, 0.01f);
            float previous = curve.gainAt(t);
            for (double level = t; level < kTops[density]; level *= 1.001) {
                const float gain = curve.gainAt(static_cast<float>(level));
                const double exact = std::pow(double(static_cast<float>(level)), double(a));
                ASSERT_NEAR(gain, exact, exact * 5e-3)
                    << "density " << density << " level " << level;
                ASSERT_LE(gain, previous) << "density " << density << " level " << level;
                previous = gain;
            }
        }
    }
}

// Many levels at once give, bit for bit, what one level at a time gives, on every path: below
// the threshold, inside each segment and across its edges, above the table, where the power is
// in doubt, and for levels that are not ordinary numbers.
TEST_F(GainCurveTest, LevelsInBatchesMatchOneLevelAtATime) {
    std::vector<float> levels = {0.0f,
                                 -0.0f,
                                 -1.0f,
                                 std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::min(),
                                 1e30f,
                                 std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN()};
    for (double level = 1e-12; level < 1e6; level *= 1.0007) levels.push_back(float(level));
    // Up to the top exponents, where a batch's octave factors come from the table's last 16.
    for (double level = 1e6; level < 3.4e38; level *= 1.01) levels.push_back(float(level));
    for (InstructionSet set : instruction_sets::runnable()) {
        const instruction_sets::Scope scope(set);
        for (float a : kExponents) {
            for (int density = 0; density <= 6; ++density) {
                curve.build(a, thresholdPower(density), 0.01f);
                for (float edge : curve.getBoundaries()) {
                    levels.push_back(edge);
                    levels.push_back(std::nextafter(edge, 0.0f));
                }
                // Two levels above the table 13 to 17 octaves apart: the kernel holds 16 of the
                // power's octave factors in registers and must look further ones up.
                for (int octaves = 13; octaves <= 17; ++octaves) {
                    const float apart[2] = {1000.0f, std::ldexp(1000.0f, octaves)};
                    float two[2];
                    curve.gainsAt(apart, two, 2);
                    for (int i = 0; i < 2; ++i) {
                        const float one = curve.gainAt(apart[i]);
                        ASSERT_EQ(std::memcmp(&two[i], &one, sizeof one), 0)
                            << instructionSetName(set) << " " << octaves << " octaves apart";
                    }
                }
                // Batches as short as a few updates and as long as a block's.
                for (const std::size_t batch : {std::size_t{61}, std::size_t{128}}) {
                    std::vector<float> gains(levels.size());
                    for (std::size_t start = 0; start < levels.size(); start += batch) {
                        const auto count =
                            static_cast<std::int32_t>(std::min(batch, levels.size() - start));
                        curve.gainsAt(&levels[start], &gains[start], count);
                    }
                    for (std::size_t u = 0; u < levels.size(); ++u) {
                        const float one = curve.gainAt(levels[u]);
                        ASSERT_EQ(std::memcmp(&gains[u], &one, sizeof one), 0)
                            << instructionSetName(set) << " exponent " << a << " density "
                            << density << " batch " << batch << " level " << levels[u] << ": "
                            << gains[u] << " vs " << one;
                    }
                }
            }
        }
    }
}

}  // namespace
