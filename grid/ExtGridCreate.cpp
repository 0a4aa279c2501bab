// The grid control's life: construction with its option groups, the owner
// form's resize hook, the window and its 500 ms timer, column widths kept in
// an INI file or the registry, counts and sizes, and the slots that fire
// the look and kind events.

#include <algorithm>
#include <cmath>

#include "grid/ExtGrid.h"
#include "grid/ExtGridDragDrop.h"
#include "grid/ExtInplaceEdit.h"
#include "grid/ExtXPVS.h"
#include "grid/GridUtil.h"
#include "grid/PictureContainer.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Windows.h"

TExtStringGrid::TExtStringGrid(TComponent* AOwner)
    : TBaseGrid(AOwner),
      columnSize_(std::make_unique<TColumnSize>(this)),
      navigation_(std::make_unique<TNavigation>()),
      mouseActions_(std::make_unique<TMouseActions>(this)),
      cellNode_(std::make_unique<TCellNode>(this)),
      sizeWhileTyping_(std::make_unique<TSizeWhileTyping>()),
      htmlSettings_(std::make_unique<THTMLSettings>()),
      printSettings_(std::make_unique<TPrintSettings>()),
      bands_(std::make_unique<TBands>(this)),
      backGround_(std::make_unique<TBackGround>(this)),
      sortSettings_(std::make_unique<TSortSettings>(this)),
      controlLook_(std::make_unique<TControlLook>(this)),
      floatingFooter_(std::make_unique<TFloatingFooter>(this)),
      dragDropSettings_(std::make_unique<TDragDropSettings>(this)),
      filter_(std::make_unique<TFilter>(this)) {
  ControlStyle << csAcceptsControls;
  // The mouse handling fires OnClick itself, once per press and release.
  ControlStyle >> csClickEvents;
  colVisible_.fill(true);
  fixedFont_.Name = "Tahoma";
  activeCellFont_.Style = fsBold;
  // The fonts are handed out to be changed in place; each change shows.
  fixedFont_.OnChange = [this](TFont*) { Invalidate(); };
  activeCellFont_.OnChange = [this](TFont*) { Invalidate(); };
  TFont font;
  font.Assign(Font());
  font.Name = "Tahoma";
  SetFont(font);
  columnHeaders_.OnChange = [this](TStrings*) { WriteColumnHeaders(); };
  rowHeaders_.OnChange = [this](TStrings*) { WriteRowHeaders(); };
  SetDefaultRowHeight(21);
  themedLook_ = ThemedLookActive();
  madeFont_.Assign(Font());

  // The owner form's resize moves and stretches the grid with it.
  if (auto* form = dynamic_cast<TCustomForm*>(AOwner); form && !ComponentState().Contains(csDesigning)) {
    ownerForm_ = form;
    formWidth_ = form->Width();
    formHeight_ = form->Height();
    // A hook, not OnResize: the form's own handler, assigned before or
    // after the grid was made, keeps running and never replaces this.
    form->AddResizeHook(this, [this](TObject* sender, const std::function<void()>& formHandler) {
      OwnerFormResized(sender, formHandler);
    });
  }
}

void TExtStringGrid::OwnerFormResized(TObject*, const std::function<void()>& formHandler) {
  if (ownerForm_ == nullptr) return;
  if (SizeWithForm) {
    const int newWidth = Width() + ownerForm_->Width() - formWidth_;
    const int newHeight = Height() + ownerForm_->Height() - formHeight_;
    // A form made too small for the grid leaves it, and the size it is
    // measured from, as they were: growing back then gives the grid its
    // old size instead of one grown by the shrink that never reached it.
    if (newWidth > 0 && newHeight > 0) {
      SetBounds(Left(), Top(), newWidth, newHeight);
      formWidth_ = ownerForm_->Width();
      formHeight_ = ownerForm_->Height();
    }
  }
  if (formHandler) formHandler();
  StretchColumn(columnSize_->StretchColumn);
}

