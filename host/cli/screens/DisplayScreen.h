#pragma once

#include "host/EditorDisplay.h"
#include "host/cli/screens/EditorScreen.h"

// The headless display: the plug-in composes its windows into it and every action is played.
class DisplayScreen : public EditorScreen {
public:
    DisplayScreen(int width, int height) : display(width, height) {}

    void* parentWindow() override { return display.parentWindow(); }
    bool holdsEditor() const override { return display.isAttached(); }
    void refresh() override { display.compose(); }
    void advanceTime(std::uint32_t milliseconds) override { display.advanceTime(milliseconds); }
    void click(int x, int y) override { display.click(x, y); }
    void drag(int x1, int y1, int x2, int y2) override { display.drag(x1, y1, x2, y2); }
    void type(const std::string& text) override;
    bool canWrite(const std::string& format) const override {
        return format == "png" || format == "bmp";
    }
    bool writePicture(const std::string& path, const std::string& format) override;

private:
    EditorDisplay display;
};
