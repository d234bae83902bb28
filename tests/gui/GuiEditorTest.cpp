#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ViewProbes.h"
#include "gui/HostedEditor.h"
#include "params/ParameterSet.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"
#include "shell/EffectBaseEx.h"
#include "tests/support/HostWindowTest.h"
#include "tests/support/RecordingHost.h"

namespace {

namespace headless = platform::headless;
using recording_host::opcodes;
using recording_host::requests;

using TestEffect = recording_host::RecordingEffect;

// Builds a frame with one control on open, as the plug-in's editor does, and records what the
// base classes call.
class TestEditor : public HostedEditor {
public:
    TestEditor(EffectBaseEx* effect, ParameterSet* parameters) : HostedEditor(effect, parameters) {
        rect = {0, 0, 260, 330};
    }

    std::int32_t open(void* parent) override {
        HostedEditor::open(parent);
        frame = new Frame({0, 0, 330, 260}, parent, this);
        control = new probes::ProbeControl({10, 10, 30, 110}, this, 5);
        frame->addView(control);
        isOpen = true;
        return 1;
    }
    void update() override {
        ++updates;
        meterBusyDuringUpdate = parameters ? parameters->getMeterBusy() : -1;
    }
    void idle() override {
        ++idles;
        HostedEditor::idle();
    }
    void valueChanged(DrawContext*, Control* changed) override {
        values.push_back(changed->getValue());
    }

    probes::ProbeControl* control = nullptr;
    int updates = 0;
    int idles = 0;
    int meterBusyDuringUpdate = -1;
    std::vector<float> values;
};

class GuiEditorTest : public HostWindowTest {
protected:
    void SetUp() override {
        HostWindowTest::SetUp();
        recording_host::reset(1);
        probes::log().clear();
        editor = new TestEditor(&effect, &parameters);
    }

    void TearDown() override {
        recording_host::reset();
        editor->close();
        HostWindowTest::TearDown();
        EXPECT_EQ(probes::liveViews(), 0);
    }

    // Opens the editor and lets its first paint happen, so idle redraws from then on.
    void openAndPaint() { openEditor(editor); }

