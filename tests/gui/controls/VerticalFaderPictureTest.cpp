#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editor/EditorLayout.h"
#include "gui/Bitmap.h"
#include "gui/controls/VerticalFader.h"
#include "tests/gui/ArtworkPixels.h"
#include "tests/gui/Canvas.h"
#include "tests/gui/TestPictures.h"

// What a fader draws, pixel by pixel, with the editor's geometry: the track is the background
// picture under the fader, the handle sits on it with its white pixels see-through, and nothing
// outside the fader's bounds is touched.
namespace {

constexpr Rect faderBounds = editor_layout::faders[0];
constexpr int minPos = 93;
constexpr int maxPos = 183;
constexpr int handleWidth = 12;
constexpr int handleHeight = 15;
constexpr int noHandle = -10000;

bool inside(const Rect& r, int x, int y) {
    return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

class VerticalFaderPictureTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (fader) fader->release();
        EXPECT_EQ(background.get()->referenceCount(), 1);
        EXPECT_EQ(handle.get()->referenceCount(), 1);
    }

    VerticalFader* makeFader(std::int32_t style = VerticalFader::styleMinAtBottom) {
        fader = new VerticalFader(faderBounds, nullptr, 1, minPos, maxPos, handle.get(),
                                  background.get(), {faderBounds.left, faderBounds.top}, style);
        return fader;
    }

    // The window as the fader should leave it: paper outside its bounds, the background inside,
    // and the handle's pixels (all of them when opaque, else all but white) from window row
    // handleTop and window column faderBounds.left + handleLeft, its first rows only, cut at
    // the fader's bounds.
    std::function<Color(int, int)> expected(int handleTop, bool opaqueHandle = false,
                                            int handleLeft = 0, int rows = handleHeight) {
        return [=](int x, int y) {
            if (!inside(faderBounds, x, y)) return Canvas::paper;
            const int hx = x - faderBounds.left - handleLeft;
            const int hy = y - handleTop;
            if (0 <= hx && hx < handleWidth && 0 <= hy && hy < rows) {
                const Color h = handle.pixel(hx, hy);
                if (opaqueHandle || !h.sameRgb(colorTransparentKey)) return h;
            }
            return background.pixel(x, y);
        };
    }

    std::string drawnAt(float value, int handleTop, bool opaqueHandle = false, int handleLeft = 0) {
        fader->setValue(value);
        fader->draw(&context);
        return canvas.firstDifference(expected(handleTop, opaqueHandle, handleLeft), "fader");
    }

    ArtworkPixels background{1001};
    ArtworkPixels handle{1010};
    Canvas canvas{330, 260};
    DrawContext context{nullptr, canvas.surface(), nullptr};
    VerticalFader* fader = nullptr;
};

struct Position {
    float value;
    int handleTop;
};

class VerticalFaderPositionTest : public VerticalFaderPictureTest,
                                  public ::testing::WithParamInterface<Position> {};

TEST_P(VerticalFaderPositionTest, TheHandleSitsAtItsRowOverAnUnchangedTrack) {
    makeFader();
    EXPECT_EQ(drawnAt(GetParam().value, GetParam().handleTop), "");
    EXPECT_EQ(fader->getHandlePos(), GetParam().handleTop);
    EXPECT_FALSE(fader->isDirty());
}

// 0 dB of a -20..6 dB fader is 20/26: trunc(90 x 6/26) = 20 rows below the top.
INSTANTIATE_TEST_SUITE_P(EditorGeometry, VerticalFaderPositionTest,
                         ::testing::Values(Position{1.0f, 93}, Position{0.0f, 183},
                                           Position{0.5f, 138}, Position{20.0f / 26.0f, 113}));

TEST_F(VerticalFaderPictureTest, TheMinAtTopStylePutsTheHandleLowerForHigherValues) {
    makeFader(VerticalFader::styleMinAtTop);
    EXPECT_EQ(drawnAt(1.0f, 183), "");
    EXPECT_EQ(drawnAt(0.25f, 93 + 22), "");
}

TEST_F(VerticalFaderPictureTest, AnOpaqueHandleCoversTheTrackWithItsWhitePixelsToo) {
    makeFader();
    fader->setHandleTransparent(false);
    EXPECT_EQ(drawnAt(0.5f, 138, true), "");
}

TEST_F(VerticalFaderPictureTest, TheHandleOffsetMovesTheHandleButNeverOutOfTheControl) {
    makeFader();
    fader->setHandleOffset({6, -50});
    EXPECT_EQ(drawnAt(1.0f, 93, false, 6), "") << "raised to the top, cut at the right edge";
    fader->setHandleOffset({0, 50});
    EXPECT_EQ(drawnAt(0.0f, noHandle), "") << "below the travel nothing of the handle shows";
    fader->setHandleOffset({0, 5});
    EXPECT_EQ(drawnAt(0.5f, 143), "");
    EXPECT_EQ(fader->getHandlePos(), 143);
}

