// Stored report forms: a report with its bands, printables, groups and
// variables written as the class library's component images, and read back
// into a new report that prints the same pages.
#include <cxxabi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <memory>

#include "platform/db/Db.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/Picture.h"
#include "report/BandRpt.h"
#include "report/RpCtrls.h"

namespace {

const char* const kAlignments[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const kPenStyles[] = {"psSolid",      "psDash",  "psDot",        "psDashDot",
                                  "psDashDotDot", "psClear", "psInsideFrame"};
const char* const kBrushStyles[] = {"bsSolid", "bsClear"};
const char* const kFontStyles[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const char* const kOptions[] = {"FirstPageHeader", "LastPageFooter", "Compression"};
const char* const kOrders[] = {"cboAfterParent", "cboBeforeParent", "cboBeforeAndAfter"};
const char* const kBiDiModes[] = {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign",
                                  "bdRightToLeftReadingOnly"};
// In the order of TFieldType.
const char* const kFieldTypes[] = {"ftUnknown", "ftString",   "ftSmallint", "ftInteger", "ftWord",
                                   "ftBoolean", "ftFloat",    "ftCurrency", "ftBCD",     "ftDate",
                                   "ftTime",    "ftDateTime", "ftLargeint", "ftBlob",    "ftMemo"};
static_assert(std::size(kFieldTypes) == ftMemo + 1);
// A query's parameters only ever pass values in.
const char* const kParamTypes[] = {"ptUnknown", "ptInput"};

[[noreturn]] void Bad(const AnsiString& what) { throw EReadError("Invalid property value: " + what); }

template <size_t N>
int IdentIndex(const char* const (&names)[N], const TStreamValue& v, const AnsiString& prop) {
  if (v.Type == vaIdent)
    for (size_t i = 0; i < N; ++i)
      if (v.Str == names[i]) return static_cast<int>(i);
  Bad(prop);
}

int IntOf(const TStreamValue& v, const AnsiString& prop) {
  if (!v.IsInteger() || v.Int < INT32_MIN || v.Int > INT32_MAX) Bad(prop);
  return static_cast<int>(v.Int);
}
bool BoolOf(const TStreamValue& v, const AnsiString& prop) {
  if (!v.IsBoolean()) Bad(prop);
  return v.Type == vaTrue;
}
const AnsiString& StrOf(const TStreamValue& v, const AnsiString& prop) {
  if (!v.IsString() && v.Type != vaIdent) Bad(prop);
  return v.Str;
}
Extended FloatOf(const TStreamValue& v, const AnsiString& prop) {
  if (v.Type == vaExtended) {
    if (!std::isfinite(v.Float) || std::fabs(v.Float) > 1e6L) Bad(prop);
    return v.Float;
  }
  return IntOf(v, prop);
}

// ---- writing -------------------------------------------------------------------

// The character sets a form names rather than numbers.
const std::pair<int, const char*> kCharsets[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},     {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"}, {GREEK_CHARSET, "GREEK_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"}, {ARABIC_CHARSET, "ARABIC_CHARSET"}};

const char* CharsetName(int charset) {
  for (const auto& [code, name] : kCharsets)
    if (code == charset) return name;
  return nullptr;
}

void WriteFont(TComponentWriter& w, const TFont& font, bool withSize) {
  w.WriteString("Font.Name", font.Name);
  if (withSize) w.WriteInteger("Font.Size", font.Size());
  w.WriteInteger("Font.Color", static_cast<int>(font.Color));
  std::vector<AnsiString> styles;
  for (unsigned i = 0; i < 4; ++i)
    if (font.Style & (1u << i)) styles.push_back(kFontStyles[i]);
  w.WriteSet("Font.Style", styles);
  if (font.Charset != DEFAULT_CHARSET) {
    if (const char* name = CharsetName(font.Charset))
      w.WriteIdent("Font.Charset", name);
    else
      w.WriteInteger("Font.Charset", font.Charset);
  }
}

void WriteFrame(TComponentWriter& w, const TRpFrame& f) {
  w.WriteInteger("Frame.Color", static_cast<int>(f.Color()));
  w.WriteBoolean("Frame.DrawTop", f.DrawTop());
  w.WriteBoolean("Frame.DrawBottom", f.DrawBottom());
  w.WriteBoolean("Frame.DrawLeft", f.DrawLeft());
  w.WriteBoolean("Frame.DrawRight", f.DrawRight());
  w.WriteIdent("Frame.Style", kPenStyles[f.Style()]);
  w.WriteInteger("Frame.Width", f.Width());
}

// Whether a control takes its parent's font. A font changed in place
// keeps the flag set though it no longer is the parent's: such a control
// is stored with a font of its own, or reading it back would lose it.
bool FollowsParentFont(const TControl& c) {
  return c.ParentFont() && c.Parent() != nullptr && c.Font() == c.Parent()->Font();
}

void WritePrintable(TStream& stream, TRpPrintable& p);

const char* PrintableClass(TRpPrintable& p) {
  if (dynamic_cast<TRpRichText*>(&p)) return "TRpRichText";
  if (dynamic_cast<TRpCustomRichText*>(&p)) return "TRpCustomRichText";
  if (dynamic_cast<TRpMemo*>(&p)) return "TRpMemo";
  if (dynamic_cast<TRpSysData*>(&p)) return "TRpSysData";
  if (dynamic_cast<TRpExpr*>(&p)) return "TRpExpr";
  if (dynamic_cast<TRpLabel*>(&p)) return "TRpLabel";
  if (dynamic_cast<TRpShape*>(&p)) return "TRpShape";
  if (dynamic_cast<TRpFrameline*>(&p)) return "TRpFrameline";
  if (dynamic_cast<TRpDBText*>(&p)) return "TRpDBText";
  if (dynamic_cast<TRpImage*>(&p)) return "TRpImage";
  if (dynamic_cast<TRpDBImage*>(&p)) return "TRpDBImage";
  return nullptr;
}

// A picture as the class library stores it: the graphic's class name as a
// short string, then the graphic's own file bytes. Nothing for no picture.
void WritePicture(TComponentWriter& w, TPicture& picture) {
  const TGraphic* graphic = picture.Graphic();
  if (graphic == nullptr || graphic->Empty()) return;
  const AnsiString cls = dynamic_cast<const TBitmap*>(graphic)     ? "TBitmap"
                         : dynamic_cast<const TMetafile*>(graphic) ? "TMetafile"
                                                                   : "TGraphic";
  TMemoryStream bytes;
  graphic->SaveToStream(bytes);
  std::string data(1, static_cast<char>(cls.size()));
  data += cls;
  data.append(static_cast<const char*>(bytes.Memory()), static_cast<size_t>(bytes.Size()));
  w.WriteBinary("Picture.Data", data);
}

// A data set is stored by its name, found again among the owner's
// components when the form is read.
void WriteDataSet(TComponentWriter& w, const TDataSet* dataSet) {
  if (dataSet != nullptr && !dataSet->Name().empty()) w.WriteIdent("DataSet", dataSet->Name());
}

// A component's kind as its class is called in the source, for a message.
AnsiString KindName(const TComponent& c) {
  const char* mangled = typeid(c).name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> plain(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                    &std::free);
  AnsiString name = status == 0 && plain ? AnsiString(plain.get()) : AnsiString(mangled);
  if (const size_t scope = name.rfind("::"); scope != AnsiString::npos) name.erase(0, scope + 2);
  return name;
}

[[noreturn]] void CannotStore(const TComponent& c) {
  const AnsiString named = c.Name().empty() ? AnsiString() : " (" + c.Name() + ")";
  throw EWriteError("Cannot store a " + KindName(c) + named + " in a report form");
}

void WritePrintable(TStream& stream, TRpPrintable& p) {
  const char* cls = PrintableClass(p);
  if (cls == nullptr) CannotStore(p);
  TComponentWriter w(TComponentWriter::Child{}, stream, cls, p.Name());
  if (p.Tag != 0) w.WriteInteger("Tag", p.Tag);
  w.WriteBoolean("Enabled", p.Enabled());
  WriteFrame(w, *p.Frame());
  if (auto* label = dynamic_cast<TRpCustomLabel*>(&p)) {
    w.WriteIdent("Alignment", kAlignments[label->Alignment()]);
    w.WriteBoolean("AlignToBand", label->AlignToBand());
    w.WriteBoolean("AutoSize", label->AutoSize);
    w.WriteBoolean("AutoStretch", label->AutoStretch());
    w.WriteBoolean("WordWrap", label->WordWrap());
    w.WriteBoolean("Transparent", label->Transparent());
    w.WriteInteger("Color", static_cast<int>(label->Color()));
    w.WriteInteger("ExportAs", label->ExportAs);
    if (!label->ParentBiDiMode()) w.WriteIdent("BiDiMode", kBiDiModes[label->BiDiMode()]);
    w.WriteBoolean("ParentBiDiMode", label->ParentBiDiMode());
    WriteFont(w, label->Font(), false);
    label->WriteFontSize(w);
    w.WriteBoolean("ParentFont", FollowsParentFont(*label));
    if (auto* memo = dynamic_cast<TRpMemo*>(label)) {
      std::vector<AnsiString> lines;
      for (int i = 0; i < memo->Lines()->Count(); ++i) lines.push_back((*memo->Lines())[i]);
      w.WriteStrings("Lines.Strings", lines);
    } else if (auto* sys = dynamic_cast<TRpSysData*>(label)) {
      w.WriteInteger("Data", sys->Data());
      w.WriteString("Text", sys->Text());
    } else if (auto* expr = dynamic_cast<TRpExpr*>(label)) {
      w.WriteString("Expression", expr->Expression());
      w.WriteString("Mask", expr->Mask());
      w.WriteBoolean("ResetAfterPrint", expr->ResetAfterPrint);
      if (expr->Master() != nullptr) w.WriteIdent("Master", expr->Master()->Name());
    } else if (auto* db = dynamic_cast<TRpDBText*>(label)) {
      WriteDataSet(w, db->DataSet());
      w.WriteString("DataField", db->DataField());
      w.WriteString("Mask", db->Mask);
    } else {
      w.WriteString("Caption", label->Caption());
    }
  } else if (auto* shape = dynamic_cast<TRpShape*>(&p)) {
    w.WriteInteger("Shape", shape->Shape());
    w.WriteInteger("Pen.Color", static_cast<int>(shape->Pen()->Color));
    w.WriteInteger("Pen.Width", shape->Pen()->Width);
    w.WriteIdent("Pen.Style", kPenStyles[shape->Pen()->Style]);
    w.WriteInteger("Brush.Color", static_cast<int>(shape->Brush()->Color));
    w.WriteIdent("Brush.Style", kBrushStyles[shape->Brush()->Style == bsClear ? 1 : 0]);
    w.WriteFloat("RoundFactor", shape->RoundFactor());
    w.WriteInteger("VertAdjust", shape->VertAdjust);
  } else if (auto* image = dynamic_cast<TRpImage*>(&p)) {
    w.WriteBoolean("AutoSize", image->AutoSize());
    w.WriteBoolean("Stretch", image->Stretch());
    w.WriteBoolean("Center", image->Center());
    WritePicture(w, *image->Picture());
    // Shown is the usual state: only a hidden picture says so.
    if (!image->Visible()) w.WriteBoolean("Visible", false);
  } else if (auto* dbImage = dynamic_cast<TRpDBImage*>(&p)) {
    WriteDataSet(w, dbImage->DataSet());
    w.WriteString("DataField", dbImage->DataField);
    w.WriteBoolean("Stretch", dbImage->Stretch());
    w.WriteBoolean("Center", dbImage->Center());
  } else if (auto* rich = dynamic_cast<TRpCustomRichText*>(&p)) {
    // The text itself is the program's to load: a form keeps how it shows.
    w.WriteIdent("Alignment", kAlignments[rich->Alignment()]);
    w.WriteBoolean("AutoStretch", rich->AutoStretch);
    w.WriteInteger("Color", static_cast<int>(rich->Color()));
    WriteFont(w, rich->Font(), true);
  }
  // Last: the size stands, whatever the text above made of it.
  w.WriteFloats("Size.Values", p.Size()->Values());
  w.EndProperties();
  w.EndChildren();
}

// A query's parameters as the class library keeps them: after the text
// that names them, one item each with its type and, once it has one, its
// value. The type counts even without a value: a report variable of the
// parameter's name fills it only when its kind suits the type.
void WriteParams(TComponentWriter& w, TParams& params) {
  w.BeginCollection("ParamData");
  for (int i = 0; i < params.Count(); ++i) {
    const TParam& param = params.Items(i);
    w.BeginItem();
    w.WriteIdent("DataType", kFieldTypes[param.DataType]);
    w.WriteString("Name", param.Name);
    const TDbValue& value = param.Value();
    const bool day = param.DataType == ftDate || param.DataType == ftTime || param.DataType == ftDateTime;
    if (const auto* text = std::get_if<AnsiString>(&value)) {
      w.WriteString("Value", *text);
    } else if (const auto* number = std::get_if<Int64>(&value)) {
      // The setters take no more than 32 bits.
      if (param.DataType == ftBoolean)
        w.WriteBoolean("Value", *number != 0);
      else
        w.WriteInteger("Value", static_cast<int>(*number));
    } else if (const auto* real = std::get_if<double>(&value)) {
      if (day)
        w.WriteDate("Value", *real);
      else
        w.WriteFloat("Value", *real);
    }
    w.EndItem();
  }
  w.EndCollection();
}

// A data set the report owns is stored whole: where its rows come from,
// with a query's parameters, and whether it is open. An open one opens again once the form is read.
void WriteOwnedDataSet(TStream& stream, TDataSet& dataSet) {
  auto* table = dynamic_cast<TTable*>(&dataSet);
  auto* query = dynamic_cast<TQuery*>(&dataSet);
  if (table == nullptr && query == nullptr) CannotStore(dataSet);
  TComponentWriter w(TComponentWriter::Child{}, stream, table != nullptr ? "TTable" : "TQuery",
                     dataSet.Name());
  if (dataSet.Tag != 0) w.WriteInteger("Tag", dataSet.Tag);
  if (dataSet.Active()) w.WriteBoolean("Active", true);
  w.WriteString("DatabaseName", static_cast<TDBDataSet&>(dataSet).DatabaseName());
  if (table != nullptr) {
    w.WriteString("TableName", table->TableName());
  } else {
    std::vector<AnsiString> lines;
    for (int i = 0; i < query->SQL().Count(); ++i) lines.push_back(query->SQL()[i]);
    w.WriteStrings("SQL.Strings", lines);
    if (query->ParamCount() > 0) WriteParams(w, query->Params());
  }
  w.EndProperties();
  w.EndChildren();
}

const char* BandClass(TRpCustomBand& b) {
  if (dynamic_cast<TRpSubDetail*>(&b)) return "TRpSubDetail";
  if (dynamic_cast<TRpGroup*>(&b)) return "TRpGroup";
  if (dynamic_cast<TRpChildBand*>(&b)) return "TRpChildBand";
  return "TRpBand";
}

void WriteBand(TStream& stream, TRpCustomBand& b) {
  TComponentWriter w(TComponentWriter::Child{}, stream, BandClass(b), b.Name());
  if (b.Tag != 0) w.WriteInteger("Tag", b.Tag);
  if (dynamic_cast<TRpBand*>(&b) != nullptr) w.WriteInteger("BandType", b.BandType());
  w.WriteBoolean("Enabled", b.Enabled());
  w.WriteInteger("Color", static_cast<int>(b.Color()));
  w.WriteBoolean("AlignToBottom", b.AlignToBottom);
  w.WriteBoolean("TransparentBand", b.TransparentBand);
  w.WriteBoolean("ForceNewColumn", b.ForceNewColumn);
  w.WriteBoolean("ForceNewPage", b.ForceNewPage);
  w.WriteBoolean("KeepOnOnePage", b.KeepOnOnePage);
  w.WriteBoolean("PreCaluculateBandHeight", b.PreCaluculateBandHeight);
  if (b.LinkBand() != nullptr) w.WriteIdent("LinkBand", b.LinkBand()->Name());
  w.WriteFloats("Size.Values", b.Size()->Values());
  WriteFrame(w, *b.Frame());
  const bool parentFont = FollowsParentFont(b);
  if (!parentFont) WriteFont(w, b.Font(), true);
  w.WriteBoolean("ParentFont", parentFont);
  if (auto* child = dynamic_cast<TRpChildBand*>(&b)) {
    if (child->ParentBand() != nullptr) w.WriteIdent("ParentBand", child->ParentBand()->Name());
    w.WriteIdent("PrintOrder", kOrders[child->PrintOrder]);
  } else if (auto* group = dynamic_cast<TRpGroup*>(&b)) {
    w.WriteString("Expression", group->Expression);
    w.WriteBoolean("ReprintOnNewPage", group->ReprintOnNewPage);
    if (group->FooterBand() != nullptr) w.WriteIdent("FooterBand", group->FooterBand()->Name());
    if (group->Master() != nullptr && group->Master() != b.ParentReport)
      w.WriteIdent("Master", group->Master()->Name());
  } else if (auto* sub = dynamic_cast<TRpSubDetail*>(&b)) {
    if (sub->Master() != nullptr && sub->Master() != b.ParentReport)
      w.WriteIdent("Master", sub->Master()->Name());
    if (sub->HeaderBand() != nullptr) w.WriteIdent("HeaderBand", sub->HeaderBand()->Name());
    if (sub->FooterBand() != nullptr) w.WriteIdent("FooterBand", sub->FooterBand()->Name());
    w.WriteBoolean("PrintBefore", sub->PrintBefore());
    w.WriteBoolean("PrintIfEmpty", sub->PrintIfEmpty());
    WriteDataSet(w, sub->DataSet());
  }
  w.EndProperties();
  for (int i = 0; i < b.ControlCount(); ++i)
    if (auto* p = dynamic_cast<TRpPrintable*>(b.Controls(i))) WritePrintable(stream, *p);
  w.EndChildren();
}

// ---- reading -------------------------------------------------------------------

// A reference to a component by its name, resolved once all are read.
struct Fixup {
  TComponent* Component;
  AnsiString Property, Name;
};

bool ReadFont(TFont& font, const AnsiString& prop, const TStreamValue& v) {
  if (prop == "Font.Name") {
    font.Name = StrOf(v, prop);
  } else if (prop == "Font.Size") {
    const int size = IntOf(v, prop);
    if (size < -32768 || size > 32767) Bad(prop);
    font.SetSize(size);
  } else if (prop == "Font.Color") {
    font.Color = static_cast<TColor>(IntOf(v, prop));
  } else if (prop == "Font.Style") {
    if (v.Type != vaSet) Bad(prop);
    TFontStyles styles = 0;
    for (const AnsiString& name : v.List) {
      TStreamValue ident;
      ident.Type = vaIdent;
      ident.Str = name;
      styles |= 1u << IdentIndex(kFontStyles, ident, prop);
    }
    font.Style = styles;
  } else if (prop == "Font.Charset") {
    if (v.Type == vaIdent) {
      const auto known = std::find_if(std::begin(kCharsets), std::end(kCharsets),
                                      [&](const auto& c) { return SameText(c.second, v.Str); });
      if (known == std::end(kCharsets)) Bad(prop);
      font.Charset = known->first;
    } else {
      const int charset = IntOf(v, prop);
      if (charset < 0 || charset > 255) Bad(prop);
      font.Charset = charset;
    }
  } else {
    return false;
  }
  return true;
}

bool ReadFrame(TRpFrame& f, const AnsiString& prop, const TStreamValue& v) {
  if (prop == "Frame.Color")
    f.SetColor(static_cast<TColor>(IntOf(v, prop)));
  else if (prop == "Frame.DrawTop")
    f.SetDrawTop(BoolOf(v, prop));
  else if (prop == "Frame.DrawBottom")
    f.SetDrawBottom(BoolOf(v, prop));
  else if (prop == "Frame.DrawLeft")
    f.SetDrawLeft(BoolOf(v, prop));
  else if (prop == "Frame.DrawRight")
    f.SetDrawRight(BoolOf(v, prop));
  else if (prop == "Frame.Style")
    f.SetStyle(static_cast<TPenStyle>(IdentIndex(kPenStyles, v, prop)));
  else if (prop == "Frame.Width")
    f.SetWidth(IntOf(v, prop));
  else
    return false;
  return true;
}

// No length of a report is beyond a hundred metres.
bool Sane(Extended x) { return std::isfinite(x) && std::fabs(x) <= 1e6L; }

void ReadSize(TRpUnitBase& size, const AnsiString& prop, const TStreamValue& v) {
  if (v.Type != vaList || !v.List.empty()) Bad(prop);
  for (Extended x : v.Floats)
    if (!Sane(x)) Bad(prop);
  size.ReadValues(v.Floats);
}

// A stored picture: bytes that are no picture of the class named make the
// whole form unreadable rather than a report with a hole in it.
std::unique_ptr<TGraphic> ReadPicture(const TStreamValue& v, const AnsiString& prop) {
  if (v.Type != vaBinary || v.Str.empty()) Bad(prop);
  const size_t nameLength = static_cast<unsigned char>(v.Str[0]);
  if (v.Str.size() <= 1 + nameLength) Bad(prop);
  const AnsiString cls = v.Str.substr(1, nameLength);
  try {
    std::unique_ptr<TGraphic> graphic = GraphicFromBytes(std::string_view(v.Str).substr(1 + nameLength));
    const bool bitmap = dynamic_cast<TBitmap*>(graphic.get()) != nullptr;
    const bool metafile = dynamic_cast<TMetafile*>(graphic.get()) != nullptr;
    if ((cls == "TBitmap" && !bitmap) || (cls == "TMetafile" && !metafile)) Bad(prop);
    return graphic;
  } catch (const EInvalidGraphic&) {
    Bad(prop);
  }
}

[[noreturn]] void Unknown(const TComponent* c, const AnsiString& prop) {
  throw EReadError("Error reading " + c->Name() + "." + prop + ": Property " + prop + " does not exist");
}

void ReadPrintableProperty(TRpPrintable& p, const AnsiString& prop, const TStreamValue& v,
                           std::vector<Fixup>& fixups) {
  if (prop == "Tag") return void(p.Tag = IntOf(v, prop));
  if (prop == "Enabled") return p.SetEnabled(BoolOf(v, prop));
  if (prop == "Size.Values") return ReadSize(*p.Size(), prop, v);
  if (ReadFrame(*p.Frame(), prop, v)) return;
  if (auto* label = dynamic_cast<TRpCustomLabel*>(&p)) {
    if (prop == "Alignment")
      return label->SetAlignment(static_cast<TAlignment>(IdentIndex(kAlignments, v, prop)));
    if (prop == "AlignToBand") return label->SetAlignToBand(BoolOf(v, prop));
    if (prop == "AutoSize") return void(label->AutoSize = BoolOf(v, prop));
    if (prop == "AutoStretch") return label->SetAutoStretch(BoolOf(v, prop));
    if (prop == "WordWrap") return label->SetWordWrap(BoolOf(v, prop));
    if (prop == "Transparent") return label->SetTransparent(BoolOf(v, prop));
    if (prop == "Color") return label->SetColor(static_cast<TColor>(IntOf(v, prop)));
    if (prop == "ExportAs") {
      const int kind = IntOf(v, prop);
      if (kind < exptText || kind > exptFormula) Bad(prop);
      return void(label->ExportAs = static_cast<TExportType>(kind));
    }
    if (prop == "FontSize") return label->ReadFontSize(v);
    if (prop == "BiDiMode")
      return label->SetBiDiMode(static_cast<TBiDiMode>(IdentIndex(kBiDiModes, v, prop)));
    if (prop == "ParentBiDiMode") return label->SetParentBiDiMode(BoolOf(v, prop));
    if (ReadFont(label->Font(), prop, v)) return;
    if (prop == "ParentFont") return label->SetParentFont(BoolOf(v, prop));
    if (auto* memo = dynamic_cast<TRpMemo*>(label); memo != nullptr && prop == "Lines.Strings") {
      if (v.Type != vaList || !v.Floats.empty()) Bad(prop);
      TStringList lines;
      for (const AnsiString& line : v.List) lines.Add(line);
      return memo->SetLines(lines);
    }
    if (auto* sys = dynamic_cast<TRpSysData*>(label)) {
      if (prop == "Data") {
        const int data = IntOf(v, prop);
        if (data < rpsTime || data > rpsDetailNo) Bad(prop);
        return sys->SetData(static_cast<TRpSysDataType>(data));
      }
      if (prop == "Text") return sys->SetText(StrOf(v, prop));
    }
    if (auto* expr = dynamic_cast<TRpExpr*>(label)) {
      if (prop == "Expression") return expr->SetExpression(StrOf(v, prop));
      if (prop == "Mask") return expr->SetMask(StrOf(v, prop));
      if (prop == "ResetAfterPrint") return void(expr->ResetAfterPrint = BoolOf(v, prop));
      if (prop == "Master") return fixups.push_back({expr, prop, StrOf(v, prop)});
    }
    if (auto* db = dynamic_cast<TRpDBText*>(label)) {
      if (prop == "DataSet") return fixups.push_back({db, prop, StrOf(v, prop)});
      if (prop == "DataField") return db->SetDataField(StrOf(v, prop));
      if (prop == "Mask") return void(db->Mask = StrOf(v, prop));
    }
    if (dynamic_cast<TRpLabel*>(label) != nullptr && prop == "Caption")
      return label->SetCaption(StrOf(v, prop));
  } else if (auto* image = dynamic_cast<TRpImage*>(&p)) {
    if (prop == "AutoSize") return image->SetAutoSize(BoolOf(v, prop));
    if (prop == "Stretch") return image->SetStretch(BoolOf(v, prop));
    if (prop == "Center") return image->SetCenter(BoolOf(v, prop));
    if (prop == "Picture.Data") return image->Picture()->SetGraphic(ReadPicture(v, prop));
    if (prop == "Visible") return image->SetVisible(BoolOf(v, prop));
  } else if (auto* rich = dynamic_cast<TRpCustomRichText*>(&p)) {
    if (prop == "Alignment")
      return rich->SetAlignment(static_cast<TAlignment>(IdentIndex(kAlignments, v, prop)));
    if (prop == "AutoStretch") return void(rich->AutoStretch = BoolOf(v, prop));
    if (prop == "Color") return rich->SetColor(static_cast<TColor>(IntOf(v, prop)));
    if (ReadFont(rich->Font(), prop, v)) return;
  } else if (auto* dbImage = dynamic_cast<TRpDBImage*>(&p)) {
    if (prop == "DataSet") return fixups.push_back({dbImage, prop, StrOf(v, prop)});
    if (prop == "DataField") return void(dbImage->DataField = StrOf(v, prop));
    if (prop == "Stretch") return dbImage->SetStretch(BoolOf(v, prop));
    if (prop == "Center") return dbImage->SetCenter(BoolOf(v, prop));
  } else if (auto* shape = dynamic_cast<TRpShape*>(&p)) {
    if (prop == "Shape") {
      const int kind = IntOf(v, prop);
      if (kind < rpsRectangle || kind > rpsRightDiagonal) Bad(prop);
      return shape->SetShape(static_cast<TRpShapeType>(kind));
    }
    if (prop == "Pen.Color") return void(shape->Pen()->Color = static_cast<TColor>(IntOf(v, prop)));
    if (prop == "Pen.Width") return void(shape->Pen()->Width = IntOf(v, prop));
    if (prop == "Pen.Style")
      return void(shape->Pen()->Style = static_cast<TPenStyle>(IdentIndex(kPenStyles, v, prop)));
    if (prop == "Brush.Color") return void(shape->Brush()->Color = static_cast<TColor>(IntOf(v, prop)));
    if (prop == "Brush.Style")
      return void(shape->Brush()->Style = IdentIndex(kBrushStyles, v, prop) == 1 ? bsClear : bsSolid);
    if (prop == "RoundFactor") return shape->SetRoundFactor(static_cast<float>(FloatOf(v, prop)));
    if (prop == "VertAdjust") return void(shape->VertAdjust = IntOf(v, prop));
  }
  Unknown(&p, prop);
}

// One stored parameter onto the query's parameter of its name. The names
// come from the query's text, read before: a stored one the text does not
// name, or one named twice, is no form this program wrote.
void ReadParam(TQuery& query, const TStreamItem& item, std::vector<TParam*>& done) {
  const AnsiString prop = query.Name() + ".ParamData";
  for (const auto& [key, value] : item)
    if (key != "DataType" && key != "Name" && key != "ParamType" && key != "Value")
      throw EReadError("Error reading " + prop + ": Property " + key + " does not exist");
  // The last of a name stands, as a later write of a property does.
  const auto valueOf = [&item](const char* name) -> const TStreamValue* {
    const TStreamValue* found = nullptr;
    for (const auto& [key, value] : item)
      if (key == name) found = &value;
    return found;
  };
  const TStreamValue* name = valueOf("Name");
  TParam* param = name != nullptr ? query.Params().FindParam(StrOf(*name, prop)) : nullptr;
  if (param == nullptr || std::find(done.begin(), done.end(), param) != done.end()) Bad(prop);
  done.push_back(param);
  if (const TStreamValue* type = valueOf("ParamType")) IdentIndex(kParamTypes, *type, prop);
  if (const TStreamValue* type = valueOf("DataType"))
    param->DataType = static_cast<TFieldType>(IdentIndex(kFieldTypes, *type, prop));
  // The type is set first, so the value keeps it whatever kind it is.
  const TStreamValue* value = valueOf("Value");
  if (value == nullptr) return param->Clear();
  switch (value->Type) {
    case vaString:
    case vaLString:
      return param->SetAsString(value->Str);
    case vaTrue:
    case vaFalse:
      return param->SetAsBoolean(value->Type == vaTrue);
    case vaDate:
      return param->SetAsDateTime(value->Float);
    case vaExtended:
    case vaCurrency:
      // Beyond a double's range is no value a parameter held.
      if (std::isfinite(value->Float) && std::fabs(value->Float) > std::numeric_limits<double>::max())
        Bad(prop);
      return param->SetAsFloat(value->Float);
    default:
      return param->SetAsInteger(IntOf(*value, prop));
  }
}

void ReadParams(TQuery& query, const TStreamValue& v) {
  if (v.Type != vaCollection) Bad(query.Name() + ".ParamData");
  std::vector<TParam*> done;
  for (const TStreamItem& item : v.Items) ReadParam(query, item, done);
}

// The parameters wait for the rest: only the query's text names them.
void ReadDataSetProperty(TDataSet& d, const AnsiString& prop, const TStreamValue& v,
                         std::vector<TDataSet*>& toOpen, const TStreamValue*& paramData) {
  if (prop == "Tag") return void(d.Tag = IntOf(v, prop));
  if (dynamic_cast<TQuery*>(&d) != nullptr && prop == "ParamData") return void(paramData = &v);
  if (prop == "Active") {
    if (BoolOf(v, prop)) toOpen.push_back(&d);
    return;
  }
  if (prop == "DatabaseName") return static_cast<TDBDataSet&>(d).SetDatabaseName(StrOf(v, prop));
  if (auto* table = dynamic_cast<TTable*>(&d); table != nullptr && prop == "TableName")
    return table->SetTableName(StrOf(v, prop));
  if (auto* query = dynamic_cast<TQuery*>(&d); query != nullptr && prop == "SQL.Strings") {
    if (v.Type != vaList || !v.Floats.empty()) Bad(prop);
    query->SQL().Clear();
    for (const AnsiString& line : v.List) query->SQL().Add(line);
    return;
  }
  Unknown(&d, prop);
}

void ReadBandProperty(TRpCustomBand& b, const AnsiString& prop, const TStreamValue& v,
                      std::vector<Fixup>& fixups) {
  if (prop == "Tag") return void(b.Tag = IntOf(v, prop));
  if (prop == "BandType" && dynamic_cast<TRpBand*>(&b) != nullptr) {
    const int type = IntOf(v, prop);
    if (type < rbTitle || type > rbChild) Bad(prop);
    return b.SetBandType(static_cast<TRpBandType>(type));
  }
  if (prop == "Enabled") return b.SetEnabled(BoolOf(v, prop));
  if (prop == "Color") return b.SetColor(static_cast<TColor>(IntOf(v, prop)));
  if (prop == "AlignToBottom") return void(b.AlignToBottom = BoolOf(v, prop));
  if (prop == "TransparentBand") return void(b.TransparentBand = BoolOf(v, prop));
  if (prop == "ForceNewColumn") return void(b.ForceNewColumn = BoolOf(v, prop));
  if (prop == "ForceNewPage") return void(b.ForceNewPage = BoolOf(v, prop));
  if (prop == "KeepOnOnePage") return void(b.KeepOnOnePage = BoolOf(v, prop));
  if (prop == "PreCaluculateBandHeight") return void(b.PreCaluculateBandHeight = BoolOf(v, prop));
  if (prop == "Size.Values") return ReadSize(*b.Size(), prop, v);
  if (ReadFrame(*b.Frame(), prop, v)) return;
  if (ReadFont(b.Font(), prop, v)) return;
  if (prop == "ParentFont") return b.SetParentFont(BoolOf(v, prop));
  const bool reference = prop == "LinkBand" || prop == "ParentBand" || prop == "FooterBand" ||
                         prop == "Master" || prop == "HeaderBand";
  if (reference) return fixups.push_back({&b, prop, StrOf(v, prop)});
  if (auto* child = dynamic_cast<TRpChildBand*>(&b); child != nullptr && prop == "PrintOrder")
    return void(child->PrintOrder = static_cast<TCBPrintOrder>(IdentIndex(kOrders, v, prop)));
  if (auto* group = dynamic_cast<TRpGroup*>(&b)) {
    if (prop == "Expression") return void(group->Expression = StrOf(v, prop));
    if (prop == "ReprintOnNewPage") return void(group->ReprintOnNewPage = BoolOf(v, prop));
  }
  if (auto* sub = dynamic_cast<TRpSubDetail*>(&b)) {
    if (prop == "PrintBefore") return sub->SetPrintBefore(BoolOf(v, prop));
    if (prop == "PrintIfEmpty") return sub->SetPrintIfEmpty(BoolOf(v, prop));
    if (prop == "DataSet") return fixups.push_back({sub, prop, StrOf(v, prop)});
  }
  Unknown(&b, prop);
}

// A reference without a name is the report, which may have none.
void Resolve(const Fixup& f, TComponent* owner, TCustomBandRep* report) {
  // A data set the report holds itself is nearer than one of its form.
  TComponent* target = nullptr;
  if (f.Name.empty() || f.Name == report->Name())
    target = report;
  else if (f.Property != "DataSet" || (target = report->FindComponent(f.Name)) == nullptr)
    target = owner->FindComponent(f.Name);
  if (target == nullptr)
    throw EReadError("Error reading " + f.Component->Name() + "." + f.Property + ": Invalid property value");
  auto* band = dynamic_cast<TRpCustomBand*>(target);
  if (f.Property == "LinkBand") {
    if (auto* b = dynamic_cast<TRpCustomBand*>(f.Component)) b->SetLinkBand(band);
  } else if (f.Property == "ParentBand") {
    if (auto* c = dynamic_cast<TRpChildBand*>(f.Component)) c->SetParentBand(band);
  } else if (f.Property == "FooterBand") {
    if (auto* g = dynamic_cast<TRpGroup*>(f.Component)) g->SetFooterBand(dynamic_cast<TRpBand*>(target));
    if (auto* s = dynamic_cast<TRpSubDetail*>(f.Component)) s->SetFooterBand(band);
  } else if (f.Property == "HeaderBand") {
    if (auto* s = dynamic_cast<TRpSubDetail*>(f.Component)) s->SetHeaderBand(band);
  } else if (f.Property == "Master") {
    if (auto* g = dynamic_cast<TRpGroup*>(f.Component)) g->SetMaster(target);
    if (auto* s = dynamic_cast<TRpSubDetail*>(f.Component)) s->SetMaster(target);
    if (auto* e = dynamic_cast<TRpExpr*>(f.Component)) e->SetMaster(target);
  } else if (f.Property == "DataSet") {
    auto* dataSet = dynamic_cast<TDataSet*>(target);
    if (dataSet == nullptr)
      throw EReadError("Error reading " + f.Component->Name() + ".DataSet: Invalid property value");
    if (auto* db = dynamic_cast<TRpDBText*>(f.Component)) db->SetDataSet(dataSet);
    if (auto* image = dynamic_cast<TRpDBImage*>(f.Component)) image->SetDataSet(dataSet);
    if (auto* rep = dynamic_cast<TCustomBandRep*>(f.Component)) rep->SetDataSet(dataSet);
    if (auto* sub = dynamic_cast<TRpSubDetail*>(f.Component)) sub->SetDataSet(dataSet);
  }
}

using Maker = TComponent* (*)(TComponent* owner);
template <class C>
TComponent* Make(TComponent* owner) {
  return new C(owner);
}
const std::map<AnsiString, Maker>& Classes() {
  static const std::map<AnsiString, Maker> classes{{"TRpBand", &Make<TRpBand>},
                                                   {"TRpChildBand", &Make<TRpChildBand>},
                                                   {"TRpGroup", &Make<TRpGroup>},
                                                   {"TRpSubDetail", &Make<TRpSubDetail>},
                                                   {"TRpLabel", &Make<TRpLabel>},
                                                   {"TRpMemo", &Make<TRpMemo>},
                                                   {"TRpSysData", &Make<TRpSysData>},
                                                   {"TRpExpr", &Make<TRpExpr>},
                                                   {"TRpShape", &Make<TRpShape>},
                                                   {"TRpFrameline", &Make<TRpFrameline>},
                                                   {"TRpDBText", &Make<TRpDBText>},
                                                   {"TRpImage", &Make<TRpImage>},
                                                   {"TRpDBImage", &Make<TRpDBImage>},
                                                   {"TRpCustomRichText", &Make<TRpCustomRichText>},
                                                   {"TRpRichText", &Make<TRpRichText>},
                                                   {"TTable", &Make<TTable>},
                                                   {"TQuery", &Make<TQuery>}};
  return classes;
}

// The report's settings a form keeps as plain numbers (enumerations by
// their position, switches as 0 and 1), each with the range a sound form
// holds.
struct StoredNumber {
  const char* Name;
  int Min, Max;
  std::function<int()> Get;
  std::function<void(int)> Set;
};

template <class T>
StoredNumber Number(const char* name, T& field, int min, int max) {
  return {name, min, max, [&field] { return static_cast<int>(field); },
          [&field](int v) { field = static_cast<T>(v); }};
}

std::vector<StoredNumber> StoredNumbers(TCustomBandRep& r) {
  TBandRepPrinterSettings& s = r.PrinterSettings;
  constexpr int kMost = INT32_MAX;
  return {Number("PrinterSettings.Copies", s.Copies, 1, 9999),
          Number("PrinterSettings.OutputBin", s.OutputBin, 0, kRpBinCount - 1),
          Number("PrinterSettings.Duplex", s.Duplex, 0, 1),
          Number("PrinterSettings.ExtendedDuplex", s.ExtendedDuplex, 0, 3),
          Number("PrinterSettings.FirstPage", s.FirstPage, 0, kMost),
          Number("PrinterSettings.LastPage", s.LastPage, 0, kMost),
          Number("PrinterSettings.UseStandardprinter", s.UseStandardprinter, 0, 1),
          Number("PrinterSettings.UseCustomBinCode", s.UseCustomBinCode, 0, 1),
          Number("PrinterSettings.CustomBinCode", s.CustomBinCode, 0, kMost),
          Number("PrinterSettings.UseCustomPaperCode", s.UseCustomPaperCode, 0, 1),
          Number("PrinterSettings.CustomPaperCode", s.CustomPaperCode, 0, kMost),
          Number("PrinterSettings.PrintMetaFile", s.PrintMetaFile, 0, 1),
          Number("PrinterSettings.MemoryLimit", s.MemoryLimit, 0, kMost),
          Number("PrinterSettings.PrintQuality", s.PrintQuality, -4, kMost),
          Number("PrinterSettings.Collate", s.Collate, 0, 1),
          Number("PrinterSettings.ColorOption", s.ColorOption, 0, 2),
          {"PreviewWidth", INT32_MIN, kMost, [&r] { return r.StoredPreviewWidth(); },
           [&r](int v) { r.SetPreviewWidth(v); }},
          {"PreviewHeight", INT32_MIN, kMost, [&r] { return r.StoredPreviewHeight(); },
           [&r](int v) { r.SetPreviewHeight(v); }},
          Number("PrevFormStyle", r.PrevFormStyle, fsNormal, fsStayOnTop),
          Number("PreviewInitialState", r.PreviewInitialState, wsNormal, wsMaximized),
          Number("PrevShowThumbs", r.PrevShowThumbs, 0, 1),
          Number("PrevShowSearch", r.PrevShowSearch, 0, 1),
          Number("PrevInitialZoom", r.PrevInitialZoom, rpZoomToFit, rpZoom100),
          Number("PreviewDefaultSaveType", r.PreviewDefaultSaveType, stRPP, stXML)};
}

}  // namespace

void TCustomBandRep::Loaded() {
  TRpBasePanel::Loaded();
  RebuildBandList();
}

void TCustomBandRep::WriteForm(TStream& stream) {
  TComponentWriter w(stream, "TBandRep", Name());
  if (Tag != 0) w.WriteInteger("Tag", Tag);
  w.WriteString("ReportTitle", ReportTitle);
  std::vector<AnsiString> options;
  for (int i = 0; i < 3; ++i)
    if (Options.Contains(static_cast<TBandRepOption>(i))) options.push_back(kOptions[i]);
  w.WriteSet("Options", options);
  w.WriteInteger("BackgroundColor", static_cast<int>(BackgroundColor));
  w.WriteInteger("PagesInPreview", PagesInPreview);
  w.WriteBoolean("PrintIfEmpty", PrintIfEmpty());
  w.WriteBoolean("ShowProgress", ShowProgress_);
  w.WriteString("BackImageControl", BackImageControl);
  if (!SnapToGrid) w.WriteBoolean("SnapToGrid", false);
  WriteDataSet(w, DataSet());
  WriteFont(w, Font(), true);
  WriteFrame(w, *Frame());
  // The paper first: the lengths that follow stand whatever it names.
  w.WriteIdent("Page.Orientation", page_.Orientation() == poLandscape ? "poLandscape" : "poPortrait");
  w.WriteInteger("Page.PaperSize", static_cast<int>(page_.PaperSize()));
  w.WriteFloats("Page.Values", page_.Values());
  w.WriteInteger("Page.Columns", page_.Columns());
  w.WriteBoolean("Page.Ruler", page_.Ruler());
  w.WriteInteger("Units", static_cast<int>(Units()));
  w.WriteInteger("Zoom", Zoom());
  for (const StoredNumber& n : StoredNumbers(*this)) {
    // The usual quality goes unwritten: a form read back takes it anyway.
    if (std::string_view(n.Name) == "PrinterSettings.PrintQuality" && !PrinterSettings.PrintQualityStored())
      continue;
    w.WriteInteger(n.Name, n.Get());
  }
  std::vector<AnsiString> names, expressions;
  for (int i = 0; i < functions_.Count(); ++i) {
    names.push_back(functions_[i]);
    expressions.push_back(functions_.Entry(i) != nullptr ? functions_.Entry(i)->Expression : AnsiString());
  }
  w.WriteStrings("Functions.Strings", names);
  w.WriteStrings("Functions.DATA", expressions);
  std::vector<AnsiString> description;
  for (int i = 0; i < Description.Count(); ++i) description.push_back(Description[i]);
  w.WriteStrings("Description.Strings", description);
  w.EndProperties();
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* band = dynamic_cast<TRpCustomBand*>(Controls(i))) WriteBand(stream, *band);
    if (auto* p = dynamic_cast<TRpPrintable*>(Controls(i))) WritePrintable(stream, *p);
  }
  // Then what the report holds that stands on nothing: its data sets. The
  // controller is made with every report and is no part of its form.
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (c == controller_) continue;
    if (auto* control = dynamic_cast<TControl*>(c); control != nullptr && control->Parent() != nullptr)
      continue;
    if (auto* dataSet = dynamic_cast<TDataSet*>(c))
      WriteOwnedDataSet(stream, *dataSet);
    else
      CannotStore(*c);
  }
  w.EndChildren();
}

