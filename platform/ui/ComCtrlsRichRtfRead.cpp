#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <utility>

#include "platform/ui/ComCtrlsRichText.h"

void TRichParagraph::Append(const TRichCharFormat& format, std::u16string_view text) {
  if (text.empty()) return;
  if (!Runs.empty() && Runs.back().Format == format)
    Runs.back().Text.append(text);
  else
    Runs.push_back({format, WideString(text)});
}

WideString TRichParagraph::Text() const {
  WideString s;
  for (const TRichRun& run : Runs) s += run.Text;
  return s;
}

WideString TRichDocument::Text() const {
  WideString s;
  for (size_t i = 0; i < Paragraphs.size(); ++i) {
    if (i > 0) s += u"\r\n";
    s += Paragraphs[i].Text();
  }
  return s;
}

namespace richtext {

bool IsRtf(std::string_view bytes) { return bytes.substr(0, 5) == "{\\rtf"; }

namespace {

constexpr int kMaxDepth = 256;
// The class library's paragraphs hold as many tab stops; more are ignored.
constexpr size_t kMaxTabs = 32;
// The largest font the class library's rich edit takes, 1638 points: a
// larger size overflows the text engine's measures.
constexpr int kMaxHalfPoints = 3276;

// Code page 1252 differs from Latin-1 only in 0x80-0x9F.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

enum class TDest { Text, Skip, FontTable, ColorTable, Bullet };

struct TGroupState {
  TRichCharFormat Char;
  TRichParaFormat Para;
  TDest Dest = TDest::Text;
  int UnicodeSkip = 1;
  int FontCharset = DEFAULT_CHARSET;  // as the font table gives it
};

class TRtfReader {
 public:
  TRtfReader(std::string_view rtf, const TRichCharFormat& base) : in_(rtf), base_(base) {
    if (base_.Charset != SYMBOL_CHARSET) base_.Charset = GREEK_CHARSET;
  }

  TRichDocument Run() {
    if (!IsRtf(in_)) Fail("the text does not start with {\\rtf");
    state_.Char = base_;
    // Texts seldom nest deeper: the stack is not grown group by group.
    stack_.reserve(16);
    while (pos_ < in_.size()) {
      const char ch = in_[pos_];
      if (ch == '{') {
        ++pos_;
        if (stack_.size() >= kMaxDepth) Fail("groups nested deeper than 256");
        stack_.push_back(state_);
        skipPending_ = 0;
      } else if (ch == '}') {
        ++pos_;
        if (stack_.empty()) Fail("a closing brace without its group");
        if (stack_.size() == 1) finalPara_ = state_.Para;
        PopGroup();
        skipPending_ = 0;
        if (stack_.empty()) break;
      } else if (ch == '\\') {
        ++pos_;
        ControlWord();
      } else if (state_.Dest == TDest::Text && skipPending_ == 0) {
        PlainText();
      } else {
        ++pos_;
        if (ch == '\r' || ch == '\n' || ch == '\0') continue;
        if (ch == '\t') {
          Char(u'\t');
        } else {
          Byte(static_cast<unsigned char>(ch));
        }
      }
    }
    if (!stack_.empty()) Fail("the text ends inside a group (a closing brace is missing)");
    // What follows the document is ignored, but for a brace that closes
    // nothing: the text is not what it was meant to be.
    if (in_.find('}', pos_) != std::string_view::npos) Fail("a closing brace without its group");
    // The closing break of the last paragraph makes no paragraph of its own.
    if (doc_.Paragraphs.size() > 1 && doc_.Paragraphs.back().Runs.empty() && lastWasBreak_)
      doc_.Paragraphs.pop_back();
    else
      doc_.Paragraphs.back().Format = finalPara_;
    return std::move(doc_);
  }

 private:
  [[noreturn]] void Fail(const char* what) const {
    throw ERichTextError("Damaged RTF at byte " + std::to_string(pos_) + ": " + what);
  }

  void PopGroup() {
    const TGroupState inner = std::move(state_);
    state_ = std::move(stack_.back());
    stack_.pop_back();
    if (inner.Dest == TDest::FontTable && state_.Dest != TDest::FontTable) {
      EndFontEntry();
      // Text before any \f is in the default font.
      if (state_.Dest == TDest::Text) SetFont(defaultFont_);
    }
    if (inner.Dest == TDest::Bullet && state_.Dest != TDest::Bullet && bulletSeen_) {
      state_.Para.Bullet = true;
      bulletSeen_ = false;
    }
  }

