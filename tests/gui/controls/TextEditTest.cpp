#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "gui/Frame.h"
#include "gui/GuiEditor.h"
#include "gui/controls/ValueEdit.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessScript.h"
#include "tests/support/HostWindowTest.h"

namespace {

namespace headless = platform::headless;
using platform::Key;

void oneDecimal(float value, char* out) { std::sprintf(out, "%.1f", value); }
void noDecimals(float value, char* out) { std::sprintf(out, "%.0f", value); }

// Reads the value at each notification, as the editor does, and notes what else it sees then.
struct Notification {
    Control* control;
    float value;
    bool canDraw;
    platform::Window* focus;
};

class RecordingListener : public ControlListener {
public:
    void valueChanged(DrawContext* context, Control* control) override {
        heard.push_back({control, control->getValue(), context && context->getSurface(),
                         headless::focusWindow()});
    }
    std::vector<Notification> heard;
};

// A frame at (100, 50) on the screen with the editor's number fields in it.
class TextEditTest : public HostWindowTest {
protected:
    void SetUp() override {
        objectsBefore = headless::liveObjectCount();
        HostWindowTest::SetUp();
    }

    void TearDown() override {
        HostWindowTest::TearDown();
        EXPECT_EQ(headless::liveObjectCount(), objectsBefore) << "a font or brush was left";
    }

    ValueEdit* number(const Rect& r, float min, float max, ValueToText format = oneDecimal,
                      std::int32_t style = 0) {
        if (!frame) openFrame();
        ValueEdit* field = new ValueEdit(r, &listener, 6, nullptr, nullptr, style);
        field->setFont(fontTiny);
        field->setValueToText(format);
        field->setMax(max);
        field->setMin(min);
        field->setValue(-min / (max - min));
        frame->addView(field);
        return field;
    }
    ValueEdit* inputNumber(std::int32_t style = 0) {
        return number(editor_layout::numberFields[0], -20.0f, 6.0f, oneDecimal, style);
    }

    std::string text(TextEdit* edit) {
        char out[256];
        edit->getText(out);
        return out;
    }

    std::string fieldText(TextEdit* edit) {
        char out[256] = {};
        platform::windowText(edit->getEditWindow(), out, sizeof out);
        return out;
    }

    bool isOpen(TextEdit* edit) {
        return edit->getEditWindow() && headless::focusWindow() == edit->getEditWindow() &&
               frame->getFocusView() == edit;
    }

