#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gui/DrawContext.h"
#include "platform/Input.h"
#include "platform/Window.h"

namespace {

// Records what a child window reports.
class RecordingListener : public platform::WindowListener {
public:
    void windowPaint(platform::Window* window, platform::Surface* surface) override {
        paints.push_back(window);
        paintSurfaces.push_back(surface);
    }
    void windowMouseDown(platform::Window*, int x, int y) override { clicks.push_back({x, y}); }
    void windowDestroyed(platform::Window* window) override { destroyed.push_back(window); }
    platform::Brush* editFieldColors(platform::Window*, platform::Window*,
                                     platform::Surface*) override {
        return nullptr;
    }

    std::vector<platform::Window*> paints;
    std::vector<platform::Surface*> paintSurfaces;
    std::vector<Point> clicks;
    std::vector<platform::Window*> destroyed;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::registerWindowClass(className));
        host = platform::createTopLevelWindow("host", 100, 80, 400, 300);
        ASSERT_NE(host, nullptr);
    }
    void TearDown() override {
        platform::destroyWindow(host);
        platform::dispatchPendingMessages();
        platform::unregisterWindowClass(className);
    }

    platform::Window* child(int x, int y) {
        return platform::createChildWindow(host, className, "Window", x, y, 330, 260, &listener);
    }

    static constexpr const char* className = "BrillianteerTest0001";
    platform::Window* host = nullptr;
    RecordingListener listener;
};

TEST_F(WindowTest, AClassCanBeRegisteredOnlyOnceAndOnlyRegisteredClassesMakeWindows) {
    EXPECT_FALSE(platform::registerWindowClass(className));
    EXPECT_EQ(platform::createChildWindow(host, "BrillianteerNoSuchClass", "Window", 0, 0, 10, 10,
                                          &listener),
              nullptr);
    EXPECT_EQ(platform::createChildWindow(nullptr, className, "Window", 0, 0, 10, 10, &listener),
              nullptr);
}

TEST_F(WindowTest, ANewChildWindowIsPaintedThroughItsListener) {
    platform::Window* window = child(0, 0);
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 50 && listener.paints.empty(); ++i) platform::dispatchPendingMessages();
    ASSERT_FALSE(listener.paints.empty());
    EXPECT_EQ(listener.paints.front(), window);
    EXPECT_NE(listener.paintSurfaces.front(), nullptr);

    const size_t before = listener.paints.size();
    platform::invalidateWindow(window);
    while (platform::dispatchPaintMessage()) {
    }
    EXPECT_EQ(listener.paints.size(), before + 1);
    EXPECT_FALSE(platform::dispatchPaintMessage());
}

TEST_F(WindowTest, DestroyingTheParentDestroysTheChildAndTellsItsListener) {
    platform::Window* window = child(0, 0);
    ASSERT_NE(window, nullptr);
    platform::destroyWindow(host);
    host = nullptr;
    ASSERT_EQ(listener.destroyed.size(), 1u);
    EXPECT_EQ(listener.destroyed.front(), window);
}

TEST_F(WindowTest, AChildMovesOnTheScreenWithItsParent) {
    platform::Window* window = child(5, 7);
    ASSERT_NE(window, nullptr);
    platform::PixelRect before{};
    ASSERT_TRUE(platform::windowScreenRect(window, before));
    EXPECT_EQ(before.right - before.left, 330);
    EXPECT_EQ(before.bottom - before.top, 260);
    platform::PixelRect hostRect{};
    ASSERT_TRUE(platform::windowScreenRect(host, hostRect));
    EXPECT_GE(before.left, hostRect.left + 5);
    EXPECT_GE(before.top, hostRect.top + 7);

    platform::moveWindow(host, 150, 90);
    platform::PixelRect after{};
    ASSERT_TRUE(platform::windowScreenRect(window, after));
    EXPECT_EQ(after.left - before.left, 50);
    EXPECT_EQ(after.top - before.top, 10);
}

TEST_F(WindowTest, ADrawContextTakesItsWindowsScreenPositionAtCreation) {
    platform::Window* window = child(0, 0);
    platform::PixelRect rect{};
    ASSERT_TRUE(platform::windowScreenRect(window, rect));
    platform::Surface* surface = platform::acquireWindowSurface(window);
    ASSERT_NE(surface, nullptr);
    {
        DrawContext context(nullptr, surface, window);
        EXPECT_EQ(context.getWindowOrigin(), (Point{rect.left, rect.top}));
        platform::moveWindow(host, 300, 200);
        EXPECT_EQ(context.getWindowOrigin(), (Point{rect.left, rect.top}));
    }
    platform::releaseWindowSurface(window, surface);
}

TEST_F(WindowTest, AnEditFieldHoldsItsTextAndTheLayerReadsItBack) {
    platform::Window* window = child(0, 0);
    platform::Window* field = platform::createEditField(
        window, {10, 10, 60, 24}, "3,5", platform::TextAlign::centre, nullptr, nullptr);
    ASSERT_NE(field, nullptr);
    char text[16];
    EXPECT_EQ(platform::windowText(field, text, sizeof text), 3);
    EXPECT_STREQ(text, "3,5");
    EXPECT_EQ(platform::windowText(field, text, 3), 2);
    EXPECT_STREQ(text, "3,");
    platform::destroyWindow(field);
}

TEST_F(WindowTest, AClosedTopLevelWindowStaysUntilItsOwnerDestroysIt) {
    platform::Window* window = child(0, 0);
    EXPECT_FALSE(platform::closeRequested(host));
    platform::requestClose(host);
    for (int i = 0; i < 50 && !platform::closeRequested(host); ++i) {
        platform::dispatchPendingMessages();
    }
    EXPECT_TRUE(platform::closeRequested(host));
    EXPECT_FALSE(platform::closeRequested(window));
    EXPECT_FALSE(platform::closeRequested(nullptr));
    platform::PixelRect rect{};
    EXPECT_TRUE(platform::windowScreenRect(window, rect));
    EXPECT_TRUE(listener.destroyed.empty());
}

TEST_F(WindowTest, WaitingForMessagesEndsAtOnceWhenOneIsWaitingAndAfterTheTimeOtherwise) {
    ASSERT_NE(child(0, 0), nullptr);
    std::uint32_t start = platform::tickCount();
    platform::waitForMessages(5000);
    EXPECT_LT(platform::tickCount() - start, 2500u) << "a paint was waiting";

    platform::dispatchPendingMessages();
    start = platform::tickCount();
    platform::waitForMessages(100);
    EXPECT_GE(platform::tickCount() - start, 50u) << "nothing was waiting";
}

TEST_F(WindowTest, TheCursorShownIsTheOneLastSet) {
    platform::Cursor* wait = platform::systemCursor(platform::CursorShape::wait);
    platform::Cursor* arrow = platform::systemCursor(platform::CursorShape::arrow);
    ASSERT_NE(wait, nullptr);
    ASSERT_NE(wait, arrow);
    platform::Cursor* before = platform::setCursor(wait);
    EXPECT_EQ(platform::currentCursor(), wait);
    EXPECT_EQ(platform::setCursor(before), wait);
}

}  // namespace