  // ---- control words ----
  void ControlWord() {
    if (pos_ >= in_.size()) Fail("a backslash at the end of the text");
    const char ch = in_[pos_];
    if (!IsLetter(ch)) {
      ++pos_;
      ControlSymbol(ch);
      return;
    }
    const size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_]) && pos_ - start < 32) ++pos_;
    const std::string_view word = in_.substr(start, pos_ - start);
    bool hasParam = false;
    long long param = 0;
    if (pos_ < in_.size() && (in_[pos_] == '-' || IsDigit(in_[pos_]))) {
      const bool negative = in_[pos_] == '-';
      if (negative) ++pos_;
      if (pos_ >= in_.size() || !IsDigit(in_[pos_])) Fail("a minus sign without a number");
      while (pos_ < in_.size() && IsDigit(in_[pos_])) {
        param = param * 10 + (in_[pos_] - '0');
        if (param > (negative ? 2147483648LL : 2147483647LL)) Fail("a number beyond 32 bits");
        ++pos_;
      }
      if (negative) param = -param;
      hasParam = true;
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    Word(word, hasParam, static_cast<int>(param));
  }

  void ControlSymbol(char ch) {
    switch (ch) {
      case '\'': {
        if (pos_ + 2 > in_.size()) Fail("a truncated \\'xx");
        const int hi = Hex(in_[pos_]), lo = Hex(in_[pos_ + 1]);
        if (hi < 0 || lo < 0) Fail("\\' without two hexadecimal digits");
        pos_ += 2;
        Byte(static_cast<unsigned char>(hi * 16 + lo));
        return;
      }
      case '*':
        if (state_.Dest == TDest::Text || state_.Dest == TDest::FontTable || state_.Dest == TDest::ColorTable)
          starPending_ = true;
        return;
      case '\\':
      case '{':
      case '}':
        Byte(static_cast<unsigned char>(ch));
        return;
      case '~':
        Char(0x00A0);
        return;
      case '_':
        Char(u'-');
        return;
      case '\r':
      case '\n':
        Paragraph();
        return;
      default:  // \- optional hyphen, \: index entry and the rest: nothing
        return;
    }
  }

