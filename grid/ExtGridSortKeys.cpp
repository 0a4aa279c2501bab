// The sort on keys: each row's text in the sorted columns is read once and
// turned into what its style compares (the number, the date, the text as
// compared, the check state or the image), the same quicksort with the
// same pivots and the same comparisons runs over those keys, and the rows
// move once at the end. Reading and converting a cell on every comparison
// is what made a large grid slow to sort.
//
// The first column's keys are compact where its cells all read one way: a
// number as an integer image of its value, a text by its first eight bytes.
// Where that column alone decides, the partition's scans go through runs
// of rows compared with the pivot beforehand; where its cells are ordered
// totally, the comparison before an exchange follows from the two against
// the pivot. Every comparison the row-by-row sort makes is counted.
//
// Only an event can make two sorts of the same cells differ, so a column
// whose comparison an event decides, a grid whose texts an event supplies
// and a sort that moves one column only are left to the row-by-row sort.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <type_traits>
#include <vector>

#include "grid/EsgUni.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridSortRead.h"
#include "grid/GridUtil.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"

using gridsort::Order;
using gridsort::Sign;

namespace {

// What a comparison of one cell needs. A detected style is decided by the
// first row of a comparison, so a cell of such a column carries every
// reading that some row's style asks for.
struct TSortCellKey {
  const AnsiString* text = nullptr;  // as compared: upper-cased or without tags by style
  const WideString* wide = nullptr;
  Extended number = 0;
  TDateTime date = 0;
  int aux = 0;  // the image index or the check state
  signed char style = 0;
  bool numberOk = false;
  bool empty = false;
};

// How every cell of a column compares, when it is one way for all of them:
// then the first column's keys shrink to what that way needs, and a
// comparison is an integer comparison in most cases.
enum class TKeyKind { Mixed, Number, Text };

// The keys of the first sorted column, with the row's offset in the sorted
// range before the sort.
struct TMixedEntry {
  TSortCellKey key;
  int row = 0;
};

// The value as two unsigned integers whose order is the value's order. A
// blank cell of a detected style compares as a text (the empty one).
struct TNumberEntry {
  std::uint64_t low = 0;
  std::uint16_t high = 0;
  std::uint8_t ok : 1 = 0, empty : 1 = 0, blankText : 1 = 0;
  int row = 0;
};

// The first eight bytes of the text as compared, big-endian and padded with
// zeros, so that texts differing there compare as these integers do.
struct TTextEntry {
  std::uint64_t prefix = 0;
  std::uint32_t size : 31 = 0;
  std::uint32_t empty : 1 = 0;
  int row = 0;
};

constexpr bool kNumberImages = std::numeric_limits<Extended>::digits == 64 && sizeof(Extended) >= 10;

// The 80-bit value's sign and exponent above its significand, a negative
// value's bits inverted; a zero of either sign reads as one.
void NumberImage(Extended Value, TNumberEntry& Entry) {
  if (Value == 0) Value = 0.0L;
  std::uint64_t significand = 0;
  std::uint16_t signExponent = 0;
  unsigned char bytes[sizeof(Extended)];
  std::memcpy(bytes, &Value, sizeof bytes);
  std::memcpy(&significand, bytes, sizeof significand);
  std::memcpy(&signExponent, bytes + sizeof significand, sizeof signExponent);
  if (signExponent & 0x8000u) {
    Entry.high = static_cast<std::uint16_t>(~signExponent);
    Entry.low = ~significand;
  } else {
    Entry.high = static_cast<std::uint16_t>(signExponent | 0x8000u);
    Entry.low = significand;
  }
}

std::uint64_t TextPrefix(const AnsiString& S) {
  std::uint64_t prefix = 0;
  const size_t n = std::min<size_t>(8, S.size());
  for (size_t i = 0; i < n; ++i) prefix |= std::uint64_t{static_cast<unsigned char>(S[i])} << (56 - 8 * i);
  return prefix;
}

template <typename T>
int Order3(T a, T b) {
  return (a > b) - (a < b);
}

}  // namespace

