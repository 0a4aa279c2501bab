// DrawText: lines, word wrapping, tabs, the "&" prefix, ellipsis and the
// measuring mode, laid out with the canvas's own text measures so that it
// behaves the same on every canvas.

#include <algorithm>

#include "platform/gfx/Graphics.h"

namespace {

constexpr int kTabColumns = 8;

// The calls that differ between code-page and wide text.
int Measure(TCanvas& c, const AnsiString& s) { return c.TextWidth(s); }
int Measure(TCanvas& c, const WideString& s) { return c.TextWidthW(s); }
void Out(TCanvas& c, int x, int y, const AnsiString& s) { c.ExtTextOut(x, y, 0, nullptr, s); }
void Out(TCanvas& c, int x, int y, const WideString& s) { c.ExtTextOutW(x, y, 0, nullptr, s); }
std::vector<int> Ends(TCanvas& c, const AnsiString& s) { return c.CharacterEnds(s); }
std::vector<int> Ends(TCanvas& c, const WideString& s) { return c.CharacterEndsW(s); }
bool InkWithin(TCanvas& c, const AnsiString& s, int x, int y, const TRect& r) {
  return c.TextInkWithin(s, x, y, r);
}
bool InkWithin(TCanvas&, const WideString&, int, int, const TRect&) { return false; }

// One line to show: its text and, for each character, whether the "&"
// prefix asked for it to be underlined.
template <class S>
struct Line {
  S text;
  std::vector<int> underlined;  // character indices
};

// Removes the prefix marks: "&&" stands for "&", "&x" underlines x and a
// lone "&" at the end disappears.
template <class S>
Line<S> StripPrefix(const S& text) {
  Line<S> line;
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

template <class S>
class Layout {
 public:
  Layout(TCanvas& canvas, unsigned format) : canvas_(canvas), format_(format) {
    TTextMetric tm = canvas.GetTextMetrics();
    lineHeight_ = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    tabWidth_ = kTabColumns * std::max(1, tm.tmAveCharWidth);
  }

  int LineHeight() const { return lineHeight_; }

  // Width with tabs expanded to the tab stops when asked.
  int Width(const S& text) const {
    if (text.empty()) return 0;
    if (!(format_ & DT_EXPANDTABS) || text.find('\t') == S::npos) return Measure(canvas_, text);
    int x = 0;
    size_t start = 0;
    for (;;) {
      size_t tab = text.find('\t', start);
      x += Measure(canvas_, text.substr(start, tab - start));
      if (tab == S::npos) return x;
      x = (x / tabWidth_ + 1) * tabWidth_;
      start = tab + 1;
    }
  }

  // Breaks one paragraph into lines no wider than Width at blanks; a word
  // too long for a line stays whole unless DT_EDITCONTROL, which breaks it.
  std::vector<S> Wrap(const S& paragraph, int width) const {
    std::vector<S> lines;
    S rest = paragraph;
    while (!rest.empty()) {
      if (Width(rest) <= width) {
        lines.push_back(rest);
        break;
      }
      // The longest prefix that fits and ends before a blank.
      size_t cut = S::npos;
      for (size_t i = 1; i <= rest.size(); ++i) {
        if ((i == rest.size() || rest[i] == ' ') && rest[i - 1] != ' ') {
          if (Width(rest.substr(0, i)) <= width)
            cut = i;
          else
            break;
        }
      }
      if (cut == S::npos) {
        size_t wordEnd = rest.find(' ');
        if (wordEnd == S::npos) wordEnd = rest.size();
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

  S Ellipsis(const S& text, int width) const {
    if (Width(text) <= width) return text;
    const S dots(3, '.');
    // The longest start that fits with the dots, found by halving so that
    // a long text costs a few measurements instead of one per character.
    size_t fits = 0, over = text.size();
    while (over - fits > 1) {
      const size_t mid = fits + (over - fits) / 2;
      if (Width(text.substr(0, mid) + dots) > width)
        over = mid;
      else
        fits = mid;
    }
    return text.substr(0, fits) + dots;
  }

 private:
  TCanvas& canvas_;
  unsigned format_;
  int lineHeight_ = 0;
  int tabWidth_ = 0;
};

template <class S>
std::vector<S> SplitParagraphs(const S& text) {
  std::vector<S> result;
  S current;
  for (size_t i = 0; i < text.size(); ++i) {
    auto ch = text[i];
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

// Where the drawing of lines starts from the top of the box.
int FirstLineTop(const TRect& rect, unsigned format, int lineHeight) {
  if (!(format & DT_SINGLELINE)) return rect.Top;
  if (format & DT_VCENTER) return rect.Top + (rect.Height() - lineHeight) / 2;
  if (format & DT_BOTTOM) return rect.Bottom - lineHeight;
  return rect.Top;
}

// The start of a line of the given width in the box.
int LineLeft(const TRect& rect, unsigned format, int lineWidth) {
  if (format & DT_CENTER) return rect.Left + (rect.Width() - lineWidth) / 2;
  if (format & DT_RIGHT) return rect.Right - lineWidth;
  return rect.Left;
}

// The drawn height returned for lines ending at Bottom.
int DrawnHeight(const TRect& rect, unsigned format, int bottom, int textHeight) {
  if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) return bottom - rect.Top;
  return textHeight;
}

// A text shown as one line as it stands (a cell, a caption): no prefix to
// take out, no tab to expand, no ellipsis to add. It is measured once and
// drawn without copies; false for any other text.
template <class S>
bool LayOutPlainLine(TCanvas& canvas, const Layout<S>& layout, const S& text, TRect& rect, unsigned format,
                     int& height) {
  if (!(format & DT_SINGLELINE)) return false;
  if (!(format & DT_NOPREFIX) && text.find('&') != S::npos) return false;
  if ((format & DT_EXPANDTABS) && text.find('\t') != S::npos) return false;
  const int lineHeight = layout.LineHeight();
  const int lineWidth = layout.Width(text);
  if ((format & DT_END_ELLIPSIS) && lineWidth > rect.Width()) return false;
  if (format & DT_CALCRECT) {
    rect.Right = rect.Left + lineWidth;
    rect.Bottom = rect.Top + lineHeight;
    height = lineHeight;
    return true;
  }
  const int y = FirstLineTop(rect, format, lineHeight);
  height = DrawnHeight(rect, format, y + lineHeight, lineHeight);
  if (text.empty()) return true;
  const int x = LineLeft(rect, format, lineWidth);
  // A text that falls within its box (a cell's, mostly) is drawn without
  // narrowing the clip to it.
  int saved = 0;
  if (!(format & DT_NOCLIP) && !InkWithin(canvas, text, x, y, rect)) {
    saved = canvas.SaveDC();
    canvas.IntersectClipRect(rect);
  }
  const unsigned oldAlign = canvas.GetTextAlign();
  canvas.SetTextAlign(TA_LEFT | TA_TOP);
  Out(canvas, x, y, text);
  canvas.SetTextAlign(oldAlign);
  if (saved) canvas.RestoreDC(saved);
  return true;
}

template <class S>
int LayOut(TCanvas& canvas, const S& text, TRect& rect, unsigned format) {
  Layout<S> layout(canvas, format);
  if (int height = 0; LayOutPlainLine(canvas, layout, text, rect, format, height)) return height;
  const int width = rect.Width();
  const bool single = format & DT_SINGLELINE;

  // Lines before the prefix marks come out, so that "&" costs no width.
  std::vector<S> rawLines;
  if (single) {
    rawLines.push_back(text);
  } else {
    for (const S& paragraph : SplitParagraphs(text)) {
      if (format & DT_WORDBREAK) {
        // Wrap on the text as shown, then carry the marks along.
        Line<S> shown = (format & DT_NOPREFIX) ? Line<S>{paragraph, {}} : StripPrefix(paragraph);
        std::vector<S> wrapped = layout.Wrap(shown.text, width);
        if (format & DT_NOPREFIX) {
          rawLines.insert(rawLines.end(), wrapped.begin(), wrapped.end());
        } else {
          // Re-mark the underlined characters in each wrapped piece.
          size_t offset = 0;
          for (const S& piece : wrapped) {
            size_t at = shown.text.find(piece, offset);
            S marked;
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

  std::vector<Line<S>> lines;
  for (const S& raw : rawLines) {
    Line<S> line = (format & DT_NOPREFIX) ? Line<S>{raw, {}} : StripPrefix(raw);
    if (format & DT_END_ELLIPSIS) {
      S shortened = layout.Ellipsis(line.text, width);
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
  for (const Line<S>& line : lines) widest = std::max(widest, layout.Width(line.text));

  if (format & DT_CALCRECT) {
    rect.Right = rect.Left + widest;
    rect.Bottom = rect.Top + textHeight;
    return textHeight;
  }

  int y = FirstLineTop(rect, format, lineHeight);

  // Empty lines show nothing: a sheet's empty cells cost no clip or text.
  const bool blank = std::all_of(lines.begin(), lines.end(), [](const Line<S>& l) { return l.text.empty(); });
  if (blank) return DrawnHeight(rect, format, y + lineHeight, textHeight);

  int saved = 0;
  if (!(format & DT_NOCLIP)) {
    saved = canvas.SaveDC();
    canvas.IntersectClipRect(rect);
  }
  unsigned oldAlign = canvas.GetTextAlign();
  canvas.SetTextAlign(TA_LEFT | TA_TOP);
  int ascent = canvas.GetTextMetrics().tmAscent;
  for (const Line<S>& line : lines) {
    const int x = LineLeft(rect, format, layout.Width(line.text));
    if ((format & DT_EXPANDTABS) && line.text.find('\t') != S::npos) {
      size_t start = 0;
      int cx = x;
      for (;;) {
        size_t tab = line.text.find('\t', start);
        S piece = line.text.substr(start, tab - start);
        Out(canvas, cx, y, piece);
        if (tab == S::npos) break;
        cx = x + layout.Width(line.text.substr(0, tab + 1));
        start = tab + 1;
      }
    } else {
      Out(canvas, x, y, line.text);
    }
    if (!line.underlined.empty()) {
      std::vector<int> ends = Ends(canvas, line.text);
      TBrush oldBrush = *canvas.Brush;
      canvas.Brush->Color = canvas.Font->Color;
      canvas.Brush->Style = bsSolid;
      for (int index : line.underlined) {
        if (index >= static_cast<int>(ends.size())) continue;
        int left = index == 0 ? 0 : ends[index - 1];
        canvas.FillRect({x + left, y + ascent + 1, x + ends[index], y + ascent + 2});
      }
      *canvas.Brush = oldBrush;
    }
    y += lineHeight;
  }
  canvas.SetTextAlign(oldAlign);
  if (saved) canvas.RestoreDC(saved);
  return DrawnHeight(rect, format, y, textHeight);
}

}  // namespace

int TCanvas::DrawText(const AnsiString& text, TRect& rect, unsigned format) {
  return LayOut(*this, text, rect, format);
}

int TCanvas::DrawTextW(const WideString& text, TRect& rect, unsigned format) {
  return LayOut(*this, text, rect, format);
}
