#pragma once
// Text measuring and drawing through pango, in whole device units. The
// program's own fontconfig file maps the Windows face names onto the
// Liberation faces, and no other font is ever seen, so the same text has
// the same size on every machine.

#include <pango/pangocairo.h>

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/gfx/Graphics.h"

namespace gfx {

// A font resolved at a size in device units.
class ResolvedFont {
 public:
  ResolvedFont(const TFont& font);
  ~ResolvedFont();
  ResolvedFont(const ResolvedFont&) = delete;
  ResolvedFont& operator=(const ResolvedFont&) = delete;

  const TTextMetric& Metrics() const { return metrics_; }
  // The code page the font's character set reads its bytes in.
  int CodePage() const { return codePage_; }
  // The text converted for drawing: the font's code page (1253 unless its
  // character set is Hebrew or Arabic, or the symbol font's own encoding),
  // or UTF-16, to UTF-8, with the UTF-8 offset of each
  // character (each UTF-16 unit), plus the end.
  struct Converted {
    std::string utf8;
    std::vector<int> offsets;
    size_t Count() const { return offsets.empty() ? 0 : offsets.size() - 1; }
  };
  Converted Convert(const AnsiString& text) const;
  // The same into Out, whose storage is kept: a page draws line after line.
  void ConvertInto(const AnsiString& text, Converted& out) const;
  static Converted ConvertWide(std::u16string_view text);
  // A one-line layout of the text (line breaks are drawn, not obeyed),
  // in a paragraph read left to right or, with RightToLeft, right to left:
  // the runs of the other direction stand in visual order within it.
  PangoLayout* NewLayout(const Converted& text, bool rightToLeft = false) const;
  int Width(const Converted& text) const;
  // A code-page text is measured from the font's table of character
  // advances, without laying it out: with kerning and ligatures off and
  // advances in whole units, a text is as wide as the sum of its
  // characters. Characters whose advance depends on their neighbours (tabs
  // and the other control characters) send the text through a layout.
  int Width(const AnsiString& text) const;
  // The running sums of a code-page text's advances in pango units, 0 for
  // the start first, into Sums: the width of a piece of the text is then
  // WholeWidth of a difference, as Width gives it. A character whose
  // advance depends on its neighbours adds nothing; Width lays a piece
  // holding one out. Such characters are counted the same way into
  // LaidOut, left empty when the text has none.
  void AdvanceSums(const AnsiString& text, std::vector<long long>& sums,
                   std::vector<std::size_t>& laidOut) const;
  // A sum of advances in whole device units, as Width gives it.
  static int WholeWidth(long long units);
  std::vector<int> CharacterEnds(const Converted& text) const;
  // From the advance table, as Width.
  std::vector<int> CharacterEnds(const AnsiString& text) const;
  // A UTF-16 text measured as its conversion would be, from a table of
  // the advances of its characters when every one of them is a letter,
  // digit, mark of punctuation or symbol of a left-to-right script that
  // stands alone in its cluster in the font's own face, with the same
  // advance and glyph beside any neighbour; otherwise through a layout.
  // The table grows a block of 64 characters at a time as texts bring
  // them: rich text of any language is measured line by line, and laying
  // each piece out was most of what printing it cost.
  int Width(std::u16string_view text) const;
  std::vector<int> CharacterEnds(std::u16string_view text) const;
  // As the code page's AdvanceSums: a piece with no character outside the
  // wide table measures as Width measures it alone.
  void AdvanceSums(std::u16string_view text, std::vector<long long>& sums,
                   std::vector<std::size_t>& laidOut) const;
  // A box in device units, as InkBox gives it.
  struct Box {
    double left, top, right, bottom;
    bool Empty() const { return left >= right || top >= bottom; }
  };
  // Draws with the base line's start (its left end) at the current point
  // of Cr. Advances, when given, replace the natural ones character by
  // character, in reading order.
  void Show(cairo_t* cr, const Converted& text, const int* dx, bool rightToLeft = false) const;
  // Draws a code-page text (Converted is its conversion) with its natural
  // advances, or with Dx's when given. On a document (PDF, PostScript,
  // SVG), without underline or strike-out, and when every character has a
  // glyph of its own in the table, the glyphs go to cairo at their summed
  // advances with no layout made: a report of thousands of distinct lines,
  // or pages played from their metafiles, are not shaped at all.
  // Right-to-left text, or a paragraph read right to left, is laid out.
  // On pixels the same when the text's layout would be one run (a layout
  // draws its glyphs run by run, and glyphs drawn in one call blend where
  // they overlap unlike glyphs drawn in two) and there are no Dx: a grid's
  // cells are drawn paint after paint, and finding their layouts cost more
  // than drawing them. Ink, when given, gets the text's InkBox when it is
  // drawn from the table, found as its glyphs are placed, and is left as
  // it is otherwise: a printed page's every line is both drawn and
  // measured for its ink.
  void Show(cairo_t* cr, const AnsiString& text, const Converted& converted, const int* dx = nullptr,
            bool rightToLeft = false, std::optional<Box>* ink = nullptr) const;
  // Whether Show draws the code-page text on Cr from the table. The
  // conversion Show is given is then not read (a document's text comes
  // from the table with its glyphs), and may be left empty.
  bool ShowsFromTable(cairo_t* cr, const AnsiString& text, const int* dx = nullptr,
                      bool rightToLeft = false) const;
  // The same on a surface of the kind Target once the current point is
  // set, as Show sets it: whether the text needs its conversion at all.
  bool ShowsFromTableOn(cairo_surface_type_t target, const AnsiString& text, const int* dx = nullptr,
                        bool rightToLeft = false) const;
  // The box the glyphs of a code-page text cover when drawn from the
  // font's table as Show draws them (its base line's start at (0, 0), Dx
  // as there), in device units; empty when no glyph leaves ink. Nothing
  // when the text is not drawn from the table: its ink is then not known
  // without laying it out.
  std::optional<Box> InkBox(const AnsiString& text, const int* dx = nullptr) const;
  // Whether a layout of the text is kept.
  bool HasKeptLayout(const AnsiString& text) const;
  bool Underline() const { return underline_; }
  bool StrikeOut() const { return strikeOut_; }

