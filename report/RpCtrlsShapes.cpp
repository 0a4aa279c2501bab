// Graphic printables: shapes drawn with a pen and a brush, pictures at
// their natural size or stretched, and the designer's guide lines.
#include "report/RpCtrls.h"

namespace {
constexpr int kScreenPpi = 96;

// Draws Graphic into R on the page: stretched, or at its natural size
// (screen pixels turned into device pixels), centred when asked, clipped
// to R.
void DrawPicture(TRpPrinter& p, TGraphic* graphic, TRect r, Extended w, Extended h, bool stretch,
                 bool center) {
  TCanvas& c = *p.Canvas();
  if (stretch) {
    c.StretchDraw(r, graphic);
    return;
  }
  c.SelectClipRect(r);
  const int pw = RpNearest(Extended(graphic->Width()) / kScreenPpi * 254 * p.XFactor());
  const int ph = RpNearest(Extended(graphic->Height()) / kScreenPpi * 254 * p.YFactor());
  r.Right = r.Left + pw;
  r.Bottom = r.Top + ph;
  if (center) {
    const int dx = (p.DeviceWidth(w) - pw) / 2, dy = (p.DeviceHeight(h) - ph) / 2;
    r = Rect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
  }
  c.StretchDraw(r, graphic);
  c.SelectClipRgn(nullptr);
}

}  // namespace

// ---- shapes --------------------------------------------------------------------------

TRpShape::TRpShape(TComponent* owner) : TRpPrintable(owner) { SetBounds(Left(), Top(), 65, 65); }

void TRpShape::SetShape(TRpShapeType shape) {
  if (shape == shape_) return;
  shape_ = shape;
  Invalidate();
}

void TRpShape::SetPen(const TPen& pen) {
  pen_.Assign(pen);
  Invalidate();
}

void TRpShape::SetBrush(const TBrush& brush) {
  brush_.Assign(brush);
  Invalidate();
}

void TRpShape::SetRoundFactor(float factor) {
  if (factor == roundFactor_) return;
  roundFactor_ = factor;
  Invalidate();
}

void TRpShape::Print(int ofsX, int ofsY) {
  if (ParentReport == nullptr || RpPrinter == nullptr || !CanPrint()) return;
  TRpPrinter& p = *RpPrinter;
  const TPlace at = PlaceOnPage(ofsX, ofsY);
  const Extended l = at.Left, t = at.Top, w = at.Width, h = at.Height;
  HandToFilter(at);
  if (!ParentReport->PrinterOutput || p.Canvas() == nullptr) return;
  TCanvas& c = *p.Canvas();
  c.Pen->Assign(pen_);
  c.Brush->Assign(brush_);
  auto line = [&](Extended x1, Extended y1, Extended x2, Extended y2) {
    c.MoveTo(p.DeviceX(x1), p.DeviceY(y1));
    c.LineTo(p.DeviceX(x2), p.DeviceY(y2));
  };
  const int x1 = p.DeviceX(l), y1 = p.DeviceY(t), x2 = p.DeviceX(l + w), y2 = p.DeviceY(t + h);
  switch (shape_) {
    case rpsRectangle:
      c.Rectangle(x1, y1, x2, y2);
      break;
    case rpsCircle:
      c.Ellipse(x1, y1, x2, y2);
      break;
    case rpsVertLine:
      line(l + w / 2, t, l + w / 2, t + h);
      break;
    case rpsHorLine:
      line(l, t + h / 2, l + w, t + h / 2);
      break;
    case rpsTopAndBottom:
      line(l, t, l + w, t);
      line(l, t + h, l + w, t + h);
      break;
    case rpsRightAndLeft:
      line(l, t, l, t + h);
      line(l + w, t, l + w, t + h);
      break;
    case rpsRoundRect: {
      // The corners are the share of the width the design view rounds, on
      // the page's pixels: the designer's zoom and the device's resolution
      // leave them as drawn.
      const int corner = static_cast<int>(p.DeviceWidth(w) * roundFactor_);
      c.RoundRect(x1, y1, x2, y2, corner, corner);
      break;
    }
    case rpsLeftDiagonal:
      line(l + w, t, l, t + h);
      break;
    case rpsRightDiagonal:
      line(l, t, l + w, t + h);
      break;
  }
}

