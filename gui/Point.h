#pragma once

#include <cstdint>

// A pixel position relative to the editor's frame window: h grows to the right, v downwards.
struct Point {
    std::int32_t h = 0;
    std::int32_t v = 0;
};

inline bool operator==(Point a, Point b) { return a.h == b.h && a.v == b.v; }
inline bool operator!=(Point a, Point b) { return !(a == b); }
