#include <gtest/gtest.h>

#include <string>

#include "gui/Fonts.h"
#include "gui/controls/AboutPopup.h"
#include "gui/controls/ImagePopup.h"
#include "tests/gui/ArtworkPixels.h"
#include "tests/gui/Canvas.h"
#include "tests/gui/TestPictures.h"

namespace {

// The editor's about screen: picture 1002 over the whole editor, the logo as click area and
// the version line in white, aligned left.
constexpr int aboutId = 1002;
constexpr Rect editorRect{0, 0, 330, 260};
constexpr Rect logoRect{10, 10, 100, 40};
constexpr Rect lineRect{56, 200, 140, 215};
const char* const versionLine = "Version: 1.0.0";

bool insideLine(int x, int y) {
    return x >= lineRect.left && x < lineRect.right && y >= lineRect.top && y < lineRect.bottom;
}

class PopupPictureTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (popup) popup->release();
        EXPECT_EQ(picture.get()->referenceCount(), 1);
    }

    AboutPopup* makeAbout(bool withLine = true) {
        popup = new AboutPopup(logoRect, nullptr, 0, picture.get(), editorRect, {0, 0});
        if (withLine) popup->setLine(versionLine, lineRect, colorWhite, textAlignLeft);
        return popup;
    }

    // The about picture with the line drawn straight through a context, as a reference.
    void drawReference(Canvas& reference, std::int32_t size, std::int32_t align) {
        DrawContext plain(nullptr, reference.surface(), nullptr);
        picture.get()->draw(&plain, editorRect);
        plain.setFont(fontNormal, size, 0);
        plain.setFontColor(colorWhite);
        plain.drawString(versionLine, lineRect, false, align);
    }

    ArtworkPixels picture{aboutId};
    Canvas canvas{330, 260};
    DrawContext context{nullptr, canvas.surface(), nullptr};
    AboutPopup* popup = nullptr;
};

TEST_F(PopupPictureTest, AClosedAboutScreenDrawsNothing) {
    makeAbout()->draw(&context);
    EXPECT_FALSE(canvas.anyInk(0, 0, canvas.width, canvas.height));
}

