// The budget window driven as the user drives it: its totals grid's input,
// the subtotal button, the update button, the preview toggle, closing with
// a temporary budget, and a budget read back with a row of no quantity.
#include "MainWindowFixture.h"
#include "NumericTestSupport.h"
#include "platform/rtl/Cp1253.h"
#include "tender/BudgetFile.h"
#include "tender/OfferCalc.h"

namespace {

class BudgetWindow : public MainWindowTest {
 protected:
  void TearDown() override {
    delete BudgetForm;
    BidderDiscountTable.FreeAll();
    MainWindowTest::TearDown();
  }
  void Press(TControl& control) { backend->Click(control, 4, 4); }
  // A study budget by work items of two rows costing 20 and 5.
  TUproypFrm& TwoRows() {
    TUproypFrm& b = StudyBudget(1);
    const char* rows[][3] = {{"Α", "2", "10"}, {"Β", "1", "5"}};
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 3; ++c) b.ProypGrid->SetCells(c + 1, r + 1, cp1253::FromUtf8(rows[r][c]));
    b.BudgetFileName = Folder() + "p.pry";
    return b;
  }
  // The two rows costed, with bidders ΑΛΦΑ (a price of 9 marked "#" on
  // row 1) and ΒΗΤΑ (8, unmarked) in the first two offer rows.
  TUproypFrm& TwoBidders() {
    TUproypFrm& b = TwoRows();
    b.RecalcClick(nullptr);
    form->StGrid->SetCellText(ColName, 1, "ΑΛΦΑ"_a);
    form->StGrid->SetCellText(ColName, 2, "ΒΗΤΑ"_a);
    BidderDiscountTable.Ensure(1)[0] = {9, '#'};
    BidderDiscountTable.Ensure(2)[0] = {8, 0};
    form->CheckOmalbtn->SetEnabled(true);
    return b;
  }
  // Types Text into a cell of the totals grid and ends it with Enter.
  void TypeTotal(TUproypFrm& b, int col, int row, const AnsiString& text) {
    b.SumaGrid->SetFocus();
    b.SumaGrid->SetCol(col);
    b.SumaGrid->SetRow(row);
    backend->Type(text);
    backend->PressKey(VK_RETURN);
  }
};

// Keys reach only the parameters of the totals grid, and there only those
// of numbers and expressions.
TEST_F(BudgetWindow, TotalsGridTakesOnlyParameterKeys) {
  TUproypFrm& b = TwoRows();
  const struct {
    int col, row;
    const char* typed;
    const char* kept;
  } cases[] = {
      {3, 2, "2x0", "20"},
      {3, 2, "$1*18%", "$1*18%"},
      {3, 4, "9a", "9"},
      {3, 6, "(1+2)/3", "(1+2)/3"},
      {3, 7, "1.000,5", "1.000,5"},
      {3, 8, "1:2", "1:2"},
      {3, 3, "7", ""},
      {3, 5, "7", ""},
      {3, 9, "7", ""},
  };
  backend->ExpectModal("", [&](TCustomForm&) {
    for (const auto& c : cases) {
      b.SumaGrid->SetCells(c.col, c.row, "");
      TypeTotal(b, c.col, c.row, c.typed);
      EXPECT_EQ(b.SumaGrid->Cells(c.col, c.row).substr(0, std::string(c.kept).size()), c.kept)
          << c.row << " " << c.typed;
      if (std::string(c.kept).empty()) {
        EXPECT_TRUE(b.SumaGrid->Cells(c.col, c.row).empty()) << c.row;
      }
    }
    b.SumaGrid->SetCells(3, 2, "");
    b.SumaGrid->SetCells(3, 7, "");
    b.SumaGrid->SetCells(3, 8, "");
    TypeTotal(b, 3, 2, "2x0");
    b.ProypGrid->SetFocus();
    EXPECT_EQ(b.SumaGrid->Cells(4, 1), "25.00");
    EXPECT_EQ(b.SumaGrid->Cells(4, 2), "5.00");
    b.SetModalResult(mrCancel);
  });
  b.ShowModal();
}

