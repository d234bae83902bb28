#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "params/BrillianteerParameters.h"
#include "shell/EditorBase.h"
#include "shell/HostedEffect.h"
#include "shell/Opcodes.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr std::int32_t kProgramBytes = 112;
constexpr std::int32_t kBankBytes = 1120;

struct Sent {
    std::int32_t opcode;
    std::int32_t index;
    PlxIntPtr value;
    float opt;
};
std::vector<Sent> sent;
// Answer to request 4 for each input (index) and, offset by 100, each output.
std::vector<std::int32_t> unconnected;

PlxIntPtr host(EffectRecord*, std::int32_t opcode, std::int32_t index, PlxIntPtr value, void*,
               float opt) {
    sent.push_back({opcode, index, value, opt});
    if (opcode == hostRequestPinConnected) {
        const std::int32_t pin = index + (value ? 100 : 0);
        for (std::int32_t off : unconnected)
            if (off == pin) return 1;
    }
    return 0;
}

class RecordingEditor : public EditorBase {
public:
    RecordingEditor(EffectBase* effect, ParameterSet** parameters)
        : EditorBase(effect), parameters(parameters) {}
    void setParameter(std::int32_t index, float value) override {
        values.push_back({index, value});
        busyWhileTold.push_back((*parameters)->getApplyBusy());
    }
    void setParameterData(std::int32_t index, void* data, std::int32_t size,
                          std::int32_t) override {
        const unsigned char* bytes = static_cast<unsigned char*>(data);
        blocks.push_back({index, Bytes(bytes, bytes + size)});
    }
    void onSampleRateChanged(float rate) override { rates.push_back(rate); }

    ParameterSet** parameters;
    std::vector<std::pair<std::int32_t, float>> values;
    std::vector<std::int16_t> busyWhileTold;
    std::vector<std::pair<std::int32_t, Bytes>> blocks;
    std::vector<float> rates;
};

// The plug-in's shape and parameter table with an engine that only counts.
class BankEffect : public HostedEffect {
public:
    explicit BankEffect(bool withEditor = false)
        : HostedEffect(host, 2, 2, fourCharCode("Brlt"), 9, 11, 10) {
        parameters = new BrillianteerParameters;
        if (withEditor) editor = new RecordingEditor(this, &parameters);
        initBank();
    }
    ~BankEffect() override { delete parameters; }
    void rebuildEngine() override {
        ++rebuilds;
        engineReady = engineBuilds;
    }
    void processBlock(float**, float** outputs, std::int32_t frames, bool accumulate) override {
        lastAccumulate = accumulate;
        for (std::int32_t n = 0; n < frames; ++n) outputs[0][n] = static_cast<float>(n + 1);
    }

    PlxIntPtr send(std::int32_t opcode, std::int32_t index = 0, PlxIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
        return record.dispatchFn(&record, opcode, index, value, ptr, opt);
    }
    Bytes chunk(bool isPreset) {
        void* data = nullptr;
        const std::int32_t size = getStateData(&data, isPreset);
        const unsigned char* bytes = static_cast<unsigned char*>(data);
        return Bytes(bytes, bytes + size);
    }
    float value(std::int32_t index) const { return parameters->getValue(index); }
    RecordingEditor* recorder() const { return static_cast<RecordingEditor*>(editor); }

    using HostedEffect::engineInputs;
    using HostedEffect::engineOutputs;
    using HostedEffect::engineReady;
    using HostedEffect::importHexBank;
    using HostedEffect::previousBlockSize;
    using HostedEffect::previousSampleRate;
    int rebuilds = 0;
    bool engineBuilds = true;
    bool lastAccumulate = false;
};

Bytes bigEndian(float value) {
    unsigned char bytes[4];
    std::memcpy(bytes, &value, 4);
    return {bytes[3], bytes[2], bytes[1], bytes[0]};
}

Bytes slice(const Bytes& bytes, std::size_t offset, std::size_t size) {
    return Bytes(bytes.begin() + offset, bytes.begin() + offset + size);
}

