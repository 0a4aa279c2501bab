#include "tender/BudgetFile.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/FileUtils.h"
#include "tender/N_STR.h"

const AnsiString BudgetWrongTypeMessage = "Το αρχείο είναι διαφορετικού τύπου !!"_a;

namespace {

constexpr long double MarkOffsets[] = {3e11L, 2e11L, 1e11L};
constexpr char Marks[] = {'#', '+', '-'};

int ValueSize(TBudgetKind kind) { return kind == TBudgetKind::WorkItems ? 16 : 8; }

// A text field of Size bytes: the length byte, the text cut to Size - 1, zeros.
void PutField(std::string& out, std::string_view text, int size) {
  const size_t length = std::min<size_t>(text.size(), static_cast<size_t>(size - 1));
  out += static_cast<char>(length);
  out.append(text.substr(0, length));
  out.append(size - 1 - length, '\0');
}

AnsiString GetField(std::string_view bytes, size_t at, int size) {
  const size_t length =
      std::min<size_t>(static_cast<unsigned char>(bytes[at]), static_cast<size_t>(size - 1));
  return AnsiString(bytes.substr(at + 1, length));
}

// The text right-aligned in Width characters; a longer text in full.
AnsiString RightAligned(std::string_view text, size_t width) {
  AnsiString out;
  if (text.size() < width) out.append(width - text.size(), ' ');
  out.append(text);
  return out;
}

AnsiString Fixed(long double value, int width, int decimals) {
  return RightAligned(FixedNotation(value, decimals), width);
}

}  // namespace

double FoldMark(const DetailEntry& entry) {
  // The reader takes only a stored value above an offset as marked: a mark
  // folded into a value of 0 or less would read back as the next mark with
  // a price of 10^11. A row without a price keeps no mark.
  if (entry.Value <= 0) return entry.Value;
  for (int i = 0; i < 3; ++i)
    if (entry.Mark == Marks[i]) return static_cast<double>(entry.Value + MarkOffsets[i]);
  return entry.Value;
}

DetailEntry UnfoldMark(double stored) {
  for (int i = 0; i < 3; ++i)
    if (stored > MarkOffsets[i]) return {RoundDec(4, static_cast<double>(stored - MarkOffsets[i])), Marks[i]};
  return {stored, 0};
}

std::string EncodeBudgetFile(const TBudgetData& budget, const TBudgetLayout& layout,
                             const std::vector<TBidderBlock>& blocks) {
  std::string out;
  const int rows = static_cast<int>(budget.Rows.size());
  le::Put16(out, static_cast<std::uint16_t>(rows));
  le::Put16(out, static_cast<std::uint16_t>(budget.TextFieldSize));
  for (const TBudgetRowData& row : budget.Rows) {
    PutField(out, row.Text, budget.TextFieldSize);
    if (budget.Kind == TBudgetKind::WorkItems) {
      le::PutDouble(out, row.Quantity);
      le::PutDouble(out, row.Price);
    } else {
      le::PutDouble(out, row.Cost);
    }
  }
  if (layout.OverheadExpression)
    PutField(out, budget.OverheadExpression, 41);
  else
    le::PutDouble(out, budget.OverheadPercent);
  if (layout.Contingency) {
    le::PutDouble(out, budget.ContingencyPercent);
    le::PutDouble(out, budget.RevisionAmount);
  }
  if (layout.Asphalt) {
    le::PutDouble(out, budget.AsphaltAmount);
    le::PutDouble(out, budget.AsphaltOverheadPercent);
  }
  for (const TBidderBlock& block : blocks) {
    le::Put16(out, static_cast<std::uint16_t>(block.EntryNo));
    for (int r = 0; r < rows; ++r)
      le::PutDouble(out, r < static_cast<int>(block.Values.size()) ? FoldMark(block.Values[r]) : 0.0);
  }
  return out;
}

