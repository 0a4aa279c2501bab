#include <cstdint>
#include <map>

#include "platform/ui/ComCtrlsRichText.h"

namespace richtext {

namespace {

struct TFontKey {
  AnsiString Name;
  int Charset;
  auto operator<=>(const TFontKey&) const = default;
};

// A table of the values met, in the order met, with their indexes.
template <typename T>
class TTable {
 public:
  int IndexOf(const T& value) {
    const auto [it, added] = index_.emplace(value, static_cast<int>(list_.size()));
    if (added) list_.push_back(value);
    return it->second;
  }
  const std::vector<T>& List() const { return list_; }

 private:
  std::map<T, int> index_;
  std::vector<T> list_;
};

// Symbol fonts keep their own bytes; every other font is written as Greek,
// which is what the program's text is.
int CharsetOf(const TRichCharFormat& f) { return f.Charset == 2 ? 2 : GREEK_CHARSET; }

void Number(AnsiString& out, const char* word, int n) {
  out += word;
  out += std::to_string(n);
}

void Escape(AnsiString& out, std::u16string_view text, bool symbol) {
  static const char kHex[] = "0123456789abcdef";
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    if (ch == u'\t') {
      out += "\\tab ";
    } else if (ch == kLineBreak) {
      out += "\\line ";
    } else if (ch == u'\\' || ch == u'{' || ch == u'}') {
      out += '\\';
      out += static_cast<char>(ch);
    } else if (ch >= 0x20 && ch < 0x80) {
      out += static_cast<char>(ch);
    } else if (ch < 0x20) {
      continue;  // no control characters in RTF text
    } else {
      // A symbol font's bytes are its private characters; anything else
      // in it, like a surrogate half, goes as \uN.
      int byte = -1;
      if (symbol)
        byte = ch >= 0xF080 && ch <= 0xF0FF ? ch - 0xF000 : -1;
      else if (ch < 0xD800 || ch > 0xDFFF)
        byte = cp1253::FromUnicode(ch);
      if (byte >= 0x80) {
        out += "\\'";
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
      } else {
        Number(out, "\\u", static_cast<std::int16_t>(ch));
        out += '?';
      }
    }
  }
}

}  // namespace

AnsiString WriteRtf(const TRichDocument& doc) {
  TTable<TFontKey> fonts;
  TTable<TColor> colors;
  for (const TRichParagraph& p : doc.Paragraphs)
    for (const TRichRun& r : p.Runs) {
      fonts.IndexOf(TFontKey{r.Format.Name, CharsetOf(r.Format)});
      if (r.Format.Color != clWindowText) colors.IndexOf(ColorToRGB(r.Format.Color));
    }
  if (fonts.List().empty()) fonts.IndexOf({TRichCharFormat{}.Name, GREEK_CHARSET});

  AnsiString out = "{\\rtf1\\ansi\\ansicpg1253\\deff0\\deflang1032{\\fonttbl";
  for (size_t i = 0; i < fonts.List().size(); ++i) {
    Number(out, "{\\f", static_cast<int>(i));
    Number(out, "\\fnil\\fcharset", fonts.List()[i].Charset);
    out += ' ';
    Escape(out, cp1253::ToWide(fonts.List()[i].Name), false);
    out += ";}";
  }
  out += "}\r\n{\\colortbl ;";
  for (TColor c : colors.List()) {
    Number(out, "\\red", c & 0xFF);
    Number(out, "\\green", (c >> 8) & 0xFF);
    Number(out, "\\blue", (c >> 16) & 0xFF);
    out += ';';
  }
  out += "}\r\n\\viewkind4\\uc1";

  for (const TRichParagraph& p : doc.Paragraphs) {
    const TRichParaFormat& f = p.Format;
    out += "\\pard";
    if (f.Alignment == taCenter) out += "\\qc";
    if (f.Alignment == taRightJustify) out += "\\qr";
    if (f.Alignment == taJustify) out += "\\qj";
    if (f.FirstIndent != 0) Number(out, "\\fi", f.FirstIndent);
    if (f.LeftIndent != 0) Number(out, "\\li", f.LeftIndent);
    if (f.RightIndent != 0) Number(out, "\\ri", f.RightIndent);
    for (int tab : f.Tabs) Number(out, "\\tx", tab);
    // The bullet: its marker for readers that do not number, and the
    // numbering that says it is one.
    if (f.Bullet) out += "{\\pntext\\'95\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'95}}";
    for (const TRichRun& r : p.Runs) {
      const TRichCharFormat& c = r.Format;
      Number(out, "\\plain\\f", fonts.IndexOf(TFontKey{c.Name, CharsetOf(c)}));
      Number(out, "\\fs", c.HalfPoints);
      if (c.Style & fsBold) out += "\\b";
      if (c.Style & fsItalic) out += "\\i";
      if (c.Style & fsUnderline) out += "\\ul";
      if (c.Style & fsStrikeOut) out += "\\strike";
      if (c.Color != clWindowText) Number(out, "\\cf", colors.IndexOf(ColorToRGB(c.Color)) + 1);
      out += ' ';
      Escape(out, r.Text, c.Charset == 2);
    }
    out += "\\par\r\n";
  }
  out += "}\r\n";
  return out;
}

}  // namespace richtext
