#pragma once
// The band report: the report component with its run, the bands that make
// up its pages, the controllers that drive one level of detail each, and
// the base of every control printed inside a band.

#include <cstdint>
#include <functional>
#include <memory>
#include <typeinfo>
#include <vector>

#include "platform/db/Db.h"
#include "platform/gfx/Bitmap.h"
#include "platform/rtl/ClassesReader.h"
#include "report/RpBasePanel.h"
#include "report/RpExport.h"
#include "report/RpExprLibrary.h"
#include "report/RpPrev.h"
#include "report/RpPrntr.h"

enum TRpBandType : Byte {
  rbTitle,
  rbPageHeader,
  rbDetail,
  rbPageFooter,
  rbSummary,
  rbGroupHeader,
  rbGroupFooter,
  rbSubDetail,
  rbColumnHeader,
  rbOverlay,
  rbWild,
  rbChild
};
constexpr int kRpBandTypeCount = 12;
// The display names and the component-name prefixes, loaded at start-up.
const AnsiString& RpBandTypeName(TRpBandType type);
const AnsiString& RpBandNamePrefix(TRpBandType type);

// Nearest whole tenth of a millimetre, halves to even.
inline int RpNearest(Extended x) { return static_cast<int>(Round(x)); }

class TCustomBandRep;
class TRpCustomBand;
class TRpCustomController;

// ---- printable base ------------------------------------------------------------

class TRpPrintable;

// The base of the design-time editors of printables.
class TRpPrintableEditor : public TObject {
 public:
  explicit TRpPrintableEditor(TRpPrintable* control) : Control(control) {}
  virtual TColor GetColor() { return 0; }
  virtual TFont* GetFont() { return nullptr; }
  // The class of the controls the editor is made for.
  virtual const std::type_info& GetControlClass();
  virtual AnsiString GetText() { return {}; }
  virtual AnsiString GetKindName() { return {}; }
  virtual AnsiString GetDescription() { return {}; }
  virtual TAlignment GetAlignment() { return taLeftJustify; }
  virtual void SetAlignment(TAlignment) {}
  virtual void SetColor(TColor color) = 0;
  virtual void SetFont(const TFont& font) = 0;
  virtual void SetText(const AnsiString& text) = 0;
  virtual bool Edit() = 0;
  TRpPrintable* Control;
};
// Makes the editor of a control.
using TRpPrintableEditorClass = std::function<std::unique_ptr<TRpPrintableEditor>(TRpPrintable*)>;

class TRpExportFilter;
class TRpPrinter;
// A frame handed to an export filter as shapes (0.1 mm): a non-transparent
// background first (Background clNone for none), then one line per drawn
// side, or one rectangle when all four are drawn, and a vertical line per
// frame line (centres as fractions of the width).
void ExportFrame(TRpExportFilter& filter, TRpPrinter& printer, const TRpFrame& frame, Extended Left,
                 Extended Top, Extended Width, Extended Height, TColor Background,
                 const std::vector<Extended>& Framelines = {});

class TRpFrameline;

class TRpPrintable : public TCustomControl {
 public:
  explicit TRpPrintable(TComponent* owner);
  ~TRpPrintable() override;

  TRpFrame* Frame() { return &frame_; }
  // Copies the settings: the control keeps its own frame.
  void SetFrame(const TRpFrame& frame);
  TRpPrintableSize* Size() { return &size_; }
  TAlignment Alignment() const { return alignment_; }
  bool AlignToBand() const { return alignToBand_; }
  void SetAlignToBand(bool value);
  bool Transparent() const { return !ControlStyle.Contains(csOpaque); }
  void SetTransparent(bool value);
  int GetZoom() const { return size_.Zoom; }
  void SetZoom(int zoom);
  // The report the control prints for, and its printer during a run.
  TCustomBandRep* ParentReport = nullptr;
  TRpPrinter* RpPrinter = nullptr;
  // False while a stretching control has lines left for its band's
  // continuation.
  bool PrintFinished = true;

