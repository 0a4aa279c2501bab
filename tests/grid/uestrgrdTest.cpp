#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "grid/uestrgrd.h"
#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdEdits.h"
#include "tests/TestOutput.h"

namespace {

struct Validated {
  int Col, Row;
  TCellValue Value;
};

class EnhGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = &InstallHeadlessBackend();
    LoadGreekLocale();
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(0, 0, 700, 360);
    grid = new TEnhStringGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, 660, 220);
    other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(8, 300, 120, 24);
    grid->OnCellFieldType = [this](TObject*, int col, int row) {
      auto it = types.find(col);
      if (row < grid->FixedRows()) return gftText;
      return it == types.end() ? gftText : it->second;
    };
    grid->OnValidate = [this](TObject*, int col, int row, const TCellValue& value) {
      validated.push_back({col, row, value});
      if (refuse && value == refuse) throw Exception("refused");
    };
    form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    for (const auto& text : backend->UnexpectedDialogs)
      ADD_FAILURE() << "unexpected dialog: " << cp1253::ToUtf8(text);
    EXPECT_EQ(backend->PendingAnswers(), 0);
    form.reset();
    LoadDefaultLocale();
  }
  // The totals grid of the budget window.
  void ShapeAsTotals() {
    grid->SetColCount(7);
    grid->SetRowCount(10);
    grid->SetFixedCols(3);
    grid->SetFixedRows(2);
    grid->SetGridLineWidth(2);
    grid->SetDefaultColWidth(33);
    grid->SetDefaultRowHeight(15);
    const int widths[] = {33, 66, 128, 61, 104, 106, 117};
    for (int c = 0; c < 7; ++c) grid->SetColWidths(c, widths[c]);
    grid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goDrawFocusSelected,
                      goColSizing, goRowMoving, goEditing});
  }
  // A data grid with a typed column 1.
  void TypedColumn(TGridFieldType type) {
    grid->SetColCount(4);
    grid->SetRowCount(5);
    grid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goEditing});
    types[1] = type;
    grid->SetCol(1);
    grid->SetRow(1);
    grid->SetFocus();
    Application->ProcessMessages();
  }
  // Opens the editor on the current cell, replaces its text and presses
  // Enter.
  void Enter(const AnsiString& text) {
    backend->PressKey(VK_F2);
    backend->PressKey('A', {ssCtrl});
    for (int i = 0; i < 40; ++i) backend->PressKey(VK_BACK);
    backend->Type(text);
    backend->PressKey(VK_RETURN);
  }
  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TForm> form;
  TEnhStringGrid* grid = nullptr;
  TEdit* other = nullptr;
  std::map<int, TGridFieldType> types;
  std::vector<Validated> validated;
  TCellValue refuse;
};

TEST_F(EnhGridTest, WithoutATypeEventEveryCellIsText) {
  grid->OnCellFieldType = nullptr;
  EXPECT_EQ(grid->GetCellFieldType(1, 1), gftText);
}

