#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"
#include "platform/rtl/FileUtils.h"
#include "tests/TestOutput.h"
#include "tests/platform/rtl/ScopedEnv.h"

namespace {

class ExtGridImportTest : public GridFormTest {
 protected:
  // A file of the test's own folder holding Bytes exactly.
  static AnsiString FileWith(const std::string& name, const std::string& Bytes) {
    const auto path = TestOutputFolder() / name;
    std::ofstream(path, std::ios::binary) << Bytes;
    return path.string();
  }
  // The texts of a row from column 0 to the grid's last column.
  static std::vector<std::string> RowTexts(TExtStringGrid& g, int row) {
    std::vector<std::string> texts;
    for (int c = 0; c < g.ColCount(); ++c) texts.push_back(g.Cells(c, row));
    return texts;
  }
  using Row = std::vector<std::string>;
};

TEST_F(ExtGridImportTest, FilesAreSplitByTheDelimiterTheirFirstLinesAgreeOn) {
  struct Case {
    const char* what;
    std::string bytes;
    char delimiter;  // set before the call; #0 detects
    std::vector<Row> rows;
  };
  const Case cases[] = {
      {"two semicolons a line", "a;b;c\r\nd;e;f\r\n", 0, {{"a", "b", "c"}, {"d", "e", "f"}}},
      {"comma and semicolon: the earlier candidate", "a,b;c\nd,e;f\n", 0, {{"a", "b;c"}, {"d", "e;f"}}},
      {"one line joined by bars: the third pass", "x|y|z", 0, {{"x", "y", "z"}}},
      {"hash and tab", "1#2\t3\n4#5\t6\n", 0, {{"1", "2\t3"}, {"4", "5\t6"}}},
      {"doubled quotes in a quoted field", "\"say \"\"hi\"\"\",2\n", 0, {{"say \"hi\"", "2"}}},
      {"a quoted field holds the delimiter", "\"a,b\",c\n1,2\n", 0, {{"a,b", "c"}, {"1", "2"}}},
      {"a last field loses its quotes", "a,\"b\"\nc,d\n", 0, {{"a", "b"}, {"c", "d"}}},
      {"unmatched quote: text up to the delimiter", "\"ab,cd\n", ',', {{"ab", "cd"}}},
      {"unmatched quote ends the line", "x,\"ab\n", ',', {{"x", "ab"}}},
      {"no delimiter: one field a line", "plain text\nmore\n", 0, {{"plain text"}, {"more"}}},
      {"a fixed delimiter is used as given", "a;b,c\n", ',', {{"a;b", "c"}}},
      {"a NUL is a character", std::string("a\0b,c\n", 6), ',', {{std::string("a\0b", 3), "c"}}},
      {"the last line needs no line end", "a,b\nc,d", 0, {{"a", "b"}, {"c", "d"}}},
      {"empty fields keep their columns", "a,,c\n,,\n", 0, {{"a", "", "c"}, {"", "", ""}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = MakeGrid<TExtStringGrid>(1, 1);
    g.Delimiter = k.delimiter;
    g.LoadFromCSVFile(FileWith("in.csv", k.bytes));
    EXPECT_EQ(g.Delimiter, k.delimiter) << "the delimiter comes back";
    ASSERT_EQ(g.RowCount(), static_cast<int>(k.rows.size()));
    for (size_t r = 0; r < k.rows.size(); ++r) {
      Row got = RowTexts(g, static_cast<int>(r));
      got.resize(k.rows[r].size());
      EXPECT_EQ(got, k.rows[r]) << "row " << r;
    }
  }
}

// A line may bring 16,384 columns and 1 MiB; a file beyond either is
// refused with the line's number and the grid keeps what it held, its
// floating footer too.
TEST_F(ExtGridImportTest, ColumnsAndLineLengthAreBounded) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;  // empty: loads
    int cols;
  };
  std::string fields;
  for (int i = 0; i < 16383; ++i) fields += "x,";
  const Case cases[] = {
      {"16,384 fields", "a,b\n" + fields + "y\n", "", 16384},
      {"16,385 fields", "a,b\n" + fields + "y,z\n", "Line 2 of file @ has more than 16384 fields", 0},
      {"a line of 1 MiB", std::string(1 << 20, 'q') + "\n", "", 2},
      {"a line one byte longer, without a line end", "a\n" + std::string((1 << 20) + 1, 'q'),
       "Line 2 of file @ is longer than 1048576 characters", 0},
      {"quoted delimiters are no fields", "\"" + fields + "\",y\n", "", 2},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = MakeGrid<TExtStringGrid>(2, 3);
    g.SetCells(0, 1, "kept");
    g.FloatingFooter().SetVisible(true);
    g.SetCells(1, 2, "42");
    const AnsiString file = FileWith("bounds.csv", k.bytes);
    if (*k.message == 0) {
      g.LoadFromCSVFile(file);
      EXPECT_EQ(g.ColCount(), k.cols);
      continue;
    }
    std::string message = k.message;
    message.replace(message.find('@'), 1, file);
    try {
      g.LoadFromCSVFile(file, true);
      ADD_FAILURE() << "loaded";
    } catch (const EExtGridError& e) {
      EXPECT_EQ(std::string(e.Message), message);
    }
    EXPECT_EQ(g.ColCount(), 2);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cells(0, 1), "kept");
    EXPECT_EQ(g.Cells(1, 2), "42");
    EXPECT_EQ(g.Delimiter, 0);
  }
}

