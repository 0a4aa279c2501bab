#pragma once
// The report preview: the control that shows one stored page of a report
// printer at a zoom and follows the pages as a run delivers them, the
// standard preview window around it (thumbnails, text search, printing,
// saving, exporting, loading page files) and the search of a page's text.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Metafile.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Panels.h"
#include "platform/ui/StdCtrls.h"
#include "report/RpPrntr.h"

class TCustomBandRep;

enum TRpZoomState { rpZoomToFit, rpZoomToWidth, rpZoomOther, rpZoom100 };
enum TRpHyperlinkEventType { hlEnter, hlLeave, hlClick };

using TRpPageAvailableEvent = std::function<void(TObject* Sender, int PageNum)>;
using TRpProgressUpdateEvent = std::function<void(TObject* Sender, int Progress)>;
using TRpPreviewHyperlinkEvent =
    std::function<void(TObject* Sender, int EventType, const AnsiString& Link, bool& Handled)>;

// A link area of a page: a rectangle in page pixels at 100 %.
struct TRpHotLink {
  TRect Area;
  AnsiString Link;
};

// The outline shown in a tree view of the class library: its nodes are the
// tree's, its selection changes the tree's OnChange.
class TRpTreeOutline : public TRpOutlineView {
 public:
  explicit TRpTreeOutline(TTreeView* tree);
  ~TRpTreeOutline() override;
  TTreeView* Tree() const { return tree_; }
  // The tree is being freed: it is left alone from now on.
  void Forget() { tree_ = nullptr; }
  void BeginUpdate() override;
  void EndUpdate() override;
  void Clear() override;
  void* AddChild(void* parent, const AnsiString& text) override;

 private:
  TTreeView* tree_;
};

// ---- the control --------------------------------------------------------------

// Paints one page of its printer.
class TRpPreviewImage : public TGraphicControl {
 public:
  explicit TRpPreviewImage(TComponent* owner);
  ~TRpPreviewImage() override;

  TRpPrinter* RpPrinter = nullptr;
  int PageNumber() const { return pageNumber_; }
  // Loads page N from the printer (nothing while it is not available yet)
  // and paints at once.
  void SetPageNumber(int n);
  TMetafile* PageMetafile() const { return page_.get(); }
  int Zoom = 100;
  std::vector<TRpHotLink> HotLinks;
  bool OverLink = false;
  AnsiString CurrentLink;
  TRpPreviewHyperlinkEvent OnHyperlink;

  // The link of the first area holding the point (edges count); remembered
  // as CurrentLink.
  AnsiString LinkAt(int x, int y);
  // The page stretched into Rect with its border and shadow; nothing when
  // there is neither a page nor a frame to draw.
  static void DrawPage(TMetafile* metafile, TCanvas& canvas, const TRect& rect, bool frame);

 protected:
  void Paint() override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  int pageNumber_ = 1;
  std::unique_ptr<TMetafile> page_;
};

// A scroll box holding the page image, with the zoom and the page number.
class TRpPreview : public TScrollBox {
 public:
  explicit TRpPreview(TComponent* owner);
  ~TRpPreview() override;

  TRpPreviewImage* Image() const { return image_; }
  TRpPrinter* RpPrinter() const { return printer_; }
  void SetRpPrinter(TRpPrinter* printer);
  // The printer is going: the preview shows nothing of it from now on.
  void PrinterGone(TRpPrinter* printer);
  int PageNumber() const { return pageNumber_; }
  // Only 1 .. the printer's page count; the view goes back to the top left.
  void SetPageNumber(int n);
  int Zoom() const { return zoom_; }
  // Accepted for 2 .. 2000.
  void SetZoom(int zoom);
  TRpZoomState ZoomState = rpZoomOther;
  void ZoomToFit();
  void ZoomToWidth();
  void UpdateZoom();
  void ZoomAgain();
  void RefreshPage();
  TRpOutlineView* Outline() const { return outline_; }
  // The outline's selection changes reach OnOutlineChange.
  void SetOutline(TRpOutlineView* view);
  // A tree view of the class library as the outline (nil: none); the
  // preview lets go of it when it is freed.
  void SetOutlineTree(TTreeView* tree);
  TTreeView* OutlineTree() const;
  std::function<void(TObject* sender, void* node)> OnOutlineChange;

