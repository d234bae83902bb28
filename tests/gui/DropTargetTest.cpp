#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewProbes.h"
#include "gui/DropTarget.h"
#include "gui/Frame.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"
#include "tests/support/HostWindowTest.h"

namespace {

namespace headless = platform::headless;
using Names = std::vector<std::string>;

class DropTargetTest : public HostWindowTest {
protected:
    void SetUp() override {
        HostWindowTest::SetUp();
        openFrame();
        view = new probes::ProbeView("target", {0, 0, 100, 100});
        view->acceptsDrops = true;
        frame->addView(view);
        headless::setMousePosition(hostLeft + 50, hostTop + 50);
        resolutionsBefore = headless::shortcutResolutionCount();
    }

    void TearDown() override {
        HostWindowTest::TearDown();
        EXPECT_EQ(headless::liveDragMediumCount(), 0);
        EXPECT_EQ(probes::liveViews(), 0);
    }

    static headless::DragContents files(const Names& names) {
        headless::DragContents contents;
        contents.hasFiles = true;
        contents.files = names;
        return contents;
    }

    probes::ProbeView* view = nullptr;
    int resolutionsBefore = 0;
};

TEST_F(DropTargetTest, TheFramesWindowTakesDropsUntilTheFrameGoes) {
    EXPECT_TRUE(headless::hasDropTarget(window));
    closeFrame();
    EXPECT_FALSE(headless::hasDropTarget(window));
}

TEST_F(DropTargetTest, DraggingShowsCopyWithControlMoveWithoutAndNothingForOtherData) {
    headless::DragContents text;
    text.hasText = true;
    text.text = "hello";
    EXPECT_EQ(headless::dragInto(window, text, platform::dragKeyControl), platform::dropEffectCopy);
    EXPECT_EQ(headless::dragInto(window, files({"a"}), 0), platform::dropEffectMove);
    EXPECT_EQ(headless::dragInto(window, headless::DragContents{}, platform::dragKeyControl),
              platform::dropEffectNone);
}

TEST_F(DropTargetTest, AFileNameThatCannotBeReadIsLeftOutOfTheList) {
    headless::DragContents contents = files({"C:\\a.wav", "C:\\b.wav", "C:\\c.wav"});
    contents.unreadable = {1};
    headless::dropOnto(window, contents, 0);
    EXPECT_EQ(view->droppedKind, 0);
    EXPECT_EQ(view->droppedCount, 2);
    EXPECT_EQ(view->dropped, (Names{"C:\\a.wav", "C:\\c.wav"}));
}

TEST_F(DropTargetTest, AShortcutIsDeliveredAsItsTargetAndABrokenOneUnderItsOwnName) {
    headless::addShortcut("C:\\Song.LNK", "C:\\MUSIC\\SONG~1.WAV");
    headless::dropOnto(window, files({"C:\\Song.LNK", "C:\\Gone.lnk"}), 0);
    EXPECT_EQ(view->dropped, (Names{"C:\\MUSIC\\SONG~1.WAV", "C:\\Gone.lnk"}));
    EXPECT_EQ(headless::shortcutResolutionCount() - resolutionsBefore, 2);
}

TEST_F(DropTargetTest, NamesThatAreNotShortcutsAreNeverResolved) {
    headless::dropOnto(window, files({"C:\\README", "C:\\notes.lnk.txt", "C:\\x.lnkx"}), 0);
    EXPECT_EQ(view->dropped, (Names{"C:\\README", "C:\\notes.lnk.txt", "C:\\x.lnkx"}));
    EXPECT_EQ(headless::shortcutResolutionCount(), resolutionsBefore);
}

TEST_F(DropTargetTest, TextIsPreferredAndComesWithTheSizeOfItsBlock) {
    headless::DragContents contents = files({"C:\\a.wav"});
    contents.hasText = true;
    contents.text = "some text";
    contents.textBlockSize = 32;
    headless::dropOnto(window, contents, 0);
    EXPECT_EQ(view->droppedKind, 1);
    EXPECT_EQ(view->droppedCount, 32);
    EXPECT_EQ(view->dropped, (Names{"some text"}));
}

TEST_F(DropTargetTest, ADropThatNoViewTakesIsStillCleanedUp) {
    view->acceptsDrops = false;
    headless::setMousePosition(hostLeft + 300, hostTop + 200);
    headless::dropOnto(window, files({"C:\\a.wav", "C:\\b.lnk"}), 0);
    EXPECT_EQ(view->droppedCount, -1);
}

TEST_F(DropTargetTest, TheDropGoesWhereTheMouseIsNow) {
    headless::setMousePosition(hostLeft + 200, hostTop + 200);
    headless::dropOnto(window, files({"C:\\a.wav"}), 0);
    EXPECT_EQ(view->droppedCount, -1);
    headless::setMousePosition(hostLeft + 100, hostTop + 100);
    headless::dropOnto(window, files({"C:\\a.wav"}), 0);
    EXPECT_EQ(view->droppedCount, 1);
}

}  // namespace
