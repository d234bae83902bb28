#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "editor/EditorLayout.h"
#include "gui/controls/ValueEdit.h"

namespace {

void oneDecimal(float value, char* out) { std::sprintf(out, "%.1f", value); }
void noDecimals(float value, char* out) { std::sprintf(out, "%.0f", value); }
void tagged(float value, char* out, std::int32_t userData) {
    std::sprintf(out, "%d:%.0f", userData, value);
}

// A number field as the editor builds it: no text, no bitmap, style 0, a formatter, a range.
class ValueEditTest : public ::testing::Test {
protected:
    ValueEdit* field(float min, float max, ValueToText format = oneDecimal) {
        ValueEdit* edit =
            new ValueEdit(editor_layout::numberFields[0], nullptr, 6, nullptr, nullptr, 0);
        edit->setValueToText(format);
        edit->setMax(max);
        edit->setMin(min);
        fields.push_back(edit);
        return edit;
    }
    std::string text(ValueEdit* edit) {
        char out[256];
        edit->getText(out);
        return out;
    }
    void TearDown() override {
        for (ValueEdit* edit : fields) edit->release();
    }

    std::vector<ValueEdit*> fields;
};

TEST_F(ValueEditTest, ANormalisedValueIsShownAndKeptInPlainUnits) {
    ValueEdit* gain = field(-20.0f, 6.0f);
    gain->setValue(23.5f / 26.0f);
    EXPECT_EQ(text(gain), "3.5");
    EXPECT_FLOAT_EQ(gain->getPlainValue(), 3.5f);
    EXPECT_FLOAT_EQ(gain->getValue(), 23.5f / 26.0f);
    gain->setPlainValue(-20.0f);
    EXPECT_EQ(text(gain), "-20.0");
    EXPECT_EQ(gain->getValue(), 0.0f);
}

TEST_F(ValueEditTest, ACommaIsReadAsTheDecimalPointAndTheStoredTextGetsThePoint) {
    ValueEdit* gain = field(-20.0f, 6.0f);
    gain->setText("3,5");
    EXPECT_FLOAT_EQ(gain->getValue(), 23.5f / 26.0f);
    EXPECT_EQ(text(gain), "3.5");
}

TEST_F(ValueEditTest, TextWithoutANumberReadsAsZeroAndIsClampedIntoTheRange) {
    ValueEdit* frequency = field(1000.0f, 7000.0f, noDecimals);
    for (const char* typed : {"abc", "", "nan", "-"}) {
        frequency->setText(typed);
        EXPECT_EQ(frequency->getValue(), 0.0f) << typed;
        EXPECT_EQ(frequency->getPlainValue(), 1000.0f) << typed;
    }
    ValueEdit* gain = field(-20.0f, 6.0f);
    gain->setText("nan");
    EXPECT_FLOAT_EQ(gain->getValue(), 20.0f / 26.0f) << "nan reads as 0, not as a number";
    gain->setText("2abc");
    EXPECT_EQ(gain->getPlainValue(), 2.0f) << "the number in front counts";
}

TEST_F(ValueEditTest, ValuesBeyondTheRangeAreClampedWhetherTypedOrSet) {
    ValueEdit* gain = field(-20.0f, 6.0f);
    gain->setText("99");
    EXPECT_EQ(gain->getValue(), 1.0f);
    EXPECT_EQ(gain->getPlainValue(), 6.0f);
    gain->setText("-1e9");
    EXPECT_EQ(gain->getValue(), 0.0f);
    gain->setText("inf");
    EXPECT_EQ(gain->getPlainValue(), 6.0f);
    gain->setValue(1.5f);
    EXPECT_EQ(text(gain), "6.0");
    gain->setValue(-0.5f);
    EXPECT_EQ(text(gain), "-20.0");
    gain->setPlainValue(99.0f);
    EXPECT_EQ(text(gain), "6.0");
}

TEST_F(ValueEditTest, SettingTheValueItAlreadyShowsLeavesTheFieldClean) {
    ValueEdit* gain = field(-20.0f, 6.0f);
    gain->setValue(0.5f);
    gain->setDirty(false);
    gain->setValue(0.5f);
    EXPECT_FALSE(gain->isDirty());
    gain->setValue(0.75f);
    EXPECT_TRUE(gain->isDirty());
}

TEST_F(ValueEditTest, TheFormatterWithUserDataServesWhenThePlainOneIsMissingAndNoneLeavesNoText) {
    ValueEdit* density = field(0.0f, 6.0f, nullptr);
    density->setValue(0.5f);
    EXPECT_EQ(text(density), "");
    EXPECT_EQ(density->getPlainValue(), 0.0f) << "the empty text reads as 0";
    density->setPlainToText2(tagged, 8);
    density->setValue(0.5f);
    EXPECT_EQ(text(density), "8:3");
    density->setValueToText(noDecimals);
    density->setValue(1.0f);
    EXPECT_EQ(text(density), "6");
}

TEST_F(ValueEditTest, AnEmptyRangeAnswersZeroRatherThanNotANumber) {
    ValueEdit* stuck = field(5.0f, 5.0f);
    stuck->setText("5");
    EXPECT_EQ(stuck->getValue(), 0.0f);
}

}  // namespace
