// Printers: the PDF printer's output read back by other programs, device
// settings and capabilities from installed profiles, the job log, and the
// printer as a text file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <regex>

#include "../OtherPrograms.h"
#include "../rtl/ScopedEnv.h"
#include "../rtl/TempFolder.h"
#include "platform/print/Printers.h"
#include "platform/rtl/FileUtils.h"

namespace {

class PrintersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TPrinterProfile pdf = printers::PdfPrinterProfile();
    pdf.OutputFolder = folder.path();
    TPrinterProfile office;
    office.Name = "Office Laser";
    office.Driver = "laser";
    office.Kind = TPrinterProfile::pkPdfFile;
    office.DpiX = office.DpiY = 300;
    office.OffsetX = 50;
    office.OffsetY = 60;
    office.PaperCodes = {DMPAPER_A4, DMPAPER_LETTER};
    office.Bins = {{1, "Upper"}, {2, "Lower"}};
    office.Defaults.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE;
    office.Defaults.dmPaperSize = DMPAPER_LETTER;
    office.OutputFolder = folder.path();
    printers::UseProfiles({pdf, office}, 0);
    printers::ClearJobLog();
  }
  void TearDown() override { printers::UseSystem(); }
  AnsiString Path(const char* name) const { return folder / name; }
  // The same in UTF-8, for other programs.
  std::string PathOf(const char* name) const { return folder.path() + "/" + name; }
  TempFolder folder;
};

TEST(PaperSizes, StandardTable) {
  struct Case {
    int code;
    double width, length;
  } cases[] = {{1, 215.9, 279.4}, {9, 210, 297}, {35, 176, 125}, {55, 297, 210}, {68, 445, 322}};
  EXPECT_EQ(StandardPaperSizes().size(), 68u);
  for (const Case& c : cases) {
    std::optional<TPaperSize> size = PaperSizeOf(c.code);
    ASSERT_TRUE(size) << c.code;
    EXPECT_DOUBLE_EQ(size->WidthMM, c.width) << c.code;
    EXPECT_DOUBLE_EQ(size->LengthMM, c.length) << c.code;
  }
  EXPECT_FALSE(PaperSizeOf(0));
  EXPECT_FALSE(PaperSizeOf(69));
  EXPECT_FALSE(PaperSizeOf(256));
}

TEST(SystemPrinters, ThePdfPrinterIsAlwaysThere) {
  printers::UseSystem();
  TPrinter printer;
  ASSERT_GE(printer.Printers()->Count(), 1);
  EXPECT_GE(printer.Printers()->IndexOf("PDF"), 0);
  printer.SetPrinterIndex(printer.Printers()->IndexOf("PDF"));
  EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSX), 600);
  EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSY), 600);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 4961);  // A4 at 600 dots per inch
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALHEIGHT), 7016);
  // A laser printer's 4.2 mm on every side.
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 99);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETY), 99);
  EXPECT_EQ(printer.PageWidth(), 4961 - 2 * 99);
  EXPECT_EQ(printer.PageHeight(), 7016 - 2 * 99);
  EXPECT_EQ(printer.PaperCodes().size(), 68u);
  EXPECT_EQ(printer.DeviceMode().dmPaperSize, DMPAPER_A4);
  EXPECT_EQ(printer.Orientation(), poPortrait);
}

// ---- the PDF printer as a real printer: margins, file names, the notice ----------

// The machine's PDF printer with the given environment, the first word of
// a one-line job read back by pdftotext, in points from the page's corner.
struct WordBox {
  double xMin = -1, yMin = -1;
};
WordBox FirstWord(const std::string& pdf) {
  const std::string html = RunCommand("pdftotext -bbox '" + pdf + "' - 2>/dev/null");
  std::smatch m;
  static const std::regex word(R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)")re");
  if (!std::regex_search(html, m, word)) return {};
  return {std::stod(m[1]), std::stod(m[2])};
}

