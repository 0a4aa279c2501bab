#pragma once
// The report printer: the page sink of every report run and the program's
// view of the printer. Pages go into metafiles kept in the page list (for
// the preview, saving, export and later printing) or straight to the
// printer. It also prints stored pages, loads and saves page files and
// tells a window of its progress by posted messages.

#include <functional>
#include <memory>
#include <vector>

#include "platform/print/Printers.h"
#include "platform/ui/Component.h"
#include "platform/ui/Windows.h"
#include "report/RpPrntrPages.h"
#include "report/RpPrntrSettings.h"

class TRpPrinter;

// What the printer needs of the report that owns it.
class TRpPrinterMaster {
 public:
  virtual ~TRpPrinterMaster() = default;
  virtual const TBandRepPrinterSettings& MasterPrinterSettings() const = 0;
  virtual bool ShowProgress() const = 0;
  // The page setup, read in tenths of a millimetre.
  virtual TRpPage& MasterPage() = 0;
  virtual void MasterAfterPrint() = 0;
  // The run is asked to stop (the progress window's cancel).
  virtual void RequestStop() = 0;
};

enum : int { rpdMetafile = 0, rpdPrinter = 1 };
enum : int { rpsReady = 0, rpsBusy = 1, rpsFinished = 2 };

// Messages to the windows that follow a run.
constexpr UINT WM_RP_PROGRESS = WM_USER + 0, WM_RP_PAGES = WM_USER + 1, WM_RP_PRINT = WM_USER + 2,
               WM_RP_PREVIEWCLOSED = WM_USER + 4;
// A page was found damaged (posted to the client once, as OnDamagedPage is
// called); the printer's DamagedPageText says what and where.
constexpr UINT WM_RP_DAMAGEDPAGE = WM_USER + 5;

// An object of its own: the preview's link events name it as their Sender.
class TRpPrinter : public TObject {
 public:
  explicit TRpPrinter(TRpPrinterMaster* master = nullptr);
  // A printer a composite of reports owns: no report of its own, but the
  // composite's choice of the program's printer and its memory limit.
  explicit TRpPrinter(const TBandRepPrinterSettings& ownerSettings);
  ~TRpPrinter() override;

  TRpPrinterMaster* Master() const { return master_; }
  TPrinter* Printer() const { return printer_; }
  TPrinterSettings* Settings() { return &settings_; }
  TRpPageList* PageList() { return pageList_.get(); }
  TRpStream* Stream() const { return pageList_->Stream(); }
  // The canvas of the page being drawn.
  TCanvas* Canvas() const { return canvas_; }
  // Objects that must live until the page closes.
  std::vector<std::shared_ptr<void>> PendingObjects;

  int Destination = rpdMetafile;
  int Status() const { return status_; }
  int PageCount() const { return pageCount_; }
  // Changes whenever the pages held may change other than by new pages at
  // the end (a new run, pages freed or loaded), for what is kept of them.
  unsigned PagesGeneration() const { return pagesGeneration_; }
  int PageNumber() const { return pageNumber_; }
  int AvailablePages() const { return availablePages_; }
  int Progress() const { return progress_; }
  bool Cancelled = false;
  // The run keeps no partial page when it is cancelled.
  bool DiscardPartialPage = false;
  int FirstPage = 0, LastPage = 0;
  Extended XFactor() const { return xFactor_; }
  Extended YFactor() const { return yFactor_; }
  int TopOffset() const { return topOffset_; }
  int LeftOffset() const { return leftOffset_; }
  bool PrinterOK() const { return printerOK_; }
  AnsiString Title;
  HWND Client = nullptr;
  // The window that runs the print and close requests: a composite
  // report's message window, or none.
  HWND PreviewWindow = nullptr;
  bool ShowingPreview() const { return showingPreview_; }
  bool LoadedFromFile() const { return loadedFromFile_; }

  std::function<void(TRpPrinter*)> AfterPrint;
  std::function<void(TRpPrinter*)> AfterPreview;
  std::function<void(TRpPrinter*)> OnPreview;
  // The run's printer set-up and export entries for the preview.
  std::function<void()> PreviewSetup;
  std::function<void(class TRpExportFilter*)> PreviewExport;

  void BeginDoc();
  void NewPage();
  void EndDoc();
  void Cancel();
  void FreePages();
  // A new metafile of page N while busy or finished, else nil. A damaged
  // stored page is a blank page of the paper's size, reported once.
  std::unique_ptr<TMetafile> GetPage(int n);
  void Print();
  void Preview();
  void Load(const AnsiString& fileName);
  void Save(const AnsiString& fileName);

  int DeviceX(Extended v) const { return static_cast<int>(Round((v - leftOffset_) * xFactor_)); }
  int DeviceY(Extended v) const { return static_cast<int>(Round((v - topOffset_) * yFactor_)); }
  int DeviceWidth(Extended v) const { return static_cast<int>(Round(v * xFactor_)); }
  int DeviceHeight(Extended v) const { return static_cast<int>(Round(v * yFactor_)); }
  // The sheet in 0.1 mm as the orientation turns it.
  int PaperWidth() const;
  int PaperLength() const;

