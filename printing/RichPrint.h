#pragma once
// The rich-text printer: prints a rich edit's text page by page on the
// program's printer, or renders it into the page preview's pages. Around the
// text it draws a header and a footer line with macros, a logo and page
// borders; it keeps margins in millimetres or inches clamped to the
// printer's printable area, offers the page set-up dialog, keeps its
// margins in the settings store ("RichPrn.Set") and shows a progress
// window. Its line printer (column formats, lines, pages) also serves the
// header and the footer.

#include <memory>

#include "platform/gfx/Metafile.h"
#include "platform/gfx/Picture.h"
#include "platform/print/Printers.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "printing/RichPreview.h"

// Every failure of the rich-text printer, with its own text.
DIM_EXCEPTION(ELinePrinter, EPrinter)

enum TMeasureUnit { muMillimeters, muInches };
enum TPageBorderStyle { pbTop, pbBottom, pbLeft, pbRight };
using TPageBorders = TSet<TPageBorderStyle>;
enum TPageSetupFlag { poDisableMargins, poMargins, poDisableOrientation, poDisablePaper, poDisablePrinter };
using TPageSetupFlags = TSet<TPageSetupFlag>;

class TRichPreviewForm;

// The progress window: what is being done, the title and the page.
class TRichPrntProgDlg : public TForm {
 public:
  explicit TRichPrntProgDlg(TComponent* AOwner);
  TLabel* lblStatus;
  TLabel* lblTitle;
  TLabel* Label1;  // "Page Number:"
  TLabel* lblPageNumber;
};

// A column of the line printer: where its text stands and how wide it is.
struct TColumnFormat {
  TAlignment Alignment = taLeftJustify;
  double Width = 0;  // in the printer's measure unit
};

class TRichPrinter : public TComponent {
 public:
  // Raises ELinePrinter when the machine has no printer.
  explicit TRichPrinter(TComponent* AOwner);
  ~TRichPrinter() override;

  // ---- properties ----
  TMeasureUnit MeasureUnit() const { return unit_; }
  // Rescales every length to the new unit and applies the settings again.
  void SetMeasureUnit(TMeasureUnit unit);
  bool CompressPreview = true;
  bool SaveMargins = false;
  TPicture* BitmapLogo() { return &logo_; }
  // Copies the picture.
  void SetBitmapLogo(const TPicture& picture);
  double MarginTop() const { return marginTop_; }
  double MarginBottom() const { return marginBottom_; }
  double MarginLeft() const { return marginLeft_; }
  double MarginRight() const { return marginRight_; }
  // Clamped to the printer's printable area; ELinePrinter while printing.
  void SetMarginTop(double v);
  void SetMarginBottom(double v);
  void SetMarginLeft(double v);
  void SetMarginRight(double v);
  double LogoTop = 0, LogoLeft = 0, LogoWidth = 25, LogoHeight = 20;
  AnsiString Header, Footer, HeaderFormat = ">100", FooterFormat = ">100";
  TPageBorders PageBorders;
  bool ShowProgress = true;
  // Reading gives the drawing surface's font; setting assigns it there (a
  // white font becomes black) and takes the line height again.
  const TFont& Font_HeaderFooter() const;
  void SetFont_HeaderFooter(const TFont& font);
  TPrinterOrientation Orientation() const;
  void SetOrientation(TPrinterOrientation o);
  AnsiString Title() const;
  void SetTitle(const AnsiString& title);
  double BorderOffset = 2;
  double GutterTop() const;
  double GutterBottom() const;
  double GutterLeft() const;
  double GutterRight() const;
  TNotifyEvent OnBeginDoc, OnEndDoc, OnAbortDoc, OnNewPage;
  TPageSetupFlags Options_Dialog{poMargins};
  short PaperLength() const { return 0; }
  short PaperWidth() const { return 0; }

