// Text metrics of the mapped faces are pinned: they must not move with the
// fonts installed on the machine, or every cell and report line would.

#include <gtest/gtest.h>

#include <random>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/TextEngine.h"
#include "platform/rtl/Cp1253.h"

namespace {

TEST(FontMapping, WindowsFacesMapToLiberation) {
  struct Case {
    const char* face;
    const char* family;
  } cases[] = {
      {"Arial", "Liberation Sans"},
      {"Arial Greek", "Liberation Sans"},
      {"MS Sans Serif", "Liberation Sans"},
      {"Tahoma", "Liberation Sans"},
      {"Small Fonts", "Liberation Sans"},
      {"System", "Liberation Sans"},
      {"Courier New", "Liberation Mono"},
      {"Courier New Greek", "Liberation Mono"},
      {"Times New Roman", "Liberation Serif"},
      {"Symbol", "Liberation Sans"},
      {"No Such Face", "Liberation Sans"},
      {"DejaVu Sans", "Liberation Sans"},
  };
  for (const Case& c : cases) EXPECT_EQ(gfx::MappedFamily(c.face), c.family) << c.face;
}

// A face nothing in the configuration answers to is the fallback face
// under any name: the names share one resolved font at each size, which
// measures every text as a font resolved for the other name on its own.
TEST(FontMapping, NamesNothingAnswersToShareTheFallbackFont) {
  const struct {
    const char* face;
    bool fallsBack;
  } names[] = {
      {"No Such Face", true},
      {")Arial", true},
      {"Ar'al", true},
      {"x,y", true},
      {"DejaVu Sans", true},
      {"Arial", false},
      {"arial", false},
      {"Courier New", false},
      {"Times New Roman", false},
      {"Liberation Sans", false},
      {"liberation mono", false},
      {"Symbol", false},
      {"symbol", false},
      {"", false},
      {"x,Courier New", false},
      {"Liberation Serif,x", false},
      {"sans-serif", false},
      {"monospace", false},
  };
  for (const auto& n : names) EXPECT_EQ(gfx::FallsBack(n.face), n.fallsBack) << n.face;

  const std::u16string wide = u"Λ\u0301\u0434 \u4E2D text \u05D0\u05D1 \u00E9t\u00E9";
  const AnsiString bytes = "Προσφορά 1.234,56 € \x81\xAA"_a;
  for (int height : {-13, -27, 20})
    for (unsigned style : {0u, unsigned(fsBold), unsigned(fsItalic | fsUnderline)}) {
      SCOPED_TRACE(testing::Message() << height << " " << style);
      TFont first, other, arial;
      first.Name = "Qwxz Unknown";
      other.Name = "Ar'al";
      arial.Name = "Arial";
      for (TFont* f : {&first, &other, &arial}) {
        f->SetHeight(height);
        f->Style = style;
      }
      const gfx::ResolvedFont& shared = gfx::Resolve(first);
      EXPECT_EQ(&gfx::Resolve(other), &shared);
      EXPECT_NE(&gfx::Resolve(arial), &shared);
      const gfx::ResolvedFont alone(other);
      EXPECT_EQ(shared.Metrics().tmAscent, alone.Metrics().tmAscent);
      EXPECT_EQ(shared.Metrics().tmHeight, alone.Metrics().tmHeight);
      EXPECT_EQ(shared.Metrics().tmAveCharWidth, alone.Metrics().tmAveCharWidth);
      EXPECT_EQ(shared.Metrics().tmMaxCharWidth, alone.Metrics().tmMaxCharWidth);
      EXPECT_EQ(shared.Width(bytes), alone.Width(bytes));
      EXPECT_EQ(shared.CharacterEnds(bytes), alone.CharacterEnds(bytes));
      EXPECT_EQ(shared.Width(std::u16string_view(wide)), alone.Width(std::u16string_view(wide)));
      EXPECT_EQ(shared.CharacterEnds(std::u16string_view(wide)),
                alone.CharacterEnds(std::u16string_view(wide)));
    }
}

struct Pinned {
  const char* face;
  int height;
  unsigned style;
  int ascent, descent, internalLeading, widthLatin, widthGreek;
};

TEST(TextMetrics, PinnedForTheMappedFaces) {
  TImageCanvas canvas(10, 10);
  const Pinned cases[] = {
#include "PinnedMetrics.inc"
  };
  for (const Pinned& c : cases) {
    canvas.Font->Name = c.face;
    canvas.Font->SetHeight(c.height);
    canvas.Font->Style = c.style;
    TTextMetric tm = canvas.GetTextMetrics();
    SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.height));
    EXPECT_EQ(tm.tmAscent, c.ascent);
    EXPECT_EQ(tm.tmDescent, c.descent);
    EXPECT_EQ(tm.tmHeight, c.ascent + c.descent);
    EXPECT_EQ(tm.tmInternalLeading, c.internalLeading);
    EXPECT_EQ(canvas.TextWidth("Tender 2004, total:"), c.widthLatin);
    EXPECT_EQ(canvas.TextWidth("Προσφορά μειοδότη"_a), c.widthGreek);
    EXPECT_EQ(canvas.TextHeight("Προσφορά"_a), c.ascent + c.descent);
  }
}

