#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "gui/BitmapSet.h"
#include "gui/Fonts.h"
#include "gui/OffscreenContext.h"
#include "platform/headless/HeadlessScript.h"

// The editor's artwork, checked against the layout it serves and rendered to PNG files in the
// build tree for a look: a contact sheet of the ten bitmaps, the background with the controls'
// rectangles over it, and the editor and its about screen as they will appear.
namespace {

namespace layout = editor_layout;

struct Placed {
    const char* name;
    Rect rect;
};

// The controls that are pictures of their own, at their painted pixels (right and bottom
// exclusive), and the number fields, which paint their outline on right and bottom too.
const Placed pictureControls[] = {
    {"Solo", layout::soloButton},
    {"Kick", layout::kickButton},
    {"clip lamp", layout::clipLamp},
    {"frequency switch", layout::frequencySwitch},
    {"density switch", layout::densitySwitch},
    {"left meter", layout::meters[0]},
    {"right meter", layout::meters[1]},
};
const Placed numberFields[] = {
    {"Input", layout::numberFields[0]}, {"Gain", layout::numberFields[1]},
    {"2nd", layout::numberFields[2]},   {"3rd", layout::numberFields[3]},
    {"Mix", layout::numberFields[4]},   {"frequency", layout::frequencyField},
    {"density", layout::densityField},
};

std::string outputPath(const char* name) { return std::string(BRL_ARTWORK_OUTPUT_DIR "/") + name; }

class ArtworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        bitmaps.load(layout::backgroundArt, layout::artCount, layout::backgroundArt);
    }

    // A bitmap's pixels, row by row, read once by drawing it into a private surface.
    const std::vector<platform::NativeColor>& pixels(int id) {
        std::vector<platform::NativeColor>& all = cache[id];
        if (!all.empty()) return all;
        Bitmap* bitmap = bitmaps.get(id);
        const int w = bitmap->getWidth();
        const int h = bitmap->getHeight();
        OffscreenContext offscreen(nullptr, w, h, colorBlack);
        bitmap->draw(&offscreen, {0, 0, w, h});
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                all.push_back(platform::pixelAt(offscreen.getSurface(), x, y));
        }
        return all;
    }

    platform::NativeColor pixel(int id, int x, int y) {
        return pixels(id)[static_cast<size_t>(y) * bitmaps.widthOf(id) + x];
    }

    static int brightness(platform::NativeColor c) {
        return std::max({static_cast<int>(c & 0xFF), static_cast<int>(c >> 8 & 0xFF),
                         static_cast<int>(c >> 16 & 0xFF)});
    }

    // Draws a bitmap n times larger, one filled square per pixel.
    void drawZoomed(DrawContext& context, int id, int left, int top, int zoom) {
        const std::vector<platform::NativeColor>& all = pixels(id);
        const int w = bitmaps.widthOf(id);
        for (size_t i = 0; i < all.size(); ++i) {
            const int x = static_cast<int>(i) % w;
            const int y = static_cast<int>(i) / w;
            const platform::NativeColor c = all[i];
            context.setFillColor(Color{static_cast<std::uint8_t>(c & 0xFF),
                                       static_cast<std::uint8_t>(c >> 8 & 0xFF),
                                       static_cast<std::uint8_t>(c >> 16 & 0xFF), 0});
            context.fillRect({left + x * zoom - 1, top + y * zoom - 1, left + (x + 1) * zoom,
                              top + (y + 1) * zoom});
        }
    }

    void caption(DrawContext& context, const char* text, int left, int top) {
        context.setFont(fontSmall);
        context.setFontColor(colorWhite);
        context.drawString(text, {left, top, left + 200, top + 14}, false, 0);
    }

    // The editor at rest as its controls will draw themselves on the background.
    void drawEditor(DrawContext& context) {
        Bitmap* background = bitmaps.get(layout::backgroundArt);
        background->draw(&context, {0, 0, 330, 260});
        const double values[5] = {20.0 / 26.0, 0.5, 0.35, 0.2, 1.0};
        for (int i = 0; i < 5; ++i) {
            const Rect& r = layout::faders[i];
            const int top = static_cast<int>((183 - 93) * (1.0 - values[i]));
            OffscreenContext track(nullptr, 12, 105, colorBlack);
            background->draw(&track, {0, 0, 12, 105}, {r.left, r.top});
            bitmaps.get(layout::handleArt)->drawTransparent(&track, {0, top, 12, top + 15});
            track.copyTo(&context, r);
        }
        bitmaps.get(layout::soloArt)->draw(&context, layout::soloButton, {0, 17});
        bitmaps.get(layout::kickArt)->draw(&context, layout::kickButton);
        bitmaps.get(layout::clipLampArt)->draw(&context, layout::clipLamp, {0, 13});
        bitmaps.get(layout::frequencySwitchArt)->draw(&context, layout::frequencySwitch, {0, 16});
        bitmaps.get(layout::densitySwitchArt)->draw(&context, layout::densitySwitch, {0, 32});
        const int split[2] = {13, 30};  // dark steps of the left and right meter
        for (int m = 0; m < 2; ++m) {
            const Rect& r = layout::meters[m];
            const int y = static_cast<int>(split[m] / 30.0 * 128);
            bitmaps.get(layout::meterOffArt)->draw(&context, {r.left, r.top, r.right, r.top + y});
            bitmaps.get(layout::meterOnArt)
                ->draw(&context, {r.left, r.top + y, r.right, r.bottom}, {0, y});
        }
        const char* numbers[7] = {"0.0", "-4.5", "35.0", "20.0", "100.0", "3000", "2"};
        for (int i = 0; i < 7; ++i) {
            const Rect& r = numberFields[i].rect;
            context.setFillColor(colorBlack);
            context.fillRect(r);
            context.setFrameColor(colorBlack);
            context.drawRect(r);
            context.setFont(fontTiny);
            context.setFontColor(colorWhite);
            context.drawString(numbers[i], r, false, 1);
        }
    }

    BitmapSet bitmaps;
    std::map<int, std::vector<platform::NativeColor>> cache;
};

