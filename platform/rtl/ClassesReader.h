#pragma once
// The class library's binary component format, as its component streaming
// writes and reads it. One component image is the signature "TPF0", the
// class name, the component name, the published properties (each a name
// and a typed value, ended by a zero byte), the child components and a
// zero byte that ends them. Names are short strings (a length byte and
// the characters); numbers are little-endian.
//
// The reader checks a whole image before anything uses it: a damaged one
// raises EReadError and leaves the stream's position undefined.

#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

enum TValueType : Byte {
  vaNull,
  vaList,
  vaInt8,
  vaInt16,
  vaInt32,
  vaExtended,
  vaString,
  vaIdent,
  vaFalse,
  vaTrue,
  vaBinary,
  vaSet,
  vaLString,
  vaNil,
  vaCollection,
  vaSingle,
  vaCurrency,
  vaDate,
  vaWString,
  vaInt64,
};

// Writes one component image: the header at construction, the properties
// in the order written, the end markers at End (no child components).
class TComponentWriter {
 public:
  TComponentWriter(TStream& stream, const AnsiString& className, const AnsiString& name = AnsiString());
  // A child component's image inside its parent's: no signature.
  struct Child {};
  TComponentWriter(Child, TStream& stream, const AnsiString& className, const AnsiString& name);
  // The smallest of vaInt8, vaInt16 and vaInt32 that holds the value.
  void WriteInteger(const AnsiString& prop, int value);
  void WriteBoolean(const AnsiString& prop, bool value);
  // vaString up to 255 characters, vaLString beyond.
  void WriteString(const AnsiString& prop, const AnsiString& value);
  void WriteFloat(const AnsiString& prop, Extended value);
  void WriteBinary(const AnsiString& prop, std::string_view bytes);
  // A list of strings, as a string list's "Strings" property is written.
  void WriteStrings(const AnsiString& prop, const std::vector<AnsiString>& items);
  // A list of extended numbers.
  void WriteFloats(const AnsiString& prop, const std::vector<Extended>& items);
  // An enumeration's value by its name.
  void WriteIdent(const AnsiString& prop, const AnsiString& value);
  // A set by the names of its members.
  void WriteSet(const AnsiString& prop, const std::vector<AnsiString>& members);
  // A date and time as its day number, unrounded.
  void WriteDate(const AnsiString& prop, TDateTime value);
  // A collection: each item's properties, written with the calls above,
  // stand between BeginItem and EndItem; EndCollection closes the list.
  void BeginCollection(const AnsiString& prop);
  void BeginItem() { Byte_(vaList); }
  void EndItem() { Byte_(vaNull); }
  void EndCollection() { Byte_(vaNull); }
  void End();
  // Split End: the properties end, the children follow, then they end.
  void EndProperties() { Byte_(vaNull); }
  void EndChildren() { Byte_(vaNull); }
  TStream& Stream() { return stream_; }

 private:
  void Name(const AnsiString& s);
  void Byte_(unsigned char b) { stream_.WriteBuffer(&b, 1); }
  void Int(Int64 v, int bytes);
  void Str(const AnsiString& s);
  // An extended number with its type byte.
  void Ext(Extended value);
  TStream& stream_;
};

struct TStreamValue;
// One property of a collection's item.
struct TStreamItemProperty;
// A collection's item: its properties in the order read.
using TStreamItem = std::vector<TStreamItemProperty>;

// A value read: integers in Int (and Bool for vaTrue/vaFalse), strings
// and identifiers in Str, binary data in Str, lists of strings in List.
struct TStreamValue {
  TValueType Type = vaNull;
  Int64 Int = 0;
  Extended Float = 0;
  AnsiString Str;
  std::vector<AnsiString> List;
  // A list of numbers.
  std::vector<Extended> Floats;
  // A collection's items (vaCollection). Dates (vaDate) and currency
  // amounts (vaCurrency) come in Float.
  std::vector<TStreamItem> Items;
  bool IsInteger() const { return Type == vaInt8 || Type == vaInt16 || Type == vaInt32 || Type == vaInt64; }
  bool IsBoolean() const { return Type == vaFalse || Type == vaTrue; }
  bool IsString() const { return Type == vaString || Type == vaLString; }
};

struct TStreamItemProperty {
  AnsiString Name;
  TStreamValue Value;
};

struct TComponentImage {
  AnsiString ClassName;
  AnsiString Name;
  std::vector<std::pair<AnsiString, TStreamValue>> Properties;
  std::vector<TComponentImage> Children;
};

// One image from the stream's position. Raises EReadError "Invalid stream
// format" for a bad signature, a value type the format does not have,
// nested lists, child components or bytes missing at the end.
TComponentImage ReadComponentImage(TStream& stream);

// A whole tree of images: the component with its child components, which
// may hold lists of numbers as well as of strings, collections (whose items
// hold no collection), dates and currency amounts. Children deeper than
// MaxDepth, or a damaged image anywhere, raise EReadError "Invalid stream
// format".
TComponentImage ReadComponentTree(TStream& stream, int maxDepth = 32);
