// Drawing laid-out rich text keeps its storage and the canvas's font from
// piece to piece; what reaches the canvas is compared, call by call, with
// the plain way of drawing every piece on its own: a font made afresh,
// its text cut out and its advances measured for it alone, by a layout
// that keeps no measures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/ComCtrls.h"

namespace {

int Scale(int units, int to, int from) {
  return static_cast<int>(std::lround(static_cast<double>(units) * to / from));
}

// Every piece of one format between tabs and line breaks, cut where the
// selection starts and ends, drawn with a font of its own.
void PlainDraw(const TRichContent& content, const TRichLayout& layout, TCanvas& canvas,
               const std::vector<TRichLine>& lines, int x0, int y0, int selStart, int selEnd,
               TColor highlight, TColor highlightText) {
  const int dpi = layout.DotsPerInch();
  const int devX = layout.DrawDpi > 0 ? layout.DrawDpi : canvas.GetDeviceCaps(LOGPIXELSX);
  const int devY = layout.DrawDpi > 0 ? layout.DrawDpi : canvas.GetDeviceCaps(LOGPIXELSY);
  const AnsiString& t = content.Text();
  const auto separate = [&](int i) {
    return t[static_cast<size_t>(i)] == '\t' || t[static_cast<size_t>(i)] == '\v';
  };
  // The ends of each line's characters as a layout that keeps no
  // measures takes them: each piece of the line measured on its own.
  TRichLayout alone(content, dpi);
  alone.FontOf = layout.FontOf;
  const unsigned align = canvas.GetTextAlign();
  canvas.SetTextAlign(TA_LEFT | TA_BASELINE);
  canvas.Brush->Style = bsClear;
  for (const TRichLine& line : lines) {
    const int base = y0 + Scale(line.Top + line.Ascent, devY, dpi);
    const int left = x0 + Scale(line.Left, devX, dpi);
    if (line.First && content.Para(line.Para).Bullet) {
      TFont font;
      layout.MakeFont(content.Format(content.InsertFormatAt(line.Start)), font);
      font.SetHeight(Scale(font.Height(), devY, dpi));
      font.PixelsPerInch = canvas.Font->PixelsPerInch;
      canvas.Font->Assign(font);
      canvas.TextOut(left - Scale(Scale(360, dpi, 1440), devX, dpi), base, "\x95");
    }
    if (line.End <= line.Start) continue;
    const std::vector<int> ends = alone.CharEnds(line);
    const auto xAt = [&](int i) {
      return i <= line.Start ? 0 : Scale(ends[static_cast<size_t>(i - line.Start - 1)], devX, dpi);
    };
    for (int start = line.Start; start < line.End;) {
      int end = start + 1;
      if (!separate(start))
        while (end < line.End && !separate(end) && content.FormatIndexAt(end) == content.FormatIndexAt(start))
          ++end;
      const int cuts[4] = {start, std::clamp(selStart, start, end), std::clamp(selEnd, start, end), end};
      for (int k = 0; k < 3; ++k) {
        const int a = cuts[k], b = cuts[k + 1];
        if (a >= b) continue;
        const bool selected = a >= selStart && b <= selEnd && selStart < selEnd;
        if (selected) {
          canvas.Brush->Style = bsSolid;
          canvas.Brush->Color = highlight;
          canvas.FillRect(Rect(left + xAt(a), y0 + Scale(line.Top, devY, dpi), left + xAt(b),
                               y0 + Scale(line.Top + line.Height, devY, dpi)));
          canvas.Brush->Style = bsClear;
        }
        if (t[static_cast<size_t>(a)] == '\t') continue;
        TFont font;
        layout.MakeFont(content.Format(content.FormatIndexAt(a)), font);
        font.SetHeight(Scale(font.Height(), devY, dpi));
        font.PixelsPerInch = canvas.Font->PixelsPerInch;
        if (layout.TextColor != clNone) font.Color = layout.TextColor;
        if (selected) font.Color = highlightText;
        canvas.Font->Assign(font);
        std::vector<int> dx;
        for (int i = a; i < b; ++i) dx.push_back(xAt(i + 1) - xAt(i));
        if (content.HasWide(a, b))
          canvas.ExtTextOutW(left + xAt(a), base, 0, nullptr, content.WideText(a, b), dx.data());
        else
          canvas.ExtTextOut(left + xAt(a), base, 0, nullptr,
                            t.substr(static_cast<size_t>(a), static_cast<size_t>(b - a)), dx.data());
      }
      start = end;
    }
  }
  canvas.SetTextAlign(align);
}

void ExpectSameCalls(const TRecordingCanvas& plain, const TRecordingCanvas& drawn) {
  ASSERT_EQ(drawn.Calls.size(), plain.Calls.size());
  for (size_t i = 0; i < plain.Calls.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "call " << i << " " << plain.Calls[i].Op << " "
                                    << plain.Calls[i].Text);
    const TDrawCall &p = plain.Calls[i], &d = drawn.Calls[i];
    EXPECT_EQ(d.Op, p.Op);
    EXPECT_EQ(d.Args, p.Args);
    EXPECT_EQ(d.Text, p.Text);
    EXPECT_EQ(d.WideText, p.WideText);
    EXPECT_EQ(d.Flags, p.Flags);
    EXPECT_TRUE(d.Font == p.Font);
    EXPECT_EQ(d.Font.PixelsPerInch, p.Font.PixelsPerInch);
    EXPECT_TRUE(d.Brush == p.Brush);
  }
}

