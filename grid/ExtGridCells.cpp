// Typed cell values, cell graphics, the disjunct row and column selection,
// the fixed-cell headers and the filter.

#include <charconv>
#include <cmath>

#include "grid/ComponentLink.h"
#include "grid/ExtGrid.h"
#include "grid/ExtObj.h"
#include "grid/GridUtil.h"
#include "grid/PictureContainer.h"
#include "grid/esgcheck.h"

namespace {

// A whole text as a decimal number with "." as the point, as the text
// shaping leaves it; a sign may lead.
bool ParsePlainNumber(const AnsiString& text, double& value) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (*first == '+') ++first;
  if (first == last) return false;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
  return error == std::errc() && end == last && std::isfinite(value);
}

// The item of a radio group after its current one, wrapping to the first;
// a group without an index of its own is at the item its text names.
int RadioItemAfter(const TCellGraphic& g, const TStrings& choices, const AnsiString& text) {
  const int current = g.CellIndex >= 0 ? g.CellIndex : choices.IndexOf(text);
  return current + 1 >= choices.Count() || current < 0 ? 0 : current + 1;
}

}  // namespace

// ---- values -----------------------------------------------------------------------------

int TExtStringGrid::GetCellInteger(int ACol, int ARow) {
  AnsiString text = GetCellText(ACol, ARow);
  if (text.empty()) text = "0";
  // The text is taken as it is: blanks around it make it no integer.
  int value = 0;
  if (static_cast<unsigned char>(text.front()) <= ' ' || !TryStrToInt(text, value))
    throw EExtGridError("Cell does not contain integer value");
  return value;
}

void TExtStringGrid::SetCellInteger(int ACol, int ARow, int Value) {
  SetCellText(ACol, ARow, std::to_string(Value));
}

double TExtStringGrid::GetCellFloat(int ACol, int ARow) {
  const AnsiString text = GetCellText(ACol, ARow);
  if (Trim(text).empty()) return 0;
  double value = 0;
  if (!ParsePlainNumber(NormalizeNumberText(text), value))
    throw EExtGridError("Cell does not contain a float value");
  return value;
}

void TExtStringGrid::SetCellFloat(int ACol, int ARow, double Value) {
  SetCellText(ACol, ARow, Format(FloatFormat, {Value}));
}

void TExtStringGrid::SetCellDate(int ACol, int ARow, TDateTime Value) {
  if ((!(Value > 0)) && !ShowZeroDates) {
    SetCellText(ACol, ARow, "");
    return;
  }
  SetCellText(ACol, ARow, DateToStr(Value));
}

// ---- cell graphics -----------------------------------------------------------------------

TCellGraphic* TExtStringGrid::GetCellGraphic(int ACol, int ARow) {
  return dynamic_cast<TCellGraphic*>(GetGraphicObject(ACol, ARow));
}

TCellType TExtStringGrid::GetCellType(int ACol, int ARow) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  return g ? g->CellType : ctEmpty;
}

TCellGraphic* TExtStringGrid::CreateCellGraphic(int ACol, int ARow) {
  RemoveCellGraphic(ACol, ARow);
  auto* g = new TCellGraphic;
  SetGraphicObject(ACol, ARow, g);
  return g;
}

bool TExtStringGrid::RemoveCellGraphic(int ACol, int ARow) {
  TCellGraphicObject* obj = GetGraphicObject(ACol, ARow);
  if (!obj) return false;
  if (auto* g = dynamic_cast<TCellGraphic*>(obj); g && g->CellType == ctNode) --nodeCount_;
  if (!obj->SharedByCells()) delete obj;
  SetGraphicObject(ACol, ARow, nullptr);
  return true;
}

void TExtStringGrid::AddCheckBox(int ACol, int ARow, bool State, bool Data) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = Data ? ctDataCheckBox : ctCheckBox;
  g->CellBoolean = State;
  if (Data) SetCellText(ACol, ARow, State ? GetCheckTrue(ACol, ARow) : GetCheckFalse(ACol, ARow));
  RepaintCell(ACol, ARow);
}

