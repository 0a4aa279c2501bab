#include "platform/gfx/CairoCanvas.h"

#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <vector>

#include "platform/gfx/TextEngine.h"
#include "platform/rtl/SysUtils.h"

namespace {

double Channel(int value) { return value / 255.0; }

// Dash lengths of the styled one-unit pens.
void SetDash(cairo_t* cr, TPenStyle style) {
  static const double kDash[] = {18, 6}, kDot[] = {3, 3}, kDashDot[] = {9, 6, 3, 6},
                      kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case psDash:
      cairo_set_dash(cr, kDash, 2, 0);
      break;
    case psDot:
      cairo_set_dash(cr, kDot, 2, 0);
      break;
    case psDashDot:
      cairo_set_dash(cr, kDashDot, 4, 0);
      break;
    case psDashDotDot:
      cairo_set_dash(cr, kDashDotDot, 6, 0);
      break;
    default:
      cairo_set_dash(cr, nullptr, 0, 0);
      break;
  }
}

// Cairo rasterises a stroke over the whole reach of its path, seen or not:
// a rectangle millions of pixels wide (a damaged metafile, a frame at an
// absurd zoom) takes seconds and hundreds of megabytes. A path reaching this
// far beyond what can show is stroked line by line, each line cut to the
// part that can show.
constexpr double kFarBeyondClip = 8192;

// The part [t0, t1] of the segment a→b inside the box (Liang–Barsky);
// false when none of it is.
bool ClipSegment(double ax, double ay, double bx, double by, double x1, double y1, double x2, double y2,
                 double& t0, double& t1) {
  t0 = 0;
  t1 = 1;
  const double dx = bx - ax, dy = by - ay;
  const double p[4] = {-dx, dx, -dy, dy}, q[4] = {ax - x1, x2 - ax, ay - y1, y2 - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, r);
    else
      t1 = std::min(t1, r);
    if (t0 > t1) return false;
  }
  return true;
}

// Strokes the current path line by line when it reaches far beyond the clip,
// a dashed pen's lines with the dash phase they have in the whole path.
// False (path untouched) when the plain stroke is cheap.
bool StrokeFarReachingPath(cairo_t* cr) {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0, px1 = 0, py1 = 0, px2 = 0, py2 = 0;
  cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
  cairo_path_extents(cr, &px1, &py1, &px2, &py2);
  if (px1 > x1 - kFarBeyondClip && py1 > y1 - kFarBeyondClip && px2 < x2 + kFarBeyondClip &&
      py2 < y2 + kFarBeyondClip)
    return false;
  const int count = cairo_get_dash_count(cr);
  std::vector<double> dashes(static_cast<size_t>(count));
  double offset = 0, period = 0;
  if (count > 0) cairo_get_dash(cr, dashes.data(), &offset);
  for (double d : dashes) period += d;
  cairo_path_t* path = cairo_copy_path_flat(cr);
  double startX = 0, startY = 0, x = 0, y = 0;

  const double margin = cairo_get_line_width(cr) + 2;
  x1 -= margin, y1 -= margin, x2 += margin, y2 += margin;
  cairo_new_path(cr);
  double along = 0;  // distance from the start of the subpath
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t& d = path->data[i];
    if (d.header.type == CAIRO_PATH_MOVE_TO) {
      startX = x = path->data[i + 1].point.x, startY = y = path->data[i + 1].point.y;
      along = 0;
      continue;
    }
    if (d.header.type != CAIRO_PATH_LINE_TO && d.header.type != CAIRO_PATH_CLOSE_PATH) continue;
    const double nx = d.header.type == CAIRO_PATH_LINE_TO ? path->data[i + 1].point.x : startX;
    const double ny = d.header.type == CAIRO_PATH_LINE_TO ? path->data[i + 1].point.y : startY;
    const double segment = std::hypot(nx - x, ny - y);
    double t0 = 0, t1 = 0;
    if (segment > 0 && ClipSegment(x, y, nx, ny, x1, y1, x2, y2, t0, t1)) {
      if (period > 0)
        cairo_set_dash(cr, dashes.data(), count, std::fmod(offset + along + t0 * segment, period));
      cairo_move_to(cr, x + t0 * (nx - x), y + t0 * (ny - y));
      cairo_line_to(cr, x + t1 * (nx - x), y + t1 * (ny - y));
      cairo_stroke(cr);
    }
    along += segment;
    x = nx, y = ny;
  }
  if (period > 0) cairo_set_dash(cr, dashes.data(), count, offset);
  cairo_path_destroy(path);
  return true;
}

// An 8 × 8 hatch tile: lines in the brush colour, gaps left unpainted.
cairo_pattern_t* NewHatch(TBrushStyle style, TColor color) {
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(tile));
  int stride = cairo_image_surface_get_stride(tile) / 4;
  const std::uint32_t ink = 0xFF000000u | ColorToPixel(color);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      switch (style) {
        case bsHorizontal:
          on = y == 7;
          break;
        case bsVertical:
          on = x == 7;
          break;
        case bsFDiagonal:
          on = x == y;
          break;
        case bsBDiagonal:
          on = x == 7 - y;
          break;
        case bsCross:
          on = x == 7 || y == 7;
          break;
        case bsDiagCross:
          on = x == y || x == 7 - y;
          break;
        default:
          break;
      }
      data[y * stride + x] = on ? ink : 0;
    }
  cairo_surface_mark_dirty(tile);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
  cairo_surface_destroy(tile);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  return pattern;
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::vector<std::uint8_t>*>(closure)->insert(
      static_cast<std::vector<std::uint8_t>*>(closure)->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// Where a write straight to an image surface's pixels lands: the part of
// Box on the surface, and the pixels flushed for writing; Pixels null when
// the surface keeps none of its own.
struct TSurfaceSpan {
  TRect Target{};
  std::uint32_t* Pixels = nullptr;
  int Stride = 0;
};

TSurfaceSpan SurfaceSpan(cairo_surface_t* surface, const TRect& box) {
  TSurfaceSpan span;
  span.Target = IntersectRect(
      box, Rect(0, 0, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)));
  if (span.Target.IsEmpty()) return span;
  cairo_surface_flush(surface);
  span.Pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
  span.Stride = cairo_image_surface_get_stride(surface) / 4;
  return span;
}

