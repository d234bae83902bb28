#pragma once

#include <cstdint>

#include "gui/Point.h"

// A rectangle in frame pixels. Hit tests include all four edges.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool contains(Point p) const {
        return left <= p.h && p.h <= right && top <= p.v && p.v <= bottom;
    }
    Rect movedBy(Point by) const { return {left + by.h, top + by.v, right + by.h, bottom + by.v}; }
};

inline bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }
