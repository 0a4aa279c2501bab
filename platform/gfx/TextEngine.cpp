#include "platform/gfx/TextEngine.h"

#include <fontconfig/fontconfig.h>
#include <iconv.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "platform/gfx/FontsConf.h"  // generated: kFontsConf

namespace gfx {
namespace {

// The blank's byte, as the font's tables index it.
constexpr unsigned char kBlank = ' ';
constexpr unsigned char kSoftHyphen = 0xAD;

// The font map and a measuring context shared by every canvas. Glyph
// positions and metrics are rounded to whole device units.
struct Engine {
  FcConfig* config = nullptr;
  PangoFontMap* fontMap = nullptr;
  PangoContext* context = nullptr;
  // The same, for paragraphs read right to left.
  PangoContext* rightToLeft = nullptr;

  Engine() {
    config = FcConfigCreate();
    if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kFontsConf), FcTrue) ||
        !FcConfigBuildFonts(config))
      throw std::runtime_error("the program's font configuration cannot be loaded");
    FcFontSet* fonts = FcConfigGetFonts(config, FcSetSystem);
    if (fonts == nullptr || fonts->nfont == 0)
      // Drawing goes on (text shows as boxes); the cause is said once.
      std::fprintf(stderr, "%s\n",
                   "No fonts: the Liberation fonts (package fonts-liberation2) are not installed in "
                   "/usr/share/fonts/truetype/liberation2");
    fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap), config);
    context = pango_font_map_create_context(fontMap);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, TRUE);
    pango_context_set_language(context, pango_language_from_string("el"));
    // A paragraph's direction is the one asked for, never guessed from its
    // first letter.
    pango_context_set_base_dir(context, PANGO_DIRECTION_LTR);
    rightToLeft = pango_font_map_create_context(fontMap);
    pango_cairo_context_set_font_options(rightToLeft, pango_cairo_context_get_font_options(context));
    pango_context_set_round_glyph_positions(rightToLeft, TRUE);
    pango_context_set_language(rightToLeft, pango_language_from_string("el"));
    pango_context_set_base_dir(rightToLeft, PANGO_DIRECTION_RTL);
  }
};

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

bool IsSymbolFace(const AnsiString& name) {
  return name.size() == 6 && (name[0] == 'S' || name[0] == 's') && name.substr(1) == "ymbol";
}

// The symbol font's letters are Greek letters; $B7 is the bullet.
char32_t SymbolToUnicode(unsigned char byte) {
  static constexpr char32_t kUpper[26] = {0x391, 0x392, 0x3A7, 0x394, 0x395, 0x3A6, 0x393, 0x397, 0x399,
                                          0x3D1, 0x39A, 0x39B, 0x39C, 0x39D, 0x39F, 0x3A0, 0x398, 0x3A1,
                                          0x3A3, 0x3A4, 0x3A5, 0x3C2, 0x3A9, 0x39E, 0x3A8, 0x396};
  static constexpr char32_t kLower[26] = {0x3B1, 0x3B2, 0x3C7, 0x3B4, 0x3B5, 0x3C6, 0x3B3, 0x3B7, 0x3B9,
                                          0x3D5, 0x3BA, 0x3BB, 0x3BC, 0x3BD, 0x3BF, 0x3C0, 0x3B8, 0x3C1,
                                          0x3C3, 0x3C4, 0x3C5, 0x3D6, 0x3C9, 0x3BE, 0x3C8, 0x3B6};
  if (byte >= 'A' && byte <= 'Z') return kUpper[byte - 'A'];
  if (byte >= 'a' && byte <= 'z') return kLower[byte - 'a'];
  if (byte == 0xB7) return 0x2022;
  return byte;
}

using cp1253::AppendUtf8;

