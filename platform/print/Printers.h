#pragma once
// Printers: every CUPS destination when a CUPS server answers, and always
// a PDF printer that writes a file. A document is drawn on a PDF canvas in
// printer dots; a CUPS job is that PDF submitted to the server. Settings
// that a PDF page cannot show (copies, paper bin, duplex, quality,
// collation) go into a job log that tests read.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

DIM_EXCEPTION(EPrinter, Exception)

enum TPrinterOrientation { poPortrait, poLandscape };

// The fields bits of a device mode.
constexpr std::uint32_t DM_ORIENTATION = 0x1, DM_PAPERSIZE = 0x2, DM_PAPERLENGTH = 0x4, DM_PAPERWIDTH = 0x8,
                        DM_SCALE = 0x10, DM_COPIES = 0x100, DM_DEFAULTSOURCE = 0x200, DM_PRINTQUALITY = 0x400,
                        DM_COLOR = 0x800, DM_DUPLEX = 0x1000, DM_YRESOLUTION = 0x2000, DM_COLLATE = 0x8000;
constexpr int DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2;
constexpr int DMPAPER_LETTER = 1, DMPAPER_LEGAL = 5, DMPAPER_A3 = 8, DMPAPER_A4 = 9, DMPAPER_A5 = 11,
              DMPAPER_USER = 256;
// Trays of its own a printer names have codes from here on.
constexpr int DMBIN_USER = 256;
constexpr int DMDUP_SIMPLEX = 1, DMDUP_VERTICAL = 2, DMDUP_HORIZONTAL = 3;
constexpr int DMCOLOR_MONOCHROME = 1, DMCOLOR_COLOR = 2;

// A printer's settings: which fields it honours (Fields) and their values.
// Paper length and width are in 0.1 mm.
struct TDeviceMode {
  std::uint32_t dmFields = 0;
  int dmOrientation = DMORIENT_PORTRAIT;
  int dmPaperSize = DMPAPER_A4;
  int dmPaperLength = 0;
  int dmPaperWidth = 0;
  int dmScale = 100;
  int dmCopies = 1;
  int dmDefaultSource = 7;  // automatic
  int dmPrintQuality = 600;
  int dmColor = DMCOLOR_COLOR;
  int dmDuplex = DMDUP_SIMPLEX;
  int dmYResolution = 600;
  int dmCollate = 0;
  friend bool operator==(const TDeviceMode&, const TDeviceMode&) = default;
};

// The standard paper sizes by their system codes (1 .. 68), in millimetres.
struct TPaperSize {
  int Code;
  double WidthMM, LengthMM;
};
const std::vector<TPaperSize>& StandardPaperSizes();
std::optional<TPaperSize> PaperSizeOf(int code);

struct TPrinterBin {
  TPrinterBin(int code, AnsiString name, std::string option = {}, std::string value = {})
      : Code(code), Name(std::move(name)), Option(std::move(option)), Value(std::move(value)) {}
  int Code;
  AnsiString Name;
  // How a print server is asked for it: the option and its value (the
  // queue's own name for the tray); empty when it has none.
  std::string Option, Value;
};

// How the machine describes one printer.
struct TPrinterProfile {
  enum TKind { pkPdfFile, pkCups };
  AnsiString Name;
  AnsiString Driver;
  AnsiString Port;
  TKind Kind = pkPdfFile;
  int DpiX = 600, DpiY = 600;
  // The unprintable margins of a portrait sheet, in dots: at the left and
  // top, and at the right and bottom where they differ from those.
  int OffsetX = 0, OffsetY = 0;
  std::optional<int> OffsetRight, OffsetBottom;
  std::vector<int> PaperCodes;  // the papers it takes
  // The resolutions (dots per inch across) it offers; empty: the usual
  // steps up to its own.
  std::vector<int> Resolutions;
  std::vector<TPrinterBin> Bins;
  TDeviceMode Defaults;  // its own settings; dmFields says what it supports
  // Where a PDF printer writes when the job names no file.
  AnsiString OutputFolder;
};

// One finished or abandoned job.
struct TPrintJobRecord {
  AnsiString Printer;
  AnsiString Title;
  AnsiString Destination;  // the file written, or the CUPS job
  int Pages = 0;
  TDeviceMode Mode;
  // "Copies=2", "Duplex=3", "Bin=4", "Quality=300", "Collate=1": what was
  // asked and the PDF itself cannot show.
  std::vector<AnsiString> Unshown;
  bool Aborted = false;
};

