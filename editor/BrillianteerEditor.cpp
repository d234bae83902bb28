#include "editor/BrillianteerEditor.h"

#include <cstdio>

#include "editor/EditorLayout.h"
#include "gui/Color.h"
#include "gui/Frame.h"
#include "gui/controls/AboutPopup.h"
#include "gui/controls/LevelMeter.h"
#include "gui/controls/OnOffButton.h"
#include "gui/controls/StepSwitch.h"
#include "gui/controls/ValueEdit.h"
#include "gui/controls/VerticalFader.h"
#include "params/BrillianteerParameters.h"
#include "params/ParameterSet.h"
#include "platform/Input.h"
#include "shell/HostedEffect.h"
#include "shell/VersionInfo.h"

namespace {

namespace layout = editor_layout;

// The pause after every notification, whatever the control sent: it is the step switches' rest
// after a press, and it paces a fader drag to at most about 14 parameter changes a second.
constexpr std::uint32_t notificationPauseMs = 70;

constexpr float meterThresholds[layout::meterSteps] = {
    -38.0f, -32.0f, -27.0f, -23.0f, -20.0f, -18.0f, -16.4f, -14.8f, -13.2f, -11.6f,
    -10.0f, -9.2f,  -8.4f,  -7.6f,  -6.8f,  -6.0f,  -5.4f,  -4.8f,  -4.2f,  -3.6f,
    -3.0f,  -2.6f,  -2.2f,  -1.8f,  -1.4f,  -1.0f,  -0.75f, -0.5f,  -0.25f, -0.0001f};

struct MeterPositions {
    float values[layout::meterSteps];
    MeterPositions() {
        // The steps are multiples of 0.033333 in single precision, not of 1/30; the top is 1.
        for (int k = 0; k < layout::meterSteps - 1; ++k)
            values[k] = static_cast<float>(k + 1) * 0.033333f;
        values[layout::meterSteps - 1] = 1.0f;
    }
};

const MeterPositions meterPositions;

void formatDecibels(float value, char* text) { std::snprintf(text, 16, "%.1f", value); }

void formatWhole(float value, char* text) { std::snprintf(text, 16, "%.0f", value); }

}  // namespace

BrillianteerEditor::BrillianteerEditor(HostedEffect* effect, ParameterSet* parameters)
    : HostedEditor(effect, parameters) {
    bitmaps.load(layout::backgroundArt, layout::artCount, layout::backgroundArt);
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<std::int16_t>(bitmaps.heightOf(layout::backgroundArt));
    rect.right = static_cast<std::int16_t>(bitmaps.widthOf(layout::backgroundArt));
}

BrillianteerEditor::~BrillianteerEditor() { bitmaps.clear(); }

HostedEffect* BrillianteerEditor::getHostedEffect() const {
    return static_cast<HostedEffect*>(getEffectEx());
}

float BrillianteerEditor::meterPosition(float levelDb) {
    for (int k = layout::meterSteps - 1; k >= 0; --k) {
        if (levelDb >= meterThresholds[k]) return meterPositions.values[k];
    }
    return 0.0f;
}

std::int32_t BrillianteerEditor::open(void* parentWindow) {
    GuiEditor::open(parentWindow);
    const Rect bounds{0, 0, bitmaps.widthOf(layout::backgroundArt),
                      bitmaps.heightOf(layout::backgroundArt)};
    frame = new Frame(bounds, parentWindow, this);
    if (!frame->getNativeWindow()) {
        frame->release();
        frame = nullptr;
        return 0;
    }
    frame->setBackground(bitmaps.get(layout::backgroundArt));
    createAboutScreen();
    createControls();
    requestUpdate();
    return 1;
}

