// A bidder's offer window opened from the main window on the shipped
// examples: the mean-discount button comes up after its panel is done or
// cannot open, the search works on the categories example, and a price the
// user empties stays empty.
#include <filesystem>

#include "MainWindowFixture.h"
#include "tender/BudgetFile.h"
#include "tender/OfferCalc.h"

namespace {

class OfferTools : public MainWindowTest {
 protected:
  void TearDown() override {
    delete BudgetForm;
    BidderDiscountTable.FreeAll();
    MainWindowTest::TearDown();
  }
  // The main window on a copy of a shipped example.
  TFrmAXP& OpenExample(const char* project) {
    const std::string stem = std::filesystem::path(project).stem().string();
    for (const char* ext : {".DDN", ".pry", ".csv"})
      std::filesystem::copy_file(std::string(DIM_EXAMPLES) + "/" + stem + ext,
                                 FolderPath() + "/" + stem + ext);
    TFrmAXP& w = Start();
    w.OpenProject(Folder() + project);
    return w;
  }
  // The offer of the bidder in Row, shown by the main window's button and
  // driven by Drive while it is up; Drive ends with the window's Εξοδος.
  void OpenOffer(TFrmAXP& w, int row, std::function<void(TUproypFrm&)> drive) {
    w.StGrid->SetFocus();
    w.StGrid->SetRow(row);
    backend->ExpectModal("Προϋπολογισμός προσφοράς"_a, [&, drive](TCustomForm&) {
      TUproypFrm& b = *BudgetForm;
      drive(b);
      Press(*b.ExitButton);
    });
    Press(*w.CheckOmalbtn);
  }
  // Types a new bidder, with Discount when given, into the row after the
  // first empty row of the offers grid; returns that empty row.
  int TypeBidderBelowAnEmptyRow(TFrmAXP& w, const AnsiString& discount) {
    int empty = 1;
    while (!w.StGrid->GetCellText(ColName, empty).empty()) ++empty;
    TypeCell(ColName, empty + 1, "ΝΕΟΣ ΑΝΑΔΟΧΟΣ"_a);
    if (!discount.empty()) TypeCell(ColDiscount, empty + 1, discount);
    return empty;
  }
  // Types Text over a cell of the budget grid, as typing on a cell does,
  // and ends with Enter; an empty text empties the cell.
  void TypeBudgetCell(TUproypFrm& b, int col, int row, const AnsiString& text) {
    b.ProypGrid->SetFocus();
    b.ProypGrid->SetCol(col);
    b.ProypGrid->SetRow(row);
    if (text.empty()) {
      backend->Type("1");
      backend->PressKey(VK_BACK);
    } else {
      backend->Type(text);
    }
    backend->PressKey(VK_RETURN);
  }
};

// ---- a bidder typed below an empty row ---------------------------------------------------

// The grid is left for the offer command: the bidder typed below an empty
// row is still a bidder of the project, so its offer marks its row and its
// block in the budget's text copy carries its name.
TEST_F(OfferTools, BidderBelowAnEmptyRowKeepsItsMarkAndName) {
  TFrmAXP& w = OpenExample("EXAMPLE.DDN");
  const int empty = TypeBidderBelowAnEmptyRow(w, "");
  const int row = empty + 1;
  ASSERT_NE(ProjectModified, 0);
  const AnsiString number = Trim(w.StGrid->GetCellText(ColEntryNo, row));
  OpenOffer(w, row, [&](TUproypFrm& b) { TypeBudgetCell(b, 5, 1, "7"); });
  EXPECT_EQ(w.StGrid->GetCellText(ColRemark, row), "*");
  EXPECT_TRUE(w.StGrid->GetCellText(ColRemark, empty).empty());
  const std::string copy = ReadWholeFile(Folder() + "EXAMPLE.csv");
  const AnsiString heading = "ΠΡΟΣΦΟΡΑ "_a + RightAlignedInt(StrToInt(number), 6) + "-ΝΕΟΣ ΑΝΑΔΟΧΟΣ"_a;
  EXPECT_NE(copy.find(heading), std::string::npos) << cp1253::ToUtf8(copy);
}

// Saved over the empty row, the project keeps its slots one place off the
// rows below it: the offer made after the save still marks the bidder's
// own row, not the empty one.
TEST_F(OfferTools, OfferAfterASaveOverAnEmptyRowMarksTheBiddersRow) {
  TFrmAXP& w = OpenExample("EXAMPLE.DDN");
  const int empty = TypeBidderBelowAnEmptyRow(w, "5");
  const int row = empty + 1;
  ASSERT_TRUE(w.saverec(Folder() + "EXAMPLE.DDN"));
  ASSERT_EQ(ProjectModified, 0);
  OpenOffer(w, row, [&](TUproypFrm& b) { TypeBudgetCell(b, 5, 1, "7"); });
  EXPECT_EQ(w.StGrid->GetCellText(ColRemark, row), "*");
  EXPECT_TRUE(w.StGrid->GetCellText(ColRemark, empty).empty());
}

// Ranked again after the grid was left, the bidder typed below an empty
// row takes its place among the others and the empty row goes.
TEST_F(OfferTools, SortTakesInTheBidderBelowAnEmptyRow) {
  TFrmAXP& w = OpenExample("EXAMPLE.DDN");
  Press(*w.docalc);
  ASSERT_TRUE(w.sortBtn->Enabled());
  const int empty = TypeBidderBelowAnEmptyRow(w, "99");
  // The user leaves the grid for a field, then ranks from the tool bar.
  w.StGrid->SetFocus();
  w.EditDiair->SetFocus();
  Press(*w.sortBtn);  // by descending discount
  EXPECT_EQ(w.StGrid->GetCellText(ColName, 1), "ΝΕΟΣ ΑΝΑΔΟΧΟΣ"_a);
  for (int row = 1; row <= empty; ++row) EXPECT_FALSE(w.StGrid->GetCellText(ColName, row).empty()) << row;
  for (int row = empty + 1; row <= empty + 2; ++row)
    EXPECT_TRUE(w.StGrid->GetCellText(ColName, row).empty()) << row;
}

// ---- price filling: the button comes up when the panel is done -------------------------------

TEST_F(OfferTools, PriceFillingReleasesItsButtonAfterOkAndCancel) {
  TFrmAXP& w = OpenExample("EXAMPLE.DDN");
  OpenOffer(w, 1, [&](TUproypFrm& b) {
    Press(*b.EkptBtn);
    ASSERT_TRUE(b.inEkpt->Visible());
    b.Edit1->SetFocus();
    backend->Type("20");
    Press(*b.OkBitBtn);
    EXPECT_FALSE(b.inEkpt->Visible());
    EXPECT_FALSE(b.EkptBtn->Down());
    const AnsiString filled = b.ProypGrid->Cells(5, 2);
    EXPECT_EQ(StrToNum(filled), 9.8);  // 12.2 less 20 %, to one decimal
    // The user's own price after the filling is not filled over by the
    // next press, which opens the panel again.
    TypeBudgetCell(b, 5, 1, "7");
    Press(*b.EkptBtn);
    EXPECT_TRUE(b.inEkpt->Visible());
    EXPECT_EQ(StrToNum(b.ProypGrid->Cells(5, 1)), 7);
    Press(*b.BitBtn2);  // Ακυρο
    EXPECT_FALSE(b.inEkpt->Visible());
    EXPECT_FALSE(b.EkptBtn->Down());
    EXPECT_EQ(StrToNum(b.ProypGrid->Cells(5, 1)), 7);
    Press(*b.EkptBtn);
    EXPECT_TRUE(b.inEkpt->Visible());
    EXPECT_EQ(StrToNum(b.ProypGrid->Cells(5, 1)), 7);
    Press(*b.BitBtn2);
  });
}

// ---- a price the user empties -------------------------------------------------------------------

TEST_F(OfferTools, EmptiedOfferPriceStaysEmptyAndIsSaved) {
  TFrmAXP& w = OpenExample("EXAMPLE.DDN");
  ASSERT_EQ((*BidderDiscountTable.Get(1))[1].Value, 11.5);
  ASSERT_EQ((*BidderDiscountTable.Get(1))[1].Mark, '+');
  OpenOffer(w, 1, [&](TUproypFrm& b) {
    ASSERT_FALSE(b.ProypGrid->Cells(5, 2).empty());
    TypeBudgetCell(b, 5, 2, "");
    EXPECT_TRUE(b.ProypGrid->Cells(5, 2).empty());
  });
  EXPECT_EQ((*BidderDiscountTable.Get(1))[1].Value, 0);
  // Shown again, from the file the window wrote on closing: still empty,
  // the other prices kept.
  OpenOffer(w, 1, [&](TUproypFrm& b) {
    EXPECT_TRUE(b.ProypGrid->Cells(5, 2).empty());
    EXPECT_EQ(StrToNum(b.ProypGrid->Cells(5, 3)), 38);
  });
  w.ClearProject();
  w.OpenProject(Folder() + "EXAMPLE.DDN");
  ASSERT_TRUE(BidderDiscountTable.Has(1));
  EXPECT_EQ((*BidderDiscountTable.Get(1))[1].Value, 0);
  EXPECT_EQ((*BidderDiscountTable.Get(1))[2].Value, 38);
}

// ---- the search on budgets by categories ------------------------------------------------------

TEST_F(OfferTools, SearchOnTheCategoriesExampleFindsItsSolutions) {
  TFrmAXP& w = OpenExample("CATEGORIES.DDN");
  ASSERT_EQ(w.ProjectType, ProjectCategoryPercentages);
  OpenOffer(w, 1, [&](TUproypFrm& b) {
    ASSERT_TRUE(b.EkptBtn->Visible());
    Press(*b.EkptBtn);
    ASSERT_TRUE(b.inEkptEpim->Visible());
    EXPECT_TRUE(b.EkptBtn->Down());
    b.Edit3->SetText("25");
    b.Apokl1->SetValue(2);
    b.SpinEdit1->SetValue(4);
    b.RandSeries->SetChecked(false);
    b.MaxTries->SetValue(1000);
    Press(*b.BitBtn5);
    // Only the same 25 % in every category meets it to 10^-6.
    ASSERT_EQ(b.Search.SolutionCount, 1);
    for (int row = 1; row <= 3; ++row) EXPECT_EQ(b.StringGrid1->Cells(2, row), "25") << row;
    // To a tenth of a point, others too, among them 25, 26 and 23.
    b.SpinEdit1->SetValue(1);
    b.CheckBox5->SetChecked(false);
    backend->ExpectMessageBox("Νέα Αναζήτηση;"_a, IDYES);
    Press(*b.BitBtn5);
    EXPECT_GT(b.Search.SolutionCount, 1);
    bool found = false;
    for (int s = 0; s < b.Search.SolutionCount; ++s)
      found = found || (b.StringGrid1->Cells(s + 2, 1) == "25" && b.StringGrid1->Cells(s + 2, 2) == "26" &&
                        b.StringGrid1->Cells(s + 2, 3) == "23");
    EXPECT_TRUE(found);
    Press(*b.BitBtn4);  // Εξοδος
    EXPECT_FALSE(b.inEkptEpim->Visible());
    EXPECT_FALSE(b.EkptBtn->Down());
  });
}

struct Unsearchable {
  const char* what;
  int rows;
  const char* overhead;
  const char* says;
};

class SearchRefused : public OfferTools, public testing::WithParamInterface<Unsearchable> {};

TEST_P(SearchRefused, SaysWhyAndReleasesTheButton) {
  TFrmAXP& w = Start();
  w.RadioGroupZephType->SetItemIndex(ProjectCategoryPercentages);
  CostDecimals = 2;
  backend->ExpectModal("Προϋπολογισμός Μελέτης"_a, [&](TCustomForm&) {
    TUproypFrm& b = *BudgetForm;
    for (int r = 1; r <= GetParam().rows; ++r) {
      b.ProypGrid->SetCells(3, r, "Κατηγορία "_a + IntToStr(r));
      b.ProypGrid->SetCells(4, r, "1000");
    }
    b.SumaGrid->SetCells(3, 2, GetParam().overhead);
    b.RecalcClick(nullptr);
    Press(*b.ExitButton);
  });
  Press(*w.ProInputBtn);
  ASSERT_TRUE(w.CheckOmalbtn->Enabled());
  w.StGrid->SetCellText(ColName, 1, "ΑΛΦΑ"_a);
  OpenOffer(w, 1, [&](TUproypFrm& offer) {
    backend->ExpectMessageBox(cp1253::FromUtf8(GetParam().says), IDOK);
    Press(*offer.EkptBtn);
    EXPECT_FALSE(offer.inEkptEpim->Visible()) << GetParam().what;
    EXPECT_FALSE(offer.EkptBtn->Down()) << GetParam().what;
    ASSERT_EQ(backend->MessageBoxes.size(), 1u);
    EXPECT_EQ(backend->MessageBoxes[0].Flags & MB_ICONMASK, UINT(MB_ICONINFORMATION));
  });
}

INSTANTIATE_TEST_SUITE_P(
    OfferTools, SearchRefused,
    testing::Values(
        Unsearchable{"GE&OE by an expression", 3, "$1*18%",
                     "όταν τα Γ.Ε.& Ο.Ε. δίνονται ως ποσοστό. Εδώ δίνονται με τον τύπο «$1*18%»."},
        Unsearchable{"51 categories", 51, "18", "έως 50 κατηγοριών. Αυτός έχει 51."}));

}  // namespace
