// Worksheets made by the office suite (worksheets/make_worksheets.py) read
// into a grid through it: the same cells from .xls, .xlsx and .ods, the
// named sheet, the errors, and the file never changed. Workbooks too large
// to commit are made by worksheets/make_large_worksheets.py at the run.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "grid/ExtGrid.h"
#include "grid/ExtGridDragDrop.h"
#include "grid/WorksheetReader.h"
#include "platform/backend/headless/Headless.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Forms.h"
#include "tests/TestOutput.h"
#include "tests/grid/GridFixture.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/LocaleScope.h"
#include "tests/platform/rtl/ScopedEnv.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WORKSHEET_TEST_ASAN 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define WORKSHEET_TEST_ASAN 1
#endif

namespace {

AnsiString Greek(const char* utf8) { return cp1253::FromUtf8(utf8); }

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Book(const std::string& name) { return std::string(DIM_TEST_DATA) + "/worksheets/" + name; }

class WorksheetImportTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    backend = &InstallHeadlessBackend();
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(40, 40, 500, 300);
    grid = new TExtStringGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(10, 10, 460, 240);
    grid->SetColCount(2);
    grid->SetRowCount(2);
    form->Show();
    Application->ProcessMessages();
    grid->SetCells(1, 1, "kept");
  }
  void TearDown() override { form.reset(); }
  void ExpectUnchanged() {
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Cells(1, 1), "kept");
    EXPECT_EQ(Screen->Cursor(), crDefault);
  }
  LocaleScope greek{LocaleScope::Greek};
  ScopedEnv bridge{"DIM_CALC_BRIDGE", DIM_CALC_BRIDGE};
  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TForm> form;
  TExtStringGrid* grid = nullptr;
};

TEST_P(WorksheetImportTest, TheActiveSheetArrivesWithTheSameCells) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  const std::string file = Book(GetParam());
  const std::string before = Bytes(file);
  const auto stamp = std::filesystem::last_write_time(file);
  grid->LoadFromSpreadsheetFile(AnsiString(file));
  // The used range starts at B2 in the sheet, at the grid's first cell here.
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_EQ(grid->RowCount(), 5);
  const std::vector<std::vector<const char*>> expected = {
      {"Επωνυμία", "Ποσό", "Ημερομηνία"}, {"Αλφα ΑΤΕ", "1234,5", "7/12/2026"},     {"", "", ""},
      {"Βήτα ΕΠΕ", "-0,25", "31/1/2025"}, {"Γάμμα\r\nδεύτερη γραμμή", "2469", ""},
  };
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(grid->Cells(c, r), Greek(expected[r][c])) << c << "," << r;
  EXPECT_EQ(Screen->Cursor(), crDefault);
  // Read only: not a byte nor the time of the file changed.
  EXPECT_TRUE(Bytes(file) == before);
  EXPECT_EQ(std::filesystem::last_write_time(file), stamp);
}

INSTANTIATE_TEST_SUITE_P(Formats, WorksheetImportTest, ::testing::Values("book.xls", "book.xlsx", "book.ods"),
                         [](const auto& info) { return std::string(info.param).substr(5); });

class WorksheetErrorsTest : public WorksheetImportTest {};

TEST_F(WorksheetErrorsTest, TheNamedSheetComesAfterTheFixedCells) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  grid->IncludeFixedCells = false;
  grid->LoadFromSpreadsheetFile(AnsiString(Book("book.ods")), Greek("Προσφορές"));
  // A1:B2 after one fixed column and row.
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_EQ(grid->RowCount(), 3);
  EXPECT_EQ(grid->Cells(1, 1), Greek("δεύτερο φύλλο"));
  EXPECT_EQ(grid->Cells(2, 2), "7");
  EXPECT_EQ(grid->Cells(2, 1), "");
}