void TCustomBandRep::ReadFormProperty(const AnsiString& prop, const TStreamValue& v) {
  if (prop == "Tag") return void(Tag = IntOf(v, prop));
  if (prop == "ReportTitle") return void(ReportTitle = StrOf(v, prop));
  if (prop == "Options") {
    if (v.Type != vaSet) Bad(prop);
    Options = {};
    for (const AnsiString& name : v.List) {
      TStreamValue ident;
      ident.Type = vaIdent;
      ident.Str = name;
      Options << static_cast<TBandRepOption>(IdentIndex(kOptions, ident, prop));
    }
    return;
  }
  if (prop == "BackgroundColor") return void(BackgroundColor = static_cast<TColor>(IntOf(v, prop)));
  if (prop == "PagesInPreview") return void(PagesInPreview = IntOf(v, prop));
  if (prop == "PrintIfEmpty") return SetPrintIfEmpty(BoolOf(v, prop));
  if (prop == "ShowProgress") return void(ShowProgress_ = BoolOf(v, prop));
  if (prop == "BackImageControl") return void(BackImageControl = StrOf(v, prop));
  if (prop == "SnapToGrid") return void(SnapToGrid = BoolOf(v, prop));
  if (prop == "DataSet") return storedDataSet_ = StrOf(v, prop), void();
  if (ReadFont(Font(), prop, v) || ReadFrame(*Frame(), prop, v)) return;
  if (prop == "Page.Values") return ReadSize(page_, prop, v);
  if (prop == "Page.Orientation") {
    static const char* const kOrientations[] = {"poPortrait", "poLandscape"};
    return page_.SetOrientation(IdentIndex(kOrientations, v, prop) == 1 ? poLandscape : poPortrait);
  }
  if (prop == "Page.PaperSize") {
    const int size = IntOf(v, prop);
    if (size < 0 || size >= kRpPaperCount) Bad(prop);
    // The stored lengths stand: a listed paper only names them.
    const std::vector<Extended> values = page_.Values();
    page_.SetPaperSize(static_cast<TRpPaperSize>(size));
    return page_.ReadValues(values);
  }
  if (prop == "Page.Columns") {
    // More columns than a sheet has tenths of a millimetre is no page.
    const int columns = IntOf(v, prop);
    if (columns < 1 || columns > 10000) Bad(prop);
    return page_.SetColumns(columns);
  }
  if (prop == "Page.Ruler") return page_.SetRuler(BoolOf(v, prop));
  if (prop == "Units") {
    const int units = IntOf(v, prop);
    if (units < static_cast<int>(TRpUnit::MM) || units > static_cast<int>(TRpUnit::Native)) Bad(prop);
    return SetUnits(static_cast<TRpUnit>(units));
  }
  if (prop == "Zoom") {
    const int zoom = IntOf(v, prop);
    if (zoom < 1 || zoom > 300) Bad(prop);
    return SetZoom(zoom);
  }
  for (const StoredNumber& n : StoredNumbers(*this))
    if (prop == n.Name) {
      const int value = IntOf(v, prop);
      if (value < n.Min || value > n.Max) Bad(prop);
      return n.Set(value);
    }
  if (prop == "Functions.Strings" || prop == "Functions.DATA" || prop == "Description.Strings") {
    if (v.Type != vaList || !v.Floats.empty()) Bad(prop);
    if (prop == "Functions.Strings") storedNames_ = v.List;
    if (prop == "Functions.DATA") storedExpressions_ = v.List;
    if (prop == "Description.Strings") {
      Description.Clear();
      for (const AnsiString& line : v.List) Description.Add(line);
    }
    return;
  }
  Unknown(this, prop);
}

