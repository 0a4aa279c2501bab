// Mini-HTML samples drawn on an image and written as PNG files into the
// working folder (the build tree) for review; each must draw something and
// nothing outside its rectangle.
#include <gtest/gtest.h>

#include "../platform/gfx/GifWriter.h"
#include "grid/EsgHTMLE.h"
#include "grid/PictureContainer.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/ShellIcons.h"
#include "tests/TestOutput.h"

namespace {

TEST(EsgHTMLESamples, DrawnAsPictures) {
  TPictureContainer container(nullptr);
  TPictureItem* item = container.Items().Add();
  item->Name = "ANIM";
  {
    giftest::Frame a{0, 0, 24, 24}, b{6, 6, 12, 12};
    b.Indices.assign(144, 3);
    TStringStream gif{giftest::MakeGif(24, 24, {a, b})};
    item->Picture()->LoadFromStream(gif);
    item->Picture()->SetFrame(2);
  }
  TImageList list(nullptr);
  TBitmap glyph(16, 16);
  glyph.Canvas()->Brush->Color = clGreen;
  glyph.Canvas()->FillRect({2, 2, 14, 14});
  list.Add(glyph);

  const struct {
    const char* name;
    const char* markup;
  } samples[] = {
      {"fonts",
       R"(<B>Bold</B> <I>italic</I> <U>under</U> <S>strike</S> <FONT FACE="Courier New" SIZE="4">courier</FONT> <FONT SIZE="2">small</FONT>)"},
      {"colours",
       R"(<FONT COLOR="clRed">red</FONT> <FONT COLOR="#0000FF" BGCOLOR="clYellow">blue on yellow</FONT> <HI>highlight</HI> <SHAD>shadow</SHAD>)"},
      {"lists", "<UL><LI>first<LI>second<UL><LI>nested one<LI>nested two</UL><LI>third</UL>"},
      {"paragraphs",
       R"(<P ALIGN="LEFT">left</P><P ALIGN="CENTER" BGCOLOR="clSilver">centre</P><P ALIGN="RIGHT">right</P><P ALIGN="LEFT" INDENT="30">indented</P>)"},
      {"anchors",
       R"(Open <A href="https://example.org">the site</A> or <A href="mailto:x@example.org">write</A>.)"},
      {"wrap",
       "A long description of a work item that wraps over several lines of the cell, never splitting a "
       "word."},
      {"scripts", "H<SUB>2</SUB>O and E=mc<SUP>2</SUP>, <E>misspeld</E>, <Z>hidden</Z>shown"},
      {"entities",
       "Τιμή &euro;1.234 &amp; &copy; &reg; &trade; &sect; &para; &permil; &lt;tag&gt; &quot;q&quot;"},
      {"images",
       R"(List <IMG SRC="IDX:0"> icons <IMG SRC="SSYS:3"><IMG SRC="LSYS:file.txt"> gif <IMG SRC="ANIM"> stretched <IMG SRC="ANIM" WIDTH="40" HEIGHT="12">)"},
      {"controls",
       R"(<CONTROL TYPE="EDIT" ID="e" VALUE="text" WIDTH="60"> <CONTROL TYPE="COMBO" ID="c" VALUE="pick" WIDTH="70"> <CONTROL TYPE="CHECK" ID="k" VALUE="TRUE"> <CONTROL TYPE="RADIO" ID="r" VALUE="TRUE"> <CONTROL TYPE="BUTTON" ID="b" VALUE="Go" WIDTH="40">)"},
      {"rotation", R"(<R A="8">slightly rotated</R> level <R A="90">up</R>)"},
      {"body", R"(<BODY BGCOLOR="clInfoBk">background and a rule<HR>below it)"},
      {"wrapped_styles",
       R"(<B><FONT COLOR="clRed" BGCOLOR="clYellow">bold red on yellow, long enough to wrap over onto the next line of the sample</FONT></B> plain <A href="x">a link<BR>broken</A>)"},
  };
  shell::SetIconThemes({"/usr/share/icons"}, "Adwaita");
  for (const auto& sample : samples) {
    SCOPED_TRACE(sample.name);
    TImageCanvas canvas(320, 90);
    canvas.Font->Name = "Arial";
    canvas.Font->SetSize(9);
    canvas.Font->Color = clBlack;
    const TRect bounds{10, 10, 310, 80};
    AnsiString hit, plain, href, id, value, type;
    int ex = 0, ey = 0, count = 0, number = 0;
    TRect anchorRect, controlRect;
    HTMLDraw(canvas, cp1253::FromUtf8(sample.markup), bounds, &list, -1, -1, 0, -1, 1, false, false, false,
             false, true, false, true, false, 1.0, clBlue, clNone, clNone, clGray, hit, plain, href, ex, ey,
             count, number, anchorRect, controlRect, id, value, type, nullptr, &container, nullptr);
    canvas.SaveToPng(TestOutput(std::string("html_") + sample.name + ".png"));
    bool inked = false, outside = false;
    for (int y = 0; y < 90; ++y)
      for (int x = 0; x < 320; ++x) {
        if (canvas.Pixel(x, y) == clWhite) continue;
        if (PtInRect(bounds, {x, y}))
          inked = true;
        else
          outside = true;
      }
    EXPECT_TRUE(inked);
    EXPECT_FALSE(outside);
  }
}

}  // namespace