TExtStringGrid::~TExtStringGrid() {
  Destroying();
  for (TGridCellsLink* link : cellsLinks_) link->grid_ = nullptr;
  cellsLinks_.clear();
  if (ownerForm_) ownerForm_->RemoveResizeHook(this);
  // Losing the widths must not stop the grid from going.
  if (columnSize_->Save) {
    try {
      SaveColumnSizes();
    } catch (...) {
    }
  }
  // A drag under way must find no grid behind its target.
  if (dropTarget_) {
    if (HandleAllocated()) RevokeDragDrop(Handle());
    dropTarget_->Detach();
    dropTarget_->Release();
    dropTarget_ = nullptr;
  }
  // Hidden rows hold cell objects of their own.
  for (auto& item : hiddenRows_)
    for (int i = 0; i < item->Items().Count(); ++i) delete static_cast<TObject*>(item->Items().Objects(i));
}

void TExtStringGrid::Loaded() {
  TBaseGrid::Loaded();
  MinColWidth = DefaultColWidth();
  MinRowHeight = DefaultRowHeight();
  WriteColumnHeaders();
  WriteRowHeaders();
  if (columnSize_->Save) LoadColumnSizes();
}

void TExtStringGrid::CreateWnd() {
  TBaseGrid::CreateWnd();
  if (columnSize_->Save) LoadColumnSizes();
  SetTimer(Handle(), TimerId, TimerInterval);
  if (dragDropSettings_->OleDropTarget() && !ComponentState().Contains(csDesigning)) RegisterDropTarget(true);
  // Flat bars belong to a window: a new one starts them again.
  if (scrollType_ != ssNormal || scrollProportional_) {
    InitFlatScrollBars();
    UpdateFlatScrollBars();
  }
}

void TExtStringGrid::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_TIMER && Message.WParam == TimerId) {
    TimerTick();
    return;
  }
  if (Message.Msg == WM_TIMER && Message.WParam == PanTimerId) {
    if (mouse_.Panning) PanTick();
    return;
  }
  if (mouse_.Panning && (Message.Msg == WM_MBUTTONDOWN || Message.Msg == WM_RBUTTONDOWN ||
                         Message.Msg == WM_KEYDOWN || Message.Msg == WM_MBUTTONDBLCLK)) {
    StopPanning();
    if (Message.Msg == WM_MBUTTONDOWN) return;
  }
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      WMLButtonDown(Message);
      return;
    case WM_LBUTTONUP:
      WMLButtonUp(Message);
      return;
    case WM_LBUTTONDBLCLK:
      WMLButtonDblClk(Message);
      return;
    case WM_RBUTTONDOWN:
      WMRButtonDown(Message);
      return;
    case WM_RBUTTONUP:
      if (WMRButtonUp(Message)) return;
      break;
    case WM_MBUTTONDOWN:
      if (IntelliPan != ipNone && RowCount() > FixedRows()) {
        StartPanning(MsgX(Message), MsgY(Message));
        return;
      }
      break;
    case WM_MOUSEWHEEL:
      if (WheelMessage(Message)) return;
      break;
    case WM_COMMAND:
      ComboNotify(Message);
      break;
    case WM_KILLFOCUS:
      ReleaseButtonControl();
      break;
    case WM_SETCURSOR:
      if (WMSetCursor(Message)) return;
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      WMScroll(Message);
      return;
    case CM_HINTSHOW:
      if (Message.LParam) CMHintShow(*reinterpret_cast<THintInfo*>(Message.LParam));
      Message.Result = 0;
      return;
    case WM_DESTROY:
      StopPanning();
      KillTimer(Handle(), TimerId);
      break;
    case WM_KEYDOWN:
      if (EditKeyDown(Message)) return;
      break;
    case WM_CHAR:
      if (EditChar(Message)) return;
      break;
    case WM_PAINT:
      // Bulk changes paint once, when the last update bracket closes; what
      // the window asked for meanwhile is painted then too.
      if (updateCount_ > 0) {
        owedWhole_ = true;
        Message.Result = 0;
        return;
      }
      break;
    case WM_SETFOCUS:
      TBaseGrid::Dispatch(Message);
      FocusReceived(reinterpret_cast<HWND>(Message.WParam));
      return;
    case CM_CURSORCHANGED:
      TBaseGrid::Dispatch(Message);
      // A cursor the program gives the grid wins over the selection cursor
      // the mouse last chose; the grid's own hand over links does not.
      if (!settingCursor_) mouse_.CursorKind = ckNone;
      return;
    case CM_DIALOGCHAR:
      // The form's accelerators stay quiet while the grid takes the typing:
      // the character is cleared for the controls the form asks after the
      // grid, and the grid still gets it as typed.
      if (GetKeyState(VK_MENU) >= 0) {
        Message.WParam = 0;
        Message.Result = 0;
        return;
      }
      break;
    case WM_ERASEBKGND:
      // The painter fills every pixel; erasing first would only flicker.
      Message.Result = 0;
      return;
    default:
      break;
  }
  TBaseGrid::Dispatch(Message);
}

