// The report's design view beyond the grid and margins: the paper a new
// report takes, character units that follow the report's font, and the
// picture of the first page behind the bands.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gfx/Bitmap.h"
#include "platform/ui/Application.h"
#include "tests/TestOutput.h"
#include "tests/platform/db/TestDatabase.h"
#include "tests/report/BandRptFixture.h"
#include "tests/report/RpTestSupport.h"

namespace {

using namespace bandrpt_test;

using BandRptDesignTest = BandRptTest;

// Every text a recorded paint drew, whatever call drew it.
std::vector<AnsiString> TextsOf(const TRecordingCanvas& canvas) {
  std::vector<AnsiString> out;
  for (const TDrawCall& call : canvas.Calls)
    if (call.Op.rfind("ExtTextOut", 0) == 0 || call.Op.rfind("TextOut", 0) == 0 || call.Op == "DrawText")
      out.push_back(call.Text);
  return out;
}

bool Has(const std::vector<AnsiString>& texts, const AnsiString& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(BandRptDesignTest, ANewReportTakesTheDefaultPrintersPaper) {
  struct Case {
    int code;
    bool told;
    TRpPaperSize paper;
    int width, length;  // 0.1 mm
  };
  const Case cases[] = {
      {DMPAPER_LETTER, true, TRpPaperSize::Letter, 2159, 2794},
      {DMPAPER_A3, true, TRpPaperSize::A3, 2970, 4200},
      {DMPAPER_A5, true, TRpPaperSize::A5, 1480, 2100},
      // A printer that tells no paper leaves Default, on the locale's sheet.
      {DMPAPER_A3, false, TRpPaperSize::Default, 2100, 2970},
      // A code outside the table reads as Default too.
      {4321, true, TRpPaperSize::Default, 2100, 2970},
  };
  for (const Case& c : cases) {
    TPrinterProfile office = printers::PdfPrinterProfile();
    office.Defaults.dmPaperSize = c.code;
    if (!c.told) office.Defaults.dmFields &= ~DM_PAPERSIZE;
    // The default printer is the second one: the report asks for it, not
    // for whatever the program's printer is set to.
    printers::UseProfiles({printers::PdfPrinterProfile(), office}, 1);
    TBandRep report(nullptr);
    EXPECT_EQ(report.Page()->PaperSize(), c.paper) << c.code;
    EXPECT_EQ(RpNearest(report.Page()->NativeValue(TRpPage::iWidth)), c.width) << c.code;
    EXPECT_EQ(RpNearest(report.Page()->NativeValue(TRpPage::iLength)), c.length) << c.code;
  }
  printers::UseProfiles({}, 0);
  EXPECT_EQ(TBandRep(nullptr).Page()->PaperSize(), TRpPaperSize::Default);
  printers::UseSystem();
}

// The place of the first vertical grid line a paint drew in Colour.
int FirstGridLine(const TRecordingCanvas& canvas, TColor colour, int height) {
  for (const TDrawCall& call : canvas.CallsOf("Polyline"))
    if (call.Pen.Color == colour && call.Args.size() == 4 && call.Args[0] == call.Args[2] &&
        call.Args[0] > 0 && call.Args[1] == 0 && call.Args[3] == height)
      return call.Args[0];
  return -1;
}

TEST_F(BandRptDesignTest, CharacterUnitsFollowTheReportsFont) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 500);
  TRpLabel* label = AddLabel(band, "Ποσό"_a);
  label->Size()->SetValue(TRpPrintableSize::iLeft, 254);
  rep->SetUnits(TRpUnit::Characters);
  // K = 80 / size / 2.54 tenths of a millimetre per tenth of a character
  // across, 145.3 / size / 2.54 down.
  struct Case {
    int size;
    Extended across, down;
  };
  for (const Case& c :
       {Case{10, 80 / 10 / 2.54L, 145.3L / 10 / 2.54L}, Case{20, 80 / 20 / 2.54L, 145.3L / 20 / 2.54L},
        Case{-8, 80 / 8 / 2.54L, 145.3L / 8 / 2.54L}}) {
    rep->Font().SetSize(c.size);
    EXPECT_NEAR(label->Size()->GetValue(TRpPrintableSize::iLeft), 254 / c.across / 10, 1e-9) << c.size;
    EXPECT_NEAR(band->Size()->GetValue(TRpBandSize::iHeight), 500 / c.down / 10, 1e-9) << c.size;
    EXPECT_NEAR(rep->Page()->GetValue(TRpPage::iLeftMargin), 100 / c.across / 10, 1e-9) << c.size;
    // Stored in characters, kept in tenths of a millimetre.
    label->Size()->SetValue(TRpPrintableSize::iTop, 2);
    EXPECT_NEAR(label->NativeValue(TRpPrintableSize::iTop), 2 * c.down * 10, 1e-9) << c.size;
    // Ten characters between the grid's vertical lines, on the report and
    // on its bands.
    const int step = RpNearest(100 * std::abs(c.across) * 96 / 254);
    EXPECT_EQ(FirstGridLine(*Record(*rep), RpDesignPalette().Major, rep->Height()), step) << c.size;
    EXPECT_EQ(FirstGridLine(*Record(*band), RpDesignPalette().Major, band->Height()), step) << c.size;
  }
  // A band taken off the report keeps no hold on it.
  band->SetParent(nullptr);
  EXPECT_EQ(band->Size()->CharFont, nullptr);
  EXPECT_EQ(band->RulerPage, nullptr);
  band->SetParent(rep);
}

