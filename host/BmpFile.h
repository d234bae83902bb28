#pragma once

#include <cstdint>

// Writes width x height pixels (top row first, each 0x00BBGGRR) as a 24-bit BMP, the picture
// format every system reads without a library. False when the file cannot be written.
bool writeBmp(const char* path, const std::uint32_t* pixels, int width, int height);
