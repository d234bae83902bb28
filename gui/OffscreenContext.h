#pragma once

#include <cstdint>

#include "gui/Bitmap.h"
#include "gui/DrawContext.h"

// A DrawContext over a private picture: a control composes its image here and copies it to the
// window in one step. Starts filled with the background colour; text colour and font are the
// memory surface's own until set.
class OffscreenContext : public DrawContext {
public:
    OffscreenContext(Frame* frame, std::int32_t width, std::int32_t height, Color backgroundColor);
    // Releases sourceBitmap, deletes the memory surface and the picture, then the base's part.
    ~OffscreenContext() override;

    // Copies the destRect-sized piece that starts at srcOffset to dest at destRect's top-left
    // (plus dest's offset).
    void copyTo(DrawContext* dest, const Rect& destRect, Point srcOffset = {});

    std::int32_t getWidth() const { return width; }
    std::int32_t getHeight() const { return height; }

private:
    bool ownsBitmap = true;
    Bitmap* sourceBitmap = nullptr;
    std::int32_t height;
    std::int32_t width;
    Color backgroundColor;
    platform::Picture* picture = nullptr;
};
