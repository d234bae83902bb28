#include "host/EditorDisplay.h"

#include <algorithm>

#include "platform/headless/HeadlessScript.h"

namespace {

constexpr std::uint32_t desktopColor = 0x00404040;
constexpr std::uint32_t buttons =
    BRL_DISPLAY_LEFT_BUTTON | BRL_DISPLAY_MIDDLE_BUTTON | BRL_DISPLAY_RIGHT_BUTTON;

}  // namespace

EditorDisplay::EditorDisplay(int width, int height)
    : buffer(static_cast<size_t>(std::max(width, 0)) * std::max(height, 0), desktopColor) {
    display.magic = BRL_DISPLAY_MAGIC;
    display.version = BRL_DISPLAY_VERSION;
    display.byteSize = sizeof(BrlDisplay);
    display.width = std::max(width, 0);
    display.height = std::max(height, 0);
    display.pixels = buffer.data();
    display.now = 1000000;
    display.clockAdvanced = &EditorDisplay::clockAdvanced;
    display.hostContext = this;
}

EditorDisplay::~EditorDisplay() { deliver(brlDisplayDetach); }

void EditorDisplay::clockAdvanced(BrlDisplay* display) {
    auto* self = static_cast<EditorDisplay*>(display->hostContext);
    self->runDueSteps();
    if (self->clockListener) self->clockListener();
}

void EditorDisplay::runDueSteps() {
    while (!script.empty() && static_cast<std::int32_t>(display.now - script.front().atTime) >= 0) {
        const Step step = script.front();
        script.erase(script.begin());
        display.mouseX = step.x;
        display.mouseY = step.y;
        display.keys = step.keys;
    }
}

void EditorDisplay::advanceTime(std::uint32_t milliseconds) {
    display.now += milliseconds;
    runDueSteps();
}

bool EditorDisplay::deliver(std::int32_t kind, int x, int y, std::uint32_t button,
                            const char* text) {
    if (!display.deliver) return false;
    const BrlDisplayEvent event{kind, x, y, button, text, 0.0f, 0};
    return display.deliver(&display, &event) != 0;
}

void EditorDisplay::press(int x, int y, std::uint32_t keys) {
    display.mouseX = x;
    display.mouseY = y;
    display.keys = keys;
    // Each poll of the mouse takes a millisecond, so a tracking loop sees the script go on.
    display.mouseReadCost = 1;
    deliver(brlDisplayMouseDown, x, y, keys & buttons);
    // Whatever the control did, the hand is off the mouse afterwards.
    if (!script.empty()) display.now = std::max(display.now, script.back().atTime);
    runDueSteps();
    script.clear();
    display.keys = 0;
    display.mouseReadCost = 0;
}

void EditorDisplay::click(int x, int y, std::uint32_t modifiers, std::uint32_t button) {
    script = {{display.now + 1, x, y, modifiers}};
    press(x, y, modifiers | button);
}

void EditorDisplay::drag(int x1, int y1, int x2, int y2, std::uint32_t modifiers) {
    constexpr int moves = 16;
    constexpr std::uint32_t moveInterval = 20;
    const std::uint32_t held = modifiers | BRL_DISPLAY_LEFT_BUTTON;
    script.clear();
    for (int i = 1; i <= moves; ++i) {
        script.push_back({display.now + moveInterval * i, x1 + (x2 - x1) * i / moves,
                          y1 + (y2 - y1) * i / moves, held});
    }
    script.push_back({display.now + moveInterval * moves + 200, x2, y2, modifiers});
    press(x1, y1, held);
}

bool EditorDisplay::wheel(int x, int y, float distance, std::uint32_t modifiers) {
    display.mouseX = x;
    display.mouseY = y;
    const std::uint32_t held = display.keys;
    display.keys = (held & buttons) | modifiers;
    BrlDisplayEvent event{brlDisplayWheel, x, y, 0, nullptr, distance, 0};
    const bool taken = display.deliver && display.deliver(&display, &event) != 0;
    display.keys = held;
    return taken;
}

bool EditorDisplay::key(std::uint32_t key, const char* characters) {
    BrlDisplayEvent event{brlDisplayKey, 0, 0, 0, characters, 0.0f, key};
    return display.deliver && display.deliver(&display, &event) != 0;
}

void EditorDisplay::setMouse(int x, int y) {
    display.mouseX = x;
    display.mouseY = y;
}

void EditorDisplay::setKeys(std::uint32_t keys) { display.keys = keys; }

void EditorDisplay::setNow(std::uint32_t milliseconds) { display.now = milliseconds; }

void EditorDisplay::pressHeld(int x, int y, std::uint32_t button) {
    display.mouseX = x;
    display.mouseY = y;
    display.keys |= button;
    deliver(brlDisplayMouseDown, x, y, button);
}

void EditorDisplay::type(const char* text) { deliver(brlDisplayType, 0, 0, 0, text); }

void EditorDisplay::enter() { deliver(brlDisplayEnter); }

bool EditorDisplay::compose() { return deliver(brlDisplayCompose); }

std::uint32_t EditorDisplay::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= display.width || y >= display.height) return 0;
    return buffer[static_cast<size_t>(y) * display.width + x];
}

bool EditorDisplay::writePng(const char* path) const {
    return platform::headless::writePng(buffer.data(), display.width, display.height, path);
}
