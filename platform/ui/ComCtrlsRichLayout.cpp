#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/TextEngine.h"
#include "platform/ui/ComCtrlsRichText.h"

namespace {

// Every measure is taken here, at the layout's own resolution, so that no
// device's rounding changes where lines break.
TCanvas& MeasureCanvas() {
  static TImageCanvas canvas(1, 1);
  return canvas;
}

int Scale(int units, int to, int from) {
  return static_cast<int>(std::lround(static_cast<double>(units) * to / from));
}

constexpr int kDefaultTabTwips = 720;
constexpr int kBulletTwips = 360;
constexpr unsigned char kBulletByte = 0x95;  // "•" in code page 1253

// Tabs and line breaks are segments of their own: neither is measured.
bool IsSeparate(char c) { return c == '\t' || c == static_cast<char>(kLineBreak); }

}  // namespace

void TRichLayout::MakeFont(const TRichCharFormat& format, TFont& font) const {
  if (FontOf && FontOf(format, font)) return;
  font.Name = format.Name;
  font.Charset = format.Charset;
  font.Style = format.Style;
  font.Color = format.Color;
  font.SetHeight(-Scale(format.HalfPoints, dpi_, 144));
}

int TRichLayout::BulletIndent() const { return Scale(kBulletTwips, dpi_, 1440); }

int TRichLayout::TabStop(const TRichParaFormat& para, int x) const {
  for (int tab : para.Tabs) {
    const int t = Scale(tab, dpi_, 1440);
    if (t > x) return t;
  }
  const int step = std::max(1, Scale(kDefaultTabTwips, dpi_, 1440));
  return (x / step + 1) * step;
}

std::vector<TRichLayout::TSegment> TRichLayout::Segments(int start, int end) const {
  std::vector<TSegment> segs;
  Segments(start, end, segs);
  return segs;
}

void TRichLayout::Segments(int start, int end, std::vector<TSegment>& segs) const {
  segs.clear();
  if (start >= end) return;
  // The pieces from the one Start lies in on, in order.
  const std::vector<int>& pieces = content_.PieceStarts();
  for (auto next = std::upper_bound(pieces.begin(), pieces.end(), start); start < end; ++next) {
    const int stop = std::min(end, next != pieces.end() ? *next : content_.Length());
    segs.push_back({start, stop, content_.FormatIndexAt(start)});
    start = stop;
  }
}

void TRichMeasures::Follow(const TRichContent& content, int dotsPerInch) {
  // A text laid out from very many places keeps no more than a bound.
  constexpr size_t kMaxKept = 1 << 16;
  if (of_ == content.Revision() && dpi_ == dotsPerInch &&
      widths_.size() + ends_.size() + lineEnds_.size() + laid_.size() + pages_.size() + sums_.size() +
              drawn_.size() <
          kMaxKept)
    return;
  Clear();
  of_ = content.Revision();
  dpi_ = dotsPerInch;
}

void TRichMeasures::Clear() {
  widths_.clear();
  sums_.clear();
  ends_.clear();
  lineEnds_.clear();
  pages_.clear();
  metrics_.clear();
  drawn_.clear();
  drawnAt_.clear();
  drawnLines_.clear();
  drawnCalls_.clear();
  drawnFonts_.clear();
  drawnBytes_.clear();
  drawnWide_.clear();
  drawnAdvances_.clear();
  for (auto& [asked, laid] : laid_)
    if (laid.Lines.capacity() > spareLines_.capacity()) spareLines_ = std::move(laid.Lines);
  laid_.clear();
  of_ = 0;
  dpi_ = 0;
}

