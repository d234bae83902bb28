#pragma once

#include "platform/Surface.h"

// What a view that edits text in a native field tells the frame when that field is about to
// draw. The frame asks the view that holds the keyboard focus.
class EditFieldColors {
public:
    // Sets the text and background colours of the field's surface and answers the brush for its
    // background, which the view keeps until it replaces or deletes it.
    virtual platform::Brush* editFieldColors(platform::Surface* fieldSurface) = 0;

protected:
    ~EditFieldColors() = default;
};