// Tab in the budget grid does not take a typed number into a parameter of
// the totals grid; that grid, reached by a click, lets Tab go on to the
// window's next control instead of walking its own cells.
TEST_F(BudgetWindow, TabTakesNoTypedNumberIntoTheTotals) {
  TUproypFrm& b = TwoRows();
  EXPECT_EQ(b.SumaGrid->Options(), (TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                                 goDrawFocusSelected, goColSizing, goRowMoving, goEditing}));
  EXPECT_EQ(b.SumaGrid->GridLineWidth(), 2);
  EXPECT_EQ(b.SumaGrid->RowHeights(9), 15);
  backend->ExpectModal("", [&](TCustomForm& f) {
    b.ProypGrid->SetFocus();
    b.ProypGrid->SetCol(3);
    b.ProypGrid->SetRow(1);
    backend->PressKey(VK_TAB);
    EXPECT_NE(f.ActiveControl(), b.SumaGrid);
    backend->Type("30");
    backend->PressKey(VK_RETURN);
    EXPECT_EQ(b.SumaGrid->Cells(3, 2), "18");
    const TRect cell = b.SumaGrid->CellRect(3, 4);
    backend->Click(*b.SumaGrid, cell.Left + 3, cell.Top + 3);
    ASSERT_EQ(f.ActiveControl(), b.SumaGrid);
    backend->PressKey(VK_TAB);
    EXPECT_NE(f.ActiveControl(), b.SumaGrid);
    EXPECT_EQ(b.SumaGrid->Cells(3, 4), "15");
    b.SetModalResult(mrCancel);
  });
  b.ShowModal();
}

// The subtotal runs from the current row up to the first empty cost, in the
// study's cost column or the offer's; a click in the grid empties it.
TEST_F(BudgetWindow, SubtotalUpToTheCurrentRow) {
  TUproypFrm& b = TwoRows();
  b.ProypGrid->SetCells(1, 4, "Δ"_a);
  b.ProypGrid->SetCells(2, 4, "1");
  b.ProypGrid->SetCells(3, 4, "7");
  const struct {
    int row;
    const char* label;
  } study[] = {{1, "20.00"}, {2, "25.00"}, {3, "0.00"}, {4, "7.00"}};
  backend->ExpectModal("", [&](TCustomForm&) {
    for (const auto& c : study) {
      b.ProypGrid->SetRow(c.row);
      Press(*b.SigmaBtn);
      EXPECT_EQ(Trim(b.LabelQ->Caption()), c.label) << c.row;
    }
    EXPECT_EQ(b.LabelQ->Caption().size(), 17u);
    backend->Click(*b.ProypGrid, 60, 60);
    EXPECT_TRUE(b.LabelQ->Caption().empty());
    b.SetModalResult(mrCancel);
  });
  b.ShowModal();
  // In an offer the subtotal sums the offer's costs.
  b.Mode = 1;
  b.ProypGrid->SetColCount(8);
  b.ProypGrid->SetCells(6, 1, "18");
  b.ProypGrid->SetCells(6, 2, "4.5");
  b.ProypGrid->SetRow(2);
  b.SigmaBtnClick(nullptr);
  EXPECT_EQ(Trim(b.LabelQ->Caption()), "22.50");
}

// The update button of the study budget makes its total the divisor.
TEST_F(BudgetWindow, UpdateButtonMakesTheStudyTotalTheDivisor) {
  TUproypFrm& b = TwoRows();
  ProjectModified = 0;
  backend->ExpectModal("", [&](TCustomForm&) {
    EXPECT_TRUE(b.getbtn->Enabled());
    EXPECT_EQ(b.getbtn->Hint(), "Ενημέρωση ποσού-διαιρέτη"_a);
    EXPECT_EQ(b.SumaGrid->Cells(3, 2), "18");  // the defaults, in empty cells
    EXPECT_EQ(b.SumaGrid->Cells(3, 4), "15");
    Press(*b.getbtn);
  });
  b.ShowModal();
  EXPECT_EQ(b.StudyTotal, 29.5);
  EXPECT_EQ(ProjectHeader.Divisor, 29.5);
  EXPECT_EQ(form->EditDiair->Text(), "            29.50");
  EXPECT_EQ(ProjectModified, 1);
  // Closing saved the budget under its name.
  EXPECT_TRUE(FileExists(b.BudgetFileName));
  EXPECT_EQ(BudgetChanged, 0);
}

