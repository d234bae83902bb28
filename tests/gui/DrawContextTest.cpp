#include <gtest/gtest.h>

#include <cstring>

#include "gui/DrawContext.h"
#include "gui/Fonts.h"
#include "tests/gui/Canvas.h"

namespace {

class DrawContextTest : public ::testing::Test {
protected:
    Canvas canvas{40, 30};

    static bool inside(int x, int y, int left, int top, int right, int bottom) {
        return x >= left && x <= right && y >= top && y <= bottom;
    }

    platform::FontDescription selectedFont() {
        platform::FontDescription description;
        platform::describeFont(platform::selectedFont(canvas.surface()), description);
        return description;
    }
};

TEST_F(DrawContextTest, FillAndOutlineOfOneRectangleCoverItOnceWithoutOverlap) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.setFillColor(colorRed);
    context.fillRect({5, 5, 15, 12});
    EXPECT_EQ(
        canvas.firstDifference(
            [](int x, int y) { return inside(x, y, 6, 6, 14, 11) ? colorRed : Canvas::paper; },
            "fill"),
        "");

    context.setFrameColor(colorBlue);
    context.drawRect({5, 5, 15, 12});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      if (!inside(x, y, 5, 5, 15, 12)) return Canvas::paper;
                      const bool edge = x == 5 || x == 15 || y == 5 || y == 12;
                      return edge ? colorBlue : colorRed;
                  },
                  "fill_and_outline"),
              "");
}

TEST_F(DrawContextTest, AnOutlineLeavesTheInsideUntouched) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.drawRect({2, 3, 9, 8});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      const bool edge =
                          inside(x, y, 2, 3, 9, 8) && (x == 2 || x == 9 || y == 3 || y == 8);
                      return edge ? colorWhite : Canvas::paper;
                  },
                  "outline"),
              "");
}

TEST_F(DrawContextTest, LinesPaintTheirStartButNotTheirEndPoint) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.setFrameColor(colorYellow);
    context.moveTo({2, 3});
    context.lineTo({10, 3});
    context.moveTo({20, 1});
    context.lineTo({20, 9});
    context.moveTo({25, 20});
    context.lineTo({30, 25});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      const bool horizontal = y == 3 && x >= 2 && x <= 9;
                      const bool vertical = x == 20 && y >= 1 && y <= 8;
                      const bool diagonal = x >= 25 && x <= 29 && y - 20 == x - 25;
                      return horizontal || vertical || diagonal ? colorYellow : Canvas::paper;
                  },
                  "lines"),
              "");
}

TEST_F(DrawContextTest, ALineContinuesFromWhereTheLastOneEnded) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.moveTo({1, 1});
    context.lineTo({6, 1});
    context.lineTo({6, 4});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      const bool first = y == 1 && x >= 1 && x <= 5;
                      const bool second = x == 6 && y >= 1 && y <= 3;
                      return first || second ? colorWhite : Canvas::paper;
                  },
                  "polyline"),
              "");
}

TEST_F(DrawContextTest, DottedPensPaintThreePixelsAndSkipThreeOverAnUntouchedBackground) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.setLineStyle(lineDotted);
    context.moveTo({0, 2});
    context.lineTo({20, 2});
    context.moveTo({30, 0});
    context.lineTo({30, 13});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      const bool across = y == 2 && x < 20 && (x / 3) % 2 == 0;
                      const bool down = x == 30 && y < 13 && (y / 3) % 2 == 0;
                      return across || down ? colorWhite : Canvas::paper;
                  },
                  "dotted"),
              "");
}

TEST_F(DrawContextTest, OnlyLineStyleOneIsDotted) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.setLineStyle(2);
    context.moveTo({0, 2});
    context.lineTo({20, 2});
    EXPECT_EQ(context.getLineStyle(), 2);
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) { return y == 2 && x < 20 ? colorWhite : Canvas::paper; },
                  "style_two"),
              "");
}

TEST_F(DrawContextTest, ChangingTheFrameColourKeepsTheDottedStyle) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.setLineStyle(lineDotted);
    context.setFrameColor(colorCyan);
    context.moveTo({0, 5});
    context.lineTo({12, 5});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      return y == 5 && x < 12 && (x / 3) % 2 == 0 ? colorCyan : Canvas::paper;
                  },
                  "dotted_cyan"),
              "");
}

TEST_F(DrawContextTest, NamedColoursReachTheSurfaceWithTheirExactValues) {
    const Color colors[] = {colorBlack, colorWhite,   colorGrey,         colorRed,
                            colorGreen, colorBlue,    colorYellow,       colorMagenta,
                            colorCyan,  rgb(1, 2, 3), rgb(254, 255, 255)};
    DrawContext context(nullptr, canvas.surface(), nullptr);
    int x = 0;
    for (const Color color : colors) {
        context.setFillColor(color);
        context.fillRect({x - 1, -1, x + 2, 2});
        x += 3;
    }
    x = 0;
    for (const Color color : colors) {
        const Color drawn = canvas.pixel(x + 1, 1);
        EXPECT_TRUE(drawn.sameRgb(color)) << "colour at " << x << " is " << int(drawn.red) << ","
                                          << int(drawn.green) << "," << int(drawn.blue);
        x += 3;
    }
    EXPECT_EQ(colorGrey.red, 127);
    EXPECT_TRUE(colorTransparentKey.sameRgb(colorWhite));
    EXPECT_NE(&colorTransparentKey, &colorWhite);
}

