// The metafile canvas: each drawing call becomes the EMF records that the
// graphics device interface itself would write, objects created and
// selected only when the font, pen or brush in force has changed.

#include "platform/gfx/Metafile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <concepts>
#include <cstring>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/TextEngine.h"
#include "platform/gfx/WinMetafile.h"
#include "platform/rtl/ByteOrder.h"

namespace {

constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kStock = 0x80000000u;
constexpr std::uint32_t WHITE_BRUSH = 0, NULL_BRUSH = 5, BLACK_PEN = 7, NULL_PEN = 8, SYSTEM_FONT = 13;
constexpr int kHeaderSize = 108;
// Room for the records of most pages a report prints (a few lines of text):
// the file grows once instead of doubling over and over from its header.
constexpr std::size_t kFirstRecords = 1024;
// The 96-dot reference screen: 1920 × 1440 pixels are exactly 508 × 381 mm.
constexpr int kScreenWidth = 1920, kScreenHeight = 1440;

using le::Put16;
using le::Put32;

void PutInt(std::string& s, int v) { Put32(s, static_cast<std::uint32_t>(v)); }
void PutRect(std::string& s, const TRect& r) {
  PutInt(s, r.Left);
  PutInt(s, r.Top);
  PutInt(s, r.Right);
  PutInt(s, r.Bottom);
}
void PutFloat(std::string& s, float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  Put32(s, v);
}
// The same fields written into a record's storage, already sized for them,
// as the file stores them: little-endian, so that on a little-endian
// machine a run of them is copied whole.
constexpr bool kLittle = std::endian::native == std::endian::little;
template <std::unsigned_integral T>
void StoreEach(char*& p, std::span<const T> values) {
  if constexpr (kLittle) {
    if (!values.empty()) std::memcpy(p, values.data(), values.size_bytes());
    p += values.size_bytes();
  } else {
    for (T v : values)
      for (size_t i = 0; i < sizeof v; ++i) *p++ = static_cast<char>(v >> (8 * i));
  }
}
// Runs of characters and advances.
void StoreAll(char*& p, std::u16string_view wide) { StoreEach(p, std::span(wide.data(), wide.size())); }
void StoreAll(char*& p, std::span<const int> values) {
  StoreEach(p, std::span(reinterpret_cast<const unsigned*>(values.data()), values.size()));
}
// A record's fixed fields, 32 bits each, gathered on the stack and copied
// into place at once: under the sanitizers every store through a pointer
// into the records is checked on its own, and a text record has seventeen.
template <std::integral... T>
void StoreWords(char*& p, T... values) {
  const std::array<std::uint32_t, sizeof...(T)> words{static_cast<std::uint32_t>(values)...};
  StoreEach(p, std::span<const std::uint32_t>(words));
}
// Inclusive bounds of a shape, as the header's rclBounds counts them.
TRect Inclusive(int x1, int y1, int x2, int y2) {
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) - 1, std::max(y1, y2) - 1};
}

std::uint32_t PenStyleCode(TPenStyle style) {
  switch (style) {
    case psDash:
      return 1;
    case psDot:
      return 2;
    case psDashDot:
      return 3;
    case psDashDotDot:
      return 4;
    case psClear:
      return 5;
    case psInsideFrame:
      return 6;
    default:
      return 0;
  }
}

int Rop2Code(TPenMode mode) {
  switch (mode) {
    case pmXor:
      return 7;  // R2_XORPEN
    case pmNotXor:
      return 10;  // R2_NOTXORPEN
    case pmNot:
      return 6;  // R2_NOT
    default:
      return 13;  // R2_COPYPEN
  }
}

// Compared letter by letter: every text record asks.
bool IsSymbolFace(const AnsiString& name) {
  constexpr std::string_view kSymbol = "SYMBOL";
  if (name.size() != kSymbol.size()) return false;
  for (size_t i = 0; i < kSymbol.size(); ++i)
    if (UpCase(name[i]) != kSymbol[i]) return false;
  return true;
}

}  // namespace

// ---- TMetafileCanvas ------------------------------------------------------------

