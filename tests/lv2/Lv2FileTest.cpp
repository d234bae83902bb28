#include <cstdlib>

#include "tests/host/CliFixture.h"

namespace {

using Lv2FileTest = CliFixture;

// lv2file, a host we did not write, finds the bundle and runs it on a file; plxhost runs the
// plug-in loaded through `main` with the same settings and pieces, and the samples agree.
TEST_F(Lv2FileTest, Lv2fileProcessesAStereoFileAsPlxhostDoesThroughMain) {
    setenv("LV2_PATH", BRL_LV2_BUNDLE_PARENT, 1);
    writeAudio(path("in.wav"), testSignal(48000, 30000));
    const Result lv2 =
        runProgram("lv2file", {"-b", "512", "-i", path("in.wav"), "-o", path("lv2.wav"), "-p",
                               "second:70", "-p", "freq:5000", "-p", "in_gain:-3", "-p", "kick:1",
                               "urn:quillmere:brillianteer"});
    ASSERT_EQ(lv2.exitCode, 0) << lv2.err;
    const Result plx =
        run({"process", BRL_PLUGIN_PATH, path("in.wav"), path("plx.wav"), "--block", "512", "--set",
             "2nd=70", "--set", "Freq=5000", "--set", "InGain=-3", "--set", "Kick=on"});
    ASSERT_EQ(plx.exitCode, 0) << plx.err;

    const Audio fromLv2 = readAudio(path("lv2.wav"));
    const Audio fromMain = readAudio(path("plx.wav"));
    ASSERT_EQ(fromLv2.channels.size(), 2u);
    ASSERT_EQ(fromLv2.frames(), 30000u);
    EXPECT_EQ(fromLv2.sampleRate, 48000);
    EXPECT_EQ(fromLv2.channels, fromMain.channels);
    EXPECT_NE(fromLv2.channels, readAudio(path("in.wav")).channels);
}

}  // namespace