TEST_F(BandRptDesignTest, TheDesignViewShowsTheFirstPageUntilSomethingMoves) {
  Standard(3);
  TRpCustomBand* title = rep->Bands()->Band(TBandRepBands::iTitle);
  EXPECT_EQ(rep->FirstPagePicture(), nullptr);
  EXPECT_FALSE(Has(TextsOf(*Record(*rep)), "Γραμμή 2"_a));
  rep->DesignRun();
  Application->ProcessMessages();
  ASSERT_NE(rep->FirstPagePicture(), nullptr);
  // The page's texts are drawn behind the bands, the page over the whole
  // report.
  const auto canvas = Record(*rep);
  const auto texts = TextsOf(*canvas);
  EXPECT_TRUE(Has(texts, "Γραμμή 2"_a));
  EXPECT_TRUE(Has(texts, "Σελίδα 1"_a));
  // The run's own captions did not count as moves.
  EXPECT_NE(rep->FirstPagePicture(), nullptr);

  // Moving a printable drops it.
  detail->Size()->SetValue(TRpPrintableSize::iLeft, 300);
  EXPECT_EQ(rep->FirstPagePicture(), nullptr);
  EXPECT_FALSE(Has(TextsOf(*Record(*rep)), "Γραμμή 2"_a));

  // So does resizing a band, and a run brings it back each time.
  fed = 0;
  rep->DesignRun();
  Application->ProcessMessages();
  ASSERT_NE(rep->FirstPagePicture(), nullptr);
  title->Size()->SetValue(TRpBandSize::iHeight, 150);
  EXPECT_EQ(rep->FirstPagePicture(), nullptr);

  // A word of later pages, or from nowhere, leaves the view as it is.
  rep->Perform(WM_RP_PAGES, 2, 0);
  EXPECT_EQ(rep->FirstPagePicture(), nullptr);
}

// A control placed by hand stays where it is put, whatever the grid shows
// and whatever the report's SnapToGrid says.
TEST_F(BandRptDesignTest, ControlsPlacedInTheDesignViewStayWhereTheyArePut) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 500);
  auto* label = new TDesigned<TRpLabel>(Form.get());
  label->SetParent(band);
  label->AutoSize = false;
  struct Case {
    bool designing, snap;
    TRpUnit units;
    int zoom;
  };
  const Case cases[] = {
      {true, true, TRpUnit::MM, 100},  {true, true, TRpUnit::MM, 200},  {true, true, TRpUnit::Inches, 100},
      {true, false, TRpUnit::MM, 100}, {false, true, TRpUnit::MM, 100}, {true, true, TRpUnit::Native, 100},
  };
  for (const Case& c : cases) {
    rep->SetZoom(c.zoom);
    rep->SetUnits(c.units);
    rep->SnapToGrid = c.snap;
    label->SetDesigning(c.designing);
    label->SetBounds(25, 40, 50, 20);
    const TRect at{label->Left(), label->Top(), label->Left() + label->Width(),
                   label->Top() + label->Height()};
    EXPECT_EQ(at, (TRect{25, 40, 75, 60}))
        << c.designing << c.snap << static_cast<int>(c.units) << " zoom " << c.zoom;
    // The size in the report's units says the same.
    EXPECT_EQ(RpNearest(label->NativeValue(TRpPrintableSize::iLeft) * 96 / 254 * c.zoom / 100), at.Left);
    label->SetDesigning(false);
  }
}