// Builds one record of fields grown one by one, in the canvas's scratch
// storage, and writes it when it ends, padded to four bytes.
class TMetafileCanvas::Writer {
 public:
  Writer(TMetafileCanvas& canvas, std::uint32_t type) : canvas_(canvas), type_(type) {
    canvas.fields_.clear();
  }
  ~Writer() {
    const std::string& f = canvas_.fields_;
    const size_t padded = (f.size() + 3) / 4 * 4;
    char* p = canvas_.NewRecord(type_, 8 + padded);
    if (!f.empty()) std::memcpy(p, f.data(), f.size());
    std::memset(p + f.size(), 0, padded - f.size());
  }
  std::string& Out() { return canvas_.fields_; }

 private:
  TMetafileCanvas& canvas_;
  std::uint32_t type_;
};

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, const TCanvas* referenceDevice) : metafile_(metafile) {
  if (referenceDevice != nullptr) {
    dpiX_ = std::max(1, referenceDevice->GetDeviceCaps(LOGPIXELSX));
    dpiY_ = std::max(1, referenceDevice->GetDeviceCaps(LOGPIXELSY));
  }
  Begin();
}

void TMetafileCanvas::Begin() {
  Font->PixelsPerInch = dpiY_;
  Font->SetSize(8);
  // The header goes in front of the records when they are complete: its
  // room is kept from the start, so that the file is the records' own
  // bytes instead of a copy of them behind the header.
  TRecords& records = records_;
  if (records.Bytes.size() < kFirstRecords) records.Bytes.resize(kFirstRecords);
  records.Used = kHeaderSize;
  records.Count = 0;
  records.Bounds = TRect{0, 0, -1, -1};
  records.HasBounds = false;
  // The stock objects go in first, so that a reader starts from a known
  // state whatever its defaults.
  for (std::uint32_t stock : {WHITE_BRUSH, BLACK_PEN, SYSTEM_FONT})
    records.AddValue(emr::SELECTOBJECT, kStock | stock);
}

TMetafileCanvas::~TMetafileCanvas() {
  if (!open_) return;
  try {
    Finish();
  } catch (...) {
    // Out of memory while completing: the metafile stays as it was.
  }
}

void TMetafileCanvas::Close() {
  if (!open_) return;
  open_ = false;
  Finish();
}

void TMetafileCanvas::Open(TMetafile* metafile) {
  Close();
  // Back to a new canvas's state, recording nothing while closed.
  Reset();
  metafile_ = metafile;
  open_ = true;
  records_.Bytes = std::move(metafile->data_);
  metafile->data_.clear();
  handles_.assign(1, 1);
  penHandle_ = brushHandle_ = fontHandle_ = 0;
  emittedPen_.reset();
  emittedBrush_.reset();
  emittedFont_.reset();
  textState_ = {};
  rop2_.reset();
  keptMetrics_.Forget();
  Begin();
}

void TMetafileCanvas::Finish() {
  records_.Complete(*metafile_, dpiX_, dpiY_, static_cast<std::uint16_t>(handles_.size()));
}

void TMetafileCanvas::TRecords::Complete(TMetafile& metafile, int dpiX, int dpiY, std::uint16_t handles) {
  {
    char* p = Add(emr::EOF_, 20);
    StoreWords(p, 0, 16, 20);  // no palette entries, where they would be, the record's size
  }
  const int width = metafile.width_, height = metafile.height_;
  const TRect frame{0, 0, MulDiv(width, 2540, dpiX), MulDiv(height, 2540, dpiY)};
  const int deviceW = dpiX == 96 ? kScreenWidth : std::max(1, width);
  const int deviceH = dpiY == 96 ? kScreenHeight : std::max(1, height);
  const long long micronsW = static_cast<long long>(deviceW) * 25400 / dpiX;
  const long long micronsH = static_cast<long long>(deviceH) * 25400 / dpiY;
  const auto in = [](long long v) { return static_cast<int>(v); };
  const TRect bounds = HasBounds ? Bounds : TRect{0, 0, -1, -1};
  // Into the room kept in front of the records. The handle count is the
  // low half of its word, the reserved half above it zero.
  char* h = Bytes.data();
  StoreWords(h, emr::HEADER, kHeaderSize, bounds.Left, bounds.Top, bounds.Right, bounds.Bottom, frame.Left,
             frame.Top, frame.Right, frame.Bottom, kSignature, 0x10000, Used, Count + 1, handles, 0,
             0,  // no description
             0,  // no palette
             in(deviceW), in(deviceH), in(micronsW / 1000), in(micronsH / 1000), 0,
             0,  // no pixel format
             0,  // no OpenGL
             in(micronsW), in(micronsH));
  Bytes.resize(Used);
  metafile.data_ = std::move(Bytes);
  Bytes.clear();
  metafile.mmWidth_ = frame.Right;
  metafile.mmHeight_ = frame.Bottom;
}

