// The base of every control printed inside a band: its size in report
// units, its frame, and its place among band and report.
#include <unordered_set>

#include "report/BandRpt.h"
#include "report/RpCtrls.h"
#include "report/RpExport.h"
#include "report/RpPrntr.h"

namespace {
constexpr int kScreenPpi = 96;

// Never freed: a control may outlive the program's statics.
std::unordered_set<const TComponent*>& Printables() {
  static auto* printables = new std::unordered_set<const TComponent*>;
  return *printables;
}
}  // namespace

TRpPrintable* AsPrintable(TComponent* component) {
  return Printables().contains(component) ? static_cast<TRpPrintable*>(component) : nullptr;
}

TRpPrintable::TRpPrintable(TComponent* owner) : TCustomControl(owner) {
  Printables().insert(this);
  SetColor(clWhite);
  size_.Units = RpMeasureInInches() ? TRpUnit::Inches : TRpUnit::MM;
  size_.OnChange = [this] { ApplySize(); };
  frame_.OnChange = [this] { Invalidate(); };
  SetBounds(Left(), Top(), 10, 10);
}

TRpPrintable::~TRpPrintable() { Printables().erase(this); }

void TRpPrintable::SetFrame(const TRpFrame& frame) { frame_.Assign(frame); }

void TRpPrintable::SetTransparent(bool value) {
  if (value)
    ControlStyle >> csOpaque;
  else
    ControlStyle << csOpaque;
  Invalidate();
}

void TRpPrintable::SetZoom(int zoom) {
  size_.Zoom = zoom;
  ApplySize();
}

void TRpPrintable::SetAlignToBand(bool value) {
  alignToBand_ = value;
  AlignInBand();
}

Extended TRpPrintable::NativeValue(int index) const { return size_.NativeValue(index); }

// As the pixel units convert at a zoom of 100.
int TRpPrintable::FullSizePixels(int index) const {
  return RpNearest(size_.NativeValue(index) / (254.0L / kScreenPpi) * 100 / 100);
}

void TRpPrintable::SetFullSizePixels(int index, int pixels) {
  if (FullSizePixels(index) != pixels) size_.SetNativeValue(index, 254.0L / kScreenPpi * pixels / 100 * 100);
}

void TRpPrintable::ApplySize() {
  if (updating_) return;
  const TRpUnit u = size_.Units;
  const int zoom = size_.Zoom;
  size_.Units = TRpUnit::Pixels;
  size_.PixelsPerInch = kScreenPpi;
  const int l = RpNearest(size_.GetValue(TRpPrintableSize::iLeft));
  const int t = RpNearest(size_.GetValue(TRpPrintableSize::iTop));
  const int w = RpNearest(size_.GetValue(TRpPrintableSize::iWidth));
  const int h = RpNearest(size_.GetValue(TRpPrintableSize::iHeight));
  size_.Units = u;
  (void)zoom;
  updating_ = true;
  SetBounds(l, t, w, h);
  updating_ = false;
}

void TRpPrintable::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (updating_) {
    const bool moved = ALeft != Left() || ATop != Top() || AWidth != Width() || AHeight != Height();
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (moved && ParentReport != nullptr) ParentReport->ControlBoundsChanged();
  } else if (!ComponentState().Contains(csLoading)) {
    const TRpUnit u = size_.Units;
    size_.Units = TRpUnit::Pixels;
    const int values[4] = {AHeight, AWidth, ATop, ALeft};
    const int indexes[4] = {TRpPrintableSize::iHeight, TRpPrintableSize::iWidth, TRpPrintableSize::iTop,
                            TRpPrintableSize::iLeft};
    bool any = false;
    for (int i = 0; i < 4; ++i)
      if (RpNearest(size_.GetValue(indexes[i])) != values[i]) {
        updating_ = true;
        size_.SetValue(indexes[i], values[i]);
        updating_ = false;
        any = true;
      }
    size_.Units = u;
    if (any || Left() != ALeft || Top() != ATop || Width() != AWidth || Height() != AHeight) {
      updating_ = true;
      TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
      updating_ = false;
    }
  } else {
    if (ALeft != 0) savedLeft_ = ALeft;
    if (ATop != 0) savedTop_ = ATop;
    if (AWidth != 0) savedWidth_ = AWidth;
    if (AHeight != 0) savedHeight_ = AHeight;
  }
  if (alignToBand_ && !aligning_) AlignInBand();
}

