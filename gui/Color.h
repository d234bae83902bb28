#pragma once

#include <cstdint>

#include "platform/Surface.h"

// A colour as the toolkit passes it: one 32-bit word whose lowest byte is red. The fourth byte
// is carried along and never drawn.
struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t reserved = 0;

    // The window system's colour value; the fourth byte is dropped.
    platform::NativeColor native() const { return platform::makeNativeColor(red, green, blue); }
    bool sameRgb(Color other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
};
static_assert(sizeof(Color) == 4, "a colour travels as one 32-bit word");

extern const Color colorBlack;
extern const Color colorWhite;
extern const Color colorGrey;  // 127, not 128
extern const Color colorRed;
extern const Color colorGreen;
extern const Color colorBlue;
extern const Color colorYellow;
extern const Color colorMagenta;
extern const Color colorCyan;
// What transparent bitmap drawing treats as see-through: white, but its own object.
extern const Color colorTransparentKey;