// Each part of Target the clip keeps (the clip's rectangles may overlap).
template <typename Write>
void EachClippedPart(const TRegion* clip, const TRect& target, Write&& write) {
  if (clip)
    for (const TRect& r : *clip) write(IntersectRect(r, target));
  else
    write(target);
}

}  // namespace

TCairoCanvas::TCairoCanvas(cairo_surface_t* surface, const TDeviceCaps& caps, double scaleX, double scaleY,
                           bool pixelExact)
    : surface_(cairo_surface_reference(surface)),
      cr_(cairo_create(surface)),
      caps_(caps),
      scaleX_(scaleX),
      scaleY_(scaleY),
      pixelExact_(pixelExact) {
  if (pixelExact && scaleX == 1 && scaleY == 1 &&
      cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE) {
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    directPixels_ = format == CAIRO_FORMAT_RGB24 || format == CAIRO_FORMAT_ARGB32;
  }
  Font->PixelsPerInch = caps.LogPixelsY;
  Font->SetSize(8);
  ResetContext();
}

TCairoCanvas::~TCairoCanvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

void TCairoCanvas::ResetContext() {
  cairo_identity_matrix(cr_);
  cairo_scale(cr_, scaleX_, scaleY_);
  cairo_translate(cr_, originX_, originY_);
  if (pixelExact_) cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  GiveCairoTheClip();
  inkEverywhere_ = false;
  inked_.clear();
}

void TCairoCanvas::Inked(double x1, double y1, double x2, double y2) {
  if (!tracksInk_ || inkEverywhere_) return;
  const InkBox box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  if (inked_.empty())
    inkUnion_ = box;
  else
    inkUnion_ = {std::min(inkUnion_.x1, box.x1), std::min(inkUnion_.y1, box.y1),
                 std::max(inkUnion_.x2, box.x2), std::max(inkUnion_.y2, box.y2)};
  if (inked_.size() >= 256) inked_.clear();
  inked_.push_back(inked_.empty() ? inkUnion_ : box);
}

void TCairoCanvas::InkedByPen(double x1, double y1, double x2, double y2) {
  // Round ends and joins reach half the pen's width beyond the points,
  // the one-unit pen's ends half a unit.
  const double reach = std::max(1, Pen->Width) + 1;
  Inked(std::min(x1, x2) - reach, std::min(y1, y2) - reach, std::max(x1, x2) + reach,
        std::max(y1, y2) + reach);
}

void TCairoCanvas::InkedByPoints(const std::vector<TPoint>& points) {
  if (!tracksInk_ || points.empty()) return;
  int x1 = points[0].X, y1 = points[0].Y, x2 = x1, y2 = y1;
  for (const TPoint& p : points)
    x1 = std::min(x1, p.X), y1 = std::min(y1, p.Y), x2 = std::max(x2, p.X), y2 = std::max(y2, p.Y);
  InkedByPen(x1, y1, x2, y2);
}

bool TCairoCanvas::WhiteOnBlank(const TRect& r) const {
  if (!tracksInk_ || inkEverywhere_ || Brush->Style != bsSolid || Brush->Color == clNone ||
      ColorToRGB(Brush->Color) != clWhite)
    return false;
  const double x1 = std::min(r.Left, r.Right), y1 = std::min(r.Top, r.Bottom), x2 = std::max(r.Left, r.Right),
               y2 = std::max(r.Top, r.Bottom);
  const auto meets = [&](const InkBox& b) { return x1 < b.x2 && b.x1 < x2 && y1 < b.y2 && b.y1 < y2; };
  if (inked_.empty() || !meets(inkUnion_)) return true;
  return std::none_of(inked_.begin(), inked_.end(), meets);
}