void TMetafileCanvas::TRecords::Include(const TRect& r) {
  if (!HasBounds) {
    Bounds = r;
    HasBounds = true;
    return;
  }
  Bounds.Left = std::min(Bounds.Left, r.Left);
  Bounds.Top = std::min(Bounds.Top, r.Top);
  Bounds.Right = std::max(Bounds.Right, r.Right);
  Bounds.Bottom = std::max(Bounds.Bottom, r.Bottom);
}

namespace {
int AllocateHandle(std::vector<unsigned char>& handles) {
  const auto free = std::find(handles.begin() + 1, handles.end(), 0);
  if (free != handles.end()) {
    *free = 1;
    return static_cast<int>(free - handles.begin());
  }
  handles.push_back(1);
  return static_cast<int>(handles.size() - 1);
}
}  // namespace

// Every object change is a select record and, for the object it replaces,
// a delete record that frees its handle for reuse.
void TMetafileCanvas::SelectObjectRecord(std::uint32_t handle) { WriteValue(emr::SELECTOBJECT, handle); }

void TMetafileCanvas::ReleaseObject(int handle) {
  if (handle == 0) return;
  WriteValue(emr::DELETEOBJECT, static_cast<std::uint32_t>(handle));
  handles_[static_cast<size_t>(handle)] = 0;
}

void TMetafileCanvas::SyncPen() {
  int rop = Rop2Code(Pen->Mode);
  if (rop2_ != rop) {
    Writer w(*this, emr::SETROP2);
    PutInt(w.Out(), rop);
    rop2_ = rop;
  }
  if (emittedPen_ && *emittedPen_ == *Pen) return;
  int old = penHandle_;
  if (Pen->Style == psClear || Pen->Color == clNone) {
    SelectObjectRecord(kStock | NULL_PEN);
    penHandle_ = 0;
  } else {
    penHandle_ = AllocateHandle(handles_);
    {
      Writer w(*this, emr::CREATEPEN);
      PutInt(w.Out(), penHandle_);
      Put32(w.Out(), PenStyleCode(Pen->Style));
      PutInt(w.Out(), std::max(0, Pen->Width));
      PutInt(w.Out(), 0);
      Put32(w.Out(), static_cast<std::uint32_t>(ColorToRGB(Pen->Color)));
    }
    SelectObjectRecord(static_cast<std::uint32_t>(penHandle_));
  }
  ReleaseObject(old);
  emittedPen_ = *Pen;
}

void TMetafileCanvas::SyncBrush() {
  if (emittedBrush_ && *emittedBrush_ == *Brush) return;
  int old = brushHandle_;
  if (Brush->Style == bsClear || Brush->Color == clNone) {
    SelectObjectRecord(kStock | NULL_BRUSH);
    brushHandle_ = 0;
  } else {
    brushHandle_ = AllocateHandle(handles_);
    {
      Writer w(*this, emr::CREATEBRUSHINDIRECT);
      PutInt(w.Out(), brushHandle_);
      bool solid = Brush->Style == bsSolid;
      Put32(w.Out(), solid ? 0 : 2);  // BS_SOLID or BS_HATCHED
      Put32(w.Out(), static_cast<std::uint32_t>(ColorToRGB(Brush->Color)));
      Put32(w.Out(), solid ? 0 : static_cast<std::uint32_t>(Brush->Style - bsHorizontal));
    }
    SelectObjectRecord(static_cast<std::uint32_t>(brushHandle_));
  }
  ReleaseObject(old);
  emittedBrush_ = *Brush;
}