void TRpPrintable::Loaded() {
  TCustomControl::Loaded();
  ApplySize();
  if (Left() == 0 && savedLeft_ != 0) SetLeft(savedLeft_);
  if (Top() == 0 && savedTop_ != 0) SetTop(savedTop_);
  if (Width() == 0 && savedWidth_ != 0) SetWidth(savedWidth_);
  if (Height() == 0 && savedHeight_ != 0) SetHeight(savedHeight_);
}

TRpCustomBand* TRpPrintable::Band() const { return dynamic_cast<TRpCustomBand*>(Parent()); }

void TRpPrintable::SetParent(TWinControl* parent) {
  const int top = Top(), left = Left();
  TCustomControl::SetParent(parent);
  if (auto* report = dynamic_cast<TCustomBandRep*>(parent)) {
    size_.Units = report->Units();
    ParentReport = report;
    size_.Zoom = report->Zoom();
  } else if (auto* band = dynamic_cast<TRpCustomBand*>(parent)) {
    size_.Units = band->Size()->Units;
    if (band->ParentReport != nullptr) {
      ParentReport = band->ParentReport;
      size_.Zoom = band->ParentReport->Zoom();
    }
  } else {
    return;
  }
  if (ParentReport != nullptr) size_.CharFont = &ParentReport->Font();
  SetTop(top);
  SetLeft(left);
}

bool TRpPrintable::CanPrint() { return Enabled() || !Visible(); }

void TRpPrintable::AlignInBand() {
  if (!alignToBand_) return;
  aligning_ = true;
  TRpCustomBand* band = Band();
  switch (alignment_) {
    case taLeftJustify:
      SetLeft(0);
      break;
    case taRightJustify:
      if (band != nullptr) SetLeft(band->Width() - Width());
      break;
    case taCenter:
      if (band != nullptr) SetLeft((band->Width() - Width()) / 2);
      break;
  }
  aligning_ = false;
}

void TRpPrintable::Prepare() {
  printing_ = true;
  RpPrinter = ParentReport != nullptr ? ParentReport->RpPrinter() : nullptr;
}

void TRpPrintable::Unprepare() {
  printing_ = false;
  // The printer is the run's: it may be gone once the run ends.
  RpPrinter = nullptr;
}

TRpPrintable::TPlace TRpPrintable::PlaceOnPage(int ofsX, int ofsY) const {
  return {NativeValue(TRpPrintableSize::iLeft) + ofsX, NativeValue(TRpPrintableSize::iTop) + ofsY,
          NativeValue(TRpPrintableSize::iWidth), NativeValue(TRpPrintableSize::iHeight)};
}

void TRpPrintable::HandToFilter(const TPlace& at) {
  if (ParentReport != nullptr && RpPrinter != nullptr && ParentReport->Exporting &&
      ParentReport->ExportFilter != nullptr)
    ParentReport->ExportFilter->ControlOut(this, RpPrinter->DeviceX(at.Left), RpPrinter->DeviceY(at.Top));
}

void TRpPrintable::Print(int ofsX, int ofsY) {
  if (ParentReport == nullptr || RpPrinter == nullptr || !frame_.HasAnySide()) return;
  TRpPrinter& p = *RpPrinter;
  const TPlace at = PlaceOnPage(ofsX, ofsY);
  if (ParentReport->Exporting && ParentReport->ExportFilter != nullptr)
    ExportFrame(*ParentReport->ExportFilter, p, frame_, at.Left, at.Top, at.Width, at.Height,
                Transparent() ? clNone : Color());
  if (!ParentReport->PrinterOutput || p.Canvas() == nullptr) return;
  const TRect r{p.DeviceX(at.Left), p.DeviceY(at.Top), p.DeviceX(at.Left + at.Width),
                p.DeviceY(at.Top + at.Height)};
  frame_.PaintFrame(*p.Canvas(), r, p.YFactor(), p.XFactor(), ParentReport->PrintableBottom);
}

