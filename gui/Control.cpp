#include "gui/Control.h"

#include "gui/Frame.h"
#include "gui/GuiEditor.h"

Control::Control(const Rect& bounds, ControlListener* listener, std::int32_t tag,
                 Bitmap* background)
    : View(bounds), listener(listener), tag(tag), background(background) {
    if (background) background->retain();
}

Control::~Control() {
    if (background) background->release();
}

bool Control::isDirty() { return oldValue != value || dirty; }

void Control::setDirty(bool on) {
    View::setDirty(on);
    if (on) {
        oldValue = value == -1.0f ? 0.0f : -1.0f;
    } else {
        oldValue = value;
    }
}

void Control::pumpIdle() {
    if (owner && owner->getEditor()) owner->getEditor()->pumpIdle();
}

void Control::setValue(float newValue) { value = newValue; }
float Control::getValue() { return value; }
void Control::setMin(float newMin) { min = newMin; }
float Control::getMin() { return min; }
void Control::setMax(float newMax) { max = newMax; }
float Control::getMax() { return max; }
void Control::setOldValue(float newOldValue) { oldValue = newOldValue; }
float Control::getOldValue() { return oldValue; }
void Control::setDefaultValue(float newDefault) { defaultValue = newDefault; }
float Control::getDefaultValue() { return defaultValue; }
void Control::setTag(std::int32_t newTag) { tag = newTag; }

void Control::setBackground(Bitmap* bitmap) {
    if (bitmap) bitmap->retain();
    if (background) background->release();
    background = bitmap;
}

Bitmap* Control::getBackground() { return background; }
void Control::setWheelStep(float step) { wheelStep = step; }
float Control::getWheelStep() { return wheelStep; }

void Control::clampValue() {
    if (value > max) {
        value = max;
    } else if (value < min) {
        value = min;
    }
}

void Control::notifyIfDirty(DrawContext* context) {
    if (listener && isDirty()) listener->valueChanged(context, this);
}

void Control::beginEdit() {
    if (owner) owner->beginEdit(tag);
}

void Control::endEdit() {
    if (owner) owner->endEdit(tag);
}