// The characters of the code pages a font's character set may select,
// read once from the system's converters.
std::array<char16_t, 256> CodePageTable(const char* name) {
  std::array<char16_t, 256> table{};
  iconv_t cd = iconv_open("UTF-16LE", name);
  for (int b = 0; b < 256; ++b) {
    table[b] = b < 0x80 ? static_cast<char16_t>(b) : u'\uFFFD';
    if (cd == reinterpret_cast<iconv_t>(-1) || b < 0x80) continue;
    char in = static_cast<char>(b);
    unsigned char out[8] = {};
    char *from = &in, *to = reinterpret_cast<char*>(out);
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // A letter may wait for a following mark: the flush gives it.
    if (iconv(cd, &from, &inLeft, &to, &outLeft) != static_cast<size_t>(-1) &&
        iconv(cd, nullptr, nullptr, &to, &outLeft) != static_cast<size_t>(-1) && sizeof out - outLeft == 2)
      table[b] = static_cast<char16_t>(out[0] | out[1] << 8);
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  return table;
}

char16_t InCodePage(int codePage, unsigned char byte) {
  if (codePage == 1255) {
    static const std::array<char16_t, 256> hebrew = CodePageTable("CP1255");
    return hebrew[byte];
  }
  if (codePage == 1256) {
    static const std::array<char16_t, 256> arabic = CodePageTable("CP1256");
    return arabic[byte];
  }
  return cp1253::ToUnicode(byte);
}

int ToUnits(int pango) { return static_cast<int>(std::lround(static_cast<double>(pango) / PANGO_SCALE)); }

// No kerning and no ligatures: every character keeps its own advance, so
// a text is as wide as the sum of its characters.
constexpr const char* kOwnAdvances = "kern 0, liga 0, clig 0";

PangoFontDescription* Describe(const TFont& font, double emSize) {
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, font.Name.empty() ? "Arial" : cp1253::ToUtf8(font.Name).c_str());
  pango_font_description_set_weight(d, (font.Style & fsBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(d, (font.Style & fsItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(d, emSize * PANGO_SCALE);
  return d;
}

// The items a one-line layout of a text in a left-to-right paragraph
// makes of it, as its runs: the caller frees them.
GList* Itemize(const PangoFontDescription* description, const std::string& utf8) {
  PangoAttrList* attrs = pango_attr_list_new();
  pango_attr_list_insert(attrs, pango_attr_font_desc_new(description));
  pango_attr_list_insert(attrs, pango_attr_font_features_new(kOwnAdvances));
  GList* items = pango_itemize_with_base_dir(TheEngine().context, PANGO_DIRECTION_LTR, utf8.data(), 0,
                                             static_cast<int>(utf8.size()), attrs, nullptr);
  pango_attr_list_unref(attrs);
  return items;
}

void FreeItems(GList* items) { g_list_free_full(items, reinterpret_cast<GDestroyNotify>(pango_item_free)); }

// The runs of a text's one-line layout, shaped as the layout shapes them
// but without laying the line out: a layout's extents load every glyph of
// its line from the font file, and for the hundreds of characters a
// font's tables test that was most of what a new size cost.
class ShapedLine {
 public:
  struct Run {
    PangoItem* item;
    PangoGlyphString* glyphs;
  };
  ShapedLine(const PangoFontDescription* description, const ResolvedFont::Converted& text) {
    PangoContext* context = TheEngine().context;
    const char* utf8 = text.utf8.data();
    const int length = static_cast<int>(text.utf8.size());
    items_ = Itemize(description, text.utf8);
    const auto flags =
        pango_context_get_round_glyph_positions(context) ? PANGO_SHAPE_ROUND_POSITIONS : PANGO_SHAPE_NONE;
    for (GList* it = items_; it != nullptr; it = it->next) {
      auto* item = static_cast<PangoItem*>(it->data);
      runs_.push_back({item, pango_glyph_string_new()});
      pango_shape_with_flags(utf8 + item->offset, item->length, utf8, length, &item->analysis,
                             runs_.back().glyphs, flags);
    }
  }
  ~ShapedLine() {
    for (const Run& run : runs_) pango_glyph_string_free(run.glyphs);
    FreeItems(items_);
  }
  ShapedLine(const ShapedLine&) = delete;
  ShapedLine& operator=(const ShapedLine&) = delete;

  const std::vector<Run>& Runs() const { return runs_; }
  // The line's width as the layout gives it: its positions are ints.
  std::optional<int> Width() const {
    long long width = 0;
    for (const Run& run : runs_)
      for (int g = 0; g < run.glyphs->num_glyphs; ++g) width += run.glyphs->glyphs[g].geometry.width;
    if (width > std::numeric_limits<int>::max() || width < std::numeric_limits<int>::min())
      return std::nullopt;
    return static_cast<int>(width);
  }

 private:
  GList* items_ = nullptr;
  std::vector<Run> runs_;
};

}  // namespace

ResolvedFont::ResolvedFont(const TFont& font) {
  Engine& engine = TheEngine();
  symbol_ = IsSymbolFace(font.Name);
  codePage_ = symbol_ ? 1253 : CodePageOfCharset(font.Charset);
  underline_ = font.Style & fsUnderline;
  strikeOut_ = font.Style & fsStrikeOut;
  int height = font.Height();
  if (height == 0) height = -MulDiv(10, font.PixelsPerInch, 72);
  double em = -height;
  if (height > 0) {
    // A cell height: find the em size whose ascent plus descent gives it.
    PangoFontDescription* probe = Describe(font, 1000);
    PangoFontMetrics* m = pango_context_get_metrics(engine.context, probe, nullptr);
    double cell = pango_font_metrics_get_ascent(m) + pango_font_metrics_get_descent(m);
    pango_font_metrics_unref(m);
    pango_font_description_free(probe);
    em = cell > 0 ? height * 1000.0 * PANGO_SCALE / cell : height;
  }
  em_ = em;
  description_ = Describe(font, em);
  PangoFontMetrics* m = pango_context_get_metrics(engine.context, description_, nullptr);
  metrics_.tmAscent = ToUnits(pango_font_metrics_get_ascent(m));
  metrics_.tmDescent = ToUnits(pango_font_metrics_get_descent(m));
  metrics_.tmHeight = metrics_.tmAscent + metrics_.tmDescent;
  metrics_.tmInternalLeading = std::max(0, metrics_.tmHeight - static_cast<int>(std::lround(em)));
  metrics_.tmExternalLeading = std::max(0, ToUnits(pango_font_metrics_get_height(m)) - metrics_.tmHeight);
  metrics_.tmAveCharWidth = ToUnits(pango_font_metrics_get_approximate_char_width(m));
  pango_font_metrics_unref(m);
  // From the line shaped alone: laying it out would load the glyph from
  // the font file, and a font resolved for its metrics alone (a metafile's
  // text records need its ascent and height) never draws or measures.
  metrics_.tmMaxCharWidth = ToUnits(ShapedLine(description_, Convert("W")).Width().value_or(0));
}

namespace {

// Laid-out texts kept for all fonts together, the least recently used
// going first at the limit: a report's thousands of distinct lines pass
// through without emptying it, and however many sizes a metafile or a
// preview asks for, the whole stays at the limit.
class LayoutCache {
 public:
  static constexpr size_t kLimit = 4096;

  // The kept layout of Text in Font, made by Make when there is none.
  // Called with Lock held; the layout stays valid until the next call.
  template <typename Make>
  PangoLayout* Find(const ResolvedFont* font, bool rightToLeft, const std::string& text, Make make) {
    auto it = index_.find(Key{font, rightToLeft, text});
    if (it != index_.end()) {
      order_.splice(order_.begin(), order_, it->second);
      return it->second->layout;
    }
    if (order_.size() >= kLimit) Evict(std::prev(order_.end()));
    order_.push_front(Entry{font, rightToLeft, text, make()});
    index_.emplace(Key{font, rightToLeft, order_.front().text}, order_.begin());
    ++counts_[font];
    return order_.front().layout;
  }

  bool Has(const ResolvedFont* font, const std::string& text) {
    std::lock_guard guard(Lock);
    return index_.count(Key{font, false, text}) != 0;
  }

  // Drops every layout of a font that goes.
  void Forget(const ResolvedFont* font) {
    std::lock_guard guard(Lock);
    auto count = counts_.find(font);
    if (count == counts_.end()) return;
    for (auto it = order_.begin(); it != order_.end() && count->second > 0;) {
      auto next = std::next(it);
      if (it->font == font) Evict(it);
      it = next;
    }
    counts_.erase(font);
  }

  std::mutex Lock;

 private:
  struct Entry {
    const ResolvedFont* font;
    bool rightToLeft;
    std::string text;
    PangoLayout* layout;
  };
  using Order = std::list<Entry>;
  struct Key {
    const ResolvedFont* font;
    bool rightToLeft;
    std::string_view text;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const {
      return std::hash<std::string_view>()(k.text) ^ (std::hash<const void*>()(k.font) * 31) ^ k.rightToLeft;
    }
  };

  void Evict(Order::iterator it) {
    index_.erase(Key{it->font, it->rightToLeft, it->text});
    --counts_[it->font];
    g_object_unref(it->layout);
    order_.erase(it);
  }

  Order order_;  // the most recently used first
  std::unordered_map<Key, Order::iterator, KeyHash> index_;
  std::unordered_map<const ResolvedFont*, size_t> counts_;
};

// Never freed: fonts kept in static caches forget their layouts here as
// the program ends, in whatever order the statics go.
LayoutCache& Layouts() {
  static LayoutCache* cache = new LayoutCache;
  return *cache;
}

long long WholeUnits(long long pango) { return std::llround(static_cast<double>(pango) / PANGO_SCALE); }

// The character index of each UTF-8 offset of a converted text, the end
// included (it gives the count).
std::vector<int> CharacterIndex(const ResolvedFont::Converted& text) {
  const size_t count = text.Count();
  std::vector<int> charAt(text.utf8.size() + 1, 0);
  for (size_t c = 0; c < count; ++c)
    for (int b = text.offsets[c]; b < text.offsets[c + 1]; ++b) charAt[b] = static_cast<int>(c);
  charAt[text.utf8.size()] = static_cast<int>(count);
  return charAt;
}

// The advance of each character of a one-line layout in pango units:
// each cluster's glyphs give theirs to the first character of the
// cluster, in reading order, whatever order the runs of the other
// direction stand in on the line.
std::vector<long long> LaidAdvances(PangoLayout* layout, const ResolvedFont::Converted& text) {
  const std::vector<int> charAt = CharacterIndex(text);
  std::vector<long long> advance(text.Count(), 0);
  PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
  for (GSList* run = line ? line->runs : nullptr; run != nullptr; run = run->next) {
    auto* item = static_cast<PangoGlyphItem*>(run->data);
    for (int g = 0; g < item->glyphs->num_glyphs; ++g)
      advance[charAt[item->item->offset + item->glyphs->log_clusters[g]]] +=
          item->glyphs->glyphs[g].geometry.width;
  }
  return advance;
}

// Each character of a layout's single line: its advance in pango units
// (-1 when it shares a cluster, so the advance is not its own), and the
// glyph and font of a cluster of one glyph drawn where it stands.
struct CharacterGlyph {
  long long advance = 0;
  int glyphs = 0;
  PangoGlyph glyph = PANGO_GLYPH_EMPTY;
  PangoFont* font = nullptr;
  bool moved = false;
};

std::vector<CharacterGlyph> CharacterGlyphs(const ShapedLine& line, const ResolvedFont::Converted& text) {
  const size_t count = text.Count();
  const std::vector<int> charAt = CharacterIndex(text);
  std::vector<CharacterGlyph> out(count);
  for (const ShapedLine::Run& run : line.Runs()) {
    for (int g = 0; g < run.glyphs->num_glyphs; ++g) {
      const PangoGlyphInfo& info = run.glyphs->glyphs[g];
      CharacterGlyph& c = out[charAt[run.item->offset + run.glyphs->log_clusters[g]]];
      c.advance += info.geometry.width;
      c.glyph = info.glyph;
      c.font = run.item->analysis.font;
      c.moved = c.moved || info.geometry.x_offset != 0 || info.geometry.y_offset != 0;
      ++c.glyphs;
    }
  }
  int owner = -1;
  for (size_t c = 0; c < count; ++c) {
    if (out[c].glyphs > 0) {
      owner = static_cast<int>(c);
      continue;
    }
    out[c].advance = -1;
    if (owner >= 0) out[owner].advance = -1;
  }
  return out;
}

// Whether a line is as wide as its characters' advances: when it is not,
// no text can be measured from them.
bool AsWideAsItsCharacters(const ShapedLine& line, const std::vector<CharacterGlyph>& glyphs) {
  long long sum = 0;
  for (const CharacterGlyph& g : glyphs) sum += g.advance;
  const std::optional<int> width = line.Width();
  return width && sum == *width;
}

// The glyphs of the characters of a test line, shaped Piece characters
// at a time, and whether every piece was as wide as its characters. Pango
// keeps a line's positions in ints: the hundreds of characters of a test
// at a huge size go in pieces that stay well within them, those at the
// sizes text is read at in one. The lines are added to Lines, to be freed
// when the fonts the glyphs name are no longer needed.
struct TestGlyphs {
  std::vector<CharacterGlyph> glyphs;
  bool whole = true;
};

template <typename Text, typename Convert>
TestGlyphs LayInPieces(const PangoFontDescription* description, const Text& text, size_t piece,
                       Convert convert, std::vector<std::unique_ptr<ShapedLine>>& lines) {
  TestGlyphs out;
  for (size_t at = 0; at < text.size(); at += piece) {
    const ResolvedFont::Converted converted = convert(text.substr(at, piece));
    lines.push_back(std::make_unique<ShapedLine>(description, converted));
    const std::vector<CharacterGlyph> glyphs = CharacterGlyphs(*lines.back(), converted);
    out.whole = out.whole && AsWideAsItsCharacters(*lines.back(), glyphs);
    out.glyphs.insert(out.glyphs.end(), glyphs.begin(), glyphs.end());
  }
  return out;
}

// A character laid out alone in a line of its fellows (G), and twice over
// in a line of them backwards (G2, G3), keeps its advance beside any
// neighbour when the three agree. Any advance well inside pango's int will do:
// the largest sizes rich text asks for have letters wider than 16,384
// units, and each text of such a font was laid out.
bool SameAdvance(const CharacterGlyph& g, const CharacterGlyph& g2, const CharacterGlyph& g3) {
  return g.advance >= 0 && g.advance < (1 << 30) && g2.advance == g.advance && g3.advance == g.advance;
}

// It stands alone in its cluster when that is one glyph in its place, the
// same in all three, a glyph of the face or the box pango draws for a
// character the face has none for.
bool SameCluster(const CharacterGlyph& g, const CharacterGlyph& g2, const CharacterGlyph& g3) {
  return g.glyphs == 1 && !g.moved && g.font != nullptr && g.glyph != PANGO_GLYPH_EMPTY &&
         g2.glyph == g.glyph && g3.glyph == g.glyph && g2.font == g.font && g3.font == g.font;
}

// And it can be drawn by its glyph alone when that is a glyph of the face.
bool SameGlyph(const CharacterGlyph& g, const CharacterGlyph& g2, const CharacterGlyph& g3) {
  return SameCluster(g, g2, g3) && (g.glyph & PANGO_GLYPH_UNKNOWN_FLAG) == 0;
}

// The wide characters that may be measured from the table, when the face
// draws them alone in their cluster: letters, digits, punctuation and
// symbols of the scripts read left to right that no shaping joins or
// reorders. Marks lean on their neighbours, format and control characters
// change them, and blanks other than the plain one take their neighbours'
// face. The replacement character stands for the code page's undefined
// bytes, and rich text holds it wherever one was read; it and the delete
// character, which damaged text is full of, are drawn as boxes.
bool IsShownAsBox(char16_t c) { return c == 0x7F || c == 0xFFFD; }

bool MayStandAlone(char16_t c) {
  if (c == u' ' || IsShownAsBox(c)) return true;
  const bool inRange = (c > u' ' && c < 0x0590) || (c >= 0x1D00 && c < 0x2C00) ||
                       (c >= 0x2C60 && c < 0x2C80) || (c >= 0xA720 && c < 0xA800);
  if (!inRange) return false;
  switch (g_unichar_type(c)) {
    case G_UNICODE_LOWERCASE_LETTER:
    case G_UNICODE_UPPERCASE_LETTER:
    case G_UNICODE_TITLECASE_LETTER:
    case G_UNICODE_MODIFIER_LETTER:
    case G_UNICODE_OTHER_LETTER:
    case G_UNICODE_DECIMAL_NUMBER:
    case G_UNICODE_LETTER_NUMBER:
    case G_UNICODE_OTHER_NUMBER:
    case G_UNICODE_CONNECT_PUNCTUATION:
    case G_UNICODE_DASH_PUNCTUATION:
    case G_UNICODE_OPEN_PUNCTUATION:
    case G_UNICODE_CLOSE_PUNCTUATION:
    case G_UNICODE_INITIAL_PUNCTUATION:
    case G_UNICODE_FINAL_PUNCTUATION:
    case G_UNICODE_OTHER_PUNCTUATION:
    case G_UNICODE_MATH_SYMBOL:
    case G_UNICODE_CURRENCY_SYMBOL:
    case G_UNICODE_MODIFIER_SYMBOL:
    case G_UNICODE_OTHER_SYMBOL:
      break;
    default:
      return false;
  }
  switch (g_unichar_get_script(c)) {
    case G_UNICODE_SCRIPT_COMMON:
    case G_UNICODE_SCRIPT_LATIN:
    case G_UNICODE_SCRIPT_GREEK:
    case G_UNICODE_SCRIPT_CYRILLIC:
      return true;
    default:
      return false;
  }
}

}  // namespace

ResolvedFont::~ResolvedFont() {
  Layouts().Forget(this);
  for (PangoFont* font : advances_.fonts) g_object_unref(font);
  pango_font_description_free(description_);
}

template <typename Use>
auto ResolvedFont::WithLayout(const Converted& text, bool rightToLeft, Use use) const {
  LayoutCache& cache = Layouts();
  std::lock_guard guard(cache.Lock);
  return use(cache.Find(this, rightToLeft, text.utf8, [&] { return NewLayout(text, rightToLeft); }));
}

bool ResolvedFont::HasKeptLayout(const AnsiString& text) const {
  return Layouts().Has(this, Convert(text).utf8);
}

const ResolvedFont::Advances& ResolvedFont::Table() const {
  std::call_once(advancesOnce_, [this] { BuildAdvances(); });
  return advances_;
}

void ResolvedFont::BuildAdvances() const {
  // Every character that may stand in a text but those shown by a rule
  // of their own (the control characters and the soft hyphen, tested
  // apart), laid out in order and again backwards with each doubled: a
  // character whose advance and glyph are the same in all three places
  // has them beside any neighbour.
  AnsiString forward, backward;
  for (int b = 0x20; b < 256; ++b)
    if (b != 0x7F && b != kSoftHyphen) forward += static_cast<char>(b);
  for (auto it = forward.rbegin(); it != forward.rend(); ++it) backward.append(2, *it);
  std::vector<std::unique_ptr<ShapedLine>> lines;
  // A line not as wide as its characters leaves every text to layouts.
  auto glyphsOf = [&](const AnsiString& bytes) {
    TestGlyphs laid = LayInPieces(
        description_, bytes, TestPiece(), [this](const AnsiString& piece) { return Convert(piece); }, lines);
    if (!laid.whole)
      for (CharacterGlyph& g : laid.glyphs) g.advance = -1;
    return laid.glyphs;
  };
  const std::vector<CharacterGlyph> once = glyphsOf(forward);
  const std::vector<CharacterGlyph> twice = glyphsOf(backward);
  const size_t n = forward.size();
  for (size_t i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(forward[i]);
    const CharacterGlyph& g = once[i];
    const CharacterGlyph &g2 = twice[2 * (n - 1 - i)], &g3 = twice[2 * (n - 1 - i) + 1];
    const bool exact = SameAdvance(g, g2, g3);
    advances_.exact[b] = exact;
    advances_.units[b] = exact ? static_cast<int>(g.advance) : 0;
    const bool drawable = exact && SameGlyph(g, g2, g3);
    if (!drawable) continue;
    auto font = std::find(advances_.fonts.begin(), advances_.fonts.end(), g.font);
    if (font == advances_.fonts.end()) {
      if (advances_.fonts.size() > 255) continue;
      advances_.fonts.push_back(PANGO_FONT(g_object_ref(g.font)));
      font = advances_.fonts.end() - 1;
    }
    advances_.drawable[b] = true;
    advances_.glyph[b] = g.glyph;
    advances_.font[b] = static_cast<unsigned char>(font - advances_.fonts.begin());
  }
  lines.clear();
  TestShownByRule();
  // Character 0 is drawn as a blank.
  advances_.exact[0] = advances_.exact[kBlank];
  advances_.units[0] = advances_.units[kBlank];
  advances_.drawable[0] = advances_.drawable[kBlank];
  advances_.glyph[0] = advances_.glyph[kBlank];
  advances_.font[0] = advances_.font[kBlank];
}

bool ResolvedFont::AdvancesInLayouts(const AnsiString& text, std::vector<long long>& advances) const {
  const size_t piece = TestPiece();
  for (size_t at = 0; at < text.size(); at += piece) {
    const Converted converted = Convert(text.substr(at, piece));
    PangoLayout* layout = NewLayout(converted);
    const std::vector<long long> laid = LaidAdvances(layout, converted);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    if (std::accumulate(laid.begin(), laid.end(), 0LL) != logical.width) return false;
    advances.insert(advances.end(), laid.begin(), laid.end());
  }
  return true;
}

void ResolvedFont::TestShownByRule() const {
  // The control characters other than the tab and the line ends are shown
  // as boxes of their code, and the soft hyphen only where a line breaks
  // at it, which the lines measured here never do. Each is laid out as
  // texts are measured, at a line's start and beside a letter that keeps
  // its advance, then doubled and at the line's end: one the three give
  // the same advance has it beside any neighbour. Pasted and damaged texts
  // are full of controls, documents hold a soft hyphen at every place a
  // word may break, and each line holding one was laid out to be measured.
  if (!advances_.exact[static_cast<unsigned char>('a')]) return;
  AnsiString shown(1, static_cast<char>(kSoftHyphen));
  for (int b = 1; b < 0x20; ++b)
    if (b != '\t' && b != '\n' && b != '\r') shown += static_cast<char>(b);
  shown += '\x7F';
  AnsiString backward;
  for (auto it = shown.rbegin(); it != shown.rend(); ++it) backward.append(2, *it);
  std::vector<long long> once, twice;
  if (!AdvancesInLayouts(shown + 'a', once) || !AdvancesInLayouts(backward, twice)) return;
  if (once.back() != advances_.units[static_cast<unsigned char>('a')]) return;
  const size_t n = shown.size();
  for (size_t i = 0; i < n; ++i) {
    const long long advance = once[i];
    if (advance < 0 || advance >= (1 << 30) || twice[2 * (n - 1 - i)] != advance ||
        twice[2 * (n - 1 - i) + 1] != advance)
      continue;
    // Measured, never drawn from the table: none has a glyph of the face.
    const auto b = static_cast<unsigned char>(shown[i]);
    advances_.exact[b] = true;
    advances_.units[b] = static_cast<int>(advance);
  }
}

const ResolvedFont::Box* ResolvedFont::Inks() const {
  const Advances& table = Table();
  std::call_once(inksOnce_, [&] {
    for (int b = 0; b < 256; ++b) {
      if (!table.drawable[b]) continue;
      cairo_text_extents_t e;
      const cairo_glyph_t alone{table.glyph[b], 0, 0};
      cairo_scaled_font_glyph_extents(
          pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(table.fonts[table.font[b]])), &alone, 1, &e);
      if (e.width > 0 && e.height > 0)
        inks_[b] = {e.x_bearing, e.y_bearing, e.x_bearing + e.width, e.y_bearing + e.height};
    }
  });
  return inks_;
}

const unsigned char* ResolvedFont::RunClasses() const {
  const Advances& table = Table();
  std::call_once(runsOnce_, [&] {
    // Each drawable character stands between two of a reference letter,
    // one line per reference: it joins the letter's run when no run starts
    // at either of its edges. The script of a character that has none of
    // its own, a font of its own, an upright or emoji look: all start runs.
    const unsigned char references[2] = {'a', 0xE1};
    for (unsigned bit = 0; bit < 2; ++bit) {
      const char reference = static_cast<char>(references[bit]);
      AnsiString line(1, reference);
      std::vector<unsigned char> tested;
      for (int b = 1; b < 256; ++b) {
        if (!table.drawable[b]) continue;
        line += static_cast<char>(b);
        line += reference;
        tested.push_back(static_cast<unsigned char>(b));
      }
      const Converted converted = Convert(line);
      std::vector<bool> starts(converted.utf8.size() + 1, false);
      GList* items = Itemize(description_, converted.utf8);
      for (GList* it = items; it != nullptr; it = it->next)
        starts[static_cast<PangoItem*>(it->data)->offset] = true;
      FreeItems(items);
      for (size_t i = 0; i < tested.size(); ++i) {
        const size_t at = 2 * i + 1;
        if (!starts[converted.offsets[at]] && !starts[converted.offsets[at + 1]])
          runClasses_[tested[i]] |= static_cast<unsigned char>(1u << bit);
      }
    }
    // Character 0 is drawn as a blank.
    runClasses_[0] = runClasses_[static_cast<unsigned char>(' ')];
  });
  return runClasses_;
}

namespace {
// The UTF-8 of every byte of the code page and of the symbol font, made
// once and packed, at most three bytes each: pages convert every line they
// draw.
struct Utf8Table {
  struct Bytes {
    char utf8[3];
    unsigned char size;
  };
  Bytes bytes[2][256];
  Utf8Table() {
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<unsigned char>(b);
      // A zero byte would end the string for pango: shown as a blank.
      char32_t cp = cp1253::ToUnicode(byte);
      Pack(bytes[0][b], cp == 0 ? U' ' : cp);
      cp = SymbolToUnicode(byte);
      Pack(bytes[1][b], cp == 0 ? U' ' : cp);
    }
  }
  static void Pack(Bytes& into, char32_t cp) {
    std::string utf8;
    AppendUtf8(utf8, cp);
    into.size = static_cast<unsigned char>(std::min<size_t>(utf8.size(), 3));
    std::copy_n(utf8.begin(), into.size, into.utf8);
  }
};

const Utf8Table& TheUtf8Table() {
  static const Utf8Table table;
  return table;
}
}  // namespace

ResolvedFont::Converted ResolvedFont::Convert(const AnsiString& text) const {
  Converted out;
  ConvertInto(text, out);
  return out;
}

void ResolvedFont::ConvertInto(const AnsiString& text, Converted& out) const {
  const Utf8Table& table = TheUtf8Table();
  out.offsets.resize(text.size() + 1);
  // Other code pages go character by character.
  if (!symbol_ && codePage_ != 1253) {
    out.utf8.clear();
    for (size_t i = 0; i < text.size(); ++i) {
      out.offsets[i] = static_cast<int>(out.utf8.size());
      char32_t cp = InCodePage(codePage_, static_cast<unsigned char>(text[i]));
      if (cp == 0) cp = ' ';
      AppendUtf8(out.utf8, cp);
    }
    out.offsets[text.size()] = static_cast<int>(out.utf8.size());
    return;
  }
  const Utf8Table::Bytes* bytes = table.bytes[symbol_ ? 1 : 0];
  out.utf8.resize(text.size() * 3);
  char* const utf8 = out.utf8.data();
  int at = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const Utf8Table::Bytes& b = bytes[static_cast<unsigned char>(text[i])];
    out.offsets[i] = at;
    std::memcpy(utf8 + at, b.utf8, 3);
    at += b.size;
  }
  out.offsets[text.size()] = at;
  out.utf8.resize(static_cast<size_t>(at));
}