void TExtStringGrid::Resize() {
  TBaseGrid::Resize();
  if (Parent()) GridResized();
}

// ---- updates and repainting ----------------------------------------------------------

void TExtStringGrid::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) {
    // A bracket that changed nothing drawn, or only some cells, repaints
    // no more than that.
    // Counts that came back to where they started, never below it, left
    // every cell both had where it was.
    const bool resized = sizedFrom_ && (Shape() != *sizedFrom_ || fewestCols_ < sizedFrom_->Cols ||
                                        fewestRows_ < sizedFrom_->Rows);
    const bool whole = owedWhole_ || resized;
    const std::optional<TGridRect> range = owedRange_;
    owedWhole_ = false;
    owedRange_.reset();
    sizedFrom_.reset();
    if (whole) {
      Invalidate();
    } else if (range) {
      const TGridRect kept{range->Left, range->Top, std::min(range->Right, ColCount() - 1),
                           std::min(range->Bottom, RowCount() - 1)};
      if (kept.Left <= kept.Right && kept.Top <= kept.Bottom) InvalidateRange(kept);
    }
    UpdateFooter();
  }
}

void TExtStringGrid::Invalidate() {
  if (suppressInvalidate_) {
    suppressInvalidate_ = false;
    return;
  }
  if (updateCount_ > 0) {
    owedWhole_ = true;
    return;
  }
  TBaseGrid::Invalidate();
}

void TExtStringGrid::RangeDeferred(const TGridRect& R) {
  if (owedWhole_) return;
  if (!owedRange_) {
    owedRange_ = R;
    return;
  }
  owedRange_->Left = std::min(owedRange_->Left, std::min(R.Left, R.Right));
  owedRange_->Top = std::min(owedRange_->Top, std::min(R.Top, R.Bottom));
  owedRange_->Right = std::max(owedRange_->Right, std::max(R.Left, R.Right));
  owedRange_->Bottom = std::max(owedRange_->Bottom, std::max(R.Top, R.Bottom));
}

void TExtStringGrid::SizeChangeDeferred(const TGridShape& Old) {
  if (!sizedFrom_) {
    sizedFrom_ = Old;
    fewestCols_ = Old.Cols;
    fewestRows_ = Old.Rows;
  }
  fewestCols_ = std::min(fewestCols_, ColCount());
  fewestRows_ = std::min(fewestRows_, RowCount());
}