TEST_F(PopupPictureTest, AnOpenAboutScreenShowsThePictureWithTheLinesPixelsOnlyInsideItsArea) {
    makeAbout()->setValue(1.0f);
    popup->draw(&context);
    EXPECT_EQ(canvas.firstDifference(
                  [&](int x, int y) {
                      return insideLine(x, y) ? canvas.pixel(x, y) : picture.pixel(x, y);
                  },
                  "about_open"),
              "");
    int textPixels = 0;
    for (int y = lineRect.top; y < lineRect.bottom; ++y) {
        for (int x = lineRect.left; x < lineRect.right; ++x) {
            if (!canvas.pixel(x, y).sameRgb(picture.pixel(x, y))) {
                ++textPixels;
                // Aligned left starts one pixel inside the area.
                EXPECT_GT(x, lineRect.left) << "text pixel at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(textPixels, 40);
    EXPECT_FALSE(popup->isDirty());
}

TEST_F(PopupPictureTest, TheLineIsTheNormalFontAtTenPixelsInItsColourAndAlignment) {
    makeAbout()->setValue(1.0f);
    popup->draw(&context);
    Canvas reference(330, 260);
    drawReference(reference, 10, textAlignLeft);
    EXPECT_EQ(
        canvas.firstDifference([&](int x, int y) { return reference.pixel(x, y); }, "about_line"),
        "");

    // The comparison tells sizes and alignments apart.
    Canvas defaultSize(330, 260);
    drawReference(defaultSize, 0, textAlignLeft);
    Canvas centred(330, 260);
    drawReference(centred, 10, textAlignCenter);
    bool sizeShows = false;
    bool alignmentShows = false;
    for (int y = lineRect.top; y < lineRect.bottom; ++y) {
        for (int x = lineRect.left; x < lineRect.right; ++x) {
            sizeShows |= !defaultSize.pixel(x, y).sameRgb(canvas.pixel(x, y));
            alignmentShows |= !centred.pixel(x, y).sameRgb(canvas.pixel(x, y));
        }
    }
    EXPECT_TRUE(sizeShows);
    EXPECT_TRUE(alignmentShows);
}

TEST_F(PopupPictureTest, TheLineTakesTheColourItWasGiven) {
    makeAbout(false)->setLine(versionLine, lineRect, colorRed, textAlignLeft);
    popup->setValue(1.0f);
    popup->draw(&context);
    int red = 0;
    for (int y = lineRect.top; y < lineRect.bottom; ++y) {
        for (int x = lineRect.left; x < lineRect.right; ++x) {
            const Color c = canvas.pixel(x, y);
            if (c.sameRgb(picture.pixel(x, y))) continue;
            red += c.red > c.green + 60 && c.red > c.blue + 60;
        }
    }
    EXPECT_GT(red, 20);
}

TEST_F(PopupPictureTest, WithoutALineTheOpenAboutScreenIsThePictureAlone) {
    makeAbout(false)->setValue(1.0f);
    popup->draw(&context);
    EXPECT_EQ(
        canvas.firstDifference([&](int x, int y) { return picture.pixel(x, y); }, "about_bare"),
        "");
}

TEST_F(PopupPictureTest, AnImagePopupShowsItsPictureFromItsOffsetAndSeeThroughWhenAsked) {
    ArtworkPixels filmstrip(test_pictures::filmstripId);
    ImagePopup* image =
        new ImagePopup({0, 0, 4, 4}, nullptr, 0, filmstrip.get(), {5, 5, 25, 15}, {10, 20});
    image->setValue(1.0f);
    image->draw(&context);
    EXPECT_EQ(canvas.firstDifference(
                  [&](int x, int y) {
                      if (x < 5 || x >= 25 || y < 5 || y >= 15) return Canvas::paper;
                      return filmstrip.pixel(x - 5 + 10, y - 5 + 20);
                  },
                  "image_plain"),
              "");

    Canvas second(60, 40);
    DrawContext secondContext(nullptr, second.surface(), nullptr);
    image->setTransparent(true);
    image->draw(&secondContext);
    EXPECT_EQ(second.firstDifference(
                  [&](int x, int y) {
                      if (x < 5 || x >= 25 || y < 5 || y >= 15) return Canvas::paper;
                      const Color c = filmstrip.pixel(x - 5 + 10, y - 5 + 20);
                      return c.sameRgb(colorWhite) ? Canvas::paper : c;
                  },
                  "image_transparent"),
              "");
    image->release();
}

TEST_F(PopupPictureTest, AnImagePopupWithoutAPictureDrawsNothingAndEndsClean) {
    ImagePopup* image = new ImagePopup(logoRect, nullptr, 0, nullptr, editorRect, {0, 0});
    image->setValue(1.0f);
    image->draw(&context);
    EXPECT_FALSE(canvas.anyInk(0, 0, canvas.width, canvas.height));
    EXPECT_FALSE(image->isDirty());
    image->release();
}

class AboutLineTest : public ::testing::Test {
protected:
    void TearDown() override { popup->release(); }
    AboutPopup* popup = new AboutPopup(logoRect, nullptr, 0, nullptr, editorRect, {0, 0});
};

TEST_F(AboutLineTest, SettingTheLineAnswersItsLengthWithTheTerminator) {
    EXPECT_FALSE(popup->isLineShown());
    EXPECT_EQ(popup->setLine(versionLine, lineRect, colorWhite, textAlignLeft), 15);
    EXPECT_STREQ(popup->getLineText(), versionLine);
    EXPECT_EQ(popup->getLineRect(), lineRect);
    EXPECT_TRUE(popup->isLineShown());
    EXPECT_EQ(popup->setLine("", lineRect, colorWhite, textAlignLeft), 1);
    EXPECT_STREQ(popup->getLineText(), "");
}

TEST_F(AboutLineTest, ATextTooLongForTheLineIsCutToItsLastPlace) {
    const std::string longText(300, 'x');
    EXPECT_EQ(popup->setLine(longText.c_str(), lineRect, colorWhite, textAlignLeft), 128);
    EXPECT_EQ(std::string(popup->getLineText()), std::string(127, 'x'));
}

TEST_F(AboutLineTest, ANullTextChangesNothing) {
    popup->setLine(versionLine, lineRect, colorWhite, textAlignLeft);
    EXPECT_EQ(popup->setLine(nullptr, {0, 0, 1, 1}, colorRed, textAlignRight), 0);
    EXPECT_STREQ(popup->getLineText(), versionLine);
    EXPECT_EQ(popup->getLineRect(), lineRect);
    EXPECT_EQ(popup->getLineAlign(), textAlignLeft);
}

}  // namespace