PangoLayout* ResolvedFont::NewLayout(const Converted& text, bool rightToLeft) const {
  PangoLayout* layout = pango_layout_new(rightToLeft ? TheEngine().rightToLeft : TheEngine().context);
  pango_layout_set_auto_dir(layout, FALSE);
  pango_layout_set_single_paragraph_mode(layout, TRUE);
  pango_layout_set_font_description(layout, description_);
  pango_layout_set_text(layout, text.utf8.data(), static_cast<int>(text.utf8.size()));
  PangoAttrList* attrs = pango_attr_list_new();
  pango_attr_list_insert(attrs, pango_attr_font_features_new(kOwnAdvances));
  if (underline_) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (strikeOut_) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(layout, attrs);
  pango_attr_list_unref(attrs);
  return layout;
}

int ResolvedFont::Width(const Converted& text) const {
  if (text.Count() == 0) return 0;
  return WithLayout(text, false, [](PangoLayout* layout) {
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return ToUnits(logical.width);
  });
}

int ResolvedFont::WholeWidth(long long units) {
  return static_cast<int>(std::min<long long>(WholeUnits(units), std::numeric_limits<int>::max()));
}

int ResolvedFont::Width(const AnsiString& text) const {
  if (text.empty()) return 0;
  const Advances& table = Table();
  long long sum = 0;
  for (unsigned char byte : text) {
    if (!table.exact[byte]) return Width(Convert(text));
    sum += table.units[byte];
  }
  return WholeWidth(sum);
}

