#pragma once

#include <cstdint>

#include "gui/DrawContext.h"
#include "gui/Point.h"
#include "gui/Rect.h"
#include "platform/Picture.h"

// A picture resource of the module, shared by reference counting: a new Bitmap holds one
// reference, every holder that stores it calls retain, and every holder calls release exactly
// once instead of deleting (the destructor is protected).
class Bitmap {
public:
    // Loads the resource with the low 16 bits of resourceId. A missing one gives a Bitmap with
    // no image, width and height 0, that draws nothing.
    explicit Bitmap(std::int32_t resourceId);
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    void retain();
    // Drops one reference; the last one frees the image, the mask and the object.
    void release();
    std::int32_t referenceCount() const { return refCount; }
    std::int32_t getResourceId() const { return resourceId; }
    std::int32_t getWidth() const { return width; }
    std::int32_t getHeight() const { return height; }

    // Copies the dest-sized piece of the image that starts at srcOffset to dest's top-left
    // (plus the context's offset). Filmstrips choose their frame by srcOffset.
    void draw(DrawContext* context, const Rect& dest, Point srcOffset = {});
    // As draw, but pixels of exactly colorTransparentKey leave the destination as it was.
    void drawTransparent(DrawContext* context, const Rect& dest, Point srcOffset = {});

protected:
    ~Bitmap();

private:
    std::int32_t resourceId;
    std::int32_t refCount = 1;
    std::int32_t width = 0;
    std::int32_t height = 0;
    platform::Picture* image = nullptr;
    platform::Picture* mask = nullptr;  // built on the first transparent draw, kept till the end
};
