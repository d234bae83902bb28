#pragma once

#include <cstdint>

#include "gui/Color.h"
#include "gui/controls/ImagePopup.h"

// An image popup that writes one line of text (the version) onto its picture, in the normal
// font at 10 pixels.
class AboutPopup : public ImagePopup {
protected:
    ~AboutPopup() override = default;

public:
    static constexpr std::int32_t lineCapacity = 128;

    AboutPopup(const Rect& clickArea, ControlListener* listener, std::int32_t tag, Bitmap* picture,
               const Rect& displayRect, Point pictureOffset);

    // Draws nothing while closed; while open, the picture and then the line.
    void draw(DrawContext* context) override;

    // Sets the line and shows it from the next draw on. Answers the stored length plus 1; a
    // longer text is cut to lineCapacity - 1 characters. A null text changes nothing and
    // answers 0.
    std::int32_t setLine(const char* text, const Rect& rect, Color color, std::int32_t align);

    const char* getLineText() const { return lineText; }
    const Rect& getLineRect() const { return lineRect; }
    std::int32_t getLineAlign() const { return lineAlign; }
    bool isLineShown() const { return lineShown; }

private:
    char lineText[lineCapacity] = {};
    Rect lineRect;
    Color lineColor;
    std::int32_t lineAlign = 0;
    bool lineShown = false;
};