void TCairoCanvas::ApplyClip(cairo_t* cr) const {
  cairo_reset_clip(cr);
  const TRegion* region = ClipRegion();
  if (region == nullptr) return;
  cairo_new_path(cr);
  cairo_fill_rule_t rule = cairo_get_fill_rule(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  for (const TRect& r : *region) cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
  if (region->empty()) cairo_rectangle(cr, 0, 0, 0, 0);
  cairo_clip(cr);
  cairo_set_fill_rule(cr, rule);
}

void TCairoCanvas::ClipChanged() { clipStale_ = true; }

void TCairoCanvas::UseClip() {
  if (!clipStale_) return;
  // A cell's clip restored is the clip cairo already has.
  const TRegion* region = ClipRegion();
  if (region ? !hasAppliedClip_ || *region != appliedClip_ : hasAppliedClip_) GiveCairoTheClip();
  clipStale_ = false;
}

bool TCairoCanvas::WithinClip(double x1, double y1, double x2, double y2) const {
  const TRegion* region = ClipRegion();
  if (region == nullptr) return true;
  return std::any_of(region->begin(), region->end(), [&](const TRect& r) {
    return r.Left <= x1 && r.Top <= y1 && x2 <= r.Right && y2 <= r.Bottom;
  });
}

void TCairoCanvas::LeaveCairoUnclipped() {
  if (hasAppliedClip_) {
    cairo_reset_clip(cr_);
    hasAppliedClip_ = false;
    appliedClip_.clear();
  }
  clipStale_ = ClipRegion() != nullptr;
}

void TCairoCanvas::GiveCairoTheClip() {
  ApplyClip(cr_);
  const TRegion* region = ClipRegion();
  hasAppliedClip_ = region != nullptr;
  if (region)
    appliedClip_.assign(region->begin(), region->end());
  else
    appliedClip_.clear();
  clipStale_ = false;
}

bool TCairoCanvas::FillPixels(const TRect& box, TColor color) {
  if (!directPixels_ || originX_ != 0 || originY_ != 0) return false;
  const TSurfaceSpan span = SurfaceSpan(surface_, box);
  if (span.Target.IsEmpty()) return true;
  if (!span.Pixels) return false;
  const std::uint32_t pixel = 0xFF000000u | ColorToPixel(color);
  // The pixel library fills as cairo would have had it fill.
  const auto fill = [&](const TRect& part) {
    if (part.IsEmpty()) return;
    pixman_fill(span.Pixels, span.Stride, 32, part.Left, part.Top, part.Width(), part.Height(), pixel);
    cairo_surface_mark_dirty_rectangle(surface_, part.Left, part.Top, part.Width(), part.Height());
  };
  // Overlapping parts of the clip fill the same colour twice.
  EachClippedPart(ClipRegion(), span.Target, fill);
  return true;
}

bool TCairoCanvas::CopyPixels(const TRect& dest, const TPixelBlock& pixels, bool transparent, TColor key) {
  if (!directPixels_ || originX_ != 0 || originY_ != 0 || dest.Width() != pixels.Width ||
      dest.Height() != pixels.Height ||
      pixels.Pixels.size() < static_cast<size_t>(pixels.Width) * pixels.Height)
    return false;
  const TSurfaceSpan span = SurfaceSpan(surface_, dest);
  if (span.Target.IsEmpty()) return true;
  if (!span.Pixels) return false;
  const std::uint32_t keyPixel = ColorToPixel(key), keyOff = transparent ? 0u : 1u;
  // What cairo's painting of the picture at one to one leaves: the shown
  // pixels opaque, the hidden ones untouched.
  const bool whole = pixels.Opaque && !transparent;
  const auto copy = [&](const TRect& part) {
    if (part.IsEmpty()) return;
    for (int y = part.Top; y < part.Bottom; ++y) {
      const std::uint32_t* from = pixels.Pixels.data() + static_cast<size_t>(y - dest.Top) * pixels.Width;
      std::uint32_t* to = span.Pixels + static_cast<size_t>(y) * span.Stride;
      if (whole) {
        std::memcpy(to + part.Left, from + (part.Left - dest.Left), sizeof(std::uint32_t) * part.Width());
        continue;
      }
      // Chosen by arithmetic rather than by tests: a picture (the pan mark,
      // a glyph) is copied at every tick of a timer.
      const std::uint32_t* in = from + (part.Left - dest.Left);
      std::uint32_t* out = to + part.Left;
      for (std::uint32_t* end = out + part.Width(); out != end; ++in, ++out) {
        const std::uint32_t p = *in;
        // All ones when the pixel shows: alpha 0x80 or more, and not the key.
        const std::uint32_t other = (p ^ keyPixel) & 0xFFFFFFu;
        const std::uint32_t shows = (p >> 31) & (((other | (0u - other)) >> 31) | keyOff);
        const std::uint32_t mask = 0u - shows;
        *out = (*out & ~mask) | ((0xFF000000u | p) & mask);
      }
    }
    cairo_surface_mark_dirty_rectangle(surface_, part.Left, part.Top, part.Width(), part.Height());
  };
  EachClippedPart(ClipRegion(), span.Target, copy);
  return true;
}

void TCairoCanvas::SetColor(TColor color) {
  TColor rgb = ColorToRGB(color);
  cairo_set_source_rgb(cr_, Channel(GetRValue(rgb)), Channel(GetGValue(rgb)), Channel(GetBValue(rgb)));
}

void TCairoCanvas::SetColorOnce(TColor color) {
  const TColor rgb = ColorToRGB(color);
  const double r = Channel(GetRValue(rgb)), g = Channel(GetGValue(rgb)), b = Channel(GetBValue(rgb));
  double r0, g0, b0, a0;
  if (cairo_pattern_get_rgba(cairo_get_source(cr_), &r0, &g0, &b0, &a0) == CAIRO_STATUS_SUCCESS && r0 == r &&
      g0 == g && b0 == b && a0 == 1)
    return;
  cairo_set_source_rgb(cr_, r, g, b);
}

bool TCairoCanvas::PenVisible() const { return Pen->Style != psClear && Pen->Color != clNone; }
bool TCairoCanvas::BrushVisible() const { return Brush->Style != bsClear && Brush->Color != clNone; }

void TCairoCanvas::ApplyPen() {
  int width = std::max(1, Pen->Width);
  cairo_set_line_width(cr_, width);
  // Styles apply to one-unit pens; wider ones draw solid with round ends.
  SetDash(cr_, width == 1 ? Pen->Style : psSolid);
  cairo_set_line_cap(cr_, width == 1 ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr_, width == 1 ? CAIRO_LINE_JOIN_BEVEL : CAIRO_LINE_JOIN_ROUND);
  SetColor(Pen->Color);
}

void TCairoCanvas::FillWithBrush() {
  if (!BrushVisible()) {
    cairo_new_path(cr_);
    return;
  }
  if (Brush->Style == bsSolid) {
    SetColor(Brush->Color);
    cairo_fill(cr_);
  } else {
    cairo_pattern_t* hatch = NewHatch(Brush->Style, Brush->Color);
    cairo_set_source(cr_, hatch);
    cairo_fill(cr_);
    cairo_pattern_destroy(hatch);
  }
}

void TCairoCanvas::StrokeWithPen() {
  if (!PenVisible()) {
    cairo_new_path(cr_);
    return;
  }
  ApplyPen();
  if (Pen->Mode == pmCopy || !pixelExact_) {
    if (!StrokeFarReachingPath(cr_)) cairo_stroke(cr_);
    return;
  }
  cairo_path_t* path = cairo_copy_path(cr_);
  cairo_new_path(cr_);
  InvertUnderMask(path, false);
  cairo_path_destroy(path);
}

// The inverting pen modes: the shape is drawn into a mask and the pixels
// under it are combined with the pen colour.
void TCairoCanvas::InvertUnderMask(cairo_path_t* path, bool fill) {
  cairo_surface_flush(surface_);
  int width = cairo_image_surface_get_width(surface_), height = cairo_image_surface_get_height(surface_);
  // Only the pixels the path can touch are visited, and the mask is only
  // as large as they: a caret or sizing line inverts a few pixels of a
  // whole window. The path's points bound it (curves stay within their
  // control points), widened by the pen.
  double x1 = HUGE_VAL, y1 = HUGE_VAL, x2 = -HUGE_VAL, y2 = -HUGE_VAL;
  for (int i = 0; i < path->num_data; i += path->data[i].header.length)
    for (int k = 1; k < path->data[i].header.length; ++k) {
      const auto& p = path->data[i + k].point;
      x1 = std::min(x1, p.x), y1 = std::min(y1, p.y), x2 = std::max(x2, p.x), y2 = std::max(y2, p.y);
    }
  if (x1 > x2) return;
  if (!fill) {
    const double reach = cairo_get_line_width(cr_);
    x1 -= reach, y1 -= reach, x2 += reach, y2 += reach;
  }
  auto within = [](double v, int limit) { return static_cast<int>(std::clamp(v, 0.0, double(limit))); };
  const int left = within(std::floor(x1) - 1, width), right = within(std::ceil(x2) + 1, width);
  const int top = within(std::floor(y1) - 1, height), bottom = within(std::ceil(y2) + 1, height);
  if (right <= left || bottom <= top) return;
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, right - left, bottom - top);
  cairo_t* mcr = cairo_create(mask);
  cairo_translate(mcr, -left, -top);
  cairo_set_antialias(mcr, CAIRO_ANTIALIAS_NONE);
  ApplyClip(mcr);
  cairo_append_path(mcr, path);
  cairo_set_line_width(mcr, cairo_get_line_width(cr_));
  SetDash(mcr, Pen->Width <= 1 ? Pen->Style : psSolid);
  cairo_set_line_cap(mcr, cairo_get_line_cap(cr_));
  if (fill)
    cairo_fill(mcr);
  else if (!StrokeFarReachingPath(mcr))
    cairo_stroke(mcr);
  cairo_destroy(mcr);
  cairo_surface_flush(mask);
  const unsigned char* m = cairo_image_surface_get_data(mask);
  int mstride = cairo_image_surface_get_stride(mask);
  auto* d = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface_));
  int dstride = cairo_image_surface_get_stride(surface_) / 4;
  const std::uint32_t pen = ColorToPixel(Pen->Color);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      if (m[(y - top) * mstride + (x - left)] < 128) continue;
      std::uint32_t& p = d[y * dstride + x];
      std::uint32_t colour = p & 0xFFFFFF;
      switch (Pen->Mode) {
        case pmXor:
          colour ^= pen;
          break;
        case pmNotXor:
          colour = ~(colour ^ pen) & 0xFFFFFF;
          break;
        case pmNot:
          colour = ~colour & 0xFFFFFF;
          break;
        case pmCopy:
          colour = pen;
          break;
      }
      p = (p & 0xFF000000u) | colour;
    }
  cairo_surface_destroy(mask);
  cairo_surface_mark_dirty(surface_);
}

void TCairoCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                              const int* dx) {
  const gfx::ResolvedFont& font = gfx::Resolve(*Font);
  // Pixels drawn from the font's table need no conversion of the text:
  // they keep no text with the glyphs.
  // A document's text drawn from the table takes its characters from the
  // table with its glyphs.
  const bool rightToLeft = (options & ETO_RTLREADING) || (DeviceTextAlign() & TA_RTLREADING);
  const cairo_surface_type_t target = cairo_surface_get_type(surface_);
  if ((target == CAIRO_SURFACE_TYPE_IMAGE && font.ShowsFromTable(cr_, text, dx, rightToLeft)) ||
      (target != CAIRO_SURFACE_TYPE_IMAGE && font.ShowsFromTableOn(target, text, dx, rightToLeft))) {
    static const gfx::ResolvedFont::Converted unconverted;
    ShowText(font, x, y, options, rect, unconverted, dx, &text);
    return;
  }
  // Kept from line to line: a page is thousands of short calls.
  thread_local gfx::ResolvedFont::Converted converted;
  font.ConvertInto(text, converted);
  ShowText(font, x, y, options, rect, converted, dx, &text);
}

void TCairoCanvas::ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                               const int* dx) {
  const gfx::ResolvedFont& font = gfx::Resolve(*Font);
  ShowText(font, x, y, options, rect, gfx::ResolvedFont::ConvertWide(text), dx);
}

namespace {
// Where a text leaves ink about its top-left corner (Left, Top): its
// glyphs' boxes (Glyphs, from the start of its base line) two units wider
// all round for the rounding of their outlines, as on a page, and its
// background, Width wide, when it has one.
gfx::ResolvedFont::Box InkAbout(const gfx::ResolvedFont::Box& glyphs, double left, double top,
                                const TTextMetric& tm, bool background, int width) {
  const double baseY = top + tm.tmAscent, side = 2;
  gfx::ResolvedFont::Box ink =
      glyphs.Empty() ? gfx::ResolvedFont::Box{left, top, left, top}
                     : gfx::ResolvedFont::Box{left + glyphs.left - side, baseY + glyphs.top - side,
                                              left + glyphs.right + side, baseY + glyphs.bottom + side};
  if (background)
    ink = gfx::ResolvedFont::Box{std::min(ink.left, left), std::min(ink.top, top),
                                 std::max(ink.right, left + width), std::max(ink.bottom, top + tm.tmHeight)};
  return ink;
}
}  // namespace

bool TCairoCanvas::TextInkWithin(const AnsiString& text, int x, int y, const TRect& logical) {
  if (!directPixels_ || GetMapMode() != MM_TEXT || Font->Orientation % 3600 != 0 || !gfx::PixelsFromTables())
    return false;
  const gfx::ResolvedFont& font = gfx::Resolve(*Font);
  const std::optional<gfx::ResolvedFont::Box> ink = font.InkBox(text);
  if (!ink) return false;
  const TPoint at = LPtoDP(TPoint{x, y});
  const TRect box = LPtoDP(logical);
  const bool background = BrushVisible();
  const gfx::ResolvedFont::Box inked =
      InkAbout(*ink, at.X, at.Y, font.Metrics(), background, background ? font.Width(text) : 0);
  return box.Left <= inked.left && box.Top <= inked.top && inked.right <= box.Right &&
         inked.bottom <= box.Bottom;
}

