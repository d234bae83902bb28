#pragma once

#include <cstdint>

#include "gui/Control.h"

// A momentary three-position switch: while the left button holds one half of it down its value
// is -1 or +1, and at the release it springs back to 0. It keeps no setting of its own; the
// listener steps something at each -1 or +1. The bitmap holds three pictures from the top, for
// -1, 0 and +1, each frameHeight tall, the first at offset.
class StepSwitch : public Control {
protected:
    ~StepSwitch() override;

public:
    // Split into a left (-1) and a right (+1) half; without it, a top (-1) and a bottom (+1) half.
    static constexpr std::int32_t styleHorizontal = 1;

    StepSwitch(const Rect& size, ControlListener* listener, std::int32_t tag,
               std::int32_t frameHeight, Bitmap* background, Point offset, std::int32_t style);

    // Picture 2 for exactly +1, 1 for exactly 0, 0 for anything else.
    void draw(DrawContext* context) override;
    // Tracks the mouse between the halves inside an edit bracket while any button or modifier
    // key is held, telling the listener of each change; outside the switch the value returns to
    // what it was at the press. The release always ends with a notification carrying 0. The
    // listener redraws the switch after each notification; until it does, every poll of a held
    // button counts as a change again.
    void onMouse(DrawContext* context, Point where) override;
    // One step per call, whatever the style: forward (distance > 0) -1, otherwise +1, each
    // followed by a notification carrying 0. No edit bracket.
    bool wheel(DrawContext* context, Point where, float distance) override;

    Point getOffset() const { return offset; }
    std::int32_t getStyle() const { return style; }

private:
    // -1 or +1 for the half where lies in (edges included, the middle line counting for -1),
    // fallback outside the switch.
    float valueAt(Point where, float fallback) const;

    Point offset;
    std::int32_t frameHeight;
    std::int32_t style;
};
