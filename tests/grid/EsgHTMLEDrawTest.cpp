#include <gtest/gtest.h>

#include <functional>

#include "HTMLTestSupport.h"
#include "platform/gfx/FrameControls.h"
#include "platform/ui/ShellIcons.h"

namespace {

std::vector<int> First4(const std::vector<int>& v) { return {v.begin(), v.begin() + 4}; }

TEST(EsgHTMLEDraw, EachTagDrawsItsStyle) {
  struct Case {
    const char* markup;
    std::function<void(HtmlCall&)> check;
  } cases[] = {
      {"<B>x</B>y",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Font.Style, fsBold);
         EXPECT_EQ(h.Run("y")->Font.Style, 0u);
       }},
      {"<I>x</I>y",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Font.Style, fsItalic);
         EXPECT_EQ(h.Run("y")->Font.Style, 0u);
       }},
      {"<U>x</U>y",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Font.Style, fsUnderline);
         EXPECT_EQ(h.Run("y")->Font.Style, 0u);
       }},
      {"<U>x</UL>y", [](HtmlCall& h) { EXPECT_EQ(h.Run("y")->Font.Style, 0u); }},
      {"<S>x</S>y",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Font.Style, fsStrikeOut);
         EXPECT_EQ(h.Run("y")->Font.Style, 0u);
       }},
      {"a<BR>b",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("b")->Args[1], h.Gh());
         EXPECT_EQ(h.plainText, "a\rb");
         EXPECT_EQ(h.extentY, 2 * h.Gh());
       }},
      {"a<HR>b",
       [](HtmlCall& h) {
         ASSERT_EQ(h.Count("Polyline"), 1);
         EXPECT_EQ(h.canvas.CallsOf("Polyline")[0].Args, (std::vector<int>{1, h.Gh() + 1, 400, h.Gh() + 1}));
         EXPECT_EQ(h.Run("b")->Args[1], h.Gh());
       }},
      {R"(<FONT FACE="Courier New" COLOR="clRed" SIZE="3">x</FONT>y)",
       [](HtmlCall& h) {
         const TDrawCall* x = h.Run("x");
         EXPECT_EQ(x->Font.Name, "COURIER NEW");
         EXPECT_EQ(x->Font.Color, clRed);
         EXPECT_EQ(x->Font.Size(), 12);
         EXPECT_EQ(h.Run("y")->Font.Name, "Arial");
         EXPECT_EQ(h.Run("y")->Font.Size(), 10);
         EXPECT_EQ(h.Run("y")->Font.Color, clBlack);
       }},
      {R"(<FONT SIZE="6" COLOR="#00FF00">x</FONT>)",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Font.Size(), 6);
         EXPECT_EQ(h.Run("x")->Font.Color, 0x00FF00);
       }},
      {R"(<FONT SIZE="0">x</FONT><FONT SIZE="5000">y</FONT>)",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Font.Size(), 10);
         EXPECT_EQ(h.Run("y")->Font.Size(), 1000);
       }},
      {R"(<FONT BGCOLOR="clyellow">x</FONT>y)",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Brush.Style, bsSolid);
         EXPECT_EQ(h.Run("x")->Brush.Color, clYellow);
         EXPECT_EQ(h.Run("y")->Brush.Style, bsClear);
       }},
      {"<HI>x</HI>y",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Brush.Color, clHighlight);
         EXPECT_EQ(h.Run("x")->Font.Color, clHighlightText);
         EXPECT_EQ(h.Run("y")->Brush.Style, bsClear);
         EXPECT_EQ(h.Run("y")->Font.Color, clBlack);
       }},
      {"<E>x</E>y",
       [](HtmlCall& h) {
         const auto zigzag = h.canvas.CallsOf("Polyline");
         ASSERT_EQ(zigzag.size(), 1u);
         EXPECT_EQ(zigzag[0].Pen.Color, clRed);
         EXPECT_EQ(zigzag[0].Args[0], 0);  // the run's left (1) rounded down to even
         EXPECT_EQ(zigzag[0].Args[1], h.Gh() - 1);
         EXPECT_EQ(zigzag[0].Args[3], h.Gh() + 1);
       }},
      {"<SHAD>x</SHAD>y",
       [](HtmlCall& h) {
         const auto runs = h.Runs();
         ASSERT_EQ(runs.size(), 3u);
         EXPECT_EQ(runs[0].Font.Color, clGray);
         EXPECT_EQ(runs[0].Args[0], runs[1].Args[0] + 1);
         EXPECT_EQ(runs[0].Args[3], runs[1].Args[3] + 1);
       }},
      {"<SUB>x</SUB>",
       [](HtmlCall& h) {
         EXPECT_EQ(h.extentY, h.Gh() + h.Gh() / 4);
         EXPECT_EQ(h.Run("x")->Args[3], h.extentY);
       }},
      {"<SUP>x</SUP>",
       [](HtmlCall& h) {
         EXPECT_EQ(h.extentY, h.Gh() + h.Gh() / 4);
         EXPECT_EQ(h.Run("x")->Args[3], h.extentY - h.Gh() / 4);
       }},
      {"<Z>x</Z>y",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x"), nullptr);
         EXPECT_EQ(h.Run("y")->Args[0], 1);
         EXPECT_EQ(h.plainText, "xy");
       }},
      {"<BLINK>x</BLINK>y",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Font.Color, clWhite);
         EXPECT_EQ(h.Run("y")->Font.Color, clBlack);
       }},
      {R"(<P ALIGN="RIGHT">x<BR>y)",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Args[0], 400 - h.canvas.TextWidth("x"));
         EXPECT_EQ(h.Run("y")->Args[0], 400 - h.canvas.TextWidth("y"));
       }},
      {R"(<P ALIGN="CENTER">xx)",
       [](HtmlCall& h) { EXPECT_EQ(h.Run("xx")->Args[0], 1 + (399 - h.canvas.TextWidth("xx")) / 2); }},
      {R"(<P ALIGN="LEFT RIGHT">x)",
       [](HtmlCall& h) { EXPECT_EQ(h.Run("x")->Args[0], 400 - h.canvas.TextWidth("x")); }},
      {R"(<P INDENT="20">x)", [](HtmlCall& h) { EXPECT_EQ(h.Run("x")->Args[0], 21); }},
      {R"(<P BGCOLOR="clYellow">x</P>y)",
       [](HtmlCall& h) {
         const auto fills = h.canvas.CallsOf("FillRect");
         ASSERT_FALSE(fills.empty());
         EXPECT_EQ(fills[0].Brush.Color, clYellow);
         EXPECT_EQ(fills[0].Args, (std::vector<int>{0, 0, 400, h.Gh()}));
         EXPECT_EQ(h.Run("y")->Brush.Style, bsClear);
         EXPECT_EQ(h.Run("y")->Args[1], h.Gh());  // </P> ends the line
       }},
      {"<UL><LI>a<LI>b</UL>c",
       [](HtmlCall& h) {
         std::vector<TDrawCall> bullets;
         for (const TDrawCall& c : h.Runs())
           if (c.Font.Name == "Symbol") bullets.push_back(c);
         ASSERT_EQ(bullets.size(), 2u);
         EXPECT_EQ(bullets[0].Text, "\xB7");
         EXPECT_EQ(bullets[0].Flags, 0u);
         EXPECT_EQ(h.Run("a")->Args[0], 13);
         EXPECT_EQ(h.Run("b")->Args[1], h.Gh());  // the second item starts a line
       }},
      {"<UL><UL><LI>a</UL></UL>",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("o")->Args[0], 13);
         EXPECT_EQ(h.Run("a")->Args[0], 25);
       }},
      {R"(x<IND x="50">y)", [](HtmlCall& h) { EXPECT_EQ(h.Run("y")->Args[0], 50); }},
      {R"(<BODY BGCOLOR="clRed">x)",
       [](HtmlCall& h) {
         const auto fills = h.canvas.CallsOf("FillRect");
         ASSERT_EQ(fills.size(), 1u);
         EXPECT_EQ(fills[0].Args, (std::vector<int>{0, 0, 400, 200}));
         EXPECT_EQ(fills[0].Brush.Color, clRed);
       }},
      {R"(<BODY BGCOLOR="#0000FF">x)",
       [](HtmlCall& h) { EXPECT_EQ(h.canvas.CallsOf("FillRect")[0].Brush.Color, clBlue); }},
      {R"(<R A="90">x</R>y)",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Font.Orientation, 900);
         EXPECT_EQ(h.Run("y")->Font.Orientation, 0);
       }},
      {R"(<A href="T1">x</A>y)",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Run("x")->Font.Color, clBlue);
         EXPECT_EQ(h.Run("x")->Font.Style, fsUnderline);
         EXPECT_EQ(h.Run("y")->Font.Color, clBlack);
         EXPECT_EQ(h.anchorCount, 1);
       }},
      {"<#tag>x", [](HtmlCall& h) { EXPECT_EQ(h.Run("#tagx")->Args[0], 1); }},
      {"a&amp;b &lt;B&gt;c",
       [](HtmlCall& h) {
         EXPECT_NE(h.Run("a&&b "), nullptr);
         EXPECT_EQ(h.Run("<B>c")->Font.Style, 0u);
       }},
      {"a\r\nb",
       [](HtmlCall& h) {
         EXPECT_EQ(h.extentY, 2 * h.Gh());
         EXPECT_EQ(h.plainText, "a\rb");
       }},
      {"<Q>x</Q></>y",
       [](HtmlCall& h) {
         EXPECT_NE(h.Run("x"), nullptr);
         EXPECT_NE(h.Run("y"), nullptr);
       }},
      {"x<B y",
       [](HtmlCall& h) {
         EXPECT_EQ(h.Runs().size(), 1u);
         EXPECT_EQ(h.plainText, "x");
       }},
      {"x<", [](HtmlCall& h) { EXPECT_EQ(h.Runs().size(), 1u); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.markup);
    HtmlCall h;
    h.blinkVisible = false;
    h.Draw(c.markup);
    c.check(h);
  }
}

