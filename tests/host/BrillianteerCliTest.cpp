#include <cmath>
#include <cstdio>
#include <sstream>

#include "tests/host/CliFixture.h"

namespace {

// plxhost with the exciter itself, through its `main`.
class BrillianteerCliTest : public CliFixture {
protected:
    const std::string plugin = BRILLIANTEER_PATH;

    std::string writeInput(int rate, std::size_t frames, int channels = 2) {
        const std::string file = path("in" + std::to_string(rate) + ".wav");
        writeAudio(file, testSignal(rate, frames, channels));
        return file;
    }

    // The value in `column` (0-based, after the program number and name) of `program`'s row.
    static std::string bankCell(const std::string& table, int program, int column) {
        std::istringstream lines(table);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind(std::to_string(program) + " ", 0) != 0) continue;
            std::istringstream cells(line);
            std::string number, init, index, cell;
            cells >> number >> init >> index;  // "2", "Init", "3"
            for (int c = 0; c <= column && cells >> cell;) ++c;
            return cell;
        }
        return "";
    }
};

TEST_F(BrillianteerCliTest, InfoShowsTheExcitersRecordParametersProgramsAndLatencies) {
    const Result result = run({"info", plugin, "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* expected :
         {"\"pluginId\": \"Brlt\"", "\"vendor\": \"Quillmere\"", "\"category\": 4",
          "\"mono input\"", "\"replacing process\"", "\"programs as chunks\"",
          "\"name\": \"Init 1\"", "\"name\": \"Init 10\"",
          "\"name\": \"InGain\",\n      \"unit\": \"dB\"", "\"minimum\": -20", "\"maximum\": 6",
          "\"name\": \"Freq\",\n      \"unit\": \"Hz\"", "\"minimum\": 1000", "\"maximum\": 7000",
          "\"sampleRate\": 44100,\n      \"latency\": 108",
          "\"sampleRate\": 48000,\n      \"latency\": 115",
          "\"sampleRate\": 88200,\n      \"latency\": 222",
          "\"sampleRate\": 96000,\n      \"latency\": 241"}) {
        EXPECT_NE(result.out.find(expected), std::string::npos) << "missing " << expected << "\n"
                                                                << result.out;
    }
}

TEST_F(BrillianteerCliTest, MixZeroWithCompensatedLatencyReturnsTheInputExactly) {
    for (int rate : {44100, 96000}) {
        const std::string in = writeInput(rate, 20000);
        const std::string out = path("out.wav");
        const Result result =
            run({"process", plugin, in, out, "--set", "Mix=0", "--compensate-latency"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const Audio input = readAudio(in);
        const Audio output = readAudio(out);
        ASSERT_EQ(output.frames(), input.frames());
        ASSERT_EQ(output.channels.size(), 2u);
        for (int c = 0; c < 2; ++c) {
            for (std::size_t i = 0; i < input.frames(); ++i) {
                ASSERT_EQ(output.channels[c][i], input.channels[c][i])
                    << rate << " Hz, channel " << c << ", frame " << i;
            }
        }
    }
}

TEST_F(BrillianteerCliTest, WithoutCompensationTheDryPathArrivesLatencySamplesLate) {
    const std::string in = writeInput(44100, 5000);
    const std::string out = path("out.wav");
    ASSERT_EQ(run({"process", plugin, in, out, "--set", "Mix=0", "--block", "64"}).exitCode, 0);
    const Audio input = readAudio(in);
    const Audio output = readAudio(out);
    for (std::size_t i = 0; i < 108; ++i) ASSERT_EQ(output.channels[0][i], 0.0f) << i;
    for (std::size_t i = 108; i < input.frames(); ++i) {
        ASSERT_EQ(output.channels[0][i], input.channels[0][i - 108]) << "frame " << i;
    }
}

TEST_F(BrillianteerCliTest, InputGainScalesTheDryPath) {
    const std::string in = writeInput(48000, 5000, 1);
    const std::string out = path("out.wav");
    ASSERT_EQ(run({"process", plugin, in, out, "--set", "Mix=0", "--set", "InGain=-6",
                   "--compensate-latency"})
                  .exitCode,
              0);
    const Audio input = readAudio(in);
    const Audio output = readAudio(out);
    ASSERT_EQ(output.channels.size(), 1u);
    const double gain = std::pow(10.0, -6.0 / 20.0);
    for (std::size_t i = 0; i < input.frames(); ++i) {
        ASSERT_NEAR(output.channels[0][i], gain * input.channels[0][i], 1e-6) << "frame " << i;
    }
}

TEST_F(BrillianteerCliTest, ABankSavedAndLoadedAgainGivesTheSameParameters) {
    const std::string first = path("first.bank");
    const std::string second = path("second.bank");
    const Result saved = run({"bank", "save", plugin, first, "--program", "2", "--set", "Freq=5000",
                              "--set", "2nd=70", "--set", "InGain=-3", "--set", "Solo=on"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    ASSERT_EQ(readBytes(first).size(), 1120u);
    ASSERT_EQ(run({"bank", "save", plugin, second, "--bank", first}).exitCode, 0);
    EXPECT_EQ(readBytes(first), readBytes(second));

    const Result shown = run({"bank", "show", first});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    // Columns: InGain Gain 2nd 3rd Mix Solo Kick Freq Density Clip MeterL MeterR.
    EXPECT_EQ(bankCell(shown.out, 2, 0), "-3.0") << shown.out;
    EXPECT_EQ(bankCell(shown.out, 2, 2), "70.0") << shown.out;
    EXPECT_EQ(bankCell(shown.out, 2, 5), "on") << shown.out;
    EXPECT_EQ(bankCell(shown.out, 2, 7), "5000") << shown.out;
    EXPECT_EQ(bankCell(shown.out, 1, 0), "0.0") << shown.out;
    EXPECT_EQ(bankCell(shown.out, 1, 7), "3000") << shown.out;
    EXPECT_NE(shown.out.find("9  Init 10"), std::string::npos) << shown.out;

    const Result through = run({"bank", "show", first, "--plugin", plugin});
    ASSERT_EQ(through.exitCode, 0) << through.err;
    EXPECT_EQ(bankCell(through.out, 2, 0), "-3.00000") << through.out;
    EXPECT_EQ(bankCell(through.out, 2, 7), "5000.000") << through.out;
}

TEST_F(BrillianteerCliTest, HarmonicsAddEnergyAboveTenKilohertzAndTheHighPassedCopyLiftsTheTop) {
    auto energyAbove10kHz = [&](const std::string& second, const std::string& third) {
        const std::string out = path("analysis" + second + third);
        const Result result = run({"analyze", plugin, "--set", "Mix=100", "--set", "2nd=" + second,
                                   "--set", "3rd=" + third, "--out", out, "--no-plots"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const std::string summary = readText(out + "/analysis.json");
        const std::size_t at = summary.find("\"energyAbove10kHzDbfs\": ");
        return at == std::string::npos ? NAN : std::stod(summary.substr(at + 24));
    };
    // A 3 kHz sine at -12 dBFS: the bands and the cube reach above 10 kHz only with 2nd and 3rd on.
    EXPECT_GT(energyAbove10kHz("70", "40"), -120.0);
    EXPECT_LT(energyAbove10kHz("0", "0"), -140.0);

    // The response is measured with 2nd and 3rd at 0: dry plus the high-passed copy, so 0 dB
    // low and +6 dB high, in phase once the latency is removed (the high-pass is linear-phase).
    std::istringstream response(readText(path("analysis7040") + "/response.csv"));
    std::string line;
    std::getline(response, line);
    double low = NAN, high = NAN;
    while (std::getline(response, line)) {
        double frequency, magnitude, phase;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf", &frequency, &magnitude, &phase), 3);
        if (std::isnan(low) && frequency >= 100.0) low = magnitude;
        if (std::isnan(high) && frequency >= 15000.0) high = magnitude;
        if (magnitude > -60.0) {
            EXPECT_NEAR(phase, 0.0, 0.5) << line;
        }
    }
    EXPECT_NEAR(low, 0.0, 0.1);
    EXPECT_NEAR(high, 20.0 * std::log10(2.0), 0.2);
}

}  // namespace

namespace {

TEST_F(BrillianteerCliTest, TheEditorCommandDrawsTheEditorAndListsWhatTheActionsSent) {
    const std::string picture = path("editor.png");
    const Result result = run({"editor", plugin, picture, "--set", "Freq=3000", "--drag",
                               "120,145:120,100", "--click", "112,32"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::ifstream png(picture, std::ios::binary);
    char signature[8] = {};
    png.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    // The drag is one bracket with the 2nd fader's tag; the switch steps Freq down to 2000 Hz.
    const std::size_t begin = result.out.find("begin edit 3");
    const std::size_t set = result.out.find("set        2nd");
    const std::size_t end = result.out.find("end edit   3");
    ASSERT_NE(begin, std::string::npos) << result.out;
    EXPECT_LT(begin, set);
    EXPECT_LT(set, end);
    EXPECT_NE(result.out.find("set        Freq     0.166667"), std::string::npos) << result.out;
    EXPECT_LT(end, result.out.find("begin edit 17")) << "the actions run in their order";

    const std::string bitmap = path("editor.bmp");
    ASSERT_EQ(run({"editor", plugin, bitmap}).exitCode, 0);
    std::ifstream bmp(bitmap, std::ios::binary);
    char header[26] = {};
    bmp.read(header, sizeof header);
    EXPECT_EQ(std::string(header, 2), "BM") << "a .bmp name gives a BMP";
    EXPECT_EQ(static_cast<unsigned char>(header[18]) | static_cast<unsigned char>(header[19]) << 8,
              330);
}

TEST_F(BrillianteerCliTest, TheEditorCommandRefusesBadActionsWithoutLeavingAPicture) {
    const std::string picture = path("editor.png");
    Result result = run({"editor", plugin, picture, "--click", "12;30"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("expected X,Y"), std::string::npos) << result.err;
    result = run({"editor", plugin, picture, "--meters", "3,0"});
    EXPECT_EQ(result.exitCode, 2);
    // A window takes a person's hands, not a script; without a window a picture must be named.
    result = run({"editor", plugin, picture, "--window", "--drag", "1,1:2,2"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("with --window the mouse and keys are yours"), std::string::npos)
        << result.err;
    result = run({"editor", plugin});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("OUT is required"), std::string::npos) << result.err;
    unsetenv("DISPLAY");
    result = run({"editor", plugin, picture, "--window"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("cannot open a window"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(picture));
}

}  // namespace