// A table of one city owned by Owner under Name.
TTable* Cities(TComponent* owner, const AnsiString& name, const char* city) {
  auto* table = new TTable(owner);
  table->SetDatabaseName(MakeTestDatabase(
      ("design_" + name).c_str(), ("CREATE TABLE cities(name TEXT, photo BLOB); INSERT INTO cities VALUES('" +
                                   std::string(city) + "', NULL);")
                                      .c_str()));
  table->SetTableName("cities");
  table->SetName(name);
  table->Open();
  return table;
}

std::unique_ptr<TBitmap> Flag() {
  auto bitmap = std::make_unique<TBitmap>(20, 10);
  bitmap->Canvas()->Brush->Color = clBlue;
  bitmap->Canvas()->FillRect(TRect{0, 0, 20, 10});
  bitmap->Canvas()->Brush->Color = clWhite;
  bitmap->Canvas()->FillRect(TRect{0, 4, 20, 6});
  return bitmap;
}

std::string PageBytes(TRpPrinter& p, int n) {
  auto page = p.GetPage(n);
  return page ? std::string(page->Data()) : std::string();
}

// The report's form, kept beside the test's other output as File.
std::string StoredForm(TBandRep& report, const char* file) {
  TMemoryStream stored;
  report.WriteForm(stored);
  stored.SaveToFile(TestOutput(file));
  return std::string(static_cast<const char*>(stored.Memory()), static_cast<size_t>(stored.Size()));
}

// A report read back from its form prints the page it printed before and writes the same form.
void ExpectSamePageAndForm(TBandRep* copy, const std::string& page, const std::string& form) {
  TRpPrinter again(copy);
  copy->RunInto(&again);
  ASSERT_EQ(again.PageCount(), 1);
  EXPECT_EQ(PageBytes(again, 1), page);
  TMemoryStream second;
  copy->WriteForm(second);
  EXPECT_EQ(std::string(static_cast<const char*>(second.Memory()), static_cast<size_t>(second.Size())), form);
}