// The measures of one layout, taken once, or once for as long as the
// user keeps them.
struct TRichMeasurer {
  const TRichLayout& layout;
  const TRichContent& content;
  // Made only for a layout whose user keeps no measures: a page laid from
  // those kept makes a measurer at every format-range call.
  std::unique_ptr<TRichMeasures> own;
  TRichMeasures& kept;
  int current = -1;  // the format the canvas has now
  TRichMeasurer(const TRichLayout& l, const TRichContent& c)
      : layout(l),
        content(c),
        own(l.Measures != nullptr ? nullptr : std::make_unique<TRichMeasures>()),
        kept(l.Measures != nullptr ? *l.Measures : *own) {}
  TCanvas& Use(int format) {
    TCanvas& c = MeasureCanvas();
    if (format == current) return c;
    current = format;
    TFont font;
    layout.MakeFont(content.Format(format), font);
    // Heights are in the layout's units already: taken as they are.
    font.PixelsPerInch = c.Font->PixelsPerInch;
    c.Font->Assign(font);
    return c;
  }
  // The measures asked for last, as a line asks for those of its
  // segments again and again.
  int lastMetricsFormat = -1;
  const TTextMetric* lastMetrics = nullptr;
  TRichMeasures::TKey lastSumsKey{};
  const TRichMeasures::TSums* lastSums = nullptr;
  const TTextMetric& Metrics(int format) {
    if (lastMetrics != nullptr && format == lastMetricsFormat) return *lastMetrics;
    auto it = kept.metrics_.find(format);
    if (it == kept.metrics_.end()) it = kept.metrics_.emplace(format, Use(format).GetTextMetrics()).first;
    lastMetricsFormat = format;
    lastMetrics = &it->second;
    return it->second;
  }
  int Width(int format, int start, int end) {
    const TRichMeasures::TKey key{format, start, end};
    auto it = kept.widths_.find(key);
    if (it != kept.widths_.end()) return it->second;
    TCanvas& c = Use(format);
    const int width = content.HasWide(start, end)
                          ? c.TextWidthW(content.WideText(start, end))
                          : c.TextWidth(content.Text().substr(static_cast<size_t>(start),
                                                              static_cast<size_t>(end - start)));
    kept.widths_.emplace(key, width);
    return width;
  }
  // The width of characters From to End of the segment Start to End, as
  // Width gives it.
  const TRichMeasures::TSums& Sums(int format, int start, int end) {
    const TRichMeasures::TKey key{format, start, end};
    if (lastSums != nullptr && key == lastSumsKey) return *lastSums;
    auto it = kept.sums_.find(key);
    if (it == kept.sums_.end()) {
      TRichMeasures::TSums sums;
      const gfx::ResolvedFont& font = gfx::Resolve(*Use(format).Font);
      font.AdvanceSums(content.Text().substr(static_cast<size_t>(start), static_cast<size_t>(end - start)),
                       sums.Bytes, sums.BytesLaidOut);
      if (content.HasWide(start, end)) {
        font.AdvanceSums(std::u16string_view(content.WideText(start, end)), sums.Wide, sums.WideLaidOut);
        content.WideCounts(start, end, sums.WideBefore);
      }
      it = kept.sums_.emplace(key, std::move(sums)).first;
    }
    lastSumsKey = key;
    lastSums = &it->second;
    return it->second;
  }
  // The running sums of the piece A to B of the segment Start to End, from
  // A's (the piece's own sums moved by the first): every character the
  // font's tables measure has its advance beside any neighbour. Null when
  // a character of the piece is laid out, which measures it otherwise.
  const long long* PieceSums(int format, int start, int end, int a, int b) {
    const TRichMeasures::TSums& sums = Sums(format, start, end);
    const auto i = static_cast<size_t>(a - start), j = static_cast<size_t>(b - start);
    const bool wide = !sums.WideBefore.empty() && sums.WideBefore[i] != sums.WideBefore[j];
    const std::vector<long long>& sum = wide ? sums.Wide : sums.Bytes;
    const std::vector<std::size_t>& laidOut = wide ? sums.WideLaidOut : sums.BytesLaidOut;
    if (!laidOut.empty() && laidOut[i] != laidOut[j]) return nullptr;
    return sum.data() + i;
  }
  // The width of the segment Seg to End from From on, its sums kept for
  // Start to End. A piece that is laid out measures as the wrapping of its
  // line measures it, from the ends of its whole segment: laid out once
  // for the paragraph, not again from the start of each of its lines.
  int RestWidth(int format, int start, int end, int from, int seg) {
    if (const long long* sum = PieceSums(format, start, end, from, end))
      return gfx::ResolvedFont::WholeWidth(sum[end - from] - sum[0]);
    const std::vector<int>& ends = Ends(format, seg, end);
    return ends.back() - (from > seg ? ends[static_cast<size_t>(from - seg - 1)] : 0);
  }
  // Where the segment that Pos lies in starts and ends within its
  // paragraph, Start to End: the span a layout keeps the sums of.
  std::pair<int, int> SpanOf(int pos, int start, int end) const {
    return {std::max(start, content.PieceStart(pos)), std::min(end, content.PieceEnd(pos))};
  }
  // Width of A to B, all in one format in the paragraph Start to End, from
  // the sums of its segment when the measures are kept and it measures
  // from them.
  int PieceWidth(int format, int a, int b, int start, int end) {
    if (layout.Measures != nullptr) {
      const auto [from, to] = SpanOf(a, start, end);
      if (b <= to)
        if (const long long* sum = PieceSums(format, from, to, a, b))
          return gfx::ResolvedFont::WholeWidth(sum[b - a] - sum[0]);
    }
    return Width(format, a, b);
  }
  // Whether the characters of the segment Start to End, from From on,
  // have the same advances as Ends gives them measured from From as
  // measured from Start: they do when both pieces are measured the same
  // way (from code-page bytes, or as characters beyond it), every
  // character is from the font's tables and those before From add up to
  // whole units, so that rounding the running sums to whole units cuts
  // them alike.
  bool ShiftsTo(int format, int start, int end, int from) {
    const TRichMeasures::TSums& sums = Sums(format, start, end);
    const std::vector<int>& before = sums.WideBefore;
    const bool wide = !before.empty();
    if (wide && before.back() == before[static_cast<size_t>(from - start)]) return false;
    const std::vector<long long>& sum = wide ? sums.Wide : sums.Bytes;
    const std::vector<std::size_t>& laidOut = wide ? sums.WideLaidOut : sums.BytesLaidOut;
    return laidOut.empty() && sum[static_cast<size_t>(from - start)] % PANGO_SCALE == 0;
  }
  // Appends to Out where each character of Start to End ends, from X, as
  // Ends gives them. Pieces a line cuts out of a segment are measured for
  // that line alone: the line's ends are kept whole, so the piece is not.
  // With measures kept, a piece of a segment is measured from the sums of
  // the segment within its paragraph (ParaStart to ParaEnd), taken once
  // for every line that cuts a piece out of it.
  void AppendEnds(int format, int start, int end, int x, std::vector<int>& out, int paraStart, int paraEnd) {
    const auto append = [&](const std::vector<int>& ends) {
      for (int v : ends) out.push_back(x + v);
    };
    if (layout.Measures != nullptr) {
      const auto [from, to] = SpanOf(start, paraStart, paraEnd);
      if (end <= to)
        if (const long long* sum = PieceSums(format, from, to, start, end)) {
          for (int i = 1; i <= end - start; ++i)
            out.push_back(x + gfx::ResolvedFont::WholeWidth(sum[i] - sum[0]));
          return;
        }
    }
    if (const auto it = kept.ends_.find({format, start, end}); it != kept.ends_.end())
      return append(it->second);
    const gfx::ResolvedFont& font = gfx::Resolve(*Use(format).Font);
    // From the running sums of the font's table when it measures every
    // character, as CharacterEnds does; a piece laid out goes through it.
    if (content.HasWide(start, end)) {
      const WideString wide = content.WideText(start, end);
      font.AdvanceSums(std::u16string_view(wide), scratchSums, scratchLaidOut);
      if (!scratchLaidOut.empty()) return append(Use(format).CharacterEndsW(wide));
    } else {
      scratchText.assign(content.Text(), static_cast<size_t>(start), static_cast<size_t>(end - start));
      font.AdvanceSums(scratchText, scratchSums, scratchLaidOut);
      if (!scratchLaidOut.empty()) return append(Use(format).CharacterEnds(scratchText));
    }
    for (size_t i = 1; i < scratchSums.size(); ++i)
      out.push_back(x + gfx::ResolvedFont::WholeWidth(scratchSums[i]));
  }
  AnsiString scratchText;
  std::vector<long long> scratchSums;
  std::vector<std::size_t> scratchLaidOut;
  const std::vector<int>& Ends(int format, int start, int end) {
    const TRichMeasures::TKey key{format, start, end};
    auto it = kept.ends_.find(key);
    if (it != kept.ends_.end()) return it->second;
    TCanvas& c = Use(format);
    std::vector<int> ends = content.HasWide(start, end)
                                ? c.CharacterEndsW(content.WideText(start, end))
                                : c.CharacterEnds(content.Text().substr(static_cast<size_t>(start),
                                                                        static_cast<size_t>(end - start)));
    return kept.ends_.emplace(key, std::move(ends)).first->second;
  }
};

