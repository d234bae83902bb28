#pragma once

#include <cstdint>

#include "gui/Bitmap.h"
#include "gui/Control.h"

// A continuous control whose value 0..1 is the position of a handle bitmap on a vertical track.
// The track is a window onto the background bitmap at offset, so a fader laid over the full
// background picture shows the picture under it unchanged, with the handle on top.
//
// Gestures: a left click (anywhere on the track, or only on the handle when jumpToClick is
// clear) drags the handle inside one begin/end edit bracket; Shift scales the travel down by
// fineFactor around the value of the moment Shift went down; exactly left + Control resets to
// the default value; the wheel adds distance x wheelStep, a tenth of it with Shift.
class VerticalFader : public Control {
protected:
    // Releases the handle, then the Control part.
    ~VerticalFader() override;

public:
    // Orientation bits of a fader. Drawing reads only styleMinAtTop, the mouse only
    // styleMinAtBottom: a fader is given exactly one of them.
    static constexpr std::int32_t styleMinAtTop = 0x20;
    static constexpr std::int32_t styleMinAtBottom = 0x40;

    // minPos and maxPos are the window y of the handle's top at the two ends of its travel;
    // offset is where the track's window starts in background. Holds a reference to handle and
    // background when given; the handle's size is taken now and kept.
    VerticalFader(const Rect& size, ControlListener* listener, std::int32_t tag,
                  std::int32_t minPos, std::int32_t maxPos, Bitmap* handle, Bitmap* background,
                  Point offset, std::int32_t style);

    // Composes track and handle off-screen and copies them to the bounds in one step.
    void draw(DrawContext* context) override;
    void onMouse(DrawContext* context, Point where) override;
    // A positive distance raises the value whatever the style. True when mouse-enabled.
    bool wheel(DrawContext* context, Point where, float distance) override;

    virtual void setHandleTransparent(bool on);
    virtual void setJumpToClick(bool on);
    virtual bool getJumpToClick();
    // h is the handle's left edge inside the control; v is added to the computed handle top.
    virtual void setHandleOffset(Point where);
    // Holds a reference to the new handle and drops the old one; the handle size stays the one
    // taken at construction.
    virtual void setHandle(Bitmap* bitmap);
    virtual Bitmap* getHandle();
    virtual void setFineFactor(float divisor);
    virtual float getFineFactor();

    // Window y of the handle's top as last drawn.
    std::int32_t getHandlePos() const { return handlePos; }
    std::int32_t getStyle() const { return style; }
    Point getOffset() const { return offset; }

private:
    // Handle top inside the control for the current value, kept inside the travel.
    std::int32_t handleTop() const;
    // The value the mouse at window height v stands for, before clamping.
    float valueAt(std::int32_t v, std::int32_t delta, float range) const;

    Point offset;
    Point handleOffset;
    Bitmap* handle;
    std::int32_t handleWidth = 1;
    std::int32_t handleHeight = 1;
    std::int32_t minPos;
    std::int32_t maxPos;
    std::int32_t style;
    std::int32_t handlePos;
    std::int32_t minTop;
    std::int32_t maxBottom;
    std::int32_t trackWidth;
    std::int32_t trackHeight;
    float fineFactor = 10.0f;
    bool handleTransparent = true;
    bool jumpToClick = true;
};
