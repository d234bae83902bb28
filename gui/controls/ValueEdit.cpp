#include "gui/controls/ValueEdit.h"

#include <cmath>
#include <cstdio>

ValueEdit::ValueEdit(const Rect& size, ControlListener* listener, std::int32_t tag,
                     const char* text, Bitmap* background, std::int32_t style)
    : TextEdit(size, listener, tag, text, background, style) {}

ValueEdit::~ValueEdit() = default;

void ValueEdit::draw(DrawContext* context) {
    char shown[textCapacity] = {};
    if (plainToText) {
        plainToText(value, shown);
    } else if (plainToText2) {
        plainToText2(value, shown, plainUserData);
    } else {
        std::snprintf(shown, sizeof shown, "%2.2f", value);
    }
    drawTextBox(context, shown);
}

float ValueEdit::clampedToRange(float plain) const {
    if (plain > max) return max;
    if (plain < min) return min;
    return plain;
}

void ValueEdit::setValue(float normalised) { showPlainValue(min + (max - min) * normalised); }

void ValueEdit::setPlainValue(float plain) { showPlainValue(plain); }

void ValueEdit::showPlainValue(float plain) {
    value = clampedToRange(plain);
    char formatted[textCapacity] = {};
    if (plainToText) {
        plainToText(value, formatted);
    } else if (plainToText2) {
        plainToText2(value, formatted, plainUserData);
    }
    setText(formatted);
}

float ValueEdit::readPlainValue() {
    for (char* c = text; *c; ++c) {
        if (*c == ',') *c = '.';
    }
    float plain = 0.0f;
    // "nan" reads as a number to scanf but means none; it would stick in the value for good.
    if (std::sscanf(text, "%f", &plain) != 1 || std::isnan(plain)) plain = 0.0f;
    value = clampedToRange(plain);
    return value;
}

float ValueEdit::getValue() {
    const float plain = readPlainValue();
    const float range = max - min;
    return range != 0.0f ? (plain - min) / range : 0.0f;
}

float ValueEdit::getPlainValue() { return readPlainValue(); }

void ValueEdit::setValueToText(ValueToText function) { plainToText = function; }

void ValueEdit::setPlainToText2(ValueToText2 function, std::int32_t newUserData) {
    plainToText2 = function;
    plainUserData = newUserData;
}
