#include "platform/ModuleHandle.h"
#include "platform/win32/Win32Handles.h"

// Windows through USER: the layer's own window procedure turns the messages of the registered
// class into calls of the WindowListener kept in each window's user-data slot.
namespace platform {

using win32::hwnd;
using win32::windowOf;

namespace win32 {
HINSTANCE instance() { return static_cast<HINSTANCE>(moduleHandle()); }
}  // namespace win32

namespace {

const char hostClassName[] = "BrillianteerHostWindow";
const char closeRequestProperty[] = "BrillianteerCloseRequested";

WindowListener* listenerOf(HWND window) {
    return reinterpret_cast<WindowListener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK childProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    WindowListener* listener = listenerOf(window);
    if (!listener) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY:
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            listener->windowDestroyed(windowOf(window));
            break;
        case WM_PAINT:
            if (GetUpdateRect(window, nullptr, FALSE)) {
                PAINTSTRUCT paint{};
                HDC surface = BeginPaint(window, &paint);
                listener->windowPaint(windowOf(window), win32::surfaceOf(surface));
                EndPaint(window, &paint);
                return 0;
            }
            break;
        case WM_CTLCOLOREDIT: {
            Brush* brush = listener->editFieldColors(
                windowOf(window), windowOf(reinterpret_cast<HWND>(lParam)),
                win32::surfaceOf(reinterpret_cast<HDC>(wParam)));
            if (brush) return reinterpret_cast<LRESULT>(brush);
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            listener->windowMouseDown(windowOf(window), LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_MOUSEWHEEL: {
            // Not passed on to the parent, which hands the wheel to the child under the mouse.
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ScreenToClient(window, &at);
            listener->windowWheel(windowOf(window), at.x, at.y,
                                  static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA);
            return 0;
        }
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A top-level window stays when the user closes it, so that its owner can first close the
// editor inside; the request is kept in a window property.
LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        SetPropA(window, closeRequestProperty, reinterpret_cast<HANDLE>(1));
        return 0;
    }
    if (message == WM_NCDESTROY) RemovePropA(window, closeRequestProperty);
    if (message == WM_MOUSEWHEEL) {
        // The wheel reaches the window with the focus; the editor's window under the mouse
        // takes it, as it would in a host.
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const HWND target = WindowFromPoint(at);
        if (target && target != window && IsChild(window, target))
            return SendMessageA(target, message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerHostClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = hostProcedure;
    windowClass.hInstance = win32::instance();
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // the arrow
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = hostClassName;
    registered = RegisterClassA(&windowClass) != 0;
    return registered;
}

}  // namespace

bool registerWindowClass(const char* className) {
    if (!className) return false;
    WNDCLASSA windowClass{};
    windowClass.style = CS_GLOBALCLASS;
    windowClass.lpfnWndProc = childProcedure;
    windowClass.hInstance = win32::instance();
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0;
}

void unregisterWindowClass(const char* className) {
    if (className) UnregisterClassA(className, win32::instance());
}

Window* createChildWindow(Window* parent, const char* className, const char* title, int x, int y,
                          int width, int height, WindowListener* listener) {
    if (!parent || !className) return nullptr;
    return windowOf(CreateWindowExA(0, className, title, WS_CHILD | WS_VISIBLE, x, y, width, height,
                                    hwnd(parent), nullptr, win32::instance(), listener));
}

Window* createTopLevelWindow(const char* title, int x, int y, int width, int height) {
    if (!registerHostClass()) return nullptr;
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, style, FALSE);
    HWND window =
        CreateWindowExA(0, hostClassName, title, style, x, y, outer.right - outer.left,
                        outer.bottom - outer.top, nullptr, nullptr, win32::instance(), nullptr);
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return windowOf(window);
}

void requestClose(Window* window) {
    if (window) PostMessageA(hwnd(window), WM_CLOSE, 0, 0);
}

bool closeRequested(Window* window) {
    return window && GetPropA(hwnd(window), closeRequestProperty) != nullptr;
}

void destroyWindow(Window* window) {
    if (window) DestroyWindow(hwnd(window));
}

void moveWindow(Window* window, int x, int y) {
    if (window) {
        SetWindowPos(hwnd(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool windowScreenRect(Window* window, PixelRect& rect) {
    RECT screen{};
    if (!window || !GetWindowRect(hwnd(window), &screen)) return false;
    rect = {screen.left, screen.top, screen.right, screen.bottom};
    return true;
}

int windowText(Window* window, char* text, int capacity) {
    if (!window || !text || capacity <= 0) return 0;
    text[0] = '\0';
    return GetWindowTextA(hwnd(window), text, capacity);
}

Surface* acquireWindowSurface(Window* window) {
    return win32::surfaceOf(GetDC(window ? hwnd(window) : nullptr));
}

void releaseWindowSurface(Window* window, Surface* surface) {
    if (surface) ReleaseDC(window ? hwnd(window) : nullptr, win32::dc(surface));
}

bool readWindowPixels(Window* window, std::vector<NativeColor>& pixels, int& width, int& height) {
    RECT client{};
    if (!window || !GetClientRect(hwnd(window), &client)) return false;
    width = client.right - client.left;
    height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return false;
    HDC windowDc = GetDC(hwnd(window));
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP copy = CreateCompatibleBitmap(windowDc, width, height);
    HGDIOBJ previous = SelectObject(memoryDc, copy);
    bool read = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != 0;
    SelectObject(memoryDc, previous);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> bgra(static_cast<size_t>(width) * height);
    read =
        read && GetDIBits(memoryDc, copy, 0, height, bgra.data(), &info, DIB_RGB_COLORS) == height;
    DeleteObject(copy);
    DeleteDC(memoryDc);
    ReleaseDC(hwnd(window), windowDc);
    if (!read) return false;
    pixels.resize(bgra.size());
    for (size_t i = 0; i < bgra.size(); ++i) {
        const std::uint32_t p = bgra[i];
        pixels[i] = makeNativeColor(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
    }
    return true;
}

void invalidateWindow(Window* window) {
    if (window) InvalidateRect(hwnd(window), nullptr, TRUE);
}

bool dispatchPaintMessage() {
    MSG message{};
    if (!PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) return false;
    DispatchMessageA(&message);
    return true;
}

void dispatchPendingMessages() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void waitForMessages(std::uint32_t milliseconds) {
    // Messages already seen by an earlier peek but left in the queue count as waiting too.
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

Cursor* systemCursor(CursorShape shape) {
    // The system's cursor ids: arrow, wait, west-east, north-south, all four, NE-SW, NW-SE.
    static const int ids[] = {32512, 32514, 32644, 32645, 32646, 32643, 32642};
    return win32::cursorOf(LoadCursorA(nullptr, MAKEINTRESOURCEA(ids[static_cast<int>(shape)])));
}

Cursor* currentCursor() { return win32::cursorOf(GetCursor()); }

Cursor* setCursor(Cursor* cursor) { return win32::cursorOf(SetCursor(win32::cursor(cursor))); }

}  // namespace platform