TEST_F(EnhGridTest, IntegerTypesCheckTheirRanges) {
  struct Case {
    TGridFieldType type;
    const char* text;
    const char* error;  // empty: passes
  } cases[] = {
      {gftSmallInt, "40000",
       "Το 40000 δεν είναι έγκυρη τιμή για το πεδίο ''. Το επιτρεπτό όριο τιμών είναι από -32768 μέχρι "
       "32767"},
      {gftSmallInt, "32767", ""},
      {gftSmallInt, "99999999999", "'99999999999' is not a valid integer value"},
      {gftWord, "4294967296", "'4294967296' is not a valid integer value"},
      {gftSmallInt, "-32768", ""},
      {gftWord, "-1",
       "Το -1 δεν είναι έγκυρη τιμή για το πεδίο ''. Το επιτρεπτό όριο τιμών είναι από 0 μέχρι 65535"},
      {gftWord, "0", ""},
      {gftWord, "65536",
       "Το 65536 δεν είναι έγκυρη τιμή για το πεδίο ''. Το επιτρεπτό όριο τιμών είναι από 0 μέχρι 65535"},
      {gftInteger, "2147483647", ""},
      {gftInteger, "2147483648", "'2147483648' is not a valid integer value"},
      {gftInteger, "1-2", "'1-2' is not a valid integer value"},
      {gftFloat, "1e5", ""},
      {gftFloat, "1,5", ""},
      {gftFloat, "--1", "'--1' is not a valid floating point value"},
      {gftCurrency, "12,50", ""},
      {gftCurrency, "1e30", "'1e30' is not a valid floating point value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TypedColumn(c.type);
    grid->SetCells(1, 1, "7");
    validated.clear();
    const AnsiString error = AnsiString(c.error).empty() ? "" : cp1253::FromUtf8(c.error);
    if (!error.empty()) backend->ExpectMessageBox("", IDOK);
    const size_t boxes = backend->ErrorBoxes.size();
    Enter(c.text);
    if (error.empty()) {
      EXPECT_EQ(grid->Cells(1, 1), c.text);
      EXPECT_FALSE(grid->EditorMode());
      ASSERT_EQ(validated.size(), 1u);
      EXPECT_EQ(validated[0].Value, TCellValue(c.text));
    } else {
      ASSERT_EQ(backend->ErrorBoxes.size(), boxes + 1);
      EXPECT_EQ(backend->ErrorBoxes.back().Text, error + ".");
      EXPECT_EQ(grid->Cells(1, 1), "7");
      EXPECT_EQ(grid->InplaceEditor()->Text(), "7");
      EXPECT_TRUE(grid->EditorMode());
      EXPECT_TRUE(validated.empty());
      backend->PressKey(VK_ESCAPE);
    }
  }
}

TEST_F(EnhGridTest, AnEmptyCellPassesWithNoValue) {
  TypedColumn(gftInteger);
  grid->SetCells(1, 1, "5");
  Enter("");
  EXPECT_EQ(grid->Cells(1, 1), "");
  ASSERT_EQ(validated.size(), 1u);
  EXPECT_FALSE(validated[0].Value.has_value());
}

TEST_F(EnhGridTest, NumberCellsRefuseOtherKeys) {
  TypedColumn(gftFloat);
  backend->PressKey(VK_F2);
  backend->Type("+-0123456789Eex,.a");
  EXPECT_EQ(grid->InplaceEditor()->Text(), "+-0123456789Ee,");
  backend->PressKey(VK_ESCAPE);
  types[1] = gftSmallInt;
  backend->PressKey(VK_F2);
  backend->Type("+-12Ee,x");
  EXPECT_EQ(grid->InplaceEditor()->Text(), "+-12");
  backend->PressKey(VK_ESCAPE);
  types[1] = gftText;
  backend->PressKey(VK_F2);
  backend->Type("x1");
  EXPECT_EQ(grid->InplaceEditor()->Text(), "x1");
  backend->PressKey(VK_ESCAPE);
}

TEST_F(EnhGridTest, EscapeBringsBackTheTextEditingBeganWith) {
  TypedColumn(gftText);
  grid->SetCells(1, 1, "before");
  backend->PressKey(VK_F2);
  backend->Type("123");
  EXPECT_EQ(grid->Cells(1, 1), "before123");
  backend->PressKey(VK_ESCAPE);
  EXPECT_EQ(grid->Cells(1, 1), "before");
  EXPECT_FALSE(grid->EditorMode());
  // Leaving the cell afterwards keeps the old text.
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(grid->Cells(1, 1), "before");
  EXPECT_EQ(grid->Row(), 2);
}

TEST_F(EnhGridTest, ARefusedValueStopsTheMoveToAnotherCell) {
  TypedColumn(gftText);
  grid->SetCells(1, 1, "ok");
  refuse = TCellValue("bad");
  backend->PressKey(VK_F2);
  backend->PressKey(VK_BACK);
  backend->PressKey(VK_BACK);
  backend->Type("bad");
  backend->ExpectMessageBox("refused", IDOK);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->Cells(1, 1), "ok");
  ASSERT_EQ(backend->ErrorBoxes.size(), 1u);
  EXPECT_EQ(backend->ErrorBoxes[0].Text, "refused.");
  // An accepted value lets the move go on, the handler seeing the text.
  backend->Type("!");
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(grid->Cells(1, 1), "ok!");
  EXPECT_EQ(validated.back().Value, TCellValue("ok!"));
}

TEST_F(EnhGridTest, LeavingTheGridValidatesAndAFailureKeepsTheFocus) {
  TypedColumn(gftInteger);
  grid->SetCells(1, 1, "1");
  int exits = 0;
  grid->OnExit = [&](TObject*) { ++exits; };
  backend->PressKey(VK_F2);
  backend->Type("x");  // refused key
  backend->PressKey(VK_BACK);
  backend->Type("2");
  EXPECT_EQ(grid->Cells(1, 1), "2");
  other->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(exits, 1);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(validated.back().Value, TCellValue("2"));

  grid->SetFocus();
  Application->ProcessMessages();
  refuse = TCellValue("3");
  backend->PressKey(VK_F2);
  backend->PressKey(VK_BACK);
  backend->Type("3");
  backend->ExpectMessageBox("refused", IDOK);
  other->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(exits, 1);
  EXPECT_FALSE(other->Focused());
  EXPECT_EQ(form->ActiveControl(), grid);
  EXPECT_EQ(grid->Cells(1, 1), "2");
}

