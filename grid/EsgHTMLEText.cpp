// The mini-HTML helpers that work on the markup text alone: colours,
// entities, plain text and the embedded control markers.

#include <cstdint>
#include <cstring>

#include "grid/EsgHTMLE.h"
#include "platform/rtl/Cp1253.h"

const TColorName ColorNameTable[ColorNameCount] = {
    {"clred", clRed},
    {"clblack", clBlack},
    {"clblue", clBlue},
    {"clgreen", clGreen},
    {"claqua", clAqua},
    {"clyellow", clYellow},
    {"clfuchsia", clFuchsia},
    {"clwhite", clWhite},
    {"cllime", clLime},
    {"clsilver", clSilver},
    {"clgray", clGray},
    {"clolive", clOlive},
    {"clnavy", clNavy},
    {"clpurple", clPurple},
    {"clteal", clTeal},
    {"clmaroon", clMaroon},
    {"clbackground", clBackground},
    {"clactivecaption", clActiveCaption},
    {"clinactivecaption", clInactiveCaption},
    {"clmenu", clMenu},
    {"clwindow", clWindow},
    {"clwindowframe", clWindowFrame},
    {"clmenutext", clMenuText},
    {"clwindowtext", clWindowText},
    {"clcaptiontext", clCaptionText},
    {"clactiveborder", clActiveBorder},
    {"clinactiveborder", clInactiveBorder},
    {"clappworkspace", clAppWorkSpace},
    {"clhighlight", clHighlight},
    {"clhighlighttext", clHighlightText},
    {"clbtnface", clBtnFace},
    {"clbtnshadow", clBtnShadow},
    {"clgraytext", clGrayText},
    {"clbtntext", clBtnText},
    {"clinactivecaptiontext", clInactiveCaptionText},
    {"clbtnhighlight", clBtnHighlight},
    {"cl3ddkshadow", cl3DDkShadow},
    {"cl3dlight", cl3DLight},
    {"clinfotext", clInfoText},
    {"clinfobk", clInfoBk},
};

TColor ColorNameToColor(const AnsiString& Name) {
  for (const TColorName& entry : ColorNameTable)
    if (Name == entry.Name) return entry.Value;
  return clBlack;
}

TColor HexColorToColor(const AnsiString& Text) {
  // Anything below "A" counts as a decimal digit and the rest by its code,
  // so malformed pairs give odd values but never fail.
  auto digit = [](char c) -> std::int64_t {
    const auto u = static_cast<unsigned char>(c);
    return u < 'A' ? static_cast<std::int64_t>(u) - '0' : static_cast<std::int64_t>(u) - 55;
  };
  auto pair = [&](size_t at) -> std::int64_t {
    if (Text.size() < at + 2) return 0;
    return digit(Text[at]) * 16 + digit(Text[at + 1]);
  };
  const std::int64_t value = pair(1) + pair(3) * 256 + pair(5) * 65536;
  return static_cast<TColor>(static_cast<std::uint32_t>(value));
}

TColor HTMLAttributeColor(const AnsiString& Value) {
  if (!Value.empty() && Value[0] == '#') return HexColorToColor(Value);
  return ColorNameToColor(LowerCase(Value));
}

namespace {

bool MatchesAt(const AnsiString& text, size_t at, const char* word) {
  const size_t n = std::strlen(word);
  if (text.size() - at < n || at > text.size()) return false;
  for (size_t i = 0; i < n; ++i)
    if (UpCase(text[at + i]) != UpCase(word[i])) return false;
  return true;
}

}  // namespace

AnsiString DecodeAngleEntities(const AnsiString& Text) {
  AnsiString out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '&' && (MatchesAt(Text, i, "&lt;") || MatchesAt(Text, i, "&gt;"))) {
      out += UpCase(Text[i + 1]) == 'L' ? '<' : '>';
      i += 3;
    } else {
      out += Text[i];
    }
  }
  return out;
}

