#pragma once
// Enhanced Metafiles: real EMF files that other programs read, written
// record by record by the metafile canvas and played onto any canvas by our
// own player, which skips records it does not know and refuses damaged ones.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/gfx/Graphics.h"

namespace emr {
constexpr std::uint32_t HEADER = 1, POLYBEZIER = 2, POLYGON = 3, POLYLINE = 4, POLYBEZIERTO = 5,
                        POLYLINETO = 6, SETWINDOWEXTEX = 9, SETWINDOWORGEX = 10, SETVIEWPORTEXTEX = 11,
                        SETVIEWPORTORGEX = 12, EOF_ = 14, SETMAPMODE = 17, SETBKMODE = 18,
                        SETPOLYFILLMODE = 19, SETROP2 = 20, SETTEXTALIGN = 22, SETTEXTCOLOR = 24,
                        SETBKCOLOR = 25, OFFSETCLIPRGN = 26, MOVETOEX = 27, EXCLUDECLIPRECT = 29,
                        INTERSECTCLIPRECT = 30, SCALEVIEWPORTEXTEX = 31, SCALEWINDOWEXTEX = 32, SAVEDC = 33,
                        RESTOREDC = 34, SETWORLDTRANSFORM = 35, MODIFYWORLDTRANSFORM = 36, SELECTOBJECT = 37,
                        CREATEPEN = 38, CREATEBRUSHINDIRECT = 39, DELETEOBJECT = 40, ELLIPSE = 42,
                        RECTANGLE = 43, ROUNDRECT = 44, ARC = 45, LINETO = 54, GDICOMMENT = 70,
                        EXTSELECTCLIPRGN = 75, BITBLT = 76, STRETCHBLT = 77, SETDIBITSTODEVICE = 80,
                        STRETCHDIBITS = 81, EXTCREATEFONTINDIRECTW = 82, EXTTEXTOUTA = 83, EXTTEXTOUTW = 84,
                        POLYBEZIER16 = 85, POLYGON16 = 86, POLYLINE16 = 87, POLYBEZIERTO16 = 88,
                        POLYLINETO16 = 89, POLYPOLYLINE16 = 90, POLYPOLYGON16 = 91, EXTCREATEPEN = 95;
}  // namespace emr

class TMetafile : public TGraphic {
 public:
  // The size in pixels of the device the metafile is drawn for (screen
  // pixels unless a reference device says otherwise); set before a
  // metafile canvas records on it.
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int width) { width_ = width; }
  void SetHeight(int height) { height_ = height; }
  // The picture's frame in 0.01 mm.
  int MMWidth() const { return mmWidth_; }
  int MMHeight() const { return mmHeight_; }
  bool Empty() const override { return data_.empty(); }
  void Clear();

  // The whole EMF file.
  const std::string& Data() const { return data_; }
  // Checks the header (EInvalidGraphic "Metafile is not valid").
  void SetData(std::string bytes);

  void Draw(TCanvas& canvas, const TRect& rect) override;
  // Exactly the header's byte count from the stream's position; a Windows
  // metafile is the rest of the stream, kept as its enhanced equivalent.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;

 private:
  friend class TMetafileCanvas;
  std::string data_;
  int width_ = 0, height_ = 0;
  int mmWidth_ = 0, mmHeight_ = 0;
};

// Records what is drawn into a metafile. Units are the pixels of the
// reference device (the screen at 96 dots per inch without one). The
// metafile is complete when the canvas is destroyed.
class TMetafileCanvas : public TCanvas {
 public:
  explicit TMetafileCanvas(TMetafile* metafile, const TCanvas* referenceDevice = nullptr);
  ~TMetafileCanvas() override;

  // Completes the metafile now, as destroying the canvas would; nothing is
  // drawn on the canvas until it opens another.
  void Close();
  // Records on Metafile from here as a new canvas for it would, with the
  // reference device it was made with. Metafile's old bytes are dropped
  // and their storage, like the canvas's own, serves the new records: one
  // canvas records page after page without making its storage anew.
  void Open(TMetafile* metafile);

