#pragma once

#include <vector>

#include "host/cli/screens/EditorScreen.h"
#include "platform/Window.h"

// A real top-level window of the system's: the editor draws in it as in any host. The mouse and
// keyboard are the user's own, so actions cannot be played here.
class WindowScreen : public EditorScreen {
public:
    WindowScreen(int width, int height);
    ~WindowScreen() override;
    WindowScreen(const WindowScreen&) = delete;
    WindowScreen& operator=(const WindowScreen&) = delete;

    void* parentWindow() override { return window; }
    bool holdsEditor() const override { return window != nullptr; }
    void refresh() override;
    void advanceTime(std::uint32_t milliseconds) override;
    void click(int x, int y) override;
    void drag(int x1, int y1, int x2, int y2) override;
    void type(const std::string& text) override;
    bool canWrite(const std::string& format) const override { return format == "bmp"; }
    bool writePicture(const std::string& path, const std::string& format) override;
    // Runs the window's messages until its close box is used (or Ctrl-C in the console), then
    // takes the last picture; the window stays until the screen is destroyed.
    void showUntilClosed(const std::function<void()>& idle) override;

private:
    platform::Window* window = nullptr;
    std::vector<platform::NativeColor> pixels;
    int width = 0;
    int height = 0;
};