AnsiString EncodeAngleEntities(const AnsiString& Text) {
  AnsiString out;
  out.reserve(Text.size());
  for (char c : Text) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

AnsiString ReplaceHTMLEntities(const AnsiString& Text) {
  static const struct {
    const char* entity;
    AnsiString replacement;
  } entities[] = {
      {"&amp;", "&&"},   {"&quot;", "\""},  {"&sect;", "§"_a},  {"&permil;", "‰"_a}, {"&reg;", "®"_a},
      {"&copy;", "©"_a}, {"&para;", "¶"_a}, {"&trade;", "™"_a}, {"&euro;", "€"_a},
  };
  if (Text.find('&') == AnsiString::npos) return Text;
  // Entities cannot overlap (each runs from "&" to the first ";"), so one
  // pass from the left reaches the same text as replacing round after round,
  // provided a replaced "&amp;" leaves its second "&" to be read again: it
  // may start a new entity with what follows.
  AnsiString in = Text;
  AnsiString out;
  out.reserve(in.size());
  size_t i = 0;
  while (i < in.size()) {
    bool replaced = false;
    if (in[i] == '&') {
      for (const auto& e : entities) {
        if (!MatchesAt(in, i, e.entity)) continue;
        const size_t len = std::strlen(e.entity);
        if (e.replacement == "&&") {
          out += '&';
          in[i + len - 1] = '&';
          i += len - 1;
        } else {
          out += e.replacement;
          i += len;
        }
        replaced = true;
        break;
      }
    }
    if (!replaced) out += in[i++];
  }
  return out;
}

AnsiString DecodeRunEntities(const AnsiString& Run) {
  if (Run.find('&') == AnsiString::npos) return Run;
  AnsiString out;
  out.reserve(Run.size());
  for (size_t i = 0; i < Run.size(); ++i) {
    if (Run.compare(i, 6, "&nbsp;") == 0) {
      out += ' ';
      i += 5;
    } else if (Run.compare(i, 4, "&lt;") == 0) {
      out += '<';
      i += 3;
    } else if (Run.compare(i, 4, "&gt;") == 0) {
      out += '>';
      i += 3;
    } else {
      out += Run[i];
    }
  }
  return out;
}

AnsiString StripHTML(const AnsiString& Text) {
  AnsiString out;
  out.reserve(Text.size());
  size_t i = 0;
  while (i < Text.size()) {
    if (Text[i] != '<') {
      out += Text[i++];
      continue;
    }
    if (MatchesAt(Text, i, "<BR>") || MatchesAt(Text, i, "<HR>")) {
      out += "\r\n";
      i += 4;
      continue;
    }
    const size_t close = Text.find('>', i + 1);
    if (close == AnsiString::npos) {
      out.append(Text, i, AnsiString::npos);
      break;
    }
    i = close + 1;
  }
  return out;
}

AnsiString HTMLQuotedValue(const AnsiString& Tag, const AnsiString& Upper, const char* Name) {
  const size_t at = Upper.find(Name);
  if (at == AnsiString::npos) return {};
  const size_t open = Tag.find('"', at + std::strlen(Name));
  if (open == AnsiString::npos) return {};
  const size_t close = Tag.find('"', open + 1);
  if (close == AnsiString::npos) return {};
  return Tag.substr(open + 1, close - open - 1);
}

THTMLControlTag ParseControlTag(const AnsiString& Tag) {
  const AnsiString upper = UpperCase(Tag);
  THTMLControlTag result;
  result.Type = UpperCase(HTMLQuotedValue(Tag, upper, "TYPE="));
  result.Width = HTMLQuotedValue(Tag, upper, "WIDTH=");
  result.ID = HTMLQuotedValue(Tag, upper, "ID=");
  result.Value = DecodeAngleEntities(HTMLQuotedValue(Tag, upper, "VALUE="));
  return result;
}

void ParseControlTag(const AnsiString& Tag, AnsiString& Type, AnsiString& ID, AnsiString& Value,
                     AnsiString& Width) {
  THTMLControlTag parsed = ParseControlTag(Tag);
  Type = std::move(parsed.Type);
  ID = std::move(parsed.ID);
  Value = std::move(parsed.Value);
  Width = std::move(parsed.Width);
}

bool SetHTMLControlValue(AnsiString& Text, const AnsiString& ID, const AnsiString& NewValue) {
  const AnsiString upper = UpperCase(Text);
  size_t from = 0;
  for (;;) {
    const size_t start = upper.find("<CONTROL ", from);
    if (start == AnsiString::npos) return false;
    const size_t close = Text.find('>', start);
    if (close == AnsiString::npos) return false;
    const THTMLControlTag tag = ParseControlTag(Text.substr(start, close - start + 1));
    if (tag.ID == ID) {
      const AnsiString marker = "<CONTROL ID=\"" + tag.ID + "\" VALUE=\"" + EncodeAngleEntities(NewValue) +
                                "\" WIDTH=\"" + tag.Width + "\" TYPE=\"" + tag.Type + "\">";
      Text = Text.substr(0, start) + marker + Text.substr(close + 1);
      return true;
    }
    from = close + 1;
  }
}