void TRpShape::Paint() {
  TRpPrintable::Paint();
  TCanvas& c = Canvas();
  c.Pen->Assign(pen_);
  c.Brush->Assign(brush_);
  const int w = Width(), h = Height();
  auto line = [&](int a, int b, int cx, int d) {
    c.MoveTo(a, b);
    c.LineTo(cx, d);
  };
  switch (shape_) {
    case rpsRectangle:
      c.Rectangle(0, 0, w, h);
      break;
    case rpsCircle:
      c.Ellipse(0, 0, w, h);
      break;
    case rpsVertLine:
      line(w / 2, 0, w / 2, h);
      break;
    case rpsHorLine:
      line(0, h / 2, w, h / 2);
      break;
    case rpsTopAndBottom:
      line(0, 0, w, 0);
      line(0, h - 1, w, h - 1);
      break;
    case rpsRightAndLeft:
      line(0, 0, 0, h);
      line(w - 1, 0, w - 1, h);
      break;
    case rpsRoundRect:
      c.RoundRect(0, 0, w, h, static_cast<int>(w * roundFactor_), static_cast<int>(w * roundFactor_));
      break;
    case rpsLeftDiagonal:
      line(w, 0, 0, h);
      break;
    case rpsRightDiagonal:
      line(0, 0, w, h);
      break;
  }
}

// ---- pictures --------------------------------------------------------------------------

TRpImage::TRpImage(TComponent* owner) : TRpPrintable(owner) {
  SetBounds(Left(), Top(), 105, 105);
  picture_.OnChange = [this] { PictureChanged(); };
}

void TRpImage::SetAutoSize(bool value) {
  autoSize_ = value;
  PictureChanged();
}

void TRpImage::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  PictureChanged();
}

void TRpImage::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  PictureChanged();
}

void TRpImage::PictureChanged() {
  if (autoSize_ && picture_.Width() > 0 && picture_.Height() > 0)
    SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
  const bool covers = dynamic_cast<TBitmap*>(picture_.Graphic()) != nullptr && picture_.Width() >= Width() &&
                      picture_.Height() >= Height();
  SetTransparent(!covers);
}

void TRpImage::Print(int ofsX, int ofsY) {
  if (!Enabled() || ParentReport == nullptr || RpPrinter == nullptr) return;
  TRpPrinter& p = *RpPrinter;
  const TPlace at = PlaceOnPage(ofsX, ofsY);
  const Extended l = at.Left, t = at.Top, w = at.Width, h = at.Height;
  HandToFilter(at);
  TGraphic* graphic = picture_.Graphic();
  if (ParentReport->PrinterOutput && p.Canvas() != nullptr && graphic != nullptr && !graphic->Empty())
    DrawPicture(p, graphic, Rect(p.DeviceX(l), p.DeviceY(t), p.DeviceX(l + w), p.DeviceY(t + h)), w, h,
                stretch_, center_);
  TRpPrintable::Print(ofsX, ofsY);
}

void TRpImage::Paint() {
  TCanvas& c = Canvas();
  if (ComponentState().Contains(csDesigning)) {
    c.Pen->Style = psDash;
    c.Brush->Style = bsClear;
    c.Rectangle(0, 0, Width(), Height());
  }
  TGraphic* graphic = picture_.Graphic();
  if (graphic == nullptr || graphic->Empty()) return;
  TRect r = ClientRect();
  if (!stretch_) {
    r = Rect(0, 0, picture_.Width(), picture_.Height());
    if (center_) {
      const int dx = (Width() - picture_.Width()) / 2, dy = (Height() - picture_.Height()) / 2;
      r = Rect(dx, dy, dx + picture_.Width(), dy + picture_.Height());
    }
  }
  const int zoom = GetZoom();
  if (zoom != 100) {
    r.Right = r.Left + zoom * (r.Right - r.Left) / 100;
    r.Bottom = r.Top + zoom * (r.Bottom - r.Top) / 100;
  }
  c.StretchDraw(r, graphic);
}