  TRpPageAvailableEvent OnPageAvailable;
  TRpProgressUpdateEvent OnProgressUpdate;
  // The printer shown went away (its run was cancelled or its report freed).
  TNotifyEvent OnPrinterGone;
  // A page of the printer was found damaged: the text says so and names
  // the page file the pages came from.
  std::function<void(TObject* sender, const AnsiString& text)> OnDamagedPage;
  TRpPreviewHyperlinkEvent& OnHyperlink() { return image_->OnHyperlink; }

  void Dispatch(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  // The lowest vertical position at which the page's end shows.
  int VerticalEnd();
  // Where the page shows: the box without its border and bars.
  TRect ViewRect() const { return ViewArea(); }

 private:
  TRpPreviewImage* image_;
  TRpPrinter* printer_ = nullptr;
  int pageNumber_ = 1;
  int zoom_ = 100;
  TRpOutlineView* outline_ = nullptr;
  std::unique_ptr<TRpTreeOutline> treeOutline_;
};

// ---- how the printer opens its window -------------------------------------------

class TRpPreviewInterface : public TComponent {
 public:
  explicit TRpPreviewInterface(TComponent* owner) : TComponent(owner) {}
  virtual TCustomForm* Show(TRpPrinter*) { return nullptr; }
  virtual TCustomForm* ShowModal(TRpPrinter*) { return nullptr; }
};

class TRpStandardPreviewInterface : public TRpPreviewInterface {
 public:
  using TRpPreviewInterface::TRpPreviewInterface;
  TCustomForm* Show(TRpPrinter* printer) override;
  TCustomForm* ShowModal(TRpPrinter* printer) override;
};

// The interface class the printer's preview uses; the standard one unless
// replaced.
using TRpPreviewInterfaceClass = std::function<std::unique_ptr<TRpPreviewInterface>(TComponent*)>;
TRpPreviewInterfaceClass& RpPreviewInterfaceClass();
// Opens the preview of the printer through that class: its window's handle.
HWND RpShowPreview(TRpPrinter* printer);

// ---- the search -----------------------------------------------------------------

// True when a text-out record of the page holds Text; the record's text is
// taken in code page 1253 and, without MatchCase, both sides are
// upper-cased the Greek way. A damaged page holds no text.
bool FindTextInPageMetafile(const AnsiString& text, const TMetafile& metafile, bool matchCase);
bool FindTextInPageBytes(const AnsiString& text, std::string_view emf, bool matchCase);

class TSearchDlg : public TForm {
 public:
  explicit TSearchDlg(TComponent* owner);
  TLabel* Label1;
  TEdit* Edit1;
  TCheckBox* CheckBox1;
  TSpeedButton* SpeedButton1;  // "Cancel"
  TSpeedButton* SpeedButton2;  // "Ανεύρεση"
  bool Cancelled = true;
};

// Asks for the text; false when cancelled.
bool ShowSearchDialog(AnsiString& text, bool& matchCase);

// ---- the window -----------------------------------------------------------------

// The report's events of the preview window's commands: 0 created, 2 copy,
// 3 print, 5 load, 6 save, 7 cancel; Handled replaces the command.
using TRpStandPrevEvent =
    std::function<void(TObject* Sender, int EventType, const AnsiString& ContName, bool& Handled)>;

class TRpStandardPreview : public TForm {
 public:
  TRpStandardPreview(TComponent* owner, TRpPrinter* printer);
  ~TRpStandardPreview() override;

  TToolBar* ToolBar1;
  TToolButton *ZoomFit, *ZoomToWidth, *Zoom100, *ZoomIn, *ZoomOut;
  TCheckBox* ThumbChk;
  TToolButton *FirstPage, *PreviousPage, *nextPage, *LastPage;
  TToolButton *GotoPageButton, *FindButton;
  TToolButton *copybutton, *PrintSetup, *Print;
  TCheckBox* chkMetafile;
  TToolButton *LoadReport, *SaveReport, *CancelButton, *ExitButton;
  TRpPreview* RpPreview;
  TPageControl* Tabs;
  TSplitter* Splitter2;
  TTabSheet *TabThumbs, *TabSearchResult;
  TDrawGrid* ThumbGrid;
  TGroupBox* GroupBox1;
  TLabel* SearchTextLabel;
  TListBox* SearchResultBox;
  TStatusBar* StatusBar;
  TProgressBar* ProgressBar;