  virtual bool CanPrint();
  // None in the base: the text and expression controls name theirs.
  virtual TRpPrintableEditorClass GetEditorClass() { return nullptr; }
  virtual void AlignInBand();
  virtual void Prepare();
  // Offsets: the band's place on the page in 0.1 mm.
  virtual void Print(int ofsX, int ofsY);
  // Operation 0: a record was passed; 2: the band was resized.
  virtual void BandNotify(TObject* sender, Byte operation);
  virtual void SetAlignment(TAlignment value);
  virtual void Unprepare();
  virtual void GetExpandedHeight(Extended& height);
  virtual void FetchContent(AnsiString& text);
  // The control as a designer's guide line, or nil: a band that prints
  // looks for its guide lines among all its controls.
  virtual TRpFrameline* AsFrameline() { return nullptr; }

  void SetParent(TWinControl* parent) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Loaded() override;
  // The size in 0.1 mm, whatever the units.
  Extended NativeValue(int index) const;
  // A size in screen pixels at full size, whatever the designer's zoom:
  // what a text is laid out against, so that the zoom changes nothing
  // printed. Setting stores only a value that differs.
  int FullSizePixels(int index) const;
  void SetFullSizePixels(int index, int pixels);
  // The control's place on the page in 0.1 mm, for its band's offsets.
  struct TPlace {
    Extended Left, Top, Width, Height;
  };
  TPlace PlaceOnPage(int ofsX, int ofsY) const;
  // A run that exports hands the control at its place to the filter.
  void HandToFilter(const TPlace& at);

 protected:
  void Paint() override;
  void PaintCorners(TCanvas& canvas);
  bool Printing() const { return printing_; }
  // The band the control stands on, if any.
  TRpCustomBand* Band() const;

 private:
  void ApplySize();
  bool aligning_ = false;
  bool printing_ = false;
  bool updating_ = false;
  TAlignment alignment_ = taLeftJustify;
  bool alignToBand_ = false;
  TRpFrame frame_;
  TRpPrintableSize size_;
  int savedTop_ = 0, savedWidth_ = 0, savedHeight_ = 0, savedLeft_ = 0;
};

inline const std::type_info& TRpPrintableEditor::GetControlClass() { return typeid(TRpPrintable); }

// Moves on whenever a report's list of bands or a child band's parent
// changes: a band keeps the child it found until then, as each band that
// prints asks for its child before and after, at every record.
std::uint64_t& RpBandLinks();

// The component as a printable, or nil. Told by its address among the
// printables alive: every run and every band printed goes through all
// their controls, and a type test walked each one's classes.
TRpPrintable* AsPrintable(TComponent* component);

// ---- bands ---------------------------------------------------------------------

enum TCBPrintOrder { cboAfterParent, cboBeforeParent, cboBeforeAndAfter };

class TRpCustomBand : public TRpBasePanel {
 public:
  explicit TRpCustomBand(TComponent* owner);
  ~TRpCustomBand() override;

  virtual TRpBandType BandType() const { return bandType_; }
  virtual void SetBandType(TRpBandType type);
  virtual const AnsiString& BandTypeName() const { return RpBandTypeName(BandType()); }
  virtual const AnsiString& BandNamePrefix() const { return RpBandNamePrefix(BandType()); }
  virtual void SetParentReport(TCustomBandRep* report) { ParentReport = report; }

  TRpBandSize* Size() { return &size_; }
  // The band's height and width in 0.1 mm.
  Extended NativeHeight() const;
  Extended NativeWidth() const;

  std::function<void(TObject* sender, bool printed)> AfterPrint;
  std::function<void(TObject* sender, bool& printBand)> BeforePrint;
  bool AlignToBottom = false;
  bool TransparentBand = false;
  bool ForceNewColumn = false;
  bool ForceNewPage = false;
  bool KeepOnOnePage = false;
  bool PreCaluculateBandHeight = false;
  TRpCustomBand* LinkBand() const { return linkBand_; }
  // A value that would close a loop is refused.
  void SetLinkBand(TRpCustomBand* band);

