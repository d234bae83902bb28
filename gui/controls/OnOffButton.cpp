#include "gui/controls/OnOffButton.h"

#include <cmath>

OnOffButton::OnOffButton(const Rect& size, ControlListener* listener, std::int32_t tag,
                         Bitmap* background)
    : Control(size, listener, tag, background) {}

OnOffButton::~OnOffButton() = default;

void OnOffButton::draw(DrawContext* context) {
    if (background) {
        const Point source{0, value == 0.0f ? 0 : background->getHeight() / 2};
        if (transparent) {
            background->drawTransparent(context, bounds, source);
        } else {
            background->draw(context, bounds, source);
        }
    }
    setDirty(false);
}

void OnOffButton::onMouse(DrawContext* context, Point) {
    if (!mouseEnabled) return;
    if (!(context->getMouseButtons() & mouseLeft)) return;
    // The integer part picks the way to flip, so a 0.5 drawn as on becomes 1. trunc, unlike a
    // cast to int, is defined for every float.
    value = std::trunc(value) != 0.0f ? 0.0f : 1.0f;
    // The new state is on screen before anybody reacts to it.
    draw(context);
    if (listener) listener->valueChanged(context, this);
}
