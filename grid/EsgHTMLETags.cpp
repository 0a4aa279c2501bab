// The tags of the mini-HTML renderer: styles, anchors, fonts, paragraphs,
// lists and rotation. Pictures and control markers are in
// EsgHTMLEImages.cpp.

#include <algorithm>

#include "grid/EsgHTMLERender.h"

namespace esghtml {

int LeadingNumber(const AnsiString& text) {
  long long n = 0;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    n = std::min(n * 10 + (text[i] - '0'), 1000000LL);
  return static_cast<int>(negative ? -n : n);
}

bool ValidNumber(const AnsiString& text, int& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != AnsiString::npos)
    return false;
  value = LeadingNumber(text);
  return true;
}

void TRenderer::SetBrush(TColor color) {
  if (color == clNone) {
    c_.Brush->Style = bsClear;
  } else {
    c_.Brush->Style = bsSolid;
    c_.Brush->Color = color;
  }
}

TColor TRenderer::BrushOrNone() const { return c_.Brush->Style == bsClear ? clNone : c_.Brush->Color; }

void TRenderer::FillBand(const TRect& band, TColor color) {
  const TBrush brush = *c_.Brush;
  const TPen pen = *c_.Pen;
  c_.Brush->Style = bsSolid;
  c_.Brush->Color = color;
  c_.Pen->Color = color;
  c_.FillRect(band);
  *c_.Brush = brush;
  *c_.Pen = pen;
}

void TRenderer::OpenTag(const AnsiString& tag, const TRect& rect, bool drawing) {
  const char first = UpCase(tag[1]);
  const char second = tag.size() > 2 ? UpCase(tag[2]) : '\0';
  TFont& font = *c_.Font;
  switch (first) {
    case 'A':
      AnchorTag(tag, rect, drawing);
      break;
    case 'B':
      if (second == '>') {
        font.Style |= fsBold;
      } else if (second == 'R') {
        line_.Ended = true;
        if (!drawing) a_.PlainText += '\r';
      } else if (second == 'L') {
        if (!a_.BlinkVisible) font.Color = startBrush_.Color;
      } else if (second == 'O') {
        BodyTag(AnsiUpperCase(tag), drawing);
      }
      break;
    case 'C':
      if (!a_.PanelRules) ControlTag(tag, rect, drawing);
      break;
    case 'E':
      if (drawing) style_.ErrorMark = true;
      break;
    case 'F':
      FontTag(AnsiUpperCase(tag), drawing);
      break;
    case 'H':
      if (second == 'I') {
        if (drawing) {
          style_.HiFont = font.Color;
          style_.HiBrush = BrushOrNone();
          SetBrush(clHighlight);
          font.Color = clHighlightText;
        }
      } else if (second == 'R') {
        line_.Ended = true;
        if (drawing && !a_.HitTestOnly) {
          const TPen pen = *c_.Pen;
          c_.Pen->Color = clBlack;
          c_.Pen->Style = psSolid;
          const int y = RunBottom(rect) + 1;
          c_.MoveTo(rect.Left, y);
          c_.LineTo(rect.Right, y);
          *c_.Pen = pen;
        }
      }
      break;
    case 'I':
      if (second == '>') {
        font.Style |= fsItalic;
      } else if (second == 'N') {
        int n = 0;
        if (ValidNumber(HTMLQuotedValue(tag, UpperCase(tag), "X"), n)) {
          if (!drawing && n > line_.X) line_.X = n;
          if (drawing && a_.Bounds.Left + n > runX_) runX_ = a_.Bounds.Left + n;
        }
      } else if (second == 'M') {
        ImageTag(AnsiUpperCase(tag), rect, drawing);
      }
      break;
    case 'L':
      ListItemTag(rect, drawing);
      break;
    case 'P':
      ParagraphTag(AnsiUpperCase(tag), rect, drawing);
      break;
    case 'R':
      RotationTag(tag);
      break;
    case 'S': {
      const AnsiString upper = UpperCase(tag.substr(0, 5));
      if (upper == "<SUB>")
        style_.Subscript = true;
      else if (upper == "<SUP>")
        style_.Superscript = true;
      else if (second == '>')
        font.Style |= fsStrikeOut;
      else if (second == 'H')
        style_.Shadow = true;
      break;
    }
    case 'U':
      if (second == '>')
        font.Style |= fsUnderline;
      else
        ++style_.ListLevel;
      break;
    case 'Z':
      style_.Hidden = true;
      break;
    default:
      break;
  }
}