TEST_F(WorksheetErrorsTest, AMissingSheetADamagedFileAndTextAreRefusedWithTheGridUnchanged) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  EXPECT_EQ(ErrorOf<Exception>(
                [&] { grid->LoadFromSpreadsheetFile(AnsiString(Book("book.xlsx")), Greek("Λείπει")); }),
            "Excel worksheet Λείπει not found");
  ExpectUnchanged();
  // Half a workbook, and a text that only calls itself a workbook: the
  // office suite's own words, never the text read as cells.
  const std::string damaged = TestOutput("damaged.xls"), text = TestOutput("notes.xls");
  const std::string whole = Bytes(Book("book.xls"));
  std::ofstream(damaged, std::ios::binary) << whole.substr(0, whole.size() / 3);
  std::ofstream(text, std::ios::binary) << "Επωνυμία\tΠοσό\nΑλφα\t12\n";
  for (const std::string& file : {damaged, text}) {
    const std::string error = ErrorOf<Exception>([&] { grid->LoadFromSpreadsheetFile(AnsiString(file)); });
    EXPECT_EQ(error, file + ": LibreOffice could not open the file as MS Excel 97");
    ExpectUnchanged();
  }
  // A file that is not there.
  EXPECT_FALSE(
      ErrorOf<Exception>([&] { grid->LoadFromSpreadsheetFile(AnsiString(TestOutput("none.ods"))); }).empty());
  ExpectUnchanged();
}

TEST_F(WorksheetErrorsTest, AWorkbookLockedByAPasswordSaysSoAndStaysAsItWas) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  // The office suite cannot lock an .xlsx it writes: a locked one travels
  // in a compound file beside its key, which is all the reader looks at.
  const std::string lockedXlsx = TestOutput("locked.xlsx");
  {
    std::string bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    bytes.resize(1024, '\0');
    for (char c : std::string("EncryptionInfo")) bytes += std::string{c, '\0'};
    bytes.resize(2048, '\0');
    std::ofstream(lockedXlsx, std::ios::binary) << bytes;
  }
  for (const std::string& file : {Book("locked.xls"), Book("locked.ods"), lockedXlsx}) {
    SCOPED_TRACE(file);
    const std::string before = Bytes(file);
    EXPECT_EQ(ErrorOf<Exception>([&] { grid->LoadFromSpreadsheetFile(AnsiString(file)); }),
              file + ": the workbook is locked by a password; only one without a password can be read");
    ExpectUnchanged();
    EXPECT_TRUE(Bytes(file) == before);
  }
}

TEST_F(WorksheetErrorsTest, AReadThatOutlastsItsBoundIsStoppedWithAClearError) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  // The office suite takes far longer than this to start.
  const auto kept = WorksheetTimeout();
  SetWorksheetTimeout(std::chrono::milliseconds(300));
  const std::string file = Book("book.ods");
  const auto start = std::chrono::steady_clock::now();
  const std::string error = ErrorOf<Exception>([&] { grid->LoadFromSpreadsheetFile(AnsiString(file)); });
  const auto took = std::chrono::steady_clock::now() - start;
  SetWorksheetTimeout(kept);
  EXPECT_EQ(error, file + ": LibreOffice did not finish reading the file within 300 ms");
  EXPECT_LT(took, std::chrono::seconds(10));
  ExpectUnchanged();
  // The next read, with room, is whole.
  grid->LoadFromSpreadsheetFile(AnsiString(file));
  EXPECT_EQ(grid->Cells(0, 1), Greek("Αλφα ΑΤΕ"));
}

TEST_F(WorksheetErrorsTest, ADroppedWorkbookImports) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  grid->DragDropSettings().SetOleDropTarget(true);
  const std::string upper = TestOutput("BOOK.XLS");
  std::filesystem::copy_file(Book("book.xls"), upper, std::filesystem::copy_options::overwrite_existing);
  std::vector<AnsiString> asked;
  grid->OnOleDrop = [&](TObject*, int, int, const AnsiString& name, bool&) { asked.push_back(name); };
  const TRect cell = grid->CellRect(1, 1);
  const TPoint at = grid->ClientToScreen(Point((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2));
  EXPECT_TRUE(ui::dragdrop::DeliverFiles(grid->Handle(), at, {AnsiString(upper)}));
  EXPECT_EQ(asked, std::vector<AnsiString>{AnsiString(upper)});
  EXPECT_EQ(grid->Cells(0, 1), Greek("Αλφα ΑΤΕ"));
  EXPECT_EQ(grid->Cells(1, 1), "1234,5");
  EXPECT_TRUE(backend->ErrorBoxes.empty());
}

