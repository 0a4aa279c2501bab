// The report's data sets, nested groups, zoom and page changes, frame
// lines and rules, and the expanded height of stretching text.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "platform/ui/Application.h"
#include "tests/TestOutput.h"
#include "tests/platform/PdfStrokes.h"
#include "tests/platform/db/TestDatabase.h"
#include "tests/report/BandRptFixture.h"
#include "tests/report/RpTestSupport.h"

namespace {

using namespace bandrpt_test;

class BandRptPartsTest : public BandRptTest {
 protected:
  TRpExpr* AddExpr(TWinControl* parent, const AnsiString& expression, Extended left = 0) {
    auto* e = AddControl<TRpExpr>(parent, left, 0, 1000, 50);
    e->AutoSize = false;
    e->SetExpression(expression);
    return e;
  }
  TRpBand* AddFreeBand(Extended height) {
    auto* b = new TRpBand(Form.get());
    b->SetParent(rep);
    b->Size()->Units = TRpUnit::Native;
    b->Size()->SetValue(TRpBandSize::iHeight, height);
    return b;
  }
  // A 10 mm detail band that a six-line memo stretches, with a frame line
  // at 95 mm and two 6 mm vertical rules at 142 and 162 mm, the first
  // marked 1000; one record.
  TRpCustomBand* RuledBand() {
    TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 100);
    auto* memo = AddControl<TRpMemo>(band, 0, 0, 400, 100);
    memo->AutoSize = false;
    memo->SetAutoStretch(true);
    TStringList lines;
    for (int i = 1; i <= 6; ++i) lines.Add("Γραμμή "_a + IntToStr(i));
    memo->SetLines(lines);
    AddControl<TRpFrameline>(band, 940, 0, 20, 100);
    auto* rule = AddControl<TRpShape>(band, 1400, 0, 40, 60);
    rule->SetShape(rpsVertLine);
    rule->Tag = 1000;
    auto* plain = AddControl<TRpShape>(band, 1600, 0, 40, 60);
    plain->SetShape(rpsVertLine);
    Records(1);
    return band;
  }
  // N records with nothing to show of their own.
  void Records(int n) {
    total = n;
    rep->OnNeedData() = [this](TObject*, bool& more) { more = fed++ < total; };
  }
};

// A table of cities owned by Owner under Name.
TTable* CityTable(TComponent* owner, const AnsiString& name, const char* city) {
  auto* table = new TTable(owner);
  table->SetDatabaseName(MakeTestDatabase(
      ("report_" + name).c_str(),
      ("CREATE TABLE cities(name TEXT); INSERT INTO cities VALUES('" + std::string(city) + "');").c_str()));
  table->SetTableName("cities");
  table->SetName(name);
  table->Open();
  return table;
}

TEST_F(BandRptPartsTest, DataSetsComeFromTheReportsOwnForm) {
  // A table of the report's form, which nothing owns, answers by name.
  CityTable(Form.get(), "Other", "Πάτρα");
  AddExpr(AddBand(TBandRepBands::iDetail, 50), "Other.NAME");
  detail = AddLabel(rep->Bands()->Band(TBandRepBands::iDetail), "", 60);
  Feed(1);
  Run();
  EXPECT_EQ(Strings(PageTexts(*printer, 1)).at(0), "Πάτρα"_a);

  // A form of the application holds its own tables: a report on another
  // form of the application does not see them, even unqualified.
  std::unique_ptr<TForm> stranger(NewForm<TForm>(Application));
  CityTable(stranger.get(), "Stranger", "Χανιά");
  std::unique_ptr<TForm> mine(NewForm<TForm>(Application));
  TBandRep* own = NewA4Report(mine.get());
  own->SetParent(mine.get());
  own->Bands()->SetHasDetail(true);
  TRpCustomBand* band = own->Bands()->Band(TBandRepBands::iDetail);
  band->Size()->Units = TRpUnit::Native;
  band->Size()->SetValue(TRpBandSize::iHeight, 50);
  auto* unqualified = new TRpExpr(mine.get());
  unqualified->SetParent(band);
  unqualified->AutoSize = false;
  unqualified->SetExpression("NAME");
  TRpPrinter ownPrinter(own);
  own->RunInto(&ownPrinter);
  const auto texts = Strings(PageTexts(ownPrinter, 1));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0], "Χανιά"_a);
}

TEST_F(BandRptPartsTest, ANestedLevelOpensAndClosesItsOwnGroups) {
  Feed(2);
  detail = AddLabel(AddBand(TBandRepBands::iDetail, 50), "");
  rep->Functions()->AddFunction("KIND", "''");
  auto* sub = new TRpSubDetail(Form.get());
  sub->SetParent(rep);
  sub->Size()->Units = TRpUnit::Native;
  sub->Size()->SetValue(TRpBandSize::iHeight, 50);
  TRpLabel* item = AddLabel(sub, "");
  int n = 0;
  const AnsiString kinds[] = {"α"_a, "α"_a, "β"_a};
  sub->OnNeedData() = [&](TObject*, bool& more) {
    more = n % 4 != 3;
    if (more) {
      rep->Functions()->SetStringConstant(rep->Functions()->GetConstant("KIND"), kinds[n % 4]);
      item->SetCaption("Είδος "_a + IntToStr(n % 4 + 1));
    }
    ++n;
  };
  auto* group = new TRpGroup(Form.get());
  group->SetParent(rep);
  group->SetMaster(sub);
  ASSERT_EQ(group->Master(), sub);
  group->Expression = "KIND";
  group->Size()->Units = TRpUnit::Native;
  group->Size()->SetValue(TRpBandSize::iHeight, 50);
  AddExpr(group, "'Αρχή ' + KIND"_a);
  TRpBand* footer = AddFreeBand(50);
  group->SetFooterBand(footer);
  // Without a data set the next record is read before the footer prints:
  // the footer shows no value of the group.
  AddLabel(footer, "Τέλος"_a);
  // The level's bands follow the detail band in print order: the group
  // header, the sub-detail band, the group footer.
  const auto& list = rep->BandList();
  const auto at = [&](TRpCustomBand* b) { return std::find(list.begin(), list.end(), b) - list.begin(); };
  EXPECT_LT(at(rep->Bands()->Band(TBandRepBands::iDetail)), at(group));
  EXPECT_LT(at(group), at(sub));
  EXPECT_LT(at(sub), at(footer));
  Run();
  const std::vector<AnsiString> level{"Αρχή α"_a, "Είδος 1"_a, "Είδος 2"_a, "Τέλος"_a,
                                      "Αρχή β"_a, "Είδος 3"_a, "Τέλος"_a};
  std::vector<AnsiString> expected{"Γραμμή 1"_a};
  expected.insert(expected.end(), level.begin(), level.end());
  expected.push_back("Γραμμή 2"_a);
  expected.insert(expected.end(), level.begin(), level.end());
  EXPECT_EQ(Strings(PageTexts(*printer, 1)), expected);
  // A master of another kind is refused.
  group->SetMaster(footer);
  EXPECT_EQ(group->Master(), sub);
}