    RecordingListener listener;
    int objectsBefore = 0;
};

TEST_F(TextEditTest, AClickOpensAFieldOnePixelLargerThanTheBoxWithTheTextAndTheBoxFont) {
    ValueEdit* input = inputNumber();
    click(40, 208);
    ASSERT_TRUE(isOpen(input));
    platform::PixelRect screen{};
    ASSERT_TRUE(platform::windowScreenRect(input->getEditWindow(), screen));
    EXPECT_EQ(screen.left, 133);
    EXPECT_EQ(screen.top, 254);
    EXPECT_EQ(screen.right, 157);
    EXPECT_EQ(screen.bottom, 264);
    EXPECT_EQ(fieldText(input), "0.0");

    platform::FontDescription font;
    ASSERT_TRUE(platform::describeFont(input->getEditFont(), font));
    EXPECT_EQ(font.height, -9);
    EXPECT_STREQ(font.faceName, "Arial");
    EXPECT_EQ(font.weight, 400);
    EXPECT_EQ(font.pitchAndFamily, 0x22);
    EXPECT_EQ(font.outputPrecision, 1);
    EXPECT_EQ(font.clipPrecision, 2);
    EXPECT_EQ(font.charSet, 0);
    EXPECT_TRUE(listener.heard.empty());
}

TEST_F(TextEditTest, ANumberTypedWithACommaAndEnterNotifiesWithTheValueAndClosesTheField) {
    ValueEdit* input = inputNumber();
    click(40, 208);
    headless::typeText("1,5");
    headless::pressEnter();
    ASSERT_EQ(listener.heard.size(), 1u);
    EXPECT_EQ(listener.heard[0].control, input);
    EXPECT_FLOAT_EQ(listener.heard[0].value, 21.5f / 26.0f);
    EXPECT_TRUE(listener.heard[0].canDraw);
    EXPECT_EQ(input->getEditWindow(), nullptr);
    EXPECT_EQ(headless::focusWindow(), nullptr);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(text(input), "1.5");
    EXPECT_FALSE(input->isDirty()) << "the closed field is drawn";
}

TEST_F(TextEditTest, LettersGiveTheBottomOfTheRangeAndTooLargeANumberTheTop) {
    ValueEdit* frequency = number({111, 63, 152, 73}, 1000.0f, 7000.0f, noDecimals);
    ValueEdit* input = inputNumber();
    click(120, 68);
    headless::typeText("abc");
    headless::pressEnter();
    click(40, 208);
    headless::typeText("99");
    headless::pressEnter();
    ASSERT_EQ(listener.heard.size(), 2u);
    EXPECT_EQ(listener.heard[0].control, frequency);
    EXPECT_EQ(listener.heard[0].value, 0.0f);
    EXPECT_EQ(frequency->getPlainValue(), 1000.0f);
    EXPECT_EQ(listener.heard[1].control, input);
    EXPECT_EQ(listener.heard[1].value, 1.0f);
    EXPECT_EQ(input->getPlainValue(), 6.0f);
}

TEST_F(TextEditTest, ClosingWithTheTextUnchangedDrawsTheBoxButTellsNobody) {
    ValueEdit* input = inputNumber();
    ASSERT_FALSE(windowPixel(56, 213).sameRgb(colorBlack));
    click(40, 208);
    headless::pressEnter();
    click(40, 208);
    headless::typeText("0.0");
    headless::pressEnter();
    EXPECT_TRUE(listener.heard.empty());
    EXPECT_EQ(input->getEditWindow(), nullptr);
    EXPECT_TRUE(windowPixel(56, 213).sameRgb(colorBlack)) << "box not drawn";
}

TEST_F(TextEditTest, LosingTheKeyboardFocusClosesTheFieldAndKeepsWhatWasTyped) {
    ValueEdit* input = inputNumber();
    click(40, 208);
    headless::typeText("-3");
    headless::setFocus(host);
    ASSERT_EQ(listener.heard.size(), 1u);
    EXPECT_FLOAT_EQ(listener.heard[0].value, 17.0f / 26.0f);
    EXPECT_EQ(input->getEditWindow(), nullptr);
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

TEST_F(TextEditTest, ClickingASecondFieldClosesTheFirstBeforeTheSecondOpens) {
    ValueEdit* input = inputNumber();
    ValueEdit* gain = number(editor_layout::numberFields[1], -20.0f, 6.0f);
    click(40, 208);
    headless::typeText("2");
    click(80, 208);
    ASSERT_EQ(listener.heard.size(), 1u);
    EXPECT_EQ(listener.heard[0].control, input);
    EXPECT_EQ(listener.heard[0].focus, nullptr) << "the second field was open already";
    EXPECT_EQ(input->getEditWindow(), nullptr);
    EXPECT_TRUE(isOpen(gain));
    EXPECT_EQ(fieldText(gain), "0.0");
}

TEST_F(TextEditTest, AClickBesideTheFieldOrAFocusGivenToAnotherViewClosesIt) {
    ValueEdit* input = inputNumber();
    ValueEdit* mix = number({185, 204, 206, 213}, 0.0f, 100.0f);
    click(40, 208);
    headless::typeText("4");
    click(300, 20);
    EXPECT_EQ(input->getEditWindow(), nullptr);
    ASSERT_EQ(listener.heard.size(), 1u);

    click(40, 208);
    headless::typeText("5");
    frame->setFocusView(mix);
    EXPECT_EQ(input->getEditWindow(), nullptr) << "a field left open outside the focus";
    ASSERT_EQ(listener.heard.size(), 2u);
    EXPECT_FLOAT_EQ(listener.heard[1].value, 25.0f / 26.0f);
    frame->setFocusView(nullptr);
}

TEST_F(TextEditTest, OnlyALeftClickOnAnEnabledFieldOpensItAndOnlyOnce) {
    ValueEdit* input = inputNumber();
    click(40, 208, Key::rightButton);
    EXPECT_EQ(input->getEditWindow(), nullptr);
    input->setMouseEnabled(false);
    DrawContext context(frame, nullptr, window);
    headless::setKeyDown(Key::leftButton, true);
    input->onMouse(&context, {40, 208});
    EXPECT_EQ(input->getEditWindow(), nullptr);
    input->setMouseEnabled(true);
    input->onMouse(&context, {40, 208});
    platform::Window* opened = input->getEditWindow();
    input->onMouse(&context, {40, 208});
    headless::setKeyDown(Key::leftButton, false);
    EXPECT_NE(opened, nullptr);
    EXPECT_EQ(input->getEditWindow(), opened);
}

TEST_F(TextEditTest, TheOpenFieldIsPaintedInTheControlsColoursAndAlignment) {
    openFrame();
    for (std::int32_t align : {textAlignLeft, textAlignRight}) {
        TextEdit* edit = new TextEdit({10, 10, 110, 30}, &listener, 1, "1", nullptr, 0);
        edit->setBackColor(Color{0, 0, 128, 0});
        edit->setFontColor(colorYellow);
        edit->setTextAlign(align);
        frame->addView(edit);
        click(20, 20);
        ASSERT_TRUE(isOpen(edit));
        platform::dispatchPendingMessages();
        platform::Surface* surface = platform::acquireWindowSurface(edit->getEditWindow());
        EXPECT_EQ(platform::pixelAt(surface, 0, 0), platform::makeNativeColor(0, 0, 128));
        int leftInk = 0;
        int rightInk = 0;
        for (int y = 0; y < 21; ++y) {
            for (int x = 0; x < 101; ++x) {
                if (platform::pixelAt(surface, x, y) == platform::makeNativeColor(0, 0, 128))
                    continue;
                (x < 50 ? leftInk : rightInk) += 1;
            }
        }
        platform::releaseWindowSurface(edit->getEditWindow(), surface);
        EXPECT_EQ(align == textAlignLeft ? rightInk : leftInk, 0) << "align " << align;
        EXPECT_GT(leftInk + rightInk, 0);
        headless::pressEnter();
        frame->removeView(edit, true);
    }
}

TEST_F(TextEditTest, WithTheDoubleClickStyleTwoClicksWithinTheDoubleClickTimeOpenTheField) {
    GuiEditor editor(nullptr);
    openFrame(&editor);
    ValueEdit* input = inputNumber(ValueDisplay::styleDoubleClick);
    click(40, 208);
    EXPECT_EQ(input->getEditWindow(), nullptr);
    headless::advanceTime(499);
    click(40, 208);
    EXPECT_TRUE(isOpen(input));
    headless::pressEnter();

    // Too slow: the pair is dropped, and the third click starts a new one.
    click(40, 208);
    headless::advanceTime(500);
    click(40, 208);
    EXPECT_EQ(input->getEditWindow(), nullptr);
    headless::advanceTime(100);
    click(40, 208);
    EXPECT_EQ(input->getEditWindow(), nullptr);
    headless::advanceTime(100);
    click(40, 208);
    EXPECT_TRUE(isOpen(input));
    headless::pressEnter();
    closeFrame();
}

TEST_F(TextEditTest, ADoubleClickCountsWhenItsDeadlineLiesPastTheWrapOfTheClockOrItStartsAtZero) {
    GuiEditor editor(nullptr);
    openFrame(&editor);
    ValueEdit* input = inputNumber(ValueDisplay::styleDoubleClick);
    headless::setTime(0xFFFFFF00u);
    click(40, 208);
    headless::advanceTime(0x80);
    click(40, 208);
    EXPECT_TRUE(isOpen(input)) << "128 ms apart, 256 ms before the wrap";
    headless::pressEnter();
    headless::setTime(0);
    click(40, 208);
    headless::advanceTime(10);
    click(40, 208);
    EXPECT_TRUE(isOpen(input)) << "first click at tick 0";
    headless::pressEnter();
    closeFrame();
}

TEST_F(TextEditTest, WithoutAnEditorTheDoubleClickStyleOpensOnOneClick) {
    ValueEdit* input = inputNumber(ValueDisplay::styleDoubleClick);
    click(40, 208);
    EXPECT_TRUE(isOpen(input));
}

TEST_F(TextEditTest, ClosingTheEditorOrLosingTheWindowWithAFieldOpenLeavesNothingBehind) {
    inputNumber();
    click(40, 208);
    headless::typeText("1");
    closeFrame();
    EXPECT_EQ(headless::focusWindow(), nullptr);
    EXPECT_EQ(listener.heard.size(), 1u);

    ValueEdit* input = inputNumber();
    click(40, 208);
    platform::destroyWindow(host);
    host = nullptr;
    EXPECT_EQ(input->getEditWindow(), nullptr);
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

}  // namespace