// A workbook of make_large_worksheets.py, made in the test's own folder:
// tests run side by side as programs of their own.
std::string LargeBook(const std::string& name) {
  int status = -1;
  RunCommand("python3 -B '" + std::string(DIM_TEST_DATA) + "/worksheets/make_large_worksheets.py' '" +
                 TestOutputFolder().string() + "' " + name + " 2>&1",
             &status);
  EXPECT_EQ(status, 0) << name;
  return TestOutput(name);
}

// Holds this program, and all it starts, to an address space of its own
// for the life of the object, so that an office suite that escaped its own
// bound still could not take the machine's memory. Only the soft limit
// moves, so that it can be put back. A sanitizer build reserves more
// address space than any such bound at its start: there the bridge is held
// instead, by a stand-in that bounds itself and then runs it.
class ScopedAddressSpace {
 public:
  explicit ScopedAddressSpace(rlim_t bytes) {
#ifndef WORKSHEET_TEST_ASAN
    EXPECT_EQ(::getrlimit(RLIMIT_AS, &saved_), 0);
    rlimit bound = saved_;
    bound.rlim_cur = std::min(bytes, saved_.rlim_max);
    EXPECT_EQ(::setrlimit(RLIMIT_AS, &bound), 0);
#endif
    const std::string standIn = TestOutput("bounded-bridge");
    std::ofstream(standIn) << "import os, resource, sys\n"
                           << "resource.setrlimit(resource.RLIMIT_AS, (" << bytes << ", " << bytes << "))\n"
                           << "os.execv(sys.executable, [sys.executable, '" << DIM_CALC_BRIDGE
                           << "'] + sys.argv[1:])\n";
    bridge_.emplace("DIM_CALC_BRIDGE", standIn);
  }
  ~ScopedAddressSpace() {
#ifndef WORKSHEET_TEST_ASAN
    ::setrlimit(RLIMIT_AS, &saved_);
#endif
  }

 private:
#ifndef WORKSHEET_TEST_ASAN
  rlimit saved_{};
#endif
  std::optional<ScopedEnv> bridge_;
};

class WorksheetBoundsTest : public WorksheetImportTest {};

TEST_F(WorksheetBoundsTest, FiveThousandRowsArriveWhole) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  const std::string file = LargeBook("rows-5000.xlsx");
  grid->LoadFromSpreadsheetFile(AnsiString(file));
  ASSERT_EQ(grid->RowCount(), 5000);
  ASSERT_EQ(grid->ColCount(), 5);
  // The rows of make_large_worksheets.py's row_cells, in the Greek style.
  for (int r : {1, 2, 2048, 2049, 4999, 5000}) {
    SCOPED_TRACE(r);
    EXPECT_EQ(grid->Cells(0, r - 1), Greek("Προσφέρων ") + IntToStr(r));
    EXPECT_EQ(grid->Cells(1, r - 1), IntToStr(r));
    EXPECT_EQ(grid->Cells(2, r - 1), FloatToStr(r * 1.25));
    EXPECT_EQ(grid->Cells(3, r - 1), IntToStr(-r));
    EXPECT_EQ(grid->Cells(4, r - 1), Greek("τέλος ") + IntToStr(r));
  }
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(WorksheetBoundsTest, WorkbooksPastTheOfficeSuitesMemoryAreRefusedByName) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  // The office suite may take a gibibyte; the test and all it starts two.
  ScopedEnv memory("DIM_CALC_MEMORY_MB", "1024");
  ScopedAddressSpace held(rlim_t{2} << 30);
  const struct {
    const char* name;
    const char* words;
  } cases[] = {
      // A few kilobytes on disk, one cell over the whole sheet once read:
      // the office suite stops at its bound.
      {"repeat.ods", ": LibreOffice needs more than the 1024 MiB of memory it may take to read the file"},
      // A gigabyte of blanks between two cells is never handed to it.
      {"blanks.xlsx",
       ": the file unpacks to 1024 MiB, more than LibreOffice can read within the 1024 MiB of memory it may "
       "take"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = LargeBook(c.name);
    EXPECT_EQ(ErrorOf<Exception>([&] { grid->LoadFromSpreadsheetFile(AnsiString(file)); }), file + c.words);
    ExpectUnchanged();
  }
}

