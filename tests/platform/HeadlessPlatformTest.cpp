#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gui/Bitmap.h"
#include "gui/DrawContext.h"
#include "gui/Fonts.h"
#include "gui/OffscreenContext.h"
#include "platform/DynamicLibrary.h"
#include "platform/Input.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"

namespace headless = platform::headless;

namespace {

class Listener : public platform::WindowListener, public platform::EditFieldListener {
public:
    void windowPaint(platform::Window* window, platform::Surface* surface) override {
        paints.push_back(window);
        // Paint a marker so that the test can see where the surface draws.
        platform::Brush* brush = platform::createSolidBrush(platform::makeNativeColor(9, 8, 7));
        platform::Brush* previous = platform::selectBrush(surface, brush);
        platform::fillRect(surface, {0, 0, 2, 2});
        platform::selectBrush(surface, previous);
        platform::deleteBrush(brush);
    }
    void windowMouseDown(platform::Window*, int x, int y) override {
        clicks.push_back({x, y});
        buttonDownDuringClick = platform::isKeyDown(platform::Key::leftButton);
        platform::mousePosition(screenX, screenY);
    }
    void windowDestroyed(platform::Window* window) override { destroyed.push_back(window); }
    platform::Brush* editFieldColors(platform::Window*, platform::Window*,
                                     platform::Surface* surface) override {
        ++colourQuestions;
        platform::setTextColor(surface, platform::makeNativeColor(255, 255, 255));
        return fieldBrush;
    }
    void editFieldFinished(platform::Window* field) override { finished.push_back(field); }

    std::vector<platform::Window*> paints;
    std::vector<Point> clicks;
    std::vector<platform::Window*> destroyed;
    std::vector<platform::Window*> finished;
    bool buttonDownDuringClick = false;
    int screenX = 0;
    int screenY = 0;
    int colourQuestions = 0;
    platform::Brush* fieldBrush = nullptr;
};

class HeadlessPlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::resetInput();
        objectsAtStart = headless::liveObjectCount();
        platform::registerWindowClass("HeadlessTest");
        host = platform::createTopLevelWindow("host", 100, 50, 400, 300);
        frame = platform::createChildWindow(host, "HeadlessTest", "Window", 20, 30, 330, 260,
                                            &listener);
    }
    void TearDown() override {
        platform::destroyWindow(host);
        platform::unregisterWindowClass("HeadlessTest");
        headless::resetInput();
        EXPECT_EQ(headless::liveObjectCount(), objectsAtStart);
    }

    Listener listener;
    platform::Window* host = nullptr;
    platform::Window* frame = nullptr;
    int objectsAtStart = 0;
};

TEST_F(HeadlessPlatformTest, TheClockMovesOnlyWhenSleptThroughOrAdvanced) {
    const std::uint32_t start = platform::tickCount();
    EXPECT_EQ(platform::tickCount(), start);
    platform::sleepMilliseconds(70);
    EXPECT_EQ(platform::tickCount(), start + 70);
    headless::advanceTime(5);
    EXPECT_EQ(platform::tickCount(), start + 75);
}

TEST_F(HeadlessPlatformTest, ScheduledInputHappensAtItsTimeDuringASleep) {
    const std::uint32_t start = platform::tickCount();
    std::vector<std::uint32_t> seen;
    headless::schedule(start + 30, [&] {
        seen.push_back(platform::tickCount());
        headless::setKeyDown(platform::Key::leftButton, false);
    });
    headless::schedule(start + 10, [&] {
        seen.push_back(platform::tickCount());
        headless::setKeyDown(platform::Key::leftButton, true);
    });
    platform::sleepMilliseconds(20);
    EXPECT_TRUE(platform::isKeyDown(platform::Key::leftButton));
    platform::sleepMilliseconds(20);
    EXPECT_FALSE(platform::isKeyDown(platform::Key::leftButton));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], start + 10);
    EXPECT_EQ(seen[1], start + 30);
}