  void Word(std::string_view w, bool hasParam, int n) {
    const bool star = starPending_;
    starPending_ = false;
    skipPending_ = 0;
    if (w == "bin") {
      // Binary data of N bytes, skipped whole.
      if (!hasParam || n < 0 || static_cast<size_t>(n) > in_.size() - pos_) Fail("a truncated \\bin");
      pos_ += static_cast<size_t>(n);
      return;
    }
    if (state_.Dest == TDest::Skip) return;
    if (Destination(w, star)) return;
    if (star && !(w == "pn")) {
      state_.Dest = TDest::Skip;
      return;
    }
    if (state_.Dest == TDest::FontTable) {
      FontTableWord(w, n);
      return;
    }
    if (state_.Dest == TDest::ColorTable) {
      if (w == "red") color_ = (color_ & 0xFFFF00) | (n & 0xFF);
      if (w == "green") color_ = (color_ & 0xFF00FF) | ((n & 0xFF) << 8);
      if (w == "blue") color_ = (color_ & 0x00FFFF) | ((n & 0xFF) << 16);
      colorSet_ = true;
      return;
    }
    if (state_.Dest == TDest::Bullet) {
      if (w == "pnlvlblt") bulletSeen_ = true;
      return;
    }
    const bool on = !hasParam || n != 0;
    TRichCharFormat& c = state_.Char;
    TRichParaFormat& p = state_.Para;
    auto style = [&](TFontStyle s, bool set) { c.Style = set ? (c.Style | s) : (c.Style & ~s); };
    if (w == "par" || w == "page" || w == "sect" || w == "row")
      Paragraph();
    else if (w == "line")
      LineBreak();
    else if (w == "tab" || w == "cell")
      Char(u'\t');
    else if (w == "u") {
      Char(static_cast<char16_t>(static_cast<std::uint16_t>(n)));
      skipPending_ = state_.UnicodeSkip;
    } else if (w == "uc")
      state_.UnicodeSkip = std::max(0, n);
    else if (w == "pard")
      p = TRichParaFormat{};
    else if (w == "plain") {
      c = base_;
      state_.FontCharset = DEFAULT_CHARSET;
      SetFont(defaultFont_);
    } else if (w == "b")
      style(fsBold, on);
    else if (w == "i")
      style(fsItalic, on);
    else if (w == "ul")
      style(fsUnderline, on);
    else if (w == "ulnone")
      style(fsUnderline, false);
    else if (w == "strike")
      style(fsStrikeOut, on);
    else if (w == "fs")
      c.HalfPoints = hasParam && n > 0 ? std::min(n, kMaxHalfPoints) : 24;
    else if (w == "f")
      SetFont(n);
    else if (w == "cf")
      c.Color =
          n > 0 && n < static_cast<int>(colors_.size()) ? colors_[static_cast<size_t>(n)] : clWindowText;
    else if (w == "ql")
      p.Alignment = taLeftJustify;
    else if (w == "qj")
      p.Alignment = taJustify;
    else if (w == "qc")
      p.Alignment = taCenter;
    else if (w == "qr")
      p.Alignment = taRightJustify;
    else if (w == "fi")
      p.FirstIndent = n;
    else if (w == "li")
      p.LeftIndent = n;
    else if (w == "ri")
      p.RightIndent = n;
    else if (w == "tx" && p.Tabs.size() < kMaxTabs)
      p.Tabs.insert(std::upper_bound(p.Tabs.begin(), p.Tabs.end(), n), n);
    else if (w == "deff")
      defaultFont_ = n;
    else if (w == "ansicpg")
      codePage_ = n;
    else if (w == "emdash")
      Char(0x2014);
    else if (w == "endash")
      Char(0x2013);
    else if (w == "bullet")
      Char(0x2022);
    else if (w == "lquote")
      Char(0x2018);
    else if (w == "rquote")
      Char(0x2019);
    else if (w == "ldblquote")
      Char(0x201C);
    else if (w == "rdblquote")
      Char(0x201D);
  }

  // Words that open a destination; true when W was one.
  bool Destination(std::string_view w, bool star) {
    static constexpr std::string_view kSkipped[] = {
        "stylesheet", "info",    "pict",    "object",  "header",  "footer",    "headerl",
        "headerr",    "headerf", "footerl", "footerr", "footerf", "footnote",  "pntext",
        "listtext",   "fldinst", "xe",      "tc",      "txe",     "annotation"};
    if (w == "fonttbl") {
      state_.Dest = TDest::FontTable;
      return true;
    }
    if (w == "colortbl") {
      state_.Dest = TDest::ColorTable;
      colors_.clear();
      colorSet_ = false;
      color_ = 0;
      return true;
    }
    if (w == "pn") {
      state_.Dest = TDest::Bullet;
      return true;
    }
    for (std::string_view s : kSkipped)
      if (w == s) {
        state_.Dest = TDest::Skip;
        return true;
      }
    (void)star;
    return false;
  }

  void FontTableWord(std::string_view w, int n) {
    if (w == "f") {
      EndFontEntry();
      fontNo_ = n;
      fontName_.clear();
      fontCharset_ = 1;
      inFont_ = true;
    } else if (w == "fcharset") {
      fontCharset_ = n;
    }
  }

  void EndFontEntry() {
    if (!inFont_) return;
    while (!fontName_.empty() && fontName_.back() == ' ') fontName_.pop_back();
    fonts_[fontNo_] = {cp1253::FromWide(fontName_), fontCharset_};
    inFont_ = false;
  }

  void SetFont(int n) {
    const auto f = fonts_.find(n);
    if (f == fonts_.end()) return;
    state_.Char.Name = f->second.Name;
    // The model keeps symbol fonts apart; every other text is Unicode now
    // and is written back as Greek.
    state_.Char.Charset = f->second.Charset == SYMBOL_CHARSET ? SYMBOL_CHARSET : GREEK_CHARSET;
    state_.FontCharset = f->second.Charset;
  }

