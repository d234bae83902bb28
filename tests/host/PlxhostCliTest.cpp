#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "tests/host/CliFixture.h"

namespace {

// plxhost against GainProbeModule, a small independent plug-in of the interface whose output is
// known exactly: the input times the Level gain plus Square times its square, delayed 12 samples
// at 44100 Hz.
class PlxhostCliTest : public CliFixture {
protected:
    const std::string probe = GAIN_PROBE_PATH;

    // A stereo float input file in the scratch directory.
    std::string writeInput(const std::string& name = "in.wav", std::size_t frames = 5000,
                           int rate = 44100, int channels = 2) {
        const std::string file = path(name);
        writeAudio(file, testSignal(rate, frames, channels));
        return file;
    }

    // Runs a failing command and checks what every failure promises: the exit code, exactly one
    // line on stderr holding `message`, and no new file in the scratch directory.
    void expectFailure(const std::vector<std::string>& arguments, int exitCode,
                       const std::string& message) {
        const std::vector<std::string> before = entries();
        const Result result = run(arguments);
        EXPECT_EQ(result.exitCode, exitCode) << result.err;
        EXPECT_EQ(lineCount(result.err), 1) << result.err;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_EQ(entries(), before) << "a failed command left files behind";
    }
};

TEST_F(PlxhostCliTest, InfoShowsRecordParametersWithRangesProgramsAndLatencies) {
    const Result result = run({"info", probe, "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string& json = result.out;
    for (const char* expected :
         {"\"pluginId\": \"GnPb\"", "\"pluginVersion\": 3", "\"vendor\": \"Test Bench\"",
          "\"category\": 7", "\"interfaceVersion\": 2200", "\"flags\": 56", "\"name\": \"Unity\"",
          "\"name\": \"Quiet\"", "\"name\": \"Loud\"", "\"name\": \"Level\"", "\"unit\": \"dB\"",
          "\"minimum\": -24", "\"maximum\": 12", "\"name\": \"Cutoff\"", "\"minimum\": 100",
          "\"maximum\": 20000", "\"sampleRate\": 44100,\n      \"latency\": 12",
          "\"sampleRate\": 96000,\n      \"latency\": 24"}) {
        EXPECT_NE(json.find(expected), std::string::npos) << "missing " << expected << "\n" << json;
    }
    // Mode shows words, so it has no numeric range.
    EXPECT_NE(json.find("\"display\": \"soft\",\n      \"normalized\": 0,\n      \"minimum\": "
                        "null,\n      \"maximum\": null"),
              std::string::npos)
        << json;

    const Result text = run({"info", probe});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("12 samples at 44100 Hz"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("-24 .. 12"), std::string::npos) << text.out;
}

TEST_F(PlxhostCliTest, CompensatedProcessingAtUnityReturnsTheInputExactly) {
    const std::string in = writeInput();
    const std::string out = path("out.wav");
    const Result result =
        run({"process", probe, in, out, "--set", "Level=0", "--compensate-latency"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const Audio input = readAudio(in);
    const Audio output = readAudio(out);
    ASSERT_EQ(output.channels.size(), 2u);
    ASSERT_EQ(output.frames(), input.frames());
    for (int c = 0; c < 2; ++c) {
        for (std::size_t i = 0; i < input.frames(); ++i) {
            ASSERT_EQ(output.channels[c][i], input.channels[c][i])
                << "channel " << c << " frame " << i;
        }
    }
}

TEST_F(PlxhostCliTest, WithoutCompensationTheOutputIsDelayedByTheLatency) {
    const std::string in = writeInput();
    const std::string out = path("out.wav");
    ASSERT_EQ(run({"process", probe, in, out, "--set", "Level=0", "--block", "100"}).exitCode, 0);
    const Audio input = readAudio(in);
    const Audio output = readAudio(out);
    ASSERT_EQ(output.frames(), input.frames());
    for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(output.channels[0][i], 0.0f);
    for (std::size_t i = 12; i < input.frames(); ++i) {
        ASSERT_EQ(output.channels[1][i], input.channels[1][i - 12]) << "frame " << i;
    }
}

TEST_F(PlxhostCliTest, AccumulatingAndReplacingCallsGiveTheSameFile) {
    const std::string in = writeInput();
    ASSERT_EQ(run({"process", probe, in, path("replace.wav"), "--mode", "replace", "--set",
                   "Level=-6", "--set", "Square=50"})
                  .exitCode,
              0);
    ASSERT_EQ(run({"process", probe, in, path("add.wav"), "--mode", "add", "--set", "Level=-6",
                   "--set", "Square=50"})
                  .exitCode,
              0);
    const Audio replaced = readAudio(path("replace.wav"));
    const Audio added = readAudio(path("add.wav"));
    EXPECT_EQ(replaced.channels, added.channels);
}

TEST_F(PlxhostCliTest, PlainValuesAreConvertedThroughTheParameterRange) {
    const std::string in = writeInput();
    const std::string out = path("out.wav");
    ASSERT_EQ(
        run({"process", probe, in, out, "--set", "Level=-6", "--compensate-latency"}).exitCode, 0);
    const Audio input = readAudio(in);
    const Audio output = readAudio(out);
    const float gain = std::pow(10.0f, -6.0f / 20.0f);
    for (std::size_t i = 0; i < input.frames(); ++i) {
        ASSERT_NEAR(output.channels[0][i], gain * input.channels[0][i], 1e-6f) << "frame " << i;
    }
}

TEST_F(PlxhostCliTest, AValueBetweenStepsIsSetToTheNearestWithANote) {
    const std::string in = writeInput();
    const Result result = run({"process", probe, in, path("out.wav"), "--set", "Level=-6.04"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("Level=-6.04 is not a value the plug-in offers; set to -6 dB"),
              std::string::npos)
        << result.err;
}

TEST_F(PlxhostCliTest, ANonLinearDisplayIsInvertedByBisection) {
    const std::string bank = path("bank.bin");
    const Result result = run({"bank", "save", probe, bank, "--set", "Cutoff=1000"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Result shown = run({"bank", "show", bank, "--plugin", probe});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    // Cutoff is 100 * 200^n; the value shown for program 0 must be within the tolerance.
    std::istringstream lines(shown.out);
    std::string line;
    bool found = false;
    while (std::getline(lines, line)) {
        if (line.rfind("0 ", 0) != 0) continue;
        std::istringstream cells(line);
        std::string number, name, level, square, cutoff;
        cells >> number >> name >> level >> square >> cutoff;
        EXPECT_EQ(name, "Unity");
        EXPECT_NEAR(std::stod(cutoff), 1000.0, 2.0) << line;
        found = true;
    }
    EXPECT_TRUE(found) << shown.out;
}

TEST_F(PlxhostCliTest, ABankSavedAndLoadedAgainGivesTheSameParameters) {
    const std::string first = path("first.bank");
    const std::string second = path("second.bank");
    ASSERT_EQ(run({"bank", "save", probe, first, "--program", "1", "--set", "Level=3", "--set",
                   "Square=25"})
                  .exitCode,
              0);
    ASSERT_EQ(readBytes(first).size(), 96u);
    // Loading the bank into a new instance and saving it again changes nothing.
    ASSERT_EQ(run({"bank", "save", probe, second, "--bank", first}).exitCode, 0);
    EXPECT_EQ(readBytes(first), readBytes(second));

    const Result shown = run({"bank", "show", first, "--plugin", probe});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("1  Quiet  3.000  25.000"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("0  Unity  0.000   0.000"), std::string::npos) << shown.out;

    // Processing with the bank and its program applies the saved values.
    const std::string in = writeInput();
    const std::string out = path("out.wav");
    ASSERT_EQ(
        run({"process", probe, in, out, "--bank", first, "--program", "1", "--compensate-latency"})
            .exitCode,
        0);
    const Audio input = readAudio(in);
    const Audio output = readAudio(out);
    const float gain = std::pow(10.0f, 3.0f / 20.0f);
    for (std::size_t i = 0; i < input.frames(); ++i) {
        const float x = input.channels[0][i];
        ASSERT_NEAR(output.channels[0][i], gain * (x + 0.25f * x * x), 1e-6f) << "frame " << i;
    }
}

TEST_F(PlxhostCliTest, AMonoFileFeedsBothInputsAndGivesAMonoFile) {
    const std::string in = writeInput("mono.wav", 3000, 44100, 1);
    const std::string out = path("out.flac");
    ASSERT_EQ(run({"process", probe, in, out, "--compensate-latency", "--bits", "24"}).exitCode, 0);
    const Audio input = readAudio(in);
    const Audio output = readAudio(out);
    ASSERT_EQ(output.channels.size(), 1u);
    ASSERT_EQ(output.frames(), input.frames());
    for (std::size_t i = 0; i < input.frames(); ++i) {
        ASSERT_NEAR(output.channels[0][i], input.channels[0][i], 1.0f / 8388608.0f) << i;
    }
}

TEST_F(PlxhostCliTest, IntegerFilesRoundTripUnchanged) {
    const std::string in = path("in16.wav");
    writeAudio(in, testSignal(48000, 4000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::string out = path("out16.wav");
    ASSERT_EQ(run({"process", probe, in, out, "--compensate-latency"}).exitCode, 0);
    EXPECT_EQ(readAudio(out).channels, readAudio(in).channels);
    SF_INFO info = {};
    SNDFILE* sound = sf_open(out.c_str(), SFM_READ, &info);
    ASSERT_NE(sound, nullptr);
    sf_close(sound);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
    EXPECT_EQ(info.samplerate, 48000);
}

TEST_F(PlxhostCliTest, ARateOutsideTheSupportedOnesWarnsOnceAndProcesses) {
    const std::string in = writeInput("slow.wav", 2000, 22050);
    const Result result = run({"process", probe, in, path("out.wav")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(lineCount(result.err), 1) << result.err;
    EXPECT_NE(result.err.find("warning: " + in + " is at 22050 Hz"), std::string::npos)
        << result.err;
    EXPECT_EQ(readAudio(path("out.wav")).sampleRate, 22050);
}

TEST_F(PlxhostCliTest, ClippedIntegerSamplesAreCountedInAWarning) {
    const std::string in = writeInput();
    const Result result =
        run({"process", probe, in, path("out.wav"), "--set", "Level=12", "--bits", "16"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("samples clipped"), std::string::npos) << result.err;
}

TEST_F(PlxhostCliTest, AnalyzeMeasuresAFlatResponseAndTheSquaredSinesSecondHarmonic) {
    const std::string out = path("analysis");
    const Result result = run({"analyze", probe, "--set", "Level=0", "--set", "Square=100", "--out",
                               out, "--sine-dbfs", "-12"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // No parameter is called 2nd or 3rd here, so Square stays on for the response: a sine of
    // amplitude A gains a second harmonic of amplitude A^2 / 2, an impulse of 0.5 gains 0.25.
    std::istringstream response(readText(out + "/response.csv"));
    std::string line;
    std::getline(response, line);
    EXPECT_EQ(line, "frequency_hz,magnitude_db,phase_deg");
    int points = 0;
    const double expectedDb = 20.0 * std::log10(1.5);
    while (std::getline(response, line)) {
        double frequency, magnitude, phase;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf", &frequency, &magnitude, &phase), 3);
        EXPECT_NEAR(magnitude, expectedDb, 0.01) << line;
        EXPECT_NEAR(phase, 0.0, 0.01) << "latency was not removed: " << line;
        ++points;
    }
    EXPECT_GT(points, 200);

    std::istringstream harmonics(readText(out + "/harmonics.csv"));
    std::getline(harmonics, line);
    double levels[4] = {};
    for (int order = 1; order <= 3 && std::getline(harmonics, line); ++order) {
        int parsedOrder;
        double frequency, level, relative;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d,%lf,%lf,%lf", &parsedOrder, &frequency, &level,
                              &relative),
                  4);
        EXPECT_EQ(parsedOrder, order);
        EXPECT_NEAR(frequency, 3000.0 * order, 1.0);
        levels[order] = level;
    }
    const double amplitude = std::pow(10.0, -12.0 / 20.0);
    EXPECT_NEAR(levels[1], -12.0, 0.05);
    EXPECT_NEAR(levels[2], 20.0 * std::log10(amplitude * amplitude / 2.0), 0.05);
    EXPECT_LT(levels[3], -120.0);

    for (const char* picture : {"/response.png", "/spectrum.png"}) {
        const std::vector<unsigned char> png = readBytes(out + picture);
        ASSERT_GT(png.size(), 10000u) << picture;
        EXPECT_EQ(std::memcmp(png.data(), "\x89PNG", 4), 0) << picture;
    }
    EXPECT_NE(result.out.find("response"), std::string::npos);
}

TEST_F(PlxhostCliTest, BenchReportsTheRealTimeFactor) {
    const Result result = run({"bench", probe, "--seconds", "1", "--block", "256"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("1.0 s stereo at 44100 Hz, 173 calls of 256 frames"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("faster than real time"), std::string::npos) << result.out;
}

TEST_F(PlxhostCliTest, SynthWritesAStereoPieceOfTheAskedLengthAndLevel) {
    const std::string out = path("piece.wav");
    ASSERT_EQ(run({"synth", out, "--seconds", "3", "--rate", "48000"}).exitCode, 0);
    const Audio piece = readAudio(out);
    ASSERT_EQ(piece.channels.size(), 2u);
    EXPECT_EQ(piece.frames(), 144000u);
    float peak = 0.0f;
    for (const auto& channel : piece.channels) {
        for (float sample : channel) peak = std::max(peak, std::fabs(sample));
    }
    EXPECT_NEAR(peak, 0.5f, 1e-3f);
    EXPECT_NE(piece.channels[0], piece.channels[1]);
}

TEST_F(PlxhostCliTest, AMissingInputFileIsReported) {
    expectFailure({"process", probe, path("absent.wav"), path("out.wav")}, 4,
                  path("absent.wav") + ": No such file or directory");
}

TEST_F(PlxhostCliTest, AnUnreadableInputIsReported) {
    std::filesystem::create_directory(path("folder.wav"));
    expectFailure({"process", probe, path("folder.wav"), path("out.wav")}, 4, "is a directory");
}

TEST_F(PlxhostCliTest, ACorruptInputFileIsReported) {
    writeText(path("corrupt.wav"), "RIFF\x10\0\0\0WAVEfmt garbage that is no audio at all");
    expectFailure({"process", probe, path("corrupt.wav"), path("out.wav")}, 4,
                  "not an audio file that can be read");
}

TEST_F(PlxhostCliTest, AnInputOfAnUnknownFormatIsReported) {
    writeText(path("notes.txt"), "just some words\n");
    expectFailure({"process", probe, path("notes.txt"), path("out.wav")}, 4,
                  "not an audio file that can be read");
}

TEST_F(PlxhostCliTest, AnOutputFormatNotWrittenIsReported) {
    const std::string in = writeInput();
    expectFailure({"process", probe, in, path("out.xyz")}, 2, "unsupported output format .xyz");
}

TEST_F(PlxhostCliTest, APluginPathThatDoesNotExistIsReported) {
    const std::string in = writeInput();
    expectFailure({"process", path("none.so"), in, path("out.wav")}, 3, "no such file");
}

TEST_F(PlxhostCliTest, AFileThatIsNoLibraryIsReported) {
    const std::string in = writeInput();
    writeText(path("fake.so"), "not a shared object");
    expectFailure({"process", path("fake.so"), in, path("out.wav")}, 3, "cannot load plug-in");
}

TEST_F(PlxhostCliTest, ALibraryWithoutMainIsReported) {
    const std::string in = writeInput();
    expectFailure({"process", NO_MAIN_PATH, in, path("out.wav")}, 3,
                  "exports no function named main");
}

TEST_F(PlxhostCliTest, AMainThatAnswersNullIsReported) {
    const std::string in = writeInput();
    expectFailure({"info", NULL_MAIN_PATH}, 3, "main returned no plug-in");
    expectFailure({"process", NULL_MAIN_PATH, in, path("out.wav")}, 3, "main returned no plug-in");
}

TEST_F(PlxhostCliTest, AnUnknownParameterNameListsTheValidNames) {
    const std::string in = writeInput();
    expectFailure({"process", probe, in, path("out.wav"), "--set", "Gain=3"}, 5,
                  "unknown parameter 'Gain'; valid names: Level, Square, Cutoff, Mode");
}

TEST_F(PlxhostCliTest, AValueOutsideTheRangeGivesTheRange) {
    const std::string in = writeInput();
    expectFailure({"process", probe, in, path("out.wav"), "--set", "Level=20"}, 5,
                  "Level=20 is outside its range -24 to 12 dB");
    expectFailure({"bank", "save", probe, path("b.bank"), "--set", "Cutoff=50"}, 5,
                  "Cutoff=50 is outside its range 100 to 20000 Hz");
}

TEST_F(PlxhostCliTest, AParameterThatShowsNoNumberCannotBeSetByValue) {
    const std::string in = writeInput();
    expectFailure({"process", probe, in, path("out.wav"), "--set", "Mode=1"}, 5,
                  "Mode shows no numeric range");
}

TEST_F(PlxhostCliTest, AMalformedAssignmentOrProgramIsReported) {
    const std::string in = writeInput();
    expectFailure({"process", probe, in, path("out.wav"), "--set", "Level"}, 5,
                  "expected NAME=VALUE");
    expectFailure({"process", probe, in, path("out.wav"), "--set", "Level=loud"}, 5,
                  "Level=loud: not a number");
    expectFailure({"process", probe, in, path("out.wav"), "--program", "3"}, 5,
                  "program 3 does not exist; the plug-in has 3 programs (0 to 2)");
}

TEST_F(PlxhostCliTest, ABankFileOfTheWrongSizeIsReported) {
    const std::string in = writeInput();
    writeText(path("short.bank"), "0123456789");
    expectFailure({"process", probe, in, path("out.wav"), "--bank", path("short.bank")}, 5,
                  "is 10 bytes; a bank of this plug-in is 96 bytes");
    expectFailure({"bank", "show", path("short.bank")}, 5, "is 10 bytes; a bank is 1120 bytes");
}

TEST_F(PlxhostCliTest, AFailedRunLeavesAnExistingOutputAsItWas) {
    const std::string in = writeInput();
    writeText(path("out.wav"), "earlier result");
    expectFailure({"process", probe, in, path("out.wav"), "--set", "Level=99"}, 5,
                  "outside its range");
    EXPECT_EQ(readText(path("out.wav")), "earlier result");
}

TEST_F(PlxhostCliTest, ABadCommandLineIsAUsageError) {
    const std::string in = writeInput();
    expectFailure({"process", probe, in, path("out.wav"), "--block", "0"}, 2, "--block");
    expectFailure({"process", probe, in}, 2, "OUT is required");
    expectFailure({"frobnicate"}, 2, "unknown subcommand 'frobnicate'");
}

}  // namespace

namespace {

TEST_F(PlxhostCliTest, TheEditorCommandSaysWhenAPlugInHasNoEditor) {
    const Result result = run({"editor", probe, path("editor.png")});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_NE(result.err.find("has no editor"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(path("editor.png")));
}

}  // namespace
