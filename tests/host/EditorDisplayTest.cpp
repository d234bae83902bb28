#include <gtest/gtest.h>

#include <vector>

#include "host/EditorDisplay.h"
#include "platform/Input.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"

// The display seen from a window system that attaches to it: here the test's own copy of the
// headless layer plays the plug-in's part.
namespace {

struct Sample {
    int x;
    int y;
    std::uint32_t time;
};

class TrackingWindow : public platform::WindowListener {
public:
    void windowPaint(platform::Window*, platform::Surface* surface) override {
        platform::Brush* brush = platform::createSolidBrush(platform::makeNativeColor(200, 10, 20));
        platform::Brush* previous = platform::selectBrush(surface, brush);
        platform::fillRect(surface, {0, 0, 4, 3});
        platform::selectBrush(surface, previous);
        platform::deleteBrush(brush);
    }
    // Tracks the mouse while the left button is held, as a fader does.
    void windowMouseDown(platform::Window*, int x, int y) override {
        downAt = {x, y, platform::tickCount()};
        shiftAtPress = platform::isKeyDown(platform::Key::shift);
        while (platform::isKeyDown(platform::Key::leftButton) && samples.size() < 10000) {
            int mx = 0;
            int my = 0;
            platform::mousePosition(mx, my);
            samples.push_back({mx, my, platform::tickCount()});
        }
    }
    void windowDestroyed(platform::Window*) override { ++destroyed; }
    platform::Brush* editFieldColors(platform::Window*, platform::Window*,
                                     platform::Surface*) override {
        return nullptr;
    }

    Sample downAt{-1, -1, 0};
    bool shiftAtPress = false;
    std::vector<Sample> samples;
    int destroyed = 0;
};

class EditorDisplayTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::registerWindowClass("DisplayTest")); }
    void TearDown() override { platform::unregisterWindowClass("DisplayTest"); }

    platform::Window* openIn(EditorDisplay& display) {
        return platform::createChildWindow(static_cast<platform::Window*>(display.parentWindow()),
                                           "DisplayTest", "Window", 20, 30, 100, 50, &listener);
    }

    TrackingWindow listener;
};

TEST_F(EditorDisplayTest, AWindowOpenedInTheDisplayIsComposedIntoItsPixelsAtItsPlace) {
    EditorDisplay display(200, 120);
    EXPECT_FALSE(display.isAttached());
    const std::uint32_t desktop = display.pixel(25, 35);
    ASSERT_NE(openIn(display), nullptr);
    EXPECT_TRUE(display.isAttached());
    ASSERT_TRUE(display.compose());
    EXPECT_EQ(display.pixel(20, 30), platform::makeNativeColor(200, 10, 20));
    EXPECT_EQ(display.pixel(23, 32), platform::makeNativeColor(200, 10, 20));
    EXPECT_EQ(display.pixel(24, 32), platform::headless::buttonFaceColor);
    EXPECT_EQ(display.pixel(119, 79), platform::headless::buttonFaceColor);
    EXPECT_EQ(display.pixel(120, 80), desktop) << "outside the window the display is untouched";
}

TEST_F(EditorDisplayTest, AClickArrivesInWindowPixelsAndIsReleasedAfterOnePoll) {
    EditorDisplay display(200, 120);
    ASSERT_NE(openIn(display), nullptr);
    display.click(30, 45, BRL_DISPLAY_SHIFT);
    EXPECT_EQ(listener.downAt.x, 10);
    EXPECT_EQ(listener.downAt.y, 15);
    EXPECT_TRUE(listener.shiftAtPress);
    ASSERT_EQ(listener.samples.size(), 1u);
    EXPECT_FALSE(platform::isKeyDown(platform::Key::leftButton));
    EXPECT_FALSE(platform::isKeyDown(platform::Key::shift));
}

TEST_F(EditorDisplayTest, ADragMovesTheMouseAsTheClockGoesAndHoldsTheEndBeforeReleasing) {
    EditorDisplay display(200, 120);
    ASSERT_NE(openIn(display), nullptr);
    const std::uint32_t start = display.now();
    display.drag(60, 70, 60, 38);
    ASSERT_GT(listener.samples.size(), 100u);
    EXPECT_EQ(listener.samples.front().y, 70);
    EXPECT_EQ(listener.samples.back().x, 60);
    EXPECT_EQ(listener.samples.back().y, 38);
    int heldAtEnd = 0;
    for (std::size_t i = 1; i < listener.samples.size(); ++i) {
        EXPECT_LE(listener.samples[i].y, listener.samples[i - 1].y) << "the mouse only goes up";
        EXPECT_EQ(listener.samples[i].time, listener.samples[i - 1].time + 1);
        if (listener.samples[i].y == 38) ++heldAtEnd;
    }
    EXPECT_GE(heldAtEnd, 150);
    EXPECT_GE(display.now(), start + 500);
}

TEST_F(EditorDisplayTest, FreeingTheDisplayDestroysTheWindowsOpenedInIt) {
    {
        EditorDisplay display(200, 120);
        ASSERT_NE(openIn(display), nullptr);
    }
    EXPECT_EQ(listener.destroyed, 1);
    EditorDisplay again(50, 50);
    ASSERT_NE(openIn(again), nullptr) << "a new display attaches afresh";
    EXPECT_TRUE(again.isAttached());
}

TEST_F(EditorDisplayTest, AStructureOfAnotherVersionIsNotTakenForADisplay) {
    EditorDisplay display(200, 120);
    auto* raw = static_cast<BrlDisplay*>(display.parentWindow());
    raw->version = BRL_DISPLAY_VERSION + 1;
    EXPECT_EQ(openIn(display), nullptr);
    EXPECT_FALSE(display.isAttached());
    raw->version = BRL_DISPLAY_VERSION;
}

}  // namespace