TEST_F(BandRptPartsTest, ZoomReachesBandsPrintablesAndThePage) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 400);
  TRpLabel* label = AddLabel(band, "Ζουμ"_a, 100);
  auto* shape = AddControl<TRpShape>(rep, 500, 500, 254, 254);
  const auto px = [](Extended tenths, int zoom) { return RpNearest(tenths * 96 / 254 * zoom / 100); };
  ASSERT_EQ(band->Height(), px(400, 100));
  ASSERT_EQ(label->Width(), px(1000, 100));
  rep->SetZoom(50);
  EXPECT_EQ(rep->Zoom(), 50);
  EXPECT_EQ(band->Zoom(), 50);
  EXPECT_EQ(band->Height(), px(400, 50));
  EXPECT_EQ(band->Width(), px(1900, 50));
  for (TRpPrintable* p : std::vector<TRpPrintable*>{label, shape}) EXPECT_EQ(p->GetZoom(), 50);
  EXPECT_EQ(label->Width(), px(1000, 50));
  EXPECT_EQ(label->Top(), px(100, 50));
  EXPECT_EQ(label->Height(), px(50, 50));
  EXPECT_EQ(shape->Width(), 48);
  EXPECT_EQ(shape->Left(), px(500, 50));
  // The report is the page at the zoom, its band below the top margin.
  EXPECT_EQ(rep->Page()->Zoom, 50);
  EXPECT_EQ(rep->Width(), px(2100, 50));
  EXPECT_EQ(rep->Height(), px(2970, 50));
  EXPECT_EQ(band->Left(), px(100, 50));
  EXPECT_EQ(band->Top(), px(100, 50));
  // The stored sizes stay as they were, and so do the pages.
  EXPECT_EQ(band->NativeHeight(), 400);
  EXPECT_EQ(label->NativeValue(TRpPrintableSize::iWidth), 1000);
  rep->SetZoom(0);
  rep->SetZoom(301);
  EXPECT_EQ(rep->Zoom(), 50);
  rep->SetZoom(100);
  EXPECT_EQ(band->Height(), px(400, 100));
  EXPECT_EQ(label->Width(), px(1000, 100));
}

TEST_F(BandRptPartsTest, ZoomHalvesEveryKindOfPrintable) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 800);
  std::vector<std::pair<const char*, TRpPrintable*>> printables{
      {"label", AddControl<TRpLabel>(band, 0, 0, 300, 200)},
      {"memo", AddControl<TRpMemo>(band, 300, 0, 300, 200)},
      {"system value", AddControl<TRpSysData>(band, 600, 0, 300, 200)},
      {"expression", AddControl<TRpExpr>(band, 900, 0, 300, 200)},
      {"data field", AddControl<TRpDBText>(band, 1200, 0, 300, 200)},
      {"rich text", AddControl<TRpRichText>(band, 1500, 0, 300, 200)},
      {"shape", AddControl<TRpShape>(band, 0, 400, 300, 200)},
      {"picture", AddControl<TRpImage>(band, 300, 400, 300, 200)},
      {"data picture", AddControl<TRpDBImage>(band, 600, 400, 300, 200)},
      {"frame line", AddControl<TRpFrameline>(band, 900, 400, 300, 200)},
      {"on the report", AddControl<TRpShape>(rep, 1200, 2000, 300, 200)}};
  for (auto& [kind, p] : printables)
    if (auto* text = dynamic_cast<TRpCustomLabel*>(p)) text->AutoSize = false;
  const auto px = [](Extended tenths, int zoom) { return RpNearest(tenths * 96 / 254 * zoom / 100); };
  for (int zoom : {50, 100, 200}) {
    rep->SetZoom(zoom);
    for (auto& [kind, p] : printables) {
      SCOPED_TRACE(std::string(kind) + " at " + std::to_string(zoom));
      EXPECT_EQ(p->GetZoom(), zoom);
      EXPECT_EQ(p->Left(), px(p->NativeValue(TRpPrintableSize::iLeft), zoom));
      EXPECT_EQ(p->Top(), px(p->NativeValue(TRpPrintableSize::iTop), zoom));
      EXPECT_EQ(p->Width(), px(300, zoom));
      EXPECT_EQ(p->Height(), px(200, zoom));
      // The stored size is the same at every zoom.
      EXPECT_EQ(p->NativeValue(TRpPrintableSize::iWidth), 300);
      EXPECT_EQ(p->NativeValue(TRpPrintableSize::iHeight), 200);
    }
  }
}

