#pragma once
// The interface every export filter offers a report run, and the library of
// filter classes the preview's save dialog lists.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/gfx/Graphics.h"
#include "platform/ui/Component.h"
#include "platform/ui/Controls.h"

class TRpPrintable;
class TRpCustomBand;
class TCustomBandRep;

class TRpExportFilter {
 public:
  explicit TRpExportFilter(const AnsiString& fileName) : FileName(fileName) {}
  virtual ~TRpExportFilter() = default;
  TRpExportFilter(const TRpExportFilter&) = delete;
  TRpExportFilter& operator=(const TRpExportFilter&) = delete;

  virtual AnsiString Description() { return "Abstract non-working export filter"; }
  virtual AnsiString Extension() { return {}; }
  virtual AnsiString FilterName() { return "Abstract filter"; }
  virtual AnsiString VendorName();
  // True when the output has no page length: the run never breaks pages.
  virtual bool IsContinuous() { return false; }
  // Paper in 0.1 mm and the report's font.
  virtual void Start(int paperWidth, int paperHeight, TFont* font);
  virtual void EndPage() {}
  virtual void Finish() { Active = false; }
  virtual void NewPage() {}
  // Positions are device pixels of the run.
  virtual void ControlOut(TRpPrintable* /*control*/, Extended /*x*/, Extended /*y*/) {}
  virtual void ExtraControlOut(TRpPrintable* /*control*/, Extended /*x*/, Extended /*y*/) {}
  virtual void BandOut(TRpCustomBand* /*band*/, Extended /*expanded*/, Extended /*x*/, Extended /*y*/) {}
  virtual void TextOut(Extended /*x*/, Extended /*y*/, TFont* /*font*/, TColor /*backgroundColor*/,
                       TAlignment /*alignment*/, const AnsiString& /*text*/) {}

  bool Active = false;
  AnsiString FileName;
  TCustomBandRep* Report = nullptr;
};

// A filter class: its name and its constructor taking the file name.
struct TRpExportFilterClass {
  AnsiString ClassName;
  std::function<std::unique_ptr<TRpExportFilter>(const AnsiString&)> Create;
};

template <class Filter>
TRpExportFilterClass RpFilterClass(const AnsiString& className) {
  return {className, [](const AnsiString& fileName) { return std::make_unique<Filter>(fileName); }};
}

struct TRpExportFilterLibraryEntry {
  TRpExportFilterClass FilterClass;
  AnsiString FilterName;
  AnsiString Extension;
};

class TRpExportFilterLibrary {
 public:
  // A class whose name is registered already is not added twice.
  void AddFilter(const TRpExportFilterClass& filterClass);
  // Removes the first entry of the same filter name.
  void RemoveFilter(const TRpExportFilterClass& filterClass);
  // Ignoring case; nil when none.
  TRpExportFilterLibraryEntry* FindByExtension(const AnsiString& ext);
  // The page file first, then each filter: "name (*.ext)|*.ext" pairs.
  AnsiString SaveDialogFilterString() const;
  const std::vector<std::unique_ptr<TRpExportFilterLibraryEntry>>& Filters() const { return filters_; }

 private:
  std::vector<std::unique_ptr<TRpExportFilterLibraryEntry>> filters_;
};

// The program's one library.
TRpExportFilterLibrary& RpExportFilterLibrary();

// A component on a form that offers its filter class in the save dialog
// while it exists; the spreadsheet and RTF filter components are these.
class TRpFilterComponent : public TComponent {
 public:
  TRpFilterComponent(TComponent* owner, TRpExportFilterClass filterClass);
  ~TRpFilterComponent() override;

 private:
  TRpExportFilterClass filterClass_;
};

enum TPrevSaveType { stRPP, stPDF, stXL, stHTML, stRTF, stCSV, stASCII, stXML };
AnsiString SaveTypeExtension(TPrevSaveType type);

// The page file's description in the save dialog and the filters' maker.
AnsiString RpPageFileDescription();
AnsiString RpVendorName();
// What the user is told once an export has written its file.
AnsiString ExportedFileMessage(const AnsiString& fileName);

// ---- the file an export writes ------------------------------------------------

