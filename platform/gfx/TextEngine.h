#pragma once
// Text measuring and drawing through pango, in whole device units. The
// program's own fontconfig file maps the Windows face names onto the
// Liberation faces, and no other font is ever seen, so the same text has
// the same size on every machine.

#include <pango/pangocairo.h>

#include <memory>
#include <mutex>
#include <string>
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
  // Code-page widths are remembered: cells and report lines measure the
  // same texts over and over.
  int Width(const AnsiString& text) const;
  std::vector<int> CharacterEnds(const Converted& text) const;
  std::vector<int> CharacterEnds(const AnsiString& text) const { return CharacterEnds(Convert(text)); }
  // Draws with the base line's start at the current point of Cr. Advances,
  // when given, replace the natural ones character by character.
  void Show(cairo_t* cr, const Converted& text, const int* dx) const;
  bool Underline() const { return underline_; }
  bool StrikeOut() const { return strikeOut_; }

 private:
  // Runs Use on the layout of Text, laid out once and kept: the cells of a
  // grid draw the same texts paint after paint, and laying text out is
  // most of what drawing it costs.
  template <typename Use>
  auto WithLayout(const Converted& text, Use use) const;
  // Called with layoutsLock_ held (or from the destructor).
  void DropLayouts() const;

  PangoFontDescription* description_ = nullptr;
  mutable std::mutex widthsLock_;
  mutable std::unordered_map<AnsiString, int> widths_;
  mutable std::mutex layoutsLock_;
  mutable std::unordered_map<std::string, PangoLayout*> layouts_;
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