  bool HasChild() const { return ChildBand() != nullptr; }
  void SetHasChild(bool value);
  // The child band whose ParentBand is this band.
  class TRpChildBand* ChildBand() const;
  // The band as a child band, or nil: each band that prints looks for its
  // child among all the report's bands, before and after it prints.
  virtual TRpChildBand* AsChildBand() { return nullptr; }

  // Prints once at the report's current position (through PrintBand).
  virtual void Print();
  bool FitsOnPage(Extended extra);
  // Whether the band, grown to Expanded and Extra taller, fits in Space
  // (what the report's AvailableSpace gave): a control that grows its band
  // a step at a time asks for the room left on the page once, and may ask
  // about steps it has not taken yet.
  bool FitsIn(int space, Extended expanded, Extended extra) const;
  bool ExpandBy(Extended value, Extended& newExpanded, bool& used);
  // What ExpandBy makes of Expanded, growing it by Value with Used as given.
  static Extended ExpandedBy(Extended expanded, Extended value, bool used);
  // The height the stretching controls need, with the space below them.
  Extended StretchHeight();

  TCustomBandRep* ParentReport = nullptr;
  Extended Expanded = 0;
  TRect PrintRect{};
  TRpCustomController* Controller = nullptr;

  void SetParent(TWinControl* parent) override;
  // Sized by hand in the design view, the band takes the new height as its
  // own; moved or sized, it goes back to its place in the stack.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  // The band's size and every printable on it follow.
  void SetZoom(int zoom) override;
  // A band moved or resized drops the report's first-page picture.
  void BoundsChanged() override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // The design view: outline, frame and the band's kind at its lower left.
  void Paint() override;
  void PrintChild(bool before);
  void NotifyController();
  // The frame with the frame lines standing on the band, and the vertical
  // rules that run over its grown height, at the band's place (0.1 mm).
  void PrintRules(int ox, int oy, Extended width);
  // The frame lines' centres as fractions of the band's width.
  std::vector<Extended> FramelineCentres() const;

 private:
  TRpBandType bandType_ = rbDetail;
  TRpBandSize size_;
  // Set while the size is being applied to the control.
  bool applyingSize_ = false;
  TRpCustomBand* linkBand_ = nullptr;
  // The child band found last, in which report and at which links.
  mutable TRpChildBand* child_ = nullptr;
  mutable const TCustomBandRep* childIn_ = nullptr;
  mutable std::uint64_t childLinks_ = 0;
};

class TRpBand : public TRpCustomBand {
 public:
  explicit TRpBand(TComponent* owner) : TRpCustomBand(owner) {}
};

class TRpChildBand : public TRpCustomBand {
 public:
  explicit TRpChildBand(TComponent* owner);
  TRpBandType BandType() const override { return asFooter_ ? rbPageFooter : rbChild; }
  void SetBandType(TRpBandType) override {}
  TRpCustomBand* ParentBand() const { return parentBand_; }
  void SetParentBand(TRpCustomBand* band);
  TRpChildBand* AsChildBand() override { return this; }
  TCBPrintOrder PrintOrder = cboAfterParent;
  // A child of a page footer prints as part of the footer.
  void SetAsFooter(bool value) { asFooter_ = value; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TRpCustomBand* parentBand_ = nullptr;
  bool asFooter_ = false;
};

// ---- groups and controllers ------------------------------------------------------

class TRpGroup : public TRpCustomBand {
 public:
  explicit TRpGroup(TComponent* owner);
  ~TRpGroup() override;
  TRpBandType BandType() const override { return rbGroupHeader; }
  void SetBandType(TRpBandType) override {}

  AnsiString Expression;
  bool ReprintOnNewPage = false;
  TRpBand* FooterBand() const { return footerBand_; }
  void SetFooterBand(TRpBand* band);
  // The report or a controller band; nil takes the report.
  TComponent* Master() const { return master_; }
  void SetMaster(TComponent* master);