TEST_F(ArtworkTest, TheBackgroundHasAFlatWellUnderEveryControlThatIsNoLargerThanTheControl) {
    const platform::NativeColor well = pixel(layout::backgroundArt, 260, 130);
    for (const Placed& control : pictureControls) {
        const Rect& r = control.rect;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                ASSERT_EQ(pixel(layout::backgroundArt, x, y), well)
                    << control.name << " at " << x << "," << y;
            }
        }
        EXPECT_NE(pixel(layout::backgroundArt, r.left - 3, r.top - 3), well) << control.name;
        EXPECT_NE(pixel(layout::backgroundArt, r.right + 2, r.bottom + 2), well) << control.name;
    }
    for (const Placed& field : numberFields) {
        const Rect& r = field.rect;
        for (int y = r.top; y <= r.bottom; ++y) {
            for (int x = r.left; x <= r.right; ++x) {
                ASSERT_EQ(pixel(layout::backgroundArt, x, y), well)
                    << field.name << " at " << x << "," << y;
            }
        }
        EXPECT_NE(pixel(layout::backgroundArt, r.left - 3, r.top - 3), well) << field.name;
    }
}

TEST_F(ArtworkTest, EachFaderTrackRunsDownTheMiddleOfItsFader) {
    for (const Rect& r : layout::faders) {
        int darkest = r.left;
        for (int x = r.left; x < r.right; ++x) {
            if (brightness(pixel(layout::backgroundArt, x, 150)) <
                brightness(pixel(layout::backgroundArt, darkest, 150)))
                darkest = x;
        }
        EXPECT_NEAR(darkest, (r.left + r.right) / 2, 2) << "fader at " << r.left;
        EXPECT_LT(brightness(pixel(layout::backgroundArt, (r.left + r.right) / 2, 100)), 30);
        EXPECT_LT(brightness(pixel(layout::backgroundArt, (r.left + r.right) / 2, 190)), 30);
    }
}

TEST_F(ArtworkTest, TheFaderHandleShowsTheTrackOnlyAroundItsEdges) {
    EXPECT_EQ(pixel(layout::handleArt, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(pixel(layout::handleArt, 11, 14), 0xFFFFFFu);
    for (int y = 2; y < 13; ++y) {
        for (int x = 2; x < 10; ++x)
            EXPECT_NE(pixel(layout::handleArt, x, y), 0xFFFFFFu) << x << "," << y;
    }
}

TEST_F(ArtworkTest, TheMetersSplitBetweenTwoStepsAndTheLitOneIsBrighter) {
    const std::vector<platform::NativeColor> lit = pixels(layout::meterOnArt);
    const std::vector<platform::NativeColor> dark = pixels(layout::meterOffArt);
    for (int k = 1; k < 30; ++k) {
        const int split = static_cast<int>(k / 30.0 * 128);
        for (int x = 0; x < 13; ++x) {
            const size_t above = static_cast<size_t>(split - 1) * 13 + x;
            EXPECT_EQ(lit[above], dark[above]) << "step " << k << " column " << x;
        }
        const size_t middle = static_cast<size_t>(split + 1) * 13 + 6;
        EXPECT_GT(brightness(lit[middle]), brightness(dark[middle]) + 80) << "step " << k;
    }
}

TEST_F(ArtworkTest, TheStepSwitchesPressOnlyTheHalfTheyShow) {
    for (const int id : {layout::densitySwitchArt, layout::frequencySwitchArt}) {
        int leftChanges[3] = {};
        int rightChanges[3] = {};
        for (int frame = 0; frame < 3; ++frame) {
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 50; ++x) {
                    const bool differs = pixel(id, x, frame * 16 + y) != pixel(id, x, 16 + y);
                    (x < 25 ? leftChanges : rightChanges)[frame] += differs;
                }
            }
        }
        EXPECT_GT(leftChanges[0], 100) << id;
        EXPECT_EQ(rightChanges[0], 0) << id;
        EXPECT_EQ(leftChanges[2], 0) << id;
        EXPECT_GT(rightChanges[2], 100) << id;
    }
}

