#include <gtest/gtest.h>

#include "gui/Bitmap.h"
#include "gui/BitmapSet.h"
#include "gui/OffscreenContext.h"
#include "tests/gui/Canvas.h"
#include "tests/gui/TestPictures.h"

namespace {

using test_pictures::filmstripId;
using test_pictures::filmstripPixel;
using test_pictures::knownId;
using test_pictures::knownPixel;
constexpr int missingId = 2999;

// Holds one reference and gives it back at the end of the test.
struct BitmapRef {
    explicit BitmapRef(int id) : bitmap(new Bitmap(id)) {}
    ~BitmapRef() { bitmap->release(); }
    Bitmap* operator->() const { return bitmap; }
    Bitmap* get() const { return bitmap; }
    Bitmap* bitmap;
};

class BitmapTest : public ::testing::Test {
protected:
    Canvas canvas{60, 40};
    DrawContext context{nullptr, canvas.surface(), nullptr};
};

TEST_F(BitmapTest, ALoadedBitmapKnowsItsSizeAndHoldsOneReference) {
    BitmapRef filmstrip(filmstripId);
    EXPECT_EQ(filmstrip->getWidth(), 50);
    EXPECT_EQ(filmstrip->getHeight(), 48);
    EXPECT_EQ(filmstrip->referenceCount(), 1);
    EXPECT_EQ(filmstrip->getResourceId(), filmstripId);
}

TEST_F(BitmapTest, OnlyTheLowSixteenBitsOfTheIdChooseTheResource) {
    BitmapRef known(0x10000 + knownId);
    EXPECT_EQ(known->getWidth(), 4);
    EXPECT_EQ(known->getResourceId(), 0x10000 + knownId);
}

TEST_F(BitmapTest, RetainAndReleaseCountHolders) {
    Bitmap* bitmap = new Bitmap(knownId);
    bitmap->retain();
    bitmap->retain();
    EXPECT_EQ(bitmap->referenceCount(), 3);
    bitmap->release();
    bitmap->release();
    EXPECT_EQ(bitmap->referenceCount(), 1);
    bitmap->release();
}

TEST_F(BitmapTest, PlainDrawingCopiesEveryPixelExactlyWhiteIncluded) {
    BitmapRef known(knownId);
    known->draw(&context, {3, 2, 7, 4});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      if (x >= 3 && x < 7 && y >= 2 && y < 4) return knownPixel(x - 3, y - 2);
                      return Canvas::paper;
                  },
                  "plain"),
              "");
}

TEST_F(BitmapTest, TransparentDrawingSkipsExactWhiteButDrawsItsNeighbours) {
    BitmapRef known(knownId);
    known->drawTransparent(&context, {3, 2, 7, 4});
    EXPECT_TRUE(canvas.pixel(3, 2).sameRgb(Canvas::paper));
    EXPECT_TRUE(canvas.pixel(4, 2).sameRgb(rgb(254, 255, 255)));
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      if (x == 3 && y == 2) return Canvas::paper;
                      if (x >= 3 && x < 7 && y >= 2 && y < 4) return knownPixel(x - 3, y - 2);
                      return Canvas::paper;
                  },
                  "transparent"),
              "");
}

TEST_F(BitmapTest, ASourceOffsetPicksAFilmstripFrameAndSeeThroughPixelsShowTheDestination) {
    BitmapRef filmstrip(filmstripId);
    filmstrip->drawTransparent(&context, {5, 5, 55, 21}, {0, 17});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      if (x < 5 || x >= 55 || y < 5 || y >= 21) return Canvas::paper;
                      const Color c = filmstripPixel(x - 5, y - 5 + 17);
                      return c.sameRgb(colorWhite) ? Canvas::paper : c;
                  },
                  "filmstrip_transparent"),
              "");
}

TEST_F(BitmapTest, PlainDrawingWithASourceOffsetCopiesOnlyTheDestinationsSize) {
    BitmapRef filmstrip(filmstripId);
    filmstrip->draw(&context, {1, 1, 11, 7}, {20, 32});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      if (x < 1 || x >= 11 || y < 1 || y >= 7) return Canvas::paper;
                      return filmstripPixel(x - 1 + 20, y - 1 + 32);
                  },
                  "filmstrip_plain"),
              "");
}

TEST_F(BitmapTest, TransparentDrawingAgainUsesTheSameMaskAndTheContextOffset) {
    BitmapRef known(knownId);
    known->drawTransparent(&context, {0, 0, 4, 2});
    context.setOffset({20, 10});
    known->drawTransparent(&context, {0, 0, 4, 2});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      for (const int left : {0, 20}) {
                          const int top = left / 2;
                          if (x >= left && x < left + 4 && y >= top && y < top + 2) {
                              const Color c = knownPixel(x - left, y - top);
                              return c.sameRgb(colorWhite) ? Canvas::paper : c;
                          }
                      }
                      return Canvas::paper;
                  },
                  "transparent_twice"),
              "");
}

