// The grid's small objects: arrow marker windows, the caption button, the
// reporting integer list and the picture known by its file name.

#include "grid/ExtObj.h"

#include "platform/gfx/Picture.h"
#include "platform/rtl/Classes.h"

// ---- TArrowWindow ---------------------------------------------------------------------

TArrowWindow::TArrowWindow(TWinControl* AOwner, int Direction) : TPanel(AOwner), direction_(Direction) {
  SetColor(clLime);
  SetVisible(false);
  SetParent(AOwner);
  // The shape belongs to the control, so a window made later or anew
  // keeps it.
  const TRegion shape = CreatePolygonRgn(ArrowPolygon(direction_), WINDING);
  SetWindowRgn(&shape, false);
}

std::vector<TPoint> TArrowWindow::ArrowPolygon(int Direction) {
  switch (Direction) {
    case 1:
      return {{3, 0}, {7, 0}, {7, 4}, {9, 4}, {5, 8}, {1, 4}, {3, 4}};
    case 2:
      return {{0, 3}, {0, 7}, {4, 7}, {4, 10}, {8, 5}, {4, 0}, {4, 3}};
    case 3:
      return {{0, 5}, {4, 10}, {4, 7}, {8, 7}, {8, 3}, {4, 3}, {4, 0}};
    default:
      return {{5, 0}, {10, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {0, 5}};
  }
}

// ---- TPopupButton -----------------------------------------------------------------------

TPopupButton::TPopupButton(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clBtnFace);
  SetEnabled(false);
}

void TPopupButton::SetCaption(const AnsiString& v) {
  caption_ = v;
  Invalidate();
}

void TPopupButton::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TPopupButton::CreateWnd() {
  TCustomControl::CreateWnd();
  BringToFront();
}

void DrawPopupButtonFace(TCanvas& canvas, const TRect& r, const AnsiString& caption, bool flat) {
  if (!flat) {
    canvas.Pen->Width = 1;
    canvas.Pen->Color = clWhite;
    canvas.MoveTo(r.Left, r.Bottom - 1);
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(r.Right - 1, r.Top);
    canvas.Pen->Color = clGray;
    canvas.LineTo(r.Right - 1, r.Bottom - 1);
    canvas.LineTo(r.Left, r.Bottom - 1);
  }
  canvas.Brush->Style = bsClear;
  TRect text = r;
  canvas.DrawText(caption, text, DT_CENTER | DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
}

void TPopupButton::Paint() { DrawPopupButtonFace(Canvas(), ClientRect(), caption_, flat_); }

// ---- TIntList ---------------------------------------------------------------------------

void TIntList::Changed() {
  if (OnChange) OnChange(this, param1_, param2_);
}

void TIntList::SetInteger(int Index, int Value) {
  items_.at(static_cast<size_t>(Index)) = Value;
  Changed();
}

int TIntList::Add(int Value) {
  items_.push_back(Value);
  Changed();
  return Count() - 1;
}

void TIntList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", {Index}));
  items_.erase(items_.begin() + Index);
  Changed();
}

void TIntList::Insert(int Index, int Value) {
  if (Index < 0 || Index > Count()) throw EListError(Format("List index out of bounds (%d)", {Index}));
  items_.insert(items_.begin() + Index, Value);
}

AnsiString TIntList::GetCommaText() const {
  AnsiString text;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i) text += ',';
    text += IntToStr(items_[i]);
  }
  return text;
}

void TIntList::SetCommaText(const AnsiString& Text) {
  items_.clear();
  TStringList pieces;
  pieces.SetCommaText(Text);
  for (int i = 0; i < pieces.Count(); ++i) Add(StrToInt(pieces.Strings(i)));
}

// ---- TFilePicture -------------------------------------------------------------------------

void TFilePicture::Assign(const TFilePicture& Source) {
  filename_ = Source.filename_;
  Width = Source.Width;
  Height = Source.Height;
}

void TFilePicture::SetFilename(const AnsiString& v) {
  filename_ = v;
  TPicture picture;
  picture.LoadFromFile(v);
  Width = picture.Width();
  Height = picture.Height();
}

void TFilePicture::Restore(const AnsiString& Name, int KeptWidth, int KeptHeight) {
  filename_ = Name;
  Width = KeptWidth;
  Height = KeptHeight;
}

void TFilePicture::Draw(TCanvas& Canvas, const TRect& Rect) const {
  if (filename_.empty()) return;
  try {
    TPicture picture;
    picture.LoadFromFile(filename_);
    if (picture.Graphic()) Canvas.StretchDraw(Rect, picture.Graphic());
  } catch (const Exception&) {
    // Gone or damaged since it was set: nothing to draw.
  }
}