// A budget closed under a temporary name is one the exit asks about.
TEST_F(BudgetWindow, ClosingUnderATemporaryNameMarksTheBudgetChanged) {
  TUproypFrm& b = TwoRows();
  b.BudgetFileName.clear();
  backend->ExpectModal("", [&](TCustomForm&) { Press(*b.ExitButton); });
  b.ShowModal();
  EXPECT_EQ(ExtractFileExt(b.BudgetFileName), ".TMP");
  EXPECT_EQ(BudgetChanged, 1);
  EXPECT_EQ(DecodeBudgetFile(ReadWholeFile(b.BudgetFileName), TBudgetKind::WorkItems, {false, true, true})
                .Budget.Rows.size(),
            2u);
}

// The preview button shows the check report while down; leaving by the
// exit button releases it.
TEST_F(BudgetWindow, PreviewToggleShowsTheCheckReportUntilExit) {
  TUproypFrm& b = TwoRows();
  b.RecalcClick(nullptr);
  form->StGrid->SetCellText(ColName, 1, "ΑΛΦΑ"_a);
  form->StGrid->SetRow(1);
  form->CheckOmalbtn->SetEnabled(true);
  backend->ExpectModal("", [&](TCustomForm&) {
    EXPECT_FALSE(b.getbtn->Enabled());
    EXPECT_EQ(b.CheckEnabled, 1);
    b.ProypGrid->SetCells(5, 1, "9");
    b.ProypGrid->SetCells(5, 2, "4.5");
    Press(*b.BitBtn3);  // the calculation without the check
    Press(*b.doProPreview);
    EXPECT_TRUE(b.doProPreview->Down());
    EXPECT_TRUE(b.Memo1->Visible());
    Press(*b.doProPreview);
    EXPECT_FALSE(b.Memo1->Visible());
    Press(*b.doProPreview);
    Press(*b.ExitButton);
    EXPECT_FALSE(b.doProPreview->Down());
    EXPECT_FALSE(b.Memo1->Visible());
  });
  form->CheckOmalbtnClick(nullptr);
  ASSERT_TRUE(BidderDiscountTable.Has(1));
  EXPECT_EQ((*BidderDiscountTable.Get(1))[0].Value, 9);
  EXPECT_EQ((*BidderDiscountTable.Get(1))[1].Value, 4.5);
}

// A row of no quantity is stored with quantity 0 and read back with an
// empty quantity, its cost cell left as it was.
TEST_F(BudgetWindow, RowWithoutQuantityKeepsItsCostCellWhenRead) {
  TUproypFrm& b = TwoRows();
  b.ProypGrid->SetCells(2, 2, "");
  b.ProypGrid->SetCells(4, 2, "");
  b.SaveProyp();
  const TBudgetFileContents saved =
      DecodeBudgetFile(ReadWholeFile(b.BudgetFileName), TBudgetKind::WorkItems, {false, true, true});
  ASSERT_EQ(saved.Budget.Rows.size(), 2u);
  EXPECT_EQ(saved.Budget.Rows[1].Quantity, 0);
  EXPECT_EQ(saved.Budget.Rows[1].Price, 5);
  b.ProypGrid->SetCells(2, 2, "3");
  b.ProypGrid->SetCells(4, 2, "kept");
  b.ReadProyp();
  EXPECT_TRUE(b.ProypGrid->Cells(2, 2).empty());
  EXPECT_EQ(b.ProypGrid->Cells(3, 2), "5.00");
  EXPECT_EQ(b.ProypGrid->Cells(4, 2), "kept");
  EXPECT_EQ(b.ProypGrid->Cells(4, 1), "20.00");
}

// ---- the open button ------------------------------------------------------------

// The open button asks for the detailed offers whenever bytes follow the
// budget: a budget whose first row is empty still has its bidders, and a
// file whose only bidder is cut short says so.
struct OpenCase {
  const char* what;
  bool firstRowEmpty;
  bool cut;
  friend void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.what; }
};

class OpenButton : public BudgetWindow, public testing::WithParamInterface<OpenCase> {};