TEST_F(BandRptDesignTest, AStoredReportKeepsItsPicturesAndDataFields) {
  rep->SetName("Stored");
  rep->SnapToGrid = false;
  rep->SetDataSet(Cities(Form.get(), "Places", "Πάτρα"));
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 300);
  auto* name = AddControl<TRpDBText>(band, 0, 0, 800, 50);
  name->SetName("CityName");
  name->AutoSize = false;
  name->SetDataSet(rep->DataSet());
  name->SetDataField("NAME");
  auto* flag = AddControl<TRpImage>(band, 900, 0, 400, 200);
  flag->SetName("Flag");
  flag->SetStretch(true);
  flag->Picture()->SetGraphic(Flag());
  flag->PictureChanged();
  auto* photo = AddControl<TRpDBImage>(band, 1400, 0, 400, 200);
  photo->SetName("Photo");
  photo->SetDataSet(rep->DataSet());
  photo->DataField = "PHOTO";
  photo->SetCenter(false);
  rep->OnNeedData() = nullptr;
  Run();
  ASSERT_EQ(printer->PageCount(), 1);
  EXPECT_EQ(Strings(PageTexts(*printer, 1)), std::vector<AnsiString>{"Πάτρα"_a});
  const std::string before = PageBytes(*printer, 1);

  const std::string bytes = StoredForm(*rep, "pictures.form");
  TStringStream stored(bytes);
  // The data sets are found again by name among the new owner's components.
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  TTable* places = Cities(other.get(), "Places", "Πάτρα");
  TBandRep* copy = TCustomBandRep::ReadForm(stored, other.get());
  copy->SetParent(other.get());
  EXPECT_FALSE(copy->SnapToGrid);
  EXPECT_EQ(copy->DataSet(), places);
  auto* copiedName = dynamic_cast<TRpDBText*>(other->FindComponent("CityName"));
  auto* copiedFlag = dynamic_cast<TRpImage*>(other->FindComponent("Flag"));
  auto* copiedPhoto = dynamic_cast<TRpDBImage*>(other->FindComponent("Photo"));
  ASSERT_TRUE(copiedName && copiedFlag && copiedPhoto);
  EXPECT_EQ(copiedName->DataSet(), places);
  EXPECT_EQ(copiedName->DataField(), "NAME");
  EXPECT_EQ(copiedPhoto->DataSet(), places);
  EXPECT_EQ(copiedPhoto->DataField, "PHOTO");
  EXPECT_FALSE(copiedPhoto->Center());
  EXPECT_TRUE(copiedFlag->Stretch());
  auto* picture = dynamic_cast<TBitmap*>(copiedFlag->Picture()->Graphic());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 20);
  EXPECT_EQ(picture->Pixel(3, 5), clWhite);
  EXPECT_EQ(picture->Pixel(3, 1), clBlue);
  ExpectSamePageAndForm(copy, before, bytes);

  // Without the data set, or with a picture that is none, the form is
  // refused and nothing of it stays.
  const size_t picture_at = bytes.find("BM");
  ASSERT_NE(picture_at, std::string::npos);
  std::string damaged = bytes;
  damaged[picture_at] = 'X';
  for (const std::string& form : {bytes, damaged}) {
    std::unique_ptr<TForm> bare(NewForm<TForm>(nullptr));
    if (&form == &damaged) Cities(bare.get(), "Places", "Πάτρα");
    const int owned = bare->ComponentCount();
    TMemoryStream in;
    in.WriteBuffer(form.data(), static_cast<int>(form.size()));
    in.SetPosition(0);
    EXPECT_THROW(TCustomBandRep::ReadForm(in, bare.get()), EReadError);
    EXPECT_EQ(bare->ComponentCount(), owned);
  }
}

// A report holding its own table, a rich text and a hidden picture is
// stored whole: read back on a form that has none of them, it prints the
// same page once the program has loaded the text again.
TEST_F(BandRptDesignTest, AStoredReportHoldsItsOwnDataSetRichTextAndHiddenPicture) {
  rep->SetName("Whole");
  rep->SetDataSet(Cities(rep, "Owned", "Λάρισα"));
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 400);
  auto* name = AddControl<TRpDBText>(band, 0, 0, 800, 50);
  name->SetName("CityName");
  name->AutoSize = false;
  name->SetDataSet(rep->DataSet());
  name->SetDataField("NAME");
  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24\\qc Notes\\par\\b Second\\b0\\par}";
  auto* notes = AddControl<TRpRichText>(band, 0, 100, 1200, 150);
  notes->SetName("Notes");
  notes->AutoStretch = true;
  notes->Font().Name = "DejaVu Serif";
  notes->RichEdit()->SetRichText(rtf);
  ASSERT_EQ(notes->Alignment(), taCenter);
  // Hidden, a picture still prints: only the design view leaves it out.
  auto* flag = AddControl<TRpImage>(band, 1300, 0, 400, 200);
  flag->SetName("Flag");
  flag->SetStretch(true);
  flag->Picture()->SetGraphic(Flag());
  flag->PictureChanged();
  flag->SetVisible(false);
  rep->OnNeedData() = nullptr;
  Run();
  ASSERT_EQ(printer->PageCount(), 1);
  const std::string before = PageBytes(*printer, 1);

  TMemoryStream stored;
  ASSERT_NO_THROW(rep->WriteForm(stored));
  stored.SaveToFile(TestOutput("whole.form"));
  const std::string bytes(static_cast<const char*>(stored.Memory()), static_cast<size_t>(stored.Size()));
  // The rich text's content is the program's to load, not the form's.
  EXPECT_EQ(bytes.find("Second"), std::string::npos);
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  stored.SetPosition(0);
  TBandRep* copy = TCustomBandRep::ReadForm(stored, other.get());
  copy->SetParent(other.get());
  auto* owned = dynamic_cast<TTable*>(copy->FindComponent("Owned"));
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(owned->TableName(), "cities");
  EXPECT_TRUE(owned->Active());
  EXPECT_EQ(copy->DataSet(), owned);
  auto* copiedName = dynamic_cast<TRpDBText*>(other->FindComponent("CityName"));
  auto* copiedNotes = dynamic_cast<TRpRichText*>(other->FindComponent("Notes"));
  auto* copiedFlag = dynamic_cast<TRpImage*>(other->FindComponent("Flag"));
  ASSERT_TRUE(copiedName && copiedNotes && copiedFlag);
  EXPECT_EQ(copiedName->DataSet(), owned);
  EXPECT_EQ(copiedNotes->Alignment(), taCenter);
  EXPECT_TRUE(copiedNotes->AutoStretch);
  EXPECT_EQ(copiedNotes->Font().Name, "DejaVu Serif");
  EXPECT_FALSE(copiedFlag->Visible());
  copiedNotes->RichEdit()->SetRichText(rtf);
  ExpectSamePageAndForm(copy, before, bytes);

  // What a form cannot hold is named as the source calls it.
  auto* stray = new TComponent(copy);
  stray->SetName("Stray");
  TMemoryStream refused;
  try {
    copy->WriteForm(refused);
    ADD_FAILURE() << "a stray component was stored";
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message, "Cannot store a TComponent (Stray) in a report form");
  }
}

