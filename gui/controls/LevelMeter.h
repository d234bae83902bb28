#pragma once

#include <cstdint>

#include "gui/Bitmap.h"
#include "gui/Control.h"

// A value 0..1 shown as a bar of ledCount steps: the lit part comes from the on-bitmap, the
// dark rest from the off-bitmap, both the meter's size, split at a whole step. The bar sinks by
// at most fallStep per redraw. Takes no mouse input.
class LevelMeter : public Control {
protected:
    // Releases both bitmaps.
    ~LevelMeter() override;

public:
    // Meter styles: only the horizontal bit is tested; anything else grows from the bottom.
    static constexpr std::int32_t styleHorizontal = 1;
    static constexpr std::int32_t styleVertical = 2;

    // Holds a reference to each bitmap given; offBitmap may be null, and without onBitmap the
    // meter draws nothing. The fall step starts at 1.0, which never holds the bar up.
    LevelMeter(const Rect& size, Bitmap* onBitmap, Bitmap* offBitmap, std::int32_t ledCount,
               std::int32_t style);

    // Clamps the value, lets it sink by no more than fallStep below the value shown last, and
    // makes the shown value both value and oldValue. Leaves the dirty flag to update.
    void draw(DrawContext* context) override;
    virtual void setFallStep(float step);

    std::int32_t getStyle() const { return style; }
    const Rect& getOnRect() const { return onRect; }
    const Rect& getOffRect() const { return offRect; }

private:
    Bitmap* onBitmap;
    Bitmap* offBitmap;
    std::int32_t ledCount;
    std::int32_t style;
    float fallStep = 1.0f;
    Rect onRect;
    Rect offRect;
};
