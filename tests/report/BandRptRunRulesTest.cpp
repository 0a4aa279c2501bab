// The run's rules at its edges: margins wider than the sheet, a summary
// without room, the progress of need-data levels, group values that differ
// only in case or kind, bands a handler holds back, page footer children,
// and the settings of a report made in code.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "report/RpCtrls.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/report/BandRptFixture.h"
#include "tests/report/RpTestSupport.h"

namespace {

using namespace bandrpt_test;

TEST_F(BandRptTest, MarginsWiderThanTheSheetAreDroppedBeforeTheRun) {
  Standard(1);
  TRpPage& page = *rep->Page();
  struct Row {
    int first, second;  // the pair of margins set to Each
    int each;
    bool dropped;
  };
  // A4 is 2100 across and 2970 down: only a pair wider than its side goes.
  for (const Row& r : {Row{TRpPage::iLeftMargin, TRpPage::iRightMargin, 1050, false},
                       Row{TRpPage::iLeftMargin, TRpPage::iRightMargin, 1100, true},
                       Row{TRpPage::iTopMargin, TRpPage::iBottomMargin, 1100, false},
                       Row{TRpPage::iTopMargin, TRpPage::iBottomMargin, 1500, true}}) {
    for (int i : {TRpPage::iTopMargin, TRpPage::iBottomMargin, TRpPage::iLeftMargin, TRpPage::iRightMargin})
      page.SetValue(i, 100);
    page.SetValue(r.first, r.each);
    page.SetValue(r.second, r.each);
    Run();
    for (int i : {TRpPage::iTopMargin, TRpPage::iBottomMargin, TRpPage::iLeftMargin, TRpPage::iRightMargin}) {
      const bool pair = i == r.first || i == r.second;
      EXPECT_EQ(page.GetValue(i), pair ? (r.dropped ? 0 : r.each) : 100)
          << r.first << " " << r.each << " " << i;
    }
  }
  // The last run had no top margin: the page header opens the sheet at 0,
  // 100 from its left.
  const auto texts = PageTexts(*printer, 1);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts[0].S, "Κεφαλίδα"_a);
  EXPECT_EQ(texts[0].Y, 0);
  EXPECT_EQ(texts[0].X, PxY(100));
  page.SetValue(TRpPage::iLeftMargin, 1100);
  page.SetValue(TRpPage::iRightMargin, 1100);
  Run();
  EXPECT_EQ(PageTexts(*printer, 1)[0].X, 0);
}

TEST_F(BandRptTest, ASummaryWithoutRoomAfterTheLastLinePrintsOnTheNextPage) {
  // 51 lines of 50 fill page 1's 2550 under the header and title exactly.
  Standard(51);
  Run();
  ASSERT_EQ(printer->PageCount(), 2);
  const auto first = Strings(PageTexts(*printer, 1));
  EXPECT_EQ(first.back(), "Σελίδα 1"_a);
  EXPECT_EQ(std::count(first.begin(), first.end(), "Τέλος"_a), 0);
  const auto second = PageTexts(*printer, 2);
  EXPECT_EQ(Strings(second), (std::vector<AnsiString>{"Κεφαλίδα"_a, "Τέλος"_a, "Σελίδα 2"_a}));
  EXPECT_EQ(second[1].Y, PxY(160));
  // One line fewer leaves 50, still short of the summary's 80.
  Feed(50);
  Run();
  EXPECT_EQ(printer->PageCount(), 2);
  // With a summary of 50 it fits below the last line.
  rep->Bands()->Band(TBandRepBands::iSummary)->Size()->SetValue(TRpBandSize::iHeight, 50);
  Run();
  ASSERT_EQ(printer->PageCount(), 1);
  const auto only = PageTexts(*printer, 1);
  const auto end = std::find_if(only.begin(), only.end(), [](const Text& t) { return t.S == "Τέλος"_a; });
  ASSERT_NE(end, only.end());
  EXPECT_EQ(end->Y, PxY(260 + 50 * 50));
}