bool TExtStringGrid::SizeChangeRepaintsAll(int OldColCount, int OldRowCount) const {
  // Footer rows and right fixed columns are counted from the end, and the
  // sort mark shows only from three rows on.
  const int keptCols = std::min(OldColCount, ColCount()), keptRows = std::min(OldRowCount, RowCount());
  if (fixedFooters_ > 0 || fixedRightCols_ > 0 || FooterRowFlag() || (sortSettings_->Show && keptRows <= 2))
    return true;
  if (!MadeCellProperties()) return false;
  // A merged area reaching across the old edge is drawn anew as a whole; it
  // holds a cell of the last column or row kept.
  auto merged = [this](int c, int r) { return CellSpan(c, r) != TPoint{0, 0}; };
  for (int r = 0; r < keptRows; ++r)
    if (merged(keptCols - 1, r)) return true;
  for (int c = 0; c < keptCols; ++c)
    if (merged(c, keptRows - 1)) return true;
  return false;
}

void TExtStringGrid::RepaintCellDispl(int ACol, int ARow) {
  if (HandleAllocated()) InvalidateRect(MergedCellRect(ACol, ARow));
}

void TExtStringGrid::RepaintRect(const TRect& R) {
  const TRect a = MergedCellRect(R.Left, R.Top), b = MergedCellRect(R.Right, R.Bottom);
  if (a.IsEmpty() || b.IsEmpty()) {
    Invalidate();
    return;
  }
  if (HandleAllocated())
    InvalidateRect(Rect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                        std::max(a.Bottom, b.Bottom)));
}

// ---- counts and sizes -------------------------------------------------------------------

TGridCoord TExtStringGrid::CellStoreLimit() const { return {StoreCols() + 1, RowCount() + 1}; }

int TExtStringGrid::FixedRows() const {
  const int stored = TBaseGrid::FixedRows();
  return stored == 0 && FixedRowAlways ? 1 : stored;
}

int TExtStringGrid::FixedCols() const {
  const int stored = TBaseGrid::FixedCols();
  return stored == 0 && FixedColAlways ? 1 : stored;
}

void TExtStringGrid::SetRowCount(int v) {
  // The selection hidden while only the fixed row was left comes back once
  // the rows it can stand on exist.
  const bool onlyFixedRows = RowCount() <= FixedRows() && FixedRowAlways;
  TBaseGrid::SetRowCount(v);
  if (RowCount() >= 2 && FixedRowAlways) SetFixedRows(1);
  if (onlyFixedRows && RowCount() > FixedRows()) UnHideSelection();
  SetDisplTextRowLimit(RowCount());
  UpdateFooter();
}

void TExtStringGrid::SetColCount(int v) {
  // As with rows: the selection hidden while only the fixed column was
  // left comes back once there are columns to stand on.
  const bool onlyFixedCols = ColCount() <= FixedCols() && FixedColAlways;
  TBaseGrid::SetColCount(v);
  if (ColCount() >= 2 && FixedColAlways) SetFixedCols(1);
  if (onlyFixedCols && ColCount() > FixedCols()) UnHideSelection();
  UpdateFooter();
  SetBounds(Left(), Top(), Width(), Height());
}

void TExtStringGrid::SetDefaultRowHeight(int v) {
  TBaseGrid::SetDefaultRowHeight(v);
  // On a form being designed the heading rows follow the new height.
  if (ComponentState().Contains(csDesigning)) SetFixedRowHeight(v);
  floatingFooter_->FooterHeight = v;
  // The strip shown keeps to the row height it was given.
  if (floatingFooter_->Visible() && footerPanel_) AlignFooterPanel();
}

void TExtStringGrid::SetFixedFooters(int v) {
  fixedFooters_ = v;
  Invalidate();
}

void TExtStringGrid::SetFixedRightCols(int v) {
  fixedRightCols_ = v;
  Invalidate();
}

void TExtStringGrid::SetFixedFont(const TFont& v) {
  fixedFont_.Assign(v);
  Invalidate();
}

void TExtStringGrid::SetFixedColWidth(int v) {
  if (!ComponentState().Contains(csDesigning) || v == DefaultColWidth()) return;
  for (int c = 0; c < FixedCols(); ++c) SetColWidths(c, v);
}

void TExtStringGrid::SetFixedRowHeight(int v) {
  fixedRowHeight_ = v;
  if (!ComponentState().Contains(csDesigning)) return;
  for (int r = 0; r < FixedRows(); ++r) SetRowHeights(r, v);
}

