#pragma once
// Colours, fonts, pens, brushes and the canvas: one drawing interface with
// the graphics device interface's conventions (FillRect leaves the right and
// bottom edges out, text is placed by the top of its cell, DrawText's flags
// and "&" prefix), implemented over images, PDF pages, metafiles and a
// recorder for tests.

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/gfx/Types.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"

// ---- colours ---------------------------------------------------------------

// 0x00BBGGRR, or 0x80000000 + n for system colour n.
using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080, clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6,
                 clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;

constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index));
}
constexpr TColor clScrollBar = SystemColor(0), clBackground = SystemColor(1),
                 clActiveCaption = SystemColor(2), clInactiveCaption = SystemColor(3),
                 clMenu = SystemColor(4), clWindow = SystemColor(5), clWindowFrame = SystemColor(6),
                 clMenuText = SystemColor(7), clWindowText = SystemColor(8), clCaptionText = SystemColor(9),
                 clActiveBorder = SystemColor(10), clInactiveBorder = SystemColor(11),
                 clAppWorkSpace = SystemColor(12), clHighlight = SystemColor(13),
                 clHighlightText = SystemColor(14), clBtnFace = SystemColor(15),
                 clBtnShadow = SystemColor(16), clGrayText = SystemColor(17), clBtnText = SystemColor(18),
                 clInactiveCaptionText = SystemColor(19), clBtnHighlight = SystemColor(20),
                 cl3DDkShadow = SystemColor(21), cl3DLight = SystemColor(22), clInfoText = SystemColor(23),
                 clInfoBk = SystemColor(24), clHotLight = SystemColor(26),
                 clGradientActiveCaption = SystemColor(27), clGradientInactiveCaption = SystemColor(28),
                 clMenuHighlight = SystemColor(29), clMenuBar = SystemColor(30);

// The RGB value (0x00BBGGRR) of a colour; system colours come from the
// classic palette, clNone and clDefault give white and black.
TColor ColorToRGB(TColor color);
inline int GetRValue(TColor c) { return c & 0xFF; }
inline int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline int GetBValue(TColor c) { return (c >> 16) & 0xFF; }
inline TColor RGB(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }

// ---- font, pen, brush ------------------------------------------------------

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
constexpr int ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, GREEK_CHARSET = 161,
              HEBREW_CHARSET = 177, ARABIC_CHARSET = 178;

class TFont;

// A property of a font: it reads as its value, and a write that changes the
// value tells the font, which calls its OnChange.
template <typename T>
class TFontProperty {
 public:
  TFontProperty(TFont* owner, T value) : owner_(owner), value_(std::move(value)) {}
  TFontProperty(const TFontProperty&) = delete;
  operator const T&() const { return value_; }
  const T& Value() const { return value_; }
  // A name reads as the text it holds.
  operator std::string_view() const requires std::same_as<T, AnsiString> { return value_; }
  bool empty() const requires std::same_as<T, AnsiString> { return value_.empty(); }
  size_t size() const requires std::same_as<T, AnsiString> { return value_.size(); }
  size_t length() const requires std::same_as<T, AnsiString> { return value_.size(); }
  const char* c_str() const requires std::same_as<T, AnsiString> { return value_.c_str(); }
  char operator[](size_t i) const requires std::same_as<T, AnsiString> { return value_[i]; }
  TFontProperty& operator=(const T& value);
  TFontProperty& operator=(const TFontProperty& other) { return *this = other.value_; }
  template <typename U>
  TFontProperty& operator|=(const U& v) {
    return *this = static_cast<T>(value_ | v);
  }
  template <typename U>
  TFontProperty& operator&=(const U& v) {
    return *this = static_cast<T>(value_ & v);
  }
  template <typename U>
  TFontProperty& operator^=(const U& v) {
    return *this = static_cast<T>(value_ ^ v);
  }
  template <typename U>
  TFontProperty& operator+=(const U& v) {
    return *this = static_cast<T>(value_ + v);
  }
  template <typename U>
  TFontProperty& operator-=(const U& v) {
    return *this = static_cast<T>(value_ - v);
  }
  friend bool operator==(const TFontProperty& a, const TFontProperty& b) { return a.value_ == b.value_; }
  template <typename U>
  friend bool operator==(const TFontProperty& a, const U& b) {
    return a.value_ == b;
  }

