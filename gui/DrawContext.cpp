#include "gui/DrawContext.h"

#include <cstring>

#include "gui/Fonts.h"
#include "platform/Input.h"

namespace {
constexpr int weightNormal = 400;
constexpr int weightBold = 700;
constexpr int stringPrecision = 1;
constexpr int strokePrecision = 2;
constexpr int variablePitchSwiss = 0x22;
constexpr int decorativeFamily = 0x50;
}  // namespace

DrawContext::DrawContext(Frame* frame, platform::Surface* surface, platform::Window* window)
    : surface(surface), window(window), frame(frame) {
    clipRect = {0, 0, 1000, 1000};
    frameColor = colorWhite;
    fillColor = colorBlack;
    fontColor = colorWhite;
    if (surface) {
        savedBrush = platform::selectedBrush(surface);
        savedPen = platform::selectedPen(surface);
        savedFont = platform::selectedFont(surface);
        platform::setOpaqueBackground(surface, false);
    }
    platform::PixelRect screen{};
    if (window && platform::windowScreenRect(window, screen))
        windowOrigin = {screen.left, screen.top};
    if (surface) {
        setFrameColor(frameColor);
        setLineStyle(lineStyle);
        setFillColor(fillColor);
        setFontColor(fontColor);
    }
}

DrawContext::~DrawContext() {
    if (surface) {
        if (savedBrush) platform::selectBrush(surface, savedBrush);
        if (savedPen) platform::selectPen(surface, savedPen);
        if (savedFont) platform::selectFont(surface, savedFont);
    }
    platform::deleteBrush(brush);
    platform::deletePen(pen);
    platform::deleteFont(font);
}

void DrawContext::moveTo(Point p) {
    if (surface) platform::moveTo(surface, p.h + offset.h, p.v + offset.v);
}

void DrawContext::lineTo(Point p) {
    if (surface) platform::lineTo(surface, p.h + offset.h, p.v + offset.v);
}

void DrawContext::drawRect(const Rect& r) {
    moveTo({r.left, r.top});
    lineTo({r.right, r.top});
    lineTo({r.right, r.bottom});
    lineTo({r.left, r.bottom});
    lineTo({r.left, r.top});
}

void DrawContext::fillRect(const Rect& r) {
    if (!surface) return;
    platform::Pen* previous = platform::selectPen(surface, platform::nullPen());
    platform::fillRect(surface, {r.left + 1 + offset.h, r.top + 1 + offset.v, r.right + offset.h,
                                 r.bottom + offset.v});
    if (previous) platform::selectPen(surface, previous);
}

void DrawContext::replacePen() {
    if (!surface) return;
    platform::Pen* created = platform::createPen(nativePenStyle, lineWidth, frameColor.native());
    if (!created) return;
    platform::selectPen(surface, created);
    platform::deletePen(pen);
    pen = created;
}

void DrawContext::setLineStyle(std::int32_t style) {
    lineStyle = style;
    nativePenStyle = style == lineDotted ? platform::PenStyle::dotted : platform::PenStyle::solid;
    replacePen();
}

void DrawContext::setFrameColor(Color color) {
    frameColor = color;
    replacePen();
}

void DrawContext::setFillColor(Color color) {
    fillColor = color;
    if (!surface) return;
    platform::setBackgroundColor(surface, color.native());
    platform::Brush* created = platform::createSolidBrush(color.native());
    if (!created) return;
    platform::selectBrush(surface, created);
    platform::deleteBrush(brush);
    brush = created;
}

void DrawContext::setFontColor(Color color) {
    fontColor = color;
    if (surface) platform::setTextColor(surface, color.native());
}

void DrawContext::setFont(std::int32_t id, std::int32_t size, std::int32_t style) {
    if (id < fontSystem || id > fontSymbol) id = fontSystem;
    fontId = id;
    const FontEntry& entry = fontEntry(id);
    if (size == 0) size = entry.defaultSize;
    fontSize = size;
    if (!surface) return;

    platform::FontDescription description;
    // Negative: the character height in pixels rather than the cell height.
    description.height = -size;
    description.weight = (style & fontStyleBold) || id == fontSystem ? weightBold : weightNormal;
    description.italic = (style & fontStyleItalic) != 0;
    description.underline = (style & fontStyleUnderline) != 0;
    description.outputPrecision = stringPrecision;
    description.clipPrecision = strokePrecision;
    description.pitchAndFamily = id == fontSymbol ? decorativeFamily : variablePitchSwiss;
    std::strncpy(description.faceName, entry.face, sizeof description.faceName - 1);

    platform::Font* created = platform::createFont(description);
    if (!created) return;
    platform::selectFont(surface, created);
    platform::deleteFont(font);
    font = created;
}

void DrawContext::drawString(const char* text, const Rect& r, bool opaque, std::int32_t align) {
    if (!surface || !text) return;
    platform::setOpaqueBackground(surface, opaque);
    Rect target = r.movedBy(offset);
    platform::TextAlign nativeAlign = platform::TextAlign::left;
    if (align == textAlignCenter) {
        nativeAlign = platform::TextAlign::centre;
    } else if (align == textAlignRight) {
        nativeAlign = platform::TextAlign::right;
    } else {
        target.left += 1;
    }
    platform::drawText(surface, text, {target.left, target.top, target.right, target.bottom},
                       nativeAlign);
    platform::setOpaqueBackground(surface, false);
}

std::int32_t DrawContext::getMouseButtons() {
    std::int32_t buttons = 0;
    if (platform::isKeyDown(platform::Key::leftButton)) buttons |= mouseLeft;
    if (platform::isKeyDown(platform::Key::middleButton)) buttons |= mouseMiddle;
    if (platform::isKeyDown(platform::Key::rightButton)) buttons |= mouseRight;
    if (platform::isKeyDown(platform::Key::shift)) buttons |= modifierShift;
    if (platform::isKeyDown(platform::Key::control)) buttons |= modifierControl;
    if (platform::isKeyDown(platform::Key::alt)) buttons |= modifierAlt;
    return buttons;
}

void DrawContext::getMousePosition(Point& out) {
    int x = 0;
    int y = 0;
    platform::mousePosition(x, y);
    out = {x - windowOrigin.h, y - windowOrigin.v};
}
