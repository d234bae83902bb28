#include "gui/Frame.h"

#include <cinttypes>
#include <cstdio>
#include <new>

#include "gui/DropTarget.h"
#include "gui/EditFieldColors.h"
#include "gui/GuiEditor.h"
#include "platform/Input.h"
#include "platform/ModuleHandle.h"
#include "shell/EffectBaseEx.h"

namespace {

// Frames whose native window exists; the window class lives while this is above 0.
std::int32_t windowClassUsers = 0;
// The last window of the class is being destroyed: the system refuses to unregister a class
// while a window of it exists, so that waits until the destruction is over.
bool unregisterPending = false;

void useWindowClass() {
    if (windowClassUsers++ > 0) return;
    if (unregisterPending)
        unregisterPending = false;
    else
        platform::registerWindowClass(Frame::windowClassName());
}

void releaseWindowClass() {
    if (windowClassUsers > 0 && --windowClassUsers == 0) unregisterPending = true;
}

void unregisterWindowClassIfUnused() {
    if (!unregisterPending || windowClassUsers > 0) return;
    unregisterPending = false;
    platform::unregisterWindowClass(Frame::windowClassName());
}

}  // namespace

const char* Frame::windowClassName() {
    static char name[32] = {};
    if (!name[0]) {
        std::snprintf(name, sizeof name, "Plugin%08" PRIxPTR,
                      reinterpret_cast<std::uintptr_t>(platform::moduleHandle()));
    }
    return name;
}

Frame::Frame(const Rect& bounds, void* parentWindow, GuiEditor* editor)
    : View(bounds), editor(editor), parentWindow(parentWindow) {
    createWindow(parentWindow);
}

Frame::~Frame() {
    setCursor(0);
    setDropActive(false);
    removeAll(true);
    if (background) background->release();
    background = nullptr;
    // The destroy message clears nativeWindow and gives the window class back.
    if (nativeWindow) platform::destroyWindow(nativeWindow);
    unregisterWindowClassIfUnused();
}

bool Frame::createWindow(void* parent) {
    if (!parent) return false;
    useWindowClass();
    nativeWindow =
        platform::createChildWindow(static_cast<platform::Window*>(parent), windowClassName(),
                                    "Window", 0, 0, bounds.width(), bounds.height(), this);
    if (!nativeWindow) {
        releaseWindowClass();
        unregisterWindowClassIfUnused();
        return false;
    }
    setDropActive(true);
    return true;
}

bool Frame::setDropActive(bool active) {
    if (!dropActive && !active) return true;
    if (!nativeWindow) return false;
    if (active && !dropActive) {
        // The registration keeps a reference of its own; a failed one leaves none.
        DropTarget* target = new DropTarget(this);
        target->dropAddRef();
        dropActive = platform::registerDropTarget(nativeWindow, target);
        target->dropRelease();
    } else if (!active && dropActive) {
        platform::revokeDropTarget(nativeWindow);
        dropActive = false;
    }
    return true;
}

View* Frame::getView(std::int32_t index) const {
    return index >= 0 && index < viewCount ? views[index] : nullptr;
}

bool Frame::addView(View* view) {
    if (!view) return false;
    if (viewCount == viewCapacity) {
        View** grown = new (std::nothrow) View*[viewCapacity + 10];
        if (!grown) return false;
        for (std::int32_t i = 0; i < viewCount; ++i) grown[i] = views[i];
        delete[] views;
        views = grown;
        viewCapacity += 10;
    }
    views[viewCount++] = view;
    view->setOwner(this);
    view->onAttached(this);
    return true;
}

bool Frame::removeView(View* view, bool destroy) {
    for (std::int32_t i = 0; i < viewCount; ++i) {
        if (views[i] != view) continue;
        // A focus view that goes away must not be told about the focus later.
        if (focusView == view) takeFocusAway();
        view->onRemoved(this);
        if (destroy) view->release();
        for (std::int32_t j = i; j + 1 < viewCount; ++j) views[j] = views[j + 1];
        --viewCount;
        break;
    }
    return true;
}

bool Frame::removeAll(bool destroy) {
    takeFocusAway();
    if (views) {
        for (std::int32_t i = 0; i < viewCount; ++i) {
            views[i]->onRemoved(this);
            if (destroy) views[i]->release();
        }
        delete[] views;
        views = nullptr;
        viewCount = 0;
        viewCapacity = 0;
    }
    return true;
}

bool Frame::isChild(View* view) {
    for (std::int32_t i = 0; i < viewCount; ++i) {
        if (views[i] == view) return true;
    }
    return false;
}

void Frame::draw(DrawContext* context) {
    firstDrawPending = false;
    if (background) {
        background->draw(context, {0, 0, background->getWidth(), background->getHeight()});
    }
    for (std::int32_t i = 0; i < viewCount; ++i) {
        const bool wasDirty = views[i]->isDirty();
        views[i]->draw(context);
        views[i]->setDirty(wasDirty);
    }
    if (modalView) modalView->draw(context);
}

void Frame::update(DrawContext* context) {
    if (!isOpen) return;
    if (modalView) {
        modalView->update(context);
    } else if (View::isDirty()) {
        draw(context);
        View::setDirty(false);
    } else {
        for (std::int32_t i = 0; i < viewCount; ++i) views[i]->update(context);
    }
}

void Frame::drawView(View* view) {
    if (!nativeWindow) return;
    platform::Surface* surface = platform::acquireWindowSurface(nativeWindow);
    if (!surface) return;
    {
        DrawContext context(this, surface, nativeWindow);
        if (view && isChild(view)) {
            view->draw(&context);
        } else {
            draw(&context);
        }
    }
    platform::releaseWindowSurface(nativeWindow, surface);
}

