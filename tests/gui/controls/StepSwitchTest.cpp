#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "gui/HostedEditor.h"
#include "gui/controls/StepSwitch.h"
#include "params/ParameterSet.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"
#include "shell/EffectBaseEx.h"
#include "tests/gui/ArtworkPixels.h"
#include "tests/gui/controls/EditBracketHost.h"
#include "tests/support/HostWindowTest.h"

namespace {

namespace headless = platform::headless;
using platform::Key;
using Events = std::vector<std::string>;

constexpr Rect frequencyPlace = editor_layout::frequencySwitch;
constexpr Rect densityPlace = editor_layout::densitySwitch;
constexpr std::int32_t frequencyTag = 17;
constexpr std::int32_t densityTag = 18;

// The host's edit brackets and the switches' notifications, in the order they happened.
Events& events = edit_brackets::events;

using edit_brackets::TestEffect;

// Holds a horizontal switch where the editor has its frequency switch and a vertical one where
// it has its density switch; like the plug-in's editor it redraws a switch after each of its
// notifications, and it notes which picture the window then shows.
class SwitchEditor : public HostedEditor {
public:
    SwitchEditor(EffectBaseEx* effect, ParameterSet* parameters, const ArtworkPixels& art)
        : HostedEditor(effect, parameters), art(art) {
        rect = {0, 0, 260, 330};
    }

    std::int32_t open(void* parent) override {
        HostedEditor::open(parent);
        frame = new Frame({0, 0, 330, 260}, parent, this);
        horizontal = new StepSwitch(frequencyPlace, this, frequencyTag, 16, art.get(), {},
                                    StepSwitch::styleHorizontal);
        frame->addView(horizontal);
        vertical = new StepSwitch(densityPlace, this, densityTag, 16, art.get(), {}, 0);
        frame->addView(vertical);
        isOpen = true;
        return 1;
    }

    void valueChanged(DrawContext* context, Control* control) override {
        const float value = control->getValue();
        events.push_back(value == 0.0f ? "0" : value > 0.0f ? "+1" : "-1");
        control->update(context);
        pictures.push_back(
            art.pictureOn(context->getSurface(), control->getBounds(), {0, 0}, 16, 3));
    }

    const ArtworkPixels& art;
    StepSwitch* horizontal = nullptr;
    StepSwitch* vertical = nullptr;
    std::vector<int> pictures;
};

class StepSwitchTest : public HostWindowTest {
protected:
    void SetUp() override {
        HostWindowTest::SetUp();
        edit_brackets::reset();
        headless::setMouseReadCost(1);
        editor = new SwitchEditor(&effect, &parameters, art);
        openEditor(editor);
    }

    void TearDown() override {
        HostWindowTest::TearDown();
        recording_host::reset();
        EXPECT_EQ(art.get()->referenceCount(), 1) << "each switch releases its bitmap once";
    }

    // Presses the left button at press, then the script moves the mouse through moves 20 ms
    // apart and lets go 20 ms after the last; returns when the switch has seen the release.
    void drag(Point press, std::vector<Point> moves = {}) {
        std::uint32_t at = platform::tickCount();
        for (const Point to : moves) {
            at += 20;
            headless::schedule(at, [to] { moveMouse(to); });
        }
        headless::schedule(at + 20, [] { headless::setKeyDown(Key::leftButton, false); });
        headless::pressMouse(window, press.h, press.v);
    }

    static void moveMouse(Point to) { headless::setMousePosition(hostLeft + to.h, hostTop + to.v); }

    // The notifications and edit brackets of one press at where and its release.
    Events press(Point where) {
        events.clear();
        drag(where);
        return events;
    }