TEST_F(ExtGridImportTest, LineBreaksInFieldsBecomeCrLf) {
  struct Case {
    const char* what;
    bool tilde;
    std::string bytes, cell;
  };
  const Case cases[] = {
      {"tilde breaks on", true, "a~b,c\n", "a\r\nb"},
      {"tilde breaks off: the tilde stays", false, "a~b,c\n", "a~b"},
      {"a lone CR stays a character", false, "a\rb,c\n", "a\rb"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = MakeGrid<TExtStringGrid>(2, 2);
    g.TildeLineBreaks = k.tilde;
    g.LoadFromCSVFile(FileWith("breaks.csv", k.bytes));
    EXPECT_EQ(g.Cells(0, 0), k.cell);
  }
}

// A grid that keeps its own record of every value an import stores, as a
// descendant taking over the direct store would.
class TRecordingImportGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  std::vector<std::string> Stored;
  void SetCellTextDirect(int ACol, int ARow, const AnsiString& Value) override {
    Stored.push_back(std::to_string(ACol) + "," + std::to_string(ARow) + "=" + std::string(Value));
    TExtStringGrid::SetCellTextDirect(ACol, ARow, "<" + Value + ">");
  }
};

TEST_F(ExtGridImportTest, ImportedValuesGoThroughTheGridsDirectStore) {
  auto& g = MakeGrid<TRecordingImportGrid>(2, 2);
  g.LoadFromCSVFile(FileWith("direct.csv", "ab,c\nd,ef\n"));
  EXPECT_EQ(g.Stored, (std::vector<std::string>{"0,0=ab", "1,0=c", "0,1=d", "1,1=ef"}));
  EXPECT_EQ(RowTexts(g, 0), (Row{"<ab>", "<c>"}));
  EXPECT_EQ(RowTexts(g, 1), (Row{"<d>", "<ef>"}));
}

TEST_F(ExtGridImportTest, GreekTextArrivesInTheProgramsCodePage) {
  // "Αθήνα;Ωμέγα" in code page 1253, and the same in Greek DOS text.
  const std::string ansi = "\xC1\xE8\xDE\xED\xE1;\xD9\xEC\xDD\xE3\xE1\r\n";
  const std::string oem = "\x80\x9F\xE3\xA4\x98;\x97\xA3\xE2\x9A\x98\r\n";
  auto& g = MakeGrid<TExtStringGrid>(1, 1);
  g.LoadFromCSVFile(FileWith("ansi.csv", ansi));
  const Row expected = {"\xC1\xE8\xDE\xED\xE1", "\xD9\xEC\xDD\xE3\xE1"};
  EXPECT_EQ(RowTexts(g, 0), expected);
  g.OemConvert = true;
  g.LoadFromCSVFile(FileWith("oem.csv", oem));
  EXPECT_EQ(RowTexts(g, 0), expected);
}

TEST_F(ExtGridImportTest, FixedCellsStayWhenNotIncludedAndAppendGoesAfterTheLastRow) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetFixedRows(1);
  g.SetFixedCols(1);
  g.SetCells(0, 0, "corner");
  g.IncludeFixedCells = false;
  g.LoadFromCSVFile(FileWith("a.csv", "1,2\n3,4\n"));
  EXPECT_EQ(g.Cells(0, 0), "corner");
  EXPECT_EQ(g.RowCount(), 3);
  EXPECT_EQ(RowTexts(g, 1), (Row{"", "1", "2"}));
  EXPECT_EQ(RowTexts(g, 2), (Row{"", "3", "4"}));
  g.LoadFromCSVFile(FileWith("b.csv", "5,6,7\n"), true);
  EXPECT_EQ(g.RowCount(), 4);
  EXPECT_EQ(g.ColCount(), 4) << "a longer line widens the grid";
  EXPECT_EQ(RowTexts(g, 3), (Row{"", "5", "6", "7"}));
}

