#include <gtest/gtest.h>

#include "grid/EsgHTMLE.h"
#include "platform/rtl/Cp1253.h"

namespace {

TEST(EsgHTMLEText, StripsMarkup) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"a<BR>b<B>c</B>", "a\r\nbc"},
      {"x<y", "x<y"},
      {"<hr>z<br>", "\r\nz\r\n"},
      {"<b>x</b> y", "x y"},
      {"a<b>c<d", "ac<d"},
      {"", ""},
      {"<Br >q", "q"},
      {"a>b", "a>b"},
  };
  for (const Case& c : cases) EXPECT_EQ(StripHTML(c.in), c.out) << c.in;
}

TEST(EsgHTMLEText, ParsesControlMarkers) {
  THTMLControlTag t = ParseControlTag(R"(<CONTROL TYPE="check" ID="c1" VALUE="a&lt;b">)");
  EXPECT_EQ(t.Type, "CHECK");
  EXPECT_EQ(t.ID, "c1");
  EXPECT_EQ(t.Value, "a<b");
  EXPECT_EQ(t.Width, "");
  t = ParseControlTag(R"(<control type="edit" width="80" id="Name" value="Ab">)");
  EXPECT_EQ(t.Type, "EDIT");
  EXPECT_EQ(t.Width, "80");
  EXPECT_EQ(t.ID, "Name");
  EXPECT_EQ(t.Value, "Ab");
  t = ParseControlTag(R"(<CONTROL ID="x)");  // no closing quote, no ">"
  EXPECT_EQ(t.ID, "");
}

TEST(EsgHTMLEText, RewritesControlValues) {
  AnsiString text =
      R"(a<CONTROL TYPE="CHECK" ID="c1" VALUE="FALSE">b<control id="c2" value="x" type="edit" width="9">c)";
  const AnsiString before = text;
  EXPECT_FALSE(SetHTMLControlValue(text, "C2", "y"));  // case counts
  EXPECT_EQ(text, before);
  EXPECT_TRUE(SetHTMLControlValue(text, "c2", "<y>"));
  EXPECT_EQ(
      text,
      R"(a<CONTROL TYPE="CHECK" ID="c1" VALUE="FALSE">b<CONTROL ID="c2" VALUE="&lt;y&gt;" WIDTH="9" TYPE="EDIT">c)");
  EXPECT_EQ(ParseControlTag(text.substr(text.find("<CONTROL ID"))).Value, "<y>");
  AnsiString open = R"(<CONTROL ID="c1" VALUE="x")";
  EXPECT_FALSE(SetHTMLControlValue(open, "c1", "y"));
  EXPECT_EQ(open, R"(<CONTROL ID="c1" VALUE="x")");
}

TEST(EsgHTMLEText, ReadsColours) {
  EXPECT_EQ(ColorNameToColor("clinfobk"), SystemColor(24));
  EXPECT_EQ(ColorNameToColor("red"), 0);
  EXPECT_EQ(ColorNameToColor("clRed"), 0);  // callers lower-case
  EXPECT_EQ(ColorNameToColor("clmaroon"), 0x000080);
  EXPECT_EQ(ColorNameTable[15].Value, clMaroon);
  EXPECT_EQ(ColorNameTable[16].Value, SystemColor(1));
  struct Case {
    const char* in;
    TColor out;
  } cases[] = {{"#FF0000", 255},
               {"#00FF00", 0xFF00},
               {"#0000FF", 0xFF0000},
               {"#123456", 0x563412},
               {"#FF", 255},
               {"#F", 0},
               {"", 0},
               {"#0G0000", 16}};
  for (const Case& c : cases) EXPECT_EQ(HexColorToColor(c.in), c.out) << c.in;
  EXPECT_EQ(HTMLAttributeColor("CLRED"), clRed);
  EXPECT_EQ(HTMLAttributeColor("#0000FF"), clBlue);
}

TEST(EsgHTMLEText, ReplacesEntities) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"a&amp;b", "a&&b"},   {"&QUOT;x&quot;", "\"x\""}, {"&amp;amp;", "&&&"},
      {"&amp;lt;", "&&lt;"}, {"&euro;5", "€5"},          {"&sect;&permil;&reg;&copy;&para;&trade;", "§‰®©¶™"},
      {"&amp", "&amp"},      {"no entity", "no entity"}, {"&amp;quot;", "&\""},
  };
  for (const Case& c : cases) EXPECT_EQ(ReplaceHTMLEntities(c.in), cp1253::FromUtf8(c.out)) << c.in;
  EXPECT_EQ(DecodeRunEntities("a&nbsp;&lt;B&gt;"), "a <B>");
  EXPECT_EQ(DecodeAngleEntities("&LT;x&gT;&amp;"), "<x>&amp;");
  EXPECT_EQ(EncodeAngleEntities("<a>"), "&lt;a&gt;");
}

}  // namespace
