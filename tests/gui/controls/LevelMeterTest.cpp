#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

#include "gui/controls/LevelMeter.h"
#include "tests/gui/ArtworkPixels.h"
#include "tests/gui/Canvas.h"
#include "tests/gui/TestPictures.h"

namespace {

// The editor's left meter: 13 x 128 bitmaps, 30 steps, growing from the bottom.
constexpr Rect meterRect{254, 71, 267, 199};
constexpr int litId = 1008;
constexpr int darkId = 1009;
constexpr int aboutId = 1002;  // 330 x 260

class LevelMeterTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (meter) meter->release();
        EXPECT_EQ(lit.get()->referenceCount(), 1);
        EXPECT_EQ(dark.get()->referenceCount(), 1);
    }

    LevelMeter* makeEditorMeter() {
        meter = new LevelMeter(meterRect, lit.get(), dark.get(), 30, LevelMeter::styleVertical);
        meter->setFallStep(1.0f);
        return meter;
    }

    // Dark rows above split, lit rows from split down, paper around the meter.
    std::string differenceFromSplitAt(int split, const char* name) {
        return canvas.firstDifference(
            [&](int x, int y) {
                if (x < meterRect.left || x >= meterRect.right || y < meterRect.top ||
                    y >= meterRect.bottom)
                    return Canvas::paper;
                const int row = y - meterRect.top;
                const int column = x - meterRect.left;
                return row < split ? dark.pixel(column, row) : lit.pixel(column, row);
            },
            name);
    }

    // Draws as the frame's update does.
    void redraw() { meter->update(&context); }

    ArtworkPixels lit{litId};
    ArtworkPixels dark{darkId};
    Canvas canvas{330, 260};
    DrawContext context{nullptr, canvas.surface(), nullptr};
    LevelMeter* meter = nullptr;
};

struct MeterCase {
    float value;
    int split;  // first lit row
};

void PrintTo(const MeterCase& c, std::ostream* out) {
    *out << "value " << c.value << ", first lit row " << c.split;
}

class LevelMeterValueTest : public LevelMeterTest,
                            public ::testing::WithParamInterface<MeterCase> {};

TEST_P(LevelMeterValueTest, AValueLightsWholeStepsFromTheBottom) {
    makeEditorMeter()->setValue(GetParam().value);
    redraw();
    EXPECT_EQ(meter->getOffRect(), (Rect{254, 71, 267, 71 + GetParam().split}));
    EXPECT_EQ(meter->getOnRect(), (Rect{254, 71 + GetParam().split, 267, 199}));
    EXPECT_EQ(differenceFromSplitAt(GetParam().split, "meter_value"), "");
    EXPECT_FALSE(meter->isDirty());
}

// 30 steps over 128 rows: dark steps = round((1 - value) x 30), split = trunc(dark / 30 x 128).
INSTANTIATE_TEST_SUITE_P(EditorMeter, LevelMeterValueTest,
                         ::testing::Values(MeterCase{0.0f, 128}, MeterCase{0.1f, 115},
                                           MeterCase{0.5f, 64}, MeterCase{1.0f, 0},
                                           MeterCase{0.34f, 85}, MeterCase{0.985f, 0},
                                           MeterCase{0.98f, 4}));

TEST_F(LevelMeterTest, ValuesOutsideTheRangeAreClampedBeforeDrawing) {
    makeEditorMeter()->setValue(1.7f);
    redraw();
    EXPECT_EQ(meter->getValue(), 1.0f);
    EXPECT_EQ(differenceFromSplitAt(0, "meter_above"), "");
    meter->setValue(-0.3f);
    redraw();
    EXPECT_EQ(meter->getValue(), 0.0f);
    EXPECT_EQ(differenceFromSplitAt(128, "meter_below"), "");
}

TEST_F(LevelMeterTest, WithAFallStepOfOneEveryRedrawShowsTheValueLastSet) {
    makeEditorMeter()->setValue(1.0f);
    redraw();
    meter->setValue(0.0f);
    redraw();
    EXPECT_EQ(meter->getValue(), 0.0f);
    EXPECT_EQ(differenceFromSplitAt(128, "meter_drop"), "");
    meter->setValue(0.5f);
    redraw();
    EXPECT_EQ(differenceFromSplitAt(64, "meter_rise"), "");
}

TEST_F(LevelMeterTest, AFallingBarSinksOneFallStepPerRedraw) {
    makeEditorMeter()->setFallStep(0.1f);
    meter->setValue(1.0f);
    redraw();
    // Shown 0.9, 0.8, ... 0.0: 3 dark steps more each time, 12.8 rows each, truncated.
    const int splits[] = {12, 25, 38, 51, 64, 76, 89, 102, 115, 128};
    for (int k = 0; k < 10; ++k) {
        meter->setValue(0.0f);
        EXPECT_TRUE(meter->isDirty());
        redraw();
        EXPECT_NEAR(meter->getValue(), 0.9f - 0.1f * static_cast<float>(k), 1e-5f) << k;
        EXPECT_EQ(meter->getOffRect().bottom, 71 + splits[k]) << k;
        EXPECT_EQ(differenceFromSplitAt(splits[k], "meter_falling"), "") << k;
    }
    EXPECT_EQ(meter->getValue(), 0.0f);
}

TEST_F(LevelMeterTest, AHeldUpBarKeepsTheValueItShowedUntilANewValueIsSet) {
    makeEditorMeter()->setFallStep(0.1f);
    meter->setValue(1.0f);
    redraw();
    meter->setValue(0.0f);
    redraw();
    // The redraw made the shown value both value and oldValue: clean, and a paint shows it again.
    EXPECT_FLOAT_EQ(meter->getValue(), 0.9f);
    EXPECT_FLOAT_EQ(meter->getOldValue(), 0.9f);
    EXPECT_FALSE(meter->isDirty());
    meter->draw(&context);
    EXPECT_FLOAT_EQ(meter->getValue(), 0.9f);
    EXPECT_EQ(differenceFromSplitAt(12, "meter_held"), "");
}