TEST_F(ExtGridImportTest, AppendingKeepsTheFloatingFooterInTheLastRow) {
  auto& g = MakeGrid<TExtStringGrid>(2, 3);
  g.SetCells(0, 1, "data");
  g.FloatingFooter().SetVisible(true);
  g.SetCells(0, 2, "sum");
  g.SetCells(1, 2, "42");
  g.LoadFromCSVFile(FileWith("more.csv", "x,y\nz,w\n"), true);
  ASSERT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.Cells(0, 1), "data");
  EXPECT_EQ(RowTexts(g, 2), (Row{"x", "y"}));
  EXPECT_EQ(RowTexts(g, 3), (Row{"z", "w"}));
  EXPECT_EQ(RowTexts(g, 4), (Row{"sum", "42"}));
}

TEST_F(ExtGridImportTest, ProgressIsReportedAsItChangesUpToAHundred) {
  std::string bytes;
  for (int i = 0; i < 8; ++i) bytes += std::to_string(i) + ",x\n";
  auto& g = MakeGrid<TExtStringGrid>(1, 1);
  std::vector<int> seen;
  g.OnFileProgress = [&](TObject*, SmallInt p) { seen.push_back(p); };
  g.LoadFromCSVFile(FileWith("p.csv", bytes));
  // 1/8 = 12.5 rounds to even, 5/8 = 62.5 likewise.
  EXPECT_EQ(seen, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
  EXPECT_EQ(g.RowCount(), 8);
}

TEST_F(ExtGridImportTest, EmptyAndMissingFilesChangeNothingTheyShouldNot) {
  auto& g = MakeGrid<TExtStringGrid>(2, 4);
  g.SetFixedRows(1);
  g.IncludeFixedCells = false;
  g.LoadFromCSVFile(FileWith("empty.csv", ""));
  EXPECT_EQ(g.RowCount(), 2) << "the fixed row stays with one row under it";
  EXPECT_EQ(g.FixedRows(), 1);
  g.SetCells(1, 1, "kept");
  const AnsiString missing = (TestOutputFolder() / "no-such.csv").string();
  EXPECT_EQ(ErrorOf<EExtGridError>([&] { g.LoadFromCSVFile(missing); }),
            "Cannot open file " + cp1253::ToUtf8(missing));
  const AnsiString greek = cp1253::FromUtf8((TestOutputFolder() / "λείπει.csv").string());
  EXPECT_EQ(ErrorOf<EExtGridError>([&] { g.LoadFromCSVFile(greek); }),
            "Cannot open file " + cp1253::ToUtf8(greek));
  EXPECT_EQ(g.Cells(1, 1), "kept");
  // A pipe under a file's name is refused at once, never waited on.
  const std::string pipe = (TestOutputFolder() / "pipe.csv").string();
  std::filesystem::remove(pipe);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(ErrorOf<EExtGridError>([&] { g.LoadFromCSVFile(AnsiString(pipe)); }), "Cannot open file " + pipe);
  EXPECT_EQ(g.Cells(1, 1), "kept");
}

TEST_F(ExtGridImportTest, WorksheetImportReportsTheMissingServerAndPutsTheCursorBack) {
  auto& g = MakeGrid<TExtStringGrid>(2, 2);
  g.SetCells(1, 1, "kept");
  Screen->SetCursor(crDefault);
  // A machine without the office suite: nothing on the path finds it.
  ScopedEnv path("PATH", TestOutputFolder().string());
  EXPECT_EQ(ErrorOf<EExtGridError>([&] { g.LoadFromSpreadsheetFile("book.xls", "Sheet1"); }),
            "Excel OLE server not found");
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(g.Cells(1, 1), "kept");
  EXPECT_EQ(g.RowCount(), 2);
}

TEST_F(ExtGridImportTest, LongLinesAreReadWhole) {
  std::string line;
  const std::string filler(1000, 'x');
  for (int i = 0; i < 400; ++i) line += "\"f" + std::to_string(i) + filler + "\";";
  line += "end\n";
  auto& g = MakeGrid<TExtStringGrid>(1, 1);
  g.LoadFromCSVFile(FileWith("long.csv", line));
  EXPECT_EQ(g.ColCount(), 401);
  EXPECT_EQ(g.Cells(399, 0), "f399" + filler);
  EXPECT_EQ(g.Cells(400, 0), "end");
}

}  // namespace
