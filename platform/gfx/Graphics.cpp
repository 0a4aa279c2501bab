#include "platform/gfx/Graphics.h"

#include <algorithm>

#include "platform/gfx/TextEngine.h"
#include "platform/rtl/FileUtils.h"

namespace {

// The classic palette, by system colour index (0x00BBGGRR).
constexpr TColor kClassicPalette[] = {
    0xC8D0D4,  // scroll bar
    0xA56E3A,  // background
    0x6A240A,  // active caption
    0x808080,  // inactive caption
    0xC8D0D4,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC8D0D4,  // active border
    0xC8D0D4,  // inactive border
    0x808080,  // application work space
    0x6A240A,  // highlight
    0xFFFFFF,  // highlight text
    0xC8D0D4,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC8D0D4,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x404040,  // 3-D dark shadow
    0xC8D0D4,  // 3-D light
    0x000000,  // info text
    0xE1FFFF,  // info background
    0xB5B5B5,  // (unused slot)
    0x800000,  // hot light
    0xF0CAA6,  // gradient active caption
    0xC0C0C0,  // gradient inactive caption
    0xC56A31,  // menu highlight
    0xC8D0D4,  // menu bar
};

}  // namespace

TColor ColorToRGB(TColor color) {
  if (color == clNone) return clWhite;
  if (color == clDefault) return clBlack;
  if (color < 0) {
    unsigned index = static_cast<unsigned>(color) & 0xFF;
    if (index < std::size(kClassicPalette)) return kClassicPalette[index];
    return clBlack;
  }
  return color & 0xFFFFFF;
}

void TFont::Assign(const TFont& other) {
  Name = other.Name;
  Color = other.Color;
  Style = other.Style;
  Charset = other.Charset;
  Pitch = other.Pitch;
  Orientation = other.Orientation;
  // The size in points is kept across resolutions, as a font assigned from
  // the screen to a printer keeps its size (a cell height scales likewise).
  if (PixelsPerInch == other.PixelsPerInch)
    height_ = other.height_;
  else
    SetSize(other.Size());
}

bool operator==(const TFont& a, const TFont& b) {
  return a.Name == b.Name && a.Color == b.Color && a.Style == b.Style && a.Charset == b.Charset &&
         a.Pitch == b.Pitch && a.Orientation == b.Orientation && a.height_ == b.height_;
}

TCanvas::TCanvas() : Font(new TFont), Pen(new TPen), Brush(new TBrush) {}

TCanvas::~TCanvas() {
  delete Font;
  delete Pen;
  delete Brush;
}

void TCanvas::TextOut(int x, int y, const AnsiString& text) {
  ExtTextOut(x, y, 0, nullptr, text);
  PenPos = {x + TextWidth(text), y};
}

TSize TCanvas::TextExtentW(const WideString& text) {
  const gfx::ResolvedFont& font = gfx::Resolve(*Font);
  return {font.Width(gfx::ResolvedFont::ConvertWide(text)), font.Metrics().tmHeight};
}

std::vector<int> TCanvas::CharacterEndsW(const WideString& text) {
  return gfx::Resolve(*Font).CharacterEnds(gfx::ResolvedFont::ConvertWide(text));
}

void TCanvas::ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                          const int* dx) {
  ExtTextOut(x, y, options, rect, cp1253::FromWide(text), dx);
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const AnsiString& text) {
  unsigned options = ETO_CLIPPED;
  if (Brush->Style != bsClear) options |= ETO_OPAQUE;
  ExtTextOut(x, y, options, &rect, text);
}

void TCanvas::FrameRect(const TRect& r) {
  if (r.IsEmpty()) return;
  FillRect({r.Left, r.Top, r.Right, r.Top + 1});
  FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
  FillRect({r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1});
  FillRect({r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1});
}

void TCanvas::LineTo(int x, int y) {
  Polyline({PenPos, {x, y}});
  PenPos = {x, y};
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (graphic == nullptr || graphic->Empty()) return;
  graphic->Draw(*this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
  if (graphic == nullptr || graphic->Empty()) return;
  graphic->Draw(*this, rect);
}

void TGraphic::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const AnsiString& fileName) const {
  TMemoryStream stream;
  SaveToStream(stream);
  SafeWriteFile(fileName, std::string_view(static_cast<const char*>(stream.Memory()),
                                           static_cast<size_t>(stream.Size())));
}

TRegion IntersectRegions(const TRegion& a, const TRegion& b) {
  TRegion result;
  for (const TRect& ra : a)
    for (const TRect& rb : b) {
      TRect common = IntersectRect(ra, rb);
      if (!common.IsEmpty()) result.push_back(common);
    }
  return result;
}

TRect TCanvas::ClipRect() {
  TSize size = SurfaceSize();
  TRect whole{0, 0, size.cx, size.cy};
  if (!clip_) return whole;
  if (clip_->empty()) return {};
  TRect box = clip_->front();
  for (const TRect& r : *clip_) {
    box.Left = std::min(box.Left, r.Left);
    box.Top = std::min(box.Top, r.Top);
    box.Right = std::max(box.Right, r.Right);
    box.Bottom = std::max(box.Bottom, r.Bottom);
  }
  return box;
}

void TCanvas::SelectClipRect(const TRect& rect) {
  clip_ = TRegion{};
  if (!rect.IsEmpty()) clip_->push_back(rect);
  ClipChanged();
}

void TCanvas::IntersectClipRect(const TRect& rect) {
  if (!clip_) {
    SelectClipRect(rect);
    return;
  }
  clip_ = IntersectRegions(*clip_, TRegion{rect});
  ClipChanged();
}

void TCanvas::SelectClipRgn(const TRegion* region) {
  if (region == nullptr)
    clip_.reset();
  else {
    clip_ = TRegion{};
    for (const TRect& r : *region)
      if (!r.IsEmpty()) clip_->push_back(r);
  }
  ClipChanged();
}

void TCanvas::ExtSelectClipRgnAnd(const TRegion& region) {
  if (!clip_)
    SelectClipRgn(&region);
  else {
    clip_ = IntersectRegions(*clip_, region);
    ClipChanged();
  }
}

int TCanvas::SaveDC() {
  saved_.push_back({*Font, *Pen, *Brush, PenPos, textAlign_, clip_});
  return static_cast<int>(saved_.size());
}

bool TCanvas::RestoreDC(int saved) {
  int index = saved < 0 ? static_cast<int>(saved_.size()) + saved : saved - 1;
  if (index < 0 || index >= static_cast<int>(saved_.size())) return false;
  SavedState state = saved_[index];
  saved_.resize(index);
  *Font = state.font;
  *Pen = state.pen;
  *Brush = state.brush;
  PenPos = state.penPos;
  textAlign_ = state.textAlign;
  clip_ = state.clip;
  ClipChanged();
  return true;
}