void TExtStringGrid::AddRadio(int ACol, int ARow, bool DirRadio, const TStrings& Choices, int Index) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  auto* list = new TCellStrings;
  list->List.Assign(Choices);
  g->CellType = ctRadio;
  g->CellObject1 = list;
  g->CellCreated = true;
  g->CellBoolean = DirRadio;
  g->CellIndex = Index;
  RepaintCell(ACol, ARow);
}

void TExtStringGrid::AddComment(int ACol, int ARow, const AnsiString& Comment) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctComment;
  g->CellText = Comment;
  RepaintCell(ACol, ARow);
}

bool TExtStringGrid::HasCheckBox(int ACol, int ARow) {
  const TPoint b = BaseCell(ACol, ARow);
  const TCellType t = GetCellType(b.X, b.Y);
  return t == ctCheckBox || t == ctDataCheckBox || t == ctVirtCheckBox;
}

bool TExtStringGrid::HasCheckBoxOrRadio(int ACol, int ARow) {
  const TPoint b = BaseCell(ACol, ARow);
  return HasCheckBox(ACol, ARow) || GetCellType(b.X, b.Y) == ctRadio;
}

bool TExtStringGrid::GetCheckBoxState(int ACol, int ARow, bool& State) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return false;
  switch (g->CellType) {
    case ctCheckBox:
      State = g->CellBoolean;
      return true;
    case ctDataCheckBox:
    case ctVirtCheckBox:
      State = GetCellText(ACol, ARow) == GetCheckTrue(ACol, ARow);
      return true;
    default:
      return false;
  }
}

bool TExtStringGrid::SetCheckBoxState(int ACol, int ARow, bool State) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return false;
  if (g->CellType == ctCheckBox) {
    g->CellBoolean = State;
  } else if (g->CellType == ctDataCheckBox || g->CellType == ctVirtCheckBox) {
    SetCellText(ACol, ARow, State ? GetCheckTrue(ACol, ARow) : GetCheckFalse(ACol, ARow));
  } else {
    return false;
  }
  RepaintCell(ACol, ARow);
  return true;
}

bool TExtStringGrid::ToggleCheckBox(int ACol, int ARow, bool AskEdit) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || (g->CellType != ctCheckBox && g->CellType != ctDataCheckBox && g->CellType != ctVirtCheckBox))
    return false;
  if (AskEdit && !CanEditCell(ACol, ARow)) return false;
  if (g->CellType == ctCheckBox) {
    g->CellBoolean = !g->CellBoolean;
  } else {
    const AnsiString yes = GetCheckTrue(ACol, ARow);
    SetCellText(ACol, ARow, GetCellText(ACol, ARow) != yes ? yes : GetCheckFalse(ACol, ARow));
  }
  RepaintCellDispl(DisplColIndex(ACol), ARow);
  return true;
}

void TExtStringGrid::SetCellGraphicBoolean(int ACol, int ARow, bool Value) {
  if (TCellGraphic* g = GetCellGraphic(RealColIndex(ACol), ARow)) {
    g->CellBoolean = Value;
    RepaintCellDispl(ACol, ARow);
  }
}

bool TExtStringGrid::IsRadio(int ACol, int ARow) {
  const TPoint b = BaseCell(ACol, ARow);
  return GetCellType(b.X, b.Y) == ctRadio;
}

bool TExtStringGrid::GetRadioIdx(int ACol, int ARow, int& Idx) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || g->CellType != ctRadio) return false;
  Idx = g->CellIndex;
  return true;
}

TStrings* TExtStringGrid::GetRadioChoices(int ACol, int ARow) {
  const TPoint b = BaseCell(ACol, ARow);
  const TCellGraphic* g = GetCellGraphic(b.X, b.Y);
  if (!g || g->CellType != ctRadio) return nullptr;
  auto* list = dynamic_cast<TCellStrings*>(g->CellObject1);
  return list ? &list->List : nullptr;
}

bool TExtStringGrid::ToggleRadio(int ACol, int ARow, bool AskEdit) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || g->CellType != ctRadio) return false;
  if (AskEdit && !CanEditCell(ACol, ARow)) return false;
  TStrings* choices = GetRadioChoices(ACol, ARow);
  if (!choices || choices->Count() == 0) return false;
  const int next = RadioItemAfter(*g, *choices, GetCellText(ACol, ARow));
  if (g->CellIndex >= 0) g->CellIndex = next;
  SetCellText(ACol, ARow, choices->Strings(next));
  RepaintCell(ACol, ARow);
  return true;
}