TEST(PdfPrinterFiles, TextAtTheCornerPrintsInsideTheLaserMargins) {
  ASSERT_TRUE(Installed("pdftotext", "poppler-utils"));
  TempFolder documents;
  ScopedEnv env("XDG_DOCUMENTS_DIR", documents.path());
  printers::UseSystem();
  TPrinter printer;
  printer.SetPrinterIndex(printer.Printers()->IndexOf("PDF"));
  for (const TPrinterOrientation orientation : {poPortrait, poLandscape}) {
    printer.SetOrientation(orientation);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 99);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETY), 99);
    printer.Title = orientation == poPortrait ? "Όρθια"_a : "Οριζόντια"_a;
    printer.BeginDoc();
    printer.Canvas()->Font->SetSize(10);
    printer.Canvas()->TextOut(0, 0, "ΑΡΧΗ"_a);
    printer.EndDoc();
    const std::string file = documents.path() + "/" + cp1253::ToUtf8(printer.Title) + ".pdf";
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
    // 99 dots at 600 per inch are 11.88 points.
    const WordBox box = FirstWord(file);
    EXPECT_NEAR(box.xMin, 11.88, 0.6) << file;
    EXPECT_GE(box.yMin, 11.0) << file;
    EXPECT_LE(box.yMin, 14.5) << file;
  }
  printers::UseSystem();
}

TEST(PdfPrinterFiles, FilesGoToTheDocumentsFolderUnderTheTitleAndReplaceNothing) {
  TempFolder home;
  std::filesystem::create_directories(home.path() + "/Έγγραφα");
  std::filesystem::create_directories(home.path() + "/.config");
  std::ofstream(home.path() + "/.config/user-dirs.dirs")
      << "# the user's folders\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Έγγραφα\"\n";
  ScopedEnv homeEnv("HOME", home.path());
  ScopedEnv configEnv("XDG_CONFIG_HOME", nullptr);
  struct Case {
    const char* name;
    const char* documentsEnv;  // relative to home; null: unset
    bool settingsFile;
    const char* expected;  // the folder, relative to home
  } cases[] = {
      {"environment", "Έγγραφα", false, "Έγγραφα"},
      {"settings", nullptr, true, "Έγγραφα"},
      {"missing folder named", "Λείπει", false, ""},
      {"nothing", nullptr, false, ""},
  };
  for (const Case& c : cases) {
    const std::string env = c.documentsEnv ? home.path() + "/" + c.documentsEnv : std::string();
    ScopedEnv documentsEnv("XDG_DOCUMENTS_DIR", c.documentsEnv ? env.c_str() : nullptr);
    if (!c.settingsFile) std::filesystem::rename(home.path() + "/.config", home.path() + "/.config-off");
    printers::UseSystem();
    const std::string expected =
        std::string(c.expected).empty() ? home.path() : home.path() + "/" + c.expected;
    EXPECT_EQ(cp1253::ToUtf8(printers::PdfPrinterProfile().OutputFolder), expected) << c.name;
    if (!c.settingsFile) std::filesystem::rename(home.path() + "/.config-off", home.path() + "/.config");
  }

  // Two jobs of one title: the second takes a new name, the first stays.
  ScopedEnv documentsEnv("XDG_DOCUMENTS_DIR", nullptr);
  printers::UseSystem();
  std::vector<std::string> told;
  printers::OnFileWritten = [&](const TPrintJobRecord& job) {
    told.push_back(cp1253::ToUtf8(job.Destination));
  };
  TPrinter printer;
  printer.SetPrinterIndex(printer.Printers()->IndexOf("PDF"));
  printer.Title = "Πίνακας: 1/2"_a;
  for (int job = 0; job < 2; ++job) {
    printer.BeginDoc();
    printer.Canvas()->TextOut(0, 0, job == 0 ? "first" : "second");
    printer.EndDoc();
  }
  const std::string folder = home.path() + "/Έγγραφα/";
  EXPECT_EQ(told, (std::vector<std::string>{folder + "Πίνακας_ 1_2.pdf", folder + "Πίνακας_ 1_2 (2).pdf"}));
  std::string first;
  if (PdfText(folder + "Πίνακας_ 1_2.pdf", first)) {
    EXPECT_NE(first.find("first"), std::string::npos);
  }
  // A file the caller named is the caller's: no notice.
  printer.FileName = cp1253::FromUtf8(home.path() + "/chosen.pdf");
  printer.BeginDoc();
  printer.EndDoc();
  EXPECT_EQ(told.size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(home.path() + "/chosen.pdf"));
  printers::OnFileWritten = nullptr;
  printers::UseSystem();
}

