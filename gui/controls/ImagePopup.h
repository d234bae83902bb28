#pragma once

#include <cstdint>

#include "gui/Bitmap.h"
#include "gui/Control.h"

// A small click area that opens a large picture over the editor and makes it the frame's modal
// view; a click on the picture closes it again. While open, bounds is the picture's area and
// value 1; while closed, bounds is the click area and value 0. The background is the picture.
class ImagePopup : public Control {
protected:
    ~ImagePopup() override = default;

public:
    // Holds a reference to picture when it is given.
    ImagePopup(const Rect& clickArea, ControlListener* listener, std::int32_t tag, Bitmap* picture,
               const Rect& displayRect, Point pictureOffset);

    // Shows the picture over displayRect while open; always ends clean.
    void draw(DrawContext* context) override;
    // A left click toggles. Opening becomes modal, takes the display area and draws at once;
    // closing gives back the click area and redraws the whole frame. Both tell the listener.
    void onMouse(DrawContext* context, Point where) override;

    const Rect& getSavedRect() const { return savedRect; }

protected:
    Rect displayRect;
    Rect savedRect;
    Point pictureOffset;
};
