#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "editor/EditorLayout.h"
#include "gui/Frame.h"
#include "gui/controls/OnOffButton.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"
#include "tests/gui/ArtworkPixels.h"
#include "tests/support/HostWindowTest.h"

namespace {

namespace headless = platform::headless;
using platform::Key;

constexpr Rect soloPlace = editor_layout::soloButton;

// What the listener found at each notification: the value, whether the button was still
// dirty, and which half of the art the window showed.
struct Heard {
    float value;
    bool dirty;
    int half;
};

class OnOffButtonTest : public HostWindowTest, public ControlListener {
protected:
    void SetUp() override {
        HostWindowTest::SetUp();
        openFrame();
        button = new OnOffButton(soloPlace, this, 14, art.get());
        frame->addView(button);
        platform::invalidateWindow(window);
        platform::dispatchPendingMessages();
    }

    void TearDown() override {
        HostWindowTest::TearDown();
        EXPECT_EQ(art.get()->referenceCount(), 1) << "the button releases its bitmap once";
    }

    void valueChanged(DrawContext* context, Control* control) override {
        heard.push_back(
            {control->getValue(), control->isDirty(), shownHalf(context->getSurface())});
    }

    int shownHalf(platform::Surface* surface) const {
        return art.pictureOn(surface, soloPlace, {0, 0}, soloPlace.height(), 2);
    }

    int windowHalf() const {
        platform::Surface* surface = platform::acquireWindowSurface(window);
        const int half = shownHalf(surface);
        platform::releaseWindowSurface(window, surface);
        return half;
    }

    // The value a click leaves behind when it starts at value.
    float afterClickFrom(float value) {
        button->setValue(value);
        click(30, 65);
        return button->getValue();
    }

    ArtworkPixels art{1006};
    OnOffButton* button = nullptr;
    std::vector<Heard> heard;
};

TEST_F(OnOffButtonTest, EachLeftClickFlipsTheValueAndTellsTheListenerOnce) {
    click(30, 65);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].value, 1.0f);
    click(soloPlace.right, soloPlace.bottom);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[1].value, 0.0f);
    EXPECT_EQ(button->getValue(), 0.0f);
}

TEST_F(OnOffButtonTest, TheNewStateIsDrawnBeforeTheListenerHearsOfIt) {
    ASSERT_EQ(windowHalf(), 0);
    click(30, 65);
    click(30, 65);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].half, 1);
    EXPECT_FALSE(heard[0].dirty);
    EXPECT_EQ(heard[1].half, 0);
    EXPECT_FALSE(heard[1].dirty);
}

TEST_F(OnOffButtonTest, TheRightOrMiddleButtonAloneChangesNothing) {
    click(30, 65, Key::rightButton);
    click(30, 65, Key::middleButton);
    click(30, 65, Key::rightButton, {Key::shift, Key::control});
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(button->getValue(), 0.0f);
}

TEST_F(OnOffButtonTest, ModifierKeysDoNotChangeWhatALeftClickDoes) {
    click(30, 65, Key::leftButton, {Key::shift});
    click(30, 65, Key::leftButton, {Key::control});
    click(30, 65, Key::leftButton, {Key::alt, Key::shift, Key::control});
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0].value, 1.0f);
    EXPECT_EQ(heard[1].value, 0.0f);
    EXPECT_EQ(heard[2].value, 1.0f);
}

TEST_F(OnOffButtonTest, ADoubleClickTogglesTwiceWithTwoNotifications) {
    click(30, 65);
    headless::advanceTime(platform::doubleClickTime() / 4);
    click(31, 66);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].value, 1.0f);
    EXPECT_EQ(heard[1].value, 0.0f);
}

TEST_F(OnOffButtonTest, AClickTurnsAnyValueWhoseIntegerPartIsZeroOnAndEveryOtherOff) {
    EXPECT_EQ(afterClickFrom(0.5f), 1.0f);
    EXPECT_EQ(afterClickFrom(-0.9f), 1.0f);
    EXPECT_EQ(afterClickFrom(-1.0f), 0.0f);
    EXPECT_EQ(afterClickFrom(1.7f), 0.0f);
    EXPECT_EQ(afterClickFrom(3e9f), 0.0f);
    EXPECT_EQ(afterClickFrom(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(heard.size(), 6u);
}

TEST_F(OnOffButtonTest, AButtonWithoutBackgroundStillTogglesAndNotifiesButDrawsNothing) {
    button->setBackground(nullptr);
    platform::Surface* surface = platform::acquireWindowSurface(window);
    const platform::NativeColor before = platform::pixelAt(surface, 30, 65);
    click(30, 65);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].value, 1.0f);
    EXPECT_EQ(platform::pixelAt(surface, 30, 65), before);
    platform::releaseWindowSurface(window, surface);
}

TEST_F(OnOffButtonTest, AClickWithoutListenerStillToggles) {
    auto* lamp = new OnOffButton({235, 44, 248, 57}, nullptr, 16, nullptr);
    frame->addView(lamp);
    click(240, 50);
    EXPECT_EQ(lamp->getValue(), 1.0f);
    EXPECT_TRUE(heard.empty());
}

TEST_F(OnOffButtonTest, ADisabledButtonIgnoresALeftClickHandedToItDirectly) {
    DrawContext context(frame, nullptr, nullptr);
    headless::setKeyDown(Key::leftButton, true);
    button->setMouseEnabled(false);
    button->onMouse(&context, {30, 65});
    EXPECT_TRUE(heard.empty());
    button->setMouseEnabled(true);
    button->onMouse(&context, {30, 65});
    EXPECT_EQ(heard.size(), 1u);
}

TEST_F(OnOffButtonTest, TheWheelOverTheButtonDoesNothing) {
    headless::setMousePosition(100 + 30, 50 + 65);
    EXPECT_FALSE(frame->wheel(nullptr, {}, 1.0f));
    EXPECT_FALSE(frame->wheel(nullptr, {}, -1.0f));
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_TRUE(heard.empty());
}

}  // namespace