TEST_F(PrintersTest, ProfilesGiveResolutionOffsetsAndPapers) {
  TPrinter printer;
  EXPECT_EQ(printer.PrinterIndex(), 0);
  printer.SetPrinterIndex(1);
  EXPECT_EQ(printer.DeviceName(), "Office Laser");
  EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSX), 300);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 2550);  // letter, 8.5 in
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALHEIGHT), 3300);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 50);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETY), 60);
  EXPECT_EQ(printer.PageWidth(), 2450);
  EXPECT_EQ(printer.PageHeight(), 3180);
  printer.SetOrientation(poLandscape);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 3300);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 60);
  EXPECT_EQ(printer.DeviceMode().dmOrientation, DMORIENT_LANDSCAPE);
  // Explicit length and width, when the fields say so, override the code.
  printer.SetOrientation(poPortrait);
  TDeviceMode& mode = printer.DeviceMode();
  mode.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  mode.dmPaperWidth = 1000;
  mode.dmPaperLength = 1500;
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 1181);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALHEIGHT), 1772);
  EXPECT_EQ(printer.Bins().size(), 2u);
  EXPECT_EQ(printer.PaperCodes(), (std::vector<int>{DMPAPER_A4, DMPAPER_LETTER}));
  // Selecting a printer resets the settings to its own.
  printer.SetPrinterIndex(0);
  printer.SetPrinterIndex(1);
  EXPECT_EQ(printer.DeviceMode(), printers::Profiles()[1].Defaults);
  EXPECT_THROW(printer.SetPrinterIndex(2), EPrinter);
}

TEST_F(PrintersTest, NoPrinterAtAll) {
  printers::UseProfiles({});
  TPrinter printer;
  EXPECT_EQ(printer.Printers()->Count(), 0);
  EXPECT_EQ(printer.PrinterIndex(), -1);
  EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSX), 0);
  try {
    printer.BeginDoc();
    FAIL();
  } catch (const EPrinter& e) {
    EXPECT_EQ(e.Message, "There is no default printer currently selected");
  }
}

TEST_F(PrintersTest, StateErrors) {
  TPrinter printer;
  EXPECT_THROW(printer.NewPage(), EPrinter);
  EXPECT_THROW(printer.EndDoc(), EPrinter);
  printer.FileName = Path("state.pdf");
  printer.BeginDoc();
  EXPECT_TRUE(printer.Printing());
  EXPECT_THROW(printer.BeginDoc(), EPrinter);
  EXPECT_THROW(printer.SetPrinterIndex(1), EPrinter);
  EXPECT_THROW(printer.SetOrientation(poLandscape), EPrinter);
  printer.EndDoc();
  EXPECT_FALSE(printer.Printing());
}

TEST_F(PrintersTest, PdfDocumentReadsBackWithItsGreekText) {
  TPrinter printer;
  printer.Title = "Πίνακας προσφορών"_a;
  printer.FileName = Path("greek.pdf");
  printer.BeginDoc();
  TCanvas* c = printer.Canvas();
  EXPECT_EQ(c->GetDeviceCaps(LOGPIXELSY), 600);
  c->Font->Name = "Arial";
  c->Font->SetSize(12);
  EXPECT_EQ(c->Font->Height(), -100);
  c->TextOut(600, 600, "Προσφορά μειοδότη: 12.345,67 €"_a);
  c->Rectangle(500, 500, 4000, 800);
  printer.NewPage();
  EXPECT_EQ(printer.PageNumber(), 2);
  c->Font->Name = "Courier New";
  c->TextOut(600, 600, "Σελίδα 2 ΑΒΓΔ"_a);
  printer.EndDoc();
  ASSERT_TRUE(FileExists(Path("greek.pdf")));
  const std::string file = PathOf("greek.pdf");
  EXPECT_TRUE(PdfIsSound(file));
  if (std::string text; PdfText(file, text)) {
    EXPECT_NE(text.find(cp1253::ToUtf8("Προσφορά μειοδότη: 12.345,67 €"_a)), std::string::npos) << text;
    EXPECT_NE(text.find(cp1253::ToUtf8("Σελίδα 2 ΑΒΓΔ"_a)), std::string::npos) << text;
  }
  ASSERT_TRUE(Installed("pdfinfo", "poppler-utils"));
  {
    std::string info = RunCommand("pdfinfo '" + file + "' 2>/dev/null");
    EXPECT_NE(info.find("Pages:           2\n"), std::string::npos) << info;
    EXPECT_NE(info.find("595.32 x 841.92 pts"), std::string::npos) << info;  // A4
  }
  ASSERT_EQ(printers::JobLog().size(), 1u);
  EXPECT_EQ(printers::JobLog()[0].Pages, 2);
  EXPECT_EQ(printers::JobLog()[0].Destination, Path("greek.pdf"));
  EXPECT_TRUE(printers::JobLog()[0].Unshown.empty());
}