// The progress a run shows while need-data levels feed it: two points a
// record, back to five once past a hundred.
TEST_F(BandRptTest, NeedDataProgressStepsByTwoAndWrapsToFive) {
  Standard(0);
  std::vector<int> seen;
  rep->OnNeedData() = [&](TObject*, bool& more) {
    more = fed < 60;
    seen.push_back(rep->RpPrinter()->Progress());
    if (more) detail->SetCaption("Γραμμή "_a + IntToStr(++fed));
  };
  Run();
  EXPECT_EQ(rep->GetRecordNumber(), 60);
  // Each call after the first sees the progress of the records before the
  // one just printed.
  ASSERT_EQ(seen.size(), 61u);
  int expected = seen[0];
  EXPECT_EQ(seen[1], expected);
  for (size_t k = 2; k < seen.size(); ++k) {
    expected += 2;
    if (expected > 100) expected = 5;
    EXPECT_EQ(seen[k], expected) << k;
  }
  EXPECT_EQ(expected, 5 + 2 * (59 - 51));
}

// A group's value compared with the last one: a change of case or of kind
// opens a new group, an equal value or an error does not.
TEST_F(BandRptTest, GroupsReopenWhenTheValueChangesCaseOrKind) {
  Standard(0);
  rep->Functions()->AddFunction("N", "0");
  auto* g = new TRpGroup(Form.get());
  g->SetParent(rep);
  g->Size()->Units = TRpUnit::Native;
  g->Size()->SetValue(TRpBandSize::iHeight, 50);
  AddLabel(g, "Ομάδα"_a);
  rep->OnNeedData() = [&](TObject*, bool& more) {
    more = fed < 3;
    if (!more) return;
    detail->SetCaption("Γραμμή "_a + IntToStr(++fed));
    rep->Functions()->SetIntegerConstant(rep->Functions()->GetConstant("N"), fed);
  };
  struct Row {
    const char* expression;
    int groups;
  };
  for (const Row& r :
       {Row{"IF(N<2, 'abc', 'ABC')", 2}, Row{"IF(N<2, 'abc', 'abc')", 1}, Row{"IF(N<2, 1, 1.0)", 2},
        Row{"IF(N<3, 1, 1)", 1}, Row{"IF(N<2, 1, 2)", 2}, Row{"IF(N<2, 1=1, 1=2)", 2}, Row{"N", 3}}) {
    g->Expression = r.expression;
    Run();
    const auto texts = Strings(PageTexts(*printer, 1));
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Ομάδα"_a), r.groups) << r.expression;
  }
}

// A band held back by its handler prints nothing, nor the child that goes
// before it, and counts no record; a disabled one counts the record still.
// Either way its handler after the print hears that nothing printed, and
// a child that goes after it prints.
TEST_F(BandRptTest, ABandHeldBackPrintsNothingButItsLaterChild) {
  Standard(3);
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  auto* count = AddControl<TRpExpr>(rep->Bands()->Band(TBandRepBands::iSummary), 1000, 0, 800, 50);
  count->AutoSize = false;
  count->SetExpression("'Πλήθος ' + STR(COUNT)"_a);
  band->SetHasChild(true);
  TRpChildBand* child = band->ChildBand();
  ASSERT_NE(child, nullptr);
  child->Size()->Units = TRpUnit::Native;
  child->Size()->SetValue(TRpBandSize::iHeight, 50);
  AddLabel(child, "Παιδί"_a);
  child->PrintOrder = cboBeforeAndAfter;
  std::vector<bool> printed;
  band->AfterPrint = [&](TObject*, bool p) { printed.push_back(p); };
  band->BeforePrint = [&](TObject*, bool& print) { print = fed != 2; };
  Run();
  EXPECT_EQ(printed, (std::vector<bool>{true, false, true}));
  const auto texts = Strings(PageTexts(*printer, 1));
  EXPECT_EQ(texts, (std::vector<AnsiString>{"Κεφαλίδα"_a, "Τίτλος"_a, "Παιδί"_a, "Γραμμή 1"_a, "Παιδί"_a,
                                            "Παιδί"_a, "Παιδί"_a, "Γραμμή 3"_a, "Παιδί"_a, "Τέλος"_a,
                                            "Πλήθος 2"_a, "Σελίδα 1"_a}));
  // Disabled, the band counts every record.
  band->BeforePrint = nullptr;
  band->SetEnabled(false);
  printed.clear();
  Run();
  EXPECT_EQ(printed, (std::vector<bool>{false, false, false}));
  const auto disabled = Strings(PageTexts(*printer, 1));
  EXPECT_NE(std::find(disabled.begin(), disabled.end(), "Πλήθος 3"_a), disabled.end());
}

