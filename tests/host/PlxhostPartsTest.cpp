#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <cmath>
#include <cstring>
#include <limits>

#include "host/cli/CommandError.h"
#include "host/cli/io/JsonWriter.h"
#include "host/cli/io/OutputFile.h"
#include "host/cli/session/BankLayout.h"
#include "host/cli/session/PluginSession.h"

namespace {

void putBigEndian(std::vector<unsigned char>& bytes, std::size_t offset, float value) {
    std::uint32_t word;
    std::memcpy(&word, &value, 4);
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<unsigned char>(word >> (24 - 8 * i));
}

// A bank as the exciter writes it right after startup, every program at the defaults.
std::vector<unsigned char> defaultBank(const BankLayout& layout) {
    const float defaults[10] = {20.0f / 26.0f, 0.5f, 0.5f,        0.5f, 0.5f,
                                0.0f,          0.0f, 1.0f / 3.0f, 0.5f, 0.0f};
    std::vector<unsigned char> bank(layout.bankSize(), 0);
    for (std::size_t p = 0; p < BankLayout::kProgramCount; ++p) {
        const std::size_t start = p * layout.programSize();
        for (int i = 0; i < 10; ++i) putBigEndian(bank, start + 4 * i, defaults[i]);
        putBigEndian(bank, start + 40, -80.0f);
        putBigEndian(bank, start + 44, -80.0f);
        const std::string name = "Init " + std::to_string(p + 1);
        std::memcpy(&bank[start + layout.nameOffsetInProgram()], name.c_str(), name.size() + 1);
    }
    return bank;
}

class BankLayoutTest : public ::testing::Test {
protected:
    BankLayout layout;
};

TEST_F(BankLayoutTest, ADefaultBankReadsAsTheDefaultPlainValues) {
    const auto programs = layout.decode(defaultBank(layout), "bank");
    ASSERT_EQ(programs.size(), 10u);
    EXPECT_EQ(programs[0].name, "Init 1");
    EXPECT_EQ(programs[9].name, "Init 10");
    const double expected[12] = {0.0, 50.0,   50.0, 50.0, 50.0,  0.0,
                                 0.0, 3000.0, 3.0,  0.0,  -80.0, -80.0};
    for (int c = 0; c < 12; ++c) EXPECT_EQ(programs[4].values[c], expected[c]) << "column " << c;
}

TEST_F(BankLayoutTest, TheLayoutIsTheOneThePluginSaves) {
    EXPECT_EQ(layout.programSize(), 112u);
    EXPECT_EQ(layout.bankSize(), 1120u);
    EXPECT_EQ(layout.nameOffsetInProgram(), 48u);
    std::vector<std::string> names;
    for (const auto& column : layout.columns()) names.push_back(column.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"InGain", "Gain", "2nd", "3rd", "Mix", "Solo", "Kick",
                                        "Freq", "Density", "Clip", "MeterL", "MeterR"}));
    EXPECT_EQ(layout.columns()[11].offset, 44u);
}

TEST_F(BankLayoutTest, SteppedValuesRoundAsThePluginRoundsThem) {
    const auto& columns = layout.columns();
    EXPECT_EQ(layout.plainValue(columns[7], 0.08f), 1000.0);
    EXPECT_EQ(layout.plainValue(columns[7], 1.0f), 7000.0);
    EXPECT_EQ(layout.plainValue(columns[8], 0.05f), 0.0);
    EXPECT_EQ(layout.plainValue(columns[5], 0.49f), 0.0);
    EXPECT_EQ(layout.plainValue(columns[5], 0.5f), 1.0);
    EXPECT_NEAR(layout.plainValue(columns[0], 17.0f / 26.0f), -3.0, 1e-6);
    EXPECT_EQ(layout.plainValue(columns[9], 1.0f), 1.0);
    EXPECT_EQ(layout.plainValue(columns[10], -12.5f), -12.5);
}

TEST_F(BankLayoutTest, OneProgramsValuesLandInItsRowOnly) {
    std::vector<unsigned char> bank = defaultBank(layout);
    putBigEndian(bank, 3 * layout.programSize() + 28, 1.0f);
    const auto programs = layout.decode(bank, "bank");
    EXPECT_EQ(programs[3].values[7], 7000.0);
    EXPECT_EQ(programs[2].values[7], 3000.0);
    EXPECT_EQ(programs[4].values[7], 3000.0);
}

TEST_F(BankLayoutTest, AnUnterminatedOrUnprintableNameIsCutAndEscaped) {
    std::vector<unsigned char> bank = defaultBank(layout);
    std::memset(&bank[layout.nameOffsetInProgram()], 'A', BankLayout::kNameSize);
    bank[layout.nameOffsetInProgram() + 1] = 0x1B;
    bank[layout.nameOffsetInProgram() + 2] = 0xE9;
    const auto programs = layout.decode(bank, "bank");
    EXPECT_EQ(programs[0].name.size(), BankLayout::kNameSize - 2 + 2 * 4);
    EXPECT_EQ(programs[0].name.substr(0, 10), "A\\x1B\\xE9A");
    EXPECT_EQ(programs[1].name, "Init 2");
}

