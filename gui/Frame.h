#pragma once

#include <cstdint>

#include "gui/Bitmap.h"
#include "gui/View.h"
#include "platform/Window.h"

class GuiEditor;

// The editor's one container: an ordered list of child views over an optional background
// bitmap, a modal view and a focus view, and the native child window through which paint and
// click messages arrive. Children are not nested: every view is a direct child.
class Frame : public View, private platform::WindowListener {
protected:
    // Resets the cursor, stops taking drops, releases the children and the background, then
    // destroys the native window.
    ~Frame() override;

public:
    // Creates the native window in parentWindow at once; without a parent the frame has none.
    Frame(const Rect& bounds, void* parentWindow, GuiEditor* editor);

    // The full redraw: background, every child, the modal view. Leaves every dirty flag as it
    // was, so a dirty child is still drawn by the next update.
    void draw(DrawContext* context) override;
    // Takes the focus away, then gives the click to the modal view when it lies inside it, or
    // else to the topmost mouse-enabled child whose bounds (edges included) contain it.
    void onMouse(DrawContext* context, Point where) override;
    // The modal view alone when there is one; the whole frame when the frame itself is dirty;
    // otherwise each dirty child.
    void update(DrawContext* context) override;
    // Declined while a modal or focus view is set; else offered to the mouse-enabled children
    // under where, topmost first.
    bool dropItems(void** items, std::int32_t count, std::int32_t kind, Point where) override;
    // Goes to the view under the mouse, with a context of its own and the current mouse position.
    bool wheel(DrawContext* context, Point where, float distance) override;

    // Takes over the caller's reference (no retain). False, adding nothing, when the list
    // cannot grow.
    virtual bool addView(View* view);
    // Releases the view when destroy is set; the others keep their order. A view that is not
    // a child changes nothing.
    virtual bool removeView(View* view, bool destroy);
    virtual bool removeAll(bool destroy);
    virtual bool isChild(View* view);

    bool createWindow(void* parent);
    bool setDropActive(bool active);
    // Draws view (any child), or the whole frame for null or a stranger, on the window now.
    void drawView(View* view);
    // Updates the dirty views, once the window has been painted for the first time.
    void idle();
    bool hasDirtyViews();
    // Holds one reference to the bitmap; null removes the background.
    void setBackground(Bitmap* bitmap);
    Bitmap* getBackground() const { return background; }

    // The topmost child under the mouse, mouse-enabled or not.
    View* getViewUnderMouse();
    // The mouse position relative to the window's top-left; screen coordinates without a window.
    bool getMousePosition(Point& out);
    // The previous focus view loses the focus after the change.
    void setFocusView(View* view);
    View* getFocusView() const { return focusView; }
    // False while another modal view is set; null removes the modal view. The frame does not
    // hold a reference to it.
    bool setModalView(View* view);
    View* getModalView() const { return modalView; }
    // 0 restores the cursor in effect before the first change; 1 wait; 2 horizontal, 3 vertical,
    // 4 four-way, 5 up-right/down-left, 6 up-left/down-right arrows; other kinds do nothing.
    void setCursor(std::int32_t kind);

    // Tell the host, through the editor's effect, that the user starts or ends changing the
    // parameter the controls know by index.
    void beginEdit(std::int32_t index);
    std::int32_t endEdit(std::int32_t index);

    GuiEditor* getEditor() const { return editor; }
    void* getParentWindow() const { return parentWindow; }
    platform::Window* getNativeWindow() const { return nativeWindow; }
    bool isWindowOpen() const { return isOpen; }
    bool isDropActive() const { return dropActive; }
    bool isFirstDrawPending() const { return firstDrawPending; }
    std::int32_t getViewCount() const { return viewCount; }
    View* getView(std::int32_t index) const;

    // "Plugin" and the module's handle in hexadecimal: modules loaded at different addresses
    // register different classes.
    static const char* windowClassName();

private:
    void windowPaint(platform::Window* window, platform::Surface* surface) override;
    void windowMouseDown(platform::Window* window, int x, int y) override;
    void windowDestroyed(platform::Window* window) override;
    bool windowWheel(platform::Window* window, int x, int y, float distance) override;
    platform::Brush* editFieldColors(platform::Window* window, platform::Window* field,
                                     platform::Surface* fieldSurface) override;
    void takeFocusAway();

    GuiEditor* editor;
    void* parentWindow;
    Bitmap* background = nullptr;
    std::int32_t viewCount = 0;
    std::int32_t viewCapacity = 0;
    View** views = nullptr;
    View* modalView = nullptr;
    View* focusView = nullptr;
    bool firstDrawPending = true;
    bool isOpen = true;
    bool dropActive = false;
    platform::Window* nativeWindow = nullptr;
    platform::Cursor* defaultCursor = nullptr;
    bool defaultCursorSaved = false;
};