void TRichLayout::BeginParagraph(TRichLaying& laying, int pos, bool wrap) const {
  const AnsiString& t = content_.Text();
  laying.Pos = pos;
  laying.Para = content_.ParagraphOf(pos);
  laying.End = content_.ParagraphEnd(laying.Para);
  laying.After = laying.Para + 1 < content_.ParagraphCount() ? content_.ParagraphStart(laying.Para + 1)
                                                             : content_.Length();
  laying.Segs = Segments(pos, laying.End);
  laying.RunStart = pos;
  if (!laying.Segs.empty() && !IsSeparate(t[static_cast<size_t>(pos)]))
    laying.RunStart = std::max(content_.ParagraphStart(laying.Para), content_.PieceStart(pos));
  laying.Advances.clear();
  laying.MeasuredSegs = 0;
  laying.FirstSeg = 0;
  laying.Break = -1;
  laying.First = pos == content_.ParagraphStart(laying.Para);
  laying.At = pos;
  // A line that neither wraps nor aligns nor tabs needs no measure to be
  // placed: its width waits until someone asks (-1).
  laying.Unmeasured = !wrap && content_.Para(laying.Para).Alignment == taLeftJustify &&
                      std::none_of(laying.Segs.begin(), laying.Segs.end(), [&](const TSegment& g) {
                        return t[static_cast<size_t>(g.Start)] == '\t';
                      });
}

