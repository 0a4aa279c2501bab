// The metafile picture, its file read and checked, and its player: replays
// EMF records onto any canvas, with the picture's frame stretched into a
// rectangle. Every record is checked
// against its own size before a field is read; a damaged record ends the
// playback, a record of an unknown kind is passed over.

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <variant>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/TextEngine.h"
#include "platform/gfx/WinMetafile.h"
#include "platform/rtl/ByteOrder.h"

namespace {

constexpr std::uint32_t kSignature = 0x464D4520;
// Enough of a file to tell a Windows metafile; no larger one is read.
constexpr int kWinMetafileProbe = 40;
constexpr Int64 kMaxWinMetafile = Int64{1} << 30;
constexpr double kCoordinateLimit = 1 << 24;

// Little-endian fields of one record, checked against its length.
class Fields {
 public:
  explicit Fields(std::string_view record) : r_(record) {}
  bool Has(size_t at, size_t length) const { return at <= r_.size() && length <= r_.size() - at; }
  // A page's text records are read a field per character: on a
  // little-endian processor a field is one load.
  std::uint32_t U32(size_t at) const {
    if constexpr (std::endian::native != std::endian::little) return le::Get32(r_, at);
    std::uint32_t v;
    std::memcpy(&v, r_.data() + at, sizeof v);
    return v;
  }
  std::int32_t I32(size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  std::uint16_t U16(size_t at) const {
    if constexpr (std::endian::native != std::endian::little) return le::Get16(r_, at);
    std::uint16_t v;
    std::memcpy(&v, r_.data() + at, sizeof v);
    return v;
  }
  std::int16_t I16(size_t at) const { return static_cast<std::int16_t>(U16(at)); }
  float F32(size_t at) const {
    std::uint32_t v = U32(at);
    float f;
    std::memcpy(&f, &v, 4);
    return std::isfinite(f) ? f : 0.0f;
  }
  size_t Size() const { return r_.size(); }
  std::string_view Bytes(size_t at, size_t length) const { return r_.substr(at, length); }

 private:
  std::string_view r_;
};

struct Xform {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
  // This transform followed by Other.
  Xform Then(const Xform& o) const {
    return {m11 * o.m11 + m12 * o.m21, m11 * o.m12 + m12 * o.m22,      m21 * o.m11 + m22 * o.m21,
            m21 * o.m12 + m22 * o.m22, dx * o.m11 + dy * o.m21 + o.dx, dx * o.m12 + dy * o.m22 + o.dy};
  }
};

struct DcState {
  TPen pen;
  TBrush brush;
  TFont font;
  int fontHeight = -12;  // logical units
  TColor textColor = clBlack, bkColor = clWhite;
  int bkMode = 2;  // OPAQUE
  unsigned textAlign = 0;
  int rop2 = 13;
  int mapMode = 1;
  double wOrgX = 0, wOrgY = 0, wExtX = 1, wExtY = 1, vOrgX = 0, vOrgY = 0, vExtX = 1, vExtY = 1;
  Xform world;
  std::optional<TRegion> clip;  // target units
  double curX = 0, curY = 0;
};

struct FontObject {
  TFont font;
  int height;
};
using Object = std::variant<std::monostate, TPen, TBrush, FontObject>;

TRegion Subtract(const TRegion& region, const TRect& cut) {
  TRegion out;
  for (const TRect& r : region) {
    TRect c = IntersectRect(r, cut);
    if (c.IsEmpty()) {
      out.push_back(r);
      continue;
    }
    if (c.Top > r.Top) out.push_back({r.Left, r.Top, r.Right, c.Top});
    if (c.Bottom < r.Bottom) out.push_back({r.Left, c.Bottom, r.Right, r.Bottom});
    if (c.Left > r.Left) out.push_back({r.Left, c.Top, c.Left, c.Bottom});
    if (c.Right < r.Right) out.push_back({c.Right, c.Top, r.Right, c.Bottom});
  }
  return out;
}

class Player {
 public:
  Player(TCanvas& canvas, std::string_view emf, const TRect& dest)
      : canvas_(canvas), emf_(emf), dest_(dest) {}

  bool Play() {
    Fields h(emf_);
    if (!h.Has(0, 88) || h.U32(0) != emr::HEADER || h.U32(40) != kSignature) return false;
    std::uint32_t headerSize = h.U32(4), total = h.U32(48);
    if (headerSize < 88 || headerSize % 4 || total > emf_.size() || headerSize > total) return false;
    emf_ = emf_.substr(0, total);
    objects_.resize(std::max<size_t>(1, h.U16(56)));
    // The reference device's resolution, from its size in pixels and in
    // millimetres (micrometres when the header has them).
    double deviceW = h.I32(72), deviceH = h.I32(76), mmW = h.I32(80), mmH = h.I32(84);
    if (headerSize >= 108 && h.I32(100) > 0 && h.I32(104) > 0) {
      mmW = h.I32(100) / 1000.0;
      mmH = h.I32(104) / 1000.0;
    }
    dpiX_ = (deviceW > 0 && mmW > 0) ? deviceW * 25.4 / mmW : 96;
    dpiY_ = (deviceH > 0 && mmH > 0) ? deviceH * 25.4 / mmH : 96;
    double frameL = h.I32(24) * dpiX_ / 2540, frameT = h.I32(28) * dpiY_ / 2540;
    double frameW = (static_cast<double>(h.I32(32)) - h.I32(24)) * dpiX_ / 2540;
    double frameH = (static_cast<double>(h.I32(36)) - h.I32(28)) * dpiY_ / 2540;
    if (frameW <= 0 || frameH <= 0) {
      frameL = h.I32(8);
      frameT = h.I32(12);
      frameW = static_cast<double>(h.I32(16)) - h.I32(8) + 1;
      frameH = static_cast<double>(h.I32(20)) - h.I32(12) + 1;
    }
    if (!(frameW > 0 && frameH > 0) || dest_.Width() == 0 || dest_.Height() == 0) return true;
    toTarget_ = {dest_.Width() / frameW,
                 0,
                 0,
                 dest_.Height() / frameH,
                 dest_.Left - frameL * dest_.Width() / frameW,
                 dest_.Top - frameT * dest_.Height() / frameH};

    int saved = canvas_.SaveDC();
    if (const TRegion* base = canvas_.ClipRegion()) baseClip_ = *base;
    bool sound = Records(headerSize);
    canvas_.RestoreDC(saved);
    return sound;
  }