// A style opened on one line is drawn on the lines after it, whether a
// break or the wrapping ends the line: the measured and the drawn look agree.
TEST(EsgHTMLEDraw, StylesRunOnOverLineBreaks) {
  struct Case {
    const char* markup;
    std::function<void(const TDrawCall&)> check;
  } cases[] = {
      {"<B>one<BR>two</B>", [](const TDrawCall& c) { EXPECT_EQ(c.Font.Style, fsBold); }},
      {"<I>one two</I>", [](const TDrawCall& c) { EXPECT_EQ(c.Font.Style, fsItalic); }},
      {R"(<FONT COLOR="clRed" SIZE="4">one<BR>two</FONT>)",
       [](const TDrawCall& c) {
         EXPECT_EQ(c.Font.Color, clRed);
         EXPECT_EQ(c.Font.Size(), 14);
       }},
      {R"(<FONT BGCOLOR="clYellow">one two</FONT>)",
       [](const TDrawCall& c) {
         EXPECT_EQ(c.Brush.Style, bsSolid);
         EXPECT_EQ(c.Brush.Color, clYellow);
       }},
      {"<HI>one<BR>two</HI>",
       [](const TDrawCall& c) {
         EXPECT_EQ(c.Brush.Color, clHighlight);
         EXPECT_EQ(c.Font.Color, clHighlightText);
       }},
      {R"(<A href="t">one<BR>two</A>)",
       [](const TDrawCall& c) {
         EXPECT_EQ(c.Font.Color, clBlue);
         EXPECT_EQ(c.Font.Style, fsUnderline);
       }},
      {R"(<R A="90">one<BR>two</R>)", [](const TDrawCall& c) { EXPECT_EQ(c.Font.Orientation, 900); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.markup);
    HtmlCall h;
    h.bounds = {0, 0, 1 + h.canvas.TextWidth("one two") - 4, 200};
    h.Draw(k.markup);
    const TDrawCall* two = h.Run("two");
    ASSERT_NE(two, nullptr);
    EXPECT_GE(two->Args[1], h.Gh() - 1);  // on the second line
    k.check(*two);
  }
  // The second line is drawn where it was measured: its last word ends at
  // the extent.
  HtmlCall h;
  h.Draw(R"(x<BR><FONT SIZE="5"><B>wide words</B></FONT>)");
  const TDrawCall* words = h.Run("words");
  ASSERT_NE(words, nullptr);
  EXPECT_EQ(words->Font.Size(), 16);
  h.canvas.Font->Assign(words->Font);
  EXPECT_EQ(words->Args[0] - 1 + h.canvas.TextWidth("words"), h.extentX);
}

TEST(EsgHTMLEDraw, ControlMarkersDrawAndHit) {
  struct Case {
    const char* markup;
    const char* op;
    unsigned flags;
    int width, height;
  } cases[] = {
      {R"(<CONTROL TYPE="EDIT" ID="e" VALUE="v" WIDTH="60">)", "Rectangle", 0, 60, 0},
      {R"(<CONTROL TYPE="COMBO" ID="e" VALUE="v" WIDTH="80">)", "DrawFrameControl", DFCS_SCROLLCOMBOBOX, 80,
       25},
      {R"(<CONTROL TYPE="CHECK" ID="e" VALUE="TRUE">)", "DrawFrameControl",
       DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED, 16, 16},
      {R"(<CONTROL TYPE="RADIO" ID="e" VALUE="false">)", "DrawFrameControl", DFCS_BUTTONRADIO | DFCS_FLAT, 16,
       16},
      {R"(<CONTROL TYPE="BUTTON" ID="e" VALUE="Go" WIDTH="50">)", "DrawFrameControl", DFCS_BUTTONPUSH, 50,
       24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.markup);
    HtmlCall h;
    h.Draw(c.markup);
    const auto calls = h.canvas.CallsOf(c.op);
    ASSERT_EQ(calls.size(), 1u);
    if (std::string(c.op) == "DrawFrameControl") {
      EXPECT_EQ(calls[0].Args[5], static_cast<int>(c.flags));
    }
    const int height = c.height ? c.height : h.Gh() + 6;
    EXPECT_EQ(h.extentX, c.width);
    EXPECT_EQ(h.extentY, height);
    EXPECT_TRUE(h.HitTest(c.markup, 5, height - 3));
    EXPECT_EQ(h.hitAnchor, "ctrl");
    EXPECT_EQ(h.controlID, "e");
    EXPECT_EQ(h.controlType, ParseControlTag(c.markup).Type);
    EXPECT_EQ(h.controlRect, (TRect{1, 0, 1 + c.width, height}));
    EXPECT_FALSE(h.HitTest(c.markup, c.width + 5, 3));
    EXPECT_EQ(h.controlRect, TRect{});
  }
  HtmlCall h;
  h.mouseDown = true;
  h.mouseX = 10, h.mouseY = 10;
  h.Draw(R"(<CONTROL TYPE="BUTTON" ID="b" VALUE="Go" WIDTH="50">)");
  EXPECT_EQ(h.canvas.CallsOf("DrawFrameControl")[0].Args[5], static_cast<int>(DFCS_BUTTONPUSH | DFCS_PUSHED));
  EXPECT_NE(h.Run("Go"), nullptr);
}

// A button's caption stands on the button's face in the button's text
// colour, also in a selected cell whose text is white; the text after it
// keeps the cell's colour.
TEST(EsgHTMLEDraw, AButtonCaptionKeepsTheButtonTextColour) {
  for (TColor cell : {clBlack, clHighlightText}) {
    SCOPED_TRACE(cell);
    HtmlCall h;
    h.canvas.Font->Color = cell;
    h.Draw(R"(<CONTROL TYPE="BUTTON" ID="b" VALUE="Go" WIDTH="50"> after)");
    ASSERT_NE(h.Run("Go"), nullptr);
    EXPECT_EQ(h.Run("Go")->Font.Color, clBtnText);
    ASSERT_NE(h.Run("after"), nullptr);
    EXPECT_EQ(h.Run("after")->Font.Color, cell);
  }
}

TEST(EsgHTMLEDraw, AnchorsHitHoverAndFocus) {
  const AnsiString text = R"(ab <A href="one">xx</A> <A href="two">yy</A>)";
  HtmlCall h;
  h.Draw(text);
  const int x2 = h.Run("yy")->Args[0];
  EXPECT_EQ(h.anchorCount, 2);
  EXPECT_TRUE(h.HitTest(text, x2 + 2, 5));
  EXPECT_EQ(h.hitAnchor, "two");
  EXPECT_EQ(h.mouseAnchor, 2);
  EXPECT_EQ(h.mouseAnchorRect, (TRect{x2, 0, x2 + h.canvas.TextWidth("yy"), h.Gh()}));
  EXPECT_EQ(h.Count("DrawText") > 0, true);
  EXPECT_EQ(h.Runs().size(), 0u);  // hit tests draw nothing
  EXPECT_FALSE(h.HitTest(text, 3, 5));
  EXPECT_EQ(h.hitAnchor, "");
  EXPECT_EQ(h.mouseAnchor, -1);
  // Only the hovered anchor takes the hover colours.
  h.hoverEnabled = true;
  h.hover = 2;
  h.hoverText = clRed;
  h.hoverBack = clYellow;
  h.Draw(text);
  EXPECT_EQ(h.Run("xx")->Font.Style, 0u);
  EXPECT_EQ(h.Run("xx")->Font.Color, clBlue);
  EXPECT_EQ(h.Run("yy")->Font.Style, fsUnderline);
  EXPECT_EQ(h.Run("yy")->Font.Color, clRed);
  EXPECT_EQ(h.Run("yy")->Brush.Color, clYellow);
  // Selected cells keep their colours.
  h.hoverEnabled = false;
  h.hoverText = h.hoverBack = clNone;
  h.keepColours = true;
  h.Draw(text);
  EXPECT_EQ(h.Run("xx")->Font.Color, clBlack);
  // The focused anchor gets a focus rectangle and its target.
  h.keepColours = false;
  h.focus = 1;
  h.Draw(text);
  EXPECT_EQ(h.focusedHref, "two");
  ASSERT_EQ(h.Count("DrawFocusRect"), 1);
  EXPECT_EQ(h.canvas.CallsOf("DrawFocusRect")[0].Args,
            (std::vector<int>{x2 - 1, 0, x2 + h.canvas.TextWidth("yy") + 1, h.Gh()}));
  // Across two lines: one rectangle per line.
  h.focus = 0;
  h.Draw(R"(<A href="x">one<BR>two</A>)");
  EXPECT_EQ(h.Count("DrawFocusRect"), 2);
}

TEST(EsgHTMLEDraw, EdgeCases) {
  HtmlCall h;
  h.Draw("");
  EXPECT_EQ(h.extentX, 0);
  EXPECT_EQ(h.extentY, h.Gh());
  EXPECT_TRUE(h.Runs().empty());

  // A word wider than the area stays whole on one line.
  h.bounds = {0, 0, 30, 200};
  h.Draw("abcdefghijklmnop");
  EXPECT_EQ(h.extentY, h.Gh());
  EXPECT_EQ(h.Runs().size(), 1u);
  h.wordWrap = false;
  h.Draw("abcdefghijklmnop");
  EXPECT_TRUE(h.Runs()[0].Flags & DT_END_ELLIPSIS);
  EXPECT_LE(h.extentX, 29);
  h.wordWrap = true;
  h.Draw("aaa bbb");
  EXPECT_EQ(h.extentY, 2 * h.Gh());
  EXPECT_EQ(h.Run("bbb")->Args[0], 1);

  // Measuring gives the sizes drawing gives; outputs are cleared each call.
  h.bounds = {0, 0, 120, 400};
  const AnsiString text = R"(<B>one two</B> three <FONT SIZE="4">four</FONT> five six seven)";
  h.Measure(text);
  const int mx = h.extentX, my = h.extentY;
  EXPECT_GT(my, h.Gh());
  h.Draw(text);
  EXPECT_EQ(h.extentX, mx);
  EXPECT_EQ(h.extentY, my);
  h.Measure("x");
  EXPECT_EQ(h.extentY, h.Gh());
  EXPECT_EQ(h.plainText, "x");

  // Measuring never hits.
  h.mouseX = 5, h.mouseY = 5;
  EXPECT_FALSE(h.Measure(R"(<A href="t">xxxx</A>)"));
  EXPECT_EQ(h.hitAnchor, "");
  EXPECT_EQ(h.mouseAnchor, -1);

  // Lines below the area are neither drawn nor counted.
  h.bounds = {0, 0, 400, h.Gh() + 2};
  h.Draw("a<BR>b<BR>c");
  EXPECT_EQ(h.Runs().size(), 1u);
  EXPECT_EQ(h.extentY, h.Gh());
  for (const TDrawCall& c : h.canvas.Calls) ASSERT_TRUE(c.Clip.has_value());
}

TEST(EsgHTMLEDraw, ImagesFromListsIconsAndContainers) {
  TImageList list(nullptr);
  list.SetSize(16, 16);
  list.Add(TBitmap(32, 16));
  HtmlCall h;
  h.images = &list;
  h.Draw(R"(a<IMG SRC="IDX:1">b<IMG SRC="IDX:2">c)");
  EXPECT_EQ(h.extentX, h.canvas.TextWidth("abc") + 16);
  EXPECT_EQ(h.extentY, std::max(16, h.Gh()));
  EXPECT_EQ(h.Run("b")->Args[0], 1 + h.canvas.TextWidth("a") + 16);
  EXPECT_EQ(h.Count("DrawPixels"), 1);
  h.printing = true;
  h.printScale = 2.5;
  h.Draw(R"(<IMG SRC="IDX:0">)");
  EXPECT_EQ(First4(h.canvas.CallsOf("DrawPixels")[0].Args), (std::vector<int>{1, 0, 41, 40}));
  h.printing = false;

  // System icons from the installed theme: a folder by its number, a text
  // file by its type; printed, stretched by the print scale.
  shell::SetIconThemes({"/usr/share/icons"}, "Adwaita");
  h.Draw(R"(<IMG SRC="SSYS:3"><IMG SRC="LSYS:file.txt">)");
  EXPECT_EQ(h.extentX, 48);
  ASSERT_EQ(h.Count("DrawPixels"), 2);
  EXPECT_EQ(First4(h.canvas.CallsOf("DrawPixels")[0].Args), (std::vector<int>{1, 0, 17, 16}));
  EXPECT_EQ(First4(h.canvas.CallsOf("DrawPixels")[1].Args), (std::vector<int>{17, 0, 49, 32}));
  EXPECT_EQ(shell::SystemIcon(shell::siFolder, 16).Width, 16);
  EXPECT_EQ(shell::SystemIcon(shell::SystemIconIndex("file.txt"), 32).Width, 32);
  h.printing = true;
  h.Draw(R"(<IMG SRC="SSYS:file.pdf">)");
  EXPECT_EQ(First4(h.canvas.CallsOf("DrawPixels")[0].Args), (std::vector<int>{1, 0, 41, 40}));
  h.printing = false;

  // Container pictures: upper-case names, WIDTH/HEIGHT scale, hits inside anchors.
  TPictureContainer container(nullptr);
  TPictureItem* item = container.Items().Add();
  item->Name = "Logo";
  TStringStream bmp{TBitmap(10, 8).SaveToBytes()};
  item->Picture()->LoadFromStream(bmp);
  h.container = &container;
  h.Draw(R"(<IMG SRC="logo"><IMG src="missing" width="5" height="5">)");
  EXPECT_EQ(h.extentX, 10);
  EXPECT_EQ(h.Count("DrawPixels"), 1);
  h.bounds = {0, 0, 25, 20};
  h.Draw(R"(<BODY BACKGROUND="logo">x)");
  EXPECT_EQ(h.Count("DrawPixels"), 9);  // 3 × 3 tiles of 10 × 8, clipped
  h.bounds = {0, 0, 400, 200};
  h.Draw(R"(<IMG SRC="LOGO" WIDTH="40" HEIGHT="30">)");
  EXPECT_EQ(First4(h.canvas.CallsOf("DrawPixels")[0].Args), (std::vector<int>{1, 0, 41, 30}));
  EXPECT_TRUE(h.HitTest(R"(<A href="pic"><IMG SRC="LOGO"></A>)", 5, 4));
  EXPECT_EQ(h.hitAnchor, "pic");

  // ALIGN: text raised to the image's top; a larger font never throws it off.
  h.Draw(R"(<IMG SRC="LOGO" WIDTH="40" HEIGHT="40" ALIGN="TOP">x)");
  EXPECT_EQ(h.Run("x")->Args[3], h.Gh());
  h.Draw(R"(<FONT SIZE="40"><IMG SRC="LOGO" ALIGN="MIDDLE">x)");
  EXPECT_GE(h.Run("x")->Args[3], 0);
  EXPECT_LE(h.Run("x")->Args[3], h.extentY);
}

}  // namespace