void TCairoCanvas::ShowText(const gfx::ResolvedFont& font, int x, int y, unsigned options,
                            const TRect* logicalRect, const gfx::ResolvedFont::Converted& text, const int* dx,
                            const AnsiString* codePage) {
  const TPoint at = LPtoDP(TPoint{x, y});
  x = at.X, y = at.Y;
  const TRect mappedRect = logicalRect ? LPtoDP(*logicalRect) : TRect{};
  const TRect* rect = logicalRect ? &mappedRect : nullptr;
  const TTextMetric& tm = font.Metrics();
  // A code-page text has a character for each byte.
  const size_t count = codePage != nullptr ? codePage->size() : text.Count();
  const unsigned align = DeviceTextAlign();
  const bool background = BrushVisible() && count > 0;
  // The width places a text aligned at its middle or right, and bounds its
  // background; a text drawn from its left over nothing needs none.
  int width = 0;
  if ((align & TA_RIGHT) || background) {
    long long sum = 0;
    if (dx != nullptr)
      for (size_t i = 0; i < count; ++i) sum += dx[i];
    else
      sum = codePage != nullptr ? font.Width(*codePage) : font.Width(text);
    width = static_cast<int>(std::clamp(sum, -(1LL << 30), 1LL << 30));
  }
  double left = 0, top = 0;
  if ((align & TA_CENTER) == TA_CENTER)
    left = -(width / 2);
  else if (align & TA_RIGHT)
    left = -width;
  if ((align & TA_BASELINE) == TA_BASELINE)
    top = -tm.tmAscent;
  else if (align & TA_BOTTOM)
    top = -tm.tmHeight;

  // Right-to-left reading, asked by the call or by the text alignment,
  // orders the line as a paragraph read from the right.
  const bool rightToLeft = (options & ETO_RTLREADING) || (align & TA_RTLREADING);
  const bool turned = Font->Orientation % 3600 != 0;
  const bool clipped = rect != nullptr && (options & ETO_CLIPPED);
  const bool opaque = rect != nullptr && (options & ETO_OPAQUE);
  // A document's plain line, a printed page's every line, has its ink
  // found as its glyphs are placed: nothing before the drawing asks.
  const cairo_surface_type_t target = cairo_surface_get_type(surface_);
  const bool document =
      target == CAIRO_SURFACE_TYPE_PDF || target == CAIRO_SURFACE_TYPE_PS || target == CAIRO_SURFACE_TYPE_SVG;
  const bool inkWhileDrawn = document && tracksInk_ && !directPixels_ && codePage != nullptr &&
                             !rightToLeft && !turned && !clipped && !opaque;
  // Where the text leaves ink around (X, Y), when that is known without
  // laying it out.
  std::optional<gfx::ResolvedFont::Box> ink;
  if ((tracksInk_ || directPixels_) && codePage != nullptr && !rightToLeft && !inkWhileDrawn)
    ink = font.InkBox(*codePage, dx);
  if (ink) ink = InkAbout(*ink, left, top, tm, background, width);
  // The background and the text, from (X, Y) on the device.
  const auto draw = [&](double x0, double y0, std::optional<gfx::ResolvedFont::Box>* glyphInk = nullptr) {
    if (background) {
      cairo_rectangle(cr_, x0 + left, y0 + top, width, tm.tmHeight);
      SetColor(Brush->Color);
      cairo_fill(cr_);
    }
    SetColorOnce(Font->Color);
    cairo_move_to(cr_, x0 + left, y0 + top + tm.tmAscent);
    if (codePage != nullptr)
      font.Show(cr_, *codePage, text, dx, rightToLeft, glyphInk);
    else
      font.Show(cr_, text, dx, rightToLeft);
    cairo_new_path(cr_);
  };
  if (inkWhileDrawn) {
    UseClip();
    draw(x, y, &ink);
    if (ink) ink = InkAbout(*ink, left, top, tm, background, width);
    if (!ink)
      InkedEverywhere();
    else if (!ink->Empty())
      Inked(x + ink->left, y + ink->top, x + ink->right, y + ink->bottom);
    return;
  }
  // A clip that cuts nothing from the ink changes nothing that shows.
  const bool inkInside = tracksInk_ && clipped && !opaque && ink &&
                         (ink->Empty() || (std::min(rect->Left, rect->Right) <= x + ink->left &&
                                           std::min(rect->Top, rect->Bottom) <= y + ink->top &&
                                           x + ink->right <= std::max(rect->Left, rect->Right) &&
                                           y + ink->bottom <= std::max(rect->Top, rect->Bottom)));
  if (!turned && ((!clipped && !opaque) || inkInside)) {
    // The common line of a page: no state to set aside and restore, no
    // moved origin, and the text's colour given only when it changes.
    if (!ink)
      InkedEverywhere();
    else if (!ink->Empty())
      Inked(x + ink->left, y + ink->top, x + ink->right, y + ink->bottom);
    // On pixels a text whose ink lies within the clipping needs none from
    // cairo: a paint clips every cell's text to the cell.
    if (directPixels_ && ink && gfx::PixelsFromTables() &&
        WithinClip(x + ink->left, y + ink->top, x + ink->right, y + ink->bottom))
      LeaveCairoUnclipped();
    else
      UseClip();
    draw(x, y);
    return;
  }
  UseClip();
  if (clipped)
    Inked(rect->Left, rect->Top, rect->Right, rect->Bottom);
  else if (ink && !turned)
    Inked(x + ink->left, y + ink->top, x + ink->right, y + ink->bottom);
  else
    InkedEverywhere();
  if (opaque) Inked(rect->Left, rect->Top, rect->Right, rect->Bottom);
  cairo_save(cr_);
  if (rect != nullptr && (options & ETO_OPAQUE)) {
    cairo_rectangle(cr_, rect->Left, rect->Top, rect->Width(), rect->Height());
    SetColor(Brush->Color);
    cairo_fill(cr_);
  }
  if (rect != nullptr && (options & ETO_CLIPPED)) {
    cairo_rectangle(cr_, rect->Left, rect->Top, rect->Width(), rect->Height());
    cairo_clip(cr_);
  }
  cairo_translate(cr_, x, y);
  if (turned) cairo_rotate(cr_, -(Font->Orientation % 3600) * std::numbers::pi / 1800.0);
  draw(0, 0);
  cairo_restore(cr_);
}

