#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>

#include "platform/rtl/FileUtils.h"
#include "report/RpCtrls.h"
#include "tests/TestOutput.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/LocaleScope.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/platform/ui/ControlsFixture.h"

namespace {

std::string Golden(const char* name) { return std::string(DIM_TEST_DATA) + "/golden/" + name; }

// The clustering as it reads: linear scans over the entries in the order
// they came, the reference the program's sorted and hashed one must equal.
struct LiteralPositions {
  struct Entry {
    Extended Position;
    int Index = 0;
    bool Handled = false;
  };
  Extended Tolerance = 4.0;
  std::vector<Entry> Entries;
  void Add(Extended p) {
    for (Entry& e : Entries)
      if (Round(e.Position) == Round(p)) return;
    Entries.push_back({p});
  }
  void Number() {
    int next = 0;
    for (std::size_t k = 0; k < Entries.size(); ++k) {
      Extended min = 9999999;
      Entry* pick = nullptr;
      for (Entry& e : Entries)
        if (!e.Handled && e.Position >= 0 && e.Position <= min) min = e.Position, pick = &e;
      if (pick != nullptr) pick->Index = ++next, pick->Handled = true;
    }
  }
  int Find(Extended p) const {
    for (const Entry& e : Entries)
      if (std::fabs(e.Position - p) <= Tolerance) return e.Index;
    return 0;
  }
};

TEST(RpExportGrid, FastClusteringEqualsTheLiteralScansOnRandomPages) {
  std::mt19937 random(20261207);
  for (int page = 0; page < 10000; ++page) {
    const Extended tolerance = page % 2 ? 1.0 : 4.0;
    TRpPositions fast;
    fast.Tolerance = tolerance;
    LiteralPositions literal;
    literal.Tolerance = tolerance;
    std::vector<Extended> positions;
    const int count = static_cast<int>(random() % 40);
    // Close neighbours, halves that round to even, a few above and below the page.
    for (int i = 0; i < count; ++i) {
      const int kind = static_cast<int>(random() % 4);
      Extended p = static_cast<Extended>(random() % 3000) - 20;
      if (kind == 1) p += 0.5L;
      if (kind == 2) p += static_cast<Extended>(random() % 1000) / 1000;
      if (kind == 3 && !positions.empty()) p = positions[random() % positions.size()] + (random() % 9) / 2.0L;
      positions.push_back(p);
    }
    fast.StartAdd();
    for (Extended p : positions) fast.AddPosition(p), literal.Add(p);
    fast.EndAdd();
    literal.Number();
    ASSERT_EQ(fast.Entries().size(), literal.Entries.size()) << page;
    for (std::size_t i = 0; i < literal.Entries.size(); ++i)
      ASSERT_EQ(fast.Entries()[i].Index, literal.Entries[i].Index) << page;
    for (Extended p : positions) {
      ASSERT_EQ(fast.Find(p), literal.Find(p)) << page << " " << static_cast<double>(p);
      const Extended probe = p + static_cast<Extended>(static_cast<int>(random() % 200) - 100) / 10;
      ASSERT_EQ(fast.Find(probe), literal.Find(probe)) << page;
    }
  }
}

TEST(RpExportGrid, PositionsMergeByRoundedValueAndCountTheirItems) {
  TRpPositions p;
  p.AddPosition(5);  // not accepting yet
  p.StartAdd();
  for (Extended v : {100.0L, 100.4L, 99.6L, 102.0L, -3.0L, 50.0L}) p.AddPosition(v);
  p.EndAdd();
  ASSERT_EQ(p.Entries().size(), 4u);
  EXPECT_EQ(p.Entries()[0].Count, 3);
  EXPECT_EQ(p.Entries()[0].Index, 2);
  EXPECT_EQ(p.Entries()[1].Index, 3);
  EXPECT_EQ(p.Entries()[2].Index, 0);  // above the page: never numbered
  EXPECT_EQ(p.Entries()[3].Index, 1);
  EXPECT_EQ(p.Find(103), 2);  // the first entry within 4, in the order added
  EXPECT_EQ(p.Find(200), 0);
  EXPECT_EQ(p.Find(std::nan("")), 0);
}

// ---- the spreadsheet filter -----------------------------------------------------

struct XlsCase {
  AnsiString Text;
  const char* Kind;  // "n" number, "s" text, "" nothing
  const char* Value;
};

class RpExportFiltersTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    SetRpMeasureInInches(false);
    rep = new TBandRep(Form.get());
    rep->SetParent(Form.get());
    rep->Page()->SetPaperSize(TRpPaperSize::A4);
    saved = RpInstalledFonts;
    RpInstalledFonts = [] {
      return std::vector<TRpFontFace>{{"Times New Roman", 1}, {"Arial", 2}, {"arial", 2}, {"Courier New", 3}};
    };
  }
  void TearDown() override {
    RpInstalledFonts = saved;
    ControlsTest::TearDown();
  }
  TFont ReportFont() {
    TFont f;
    f.Name = "Arial";
    f.SetSize(10);
    return f;
  }
  // A small two-page report handed straight to the filter.
  void SmallReport(TRpExportFilter& filter) {
    TFont font = ReportFont();
    filter.Report = rep;
    filter.Start(2100, 2970, &font);
    struct Item {
      Extended X, Y;
      AnsiString Text;
      TColor Color = clBlack;
      unsigned Style = 0;
      TAlignment Alignment = taLeftJustify;
      const char* Face = "Arial";
    };
    const std::vector<std::vector<Item>> pages = {
        {{100, 100, "Περιγραφή"_a, clBlack, fsBold},
         {800, 100, "Ποσό"_a, clBlack, fsBold, taRightJustify},
         {100.4L, 150, "Άσφαλτος {Α}"_a},
         {800, 151, "1.234,56", clRed, 0, taRightJustify},
         {100, 200, "2.1"},
         {102, 200, "c:\\temp", clBlue, fsItalic | fsUnderline, taCenter, "Courier New"},
         {300, -10, "above the page"},
         {300, 3000, "below the page"},
         {500, 200, "Wingdings", clBlack, fsStrikeOut, taLeftJustify, "Wingdings"}},
        {},
        {{100, 100, "Σύνολο"_a, clNavy}, {800, 100, "-12,5", clBlack, 0, taRightJustify, "Times New Roman"}},
    };
    for (const auto& items : pages) {
      filter.NewPage();
      for (const Item& i : items) {
        TFont f = ReportFont();
        f.Name = i.Face;
        f.Color = i.Color;
        f.Style = i.Style;
        filter.TextOut(i.X, i.Y, &f, clWhite, i.Alignment, i.Text);
      }
      filter.EndPage();
    }
    filter.Finish();
  }
  std::string Cells(const std::string& file) {
    if (!Have("/usr/bin/python3")) return "python3 is missing";
    int status = -1;
    const std::string out = RunCommand(
        "/usr/bin/python3 '" + std::string(DIM_TEST_DATA) + "/xls_cells.py' '" + file + "'", &status);
    if (WEXITSTATUS(status) == 2)
      ADD_FAILURE() << "the reader is missing: install the Debian package python3-xlrd";
    return out;
  }
  // LibreOffice's conversion of File into Format; the converted text.
  std::string Office(const std::string& file, const std::string& format, const std::string& extension) {
    if (!Have("soffice")) {
      ADD_FAILURE() << "soffice is missing: install libreoffice-calc-nogui and libreoffice-writer-nogui";
      return {};
    }
    RunCommand("cd '" + folder.path() + "' && soffice -env:UserInstallation=file://" + folder.path() +
               "/office --headless --convert-to '" + format + "' --outdir '" + folder.path() + "/out' '" +
               file + "' >/dev/null 2>&1");
    const std::string base = std::filesystem::path(file).stem().string();
    return ReadBytes(folder.path() + "/out/" + base + "." + extension);
  }
  TBandRep* rep = nullptr;
  TempFolder folder;
  std::function<std::vector<TRpFontFace>()> saved;
};