void ResolvedFont::AdvanceSums(const AnsiString& text, std::vector<long long>& sums,
                               std::vector<std::size_t>& laidOut) const {
  const Advances& table = Table();
  sums.resize(text.size() + 1);
  laidOut.clear();
  sums[0] = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    sums[i + 1] = sums[i] + table.units[byte];
    if (!table.exact[byte] && laidOut.empty()) laidOut.assign(i + 1, 0);
    if (!laidOut.empty()) laidOut.push_back(laidOut.back() + (table.exact[byte] ? 0 : 1));
  }
}

ResolvedFont::Converted ResolvedFont::ConvertWide(std::u16string_view text) {
  // Sized for the longest form once (three bytes a unit hold a pair's
  // four) and cut to what was written: every piece of wide rich text is
  // converted as it is measured.
  Converted out;
  out.utf8.resize(text.size() * 3);
  out.offsets.resize(text.size() + 1);
  char* const utf8 = out.utf8.data();
  int at = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    out.offsets[i] = at;
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      // A surrogate pair: the first unit carries the character, the second
      // none.
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      at += cp1253::EncodeUtf8(cp, utf8 + at);
      out.offsets[++i] = at;
      continue;
    }
    if (cp == 0) cp = ' ';
    if (cp >= 0xD800 && cp < 0xE000) cp = 0xFFFD;  // a lone surrogate
    at += cp1253::EncodeUtf8(cp, utf8 + at);
  }
  out.offsets[text.size()] = at;
  out.utf8.resize(static_cast<size_t>(at));
  return out;
}

