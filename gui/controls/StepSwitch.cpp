#include "gui/controls/StepSwitch.h"

StepSwitch::StepSwitch(const Rect& size, ControlListener* listener, std::int32_t tag,
                       std::int32_t frameHeight, Bitmap* background, Point offset,
                       std::int32_t style)
    : Control(size, listener, tag, background),
      offset(offset),
      frameHeight(frameHeight),
      style(style) {}

StepSwitch::~StepSwitch() = default;

void StepSwitch::draw(DrawContext* context) {
    int picture = 0;
    if (value == 1.0f) {
        picture = 2;
    } else if (value == 0.0f) {
        picture = 1;
    }
    if (background) {
        const Point source{offset.h, offset.v + picture * frameHeight};
        if (transparent) {
            background->drawTransparent(context, bounds, source);
        } else {
            background->draw(context, bounds, source);
        }
    }
    setDirty(false);
}

float StepSwitch::valueAt(Point where, float fallback) const {
    Rect minus = bounds;
    Rect plus = bounds;
    if (style & styleHorizontal) {
        minus.right = plus.left = bounds.left + bounds.width() / 2;
    } else {
        minus.bottom = plus.top = bounds.top + bounds.height() / 2;
    }
    if (minus.contains(where)) return -1.0f;
    if (plus.contains(where)) return 1.0f;
    return fallback;
}

void StepSwitch::onMouse(DrawContext* context, Point where) {
    if (!mouseEnabled) return;
    if (!(context->getMouseButtons() & mouseLeft)) return;
    const float fallback = value;
    beginEdit();
    // Any button or modifier still held keeps the tracking going.
    do {
        value = valueAt(where, fallback);
        notifyIfDirty(context);
        context->getMousePosition(where);
        pumpIdle();
    } while (context->getMouseButtons() != 0);
    endEdit();
    value = 0.0f;
    if (listener) listener->valueChanged(context, this);
}

bool StepSwitch::wheel(DrawContext* context, Point, float distance) {
    if (!mouseEnabled) return false;
    value = distance > 0.0f ? -1.0f : 1.0f;
    notifyIfDirty(context);
    value = 0.0f;
    if (listener) listener->valueChanged(context, this);
    return true;
}
