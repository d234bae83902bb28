#include "platform/win32/Win32Handles.h"

// The native one-line edit field. Its window procedure is replaced by one that tells the
// listener when the user is done (focus lost, or Enter) after the field handled the message.
namespace platform {

namespace {

const char previousProcedureProperty[] = "BrillianteerEditProcedure";

LRESULT CALLBACK editProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(field, previousProcedureProperty));
    EditFieldListener* listener =
        reinterpret_cast<EditFieldListener*>(GetWindowLongPtrA(field, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropA(field, previousProcedureProperty);
        SetWindowLongPtrA(field, GWLP_USERDATA, 0);
    }
    const LRESULT result = CallWindowProcA(previous, field, message, wParam, lParam);
    const bool finished = message == WM_KILLFOCUS || (message == WM_KEYDOWN && wParam == VK_RETURN);
    if (finished && listener && message != WM_NCDESTROY) {
        listener->editFieldFinished(win32::windowOf(field));
    }
    return result;
}

}  // namespace

Window* createEditField(Window* parent, const PixelRect& area, const char* text, TextAlign align,
                        Font* font, EditFieldListener* listener) {
    if (!parent) return nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
    if (align == TextAlign::left) style |= ES_LEFT;
    if (align == TextAlign::centre) style |= ES_CENTER;
    if (align == TextAlign::right) style |= ES_RIGHT;
    HWND field = CreateWindowExA(0, "EDIT", text ? text : "", style, area.left, area.top,
                                 area.right - area.left, area.bottom - area.top,
                                 win32::hwnd(parent), nullptr, win32::instance(), nullptr);
    if (!field) return nullptr;
    if (font) SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(win32::font(font)), TRUE);
    SetWindowLongPtrA(field, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(listener));
    SendMessageA(field, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    SendMessageA(field, EM_SETSEL, 0, -1);
    const LONG_PTR previous =
        SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProcedure));
    SetPropA(field, previousProcedureProperty, reinterpret_cast<HANDLE>(previous));
    SetFocus(field);
    return win32::windowOf(field);
}

}  // namespace platform
