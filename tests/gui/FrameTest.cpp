#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewProbes.h"
#include "gui/Frame.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"
#include "tests/support/HostWindowTest.h"

namespace {

using probes::log;
using probes::ProbeView;
using Log = std::vector<std::string>;

namespace headless = platform::headless;

class FrameTest : public HostWindowTest {
protected:
    void SetUp() override {
        HostWindowTest::SetUp();
        openFrame();
        log().clear();
    }

    void TearDown() override {
        HostWindowTest::TearDown();
        EXPECT_EQ(probes::liveViews(), 0);
    }

    ProbeView* add(const std::string& name, const Rect& bounds) {
        auto* view = new ProbeView(name, bounds);
        frame->addView(view);
        log().clear();
        return view;
    }
};

TEST_F(FrameTest, TheNativeWindowIsAChildOfTheHostsWindowTitledWindowAndSizedLikeTheFrame) {
    char title[32];
    platform::windowText(window, title, sizeof title);
    EXPECT_STREQ(title, "Window");
    platform::PixelRect screen{};
    ASSERT_TRUE(platform::windowScreenRect(window, screen));
    EXPECT_EQ(screen.left, 100);
    EXPECT_EQ(screen.top, 50);
    EXPECT_EQ(screen.right - screen.left, 330);
    EXPECT_EQ(screen.bottom - screen.top, 260);
    EXPECT_TRUE(frame->isDropActive());
}

TEST_F(FrameTest, AClickWhereTwoChildrenOverlapGoesToTheOneAddedLater) {
    add("a", {10, 10, 60, 60});
    add("b", {40, 40, 90, 90});
    click(50, 50);
    EXPECT_EQ(log(), (Log{"b.click 50,50"}));
}

TEST_F(FrameTest, AMouseDisabledChildLetsTheClickThroughToTheOneBelow) {
    add("a", {10, 10, 60, 60});
    add("b", {40, 40, 90, 90})->setMouseEnabled(false);
    click(50, 50);
    click(80, 80);
    EXPECT_EQ(log(), (Log{"a.click 50,50"}));
}

TEST_F(FrameTest, ARightOrBottomEdgeCountsAsInsideAndOnePixelBeyondDoesNot) {
    add("a", {10, 10, 60, 60});
    click(60, 60);
    click(10, 10);
    click(61, 30);
    click(30, 61);
    EXPECT_EQ(log(), (Log{"a.click 60,60", "a.click 10,10"}));
}

TEST_F(FrameTest, AModalViewTakesClicksInsideItAndNobodyGetsThoseOutside) {
    add("a", {0, 0, 330, 260});
    ProbeView* modal = new ProbeView("modal", {100, 100, 200, 200});
    ASSERT_TRUE(frame->setModalView(modal));
    log().clear();
    click(150, 150);
    click(20, 20);
    EXPECT_EQ(log(), (Log{"modal.click 150,150"}));
    frame->setModalView(nullptr);
    modal->release();
}

TEST_F(FrameTest, AnyClickTakesTheFocusAwayBeforeTheClickIsDelivered) {
    ProbeView* field = add("field", {0, 0, 50, 20});
    add("a", {100, 100, 150, 150});
    frame->setFocusView(field);
    click(120, 120);
    EXPECT_EQ(log(), (Log{"field.focusLost", "a.click 120,120"}));
    EXPECT_EQ(frame->getFocusView(), nullptr);

    frame->setFocusView(field);
    log().clear();
    click(300, 250);
    EXPECT_EQ(log(), (Log{"field.focusLost"}));
}

TEST_F(FrameTest, RemovingTheMiddleChildKeepsTheOthersInOrderAndReleasesIt) {
    add("a", {0, 0, 10, 10});
    ProbeView* b = add("b", {0, 0, 10, 10});
    add("c", {0, 0, 10, 10});
    log().clear();
    ASSERT_TRUE(frame->removeView(b, true));
    EXPECT_EQ(log(), (Log{"b.removed"}));
    EXPECT_EQ(probes::liveViews(), 2);
    ASSERT_EQ(frame->getViewCount(), 2);
    EXPECT_FALSE(frame->isChild(b));
    click(5, 5);
    EXPECT_EQ(log().back(), "c.click 5,5");
    frame->removeView(frame->getView(1), true);
    click(5, 5);
    EXPECT_EQ(log().back(), "a.click 5,5");
}

TEST_F(FrameTest, RemovingAViewThatIsNotAChildChangesNothing) {
    add("a", {0, 0, 10, 10});
    ProbeView* stranger = new ProbeView("stranger", {0, 0, 10, 10});
    EXPECT_TRUE(frame->removeView(stranger, true));
    EXPECT_EQ(frame->getViewCount(), 1);
    EXPECT_EQ(stranger->referenceCount(), 1);
    stranger->release();
}

TEST_F(FrameTest, RemovingTheFocusViewTellsItBeforeItGoes) {
    ProbeView* field = add("field", {0, 0, 50, 20});
    frame->setFocusView(field);
    frame->removeView(field, true);
    EXPECT_EQ(log(), (Log{"field.focusLost", "field.removed"}));
    EXPECT_EQ(frame->getFocusView(), nullptr);
    click(5, 5);
}

TEST_F(FrameTest, TheListGrowsPastItsFirstTenEntriesKeepingTheOrder) {
    for (int i = 0; i < 25; ++i) add("v" + std::to_string(i), {i, 0, i, 0});
    ASSERT_EQ(frame->getViewCount(), 25);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(frame->getView(i)->getBounds().left, i);
}

TEST_F(FrameTest, APaintDrawsEverythingAndLeavesTheDirtyFlagsAsTheyWere) {
    ProbeView* dirty = add("dirty", {0, 0, 10, 10});
    ProbeView* clean = add("clean", {20, 20, 30, 30});
    clean->setDirty(false);
    frame->setDirty(false);
    log().clear();
    platform::invalidateWindow(window);
    platform::dispatchPendingMessages();
    EXPECT_EQ(log(), (Log{"dirty.draw", "clean.draw"}));
    EXPECT_TRUE(dirty->isDirty());
    EXPECT_FALSE(clean->isDirty());

    log().clear();
    frame->idle();
    EXPECT_EQ(log(), (Log{"dirty.update", "dirty.draw", "clean.update"}));
    EXPECT_FALSE(dirty->isDirty());
    log().clear();
    frame->idle();
    EXPECT_EQ(log(), Log{});
}

TEST_F(FrameTest, ADirtyFrameRedrawsWhollyOnIdleAndThenOnlyItsDirtyChildren) {
    add("a", {0, 0, 10, 10});
    platform::invalidateWindow(window);
    platform::dispatchPendingMessages();
    log().clear();
    frame->idle();
    EXPECT_EQ(log(), (Log{"a.draw"}));
    EXPECT_FALSE(frame->View::isDirty());
    log().clear();
    frame->idle();
    EXPECT_EQ(log(), (Log{"a.update", "a.draw"}));
}

TEST_F(FrameTest, IdleBeforeTheFirstPaintDoesNothingEvenWithDirtyViews) {
    Frame* unpainted = new Frame({0, 0, 100, 100}, host, nullptr);
    auto* view = new ProbeView("a", {0, 0, 10, 10});
    unpainted->addView(view);
    log().clear();
    ASSERT_TRUE(unpainted->hasDirtyViews());
    unpainted->idle();
    EXPECT_EQ(log(), Log{});
    EXPECT_TRUE(unpainted->isFirstDrawPending());
    unpainted->release();
}

TEST_F(FrameTest, AModalViewAloneIsUpdatedOnEveryIdle) {
    add("a", {0, 0, 10, 10});
    ProbeView* modal = new ProbeView("modal", {100, 100, 200, 200});
    frame->setModalView(modal);
    modal->setDirty(false);
    platform::invalidateWindow(window);
    platform::dispatchPendingMessages();
    EXPECT_EQ(log().back(), "modal.draw");
    log().clear();
    EXPECT_TRUE(frame->hasDirtyViews());
    frame->idle();
    frame->idle();
    EXPECT_EQ(log(), (Log{"modal.update", "modal.update"}));
    frame->setModalView(nullptr);
    modal->release();
}

TEST_F(FrameTest, ASecondModalViewIsRefusedAndNullRemovesTheFirst) {
    ProbeView* first = new ProbeView("first", {0, 0, 10, 10});
    ProbeView* second = new ProbeView("second", {0, 0, 10, 10});
    EXPECT_TRUE(frame->setModalView(first));
    EXPECT_FALSE(frame->setModalView(second));
    EXPECT_EQ(frame->getModalView(), first);
    EXPECT_TRUE(frame->setModalView(nullptr));
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(log(), (Log{"first.attached", "first.removed"}));
    EXPECT_EQ(first->referenceCount(), 1);
    first->release();
    second->release();
}

TEST_F(FrameTest, ClosingTheFrameReleasesItsChildrenButNotTheReferencesOthersHold) {
    add("a", {0, 0, 10, 10});
    ProbeView* kept = add("kept", {0, 0, 10, 10});
    kept->retain();
    closeFrame();
    EXPECT_EQ(probes::liveViews(), 1);
    EXPECT_EQ(kept->referenceCount(), 1);
    kept->release();
}

TEST_F(FrameTest, TheBackgroundIsHeldOnceAndReleasedOnceWithTheFrame) {
    Bitmap* first = new Bitmap(1001);
    Bitmap* second = new Bitmap(1002);
    frame->setBackground(first);
    frame->setBackground(first);
    EXPECT_EQ(first->referenceCount(), 2);
    frame->setBackground(second);
    EXPECT_EQ(first->referenceCount(), 1);
    EXPECT_EQ(second->referenceCount(), 2);
    closeFrame();
    EXPECT_EQ(second->referenceCount(), 1);
    first->release();
    second->release();
}

TEST_F(FrameTest, TheWindowClassLivesFromTheFirstFrameToTheLast) {
    const std::string name = Frame::windowClassName();
    EXPECT_EQ(name.rfind("Plugin", 0), 0u);
    EXPECT_GE(name.size(), 14u);
    Frame* second = new Frame({0, 0, 50, 50}, host, nullptr);
    closeFrame();
    EXPECT_FALSE(platform::registerWindowClass(name.c_str()));
    second->release();
    ASSERT_TRUE(platform::registerWindowClass(name.c_str()));
    platform::unregisterWindowClass(name.c_str());
}

TEST_F(FrameTest, WithoutAParentThereIsNoWindowAndNothingToDrawOn) {
    Frame* orphan = new Frame({0, 0, 50, 50}, nullptr, nullptr);
    EXPECT_EQ(orphan->getNativeWindow(), nullptr);
    EXPECT_FALSE(orphan->setDropActive(true));
    orphan->addView(new ProbeView("a", {0, 0, 10, 10}));
    log().clear();
    orphan->drawView(nullptr);
    orphan->idle();
    EXPECT_EQ(log(), Log{});
    orphan->release();
}

TEST_F(FrameTest, AHostThatDestroysItsWindowFirstLeavesAClosedFrameThatIsSafeToRelease) {
    add("a", {0, 0, 10, 10});
    platform::invalidateWindow(window);
    platform::dispatchPendingMessages();
    platform::destroyWindow(host);
    host = nullptr;
    EXPECT_FALSE(frame->isWindowOpen());
    EXPECT_EQ(frame->getParentWindow(), nullptr);
    EXPECT_EQ(frame->getNativeWindow(), nullptr);
    log().clear();
    frame->idle();
    frame->drawView(nullptr);
    EXPECT_EQ(log(), Log{});
    closeFrame();
    const std::string name = Frame::windowClassName();
    ASSERT_TRUE(platform::registerWindowClass(name.c_str()));
    platform::unregisterWindowClass(name.c_str());
}

TEST_F(FrameTest, TheMousePositionIsTakenRelativeToTheWindow) {
    headless::setMousePosition(110, 70);
    Point where;
    EXPECT_TRUE(frame->getMousePosition(where));
    EXPECT_EQ(where, (Point{10, 20}));
}

TEST_F(FrameTest, TheWheelGoesToTheTopmostViewUnderTheMouseEvenWhenItIsMouseDisabled) {
    add("a", {0, 0, 50, 50});
    add("b", {0, 0, 30, 30})->setMouseEnabled(false);
    headless::setMousePosition(100 + 20, 50 + 25);
    EXPECT_TRUE(frame->wheel(nullptr, {300, 300}, 2.0f));
    EXPECT_EQ(log().back(), "b.wheel 20,25 2.000000");
    headless::setMousePosition(100 + 200, 50 + 200);
    EXPECT_FALSE(frame->wheel(nullptr, {20, 25}, 2.0f));
}

TEST_F(FrameTest, DropsAreOfferedTopmostFirstAndRefusedWhileAViewHasTheFocus) {
    ProbeView* lower = add("lower", {0, 0, 50, 50});
    add("upper", {0, 0, 50, 50});
    lower->acceptsDrops = true;
    log().clear();
    EXPECT_TRUE(frame->dropItems(nullptr, 0, 0, {10, 10}));
    EXPECT_EQ(log(), (Log{"upper.drop", "lower.drop"}));
    EXPECT_FALSE(frame->dropItems(nullptr, 0, 0, {60, 10}));
    frame->setFocusView(lower);
    log().clear();
    EXPECT_FALSE(frame->dropItems(nullptr, 0, 0, {10, 10}));
    EXPECT_EQ(log(), Log{});
}

TEST_F(FrameTest, CursorKindZeroRestoresTheCursorShownBeforeTheFirstChange) {
    platform::Cursor* original = platform::currentCursor();
    frame->setCursor(3);
    EXPECT_EQ(platform::currentCursor(),
              platform::systemCursor(platform::CursorShape::sizeVertical));
    frame->setCursor(42);
    EXPECT_EQ(platform::currentCursor(),
              platform::systemCursor(platform::CursorShape::sizeVertical));
    frame->setCursor(0);
    EXPECT_EQ(platform::currentCursor(), original);
}

TEST_F(FrameTest, DrawViewDrawsOneChildAtOnceOrTheWholeFrameForAStranger) {
    ProbeView* a = add("a", {0, 0, 10, 10});
    add("b", {0, 0, 10, 10});
    log().clear();
    frame->drawView(a);
    EXPECT_EQ(log(), (Log{"a.draw"}));
    log().clear();
    frame->drawView(nullptr);
    EXPECT_EQ(log(), (Log{"a.draw", "b.draw"}));
}

}  // namespace
