// The grid's window procedure beside the cells: the wheel (rows by the
// system's lines a notch, zoom with Ctrl), middle-button panning with its
// cursors and mark, the cursor of the heading selection, the grid's own
// cursor, the combo editor's notifications and the version.

#include <array>
#include <cstdio>
#include <cstdlib>

#include "grid/ExtGrid.h"
#include "grid/ExtGridEditors.h"
#include "grid/GridUtil.h"
#include "platform/gfx/Picture.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Input.h"
#include "platform/ui/Windows.h"

namespace {

constexpr TColor kKey = clFuchsia;
constexpr int kPanMarkSize = 32;

void Fill(TBitmap& b, TColor c) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, c);
}

// A solid triangle pointing (dx, dy) with its tip Reach pixels from the
// centre (Cx, Cy).
void Arrow(TBitmap& b, int cx, int cy, int dx, int dy, int reach, TColor c) {
  for (int i = 0; i < 5; ++i) {
    const int along = reach - i;
    for (int w = -i; w <= i; ++w) {
      int x = cx + dx * along, y = cy + dy * along;
      if (dx != 0 && dy != 0) {
        // Diagonal: the base runs across the direction.
        x += w * (dy != 0 ? 1 : 0) * (dx == dy ? -1 : 1) / 2;
        y += w / 2;
      } else if (dx != 0) {
        y += w;
      } else {
        x += w;
      }
      if (x >= 0 && y >= 0 && x < b.Width() && y < b.Height()) b.SetPixel(x, y, c);
    }
  }
}

void Dot(TBitmap& b, int cx, int cy, int radius, TColor c) {
  for (int y = cy - radius; y <= cy + radius; ++y)
    for (int x = cx - radius; x <= cx + radius; ++x)
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius && x >= 0 && y >= 0 && x < b.Width() &&
          y < b.Height())
        b.SetPixel(x, y, c);
}

// The still pan cursor and mark: a dot with the arrows of the ways the
// grid pans.
void PanPicture(TBitmap& b, bool vertical, bool horizontal) {
  Fill(b, kKey);
  const int c = b.Width() / 2;
  Dot(b, c, c, 3, clBlack);
  Dot(b, c, c, 2, clWhite);
  if (vertical) {
    Arrow(b, c, c, 0, -1, c - 2, clBlack);
    Arrow(b, c, c, 0, 1, c - 2, clBlack);
  }
  if (horizontal) {
    Arrow(b, c, c, -1, 0, c - 2, clBlack);
    Arrow(b, c, c, 1, 0, c - 2, clBlack);
  }
}

// The heading selection cursors: a thick black arrow pointing down (a
// column), right (a row) or down and right (all).
void SelectArrow(TBitmap& b, int dx, int dy) {
  Fill(b, kKey);
  const int c = b.Width() / 2;
  for (int i = -7; i <= 3; ++i)
    for (int w = -1; w <= 1; ++w) {
      const int x = c + dx * i + (dx == 0 ? w : 0) + (dx != 0 && dy != 0 ? w : 0);
      const int y = c + dy * i + (dy == 0 ? w : 0);
      if (x >= 0 && y >= 0 && x < b.Width() && y < b.Height()) b.SetPixel(x, y, clBlack);
    }
  Arrow(b, c, c, dx, dy, 8, clBlack);
}

void RegisterGridCursors() {
  RegisterCursorResource("8000", kPanMarkSize, kPanMarkSize, Point(16, 16),
                         [](TBitmap& b) { PanPicture(b, true, true); });
  static const int ways[8][2] = {{0, 1}, {-1, 0}, {1, 0}, {0, -1}, {1, -1}, {-1, -1}, {1, 1}, {-1, 1}};
  for (int i = 0; i < 8; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "%d", 8001 + i);
    const int dx = ways[i][0], dy = ways[i][1];
    RegisterCursorResource(name, kPanMarkSize, kPanMarkSize, Point(16, 16), [dx, dy](TBitmap& b) {
      Fill(b, kKey);
      Dot(b, 16, 16, 2, clBlack);
      Arrow(b, 16, 16, dx, dy, 13, clBlack);
    });
  }
  RegisterCursorResource("8010", 24, 24, Point(20, 12), [](TBitmap& b) { SelectArrow(b, 1, 0); });
  RegisterCursorResource("8011", 24, 24, Point(12, 20), [](TBitmap& b) { SelectArrow(b, 0, 1); });
  RegisterCursorResource("8012", 24, 24, Point(20, 20), [](TBitmap& b) { SelectArrow(b, 1, 1); });
  RegisterBitmapResource("INTLI1", kPanMarkSize, kPanMarkSize, [](TBitmap& b) { PanPicture(b, true, true); });
  RegisterBitmapResource("INTLI2", kPanMarkSize, kPanMarkSize,
                         [](TBitmap& b) { PanPicture(b, false, true); });
  RegisterBitmapResource("INTLI3", kPanMarkSize, kPanMarkSize,
                         [](TBitmap& b) { PanPicture(b, true, false); });
}

}  // namespace

