#pragma once

#include <cstdint>
#include <functional>

#include "editor/EditorLayout.h"
#include "platform/ModuleHandle.h"
#include "platform/Picture.h"
#include "platform/Surface.h"

// Reading the editor's picture against the product's artwork, whatever shows the editor.
namespace editor_pixels {

constexpr std::uint32_t white = 0xFFFFFF;

// One picture of the artwork, loaded from this test program's own resources.
class Artwork {
public:
    explicit Artwork(int id) {
        picture = platform::loadPicture(platform::moduleHandle(), id);
        platform::pictureSize(picture, width, height);
        surface = platform::createMemorySurface(nullptr);
        placeholder = platform::selectPicture(surface, picture);
    }
    ~Artwork() {
        platform::selectPicture(surface, placeholder);
        platform::deleteMemorySurface(surface);
        platform::deletePicture(picture);
    }
    Artwork(const Artwork&) = delete;
    Artwork& operator=(const Artwork&) = delete;

    std::uint32_t pixel(int x, int y) const { return platform::pixelAt(surface, x, y); }

    int width = 0;
    int height = 0;

private:
    platform::Picture* picture = nullptr;
    platform::Surface* surface = nullptr;
    platform::Picture* placeholder = nullptr;
};

using PixelReader = std::function<std::uint32_t(int x, int y)>;

// The top row at which the handle's picture, seen through its white see-through pixels, covers
// fader 0 (Input) .. 4 (Mix); -1 when it is nowhere on the track.
inline int handleTop(const PixelReader& shown, const Artwork& handle, int fader) {
    const Rect& track = editor_layout::faders[fader];
    for (int top = track.top; top <= track.bottom - handle.height; ++top) {
        bool covers = true;
        for (int y = 0; y < handle.height && covers; ++y) {
            for (int x = 0; x < handle.width && covers; ++x) {
                const std::uint32_t want = handle.pixel(x, y);
                covers = want == white || shown(track.left + x, top + y) == want;
            }
        }
        if (covers) return top;
    }
    return -1;
}

// The share of pixels in (left, top, right, bottom) equal to the artwork's pixels at the same
// place shifted by (dx, dy).
inline double matching(const PixelReader& shown, const Artwork& art, int left, int top, int right,
                       int bottom, int dx = 0, int dy = 0) {
    int same = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) same += shown(x, y) == art.pixel(x + dx, y + dy);
    }
    return static_cast<double>(same) / ((right - left) * (bottom - top));
}

}  // namespace editor_pixels
