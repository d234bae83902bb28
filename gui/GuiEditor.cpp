#include "gui/GuiEditor.h"

#include "platform/Input.h"
#include "platform/Ole.h"
#include "platform/Window.h"
#include "shell/EffectBaseEx.h"

GuiEditor::GuiEditor(EffectBaseEx* effect)
    : EditorBase(effect), lastIdleTicks(platform::tickCount()) {
    oleInitialized = platform::initializeOle();
}

GuiEditor::~GuiEditor() {
    if (frame) frame->release();
    frame = nullptr;
    if (oleInitialized) platform::uninitializeOle();
}

EffectBaseEx* GuiEditor::getEffectEx() const { return static_cast<EffectBaseEx*>(effect); }

std::int32_t GuiEditor::getRect(EditorRect** out) {
    if (out) *out = &rect;
    return 1;
}

std::int32_t GuiEditor::open(void* parent) {
    requestUpdate();
    parentWindow = parent;
    return 0;
}

void GuiEditor::idle() {
    if (inIdle) return;
    if (updatePending) {
        updatePending = 0;
        update();
    }
    if (frame) frame->idle();
}

std::int32_t GuiEditor::setRotaryMode(std::int32_t) { return 1; }

bool GuiEditor::onWheel(float distance) {
    return frame ? frame->wheel(nullptr, Point{0, 0}, distance) : false;
}

void GuiEditor::setParameter(std::int32_t, float) { requestUpdate(); }

void GuiEditor::redrawAll(EditorRect*) {
    if (frame) frame->drawView(nullptr);
}

void GuiEditor::pumpIdle() {
    std::uint32_t now = platform::tickCount();
    idle();
    // The difference of two tick counts, read as signed, stays right across the wrap of the
    // counter and when a coarse clock reads a little behind the 4 ms added below.
    auto since = [this](std::uint32_t time) {
        return static_cast<std::int32_t>(time - lastIdleTicks);
    };
    if (since(now) < 100) {
        platform::sleepMilliseconds(4);
        now += 4;
        if (since(now) < 50) return;
    }
    platform::dispatchPaintMessage();
    lastIdleTicks = now;
    inIdle = true;
    if (effect) effect->hostIdle();
    inIdle = false;
}