 private:
  friend class TFont;
  TFont* owner_;
  T value_;
};

// A font, with the change event of the class library: a write to a
// property that changes it, a new size and Assign call OnChange once.
class TFont {
 public:
  TFont() = default;
  // A copy has the values and no change handler of its own.
  TFont(const TFont& other) { CopyValues(other); }
  // Takes every value as it stands; OnChange, when anything changed.
  TFont& operator=(const TFont& other);

  TFontProperty<AnsiString> Name{this, "MS Sans Serif"};
  TFontProperty<TColor> Color{this, clWindowText};
  TFontProperty<TFontStyles> Style{this, 0};
  TFontProperty<int> Charset{this, DEFAULT_CHARSET};
  TFontProperty<TFontPitch> Pitch{this, fpDefault};
  // Angle of the text's base line in tenths of a degree, counter-clockwise.
  TFontProperty<int> Orientation{this, 0};
  // The resolution that converts between Size and Height.
  int PixelsPerInch = 96;
  // Called after a change, with the font.
  std::function<void(TFont*)> OnChange;

  // Negative: the character height in pixels; positive: the cell height
  // (character plus internal leading).
  int Height() const { return height_; }
  void SetHeight(int height);
  // Points, at PixelsPerInch.
  int Size() const { return -MulDiv(height_, 72, PixelsPerInch); }
  void SetSize(int points) { SetHeight(-MulDiv(points, PixelsPerInch, 72)); }
  void Assign(const TFont& other);
  friend bool operator==(const TFont& a, const TFont& b);
  // Calls OnChange, unless an Assign is under way (it calls it once at its end).
  void Changed();

 private:
  // The values of other, without calling OnChange.
  void CopyValues(const TFont& other);
  int height_ = -11;
  int changing_ = 0;
  bool changedWhileChanging_ = false;
};

template <typename T>
TFontProperty<T>& TFontProperty<T>::operator=(const T& value) {
  if (value_ == value) return *this;
  value_ = value;
  owner_->Changed();
  return *this;
}

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmCopy, pmXor, pmNotXor, pmNot };

class TPen {
 public:
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
  void Assign(const TPen& other) { *this = other; }
  friend bool operator==(const TPen&, const TPen&) = default;
};

enum TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

class TBrush {
 public:
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
  void Assign(const TBrush& other) { *this = other; }
  friend bool operator==(const TBrush&, const TBrush&) = default;
};

// ---- flags of the drawing calls ---------------------------------------------

constexpr unsigned DT_TOP = 0, DT_LEFT = 0, DT_CENTER = 1, DT_RIGHT = 2, DT_VCENTER = 4, DT_BOTTOM = 8,
                   DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_NOCLIP = 0x100,
                   DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
                   DT_EDITCONTROL = 0x2000, DT_END_ELLIPSIS = 0x8000;

constexpr unsigned TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24;
// Mapping modes a canvas takes.
constexpr int MM_TEXT = 1, MM_ANISOTROPIC = 8;
constexpr unsigned ETO_OPAQUE = 2, ETO_CLIPPED = 4;
// Right-to-left reading order of a text: a text-alignment mode and an
// output option. Pages record them; the screen and the PDF draw Greek and
// Latin text in its own order whatever they say.
constexpr unsigned TA_RTLREADING = 256, ETO_RTLREADING = 128;

enum TDeviceCap {
  HORZSIZE = 4,
  VERTSIZE = 6,
  HORZRES = 8,
  VERTRES = 10,
  BITSPIXEL = 12,
  LOGPIXELSX = 88,
  LOGPIXELSY = 90,
  PHYSICALWIDTH = 110,
  PHYSICALHEIGHT = 111,
  PHYSICALOFFSETX = 112,
  PHYSICALOFFSETY = 113,
};

