#pragma once

#include <cstdint>

// The toolkit's eight fonts, chosen by id.
enum FontId : std::int32_t {
    fontSystem = 0,  // always bold
    fontHuge = 1,
    fontLarge = 2,
    fontNormal = 3,
    fontSmall = 4,
    fontSmaller = 5,
    fontTiny = 6,
    fontSymbol = 7,  // decorative family
};

// Font style bits; any combination.
constexpr std::int32_t fontStyleBold = 1;
constexpr std::int32_t fontStyleItalic = 2;
constexpr std::int32_t fontStyleUnderline = 4;

struct FontEntry {
    const char* face;
    std::int32_t defaultSize;  // pixels
};

// The entry of a font id; an id outside 0..7 gets font 0's.
const FontEntry& fontEntry(std::int32_t fontId);