// The canvas's members are read through references of their own where a
// text record is written: the sanitizer builds check the canvas's dynamic
// type at every touch of a member, and a page sets its font and writes its
// text piece by piece.
void TMetafileCanvas::SyncFont() {
  const TFont& font = *Font;
  std::optional<TFont>& emitted = emittedFont_;
  if (emitted && *emitted == font) return;
  TRecords& records = records_;
  const int old = fontHandle_;
  const int handle = AllocateHandle(handles_);
  fontHandle_ = handle;
  {
    // The handle and a LOGFONTW: five integers, eight bytes and a face of
    // 32 characters.
    char* p = records.Add(emr::EXTCREATEFONTINDIRECTW, 8 + 4 + 20 + 8 + 64);
    // Italic, underline, strike-out and charset; out and clip precision,
    // quality (zeros) and pitch: a byte each, lowest first.
    const auto flag = [&](TFontStyle style) { return (font.Style & style) ? 1u : 0u; };
    const unsigned pitch = font.Pitch == fpFixed ? 1 : font.Pitch == fpVariable ? 2 : 0;
    StoreWords(p, handle, font.Height(), 0 /* width */, font.Orientation.Value(), font.Orientation.Value(),
               (font.Style & fsBold) ? 700 : 400,
               flag(fsItalic) | flag(fsUnderline) << 8 | flag(fsStrikeOut) << 16 |
                   static_cast<unsigned>(static_cast<unsigned char>(font.Charset)) << 24,
               pitch << 24);
    // At most 31 characters and a terminating zero; the rest is zero too.
    std::array<char16_t, 32> face{};
    const size_t length = std::min<size_t>(font.Name.size(), 31);
    for (size_t i = 0; i < length; ++i) face[i] = cp1253::ToUnicode(static_cast<unsigned char>(font.Name[i]));
    StoreAll(p, std::u16string_view(face.data(), face.size()));
  }
  records.AddValue(emr::SELECTOBJECT, static_cast<std::uint32_t>(handle));
  ReleaseObject(old);
  emitted = font;
  keptMetrics_.Forget();
}

void TMetafileCanvas::SyncTextState(unsigned align) {
  SyncFont();
  const TFont& font = *Font;
  const TBrush& brush = *Brush;
  TTextState& state = textState_;
  TRecords& records = records_;
  if (state.Align != align) {
    records.AddValue(emr::SETTEXTALIGN, align);
    state.Align = align;
  }
  const TColor textColor = ColorToRGB(font.Color);
  if (state.Color != textColor) {
    records.AddValue(emr::SETTEXTCOLOR, static_cast<std::uint32_t>(textColor));
    state.Color = textColor;
  }
  // The background mode follows the brush, as on the screen.
  const unsigned mode = (brush.Style == bsClear || brush.Color == clNone) ? 1 : 2;
  if (state.BkMode != mode) {
    records.AddValue(emr::SETBKMODE, mode);
    state.BkMode = mode;
  }
  if (mode == 2) {
    const TColor bkColor = ColorToRGB(brush.Color);
    if (state.BkColor != bkColor) {
      records.AddValue(emr::SETBKCOLOR, static_cast<std::uint32_t>(bkColor));
      state.BkColor = bkColor;
    }
  }
}

void TMetafileCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                                 const int* dx) {
  const TFont& font = *Font;
  WideString& wide = wide_;
  wide.resize(text.size());
  // The symbol font's characters go in the private-use page, as the
  // system writes them; readers take the low byte back.
  if (IsSymbolFace(font.Name)) {
    for (size_t i = 0; i < text.size(); ++i)
      wide[i] = static_cast<char16_t>(0xF000 | static_cast<unsigned char>(text[i]));
  } else {
    gfx::ToWideInCodePage(gfx::CodePageOfCharset(font.Charset), text, wide);
  }
  if (dx != nullptr) {
    WriteText(x, y, options, rect, wide_, {dx, text.size()});
  } else {
    Advances(CharacterEnds(text));
    WriteText(x, y, options, rect, wide_, advances_);
  }
}