TEST(TextMetrics, WidthsAreWholeUnitsAndAdditive) {
  TImageCanvas canvas(10, 10);
  canvas.Font->Name = "Arial";
  canvas.Font->SetSize(10);
  AnsiString text = "ΑΒΓΔ abcd 1234"_a;
  std::vector<int> ends = canvas.CharacterEnds(text);
  ASSERT_EQ(ends.size(), text.size());
  EXPECT_EQ(ends.back(), canvas.TextWidth(text));
  // Whole-unit advances: every prefix measures as its last character's end.
  for (size_t i = 1; i <= text.size(); ++i) EXPECT_EQ(canvas.TextWidth(text.substr(0, i)), ends[i - 1]) << i;
}

// Laid-out texts are kept per font and dropped when too many: a text drawn
// again, from the kept layout or after the drop, looks as it did first.
TEST(TextDrawing, KeptLayoutsDrawAsAFreshOne) {
  auto draw = [](TImageCanvas& canvas, const AnsiString& text, const char* face) {
    canvas.Font->Name = face;
    canvas.Font->SetSize(10);
    canvas.TextOut(2, 2, text);
  };
  const AnsiString text = "Προσφορά 1.234,56"_a;
  TImageCanvas first(160, 24);
  draw(first, text, "Arial");
  TImageCanvas other(160, 24);
  draw(other, text, "Times New Roman");  // the same text in another font is another layout
  EXPECT_NE(first.Snapshot().Pixels, other.Snapshot().Pixels);
  TImageCanvas scratch(160, 24);
  for (int i = 0; i < 1500; ++i) draw(scratch, std::to_string(i), "Arial");
  for (int round = 0; round < 2; ++round) {
    TImageCanvas again(160, 24);
    draw(again, text, "Arial");
    EXPECT_EQ(again.Snapshot().Pixels, first.Snapshot().Pixels) << round;
  }
}

TEST(TextMetrics, PositiveHeightIsTheCellHeight) {
  TImageCanvas canvas(10, 10);
  canvas.Font->Name = "Arial";
  for (int cell : {13, 16, 20, 33}) {
    canvas.Font->SetHeight(cell);
    EXPECT_NEAR(canvas.GetTextMetrics().tmHeight, cell, 1) << cell;
  }
}

TEST(TextMetrics, FixedPitchFaceHasEqualAdvances) {
  TImageCanvas canvas(10, 10);
  canvas.Font->Name = "Courier New Greek";
  canvas.Font->SetSize(10);
  EXPECT_EQ(canvas.TextWidth("iiiii"), canvas.TextWidth("WWWWW"));
  EXPECT_EQ(canvas.TextWidth("ΩΩΩ"_a), canvas.TextWidth("ιιι"_a));
}

TEST(TextMetrics, SizeAndHeightFollowThePixelsPerInch) {
  TFont font;
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -13);
  font.PixelsPerInch = 600;
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -83);
  EXPECT_EQ(font.Size(), 10);
  TFont screen;
  screen.SetSize(12);
  font.Assign(screen);
  EXPECT_EQ(font.Size(), 12);
  EXPECT_EQ(font.Height(), -100);
  TFont cell;
  cell.SetHeight(16);  // a cell height of 16 screen pixels
  font.Assign(cell);
  EXPECT_EQ(font.Height(), 100);
  TFont same;
  same.PixelsPerInch = 600;
  same.SetHeight(-77);
  font.Assign(same);
  EXPECT_EQ(font.Height(), -77);
}

}  // namespace