void put(Bytes& bytes, std::size_t offset, const Bytes& part) {
    std::copy(part.begin(), part.end(), bytes.begin() + offset);
}

std::string text(BankEffect& effect, std::int32_t opcode, std::int32_t index) {
    char buffer[80];
    std::memset(buffer, 'x', sizeof(buffer));
    effect.send(opcode, index, 0, buffer);
    return buffer;
}

class HostedEffectTest : public ::testing::Test {
protected:
    void SetUp() override {
        sent.clear();
        unconnected.clear();
    }
    std::vector<Sent> automations() const {
        std::vector<Sent> found;
        for (const Sent& s : sent)
            if (s.opcode == hostAutomate) found.push_back(s);
        return found;
    }
    std::vector<float> allValues(const BankEffect& e) const {
        std::vector<float> values;
        for (std::int32_t i = 0; i < 11; ++i) values.push_back(e.value(i));
        return values;
    }
    BankEffect effect;
};

TEST_F(HostedEffectTest, ConstructionAnnouncesChannelsIdentifierAndCapabilities) {
    const EffectRecord* r = effect.getRecord();
    EXPECT_EQ(r->inputCount, 2);
    EXPECT_EQ(r->outputCount, 2);
    EXPECT_EQ(r->pluginId, fourCharCode("Brlt"));
    EXPECT_EQ(r->programCount, 10);
    EXPECT_EQ(r->parameterCount, 9);
    EXPECT_EQ(r->flags, 0x38);
    EXPECT_EQ(effect.send(opGetCategory), 1);
    char vendor[64] = {};
    EXPECT_EQ(effect.send(opGetVendorName, 0, 0, vendor), 1);
    EXPECT_STREQ(vendor, "Quillmere");
    EXPECT_EQ(effect.send(opGetVendorName), 0);
}

TEST_F(HostedEffectTest, HostValuesAreNormalisedForTheHostsParametersAndPlainBeyond) {
    BankEffect withEditor(true);
    withEditor.setParameter(7, 0.5f);
    withEditor.setParameter(9, 1.0f);
    EXPECT_EQ(withEditor.value(7), 4000.0f);
    EXPECT_EQ(withEditor.getParameter(7), 0.5f);
    EXPECT_EQ(withEditor.value(9), 1.0f);
    const auto& told = withEditor.recorder()->values;
    ASSERT_GE(told.size(), 2u);
    EXPECT_EQ(told[told.size() - 2], (std::pair<std::int32_t, float>{7, 0.5f}));
    EXPECT_EQ(told.back(), (std::pair<std::int32_t, float>{9, 1.0f}));
}

TEST_F(HostedEffectTest, BadIndicesAndNonFiniteValuesChangeNothing) {
    const std::vector<float> before = allValues(effect);
    for (std::int32_t index : {-1, 11, 1000}) {
        effect.setParameter(index, 0.5f);
        EXPECT_EQ(effect.getParameter(index), 0.0f);
        EXPECT_EQ(effect.setParameterAndNotify(index, 0.5f), 0);
        char digits[] = "1";
        EXPECT_EQ(effect.send(opTextToParameter, index, 0, digits), 0);
        for (std::int32_t opcode : {opGetParameterUnit, opGetParameterText, opGetParameterName})
            EXPECT_EQ(text(effect, opcode, index), "") << opcode << " " << index;
    }
    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        effect.setParameter(1, bad);
        effect.setParameterAndNotify(1, -bad);
    }
    char notANumber[] = "nan";
    EXPECT_EQ(effect.send(opTextToParameter, 1, 0, notANumber), 0);
    EXPECT_EQ(allValues(effect), before);
    EXPECT_TRUE(automations().empty());
}

TEST_F(HostedEffectTest, ParameterTextsGiveUnitNameAndThePlainValue) {
    EXPECT_EQ(text(effect, opGetParameterUnit, 7), "Hz");
    EXPECT_EQ(text(effect, opGetParameterName, 7), "Freq");
    EXPECT_EQ(text(effect, opGetParameterText, 7), "3000.000");
    EXPECT_EQ(text(effect, opGetParameterText, 1), "50.00000");
    EXPECT_EQ(text(effect, opGetParameterText, 0), "0.000000");
}