TBandRep* TCustomBandRep::ReadForm(TStream& stream, TComponent* owner) {
  const TComponentImage image = ReadComponentTree(stream);
  if (image.ClassName != "TBandRep") throw EReadError("Class " + image.ClassName + " is no report");
  std::vector<TComponent*> made;
  auto* report = new TBandRep(owner);
  TComponent* holder = owner != nullptr ? owner : report;
  try {
    report->SetLoading(true);
    if (!image.Name.empty()) report->SetName(image.Name);
    for (const auto& [prop, value] : image.Properties) report->ReadFormProperty(prop, value);
    std::vector<Fixup> fixups;
    std::vector<TDataSet*> toOpen;
    const auto makeChild = [&](const TComponentImage& child, TWinControl* parent) -> TComponent* {
      const auto found = Classes().find(child.ClassName);
      if (found == Classes().end()) throw EReadError("Class " + child.ClassName + " not found");
      // A data set stands on nothing and belongs to the report, as it did.
      const bool dataSet = child.ClassName == "TTable" || child.ClassName == "TQuery";
      if (dataSet && parent != report) throw EReadError("Invalid stream format");
      TComponent* c = found->second(dataSet ? report : holder);
      made.push_back(c);
      if (!child.Name.empty()) c->SetName(child.Name);
      if (auto* control = dynamic_cast<TControl*>(c)) control->SetParent(parent);
      return c;
    };
    for (const TComponentImage& child : image.Children) {
      TComponent* c = makeChild(child, report);
      if (auto* band = dynamic_cast<TRpCustomBand*>(c)) {
        for (const auto& [prop, value] : child.Properties) ReadBandProperty(*band, prop, value, fixups);
        for (const TComponentImage& grandChild : child.Children) {
          auto* p = dynamic_cast<TRpPrintable*>(makeChild(grandChild, band));
          if (p == nullptr || !grandChild.Children.empty()) throw EReadError("Invalid stream format");
          for (const auto& [prop, value] : grandChild.Properties)
            ReadPrintableProperty(*p, prop, value, fixups);
        }
      } else if (auto* p = dynamic_cast<TRpPrintable*>(c)) {
        if (!child.Children.empty()) throw EReadError("Invalid stream format");
        for (const auto& [prop, value] : child.Properties) ReadPrintableProperty(*p, prop, value, fixups);
      } else if (auto* d = dynamic_cast<TDataSet*>(c)) {
        if (!child.Children.empty()) throw EReadError("Invalid stream format");
        const TStreamValue* paramData = nullptr;
        for (const auto& [prop, value] : child.Properties)
          ReadDataSetProperty(*d, prop, value, toOpen, paramData);
        if (paramData != nullptr) ReadParams(static_cast<TQuery&>(*d), *paramData);
      }
    }
    if (!report->storedDataSet_.empty()) fixups.push_back({report, "DataSet", report->storedDataSet_});
    report->storedDataSet_.clear();
    for (const Fixup& f : fixups) Resolve(f, holder, report);
    if (report->storedNames_.size() != report->storedExpressions_.size())
      throw EReadError("Error reading Functions: Invalid property value");
    for (size_t i = 0; i < report->storedNames_.size(); ++i) {
      report->functions_.DeleteFunction(report->storedNames_[i]);
      report->functions_.AddFunction(report->storedNames_[i], report->storedExpressions_[i]);
    }
    report->storedNames_.clear();
    report->storedExpressions_.clear();
    for (TComponent* c : made) c->Loaded();
    report->Loaded();
    for (TDataSet* d : toOpen) d->Open();
  } catch (...) {
    for (auto it = made.rbegin(); it != made.rend(); ++it)
      if (*it != nullptr) delete *it;
    delete report;
    throw;
  }
  return report;
}
