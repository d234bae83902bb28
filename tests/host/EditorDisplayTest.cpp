#include <gtest/gtest.h>

#include <string>
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
    bool windowWheel(platform::Window*, int x, int y, float distance) override {
        wheelAt = {x, y, 0};
        wheelDistance = distance;
        shiftAtWheel = platform::isKeyDown(platform::Key::shift);
        return true;
    }
    void windowDestroyed(platform::Window*) override { ++destroyed; }
    platform::Brush* editFieldColors(platform::Window*, platform::Window*,
                                     platform::Surface*) override {
        return nullptr;
    }

    Sample downAt{-1, -1, 0};
    bool shiftAtPress = false;
    Sample wheelAt{-1, -1, 0};
    float wheelDistance = 0.0f;
    bool shiftAtWheel = false;
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

TEST_F(EditorDisplayTest, SeveralDisplaysAttachAtOnceEachWithItsOwnWindowsClockAndMouse) {
    EditorDisplay first(200, 120);
    TrackingWindow secondListener;
    ASSERT_NE(openIn(first), nullptr);
    {
        EditorDisplay second(200, 120);
        second.advanceTime(5000);
        ASSERT_NE(
            platform::createChildWindow(static_cast<platform::Window*>(second.parentWindow()),
                                        "DisplayTest", "Window", 0, 0, 50, 50, &secondListener),
            nullptr);
        EXPECT_TRUE(first.isAttached()) << "the second display leaves the first attached";
        first.click(30, 45);
        EXPECT_EQ(listener.downAt.x, 10);
        EXPECT_EQ(listener.downAt.time, first.now() - 1) << "the first display's clock";
        second.click(5, 6);
        EXPECT_EQ(secondListener.downAt.x, 5);
        EXPECT_EQ(secondListener.downAt.time, second.now() - 1);
        ASSERT_TRUE(second.compose());
        EXPECT_EQ(second.pixel(0, 0), platform::makeNativeColor(200, 10, 20));
        EXPECT_EQ(second.pixel(20, 30), platform::headless::buttonFaceColor)
            << "only its own windows are composed into it";
    }
    EXPECT_EQ(secondListener.destroyed, 1);
    EXPECT_EQ(listener.destroyed, 0);
    ASSERT_TRUE(first.compose());
    EXPECT_EQ(first.pixel(20, 30), platform::makeNativeColor(200, 10, 20));
    first.click(30, 45);
    EXPECT_EQ(listener.downAt.time, first.now() - 1);
}

TEST_F(EditorDisplayTest, TheWheelReachesTheWindowUnderTheMouseWithItsDistanceAndModifiers) {
    EditorDisplay display(200, 120);
    ASSERT_NE(openIn(display), nullptr);
    EXPECT_TRUE(display.wheel(30, 45, -2.0f, BRL_DISPLAY_SHIFT));
    EXPECT_EQ(listener.wheelAt.x, 10);
    EXPECT_EQ(listener.wheelAt.y, 15);
    EXPECT_EQ(listener.wheelDistance, -2.0f);
    EXPECT_TRUE(listener.shiftAtWheel);
    EXPECT_FALSE(platform::isKeyDown(platform::Key::shift)) << "the modifiers last the one turn";
    EXPECT_FALSE(display.wheel(5, 5, 1.0f)) << "nothing of the plug-in's is there";
}

class FieldListener : public platform::EditFieldListener {
public:
    // Destroying a field that still has the focus tells of its end once more.
    void editFieldFinished(platform::Window* field) override {
        if (!finishedWith.empty()) return;
        char text[64] = {};
        platform::windowText(field, text, sizeof text);
        finishedWith.push_back(text);
    }
    std::vector<std::string> finishedWith;
};

// Keys typed one by one into a field that opens holding "1.50" with all of it selected.
TEST_F(EditorDisplayTest, KeysTypedOneByOneEditTheFocusedFieldAsAPersonTypes) {
    constexpr std::uint32_t text = BRL_DISPLAY_KEY_TEXT;
    constexpr std::uint32_t back = BRL_DISPLAY_KEY_BACKSPACE;
    constexpr std::uint32_t enter = BRL_DISPLAY_KEY_ENTER;
    constexpr std::uint32_t escape = BRL_DISPLAY_KEY_ESCAPE;
    struct Key {
        std::uint32_t key;
        const char* characters;
    };
    const struct {
        std::vector<Key> keys;
        std::string shown;     // the field's text before the last key
        std::string finished;  // the text the listener read; empty when still open
    } cases[] = {
        {{{text, "-"}, {text, "3"}, {text, ","}, {text, "5"}, {enter, nullptr}}, "-3,5", "-3,5"},
        {{{text, "12"}, {back, nullptr}, {text, "7"}}, "1", ""},
        {{{back, nullptr}, {text, "4"}}, "", ""},
        {{{text, "9"}, {escape, nullptr}}, "9", "1.50"},
        {{{text, "\xC3\xA9"}, {back, nullptr}, {enter, nullptr}}, "", ""},
    };
    for (const auto& c : cases) {
        EditorDisplay display(200, 120);
        platform::Window* window = openIn(display);
        ASSERT_NE(window, nullptr);
        FieldListener fieldListener;
        platform::Window* field = platform::createEditField(
            window, {0, 0, 40, 12}, "1.50", platform::TextAlign::left, nullptr, &fieldListener);
        ASSERT_NE(field, nullptr);
        for (std::size_t i = 0; i + 1 < c.keys.size(); ++i)
            EXPECT_TRUE(display.key(c.keys[i].key, c.keys[i].characters));
        char shown[64] = {};
        platform::windowText(field, shown, sizeof shown);
        EXPECT_EQ(shown, c.shown) << c.shown;
        EXPECT_TRUE(display.key(c.keys.back().key, c.keys.back().characters));
        if (c.finished.empty() && c.keys.back().key != enter) {
            EXPECT_TRUE(fieldListener.finishedWith.empty()) << c.shown;
        } else {
            ASSERT_EQ(fieldListener.finishedWith.size(), 1u) << c.shown;
            EXPECT_EQ(fieldListener.finishedWith[0], c.finished) << c.shown;
        }
        platform::destroyWindow(field);
        EXPECT_FALSE(display.key(text, "x")) << "no field has the focus now";
    }
}

TEST_F(EditorDisplayTest, AVersionOneHostStillClicksAndTypesButSendsNoWheelOrKeys) {
    EditorDisplay display(200, 120);
    auto* raw = static_cast<BrlDisplay*>(display.parentWindow());
    raw->version = 1;
    platform::Window* window = openIn(display);
    ASSERT_NE(window, nullptr);
    display.click(30, 45);
    EXPECT_EQ(listener.downAt.x, 10);
    EXPECT_FALSE(display.wheel(30, 45, 1.0f));
    FieldListener fieldListener;
    platform::Window* field = platform::createEditField(
        window, {0, 0, 40, 12}, "0", platform::TextAlign::left, nullptr, &fieldListener);
    ASSERT_NE(field, nullptr);
    EXPECT_FALSE(display.key(BRL_DISPLAY_KEY_TEXT, "5"));
    display.type("7");
    display.enter();
    ASSERT_EQ(fieldListener.finishedWith.size(), 1u);
    EXPECT_EQ(fieldListener.finishedWith[0], "7");
    platform::destroyWindow(field);
    raw->version = BRL_DISPLAY_VERSION;
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
