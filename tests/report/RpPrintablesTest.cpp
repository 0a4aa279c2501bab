// Printables in a report at any zoom, as the designer leaves them and as
// they print: the stretched height of a band, the design view of a memo,
// sizes read while a form loads, shapes, pictures and data fields.
#include <gtest/gtest.h>

#include <map>

#include "platform/db/Db.h"
#include "tests/platform/db/TestDatabase.h"
#include "tests/report/BandRptFixture.h"

namespace {

using namespace bandrpt_test;

// A control whose form is being read.
template <class C>
class TLoading : public C {
 public:
  using C::C;
  using TComponent::SetLoading;
};

class RpPrintablesTest : public BandRptTest {
 protected:
  TRpBand* AddFreeBand(Extended height) {
    auto* b = new TRpBand(Form.get());
    b->SetParent(rep);
    b->Size()->Units = TRpUnit::Native;
    b->Size()->SetValue(TRpBandSize::iHeight, height);
    return b;
  }
  void Records(int n) {
    total = n;
    rep->OnNeedData() = [this](TObject*, bool& more) { more = fed++ < total; };
  }
  static std::unique_ptr<TStringList> Numbered(const AnsiString& word, int count) {
    auto lines = std::make_unique<TStringList>();
    for (int i = 1; i <= count; ++i) lines->Add(word + IntToStr(i));
    return lines;
  }
  // The drawing records of a page of the last run of one type, with the
  // numbers after their bounds.
  std::vector<std::vector<std::int32_t>> Records(int page, std::uint32_t wanted) {
    std::vector<std::vector<std::int32_t>> out;
    EnumEnhMetafile(printer->GetPage(page)->Data(), [&](std::uint32_t type, std::string_view rec) {
      if (type != wanted) return true;
      std::vector<std::int32_t> v;
      for (size_t at = 8; at + 4 <= rec.size() && v.size() < 18; at += 4) {
        std::int32_t x;
        std::memcpy(&x, rec.data() + at, 4);
        v.push_back(x);
      }
      out.push_back(v);
      return true;
    });
    return out;
  }
};

// The stretched height a band asks for is in tenths of a millimetre: the
// designer's zoom changes how large the controls are drawn, not how tall
// the printed band is.
TEST_F(RpPrintablesTest, TheStretchedHeightIsTheSameAtEveryZoom) {
  TRpBand* memoBand = AddFreeBand(100);
  auto* memo = AddControl<TRpMemo>(memoBand, 0, 100, 600, 100);
  memo->AutoSize = false;
  memo->SetLines(*Numbered("Γραμμή "_a, 8));
  TRpBand* richBand = AddFreeBand(100);
  auto* rich = AddControl<TRpRichText>(richBand, 0, 100, 1500, 100);
  rich->RichEdit()->SetRichText(
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 A\\par B\\par C\\par D\\par E}");
  std::string hex;
  for (unsigned char b : TBitmap(40, 120).SaveToBytes()) {
    static const char digits[] = "0123456789abcdef";
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  TTable table(nullptr);
  table.SetDatabaseName(MakeTestDatabase(
      "report_printables", "CREATE TABLE pics(pic BLOB);INSERT INTO pics VALUES(x'" + hex + "');"));
  table.SetTableName("pics");
  table.Open();
  TRpBand* pictureBand = AddFreeBand(100);
  auto* picture = AddControl<TRpDBImage>(pictureBand, 0, 100, 300, 100);
  picture->SetDataSet(&table);
  picture->DataField = "PIC";
  picture->Prepare();
  struct Row {
    const char* kind;
    TRpCustomBand* band;
  };
  for (const Row& r : {Row{"memo", memoBand}, Row{"rich text", richBand}, Row{"data picture", pictureBand}}) {
    rep->SetZoom(100);
    const Extended full = r.band->StretchHeight();
    ASSERT_GT(full, 200) << r.kind;
    for (int zoom : {50, 200, 75}) {
      rep->SetZoom(zoom);
      // Within the pixel a zoomed control's top and height round to.
      EXPECT_NEAR(static_cast<double>(r.band->StretchHeight()), static_cast<double>(full), 12)
          << r.kind << " at " << zoom;
    }
  }
  picture->Unprepare();
}

// A band kept on one page moves to the next page as a whole at any zoom,
// and its background is as tall as its stretched text.
TEST_F(RpPrintablesTest, AZoomedReportPrintsThePagesOfAnUnzoomedOne) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 100);
  band->KeepOnOnePage = true;
  band->PreCaluculateBandHeight = true;
  band->SetColor(clYellow);
  auto* memo = AddControl<TRpMemo>(band, 0, 0, 1000, 100);
  memo->AutoSize = false;
  memo->SetAutoStretch(true);
  memo->SetLines(*Numbered("Γραμμή "_a, 10));
  Records(8);
  Run();
  const auto atFull = Pages();
  ASSERT_EQ(atFull.size(), 2u);
  for (int zoom : {50, 200}) {
    rep->SetZoom(zoom);
    Run();
    const auto zoomed = Pages();
    ASSERT_EQ(zoomed.size(), atFull.size()) << zoom;
    for (size_t n = 0; n < zoomed.size(); ++n) {
      ASSERT_EQ(zoomed[n].size(), atFull[n].size()) << zoom << " page " << n + 1;
      for (size_t i = 0; i < zoomed[n].size(); ++i) {
        EXPECT_EQ(zoomed[n][i].S, atFull[n][i].S);
        EXPECT_EQ(zoomed[n][i].X, atFull[n][i].X);
        EXPECT_EQ(zoomed[n][i].Y, atFull[n][i].Y);
      }
    }
  }
}

