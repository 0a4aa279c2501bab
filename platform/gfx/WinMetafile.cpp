// Each record of a Windows metafile becomes the enhanced record that does
// the same, so one player draws both kinds. The two differ in three ways
// that matter here: 16-bit coordinates with y before x, objects placed in
// the lowest free slot of the table rather than at a stated index, and the
// size, which only the placeable header (or else the window extent) gives.

#include "platform/gfx/WinMetafile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/gfx/Graphics.h"
#include "platform/gfx/Metafile.h"
#include "platform/rtl/ByteOrder.h"

namespace {

using le::Get16;
using le::Get32;
using le::Patch32;
using le::Put32;

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr int kPlaceableSize = 22, kHeaderSize = 18;

// Windows metafile record functions.
namespace wmf {
constexpr std::uint16_t EOF_ = 0x0000, SAVEDC = 0x001E, CREATEPALETTE = 0x00F7, SETBKMODE = 0x0102,
                        SETMAPMODE = 0x0103, SETROP2 = 0x0104, SETPOLYFILLMODE = 0x0106, RESTOREDC = 0x0127,
                        SELECTOBJECT = 0x012D, SETTEXTALIGN = 0x012E, DIBCREATEPATTERNBRUSH = 0x0142,
                        DELETEOBJECT = 0x01F0, CREATEPATTERNBRUSH = 0x01F9, SETBKCOLOR = 0x0201,
                        SETTEXTCOLOR = 0x0209, SETWINDOWORG = 0x020B, SETWINDOWEXT = 0x020C,
                        OFFSETWINDOWORG = 0x020F, LINETO = 0x0213, MOVETO = 0x0214,
                        CREATEPENINDIRECT = 0x02FA, CREATEFONTINDIRECT = 0x02FB, CREATEBRUSHINDIRECT = 0x02FC,
                        POLYGON = 0x0324, POLYLINE = 0x0325, SCALEWINDOWEXT = 0x0410,
                        EXCLUDECLIPRECT = 0x0415, INTERSECTCLIPRECT = 0x0416, ELLIPSE = 0x0418,
                        RECTANGLE = 0x041B, TEXTOUT = 0x0521, POLYPOLYGON = 0x0538, ROUNDRECT = 0x061C,
                        PATBLT = 0x061D, CREATEREGION = 0x06FF, ARC = 0x0817, DIBBITBLT = 0x0940,
                        EXTTEXTOUT = 0x0A32, DIBSTRETCHBLT = 0x0B41, STRETCHDIB = 0x0F43;
}  // namespace wmf

[[noreturn]] void Invalid() { throw EInvalidGraphic("Metafile is not valid"); }

// One record's parameters, bounds-checked: words past the record read as
// a damaged file.
class Params {
 public:
  explicit Params(std::string_view bytes) : bytes_(bytes) {}
  size_t Words() const { return bytes_.size() / 2; }
  int I(size_t word) const { return static_cast<std::int16_t>(U(word)); }
  std::uint16_t U(size_t word) const {
    if (2 * word + 2 > bytes_.size()) Invalid();
    return Get16(bytes_, 2 * word);
  }
  std::uint32_t U32(size_t word) const { return U(word) | (static_cast<std::uint32_t>(U(word + 1)) << 16); }
  std::string_view Bytes(size_t word, size_t count) const {
    if (2 * word > bytes_.size() || count > bytes_.size() - 2 * word) Invalid();
    return bytes_.substr(2 * word, count);
  }

