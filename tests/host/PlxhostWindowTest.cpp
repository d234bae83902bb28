#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/HeadlessEditorRender.h"
#include "tests/support/PlxhostOutput.h"
#include "tests/support/XvfbSession.h"

// `plxhost editor --window` used by a person: the real pointer and keyboard of an X server of
// the test's own, moved with XTest, and what plxhost prints as it happens.
namespace {

constexpr int editorWidth = 330;
constexpr int editorHeight = 260;

TEST(PlxhostWindowTest, APersonsMouseWheelAndKeysChangeTheParametersAndTheWindowShowsTheRender) {
    XvfbSession x;
    ASSERT_TRUE(x.isRunning()) << "Xvfb with XTest is needed";
    ChildProcess plxhost({PLXHOST_PATH, "editor", BRILLIANTEER_PATH, "--window"});
    ASSERT_TRUE(plxhost.waitFor("in a window")) << plxhost.output();
    const unsigned long window = x.findWindow("plxhost editor");
    ASSERT_NE(window, 0u);

    // The 2nd fader, dragged up from the middle of its track.
    x.drag(window, 120, 150, 120, 110);
    ASSERT_TRUE(plxhost.waitFor("end edit")) << plxhost.output();
    expectRisingValuesInABracket(plxhost.output(), "2nd", 3);

    x.click(window, 26, 64);
    ASSERT_TRUE(plxhost.waitFor("set        Solo     1.000000")) << plxhost.output();

    // A notch up over the 3rd fader, then Control-click for its default.
    x.turnWheel(window, 158, 150, 1);
    ASSERT_TRUE(plxhost.waitFor("set        3rd      0.600000")) << plxhost.output();
    x.holdKey("Control_L", true);
    x.click(window, 158, 150);
    x.holdKey("Control_L", false);
    ASSERT_TRUE(plxhost.waitFor("set        3rd      0.500000")) << plxhost.output();

    // Forward steps Freq down from 3000 Hz, backward steps it up again.
    x.turnWheel(window, 120, 32, 1);
    ASSERT_TRUE(plxhost.waitFor("set        Freq     0.166667")) << plxhost.output();
    x.turnWheel(window, 120, 32, -2);
    ASSERT_TRUE(plxhost.waitFor("set        Freq     0.500000")) << plxhost.output();

    x.click(window, 44, 208);
    x.type("-3,5\n");
    ASSERT_TRUE(plxhost.waitFor("set        InGain   0.634615")) << plxhost.output();

    const std::vector<std::uint32_t> rendered =
        headlessEditorRender(BRILLIANTEER_PATH, {}, [](EditorDisplay& display) {
            display.drag(120, 150, 120, 110);
            display.click(26, 64);
            display.wheel(158, 150, 1.0f);
            display.click(158, 150, BRL_DISPLAY_CONTROL);
            display.wheel(120, 32, 1.0f);
            display.wheel(120, 32, -1.0f);
            display.wheel(120, 32, -1.0f);
            display.click(44, 208);
            for (const char* c : {"-", "3", ",", "5"}) display.key(BRL_DISPLAY_KEY_TEXT, c);
            display.key(BRL_DISPLAY_KEY_ENTER);
        });
    // The window shows the last change within a few of plxhost's idle passes, also on a busy
    // machine.
    std::string difference;
    for (int attempt = 0; attempt < 20 && (attempt == 0 || !difference.empty()); ++attempt) {
        x.pause(100);
        difference =
            XvfbSession::firstDifference(x.readWindow(window, editorWidth, editorHeight), rendered,
                                         editorWidth, editorHeight, "plxhost_window");
    }
    EXPECT_EQ(difference, "");

    x.closeWindow(window);
    EXPECT_EQ(plxhost.wait(), 0);
    EXPECT_NE(plxhost.output().find("closed"), std::string::npos) << plxhost.output();
}

}  // namespace
