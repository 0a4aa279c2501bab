#include "platform/gfx/TextEngine.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>
#include <tuple>

#include "platform/gfx/FontsConf.h"  // generated: kFontsConf

namespace gfx {
namespace {

// The font map and a measuring context shared by every canvas. Glyph
// positions and metrics are rounded to whole device units.
struct Engine {
  FcConfig* config = nullptr;
  PangoFontMap* fontMap = nullptr;
  PangoContext* context = nullptr;

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

int ToUnits(int pango) { return static_cast<int>(std::lround(static_cast<double>(pango) / PANGO_SCALE)); }

PangoFontDescription* Describe(const TFont& font, double emSize) {
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, font.Name.empty() ? "Arial" : cp1253::ToUtf8(font.Name).c_str());
  pango_font_description_set_weight(d, (font.Style & fsBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(d, (font.Style & fsItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(d, emSize * PANGO_SCALE);
  return d;
}

}  // namespace

ResolvedFont::ResolvedFont(const TFont& font) {
  Engine& engine = TheEngine();
  symbol_ = IsSymbolFace(font.Name);
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
  description_ = Describe(font, em);
  PangoFontMetrics* m = pango_context_get_metrics(engine.context, description_, nullptr);
  metrics_.tmAscent = ToUnits(pango_font_metrics_get_ascent(m));
  metrics_.tmDescent = ToUnits(pango_font_metrics_get_descent(m));
  metrics_.tmHeight = metrics_.tmAscent + metrics_.tmDescent;
  metrics_.tmInternalLeading = std::max(0, metrics_.tmHeight - static_cast<int>(std::lround(em)));
  metrics_.tmExternalLeading = std::max(0, ToUnits(pango_font_metrics_get_height(m)) - metrics_.tmHeight);
  metrics_.tmAveCharWidth = ToUnits(pango_font_metrics_get_approximate_char_width(m));
  pango_font_metrics_unref(m);
  metrics_.tmMaxCharWidth = Width("W");
}

namespace {

// Layouts kept by all fonts together. A font that finds the total at the
// limit drops its own before it keeps another, so the whole stays near the
// limit however many sizes a metafile or a preview asks for.
std::atomic<long> keptLayouts{0};
constexpr long kKeptLayoutsLimit = 4096;
constexpr size_t kKeptLayoutsPerFont = 1024;

}  // namespace

void ResolvedFont::DropLayouts() const {
  for (auto& [text, layout] : layouts_) g_object_unref(layout);
  keptLayouts -= static_cast<long>(layouts_.size());
  layouts_.clear();
}

ResolvedFont::~ResolvedFont() {
  DropLayouts();
  pango_font_description_free(description_);
}

template <typename Use>
auto ResolvedFont::WithLayout(const Converted& text, Use use) const {
  std::lock_guard guard(layoutsLock_);
  auto it = layouts_.find(text.utf8);
  if (it == layouts_.end()) {
    if (layouts_.size() >= kKeptLayoutsPerFont || keptLayouts >= kKeptLayoutsLimit) DropLayouts();
    it = layouts_.emplace(text.utf8, NewLayout(text)).first;
    ++keptLayouts;
  }
  return use(it->second);
}

ResolvedFont::Converted ResolvedFont::Convert(const AnsiString& text) const {
  Converted out;
  out.offsets.reserve(text.size() + 1);
  for (unsigned char byte : text) {
    out.offsets.push_back(static_cast<int>(out.utf8.size()));
    char32_t cp = symbol_ ? SymbolToUnicode(byte) : cp1253::ToUnicode(byte);
    // A zero byte would end the string for pango: shown as a blank.
    if (cp == 0) cp = ' ';
    AppendUtf8(out.utf8, cp);
  }
  out.offsets.push_back(static_cast<int>(out.utf8.size()));
  return out;
}

PangoLayout* ResolvedFont::NewLayout(const Converted& text) const {
  PangoLayout* layout = pango_layout_new(TheEngine().context);
  pango_layout_set_single_paragraph_mode(layout, TRUE);
  pango_layout_set_font_description(layout, description_);
  pango_layout_set_text(layout, text.utf8.data(), static_cast<int>(text.utf8.size()));
  // No kerning and no ligatures: every character keeps its own advance,
  // so a text is as wide as the sum of its characters.
  PangoAttrList* attrs = pango_attr_list_new();
  pango_attr_list_insert(attrs, pango_attr_font_features_new("kern 0, liga 0, clig 0"));
  if (underline_) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (strikeOut_) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(layout, attrs);
  pango_attr_list_unref(attrs);
  return layout;
}

int ResolvedFont::Width(const Converted& text) const {
  if (text.Count() == 0) return 0;
  return WithLayout(text, [](PangoLayout* layout) {
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return ToUnits(logical.width);
  });
}

int ResolvedFont::Width(const AnsiString& text) const {
  if (text.empty()) return 0;
  {
    std::lock_guard guard(widthsLock_);
    auto it = widths_.find(text);
    if (it != widths_.end()) return it->second;
  }
  int width = Width(Convert(text));
  std::lock_guard guard(widthsLock_);
  if (widths_.size() >= 4096) widths_.clear();
  widths_.emplace(text, width);
  return width;
}

ResolvedFont::Converted ResolvedFont::ConvertWide(std::u16string_view text) {
  Converted out;
  out.offsets.reserve(text.size() + 1);
  for (size_t i = 0; i < text.size(); ++i) {
    out.offsets.push_back(static_cast<int>(out.utf8.size()));
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      // A surrogate pair: the first unit carries the character, the second
      // none.
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      AppendUtf8(out.utf8, cp);
      out.offsets.push_back(static_cast<int>(out.utf8.size()));
      ++i;
      continue;
    }
    if (cp == 0) cp = ' ';
    if (cp >= 0xD800 && cp < 0xE000) cp = 0xFFFD;  // a lone surrogate
    AppendUtf8(out.utf8, cp);
  }
  out.offsets.push_back(static_cast<int>(out.utf8.size()));
  return out;
}

std::vector<int> ResolvedFont::CharacterEnds(const Converted& converted) const {
  std::vector<int> ends;
  const size_t count = converted.Count();
  if (count == 0) return ends;
  PangoLayout* layout = NewLayout(converted);
  std::vector<int> charAt(converted.utf8.size() + 1, 0);
  for (size_t c = 0; c < count; ++c)
    for (int b = converted.offsets[c]; b < converted.offsets[c + 1]; ++b) charAt[b] = static_cast<int>(c);
  // One walk over the glyphs: each character ends where the glyphs of its
  // cluster end.
  std::vector<long long> end(count, -1);
  long long x = 0;
  PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
  for (GSList* run = line ? line->runs : nullptr; run != nullptr; run = run->next) {
    auto* item = static_cast<PangoGlyphItem*>(run->data);
    for (int g = 0; g < item->glyphs->num_glyphs; ++g) {
      x += item->glyphs->glyphs[g].geometry.width;
      int c = charAt[item->item->offset + item->glyphs->log_clusters[g]];
      end[c] = std::max(end[c], x);
    }
  }
  g_object_unref(layout);
  ends.reserve(count);
  long long last = 0;
  for (long long e : end) {
    // Characters sharing a cluster end with it; never narrower than those before.
    last = std::max(last, e);
    ends.push_back(ToUnits(static_cast<int>(last)));
  }
  return ends;
}

void ResolvedFont::Show(cairo_t* cr, const Converted& converted, const int* dx) const {
  const size_t count = converted.Count();
  if (count == 0) return;
  if (dx == nullptr) {
    WithLayout(converted, [cr](PangoLayout* layout) {
      if (PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0))
        pango_cairo_show_layout_line(cr, line);
    });
    return;
  }
  // Advances of its own change the glyphs: a layout for this call alone.
  PangoLayout* layout = NewLayout(converted);
  PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
  if (line != nullptr) {
    // Character index of each UTF-8 offset, to give every cluster the sum
    // of the advances of its characters.
    std::vector<int> charAt(converted.utf8.size() + 1, 0);
    for (size_t c = 0; c < count; ++c)
      for (int b = converted.offsets[c]; b < converted.offsets[c + 1]; ++b) charAt[b] = static_cast<int>(c);
    charAt[converted.utf8.size()] = static_cast<int>(count);
    for (GSList* run = line->runs; run != nullptr; run = run->next) {
      auto* item = static_cast<PangoGlyphItem*>(run->data);
      PangoGlyphString* glyphs = item->glyphs;
      for (int g = 0; g < glyphs->num_glyphs; ++g) {
        bool clusterStart = g == 0 || glyphs->log_clusters[g] != glyphs->log_clusters[g - 1];
        if (!clusterStart) {
          glyphs->glyphs[g].geometry.width = 0;
          continue;
        }
        int startByte = item->item->offset + glyphs->log_clusters[g];
        int endByte = item->item->offset + item->item->length;
        for (int h = g + 1; h < glyphs->num_glyphs; ++h)
          if (glyphs->log_clusters[h] != glyphs->log_clusters[g]) {
            endByte = item->item->offset + glyphs->log_clusters[h];
            break;
          }
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

std::vector<AnsiString>& FontFaceNames() {
  static std::vector<AnsiString> names = {"Arial",  "Courier New", "MS Sans Serif",
                                          "Symbol", "Tahoma",      "Times New Roman"};
  return names;
}

std::string MappedFamily(const AnsiString& faceName) {
  Engine& engine = TheEngine();
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(cp1253::ToUtf8(faceName).c_str()));
  FcConfigSubstitute(engine.config, pattern, FcMatchPattern);
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

const ResolvedFont& Resolve(const TFont& font) {
  using Key = std::tuple<AnsiString, int, int, unsigned>;
  static std::map<Key, std::unique_ptr<ResolvedFont>> cache;
  static std::mutex lock;
  std::lock_guard guard(lock);
  int height = font.Height() == 0 ? -MulDiv(10, font.PixelsPerInch, 72) : font.Height();
  Key key{font.Name, height, font.PixelsPerInch, font.Style};
  auto it = cache.find(key);
  if (it == cache.end()) {
    // Callers hold the result only for the call they make it for, so an
    // overgrown cache (metafiles may ask for any size) can be dropped.
    if (cache.size() >= 512) {
      cache.clear();
      pango_fc_font_map_cache_clear(PANGO_FC_FONT_MAP(TheEngine().fontMap));
    }
    it = cache.emplace(key, std::make_unique<ResolvedFont>(font)).first;
  }
  return *it->second;
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
