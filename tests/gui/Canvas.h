#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "gui/Color.h"
#include "platform/Picture.h"
#include "platform/Surface.h"
#include "platform/Window.h"

#if !defined(_WIN32)
#include "platform/headless/HeadlessScript.h"
#endif

// A picture in a memory surface that a test draws on and reads back, filled with a paper
// colour that no drawing in the tests uses.
class Canvas {
public:
    static constexpr Color paper{10, 20, 30, 0};

    Canvas(int width, int height) : width(width), height(height) {
        platform::Surface* screen = platform::acquireWindowSurface(nullptr);
        memory = platform::createMemorySurface(screen);
        picture = platform::createPicture(screen, width, height);
        platform::releaseWindowSurface(nullptr, screen);
        placeholder = platform::selectPicture(memory, picture);
        platform::Brush* brush = platform::createSolidBrush(paper.native());
        platform::Brush* previous = platform::selectBrush(memory, brush);
        platform::fillRect(memory, {0, 0, width, height});
        platform::selectBrush(memory, previous);
        platform::deleteBrush(brush);
    }

    ~Canvas() {
        platform::selectPicture(memory, placeholder);
        platform::deleteMemorySurface(memory);
        platform::deletePicture(picture);
    }

    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    platform::Surface* surface() const { return memory; }

    Color pixel(int x, int y) const {
        const platform::NativeColor native = platform::pixelAt(memory, x, y);
        return {static_cast<std::uint8_t>(native & 0xFF), static_cast<std::uint8_t>(native >> 8),
                static_cast<std::uint8_t>(native >> 16), 0};
    }

    // Describes the first pixel (row by row) that differs from what expected says, or answers an
    // empty text when all agree. The headless build also saves both pictures, drawn and expected,
    // as name.png and name_expected.png.
    std::string firstDifference(const std::function<Color(int, int)>& expected,
                                const char* name = "canvas") const {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Color want = expected(x, y);
                const Color have = pixel(x, y);
                if (!have.sameRgb(want)) {
                    save(name);
                    saveExpected(expected, name);
                    char text[160];
                    std::snprintf(text, sizeof text,
                                  "%s: pixel (%d, %d) is %d,%d,%d, expected %d,%d,%d", name, x, y,
                                  have.red, have.green, have.blue, want.red, want.green, want.blue);
                    return text;
                }
            }
        }
        return "";
    }

    // How many pixels differ from what expected says, saving nothing: for pictures that must
    // differ, and for changes that must be large enough.
    int differenceCount(const std::function<Color(int, int)>& expected) const {
        int count = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) count += !pixel(x, y).sameRgb(expected(x, y));
        }
        return count;
    }

    // Whether any pixel inside the area differs from the paper.
    bool anyInk(int left, int top, int right, int bottom) const {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                if (!pixel(x, y).sameRgb(paper)) return true;
            }
        }
        return false;
    }

    // Writes the picture that was expected next to the one drawn (headless build only).
    void saveExpected(const std::function<Color(int, int)>& expected, const char* name) const {
#if !defined(_WIN32)
        Canvas picture(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                platform::Brush* brush = platform::createSolidBrush(expected(x, y).native());
                platform::Brush* previous = platform::selectBrush(picture.memory, brush);
                platform::fillRect(picture.memory, {x, y, x + 1, y + 1});
                platform::selectBrush(picture.memory, previous);
                platform::deleteBrush(brush);
            }
        }
        picture.save((std::string(name) + "_expected").c_str());
#else
        (void)expected;
        (void)name;
#endif
    }

    void save(const char* name) const {
#if !defined(_WIN32)
        platform::headless::writePng(memory, (std::string(name) + ".png").c_str());
#else
        (void)name;
#endif
    }

    const int width;
    const int height;

private:
    platform::Surface* memory = nullptr;
    platform::Picture* picture = nullptr;
    platform::Picture* placeholder = nullptr;
};

inline Color rgb(int red, int green, int blue) {
    return {static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
            static_cast<std::uint8_t>(blue), 0};
}
