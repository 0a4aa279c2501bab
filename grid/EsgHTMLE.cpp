// HTMLDraw: the mini-HTML text laid out line by line. Each line is first
// measured (which also cuts its markup from the text), then placed by the
// paragraph's alignment and drawn or hit-tested with the style it started
// with.

#include <algorithm>

#include "grid/EsgHTMLERender.h"

namespace esghtml {

namespace {

// The first "<#" loses its "<" and the first ">" after it, so that the text
// between shows as it is; carriage returns break lines, line feeds go.
AnsiString PrepareMarkup(const AnsiString& text) {
  AnsiString s = text.find('&') != AnsiString::npos ? ReplaceHTMLEntities(text) : text;
  const size_t marker = s.find("<#");
  if (marker != AnsiString::npos) {
    s.erase(marker, 1);
    const size_t close = s.find('>', marker);
    if (close != AnsiString::npos) s.erase(close, 1);
  }
  if (s.find_first_of("\r\n") == AnsiString::npos) return s;
  AnsiString out;
  out.reserve(s.size() + 16);
  for (char ch : s) {
    if (ch == '\r')
      out += "<BR>";
    else if (ch != '\n')
      out += ch;
  }
  return out;
}

}  // namespace

TRenderer::TRenderer(TCallArgs& args, AnsiString text)
    : a_(args), c_(args.Canvas), text_(PrepareMarkup(text)) {}

int TRenderer::TextFlags() const {
  return DT_BOTTOM | DT_SINGLELINE | DT_EXPANDTABS | DT_EXTERNALLEADING | (a_.WordWrap ? 0 : DT_END_ELLIPSIS);
}

int TRenderer::RunBottom(const TRect& rect) const {
  int bottom = rect.Bottom - line_.ExtraBelow;
  if (style_.Subscript) bottom += line_.ExtraBelow;
  if (style_.Superscript) bottom -= line_.ExtraAbove;
  return bottom - line_.ImageOffset;
}

bool TRenderer::Run() {
  baseFont_.Assign(*c_.Font);
  startBrush_ = *c_.Brush;
  ghHeight_ = c_.TextHeight("gh");
  const int saved = c_.SaveDC();
  if (!a_.MeasureOnly) c_.IntersectClipRect(a_.Bounds);
  c_.Brush->Style = bsClear;

  bool result = false;
  bool brokeAtEnd = false;
  TRect lastLine;
  TRect lineRect = a_.Bounds;
  if (!a_.PanelRules) lineRect.Left += 1;
  int top = a_.Bounds.Top;
  std::string_view rest = text_;
  while (!rest.empty()) {
    line_ = TLine{};
    line_.Height = c_.TextHeight("gh");
    // The line's drawing pass starts in the font and brush the previous
    // line ended with, so bold, colours and backgrounds run on over breaks.
    style_.Font.Assign(*c_.Font);
    style_.Brush = *c_.Brush;
    const TStyle lineStart = style_;
    const size_t before = rest.size();
    const AnsiString markup = MeasureLine(rest, {lineRect.Left, top, lineRect.Right, a_.Bounds.Bottom});
    if (rest.size() == before) rest.remove_prefix(1);  // never stall on markup that takes no room
    // A break that ends the text starts an empty line (the panel counts it).
    brokeAtEnd = line_.Ended && rest.empty();

    int left = lineRect.Left;
    const int width = line_.X;
    if (style_.Alignment == 1 && lineRect.Right - width > left) left = lineRect.Right - width;
    if (style_.Alignment == 2 && lineRect.Right - left - width > 0)
      left += (lineRect.Right - left - width) / 2;
    left += style_.Indent;
    const int bottom = top + line_.Height + line_.ExtraBelow + line_.ExtraAbove;

    if (!a_.MeasureOnly) {
      style_ = lineStart;
      c_.Font->Assign(style_.Font);
      *c_.Brush = style_.Brush;
      anchorHit_ = objectHit_ = false;
      lastLine = {left, top, lineRect.Right, bottom};
      DrawLine(markup, lastLine);
      const int textBottom = bottom - (a_.PanelRules ? line_.ExtraBelow : line_.ImageOffset);
      if ((anchorHit_ && a_.MouseY > textBottom - ghHeight_ && a_.MouseY < textBottom) || objectHit_)
        result = true;
    }
    a_.ExtentY += bottom - top;
    top = bottom;
    ++lineIndex_;
    const bool laysOutAll = a_.MeasureOnly || (a_.PanelRules && a_.HitTestOnly);
    if (!laysOutAll && top + ghHeight_ > a_.Bounds.Bottom) break;
  }
  // An anchor under the mouse that the text leaves open ends with it, so a
  // hit always comes with the anchor's number.
  if (!a_.MeasureOnly && style_.InAnchor && style_.AnchorUnderMouse && a_.MouseAnchorNumber < 0)
    RecordMouseAnchor(lastLine, lineIndex_ - 1);
  if (a_.PanelRules && brokeAtEnd && rest.empty()) a_.ExtentY += ghHeight_;
  if (a_.ExtentY == 0) a_.ExtentY = ghHeight_;
  c_.RestoreDC(saved);
  return result;
}

AnsiString TRenderer::MeasureLine(std::string_view& rest, const TRect& rect) {
  AnsiString markup;
  drawingPass_ = false;
  runX_ = rect.Left;
  while (!rest.empty() && !line_.Ended) {
    if (rest[0] != '<') {
      if (!TextRun(rest, rect, false, &markup)) break;
      continue;
    }
    TagAt(rest, rect, false, &markup);
  }
  EndLine(rect, false);
  return markup;
}

void TRenderer::DrawLine(std::string_view markup, const TRect& rect) {
  drawingPass_ = true;
  runX_ = rect.Left;
  if (style_.FocusOpen) style_.FocusLeft = rect.Left + 1;
  if (style_.ParagraphBack && !a_.HitTestOnly)
    FillBand({a_.Bounds.Left, rect.Top, a_.Bounds.Right, rect.Top + line_.Height}, c_.Brush->Color);
  line_.Ended = false;
  line_.BreakPending = false;
  line_.HoldsListItem = false;
  while (!markup.empty()) {
    if (markup[0] != '<')
      TextRun(markup, rect, true, nullptr);
    else
      TagAt(markup, rect, true, nullptr);
  }
  EndLine(rect, true);
}

void TRenderer::EndLine(const TRect& rect, bool drawing) {
  if (!drawing) {
    line_.X -= line_.TrailingBlank;
    a_.ExtentX = std::max(a_.ExtentX, line_.X);
    return;
  }
  if (style_.InAnchor && style_.AnchorCount - 1 == a_.FocusAnchorIndex && style_.FocusOpen) {
    const int bottom = RunBottom(rect);
    FocusFrame({style_.FocusLeft - 1, bottom - ghHeight_, runX_ + 1, bottom});
  }
}

void TRenderer::FocusFrame(const TRect& frame) {
  if (!a_.HitTestOnly) c_.DrawFocusRect(frame);
  if (a_.FocusRect) *a_.FocusRect = frame;
}

// One run of text, up to the next tag (with word wrap, up to and including
// the next blank). False when the line ends before it.
bool TRenderer::TextRun(std::string_view& rest, const TRect& rect, bool drawing, AnsiString* lineMarkup) {
  size_t end = std::min(rest.find('<'), rest.size());
  if (a_.WordWrap) {
    const size_t blank = rest.find(' ');
    if (blank != std::string_view::npos && blank < end) end = blank + 1;
  }
  const std::string_view raw = rest.substr(0, end);
  const AnsiString run = DecodeRunEntities(AnsiString(raw));

  const int h = c_.TextHeight(run);
  if (style_.Subscript) line_.ExtraBelow = std::max(line_.ExtraBelow, h / 4);
  if (style_.Superscript) line_.ExtraAbove = std::max(line_.ExtraAbove, h / 4);
  line_.Height = std::max(line_.Height, h);
  if (!drawing) a_.PlainText += run;

  if (style_.Hidden) {
    if (lineMarkup) lineMarkup->append(raw);
    rest.remove_prefix(end);
    return true;
  }

  if (drawing) {
    TRect r{runX_, rect.Top, rect.Right, RunBottom(rect)};
    if (!a_.HitTestOnly) {
      if (style_.Shadow) {
        const TColor colour = c_.Font->Color;
        c_.Font->Color = a_.ShadowColour;
        TRect shadow = OffsetRect(r, a_.ShadowOffset, a_.ShadowOffset);
        c_.DrawText(run, shadow, TextFlags());
        c_.Font->Color = colour;
      }
      TRect drawn = r;
      c_.DrawText(run, drawn, TextFlags());
    }
    TRect measured = r;
    c_.DrawText(run, measured, TextFlags() | DT_CALCRECT);
    const int w = measured.Width();
    if (style_.InAnchor && style_.AnchorCount - 1 == a_.FocusAnchorIndex)
      a_.FocusedHref = style_.AnchorTarget;
    if (style_.ErrorMark && !a_.HitTestOnly) {
      std::vector<TPoint> zigzag;
      const int right = runX_ + w;
      bool up = true;
      for (int x = runX_ & ~1; x <= right; x += 2, up = !up) zigzag.push_back({x, r.Bottom + (up ? -1 : 1)});
      const TPen pen = *c_.Pen;
      c_.Pen->Color = clRed;
      c_.Pen->Width = 1;
      c_.Pen->Style = psSolid;
      if (zigzag.size() >= 2) c_.Polyline(zigzag);
      *c_.Pen = pen;
    }
    if (style_.InAnchor && a_.MouseX >= runX_ && a_.MouseX <= runX_ + w && a_.MouseY > rect.Top &&
        a_.MouseY < rect.Bottom) {
      anchorHit_ = true;
      a_.HitAnchor = style_.AnchorTarget;
      style_.AnchorUnderMouse = true;
    }
    Advance(runX_, w);
    rest.remove_prefix(end);
    return true;
  }

  TRect measured = rect;
  c_.DrawText(run, measured, TextFlags() | DT_CALCRECT);
  const int w = measured.Width();
  Advance(line_.X, w);
  const int available = AvailableWidth(rect);
  bool fits = line_.X < available || available <= w;
  if (!fits && (line_.Text.empty() || line_.Text.back() != ' ')) fits = true;
  if (fits || !a_.WordWrap) {
    if (lineMarkup) lineMarkup->append(raw);
    line_.Text += run;
    line_.TrailingBlank = !run.empty() && run.back() == ' ' ? c_.TextWidth(" ") : 0;
    rest.remove_prefix(end);
    // Without wrapping, a run that overflows after others ends the text.
    if (!fits && line_.Text.size() > run.size()) rest = {};
    return true;
  }
  line_.Ended = true;
  Advance(line_.X, -w);
  return false;
}

void TRenderer::TagAt(std::string_view& rest, const TRect& rect, bool drawing, AnsiString* lineMarkup) {
  if (rest.size() <= 2) {
    rest = {};
    return;
  }
  const size_t close = rest.find('>');
  const AnsiString tag(rest.substr(0, close == std::string_view::npos ? rest.size() : close + 1));
  line_.BreakPending = false;
  if (tag[1] == '/')
    CloseTag(tag, rect, drawing);
  else
    OpenTag(tag, rect, drawing);
  if (close == std::string_view::npos) {
    rest = {};
  } else if (!line_.BreakPending || drawing) {
    if (lineMarkup) lineMarkup->append(tag);
    rest.remove_prefix(close + 1);
  } else {
    line_.Ended = true;
  }
}

}  // namespace esghtml

