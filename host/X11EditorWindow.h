#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "host/EditorDisplay.h"

typedef struct _XDisplay Display;
typedef struct _XImage XImage;
typedef struct _XGC* GC;
union _XEvent;

// An editor's display shown in a real X11 window and driven by a person: the window is a child of
// a window the caller names (an LV2 host's parent) or a top-level one of its own. The plug-in's
// composed pixels are copied to the window when they change; the mouse, wheel and keys become
// the display's input, and the display's clock follows real time. Controls track a drag inside
// the click's delivery, polling the mouse: each time the plug-in moves the clock the window reads
// the X events waiting, so releases and motion reach the loop while it runs. Everything happens
// on the thread that created the window.
class X11EditorWindow {
public:
    // parentWindow 0 makes a top-level window titled title. The window is shown at once. Check
    // isOpen (): false when there is no X server or the window cannot be made.
    X11EditorWindow(int width, int height, unsigned long parentWindow, const char* title);
    // Tells the plug-in to let go of the display first, then destroys the window (unless its
    // parent took it along) and closes the connection.
    ~X11EditorWindow();
    X11EditorWindow(const X11EditorWindow&) = delete;
    X11EditorWindow& operator=(const X11EditorWindow&) = delete;

    bool isOpen() const { return connection != nullptr; }
    // What the editor's open takes as its parent window.
    void* parentWindow() { return display.parentWindow(); }
    bool holdsEditor() const { return display.isAttached(); }
    unsigned long windowId() const { return window; }
    EditorDisplay& editorDisplay() { return display; }

    // Handles every X event waiting, delivering clicks, wheel turns and keys to the plug-in, then
    // composes and shows what changed. False once the user closed the window or its parent
    // destroyed it.
    bool handleEvents();
    // Composes the plug-in's windows and copies the pixels to the window where they changed or
    // were exposed.
    void refresh();
    // Maps or unmaps the window.
    void setVisible(bool visible);
    // Waits until an X event arrives or the milliseconds pass.
    void waitForEvents(int milliseconds) const;

private:
    void onClockAdvanced();
    // Moves the X events waiting into `deferred`, in order; while a click is being delivered,
    // takes from there what the tracking control must hear.
    void readPending();
    // A click, a wheel turn or a key other than a modifier: delivered to the plug-in in turn.
    static bool isPress(const _XEvent& event);
    void deliver(_XEvent& event, bool releasedEarly);
    // Everything else changes the display's state or the window's.
    void apply(_XEvent& event);
    // The window is gone or closed: a control tracking a drag must not wait for a release.
    void close();

    Display* connection = nullptr;
    unsigned long window = 0;
    bool ownsWindow = true;
    bool closed = false;
    bool exposed = true;
    int delivering = 0;  // clicks being delivered, one inside the other at most
    std::uint32_t heldKeys = 0;
    std::uint32_t releaseAtNextClock = 0;
    std::uint32_t lastShown = 0;
    unsigned long deleteAtom = 0;
    GC gc = nullptr;
    XImage* image = nullptr;
    std::vector<std::uint32_t> shown;
    std::vector<std::uint32_t> converted;
    struct Queued;
    struct Deferred;
    std::unique_ptr<Deferred> deferred;
    int redShift = 16;
    int greenShift = 8;
    int blueShift = 0;
    EditorDisplay display;
};