// An export's output: written into a temporary file beside the target and
// put in its place only by Commit, so a failed or stopped export never
// leaves half a file where a good one was. Destroyed uncommitted, the
// temporary file goes and the target stays as it was. Raises
// EFCreateError "Cannot create file %s" when the file cannot be made and
// EWriteError "Stream write error" when writing fails.
class TRpExportFile {
 public:
  explicit TRpExportFile(const AnsiString& fileName);
  ~TRpExportFile();
  TRpExportFile(const TRpExportFile&) = delete;
  TRpExportFile& operator=(const TRpExportFile&) = delete;

  void Write(std::string_view bytes);
  // A line of text ending in carriage return and line feed.
  void WriteLine(std::string_view line);
  void Commit();
  const AnsiString& FileName() const { return fileName_; }

 private:
  void Flush();
  AnsiString fileName_;
  std::string target_, temp_;
  std::string buffer_;
  int fd_ = -1;
};

// ---- the text grid ------------------------------------------------------------

// One text of a page; X and Y are positions in 0.1 mm when collected, the
// column and row number after the page is laid on its grid.
struct TTextEntry {
  AnsiString Text;
  Extended X = 0, Y = 0;
  TAlignment Alignment = taLeftJustify;
  TFont Font;
};

struct TRpPositionEntry {
  Extended Position = 0;
  int Index = 0;  // the order number, 0 until numbered
  int Count = 1;
  bool Handled = false;
};

// The distinct positions of a page along one axis, numbered in ascending
// order. Positions that round to the same whole value are one entry (the
// first one seen); a position belongs to the first entry, in the order the
// entries were added, that lies within Tolerance of it. Entries are kept
// sorted and hashed beside their order, so a page of any length is laid
// out in n log n.
class TRpPositions {
 public:
  Extended Tolerance = 4.0;
  bool Accepting() const { return accepting_; }
  void StartAdd() { accepting_ = true; }
  void AddPosition(Extended position);
  void EndAdd();
  // The order number of the first entry within Tolerance; 0 when none.
  int Find(Extended position) const;
  const std::vector<TRpPositionEntry>& Entries() const { return entries_; }

 private:
  bool accepting_ = false;
  std::vector<TRpPositionEntry> entries_;
  std::unordered_map<Int64, std::size_t> byRounded_;
  // Entry numbers by ascending position.
  std::vector<std::size_t> sorted_;
};

// A filter that collects the texts of each page and lays them on a grid of
// rows and columns for a descendant to write.
class TRpAbstractExportFilter : public TRpExportFilter {
 public:
  using TRpExportFilter::TRpExportFilter;
  AnsiString Description() override { return {}; }
  AnsiString Extension() override { return {}; }
  AnsiString FilterName() override { return "RpAbstract"; }
  void Start(int paperWidth, int paperHeight, TFont* font) override;
  void EndPage() override;
  void Finish() override;
  void NewPage() override;
  void TextOut(Extended x, Extended y, TFont* font, TColor backgroundColor, TAlignment alignment,
               const AnsiString& text) override;

  // The first entry at the row and column (1-based); nil when none.
  const TTextEntry* FindEntryAt(int row, int column) const;

  std::vector<TTextEntry> Entries;
  std::unique_ptr<TRpExportFile> Stream;
  Extended LineHeight = 0, CharWidth = 0;
  Extended PaperWidth = 0, PaperHeight = 0;
  int LineCount = 0, ColumnCount = 0;
  bool PageProcessed = false;
  TFont Font, CurrentFont;
  Extended XTolerance = 4.0;

 protected:
  virtual void CreateStream(const AnsiString& fileName);
  virtual void CloseStream();
  virtual void ProcessPage();
  virtual void WritePage() {}
  void ProcessColumns();
  void ProcessRows();
  // Each laid-out entry by row, then column, then its place in the page.
  struct TCell {
    int Row, Column;
    std::size_t Entry;
  };
  // The first entry of every occupied cell of the page, row by row.
  const std::vector<TCell>& Cells() const { return cells_; }

 private:
  void ClearPage();
  std::vector<TCell> cells_;
};