// A report on a query of its own keeps the query's parameters: their
// types, the values given them, and none where none was given, so that the
// form read back asks for the same rows. One parameter takes its value from
// a report variable, which fills it only when its type is kept.
TEST_F(BandRptDesignTest, AStoredQueryKeepsItsParameters) {
  rep->SetName("Asked");
  auto* query = new TQuery(rep);
  query->SetName("Towns");
  query->SetDatabaseName(MakeTestDatabase(
      "design_towns",
      "CREATE TABLE towns(name TEXT, region TEXT, people INTEGER, coastal BOOLEAN, founded REAL,"
      " area REAL);"
      "INSERT INTO towns VALUES('Πρέβεζα', 'Ήπειρος', 20000, 1, 100, 30.5);"
      "INSERT INTO towns VALUES('Πάτρα', 'Αχαΐα', 170000, 1, 100, 30.5);"
      "INSERT INTO towns VALUES('Κόνιτσα', 'Ήπειρος', 3000, 1, 100, 30.5);"
      "INSERT INTO towns VALUES('Ιωάννινα', 'Ήπειρος', 65000, 0, 100, 30.5);"
      "INSERT INTO towns VALUES('Πάργα', 'Ήπειρος', 4000, 1, 3000, 30.5);"
      "INSERT INTO towns VALUES('Άρτα', 'Ήπειρος', 20000, 1, 100, 2.5);"
      "INSERT INTO towns VALUES('Ηγουμενίτσα', 'Ήπειρος', 9000, 1, 100, 12.5);"));
  query->SQL().Add("SELECT name FROM towns WHERE region = :Region AND people > :Least");
  query->SQL().Add("AND coastal = :Coastal AND founded < :Before AND area > :Area AND :Nothing IS NULL");
  query->ParamByName("Region").DataType = ftString;
  query->ParamByName("Least").SetAsInteger(5000);
  query->ParamByName("Coastal").SetAsBoolean(true);
  query->ParamByName("Before").SetAsDate(1000.75);
  query->ParamByName("Area").SetAsFloat(12.5);
  query->ParamByName("Nothing").DataType = ftInteger;
  query->Open();
  rep->Functions()->AddFunction("REGION", "'" + "Ήπειρος"_a + "'");
  rep->SetDataSet(query);
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 60);
  auto* name = AddControl<TRpDBText>(band, 0, 0, 800, 50);
  name->SetName("TownName");
  name->AutoSize = false;
  name->SetDataSet(query);
  name->SetDataField("name");
  rep->OnNeedData() = nullptr;
  Run();
  ASSERT_EQ(printer->PageCount(), 1);
  ASSERT_EQ(Strings(PageTexts(*printer, 1)), std::vector<AnsiString>{"Πρέβεζα"_a});
  const std::string before = PageBytes(*printer, 1);

  const std::string bytes = StoredForm(*rep, "query.form");
  TStringStream stored(bytes);
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  TBandRep* copy = TCustomBandRep::ReadForm(stored, other.get());
  copy->SetParent(other.get());
  auto* towns = dynamic_cast<TQuery*>(copy->FindComponent("Towns"));
  ASSERT_NE(towns, nullptr);
  ASSERT_EQ(towns->ParamCount(), 6);
  const struct {
    const char* Name;
    TFieldType Type;
    TDbValue Value;
  } expected[] = {{"Region", ftString, "Ήπειρος"_a}, {"Least", ftInteger, Int64{5000}},
                  {"Coastal", ftBoolean, Int64{1}},  {"Before", ftDate, 1000.75},
                  {"Area", ftFloat, 12.5},           {"Nothing", ftInteger, {}}};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(expected[i].Name);
    EXPECT_EQ(towns->Params().Items(i).Name, expected[i].Name);
    EXPECT_EQ(towns->Params().Items(i).DataType, expected[i].Type);
    EXPECT_EQ(towns->Params().Items(i).Value(), expected[i].Value);
  }
  // Without its value the region comes again from the variable, by its type.
  towns->ParamByName("Region").Clear();
  ExpectSamePageAndForm(copy, before, bytes);

  // A parameter that says it passes a value in, as the class library
  // writes each one, reads as one that does not say.
  const std::string input = "\x09ParamType\x07\x07ptInput";
  std::string said = bytes;
  said.insert(said.find("\x04Name"), input);
  {
    std::unique_ptr<TForm> bare(NewForm<TForm>(nullptr));
    TStringStream in(said);
    std::unique_ptr<TBandRep> read(TCustomBandRep::ReadForm(in, bare.get()));
    auto* asked = dynamic_cast<TQuery*>(read->FindComponent("Towns"));
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(asked->ParamByName("Region").DataType, ftString);
  }

  // A stored parameter the text does not name, one of no known type, one
  // that would pass a value out, or with a property no parameter has,
  // refuses the form whole.
  const std::pair<std::string, std::string> damages[] = {
      {"\x05Least", "\x05Lxast"},
      {"ftInteger", "ftIntegex"},
      {"\x05Value", "\x05Valux"},
      {"\x04Name", "\x09ParamType\x07\x08ptOutput\x04Name"}};
  for (const auto& [from, to] : damages) {
    SCOPED_TRACE(to);
    std::string damaged = bytes;
    const size_t at = damaged.find(from);
    ASSERT_NE(at, std::string::npos);
    damaged.replace(at, from.size(), to);
    std::unique_ptr<TForm> bare(NewForm<TForm>(nullptr));
    TMemoryStream in;
    in.WriteBuffer(damaged.data(), static_cast<int>(damaged.size()));
    in.SetPosition(0);
    EXPECT_THROW(TCustomBandRep::ReadForm(in, bare.get()), EReadError);
    EXPECT_EQ(bare->ComponentCount(), 0);
  }
}

