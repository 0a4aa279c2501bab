// Component images in the class library's binary format.

#include "platform/rtl/ClassesReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

[[noreturn]] void BadImage() { throw EReadError("Invalid stream format"); }

// Reads with the bytes left in view, so that no length read from the
// stream makes a larger allocation than the stream could fill.
class ImageReader {
 public:
  explicit ImageReader(TStream& s) : stream_(s), left_(s.Size() - s.Position()) {}
  void Bytes(void* to, Int64 count) {
    if (count < 0 || count > left_) BadImage();
    stream_.ReadBuffer(to, static_cast<int>(count));
    left_ -= count;
  }
  unsigned char Byte_() {
    unsigned char b = 0;
    Bytes(&b, 1);
    return b;
  }
  Int64 Int(int bytes) {
    unsigned char b[8] = {};
    Bytes(b, bytes);
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[i];
    // Sign extension from the top bit of the last byte.
    if (bytes < 8 && (b[bytes - 1] & 0x80)) v |= ~std::uint64_t{0} << (8 * bytes);
    return static_cast<Int64>(v);
  }
  AnsiString Str(Int64 len) {
    AnsiString s;
    if (len < 0 || len > left_) BadImage();
    s.resize(static_cast<size_t>(len));
    Bytes(s.data(), len);
    return s;
  }
  AnsiString Name() { return Str(Byte_()); }
  // The class, the name and the properties of one image.
  TComponentImage Image() {
    TComponentImage image;
    image.ClassName = Name();
    image.Name = Name();
    for (AnsiString prop = Name(); !prop.empty(); prop = Name())
      image.Properties.emplace_back(prop, Value(false));
    return image;
  }
  TComponentImage Tree(int depthLeft) {
    if (depthLeft < 0) BadImage();
    TComponentImage image = Image();
    for (;;) {
      const unsigned char next = Byte_();
      if (next == vaNull) break;
      // The first byte of a child's class name: put it back.
      stream_.Seek(-1, soFromCurrent);
      ++left_;
      image.Children.push_back(Tree(depthLeft - 1));
    }
    return image;
  }
  // A tree's values: lists of numbers, collections, dates and currency.
  bool numbers_ = false;
  TStreamValue Value(bool inList, bool inItem = false) {
    TStreamValue v;
    v.Type = static_cast<TValueType>(Byte_());
    switch (v.Type) {
      case vaInt8:
        v.Int = Int(1);
        break;
      case vaInt16:
        v.Int = Int(2);
        break;
      case vaInt32:
        v.Int = Int(4);
        break;
      case vaInt64:
        v.Int = Int(8);
        break;
      case vaFalse:
      case vaTrue:
        v.Int = v.Type == vaTrue;
        break;
      case vaNil:
        break;
      case vaExtended: {
        unsigned char b[10];
        Bytes(b, 10);
        long double x = 0;
        static_assert(sizeof(long double) >= 10);
        std::memcpy(&x, b, 10);
        v.Float = x;
        break;
      }
      case vaString:
      case vaIdent:
        v.Str = Str(Byte_());
        break;
      case vaLString:
      case vaBinary:
        v.Str = Str(Int(4));
        break;
      case vaSet:
        for (AnsiString name = Name(); !name.empty(); name = Name()) v.List.push_back(name);
        break;
      case vaList:
        if (inList) BadImage();
        for (TStreamValue item = Value(true); item.Type != vaNull; item = Value(true)) {
          if (item.IsString() && v.Floats.empty()) {
            v.List.push_back(item.Str);
          } else if (numbers_ && (item.Type == vaExtended || item.IsInteger()) && v.List.empty()) {
            v.Floats.push_back(item.Type == vaExtended ? item.Float : static_cast<Extended>(item.Int));
          } else {
            BadImage();
          }
        }
        break;
      case vaCollection:
        // An item holds no collection, so the nesting stays one deep.
        if (!numbers_ || inList || inItem) BadImage();
        for (unsigned char next = Byte_(); next != vaNull; next = Byte_()) {
          // An item may say its position first; the order read is the order.
          if (next == vaInt8 || next == vaInt16 || next == vaInt32) {
            Int(next == vaInt8 ? 1 : next == vaInt16 ? 2 : 4);
            next = Byte_();
          }
          if (next != vaList) BadImage();
          TStreamItem& item = v.Items.emplace_back();
          for (AnsiString prop = Name(); !prop.empty(); prop = Name())
            item.push_back(TStreamItemProperty{prop, Value(false, true)});
        }
        break;
      case vaDate: {
        if (!numbers_) BadImage();
        double day = 0;
        Bytes(&day, 8);
        v.Float = day;
        break;
      }
      case vaCurrency:
        if (!numbers_) BadImage();
        v.Int = Int(8);
        v.Float = static_cast<Extended>(v.Int) / 10000;
        break;
      case vaNull:
        if (!inList) BadImage();
        break;
      default:
        BadImage();
    }
    return v;
  }