  // ---- printing ----
  // Prints (or, during a preview, renders) the whole text of Edit with
  // page numbers from FirstPage.
  void PrintRichEdit(TCustomRichEdit* Edit, int FirstPage);
  // Prints only pages FromPage..ToPage of the text's pages (numbered from
  // FirstPage), or only the characters [SelStart, SelEnd) when SelEnd >
  // SelStart.
  void PrintRichEditRange(TCustomRichEdit* Edit, int FirstPage, int FromPage, int ToPage, int SelStart = 0,
                          int SelEnd = 0);
  // Opens the page preview and renders Edit into its pages.
  void Preview(TCustomRichEdit* Edit);
  // The page set-up dialog; its margins, printer and orientation are taken
  // (also after Cancel, which gives them back unchanged).
  void PageSetup();

  // ---- the line printer ----
  void BeginDoc();
  void EndDoc();
  void NewPage();
  void NewLine();
  // Texts separated by "|" into the current columns.
  void PrintLine(const AnsiString& text);
  // The columns of the lines printed next ("<30|>20|^10": alignment and
  // width in the measure unit).
  void SetColumnFormats(const AnsiString& formats) { formats_ = formats; }
  double DefaultColumnWidth() const { return defaultWidth_; }
  void SetDefaultColumnWidth(double w) { defaultWidth_ = w; }

  // ---- settings store ----
  void LoadSettings();
  void SaveSettings();

  // ---- state, for the preview window and tests ----
  int PageNumber() const { return page_; }
  int LineNumber() const { return line_; }
  int LineHeight() const { return lineHeight_; }
  bool Previewing() const { return preview_; }
  TCanvas* Surface() const { return surface_; }
  TRichPrntProgDlg* ProgressDialog() const { return progress_; }
  TRichPreviewForm* PreviewForm() const { return previewForm_; }
  // The text area in device pixels: left and top margins from the
  // printable area's corner, width and height.
  TRect TextArea() const;
  int LeftMarginPx() const;
  int TopMarginPx() const;
  int BottomMarginPx() const;
  int RightMarginPx() const;
  // Units to device pixels and back, through the printer's resolution.
  int ToPixelsX(double units) const;
  int ToPixelsY(double units) const;
  double FromPixelsX(int pixels) const;
  double FromPixelsY(int pixels) const;

  // Column formats: "<" left, ">" right, "^" centre (removed), any other
  // first character left and part of the width; empty or a lone
  // alignment takes the default width.
  static TColumnFormat ParseColumnFormat(const AnsiString& format, double defaultWidth);
  // The longest prefix of Text whose width on Canvas is at most Width.
  static AnsiString FitText(TCanvas& canvas, const AnsiString& text, int width);
  // "{$LINE}", "{$PAGE}", "{$DATE}", "{$TIME}", "{$TITLE}" replaced.
  AnsiString ExpandMacros(const AnsiString& text) const;

 private:
  int Caps(int index) const;
  double ClampMargin(double v, double gutter, double physical, double opposite) const;
  void CheckNotPrinting(const char* what) const;
  void Decorate();
  void DrawBorders();
  void DrawLogo();
  void TakeLineHeight();
  void ApplyHeaderFont();
  void Progress(const AnsiString& status);
  // After a failure inside a document: the printer's job is abandoned and
  // the progress dialog closed, so the next document can start.
  void AbandonDoc();
  void ApplyAgain();
  AnsiString RescaleFormat(const AnsiString& format, double factor) const;
  void StartPreviewPage();
  void SavePreviewPage(bool last);
  void RenderPages(TCustomRichEdit* edit, int firstPage, int fromPage, int toPage, int selStart, int selEnd);

  TMeasureUnit unit_ = muMillimeters;
  double marginTop_ = 30, marginBottom_ = 25, marginLeft_ = 25, marginRight_ = 15;
  double defaultWidth_ = 0;
  TPicture logo_;
  TFont headerFont_;
  AnsiString formats_;
  TCanvas* surface_ = nullptr;
  TCustomRichEdit* edit_ = nullptr;
  int firstPage_ = 1;
  int page_ = 0;
  int line_ = 0;
  int x_ = 0, y_ = 0;
  int lineHeight_ = 0, ascent_ = 0;
  bool preview_ = false;
  bool inDoc_ = false;
  bool loading_ = true;
  TRichPrntProgDlg* progress_ = nullptr;
  TRichPreviewForm* previewForm_ = nullptr;
  std::unique_ptr<TMetafile> pageMetafile_;
  std::unique_ptr<TMetafileCanvas> pageCanvas_;
};
