#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "shell/Opcodes.h"
#include "tests/endtoend/AudioBuffers.h"
#include "tests/endtoend/PluginHarness.h"
#include "tests/support/BigEndian.h"

namespace {

constexpr std::int32_t kProgramBytes = 112;
constexpr std::int32_t kBankBytes = 1120;

using big_endian::readFloat;
using big_endian::writeFloat;

class PluginLifecycleTest : public PluginHarness {
protected:
    void SetUp() override {
        PluginHarness::SetUp();
        plugin = createInstance();
        ASSERT_TRUE(plugin->isOpen());
    }

    std::string text(std::int32_t opcode, std::int32_t index = 0) {
        char buffer[128];
        std::memset(buffer, 'x', sizeof(buffer));
        buffer[127] = '\0';
        plugin->dispatch(opcode, index, 0, buffer);
        return buffer;
    }

    std::vector<unsigned char> chunk(bool preset) {
        void* data = nullptr;
        const PlxIntPtr size = plugin->dispatch(opGetStateData, preset ? 1 : 0, 0, &data);
        if (!data || size <= 0) return {};
        const auto* bytes = static_cast<const unsigned char*>(data);
        return std::vector<unsigned char>(bytes, bytes + size);
    }

    void resumeAt(float rate, std::int32_t block = 512) {
        plugin->dispatch(opSetSampleRate, 0, 0, nullptr, rate);
        plugin->dispatch(opSetBlockSize, 0, block);
        plugin->dispatch(opSetActive, 0, 1);
    }

