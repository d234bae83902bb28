#include <gtest/gtest.h>

#include <string>

#include "editor/EditorLayout.h"
#include "gui/controls/OnOffButton.h"
#include "gui/controls/StepSwitch.h"
#include "tests/gui/ArtworkPixels.h"
#include "tests/gui/Canvas.h"
#include "tests/gui/TestPictures.h"

namespace {

// The editor's artwork and places, and a test picture with key-white pixels scattered over it:
// the artwork has none.
using namespace editor_layout;
constexpr int filmstripArt = test_pictures::filmstripId;

class ButtonPictureTest : public ::testing::Test {
protected:
    // A fresh button at place, drawn once at value; answers the first wrong pixel against the
    // art's upper (half 0) or lower (half 1) half.
    std::string button(const ArtworkPixels& art, Rect place, float value, int half,
                       bool transparent = false) {
        auto* control = new OnOffButton(place, nullptr, 14, art.get());
        return drawn(control, value, transparent, art, {0, half * art.get()->getHeight() / 2});
    }

    // The same for a step switch drawing picture k of the art, each frameHeight tall from offset.
    std::string stepSwitch(const ArtworkPixels& art, Rect place, float value, int k,
                           std::int32_t frameHeight = 16, Point offset = {},
                           bool transparent = false) {
        auto* control = new StepSwitch(place, nullptr, 17, frameHeight, art.get(), offset,
                                       StepSwitch::styleHorizontal);
        return drawn(control, value, transparent, art, {offset.h, offset.v + k * frameHeight});
    }

    // Draws the control once at value on a fresh canvas and releases it; the first pixel that
    // differs from the piece of art at source put at the control's place, or "".
    static std::string drawn(Control* control, float value, bool transparent,
                             const ArtworkPixels& art, Point source) {
        Canvas canvas(250, 90);
        DrawContext context(nullptr, canvas.surface(), nullptr);
        control->setValue(value);
        control->setTransparent(transparent);
        control->draw(&context);
        const bool clean = !control->isDirty();
        const Rect place = control->getBounds();
        control->release();
        const std::string name = "drawn_" + std::to_string(art.get()->getResourceId()) + "_" +
                                 std::to_string(value) + (transparent ? "_transparent" : "");
        const std::string difference =
            canvas.firstDifference(art.pieceAt(place, source, transparent), name.c_str());
        return clean ? difference : difference + " (still dirty after drawing)";
    }
};

TEST_F(ButtonPictureTest, OffShowsTheUpperHalfAndOnTheLowerHalfOfEachButtonsArt) {
    const struct {
        int id;
        Rect place;
    } buttons[] = {{soloArt, soloButton}, {kickArt, kickButton}, {clipLampArt, clipLamp}};
    for (const auto& b : buttons) {
        const ArtworkPixels art(b.id);
        const int half = art.get()->getHeight() / 2;
        ASSERT_EQ(half, b.place.height());
        ASSERT_TRUE(art.piecesDiffer({0, 0}, {0, half}, b.place.width(), half));
        EXPECT_EQ(button(art, b.place, 0.0f, 0), "");
        EXPECT_EQ(button(art, b.place, 1.0f, 1), "");
    }
}

TEST_F(ButtonPictureTest, EveryValueButZeroShowsTheOnHalf) {
    const ArtworkPixels art(soloArt);
    EXPECT_EQ(button(art, soloButton, 0.5f, 1), "");
    EXPECT_EQ(button(art, soloButton, -1.0f, 1), "");
    EXPECT_EQ(button(art, soloButton, 1e-30f, 1), "");
    EXPECT_EQ(button(art, soloButton, -0.0f, 0), "");
}

TEST_F(ButtonPictureTest, ATransparentButtonLetsKeyWhiteShowThroughAndAPlainOneCopiesIt) {
    const ArtworkPixels art(filmstripArt);
    const Rect place{5, 5, 55, 29};
    for (const int half : {0, 1}) {
        EXPECT_EQ(button(art, place, static_cast<float>(half), half, true), "");
        EXPECT_EQ(button(art, place, static_cast<float>(half), half, false), "");
    }
}

TEST_F(ButtonPictureTest, AButtonWithoutBackgroundDrawsNothingAndIsCleanAfterwards) {
    Canvas canvas(250, 90);
    DrawContext context(nullptr, canvas.surface(), nullptr);
    auto* control = new OnOffButton(soloButton, nullptr, 14, nullptr);
    control->setValue(1.0f);
    control->draw(&context);
    EXPECT_FALSE(control->isDirty());
    control->release();
    EXPECT_FALSE(canvas.anyInk(0, 0, canvas.width, canvas.height));
}

TEST_F(ButtonPictureTest, MinusZeroAndPlusShowTheFirstSecondAndThirdPictureOfEachSwitch) {
    const struct {
        int id;
        Rect place;
    } switches[] = {{frequencySwitchArt, frequencySwitch}, {densitySwitchArt, densitySwitch}};
    for (const auto& s : switches) {
        const ArtworkPixels art(s.id);
        ASSERT_EQ(art.get()->getHeight(), 3 * s.place.height());
        ASSERT_TRUE(art.piecesDiffer({0, 0}, {0, 16}, 50, 16));
        ASSERT_TRUE(art.piecesDiffer({0, 16}, {0, 32}, 50, 16));
        ASSERT_TRUE(art.piecesDiffer({0, 0}, {0, 32}, 50, 16));
        EXPECT_EQ(stepSwitch(art, s.place, -1.0f, 0), "");
        EXPECT_EQ(stepSwitch(art, s.place, 0.0f, 1), "");
        EXPECT_EQ(stepSwitch(art, s.place, 1.0f, 2), "");
    }
}

TEST_F(ButtonPictureTest, ASwitchValueBetweenTheStepsShowsTheMinusPicture) {
    const ArtworkPixels art(frequencySwitchArt);
    for (const float value : {0.5f, -0.5f, 2.0f, 0.999f}) {
        EXPECT_EQ(stepSwitch(art, frequencySwitch, value, 0), "") << value;
    }
}

TEST_F(ButtonPictureTest, TheSwitchsOffsetAndFrameHeightPlaceEveryPictureInsideItsBitmap) {
    const ArtworkPixels art(filmstripArt);
    const Rect place{20, 30, 60, 46};
    for (const int k : {0, 1, 2}) {
        EXPECT_EQ(stepSwitch(art, place, static_cast<float>(k - 1), k, 14, {7, 4}), "") << k;
    }
}

TEST_F(ButtonPictureTest, ATransparentSwitchLetsKeyWhiteShowThrough) {
    const ArtworkPixels art(filmstripArt);
    for (const int k : {0, 1, 2}) {
        EXPECT_EQ(stepSwitch(art, frequencySwitch, static_cast<float>(k - 1), k, 16, {}, true), "")
            << k;
    }
}

TEST_F(ButtonPictureTest, ASwitchWithoutBackgroundDrawsNothingAndIsCleanAfterwards) {
    Canvas canvas(250, 90);
    DrawContext context(nullptr, canvas.surface(), nullptr);
    auto* control = new StepSwitch(frequencySwitch, nullptr, 17, 16, nullptr, {}, 0);
    control->setValue(1.0f);
    control->draw(&context);
    EXPECT_FALSE(control->isDirty());
    control->release();
    EXPECT_FALSE(canvas.anyInk(0, 0, canvas.width, canvas.height));
}

}  // namespace