// Code-page texts are measured from a table of character advances; every
// face, size and style the program uses must give what a layout of the
// whole text gives, widths and character ends, for any characters,
// controls and blanks included.
TEST(TextMetrics, AdvanceTableMeasuresAsTheLayout) {
  std::mt19937 random(16);
  const int heights[] = {-13, -16, -83, 20, -4000, -12000, -32110};
  const unsigned styles[] = {0, fsBold, fsItalic, fsUnderline | fsStrikeOut};
  std::vector<AnsiString> faces = gfx::FontFaceNames();
  faces.push_back("Courier New Greek");
  for (const AnsiString& face : faces)
    for (int height : heights)
      for (unsigned style : styles) {
        TFont font;
        font.Name = face;
        font.SetHeight(height);
        font.Style = style;
        const gfx::ResolvedFont& resolved = gfx::Resolve(font);
        SCOPED_TRACE(face + " " + std::to_string(height) + " " + std::to_string(style));
        for (int i = 0; i < 24; ++i) {
          AnsiString text(random() % 48, ' ');
          // Mostly letters, digits and blanks, now and then any byte.
          for (char& ch : text)
            ch = static_cast<char>(random() % 8 == 0 ? random() % 256 : 0x20 + random() % 224);
          ASSERT_EQ(resolved.Width(text), resolved.Width(resolved.Convert(text))) << i;
          ASSERT_EQ(resolved.CharacterEnds(text), resolved.CharacterEnds(resolved.Convert(text))) << i;
        }
        for (int b = 0; b < 256; ++b) {
          const AnsiString pair{static_cast<char>(b), 'a'};
          ASSERT_EQ(resolved.Width(pair), resolved.Width(resolved.Convert(pair))) << b;
        }
      }
}

// Wide texts are measured from a table of the advances of the characters
// that stand alone in the face, and through a layout when any other is in
// them: either way as a layout of the whole text measures it, for letters
// of any script, marks, joiners, blanks, controls and halves of pairs.
TEST(TextMetrics, WideAdvanceTableMeasuresAsTheLayout) {
  std::mt19937 random(17);
  const int heights[] = {-13, -16, -83, 20, -12000, -32110};
  const unsigned styles[] = {0, fsBold, fsItalic, fsUnderline | fsStrikeOut};
  std::vector<AnsiString> faces = gfx::FontFaceNames();
  faces.push_back("Courier New Greek");
  const std::u16string others = {0x0301, 0x0308, 0x05D0, 0x05D1, 0x0627, 0x0644, 0x4E2D,
                                 0xE000, 0xF041, 0x200D, 0x200F, 0x202E, 0x00A0, 0x2003,
                                 u'\t',  0xD83D, 0xDE00, 0xFB01, 0x0000, 0x2028, 0x0E01};
  for (const AnsiString& face : faces)
    for (int height : heights)
      for (unsigned style : styles)
        for (int charset : {GREEK_CHARSET, HEBREW_CHARSET}) {
          TFont font;
          font.Name = face;
          font.SetHeight(height);
          font.Style = style;
          font.Charset = charset;
          const gfx::ResolvedFont& resolved = gfx::Resolve(font);
          SCOPED_TRACE(face + " " + std::to_string(height) + " " + std::to_string(style));
          for (int i = 0; i < 32; ++i) {
            std::u16string text(random() % 40, u' ');
            // Latin, Greek and Cyrillic letters, punctuation and symbols;
            // every fourth text from anywhere in the first blocks, and now
            // and then anything.
            for (char16_t& ch : text) {
              const unsigned r = random() % 64;
              const char16_t usual[] = {static_cast<char16_t>(0x20 + random() % 0x160),
                                        static_cast<char16_t>(0x384 + random() % 0x4B),
                                        static_cast<char16_t>(0x400 + random() % 0x60),
                                        static_cast<char16_t>(0x2010 + random() % 0x30),
                                        0x20AC,
                                        0x2122,
                                        0xFFFD,
                                        0x007F};
              ch = i % 4 == 3 && r == 0 ? others[random() % others.size()]
                   : i % 4 == 2         ? static_cast<char16_t>(0x20 + random() % 0x470)
                   : r < 48             ? usual[random() % std::size(usual)]
                   : r < 56             ? static_cast<char16_t>(u'a' + random() % 26)
                                        : u' ';
            }
            ASSERT_EQ(resolved.Width(std::u16string_view(text)),
                      resolved.Width(gfx::ResolvedFont::ConvertWide(text)))
                << i;
            ASSERT_EQ(resolved.CharacterEnds(std::u16string_view(text)),
                      resolved.CharacterEnds(gfx::ResolvedFont::ConvertWide(text)))
                << i;
            // A piece with no character outside the table measures from the
            // running sums as alone.
            std::vector<long long> sums;
            std::vector<std::size_t> laidOut;
            resolved.AdvanceSums(std::u16string_view(text), sums, laidOut);
            for (size_t from = 0; from < text.size(); from += 1 + random() % 5) {
              const size_t to = from + random() % (text.size() - from + 1);
              if (!laidOut.empty() && laidOut[to] != laidOut[from]) continue;
              ASSERT_EQ(gfx::ResolvedFont::WholeWidth(sums[to] - sums[from]),
                        resolved.Width(gfx::ResolvedFont::ConvertWide(text.substr(from, to - from))))
                  << i << " " << from << " " << to;
            }
          }
        }
}