TRichLine TRichLayout::NextLine(TRichLaying& laying, TRichMeasurer& m, int width, bool wrap) const {
  const AnsiString& t = content_.Text();
  const int pos = laying.Pos, pend = laying.End, at = laying.At;
  const TRichParaFormat& pf = content_.Para(laying.Para);
  const std::vector<TSegment>& segs = laying.Segs;
  std::vector<int>& advances = laying.Advances;
  const auto measureThrough = [&](int last) {
    if (advances.empty()) advances.assign(static_cast<size_t>(pend - pos), 0);
    for (; laying.MeasuredSegs < segs.size() && segs[laying.MeasuredSegs].Start <= last;
         ++laying.MeasuredSegs) {
      const TSegment& s = segs[laying.MeasuredSegs];
      if (IsSeparate(t[static_cast<size_t>(s.Start)])) continue;
      const std::vector<int>& ends = m.Ends(s.Format, s.Start, s.End);
      for (int i = s.Start; i < s.End; ++i)
        advances[static_cast<size_t>(i - pos)] =
            ends[static_cast<size_t>(i - s.Start)] -
            (i > s.Start ? ends[static_cast<size_t>(i - s.Start - 1)] : 0);
    }
  };
  const bool unmeasured = laying.Unmeasured;
  // Lines only go on, and a long paragraph has as many segments as lines.
  size_t& firstSeg = laying.FirstSeg;
  while (firstSeg < segs.size() && segs[firstSeg].End <= at) ++firstSeg;
  // A line break inside the paragraph ends the line at it; it is looked
  // for again only past the one the last line ended at, not at every line
  // of a long paragraph.
  if (laying.Break < at) {
    laying.Break = at;
    while (laying.Break < pend && t[static_cast<size_t>(laying.Break)] != static_cast<char>(kLineBreak))
      ++laying.Break;
  }
  const int lend = laying.Break;
  TRichLine line;
  line.Start = at;
  line.Para = laying.Para;
  line.First = laying.First;
  int indent = Scale(pf.LeftIndent + (laying.First ? pf.FirstIndent : 0), dpi_, 1440);
  if (pf.Bullet) indent += BulletIndent();
  indent = std::max(0, indent);
  const int avail = width > 0 ? std::max(1, width - indent - Scale(pf.RightIndent, dpi_, 1440)) : 0;
  // The rest of the paragraph as one line, when it fits.
  int x = unmeasured ? -1 : 0;
  for (size_t k = firstSeg; k < segs.size(); ++k) {
    const TSegment& s = segs[k];
    if (unmeasured || s.Start >= lend) break;
    const int a = std::max(s.Start, at);
    // The width of the rest of a segment does not depend on where it is
    // measured from: the first one's is taken from its whole run's sums.
    x = t[static_cast<size_t>(a)] == '\t'
            ? TabStop(pf, indent + x) - indent
            : x + m.RestWidth(s.Format, k == 0 ? laying.RunStart : s.Start, s.End, a, s.Start);
    if (wrap && width > 0 && x > avail) break;
  }
  int end = lend;
  if (wrap && width > 0 && x > avail) {
    x = 0;
    int fit = at;
    while (fit < lend) {
      measureThrough(fit);
      const int nx = t[static_cast<size_t>(fit)] == '\t' ? TabStop(pf, indent + x) - indent
                                                         : x + advances[static_cast<size_t>(fit - pos)];
      if (nx > avail && t[static_cast<size_t>(fit)] != ' ') break;
      x = nx;
      ++fit;
    }
    // Break after the last blank that fits; a word longer than the line is
    // cut where the line ends.
    int cut = fit;
    while (cut > at && t[static_cast<size_t>(cut - 1)] != ' ') --cut;
    if (cut == at) cut = std::max(fit, at + 1);
    while (cut < lend && t[static_cast<size_t>(cut)] == ' ') ++cut;
    end = cut;
    measureThrough(end - 1);
    x = 0;
    for (int i = at; i < end; ++i)
      x = t[static_cast<size_t>(i)] == '\t' ? TabStop(pf, indent + x) - indent
                                            : x + advances[static_cast<size_t>(i - pos)];
  }
  line.End = end;
  line.Next = end < lend ? end : lend < pend ? lend + 1 : laying.After;
  // Blanks at the end do not count for alignment.
  int shown = x;
  if (pf.Alignment != taLeftJustify) {
    int e = end;
    while (e > at && t[static_cast<size_t>(e - 1)] == ' ') --e;
    if (e < end)
      shown = x - m.PieceWidth(content_.FormatIndexAt(e), e, end, content_.ParagraphStart(laying.Para), pend);
  }
  line.Width = x;
  line.Left = indent;
  if (width > 0 && pf.Alignment == taRightJustify) line.Left = indent + std::max(0, avail - shown);
  if (width > 0 && pf.Alignment == taCenter) line.Left = indent + std::max(0, (avail - shown) / 2);
  // A justified line that wrapped fills the width; the paragraph's last
  // line and a line ended by a break stay as they are.
  if (wrap && width > 0 && pf.Alignment == taJustify && end < lend && shown < avail) {
    line.Stretch = avail - shown;
    line.Width = x + line.Stretch;
  }
  // The tallest font of the line gives its height and base line.
  int ascent = 0, descent = 0;
  if (end == at) {
    const TTextMetric& tm = m.Metrics(content_.InsertFormatAt(at));
    ascent = tm.tmAscent;
    descent = tm.tmHeight - tm.tmAscent;
  }
  for (size_t k = firstSeg; k < segs.size() && segs[k].Start < end; ++k) {
    const TSegment& s = segs[k];
    if (t[static_cast<size_t>(s.Start)] == static_cast<char>(kLineBreak)) continue;
    const TTextMetric& tm = m.Metrics(s.Format);
    ascent = std::max(ascent, tm.tmAscent);
    descent = std::max(descent, tm.tmHeight - tm.tmAscent);
  }
  line.Ascent = ascent;
  line.Height = std::max(1, ascent + descent);
  line.Top = laying.Top;
  return line;
}

void TRichLayout::PassLine(TRichLaying& laying, const TRichLine& line, bool wrap, int lastPara) const {
  laying.Top = static_cast<int>(
      std::min<long long>(static_cast<long long>(laying.Top) + line.Height, std::numeric_limits<int>::max()));
  laying.At = line.Next;
  laying.First = false;
  if (laying.At < laying.End) return;
  if (laying.Para + 1 >= content_.ParagraphCount() || (lastPara >= 0 && laying.Para >= lastPara))
    laying.Done = true;
  else
    BeginParagraph(laying, laying.After, wrap);
}