void TCairoCanvas::FillRect(const TRect& logical) {
  const TRect r = LPtoDP(logical);
  if (r.IsEmpty()) return;
  if (BrushVisible()) {
    // A control's white background on a part of the page still blank.
    if (WhiteOnBlank(r)) return;
    Inked(r.Left, r.Top, r.Right, r.Bottom);
    if (Brush->Style == bsSolid && FillPixels(r, Brush->Color)) return;
  }
  UseClip();
  cairo_rectangle(cr_, r.Left, r.Top, r.Width(), r.Height());
  FillWithBrush();
}

void TCairoCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  MapCorners(x1, y1, x2, y2);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (x1 == x2 || y1 == y2) return;
  InkedByPen(x1, y1, x2, y2);
  UseClip();
  if (PenVisible()) {
    cairo_rectangle(cr_, x1, y1, x2 - x1, y2 - y1);
    FillWithBrush();
    cairo_rectangle(cr_, x1 + 0.5, y1 + 0.5, x2 - x1 - 1, y2 - y1 - 1);
    StrokeWithPen();
  } else {
    // Without a pen the interior is one unit smaller, as on the device.
    cairo_rectangle(cr_, x1, y1, x2 - x1 - 1, y2 - y1 - 1);
    FillWithBrush();
  }
}

void TCairoCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  MapCorners(x1, y1, x2, y2);
  x3 = LengthToDeviceX(x3), y3 = LengthToDeviceY(y3);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  InkedByPen(x1, y1, x2, y2);
  UseClip();
  double left = x1 + 0.5, top = y1 + 0.5, right = x2 - 0.5, bottom = y2 - 0.5;
  double rx = std::min(std::abs(x3) / 2.0, (right - left) / 2),
         ry = std::min(std::abs(y3) / 2.0, (bottom - top) / 2);
  auto corner = [&](double cx, double cy, double from, double to) {
    cairo_save(cr_);
    cairo_translate(cr_, cx, cy);
    cairo_scale(cr_, std::max(rx, 1e-6), std::max(ry, 1e-6));
    cairo_arc(cr_, 0, 0, 1, from, to);
    cairo_restore(cr_);
  };
  const double pi = std::numbers::pi;
  auto path = [&] {
    cairo_new_sub_path(cr_);
    corner(right - rx, top + ry, -pi / 2, 0);
    corner(right - rx, bottom - ry, 0, pi / 2);
    corner(left + rx, bottom - ry, pi / 2, pi);
    corner(left + rx, top + ry, pi, 3 * pi / 2);
    cairo_close_path(cr_);
  };
  path();
  FillWithBrush();
  path();
  StrokeWithPen();
}

void TCairoCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  MapCorners(x1, y1, x2, y2);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  double rx = (x2 - x1 - 1) / 2.0, ry = (y2 - y1 - 1) / 2.0;
  if (rx <= 0 || ry <= 0) return;
  InkedByPen(x1, y1, x2, y2);
  UseClip();
  auto path = [&] {
    cairo_save(cr_);
    cairo_translate(cr_, x1 + 0.5 + rx, y1 + 0.5 + ry);
    cairo_scale(cr_, rx, ry);
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_close_path(cr_);
    cairo_restore(cr_);
  };
  path();
  FillWithBrush();
  path();
  StrokeWithPen();
}

void TCairoCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  MapCorners(x1, y1, x2, y2);
  MapCorners(x3, y3, x4, y4);
  // A mirror turns the arc's direction: the ends change places.
  if (FlipsX() != FlipsY()) std::swap(x3, x4), std::swap(y3, y4);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  double rx = (x2 - x1 - 1) / 2.0, ry = (y2 - y1 - 1) / 2.0;
  if (rx <= 0 || ry <= 0) return;
  InkedByPen(x1, y1, x2, y2);
  UseClip();
  double cx = x1 + 0.5 + rx, cy = y1 + 0.5 + ry;
  double from = std::atan2((y3 - cy) / ry, (x3 - cx) / rx), to = std::atan2((y4 - cy) / ry, (x4 - cx) / rx);
  cairo_save(cr_);
  cairo_translate(cr_, cx, cy);
  cairo_scale(cr_, rx, ry);
  cairo_new_sub_path(cr_);
  cairo_arc_negative(cr_, 0, 0, 1, from, to);
  cairo_restore(cr_);
  StrokeWithPen();
}

void TCairoCanvas::Polygon(const std::vector<TPoint>& logical) {
  if (logical.size() < 2) return;
  // Unmapped points are the device's as they are: no copy.
  std::vector<TPoint> mapped;
  const std::vector<TPoint>& points = Maps() ? (mapped = LPtoDP(logical)) : logical;
  InkedByPoints(points);
  UseClip();
  auto path = [&] {
    cairo_move_to(cr_, points[0].X + 0.5, points[0].Y + 0.5);
    for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].X + 0.5, points[i].Y + 0.5);
    cairo_close_path(cr_);
  };
  path();
  FillWithBrush();
  path();
  StrokeWithPen();
}

void TCairoCanvas::Polyline(const std::vector<TPoint>& logical) {
  if (logical.size() < 2) return;
  std::vector<TPoint> mapped;
  const std::vector<TPoint>& points = Maps() ? (mapped = LPtoDP(logical)) : logical;
  InkedByPoints(points);
  if (points.size() == 2 && FillAxisLine(points[0], points[1])) return;
  UseClip();
  // One-unit lines cover the pixels from the first point up to, not
  // including, the last: the ends move half a unit back along the line.
  auto shifted = [&](TPoint p, TPoint towards) {
    double x = p.X + 0.5, y = p.Y + 0.5;
    if (std::max(1, Pen->Width) == 1) {
      double dx = towards.X - p.X, dy = towards.Y - p.Y, len = std::hypot(dx, dy);
      if (len > 0) {
        x -= 0.5 * dx / len;
        y -= 0.5 * dy / len;
      }
    }
    return std::pair{x, y};
  };
  auto [sx, sy] = shifted(points[0], points[1]);
  cairo_move_to(cr_, sx, sy);
  for (size_t i = 1; i + 1 < points.size(); ++i) cairo_line_to(cr_, points[i].X + 0.5, points[i].Y + 0.5);
  TPoint last = points.back(), before = points[points.size() - 2];
  TPoint beyond{last.X + (last.X - before.X), last.Y + (last.Y - before.Y)};
  auto [ex, ey] = shifted(last, beyond);
  cairo_line_to(cr_, ex, ey);
  StrokeWithPen();
}