// Wide text goes to pango as UTF-8 with the offset each unit starts at: a
// surrogate pair's second unit starts where the character ends, a zero is
// a blank and half a pair the replacement character.
TEST(TextMetrics, WideTextConvertsToUtf8WithEachUnitsOffset) {
  const std::u16string high(1, char16_t(0xD83D)), low(1, char16_t(0xDE00));
  const struct {
    std::u16string text;
    std::string utf8;
    std::vector<int> offsets;
  } cases[] = {
      {u"", "", {0}},
      {std::u16string(u"a\0b", 3), "a b", {0, 1, 2, 3}},
      {u"Ωx€", "Ωx€", {0, 2, 3, 6}},
      {u"\U0001F600z", "\xF0\x9F\x98\x80z", {0, 4, 4, 5}},
      {high + u"x", "\xEF\xBF\xBDx", {0, 3, 4}},
      {low + high, "\xEF\xBF\xBD\xEF\xBF\xBD", {0, 3, 6}},
      {u"x" + high, "x\xEF\xBF\xBD", {0, 1, 4}},
  };
  for (const auto& c : cases) {
    const gfx::ResolvedFont::Converted converted = gfx::ResolvedFont::ConvertWide(c.text);
    EXPECT_EQ(converted.utf8, c.utf8) << c.utf8;
    EXPECT_EQ(converted.offsets, c.offsets) << c.utf8;
  }
  // Any text converts as the code page's own conversion does, each unit's
  // offset where the text before it ends.
  std::mt19937 random(5);
  for (int i = 0; i < 2000; ++i) {
    std::u16string text(random() % 12, u' ');
    for (char16_t& ch : text) {
      const unsigned r = random() % 4;
      ch = static_cast<char16_t>(r == 0   ? 1 + random() % 0x7F
                                 : r == 1 ? 0xD800 + random() % 0x800
                                          : random());
      if (ch == 0) ch = u' ';
    }
    const gfx::ResolvedFont::Converted converted = gfx::ResolvedFont::ConvertWide(text);
    ASSERT_EQ(converted.utf8, cp1253::WideToUtf8(text)) << i;
    ASSERT_EQ(converted.Count(), text.size()) << i;
    for (size_t k = 0; k <= text.size(); ++k) {
      const bool inPair = k > 0 && k < text.size() && text[k - 1] >= 0xD800 && text[k - 1] < 0xDC00 &&
                          text[k] >= 0xDC00 && text[k] < 0xE000;
      const size_t end = inPair ? k + 1 : k;
      ASSERT_EQ(converted.offsets[k], static_cast<int>(cp1253::WideToUtf8(text.substr(0, end)).size()))
          << i << " " << k;
    }
  }
}

// The characters of a huge font are tested in lines short enough for
// pango's positions: their texts are measured from the table, not laid
// out, as at any size.
TEST(TextMetrics, HugeFontsMeasureFromTheTable) {
  for (int height : {-13, -4000, -12000, -32110}) {
    TFont font;
    font.Name = "Arial";
    font.SetHeight(height);
    const gfx::ResolvedFont& resolved = gfx::Resolve(font);
    const AnsiString text = "Προσφορά "_a + std::to_string(height);
    EXPECT_GT(resolved.Width(text), 0) << height;
    EXPECT_FALSE(resolved.HasKeptLayout(text)) << height;
    EXPECT_EQ(resolved.Width(std::u16string_view(u"Ÿ€ \u00E9t\u00E9")),
              resolved.Width(gfx::ResolvedFont::ConvertWide(u"Ÿ€ \u00E9t\u00E9")))
        << height;
  }
}