void TExtStringGrid::MouseToCellScreen(TPoint ScreenPoint, int& ACol, int& ARow) const {
  const TPoint p = ScreenToClient(ScreenPoint);
  MouseToCell(p.X, p.Y, ACol, ARow);
}

void TExtStringGrid::SetActiveCellFont(const TFont& v) {
  activeCellFont_.Assign(v);
  Invalidate();
}

void TExtStringGrid::SetActiveCellShow(bool v) {
  activeCellShow_ = v;
  Invalidate();
}

void TExtStringGrid::SetActiveCellColor(TColor v) {
  activeCellColor_ = v;
  Invalidate();
}

void TExtStringGrid::SetVAlignment(TVAlignment v) {
  vAlignment_ = v;
  Invalidate();
}

void TExtStringGrid::SetLook(TGridLook v) {
  look_ = v;
  Invalidate();
  UpdateFooter();
}

void TExtStringGrid::SetFlat(bool v) {
  if (v == flat_) return;
  flat_ = v;
  // The fixed cells, the window's edge and the footer strip all change.
  Invalidate();
  UpdateFooter();
}

void TExtStringGrid::SetSelectionColor(TColor v) {
  selectionColor_ = v;
  Invalidate();
}

void TExtStringGrid::SetSelectionTextColor(TColor v) {
  selectionTextColor_ = v;
  Invalidate();
}

void TExtStringGrid::SetShowSelection(bool v) {
  if (v == showSelection_) return;
  showSelection_ = v;
  Invalidate();
}

void TExtStringGrid::SetWordWrap(bool v) {
  wordWrap_ = v;
  if (auto* editor = dynamic_cast<TExtInplaceEdit*>(InplaceEditor())) editor->SetWordWrap(v);
  Invalidate();
}

void TExtStringGrid::SetSelectionRectangle(bool v) {
  selectionRectangle_ = v;
  Invalidate();
}

void TExtStringGrid::SetSelectionResizer(bool v) {
  selectionResizer_ = v;
  Invalidate();
}

void TExtStringGrid::SetURLShow(bool v) {
  urlShow_ = v;
  Invalidate();
}

void TExtStringGrid::SetURLColor(TColor v) {
  urlColor_ = v;
  if (urlShow_) Invalidate();
}

void TExtStringGrid::SetURLFull(bool v) {
  urlFull_ = v;
  if (urlShow_) Invalidate();
}

void TExtStringGrid::SetMaxEditLength(int v) {
  maxEditLength_ = v;
  // An editor that took a limit on showing keeps it otherwise.
  if (auto* editor = dynamic_cast<TExtInplaceEdit*>(InplaceEditor())) {
    editor->LengthLimit = static_cast<SmallInt>(v);
    if (!editor->IsMasked()) editor->SetMaxLength(v > 0 ? v : 0);
  }
}

void TExtStringGrid::SetAutoSize(bool v) {
  autoSize_ = v;
  if (v) AutoSizeColumns(false, 10);
}

void TExtStringGrid::SetIntegralHeight(bool v) {
  integralHeight_ = v;
  SetBounds(Left(), Top(), Width(), Height());
}