TEST_F(BankLayoutTest, StoredWordsThePlugInNeverWritesAreFlaggedAndShownAsStored) {
    std::vector<unsigned char> bank = defaultBank(layout);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<std::size_t, float> stored[] = {{0, 1e30f}, {4, -0.5f}, {8, nan}};
    for (const auto& [offset, value] : stored) putBigEndian(bank, offset, value);
    const auto programs = layout.decode(bank, "bank");
    EXPECT_TRUE(programs[0].invalid[0]);
    EXPECT_EQ(programs[0].values[0], 1e30f);
    EXPECT_TRUE(programs[0].invalid[1]);
    EXPECT_TRUE(programs[0].invalid[2]);
    EXPECT_TRUE(std::isnan(programs[0].values[2]));
    // Valid words and the meter levels in dB, which are not normalised, stay unflagged.
    for (std::size_t c = 3; c < layout.columns().size(); ++c) EXPECT_FALSE(programs[0].invalid[c]);
    EXPECT_FALSE(programs[1].invalid[0]);
}

TEST_F(BankLayoutTest, ABankOfAnotherSizeIsRefusedWithBothSizes) {
    try {
        layout.decode(std::vector<unsigned char>(1119), "bank x.bank");
        FAIL() << "a short bank was accepted";
    } catch (const CommandError& error) {
        EXPECT_EQ(error.code(), kExitSetting);
        EXPECT_STREQ(error.what(),
                     "bank x.bank is 1119 bytes; a bank is 1120 bytes (10 programs of 112)");
    }
}

class PluginSessionTest : public ::testing::Test {
protected:
    PluginSession session{GAIN_PROBE_PATH};
};

TEST_F(PluginSessionTest, ProbingTheRangesLeavesTheWorkingInstanceAlone) {
    session.setNormalizedValue(0, 0.25f);
    session.setNormalizedValue(2, 0.75f);
    const std::vector<ParameterInfo> parameters = session.describeParameters();
    EXPECT_EQ(session.normalizedValue(0), 0.25f);
    EXPECT_EQ(session.normalizedValue(2), 0.75f);
    ASSERT_EQ(parameters.size(), 4u);
    EXPECT_EQ(parameters[0].normalized, 0.25f);
    EXPECT_EQ(*parameters[0].minimum, -24.0);
    EXPECT_EQ(*parameters[0].maximum, 12.0);
    EXPECT_FALSE(parameters[3].minimum.has_value());
}

TEST_F(PluginSessionTest, NamesMatchExactlyFirstThenIgnoringCase) {
    EXPECT_EQ(session.findParameter("Square"), 1);
    EXPECT_EQ(session.findParameter("cutoff"), 2);
    EXPECT_FALSE(session.parameterNamed("Cut").has_value());
}

TEST_F(PluginSessionTest, APlainValueOnAnExponentialScaleIsFoundByItsDisplay) {
    const ParameterInfo cutoff = session.describeParameters()[2];
    const double shown = session.setPlainValue(cutoff, 440.0);
    EXPECT_NEAR(shown, 440.0, 0.01);
    EXPECT_NEAR(session.normalizedValue(2), std::log(4.4) / std::log(200.0), 1e-5);
}

TEST_F(PluginSessionTest, ProgramNamesAreReadWithoutChangingTheProgram) {
    session.selectProgram(2);
    EXPECT_EQ(session.programNames(), (std::vector<std::string>{"Unity", "Quiet", "Loud"}));
    EXPECT_EQ(session.currentProgram(), 2);
}

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/plxhost-output-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        target = directory + "/result.bin";
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    std::size_t entryCount() const {
        return static_cast<std::size_t>(std::distance(
            std::filesystem::directory_iterator(directory), std::filesystem::directory_iterator()));
    }

    std::string directory;
    std::string target;
};

TEST_F(OutputFileTest, TheTargetAppearsOnlyOnCommitAndWhole) {
    {
        OutputFile file(target);
        file.write("first part, ");
        file.write("second part");
        EXPECT_FALSE(std::filesystem::exists(target));
        EXPECT_EQ(entryCount(), 1u);
        file.commit();
    }
    std::ifstream in(target);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "first part, second part");
    EXPECT_EQ(entryCount(), 1u);
}

TEST_F(OutputFileTest, AnUncommittedFileLeavesNothingAndKeepsAnOlderTarget) {
    std::ofstream(target) << "older";
    {
        OutputFile file(target);
        file.write("newer");
    }
    std::ifstream in(target);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "older");
    EXPECT_EQ(entryCount(), 1u);
}

TEST_F(OutputFileTest, ATerminatedProcessLeavesNoTemporaryFile) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        OutputFile file(target);
        file.write("half");
        raise(SIGTERM);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(entryCount(), 0u);
}

TEST_F(OutputFileTest, AMissingDirectoryIsAnOutputError) {
    try {
        OutputFile file(directory + "/absent/result.bin");
        FAIL() << "no error for a missing directory";
    } catch (const CommandError& error) {
        EXPECT_EQ(error.code(), kExitOutput);
        EXPECT_NE(std::string(error.what()).find("No such file or directory"), std::string::npos);
    }
}

class JsonWriterTest : public ::testing::Test {};

TEST_F(JsonWriterTest, TextIsEscapedBytesAboveAsciiAsLatin1AndNonFiniteNumbersAreNull) {
    JsonWriter json;
    json.beginObject();
    json.key("name"), json.value("a \"b\"\\\n\x01\xE9");
    json.key("values");
    json.beginArray();
    json.value(1.5);
    json.value(NAN);
    json.endArray();
    json.key("empty");
    json.beginArray();
    json.endArray();
    json.endObject();
    EXPECT_EQ(json.text(),
              "{\n  \"name\": \"a \\\"b\\\"\\\\\\n\\u0001\\u00e9\",\n  \"values\": [\n    1.5,\n   "
              " null\n  ],"
              "\n  \"empty\": []\n}\n");
}

}  // namespace