bool TCairoCanvas::LineAlongAxis(TPoint from, TPoint to) {
  // As Polyline draws the two points, without their list.
  const TPoint a = LPtoDP(from), b = LPtoDP(to);
  if (!FillAxisLine(a, b)) return false;
  InkedByPen(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y));
  return true;
}

bool TCairoCanvas::FillAxisLine(TPoint from, TPoint to) {
  // Grid lines and edges are such lines, many to a paint: filling their box
  // costs a fraction of stroking them. The box has the stroke's pixels only
  // on whole pixels of an image: no scale, no fraction in the offset, and
  // no page surface, whose bytes would hold a fill instead of a line.
  if ((from.X != to.X && from.Y != to.Y) || from == to || !PenVisible() || Pen->Style != psSolid ||
      Pen->Width > 1 || Pen->Mode != pmCopy || cairo_surface_get_type(surface_) != CAIRO_SURFACE_TYPE_IMAGE)
    return false;
  constexpr int kNear = 1 << 20;  // far points take the stroke's own care
  for (TPoint p : {from, to})
    if (std::abs(p.X) > kNear || std::abs(p.Y) > kNear) return false;
  cairo_matrix_t m;
  cairo_get_matrix(cr_, &m);
  if (m.xx != 1 || m.yy != 1 || m.xy != 0 || m.yx != 0 || m.x0 != std::floor(m.x0) ||
      m.y0 != std::floor(m.y0))
    return false;
  // The line covers the pixels from its first point up to, not including,
  // its last.
  TRect box;
  if (from.Y == to.Y)
    box = from.X < to.X ? Rect(from.X, from.Y, to.X, from.Y + 1)
                        : Rect(to.X + 1, from.Y, from.X + 1, from.Y + 1);
  else
    box = from.Y < to.Y ? Rect(from.X, from.Y, from.X + 1, to.Y)
                        : Rect(from.X, to.Y + 1, from.X + 1, from.Y + 1);
  if (FillPixels(box, Pen->Color)) return true;
  UseClip();
  cairo_new_path(cr_);
  cairo_rectangle(cr_, box.Left, box.Top, box.Width(), box.Height());
  SetColor(Pen->Color);
  cairo_fill(cr_);
  return true;
}

void TCairoCanvas::DrawFocusRect(const TRect& logical) {
  const TRect r = LPtoDP(logical);
  if (r.IsEmpty()) return;
  if (!pixelExact_) {
    Inked(r.Left, r.Top, r.Right, r.Bottom);
    UseClip();
    cairo_save(cr_);
    static const double kDots[] = {1, 1};
    cairo_set_dash(cr_, kDots, 2, 0);
    cairo_set_line_width(cr_, 1);
    cairo_set_source_rgb(cr_, 0.5, 0.5, 0.5);
    cairo_rectangle(cr_, r.Left + 0.5, r.Top + 0.5, r.Width() - 1, r.Height() - 1);
    cairo_stroke(cr_);
    cairo_restore(cr_);
    return;
  }
  cairo_surface_flush(surface_);
  auto* d = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface_));
  int stride = cairo_image_surface_get_stride(surface_) / 4;
  TRect visible = IntersectRect(r, ClipRect());
  visible = IntersectRect(
      visible, {0, 0, cairo_image_surface_get_width(surface_), cairo_image_surface_get_height(surface_)});
  // Every other pixel of each edge, those where x + y is even, visited
  // alone: a paint draws the focus frame round its cell every time.
  const auto row = [&](int y) {
    if (y < visible.Top || y >= visible.Bottom) return;
    int x = std::max(r.Left, visible.Left);
    const int end = std::min(r.Right, visible.Right);
    x += (x + y) & 1;
    for (std::uint32_t* line = d + static_cast<std::ptrdiff_t>(y) * stride; x < end; x += 2)
      line[x] ^= 0xFFFFFF;
  };
  const auto column = [&](int x) {
    if (x < visible.Left || x >= visible.Right) return;
    int y = std::max(r.Top + 1, visible.Top);
    const int end = std::min(r.Bottom - 1, visible.Bottom);
    y += (x + y) & 1;
    for (; y < end; y += 2) d[static_cast<std::ptrdiff_t>(y) * stride + x] ^= 0xFFFFFF;
  };
  row(r.Top);
  if (r.Bottom - 1 != r.Top) row(r.Bottom - 1);
  column(r.Left);
  if (r.Right - 1 != r.Left) column(r.Right - 1);
  cairo_surface_mark_dirty(surface_);
}

void TCairoCanvas::DrawPixels(const TRect& logical, const TPixelBlock& pixels, bool transparent, TColor key) {
  // Corners as mapped, unswapped: a mirrored axis draws the picture mirrored.
  const TPoint a = LPtoDP(TPoint{logical.Left, logical.Top});
  const TPoint b = LPtoDP(TPoint{logical.Right, logical.Bottom});
  const TRect dest{a.X, a.Y, b.X, b.Y};
  if (pixels.Width <= 0 || pixels.Height <= 0 || dest.Width() == 0 || dest.Height() == 0) return;
  if (CopyPixels(dest, pixels, transparent, key)) {
    Inked(dest.Left, dest.Top, dest.Right, dest.Bottom);
    return;
  }
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels.Width, pixels.Height);
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(image);
    return;
  }
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(image));
  int stride = cairo_image_surface_get_stride(image) / 4;
  const std::uint32_t keyPixel = ColorToPixel(key);
  for (int y = 0; y < pixels.Height; ++y)
    for (int x = 0; x < pixels.Width; ++x) {
      std::uint32_t p = pixels.At(x, y);
      bool hidden = (p >> 24) < 0x80 || (transparent && (p & 0xFFFFFF) == keyPixel);
      data[y * stride + x] = hidden ? 0 : (0xFF000000u | p);
    }
  cairo_surface_mark_dirty(image);
  Inked(dest.Left, dest.Top, dest.Right, dest.Bottom);
  UseClip();
  cairo_save(cr_);
  cairo_rectangle(cr_, std::min(dest.Left, dest.Right), std::min(dest.Top, dest.Bottom),
                  std::abs(dest.Width()), std::abs(dest.Height()));
  cairo_clip(cr_);
  cairo_translate(cr_, dest.Left, dest.Top);
  cairo_scale(cr_, static_cast<double>(dest.Width()) / pixels.Width,
              static_cast<double>(dest.Height()) / pixels.Height);
  cairo_set_source_surface(cr_, image, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
  cairo_paint(cr_);
  cairo_restore(cr_);
  cairo_surface_destroy(image);
}

