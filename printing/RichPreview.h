#pragma once
// The rich-text printer's page preview keeps each finished page as an
// Enhanced Metafile in a page file, "PreviewMetafile<n>", and with
// compression on as one zlib stream in "PreviewMetafile<n>.CPR"; pages are
// read back whenever they are drawn or printed. Each preview keeps its
// files in a private folder of its own, so two previews, or a file of the
// user's that happens to bear the name, never meet; closing deletes what
// the preview wrote and then the folder.

#include "platform/gfx/Metafile.h"
#include "platform/rtl/Classes.h"

// Copies one stream into another through zlib: compressing at the fastest
// level, or inflating in reads of 4,096 bytes. Damaged compressed data
// raises EReadError; the target then holds what was inflated before.
class TCompress {
 public:
  TCompress(TStream* source, TStream* target) : source_(source), target_(target) {}
  void Compress();
  void Decompress();

 private:
  TStream* source_;
  TStream* target_;
  unsigned char buffer_[4096];
};

class TPreviewPageFiles {
 public:
  explicit TPreviewPageFiles(bool compress);
  ~TPreviewPageFiles();
  TPreviewPageFiles(const TPreviewPageFiles&) = delete;
  TPreviewPageFiles& operator=(const TPreviewPageFiles&) = delete;

  bool Compressed() const { return compress_; }
  const AnsiString& Folder() const { return folder_; }
  // The file of page N (0-based) as it stays between writing and drawing.
  AnsiString PageName(int n) const;
  // False when the page file cannot be made (the caller says so and goes on).
  bool SavePage(int n, const TMetafile& page);
  // False, Page left empty, when the file is missing or does not hold a
  // metafile: such a page draws and prints nothing.
  bool LoadPage(int n, TMetafile& page) const;
  // Deletes every page file written, then the folder.
  void DeleteAll();
  int PagesWritten() const { return written_; }

 private:
  AnsiString PlainName(int n) const;
  bool compress_;
  AnsiString folder_;
  int written_ = 0;  // pages 0 .. written_ - 1 may have files
};

// Which pages the preview shows and where its arrows may go: one page, or
// four to a view, and as many again in the facing window when it is open.
struct TPreviewNavigation {
  int Current = 0;   // the first page shown, 0-based
  int LastPage = 0;  // the last page written
  bool Facing = false;
  bool FourUp = false;

  int PagesPerView() const { return (FourUp ? 4 : 1) * (Facing ? 2 : 1); }
  void Next();
  void Previous();
  void First() { Current = 0; }
  void Last();
  // A page number typed by the user (1-based); out of range or no number
  // changes nothing. With the facing window an even number is shown as
  // the right page of its pair; in four-up views the view that holds it.
  void GoTo(const AnsiString& typed);
  bool CanGoBack() const { return Current > 0; }
  bool CanGoOn() const { return Current + PagesPerView() - 1 < LastPage; }
  // "3", or "1-4" when several pages are shown.
  AnsiString PageLabel() const;
  // Sheets of four pages that a four-up print needs.
  int FourUpSheets() const { return (LastPage + 1 + 3) / 4; }
};

// The preview's zoom: a step added or taken away, never below 1.0.
struct TPreviewZoom {
  long double Zoom = 1.0L;
  long double Step = 0.25L;
  void In() { Zoom += Step; }
  void Out() { Zoom = Zoom - Step < 1.0L ? 1.0L : Zoom - Step; }
  void Reset() { Zoom = 1.0L; }
  bool CanZoomOut() const { return Zoom != 1.0L; }
  // The step as typed; a text that is no number makes it 0.1.
  void SetStepText(const AnsiString& text);
  // With three decimals, as the labels show it.
  static AnsiString Text(long double value);
};

// ---- the preview windows ------------------------------------------------------

#include "platform/ui/Buttons.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Panels.h"
#include "platform/ui/Spin.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"

// The key of the rich-text printer's settings, below the current user.
inline constexpr const char* kRichPrnKey = "RichPrn.Set";

// Set while a page preview exists: the calculation preview then refuses a
// second preview and the page set-up.
extern bool PreviewActive;
// The page's physical height over its width, set by the printer before it
// creates the preview.
extern double PreviewRatio;

enum TPreviewUnit { puMillimeters, puInches };

class TPreview2;

