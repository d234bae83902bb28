#pragma once

#include <cstdint>

#include "gui/Color.h"
#include "gui/Point.h"
#include "gui/Rect.h"
#include "platform/Surface.h"
#include "platform/Window.h"

class Frame;

// Bits of getMouseButtons: buttons and modifier keys held at the moment of the call.
constexpr std::int32_t mouseLeft = 1;
constexpr std::int32_t mouseMiddle = 2;
constexpr std::int32_t mouseRight = 4;
constexpr std::int32_t modifierShift = 8;
constexpr std::int32_t modifierControl = 16;
constexpr std::int32_t modifierAlt = 32;

// Line styles of setLineStyle.
constexpr std::int32_t lineSolid = 0;
constexpr std::int32_t lineDotted = 1;

// Alignments of drawString.
constexpr std::int32_t textAlignLeft = 0;
constexpr std::int32_t textAlignCenter = 1;
constexpr std::int32_t textAlignRight = 2;

// A short-lived wrapper around one native surface for one pass (a paint, a click, an idle
// redraw): keeps the pen, fill and font state, shifts coordinates by the offset, and reads the
// mouse and modifier keys. Created and destroyed by whoever owns the surface; it never releases
// the surface or the window itself.
class DrawContext {
public:
    // Stores the arguments and, with a surface, saves the surface's brush, pen and font, makes
    // text transparent and applies the initial state: white pen, solid 1-pixel lines, black
    // fill, white text. A window's screen position is taken now, for getMousePosition.
    DrawContext(Frame* frame, platform::Surface* surface, platform::Window* window);
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;
    // Reselects what the surface had selected before, then deletes this context's objects.
    virtual ~DrawContext();

    void moveTo(Point p);
    // A line with the current pen from the current position to p; its end point is not painted.
    void lineTo(Point p);
    // Outlines r: left..right and top..bottom, edges included, the inside untouched.
    void drawRect(const Rect& r);
    // Fills the inside of what drawRect outlines: left+1..right-1, top+1..bottom-1.
    void fillRect(const Rect& r);

    // 1 is dotted; every other value solid.
    void setLineStyle(std::int32_t style);
    void setFrameColor(Color color);
    // Also the background colour behind opaque text. A brush that cannot be made leaves the
    // previous one in use.
    void setFillColor(Color color);
    void setFontColor(Color color);
    // An id outside 0..7 means font 0; size 0 the font's default size; style bits as in
    // gui/Fonts.h. Font 0 is always bold; font 7 asks for the decorative family.
    void setFont(std::int32_t fontId, std::int32_t size = 0, std::int32_t style = 0);
    // One line vertically centred in r: align 1 centred, 2 right, anything else left with r's
    // left edge one pixel further right. Opaque fills behind the glyphs with the fill colour.
    void drawString(const char* text, const Rect& r, bool opaque = false,
                    std::int32_t align = textAlignCenter);

    // The mouse button and modifier bits held now.
    std::int32_t getMouseButtons();
    // The mouse position relative to where the window was when this context was created.
    void getMousePosition(Point& out);

    Point getOffset() const { return offset; }
    void setOffset(Point value) { offset = value; }
    Point getWindowOrigin() const { return windowOrigin; }
    platform::Surface* getSurface() const { return surface; }
    platform::Window* getWindow() const { return window; }
    Frame* getFrame() const { return frame; }
    std::int32_t getFontSize() const { return fontSize; }
    std::int32_t getFontId() const { return fontId; }
    Color getFontColor() const { return fontColor; }
    std::int32_t getLineWidth() const { return lineWidth; }
    Color getFillColor() const { return fillColor; }
    std::int32_t getLineStyle() const { return lineStyle; }
    Rect getClipRect() const { return clipRect; }

protected:
    // Creates a pen of the current style, width and frame colour and replaces the owned one.
    void replacePen();

    Point windowOrigin;
    Point offset;
    platform::Surface* surface;
    platform::Window* window;
    Frame* frame;
    std::int32_t fontSize = 0;
    std::int32_t fontId = 0;
    Color fontColor;
    std::int32_t lineWidth = 1;
    Color frameColor;
    Color fillColor;
    std::int32_t lineStyle = lineSolid;
    Rect clipRect;  // recorded for callers, never applied to the surface
    platform::Brush* brush = nullptr;
    platform::Pen* pen = nullptr;
    platform::Font* font = nullptr;
    platform::Brush* savedBrush = nullptr;
    platform::Pen* savedPen = nullptr;
    platform::Font* savedFont = nullptr;
    platform::PenStyle nativePenStyle = platform::PenStyle::solid;
};
