#include "gui/OffscreenContext.h"

#include "platform/Picture.h"

OffscreenContext::OffscreenContext(Frame* frame, std::int32_t width, std::int32_t height,
                                   Color backgroundColor)
    : DrawContext(frame, nullptr, nullptr),
      height(height),
      width(width),
      backgroundColor(backgroundColor) {
    // The frame's window and the screen share one pixel format, so the screen's surface serves
    // as the model for the memory surface and its picture.
    platform::Surface* reference = platform::acquireWindowSurface(nullptr);
    surface = platform::createMemorySurface(reference);
    picture = platform::createPicture(reference, width, height);
    if (surface && picture) platform::selectPicture(surface, picture);
    platform::releaseWindowSurface(nullptr, reference);

    setFillColor(backgroundColor);
    setFrameColor(backgroundColor);
    fillRect({0, 0, width, height});
    drawRect({0, 0, width, height});
}

OffscreenContext::~OffscreenContext() {
    if (sourceBitmap) sourceBitmap->release();
    platform::deleteMemorySurface(surface);
    surface = nullptr;
    if (ownsBitmap) platform::deletePicture(picture);
}

void OffscreenContext::copyTo(DrawContext* dest, const Rect& destRect, Point srcOffset) {
    if (!dest || !dest->getSurface() || !surface) return;
    const Point offset = dest->getOffset();
    platform::copyArea(dest->getSurface(),
                       {destRect.left + offset.h, destRect.top + offset.v,
                        destRect.right + offset.h, destRect.bottom + offset.v},
                       surface, srcOffset.h, srcOffset.v);
}
