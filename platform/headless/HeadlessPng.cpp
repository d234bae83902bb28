#include <png.h>

#include <cstdio>
#include <vector>

#include "platform/headless/HeadlessObjects.h"
#include "platform/headless/HeadlessScript.h"

namespace platform::headless {

bool writePng(Picture* picture, const char* path) {
    return picture && writePng(picture->pixels.data(), picture->width, picture->height, path);
}

bool writePng(const NativeColor* pixels, int width, int height, const char* path) {
    if (!pixels || !path || width <= 0 || height <= 0) return false;
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                     8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<png_byte> row(static_cast<size_t>(width) * 3);
        for (int y = 0; y < height; ++y) {
            const NativeColor* line = pixels + static_cast<size_t>(y) * width;
            for (int x = 0; x < width; ++x) {
                row[x * 3] = static_cast<png_byte>(line[x] & 0xFF);
                row[x * 3 + 1] = static_cast<png_byte>(line[x] >> 8 & 0xFF);
                row[x * 3 + 2] = static_cast<png_byte>(line[x] >> 16 & 0xFF);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    return std::fclose(file) == 0 && written;
}

bool writePng(Surface* surface, const char* path) {
    return surface && writePng(surface->target, path);
}

bool writePng(Window* window, const char* path) {
    return window && writePng(&window->pixels, path);
}

}  // namespace platform::headless
