#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/ComCtrls.h"

namespace {

class DateTimePickerTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    savedDate = ShortDateFormat;
    savedTime = LongTimeFormat;
    savedDateSep = DateSeparator;
    savedTimeSep = TimeSeparator;
    ShortDateFormat = "dd/mm/yyyy";
    LongTimeFormat = "hh:nn:ss";
    DateSeparator = '/';
    TimeSeparator = ':';
  }
  void TearDown() override {
    ShortDateFormat = savedDate;
    LongTimeFormat = savedTime;
    DateSeparator = savedDateSep;
    TimeSeparator = savedTimeSep;
    ControlsTest::TearDown();
  }
  TDateTimePicker* MakePicker(TDateTimeKind kind = dtkDate) {
    picker = Add<TDateTimePicker>(10, 10, 160, 21);
    picker->SetKind(kind);
    picker->SetDateTime(EncodeDate(2026, 1, 31) + EncodeTime(9, 5, 0, 0));
    picker->OnChange = [this](TObject*) { ++changes; };
    ShowForm();
    return picker;
  }
  AnsiString savedDate, savedTime;
  char savedDateSep = '/', savedTimeSep = ':';
  TDateTimePicker* picker = nullptr;
  int changes = 0;
};

TEST_F(DateTimePickerTest, TypingADateFillsTheFieldsInTurn) {
  MakePicker();
  EXPECT_EQ(picker->Text(), "31/01/2026");
  backend->Type("15");
  EXPECT_EQ(picker->SelectedField(), 2);  // on to the month
  backend->Type("3");                     // 3: no month 3x, so the field is full
  EXPECT_EQ(picker->SelectedField(), 4);
  backend->Type("1999");
  EXPECT_EQ(picker->Text(), "15/03/1999");
  EXPECT_EQ(picker->Date(), EncodeDate(1999, 3, 15));
  EXPECT_NEAR(picker->Time(), EncodeTime(9, 5, 0, 0), 1e-9);  // the time stays
  EXPECT_GE(changes, 3);
}

TEST_F(DateTimePickerTest, SeparatorsMoveOnAndTwoDigitYearsTakeTheirCentury) {
  MakePicker();
  backend->Type("4/7/");
  EXPECT_EQ(picker->Text(), "04/07/2026");
  backend->Type("98");
  auto* other = Add<TButton>(10, 50, 75, 25);
  other->SetFocus();
  EXPECT_EQ(picker->Date(), EncodeDate(1998, 7, 4));
}

TEST_F(DateTimePickerTest, ArrowsStepAFieldWithinItsRangeAndKeepTheDayValid) {
  MakePicker();
  backend->PressKey(VK_UP);  // day 31 goes round to 1
  EXPECT_EQ(picker->Text(), "01/01/2026");
  backend->PressKey(VK_DOWN);
  backend->PressKey(VK_RIGHT);
  backend->PressKey(VK_UP);  // January 31 + a month: February 28
  EXPECT_EQ(picker->Text(), "28/02/2026");
  backend->PressKey(VK_LEFT);
  backend->PressKey(VK_END);
  EXPECT_EQ(picker->Text(), "28/02/2026");
  backend->PressKey(VK_HOME);
  EXPECT_EQ(picker->Text(), "01/02/2026");
}

TEST_F(DateTimePickerTest, BoundsHoldTheDate) {
  MakePicker();
  picker->MinDate = EncodeDate(2026, 1, 10);
  picker->MaxDate = EncodeDate(2026, 6, 30);
  backend->Type("05");
  EXPECT_EQ(picker->Date(), EncodeDate(2026, 1, 10));
  backend->Type("12");  // the month
  EXPECT_EQ(picker->Date(), EncodeDate(2026, 6, 30));
}

TEST_F(DateTimePickerTest, TimeKindTypesAndStepsWithItsUpDownButtons) {
  MakePicker(dtkTime);
  EXPECT_EQ(picker->Text(), "09:05:00");
  backend->Type("23");
  backend->Type("7");
  EXPECT_EQ(picker->Text(), "23:07:00");
  backend->PressKey(VK_UP);
  EXPECT_EQ(picker->Text(), "23:07:01");
  EXPECT_FALSE(picker->DroppedDown());
  backend->PressKey(VK_F4);  // no calendar for a time
  EXPECT_FALSE(picker->DroppedDown());
  EXPECT_EQ(picker->Date(), EncodeDate(2026, 1, 31));
}