void TExtStringGrid::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int rowHeight = DefaultRowHeight();
  if (integralHeight_ && updateCount_ == 0 && rowHeight > 0) {
    constexpr int kHorzScrollBarHeight = 16;
    if (VisibleColCount() + FixedCols() >= ColCount())
      AHeight = AHeight + rowHeight - AHeight % rowHeight - 1 - kHorzScrollBarHeight;
    else
      AHeight = AHeight - AHeight % rowHeight - 1;
  }
  TBaseGrid::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TExtStringGrid::StretchColumn(int ACol) {
  if (ComponentState().Contains(csLoading)) return;
  // The index is checked even while stretching is off.
  if (ACol >= ColCount()) throw Exception("Stretch column index out of range");
  if (!columnSize_->Stretch() || ColCount() == 0) return;
  if (ACol < 0) ACol = ColCount() - 1;
  const int clientWidth = ClientWidth();
  if (ColCount() == 1) {
    SetColWidths(ACol, clientWidth);
  } else {
    int others = 0;
    for (int c = 0; c < ColCount(); ++c)
      if (c != ACol) others += ColWidths(c);
    SetColWidths(ACol, clientWidth <= others ? DefaultColWidth() : clientWidth - others - 1);
  }
  stretched_ = true;
  // A stretch follows a change of the grid's size: the footer strip keeps
  // to the bottom of the new client area.
  if (floatingFooter_->Visible()) AlignFooterPanel();
}

bool TExtStringGrid::StretchHasRoom() const {
  if (!columnSize_->Stretch() || ColCount() == 0) return false;
  const int stretchCol = columnSize_->StretchColumn < 0 ? ColCount() - 1 : columnSize_->StretchColumn;
  if (stretchCol >= ColCount()) return false;
  int others = 0;
  for (int c = 0; c < ColCount(); ++c)
    if (c != stretchCol) others += ColWidths(c);
  return others < ClientWidth();
}

void TExtStringGrid::GridResized() {
  // A stretch takes the new width into its one column; the others keep
  // theirs, so the width is not shared out again over all of them.
  if (StretchHasRoom()) {
    lastWidth_ = ClientWidth() > 0 ? ClientWidth() : lastWidth_;
  } else {
    // Without a stretch the footer strip still keeps to the bottom.
    if (floatingFooter_->Visible()) AlignFooterPanel();
    ScaleColumnsWithWidth();
  }
  // Stretched also when the others fill the width: the stretch column then
  // goes back to the default width.
  if (columnSize_->Stretch()) StretchColumn(columnSize_->StretchColumn);
  UpdateFlatScrollBars();
  if (fixedFooters_ > 0 || fixedRightCols_ > 0) Invalidate();
}

// ---- sizing by the mouse --------------------------------------------------------------

void TExtStringGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                     int& SizingOfs) {
  TBaseGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs);
  if (State == gsColSizing) {
    int col = -1, row = -1;
    MouseToCell(X - 6, Y, col, row);
    if (row == 0 && OnColumnSize) {
      bool allow = true;
      OnColumnSize(this, col, allow);
      if (!allow) State = gsNormal;
    }
  } else if (State == gsRowSizing) {
    int col = -1, row = -1;
    MouseToCell(X, Y - 6, col, row);
    if (col == 0 && OnRowSize) {
      bool allow = true;
      OnRowSize(this, row, allow);
      if (!allow) State = gsNormal;
    }
  }
  pendingSizeIndex_ = State == gsNormal ? -1 : Index;
}

void TExtStringGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TBaseGrid::MouseDown(Button, Shift, X, Y);
  const TGridState state = GridState();
  if (state == gsColSizing && pendingSizeIndex_ >= 0) {
    sizingCol_ = pendingSizeIndex_;
    sizingStart_ = ColWidths(sizingCol_);
    sizingWidths_.clear();
    for (int c = 0; c < ColCount(); ++c) sizingWidths_.push_back(ColWidths(c));
  } else if (state == gsRowSizing && pendingSizeIndex_ >= 0) {
    sizingRow_ = pendingSizeIndex_;
    sizingStart_ = RowHeights(sizingRow_);
    sizingWidths_.clear();
    for (int r = 0; r < RowCount(); ++r) sizingWidths_.push_back(RowHeights(r));
  }
}