 private:
  std::string_view bytes_;
};

// Builds one enhanced record; its size is patched when it ends.
class Emitter {
 public:
  void Begin(std::uint32_t type) {
    start_ = out_.size();
    Put32(out_, type);
    Put32(out_, 0);
  }
  void Int(std::int64_t v) { Put32(out_, static_cast<std::uint32_t>(v)); }
  void Raw(std::string_view bytes) { out_.append(bytes); }
  void End() {
    while ((out_.size() - start_) % 4) out_ += '\0';
    Patch32(out_, start_ + 4, static_cast<std::uint32_t>(out_.size() - start_));
    ++records_;
  }
  size_t Offset() const { return out_.size() - start_; }
  void Patch(size_t offset, std::uint32_t v) { Patch32(out_, start_ + offset, v); }
  void One(std::uint32_t type, std::initializer_list<std::int64_t> values) {
    Begin(type);
    for (std::int64_t v : values) Int(v);
    End();
  }
  std::string& Out() { return out_; }
  std::uint32_t Records() const { return records_; }

 private:
  std::string out_;
  size_t start_ = 0;
  std::uint32_t records_ = 0;
};

// The size of a device-independent bitmap's header with its colour table.
size_t DibHeaderSize(std::string_view dib) {
  if (dib.size() < 12) Invalid();
  const std::uint32_t size = Get32(dib, 0);
  if (size == 12) {
    const unsigned bits = Get16(dib, 10);
    return 12 + (bits <= 8 ? (size_t{1} << bits) * 3 : 0);
  }
  if (size < 40 || dib.size() < 40) Invalid();
  const unsigned bits = Get16(dib, 14);
  const std::uint32_t compression = Get32(dib, 16), used = Get32(dib, 32);
  size_t colours = used ? used : (bits <= 8 ? size_t{1} << bits : 0);
  if (colours > 256 && bits <= 8) Invalid();
  size_t masks = (compression == 3 && size == 40) ? 12 : 0;
  if (colours > dib.size()) Invalid();
  return size + masks + colours * 4;
}

class Converter {
 public:
  explicit Converter(std::string_view wmf) : wmf_(wmf) {}

  std::string Convert() {
    size_t at = 0;
    int left = 0, top = 0, width = 0, height = 0, inch = 96;
    const bool placeable = wmf_.size() >= 4 && Get32(wmf_, 0) == kPlaceableKey;
    if (placeable) {
      if (wmf_.size() < kPlaceableSize) Invalid();
      left = static_cast<std::int16_t>(Get16(wmf_, 6));
      top = static_cast<std::int16_t>(Get16(wmf_, 8));
      width = static_cast<std::int16_t>(Get16(wmf_, 10)) - left;
      height = static_cast<std::int16_t>(Get16(wmf_, 12)) - top;
      inch = Get16(wmf_, 14);
      at = kPlaceableSize;
    }
    if (wmf_.size() < at + kHeaderSize) Invalid();
    const unsigned type = Get16(wmf_, at), headerWords = Get16(wmf_, at + 2), version = Get16(wmf_, at + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300)) Invalid();
    slots_.assign(Get16(wmf_, at + 10), Slot::Free);
    at += kHeaderSize;
    const size_t records = at;
    if (!placeable && !WindowOf(records, left, top, width, height)) Invalid();
    if (width == 0 || height == 0 || inch == 0) Invalid();

    // The frame: the box at its resolution, in hundredths of a millimetre
    // and in pixels of a 96-dot screen.
    const std::int64_t mmW = std::abs(static_cast<std::int64_t>(width)) * 2540 / inch,
                       mmH = std::abs(static_cast<std::int64_t>(height)) * 2540 / inch;
    const std::int64_t pxW = std::max<std::int64_t>(1, std::abs(std::int64_t{width}) * 96 / inch),
                       pxH = std::max<std::int64_t>(1, std::abs(std::int64_t{height}) * 96 / inch);
    out_.Begin(emr::HEADER);
    for (std::int64_t v :
         {std::int64_t{0}, std::int64_t{0}, pxW - 1, pxH - 1, std::int64_t{0}, std::int64_t{0}, mmW, mmH})
      out_.Int(v);
    out_.Int(kEmfSignature);
    out_.Int(0x10000);
    out_.Int(0);  // bytes, patched
    out_.Int(0);  // records, patched
    out_.Int(static_cast<std::uint32_t>(slots_.size() + 1));
    out_.Int(0);
    out_.Int(0);
    out_.Int(0);
    // A reference device of exactly 96 dots to the inch.
    for (std::int64_t v : {9600, 9600, 2540, 2540}) out_.Int(v);
    out_.End();
    out_.One(emr::SETMAPMODE, {8});  // MM_ANISOTROPIC
    out_.One(emr::SETWINDOWORGEX, {left, top});
    out_.One(emr::SETWINDOWEXTEX, {width, height});
    out_.One(emr::SETVIEWPORTORGEX, {0, 0});
    out_.One(emr::SETVIEWPORTEXTEX, {pxW, pxH});
    orgX_ = left, orgY_ = top;