std::vector<TRichLine> TRichLayout::Lay(int from, int width, int height, bool wrap, int lastPara) const {
  std::vector<TRichLine> lines;
  TRichMeasurer m(*this, content_);
  TRichLaying laying;
  BeginParagraph(laying, std::clamp(from, 0, content_.Length()), wrap);
  while (!laying.Done) {
    const TRichLine line = NextLine(laying, m, width, wrap);
    // A page takes at least one line; the next line that does not fit
    // ends it.
    if (height > 0 && !lines.empty() && line.Top + line.Height > height) break;
    PassLine(laying, line, wrap, lastPara);
    lines.push_back(line);
  }
  return lines;
}

bool TRichLayout::ContinuesAt(int origin, int from, TRichMeasurer& m) const {
  const AnsiString& t = content_.Text();
  const int para = content_.ParagraphOf(from);
  const int pos = std::max(origin, content_.ParagraphStart(para));
  const int pend = content_.ParagraphEnd(para);
  const auto at = [&](int i) { return t[static_cast<size_t>(i)]; };
  // Where a segment starts, a layout from there has the same segments.
  if (from <= pos || from >= pend || IsSeparate(at(from)) || IsSeparate(at(from - 1)) ||
      content_.FormatIndexAt(from - 1) != content_.FormatIndexAt(from))
    return true;
  const int start = std::max(pos, content_.PieceStart(from)), end = std::min(pend, content_.PieceEnd(from));
  return m.ShiftsTo(content_.FormatIndexAt(from), start, end, from);
}

namespace {

// The least height that holds every one of Lines when they run to the end
// of the text; one more than Height (which they overran) when they do not.
int RoomOfAll(const std::vector<TRichLine>& lines, bool whole, int height) {
  if (!whole) return height == std::numeric_limits<int>::max() ? height : height + 1;
  // A page takes at least one line.
  return lines.size() < 2 ? 0 : lines.back().Top + lines.back().Height;
}

bool RunsToEnd(const TRichContent& content, const std::vector<TRichLine>& lines) {
  return lines.back().Para + 1 >= content.ParagraphCount() && lines.back().Next >= content.Length();
}

// The first of First to Last that Pred is false for, Pred being true of
// those before it: looked for a step from First, then twice as far and so
// on, and only then by halving, as a page holds a few of a text's lines.
template <typename It, typename Pred>
It PartitionNear(It first, It last, Pred pred) {
  std::ptrdiff_t step = 1;
  while (last - first > step && pred(first[step - 1])) {
    first += step;
    step *= 2;
  }
  return std::partition_point(first, last - first > step ? first + step : last, pred);
}

// A quarter of the int range in twips (over 370 m).
constexpr int kFarDown = 1 << 29;

}  // namespace

std::vector<TRichLine> TRichLayout::LayPage(int from, int width, int height, int* room) const {
  std::vector<TRichLine> page;
  LayPage(from, width, height, room, page);
  return page;
}

void TRichLayout::LayPage(int from, int width, int height, int* room, std::vector<TRichLine>& page) const {
  if (Measures == nullptr || FontOf) {
    page = Lay(from, width, height);
    if (room != nullptr) *room = RoomOfAll(page, RunsToEnd(content_, page), height);
    return;
  }
  TRichMeasurer m(*this, content_);
  from = std::clamp(from, 0, content_.Length());
  // The page goes on from lines laid for an earlier page of the same
  // width when one of them starts where it does: a long text is laid out
  // once, not again from each page's start.
  TRichMeasures::TLaid* laid = nullptr;
  size_t first = 0;
  const std::pair<int, int> asked{from, width};
  std::vector<TRichMeasures::TPageKept>& pages = Measures->pages_;
  const auto known =
      !pages.empty() && pages.back().Asked < asked
          ? pages.end()
          : std::partition_point(pages.begin(), pages.end(),
                                 [&asked](const TRichMeasures::TPageKept& p) { return p.Asked < asked; });
  if (known != pages.end() && known->Asked == asked) {
    laid = known->Laid;
    first = known->First;
  } else {
    for (auto& [key, kept] : Measures->laid_) {
      if (key.second != width || key.first > from) continue;
      const std::vector<TRichLine>& lines = kept.Lines;
      const auto it = std::partition_point(lines.begin(), lines.end(),
                                           [from](const TRichLine& line) { return line.Start < from; });
      const bool starts = it != lines.end() ? it->Start == from : !kept.Laying.Done && kept.Laying.At == from;
      // Lines far down a text taller than a few kilometres start afresh,
      // so that their tops stay within an int however far they are laid.
      const int top = it != lines.end() ? it->Top : kept.Laying.Top;
      if (starts && top <= kFarDown && (key.first == from || ContinuesAt(key.first, from, m))) {
        laid = &kept;
        first = static_cast<size_t>(it - lines.begin());
        break;
      }
    }
    if (laid == nullptr) {
      laid = &Measures->laid_[asked];
      laid->Lines = std::move(Measures->spareLines_);
      laid->Lines.clear();
      BeginParagraph(laid->Laying, from, true);
    }
    pages.insert(known, {asked, laid, first});
  }
  std::vector<TRichLine>& lines = laid->Lines;
  TRichLaying& laying = laid->Laying;
  const auto top = [&] { return first < lines.size() ? lines[first].Top : laying.Top; };
  // Lines go on being laid twice as far down as the page asks: a band that
  // grows 5 mm at a time asks again at every step, and the pages after it
  // take the lines laid ahead.
  const long long reach = std::max<long long>(height, std::min<long long>(2LL * height, kFarDown));
  while (!laying.Done && (lines.size() <= first ||
                          static_cast<long long>(lines.back().Top) + lines.back().Height - top() <= reach)) {
    const TRichLine line = NextLine(laying, m, width, true);
    PassLine(laying, line, true, -1);
    lines.push_back(line);
  }
  const int origin = top();
  // A page takes at least one line; the next line that does not fit ends
  // it, as Lay does. The lines' feet only go down, so the first one below
  // the page is found from the page's first line on.
  const auto begin = lines.begin() + static_cast<std::ptrdiff_t>(first);
  const auto below = PartitionNear(begin + 1, lines.end(), [height, origin](const TRichLine& line) {
    return static_cast<long long>(line.Top) - origin + line.Height <= height;
  });
  page.assign(begin, below);
  for (TRichLine& line : page) line.Top -= origin;
  if (room != nullptr) {
    // Every line from the page's start to the end of the text when the
    // laying is done; else a lower bound: the lines laid and one more.
    const TRichLine& last = lines.back();
    const long long foot = static_cast<long long>(last.Top) - origin + last.Height;
    if (laying.Done)
      *room = lines.end() - begin < 2 ? 0 : static_cast<int>(foot);
    else
      *room = static_cast<int>(std::min<long long>(foot + 1, std::numeric_limits<int>::max()));
  }
}