class TExtStringGrid::SortKeys {
 public:
  SortKeys(TExtStringGrid& Grid, int Lo, int Hi, int Dir, bool Indexed)
      : g_(Grid), lo_(Lo), n_(Hi - Lo + 1), dir_(Dir), indexed_(Indexed) {}

  // The columns in the order the comparison reaches them, each with its
  // style; false when an event decides one of them.
  bool Plan() {
    if (!PlanColumns()) return false;
    // As the format events left them.
    ignoreBlanks_ = g_.sortSettings_->IgnoreBlanks;
    blanksLast_ = g_.sortSettings_->BlankPos == blLast;
    direction_ = g_.sortSettings_->Direction;
    return true;
  }

  // A merged cell reads its base cell, which depends on where the rows are
  // at that moment: only the row-by-row sort sees that, so reading one
  // gives the sort up before any row has moved.
  struct MergedCell {};

 private:
  bool PlanColumns() {
    auto add = [&](int col, bool ascending) {
      Column c;
      c.col = col;
      c.ascending = ascending;
      c.style = g_.sortSettings_->AutoFormat ? ssDetect : ssText;
      g_.GetColFormat(col, c.style, c.prefix, c.suffix);
      if (c.style == ssCustomEvent || c.style == ssRawEvent) return false;
      columns_.push_back(std::move(c));
      return true;
    };
    if (indexed_) {
      const TSortIndexList& list = g_.sortIndexes_;
      for (int k = 0; k < list.Count(); ++k) {
        const int item = list.Items(k);
        if (!add(TSortIndexList::ColumnOf(item), TSortIndexList::AscendingOf(item))) return false;
        if (!g_.sortSettings_->Full) break;
      }
    } else {
      int col = g_.sortSettings_->Column;
      if (!add(col, true)) return false;
      while (g_.sortSettings_->Full && col <= g_.ColCount() - 2)
        if (!add(++col, true)) return false;
    }
    return true;
  }

 public:
  void Run() {
    // The comparisons count as they happen, whatever ends the sort.
    struct CountCompares {
      SortKeys& keys;
      ~CountCompares() { keys.g_.sortCompares_ += static_cast<int>(keys.compares_); }
    } count{*this};
    replayIntegers_ = !g_.RowIntegers.empty() && g_.RowIntegers.size() < static_cast<size_t>(lo_ + n_);
    Read(0);
    switch (columns_[0].kind) {
      case TKeyKind::Number:
        SortAndMove(numbers_);
        break;
      case TKeyKind::Text:
        SortAndMove(texts_);
        break;
      default: {
        const Column& first = columns_[0];
        std::vector<TMixedEntry> entries(first.keys.size());
        for (size_t k = 0; k < entries.size(); ++k) entries[k] = {first.keys[k], static_cast<int>(k)};
        SortAndMove(entries);
        break;
      }
    }
  }

 private:
  struct Column {
    int col = 0;
    bool ascending = true;
    TSortStyle style = ssText;
    AnsiString prefix, suffix;
    bool read = false;
    TKeyKind kind = TKeyKind::Mixed;
    bool total = false;             // the comparison orders the column's cells totally
    std::vector<AnsiString> texts;  // the keys point into these
    std::vector<WideString> wides;
    std::vector<TSortCellKey> keys;  // by the row's offset before the sort
  };

