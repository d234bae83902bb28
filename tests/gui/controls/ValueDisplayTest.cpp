#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "editor/EditorLayout.h"
#include "gui/Bitmap.h"
#include "gui/controls/ValueEdit.h"
#include "tests/gui/Canvas.h"
#include "tests/gui/TestPictures.h"

namespace {

const Color back = rgb(0, 0, 200);
const Color outline = rgb(200, 200, 0);
const Color ink = rgb(250, 250, 250);

void oneDecimal(float value, char* out) { std::sprintf(out, "%.1f", value); }

// A box whose every pixel a test can name: the outline, the inside and the paper around it.
struct Box {
    Rect r;
    bool onOutline(int x, int y) const {
        return inside(x, y) && (x == r.left || x == r.right || y == r.top || y == r.bottom);
    }
    bool inside(int x, int y) const { return r.contains({x, y}); }
    // Where text may land: drawString clips to the box without its right and bottom edges.
    bool inTextArea(int x, int y) const {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    }
};

class ValueDisplayPictureTest : public ::testing::Test {
protected:
    template <class T>
    T* styled(T* display) {
        display->setBackColor(back);
        display->setFrameColor(outline);
        display->setFontColor(ink);
        return display;
    }

    void draw(View* view, Canvas& on) {
        DrawContext context(nullptr, on.surface(), nullptr);
        view->draw(&context);
    }

    // The first pixel that differs between two canvases, or "" when none does; fills where.
    static std::string compare(const Canvas& a, const Canvas& b, const char* name) {
        return a.firstDifference([&b](int x, int y) { return b.pixel(x, y); }, name);
    }

    // Without saving pictures: for pairs that must differ.
    static bool differ(const Canvas& a, const Canvas& b) {
        return a.differenceCount([&b](int x, int y) { return b.pixel(x, y); }) > 0;
    }

