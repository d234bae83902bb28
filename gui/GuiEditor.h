#pragma once

#include <cstdint>

#include "gui/Frame.h"
#include "shell/EditorBase.h"

class EffectBaseEx;

// An editor that owns a Frame while it is open, paces the idle work done inside mouse drags,
// and initialises OLE for drag and drop on its thread.
class GuiEditor : public EditorBase {
public:
    explicit GuiEditor(EffectBaseEx* effect);
    // Releases a frame still open and uninitialises OLE once, if the constructor initialised it.
    ~GuiEditor() override;

    // Points at rect; answers 1.
    std::int32_t getRect(EditorRect** out) override;
    std::int32_t open(void* parentWindow) override;
    // Does nothing when called from inside the host's idle that pumpIdle runs; otherwise
    // handles a pending update and redraws the frame's dirty views.
    void idle() override;
    std::int32_t setRotaryMode(std::int32_t mode) override;
    bool onWheel(float distance) override;
    void setParameter(std::int32_t index, float value) override;
    // Redraws the whole frame at once; the area is not used.
    void redrawAll(EditorRect* area) override;
    // For drag loops: idle on every call; a pending paint and the host's idle at most about
    // every 50 ms; a call less than 100 ms after the last full pass gives up the processor for
    // 4 ms.
    void pumpIdle() override;

    EffectBaseEx* getEffectEx() const;
    Frame* getFrame() const { return frame; }
    std::uint32_t getLastIdleTicks() const { return lastIdleTicks; }
    bool isInIdle() const { return inIdle; }

protected:
    EditorRect rect{};
    Frame* frame = nullptr;
    std::uint32_t lastIdleTicks;
    bool inIdle = false;
    bool oleInitialized = false;
};
