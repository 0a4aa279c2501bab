// DrawText: lines, word wrapping, tabs, the "&" prefix, ellipsis and the
// measuring mode, laid out with the canvas's own text measures so that it
// behaves the same on every canvas.

#include <algorithm>

#include "platform/gfx/Graphics.h"

namespace {

constexpr int kTabColumns = 8;

// One line to show: its text and, for each character, whether the "&"
// prefix asked for it to be underlined.
struct Line {
  AnsiString text;
  std::vector<int> underlined;  // character indices
};

// Removes the prefix marks: "&&" stands for "&", "&x" underlines x and a
// lone "&" at the end disappears.
Line StripPrefix(const AnsiString& text) {
  Line line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 >= text.size()) break;
      ++i;
      if (text[i] != '&') line.underlined.push_back(static_cast<int>(line.text.size()));
    }
    line.text += text[i];
  }
  return line;
}

class Layout {
 public:
  Layout(TCanvas& canvas, unsigned format) : canvas_(canvas), format_(format) {
    TTextMetric tm = canvas.GetTextMetrics();
    lineHeight_ = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    tabWidth_ = kTabColumns * std::max(1, tm.tmAveCharWidth);
  }

  int LineHeight() const { return lineHeight_; }

  // Width with tabs expanded to the tab stops when asked.
  int Width(const AnsiString& text) const {
    if (!(format_ & DT_EXPANDTABS) || text.find('\t') == AnsiString::npos) return canvas_.TextWidth(text);
    int x = 0;
    size_t start = 0;
    for (;;) {
      size_t tab = text.find('\t', start);
      x += canvas_.TextWidth(text.substr(start, tab - start));
      if (tab == AnsiString::npos) return x;
      x = (x / tabWidth_ + 1) * tabWidth_;
      start = tab + 1;
    }
  }

  // Breaks one paragraph into lines no wider than Width at blanks; a word
  // too long for a line stays whole unless DT_EDITCONTROL, which breaks it.
  std::vector<AnsiString> Wrap(const AnsiString& paragraph, int width) const {
    std::vector<AnsiString> lines;
    AnsiString rest = paragraph;
    while (!rest.empty()) {
      if (Width(rest) <= width) {
        lines.push_back(rest);
        break;
      }
      // The longest prefix that fits and ends before a blank.
      size_t cut = AnsiString::npos;
      for (size_t i = 1; i <= rest.size(); ++i) {
        if ((i == rest.size() || rest[i] == ' ') && rest[i - 1] != ' ') {
          if (Width(rest.substr(0, i)) <= width)
            cut = i;
          else
            break;
        }
      }
      if (cut == AnsiString::npos) {
        size_t wordEnd = rest.find(' ');
        if (wordEnd == AnsiString::npos) wordEnd = rest.size();
        if (format_ & DT_EDITCONTROL) {
          cut = 1;
          while (cut < wordEnd && Width(rest.substr(0, cut + 1)) <= width) ++cut;
        } else {
          cut = wordEnd;
        }
      }
      lines.push_back(rest.substr(0, cut));
      size_t next = cut;
      while (next < rest.size() && rest[next] == ' ') ++next;
      rest = rest.substr(next);
    }
    if (lines.empty()) lines.emplace_back();
    return lines;
  }

  AnsiString Ellipsis(const AnsiString& text, int width) const {
    if (Width(text) <= width) return text;
    AnsiString cut = text;
    while (!cut.empty() && Width(cut + "...") > width) cut.pop_back();
    return cut + "...";
  }

 private:
  TCanvas& canvas_;
  unsigned format_;
  int lineHeight_ = 0;
  int tabWidth_ = 0;
};

std::vector<AnsiString> SplitParagraphs(const AnsiString& text) {
  std::vector<AnsiString> result;
  AnsiString current;
  for (size_t i = 0; i < text.size(); ++i) {
    char ch = text[i];
    if (ch == '\r' || ch == '\n') {
      result.push_back(current);
      current.clear();
      if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += ch;
    }
  }
  result.push_back(current);
  return result;
}

}  // namespace