 private:
  bool Records(size_t at) {
    while (at + 8 <= emf_.size()) {
      Fields head(emf_.substr(at, 8));
      std::uint32_t type = head.U32(0), size = head.U32(4);
      if (size < 8 || size % 4 != 0 || size > emf_.size() - at) return false;
      if (type == emr::EOF_) return true;
      if (!Record(type, Fields(emf_.substr(at, size)))) return false;
      at += size;
    }
    return at == emf_.size();
  }

  // ---- coordinates ----------------------------------------------------------

  // Logical units to the reference device.
  std::pair<double, double> ToDevice(double x, double y) const {
    const Xform& w = state_.world;
    double px = x * w.m11 + y * w.m21 + w.dx, py = x * w.m12 + y * w.m22 + w.dy;
    double sx = 1, sy = 1;
    switch (state_.mapMode) {
      case 1:
        break;  // MM_TEXT
      case 2:
        sx = dpiX_ / 254, sy = -dpiY_ / 254;
        break;
      case 3:
        sx = dpiX_ / 2540, sy = -dpiY_ / 2540;
        break;
      case 4:
        sx = dpiX_ / 100, sy = -dpiY_ / 100;
        break;
      case 5:
        sx = dpiX_ / 1000, sy = -dpiY_ / 1000;
        break;
      case 6:
        sx = dpiX_ / 1440, sy = -dpiY_ / 1440;
        break;
      default:  // MM_ISOTROPIC, MM_ANISOTROPIC
        sx = state_.vExtX / state_.wExtX;
        sy = state_.vExtY / state_.wExtY;
        break;
    }
    return {(px - state_.wOrgX) * sx + state_.vOrgX, (py - state_.wOrgY) * sy + state_.vOrgY};
  }
  std::pair<double, double> DeviceToTarget(double x, double y) const {
    return {x * toTarget_.m11 + toTarget_.dx, y * toTarget_.m22 + toTarget_.dy};
  }
  static int Clamp(double v) {
    if (!std::isfinite(v)) return 0;
    // Halves away from zero, without a library call for every character's
    // advance: the whole part and the rest are both exact.
    v = std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
    const auto whole = static_cast<long long>(v);
    const double rest = v - static_cast<double>(whole);
    return static_cast<int>(whole + (rest >= 0.5 ? 1 : rest <= -0.5 ? -1 : 0));
  }
  TPoint Point(double x, double y) const {
    auto [dx, dy] = ToDevice(x, y);
    auto [tx, ty] = DeviceToTarget(dx, dy);
    return {Clamp(tx), Clamp(ty)};
  }
  TRect Box(double x1, double y1, double x2, double y2) const {
    TPoint a = Point(x1, y1), b = Point(x2, y2);
    return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
  }
  TRect DeviceBox(double x1, double y1, double x2, double y2) const {
    auto [ax, ay] = DeviceToTarget(x1, y1);
    auto [bx, by] = DeviceToTarget(x2, y2);
    return {Clamp(std::min(ax, bx)), Clamp(std::min(ay, by)), Clamp(std::max(ax, bx)),
            Clamp(std::max(ay, by))};
  }
  // Target units per logical unit, along each axis.
  double ScaleX() const {
    auto [dx, dy] = ToDevice(1, 0);
    auto [ox, oy] = ToDevice(0, 0);
    auto [tx, ty] = DeviceToTarget(dx, dy);
    auto [ux, uy] = DeviceToTarget(ox, oy);
    return std::hypot(tx - ux, ty - uy);
  }
  double ScaleY() const {
    auto [dx, dy] = ToDevice(0, 1);
    auto [ox, oy] = ToDevice(0, 0);
    auto [tx, ty] = DeviceToTarget(dx, dy);
    auto [ux, uy] = DeviceToTarget(ox, oy);
    return std::hypot(tx - ux, ty - uy);
  }

  // ---- state onto the canvas -------------------------------------------------

  void ApplyClip() {
    // Most records change no clipping: they cost a comparison, no copy.
    if (!baseClip_ && applied_ && *applied_ == state_.clip) return;
    std::optional<TRegion> wanted = state_.clip;
    if (baseClip_) wanted = wanted ? IntersectRegions(*baseClip_, *wanted) : *baseClip_;
    if (applied_ && *applied_ == wanted) return;
    canvas_.SelectClipRgn(wanted ? &*wanted : nullptr);
    applied_ = wanted;
  }
  void ApplyPen() {
    *canvas_.Pen = state_.pen;
    double width = state_.pen.Width * ScaleX();
    canvas_.Pen->Width =
        state_.pen.Width == 0 ? 1 : std::clamp(static_cast<int>(std::lround(width)), 1, 1000);
    switch (state_.rop2) {
      case 7:
        canvas_.Pen->Mode = pmXor;
        break;
      case 10:
        canvas_.Pen->Mode = pmNotXor;
        break;
      case 6:
        canvas_.Pen->Mode = pmNot;
        break;
      default:
        canvas_.Pen->Mode = pmCopy;
        break;
    }
  }
  void ApplyShape(bool filled) {
    ApplyClip();
    ApplyPen();
    *canvas_.Brush = filled ? state_.brush : TBrush{clWhite, bsClear};
  }