std::string EncodeBudgetCsv(const TBudgetData& budget, const TBudgetLayout& layout,
                            const std::vector<TBidderBlock>& blocks, Byte numberStyle) {
  // A field of the line: ";" and the grid number.
  const auto field = [numberStyle](AnsiString& line, double value) {
    line += ';';
    line += FormatNum(20, 2, numberStyle, value);
  };
  const bool byWorkItems = budget.Kind == TBudgetKind::WorkItems;
  AnsiString out = "ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ "_a + RightAligned(IntToStr(budget.Rows.size()), 8) +
                   (byWorkItems ? " ΓΡΑΜΜΩΝ-ΕΡΓΑΣΙΩΝ"_a : " ΓΡΑΜΜΩΝ"_a) + "\r\n";
  for (const TBudgetRowData& row : budget.Rows) {
    std::string_view text = row.Text;
    text = text.substr(0, budget.TextFieldSize - 1);
    out += RightAligned(text, 30);
    if (byWorkItems) {
      if (row.Quantity != 0) field(out, row.Quantity);
      if (row.Price != 0) {
        field(out, row.Price);
        field(out, row.Price);
      }
    } else if (row.Cost != 0) {
      field(out, row.Cost);
    }
    out += "\r\n";
  }
  out += "ΓΕ & ΟΕ  "_a;
  if (layout.OverheadExpression)
    out += std::string_view(budget.OverheadExpression).substr(0, 40);
  else
    out += Fixed(budget.OverheadPercent, 12, 6);
  out += "\r\nΑΠΡΟΒΛΕΠΤΑ"_a + Fixed(budget.ContingencyPercent, 12, 6);
  out += "\r\nΑναθεώρηση"_a + Fixed(budget.RevisionAmount, 20, 2);
  out += "\r\nΑσαφαλτος"_a + Fixed(budget.AsphaltAmount, 20, 2);
  out += "\r\nΓΕ.& ΟΕ Ασαφαλτου"_a + Fixed(budget.AsphaltOverheadPercent, 20, 2) + "\r\n";
  for (const TBidderBlock& block : blocks) {
    out += "ΠΡΟΣΦΟΡΑ "_a + RightAligned(IntToStr(block.EntryNo), 6) + "-" + block.BidderName + "\r\n";
    for (size_t r = 0; r < budget.Rows.size(); ++r) {
      out += RightAligned(IntToStr(r + 1), 5);
      out += ' ';
      field(out, r < block.Values.size() ? block.Values[r].Value : 0);
      out += "\r\n";
    }
  }
  return out;
}

AnsiString BudgetCsvName(const AnsiString& budgetFileName) {
  // The first "." of the file's own name: a dot in a folder's name is no
  // extension, and cutting there would put the copy in another folder.
  const size_t nameStart = budgetFileName.rfind(PathDelim) + 1;
  const size_t dot = budgetFileName.find('.', nameStart);
  if (dot == AnsiString::npos) return budgetFileName + ".csv";
  return budgetFileName.substr(0, dot + 1) + "csv";
}