// Soft hyphens mark every place a word may break in a document, and a
// line measured never breaks at one; controls are shown as boxes of their
// code, and pasted or damaged texts are full of them. Texts holding
// either, at each end, doubled and beside blanks, letters and digits,
// measure from the table as their layouts measure them, code-page and
// wide alike; tabs and line ends, shown by their place, are laid out.
TEST(TextMetrics, CharactersShownByARuleMeasureFromTheTableAsTheLayout) {
  // In octal where a letter or digit follows: \255 the soft hyphen.
  struct Case {
    const char* bytes;
    bool fromTable;
  };
  const Case cases[] = {{"\xAD", true},
                        {"\xAD\xAD", true},
                        {"\255a", true},
                        {"a\xAD", true},
                        {"\xE1\xAD\xAD\xE2", true},
                        {"\xD0\xF1\xEF\xF3\xAD\xF6\xEF\xF1\xDC", true},
                        {"12\25534 \255", true},
                        {" \xAD ", true},
                        {"W\255A\255V", true},
                        {"\x01", true},
                        {"\x07\x07", true},
                        {"a\x1F", true},
                        {"\x0B\xC1\x0C\xC2\x7F", true},
                        {"12\x03\x04 34\x1B", true},
                        {"\x1C\x1D\x1E\x1F\xAD\x01\x02", true},
                        {"\x08W\016A\x0F", true},
                        {"a\tb", false},
                        {"\x01\r\n\x02", false},
                        {"\n\x1F", false}};
  for (const char* face : {"Arial", "Times New Roman", "Courier New", "Tahoma"})
    for (int height : {-11, -16, -83, -4000, -32110})
      for (unsigned style : {0u, unsigned{fsBold}, unsigned{fsItalic}, unsigned{fsUnderline}}) {
        TFont font;
        font.Name = face;
        font.SetHeight(height);
        font.Style = style;
        const gfx::ResolvedFont& resolved = gfx::Resolve(font);
        for (const Case& c : cases) {
          const AnsiString text(c.bytes);
          SCOPED_TRACE(std::string(face) + " " + std::to_string(height) + " " + std::to_string(style) + " " +
                       std::to_string(&c - cases));
          const int width = resolved.Width(text);
          const std::vector<int> ends = resolved.CharacterEnds(text);
          ASSERT_EQ(resolved.HasKeptLayout(text), !c.fromTable);
          const WideString wide = cp1253::ToWide(text);
          EXPECT_EQ(resolved.Width(std::u16string_view(wide)), width);
          EXPECT_EQ(resolved.CharacterEnds(std::u16string_view(wide)), ends);
          const gfx::ResolvedFont::Converted converted = resolved.Convert(text);
          EXPECT_EQ(width, resolved.Width(converted));
          EXPECT_EQ(ends, resolved.CharacterEnds(converted));
        }
      }
}

// A line of the largest letters rich text asks for runs past pango's int
// within a hundred letters, where a layout's positions wrap round; the
// table's sums do not, so such a line measures as its letters together.
TEST(TextMetrics, HugeLetterLinesPastPangosIntMeasureAsTheirLetters) {
  TFont font;
  font.Name = "Arial";
  font.SetHeight(-32110);
  font.Style = fsBold;
  const gfx::ResolvedFont& resolved = gfx::Resolve(font);
  const AnsiString letter = "\xD9";  // capital omega
  const AnsiString line(240, letter[0]);
  std::vector<long long> sums;
  std::vector<std::size_t> laidOut;
  resolved.AdvanceSums(line, sums, laidOut);
  ASSERT_TRUE(laidOut.empty());
  ASSERT_GT(sums.back(), static_cast<long long>(INT32_MAX));
  EXPECT_EQ(sums.back(), 240 * sums[1]);
  EXPECT_EQ(resolved.Width(line), gfx::ResolvedFont::WholeWidth(sums.back()));
  const std::vector<int> ends = resolved.CharacterEnds(line);
  ASSERT_EQ(ends.size(), line.size());
  for (size_t i = 0; i < ends.size(); ++i)
    ASSERT_EQ(ends[i], gfx::ResolvedFont::WholeWidth(sums[i + 1])) << i;
}

