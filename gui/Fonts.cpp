#include "gui/Fonts.h"

namespace {
const FontEntry fontTable[] = {
    {"Arial", 12}, {"Arial", 18}, {"Arial", 14}, {"Arial", 12},
    {"Arial", 11}, {"Arial", 10}, {"Arial", 9},  {"Symbol", 13},
};
}  // namespace

const FontEntry& fontEntry(std::int32_t fontId) {
    return fontTable[fontId < fontSystem || fontId > fontSymbol ? fontSystem : fontId];
}