TEST_F(RpExportFiltersTest, SpreadsheetOfASmallReportIsByteForByteTheGolden) {
  LocaleScope greek(LocaleScope::Greek);
  TRpXLSFilter filter(folder / "small.xls");
  EXPECT_TRUE(filter.IsContinuous());
  EXPECT_EQ(filter.FilterName(), "Excel spreadsheet");
  SmallReport(filter);
  const std::string bytes = ReadBytes(folder.path() + "/small.xls");
  const std::string golden = ReadBytes(Golden("small.xls"));
  if (bytes != golden) {
    WriteBytes(TestOutput("small.xls"), bytes);  // for review
    ADD_FAILURE() << "small.xls differs from the golden file; see the build tree's copy";
  }
  // No temporary file is left beside it.
  int files = 0;
  for (const auto& f : std::filesystem::directory_iterator(folder.path())) files += f.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST_F(RpExportFiltersTest, TheDebianReaderReadsEveryCellNumbersAsNumbersAndGreekAsGreek) {
  LocaleScope greek(LocaleScope::Greek);
  TRpXLSFilter filter(folder / "small.xls");
  SmallReport(filter);
  EXPECT_EQ(Cells(folder.path() + "/small.xls"),
            "0 0 s Περιγραφή\n"
            "0 4 s Ποσό\n"
            "1 0 s Άσφαλτος {Α}\n"
            "1 4 n 1234.56\n"  // 151 lies within 4 of 150: the row above
            "3 0 n 21.0\n"
            "3 1 s c:\\temp\n"
            "3 3 s Wingdings\n"
            "4 2 s below the page\n"  // the sheet has no page bottom
            "5 0 s Σύνολο\n"          // the empty page takes no rows
            "5 1 n -12.5\n"
            "encoding cp1253\n");
}

TEST_F(RpExportFiltersTest, OfficeConvertsTheSpreadsheetToCsvWithTheGreekIntact) {
  LocaleScope greek(LocaleScope::Greek);
  TRpXLSFilter filter(folder / "small.xls");
  SmallReport(filter);
  const std::string csv =
      Office(folder.path() + "/small.xls", "csv:Text - txt - csv (StarCalc):44,34,76", "csv");
  EXPECT_EQ(csv,
            "Περιγραφή,,,,Ποσό\n"
            "Άσφαλτος {Α},,,,1234.56\n"
            ",,,,\n"
            "21,c:\\temp,,Wingdings,\n"
            ",,below the page,,\n"
            "Σύνολο,-12.5,,,\n");
}

TEST_F(RpExportFiltersTest, NumbersLoseTheirThousandsSeparatorsWordsStayLabels) {
  const struct {
    bool greek;
    XlsCase cell;
  } cases[] = {
      {true, {"2.1", "n", "21.0"}},
      {true, {"1.234,56", "n", "1234.56"}},
      {false, {"1,234.56", "n", "1234.56"}},
      {true, {"12%", "s", "12%"}},
      {true, {"Αθροισμα"_a, "s", "Αθροισμα"}},
      {true, {" 7 ", "n", "7.0"}},
      {true, {"", "", ""}},
      {true, {AnsiString(300, 'x'), "s", nullptr}},
  };
  for (const auto& c : cases) {
    LocaleScope locale(c.greek ? LocaleScope::Greek : LocaleScope::C);
    const AnsiString name = folder / "one.xls";
    {
      TRpXLSFilter filter(name);
      TFont font = ReportFont();
      filter.Start(2100, 2970, &font);
      filter.NewPage();
      filter.TextOut(100, 100, &font, clWhite, taLeftJustify, c.cell.Text);
      filter.EndPage();
      filter.Finish();
    }
    const std::string cells = Cells(folder.path() + "/one.xls");
    const std::string value = c.cell.Value ? c.cell.Value : std::string(255, 'x');
    const std::string expected = *c.cell.Kind
                                     ? "0 0 " + std::string(c.cell.Kind) + " " + value + "\nencoding cp1253\n"
                                     : "encoding cp1253\n";
    EXPECT_EQ(cells, expected) << c.cell.Text;
  }
}

TEST_F(RpExportFiltersTest, TwoItemsWithinTheToleranceShareAColumn) {
  const struct {
    Extended second;
    int columns;
  } cases[] = {{100.4L, 1}, {101.0L, 1}, {102.0L, 2}};
  for (const auto& c : cases)
    for (bool xls : {true, false}) {
      struct Probe : TRpXLSFilter {
        using TRpXLSFilter::TRpXLSFilter;
        void WritePage() override { columns = ColumnCount; }
        int columns = 0;
      };
      struct Grid : TRpAbstractExportFilter {
        using TRpAbstractExportFilter::TRpAbstractExportFilter;
        void WritePage() override { columns = ColumnCount; }
        int columns = 0;
      };
      Probe probe(folder / "p.xls");
      Grid grid(folder / "p.txt");
      TRpAbstractExportFilter& f = xls ? static_cast<TRpAbstractExportFilter&>(probe) : grid;
      TFont font = ReportFont();
      f.Start(2100, 2970, &font);
      f.NewPage();
      f.TextOut(100, 100, &font, clWhite, taLeftJustify, "a");
      f.TextOut(c.second, 200, &font, clWhite, taLeftJustify, "b");
      f.EndPage();
      EXPECT_EQ(xls ? probe.columns : grid.columns, xls ? c.columns : 1) << static_cast<double>(c.second);
      EXPECT_EQ(f.FilterName(), xls ? "Excel spreadsheet" : "RpAbstract");
    }
}

TEST_F(RpExportFiltersTest, TooManyRowsStopTheExportAndLeaveTheOldFileWhole) {
  const AnsiString name = folder / "big.xls";
  SafeWriteFile(name, "the previous export");
  {
    TRpXLSFilter filter(name);
    filter.Report = rep;
    TFont font = ReportFont();
    filter.Start(2100, 2970, &font);
    filter.NewPage();
    for (int i = 0; i < 65536; ++i) filter.TextOut(100, 100 + i * 40, &font, clWhite, taLeftJustify, "x");
    filter.EndPage();  // rows 0 .. 65535 fit
    filter.NewPage();
    filter.TextOut(100, 100, &font, clWhite, taLeftJustify, "one too many");
    try {
      filter.EndPage();
      ADD_FAILURE() << "no error";
    } catch (const ERpError& e) {
      EXPECT_EQ(e.Message, RpXlsTooManyRowsMessage());
    }
  }
  EXPECT_EQ(ReadWholeFile(name), "the previous export");
  int files = 0;
  for (const auto& f : std::filesystem::directory_iterator(folder.path())) files += f.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST_F(RpExportFiltersTest, AReportRunExportsItsLinesOneUnderTheOther) {
  LocaleScope greek(LocaleScope::Greek);
  rep->SetUnits(TRpUnit::Native);
  rep->Bands()->Set(TBandRepBands::iDetail, true);
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  band->Size()->Units = TRpUnit::Native;
  band->Size()->SetValue(TRpBandSize::iHeight, 50);
  auto label = [&](Extended left) {
    auto* l = new TRpLabel(Form.get());
    l->SetParent(band);
    l->Size()->Units = TRpUnit::Native;
    l->Size()->SetValue(TRpPrintableSize::iLeft, left);
    l->Size()->SetValue(TRpPrintableSize::iWidth, 600);
    l->Size()->SetValue(TRpPrintableSize::iHeight, 50);
    l->AutoSize = false;
    return l;
  };
  TRpLabel* name = label(0);
  TRpLabel* amount = label(800);
  int fed = 0;
  rep->OnNeedData() = [&](TObject*, bool& more) {
    more = fed < 100;
    if (!more) return;
    ++fed;
    name->SetCaption("Γραμμή "_a + IntToStr(fed));
    amount->SetCaption(IntToStr(fed) + ".000,50");
  };
  TRpXLSFilter filter(folder / "run.xls");
  rep->ExportToFilter(&filter);
  std::istringstream cells(Cells(folder.path() + "/run.xls"));
  std::string line;
  int rows = 0;
  while (std::getline(cells, line))
    if (line.rfind(std::to_string(rows) + " 1 n ", 0) == 0) {
      EXPECT_EQ(line, std::to_string(rows) + " 1 n " + std::to_string(rows + 1) + "000.5");
      ++rows;
    }
  EXPECT_EQ(rows, 100);
}

// ---- the RTF filter ------------------------------------------------------------

TEST_F(RpExportFiltersTest, RtfOfASmallReportIsByteForByteTheGolden) {
  rep->SetUnits(TRpUnit::Native);
  for (int i : {TRpPage::iTopMargin, TRpPage::iBottomMargin, TRpPage::iLeftMargin, TRpPage::iRightMargin})
    rep->Page()->SetValue(i, 100);
  TRpRTFExportFilter filter(folder / "small.rtf");
  SmallReport(filter);
  const std::string bytes = ReadBytes(folder.path() + "/small.rtf");
  if (bytes != ReadBytes(Golden("small.rtf"))) {
    WriteBytes(TestOutput("small.rtf"), bytes);
    ADD_FAILURE() << "small.rtf differs from the golden file; see the build tree's copy";
  }
  EXPECT_EQ(TRpRTFExportFilter::FontIndexOf("ARIAL"), 0);
  EXPECT_EQ(TRpRTFExportFilter::FontList().size(), 3u);  // "arial" after "Arial" is the same face
  EXPECT_EQ(TRpRTFExportFilter::ColorIndex(clRed), 9);
  EXPECT_EQ(TRpRTFExportFilter::ColorIndex(clNavy), 4);
  EXPECT_EQ(TRpRTFExportFilter::ColorIndex(clBlue), 12);
  EXPECT_EQ(TRpRTFExportFilter::ColorIndex(clBlack), 0);
  EXPECT_EQ(TRpRTFExportFilter::Escape("a{b}\\c"), "a\\{b\\}\\\\c");
}

TEST_F(RpExportFiltersTest, StartActsOnceAndAnEmptyDocumentIsWhole) {
  TRpRTFExportFilter filter(folder / "empty.rtf");
  TFont font = ReportFont();
  filter.Start(2100, 2970, &font);
  filter.Start(2100, 2970, &font);
  filter.NewPage();
  filter.EndPage();
  filter.NewPage();
  filter.EndPage();
  filter.Finish();
  const std::string rtf = ReadBytes(folder.path() + "/empty.rtf");
  EXPECT_EQ(rtf.find("{\\page }"), std::string::npos);  // no text, so no break is pending
  EXPECT_EQ(rtf.find("{\\rtf1"), 0u);
  EXPECT_EQ(rtf.find("{\\rtf1", 1), std::string::npos);
  ASSERT_GE(rtf.size(), 8u);
  EXPECT_EQ(rtf.substr(rtf.size() - 8), "\\par }\r\n");
  EXPECT_NE(rtf.find("\\margl720\\margr720\\margt720\\margb720"), std::string::npos);  // no report
}

TEST_F(RpExportFiltersTest, UnrtfAndOfficeReadTheRtfWithTheGreekIntact) {
  rep->SetUnits(TRpUnit::Native);
  TRpRTFExportFilter filter(folder / "small.rtf");
  SmallReport(filter);
  const std::string file = folder.path() + "/small.rtf";
  if (::testing::AssertionResult have = Installed("unrtf", "unrtf"); !have) {
    ADD_FAILURE() << have.message();
  } else {
    int status = -1;
    const std::string text = RunCommand("unrtf --text '" + file + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("1.234,56"), std::string::npos) << text;
    EXPECT_NE(text.find("c:\\temp"), std::string::npos) << text;
  }
  const std::string text = Office(file, "txt:Text (encoded):UTF8", "txt");
  for (const char* word : {"Περιγραφή", "Ποσό", "Άσφαλτος {Α}", "1.234,56", "c:\\temp", "Σύνολο", "-12,5"})
    EXPECT_NE(text.find(word), std::string::npos) << word << "\n" << text;
  EXPECT_EQ(text.find("above the page"), std::string::npos);
  EXPECT_EQ(text.find("below the page"), std::string::npos);
}

TEST_F(RpExportFiltersTest, TheReportFormsComponentsOfferBothFormatsAfterThePageFile) {
  const AnsiString before = RpExportFilterLibrary().SaveDialogFilterString();
  {
    TRpExcelFilter excel(nullptr);
    TRpRTFFilter rtf(nullptr);
    EXPECT_EQ(RpExportFilterLibrary().SaveDialogFilterString(),
              before + "|Excel spreadsheet (*.XLS)|*.XLS|RTF File (*.RTF)|*.RTF");
    ASSERT_NE(RpExportFilterLibrary().FindByExtension("rtf"), nullptr);
    auto made = RpExportFilterLibrary().FindByExtension("xls")->FilterClass.Create(folder / "x.xls");
    EXPECT_NE(dynamic_cast<TRpXLSFilter*>(made.get()), nullptr);
  }
  EXPECT_EQ(RpExportFilterLibrary().SaveDialogFilterString(), before);
}

}  // namespace