void TRenderer::CloseTag(const AnsiString& tag, const TRect& rect, bool drawing) {
  const char first = tag.size() > 2 ? UpCase(tag[2]) : '\0';
  const char second = tag.size() > 3 ? UpCase(tag[3]) : '\0';
  TFont& font = *c_.Font;
  switch (first) {
    case 'A':
      CloseAnchor(rect, drawing);
      break;
    case 'B':
      if (second == '>')
        font.Style &= ~fsBold;
      else
        font.Color = baseFont_.Color;
      break;
    case 'E':
      if (drawing) style_.ErrorMark = false;
      break;
    case 'F':
      font.Name = baseFont_.Name;
      font.SetHeight(baseFont_.Height());
      if (drawing && !a_.KeepColours) {
        font.Color = baseFont_.Color;
        SetBrush(style_.FontBackBrush);
      }
      break;
    case 'H':
      if (drawing) {
        font.Color = style_.HiFont == clNone ? font.Color : style_.HiFont;
        SetBrush(style_.HiBrush);
      }
      break;
    case 'I':
      font.Style &= ~fsItalic;
      break;
    case 'P':
      if (!a_.PanelRules) line_.Ended = true;
      if (drawing) {
        SetBrush(style_.ParagraphBrush);
        style_.ParagraphBack = false;
      }
      break;
    case 'R':
      if (!style_.Unrotated.empty()) {
        font.Assign(style_.Unrotated.back());
        style_.Unrotated.pop_back();
      }
      break;
    case 'S':
      if (second == 'U') {
        style_.Subscript = style_.Superscript = false;
      } else if (second == 'H') {
        style_.Shadow = false;
      } else {
        font.Style &= ~fsStrikeOut;
      }
      break;
    case 'U':
      if (second == '>' || style_.ListLevel <= 0)
        font.Style &= ~fsUnderline;
      else
        --style_.ListLevel;
      break;
    case 'Z':
      style_.Hidden = false;
      break;
    default:
      break;
  }
}

void TRenderer::AnchorTag(const AnsiString& tag, const TRect& rect, bool drawing) {
  // An anchor still open ends where the next begins, so the one under the
  // mouse keeps its number.
  if (style_.InAnchor) CloseAnchor(rect, drawing);
  style_.AnchorTarget = HTMLQuotedValue(tag, tag, "");
  if (drawing && style_.AnchorCount == a_.FocusAnchorIndex) {
    style_.FocusOpen = true;
    style_.FocusLeft = runX_;
  }
  ++style_.AnchorCount;
  style_.InAnchor = true;
  style_.AnchorUnderMouse = false;
  style_.AnchorStartX = runX_;
  style_.AnchorStartLine = lineIndex_;
  style_.AnchorHighlighted = !a_.HoverEnabled || style_.AnchorCount == a_.HoverAnchorNumber;
  TFont& font = *c_.Font;
  if (style_.AnchorHighlighted && drawing) {
    font.Style |= fsUnderline;
    if (a_.HoverBackColour != clNone) {
      style_.AnchorBrush = BrushOrNone();
      SetBrush(a_.HoverBackColour);
    }
    if (a_.HoverTextColour != clNone) {
      style_.AnchorFont = font.Color;
      font.Color = a_.HoverTextColour;
    }
  }
  if (!a_.KeepColours && !(style_.AnchorHighlighted && a_.HoverTextColour != clNone && a_.HoverEnabled))
    font.Color = a_.AnchorColour;
}

void TRenderer::CloseAnchor(const TRect& rect, bool drawing) {
  TFont& font = *c_.Font;
  if (style_.AnchorHighlighted && drawing) {
    font.Style &= ~fsUnderline;
    if (a_.HoverBackColour != clNone) SetBrush(style_.AnchorBrush);
    if (a_.HoverTextColour != clNone) font.Color = style_.AnchorFont;
  }
  if (!a_.KeepColours) font.Color = baseFont_.Color;
  if (!style_.InAnchor) return;
  style_.InAnchor = false;
  if (drawing && style_.AnchorUnderMouse) RecordMouseAnchor(rect, lineIndex_);
  style_.AnchorUnderMouse = false;
  if (drawing && style_.AnchorCount - 1 == a_.FocusAnchorIndex && style_.FocusOpen) {
    const int bottom = RunBottom(rect);
    FocusFrame({style_.FocusLeft - 1, bottom - ghHeight_, runX_ + 1, bottom});
    style_.FocusOpen = false;
  }
}