  void PrepareGroup();
  void UnprepareGroup();
  // Evaluates and says whether the value changed.
  void CheckChange();
  // Evaluates and keeps the value without a test.
  void TakeValue();

  TRpEvaluator Evaluator;
  bool Changed = false;
  bool HasValue = false;
  TRpEvResult LastValue;
  bool InGroup = false;
  int HeaderPage = 1;

  void SetParent(TWinControl* parent) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TRpBand* footerBand_ = nullptr;
  TComponent* master_ = nullptr;
};

using TRpOnNeedDataEvent = std::function<void(TObject* sender, bool& moreData)>;

class TRpCustomController : public TComponent {
 public:
  explicit TRpCustomController(TComponent* owner);
  ~TRpCustomController() override;

  TCustomBandRep* ParentReport = nullptr;
  TComponent* Master() const { return master_; }
  void SetMaster(TComponent* master);
  bool PrintIfEmpty = true;
  bool PrintBefore = false;
  std::vector<TRpCustomController*> DetailList, PrintBeforeList;
  std::vector<TRpGroup*> GroupList;
  // Controls told of every printed detail.
  std::vector<TRpPrintable*> NotifyList;
  void AddNotifyClient(TRpPrintable* client);
  void NotifyClients(TObject* sender, Byte operation);

  virtual void BuildLists();
  virtual void Execute() {}
  virtual void Prepare();
  virtual void Unprepare();
  void ExecuteAfter();
  void ExecuteBefore();
  virtual void PrintEmptyController();
  virtual void AddBands(std::vector<TRpCustomBand*>& list) { (void)list; }
  virtual void RegisterDataSet() {}

  bool CheckGroups();
  void PrintGroupHeaders();
  void PrintGroupFooters();
  void ReprintGroupHeaders();

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  TComponent* master_ = nullptr;
};

class TRpController : public TRpCustomController {
 public:
  explicit TRpController(TComponent* owner) : TRpCustomController(owner) {}

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  TRpCustomBand* DetailBand = nullptr;
  TRpCustomBand* HeaderBand = nullptr;
  TRpCustomBand* FooterBand = nullptr;
  TRpOnNeedDataEvent OnNeedData;
  int RecordNumber = 0;
  int RecordCount = 0;

  void Execute() override;
  void Prepare() override;
  void PrintEmptyController() override;
  void AddBands(std::vector<TRpCustomBand*>& list) override;
  void RegisterDataSet() override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // The sender of the need-data event: the report or the sub-detail band.
  TObject* DataSender();
  void NextRecord(bool& moreData);
  TDataSet* dataSet_ = nullptr;
  bool paramsFromFunctions_ = false;
};

// A band that drives a level of detail of its own: it is the detail band of
// the controller it owns.
class TRpControllerBand : public TRpCustomBand {
 public:
  explicit TRpControllerBand(TComponent* owner);
  ~TRpControllerBand() override;
  TRpController* OwnController() const { return controller_; }
  // The report or another controller band; a loop is refused.
  TComponent* Master() const { return master_; }
  virtual void SetMaster(TComponent* master);
  void AddNotifyClient(TRpPrintable* client) { controller_->AddNotifyClient(client); }
  virtual AnsiString VariableValue() { return {}; }
  void SetParent(TWinControl* parent) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  TRpController* controller_;
  TComponent* master_ = nullptr;
};

class TRpSubDetail;

// Whether a sub-detail has its header and footer bands: setting one
// creates the band or frees it.
class TRpSubDetailGroupBands {
 public:
  explicit TRpSubDetailGroupBands(TRpSubDetail* band) : band_(band) {}
  bool HasHeader() const;
  void SetHasHeader(bool value);
  bool HasFooter() const;
  void SetHasFooter(bool value);