bool HTMLDraw(TCanvas& Canvas, const AnsiString& Text, const TRect& Bounds, TCustomImageList* ImageList,
              int MouseX, int MouseY, int FocusAnchorIndex, int HoverAnchorNumber, int ShadowOffset,
              bool HitTestOnly, bool MeasureOnly, bool Printing, bool KeepColours, bool BlinkVisible,
              bool HoverEnabled, bool WordWrap, bool MouseDown, double PrintScale, TColor AnchorColour,
              TColor HoverBackColour, TColor HoverTextColour, TColor ShadowColour, AnsiString& HitAnchor,
              AnsiString& PlainText, AnsiString& FocusedHref, int& ExtentX, int& ExtentY, int& AnchorCount,
              int& MouseAnchorNumber, TRect& MouseAnchorRect, TRect& ControlRect, AnsiString& ControlID,
              AnsiString& ControlValue, AnsiString& ControlType, THTMLPictureCache* PictureCache,
              TPictureContainer* PictureContainer, HWND WindowHandle) {
  HitAnchor.clear();
  PlainText.clear();
  FocusedHref.clear();
  ControlID.clear();
  ControlValue.clear();
  ControlType.clear();
  ExtentX = ExtentY = AnchorCount = 0;
  MouseAnchorNumber = -1;
  MouseAnchorRect = {};
  ControlRect = {};
  esghtml::TCallArgs args{Canvas,       Bounds,           ImageList,         MouseX,
                          MouseY,       FocusAnchorIndex, HoverAnchorNumber, ShadowOffset,
                          HitTestOnly,  MeasureOnly,      Printing,          KeepColours,
                          BlinkVisible, HoverEnabled,     WordWrap,          MouseDown,
                          PrintScale,   AnchorColour,     HoverBackColour,   HoverTextColour,
                          ShadowColour, HitAnchor,        PlainText,         FocusedHref,
                          ExtentX,      ExtentY,          MouseAnchorNumber, MouseAnchorRect,
                          ControlRect,  ControlID,        ControlValue,      ControlType,
                          PictureCache, PictureContainer};
  args.WindowHandle = WindowHandle;
  esghtml::TRenderer renderer(args, Text);
  const bool result = renderer.Run();
  AnchorCount = renderer.AnchorCount();
  return result;
}