TEST_F(PrintersTest, JobLogKeepsWhatAPdfCannotShow) {
  TPrinter printer;
  printer.FileName = Path("settings.pdf");
  printer.SetCopies(3);
  TDeviceMode& mode = printer.DeviceMode();
  mode.dmDuplex = DMDUP_VERTICAL;
  mode.dmDefaultSource = 4;
  mode.dmCollate = 1;
  mode.dmPrintQuality = 300;
  printer.BeginDoc();
  printer.EndDoc();
  ASSERT_EQ(printers::JobLog().size(), 1u);
  const TPrintJobRecord& job = printers::JobLog()[0];
  EXPECT_EQ(job.Printer, "PDF");
  EXPECT_EQ(job.Mode.dmCopies, 3);
  // The copies are in the file itself.
  EXPECT_EQ(job.Unshown, (std::vector<AnsiString>{"Duplex=2", "Bin=4", "Quality=300"}));
  // A printer whose settings lack a field does not report it.
  TPrinter office;
  office.SetPrinterIndex(1);
  office.FileName = Path("office.pdf");
  office.DeviceMode().dmDuplex = DMDUP_HORIZONTAL;
  office.BeginDoc();
  office.EndDoc();
  EXPECT_TRUE(printers::JobLog()[1].Unshown.empty());
}