    at = records;
    while (at < wmf_.size()) {  // a file cut right after its last record still draws
      if (wmf_.size() - at < 6) Invalid();
      const std::uint64_t size = std::uint64_t{Get32(wmf_, at)} * 2;
      const std::uint16_t function = Get16(wmf_, at + 4);
      if (size < 6 || size > wmf_.size() - at) Invalid();
      if (function == wmf::EOF_) break;
      Record(function, Params(wmf_.substr(at + 6, static_cast<size_t>(size) - 6)));
      at += static_cast<size_t>(size);
    }
    out_.One(emr::EOF_, {0, 16, 20});
    std::string& emf = out_.Out();
    Patch32(emf, 48, static_cast<std::uint32_t>(emf.size()));
    Patch32(emf, 52, out_.Records());
    return std::move(emf);
  }

 private:
  enum class Slot { Free, Drawn, Ignored };

  // The first window origin and extent, for a metafile without the
  // placeable header.
  bool WindowOf(size_t at, int& left, int& top, int& width, int& height) const {
    bool hasExtent = false, hasOrigin = false;
    while (wmf_.size() - at >= 6 && !(hasExtent && hasOrigin)) {
      const std::uint64_t size = std::uint64_t{Get32(wmf_, at)} * 2;
      const std::uint16_t function = Get16(wmf_, at + 4);
      if (size < 6 || size > wmf_.size() - at || function == wmf::EOF_) break;
      const Params p(wmf_.substr(at + 6, static_cast<size_t>(size) - 6));
      if (function == wmf::SETWINDOWEXT && !hasExtent) {
        height = p.I(0), width = p.I(1), hasExtent = true;
      } else if (function == wmf::SETWINDOWORG && !hasOrigin) {
        top = p.I(0), left = p.I(1), hasOrigin = true;
      }
      at += static_cast<size_t>(size);
    }
    return hasExtent;
  }

  // The lowest free slot takes a new object; -1 when the table is full
  // (the object is then not made, as the device interface would refuse it).
  int Place(Slot kind) {
    for (size_t i = 0; i < slots_.size(); ++i)
      if (slots_[i] == Slot::Free) {
        slots_[i] = kind;
        return static_cast<int>(i);
      }
    return -1;
  }

  void Box(std::uint32_t type, const Params& p) { out_.One(type, {p.I(3), p.I(2), p.I(1), p.I(0)}); }

  void Points(std::uint32_t type, const Params& p) {
    const size_t count = p.U(0);
    out_.Begin(type);
    for (int i = 0; i < 4; ++i) out_.Int(0);  // bounds: the player does not need them
    out_.Int(static_cast<std::uint32_t>(count));
    out_.Raw(p.Bytes(1, count * 4));
    out_.End();
  }

  void PolyPolygon(const Params& p) {
    const size_t polys = p.U(0);
    size_t total = 0;
    for (size_t i = 0; i < polys; ++i) total += p.U(1 + i);
    out_.Begin(emr::POLYPOLYGON16);
    for (int i = 0; i < 4; ++i) out_.Int(0);
    out_.Int(static_cast<std::uint32_t>(polys));
    out_.Int(static_cast<std::uint32_t>(total));
    for (size_t i = 0; i < polys; ++i) out_.Int(p.U(1 + i));
    out_.Raw(p.Bytes(1 + polys, total * 4));
    out_.End();
  }

