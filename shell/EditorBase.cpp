#include "shell/EditorBase.h"

#include "shell/EffectBase.h"

EditorBase::EditorBase(EffectBase* effect) : effect(effect) {
    if (effect) effect->attachEditor(this);
}

EditorBase::~EditorBase() = default;

std::int32_t EditorBase::getRect(EditorRect** rect) {
    if (rect) *rect = nullptr;
    return 0;
}

std::int32_t EditorBase::open(void* parent) {
    parentWindow = parent;
    return 0;
}

void EditorBase::close() {}

void EditorBase::idle() {
    if (updatePending) {
        updatePending = 0;
        update();
    }
}

void EditorBase::update() {}
void EditorBase::requestUpdate() { updatePending = 1; }
std::int32_t EditorBase::onKeyDown(KeyRecord&) { return -1; }
std::int32_t EditorBase::onKeyUp(KeyRecord&) { return -1; }
std::int32_t EditorBase::setRotaryMode(std::int32_t) { return 0; }
bool EditorBase::onWheel(float) { return false; }
void EditorBase::setParameter(std::int32_t, float) {}
void EditorBase::redrawAll(EditorRect*) {}
void EditorBase::pumpIdle() {}
void EditorBase::setParameterData(std::int32_t, void*, std::int32_t, std::int32_t) {}
void EditorBase::onSampleRateChanged(float) {}
