// Rich-text cells: a cell whose text is RTF goes through the grid's own
// hidden rich edit to give its plain text (copy, selection text), to be
// drawn and measured as formatted text, and comes back from any rich edit
// as RTF.

#include <algorithm>
#include <cmath>
#include <optional>

#include "grid/ExtGrid.h"
#include "grid/ExtGridFooter.h"
#include "platform/ui/ComCtrls.h"

namespace {
bool HoldsRichText(const AnsiString& S) { return S.find("{\\") != AnsiString::npos; }

int ToTwips(int pixels, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(pixels) * 1440 / std::max(1, dpi)));
}
}  // namespace

TExtRichEdit& TExtStringGrid::GridRichEdit() {
  if (!richEdit_) {
    richEdit_ = new TExtRichEdit(this);
    richEdit_->SetVisible(false);
    richEdit_->SetParent(this);
  }
  return *richEdit_;
}

void TExtStringGrid::CellToRichEdit(int ACol, int ARow, TCustomRichEdit& RichEdit) {
  const AnsiString text = GetCellText(ACol, ARow);
  if (text.empty()) {
    RichEdit.Clear();
    return;
  }
  try {
    RichEdit.SetRichText(text);
  } catch (const Exception&) {
    // Damaged RTF shows as the text it is rather than losing the cell.
    RichEdit.SetText(text);
  }
}

void TExtStringGrid::RichEditToRTF(const TCustomRichEdit& RichEdit, AnsiString& S) {
  S = RichEdit.Text().empty() ? AnsiString() : RichEdit.RichText();
}

AnsiString TExtStringGrid::CellPlainText(int ACol, int ARow, const AnsiString& Text) {
  if (!HoldsRichText(Text)) return Text;
  TRichEdit& edit = GridRichEdit();
  CellToRichEdit(ACol, ARow, edit);
  return edit.Text();
}

struct TExtStringGrid::TRichCellPage {
  AnsiString Source;
  TColor TextColour;  // every run's, clNone for their own
  int Width, Height;  // of the page, in twips
  TRichContent Content;
  std::optional<TRichPage> Page;
};

void TExtStringGrid::DrawRTFCell(int ACol, int ARow, TCanvas& ACanvas, const TRect& ARect, bool Selected) {
  const int lpx = ACanvas.GetDeviceCaps(LOGPIXELSX), lpy = ACanvas.GetDeviceCaps(LOGPIXELSY);
  const int m = XYOffset.X * lpx / 96;
  FORMATRANGE range;
  range.hdc = range.hdcTarget = &ACanvas;
  range.rc = Rect(ToTwips(ARect.Left + m, lpx), ToTwips(ARect.Top + m, lpy), 0, 0);
  range.rc.Right = range.rc.Left + ToTwips(ARect.Width() - 2 * m, lpx);
  range.rc.Bottom = range.rc.Top + ToTwips(ARect.Height() - 2 * m, lpy);
  range.rcPage = range.rc;
  range.chrg = {0, -1};
  if (range.rc.Right <= range.rc.Left || range.rc.Bottom <= range.rc.Top) return;
  const int mode = ACanvas.GetMapMode();
  const TColor colour =
      Selected && !SelectionRTFKeep && mode == MM_TEXT && selectionTextColor_ != clNotSet ? selectionTextColor_
                                                                                           : clNone;
  const int width = range.rc.Width(), height = range.rc.Height();
  // Reading and laying out the text is most of the cost of a rich-text
  // cell: a cell painted again with the same text at the same size keeps
  // its page.
  const AnsiString text = GetCellText(ACol, ARow);
  std::shared_ptr<TRichCellPage> page;
  if (const auto found = richPages_.find({ACol, ARow}); found != richPages_.end()) page = found->second;
  if (!page || page->Source != text || page->TextColour != colour || page->Width != width ||
      page->Height != height) {
    TExtRichEdit& edit = GridRichEdit();
    CellToRichEdit(ACol, ARow, edit);
    if (colour != clNone) {
      edit.SelectAll();
      edit.SelAttributes().SetColor(colour);
    }
    page = std::make_shared<TRichCellPage>(TRichCellPage{text, colour, width, height, edit.Content(), {}});
    page->Page.emplace(page->Content, range);
    // The pages of cells scrolled away go in one sweep now and then.
    constexpr size_t kMaxPages = 4096;
    if (richPages_.size() >= kMaxPages) richPages_.clear();
    richPages_[{ACol, ARow}] = page;
  }
  // The runs set the canvas's font as they go; the cell's steps after the
  // text keep the cell's own.
  const TFont font = *ACanvas.Font;
  const TBrushStyle style = ACanvas.Brush->Style;
  ACanvas.SetMapMode(MM_TEXT);
  page->Page->Draw(range);
  ACanvas.SetMapMode(mode);
  ACanvas.Font->Assign(font);
  ACanvas.Brush->Style = style;
}

TPoint TExtStringGrid::RichCellSize(int ACol, int ARow, int Width) {
  TExtRichEdit& edit = GridRichEdit();
  CellToRichEdit(ACol, ARow, edit);
  const int m = XYOffset.X;
  // Wrapped to the cell's inner width, or each paragraph on one line.
  TRect format = Rect(0, 0, std::max(1, Width - 2 * m), 2);
  edit.Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&format));
  edit.SetWordWrap(Width > 0);
  const TSize size = edit.RequiredSize();
  edit.Perform(EM_SETRECTNP, 0, 0);
  edit.SetWordWrap(false);
  return {Width > 0 ? Width : size.cx + 2 * m, size.cy + 2 * m};
}