  // Every value read: the direction of an index entry and the blanks' place
  // go into the images, so that comparing two rows by the first column is
  // comparing their images.
  void FoldIntoImages(const Column& c) {
    imagesOrder_ = true;
    const bool invert = indexed_ && !c.ascending;
    const int last = indexed_ || direction_ != sdDescending ? 1 : -1;
    const bool blanksHigh = (blanksLast_ ? last : -last) > 0;
    for (TNumberEntry& e : numbers_) {
      if (invert) e.high = static_cast<std::uint16_t>(~e.high), e.low = ~e.low;
      // No value has these images: they would be two not-a-numbers.
      if (e.empty && ignoreBlanks_)
        e.high = blanksHigh ? 0xFFFFu : 0, e.low = blanksHigh ? ~std::uint64_t{0} : 0;
    }
  }

  template <typename E>
  void SortAndMove(std::vector<E>& Entries) {
    Sort(Entries, 0, n_ - 1);
    std::vector<int> order(Entries.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = Entries[k].row;
    Entries = {};
    MoveRows(order);
  }

  // Reads every row's key of the column at position K of the plan: the
  // first column's into the compact entries when all its cells compare one
  // way, else (and every other column's) into the cell keys.
  void Read(size_t K) {
    Column& c = columns_[K];
    c.read = true;
    const size_t n = static_cast<size_t>(n_);
    // The cells first, in a loop that does nothing else, so that the reads
    // of many rows are under way at once. Without cell properties no cell is
    // merged or has a graphic, whatever objects the cells hold. What each
    // cell tells goes in one list, not one for each fact: a sort of a few
    // rows, whose lists cost more than their reading, is the common one.
    struct Facts {
      unsigned char object = 0;
      signed char style = 0;
      unsigned char empty = 0;  // before a style changes the text
    };
    std::vector<Facts> facts(n);
    const bool properties = g_.MadeCellProperties();
    c.texts.reserve(n);
    for (size_t k = 0; k < n; ++k) {
      const int row = lo_ + static_cast<int>(k);
      if (properties) facts[k].object = g_.GetCellObjectDirect(c.col, row) != nullptr;
      c.texts.push_back(g_.GetCellDirect(c.col, row));
    }
    // Each cell's style, and what the column's style makes of its text.
    std::vector<int> aux;  // the image index or the check state
    std::vector<TDateTime> dates;
    bool anyNumber = c.style == ssNumber || c.style == ssNumberGrouped;
    bool anyDate = c.style == ssDateTime;
    bool anyCheck = c.style == ssCheckState;
    bool allText = true, allNumber = true, allNumberOrBlank = true;
    for (size_t k = 0; k < n; ++k) {
      const int row = lo_ + static_cast<int>(k);
      AnsiString& text = c.texts[k];
      facts[k].empty = text.empty();
      // A cell without an object is neither merged nor a check box.
      if (facts[k].object) {
        const TPoint base = g_.BaseCell(c.col, row);
        if (base.X != c.col || base.Y != row) throw MergedCell();
      }
      TSortStyle style = c.style;
      if (style == ssDetect) {
        const TCellType type = facts[k].object ? g_.GetCellType(c.col, row) : ctEmpty;
        if (type == ctCheckBox || type == ctDataCheckBox || type == ctVirtCheckBox)
          style = ssCheckState, anyCheck = true;
        else if (ClassifyNumberText(text) != 2)
          style = ssNumberGrouped, anyNumber = true;
        else if (gridsort::LooksLikeDate(text))
          style = ssDateTime, anyDate = true;
        else
          style = ssText;
      }
      facts[k].style = static_cast<signed char>(style);
      allText = allText &&
                (style == ssText || style == ssTextExact || style == ssTextUpper || style == ssPlainText);
      allNumber = allNumber && (style == ssNumber || style == ssNumberGrouped);
      allNumberOrBlank = allNumberOrBlank && (style == ssNumber || style == ssNumberGrouped ||
                                              (style == ssText && facts[k].empty));
      switch (c.style) {
        case ssTextUpper:
          text = UpperCase(text);
          break;
        case ssDateDMY:
        case ssDateMDY:
          if (dates.empty()) dates.resize(n);
          dates[k] = c.style == ssDateDMY ? DateFromDMYText(text) : DateFromMDYText(text);
          break;
        case ssImageIndex:
          if (aux.empty()) aux.resize(n);
          aux[k] = g_.GetCellImageIdx(c.col, row);
          break;
        case ssPlainText: {
          AnsiString plain;
          g_.GetCellPlainText(c.col, row, plain);
          text = plain;
          break;
        }
        case ssWideText:
          if (c.wides.empty()) c.wides.resize(n);
          c.wides[k] = WideFromCellText(text);
          break;
        default:
          break;
      }
    }
    // A detected style compares both cells by the first one's reading.
    const bool grouped = c.style != ssNumber;
    if (K == 0 && allNumberOrBlank && !allText && kNumberImages) {
      c.kind = TKeyKind::Number;
      numbers_.resize(n);
      bool allOk = true;
      for (size_t k = 0; k < n; ++k) {
        TNumberEntry& e = numbers_[k];
        Extended value = 0;
        e.ok = gridsort::ReadSortNumber(c.texts[k], c.prefix, c.suffix, grouped, value);
        NumberImage(value, e);
        e.empty = facts[k].empty;
        e.blankText = facts[k].style == ssText;
        e.row = static_cast<int>(k);
        allOk = allOk && e.ok;
      }
      // A blank compared as a text is before every other cell, while a
      // number compares with it as with a zero: no total order.
      c.total = allOk && allNumber;
      if (c.total) FoldIntoImages(c);
    } else if (K == 0 && allText) {
      c.kind = TKeyKind::Text;
      c.total = true;
      texts_.resize(n);
      for (size_t k = 0; k < n; ++k) {
        TTextEntry& e = texts_[k];
        const AnsiString& text = c.texts[k];
        e.prefix = TextPrefix(text);
        e.size = static_cast<std::uint32_t>(text.size());
        e.empty = facts[k].empty;
        e.row = static_cast<int>(k);
      }
    } else {
      c.keys.resize(n);
      bool allOk = true;
      for (size_t k = 0; k < n; ++k) {
        TSortCellKey& key = c.keys[k];
        const int row = lo_ + static_cast<int>(k);
        key.text = &c.texts[k];
        key.empty = facts[k].empty;
        key.style = facts[k].style;
        if (!c.wides.empty()) key.wide = &c.wides[k];
        if (anyNumber) {
          key.numberOk = gridsort::ReadSortNumber(c.texts[k], c.prefix, c.suffix, grouped, key.number);
          allOk = allOk && key.numberOk;
        }
        if (!dates.empty())
          key.date = dates[k];
        else if (anyDate)
          key.date = gridsort::ReadSortDate(c.texts[k]);
        if (!aux.empty()) key.aux = aux[k];
        if (anyCheck) {
          bool checked = false;
          g_.GetCheckBoxState(c.col, row, checked);
          key.aux = checked ? 1 : 0;
        }
      }
      // Only a column whose comparison is a total order lets the sort know
      // the outcome of a comparison from two others.
      c.total = allText || (allNumber && allOk);
    }
    consistent_ = consistent_ && c.total;
  }

  // How cell A compares with cell B in the style, not counted.
  int Styled(const TSortCellKey& a, const TSortCellKey& b) const {
    switch (static_cast<TSortStyle>(a.style)) {
      case ssText:
      case ssTextExact:
      case ssTextUpper:
      case ssPlainText:
        return Sign(a.text->compare(*b.text));
      case ssNumber:
      case ssNumberGrouped:
        return !a.numberOk && !b.numberOk ? 0 : Order(a.number, b.number);
      case ssDateTime:
      case ssDateDMY:
      case ssDateMDY:
        return Order(a.date, b.date);
      case ssLocaleText:
        return Sign(AnsiCompareStr(*a.text, *b.text));
      case ssLocaleTextNoCase:
        return Sign(AnsiCompareText(*a.text, *b.text));
      case ssImageIndex:
        return Order(a.aux, b.aux);
      case ssCheckState:
        return a.aux == b.aux ? 0 : (a.aux ? 1 : -1);
      case ssWideText:
        return WideCompareText(*a.wide, *b.wide);
      default:
        return 1;
    }
  }

  int Styled(const TMixedEntry& a, const TMixedEntry& b) const { return Styled(a.key, b.key); }

  static unsigned __int128 Image(const TNumberEntry& e) {
    return (static_cast<unsigned __int128>(e.high) << 64) | e.low;
  }

  int Styled(const TNumberEntry& a, const TNumberEntry& b) const {
    if (a.blankText) return b.empty ? 0 : -1;
    if (!a.ok && !b.ok) return 0;
    return Order3(Image(a), Image(b));
  }

  int Styled(const TTextEntry& a, const TTextEntry& b) const {
    if (a.prefix != b.prefix) return Order3(a.prefix, b.prefix);
    // Equal in their first eight bytes, padding included: when one has no
    // more, it is the start of the other.
    if (a.size <= 8 || b.size <= 8) return Order3(a.size, b.size);
    return Rests(a, b);
  }

  // Two texts alike in their first eight bytes, both longer, by the rest.
  [[gnu::noinline]] int Rests(const TTextEntry& a, const TTextEntry& b) const {
    const std::vector<AnsiString>& texts = columns_[0].texts;
    const AnsiString& ta = texts[static_cast<size_t>(a.row)];
    const AnsiString& tb = texts[static_cast<size_t>(b.row)];
    const int c = std::memcmp(ta.data() + 8, tb.data() + 8, std::min(ta.size(), tb.size()) - 8);
    return c != 0 ? Sign(c) : Order3(ta.size(), tb.size());
  }

  static bool Empty(const TMixedEntry& e) { return e.key.empty; }
  static bool Empty(const TNumberEntry& e) { return e.empty; }
  static bool Empty(const TTextEntry& e) { return e.empty; }
  static bool Empty(const TSortCellKey& e) { return e.empty; }

  template <typename E>
  int Blanks(const E& a, const E& b, int Result, TSortDirection Direction) const {
    if (!ignoreBlanks_) return Result;
    const bool emptyA = Empty(a), emptyB = Empty(b);
    if (emptyA == emptyB) return Result;
    const int last = Direction == sdDescending ? -1 : 1;
    const int place = blanksLast_ ? last : -last;
    return emptyA ? place : -place;
  }

  const TSortCellKey& KeyOf(size_t K, int Row) {
    if (!columns_[K].read) Read(K);
    return columns_[K].keys[static_cast<size_t>(Row)];
  }

  // The first column's comparison, not counted.
  template <typename E>
  int First(const E& a, const E& b) const {
    if (indexed_) return Blanks(a, b, columns_[0].ascending ? Styled(a, b) : -Styled(a, b), sdAscending);
    return Blanks(a, b, Styled(a, b), direction_);
  }

  int First(const TNumberEntry& a, const TNumberEntry& b) const {
    if (imagesOrder_) return Order3(Image(a), Image(b));
    return First<TNumberEntry>(a, b);
  }

  // The comparison of the row-by-row sort, column after column, each
  // column reached counted.
  template <typename E>
  int Compare(const E& a, const E& b) {
    ++compares_;
    int result = First(a, b);
    for (size_t k = 1; result == 0 && k < columns_.size(); ++k) {
      const TSortCellKey& ka = KeyOf(k, a.row);
      const TSortCellKey& kb = KeyOf(k, b.row);
      ++compares_;
      if (indexed_)
        result = Blanks(ka, kb, columns_[k].ascending ? Styled(ka, kb) : -Styled(ka, kb), sdAscending);
      else
        result = Blanks(ka, kb, Styled(ka, kb), direction_);
    }
    return result;
  }

  // Whether rows I and J of a partition compare unequal, given how the
  // pivot compared with each (PivotI = Compare(pivot, I), JPivot =
  // Compare(J, pivot)). In a total order two equal rows stand alike to the
  // pivot, so rows on different sides differ and two rows equal to the
  // pivot are equal; the comparison is counted as made all the same, one
  // per column it would have reached: all of them for equal rows, and
  // unknown for unequal ones unless there is one column.
  template <typename E>
  bool Unequal(const E& I, const E& J, int PivotI, int JPivot) {
    if (consistent_) {
      if (-PivotI != JPivot && columns_.size() == 1) {
        ++compares_;
        return true;
      }
      if (PivotI == 0 && JPivot == 0) {
        compares_ += static_cast<long long>(columns_.size());
        return false;
      }
    }
    return Compare(I, J) != 0;
  }

  template <typename E>
  void Exchange(std::vector<E>& Entries, int I, int J) {
    std::swap(Entries[static_cast<size_t>(I)], Entries[static_cast<size_t>(J)]);
    ++exchanges_;
    lastExchanged_ = std::max(lastExchanged_, J);
    if (replayIntegers_) swaps_.emplace_back(I, J);
  }

  template <typename E>
  void Sort(std::vector<E>& Entries, int Lo, int Hi) {
    while (Lo < Hi) {
      const E pivot = Entries[static_cast<size_t>((Lo + Hi) / 2)];
      int i = Lo, j = Hi;
      bool more = true;
      if constexpr (!std::is_same_v<E, TMixedEntry>)
        if (columns_.size() == 1) more = Runs(Entries, pivot, i, j);
      if (more) do {
          int pivotI = 0, jPivot = 0;
          while ((pivotI = Compare(pivot, Entries[static_cast<size_t>(i)])) == dir_ && i < Hi) ++i;
          while ((jPivot = Compare(Entries[static_cast<size_t>(j)], pivot)) == dir_ && j > Lo) --j;
          if (i <= j) {
            if (i != j && (indexed_ || Unequal(Entries[static_cast<size_t>(i)],
                                               Entries[static_cast<size_t>(j)], pivotI, jPivot)))
              Exchange(Entries, i, j);
            ++i;
            --j;
          }
        } while (i <= j);
      if (j - Lo < Hi - i) {
        if (Lo < j) Sort(Entries, Lo, j);
        Lo = i;
      } else {
        if (i < Hi) Sort(Entries, i, Hi);
        Hi = j;
      }
    }
  }

  // Whole rounds of the partition loop above (the scan from the left, the
  // scan from the right, the exchange), taken while both scans stop inside
  // two runs of rows compared with the pivot beforehand: a run's answers
  // come without a branch on each, and a scan goes to its next stop by a
  // bit search. The runs hold rows no exchange has reached yet and never
  // overlap, so every answer is the one the scan would get; the
  // comparisons count as the scans would make them. I and J end as the
  // loop has them after those rounds; false when the partition is over.
  template <typename E>
  bool Runs(std::vector<E>& Entries, const E& Pivot, int& I, int& J) {
    constexpr int kRun = 64;
    if (J - I + 1 < 8) return true;
    struct Run {
      int first = 0, size = 0;  // rows first .. first + size - 1 from the left, down to it from the right
      std::uint64_t stops = 0;  // bit k: the scan stops at the k-th row of the run
    } left, right;
    auto fill = [&](Run& run, int first, int size, bool fromLeft) {
      run.first = first;
      run.size = size;
      std::uint64_t stops = 0;
      if constexpr (std::is_same_v<E, TNumberEntry>)
        if (imagesOrder_) {
          // From the left a row stops the scan unless it comes before the
          // pivot, from the right unless it comes after it.
          const unsigned __int128 pivot = Image(Pivot);
          const bool upwards = fromLeft == (dir_ > 0);
          for (int k = 0; k < size; ++k) {
            const unsigned __int128 row =
                Image(Entries[static_cast<size_t>(fromLeft ? first + k : first - k)]);
            stops |= std::uint64_t{upwards ? row >= pivot : row <= pivot} << k;
          }
          run.stops = stops;
          return;
        }
      if (fromLeft)
        for (int k = 0; k < size; ++k)
          stops |= std::uint64_t{First(Pivot, Entries[static_cast<size_t>(first + k)]) != dir_} << k;
      else
        for (int k = 0; k < size; ++k)
          stops |= std::uint64_t{First(Entries[static_cast<size_t>(first - k)], Pivot) != dir_} << k;
      run.stops = stops;
    };
    const int size = std::min(kRun, (J - I + 1) / 2);
    fill(left, I, size, true);
    fill(right, J, size, false);
    for (;;) {
      int stopI = 0, stopJ = 0;
      for (int at = I;;) {
        const int offset = at - left.first;
        if (const std::uint64_t stops = offset < left.size ? left.stops >> offset : 0) {
          stopI = at + std::countr_zero(stops);
          break;
        }
        const int next = left.first + left.size, room = right.first - right.size + 1 - next;
        if (room <= 0) return true;
        fill(left, next, std::min(kRun, room), true);
        at = next;
      }
      for (int at = J;;) {
        const int offset = right.first - at;
        if (const std::uint64_t stops = offset < right.size ? right.stops >> offset : 0) {
          stopJ = at - std::countr_zero(stops);
          break;
        }
        const int next = right.first - right.size, room = next - (left.first + left.size - 1);
        if (room <= 0) return true;
        fill(right, next, std::min(kRun, room), false);
        at = next;
      }
      compares_ += (stopI - I + 1) + (J - stopJ + 1);
      const E& rowI = Entries[static_cast<size_t>(stopI)];
      const E& rowJ = Entries[static_cast<size_t>(stopJ)];
      if (indexed_ || Unequal(rowI, rowJ, First(Pivot, rowI), First(rowJ, Pivot)))
        Exchange(Entries, stopI, stopJ);
      I = stopI + 1;
      J = stopJ - 1;
      if (I > J) return false;
    }
  }

  // The rows move once, each with all that goes with it in an exchange:
  // its cells, height, integer, selection and the current row. The
  // exchanges that would bring each row to its place are logged so that a
  // failure later in the sort can undo them; the count is the sort's own.
  void MoveRows(const std::vector<int>& order) {
    g_.sortExchanges_ += exchanges_;
    const size_t n = static_cast<size_t>(n_);
    bool moved = false;
    for (size_t k = 0; k < n && !moved; ++k) moved = order[k] != static_cast<int>(k);
    if (!moved) return;
    // Which row is at each place, where each row is, and the heights read in
    // order, so that only rows of different heights reach the grid's
    // extents: one list for the three.
    std::vector<int> places(3 * n);
    const std::span<int> at(places.data(), n), where(places.data() + n, n), heights(places.data() + 2 * n, n);
    for (size_t k = 0; k < n; ++k) {
      at[k] = where[k] = static_cast<int>(k);
      heights[k] = g_.RowHeights(lo_ + static_cast<int>(k));
    }
    if (g_.sortLogging_) g_.sortLog_.reserve(g_.sortLog_.size() + n);
    for (size_t p = 0; p < n; ++p) {
      const int wanted = order[p];
      const int q = where[static_cast<size_t>(wanted)];
      if (q == static_cast<int>(p)) continue;
      if (heights[p] != heights[static_cast<size_t>(q)]) {
        g_.ExchangeRowHeights(lo_ + static_cast<int>(p), lo_ + q);
        std::swap(heights[p], heights[static_cast<size_t>(q)]);
      }
      if (g_.sortLogging_) g_.sortLog_.emplace_back(lo_ + static_cast<int>(p), lo_ + q);
      const int displaced = at[p];
      at[static_cast<size_t>(q)] = displaced;
      where[static_cast<size_t>(displaced)] = q;
      at[p] = wanted;
      where[static_cast<size_t>(wanted)] = static_cast<int>(p);
    }
    std::function<void(int, TObject*)> tellRow;
    if (g_.MadeCellProperties())
      tellRow = [](int row, TObject* object) {
        if (auto* props = dynamic_cast<TCellProperties*>(object)) props->OwnerRow = row;
      };
    g_.PermuteStoredRows(lo_, order, tellRow);
    // The rows that moved, unless a merged area may reach into or out of
    // them.
    if (g_.MadeCellProperties()) {
      g_.InvalidateGrid();
    } else {
      int first = 0, last = n_ - 1;
      while (order[static_cast<size_t>(first)] == first) ++first;
      while (order[static_cast<size_t>(last)] == last) --last;
      g_.InvalidateRange({0, lo_ + first, g_.ColCount() - 1, lo_ + last});
    }
    const size_t end = static_cast<size_t>(lo_) + n;
    if (replayIntegers_) {
      // A row past the end of the integer list keeps no integer, so the
      // list follows the exchanges themselves rather than the rows.
      std::vector<int>& integers = g_.RowIntegers;
      for (const auto& [i, j] : swaps_) {
        const size_t a = static_cast<size_t>(lo_ + i), b = static_cast<size_t>(lo_ + j);
        if (a < integers.size() && b < integers.size()) std::swap(integers[a], integers[b]);
      }
    } else if (g_.RowIntegers.size() >= end) {
      Permute(g_.RowIntegers, order);
    }
    if (g_.mouseActions_->DisjunctRowSelect() && g_.navigation_->MoveRowOnSort) {
      // As large as the exchanges would have made it.
      const size_t need = static_cast<size_t>(lo_ + lastExchanged_) + 1;
      const size_t size = std::max(g_.rowSelect_.size(), need);
      g_.rowSelect_.resize(std::max(size, end), false);
      Permute(g_.rowSelect_, order);
      g_.rowSelect_.resize(size);  // rows past the last exchanged one never moved
    }
    if (g_.sortRow_ >= lo_ && static_cast<size_t>(g_.sortRow_) < end)
      g_.sortRow_ = lo_ + where[static_cast<size_t>(g_.sortRow_ - lo_)];
  }

  template <typename V>
  void Permute(V& values, const std::vector<int>& order) const {
    const V old(values.begin() + lo_, values.begin() + lo_ + n_);
    for (size_t k = 0; k < order.size(); ++k)
      values[static_cast<size_t>(lo_) + k] = old[static_cast<size_t>(order[k])];
  }

  TExtStringGrid& g_;
  const int lo_, n_, dir_;
  const bool indexed_;
  bool ignoreBlanks_ = false, blanksLast_ = false;
  TSortDirection direction_ = sdAscending;
  std::vector<Column> columns_;
  std::vector<TNumberEntry> numbers_;  // the first column's, when of one kind
  std::vector<TTextEntry> texts_;
  long long compares_ = 0;
  int exchanges_ = 0, lastExchanged_ = 0;
  bool consistent_ = true;    // every column read so far orders its cells totally
  bool imagesOrder_ = false;  // the first column's images order its cells
  bool replayIntegers_ = false;
  std::vector<std::pair<int, int>> swaps_;  // positions exchanged, when the integers need them
};

bool TExtStringGrid::SortRowsOnKeys(int Lo, int Hi, int Dir, bool Indexed) {
  if (OnGetDisplText || sortSettings_->SingleColumn) return false;
  if (Lo >= Hi) return true;
  SortKeys keys(*this, Lo, Hi, Dir, Indexed);
  if (!keys.Plan()) return false;
  const int compares = sortCompares_;
  try {
    keys.Run();
  } catch (const SortKeys::MergedCell&) {
    sortCompares_ = compares;
    return false;
  }
  return true;
}