// The PDF printer repeats the pages for each copy: the whole document
// again when collated, each page its copies in a row when not.
TEST_F(PrintersTest, APdfHoldsEveryCopy) {
  ASSERT_TRUE(Installed("pdftotext", "poppler-utils"));
  struct Case {
    const char* name;
    int copies;
    int collate;
    std::vector<int> pages;
  } cases[] = {{"single.pdf", 1, 0, {1, 2, 3}},
               {"collated.pdf", 2, 1, {1, 2, 3, 1, 2, 3}},
               {"uncollated.pdf", 3, 0, {1, 1, 1, 2, 2, 2, 3, 3, 3}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPrinter printer;
    printer.FileName = Path(c.name);
    printer.SetCopies(c.copies);
    printer.DeviceMode().dmCollate = c.collate;
    printer.BeginDoc();
    for (int page = 1; page <= 3; ++page) {
      if (page > 1) printer.NewPage();
      printer.Canvas()->Font->Name = "Arial";
      printer.Canvas()->TextOut(600, 600, "Σελίδα "_a + IntToStr(page));
    }
    printer.EndDoc();
    EXPECT_EQ(printers::JobLog().back().Pages, 3);
    EXPECT_TRUE(printers::JobLog().back().Unshown.empty());
    const std::string file = PathOf(c.name);
    EXPECT_TRUE(PdfIsSound(file));
    std::vector<int> pages;
    for (int page = 1; page <= 12; ++page) {
      const std::string text = RunCommand("pdftotext -q -enc UTF-8 -f " + std::to_string(page) + " -l " +
                                          std::to_string(page) + " '" + file + "' - 2>/dev/null");
      const std::size_t at = text.find(cp1253::ToUtf8("Σελίδα "_a));
      if (at == std::string::npos) break;
      pages.push_back(text[at + std::string(cp1253::ToUtf8("Σελίδα "_a)).size()] - '0');
    }
    EXPECT_EQ(pages, c.pages);
  }
}

TEST_F(PrintersTest, AbortWritesNothing) {
  TPrinter printer;
  printer.FileName = Path("aborted.pdf");
  printer.BeginDoc();
  printer.Canvas()->TextOut(0, 0, "x");
  printer.Abort();
  EXPECT_FALSE(printer.Printing());
  EXPECT_TRUE(printer.Aborted());
  EXPECT_FALSE(FileExists(Path("aborted.pdf")));
  ASSERT_EQ(printers::JobLog().size(), 1u);
  EXPECT_TRUE(printers::JobLog()[0].Aborted);
}

TEST_F(PrintersTest, DefaultFileNameFollowsTheTitle) {
  TPrinter printer;
  printer.Title = "Έκθεση: 1/2"_a;
  for (int i = 0; i < 2; ++i) {
    printer.BeginDoc();
    printer.EndDoc();
  }
  EXPECT_EQ(printers::JobLog()[0].Destination, Path("") + "Έκθεση_ 1_2.pdf"_a);
  EXPECT_EQ(printers::JobLog()[1].Destination, Path("") + "Έκθεση_ 1_2 (2).pdf"_a);
  EXPECT_TRUE(FileExists(printers::JobLog()[1].Destination));
}

TEST_F(PrintersTest, UnwritableTargetRaisesAndLeavesThePrinterReady) {
  TPrinter printer;
  printer.FileName = Path("missing-folder/out.pdf");
  printer.BeginDoc();
  EXPECT_ANY_THROW(printer.EndDoc());
  EXPECT_FALSE(printer.Printing());
  EXPECT_TRUE(printers::JobLog().empty());
}

TEST_F(PrintersTest, CanvasBeforeTheDocumentMeasuresLikeThePrinter) {
  TPrinter printer;
  TCanvas* c = printer.Canvas();
  c->Font->Name = "Courier New";
  c->Font->SetSize(10);
  EXPECT_EQ(c->Font->Height(), -83);
  EXPECT_EQ(c->GetDeviceCaps(LOGPIXELSX), 600);
  int width = c->TextWidth("0123456789");
  printer.FileName = Path("measure.pdf");
  printer.BeginDoc();
  EXPECT_EQ(printer.Canvas()->Font->Name, "Courier New");
  EXPECT_EQ(printer.Canvas()->TextWidth("0123456789"), width);
  printer.Canvas()->Font->Style = fsBold;
  printer.EndDoc();
  EXPECT_EQ(printer.Canvas()->Font->Style, static_cast<TFontStyles>(fsBold));
  EXPECT_EQ(printer.Canvas()->Font->Name, "Courier New");
  // Another printer: the canvas measures for it, the font keeps its size.
  printer.SetPrinterIndex(1);
  EXPECT_EQ(printer.Canvas()->GetDeviceCaps(LOGPIXELSX), 300);
  EXPECT_EQ(printer.Canvas()->Font->Size(), 10);
  EXPECT_EQ(printer.Canvas()->Font->Height(), -42);
  printer.SetOrientation(poLandscape);
  EXPECT_EQ(printer.Canvas()->GetDeviceCaps(HORZRES), printer.PageWidth());
}

TEST_F(PrintersTest, TextFileWritesLinesDownThePages) {
  TPrinter printer;
  printer.FileName = Path("text.pdf");
  TPrnFile prn(&printer);
  EXPECT_THROW(prn.Writeln("x"), EInOutError);
  prn.Rewrite();
  printer.Canvas()->Font->Name = "Courier New";
  printer.Canvas()->Font->SetSize(10);
  int lineHeight = printer.Canvas()->TextHeight("W");
  int perPage = printer.PageHeight() / lineHeight;
  for (int i = 1; i <= perPage + 5; ++i) prn.Writeln("Γραμμή "_a + IntToStr(i));
  prn.Write("ΣΥΝΟΛΙΚΗ ΑΠΑΙΤΟΥΜΕΝΗ  ΕΓΓΥΗΣΗ"_a);
  prn.Write("\r\n");
  prn.CloseFile();
  EXPECT_THROW(prn.CloseFile(), EInOutError);
  ASSERT_EQ(printers::JobLog().size(), 1u);
  EXPECT_EQ(printers::JobLog()[0].Pages, 2);
  if (std::string text; PdfText(PathOf("text.pdf"), text, true)) {
    EXPECT_NE(text.find(cp1253::ToUtf8("Γραμμή 1\n"_a)), std::string::npos);
    EXPECT_NE(text.find(cp1253::ToUtf8("Γραμμή "_a + IntToStr(perPage + 5))), std::string::npos);
    // The reader rebuilds blanks from positions; the words must be there.
    EXPECT_NE(text.find(cp1253::ToUtf8("ΣΥΝΟΛΙΚΗ ΑΠΑΙΤΟΥΜΕΝΗ"_a)), std::string::npos);
    EXPECT_NE(text.find(cp1253::ToUtf8(" ΕΓΓΥΗΣΗ"_a)), std::string::npos);
  }
}

TEST_F(PrintersTest, TextFileErrorsAreInputOutputErrors) {
  printers::UseProfiles({});
  TPrinter none;
  TPrnFile prn(&none);
  EXPECT_THROW(prn.Rewrite(), EInOutError);
  SetUp();
  TPrinter printer;
  printer.FileName = Path("no-folder/x.pdf");
  TPrnFile bad(&printer);
  bad.Rewrite();
  bad.Writeln("a");
  EXPECT_THROW(bad.CloseFile(), EInOutError);
  EXPECT_FALSE(printer.Printing());
}

}  // namespace