void Frame::idle() {
    if (!isOpen || firstDrawPending || !nativeWindow || !hasDirtyViews()) return;
    platform::Surface* surface = platform::acquireWindowSurface(nativeWindow);
    if (!surface) return;
    {
        DrawContext context(this, surface, nativeWindow);
        update(&context);
    }
    platform::releaseWindowSurface(nativeWindow, surface);
}

bool Frame::hasDirtyViews() {
    if (modalView || View::isDirty()) return true;
    for (std::int32_t i = 0; i < viewCount; ++i) {
        if (views[i]->isDirty()) return true;
    }
    return false;
}

void Frame::setBackground(Bitmap* bitmap) {
    if (bitmap) bitmap->retain();
    if (background) background->release();
    background = bitmap;
}

void Frame::takeFocusAway() {
    if (!focusView) return;
    focusView->focusLost(nullptr);
    focusView = nullptr;
}

void Frame::onMouse(DrawContext* context, Point where) {
    takeFocusAway();
    if (modalView) {
        if (modalView->getBounds().contains(where)) modalView->onMouse(context, where);
        return;
    }
    for (std::int32_t i = viewCount - 1; i >= 0; --i) {
        View* view = views[i];
        if (view->isMouseEnabled() && view->getBounds().contains(where)) {
            view->onMouse(context, where);
            return;
        }
    }
}

View* Frame::getViewUnderMouse() {
    Point mouse;
    getMousePosition(mouse);
    for (std::int32_t i = viewCount - 1; i >= 0; --i) {
        if (views[i]->getBounds().contains(mouse)) return views[i];
    }
    return nullptr;
}

bool Frame::getMousePosition(Point& out) {
    int x = 0;
    int y = 0;
    platform::mousePosition(x, y);
    platform::PixelRect screen{};
    if (nativeWindow && platform::windowScreenRect(nativeWindow, screen)) {
        x -= screen.left;
        y -= screen.top;
    }
    out = {x, y};
    return true;
}

bool Frame::wheel(DrawContext*, Point, float distance) {
    View* view = getViewUnderMouse();
    if (!view) return false;
    platform::Surface* surface =
        nativeWindow ? platform::acquireWindowSurface(nativeWindow) : nullptr;
    bool taken = false;
    {
        DrawContext context(this, surface, nativeWindow);
        Point mouse;
        getMousePosition(mouse);
        taken = view->wheel(&context, mouse, distance);
    }
    if (surface) platform::releaseWindowSurface(nativeWindow, surface);
    return taken;
}

bool Frame::dropItems(void** items, std::int32_t count, std::int32_t kind, Point where) {
    if (modalView || focusView) return false;
    for (std::int32_t i = viewCount - 1; i >= 0; --i) {
        View* view = views[i];
        if (view->isMouseEnabled() && view->getBounds().contains(where) &&
            view->dropItems(items, count, kind, where)) {
            return true;
        }
    }
    return false;
}

void Frame::setFocusView(View* view) {
    View* previous = focusView;
    focusView = view;
    if (previous) previous->focusLost(nullptr);
}

bool Frame::setModalView(View* view) {
    if (view && modalView) return false;
    if (modalView) modalView->onRemoved(this);
    modalView = view;
    if (view) view->onAttached(this);
    return true;
}

void Frame::setCursor(std::int32_t kind) {
    using platform::CursorShape;
    if (!defaultCursorSaved) {
        defaultCursor = platform::currentCursor();
        defaultCursorSaved = true;
    }
    switch (kind) {
        case 0: platform::setCursor(defaultCursor); break;
        case 1: platform::setCursor(platform::systemCursor(CursorShape::wait)); break;
        case 2: platform::setCursor(platform::systemCursor(CursorShape::sizeHorizontal)); break;
        case 3: platform::setCursor(platform::systemCursor(CursorShape::sizeVertical)); break;
        case 4: platform::setCursor(platform::systemCursor(CursorShape::sizeAll)); break;
        case 5:
            platform::setCursor(platform::systemCursor(CursorShape::sizeUpRightDownLeft));
            break;
        case 6:
            platform::setCursor(platform::systemCursor(CursorShape::sizeUpLeftDownRight));
            break;
        default: break;
    }
}

void Frame::beginEdit(std::int32_t index) {
    if (editor && editor->getEffectEx()) editor->getEffectEx()->beginEdit(index);
}

std::int32_t Frame::endEdit(std::int32_t index) {
    if (!editor || !editor->getEffectEx()) return 0;
    return editor->getEffectEx()->endEdit(index) ? 1 : 0;
}

void Frame::windowPaint(platform::Window* window, platform::Surface* surface) {
    DrawContext context(this, surface, window);
    draw(&context);
}

void Frame::windowMouseDown(platform::Window* window, int x, int y) {
    platform::Surface* surface = platform::acquireWindowSurface(window);
    {
        DrawContext context(this, surface, window);
        onMouse(&context, {x, y});
    }
    if (surface) platform::releaseWindowSurface(window, surface);
}

bool Frame::windowWheel(platform::Window*, int, int, float distance) {
    return wheel(nullptr, Point{0, 0}, distance);
}

void Frame::windowDestroyed(platform::Window* window) {
    isOpen = false;
    parentWindow = nullptr;
    if (window != nativeWindow) return;
    // The host may destroy its window, and ours with it, before it closes the editor.
    setDropActive(false);
    nativeWindow = nullptr;
    releaseWindowClass();
}

platform::Brush* Frame::editFieldColors(platform::Window*, platform::Window*,
                                        platform::Surface* fieldSurface) {
    auto* colors = dynamic_cast<EditFieldColors*>(focusView);
    return colors ? colors->editFieldColors(fieldSurface) : nullptr;
}
