#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Picture.h"
#include "platform/Surface.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessScript.h"

// The objects behind the headless back end's handles, shared by its source files.
namespace platform {

struct Picture {
    int width = 0;
    int height = 0;
    bool monochrome = false;          // a mask: pixels are 0 (clear) or 0xFFFFFF (set)
    std::vector<NativeColor> pixels;  // top row first
    Surface* selectedInto = nullptr;
    bool stock = false;

    NativeColor* row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
};

struct Pen {
    PenStyle style = PenStyle::solid;
    int width = 1;
    NativeColor color = 0;
    bool paints = true;
    bool stock = false;
};

struct Brush {
    NativeColor color = 0;
    bool stock = false;
};

namespace headless {
struct FontRaster;
struct World;
}  // namespace headless

struct Font {
    FontDescription description;
    headless::FontRaster* raster = nullptr;
    bool stock = false;
};

struct Surface {
    Picture* target = nullptr;  // a window's pixels or the selected picture
    Window* window = nullptr;
    bool memory = false;
    Pen* pen = nullptr;
    Brush* brush = nullptr;
    Font* font = nullptr;
    int x = 0;
    int y = 0;
    NativeColor textColor = 0;
    NativeColor backgroundColor = 0xFFFFFF;
    bool opaque = true;
};

struct Window {
    // Never BRL_DISPLAY_MAGIC: tells this binary's windows from a host's display.
    std::uint32_t tag = 0x444E4957u;
    headless::World* world = nullptr;
    Window* parent = nullptr;
    std::vector<Window*> children;
    std::string className;
    std::string text;
    int x = 0;  // in the parent's client area, or on the screen for a top-level window
    int y = 0;
    int width = 0;
    int height = 0;
    WindowListener* listener = nullptr;
    bool editField = false;
    // An edit field's whole text is selected (as it opens), so the next character replaces it.
    bool allSelected = false;
    std::string openingText;  // what an edit field held when it opened, for Escape
    EditFieldListener* editListener = nullptr;
    TextAlign align = TextAlign::left;
    Font* font = nullptr;
    Picture pixels;
    bool paintPending = false;
    bool closeRequested = false;
};

namespace headless {

struct ScheduledAction {
    std::uint32_t atTime;
    std::function<void()> action;
};

// Everything a window system shares between the programs and modules of a process: the clock,
// the mouse and keyboard, window classes, the paint queue, the focus and the cursor. Each binary
// that links this back end starts with a world of its own and joins the world of any window it
// is handed from another binary (a host's window given to a plug-in's editor), so that a host
// and the plug-in it loaded script, dispatch and draw in one window system.
struct World {
    // An arbitrary start, far from zero so that code that subtracts times is exercised.
    std::uint32_t now = 1000000;
    int mouseX = 0;
    int mouseY = 0;
    std::uint32_t mouseReadCost = 0;
    bool keys[6] = {};
    std::vector<ScheduledAction> scheduled;
    std::set<std::string> classes;
    std::map<std::string, int> classWindowCounts;  // live windows of each registered class
    std::vector<Window*> paintQueue;
    Window* focus = nullptr;
    Cursor* cursor = nullptr;
    int oleInitializations = 0;
    std::map<Window*, DropHandler*> dropTargets;
    std::map<std::string, std::string> shortcuts;
    int shortcutResolutions = 0;
    int liveDragMedia = 0;
    // The host's display this world's clock, mouse and keys live in, and the top-level window
    // standing for it: the one last opened in or delivered to; null while there is none.
    BrlDisplay* display = nullptr;
    Window* displayWindow = nullptr;
    // Every display attached, with its window: one host may show several editors at once.
    std::map<BrlDisplay*, Window*> displays;
};

// The world this binary's calls act on.
World& world();
// Makes the world that window lives in this binary's world, taking its classes along.
void joinWorldOf(Window* window);
// The window to use as the parent when a caller hands over parent: the display's window when
// parent is a host's display (attaching to it the first time), else parent itself.
Window* resolveParent(Window* parent);
// Copies the window and its children, the window's top-left at (originX, originY), into a
// width x height pixel buffer, cut to the buffer.
void composeWindow(Window* window, int originX, int originY, NativeColor* pixels, int width,
                   int height);
// Queues a paint of the window unless one is pending.
void queuePaint(Window* window);

// The objects every new surface starts with.
Pen* stockBlackPen();
Brush* stockWhiteBrush();
Font* stockSystemFont();
Picture* stockPlaceholderPicture();
// A surface drawing into target with the defaults of a new surface.
Surface* newSurface(Picture* target, Window* window, bool memory);
void destroySurface(Surface* surface);
// Counts created and not yet deleted objects, stock ones excluded.
void countCreated();
void countDeleted();
// The screen in pixels, and the picture behind its surface.
Picture* screenPicture();

// Releases the keys and buttons and forgets scheduled actions.
void resetInputState();
// A picture with at least one pixel.
bool isUsable(Picture* picture);
// Sets one pixel of the surface's target, clipped to it.
void plot(Surface* surface, int x, int y, NativeColor color);

}  // namespace headless
}  // namespace platform