void TExtStringGrid::ColumnSized(int ACol) {
  if (stretched_) StretchColumn(columnSize_->StretchColumn);
  // The others follow the sized column's proportion; a column sized from
  // width 0 gives no proportion.
  if (mouseActions_->AllColumnSize && sizingStart_ > 0) {
    const double scale = static_cast<double>(ColWidths(ACol)) / sizingStart_;
    for (int c = FixedCols(); c < ColCount() && c < static_cast<int>(sizingWidths_.size()); ++c)
      if (c != ACol)
        SetColWidths(c, static_cast<int>(std::lround(sizingWidths_[static_cast<size_t>(c)] * scale)));
  }
  if (OnEndColumnSize) OnEndColumnSize(this, ACol);
  int width = ColWidths(ACol);
  DoUpdateColumnSize(ACol, width);
  if (width != ColWidths(ACol)) SetColWidths(ACol, width);
  sizingCol_ = sizingRow_ = -1;
  UpdateFooter();
}

void TExtStringGrid::RowSized(int ARow) {
  if (mouseActions_->AllRowSize && sizingStart_ > 0) {
    const double scale = static_cast<double>(RowHeights(ARow)) / sizingStart_;
    for (int r = FixedRows(); r < RowCount() && r < static_cast<int>(sizingWidths_.size()); ++r)
      if (r != ARow)
        SetRowHeights(r, static_cast<int>(std::lround(sizingWidths_[static_cast<size_t>(r)] * scale)));
  }
  RowSizeNotify(ARow);
  sizingCol_ = sizingRow_ = -1;
}

void TExtStringGrid::RowSizeNotify(int ARow) {
  if (OnEndRowSize) OnEndRowSize(this, ARow);
  int height = RowHeights(ARow);
  DoUpdateRowSize(ARow, height);
  if (height != RowHeights(ARow)) SetRowHeights(ARow, height);
}

void TExtStringGrid::DoUpdateColumnSize(int ACol, int& AWidth) {
  if (OnUpdateColumnSize) OnUpdateColumnSize(this, ACol, AWidth);
}

// Row heights have no event of their own: the column-size event is asked
// with the row and its height.
void TExtStringGrid::DoUpdateRowSize(int ARow, int& AHeight) {
  if (OnUpdateColumnSize) OnUpdateColumnSize(this, ARow, AHeight);
}

// ---- column widths in the INI file or the registry ------------------------------------

bool TExtStringGrid::CanPersistSizes() const {
  return !columnSize_->Key.empty() && !columnSize_->Section.empty() &&
         !ComponentState().Contains(csDesigning);
}

std::unique_ptr<TCustomIniFile> TExtStringGrid::OpenSizeStore() const {
  if (columnSize_->Location == clIniFile) return std::make_unique<TIniFile>(columnSize_->Key);
  return std::make_unique<TRegistryIniFile>(columnSize_->Key);
}

void TExtStringGrid::SaveColumnSizes() {
  if (!CanPersistSizes()) return;
  auto store = OpenSizeStore();
  for (int c = 0; c < ColCount(); ++c)
    store->WriteInteger(columnSize_->Section, "Col" + std::to_string(c), ColWidths(c));
}

void TExtStringGrid::LoadColumnSizes() {
  if (!CanPersistSizes()) return;
  auto store = OpenSizeStore();
  for (int c = 0; c < ColCount(); ++c) {
    const int width = store->ReadInteger(columnSize_->Section, "Col" + std::to_string(c), DefaultColWidth());
    if (width != ColWidths(c)) SetColWidths(c, width);
  }
}

// ---- slots that ask the events ----------------------------------------------------------

void TExtStringGrid::IsFixedCell(int ACol, int ARow, bool& IsFixed) {
  if (!IsFixed)
    IsFixed = ACol < FixedCols() || ARow < FixedRows() || (FixedRowAlways && ARow == 0 && RowCount() == 1) ||
              (FixedColAlways && ACol == 0 && ColCount() == 1);
  if (!IsFixed && OnIsFixedCell) OnIsFixedCell(this, ARow, ACol, IsFixed);
}

bool TExtStringGrid::CellIsFixed(int ACol, int ARow) {
  bool fixed = false;
  IsFixedCell(RealColIndex(ACol), ARow, fixed);
  return fixed;
}