TEST_F(EnhGridTest, AnUntouchedDateMaskLeavesTheCellEmpty) {
  TypedColumn(gftDate);
  backend->PressKey(VK_F2);
  EXPECT_EQ(grid->InplaceEditor()->EditMask(), "!99/99/0000;1;_");
  EXPECT_EQ(grid->InplaceEditor()->EditText(), "__/__/____");
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(grid->Cells(1, 1), "");
  EXPECT_TRUE(backend->ErrorBoxes.empty());

  Enter("05032007");
  EXPECT_EQ(grid->Cells(1, 1), "05/03/2007");
  EXPECT_EQ(validated.back().Value, TCellValue("05/03/2007"));

  backend->ExpectMessageBox("not a valid date", IDOK);
  Enter("31022007");
  EXPECT_EQ(grid->Cells(1, 1), "05/03/2007");
  backend->PressKey(VK_ESCAPE);
}

TEST_F(EnhGridTest, TimeAndDateTimeCellsGetTheirMasks) {
  TypedColumn(gftTime);
  backend->PressKey(VK_F2);
  EXPECT_EQ(grid->InplaceEditor()->EditMask(), "!99:00;1;_");
  backend->PressKey(VK_ESCAPE);
  Enter("1230");
  EXPECT_EQ(grid->Cells(1, 1), "12:30");
  types[1] = gftDateTime;
  backend->PressKey(VK_F2);
  EXPECT_EQ(grid->InplaceEditor()->EditMask(), "!99/99/0000 99:00;1;_");
  backend->PressKey(VK_ESCAPE);
  // The application's own mask comes first.
  grid->OnGetEditMask = [](TObject*, int, int, AnsiString& mask) { mask = "000;1;_"; };
  backend->PressKey(VK_F2);
  EXPECT_EQ(grid->InplaceEditor()->EditMask(), "000;1;_");
  backend->PressKey(VK_ESCAPE);
}

TEST_F(EnhGridTest, BooleanCellsToggleAndHaveNoEditor) {
  TypedColumn(gftBoolean);
  const char* after[] = {"1", "0", "1"};
  for (const char* expected : after) {
    backend->Type(" ");
    EXPECT_EQ(grid->Cells(1, 1), expected);
    EXPECT_FALSE(grid->EditorMode());
  }
  EXPECT_TRUE(grid->InplaceEditor() == nullptr || !grid->InplaceEditor()->Visible());
  grid->SetCells(1, 1, "x");
  backend->Type(" ");
  EXPECT_EQ(grid->Cells(1, 1), "1");
  // A refusal puts the old text back without a word.
  refuse = TCellValue("0");
  backend->Type(" ");
  EXPECT_EQ(grid->Cells(1, 1), "1");
  EXPECT_TRUE(backend->ErrorBoxes.empty());
}

TEST_F(EnhGridTest, DoubleClickTogglesASingleClickSelects) {
  TypedColumn(gftBoolean);
  grid->SetCells(1, 2, "");
  const TRect r = grid->CellRect(1, 2);
  const int x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
  backend->Click(*grid, x, y);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(grid->Cells(1, 2), "");
  backend->Advance(1000);
  backend->DoubleClick(*grid, x, y);
  EXPECT_EQ(grid->Cells(1, 2), "1");
}

TEST_F(EnhGridTest, BooleanCellsDrawCheckBoxes) {
  TypedColumn(gftBoolean);
  grid->SetCells(1, 1, "1");
  grid->SetCells(1, 2, "0");
  grid->SetCells(2, 1, "text");
  const TImageCanvas* image = backend->Render(*form);
  ASSERT_NE(image, nullptr);
  backend->SaveWindowPng(*form, TestOutput("uestrgrd_checkboxes.png"));
  // The checked box shows dark pixels of its tick; the unchecked one none.
  auto darkPixels = [&](int col, int row) {
    const TRect r = grid->CellRect(col, row);
    const TPoint origin = grid->ClientOrigin();
    const TPoint formOrigin = form->ClientOrigin();
    int count = 0;
    for (int py = r.Top + 3; py < r.Bottom - 3; ++py)
      for (int px = r.Left + 3; px < r.Right - 3; ++px)
        if ((image->Pixel(px + origin.X - formOrigin.X, py + origin.Y - formOrigin.Y) & 0xFF) < 0x20) ++count;
    return count;
  };
  EXPECT_GT(darkPixels(1, 1), 0);
  EXPECT_EQ(darkPixels(1, 2), 0);
}