    Canvas canvas{120, 60};
    const Box box{{10, 10, 90, 40}};
};

TEST_F(ValueDisplayPictureTest, TheEditorsNumberFieldIsABlackBoxWithBlackEdgesAndItsTextInside) {
    ValueEdit* field =
        new ValueEdit(editor_layout::numberFields[0], nullptr, 6, nullptr, nullptr, 0);
    field->setFont(fontTiny);
    field->setValueToText(oneDecimal);
    field->setMax(6.0f);
    field->setMin(-20.0f);
    field->setValue(20.0f / 26.0f);
    Canvas number(80, 230);
    draw(field, number);
    EXPECT_FALSE(field->isDirty());
    field->release();

    // Paper outside, black on the right and bottom edges, and text of any colour but the
    // paper's inside.
    const Box numberBox{editor_layout::numberFields[0]};
    const auto blackBox = [&](int x, int y) {
        return numberBox.inside(x, y) ? colorBlack : Canvas::paper;
    };
    EXPECT_EQ(number.firstDifference(
                  [&](int x, int y) {
                      const Color have = number.pixel(x, y);
                      const bool text = numberBox.inTextArea(x, y) && !have.sameRgb(Canvas::paper);
                      return text ? have : blackBox(x, y);
                  },
                  "number_field"),
              "");
    EXPECT_GT(number.differenceCount(blackBox), 0) << "no text in the box";
}

TEST_F(ValueDisplayPictureTest,
       WithoutTextTheBoxIsFilledInTheBackColourAndOutlinedInTheFrameColour) {
    ValueDisplay* display = styled(new ValueDisplay(box.r, nullptr, ValueDisplay::styleNoText));
    draw(display, canvas);
    display->release();
    EXPECT_EQ(canvas.firstDifference(
                  [this](int x, int y) {
                      if (box.onOutline(x, y)) return outline;
                      return box.inside(x, y) ? back : Canvas::paper;
                  },
                  "value_display_box"),
              "");
}

TEST_F(ValueDisplayPictureTest,
       TheTextChangesOnlyPixelsInsideTheBoxAndLeavesItsRightAndBottomEdges) {
    ValueDisplay* bare = styled(new ValueDisplay(box.r, nullptr, ValueDisplay::styleNoText));
    ValueDisplay* shown = styled(new ValueDisplay(box.r, nullptr, 0));
    shown->setValue(12.5f);
    Canvas boxOnly(120, 60);
    draw(bare, boxOnly);
    draw(shown, canvas);
    bare->release();
    shown->release();
    const auto unchanged = [&](int x, int y) { return boxOnly.pixel(x, y); };
    EXPECT_EQ(canvas.firstDifference(
                  [&](int x, int y) {
                      return box.inTextArea(x, y) ? canvas.pixel(x, y) : boxOnly.pixel(x, y);
                  },
                  "text_outside_its_area"),
              "");
    EXPECT_GT(canvas.differenceCount(unchanged), 10);
}

TEST_F(ValueDisplayPictureTest, ABevelReplacesTheOutlineAndSunkenWinsOverRaised) {
    struct Case {
        std::int32_t style;
        Color topLeft;
        Color bottomRight;
    };
    for (const Case& c :
         {Case{ValueDisplay::styleSunken, back, outline},
          Case{ValueDisplay::styleRaised, outline, back},
          Case{ValueDisplay::styleSunken | ValueDisplay::styleRaised, back, outline}}) {
        Canvas picture(120, 60);
        ValueDisplay* display =
            styled(new ValueDisplay(box.r, nullptr, c.style | ValueDisplay::styleNoText));
        draw(display, picture);
        display->release();
        const Rect& r = box.r;
        EXPECT_EQ(picture.firstDifference(
                      [&](int x, int y) {
                          if (!box.inside(x, y)) return Canvas::paper;
                          if (x == r.left || y == r.top) return c.topLeft;
                          if (x == r.right || y == r.bottom) return c.bottomRight;
                          return back;
                      },
                      "value_display_bevel"),
                  "")
            << "style " << c.style;
    }
}

TEST_F(ValueDisplayPictureTest, ANoDrawDisplayStartsCleanDrawsNothingAndStaysClean) {
    ValueDisplay* display = new ValueDisplay(box.r, nullptr, ValueDisplay::styleNoDraw);
    EXPECT_FALSE(display->isDirty());
    display->setValue(3.0f);
    draw(display, canvas);
    EXPECT_FALSE(display->isDirty());
    display->release();
    EXPECT_FALSE(canvas.anyInk(0, 0, canvas.width, canvas.height));
}

TEST_F(ValueDisplayPictureTest, ATransparentDisplayWithoutBitmapDrawsOnlyItsText) {
    ValueDisplay* display = styled(new ValueDisplay(box.r, nullptr, 0));
    display->setTransparent(true);
    display->setValue(0.25f);
    draw(display, canvas);
    EXPECT_TRUE(canvas.anyInk(box.r.left, box.r.top, box.r.right, box.r.bottom));
    EXPECT_TRUE(canvas.pixel(box.r.right, box.r.bottom).sameRgb(Canvas::paper));
    EXPECT_TRUE(canvas.pixel(box.r.left, box.r.top).sameRgb(Canvas::paper));

    Canvas noText(120, 60);
    display->setStyle(ValueDisplay::styleNoText);
    draw(display, noText);
    display->release();
    EXPECT_FALSE(noText.anyInk(0, 0, noText.width, noText.height));
}

TEST_F(ValueDisplayPictureTest,
       ABackgroundBitmapFillsTheBoxFromItsOffsetAndSeeThroughWhenTransparent) {
    Bitmap* picture = new Bitmap(test_pictures::filmstripId);
    ASSERT_EQ(picture->getWidth(), 50);
    const Rect r{5, 5, 45, 25};
    for (bool transparent : {false, true}) {
        Canvas drawn(60, 40);
        ValueDisplay* display = new ValueDisplay(r, picture, ValueDisplay::styleNoText);
        EXPECT_EQ(picture->referenceCount(), 2);
        display->setBackgroundOffset({3, 7});
        display->setTransparent(transparent);
        draw(display, drawn);
        display->release();
        EXPECT_EQ(drawn.firstDifference(
                      [&](int x, int y) {
                          if (x < r.left || x >= r.right || y < r.top || y >= r.bottom)
                              return Canvas::paper;
                          const Color source =
                              test_pictures::filmstripPixel(x - r.left + 3, y - r.top + 7);
                          const bool seeThrough = transparent && source.sameRgb(colorWhite);
                          return seeThrough ? Canvas::paper : source;
                      },
                      "value_display_bitmap"),
                  "")
            << (transparent ? "transparent" : "opaque");
    }
    EXPECT_EQ(picture->referenceCount(), 1);
    picture->release();
}

TEST_F(ValueDisplayPictureTest, AShadowIsTheTextDrawnFirstOnePixelRightAndDownInTheShadowColour) {
    // Transparent displays draw their text alone, so the shadowed one must equal the text drawn
    // twice: in the shadow colour one pixel right and down, then in the font colour in place.
    ValueDisplay* shadowed = new ValueDisplay(box.r, nullptr, ValueDisplay::styleShadowedText);
    ValueDisplay* under = new ValueDisplay(box.r.movedBy({1, 1}), nullptr, 0);
    ValueDisplay* over = new ValueDisplay(box.r, nullptr, 0);
    for (ValueDisplay* display : {shadowed, under, over}) {
        display->setTransparent(true);
        display->setValue(8.0f);
        display->setFontColor(ink);
    }
    shadowed->setShadowColor(outline);
    under->setFontColor(outline);
    draw(shadowed, canvas);
    Canvas twice(120, 60);
    draw(under, twice);
    draw(over, twice);
    Canvas once(120, 60);
    draw(over, once);
    for (ValueDisplay* display : {shadowed, under, over}) display->release();
    EXPECT_EQ(compare(canvas, twice, "value_display_shadow"), "");
    EXPECT_TRUE(differ(canvas, once)) << "no shadow drawn";
}

float seenValue;
std::int32_t seenUserData;
void withUserData(float value, char* out, std::int32_t userData) {
    seenValue = value;
    seenUserData = userData;
    std::strcpy(out, "0.50");
}
void unwanted(float, char* out) { std::strcpy(out, "unwanted"); }
void unwantedWithData(float, char* out, std::int32_t) { std::strcpy(out, "unwanted"); }
void twoDecimals(float value, char* out) { std::sprintf(out, "%.2f", value); }
void plainText(const char* text, char* out) { std::strcpy(out, text); }
void fixedText(const char*, char* out, std::int32_t) { std::strcpy(out, "0.50"); }

TEST_F(ValueDisplayPictureTest, EachControlShowsTheTextOfItsOwnPreferredFormatter) {
    // The reference: "0.50" through a plain formatter.
    ValueDisplay* reference = styled(new ValueDisplay(box.r, nullptr, 0));
    reference->setValue(0.5f);
    reference->setValueToText(twoDecimals);
    draw(reference, canvas);
    reference->release();

    ValueDisplay* display = styled(new ValueDisplay(box.r, nullptr, 0));
    display->setValue(0.5f);
    Canvas unformatted(120, 60);
    draw(display, unformatted);
    EXPECT_EQ(compare(unformatted, canvas, "display_default_format"), "") << "%2.2f";
    display->setValueToText(unwanted);
    display->setValueToText2(withUserData, 42);
    Canvas both(120, 60);
    draw(display, both);
    display->release();
    EXPECT_EQ(compare(both, canvas, "display_formatter_with_data"), "");
    EXPECT_EQ(seenValue, 0.5f);
    EXPECT_EQ(seenUserData, 42);

    TextEdit* edit = styled(new TextEdit(box.r, nullptr, 1, "0.50", nullptr, 0));
    Canvas asText(120, 60);
    draw(edit, asText);
    EXPECT_EQ(compare(asText, canvas, "text_edit_plain"), "");
    edit->setText("x");
    edit->setTextToText(plainText);
    edit->setTextToText2(fixedText, 0);
    Canvas converted(120, 60);
    draw(edit, converted);
    edit->release();
    EXPECT_EQ(compare(converted, canvas, "text_edit_converter_with_data"), "");

    // A value edit prefers the plain formatter, and shows the value, not what was typed.
    ValueEdit* value = styled(new ValueEdit(box.r, nullptr, 1, nullptr, nullptr, 0));
    value->setPlainToText2(unwantedWithData, 7);
    value->setValueToText(twoDecimals);
    value->setMax(2.0f);
    value->setValue(0.25f);
    value->setText("typed");
    Canvas number(120, 60);
    draw(value, number);
    value->release();
    EXPECT_EQ(compare(number, canvas, "value_edit_plain_formatter"), "");
}

TEST_F(ValueDisplayPictureTest, SettersDirtyTheControlOnlyWhenTheyChangeSomething) {
    TextEdit* edit = new TextEdit(box.r, nullptr, 1, "abc", nullptr, 0);
    auto expectDirtied = [edit](bool expected, const char* what) {
        EXPECT_EQ(edit->isDirty(), expected) << what;
        edit->setDirty(false);
    };
    edit->setDirty(false);
    edit->setFont(fontNormal);
    expectDirtied(false, "same font");
    edit->setFont(fontTiny);
    expectDirtied(true, "font");
    edit->setFontColor(Color{255, 255, 255, 9});
    expectDirtied(false, "same RGB, other fourth byte");
    edit->setBackColor(colorRed);
    expectDirtied(true, "back colour");
    edit->setTextAlign(textAlignCenter);
    expectDirtied(false, "same alignment");
    edit->setStyle(ValueDisplay::styleSunken);
    expectDirtied(true, "style");
    edit->setText("abc");
    expectDirtied(false, "same text");
    edit->setText(nullptr);
    expectDirtied(false, "null text");
    edit->setText("abd");
    expectDirtied(true, "text");
    edit->release();
}

TEST_F(ValueDisplayPictureTest, AnOverlongTextIsCutTo255Characters) {
    const std::string longText(300, 'x');
    TextEdit* edit = new TextEdit(box.r, nullptr, 1, longText.c_str(), nullptr, 0);
    char out[256];
    edit->getText(out);
    EXPECT_EQ(std::strlen(out), 255u);
    edit->setText("");
    edit->setText(longText.c_str());
    edit->getText(out);
    EXPECT_EQ(std::string(out), longText.substr(0, 255));
    edit->release();
}

}  // namespace