void BrillianteerEditor::createAboutScreen() {
    Bitmap* picture = bitmaps.get(layout::aboutArt);
    const Rect display{0, 0, bitmaps.widthOf(layout::aboutArt), bitmaps.heightOf(layout::aboutArt)};
    char version[64] = "";
    VersionInfo().getProductVersion(version, sizeof version);
    char line[128];
    std::snprintf(line, sizeof line, "Version: %s", version);
    aboutPopup = new AboutPopup(layout::aboutClickArea, this, aboutTag, picture, display, {0, 0});
    frame->addView(aboutPopup);
    aboutPopup->setLine(line, layout::versionLine, colorWhite, 0);
}

void BrillianteerEditor::createControls() {
    ParameterSet& p = *parameters;
    using P = BrillianteerParameters;

    Bitmap* background = bitmaps.get(layout::backgroundArt);
    const std::int32_t handleHeight = bitmaps.heightOf(layout::handleArt);
    for (int i = 0; i < faderCount; ++i) {
        const Rect& size = layout::faders[i];
        faders[i] =
            new VerticalFader(size, this, firstFaderTag + i, size.top, size.bottom - handleHeight,
                              bitmaps.get(layout::handleArt), background, {size.left, size.top},
                              VerticalFader::styleMinAtBottom);
        frame->addView(faders[i]);
    }
    isOpen = true;
    for (int i = 0; i < faderCount; ++i) faders[i]->setValue(p.getNormalized(P::InGain + i));
    for (int i = 0; i < faderCount; ++i)
        faders[i]->setDefaultValue(p.getDefaultNormalized(P::InGain + i));

    soloButton = new OnOffButton(layout::soloButton, this, soloTag, bitmaps.get(layout::soloArt));
    frame->addView(soloButton);
    clipLamp = new OnOffButton(layout::clipLamp, this, clipTag, bitmaps.get(layout::clipLampArt));
    frame->addView(clipLamp);
    kickButton = new OnOffButton(layout::kickButton, this, kickTag, bitmaps.get(layout::kickArt));
    frame->addView(kickButton);
    soloButton->setValue(p.getNormalized(P::Solo));
    clipLamp->setValue(p.getNormalized(P::Clip));
    kickButton->setValue(p.getNormalized(P::Kick));
    soloButton->setDefaultValue(p.getDefaultNormalized(P::Solo));
    clipLamp->setDefaultValue(p.getDefaultNormalized(P::Clip));
    kickButton->setDefaultValue(p.getDefaultNormalized(P::Kick));

    frequencySwitch = new StepSwitch(
        layout::frequencySwitch, this, frequencySwitchTag, layout::frequencySwitch.height(),
        bitmaps.get(layout::frequencySwitchArt), {0, 0}, StepSwitch::styleHorizontal);
    frame->addView(frequencySwitch);
    densitySwitch = new StepSwitch(
        layout::densitySwitch, this, densitySwitchTag, layout::densitySwitch.height(),
        bitmaps.get(layout::densitySwitchArt), {0, 0}, StepSwitch::styleHorizontal);
    frame->addView(densitySwitch);

    auto numberField = [&](const Rect& size, std::int32_t tag, std::int32_t index,
                           void (*formatter)(float, char*)) {
        auto* field = new ValueEdit(size, this, tag, nullptr, nullptr, 0);
        field->setFont(6);
        field->setValueToText(formatter);
        frame->addView(field);
        field->setMax(p.getMaximum(index));
        field->setMin(p.getMinimum(index));
        field->setValue(p.getNormalized(index));
        field->setDefaultValue(p.getDefaultNormalized(index));
        return field;
    };
    for (int i = 0; i < faderCount; ++i)
        valueFields[i] =
            numberField(layout::numberFields[i], firstNumberTag + i, P::InGain + i, formatDecibels);
    frequencyField = numberField(layout::frequencyField, frequencyFieldTag, P::Freq, formatWhole);
    densityField = numberField(layout::densityField, densityFieldTag, P::Density, formatWhole);

    for (int channel = 0; channel < 2; ++channel) {
        meters[channel] = new LevelMeter(layout::meters[channel], bitmaps.get(layout::meterOnArt),
                                         bitmaps.get(layout::meterOffArt), layout::meterSteps,
                                         LevelMeter::styleVertical);
        frame->addView(meters[channel]);
        meters[channel]->setFallStep(1.0f);
    }
}