bool TExtStringGrid::CanEditCell(int ACol, int ARow) {
  const TPoint base = BaseCell(ACol, ARow);
  bool canEdit = true;
  if (OnCanEditCell) OnCanEditCell(this, base.Y, base.X, canEdit);
  return canEdit;
}

bool TExtStringGrid::IsPasswordCell(int ACol, int ARow) {
  bool password = false;
  if (OnIsPasswordCell) OnIsPasswordCell(this, ARow, ACol, password);
  return password;
}

AnsiString TExtStringGrid::GetCheckTrue(int ACol, int ARow) {
  AnsiString value = "Y";
  if (OnGetCheckTrue) OnGetCheckTrue(this, ACol, ARow, value);
  return value;
}

AnsiString TExtStringGrid::GetCheckFalse(int ACol, int ARow) {
  AnsiString value = "N";
  if (OnGetCheckFalse) OnGetCheckFalse(this, ACol, ARow, value);
  return value;
}

TEditorType TExtStringGrid::GetCellEditor(int ACol, int ARow) {
  TEditorType editor = edNormal;
  if (OnGetEditorType) OnGetEditorType(this, ACol, ARow, editor);
  return editor;
}

void TExtStringGrid::GetCellAlignment(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign) {
  if (OnGetAlignment) OnGetAlignment(this, ARow, ACol, HAlign, VAlign);
}

void TExtStringGrid::CellAlignment(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign) {
  HAlign = taLeftJustify;
  VAlign = vAlignment_;
  if (AutoNumAlign) {
    AnsiString text = GetCellText(ACol, ARow);
    if (!text.empty() && text[0] == '=') text = GetCellTextForSort(ACol, ARow);
    if (ClassifyNumberText(text) != 2) HAlign = taRightJustify;
  }
  if (const TCellProperties* props = FindCellProperties(ACol, ARow)) HAlign = props->Alignment;
  GetCellAlignment(ACol, ARow, HAlign, VAlign);
}

void TExtStringGrid::GetGridHint(int ARow, int ACol, AnsiString& HintStr) {
  if (OnGridHint) OnGridHint(this, ARow, ACol, HintStr);
}

void TExtStringGrid::DoEllipsClick(AnsiString& S) {
  if (OnEllipsClick) OnEllipsClick(this, RealColIndex(Col()), Row(), S);
}

void TExtStringGrid::CellsChanged(const TRect& R) {
  if (OnCellsChanged) OnCellsChanged(this, R);
  // A link may unlink itself (or another) while it is told: each is told
  // once, and only while it is still linked.
  const std::vector<TGridCellsLink*> links = cellsLinks_;
  for (TGridCellsLink* link : links)
    if (std::find(cellsLinks_.begin(), cellsLinks_.end(), link) != cellsLinks_.end())
      link->CellsChanged(*this, R);
  RecalcAllFooters();
}

// ---- linked objects -------------------------------------------------------------------

TGridCellsLink::~TGridCellsLink() { SetGrid(nullptr); }

void TGridCellsLink::SetGrid(TExtStringGrid* Grid) {
  if (grid_ == Grid) return;
  if (grid_) std::erase(grid_->cellsLinks_, this);
  grid_ = Grid;
  if (grid_) grid_->cellsLinks_.push_back(this);
}

void TExtStringGrid::GetCellColor(int ACol, int ARow, TGridDrawState AState, TBrush& ABrush, TFont& AFont) {
  if (activeCellShow_) {
    const int displCol = DisplColIndex(ACol);
    if ((displCol == 0 && ARow == Row() && FixedCols() > 0) ||
        (ARow == 0 && displCol == Col() && FixedRows() >= 1)) {
      AFont.Assign(activeCellFont_);
      ABrush.Color = activeCellColor_;
    }
  }
  ApplyCellLook(ACol, ARow, ABrush, AFont);
  if (OnGetCellColor) OnGetCellColor(this, ARow, ACol, AState, ABrush, AFont);
}