std::vector<int> ResolvedFont::CharacterEnds(const Converted& converted) const {
  std::vector<int> ends;
  const size_t count = converted.Count();
  if (count == 0) return ends;
  // The layout is the kept one: a line is measured whole before its
  // characters' ends are asked for.
  std::vector<long long> advance;
  WithLayout(converted, false, [&](PangoLayout* layout) { advance = LaidAdvances(layout, converted); });
  ends.reserve(count);
  long long x = 0;
  for (long long a : advance) {
    x += a;
    ends.push_back(ToUnits(static_cast<int>(std::max(0LL, x))));
  }
  return ends;
}

std::vector<int> ResolvedFont::CharacterEnds(const AnsiString& text) const {
  const Advances& table = Table();
  std::vector<int> ends;
  ends.reserve(text.size());
  long long x = 0;
  for (unsigned char byte : text) {
    if (!table.exact[byte]) return CharacterEnds(Convert(text));
    x += table.units[byte];
    ends.push_back(static_cast<int>(std::min<long long>(WholeUnits(x), std::numeric_limits<int>::max())));
  }
  return ends;
}

void ResolvedFont::TestWideBlock(std::array<int, 64>& block, char16_t first) const {
  const Advances& table = Table();
  // The face the plain blank is drawn in: a text all of whose characters
  // are drawn in it has its blanks there too.
  const PangoFont* own = table.drawable[kBlank] ? table.fonts[table.font[kBlank]] : nullptr;
  std::u16string forward;
  for (int i = 0; i < 64; ++i) {
    if (block[i] != kUntested) continue;
    const auto c = static_cast<char16_t>(first + i);
    if (own != nullptr && MayStandAlone(c))
      forward += c;
    else
      block[i] = kNotInTable;
  }
  // As the code page's table is tested: in order, and backwards doubled.
  // A character that shares its cluster or is drawn in another face leaves
  // the line too wide or too narrow for the others: it goes, and the rest
  // are tested again.
  for (int round = 0; round < 3 && !forward.empty(); ++round) {
    std::u16string backward;
    for (auto it = forward.rbegin(); it != forward.rend(); ++it) backward.append(2, *it);
    std::vector<std::unique_ptr<ShapedLine>> lines;
    const auto convert = [](const std::u16string& piece) { return ConvertWide(piece); };
    const TestGlyphs once = LayInPieces(description_, forward, TestPiece(), convert, lines);
    const TestGlyphs twice = LayInPieces(description_, backward, TestPiece(), convert, lines);
    lines.clear();
    const std::vector<CharacterGlyph>&g1 = once.glyphs, &g2 = twice.glyphs;
    const bool whole = once.whole && twice.whole;
    const size_t n = forward.size();
    std::u16string rest;
    for (size_t i = 0; i < n; ++i) {
      const CharacterGlyph &g = g1[i], &b2 = g2[2 * (n - 1 - i)], &b3 = g2[2 * (n - 1 - i) + 1];
      // Wide text is drawn through layouts, never from the table: a
      // character shown as a box may be measured from it when the face
      // has no glyph for it and pango draws the box. (Other characters
      // the face lacks may be shaped otherwise beside other neighbours.)
      const bool box = IsShownAsBox(forward[i]) && SameCluster(g, b2, b3);
      const bool alone = SameAdvance(g, b2, b3) && (SameGlyph(g, b2, b3) || box) && g.font == own;
      if (whole || !alone)
        block[forward[i] - first] = whole && alone ? static_cast<int>(g.advance) : kNotInTable;
      else
        rest += forward[i];
    }
    if (whole || rest.size() == n) break;
    forward = std::move(rest);
  }
  for (char16_t c : forward)
    if (block[c - first] == kUntested) block[c - first] = kNotInTable;
}