// The kept layouts are bounded for all fonts together and the least
// recently used go first: a text drawn over and over stays kept while
// thousands of others pass, and every one draws as a fresh layout would.
// (Underlined text is drawn through layouts.)
TEST(TextDrawing, RecentlyUsedLayoutsOutliveAPassingReport) {
  TImageCanvas canvas(200, 24);
  canvas.Font->Name = "Arial";
  canvas.Font->Style = fsUnderline;
  canvas.Font->SetSize(10);
  const AnsiString kept = "Σύνολο προσφορών"_a;
  auto drawKept = [&] {
    canvas.Font->SetSize(10);
    canvas.FillRect(Rect(0, 0, 200, 24));
    canvas.TextOut(0, 0, kept);
    return canvas.Snapshot().Pixels;
  };
  const auto first = drawKept();
  const gfx::ResolvedFont& arial = gfx::Resolve(*canvas.Font);
  for (int i = 0; i < 6000; ++i) {
    canvas.Font->SetSize(8 + i % 3);
    canvas.TextOut(0, 0, "Γραμμή "_a + IntToStr(i));
    if (i % 1000 == 999) {
      EXPECT_EQ(drawKept(), first) << i;
      EXPECT_TRUE(arial.HasKeptLayout(kept)) << i;
    }
  }
  EXPECT_FALSE(arial.HasKeptLayout("Γραμμή 2"_a));
  EXPECT_TRUE(arial.HasKeptLayout("Γραμμή 5999"_a));
}

// Code-page text on pixels is drawn from the font's table when its layout
// would be one run: every face, size and style draws exactly the pixels a
// layout draws, for letters of both scripts, digits, blanks, any byte now
// and then, over a background, clipped and turned.
TEST(TextDrawing, PixelsFromTheTableAsTheLayoutDraws) {
  std::mt19937 random(18);
  const int heights[] = {-11, -13, -16, -27, 20};
  const unsigned styles[] = {0, fsBold, fsItalic, fsBold | fsItalic};
  const char* const pieces[] = {"Σύνολο", "kg", "1.234,56", " ", "ΑΒΓ", "abc",
                                "(α)",    "§",  "×",        "©", "€",   "-"};
  int fromTable = 0;
  for (const AnsiString& face : gfx::FontFaceNames())
    for (int height : heights)
      for (unsigned style : styles) {
        SCOPED_TRACE(face + " " + std::to_string(height) + " " + std::to_string(style));
        for (int i = 0; i < 12; ++i) {
          AnsiString text;
          if (i % 3 == 0) {
            for (int n = random() % 16; n > 0; --n)
              text += static_cast<char>(random() % 8 == 0 ? random() % 256 : 0x20 + random() % 224);
          } else {
            for (int n = 1 + random() % 4; n > 0; --n)
              text += cp1253::FromUtf8(pieces[random() % std::size(pieces)]);
          }
          const int orientation = i == 11 ? 900 : 0;
          auto draw = [&](bool fromTables) {
            gfx::DrawPixelsFromTables(fromTables);
            TImageCanvas canvas(220, 60);
            canvas.Font->Name = face;
            canvas.Font->SetHeight(height);
            canvas.Font->Style = style;
            canvas.Font->Color = clNavy;
            canvas.Font->Orientation = orientation;
            canvas.Brush->Style = i % 2 ? bsClear : bsSolid;
            canvas.Brush->Color = clYellow;
            canvas.TextOut(3, 4 + (i % 4 == 1 ? 30 : 0), text);
            TRect box = Rect(5, 30, 5 + 7 * (i % 5) + 20, 50);
            canvas.DrawText(text, box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_RIGHT);
            gfx::DrawPixelsFromTables(true);
            return canvas.Snapshot().Pixels;
          };
          TImageCanvas probe(1, 1);
          probe.Font->Name = face;
          probe.Font->SetHeight(height);
          probe.Font->Style = style;
          const gfx::ResolvedFont& resolved = gfx::Resolve(*probe.Font);
          cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
          cairo_t* cr = cairo_create(surface);
          fromTable += resolved.ShowsFromTable(cr, text) ? 1 : 0;
          cairo_destroy(cr);
          cairo_surface_destroy(surface);
          ASSERT_TRUE(draw(true) == draw(false)) << i << " " << cp1253::ToUtf8(text);
        }
      }
  // Most of the texts were drawn from the table.
  EXPECT_GT(fromTable, 6 * 5 * 4 * 12 / 3);
}