TEST_F(BandRptPartsTest, PageChangesResizeTheReportAndLayItsBandsOut) {
  TRpCustomBand* title = AddBand(TBandRepBands::iTitle, 100);
  TRpCustomBand* detailBand = AddBand(TBandRepBands::iDetail, 50);
  const auto px = [](Extended tenths) { return RpNearest(tenths * 96 / 254); };
  TRpPage& page = *rep->Page();
  EXPECT_EQ(rep->Width(), px(2100));
  EXPECT_EQ(detailBand->NativeWidth(), 1900);
  EXPECT_EQ(detailBand->Top(), title->Top() + title->Height());
  page.SetValue(TRpPage::iLeftMargin, 300);
  EXPECT_EQ(detailBand->NativeWidth(), 1700);
  EXPECT_EQ(title->Left(), px(300));
  page.SetValue(TRpPage::iTopMargin, 200);
  EXPECT_EQ(title->Top(), px(200));
  page.SetColumns(2);
  EXPECT_EQ(title->NativeWidth(), 1700);
  EXPECT_EQ(detailBand->NativeWidth(), 850);
  page.SetOrientation(poLandscape);
  EXPECT_EQ(rep->Width(), px(2970));
  EXPECT_EQ(rep->Height(), px(2100));
  EXPECT_EQ(title->NativeWidth(), 2970 - 400);
  // A custom sheet takes the size the report is drawn at.
  page.SetPaperSize(TRpPaperSize::Custom);
  rep->SetBounds(rep->Left(), rep->Top(), 500, 400);
  EXPECT_NEAR(static_cast<double>(page.NativeValue(TRpPage::iWidth)), 500 * 254 / 96.0, 1e-6);
  EXPECT_NEAR(static_cast<double>(page.NativeValue(TRpPage::iLength)), 400 * 254 / 96.0, 1e-6);
  EXPECT_NEAR(static_cast<double>(title->NativeWidth()), 500 * 254 / 96.0 - 400, 0.5);
  // A listed paper keeps its size whatever the report is drawn at.
  page.SetPaperSize(TRpPaperSize::A4);
  rep->SetBounds(rep->Left(), rep->Top(), 300, 300);
  EXPECT_EQ(page.NativeValue(TRpPage::iWidth), 2970);
}

TEST_F(BandRptPartsTest, ACustomSheetInLandscapePrintsAsItIsDrawn) {
  // A custom sheet's width and length are the ones the report shows,
  // whatever the orientation: landscape does not turn them again.
  TRpPage& page = *rep->Page();
  page.SetPaperSize(TRpPaperSize::Custom);
  page.SetValue(TRpPage::iWidth, 2400);
  page.SetValue(TRpPage::iLength, 1200);
  page.SetOrientation(poLandscape);
  ASSERT_EQ(page.NativeValue(TRpPage::iWidth), 2400);
  detail = AddLabel(AddBand(TBandRepBands::iDetail, 100), "");
  // Ten lines fill the 1000 between the margins.
  Feed(20);
  Run();
  ASSERT_EQ(printer->PageCount(), 2);
  EXPECT_EQ(PageTexts(*printer, 1).size(), 10u);
  const auto sheet = printer->GetPage(1);
  EXPECT_EQ(sheet->Width(), printer->DeviceWidth(2400));
  EXPECT_EQ(sheet->Height(), printer->DeviceHeight(1200));
  EXPECT_EQ(printer->PaperWidth(), 2400);
  EXPECT_EQ(printer->PaperLength(), 1200);
}

// Each record of one type and at least MinSize bytes on a recorded page.
template <typename Read>
void ForEachRecord(TRpPrinter& p, int n, std::uint32_t wanted, size_t minSize, Read read) {
  EnumEnhMetafile(p.GetPage(n)->Data(), [&](std::uint32_t type, std::string_view rec) {
    if (type == wanted && rec.size() >= minSize) read(rec);
    return true;
  });
}

// The two-point lines of a recorded page.
struct Segment {
  int X1, Y1, X2, Y2;
};
std::vector<Segment> PageLines(TRpPrinter& p, int n) {
  std::vector<Segment> out;
  ForEachRecord(p, n, emr::POLYLINE16, 36, [&](std::string_view rec) {
    std::uint32_t count;
    std::memcpy(&count, rec.data() + 24, 4);
    if (count != 2) return;
    std::int16_t v[4];
    std::memcpy(v, rec.data() + 28, 8);
    out.push_back({v[0], v[1], v[2], v[3]});
  });
  return out;
}

// The printables are told among a band's controls, and the guide lines
// among the printables.
TEST_F(BandRptPartsTest, PrintablesAndGuideLinesAreToldAmongABandsControls) {
  TRpBand* band = AddFreeBand(100);
  auto* label = AddControl<TRpLabel>(band, 0, 0, 100, 50);
  auto* line = AddControl<TRpFrameline>(band, 200, 0, 10, 50);
  EXPECT_EQ(AsPrintable(label), static_cast<TRpPrintable*>(label));
  EXPECT_EQ(AsPrintable(line), static_cast<TRpPrintable*>(line));
  EXPECT_EQ(AsPrintable(band), nullptr);
  EXPECT_EQ(AsPrintable(rep), nullptr);
  EXPECT_EQ(AsPrintable(Form.get()), nullptr);
  EXPECT_EQ(label->AsFrameline(), nullptr);
  EXPECT_EQ(line->AsFrameline(), line);
  // One that is gone leaves the others as they were.
  delete label;
  EXPECT_EQ(AsPrintable(band->Controls(0)), static_cast<TRpPrintable*>(line));
}

// A band's child follows the links as they change: a child given to
// another band, freed, or made anew.
TEST_F(BandRptPartsTest, ABandsChildFollowsItsLinks) {
  TRpBand* first = AddFreeBand(100);
  TRpBand* second = AddFreeBand(100);
  EXPECT_EQ(first->ChildBand(), nullptr);
  auto* child = new TRpChildBand(Form.get());
  child->SetParent(rep);
  child->SetParentBand(first);
  EXPECT_EQ(first->ChildBand(), child);
  EXPECT_EQ(second->ChildBand(), nullptr);
  child->SetParentBand(second);
  EXPECT_EQ(first->ChildBand(), nullptr);
  EXPECT_EQ(second->ChildBand(), child);
  delete child;
  EXPECT_EQ(second->ChildBand(), nullptr);
  first->SetHasChild(true);
  ASSERT_NE(first->ChildBand(), nullptr);
  EXPECT_EQ(first->ChildBand()->ParentBand(), first);
  EXPECT_EQ(second->ChildBand(), nullptr);
  delete first;
  EXPECT_EQ(second->ChildBand(), nullptr);
}

