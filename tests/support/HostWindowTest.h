#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

#include "gui/Color.h"
#include "gui/Frame.h"
#include "gui/GuiEditor.h"
#include "platform/Picture.h"
#include "platform/Surface.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"
#include "tests/gui/Canvas.h"

// A host's top-level window on the headless screen, with the clock at a known time and no key
// held, into which a test opens a frame (or an editor, which opens its own). Everything is
// closed and the input reset at the end, so no test sees what another left behind.
class HostWindowTest : public ::testing::Test {
protected:
    static constexpr int hostLeft = 100;
    static constexpr int hostTop = 50;
    static constexpr std::uint32_t start = 5000000;
    static constexpr Rect editorBounds{0, 0, 330, 260};

    void SetUp() override {
        platform::headless::resetInput();
        platform::headless::setTime(start);
        host = platform::createTopLevelWindow("host", hostLeft, hostTop, 400, 300);
        ASSERT_NE(host, nullptr);
    }

    void TearDown() override {
        if (openedEditor) openedEditor->close();
        closeFrame();
        if (host) platform::destroyWindow(host);
        platform::headless::resetInput();
    }

    // A frame in the host's window that has had its first paint.
    void openFrame(GuiEditor* owner = nullptr, const Rect& bounds = editorBounds) {
        frame = new Frame(bounds, host, owner);
        window = frame->getNativeWindow();
        ASSERT_NE(window, nullptr);
        platform::dispatchPendingMessages();
    }

    // Releases the frame opened by openFrame, if any.
    void closeFrame() {
        if (frame && !openedEditor) frame->release();
        frame = nullptr;
        window = nullptr;
    }

    // Opens the editor in the host's window and lets its first paint happen; the editor, owned
    // by its effect, is closed at the end of the test.
    void openEditor(GuiEditor* editor) {
        openedEditor = editor;
        editor->open(host);
        frame = editor->getFrame();
        ASSERT_NE(frame, nullptr);
        window = frame->getNativeWindow();
        platform::dispatchPendingMessages();
    }

    // A press and release of button at (x, y) of the frame's window, the keys held meanwhile.
    void click(int x, int y, platform::Key button = platform::Key::leftButton,
               std::initializer_list<platform::Key> held = {}) {
        for (const platform::Key key : held) platform::headless::setKeyDown(key, true);
        platform::headless::pressMouse(window, x, y, button);
        platform::headless::setKeyDown(button, false);
        for (const platform::Key key : held) platform::headless::setKeyDown(key, false);
    }

    Color windowPixel(int x, int y) const {
        platform::Surface* surface = platform::acquireWindowSurface(window);
        const platform::NativeColor c = platform::pixelAt(surface, x, y);
        platform::releaseWindowSurface(window, surface);
        return {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8 & 0xFF),
                static_cast<std::uint8_t>(c >> 16 & 0xFF), 0};
    }

    // What the frame's window shows, copied into a canvas from the window's top left for the
    // canvas's comparisons.
    void readWindow(Canvas& into) const {
        platform::Surface* surface = platform::acquireWindowSurface(window);
        platform::copyArea(into.surface(), {0, 0, into.width, into.height}, surface, 0, 0);
        platform::releaseWindowSurface(window, surface);
    }

    platform::Window* host = nullptr;
    GuiEditor* openedEditor = nullptr;
    Frame* frame = nullptr;
    platform::Window* window = nullptr;  // the frame's
};