void EnsureGridCursors() {
  static const bool registered = (RegisterGridCursors(), true);
  (void)registered;
}

TCursor PanCursorFor(int dx, int dy) {
  if (dx == 0 && dy == 0) return crGridPan;
  if (dx == 0) return dy > 0 ? crGridPanDown : crGridPanUp;
  if (dy == 0) return dx < 0 ? crGridPanLeft : crGridPanRight;
  if (dy < 0) return dx > 0 ? crGridPanUpRight : crGridPanUpLeft;
  return dx > 0 ? crGridPanDownRight : crGridPanDownLeft;
}

// ---- cursor -------------------------------------------------------------------------------

void TExtStringGrid::SetCursor(TCursor c) {
  TBaseGrid::SetCursor(c);
  if (!settingCursor_) ownCursor_ = c;
}

bool TExtStringGrid::WMSetCursor(TMessage& m) {
  if (!Screen) return false;
  if (mouse_.Panning) {
    Screen->ShowCursorShape(mouse_.PanCursor);
    m.Result = 1;
    return true;
  }
  if (mouse_.SizingFixedCol || mouse_.FixedColSizeArmed) {
    Screen->ShowCursorShape(crHSplit);
    m.Result = 1;
    return true;
  }
  if (mouse_.CursorKind != ckNone && GridState() != gsColSizing && GridState() != gsRowSizing) {
    EnsureGridCursors();
    TCursor shape = crGridSelectAll;
    if (mouse_.CursorKind == ckColumnSelect) shape = crGridColSelect;
    if (mouse_.CursorKind == ckRowSelect) shape = crGridRowSelect;
    Screen->ShowCursorShape(shape);
    m.Result = 1;
    return true;
  }
  return false;
}

// ---- wheel --------------------------------------------------------------------------------

bool TExtStringGrid::WheelMessage(TMessage& m) {
  if (mouse_.Panning) return false;
  const int delta = MsgWheelDelta(m);
  if (delta == 0) return false;
  const int notches = std::max(1, std::abs(delta) / WHEEL_DELTA);
  const int lines = static_cast<int>(ui::input::WheelScrollLines()) * notches;
  const bool towardsUser = delta < 0;
  if ((GetKeyState(VK_CONTROL) & 0x8000) != 0 && IntelliZoom) {
    Zoom(towardsUser ? lines : -lines);
    // The turn was the zoom's: the handlers hear of it, the row stays.
    PassWheelOn(m);
    return true;
  }
  if (!EnableWheel) return false;
  if (FixedRowAlways && RowCount() == 1) {
    m.Result = 1;
    return true;
  }
  // A notch moves the row by the system's lines, and only that: the
  // inherited handling would move it once more.
  int target = towardsUser ? Row() + lines : Row() - lines;
  target = std::min(target, RowCount() - FixedFooters() - 1);
  target = std::max(target, FixedRows());
  if (Col() < FixedCols()) SetCol(std::min(FixedCols(), ColCount() - 1));
  if (Col() > ColCount() - 1) SetCol(ColCount() - 1);
  if (target >= 0 && target < RowCount() && target != Row()) {
    // The move repaints what it changes, as a key's does: a scroll moves
    // the pixels of the view and paints what it uncovers.
    const int oldLeft = LeftCol();
    SetRow(target);
    if (Options().Contains(goRowSelect) && navigation_->KeepHorizScroll) SetLeftCol(oldLeft);
    SelectBaseCell();
  }
  PassWheelOn(m);
  return true;
}

void TExtStringGrid::PassWheelOn(TMessage& m) {
  // The inherited handling follows for OnMouseWheel and the Down/Up events,
  // with the row already moved.
  wheelRowMoved_ = true;
  try {
    TBaseGrid::Dispatch(m);
  } catch (...) {
    wheelRowMoved_ = false;
    throw;
  }
  wheelRowMoved_ = false;
  m.Result = 1;
}