TEST_F(BandRptDesignTest, TheSecondPrintEntryPrintsAsPrintDoes) {
  TempFolder folder;
  UsePdfPrinterIn(folder.path());
  printers::ClearJobLog();
  Standard(70);
  rep->ReportTitle = "Παρασκήνιο"_a;
  rep->Print();
  fed = 0;
  rep->PrintInBackground();
  const auto& jobs = printers::JobLog();
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[1].Title, jobs[0].Title);
  EXPECT_EQ(jobs[1].Pages, jobs[0].Pages);
  EXPECT_GE(jobs[1].Pages, 2);
  EXPECT_FALSE(jobs[1].Aborted);
  EXPECT_TRUE(rep->Available);
  printers::UseSystem();
  Printer()->Refresh();
}

TEST_F(BandRptDesignTest, ABandSizedByHandTakesItsNewHeightAndKeepsItsPlace) {
  TRpCustomBand* title = AddBand(TBandRepBands::iTitle, 100);
  TRpCustomBand* detailBand = AddBand(TBandRepBands::iDetail, 50);
  const int top = title->Top(), left = title->Left();
  // Drawn 80 pixels high and dropped lower and to the side.
  title->SetBounds(left + 7, top + 30, title->Width(), 80);
  EXPECT_NEAR(static_cast<double>(title->NativeHeight()), 80 * 254 / 96.0, 1e-9);
  EXPECT_EQ(title->Height(), 80);
  // Back in the stack, with the band below it moved down.
  EXPECT_EQ(title->Top(), top);
  EXPECT_EQ(title->Left(), left);
  EXPECT_EQ(detailBand->Top(), top + 80);
  // The run prints the band at its new height.
  detail = AddLabel(detailBand, "");
  Feed(1);
  Run();
  EXPECT_EQ(PageTexts(*printer, 1).at(0).Y, PxY(100 + 80 * 254 / 96.0L));
  // At another zoom a hand-drawn height is taken at that zoom.
  rep->SetZoom(50);
  detailBand->SetBounds(detailBand->Left(), detailBand->Top(), detailBand->Width(), 40);
  EXPECT_NEAR(static_cast<double>(detailBand->NativeHeight()), 80 * 254 / 96.0, 1e-9);
}

