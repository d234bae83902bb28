#include "gui/controls/ValueDisplay.h"

#include <cstdio>

ValueDisplay::ValueDisplay(const Rect& size, Bitmap* background, std::int32_t style)
    : Control(size, nullptr, 0, background), style(style) {
    if (style & styleNoDraw) setDirty(false);
}

ValueDisplay::~ValueDisplay() = default;

void ValueDisplay::draw(DrawContext* context) {
    char text[256] = {};
    if (valueToText2) {
        valueToText2(value, text, userData);
    } else if (valueToText) {
        valueToText(value, text);
    } else {
        std::snprintf(text, sizeof text, "%2.2f", value);
    }
    drawTextBox(context, text);
}

void ValueDisplay::drawTextBox(DrawContext* context, const char* text) {
    if (style & styleNoDraw) {
        setDirty(false);
        return;
    }
    if (!context) return;
    const bool bevel = (style & (styleSunken | styleRaised)) != 0;
    if (background) {
        if (transparent) {
            background->drawTransparent(context, bounds, backgroundOffset);
        } else {
            background->draw(context, bounds, backgroundOffset);
        }
    } else if (!transparent) {
        context->setFillColor(backColor);
        context->fillRect(bounds);
        if (!bevel) {
            context->setFrameColor(frameColor);
            context->drawRect(bounds);
        }
    }
    if (bevel) {
        const bool sunken = (style & styleSunken) != 0;
        context->setFrameColor(sunken ? backColor : frameColor);
        context->moveTo({bounds.left, bounds.bottom});
        context->lineTo({bounds.left, bounds.top});
        context->lineTo({bounds.right + 1, bounds.top});
        context->setFrameColor(sunken ? frameColor : backColor);
        context->moveTo({bounds.right, bounds.top + 1});
        context->lineTo({bounds.right, bounds.bottom});
        context->lineTo({bounds.left, bounds.bottom});
    }
    if (!(style & styleNoText)) {
        context->setFont(fontId, 0, fontStyle);
        if (style & styleShadowedText) {
            context->setFontColor(shadowColor);
            context->drawString(text, bounds.movedBy({1, 1}), !textTransparent, textAlign);
        }
        context->setFontColor(fontColor);
        context->drawString(text, bounds, !textTransparent, textAlign);
    }
    setDirty(false);
}

void ValueDisplay::setFont(std::int32_t newFontId) {
    if (newFontId != fontId) setDirty(true);
    fontId = newFontId;
}

void ValueDisplay::setFontColor(Color color) {
    if (!color.sameRgb(fontColor)) setDirty(true);
    fontColor = color;
}

void ValueDisplay::setBackColor(Color color) {
    if (!color.sameRgb(backColor)) setDirty(true);
    backColor = color;
}

void ValueDisplay::setFrameColor(Color color) {
    if (!color.sameRgb(frameColor)) setDirty(true);
    frameColor = color;
}

void ValueDisplay::setShadowColor(Color color) {
    if (!color.sameRgb(shadowColor)) setDirty(true);
    shadowColor = color;
}

void ValueDisplay::setTextAlign(std::int32_t align) {
    if (align != textAlign) setDirty(true);
    textAlign = align;
}

void ValueDisplay::setBackgroundOffset(Point offset) { backgroundOffset = offset; }

void ValueDisplay::setValueToText2(ValueToText2 function, std::int32_t newUserData) {
    valueToText2 = function;
    userData = newUserData;
}

void ValueDisplay::setValueToText(ValueToText function) { valueToText = function; }

void ValueDisplay::setSpareConverter(SpareConverter function) { spareConverter = function; }

void ValueDisplay::setStyle(std::int32_t newStyle) {
    if (newStyle == style) return;
    style = newStyle;
    setDirty(true);
}

void ValueDisplay::setFontStyle(std::int32_t newFontStyle) {
    if (newFontStyle != fontStyle) setDirty(true);
    fontStyle = newFontStyle;
}

void ValueDisplay::setTextTransparent(bool on) { textTransparent = on; }
