#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <vector>

#include "dsp/LookaheadCompressor.h"

namespace {

using Signal = std::vector<float>;

float thresholdDb(int density) { return -((static_cast<float>(density) + 1.0f) * 10.0f); }

// One call on one channel; in and out may be the same buffer.
void processMono(LookaheadCompressor& c, const float* in, float* out, int frames) {
    auto* input = const_cast<float*>(in);
    c.process(&input, &out, frames);
}

// Calls of the given sizes, one after the other.
Signal processInCalls(LookaheadCompressor& c, const Signal& in, const std::vector<int>& sizes,
                      bool inPlace) {
    Signal out = in;
    int start = 0;
    for (int size : sizes) {
        processMono(c, inPlace ? &out[start] : &in[start], &out[start], size);
        start += size;
    }
    return out;
}

Signal constant(int frames, float value) { return Signal(frames, value); }

// A plain model: the stream delayed by indexing, the gain updated where k % 4 == 0, and
// level, gain and target rounded to float after each sample position in storeAfter.
Signal model(const LookaheadCompressor& c, const Signal& x, const std::set<int>& storeAfter) {
    const int n = c.getLookahead();
    const double r = c.getDetectorCoeff(), attack = c.getAttackCoeff();
    const double release = c.getReleaseCoeff();
    double level = 0.0, gain = c.getMakeupGain(), target = gain;
    Signal y(x.size());
    // L = (1 - r) x[k]^2 + r L; where k % 4 == 0: G = c G + (1 - c) P, P = curve(L);
    // y[k] = G x[k - N]
    for (int k = 0; k < static_cast<int>(x.size()); ++k) {
        level = (1.0 - r) * (double(x[k]) * double(x[k])) + r * level;
        if (k % 4 == 0) {
            const float e = c.getCurve().gainAt(static_cast<float>(level));
            const double coeff = e < gain ? attack : release;
            gain = coeff * gain + (1.0 - coeff) * target;
            target = e;
        }
        y[k] = static_cast<float>((k >= n ? double(x[k - n]) : 0.0) * gain);
        if (storeAfter.count(k + 1)) {
            level = static_cast<float>(level);
            gain = static_cast<float>(gain);
            target = static_cast<float>(target);
        }
    }
    return y;
}

// Noise under an envelope that swells, holds and falls silent, to cross the threshold often.
Signal testSignal(int frames, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    Signal x(frames);
    for (int k = 0; k < frames; ++k) {
        const float envelope = 0.4f * std::max(0.0f, std::sin(float(k) * 0.004f));
        x[k] = envelope * noise(rng);
    }
    return x;
}

std::set<int> changePositions(const Signal& out, int from, int to) {
    std::set<int> positions;
    for (int k = from; k < to; ++k) {
        if (out[k] != out[k - 1]) positions.insert(k);
    }
    return positions;
}

struct Rate {
    float sampleRate;
    int lookahead;
    float detector, attackOff, attackOn, releaseOff, releaseOn;
};

void PrintTo(const Rate& rate, std::ostream* os) { *os << rate.sampleRate << " Hz"; }

class CompressorRateTest : public ::testing::TestWithParam<Rate> {};

TEST_P(CompressorRateTest, CoefficientsMatchTheTable) {
    const Rate& rate = GetParam();
    LookaheadCompressor c(2, rate.sampleRate, 2.0f, -10.0f, rate.lookahead + 1, 0.0f, 512);
    EXPECT_EQ(LookaheadCompressor::detectorCoeffAt(rate.sampleRate), rate.detector);
    EXPECT_EQ(c.getDetectorCoeff(), rate.detector);
    EXPECT_EQ(c.getAttackCoeff(), rate.attackOff);
    EXPECT_EQ(c.getReleaseCoeff(), rate.releaseOff);
    c.setKick(1.0f);
    EXPECT_EQ(c.getAttackCoeff(), rate.attackOn);
    EXPECT_EQ(c.getReleaseCoeff(), rate.releaseOn);
    c.setKick(0.5f);
    EXPECT_EQ(c.getAttackCoeff(), rate.attackOff);
    LookaheadCompressor kicked(2, rate.sampleRate, 3.0f, -10.0f, rate.lookahead + 1, 1.0f, 512);
    EXPECT_EQ(kicked.getReleaseCoeff(), rate.releaseOn);
    EXPECT_EQ(kicked.getLookahead(), rate.lookahead);
}

TEST_P(CompressorRateTest, QuietImpulseArrivesExactlyNSamplesLaterAtTheMakeupGain) {
    const Rate& rate = GetParam();
    const int n = rate.lookahead;
    Signal in(700, 0.0f);
    in[100] = 0.001f;
    for (int callSize : {700, 37, 5}) {
        for (bool inPlace : {false, true}) {
            LookaheadCompressor c(1, rate.sampleRate, 2.0f, thresholdDb(3), n + 1, 0.0f, 64);
            std::vector<int> sizes(700 / callSize, callSize);
            if (700 % callSize) sizes.push_back(700 % callSize);
            const Signal out = processInCalls(c, in, sizes, inPlace);
            const float expected = static_cast<float>(0.001f * double(c.getMakeupGain()));
            for (int k = 0; k < 700; ++k) {
                ASSERT_EQ(out[k], k == 100 + n ? expected : 0.0f)
                    << "frame " << k << ", calls of " << callSize << (inPlace ? " in place" : "");
            }
        }
    }
}

TEST_P(CompressorRateTest, GainFallsBeforeALoudOnsetArrives) {
    const Rate& rate = GetParam();
    const int n = rate.lookahead;
    LookaheadCompressor c(1, rate.sampleRate, 2.0f, thresholdDb(3), n + 1, 0.0f, 512);
    Signal in(512, 0.0f);
    std::fill(in.begin() + 200, in.end(), 0.5f);
    const Signal out = processInCalls(c, in, {512}, false);
    for (int k = 0; k < 200 + n; ++k) ASSERT_EQ(out[k], 0.0f) << k;
    EXPECT_GT(out[200 + n], 0.0f);
    EXPECT_LT(out[200 + n], 0.5f * c.getMakeupGain() * 0.25f);
}

INSTANTIATE_TEST_SUITE_P(
    SupportedRates, CompressorRateTest,
    ::testing::Values(
        Rate{44100.0f, 89, 0.977579415f, 0.83409673f, 0.964369118f, 0.999546587f, 0.999818623f},
        Rate{48000.0f, 96, 0.979382157f, 0.84648174f, 0.967216074f, 0.999583423f, 0.999833345f},
        Rate{88200.0f, 178, 0.988726139f, 0.913288951f, 0.982022941f, 0.999773264f, 0.999909282f},
        Rate{96000.0f, 193, 0.989637375f, 0.920044422f, 0.983471453f, 0.999791682f, 0.999916673f}),
    [](const auto& info) { return std::to_string(int(info.param.sampleRate)); });

class LookaheadCompressorTest : public ::testing::Test {
protected:
    static constexpr float kRate = 44100.0f;
    static constexpr int kLookahead = 89;