  void Text(int x, int y, unsigned options, const int* rect, std::string_view text,
            const std::vector<int>& dx) {
    out_.Begin(emr::EXTTEXTOUTA);
    for (int i = 0; i < 4; ++i) out_.Int(0);
    out_.Int(1);  // GM_COMPATIBLE
    out_.Int(0);
    out_.Int(0);
    out_.Int(x);
    out_.Int(y);
    out_.Int(static_cast<std::uint32_t>(text.size()));
    out_.Int(76);
    out_.Int(options);
    for (int i = 0; i < 4; ++i) out_.Int(rect ? rect[i] : 0);
    out_.Int(0);  // the advances' offset, patched
    out_.Raw(text);
    while (out_.Offset() % 4) out_.Raw(std::string_view("\0", 1));
    if (!dx.empty()) {
      out_.Patch(72, static_cast<std::uint32_t>(out_.Offset()));
      for (int d : dx) out_.Int(d);
    }
    out_.End();
  }

  // A picture stretched from (xSrc, ySrc, cxSrc, cySrc) of the bitmap in
  // Dib onto (x, y, cx, cy).
  void StretchDib(std::int64_t x, std::int64_t y, std::int64_t cx, std::int64_t cy, std::int64_t xSrc,
                  std::int64_t ySrc, std::int64_t cxSrc, std::int64_t cySrc, std::uint32_t rop,
                  std::string_view dib) {
    const size_t header = DibHeaderSize(dib);
    if (header > dib.size()) Invalid();
    out_.Begin(emr::STRETCHDIBITS);
    for (int i = 0; i < 4; ++i) out_.Int(0);
    for (std::int64_t v : {x, y, xSrc, ySrc, cxSrc, cySrc}) out_.Int(v);
    out_.Int(80);
    out_.Int(static_cast<std::uint32_t>(header));
    out_.Int(static_cast<std::uint32_t>(80 + header));
    out_.Int(static_cast<std::uint32_t>(dib.size() - header));
    out_.Int(0);  // DIB_RGB_COLORS
    out_.Int(rop);
    out_.Int(cx);
    out_.Int(cy);
    out_.Raw(dib);
    out_.End();
  }

