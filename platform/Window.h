#pragma once

#include <cstdint>
#include <vector>

#include "platform/Surface.h"

// Windows: a registered class of child windows that report paint, click and destroy messages,
// top-level windows to put them in, window surfaces, the paint queue, cursors and the native
// one-line edit field. Every call is made on the thread that created the windows involved.
namespace platform {

struct Window;
struct Cursor;

// What a child window of a registered class reports to the object that owns it.
class WindowListener {
public:
    // The window needs drawing. The surface is valid for this call only; the whole window may
    // be drawn. Not called while nothing in the window is invalid.
    virtual void windowPaint(Window* window, Surface* surface) = 0;
    // The left, middle or right mouse button went down at (x, y), in window pixels.
    virtual void windowMouseDown(Window* window, int x, int y) = 0;
    // The window is being destroyed; nothing more is reported for it.
    virtual void windowDestroyed(Window* window) = 0;
    // An edit field inside the window is about to draw: set the text and background colours of
    // its surface and return the brush for its background (the listener keeps ownership), or
    // null to leave the system's colours.
    virtual Brush* editFieldColors(Window* window, Window* field, Surface* fieldSurface) = 0;
    // The mouse wheel turned by distance notches (positive away from the user) with the mouse at
    // (x, y) in window pixels; answers whether something took it. Sent by a host's display, and
    // on Windows where a top-level window of createTopLevelWindow passes it to its children.
    virtual bool windowWheel(Window* window, int x, int y, float distance) {
        (void)window, (void)x, (void)y, (void)distance;
        return false;
    }

protected:
    ~WindowListener() = default;
};

// Hears when the user is done with an edit field: it lost the keyboard focus, or Enter was
// pressed in it. Called after the field has handled the message, so the listener may destroy
// the field from here.
class EditFieldListener {
public:
    virtual void editFieldFinished(Window* field) = 0;

protected:
    ~EditFieldListener() = default;
};

// Registers a class of child windows that report to a WindowListener: arrow cursor, background
// in the system's button-face colour, usable from every module of the process. False when it
// cannot be registered (also when the name is taken).
bool registerWindowClass(const char* className);
// Does nothing while a window of the class exists (also while it is being destroyed).
void unregisterWindowClass(const char* className);

// A visible child window of a registered class at (x, y) in parent, owned by this module and
// reporting to listener; null on failure. It is invalid (a paint is pending) from the start.
Window* createChildWindow(Window* parent, const char* className, const char* title, int x, int y,
                          int width, int height, WindowListener* listener);
// A visible top-level window whose client area is width x height, at (x, y) on the screen: the
// kind of window a host puts an editor into. Null on failure.
Window* createTopLevelWindow(const char* title, int x, int y, int width, int height);
// Asks to close a top-level window, as its close box does; the request arrives through the
// message dispatch. The window stays until destroyWindow, so that its owner can first close
// what it shows.
void requestClose(Window* window);
// True once a request to close the top-level window (requestClose, the close box, Alt+F4) has
// been delivered; false for null.
bool closeRequested(Window* window);
// Destroys the window and its children; their listeners hear windowDestroyed.
void destroyWindow(Window* window);
// Moves the window without resizing it: in its parent's client area, or on the screen for a
// top-level window.
void moveWindow(Window* window, int x, int y);
// The window's outer rectangle in screen pixels; false for null.
bool windowScreenRect(Window* window, PixelRect& rect);
// The window's text (an edit field's contents), zero-terminated and cut to fit capacity bytes;
// answers the length copied.
int windowText(Window* window, char* text, int capacity);

// The surface of the window's client area, for drawing outside a paint (the screen's for null);
// null on failure. Each one is given back with releaseWindowSurface.
Surface* acquireWindowSurface(Window* window);
void releaseWindowSurface(Window* window, Surface* surface);
// The window's client area as it shows now, its child windows included: width x height pixels,
// top row first. False for null or when the pixels cannot be read.
bool readWindowPixels(Window* window, std::vector<NativeColor>& pixels, int& width, int& height);
// Marks the whole window invalid; its paint arrives through the message dispatch.
void invalidateWindow(Window* window);
// Takes at most one pending paint message of the calling thread off the queue and delivers it
// to its window; true when one was delivered.
bool dispatchPaintMessage();
// Delivers every message waiting for the calling thread (what a host's message loop does).
void dispatchPendingMessages();
// Waits until a message is waiting for the calling thread or the time has passed, whichever
// comes first; delivers nothing.
void waitForMessages(std::uint32_t milliseconds);

enum class CursorShape {
    arrow,
    wait,
    sizeHorizontal,
    sizeVertical,
    sizeAll,
    sizeUpRightDownLeft,
    sizeUpLeftDownRight
};

// The system's cursor of that shape; never deleted.
Cursor* systemCursor(CursorShape shape);
Cursor* currentCursor();
// Shows the cursor and returns the one shown before.
Cursor* setCursor(Cursor* cursor);

// A native one-line edit field over area of parent, holding text, aligned as given, drawn in font
// (the caller keeps it alive while the field exists and deletes it afterwards). No margins, the
// whole text selected, the keyboard focus in it. The parent's listener is asked for its colours;
// listener hears when the user is done. Destroyed with destroyWindow; null on failure.
Window* createEditField(Window* parent, const PixelRect& area, const char* text, TextAlign align,
                        Font* font, EditFieldListener* listener);

}  // namespace platform