TEST_F(BandRptPartsTest, FrameLinesAndMarkedRulesRunOverTheGrownBand) {
  TRpCustomBand* band = RuledBand();
  band->Frame()->SetDrawTop(true);
  Run();
  TRpPrinter& p = *printer;
  const int top = p.DeviceY(100);
  // The memo grew the band beyond its 10 mm; the frame line and the marked
  // rule run to its grown bottom, the plain rule keeps its own height.
  const int grown = p.DeviceY(100 + 100 + band->Expanded + 1);
  ASSERT_GT(band->Expanded, 0);
  const auto lines6 = PageLines(p, 1);
  const auto vertical = [&](int x) {
    std::vector<Segment> found;
    for (const Segment& s : lines6)
      if (s.X1 == x && s.X2 == x) found.push_back(s);
    return found;
  };
  const int frameLineX = p.DeviceX(100) + RpNearest(950.0L / 1900 * (p.DeviceX(2000) - p.DeviceX(100)));
  ASSERT_EQ(vertical(frameLineX).size(), 1u);
  EXPECT_EQ(vertical(frameLineX)[0].Y1, top);
  EXPECT_EQ(vertical(frameLineX)[0].Y2, grown);
  const auto marked = vertical(p.DeviceX(100 + 1420));
  // The rule prints as itself, then once more over the whole band.
  ASSERT_EQ(marked.size(), 2u);
  EXPECT_EQ(marked[1].Y1, top);
  EXPECT_EQ(marked[1].Y2, grown);
  const auto unmarked = vertical(p.DeviceX(100 + 1620));
  ASSERT_EQ(unmarked.size(), 1u);
  EXPECT_EQ(unmarked[0].Y2, p.DeviceY(160));

  // An export hands the band's background, its frame with the frame line,
  // and the marked rule at the band's whole height.
  fed = 0;
  RecordingFilter filter;
  rep->ExportToFilter(&filter);
  const std::vector<std::string> shapes(filter.shapes.begin(), filter.shapes.end());
  ASSERT_GE(shapes.size(), 5u);
  EXPECT_EQ(shapes[0], "0 solid nopen 1900");  // the band's background first
  int frameLines = 0, wholeRules = 0;
  for (const std::string& s : shapes) {
    frameLines += s.rfind("2 solid pen", 0) == 0 && s != "2 solid pen 40";
    wholeRules += s == "2 solid pen 40";
  }
  EXPECT_EQ(frameLines, 1);
  // Each rule as itself, and the marked one again.
  EXPECT_EQ(wholeRules, 3);
}

// The same band printed to the PDF printer: the frame line and the marked
// rule are stroked lines of the document, as far down as the band grew.
TEST_F(BandRptPartsTest, FrameLinesAndMarkedRulesAreStrokedInThePdf) {
  TempFolder folder;
  UsePdfPrinterIn(folder.path());
  TRpCustomBand* band = RuledBand();
  rep->Print();
  const std::string file = PrintedPdf(folder);
  ASSERT_FALSE(file.empty());
  ASSERT_TRUE(PdfIsSound(file));
  ASSERT_GT(band->Expanded, 0);
  const auto pt = [](Extended tenths) { return static_cast<double>(tenths) / 254 * 72; };
  const double top = pt(100), grown = pt(100 + 100 + band->Expanded + 1);
  const std::vector<TStroke> strokes = PdfStrokes(file, pt(2970));
  const auto vertical = [&](double x) {
    std::vector<TStroke> found;
    for (const TStroke& s : strokes)
      if (std::fabs(s.x1 - x) < 0.5 && std::fabs(s.x2 - x) < 0.5) found.push_back(s);
    return found;
  };
  // The frame line at its centre in the band, from the band's top to its
  // grown bottom.
  const auto frameLine = vertical(pt(100 + 950));
  ASSERT_EQ(frameLine.size(), 1u);
  EXPECT_NEAR(frameLine[0].y1, top, 0.5);
  EXPECT_NEAR(frameLine[0].y2, grown, 0.5);
  // The marked rule as itself, then over the whole grown band.
  const auto marked = vertical(pt(100 + 1420));
  ASSERT_EQ(marked.size(), 2u);
  EXPECT_NEAR(marked[0].y2, pt(160), 0.5);
  EXPECT_NEAR(marked[1].y1, top, 0.5);
  EXPECT_NEAR(marked[1].y2, grown, 0.5);
  // The plain one keeps its own 6 mm.
  const auto unmarked = vertical(pt(100 + 1620));
  ASSERT_EQ(unmarked.size(), 1u);
  EXPECT_NEAR(unmarked[0].y2, pt(160), 0.5);
  std::string text;
  ASSERT_TRUE(PdfText(file, text));
  EXPECT_NE(text.find("Γραμμή 6"), std::string::npos);
}

TEST_F(BandRptPartsTest, TheReportsFrameReachesTheFilterAroundEachPage) {
  detail = AddLabel(AddBand(TBandRepBands::iDetail, 50), "");
  Feed(1);
  TRpFrame& frame = *rep->Frame();
  frame.SetDrawTop(true);
  frame.SetDrawBottom(true);
  frame.SetDrawLeft(true);
  frame.SetDrawRight(true);
  RecordingFilter all;
  rep->ExportToFilter(&all);
  // After the band's background: one rectangle around the margins.
  EXPECT_EQ(all.shapes, (std::vector<std::string>{"0 solid nopen 1900", "0 clear pen 1900"}));
  frame.SetDrawTop(false);
  frame.SetDrawBottom(false);
  fed = 0;
  RecordingFilter sides;
  rep->ExportToFilter(&sides);
  ASSERT_EQ(sides.shapes.size(), 3u);
  EXPECT_EQ(sides.shapes[1].rfind("2 solid pen", 0), 0u);
  EXPECT_EQ(sides.shapes[2].rfind("2 solid pen", 0), 0u);
  // The frame comes with the page's end, before the filter hears of it.
  const auto endPage = std::find(sides.calls.begin(), sides.calls.end(), "EndPage");
  EXPECT_NE(endPage, sides.calls.end());
}

// The filled rectangles of a page: x, y, width, height in device pixels.
std::vector<std::array<int, 4>> PageFills(TRpPrinter& p, int n) {
  std::vector<std::array<int, 4>> out;
  ForEachRecord(p, n, emr::BITBLT, 40, [&](std::string_view rec) {
    std::array<int, 4> f;
    std::memcpy(f.data(), rec.data() + 24, 16);
    out.push_back(f);
  });
  return out;
}

