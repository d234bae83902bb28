#include "gui/BitmapSet.h"

#include <new>

BitmapSet::~BitmapSet() { clear(); }

std::int32_t BitmapSet::load(std::int32_t first, std::int32_t number, std::int32_t defaultIdArg) {
    clear();
    firstId = first;
    defaultId = defaultIdArg == -1 ? first : defaultIdArg;
    if (number <= 0) return 0;
    ids = new (std::nothrow) std::int32_t[number];
    bitmaps = new (std::nothrow) Bitmap*[number];
    if (!ids || !bitmaps) {
        delete[] ids;
        delete[] bitmaps;
        ids = nullptr;
        bitmaps = nullptr;
        return 0;
    }
    count = number;
    for (std::int32_t i = 0; i < count; ++i) {
        ids[i] = first + i;
        bitmaps[i] = new Bitmap(first + i);
    }
    return 0;
}

Bitmap* BitmapSet::get(std::int32_t id) const {
    const std::int64_t index = static_cast<std::int64_t>(id) - firstId;
    if (index < 0 || index >= count || ids[index] == -1) return nullptr;
    return bitmaps[index];
}

std::int32_t BitmapSet::widthOf(std::int32_t id) const {
    const Bitmap* bitmap = get(id);
    return bitmap ? bitmap->getWidth() : 0;
}

std::int32_t BitmapSet::heightOf(std::int32_t id) const {
    const Bitmap* bitmap = get(id);
    return bitmap ? bitmap->getHeight() : 0;
}

void BitmapSet::clear() {
    if (count == 0) return;
    for (std::int32_t i = 0; i < count; ++i) {
        if (bitmaps[i]) bitmaps[i]->release();
    }
    delete[] ids;
    delete[] bitmaps;
    ids = nullptr;
    bitmaps = nullptr;
    count = 0;
}