int TExtStringGrid::NextRadioItem(int ACol, int ARow) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  const TStrings* choices = GetRadioChoices(ACol, ARow);
  if (!g || !choices || choices->Count() == 0) return -1;
  const int next = RadioItemAfter(*g, *choices, GetCellText(ACol, ARow));
  ChooseRadioItem(*g, ACol, ARow, *choices, next);
  return next;
}

void TExtStringGrid::ChooseRadioItem(TCellGraphic& g, int ACol, int ARow, const TStrings& choices,
                                     int Index) {
  // As a click on an item: a group with an index of its own keeps the
  // cell's text, the others hold the item in it.
  if (g.CellIndex >= 0)
    g.CellIndex = Index;
  else
    SetCellText(ACol, ARow, choices[Index]);
}

bool TExtStringGrid::GetRotated(int ACol, int ARow, int& Angle) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || g->CellType != ctRotated) return false;
  Angle = g->CellAngle;
  return true;
}

bool TExtStringGrid::IsComment(int ACol, int ARow, AnsiString& Comment) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || g->CellType != ctComment) return false;
  Comment = g->CellText;
  return true;
}

void TExtStringGrid::GetCellError(int ACol, int ARow, int& From, int& Len) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  From = g ? g->CellErrFrom : 0;
  Len = g ? g->CellErrLen : 0;
}

bool TExtStringGrid::IsButton(int ACol, int ARow) {
  const TPoint b = BaseCell(ACol, ARow);
  const TCellType t = GetCellType(b.X, b.Y);
  return t == ctButton || t == ctBitButton;
}

TRect TExtStringGrid::GetButtonRect(int ACol, int ARow) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || (g->CellType != ctButton && g->CellType != ctBitButton)) return {};
  const TRect cell = MergedCellRect(ACol, ARow);
  const auto offset = static_cast<unsigned>(std::lround(g->CellValue));
  const auto size = static_cast<unsigned>(g->CellIndex);
  TRect r = Bounds(cell.Left + static_cast<int>(offset & 0xFFFF), cell.Top + static_cast<int>(offset >> 16),
                   static_cast<int>(size & 0xFFFF), static_cast<int>(size >> 16));
  if (g->CellVAlign == vaFull) {
    r.Top = cell.Top;
    r.Bottom = cell.Bottom;
  }
  if (g->CellHAlign == haFull) {
    r.Left = cell.Left;
    r.Right = cell.Right;
  }
  return r;
}

std::vector<int>* TExtStringGrid::GetImageIndexList(int ACol, int ARow) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || g->CellType != ctImages) return nullptr;
  auto* list = dynamic_cast<TCellIntList*>(g->CellObject1);
  return list ? &list->List : nullptr;
}

std::intptr_t TExtStringGrid::GetGraphicHandle(int ACol, int ARow) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return -1;
  switch (g->CellType) {
    case ctBitmap:
      return reinterpret_cast<std::intptr_t>(g->CellBitmap);
    case ctIcon:
      return reinterpret_cast<std::intptr_t>(g->CellIcon);
    case ctImageList:
      return g->CellIndex;
    default:
      return -1;
  }
}

TPoint TExtStringGrid::CellPictureSize(int ACol, int ARow) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return {0, 0};
  if (g->CellType == ctPicture && g->CellPicture && g->CellPicture->Graphic())
    return {g->CellPicture->Width(), g->CellPicture->Height()};
  // A file picture counts the size read when its file was assigned.
  if (const auto* file = dynamic_cast<const TFilePicture*>(g->CellObject1);
      g->CellType == ctFilePicture && file)
    return {file->Width, file->Height};
  return {0, 0};
}

