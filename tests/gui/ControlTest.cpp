#include <gtest/gtest.h>

#include "ViewProbes.h"
#include "gui/Bitmap.h"
#include "gui/Frame.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"
#include "tests/support/HostWindowTest.h"

namespace {

using probes::ProbeControl;

class ControlTest : public HostWindowTest {
protected:
    void SetUp() override {
        HostWindowTest::SetUp();
        probes::log().clear();
    }
    void TearDown() override {
        if (control && !frame) control->release();
        HostWindowTest::TearDown();
        EXPECT_EQ(probes::liveViews(), 0);
    }

    // Hands the control to a small frame, which releases it.
    void openFrameWithControl() {
        openFrame(nullptr, {0, 0, 50, 50});
        frame->addView(control);
    }

    ProbeControl* control = new ProbeControl({0, 0, 20, 100}, nullptr, 7);
};

TEST_F(ControlTest, ANewControlIsDirtyAndSettingAValueDirtiesItOnlyWhenTheValueChanges) {
    EXPECT_TRUE(control->isDirty());
    control->setDirty(false);
    EXPECT_FALSE(control->isDirty());
    control->setValue(0.3f);
    EXPECT_TRUE(control->isDirty());
    control->setDirty(false);
    control->setValue(0.3f);
    EXPECT_FALSE(control->isDirty());
}

TEST_F(ControlTest, MarkingDirtyAControlWhoseValueIsMinusOneStillMakesItDirty) {
    control->setValue(-1.0f);
    control->setDirty(false);
    control->setDirty(true);
    EXPECT_EQ(control->getOldValue(), 0.0f);
    EXPECT_TRUE(control->isDirty());
    control->setValue(0.0f);
    EXPECT_TRUE(control->isDirty()) << "the view flag keeps it dirty";
}

TEST_F(ControlTest, ClampingBringsTheValueIntoTheRangeAndPrefersTheMaximum) {
    control->setValue(1.7f);
    control->clampValue();
    EXPECT_EQ(control->getValue(), 1.0f);
    control->setValue(-0.2f);
    control->clampValue();
    EXPECT_EQ(control->getValue(), 0.0f);
    control->setMin(0.8f);
    control->setMax(0.2f);
    control->setValue(0.5f);
    control->clampValue();
    EXPECT_EQ(control->getValue(), 0.2f);
}

TEST_F(ControlTest, SettingTheBackgroundItAlreadyHoldsKeepsOneReference) {
    Bitmap* bitmap = new Bitmap(1001);
    control->setBackground(bitmap);
    control->setBackground(bitmap);
    EXPECT_EQ(bitmap->referenceCount(), 2);
    EXPECT_EQ(bitmap->getWidth() > 0, true);
    control->release();
    control = nullptr;
    EXPECT_EQ(bitmap->referenceCount(), 1);
    bitmap->release();
}

TEST_F(ControlTest, ABackgroundGivenAtConstructionIsHeldAndReplacedOnce) {
    Bitmap* first = new Bitmap(1001);
    Bitmap* second = new Bitmap(1002);
    auto* held = new ProbeControl({0, 0, 10, 10}, nullptr, 1, first);
    EXPECT_EQ(first->referenceCount(), 2);
    held->setBackground(second);
    EXPECT_EQ(first->referenceCount(), 1);
    held->setBackground(nullptr);
    EXPECT_EQ(second->referenceCount(), 1);
    held->release();
    first->release();
    second->release();
}

TEST_F(ControlTest, PumpIdleWithoutAFrameOrWithoutAnEditorDoesNothing) {
    control->pumpIdle();
    openFrameWithControl();
    platform::invalidateWindow(window);
    const int paints = platform::headless::pendingPaintCount();
    const std::uint32_t before = platform::tickCount();
    control->pumpIdle();
    EXPECT_EQ(platform::headless::pendingPaintCount(), paints);
    EXPECT_EQ(platform::tickCount(), before);
}

TEST_F(ControlTest, AValueSetBetweenPaintsIsDrawnByTheNextIdleAndOnlyOnce) {
    openFrameWithControl();
    frame->idle();
    frame->idle();
    probes::log().clear();
    control->setValue(0.4f);
    platform::invalidateWindow(window);
    platform::dispatchPendingMessages();
    EXPECT_TRUE(control->isDirty());
    frame->idle();
    frame->idle();
    EXPECT_EQ(probes::log(), (std::vector<std::string>{"control.draw", "control.draw"}));
    EXPECT_FALSE(control->isDirty());
}

}  // namespace