int TCanvas::DrawText(const AnsiString& text, TRect& rect, unsigned format) {
  Layout layout(*this, format);
  const int width = rect.Width();
  const bool single = format & DT_SINGLELINE;

  // Lines before the prefix marks come out, so that "&" costs no width.
  std::vector<AnsiString> rawLines;
  if (single) {
    rawLines.push_back(text);
  } else {
    for (const AnsiString& paragraph : SplitParagraphs(text)) {
      if (format & DT_WORDBREAK) {
        // Wrap on the text as shown, then carry the marks along.
        Line shown = (format & DT_NOPREFIX) ? Line{paragraph, {}} : StripPrefix(paragraph);
        std::vector<AnsiString> wrapped = layout.Wrap(shown.text, width);
        if (format & DT_NOPREFIX) {
          rawLines.insert(rawLines.end(), wrapped.begin(), wrapped.end());
        } else {
          // Re-mark the underlined characters in each wrapped piece.
          size_t offset = 0;
          for (const AnsiString& piece : wrapped) {
            size_t at = shown.text.find(piece, offset);
            AnsiString marked;
            for (size_t i = 0; i < piece.size(); ++i) {
              int index = static_cast<int>(at + i);
              if (std::find(shown.underlined.begin(), shown.underlined.end(), index) !=
                  shown.underlined.end())
                marked += '&';
              else if (piece[i] == '&')
                marked += '&';
              marked += piece[i];
            }
            rawLines.push_back(marked);
            offset = at + piece.size();
          }
        }
      } else {
        rawLines.push_back(paragraph);
      }
    }
  }

  std::vector<Line> lines;
  for (const AnsiString& raw : rawLines) {
    Line line = (format & DT_NOPREFIX) ? Line{raw, {}} : StripPrefix(raw);
    if (format & DT_END_ELLIPSIS) {
      AnsiString shortened = layout.Ellipsis(line.text, width);
      if (shortened != line.text) {
        line.text = shortened;
        std::erase_if(line.underlined, [&](int i) { return i >= static_cast<int>(shortened.size()) - 3; });
      }
    }
    lines.push_back(std::move(line));
  }

  const int lineHeight = layout.LineHeight();
  const int textHeight = lineHeight * static_cast<int>(lines.size());
  int widest = 0;
  for (const Line& line : lines) widest = std::max(widest, layout.Width(line.text));

  if (format & DT_CALCRECT) {
    rect.Right = rect.Left + widest;
    rect.Bottom = rect.Top + textHeight;
    return textHeight;
  }

  int y = rect.Top;
  if (single && (format & DT_VCENTER))
    y = rect.Top + (rect.Height() - lineHeight) / 2;
  else if (single && (format & DT_BOTTOM))
    y = rect.Bottom - lineHeight;

  int saved = 0;
  if (!(format & DT_NOCLIP)) {
    saved = SaveDC();
    IntersectClipRect(rect);
  }
  unsigned oldAlign = textAlign_;
  textAlign_ = TA_LEFT | TA_TOP;
  int ascent = GetTextMetrics().tmAscent;
  for (const Line& line : lines) {
    int lineWidth = layout.Width(line.text);
    int x = rect.Left;
    if (format & DT_CENTER)
      x = rect.Left + (width - lineWidth) / 2;
    else if (format & DT_RIGHT)
      x = rect.Right - lineWidth;
    if ((format & DT_EXPANDTABS) && line.text.find('\t') != AnsiString::npos) {
      size_t start = 0;
      int cx = x;
      for (;;) {
        size_t tab = line.text.find('\t', start);
        AnsiString piece = line.text.substr(start, tab - start);
        ExtTextOut(cx, y, 0, nullptr, piece);
        if (tab == AnsiString::npos) break;
        cx = x + layout.Width(line.text.substr(0, tab + 1));
        start = tab + 1;
      }
    } else {
      ExtTextOut(x, y, 0, nullptr, line.text);
    }
    if (!line.underlined.empty()) {
      std::vector<int> ends = CharacterEnds(line.text);
      TBrush oldBrush = *Brush;
      Brush->Color = Font->Color;
      Brush->Style = bsSolid;
      for (int index : line.underlined) {
        if (index >= static_cast<int>(ends.size())) continue;
        int left = index == 0 ? 0 : ends[index - 1];
        FillRect({x + left, y + ascent + 1, x + ends[index], y + ascent + 2});
      }
      *Brush = oldBrush;
    }
    y += lineHeight;
  }
  textAlign_ = oldAlign;
  if (saved) RestoreDC(saved);

  if (single && (format & (DT_VCENTER | DT_BOTTOM))) return y - rect.Top;
  return textHeight;
}