TEST_F(DrawContextTest, AColourTravelsAsOneWordWithRedInTheLowestByte) {
    const Color color{0x12, 0x34, 0x56, 0x78};
    std::uint32_t word = 0;
    std::memcpy(&word, &color, sizeof word);
    EXPECT_EQ(word & 0xFF, 0x12u);
    EXPECT_EQ(word >> 24, 0x78u);
    EXPECT_EQ(color.native(), 0x563412u);
}

TEST_F(DrawContextTest, ANewContextDrawsWhiteLinesBlackFillsAndRecordsItsState) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.fillRect({0, 0, 10, 10});
    context.drawRect({0, 0, 10, 10});
    EXPECT_TRUE(canvas.pixel(5, 5).sameRgb(colorBlack));
    EXPECT_TRUE(canvas.pixel(0, 5).sameRgb(colorWhite));
    EXPECT_TRUE(context.getFontColor().sameRgb(colorWhite));
    EXPECT_EQ(context.getLineWidth(), 1);
    EXPECT_EQ(context.getLineStyle(), lineSolid);
    EXPECT_EQ(context.getClipRect(), (Rect{0, 0, 1000, 1000}));
    EXPECT_EQ(context.getOffset(), (Point{0, 0}));
    EXPECT_EQ(context.getWindowOrigin(), (Point{0, 0}));
}

TEST_F(DrawContextTest, TheOffsetMovesEveryPrimitive) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.setOffset({10, 5});
    context.setFillColor(colorRed);
    context.fillRect({0, 0, 4, 4});
    context.moveTo({0, 10});
    context.lineTo({3, 10});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      if (inside(x, y, 11, 6, 13, 8)) return colorRed;
                      if (y == 15 && x >= 10 && x <= 12) return colorWhite;
                      return Canvas::paper;
                  },
                  "offset"),
              "");
}

TEST_F(DrawContextTest, DestructionGivesTheSurfaceBackItsOwnObjects) {
    platform::Pen* pen = platform::selectedPen(canvas.surface());
    platform::Brush* brush = platform::selectedBrush(canvas.surface());
    platform::Font* font = platform::selectedFont(canvas.surface());
    {
        DrawContext context(nullptr, canvas.surface(), nullptr);
        context.setFont(fontNormal);
        EXPECT_NE(platform::selectedPen(canvas.surface()), pen);
        EXPECT_NE(platform::selectedBrush(canvas.surface()), brush);
        EXPECT_NE(platform::selectedFont(canvas.surface()), font);
    }
    EXPECT_EQ(platform::selectedPen(canvas.surface()), pen);
    EXPECT_EQ(platform::selectedBrush(canvas.surface()), brush);
    EXPECT_EQ(platform::selectedFont(canvas.surface()), font);
}

TEST_F(DrawContextTest, AContextWithoutSurfaceDrawsNothingAndStillKeepsItsState) {
    DrawContext context(nullptr, nullptr, nullptr);
    context.setFillColor(colorRed);
    context.fillRect({0, 0, 10, 10});
    context.drawRect({0, 0, 10, 10});
    context.setFont(fontHuge);
    context.drawString("x", {0, 0, 10, 10});
    EXPECT_TRUE(context.getFillColor().sameRgb(colorRed));
    EXPECT_EQ(context.getFontSize(), 18);
    EXPECT_FALSE(canvas.anyInk(0, 0, canvas.width, canvas.height));
}

TEST_F(DrawContextTest, FontIdsOutOfRangeFallBackToTheBoldSystemFont) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.setFont(9, 0, 0);
    EXPECT_EQ(context.getFontId(), fontSystem);
    EXPECT_EQ(context.getFontSize(), 12);
    const platform::FontDescription font = selectedFont();
    EXPECT_STREQ(font.faceName, "Arial");
    EXPECT_EQ(font.height, -12);
    EXPECT_EQ(font.weight, 700);
    EXPECT_EQ(font.pitchAndFamily, 0x22);

    context.setFont(-1, 0, 0);
    EXPECT_EQ(context.getFontId(), fontSystem);
}