TEST_F(HostedEffectTest, SteppedParametersAnnounceTheirOldValueBeforeTheNewOne) {
    effect.setParameterAndNotify(7, 1.0f);
    auto sentValues = automations();
    ASSERT_EQ(sentValues.size(), 2u);
    EXPECT_EQ(sentValues[0].index, 7);
    EXPECT_FLOAT_EQ(sentValues[0].opt, 1.0f / 3.0f);
    EXPECT_EQ(sentValues[1].opt, 1.0f);
    EXPECT_EQ(effect.value(7), 7000.0f);

    sent.clear();
    effect.setParameterAndNotify(0, 0.5f);  // InGain's step of 0.1 is fine
    sentValues = automations();
    ASSERT_EQ(sentValues.size(), 1u);
    EXPECT_EQ(sentValues[0].opt, 0.5f);
}

TEST_F(HostedEffectTest, TypedTextsAreReadClampedAndStoredAsPlainValues) {
    BankEffect withEditor(true);
    char decimalComma[] = "2500,0";
    EXPECT_EQ(withEditor.send(opTextToParameter, 7, 0, decimalComma), 1);
    EXPECT_EQ(withEditor.value(7), 2500.0f);
    EXPECT_STREQ(decimalComma, "2500,0");
    EXPECT_EQ(withEditor.recorder()->values.back(),
              (std::pair<std::int32_t, float>{7, withEditor.getParameter(7)}));
    char tooLarge[] = "99999";
    withEditor.send(opTextToParameter, 7, 0, tooLarge);
    EXPECT_EQ(withEditor.value(7), 7000.0f);
    char letters[] = "abc";
    withEditor.send(opTextToParameter, 7, 0, letters);
    EXPECT_EQ(withEditor.value(7), 1000.0f);
    EXPECT_EQ(withEditor.send(opTextToParameter, 7, 0, nullptr), 1);
    EXPECT_EQ(withEditor.value(7), 1000.0f);
}

TEST_F(HostedEffectTest, AFreshBankHoldsTheDefaultsBigEndianUnderInitNames) {
    const Bytes bank = effect.chunk(false);
    ASSERT_EQ(bank.size(), static_cast<std::size_t>(kBankBytes));
    for (std::int32_t k = 0; k < 10; ++k) {
        const std::size_t at = static_cast<std::size_t>(k * kProgramBytes);
        EXPECT_EQ(slice(bank, at, 4), bigEndian(20.0f / 26.0f)) << k;
        EXPECT_EQ(slice(bank, at + 28, 4), bigEndian(1.0f / 3.0f)) << k;
        EXPECT_EQ(slice(bank, at + 36, 4), bigEndian(0.0f)) << k;
        EXPECT_EQ(slice(bank, at + 40, 4), bigEndian(-80.0f)) << k;
        EXPECT_EQ(slice(bank, at + 44, 4), bigEndian(-80.0f)) << k;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bank[at + 48])),
                  "Init " + std::to_string(k + 1));
    }
    EXPECT_EQ(effect.chunk(true), slice(bank, 0, kProgramBytes));
}

TEST_F(HostedEffectTest, TheChunksAreCopiesWithTheCurrentValuesStoredThatOtherCallsLeaveAlone) {
    effect.send(opSetProgram, 0, 2);
    effect.setParameter(1, 0.25f);
    const Bytes preset = effect.chunk(true);
    void* whole = nullptr;
    EXPECT_EQ(effect.send(opGetStateData, 0, 0, &whole), kBankBytes);
    const auto* handedOut = static_cast<unsigned char*>(whole);
    const Bytes bank(handedOut, handedOut + kBankBytes);
    EXPECT_EQ(slice(bank, 2 * kProgramBytes, kProgramBytes), preset);
    EXPECT_EQ(slice(preset, 4, 4), bigEndian(0.25f));
    effect.setParameter(1, 0.75f);
    effect.send(opSetProgram, 0, 4);
    effect.setProgramName(const_cast<char*>("Other"));
    EXPECT_EQ(Bytes(handedOut, handedOut + kBankBytes), bank);
}

