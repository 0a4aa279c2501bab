// The footer strip, the grid's rich-text cell editor, and the glue of the
// grid's embedded controls and custom editor links.

#include "grid/ExtGridFooter.h"

#include <algorithm>
#include <utility>

#include "grid/EsgHTMLE.h"
#include "grid/ExtGridEditors.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/Messages.h"

namespace {

constexpr TColor kEdgeGray = 0x808080;

// Frees a control once the messages in hand are through: an edit ends in
// its control's own exit handler, and the focus change that called it
// still walks up from the control after the handler returns. A control its
// owner frees first is forgotten.
class TFreeAfterMessages : public TComponent, public TWindowTarget {
 public:
  explicit TFreeAfterMessages(TControl* control)
      : TComponent(nullptr), control_(control), handle_(ui::RegisterWindow(this)) {
    FreeNotification(control);
    PostMessage(handle_, CM_RELEASE, 0, 0);
  }
  ~TFreeAfterMessages() override { ui::UnregisterWindow(handle_); }
  LRESULT WindowMessage(UINT msg, WPARAM, LPARAM) override {
    if (msg == CM_RELEASE) {
      TControl* control = std::exchange(control_, nullptr);
      delete this;
      delete control;
    }
    return 0;
  }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == control_) control_ = nullptr;
  }

 private:
  TControl* control_;
  HWND handle_;
};

void Line(TCanvas& C, int X1, int Y1, int X2, int Y2) {
  C.MoveTo(X1, Y1);
  C.LineTo(X2, Y2);
}

}  // namespace

// ---- the footer strip ------------------------------------------------------------------

TFooterPanel::TFooterPanel(TComponent* AOwner)
    : TCustomPanel(AOwner), grid_(dynamic_cast<TExtStringGrid*>(AOwner)) {
  if (!grid_) throw EInvalidCast("Invalid class typecast");
  SetBevelOuter(bvNone);
}

void TFooterPanel::CreateWnd() {
  TCustomPanel::CreateWnd();
  SetHeight(grid_->FloatingFooter().Visible() ? grid_->FloatingFooter().FooterHeight : 0);
}

void TFooterPanel::Paint() {
  switch (grid_->FloatingFooter().FooterStyle()) {
    case fsFixedLastRow:
      PaintFixedLastRow();
      break;
    case fsColumnPreview:
      PaintColumnPreview();
      break;
    case fsCustomPreview:
      PaintCustomPreview();
      break;
  }
}

int TFooterPanel::StripWidth() {
  int w = 0;
  for (int c = 0; c < grid_->FixedCols(); ++c) w += grid_->ColWidths(c) + grid_->GridLineWidth();
  for (int c = std::max(grid_->LeftCol(), grid_->FixedCols()); c < grid_->ColCount(); ++c)
    w += grid_->ColWidths(c) + grid_->GridLineWidth();
  return w;
}

void TFooterPanel::PaintFixedLastRow() {
  TCanvas& C = Canvas();
  const TRect client = ClientRect();
  const int w = std::min(StripWidth(), client.Right);
  C.Brush->Color = grid_->Color();
  C.FillRect(Rect(w, 0, client.Right, client.Bottom));
  C.Brush->Color = grid_->FixedColor();
  C.FillRect(Rect(0, 0, w, client.Bottom));
  const TGridOptions options = grid_->Options();
  const bool soft = grid_->Look() == glSoft && !grid_->Flat();
  const int row = grid_->RowCount() - 1;
  int x = 0;
  auto paintColumn = [&](int c) {
    const TRect r = Rect(x, 0, x + grid_->ColWidths(c), client.Bottom);
    x = r.Right + grid_->GridLineWidth();
    C.Pen->Width = 1;
    if (soft) {
      C.Pen->Color = clWhite;
      if (options.Contains(goFixedVertLine)) Line(C, r.Left, r.Top, r.Left, r.Bottom);
      if (options.Contains(goFixedHorzLine)) Line(C, r.Left, r.Top, r.Right, r.Top);
    }
    if (options.Contains(goFixedVertLine)) {
      C.Pen->Color = kEdgeGray;
      Line(C, r.Right, r.Top, r.Right, r.Bottom);
    }
    const bool fixed = c < grid_->FixedCols();
    const TColor brush = grid_->GetCellBrushColor(grid_->RealColIndex(c), row);
    if (!fixed && brush != clNotSet) {
      C.Brush->Color = brush;
      C.FillRect(Rect(r.Left + 1, r.Top + 1, r.Right, r.Bottom));
    }
    C.Brush->Color = fixed || brush == clNotSet ? grid_->FixedColor() : brush;
    C.Font->Assign(grid_->Font());
    grid_->DrawCellContent(C, c, row, r, TGridDrawState{gdFixed});
  };
  for (int c = 0; c < grid_->FixedCols(); ++c) paintColumn(c);
  for (int c = std::max(grid_->LeftCol(), grid_->FixedCols()); c < grid_->ColCount() && x < client.Right; ++c)
    paintColumn(c);
}