TEST_F(DrawContextTest, TheSymbolFontIsDecorativeAndTakesItsStyleBits) {
    DrawContext context(nullptr, canvas.surface(), nullptr);
    context.setFont(fontSymbol, 0, fontStyleBold);
    platform::FontDescription font = selectedFont();
    EXPECT_STREQ(font.faceName, "Symbol");
    EXPECT_EQ(font.height, -13);
    EXPECT_EQ(font.weight, 700);
    EXPECT_EQ(font.pitchAndFamily, 0x50);

    context.setFont(fontTiny, 20, fontStyleItalic | fontStyleUnderline);
    font = selectedFont();
    EXPECT_STREQ(font.faceName, "Arial");
    EXPECT_EQ(font.height, -20);
    EXPECT_EQ(font.weight, 400);
    EXPECT_TRUE(font.italic);
    EXPECT_TRUE(font.underline);
    EXPECT_EQ(font.outputPrecision, 1);
    EXPECT_EQ(font.clipPrecision, 2);
    EXPECT_EQ(font.quality, 0);
    EXPECT_EQ(font.charSet, 0);
    EXPECT_EQ(context.getFontSize(), 20);
}

class DrawStringTest : public ::testing::Test {
protected:
    // The same text through the context and straight through the platform, on two canvases.
    void drawBoth(std::int32_t align, const Rect& contextRect, const platform::PixelRect& native,
                  platform::TextAlign nativeAlign) {
        DrawContext context(nullptr, viaContext.surface(), nullptr);
        context.setFont(fontNormal);
        context.drawString("Mix 3.5", contextRect, false, align);

        DrawContext plain(nullptr, direct.surface(), nullptr);
        plain.setFont(fontNormal);
        platform::drawText(direct.surface(), "Mix 3.5", native, nativeAlign);
    }

    std::string difference() {
        return viaContext.firstDifference([this](int x, int y) { return direct.pixel(x, y); },
                                          "drawstring");
    }

    Canvas viaContext{80, 24};
    Canvas direct{80, 24};
};

TEST_F(DrawStringTest, LeftAlignedTextStartsOnePixelInsideTheRectangle) {
    drawBoth(textAlignLeft, {10, 2, 70, 20}, {11, 2, 70, 20}, platform::TextAlign::left);
    EXPECT_TRUE(viaContext.anyInk(0, 0, 80, 24));
    EXPECT_EQ(difference(), "");
    EXPECT_FALSE(viaContext.anyInk(0, 0, 11, 24));
}

TEST_F(DrawStringTest, AnyOtherAlignmentValueAlignsLeftToo) {
    drawBoth(7, {10, 2, 70, 20}, {11, 2, 70, 20}, platform::TextAlign::left);
    EXPECT_EQ(difference(), "");
}

TEST_F(DrawStringTest, CentredTextUsesTheRectangleUnchanged) {
    drawBoth(textAlignCenter, {10, 2, 70, 20}, {10, 2, 70, 20}, platform::TextAlign::centre);
    EXPECT_TRUE(viaContext.anyInk(0, 0, 80, 24));
    EXPECT_EQ(difference(), "");
}

TEST_F(DrawStringTest, RightAlignedTextEndsAtTheRightEdge) {
    drawBoth(textAlignRight, {10, 2, 70, 20}, {10, 2, 70, 20}, platform::TextAlign::right);
    EXPECT_TRUE(viaContext.anyInk(0, 0, 80, 24));
    EXPECT_EQ(difference(), "");
    EXPECT_FALSE(viaContext.anyInk(70, 0, 80, 24));
}

TEST_F(DrawStringTest, TextIsCentredVerticallyAndClippedToItsRectangle) {
    DrawContext context(nullptr, viaContext.surface(), nullptr);
    context.setFont(fontNormal);
    context.drawString("Gain", {0, 4, 80, 20});
    EXPECT_TRUE(viaContext.anyInk(0, 4, 80, 20));
    EXPECT_FALSE(viaContext.anyInk(0, 0, 80, 4));
    EXPECT_FALSE(viaContext.anyInk(0, 20, 80, 24));
    // Centred vertically: ink both above and below the middle row.
    EXPECT_TRUE(viaContext.anyInk(0, 4, 80, 12));
    EXPECT_TRUE(viaContext.anyInk(0, 12, 80, 20));
}

TEST_F(DrawStringTest, OpaqueTextFillsBehindItsGlyphsWithTheFillColourOnlyWhenAsked) {
    DrawContext context(nullptr, viaContext.surface(), nullptr);
    context.setFont(fontNormal);
    context.setFillColor(colorGreen);
    context.setFontColor(colorRed);
    context.drawString("Gain", {0, 0, 80, 24}, false, textAlignLeft);
    int green = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 80; ++x) green += viaContext.pixel(x, y).sameRgb(colorGreen);
    }
    EXPECT_EQ(green, 0);

    context.drawString("Gain", {0, 0, 80, 24}, true, textAlignLeft);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 80; ++x) green += viaContext.pixel(x, y).sameRgb(colorGreen);
    }
    EXPECT_GT(green, 20);
    // Back to transparent afterwards: a dotted line's gaps stay untouched.
    context.setLineStyle(lineDotted);
    context.moveTo({0, 23});
    context.lineTo({12, 23});
    EXPECT_TRUE(viaContext.pixel(4, 23).sameRgb(Canvas::paper));
}

}  // namespace