 private:
  // Runs Use on the layout of Text, laid out once and kept: the cells of a
  // grid draw the same texts paint after paint, and laying text out is
  // most of what drawing it costs.
  template <typename Use>
  auto WithLayout(const Converted& text, bool rightToLeft, Use use) const;

  // The advance of each code-page character in pango units, and whether
  // it is the same beside any neighbour; and for those the glyph a layout
  // gives it alone in its cluster, in which of the fonts. Built on the
  // first use.
  struct Advances {
    int units[256] = {};
    bool exact[256] = {};
    bool drawable[256] = {};
    PangoGlyph glyph[256] = {};
    unsigned char font[256] = {};
    std::vector<PangoFont*> fonts;
  };
  const Advances& Table() const;
  void BuildAdvances() const;
  // Makes the control characters but the tab and line ends, and the soft
  // hyphen, characters of the table when layouts show each the same
  // wherever it stands.
  void TestShownByRule() const;
  // The advance of each character of Text through layouts, as texts are
  // measured (the table's other tests shape lines without one), in lines
  // short enough for pango's positions; false when a line is not as wide
  // as its characters.
  bool AdvancesInLayouts(const AnsiString& text, std::vector<long long>& advances) const;
  // For each drawable code-page character, the runs it joins without
  // starting one of its own: bit 0 a run of Latin letters, bit 1 one of
  // Greek letters. A text whose characters all share a bit is laid out as
  // one run. Found on the first use apart from the table, from two lines
  // itemized: only texts drawn on pixels ask.
  const unsigned char* RunClasses() const;
  // The advance in pango units of each character of Text into Units, when
  // every one is in the table of wide characters; false when one is not,
  // at once unless Whole is off (the others are then all given, and those
  // not in the table as kNotInTable).
  bool WideAdvances(std::u16string_view text, std::vector<int>& units, bool whole = true) const;
  // Tests the characters of a block that the table does not know yet.
  void TestWideBlock(std::array<int, 64>& block, char16_t first) const;
  // How many characters a line of a test lays out at once.
  size_t TestPiece() const;
  // The ink of each drawable character's glyph around its pen position;
  // empty for a blank. Found on the first use apart from the table:
  // loading every glyph costs more than all the rest of the table, and a
  // font that only measures never needs it.
  const Box* Inks() const;

  PangoFontDescription* description_ = nullptr;
  double em_ = 0;  // the em size in device units
  mutable std::once_flag advancesOnce_;
  mutable Advances advances_;
  mutable std::once_flag inksOnce_;
  mutable Box inks_[256] = {};
  mutable std::once_flag runsOnce_;
  mutable unsigned char runClasses_[256] = {};
  // Blocks of 64 wide characters by their first character's index over
  // 64: each character's advance in pango units, kNotInTable or
  // kUntested.
  static constexpr int kNotInTable = -1, kUntested = -2;
  mutable std::mutex wideLock_;
  mutable std::unordered_map<unsigned, std::array<int, 64>> wide_;
  TTextMetric metrics_;
  bool symbol_ = false;
  int codePage_ = 1253;
  bool underline_ = false;
  bool strikeOut_ = false;
};

// Whether code-page text on pixels may be drawn from the fonts' tables,
// and clipped only where its ink reaches past its box (on unless turned
// off): tests draw through layouts and clips to compare.
void DrawPixelsFromTables(bool on);
bool PixelsFromTables();

// The code page of a font's character set: 1255 for Hebrew, 1256 for
// Arabic, else the program's 1253.
int CodePageOfCharset(int charset);
// A code page's text as UTF-16; a byte the code page leaves undefined
// becomes U+FFFD.
WideString ToWideInCodePage(int codePage, std::string_view text);
// The same into a string kept by the caller, whose storage is reused.
void ToWideInCodePage(int codePage, std::string_view text, WideString& into);

// The faces offered to the user and written into font tables; tests and
// the program may replace the list.
std::vector<AnsiString>& FontFaceNames();

// The family the font configuration gives for a face name ("Arial" gives
// "Liberation Sans").
std::string MappedFamily(const AnsiString& faceName);

// Whether nothing in the font configuration answers to the face name (no
// alias and no installed face), so that it resolves to the fallback face
// as every other such name does.
bool FallsBack(const AnsiString& faceName);

// A cache of resolved fonts keyed on everything that changes the metrics:
// names that fall back share one font for each size and style.
const ResolvedFont& Resolve(const TFont& font);

}  // namespace gfx
