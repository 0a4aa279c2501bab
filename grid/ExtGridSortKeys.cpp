// The sort on keys: each row's text in the sorted columns is read once and
// turned into what its style compares (the number, the date, the text as
// compared, the check state or the image), the same quicksort with the
// same pivots and the same comparisons runs over those keys, and the rows
// move once at the end. Reading and converting a cell on every comparison
// is what made a large grid slow to sort.
//
// Only an event can make two sorts of the same cells differ, so a column
// whose comparison an event decides, a grid whose texts an event supplies
// and a sort that moves one column only are left to the row-by-row sort.

#include <algorithm>
#include <memory>
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

struct TSortRowEntry {
  TSortCellKey key;  // of the first sorted column
  int row = 0;       // the row's offset in the sorted range before the sort
};

}  // namespace

class TExtStringGrid::SortKeys {
 public:
  SortKeys(TExtStringGrid& Grid, int Lo, int Hi, int Dir, bool Indexed)
      : g_(Grid), lo_(Lo), n_(Hi - Lo + 1), dir_(Dir), indexed_(Indexed) {}

  // The columns in the order the comparison reaches them, each with its
  // style; false when an event decides one of them.
  bool Plan() { return PlanColumns(); }

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
      g_.GetFormat(col, c.style, c.prefix, c.suffix);
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
    replayIntegers_ = !g_.RowIntegers.empty() && g_.RowIntegers.size() < static_cast<size_t>(lo_ + n_);
    Read(0);
    entries_.resize(static_cast<size_t>(n_));
    for (int k = 0; k < n_; ++k)
      entries_[static_cast<size_t>(k)] = {columns_[0].keys[static_cast<size_t>(k)], k};
    Sort(0, n_ - 1);
    MoveRows();
  }

 private:
  struct Column {
    int col = 0;
    bool ascending = true;
    TSortStyle style = ssText;
    AnsiString prefix, suffix;
    bool read = false;
    std::vector<AnsiString> texts;  // the keys point into these
    std::vector<WideString> wides;
    std::vector<TSortCellKey> keys;  // by the row's offset before the sort
  };

  // Reads every row's key of the column at position K of the plan.
  void Read(size_t K) {
    Column& c = columns_[K];
    c.read = true;
    const size_t n = static_cast<size_t>(n_);
    c.texts.resize(n);
    c.keys.resize(n);
    bool anyNumber = c.style == ssNumber || c.style == ssNumberGrouped;
    bool anyDate = c.style == ssDateTime;
    bool anyCheck = c.style == ssCheckState;
    for (size_t k = 0; k < n; ++k) {
      const int row = lo_ + static_cast<int>(k);
      TSortCellKey& key = c.keys[k];
      AnsiString& text = c.texts[k];
      // A cell without an object is neither merged nor a check box.
      const bool plain = g_.GetCellObjectDirect(c.col, row) == nullptr;
      if (!plain) {
        const TPoint base = g_.BaseCell(c.col, row);
        if (base.X != c.col || base.Y != row) throw MergedCell();
      }
      text = g_.GetCellDirect(c.col, row);
      key.empty = text.empty();
      key.text = &text;
      TSortStyle style = c.style;
      if (style == ssDetect) {
        const TCellType type = plain ? ctEmpty : g_.GetCellType(c.col, row);
        if (type == ctCheckBox || type == ctDataCheckBox || type == ctVirtCheckBox)
          style = ssCheckState, anyCheck = true;
        else if (ClassifyNumberText(text) != 2)
          style = ssNumberGrouped, anyNumber = true;
        else if (gridsort::LooksLikeDate(text))
          style = ssDateTime, anyDate = true;
        else
          style = ssText;
      }
      key.style = static_cast<signed char>(style);
      switch (c.style) {
        case ssTextUpper:
          text = UpperCase(text);
          break;
        case ssDateDMY:
          key.date = DateFromDMYText(text);
          break;
        case ssDateMDY:
          key.date = DateFromMDYText(text);
          break;
        case ssImageIndex:
          key.aux = g_.GetCellImageIdx(c.col, row);
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
          key.wide = &c.wides[k];
          break;
        default:
          break;
      }
    }
    // A detected style compares both cells by the first one's reading.
    const bool grouped = c.style != ssNumber;
    for (size_t k = 0; k < n; ++k) {
      TSortCellKey& key = c.keys[k];
      const int row = lo_ + static_cast<int>(k);
      if (anyNumber)
        key.numberOk = gridsort::ReadSortNumber(c.texts[k], c.prefix, c.suffix, grouped, key.number);
      if (anyDate) key.date = gridsort::ReadSortDate(c.texts[k]);
      if (anyCheck) {
        bool checked = false;
        g_.GetCheckBoxState(c.col, row, checked);
        key.aux = checked ? 1 : 0;
      }
    }
  }

  int Styled(const TSortCellKey& a, const TSortCellKey& b) {
    ++g_.sortCompares_;
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

  int Blanks(const TSortCellKey& a, const TSortCellKey& b, int Result, TSortDirection Direction) const {
    if (!g_.sortSettings_->IgnoreBlanks) return Result;
    const int last = Direction == sdDescending ? -1 : 1;
    const int place = g_.sortSettings_->BlankPos == blLast ? last : -last;
    if (a.empty && !b.empty) Result = place;
    if (b.empty && !a.empty) Result = -place;
    return Result;
  }

  const TSortCellKey& KeyOf(size_t K, int Row) {
    if (!columns_[K].read) Read(K);
    return columns_[K].keys[static_cast<size_t>(Row)];
  }

  // The comparison of the row-by-row sort, column after column.
  int Compare(const TSortRowEntry& a, const TSortRowEntry& b) {
    if (indexed_) {
      int result = 0;
      for (size_t k = 0; k < columns_.size(); ++k) {
        const TSortCellKey& ka = k == 0 ? a.key : KeyOf(k, a.row);
        const TSortCellKey& kb = k == 0 ? b.key : KeyOf(k, b.row);
        result = Styled(ka, kb);
        if (!columns_[k].ascending) result = -result;
        result = Blanks(ka, kb, result, sdAscending);
        if (result != 0) break;
      }
      return result;
    }
    const TSortDirection direction = g_.sortSettings_->Direction;
    int result = Blanks(a.key, b.key, Styled(a.key, b.key), direction);
    for (size_t k = 1; result == 0 && k < columns_.size(); ++k) {
      const TSortCellKey& ka = KeyOf(k, a.row);
      const TSortCellKey& kb = KeyOf(k, b.row);
      result = Blanks(ka, kb, Styled(ka, kb), direction);
    }
    return result;
  }

  void Sort(int Lo, int Hi) {
    while (Lo < Hi) {
      const TSortRowEntry pivot = entries_[static_cast<size_t>((Lo + Hi) / 2)];
      int i = Lo, j = Hi;
      do {
        while (Compare(pivot, entries_[static_cast<size_t>(i)]) == dir_ && i < Hi) ++i;
        while (Compare(entries_[static_cast<size_t>(j)], pivot) == dir_ && j > Lo) --j;
        if (i <= j) {
          if (i != j && (indexed_ ||
                         Compare(entries_[static_cast<size_t>(i)], entries_[static_cast<size_t>(j)]) != 0)) {
            std::swap(entries_[static_cast<size_t>(i)], entries_[static_cast<size_t>(j)]);
            ++exchanges_;
            lastExchanged_ = std::max(lastExchanged_, j);
            if (replayIntegers_) swaps_.emplace_back(i, j);
          }
          ++i;
          --j;
        }
      } while (i <= j);
      if (j - Lo < Hi - i) {
        if (Lo < j) Sort(Lo, j);
        Lo = i;
      } else {
        if (i < Hi) Sort(i, Hi);
        Hi = j;
      }
    }
  }

  // The rows move once, each with all that goes with it in an exchange:
  // its cells, height, integer, selection and the current row. The
  // exchanges that would bring each row to its place are logged so that a
  // failure later in the sort can undo them; the count is the sort's own.
  void MoveRows() {
    g_.sortExchanges_ += exchanges_;
    const size_t n = static_cast<size_t>(n_);
    std::vector<int> order(n), at(n), where(n);
    bool moved = false;
    for (size_t k = 0; k < n; ++k) {
      order[k] = entries_[k].row;
      at[k] = where[k] = static_cast<int>(k);
      moved = moved || order[k] != static_cast<int>(k);
    }
    if (!moved) return;
    for (size_t p = 0; p < n; ++p) {
      const int wanted = order[p];
      const int q = where[static_cast<size_t>(wanted)];
      if (q == static_cast<int>(p)) continue;
      g_.ExchangeRowHeights(lo_ + static_cast<int>(p), lo_ + q);
      if (g_.sortLogging_) g_.sortLog_.emplace_back(lo_ + static_cast<int>(p), lo_ + q);
      const int displaced = at[p];
      at[static_cast<size_t>(q)] = displaced;
      where[static_cast<size_t>(displaced)] = q;
      at[p] = wanted;
      where[static_cast<size_t>(wanted)] = static_cast<int>(p);
    }
    g_.PermuteStoredRows(lo_, order, [](int row, TObject* object) {
      if (auto* props = dynamic_cast<TCellProperties*>(object)) props->OwnerRow = row;
    });
    g_.InvalidateGrid();
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
  std::vector<Column> columns_;
  std::vector<TSortRowEntry> entries_;
  int exchanges_ = 0, lastExchanged_ = 0;
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
