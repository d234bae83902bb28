#include "tests/support/XvfbSession.h"

// Before Xlib, whose macros would rename the window layer's names.
#include "platform/headless/HeadlessScript.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string>& arguments, int outFd, int keepFd) {
    std::vector<std::string> copy = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copy) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    (void)keepFd;
    pid_t child = -1;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

int waitExit(pid_t child, int timeoutMs) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (Clock::now() > end) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int lowestBit(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}  // namespace

XvfbSession::XvfbSession() {
    // Xvfb picks a free display number and writes it to the pipe once it accepts connections.
    int ready[2];
    if (::pipe(ready) != 0) return;
    server = spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "1024x768x24",
                    "-nolisten", "tcp"},
                   -1, ready[1]);
    ::close(ready[1]);
    std::string number;
    pollfd descriptor{ready[0], POLLIN, 0};
    while (server > 0 && poll(&descriptor, 1, 10000) > 0) {
        char c = 0;
        if (::read(ready[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    ::close(ready[0]);
    if (number.empty()) return;
    const std::string name = ":" + number;
    setenv("DISPLAY", name.c_str(), 1);
    connection = XOpenDisplay(name.c_str());
    int event = 0, error = 0, major = 0, minor = 0;
    if (connection && !XTestQueryExtension(connection, &event, &error, &major, &minor)) {
        XCloseDisplay(connection);
        connection = nullptr;
    }
}

XvfbSession::~XvfbSession() {
    if (connection) XCloseDisplay(connection);
    if (server > 0) {
        kill(server, SIGTERM);
        if (waitExit(server, 5000) < 0) {
            kill(server, SIGKILL);
            waitExit(server, 5000);
        }
    }
}

unsigned long XvfbSession::findWindow(const std::string& title, int timeoutMs) const {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (connection) {
        ::Window root = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned int count = 0;
        unsigned long found = 0;
        if (XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children,
                       &count)) {
            for (unsigned int i = 0; i < count && !found; ++i) {
                char* name = nullptr;
                if (XFetchName(connection, children[i], &name) && name) {
                    if (title == name) found = children[i];
                    XFree(name);
                }
            }
            if (children) XFree(children);
        }
        if (found || Clock::now() > end) return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

unsigned long XvfbSession::findWindowOfSize(int width, int height) const {
    struct Visit {
        ::Window window;
        int depth;
    };
    std::vector<Visit> queue{{DefaultRootWindow(connection), 0}};
    unsigned long found = 0;
    int foundDepth = -1;
    while (!queue.empty()) {
        const Visit visit = queue.back();
        queue.pop_back();
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(connection, visit.window, &attributes) &&
            attributes.map_state == IsViewable && attributes.width == width &&
            attributes.height == height && visit.depth > foundDepth) {
            found = visit.window;
            foundDepth = visit.depth;
        }
        ::Window root = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(connection, visit.window, &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i)
                queue.push_back({children[i], visit.depth + 1});
            if (children) XFree(children);
        }
    }
    return found;
}

unsigned long XvfbSession::rootWindow() const { return DefaultRootWindow(connection); }

unsigned long XvfbSession::createWindow(int width, int height) {
    const ::Window window =
        XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0,
                            static_cast<unsigned>(width), static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(connection, window);
    XSync(connection, False);
    return window;
}

void XvfbSession::destroyWindow(unsigned long window) {
    XDestroyWindow(connection, window);
    XSync(connection, False);
}

void XvfbSession::pause(int milliseconds) {
    XSync(connection, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void XvfbSession::moveTo(unsigned long window, int x, int y) {
    int rootX = 0, rootY = 0;
    ::Window child = 0;
    XTranslateCoordinates(connection, window, DefaultRootWindow(connection), x, y, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(connection, -1, rootX, rootY, CurrentTime);
    pause();
}

void XvfbSession::press(int button) {
    XTestFakeButtonEvent(connection, static_cast<unsigned>(button), True, CurrentTime);
    pause();
}

void XvfbSession::release(int button) {
    XTestFakeButtonEvent(connection, static_cast<unsigned>(button), False, CurrentTime);
    pause();
}

void XvfbSession::click(unsigned long window, int x, int y, int button) {
    moveTo(window, x, y);
    press(button);
    release(button);
    pause(100);
}

void XvfbSession::drag(unsigned long window, int x1, int y1, int x2, int y2, int steps,
                       int holdMs) {
    moveTo(window, x1, y1);
    press();
    for (int i = 1; i <= steps; ++i) {
        moveTo(window, x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps);
        pause(25);
    }
    pause(holdMs);
    release();
    pause(100);
}

void XvfbSession::turnWheel(unsigned long window, int x, int y, int notches) {
    moveTo(window, x, y);
    const int button = notches > 0 ? 4 : 5;
    for (int i = 0; i < std::abs(notches); ++i) {
        press(button);
        release(button);
    }
    pause(100);
}

void XvfbSession::holdKey(const char* name, bool down) {
    XTestFakeKeyEvent(connection, XKeysymToKeycode(connection, XStringToKeysym(name)),
                      down ? True : False, CurrentTime);
    pause();
}

void XvfbSession::type(const std::string& text) {
    for (char c : text) {
        KeySym symbol = static_cast<unsigned char>(c);
        if (c == '\n') symbol = XK_Return;
        if (c == '\b') symbol = XK_BackSpace;
        if (c == '\x1b') symbol = XK_Escape;
        const KeyCode code = XKeysymToKeycode(connection, symbol);
        if (!code) continue;
        // A character on the key's second level needs Shift.
        const bool shifted = XkbKeycodeToKeysym(connection, code, 0, 0) != symbol &&
                             XkbKeycodeToKeysym(connection, code, 0, 1) == symbol;
        const KeyCode shift = XKeysymToKeycode(connection, XK_Shift_L);
        if (shifted) XTestFakeKeyEvent(connection, shift, True, CurrentTime);
        XTestFakeKeyEvent(connection, code, True, CurrentTime);
        XTestFakeKeyEvent(connection, code, False, CurrentTime);
        if (shifted) XTestFakeKeyEvent(connection, shift, False, CurrentTime);
        pause(20);
    }
    pause(100);
}

void XvfbSession::closeWindow(unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(connection, window, False, NoEventMask, &event);
    pause();
}

std::vector<std::uint32_t> XvfbSession::readWindow(unsigned long window, int width,
                                                   int height) const {
    XSync(connection, False);
    XImage* image = XGetImage(connection, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return {};
    const int red = lowestBit(image->red_mask);
    const int green = lowestBit(image->green_mask);
    const int blue = lowestBit(image->blue_mask);
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels.push_back(static_cast<std::uint32_t>((p >> red) & 0xFF) |
                             static_cast<std::uint32_t>((p >> green) & 0xFF) << 8 |
                             static_cast<std::uint32_t>((p >> blue) & 0xFF) << 16);
        }
    }
    XDestroyImage(image);
    return pixels;
}

bool XvfbSession::writePng(unsigned long window, int width, int height,
                           const std::string& path) const {
    const std::vector<std::uint32_t> pixels = readWindow(window, width, height);
    return !pixels.empty() &&
           platform::headless::writePng(pixels.data(), width, height, path.c_str());
}

std::string XvfbSession::firstDifference(const std::vector<std::uint32_t>& shown,
                                         const std::vector<std::uint32_t>& expected, int width,
                                         int height, const std::string& name) {
    const std::size_t count = static_cast<std::size_t>(width) * height;
    if (shown.size() != count || expected.size() != count) return "the pictures' sizes differ";
    std::size_t i = 0;
    while (i < count && shown[i] == expected[i]) ++i;
    if (i == count) return "";
    platform::headless::writePng(shown.data(), width, height, (name + ".png").c_str());
    platform::headless::writePng(expected.data(), width, height, (name + "_expected.png").c_str());
    char text[128];
    std::snprintf(text, sizeof text, "first wrong pixel at (%zu, %zu): shown %06x, expected %06x",
                  i % width, i / width, shown[i], expected[i]);
    return text;
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) {
    int out[2];
    if (::pipe(out) != 0) return;
    child = spawn(arguments, out[1], -1);
    ::close(out[1]);
    pipe = out[0];
}

ChildProcess::~ChildProcess() {
    if (child > 0 && wait(0) < 0) {
        kill(child, SIGKILL);
        waitExit(child, 5000);
    }
    if (pipe >= 0) ::close(pipe);
}

bool ChildProcess::readSome(int timeoutMs) {
    pollfd descriptor{pipe, POLLIN, 0};
    if (pipe < 0 || poll(&descriptor, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    const ssize_t got = ::read(pipe, buffer, sizeof buffer);
    if (got <= 0) {
        ::close(pipe);
        pipe = -1;
        return false;
    }
    seen.append(buffer, static_cast<std::size_t>(got));
    return true;
}

bool ChildProcess::waitFor(const std::string& text, int timeoutMs) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (seen.find(text) == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0 || (!readSome(static_cast<int>(left)) && pipe < 0)) break;
    }
    return seen.find(text) != std::string::npos;
}

int ChildProcess::terminate(int timeoutMs) {
    if (child > 0) kill(child, SIGTERM);
    return wait(timeoutMs);
}

int ChildProcess::wait(int timeoutMs) {
    if (child <= 0) return -1;
    const int code = waitExit(child, timeoutMs);
    if (code >= 0) {
        child = -1;
        while (readSome(0)) {
        }
    }
    return code;
}