namespace printers {
// The always-present PDF printer: 600 dots per inch, A4, the standard papers.
TPrinterProfile PdfPrinterProfile();
// The printers the program sees: the PDF printer and the CUPS destinations
// (asked once, then kept), or what a test installed.
const std::vector<TPrinterProfile>& Profiles();
int DefaultIndex();
// Tests install their own machine: other resolutions, offsets and papers,
// or no printer at all. UseSystem goes back to the real one.
void UseProfiles(std::vector<TPrinterProfile> profiles, int defaultIndex = 0);
void UseSystem();
const std::vector<TPrintJobRecord>& JobLog();
void ClearJobLog();
// Told of each job the PDF printer wrote to a file it named itself (the job
// named none), after the file is written: the program says where it went.
extern std::function<void(const TPrintJobRecord&)> OnFileWritten;
// The dots per inch across and down a page is drawn at: a resolution
// chosen in the settings (a quality in dots per inch other than the one
// the printer starts on, asked the same both ways), else the printer's own.
void DrawingResolution(const TDeviceMode& mode, const TPrinterProfile& profile, int& x, int& y);
// What stands for the file name of a queue's driver: the name its PPD
// gives the driver on a PC, else the queue's make and model, else the kind
// of its device (its address's scheme), else "CUPS". Nil for none given.
std::string QueueDriverName(const std::string& pcFileName, const char* makeAndModel, const char* deviceUri);
}  // namespace printers

class TPdfCanvas;
class TRecordingCanvas;

class TPrinter {
 public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // The printers' names; refreshed on request.
  TStrings* Printers();
  void Refresh();
  // -1 when the machine has no printer.
  int PrinterIndex() const { return index_; }
  // Selecting another printer resets the settings to its own; -1 selects
  // the default printer. Raises EPrinter while printing.
  void SetPrinterIndex(int index);

  TPrinterOrientation Orientation() const;
  void SetOrientation(TPrinterOrientation orientation);
  int Copies() const { return mode_.dmCopies; }
  void SetCopies(int copies);
  AnsiString Title;
  // The file a job on the PDF printer writes; empty: a file named after the
  // title in the printer's output folder.
  AnsiString FileName;

  // Drawing: the page's canvas while printing; before, a canvas that
  // measures text as the printer will, so layouts can be computed ahead.
  TCanvas* Canvas();
  void BeginDoc();
  void NewPage();
  void EndDoc();
  void Abort();
  bool Printing() const { return pdf_ != nullptr; }
  bool Aborted() const { return aborted_; }
  int PageNumber() const { return page_; }
  // The printable area in dots.
  int PageWidth() const { return GetDeviceCaps(HORZRES); }
  int PageHeight() const { return GetDeviceCaps(VERTRES); }
  int GetDeviceCaps(int index) const;

  // The selected printer's identity, settings and capabilities.
  AnsiString DeviceName() const;
  AnsiString DriverName() const;
  AnsiString PortName() const;
  TDeviceMode& DeviceMode() { return mode_; }
  void SetDeviceMode(const TDeviceMode& mode);
  void ResetDeviceMode();
  std::vector<int> PaperCodes() const;
  std::vector<TPrinterBin> Bins() const;

 private:
  const TPrinterProfile* Profile() const;
  TDeviceCaps Caps() const;
  void Deliver(const std::string& pdf, TPrintJobRecord& record);
  void Reset();
  void RefreshMeasure();

  std::unique_ptr<TStringList> names_;
  int index_ = -1;
  TDeviceMode mode_;
  std::unique_ptr<TPdfCanvas> pdf_;
  std::unique_ptr<TRecordingCanvas> measure_;
  int page_ = 0;
  bool aborted_ = false;
};

// The program's printer.
TPrinter* Printer();

// The printer as a text file: lines written go down the page in the
// printer canvas's font, a new page when the next line does not fit.
// Errors are EInOutError, as for any text file.
class TPrnFile {
 public:
  explicit TPrnFile(TPrinter* printer = Printer());
  ~TPrnFile();
  // Starts the print job.
  void Rewrite();
  void Write(const AnsiString& text);
  void Writeln(const AnsiString& text = {});
  // Ends the job, which prints it.
  void CloseFile();

 private:
  void PutLine(const AnsiString& line);
  TPrinter* printer_;
  AnsiString pending_;
  int y_ = 0;
  bool open_ = false;
};