TEST_F(HostedEffectTest, ALoadedBankIsWhatTheNextProgramChangeSelects) {
    Bytes bank = effect.chunk(false);
    put(bank, 3 * kProgramBytes + 28, bigEndian(1.0f));
    EXPECT_EQ(effect.send(opSetStateData, 0, kBankBytes, bank.data()), 0);
    EXPECT_EQ(effect.value(7), 3000.0f);
    effect.send(opSetProgram, 0, 3);
    EXPECT_EQ(effect.value(7), 7000.0f);
    effect.send(opSetProgram, 0, 0);
    EXPECT_EQ(effect.value(7), 3000.0f);
}

TEST_F(HostedEffectTest, ABankSurvivesARoundTripIntoAnotherInstance) {
    effect.setParameter(2, 0.75f);
    effect.setProgramName(const_cast<char*>("Bright"));
    effect.send(opSetProgram, 0, 5);
    effect.setParameter(8, 1.0f);
    effect.setParameter(9, 1.0f);
    const Bytes bank = effect.chunk(false);

    BankEffect other;
    other.send(opSetProgram, 0, 5);
    other.setStateData(const_cast<unsigned char*>(bank.data()), kBankBytes, false);
    EXPECT_EQ(other.value(8), 6.0f);
    EXPECT_EQ(other.value(9), 1.0f);
    other.send(opSetProgram, 0, 0);
    EXPECT_EQ(other.value(2), 75.0f);
    char name[64];
    other.getProgramName(name);
    EXPECT_STREQ(name, "Bright");
    EXPECT_EQ(other.chunk(false), bank);
}

TEST_F(HostedEffectTest, SelectingTheSameProgramTwiceChangesNothing) {
    effect.setParameter(4, 0.1f);
    effect.send(opSetProgram, 0, 6);
    const std::vector<float> values = allValues(effect);
    const Bytes bank = effect.chunk(false);
    effect.send(opSetProgram, 0, 6);
    effect.send(opSetProgram, 0, 6);
    EXPECT_EQ(allValues(effect), values);
    EXPECT_EQ(effect.chunk(false), bank);
}

TEST_F(HostedEffectTest, AChunkIsCutToItsTargetAndAShortOneChangesOnlyWhatItCovers) {
    effect.send(opSetProgram, 0, 4);
    effect.setParameter(7, 1.0f);
    Bytes tooLong(300, 0);
    put(tooLong, 0, bigEndian(0.0f));
    const Bytes nextProgram = slice(effect.chunk(false), 5 * kProgramBytes, kProgramBytes);
    effect.setStateData(tooLong.data(), static_cast<std::int32_t>(tooLong.size()), true);
    EXPECT_EQ(slice(effect.chunk(false), 5 * kProgramBytes, kProgramBytes), nextProgram);

    effect.setParameter(7, 1.0f);
    Bytes twoValues = bigEndian(0.0f);
    const Bytes gain = bigEndian(0.2f);
    twoValues.insert(twoValues.end(), gain.begin(), gain.end());
    effect.setStateData(twoValues.data(), 8, true);
    EXPECT_EQ(effect.value(0), -20.0f);
    EXPECT_FLOAT_EQ(effect.value(1), 20.0f);
    EXPECT_EQ(effect.value(7), 7000.0f);

    // Covers program 0 only: the current program 4 keeps its values.
    effect.setStateData(tooLong.data(), kProgramBytes, false);
    EXPECT_EQ(effect.value(7), 7000.0f);
}

