#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "tests/support/HeadlessEditorRender.h"
#include "tests/support/XvfbSession.h"

// The bundle in a real host: Debian's jalv, on a JACK server of the test's own running its dummy
// driver, shows the interface under an X server of the test's own. The screen is saved as
// jalv_screen.png to be looked at.
namespace {

constexpr int editorWidth = 330;
constexpr int editorHeight = 260;

TEST(JalvSmokeTest, JalvShowsTheEditorInItsWindowAndClosesCleanly) {
    XvfbSession x;
    ASSERT_TRUE(x.isRunning()) << "Xvfb with XTest is needed";
    const std::string server = "brillianteer-" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    setenv("LV2_PATH", (std::string(BRL_LV2_BUNDLE_PARENT) + ":/usr/lib/lv2").c_str(), 1);
    ChildProcess jackd(
        {"jackd", "--no-realtime", "-n", server, "-d", "dummy", "-r", "44100", "-p", "512"});
    // jalv gives up when the server is not up yet: start it again until it stays.
    std::unique_ptr<ChildProcess> jalv;
    unsigned long top = 0;
    for (int attempt = 0; attempt < 10 && !top; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        jalv = std::make_unique<ChildProcess>(
            std::vector<std::string>{"jalv.gtk3", "urn:quillmere:brillianteer"});
        for (int waited = 0; !top && waited < 15000 && jalv->wait(0) < 0; waited += 200)
            top = x.findWindow("Brillianteer", 200);
    }
    ASSERT_NE(top, 0u) << jalv->output();

    // Silence on the dummy driver: the editor as the headless display draws it at the defaults.
    const std::vector<std::uint32_t> expected = headlessEditorRender(BRL_PLUGIN_PATH, {});
    std::string difference = "no window of the editor's size";
    for (int attempt = 0; attempt < 50 && !difference.empty(); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (const unsigned long editor = x.findWindowOfSize(editorWidth, editorHeight)) {
            difference =
                XvfbSession::firstDifference(x.readWindow(editor, editorWidth, editorHeight),
                                             expected, editorWidth, editorHeight, "jalv_editor");
        }
    }
    EXPECT_EQ(difference, "");
    EXPECT_TRUE(x.writePng(x.rootWindow(), 640, 400, "jalv_screen.png"));

    x.closeWindow(top);
    EXPECT_EQ(jalv->wait(10000), 0) << jalv->output();
    jackd.terminate();
}

}  // namespace