int TCairoCanvas::GetDeviceCaps(int index) const {
  switch (index) {
    case LOGPIXELSX:
      return caps_.LogPixelsX;
    case LOGPIXELSY:
      return caps_.LogPixelsY;
    case HORZRES:
      return caps_.HorzRes;
    case VERTRES:
      return caps_.VertRes;
    case PHYSICALWIDTH:
      return caps_.PhysicalWidth;
    case PHYSICALHEIGHT:
      return caps_.PhysicalHeight;
    case PHYSICALOFFSETX:
      return caps_.PhysicalOffsetX;
    case PHYSICALOFFSETY:
      return caps_.PhysicalOffsetY;
    case HORZSIZE:
      return caps_.LogPixelsX ? MulDiv(caps_.HorzRes, 254, caps_.LogPixelsX * 10) : 0;
    case VERTSIZE:
      return caps_.LogPixelsY ? MulDiv(caps_.VertRes, 254, caps_.LogPixelsY * 10) : 0;
    case BITSPIXEL:
      return 32;
    default:
      return 0;
  }
}

// ---- image ------------------------------------------------------------------

namespace {
cairo_surface_t* NewWhiteImage(int width, int height) {
  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, width), std::max(1, height));
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  return s;
}
TDeviceCaps ScreenCaps(int width, int height) {
  TDeviceCaps caps;
  caps.HorzRes = caps.PhysicalWidth = width;
  caps.VertRes = caps.PhysicalHeight = height;
  return caps;
}
struct SurfaceHolder {
  cairo_surface_t* s;
  ~SurfaceHolder() { cairo_surface_destroy(s); }
};
}  // namespace

TImageCanvas::TImageCanvas(int width, int height)
    : TCairoCanvas(SurfaceHolder{NewWhiteImage(width, height)}.s, ScreenCaps(width, height), 1, 1, true),
      width_(width),
      height_(height) {}

TColor TImageCanvas::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
  cairo_surface_flush(surface_);
  auto* d = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface_));
  std::uint32_t p = d[y * (cairo_image_surface_get_stride(surface_) / 4) + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void TImageCanvas::SetPixel(int x, int y, TColor color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  cairo_surface_flush(surface_);
  auto* d = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface_));
  d[y * (cairo_image_surface_get_stride(surface_) / 4) + x] = 0xFF000000u | ColorToPixel(color);
  cairo_surface_mark_dirty(surface_);
}

TPixelBlock TImageCanvas::Snapshot() const {
  cairo_surface_flush(surface_);
  TPixelBlock block{width_, height_, {}};
  block.Pixels.resize(static_cast<size_t>(width_) * height_);
  auto* d = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface_));
  int stride = cairo_image_surface_get_stride(surface_) / 4;
  for (int y = 0; y < height_; ++y) {
    const std::uint32_t* from = d + static_cast<size_t>(y) * stride;
    std::uint32_t* to = block.Pixels.data() + static_cast<size_t>(y) * width_;
    for (int x = 0; x < width_; ++x) to[x] = from[x] | 0xFF000000u;
  }
  return block;
}

void TImageCanvas::PutPixels(const TPixelBlock& pixels) {
  if (pixels.Width != width_ || pixels.Height != height_) return;
  cairo_surface_flush(surface_);
  auto* d = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface_));
  int stride = cairo_image_surface_get_stride(surface_) / 4;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) d[y * stride + x] = pixels.At(x, y) | 0xFF000000u;
  cairo_surface_mark_dirty(surface_);
}

void TImageCanvas::MovePixels(const TRect& area, int dx, int dy) {
  const TRect within = IntersectRect(area, Rect(0, 0, width_, height_));
  const TRect to = IntersectRect(OffsetRect(within, dx, dy), within);
  if (to.IsEmpty() || (dx == 0 && dy == 0)) return;
  cairo_surface_flush(surface_);
  auto* d = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface_));
  const int stride = cairo_image_surface_get_stride(surface_) / 4;
  const size_t count = static_cast<size_t>(to.Width());
  auto row = [&](int y) {
    std::memmove(d + static_cast<size_t>(y) * stride + to.Left,
                 d + static_cast<size_t>(y - dy) * stride + (to.Left - dx), count * sizeof(std::uint32_t));
  };
  // Rows moving down are copied from the bottom up, so that none is read
  // after it was written.
  if (dy > 0)
    for (int y = to.Bottom - 1; y >= to.Top; --y) row(y);
  else
    for (int y = to.Top; y < to.Bottom; ++y) row(y);
  cairo_surface_mark_dirty(surface_);
}

std::vector<std::uint8_t> TImageCanvas::PngBytes() const {
  std::vector<std::uint8_t> bytes;
  cairo_surface_flush(surface_);
  cairo_surface_write_to_png_stream(surface_, AppendBytes, &bytes);
  return bytes;
}

void TImageCanvas::SaveToPng(const std::string& fileName) const {
  cairo_surface_flush(surface_);
  if (cairo_surface_write_to_png(surface_, fileName.c_str()) != CAIRO_STATUS_SUCCESS)
    throw EInOutError("Cannot write " + cp1253::FromUtf8(fileName));
}
