// The metafile canvas: each drawing call becomes the EMF records that the
// graphics device interface itself would write, objects created and
// selected only when the font, pen or brush in force has changed.

#include "platform/gfx/Metafile.h"

#include <algorithm>
#include <bit>
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
// The same fields written into a record's storage, already sized for them:
// a field at a time on a little-endian machine, as the file stores them.
constexpr bool kLittle = std::endian::native == std::endian::little;
void Store16(char*& p, std::uint16_t v) {
  if constexpr (kLittle) {
    std::memcpy(p, &v, 2);
  } else {
    p[0] = static_cast<char>(v);
    p[1] = static_cast<char>(v >> 8);
  }
  p += 2;
}
void Store32(char*& p, std::uint32_t v) {
  if constexpr (kLittle) {
    std::memcpy(p, &v, 4);
  } else {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
  }
  p += 4;
}
// Runs of characters and advances, whole.
void StoreAll(char*& p, std::u16string_view wide) {
  if constexpr (kLittle) {
    if (!wide.empty()) std::memcpy(p, wide.data(), wide.size() * 2);
    p += wide.size() * 2;
  } else {
    for (char16_t c : wide) Store16(p, c);
  }
}
void StoreAll(char*& p, std::span<const int> values) {
  if constexpr (kLittle) {
    if (!values.empty()) std::memcpy(p, values.data(), values.size() * 4);
    p += values.size() * 4;
  } else {
    for (int v : values) Store32(p, static_cast<std::uint32_t>(v));
  }
}
void StoreRect(char*& p, const TRect& r) {
  for (int v : {r.Left, r.Top, r.Right, r.Bottom}) Store32(p, static_cast<std::uint32_t>(v));
}
void StoreFloat(char*& p, float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  Store32(p, v);
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
    char* p = canvas_.NewRecord(type_, 8 + (f.size() + 3) / 4 * 4);
    if (!f.empty()) std::memcpy(p, f.data(), f.size());
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
  if (records_.size() < kFirstRecords) records_.resize(kFirstRecords);
  std::memset(records_.data(), 0, kHeaderSize);
  used_ = kHeaderSize;
  recordCount_ = 0;
  // The stock objects go in first, so that a reader starts from a known
  // state whatever its defaults.
  for (std::uint32_t stock : {WHITE_BRUSH, BLACK_PEN, SYSTEM_FONT}) {
    SelectObjectRecord(kStock | stock);
  }
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
  records_ = std::move(metafile->data_);
  metafile->data_.clear();
  handles_.assign(1, 1);
  penHandle_ = brushHandle_ = fontHandle_ = 0;
  emittedPen_.reset();
  emittedBrush_.reset();
  emittedFont_.reset();
  emittedAlign_.reset();
  bkMode_.reset();
  textColor_.reset();
  bkColor_.reset();
  rop2_.reset();
  fontMetrics_ = -1;
  bounds_ = TRect{0, 0, -1, -1};
  hasBounds_ = false;
  Begin();
}

void TMetafileCanvas::Finish() {
  {
    char* p = NewRecord(emr::EOF_, 20);
    Store32(p, 0);   // nPalEntries
    Store32(p, 16);  // offPalEntries
    Store32(p, 20);  // nSizeLast
  }
  int width = metafile_->width_, height = metafile_->height_;
  TRect frame{0, 0, MulDiv(width, 2540, dpiX_), MulDiv(height, 2540, dpiY_)};
  int deviceW = dpiX_ == 96 ? kScreenWidth : std::max(1, width);
  int deviceH = dpiY_ == 96 ? kScreenHeight : std::max(1, height);
  long long micronsW = static_cast<long long>(deviceW) * 25400 / dpiX_;
  long long micronsH = static_cast<long long>(deviceH) * 25400 / dpiY_;
  const auto in = [](long long v) { return static_cast<std::uint32_t>(static_cast<int>(v)); };
  // Into the room kept in front of the records.
  char* h = records_.data();
  Store32(h, emr::HEADER);
  Store32(h, kHeaderSize);
  StoreRect(h, hasBounds_ ? bounds_ : TRect{0, 0, -1, -1});
  StoreRect(h, frame);
  Store32(h, kSignature);
  Store32(h, 0x10000);
  Store32(h, static_cast<std::uint32_t>(used_));
  Store32(h, recordCount_ + 1);
  Store16(h, static_cast<std::uint16_t>(handles_.size()));
  Store16(h, 0);
  Store32(h, 0);  // no description
  Store32(h, 0);
  Store32(h, 0);  // no palette
  Store32(h, in(deviceW));
  Store32(h, in(deviceH));
  Store32(h, in(micronsW / 1000));
  Store32(h, in(micronsH / 1000));
  Store32(h, 0);  // no pixel format
  Store32(h, 0);
  Store32(h, 0);  // no OpenGL
  Store32(h, in(micronsW));
  Store32(h, in(micronsH));
  records_.resize(used_);
  metafile_->data_ = std::move(records_);
  records_.clear();
  metafile_->mmWidth_ = frame.Right;
  metafile_->mmHeight_ = frame.Bottom;
}