// A page footer's child is part of the footer: its room is kept at the
// bottom of every page and it reads as a page footer while it prints.
TEST_F(BandRptTest, APageFootersChildPrintsAsPartOfTheFooter) {
  Standard(120);
  TRpCustomBand* footer = rep->Bands()->Band(TBandRepBands::iPageFooter);
  footer->AlignToBottom = true;
  footer->SetHasChild(true);
  TRpChildBand* child = footer->ChildBand();
  child->Size()->Units = TRpUnit::Native;
  child->Size()->SetValue(TRpBandSize::iHeight, 40);
  AddLabel(child, "Υποσέλιδο"_a);
  std::vector<TRpBandType> types;
  child->BeforePrint = [&](TObject* sender, bool&) {
    types.push_back(static_cast<TRpCustomBand*>(sender)->BandType());
  };
  Run();
  // Room on a page: 2970 - 100 - 100 - footers 100, less the header and on
  // page 1 the title.
  const int first = (2670 - 60 - 100) / 50, later = (2670 - 60) / 50;
  const int pages = 1 + (120 - first + later - 1) / later;
  ASSERT_EQ(printer->PageCount(), pages);
  EXPECT_EQ(types, std::vector<TRpBandType>(pages, rbPageFooter));
  EXPECT_EQ(child->BandType(), rbChild);
  for (int n = 1; n <= pages; ++n) {
    const auto t = PageTexts(*printer, n);
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[t.size() - 2].S, "Σελίδα "_a + IntToStr(n));
    EXPECT_EQ(t[t.size() - 2].Y, PxY(2970 - 100 - 100)) << n;
    EXPECT_EQ(t.back().S, "Υποσέλιδο"_a);
    EXPECT_EQ(t.back().Y, PxY(2970 - 100 - 40)) << n;
  }
}

// A run the report's own handler refuses prints nothing and leaves the
// report idle; page handlers hear every page of a run.
TEST_F(BandRptTest, TheReportsHandlersCancelARunAndHearEveryPage) {
  Standard(120);
  int starts = 0, ends = 0;
  rep->OnStartPage = [&](TObject* sender) {
    EXPECT_EQ(sender, rep);
    ++starts;
  };
  rep->OnEndPage = [&](TObject*) { ++ends; };
  rep->BeforePrint = [](TObject*, bool& print) { print = false; };
  Run();
  EXPECT_EQ(printer->PageCount(), 0);
  EXPECT_EQ(starts + ends + fed, 0);
  EXPECT_TRUE(rep->Available);
  rep->BeforePrint = nullptr;
  Run();
  EXPECT_EQ(printer->PageCount(), 3);
  EXPECT_EQ(starts, 3);
  EXPECT_EQ(ends, 3);
}

