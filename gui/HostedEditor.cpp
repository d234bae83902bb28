#include "gui/HostedEditor.h"

#include <cstdio>
#include <cstring>

#include "params/ParameterSet.h"

namespace {
constexpr std::size_t valueTextCapacity = 64;
}

HostedEditor::HostedEditor(EffectBaseEx* effect, ParameterSet* parameters)
    : GuiEditor(effect), parameters(parameters) {}

HostedEditor::~HostedEditor() { bitmaps.clear(); }

std::int32_t HostedEditor::open(void* parent) {
    GuiEditor::open(parent);
    return 1;
}

void HostedEditor::close() {
    isOpen = false;
    if (frame) frame->release();
    frame = nullptr;
}

void HostedEditor::idle() {
    if (!isOpen || !parameters) return;
    parameters->raiseMeterBusy();
    GuiEditor::idle();
    parameters->lowerMeterBusy();
    parameters->setMeterRequest(true);
}

void HostedEditor::setParameterData(std::int32_t, void*, std::int32_t, std::int32_t) {}
void HostedEditor::onSampleRateChanged(float) {}

std::int32_t HostedEditor::formatValueText(float value, char* text) {
    if (text) std::snprintf(text, valueTextCapacity, "%2.2f", value);
    return 0;
}

std::int32_t HostedEditor::normaliseValueText(char* text, char* out) {
    if (!text) return 0;
    for (char* c = text; *c; ++c) {
        if (*c == ',') *c = '.';
    }
    float value = 0.0f;
    if (std::sscanf(text, "%f", &value) != 1) value = 0.0f;
    std::snprintf(text, valueTextCapacity, "%2.2f", value);
    if (out) std::memcpy(out, text, std::strlen(text) + 1);
    return 0;
}
