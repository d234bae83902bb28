#include <cstdio>
#include <cstring>

#include "platform/win32/Win32Handles.h"

// Drawing through GDI: pens, brushes and fonts are GDI objects, a surface is a device context.
namespace platform {

using win32::dc;

Pen* createPen(PenStyle style, int width, NativeColor color) {
    LOGPEN description{};
    description.lopnStyle = style == PenStyle::dotted ? PS_DOT : PS_SOLID;
    description.lopnWidth.x = width;
    description.lopnColor = color;
    return reinterpret_cast<Pen*>(CreatePenIndirect(&description));
}

Pen* nullPen() { return reinterpret_cast<Pen*>(GetStockObject(NULL_PEN)); }

Brush* createSolidBrush(NativeColor color) {
    LOGBRUSH description{};
    description.lbStyle = BS_SOLID;
    description.lbColor = color;
    return reinterpret_cast<Brush*>(CreateBrushIndirect(&description));
}

Font* createFont(const FontDescription& description) {
    LOGFONTA font{};
    font.lfHeight = description.height;
    font.lfWeight = description.weight;
    font.lfItalic = description.italic ? TRUE : FALSE;
    font.lfUnderline = description.underline ? TRUE : FALSE;
    font.lfCharSet = static_cast<BYTE>(description.charSet);
    font.lfOutPrecision = static_cast<BYTE>(description.outputPrecision);
    font.lfClipPrecision = static_cast<BYTE>(description.clipPrecision);
    font.lfQuality = static_cast<BYTE>(description.quality);
    font.lfPitchAndFamily = static_cast<BYTE>(description.pitchAndFamily);
    std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", description.faceName);
    return reinterpret_cast<Font*>(CreateFontIndirectA(&font));
}

void deletePen(Pen* pen) {
    if (pen) DeleteObject(win32::pen(pen));
}

void deleteBrush(Brush* brush) {
    if (brush) DeleteObject(win32::brush(brush));
}

void deleteFont(Font* font) {
    if (font) DeleteObject(win32::font(font));
}

bool describeFont(Font* font, FontDescription& description) {
    LOGFONTA logical{};
    if (!font || GetObjectA(win32::font(font), sizeof logical, &logical) == 0) return false;
    description.height = logical.lfHeight;
    description.weight = logical.lfWeight;
    description.italic = logical.lfItalic != 0;
    description.underline = logical.lfUnderline != 0;
    description.charSet = logical.lfCharSet;
    description.outputPrecision = logical.lfOutPrecision;
    description.clipPrecision = logical.lfClipPrecision;
    description.quality = logical.lfQuality;
    description.pitchAndFamily = logical.lfPitchAndFamily;
    std::snprintf(description.faceName, sizeof description.faceName, "%s", logical.lfFaceName);
    return true;
}

Pen* selectPen(Surface* surface, Pen* pen) {
    if (!surface || !pen) return nullptr;
    return reinterpret_cast<Pen*>(SelectObject(dc(surface), win32::pen(pen)));
}

Brush* selectBrush(Surface* surface, Brush* brush) {
    if (!surface || !brush) return nullptr;
    return reinterpret_cast<Brush*>(SelectObject(dc(surface), win32::brush(brush)));
}

Font* selectFont(Surface* surface, Font* font) {
    if (!surface || !font) return nullptr;
    return reinterpret_cast<Font*>(SelectObject(dc(surface), win32::font(font)));
}

Pen* selectedPen(Surface* surface) {
    return surface ? reinterpret_cast<Pen*>(GetCurrentObject(dc(surface), OBJ_PEN)) : nullptr;
}

Brush* selectedBrush(Surface* surface) {
    return surface ? reinterpret_cast<Brush*>(GetCurrentObject(dc(surface), OBJ_BRUSH)) : nullptr;
}

Font* selectedFont(Surface* surface) {
    return surface ? reinterpret_cast<Font*>(GetCurrentObject(dc(surface), OBJ_FONT)) : nullptr;
}

void setTextColor(Surface* surface, NativeColor color) {
    if (surface) SetTextColor(dc(surface), color);
}

void setBackgroundColor(Surface* surface, NativeColor color) {
    if (surface) SetBkColor(dc(surface), color);
}

void setOpaqueBackground(Surface* surface, bool opaque) {
    if (surface) SetBkMode(dc(surface), opaque ? OPAQUE : TRANSPARENT);
}

void moveTo(Surface* surface, int x, int y) {
    if (surface) MoveToEx(dc(surface), x, y, nullptr);
}

void lineTo(Surface* surface, int x, int y) {
    if (surface) LineTo(dc(surface), x, y);
}

void fillRect(Surface* surface, const PixelRect& area) {
    if (!surface) return;
    const RECT rect{area.left, area.top, area.right, area.bottom};
    FillRect(dc(surface), &rect, static_cast<HBRUSH>(GetCurrentObject(dc(surface), OBJ_BRUSH)));
}

void drawText(Surface* surface, const char* text, const PixelRect& box, TextAlign align) {
    if (!surface || !text) return;
    RECT rect{box.left, box.top, box.right, box.bottom};
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (align == TextAlign::centre) format |= DT_CENTER;
    if (align == TextAlign::right) format |= DT_RIGHT;
    DrawTextA(dc(surface), text, -1, &rect, format);
}

void measureText(Surface* surface, const char* text, int& width, int& height) {
    width = 0;
    height = 0;
    if (!surface || !text) return;
    SIZE size{};
    if (GetTextExtentPoint32A(dc(surface), text, static_cast<int>(std::strlen(text)), &size)) {
        width = size.cx;
        height = size.cy;
    }
}

NativeColor pixelAt(Surface* surface, int x, int y) {
    if (!surface) return invalidPixel;
    return GetPixel(dc(surface), x, y);
}

}  // namespace platform