TEST_F(DateTimePickerTest, TimeFormatsWithADesignatorShowTwentyFourHours) {
  LongTimeFormat = "h:nn:ss AMPM";
  MakePicker(dtkTime);
  EXPECT_EQ(picker->Text(), "9:05:00");
  picker->SetTime(EncodeTime(21, 30, 0, 0));
  EXPECT_EQ(picker->Text(), "21:30:00");
  EXPECT_EQ(picker->FieldCount(), 5);
}

TEST_F(DateTimePickerTest, CheckBoxGreysTheValueAndSpaceTogglesIt) {
  MakePicker();
  picker->SetShowCheckbox(true);
  backend->PressKey(VK_SPACE);
  backend->Type(" ");
  EXPECT_FALSE(picker->Checked());
  backend->PressKey(VK_UP);  // an unchecked value does not change
  EXPECT_EQ(picker->Text(), "31/01/2026");
  const auto drawn = Record(*picker);
  for (const auto& call : drawn->CallsOf("DrawText")) {
    if (!(call.Flags & DT_CALCRECT)) {
      EXPECT_EQ(call.Font.Color, clGrayText);
    }
  }
  backend->Click(*picker, 6, 10);
  EXPECT_TRUE(picker->Checked());
  EXPECT_EQ(changes, 2);
}

TEST_F(DateTimePickerTest, DropDownCalendarChoosesByKeyboardAndMouse) {
  MakePicker();
  int drops = 0, closes = 0;
  picker->OnDropDown = [&](TObject*) { ++drops; };
  picker->OnCloseUp = [&](TObject*) { ++closes; };
  backend->PressKey(VK_DOWN, {ssAlt});
  ASSERT_TRUE(picker->DroppedDown());
  TCalendarWindow* calendar = picker->Calendar();
  EXPECT_EQ(calendar->Marked(), EncodeDate(2026, 1, 31));
  backend->PressKey(VK_RIGHT);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(picker->Date(), EncodeDate(2026, 1, 31));  // only the mark moves
  backend->PressKey(VK_RETURN);
  EXPECT_FALSE(picker->DroppedDown());
  EXPECT_EQ(picker->Date(), EncodeDate(2026, 2, 8));
  backend->Click(*picker, picker->ButtonRect().Left + 4, 10);
  ASSERT_TRUE(picker->DroppedDown());
  calendar = picker->Calendar();
  const TRect next = calendar->NextMonthRect();
  backend->Click(*calendar, next.Left + 3, next.Top + 3);
  EXPECT_EQ(calendar->Marked(), EncodeDate(2026, 3, 8));
  const TRect day = calendar->DayRect(EncodeDate(2026, 3, 20));
  backend->Click(*calendar, day.Left + 3, day.Top + 3);
  EXPECT_FALSE(picker->DroppedDown());
  EXPECT_EQ(picker->Date(), EncodeDate(2026, 3, 20));
  EXPECT_EQ(drops, 2);
  EXPECT_EQ(closes, 2);
  backend->PressKey(VK_F4);
  backend->PressKey(VK_ESCAPE);
  EXPECT_FALSE(picker->DroppedDown());
  EXPECT_EQ(picker->Date(), EncodeDate(2026, 3, 20));
}

// In a picker narrower than its value (a grid's cell) the value stops at
// the drop-down button: none of it is drawn over the button.
TEST_F(DateTimePickerTest, ANarrowPickerKeepsItsValueLeftOfTheButton) {
  for (int width : {160, 64, 40}) {
    SCOPED_TRACE(width);
    MakePicker();
    picker->SetBounds(10, 10, width, 21);
    picker->SetFocus();
    TRecordingCanvas canvas(picker->Width(), picker->Height());
    picker->PaintTo(canvas, 0, 0);
    AnsiString drawn;
    for (const TDrawCall& call : canvas.CallsOf("DrawText")) {
      if (call.Text.empty()) continue;
      EXPECT_LE(call.Args[2], picker->ButtonRect().Left) << call.Text;
      drawn += call.Text;
    }
    // What room there is shows the value from its start.
    EXPECT_EQ(drawn, picker->Text().substr(0, drawn.size()));
    if (width == 160) EXPECT_EQ(drawn, picker->Text());
    if (width == 40) EXPECT_LT(drawn.size(), picker->Text().size());
    EXPECT_FALSE(drawn.empty());
  }
}

TEST_F(DateTimePickerTest, UpDownModeHasNoCalendar) {
  MakePicker();
  picker->SetDateMode(dmUpDown);
  backend->PressKey(VK_F4);
  EXPECT_FALSE(picker->DroppedDown());
  backend->Click(*picker, picker->Width() - 8, 4);  // the up button
  EXPECT_EQ(picker->Text(), "01/01/2026");
}

}  // namespace
