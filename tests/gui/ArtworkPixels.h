#pragma once

#include <functional>

#include "gui/Bitmap.h"
#include "gui/DrawContext.h"
#include "tests/gui/Canvas.h"

// A bitmap together with its own pixels, read by copying the whole of it into a canvas, so a
// test can say which piece of it a control should have put where.
class ArtworkPixels {
public:
    explicit ArtworkPixels(int id)
        : bitmap(new Bitmap(id)), pixels(bitmap->getWidth(), bitmap->getHeight()) {
        DrawContext context(nullptr, pixels.surface(), nullptr);
        bitmap->draw(&context, {0, 0, bitmap->getWidth(), bitmap->getHeight()});
    }
    ~ArtworkPixels() { bitmap->release(); }
    ArtworkPixels(const ArtworkPixels&) = delete;
    ArtworkPixels& operator=(const ArtworkPixels&) = delete;

    Bitmap* get() const { return bitmap; }
    Color pixel(int x, int y) const { return pixels.pixel(x, y); }

    // What a canvas shows when the piece starting at source was drawn into at and nothing else
    // was drawn; with seeThrough, key-white pixels leave the paper showing.
    std::function<Color(int, int)> pieceAt(Rect at, Point source, bool seeThrough = false) const {
        return [this, at, source, seeThrough](int x, int y) {
            if (x < at.left || x >= at.right || y < at.top || y >= at.bottom) return Canvas::paper;
            const Color c = pixel(x - at.left + source.h, y - at.top + source.v);
            return seeThrough && c.sameRgb(colorTransparentKey) ? Canvas::paper : c;
        };
    }

    // Which of count pictures, stacked step pixels apart from source downwards, the surface
    // shows at; -1 when none.
    int pictureOn(platform::Surface* surface, Rect at, Point source, int step, int count) const {
        for (int k = 0; k < count; ++k) {
            if (showsPiece(surface, at, {source.h, source.v + k * step})) return k;
        }
        return -1;
    }

    // Whether the pieces of the given size starting at a and at b differ in any pixel; a
    // picture test means something only where they do.
    bool piecesDiffer(Point a, Point b, int width, int height) const {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (!pixel(a.h + x, a.v + y).sameRgb(pixel(b.h + x, b.v + y))) return true;
            }
        }
        return false;
    }

private:
    bool showsPiece(platform::Surface* surface, Rect at, Point source) const {
        for (int y = at.top; y < at.bottom; ++y) {
            for (int x = at.left; x < at.right; ++x) {
                const Color want = pixel(x - at.left + source.h, y - at.top + source.v);
                if (platform::pixelAt(surface, x, y) != want.native()) return false;
            }
        }
        return true;
    }

    Bitmap* bitmap;
    Canvas pixels;
};
