#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "gui/HostedEditor.h"
#include "gui/controls/VerticalFader.h"
#include "params/ParameterSet.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"
#include "shell/EffectBaseEx.h"
#include "tests/gui/controls/EditBracketHost.h"
#include "tests/support/HostWindowTest.h"

// The fader's gestures in an open editor, driven by the headless script: the host's edit
// requests and the values the editor hears go into one log, in the order they happen.
namespace {

namespace headless = platform::headless;
using platform::Key;
using Log = std::vector<std::string>;

Log& events = edit_brackets::events;
int liveFaders = 0;

std::string describe(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

using edit_brackets::TestEffect;

class CountedFader : public VerticalFader {
public:
    template <typename... Args>
    explicit CountedFader(Args... args) : VerticalFader(args...) {
        ++liveFaders;
    }

protected:
    ~CountedFader() override { --liveFaders; }
};

// Lays out one fader as the plug-in's editor lays out its Input fader, and, like it, redraws
// a control as soon as it reports a change.
class FaderEditor : public HostedEditor {
public:
    FaderEditor(EffectBaseEx* effect, ParameterSet* parameters) : HostedEditor(effect, parameters) {
        rect = {0, 0, 260, 330};
        bitmaps.load(1001, 10, 1001);
    }

    std::int32_t open(void* parent) override {
        HostedEditor::open(parent);
        frame = new Frame({0, 0, 330, 260}, parent, this);
        fader = new CountedFader(Rect{38, 93, 50, 198}, this, 1, 93, 183, bitmaps.get(1010),
                                 bitmaps.get(1001), Point{38, 93}, VerticalFader::styleMinAtBottom);
        frame->addView(fader);
        isOpen = true;
        return 1;
    }

    void valueChanged(DrawContext* context, Control* control) override {
        events.push_back(describe(control->getValue()));
        control->update(context);
        if (afterChange) afterChange(events.back());
    }

    VerticalFader* fader = nullptr;
    // Runs after each reported change, with the value as logged: the user's reaction to it.
    std::function<void(const std::string&)> afterChange;
};

class VerticalFaderGestureTest : public HostWindowTest {
protected:
    static constexpr std::uint32_t mouseReadCost = 5;

    void SetUp() override {
        HostWindowTest::SetUp();
        edit_brackets::reset();
        editor = new FaderEditor(&effect, &parameters);
        openEditor(editor);
        fader = editor->fader;
        // Every poll of the mouse in a drag takes a few milliseconds, so scheduled moves and
        // the release happen while the fader tracks.
        headless::setMouseReadCost(mouseReadCost);
    }

    void TearDown() override {
        editor->close();
        EXPECT_EQ(liveFaders, 0);
        EXPECT_EQ(editor->getBitmaps().get(1001)->referenceCount(), 1);
        EXPECT_EQ(editor->getBitmaps().get(1010)->referenceCount(), 1);
        HostWindowTest::TearDown();
        recording_host::reset();
    }

    // The fader shows value, so only a change from it is news.
    void settle(float value) {
        fader->setValue(value);
        editor->getFrame()->drawView(fader);
        events.clear();
    }

    // Times are milliseconds after the press; positions are window pixels.
    void moveAt(std::uint32_t ms, int y, int x = 44) {
        headless::schedule(platform::tickCount() + ms,
                           [x, y] { headless::setMousePosition(hostLeft + x, hostTop + y); });
    }
    void keyAt(std::uint32_t ms, Key key, bool down) {
        headless::schedule(platform::tickCount() + ms,
                           [key, down] { headless::setKeyDown(key, down); });
    }

    // Holds the keys, presses at (x, y) and runs the drag that follows to the release, which
    // comes after releaseMs.
    void press(int y, std::uint32_t releaseMs = 1, std::initializer_list<Key> held = {}, int x = 44,
               Key button = Key::leftButton) {
        keyAt(releaseMs, button, false);
        for (Key key : held) headless::setKeyDown(key, true);
        headless::pressMouse(window, x, y, button);
        // A click without a drag leaves its release pending: drop it with the held keys.
        headless::resetInput();
        headless::setMouseReadCost(mouseReadCost);
    }

    ParameterSet parameters{2};
    TestEffect effect;
    FaderEditor* editor = nullptr;  // owned by the effect
    VerticalFader* fader = nullptr;
};

TEST_F(VerticalFaderGestureTest, AClickOnTheTrackPutsTheHandlesCentreUnderTheMouse) {
    const struct {
        int y;
        const char* value;
        int handleTop;
    } clicks[] = {{99, "1.0000", 93}, {144, "0.5000", 138}, {189, "0.0000", 183}};
    for (const auto& click : clicks) {
        settle(0.3f);
        press(click.y);
        EXPECT_EQ(events, (Log{"begin 1", click.value, "end 1"})) << "click at " << click.y;
        EXPECT_EQ(fader->getHandlePos(), click.handleTop);
    }
}

TEST_F(VerticalFaderGestureTest, ADragFollowsTheMouseAndReportsEachNewValueOnce) {
    settle(0.0f);
    moveAt(50, 126);
    moveAt(100, 108);
    moveAt(150, 108);
    moveAt(200, 117);
    press(144, 250);
    EXPECT_EQ(events, (Log{"begin 1", "0.5000", "0.7000", "0.9000", "0.8000", "end 1"}));
    EXPECT_FALSE(fader->isDirty());
}

TEST_F(VerticalFaderGestureTest, DraggingBeyondTheTrackClampsAndBesideItStillTracks) {
    settle(0.0f);
    moveAt(50, 10);
    moveAt(100, 250);
    moveAt(150, 144, 300);
    press(144, 200);
    EXPECT_EQ(events, (Log{"begin 1", "0.5000", "1.0000", "0.0000", "0.5000", "end 1"}));
}

TEST_F(VerticalFaderGestureTest, WithShiftNinetyPixelsOfTravelMoveTheValueByATenth) {
    settle(0.5f);
    moveAt(50, 99);
    moveAt(100, 54);
    moveAt(150, 234);
    press(144, 200, {Key::shift});
    EXPECT_EQ(events, (Log{"begin 1", "0.5500", "0.6000", "0.4000", "end 1"}))
        << "the fine step is scaled before it is clamped";
    EXPECT_NEAR(fader->getValue(), 0.4f, 1e-6f);
}

TEST_F(VerticalFaderGestureTest, ShiftPressedMidDragScalesFromTheValueOfThatMoment) {
    settle(0.0f);
    moveAt(50, 126);
    // Shift goes down on the very next poll after the move, before the mouse moves again.
    editor->afterChange = [](const std::string& value) {
        if (value == "0.7000") headless::setKeyDown(Key::shift, true);
    };
    moveAt(150, 36);
    moveAt(200, 81);
    keyAt(250, Key::shift, false);
    moveAt(300, 117);
    keyAt(350, Key::shift, true);
    moveAt(400, 27);
    press(144, 450);
    EXPECT_EQ(events, (Log{"begin 1", "0.5000", "0.7000", "0.8000", "0.7500", "1.0000", "0.8000",
                           "0.9000", "end 1"}))
        << "Shift up jumps back to the mouse; Shift down again starts from the value then";
}

TEST_F(VerticalFaderGestureTest, ControlClickResetsToTheDefaultWithoutAnEditBracket) {
    fader->setDefaultValue(0.25f);
    settle(0.8f);
    press(144, 1, {Key::control});
    EXPECT_EQ(events, Log{"0.2500"});
    press(144, 1, {Key::control});
    EXPECT_EQ(events, Log{"0.2500"}) << "already at the default";
}

TEST_F(VerticalFaderGestureTest, ControlShiftClickIsAFineDragNotAReset) {
    settle(0.5f);
    press(99, 1, {Key::control, Key::shift});
    EXPECT_EQ(events, (Log{"begin 1", "0.5500", "end 1"}));
}

TEST_F(VerticalFaderGestureTest, ARightOrMiddleClickDoesNothing) {
    settle(0.5f);
    press(99, 1, {}, 44, Key::rightButton);
    press(99, 1, {}, 44, Key::middleButton);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(fader->getValue(), 0.5f);
}

TEST_F(VerticalFaderGestureTest, WithoutJumpToClickOnlyTheHandleStartsADragThatKeepsItsGrip) {
    fader->setJumpToClick(false);
    settle(0.5f);
    ASSERT_EQ(fader->getHandlePos(), 138);
    press(137);
    press(154);
    EXPECT_TRUE(events.empty()) << "just above and just below the handle";

    press(153, 1, {}, 50);
    EXPECT_EQ(events, (Log{"begin 1", "end 1"})) << "the handle's far edges still hold it";

    events.clear();
    moveAt(50, 98);
    press(143, 100);
    EXPECT_EQ(events, (Log{"begin 1", "1.0000", "end 1"})) << "45 pixels up from the middle";
}

TEST_F(VerticalFaderGestureTest, TheWheelStepsByATenthOrWithShiftAHundredthAndNeverBrackets) {
    headless::setMousePosition(hostLeft + 44, hostTop + 144);
    settle(0.5f);
    EXPECT_TRUE(editor->onWheel(1.0f));
    EXPECT_TRUE(editor->onWheel(-2.0f));
    headless::setKeyDown(Key::shift, true);
    EXPECT_TRUE(editor->onWheel(1.0f));
    headless::setKeyDown(Key::shift, false);
    EXPECT_EQ(events, (Log{"0.6000", "0.4000", "0.4100"}));

    settle(1.0f);
    EXPECT_TRUE(editor->onWheel(1.0f));
    EXPECT_TRUE(events.empty()) << "a notch beyond the top changes nothing";
    EXPECT_EQ(fader->getValue(), 1.0f);

    fader->setMouseEnabled(false);
    EXPECT_FALSE(editor->onWheel(-1.0f));
    EXPECT_EQ(fader->getValue(), 1.0f);
}

TEST_F(VerticalFaderGestureTest, NoGestureGivesTheFaderAValueThatIsNotANumber) {
    auto* flat =
        new CountedFader(Rect{100, 93, 112, 198}, editor, 2, 93, 93, editor->getBitmaps().get(1010),
                         nullptr, Point{}, VerticalFader::styleMinAtBottom);
    editor->getFrame()->addView(flat);
    flat->setValue(0.3f);
    flat->setDirty(false);
    press(99, 1, {}, 106);
    EXPECT_EQ(flat->getValue(), 0.3f) << "no travel: the grab point itself means nothing";
    press(150, 1, {}, 106);
    EXPECT_EQ(flat->getValue(), 0.0f) << "below the grab point is the bottom";

    fader->setFineFactor(0.0f);
    settle(0.5f);
    moveAt(50, 99);
    press(144, 100, {Key::shift});
    EXPECT_EQ(events, (Log{"begin 1", "1.0000", "end 1"}));

    headless::setMousePosition(hostLeft + 44, hostTop + 144);
    EXPECT_TRUE(editor->onWheel(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(fader->getValue(), 1.0f);
    EXPECT_TRUE(editor->onWheel(-std::numeric_limits<float>::infinity()));
    EXPECT_EQ(fader->getValue(), 0.0f);
}

}  // namespace
