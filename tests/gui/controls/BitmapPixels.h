#pragma once

#include <cstddef>
#include <vector>

#include "gui/Bitmap.h"
#include "gui/OffscreenContext.h"
#include "tests/gui/Canvas.h"

// One reference to a resource bitmap and its pixels, read back once through an off-screen
// context, so expected pictures come from the artwork itself.
class BitmapPixels {
public:
    explicit BitmapPixels(int id) : bitmap(new Bitmap(id)) {
        const int w = bitmap->getWidth();
        const int h = bitmap->getHeight();
        if (w <= 0 || h <= 0) return;
        OffscreenContext offscreen(nullptr, w, h, colorBlack);
        bitmap->draw(&offscreen, {0, 0, w, h});
        pixels.reserve(static_cast<std::size_t>(w) * h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const platform::NativeColor c = platform::pixelAt(offscreen.getSurface(), x, y);
                pixels.push_back(rgb(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF));
            }
        }
    }
    ~BitmapPixels() { bitmap->release(); }
    BitmapPixels(const BitmapPixels&) = delete;
    BitmapPixels& operator=(const BitmapPixels&) = delete;

    Bitmap* get() const { return bitmap; }
    int width() const { return bitmap->getWidth(); }
    int height() const { return bitmap->getHeight(); }
    Color at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width()) +
                      static_cast<std::size_t>(x)];
    }

private:
    Bitmap* bitmap;
    std::vector<Color> pixels;
};