TEST(BandRptMadeInCode, TakesTheUsualSettings) {
  TBandRep rep(nullptr);
  EXPECT_EQ(rep.Font().Name, "Arial");
  EXPECT_EQ(rep.Font().Size(), 10);
  EXPECT_EQ(rep.Color(), clWhite);
  EXPECT_EQ(rep.Left(), 0);
  EXPECT_EQ(rep.Top(), 0);
  EXPECT_TRUE(rep.Available);
  EXPECT_EQ(rep.CurrentY, -1);
  EXPECT_EQ(rep.AvailableSpace(), 0);
  EXPECT_EQ(rep.Zoom(), 100);
  EXPECT_TRUE(rep.PrintIfEmpty());
  EXPECT_TRUE(rep.SnapToGrid);
  EXPECT_FALSE(rep.ShowProgress_);
  EXPECT_EQ(rep.Options, (TBandRepOptions{FirstPageHeader, LastPageFooter}));
  EXPECT_EQ(rep.PrinterSettings.MemoryLimit, 250000);
  EXPECT_EQ(rep.PrinterSettings.PrintQuality, 600);
  for (const char* name : {"PAGENUMBER", "COLUMNNUMBER", "REPORTTITLE"})
    EXPECT_GE(rep.Functions()->IndexOf(name), 0) << name;
  // The preview's size reads 500 until a positive one is set.
  struct Row {
    int stored, read;
  };
  EXPECT_EQ(rep.PreviewWidth(), 500);
  EXPECT_EQ(rep.PreviewHeight(), 500);
  for (const Row& r : {Row{0, 500}, Row{-3, 500}, Row{1, 1}, Row{950, 950}}) {
    rep.SetPreviewWidth(r.stored);
    rep.SetPreviewHeight(r.stored);
    EXPECT_EQ(rep.PreviewWidth(), r.read) << r.stored;
    EXPECT_EQ(rep.PreviewHeight(), r.read) << r.stored;
  }
  // A zoom outside 1..300 is ignored.
  for (const auto& [set, kept] :
       std::vector<std::pair<int, int>>{{0, 100}, {301, 100}, {300, 300}, {1, 1}, {-5, 1}}) {
    rep.SetZoom(set);
    EXPECT_EQ(rep.Zoom(), kept) << set;
  }
}

// A group of a nested level that asks for it repeats its header at the top
// of every page its level runs onto, once a page, under the page header.
TEST_F(BandRptTest, ANestedLevelsGroupRepeatsItsHeaderOnEachPage) {
  Standard(1);
  rep->Functions()->AddFunction("KIND", "'α'"_a);
  auto* sub = new TRpSubDetail(Form.get());
  sub->SetParent(rep);
  sub->Size()->Units = TRpUnit::Native;
  sub->Size()->SetValue(TRpBandSize::iHeight, 50);
  TRpLabel* item = AddLabel(sub, "");
  int n = 0;
  sub->OnNeedData() = [&](TObject*, bool& more) {
    more = n < 120;
    if (more) item->SetCaption("Είδος "_a + IntToStr(++n));
  };
  auto* group = new TRpGroup(Form.get());
  group->SetParent(rep);
  group->SetMaster(sub);
  group->Expression = "KIND";
  group->ReprintOnNewPage = true;
  group->Size()->Units = TRpUnit::Native;
  group->Size()->SetValue(TRpBandSize::iHeight, 50);
  AddLabel(group, "Αρχή"_a);
  auto* footer = new TRpBand(Form.get());
  footer->SetParent(rep);
  footer->Size()->Units = TRpUnit::Native;
  footer->Size()->SetValue(TRpBandSize::iHeight, 50);
  group->SetFooterBand(footer);
  AddLabel(footer, "Κλείσιμο"_a);
  Run();
  ASSERT_GE(printer->PageCount(), 3);
  int items = 0, closings = 0;
  for (int p = 1; p <= printer->PageCount(); ++p) {
    const auto texts = Strings(PageTexts(*printer, p));
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Αρχή"_a), 1) << p;
    const auto at = std::find(texts.begin(), texts.end(), "Αρχή"_a) - texts.begin();
    // Page 1: header, title, the record, then the level; later pages
    // start with the page header and the group's header again.
    EXPECT_EQ(at, p == 1 ? 3 : 1) << p;
    for (const AnsiString& t : texts) {
      if (t.rfind("Είδος "_a, 0) == 0) {
        EXPECT_EQ(t, "Είδος "_a + IntToStr(++items));
      }
      closings += t == "Κλείσιμο"_a;
    }
  }
  EXPECT_EQ(items, 120);
  EXPECT_EQ(closings, 1);
}

