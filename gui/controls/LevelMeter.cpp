#include "gui/controls/LevelMeter.h"

#include <algorithm>
#include <cmath>

namespace {
Rect normalised(const Rect& r) {
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
}
}  // namespace

LevelMeter::LevelMeter(const Rect& size, Bitmap* onBitmap, Bitmap* offBitmap, std::int32_t ledCount,
                       std::int32_t style)
    : Control(size, nullptr, 0, nullptr),
      onBitmap(onBitmap),
      offBitmap(offBitmap),
      ledCount(ledCount),
      style(style),
      onRect(normalised(size)),
      offRect(normalised(size)) {
    if (onBitmap) onBitmap->retain();
    if (offBitmap) offBitmap->retain();
}

LevelMeter::~LevelMeter() {
    if (onBitmap) onBitmap->release();
    if (offBitmap) offBitmap->release();
}

void LevelMeter::setFallStep(float step) { fallStep = step; }

void LevelMeter::draw(DrawContext* context) {
    if (!onBitmap) return;
    // A NaN passes the clamp untouched and cannot become a step count: show it as empty.
    if (std::isnan(value)) value = getMin();
    clampValue();
    float floor = oldValue - fallStep;
    if (floor < getMin()) floor = getMin();
    if (floor > value) value = floor;
    oldValue = value;

    // No steps at all would divide by zero; such a meter is either all dark or all lit.
    const std::int32_t steps = ledCount > 0 ? ledCount : 1;
    Point onSource;
    Point offSource;
    if (style & styleHorizontal) {
        const auto lit = static_cast<std::int32_t>(steps * value + 0.5f);
        const auto x = static_cast<std::int32_t>(static_cast<float>(lit) / steps *
                                                 static_cast<float>(onBitmap->getWidth()));
        onRect.right = bounds.left + x;
        offRect.left = bounds.left + x;
        offSource = {x, 0};
    } else {
        const auto dark = static_cast<std::int32_t>((getMax() - value) * steps + 0.5f);
        const auto y = static_cast<std::int32_t>(static_cast<float>(dark) / steps *
                                                 static_cast<float>(onBitmap->getHeight()));
        offRect.bottom = bounds.top + y;
        onRect.top = bounds.top + y;
        onSource = {0, y};
    }

    if (offBitmap) {
        if (transparent) {
            offBitmap->drawTransparent(context, offRect, offSource);
        } else {
            offBitmap->draw(context, offRect, offSource);
        }
    }
    if (transparent) {
        onBitmap->drawTransparent(context, onRect, onSource);
    } else {
        onBitmap->draw(context, onRect, onSource);
    }
}
