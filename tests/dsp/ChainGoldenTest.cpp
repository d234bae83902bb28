#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "dsp/BrillianteerEngine.h"
#include "params/BrillianteerParameters.h"
#include "tests/dsp/ChainSignals.h"
#include "tests/dsp/InstructionSets.h"

// Golden outputs of the whole engine: a fixed input through many settings, hashed. They were
// recorded from the plain implementation; an optimisation or a compiler that changes a single
// sample fails here, on every build (the Windows build runs the same table). Re-bless only
// after reviewing why the samples changed.
namespace {

using P = BrillianteerParameters;

struct GoldenCase {
    const char* name;
    int rate;
    int inputs;
    int outputs;
    int maxBlock;
    int hostBlock;
    bool accumulate;
    float inGainDb, gain, second, third, mix, solo, kick, freqHz, density;
    bool cycleFreq;  // steps "Freq" through 1000..7000 Hz, one step per host block
    std::uint64_t hash;
    float at2500, at5000, at7000;  // channel 0, channel 0, last channel
};

constexpr int kFrames = 8192;

// clang-format off
const GoldenCase kCases[] = {
    {"Freq1000",        44100, 2, 2, 512,  512, false,  0.0f, 50, 50, 50, 50, 0, 0, 1000, 3, false,
     0x3fc4f99144e42bf2ull, 0x1.5ef286p-3f, -0x1.b2ac0ap-1f, -0x1.3b86acp-2f},
    {"Freq2000",        44100, 2, 2, 512,  512, false,  0.0f, 50, 50, 50, 50, 0, 0, 2000, 3, false,
     0xdd208c37cd8efdf1ull, 0x1.93c736p-3f, -0x1.a4adc4p-1f, -0x1.1ab434p-2f},
    {"Freq3000",        44100, 2, 2, 512,  512, false,  0.0f, 50, 50, 50, 50, 0, 0, 3000, 3, false,
     0xb2fe0f802fef8b00ull, 0x1.96989p-3f, -0x1.9ef234p-1f, -0x1.152544p-2f},
    {"Freq4000",        44100, 2, 2, 512,  512, false,  0.0f, 50, 50, 50, 50, 0, 0, 4000, 3, false,
     0x2832ffe7666e1471ull, 0x1.7261d6p-3f, -0x1.952a24p-1f, -0x1.1a0ecep-2f},
    {"Freq5000",        44100, 2, 2, 512,  512, false,  0.0f, 50, 50, 50, 50, 0, 0, 5000, 3, false,
     0xd97fde670a195bdcull, 0x1.39658cp-3f, -0x1.874004p-1f, -0x1.2801dep-2f},
    {"Freq6000",        44100, 2, 2, 512,  512, false,  0.0f, 50, 50, 50, 50, 0, 0, 6000, 3, false,
     0x0053f4cda422ca48ull, 0x1.071624p-3f, -0x1.7b56bp-1f, -0x1.3385a4p-2f},
    {"Freq7000",        44100, 2, 2, 512,  512, false,  0.0f, 50, 50, 50, 50, 0, 0, 7000, 3, false,
     0x000af58fea8fcd77ull, 0x1.afd30cp-4f, -0x1.709946p-1f, -0x1.3dcbcap-2f},
    {"SoloKickDensity0",44100, 2, 2, 512,  333, false,  0.0f, 80, 70, 30, 100, 1, 1, 3000, 0, false,
     0x7b5587f0ea8553b4ull, 0x1.4e83b4p-2f, -0x1.11fc86p-2f, 0x1.b8f89ep-4f},
    {"SoloDensity6Acc", 44100, 2, 2, 256, 1000, true,   0.0f, 100, 100, 100, 60, 1, 0, 2000, 6, false,
     0x3c886a4e3479f1e0ull, 0x1.14c3c4p-2f, -0x1.8137a4p-4f, 0x1.397f54p-3f},
    {"KickDensity1Acc", 44100, 2, 2, 512,  127, true,  -6.0f, 30, 20, 90, 40, 0, 1, 5000, 1, false,
     0x14aa558798577d3full, 0x1.01ea6cp-3f, -0x1.f92944p-3f, -0x1.3c292ap-3f},
    {"Rate48000",       48000, 2, 2, 512,  441, false,  0.0f, 60, 50, 50, 70, 0, 0, 3000, 2, false,
     0xce10774b37d6df2full, -0x1.0ea0fp-2f, -0x1.0ddb02p-1f, -0x1.88545p-2f},
    {"Rate88200Kick",   88200, 2, 2, 512,   64, false,  0.0f, 60, 40, 60, 50, 0, 1, 4000, 5, false,
     0x6824f8ecb9b502ecull, 0x1.57409cp-4f, -0x1.5421dcp-1f, -0x1.069402p-3f},
    {"Rate96000Solo",   96000, 2, 2, 512, 1024, false,  0.0f, 70, 60, 40, 80, 1, 0, 7000, 3, false,
     0x507cd9e2faabaf4bull, 0x1.0d7a2cp-4f, -0x1.0b6904p-3f, 0x1.f7c368p-3f},
    {"MonoToStereo",    44100, 1, 2, 512,  200, false,  0.0f, 50, 60, 40, 50, 0, 0, 3000, 3, false,
     0xf64da3a005611aadull, 0x1.988056p-3f, -0x1.9d1916p-1f, -0x1.310b8ap-6f},
    {"FreqSwitching",   44100, 2, 2, 512,  257, false,  0.0f, 50, 50, 50, 50, 0, 1, 1000, 4, true,  
     0xdfd0b753da0ad5a6ull, 0x1.956a6ep-3f, -0x1.7a1f52p-1f, -0x1.399082p-2f},
    {"Rate32000",       32000, 2, 2, 300,  300, false,  0.0f, 50, 50, 50, 50, 0, 0, 6000, 3, false,
     0x5a9e610db3a323f8ull, 0x1.0544d4p-1f, 0x1.82a3dcp-3f, 0x1.fb3552p-2f},
};
// clang-format on

void setAll(P& params, const GoldenCase& c) {
    params.setValue(P::InGain, c.inGainDb);
    params.setValue(P::Gain, c.gain);
    params.setValue(P::Second, c.second);
    params.setValue(P::Third, c.third);
    params.setValue(P::Mix, c.mix);
    params.setValue(P::Solo, c.solo);
    params.setValue(P::Kick, c.kick);
    params.setValue(P::Freq, c.freqHz);
    params.setValue(P::Density, c.density);
}

// Tones and noise, with 1000 frames of exact silence in the middle so the silence gate acts.
std::vector<std::vector<float>> goldenInput(int channels) {
    std::vector<std::vector<float>> input;
    for (int ch = 0; ch < channels; ++ch) {
        std::vector<float> v = chain_signals::music(kFrames, 11u + unsigned(ch));
        for (int i = 3000; i < 4000; ++i) v[i] = 0.0f;
        input.push_back(v);
    }
    return input;
}

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

class ChainGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

std::vector<std::vector<float>> runGolden(const GoldenCase& c) {
    BrillianteerParameters params;
    std::unique_ptr<BrillianteerEngine> engine =
        BrillianteerEngine::create(c.inputs, c.rate, c.outputs, c.maxBlock);
    if (engine == nullptr) return {};
    engine->start();
    setAll(params, c);
    engine->applyParameters(params);

    const std::vector<std::vector<float>> input = goldenInput(c.inputs);
    std::vector<std::vector<float>> output(c.outputs, std::vector<float>(kFrames, 0.0f));
    for (int ch = 0; ch < c.outputs; ++ch) {
        for (int i = 0; i < kFrames; ++i)
            output[ch][i] = c.accumulate ? 0.0625f * float(i % 7) : 0.0f;
    }
    std::vector<const float*> in(c.inputs);
    std::vector<float*> out(c.outputs);
    int step = 0;
    for (int start = 0; start < kFrames; start += c.hostBlock) {
        if (c.cycleFreq) {
            params.setValue(P::Freq, 1000.0f * float(step++ % 7 + 1));
            engine->applyParameters(params);
        }
        for (int ch = 0; ch < c.inputs; ++ch) in[ch] = input[ch].data() + start;
        for (int ch = 0; ch < c.outputs; ++ch) out[ch] = output[ch].data() + start;
        const int frames = std::min(c.hostBlock, kFrames - start);
        engine->process(in.data(), out.data(), frames, c.accumulate);
    }

    return output;
}

// Every kernel path the machine runs gives the recorded samples.
TEST_P(ChainGoldenTest, OutputMatchesTheRecordedSamples) {
    const GoldenCase& c = GetParam();
    for (InstructionSet set : instruction_sets::runnable()) {
        SCOPED_TRACE(instructionSetName(set));
        const instruction_sets::Scope scope(set);
        const std::vector<std::vector<float>> output = runGolden(c);
        ASSERT_EQ(output.size(), std::size_t(c.outputs));
        std::uint64_t hash = chain_signals::fnvOffset;
        for (const auto& channel : output) hash = chain_signals::fnv1a(channel, hash);
        const float at2500 = output[0][2500], at5000 = output[0][5000];
        const float at7000 = output[c.outputs - 1][7000];
        EXPECT_EQ(hash, c.hash);
        EXPECT_EQ(at2500, c.at2500);
        EXPECT_EQ(at5000, c.at5000);
        EXPECT_EQ(at7000, c.at7000);
        if (hash != c.hash) {
            std::printf("recorded: 0x%016" PRIx64 "ull, %af, %af, %af\n", hash, double(at2500),
                        double(at5000), double(at7000));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engine, ChainGoldenTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