  // ---- records -------------------------------------------------------------

  bool Record(std::uint32_t type, const Fields& f) {
    switch (type) {
      case emr::HEADER:
        return true;
      case emr::SETWINDOWEXTEX:
      case emr::SETWINDOWORGEX:
      case emr::SETVIEWPORTEXTEX:
      case emr::SETVIEWPORTORGEX: {
        if (!f.Has(8, 8)) return false;
        double x = f.I32(8), y = f.I32(12);
        if (type == emr::SETWINDOWEXTEX && x != 0 && y != 0) state_.wExtX = x, state_.wExtY = y;
        if (type == emr::SETVIEWPORTEXTEX && x != 0 && y != 0) state_.vExtX = x, state_.vExtY = y;
        if (type == emr::SETWINDOWORGEX) state_.wOrgX = x, state_.wOrgY = y;
        if (type == emr::SETVIEWPORTORGEX) state_.vOrgX = x, state_.vOrgY = y;
        if (state_.mapMode == 7) {
          // Isotropic: the smaller scale serves both axes.
          double sx = state_.vExtX / state_.wExtX, sy = state_.vExtY / state_.wExtY;
          double s = std::min(std::abs(sx), std::abs(sy));
          state_.vExtX = s * state_.wExtX * (sx < 0 ? -1 : 1);
          state_.vExtY = s * state_.wExtY * (sy < 0 ? -1 : 1);
        }
        return true;
      }
      case emr::SCALEVIEWPORTEXTEX:
      case emr::SCALEWINDOWEXTEX: {
        if (!f.Has(8, 16)) return false;
        double xn = f.I32(8), xd = f.I32(12), yn = f.I32(16), yd = f.I32(20);
        if (xd == 0 || yd == 0 || xn == 0 || yn == 0) return true;
        double& ex = type == emr::SCALEVIEWPORTEXTEX ? state_.vExtX : state_.wExtX;
        double& ey = type == emr::SCALEVIEWPORTEXTEX ? state_.vExtY : state_.wExtY;
        ex = ex * xn / xd;
        ey = ey * yn / yd;
        return true;
      }
      case emr::SETMAPMODE:
      case emr::SETBKMODE:
      case emr::SETPOLYFILLMODE:
      case emr::SETROP2:
      case emr::SETTEXTALIGN:
      case emr::SETTEXTCOLOR:
      case emr::SETBKCOLOR: {
        if (!f.Has(8, 4)) return false;
        std::uint32_t v = f.U32(8);
        if (type == emr::SETMAPMODE && v >= 1 && v <= 8) state_.mapMode = static_cast<int>(v);
        if (type == emr::SETBKMODE) state_.bkMode = static_cast<int>(v);
        if (type == emr::SETROP2) state_.rop2 = static_cast<int>(v);
        if (type == emr::SETTEXTALIGN) state_.textAlign = v;
        if (type == emr::SETTEXTCOLOR) state_.textColor = static_cast<TColor>(v & 0xFFFFFF);
        if (type == emr::SETBKCOLOR) state_.bkColor = static_cast<TColor>(v & 0xFFFFFF);
        return true;
      }
      case emr::MOVETOEX:
        if (!f.Has(8, 8)) return false;
        state_.curX = f.I32(8);
        state_.curY = f.I32(12);
        return true;
      case emr::LINETO: {
        if (!f.Has(8, 8)) return false;
        ApplyShape(false);
        canvas_.Polyline({Point(state_.curX, state_.curY), Point(f.I32(8), f.I32(12))});
        state_.curX = f.I32(8);
        state_.curY = f.I32(12);
        return true;
      }
      case emr::SAVEDC:
        if (stack_.size() < 1024) stack_.push_back(state_);
        return true;
      case emr::RESTOREDC: {
        if (!f.Has(8, 4)) return false;
        int n = f.I32(8);
        size_t depth = n < 0 ? static_cast<size_t>(-static_cast<long long>(n)) : stack_.size() + 1 - n;
        if (n == 0 || depth == 0 || depth > stack_.size()) return true;
        state_ = stack_[stack_.size() - depth];
        stack_.resize(stack_.size() - depth);
        return true;
      }
      case emr::SETWORLDTRANSFORM:
      case emr::MODIFYWORLDTRANSFORM: {
        if (!f.Has(8, 24)) return false;
        Xform x{f.F32(8), f.F32(12), f.F32(16), f.F32(20), f.F32(24), f.F32(28)};
        if (type == emr::SETWORLDTRANSFORM) {
          state_.world = x;
          return true;
        }
        if (!f.Has(32, 4)) return false;
        switch (f.U32(32)) {
          case 1:
            state_.world = {};
            break;
          case 2:
            state_.world = x.Then(state_.world);
            break;
          case 3:
            state_.world = state_.world.Then(x);
            break;
          case 4:
            state_.world = x;
            break;
        }
        return true;
      }
      case emr::SELECTOBJECT:
        return SelectObject(f);
      case emr::DELETEOBJECT: {
        if (!f.Has(8, 4)) return false;
        std::uint32_t index = f.U32(8);
        if (index < objects_.size()) objects_[index] = std::monostate{};
        return true;
      }
      case emr::CREATEPEN: {
        if (!f.Has(8, 20)) return false;
        TPen pen;
        SetPenStyle(pen, f.U32(12));
        pen.Width = static_cast<int>(
            std::min<std::uint32_t>(static_cast<std::uint32_t>(std::abs(f.I32(16))), 100000));
        pen.Color = static_cast<TColor>(f.U32(24) & 0xFFFFFF);
        return Store(f.U32(8), pen);
      }
      case emr::EXTCREATEPEN: {
        if (!f.Has(8, 44)) return false;
        TPen pen;
        SetPenStyle(pen, f.U32(28) & 0xF);
        pen.Width = static_cast<int>(std::min<std::uint32_t>(f.U32(32), 100000));
        if (f.U32(36) == 1) pen.Style = psClear;  // BS_NULL
        pen.Color = static_cast<TColor>(f.U32(40) & 0xFFFFFF);
        return Store(f.U32(8), pen);
      }
      case emr::CREATEBRUSHINDIRECT: {
        if (!f.Has(8, 16)) return false;
        TBrush brush;
        brush.Color = static_cast<TColor>(f.U32(16) & 0xFFFFFF);
        std::uint32_t style = f.U32(12), hatch = f.U32(20);
        brush.Style = style == 1                 ? bsClear
                      : style == 2 && hatch <= 5 ? static_cast<TBrushStyle>(bsHorizontal + hatch)
                                                 : bsSolid;
        return Store(f.U32(8), brush);
      }
      case emr::EXTCREATEFONTINDIRECTW: {
        if (!f.Has(8, 4 + 92)) return false;
        FontObject font;
        font.height = f.I32(12);
        font.font.Orientation = f.I32(20) % 3600;
        TFontStyles style = 0;
        if (f.I32(28) >= 600) style |= fsBold;
        if (f.Bytes(32, 1)[0]) style |= fsItalic;
        if (f.Bytes(33, 1)[0]) style |= fsUnderline;
        if (f.Bytes(34, 1)[0]) style |= fsStrikeOut;
        font.font.Style = style;
        font.font.Charset = static_cast<unsigned char>(f.Bytes(35, 1)[0]);
        WideString face;
        for (size_t i = 0; i < 32; ++i) {
          char16_t c = f.U16(40 + 2 * i);
          if (c == 0) break;
          face += c;
        }
        font.font.Name = cp1253::FromWide(face);
        return Store(f.U32(8), font);
      }
      case emr::RECTANGLE:
      case emr::ELLIPSE: {
        if (!f.Has(8, 16)) return false;
        ApplyShape(true);
        TRect r = Box(f.I32(8), f.I32(12), f.I32(16), f.I32(20));
        if (type == emr::RECTANGLE)
          canvas_.Rectangle(r);
        else
          canvas_.Ellipse(r);
        return true;
      }
      case emr::ROUNDRECT: {
        if (!f.Has(8, 24)) return false;
        ApplyShape(true);
        TRect r = Box(f.I32(8), f.I32(12), f.I32(16), f.I32(20));
        canvas_.RoundRect(r.Left, r.Top, r.Right, r.Bottom, Clamp(f.I32(24) * ScaleX()),
                          Clamp(f.I32(28) * ScaleY()));
        return true;
      }
      case emr::ARC: {
        if (!f.Has(8, 32)) return false;
        ApplyShape(false);
        TRect r = Box(f.I32(8), f.I32(12), f.I32(16), f.I32(20));
        TPoint a = Point(f.I32(24), f.I32(28)), b = Point(f.I32(32), f.I32(36));
        canvas_.Arc(r.Left, r.Top, r.Right, r.Bottom, a.X, a.Y, b.X, b.Y);
        return true;
      }
      case emr::POLYGON16:
      case emr::POLYLINE16:
      case emr::POLYBEZIER16:
      case emr::POLYLINETO16:
      case emr::POLYBEZIERTO16:
      case emr::POLYGON:
      case emr::POLYLINE:
      case emr::POLYBEZIER:
      case emr::POLYLINETO:
      case emr::POLYBEZIERTO:
        return Poly(type, f);
      case emr::POLYPOLYGON16:
      case emr::POLYPOLYLINE16:
        return PolyPoly(type, f);
      case emr::EXTTEXTOUTW:
      case emr::EXTTEXTOUTA:
        return Text(type, f);
      case emr::INTERSECTCLIPRECT:
      case emr::EXCLUDECLIPRECT: {
        if (!f.Has(8, 16)) return false;
        TRect r = Box(f.I32(8), f.I32(12), f.I32(16), f.I32(20));
        if (type == emr::INTERSECTCLIPRECT)
          state_.clip = state_.clip ? IntersectRegions(*state_.clip, {r}) : TRegion{r};
        else
          state_.clip = Subtract(state_.clip ? *state_.clip : TRegion{canvas_.ClipRect()}, r);
        return true;
      }
      case emr::OFFSETCLIPRGN: {
        if (!f.Has(8, 8)) return false;
        if (!state_.clip) return true;
        int dx = Clamp(f.I32(8) * ScaleX()), dy = Clamp(f.I32(12) * ScaleY());
        for (TRect& r : *state_.clip) r = OffsetRect(r, dx, dy);
        return true;
      }
      case emr::EXTSELECTCLIPRGN:
        return SelectClipRegion(f);
      case emr::STRETCHDIBITS:
      case emr::SETDIBITSTODEVICE:
      case emr::BITBLT:
      case emr::STRETCHBLT:
        return Bits(type, f);
      default:
        return true;  // a record this player does not draw
    }
  }