 private:
  TRpSubDetail* band_;
};

class TRpSubDetail : public TRpControllerBand {
 public:
  explicit TRpSubDetail(TComponent* owner) : TRpControllerBand(owner) {}
  TRpSubDetailGroupBands* Bands() { return &bands_; }
  TRpBandType BandType() const override { return rbSubDetail; }
  void SetBandType(TRpBandType) override {}
  TDataSet* DataSet() const { return controller_->DataSet(); }
  void SetDataSet(TDataSet* dataSet) { controller_->SetDataSet(dataSet); }
  TRpOnNeedDataEvent& OnNeedData() { return controller_->OnNeedData; }
  TRpCustomBand* HeaderBand() const { return controller_->HeaderBand; }
  TRpCustomBand* FooterBand() const { return controller_->FooterBand; }
  void SetHeaderBand(TRpCustomBand* band);
  void SetFooterBand(TRpCustomBand* band);
  bool PrintBefore() const { return controller_->PrintBefore; }
  void SetPrintBefore(bool value) { controller_->PrintBefore = value; }
  bool PrintIfEmpty() const { return controller_->PrintIfEmpty; }
  void SetPrintIfEmpty(bool value) { controller_->PrintIfEmpty = value; }

 private:
  TRpSubDetailGroupBands bands_{this};
};

// A link that would close a loop is refused; the designer says so.
void RpRefuseCircularLink(const TComponent* component);

// ---- the report ---------------------------------------------------------------

enum TBandRepOption { FirstPageHeader, LastPageFooter, Compression };
using TBandRepOptions = TSet<TBandRepOption>;

// Which bands a report has, by kind: setting one creates or frees it.
class TBandRepBands {
 public:
  explicit TBandRepBands(TCustomBandRep* report) : report_(report) {}
  enum { iTitle = 1, iPageHeader, iColumnHeader, iDetail, iColumnFooter, iPageFooter, iSummary };
  TRpCustomBand* Band(int index) const;
  bool Has(int index) const { return Band(index) != nullptr; }
  void Set(int index, bool value);
  bool HasTitle() const { return Has(iTitle); }
  bool HasPageHeader() const { return Has(iPageHeader); }
  bool HasColumnHeader() const { return Has(iColumnHeader); }
  bool HasDetail() const { return Has(iDetail); }
  bool HasPageFooter() const { return Has(iPageFooter); }
  bool HasSummary() const { return Has(iSummary); }
  void SetHasTitle(bool v) { Set(iTitle, v); }
  void SetHasPageHeader(bool v) { Set(iPageHeader, v); }
  void SetHasColumnHeader(bool v) { Set(iColumnHeader, v); }
  void SetHasDetail(bool v) { Set(iDetail, v); }
  void SetHasPageFooter(bool v) { Set(iPageFooter, v); }
  void SetHasSummary(bool v) { Set(iSummary, v); }

 private:
  TCustomBandRep* report_;
};

class TCustomBandRep : public TRpBasePanel, public TRpPrinterMaster {
 public:
  explicit TCustomBandRep(TComponent* owner);
  ~TCustomBandRep() override;

  // ---- settings
  TBandRepBands* Bands() { return &bands_; }
  TRpPage* Page() { return &page_; }
  TBandRepPrinterSettings PrinterSettings;
  TRpEvEnvironment* Functions() { return &functions_; }
  TBandRepOptions Options{FirstPageHeader, LastPageFooter};
  AnsiString ReportTitle;
  bool ShowProgress_ = false;
  AnsiString BackImageControl;
  // Kept and stored with the report; nothing is placed by it.
  bool SnapToGrid = true;
  TColor BackgroundColor = clWhite;
  int PagesInPreview = 0;
  TStringList Description;
  int Zoom() const { return TRpBasePanel::Zoom(); }
  // 1..300; other values are ignored. Bands, printables and the page
  // follow, and the bands are laid out again.
  void SetZoom(int zoom) override;
  // A custom sheet takes the size the report is given on screen.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRpUnit Units() const { return page_.Units; }
  // Passes the units on to every band and printable.
  void SetUnits(TRpUnit units);
  TDataSet* DataSet() const { return controller_->DataSet(); }
  void SetDataSet(TDataSet* dataSet) { controller_->SetDataSet(dataSet); }
  bool PrintIfEmpty() const { return controller_->PrintIfEmpty; }
  void SetPrintIfEmpty(bool v) { controller_->PrintIfEmpty = v; }
  TRpController* Controller() { return controller_; }