// An empty memo shows its name in the design view; once it has lines it
// shows them, and the name its caption took is gone.
TEST_F(RpPrintablesTest, AMemoWithLinesShowsThemInsteadOfItsName) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 300);
  auto* memo = AddControl<TDesigned<TRpMemo>>(band, 0, 0, 1000, 300);
  memo->SetDesigning(true);
  memo->AutoSize = false;
  memo->SetName("Notes");
  EXPECT_EQ(Record(*memo)->TextDrawn(), "Notes\n");
  memo->SetLines(*Numbered("Γραμμή "_a, 2));
  EXPECT_EQ(Record(*memo)->TextDrawn(), "Γραμμή 1\nΓραμμή 2\n"_a);
  EXPECT_EQ(memo->Caption(), "");
  // A print leaves the name as its caption again, for a memo emptied later.
  Records(1);
  Run();
  EXPECT_EQ(memo->Caption(), "Notes");
  memo->Lines()->Clear();
  EXPECT_EQ(Record(*memo)->TextDrawn(), "Notes\n");
}

// Turning the ruler on or off gives every band and printable the report's
// units again.
TEST_F(RpPrintablesTest, TheRulerSwitchGivesTheReportsUnitsToEveryPart) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 300);
  TRpLabel* label = AddLabel(band, "Α"_a);
  auto* onReport = AddControl<TRpShape>(rep, 0, 0, 100, 100);
  rep->SetUnits(TRpUnit::MM);
  band->Size()->Units = TRpUnit::Inches;
  label->Size()->Units = TRpUnit::Pixels;
  onReport->Size()->Units = TRpUnit::Characters;
  for (bool ruler : {false, true}) {
    rep->Page()->SetRuler(ruler);
    EXPECT_EQ(rep->Page()->Ruler(), ruler);
    for (const TRpUnitBase* size :
         std::vector<const TRpUnitBase*>{band->Size(), label->Size(), onReport->Size()})
      EXPECT_EQ(size->Units, TRpUnit::MM) << ruler;
    EXPECT_EQ(label->Size()->GetValue(TRpPrintableSize::iWidth), 100);
    label->Size()->Units = TRpUnit::Pixels;
  }
}

