// The grid's option groups, its collections and the cell graphic.

#include "grid/ExtGrid.h"
#include "platform/ui/Clipbrd.h"

UINT GridCellsClipboardFormat() {
  static const UINT format = RegisterClipboardFormat("TExtStringGrid Cells");
  return format;
}

void AssignBitmap(TBitmap& Target, const TBitmap& Source) {
  if (&Target == &Source) return;
  if (Source.Empty())
    Target.SetSize(0, 0);
  else
    Target.Assign(Source.Pixels());
  Target.TransparentColor = Source.TransparentColor;
  Target.PixelFormat = Source.PixelFormat;
}

// ---- TColumnSize, TMouseActions, TCellNode ------------------------------------------

void TColumnSize::SetStretch(bool v) {
  stretch_ = v;
  grid_->StretchColumn(StretchColumn);
}

bool TMouseActions::Designing() const { return grid_->ComponentState().Contains(csDesigning); }

void TMouseActions::SetDisjunctRowSelect(bool v) {
  disjunctRow_ = v;
  if (v && Designing()) disjunctCol_ = disjunctCell_ = false;
}

void TMouseActions::SetDisjunctColSelect(bool v) {
  disjunctCol_ = v;
  if (v && Designing()) disjunctRow_ = disjunctCell_ = false;
}

void TMouseActions::SetDisjunctCellSelect(bool v) {
  disjunctCell_ = v;
  if (v && Designing()) disjunctRow_ = disjunctCol_ = false;
}

void TCellNode::SetNodeType(TNodeType v) {
  if (v == nodeType_) return;
  nodeType_ = v;
  grid_->Invalidate();
}

void TCellNode::SetShowTree(bool v) {
  if (v == showTree_) return;
  showTree_ = v;
  grid_->Invalidate();
}

// ---- TBands ------------------------------------------------------------------------

void TBands::Changed() {
  if (active_) grid_->Invalidate();
}

void TBands::SetActive(bool v) {
  active_ = v;
  grid_->Invalidate();
}

void TBands::SetPrimaryColor(TColor v) {
  primaryColor_ = v;
  Changed();
}

void TBands::SetSecondaryColor(TColor v) {
  secondaryColor_ = v;
  Changed();
}

void TBands::SetPrimaryLength(int v) {
  primaryLength_ = v;
  period_ = primaryLength_ + secondaryLength_;
  Changed();
}

void TBands::SetSecondaryLength(int v) {
  secondaryLength_ = v;
  period_ = primaryLength_ + secondaryLength_;
  Changed();
}

TColor TBands::RowColor(int RowFromFirstData) const {
  if (period_ <= 0) return primaryColor_;
  int phase = RowFromFirstData % period_;
  if (phase < 0) phase += period_;
  return phase < primaryLength_ ? primaryColor_ : secondaryColor_;
}

// ---- TBackGround ---------------------------------------------------------------------

void TBackGround::Changed() { grid_->Invalidate(); }

void TBackGround::SetTop(int v) {
  top_ = v;
  Changed();
}

void TBackGround::SetLeft(int v) {
  left_ = v;
  Changed();
}

void TBackGround::SetDisplay(TBackGroundDisplay v) {
  display_ = v;
  Changed();
}

void TBackGround::SetCells(TBackGroundCells v) {
  cells_ = v;
  Changed();
}

void TBackGround::SetBitmap(const TBitmap& v) {
  AssignBitmap(bitmap_, v);
  Changed();
}

// ---- TSortSettings ---------------------------------------------------------------------

void TSortSettings::SetRow(int v) {
  if (v > grid_->FixedRows()) throw Exception("Sort row should be smaller than number of fixed rows");
  row_ = v;
}

// ---- TControlLook ----------------------------------------------------------------------

void TControlLook::Changed() { grid_->Invalidate(); }

void TControlLook::SetColor(TColor v) {
  color_ = v;
  Changed();
}

void TControlLook::SetCheckSize(int v) {
  checkSize_ = v;
  Changed();
}

void TControlLook::SetRadioSize(int v) {
  radioSize_ = v;
  Changed();
}

void TControlLook::SetControlStyle(TCellControlStyle v) {
  controlStyle_ = v;
  Changed();
}

void TControlLook::SetFlatButton(bool v) {
  flatButton_ = v;
  Changed();
}

void TControlLook::SetCheckedGlyph(const TBitmap& v) {
  AssignBitmap(checked_, v);
  Changed();
}

void TControlLook::SetUnCheckedGlyph(const TBitmap& v) {
  AssignBitmap(unchecked_, v);
  Changed();
}

void TControlLook::SetRadioOnGlyph(const TBitmap& v) {
  AssignBitmap(radioOn_, v);
  Changed();
}

void TControlLook::SetRadioOffGlyph(const TBitmap& v) {
  AssignBitmap(radioOff_, v);
  Changed();
}

// ---- TFloatingFooter ------------------------------------------------------------------

void TFloatingFooter::UpdateGrid() {
  grid_->SetFooterRowFlag(footerStyle_ == fsFixedLastRow && visible_);
  grid_->Invalidate();
  grid_->UpdateFooter();
}

void TFloatingFooter::SetColor(TColor v) {
  color_ = v;
  grid_->UpdateFooter();
}

void TFloatingFooter::SetColumn(int v) {
  column_ = v;
  grid_->UpdateFooter();
}

void TFloatingFooter::SetCustomTemplate(const AnsiString& v) {
  customTemplate_ = v;
  grid_->UpdateFooter();
}

void TFloatingFooter::SetFooterStyle(TFooterStyle v) {
  footerStyle_ = v;
  UpdateGrid();
}

void TFloatingFooter::SetVisible(bool v) {
  visible_ = v;
  grid_->SetFixedFooters(v ? 1 : 0);
  UpdateGrid();
}

// ---- TFilter ---------------------------------------------------------------------------

TFilterData& TFilter::GetItem(int index) const {
  if (index < 0 || index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return *items_[static_cast<size_t>(index)];
}

TFilterData& TFilter::Add() {
  items_.push_back(std::make_unique<TFilterData>());
  return *items_.back();
}

void TFilter::Delete(int index) {
  GetItem(index);
  items_.erase(items_.begin() + index);
}

// ---- TCellGraphic ----------------------------------------------------------------------

TCellGraphic::~TCellGraphic() {
  switch (CellType) {
    case ctBitmap:
    case ctBitButton:
      if (CellCreated) delete CellBitmap;
      break;
    case ctPicture:
      if (CellCreated) delete CellPicture;
      break;
    case ctRadio:
    case ctFilePicture:
      if (CellCreated) delete CellObject1;
      break;
    case ctIcon:
      if (CellCreated) delete CellIcon;
      break;
    case ctImages:
      delete CellObject1;  // the index list is always the graphic's own
      break;
    default:
      break;
  }
}

void TCellGraphic::Assign(const TCellGraphic& source) {
  CellType = source.CellType;
  CellVAlign = source.CellVAlign;
  CellHAlign = source.CellHAlign;
  CellIndex = source.CellIndex;
  CellTransparent = source.CellTransparent;
  CellValue = source.CellValue;
  CellAngle = source.CellAngle;
  CellBoolean = source.CellBoolean;
  CellErrFrom = source.CellErrFrom;
  CellErrLen = source.CellErrLen;
  CellText = source.CellText;
  CellCreated = source.CellCreated;
  ProgressColor = source.ProgressColor;
  ProgressBackColor = source.ProgressBackColor;
}
