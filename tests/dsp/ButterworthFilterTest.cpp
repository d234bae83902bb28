#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "dsp/ButterworthHighPass.h"
#include "dsp/ButterworthLowPass.h"
#include "tests/dsp/FilterReference.h"
#include "tests/dsp/InstructionSets.h"

namespace {

struct CascadeShape {
    const char* name;
    bool highPass;
    double cutoffHz;
    std::int32_t order;
};

// The band filters of the signal chain.
const CascadeShape chainCascades[] = {
    {"band2HighPass", true, 3400.0, 6},     {"band2LowPass", false, 10000.0, 6},
    {"band3HighPass", true, 3662.0, 6},     {"band3LowPass", false, 6667.0, 6},
    {"harmonicHighPass", true, 10986.0, 8},
};

std::unique_ptr<BiquadCascade> make(const CascadeShape& cascade, std::int32_t channels,
                                    double sampleRate) {
    if (cascade.highPass) {
        return std::make_unique<ButterworthHighPass>(channels, cascade.cutoffHz, sampleRate,
                                                     cascade.order);
    }
    return std::make_unique<ButterworthLowPass>(channels, cascade.cutoffHz, sampleRate,
                                                cascade.order);
}

// Steady-state gain of the running filter for a sine at f: a least-squares fit of a sine and a
// cosine to the second half of a quarter second of output.
double measuredGain(BiquadCascade& filter, double frequencyHz, double sampleRate) {
    const std::size_t frames = static_cast<std::size_t>(sampleRate / 4);
    const double step = 2.0 * std::acos(-1.0) * frequencyHz / sampleRate;
    std::vector<float> signal(frames);
    for (std::size_t n = 0; n < frames; ++n)
        signal[n] = static_cast<float>(0.5 * std::sin(step * n));
    std::vector<float> out(frames);
    for (std::size_t done = 0; done < frames; done += 512) {
        const std::int32_t piece =
            static_cast<std::int32_t>(std::min<std::size_t>(512, frames - done));
        const float* in[] = {signal.data() + done};
        float* o[] = {out.data() + done};
        filter.process(in, o, piece);
    }
    double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
    for (std::size_t n = frames / 2; n < frames; ++n) {
        const double s = std::sin(step * n), c = std::cos(step * n);
        ss += s * s;
        sc += s * c;
        cc += c * c;
        ys += out[n] * s;
        yc += out[n] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (ys * cc - yc * sc) / det;
    const double b = (yc * ss - ys * sc) / det;
    return std::hypot(a, b) / 0.5;
}

std::vector<float> runInPieces(BiquadCascade& filter, const std::vector<float>& left,
                               const std::vector<float>& right,
                               const std::vector<std::int32_t>& pieces,
                               std::vector<float>& outRight) {
    std::vector<float> outLeft(left.size());
    outRight.assign(right.size(), 0.0f);
    std::size_t done = 0;
    for (std::int32_t piece : pieces) {
        const float* in[] = {left.data() + done, right.data() + done};
        float* out[] = {outLeft.data() + done, outRight.data() + done};
        filter.process(in, out, piece);
        done += piece;
    }
    return outLeft;
}

using Channels = std::vector<std::vector<float>>;

// Runs `step(inputs, outputs, frames)` over every channel of `in`, piece by piece, and returns
// what it wrote.
template <typename Step>
Channels runChannelsInPieces(const Channels& in, const std::vector<std::int32_t>& pieces,
                             Step step) {
    Channels out(in.size(), std::vector<float>(in.empty() ? 0 : in[0].size()));
    std::size_t done = 0;
    for (std::int32_t piece : pieces) {
        std::vector<const float*> inputs;
        std::vector<float*> outputs;
        for (std::size_t c = 0; c < in.size(); ++c) {
            inputs.push_back(in[c].data() + done);
            outputs.push_back(out[c].data() + done);
        }
        step(inputs.data(), outputs.data(), piece);
        done += piece;
    }
    return out;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

class ButterworthFilterTest : public ::testing::TestWithParam<double> {};

TEST_P(ButterworthFilterTest, EveryChainCascadeIsThreeDecibelsDownAtItsCutoff) {
    const double fs = GetParam();
    for (const CascadeShape& cascade : chainCascades) {
        SCOPED_TRACE(cascade.name);
        auto filter = make(cascade, 1, fs);
        const double atCutoff = reference::magnitude(*filter, cascade.cutoffHz, fs);
        EXPECT_NEAR(20.0 * std::log10(atCutoff), -3.0103, 0.0001);
        EXPECT_NEAR(measuredGain(*filter, cascade.cutoffHz, fs), atCutoff, 2e-5);
    }
}

TEST_P(ButterworthFilterTest, ResponsesFollowTheAnalogButterworthMagnitude) {
    const double fs = GetParam();
    for (const CascadeShape& cascade : chainCascades) {
        SCOPED_TRACE(cascade.name);
        auto filter = make(cascade, 1, fs);
        for (double ratio : {0.25, 0.5, 0.8, 0.95, 1.0, 1.05, 1.25, 1.6}) {
            const double f = cascade.cutoffHz * ratio;
            if (f >= fs / 2) continue;
            const double expected =
                reference::butterworth(cascade.highPass, cascade.order, cascade.cutoffHz, f, fs);
            EXPECT_NEAR(reference::magnitude(*filter, f, fs), expected, 1e-9) << f << " Hz";
        }
        auto running = make(cascade, 1, fs);
        const double f = cascade.cutoffHz * 0.8;
        EXPECT_NEAR(
            measuredGain(*running, f, fs),
            reference::butterworth(cascade.highPass, cascade.order, cascade.cutoffHz, f, fs), 2e-5);
    }
}

TEST_P(ButterworthFilterTest, PassBandEndsHaveUnityGainAndStopBandEndsANull) {
    const double fs = GetParam();
    for (const CascadeShape& cascade : chainCascades) {
        SCOPED_TRACE(cascade.name);
        auto filter = make(cascade, 1, fs);
        const double passEnd = cascade.highPass ? fs / 2 : 0.0;
        const double stopEnd = cascade.highPass ? 0.0 : fs / 2;
        EXPECT_NEAR(reference::magnitude(*filter, passEnd, fs), 1.0, 1e-9);
        EXPECT_LT(reference::magnitude(*filter, stopEnd, fs), 1e-9);
        for (std::int32_t i = 0; i < filter->getSectionCount(); ++i) {
            const double* b = filter->getSection(i).getNumerator();
            const double* a = filter->getSection(i).getDenominator();
            const double sign = cascade.highPass ? -1.0 : 1.0;
            EXPECT_NEAR((b[0] + sign * b[1] + b[2]) / (1.0 + sign * a[0] + a[1]), 1.0, 1e-12);
        }
    }
}

// On every kernel path the machine runs.
TEST_P(ButterworthFilterTest, CascadeRunsBitIdenticalToSectionsOneAfterTheOther) {
    const double fs = GetParam();
    const std::size_t frames = 6000;
    const std::vector<float> left = reference::noise(frames, 11);
    const std::vector<float> right = reference::noise(frames, 12, 0.9f);
    const std::vector<std::int32_t> pieces = reference::pieceSizes(frames, 13);
    for (InstructionSet set : instruction_sets::runnable()) {
        const instruction_sets::Scope scope(set);
        for (const CascadeShape& cascade : chainCascades) {
            SCOPED_TRACE(std::string(cascade.name) + " " + instructionSetName(set));
            auto filter = make(cascade, 2, fs);
            reference::Cascade plain(*filter);
            std::vector<float> outRight;
            const std::vector<float> outLeft = runInPieces(*filter, left, right, pieces, outRight);

            std::vector<float> refLeft(frames), refRight(frames);
            std::size_t done = 0;
            for (std::int32_t piece : pieces) {
                const float* in[] = {left.data() + done, right.data() + done};
                float* out[] = {refLeft.data() + done, refRight.data() + done};
                plain.process(in, out, piece);
                done += piece;
            }
            EXPECT_TRUE(sameBits(outLeft, refLeft));
            EXPECT_TRUE(sameBits(outRight, refRight));
            for (std::int32_t i = 0; i < filter->getSectionCount(); ++i) {
                for (std::int32_t c = 0; c < 2; ++c) {
                    EXPECT_EQ(filter->getSection(i).getOutputState(c)[0], plain.section(i).y1(c));
                    EXPECT_EQ(filter->getSection(i).getOutputState(c)[1], plain.section(i).y2(c));
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FourRates, ButterworthFilterTest,
                         ::testing::Values(44100.0, 48000.0, 88200.0, 96000.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                             return std::to_string(static_cast<int>(info.param)) + "Hz";
                         });

// On every kernel path: one, two and three channels, and cascades of every pass shape.
TEST(ButterworthCascadeTest, OddChannelCountsAndLongCascadesMatchThePlainRun) {
    const std::size_t frames = 3000;
    const std::vector<std::int32_t> pieces = reference::pieceSizes(frames, 21);
    struct Case {
        std::int32_t channels;
        std::int32_t order;
    };
    for (InstructionSet set : instruction_sets::runnable()) {
        const instruction_sets::Scope scope(set);
        for (const Case& k : {Case{1, 6}, Case{3, 8}, Case{2, 2}, Case{2, 4}, Case{2, 6},
                              Case{2, 8}, Case{2, 12}, Case{2, 16}, Case{2, 18}, Case{1, 10}}) {
            SCOPED_TRACE(::testing::Message() << k.channels << " channels, order " << k.order
                                              << ", " << instructionSetName(set));
            ButterworthLowPass filter(k.channels, 5000.0, 44100.0, k.order);
            reference::Cascade plain(filter);
            Channels in;
            for (std::int32_t c = 0; c < k.channels; ++c)
                in.push_back(reference::noise(frames, 30 + c));
            const Channels out = runChannelsInPieces(
                in, pieces, [&](const float* const* i, float* const* o, std::int32_t n) {
                    filter.process(i, o, n);
                });
            const Channels ref = runChannelsInPieces(
                in, pieces, [&](const float* const* i, float* const* o, std::int32_t n) {
                    plain.process(i, o, n);
                });
            for (std::int32_t c = 0; c < k.channels; ++c)
                EXPECT_TRUE(sameBits(out[c], ref[c])) << c;
        }
    }
}

// Two cascades run as one series give the samples and states of the two one after the other,
// on every path, for the shapes the chain uses and others.
TEST(ButterworthCascadeTest, ASeriesRunsLikeItsTwoCascadesOneAfterTheOther) {
    const std::size_t frames = 2500;
    const std::vector<std::int32_t> pieces = reference::pieceSizes(frames, 51);
    struct Case {
        std::int32_t channels, firstOrder, secondOrder;
    };
    for (InstructionSet set : instruction_sets::runnable()) {
        const instruction_sets::Scope scope(set);
        for (const Case& k : {Case{2, 6, 6}, Case{2, 6, 8}, Case{2, 2, 4}, Case{2, 16, 16},
                              Case{1, 6, 6}, Case{3, 4, 6}}) {
            SCOPED_TRACE(::testing::Message()
                         << k.channels << " channels, orders " << k.firstOrder << " and "
                         << k.secondOrder << ", " << instructionSetName(set));
            ButterworthHighPass high(k.channels, 3400.0, 44100.0, k.firstOrder);
            ButterworthLowPass low(k.channels, 10000.0, 44100.0, k.secondOrder);
            ButterworthHighPass highAlone(k.channels, 3400.0, 44100.0, k.firstOrder);
            ButterworthLowPass lowAlone(k.channels, 10000.0, 44100.0, k.secondOrder);
            Channels in;
            for (std::int32_t c = 0; c < k.channels; ++c)
                in.push_back(reference::noise(frames, 60 + c));
            const Channels series = runChannelsInPieces(
                in, pieces, [&](const float* const* i, float* const* o, std::int32_t n) {
                    BiquadCascade::processSeries(high, low, i, o, n);
                });
            const Channels alone = runChannelsInPieces(
                in, pieces, [&](const float* const* i, float* const* o, std::int32_t n) {
                    highAlone.process(i, o, n);
                    lowAlone.process(o, o, n);
                });
            for (std::int32_t c = 0; c < k.channels; ++c) {
                EXPECT_TRUE(sameBits(series[c], alone[c])) << c;
                for (std::int32_t i = 0; i < low.getSectionCount(); ++i) {
                    const BiquadSection& a = low.getSection(i);
                    const BiquadSection& b = lowAlone.getSection(i);
                    EXPECT_EQ(a.getOutputState(c)[0], b.getOutputState(c)[0]) << i;
                    EXPECT_EQ(a.getOutputState(c)[1], b.getOutputState(c)[1]) << i;
                    EXPECT_EQ(a.getInputState(c)[1], b.getInputState(c)[1]) << i;
                    EXPECT_EQ(a.getInputState(c)[2], b.getInputState(c)[2]) << i;
                }
            }
        }
    }
}

TEST(ButterworthCascadeTest, InPlaceProcessingGivesTheSameSamples) {
    const std::vector<float> left = reference::noise(2000, 41), right = reference::noise(2000, 42);
    ButterworthHighPass separate(2, 3400.0, 44100.0, 6), inPlace(2, 3400.0, 44100.0, 6);
    std::vector<float> outLeft(2000), outRight(2000);
    const float* in[] = {left.data(), right.data()};
    float* out[] = {outLeft.data(), outRight.data()};
    separate.process(in, out, 2000);
    std::vector<float> bufLeft = left, bufRight = right;
    float* buf[] = {bufLeft.data(), bufRight.data()};
    inPlace.process(buf, buf, 2000);
    EXPECT_TRUE(sameBits(bufLeft, outLeft));
    EXPECT_TRUE(sameBits(bufRight, outRight));
}

TEST(ButterworthCascadeTest, OneCallAndAnySplitGiveTheSameOutput) {
    const std::size_t frames = 20000;
    const std::vector<float> left = reference::noise(frames, 51),
                             right = reference::noise(frames, 52);
    for (const CascadeShape& cascade : chainCascades) {
        SCOPED_TRACE(cascade.name);
        auto whole = make(cascade, 2, 48000.0);
        std::vector<float> wholeRight;
        const std::vector<float> wholeLeft =
            runInPieces(*whole, left, right, {static_cast<std::int32_t>(frames)}, wholeRight);

        // The split is only equivalent while no piece boundary flushes a tiny state.
        auto split = make(cascade, 2, 48000.0);
        std::vector<float> splitLeft(frames), splitRight(frames);
        std::size_t done = 0;
        for (std::int32_t piece : reference::pieceSizes(frames, 53)) {
            const float* in[] = {left.data() + done, right.data() + done};
            float* out[] = {splitLeft.data() + done, splitRight.data() + done};
            split->process(in, out, piece);
            done += piece;
            for (std::int32_t i = 0; i < split->getSectionCount(); ++i) {
                for (std::int32_t c = 0; c < 2; ++c) {
                    ASSERT_GE(std::fabs(split->getSection(i).getOutputState(c)[0]),
                              BiquadSection::stateFloor);
                }
            }
        }
        EXPECT_TRUE(sameBits(splitLeft, wholeLeft));
        EXPECT_TRUE(sameBits(splitRight, wholeRight));
    }
}

TEST(ButterworthCascadeTest, SplittingDiffersOnlyByTheFlushOfTinyStates) {
    // A burst and its decay: short calls flush states that happen to be tiny at a call's end,
    // which one long call keeps; that is the only difference, and it is as small as they are.
    ButterworthLowPass whole(1, 6667.0, 44100.0, 6), split(1, 6667.0, 44100.0, 6);
    std::vector<float> signal(8192, 0.0f);
    const std::vector<float> burst = reference::noise(1000, 55);
    std::copy(burst.begin(), burst.end(), signal.begin());
    std::vector<float> outWhole(signal.size()), outSplit(signal.size());
    const float* in[] = {signal.data()};
    float* o[] = {outWhole.data()};
    whole.process(in, o, static_cast<std::int32_t>(signal.size()));
    for (std::size_t done = 0; done < signal.size(); done += 64) {
        const float* pieceIn[] = {signal.data() + done};
        float* pieceOut[] = {outSplit.data() + done};
        split.process(pieceIn, pieceOut, 64);
    }
    std::size_t firstDifference = signal.size();
    double largest = 0.0;
    for (std::size_t n = 0; n < signal.size(); ++n) {
        if (outSplit[n] != outWhole[n] && firstDifference == signal.size()) firstDifference = n;
        largest = std::max(largest, std::fabs(static_cast<double>(outSplit[n]) - outWhole[n]));
    }
    ASSERT_LT(firstDifference, signal.size());
    EXPECT_EQ(firstDifference % 64, 0u);
    EXPECT_LT(largest, 10 * BiquadSection::stateFloor);
}

TEST(ButterworthCascadeTest, SilenceAfterASignalBecomesExactZerosAfterTheFlush) {
    const std::vector<float> burst = reference::noise(512, 61);
    const std::vector<float> silence(512, 0.0f);
    std::vector<float> out(512), outRight(512);
    const float* in[] = {burst.data(), burst.data()};
    const float* quiet[] = {silence.data(), silence.data()};
    float* o[] = {out.data(), outRight.data()};
    auto allZero = [&] {
        for (std::size_t n = 0; n < 512; ++n) {
            if (out[n] != 0.0f || outRight[n] != 0.0f) return false;
        }
        return true;
    };

    // One section: the call in which its output state is flushed is followed by exact zeros.
    BiquadSection section(2);
    const double a[2] = {-1.9, 0.95};
    const double b[3] = {0.0125, 0.025, 0.0125};
    section.setDenominator(a);
    section.setNumerator(b);
    section.process(in, o, 512);
    int calls = 0;
    while (section.getOutputState(0)[0] != 0.0 || section.getOutputState(1)[1] != 0.0) {
        ASSERT_LT(++calls, 100);
        section.process(quiet, o, 512);
    }
    section.process(quiet, o, 512);
    EXPECT_TRUE(allZero());

    // A cascade: later sections also hold the last outputs of the ones before them, so exact
    // zeros start once every section has settled, and then stay.
    ButterworthHighPass filter(2, 10986.0, 44100.0, 8);
    filter.process(in, o, 512);
    calls = 0;
    do {
        ASSERT_LT(++calls, 100);
        filter.process(quiet, o, 512);
    } while (!allZero());
    for (int more = 0; more < 3; ++more) {
        filter.process(quiet, o, 512);
        EXPECT_TRUE(allZero());
    }
    for (std::int32_t i = 0; i < filter.getSectionCount(); ++i) {
        EXPECT_EQ(filter.getSection(i).getOutputState(0)[0], 0.0);
        EXPECT_EQ(filter.getSection(i).getOutputState(1)[1], 0.0);
    }
}

TEST(ButterworthCascadeTest, FiniteInputAfterANonFiniteBurstGivesFiniteOutputAfterTheBlock) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float bad : {nan, inf, -inf}) {
        for (const CascadeShape& cascade : chainCascades) {
            SCOPED_TRACE(cascade.name);
            auto filter = make(cascade, 2, 44100.0);
            auto fresh = make(cascade, 2, 44100.0);
            std::vector<float> left = reference::noise(300, 71), right = reference::noise(300, 72);
            std::vector<float> outLeft(300), outRight(300);
            const float* in[] = {left.data(), right.data()};
            float* o[] = {outLeft.data(), outRight.data()};
            filter->process(in, o, 300);

            for (std::size_t n = 100; n < 140; ++n) left[n] = bad;
            right[7] = bad;
            filter->process(in, o, 300);

            const std::vector<float> nextLeft = reference::noise(700, 73);
            const std::vector<float> nextRight = reference::noise(700, 74);
            std::vector<float> afterLeft(700), afterRight(700), freshLeft(700), freshRight(700);
            const float* next[] = {nextLeft.data(), nextRight.data()};
            float* after[] = {afterLeft.data(), afterRight.data()};
            float* clean[] = {freshLeft.data(), freshRight.data()};
            filter->process(next, after, 700);
            fresh->process(next, clean, 700);
            for (std::size_t n = 0; n < 700; ++n) {
                ASSERT_TRUE(std::isfinite(afterLeft[n]) && std::isfinite(afterRight[n])) << n;
            }
            // The recovered filter starts from rest, like a new one.
            EXPECT_TRUE(sameBits(afterLeft, freshLeft));
            EXPECT_TRUE(sameBits(afterRight, freshRight));
        }
    }
}

TEST(ButterworthCascadeTest, SectionsRunFromTheHighestQDown) {
    const double expected6[] = {1.932, 0.707, 0.518};
    const double expected8[] = {2.563, 0.900, 0.601, 0.510};
    auto qOf = [](const BiquadSection& section, double w) {
        const double a2 = section.getDenominator()[1];
        const double alpha = (1.0 - a2) / (1.0 + a2);
        return 1.0 / (2.0 * alpha / std::sin(w));
    };
    const double pi = std::acos(-1.0);
    ButterworthHighPass order6(1, 3400.0, 44100.0, 6);
    ButterworthHighPass order8(1, 10986.0, 44100.0, 8);
    ASSERT_EQ(order6.getSectionCount(), 3);
    ASSERT_EQ(order8.getSectionCount(), 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(qOf(order6.getSection(i), 2 * pi * 3400.0 / 44100.0), expected6[i], 0.001);
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(qOf(order8.getSection(i), 2 * pi * 10986.0 / 44100.0), expected8[i], 0.001);
    }
}

// Pinned on the native build; any compiler, library or flag that changes a coefficient bit
// changes every sample the plug-in produces.
TEST(ButterworthCascadeTest, CoefficientsAreTheSameOnEveryBuild) {
    ButterworthHighPass filter(1, 3400.0, 44100.0, 6);
    const double expected[3][5] = {
        {0x1.aea41482efadcp-1, -0x1.aea41482efadcp+0, 0x1.aea41482efadcp-1, -0x1.945af943c94ep+0,
         0x1.91da5f842c1b2p-1},
        {0x1.6b0257ede59aep-1, -0x1.6b0257ede59aep+0, 0x1.6b0257ede59aep-1, -0x1.54da098f088b1p+0,
         0x1.02554c9985559p-1},
        {0x1.4cd4a35e994acp-1, -0x1.4cd4a35e994acp+0, 0x1.4cd4a35e994acp-1, -0x1.3883e546a38c8p+0,
         0x1.849585da3c242p-2},
    };
    for (int i = 0; i < 3; ++i) {
        const double* b = filter.getSection(i).getNumerator();
        const double* a = filter.getSection(i).getDenominator();
        EXPECT_EQ(b[0], expected[i][0]) << i;
        EXPECT_EQ(b[1], expected[i][1]) << i;
        EXPECT_EQ(b[2], expected[i][2]) << i;
        EXPECT_EQ(a[0], expected[i][3]) << i;
        EXPECT_EQ(a[1], expected[i][4]) << i;
    }
}

}  // namespace