    ArtworkPixels art{1004};
    ParameterSet parameters{2};
    TestEffect effect;
    SwitchEditor* editor = nullptr;  // owned by the effect
};

TEST_F(StepSwitchTest, HoldingThePlusHalfNotifiesPlusOnceAndTheReleaseNotifiesZero) {
    headless::schedule(start + 500, [] { headless::setKeyDown(Key::leftButton, false); });
    headless::pressMouse(window, 150, 32);
    EXPECT_EQ(events, (Events{"begin 17", "+1", "end 17", "0"}));
    EXPECT_EQ(editor->pictures, (std::vector<int>{2, 1}));
    EXPECT_EQ(editor->horizontal->getValue(), 0.0f);
    EXPECT_GE(platform::tickCount(), start + 500);
}

TEST_F(StepSwitchTest, APointOnTheMiddleLineCountsForMinusAndOnePixelRightOfItForPlus) {
    const Events minus{"begin 17", "-1", "end 17", "0"};
    const Events plus{"begin 17", "+1", "end 17", "0"};
    EXPECT_EQ(press({108 + 25, 32}), minus);
    EXPECT_EQ(press({108 + 26, 32}), plus);
    EXPECT_EQ(press({108, 24}), minus) << "top left corner";
    EXPECT_EQ(press({158, 40}), plus) << "bottom right corner";
    EXPECT_EQ(editor->pictures, (std::vector<int>{0, 1, 2, 1, 0, 1, 2, 1}));
}

TEST_F(StepSwitchTest, WithoutTheHorizontalStyleTheTopHalfIsMinusAndTheBottomHalfPlus) {
    const Events minus{"begin 18", "-1", "end 18", "0"};
    const Events plus{"begin 18", "+1", "end 18", "0"};
    EXPECT_EQ(press({170, 24 + 8}), minus) << "the middle line";
    EXPECT_EQ(press({170, 24 + 9}), plus);
    EXPECT_EQ(press({212, 25}), minus) << "the right side of the top half";
}

TEST_F(StepSwitchTest, SlidingAcrossTheMiddleWhileHeldNotifiesTheOtherSign) {
    drag({115, 30}, {{120, 30}, {140, 34}, {150, 28}, {112, 28}});
    EXPECT_EQ(events, (Events{"begin 17", "-1", "+1", "-1", "end 17", "0"}));
    EXPECT_EQ(editor->pictures, (std::vector<int>{0, 2, 0, 1}));
}

TEST_F(StepSwitchTest, SlidingOutRestoresZeroAndTheReleaseOutsideNotifiesZeroAgain) {
    drag({150, 30}, {{170, 80}, {300, 200}});
    EXPECT_EQ(events, (Events{"begin 17", "+1", "0", "end 17", "0"}));
    EXPECT_EQ(editor->pictures, (std::vector<int>{2, 1, 1}));
}

TEST_F(StepSwitchTest, SlidingOutRestoresTheValueTheSwitchHadAtThePress) {
    editor->horizontal->setValue(1.0f);
    drag({115, 30}, {{115, 41}});
    EXPECT_EQ(events, (Events{"begin 17", "-1", "+1", "end 17", "0"}));
}

TEST_F(StepSwitchTest, AModifierHeldAfterTheButtonIsReleasedKeepsTheSwitchTracking) {
    headless::schedule(start + 20, [] { headless::setKeyDown(Key::shift, true); });
    headless::schedule(start + 40, [] { headless::setKeyDown(Key::leftButton, false); });
    headless::schedule(start + 60, [] { moveMouse({150, 30}); });
    headless::schedule(start + 300, [] { headless::setKeyDown(Key::shift, false); });
    headless::pressMouse(window, 115, 30);
    EXPECT_EQ(events, (Events{"begin 17", "-1", "+1", "end 17", "0"}));
    EXPECT_GE(platform::tickCount(), start + 300);
}

TEST_F(StepSwitchTest, ALeftPressWithControlHeldIsAPlainPressNotAReset) {
    editor->horizontal->setDefaultValue(1.0f);
    headless::setKeyDown(Key::control, true);
    headless::schedule(start + 40, [] {
        headless::setKeyDown(Key::leftButton, false);
        headless::setKeyDown(Key::control, false);
    });
    headless::pressMouse(window, 115, 30);
    EXPECT_EQ(events, (Events{"begin 17", "-1", "end 17", "0"}));
}

TEST_F(StepSwitchTest, ThePressOfAnotherButtonIsIgnored) {
    // Released by the script, so that a switch that wrongly tracks still comes back.
    for (const Key other : {Key::rightButton, Key::middleButton}) {
        headless::schedule(platform::tickCount() + 20,
                           [other] { headless::setKeyDown(other, false); });
        headless::pressMouse(window, 115, 30, other);
        headless::advanceTime(20);
    }
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(editor->horizontal->getValue(), 0.0f);
}

TEST_F(StepSwitchTest, ADisabledSwitchIgnoresPressesAndTheWheel) {
    editor->horizontal->setMouseEnabled(false);
    DrawContext context(editor->getFrame(), nullptr, nullptr);
    headless::setKeyDown(Key::leftButton, true);
    headless::schedule(start + 20, [] { headless::setKeyDown(Key::leftButton, false); });
    editor->horizontal->onMouse(&context, {115, 30});
    moveMouse({115, 30});
    EXPECT_FALSE(editor->onWheel(1.0f));
    EXPECT_TRUE(events.empty());
}

TEST_F(StepSwitchTest,
       AWheelNotchForwardStepsMinusAndBackwardPlusWithoutAnEditBracketWhateverTheStyle) {
    moveMouse({130, 30});
    EXPECT_TRUE(editor->onWheel(1.0f));
    EXPECT_EQ(events, (Events{"-1", "0"}));
    events.clear();
    EXPECT_TRUE(editor->onWheel(-1.0f));
    EXPECT_EQ(events, (Events{"+1", "0"}));
    events.clear();
    EXPECT_TRUE(editor->onWheel(0.0f));
    EXPECT_EQ(events, (Events{"+1", "0"})) << "no distance counts as backward";
    EXPECT_EQ(editor->pictures, (std::vector<int>{0, 1, 2, 1, 2, 1}));
    events.clear();
    moveMouse({190, 38});
    EXPECT_TRUE(editor->onWheel(2.0f));
    EXPECT_EQ(events, (Events{"-1", "0"})) << "whatever the style";
}

}  // namespace