  static void SetPenStyle(TPen& pen, std::uint32_t style) {
    static constexpr TPenStyle kStyles[] = {psSolid,      psDash,  psDot,        psDashDot,
                                            psDashDotDot, psClear, psInsideFrame};
    pen.Style = style < 7 ? kStyles[style] : psSolid;
  }

  bool Store(std::uint32_t index, Object object) {
    // Slot 0 is the metafile itself; a slot past the table is ignored.
    if (index == 0 || index >= objects_.size()) return true;
    objects_[index] = std::move(object);
    return true;
  }

  bool SelectObject(const Fields& f) {
    if (!f.Has(8, 4)) return false;
    std::uint32_t index = f.U32(8);
    if (index & 0x80000000u) {
      switch (index & 0x7FFFFFFF) {
        case 0:
          state_.brush = {clWhite, bsSolid};
          break;
        case 1:
          state_.brush = {clSilver, bsSolid};
          break;
        case 2:
          state_.brush = {clGray, bsSolid};
          break;
        case 3:
          state_.brush = {RGB(64, 64, 64), bsSolid};
          break;
        case 4:
          state_.brush = {clBlack, bsSolid};
          break;
        case 5:
          state_.brush = {clWhite, bsClear};
          break;
        case 6:
          state_.pen = TPen{clWhite, 0, psSolid, pmCopy};
          break;
        case 7:
          state_.pen = TPen{clBlack, 0, psSolid, pmCopy};
          break;
        case 8:
          state_.pen.Style = psClear;
          break;
        case 10:
        case 11:
        case 16:
          state_.font.Name = "Courier New";
          state_.font.Style = 0;
          state_.fontHeight = -13;
          break;
        case 12:
        case 13:
        case 14:
        case 17:
          state_.font.Name = "MS Sans Serif";
          state_.font.Style = 0;
          state_.fontHeight = -11;
          break;
        case 18:
          state_.brush = {clWhite, bsSolid};
          break;
        case 19:
          state_.pen = TPen{clBlack, 0, psSolid, pmCopy};
          break;
        default:
          break;
      }
      return true;
    }
    if (index >= objects_.size()) return true;
    const Object& object = objects_[index];
    if (const auto* pen = std::get_if<TPen>(&object)) state_.pen = *pen;
    if (const auto* brush = std::get_if<TBrush>(&object)) state_.brush = *brush;
    if (const auto* font = std::get_if<FontObject>(&object)) {
      state_.font = font->font;
      state_.fontHeight = font->height;
    }
    return true;
  }

