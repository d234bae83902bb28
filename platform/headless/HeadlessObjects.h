#pragma once

#include <string>
#include <vector>

#include "platform/Picture.h"
#include "platform/Surface.h"
#include "platform/Window.h"
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
}

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
    EditFieldListener* editListener = nullptr;
    TextAlign align = TextAlign::left;
    Font* font = nullptr;
    Picture pixels;
    bool paintPending = false;
};

namespace headless {

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