TPoint FitPictureInCell(int Mode, int Margin, TPoint Cell, TPoint Picture) {
  const TPoint room{Cell.X - Margin, Cell.Y - Margin};
  // Scaled by the smaller ratio, the limiting side taking the room's length.
  auto scaled = [&](bool shrinkOnly) {
    double ratioX = Picture.X < 1 ? 1.0 : static_cast<double>(room.X) / Picture.X;
    double ratioY = Picture.Y < 1 ? 1.0 : static_cast<double>(room.Y) / Picture.Y;
    if (shrinkOnly) ratioX = std::min(ratioX, 1.0), ratioY = std::min(ratioY, 1.0);
    if (ratioX <= ratioY) return TPoint{room.X, static_cast<int>(std::lround(Picture.Y * ratioX))};
    return TPoint{static_cast<int>(std::lround(Picture.X * ratioY)), room.Y};
  };
  switch (Mode) {
    case 1:
      return room;
    case 2:
      return scaled(false);
    case 3:
      if (Picture.X > room.X) return room;
      return Picture.Y <= room.Y ? Picture : room;
    case 4:
      if (Picture.X <= room.X && Picture.Y <= room.Y) return Picture;
      return scaled(true);
    default:
      return Picture;
  }
}

TPoint TExtStringGrid::GetCellGraphicSize(int ACol, int ARow) {
  const int displCol = DisplColIndex(ACol);
  const int cellWidth = displCol >= 0 && displCol < ColCount() ? ColWidths(displCol) : 0;
  return GraphicSize(ACol, ARow, false, 1.0, cellWidth, RowHeights(ARow));
}

void TExtStringGrid::GetCellGraphicPrintSize(int ACol, int ARow, TPoint& Size, double Scale, int W, int H) {
  Size = GraphicSize(ACol, ARow, true, Scale, W, H);
}

TPoint TExtStringGrid::GraphicSize(int ACol, int ARow, bool Printing, double Scale, int W, int H) {
  const TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return {0, 0};
  // A graphic beside the text (or in an empty cell) takes its width; one
  // drawn over or under the text takes none.
  auto besideText = [&] {
    return g->CellHAlign == haBeforeText || g->CellHAlign == haAfterText || GetCellText(ACol, ARow).empty();
  };
  auto picture = [&](const TGraphic* graphic) -> TPoint {
    if (!graphic || graphic->Empty()) return {0, 0};
    return {Printing || besideText() ? graphic->Width() : 0, graphic->Height()};
  };
  switch (g->CellType) {
    case ctBitmap:
      return picture(g->CellBitmap);
    case ctIcon:
      return picture(g->CellIcon);
    case ctImageList:
    case ctDataImage:
      if (!gridImages_) return {0, 0};
      return {(Printing && g->CellType == ctDataImage) || besideText() ? gridImages_->Width() : 0,
              gridImages_->Height()};
    case ctImages: {
      const std::vector<int>* list = GetImageIndexList(ACol, ARow);
      if (!gridImages_ || !list) return {0, 0};
      const int count = static_cast<int>(list->size());
      if (g->CellBoolean) return {count * gridImages_->Width(), gridImages_->Height()};
      return {gridImages_->Width(), count * gridImages_->Height()};
    }
    case ctPicture:
    case ctFilePicture: {
      const TPoint own = CellPictureSize(ACol, ARow);
      if (own.X <= 0 || own.Y <= 0) return {0, 0};
      const TPoint fitted = FitPictureInCell(g->CellAngle, g->CellIndex, {W, H}, own);
      if (!Printing || Scale == 0) return fitted;
      return {static_cast<int>(std::lround(fitted.X / Scale)),
              static_cast<int>(std::lround(fitted.Y / Scale))};
    }
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
      return {controlLook_->CheckSize(), controlLook_->CheckSize()};
    case ctRadio: {
      const TStrings* choices = GetRadioChoices(ACol, ARow);
      TCanvas& canvas = Canvas();
      canvas.Font->Assign(Font());
      const int lineHeight = canvas.TextHeight("gh");
      const int count = choices ? choices->Count() : 0;
      if (g->CellBoolean) {
        int width = 0;
        for (int i = 0; i < count; ++i) width += canvas.TextWidth(choices->Strings(i)) + 12;
        return {width, lineHeight};
      }
      int widest = 0;
      for (int i = 0; i < count; ++i) widest = std::max(widest, canvas.TextWidth(choices->Strings(i)));
      return {std::max(12, widest + 12), lineHeight * count};
    }
    case ctButton:
    case ctBitButton:
      return {g->CellIndex & 0xFFFF, static_cast<int>(static_cast<unsigned>(g->CellIndex) >> 16)};
    case ctProgressPie:
      return {20, 20};
    default:
      return {0, 0};
  }
}

