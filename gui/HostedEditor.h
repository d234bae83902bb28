#pragma once

#include <cstdint>

#include "gui/BitmapSet.h"
#include "gui/ControlListener.h"
#include "gui/GuiEditor.h"

class ParameterSet;

// The base of the plug-in's editor: listens to its controls, owns the artwork, reads the
// effect's parameter set and asks it for meter readings while open.
class HostedEditor : public GuiEditor, public ControlListener {
public:
    HostedEditor(EffectBaseEx* effect, ParameterSet* parameters);
    // Releases every bitmap.
    ~HostedEditor() override;

    // Stores the parent window; the derived editor builds the frame. Answers 1.
    std::int32_t open(void* parentWindow) override;
    // Destroys the frame with its window and views.
    void close() override;
    // While open: holds back the effect's meter publishing for the redraw, then asks for fresh
    // meter readings.
    void idle() override;
    void setParameterData(std::int32_t index, void* data, std::int32_t byteSize,
                          std::int32_t byteOffset) override;
    void onSampleRateChanged(float sampleRate) override;
    // text holds at least 64 bytes, enough for any float in "%2.2f". Answers 0.
    virtual std::int32_t formatValueText(float value, char* text);
    // Reads text as a number ("," taken as "."; no number reads as 0) and writes it back into
    // text and into out as "%2.2f"; both hold at least 64 bytes. Answers 0.
    virtual std::int32_t normaliseValueText(char* text, char* out);

    ParameterSet* getParameters() const { return parameters; }
    BitmapSet& getBitmaps() { return bitmaps; }
    bool isEditorOpen() const { return isOpen; }

protected:
    BitmapSet bitmaps;
    ParameterSet* parameters;
    bool isOpen = false;
};