// A group header that fits an empty page but not below the page header is
// reprinted on the next page and prints there, where it stands: its own
// new page does not reprint it again and again.
TEST_F(BandRptTest, AReprintedGroupHeaderTooTallForItsPageEndsOnTheNext) {
  Standard(55);
  auto* group = new TRpGroup(Form.get());
  group->SetParent(rep);
  group->Expression = "1";
  group->ReprintOnNewPage = true;
  group->Size()->Units = TRpUnit::Native;
  group->Size()->SetValue(TRpBandSize::iHeight, 2700);
  AddLabel(group, "Ομάδα"_a);
  Run();
  EXPECT_TRUE(rep->Available);
  // Page 1 has no room below the title, page 4 none below its header.
  std::vector<int> groupPages;
  int lines = 0;
  for (int p = 1; p <= printer->PageCount(); ++p) {
    const auto texts = Strings(PageTexts(*printer, p));
    for (const AnsiString& t : texts) {
      if (t == "Ομάδα"_a) groupPages.push_back(p);
      lines += t.rfind("Γραμμή "_a, 0) == 0;
    }
  }
  EXPECT_EQ(groupPages, (std::vector<int>{2, 5, 7}));
  EXPECT_EQ(lines, 55);
}

// Cancelled while the first record is fetched, the run prints nothing of
// the level, not even its title, and the job is dropped.
TEST_F(BandRptTest, ARunCancelledBeforeItsFirstRecordPrintsNothing) {
  Standard(0);
  rep->OnNeedData() = [&](TObject*, bool& more) {
    more = true;
    rep->Cancel();
  };
  Run();
  EXPECT_TRUE(rep->Cancelled);
  EXPECT_TRUE(rep->Available);
  EXPECT_EQ(rep->GetRecordNumber(), 0);
  EXPECT_EQ(rep->PageNumber, 0);
  EXPECT_EQ(printer->PageCount(), 0);
}

// A summary spans the page: begun in the second column it would print over
// the first, so it goes below every column of the page, or to a new page
// when they leave it no room.
TEST_F(BandRptTest, ASummaryAfterTheFirstColumnPrintsBelowEveryColumn) {
  Standard(60);
  rep->Page()->SetColumns(2);
  rep->Page()->SetValue(TRpPage::iColumnSpace, 100);
  rep->RebuildBandList();
  Run();
  // Column 1 takes 51 lines down to the footer, column 2 the other nine.
  ASSERT_EQ(printer->PageCount(), 2);
  const auto first = PageTexts(*printer, 1);
  EXPECT_EQ(std::count_if(first.begin(), first.end(), [](const Text& t) { return t.S == "Τέλος"_a; }), 0);
  EXPECT_EQ(first.back().S, "Σελίδα 1"_a);
  EXPECT_EQ(first.back().Y, PxY(2970 - 100 - 60));
  const auto second = PageTexts(*printer, 2);
  EXPECT_EQ(Strings(second), (std::vector<AnsiString>{"Κεφαλίδα"_a, "Τέλος"_a, "Σελίδα 2"_a}));
  EXPECT_EQ(second[1].X, PxY(100));
  EXPECT_EQ(second[1].Y, PxY(160));
  // Lines 3 and 4 ask for a column of their own; the first such asking
  // waits, so column 1 holds three lines and column 2 one: the summary goes
  // below the third.
  Feed(4);
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  band->BeforePrint = [&](TObject*, bool&) { band->ForceNewColumn = fed >= 3; };
  Run();
  ASSERT_EQ(printer->PageCount(), 1);
  const auto only = PageTexts(*printer, 1);
  const auto at = [&](const AnsiString& s) {
    const auto found = std::find_if(only.begin(), only.end(), [&](const Text& t) { return t.S == s; });
    return found == only.end() ? Text{s, -1, -1} : *found;
  };
  EXPECT_EQ(at("Γραμμή 3"_a).Y, PxY(360));
  EXPECT_EQ(at("Γραμμή 4"_a).Y, PxY(260));
  EXPECT_GT(at("Γραμμή 4"_a).X, PxY(100));
  EXPECT_EQ(at("Τέλος"_a).X, PxY(100));
  EXPECT_EQ(at("Τέλος"_a).Y, PxY(410));
  // Aligned to the bottom, on the new page it sits above the page footer.
  Feed(60);
  band->BeforePrint = nullptr;
  band->ForceNewColumn = false;
  rep->Bands()->Band(TBandRepBands::iSummary)->AlignToBottom = true;
  Run();
  ASSERT_EQ(printer->PageCount(), 2);
  const auto last = PageTexts(*printer, 2);
  ASSERT_EQ(Strings(last), (std::vector<AnsiString>{"Κεφαλίδα"_a, "Τέλος"_a, "Σελίδα 2"_a}));
  EXPECT_EQ(last[1].Y, PxY(2970 - 100 - 60 - 80));
}

