#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "params/BrillianteerParameters.h"
#include "shell/Opcodes.h"
#include "tests/dsp/ChainSignals.h"
#include "tests/endtoend/AudioBuffers.h"
#include "tests/endtoend/PluginHarness.h"
#include "tests/lv2/Lv2Host.h"
#include "tests/support/AllocationCounter.h"

namespace {

constexpr std::uint32_t kMaxBlockLength = 1024;
constexpr std::int32_t kFrames = 12000;
constexpr std::int32_t kProgramBytes = 112;
constexpr std::int32_t kBankBytes = 1120;

// The control input of each host parameter, in parameter order.
const char* const kControlSymbols[] = {"in_gain", "gain", "second", "third",  "mix",
                                       "solo",    "kick", "freq",   "density"};

// Port values, in the units the editor shows, by parameter index.
using Settings = std::vector<std::pair<std::int32_t, float>>;
const Settings kBright = {{0, -3.0f}, {1, 72.5f}, {2, 30.0f},   {3, 64.0f},
                          {4, 41.0f}, {6, 1.0f},  {7, 5000.0f}, {8, 5.0f}};

// Odd pieces, one of them longer than the host announced.
const std::uint32_t kPieces[] = {1, 7, 333, 1021, 2500, 64, 5, 1024, 999};

StereoBuffers music(std::int32_t frames) {
    StereoBuffers buffers(frames);
    buffers.left = chain_signals::music(frames, 1u);
    buffers.right = chain_signals::music(frames, 2u);
    buffers.channels[0] = buffers.left.data();
    buffers.channels[1] = buffers.right.data();
    return buffers;
}

// Where two outputs first differ, bit for bit, and how; empty when they are the same.
std::string difference(const StereoBuffers& a, const StereoBuffers& b) {
    for (std::size_t i = 0; i < a.left.size() && i < b.left.size(); ++i) {
        if (a.left[i] != b.left[i] || a.right[i] != b.right[i]) {
            return "frame " + std::to_string(i) + ": " + std::to_string(a.left[i]) + ", " +
                   std::to_string(a.right[i]) + " against " + std::to_string(b.left[i]) + ", " +
                   std::to_string(b.right[i]);
        }
    }
    return a.left.size() == b.left.size() ? "" : "lengths differ";
}

std::string programName(const std::vector<unsigned char>& bank, std::int32_t program) {
    const auto* name = reinterpret_cast<const char*>(bank.data() + program * kProgramBytes + 48);
    return std::string(name, strnlen(name, 64));
}

class Lv2PluginTest : public PluginHarness {
protected:
    void SetUp() override {
        PluginHarness::SetUp();
        ASSERT_NE(host.found(), nullptr) << "the bundle was not discovered";
    }

    // The input through the plug-in loaded through `main`, in the pieces the LV2 host runs,
    // a piece longer than the announced block cut as the adapter cuts it: the effect's
    // rounding follows its pieces, so only the same pieces give the same samples.
    StereoBuffers throughMain(float rate, const Settings& settings, const StereoBuffers& input,
                              std::int32_t program = 0) {
        auto plugin = createStartedInstance(rate, kMaxBlockLength);
        plugin->dispatch(opSetProgram, 0, program);
        for (const auto& [index, plain] : settings) {
            plugin->setParameter(index, table.toNormalized(index, plain));
        }
        StereoBuffers output(static_cast<std::int32_t>(input.left.size()));
        forEachPiece(input, [&](std::uint32_t start, std::uint32_t frames) {
            for (std::uint32_t done = 0; done < frames; done += kMaxBlockLength) {
                const std::uint32_t at = start + done;
                float* in[2] = {const_cast<float*>(input.left.data()) + at,
                                const_cast<float*>(input.right.data()) + at};
                float* out[2] = {output.left.data() + at, output.right.data() + at};
                plugin->processOverwriting(in, out,
                                           static_cast<std::int32_t>(std::min<std::uint32_t>(
                                               frames - done, kMaxBlockLength)));
            }
        });
        return output;
    }

    template <typename Run>
    static void forEachPiece(const StereoBuffers& input, Run run) {
        const auto total = static_cast<std::uint32_t>(input.left.size());
        std::uint32_t done = 0;
        for (std::size_t k = 0; done < total; ++k) {
            const std::uint32_t n =
                std::min<std::uint32_t>(kPieces[k % std::size(kPieces)], total - done);
            run(done, n);
            done += n;
        }
    }

    static void apply(Lv2Host::Instance& instance, const Settings& settings) {
        for (const auto& [index, plain] : settings)
            instance.control(kControlSymbols[index]) = plain;
    }

