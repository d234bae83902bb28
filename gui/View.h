#pragma once

#include <cstdint>

#include "gui/DrawContext.h"
#include "gui/Point.h"
#include "gui/Rect.h"

class Frame;

// A rectangle of the editor that draws itself, takes clicks and remembers whether it needs
// redrawing. Shared by reference counting: a new view holds one reference; a holder that keeps
// it calls retain, and every reference ends with release (the destructor is protected).
class View {
protected:
    // First in the slot order; protected so that release is the only way to end a view.
    virtual ~View();

public:
    explicit View(const Rect& bounds);
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    virtual void draw(DrawContext* context);
    virtual void onMouse(DrawContext* context, Point where);
    // Draws the view when it is dirty and marks it clean.
    virtual void update(DrawContext* context);
    // kind 0: items are file names, count of them; kind 1: one text block of count bytes.
    // True when the view took the items.
    virtual bool dropItems(void** items, std::int32_t count, std::int32_t kind, Point where);
    virtual bool wheel(DrawContext* context, Point where, float distance);
    virtual void focusLost(DrawContext* context);
    virtual void focusGained(DrawContext* context);
    virtual bool isDirty();
    virtual void setDirty(bool value);
    virtual void setMouseEnabled(bool value);
    virtual bool isMouseEnabled();
    // The mouse area is kept for the views that want it; the frame hit-tests bounds.
    virtual void setMouseArea(const Rect& area);
    virtual Rect& getMouseArea(Rect& out);
    virtual void setTransparent(bool value);
    virtual bool isTransparent();
    // Moves the view and marks it dirty; the mouse area stays where it was.
    virtual void setBounds(const Rect& value);
    virtual void setOwner(Frame* frame);
    virtual bool onRemoved(Frame* frame);
    virtual bool onAttached(Frame* frame);
    // Drops one reference; the last one destroys the view. Does nothing once the count is 0.
    virtual void release();
    virtual void retain();
    virtual std::int32_t referenceCount();

    const Rect& getBounds() const { return bounds; }
    Frame* getOwner() const { return owner; }

protected:
    std::int32_t refCount = 1;
    Rect bounds;
    Rect mouseArea;
    Frame* owner = nullptr;
    bool dirty = true;
    bool mouseEnabled = true;
    bool transparent = false;
};
