#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "gui/Frame.h"
#include "gui/controls/AboutPopup.h"
#include "gui/controls/LevelMeter.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"
#include "tests/gui/ArtworkPixels.h"
#include "tests/gui/ViewProbes.h"
#include "tests/support/HostWindowTest.h"

namespace {

namespace headless = platform::headless;

constexpr Rect editorRect{0, 0, 330, 260};
constexpr Rect logoRect = editor_layout::aboutClickArea;
constexpr Rect lineRect = editor_layout::versionLine;
constexpr Rect meterRect = editor_layout::meters[0];
constexpr Rect probeRect{150, 120, 170, 140};

struct Notification {
    Control* control;
    float value;
    bool modal;
};

class RecordingListener : public ControlListener {
public:
    void valueChanged(DrawContext*, Control* control) override {
        calls.push_back({control, control->getValue(),
                         control->getOwner() && control->getOwner()->getModalView() == control});
    }
    std::vector<Notification> calls;
};

// The editor's window as the plug-in builds it, cut down to what the about screen meets: the
// background, the about screen first, then a meter and a control that logs its draws.
class PopupGestureTest : public HostWindowTest {
protected:
    void SetUp() override {
        probes::log().clear();
        HostWindowTest::SetUp();
        openFrame(nullptr, editorRect);
        frame->setBackground(background.get());
        popup = new AboutPopup(logoRect, &listener, 0, about.get(), editorRect, {0, 0});
        frame->addView(popup);
        popup->setLine("Version: 1.0.0", lineRect, colorWhite, textAlignLeft);
        meter = new LevelMeter(meterRect, lit.get(), dark.get(), 30, LevelMeter::styleVertical);
        meter->setFallStep(1.0f);
        frame->addView(meter);
        probe = new probes::ProbeControl(probeRect, nullptr, 3);
        frame->addView(probe);
        paintAndSettle();
    }

    void TearDown() override {
        HostWindowTest::TearDown();
        EXPECT_EQ(probes::liveViews(), 0);
        EXPECT_EQ(about.get()->referenceCount(), 1);
        EXPECT_EQ(lit.get()->referenceCount(), 1);
        EXPECT_EQ(background.get()->referenceCount(), 1);
    }

    // The first paint, then an idle that draws what the paint left dirty.
    void paintAndSettle() {
        platform::invalidateWindow(window);
        platform::dispatchPendingMessages();
        frame->idle();
        probes::log().clear();
    }

    // The first pixel where the window differs from picture outside skip, or an empty text.
    std::string windowDiffersFrom(const ArtworkPixels& picture, const Rect& skip) {
        Canvas shown(editorRect.right, editorRect.bottom);
        readWindow(shown);
        return shown.firstDifference(
            [&](int x, int y) {
                const bool skipped =
                    x >= skip.left && x < skip.right && y >= skip.top && y < skip.bottom;
                return skipped ? shown.pixel(x, y) : picture.pixel(x, y);
            },
            "popup_window");
    }

    // Where the meter differs from the lit bitmap from row split down and the dark one above.
    std::string meterDiffersFromSplitAt(int split) {
        Canvas shown(editorRect.right, editorRect.bottom);
        readWindow(shown);
        return shown.firstDifference(
            [&](int x, int y) {
                const int column = x - meterRect.left;
                const int row = y - meterRect.top;
                if (column < 0 || column >= meterRect.width() || row < 0 ||
                    row >= meterRect.height())
                    return shown.pixel(x, y);
                return row < split ? dark.pixel(column, row) : lit.pixel(column, row);
            },
            "popup_meter");
    }

