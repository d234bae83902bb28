#pragma once

#include <cstdint>

#include "gui/Bitmap.h"

// A consecutive range of picture resources, loaded together and looked up by id.
class BitmapSet {
public:
    BitmapSet() = default;
    BitmapSet(const BitmapSet&) = delete;
    BitmapSet& operator=(const BitmapSet&) = delete;
    // Releases whatever is still loaded.
    ~BitmapSet();

    // Loads count bitmaps from firstId on; defaultId -1 means firstId. Answers 0.
    std::int32_t load(std::int32_t firstId, std::int32_t count, std::int32_t defaultId);
    // The bitmap of that id (also one whose resource was missing), or null outside the range.
    // The caller gets no reference of its own.
    Bitmap* get(std::int32_t id) const;
    Bitmap* getDefault() const { return get(defaultId); }
    // 0 where get would answer null.
    std::int32_t widthOf(std::int32_t id) const;
    std::int32_t heightOf(std::int32_t id) const;
    // Releases every bitmap and frees the arrays.
    void clear();

    std::int32_t getDefaultId() const { return defaultId; }
    std::int32_t getCount() const { return count; }

private:
    std::int32_t defaultId = 0;
    std::int32_t firstId = 0;
    std::int32_t count = 0;
    std::int32_t* ids = nullptr;  // -1 marks an absent entry
    Bitmap** bitmaps = nullptr;
};