    static LookaheadCompressor make(float ratio, int density, int maxBlockSize = 512,
                                    int channels = 1) {
        return LookaheadCompressor(channels, kRate, ratio, thresholdDb(density), kLookahead + 1,
                                   0.0f, maxBlockSize);
    }
};

TEST_F(LookaheadCompressorTest, ExponentAndMakeupGainFollowRatioAndDensity) {
    const double makeupDb[2][7] = {{5, 10, 15, 20, 25, 30, 35},
                                   {6.67, 13.33, 20, 26.67, 33.33, 40, 46.67}};
    for (int r = 0; r < 2; ++r) {
        for (int density = 0; density <= 6; ++density) {
            const LookaheadCompressor c = make(r == 0 ? 2.0f : 3.0f, density);
            EXPECT_EQ(c.getExponent(), r == 0 ? -0.25f : -0.333333343f);
            EXPECT_NEAR(20.0 * std::log10(c.getMakeupGain()), makeupDb[r][density], 0.005);
            EXPECT_NEAR(c.getThresholdPower(), std::pow(10.0, -(density + 1)),
                        std::pow(10.0, -(density + 1)) * 1e-7);
            EXPECT_NEAR(c.getCurve().getValueAtThreshold(), c.getMakeupGain(),
                        c.getMakeupGain() * 2e-7);
        }
    }
}

TEST_F(LookaheadCompressorTest, GainSmootherMovesTowardThePreviousTargetNotTheNewOne) {
    // attack 0.75 when the new target lies below the gain, release 0.5 otherwise (ties too)
    EXPECT_EQ(LookaheadCompressor::smoothGain(2.0, 1.0, 0.5f, 0.75, 0.5), 1.75);
    EXPECT_EQ(LookaheadCompressor::smoothGain(1.0, 2.0, 3.0f, 0.75, 0.5), 1.5);
    EXPECT_EQ(LookaheadCompressor::smoothGain(1.0, 3.0, 1.0f, 0.75, 0.5), 2.0);
}

TEST_F(LookaheadCompressorTest, SilenceSettlesAtTheMakeupGain) {
    LookaheadCompressor c = make(2.0f, 3);
    Signal loud = constant(4410, 0.8f);
    processInCalls(c, loud, std::vector<int>(10, 441), false);
    ASSERT_LT(c.getGain(0), 2.0f);
    const Signal silence = constant(3 * 44100, 0.0f);
    processInCalls(c, silence, std::vector<int>(300, 441), false);
    EXPECT_EQ(c.getLevel(0), 0.0f);
    EXPECT_EQ(c.getTarget(0), c.getCurve().getValueAtThreshold());
    EXPECT_NEAR(c.getGain(0), 10.0f, 1e-4);  // +20 dB

    Signal quiet(2048);
    for (int k = 0; k < 2048; ++k) quiet[k] = 0.001f * std::sin(float(k) * 0.3f);
    const Signal out = processInCalls(c, quiet, {2048}, false);
    for (int k = 0; k + kLookahead < 2048; ++k) {
        ASSERT_NEAR(out[k + kLookahead], quiet[k] * 10.0f, 1e-5f * std::fabs(quiet[k] * 10.0f))
            << k;
    }
}

TEST_F(LookaheadCompressorTest, FullScaleSquareWavePassesAtUnityGain) {
    Signal square(44100);
    for (int k = 0; k < 44100; ++k) square[k] = (k / 50) % 2 ? 1.0f : -1.0f;
    for (float ratio : {2.0f, 3.0f}) {
        for (int density = 0; density <= 6; ++density) {
            LookaheadCompressor c = make(ratio, density);
            const Signal out = processInCalls(c, square, std::vector<int>(100, 441), false);
            for (int k = 44100 - 4410; k < 44100; ++k) {
                if (density >= 3) {
                    ASSERT_EQ(out[k], square[k - kLookahead]) << k;
                } else {
                    ASSERT_FLOAT_EQ(out[k], square[k - kLookahead]) << k;
                }
            }
        }
    }
}

TEST_F(LookaheadCompressorTest, LevelsAboveTheThresholdAreCompressedByTheRatio) {
    for (float ratio : {2.0f, 3.0f}) {
        float settled[2];
        const float amplitudes[2] = {0.5f, 0.05f};
        for (int i = 0; i < 2; ++i) {
            LookaheadCompressor c = make(ratio, 3);
            const Signal out = processInCalls(c, constant(44100, amplitudes[i]),
                                              std::vector<int>(100, 441), false);
            settled[i] = out.back();
            EXPECT_NEAR(settled[i], std::pow(amplitudes[i], 1.0f / ratio), settled[i] * 5e-3);
        }
        EXPECT_NEAR(20.0 * std::log10(settled[0] / settled[1]), 20.0 / ratio, 0.05);
    }
}

TEST_F(LookaheadCompressorTest, KickOnLetsTheGainFallAndRiseMoreSlowly) {
    LookaheadCompressor off = make(2.0f, 3);
    LookaheadCompressor on = make(2.0f, 3);
    on.setKick(1.0f);
    float fell[2], rose[2];
    for (LookaheadCompressor* c : {&off, &on}) {
        const int i = c == &on;
        processInCalls(*c, constant(88, 0.5f), {88}, false);  // 2 ms
        fell[i] = c->getGain(0);
        processInCalls(*c, constant(4410, 0.5f), {4410}, false);
        processInCalls(*c, constant(4410, 0.0f), {4410}, false);
        rose[i] = c->getGain(0);
    }
    EXPECT_GT(fell[1], fell[0] * 1.5f);
    EXPECT_LT(rose[1], rose[0] * 0.9f);
}

TEST_F(LookaheadCompressorTest, SettersChangeTheCurveButNotTheState) {
    LookaheadCompressor c = make(3.0f, 0);
    const Signal in = testSignal(2000, 3);
    processInCalls(c, in, {2000}, false);
    const float level = c.getLevel(0), gain = c.getGain(0), target = c.getTarget(0);
    c.setThreshold(thresholdDb(6));
    c.setKick(1.0f);
    EXPECT_EQ(c.getLevel(0), level);
    EXPECT_EQ(c.getGain(0), gain);
    EXPECT_EQ(c.getTarget(0), target);
    EXPECT_NEAR(20.0 * std::log10(c.getMakeupGain()), 46.67, 0.005);
    // The gain glides toward the new make-up gain through the release smoothing.
    processInCalls(c, constant(400, 0.0f), {400}, false);
    EXPECT_GT(c.getGain(0), gain);
    EXPECT_LT(c.getGain(0), gain + (c.getMakeupGain() - gain) * 0.1f);
}

TEST_F(LookaheadCompressorTest, ChannelsShareOneCountdown) {
    LookaheadCompressor stereo = make(2.0f, 3, 512, 2);
    LookaheadCompressor mono = make(2.0f, 3);
    Signal left = constant(206, 0.5f), right = left, single = left;
    for (int size : {200, 6}) {
        const int start = size == 200 ? 0 : 200;
        float* io[2] = {&left[start], &right[start]};
        stereo.process(io, io, size);
        processMono(mono, &single[start], &single[start], size);
    }
    // The 200-frame call leaves the count at 0; in the 6-frame call the left channel updates
    // at frames 0 and 4 and leaves 2, so the right channel updates at frame 2.
    EXPECT_EQ(changePositions(left, 200, 206), (std::set<int>{200, 204}));
    EXPECT_EQ(changePositions(right, 200, 206), (std::set<int>{202}));
    EXPECT_EQ(stereo.getCountdown(), 0);
    EXPECT_EQ(left, single);
    EXPECT_NE(right, single);
}

TEST_F(LookaheadCompressorTest, MatchesThePlainModelOnBothPaths) {
    const Signal in = testSignal(6000, 7);
    const std::vector<int> sizes = {300, 90, 89, 1000, 5, 512, 1, 2003, 2000};
    LookaheadCompressor outOfPlace = make(2.0f, 2, 64);
    LookaheadCompressor inPlace = make(3.0f, 4, 64);
    // Each run over consecutive samples ends by storing the state as floats: out of place a
    // call longer than N runs over its first N samples and then the rest; otherwise every
    // chunk of at most 64 samples is a run.
    std::set<int> outOfPlaceStores, inPlaceStores;
    int start = 0;
    for (int size : sizes) {
        if (size > kLookahead) outOfPlaceStores.insert(start + kLookahead);
        for (int done = 0; done < size; done += std::min(64, size - done)) {
            if (size <= kLookahead) outOfPlaceStores.insert(start + std::min(done + 64, size));
            inPlaceStores.insert(start + std::min(done + 64, size));
        }
        start += size;
        outOfPlaceStores.insert(start);
    }
    EXPECT_EQ(processInCalls(outOfPlace, in, sizes, false),
              model(outOfPlace, in, outOfPlaceStores));
    EXPECT_EQ(processInCalls(inPlace, in, sizes, true), model(inPlace, in, inPlaceStores));
}

TEST_F(LookaheadCompressorTest, InPlacePiecesOfTheBlockSizeMatchOneCall) {
    const Signal in = testSignal(4096, 11);
    LookaheadCompressor whole = make(2.0f, 1, 64);
    LookaheadCompressor pieces = make(2.0f, 1, 64);
    std::vector<int> sizes;
    for (int i = 0; i < 16; ++i) sizes.push_back(64 * (1 + i % 3));
    sizes.push_back(4096 - 64 * 31);
    EXPECT_EQ(processInCalls(whole, in, {4096}, true), processInCalls(pieces, in, sizes, true));
}

TEST_F(LookaheadCompressorTest, PiecesOfAnySizeMatchOneCallWhileTheGainHolds) {
    // Below the threshold the gain stays exactly at the make-up gain (10 at "Density" 3), so
    // how the stream is cut cannot change a sample.
    Signal in = testSignal(5000, 5);
    for (float& x : in) x *= 0.01f;
    LookaheadCompressor whole = make(2.0f, 3, 256);
    const Signal expected = processInCalls(whole, in, {5000}, false);
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> size(1, 400);
    for (bool inPlace : {false, true}) {
        LookaheadCompressor pieces = make(2.0f, 3, 256);
        std::vector<int> sizes;
        for (int left = 5000; left > 0; left -= sizes.back())
            sizes.push_back(std::min(left, size(rng)));
        EXPECT_EQ(processInCalls(pieces, in, sizes, inPlace), expected);
    }
    for (int k = 0; k < 5000; ++k) {
        ASSERT_EQ(expected[k], k < kLookahead ? 0.0f : in[k - kLookahead] * 10.0f) << k;
    }
}

TEST_F(LookaheadCompressorTest, NonFiniteInputIsForgottenAtTheEndOfTheCall) {
    const float bad[2] = {std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity()};
    const Signal next = testSignal(1000, 13);
    for (float value : bad) {
        LookaheadCompressor hit = make(2.0f, 3);
        LookaheadCompressor clean = make(2.0f, 3);
        Signal burst = constant(300, 0.0f);
        std::fill(burst.begin() + 250, burst.end(), value);  // still in the look-ahead history
        const Signal hitOut = processInCalls(hit, burst, {300}, false);
        // A NaN level makes the gain NaN; an infinite one only drives it toward 0.
        EXPECT_EQ(std::isnan(hitOut.back()), std::isnan(value));
        processInCalls(clean, constant(300, 0.0f), {300}, false);
        EXPECT_EQ(hit.getLevel(0), 0.0f);
        EXPECT_EQ(hit.getGain(0), hit.getMakeupGain());
        EXPECT_EQ(hit.getTarget(0), hit.getMakeupGain());
        const Signal recovered = processInCalls(hit, next, {1000}, false);
        for (float y : recovered) ASSERT_TRUE(std::isfinite(y));
        EXPECT_EQ(recovered, processInCalls(clean, next, {1000}, false));
    }
}

TEST_F(LookaheadCompressorTest, LevelBeyondFloatRangeDoesNotSilenceTheBandForGood) {
    LookaheadCompressor c = make(2.0f, 3);
    processInCalls(c, constant(300, 1e20f), {300}, false);
    EXPECT_EQ(c.getLevel(0), 0.0f);
    const Signal out = processInCalls(c, constant(1000, 0.5f), {1000}, false);
    EXPECT_NEAR(out.back(), std::sqrt(0.5f), 5e-3f);
}

// Two compressors run as one pair give each one's samples and state as it gives them alone: out
// of place and in place, in calls shorter and longer than the look-ahead, and when their time
// constants differ (then they simply run one after the other).
TEST_F(LookaheadCompressorTest, APairRunsLikeEachCompressorAlone) {
    struct Case {
        bool inPlace;
        float secondKick;
        std::vector<int> sizes;
    };
    const Case cases[] = {{false, 0.0f, {512, 300, 89, 90, 5, 1000, 513}},
                          {true, 0.0f, {512, 64, 3, 700, 511}},
                          {false, 1.0f, {256, 1, 90, 600}}};
    for (const Case& k : cases) {
        SCOPED_TRACE(::testing::Message()
                     << (k.inPlace ? "in place" : "out of place") << ", kick " << k.secondKick);
        LookaheadCompressor a = make(2.0f, 3, 512, 2), b = make(3.0f, 3, 512, 2);
        LookaheadCompressor aAlone = make(2.0f, 3, 512, 2), bAlone = make(3.0f, 3, 512, 2);
        b.setKick(k.secondKick);
        bAlone.setKick(k.secondKick);
        // The second compressor's countdown starts elsewhere than the first's.
        Signal warm = testSignal(3, 9), warmAlone = warm;
        float* w[2] = {warm.data(), warm.data()};
        float* wAlone[2] = {warmAlone.data(), warmAlone.data()};
        b.process(w, w, 3);
        bAlone.process(wAlone, wAlone, 3);
        ASSERT_NE(b.getCountdown(), a.getCountdown());
        int total = 0;
        for (int size : k.sizes) total += size;
        Signal inputs[4] = {testSignal(total, 1), testSignal(total, 2), testSignal(total, 3),
                            testSignal(total, 4)};
        Signal paired[4], alone[4];
        for (int c = 0; c < 4; ++c) {
            paired[c] = k.inPlace ? inputs[c] : Signal(total);
            alone[c] = k.inPlace ? inputs[c] : Signal(total);
        }
        int start = 0;
        for (int size : k.sizes) {
            float* pin[4];
            float* pout[4];
            float* ain[4];
            float* aout[4];
            for (int c = 0; c < 4; ++c) {
                pin[c] = k.inPlace ? &paired[c][start] : &inputs[c][start];
                pout[c] = &paired[c][start];
                ain[c] = k.inPlace ? &alone[c][start] : &inputs[c][start];
                aout[c] = &alone[c][start];
            }
            LookaheadCompressor::processPair(a, pin, pout, b, pin + 2, pout + 2, size);
            aAlone.process(ain, aout, size);
            bAlone.process(ain + 2, aout + 2, size);
            start += size;
        }
        for (int c = 0; c < 4; ++c) EXPECT_EQ(paired[c], alone[c]) << c;
        for (int ch = 0; ch < 2; ++ch) {
            EXPECT_EQ(a.getLevel(ch), aAlone.getLevel(ch));
            EXPECT_EQ(a.getGain(ch), aAlone.getGain(ch));
            EXPECT_EQ(a.getTarget(ch), aAlone.getTarget(ch));
            EXPECT_EQ(b.getLevel(ch), bAlone.getLevel(ch));
            EXPECT_EQ(b.getGain(ch), bAlone.getGain(ch));
            EXPECT_EQ(b.getTarget(ch), bAlone.getTarget(ch));
        }
        EXPECT_EQ(a.getCountdown(), aAlone.getCountdown());
        EXPECT_EQ(b.getCountdown(), bAlone.getCountdown());
    }
}

}  // namespace