size_t ResolvedFont::TestPiece() const {
  // Two ems a character at the most, in half of an int: an even count,
  // so that a character doubled stays with its double.
  const double fit = (1u << 30) / (std::max(1.0, em_) * PANGO_SCALE);
  return std::max<size_t>(2, static_cast<size_t>(std::min(fit, 1e6)) & ~size_t{1});
}

bool ResolvedFont::WideAdvances(std::u16string_view text, std::vector<int>& units, bool whole) const {
  const Advances& table = Table();
  std::lock_guard guard(wideLock_);
  units.resize(text.size());
  bool found = true;
  std::array<int, 64>* block = nullptr;
  unsigned blockAt = ~0u;
  for (size_t i = 0; i < text.size(); ++i) {
    // A zero is shown as a blank.
    const char16_t c = text[i] == 0 ? u' ' : text[i];
    if (c >> 6 != blockAt) {
      blockAt = c >> 6;
      auto [it, made] = wide_.try_emplace(blockAt);
      block = &it->second;
      if (made) {
        block->fill(kUntested);
        // The code page's characters keep what its table found for them,
        // so that a text measures the same in either form; the bytes it
        // leaves undefined read as the replacement character, which is
        // tested as a character of its own.
        if (codePage_ == 1253 && !symbol_) {
          const PangoFont* own = table.drawable[kBlank] ? table.fonts[table.font[kBlank]] : nullptr;
          for (int b = 0x20; b < 256; ++b) {
            const char16_t u = cp1253::ToUnicode(static_cast<unsigned char>(b));
            if (u >> 6 != blockAt || b == 0x7F || u == 0xFFFD) continue;
            // An empty soft hyphen is empty in any face.
            const bool measured =
                b == kSoftHyphen ? table.exact[b] && table.units[b] == 0
                                 : table.exact[b] && table.drawable[b] && table.fonts[table.font[b]] == own;
            (*block)[u & 63] = measured ? table.units[b] : kNotInTable;
          }
        }
      }
    }
    int& advance = (*block)[c & 63];
    if (advance == kUntested) TestWideBlock(*block, static_cast<char16_t>(blockAt << 6));
    if (advance < 0 && whole) return false;
    units[i] = advance;
    found = found && advance >= 0;
  }
  return found;
}

int ResolvedFont::Width(std::u16string_view text) const {
  if (text.empty()) return 0;
  thread_local std::vector<int> units;
  if (!WideAdvances(text, units)) return Width(ConvertWide(text));
  long long sum = 0;
  for (int advance : units) sum += advance;
  return WholeWidth(sum);
}

void ResolvedFont::AdvanceSums(std::u16string_view text, std::vector<long long>& sums,
                               std::vector<std::size_t>& laidOut) const {
  thread_local std::vector<int> units;
  const bool found = WideAdvances(text, units, false);
  sums.resize(text.size() + 1);
  laidOut.clear();
  if (!found) laidOut.assign(1, 0);
  sums[0] = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    sums[i + 1] = sums[i] + std::max(0, units[i]);
    if (!found) laidOut.push_back(laidOut.back() + (units[i] < 0 ? 1 : 0));
  }
}

std::vector<int> ResolvedFont::CharacterEnds(std::u16string_view text) const {
  thread_local std::vector<int> units;
  if (!WideAdvances(text, units)) return CharacterEnds(ConvertWide(text));
  std::vector<int> ends;
  ends.reserve(text.size());
  long long x = 0;
  for (int advance : units) {
    x += advance;
    ends.push_back(WholeWidth(x));
  }
  return ends;
}

void ResolvedFont::Show(cairo_t* cr, const Converted& converted, const int* dx, bool rightToLeft) const {
  const size_t count = converted.Count();
  if (count == 0) return;
  if (dx == nullptr) {
    WithLayout(converted, rightToLeft, [cr](PangoLayout* layout) {
      if (PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0))
        pango_cairo_show_layout_line(cr, line);
    });
    return;
  }
  // Advances of its own change the glyphs: a layout for this call alone.
  PangoLayout* layout = NewLayout(converted, rightToLeft);
  PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
  if (line != nullptr) {
    // Character index of each UTF-8 offset, to give every cluster the sum
    // of the advances of its characters.
    const std::vector<int> charAt = CharacterIndex(converted);
    for (GSList* run = line->runs; run != nullptr; run = run->next) {
      auto* item = static_cast<PangoGlyphItem*>(run->data);
      PangoGlyphString* glyphs = item->glyphs;
      // A cluster's text ends where the next cluster in reading order
      // starts; a right-to-left run holds its glyphs in the other order.
      std::vector<int> starts(glyphs->log_clusters, glyphs->log_clusters + glyphs->num_glyphs);
      std::sort(starts.begin(), starts.end());
      starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
      for (int g = 0; g < glyphs->num_glyphs; ++g) {
        bool clusterStart = g == 0 || glyphs->log_clusters[g] != glyphs->log_clusters[g - 1];
        if (!clusterStart) {
          glyphs->glyphs[g].geometry.width = 0;
          continue;
        }
        int startByte = item->item->offset + glyphs->log_clusters[g];
        auto next = std::upper_bound(starts.begin(), starts.end(), glyphs->log_clusters[g]);
        int endByte = item->item->offset + (next != starts.end() ? *next : item->item->length);
        long long advance = 0;
        for (int c = charAt[startByte]; c < charAt[endByte]; ++c) advance += dx[c];
        // Pango keeps positions in 1/1024 units of an int.
        glyphs->glyphs[g].geometry.width =
            static_cast<int>(std::clamp(advance, -1000000LL, 1000000LL)) * PANGO_SCALE;
      }
    }
  }
  if (line != nullptr) pango_cairo_show_layout_line(cr, line);
  g_object_unref(layout);
}

namespace {
std::atomic<bool> pixelsFromTables{true};
}  // namespace

void DrawPixelsFromTables(bool on) { pixelsFromTables = on; }
bool PixelsFromTables() { return pixelsFromTables; }

