#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/headless/EmbeddedResources.h"
#include "platform/headless/HeadlessObjects.h"

namespace platform {

namespace headless {

namespace {
EmbeddedResources* firstTable = nullptr;

std::uint32_t readLittle(const unsigned char* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

// An uncompressed BMP file of 8 (palette), 24 or 32 bits per pixel, bottom-up or top-down.
Picture* decodeBmp(const unsigned char* data, std::size_t size) {
    if (size < 54 || data[0] != 'B' || data[1] != 'M') return nullptr;
    const std::uint32_t pixelOffset = readLittle(data + 10, 4);
    const std::uint32_t headerSize = readLittle(data + 14, 4);
    const int width = static_cast<std::int32_t>(readLittle(data + 18, 4));
    const int rawHeight = static_cast<std::int32_t>(readLittle(data + 22, 4));
    const int bitsPerPixel = static_cast<int>(readLittle(data + 28, 2));
    const std::uint32_t compression = readLittle(data + 30, 4);
    const bool bottomUp = rawHeight > 0;
    const int height = bottomUp ? rawHeight : -rawHeight;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
    if (compression != 0 && !(compression == 3 && bitsPerPixel == 32)) return nullptr;
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return nullptr;

    const std::size_t stride = (static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32 * 4;
    if (pixelOffset > size || stride * height > size - pixelOffset) return nullptr;
    const unsigned char* palette = data + 14 + headerSize;
    const std::uint32_t paletteCount =
        bitsPerPixel == 8 ? (readLittle(data + 46, 4) ? readLittle(data + 46, 4) : 256) : 0;
    if (bitsPerPixel == 8 && (palette + paletteCount * 4 > data + size || paletteCount > 256)) {
        return nullptr;
    }

    Picture* picture = new Picture;
    picture->width = width;
    picture->height = height;
    picture->pixels.resize(static_cast<std::size_t>(width) * height);
    // One loop per depth: a host scanning plug-ins creates instances, and with them the
    // editor's bitmaps, many times over.
    const int bytesPerPixel = bitsPerPixel / 8;
    for (int y = 0; y < height; ++y) {
        const unsigned char* source = data + pixelOffset + stride * (bottomUp ? height - 1 - y : y);
        NativeColor* destination = picture->row(y);
        if (bitsPerPixel == 8) {
            for (int x = 0; x < width; ++x) {
                const unsigned index = source[x] < paletteCount ? source[x] : 0;
                const unsigned char* bgr = palette + index * 4;
                destination[x] = makeNativeColor(bgr[2], bgr[1], bgr[0]);
            }
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const unsigned char* bgr = source + x * bytesPerPixel;
            destination[x] = makeNativeColor(bgr[2], bgr[1], bgr[0]);
        }
    }
    countCreated();
    return picture;
}

}  // namespace

bool isUsable(Picture* picture) { return picture && picture->width > 0 && picture->height > 0; }

void registerEmbeddedResources(EmbeddedResources* resources) {
    resources->next = firstTable;
    firstTable = resources;
}

const EmbeddedResources* embeddedResources() { return firstTable; }

}  // namespace headless

using headless::countCreated;
using headless::countDeleted;

Picture* loadPicture(void*, int resourceId) {
    const int id = resourceId & 0xFFFF;
    for (const headless::EmbeddedResources* table = headless::embeddedResources(); table;
         table = table->next) {
        for (int i = 0; i < table->pictureCount; ++i) {
            if (table->pictures[i].id == id) {
                return headless::decodeBmp(table->pictures[i].data, table->pictures[i].size);
            }
        }
    }
    return nullptr;
}

Picture* createPicture(Surface*, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    Picture* picture = new Picture;
    picture->width = width;
    picture->height = height;
    picture->pixels.assign(static_cast<std::size_t>(width) * height, 0);
    countCreated();
    return picture;
}

void deletePicture(Picture* picture) {
    // The window system refuses to delete a picture that is still selected.
    if (!picture || picture->stock || picture->selectedInto) return;
    delete picture;
    countDeleted();
}

bool pictureSize(Picture* picture, int& width, int& height) {
    width = picture ? picture->width : 0;
    height = picture ? picture->height : 0;
    return picture != nullptr;
}

Surface* createMemorySurface(Surface*) {
    return headless::newSurface(headless::stockPlaceholderPicture(), nullptr, true);
}

void deleteMemorySurface(Surface* surface) {
    if (surface && surface->memory) headless::destroySurface(surface);
}

Picture* selectPicture(Surface* surface, Picture* picture) {
    if (!surface || !surface->memory || !picture) return nullptr;
    if (picture->selectedInto && picture->selectedInto != surface) return nullptr;
    Picture* previous = surface->target;
    if (previous && previous->selectedInto == surface) previous->selectedInto = nullptr;
    surface->target = picture;
    if (!picture->stock) picture->selectedInto = surface;
    return previous;
}

namespace {
// Copies the area from source pixels starting at (sourceX, sourceY), skipping every pixel that
// lies outside either picture, and every pixel whose mask bit is set.
void blit(Picture* destination, const PixelRect& area, Picture* source, int sourceX, int sourceY,
          Picture* mask) {
    if (!headless::isUsable(destination) || !headless::isUsable(source)) return;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return;
    // Read everything first: source and destination may be the same picture.
    std::vector<NativeColor> piece(static_cast<std::size_t>(width) * height, 0);
    std::vector<char> present(piece.size(), 0);
    for (int y = 0; y < height; ++y) {
        const int sy = sourceY + y;
        if (sy < 0 || sy >= source->height) continue;
        for (int x = 0; x < width; ++x) {
            const int sx = sourceX + x;
            if (sx < 0 || sx >= source->width) continue;
            if (mask && (sx >= mask->width || sy >= mask->height || mask->row(sy)[sx] != 0)) {
                continue;
            }
            piece[static_cast<std::size_t>(y) * width + x] = source->row(sy)[sx];
            present[static_cast<std::size_t>(y) * width + x] = 1;
        }
    }
    for (int y = 0; y < height; ++y) {
        const int dy = area.top + y;
        if (dy < 0 || dy >= destination->height) continue;
        for (int x = 0; x < width; ++x) {
            const int dx = area.left + x;
            if (dx < 0 || dx >= destination->width) continue;
            if (!present[static_cast<std::size_t>(y) * width + x]) continue;
            NativeColor color = piece[static_cast<std::size_t>(y) * width + x];
            if (destination->monochrome) color = color == 0xFFFFFF ? color : 0;
            destination->row(dy)[dx] = color;
        }
    }
}
}  // namespace

void copyArea(Surface* destination, const PixelRect& area, Surface* source, int sourceX,
              int sourceY) {
    if (!destination || !source) return;
    blit(destination->target, area, source->target, sourceX, sourceY, nullptr);
}

void copyPicture(Surface* destination, const PixelRect& area, Picture* source, int sourceX,
                 int sourceY) {
    if (!destination) return;
    blit(destination->target, area, source, sourceX, sourceY, nullptr);
}

Picture* createTransparencyMask(Surface*, Picture* image, NativeColor key) {
    if (!headless::isUsable(image)) return nullptr;
    Picture* mask = new Picture;
    mask->width = image->width;
    mask->height = image->height;
    mask->monochrome = true;
    mask->pixels.resize(image->pixels.size());
    for (std::size_t i = 0; i < image->pixels.size(); ++i) {
        mask->pixels[i] = image->pixels[i] == (key & 0xFFFFFF) ? 0xFFFFFF : 0;
    }
    countCreated();
    return mask;
}

void copyPictureMasked(Surface* destination, const PixelRect& area, Picture* image, Picture* mask,
                       int sourceX, int sourceY) {
    if (!destination || !headless::isUsable(mask)) return;
    blit(destination->target, area, image, sourceX, sourceY, mask);
}

}  // namespace platform