void TRenderer::RecordMouseAnchor(const TRect& rect, int line) {
  const int left = style_.AnchorStartLine == line ? style_.AnchorStartX : rect.Left;
  a_.MouseAnchorRect = {left, rect.Top, runX_, rect.Bottom};
  a_.MouseAnchorNumber = style_.AnchorCount;
}

void TRenderer::FontTag(const AnsiString& upper, bool drawing) {
  TFont& font = *c_.Font;
  if (upper.find("FACE=") != AnsiString::npos) font.Name = HTMLQuotedValue(upper, upper, "FACE=");
  if (!a_.KeepColours && upper.find(" COLOR") != AnsiString::npos)
    font.Color = HTMLAttributeColor(HTMLQuotedValue(upper, upper, " COLOR"));
  if (drawing && !a_.KeepColours && upper.find("BGCOLOR") != AnsiString::npos) {
    style_.FontBackBrush = BrushOrNone();
    SetBrush(HTMLAttributeColor(HTMLQuotedValue(upper, upper, "BGCOLOR")));
  }
  const size_t size = upper.find("SIZE");
  if (size != AnsiString::npos) {
    const size_t eq = upper.find('=', size);
    const size_t quote = eq == AnsiString::npos ? AnsiString::npos : upper.find('"', eq);
    if (quote != AnsiString::npos) {
      static const int steps[] = {8, 10, 12, 14, 16};
      int n = LeadingNumber(upper.substr(quote + 1));
      if (n >= 1 && n <= 5)
        n = steps[n - 1];
      else if (n <= 0)
        n = baseFont_.Size();
      font.SetSize(std::min(n, 1000));
    }
  }
}

void TRenderer::ParagraphTag(const AnsiString& upper, const TRect& rect, bool drawing) {
  if (upper.find("ALIGN") != AnsiString::npos) {
    // The word that comes last wins.
    const struct {
      const char* word;
      int alignment;
    } words[] = {{"RIGHT", 1}, {"LEFT", 0}, {"CENTER", 2}};
    size_t last = 0;
    bool any = false;
    for (const auto& w : words) {
      const size_t at = upper.rfind(w.word);
      if (at != AnsiString::npos && (!any || at > last)) {
        last = at;
        any = true;
        style_.Alignment = w.alignment;
      }
    }
  }
  if (upper.find("INDENT") != AnsiString::npos)
    style_.Indent = LeadingNumber(HTMLQuotedValue(upper, upper, "INDENT"));
  if (drawing && upper.find("BGCOLOR") != AnsiString::npos) {
    style_.ParagraphBack = true;
    style_.ParagraphBrush = BrushOrNone();
    SetBrush(HTMLAttributeColor(HTMLQuotedValue(upper, upper, "BGCOLOR")));
    if (!a_.HitTestOnly)
      FillBand({a_.Bounds.Left, rect.Top, a_.Bounds.Right, rect.Top + line_.Height}, c_.Brush->Color);
  }
}

void TRenderer::ListItemTag(const TRect& rect, bool drawing) {
  if (line_.HoldsListItem && !drawing) {
    line_.BreakPending = true;
    return;
  }
  line_.HoldsListItem = true;
  Advance(line_.X, style_.ListLevel * 12LL);
  Advance(runX_, (style_.ListLevel - 1) * 12LL);
  if (drawing && !a_.HitTestOnly) {
    TFont& font = *c_.Font;
    const AnsiString name = font.Name;
    font.Name = "Symbol";
    TRect bullet{runX_, rect.Top, rect.Right, rect.Bottom};
    c_.DrawText(style_.ListLevel % 2 != 0 ? AnsiString("\xB7") : AnsiString("o"), bullet, 0);
    font.Name = name;
  }
  Advance(runX_, 12);
}

void TRenderer::RotationTag(const AnsiString& tag) {
  const AnsiString upper = UpperCase(tag);
  if (upper.find('A') == AnsiString::npos) return;
  const int angle = LeadingNumber(HTMLQuotedValue(tag, upper, "A"));
  style_.Unrotated.push_back(*c_.Font);
  c_.Font->Orientation = (angle % 360) * 10;
}

}  // namespace esghtml