TEST_F(BandRptDesignTest, ANewFontSizesAnAutoSizedLabelToItsText) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 200);
  auto* label = AddControl<TRpLabel>(band, 500, 0, 400, 50);
  label->SetAlignment(taRightJustify);
  label->SetCaption("Κείμενο"_a);
  const int right = label->Left() + label->Width();
  const int narrow = label->Width();
  EXPECT_EQ(narrow, rep->TextWidth(label->Font(), "Κείμενο"_a));
  TFont large;
  large.Assign(label->Font());
  large.SetSize(20);
  label->SetFont(large);
  EXPECT_EQ(label->Width(), rep->TextWidth(large, "Κείμενο"_a));
  EXPECT_GT(label->Width(), narrow);
  // Right-aligned: it grows to the left.
  EXPECT_EQ(label->Left() + label->Width(), right);
  EXPECT_GE(label->Height(), rep->TextHeight(large, "W") + 1);
}

TEST_F(BandRptDesignTest, ANewPictureSizesAnAutoSizedImage) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 300);
  auto* image = AddControl<TRpImage>(band, 0, 0, 100, 100);
  image->SetAutoSize(true);
  ASSERT_EQ(image->Width(), PxY(100));
  image->Picture()->SetGraphic(std::make_unique<TBitmap>(70, 45));
  EXPECT_EQ(image->Width(), 70);
  EXPECT_EQ(image->Height(), 45);
  // A bitmap that covers the control makes it opaque.
  EXPECT_FALSE(image->Transparent());
  // Loaded from a file likewise.
  TBitmap wide(120, 30);
  const std::string file = TestOutput("wide.bmp");
  wide.SaveToFile(cp1253::FromUtf8(file));
  image->Picture()->LoadFromFile(cp1253::FromUtf8(file));
  EXPECT_EQ(image->Width(), 120);
  EXPECT_EQ(image->Height(), 30);
  EXPECT_NEAR(static_cast<double>(image->NativeValue(TRpPrintableSize::iWidth)), 120 * 254 / 96.0, 1e-9);
}

// Auto-size gives the image its picture's size at every picture-changed
// step, wherever it was put since: a picture set or drawn again, of any
// size, auto-size, stretching or centring asked for.
TEST_F(BandRptDesignTest, AnAutoSizedImageTakesItsPicturesSizeAtEveryChange) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 300);
  auto* image = AddControl<TRpImage>(band, 0, 0, 100, 100);
  image->SetAutoSize(true);
  image->Picture()->SetGraphic(std::make_unique<TBitmap>(70, 45));
  ASSERT_EQ(image->Width(), 70);
  struct Step {
    const char* what;
    std::function<void()> change;
    int width, height;
  };
  const std::vector<Step> steps = {
      {"a new picture of the same size",
       [&] { image->Picture()->SetGraphic(std::make_unique<TBitmap>(70, 45)); }, 70, 45},
      {"the picture drawn again", [&] { image->Picture()->Changed(); }, 70, 45},
      {"a picture of another size", [&] { image->Picture()->SetGraphic(std::make_unique<TBitmap>(71, 45)); },
       71, 45},
      {"auto-size asked for again", [&] { image->SetAutoSize(true); }, 71, 45},
      {"stretching asked for", [&] { image->SetStretch(true); }, 71, 45},
      {"centring asked for", [&] { image->SetCenter(true); }, 71, 45},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    image->SetBounds(image->Left(), image->Top(), 90, 60);
    step.change();
    EXPECT_EQ(image->Width(), step.width);
    EXPECT_EQ(image->Height(), step.height);
  }
}

}  // namespace