void TMetafileCanvas::Include(const TRect& r) {
  if (!hasBounds_) {
    bounds_ = r;
    hasBounds_ = true;
    return;
  }
  bounds_.Left = std::min(bounds_.Left, r.Left);
  bounds_.Top = std::min(bounds_.Top, r.Top);
  bounds_.Right = std::max(bounds_.Right, r.Right);
  bounds_.Bottom = std::max(bounds_.Bottom, r.Bottom);
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

void TMetafileCanvas::SyncFont() {
  if (emittedFont_ && *emittedFont_ == *Font) return;
  int old = fontHandle_;
  fontHandle_ = AllocateHandle(handles_);
  {
    // The handle and a LOGFONTW: five integers, eight bytes and a face of
    // 32 characters.
    char* p = NewRecord(emr::EXTCREATEFONTINDIRECTW, 8 + 4 + 20 + 8 + 64);
    Store32(p, static_cast<std::uint32_t>(fontHandle_));
    Store32(p, static_cast<std::uint32_t>(Font->Height()));
    Store32(p, 0);  // width
    Store32(p, static_cast<std::uint32_t>(Font->Orientation));
    Store32(p, static_cast<std::uint32_t>(Font->Orientation));
    Store32(p, (Font->Style & fsBold) ? 700 : 400);
    *p++ = static_cast<char>((Font->Style & fsItalic) ? 1 : 0);
    *p++ = static_cast<char>((Font->Style & fsUnderline) ? 1 : 0);
    *p++ = static_cast<char>((Font->Style & fsStrikeOut) ? 1 : 0);
    *p++ = static_cast<char>(Font->Charset);
    p += 3;  // out and clip precision, quality
    *p++ = static_cast<char>(Font->Pitch == fpFixed ? 1 : Font->Pitch == fpVariable ? 2 : 0);
    // At most 31 characters and a terminating zero; the rest stays zero.
    const size_t length = std::min<size_t>(Font->Name.size(), 31);
    for (size_t i = 0; i < length; ++i)
      Store16(p, cp1253::ToUnicode(static_cast<unsigned char>(Font->Name[i])));
  }
  SelectObjectRecord(static_cast<std::uint32_t>(fontHandle_));
  ReleaseObject(old);
  emittedFont_ = *Font;
  fontMetrics_ = -1;
}

void TMetafileCanvas::SyncTextState() {
  SyncFont();
  const unsigned align = DeviceTextAlign();
  if (emittedAlign_ != align) {
    WriteValue(emr::SETTEXTALIGN, align);
    emittedAlign_ = align;
  }
  const TColor textColor = ColorToRGB(Font->Color);
  if (textColor_ != textColor) {
    WriteValue(emr::SETTEXTCOLOR, static_cast<std::uint32_t>(textColor));
    textColor_ = textColor;
  }
  // The background mode follows the brush, as on the screen.
  unsigned mode = (Brush->Style == bsClear || Brush->Color == clNone) ? 1 : 2;
  if (bkMode_ != mode) {
    WriteValue(emr::SETBKMODE, mode);
    bkMode_ = mode;
  }
  if (mode == 2 && bkColor_ != ColorToRGB(Brush->Color)) {
    WriteValue(emr::SETBKCOLOR, static_cast<std::uint32_t>(ColorToRGB(Brush->Color)));
    bkColor_ = ColorToRGB(Brush->Color);
  }
}

void TMetafileCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                                 const int* dx) {
  wide_.resize(text.size());
  // The symbol font's characters go in the private-use page, as the
  // system writes them; readers take the low byte back.
  if (IsSymbolFace(Font->Name)) {
    for (size_t i = 0; i < text.size(); ++i)
      wide_[i] = static_cast<char16_t>(0xF000 | static_cast<unsigned char>(text[i]));
  } else {
    gfx::ToWideInCodePage(gfx::CodePageOfCharset(Font->Charset), text, wide_);
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
  // SyncFont forgets which is in force whenever the font it selects
  // changes. The colour aside, the font's fields the metrics come from.
  const auto sameFace = [](const TFont& a, const TFont& b) {
    return a.Height() == b.Height() && a.PixelsPerInch == b.PixelsPerInch && a.Style == b.Style &&
           a.Charset == b.Charset && a.Pitch == b.Pitch && a.Orientation == b.Orientation && a.Name == b.Name;
  };
  // The font in force is the one selected, but for its resolution.
  if (fontMetrics_ >= 0 &&
      keptMetrics_[static_cast<size_t>(fontMetrics_)].Font.PixelsPerInch == Font->PixelsPerInch)
    return keptMetrics_[static_cast<size_t>(fontMetrics_)].Metrics;
  for (size_t i = 0; i < keptMetrics_.size(); ++i)
    if (sameFace(keptMetrics_[i].Font, *Font)) {
      fontMetrics_ = static_cast<int>(i);
      return keptMetrics_[i].Metrics;
    }
  constexpr size_t kKept = 8;
  KeptMetrics fresh{*Font, GetTextMetrics()};
  if (keptMetrics_.size() < kKept) {
    keptMetrics_.reserve(kKept);
    keptMetrics_.push_back(std::move(fresh));
    fontMetrics_ = static_cast<int>(keptMetrics_.size() - 1);
  } else {
    keptMetrics_[nextKept_] = std::move(fresh);
    fontMetrics_ = static_cast<int>(nextKept_);
    nextKept_ = (nextKept_ + 1) % kKept;
  }
  return keptMetrics_[static_cast<size_t>(fontMetrics_)].Metrics;
}

void TMetafileCanvas::WriteValue(std::uint32_t type, std::uint32_t value) {
  char* p = NewRecord(type, 12);
  Store32(p, value);
}

char* TMetafileCanvas::NewRecord(std::uint32_t type, std::size_t size) {
  const size_t start = used_;
  // A page's records take a few kilobytes: room for them is made once
  // rather than doubled from a few dozen bytes, and kept from page to page.
  if (records_.size() < start + size)
    records_.resize(std::max<size_t>({start + size, 2 * records_.size(), 4096}));
  used_ = start + size;
  char* p = records_.data() + start;
  // The room may hold an earlier page's records: the record starts as
  // zeros, whatever its fields leave alone.
  std::memset(p + 8, 0, size - 8);
  Store32(p, type);
  Store32(p, static_cast<std::uint32_t>(size));
  ++recordCount_;
  return p;
}

// The advances are always recorded, so that a reader with other fonts
// places every character where ours did.
void TMetafileCanvas::WriteText(int x, int y, unsigned options, const TRect* logicalRect,
                                std::u16string_view wide, std::span<const int> advances) {
  SyncTextState();
  const unsigned textAlign = DeviceTextAlign();
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
  Include(cell);

  // The record's size is known before it is written: it is written in
  // place, not grown field by field.
  const std::uint32_t stringAt = 76;
  const std::uint32_t dxAt = stringAt + static_cast<std::uint32_t>((wide.size() * 2 + 3) / 4 * 4);
  char* p = NewRecord(emr::EXTTEXTOUTW, dxAt + 4 * advances.size());
  StoreRect(p, cell);
  Store32(p, 1);  // GM_COMPATIBLE
  StoreFloat(p, static_cast<float>(2540.0 / dpiX_));
  StoreFloat(p, static_cast<float>(2540.0 / dpiY_));
  Store32(p, static_cast<std::uint32_t>(x));
  Store32(p, static_cast<std::uint32_t>(y));
  Store32(p, static_cast<std::uint32_t>(wide.size()));
  Store32(p, stringAt);
  Store32(p, options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING));
  StoreRect(p, rect != nullptr ? *rect : TRect{});
  Store32(p, dxAt);
  StoreAll(p, wide);
  // The padding after the string is the zeros the record was made of.
  p += dxAt - stringAt - wide.size() * 2;
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
    Store32(p, 0);
    Store32(p, 5);  // RGN_COPY with no region: clipping removed
    return;
  }
  const auto data = static_cast<std::uint32_t>(32 + 16 * region->size());
  char* p = NewRecord(emr::EXTSELECTCLIPRGN, 16 + data);
  Store32(p, data);
  Store32(p, 5);
  Store32(p, 32);  // RGNDATAHEADER
  Store32(p, 1);   // RDH_RECTANGLES
  Store32(p, static_cast<std::uint32_t>(region->size()));
  Store32(p, static_cast<std::uint32_t>(16 * region->size()));
  StoreRect(p, ClipRect());
  for (const TRect& r : *region) StoreRect(p, r);
}