  void Record(std::uint16_t function, const Params& p) {
    switch (function) {
      case wmf::SETBKMODE:
        out_.One(emr::SETBKMODE, {p.U(0)});
        break;
      case wmf::SETROP2:
        out_.One(emr::SETROP2, {p.U(0)});
        break;
      case wmf::SETPOLYFILLMODE:
        out_.One(emr::SETPOLYFILLMODE, {p.U(0)});
        break;
      case wmf::SETTEXTALIGN:
        out_.One(emr::SETTEXTALIGN, {p.U(0)});
        break;
      case wmf::SETBKCOLOR:
        out_.One(emr::SETBKCOLOR, {p.U32(0)});
        break;
      case wmf::SETTEXTCOLOR:
        out_.One(emr::SETTEXTCOLOR, {p.U32(0)});
        break;
      case wmf::SETWINDOWORG:
        orgY_ = p.I(0), orgX_ = p.I(1);
        out_.One(emr::SETWINDOWORGEX, {orgX_, orgY_});
        break;
      case wmf::OFFSETWINDOWORG:
        orgY_ += p.I(0), orgX_ += p.I(1);
        out_.One(emr::SETWINDOWORGEX, {orgX_, orgY_});
        break;
      case wmf::SETWINDOWEXT:
        out_.One(emr::SETWINDOWEXTEX, {p.I(1), p.I(0)});
        break;
      case wmf::SCALEWINDOWEXT:
        out_.One(emr::SCALEWINDOWEXTEX, {p.I(3), p.I(2), p.I(1), p.I(0)});
        break;
      case wmf::SAVEDC:
        saved_.push_back({orgX_, orgY_});
        out_.One(emr::SAVEDC, {});
        break;
      case wmf::RESTOREDC: {
        const int n = p.I(0);
        const size_t depth = n < 0 ? static_cast<size_t>(-n) : 0;
        if (depth > 0 && depth <= saved_.size()) {
          orgX_ = saved_[saved_.size() - depth].first, orgY_ = saved_[saved_.size() - depth].second;
          saved_.resize(saved_.size() - depth);
        }
        out_.One(emr::RESTOREDC, {n});
        break;
      }
      case wmf::MOVETO:
        out_.One(emr::MOVETOEX, {p.I(1), p.I(0)});
        break;
      case wmf::LINETO:
        out_.One(emr::LINETO, {p.I(1), p.I(0)});
        break;
      case wmf::RECTANGLE:
        Box(emr::RECTANGLE, p);
        break;
      case wmf::ELLIPSE:
        Box(emr::ELLIPSE, p);
        break;
      case wmf::EXCLUDECLIPRECT:
        Box(emr::EXCLUDECLIPRECT, p);
        break;
      case wmf::INTERSECTCLIPRECT:
        Box(emr::INTERSECTCLIPRECT, p);
        break;
      case wmf::ROUNDRECT:
        out_.One(emr::ROUNDRECT, {p.I(5), p.I(4), p.I(3), p.I(2), p.I(1), p.I(0)});
        break;
      case wmf::ARC:
        out_.One(emr::ARC, {p.I(7), p.I(6), p.I(5), p.I(4), p.I(3), p.I(2), p.I(1), p.I(0)});
        break;
      case wmf::POLYGON:
        Points(emr::POLYGON16, p);
        break;
      case wmf::POLYLINE:
        Points(emr::POLYLINE16, p);
        break;
      case wmf::POLYPOLYGON:
        PolyPolygon(p);
        break;
      case wmf::PATBLT: {
        const std::int64_t x = p.I(5), y = p.I(4), cx = p.I(3), cy = p.I(2);
        out_.Begin(emr::BITBLT);
        for (int i = 0; i < 4; ++i) out_.Int(0);
        for (std::int64_t v : {x, y, cx, cy}) out_.Int(v);
        out_.Int(p.U32(0));
        for (int i = 0; i < 14; ++i) out_.Int(i == 2 || i == 5 ? 0x3F800000 : 0);  // source, identity
        out_.End();
        break;
      }
      case wmf::TEXTOUT: {
        const size_t length = p.U(0), words = (length + 1) / 2;
        const std::string_view text = p.Bytes(1, length);
        Text(p.I(2 + words), p.I(1 + words), 0, nullptr, text, {});
        break;
      }
      case wmf::EXTTEXTOUT: {
        const int y = p.I(0), x = p.I(1);
        const size_t length = p.U(2);
        const unsigned options = p.U(3);
        size_t word = 4;
        int rect[4] = {};
        const bool hasRect = options & (ETO_OPAQUE | ETO_CLIPPED);
        if (hasRect) {
          for (int i = 0; i < 4; ++i) rect[i] = p.I(word + i);
          word += 4;
        }
        const std::string_view text = p.Bytes(word, length);
        word += (length + 1) / 2;
        std::vector<int> dx;
        if (p.Words() >= word + length)
          for (size_t i = 0; i < length; ++i) dx.push_back(p.I(word + i));
        Text(x, y, options & (ETO_OPAQUE | ETO_CLIPPED), hasRect ? rect : nullptr, text, dx);
        break;
      }
      case wmf::CREATEPENINDIRECT: {
        const std::uint16_t style = p.U(0);
        const int width = p.I(1);
        const std::uint32_t colour = p.U32(3);
        const int slot = Place(Slot::Drawn);
        if (slot >= 0) out_.One(emr::CREATEPEN, {slot + 1, style, width, 0, colour});
        break;
      }
      case wmf::CREATEBRUSHINDIRECT: {
        const std::uint16_t style = p.U(0);
        const std::uint32_t colour = p.U32(1);
        const std::uint16_t hatch = p.U(3);
        const int slot = Place(Slot::Drawn);
        if (slot >= 0) out_.One(emr::CREATEBRUSHINDIRECT, {slot + 1, style, colour, hatch});
        break;
      }
      case wmf::CREATEFONTINDIRECT: {
        const std::string_view logfont = p.Bytes(0, 18);
        const int slot = Place(Slot::Drawn);
        if (slot < 0) break;
        out_.Begin(emr::EXTCREATEFONTINDIRECTW);
        out_.Int(slot + 1);
        for (size_t i = 0; i < 5; ++i) out_.Int(static_cast<std::int16_t>(Get16(logfont, 2 * i)));
        out_.Raw(logfont.substr(10, 8));
        // The face name, in the code page of the file, widened as it reads.
        const std::string_view face = p.Bytes(9, std::min<size_t>(32, p.Words() * 2 - 18));
        std::string wide;
        for (size_t i = 0; i < 32; ++i) {
          const unsigned char c = i < face.size() ? static_cast<unsigned char>(face[i]) : 0;
          if (c == 0) {
            wide.append(2 * (32 - i), '\0');
            break;
          }
          le::Put16(wide, c);
        }
        out_.Raw(wide);
        out_.End();
        break;
      }
      case wmf::CREATEPALETTE:
      case wmf::CREATEPATTERNBRUSH:
      case wmf::DIBCREATEPATTERNBRUSH:
      case wmf::CREATEREGION:
        // Kept in the table so the slots after them stay where the file
        // expects; they themselves are not drawn.
        Place(Slot::Ignored);
        break;
      case wmf::SELECTOBJECT: {
        const size_t slot = p.U(0);
        if (slot < slots_.size() && slots_[slot] == Slot::Drawn)
          out_.One(emr::SELECTOBJECT, {static_cast<std::int64_t>(slot) + 1});
        break;
      }
      case wmf::DELETEOBJECT: {
        const size_t slot = p.U(0);
        if (slot >= slots_.size() || slots_[slot] == Slot::Free) break;
        if (slots_[slot] == Slot::Drawn) out_.One(emr::DELETEOBJECT, {static_cast<std::int64_t>(slot) + 1});
        slots_[slot] = Slot::Free;
        break;
      }
      case wmf::STRETCHDIB:
        StretchDib(p.I(10), p.I(9), p.I(8), p.I(7), p.I(6), p.I(5), p.I(4), p.I(3), p.U32(0),
                   p.Bytes(11, p.Words() * 2 - 22));
        break;
      case wmf::DIBSTRETCHBLT:
        if (p.Words() > 10)
          StretchDib(p.I(9), p.I(8), p.I(7), p.I(6), p.I(5), p.I(4), p.I(3), p.I(2), p.U32(0),
                     p.Bytes(10, p.Words() * 2 - 20));
        break;
      case wmf::DIBBITBLT:
        if (p.Words() > 8)
          StretchDib(p.I(7), p.I(6), p.I(5), p.I(4), p.I(3), p.I(2), p.I(5), p.I(4), p.U32(0),
                     p.Bytes(8, p.Words() * 2 - 16));
        break;
      case wmf::SETMAPMODE:
      default:
        // The mapping is the frame's; other records draw nothing we keep.
        break;
    }
  }

  std::string_view wmf_;
  Emitter out_;
  std::vector<Slot> slots_;
  std::vector<std::pair<int, int>> saved_;
  int orgX_ = 0, orgY_ = 0;
};

}  // namespace

bool LooksLikeWinMetafile(std::string_view bytes) {
  if (bytes.size() >= 4 && Get32(bytes, 0) == kPlaceableKey) return true;
  return bytes.size() >= kHeaderSize && (Get16(bytes, 0) == 1 || Get16(bytes, 0) == 2) &&
         Get16(bytes, 2) == 9 && (Get16(bytes, 4) == 0x0100 || Get16(bytes, 4) == 0x0300);
}

std::string EnhMetafileFromWinMetafile(std::string_view wmf) { return Converter(wmf).Convert(); }