// Bounds a stored form sets while it loads wait for Loaded: the size read
// with the form places the control, and a bound the size leaves at 0 is
// the one read.
TEST_F(RpPrintablesTest, BoundsSetWhileLoadingAreAppliedWhenLoaded) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 300);
  auto* shape = AddControl<TLoading<TRpShape>>(band, 0, 0, 254, 254);
  shape->SetLoading(true);
  shape->SetBounds(30, 40, 50, 60);
  // Nothing moves while loading.
  EXPECT_EQ(shape->Left(), 0);
  EXPECT_EQ(shape->Width(), 96);
  EXPECT_EQ(shape->NativeValue(TRpPrintableSize::iWidth), 254);
  shape->Size()->SetNativeValue(TRpPrintableSize::iLeft, 0);
  shape->Size()->SetNativeValue(TRpPrintableSize::iWidth, 0);
  shape->SetLoading(false);
  shape->Loaded();
  // Where the size leaves a bound at 0 the saved one fills it in.
  EXPECT_EQ(shape->Left(), 30);
  EXPECT_EQ(shape->Width(), 50);
  EXPECT_EQ(shape->Top(), 40);
  EXPECT_EQ(shape->Height(), 96);
  EXPECT_EQ(RpNearest(shape->NativeValue(TRpPrintableSize::iWidth)), RpNearest(50 * 254 / 96.0L));
}

// The shapes on the page: a rule at half its height whatever its pen, a
// rounded rectangle with no round factor has square corners and with one
// corners of that share of its width, and a frame line on the report
// itself draws nothing.
TEST_F(RpPrintablesTest, ShapesDrawTheirOwnGeometry) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 400);
  struct Row {
    int penWidth;
    Extended top;
  };
  const Row rules[] = {{1, 0}, {9, 100}, {25, 200}};
  for (const Row& r : rules) {
    auto* rule = AddControl<TRpShape>(band, 0, r.top, 1000, 80);
    rule->SetShape(rpsHorLine);
    rule->Pen()->Width = r.penWidth;
  }
  auto* square = AddControl<TRpShape>(band, 1200, 0, 300, 300);
  square->SetShape(rpsRoundRect);
  auto* round = AddControl<TRpShape>(band, 1600, 0, 300, 300);
  round->SetShape(rpsRoundRect);
  round->SetRoundFactor(0.25f);
  AddControl<TRpFrameline>(rep, 500, 500, 20, 1000);
  Records(1);
  // The corners are a share of the width on the page at any zoom.
  rep->SetZoom(50);
  Run();
  TRpPrinter& p = *printer;
  std::vector<int> ys;
  for (const auto& line : Records(1, emr::POLYLINE16)) {
    // The two points after the bounds and the count, as 16-bit pairs.
    ASSERT_GE(line.size(), 7u);
    ys.push_back(static_cast<std::int16_t>(line[5] >> 16));
    EXPECT_EQ(static_cast<std::int16_t>(line[5] >> 16), static_cast<std::int16_t>(line[6] >> 16));
  }
  // Three rules, each across its control at 40 below its top.
  ASSERT_EQ(ys.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(ys[i], p.DeviceY(100 + rules[i].top + 40)) << rules[i].penWidth;
  const auto rects = Records(1, emr::ROUNDRECT);
  ASSERT_EQ(rects.size(), 2u);
  // Bounds, then the corner's width and height.
  EXPECT_EQ(rects[0][4], 0);
  EXPECT_EQ(rects[0][5], 0);
  EXPECT_EQ(rects[1][4], static_cast<int>(p.DeviceWidth(300) * 0.25f));
  EXPECT_EQ(rects[1][5], rects[1][4]);
  EXPECT_EQ(rects[0][0], p.DeviceX(100 + 1200));
}

