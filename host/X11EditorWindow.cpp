#include "host/X11EditorWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <string>
#include <thread>

namespace {

constexpr std::uint32_t buttonBits =
    BRL_DISPLAY_LEFT_BUTTON | BRL_DISPLAY_MIDDLE_BUTTON | BRL_DISPLAY_RIGHT_BUTTON;
// Pixels reach the window at most this often while a control tracks a drag.
constexpr std::uint32_t dragFrameMilliseconds = 30;

std::uint32_t realNow() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool later(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) > 0; }

int lowestBit(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

std::uint32_t modifiersOf(unsigned int state) {
    std::uint32_t keys = 0;
    if (state & ShiftMask) keys |= BRL_DISPLAY_SHIFT;
    if (state & ControlMask) keys |= BRL_DISPLAY_CONTROL;
    if (state & Mod1Mask) keys |= BRL_DISPLAY_ALT;
    return keys;
}

std::uint32_t buttonBit(unsigned int button) {
    switch (button) {
        case Button1: return BRL_DISPLAY_LEFT_BUTTON;
        case Button2: return BRL_DISPLAY_MIDDLE_BUTTON;
        case Button3: return BRL_DISPLAY_RIGHT_BUTTON;
        default: return 0;
    }
}

// A modifier key's own press or release: the event's state is the one from before it.
std::uint32_t modifierKeyBit(KeySym symbol) {
    switch (symbol) {
        case XK_Shift_L:
        case XK_Shift_R: return BRL_DISPLAY_SHIFT;
        case XK_Control_L:
        case XK_Control_R: return BRL_DISPLAY_CONTROL;
        case XK_Alt_L:
        case XK_Alt_R: return BRL_DISPLAY_ALT;
        default: return 0;
    }
}

// X errors on this window's connection (its parent destroyed it under us, say) are ignored
// while one of these lives; other connections' errors go to the handler that was there. The
// handler is process-wide, so it is only set for the span of our own calls and synced before
// it goes.
Display* quietConnection = nullptr;
XErrorHandler previousHandler = nullptr;
bool quietErrorSeen = false;

int quietHandler(Display* connection, XErrorEvent* error) {
    if (connection == quietConnection) {
        quietErrorSeen = true;
        return 0;
    }
    return previousHandler ? previousHandler(connection, error) : 0;
}

class QuietErrors {
public:
    explicit QuietErrors(Display* connection) : connection(connection) {
        if (!connection || quietConnection) return;
        quietConnection = connection;
        quietErrorSeen = false;
        previousHandler = XSetErrorHandler(quietHandler);
        active = true;
    }
    ~QuietErrors() { end(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

    // Waits for the server's answers and puts the previous handler back; true when one of our
    // requests failed. Call it before the connection closes.
    bool end() {
        if (!active) return false;
        active = false;
        XSync(connection, False);
        XSetErrorHandler(previousHandler);
        quietConnection = nullptr;
        return quietErrorSeen;
    }

private:
    Display* connection;
    bool active = false;
};

}  // namespace

struct X11EditorWindow::Queued {
    XEvent event;
    bool releasedEarly;
};

struct X11EditorWindow::Deferred {
    std::deque<Queued> events;
};

X11EditorWindow::X11EditorWindow(int width, int height, unsigned long parentWindow,
                                 const char* title)
    : deferred(std::make_unique<Deferred>()), display(width, height) {
    if (width <= 0 || height <= 0) return;
    connection = XOpenDisplay(nullptr);
    if (!connection) return;
    QuietErrors quiet(connection);
    const int screen = DefaultScreen(connection);
    Visual* visual = DefaultVisual(connection, screen);
    const int depth = DefaultDepth(connection, screen);
    if (visual->c_class != TrueColor || depth < 24) {
        quiet.end();
        XCloseDisplay(connection);
        connection = nullptr;
        return;
    }
    redShift = lowestBit(visual->red_mask);
    greenShift = lowestBit(visual->green_mask);
    blueShift = lowestBit(visual->blue_mask);

    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | KeyReleaseMask | StructureNotifyMask;
    attributes.background_pixel = BlackPixel(connection, screen);
    const ::Window parent = parentWindow ? parentWindow : RootWindow(connection, screen);
    window = XCreateWindow(connection, parent, 0, 0, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                           CopyFromParent, CWEventMask | CWBackPixel, &attributes);
    if (!parentWindow) {
        XStoreName(connection, window, title ? title : "");
        deleteAtom = XInternAtom(connection, "WM_DELETE_WINDOW", False);
        Atom protocols[] = {deleteAtom};
        XSetWMProtocols(connection, window, protocols, 1);
        // The editor has one size.
        XSizeHints* hints = XAllocSizeHints();
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(connection, window, hints);
        XFree(hints);
    }
    gc = XCreateGC(connection, window, 0, nullptr);
    converted.resize(static_cast<std::size_t>(width) * height);
    image = XCreateImage(connection, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                         reinterpret_cast<char*>(converted.data()), static_cast<unsigned>(width),
                         static_cast<unsigned>(height), 32, 0);
    if (image) {
        // The rows are this machine's 32-bit words; Xlib swaps them for a server of the other
        // order.
        image->byte_order = LSBFirst;
        XMapWindow(connection, window);
    }
    // A parent that is gone already fails the window's creation.
    if (quiet.end() || !image || image->bits_per_pixel != 32) {
        QuietErrors cleanup(connection);
        if (image) image->data = nullptr;
        if (image) XDestroyImage(image);
        image = nullptr;
        XFreeGC(connection, gc);
        XDestroyWindow(connection, window);
        cleanup.end();
        XCloseDisplay(connection);
        connection = nullptr;
        return;
    }
    display.setNow(realNow());
    display.onClockAdvanced([this] { onClockAdvanced(); });
}

X11EditorWindow::~X11EditorWindow() {
    display.onClockAdvanced(nullptr);
    if (!connection) return;
    {
        QuietErrors quiet(connection);
        image->data = nullptr;
        XDestroyImage(image);
        XFreeGC(connection, gc);
        if (ownsWindow) XDestroyWindow(connection, window);
    }
    XCloseDisplay(connection);
}

void X11EditorWindow::onClockAdvanced() {
    // The plug-in moved its clock to sleep: wait until real time has caught up with it.
    const std::uint32_t wanted = display.now();
    std::uint32_t real = realNow();
    if (later(wanted, real)) {
        const std::uint32_t wait = std::min<std::uint32_t>(wanted - real, 50);
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        real = realNow();
    }
    if (later(real, wanted)) display.setNow(real);
    if (releaseAtNextClock) {
        heldKeys &= ~releaseAtNextClock;
        releaseAtNextClock = 0;
        display.setKeys(heldKeys);
    }
    readPending();
    if (delivering && !closed && !later(lastShown + dragFrameMilliseconds, real)) refresh();
}

void X11EditorWindow::readPending() {
    if (!connection) return;
    while (!closed && XPending(connection) > 0) {
        XEvent event;
        XNextEvent(connection, &event);
        deferred->events.push_back({event, false});
    }
    if (!delivering) return;
    // A control is tracking the mouse: it hears the motion and the releases that follow its
    // press. Clicks and keys that come after wait their turn; a release that belongs to such a
    // click is taken now all the same, so a loop waiting for it cannot hang, and marked on it.
    bool pressWaits = false;
    for (auto queued = deferred->events.begin(); queued != deferred->events.end();) {
        XEvent& event = queued->event;
        if (isPress(event)) {
            pressWaits = true;
            ++queued;
            continue;
        }
        if (pressWaits && event.type != ButtonRelease) {
            ++queued;
            continue;
        }
        if (pressWaits) {
            for (auto press = deferred->events.begin(); press != queued; ++press) {
                if (press->event.type == ButtonPress &&
                    press->event.xbutton.button == event.xbutton.button)
                    press->releasedEarly = true;
            }
        }
        apply(event);
        queued = deferred->events.erase(queued);
    }
}

bool X11EditorWindow::isPress(const XEvent& event) {
    if (event.type == ButtonPress) return true;
    if (event.type != KeyPress) return false;
    XKeyEvent key = event.xkey;
    return modifierKeyBit(XLookupKeysym(&key, 0)) == 0;
}

void X11EditorWindow::apply(XEvent& event) {
    switch (event.type) {
        case MotionNotify: display.setMouse(event.xmotion.x, event.xmotion.y); break;
        case ButtonRelease:
            heldKeys &= ~buttonBit(event.xbutton.button);
            display.setMouse(event.xbutton.x, event.xbutton.y);
            display.setKeys(heldKeys);
            break;
        case KeyPress:
        case KeyRelease: {
            const std::uint32_t bit = modifierKeyBit(XLookupKeysym(&event.xkey, 0));
            if (event.type == KeyPress)
                heldKeys |= bit;
            else
                heldKeys &= ~bit;
            display.setKeys(heldKeys);
            break;
        }
        case Expose: exposed = true; break;
        case DestroyNotify:
            if (event.xdestroywindow.window == window) {
                ownsWindow = false;
                close();
            }
            break;
        case ClientMessage:
            if (deleteAtom && static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom)
                close();
            break;
        default: break;
    }
}

void X11EditorWindow::close() {
    closed = true;
    heldKeys = 0;
    display.setKeys(0);
}

void X11EditorWindow::deliver(XEvent& event, bool releasedEarly) {
    if (event.type == ButtonPress) {
        const XButtonEvent& press = event.xbutton;
        heldKeys = (heldKeys & buttonBits) | modifiersOf(press.state);
        display.setMouse(press.x, press.y);
        if (press.button == Button4 || press.button == Button5) {
            // Up, away from the user, is a positive turn.
            display.wheel(press.x, press.y, press.button == Button4 ? 1.0f : -1.0f,
                          heldKeys & ~buttonBits);
            return;
        }
        const std::uint32_t bit = buttonBit(press.button);
        if (!bit) return;
        // Typing goes to the editor once it has been clicked, also inside a host's window.
        XSetInputFocus(connection, window, RevertToParent, CurrentTime);
        heldKeys |= bit;
        display.setKeys(heldKeys);
        // Its release was taken during an earlier drag: the control sees it held until the
        // clock first moves.
        if (releasedEarly) releaseAtNextClock |= bit;
        ++delivering;
        display.pressHeld(press.x, press.y, bit);
        --delivering;
        if (releasedEarly) {
            heldKeys &= ~bit;
            releaseAtNextClock &= ~bit;
            display.setKeys(heldKeys);
        }
        return;
    }
    char text[16] = {};
    KeySym symbol = NoSymbol;
    const int length = XLookupString(&event.xkey, text, sizeof text - 1, &symbol, nullptr);
    switch (symbol) {
        case XK_BackSpace: display.key(BRL_DISPLAY_KEY_BACKSPACE); return;
        case XK_Return:
        case XK_KP_Enter: display.key(BRL_DISPLAY_KEY_ENTER); return;
        case XK_Escape: display.key(BRL_DISPLAY_KEY_ESCAPE); return;
        default: break;
    }
    // XLookupString gives Latin-1; the display takes UTF-8.
    std::string characters;
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) continue;
        if (c < 0x80) {
            characters += static_cast<char>(c);
        } else {
            characters += static_cast<char>(0xC0 | (c >> 6));
            characters += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    if (!characters.empty()) display.key(BRL_DISPLAY_KEY_TEXT, characters.c_str());
}

bool X11EditorWindow::handleEvents() {
    if (!connection) return false;
    QuietErrors quiet(connection);
    const std::uint32_t real = realNow();
    if (later(real, display.now())) display.setNow(real);
    readPending();
    while (!closed && !deferred->events.empty()) {
        Queued queued = deferred->events.front();
        deferred->events.pop_front();
        if (isPress(queued.event))
            deliver(queued.event, queued.releasedEarly);
        else
            apply(queued.event);
        readPending();
    }
    if (!closed) refresh();
    return !closed;
}

void X11EditorWindow::refresh() {
    if (!connection || closed) return;
    display.compose();
    const std::vector<std::uint32_t>& pixels = display.pixels();
    if (!exposed && pixels == shown) return;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t p = pixels[i];  // 0x00BBGGRR
        converted[i] = (p & 0xFFu) << redShift | ((p >> 8) & 0xFFu) << greenShift |
                       ((p >> 16) & 0xFFu) << blueShift;
    }
    QuietErrors quiet(connection);
    XPutImage(connection, window, gc, image, 0, 0, 0, 0, static_cast<unsigned>(display.width()),
              static_cast<unsigned>(display.height()));
    XFlush(connection);
    shown = pixels;
    exposed = false;
    lastShown = realNow();
}

void X11EditorWindow::setVisible(bool visible) {
    if (!connection || closed) return;
    QuietErrors quiet(connection);
    if (visible)
        XMapWindow(connection, window);
    else
        XUnmapWindow(connection, window);
    exposed = true;
}

void X11EditorWindow::waitForEvents(int milliseconds) const {
    if (!connection) return;
    if (XPending(connection) > 0) return;
    pollfd descriptor{ConnectionNumber(connection), POLLIN, 0};
    poll(&descriptor, 1, milliseconds);
}