TEST_F(VerticalFaderPictureTest, TheHandleIsCutWhereItsTravelEnds) {
    fader = new VerticalFader(faderBounds, nullptr, 1, minPos, 150, handle.get(), background.get(),
                              {faderBounds.left, faderBounds.top}, VerticalFader::styleMinAtBottom);
    fader->setHandleOffset({0, 10});
    fader->setValue(0.0f);
    fader->draw(&context);
    // The top is 57 + 10 rows down; the travel ends 150 + 15 - 93 = 72 rows down.
    EXPECT_EQ(canvas.firstDifference(expected(93 + 67, false, 0, 5), "fader"), "");
}

TEST_F(VerticalFaderPictureTest, ValuesSetFromOutsideTheRangeDrawTheHandleInsideTheControl) {
    makeFader();
    EXPECT_EQ(drawnAt(7.5f, 93), "");
    EXPECT_EQ(drawnAt(1.0e30f, 93), "");
    EXPECT_EQ(drawnAt(std::numeric_limits<float>::quiet_NaN(), 93), "");
    EXPECT_EQ(drawnAt(-1.0e30f, noHandle), "");
}

TEST_F(VerticalFaderPictureTest, AValueSetFromOutsideIsDrawnByTheNextUpdateAndOnlyThen) {
    makeFader();
    fader->setValue(1.0f);
    fader->update(&context);
    fader->setValue(0.0f);
    EXPECT_TRUE(fader->isDirty());
    fader->update(&context);
    EXPECT_EQ(canvas.firstDifference(expected(183), "fader"), "");
    EXPECT_FALSE(fader->isDirty());

    context.setFillColor(colorMagenta);
    context.fillRect(faderBounds);
    fader->update(&context);
    EXPECT_TRUE(canvas.pixel(40, 100).sameRgb(colorMagenta)) << "a clean fader draws nothing";
}

TEST_F(VerticalFaderPictureTest, WithoutABackgroundTheTrackIsBlack) {
    fader = new VerticalFader(faderBounds, nullptr, 1, minPos, maxPos, handle.get(), nullptr, {},
                              VerticalFader::styleMinAtBottom);
    fader->setValue(0.5f);
    fader->draw(&context);
    EXPECT_EQ(canvas.firstDifference(
                  [&](int x, int y) {
                      if (!inside(faderBounds, x, y)) return Canvas::paper;
                      const Color h = handle.pixel(x - 38, y - 138);
                      const bool onHandle = 138 <= y && y < 153;
                      return onHandle && !h.sameRgb(colorWhite) ? h : colorBlack;
                  },
                  "fader"),
              "");
}

TEST_F(VerticalFaderPictureTest, ATransparentFaderShowsBlackWhereItsBackgroundIsWhite) {
    ArtworkPixels filmstrip(test_pictures::filmstripId);
    const Rect bounds{5, 5, 17, 45};
    const Point offset{3, 2};
    fader = new VerticalFader(bounds, nullptr, 1, 5, 30, nullptr, filmstrip.get(), offset,
                              VerticalFader::styleMinAtBottom);
    auto track = [&](bool seeThrough) {
        return [=](int x, int y) {
            if (!inside(bounds, x, y)) return Canvas::paper;
            const Color c = test_pictures::filmstripPixel(x - bounds.left + offset.h,
                                                          y - bounds.top + offset.v);
            return seeThrough && c.sameRgb(colorWhite) ? colorBlack : c;
        };
    };
    fader->draw(&context);
    EXPECT_EQ(canvas.firstDifference(track(false), "opaque_track"), "");
    fader->setTransparent(true);
    fader->draw(&context);
    EXPECT_EQ(canvas.firstDifference(track(true), "transparent_track"), "");
    fader->release();
    fader = nullptr;
    EXPECT_EQ(filmstrip.get()->referenceCount(), 1);
}

TEST_F(VerticalFaderPictureTest, ANewHandleIsDrawnAtTheSizeOfTheFirstAndHeldOnce) {
    ArtworkPixels lamp(1007);  // 13 x 26
    makeFader();
    EXPECT_EQ(background.get()->referenceCount(), 2);
    EXPECT_EQ(handle.get()->referenceCount(), 2);
    fader->setHandle(lamp.get());
    EXPECT_EQ(handle.get()->referenceCount(), 1);
    EXPECT_EQ(lamp.get()->referenceCount(), 2);
    EXPECT_EQ(fader->getHandle(), lamp.get());
    fader->setHandle(lamp.get());
    EXPECT_EQ(lamp.get()->referenceCount(), 2);

    fader->setHandleTransparent(false);
    fader->setValue(1.0f);
    fader->draw(&context);
    EXPECT_EQ(canvas.firstDifference(
                  [&](int x, int y) {
                      if (!inside(faderBounds, x, y)) return Canvas::paper;
                      if (y < 93 + handleHeight) return lamp.pixel(x - 38, y - 93);
                      return background.pixel(x, y);
                  },
                  "fader"),
              "");
    fader->release();
    fader = nullptr;
    EXPECT_EQ(lamp.get()->referenceCount(), 1);
}

}  // namespace