TEST_P(OpenButton, AsksForTheOffersWhenBytesFollowTheBudget) {
  const OpenCase& c = GetParam();
  TUproypFrm& b = StudyBudget(1);
  TBudgetData budget;
  budget.Rows = {{"", 0, 0, 0}, {"Β"_a, 2, 10, 0}};
  if (!c.firstRowEmpty) budget.Rows[0] = {"Α"_a, 1, 5, 0};
  std::string bytes = EncodeBudgetFile(budget, {false, true, true}, {{3, "", {{7, '#'}, {9, 0}}}});
  if (c.cut) bytes.resize(bytes.size() - 4);
  const AnsiString name = Folder() + "open.pry";
  SafeWriteFile(name, bytes);
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
    edit->SetText(name);
    edit->SetFocus();
    backend->PressKey(VK_RETURN);
  });
  backend->ExpectMessageBox("Να φορτωθούν και προσφορές ; "_a, IDYES);
  if (c.cut) backend->ExpectMessageBox("Α/Α: 3"_a, IDOK);
  b.BtnOpen2Click(nullptr);
  EXPECT_EQ(b.ProypGrid->Cells(1, 2), "Β"_a);
  EXPECT_EQ(BidderDiscountTable.Has(3), !c.cut);
  if (!c.cut && BidderDiscountTable.Has(3)) {
    EXPECT_EQ((*BidderDiscountTable.Get(3))[0].Value, 7);
    EXPECT_EQ((*BidderDiscountTable.Get(3))[0].Mark, '#');
    EXPECT_EQ((*BidderDiscountTable.Get(3))[1].Value, 9);
  }
}