TEST_F(HostedEffectTest, AChunkWithoutDataOrBytesIsRefused) {
    const Bytes bank = effect.chunk(false);
    unsigned char zeros[kBankBytes] = {};
    EXPECT_EQ(effect.send(opSetStateData, 0, kBankBytes, nullptr), 0);
    EXPECT_EQ(effect.send(opSetStateData, 0, 0, zeros), 0);
    EXPECT_EQ(effect.setStateData(zeros, -1, false), 0);
    EXPECT_EQ(effect.setStateData(nullptr, kBankBytes, false), 0);
    EXPECT_EQ(effect.chunk(false), bank);
    EXPECT_EQ(effect.send(opGetStateData, 0, 0, nullptr), 0);
}

TEST_F(HostedEffectTest, TheBanksOwnBytesHandedBackRestoreWhatTheyHeld) {
    void* own = nullptr;
    effect.getStateData(&own, false);
    effect.setParameter(3, 1.0f);
    effect.setStateData(own, kBankBytes, false);
    EXPECT_EQ(effect.value(3), 50.0f);
}

TEST_F(HostedEffectTest, DamagedValuesAndUnterminatedNamesInAChunkAreReadSafely) {
    Bytes program = effect.chunk(true);
    put(program, 4, bigEndian(std::numeric_limits<float>::quiet_NaN()));
    std::memset(&program[48], 'A', 64);
    effect.setParameter(1, 0.25f);
    effect.setStateData(program.data(), kProgramBytes, true);
    EXPECT_EQ(effect.value(1), 50.0f);
    char name[80];
    std::memset(name, 'x', sizeof(name));
    effect.getProgramName(name);
    EXPECT_EQ(std::string(name), std::string(63, 'A'));
}

// Gain travels normalised, Clip plain (0..1); the plug-in itself stores neither beyond its range.
TEST_F(HostedEffectTest, ChunkValuesBeyondTheRangeLoadAsTheNearestEndAndNonFiniteOnesAsTheDefault) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float stored, gain, clip;
    } cases[] = {{std::numeric_limits<float>::quiet_NaN(), 50.0f, 0.0f},
                 {inf, 50.0f, 0.0f},
                 {-inf, 50.0f, 0.0f},
                 {1e30f, 100.0f, 1.0f},
                 {1.5f, 100.0f, 1.0f},
                 {-0.5f, 0.0f, 0.0f},
                 {-1e-30f, 0.0f, 0.0f},
                 {0.25f, 25.0f, 0.25f}};
    for (const auto& c : cases) {
        Bytes program = effect.chunk(true);
        put(program, 4, bigEndian(c.stored));
        put(program, 36, bigEndian(c.clip == 0.25f ? 0.25f : c.stored));
        effect.setStateData(program.data(), kProgramBytes, true);
        EXPECT_EQ(effect.value(1), c.gain) << c.stored;
        EXPECT_EQ(effect.value(9), c.clip) << c.stored;
    }
}

TEST_F(HostedEffectTest, HostValuesBeyondTheRangeAreTakenAsTheNearestEnd) {
    const struct {
        std::int32_t index;
        float sent, plain;
    } cases[] = {{1, 1e30f, 100.0f}, {1, -3.0f, 0.0f}, {7, 2.0f, 7000.0f}, {9, 5.0f, 1.0f}};
    for (const auto& c : cases) {
        effect.setParameter(c.index, c.sent);
        EXPECT_EQ(effect.value(c.index), c.plain) << c.index << " " << c.sent;
        effect.setParameter(c.index, 0.5f);
        effect.setParameterAndNotify(c.index, c.sent);
        EXPECT_EQ(effect.value(c.index), c.plain) << c.index << " " << c.sent;
    }
    EXPECT_LE(automations().back().opt, 1.0f);
}

