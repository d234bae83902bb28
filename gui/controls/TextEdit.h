#pragma once

#include <cstdint>

#include "gui/EditFieldColors.h"
#include "gui/controls/ValueDisplay.h"
#include "platform/Window.h"

// Turns the stored text into the shown one; out holds 256 bytes and starts empty.
using TextToText = void (*)(const char* text, char* out);
using TextToText2 = void (*)(const char* text, char* out, std::int32_t userData);

// A text of up to 255 characters in a box. A click (a double click with styleDoubleClick)
// opens a native one-line edit field over the box; Enter, the loss of the keyboard focus or the
// frame taking the focus away closes it, keeps the typed text and tells the listener when the
// text changed. At most one field is open in a frame: opening one closes the other.
class TextEdit : public ValueDisplay, public EditFieldColors, private platform::EditFieldListener {
protected:
    // Closes a field still open without telling anyone.
    ~TextEdit() override;

public:
    // text may be null for an empty one; a longer one is cut to 255 characters.
    TextEdit(const Rect& size, ControlListener* listener, std::int32_t tag, const char* text,
             Bitmap* background, std::int32_t style);

    void draw(DrawContext* context) override;
    // Opens the field on a left click; with styleDoubleClick (in a frame with an editor) only on
    // the second of two clicks closer together than the system's double-click time.
    void onMouse(DrawContext* context, Point where) override;
    // Closes the field: takes its text, tells the listener if it changed, redraws the box.
    void focusLost(DrawContext* context) override;
    // Opens the field one pixel larger than the box each way, in the display's font and
    // alignment, all of the text selected.
    void focusGained(DrawContext* context) override;

    // Ignores null; marks dirty only when the text changes.
    virtual void setText(const char* newText);
    // out must hold the text and its terminator (256 bytes always do); nothing for null.
    virtual void getText(char* out);
    // Preferred over the plain one when both are set.
    virtual void setTextToText2(TextToText2 function, std::int32_t newUserData);
    virtual void setTextToText(TextToText function);

    // The field's surface gets the text and back colours; the brush is kept until the next ask
    // or until the field closes.
    platform::Brush* editFieldColors(platform::Surface* fieldSurface) override;

    platform::Window* getEditWindow() const { return editWindow; }
    platform::Font* getEditFont() const { return editFont; }

protected:
    static constexpr int textCapacity = 256;

    platform::Window* editWindow = nullptr;
    platform::Font* editFont = nullptr;
    char text[textCapacity] = {};
    TextToText textToText = nullptr;
    TextToText2 textToText2 = nullptr;
    std::uint32_t lastClickTime = 0;

private:
    void editFieldFinished(platform::Window* field) override;
    void deleteFieldObjects();

    platform::Brush* editBrush = nullptr;
    // A first click is pending; kept apart from its time, so that a click at tick 0 counts.
    bool clickPending = false;
};
