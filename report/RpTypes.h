#pragma once
// Report geometry: lengths kept in tenths of a millimetre and shown in the
// report's units, the page setup, band and printable sizes, and the frame
// lines drawn around reports, bands and printables.

#include <array>
#include <functional>
#include <span>
#include <vector>

#include "platform/gfx/Graphics.h"
#include "platform/print/Printers.h"
#include "platform/rtl/SysUtils.h"

DIM_EXCEPTION(ERpError, Exception)

enum class TRpUnit { MM, Inches, Pixels, Characters, Native };

enum class TRpPaperSize : int {
  Default,
  Letter,
  LetterSmall,
  Tabloid,
  Ledger,
  Legal,
  Statement,
  Executive,
  A3,
  A4,
  A4Small,
  A5,
  B4,
  B5,
  Folio,
  Quarto,
  rp10X14,
  rp11X17,
  Note,
  Env9,
  Env10,
  Env11,
  Env12,
  Env14,
  CSheet,
  DSheet,
  ESheet,
  EnvDL,
  EnvC5,
  EnvC3,
  EnvC4,
  EnvC6,
  EnvC65,
  EnvB4,
  EnvB5,
  EnvB6,
  EnvItaly,
  EnvMonarch,
  EnvPersonal,
  FanfoldUSStd,
  FanfoldGerStd,
  FanfoldGerLegal,
  B4ISO,
  PostcardJap,
  rp9X11,
  rp10X11,
  rp15X11,
  EnvInvite,
  Reserved1,
  Reserved2,
  LetterExtra,
  LegalExtra,
  TabloidExtra,
  A4Extra,
  LetterTrans,
  A4Trans,
  LetterExtraTrans,
  SuperASuperAA4,
  SuperBSuperBA3,
  LetterPlus,
  A4Plus,
  A5Trans,
  B5Trans,
  A3Extra,
  A5Extra,
  B5Extra,
  A2,
  A3Trans,
  A3ExtraTrans,
  Custom
};
constexpr int kRpPaperCount = 70;

enum class TRpBin : int {
  First,
  Upper,
  Lower,
  Middle,
  Manual,
  Envelope,
  EnvManual,
  Auto,
  Tractor,
  SmallFormat,
  LargeFormat,
  LargeCapacity,
  Cassette,
  Last
};
constexpr int kRpBinCount = 14;

// One row of the paper table: millimetres and the system paper code.
struct TRpPaperInfo {
  Extended Width, Length;
  int Code;
};
const TRpPaperInfo& RpPaperInfo(TRpPaperSize size);
int RpBinCode(TRpBin bin);

// Whether new reports measure in inches (and take Letter paper): the
// locale's measurement system, read once at start-up.
bool RpMeasureInInches();
void SetRpMeasureInInches(bool inches);
void ReadRpMeasurementFlag();

// Whether the system's language is Japanese, whose script the usual Latin
// report font does not hold: read once at start-up from the first language
// variable set (LC_ALL, LC_MESSAGES, LANG).
bool RpJapaneseSystem();
void SetRpJapaneseSystem(bool japanese);
// Whether a locale name ("ja_JP.UTF-8", "ja") is of the Japanese language.
bool IsJapaneseLocale(const AnsiString& name);

// The lengths of a page, band or printable, kept in 0.1 mm and shown in
// Units.
class TRpUnitBase {
 public:
  virtual ~TRpUnitBase() = default;

  TRpUnit Units;
  TRpUnit SavedUnits;
  int PixelsPerInch = 96;
  int Zoom = 100;
  // The absolute size of the parent's font, for the character units;
  // while CharFont is set its size counts instead, so the units follow the
  // report's font as it changes.
  int FontSize = 12;
  const TFont* CharFont = nullptr;
  bool Resizing = false;
  // The parent control: refreshed after the values change.
  std::function<void()> OnChange;

  Extended ToUnits(Extended native, bool horizontal) const;
  Extended FromUnits(Extended value, bool horizontal) const;

  // In Units.
  Extended GetValue(int index) const;
  void SetValue(int index, Extended value);
  // In 0.1 mm whatever Units says, so a size shared with its control is
  // read and set without switching its units back and forth. Indexes out
  // of range read 0 and set nothing.
  Extended NativeValue(int index) const;
  virtual void SetNativeValue(int index, Extended value);
  // The streamed "Values": every length in 0.1 mm, in a fixed order.
  std::vector<Extended> Values() const;
  // The same, in place.
  std::span<const Extended> ValueSpan() const { return {values_.data(), static_cast<size_t>(count_)}; }
  // Short or damaged lists leave the missing values as they are.
  void ReadValues(std::span<const Extended> values);
  void ReadValues(const std::vector<Extended>& values) { ReadValues(std::span<const Extended>(values)); }
  // The character constant K for the parent's font: 0.1 mm per character
  // width (horizontal) or line height, over ten.
  Extended CharFactor(bool horizontal) const;

