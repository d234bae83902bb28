#include <algorithm>
#include <utility>
#include <vector>

#include "platform/headless/HeadlessScript.h"

namespace platform {

namespace headless {

namespace {

struct ScheduledAction {
    std::uint32_t atTime;
    std::function<void()> action;
};

struct InputState {
    // An arbitrary start, far from zero so that code that subtracts times is exercised.
    std::uint32_t now = 1000000;
    int mouseX = 0;
    int mouseY = 0;
    bool keys[6] = {};
    std::vector<ScheduledAction> scheduled;
};

InputState& state() {
    static InputState instance;
    return instance;
}

// Runs every action that has come due, in time order; an action may schedule more.
void runDueActions() {
    InputState& s = state();
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
    state().now = now;
    runDueActions();
}

void advanceTime(std::uint32_t milliseconds) {
    // Step through the interval so that actions see the time they were scheduled for.
    InputState& s = state();
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
    state().scheduled.push_back({atTime, std::move(action)});
    runDueActions();
}

void setMousePosition(int x, int y) {
    state().mouseX = x;
    state().mouseY = y;
}

void setKeyDown(Key key, bool down) { state().keys[static_cast<int>(key)] = down; }

void resetInputState() {
    InputState& s = state();
    std::fill(std::begin(s.keys), std::end(s.keys), false);
    s.scheduled.clear();
}

}  // namespace headless

bool isKeyDown(Key key) { return headless::state().keys[static_cast<int>(key)]; }

void mousePosition(int& x, int& y) {
    x = headless::state().mouseX;
    y = headless::state().mouseY;
}

std::uint32_t tickCount() { return headless::state().now; }

void sleepMilliseconds(std::uint32_t milliseconds) { headless::advanceTime(milliseconds); }

std::uint32_t doubleClickTime() { return 500; }

}  // namespace platform