int TRichLayout::Measure(const TRichLine& line) const {
  TRichMeasurer m(*this, content_);
  const TRichParaFormat& pf = content_.Para(line.Para);
  const int indent = std::max(0, Scale(pf.LeftIndent + (line.First ? pf.FirstIndent : 0), dpi_, 1440)) +
                     (pf.Bullet ? BulletIndent() : 0);
  int x = 0;
  for (const TSegment& s : Segments(line.Start, line.End))
    x = content_.Text()[static_cast<size_t>(s.Start)] == '\t' ? TabStop(pf, indent + x) - indent
                                                              : x + m.Width(s.Format, s.Start, s.End);
  return x + line.Stretch;
}

std::vector<int> TRichLayout::CharEnds(const TRichLine& line) const {
  TRichMeasurer m(*this, content_);
  std::vector<TSegment> segs;
  std::vector<int> ends;
  CharEnds(line, m, segs, ends);
  return ends;
}

void TRichLayout::CharEnds(const TRichLine& line, TRichMeasurer& m, std::vector<TSegment>& segs,
                           std::vector<int>& ends) const {
  const AnsiString& t = content_.Text();
  const TRichParaFormat& pf = content_.Para(line.Para);
  int indent = Scale(content_.Para(line.Para).LeftIndent + (line.First ? pf.FirstIndent : 0), dpi_, 1440);
  if (pf.Bullet) indent += BulletIndent();
  ends.clear();
  ends.reserve(static_cast<size_t>(line.End - line.Start));
  int x = 0;
  Segments(line.Start, line.End, segs);
  for (const TSegment& s : segs) {
    if (t[static_cast<size_t>(s.Start)] == '\t') {
      x = TabStop(pf, std::max(0, indent) + x) - std::max(0, indent);
      ends.push_back(x);
      continue;
    }
    const size_t before = ends.size();
    m.AppendEnds(s.Format, s.Start, s.End, x, ends, content_.ParagraphStart(line.Para),
                 content_.ParagraphEnd(line.Para));
    if (ends.size() > before) x = ends.back();
  }
  if (line.Stretch > 0) Spread(line, ends);
}

void TRichLayout::Spread(const TRichLine& line, std::vector<int>& ends) const {
  const AnsiString& t = content_.Text();
  int last = line.End;
  while (last > line.Start && t[static_cast<size_t>(last - 1)] == ' ') --last;
  int blanks = 0;
  for (int i = line.Start; i < last; ++i) blanks += t[static_cast<size_t>(i)] == ' ';
  if (blanks == 0) return;
  // Each blank takes its share; every character after it moves with it.
  int seen = 0, shift = 0;
  for (int i = line.Start; i < line.End; ++i) {
    if (i < last && t[static_cast<size_t>(i)] == ' ') {
      ++seen;
      shift = static_cast<int>(static_cast<long long>(line.Stretch) * seen / blanks);
    }
    ends[static_cast<size_t>(i - line.Start)] += shift;
  }
}

