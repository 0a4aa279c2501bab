#include "report/RpTypes.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <array>

namespace {

bool inchesFlag = false;

std::array<TRpPaperInfo, kRpPaperCount> BuildPaperTable() {
  std::array<TRpPaperInfo, kRpPaperCount> table{};
  table[0] = {0, 0, 0};
  for (int i = 1; i < kRpPaperCount - 1; ++i) {
    const auto size = PaperSizeOf(i);
    table[i] = {size ? size->WidthMM : 0, size ? size->LengthMM : 0, i};
  }
  table[kRpPaperCount - 1] = {0, 0, DMPAPER_USER};
  return table;
}

// Converted values: the conversion divides by the unit's size in 0.1 mm.
Extended PixelSize(int ppi) { return 254.0L / ppi; }

}  // namespace

const TRpPaperInfo& RpPaperInfo(TRpPaperSize size) {
  static const auto table = BuildPaperTable();
  const int i = static_cast<int>(size);
  return table[(i >= 0 && i < kRpPaperCount) ? i : 0];
}

int RpBinCode(TRpBin bin) {
  static constexpr int codes[kRpBinCount] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14};
  const int i = static_cast<int>(bin);
  return codes[(i >= 0 && i < kRpBinCount) ? i : 7];
}

// The report unit's start-up notes the locale's measurement system.
const bool measurementRead = (ReadRpMeasurementFlag(), true);

bool RpMeasureInInches() { return inchesFlag; }
void SetRpMeasureInInches(bool inches) { inchesFlag = inches; }

void ReadRpMeasurementFlag() {
  // The C library's measurement item: 1 metric, 2 the U.S. system.
  locale_t loc = newlocale(LC_MEASUREMENT_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) {
    inchesFlag = false;
    return;
  }
  const char* value = nl_langinfo_l(_NL_MEASUREMENT_MEASUREMENT, loc);
  inchesFlag = value != nullptr && value[0] == 2;
  freelocale(loc);
}

// ---- units -----------------------------------------------------------------

TRpUnitBase::TRpUnitBase() : Units(RpMeasureInInches() ? TRpUnit::Inches : TRpUnit::MM), SavedUnits(Units) {}

Extended TRpUnitBase::CharFactor(bool horizontal) const {
  const Extended s = FontSize == 0 ? 12 : std::abs(FontSize);
  return (horizontal ? 80.0L : 145.3L) / s / 2.54L;
}

Extended TRpUnitBase::ToUnits(Extended v, bool horizontal) const {
  switch (Units) {
    case TRpUnit::MM:
      return v / 10;
    case TRpUnit::Inches:
      return v / 254;
    case TRpUnit::Pixels:
      return v / PixelSize(PixelsPerInch) * Zoom / 100;
    case TRpUnit::Characters:
      return v / CharFactor(horizontal) / 10;
    case TRpUnit::Native:
      break;
  }
  return v;
}

Extended TRpUnitBase::FromUnits(Extended u, bool horizontal) const {
  switch (Units) {
    case TRpUnit::MM:
      return u * 10;
    case TRpUnit::Inches:
      return u * 254;
    case TRpUnit::Pixels:
      return Zoom == 0 ? 0 : PixelSize(PixelsPerInch) * u / Zoom * 100;
    case TRpUnit::Characters:
      return CharFactor(horizontal) * u * 10;
    case TRpUnit::Native:
      break;
  }
  return u;
}

namespace {
template <size_t N>
void AssignValues(Extended (&fields)[N], const std::vector<Extended>& values) {
  for (size_t i = 0; i < N && i < values.size(); ++i) fields[i] = values[i];
}
template <size_t N>
std::vector<Extended> ListValues(const Extended (&fields)[N]) {
  return std::vector<Extended>(std::begin(fields), std::end(fields));
}
}  // namespace

// ---- page ------------------------------------------------------------------

TRpPage::TRpPage() {
  const Extended margin = RpMeasureInInches() ? 127 : 100;
  values_[iBottomMargin] = values_[iTopMargin] = values_[iLeftMargin] = values_[iRightMargin] = margin;
  SetPaperSize(RpMeasureInInches() ? TRpPaperSize::Letter : TRpPaperSize::A4);
}

Extended TRpPage::GetValue(int index) const {
  if (index < 0 || index > iColumnSpace) return 0;
  return ToUnits(values_[index], index >= iWidth);
}

