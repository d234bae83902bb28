#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/LiveEditor.h"
#include "tests/support/XvfbSession.h"

// `plxhost editor --window` used by a person: the real pointer and keyboard of an X server of
// the test's own, moved with XTest, and what plxhost prints as it happens.
namespace {

using live_editor::editorHeight;
using live_editor::editorWidth;
using live_editor::headlessRender;

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
    live_editor::expectRisingValuesInABracket(plxhost.output(), "2nd", 3);

    x.click(window, 26, 64);
    ASSERT_TRUE(plxhost.waitFor("set        Solo     1.000000")) << plxhost.output();

    // Forward steps Freq down from 3000 Hz, backward steps it up again.
    x.turnWheel(window, 120, 32, 1);
    ASSERT_TRUE(plxhost.waitFor("set        Freq     0.166667")) << plxhost.output();
    x.turnWheel(window, 120, 32, -2);
    ASSERT_TRUE(plxhost.waitFor("set        Freq     0.500000")) << plxhost.output();

    x.click(window, 44, 208);
    x.type("-3,5\n");
    ASSERT_TRUE(plxhost.waitFor("set        InGain   0.634615")) << plxhost.output();

    x.pause(200);
    const std::vector<std::uint32_t> shown = x.readWindow(window, editorWidth, editorHeight);
    const std::vector<std::uint32_t> rendered = headlessRender([](EditorDisplay& display) {
        display.drag(120, 150, 120, 110);
        display.click(26, 64);
        display.wheel(120, 32, 1.0f);
        display.wheel(120, 32, -1.0f);
        display.wheel(120, 32, -1.0f);
        display.click(44, 208);
        for (const char* c : {"-", "3", ",", "5"}) display.key(BRL_DISPLAY_KEY_TEXT, c);
        display.key(BRL_DISPLAY_KEY_ENTER);
    });
    EXPECT_EQ(live_editor::firstDifference(shown, rendered, "plxhost_window"), "")
        << plxhost.output();

    x.closeWindow(window);
    EXPECT_EQ(plxhost.wait(), 0);
    EXPECT_NE(plxhost.output().find("closed"), std::string::npos) << plxhost.output();
}

}  // namespace
