#include "host/cli/screens/WindowScreen.h"

#include <csignal>

#include "host/BmpFile.h"
#include "host/cli/CommandError.h"
#include "platform/Input.h"

namespace {

constexpr std::int32_t idleMilliseconds = 25;

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) { interrupted = 1; }

[[noreturn]] void cannotPlay() {
    throw CommandError(kExitUsage,
                       "--click, --drag, --type and --about need the headless display of the "
                       "Linux build; a real window takes only the user's mouse");
}

}  // namespace

std::unique_ptr<EditorScreen> EditorScreen::create(int width, int height) {
    return std::make_unique<WindowScreen>(width, height);
}

std::unique_ptr<EditorScreen> EditorScreen::createWindow(int width, int height) {
    return create(width, height);
}

WindowScreen::WindowScreen(int width, int height)
    : window(platform::createTopLevelWindow("plxhost editor", 40, 40, width, height)) {
    if (!window) throw CommandError(kExitPlugin, "cannot create a window for the editor");
}

WindowScreen::~WindowScreen() { platform::destroyWindow(window); }

void WindowScreen::refresh() {
    platform::dispatchPendingMessages();
    if (!platform::readWindowPixels(window, pixels, width, height)) pixels.clear();
}

void WindowScreen::advanceTime(std::uint32_t milliseconds) {
    platform::sleepMilliseconds(milliseconds);
}

void WindowScreen::click(int, int) { cannotPlay(); }

void WindowScreen::drag(int, int, int, int) { cannotPlay(); }

void WindowScreen::type(const std::string&) { cannotPlay(); }

bool WindowScreen::writePicture(const std::string& path, const std::string& format) {
    if (format != "bmp" || pixels.empty()) return false;
    return writeBmp(path.c_str(), pixels.data(), width, height);
}

void WindowScreen::showUntilClosed(const std::function<void()>& idle) {
    interrupted = 0;
    void (*previous)(int) = std::signal(SIGINT, onInterrupt);
    std::uint32_t nextIdle = platform::tickCount();
    for (;;) {
        // A drag runs its own loop inside the dispatch, calling the host's idle itself.
        platform::dispatchPendingMessages();
        if (interrupted || platform::closeRequested(window)) break;
        const std::uint32_t now = platform::tickCount();
        std::int32_t wait = static_cast<std::int32_t>(nextIdle - now);
        if (wait <= 0) {
            idle();
            nextIdle = now + idleMilliseconds;
            wait = idleMilliseconds;
        }
        platform::waitForMessages(static_cast<std::uint32_t>(wait));
    }
    std::signal(SIGINT, previous == SIG_ERR ? SIG_DFL : previous);
    refresh();
}