TEST_F(BitmapTest, AMissingResourceHasNoSizeAndDrawsNothing) {
    BitmapRef missing(missingId);
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    missing->draw(&context, {0, 0, 20, 20});
    missing->drawTransparent(&context, {0, 0, 20, 20});
    EXPECT_FALSE(canvas.anyInk(0, 0, canvas.width, canvas.height));
}

TEST_F(BitmapTest, ABitmapSetLoadsAConsecutiveRangeAndAnswersInsideItOnly) {
    BitmapSet set;
    EXPECT_EQ(set.getCount(), 0);
    EXPECT_EQ(set.get(knownId), nullptr);
    EXPECT_EQ(set.load(knownId, 3, -1), 0);
    EXPECT_EQ(set.getDefaultId(), knownId);
    EXPECT_EQ(set.getDefault(), set.get(knownId));
    EXPECT_EQ(set.get(knownId - 1), nullptr);
    EXPECT_EQ(set.get(knownId + 3), nullptr);
    ASSERT_NE(set.get(knownId + 1), nullptr);
    EXPECT_EQ(set.get(knownId + 1)->getResourceId(), filmstripId);
    EXPECT_EQ(set.widthOf(filmstripId), 50);
    EXPECT_EQ(set.heightOf(filmstripId), 48);
    // A missing resource inside the range is still an entry, without a size.
    ASSERT_NE(set.get(knownId + 2), nullptr);
    EXPECT_EQ(set.widthOf(knownId + 2), 0);
    EXPECT_EQ(set.widthOf(knownId + 3), 0);
    EXPECT_EQ(set.heightOf(knownId - 1), 0);
}

TEST_F(BitmapTest, ABitmapSetKeepsAnExplicitDefaultAndEmptiesOnClear) {
    BitmapSet set;
    set.load(knownId, 2, filmstripId);
    EXPECT_EQ(set.getDefault()->getResourceId(), filmstripId);
    set.get(knownId)->retain();
    Bitmap* kept = set.get(knownId);
    set.clear();
    EXPECT_EQ(set.getCount(), 0);
    EXPECT_EQ(set.get(knownId), nullptr);
    // The extra holder still has a working bitmap.
    EXPECT_EQ(kept->referenceCount(), 1);
    EXPECT_EQ(kept->getWidth(), 4);
    kept->release();
    set.clear();
}

TEST_F(BitmapTest, TheEditorsTenBitmapsHaveTheSizesItsLayoutNeeds) {
    BitmapSet set;
    set.load(1001, 10, 1001);
    const int sizes[10][2] = {{330, 260}, {330, 260}, {50, 48},  {50, 48},  {34, 34},
                              {34, 34},   {13, 26},   {13, 128}, {13, 128}, {12, 15}};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(set.widthOf(1001 + i), sizes[i][0]) << "bitmap " << 1001 + i;
        EXPECT_EQ(set.heightOf(1001 + i), sizes[i][1]) << "bitmap " << 1001 + i;
    }
    EXPECT_EQ(set.get(1000), nullptr);
    EXPECT_EQ(set.get(1011), nullptr);
    ASSERT_NE(set.get(1010), nullptr);
    EXPECT_EQ(set.get(1010)->getResourceId(), 1010);
}

TEST_F(BitmapTest, AFreshOffscreenContextReadsBackItsBackgroundEverywhere) {
    for (const Color background : {colorBlack, rgb(12, 34, 56), colorWhite}) {
        OffscreenContext offscreen(nullptr, 20, 10, background);
        EXPECT_EQ(offscreen.getWidth(), 20);
        EXPECT_EQ(offscreen.getHeight(), 10);
        int wrong = 0;
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 20; ++x) {
                wrong += platform::pixelAt(offscreen.getSurface(), x, y) != background.native();
            }
        }
        EXPECT_EQ(wrong, 0) << "background " << int(background.red) << "," << int(background.green)
                            << "," << int(background.blue);
    }
}

TEST_F(BitmapTest, AnOffscreenContextComposesAndCopiesAPieceToTheDestinationOffset) {
    OffscreenContext offscreen(nullptr, 30, 20, colorBlue);
    offscreen.setFillColor(colorRed);
    offscreen.fillRect({4, 4, 10, 10});
    BitmapRef known(knownId);
    known->drawTransparent(&offscreen, {12, 12, 16, 14});

    context.setOffset({2, 1});
    offscreen.copyTo(&context, {10, 10, 25, 22}, {3, 3});
    EXPECT_EQ(canvas.firstDifference(
                  [](int x, int y) {
                      if (x < 12 || x >= 27 || y < 11 || y >= 23) return Canvas::paper;
                      const int sx = x - 12 + 3;
                      const int sy = y - 11 + 3;
                      if (sx >= 5 && sx <= 9 && sy >= 5 && sy <= 9) return colorRed;
                      if (sx >= 12 && sx < 16 && sy >= 12 && sy < 14) {
                          const Color c = knownPixel(sx - 12, sy - 12);
                          return c.sameRgb(colorWhite) ? colorBlue : c;
                      }
                      return colorBlue;
                  },
                  "offscreen_copy"),
              "");
}

}  // namespace