void TExtStringGrid::SetGridImages(TCustomImageList* v) {
  if (gridImages_ == v) return;
  LinkComponent(*this, gridImages_, v);
  Invalidate();
}

void TExtStringGrid::SetPictureContainer(TPictureContainer* v) {
  if (pictureContainer_ == v) return;
  LinkComponent(*this, pictureContainer_, v);
  Invalidate();
}

void TExtStringGrid::SetCellChecker(TExtStringGridCheck* v) { LinkComponent(*this, cellChecker_, v); }

void TExtStringGrid::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove) {
    ForgetFreed(gridImages_, AComponent);
    ForgetFreed(pictureContainer_, AComponent);
    ForgetFreed(cellChecker_, AComponent);
  }
  TBaseGrid::Notification(AComponent, Operation);
}

// ---- editing rules -------------------------------------------------------------------------

bool TExtStringGrid::CellEditable(int ACol, int ARow) {
  if (!Options().Contains(goEditing) && !mouseActions_->RangeSelectAndEdit && !editSwitch_) return false;
  if (!IsBaseCell(ACol, ARow)) return false;
  bool fixed = false;
  IsFixedCell(ACol, ARow, fixed);
  return CanEditCell(ACol, ARow) && !fixed;
}

// ---- disjunct selection ------------------------------------------------------------------------

bool TExtStringGrid::RowSelect(int ARow) {
  if (ARow < 0 || ARow >= RowCount()) throw EExtGridError("Invalid row accessed");
  if (static_cast<int>(rowSelect_.size()) <= ARow) rowSelect_.resize(static_cast<size_t>(ARow) + 1, false);
  return rowSelect_[static_cast<size_t>(ARow)];
}

void TExtStringGrid::SetRowSelect(int ARow, bool Value) {
  if (RowSelect(ARow) == Value) return;
  rowSelect_[static_cast<size_t>(ARow)] = Value;
  RepaintRow(ARow);
}

bool TExtStringGrid::ColSelect(int ACol) {
  if (ACol < 0 || ACol >= ColCount()) throw EExtGridError("Invalid column accessed");
  if (static_cast<int>(colSelect_.size()) <= ACol) colSelect_.resize(static_cast<size_t>(ACol) + 1, false);
  return colSelect_[static_cast<size_t>(ACol)];
}

void TExtStringGrid::SetColSelect(int ACol, bool Value) {
  if (ColSelect(ACol) == Value) return;
  colSelect_[static_cast<size_t>(ACol)] = Value;
  RepaintCol(ACol);
}

bool TExtStringGrid::IsCellSelected(int ACol, int ARow) {
  if (ACol < FixedCols() || ARow < FixedRows()) return false;
  if (mouseActions_->DisjunctRowSelect()) return ARow < RowCount() && RowSelect(ARow);
  if (mouseActions_->DisjunctColSelect()) return ACol < ColCount() && ColSelect(ACol);
  const TGridRect sel = Selection();
  return ACol >= sel.Left && ACol <= sel.Right && ARow >= sel.Top && ARow <= sel.Bottom;
}

void TExtStringGrid::ClearRowSelect() {
  for (size_t r = 0; r < rowSelect_.size(); ++r)
    if (rowSelect_[r]) {
      rowSelect_[r] = false;
      if (static_cast<int>(r) < RowCount()) RepaintRow(static_cast<int>(r));
    }
}

void TExtStringGrid::ClearColSelect() {
  for (size_t c = 0; c < colSelect_.size(); ++c)
    if (colSelect_[c]) {
      colSelect_[c] = false;
      if (static_cast<int>(c) < ColCount()) RepaintCol(static_cast<int>(c));
    }
}

void TExtStringGrid::SelectToRowSelect(bool All) {
  const TGridRect sel = Selection();
  for (int r = FixedRows(); r < RowCount(); ++r) {
    const bool inside = r >= sel.Top && r <= sel.Bottom;
    if (inside)
      SetRowSelect(r, true);
    else if (All)
      SetRowSelect(r, false);
  }
}