TEST_F(EnhGridTest, RowsAreInsertedAppendedAndDeletedFromTheKeyboard) {
  TypedColumn(gftText);
  int before = 0, after = 0, beforeDelete = 0, afterDelete = 0;
  grid->BeforeInsert = [&](TObject*) { ++before; };
  grid->AfterInsert = [&](TObject*) { ++after; };
  grid->BeforeDelete = [&](TObject*) { ++beforeDelete; };
  grid->AfterDelete = [&](TObject*) { ++afterDelete; };
  for (int r = 1; r < 5; ++r) grid->SetCells(1, r, "r" + IntToStr(r));
  // Without AllowInsDel nothing happens.
  backend->PressKey(VK_INSERT);
  EXPECT_EQ(grid->RowCount(), 5);
  grid->AllowInsDel = true;
  grid->SetRow(2);
  backend->PressKey(VK_INSERT);
  EXPECT_EQ(grid->RowCount(), 6);
  EXPECT_EQ(grid->Cells(1, 2), "");
  EXPECT_EQ(grid->Cells(1, 3), "r2");
  EXPECT_EQ(grid->Cells(1, 5), "r4");
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  // Ctrl+Delete removes the current row.
  backend->PressKey(VK_DELETE, {ssCtrl});
  EXPECT_EQ(grid->RowCount(), 5);
  EXPECT_EQ(grid->Cells(1, 2), "r2");
  EXPECT_EQ(beforeDelete, 1);
  EXPECT_EQ(afterDelete, 1);
  // Down on the filled last row appends one; on an empty last row not.
  grid->SetRow(4);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(grid->RowCount(), 6);
  EXPECT_EQ(grid->Row(), 5);
  EXPECT_EQ(before, 2);
  EXPECT_EQ(after, 2);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(grid->RowCount(), 6);
  // The bound: the before-event fires, nothing is added.
  grid->MaxRows = 6;
  backend->PressKey(VK_INSERT);
  EXPECT_EQ(grid->RowCount(), 6);
  EXPECT_EQ(before, 3);
  EXPECT_EQ(after, 2);
}

TEST_F(EnhGridTest, DeletingTheOnlyDataRowClearsIt) {
  TypedColumn(gftText);
  grid->AllowInsDel = true;
  grid->SetRowCount(2);
  grid->SetCells(1, 1, "only");
  grid->SetCells(0, 1, "fixed");
  backend->PressKey(VK_DELETE, {ssCtrl});
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->Cells(1, 1), "");
  grid->DeleteRow(7);  // outside: nothing
  grid->DeleteRow(-1);
  EXPECT_EQ(grid->RowCount(), 2);
}

TEST_F(EnhGridTest, TheStretchColumnTakesTheRestOfTheWidth) {
  grid->SetColCount(4);
  grid->SetGridLineWidth(1);
  for (int c = 0; c < 4; ++c) grid->SetColWidths(c, 50);
  grid->SetAdjustCol(2);
  const TRect area = grid->GridArea();
  const int others = 3 * (50 + 1);
  const int border = grid->Width() - (area.Right - area.Left);
  EXPECT_EQ(grid->ColWidths(2), (area.Right - area.Left) - others - 1);
  // Not above the others with their lines plus one line and a pixel: as is;
  // one pixel more and the column gets what is left.
  grid->SetAdjustCol(-1);
  grid->SetColWidths(2, 50);
  grid->SetWidth(border + others + 1 + 1);
  grid->SetAdjustCol(2);
  EXPECT_EQ(grid->ColWidths(2), 50);
  grid->SetWidth(border + others + 1 + 2);
  EXPECT_EQ(grid->ColWidths(2), 2);
}

TEST_F(EnhGridTest, TheTotalsGridEditsPlainTextAndValidatesOnLeaving) {
  ShapeAsTotals();
  grid->OnCellFieldType = nullptr;
  grid->SetCells(3, 0, "Ποσό"_a);
  grid->SetCells(4, 0, "ΦΠΑ"_a);
  grid->SetCells(5, 0, "Σύνολο"_a);
  grid->SetCells(0, 2, "1");
  grid->SetCells(1, 2, "Α"_a);
  grid->SetCells(2, 2, "Εργασίες"_a);
  grid->SetCells(3, 2, "1.234,50");
  grid->SetCol(3);
  grid->SetRow(2);
  grid->SetFocus();
  Application->ProcessMessages();
  backend->PressKey(VK_F2);
  backend->Type("abc");  // text cells take every key
  EXPECT_EQ(grid->Cells(3, 2), "1.234,50abc");
  backend->PressKey(VK_ESCAPE);
  EXPECT_EQ(grid->Cells(3, 2), "1.234,50");
  backend->PressKey(VK_F2);
  backend->Type("0");
  backend->PressKey(VK_RIGHT);
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(validated.back().Col, 3);
  EXPECT_EQ(validated.back().Value, TCellValue("1.234,500"));
  backend->PressKey(VK_ESCAPE);
  backend->SaveWindowPng(*form, TestOutput("uestrgrd_totals.png"));
}

}  // namespace