namespace {

// Bytes of the parts after the rows.
size_t PartsSize(const TBudgetLayout& layout) {
  return (layout.OverheadExpression ? 41 : 8) + (layout.Contingency ? 16 : 0) + (layout.Asphalt ? 16 : 0);
}

// The budget part under one layout; false when the file is too short for it.
bool ReadBudgetPart(std::string_view bytes, size_t rowsEnd, const TBudgetLayout& layout, TBudgetData& budget,
                    size_t& end) {
  size_t at = rowsEnd;
  if (bytes.size() < at + PartsSize(layout)) return false;
  if (layout.OverheadExpression) {
    budget.OverheadExpression = GetField(bytes, at, 41);
    at += 41;
  } else {
    budget.OverheadPercent = le::GetDouble(bytes, at);
    at += 8;
  }
  if (layout.Contingency) {
    budget.ContingencyPercent = le::GetDouble(bytes, at);
    budget.RevisionAmount = le::GetDouble(bytes, at + 8);
    at += 16;
  }
  if (layout.Asphalt) {
    budget.AsphaltAmount = le::GetDouble(bytes, at);
    budget.AsphaltOverheadPercent = le::GetDouble(bytes, at + 8);
    at += 16;
  }
  end = at;
  return true;
}

// How the bytes from At split into bidder blocks.
struct TSplit {
  int Blocks = 0;        // blocks read whole
  int OutOfRange = 0;    // of them, blocks of entry numbers no save writes (above 2,400)
  int Empty = 0;         // entry numbers 0, which no save writes either
  bool LastCut = false;  // the end of the file cuts the last block short
  int CutEntry = 0;      // the entry number of the block the end cuts short
};
// Walks the bidder blocks from At to the end of the file; OnBlock is given
// the entry number of each whole block up to 2,400 and where its values
// begin.
template <class TOnBlock>
TSplit WalkBlocks(std::string_view bytes, size_t at, int rows, TOnBlock&& onBlock) {
  TSplit split;
  const size_t values = 8 * static_cast<size_t>(rows);
  while (at + 2 <= bytes.size()) {
    const int entry = le::Get16(bytes, at);
    at += 2;
    if (entry == 0) {
      ++split.Empty;
      continue;
    }
    if (at + values > bytes.size()) {
      split.LastCut = true;
      split.CutEntry = entry;
      return split;
    }
    ++split.Blocks;
    if (entry > MaxBidders)
      ++split.OutOfRange;
    else
      onBlock(entry, at);
    at += values;
  }
  split.LastCut = at != bytes.size();
  return split;
}

TSplit SplitIntoBlocks(std::string_view bytes, size_t at, int rows) {
  return WalkBlocks(bytes, at, rows, [](int, size_t) {});
}

// The bidder blocks from At to the end of the file: entry 0 and entries
// above 2,400 are read past, a block the end cuts short is named in Cut.
// A budget without rows has no blocks.
TSplit ReadBlocks(std::string_view bytes, size_t at, int rows, std::vector<TBidderBlock>& blocks,
                  std::vector<int>& cut) {
  const int kept = std::min(rows, MaxDetailRows);
  const TSplit split = WalkBlocks(bytes, at, rows, [&](int entry, size_t values) {
    if (rows <= 0) return;
    TBidderBlock block;
    block.EntryNo = entry;
    block.Values.resize(kept);
    for (int r = 0; r < kept; ++r) block.Values[r] = UnfoldMark(le::GetDouble(bytes, values + 8 * r));
    blocks.push_back(std::move(block));
  });
  if (rows > 0 && split.CutEntry != 0 && split.CutEntry <= MaxBidders) cut.push_back(split.CutEntry);
  return split;
}

// How well a layout explains the file, best first:
// 0. a layout holding parts 5 and 6, which every save writes, whose rest is
//    nothing but blocks of entry numbers a save writes, to the last byte,
//    whatever the header says (a header's flags go stale: a guarantee below
//    2.56 % leaves the asphalt flag off, and a budget saved by its window
//    after the GE&OE became an expression is not told to the project file);
// 1. another layout with such blocks, or the header's own layout to the
//    last byte (without blocks too: another layout can read blocks out of
//    a budget that has none, so the header wins the tie), or parts 5 and 6
//    to the last byte, empty entries read past, when the header lacks one;
// 2. a block above 2,400 read past (a wrong layout reads large numbers out
//    of the floats);
// 3. the header's layout with its end cut short;
// 4. another layout without blocks; 5. another with a cut end.
// Empty entries keep a layout out of rank 0: a file cut inside its first
// block, whose values are zeros, splits into them under a layout that
// reads a part more, and keeps the header's layout.
int SplitRank(const TSplit& split, const TBudgetLayout& layout, const TBudgetLayout& preferred) {
  const bool inRange = split.OutOfRange == 0;
  const bool whole = !split.LastCut;
  const bool isPreferred = layout == preferred;
  const bool saved = layout.Contingency && layout.Asphalt;
  const bool staleHeader = !(preferred.Contingency && preferred.Asphalt);
  if (saved && inRange && whole && split.Empty == 0) return 0;
  if (inRange && whole && (split.Blocks > 0 || isPreferred || (saved && staleHeader))) return 1;
  if (whole && split.Blocks > 0) return 2;
  if (inRange && isPreferred) return 3;
  if (inRange && whole) return 4;
  if (inRange) return 5;
  return 6;
}

// The header's layout first, then the other seven: the expression flag as
// the header has it before the other, parts 5 and 6 both present (what
// every save writes) before the rest.
std::vector<TBudgetLayout> CandidateLayouts(const TBudgetLayout& preferred) {
  std::vector<TBudgetLayout> layouts{preferred};
  for (bool expression : {preferred.OverheadExpression, !preferred.OverheadExpression})
    for (auto [contingency, asphalt] :
         std::array<std::pair<bool, bool>, 4>{{{true, true}, {false, false}, {true, false}, {false, true}}}) {
      const TBudgetLayout layout{expression, contingency, asphalt};
      if (std::find(layouts.begin(), layouts.end(), layout) == layouts.end()) layouts.push_back(layout);
    }
  return layouts;
}

}  // namespace