// On a Japanese system the report keeps the font of the panel it stands
// on; elsewhere it starts in Arial 10 of its own.
TEST_F(BandRptTest, AJapaneseSystemKeepsThePanelsFont) {
  for (const char* name : {"ja", "ja_JP.UTF-8", "ja_JP@cjknarrow"})
    EXPECT_TRUE(IsJapaneseLocale(name)) << name;
  for (const char* name : {"", "C", "el_GR.UTF-8", "jav_ID", "en_JA"})
    EXPECT_FALSE(IsJapaneseLocale(name)) << name;
  Form->Font().Name = "Noto Sans CJK JP";
  Form->Font().SetSize(9);
  struct Restore {
    ~Restore() { SetRpJapaneseSystem(false); }
  } restore;
  for (bool japanese : {false, true}) {
    SetRpJapaneseSystem(japanese);
    auto* made = new TBandRep(Form.get());
    made->SetParent(Form.get());
    EXPECT_EQ(made->Font().Name, japanese ? "Noto Sans CJK JP" : "Arial") << japanese;
    EXPECT_EQ(made->Font().Size(), japanese ? 9 : 10) << japanese;
    EXPECT_EQ(made->ParentFont(), japanese) << japanese;
    delete made;
  }
}

// Children made by HasChild take names of their own, so that a stored form
// links each to its parent, however long the chain.
TEST_F(BandRptTest, ChildrenMadeByHasChildAreNamedAndKeepTheirChainInAStoredForm) {
  Standard(2);
  TRpCustomBand* summary = rep->Bands()->Band(TBandRepBands::iSummary);
  summary->SetHasChild(true);
  TRpChildBand* child = summary->ChildBand();
  ASSERT_NE(child, nullptr);
  child->Size()->Units = TRpUnit::Native;
  child->Size()->SetValue(TRpBandSize::iHeight, 50);
  AddLabel(child, "Παιδί"_a);
  child->SetHasChild(true);
  TRpChildBand* grandChild = child->ChildBand();
  ASSERT_NE(grandChild, nullptr);
  grandChild->Size()->Units = TRpUnit::Native;
  grandChild->Size()->SetValue(TRpBandSize::iHeight, 50);
  AddLabel(grandChild, "Εγγόνι"_a);
  EXPECT_EQ(child->Name(), "ChildBand1");
  EXPECT_EQ(grandChild->Name(), "ChildBand2");
  Run();
  const auto before = Strings(PageTexts(*printer, 1));
  EXPECT_EQ(before, (std::vector<AnsiString>{"Κεφαλίδα"_a, "Τίτλος"_a, "Γραμμή 1"_a, "Γραμμή 2"_a, "Τέλος"_a,
                                             "Παιδί"_a, "Εγγόνι"_a, "Σελίδα 1"_a}));
  TMemoryStream stored;
  rep->WriteForm(stored);
  stored.SetPosition(0);
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  TBandRep* copy = TCustomBandRep::ReadForm(stored, other.get());
  copy->SetParent(other.get());
  auto* copiedDetail = dynamic_cast<TRpLabel*>(copy->Bands()->Band(TBandRepBands::iDetail)->Controls(0));
  ASSERT_NE(copiedDetail, nullptr);
  int n = 0;
  copy->OnNeedData() = [&](TObject*, bool& more) {
    more = n < 2;
    if (more) copiedDetail->SetCaption("Γραμμή "_a + IntToStr(++n));
  };
  TRpPrinter again(copy);
  copy->RunInto(&again);
  EXPECT_EQ(Strings(PageTexts(again, 1)), before);
  // Taking the child away hands its own child to the band.
  summary->SetHasChild(false);
  EXPECT_EQ(summary->ChildBand(), grandChild);
}

