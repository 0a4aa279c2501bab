// The panel's mini-HTML: its Part's cases, every tag once through the
// panel's entry point, and the rules in which the panel differs from the
// grid (lines from the left edge, anchors from 0, no control markers, a
// closing paragraph that keeps the line, measuring that finds anchors and
// lays out the whole text).

#include <gtest/gtest.h>

#include <functional>

#include "grid/ExtPanel.h"
#include "grid/ExtPanelHTML.h"
#include "grid/PictureContainer.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/ImgList.h"

namespace {

struct PanelCall {
  TRecordingCanvas canvas{800, 600};
  TRect rect{0, 0, 400, 200};
  TCustomImageList* images = nullptr;
  TPictureContainer* container = nullptr;
  int x = -100, y = -100, hoverIndex = -1, focusIndex = -1;
  bool hover = false, measure = false, wrap = true;
  TPanelHTMLResult result;
  bool hit = false;

  PanelCall() {
    canvas.Font->Name = "Arial";
    canvas.Font->SetSize(10);
    canvas.Font->Color = clBlack;
  }
  bool Draw(const AnsiString& text) {
    canvas.Calls.clear();
    hit = PanelHTMLDraw(canvas, text, rect, images, container, nullptr, x, y, clGray, clNone, clNone, clBlue,
                        2, hover, hoverIndex, focusIndex, 1.0, false, measure, wrap, false, result);
    return hit;
  }
  bool Measure(const AnsiString& text, int atX = -100, int atY = -100) {
    measure = true;
    x = atX, y = atY;
    Draw(text);
    measure = false;
    return hit;
  }
  const TDrawCall* Run(const AnsiString& text) const {
    for (const TDrawCall& c : canvas.Calls)
      if (c.Op == "DrawText" && !(c.Flags & DT_CALCRECT) && c.Text == text) return &c;
    return nullptr;
  }
  // Calls that draw something other than text.
  int Shapes() const {
    int n = 0;
    for (const TDrawCall& c : canvas.Calls)
      if (c.Op != "DrawText" && c.Op != "ExtTextOut") ++n;
    return n;
  }
  // Texts drawn (not measured).
  int Texts() const {
    int n = 0;
    for (const TDrawCall& c : canvas.Calls)
      if (c.Op == "DrawText" && !(c.Flags & DT_CALCRECT)) ++n;
    return n;
  }
  int Gh() { return canvas.TextHeight("gh"); }
};

// A picture container holding "logo", 30 x 12.
struct LogoContainer : TPictureContainer {
  LogoContainer() : TPictureContainer(nullptr) {
    TPictureItem* item = Items().Add();
    item->Name = "logo";
    TStringStream bmp{TBitmap(30, 12).SaveToBytes()};
    item->Picture()->LoadFromStream(bmp);
  }
};

// The cases the panel's text must get right.
TEST(PanelHTML, TheTellingCases) {
  PanelCall p;
  p.Draw("A&amp;B");
  ASSERT_NE(p.Run("A&&B"), nullptr);  // "&&" shows one ampersand
  EXPECT_EQ(p.Run("A&&B")->Flags & DT_NOPREFIX, 0u);
  p.Draw("&lt;B&gt;x");
  ASSERT_NE(p.Run("<B>x"), nullptr);
  EXPECT_EQ(p.Run("<B>x")->Font.Style, 0u);
  p.Draw(R"(<FONT SIZE="3">a</FONT><FONT SIZE="7">b</FONT>)");
  EXPECT_EQ(p.Run("a")->Font.Size(), 12);
  EXPECT_EQ(p.Run("b")->Font.Size(), 7);
  p.Draw(R"(<FONT COLOR="#FF0000">r</FONT>)");
  EXPECT_EQ(p.Run("r")->Font.Color, clRed);
  // The point on the second of two anchors.
  p.Draw(R"(<A HREF="one">first</A> <A HREF="two">second</A>)");
  ASSERT_NE(p.Run("second"), nullptr);
  const TDrawCall second = *p.Run("second");  // the next call clears the calls
  EXPECT_TRUE(p.Measure(R"(<A HREF="one">first</A> <A HREF="two">second</A>)", second.Args[0] + 3, 5));
  EXPECT_EQ(p.result.Anchor, "two");
  EXPECT_EQ(p.result.AnchorIndex, 1);
  EXPECT_EQ(p.result.AnchorRect.Left, second.Args[0]);
  // An anchor the text leaves open still comes with its number.
  EXPECT_TRUE(p.Measure(R"(go <A HREF="open">there)", p.canvas.TextWidth("go ") + 3, 5));
  EXPECT_EQ(p.result.Anchor, "open");
  EXPECT_EQ(p.result.AnchorIndex, 0);
  EXPECT_EQ(p.result.AnchorRect.Left, p.canvas.TextWidth("go "));
  p.Measure("<BR>");
  EXPECT_EQ(p.result.Extent.cy, 2 * p.Gh());
  EXPECT_EQ(p.result.Extent.cx, 0);
  p.Measure("");
  EXPECT_EQ(p.result.Extent.cy, p.Gh());
}

TEST(PanelHTML, EveryTagThroughThePanel) {
  struct Case {
    const char* markup;
    std::function<void(PanelCall&)> check;
  } cases[] = {
      {"<B>x</B>y", [](PanelCall& p) { EXPECT_EQ(p.Run("x")->Font.Style, fsBold); }},
      {"<I>x</I>y", [](PanelCall& p) { EXPECT_EQ(p.Run("x")->Font.Style, fsItalic); }},
      {"<U>x</U>y", [](PanelCall& p) { EXPECT_EQ(p.Run("y")->Font.Style, 0u); }},
      {"<S>x</S>y", [](PanelCall& p) { EXPECT_EQ(p.Run("x")->Font.Style, fsStrikeOut); }},
      {"a<BR>b", [](PanelCall& p) { EXPECT_EQ(p.result.PlainText, "a\rb"); }},
      {"a<HR>b", [](PanelCall& p) { EXPECT_EQ(p.canvas.CallsOf("Polyline").size(), 1u); }},
      {"<BLINK>x", [](PanelCall& p) { EXPECT_EQ(p.Run("x")->Font.Color, clBlack); }},  // shown
      {R"(<BODY BGCOLOR="clYellow">x)",
       [](PanelCall& p) { EXPECT_EQ(p.canvas.CallsOf("FillRect").at(0).Brush.Color, clYellow); }},
      {"<E>x</E>", [](PanelCall& p) { EXPECT_EQ(p.canvas.CallsOf("Polyline").at(0).Pen.Color, clRed); }},
      {R"(<FONT FACE="Courier New" BGCOLOR="#00FF00">x</FONT>)",
       [](PanelCall& p) {
         EXPECT_EQ(p.Run("x")->Font.Name, "COURIER NEW");
         EXPECT_EQ(p.Run("x")->Brush.Color, 0x00FF00);
       }},
      {"<HI>x</HI>", [](PanelCall& p) { EXPECT_EQ(p.Run("x")->Brush.Color, clHighlight); }},
      {R"(<IND x="50">x)", [](PanelCall& p) { EXPECT_EQ(p.Run("x")->Args[0], 50); }},
      {"<UL><LI>x</UL>",
       [](PanelCall& p) {
         EXPECT_EQ(p.Run("\xB7")->Font.Name, "Symbol");
         EXPECT_EQ(p.Run("x")->Args[0], 12);
       }},
      {R"(<P ALIGN="RIGHT">x)",
       [](PanelCall& p) { EXPECT_EQ(p.Run("x")->Args[0], 400 - p.result.Extent.cx); }},
      {R"(<R A="90">x</R>y)",
       [](PanelCall& p) {
         EXPECT_EQ(p.Run("x")->Font.Orientation, 900);
         EXPECT_EQ(p.Run("y")->Font.Orientation, 0);
       }},
      {"<SHADOW>x</SHADOW>",
       [](PanelCall& p) {
         EXPECT_EQ(p.Texts(), 2);
         EXPECT_EQ(p.Run("x")->Font.Color, clGray);  // the shadow first
       }},
      {"<SUB>x</SUB>", [](PanelCall& p) { EXPECT_EQ(p.result.Extent.cy, p.Gh() + p.Gh() / 4); }},
      {"<SUP>x</SUP>", [](PanelCall& p) { EXPECT_EQ(p.result.Extent.cy, p.Gh() + p.Gh() / 4); }},
      {"<Z>x</Z>y",
       [](PanelCall& p) {
         EXPECT_EQ(p.Run("x"), nullptr);
         EXPECT_EQ(p.result.PlainText, "xy");
       }},
      {R"(<A HREF="t">x</A>)",
       [](PanelCall& p) {
         EXPECT_EQ(p.Run("x")->Font.Color, clBlue);
         EXPECT_EQ(p.Run("x")->Font.Style, fsUnderline);  // every anchor without hover
       }},
      {"<Q>x</Q>", [](PanelCall& p) { EXPECT_EQ(p.result.PlainText, "x"); }},  // unknown tags go
      {"x<", [](PanelCall& p) { EXPECT_EQ(p.result.PlainText, "x"); }},
      {"x<B", [](PanelCall& p) { EXPECT_EQ(p.result.PlainText, "x"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.markup);
    PanelCall p;
    p.Draw(c.markup);
    c.check(p);
  }
}

TEST(PanelHTML, EntitiesAndColourNames) {
  PanelCall p;
  p.Draw("&euro;&copy;&reg;&trade;&sect;&para;&permil;&quot;&nbsp;x");
  ASSERT_NE(p.Run("\x80\xA9\xAE\x99\xA7\xB6\x89\" x"), nullptr);
  p.Draw("&AMP;amp;");  // passes repeat until nothing changes, in any case
  EXPECT_NE(p.Run("&&&"), nullptr);
  const struct {
    const char* name;
    TColor colour;
  } colours[] = {{"clNavy", static_cast<TColor>(0x800000)},
                 {"clTeal", static_cast<TColor>(0x808000)},
                 {"clBtnFace", clBtnFace},
                 {"clInfoBk", clInfoBk},
                 {"clNoSuchColour", clBlack},
                 {"#0000FF", static_cast<TColor>(0xFF0000)},
                 {"#00", clBlack}};
  for (const auto& c : colours) {
    p.Draw(AnsiString("<FONT COLOR=\"") + c.name + "\">x</FONT>");
    EXPECT_EQ(p.Run("x")->Font.Color, c.colour) << c.name;
  }
}

TEST(PanelHTML, WrapNeverCutsAFragment) {
  PanelCall p;
  const int word = p.canvas.TextWidth("aaa ");
  p.rect = Rect(0, 0, word + 5, 200);
  p.Draw("aaa bbb");
  EXPECT_EQ(p.Run("bbb")->Args[0], 0);
  EXPECT_EQ(p.Run("bbb")->Args[1], p.Gh());
  // A word wider than the rectangle stays whole on its line.
  p.rect = Rect(0, 0, 5, 200);
  p.Draw("wordwiderthanthebox");
  EXPECT_NE(p.Run("wordwiderthanthebox"), nullptr);
  // Without a blank between them, fragments stay together.
  p.rect = Rect(0, 0, word + 5, 200);
  p.Draw("aaa<B>bbb</B>");
  EXPECT_EQ(p.Run("bbb")->Args[1], 0);
}

// Where the panel's rules are its own.
TEST(PanelHTML, ThePanelsOwnRules) {
  PanelCall p;
  p.rect = Rect(10, 0, 400, 200);
  p.Draw("x");
  EXPECT_EQ(p.Run("x")->Args[0], 10);  // from the left edge itself
  p.Draw(R"(<CONTROL TYPE="CHECK" ID="c" VALUE="TRUE">x)");
  EXPECT_EQ(p.Shapes(), 0);  // the text only
  EXPECT_EQ(p.Texts(), 1);
  EXPECT_EQ(p.Run("x")->Args[0], 10);
  p.Draw("<P>a</P>b");  // the line goes on after a closing paragraph
  EXPECT_EQ(p.Run("b")->Args[1], 0);
  p.Draw(R"(a<IMG SRC="SSYS:3">b)");  // numbered icons of the system image list too
  EXPECT_EQ(p.Run("b")->Args[0], p.Run("a")->Args[0] + p.canvas.TextWidth("a") + 16);
  EXPECT_EQ(p.canvas.CallsOf("DrawPixels").size(), 1u);
  // Measuring lays out the whole text, whatever the rectangle's height.
  p.rect = Rect(0, 0, 400, 20);
  p.Measure("1<BR>2<BR>3<BR>4");
  EXPECT_EQ(p.result.Extent.cy, 4 * p.Gh());
  EXPECT_EQ(p.Texts() + p.Shapes(), 0);
  p.Draw("1<BR>2<BR>3<BR>4");
  EXPECT_EQ(p.Run("3"), nullptr);  // drawing stops at the bottom
  // Hover numbers anchors from 0.
  p.rect = Rect(0, 0, 400, 200);
  p.hover = true;
  p.hoverIndex = 1;
  p.Draw(R"(<A HREF="a">a</A> <A HREF="b">b</A>)");
  EXPECT_EQ(p.Run("a")->Font.Style, 0u);
  EXPECT_EQ(p.Run("b")->Font.Style, fsUnderline);
  // The focused anchor is framed and its frame reported.
  p.hover = false;
  p.focusIndex = 0;
  p.Draw(R"(<A HREF="a">anchor</A>)");
  EXPECT_EQ(p.canvas.CallsOf("DrawFocusRect").size(), 1u);
  EXPECT_EQ(p.result.FocusRect.Left, -1);
  EXPECT_EQ(p.result.FocusRect.Right, p.canvas.TextWidth("anchor") + 1);
}

TEST(PanelHTML, PicturesFromTheListAndTheContainer) {
  TImageList list(nullptr);
  list.SetSize(16, 16);
  list.Add(TBitmap(16, 16));
  LogoContainer container;
  PanelCall p;
  p.images = &list;
  p.container = &container;
  p.Measure(R"(<IMG SRC="IDX:0"><IMG SRC="logo">x<IMG SRC="missing">)");
  EXPECT_EQ(p.result.Extent.cx, 16 + 30 + p.canvas.TextWidth("x"));
  p.Draw(R"(<IMG SRC="IDX:0"><IMG SRC="logo">)");
  EXPECT_EQ(p.canvas.CallsOf("DrawPixels").size(), 2u);
}

// Found by fuzzing: a hit always comes with its anchor's number, also for
// an anchor left open before the next one, or a picture inside an anchor.
TEST(PanelHTML, AHitAlwaysComesWithItsAnchor) {
  LogoContainer container;
  PanelCall p;
  p.container = &container;
  EXPECT_TRUE(p.Measure(R"(<A HREF="one">first <A HREF="two">second</A>)", 3, 5));
  EXPECT_EQ(p.result.Anchor, "one");
  EXPECT_EQ(p.result.AnchorIndex, 0);
  EXPECT_TRUE(
      p.Measure(R"(<A HREF="one">first <A HREF="two">second</A>)", p.canvas.TextWidth("first ") + 3, 5));
  EXPECT_EQ(p.result.AnchorIndex, 1);
  EXPECT_TRUE(p.Measure(R"(x <A HREF="pic"><IMG SRC="logo"></A>)", p.canvas.TextWidth("x ") + 10, 6));
  EXPECT_EQ(p.result.Anchor, "pic");
  EXPECT_EQ(p.result.AnchorIndex, 0);
}

// The renderer panels use by default hands the panel's settings through.
TEST(PanelHTML, ThePanelsRendererMeasuresAndHitTests) {
  TRecordingCanvas canvas;
  canvas.Font->Name = "Arial";
  canvas.Font->SetSize(10);
  TPanelTextStyle style;
  TPanelTextRenderer& renderer = PanelHTMLRenderer();
  const TSize size = renderer.Draw(canvas, Rect(0, 0, 300, 100), "one<BR>two", style, true);
  EXPECT_EQ(size.cy, 2 * canvas.TextHeight("gh"));
  EXPECT_TRUE(canvas.Calls.empty() || canvas.CallsOf("DrawText").size() == canvas.Calls.size());
  const TPanelTextHit hit = renderer.HitTest(canvas, Rect(0, 0, 300, 100), R"(go <A HREF="page2">there</A>)",
                                             style, Point(canvas.TextWidth("go ") + 2, 4));
  EXPECT_EQ(hit.Anchor, "page2");
  EXPECT_EQ(hit.Index, 0);
  EXPECT_EQ(renderer.HitTest(canvas, Rect(0, 0, 300, 100), "plain", style, Point(2, 4)).Index, -1);
}

}  // namespace