TEST_F(HostedEffectTest, ProgramNamesAreCutTo63CharactersAndReadByNumber) {
    const std::string longName(100, 'n');
    effect.send(opSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
    EXPECT_EQ(text(effect, opGetProgramName, 0), std::string(63, 'n'));
    char name[64];
    EXPECT_EQ(effect.getProgramNameAt(name, 9), 0);
    EXPECT_STREQ(name, "Init 10");
    effect.getProgramNameAt(name, 10);
    EXPECT_STREQ(name, "");
}

TEST_F(HostedEffectTest, LoadingAProgramHoldsTheEngineOffAndTellsTheEditorEverything) {
    BankEffect withEditor(true);
    RecordingEditor& editor = *withEditor.recorder();
    editor.values.clear();
    editor.busyWhileTold.clear();
    withEditor.send(opSetProgram, 0, 1);
    ASSERT_EQ(editor.values.size(), 10u);
    EXPECT_EQ(editor.values[7], (std::pair<std::int32_t, float>{7, 1.0f / 3.0f}));
    for (std::int16_t busy : editor.busyWhileTold) EXPECT_EQ(busy, 1);
    EXPECT_EQ(withEditor.getParameters()->getApplyBusy(), 0);
    ASSERT_FALSE(editor.blocks.empty());
    EXPECT_EQ(editor.blocks.back().first, 10);
    float meters[2];
    ASSERT_EQ(editor.blocks.back().second.size(), sizeof(meters));
    std::memcpy(meters, editor.blocks.back().second.data(), sizeof(meters));
    EXPECT_EQ(meters[0], -80.0f);
    EXPECT_EQ(meters[1], -80.0f);
}

TEST_F(HostedEffectTest, ADefaultBankTextLoadsOnlyWhenItIsExactlyOneHexadecimalBank) {
    Bytes bank = effect.chunk(false);
    put(bank, 28, bigEndian(1.0f));
    std::string hex;
    char pair[3];
    for (unsigned char byte : bank) {
        std::snprintf(pair, sizeof(pair), "%02X", byte);
        hex += pair;
    }
    EXPECT_FALSE(effect.importHexBank(hex.substr(2).c_str()));
    std::string notHex = hex;
    notHex[30] = 'G';
    EXPECT_FALSE(effect.importHexBank(notHex.c_str()));
    EXPECT_EQ(effect.value(7), 3000.0f);
    EXPECT_TRUE(effect.importHexBank(hex.c_str()));
    EXPECT_EQ(effect.value(7), 7000.0f);
}

TEST_F(HostedEffectTest, WordSwapsReverseEachWordAndSkipRaggedRuns) {
    unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    effect.swapWords(bytes, 6);
    EXPECT_EQ(Bytes(bytes, bytes + 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    effect.swapWords(bytes, 8);
    EXPECT_EQ(Bytes(bytes, bytes + 8), (Bytes{4, 3, 2, 1, 8, 7, 6, 5}));
}

TEST_F(HostedEffectTest, ConnectedChannelsCountUpToTheHighestConnectedOne) {
    EXPECT_EQ(effect.connectedInputs(), 2);
    unconnected = {0};
    EXPECT_EQ(effect.connectedInputs(), 2);
    unconnected = {1, 100};
    EXPECT_EQ(effect.connectedInputs(), 1);
    EXPECT_EQ(effect.connectedOutputs(), 2);
    unconnected = {0, 1, 100, 101};
    EXPECT_EQ(effect.connectedInputs(), 0);
    EXPECT_EQ(effect.connectedOutputs(), 0);
    effect.setInputCount(1);
    sent.clear();
    EXPECT_EQ(effect.connectedInputs(), 1);
    effect.setInputCount(0);
    EXPECT_EQ(effect.connectedInputs(), 0);
    EXPECT_TRUE(sent.empty());
}

TEST_F(HostedEffectTest, TheConfigurationChangesUntilTheEngineIsBuiltForIt) {
    EXPECT_TRUE(effect.configurationChanged());
    effect.rebuildEngine();
    EXPECT_FALSE(effect.configurationChanged());
    effect.send(opSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f);
    EXPECT_TRUE(effect.configurationChanged());
    EXPECT_FALSE(effect.configurationChanged());
    unconnected = {1};
    EXPECT_TRUE(effect.configurationChanged());
    EXPECT_EQ(effect.engineInputs, 1);
    EXPECT_FALSE(effect.configurationChanged());
}

TEST_F(HostedEffectTest, ChannelArrangementsTheChannelsCanCarryAreTakenForTheNextBuild) {
    effect.rebuildEngine();
    effect.configurationChanged();
    std::int32_t mono[2] = {0, 1};
    std::int32_t surround[2] = {0, 6};
    EXPECT_EQ(effect.send(opSetChannelArrangement, 0, 0, surround), 0);
    EXPECT_EQ(effect.send(opSetChannelArrangement, 0, 0, nullptr), 0);
    EXPECT_FALSE(effect.configurationChanged());
    EXPECT_EQ(effect.send(opSetChannelArrangement, 0, 0, mono), 1);
    EXPECT_EQ(effect.engineInputs, 1);
    EXPECT_EQ(effect.engineOutputs, 1);
    EXPECT_TRUE(effect.configurationChanged());
}

TEST_F(HostedEffectTest, RateAndBlockSizeChangesRememberWhatTheyReplace) {
    BankEffect withEditor(true);
    withEditor.send(opSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_EQ(withEditor.previousSampleRate, 44100.0f);
    EXPECT_EQ(withEditor.rebuilds, 1);
    EXPECT_EQ(withEditor.recorder()->rates, std::vector<float>{96000.0f});
    withEditor.send(opSetBlockSize, 0, 256);
    withEditor.send(opSetBlockSize, 0, 256);
    EXPECT_EQ(withEditor.previousBlockSize, 1024);
    EXPECT_EQ(withEditor.getBlockSize(), 256);
}

TEST_F(HostedEffectTest, AudioCallsGrowTheBlockAndCopyAMonoEngineToBothOutputs) {
    float left[8] = {};
    float right[8] = {};
    float* outputs[2] = {left, right};
    effect.processOverwriting(outputs, outputs, 4);
    EXPECT_EQ(left[0], 0.0f);
    effect.rebuildEngine();
    effect.engineInputs = 1;
    effect.processOverwriting(outputs, outputs, 4);
    EXPECT_FALSE(effect.lastAccumulate);
    EXPECT_EQ(right[3], 4.0f);
    effect.engineInputs = 2;
    effect.send(opSetBlockSize, 0, 4);
    effect.process(outputs, outputs, 8);
    EXPECT_TRUE(effect.lastAccumulate);
    EXPECT_EQ(effect.getBlockSize(), 8);
    EXPECT_EQ(effect.rebuilds, 2);
    EXPECT_EQ(right[7], 0.0f);
}

// Without an engine, once resumed, the input reaches the output as it is: replaced, or added.
TEST_F(HostedEffectTest, WithoutAnEngineAResumedPluginPassesItsInputThrough) {
    const struct {
        std::int32_t inputs;
        bool resumed, accumulate;
        float left, right;
    } cases[] = {{2, false, false, 9.0f, 9.0f}, {2, false, true, 9.0f, 9.0f},
                 {2, true, false, 1.0f, 2.0f},  {2, true, true, 10.0f, 11.0f},
                 {1, true, false, 1.0f, 1.0f},  {1, true, true, 10.0f, 10.0f}};
    for (const auto& c : cases) {
        BankEffect engineless;
        engineless.engineBuilds = false;
        if (c.resumed) engineless.send(opSetActive, 0, 1);
        engineless.engineInputs = c.inputs;
        float inLeft[4] = {1.0f, 1.0f, 1.0f, 1.0f}, inRight[4] = {2.0f, 2.0f, 2.0f, 2.0f};
        std::vector<float> left(4, 9.0f), right(4, 9.0f);
        float* inputs[2] = {inLeft, inRight};
        float* outputs[2] = {left.data(), right.data()};
        if (c.accumulate)
            engineless.process(inputs, outputs, 4);
        else
            engineless.processOverwriting(inputs, outputs, 4);
        EXPECT_EQ(left, std::vector<float>(4, c.left)) << c.inputs << c.resumed << c.accumulate;
        EXPECT_EQ(right, std::vector<float>(4, c.right)) << c.inputs << c.resumed << c.accumulate;
    }
}

}  // namespace
