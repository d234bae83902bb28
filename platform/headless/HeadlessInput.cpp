#include <algorithm>
#include <utility>
#include <vector>

#include "platform/headless/HeadlessObjects.h"
#include "platform/headless/HeadlessScript.h"

namespace platform {

namespace headless {

namespace {

// The clock, the mouse and the keys are the host's display's while the world is attached to one.
std::uint32_t& clock(World& s) { return s.display ? s.display->now : s.now; }

std::uint32_t keyBit(Key key) { return 1u << static_cast<int>(key); }

void tellHostTheClockMoved() {
    BrlDisplay* display = world().display;
    if (display && display->clockAdvanced) display->clockAdvanced(display);
}

// Runs every action that has come due, in time order; an action may schedule more.
void runDueActions() {
    World& s = world();
    for (;;) {
        auto due = std::min_element(
            s.scheduled.begin(), s.scheduled.end(),
            [](const ScheduledAction& a, const ScheduledAction& b) { return a.atTime < b.atTime; });
        if (due == s.scheduled.end() || static_cast<std::int32_t>(clock(s) - due->atTime) < 0)
            return;
        std::function<void()> action = std::move(due->action);
        s.scheduled.erase(due);
        action();
    }
}

}  // namespace

void setTime(std::uint32_t now) {
    clock(world()) = now;
    runDueActions();
    tellHostTheClockMoved();
}

void advanceTime(std::uint32_t milliseconds) {
    // Step through the interval so that actions see the time they were scheduled for.
    World& s = world();
    const std::uint32_t end = clock(s) + milliseconds;
    for (;;) {
        std::uint32_t next = end;
        for (const ScheduledAction& a : s.scheduled) {
            const bool beforeEnd = static_cast<std::int32_t>(a.atTime - next) < 0;
            const bool afterNow = static_cast<std::int32_t>(a.atTime - clock(s)) > 0;
            if (beforeEnd && afterNow) next = a.atTime;
        }
        clock(s) = next;
        runDueActions();
        if (next == end) break;
    }
    tellHostTheClockMoved();
}

void schedule(std::uint32_t atTime, std::function<void()> action) {
    world().scheduled.push_back({atTime, std::move(action)});
    runDueActions();
}

void setMousePosition(int x, int y) {
    World& s = world();
    if (s.display) {
        s.display->mouseX = x;
        s.display->mouseY = y;
    }
    s.mouseX = x;
    s.mouseY = y;
}

void setKeyDown(Key key, bool down) {
    World& s = world();
    if (s.display) {
        if (down)
            s.display->keys |= keyBit(key);
        else
            s.display->keys &= ~keyBit(key);
    }
    s.keys[static_cast<int>(key)] = down;
}

void setMouseReadCost(std::uint32_t milliseconds) { world().mouseReadCost = milliseconds; }

void resetInputState() {
    World& s = world();
    std::fill(std::begin(s.keys), std::end(s.keys), false);
    if (s.display) s.display->keys = 0;
    s.mouseReadCost = 0;
    s.scheduled.clear();
}

}  // namespace headless

bool isKeyDown(Key key) {
    const headless::World& s = headless::world();
    if (s.display) return (s.display->keys & headless::keyBit(key)) != 0;
    return s.keys[static_cast<int>(key)];
}

void mousePosition(int& x, int& y) {
    headless::World& s = headless::world();
    const std::uint32_t cost = s.display ? s.display->mouseReadCost : s.mouseReadCost;
    if (cost) headless::advanceTime(cost);
    x = s.display ? s.display->mouseX : s.mouseX;
    y = s.display ? s.display->mouseY : s.mouseY;
}

std::uint32_t tickCount() { return headless::clock(headless::world()); }

void sleepMilliseconds(std::uint32_t milliseconds) { headless::advanceTime(milliseconds); }

std::uint32_t doubleClickTime() { return 500; }

}  // namespace platform
