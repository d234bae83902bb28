#include "gui/controls/AboutPopup.h"

#include <cstring>

#include "gui/Fonts.h"

AboutPopup::AboutPopup(const Rect& clickArea, ControlListener* listener, std::int32_t tag,
                       Bitmap* picture, const Rect& displayRect, Point pictureOffset)
    : ImagePopup(clickArea, listener, tag, picture, displayRect, pictureOffset) {}

void AboutPopup::draw(DrawContext* context) {
    if (value == 0.0f) return;
    ImagePopup::draw(context);
    context->setFont(fontNormal, 10, 0);
    if (lineShown) {
        context->setFontColor(lineColor);
        context->drawString(lineText, lineRect, false, lineAlign);
    }
}

std::int32_t AboutPopup::setLine(const char* text, const Rect& rect, Color color,
                                 std::int32_t align) {
    if (!text) return 0;
    lineRect = rect;
    lineColor = color;
    lineAlign = align;
    const std::size_t length = strnlen(text, lineCapacity - 1);
    std::memcpy(lineText, text, length);
    lineText[length] = '\0';
    lineShown = true;
    return static_cast<std::int32_t>(length) + 1;
}
