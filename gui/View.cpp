#include "gui/View.h"

View::View(const Rect& bounds) : bounds(bounds), mouseArea(bounds) {}

View::~View() = default;

void View::draw(DrawContext*) {}
void View::onMouse(DrawContext*, Point) {}

void View::update(DrawContext* context) {
    if (isDirty()) {
        draw(context);
        setDirty(false);
    }
}

bool View::dropItems(void**, std::int32_t, std::int32_t, Point) { return false; }
bool View::wheel(DrawContext*, Point, float) { return false; }
void View::focusLost(DrawContext*) {}
void View::focusGained(DrawContext*) {}
bool View::isDirty() { return dirty; }
void View::setDirty(bool value) { dirty = value; }
void View::setMouseEnabled(bool value) { mouseEnabled = value; }
bool View::isMouseEnabled() { return mouseEnabled; }
void View::setMouseArea(const Rect& area) { mouseArea = area; }

Rect& View::getMouseArea(Rect& out) {
    out = mouseArea;
    return out;
}

void View::setTransparent(bool value) { transparent = value; }
bool View::isTransparent() { return transparent; }

void View::setBounds(const Rect& value) {
    bounds = value;
    setDirty(true);
}

void View::setOwner(Frame* frame) { owner = frame; }
bool View::onRemoved(Frame*) { return true; }
bool View::onAttached(Frame*) { return true; }

void View::release() {
    if (refCount <= 0) return;
    if (--refCount == 0) delete this;
}

void View::retain() { ++refCount; }
std::int32_t View::referenceCount() { return refCount; }