void TExtStringGrid::SelectToColSelect(bool All) {
  const TGridRect sel = Selection();
  for (int c = FixedCols(); c < ColCount(); ++c) {
    const bool inside = c >= sel.Left && c <= sel.Right;
    if (inside)
      SetColSelect(c, true);
    else if (All)
      SetColSelect(c, false);
  }
}

// ---- headers -----------------------------------------------------------------------------------

void TExtStringGrid::WriteColumnHeaders() {
  if (FixedRows() <= 0) return;
  for (int i = 0; i < columnHeaders_.Count() && i < ColCount(); ++i)
    SetCellText(i, 0, ExpandNewlineEscapes(columnHeaders_[i]));
}

void TExtStringGrid::WriteRowHeaders() {
  if (FixedCols() <= 0) return;
  for (int i = 0; i < rowHeaders_.Count() && i < RowCount(); ++i) SetCellText(0, i, rowHeaders_[i]);
}

void TExtStringGrid::SetColumnHeaders(const TStrings& v) {
  if (FixedRows() > 0)
    for (int c = 0; c < ColCount(); ++c) SetCellText(c, 0, "");
  columnHeaders_.Assign(v);
}

void TExtStringGrid::SetRowHeaders(const TStrings& v) {
  if (ComponentState().Contains(csDesigning) && FixedCols() > 0)
    for (int r = 0; r < RowCount(); ++r) SetCellText(0, r, "");
  rowHeaders_.Assign(v);
}

// ---- filter --------------------------------------------------------------------------------------

bool TExtStringGrid::MatchFilter(int ARow) {
  for (int i = 0; i < filter_->Count(); ++i) {
    const TFilterData& item = filter_->GetItem(i);
    if (!MatchFilterExpression(item.Condition, GetCellText(item.Column, ARow), item.CaseSensitive))
      return false;
  }
  return true;
}

void TExtStringGrid::ApplyFilter() {
  const int total = RowCount() - fixedFooters_ - FixedRows();
  int examined = 0;
  int runStart = -1, runEnd = -1;  // real indexes of failing rows
  auto report = [&] {
    ++examined;
    if (OnFilterProgress && total > 0)
      OnFilterProgress(this, static_cast<SmallInt>(std::lround(examined * 100.0 / total)));
  };
  int r = FixedRows();
  while (r < RowCount() - fixedFooters_) {
    if (!MatchFilter(r)) {
      const int real = RealRowIndex(r);
      if (runStart < 0) runStart = real;
      runEnd = real;
      ++r;
    } else if (runStart >= 0) {
      // The passing row moves up to where the run began.
      HideRowRange(runStart, runEnd);
      r = DisplRowIndex(runStart) + 1;
      runStart = runEnd = -1;
    } else {
      ++r;
    }
    report();
  }
  if (runStart >= 0) HideRowRange(runStart, runEnd);
}

void TExtStringGrid::SetFilterActive(bool v) {
  if (v == filterActive_) return;
  if (v) {
    filterActive_ = true;
    filterFixedRows_ = FixedRows();
    BeginUpdate();
    ApplyFilter();
    EndUpdate();
    // The grid keeps one scrollable row when nothing passes.
    if (RowCount() <= fixedFooters_ + filterFixedRows_ && !FixedRowAlways) {
      TBaseGrid::SetRowCount(RowCount() + 1);
      SetDisplTextRowLimit(RowCount());
      if (filterFixedRows_ < RowCount()) SetFixedRows(filterFixedRows_);
      filterAddedRow_ = true;
    }
  } else {
    filterActive_ = false;
    // The placeholder row goes only while it is still empty.
    if (filterAddedRow_ && RowCount() == FixedRows() + fixedFooters_ + 1) {
      const int row = FixedRows();
      bool empty = true;
      for (int c = 0; c < StoreColCount(row) && empty; ++c)
        empty = GetCellDirect(c, row).empty() && !GetCellObjectDirect(c, row);
      if (empty) RemoveRows(row, 1);
    }
    filterAddedRow_ = false;
    UnHideRowsAll();
    if (filterFixedRows_ >= 0 && filterFixedRows_ < RowCount()) SetFixedRows(filterFixedRows_);
    filterFixedRows_ = -1;
  }
}
