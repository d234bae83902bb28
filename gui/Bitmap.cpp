#include "gui/Bitmap.h"

#include "platform/ModuleHandle.h"

Bitmap::Bitmap(std::int32_t resourceId) : resourceId(resourceId) {
    image = platform::loadPicture(platform::moduleHandle(), resourceId & 0xFFFF);
    int w = 0;
    int h = 0;
    if (platform::pictureSize(image, w, h)) {
        width = w;
        height = h;
    }
}

Bitmap::~Bitmap() {
    platform::deletePicture(image);
    platform::deletePicture(mask);
}

void Bitmap::retain() { ++refCount; }

void Bitmap::release() {
    if (refCount <= 0) return;
    if (--refCount == 0) delete this;
}

namespace {
platform::PixelRect targetArea(DrawContext* context, const Rect& dest) {
    const Point offset = context->getOffset();
    return {dest.left + offset.h, dest.top + offset.v, dest.right + offset.h,
            dest.bottom + offset.v};
}
}  // namespace

void Bitmap::draw(DrawContext* context, const Rect& dest, Point srcOffset) {
    if (!image || !context || !context->getSurface()) return;
    platform::copyPicture(context->getSurface(), targetArea(context, dest), image, srcOffset.h,
                          srcOffset.v);
}

void Bitmap::drawTransparent(DrawContext* context, const Rect& dest, Point srcOffset) {
    if (!image || !context || !context->getSurface()) return;
    if (!mask) {
        mask = platform::createTransparencyMask(context->getSurface(), image,
                                                colorTransparentKey.native());
        if (!mask) return;
    }
    platform::copyPictureMasked(context->getSurface(), targetArea(context, dest), image, mask,
                                srcOffset.h, srcOffset.v);
}
