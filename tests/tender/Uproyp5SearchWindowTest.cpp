// The search panel and the deviation table in the budget window: opened by
// the mean-discount button, the search run by its button with every
// question answered both ways, a Stop pressed during the search, the sort,
// the check of a chosen solution, the price filling and the deviation
// columns.
#include <cmath>

#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Windows.h"
#include "tender/OfferCalc.h"
#include "tests/tender/MainWindowFixture.h"

namespace {

class SearchWindow : public MainWindowTest {
 protected:
  void TearDown() override {
    delete BudgetForm;
    MainWindowTest::TearDown();
  }
  // A study budget shown for a bidder: categories or work items.
  TUproypFrm& Bidder(int projectType, const std::vector<const char*>& costs) {
    TUproypFrm& b = StudyBudget(projectType);
    for (size_t i = 0; i < costs.size(); ++i) {
      const int r = static_cast<int>(i) + 1;
      if (projectType == 2) {
        b.ProypGrid->SetCells(3, r, "Κατηγορία "_a + IntToStr(r));
        b.ProypGrid->SetCells(4, r, costs[i]);
      } else {
        b.ProypGrid->SetCells(1, r, "A" + IntToStr(r));
        b.ProypGrid->SetCells(2, r, "1");
        b.ProypGrid->SetCells(3, r, costs[i]);
      }
    }
    b.RecalcClick(nullptr);
    b.SumaGrid->SetCells(3, 2, "18");
    b.resum(true);
    b.BudgetFileName.clear();
    b.SetBidderLayout();
    b.Show();
    Application->ProcessMessages();
    return b;
  }
  // Shows the search panel and asks for a discount.
  void OpenSearch(TUproypFrm& b, const char* discount) {
    Press(*b.EkptBtn);
    ASSERT_TRUE(b.inEkptEpim->Visible());
    b.Edit3->SetText(discount);
    b.SpinEdit1->SetValue(2);
  }
  std::vector<AnsiString> Row(TUproypFrm& b, int row, int columns) {
    std::vector<AnsiString> out;
    for (int c = 2; c < 2 + columns; ++c) out.push_back(b.StringGrid1->Cells(c, row));
    return out;
  }
};

TEST_F(SearchWindow, SearchFindsSolutionsAndAsksBeforeANewOne) {
  TUproypFrm& b = Bidder(2, {"1000", "2000", "1500", "500", "800"});
  OpenSearch(b, "20");
  EXPECT_EQ(b.MaxComp->Text(), "             371.293");
  b.RandSeries->SetChecked(false);
  b.MaxTries->SetValue(20000);
  Press(*b.BitBtn5);
  EXPECT_EQ(b.STHLES->Text(), "20000");
  const int found = b.Search.SolutionCount;
  ASSERT_GT(found, 3);
  EXPECT_EQ(b.Lyseis->Text(), IntToStr(found));
  EXPECT_TRUE(b.SpinEdit2->Visible());
  EXPECT_EQ(b.StringGrid1->Cells(2, 0), "1");
  EXPECT_EQ(b.StringGrid1->Col(), found + 1);
  EXPECT_TRUE(b.CheckBox5->Checked());
  EXPECT_FALSE(b.StopBtn->Visible());
  EXPECT_TRUE(b.BitBtn5->Visible());
  backend->SaveWindowPng(b, (TestOutputFolder() / "search_panel.png").string());

  // A new search is asked for: refused, nothing changes; accepted, anew.
  b.CheckBox5->SetChecked(false);
  backend->ExpectMessageBox("Νέα Αναζήτηση;"_a, IDNO);
  Press(*b.BitBtn5);
  EXPECT_EQ(b.Search.SolutionCount, found);
  EXPECT_EQ(b.STHLES->Text(), "20000");
  b.CheckBox5->SetChecked(false);
  b.MaxTries->SetValue(1000);
  backend->ExpectMessageBox("Νέα Αναζήτηση;"_a, IDYES);
  Press(*b.BitBtn5);
  EXPECT_EQ(b.STHLES->Text(), "1000");
  EXPECT_LT(b.Search.SolutionCount, found);
  EXPECT_EQ(b.StringGrid1->Cells(found + 1, 0), "");  // the old columns emptied
}

TEST_F(SearchWindow, SortByTheDifferenceAskedBothWays) {
  TUproypFrm& b = Bidder(2, {"1000", "2000", "1500", "500"});
  OpenSearch(b, "20");
  b.RandSeries->SetChecked(false);
  b.MaxTries->SetValue(30000);
  Press(*b.BitBtn5);
  const int n = b.Search.SolutionCount;
  ASSERT_GT(n, 3);
  const std::vector<AnsiString> before = Row(b, 5, n);
  backend->ExpectMessageBox("Να γίνει ταξινόμηση; "_a, IDNO);
  backend->DoubleClick(*b.StringGrid1, 200, 100);
  EXPECT_EQ(Row(b, 5, n), before);
  backend->ExpectMessageBox("Να γίνει ταξινόμηση; "_a, IDYES);
  backend->DoubleClick(*b.StringGrid1, 200, 100);
  const std::vector<AnsiString> after = Row(b, 5, n);
  for (int i = 1; i < n; ++i) EXPECT_LE(std::fabs(StrToNum(after[i - 1])), std::fabs(StrToNum(after[i])));
}

TEST_F(SearchWindow, StopEndsTheSearchAtTheNextPoint) {
  TUproypFrm& b = Bidder(2, {"1000", "2000", "1500", "500", "800", "700"});
  OpenSearch(b, "25");
  b.MaxTries->SetValue(1000000);
  // Stop pressed while the search runs: the click waits in the queue until
  // the search lets the window process its messages.
  const TNotifyEvent search = b.BitBtn5->OnClick;
  b.BitBtn5->OnClick = [&](TObject* s) {
    PostMessage(b.StopBtn->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessage(b.StopBtn->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    search(s);
  };
  Press(*b.BitBtn5);
  b.BitBtn5->OnClick = search;
  EXPECT_EQ(b.STHLES->Text(), "1000");
  EXPECT_EQ(b.SearchStop, 1);
}

TEST_F(SearchWindow, AChosenSolutionGoesIntoTheOfferAndIsChecked) {
  TUproypFrm& b = Bidder(2, {"1000", "2000", "1500"});
  OpenSearch(b, "20");
  b.RandSeries->SetChecked(false);
  b.MaxTries->SetValue(5000);
  Press(*b.BitBtn5);
  ASSERT_GT(b.Search.SolutionCount, 0);
  b.SpinEdit2->SetValue(1);
  EXPECT_EQ(b.StringGrid1->Col(), 2);
  backend->ExpectMessageBox("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ"_a, IDOK);
  Press(*b.BitBtn1);
  for (int i = 1; i <= 3; ++i)
    EXPECT_EQ(StrToNum(b.ProypGrid->Cells(5, i)), StrToNum(b.StringGrid1->Cells(2, i)));
  EXPECT_NEAR(b.MeanDiscount, 0.2, 1e-4);
  EXPECT_TRUE(b.getbtn->Enabled());
  // The tries' double click takes every combination, in order.
  backend->DoubleClick(*b.MaxTries, 5, 5);
  EXPECT_EQ(b.MaxTries->Value(), 2197);
  EXPECT_FALSE(b.RandSeries->Checked());
  Press(*b.BitBtn4);
  EXPECT_FALSE(b.inEkptEpim->Visible());
}

TEST_F(SearchWindow, PricesFilledThenSpreadByTheDeviationTable) {
  TUproypFrm& b = Bidder(1, {"10000", "1000"});
  Press(*b.EkptBtn);
  ASSERT_TRUE(b.inEkpt->Visible());
  b.Edit1->SetText("20");
  Press(*b.SpeedButton2);
  EXPECT_EQ(b.Edit2->Text(), "10384");  // 11,000 with 18 % less 20 %
  Press(*b.OkBitBtn);
  EXPECT_FALSE(b.inEkpt->Visible());
  EXPECT_EQ(b.ProypGrid->Cells(5, 1), "8,000.00");
  EXPECT_EQ(b.ProypGrid->Cells(5, 2), "800.00");
  EXPECT_NEAR(b.MeanDiscount, 0.2, 1e-9);
  EXPECT_FALSE(b.EkptBtn->Down());  // the filling is over
  b.ProypGrid->SetCells(9, 1, "+");
  backend->ExpectMessageBox("Υπερβολική απόκλιση"_a, IDYES);
  Press(*b.ApoklBtn);
  EXPECT_EQ(b.ProypGrid->ColWidths(12), 90);
  EXPECT_EQ(b.ProypGrid->Cells(8, 1), "90.9091");
  EXPECT_EQ(b.ProypGrid->Cells(10, 1), "1.00709");
  EXPECT_EQ(b.ProypGrid->Cells(11, 1), "8,057");
  EXPECT_EQ(b.OfferCostCol, 12);
  backend->SaveWindowPng(b, (TestOutputFolder() / "deviation_table.png").string());
  backend->ExpectMessageBox("Υπερβολική απόκλιση"_a, IDNO);
  b.CalcApoklish();
  EXPECT_EQ(b.ProypGrid->Cells(10, 1), "1.09800");
  Press(*b.ApoklBtn);
  EXPECT_EQ(b.ProypGrid->ColWidths(12), 0);
  EXPECT_EQ(b.OfferCostCol, 6);
}

// The heading row wraps its headings: those of the deviation table's
// narrow columns are drawn on two lines within the row's 32 pixels.
TEST_F(SearchWindow, DeviationHeadingsWrapInTheHeadingRow) {
  TUproypFrm& b = Bidder(1, {"10000", "1000"});
  Press(*b.ApoklBtn);
  TExtStringGrid& grid = *b.ProypGrid;
  ASSERT_EQ(grid.RowHeights(0), 32);
  backend->SaveWindowPng(b, (TestOutputFolder() / "deviation_headings.png").string());
  TRecordingCanvas canvas(grid.Width(), grid.Height());
  grid.PaintTo(canvas, 0, 0);
  for (int col : {8, 10}) {
    const AnsiString heading = grid.Cells(col, 0);
    SCOPED_TRACE(cp1253::ToUtf8(heading));
    const TRect cell = grid.CellRect(col, 0);
    ASSERT_GT(canvas.TextWidth(heading), cell.Width());
    const TDrawCall* drawn = nullptr;
    for (const TDrawCall& call : canvas.Calls)
      if ((call.Op == "DrawText" || call.Op == "DrawTextW") && call.Text == heading) drawn = &call;
    ASSERT_NE(drawn, nullptr);
    EXPECT_TRUE(drawn->Flags & DT_WORDBREAK);
    // Laid out in the width drawn, the heading takes two lines, which the
    // row holds.
    TRect r{drawn->Args[0], drawn->Args[1], drawn->Args[2], drawn->Args[3]};
    canvas.Font->Assign(drawn->Font);
    const int line = canvas.TextHeight(heading);
    canvas.DrawText(heading, r, drawn->Flags | DT_CALCRECT);
    EXPECT_EQ(r.Height(), 2 * line);
    EXPECT_LE(2 * line, cell.Height());
  }
}

TEST_F(SearchWindow, WithoutAStudyTotalNothingFollowsAndNothingIsSearched) {
  TUproypFrm& b = Bidder(2, {"1000", "2000"});
  OpenSearch(b, "20");
  b.StudyTotal = 0;
  Press(*b.SpeedButton1);
  EXPECT_EQ(b.Edit4->Text(), "");
  Press(*b.BitBtn5);
  EXPECT_EQ(b.STHLES->Text(), "");
  EXPECT_EQ(b.Search.SolutionCount, 0);
  b.Edit3->SetText("");
  b.Edit4->SetText("1000");
  Press(*b.SpeedButton1);
  EXPECT_EQ(b.Edit3->Text(), "");
}

TEST_F(SearchWindow, TwoSolutionsAreNotSorted) {
  TUproypFrm& b = Bidder(2, {"1000", "1000"});
  OpenSearch(b, "20");
  b.SpinEdit1->SetValue(4);
  b.Apokl1->SetValue(1);
  b.RandSeries->SetChecked(false);
  b.MaxTries->SetValue(4);  // in order: (19, 21) and (20, 20) of the first four
  Press(*b.BitBtn5);
  ASSERT_EQ(b.Search.SolutionCount, 2);
  const std::vector<AnsiString> before = Row(b, 1, 2);
  backend->ExpectMessageBox("Να γίνει ταξινόμηση; "_a, IDYES);
  backend->DoubleClick(*b.StringGrid1, 200, 100);
  EXPECT_EQ(Row(b, 1, 2), before);
}

}  // namespace