namespace {
bool IsDocument(cairo_surface_type_t target) {
  return target == CAIRO_SURFACE_TYPE_PDF || target == CAIRO_SURFACE_TYPE_PS ||
         target == CAIRO_SURFACE_TYPE_SVG;
}
}  // namespace

bool ResolvedFont::ShowsFromTable(cairo_t* cr, const AnsiString& text, const int* dx,
                                  bool rightToLeft) const {
  const cairo_surface_type_t target = cairo_surface_get_type(cairo_get_target(cr));
  if (IsDocument(target) && !cairo_has_current_point(cr)) return false;
  return ShowsFromTableOn(target, text, dx, rightToLeft);
}

bool ResolvedFont::ShowsFromTableOn(cairo_surface_type_t target, const AnsiString& text, const int* dx,
                                    bool rightToLeft) const {
  // The table's glyphs stand in reading order: only a left-to-right
  // paragraph of the program's own code page may be drawn from it.
  if (text.empty() || underline_ || strikeOut_ || rightToLeft || codePage_ != 1253) return false;
  // Documents keep each glyph as it is; on pixels glyphs drawn in one call
  // blend where they overlap unlike glyphs drawn run by run as a layout
  // draws them.
  const bool document = IsDocument(target);
  const bool pixels = target == CAIRO_SURFACE_TYPE_IMAGE && dx == nullptr && pixelsFromTables;
  if (!document && !pixels) return false;
  const Advances& table = Table();
  // Asked before each line a page draws: the whole line at once.
  bool drawable = true;
  for (const char c : text) drawable &= table.drawable[static_cast<unsigned char>(c)];
  if (!drawable) return false;
  if (document) return true;
  const unsigned char* classes = RunClasses();
  unsigned shared = 3;
  for (const char c : text) shared &= classes[static_cast<unsigned char>(c)];
  return shared != 0;
}

void ResolvedFont::Show(cairo_t* cr, const AnsiString& text, const Converted& converted, const int* dx,
                        bool rightToLeft, std::optional<Box>* ink) const {
  if (text.empty()) {
    // No glyph, no ink, as InkBox has it.
    if (ink != nullptr) *ink = Box{0, 0, 0, 0};
    return;
  }
  if (!ShowsFromTable(cr, text, dx, rightToLeft)) {
    Show(cr, converted, dx, rightToLeft);
    return;
  }
  const size_t count = text.size();
  const Advances& table = Table();
  double x0, y0;
  cairo_get_current_point(cr, &x0, &y0);
  // Kept from line to line: a page is thousands of short calls.
  thread_local std::vector<cairo_glyph_t> glyphs;
  thread_local std::vector<cairo_text_cluster_t> clusters;
  thread_local std::string utf8;
  const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
  glyphs.resize(count);
  cairo_glyph_t* const glyph = glyphs.data();
  // The glyphs at their summed advances, and their ink as InkBox finds it.
  constexpr double kNone = std::numeric_limits<double>::infinity();
  double left = kNone, top = kNone, right = -kNone, bottom = -kNone;
  const Box* const inks = ink != nullptr ? Inks() : nullptr;
  long long x = 0;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char byte = bytes[i];
    const double at = static_cast<double>(x) * (1.0 / PANGO_SCALE);
    glyph[i] = {table.glyph[byte], x0 + at, y0};
    if (inks != nullptr) {
      const Box& glyphInk = inks[byte];
      if (glyphInk.left < glyphInk.right && glyphInk.top < glyphInk.bottom) {
        left = std::min(left, at + glyphInk.left);
        top = std::min(top, glyphInk.top);
        right = std::max(right, at + glyphInk.right);
        bottom = std::max(bottom, glyphInk.bottom);
      }
    }
    // Given advances stand for the character's, in whole units, as a
    // layout given them places its clusters.
    x += dx ? static_cast<long long>(std::clamp(dx[i], -1000000, 1000000)) * PANGO_SCALE : table.units[byte];
  }
  if (ink != nullptr) *ink = left == kNone ? Box{0, 0, 0, 0} : Box{left, top, right, bottom};
  // The document keeps the characters of its glyphs, so that its text can
  // be found and copied, as with a layout: their UTF-8 is the conversion's,
  // from the same table.
  const bool withText = cairo_surface_has_show_text_glyphs(cairo_get_target(cr));
  const unsigned char firstFont = table.font[bytes[0]];
  bool oneFont = true;
  char* text8 = nullptr;
  if (withText) {
    const Utf8Table::Bytes* const characters = TheUtf8Table().bytes[symbol_ ? 1 : 0];
    clusters.resize(count);
    // Each character's three bytes are copied whole: one spare at the end.
    utf8.resize(count * 3 + 1);
    text8 = utf8.data();
    cairo_text_cluster_t* const cluster = clusters.data();
    int at8 = 0;
    for (size_t i = 0; i < count; ++i) {
      const unsigned char byte = bytes[i];
      const Utf8Table::Bytes& character = characters[byte];
      static_assert(sizeof character == 4);
      std::memcpy(text8 + at8, &character, sizeof character);
      cluster[i] = {character.size, 1};
      at8 += character.size;
      oneFont &= table.font[byte] == firstFont;
    }
    if (oneFont) {
      cairo_set_scaled_font(cr, pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(table.fonts[firstFont])));
      cairo_show_text_glyphs(cr, text8, at8, glyph, static_cast<int>(count), cluster, static_cast<int>(count),
                             cairo_text_cluster_flags_t{});
      return;
    }
  }
  // Glyphs from more than one font go run by run.
  int from8 = 0;
  for (size_t from = 0; from < count;) {
    const unsigned char font = table.font[bytes[from]];
    size_t to = from + 1;
    while (to < count && table.font[bytes[to]] == font) ++to;
    cairo_set_scaled_font(cr, pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(table.fonts[font])));
    const int n = static_cast<int>(to - from);
    if (withText) {
      int to8 = from8;
      for (size_t i = from; i < to; ++i) to8 += clusters[i].num_bytes;
      cairo_show_text_glyphs(cr, text8 + from8, to8 - from8, &glyph[from], n, &clusters[from], n,
                             cairo_text_cluster_flags_t{});
      from8 = to8;
    } else {
      cairo_show_glyphs(cr, &glyph[from], n);
    }
    from = to;
  }
}

std::optional<ResolvedFont::Box> ResolvedFont::InkBox(const AnsiString& text, const int* dx) const {
  // The conditions under which Show draws from the table, but for the
  // surface.
  if (underline_ || strikeOut_ || codePage_ != 1253) return std::nullopt;
  const Advances& table = Table();
  const Box* inks = Inks();
  // Every line of a printed page is measured here: one pass, no branch
  // but for the glyphs that leave no ink.
  constexpr double kNone = std::numeric_limits<double>::infinity();
  double left = kNone, top = kNone, right = -kNone, bottom = -kNone;
  const size_t count = text.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  long long x = 0;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char byte = bytes[i];
    if (!table.drawable[byte]) return std::nullopt;
    const Box& ink = inks[byte];
    if (ink.left < ink.right && ink.top < ink.bottom) {
      const double at = static_cast<double>(x) * (1.0 / PANGO_SCALE);
      left = std::min(left, at + ink.left);
      top = std::min(top, ink.top);
      right = std::max(right, at + ink.right);
      bottom = std::max(bottom, ink.bottom);
    }
    x += dx ? static_cast<long long>(std::clamp(dx[i], -1000000, 1000000)) * PANGO_SCALE : table.units[byte];
  }
  if (left == kNone) return Box{0, 0, 0, 0};
  return Box{left, top, right, bottom};
}