// A sheet of a few hundred bytes that names millions of cells is refused
// as soon as the office suite has found its used range, naming the bound,
// and the office suite stopped then leaves none of its temporary files.
TEST_F(WorksheetBoundsTest, AUsedRangePastWhatAGridHoldsIsRefusedBeforeACellIsRead) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  ScopedEnv memory("DIM_CALC_MEMORY_MB", "1024");
  ScopedAddressSpace held(rlim_t{2} << 30);
  const std::filesystem::path temp = TestOutputFolder() / "temp";
  std::filesystem::create_directories(temp);
  ScopedEnv tmpdir("TMPDIR", temp.string());
  // Far less than the cells would take to be read.
  const auto kept = WorksheetTimeout();
  SetWorksheetTimeout(std::chrono::seconds(120));
  const struct {
    const char* name;
    const char* range;
  } cases[] = {
      {"expand.ods", "1000000 rows by 13 columns"},
      // Two cells, in the first row and the last.
      {"apart.ods", "1048576 rows by 3 columns"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = LargeBook(c.name);
    EXPECT_EQ(ErrorOf<Exception>([&] { grid->LoadFromSpreadsheetFile(AnsiString(file)); }),
              file + ": the worksheet's used range, " + c.range + ", is past the 2097152 cells a grid holds");
    ExpectUnchanged();
    EXPECT_TRUE(std::filesystem::is_empty(temp));
  }
  SetWorksheetTimeout(kept);
}

// A reading stopped at the time bound takes along the temporary files the
// office suite had made: here a stand-in that makes them as the office
// suite does, where the temporary folder it is given says, and waits.
TEST_F(WorksheetErrorsTest, AReadStoppedAtItsTimeBoundLeavesNoTemporaryFiles) {
  const std::filesystem::path temp = TestOutputFolder() / "temp-stopped";
  std::filesystem::remove_all(temp);
  std::filesystem::create_directories(temp);
  ScopedEnv tmpdir("TMPDIR", temp.string());
  const std::string standIn = TestOutput("office-stand-in");
  std::ofstream(standIn) << "import tempfile, time\n"
                         << "open(tempfile.mkdtemp(prefix='lu') + '/part', 'w').close()\n"
                         << "time.sleep(60)\n";
  ScopedEnv bridgeNamed("DIM_CALC_BRIDGE", standIn);
  const auto kept = WorksheetTimeout();
  SetWorksheetTimeout(std::chrono::seconds(3));
  const std::string file = Book("book.ods");
  EXPECT_EQ(ErrorOf<Exception>([&] { grid->LoadFromSpreadsheetFile(AnsiString(file)); }),
            file + ": LibreOffice did not finish reading the file within 3 seconds");
  SetWorksheetTimeout(kept);
  ExpectUnchanged();
  EXPECT_TRUE(std::filesystem::is_empty(temp));
}

TEST_F(WorksheetBoundsTest, AnEmptyWorkbookOrOneWithoutItsSheetLeavesTheGridAsItWas) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  for (const char* name : {"empty.xls", "nosheet.xlsx"}) {
    SCOPED_TRACE(name);
    const std::string file = LargeBook(name);
    EXPECT_EQ(ErrorOf<EExtGridError>([&] { grid->LoadFromSpreadsheetFile(AnsiString(file)); }),
              file + ": the worksheet holds no cells to import; the grid is left as it was");
    ExpectUnchanged();
  }
}