TEST_F(BandRptPartsTest, APrintablesFrameStopsAtTheBottomMargin) {
  // A band taller than an empty page prints where it stands, past the
  // bottom margin; the frames on it are cut at the margin.
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 3000);
  TRpLabel* low = AddControl<TRpLabel>(band, 200, 2600, 500, 300);
  low->AutoSize = false;
  low->SetCaption("Κάτω"_a);
  low->Frame()->SetDrawLeft(true);
  auto* box = AddControl<TRpShape>(band, 900, 2600, 300, 300);
  box->Frame()->SetDrawRight(true);
  auto* picture = AddControl<TRpImage>(band, 1300, 2600, 300, 300);
  picture->Frame()->SetDrawLeft(true);
  Records(1);
  Run();
  TRpPrinter& p = *printer;
  const int v = low->Frame()->VerticalThickness(p.XFactor());
  const int bottom = p.DeviceY(2970 - 100);
  const auto side = [&](int x) {
    for (const auto& f : PageFills(p, 1))
      if (f[0] == x && f[2] == v) return f;
    return std::array<int, 4>{};
  };
  const auto label = side(p.DeviceX(100 + 200));
  EXPECT_EQ(label[1] + label[3], bottom);
  const auto image = side(p.DeviceX(100 + 1300));
  EXPECT_EQ(image[1] + image[3], bottom);
  // A shape prints no frame.
  EXPECT_EQ(side(p.DeviceX(100 + 1200) - v)[2], 0);
}

// A memo fed one line per record holds that line alone, whatever it held.
TEST_F(BandRptPartsTest, AMemoSetToOneLineHoldsItAlone) {
  auto* memo = AddControl<TRpMemo>(AddBand(TBandRepBands::iDetail, 50), 0, 0, 1000, 50);
  memo->AutoSize = false;
  const auto lines = [&] {
    std::vector<AnsiString> out;
    for (int i = 0; i < memo->FormattedLines()->Count(); ++i)
      out.push_back(memo->FormattedLines()->Strings(i));
    return out;
  };
  struct Step {
    std::vector<AnsiString> before;
    AnsiString line;
  } steps[] = {{{}, "πρώτη"_a}, {{"α", "β", "γ"}, "δεύτερη"_a}, {{"ένα"_a}, ""}, {{"x"}, "  "}};
  for (const Step& s : steps) {
    TStringList before;
    for (const AnsiString& l : s.before) before.Add(l);
    memo->SetLines(before);
    memo->FormattedLines();
    memo->SetLine(s.line);
    EXPECT_EQ(memo->Lines()->Count(), 1);
    EXPECT_EQ(lines(), std::vector<AnsiString>{s.line});
  }
}

TEST_F(BandRptPartsTest, StretchingTextGrowsByItsTextHeight) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  auto* memo = AddControl<TRpMemo>(band, 0, 0, 1000, 50);
  memo->AutoSize = false;
  TStringList lines;
  for (int i = 1; i <= 10; ++i) lines.Add("Γραμμή "_a + IntToStr(i));
  memo->SetLines(lines);
  Extended height = 0;
  memo->GetExpandedHeight(height);
  const int textHeight = rep->TextHeight(memo->Font(), "W");
  EXPECT_EQ(height, 10 * textHeight);
  rep->SetZoom(200);
  memo->GetExpandedHeight(height);
  EXPECT_EQ(height, 10 * MulDiv(textHeight, 200, 100));
  rep->SetZoom(100);
  // A band kept on one page moves only when its text does not fit: under
  // a title that leaves just its stretched height, it stays on page 1.
  band->KeepOnOnePage = true;
  const Extended stretched = band->StretchHeight();
  AddBand(TBandRepBands::iTitle, 2970 - 200 - std::ceil(static_cast<double>(stretched)));
  Records(1);
  Run();
  EXPECT_EQ(printer->PageCount(), 1);
  EXPECT_EQ(Strings(PageTexts(*printer, 1)).at(0), "Γραμμή 1"_a);
}

TEST_F(BandRptPartsTest, ASubDetailMakesAndFreesItsHeaderAndFooter) {
  Feed(2);
  detail = AddLabel(AddBand(TBandRepBands::iDetail, 50), "");
  auto* sub = new TRpSubDetail(Form.get());
  sub->SetParent(rep);
  sub->Size()->Units = TRpUnit::Native;
  sub->Size()->SetValue(TRpBandSize::iHeight, 50);
  AddLabel(sub, "Υπο"_a);
  int n = 0;
  sub->OnNeedData() = [&](TObject*, bool& more) { more = n++ % 2 == 0; };
  TRpSubDetailGroupBands& bands = *sub->Bands();
  EXPECT_FALSE(bands.HasHeader());
  bands.SetHasHeader(true);
  bands.SetHasFooter(true);
  ASSERT_TRUE(bands.HasHeader());
  ASSERT_TRUE(bands.HasFooter());
  TRpCustomBand* header = sub->HeaderBand();
  EXPECT_EQ(header->BandType(), rbGroupHeader);
  EXPECT_EQ(header->Name(), "GroupHeaderBand1");
  EXPECT_EQ(header->Owner(), Form.get());
  EXPECT_EQ(sub->FooterBand()->BandType(), rbGroupFooter);
  AddLabel(header, "Αρχή"_a);
  AddLabel(sub->FooterBand(), "Τέλος"_a);
  Run();
  EXPECT_EQ(Strings(PageTexts(*printer, 1)),
            (std::vector<AnsiString>{"Γραμμή 1"_a, "Αρχή"_a, "Υπο"_a, "Τέλος"_a, "Γραμμή 2"_a, "Αρχή"_a,
                                     "Υπο"_a, "Τέλος"_a}));
  bands.SetHasHeader(false);
  EXPECT_EQ(sub->HeaderBand(), nullptr);
  EXPECT_EQ(Form->FindComponent("GroupHeaderBand1"), nullptr);
  n = 0;
  Run();
  EXPECT_EQ(Strings(PageTexts(*printer, 1)).at(1), "Υπο"_a);
}