TEST_F(HeadlessPlatformTest, ADragLoopPollingTheMouseSeesItsScriptedReleaseOnlyWhenReadsCostTime) {
    const std::uint32_t start = platform::tickCount();
    headless::setKeyDown(platform::Key::leftButton, true);
    headless::schedule(start + 25, [] { headless::setMousePosition(40, 60); });
    headless::schedule(start + 50, [] { headless::setKeyDown(platform::Key::leftButton, false); });
    int x = 0;
    int y = 0;
    platform::mousePosition(x, y);
    EXPECT_EQ(platform::tickCount(), start) << "reads are free until a cost is set";
    headless::setMouseReadCost(10);
    int polls = 0;
    while (platform::isKeyDown(platform::Key::leftButton) && polls < 100) {
        platform::mousePosition(x, y);
        ++polls;
    }
    EXPECT_EQ(polls, 5);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 60);
    headless::resetInput();
    platform::mousePosition(x, y);
    EXPECT_EQ(platform::tickCount(), start + 50);
}

TEST_F(HeadlessPlatformTest, PaintsWaitInTheQueueUntilDispatchedAndDrawIntoTheWindow) {
    EXPECT_EQ(headless::pendingPaintCount(), 2);  // the host and its child
    platform::invalidateWindow(frame);
    EXPECT_EQ(headless::pendingPaintCount(), 2);
    platform::dispatchPendingMessages();
    EXPECT_EQ(headless::pendingPaintCount(), 0);
    ASSERT_EQ(listener.paints.size(), 1u);
    EXPECT_EQ(listener.paints[0], frame);

    platform::Surface* surface = platform::acquireWindowSurface(frame);
    EXPECT_EQ(platform::pixelAt(surface, 1, 1), platform::makeNativeColor(9, 8, 7));
    EXPECT_EQ(platform::pixelAt(surface, 2, 2), headless::buttonFaceColor);
    platform::releaseWindowSurface(frame, surface);
}

TEST_F(HeadlessPlatformTest, AScriptedClickArrivesInWindowPixelsWithTheMouseOnTheScreen) {
    headless::pressMouse(frame, 12, 34);
    ASSERT_EQ(listener.clicks.size(), 1u);
    EXPECT_EQ(listener.clicks[0], (Point{12, 34}));
    EXPECT_TRUE(listener.buttonDownDuringClick);
    EXPECT_EQ(listener.screenX, 100 + 20 + 12);
    EXPECT_EQ(listener.screenY, 50 + 30 + 34);
    EXPECT_TRUE(platform::isKeyDown(platform::Key::leftButton));
}

TEST_F(HeadlessPlatformTest, ADestroyedWindowIsForgottenByThePaintQueue) {
    platform::invalidateWindow(frame);
    platform::destroyWindow(frame);
    ASSERT_EQ(listener.destroyed.size(), 1u);
    platform::dispatchPendingMessages();
    EXPECT_TRUE(listener.paints.empty());
}

TEST_F(HeadlessPlatformTest, AnEditFieldTakesTheFocusAndReportsEnterAndFocusLoss) {
    platform::Window* field = platform::createEditField(
        frame, {10, 10, 60, 22}, "0.0", platform::TextAlign::centre, nullptr, &listener);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(headless::focusWindow(), field);
    headless::typeText("3,5");
    char text[16];
    platform::windowText(field, text, sizeof text);
    EXPECT_STREQ(text, "3,5");
    headless::pressEnter();
    ASSERT_EQ(listener.finished.size(), 1u);
    headless::setFocus(nullptr);
    EXPECT_EQ(listener.finished.size(), 2u);
    headless::setFocus(nullptr);
    EXPECT_EQ(listener.finished.size(), 2u);
    platform::destroyWindow(field);
}

