#include <cstring>

#include "platform/headless/HeadlessObjects.h"

// The plug-in's side of a host's display: a top-level window standing for the display, the
// delivery of the host's events, and the composition of the window tree into its pixels.
namespace platform::headless {

namespace {

bool hasDisplayMagic(Window* window) {
    std::uint32_t magic = 0;
    std::memcpy(&magic, window, sizeof magic);
    return magic == BRL_DISPLAY_MAGIC;
}

bool isKnownDisplay(const BrlDisplay* display) {
    return display->version >= 1 && display->version <= BRL_DISPLAY_VERSION &&
           display->byteSize == sizeof(BrlDisplay) && display->width > 0 && display->height > 0;
}

// The deepest window under (x, y), the latest created first among siblings, as they overlap.
Window* windowAt(Window* window, int x, int y, int& localX, int& localY) {
    for (auto child = window->children.rbegin(); child != window->children.rend(); ++child) {
        Window* c = *child;
        if (x >= c->x && y >= c->y && x < c->x + c->width && y < c->y + c->height)
            return windowAt(c, x - c->x, y - c->y, localX, localY);
    }
    localX = x;
    localY = y;
    return window;
}

Key buttonKey(std::uint32_t button) {
    if (button == BRL_DISPLAY_RIGHT_BUTTON) return Key::rightButton;
    if (button == BRL_DISPLAY_MIDDLE_BUTTON) return Key::middleButton;
    return Key::leftButton;
}

// Makes display the one whose clock, mouse and keys the world reads; false if it is not attached.
bool makeCurrent(BrlDisplay* display) {
    World& system = world();
    const auto found = system.displays.find(display);
    if (found == system.displays.end()) return false;
    system.display = display;
    system.displayWindow = found->second;
    return true;
}

void detach(BrlDisplay* display) {
    World& system = world();
    const auto found = system.displays.find(display);
    if (found == system.displays.end()) return;
    Window* window = found->second;
    system.displays.erase(found);
    if (system.display == display) {
        system.display = nullptr;
        system.displayWindow = nullptr;
        if (!system.displays.empty()) makeCurrent(system.displays.begin()->first);
    }
    display->deliver = nullptr;
    display->pluginContext = nullptr;
    destroyWindow(window);
}

std::int32_t deliver(BrlDisplay* display, const BrlDisplayEvent* event) {
    World& system = world();
    if (!display || !event || !makeCurrent(display)) return 0;
    switch (event->kind) {
        case brlDisplayMouseDown: {
            int x = 0;
            int y = 0;
            Window* target = windowAt(system.displayWindow, event->x, event->y, x, y);
            pressMouse(target, x, y, buttonKey(event->button));
            return 1;
        }
        case brlDisplayWheel: {
            if (display->version < 2) return 0;
            int x = 0;
            int y = 0;
            Window* target = windowAt(system.displayWindow, event->x, event->y, x, y);
            setMousePosition(event->x, event->y);
            return target->listener && target->listener->windowWheel(target, x, y, event->distance)
                       ? 1
                       : 0;
        }
        case brlDisplayKey:
            if (display->version < 2) return 0;
            return pressKey(event->key, event->text) ? 1 : 0;
        case brlDisplayType: typeText(event->text); return 1;
        case brlDisplayEnter: pressEnter(); return 1;
        case brlDisplayCompose:
            if (!display->pixels) return 0;
            dispatchPendingMessages();
            // The display's own pixels are the host's: only the windows opened in it are drawn.
            for (Window* child : system.displayWindow->children)
                composeWindow(child, child->x, child->y, display->pixels, display->width,
                              display->height);
            return 1;
        case brlDisplayDetach: detach(display); return 1;
        default: return 0;
    }
}

}  // namespace

Window* resolveParent(Window* parent) {
    if (!hasDisplayMagic(parent)) return parent;
    auto* display = reinterpret_cast<BrlDisplay*>(parent);
    // A display of another version or size is refused rather than misread.
    if (!isKnownDisplay(display)) return nullptr;
    if (makeCurrent(display)) return world().displayWindow;
    Window* window = createTopLevelWindow("Display", 0, 0, display->width, display->height);
    World& system = world();
    system.displays[display] = window;
    system.display = display;
    system.displayWindow = window;
    display->pluginContext = window;
    display->deliver = deliver;
    return window;
}

}  // namespace platform::headless