    ParameterSet parameters{2};
    TestEffect effect;
    TestEditor* editor = nullptr;  // owned by the effect
};

TEST(EditorBaseTest, AnEditorWithoutAGuiHasNoRect) {
    TestEffect effect;
    auto* editor = new EditorBase(&effect);
    EditorRect* rect = reinterpret_cast<EditorRect*>(&effect);
    EXPECT_EQ(editor->getRect(&rect), 0);
    EXPECT_EQ(rect, nullptr);
}

TEST_F(GuiEditorTest, GetRectPointsAtTheEditorsOwnRect) {
    EditorRect* rect = nullptr;
    EXPECT_EQ(editor->getRect(&rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->bottom, 260);
    EXPECT_EQ(rect->right, 330);
    EditorRect* again = nullptr;
    editor->getRect(&again);
    EXPECT_EQ(again, rect);
}

TEST_F(GuiEditorTest, OleIsInitialisedForTheEditorsLifeAndUninitialisedOnce) {
    const int before = headless::oleInitializationCount();
    {
        TestEffect other;
        new TestEditor(&other, nullptr);
        EXPECT_EQ(headless::oleInitializationCount(), before + 1);
    }
    EXPECT_EQ(headless::oleInitializationCount(), before);
}

TEST_F(GuiEditorTest, AFullPumpPassComesAfterOneHundredAndFiftyMillisecondsWithoutSleeping) {
    openAndPaint();
    platform::invalidateWindow(host);
    platform::invalidateWindow(editor->getFrame()->getNativeWindow());
    headless::advanceTime(150);
    editor->pumpIdle();
    EXPECT_EQ(platform::tickCount(), start + 150);
    EXPECT_EQ(opcodes(), std::vector<std::int32_t>{3});
    EXPECT_EQ(headless::pendingPaintCount(), 1);
    EXPECT_EQ(editor->getLastIdleTicks(), start + 150);
    EXPECT_EQ(editor->idles, 1);
}

TEST_F(GuiEditorTest, ASecondPumpWithinTenMillisecondsIdlesAndSleepsButLeavesTheHostAlone) {
    openAndPaint();
    headless::advanceTime(150);
    editor->pumpIdle();
    requests.clear();
    platform::invalidateWindow(host);
    headless::advanceTime(10);
    editor->pumpIdle();
    EXPECT_EQ(editor->idles, 2);
    EXPECT_EQ(platform::tickCount(), start + 164);
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(headless::pendingPaintCount(), 1);
    EXPECT_EQ(editor->getLastIdleTicks(), start + 150);
}

TEST_F(GuiEditorTest, APumpSixtyMillisecondsAfterTheLastPassSleepsThenRunsAFullPass) {
    openAndPaint();
    headless::advanceTime(60);
    editor->pumpIdle();
    EXPECT_EQ(platform::tickCount(), start + 64);
    EXPECT_EQ(opcodes(), std::vector<std::int32_t>{3});
    EXPECT_EQ(editor->getLastIdleTicks(), start + 64);
    headless::advanceTime(40);
    editor->pumpIdle();
    EXPECT_EQ(opcodes(), std::vector<std::int32_t>{3}) << "44 ms after the pass is too soon";
}

TEST_F(GuiEditorTest, PacingHoldsAcrossTheWrapOfTheTickCount) {
    headless::setTime(0xFFFFFF00u);
    TestEffect other;
    auto* wrapping = new TestEditor(&other, nullptr);
    headless::advanceTime(272);
    ASSERT_LT(platform::tickCount(), 0x100u);
    wrapping->pumpIdle();
    EXPECT_EQ(opcodes(), std::vector<std::int32_t>{3});
    headless::advanceTime(10);
    wrapping->pumpIdle();
    EXPECT_EQ(opcodes(), std::vector<std::int32_t>{3});
}

TEST_F(GuiEditorTest, TheEditorsIdleCalledFromInsideTheHostsIdleDoesNothing) {
    openAndPaint();
    editor->idle();
    const int updates = editor->updates;
    recording_host::duringRequest = [this](const recording_host::Request& r) {
        if (r.opcode != 3) return;
        editor->requestUpdate();
        editor->idle();
    };
    headless::advanceTime(150);
    editor->pumpIdle();
    EXPECT_EQ(editor->updates, updates);
    EXPECT_TRUE(editor->isUpdatePending());
    EXPECT_FALSE(editor->isInIdle());
}

TEST_F(GuiEditorTest, IdleWhileOpenHoldsBackMeterPublishingAndThenAsksForMeters) {
    parameters.setMeterRequest(false);
    editor->idle();
    EXPECT_FALSE(parameters.getMeterRequest()) << "closed";
    openAndPaint();
    editor->idle();
    EXPECT_EQ(editor->meterBusyDuringUpdate, 1);
    EXPECT_EQ(parameters.getMeterBusy(), 0);
    EXPECT_TRUE(parameters.getMeterRequest());
}

TEST_F(GuiEditorTest, AHostParameterChangeRequestsAnUpdateForTheNextIdle) {
    openAndPaint();
    editor->idle();
    const int updates = editor->updates;
    editor->setParameter(0, 0.5f);
    EXPECT_TRUE(editor->isUpdatePending());
    editor->idle();
    EXPECT_EQ(editor->updates, updates + 1);
    EXPECT_FALSE(editor->isUpdatePending());
}

TEST_F(GuiEditorTest, CloseDestroysTheFrameItsWindowAndItsViews) {
    openAndPaint();
    EXPECT_EQ(probes::liveViews(), 1);
    editor->close();
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_FALSE(editor->isEditorOpen());
    EXPECT_EQ(probes::liveViews(), 0);
    EXPECT_FALSE(editor->onWheel(1.0f));
    editor->redrawAll(nullptr);
    editor->idle();
}

TEST_F(GuiEditorTest, ADragIsBracketedByTheHostsEditRequestsWithTheControlsTag) {
    openAndPaint();
    headless::schedule(start + 200,
                       [] { headless::setMousePosition(hostLeft + 20, hostTop + 60); });
    headless::schedule(start + 300, [] { headless::setKeyDown(platform::Key::leftButton, false); });
    headless::pressMouse(editor->getFrame()->getNativeWindow(), 20, 30);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().opcode, 43);
    EXPECT_EQ(requests.front().index, 5);
    EXPECT_EQ(requests.back().opcode, 44);
    EXPECT_EQ(requests.back().index, 5);
    EXPECT_GE(requests.size(), 4u) << "the host's idle runs during the drag";
    ASSERT_FALSE(editor->values.empty());
    EXPECT_FLOAT_EQ(editor->values.front(), 0.2f);
    EXPECT_FLOAT_EQ(editor->values.back(), 0.5f);
    EXPECT_FALSE(editor->control->isDirty()) << "the pump redraws it";
}

TEST_F(GuiEditorTest, NormalisingAValueTextReadsACommaAsAPoint) {
    char text[64] = "1,5";
    char out[64] = "";
    EXPECT_EQ(editor->normaliseValueText(text, out), 0);
    EXPECT_STREQ(text, "1.50");
    EXPECT_STREQ(out, "1.50");
}

TEST_F(GuiEditorTest, NormalisingATextWithoutANumberWritesZero) {
    char text[64] = "loud";
    char out[64] = "x";
    editor->normaliseValueText(text, out);
    EXPECT_STREQ(text, "0.00");
    EXPECT_STREQ(out, "0.00");
}

TEST_F(GuiEditorTest, FormattingAValueTextGivesTwoDecimals) {
    char text[64] = "";
    editor->formatValueText(-3.14159f, text);
    EXPECT_STREQ(text, "-3.14");
    editor->formatValueText(-3.4e38f, text);
    EXPECT_EQ(text[0], '-');
}

}  // namespace