  TRpPrinter* RpPrinter() const { return printer_; }
  // The report whose pages show; nil for a loaded file without one.
  TCustomBandRep* Report() const { return report_; }
  // The file the pages show: the report's title until a page file is
  // loaded. Each window keeps its own, so that another window's title or
  // file never shows in its status line or as the name it saves under.
  AnsiString FileName;
  bool ShowThumbs = true, ShowSearch = true;
  bool Landscape = false;
  int LastProgress() const { return lastProgress_; }

  // The commands, as the buttons run them.
  void GoToPage(int n);
  void DoZoomFit();
  void DoZoom100();
  void DoZoomToWidth();
  void DoZoomIn();
  void DoZoomOut();
  void DoGotoPage();
  void DoFind();
  void DoCopy();
  void DoPrintSetup();
  void DoPrint();
  // The set-up dialog; true when it was confirmed.
  bool RunPrintSetup();
  // Prints as the window's switch says, without asking first.
  void PrintNow();
  void DoSave();
  void DoLoad();
  void DoCancel();
  void UpdateStatus();
  // The window's keys (the form sees them first).
  void PreviewKeyDown(Word& key, TShiftState shift);
  // The search over every page; the result list holds the pages found.
  void Search(const AnsiString& text, bool matchCase);
  // The outline's selected entry: its page shows, when it names one.
  void OutlineChange(void* node);
  // The thumbnails' geometry from the grid's width and the paper.
  void ThumbGeometry();

  void Dispatch(TMessage& message) override;

 protected:
  void DoClose(TCloseAction& action) override;

 private:
  bool Busy() const;
  void PageAvailable(int pages);
  void ProgressUpdate(int progress);
  void ShowTabs();
  void ThumbDraw(int col, int row, const TRect& rect);
  bool RaiseEvent(int type, const AnsiString& name);
  TToolButton* AddButton(const AnsiString& name, const AnsiString& hint, int glyph);
  void AddSeparator();
  // After loading a file: the paper, zoom and thumbnails of its pages.
  void PagesLoaded(const AnsiString& fileName);
  // The filter the save dialog's choice stands for: its extension.
  AnsiString SaveExtension(int filterIndex, const AnsiString& defaultExt) const;

  TRpPrinter* printer_;
  TCustomBandRep* report_ = nullptr;
  int initialZoom_ = 100;
  TRpZoomState zoomState_ = rpZoomToFit;
  int lastProgress_ = 0;
  int thumbWidth_ = 0, thumbHeight_ = 0, insetX_ = 0, insetY_ = 0, textHeight_ = 0;
  // Thumbnails drawn once from their pages, by row, while the pages and
  // the cells they were drawn for stay: turning a page repaints the
  // visible ones without playing their pages again.
  std::map<int, std::unique_ptr<TBitmap>> thumbs_;
  TRpPrinter* thumbsPrinter_ = nullptr;
  unsigned thumbsGeneration_ = 0;
  TRect thumbsPlace_{};
  bool selecting_ = false;
  // The report's set-up was confirmed in this window: running the report
  // again takes its choices.
  bool setUpConfirmed_ = false;
  bool searching_ = false;
  // A search asked for while one runs: its text and match-case choice.
  std::optional<std::pair<AnsiString, bool>> pendingSearch_;
  // The window was closed while a search ran: it goes once the search ends.
  bool closeAfterSearch_ = false;
  // Set while the window lets go of its printer on the way out.
  bool closing_ = false;
  std::unique_ptr<TImageList> glyphs_;
};

// The toolbar's pictures, 16 x 16 each, left to right in button order.
void RpDrawPreviewGlyphs(TBitmap& strip);
constexpr int kRpPreviewGlyphCount = 18;