bool TExtStringGrid::WheelKeepingLeftCol(const std::function<bool()>& Inherited) {
  if (!Options().Contains(goRowSelect) || !navigation_->KeepHorizScroll) return Inherited();
  const int oldLeft = LeftCol();
  BeginUpdate();
  const bool result = Inherited();
  SetLeftCol(oldLeft);
  ResetUpdate();
  return result;
}

bool TExtStringGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (wheelRowMoved_) return TControl::DoMouseWheelDown(Shift, MousePos);
  return WheelKeepingLeftCol([&] { return TBaseGrid::DoMouseWheelDown(Shift, MousePos); });
}

bool TExtStringGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (wheelRowMoved_) return TControl::DoMouseWheelUp(Shift, MousePos);
  return WheelKeepingLeftCol([&] { return TBaseGrid::DoMouseWheelUp(Shift, MousePos); });
}

// ---- panning ------------------------------------------------------------------------------

void TExtStringGrid::StartPanning(int X, int Y) {
  EnsureGridCursors();
  mouse_.PanSavedCursor = Cursor();
  mouse_.PanCursor = crGridPan;
  settingCursor_ = true;
  TBaseGrid::SetCursor(crGridPan);
  settingCursor_ = false;
  if (Screen) Screen->ShowCursorShape(crGridPan);
  mouse_.Panning = true;
  SetTimer(Handle(), PanTimerId, PanInterval);
  mouse_.PanOrigin = Point(X, Y);
  mouse_.PanMarkSerial = 0;
  SetCapture(Handle());
  mouse_.PanSavedShowHint = ShowHint();
  SetShowHint(false);
  DrawPanMark();
}

void TExtStringGrid::StopPanning() {
  if (!mouse_.Panning) return;
  ReleaseCapture();
  if (HandleAllocated()) KillTimer(Handle(), PanTimerId);
  settingCursor_ = true;
  TBaseGrid::SetCursor(mouse_.PanSavedCursor);
  settingCursor_ = false;
  if (Screen) Screen->ShowCursorShape(mouse_.PanSavedCursor);
  SetShowHint(true);
  mouse_.Panning = false;
  InvalidateRect(Bounds(mouse_.PanOrigin.X, mouse_.PanOrigin.Y, kPanMarkSize, kPanMarkSize));
}

void TExtStringGrid::PanTick() {
  TPoint p;
  GetCursorPos(&p);
  p = ScreenToClient(p);
  int dx = 0, dy = 0;
  if (p.X < mouse_.PanOrigin.X - 5) dx = -1;
  if (p.X > mouse_.PanOrigin.X + 5) dx = 1;
  if (p.Y < mouse_.PanOrigin.Y - 5) dy = -1;
  if (p.Y > mouse_.PanOrigin.Y + 5) dy = 1;
  if (IntelliPan == ipHorizontal) dy = 0;
  if (IntelliPan == ipVertical) dx = 0;
  mouse_.PanCursor = PanCursorFor(dx, dy);

  const int lastRow = RowCount() - 1 - FixedFooters(), lastCol = ColCount() - 1 - FixedRightCols();
  int row = std::clamp(Row(), std::min(FixedRows(), lastRow), std::max(FixedRows(), lastRow));
  int col = std::clamp(Col(), std::min(FixedCols(), lastCol), std::max(FixedCols(), lastCol));
  if ((dx == -1 && col > FixedCols()) || (dx == 1 && col < lastCol)) col += dx;
  if ((dy == -1 && row > FixedRows()) || (dy == 1 && row < lastRow)) row += dy;
  row = std::clamp(row, 0, RowCount() - 1);
  col = std::clamp(col, 0, ColCount() - 1);
  if (row != Row() || col != Col()) {
    const bool leavesView = row < TopRow() || row >= TopRow() + VisibleRowCount() || col < LeftCol() ||
                            col >= LeftCol() + VisibleColCount();
    if (leavesView)
      InvalidateRect(Bounds(mouse_.PanOrigin.X, mouse_.PanOrigin.Y, kPanMarkSize, kPanMarkSize));
    FocusCell(col, row, true);
  }
  settingCursor_ = true;
  TBaseGrid::SetCursor(mouse_.PanCursor);
  settingCursor_ = false;
  if (Screen) Screen->ShowCursorShape(mouse_.PanCursor);
  DrawPanMark();
}

