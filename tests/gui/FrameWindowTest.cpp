#include <gtest/gtest.h>

#include <vector>

#include "gui/Bitmap.h"
#include "gui/Frame.h"
#include "platform/Window.h"
#include "tests/gui/ArtworkPixels.h"

// Frames in a real window of the platform: run on every back end, so the Windows build shows
// that the native window, its class and its paint work as the headless model says.
namespace {

class FrameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = platform::createTopLevelWindow("Frames", 30, 30, 400, 300);
        ASSERT_NE(host, nullptr);
    }
    void TearDown() override { platform::destroyWindow(host); }

    bool classIsRegistered() {
        if (!platform::registerWindowClass(Frame::windowClassName())) return true;
        platform::unregisterWindowClass(Frame::windowClassName());
        return false;
    }

    platform::Window* host = nullptr;
};

TEST_F(FrameWindowTest, AFrameInARealWindowIsPaintedWithItsBackground) {
    ArtworkPixels picture(1001);
    const int width = picture.get()->getWidth();
    const int height = picture.get()->getHeight();
    Frame* frame = new Frame({0, 0, width, height}, host, nullptr);
    ASSERT_NE(frame->getNativeWindow(), nullptr);
    frame->setBackground(picture.get());
    for (int i = 0; i < 5; ++i) platform::dispatchPendingMessages();
    EXPECT_FALSE(frame->isFirstDrawPending()) << "the first paint arrived";

    std::vector<platform::NativeColor> pixels;
    int shownWidth = 0;
    int shownHeight = 0;
    ASSERT_TRUE(
        platform::readWindowPixels(frame->getNativeWindow(), pixels, shownWidth, shownHeight));
    ASSERT_EQ(shownWidth, width);
    ASSERT_EQ(shownHeight, height);
    int same = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            same += pixels[static_cast<size_t>(y) * width + x] == picture.pixel(x, y).native();
    }
    EXPECT_EQ(same, width * height) << "every pixel is the background's";
    frame->release();
}

TEST_F(FrameWindowTest, TwoFramesShareOneWindowClassThatGoesWithTheLast) {
    Frame* first = new Frame({0, 0, 100, 100}, host, nullptr);
    Frame* second = new Frame({100, 0, 200, 100}, host, nullptr);
    ASSERT_NE(first->getNativeWindow(), nullptr);
    ASSERT_NE(second->getNativeWindow(), nullptr);
    EXPECT_TRUE(classIsRegistered());
    first->release();
    EXPECT_TRUE(classIsRegistered()) << "the second frame still needs it";
    second->release();
    EXPECT_FALSE(classIsRegistered());
}

}  // namespace