TEST_F(HeadlessPlatformTest, AnEditFieldIsDrawnInTheColoursItsParentChooses) {
    listener.fieldBrush = platform::createSolidBrush(platform::makeNativeColor(0, 0, 90));
    platform::Window* field = platform::createEditField(
        frame, {10, 10, 60, 22}, "12", platform::TextAlign::left, nullptr, &listener);
    platform::dispatchPendingMessages();
    EXPECT_EQ(listener.colourQuestions, 1);
    platform::Surface* surface = platform::acquireWindowSurface(field);
    EXPECT_EQ(platform::pixelAt(surface, 49, 0), platform::makeNativeColor(0, 0, 90));
    platform::releaseWindowSurface(field, surface);
    platform::destroyWindow(field);
    platform::deleteBrush(listener.fieldBrush);
}

TEST_F(HeadlessPlatformTest, DestroyingAFocusedEditFieldReportsTheLostFocusFirst) {
    platform::Window* field = platform::createEditField(
        frame, {10, 10, 60, 22}, "1", platform::TextAlign::left, nullptr, &listener);
    platform::destroyWindow(field);
    ASSERT_EQ(listener.finished.size(), 1u);
    EXPECT_EQ(listener.finished[0], field);
    EXPECT_EQ(headless::focusWindow(), nullptr);
}

TEST_F(HeadlessPlatformTest, TheMouseButtonsAndModifiersReadAsBitsAtTheMomentOfAsking) {
    platform::Surface* surface = platform::acquireWindowSurface(frame);
    {
        DrawContext context(nullptr, surface, frame);
        EXPECT_EQ(context.getMouseButtons(), 0);
        headless::setKeyDown(platform::Key::rightButton, true);
        headless::setKeyDown(platform::Key::shift, true);
        EXPECT_EQ(context.getMouseButtons(), 12);
        headless::setKeyDown(platform::Key::leftButton, true);
        headless::setKeyDown(platform::Key::middleButton, true);
        headless::setKeyDown(platform::Key::control, true);
        headless::setKeyDown(platform::Key::alt, true);
        EXPECT_EQ(context.getMouseButtons(), 63);
        headless::resetInput();
        EXPECT_EQ(context.getMouseButtons(), 0);
    }
    platform::releaseWindowSurface(frame, surface);
}

TEST_F(HeadlessPlatformTest, TheMousePositionIsMeasuredFromWhereTheWindowWasAtCreation) {
    platform::Surface* surface = platform::acquireWindowSurface(frame);
    {
        DrawContext context(nullptr, surface, frame);
        EXPECT_EQ(context.getWindowOrigin(), (Point{120, 80}));
        headless::setMousePosition(125, 100);
        Point where;
        context.getMousePosition(where);
        EXPECT_EQ(where, (Point{5, 20}));
        platform::moveWindow(host, 0, 0);
        context.getMousePosition(where);
        EXPECT_EQ(where, (Point{5, 20}));
    }
    {
        DrawContext fresh(nullptr, surface, frame);
        Point where;
        fresh.getMousePosition(where);
        EXPECT_EQ(where, (Point{105, 70}));
    }
    platform::releaseWindowSurface(frame, surface);
}

TEST_F(HeadlessPlatformTest, ArialTwelveHasArialsMetricsAndBoldIsWider) {
    platform::Surface* surface = platform::acquireWindowSurface(frame);
    int regularWidth = 0;
    int boldWidth = 0;
    int height = 0;
    {
        DrawContext context(nullptr, surface, frame);
        context.setFont(fontNormal);
        platform::measureText(surface, "Frequency", regularWidth, height);
        EXPECT_EQ(height, 14);  // ascent 11 and descent 3 at 12 pixels
        context.setFont(fontNormal, 0, fontStyleBold);
        platform::measureText(surface, "Frequency", boldWidth, height);
    }
    EXPECT_GT(regularWidth, 40);
    EXPECT_LT(regularWidth, 60);
    EXPECT_GT(boldWidth, regularWidth);
    platform::releaseWindowSurface(frame, surface);
}

