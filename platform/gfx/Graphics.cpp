#include "platform/gfx/Graphics.h"

#include <algorithm>
#include <utility>

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

void TFont::CopyValues(const TFont& other) {
  Name.value_ = other.Name.value_;
  Color.value_ = other.Color.value_;
  Style.value_ = other.Style.value_;
  Charset.value_ = other.Charset.value_;
  Pitch.value_ = other.Pitch.value_;
  Orientation.value_ = other.Orientation.value_;
  PixelsPerInch = other.PixelsPerInch;
  height_ = other.height_;
}

TFont& TFont::operator=(const TFont& other) {
  if (this == &other) return *this;
  const bool same = *this == other && PixelsPerInch == other.PixelsPerInch;
  CopyValues(other);
  if (!same) Changed();
  return *this;
}

void TFont::SetHeight(int height) {
  if (height_ == height) return;
  height_ = height;
  Changed();
}

void TFont::Changed() {
  if (changing_ > 0) {
    changedWhileChanging_ = true;
    return;
  }
  if (OnChange) OnChange(this);
}

void TFont::Assign(const TFont& other) {
  // One change for the whole assignment, as the class library's fonts do.
  ++changing_;
  Name = other.Name.Value();
  Color = other.Color.Value();
  Style = other.Style.Value();
  Charset = other.Charset.Value();
  Pitch = other.Pitch.Value();
  Orientation = other.Orientation.Value();
  // The size in points is kept across resolutions, as a font assigned from
  // the screen to a printer keeps its size (a cell height scales likewise).
  if (PixelsPerInch == other.PixelsPerInch)
    SetHeight(other.height_);
  else
    SetSize(other.Size());
  --changing_;
  if (changing_ == 0 && changedWhileChanging_) {
    changedWhileChanging_ = false;
    Changed();
  }
}

