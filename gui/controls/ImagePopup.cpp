#include "gui/controls/ImagePopup.h"

#include "gui/Frame.h"

ImagePopup::ImagePopup(const Rect& clickArea, ControlListener* listener, std::int32_t tag,
                       Bitmap* picture, const Rect& displayRect, Point pictureOffset)
    : Control(clickArea, listener, tag, picture),
      displayRect(displayRect),
      pictureOffset(pictureOffset) {}

void ImagePopup::draw(DrawContext* context) {
    if (value != 0.0f && background) {
        if (transparent) {
            background->drawTransparent(context, displayRect, pictureOffset);
        } else {
            background->draw(context, displayRect, pictureOffset);
        }
    }
    setDirty(false);
}

void ImagePopup::onMouse(DrawContext* context, Point) {
    if (!mouseEnabled || !(context->getMouseButtons() & mouseLeft)) return;
    value = value == 0.0f ? 1.0f : 0.0f;

    if (value == 1.0f) {
        if (owner && owner->setModalView(this)) {
            savedRect = bounds;
            bounds = displayRect;
            draw(context);
            if (listener) listener->valueChanged(context, this);
        } else {
            // Never shown: the closing click that follows must leave the click area as it is.
            savedRect = bounds;
        }
        setDirty(true);
        return;
    }

    bounds = savedRect;
    if (owner) {
        // Only our own modality is ours to end; another view may be modal.
        if (owner->getModalView() == this) owner->setModalView(nullptr);
        owner->draw(context);
    }
    if (listener) listener->valueChanged(context, this);
    setDirty(true);
}