TEST_F(HeadlessPlatformTest, DrawingLeavesNoObjectBehind) {
    const int before = headless::liveObjectCount();
    platform::Surface* surface = platform::acquireWindowSurface(frame);
    {
        DrawContext context(nullptr, surface, frame);
        context.setFont(fontSymbol);
        context.setFont(fontNormal);
        context.setLineStyle(lineDotted);
        context.setFrameColor(colorRed);
        context.setFillColor(colorBlue);
        context.drawString("x", {0, 0, 20, 20});
        // One pen, one brush and one font of its own at any time, besides the surface.
        EXPECT_EQ(headless::liveObjectCount(), before + 4);
        OffscreenContext offscreen(nullptr, 12, 105, colorBlack);
        Bitmap* handle = new Bitmap(1010);
        handle->drawTransparent(&offscreen, {0, 0, 12, 15});
        offscreen.copyTo(&context, {0, 0, 12, 105});
        handle->release();
    }
    platform::releaseWindowSurface(frame, surface);
    EXPECT_EQ(headless::liveObjectCount(), before);
}

std::vector<unsigned char> readPng(const std::string& path, int& width, int& height) {
    std::vector<unsigned char> rgb;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return rgb;
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) rgb.clear();
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return rgb;
}

TEST_F(HeadlessPlatformTest, AnySurfaceCanBeWrittenAsAPng) {
    OffscreenContext offscreen(nullptr, 7, 5, Color{200, 100, 50, 0});
    offscreen.setFillColor(Color{1, 2, 3, 0});
    offscreen.fillRect({1, 1, 3, 3});
    const std::string path = "headless_surface.png";
    ASSERT_TRUE(headless::writePng(offscreen.getSurface(), path.c_str()));
    int width = 0;
    int height = 0;
    const std::vector<unsigned char> rgb = readPng(path, width, height);
    ASSERT_EQ(rgb.size(), 7u * 5u * 3u);
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 5);
    EXPECT_EQ(rgb[0], 200);
    EXPECT_EQ(rgb[1], 100);
    EXPECT_EQ(rgb[2], 50);
    const size_t inside = (2 * 7 + 2) * 3;
    EXPECT_EQ(rgb[inside], 1);
    EXPECT_EQ(rgb[inside + 1], 2);
    EXPECT_EQ(rgb[inside + 2], 3);
    std::remove(path.c_str());
    EXPECT_FALSE(headless::writePng(offscreen.getSurface(), "/no/such/directory/x.png"));
}

}  // namespace

namespace {

struct Report {
    int paints;
    int clicks;
    bool buttonDown;
    unsigned tick;
};

TEST(HeadlessWorldTest, AModuleWithItsOwnCopyOfTheLayerJoinsTheWindowSystemOfItsHost) {
    platform::DynamicLibrary module;
    std::string error;
    ASSERT_TRUE(module.load(BRL_SECOND_BINARY_PATH, error)) << error;
    using Open = platform::Window* (*)(platform::Window*, Report*);
    Open open = reinterpret_cast<Open>(module.symbol("openChild"));
    ASSERT_NE(open, nullptr);

    headless::resetInput();
    platform::Window* host = platform::createTopLevelWindow("host", 0, 0, 100, 100);
    platform::dispatchPendingMessages();
    Report report{};
    platform::Window* child = open(host, &report);
    ASSERT_NE(child, nullptr);
    platform::dispatchPendingMessages();
    EXPECT_EQ(report.paints, 1);

    headless::setTime(5000);
    headless::pressMouse(child, 3, 4);
    EXPECT_EQ(report.clicks, 1);
    EXPECT_TRUE(report.buttonDown);
    EXPECT_EQ(report.tick, 5000u);
    headless::resetInput();
    platform::destroyWindow(host);
}

}  // namespace
