#include <algorithm>
#include <utility>
#include <vector>

#include "platform/headless/HeadlessObjects.h"
#include "platform/headless/HeadlessScript.h"

namespace platform {

namespace headless {

namespace {

// Runs every action that has come due, in time order; an action may schedule more.
void runDueActions() {
    World& s = world();
    for (;;) {
        auto due = std::min_element(
            s.scheduled.begin(), s.scheduled.end(),
            [](const ScheduledAction& a, const ScheduledAction& b) { return a.atTime < b.atTime; });
        if (due == s.scheduled.end() || static_cast<std::int32_t>(s.now - due->atTime) < 0) return;
        std::function<void()> action = std::move(due->action);
        s.scheduled.erase(due);
        action();
    }
}

}  // namespace

void setTime(std::uint32_t now) {
    world().now = now;
    runDueActions();
}

void advanceTime(std::uint32_t milliseconds) {
    // Step through the interval so that actions see the time they were scheduled for.
    World& s = world();
    const std::uint32_t end = s.now + milliseconds;
    for (;;) {
        std::uint32_t next = end;
        for (const ScheduledAction& a : s.scheduled) {
            const bool beforeEnd = static_cast<std::int32_t>(a.atTime - next) < 0;
            const bool afterNow = static_cast<std::int32_t>(a.atTime - s.now) > 0;
            if (beforeEnd && afterNow) next = a.atTime;
        }
        s.now = next;
        runDueActions();
        if (next == end) return;
    }
}

void schedule(std::uint32_t atTime, std::function<void()> action) {
    world().scheduled.push_back({atTime, std::move(action)});
    runDueActions();
}

void setMousePosition(int x, int y) {
    world().mouseX = x;
    world().mouseY = y;
}

void setKeyDown(Key key, bool down) { world().keys[static_cast<int>(key)] = down; }

void setMouseReadCost(std::uint32_t milliseconds) { world().mouseReadCost = milliseconds; }

void resetInputState() {
    World& s = world();
    std::fill(std::begin(s.keys), std::end(s.keys), false);
    s.mouseReadCost = 0;
    s.scheduled.clear();
}

}  // namespace headless

bool isKeyDown(Key key) { return headless::world().keys[static_cast<int>(key)]; }

void mousePosition(int& x, int& y) {
    if (headless::world().mouseReadCost) headless::advanceTime(headless::world().mouseReadCost);
    x = headless::world().mouseX;
    y = headless::world().mouseY;
}

std::uint32_t tickCount() { return headless::world().now; }

void sleepMilliseconds(std::uint32_t milliseconds) { headless::advanceTime(milliseconds); }

std::uint32_t doubleClickTime() { return 500; }

}  // namespace platform