  // ---- the standard preview's settings
  TFormStyle PrevFormStyle = fsNormal;
  TWindowState PreviewInitialState = wsMaximized;
  // Read as 500 while the stored value is 0 or less.
  int PreviewWidth() const { return previewWidth_ > 0 ? previewWidth_ : 500; }
  int PreviewHeight() const { return previewHeight_ > 0 ? previewHeight_ : 500; }
  void SetPreviewWidth(int v) { previewWidth_ = v; }
  void SetPreviewHeight(int v) { previewHeight_ = v; }
  // As set, before the reading rule above.
  int StoredPreviewWidth() const { return previewWidth_; }
  int StoredPreviewHeight() const { return previewHeight_; }
  bool PrevShowThumbs = false;
  bool PrevShowSearch = false;
  TRpZoomState PrevInitialZoom = rpZoomToFit;
  TPrevSaveType PreviewDefaultSaveType = stRPP;
  // The preview's printer set-up, once confirmed, goes on to print.
  bool PrintAfterSetup = false;
  TNotifyEvent OnPrevXEvent;
  TRpStandPrevEvent OnStandPrevEvent;
  std::function<void(TObject* sender)> AfterPreview;
  // Shows a preview of the printer's pages instead of the standard one.
  TNotifyEvent OnPreview;

  std::function<void(TObject* sender, bool& printReport)> BeforePrint;
  std::function<void(TObject* sender)> AfterPrint;
  std::function<void(TObject*sender)> OnStartPage, OnEndPage;
  TRpOnNeedDataEvent& OnNeedData() { return controller_->OnNeedData; }
  TRpPrinterEvent OnGetPrinterSettings, OnApplyPrinterSettings;

  // ---- run state
  bool Available = true;
  bool Cancelled = false;
  int PageNumber = 0;
  int ColumnNumber = 1;
  int CurrentX = 0, CurrentY = -1;
  int ColumnTop = 0;
  // The lowest point any column of the page has reached: a summary spans
  // the page and goes below them all.
  int PageBottom = 0;
  Extended FooterSpace = 0;
  bool FinalPass = false;
  bool HeaderJustPrinted = false;
  bool ColumnBreakPending = false;
  bool StopRequested = false;
  bool Overflow = false;
  bool PrinterOutput = true;
  bool Exporting = false;
  TRpExportFilter* ExportFilter = nullptr;
  bool Composite = false;
  int PrintableBottom = -1;
  TRpPrinter* RpPrinter() const { return printer_; }
  // The composite report hands each of its reports the job's printer.
  void SetRpPrinter(TRpPrinter* printer) { printer_ = printer; }
  TList* DataSetList() { return &dataSets_; }

