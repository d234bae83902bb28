#include "gui/controls/VerticalFader.h"

#include <cmath>

#include "gui/OffscreenContext.h"

namespace {

// Far beyond any track, yet well inside the int32 range.
constexpr float positionLimit = 1.0e6f;

}  // namespace

VerticalFader::VerticalFader(const Rect& size, ControlListener* listener, std::int32_t tag,
                             std::int32_t minPos, std::int32_t maxPos, Bitmap* handle,
                             Bitmap* background, Point offset, std::int32_t style)
    : Control(size, listener, tag, background),
      offset(offset),
      handle(handle),
      minPos(minPos),
      maxPos(maxPos),
      style(style) {
    if (handle) {
        handle->retain();
        handleWidth = handle->getWidth();
        handleHeight = handle->getHeight();
    }
    trackWidth = size.width();
    trackHeight = size.height();
    handlePos = maxPos;
    minTop = minPos - size.top;
    maxBottom = handleHeight + maxPos - size.top;
}

VerticalFader::~VerticalFader() {
    if (handle) handle->release();
}

std::int32_t VerticalFader::handleTop() const {
    const float f = (style & styleMinAtTop) ? value : 1.0f - value;
    // A value set from outside may be anything; keep the conversion to pixels defined.
    float position = static_cast<float>(maxPos - minPos) * f;
    if (!(position > -positionLimit)) position = -positionLimit;
    if (position > positionLimit) position = positionLimit;
    std::int32_t top = static_cast<std::int32_t>(position) + handleOffset.v;
    if (top < minTop) top = minTop;
    return top;
}

void VerticalFader::draw(DrawContext* context) {
    OffscreenContext offscreen(owner, trackWidth, trackHeight, colorBlack);
    if (background) {
        const Rect track{0, 0, trackWidth, trackHeight};
        if (transparent) {
            background->drawTransparent(&offscreen, track, offset);
        } else {
            background->draw(&offscreen, track, offset);
        }
    }
    const std::int32_t top = handleTop();
    std::int32_t bottom = top + handleHeight;
    if (bottom > maxBottom) bottom = maxBottom;
    if (handle) {
        const Rect place{handleOffset.h, top, handleOffset.h + handleWidth, bottom};
        if (handleTransparent) {
            handle->drawTransparent(&offscreen, place);
        } else {
            handle->draw(&offscreen, place);
        }
    }
    offscreen.copyTo(context, bounds);
    handlePos = bounds.top + top;
    setDirty(false);
}

float VerticalFader::valueAt(std::int32_t v, std::int32_t delta, float range) const {
    const float position = static_cast<float>(v - delta) / range;
    return (style & styleMinAtBottom) ? 1.0f - position : position;
}

void VerticalFader::onMouse(DrawContext* context, Point where) {
    if (!context || !isMouseEnabled()) return;
    const std::int32_t buttons = context->getMouseButtons();
    if (buttons == (mouseLeft | modifierControl)) {
        value = getDefaultValue();
        notifyIfDirty(context);
        return;
    }
    if (!(buttons & mouseLeft)) return;

    // delta is the window height at which the mouse means the top of the travel.
    std::int32_t delta;
    if (jumpToClick) {
        delta = minPos + handleHeight / 2 - 1;
    } else {
        const bool onHandle = bounds.left <= where.h && where.h <= bounds.left + handleWidth &&
                              handlePos <= where.v && where.v <= handlePos + handleHeight;
        if (!onHandle) return;
        delta = minPos + (where.v - handlePos);
    }
    const float range = static_cast<float>(maxPos - minPos);
    float fineBase = value;
    std::int32_t lastButtons = buttons;

    beginEdit();
    for (;;) {
        const std::int32_t held = context->getMouseButtons();
        if (!(held & mouseLeft)) break;
        // While Shift stays down the fine drag scales around the value it had when Shift went
        // down; without Shift the base follows the value.
        if (held != lastButtons && (held & modifierShift)) {
            lastButtons = held;
            fineBase = value;
        } else if (!(held & modifierShift)) {
            fineBase = value;
        }
        float next = valueAt(where.v, delta, range);
        if (held & modifierShift) next = fineBase + (next - fineBase) / fineFactor;
        // Zero travel or a zero fine factor at the grab point give no number: keep the value.
        if (!std::isnan(next)) value = next;
        clampValue();
        notifyIfDirty(context);
        context->getMousePosition(where);
        pumpIdle();
    }
    endEdit();
}

bool VerticalFader::wheel(DrawContext* context, Point, float distance) {
    if (!isMouseEnabled()) return false;
    float step = distance * wheelStep;
    if (context && (context->getMouseButtons() & modifierShift)) step *= 0.1f;
    const float next = value + step;
    if (!std::isnan(next)) value = next;
    clampValue();
    notifyIfDirty(context);
    return true;
}

void VerticalFader::setHandleTransparent(bool on) { handleTransparent = on; }
void VerticalFader::setJumpToClick(bool on) { jumpToClick = on; }
bool VerticalFader::getJumpToClick() { return jumpToClick; }
void VerticalFader::setHandleOffset(Point where) { handleOffset = where; }

void VerticalFader::setHandle(Bitmap* bitmap) {
    if (bitmap) bitmap->retain();
    if (handle) handle->release();
    handle = bitmap;
}

Bitmap* VerticalFader::getHandle() { return handle; }
void VerticalFader::setFineFactor(float divisor) { fineFactor = divisor; }
float VerticalFader::getFineFactor() { return fineFactor; }