TEST_F(BandRptPartsTest, ALoopOfLinksIsRefusedAndTheDesignerSaysSo) {
  TRpCustomBand* a = AddBand(TBandRepBands::iDetail, 50);
  auto* b = new TDesigned<TRpBand>(Form.get());
  b->SetParent(rep);
  a->SetLinkBand(b);
  // At run time the refusal is silent.
  b->SetLinkBand(a);
  EXPECT_EQ(b->LinkBand(), nullptr);
  b->SetDesigning(true);
  backend->ExpectMessageBox("Circular linking not allowed", IDOK);
  b->SetLinkBand(a);
  EXPECT_EQ(b->LinkBand(), nullptr);
  EXPECT_EQ(backend->MessageBoxes.size(), 1u);
  auto* outer = new TDesigned<TRpSubDetail>(Form.get());
  outer->SetParent(rep);
  auto* inner = new TRpSubDetail(Form.get());
  inner->SetParent(rep);
  inner->SetMaster(outer);
  outer->SetDesigning(true);
  backend->ExpectMessageBox("Circular linking not allowed", IDOK);
  outer->SetMaster(inner);
  EXPECT_EQ(outer->Master(), rep);
  EXPECT_EQ(backend->MessageBoxes.size(), 2u);
}

// The options and clipping rectangle of each text record of a page.
struct Clip {
  std::uint32_t Options;
  TRect Rect;
};
std::vector<Clip> TextClips(TRpPrinter& p, int n) {
  std::vector<Clip> out;
  ForEachRecord(p, n, emr::EXTTEXTOUTW, 72, [&](std::string_view rec) {
    Clip c{};
    std::int32_t r[4];
    std::memcpy(&c.Options, rec.data() + 52, 4);
    std::memcpy(r, rec.data() + 56, 16);
    c.Rect = {r[0], r[1], r[2], r[3]};
    out.push_back(c);
  });
  return out;
}

TEST_F(BandRptPartsTest, EachLineIsClippedToItsRectangle) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 200);
  // A tall font in a short label prints one line of the label's height
  // (which formatting raised to one line of the report's reference font).
  TRpLabel* tall = AddControl<TRpLabel>(band, 200, 0, 600, 30);
  tall->AutoSize = false;
  tall->Font().SetSize(36);
  tall->SetCaption("Ψηλά"_a);
  tall->Size()->SetValue(TRpPrintableSize::iHeight, 30);
  TRpLabel* right = AddControl<TRpLabel>(band, 900, 50, 500, 50);
  right->AutoSize = false;
  right->SetAlignment(taRightJustify);
  right->SetCaption("Δεξιά"_a);
  Records(1);
  Run();
  TRpPrinter& p = *printer;
  const auto clips = TextClips(p, 1);
  ASSERT_EQ(clips.size(), 2u);
  for (const Clip& c : clips) EXPECT_TRUE(c.Options & ETO_CLIPPED);
  EXPECT_EQ(clips[0].Rect.Left, p.DeviceX(300));
  EXPECT_EQ(clips[0].Rect.Top, p.DeviceY(100));
  EXPECT_EQ(clips[0].Rect.Right - clips[0].Rect.Left, p.DeviceWidth(600));
  EXPECT_EQ(clips[0].Rect.Bottom - clips[0].Rect.Top,
            p.DeviceHeight(tall->NativeValue(TRpPrintableSize::iHeight)));
  // Right-aligned text keeps the control's own span.
  EXPECT_EQ(clips[1].Rect.Left, p.DeviceX(1000));
  EXPECT_EQ(clips[1].Rect.Right - clips[1].Rect.Left, p.DeviceWidth(500));
}

TEST_F(BandRptPartsTest, ADataSetPictureShowsItsFieldsCaptionInTheDesign) {
  TTable* table = CityTable(Form.get(), "Pictures", "");
  auto* image = AddControl<TRpDBImage>(AddBand(TBandRepBands::iDetail, 300), 0, 0, 500, 254);
  image->SetName("Picture");
  EXPECT_EQ(DrawnTexts(*Record(*image)), std::vector<AnsiString>{"(Picture)"});
  image->SetDataSet(table);
  image->DataField = "NAME";
  EXPECT_EQ(DrawnTexts(*Record(*image)),
            std::vector<AnsiString>{"(name)"});  // the field as the table names it
  table->FindField("NAME")->SetDisplayLabel("Όνομα"_a);
  EXPECT_EQ(DrawnTexts(*Record(*image)), std::vector<AnsiString>{"(Όνομα)"_a});
}

TEST(RpPrinterTest, StringPosCountsFromOne) {
  const struct {
    const char* sub;
    const char* s;
    int pos;
  } cases[] = {{"a", "abc", 1}, {"c", "abc", 3}, {"bc", "abc", 2},
               {"d", "abc", 0}, {"", "abc", 1},  {"x", "", 0}};
  for (const auto& c : cases) EXPECT_EQ(TRpPrinter::StringPos(c.sub, c.s), c.pos) << c.sub << " in " << c.s;
}

// Everything the report draws on a page: texts with their places, and lines.
std::vector<std::string> PageDrawing(TRpPrinter& p, int n) {
  std::vector<std::string> out;
  for (const Text& t : PageTexts(p, n))
    out.push_back(t.S + " " + std::to_string(t.X) + "," + std::to_string(t.Y));
  for (const Segment& s : PageLines(p, n))
    out.push_back("line " + std::to_string(s.X1) + "," + std::to_string(s.Y1) + " " + std::to_string(s.X2) +
                  "," + std::to_string(s.Y2));
  return out;
}

