#pragma once

#include <cstdint>

#include "gui/controls/TextEdit.h"

// A text edit for a number in a parameter's own units. Towards other code it speaks normalised
// values like every control; inside it keeps, shows and edits the plain value between min and
// max (say -20.0 .. 6.0 dB). Typed text is read with a comma taken as the decimal point, text
// that holds no number reads as 0, and the result is clamped to the range.
class ValueEdit : public TextEdit {
protected:
    ~ValueEdit() override;

public:
    ValueEdit(const Rect& size, ControlListener* listener, std::int32_t tag, const char* text,
              Bitmap* background, std::int32_t style);

    // Always shows the stored plain value through the formatter, never the raw typed text.
    void draw(DrawContext* context) override;
    // normalised 0..1 -> plain value, clamped, stored and formatted into the text.
    void setValue(float normalised) override;
    // Reads the text (its commas become points), clamps and stores the plain value, and answers
    // it normalised; 0 for an empty range.
    float getValue() override;
    // The formatter of the plain value; preferred over setPlainToText2 when both are set.
    void setValueToText(ValueToText function) override;

    virtual void setPlainToText2(ValueToText2 function, std::int32_t newUserData);
    // As getValue without the normalisation.
    virtual float getPlainValue();
    // As setValue with a plain value.
    virtual void setPlainValue(float plain);

protected:
    ValueToText plainToText = nullptr;
    ValueToText2 plainToText2 = nullptr;
    std::int32_t plainUserData = 0;

private:
    float clampedToRange(float plain) const;
    float readPlainValue();
    void showPlainValue(float plain);
};