void TRpPage::SetValue(int index, Extended value) {
  if (index < 0 || index > iColumnSpace) return;
  if ((index == iLength || index == iWidth) && paperSize_ != TRpPaperSize::Custom) return;
  values_[index] = FromUnits(value, index >= iWidth);
  Changed();
}

std::vector<Extended> TRpPage::Values() const { return ListValues(values_); }

void TRpPage::ReadValues(const std::vector<Extended>& values) {
  AssignValues(values_, values);
  Changed();
}

void TRpPage::SetOrientation(TPrinterOrientation orientation) {
  orientation_ = orientation;
  SetPaperSize(paperSize_);
}

void TRpPage::SetPaperSize(TRpPaperSize size) {
  if (size != TRpPaperSize::Default && size != TRpPaperSize::Custom) {
    const TRpPaperInfo& info = RpPaperInfo(size);
    const bool portrait = orientation_ == poPortrait;
    values_[iWidth] = (portrait ? info.Width : info.Length) * 10;
    values_[iLength] = (portrait ? info.Length : info.Width) * 10;
  }
  paperSize_ = size;
  Changed();
}

void TRpPage::SetColumns(int columns) {
  if (columns < 1 || columns == columns_) return;
  columns_ = columns;
  Changed();
}

void TRpPage::SetRuler(bool ruler) {
  ruler_ = ruler;
  Changed();
}

// ---- band and printable sizes ----------------------------------------------

Extended TRpBandSize::GetValue(int index) const {
  if (index < iHeight || index > iWidth) return 0;
  return ToUnits(values_[index], index == iWidth);
}

void TRpBandSize::SetValue(int index, Extended value) {
  if (index < iHeight || index > iWidth) return;
  values_[index] = FromUnits(value, index == iWidth);
  Changed();
}

std::vector<Extended> TRpBandSize::Values() const { return ListValues(values_); }

void TRpBandSize::ReadValues(const std::vector<Extended>& values) {
  AssignValues(values_, values);
  Changed();
}

TRpPrintableSize::TRpPrintableSize() {}

Extended TRpPrintableSize::GetValue(int index) const {
  if (index < iHeight || index > iWidth) return 0;
  return ToUnits(values_[index], index == iLeft || index == iWidth);
}

void TRpPrintableSize::SetValue(int index, Extended value) {
  if (index < iHeight || index > iWidth) return;
  values_[index] = FromUnits(value, index == iLeft || index == iWidth);
  Changed();
}

std::vector<Extended> TRpPrintableSize::Values() const { return ListValues(values_); }

void TRpPrintableSize::ReadValues(const std::vector<Extended>& values) {
  AssignValues(values_, values);
  Changed();
}

// ---- frame -----------------------------------------------------------------

namespace {
int Thickness(Extended factor, int width) {
  const int t = static_cast<int>(Round(factor / 72 * 254 * width)) / 2;
  return t < 1 ? 1 : t;
}
}  // namespace

int TRpFrame::VerticalThickness(Extended xFactor) const { return Thickness(xFactor, width_); }
int TRpFrame::HorizontalThickness(Extended yFactor) const { return Thickness(yFactor, width_); }

void TRpFrame::PaintFrame(TCanvas& canvas, TRect r, Extended yFactor, Extended xFactor, int printableBottom,
                          const std::vector<Extended>& framelines) const {
  const int v = VerticalThickness(xFactor), h = HorizontalThickness(yFactor);
  if (printableBottom >= 0 && r.Bottom >= printableBottom) r.Bottom = printableBottom;
  canvas.Brush->Style = bsSolid;
  canvas.Brush->Color = color_;
  if (top_) canvas.FillRect({r.Left, r.Top, r.Right, r.Top + h});
  if (bottom_) canvas.FillRect({r.Left, r.Bottom - h - 1, r.Right, r.Bottom - 1});
  if (left_) canvas.FillRect({r.Left, r.Top, r.Left + v, r.Bottom});
  if (right_) canvas.FillRect({r.Right - v, r.Top, r.Right, r.Bottom});
  if (framelines.empty()) return;
  canvas.Pen->Style = psSolid;
  canvas.Pen->Color = color_;
  canvas.Pen->Width = v;
  for (Extended centre : framelines) {
    const int x = r.Left + static_cast<int>(Round(centre * (r.Right - r.Left)));
    canvas.MoveTo(x, r.Top);
    canvas.LineTo(x, r.Bottom);
  }
}