TEST_F(BandRptPartsTest, AStoredReportPrintsTheSamePages) {
  rep->SetName("Report");
  rep->ReportTitle = "Αποθηκευμένη"_a;
  rep->Options = {FirstPageHeader};
  rep->Functions()->AddFunction("TWICE", "PAGENUMBER*2");
  TRpCustomBand* header = AddBand(TBandRepBands::iPageHeader, 60);
  header->Frame()->SetDrawBottom(true);
  AddExpr(header, "'Σελίδα ' + STR(TWICE)"_a);
  TRpCustomBand* detailBand = AddBand(TBandRepBands::iDetail, 50);
  for (int i = 0; i < 3; ++i) {
    auto* item = AddControl<TRpSysData>(detailBand, 400.0L * i, 0, 380, 50);
    item->AutoSize = false;
    item->SetData(rpsDetailNo);
    item->SetText(IntToStr(i) + ":");
  }
  auto* rule = AddControl<TRpShape>(detailBand, 1300, 0, 40, 50);
  rule->SetShape(rpsVertLine);
  rule->Tag = 1000;
  rule->Pen()->Width = 3;
  auto* memo = AddControl<TRpMemo>(detailBand, 1400, 0, 400, 50);
  memo->AutoSize = false;
  memo->SetAutoStretch(true);
  TStringList lines;
  lines.Add("Πρώτη"_a);
  lines.Add("Δεύτερη"_a);
  memo->SetLines(lines);
  memo->Font().Style = fsBold;
  auto* group = new TRpGroup(Form.get());
  group->SetName("Tens");
  group->SetParent(rep);
  group->Expression = "PAGENUMBER";
  group->ReprintOnNewPage = true;
  group->Size()->Units = TRpUnit::Native;
  group->Size()->SetValue(TRpBandSize::iHeight, 40);
  AddExpr(group, "'Ομάδα ' + STR(PAGENUMBER)"_a);
  TRpBand* footer = AddFreeBand(40);
  footer->SetName("TensFooter");
  group->SetFooterBand(footer);
  AddLabel(footer, "Τέλος ομάδας"_a);
  TRpCustomBand* summary = AddBand(TBandRepBands::iSummary, 80);
  summary->SetHasChild(true);
  AddLabel(summary->ChildBand(), "Παιδί"_a);
  auto* stamp = AddControl<TRpLabel>(rep, 1500, 2800, 500, 50);
  stamp->AutoSize = false;
  stamp->SetCaption("Σφραγίδα"_a);
  stamp->SetAlignment(taRightJustify);
  Records(70);
  Run();
  const int pages = printer->PageCount();
  ASSERT_GE(pages, 2);
  std::vector<std::vector<std::string>> before;
  for (int n = 1; n <= pages; ++n) before.push_back(PageDrawing(*printer, n));

  TMemoryStream stored;
  rep->WriteForm(stored);
  stored.SaveToFile(TestOutput("report.form"));
  stored.SetPosition(0);
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  TBandRep* copy = TCustomBandRep::ReadForm(stored, other.get());
  ASSERT_NE(copy, nullptr);
  copy->SetParent(other.get());
  EXPECT_EQ(copy->Name(), "Report");
  EXPECT_EQ(copy->ReportTitle, rep->ReportTitle);
  EXPECT_EQ(copy->BandList().size(), rep->BandList().size());
  int records = 0;
  copy->OnNeedData() = [&](TObject*, bool& more) { more = records++ < 70; };
  TRpPrinter again(copy);
  copy->RunInto(&again);
  ASSERT_EQ(again.PageCount(), pages);
  for (int n = 1; n <= pages; ++n) EXPECT_EQ(PageDrawing(again, n), before[n - 1]) << "page " << n;

  // Written again, the copy gives the same bytes.
  TMemoryStream second;
  copy->WriteForm(second);
  EXPECT_EQ(second.Size(), stored.Size());
  EXPECT_EQ(std::memcmp(second.Memory(), stored.Memory(), static_cast<size_t>(stored.Size())), 0);
}

TEST_F(BandRptPartsTest, AStoredReportKeepsItsUnitsZoomAndPrinterChoices) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  AddLabel(band, "Κείμενο"_a)->SetName("Text1");
  rep->SetUnits(TRpUnit::Inches);
  rep->SetZoom(75);
  rep->SetPreviewWidth(950);
  rep->PrevShowThumbs = true;
  rep->PreviewInitialState = wsNormal;
  rep->PreviewDefaultSaveType = stPDF;
  TBandRepPrinterSettings& s = rep->PrinterSettings;
  s.Copies = 3;
  s.Collate = 1;
  s.Duplex = true;
  s.OutputBin = TRpBin::Manual;
  s.PrintQuality = 300;
  s.LastPage = 4;
  TMemoryStream stored;
  rep->WriteForm(stored);
  stored.SetPosition(0);
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  std::unique_ptr<TBandRep> copy(TCustomBandRep::ReadForm(stored, other.get()));
  EXPECT_EQ(copy->Units(), TRpUnit::Inches);
  EXPECT_EQ(copy->Zoom(), 75);
  TRpCustomBand* read = copy->Bands()->Band(TBandRepBands::iDetail);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Size()->Units, TRpUnit::Inches);
  EXPECT_EQ(read->Zoom(), 75);
  EXPECT_EQ(read->Height(), RpNearest(50 * 96 / 254.0L * 75 / 100));
  // A width of 950 comes back as 950, not as the 500 of an unset one.
  EXPECT_EQ(copy->PreviewWidth(), 950);
  EXPECT_EQ(copy->PreviewHeight(), 500);
  EXPECT_TRUE(copy->PrevShowThumbs);
  EXPECT_EQ(copy->PreviewInitialState, wsNormal);
  EXPECT_EQ(copy->PreviewDefaultSaveType, stPDF);
  const TBandRepPrinterSettings& c = copy->PrinterSettings;
  EXPECT_EQ(c.Copies, 3);
  EXPECT_EQ(c.Collate, 1);
  EXPECT_TRUE(c.Duplex);
  EXPECT_EQ(c.OutputBin, TRpBin::Manual);
  EXPECT_EQ(c.PrintQuality, 300);
  EXPECT_EQ(c.LastPage, 4);
}

// The usual print quality, the printer index and the title are no part of
// a stored form; a quality of its own is.
TEST_F(BandRptPartsTest, AStoredReportWritesOnlyAQualityOfItsOwn) {
  AddBand(TBandRepBands::iDetail, 50);
  const auto written = [&] {
    TMemoryStream stored;
    rep->WriteForm(stored);
    return std::string(static_cast<const char*>(stored.Memory()), static_cast<size_t>(stored.Size()));
  };
  const auto readBack = [&](const std::string& bytes) {
    TMemoryStream stored;
    stored.Write(bytes.data(), static_cast<int>(bytes.size()));
    stored.SetPosition(0);
    std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
    std::unique_ptr<TBandRep> copy(TCustomBandRep::ReadForm(stored, other.get()));
    return copy->PrinterSettings.PrintQuality;
  };
  rep->PrinterSettings.PrinterIndex = 1;
  rep->PrinterSettings.Title = "Τίτλος εργασίας"_a;
  const std::string usual = written();
  EXPECT_EQ(usual.find("PrintQuality"), std::string::npos);
  EXPECT_EQ(usual.find("PrinterIndex"), std::string::npos);
  EXPECT_EQ(usual.find("Τίτλος εργασίας"_a), std::string::npos);
  EXPECT_EQ(readBack(usual), 600);
  rep->PrinterSettings.PrintQuality = -4;  // the driver's highest
  const std::string own = written();
  EXPECT_NE(own.find("PrinterSettings.PrintQuality"), std::string::npos);
  EXPECT_EQ(readBack(own), -4);
}