// The old record-based spreadsheet format: one cell per text, numbers as
// numbers; the pages of a report follow one another on one sheet.
class TRpXLSFilter : public TRpAbstractExportFilter {
 public:
  explicit TRpXLSFilter(const AnsiString& fileName);
  AnsiString Description() override { return "Excel file format"; }
  AnsiString Extension() override { return "XLS"; }
  AnsiString FilterName() override { return "Excel spreadsheet"; }
  bool IsContinuous() override { return true; }
  void Start(int paperWidth, int paperHeight, TFont* font) override;
  void Finish() override;
  // Kind 1 an integer, 2 a number, 3 a label; the text is cut to 255
  // characters. Rows past the sheet's last raise ERpError.
  void WriteCell(int kind, int row, const AnsiString& text, int column);

  int PagesFinished = 0;
  // Further reports go into the same sheet; the last Finish with it off
  // completes the file.
  bool KeepOpen = false;
  int CurrentRow = -1;

 protected:
  void CreateStream(const AnsiString& fileName) override;
  void CloseStream() override;
  void WritePage() override;

 private:
  void WriteRecord(Word type, std::string_view data);
};

// The spreadsheet's last row is 65535.
constexpr int kXlsMaxRow = 65535;
// The message of an export that does not fit the sheet.
AnsiString RpXlsTooManyRowsMessage();

// ---- the RTF export -----------------------------------------------------------

struct TRpRTFItem {
  TColor Color = clBlack;
  unsigned Style = 0;
  int Size = 0;  // half-points
  int FontIndex = -1;
  Extended X = 0, Y = 0;
  int Alignment = 0;  // 0 left, 1 right, 2 centre
  AnsiString Text;    // escaped
};

// An installed face and its family number (0 any, 1 roman, 2 swiss,
// 3 modern, 4 script, 5 decorative, 6 technical, 7 bidirectional).
struct TRpFontFace {
  AnsiString Name;
  int Family = 0;
};
// Where the RTF font table comes from; the program's faces by default, a
// fixed list in tests.
extern std::function<std::vector<TRpFontFace>()> RpInstalledFonts;
// Twips taken from every paragraph's space before.
extern int RpRTFSpacingCorrection;

// A document that keeps the page's layout: the texts of one grid line of a
// point are one paragraph, tab stops at their places, spacing before each
// paragraph for the gap above it.
class TRpRTFExportFilter : public TRpExportFilter {
 public:
  using TRpExportFilter::TRpExportFilter;
  AnsiString Description() override { return "RTF Export filter"; }
  AnsiString Extension() override { return "RTF"; }
  AnsiString FilterName() override { return "RTF File"; }
  void Start(int paperWidth, int paperHeight, TFont* font) override;
  void NewPage() override;
  void EndPage() override;
  void Finish() override;
  void TextOut(Extended x, Extended y, TFont* font, TColor backgroundColor, TAlignment alignment,
               const AnsiString& text) override;

  // The installed faces, sorted ignoring case, as the last start found them.
  static const std::vector<TRpFontFace>& FontList();
  // The index of the face in the font list, -1 when not installed.
  static int FontIndexOf(const AnsiString& name);
  // Index 1..17 of the colour in the fixed table, 0 for black and others.
  static int ColorIndex(TColor color);
  static AnsiString Escape(const AnsiString& text);

  int LinesPerPage = 0;
  std::vector<std::vector<TRpRTFItem>> Lines;
  Extended PaperLength = 0, PaperWidth = 0;
  Extended TopMargin = 0, BottomMargin = 0, LeftMargin = 0, RightMargin = 0;
  bool Landscape = false;
  const Extended PointSize = 254.0L / 72;
  Extended LineHeight = 0;
  bool PageBreakPending = false;
  bool Started = false;
  bool KeepOpen = false;
  AnsiString Header, FontTable, ColorTable;

 private:
  std::unique_ptr<TRpExportFile> file_;
};

// The components of a form that offer the two formats in the save dialog.
class TRpExcelFilter : public TRpFilterComponent {
 public:
  explicit TRpExcelFilter(TComponent* owner);
};
class TRpRTFFilter : public TRpFilterComponent {
 public:
  explicit TRpRTFFilter(TComponent* owner);
};