// A band's kind is written over the band in the design view, whatever
// frame was drawn around it before.
TEST_F(BandRptTest, ABandsKindIsWrittenOverTheBandWhateverItsFrame) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 100);
  TRpFrame& frame = *band->Frame();
  for (bool framed : {false, true}) {
    frame.SetDrawTop(framed);
    frame.SetDrawBottom(framed);
    frame.SetDrawLeft(framed);
    frame.SetDrawRight(framed);
    ShowForm();
    const auto texts = Record(*band)->CallsOf("ExtTextOut");
    ASSERT_EQ(texts.size(), 1u) << framed;
    EXPECT_EQ(texts[0].Text, "Detail");
    EXPECT_EQ(texts[0].Brush.Style, bsClear) << framed;
    EXPECT_EQ(texts[0].Flags & ETO_OPAQUE, 0u) << framed;
  }
}

// The same on paper: the PDF printer's page 2 holds the summary at the
// left margin under the page header, and page 1 holds none of it.
TEST_F(BandRptTest, ASummaryPushedOutOfTheColumnsIsPrintedOnTheNextSheet) {
  TempFolder folder;
  UsePdfPrinterIn(folder.path());
  Standard(60);
  rep->Page()->SetColumns(2);
  rep->Page()->SetValue(TRpPage::iColumnSpace, 100);
  rep->RebuildBandList();
  rep->Print();
  const std::string file = PrintedPdf(folder);
  ASSERT_FALSE(file.empty());
  const auto page = [&](int n) {
    return RunCommand("pdftotext -bbox -enc UTF-8 -f " + std::to_string(n) + " -l " + std::to_string(n) +
                      " '" + file + "' - 2>/dev/null");
  };
  EXPECT_EQ(page(1).find(">Τέλος<"), std::string::npos);
  const std::string second = page(2);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(second, m, std::regex("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Τέλος<")))
      << second;
  EXPECT_NEAR(std::stod(m[1]), 10.0 / 25.4 * 72, 3);
  EXPECT_NEAR(std::stod(m[2]), 16.0 / 25.4 * 72, 3);
}

}  // namespace