void TMetafileCanvas::ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                                  const int* dx) {
  if (dx != nullptr) {
    WriteText(x, y, options, rect, text, {dx, text.size()});
  } else {
    Advances(CharacterEndsW(text));
    WriteText(x, y, options, rect, text, advances_);
  }
}

void TMetafileCanvas::Advances(const std::vector<int>& ends) {
  advances_.resize(ends.size());
  for (size_t i = 0; i < ends.size(); ++i) advances_[i] = ends[i] - (i ? ends[i - 1] : 0);
}

const TTextMetric& TMetafileCanvas::FontMetrics() {
  const TFont& font = *Font;
  if (const TTextMetric* kept = keptMetrics_.Find(font)) return *kept;
  return keptMetrics_.Keep(font, GetTextMetrics());
}

const TTextMetric* TMetafileCanvas::TKeptMetrics::Find(const TFont& font) {
  // The font in force is the one selected, but for its resolution: SyncFont
  // forgets it whenever the font it selects changes.
  if (current_ >= 0 && kept_[static_cast<size_t>(current_)].Font.PixelsPerInch == font.PixelsPerInch)
    return &kept_[static_cast<size_t>(current_)].Metrics;
  // The colour aside, the font's fields the metrics come from.
  const auto sameFace = [](const TFont& a, const TFont& b) {
    return a.Height() == b.Height() && a.PixelsPerInch == b.PixelsPerInch && a.Style == b.Style &&
           a.Charset == b.Charset && a.Pitch == b.Pitch && a.Orientation == b.Orientation && a.Name == b.Name;
  };
  for (size_t i = 0; i < kept_.size(); ++i)
    if (sameFace(kept_[i].Font, font)) {
      current_ = static_cast<int>(i);
      return &kept_[i].Metrics;
    }
  return nullptr;
}

const TTextMetric& TMetafileCanvas::TKeptMetrics::Keep(const TFont& font, const TTextMetric& metrics) {
  constexpr size_t kKept = 8;
  if (kept_.size() < kKept) {
    kept_.reserve(kKept);
    kept_.push_back({font, metrics});
    current_ = static_cast<int>(kept_.size() - 1);
  } else {
    kept_[next_] = {font, metrics};
    current_ = static_cast<int>(next_);
    next_ = (next_ + 1) % kKept;
  }
  return kept_[static_cast<size_t>(current_)].Metrics;
}

void TMetafileCanvas::TRecords::AddValue(std::uint32_t type, std::uint32_t value) {
  char* p = Add(type, 12);
  StoreWords(p, value);
}

char* TMetafileCanvas::TRecords::Add(std::uint32_t type, std::size_t size) {
  const size_t start = Used;
  // A page's records take a few kilobytes: room for them is made once
  // rather than doubled from a few dozen bytes, and kept from page to page.
  if (Bytes.size() < start + size) Bytes.resize(std::max<size_t>({start + size, 2 * Bytes.size(), 4096}));
  Used = start + size;
  char* p = Bytes.data() + start;
  StoreWords(p, type, size);
  ++Count;
  return p;
}