  // ---- run
  void Print();
  // The entry point for printing in the background: here it prints as
  // Print does, and returns when the job is done.
  void PrintInBackground() { Print(); }
  // Runs the report into the standard preview (or OnPreview's) and returns
  // once the preview has closed.
  void Preview();
  // The printer of the preview showing now, nil when none.
  TRpPrinter* PreviewPrinter() const { return previewPrinter_.get(); }
  // The print dialog; Tag says 0 confirmed, 1 cancelled. What it chose
  // is kept in DialogSettings and given to the running printer.
  void PrinterSetupDialog();
  // The print dialog's last choices.
  TBandRepPrinterSettings DialogSettings;
  // Gives Printer the dialog's choices, the printer first.
  void ApplyDialogSettings(TRpPrinter& printer) const;
  // The report's own settings take the dialog's choices, so that running
  // it again prints with them.
  void TakeDialogSettings();
  void ExportToFilter(TRpExportFilter* filter);
  void ExportToFilterWithProgress(TRpExportFilter* filter, TRpPrinter* printer);
  // One run into Printer (the page list or the device it is set to).
  void RunInto(TRpPrinter* printer);
  void Cancel();
  void CreateReport(bool composite);
  void PrintBand(TRpCustomBand* band);
  // A band aligned to the bottom goes just above the footer space, when it
  // fits there.
  void PlaceAtBottom(TRpCustomBand* band);
  int AvailableSpace();
  void NewColumn();
  void NewPage();
  void EndPage();
  int TextWidth(const TFont& font, const AnsiString& text);
  // Pieces of Text measured as TextWidth measures them alone (less the
  // spare pixel), for as long as nothing else is measured here.
  TTextRuler TextRuler(const TFont& font, const AnsiString& text);
  int TextHeight(const TFont& font, const AnsiString& text);
  int GetRecordNumber() const { return controller_->RecordNumber; }
  int GetRecordCount() const;
  void AddNotifyClient(TRpPrintable* client) { controller_->AddNotifyClient(client); }

  // ---- bands
  void AddBand(TRpCustomBand* band);
  void RemoveBand(TRpCustomBand* band);
  void RebuildBandList();
  const std::vector<TRpCustomBand*>& BandList() const { return bandList_; }
  TRpCustomBand* CreateBand(TRpBandType type);
  // The first band of the type in the band list.
  TRpCustomBand* FirstBand(TRpBandType type) const;
  // The column width in 0.1 mm.
  int ColumnWidth();
  // Puts the bands back in their stack after one was moved or sized.
  void RestackBands();

  // ---- the design view's first-page picture
  // Runs the report into a printer of its own that tells the report of its
  // pages; once page 1 is there the design view shows it behind the bands.
  void DesignRun();
  // Page 1 of the last design run, nil when none or after a change.
  TMetafile* FirstPagePicture() const { return firstPage_.get(); }
  // A band or printable moved or resized: the picture no longer shows the
  // report and goes. A run's own changes keep it.
  void ControlBoundsChanged();

  // ---- stored forms
  // The report with its bands, printables, groups, variables and the data
  // sets it owns as a component image. A component of a kind a form cannot
  // hold raises EWriteError.
  void WriteForm(TStream& stream);
  // A new report read from a stored form, its components owned by Owner (by
  // the report when none; its own data sets by the report). A damaged form
  // raises EReadError, an open data set of its own that no longer opens
  // EDatabaseError; either leaves nothing behind.
  static class TBandRep* ReadForm(TStream& stream, TComponent* owner);
  // The band list is rebuilt and the bands laid out once loaded.
  void Loaded() override;

  // ---- the printer's view
  const TBandRepPrinterSettings& MasterPrinterSettings() const override { return PrinterSettings; }
  bool ShowProgress() const override { return ShowProgress_; }
  TRpPage& MasterPage() override { return page_; }
  void MasterAfterPrint() override {
    if (AfterPrint) AfterPrint(this);
  }
  void RequestStop() override { Cancel(); }

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // The design view: the margins, the report's frame along them and the
  // gaps between columns over the ruler grid, with the first-page picture
  // behind them.
  void Paint() override;
  // The printer's word that page 1 is there brings the first-page picture.
  void Dispatch(TMessage& message) override;

 private:
  // Widths of the bands by their kind, in 0.1 mm, and their places on
  // screen, stacked from the top margin in print order.
  void LayoutBands();
  // The page changed: the report takes its size on screen and lays its
  // bands out again.
  void PageChanged();
  // Tenths of a millimetre in screen pixels at the zoom.
  int ScreenPixels(Extended tenths) const;
  void CopySettingsToPrinter();
  void CollectDataSets(TComponent* owner);
  // The form the report stands on, whose components hold its data sets.
  TComponent* ReportForm() const;
  void PrintOverlay();
  void PrepareRun();
  void UnprepareRun();
  // Every printable on the report itself, not on a band.
  std::vector<TRpPrintable*> OwnPrintables() const;

