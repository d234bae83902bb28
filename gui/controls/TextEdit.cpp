#include "gui/controls/TextEdit.h"

#include <cstdio>
#include <cstring>

#include "gui/Frame.h"
#include "platform/Input.h"

namespace {

void copyText(char* to, const char* from, std::size_t capacity) {
    std::strncpy(to, from, capacity - 1);
    to[capacity - 1] = '\0';
}

platform::TextAlign nativeAlign(std::int32_t align) {
    if (align == textAlignLeft) return platform::TextAlign::left;
    if (align == textAlignRight) return platform::TextAlign::right;
    return platform::TextAlign::centre;
}

}  // namespace

TextEdit::TextEdit(const Rect& size, ControlListener* listener, std::int32_t tag, const char* text,
                   Bitmap* background, std::int32_t style)
    : ValueDisplay(size, background, style) {
    this->tag = tag;
    this->listener = listener;
    if (text) copyText(this->text, text, textCapacity);
}

TextEdit::~TextEdit() {
    platform::Window* field = editWindow;
    editWindow = nullptr;
    if (field) platform::destroyWindow(field);
    deleteFieldObjects();
}

void TextEdit::draw(DrawContext* context) {
    char shown[textCapacity] = {};
    if (textToText2) {
        textToText2(text, shown, userData);
    } else if (textToText) {
        textToText(text, shown);
    } else {
        std::snprintf(shown, sizeof shown, "%s", text);
    }
    drawTextBox(context, shown);
}

void TextEdit::onMouse(DrawContext* context, Point) {
    if (!mouseEnabled || !context || !(context->getMouseButtons() & mouseLeft)) return;
    if (!owner || owner->getFocusView() == this) return;
    if ((style & styleDoubleClick) && owner->getEditor()) {
        const std::uint32_t now = platform::tickCount();
        if (!clickPending) {
            lastClickTime = now;
            clickPending = true;
            return;
        }
        const std::uint32_t first = lastClickTime;
        lastClickTime = 0;
        clickPending = false;
        // Unsigned difference: right across the wrap of the tick counter.
        if (now - first >= platform::doubleClickTime()) return;
    }
    owner->setFocusView(this);
    focusGained(context);
}

void TextEdit::focusGained(DrawContext* context) {
    if (editWindow || !owner) return;
    // An open field is always the frame's focus view, so that the frame can close it.
    if (owner->getFocusView() != this) owner->setFocusView(this);
    platform::Window* frameWindow = owner->getNativeWindow();
    if (!frameWindow) {
        owner->setFocusView(nullptr);
        return;
    }
    const Rect box = context ? bounds.movedBy(context->getOffset()) : bounds;
    const platform::PixelRect area{box.left, box.top, box.right + 1, box.bottom + 1};

    const FontEntry& entry = fontEntry(fontId);
    platform::FontDescription font;
    font.height = -entry.defaultSize;
    font.weight = 400;
    font.charSet = 0;
    font.outputPrecision = 1;  // string precision
    font.clipPrecision = 2;    // stroke precision
    font.quality = 0;
    font.pitchAndFamily = 0x22;  // variable pitch, sans-serif family
    copyText(font.faceName, entry.face, sizeof font.faceName);
    editFont = platform::createFont(font);

    editWindow =
        platform::createEditField(frameWindow, area, text, nativeAlign(textAlign), editFont, this);
    if (!editWindow) {
        deleteFieldObjects();
        owner->setFocusView(nullptr);
    }
}

void TextEdit::focusLost(DrawContext* context) {
    platform::Window* field = editWindow;
    if (!field) return;
    // Cleared first: destroying the field and handing back the focus come back here.
    editWindow = nullptr;
    if (owner && owner->getFocusView() == this) owner->setFocusView(nullptr);

    char previous[textCapacity];
    std::memcpy(previous, text, sizeof previous);
    platform::windowText(field, text, textCapacity - 1);
    platform::destroyWindow(field);
    deleteFieldObjects();

    platform::Window* window = owner ? owner->getNativeWindow() : nullptr;
    platform::Surface* surface =
        !context && window ? platform::acquireWindowSurface(window) : nullptr;
    {
        DrawContext temporary(owner, surface, surface ? window : nullptr);
        DrawContext* drawing = context ? context : &temporary;
        if (std::strcmp(text, previous) != 0 && listener) listener->valueChanged(drawing, this);
        draw(drawing);
    }
    if (surface) platform::releaseWindowSurface(window, surface);
}

void TextEdit::editFieldFinished(platform::Window* field) {
    if (field == editWindow) focusLost(nullptr);
}

platform::Brush* TextEdit::editFieldColors(platform::Surface* fieldSurface) {
    platform::setTextColor(fieldSurface, fontColor.native());
    platform::setBackgroundColor(fieldSurface, backColor.native());
    platform::Brush* brush = platform::createSolidBrush(backColor.native());
    if (brush) {
        platform::deleteBrush(editBrush);
        editBrush = brush;
    }
    return editBrush;
}

void TextEdit::deleteFieldObjects() {
    platform::deleteFont(editFont);
    editFont = nullptr;
    platform::deleteBrush(editBrush);
    editBrush = nullptr;
}

void TextEdit::setText(const char* newText) {
    if (!newText || std::strncmp(newText, text, textCapacity - 1) == 0) return;
    copyText(text, newText, textCapacity);
    setDirty(true);
}

void TextEdit::getText(char* out) {
    if (out) std::memcpy(out, text, std::strlen(text) + 1);
}

void TextEdit::setTextToText2(TextToText2 function, std::int32_t newUserData) {
    textToText2 = function;
    userData = newUserData;
}

void TextEdit::setTextToText(TextToText function) { textToText = function; }