namespace {

// A pipe under the settings' name holds nothing up, and a settings file
// past its bound is read no further: the home folder is taken.
TEST(DocumentsFolderSettings, APipeOrAnEndlessFileIsNotWaitedFor) {
  TempFolder home;
  std::filesystem::create_directories(home.path() + "/.config");
  std::filesystem::create_directories(home.path() + "/Έγγραφα");
  const std::string settings = home.path() + "/.config/user-dirs.dirs";
  ScopedEnv homeEnv("HOME", home.path());
  ScopedEnv configEnv("XDG_CONFIG_HOME", nullptr);
  ScopedEnv documentsEnv("XDG_DOCUMENTS_DIR", nullptr);
  ASSERT_EQ(mkfifo(settings.c_str(), 0600), 0);
  auto folder = std::async(std::launch::async, [] {
    printers::UseSystem();
    return cp1253::ToUtf8(printers::PdfPrinterProfile().OutputFolder);
  });
  if (folder.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
    ADD_FAILURE() << "waited on the pipe";
    // Lets the waiting reader go.
    close(open(settings.c_str(), O_WRONLY | O_NONBLOCK));
  }
  EXPECT_EQ(folder.get(), home.path());
  std::filesystem::remove(settings);
  std::ofstream(settings) << std::string(MaxUserDirsSize, '#') << "\nXDG_DOCUMENTS_DIR=\"$HOME/Έγγραφα\"\n";
  printers::UseSystem();
  EXPECT_EQ(cp1253::ToUtf8(printers::PdfPrinterProfile().OutputFolder), home.path());
  std::filesystem::remove(settings);
  std::ofstream(settings) << "XDG_DOCUMENTS_DIR=\"$HOME/Έγγραφα\"\n" << std::string(MaxUserDirsSize, '#');
  printers::UseSystem();
  EXPECT_EQ(cp1253::ToUtf8(printers::PdfPrinterProfile().OutputFolder), home.path() + "/Έγγραφα");
  printers::UseSystem();
}

// A queue's driver goes by the file its description names, else its make
// and model, else the kind of its device, else the print system's name.
TEST_F(PrintersTest, AQueuesDriverIsNamedByWhatItTells) {
  struct Case {
    std::string pcFileName;
    const char* makeAndModel;
    const char* deviceUri;
    std::string driver;
  };
  const Case cases[] = {
      {"LASER.PPD", "Office Laser", "ipp://printer/ipp", "LASER.PPD"},
      {"", "Office Laser", "ipp://printer/ipp", "Office Laser"},
      {"", "", "socket://10.0.0.5:9100", "socket"},
      {"", nullptr, "usb://Maker/Model", "usb"},
      {"", nullptr, ":no-scheme", "CUPS"},
      {"", nullptr, nullptr, "CUPS"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(printers::QueueDriverName(c.pcFileName, c.makeAndModel, c.deviceUri), c.driver) << c.driver;
}

// The sheet's right and bottom margins are the printer's own when it has
// them: the printable area is what all four leave, and a page turned on its
// side takes the sheet's bottom for its left and the sheet's left for its top.
TEST_F(PrintersTest, EachMarginOfTheSheetBoundsThePrintableArea) {
  TPrinterProfile office = printers::PdfPrinterProfile();
  office.OffsetX = 10;
  office.OffsetY = 20;
  office.OffsetRight = 30;
  office.OffsetBottom = 40;
  printers::UseProfiles({office}, 0);
  TPrinter printer;
  const int width = 4961, height = 7016;  // A4 at 600 dots per inch
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 10);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETY), 20);
  EXPECT_EQ(printer.PageWidth(), width - 10 - 30);
  EXPECT_EQ(printer.PageHeight(), height - 20 - 40);
  printer.SetOrientation(poLandscape);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 40);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETY), 10);
  EXPECT_EQ(printer.PageWidth(), height - 40 - 20);
  EXPECT_EQ(printer.PageHeight(), width - 10 - 30);
}

}  // namespace
