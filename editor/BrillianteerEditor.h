#pragma once

#include <cstdint>

#include "editor/EditorLayout.h"
#include "gui/HostedEditor.h"

class AboutPopup;
class HostedEffect;
class LevelMeter;
class OnOffButton;
class StepSwitch;
class ValueEdit;
class VerticalFader;

// The plug-in's window: five faders with number fields, Solo and Kick, the clip lamp, the
// frequency and density switches with their readouts, two output meters and the about screen on
// the background picture. Each control's tag names the parameter it moves; the editor sends
// user changes to the effect, moves the controls when a parameter changes, and reads the output
// levels at every idle pass.
class BrillianteerEditor : public HostedEditor {
public:
    // Loads the artwork; the editor's size is the background picture's.
    BrillianteerEditor(HostedEffect* effect, ParameterSet* parameters);
    ~BrillianteerEditor() override;

    // Builds the frame and every control at the parameters' current values; 0 when the frame
    // cannot be created.
    std::int32_t open(void* parentWindow) override;
    // Hands the output levels to the meters and the clip lamp, then redraws what is dirty.
    void idle() override;
    // Stores the new value in the controls of the parameter; the next idle draws them.
    void setParameter(std::int32_t index, float value) override;
    void valueChanged(DrawContext* context, Control* control) override;

    // The meter value (0..1) that shows a level in dB: one of 30 steps.
    static float meterPosition(float levelDb);
    // The parameter an edit bracket's index (the dragged control's tag) stands for; -1 if none.
    static std::int32_t parameterOfBracket(std::int32_t tag);

    enum Tag : std::int32_t {
        aboutTag = 0,
        firstFaderTag = 1,   // 1..5: InGain, Gain, 2nd, 3rd, Mix
        firstNumberTag = 6,  // 6..10: the number fields under the faders
        frequencyFieldTag = 11,
        densityFieldTag = 12,
        soloTag = 14,
        kickTag = 15,
        clipTag = 16,
        frequencySwitchTag = 17,
        densitySwitchTag = 18
    };
    static constexpr int faderCount = editor_layout::faderCount;

private:
    void createAboutScreen();
    void createControls();
    HostedEffect* getHostedEffect() const;
    // The parameter a tag sends to, or -1 for a tag without one (and for the step switches).
    static std::int32_t parameterOfTag(std::int32_t tag);
    void stepParameter(std::int32_t index, float direction);

    AboutPopup* aboutPopup = nullptr;
    VerticalFader* faders[faderCount] = {};
    OnOffButton* soloButton = nullptr;
    OnOffButton* kickButton = nullptr;
    OnOffButton* clipLamp = nullptr;
    StepSwitch* frequencySwitch = nullptr;
    StepSwitch* densitySwitch = nullptr;
    ValueEdit* valueFields[faderCount] = {};
    ValueEdit* frequencyField = nullptr;
    ValueEdit* densityField = nullptr;
    LevelMeter* meters[2] = {};
    float levels[2] = {0.0f, 0.0f};
};
