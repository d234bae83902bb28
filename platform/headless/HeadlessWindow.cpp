#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/headless/HeadlessObjects.h"
#include "platform/headless/HeadlessScript.h"

// Windows are a tree of pixel buffers. Paint messages wait in the order the windows became
// invalid until someone dispatches them; clicks and typing arrive only from the script.
namespace platform {

struct Cursor {
    CursorShape shape;
};

namespace headless {

namespace {

World* current = nullptr;

World& ownWorld() {
    static World instance;
    return instance;
}

Window* newWindow(Window* parent, int x, int y, int width, int height) {
    Window* window = new Window;
    window->world = &world();
    window->parent = parent;
    window->x = x;
    window->y = y;
    window->width = std::max(width, 0);
    window->height = std::max(height, 0);
    window->pixels.width = window->width;
    window->pixels.height = window->height;
    window->pixels.pixels.assign(static_cast<size_t>(window->width) * window->height,
                                 buttonFaceColor);
    window->pixels.stock = true;
    if (parent) parent->children.push_back(window);
    queuePaint(window);
    return window;
}

void screenOrigin(Window* window, int& x, int& y) {
    x = 0;
    y = 0;
    for (Window* w = window; w; w = w->parent) {
        x += w->x;
        y += w->y;
    }
}

void loseFocus(Window* window) {
    if (world().focus != window) return;
    world().focus = nullptr;
    if (window->editField && window->editListener) window->editListener->editFieldFinished(window);
}

// An edit field draws its text in the colours its parent's owner chooses, white otherwise.
void paintEditField(Window* field, Surface* surface) {
    setBackgroundColor(surface, makeNativeColor(255, 255, 255));
    Brush* brush = nullptr;
    Window* parent = field->parent;
    if (parent && parent->listener)
        brush = parent->listener->editFieldColors(parent, field, surface);
    Brush* white = brush ? nullptr : createSolidBrush(makeNativeColor(255, 255, 255));
    Brush* previous = selectBrush(surface, brush ? brush : white);
    fillRect(surface, {0, 0, field->width, field->height});
    selectBrush(surface, previous);
    deleteBrush(white);
    Font* previousFont = field->font ? selectFont(surface, field->font) : nullptr;
    setOpaqueBackground(surface, false);
    drawText(surface, field->text.c_str(), {0, 0, field->width, field->height}, field->align);
    if (previousFont) selectFont(surface, previousFont);
}

}  // namespace

World& world() { return current ? *current : ownWorld(); }

void composeWindow(Window* window, int originX, int originY, NativeColor* pixels, int width,
                   int height) {
    for (int y = 0; y < window->height; ++y) {
        const int row = originY + y;
        if (row < 0 || row >= height) continue;
        const NativeColor* source = window->pixels.row(y);
        for (int x = 0; x < window->width; ++x) {
            const int column = originX + x;
            if (column >= 0 && column < width)
                pixels[static_cast<size_t>(row) * width + column] = source[x];
        }
    }
    for (Window* child : window->children)
        composeWindow(child, originX + child->x, originY + child->y, pixels, width, height);
}

void queuePaint(Window* window) {
    std::vector<Window*>& queue = window->world->paintQueue;
    if (std::find(queue.begin(), queue.end(), window) == queue.end()) queue.push_back(window);
}

void joinWorldOf(Window* window) {
    if (!window || !window->world || window->world == &world()) return;
    World& previous = world();
    window->world->classes.insert(previous.classes.begin(), previous.classes.end());
    current = window->world;
}

Window* focusWindow() { return world().focus; }

void setFocus(Window* window) {
    Window* previous = world().focus;
    if (previous == window) return;
    if (previous) loseFocus(previous);
    world().focus = window;
}

void typeText(const char* text) {
    Window* focus = world().focus;
    if (!focus || !focus->editField || !text) return;
    focus->text = text;
    focus->allSelected = false;
    queuePaint(focus);
}

bool pressKey(std::uint32_t key, const char* characters) {
    Window* focus = world().focus;
    if (!focus || !focus->editField) return false;
    std::string& text = focus->text;
    switch (key) {
        case BRL_DISPLAY_KEY_TEXT:
            if (!characters) return true;
            if (focus->allSelected) text.clear();
            text += characters;
            break;
        case BRL_DISPLAY_KEY_BACKSPACE:
            if (focus->allSelected) {
                text.clear();
            } else {
                // Back over the continuation bytes to the start of the last UTF-8 character.
                while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
                    text.pop_back();
                if (!text.empty()) text.pop_back();
            }
            break;
        case BRL_DISPLAY_KEY_ENTER: pressEnter(); return true;
        case BRL_DISPLAY_KEY_ESCAPE:
            text = focus->openingText;
            loseFocus(focus);
            return true;
        default: return true;
    }
    focus->allSelected = false;
    queuePaint(focus);
    return true;
}

void pressEnter() {
    Window* focus = world().focus;
    if (focus && focus->editField && focus->editListener) {
        focus->editListener->editFieldFinished(focus);
    }
}

void pressMouse(Window* window, int x, int y, Key button) {
    int originX = 0;
    int originY = 0;
    screenOrigin(window, originX, originY);
    setMousePosition(originX + x, originY + y);
    setKeyDown(button, true);
    if (window && window->listener) window->listener->windowMouseDown(window, x, y);
}

void resetInput() {
    resetInputState();
    world().focus = nullptr;
}

int pendingPaintCount() { return static_cast<int>(world().paintQueue.size()); }

}  // namespace headless

bool registerWindowClass(const char* className) {
    if (!className) return false;
    return headless::world().classes.insert(className).second;
}

void unregisterWindowClass(const char* className) {
    // As on the real system, a class with a window left cannot go.
    if (!className || headless::world().classWindowCounts[className] > 0) return;
    headless::world().classes.erase(className);
}

Window* createChildWindow(Window* parent, const char* className, const char* title, int x, int y,
                          int width, int height, WindowListener* listener) {
    if (!parent || !className) return nullptr;
    parent = headless::resolveParent(parent);
    if (!parent) return nullptr;
    headless::joinWorldOf(parent);
    if (!headless::world().classes.count(className)) return nullptr;
    Window* window = headless::newWindow(parent, x, y, width, height);
    window->className = className;
    window->text = title ? title : "";
    window->listener = listener;
    ++headless::world().classWindowCounts[window->className];
    return window;
}

Window* createTopLevelWindow(const char* title, int x, int y, int width, int height) {
    Window* window = headless::newWindow(nullptr, x, y, width, height);
    window->text = title ? title : "";
    return window;
}

void requestClose(Window* window) {
    if (window && !window->parent) window->closeRequested = true;
}

bool closeRequested(Window* window) { return window && window->closeRequested; }

void destroyWindow(Window* window) {
    if (!window) return;
    headless::World& system = *window->world;
    for (Window* w = system.focus; w; w = w->parent) {
        if (w == window) {
            headless::loseFocus(system.focus);
            break;
        }
    }
    // The window hears of its destruction before its children do, as on the real system.
    if (window->listener) window->listener->windowDestroyed(window);
    while (!window->children.empty()) destroyWindow(window->children.back());
    if (window->parent) {
        std::vector<Window*>& siblings = window->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
    std::vector<Window*>& queue = window->world->paintQueue;
    queue.erase(std::remove(queue.begin(), queue.end(), window), queue.end());
    if (!window->editField && !window->className.empty())
        --window->world->classWindowCounts[window->className];
    delete window;
}

void moveWindow(Window* window, int x, int y) {
    if (!window) return;
    window->x = x;
    window->y = y;
}

bool windowScreenRect(Window* window, PixelRect& rect) {
    if (!window) return false;
    headless::screenOrigin(window, rect.left, rect.top);
    rect.right = rect.left + window->width;
    rect.bottom = rect.top + window->height;
    return true;
}

int windowText(Window* window, char* text, int capacity) {
    if (!window || !text || capacity <= 0) return 0;
    const int length = std::min(static_cast<int>(window->text.size()), capacity - 1);
    std::memcpy(text, window->text.data(), static_cast<size_t>(length));
    text[length] = '\0';
    return length;
}

Surface* acquireWindowSurface(Window* window) {
    if (!window) return headless::newSurface(headless::screenPicture(), nullptr, false);
    return headless::newSurface(&window->pixels, window, false);
}

void releaseWindowSurface(Window*, Surface* surface) {
    if (surface && !surface->memory) headless::destroySurface(surface);
}

bool readWindowPixels(Window* window, std::vector<NativeColor>& pixels, int& width, int& height) {
    if (!window) return false;
    width = window->width;
    height = window->height;
    pixels.assign(static_cast<size_t>(width) * height, 0);
    headless::composeWindow(window, 0, 0, pixels.data(), width, height);
    return true;
}

void invalidateWindow(Window* window) {
    if (window) headless::queuePaint(window);
}

bool dispatchPaintMessage() {
    std::vector<Window*>& queue = headless::world().paintQueue;
    if (queue.empty()) return false;
    Window* window = queue.front();
    queue.erase(queue.begin());
    Surface* surface = acquireWindowSurface(window);
    if (window->editField) {
        headless::paintEditField(window, surface);
    } else {
        // The class background is painted first, then the owner draws.
        Brush* face = createSolidBrush(headless::buttonFaceColor);
        Brush* previous = selectBrush(surface, face);
        fillRect(surface, {0, 0, window->width, window->height});
        selectBrush(surface, previous);
        deleteBrush(face);
        if (window->listener) window->listener->windowPaint(window, surface);
    }
    releaseWindowSurface(window, surface);
    return true;
}

void dispatchPendingMessages() {
    while (dispatchPaintMessage()) {
    }
}

void waitForMessages(std::uint32_t milliseconds) {
    if (headless::world().paintQueue.empty()) headless::advanceTime(milliseconds);
}

Cursor* systemCursor(CursorShape shape) {
    static Cursor cursors[] = {{CursorShape::arrow},
                               {CursorShape::wait},
                               {CursorShape::sizeHorizontal},
                               {CursorShape::sizeVertical},
                               {CursorShape::sizeAll},
                               {CursorShape::sizeUpRightDownLeft},
                               {CursorShape::sizeUpLeftDownRight}};
    return &cursors[static_cast<int>(shape)];
}

Cursor* currentCursor() {
    Cursor*& cursor = headless::world().cursor;
    if (!cursor) cursor = systemCursor(CursorShape::arrow);
    return cursor;
}

Cursor* setCursor(Cursor* cursor) {
    Cursor* previous = currentCursor();
    headless::world().cursor = cursor;
    return previous;
}

Window* createEditField(Window* parent, const PixelRect& area, const char* text, TextAlign align,
                        Font* font, EditFieldListener* listener) {
    if (!parent) return nullptr;
    parent = headless::resolveParent(parent);
    if (!parent) return nullptr;
    headless::joinWorldOf(parent);
    Window* field = headless::newWindow(parent, area.left, area.top, area.right - area.left,
                                        area.bottom - area.top);
    field->className = "EDIT";
    field->text = text ? text : "";
    field->editField = true;
    field->allSelected = true;
    field->openingText = field->text;
    field->editListener = listener;
    field->align = align;
    field->font = font;
    headless::setFocus(field);
    return field;
}

}  // namespace platform