INSTANTIATE_TEST_SUITE_P(Budget, OpenButton,
                         testing::Values(OpenCase{"first row empty", true, false},
                                         OpenCase{"only block cut", false, true},
                                         OpenCase{"first row empty, block cut", true, true}),
                         [](const testing::TestParamInfo<OpenCase>& info) {
                           std::string name = info.param.what;
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

// A bidder's offer starts from none of the marks of the offer shown before
// it, even when the budget file is not there to read them again.
TEST_F(BudgetWindow, AnOfferStartsWithoutThePreviousBiddersMarks) {
  TUproypFrm& b = TwoBidders();
  form->StGrid->SetRow(1);
  backend->ExpectModal("", [&](TCustomForm&) {
    EXPECT_EQ(b.ProypGrid->Cells(9, 1), "#");
    Press(*b.ExitButton);
  });
  form->CheckOmalbtnClick(nullptr);
  ASSERT_TRUE(DeleteFile(b.BudgetFileName));
  form->StGrid->SetRow(2);
  backend->ExpectModal("", [&](TCustomForm&) {
    EXPECT_TRUE(b.ProypGrid->Cells(9, 1).empty());
    Press(*b.ExitButton);
  });
  form->CheckOmalbtnClick(nullptr);
  ASSERT_TRUE(BidderDiscountTable.Has(2));
  EXPECT_EQ((*BidderDiscountTable.Get(2))[0].Value, 8);
  EXPECT_EQ((*BidderDiscountTable.Get(2))[0].Mark, 0);
  EXPECT_EQ((*BidderDiscountTable.Get(1))[0].Mark, '#');
}

// The offer of a bidder whose row was deleted stays deleted: showing
// another bidder's offer reads the budget file again, which still holds it
// until the next save, and must not bring it back.
TEST_F(BudgetWindow, ADeletedBiddersOfferDoesNotComeBackFromTheFile) {
  TUproypFrm& b = TwoBidders();
  b.SaveProyp();
  form->StGrid->SetFocus();
  form->StGrid->SetRow(1);
  backend->ExpectMessageBox("Να διαγραφεί η γραμμή;"_a, IDYES);
  form->Button2->Click();
  ASSERT_FALSE(BidderDiscountTable.Has(1));
  ASSERT_EQ(form->StGrid->GetCellText(ColName, 1), "ΒΗΤΑ"_a);
  form->StGrid->SetRow(1);
  backend->ExpectModal("", [&](TCustomForm&) {
    EXPECT_EQ(b.ProypGrid->Cells(5, 1), "8.00");
    Press(*b.ExitButton);
  });
  form->CheckOmalbtnClick(nullptr);
  EXPECT_FALSE(BidderDiscountTable.Has(1));
  ASSERT_TRUE(BidderDiscountTable.Has(2));
  const TBudgetFileContents saved =
      DecodeBudgetFile(ReadWholeFile(b.BudgetFileName), TBudgetKind::WorkItems, {false, true, true});
  ASSERT_EQ(saved.Blocks.size(), 1u);
  EXPECT_EQ(saved.Blocks[0].EntryNo, 2);
  // A bidder given an offer again has it read as any other.
  BidderDiscountTable.Ensure(1)[1] = {4, '+'};
  b.SaveProyp();
  BidderDiscountTable.Ensure(1)[1] = {0, 0};
  b.ReadAAline(2);
  EXPECT_EQ((*BidderDiscountTable.Get(1))[1].Value, 4);
}

// Made as large as the screen, the window keeps its check boxes below the
// totals grid, which follows its bottom.
TEST_F(BudgetWindow, TheCheckBoxesFollowTheTotalsGridDown) {
  TUproypFrm& b = TwoBidders();
  form->StGrid->SetRow(1);
  backend->ExpectModal("", [&](TCustomForm&) {
    backend->ResizeWindow(b, backend->ScreenW, backend->ScreenH);
    ASSERT_GT(b.SumaGrid->Top(), 400);
    EXPECT_GT(b.SumaGrid->CellRect(4, 9).Bottom, 0);  // every row shows
    EXPECT_LE(b.SumaGrid->CellRect(4, 9).Bottom, b.SumaGrid->ClientHeight());
    EXPECT_TRUE(b.CheckBox2->Visible());
    for (TControl* box : {static_cast<TControl*>(b.CheckBox2), static_cast<TControl*>(b.checkOlog)}) {
      EXPECT_GE(box->Top(), b.SumaGrid->Top() + b.SumaGrid->Height()) << box->Name();
      EXPECT_LE(box->Top() + box->Height(), b.ClientHeight()) << box->Name();
    }
    Press(*b.ExitButton);
  });
  form->CheckOmalbtnClick(nullptr);
}

// ---- cells inserted and deleted -------------------------------------------------

// Inserting or deleting a cell while its editor is open ends the edit
// first: the moved cells show, and the text the editor opened with is not
// written back over them.
TEST_F(BudgetWindow, CellInsertAndDeleteEndTheEditFirst) {
  TUproypFrm& b = TwoRows();
  const struct {
    const char* button;
    const char* typed;
    const char* column[3];
  } cases[] = {
      {"celplus", "", {"", "Α", "Β"}},
      {"celMinus", "", {"Β", "", ""}},
      {"celplus", "Γ", {"", "Γ", "Β"}},
  };
  backend->ExpectModal("", [&](TCustomForm&) {
    for (const auto& c : cases) {
      b.ProypGrid->SetCells(1, 1, "Α"_a);
      b.ProypGrid->SetCells(1, 2, "Β"_a);
      b.ProypGrid->SetCells(1, 3, "");
      b.ProypGrid->SetFocus();
      b.ProypGrid->SetCol(1);
      b.ProypGrid->SetRow(1);
      backend->PressKey(VK_F2);
      if (*c.typed) {
        backend->PressKey(VK_BACK);
        backend->Type(cp1253::FromUtf8(c.typed));
      }
      ASSERT_TRUE(b.ProypGrid->EditorMode());
      Press(*static_cast<TControl*>(b.FindComponent(c.button)));
      const TInplaceEdit* editor = b.ProypGrid->InplaceEditor();
      if (b.ProypGrid->EditorMode() && editor != nullptr && editor->Visible()) {
        EXPECT_EQ(editor->Text(), b.ProypGrid->Cells(1, 1)) << c.button;
      }
      backend->PressKey(VK_DOWN);
      backend->PressKey(VK_UP);
      for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(b.ProypGrid->Cells(1, row), cp1253::FromUtf8(c.column[row - 1])) << c.button << " " << row;
    }
    b.SetModalResult(mrCancel);
  });
  b.ShowModal();
}

// ---- an empty row inside the budget ----------------------------------------------

// A budget whose second row was emptied counts and totals its first row
// only; saved by closing the window and opened again by its open button, it
// reads back with that count and those totals, the rows below kept and the
// emptied row still empty.
struct EmptyRowCase {
  const char* what;
  int projectType;
  std::vector<int> cols;  // the text column first
  std::vector<std::vector<const char*>> rows;
  size_t fileSize;
  friend void PrintTo(const EmptyRowCase& c, std::ostream* os) { *os << c.what; }
};

class EmptyRowInside : public BudgetWindow, public testing::WithParamInterface<EmptyRowCase> {
 protected:
  void SetUp() override {
    BudgetWindow::SetUp();
    style_ = std::make_unique<ScopedStyle2>();
    NumberStyle = 2;
  }
  void TearDown() override {
    NumberStyle = 1;
    style_.reset();
    BudgetWindow::TearDown();
  }
  // Types Text into a budget cell, or empties it when Text is empty.
  void TypeBudget(TUproypFrm& b, int col, int row, const AnsiString& text) {
    b.ProypGrid->SetFocus();
    b.ProypGrid->SetCol(col);
    b.ProypGrid->SetRow(row);
    if (text.empty()) {
      backend->PressKey(VK_F2);
      for (int i = 0; i < 8; ++i) backend->PressKey(VK_BACK);
    } else {
      backend->Type(text);
    }
    backend->PressKey(VK_RETURN);
  }
  void ExpectTotals(TUproypFrm& b) {
    EXPECT_EQ(b.SumaGrid->Cells(4, 1), "100,00");
    EXPECT_EQ(b.SumaGrid->Cells(4, 2), "18,00");
    EXPECT_EQ(b.SumaGrid->Cells(4, 3), "118,00");
    EXPECT_EQ(BudgetRows, 1);
  }

 private:
  std::unique_ptr<ScopedStyle2> style_;
};

TEST_P(EmptyRowInside, ReadsBackWithTheCountAndTotalsItWasSavedWith) {
  const EmptyRowCase& c = GetParam();
  TUproypFrm& b = StudyBudget(c.projectType);
  backend->ExpectModal("", [&](TCustomForm&) {
    for (size_t r = 0; r < c.rows.size(); ++r)
      for (size_t i = 0; i < c.cols.size(); ++i)
        TypeBudget(b, c.cols[i], static_cast<int>(r) + 1, cp1253::FromUtf8(c.rows[r][i]));
    TypeTotal(b, 3, 2, "18");
    TypeTotal(b, 3, 4, "15");
    for (int col : c.cols) TypeBudget(b, col, 2, "");
    ExpectTotals(b);
    Press(*b.ExitButton);
  });
  b.ShowModal();
  const AnsiString saved = b.BudgetFileName;
  ASSERT_EQ(ReadWholeFile(saved).size(), c.fileSize);
  backend->ExpectModal("", [&](TCustomForm&) {
    backend->ExpectModal("", [&](TCustomForm& f) {
      auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
      edit->SetText(saved);
      edit->SetFocus();
      backend->PressKey(VK_RETURN);
    });
    Press(*b.BtnOpen2);
    ExpectTotals(b);
    for (int col : c.cols) EXPECT_TRUE(b.ProypGrid->Cells(col, 2).empty()) << col;
    EXPECT_EQ(b.ProypGrid->Cells(c.cols[0], 3), "Β"_a);
    EXPECT_EQ(b.ProypGrid->Cells(4, 3), "50,00");
    b.SetModalResult(mrCancel);
  });
  b.ShowModal();
}

INSTANTIATE_TEST_SUITE_P(
    Budget, EmptyRowInside,
    testing::Values(
        EmptyRowCase{"by categories", 2, {3, 4}, {{"Α", "100"}, {"Χ", "20"}, {"Β", "50"}}, 191},
        EmptyRowCase{
            "by work items", 1, {1, 2, 3}, {{"Α", "1", "100"}, {"Χ", "1", "20"}, {"Β", "1", "50"}}, 155}),
    [](const testing::TestParamInfo<EmptyRowCase>& info) {
      std::string name = info.param.what;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

}  // namespace
