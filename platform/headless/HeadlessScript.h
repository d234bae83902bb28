#pragma once

#include <cstdint>
#include <functional>

#include <string>
#include <vector>

#include "platform/DragDrop.h"
#include "platform/Input.h"
#include "platform/Picture.h"
#include "platform/Window.h"

// What tests and the host tool drive in the headless back end: the clock, the mouse and the
// keyboard, the windows' messages, and pictures written to PNG files. The window system itself
// never acts on its own: nothing happens that the script does not ask for.
namespace platform::headless {

constexpr int screenWidth = 1280;
constexpr int screenHeight = 1024;
// The colour a window of a registered class shows before its owner draws.
constexpr NativeColor buttonFaceColor = makeNativeColor(240, 240, 240);

// The clock. sleepMilliseconds advances it instead of waiting.
void setTime(std::uint32_t now);
void advanceTime(std::uint32_t milliseconds);
// Runs action once the clock has reached atTime (right away if it has).
void schedule(std::uint32_t atTime, std::function<void()> action);

// The mouse and the keyboard.
void setMousePosition(int x, int y);
void setKeyDown(Key key, bool down);
// Makes every read of the mouse position advance the clock by milliseconds (0, the start, makes
// reads free), so that a control polling the mouse in a drag loop sees scheduled moves and
// releases happen as time goes by.
void setMouseReadCost(std::uint32_t milliseconds);
// Releases every key and button, makes mouse reads free, forgets scheduled actions and the focus.
void resetInput();
// Moves the mouse to (x, y) of window, holds button down and delivers the button-down message.
// The button stays down until released.
void pressMouse(Window* window, int x, int y, Key button = Key::leftButton);

// Keyboard focus and edit fields.
Window* focusWindow();
// Moves the focus; an edit field losing it tells its listener.
void setFocus(Window* window);
// Replaces the focused edit field's text, as if the user had selected all and typed.
void typeText(const char* text);
// Presses Enter in the focused edit field.
void pressEnter();
// One key in the focused edit field, as a person types: a BRL_DISPLAY_KEY_* key, with the UTF-8
// characters for BRL_DISPLAY_KEY_TEXT. False when no edit field has the focus.
bool pressKey(std::uint32_t key, const char* characters);

// Paint messages waiting to be dispatched.
int pendingPaintCount();

// Writes the pixels as an 8-bit RGB PNG file; false when the file cannot be written.
bool writePng(Picture* picture, const char* path);
bool writePng(Surface* surface, const char* path);
bool writePng(Window* window, const char* path);
// The same for width x height pixels, top row first.
bool writePng(const NativeColor* pixels, int width, int height, const char* path);

// Initialisations of OLE not yet matched by an uninitialisation.
int oleInitializationCount();

// Drag and drop. What another application drags: text, a file list, or both; file names at
// the indexes in unreadable cannot be read.
struct DragContents {
    bool hasText = false;
    std::string text;
    std::size_t textBlockSize = 0;  // 0: the text's length plus its terminator
    bool hasFiles = false;
    std::vector<std::string> files;
    std::vector<int> unreadable;
};
bool hasDropTarget(Window* window);
// Drags contents into window with the keys of keyState held; answers the effect shown.
std::int32_t dragInto(Window* window, const DragContents& contents, std::uint32_t keyState);
// Drags contents into window and drops it there.
void dropOnto(Window* window, const DragContents& contents, std::uint32_t keyState);
// A shortcut file that resolveShortcut turns into target.
void addShortcut(const char* link, const char* target);
// Shortcuts resolveShortcut was asked to read, and media taken and not yet released.
int shortcutResolutionCount();
int liveDragMediumCount();

// Pens, brushes, fonts, pictures and surfaces created and not yet deleted.
int liveObjectCount();

}  // namespace platform::headless