void TRichLayout::Draw(TCanvas& canvas, const std::vector<TRichLine>& lines, int x0, int y0, int selStart,
                       int selEnd, TColor highlight, TColor highlightText) const {
  const int devX = DrawDpi > 0 ? DrawDpi : canvas.GetDeviceCaps(LOGPIXELSX);
  const int devY = DrawDpi > 0 ? DrawDpi : canvas.GetDeviceCaps(LOGPIXELSY);
  const AnsiString& t = content_.Text();
  // A page drawn plainly a second time at the same resolution makes the
  // calls it made the first time, moved: they are kept and made again.
  TRichMeasures::TDrawn* record = nullptr;
  bool fontChanged = false;  // since the last call noted
  if (Measures != nullptr && !FontOf && !EndsOf && TextColor == clNone && selStart >= selEnd &&
      !lines.empty()) {
    TRichMeasures& kept = *Measures;
    const int ppi = canvas.Font->PixelsPerInch;
    const int start = lines.front().Start;
    auto& at = kept.drawnAt_;
    // A page new to the drawing starts after those before it.
    auto first = !at.empty() && at.back().first < start
                     ? at.end()
                     : std::lower_bound(at.begin(), at.end(), std::pair<int, std::size_t>{start, 0});
    for (auto it = first; it != at.end() && it->first == start; ++it) {
      const TRichMeasures::TDrawn& d = kept.drawn_[it->second];
      const auto held = kept.drawnLines_.begin() + static_cast<std::ptrdiff_t>(d.LinesAt);
      if (d.DevX == devX && d.DevY == devY && d.PixelsPerInch == ppi &&
          std::equal(held, held + static_cast<std::ptrdiff_t>(d.LineCount), lines.begin(), lines.end()))
        return Replay(canvas, kept, d, x0, y0);
    }
    // After the pages of the same start, as a page of a new start is after
    // all those drawn before it.
    while (first != at.end() && first->first == start) ++first;
    at.insert(first, {start, kept.drawn_.size()});
    record = &kept.drawn_.emplace_back();
    record->Start = start;
    record->LinesAt = kept.drawnLines_.size();
    record->LineCount = lines.size();
    kept.drawnLines_.insert(kept.drawnLines_.end(), lines.begin(), lines.end());
    record->DevX = devX;
    record->DevY = devY;
    record->PixelsPerInch = ppi;
    record->CallsAt = kept.drawnCalls_.size();
  }
  const auto note = [&](int x, int y, bool bullet, std::u16string_view wide, std::string_view bytes,
                        const int* advances) {
    if (record == nullptr) return;
    TRichMeasures& kept = *Measures;
    TRichMeasures::TDrawn::TCall call{-1, x - x0, y - y0, bullet, !wide.empty(), 0, 0, 0};
    if (fontChanged) {
      // Pages take the same few fonts again and again: one kept lately is
      // taken again.
      const TFont& font = *canvas.Font;
      std::vector<TFont>& fonts = kept.drawnFonts_;
      const size_t look = std::min<size_t>(fonts.size(), 8);
      call.Font = -1;
      for (size_t i = fonts.size(); i > fonts.size() - look; --i)
        if (fonts[i - 1] == font && fonts[i - 1].PixelsPerInch == font.PixelsPerInch) {
          call.Font = static_cast<int>(i - 1);
          break;
        }
      if (call.Font < 0) {
        call.Font = static_cast<int>(fonts.size());
        fonts.push_back(font);
      }
      fontChanged = false;
    }
    call.Text = call.Wide ? kept.drawnWide_.size() : kept.drawnBytes_.size();
    call.Length = static_cast<int>(call.Wide ? wide.size() : bytes.size());
    if (call.Wide)
      kept.drawnWide_ += wide;
    else
      kept.drawnBytes_ += bytes;
    call.Dx = kept.drawnAdvances_.size();
    if (advances != nullptr)
      kept.drawnAdvances_.insert(kept.drawnAdvances_.end(), advances, advances + call.Length);
    kept.drawnCalls_.push_back(call);
    ++record->CallCount;
  };
  const unsigned align = canvas.GetTextAlign();
  canvas.SetTextAlign(TA_LEFT | TA_BASELINE);
  canvas.Brush->Style = bsClear;
  // Kept from line to line and piece to piece, and with the measures from
  // page to page: a page is drawn piece by piece, twice when it is also
  // exported.
  std::optional<TRichMeasures::TScratch> own;
  TRichMeasures::TScratch& work = Measures != nullptr ? Measures->scratch_ : own.emplace();
  std::vector<TSegment>& segs = work.Segs;
  std::vector<TSegment>& measuring = work.Measuring;
  std::vector<int>& xs = work.Xs;
  std::vector<int>& dx = work.Dx;
  std::vector<int>& measured = work.Measured;
  std::optional<TRichMeasurer> measurer;
  AnsiString& piece = work.Bytes;
  // The canvas's font is set again only when a piece's format or colour
  // differs from the piece's before it.
  int fontFormat = -1;
  bool fontSelected = false;
  for (const TRichLine& line : lines) {
    const int base = y0 + Scale(line.Top + line.Ascent, devY, dpi_);
    const int left = x0 + Scale(line.Left, devX, dpi_);
    if (line.First && content_.Para(line.Para).Bullet) {
      TFont font;
      MakeFont(content_.Format(content_.InsertFormatAt(line.Start)), font);
      font.SetHeight(Scale(font.Height(), devY, dpi_));
      font.PixelsPerInch = canvas.Font->PixelsPerInch;
      canvas.Font->Assign(font);
      fontFormat = -1;
      fontChanged = true;
      const AnsiString bullet(1, static_cast<char>(kBulletByte));
      note(left - Scale(BulletIndent(), devX, dpi_), base, true, {}, bullet, nullptr);
      canvas.TextOut(left - Scale(BulletIndent(), devX, dpi_), base, bullet);
    }
    if (line.End <= line.Start) continue;
    // Measured with one measurer for the whole drawing; the user's own
    // ends, when it keeps them, are all it measures with.
    const auto measure = [&] {
      if (!measurer) measurer.emplace(*this, content_);
      CharEnds(line, *measurer, measuring, measured);
      return &measured;
    };
    const std::vector<int>* kept = nullptr;
    if (EndsOf) {
      kept = &EndsOf(line);
    } else if (Measures != nullptr && !FontOf && record == nullptr) {
      auto& lineEnds = Measures->lineEnds_;
      const auto key = std::make_tuple(line.Start, line.End, line.Para, line.First, line.Stretch);
      auto found = lineEnds.find(key);
      if (found == lineEnds.end()) found = lineEnds.emplace(key, *measure()).first;
      kept = &found->second;
    } else {
      kept = measure();
    }
    const std::vector<int>& ends = *kept;
    // Where each character starts at the canvas's resolution, from the
    // line's left, and its advance there.
    const auto count = static_cast<size_t>(line.End - line.Start);
    xs.resize(count + 1);
    dx.resize(count);
    xs[0] = 0;
    for (size_t i = 0; i < count; ++i) {
      xs[i + 1] = Scale(ends[i], devX, dpi_);
      dx[i] = xs[i + 1] - xs[i];
    }
    const auto xAt = [&](int i) { return xs[static_cast<size_t>(i - line.Start)]; };
    // Pieces of one format, cut where the selection starts and ends.
    Segments(line.Start, line.End, segs);
    for (const TSegment& s : segs) {
      int cuts[4] = {s.Start, std::clamp(selStart, s.Start, s.End), std::clamp(selEnd, s.Start, s.End),
                     s.End};
      for (int k = 0; k < 3; ++k) {
        const int a = cuts[k], b = cuts[k + 1];
        if (a >= b) continue;
        const bool selected = a >= selStart && b <= selEnd && selStart < selEnd;
        if (selected) {
          canvas.Brush->Style = bsSolid;
          canvas.Brush->Color = highlight;
          canvas.FillRect(Rect(left + xAt(a), y0 + Scale(line.Top, devY, dpi_), left + xAt(b),
                               y0 + Scale(line.Top + line.Height, devY, dpi_)));
          canvas.Brush->Style = bsClear;
        }
        if (t[static_cast<size_t>(a)] == '\t') continue;
        if (s.Format != fontFormat || selected != fontSelected) {
          TFont font;
          MakeFont(content_.Format(s.Format), font);
          font.SetHeight(Scale(font.Height(), devY, dpi_));
          font.PixelsPerInch = canvas.Font->PixelsPerInch;
          if (TextColor != clNone) font.Color = TextColor;
          if (selected) font.Color = highlightText;
          canvas.Font->Assign(font);
          fontFormat = s.Format;
          fontSelected = selected;
          fontChanged = true;
        }
        const int* advances = dx.data() + (a - line.Start);
        if (content_.HasWide(a, b)) {
          const WideString wide = content_.WideText(a, b);
          note(left + xAt(a), base, false, wide, {}, advances);
          canvas.ExtTextOutW(left + xAt(a), base, 0, nullptr, wide, advances);
        } else {
          piece.assign(t, static_cast<size_t>(a), static_cast<size_t>(b - a));
          note(left + xAt(a), base, false, {}, piece, advances);
          canvas.ExtTextOut(left + xAt(a), base, 0, nullptr, piece, advances);
        }
      }
    }
  }
  canvas.SetTextAlign(align);
}