namespace {

// One shape of a frame, placed and sized in 0.1 mm.
void ShapeOut(TRpExportFilter& filter, TRpPrinter& p, TRpShapeType type, Extended l, Extended t, Extended w,
              Extended h, TColor brush, TColor pen, int penWidth) {
  TRpShape shape(nullptr);
  shape.SetShape(type);
  TRpPrintableSize& size = *shape.Size();
  size.SetNativeValue(TRpPrintableSize::iLeft, l);
  size.SetNativeValue(TRpPrintableSize::iTop, t);
  size.SetNativeValue(TRpPrintableSize::iWidth, w);
  size.SetNativeValue(TRpPrintableSize::iHeight, h);
  if (brush == clNone) {
    shape.Brush()->Style = bsClear;
  } else {
    shape.Brush()->Style = bsSolid;
    shape.Brush()->Color = brush;
  }
  if (pen == clNone) {
    shape.Pen()->Style = psClear;
  } else {
    shape.Pen()->Color = pen;
    shape.Pen()->Width = penWidth;
  }
  filter.ControlOut(&shape, p.DeviceX(l), p.DeviceY(t));
}

}  // namespace

void ExportFrame(TRpExportFilter& filter, TRpPrinter& p, const TRpFrame& frame, Extended l, Extended t,
                 Extended w, Extended h, TColor background, const std::vector<Extended>& framelines) {
  if (background != clNone) ShapeOut(filter, p, rpsRectangle, l, t, w, h, background, clNone, 1);
  if (!frame.HasAnySide() && framelines.empty()) return;
  // The sides' thicknesses as the page draws them, back in 0.1 mm.
  const int V = frame.VerticalThickness(p.XFactor()), H = frame.HorizontalThickness(p.YFactor());
  const Extended v = p.XFactor() > 0 ? V / p.XFactor() : 0, hh = p.YFactor() > 0 ? H / p.YFactor() : 0;
  const bool all = frame.DrawTop() && frame.DrawBottom() && frame.DrawLeft() && frame.DrawRight();
  if (all) {
    ShapeOut(filter, p, rpsRectangle, l, t, w, h, clNone, frame.Color(), V);
  } else {
    if (frame.DrawTop()) ShapeOut(filter, p, rpsHorLine, l, t, w, hh, frame.Color(), frame.Color(), H);
    if (frame.DrawBottom())
      ShapeOut(filter, p, rpsHorLine, l, t + h - hh, w, hh, frame.Color(), frame.Color(), H);
    if (frame.DrawLeft()) ShapeOut(filter, p, rpsVertLine, l, t, v, h, frame.Color(), frame.Color(), V);
    if (frame.DrawRight())
      ShapeOut(filter, p, rpsVertLine, l + w - v, t, v, h, frame.Color(), frame.Color(), V);
  }
  for (Extended centre : framelines)
    ShapeOut(filter, p, rpsVertLine, l + centre * w, t, v, h, frame.Color(), frame.Color(), V);
}

void TRpPrintable::BandNotify(TObject* /*sender*/, Byte operation) {
  if (operation == 2 && alignToBand_) AlignInBand();
}

void TRpPrintable::SetAlignment(TAlignment value) {
  alignment_ = value;
  if (alignToBand_) AlignInBand();
  Invalidate();
}

void TRpPrintable::GetExpandedHeight(Extended& /*height*/) {}
void TRpPrintable::FetchContent(AnsiString& /*text*/) {}

void TRpPrintable::PaintCorners(TCanvas& c) {
  c.Pen->Color = clBlack;
  c.Pen->Width = 1;
  c.Pen->Style = psSolid;
  const int w = Width(), h = Height();
  c.Polyline({{0, 3}, {0, 0}, {3, 0}});
  c.Polyline({{0, h - 4}, {0, h - 1}, {3, h - 1}});
  c.Polyline({{w - 4, 0}, {w - 1, 0}, {w - 1, 3}});
  c.Polyline({{w - 4, h - 1}, {w - 1, h - 1}, {w - 1, h - 4}});
}

void TRpPrintable::Paint() {
  if (printing_) return;
  TCanvas& c = Canvas();
  if (!Transparent()) {
    c.Brush->Style = bsSolid;
    c.Brush->Color = clWhite;
    c.FillRect(ClientRect());
  }
  PaintCorners(c);
  TRect r = ClientRect();
  --r.Right;
  --r.Bottom;
  const Extended f = size_.Zoom * (kScreenPpi / 254.0L) / 100;
  frame_.PaintFrame(c, r, f, f);
}
