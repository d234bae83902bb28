#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "host/BmpFile.h"
#include "platform/Window.h"
#include "shell/EditorBase.h"
#include "shell/Opcodes.h"
#include "tests/endtoend/EditorPixels.h"
#include "tests/endtoend/PluginHarness.h"

// The editor opened the way a host of this platform opens it: in a top-level window of the
// host's own, with the host's message loop and idle calls. The same checks run against the
// real window system on Windows and the headless one elsewhere, and each build leaves its
// picture in the working directory, so the two can be compared pixel by pixel.
namespace {

using editor_pixels::Artwork;

#if defined(_WIN32)
constexpr const char* kPictureName = "editor_window_win32.bmp";
#else
constexpr const char* kPictureName = "editor_window_headless.bmp";
#endif

class EditorWindowTest : public PluginHarness {
protected:
    void SetUp() override {
        PluginHarness::SetUp();
        plugin = createStartedInstance();
        ASSERT_TRUE(plugin->isOpen());
        EditorRect* size = nullptr;
        ASSERT_EQ(plugin->dispatch(opEditorGetRect, 0, 0, &size), 1);
        window = platform::createTopLevelWindow("Brillianteer", 40, 40, size->right, size->bottom);
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(plugin->dispatch(opEditorOpen, 0, 0, window), 1);
        runHost();
    }

    void TearDown() override {
        if (plugin) plugin->dispatch(opEditorClose);
        platform::destroyWindow(window);
        plugin.reset();
    }

    // The host's message loop and idle timer for a moment.
    void runHost() {
        for (int i = 0; i < 6; ++i) {
            platform::dispatchPendingMessages();
            plugin->dispatch(opEditorIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        platform::dispatchPendingMessages();
        ASSERT_TRUE(platform::readWindowPixels(window, pixels, width, height));
    }

    editor_pixels::PixelReader shown() {
        return [this](int x, int y) {
            if (x < 0 || y < 0 || x >= width || y >= height) return 0u;
            return static_cast<std::uint32_t>(pixels[static_cast<size_t>(y) * width + x]);
        };
    }

    std::unique_ptr<PluginInstance> plugin;
    platform::Window* window = nullptr;
    std::vector<platform::NativeColor> pixels;
    int width = 0;
    int height = 0;
    Artwork background{1001};
    Artwork handle{1010};
};

TEST_F(EditorWindowTest, TheEditorDrawsItselfInTheHostsWindowAndFollowsTheHostsParameters) {
    EXPECT_EQ(width, 330);
    EXPECT_EQ(height, 260);
    EXPECT_TRUE(writeBmp(kPictureName, pixels.data(), width, height));
    EXPECT_GT(editor_pixels::matching(shown(), background, 0, 0, 330, 20), 0.999);
    EXPECT_EQ(editor_pixels::handleTop(shown(), handle, 0), 113);
    EXPECT_EQ(editor_pixels::handleTop(shown(), handle, 4), 138);
    Artwork off(1009);
    EXPECT_GT(editor_pixels::matching(shown(), off, 254, 71, 267, 199, -254, -71), 0.999)
        << "no audio yet: every meter step is dark";

    plugin->setParameter(0, 0.0f);
    plugin->setParameter(4, 1.0f);
    runHost();
    EXPECT_EQ(editor_pixels::handleTop(shown(), handle, 0), 183);
    EXPECT_EQ(editor_pixels::handleTop(shown(), handle, 4), 93);
}

TEST_F(EditorWindowTest, ClosingTheEditorLeavesTheHostsWindowWithoutIt) {
    plugin->dispatch(opEditorClose);
    runHost();
    EXPECT_LT(editor_pixels::matching(shown(), background, 0, 0, 330, 260), 0.5);
    ASSERT_EQ(plugin->dispatch(opEditorOpen, 0, 0, window), 1);
    runHost();
    EXPECT_GT(editor_pixels::matching(shown(), background, 0, 0, 330, 20), 0.999);
}

}  // namespace