  std::vector<TPoint> Bezier(const std::vector<TPoint>& points) {
    std::vector<TPoint> out;
    if (points.empty()) return out;
    out.push_back(points[0]);
    for (size_t i = 1; i + 2 < points.size(); i += 3) {
      TPoint p0 = points[i - 1], c1 = points[i], c2 = points[i + 1], p3 = points[i + 2];
      for (int s = 1; s <= 16; ++s) {
        double t = s / 16.0, u = 1 - t;
        double x = u * u * u * p0.X + 3 * u * u * t * c1.X + 3 * u * t * t * c2.X + t * t * t * p3.X;
        double y = u * u * u * p0.Y + 3 * u * u * t * c1.Y + 3 * u * t * t * c2.Y + t * t * t * p3.Y;
        out.push_back({Clamp(x), Clamp(y)});
      }
    }
    return out;
  }

  bool Poly(std::uint32_t type, const Fields& f) {
    bool small = type >= emr::POLYBEZIER16 && type <= emr::POLYLINETO16;
    size_t each = small ? 4 : 8;
    if (!f.Has(24, 4)) return false;
    std::uint32_t count = f.U32(24);
    if (count > (f.Size() - 28) / each) return false;
    bool fromCurrent = type == emr::POLYLINETO16 || type == emr::POLYBEZIERTO16 || type == emr::POLYLINETO ||
                       type == emr::POLYBEZIERTO;
    std::vector<TPoint> points;
    points.reserve(count + 1);
    if (fromCurrent) points.push_back(Point(state_.curX, state_.curY));
    double lastX = state_.curX, lastY = state_.curY;
    for (std::uint32_t i = 0; i < count; ++i) {
      size_t at = 28 + i * each;
      lastX = small ? f.I16(at) : f.I32(at);
      lastY = small ? f.I16(at + 2) : f.I32(at + 4);
      points.push_back(Point(lastX, lastY));
    }
    if (fromCurrent && count > 0) state_.curX = lastX, state_.curY = lastY;
    bool bezier = type == emr::POLYBEZIER16 || type == emr::POLYBEZIERTO16 || type == emr::POLYBEZIER ||
                  type == emr::POLYBEZIERTO;
    if (bezier) points = Bezier(points);
    bool polygon = type == emr::POLYGON16 || type == emr::POLYGON;
    ApplyShape(polygon);
    if (polygon)
      canvas_.Polygon(points);
    else
      canvas_.Polyline(points);
    return true;
  }

  bool PolyPoly(std::uint32_t type, const Fields& f) {
    if (!f.Has(24, 8)) return false;
    std::uint32_t polys = f.U32(24), total = f.U32(28);
    if (polys > (f.Size() - 32) / 4) return false;
    size_t pointsAt = 32 + static_cast<size_t>(polys) * 4;
    if (total > (f.Size() - pointsAt) / 4) return false;
    ApplyShape(type == emr::POLYPOLYGON16);
    size_t next = 0;
    for (std::uint32_t p = 0; p < polys; ++p) {
      std::uint32_t n = f.U32(32 + 4 * p);
      if (n > total - next) return false;
      std::vector<TPoint> points;
      for (std::uint32_t i = 0; i < n; ++i, ++next)
        points.push_back(Point(f.I16(pointsAt + 4 * next), f.I16(pointsAt + 4 * next + 2)));
      if (type == emr::POLYPOLYGON16)
        canvas_.Polygon(points);
      else
        canvas_.Polyline(points);
    }
    return true;
  }