TEST_F(LevelMeterTest, ARisingBarIsNeverHeldBackByTheFallStep) {
    makeEditorMeter()->setFallStep(0.1f);
    meter->setValue(0.0f);
    redraw();
    meter->setValue(1.0f);
    redraw();
    EXPECT_EQ(differenceFromSplitAt(0, "meter_rising"), "");
}

TEST_F(LevelMeterTest, DrawingOnItsOwnRecordsTheShownValueAndLeavesTheDirtyFlagToTheUpdate) {
    makeEditorMeter()->setValue(0.5f);
    meter->draw(&context);
    EXPECT_EQ(meter->getOldValue(), 0.5f);
    EXPECT_TRUE(meter->isDirty());
    redraw();
    EXPECT_FALSE(meter->isDirty());
}

TEST_F(LevelMeterTest, TheFallOffHoldsAcrossDrawsThatNoUpdateFollows) {
    makeEditorMeter()->setFallStep(0.1f);
    meter->setValue(1.0f);
    meter->draw(&context);
    meter->setValue(0.0f);
    meter->draw(&context);
    meter->setValue(0.0f);
    meter->draw(&context);
    EXPECT_FLOAT_EQ(meter->getValue(), 0.8f);
    EXPECT_EQ(differenceFromSplitAt(25, "meter_draw_only"), "");
}

TEST_F(LevelMeterTest, AHorizontalMeterGrowsFromTheLeftAndTakesTheDarkPartAtItsOwnColumns) {
    ArtworkPixels on(test_pictures::filmstripId);
    ArtworkPixels off(aboutId);
    const Rect area{20, 30, 70, 78};
    meter = new LevelMeter(area, on.get(), off.get(), 10, LevelMeter::styleHorizontal);
    meter->setValue(0.34f);  // 3 of 10 steps: 15 of 50 columns
    redraw();
    EXPECT_EQ(meter->getOnRect(), (Rect{20, 30, 35, 78}));
    EXPECT_EQ(meter->getOffRect(), (Rect{35, 30, 70, 78}));
    EXPECT_EQ(canvas.firstDifference(
                  [&](int x, int y) {
                      if (x < 20 || x >= 70 || y < 30 || y >= 78) return Canvas::paper;
                      return x < 35 ? on.pixel(x - 20, y - 30) : off.pixel(x - 20, y - 30);
                  },
                  "meter_horizontal"),
              "");
    meter->release();
    meter = nullptr;
}

TEST_F(LevelMeterTest, AStyleIsHorizontalOnlyWhenItsLowestBitIsSet) {
    meter = new LevelMeter(meterRect, lit.get(), dark.get(), 30, 4);
    meter->setValue(0.5f);
    redraw();
    EXPECT_EQ(differenceFromSplitAt(64, "meter_style4"), "");
}

TEST_F(LevelMeterTest, WithoutAnOffBitmapOnlyTheLitPartIsDrawnAndSeeThroughPixelsShowWhenAsked) {
    ArtworkPixels on(test_pictures::filmstripId);
    const Rect area{20, 30, 70, 78};
    meter = new LevelMeter(area, on.get(), nullptr, 10, LevelMeter::styleHorizontal);
    meter->setTransparent(true);
    meter->setValue(0.5f);
    redraw();
    EXPECT_EQ(canvas.firstDifference(
                  [&](int x, int y) {
                      if (x < 20 || x >= 45 || y < 30 || y >= 78) return Canvas::paper;
                      const Color c = on.pixel(x - 20, y - 30);
                      return c.sameRgb(colorWhite) ? Canvas::paper : c;
                  },
                  "meter_transparent"),
              "");
    meter->release();
    meter = nullptr;
}

TEST_F(LevelMeterTest, AMeterWithoutItsLitBitmapDrawsNothing) {
    meter = new LevelMeter(meterRect, nullptr, dark.get(), 30, LevelMeter::styleVertical);
    meter->setValue(0.5f);
    redraw();
    EXPECT_FALSE(canvas.anyInk(0, 0, canvas.width, canvas.height));
}

TEST_F(LevelMeterTest, ANotANumberValueShowsAnEmptyBar) {
    makeEditorMeter()->setValue(std::numeric_limits<float>::quiet_NaN());
    redraw();
    EXPECT_EQ(meter->getValue(), 0.0f);
    EXPECT_EQ(differenceFromSplitAt(128, "meter_nan"), "");
}

TEST_F(LevelMeterTest, AMeterWithoutStepsIsEitherDarkOrLit) {
    meter = new LevelMeter(meterRect, lit.get(), dark.get(), 0, LevelMeter::styleVertical);
    meter->setValue(0.4f);
    redraw();
    EXPECT_EQ(differenceFromSplitAt(128, "meter_nosteps_dark"), "");
    meter->setValue(0.6f);
    redraw();
    EXPECT_EQ(differenceFromSplitAt(0, "meter_nosteps_lit"), "");
}

TEST_F(LevelMeterTest, TheMeterHoldsOneReferenceToEachBitmapAndIgnoresClicks) {
    makeEditorMeter();
    EXPECT_EQ(lit.get()->referenceCount(), 2);
    EXPECT_EQ(dark.get()->referenceCount(), 2);
    meter->setValue(0.25f);
    meter->onMouse(&context, {260, 100});
    EXPECT_EQ(meter->getValue(), 0.25f);
}

}  // namespace
