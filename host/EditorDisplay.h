#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/headless/HeadlessDisplay.h"

// The screen a host lends a plug-in's editor on Linux, where the plug-in draws with its own copy
// of the headless window system: pass parentWindow () to the editor's open. The plug-in composes
// its windows into this display's pixels; clicks, drags and typing arrive as a person's mouse
// and keyboard would make them, with the clock moving as the plug-in polls and sleeps.
class EditorDisplay {
public:
    EditorDisplay(int width, int height);
    // Tells the plug-in to forget the display and destroy the windows it made for it.
    ~EditorDisplay();
    EditorDisplay(const EditorDisplay&) = delete;
    EditorDisplay& operator=(const EditorDisplay&) = delete;

    void* parentWindow() { return &display; }
    // True once the plug-in has opened a window in the display.
    bool isAttached() const { return display.deliver != nullptr; }
    int width() const { return display.width; }
    int height() const { return display.height; }
    std::uint32_t now() const { return display.now; }

    // Moves the clock on, carrying out scripted moves and releases as their time comes.
    void advanceTime(std::uint32_t milliseconds);
    // Presses button at (x, y) with the modifier bits held and releases it a moment later: a
    // control that tracks the mouse sees one poll with the button down.
    void click(int x, int y, std::uint32_t modifiers = 0,
               std::uint32_t button = BRL_DISPLAY_LEFT_BUTTON);
    // Presses the left button at (x1, y1), moves the mouse to (x2, y2) over a third of a second
    // and holds it there for 200 ms before releasing, so the last position is read while held.
    void drag(int x1, int y1, int x2, int y2, std::uint32_t modifiers = 0);
    // Replaces the text of the focused edit field; enter () confirms it.
    void type(const char* text);
    void enter();
    // Turns the wheel by distance notches with the mouse at (x, y) and the modifier bits held;
    // true when a control took it.
    bool wheel(int x, int y, float distance, std::uint32_t modifiers = 0);
    // One key in the focused edit field: a BRL_DISPLAY_KEY_* key, with the UTF-8 characters for
    // BRL_DISPLAY_KEY_TEXT; false when no edit field has the focus.
    bool key(std::uint32_t key, const char* characters = nullptr);

    // Live input, for a screen that follows a person's mouse and a real clock rather than a
    // script. The button bits in keys stay down until setKeys releases them; press () returns
    // when the control that heard the click lets go, which may be many clock moves later.
    void setMouse(int x, int y);
    void setKeys(std::uint32_t keys);
    void setNow(std::uint32_t milliseconds);
    void pressHeld(int x, int y, std::uint32_t button);
    // Called each time the plug-in has moved the clock, after the scripted steps that came due.
    void onClockAdvanced(std::function<void()> listener) { clockListener = std::move(listener); }
    // Delivers pending paints and composes the plug-in's windows into the pixels.
    bool compose();

    // 0x00BBGGRR; the background colour where the plug-in has drawn nothing.
    std::uint32_t pixel(int x, int y) const;
    const std::vector<std::uint32_t>& pixels() const { return buffer; }
    bool writePng(const char* path) const;

private:
    struct Step {
        std::uint32_t atTime;
        int x;
        int y;
        std::uint32_t keys;
    };

    static void clockAdvanced(BrlDisplay* display);
    void runDueSteps();
    bool deliver(std::int32_t kind, int x = 0, int y = 0, std::uint32_t button = 0,
                 const char* text = nullptr);
    void press(int x, int y, std::uint32_t keys);

    std::vector<std::uint32_t> buffer;
    std::vector<Step> script;
    std::function<void()> clockListener;
    BrlDisplay display{};
};