TRect TFooterPanel::PreviewStrip() {
  TCanvas& C = Canvas();
  const TRect client = ClientRect();
  const int w = std::min(StripWidth(), client.Right);
  C.Brush->Color = grid_->Color();
  C.FillRect(Rect(w, 0, client.Right, client.Bottom));
  const TRect strip = Rect(0, 0, w, client.Bottom);
  C.Brush->Color = grid_->FloatingFooter().Color();
  C.FillRect(strip);
  // A sunken one-pixel edge.
  C.Pen->Width = 1;
  C.Pen->Color = kEdgeGray;
  C.Polyline(
      {Point(strip.Left, strip.Bottom - 1), Point(strip.Left, strip.Top), Point(strip.Right - 1, strip.Top)});
  C.Pen->Color = clWhite;
  C.Polyline({Point(strip.Right - 1, strip.Top), Point(strip.Right - 1, strip.Bottom - 1),
              Point(strip.Left, strip.Bottom - 1)});
  return strip;
}

void TFooterPanel::PaintColumnPreview() {
  const TRect strip = PreviewStrip();
  TCanvas& C = Canvas();
  // Set for this painting alone: setting the property would repaint.
  const TColor saved = grid_->selectionTextColor_;
  grid_->selectionTextColor_ = clBlack;
  try {
    C.Font->Assign(grid_->Font());
    C.Brush->Color = grid_->FloatingFooter().Color();
    const int col = grid_->DisplColIndex(grid_->FloatingFooter().Column());
    grid_->DrawCellContent(C, col, grid_->Row(), strip, TGridDrawState{});
  } catch (...) {
    grid_->selectionTextColor_ = saved;
    throw;
  }
  grid_->selectionTextColor_ = saved;
}

void TFooterPanel::PaintCustomPreview() {
  TRect strip = PreviewStrip();
  TCanvas& C = Canvas();
  const TColor saved = grid_->selectionTextColor_;
  grid_->selectionTextColor_ = clBlack;
  C.Font->Assign(grid_->Font());
  C.Brush->Style = bsClear;
  if (ComponentState().Contains(csDesigning)) {
    C.TextRect(strip, strip.Left + 2, strip.Top + 2, grid_->FloatingFooter().CustomTemplate());
  } else {
    strip.Top += 2;
    strip.Bottom += 2;
    AnsiString anchor, plain, focused, controlID, controlValue, controlType;
    int ex = 0, ey = 0, anchors = 0, mouseAnchor = 0;
    TRect anchorRect{}, controlRect{};
    HTMLDraw(C, FooterTemplateExpand(grid_->FloatingFooter().CustomTemplate()), strip, grid_->GridImages(), 0,
             0, -1, -1, 1, false, false, false, false, true, false, true, false, 1.0, grid_->URLColor(),
             clNone, clNone, kEdgeGray, anchor, plain, focused, ex, ey, anchors, mouseAnchor, anchorRect,
             controlRect, controlID, controlValue, controlType, &grid_->PictureCache(),
             grid_->PictureContainer(), nullptr);
  }
  C.Brush->Style = bsSolid;
  grid_->selectionTextColor_ = saved;
}

AnsiString TFooterPanel::FooterTemplateExpand(const AnsiString& Template) {
  AnsiString result;
  size_t pos = 0;
  const int columns = grid_->ColCount() + grid_->HiddenColCount();
  for (;;) {
    const size_t marker = Template.find("<#", pos);
    if (marker == AnsiString::npos) break;
    result.append(Template, pos, marker - pos);
    const size_t close = Template.find('>', marker + 2);
    if (close == AnsiString::npos) {
      // An unclosed marker is text like any other.
      pos = marker;
      break;
    }
    int column = 0;
    if (TryStrToInt(Template.substr(marker + 2, close - marker - 2), column) && column >= 0 &&
        column < columns)
      result += grid_->Cells(column, grid_->Row());
    pos = close + 1;
  }
  result.append(Template, pos);
  return result;
}