    ArtworkPixels background{1001};
    ArtworkPixels about{1002};
    ArtworkPixels lit{1008};
    ArtworkPixels dark{1009};
    RecordingListener listener;
    AboutPopup* popup = nullptr;
    LevelMeter* meter = nullptr;
    probes::ProbeControl* probe = nullptr;
};

TEST_F(PopupGestureTest, AClickOnTheLogoOpensTheAboutScreenModalAndDrawsItAtOnce) {
    ASSERT_EQ(meterDiffersFromSplitAt(128), "");
    click(50, 25);
    EXPECT_EQ(frame->getModalView(), popup);
    EXPECT_EQ(popup->getValue(), 1.0f);
    EXPECT_EQ(popup->getBounds(), editorRect);
    EXPECT_EQ(popup->getSavedRect(), logoRect);
    EXPECT_EQ(windowDiffersFrom(about, lineRect), "");
    ASSERT_EQ(listener.calls.size(), 1u);
    EXPECT_EQ(listener.calls[0].control, popup);
    EXPECT_EQ(listener.calls[0].value, 1.0f);
    EXPECT_TRUE(listener.calls[0].modal);
    EXPECT_TRUE(popup->isDirty());
}

TEST_F(PopupGestureTest, OnlyTheLeftButtonOpensIt) {
    click(50, 25, platform::Key::rightButton);
    click(50, 25, platform::Key::middleButton);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(popup->getValue(), 0.0f);
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(PopupGestureTest, AClickAnywhereOnThePictureClosesItAndRestoresTheClickArea) {
    click(50, 25);
    click(320, 250);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(popup->getValue(), 0.0f);
    EXPECT_EQ(popup->getBounds(), logoRect);
    ASSERT_EQ(listener.calls.size(), 2u);
    EXPECT_EQ(listener.calls[1].value, 0.0f);
    EXPECT_FALSE(listener.calls[1].modal);
    // The whole frame is drawn again over what the picture covered.
    EXPECT_EQ(windowDiffersFrom(background, meterRect), "");
    EXPECT_EQ(meterDiffersFromSplitAt(128), "");
    // Closed again, the popup takes clicks in its click area only.
    click(200, 150);
    EXPECT_EQ(frame->getModalView(), nullptr);
    click(12, 12);
    EXPECT_EQ(frame->getModalView(), popup);
}

TEST_F(PopupGestureTest, ClosingRestoresTheClickAreaItHadWhenItOpened) {
    const Rect moved{20, 20, 60, 35};
    popup->setBounds(moved);
    click(30, 30);
    ASSERT_EQ(frame->getModalView(), popup);
    click(300, 10);
    EXPECT_EQ(popup->getBounds(), moved);
}

TEST_F(PopupGestureTest, ControlsMadeDirtyWhileItIsOpenWaitUntilItCloses) {
    click(50, 25);
    meter->setValue(1.0f);
    probe->setValue(0.7f);
    frame->idle();
    frame->idle();
    // The frame updates the about screen alone.
    EXPECT_EQ(probes::log(), std::vector<std::string>{});
    EXPECT_TRUE(meter->isDirty());
    EXPECT_TRUE(probe->isDirty());
    EXPECT_EQ(windowDiffersFrom(about, lineRect), "");
    click(160, 200);
    EXPECT_EQ(meterDiffersFromSplitAt(0), "");
    probes::log().clear();
    frame->idle();
    EXPECT_EQ(probes::log(), std::vector<std::string>{"control.draw"});
    EXPECT_FALSE(meter->isDirty());
    EXPECT_FALSE(probe->isDirty());
    EXPECT_EQ(meterDiffersFromSplitAt(0), "");
}

TEST_F(PopupGestureTest, APopupWithoutAPictureStillBecomesModalAndClosesOnTheNextClick) {
    ImagePopup* blank = new ImagePopup({200, 10, 240, 30}, &listener, 9, nullptr, editorRect, {});
    frame->addView(blank);
    paintAndSettle();
    click(220, 20);
    EXPECT_EQ(frame->getModalView(), blank);
    EXPECT_TRUE(windowPixel(5, 5).sameRgb(background.pixel(5, 5)));
    click(5, 250);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(blank->getBounds(), (Rect{200, 10, 240, 30}));
}

TEST_F(PopupGestureTest, AnOpeningThatAnotherModalViewRefusesKeepsTheClickAreaAndTheOtherView) {
    auto* other = new probes::ProbeView("other", {0, 0, 5, 5});
    ASSERT_TRUE(frame->setModalView(other));
    platform::Surface* surface = platform::acquireWindowSurface(window);
    {
        DrawContext context(frame, surface, window);
        headless::setKeyDown(platform::Key::leftButton, true);
        popup->onMouse(&context, {50, 25});
        EXPECT_EQ(popup->getValue(), 1.0f);
        EXPECT_EQ(popup->getBounds(), logoRect);
        EXPECT_EQ(frame->getModalView(), other);
        EXPECT_TRUE(listener.calls.empty());
        popup->onMouse(&context, {50, 25});
        headless::setKeyDown(platform::Key::leftButton, false);
    }
    platform::releaseWindowSurface(window, surface);
    EXPECT_EQ(popup->getValue(), 0.0f);
    EXPECT_EQ(popup->getBounds(), logoRect);
    EXPECT_EQ(frame->getModalView(), other);
    frame->setModalView(nullptr);
    other->release();
}

TEST_F(PopupGestureTest, APopupWithoutAFrameTogglesItsValueAndKeepsItsClickArea) {
    AboutPopup* loose = new AboutPopup(logoRect, &listener, 0, about.get(), editorRect, {});
    platform::Surface* surface = platform::acquireWindowSurface(window);
    {
        DrawContext context(nullptr, surface, window);
        headless::setKeyDown(platform::Key::leftButton, true);
        loose->onMouse(&context, {50, 25});
        EXPECT_EQ(loose->getValue(), 1.0f);
        EXPECT_TRUE(loose->isDirty());
        loose->onMouse(&context, {50, 25});
        headless::setKeyDown(platform::Key::leftButton, false);
    }
    platform::releaseWindowSurface(window, surface);
    EXPECT_EQ(loose->getValue(), 0.0f);
    EXPECT_EQ(loose->getBounds(), logoRect);
    loose->release();
}

}  // namespace
