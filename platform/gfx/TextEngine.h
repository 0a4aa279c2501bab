#pragma once
// Text measuring and drawing through pango, in whole device units. The
// program's own fontconfig file maps the Windows face names onto the
// Liberation faces, and no other font is ever seen, so the same text has
// the same size on every machine.

#include <pango/pangocairo.h>

#include <memory>
#include <mutex>
#include <string>
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
  // The text converted for drawing: code page 1253 (or the symbol font's
  // own encoding), or UTF-16, to UTF-8, with the UTF-8 offset of each
  // character (each UTF-16 unit), plus the end.
  struct Converted {
    std::string utf8;
    std::vector<int> offsets;
    size_t Count() const { return offsets.empty() ? 0 : offsets.size() - 1; }
  };
  Converted Convert(const AnsiString& text) const;
  static Converted ConvertWide(std::u16string_view text);
  // A one-line layout of the text (line breaks are drawn, not obeyed).
  PangoLayout* NewLayout(const Converted& text) const;
  int Width(const Converted& text) const;
  // A code-page text is measured from the font's table of character
  // advances, without laying it out: with kerning and ligatures off and
  // advances in whole units, a text is as wide as the sum of its
  // characters. Characters whose advance depends on their neighbours (tabs
  // and the other control characters) send the text through a layout.
  int Width(const AnsiString& text) const;
  std::vector<int> CharacterEnds(const Converted& text) const;
  // From the advance table, as Width.
  std::vector<int> CharacterEnds(const AnsiString& text) const;
  // Draws with the base line's start at the current point of Cr. Advances,
  // when given, replace the natural ones character by character.
  void Show(cairo_t* cr, const Converted& text, const int* dx) const;
  // Draws a code-page text (Converted is its conversion) with its natural
  // advances, or with Dx's when given. On a document (PDF, PostScript,
  // SVG), without underline or strike-out, and when every character has a
  // glyph of its own in the table, the glyphs go to cairo at their summed
  // advances with no layout made: a report of thousands of distinct lines,
  // or pages played from their metafiles, are not shaped at all.
  void Show(cairo_t* cr, const AnsiString& text, const Converted& converted, const int* dx = nullptr) const;
  // Whether a layout of the text is kept.
  bool HasKeptLayout(const AnsiString& text) const;
  bool Underline() const { return underline_; }
  bool StrikeOut() const { return strikeOut_; }

 private:
  // Runs Use on the layout of Text, laid out once and kept: the cells of a
  // grid draw the same texts paint after paint, and laying text out is
  // most of what drawing it costs.
  template <typename Use>
  auto WithLayout(const Converted& text, Use use) const;

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

  PangoFontDescription* description_ = nullptr;
  mutable std::once_flag advancesOnce_;
  mutable Advances advances_;
  TTextMetric metrics_;
  bool symbol_ = false;
  bool underline_ = false;
  bool strikeOut_ = false;
};

// The faces offered to the user and written into font tables; tests and
// the program may replace the list.
std::vector<AnsiString>& FontFaceNames();

// The family the font configuration gives for a face name ("Arial" gives
// "Liberation Sans").
std::string MappedFamily(const AnsiString& faceName);

// A cache of resolved fonts keyed on everything that changes the metrics.
const ResolvedFont& Resolve(const TFont& font);

}  // namespace gfx