std::int32_t BrillianteerEditor::parameterOfTag(std::int32_t tag) {
    using P = BrillianteerParameters;
    if (tag >= firstFaderTag && tag < firstFaderTag + faderCount)
        return P::InGain + (tag - firstFaderTag);
    if (tag >= firstNumberTag && tag < firstNumberTag + faderCount)
        return P::InGain + (tag - firstNumberTag);
    switch (tag) {
        case frequencyFieldTag: return P::Freq;
        case densityFieldTag: return P::Density;
        case soloTag: return P::Solo;
        case kickTag: return P::Kick;
        case clipTag: return P::Clip;
        default: return -1;
    }
}

std::int32_t BrillianteerEditor::parameterOfBracket(std::int32_t tag) {
    if (tag == frequencySwitchTag) return BrillianteerParameters::Freq;
    if (tag == densitySwitchTag) return BrillianteerParameters::Density;
    return parameterOfTag(tag);
}

void BrillianteerEditor::stepParameter(std::int32_t index, float direction) {
    ParameterSet& p = *parameters;
    const float minimum = p.getMinimum(index);
    const float maximum = p.getMaximum(index);
    float current = p.getValue(index);
    if (direction > 0.0f && current < maximum)
        current += p.getStep(index);
    else if (direction < 0.0f && current > minimum)
        current -= p.getStep(index);
    // Sent also when nothing stepped: the release and a bound reached repeat the value.
    getHostedEffect()->setParameterAndNotify(index, (current - minimum) / (maximum - minimum));
}

void BrillianteerEditor::valueChanged(DrawContext* context, Control* control) {
    if (!control || !effect) return;
    const std::int32_t tag = control->getTag();
    const std::int32_t index = parameterOfTag(tag);
    if (index >= 0) {
        getHostedEffect()->setParameterAndNotify(index, control->getValue());
    } else if (parameters && tag == frequencySwitchTag) {
        stepParameter(BrillianteerParameters::Freq, control->getValue());
    } else if (parameters && tag == densitySwitchTag) {
        stepParameter(BrillianteerParameters::Density, control->getValue());
    }
    platform::sleepMilliseconds(notificationPauseMs);
    control->update(context);
}

void BrillianteerEditor::setParameter(std::int32_t index, float value) {
    if (!isOpen || !parameters) return;
    using P = BrillianteerParameters;
    if (index >= P::InGain && index < P::InGain + faderCount) {
        const int i = index - P::InGain;
        if (faders[i]) faders[i]->setValue(value);
        if (valueFields[i]) valueFields[i]->setValue(parameters->getNormalized(index));
    } else if (index == P::Solo) {
        soloButton->setValue(value);
    } else if (index == P::Kick) {
        kickButton->setValue(value);
    } else if (index == P::Freq) {
        frequencyField->setValue(parameters->getNormalized(P::Freq));
    } else if (index == P::Density) {
        densityField->setValue(parameters->getNormalized(P::Density));
    } else if (index == P::Clip) {
        // Any setting of the parameter puts the lamp out, whatever the value.
        clipLamp->setValue(0.0f);
    }
    requestUpdate();
}

void BrillianteerEditor::idle() {
    if (!isOpen || !parameters) return;
    parameters->raiseMeterBusy();
    parameters->takeData(BrillianteerParameters::Meters, levels, sizeof levels, 0);
    for (int channel = 0; channel < 2; ++channel) {
        meters[channel]->setValue(meterPosition(levels[channel]));
        if (levels[channel] >= 0.0f) clipLamp->setValue(1.0f);
    }
    GuiEditor::idle();
    parameters->lowerMeterBusy();
    parameters->setMeterRequest(true);
}
