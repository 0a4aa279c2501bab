// The grid's scroll bars: flat bars in the look, track colour and
// thickness of the grid's properties, thumbs of a fixed length or in
// proportion to the view, the hint naming the row or column a dragged
// thumb brings into view, and scrolling while the thumb moves.
//
// The bars count in rows and columns (their range runs over the first
// rows or columns a view can start at), so a thumb's position is a row or
// column as it stands and needs no rescaling from a range of its own.

#include <algorithm>

#include "grid/ExtGrid.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/Windows.h"

namespace {

int FlatStyleOf(TScrollType Type) {
  switch (Type) {
    case ssFlat:
      return FSB_FLAT_MODE;
    case ssEncarta:
      return FSB_ENCARTA_MODE;
    default:
      return FSB_REGULAR_MODE;
  }
}

bool HasBar(TScrollStyle Style, int Bar) {
  return Style == ssBoth || Style == (Bar == SB_VERT ? ssVertical : ssHorizontal);
}

}  // namespace

// ---- flat bars ----------------------------------------------------------------------

void TExtStringGrid::InitFlatScrollBars() {
  // A grid on a parent gets its window now; one without a parent starts
  // them when its window is made.
  if (!HandleAllocated() && !Parent()) return;
  flatScrollBars_ = InitializeFlatSB(Handle()) != 0;
}

void TExtStringGrid::DoneFlatScrollBars() {
  flatScrollBars_ = false;
  if (HandleAllocated()) UninitializeFlatSB(Handle());
}

void TExtStringGrid::SetFlatScrollProp(UINT Index, int Value) {
  if (flatScrollBars_) FlatSB_SetScrollProp(Handle(), Index, Value, TRUE);
}

void TExtStringGrid::ApplyFlatStyle() {
  SetFlatScrollProp(WSB_PROP_VSTYLE, FlatStyleOf(scrollType_));
  SetFlatScrollProp(WSB_PROP_HSTYLE, FlatStyleOf(scrollType_));
}

void TExtStringGrid::ApplyFlatColor() {
  // Back to no colour of its own, the track takes the standard one again.
  const TColor track = scrollColor_ == clNotSet ? clScrollBar : scrollColor_;
  SetFlatScrollProp(WSB_PROP_VBKGCOLOR, static_cast<int>(track));
  SetFlatScrollProp(WSB_PROP_HBKGCOLOR, static_cast<int>(track));
}

void TExtStringGrid::ApplyFlatWidth() {
  SetFlatScrollProp(WSB_PROP_CXVSCROLL, scrollWidth_);
  SetFlatScrollProp(WSB_PROP_CYHSCROLL, scrollWidth_);
}

void TExtStringGrid::UpdateFlatScrollBars() {
  if (!flatScrollBars_) return;
  ApplyFlatStyle();
  ApplyFlatColor();
  ApplyFlatWidth();
  const TScrollStyle bars = ScrollBars();
  if (HasBar(bars, SB_VERT))
    FlatSB_ShowScrollBar(Handle(), SB_VERT, VisibleRowCount() + TBaseGrid::FixedRows() < RowCount());
  if (HasBar(bars, SB_HORZ))
    FlatSB_ShowScrollBar(Handle(), SB_HORZ, VisibleColCount() + TBaseGrid::FixedCols() < ColCount());
  // The plain grid's numbers first; the thumbs are set from them.
  UpdateScrollBars();
}

void TExtStringGrid::SetFlatScrollInfo() {
  if (!flatScrollBars_) return;
  const TGridCoord last = MaxTopLeft();
  for (int bar : {SB_VERT, SB_HORZ}) {
    if (!HasBar(ScrollBars(), bar)) continue;
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(Handle(), bar, &info);
    // The plain grid's page already sizes a thumb by the view; a thumb of
    // fixed length runs over the first rows (columns) a full view starts at.
    if (!scrollProportional_) {
      info.nMax = std::max(info.nMin, bar == SB_VERT ? last.Y : last.X);
      info.nPage = 0;
    }
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    FlatSB_SetScrollInfo(Handle(), bar, &info, TRUE);
  }
}

