#include "report/RpTypes.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <array>
#include <cstdlib>

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

bool IsJapaneseLocale(const AnsiString& name) { return name.substr(0, name.find_first_of("_.@")) == "ja"; }

namespace {

bool ReadJapaneseFlag() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return IsJapaneseLocale(value);
  }
  return false;
}

bool japaneseFlag = ReadJapaneseFlag();

}  // namespace

bool RpJapaneseSystem() { return japaneseFlag; }
void SetRpJapaneseSystem(bool japanese) { japaneseFlag = japanese; }

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

TRpUnitBase::TRpUnitBase(int count, unsigned horizontalMask)
    : Units(RpMeasureInInches() ? TRpUnit::Inches : TRpUnit::MM),
      SavedUnits(Units),
      count_(count),
      horizontal_(horizontalMask) {}

Extended TRpUnitBase::CharFactor(bool horizontal) const {
  const int size = CharFont != nullptr ? CharFont->Size() : FontSize;
  const Extended s = size == 0 ? 12 : std::abs(size);
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

Extended TRpUnitBase::GetValue(int index) const { return ToUnits(NativeValue(index), Horizontal(index)); }

void TRpUnitBase::SetValue(int index, Extended value) {
  if (index >= 0 && index < count_) SetNativeValue(index, FromUnits(value, Horizontal(index)));
}

Extended TRpUnitBase::NativeValue(int index) const {
  return index < 0 || index >= count_ ? 0 : values_[static_cast<size_t>(index)];
}

void TRpUnitBase::SetNativeValue(int index, Extended value) {
  if (index < 0 || index >= count_) return;
  values_[static_cast<size_t>(index)] = value;
  Changed();
}

std::vector<Extended> TRpUnitBase::Values() const { return {values_.begin(), values_.begin() + count_}; }

void TRpUnitBase::ReadValues(std::span<const Extended> values) {
  for (size_t i = 0; i < static_cast<size_t>(count_) && i < values.size(); ++i) values_[i] = values[i];
  Changed();
}

// ---- page ------------------------------------------------------------------

TRpPage::TRpPage()
    : TRpUnitBase(7, 1u << iWidth | 1u << iLeftMargin | 1u << iRightMargin | 1u << iColumnSpace) {
  const Extended margin = RpMeasureInInches() ? 127 : 100;
  values_[iBottomMargin] = values_[iTopMargin] = values_[iLeftMargin] = values_[iRightMargin] = margin;
  SetPaperSize(RpMeasureInInches() ? TRpPaperSize::Letter : TRpPaperSize::A4);
}

void TRpPage::SetNativeValue(int index, Extended value) {
  if ((index == iLength || index == iWidth) && paperSize_ != TRpPaperSize::Custom) return;
  TRpUnitBase::SetNativeValue(index, value);
}

void TRpPage::SetOrientation(TPrinterOrientation orientation) {
  const bool turned = orientation != orientation_;
  const Extended width = values_[iWidth], length = values_[iLength];
  orientation_ = orientation;
  ApplyPaper();
  // Laid as it lies already, the page is the same: its report is not laid
  // out again each time a dialog that sets it is shown.
  if (!turned && values_[iWidth] == width && values_[iLength] == length) return;
  Changed();
}

void TRpPage::SetPaperSize(TRpPaperSize size) {
  paperSize_ = size;
  ApplyPaper();
  Changed();
}

void TRpPage::ApplyPaper() {
  if (paperSize_ == TRpPaperSize::Default || paperSize_ == TRpPaperSize::Custom) return;
  const TRpPaperInfo& info = RpPaperInfo(paperSize_);
  const bool portrait = orientation_ == poPortrait;
  values_[iWidth] = (portrait ? info.Width : info.Length) * 10;
  values_[iLength] = (portrait ? info.Length : info.Width) * 10;
}

void TRpPage::SetColumns(int columns) {
  if (columns < 1 || columns == columns_) return;
  columns_ = columns;
  Changed();
}

void TRpPage::SetRuler(bool ruler) {
  ruler_ = ruler;
  if (OnRulerChange) OnRulerChange();
  Changed();
}

// ---- band and printable sizes ----------------------------------------------

TRpPrintableSize::TRpPrintableSize() : TRpUnitBase(4, 1u << iLeft | 1u << iWidth) {
  values_ = {20, 20, 20, 20};
}

// ---- frame -----------------------------------------------------------------

namespace {
int Thickness(Extended factor, int width) {
  const int t = static_cast<int>(Round(factor / 72 * 254 * width)) / 2;
  return t < 1 ? 1 : t;
}
}  // namespace

void TRpFrame::Assign(const TRpFrame& Source) {
  if (&Source == this) return;
  color_ = Source.color_;
  top_ = Source.top_;
  bottom_ = Source.bottom_;
  left_ = Source.left_;
  right_ = Source.right_;
  style_ = Source.style_;
  width_ = Source.width_;
  if (OnChange) OnChange();
}

int TRpFrame::VerticalThickness(Extended xFactor) const { return Thickness(xFactor, width_); }
int TRpFrame::HorizontalThickness(Extended yFactor) const { return Thickness(yFactor, width_); }

void TRpFrame::PaintFrame(TCanvas& canvas, TRect r, Extended yFactor, Extended xFactor, int printableBottom,
                          const std::vector<Extended>& framelines) const {
  if (printableBottom >= 0 && r.Bottom >= printableBottom) r.Bottom = printableBottom;
  canvas.Brush->Style = bsSolid;
  canvas.Brush->Color = color_;
  // Most bands have no frame, and are asked to paint it at every page.
  if (!HasAnySide() && framelines.empty()) return;
  const int v = VerticalThickness(xFactor), h = HorizontalThickness(yFactor);
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
