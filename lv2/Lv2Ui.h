#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

#include "shell/EffectRecord.h"

class EffectSession;
class X11EditorWindow;

// The plug-in's editor as an LV2 X11 user interface. It works without access to the plug-in's
// instance, so that hosts running interfaces in another process can show it: it keeps an effect
// of its own as the editor's model. The host's port events set that effect's parameters and feed
// the meters and the clip lamp; the editor's changes go back through the host's write function,
// with the touch feature's begin and end around a gesture's edits where the host offers it.
// Everything happens on the host's user-interface thread.
class Lv2Ui {
public:
    // Null when the effect, its editor or the window cannot be made (no X server, say).
    static std::unique_ptr<Lv2Ui> create(LV2UI_Write_Function write, LV2UI_Controller controller,
                                         const LV2_Feature* const* features);
    // Closes the editor before the window goes; clean also when the host destroyed the parent.
    ~Lv2Ui();
    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    // The X window the host embeds.
    LV2UI_Widget widget() const;
    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format,
                   const void* buffer);
    // Handles the window's events and the editor's idle; 1 once the window is gone.
    int idle();
    int show();
    int hide();

private:
    Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller);
    static PlxIntPtr hostRequest(EffectRecord* effect, std::int32_t opcode, std::int32_t index,
                                 PlxIntPtr value, void* ptr, float opt);
    void editorRequest(std::int32_t opcode, std::int32_t index);
    void feedMeters();

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Touch* touch = nullptr;
    std::unique_ptr<EffectSession> session;
    std::unique_ptr<X11EditorWindow> window;
    bool editorOpen = false;
    float levels[2];  // dB, from the meter ports
    bool clipLit = false;
};