  bool Text(std::uint32_t type, const Fields& f) {
    if (!f.Has(36, 40)) return false;
    std::uint32_t count = f.U32(44), stringAt = f.U32(48), options = f.U32(52), dxAt = f.U32(72);
    size_t unit = type == emr::EXTTEXTOUTW ? 2 : 1;
    if (count > f.Size() || !f.Has(stringAt, static_cast<size_t>(count) * unit)) return false;
    // A line of wide text whose every character the code page holds (a
    // page's usual line) reads in one pass; any other goes the long way.
    AnsiString& text = text_;
    const bool held = type == emr::EXTTEXTOUTW && HeldInCodePage(f, stringAt, count, text);
    if (!held && !TextOfRecord(f.Bytes(0, f.Size()), text)) return false;
    bool pairs = options & 0x2000;  // ETO_PDY: x and y advance per character
    std::vector<int>& dx = dx_;
    dx.clear();
    if (dxAt != 0 && count > 0 && f.Has(dxAt, static_cast<size_t>(count) * (pairs ? 8 : 4))) {
      const double scale = ScaleX();
      const size_t stride = pairs ? 8 : 4;
      double position = 0;
      int placed = 0;
      dx.resize(count);
      int* out = dx.data();
      for (std::uint32_t i = 0; i < count; ++i) {
        position += f.I32(dxAt + i * stride) * scale;
        const int at = Clamp(position);
        out[i] = at - placed;
        placed = at;
      }
    }
    ApplyClip();
    TFont& font = *canvas_.Font;
    int ppi = font.PixelsPerInch;
    font = state_.font;
    font.PixelsPerInch = ppi;
    font.Color = state_.textColor;
    double height = (state_.fontHeight == 0 ? -12 : state_.fontHeight) * ScaleY();
    int h = static_cast<int>(std::lround(std::clamp(height, -5000.0, 5000.0)));
    if (h == 0) h = state_.fontHeight > 0 ? 1 : -1;
    font.SetHeight(h);
    canvas_.SetTextAlign(state_.textAlign & (TA_CENTER | TA_BASELINE));
    TPoint at = Point(f.I32(36), f.I32(40));
    if (state_.textAlign & 1) at = Point(state_.curX, state_.curY);  // TA_UPDATECP
    TRect rect = Box(f.I32(56), f.I32(60), f.I32(64), f.I32(68));
    bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) && !rect.IsEmpty();
    if (hasRect && (options & ETO_OPAQUE)) {
      *canvas_.Brush = TBrush{state_.bkColor, bsSolid};
      canvas_.FillRect(rect);
    }
    *canvas_.Brush = state_.bkMode == 2 ? TBrush{state_.bkColor, bsSolid} : TBrush{clWhite, bsClear};
    unsigned drawOptions = hasRect ? (options & ETO_CLIPPED) : 0;
    if ((options & ETO_RTLREADING) || (state_.textAlign & TA_RTLREADING)) drawOptions |= ETO_RTLREADING;
    const int* advances = dx.empty() ? nullptr : dx.data();
    // Wide text keeps the characters the code page lacks; text the code
    // page holds whole goes as code page, which a document draws from the
    // font's table without laying it out.
    bool keepWide = false;
    if (type == emr::EXTTEXTOUTW && count > 0 && !SameText(state_.font.Name, "SYMBOL")) {
      // A font of another code page reads bytes otherwise: its text goes wide.
      keepWide = text.size() != count || gfx::CodePageOfCharset(font.Charset) != 1253;
      for (std::uint32_t i = 0; !keepWide && !held && i < count; ++i)
        keepWide = cp1253::ToUnicode(static_cast<unsigned char>(text[i])) != f.U16(stringAt + 2 * i);
    }
    if (keepWide) {
      WideString wide;
      wide.reserve(count);
      for (std::uint32_t i = 0; i < count; ++i) wide += static_cast<char16_t>(f.U16(stringAt + 2 * i));
      canvas_.ExtTextOutW(at.X, at.Y, drawOptions, hasRect ? &rect : nullptr, wide, advances);
    } else {
      canvas_.ExtTextOut(at.X, at.Y, drawOptions, hasRect ? &rect : nullptr, text, advances);
    }
    if (state_.textAlign & 1) {
      double advance = 0;
      for (std::uint32_t i = 0; dxAt != 0 && i < dx.size(); ++i) advance += f.I32(dxAt + i * (pairs ? 8 : 4));
      state_.curX += advance;
    }
    return true;
  }

  // The code-page bytes of the Count UTF-16 units at At, when the code
  // page holds every one of them.
  static bool HeldInCodePage(const Fields& f, std::uint32_t at, std::uint32_t count, AnsiString& text) {
    // The byte of each unit below U+0400, the Latin and Greek letters a
    // line is mostly made of, or -1: one look-up a character.
    static const std::array<short, 0x400> low = [] {
      std::array<short, 0x400> bytes{};
      for (char16_t unit = 0; unit < bytes.size(); ++unit) {
        const int byte = cp1253::FromUnicode(unit);
        bytes[unit] = byte >= 0 && cp1253::ToUnicode(static_cast<unsigned char>(byte)) == unit
                          ? static_cast<short>(byte)
                          : -1;
      }
      return bytes;
    }();
    text.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      const char16_t unit = f.U16(at + 2 * i);
      const int byte = unit < low.size() ? low[unit] : cp1253::FromUnicode(unit);
      if (byte < 0 || (unit >= low.size() && cp1253::ToUnicode(static_cast<unsigned char>(byte)) != unit))
        return false;
      text[i] = static_cast<char>(byte);
    }
    return true;
  }