  void ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                  const int* dx = nullptr) override;
  void ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                   const int* dx = nullptr) override;
  void FillRect(const TRect& rect) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  using TCanvas::Rectangle;
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  using TCanvas::Ellipse;
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Polyline(const std::vector<TPoint>& points) override;
  void DrawFocusRect(const TRect& rect) override;
  void DrawPixels(const TRect& dest, const TPixelBlock& pixels, bool transparent, TColor key) override;
  int GetDeviceCaps(int index) const override;

 protected:
  void ClipChanged() override;
  TSize SurfaceSize() const override { return {metafile_->width_, metafile_->height_}; }

 private:
  class Writer;
  void SelectObjectRecord(std::uint32_t handle);
  void ReleaseObject(int handle);
  void SyncPen();
  void SyncBrush();
  void SyncFont();
  // Align is the device's text alignment.
  void SyncTextState(unsigned align);
  // Into advances_.
  void Advances(const std::vector<int>& ends);
  void WriteText(int x, int y, unsigned options, const TRect* rect, std::u16string_view wide,
                 std::span<const int> advances);
  // The metrics of the font in force, kept while it stays.
  const TTextMetric& FontMetrics();
  char* NewRecord(std::uint32_t type, std::size_t size) { return records_.Add(type, size); }
  // A record of one 32-bit field.
  void WriteValue(std::uint32_t type, std::uint32_t value) { records_.AddValue(type, value); }
  void Include(const TRect& bounds) { records_.Include(bounds); }
  void MapCorners(int& x1, int& y1, int& x2, int& y2) const {
    const TPoint a = LPtoDP(TPoint{x1, y1}), b = LPtoDP(TPoint{x2, y2});
    x1 = a.X, y1 = a.Y, x2 = b.X, y2 = b.Y;
  }
  // A polygon or polyline record, in 16-bit points when they all fit.
  void WritePoints(std::uint32_t type16, std::uint32_t type32, const std::vector<TPoint>& points);
  void Finish();
  // The records' storage, the header's room and the stock objects, as a
  // new canvas starts.
  void Begin();

  TMetafile* metafile_;
  bool open_ = true;
  int dpiX_ = 96, dpiY_ = 96;
  // The records written so far and what they cover, and below the metrics
  // kept, apart from the canvas: the sanitizer builds check the dynamic
  // type of a class with virtual functions at every member touched, and a
  // page writes hundreds of records.
  struct TRecords {
    // The header's room and the records so far are the first Used bytes;
    // the rest is room for more.
    std::string Bytes;
    size_t Used = 0;
    std::uint32_t Count = 0;
    TRect Bounds{0, 0, -1, -1};
    bool HasBounds = false;
    // Appends a record of Size bytes (a multiple of four) and gives where
    // its fields start: the caller writes every byte of them, padding
    // too, as the room may hold an earlier page's records.
    char* Add(std::uint32_t type, std::size_t size);
    void AddValue(std::uint32_t type, std::uint32_t value);
    void Include(const TRect& bounds);
    // The end of file record and the header for a device of DpiX by DpiY
    // dots per inch, and the whole file handed to Metafile.
    void Complete(TMetafile& metafile, int dpiX, int dpiY, std::uint16_t handles);
  };
  TRecords records_;
  // The fields of a record written field by field.
  std::string fields_;
  // Handle slots in use; slot 0 is the metafile itself. Bytes rather than
  // bits: a page takes and frees one at every change of font.
  std::vector<unsigned char> handles_{1};
  int penHandle_ = 0, brushHandle_ = 0, fontHandle_ = 0;
  std::optional<TPen> emittedPen_;
  std::optional<TBrush> emittedBrush_;
  std::optional<TFont> emittedFont_;
  std::optional<unsigned> emittedAlign_, bkMode_;
  std::optional<TColor> textColor_, bkColor_;
  std::optional<int> rop2_;
  // Kept from one text record to the next: a page of text writes one for
  // every piece of it.
  WideString wide_;
  std::vector<int> advances_;
  // The metrics of the last few fonts selected, from page to page: rich
  // text goes back and forth between a handful of formats.
  class TKeptMetrics {
   public:
    // Those of Font, the font in force, when kept; null otherwise.
    const TTextMetric* Find(const TFont& font);
    const TTextMetric& Keep(const TFont& font, const TTextMetric& metrics);
    // The font in force changed: the next Find searches for it.
    void Forget() { current_ = -1; }

   private:
    struct Kept {
      TFont Font;
      TTextMetric Metrics;
    };
    std::vector<Kept> kept_;
    // The font in force, -1 until it is asked for.
    int current_ = -1;
    size_t next_ = 0;
  };
  TKeptMetrics keptMetrics_;
};

// Plays a metafile with its frame stretched into Dest. Records before a
// damaged one are drawn; the return value says whether the whole metafile
// was sound. Never raises.
bool PlayEnhMetafile(TCanvas& canvas, std::string_view emf, const TRect& dest);

// Calls Visit for every record (type and whole record) until it returns
// false; false when the metafile is damaged.
bool EnumEnhMetafile(std::string_view emf, const std::function<bool(std::uint32_t, std::string_view)>& visit);
// The text of a text-out record (EMR_EXTTEXTOUTA or W) in code page 1253;
// false for other or damaged records.
bool TextOfRecord(std::string_view record, AnsiString& text);
