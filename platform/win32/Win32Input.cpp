#include "platform/Input.h"
#include "platform/win32/Win32Handles.h"

namespace platform {

bool isKeyDown(Key key) {
    static const int virtualKeys[] = {VK_LBUTTON, VK_MBUTTON, VK_RBUTTON,
                                      VK_SHIFT,   VK_CONTROL, VK_MENU};
    return (GetAsyncKeyState(virtualKeys[static_cast<int>(key)]) & 0x8000) != 0;
}

void mousePosition(int& x, int& y) {
    POINT point{};
    GetCursorPos(&point);
    x = point.x;
    y = point.y;
}

std::uint32_t tickCount() { return GetTickCount(); }

void sleepMilliseconds(std::uint32_t milliseconds) { Sleep(milliseconds); }

std::uint32_t doubleClickTime() { return GetDoubleClickTime(); }

}  // namespace platform
