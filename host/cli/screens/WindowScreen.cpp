#include "host/cli/screens/WindowScreen.h"

#include "host/BmpFile.h"
#include "host/cli/CommandError.h"
#include "platform/Input.h"

namespace {

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