  bool SelectClipRegion(const Fields& f) {
    if (!f.Has(8, 8)) return false;
    std::uint32_t bytes = f.U32(8), mode = f.U32(12);
    if (bytes == 0) {
      if (mode == 5) state_.clip.reset();  // RGN_COPY of no region: clipping removed
      return true;
    }
    if (!f.Has(16, bytes) || bytes < 32) return false;
    std::uint32_t count = f.U32(24);
    if (count > (bytes - 32) / 16) return false;
    TRegion region;
    for (std::uint32_t i = 0; i < count; ++i) {
      size_t at = 48 + 16 * i;
      TRect r = DeviceBox(f.I32(at), f.I32(at + 4), f.I32(at + 8), f.I32(at + 12));
      if (!r.IsEmpty()) region.push_back(r);
    }
    switch (mode) {
      case 1:
        state_.clip = state_.clip ? IntersectRegions(*state_.clip, region) : region;
        break;
      case 2:
      case 3:
        if (state_.clip) state_.clip->insert(state_.clip->end(), region.begin(), region.end());
        break;
      case 4:
        if (state_.clip)
          for (const TRect& r : region) state_.clip = Subtract(*state_.clip, r);
        break;
      default:
        state_.clip = region;
        break;
    }
    return true;
  }

  bool Bits(std::uint32_t type, const Fields& f) {
    int xDest = 0, yDest = 0, cxDest = 0, cyDest = 0, xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    std::uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0, rop = 0x00CC0020;
    bool bottomUpOrigin = false;
    if (type == emr::STRETCHDIBITS) {
      if (!f.Has(8, 72)) return false;
      xDest = f.I32(24), yDest = f.I32(28), xSrc = f.I32(32), ySrc = f.I32(36), cxSrc = f.I32(40),
      cySrc = f.I32(44);
      offBmi = f.U32(48), cbBmi = f.U32(52), offBits = f.U32(56), cbBits = f.U32(60), rop = f.U32(68);
      cxDest = f.I32(72), cyDest = f.I32(76);
      bottomUpOrigin = true;
    } else if (type == emr::SETDIBITSTODEVICE) {
      if (!f.Has(8, 68)) return false;
      xDest = f.I32(24), yDest = f.I32(28), xSrc = f.I32(32), ySrc = f.I32(36), cxSrc = f.I32(40),
      cySrc = f.I32(44);
      offBmi = f.U32(48), cbBmi = f.U32(52), offBits = f.U32(56), cbBits = f.U32(60);
      cxDest = cxSrc, cyDest = cySrc;
      bottomUpOrigin = true;
    } else {
      bool stretch = type == emr::STRETCHBLT;
      if (!f.Has(8, stretch ? 100 : 92)) return false;
      xDest = f.I32(24), yDest = f.I32(28), cxDest = f.I32(32), cyDest = f.I32(36), rop = f.U32(40);
      xSrc = f.I32(44), ySrc = f.I32(48);
      offBmi = f.U32(84), cbBmi = f.U32(88), offBits = f.U32(92), cbBits = f.U32(96);
      cxSrc = stretch ? f.I32(100) : cxDest, cySrc = stretch ? f.I32(104) : cyDest;
    }
    TRect target =
        Box(xDest, yDest, static_cast<double>(xDest) + cxDest, static_cast<double>(yDest) + cyDest);
    ApplyClip();
    if (cbBmi == 0) {
      // A page's thin lines are such fills: one scaled down below a pixel
      // keeps a pixel's breadth instead of vanishing from a small picture.
      if (cxDest != 0 && target.Width() == 0) target.Right = target.Left + 1;
      if (cyDest != 0 && target.Height() == 0) target.Bottom = target.Top + 1;
      // No source: a fill with the brush, black or white.
      TBrush brush = state_.brush;
      if (rop == 0x00000042) brush = {clBlack, bsSolid};
      if (rop == 0x00FF0062) brush = {clWhite, bsSolid};
      *canvas_.Brush = brush;
      canvas_.FillRect(target);
      return true;
    }
    if (!f.Has(offBmi, cbBmi) || !f.Has(offBits, cbBits)) return false;
    TPixelBlock pixels;
    try {
      pixels = gfx::DecodeDib(f.Bytes(offBmi, cbBmi), f.Bytes(offBits, cbBits));
    } catch (const EInvalidGraphic&) {
      return false;
    }
    // The source rectangle, clamped to the picture.
    auto limit = [](int v) { return std::clamp(v, -(1 << 24), 1 << 24); };
    xSrc = limit(xSrc), ySrc = limit(ySrc), cxSrc = limit(cxSrc), cySrc = limit(cySrc);
    int top = bottomUpOrigin ? pixels.Height - (ySrc + cySrc) : ySrc;
    TRect source = IntersectRect({xSrc, top, xSrc + cxSrc, top + cySrc}, {0, 0, pixels.Width, pixels.Height});
    if (source.IsEmpty()) return true;
    if (source != TRect{0, 0, pixels.Width, pixels.Height}) {
      TPixelBlock part{source.Width(), source.Height(), {}};
      part.Pixels.reserve(static_cast<size_t>(part.Width) * part.Height);
      for (int y = source.Top; y < source.Bottom; ++y)
        for (int x = source.Left; x < source.Right; ++x) part.Pixels.push_back(pixels.At(x, y));
      pixels = std::move(part);
    }
    canvas_.DrawPixels(target, pixels, false, clNone);
    return true;
  }