// The name last: fonts that differ mostly differ in size, style or colour.
bool operator==(const TFont& a, const TFont& b) {
  return a.height_ == b.height_ && a.Style == b.Style && a.Color == b.Color && a.Charset == b.Charset &&
         a.Pitch == b.Pitch && a.Orientation == b.Orientation && a.Name == b.Name;
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

TSize TCanvas::TextExtent(const AnsiString& text) {
  const gfx::ResolvedFont& font = gfx::Resolve(*Font);
  return {font.Width(text), font.Metrics().tmHeight};
}

TTextRuler TCanvas::Ruler(const AnsiString& text) {
  TTextRuler ruler;
  ruler.canvas_ = this;
  gfx::Resolve(*Font).AdvanceSums(text, ruler.sums_, ruler.laidOut_);
  ruler.summed_ = true;
  if (!ruler.laidOut_.empty()) ruler.text_ = text;
  return ruler;
}

int TTextRuler::Width(std::size_t from, std::size_t to) const {
  if (summed_ && (laidOut_.empty() || laidOut_[to] == laidOut_[from]))
    return gfx::ResolvedFont::WholeWidth(sums_[to] - sums_[from]);
  return canvas_->TextWidth(text_.substr(from, to - from));
}

TTextMetric TCanvas::GetTextMetrics() { return gfx::Resolve(*Font).Metrics(); }

std::vector<int> TCanvas::CharacterEnds(const AnsiString& text) {
  return gfx::Resolve(*Font).CharacterEnds(text);
}

TSize TCanvas::TextExtentW(const WideString& text) {
  const gfx::ResolvedFont& font = gfx::Resolve(*Font);
  return {font.Width(std::u16string_view(text)), font.Metrics().tmHeight};
}

std::vector<int> TCanvas::CharacterEndsW(const WideString& text) {
  return gfx::Resolve(*Font).CharacterEnds(std::u16string_view(text));
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
  // The two points in storage kept for the next line: edges and frames draw
  // many short lines. No canvas draws a line while it draws a polyline.
  static thread_local std::vector<TPoint> segment;
  if (!LineAlongAxis(PenPos, TPoint{x, y})) {
    segment.assign({PenPos, TPoint{x, y}});
    Polyline(segment);
  }
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
  // Read whole and bounded first: a pipe or device named as a picture would
  // otherwise block or feed the decoder forever, and no picture we can
  // decode is larger than the pixel bound allows.
  TStringStream stream(ReadWholeFile(fileName, MaxPictureFileSize));
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
  return RegionBox(*clip_);
}

// The clipping region is rewritten in its own storage wherever it can be:
// painting sets and narrows it for every cell.

void TCanvas::Reset() {
  *Font = TFont();
  *Pen = TPen();
  *Brush = TBrush();
  PenPos = {};
  textAlign_ = TA_LEFT | TA_TOP;
  savedCount_ = 0;
  SelectClipRgn(nullptr);
  mapping_ = Mapping{};
  MappingChanged();
}

namespace {
// A clipping set where there was none takes the storage of the last one
// removed.
void Engage(std::optional<TRegion>& clip, TRegion& spare) {
  if (!clip) clip.emplace(std::move(spare));
  clip->clear();
}
}  // namespace

void TCanvas::SelectClipRect(const TRect& rect) {
  Engage(clip_, spareClip_);
  if (!rect.IsEmpty()) clip_->push_back(rect);
  ClipChanged();
}

void TCanvas::IntersectClipRect(const TRect& logical) {
  const TRect rect = LPtoDP(logical);
  if (!clip_) {
    SelectClipRect(rect);
    return;
  }
  // Each rectangle of the region cut to Rect, in place, in the order
  // IntersectRegions gives.
  TRegion& region = *clip_;
  size_t kept = 0;
  for (size_t i = 0; i < region.size(); ++i) {
    const TRect common = IntersectRect(region[i], rect);
    if (!common.IsEmpty()) region[kept++] = common;
  }
  region.resize(kept);
  ClipChanged();
}

void TCanvas::SelectClipRgn(const TRegion* region) {
  if (region == nullptr) {
    if (clip_) spareClip_ = std::move(*clip_);
    clip_.reset();
  } else if (clip_ && region == &*clip_) {
    std::erase_if(*clip_, [](const TRect& r) { return r.IsEmpty(); });
  } else {
    Engage(clip_, spareClip_);
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

// ---- mapping ----------------------------------------------------------------------

namespace {

// Value × numerator / denominator, to the nearest integer (halves away from 0).
int ScaleRounded(long long value, int numerator, int denominator) {
  long long product = value * numerator;
  if (denominator < 0) product = -product, denominator = -denominator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : -((-product + half) / denominator));
}

}  // namespace

void TCanvas::SetMapping(const Mapping& mapping) {
  if (mapping == mapping_) return;
  mapping_ = mapping;
  MappingChanged();
}

int TCanvas::SetMapMode(int mode) {
  if (mode != MM_TEXT && mode != MM_ANISOTROPIC) return 0;
  const int previous = mapping_.mode;
  Mapping next = mapping_;
  next.mode = mode;
  SetMapping(next);
  return previous;
}

void TCanvas::SetWindowOrgEx(int x, int y) {
  Mapping next = mapping_;
  next.windowOrg = {x, y};
  SetMapping(next);
}

void TCanvas::SetViewportOrgEx(int x, int y) {
  Mapping next = mapping_;
  next.viewportOrg = {x, y};
  SetMapping(next);
}

void TCanvas::SetWindowExtEx(int cx, int cy) {
  if (cx == 0 || cy == 0) return;
  Mapping next = mapping_;
  next.windowExt = {cx, cy};
  SetMapping(next);
}

void TCanvas::SetViewportExtEx(int cx, int cy) {
  if (cx == 0 || cy == 0) return;
  Mapping next = mapping_;
  next.viewportExt = {cx, cy};
  SetMapping(next);
}

void TCanvas::CopyMapping(const TCanvas& source, TPoint offset) {
  Mapping next = source.mapping_;
  next.windowOrg = {next.windowOrg.X + offset.X, next.windowOrg.Y + offset.Y};
  next.viewportOrg = {next.viewportOrg.X + offset.X, next.viewportOrg.Y + offset.Y};
  SetMapping(next);
}

int TCanvas::MapX(int x) const {
  const long long logical = static_cast<long long>(x) - mapping_.windowOrg.X;
  const int scaled = Scaled() ? ScaleRounded(logical, mapping_.viewportExt.cx, mapping_.windowExt.cx)
                              : static_cast<int>(logical);
  return scaled + mapping_.viewportOrg.X;
}

int TCanvas::MapY(int y) const {
  const long long logical = static_cast<long long>(y) - mapping_.windowOrg.Y;
  const int scaled = Scaled() ? ScaleRounded(logical, mapping_.viewportExt.cy, mapping_.windowExt.cy)
                              : static_cast<int>(logical);
  return scaled + mapping_.viewportOrg.Y;
}

TPoint TCanvas::LPtoDP(TPoint p) const {
  if (!Maps()) return p;
  return {MapX(p.X), MapY(p.Y)};
}

TRect TCanvas::LPtoDP(const TRect& r) const {
  if (!Maps()) return r;
  TRect d{MapX(r.Left), MapY(r.Top), MapX(r.Right), MapY(r.Bottom)};
  if (FlipsX()) std::swap(d.Left, d.Right);
  if (FlipsY()) std::swap(d.Top, d.Bottom);
  return d;
}

std::vector<TPoint> TCanvas::LPtoDP(const std::vector<TPoint>& points) const {
  if (!Maps()) return points;
  std::vector<TPoint> mapped;
  mapped.reserve(points.size());
  for (TPoint p : points) mapped.push_back({MapX(p.X), MapY(p.Y)});
  return mapped;
}

unsigned TCanvas::DeviceTextAlign() const {
  unsigned align = textAlign_;
  if (FlipsX() && (align & TA_CENTER) != TA_CENTER) align ^= TA_RIGHT;
  if (FlipsY() && (align & TA_BASELINE) != TA_BASELINE) align ^= TA_BOTTOM;
  return align;
}

int TCanvas::LengthToDeviceX(int length) const {
  return Scaled() ? std::abs(ScaleRounded(length, mapping_.viewportExt.cx, mapping_.windowExt.cx)) : length;
}

int TCanvas::LengthToDeviceY(int length) const {
  return Scaled() ? std::abs(ScaleRounded(length, mapping_.viewportExt.cy, mapping_.windowExt.cy)) : length;
}

// A save and a restore read each member of the canvas once, into a
// reference: the sanitizer builds check the canvas's dynamic type at every
// touch of a member, and a cell of a grid or a page of rich text is drawn
// between the two.
int TCanvas::SaveDC() {
  // Slots of states restored stay for the next save: their regions keep
  // their storage, so a save and restore per cell of a paint costs no
  // allocation.
  std::vector<SavedState>& saved = saved_;
  const size_t count = savedCount_ + 1;
  if (count > saved.size()) saved.emplace_back();
  savedCount_ = count;
  SavedState& slot = saved[count - 1];
  slot.font = *Font;
  slot.pen = *Pen;
  slot.brush = *Brush;
  slot.penPos = PenPos;
  slot.textAlign = textAlign_;
  const std::optional<TRegion>& clip = clip_;
  if (!clip) {
    // The region the slot kept waits for the next clipping instead of
    // going: a page drawn as save, clip and restore costs no allocation.
    TRegion& spare = spareClip_;
    if (slot.clip && spare.capacity() < slot.clip->capacity()) spare = std::move(*slot.clip);
    slot.clip.reset();
  } else if (slot.clip)
    slot.clip->assign(clip->begin(), clip->end());
  else
    slot.clip = clip;
  slot.mapping = mapping_;
  return static_cast<int>(count);
}

bool TCanvas::RestoreDC(int saved) {
  const int count = static_cast<int>(savedCount_);
  const int index = saved < 0 ? count + saved : saved - 1;
  if (index < 0 || index >= count) return false;
  SavedState& state = saved_[static_cast<size_t>(index)];
  savedCount_ = static_cast<size_t>(index);
  *Font = state.font;
  *Pen = state.pen;
  *Brush = state.brush;
  PenPos = state.penPos;
  textAlign_ = state.textAlign;
  // The slot takes the region left behind, keeping its storage for reuse.
  std::swap(clip_, state.clip);
  ClipChanged();
  SetMapping(state.mapping);
  return true;
}
