#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "tests/support/HeadlessEditorRender.h"
#include "tests/support/PlxhostOutput.h"
#include "tests/support/XvfbSession.h"

// The Windows build's `plxhost.exe editor --window` under Wine, used by a person: the X
// server's real pointer and keys, moved with XTest, reach the controls through Win32, which
// read the mouse and the button state themselves. Run by the test script after each Windows
// build, which names Wine and that build in BRL_WINE, BRL_WINDOWS_PLXHOST and
// BRL_WINDOWS_PLUGIN.
namespace {

constexpr int editorWidth = 330;
constexpr int editorHeight = 260;

// Wine needs seconds to start a program, many more where 32-bit programs run emulated.
constexpr int startMs = 300000;
constexpr int answerMs = 20000;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The plug-in as a Windows program names it: on the drive Wine maps the Linux root to (a
// leading slash would read as an option there).
std::string windowsPath(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return "Z:" + path;
}

// Glyphs are rasterised by each system's own font engine: the shown picture takes the render's
// pixels where text is drawn, so that only the rest is compared.
void leaveOutText(std::vector<std::uint32_t>& shown, const std::vector<std::uint32_t>& rendered) {
    if (shown.size() != rendered.size()) return;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const Point p{static_cast<int>(i % editorWidth), static_cast<int>(i / editorWidth)};
        bool text =
            editor_layout::frequencyField.contains(p) || editor_layout::densityField.contains(p);
        for (const Rect& field : editor_layout::numberFields) text = text || field.contains(p);
        if (text) shown[i] = rendered[i];
    }
}

// A person's click: the button is held a moment, long enough for a control that asks for the
// button's state when it hears of the press.
void holdClick(XvfbSession& x, unsigned long window, int cx, int cy) {
    x.moveTo(window, cx, cy);
    x.press();
    x.pause(150);
    x.release();
    x.pause(100);
}

TEST(PlxhostWineWindowTest,
     APersonsMouseWheelAndKeysChangeTheParametersAndTheWindowShowsTheRender) {
    const std::string wine = environment("BRL_WINE");
    const std::string plxhost = environment("BRL_WINDOWS_PLXHOST");
    const std::string plugin = environment("BRL_WINDOWS_PLUGIN");
    ASSERT_FALSE(wine.empty() || plxhost.empty() || plugin.empty())
        << "name Wine, plxhost.exe and the DLL in BRL_WINE, BRL_WINDOWS_PLXHOST and "
           "BRL_WINDOWS_PLUGIN";
    XvfbSession x;
    ASSERT_TRUE(x.isRunning()) << "Xvfb with XTest is needed";
    ChildProcess host({wine, plxhost, "editor", windowsPath(plugin), "--window"});
    ASSERT_TRUE(host.waitFor("in a window", startMs)) << host.output();
    const unsigned long window = x.findWindow("plxhost editor", answerMs);
    ASSERT_NE(window, 0u);
    x.pause(300);

    // The 2nd fader, dragged up from the middle of its track. The fader reads the pointer
    // between notifications 70 ms apart, so the end is held as long as a person would.
    x.drag(window, 120, 150, 120, 110, 12, 400);
    ASSERT_TRUE(host.waitFor("end edit", answerMs)) << host.output();
    expectRisingValuesInABracket(host.output(), "2nd", 3);

    holdClick(x, window, 81, 67);
    ASSERT_TRUE(host.waitFor("set        Kick     1.000000", answerMs)) << host.output();

    // A notch forward over the Freq switch steps it down from 3000 Hz.
    x.turnWheel(window, 120, 32, 1);
    ASSERT_TRUE(host.waitFor("set        Freq     0.166667", answerMs)) << host.output();

    holdClick(x, window, 44, 208);
    x.type("-3,5\n");
    ASSERT_TRUE(host.waitFor("set        InGain   0.634615", answerMs)) << host.output();

    const std::vector<std::uint32_t> rendered =
        headlessEditorRender(BRILLIANTEER_PATH, {}, [](EditorDisplay& display) {
            display.drag(120, 150, 120, 110);
            display.click(81, 67);
            display.wheel(120, 32, 1.0f);
            display.click(44, 208);
            display.type("-3,5");
            display.enter();
        });
    x.pause(300);
    std::vector<std::uint32_t> shown = x.readWindow(window, editorWidth, editorHeight);
    leaveOutText(shown, rendered);
    EXPECT_EQ(XvfbSession::firstDifference(shown, rendered, editorWidth, editorHeight,
                                           "plxhost_wine_window"),
              "")
        << host.output();

    x.closeWindow(window);
    EXPECT_EQ(host.wait(answerMs), 0) << host.output();
    EXPECT_NE(host.output().find("closed"), std::string::npos) << host.output();
}

}  // namespace