    std::unique_ptr<PluginInstance> plugin;
};

TEST_F(PluginLifecycleTest, TheBankChunkCarriesNamesMeterFloorAndDefaultsBigEndian) {
    const auto bank = chunk(false);
    ASSERT_EQ(bank.size(), static_cast<std::size_t>(kBankBytes));
    for (int k = 0; k < 10; ++k) {
        const unsigned char* program = bank.data() + kProgramBytes * k;
        EXPECT_STREQ(reinterpret_cast<const char*>(program + 48),
                     ("Init " + std::to_string(k + 1)).c_str());
        EXPECT_EQ(readFloat(program + 40), -80.0f);
        EXPECT_EQ(readFloat(program + 44), -80.0f);
        EXPECT_NEAR(readFloat(program), 20.0f / 26.0f, 1e-6f);
        EXPECT_EQ(readFloat(program + 28), 1.0f / 3.0f);
    }
    const auto preset = chunk(true);
    ASSERT_EQ(preset.size(), static_cast<std::size_t>(kProgramBytes));
    EXPECT_NEAR(readFloat(preset.data()), 0.76923f, 1e-5f);
}

TEST_F(PluginLifecycleTest, ChunksRoundTripBetweenInstances) {
    plugin->setParameter(1, 0.25f);
    plugin->setParameter(7, 1.0f);
    char name[] = "Bright master";
    plugin->dispatch(opSetProgramName, 0, 0, name);
    const auto bank = chunk(false);

    auto other = createInstance();
    std::vector<unsigned char> copy = bank;
    EXPECT_EQ(other->dispatch(opSetStateData, 0, static_cast<PlxIntPtr>(copy.size()), copy.data()),
              0);
    EXPECT_FLOAT_EQ(other->getParameter(1), 0.25f);
    EXPECT_FLOAT_EQ(other->getParameter(7), 1.0f);
    char readBack[64] = {};
    other->dispatch(opGetProgramName, 0, 0, readBack);
    EXPECT_STREQ(readBack, "Bright master");
}

TEST_F(PluginLifecycleTest, ALoadedBankIsWhatTheNextProgramChangeSelects) {
    auto bank = chunk(false);
    writeFloat(bank.data() + kProgramBytes * 3 + 28, 1.0f);
    plugin->dispatch(opSetStateData, 0, static_cast<PlxIntPtr>(bank.size()), bank.data());
    plugin->dispatch(opSetProgram, 0, 3);
    EXPECT_EQ(text(opGetParameterText, 7), "7000.000");
}

TEST_F(PluginLifecycleTest, StateDataIsBoundedByItsTarget) {
    std::vector<unsigned char> oversized(kBankBytes * 3, 0);
    const auto before = chunk(false);
    std::vector<unsigned char> source = before;
    writeFloat(source.data() + 4, 0.125f);
    source.resize(oversized.size(), 0xAB);
    plugin->dispatch(opSetStateData, 0, static_cast<PlxIntPtr>(source.size()), source.data());
    EXPECT_FLOAT_EQ(plugin->getParameter(1), 0.125f);
    EXPECT_EQ(chunk(false).size(), before.size());

    // Refused: no data, or a size that is not positive.
    EXPECT_EQ(plugin->dispatch(opSetStateData, 0, 100, nullptr), 0);
    EXPECT_EQ(plugin->dispatch(opSetStateData, 0, 0, source.data()), 0);
    EXPECT_EQ(plugin->dispatch(opSetStateData, 0, -5, source.data()), 0);
    EXPECT_FLOAT_EQ(plugin->getParameter(1), 0.125f);

    // A short program copies what it has.
    std::vector<unsigned char> partial(8);
    writeFloat(partial.data(), 0.5f);
    writeFloat(partial.data() + 4, 0.75f);
    plugin->dispatch(opSetStateData, 1, 8, partial.data());
    EXPECT_FLOAT_EQ(plugin->getParameter(0), 0.5f);
    EXPECT_FLOAT_EQ(plugin->getParameter(1), 0.75f);
    EXPECT_EQ(plugin->dispatch(opGetStateData, 0, 0, nullptr), 0);
}

TEST_F(PluginLifecycleTest, UnterminatedProgramNamesAreReadAsAtMost63Characters) {
    auto bank = chunk(false);
    std::memset(bank.data() + 48, 'A', 64);
    plugin->dispatch(opSetStateData, 0, static_cast<PlxIntPtr>(bank.size()), bank.data());
    char name[128];
    std::memset(name, 'z', sizeof(name));
    plugin->dispatch(opGetProgramName, 0, 0, name);
    EXPECT_EQ(std::string(name), std::string(63, 'A'));
}

TEST_F(PluginLifecycleTest, ParameterTextsNamesAndUnits) {
    EXPECT_EQ(text(opGetParameterText, 1), "50.00000");
    EXPECT_EQ(text(opGetParameterText, 7), "3000.000");
    EXPECT_EQ(text(opGetParameterText, 0), "0.000000");
    EXPECT_EQ(text(opGetParameterName, 2), "2nd");
    EXPECT_EQ(text(opGetParameterUnit, 7), "Hz");
    EXPECT_EQ(text(opGetParameterText, -1), "");
    EXPECT_EQ(text(opGetParameterName, 99), "");
}

TEST_F(PluginLifecycleTest, TextToParameterReadsCommasAndClampsToTheRange) {
    char value[] = "2500,0";
    EXPECT_EQ(plugin->dispatch(opTextToParameter, 7, 0, value), 1);
    EXPECT_EQ(text(opGetParameterText, 7), "2500.000");
    char huge[] = "99999";
    plugin->dispatch(opTextToParameter, 7, 0, huge);
    EXPECT_EQ(text(opGetParameterText, 7), "7000.000");
    char letters[] = "loud";
    plugin->dispatch(opTextToParameter, 7, 0, letters);
    EXPECT_EQ(text(opGetParameterText, 7), "1000.000");
    char outOfTable[] = "1";
    EXPECT_EQ(plugin->dispatch(opTextToParameter, -1, 0, outOfTable), 0);
    EXPECT_EQ(plugin->dispatch(opTextToParameter, 11, 0, outOfTable), 0);
}

TEST_F(PluginLifecycleTest, ExtendedOpcodesAnswerAsThisPluginDoes) {
    EXPECT_EQ(plugin->dispatch(opGetCategory), 4);
    EXPECT_EQ(plugin->dispatch(opGetInterfaceVersion), 2200);
    EXPECT_EQ(plugin->dispatch(63), -1);
    EXPECT_EQ(plugin->dispatch(opExtension57), 1);
    EXPECT_EQ(text(opGetVendorName), "Quillmere");
    EXPECT_EQ(plugin->dispatch(opGetVendorName, 0, 0, nullptr), 0);
    EXPECT_EQ(plugin->record()->flags, 0x39) << "has an editor";
}

TEST_F(PluginLifecycleTest, BadParameterIndicesAndValuesChangeNothing) {
    plugin->setParameter(-1, 0.3f);
    plugin->setParameter(11, 0.3f);
    plugin->setParameter(1000, 0.3f);
    plugin->setParameter(1, std::numeric_limits<float>::quiet_NaN());
    plugin->setParameter(1, std::numeric_limits<float>::infinity());
    EXPECT_EQ(plugin->getParameter(-1), 0.0f);
    EXPECT_EQ(plugin->getParameter(1000), 0.0f);
    EXPECT_FLOAT_EQ(plugin->getParameter(1), 0.5f);
}

TEST_F(PluginLifecycleTest, OutputsStayUntouchedUntilTheFirstResume) {
    StereoBuffers in(64, 0.5f), out(64, 7.0f);
    plugin->processOverwriting(in.data(), out.data(), 64);
    plugin->processAdding(in.data(), out.data(), 64);
    EXPECT_EQ(out.left, std::vector<float>(64, 7.0f));
    EXPECT_EQ(out.right, std::vector<float>(64, 7.0f));
}

TEST_F(PluginLifecycleTest, LatencyFollowsTheRateAtResume) {
    const std::pair<float, std::int32_t> expected[] = {
        {44100.0f, 108}, {48000.0f, 115}, {88200.0f, 222}, {96000.0f, 241}};
    for (const auto& [rate, latency] : expected) {
        resumeAt(rate);
        EXPECT_EQ(plugin->record()->latency, latency) << rate;
    }
}

// Without an engine the host still gets its buffers written: the input, unchanged and undelayed.
TEST_F(PluginLifecycleTest, UnusableRatesAndBlockSizesPassTheInputThroughWithoutLatency) {
    const float badRates[] = {8000.0f,
                              11025.0f,
                              16000.0f,
                              0.0f,
                              -44100.0f,
                              std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              1e7f};
    for (float rate : badRates) {
        resumeAt(rate);
        EXPECT_EQ(plugin->record()->latency, 0) << rate;
        StereoBuffers in(32, 0.5f), out(32, 3.0f);
        plugin->processOverwriting(in.data(), out.data(), 32);
        EXPECT_EQ(out.left, in.left) << rate;
        plugin->processAdding(in.data(), out.data(), 32);
        EXPECT_EQ(out.right, std::vector<float>(32, 1.0f)) << rate;
    }
    resumeAt(44100.0f, 0);
    StereoBuffers in(32, 0.5f), out(32, 3.0f);
    plugin->processOverwriting(in.data(), out.data(), 32);  // a longer block builds one
    EXPECT_EQ(plugin->record()->latency, 108);

    resumeAt(44100.0f, -4);
    plugin->dispatch(opSetBlockSizeAndSampleRate, 0, 256, nullptr, 48000.0f);
    plugin->dispatch(opSetActive, 0, 1);
    EXPECT_EQ(plugin->record()->latency, 115);
}

TEST_F(PluginLifecycleTest, AudioCallsWithoutFramesOrBuffersDoNothing) {
    resumeAt(44100.0f);
    StereoBuffers in(16, 0.5f), out(16, 3.0f);
    plugin->processOverwriting(in.data(), out.data(), 0);
    plugin->processOverwriting(in.data(), out.data(), -16);
    plugin->processOverwriting(nullptr, out.data(), 16);
    plugin->processOverwriting(in.data(), nullptr, 16);
    plugin->processAdding(nullptr, nullptr, 16);
    float* missing[2] = {nullptr, nullptr};
    plugin->processOverwriting(in.data(), missing, 16);
    EXPECT_EQ(out.left, std::vector<float>(16, 3.0f));
}

// With Mix 0 and Solo off the effect is a pure delay of exactly the reported latency.
TEST_F(PluginLifecycleTest, DryPathIsTheInputDelayedByTheReportedLatency) {
    for (float rate : {44100.0f, 96000.0f}) {
        plugin->setParameter(4, 0.0f);
        resumeAt(rate, 256);
        const std::int32_t latency = plugin->record()->latency;
        const std::int32_t frames = 4 * 256;
        StereoBuffers in(frames), out(frames);
        for (std::int32_t i = 0; i < frames; ++i) {
            in.left[i] = 0.5f * std::sin(0.01f * static_cast<float>(i));
            in.right[i] = (i % 7) * 0.05f - 0.15f;
        }
        for (std::int32_t offset = 0; offset < frames; offset += 256) {
            float* inputs[2] = {in.left.data() + offset, in.right.data() + offset};
            float* outputs[2] = {out.left.data() + offset, out.right.data() + offset};
            plugin->processOverwriting(inputs, outputs, 256);
        }
        for (std::int32_t i = latency; i < frames; ++i) {
            ASSERT_EQ(out.left[i], in.left[i - latency]) << rate << " frame " << i;
            ASSERT_EQ(out.right[i], in.right[i - latency]) << rate << " frame " << i;
        }
        plugin->dispatch(opSetActive, 0, 0);
    }
}

// A second resume with nothing changed keeps the engine, and with it the signal in flight.
TEST_F(PluginLifecycleTest, TwoResumesBuildTheEngineOnce) {
    plugin->setParameter(4, 0.0f);
    resumeAt(44100.0f, 64);
    StereoBuffers impulse(64), out(64);
    impulse.left[0] = 1.0f;
    plugin->processOverwriting(impulse.data(), out.data(), 64);
    plugin->dispatch(opSetActive, 0, 1);
    StereoBuffers silence(64);
    plugin->processOverwriting(silence.data(), out.data(), 64);
    EXPECT_EQ(out.left[108 - 64], 1.0f);
}

TEST_F(PluginLifecycleTest, ABlockLongerThanAnnouncedRebuildsThenProcesses) {
    plugin->setParameter(4, 0.0f);
    resumeAt(44100.0f, 64);
    StereoBuffers in(2048, 0.25f), out(2048, 9.0f);
    plugin->processOverwriting(in.data(), out.data(), 2048);
    EXPECT_EQ(out.left[107], 0.0f);
    EXPECT_EQ(out.left[108], 0.25f);
    EXPECT_EQ(out.right[2047], 0.25f);
}

TEST_F(PluginLifecycleTest, AMonoInputIsCopiedToBothOutputsByTheReplacingCall) {
    auto mono = std::make_unique<PluginInstance>(library);
    // The host reports input 1 as not connected.
    mono->setAnswerFunction([](const HostRequest& request, PlxIntPtr& answer) {
        if (request.opcode != hostRequestPinConnected) return false;
        answer = (request.value == 0 && request.index >= 1) ? 1 : 0;
        return true;
    });
    ASSERT_TRUE(mono->create());
    mono->setParameter(4, 0.0f);
    mono->dispatch(opSetSampleRate, 0, 0, nullptr, 44100.0f);
    mono->dispatch(opSetBlockSize, 0, 256);
    mono->dispatch(opSetActive, 0, 1);
    StereoBuffers in(256), out(256, 5.0f);
    for (int i = 0; i < 256; ++i) in.left[i] = 0.001f * static_cast<float>(i);
    mono->processOverwriting(in.data(), out.data(), 256);
    EXPECT_EQ(out.left, out.right);
    EXPECT_EQ(out.left[200], in.left[200 - 108]);
}

}  // namespace