    // The input through an LV2 instance in odd pieces, into separate buffers (holding stale
    // samples beforehand) or in place; counts the allocations the runs make.
    static StereoBuffers throughLv2(Lv2Host::Instance& instance, const StereoBuffers& input,
                                    bool inPlace = false, std::size_t* allocations = nullptr) {
        StereoBuffers output(static_cast<std::int32_t>(input.left.size()), 0.25f);
        StereoBuffers source = input;
        if (inPlace) output = input;
        StereoBuffers& from = inPlace ? output : source;
        allocation_counter::Scope scope;
        forEachPiece(input, [&](std::uint32_t start, std::uint32_t frames) {
            instance.run(from.left.data() + start, from.right.data() + start,
                         output.left.data() + start, output.right.data() + start, frames);
        });
        if (allocations) *allocations = scope.allocations();
        return output;
    }

    Lv2Host host{BRL_LV2_BUNDLE_PARENT, kMaxBlockLength};
    BrillianteerParameters table;
};

struct RateCase {
    double rate;
    float latency;
};

class Lv2RateTest : public Lv2PluginTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(Lv2RateTest, OutputEqualsThePluginThroughMainBitForBitInOddPiecesAndInPlace) {
    const StereoBuffers input = music(kFrames);
    const StereoBuffers expected = throughMain(static_cast<float>(GetParam().rate), kBright, input);
    for (const bool inPlace : {false, true}) {
        Lv2Host::Instance instance(host, GetParam().rate);
        ASSERT_TRUE(instance.created());
        apply(instance, kBright);
        std::size_t allocations = 0;
        const StereoBuffers output = throughLv2(instance, input, inPlace, &allocations);
        EXPECT_EQ(allocations, 0u) << "in place: " << inPlace;
        EXPECT_EQ(difference(output, expected), "") << "in place: " << inPlace;
        EXPECT_EQ(instance.control("latency"), GetParam().latency);
    }
}

INSTANTIATE_TEST_SUITE_P(ServedRates, Lv2RateTest,
                         ::testing::Values(RateCase{44100.0, 108.0f}, RateCase{48000.0, 115.0f},
                                           RateCase{88200.0, 222.0f}, RateCase{96000.0, 241.0f}));

TEST_F(Lv2PluginTest,
       MetersReadTheFloorInSilenceAndAboutFullScaleForAFullScaleSineAndClipLightsAbove) {
    struct Case {
        const char* what;
        float amplitude;
        float meterDb;
        float toleranceDb;
        float clip;
    };
    const Case cases[] = {{"silence", 0.0f, -80.0f, 0.0f, 0.0f},
                          {"full-scale sine", 1.0f, 0.0f, 0.1f, 0.0f},
                          {"sine 3.5 dB over full scale", 1.5f, 3.52f, 0.1f, 1.0f}};
    for (const Case& c : cases) {
        Lv2Host::Instance instance(host, 44100.0);
        ASSERT_TRUE(instance.created());
        // No harmonics and no high-passed copy: the output is the input, delayed.
        apply(instance, {{1, 0.0f}, {4, 0.0f}});
        StereoBuffers input(4096);
        input.left = chain_signals::tone(4096, 0.998035664431685, 0.06264832417874368, c.amplitude);
        input.right = input.left;
        throughLv2(instance, input);
        EXPECT_NEAR(instance.control("meter_l"), c.meterDb, c.toleranceDb) << c.what;
        EXPECT_NEAR(instance.control("meter_r"), c.meterDb, c.toleranceDb) << c.what;
        EXPECT_EQ(instance.control("clip"), c.clip) << c.what;
    }
}

TEST_F(Lv2PluginTest, AStateSavedFromOneInstanceGivesAnotherTheSameProgramsPortsAndSound) {
    // A bank with a name and a setting of its own, made through `main`.
    auto plugin = createInstance();
    plugin->dispatch(opSetProgram, 0, 3);
    char name[] = "Air";
    plugin->dispatch(opSetProgramName, 0, 0, name);
    plugin->setParameter(7, 1.0f);
    void* data = nullptr;
    const auto size = plugin->dispatch(opGetStateData, 0, 0, &data);
    ASSERT_EQ(size, kBankBytes);
    const auto* bank = static_cast<const unsigned char*>(data);
    const std::vector<unsigned char> programThree = {3, 0, 0, 0};

    Lv2Host::Instance first(host, 48000.0);
    first.restoreProperties({{bank, bank + size}, programThree});
    apply(first, kBright);
    LilvState* saved = first.saveState();
    ASSERT_NE(saved, nullptr);
    // The second has already run with the same port values, and restarts after the restore:
    // the ports still rule over the program the restore loaded.
    Lv2Host::Instance second(host, 48000.0);
    apply(second, kBright);
    const StereoBuffers input = music(4096);
    throughLv2(second, input);
    second.restoreState(saved);
    second.restart();
    LilvState* savedAgain = second.saveState();
    EXPECT_TRUE(lilv_state_equals(saved, savedAgain));
    lilv_state_free(saved);
    lilv_state_free(savedAgain);

    const auto stored = second.storedProperties();
    ASSERT_EQ(stored.bank.size(), static_cast<std::size_t>(kBankBytes));
    EXPECT_EQ(programName(stored.bank, 3), "Air");
    EXPECT_EQ(programName(stored.bank, 9), "Init 10");
    EXPECT_EQ(stored.program, programThree);
    for (const auto& [index, plain] : kBright)
        EXPECT_EQ(second.control(kControlSymbols[index]), plain);
    EXPECT_EQ(difference(throughLv2(first, input), throughLv2(second, input)), "");
}

TEST_F(Lv2PluginTest, RestoringGarbageKeepsTheOutputFiniteAndAChunkOfAnotherSizeIsNotLoaded) {
    std::vector<unsigned char> random(kBankBytes);
    std::uint32_t seed = 7u;
    for (unsigned char& b : random)
        b = static_cast<unsigned char>((seed = seed * 1664525u + 1013904223u) >> 24);
    struct Case {
        const char* what;
        Lv2Host::Instance::Properties restored;
        bool namesKept;
    };
    const Case cases[] = {
        {"random bytes", {random, {9, 0, 0, 0}}, false},
        {"not a number everywhere",
         {std::vector<unsigned char>(kBankBytes, 0xFF), {0, 0, 0, 0}},
         false},
        {"huge values, huge program",
         {std::vector<unsigned char>(kBankBytes, 0x7E), {0xFF, 0xFF, 0xFF, 0x7F}},
         false},
        {"a short chunk", {std::vector<unsigned char>(100, 0xFF), {0, 0, 0, 0}}, true},
    };
    for (const Case& c : cases) {
        Lv2Host::Instance instance(host, 44100.0);
        instance.restoreProperties(c.restored);
        const StereoBuffers output = throughLv2(instance, music(4096));
        for (std::size_t i = 0; i < output.left.size(); ++i) {
            ASSERT_TRUE(std::isfinite(output.left[i]) && std::isfinite(output.right[i]))
                << c.what << " at " << i;
        }
        const auto bank = instance.storedProperties().bank;
        EXPECT_EQ(programName(bank, 0) == "Init 1" && programName(bank, 9) == "Init 10",
                  c.namesKept)
            << c.what;
    }
}

TEST_F(Lv2PluginTest, EachPresetSoundsAsItsProgramSelectedThroughMain) {
    auto plugin = createInstance();
    std::vector<std::string> names;
    for (std::int32_t k = 0; k < 10; ++k) {
        char name[64] = {};
        plugin->dispatch(opSetProgram, 0, k);
        plugin->dispatch(opGetProgramName, 0, 0, name);
        names.push_back(name);
    }
    auto presets = host.presets();
    ASSERT_EQ(presets.size(), names.size());
    const StereoBuffers input = music(4096);
    for (auto& [label, state] : presets) {
        const auto program = std::find(names.begin(), names.end(), label) - names.begin();
        ASSERT_LT(program, 10) << label << " names no program";
        Lv2Host::Instance instance(host, 44100.0);
        apply(instance, kBright);
        instance.restoreState(state);
        const StereoBuffers output = throughLv2(instance, input);
        const StereoBuffers expected =
            throughMain(44100.0f, {}, input, static_cast<std::int32_t>(program));
        EXPECT_EQ(difference(output, expected), "") << label;
        lilv_state_free(state);
    }
}

TEST_F(Lv2PluginTest, AtARateTheChainCannotServeTheInputPassesThroughWithLatencyZero) {
    const StereoBuffers input = music(4096);
    for (const double rate : {8000.0, 16000.0}) {
        Lv2Host::Instance instance(host, rate);
        ASSERT_TRUE(instance.created()) << rate;
        instance.control("latency") = -1.0f;
        EXPECT_EQ(difference(throughLv2(instance, input), input), "") << rate;
        EXPECT_EQ(instance.control("latency"), 0.0f) << rate;
    }
}

}  // namespace
