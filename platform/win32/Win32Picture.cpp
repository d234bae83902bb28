#include <algorithm>

#include "platform/win32/Win32Handles.h"

// Pictures are GDI bitmaps; copies are block transfers. See-through copies go through a
// one-bit mask: the destination survives where the mask is set, the picture everywhere else.
namespace platform {

using win32::bitmap;
using win32::dc;

namespace {

// Whatever the surface's model is: the given surface, or the screen's.
class ReferenceDc {
public:
    explicit ReferenceDc(Surface* surface) : own(surface == nullptr) {
        handle = own ? GetDC(nullptr) : dc(surface);
    }
    ~ReferenceDc() {
        if (own && handle) ReleaseDC(nullptr, handle);
    }
    ReferenceDc(const ReferenceDc&) = delete;
    ReferenceDc& operator=(const ReferenceDc&) = delete;
    HDC get() const { return handle; }

private:
    bool own;
    HDC handle;
};

// A memory surface with one bitmap selected for the duration of a copy.
class SelectedBitmap {
public:
    SelectedBitmap(HDC model, HBITMAP bitmap) : memory(CreateCompatibleDC(model)) {
        if (memory) previous = SelectObject(memory, bitmap);
    }
    ~SelectedBitmap() {
        if (!memory) return;
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    HDC get() const { return memory; }

private:
    HDC memory;
    HGDIOBJ previous = nullptr;
};

// Cuts the destination area so that the source piece lies inside the picture: the window system
// would otherwise copy whatever lies beyond its edge.
bool clipToPicture(Picture* source, PixelRect& area, int& sourceX, int& sourceY) {
    int width = 0;
    int height = 0;
    if (!pictureSize(source, width, height)) return false;
    if (sourceX < 0) {
        area.left -= sourceX;
        sourceX = 0;
    }
    if (sourceY < 0) {
        area.top -= sourceY;
        sourceY = 0;
    }
    area.right = std::min(area.right, area.left + width - sourceX);
    area.bottom = std::min(area.bottom, area.top + height - sourceY);
    return area.right > area.left && area.bottom > area.top;
}

}  // namespace

Picture* loadPicture(void* module, int resourceId) {
    return win32::pictureOf(
        LoadBitmapA(static_cast<HINSTANCE>(module), MAKEINTRESOURCEA(resourceId & 0xFFFF)));
}

Picture* createPicture(Surface* compatibleWith, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    ReferenceDc reference(compatibleWith);
    HBITMAP created = CreateCompatibleBitmap(reference.get(), width, height);
    if (!created) return nullptr;
    SelectedBitmap memory(reference.get(), created);
    PatBlt(memory.get(), 0, 0, width, height, BLACKNESS);
    return win32::pictureOf(created);
}

void deletePicture(Picture* picture) {
    if (picture) DeleteObject(bitmap(picture));
}

bool pictureSize(Picture* picture, int& width, int& height) {
    BITMAP info{};
    if (!picture || GetObjectA(bitmap(picture), sizeof info, &info) == 0) {
        width = 0;
        height = 0;
        return false;
    }
    width = info.bmWidth;
    height = info.bmHeight;
    return true;
}

Surface* createMemorySurface(Surface* compatibleWith) {
    return win32::surfaceOf(CreateCompatibleDC(compatibleWith ? dc(compatibleWith) : nullptr));
}

void deleteMemorySurface(Surface* surface) {
    if (surface) DeleteDC(dc(surface));
}

Picture* selectPicture(Surface* memorySurface, Picture* picture) {
    if (!memorySurface || !picture) return nullptr;
    return win32::pictureOf(static_cast<HBITMAP>(SelectObject(dc(memorySurface), bitmap(picture))));
}

void copyArea(Surface* destination, const PixelRect& area, Surface* source, int sourceX,
              int sourceY) {
    if (!destination || !source) return;
    BitBlt(dc(destination), area.left, area.top, area.right - area.left, area.bottom - area.top,
           dc(source), sourceX, sourceY, SRCCOPY);
}

void copyPicture(Surface* destination, const PixelRect& area, Picture* source, int sourceX,
                 int sourceY) {
    PixelRect clipped = area;
    if (!destination || !clipToPicture(source, clipped, sourceX, sourceY)) return;
    SelectedBitmap memory(dc(destination), bitmap(source));
    BitBlt(dc(destination), clipped.left, clipped.top, clipped.right - clipped.left,
           clipped.bottom - clipped.top, memory.get(), sourceX, sourceY, SRCCOPY);
}

Picture* createTransparencyMask(Surface* reference, Picture* image, NativeColor key) {
    int width = 0;
    int height = 0;
    if (!pictureSize(image, width, height) || width <= 0 || height <= 0) return nullptr;
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    if (!mask) return nullptr;
    ReferenceDc model(reference);
    SelectedBitmap source(model.get(), bitmap(image));
    SelectedBitmap target(model.get(), mask);
    // A colour-to-monochrome copy sets the bits whose pixel equals the background colour.
    SetBkColor(source.get(), key);
    BitBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
    return win32::pictureOf(mask);
}

void copyPictureMasked(Surface* destination, const PixelRect& area, Picture* image, Picture* mask,
                       int sourceX, int sourceY) {
    PixelRect clipped = area;
    if (!destination || !mask || !clipToPicture(image, clipped, sourceX, sourceY)) return;
    const int width = clipped.right - clipped.left;
    const int height = clipped.bottom - clipped.top;
    HDC target = dc(destination);

    HBITMAP work = CreateCompatibleBitmap(target, width, height);
    HBITMAP piece = CreateCompatibleBitmap(target, width, height);
    if (work && piece) {
        SelectedBitmap workDc(target, work);
        SelectedBitmap pieceDc(target, piece);
        SelectedBitmap imageDc(target, bitmap(image));
        SelectedBitmap maskDc(target, bitmap(mask));
        // Monochrome to colour: clear bits become the text colour, set bits the background.
        for (HDC colour : {workDc.get(), pieceDc.get()}) {
            SetTextColor(colour, RGB(0, 0, 0));
            SetBkColor(colour, RGB(255, 255, 255));
        }
        // work = destination AND mask: the destination survives where see-through.
        BitBlt(workDc.get(), 0, 0, width, height, target, clipped.left, clipped.top, SRCCOPY);
        BitBlt(workDc.get(), 0, 0, width, height, maskDc.get(), sourceX, sourceY, SRCAND);
        // piece = image AND NOT mask: the picture survives where opaque.
        constexpr DWORD destinationAndNotSource = 0x00220326;
        BitBlt(pieceDc.get(), 0, 0, width, height, imageDc.get(), sourceX, sourceY, SRCCOPY);
        BitBlt(pieceDc.get(), 0, 0, width, height, maskDc.get(), sourceX, sourceY,
               destinationAndNotSource);
        BitBlt(workDc.get(), 0, 0, width, height, pieceDc.get(), 0, 0, SRCPAINT);
        BitBlt(target, clipped.left, clipped.top, width, height, workDc.get(), 0, 0, SRCCOPY);
    }
    if (work) DeleteObject(work);
    if (piece) DeleteObject(piece);
}

}  // namespace platform