// What is no regular file never reaches the spreadsheet service: a pipe
// would hold it until the time bound, a device feed it without end.
TEST_F(WorksheetErrorsTest, PipesDevicesAndLinksToThemAreRefusedBeforeTheServiceStarts) {
  const std::filesystem::path folder = TestOutputFolder() / "not-regular";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string started = (folder / "started").string();
  const std::string standIn = (folder / "bridge").string();
  std::ofstream(standIn) << "open('" << started << "', 'w').close()\n";
  ScopedEnv bridgeNamed("DIM_CALC_BRIDGE", standIn);
  ASSERT_EQ(::mkfifo((folder / "pipe.xlsx").c_str(), 0600), 0);
  std::filesystem::create_symlink("pipe.xlsx", folder / "to-pipe.ods");
  std::vector<std::string> nodes = {"pipe.xlsx", "to-pipe.ods"};
  // The endless device, made in the test's own folder where that is allowed.
  if (::geteuid() == 0) {
    ASSERT_EQ(::mknod((folder / "zero").c_str(), S_IFCHR | 0666, ::makedev(1, 5)), 0);
    std::filesystem::create_symlink("zero", folder / "zero.xlsx");
    nodes.push_back("zero.xlsx");
  }
  std::filesystem::create_directory(folder / "folder.ods");
  const auto kept = WorksheetTimeout();
  SetWorksheetTimeout(std::chrono::seconds(20));
  for (const std::string& name : nodes) {
    SCOPED_TRACE(name);
    const AnsiString file((folder / name).string());
    EXPECT_EQ(ErrorOf<Exception>([&] { grid->LoadFromSpreadsheetFile(file); }),
              cp1253::ToUtf8(FileReadErrorText(file, FileNotRegular)));
    ExpectUnchanged();
  }
  const AnsiString inFolder((folder / "folder.ods").string());
  EXPECT_EQ(ErrorOf<Exception>([&] { grid->LoadFromSpreadsheetFile(inFolder); }),
            cp1253::ToUtf8(FileReadErrorText(inFolder, EISDIR)));
  SetWorksheetTimeout(kept);
  EXPECT_FALSE(std::filesystem::exists(started));
}

TEST(WorksheetAnswer, FiltersByExtension) {
  const struct {
    const char* name;
    const char* filter;
  } cases[] = {{"a.xls", "MS Excel 97"},
               {"/p/B.XLS", "MS Excel 97"},
               {"c.xlsx", "Calc MS Excel 2007 XML"},
               {"d.ods", "calc8"},
               {"e.csv", ""},
               {"/x.ods/f", ""},
               {"noext", ""}};
  for (const auto& c : cases) EXPECT_EQ(WorksheetFilterOf(c.name), c.filter) << c.name;
}

TEST(WorksheetAnswer, ReadsSoundLinesAndLeavesOutTheRest) {
  const TWorksheet sheet = ParseWorksheetAnswer(
      "R\t2\t2\t4\t3\n"
      "2\t2\tS\tline\\none\\ttab\\\\\n"
      "2\t3\tN\t-1.5e3\n"
      "3\t2\tD\t46363.5\n"
      "3\t3\tB\t1\n"
      "4\t2\tN\tnot a number\n"  // broken number
      "9\t2\tS\toutside\n"       // outside the range
      "4\t3\tX\tkind\n"          // unknown kind
      "4\t3\n");                 // too few fields
  EXPECT_EQ(sheet.FirstRow, 2);
  EXPECT_EQ(sheet.LastCol, 3);
  ASSERT_EQ(sheet.Cells.size(), 4u);
  EXPECT_EQ(sheet.Cells[0].Text, "line\r\none\ttab\\");
  EXPECT_EQ(sheet.Cells[1].Number, -1500.0);
  EXPECT_EQ(sheet.Cells[2].Kind, 'D');
  EXPECT_EQ(sheet.Cells[3].Kind, 'B');
  for (const char* bad : {"", "R\t0\t1\t1\t1\n", "R\t3\t1\t2\t1\n", "1\t1\tS\tx\n", "R\t1\t1\t1\n"})
    EXPECT_THROW(ParseWorksheetAnswer(bad), EWorksheetError) << bad;
}

}  // namespace
