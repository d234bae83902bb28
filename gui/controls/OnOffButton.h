#pragma once

#include <cstdint>

#include "gui/Control.h"

// A two-state button: the upper half of its bitmap is the off picture, the lower half the on
// picture, so the bitmap is twice as tall as the button. Value 0 is off, anything else shows
// on; a left click stores exactly 0 or 1. One click is one change: no drag, no edit bracket,
// no wheel.
class OnOffButton : public Control {
protected:
    ~OnOffButton() override;

public:
    OnOffButton(const Rect& size, ControlListener* listener, std::int32_t tag, Bitmap* background);

    // Plainly, or leaving colorTransparentKey pixels alone when the view is transparent.
    void draw(DrawContext* context) override;
    // A left click, whatever modifiers are held, flips the value, draws it at once and then
    // tells the listener, every time.
    void onMouse(DrawContext* context, Point where) override;
};