std::string Sample() {
  std::string words;
  for (int i = 0; i < 30; ++i) words += "word" + std::to_string(i) + " ";
  return "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0\\fnil\\fcharset161 Arial;}{\\f1\\fnil\\fcharset161 "
         "Courier "
         "New;}}{\\colortbl;\\red200\\green0\\blue0;}\\f0\\fs24 " +
         words +
         "{\\b bold \\i both}\\i0  {\\cf1 red} \\f1\\fs40 big\\f0\\fs20 small\\tab after\\line broken " +
         words + "\\par\\qj " + words + words +
         "\\par{\\pntext\\'95\\tab}{\\pn\\pnlvlblt}\\li720\\fi-360 bullet " + words +
         "\\par\\pard\\qc \\u1046?\\u1080?\\u1079? \\'e1\\'e2 mixed \\u1488?\\u1489? " + words +
         "\\par\\qr\\fs16 right " + words + "\\par\\par}";
}

TEST(RichLayoutDraw, DrawsWhatEveryPieceDrawnOnItsOwnDraws) {
  TRichContent content;
  content.SetDocument(richtext::ReadRtf(Sample()));
  struct Case {
    const char* name;
    int dpi, drawDpi;
    bool kept;
    int selStart, selEnd;
    TColor textColor;
  };
  const Case cases[] = {
      {"twips onto a page", 1440, 0, true, 0, 0, clNone},
      {"twips, measures of its own", 1440, 0, false, 0, 0, clNone},
      {"screen pixels scaled", 96, 144, false, 0, 0, clNone},
      {"a selection across formats", 96, 0, false, 17, 260, clNone},
      {"a selection inside a piece", 1440, 0, true, 3, 5, clNone},
      {"a disabled control's colour", 96, 0, false, 40, 90, clGrayText},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TRichMeasures measures;
    measures.Follow(content, k.dpi);
    TRichLayout layout(content, k.dpi);
    if (k.kept) layout.Measures = &measures;
    layout.DrawDpi = k.drawDpi;
    layout.TextColor = k.textColor;
    const std::vector<TRichLine> wider = layout.Lay(0, Scale(300, k.dpi, 96));
    ASSERT_GT(wider.size(), 10u);
    // Twice, as a page is drawn on the printer's page and then, from
    // another corner, into its exported picture; then on a canvas of
    // another resolution, and lines from the same start laid narrower.
    const std::vector<TRichLine> narrower = layout.Lay(0, Scale(200, k.dpi, 96));
    const TPoint corners[] = {{7, 11}, {300, -40}, {5, 5}, {7, 11}};
    for (int pass = 0; pass < 4; ++pass) {
      SCOPED_TRACE(pass);
      const int dpi = pass == 2 ? 200 : 96;
      const std::vector<TRichLine>& lines = pass == 3 ? narrower : wider;
      TRecordingCanvas plain(1000, 4000, dpi), drawn(1000, 4000, dpi);
      for (TRecordingCanvas* c : {&plain, &drawn}) {
        c->Font->Name = "Tahoma";
        c->SetTextAlign(TA_RIGHT);
      }
      const TPoint at = corners[pass];
      PlainDraw(content, layout, plain, lines, at.X, at.Y, k.selStart, k.selEnd, clHighlight,
                clHighlightText);
      // The sample reaches wide text and a bullet.
      EXPECT_FALSE(plain.CallsOf("ExtTextOutW").empty());
      const std::vector<TDrawCall> texts = plain.CallsOf("ExtTextOut");
      EXPECT_TRUE(
          std::any_of(texts.begin(), texts.end(), [](const TDrawCall& c) { return c.Text == "\x95"; }));
      layout.Draw(drawn, lines, at.X, at.Y, k.selStart, k.selEnd);
      ExpectSameCalls(plain, drawn);
      EXPECT_EQ(drawn.GetTextAlign(), TA_RIGHT);
    }
  }
}

}  // namespace