// The advances are always recorded, so that a reader with other fonts
// places every character where ours did.
void TMetafileCanvas::WriteText(int x, int y, unsigned options, const TRect* logicalRect,
                                std::u16string_view wide, std::span<const int> advances) {
  const unsigned textAlign = DeviceTextAlign();
  SyncTextState(textAlign);
  const TPoint at = LPtoDP(TPoint{x, y});
  x = at.X, y = at.Y;
  const TRect mappedRect = logicalRect ? LPtoDP(*logicalRect) : TRect{};
  const TRect* rect = logicalRect ? &mappedRect : nullptr;
  long long sum = 0;
  for (int a : advances) sum += a;
  int width = static_cast<int>(std::clamp(sum, -(1LL << 30), 1LL << 30));
  const TTextMetric& tm = FontMetrics();
  int left = x;
  if ((textAlign & TA_CENTER) == TA_CENTER)
    left = x - width / 2;
  else if (textAlign & TA_RIGHT)
    left = x - width;
  int top = y;
  if ((textAlign & TA_BASELINE) == TA_BASELINE)
    top = y - tm.tmAscent;
  else if (textAlign & TA_BOTTOM)
    top = y - tm.tmHeight;
  TRect cell = Inclusive(left, top, left + std::max(1, width), top + tm.tmHeight);
  if (rect != nullptr && (options & ETO_CLIPPED))
    cell = Inclusive(rect->Left, rect->Top, rect->Right, rect->Bottom);
  TRecords& records = records_;
  records.Include(cell);

  // The record's size is known before it is written: it is written in
  // place, not grown field by field.
  const std::uint32_t stringAt = 76;
  const std::uint32_t dxAt = stringAt + static_cast<std::uint32_t>((wide.size() * 2 + 3) / 4 * 4);
  char* p = records.Add(emr::EXTTEXTOUTW, dxAt + 4 * advances.size());
  const TRect clip = rect != nullptr ? *rect : TRect{};
  StoreWords(p, cell.Left, cell.Top, cell.Right, cell.Bottom, 1 /* GM_COMPATIBLE */,
             std::bit_cast<std::uint32_t>(static_cast<float>(2540.0 / dpiX_)),
             std::bit_cast<std::uint32_t>(static_cast<float>(2540.0 / dpiY_)), x, y, wide.size(), stringAt,
             options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING), clip.Left, clip.Top, clip.Right,
             clip.Bottom, dxAt);
  StoreAll(p, wide);
  // The string is padded with zeros to four bytes.
  const size_t padding = dxAt - stringAt - wide.size() * 2;
  std::memset(p, 0, padding);
  p += padding;
  StoreAll(p, advances);
}

// Records hold device units: the mapping is applied here, as the screen
// canvases apply it, so a player draws what they draw.
void TMetafileCanvas::FillRect(const TRect& logical) {
  const TRect r = LPtoDP(logical);
  if (r.IsEmpty()) return;
  SyncBrush();
  // A pattern copy with the brush, as the system records FillRect: exact
  // at any scale, unlike a rectangle drawn without a pen.
  Include(Inclusive(r.Left, r.Top, r.Right, r.Bottom));
  Writer w(*this, emr::BITBLT);
  std::string& o = w.Out();
  PutRect(o, Inclusive(r.Left, r.Top, r.Right, r.Bottom));
  PutInt(o, r.Left);
  PutInt(o, r.Top);
  PutInt(o, r.Width());
  PutInt(o, r.Height());
  Put32(o, 0x00F00021);  // PATCOPY
  PutInt(o, 0);
  PutInt(o, 0);
  for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) PutFloat(o, f);  // source transform
  Put32(o, 0);                                                          // source background
  Put32(o, 0);                                                          // DIB_RGB_COLORS
  for (int i = 0; i < 4; ++i) Put32(o, 0);                              // no source bitmap
}

void TMetafileCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  MapCorners(x1, y1, x2, y2);
  SyncPen();
  SyncBrush();
  Include(Inclusive(x1, y1, x2, y2));
  Writer w(*this, emr::RECTANGLE);
  PutRect(w.Out(), {x1, y1, x2, y2});
}

void TMetafileCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  MapCorners(x1, y1, x2, y2);
  x3 = LengthToDeviceX(x3), y3 = LengthToDeviceY(y3);
  SyncPen();
  SyncBrush();
  Include(Inclusive(x1, y1, x2, y2));
  Writer w(*this, emr::ROUNDRECT);
  PutRect(w.Out(), {x1, y1, x2, y2});
  PutInt(w.Out(), x3);
  PutInt(w.Out(), y3);
}

void TMetafileCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  MapCorners(x1, y1, x2, y2);
  SyncPen();
  SyncBrush();
  Include(Inclusive(x1, y1, x2, y2));
  Writer w(*this, emr::ELLIPSE);
  PutRect(w.Out(), {x1, y1, x2, y2});
}

void TMetafileCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  MapCorners(x1, y1, x2, y2);
  MapCorners(x3, y3, x4, y4);
  if (FlipsX() != FlipsY()) std::swap(x3, x4), std::swap(y3, y4);  // a mirror turns the arc
  SyncPen();
  Include(Inclusive(x1, y1, x2, y2));
  Writer w(*this, emr::ARC);
  PutRect(w.Out(), {x1, y1, x2, y2});
  for (int v : {x3, y3, x4, y4}) PutInt(w.Out(), v);
}

namespace {
bool Fits16(const std::vector<TPoint>& points) {
  return std::all_of(points.begin(), points.end(),
                     [](TPoint p) { return p.X >= -32768 && p.X <= 32767 && p.Y >= -32768 && p.Y <= 32767; });
}
TRect PointBounds(const std::vector<TPoint>& points) {
  TRect b{points[0].X, points[0].Y, points[0].X, points[0].Y};
  for (TPoint p : points) {
    b.Left = std::min(b.Left, p.X);
    b.Top = std::min(b.Top, p.Y);
    b.Right = std::max(b.Right, p.X);
    b.Bottom = std::max(b.Bottom, p.Y);
  }
  return b;
}
}  // namespace

void TMetafileCanvas::WritePoints(std::uint32_t type16, std::uint32_t type32,
                                  const std::vector<TPoint>& points) {
  const TRect b = PointBounds(points);
  Include(b);
  const bool small = Fits16(points);
  Writer w(*this, small ? type16 : type32);
  PutRect(w.Out(), b);
  Put32(w.Out(), static_cast<std::uint32_t>(points.size()));
  for (TPoint p : points) {
    if (small) {
      Put16(w.Out(), static_cast<std::uint16_t>(p.X));
      Put16(w.Out(), static_cast<std::uint16_t>(p.Y));
    } else {
      PutInt(w.Out(), p.X);
      PutInt(w.Out(), p.Y);
    }
  }
}

void TMetafileCanvas::Polygon(const std::vector<TPoint>& logical) {
  if (logical.size() < 2) return;
  SyncPen();
  SyncBrush();
  WritePoints(emr::POLYGON16, emr::POLYGON, LPtoDP(logical));
}

void TMetafileCanvas::Polyline(const std::vector<TPoint>& logical) {
  if (logical.size() < 2) return;
  SyncPen();
  WritePoints(emr::POLYLINE16, emr::POLYLINE, LPtoDP(logical));
}

void TMetafileCanvas::DrawFocusRect(const TRect& r) {
  // An inverting dotted frame: a dotted white pen in the exclusive-or mode.
  TPen pen = *Pen;
  TBrush brush = *Brush;
  Pen->Style = psDot;
  Pen->Color = clWhite;
  Pen->Width = 1;
  Pen->Mode = pmXor;
  Brush->Style = bsClear;
  Rectangle(r.Left, r.Top, r.Right, r.Bottom);
  *Pen = pen;
  *Brush = brush;
}