TEST_F(BandRptPartsTest, AStoredReportKeepsWhichFontsFollowTheirBand) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 100);
  band->SetName("Band1");
  TRpLabel* own = AddLabel(band, "Δική"_a);
  own->SetName("Own");
  TFont bold;
  bold.Assign(own->Font());
  bold.Name = "DejaVu Serif";
  bold.SetSize(14);
  bold.Style = fsBold;
  own->SetFont(bold);
  TRpLabel* follower = AddLabel(band, "Της ζώνης"_a, 50);
  follower->SetName("Follower");
  TFont serif;
  serif.Assign(band->Font());
  serif.Name = "DejaVu Serif";
  serif.SetSize(12);
  band->SetFont(serif);
  ASSERT_EQ(follower->Font().Name, "DejaVu Serif");
  // Changed in place: stored with a font of its own.
  TRpLabel* changed = AddLabel(band, "Αλλαγμένη"_a, 100);
  changed->SetName("Changed");
  changed->Font().Style = fsItalic;
  TMemoryStream stored;
  rep->WriteForm(stored);
  stored.SetPosition(0);
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  std::unique_ptr<TBandRep> copy(TCustomBandRep::ReadForm(stored, other.get()));
  auto* readBand = dynamic_cast<TRpCustomBand*>(other->FindComponent("Band1"));
  auto* readOwn = dynamic_cast<TRpLabel*>(other->FindComponent("Own"));
  auto* readFollower = dynamic_cast<TRpLabel*>(other->FindComponent("Follower"));
  auto* readChanged = dynamic_cast<TRpLabel*>(other->FindComponent("Changed"));
  ASSERT_TRUE(readBand && readOwn && readFollower && readChanged);
  EXPECT_EQ(readBand->Font(), band->Font());
  EXPECT_FALSE(readBand->ParentFont());
  EXPECT_EQ(readOwn->Font(), bold);
  EXPECT_EQ(readFollower->Font(), serif);
  EXPECT_EQ(readChanged->Font().Style, fsItalic);
  // A new font on the band reaches only the label that follows it.
  TFont mono;
  mono.Assign(serif);
  mono.Name = "DejaVu Sans Mono";
  readBand->SetFont(mono);
  EXPECT_EQ(readFollower->Font().Name, "DejaVu Sans Mono");
  EXPECT_EQ(readOwn->Font(), bold);
  EXPECT_EQ(readChanged->Font().Style, fsItalic);
  EXPECT_NE(readChanged->Font().Name, "DejaVu Sans Mono");
}

TEST_F(BandRptPartsTest, ADamagedStoredReportLeavesNothingBehind) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  AddLabel(band, "Κείμενο"_a)->SetName("Text1");
  AddControl<TRpShape>(band, 0, 0, 100, 100)->SetName("Shape1");
  TMemoryStream stored;
  rep->WriteForm(stored);
  const std::string bytes(static_cast<const char*>(stored.Memory()), static_cast<size_t>(stored.Size()));
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  // Every cut and a changed byte in each place: an error or a report, and
  // nothing else left on the form.
  int refused = 0;
  for (size_t cut = 0; cut < bytes.size(); cut += 7) {
    for (int flip = 0; flip < 2; ++flip) {
      std::string damaged = flip ? bytes : bytes.substr(0, cut);
      if (flip) damaged[cut] = static_cast<char>(damaged[cut] ^ 0x5A);
      TMemoryStream in;
      in.WriteBuffer(damaged.data(), static_cast<int>(damaged.size()));
      in.SetPosition(0);
      try {
        delete TCustomBandRep::ReadForm(in, other.get());
      } catch (const EReadError&) {
        ++refused;
      } catch (const EComponentError&) {
        ++refused;
      }
      EXPECT_EQ(other->ComponentCount(), 0) << "cut " << cut << " flip " << flip;
    }
  }
  EXPECT_GT(refused, static_cast<int>(bytes.size() / 7));
}

TEST_F(BandRptPartsTest, TheDesignViewShowsMarginsFrameAndColumnGaps) {
  AddBand(TBandRepBands::iTitle, 100);
  AddBand(TBandRepBands::iDetail, 50);
  TRpPage& page = *rep->Page();
  page.SetValue(TRpPage::iColumnSpace, 100);
  page.SetColumns(3);
  rep->Frame()->SetDrawLeft(true);
  const auto px = [](Extended tenths) { return RpNearest(tenths * 96 / 254); };
  const auto canvas = Record(*rep);
  const TRpDesignPalette& palette = RpDesignPalette();
  int margins = 0;
  for (const TDrawCall& call : canvas->CallsOf("Rectangle"))
    if (call.Pen.Color == palette.Margin && call.Pen.Style == palette.MarginStyle)
      margins += call.Args == std::vector<int>{px(100), px(100), px(2000), px(2870)};
  EXPECT_EQ(margins, 1);
  // The frame's left side along the left margin.
  bool frame = false;
  for (const TDrawCall& call : canvas->CallsOf("FillRect"))
    frame = frame || (call.Brush.Color == clBlack && call.Args.size() == 4 && call.Args[0] == px(100) &&
                      call.Args[1] == px(100) && call.Args[3] == px(2870));
  EXPECT_TRUE(frame);
  // Columns of (1900 - 200) / 3 with gaps of 100: ticks at both edges of
  // each gap, from the top of the sheet to the top margin.
  std::vector<int> ticks;
  for (const TDrawCall& call : canvas->CallsOf("Polyline"))
    if (call.Pen.Color == palette.Margin && call.Args.size() == 4 && call.Args[0] == call.Args[2] &&
        call.Args[1] == 0 && call.Args[3] == px(100))
      ticks.push_back(call.Args[0]);
  const Extended column = (1900 - 200) / 3.0L;
  EXPECT_EQ(ticks, (std::vector<int>{px(100 + column), px(100 + column + 100), px(100 + 2 * column + 100),
                                     px(100 + 2 * (column + 100))}));
}

}  // namespace
