#pragma once

#include <cstdint>

#include "gui/Bitmap.h"
#include "gui/ControlListener.h"
#include "gui/View.h"

// A view that carries one value in a range, a tag its listener knows it by and an optional
// background bitmap. It is dirty while its value differs from the value it last drew
// (oldValue), so setting a value is enough to have it redrawn by the frame's next update.
//
// The gestures of the concrete controls: a click reads the buttons from its context; exactly
// left button + Control resets to the default value; a drag with the left button brackets its
// loop with beginEdit and endEdit, and on each pass sets the value, clamps it, notifies when
// dirty, reads the mouse and calls pumpIdle. A wheel step adds distance x wheelStep, clamps and
// notifies when dirty.
class Control : public View {
protected:
    // Releases the background.
    ~Control() override;

public:
    // Holds a reference to background when it is given.
    Control(const Rect& bounds, ControlListener* listener, std::int32_t tag, Bitmap* background);

    // Ends, as a rule, with setDirty (false): the value drawn becomes oldValue.
    void draw(DrawContext* context) override = 0;
    bool isDirty() override;
    // true makes oldValue differ from value; false makes them equal.
    void setDirty(bool value) override;

    // Lets the editor redraw and the host run during a drag; nothing without a frame and editor.
    virtual void pumpIdle();
    // Stores the value as given: no clamping, no listener call.
    virtual void setValue(float newValue);
    virtual float getValue();
    virtual void setMin(float newMin);
    virtual float getMin();
    virtual void setMax(float newMax);
    virtual float getMax();
    virtual void setOldValue(float newOldValue);
    virtual float getOldValue();
    virtual void setDefaultValue(float newDefault);
    virtual float getDefaultValue();
    virtual void setTag(std::int32_t newTag);
    // Holds a reference to the new bitmap and drops the one to the old; null allowed.
    virtual void setBackground(Bitmap* bitmap);
    virtual Bitmap* getBackground();
    virtual void setWheelStep(float step);
    virtual float getWheelStep();
    // Above max becomes max, else below min becomes min; min need not be below max.
    virtual void clampValue();

    std::int32_t getTag() const { return tag; }
    ControlListener* getListener() const { return listener; }

protected:
    // The shared end of a gesture step: tells the listener when the value differs from the one
    // last drawn.
    void notifyIfDirty(DrawContext* context);
    // Bracket a drag for the host, with the tag as the index; nothing without an owner frame.
    void beginEdit();
    void endEdit();

    ControlListener* listener;
    std::int32_t tag;
    float oldValue = 1.0f;
    float defaultValue = 0.5f;
    float value = 0.0f;
    float min = 0.0f;
    float max = 1.0f;
    float wheelStep = 0.1f;
    Bitmap* background;
};