// Font metrics in device units, ascent and descent each rounded to a whole
// unit so that line and cell arithmetic never drifts.
struct TTextMetric {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
};

// A clipping region: the union of rectangles.
using TRegion = std::vector<TRect>;

// A block of 32-bit pixels, 0xAARRGGBB in native order, rows top to bottom.
// An alpha below 0x80 marks a pixel that is not drawn.
struct TPixelBlock {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;
  // Every pixel is opaque (alpha 0xFF): a promise of whoever filled the
  // block so, for as long as it holds, which lets the rows be copied whole.
  bool Opaque = false;
  std::uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// A colour (system colours resolved) as a pixel's 0x00RRGGBB; an opaque
// pixel adds 0xFF000000.
inline std::uint32_t ColorToPixel(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return (static_cast<std::uint32_t>(GetRValue(rgb)) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb);
}

// Raised for picture data that cannot be read, with the class library's
// messages ("Bitmap image is not valid", ...).
DIM_EXCEPTION(EInvalidGraphic, Exception)

// The largest picture file read: above the bytes of the largest picture the
// decoders accept, so a valid one is never refused for its size.
constexpr Int64 MaxPictureFileSize = Int64{1} << 30;

// A picture that draws itself onto a canvas (bitmaps, icons, JPEG images,
// metafiles) and reads and writes its own file format.
class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const = 0;
  // Stretched into Rect.
  virtual void Draw(class TCanvas& canvas, const TRect& rect) = 0;
  // From the stream's position; damaged data raises EInvalidGraphic and
  // leaves the picture as it was.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) const = 0;
  // Only a regular file within MaxPictureFileSize is read (EFOpenError,
  // EReadError otherwise, naming the file); the picture is unchanged then.
  void LoadFromFile(const AnsiString& fileName);
  // Through a temporary file renamed over the target.
  void SaveToFile(const AnsiString& fileName) const;
  bool Transparent = false;
};

// ---- canvas ----------------------------------------------------------------

class TCanvas;

// The widths of the pieces of one text at a canvas's font, each as the
// canvas's TextWidth gives that piece alone, for as long as the font
// stays. Breaking a paragraph into lines measures many pieces of it: the
// text's advances are summed once, and a piece is then a subtraction.
// Only a piece holding a character whose advance depends on its
// neighbours (a tab, another control character) is measured on its own.
class TTextRuler {
 public:
  // Characters From to To (0-based, To excluded).
  int Width(std::size_t from, std::size_t to) const;

 private:
  friend class TCanvas;
  TCanvas* canvas_ = nullptr;
  AnsiString text_;
  std::vector<long long> sums_;
  // How many of the characters before each place are measured on their
  // own; empty when none is.
  std::vector<std::size_t> laidOut_;
  bool summed_ = false;
};

class TCanvas {
 public:
  TCanvas();
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // Owned; drawing calls use their state at the time of the call.
  TFont* const Font;
  TPen* const Pen;
  TBrush* const Brush;
  TPoint PenPos;

