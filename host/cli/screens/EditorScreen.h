#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/cli/CommandError.h"

// Where plxhost shows a plug-in's editor: on Linux the headless display, in which clicks,
// drags and typing can be played, or a real X11 window; on Windows a real top-level window.
// A real window takes only a person's mouse and keys.
class EditorScreen {
public:
    // The screen this build of plxhost has, width x height pixels.
    static std::unique_ptr<EditorScreen> create(int width, int height);
    // A real window on the desktop, for a person to use; throws CommandError when none can be
    // opened.
    static std::unique_ptr<EditorScreen> createWindow(int width, int height);
    virtual ~EditorScreen() = default;

    // What the editor's open takes as its parent window.
    virtual void* parentWindow() = 0;
    // True once the editor has opened a window in the screen.
    virtual bool holdsEditor() const = 0;
    // Delivers what is waiting (paints first) and takes the picture shown now.
    virtual void refresh() = 0;
    // Lets time pass, as between a host's idle calls.
    virtual void advanceTime(std::uint32_t milliseconds) = 0;
    // Mouse and keyboard as a person uses them; throw CommandError where the screen cannot.
    virtual void click(int x, int y) = 0;
    virtual void drag(int x1, int y1, int x2, int y2) = 0;
    // Replaces the text of the open number field and confirms it with Enter.
    virtual void type(const std::string& text) = 0;
    // Whether writePicture can write "png" or "bmp".
    virtual bool canWrite(const std::string& format) const = 0;
    // Writes the picture taken by the last refresh: PNG or BMP by the name's extension, where
    // the build can write that format; false when it cannot.
    virtual bool writePicture(const std::string& path, const std::string& format) = 0;
    // Shows the editor to a person until they close the window, calling idle about every 20 to
    // 30 ms of real time; throws CommandError on a screen without a visible window.
    virtual void showUntilClosed(const std::function<void()>& idle) {
        (void)idle;
        throw CommandError(kExitUsage, "this screen has no window to show the editor in");
    }
};