 protected:
  // Count values; bit i of HorizontalMask marks value i as a width.
  TRpUnitBase(int count, unsigned horizontalMask);
  void Changed() const {
    if (OnChange) OnChange();
  }
  bool Horizontal(int index) const { return (horizontal_ >> index & 1u) != 0; }

  std::array<Extended, 7> values_{};

 private:
  int count_;
  unsigned horizontal_;
};

class TRpPage : public TRpUnitBase {
 public:
  TRpPage();
  enum { iBottomMargin, iLength, iTopMargin, iWidth, iLeftMargin, iRightMargin, iColumnSpace };

  // A listed paper keeps its width and length.
  void SetNativeValue(int index, Extended value) override;

  Extended BottomMargin() const { return GetValue(iBottomMargin); }
  Extended Length() const { return GetValue(iLength); }
  Extended TopMargin() const { return GetValue(iTopMargin); }
  Extended Width() const { return GetValue(iWidth); }
  Extended LeftMargin() const { return GetValue(iLeftMargin); }
  Extended RightMargin() const { return GetValue(iRightMargin); }
  Extended ColumnSpace() const { return GetValue(iColumnSpace); }

  TPrinterOrientation Orientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation orientation);
  TRpPaperSize PaperSize() const { return paperSize_; }
  void SetPaperSize(TRpPaperSize size);
  int Columns() const { return columns_; }
  void SetColumns(int columns);
  bool Ruler() const { return ruler_; }
  void SetRuler(bool ruler);
  // The report gives its units to its bands and printables again, so that
  // the grid and the sizes shown speak the same units.
  std::function<void()> OnRulerChange;

 private:
  // A listed paper's width and length as the page lies; no notice.
  void ApplyPaper();
  TPrinterOrientation orientation_ = poPortrait;
  TRpPaperSize paperSize_ = TRpPaperSize::A4;
  int columns_ = 1;
  bool ruler_ = true;
};

class TRpBandSize : public TRpUnitBase {
 public:
  enum { iHeight, iWidth };
  TRpBandSize() : TRpUnitBase(2, 1u << iWidth) {}
};

class TRpPrintableSize : public TRpUnitBase {
 public:
  enum { iHeight, iLeft, iTop, iWidth };
  TRpPrintableSize();
};

// The frame lines of a report, band or printable. Width is in points.
class TRpFrame {
 public:
  TColor Color() const { return color_; }
  bool DrawTop() const { return top_; }
  bool DrawBottom() const { return bottom_; }
  bool DrawLeft() const { return left_; }
  bool DrawRight() const { return right_; }
  TPenStyle Style() const { return style_; }
  int Width() const { return width_; }
  void SetColor(TColor v) { Set(color_, v); }
  void SetDrawTop(bool v) { Set(top_, v); }
  void SetDrawBottom(bool v) { Set(bottom_, v); }
  void SetDrawLeft(bool v) { Set(left_, v); }
  void SetDrawRight(bool v) { Set(right_, v); }
  void SetStyle(TPenStyle v) { Set(style_, v); }
  void SetWidth(int v) { Set(width_, v); }
  // The parent repaints after each change.
  std::function<void()> OnChange;
  // Takes Source's colour, sides, style and width; the parent told once
  // stays this frame's own.
  void Assign(const TRpFrame& Source);

  bool HasAnySide() const { return top_ || bottom_ || left_ || right_; }
  // The side thicknesses in device pixels for factors in pixels per 0.1 mm:
  // V of the left and right sides, H of the top and bottom.
  int VerticalThickness(Extended xFactor) const;
  int HorizontalThickness(Extended yFactor) const;
  // Fills the drawn sides; a rectangle reaching below PrintableBottom (the
  // run's Length - BottomMargin in device pixels, < 0 for none) is cut there.
  // A band's frame lines stand at their centres, given as fractions of the
  // band's width, from top to bottom.
  void PaintFrame(TCanvas& canvas, TRect rect, Extended yFactor, Extended xFactor, int printableBottom = -1,
                  const std::vector<Extended>& framelines = {}) const;

 private:
  template <class T>
  void Set(T& field, T value) {
    field = value;
    if (OnChange) OnChange();
  }
  TColor color_ = clBlack;
  bool top_ = false, bottom_ = false, left_ = false, right_ = false;
  TPenStyle style_ = psSolid;
  int width_ = 1;
};