  // -- text. With a brush that is not clear the text cell is filled with
  // the brush colour first, as the background mode follows the brush.
  void TextOut(int x, int y, const AnsiString& text);
  void TextRect(const TRect& rect, int x, int y, const AnsiString& text);
  int TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
  int TextHeight(const AnsiString& text) { return TextExtent(text).cy; }
  // Measured by the text engine at the canvas's font; a canvas that draws
  // through another asks that one.
  virtual TSize TextExtent(const AnsiString& text);
  virtual TTextMetric GetTextMetrics();
  // X positions of each character's right edge, relative to the start.
  virtual std::vector<int> CharacterEnds(const AnsiString& text);
  // Measures pieces of Text as TextWidth would; a canvas that measures
  // through another rules there.
  virtual TTextRuler Ruler(const AnsiString& text);
  // The reference point is the top of the cell unless TA_BOTTOM or
  // TA_BASELINE is set; TA_LEFT, TA_RIGHT, TA_CENTER place it horizontally.
  // Dx, when given, holds one advance per character.
  virtual void ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                          const int* dx = nullptr) = 0;
  // Returns the height of the text; with DT_VCENTER or DT_BOTTOM the offset
  // from the rectangle's top to the bottom of the text.
  virtual int DrawText(const AnsiString& text, TRect& rect, unsigned format);
  // Whether all a text drawn at (X, Y) as its top-left corner would leave
  // on the canvas (its glyphs, its background) falls within Rect, so that
  // a clip to Rect changes nothing; false where that is not known without
  // drawing it.
  virtual bool TextInkWithin(const AnsiString& text, int x, int y, const TRect& rect) {
    (void)text, (void)x, (void)y, (void)rect;
    return false;
  }
  // Wide (UTF-16) text, for characters beyond the code page; the same
  // rules as the calls above.
  TSize TextExtentW(const WideString& text);
  int TextWidthW(const WideString& text) { return TextExtentW(text).cx; }
  std::vector<int> CharacterEndsW(const WideString& text);
  // Canvases that draw through another canvas and do not pass wide text
  // on show its code-page form: exact for Greek and Latin text, "?" for
  // characters the code page lacks. The drawing canvases show it all.
  virtual void ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                           const int* dx = nullptr);
  virtual int DrawTextW(const WideString& text, TRect& rect, unsigned format);
  void SetTextAlign(unsigned align) { textAlign_ = align; }
  unsigned GetTextAlign() const { return textAlign_; }

  // -- shapes. FillRect covers Left..Right-1 × Top..Bottom-1 with the brush.
  virtual void FillRect(const TRect& rect) = 0;
  void FrameRect(const TRect& rect);
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  virtual void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) = 0;
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // Counter-clockwise from the radial through (x3, y3) to the one through (x4, y4).
  virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void Polygon(const std::vector<TPoint>& points) = 0;
  virtual void Polyline(const std::vector<TPoint>& points) = 0;
  void MoveTo(int x, int y) { PenPos = {x, y}; }
  // The end point itself is not drawn.
  void LineTo(int x, int y);
  // A line from From up to To along an axis, drawn as Polyline draws it
  // where the canvas has a cheaper way (a window's pixels): edges and
  // frames are drawn line by line. False, drawing nothing, elsewhere.
  virtual bool LineAlongAxis(TPoint from, TPoint to) {
    (void)from, (void)to;
    return false;
  }
  // A dotted frame drawn by inverting, so drawing it twice removes it.
  virtual void DrawFocusRect(const TRect& rect) = 0;

  // -- pictures.
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  // Pixels stretched into Dest; with Transparent, pixels of colour Key
  // (0x00BBGGRR) are left out.
  virtual void DrawPixels(const TRect& dest, const TPixelBlock& pixels, bool transparent, TColor key) = 0;

  // -- clipping, in device units; IntersectClipRect alone takes logical
  // units (see the mapping below).
  bool HasClip() const { return clip_.has_value(); }
  const TRegion* ClipRegion() const { return clip_ ? &*clip_ : nullptr; }
  // The bounding box of the clipping region, or the whole surface.
  TRect ClipRect();
  void SelectClipRect(const TRect& rect);
  void IntersectClipRect(const TRect& rect);
  // Null removes the clipping.
  void SelectClipRgn(const TRegion* region);
  void ExtSelectClipRgnAnd(const TRegion& region);

  // -- mapping of logical coordinates onto the device: MM_TEXT moves by the
  // origins only; MM_ANISOTROPIC also scales each axis by its viewport
  // extent over its window extent: device = (logical - window origin) ×
  // scale + viewport origin. Shapes and pictures follow the mapping, so a
  // negative extent mirrors them; text is placed at its mapped reference
  // point, its alignment read in logical units, its glyphs upright and of
  // the font's own size. Clipping stays in device units.
  // Returns the previous mode; another mode is refused (0).
  int SetMapMode(int mode);
  int GetMapMode() const { return mapping_.mode; }
  void SetWindowOrgEx(int x, int y);
  void SetViewportOrgEx(int x, int y);
  // An extent of 0 is refused.
  void SetWindowExtEx(int cx, int cy);
  void SetViewportExtEx(int cx, int cy);
  TPoint LPtoDP(TPoint p) const;
  // Both corners mapped; the edges of a flipped axis change places, so a
  // rectangle keeps its left edge on the device's left.
  TRect LPtoDP(const TRect& r) const;
  std::vector<TPoint> LPtoDP(const std::vector<TPoint>& points) const;
  bool FlipsX() const { return Scaled() && (mapping_.windowExt.cx < 0) != (mapping_.viewportExt.cx < 0); }
  bool FlipsY() const { return Scaled() && (mapping_.windowExt.cy < 0) != (mapping_.viewportExt.cy < 0); }
  // Lengths (pen widths aside) along each axis, unsigned.
  int LengthToDeviceX(int length) const;
  int LengthToDeviceY(int length) const;
  bool Maps() const { return mapping_.mode != MM_TEXT || mapping_.windowOrg != mapping_.viewportOrg; }
  // The text alignment as the device applies it: alignment is logical, so
  // on a mirrored axis text starts at its right (bottom) instead.
  unsigned DeviceTextAlign() const;
  // This canvas takes Source's mapping with both origins moved by Offset:
  // a canvas that draws through another, Offset from its corner.
  void CopyMapping(const TCanvas& source, TPoint offset);

  // -- saved states (font, pen, brush, alignment, position, clipping,
  // mapping).
  int SaveDC();
  // Negative: relative to the last saved state (-1 the last).
  bool RestoreDC(int saved);

  virtual int GetDeviceCaps(int index) const = 0;

  // Helpers that draw through the canvas (edges, frame controls) name
  // themselves here first; only the recording canvas keeps the note.
  virtual void Note(const char* op, const TRect& rect, unsigned flags1, unsigned flags2) {
    (void)op, (void)rect, (void)flags1, (void)flags2;
  }

 protected:
  // Back to a new canvas's font, pen, brush, alignment, pen position,
  // clipping and mapping, keeping the storage of its saved states: a
  // canvas kept from paint to paint starts each as a new one.
  void Reset();
  virtual void ClipChanged() = 0;
  // Canvases that keep the mapping themselves (metafiles) hear of changes.
  virtual void MappingChanged() {}
  // The visible size of the surface in device units.
  virtual TSize SurfaceSize() const = 0;
  unsigned textAlign_ = TA_LEFT | TA_TOP;

 public:
  struct Mapping {
    int mode = MM_TEXT;
    TPoint windowOrg, viewportOrg;
    TSize windowExt{1, 1}, viewportExt{1, 1};
    friend bool operator==(const Mapping&, const Mapping&) = default;
  };
  const Mapping& CurrentMapping() const { return mapping_; }

 private:
  struct SavedState {
    TFont font;
    TPen pen;
    TBrush brush;
    TPoint penPos;
    unsigned textAlign = 0;
    std::optional<TRegion> clip;
    struct Mapping mapping;
  };
  bool Scaled() const { return mapping_.mode == MM_ANISOTROPIC; }
  int MapX(int x) const;
  int MapY(int y) const;
  void SetMapping(const Mapping& mapping);
  std::optional<TRegion> clip_;
  // The storage of a clipping removed, for the next one.
  TRegion spareClip_;
  Mapping mapping_;
  // The saved states are the first savedCount_; the slots past them wait
  // for reuse.
  std::vector<SavedState> saved_;
  size_t savedCount_ = 0;
};

// Intersects two regions (each a union of rectangles).
TRegion IntersectRegions(const TRegion& a, const TRegion& b);

// A polygon as a region of whole pixels: a pixel belongs when the polygon
// covers any of it, by the winding rule (WINDING) or the even-odd rule
// (ALTERNATE). One rectangle per run of a pixel row.
constexpr int ALTERNATE = 1, WINDING = 2;
TRegion CreatePolygonRgn(const std::vector<TPoint>& points, int fillMode);
bool PtInRegion(const TRegion& region, int x, int y);
// The smallest rectangle holding the region; empty for an empty region.
TRect RegionBox(const TRegion& region);
