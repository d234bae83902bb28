#include "host/cli/screens/DisplayScreen.h"

#include "host/BmpFile.h"

std::unique_ptr<EditorScreen> EditorScreen::create(int width, int height) {
    return std::make_unique<DisplayScreen>(width, height);
}

void DisplayScreen::type(const std::string& text) {
    display.type(text.c_str());
    display.enter();
}

bool DisplayScreen::writePicture(const std::string& path, const std::string& format) {
    if (format == "bmp")
        return writeBmp(path.c_str(), display.pixels().data(), display.width(), display.height());
    return display.writePng(path.c_str());
}