// A picture without Stretch prints at its natural size, centred in its
// control when asked; AutoSize on an empty picture leaves the control as
// it is.
TEST_F(RpPrintablesTest, APictureKeepsItsNaturalSizeCentredInItsPlace) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 600);
  auto* image = AddControl<TRpImage>(band, 200, 0, 500, 400);
  const int width = image->Width(), height = image->Height();
  image->SetAutoSize(true);
  EXPECT_EQ(image->Width(), width);
  EXPECT_EQ(image->Height(), height);
  image->SetAutoSize(false);
  image->Picture()->SetGraphic(std::make_unique<TBitmap>(48, 24));
  image->SetCenter(true);
  Records(1);
  Run();
  TRpPrinter& p = *printer;
  const auto pictures = Records(1, emr::STRETCHDIBITS);
  ASSERT_EQ(pictures.size(), 1u);
  const int pw = RpNearest(48 / 96.0L * 254 * p.XFactor()), ph = RpNearest(24 / 96.0L * 254 * p.YFactor());
  EXPECT_EQ(pictures[0][4], p.DeviceX(100 + 200) + (p.DeviceWidth(500) - pw) / 2);
  EXPECT_EQ(pictures[0][5], p.DeviceY(100) + (p.DeviceHeight(400) - ph) / 2);
  // Destination width and height, after the source and the bitmap's place.
  EXPECT_EQ(pictures[0][16], pw);
  EXPECT_EQ(pictures[0][17], ph);
}

// A label of its own colour hands an export its background; a white one
// does not, as no transparent one does.
TEST_F(RpPrintablesTest, OnlyAColouredOpaqueLabelExportsItsBackground) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  band->TransparentBand = true;
  TRpLabel* label = AddLabel(band, "Λευκό"_a);
  struct Row {
    bool transparent;
    TColor color;
    std::vector<std::string> shapes;
  };
  const Row rows[] = {{false, clWhite, {}}, {true, clYellow, {}}, {false, clYellow, {"0 solid nopen 1000"}}};
  for (const Row& r : rows) {
    label->SetTransparent(r.transparent);
    label->SetColor(r.color);
    Records(1);
    fed = 0;
    RecordingFilter filter;
    rep->ExportToFilter(&filter);
    EXPECT_EQ(filter.shapes, r.shapes) << r.transparent << " " << r.color;
  }
}

// Data fields print by their kind: a string field ignores the mask, numbers
// and dates take it, a blob field prints its lines.
TEST_F(RpPrintablesTest, DataFieldsPrintByTheirKindAndMask) {
  TTable table(nullptr);
  table.SetDatabaseName(MakeTestDatabase("report_printables",
                                         "CREATE TABLE t(name TEXT, n INTEGER, x REAL, d DATE, notes BLOB);"
                                         "INSERT INTO t VALUES('12.5', 1234, 2.5, 45000.0, CAST('First' || "
                                         "char(13) || char(10) || 'Second' AS BLOB));"));
  table.SetTableName("t");
  table.Open();
  rep->SetDataSet(&table);
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 200);
  struct Row {
    const char* field;
    const char* mask;
    std::vector<AnsiString> printed;
  };
  const Row rows[] = {{"NAME", "0.00", {"12.5"}},
                      {"N", "#,##0.00", {"1,234.00"}},
                      {"N", "", {"1234"}},
                      {"X", "0.000", {"2.500"}},
                      {"D", "yyyy-mm-dd", {"2023-03-15"}},
                      {"NOTES", "0.00", {"First", "Second"}}};
  Extended left = 0;
  for (const Row& r : rows) {
    auto* text = AddControl<TRpDBText>(band, left, 0, 300, 200);
    text->AutoSize = false;
    text->SetDataSet(&table);
    text->SetDataField(r.field);
    text->Mask = r.mask;
    left += 310;
  }
  Run();
  std::map<int, std::vector<AnsiString>> byLeft;
  for (const Text& t : PageTexts(*printer, 1)) byLeft[t.X].push_back(t.S);
  left = 0;
  for (const Row& r : rows) {
    EXPECT_EQ(byLeft[PxY(100 + left)], r.printed) << r.field << " " << r.mask;
    left += 310;
  }
}