  void ReadFormProperty(const AnsiString& prop, const TStreamValue& value);
  // The variables of a form being read, set once both lists are there.
  std::vector<AnsiString> storedNames_, storedExpressions_;
  AnsiString storedDataSet_;
  TBandRepBands bands_{this};
  TRpPage page_;
  TRpEvEnvironment functions_;
  TRpController* controller_;
  std::vector<TRpCustomBand*> allBands_, bandList_;
  TRpPrinter* printer_ = nullptr;
  TList dataSets_;
  TRpPrintable* backImage_ = nullptr;
  TRpEvElementConstant *pageNumberEntry_ = nullptr, *columnNumberEntry_ = nullptr;
  std::unique_ptr<TBitmap> reference_;
  std::unique_ptr<TRpPrinter> previewPrinter_;
  std::unique_ptr<TRpPrinter> designPrinter_;
  std::unique_ptr<TMetafile> firstPage_;
  int previewWidth_ = 0, previewHeight_ = 0;
  bool layingOut_ = false;
};

class TRpPrintDialog;
// The choices of a confirmed print dialog as job settings, the printer
// being the one chosen now.
void TakeDialogChoices(const TRpPrintDialog& dialog, TBandRepPrinterSettings& chosen);
// Gives Printer those choices, the printer first.
void ApplyDialogChoices(const TBandRepPrinterSettings& chosen, TRpPrinter& printer);

class TBandRep : public TCustomBandRep {
 public:
  explicit TBandRep(TComponent* owner) : TCustomBandRep(owner) {}
};

// ---- composite report ------------------------------------------------------------

class TRpCompositeReport;

// The composite's window for the messages of the printer and the preview:
// WM_RP_PRINT prints the composite, WM_RP_PREVIEWCLOSED cancels the running
// report or lets go of the job printer.
class TRpCompositeWinControl : public TWinControl {
 public:
  explicit TRpCompositeWinControl(TRpCompositeReport* composite);
  ~TRpCompositeWinControl() override;
  TRpCompositeReport* Composite;

 protected:
  void Dispatch(TMessage& message) override;
};

class TRpCompositePrinterSettings : public TBandRepPrinterSettings {};

using TCompositeEvent = std::function<void(TObject* sender, TObject* report, int reportNumber)>;

// Several reports printed or exported as one job with one page numbering.
class TRpCompositeReport : public TComponent {
 public:
  explicit TRpCompositeReport(TComponent* owner);
  ~TRpCompositeReport() override;

  TNotifyEvent OnAddReports;
  TCompositeEvent OnStartReport;
  TNotifyEvent OnFinished;
  TBandRepOptions Options{FirstPageHeader, LastPageFooter};
  TRpCompositePrinterSettings PrinterSettings;
  AnsiString ReportTitle;
  // Filled by OnAddReports at every run; the reports are not owned.
  std::vector<TCustomBandRep*> Reports;

  void Print();
  void ExportToFilter(TRpExportFilter* filter);

  bool Printing() const { return printing_; }
  TCustomBandRep* RunningReport() const { return running_; }
  TRpPrinter* JobPrinter() const { return jobPrinter_.get(); }
  TRpCompositeWinControl* WinControl() const { return winControl_; }
  void WinControlGone() { winControl_ = nullptr; }
  // The message window's requests.
  void PreviewClosed();

 private:
  void AddReports();
  void ApplySettings(TRpPrinter& printer);
  // Runs Reports into the job printer, into Filter when exporting.
  void RunReports(TRpExportFilter* filter);

  std::unique_ptr<TRpPrinter> jobPrinter_;
  TRpCompositeWinControl* winControl_ = nullptr;
  TCustomBandRep* running_ = nullptr;
  bool printing_ = false;
};