TBudgetFileContents DecodeBudgetFile(std::string_view bytes, TBudgetKind kind,
                                     const TBudgetLayout& preferred) {
  TBudgetFileContents contents;
  contents.Status = TBudgetReadStatus::Damaged;
  if (bytes.size() < 4) return contents;
  const int rows = le::Get16(bytes, 0);
  const int fieldSize = le::Get16(bytes, 2);
  if ((kind == TBudgetKind::WorkItems) != (fieldSize == WorkItemsTextSize)) {
    contents.Status = TBudgetReadStatus::WrongType;
    return contents;
  }
  if (rows > MaxBudgetRows || fieldSize < 1 || fieldSize > 256) return contents;
  const size_t recordSize = fieldSize + ValueSize(kind);
  const size_t rowsEnd = 4 + rows * recordSize;
  if (bytes.size() < rowsEnd) return contents;

  TBudgetData& budget = contents.Budget;
  budget.Kind = kind;
  budget.TextFieldSize = fieldSize;
  budget.Rows.resize(rows);
  for (int r = 0; r < rows; ++r) {
    const size_t at = 4 + r * recordSize;
    TBudgetRowData& row = budget.Rows[r];
    row.Text = GetField(bytes, at, fieldSize);
    if (kind == TBudgetKind::WorkItems) {
      row.Quantity = le::GetDouble(bytes, at + fieldSize);
      row.Price = le::GetDouble(bytes, at + fieldSize + 8);
    } else {
      row.Cost = le::GetDouble(bytes, at + fieldSize);
    }
  }

  // The layout whose rest splits best; among equals the one with fewest
  // blocks above 2,400, then the header's, then the first candidate. Each
  // trial starts from the rows alone, so that the parts the chosen layout
  // lacks stay empty rather than keep another candidate's bytes.
  const TBudgetData rowsAlone = budget;
  bool found = false, headerFits = false;
  std::tuple<int, int, bool> best;
  for (const TBudgetLayout& layout : CandidateLayouts(preferred)) {
    TBudgetData trial = rowsAlone;
    size_t end = 0;
    if (!ReadBudgetPart(bytes, rowsEnd, layout, trial, end)) continue;
    const TSplit split = SplitIntoBlocks(bytes, end, rows);
    const bool isPreferred = layout == preferred;
    headerFits = headerFits || isPreferred;
    const std::tuple<int, int, bool> key{SplitRank(split, layout, preferred), split.OutOfRange, !isPreferred};
    if (found && !(key < best)) continue;
    best = key;
    budget = std::move(trial);
    contents.Layout = layout;
    contents.BudgetEnd = end;
    found = true;
  }
  // Too short for the parts of any layout; or too short for the header's,
  // and no layout a save writes reads it to its end: the file lost bytes
  // (a whole optional part, or a part of one), and a smaller layout would
  // drop parts the file held.
  if (!found || (!headerFits && std::get<0>(best) != 0)) return contents;
  contents.Status = TBudgetReadStatus::Ok;
  ReadBlocks(bytes, contents.BudgetEnd, rows, contents.Blocks, contents.CutBlocks);
  return contents;
}

size_t ComputedBlocksStart(int rows, TBudgetKind kind, const TBudgetLayout& layout) {
  const int textFieldSize = kind == TBudgetKind::WorkItems ? WorkItemsTextSize : CategoriesTextSize;
  return 4 + static_cast<size_t>(rows) * (textFieldSize + ValueSize(kind)) + PartsSize(layout);
}

std::optional<std::vector<TBidderBlock>> BidderBlocksAt(std::string_view bytes, size_t start, int rows) {
  if (bytes.size() < 4 || le::Get16(bytes, 0) != rows || start > bytes.size()) return std::nullopt;
  std::vector<TBidderBlock> blocks;
  std::vector<int> cut;
  const TSplit split = ReadBlocks(bytes, start, rows, blocks, cut);
  if (split.LastCut || split.OutOfRange != 0) return std::nullopt;
  return blocks;
}

std::vector<TBidderBlock> BidderBlocksToSave(int rows) {
  std::vector<TBidderBlock> blocks;
  std::array<bool, MaxBidders + 1> written{};
  const auto add = [&](int entry, const AnsiString& name) {
    const DetailedOffer* offer = BidderDiscountTable.Get(entry);
    if (offer == nullptr || written[entry]) return;
    written[entry] = true;
    TBidderBlock block;
    block.EntryNo = entry;
    block.BidderName = name;
    block.Values.assign(offer->begin(), offer->begin() + std::min(rows, MaxDetailRows));
    blocks.push_back(std::move(block));
  };
  for (int slot = 1; slot <= MaxOffers; ++slot)
    add(OfferTable[slot].EntryNo, OfferTable[slot].BidderName.Str());
  for (int entry = 1; entry <= MaxBidders; ++entry) add(entry, AnsiString());
  return blocks;
}

std::vector<int> StoreBidderBlocks(const std::vector<TBidderBlock>& blocks, TUnmarkedRows unmarked) {
  std::vector<int> created;
  for (const TBidderBlock& block : blocks) {
    if (!BidderDiscountTable.Has(block.EntryNo)) created.push_back(block.EntryNo);
    DetailedOffer& offer = BidderDiscountTable.Ensure(block.EntryNo);
    for (size_t r = 0; r < block.Values.size() && r < offer.size(); ++r) {
      const DetailEntry& value = block.Values[r];
      offer[r].Value = value.Value;
      if (value.Mark != 0 || unmarked == TUnmarkedRows::ClearMark) offer[r].Mark = value.Mark;
    }
  }
  return created;
}

bool MayTakeOfferSlot(int entryNo) {
  if (entryNo < 1 || entryNo > MaxOffers) return false;
  const Word held = OfferTable[entryNo].EntryNo;
  return held == 0 || held == entryNo;
}