  // ---- text ----
  void Byte(unsigned char b) {
    if (skipPending_ > 0) {
      --skipPending_;
      return;
    }
    if (state_.Dest == TDest::ColorTable) {
      if (b == ';') {
        colors_.push_back(colorSet_ ? static_cast<TColor>(color_) : clWindowText);
        colorSet_ = false;
        color_ = 0;
      }
      return;
    }
    Char(Decode(b));
  }

  char16_t Decode(unsigned char b) const {
    if (b < 0x80) return b;
    int cp = codePage_;
    // A face name is text even for a symbol font.
    const int nameCharset = fontCharset_ == SYMBOL_CHARSET ? GREEK_CHARSET : fontCharset_;
    switch (state_.Dest == TDest::FontTable ? nameCharset : state_.FontCharset) {
      case GREEK_CHARSET:
        cp = 1253;
        break;
      case 0:
        cp = 1252;
        break;
      case 2:  // symbol fonts keep their bytes, in the private area
        return static_cast<char16_t>(0xF000 + b);
      default:
        break;
    }
    if (cp == 1253) return cp1253::ToUnicode(b);
    if (b >= 0x80 && b < 0xA0) return kCp1252High[b - 0x80];
    return b;
  }

  void Char(char16_t ch) {
    if (ch < 0x20 && ch != u'\t') return;  // no control characters in the text
    switch (state_.Dest) {
      case TDest::Text:
        doc_.Paragraphs.back().Append(state_.Char, std::u16string_view(&ch, 1));
        lastWasBreak_ = false;
        return;
      case TDest::FontTable:
        if (ch == u';')
          EndFontEntry();
        else if (inFont_ && ch != u'\t')  // no tab in a face name
          fontName_ += ch;
        return;
      default:
        return;
    }
  }

  // A stretch of text without groups or control words goes into its run at
  // once, as its characters one by one would.
  void PlainText() {
    plain_.clear();
    while (pos_ < in_.size()) {
      const char ch = in_[pos_];
      if (ch == '{' || ch == '}' || ch == '\\') break;
      ++pos_;
      if (ch == '\r' || ch == '\n' || ch == '\0') continue;
      const char16_t c = Decode(static_cast<unsigned char>(ch));
      if (c >= 0x20 || c == u'\t') plain_.push_back(c);
    }
    if (plain_.empty()) return;
    doc_.Paragraphs.back().Append(state_.Char, plain_);
    lastWasBreak_ = false;
  }

  // A line break inside the paragraph.
  void LineBreak() {
    if (state_.Dest != TDest::Text) return;
    doc_.Paragraphs.back().Append(state_.Char, std::u16string_view(&kLineBreak, 1));
    lastWasBreak_ = false;
  }

  void Paragraph() {
    if (state_.Dest != TDest::Text) return;
    doc_.Paragraphs.back().Format = state_.Para;
    doc_.Paragraphs.emplace_back();
    lastWasBreak_ = true;
  }

  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  struct TFontEntry {
    AnsiString Name;
    int Charset;
  };

  std::string_view in_;
  size_t pos_ = 0;
  TRichCharFormat base_;
  TGroupState state_;
  std::vector<TGroupState> stack_;
  TRichDocument doc_;
  TRichParaFormat finalPara_;
  bool lastWasBreak_ = false;
  bool starPending_ = false;
  int skipPending_ = 0;
  int codePage_ = 1252;
  int defaultFont_ = 0;
  std::map<int, TFontEntry> fonts_;
  int fontNo_ = 0, fontCharset_ = 1;
  WideString fontName_;
  WideString plain_;
  bool inFont_ = false;
  std::vector<TColor> colors_;
  std::uint32_t color_ = 0;
  bool colorSet_ = false;
  bool bulletSeen_ = false;
};

}  // namespace

TRichDocument ReadRtf(std::string_view rtf, const TRichCharFormat& base) {
  return TRtfReader(rtf, base).Run();
}

TRichDocument FromPlainText(const AnsiString& text, const TRichCharFormat& format,
                            const TRichParaFormat& para) {
  TRichDocument doc;
  doc.Paragraphs.back().Format = para;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
    doc.Paragraphs.back().Append(format, cp1253::ToWide(std::string_view(text).substr(start, i - start)));
    if (i == text.size()) break;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    doc.Paragraphs.push_back(TRichParagraph{para, {}});
    start = i + 1;
  }
  return doc;
}

}  // namespace richtext
