#pragma once

#include <cstdint>

// Drawing surfaces and the pens, brushes and fonts selected into them.
//
// A surface is either a window's (platform/Window.h) or a memory surface with a picture selected
// (platform/Picture.h). Every back end produces the same pixels:
// - fillRect paints columns left..right-1 and rows top..bottom-1;
// - a line paints its start point and every pixel on the way, but not its end point;
// - a dotted pen paints 3 pixels and skips 3, starting afresh at the start of every line; the
//   skipped pixels take the background colour when the surface draws opaque, else stay;
// - colours are exact 8-bit red, green and blue values; nothing is dithered or blended except
//   the edges of glyphs.
// A new surface has a black 1-pixel pen, a white brush, the system font, black text and an opaque
// white background.
// Objects are created by the caller, selected into surfaces, and deleted by the caller once no
// surface has them selected any more.
namespace platform {

struct Surface;
struct Pen;
struct Brush;
struct Font;

// red | green << 8 | blue << 16; the top byte is zero.
using NativeColor = std::uint32_t;

constexpr NativeColor makeNativeColor(int red, int green, int blue) {
    return static_cast<NativeColor>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}

// What pixelAt answers outside the surface or on a surface without pixels.
constexpr NativeColor invalidPixel = 0xFFFFFFFFu;

// Edges in pixels; right and bottom are exclusive wherever an area is painted.
struct PixelRect {
    int left;
    int top;
    int right;
    int bottom;
};

enum class PenStyle { solid, dotted };

enum class TextAlign { left, centre, right };

// A font request in the window system's terms. A negative height asks for the character
// (em) height in pixels, a positive one for the cell height (ascent plus descent).
struct FontDescription {
    int height = 0;
    int weight = 400;  // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    int charSet = 0;
    int outputPrecision = 0;
    int clipPrecision = 0;
    int quality = 0;
    int pitchAndFamily = 0;
    char faceName[32] = {};
};

// A pen of the style, width in pixels (0 counts as 1) and colour; null when it cannot be made.
// Only 1-pixel pens are dotted: a wider pen of the dotted style draws solid.
Pen* createPen(PenStyle style, int width, NativeColor color);
// The stock pen that paints nothing. Never deleted.
Pen* nullPen();
// A solid brush; null when it cannot be made.
Brush* createSolidBrush(NativeColor color);
// A font as described; a face the system does not have is replaced by a sans-serif one.
Font* createFont(const FontDescription& description);
void deletePen(Pen* pen);
void deleteBrush(Brush* brush);
void deleteFont(Font* font);
// The description a font was created from; false for null.
bool describeFont(Font* font, FontDescription& description);

// Selecting returns the object selected before, for reselecting it later.
Pen* selectPen(Surface* surface, Pen* pen);
Brush* selectBrush(Surface* surface, Brush* brush);
Font* selectFont(Surface* surface, Font* font);
Pen* selectedPen(Surface* surface);
Brush* selectedBrush(Surface* surface);
Font* selectedFont(Surface* surface);

// Text colour, and the background colour that opaque text and dotted gaps are drawn in.
void setTextColor(Surface* surface, NativeColor color);
void setBackgroundColor(Surface* surface, NativeColor color);
// Opaque: text fills its extent with the background colour behind the glyphs.
void setOpaqueBackground(Surface* surface, bool opaque);

// The current position for lineTo.
void moveTo(Surface* surface, int x, int y);
// A line with the selected pen from the current position to (x, y), which becomes current.
void lineTo(Surface* surface, int x, int y);
// Paints the area with the selected brush; the pen plays no part.
void fillRect(Surface* surface, const PixelRect& area);
// One line of text in the selected font and text colour, vertically centred in box, aligned
// left, centred or right, clipped to box; '&' is drawn as itself.
void drawText(Surface* surface, const char* text, const PixelRect& box, TextAlign align);
// The width and height of a line of text in the selected font.
void measureText(Surface* surface, const char* text, int& width, int& height);
// One pixel's colour; invalidPixel outside the surface.
NativeColor pixelAt(Surface* surface, int x, int y);

}  // namespace platform
