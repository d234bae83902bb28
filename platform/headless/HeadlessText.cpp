#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/headless/EmbeddedFonts.h"
#include "platform/headless/HeadlessObjects.h"

// Text through FreeType from the compiled-in Liberation Sans faces, which have Arial's metrics.
// Every face name maps to them: "Arial" gets its metric twin, anything else a sans fallback.
namespace platform {

namespace headless {

struct FontRaster {
    FT_Face face = nullptr;  // shared, owned by the library state below
    FT_Size size = nullptr;
    int ascent = 0;
    int descent = 0;
    bool italic = false;
    bool underline = false;
    int underlineOffset = 0;  // below the baseline
    int underlineThickness = 1;
};

namespace {

struct Faces {
    FT_Library library = nullptr;
    FT_Face regular = nullptr;
    FT_Face bold = nullptr;

    Faces() {
        if (FT_Init_FreeType(&library) != 0) return;
        FT_New_Memory_Face(library, embeddedSansRegular,
                           static_cast<FT_Long>(embeddedSansRegularSize), 0, &regular);
        FT_New_Memory_Face(library, embeddedSansBold, static_cast<FT_Long>(embeddedSansBoldSize), 0,
                           &bold);
    }
    ~Faces() {
        if (regular) FT_Done_Face(regular);
        if (bold) FT_Done_Face(bold);
        if (library) FT_Done_FreeType(library);
    }
};

Faces& faces() {
    static Faces instance;
    return instance;
}

// Bytes are Windows-1252 text; only 0x80..0x9F differ from Latin-1.
FT_ULong codePoint(unsigned char byte) {
    static const unsigned short high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : byte;
}

FontRaster* makeRaster(const FontDescription& description) {
    Faces& all = faces();
    FT_Face face = description.weight >= 600 ? all.bold : all.regular;
    if (!face) return nullptr;
    const TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double winAscent = os2 ? os2->usWinAscent : face->ascender;
    const double winDescent = os2 ? os2->usWinDescent : -face->descender;
    const double unitsPerEm = face->units_per_EM;

    // A negative height is the em size; a positive one the cell (ascent plus descent).
    int pixelsPerEm = std::abs(description.height);
    if (description.height > 0) {
        pixelsPerEm = static_cast<int>(
            std::lround(description.height * unitsPerEm / (winAscent + winDescent)));
    }
    if (pixelsPerEm == 0) pixelsPerEm = 12;

    FontRaster* raster = new FontRaster;
    raster->face = face;
    if (FT_New_Size(face, &raster->size) != 0) {
        delete raster;
        return nullptr;
    }
    FT_Activate_Size(raster->size);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelsPerEm));
    const double scale = pixelsPerEm / unitsPerEm;
    raster->ascent = static_cast<int>(std::lround(winAscent * scale));
    raster->descent = static_cast<int>(std::lround(winDescent * scale));
    raster->italic = description.italic;
    raster->underline = description.underline;
    raster->underlineOffset =
        std::max(1, static_cast<int>(std::lround(-face->underline_position * scale)));
    raster->underlineThickness =
        std::max(1, static_cast<int>(std::lround(face->underline_thickness * scale)));
    return raster;
}

bool loadGlyph(FontRaster* raster, unsigned char byte) {
    FT_Activate_Size(raster->size);
    const FT_UInt index = FT_Get_Char_Index(raster->face, codePoint(byte));
    if (FT_Load_Glyph(raster->face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return false;
    if (raster->italic) FT_GlyphSlot_Oblique(raster->face->glyph);
    return true;
}

int advanceOf(FontRaster* raster, unsigned char byte) {
    if (!loadGlyph(raster, byte)) return 0;
    return static_cast<int>((raster->face->glyph->advance.x + 32) >> 6);
}

int textWidth(FontRaster* raster, const char* text) {
    int width = 0;
    for (const char* c = text; *c; ++c) width += advanceOf(raster, static_cast<unsigned char>(*c));
    return width;
}

NativeColor blend(NativeColor under, NativeColor over, int coverage) {
    NativeColor result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((under >> shift) & 0xFF);
        const int b = static_cast<int>((over >> shift) & 0xFF);
        result |= static_cast<NativeColor>((a * (255 - coverage) + b * coverage + 127) / 255)
                  << shift;
    }
    return result;
}

PixelRect intersect(const PixelRect& a, const PixelRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

}  // namespace

Font* stockSystemFont() {
    // Gives its raster back when the module goes, before the faces it was made from.
    struct StockFont {
        Font font;
        StockFont() {
            font.description.height = 16;
            font.description.weight = 700;
            std::strcpy(font.description.faceName, "System");
            font.raster = makeRaster(font.description);
            font.stock = true;
        }
        ~StockFont() {
            if (!font.raster) return;
            FT_Done_Size(font.raster->size);
            delete font.raster;
        }
    };
    static StockFont stock;
    return &stock.font;
}

}  // namespace headless

Font* createFont(const FontDescription& description) {
    Font* font = new Font;
    font->description = description;
    font->description.faceName[sizeof font->description.faceName - 1] = '\0';
    font->raster = headless::makeRaster(font->description);
    headless::countCreated();
    return font;
}

void deleteFont(Font* font) {
    if (!font || font->stock) return;
    if (font->raster) {
        FT_Done_Size(font->raster->size);
        delete font->raster;
    }
    delete font;
    headless::countDeleted();
}

bool describeFont(Font* font, FontDescription& description) {
    if (!font) return false;
    description = font->description;
    return true;
}

void measureText(Surface* surface, const char* text, int& width, int& height) {
    width = 0;
    height = 0;
    if (!surface || !surface->font || !surface->font->raster || !text) return;
    headless::FontRaster* raster = surface->font->raster;
    width = headless::textWidth(raster, text);
    height = raster->ascent + raster->descent;
}

void drawText(Surface* surface, const char* text, const PixelRect& box, TextAlign align) {
    if (!surface || !surface->target || !text || !*text) return;
    if (!surface->font || !surface->font->raster) return;
    headless::FontRaster* raster = surface->font->raster;
    const int width = headless::textWidth(raster, text);
    const int height = raster->ascent + raster->descent;

    int x = box.left;
    if (align == TextAlign::centre) x = (box.left + box.right - width) / 2;
    if (align == TextAlign::right) x = box.right - width;
    const int y = box.top + (box.bottom - box.top) / 2 - height / 2;
    const int baseline = y + raster->ascent;

    const PixelRect clip =
        headless::intersect(box, {0, 0, surface->target->width, surface->target->height});
    auto put = [&](int px, int py, int coverage) {
        if (px < clip.left || px >= clip.right || py < clip.top || py >= clip.bottom) return;
        NativeColor& pixel = surface->target->row(py)[px];
        pixel = coverage >= 255 ? surface->textColor
                                : headless::blend(pixel, surface->textColor, coverage);
    };

    if (surface->opaque) {
        for (int py = y; py < y + height; ++py) {
            for (int px = x; px < x + width; ++px) {
                if (px >= clip.left && px < clip.right && py >= clip.top && py < clip.bottom) {
                    surface->target->row(py)[px] = surface->backgroundColor;
                }
            }
        }
    }

    int penX = x;
    for (const char* c = text; *c; ++c) {
        if (!headless::loadGlyph(raster, static_cast<unsigned char>(*c))) continue;
        FT_GlyphSlot slot = raster->face->glyph;
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
            const FT_Bitmap& bitmap = slot->bitmap;
            for (unsigned row = 0; row < bitmap.rows; ++row) {
                const unsigned char* coverage = bitmap.buffer + row * bitmap.pitch;
                for (unsigned column = 0; column < bitmap.width; ++column) {
                    if (coverage[column] == 0) continue;
                    put(penX + slot->bitmap_left + static_cast<int>(column),
                        baseline - slot->bitmap_top + static_cast<int>(row), coverage[column]);
                }
            }
        }
        penX += static_cast<int>((slot->advance.x + 32) >> 6);
    }

    if (raster->underline) {
        for (int t = 0; t < raster->underlineThickness; ++t) {
            for (int px = x; px < x + width; ++px)
                put(px, baseline + raster->underlineOffset + t, 255);
        }
    }
}

}  // namespace platform