void TMetafileCanvas::DrawPixels(const TRect& logical, const TPixelBlock& source, bool transparent,
                                 TColor key) {
  // A mirrored axis is written as a mirrored picture in device units.
  const TRect dest = LPtoDP(logical);
  TPixelBlock mirrored;
  if ((FlipsX() || FlipsY()) && source.Width > 0 && source.Height > 0) {
    mirrored = source;
    for (int y = 0; y < source.Height; ++y)
      for (int x = 0; x < source.Width; ++x)
        mirrored.Pixels[static_cast<size_t>(y) * source.Width + x] =
            source.At(FlipsX() ? source.Width - 1 - x : x, FlipsY() ? source.Height - 1 - y : y);
  }
  const TPixelBlock& pixels = mirrored.Width > 0 ? mirrored : source;
  if (pixels.Width <= 0 || pixels.Height <= 0 || dest.Width() == 0 || dest.Height() == 0) return;
  const std::uint32_t keyPixel = ColorToPixel(key);
  auto hidden = [&](std::uint32_t p) {
    return (p >> 24) < 0x80 || (transparent && (p & 0xFFFFFF) == keyPixel);
  };
  bool anyHidden = std::any_of(pixels.Pixels.begin(), pixels.Pixels.end(), hidden);
  auto emit = [&](const TPixelBlock& block, const TRect& to) {
    std::string info = gfx::EncodeDibInfo(block.Width, block.Height, 24);
    std::string bits = gfx::EncodeDibBits(block, 24);
    Include(Inclusive(to.Left, to.Top, to.Right, to.Bottom));
    Writer w(*this, emr::STRETCHDIBITS);
    std::string& o = w.Out();
    PutRect(o, Inclusive(to.Left, to.Top, to.Right, to.Bottom));
    PutInt(o, to.Left);
    PutInt(o, to.Top);
    PutInt(o, 0);
    PutInt(o, 0);
    PutInt(o, block.Width);
    PutInt(o, block.Height);
    Put32(o, 80);
    Put32(o, static_cast<std::uint32_t>(info.size()));
    Put32(o, static_cast<std::uint32_t>(80 + info.size()));
    Put32(o, static_cast<std::uint32_t>(bits.size()));
    Put32(o, 0);           // DIB_RGB_COLORS
    Put32(o, 0x00CC0020);  // SRCCOPY
    PutInt(o, to.Width());
    PutInt(o, to.Height());
    o += info;
    o += bits;
  };
  if (!anyHidden) {
    emit(pixels, dest);
    return;
  }
  // What shows through is left out: each visible run of a row becomes its
  // own small picture, stretched like the whole would be.
  auto column = [&](int c) {
    return dest.Left + static_cast<int>(static_cast<long long>(c) * dest.Width() / pixels.Width);
  };
  auto row = [&](int r) {
    return dest.Top + static_cast<int>(static_cast<long long>(r) * dest.Height() / pixels.Height);
  };
  for (int y = 0; y < pixels.Height; ++y) {
    int x = 0;
    while (x < pixels.Width) {
      while (x < pixels.Width && hidden(pixels.At(x, y))) ++x;
      int start = x;
      while (x < pixels.Width && !hidden(pixels.At(x, y))) ++x;
      if (x == start) continue;
      TPixelBlock run{x - start, 1, {}};
      for (int i = start; i < x; ++i) run.Pixels.push_back(pixels.At(i, y));
      TRect to{column(start), row(y), column(x), row(y + 1)};
      if (to.Width() != 0 && to.Height() != 0) emit(run, to);
    }
  }
}

int TMetafileCanvas::GetDeviceCaps(int index) const {
  switch (index) {
    case LOGPIXELSX:
      return dpiX_;
    case LOGPIXELSY:
      return dpiY_;
    case HORZRES:
    case PHYSICALWIDTH:
      return metafile_->width_;
    case VERTRES:
    case PHYSICALHEIGHT:
      return metafile_->height_;
    case BITSPIXEL:
      return 24;
    default:
      return 0;
  }
}

void TMetafileCanvas::ClipChanged() {
  if (!open_) return;
  const TRegion* region = ClipRegion();
  if (region == nullptr) {
    char* p = NewRecord(emr::EXTSELECTCLIPRGN, 16);
    StoreWords(p, 0, 5);  // RGN_COPY with no region: clipping removed
    return;
  }
  const auto data = static_cast<std::uint32_t>(32 + 16 * region->size());
  char* p = NewRecord(emr::EXTSELECTCLIPRGN, 16 + data);
  // RGN_COPY of an RGNDATAHEADER of RDH_RECTANGLES and the rectangles.
  const TRect box = ClipRect();
  StoreWords(p, data, 5, 32, 1, region->size(), 16 * region->size(), box.Left, box.Top, box.Right,
             box.Bottom);
  for (const TRect& r : *region) StoreWords(p, r.Left, r.Top, r.Right, r.Bottom);
}
