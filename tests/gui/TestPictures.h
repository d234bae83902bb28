#pragma once

#include "gui/Color.h"

// The pictures whose every pixel the drawing tests know, as tests/gui/pictures/
// make_test_pictures.py writes them into the test programs' resources.
namespace test_pictures {

constexpr int knownId = 2001;      // 4 x 2
constexpr int filmstripId = 2002;  // 50 x 48

// The see-through key and its nearest neighbours above, plain colours below.
inline Color knownPixel(int x, int y) {
    static const Color rows[2][4] = {
        {{255, 255, 255, 0}, {254, 255, 255, 0}, {255, 254, 255, 0}, {255, 255, 254, 0}},
        {{0, 0, 0, 0}, {127, 127, 127, 0}, {255, 0, 0, 0}, {1, 2, 3, 0}}};
    return rows[y][x];
}

// Every pixel its own colour, except white wherever x + 2y is a multiple of 7.
inline Color filmstripPixel(int x, int y) {
    if ((x + 2 * y) % 7 == 0) return colorWhite;
    return {static_cast<std::uint8_t>(x * 5), static_cast<std::uint8_t>(y * 5), 90, 0};
}

}  // namespace test_pictures
