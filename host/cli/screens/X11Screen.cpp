#include "host/cli/screens/X11Screen.h"

#include <signal.h>

#include <chrono>
#include <thread>

#include "host/BmpFile.h"

namespace {

constexpr int idleMilliseconds = 25;

volatile sig_atomic_t interrupted = 0;

void onInterrupt(int) { interrupted = 1; }

[[noreturn]] void cannotPlay() {
    throw CommandError(kExitUsage,
                       "--click, --drag, --type and --about play a script in the headless "
                       "display; a window takes only the user's mouse and keys");
}

}  // namespace

std::unique_ptr<EditorScreen> EditorScreen::createWindow(int width, int height) {
    return std::make_unique<X11Screen>(width, height);
}

X11Screen::X11Screen(int width, int height) : window(width, height, 0, "plxhost editor") {
    if (!window.isOpen())
        throw CommandError(
            kExitUsage, "cannot open a window: no X server at DISPLAY, or not a true-colour one");
}

void X11Screen::advanceTime(std::uint32_t milliseconds) {
    window.handleEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void X11Screen::click(int, int) { cannotPlay(); }

void X11Screen::drag(int, int, int, int) { cannotPlay(); }

void X11Screen::type(const std::string&) { cannotPlay(); }

bool X11Screen::writePicture(const std::string& path, const std::string& format) {
    EditorDisplay& display = window.editorDisplay();
    if (format == "bmp")
        return writeBmp(path.c_str(), display.pixels().data(), display.width(), display.height());
    return display.writePng(path.c_str());
}

void X11Screen::showUntilClosed(const std::function<void()>& idle) {
    // Ctrl-C in the terminal closes the window as the close button does, so nothing is lost.
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    struct sigaction previousInt {};
    struct sigaction previousTerm {};
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
    interrupted = 0;
    using Clock = std::chrono::steady_clock;
    Clock::time_point nextIdle = Clock::now();
    while (!interrupted && window.handleEvents()) {
        const Clock::time_point now = Clock::now();
        if (now >= nextIdle) {
            idle();
            nextIdle = now + std::chrono::milliseconds(idleMilliseconds);
            window.refresh();
        }
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextIdle - Clock::now());
        window.waitForEvents(static_cast<int>(std::max<long long>(wait.count(), 0)));
    }
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
}