namespace {

using namespace bandrpt_test;

// The design view in a scroll box filling its window: the page scrolls
// under the box's bars and never covers them, whatever size the window
// takes.
// At any zoom a caption shows whole in its control: the zoomed font is
// never wider than the widths the control was sized by.
TEST_F(BandRptTest, ACaptionShowsWholeAtEveryZoom) {
  rep->SetUnits(TRpUnit::MM);
  Standard(1);
  TRpCustomBand* summary = rep->Bands()->Band(TBandRepBands::iSummary);
  auto* label = new TRpLabel(Form.get());
  label->SetParent(summary);
  label->SetCaption("Σύνολο προσφορών"_a);
  ShowForm();
  TImageCanvas measure(10, 10);
  for (int zoom : {50, 75, 90, 100, 125, 150, 200}) {
    rep->SetZoom(zoom);
    Application->ProcessMessages();
    const auto canvas = Record(*summary);
    bool drawn = false;
    for (const TDrawCall& call : canvas->Calls) {
      if (call.Text != label->Caption()) continue;
      drawn = true;
      measure.Font->Assign(call.Font);
      EXPECT_LE(measure.TextWidth(call.Text), label->Width()) << zoom;
      // Not shrunk beyond a few pixels of the zoomed height.
      EXPECT_GE(std::abs(call.Font.Height()), std::abs(label->Font().Height()) * zoom / 100 - 3) << zoom;
    }
    EXPECT_TRUE(drawn) << zoom;
  }
}

TEST_F(BandRptTest, TheDesignViewScrollsUnderItsBars) {
  Form->SetBounds(0, 0, 860, 700);
  auto* view = new TScrollBox(Form.get());
  view->SetParent(Form.get());
  view->SetAlign(alClient);
  rep->SetParent(view);
  rep->SetUnits(TRpUnit::MM);
  Standard(3);
  rep->SetZoom(75);
  ShowForm();
  for (const TPoint size : {Point(860, 700), Point(450, 500), Point(300, 260)}) {
    Form->SetBounds(0, 0, size.X, size.Y);
    Application->ProcessMessages();
    const TRect client = view->ClientRect();
    EXPECT_EQ(view->BoundsRect(), Form->ClientRect());
    const bool wide = rep->Width() > client.Width() - 4 - kScrollBarSize;
    EXPECT_EQ(view->HorzScrollBar().IsScrollBarVisible(), wide) << size.X;
    EXPECT_TRUE(view->VertScrollBar().IsScrollBarVisible()) << size.X;
    // Half way down the vertical bar, and along the horizontal one: the
    // bar's face, not the page's white.
    const TColor face = ColorToRGB(clBtnFace);
    EXPECT_EQ(PixelOf(*view, client.Width() - 2 - kScrollBarSize / 2, client.Height() / 2), face) << size.X;
    if (wide) {
      EXPECT_EQ(PixelOf(*view, client.Width() / 2, client.Height() - 2 - kScrollBarSize / 2), face) << size.X;
    }
    // Scrolled to the end, the page's far corner shows at the view's.
    view->HorzScrollBar().SetPosition(100000);
    view->VertScrollBar().SetPosition(100000);
    const TPoint corner = view->ScreenToClient(rep->ClientToScreen(Point(rep->Width(), rep->Height())));
    EXPECT_EQ(corner.Y, client.Height() - 2 - (wide ? kScrollBarSize : 0)) << size.X;
    view->HorzScrollBar().SetPosition(0);
    view->VertScrollBar().SetPosition(0);
  }
}

}  // namespace
