#include <sys/stat.h>

#include <csignal>

#include <cstring>
#include <regex>

#include "tests/host/CliFixture.h"

namespace {

// Every way a command can fail, one row each: what the user typed, the exit code the README
// gives, a pattern for the one line on stderr, and afterwards no file beside the ones that were
// there before (no output, no temporary file).
struct FailureCase {
    const char* name;
    std::vector<std::string>
        arguments;  // {probe} {plugin} {foreign} {half} {endless} {dir} are replaced
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
            {"{probe}", GAIN_PROBE_PATH},        {"{plugin}", BRILLIANTEER_PATH},
            {"{foreign}", FOREIGN_RECORD_PATH},  {"{half}", HALF_RECORD_PATH},
            {"{endless}", ENDLESS_LATENCY_PATH}, {"{dir}", directory},
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
    {"RecordWithEndlessLatency",
     {"process", "{endless}", "{dir}/in.wav", "{dir}/out.wav", "--compensate-latency"},
     3,
     "reports a latency of 2147483647 samples"},
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
    {"AudioFromADevice",
     {"process", "{probe}", "/dev/zero", "{dir}/out.wav"},
     4,
     "/dev/zero: not a regular file"},
    {"AudioFromAFifo",
     {"process", "{probe}", "{dir}/fifo", "{dir}/out.wav"},
     4,
     "fifo: not a regular file"},
    // Bytes that are not text stay off the terminal, and a failure stays one line.
    {"PathWithANewline", {"bank", "show", "{dir}/two\nlines.bank"}, 5, R"(two\\x0Alines)"},
    // Rates the plug-in cannot serve.
    {"FileAt16kHz", {"process", "{plugin}", "{dir}/in16k.wav", "{dir}/out.wav"}, 4, "16000 Hz"},
    {"FileAt8kHz", {"process", "{probe}", "{dir}/in8k.wav", "{dir}/out.wav"}, 4, "8000 Hz"},
    {"RateOption11025", {"analyze", "{plugin}", "--rate", "11025", "--out", "{dir}/x"}, 2, "11025"},
    {"RateOptionFractional",
     {"analyze", "{plugin}", "--rate", "44100.5", "--out", "{dir}/x"},
     2,
     "not a usable sample rate"},
    // Output that is not finite.
    {"NonFiniteFloatOutput",
     {"process", "{probe}", "{dir}/huge.wav", "{dir}/out.wav", "--bits", "32f", "--set",
      "Level=12"},
     3,
     "output holds [0-9]+ samples that are not finite"},
    {"NonFinite16BitOutput",
     {"process", "{probe}", "{dir}/huge.wav", "{dir}/out.flac", "--bits", "16", "--set",
      "Square=100", "--compensate-latency"},
     3,
     "output holds [0-9]+ samples that are not finite"},
    // Names whose format is not known.
    {"EditorJpeg", {"editor", "{plugin}", "{dir}/e.jpg"}, 2, "unknown picture format .jpg"},
    {"EditorWithoutExtension", {"editor", "{plugin}", "{dir}/picture"}, 2, "(no extension)"},
    {"ProcessUnknownExtension",
     {"process", "{probe}", "{dir}/in.wav", "{dir}/out.xyz"},
     2,
     "unsupported output format .xyz"},
    {"SynthWithoutExtension", {"synth", "{dir}/piece"}, 2, "unsupported output format"},
    // Exit codes and messages as the README gives them.
    {"SineAboveNyquist",
     {"analyze", "{probe}", "--sine-hz", "30000", "--out", "{dir}/x"},
     2,
     "--sine-hz must lie below half the sample rate"},
    {"OutputThatIsADirectory",
     {"process", "{probe}", "{dir}/in.wav", "{dir}/somedir"},
     6,
     "somedir: is a directory"},
    {"MissingPlotScript",
     {"analyze", "{probe}", "--plot-script", "{dir}/absent.py", "--out", "{dir}/x"},
     2,
     "absent.py: No such file"},
    {"EditorOutputIsADirectory", {"editor", "{plugin}", "{dir}/somedir/"}, 6, "is a directory"},
    {"UnknownSubcommand", {"frobnicate"}, 2, "unknown subcommand 'frobnicate'"},
    {"UnknownBankSubcommand", {"bank", "list"}, 2, "unknown subcommand 'list'"},
    {"StdoutFull", {"info", "{probe}"}, 6, "cannot write to standard output", "/dev/full"},
    {"BankShowStdoutFull",
     {"bank", "show", "{dir}/bad.bank"},
     6,
     "cannot write to standard output",
     "/dev/full"},
};

INSTANTIATE_TEST_SUITE_P(Plxhost, PlxhostFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// The temporary file beside an output goes with the process, whatever signal ends it.
class PlxhostSignalTest : public CliFixture, public ::testing::WithParamInterface<int> {};

TEST_P(PlxhostSignalTest, ASignalDuringTheRunLeavesNoTemporaryFile) {
    writeAudio(path("long.wav"), testSignal(44100, 44100 * 60, 1),
               SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::vector<std::string> before = entries();
    std::vector<std::string> arguments = {PLXHOST_PATH, "process", BRILLIANTEER_PATH,
                                          path("long.wav"), path("out.wav")};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    // The temporary file appears as the run starts; the signal comes while it is written.
    for (int wait = 0; wait < 5000 && entries().size() == before.size(); ++wait) usleep(1000);
    EXPECT_EQ(entries().size(), before.size() + 1) << "no temporary file seen";
    kill(child, GetParam());
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), GetParam());
    EXPECT_EQ(entries(), before);
}

INSTANTIATE_TEST_SUITE_P(Plxhost, PlxhostSignalTest,
                         ::testing::Values(SIGQUIT, SIGINT, SIGHUP, SIGPIPE, SIGALRM, SIGUSR1),
                         [](const auto& info) { return "Signal" + std::to_string(info.param); });

class PlxhostOutputTest : public CliFixture {};

TEST_F(PlxhostOutputTest, ANameAsLongAsTheSystemAllowsIsWritten) {
    writeAudio(path("in.wav"), testSignal(44100, 3000));
    const std::string name = std::string(251, 'n') + ".wav";
    const Result result = run({"process", GAIN_PROBE_PATH, path("in.wav"), path(name)});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readAudio(path(name)).frames(), 3000u);
    EXPECT_EQ(entries().size(), 2u);
}

TEST_F(PlxhostOutputTest, BankShowEscapesNamesAndFlagsValuesThePlugInNeverWrites) {
    const std::string bank = path("b.bank");
    ASSERT_EQ(run({"bank", "save", BRILLIANTEER_PATH, bank}).exitCode, 0);
    std::vector<unsigned char> bytes = readBytes(bank);
    const unsigned char hostile[] = {0x1B, '[', '2', 'J', 0xFF, 0};
    std::memcpy(&bytes[48], hostile, sizeof hostile);       // program 0's name
    const unsigned char huge[] = {0x71, 0x49, 0xF2, 0xCA};  // 1e30, big-endian
    std::memcpy(&bytes[112], huge, sizeof huge);            // program 1, InGain
    std::ofstream(bank, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    const Result result = run({"bank", "show", bank});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.find('\x1B'), std::string::npos);
    EXPECT_NE(result.out.find("\\x1B[2J\\xFF"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("1e+30!"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("1 stored value marked !"), std::string::npos) << result.out;
}

}  // namespace