TEST_F(ArtworkTest, ButtonsAndTheLampShowTwoDifferentStates) {
    for (const int id : {layout::kickArt, layout::soloArt, layout::clipLampArt}) {
        const int w = bitmaps.widthOf(id);
        const int half = bitmaps.heightOf(id) / 2;
        int differences = 0;
        for (int y = 0; y < half; ++y) {
            for (int x = 0; x < w; ++x) differences += pixel(id, x, y) != pixel(id, x, y + half);
        }
        EXPECT_GT(differences, w * half / 4) << id;
    }
}

TEST_F(ArtworkTest, TheAboutScreenLeavesADarkPlainPlaceForTheVersionLine) {
    for (int y = layout::versionLine.top; y < layout::versionLine.bottom; ++y) {
        for (int x = layout::versionLine.left; x < layout::versionLine.right; ++x) {
            ASSERT_LT(brightness(pixel(layout::aboutArt, x, y)), 48) << x << "," << y;
        }
    }
}

TEST_F(ArtworkTest, RendersAContactSheetAndTheEditorForALook) {
    {
        OffscreenContext sheet(nullptr, 800, 740, Color{86, 88, 92, 0});
        caption(sheet, "1001 background", 10, 2);
        bitmaps.get(layout::backgroundArt)->draw(&sheet, {10, 18, 340, 278});
        caption(sheet, "1002 about", 360, 2);
        bitmaps.get(layout::aboutArt)->draw(&sheet, {360, 18, 690, 278});
        const int small[] = {layout::densitySwitchArt, layout::frequencySwitchArt,
                             layout::kickArt,          layout::soloArt,
                             layout::clipLampArt,      layout::handleArt,
                             layout::meterOnArt,       layout::meterOffArt};
        int x = 10;
        for (const int id : small) {
            char name[8];
            std::snprintf(name, sizeof name, "%d", id);
            caption(sheet, name, x, 292);
            drawZoomed(sheet, id, x, 308, 3);
            x += bitmaps.widthOf(id) * 3 + 14;
        }
        EXPECT_TRUE(platform::headless::writePng(sheet.getSurface(),
                                                 outputPath("artwork_contact_sheet.png").c_str()));
    }
    {
        OffscreenContext outlines(nullptr, 330, 260, colorBlack);
        bitmaps.get(layout::backgroundArt)->draw(&outlines, {0, 0, 330, 260});
        outlines.setFrameColor(colorMagenta);
        for (const Placed& control : pictureControls) {
            const Rect& r = control.rect;
            outlines.drawRect({r.left, r.top, r.right - 1, r.bottom - 1});
        }
        for (const Placed& field : numberFields) outlines.drawRect(field.rect);
        outlines.setFrameColor(colorCyan);
        for (const Rect& r : layout::faders)
            outlines.drawRect({r.left, r.top, r.right - 1, r.bottom - 1});
        outlines.setFrameColor(colorYellow);
        const Rect& logo = layout::aboutClickArea;
        outlines.drawRect({logo.left, logo.top, logo.right - 1, logo.bottom - 1});
        OffscreenContext zoomed(nullptr, 660, 520, colorBlack);
        for (int y = 0; y < 260; ++y) {
            for (int x = 0; x < 330; ++x) {
                const platform::NativeColor c = platform::pixelAt(outlines.getSurface(), x, y);
                zoomed.setFillColor(Color{static_cast<std::uint8_t>(c & 0xFF),
                                          static_cast<std::uint8_t>(c >> 8 & 0xFF),
                                          static_cast<std::uint8_t>(c >> 16 & 0xFF), 0});
                zoomed.fillRect({2 * x - 1, 2 * y - 1, 2 * x + 2, 2 * y + 2});
            }
        }
        EXPECT_TRUE(platform::headless::writePng(zoomed.getSurface(),
                                                 outputPath("artwork_layout.png").c_str()));
    }
    {
        OffscreenContext editor(nullptr, 330, 260, colorBlack);
        drawEditor(editor);
        EXPECT_TRUE(platform::headless::writePng(editor.getSurface(),
                                                 outputPath("artwork_editor.png").c_str()));
        OffscreenContext about(nullptr, 330, 260, colorBlack);
        bitmaps.get(layout::aboutArt)->draw(&about, {0, 0, 330, 260});
        about.setFont(fontNormal, 10, 0);
        about.setFontColor(colorWhite);
        about.drawString("Version: 1.0.0", layout::versionLine, false, 0);
        EXPECT_TRUE(platform::headless::writePng(about.getSurface(),
                                                 outputPath("artwork_about.png").c_str()));
    }
}

}  // namespace