// The page preview: one page, or four at once ("Συμπαγής"), with rulers,
// zoom and navigation; when the screen has room, a second window to its
// right shows the facing page. Pages arrive one by one from the printer.
class TRichPreviewForm : public TForm {
 public:
  explicit TRichPreviewForm(TComponent* AOwner);
  ~TRichPreviewForm() override;

  // Set by the printer before the window shows: the physical page in
  // device pixels and in the measure unit.
  int PageWidth = 0, PageHeight = 0;
  double PhysWidth = 210, PhysHeight = 297;
  TPreviewUnit MeasureUnit = puMillimeters;

  // A finished page: written to its page file (a message when it cannot
  // be), then shown when it is among those in view.
  void SavePreviewPage(const TMetafile& page);
  // The printer wrote the last page: the first activation takes place now
  // (at once when the window is active), with every page known.
  void PagesDone();

  TPanel* Panel1;
  TSpeedButton* SpeedButton1;  // print
  TSpeedButton* SpeedButton2;  // zoom in
  TSpeedButton* SpeedButton3;  // zoom out
  TMaskEdit* MaskEdit1;        // zoom step
  TLabel* Label4;              // "Σελίδα.."
  TLabel* Label5;              // the rulers' unit
  TLabel* Label6;
  TLabel* Label7;  // zoom value
  TLabel* Label8;
  TLabel* Label10;  // total pages
  TEdit* Edit1;     // page number shown / typed
  TSpinEdit* SpinEdit1;
  TSpeedButton* ArrowButton1n;  // first page
  TSpeedButton* ArrowButton2n;  // last page
  TSpeedButton* ArrowButton1;   // previous
  TSpeedButton* ArrowButton2;   // next
  TBitBtn* BitBtn1;             // close
  TCheckBox* CheckBox1;         // "Συμπαγής"
  TScrollBox* ScrollBox1;
  TImage* Image1;
  TPrintDialog* PrintDialog1;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormPaint(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void FormKeyPress(TObject* Sender, char& Key);
  void BitBtn1Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);
  void SpeedButton3Click(TObject* Sender);
  void MaskEdit1Change(TObject* Sender);
  void Label7DblClick(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void ArrowButton1Click(TObject* Sender);
  void ArrowButton2Click(TObject* Sender);
  void ArrowButton1nClick(TObject* Sender);
  void ArrowButton2nClick(TObject* Sender);
  void Edit1KeyUp(TObject* Sender, Word& Key, TShiftState Shift);
  void SpinEdit1Change(TObject* Sender);
  void Image1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

  // The arrows scroll the page while it has the focus (they would walk
  // the controls otherwise).
  void Dispatch(TMessage& Message) override;

  const TPreviewNavigation& Navigation() const { return nav_; }
  const TPreviewZoom& Zoom() const { return zoom_; }
  const TPreviewPageFiles& Pages() const { return *pages_; }
  TPreview2* FacingWindow() const { return facing_; }
  int PageCount() const { return pagesWritten_; }
  // Draws the pages in view (and the facing ones) again.
  void ShowPages();
  // The rulers' ticks on Canvas beside a scroll box at Box.
  void DrawRulers(TCanvas& canvas, const TRect& box) const;

 private:
  // Places the panel's visible controls on its two rows.
  void ArrangePanel();
  void Navigated();
  void ZoomChanged();
  // Page N drawn stretched into R of the canvas; nothing when missing.
  void DrawPage(TCanvas& canvas, int n, const TRect& r) const;
  void DrawView(TImage& image, int first) const;
  void PrintPages();
  std::unique_ptr<TPreviewPageFiles> pages_;
  TPreviewNavigation nav_;
  TPreviewZoom zoom_;
  TPreview2* facing_ = nullptr;
  bool shownOnce_ = false;
  bool rendering_ = true;
  int pagesWritten_ = 0;
};

// The facing-page window: built as the preview, it stands to its right
// and shows the page after the one in the preview.
class TPreview2 : public TForm {
 public:
  TPreview2(TComponent* AOwner, TRichPreviewForm& main);
  TScrollBox* ScrollBox1;
  TImage* Image1;
  TPanel* Panel1;
  TLabel* Label1;
  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void FormPaint(TObject* Sender);

 private:
  TRichPreviewForm& main_;
};
