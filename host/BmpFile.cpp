#include "host/BmpFile.h"

#include <cstdio>
#include <vector>

bool writeBmp(const char* path, const std::uint32_t* pixels, int width, int height) {
    if (!path || !pixels || width <= 0 || height <= 0) return false;
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const int rowBytes = (width * 3 + 3) & ~3;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(rowBytes) * height;
    unsigned char header[54] = {'B', 'M'};
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    put32(2, 54 + imageBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));  // positive: bottom row first
    header[26] = 1;
    header[28] = 24;
    put32(34, imageBytes);
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    std::vector<unsigned char> row(static_cast<size_t>(rowBytes), 0);
    for (int y = height - 1; y >= 0 && ok; --y) {
        const std::uint32_t* line = pixels + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            row[x * 3] = static_cast<unsigned char>(line[x] >> 16 & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>(line[x] >> 8 & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>(line[x] & 0xFF);
        }
        ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    return std::fclose(file) == 0 && ok;
}
