#include <sys/stat.h>

#include <cstring>
#include <regex>

#include "tests/host/CliFixture.h"

namespace {

// Every way a command can fail, one row each: what the user typed, the exit code the README
// gives, a pattern for the one line on stderr, and afterwards no file beside the ones that were
// there before (no output, no temporary file).
struct FailureCase {
    const char* name;
    std::vector<std::string> arguments;  // {probe} {plugin} {foreign} {half} {dir} are replaced
    int exitCode;
    const char* message;                   // a regular expression searched for in the line
    const char* standardOutput = nullptr;  // where stdout goes instead of a scratch file
};

void PrintTo(const FailureCase& failure, std::ostream* out) { *out << failure.name; }

class PlxhostFailureTest : public CliFixture, public ::testing::WithParamInterface<FailureCase> {
protected:
    void SetUp() override {
        CliFixture::SetUp();
        writeAudio(path("in.wav"), testSignal(44100, 3000));
        writeAudio(path("in16k.wav"), testSignal(16000, 3000));
        writeAudio(path("in8k.wav"), testSignal(8000, 3000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        Audio huge = testSignal(44100, 3000);
        for (auto& channel : huge.channels) {
            for (float& sample : channel) sample *= 2e38f;
        }
        writeAudio(path("huge.wav"), huge);
        std::filesystem::create_directory(path("somedir"));
        ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
        writeText(path("bad.bank"), std::string(1120, 'x'));
    }

    std::string expand(const std::string& argument) const {
        const std::pair<const char*, std::string> names[] = {
            {"{probe}", GAIN_PROBE_PATH},
            {"{plugin}", BRILLIANTEER_PATH},
            {"{foreign}", FOREIGN_RECORD_PATH},
            {"{half}", HALF_RECORD_PATH},
            {"{dir}", directory},
        };
        std::string expanded = argument;
        for (const auto& [name, value] : names) {
            for (std::size_t at; (at = expanded.find(name)) != std::string::npos;)
                expanded.replace(at, std::strlen(name), value);
        }
        return expanded;
    }
};

TEST_P(PlxhostFailureTest, FailsWithItsCodeAndOneLineAndLeavesNothing) {
    const FailureCase& failure = GetParam();
    std::vector<std::string> arguments;
    for (const std::string& argument : failure.arguments) arguments.push_back(expand(argument));
    const std::vector<std::string> before = entries();
    const Result result = run(arguments, failure.standardOutput ? failure.standardOutput : "");
    EXPECT_EQ(result.exitCode, failure.exitCode) << result.err;
    EXPECT_EQ(lineCount(result.err), 1) << result.err;
    EXPECT_TRUE(std::regex_search(result.err, std::regex(failure.message))) << result.err;
    EXPECT_EQ(entries(), before) << "a failed command left files behind";
}

const FailureCase kFailures[] = {
    // Crashes.
    {"BankThatIsADirectory", {"bank", "show", "{dir}/somedir"}, 5, "somedir: is a directory"},
    {"ProcessBankThatIsADirectory",
     {"process", "{probe}", "{dir}/in.wav", "{dir}/out.wav", "--bank", "{dir}/somedir"},
     5,
     "somedir: is a directory"},
    {"RecordWithWrongMagic", {"info", "{foreign}"}, 3, "not a plug-in of this interface"},
    {"RecordWithoutFunctions",
     {"process", "{half}", "{dir}/in.wav", "{dir}/out.wav"},
     3,
     "not a plug-in of this interface: its record has no dispatcher"},
    // Numbers that are not finite, out of range or do not fit.
    {"RateNotANumber", {"analyze", "{probe}", "--rate", "nan", "--out", "{dir}/x"}, 2, "--rate"},
    {"SecondsNotANumber", {"bench", "{probe}", "--seconds", "nan"}, 2, "not a finite number"},
    {"SynthSecondsNotANumber", {"synth", "{dir}/s.wav", "--seconds", "nan"}, 2, "finite"},
    {"SineNotANumber",
     {"analyze", "{probe}", "--sine-hz", "nan", "--out", "{dir}/x"},
     2,
     "--sine-hz"},
    {"SineLevelInfinite",
     {"analyze", "{probe}", "--sine-dbfs", "-inf", "--out", "{dir}/x"},
     2,
     "--sine-dbfs"},
    {"ClickBeyond32Bits",
     {"editor", "{plugin}", "{dir}/e.png", "--click", "4294967336,68"},
     2,
     "--click 4294967336,68: expected X,Y"},
    {"MetersNotANumber",
     {"editor", "{plugin}", "{dir}/e.png", "--meters", "nan,-3"},
     2,
     "--meters"},
    {"ProgramBeyond32Bits",
     {"bank", "save", "{probe}", "{dir}/b.bank", "--program", "99999999999"},
     5,
     "program 99999999999 does not exist"},
    {"ProgramNegative",
     {"bank", "save", "{probe}", "{dir}/b.bank", "--program", "-1"},
     5,
     "program -1 does not exist"},
    // Reads without bounds.
    {"BankFromADevice", {"bank", "show", "/dev/zero"}, 5, "/dev/zero: not a regular file"},
    {"BankFromAFifo", {"bank", "show", "{dir}/fifo"}, 5, "fifo: not a regular file"},
    {"AudioFromAFifo",
     {"process", "{probe}", "{dir}/fifo", "{dir}/out.wav"},
     4,
     "fifo: not a regular file"},
    // Exit codes and messages as the README gives them.
    {"SineAboveNyquist",
     {"analyze", "{probe}", "--sine-hz", "30000", "--out", "{dir}/x"},
     2,
     "--sine-hz must lie below half the sample rate"},
    {"OutputThatIsADirectory",
     {"process", "{probe}", "{dir}/in.wav", "{dir}/somedir"},
     6,
     "somedir: is a directory"},
    {"UnknownSubcommand", {"frobnicate"}, 2, "unknown subcommand 'frobnicate'"},
    {"UnknownBankSubcommand", {"bank", "list"}, 2, "unknown subcommand 'list'"},
    {"StdoutFull", {"info", "{probe}"}, 6, "cannot write to standard output", "/dev/full"},
};

INSTANTIATE_TEST_SUITE_P(Plxhost, PlxhostFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