// An expression with no master is told of the records only when it sums
// or counts them.
TEST_F(RpPrintablesTest, OnlyAnAggregateWithoutMasterHearsOfTheRecords) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  rep->Functions()->AddFunction("AMOUNT", "2");
  struct Row {
    const char* expression;
    bool told;
  };
  for (const Row& r : {Row{"AMOUNT + 1", false}, Row{"SUM(AMOUNT)", true}}) {
    auto* e = AddControl<TRpExpr>(band, 0, 0, 1000, 50);
    e->SetExpression(r.expression);
    rep->Controller()->NotifyList.clear();
    e->Prepare();
    const auto& told = rep->Controller()->NotifyList;
    EXPECT_EQ(std::find(told.begin(), told.end(), e) != told.end(), r.told) << r.expression;
    e->Unprepare();
    delete e;
  }
}

// Text is laid out at full size whatever the designer's zoom: the lines a
// label breaks into, the sizes an automatically sized one takes and the
// pages printed are those of full size, and zooming leaves the stored sizes
// as they were.
TEST_F(RpPrintablesTest, TheDesignersZoomChangesNoLineAndNoSize) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 2600);
  const AnsiString text =
      "Η επιτροπή διαγωνισμού εξέτασε τις προσφορές των διαγωνιζομένων και αποφάσισε ομόφωνα τα ακόλουθα"_a;
  std::vector<TRpLabel*> wrapped, sized;
  for (int i = 0; i < 20; ++i) {
    auto* l = AddControl<TRpLabel>(band, 0, i * 90, 300 + 14 * i, 90);
    l->AutoSize = false;
    l->SetCaption(text);
    wrapped.push_back(l);
  }
  for (int i = 0; i < 20; ++i) {
    auto* l = AddControl<TRpLabel>(band, 1200, 1850 + i * 36, 300, 30);
    l->SetAlignment(i % 3 == 0 ? taLeftJustify : i % 3 == 1 ? taRightJustify : taCenter);
    l->SetCaption(text.substr(0, 5 + 3 * i));
    sized.push_back(l);
  }
  const auto lines = [&] {
    std::vector<AnsiString> out;
    for (TRpLabel* l : wrapped) out.push_back(l->FormattedLines()->Text());
    return out;
  };
  const auto sizes = [&] {
    std::vector<Extended> out;
    for (TRpLabel* l : sized)
      for (int i : {TRpPrintableSize::iLeft, TRpPrintableSize::iWidth, TRpPrintableSize::iHeight})
        out.push_back(l->NativeValue(i));
    return out;
  };
  Records(1);
  Run();
  const auto pages = Pages();
  ASSERT_EQ(pages.size(), 1u);
  // Two lines of each wrapped label, and each sized one.
  ASSERT_EQ(pages[0].size(), 60u);
  const auto fullLines = lines();
  const auto fullSizes = sizes();
  for (int zoom : {50, 33, 75, 90, 150, 200, 100}) {
    rep->SetZoom(zoom);
    for (TRpLabel* l : wrapped) l->SetCaption(text);
    for (size_t i = 0; i < sized.size(); ++i) sized[i]->SetCaption(text.substr(0, 5 + 3 * i));
    EXPECT_EQ(lines(), fullLines) << zoom;
    EXPECT_EQ(sizes(), fullSizes) << zoom;
    Run();
    const auto zoomed = Pages();
    ASSERT_EQ(zoomed.size(), 1u);
    ASSERT_EQ(zoomed[0].size(), pages[0].size()) << zoom;
    for (size_t i = 0; i < pages[0].size(); ++i) {
      EXPECT_EQ(zoomed[0][i].S, pages[0][i].S) << zoom;
      EXPECT_EQ(zoomed[0][i].X, pages[0][i].X) << zoom;
      EXPECT_EQ(zoomed[0][i].Y, pages[0][i].Y) << zoom;
    }
  }
}

}  // namespace
