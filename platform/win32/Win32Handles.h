#pragma once

#include <windows.h>

#include "platform/Picture.h"
#include "platform/Surface.h"
#include "platform/Window.h"

// The layer's handles are the window system's own, under opaque types.
namespace platform::win32 {

inline HDC dc(Surface* surface) { return reinterpret_cast<HDC>(surface); }
inline Surface* surfaceOf(HDC dc) { return reinterpret_cast<Surface*>(dc); }
inline HPEN pen(Pen* pen) { return reinterpret_cast<HPEN>(pen); }
inline HBRUSH brush(Brush* brush) { return reinterpret_cast<HBRUSH>(brush); }
inline HFONT font(Font* font) { return reinterpret_cast<HFONT>(font); }
inline HBITMAP bitmap(Picture* picture) { return reinterpret_cast<HBITMAP>(picture); }
inline Picture* pictureOf(HBITMAP bitmap) { return reinterpret_cast<Picture*>(bitmap); }
inline HWND hwnd(Window* window) { return reinterpret_cast<HWND>(window); }
inline Window* windowOf(HWND hwnd) { return reinterpret_cast<Window*>(hwnd); }
inline HCURSOR cursor(Cursor* cursor) { return reinterpret_cast<HCURSOR>(cursor); }
inline Cursor* cursorOf(HCURSOR cursor) { return reinterpret_cast<Cursor*>(cursor); }

// The module that owns the windows this layer creates.
HINSTANCE instance();

}  // namespace platform::win32
