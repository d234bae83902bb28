#pragma once

class Control;
class DrawContext;

// Hears about values the user changed. The context is that of the click or wheel pass in which
// the change happened, so the listener can draw at once.
class ControlListener {
public:
    virtual void valueChanged(DrawContext* context, Control* control) = 0;

protected:
    ~ControlListener() = default;
};