 private:
  TStream& stream_;
  Int64 left_;
};

}  // namespace

// ---- writing ---------------------------------------------------------------------------------

TComponentWriter::TComponentWriter(TStream& stream, const AnsiString& className, const AnsiString& name)
    : stream_(stream) {
  stream_.WriteBuffer("TPF0", 4);
  Name(className);
  Name(name);
}

TComponentWriter::TComponentWriter(Child, TStream& stream, const AnsiString& className,
                                   const AnsiString& name)
    : stream_(stream) {
  Name(className);
  Name(name);
}

void TComponentWriter::WriteFloats(const AnsiString& prop, const std::vector<Extended>& items) {
  Name(prop);
  Byte_(vaList);
  for (Extended x : items) Ext(x);
  Byte_(vaNull);
}

void TComponentWriter::WriteIdent(const AnsiString& prop, const AnsiString& value) {
  Name(prop);
  Byte_(vaIdent);
  Name(value);
}

void TComponentWriter::WriteSet(const AnsiString& prop, const std::vector<AnsiString>& members) {
  Name(prop);
  Byte_(vaSet);
  for (const AnsiString& m : members) Name(m);
  Byte_(0);
}

void TComponentWriter::WriteDate(const AnsiString& prop, TDateTime value) {
  Name(prop);
  Byte_(vaDate);
  const double day = value;
  unsigned char b[8];
  std::memcpy(b, &day, 8);
  stream_.WriteBuffer(b, 8);
}

void TComponentWriter::BeginCollection(const AnsiString& prop) {
  Name(prop);
  Byte_(vaCollection);
}

void TComponentWriter::Name(const AnsiString& s) {
  const size_t len = std::min<size_t>(s.size(), 255);
  Byte_(static_cast<unsigned char>(len));
  stream_.WriteBuffer(s.data(), static_cast<int>(len));
}

void TComponentWriter::Int(Int64 v, int bytes) {
  unsigned char b[8];
  for (int i = 0; i < bytes; ++i) b[i] = static_cast<unsigned char>(static_cast<std::uint64_t>(v) >> (8 * i));
  stream_.WriteBuffer(b, bytes);
}

void TComponentWriter::Str(const AnsiString& s) {
  if (s.size() <= 255) {
    Byte_(vaString);
    Byte_(static_cast<unsigned char>(s.size()));
  } else {
    Byte_(vaLString);
    Int(static_cast<Int64>(s.size()), 4);
  }
  stream_.WriteBuffer(s.data(), static_cast<int>(s.size()));
}

void TComponentWriter::WriteInteger(const AnsiString& prop, int value) {
  Name(prop);
  if (value >= -128 && value <= 127) {
    Byte_(vaInt8);
    Int(value, 1);
  } else if (value >= -32768 && value <= 32767) {
    Byte_(vaInt16);
    Int(value, 2);
  } else {
    Byte_(vaInt32);
    Int(value, 4);
  }
}

void TComponentWriter::WriteBoolean(const AnsiString& prop, bool value) {
  Name(prop);
  Byte_(value ? vaTrue : vaFalse);
}

void TComponentWriter::WriteString(const AnsiString& prop, const AnsiString& value) {
  Name(prop);
  Str(value);
}

void TComponentWriter::Ext(Extended value) {
  Byte_(vaExtended);
  unsigned char b[16] = {};
  long double x = value;
  std::memcpy(b, &x, sizeof x < 16 ? sizeof x : 16);
  stream_.WriteBuffer(b, 10);
}

void TComponentWriter::WriteFloat(const AnsiString& prop, Extended value) {
  Name(prop);
  Ext(value);
}

void TComponentWriter::WriteBinary(const AnsiString& prop, std::string_view bytes) {
  Name(prop);
  Byte_(vaBinary);
  Int(static_cast<Int64>(bytes.size()), 4);
  stream_.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

void TComponentWriter::WriteStrings(const AnsiString& prop, const std::vector<AnsiString>& items) {
  Name(prop);
  Byte_(vaList);
  for (const AnsiString& s : items) Str(s);
  Byte_(vaNull);
}

void TComponentWriter::End() {
  Byte_(vaNull);  // end of the properties
  Byte_(vaNull);  // end of the child components
}

// ---- reading -------------------------------------------------------------------------------

TComponentImage ReadComponentImage(TStream& stream) {
  ImageReader in(stream);
  char signature[4];
  in.Bytes(signature, 4);
  if (std::memcmp(signature, "TPF0", 4) != 0) BadImage();
  TComponentImage image = in.Image();
  if (in.Byte_() != vaNull) BadImage();  // child components are not read
  return image;
}

TComponentImage ReadComponentTree(TStream& stream, int maxDepth) {
  ImageReader in(stream);
  in.numbers_ = true;
  char signature[4];
  in.Bytes(signature, 4);
  if (std::memcmp(signature, "TPF0", 4) != 0) BadImage();
  return in.Tree(maxDepth);
}