void TRichLayout::Replay(TCanvas& canvas, TRichMeasures& measures, const TRichMeasures::TDrawn& drawn, int x,
                         int y) {
  const unsigned align = canvas.GetTextAlign();
  canvas.SetTextAlign(TA_LEFT | TA_BASELINE);
  canvas.Brush->Style = bsClear;
  AnsiString& bytes = measures.scratch_.Bytes;
  WideString& wide = measures.scratch_.Wide;
  const auto calls = measures.drawnCalls_.begin() + static_cast<std::ptrdiff_t>(drawn.CallsAt);
  for (auto it = calls; it != calls + static_cast<std::ptrdiff_t>(drawn.CallCount); ++it) {
    const TRichMeasures::TDrawn::TCall& call = *it;
    if (call.Font >= 0) canvas.Font->Assign(measures.drawnFonts_[static_cast<size_t>(call.Font)]);
    const int* advances = measures.drawnAdvances_.data() + call.Dx;
    if (call.Wide) {
      wide.assign(measures.drawnWide_, call.Text, static_cast<size_t>(call.Length));
      canvas.ExtTextOutW(x + call.X, y + call.Y, 0, nullptr, wide, advances);
      continue;
    }
    bytes.assign(measures.drawnBytes_, call.Text, static_cast<size_t>(call.Length));
    if (call.Bullet)
      canvas.TextOut(x + call.X, y + call.Y, bytes);
    else
      canvas.ExtTextOut(x + call.X, y + call.Y, 0, nullptr, bytes, advances);
  }
  canvas.SetTextAlign(align);
}