int CodePageOfCharset(int charset) {
  return charset == HEBREW_CHARSET ? 1255 : charset == ARABIC_CHARSET ? 1256 : 1253;
}

WideString ToWideInCodePage(int codePage, std::string_view text) {
  WideString wide;
  ToWideInCodePage(codePage, text, wide);
  return wide;
}

void ToWideInCodePage(int codePage, std::string_view text, WideString& into) {
  into.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    into[i] = InCodePage(codePage, static_cast<unsigned char>(text[i]));
}

std::vector<AnsiString>& FontFaceNames() {
  static std::vector<AnsiString> names = {"Arial",  "Courier New", "MS Sans Serif",
                                          "Symbol", "Tahoma",      "Times New Roman"};
  return names;
}

namespace {

// A pattern asking for Families once the configuration has worked on it;
// the caller destroys it.
FcPattern* SubstitutedPattern(const std::vector<std::string>& families) {
  FcPattern* pattern = FcPatternCreate();
  for (const std::string& family : families)
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(TheEngine().config, pattern, FcMatchPattern);
  return pattern;
}

}  // namespace

std::string MappedFamily(const AnsiString& faceName) {
  Engine& engine = TheEngine();
  FcPattern* pattern = SubstitutedPattern({cp1253::ToUtf8(faceName)});
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(engine.config, pattern, &result);
  std::string family;
  FcChar8* value = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch)
    family = reinterpret_cast<const char*>(value);
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return family;
}

namespace {

// The families a pattern asking for Families has once the configuration
// has worked on it.
std::vector<std::string> SubstitutedFamilies(const std::vector<std::string>& families) {
  FcPattern* pattern = SubstitutedPattern(families);
  std::vector<std::string> out;
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i)
    out.emplace_back(reinterpret_cast<const char*>(value));
  FcPatternDestroy(pattern);
  return out;
}

bool FallsBackUncached(const AnsiString& faceName) {
  // As a font's description names them: the empty name is Arial, and a
  // comma parts the families of a list.
  if (faceName.empty() || IsSymbolFace(faceName)) return false;
  std::vector<std::string> families;
  const std::string utf8 = cp1253::ToUtf8(faceName);
  for (size_t at = 0;;) {
    const size_t comma = utf8.find(',', at);
    families.push_back(utf8.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  // No alias fired: the configuration only appended what it appends to a
  // pattern that names no family at all.
  static const std::vector<std::string> appended = SubstitutedFamilies({});
  std::vector<std::string> expected = families;
  expected.insert(expected.end(), appended.begin(), appended.end());
  if (SubstitutedFamilies(families) != expected) return false;
  // And no installed face has any of the names.
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  bool known = false;
  for (const std::string& family : families) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcFontSet* found = FcFontList(TheEngine().config, pattern, objects);
    known = known || (found != nullptr && found->nfont > 0);
    if (found != nullptr) FcFontSetDestroy(found);
    FcPatternDestroy(pattern);
  }
  FcObjectSetDestroy(objects);
  return !known;
}

}  // namespace

bool FallsBack(const AnsiString& faceName) {
  static std::unordered_map<AnsiString, bool> known;
  static std::mutex lock;
  std::lock_guard guard(lock);
  if (const auto it = known.find(faceName); it != known.end()) return it->second;
  if (known.size() >= 4096) known.clear();
  return known.emplace(faceName, FallsBackUncached(faceName)).first->second;
}

namespace {
// A resolved font's key (face name, height, pixels per inch, style, code
// page), or a tuple of references to the same, hashed alike.
struct FontKeyHash {
  using is_transparent = void;
  template <typename K>
  std::size_t operator()(const K& k) const {
    std::size_t h = std::hash<std::string_view>()(std::get<0>(k));
    for (const std::size_t v :
         {static_cast<std::size_t>(std::get<1>(k)), static_cast<std::size_t>(std::get<2>(k)),
          static_cast<std::size_t>(std::get<3>(k)), static_cast<std::size_t>(std::get<4>(k))})
      h = (h ^ v) * 0x100000001B3ull;
    return h;
  }
};
}  // namespace

const ResolvedFont& Resolve(const TFont& font) {
  using Key = std::tuple<AnsiString, int, int, unsigned, int>;
  struct Kept {
    std::shared_ptr<ResolvedFont> font;
    std::list<const Key*>::iterator use;
  };
  // Hashed: a page's text records and its measuring switch fonts at every
  // line, and a search of a tree of thousands compared names a dozen
  // times over.
  static std::unordered_map<Key, Kept, FontKeyHash, std::equal_to<>> cache;
  static std::list<const Key*> uses;           // the most recently resolved first
  static const ResolvedFont* front = nullptr;  // the font of uses.front()
  static std::mutex lock;
  std::lock_guard guard(lock);
  const int height = font.Height() == 0 ? -MulDiv(10, font.PixelsPerInch, 72) : font.Height();
  const unsigned style = font.Style;
  const int codePage = CodePageOfCharset(font.Charset);
  const auto key = std::tie(font.Name, height, font.PixelsPerInch, style, codePage);
  // Text is measured and drawn in one font many times over: the last one
  // is found without a search.
  if (front != nullptr && *uses.front() == key) return *front;
  auto it = cache.find(key);
  if (it != cache.end()) {
    uses.splice(uses.begin(), uses, it->second.use);
    front = it->second.font.get();
    return *front;
  }
  // Callers hold the result only for the call they make it for, so the
  // least recently resolved font can go when metafiles ask for size after
  // size. Resolving one at a new size takes the font library's matching
  // and laying out its characters, far more than a page of text costs, so
  // the bound is wide: a text of a few sizes, measured in twips and drawn
  // at two resolutions, needs a dozen or so fonts, and a long run of
  // reports many of those texts.
  if (cache.size() >= 4096) {
    cache.erase(*uses.back());
    uses.pop_back();
  }
  // A name nothing answers to lays out as the fallback face whatever it
  // is: text from other programs names faces this system lacks, and each
  // would otherwise match, measure and lay out that one face again.
  using Size = std::tuple<int, int, unsigned, int>;
  static std::map<Size, std::weak_ptr<ResolvedFont>> fallbacks;
  std::shared_ptr<ResolvedFont> made;
  if (FallsBack(font.Name)) {
    std::weak_ptr<ResolvedFont>& shared = fallbacks[Size(height, font.PixelsPerInch, style, codePage)];
    made = shared.lock();
    if (made == nullptr) {
      made = std::make_shared<ResolvedFont>(font);
      shared = made;
    }
    if (fallbacks.size() >= 4096) std::erase_if(fallbacks, [](const auto& f) { return f.second.expired(); });
  } else {
    made = std::make_shared<ResolvedFont>(font);
  }
  it = cache.emplace(Key(key), Kept{std::move(made), {}}).first;
  uses.push_front(&it->first);
  it->second.use = uses.begin();
  front = it->second.font.get();
  return *front;
}

}  // namespace gfx

// The font libraries keep process-wide caches that they never free; the
// leak checker of the sanitizer builds is told so, and nothing else.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libpango-1.0.so\nleak:libpangoft2-1.0.so\nleak:libpangocairo-1.0.so\n"
         "leak:libcairo.so\nleak:libharfbuzz.so\nleak:libfreetype.so\nleak:libglib-2.0.so\nleak:libgobject-2."
         "0.so\n";
}
#endif
#endif