namespace {

using namespace bandrpt_test;

// The report hears that its job went to the printer, once the job is
// written; a run that only fills the preview is no print job.
TEST_F(BandRptTest, APrintedReportHearsItsJobFinish) {
  TempFolder folder;
  UsePdfPrinterIn(folder.path());
  Standard(60);
  int heard = 0;
  size_t written = 0;
  rep->AfterPrint = [&](TObject* sender) {
    EXPECT_EQ(sender, rep);
    written = PdfsIn(folder.path()).size();
    ++heard;
  };
  rep->Print();
  EXPECT_EQ(heard, 1);
  EXPECT_EQ(written, 1u);
  fed = 0;
  Run();
  EXPECT_EQ(heard, 1);
  rep->BeforePrint = [](TObject*, bool& print) { print = false; };
  rep->Print();
  EXPECT_EQ(heard, 1);
  printers::UseSystem();
  Printer()->Refresh();
}

// A printer chosen earlier that is no longer installed leaves the run on
// the printer there is, in a report of its own and in a composite.
TEST_F(BandRptTest, APrinterNoLongerThereLeavesTheRunOnTheCurrentOne) {
  TempFolder folder;
  UsePdfPrinterIn(folder.path());
  Standard(60);
  rep->PrinterSettings.PrinterIndex = 3;
  EXPECT_NO_THROW(Run());
  EXPECT_EQ(printer->PageCount(), 2);
  fed = 0;
  EXPECT_NO_THROW(rep->Print());
  EXPECT_EQ(PdfsIn(folder.path()).size(), 1u);
  TRpCompositeReport composite(nullptr);
  composite.PrinterSettings.PrinterIndex = 5;
  composite.OnAddReports = [&](TObject*) { composite.Reports.push_back(rep); };
  fed = 0;
  EXPECT_NO_THROW(composite.Print());
  EXPECT_EQ(PdfsIn(folder.path()).size(), 2u);
  printers::UseSystem();
  Printer()->Refresh();
}

// Without any printer installed printing does nothing at all, while the
// pages for the preview are made as ever.
TEST_F(BandRptTest, WithoutAPrinterPrintingDoesNothingAndThePreviewsPagesAreMade) {
  printers::UseProfiles({}, -1);
  Printer()->Refresh();
  Standard(60);
  int asked = 0;
  rep->BeforePrint = [&](TObject*, bool&) { ++asked; };
  rep->Print();
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(rep->Available);
  Run();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(printer->PageCount(), 2);
  EXPECT_EQ(Strings(PageTexts(*printer, 2)).back(), "Σελίδα 2"_a);
  printers::UseSystem();
  Printer()->Refresh();
}

// The print dialog offers a range of pages; the range chosen is the one
// the report prints, and all pages again once the range is left.
TEST_F(BandRptTest, ThePrintDialogOffersARangeOfPagesAndTheReportPrintsIt) {
  TempFolder folder;
  UsePdfPrinterIn(folder.path());
  Standard(120);
  bool offered = false;
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    offered = Found<TRadioButton>(f, "PageNums").Enabled();
    Found<TRadioButton>(f, "PageNums").SetChecked(true);
    Found<TEdit>(f, "FromPage").SetText("2");
    Found<TEdit>(f, "ToPage").SetText("3");
    backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  rep->PrinterSetupDialog();
  EXPECT_TRUE(offered);
  EXPECT_EQ(rep->Tag, 0);
  EXPECT_EQ(rep->PrinterSettings.FirstPage, 2);
  EXPECT_EQ(rep->PrinterSettings.LastPage, 3);
  rep->Print();
  const std::string file = PrintedPdf(folder);
  ASSERT_FALSE(file.empty());
  const std::string text = RunCommand("pdftotext -layout -enc UTF-8 '" + file + "' - 2>/dev/null");
  EXPECT_EQ(text.find("Σελίδα 1"), std::string::npos);
  EXPECT_NE(text.find("Σελίδα 2"), std::string::npos);
  EXPECT_NE(text.find("Σελίδα 3"), std::string::npos);
  UsePdfPrinterIn(folder.path());
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    Found<TRadioButton>(f, "AllPages").SetChecked(true);
    backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  rep->PrinterSetupDialog();
  EXPECT_EQ(rep->PrinterSettings.FirstPage, 0);
  EXPECT_EQ(rep->PrinterSettings.LastPage, 0);
  printers::UseSystem();
  Printer()->Refresh();
}

}  // namespace