void TExtStringGrid::UpdateFooter() {
  const bool visible = floatingFooter_->Visible();
  if (!visible && !footerPanel_) return;
  AlignFooterPanel();
  if (visible) footerPanel_->Invalidate();
}

void TExtStringGrid::AlignFooterPanel() {
  const bool visible = floatingFooter_->Visible();
  if (!footerPanel_) {
    footerPanel_ = new TFooterPanel(this);
    footerPanel_->SetParent(this);
  }
  const int h = visible ? floatingFooter_->FooterHeight : 0;
  const TRect client = ClientRect();
  footerPanel_->SetBounds(0, client.Bottom - h, client.Width(), h);
  footerPanel_->SetVisible(visible);
}

// ---- the rich-text cell editor ---------------------------------------------------------

TExtRichEdit::TExtRichEdit(TComponent* AOwner)
    : TRichEdit(AOwner), grid_(dynamic_cast<TExtStringGrid*>(AOwner)) {
  if (!grid_) throw EInvalidCast("Invalid class typecast");
}

void TExtRichEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_KILLFOCUS && !grid_->FocusLock && grid_->HandleAllocated() &&
      reinterpret_cast<HWND>(Message.WParam) == grid_->Handle() && grid_->IsRichInplaceEditor(this))
    grid_->HideInplaceEditor();
  TRichEdit::Dispatch(Message);
}

void TExtRichEdit::LayoutChanged() {
  TRichEdit::LayoutChanged();
  const TSize size = RequiredSize();
  if (size.cx != reqWidth_ || size.cy != reqHeight_) RequestResize(size.cx, size.cy);
}

void TExtRichEdit::RequestResize(int W, int H) {
  reqWidth_ = W;
  reqHeight_ = H;
  if (!grid_->IsRichInplaceEditor(this) || !grid_->SizeWhileTyping().Height || noResize_) return;
  const int row = grid_->Row();
  const TRect cell = grid_->CellRect(grid_->Col(), row);
  if (H > grid_->RowHeights(row) && cell.Top + H < grid_->Height()) {
    SetHeight(H + 4);
    grid_->SetRowHeights(row, H + 5);
    if (grid_->OnEndRowSize) grid_->OnEndRowSize(grid_, row);
  }
}

void TExtRichEdit::KeyDown(Word& Key, TShiftState Shift) {
  TRichEdit::KeyDown(Key, Shift);
  if ((Key == VK_UP || Key == VK_DOWN) && !grid_->WordWrap() && !grid_->Multilinecells) {
    const Word key = Key;
    Key = 0;
    grid_->EditorKeyToGrid(key, Shift);
  }
}

// ---- embedded controls and editor links ------------------------------------------------

void TExtStringGrid::ControlEnterKey(TObject* Sender, char& Key) {
  if (Key != '\r') return;
  if (auto* control = dynamic_cast<TWinControl*>(Sender); control && control->OnExit)
    control->OnExit(control);
}

void TEditLink::EditLinkExit(TObject* /*Sender*/) {
  if (!Grid) return;
  if (Grid->InplaceEditor()) Grid->InplaceEditor()->SetText(GetEditorValue());
  if (KeepEditingOnExit)
    EditLinkSetCell(GetEditorValue());
  else
    EditLinkEnd();
}

void TEditLink::EditLinkEnd() {
  EditLinkStore();
  if (OwnsControl)
    if (TWinControl* control = GetEditControl()) {
      control->OnExit = nullptr;
      new TFreeAfterMessages(control);
    }
}

void TEditLink::EditLinkStore() {
  EditLinkSetCell(GetEditorValue());
  Grid->HideInplaceEditor();
  if (TWinControl* control = GetEditControl(); control && control->HandleAllocated())
    SendMessage(control->Handle(), WM_CLOSE, 0, 0);
}

void TEditLink::EditLinkSetCell(const AnsiString& S) {
  if (Grid) Grid->SetCellTextEdit(Grid->RealColIndex(Grid->Col()), Grid->Row(), S);
}
