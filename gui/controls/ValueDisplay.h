#pragma once

#include <cstdint>

#include "gui/Color.h"
#include "gui/Control.h"
#include "gui/Fonts.h"

// Formatters write into a buffer of 256 bytes that starts empty.
using ValueToText = void (*)(float value, char* out);
using ValueToText2 = void (*)(float value, char* out, std::int32_t userData);
using SpareConverter = void (*)();

// Shows its value as one line of text in a box: filled and outlined, bevelled, on a bitmap, or
// bare when transparent. The text comes from the installed formatter, "%2.2f" without one.
// Ignores clicks and the wheel.
class ValueDisplay : public Control {
protected:
    ~ValueDisplay() override;

public:
    // Style bits of ValueDisplay and the controls derived from it.
    static constexpr std::int32_t styleShadowedText =
        0x4;  // text drawn first in the shadow colour, +1,+1
    static constexpr std::int32_t styleSunken =
        0x80;  // bevel: top/left back colour, bottom/right frame
    static constexpr std::int32_t styleRaised = 0x100;  // bevel the other way round; sunken wins
    static constexpr std::int32_t styleNoText = 0x800;
    static constexpr std::int32_t styleNoDraw = 0x1000;  // draws nothing and never asks to be drawn
    static constexpr std::int32_t styleDoubleClick = 0x2000;  // a text edit opens on a double click

    // No listener, tag 0. A display of styleNoDraw starts clean.
    ValueDisplay(const Rect& size, Bitmap* background, std::int32_t style);

    void draw(DrawContext* context) override;

    // The setters that change the picture mark the display dirty only when the value differs.
    virtual void setFont(std::int32_t newFontId);
    virtual void setFontColor(Color color);
    virtual void setBackColor(Color color);
    virtual void setFrameColor(Color color);
    virtual void setShadowColor(Color color);
    // 0 left, 1 centre, 2 right, as drawString takes it.
    virtual void setTextAlign(std::int32_t align);
    // Where in the background bitmap the display's top-left corner is taken from.
    virtual void setBackgroundOffset(Point offset);
    // Preferred over the plain formatter when both are set.
    virtual void setValueToText2(ValueToText2 function, std::int32_t newUserData);
    virtual void setValueToText(ValueToText function);
    // Kept for callers that store one; nothing here calls it.
    virtual void setSpareConverter(SpareConverter function);
    virtual void setStyle(std::int32_t newStyle);
    virtual void setFontStyle(std::int32_t newFontStyle);
    virtual void setTextTransparent(bool on);

    std::int32_t getStyle() const { return style; }
    Color getFontColor() const { return fontColor; }

protected:
    // Background (bitmap, or fill and outline, or bevel), then the text unless styleNoText, and
    // the value drawn becomes the value last drawn.
    void drawTextBox(DrawContext* context, const char* text);

    ValueToText valueToText = nullptr;
    ValueToText2 valueToText2 = nullptr;
    SpareConverter spareConverter = nullptr;
    std::int32_t userData = 0;
    std::int32_t textAlign = textAlignCenter;
    std::int32_t style;
    std::int32_t fontId = fontNormal;
    std::int32_t fontStyle = 0;
    Color fontColor = colorWhite;
    Color backColor = colorBlack;
    Color frameColor = colorBlack;
    Color shadowColor = colorRed;
    Point backgroundOffset;
    bool textTransparent = true;
};