void TExtStringGrid::ScrollBarsUpdated() {
  TBaseGrid::ScrollBarsUpdated();
  SetFlatScrollInfo();
}

void TExtStringGrid::SetScrollType(TScrollType v) {
  if (v != scrollType_) {
    scrollType_ = v;
    if (v == ssFlat || v == ssEncarta) {
      InitFlatScrollBars();
      UpdateFlatScrollBars();
    } else {
      DoneFlatScrollBars();
      // The standard bars take the plain grid's numbers again.
      UpdateScrollBars();
    }
  }
  ApplyFlatStyle();
}

void TExtStringGrid::SetScrollColor(TColor v) {
  scrollColor_ = v;
  ApplyFlatColor();
}

void TExtStringGrid::SetScrollWidth(int v) {
  scrollWidth_ = v;
  ApplyFlatWidth();
  // The cells' room changed with the bars' thickness.
  if (flatScrollBars_) UpdateScrollBars();
}

void TExtStringGrid::SetScrollProportional(bool v) {
  scrollProportional_ = v;
  if (v) {
    InitFlatScrollBars();
    UpdateFlatScrollBars();
  } else if (flatScrollBars_ && scrollType_ == ssNormal) {
    DoneFlatScrollBars();
    UpdateScrollBars();
  } else {
    SetFlatScrollInfo();
  }
}

// ---- thumb dragging ----------------------------------------------------------------

int TExtStringGrid::ThumbTarget(bool Vertical) {
  const int bar = Vertical ? SB_VERT : SB_HORZ;
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_TRACKPOS;
  GetScrollInfo(Handle(), bar, &info);
  const int fixed = Vertical ? TBaseGrid::FixedRows() : TBaseGrid::FixedCols();
  const int count = Vertical ? RowCount() : ColCount();
  const int visible = Vertical ? VisibleRowCount() : VisibleColCount();
  // The thumb's travel maps onto the first rows (columns) that still fill
  // the view, the far end onto the last of them.
  const int span = count - visible - fixed;
  const int low = info.nMin;
  const int high = info.nPage > 0 ? info.nMax - static_cast<int>(info.nPage) + 1 : info.nMax;
  if (span <= 0 || high <= low) return fixed;
  const long long travel = std::clamp(info.nTrackPos, low, high) - low;
  return fixed + static_cast<int>((travel * span + (high - low) / 2) / (high - low));
}

void TExtStringGrid::ShowScrollHint(bool Vertical, int Index) {
  AnsiString text = AnsiString(Vertical ? "Row : " : "Col : ") + IntToStr(Index);
  if (OnScrollHint) OnScrollHint(this, Index, text);
  if (!hintWindow_) hintWindow_ = new THTMLHintWindow(this);
  TRect r = hintWindow_->CalcHintRect(100, text, nullptr);
  hintWindow_->SetCaption(text);
  hintWindow_->SetColor(HintColor);
  TPoint cursor;
  GetCursorPos(&cursor);
  r = OffsetRect(r, cursor.X + 10, cursor.Y);
  hintWindow_->ActivateHint(r, text);
  scrollHintShown_ = true;
}

void TExtStringGrid::HideScrollHint() {
  if (!scrollHintShown_) return;
  scrollHintShown_ = false;
  if (hintWindow_) hintWindow_->ReleaseHandle();
}

void TExtStringGrid::WMScroll(TMessage& Message) {
  const bool vertical = Message.Msg == WM_VSCROLL;
  const int code = Message.WParamLo();
  const bool hints = ScrollHints == shBoth || ScrollHints == (vertical ? shVertical : shHorizontal);
  if (code == SB_THUMBTRACK) {
    const int target = ThumbTarget(vertical);
    if (hints) ShowScrollHint(vertical, target);
    if (ScrollSynch) {
      if (vertical)
        SetTopRow(target);
      else
        SetLeftCol(target);
    }
  } else if (code == SB_ENDSCROLL && hints) {
    HideScrollHint();
  }
  TBaseGrid::Dispatch(Message);
  SetFlatScrollInfo();
  // A check box cell keeps no editor over it when it scrolls away.
  if (HasCheckBox(RealColIndex(Col()), Row())) HideEditor();
  UpdateFooter();
}
