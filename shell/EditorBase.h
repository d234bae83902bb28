#pragma once

#include <cstdint>

class EffectBase;

// The editor's size as the host reads it.
struct EditorRect {
    std::int16_t top;
    std::int16_t left;
    std::int16_t bottom;
    std::int16_t right;
};

// What the key opcodes hand to the editor; built on the stack for the one call.
struct KeyRecord {
    std::int32_t character;
    std::uint8_t virtualKey;
    std::uint8_t modifiers;
};

// The editor as the effect's dispatcher sees it, with harmless defaults. The operations the
// effect itself calls on parameter, data and sample-rate changes are declared here too, so the
// shell reaches a GUI editor without depending on the toolkit; the toolkit's editors override them.
class EditorBase {
public:
    // Attaches the editor to the effect, which owns it from then on.
    explicit EditorBase(EffectBase* effect);
    EditorBase(const EditorBase&) = delete;
    EditorBase& operator=(const EditorBase&) = delete;

    virtual ~EditorBase();
    virtual std::int32_t getRect(EditorRect** rect);
    virtual std::int32_t open(void* parentWindow);
    virtual void close();
    virtual void idle();
    virtual void update();
    virtual void requestUpdate();
    virtual std::int32_t onKeyDown(KeyRecord& key);
    virtual std::int32_t onKeyUp(KeyRecord& key);
    virtual std::int32_t setRotaryMode(std::int32_t mode);
    virtual bool onWheel(float distance);
    virtual void setParameter(std::int32_t index, float value);
    virtual void redrawAll(EditorRect* area);
    virtual void pumpIdle();
    virtual void setParameterData(std::int32_t index, void* data, std::int32_t byteSize,
                                  std::int32_t byteOffset);
    virtual void onSampleRateChanged(float sampleRate);

    EffectBase* getEffect() const { return effect; }
    void* getParentWindow() const { return parentWindow; }
    bool isUpdatePending() const { return updatePending != 0; }

protected:
    EffectBase* effect;
    void* parentWindow = nullptr;
    std::int32_t updatePending = 0;
};