  TCanvas& canvas_;
  std::string_view emf_;
  TRect dest_;
  double dpiX_ = 96, dpiY_ = 96;
  Xform toTarget_;
  DcState state_;
  std::vector<DcState> stack_;
  std::vector<Object> objects_;
  std::optional<TRegion> baseClip_;
  std::optional<std::optional<TRegion>> applied_;
  // A text record's characters and advances, their storage kept from
  // record to record.
  AnsiString text_;
  std::vector<int> dx_;
};

}  // namespace

bool PlayEnhMetafile(TCanvas& canvas, std::string_view emf, const TRect& dest) {
  try {
    return Player(canvas, emf, dest).Play();
  } catch (const std::exception&) {
    // Painting never raises: what could not be drawn stays undrawn.
    return false;
  }
}

bool EnumEnhMetafile(std::string_view emf,
                     const std::function<bool(std::uint32_t, std::string_view)>& visit) {
  Fields h(emf);
  if (!h.Has(0, 88) || h.U32(0) != emr::HEADER || h.U32(40) != kSignature) return false;
  std::uint32_t total = h.U32(48);
  if (total > emf.size()) return false;
  emf = emf.substr(0, total);
  size_t at = 0;
  while (at + 8 <= emf.size()) {
    Fields head(emf.substr(at, 8));
    std::uint32_t type = head.U32(0), size = head.U32(4);
    if (size < 8 || size % 4 != 0 || size > emf.size() - at) return false;
    if (!visit(type, emf.substr(at, size))) return true;
    if (type == emr::EOF_) return true;
    at += size;
  }
  return at == emf.size();
}

bool TextOfRecord(std::string_view record, AnsiString& text) {
  Fields f(record);
  if (!f.Has(0, 76)) return false;
  std::uint32_t type = f.U32(0);
  if (type != emr::EXTTEXTOUTA && type != emr::EXTTEXTOUTW) return false;
  std::uint32_t count = f.U32(44), at = f.U32(48);
  size_t unit = type == emr::EXTTEXTOUTW ? 2 : 1;
  if (count > record.size() || !f.Has(at, static_cast<size_t>(count) * unit)) return false;
  if (type == emr::EXTTEXTOUTA) {
    text.assign(record.substr(at, count));
    return true;
  }
  WideString wide;
  for (std::uint32_t i = 0; i < count; ++i) wide += static_cast<char16_t>(f.U16(at + 2 * i));
  // Characters of the symbol font travel as their own byte values (or in
  // the private-use page); everything else converts through the code page.
  bool symbol = !wide.empty() && std::all_of(wide.begin(), wide.end(), [](char16_t c) {
    return c < 0x100 || (c >= 0xF000 && c <= 0xF0FF);
  }) && std::any_of(wide.begin(), wide.end(), [](char16_t c) { return c >= 0xF000; });
  if (symbol) {
    text.clear();
    for (char16_t c : wide) text += static_cast<char>(c & 0xFF);
  } else {
    text = cp1253::FromWide(wide);
  }
  return true;
}

// ---- TMetafile ----------------------------------------------------------------

void TMetafile::Clear() {
  data_.clear();
  width_ = height_ = mmWidth_ = mmHeight_ = 0;
}

void TMetafile::SetData(std::string bytes) {
  bool ok = bytes.size() >= 88 && le::Get32(bytes, 0) == emr::HEADER && le::Get32(bytes, 40) == kSignature;
  if (ok) {
    std::uint32_t headerSize = le::Get32(bytes, 4), total = le::Get32(bytes, 48);
    ok = headerSize >= 88 && headerSize <= total && total == bytes.size() && headerSize % 4 == 0;
  }
  if (!ok) throw EInvalidGraphic("Metafile is not valid");
  auto frame = [&](size_t at) { return static_cast<std::int32_t>(le::Get32(bytes, at)); };
  long long mmw = static_cast<long long>(frame(32)) - frame(24),
            mmh = static_cast<long long>(frame(36)) - frame(28);
  mmWidth_ = static_cast<int>(std::clamp<long long>(mmw, 0, 1 << 30));
  mmHeight_ = static_cast<int>(std::clamp<long long>(mmh, 0, 1 << 30));
  width_ = MulDiv(mmWidth_, 96, 2540);
  height_ = MulDiv(mmHeight_, 96, 2540);
  data_ = std::move(bytes);
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) {
  if (!data_.empty()) PlayEnhMetafile(canvas, data_, rect);
}

void TMetafile::LoadFromStream(TStream& stream) {
  const Int64 start = stream.Position();
  std::string head(kWinMetafileProbe, '\0');
  head.resize(static_cast<size_t>(std::max(0, stream.Read(head.data(), kWinMetafileProbe))));
  stream.SetPosition(start);
  if (LooksLikeWinMetafile(head)) {
    // The older format has no size of its own before its records: the rest
    // of the stream is the file.
    const Int64 left = stream.Size() - start;
    if (left <= 0 || left > kMaxWinMetafile) throw EInvalidGraphic("Metafile is not valid");
    std::string bytes(static_cast<size_t>(left), '\0');
    stream.ReadBuffer(bytes.data(), static_cast<int>(left));
    SetData(EnhMetafileFromWinMetafile(bytes));
    return;
  }
  std::string header(88, '\0');
  if (stream.Read(header.data(), 88) != 88 || le::Get32(header, 0) != emr::HEADER ||
      le::Get32(header, 40) != kSignature)
    throw EInvalidGraphic("Metafile is not valid");
  std::uint32_t total = le::Get32(header, 48);
  Int64 left = stream.Size() - stream.Position();
  if (total < 88 || total - 88 > left) throw EInvalidGraphic("Metafile is not valid");
  header.resize(total);
  stream.ReadBuffer(header.data() + 88, static_cast<int>(total - 88));
  SetData(std::move(header));
}

void TMetafile::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(data_.data(), static_cast<int>(data_.size()));
}