  void SetProgress(int percent);
  void SetAvailablePages(int pages);
  void SetShowingPreview(bool value);
  void ClosePreview();
  void SetPrinterIndex(int index);
  // The settings, each validated by the device as the settings do.
  void SetCopies(int v) { settings_.SetCopies(v); }
  void SetDuplex(bool v);
  void SetExtendedDuplex(int v) { settings_.ExtendedDuplex = v; }
  void SetOutputBin(TRpBin v) { settings_.SetOutputBin(static_cast<int>(v)); }
  void SetUseCustomBinCode(bool v) { settings_.UseCustomBinCode = v; }
  void SetCustomBinCode(int v) { settings_.CustomBinCode = v; }
  void SetPaperSize(TRpPaperSize v) { settings_.SetPaperSize(v); }
  void SetUseCustomPaperCode(bool v) { settings_.UseCustomPaperCode = v; }
  void SetCustomPaperCode(int v) { settings_.CustomPaperCode = v; }
  void SetOrientation(TPrinterOrientation v) { settings_.SetOrientation(v); }
  void SetPrintQuality(int v) { settings_.PrintQuality = v; }
  void SetCollate(int v) { settings_.Collate = v; }
  void SetColorOption(int v) { settings_.ColorOption = v; }
  // The custom paper, in 0.1 mm.
  void SetPaperWidth(int v) { settings_.SetPaperWidth(v); }
  void SetPaperLength(int v) { settings_.SetPaperLength(v); }
  void SetPrintMetaFile(bool v) { settings_.PrintMetaFile = v; }
  // The choices a report or a composite of reports carries for its job,
  // but the paper and orientation, which each takes from its own page.
  void ApplyJobSettings(const TBandRepPrinterSettings& s);
  void SetUseStandardprinter(bool v) { settings_.UseStandardprinter = v; }
  void SetOnGetPrinterSettings(TRpPrinterEvent e) { settings_.OnGetPrinterSettings = std::move(e); }
  void SetOnApplyPrinterSettings(TRpPrinterEvent e) { settings_.OnApplyPrinterSettings = std::move(e); }
  void SetCompression(bool value) { pageList_->Compression = value; }
  void SetOutline(TRpOutlineView* view) { pageList_->Outline()->SetTreeView(view); }
  TCanvas* GetPrinterHandle() const { return printer_ ? printer_->Canvas() : nullptr; }
  void ProcessHyperlink(const AnsiString& link);
  // The printer's paper as an index of the paper table (0: Default).
  int DefaultPaperIndex() const;
  // The default printer's own paper, whatever the program's printer is set
  // to now (0: Default, also when there is no printer).
  static int DefaultPrinterPaperIndex();
  // The 1-based place of SubStr in S, 0 when it is not there.
  static int StringPos(const AnsiString& subStr, const AnsiString& s);
  // Called once with the text of the first damaged page met.
  std::function<void(const AnsiString&)> OnDamagedPage;
  // That text, which names the page file when the pages came from one.
  const AnsiString& DamagedPageText() const { return damageText_; }

 private:
  TRpPrinter(TRpPrinterMaster* master, const TBandRepPrinterSettings* ownerSettings);
  bool InRange() const;
  // The device's unprintable margins as it stands, in 0.1 mm.
  void DeviceOffsets(int& left, int& top) const;
  void ClosePage(bool keep);
  void OpenMetafilePage();
  void RunMessages();

  TRpPrinterMaster* master_;
  TPrinter* printer_ = nullptr;
  std::unique_ptr<TPrinter> ownPrinter_;
  TPrinterSettings settings_;
  std::unique_ptr<TRpPageList> pageList_;
  TCanvas* canvas_ = nullptr;
  std::unique_ptr<TMetafile> pageMetafile_;
  std::unique_ptr<TMetafileCanvas> metafileCanvas_;
  // The canvas records a page now.
  bool pageOpen_ = false;
  int status_ = rpsReady;
  int pageCount_ = 0, pageNumber_ = 0, availablePages_ = 0, progress_ = 0;
  unsigned pagesGeneration_ = 0;
  Extended xFactor_ = 96.0L / 254, yFactor_ = 96.0L / 254;
  int topOffset_ = 0, leftOffset_ = 0;
  bool printerOK_ = false;
  bool showingPreview_ = false;
  bool loadedFromFile_ = false;
  bool damageReported_ = false;
  AnsiString damageText_;
};

// Hyperlinks the program claims itself: the first handler whose prefix
// starts the link gets the rest of it.
void RegisterRpLinkHandler(const AnsiString& prefix, std::function<void(const AnsiString&)> handler);
void ClearRpLinkHandlers();
// How links leave the program; the shell's "open" by default.
extern std::function<void(const AnsiString&)> RpShellOpen;
// Printing from the preview prints its pages instead of running the report
// again (on at first, and again after loading a page file).
extern bool RpPreviewPrintsPages;