void TExtStringGrid::DrawPanMark() {
  EnsureGridCursors();
  // Drawn at every tick of the pan timer: each of the three marks is
  // painted once, and drawn again only when something was drawn on the
  // window since, which may have covered it.
  static const std::array<TPixelBlock, 3> marks = [] {
    std::array<TPixelBlock, 3> made;
    const char* names[] = {"INTLI1", "INTLI2", "INTLI3"};
    for (size_t i = 0; i < made.size(); ++i)
      made[i] = TransparentPixels(*LoadBitmapResource(names[i]), clWhite);
    return made;
  }();
  const int shown = IntelliPan == ipVertical ? 2 : IntelliPan == ipHorizontal ? 1 : 0;
  const std::uint64_t serial = ui::paint::DrawSerialOf(this);
  if (serial != 0 && serial == mouse_.PanMarkSerial && shown == mouse_.PanMarkShown) return;
  const TPixelBlock& mark = marks[static_cast<size_t>(shown)];
  // A scroll that moved the cells under the mark repaints its place: drawn
  // now it would be painted over, so it is drawn at the next tick.
  const TRect place = Bounds(mouse_.PanOrigin.X, mouse_.PanOrigin.Y, mark.Width, mark.Height);
  if (updateCount_ == 0 && ui::paint::PaintPendingOver(this, place)) return;
  Canvas().DrawPixels(Bounds(mouse_.PanOrigin.X, mouse_.PanOrigin.Y, mark.Width, mark.Height), mark, false,
                      0);
  mouse_.PanMarkShown = shown;
  mouse_.PanMarkSerial = ui::paint::DrawSerialOf(this);
}

// ---- scrolling ----------------------------------------------------------------------------

bool TExtStringGrid::ScrollAnchoredAreas(std::vector<TRect>& Areas, bool OddMove) {
  if (!TBaseGrid::ScrollAnchoredAreas(Areas, OddMove)) return false;
  // A picture fixed to the window stays while the cells move over it, and
  // the sizing line of a fixed column is drawn where the mouse is.
  if (!backGround_->Bitmap().Empty() && backGround_->Display() == bdFixed) return false;
  if (mouse_.SizingFixedCol) return false;
  // The outline of an open editor follows the cell's visible part.
  const TWinControl* special = editorActive_ ? EditorControl() : nullptr;
  if (EditorMode() || (special && special->Visible())) Areas.push_back(CellRect(Col(), Row()));
  // The focus rectangle of a merged current cell goes round the area.
  if (OddMove && GridFocused() && IsMergedCell(Col(), Row()))
    Areas.push_back(InflateRect(MergedCellRect(Col(), Row()), 1, 1));
  if (mouse_.Panning)
    Areas.push_back(Bounds(mouse_.PanOrigin.X, mouse_.PanOrigin.Y, kPanMarkSize, kPanMarkSize));
  // A fixed cell shown pressed until the release.
  if (mouse_.FixedPressed) Areas.push_back(mouse_.FixedPressedRect);
  return true;
}

// ---- the combo editor's notifications and the version --------------------------------------

void TExtStringGrid::ComboNotify(TMessage& Message) {
  // Only the notifications of the grid's own combo editors count.
  const auto from = reinterpret_cast<HWND>(Message.LParam);
  TGridCombo* combo = nullptr;
  for (TGridCombo* editor : {static_cast<TGridCombo*>(combo_), static_cast<TGridCombo*>(uniCombo_)})
    if (editor && editor->HandleAllocated() && editor->Handle() == from) combo = editor;
  if (!combo) return;
  const int realCol = RealColIndex(Col());
  switch (Message.WParamHi()) {
    case CBN_SELCHANGE:
      combo->FireChange();
      break;
    case CBN_CLOSEUP:
      // The row and the column in the order the event declares them.
      if (OnComboCloseUp) OnComboCloseUp(this, Row(), realCol);
      break;
    case CBN_KILLFOCUS:
      if (OnComboChange) OnComboChange(this, realCol, Row(), -1, combo->Text());
      break;
    default:
      break;
  }
}

int TExtStringGrid::GetVersionNr() {
  // Low word the minor pair (1, 0), high word the major pair (4, 2).
  constexpr auto word = [](unsigned lo, unsigned hi) { return lo | (hi << 8); };
  return static_cast<int>(word(1, 0) | (word(4, 2) << 16));
}

AnsiString TExtStringGrid::GetVersionString() {
  const auto version = static_cast<unsigned>(GetVersionNr());
  char text[48];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u Nov, 2002", (version >> 24) & 0xFF, (version >> 16) & 0xFF,
                (version >> 8) & 0xFF, version & 0xFF);
  return text;
}