void TRpFrameline::Paint() {
  TRpPrintable::Paint();
  TCanvas& c = Canvas();
  c.MoveTo(Width() / 2, 0);
  c.LineTo(Width() / 2, Height());
}

// ---- pictures from a data set -----------------------------------------------------------

TRpDBImage::TRpDBImage(TComponent* owner) : TRpPrintable(owner) {
  SetBounds(Left(), Top(), 105, 105);
  SetTransparent(false);
}

void TRpDBImage::SetDataSet(TDataSet* dataSet) {
  if (dataSet_ != nullptr) dataSet_->RemoveFreeNotification(this);
  dataSet_ = dataSet;
  if (dataSet != nullptr) dataSet->FreeNotification(this);
}

void TRpDBImage::Notification(TComponent* component, TOperation operation) {
  TRpPrintable::Notification(component, operation);
  if (operation == opRemove && component == dataSet_) {
    dataSet_ = nullptr;
    field_ = nullptr;
  }
}

void TRpDBImage::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  Invalidate();
}

void TRpDBImage::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  Invalidate();
}

void TRpDBImage::Prepare() {
  TRpPrintable::Prepare();
  field_ = dataSet_ != nullptr && dataSet_->Active() ? dataSet_->FindField(DataField) : nullptr;
  if (field_ != nullptr && field_->DataType() == ftBlob) SetText("");
}

void TRpDBImage::Unprepare() {
  field_ = nullptr;
  TRpPrintable::Unprepare();
}

std::unique_ptr<TGraphic> TRpDBImage::FieldGraphic() const {
  if (field_ == nullptr || field_->DataType() != ftBlob || field_->IsNull()) return nullptr;
  try {
    return GraphicFromBytes(field_->AsString());
  } catch (const Exception&) {
    // Bytes that are no picture print as an empty one.
    return nullptr;
  }
}

void TRpDBImage::GetExpandedHeight(Extended& height) {
  // Screen pixels at the zoom, as the control is drawn.
  height = Height();
  if (std::unique_ptr<TGraphic> graphic = FieldGraphic())
    height = static_cast<Extended>(graphic->Height()) * GetZoom() / 100;
}

void TRpDBImage::Print(int ofsX, int ofsY) {
  if (ParentReport == nullptr || RpPrinter == nullptr) return;
  TRpPrinter& p = *RpPrinter;
  const TPlace at = PlaceOnPage(ofsX, ofsY);
  const Extended l = at.Left, t = at.Top, w = at.Width, h = at.Height;
  HandToFilter(at);
  if (ParentReport->PrinterOutput && p.Canvas() != nullptr) {
    TCanvas& c = *p.Canvas();
    c.Brush->Style = bsSolid;
    c.Brush->Color = Color();
    const TRect r{p.DeviceX(l), p.DeviceY(t), p.DeviceX(l + w), p.DeviceY(t + h)};
    std::unique_ptr<TGraphic> graphic = FieldGraphic();
    if (graphic == nullptr || graphic->Empty()) {
      if (stretch_) c.FillRect(r);
    } else {
      DrawPicture(p, graphic.get(), r, w, h, stretch_, center_);
    }
  }
  TRpPrintable::Print(ofsX, ofsY);
}

void TRpDBImage::Paint() {
  TRpPrintable::Paint();
  TCanvas& c = Canvas();
  c.Brush->Style = bsSolid;
  c.Brush->Color = Color();
  c.Font->Assign(Font());
  TRect r = ClientRect();
  // The field shows by its caption, looked up when no run holds it.
  TField* field = field_;
  if (field == nullptr && dataSet_ != nullptr && !DataField.empty()) field = dataSet_->FindField(DataField);
  c.DrawText("(" + (field != nullptr ? field->DisplayLabel() : Name()) + ")", r,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
