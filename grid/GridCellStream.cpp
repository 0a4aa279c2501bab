// The cell block: a rectangle of cells with their texts, properties and
// graphics as a sequence of component images, the payload of the grid's
// own clipboard format.
//
// Records, in order: one TGridPropIO (the rectangle), then per written
// cell a TGridCellIO, followed when the cell has properties by a
// TGridCellPropIO, followed when it has a graphic by a TGridGraphicIO and,
// for the kinds that carry an object, one picture record. Integers and
// booleans are always written, strings only when not empty; enumerations
// go as their ordinal.
//
// A block is read whole and checked before the grid changes, because it
// may come from another program's bytes on the clipboard.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

#include "grid/ExtGrid.h"
#include "grid/ExtObj.h"
#include "platform/gfx/Jpeg.h"
#include "platform/gfx/Metafile.h"
#include "platform/rtl/ClassesReader.h"

namespace {

constexpr int kMaxBlockRows = 1000000;
constexpr int kMaxBlockCols = 32767;

[[noreturn]] void BadBlock() { throw EReadError("Invalid stream format"); }

// ---- fields of the nested objects ---------------------------------------------------------------

// An integer, boolean or enumeration field with its accepted range.
template <typename T>
struct IntField {
  const char* Name;
  bool Boolean;
  Int64 Lo, Hi;
  int (*Get)(const T&);
  void (*Set)(T&, int);
};

constexpr Int64 kAnyInt = 0x7FFFFFFF;

const IntField<TCellProperties> kPropFields[] = {
    {"Alignment", false, 0, 2, [](const TCellProperties& p) { return static_cast<int>(p.Alignment); },
     [](TCellProperties& p, int v) { p.Alignment = static_cast<TAlignment>(v); }},
    {"BorderColor", false, -kAnyInt - 1, kAnyInt,
     [](const TCellProperties& p) { return static_cast<int>(p.BorderColor); },
     [](TCellProperties& p, int v) { p.BorderColor = static_cast<TColor>(v); }},
    {"BorderWidth", false, 0, 1000, [](const TCellProperties& p) { return p.BorderWidth; },
     [](TCellProperties& p, int v) { p.BorderWidth = v; }},
    {"BrushColor", false, -kAnyInt - 1, kAnyInt,
     [](const TCellProperties& p) { return static_cast<int>(p.BrushColor()); },
     [](TCellProperties& p, int v) { p.SetBrushColor(static_cast<TColor>(v)); }},
    {"BrushStyle", false, 0, bsDiagCross,
     [](const TCellProperties& p) { return static_cast<int>(p.BrushStyle); },
     [](TCellProperties& p, int v) { p.BrushStyle = static_cast<TBrushStyle>(v); }},
    {"CellSpanX", false, -1, kMaxBlockCols, [](const TCellProperties& p) { return p.CellSpanX; },
     [](TCellProperties& p, int v) { p.CellSpanX = v; }},
    {"CellSpanY", false, -1, kMaxBlockRows, [](const TCellProperties& p) { return p.CellSpanY; },
     [](TCellProperties& p, int v) { p.CellSpanY = v; }},
    {"Editor", false, 0, edUniComboList, [](const TCellProperties& p) { return static_cast<int>(p.Editor); },
     [](TCellProperties& p, int v) { p.Editor = static_cast<TEditorType>(v); }},
    {"FontColor", false, -kAnyInt - 1, kAnyInt,
     [](const TCellProperties& p) { return static_cast<int>(p.FontColor); },
     [](TCellProperties& p, int v) { p.FontColor = static_cast<TColor>(v); }},
    {"FontSize", false, -1000, 1000, [](const TCellProperties& p) { return p.FontSize; },
     [](TCellProperties& p, int v) { p.FontSize = v; }},
    {"FontStyle", false, 0, 15, [](const TCellProperties& p) { return static_cast<int>(p.FontStyle); },
     [](TCellProperties& p, int v) { p.FontStyle = static_cast<TFontStyles>(v); }},
    {"IsBaseCell", true, 0, 1, [](const TCellProperties& p) { return static_cast<int>(p.IsBaseCell); },
     [](TCellProperties& p, int v) { p.IsBaseCell = v != 0; }},
    {"NodeLevel", false, 0, 1000, [](const TCellProperties& p) { return p.NodeLevel; },
     [](TCellProperties& p, int v) { p.NodeLevel = v; }},
    {"ReadOnly", true, 0, 1, [](const TCellProperties& p) { return static_cast<int>(p.ReadOnly); },
     [](TCellProperties& p, int v) { p.ReadOnly = v != 0; }},
    {"VAlignment", false, 0, vtaBottom,
     [](const TCellProperties& p) { return static_cast<int>(p.VAlignment()); },
     [](TCellProperties& p, int v) { p.SetVAlignment(static_cast<TVAlignment>(v)); }},
    {"WordWrap", true, 0, 1, [](const TCellProperties& p) { return static_cast<int>(p.WordWrap()); },
     [](TCellProperties& p, int v) { p.SetWordWrap(v != 0); }},
};

const IntField<TCellGraphic> kGraphicFields[] = {
    {"CellType", false, 0, ctProgressPie, [](const TCellGraphic& g) { return static_cast<int>(g.CellType); },
     [](TCellGraphic& g, int v) { g.CellType = static_cast<TCellType>(v); }},
    {"CellVAlign", false, 0, vaFull, [](const TCellGraphic& g) { return static_cast<int>(g.CellVAlign); },
     [](TCellGraphic& g, int v) { g.CellVAlign = static_cast<TCellVAlign>(v); }},
    {"CellHAlign", false, 0, haFull, [](const TCellGraphic& g) { return static_cast<int>(g.CellHAlign); },
     [](TCellGraphic& g, int v) { g.CellHAlign = static_cast<TCellHAlign>(v); }},
    {"CellIndex", false, -kAnyInt - 1, kAnyInt, [](const TCellGraphic& g) { return g.CellIndex; },
     [](TCellGraphic& g, int v) { g.CellIndex = v; }},
    {"CellTransparent", true, 0, 1, [](const TCellGraphic& g) { return static_cast<int>(g.CellTransparent); },
     [](TCellGraphic& g, int v) { g.CellTransparent = v != 0; }},
    {"CellCreated", true, 0, 1, [](const TCellGraphic& g) { return static_cast<int>(g.CellCreated); },
     [](TCellGraphic& g, int v) { g.CellCreated = v != 0; }},
    {"CellBoolean", true, 0, 1, [](const TCellGraphic& g) { return static_cast<int>(g.CellBoolean); },
     [](TCellGraphic& g, int v) { g.CellBoolean = v != 0; }},
    {"CellAngle", false, -kAnyInt - 1, kAnyInt, [](const TCellGraphic& g) { return g.CellAngle; },
     [](TCellGraphic& g, int v) { g.CellAngle = v; }},
    {"CellErrFrom", false, -32768, 32767,
     [](const TCellGraphic& g) { return static_cast<int>(g.CellErrFrom); },
     [](TCellGraphic& g, int v) { g.CellErrFrom = static_cast<SmallInt>(v); }},
    {"CellErrLen", false, -32768, 32767, [](const TCellGraphic& g) { return static_cast<int>(g.CellErrLen); },
     [](TCellGraphic& g, int v) { g.CellErrLen = static_cast<SmallInt>(v); }},
};

template <typename T, size_t N>
void WriteFields(TComponentWriter& w, const AnsiString& prefix, const IntField<T> (&fields)[N],
                 const T& obj) {
  for (const IntField<T>& f : fields) {
    if (f.Boolean)
      w.WriteBoolean(prefix + f.Name, f.Get(obj) != 0);
    else
      w.WriteInteger(prefix + f.Name, f.Get(obj));
  }
}

// Sets the field of that name; false when it is none of them.
template <typename T, size_t N>
bool ReadField(const IntField<T> (&fields)[N], const AnsiString& name, const TStreamValue& v, T& obj) {
  for (const IntField<T>& f : fields) {
    if (name != f.Name) continue;
    if ((f.Boolean ? !v.IsBoolean() : !v.IsInteger()) || v.Int < f.Lo || v.Int > f.Hi) BadBlock();
    f.Set(obj, static_cast<int>(v.Int));
    return true;
  }
  return false;
}

// ---- records ------------------------------------------------------------------------------------

TComponentImage ReadRecord(TStream& stream, const char* className) {
  TComponentImage image = ReadComponentImage(stream);
  if (image.ClassName != className || !image.Name.empty()) BadBlock();
  return image;
}

int IntOf(const TStreamValue& v, Int64 lo, Int64 hi) {
  if (!v.IsInteger() || v.Int < lo || v.Int > hi) BadBlock();
  return static_cast<int>(v.Int);
}
bool BoolOf(const TStreamValue& v) {
  if (!v.IsBoolean()) BadBlock();
  return v.Int != 0;
}
const AnsiString& StrOf(const TStreamValue& v) {
  if (!v.IsString()) BadBlock();
  return v.Str;
}

std::vector<int> IntListOf(const AnsiString& text, Int64 lo, Int64 hi) {
  std::vector<int> out;
  if (text.empty()) return out;
  size_t pos = 0;
  while (true) {
    const size_t comma = text.find(',', pos);
    Int64 v = 0;
    try {
      v = StrToInt64(text.substr(pos, comma == AnsiString::npos ? AnsiString::npos : comma - pos));
    } catch (const EConvertError&) {
      BadBlock();
    }
    if (v < lo || v > hi) BadBlock();
    out.push_back(static_cast<int>(v));
    if (comma == AnsiString::npos) break;
    pos = comma + 1;
  }
  return out;
}

// A graphic's bytes as the class library streams a TBitmap (size first)
// and the other graphics (the file itself).
std::string GraphicBytes(const TGraphic& g) {
  TMemoryStream m;
  g.SaveToStream(m);
  std::string bytes(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
  if (dynamic_cast<const TBitmap*>(&g)) {
    const auto n = static_cast<std::uint32_t>(bytes.size());
    std::string sized(4, '\0');
    for (int i = 0; i < 4; ++i) sized[static_cast<size_t>(i)] = static_cast<char>(n >> (8 * i));
    bytes = sized + bytes;
  }
  return bytes;
}

template <typename G>
std::unique_ptr<G> GraphicFromBytes(std::string_view bytes) {
  if constexpr (std::is_same_v<G, TBitmap>) {
    if (bytes.size() < 4) BadBlock();
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
    if (n != bytes.size() - 4) BadBlock();
    bytes.remove_prefix(4);
  }
  auto g = std::make_unique<G>();
  if (bytes.empty()) return g;
  try {
    TStringStream s{AnsiString(bytes)};
    g->LoadFromStream(s);
  } catch (const std::exception&) {
    BadBlock();
  }
  return g;
}

const char* GraphicClassName(const TGraphic* g) {
  if (dynamic_cast<const TBitmap*>(g)) return "TBitmap";
  if (dynamic_cast<const TIcon*>(g)) return "TIcon";
  if (dynamic_cast<const TJPEGImage*>(g)) return "TJPEGImage";
  if (dynamic_cast<const TMetafile*>(g)) return "TMetafile";
  return "";
}

// The picture record's class and property for a graphic kind; null for the
// kinds that carry no object.
struct PictureRecord {
  const char* ClassName;
  const char* Property;
};
const PictureRecord* PictureRecordOf(TCellType type) {
  static const PictureRecord bmp{"TGridBMPIO", "Bitmap.Data"}, icon{"TGridIconIO", "Icon.Data"},
      strings{"TGridSLIO", "Strings.Strings"}, pic{"TGridPicIO", "Picture.Data"},
      file{"TGridFilePicIO", "Picture."};
  switch (type) {
    case ctBitmap:
    case ctBitButton:
      return &bmp;
    case ctIcon:
      return &icon;
    case ctRadio:
    case ctImages:
      return &strings;
    case ctPicture:
      return &pic;
    case ctFilePicture:
      return &file;
    default:
      return nullptr;
  }
}

// Whether a cell's graphic travels: its kind's object was made by the grid
// (or the kind has none). The shared virtual check box stays behind.
bool GraphicTravels(const TCellGraphic& g) {
  switch (g.CellType) {
    case ctEmpty:
    case ctVirtCheckBox:
      return false;
    case ctBitmap:
    case ctBitButton:
      return g.CellCreated && g.CellBitmap;
    case ctIcon:
      return g.CellCreated && g.CellIcon;
    case ctPicture:
      return g.CellCreated && g.CellPicture;
    case ctRadio:
      return g.CellCreated && dynamic_cast<TCellStrings*>(g.CellObject1);
    case ctImages:
      return dynamic_cast<TCellIntList*>(g.CellObject1) != nullptr;
    case ctFilePicture:
      return g.CellCreated && dynamic_cast<TFilePicture*>(g.CellObject1);
    default:
      return true;
  }
}

void WritePicture(TStream& stream, const TCellGraphic& g) {
  const PictureRecord* rec = PictureRecordOf(g.CellType);
  if (!rec) return;
  TComponentWriter w(stream, rec->ClassName);
  switch (g.CellType) {
    case ctBitmap:
    case ctBitButton:
      w.WriteBinary(rec->Property, GraphicBytes(*g.CellBitmap));
      break;
    case ctIcon:
      w.WriteBinary(rec->Property, GraphicBytes(*g.CellIcon));
      break;
    case ctRadio: {
      const TStringList& list = static_cast<TCellStrings*>(g.CellObject1)->List;
      std::vector<AnsiString> items;
      for (int i = 0; i < list.Count(); ++i) items.push_back(list.Get(i));
      w.WriteStrings(rec->Property, items);
      break;
    }
    case ctImages: {
      std::vector<AnsiString> items;
      for (int v : static_cast<TCellIntList*>(g.CellObject1)->List) items.push_back(IntToStr(v));
      w.WriteStrings(rec->Property, items);
      break;
    }
    case ctPicture: {
      const TGraphic* graphic = g.CellPicture->Graphic();
      const AnsiString cls = GraphicClassName(graphic);
      AnsiString data(1, static_cast<char>(cls.size()));
      data += cls;
      if (!cls.empty()) data += GraphicBytes(*graphic);
      w.WriteBinary(rec->Property, data);
      break;
    }
    case ctFilePicture: {
      // The picture goes by reference, as it is kept: name and size.
      const auto& file = static_cast<const TFilePicture&>(*g.CellObject1);
      if (!file.Filename().empty()) w.WriteString("Picture.Filename", file.Filename());
      w.WriteInteger("Picture.Width", file.Width);
      w.WriteInteger("Picture.Height", file.Height);
      break;
    }
    default:
      break;
  }
  w.End();
}

// A file picture's reference from a block. The name is kept without reading
// the file, so a picture whose file went away still pastes (and draws
// nothing, as it would have in place); a name that is there but is no plain
// file (a device, a pipe) is refused, since every paint would read it.
TFilePicture* FilePictureOf(const TComponentImage& image) {
  AnsiString name;
  int width = 0, height = 0;
  for (const auto& [property, v] : image.Properties) {
    if (property == "Picture.Filename")
      name = StrOf(v);
    else if (property == "Picture.Width")
      width = IntOf(v, 0, kAnyInt);
    else if (property == "Picture.Height")
      height = IntOf(v, 0, kAnyInt);
    else
      BadBlock();
  }
  std::error_code error;
  const auto status = std::filesystem::status(std::filesystem::path(name.c_str()), error);
  if (!name.empty() && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    BadBlock();
  auto file = std::make_unique<TFilePicture>();
  file->Restore(name, width, height);
  return file.release();
}

// Reads the picture record of G's kind and attaches the object it makes.
void ReadPicture(TStream& stream, TCellGraphic& g) {
  const PictureRecord* rec = PictureRecordOf(g.CellType);
  if (!rec) return;
  const TComponentImage image = ReadRecord(stream, rec->ClassName);
  if (g.CellType == ctFilePicture) {
    g.CellObject1 = FilePictureOf(image);
    g.CellCreated = true;
    return;
  }
  const TStreamValue* value = nullptr;
  for (const auto& [name, v] : image.Properties) {
    if (name != rec->Property) BadBlock();
    value = &v;
  }
  const bool list = g.CellType == ctRadio || g.CellType == ctImages;
  if (value && (list ? value->Type != vaList : value->Type != vaBinary)) BadBlock();
  static const TStreamValue none;
  const TStreamValue& v = value ? *value : none;
  g.CellCreated = true;
  switch (g.CellType) {
    case ctBitmap:
    case ctBitButton:
      g.CellBitmap = GraphicFromBytes<TBitmap>(v.Str).release();
      break;
    case ctIcon:
      g.CellIcon = GraphicFromBytes<TIcon>(v.Str).release();
      break;
    case ctRadio: {
      auto strings = std::make_unique<TCellStrings>();
      for (const AnsiString& s : v.List) strings->List.Add(s);
      g.CellObject1 = strings.release();
      break;
    }
    case ctImages: {
      auto ints = std::make_unique<TCellIntList>();
      for (const AnsiString& s : v.List) {
        const std::vector<int> one = IntListOf(s, -kAnyInt - 1, kAnyInt);
        if (one.size() != 1) BadBlock();
        ints->List.push_back(one[0]);
      }
      g.CellObject1 = ints.release();
      break;
    }
    case ctPicture: {
      auto picture = std::make_unique<TPicture>();
      std::string_view data = v.Str;
      if (!data.empty()) {
        const size_t len = static_cast<unsigned char>(data[0]);
        if (data.size() < 1 + len) BadBlock();
        const AnsiString cls(data.substr(1, len));
        data.remove_prefix(1 + len);
        if (cls == "TBitmap")
          picture->SetGraphic(GraphicFromBytes<TBitmap>(data));
        else if (cls == "TIcon")
          picture->SetGraphic(GraphicFromBytes<TIcon>(data));
        else if (cls == "TJPEGImage")
          picture->SetGraphic(GraphicFromBytes<TJPEGImage>(data));
        else if (cls == "TMetafile")
          picture->SetGraphic(GraphicFromBytes<TMetafile>(data));
        else if (!cls.empty() || !data.empty())
          BadBlock();
      }
      g.CellPicture = picture.release();
      break;
    }
    default:
      break;
  }
}

// One cell of a block read, owning what it carries until it lands.
struct BlockCell {
  int Col = 0, Row = 0;
  AnsiString Text;
  std::unique_ptr<TCellProperties> Props;
  std::unique_ptr<TCellGraphic> Graphic;
};

// The rest of the stream is padding (a clipboard block may be rounded up).
bool OnlyZerosLeft(TStream& stream) {
  const Int64 pos = stream.Position();
  char buf[256];
  bool zeros = true;
  for (int n; zeros && (n = stream.Read(buf, sizeof buf)) > 0;)
    zeros = std::all_of(buf, buf + n, [](char c) { return c == 0; });
  stream.SetPosition(pos);
  return zeros;
}

}  // namespace

// ---- the grid ------------------------------------------------------------------------------------

int TExtStringGrid::GridID() {
  static int lastId = 0;
  if (gridId_ == 0) gridId_ = ++lastId;
  return gridId_;
}

AnsiString TExtStringGrid::BlockWriter() {
  // Drawn again in a forked child: it is another process.
  static pid_t drawnIn = 0;
  static AnsiString writer;
  if (drawnIn != getpid()) {
    drawnIn = getpid();
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) host[0] = 0;
    std::random_device random;
    const std::uint64_t nonce = (static_cast<std::uint64_t>(random()) << 32) ^ random();
    char number[17];
    std::snprintf(number, sizeof number, "%016llx", static_cast<unsigned long long>(nonce));
    writer = AnsiString(host) + ":" + IntToStr(static_cast<int>(drawnIn)) + ":" + number;
  }
  return writer;
}

void TExtStringGrid::SaveCellBlock(const TGridRect& R, TStream& Stream) { SaveCellBlockOf(R, Stream, false); }

void TExtStringGrid::SaveCellBlockOf(const TGridRect& R, TStream& Stream, bool SkipUnselected) {
  const bool disjunctRows = mouseActions_->DisjunctRowSelect(),
             disjunctCols = mouseActions_->DisjunctColSelect();
  // A disjunct copy's block holds what its text holds: the rows and
  // columns kept, side by side.
  std::vector<int> cols, rows;
  for (int c = R.Left; c <= R.Right; ++c)
    if (!(disjunctCols && SkipUnselected && !ColSelect(c))) cols.push_back(c);
  for (int r = R.Top; r <= R.Bottom; ++r)
    if (!(disjunctRows && SkipUnselected && !disjunctCols && !RowSelect(r))) rows.push_back(r);
  const bool filtered = cols.size() != static_cast<size_t>(R.Right - R.Left + 1) ||
                        rows.size() != static_cast<size_t>(R.Bottom - R.Top + 1);
  AnsiString widths, heights;
  auto join = [](AnsiString& list, int value) {
    if (!list.empty()) list += ',';
    list += IntToStr(value);
  };
  for (int c : cols) join(widths, ColWidths(c));
  for (int r : rows) join(heights, RowHeights(r));
  {
    TComponentWriter w(Stream, "TGridPropIO");
    w.WriteInteger("ColCount", static_cast<int>(cols.size()));
    w.WriteInteger("RowCount", static_cast<int>(rows.size()));
    if (!widths.empty()) w.WriteString("ColWidths", widths);
    if (!heights.empty()) w.WriteString("RowHeights", heights);
    w.WriteBoolean("FullGrid", !filtered && R.Left == 0 && R.Top == 0 && R.Right == ColCount() - 1 &&
                                   R.Bottom == RowCount() - 1);
    w.WriteInteger("ID", GridID());
    w.WriteInteger("Left", R.Left);
    w.WriteInteger("Top", R.Top);
    w.WriteString("Writer", BlockWriter());
    w.End();
  }
  for (size_t i = 0; i < cols.size(); ++i) {
    const int realCol = RealColIndex(cols[i]);
    for (size_t j = 0; j < rows.size(); ++j) {
      const int r = rows[j];
      const AnsiString text = GetCellText(realCol, r);
      const TCellProperties* props = FindCellProperties(realCol, r);
      if (text.empty() && !props) continue;
      {
        TComponentWriter w(Stream, "TGridCellIO");
        w.WriteInteger("Col", R.Left + static_cast<int>(i));
        w.WriteInteger("Row", R.Top + static_cast<int>(j));
        if (!text.empty()) w.WriteString("Cell", text);
        w.WriteBoolean("HasProp", props != nullptr);
        w.End();
      }
      if (!props) continue;
      const TCellGraphic* graphic = GetCellGraphic(realCol, r);
      const bool hasGraphic = graphic && GraphicTravels(*graphic);
      {
        TComponentWriter w(Stream, "TGridCellPropIO");
        WriteFields(w, "CellProperties.", kPropFields, *props);
        if (!props->FontName.empty()) w.WriteString("CellProperties.FontName", props->FontName);
        w.WriteBoolean("HasGraphic", hasGraphic);
        w.End();
      }
      if (!hasGraphic) continue;
      {
        TComponentWriter w(Stream, "TGridGraphicIO");
        WriteFields(w, "CellGraphic.", kGraphicFields, *graphic);
        w.WriteFloat("CellGraphic.CellValue", graphic->CellValue);
        if (!graphic->CellText.empty()) w.WriteString("CellGraphic.CellText", graphic->CellText);
        w.End();
      }
      WritePicture(Stream, *graphic);
    }
  }
}

TExtStringGrid::TCellBlockHeader TExtStringGrid::LoadCellBlock(TPoint Target, TStream& Stream) {
  // Everything is read and checked first.
  TCellBlockHeader head;
  std::vector<int> widths, heights;
  {
    const TComponentImage image = ReadRecord(Stream, "TGridPropIO");
    for (const auto& [name, v] : image.Properties) {
      if (name == "ColCount")
        head.ColCount = IntOf(v, 0, kMaxBlockCols);
      else if (name == "RowCount")
        head.RowCount = IntOf(v, 0, kMaxBlockRows);
      else if (name == "ColWidths")
        widths = IntListOf(StrOf(v), 0, 100000);
      else if (name == "RowHeights")
        heights = IntListOf(StrOf(v), 0, 100000);
      else if (name == "FullGrid")
        head.FullGrid = BoolOf(v);
      else if (name == "ID")
        head.ID = IntOf(v, -kAnyInt - 1, kAnyInt);
      else if (name == "Left")
        head.Left = IntOf(v, 0, kMaxBlockCols);
      else if (name == "Top")
        head.Top = IntOf(v, 0, kMaxBlockRows);
      else if (name == "Writer")
        head.Writer = StrOf(v);
      else
        BadBlock();
    }
    if (widths.size() > static_cast<size_t>(head.ColCount) ||
        heights.size() > static_cast<size_t>(head.RowCount))
      BadBlock();
    if (head.FullGrid && (head.Left != 0 || head.Top != 0)) BadBlock();
  }
  std::vector<BlockCell> cells;
  while (Stream.Position() < Stream.Size() - 1 && !OnlyZerosLeft(Stream)) {
    BlockCell cell;
    bool hasProp = false;
    for (const auto& [name, v] : ReadRecord(Stream, "TGridCellIO").Properties) {
      if (name == "Col")
        cell.Col = IntOf(v, head.Left, static_cast<Int64>(head.Left) + head.ColCount - 1);
      else if (name == "Row")
        cell.Row = IntOf(v, head.Top, static_cast<Int64>(head.Top) + head.RowCount - 1);
      else if (name == "Cell")
        cell.Text = StrOf(v);
      else if (name == "HasProp")
        hasProp = BoolOf(v);
      else
        BadBlock();
    }
    if (cell.Col < head.Left || cell.Col > head.Left + head.ColCount - 1 || cell.Row < head.Top ||
        cell.Row > head.Top + head.RowCount - 1)
      BadBlock();
    if (hasProp) {
      cell.Props = std::make_unique<TCellProperties>(nullptr, 0, 0);
      bool hasGraphic = false;
      for (const auto& [name, v] : ReadRecord(Stream, "TGridCellPropIO").Properties) {
        if (name == "HasGraphic")
          hasGraphic = BoolOf(v);
        else if (name == "CellProperties.FontName")
          cell.Props->FontName = StrOf(v);
        else if (name.rfind("CellProperties.", 0) != 0 ||
                 !ReadField(kPropFields, name.substr(15), v, *cell.Props))
          BadBlock();
      }
      // A merged area stays inside the block: its base cell lands where a
      // cell of the block does.
      const TCellProperties& p = *cell.Props;
      if (p.IsBaseCell ? p.CellSpanX > head.Left + head.ColCount - 1 - cell.Col ||
                             p.CellSpanY > head.Top + head.RowCount - 1 - cell.Row
                       : p.CellSpanX < 0 || p.CellSpanY < 0 || p.CellSpanX > cell.Col - head.Left ||
                             p.CellSpanY > cell.Row - head.Top)
        BadBlock();
      if (hasGraphic) {
        cell.Graphic = std::make_unique<TCellGraphic>();
        TCellGraphic& g = *cell.Graphic;
        for (const auto& [name, v] : ReadRecord(Stream, "TGridGraphicIO").Properties) {
          if (name == "CellGraphic.CellValue") {
            if (v.Type != vaExtended) BadBlock();
            g.CellValue = static_cast<double>(v.Float);
          } else if (name == "CellGraphic.CellText") {
            g.CellText = StrOf(v);
          } else if (name.rfind("CellGraphic.", 0) != 0 ||
                     !ReadField(kGraphicFields, name.substr(12), v, g)) {
            BadBlock();
          }
        }
        // The kind a block never carries: it would lack its object.
        if (g.CellType == ctVirtCheckBox) BadBlock();
        ReadPicture(Stream, g);
      }
    }
    cells.push_back(std::move(cell));
  }

  // Then the grid changes.
  BeginUpdate();
  const int baseCol = head.FullGrid ? 0 : head.Left, baseRow = head.FullGrid ? 0 : head.Top;
  if (head.FullGrid) {
    Target = TPoint{0, 0};
    ClearAllCells();
    SetRowCount(std::max(head.RowCount, FixedRows() + 1));
    SetColCount(std::max(head.ColCount, FixedCols() + 1));
    for (size_t i = 0; i < widths.size(); ++i) SetColWidths(static_cast<int>(i), widths[i]);
    for (size_t j = 0; j < heights.size(); ++j) SetRowHeights(static_cast<int>(j), heights[j]);
  } else {
    if (Target.X + head.ColCount > ColCount() && navigation_->AllowClipboardColGrow)
      SetColCount(Target.X + head.ColCount);
    if (Target.Y + head.RowCount > RowCount() && navigation_->AllowClipboardRowGrow)
      SetRowCount(Target.Y + head.RowCount);
  }
  for (BlockCell& cell : cells) {
    const int c = cell.Col - baseCol + Target.X, r = cell.Row - baseRow + Target.Y;
    if (c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) continue;
    const int realCol = RealColIndex(c);
    SetCellText(realCol, r, cell.Text);
    if (!cell.Props) continue;
    cell.Props->OwnerCol = realCol;
    cell.Props->OwnerRow = r;
    GetCellProperties(realCol, r)->Assign(*cell.Props);
    if (!cell.Graphic) continue;
    RemoveCellGraphic(realCol, r);
    if (cell.Graphic->CellType == ctNode) ++nodeCount_;
    SetGraphicObject(realCol, r, cell.Graphic.release());
  }
  EndUpdate();
  return head;
}
