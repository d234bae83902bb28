#pragma once

#include "host/X11EditorWindow.h"
#include "host/cli/screens/EditorScreen.h"

// A top-level X11 window on the desktop named by DISPLAY: a person's mouse, wheel and keys
// drive the editor, so actions cannot be played here.
class X11Screen : public EditorScreen {
public:
    // Throws CommandError when no window can be opened.
    X11Screen(int width, int height);

    void* parentWindow() override { return window.parentWindow(); }
    bool holdsEditor() const override { return window.holdsEditor(); }
    void refresh() override { window.handleEvents(); }
    void advanceTime(std::uint32_t milliseconds) override;
    void click(int x, int y) override;
    void drag(int x1, int y1, int x2, int y2) override;
    void type(const std::string& text) override;
    bool canWrite(const std::string& format) const override {
        return format == "png" || format == "bmp";
    }
    bool writePicture(const std::string& path, const std::string& format) override;
    void showUntilClosed(const std::function<void()>& idle) override;

private:
    X11EditorWindow window;
};
