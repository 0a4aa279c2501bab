#pragma once
// The budget file ".pry" and its text copy ".csv": the study budget's rows
// and the parameters of its totals, then every bidder's detailed offer.
// These functions work on bytes; the budget window moves them between its
// grids and the tender state.
//
// The file does not say which of its optional parts it holds (the GE&OE
// expression in place of the percentage, contingencies with revision,
// asphalt); the project header's flags tell. Headers do not always tell
// right, so a reader takes the layout whose rest splits exactly into bidder
// blocks of entry numbers up to 2,400: one holding parts 5 and 6, as every
// save writes, first, then the header's. A block naming an entry above
// 2,400 is read past.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tender/Uglo.h"

enum class TBudgetKind { WorkItems, Categories };

// Size of a row's text field: 21 by work items, 41 by categories.
constexpr int WorkItemsTextSize = 21;
constexpr int CategoriesTextSize = 41;
constexpr int MaxBudgetRows = MaxDetailRows;
// Bytes a budget reader takes in: the largest budget and every bidder's
// offer on it, with room to spare.
constexpr Int64 MaxBudgetFileSize = Int64{64} << 20;

// Which optional parts follow the rows.
struct TBudgetLayout {
  bool OverheadExpression = false;  // 41-byte text in place of the 8-byte percentage
  bool Contingency = false;         // contingencies percentage and revision amount
  bool Asphalt = false;             // asphalt amount and its GE&OE percentage
  bool operator==(const TBudgetLayout&) const = default;
};

struct TBudgetRowData {
  AnsiString Text;      // article code or category name
  double Quantity = 0;  // by work items
  double Price = 0;     // by work items
  double Cost = 0;      // by categories
};

struct TBudgetData {
  TBudgetKind Kind = TBudgetKind::WorkItems;
  int TextFieldSize = WorkItemsTextSize;
  std::vector<TBudgetRowData> Rows;
  double OverheadPercent = 0;
  AnsiString OverheadExpression;
  double ContingencyPercent = 0;
  double RevisionAmount = 0;
  double AsphaltAmount = 0;
  double AsphaltOverheadPercent = 0;
};

// One bidder's detailed offer as a block of the file.
struct TBidderBlock {
  int EntryNo = 0;
  AnsiString BidderName;            // for the text copy only
  std::vector<DetailEntry> Values;  // one per budget row
};

// A value with its mark folded in ("#" + 3e11, "+" + 2e11, "-" + 1e11), and
// back. A marked value is rounded to 4 decimals, the precision the fold
// leaves it; an unmarked one is taken as stored. A value of 0 or less
// keeps no mark: it could not be read back as marked.
double FoldMark(const DetailEntry& entry);
DetailEntry UnfoldMark(double stored);

std::string EncodeBudgetFile(const TBudgetData& budget, const TBudgetLayout& layout,
                             const std::vector<TBidderBlock>& blocks);
std::string EncodeBudgetCsv(const TBudgetData& budget, const TBudgetLayout& layout,
                            const std::vector<TBidderBlock>& blocks, Byte numberStyle);
// The text copy's name: the budget file's name up to the first "." of its
// name part, then "csv"; a name without a "." takes ".csv".
AnsiString BudgetCsvName(const AnsiString& budgetFileName);

enum class TBudgetReadStatus {
  Ok,
  WrongType,  // the text field size belongs to the other kind of budget
  // Too short, a row count beyond 2,499, or too short for the header's
  // layout when no layout holding parts 5 and 6 reads the file exactly to
  // its last byte.
  Damaged,
};

struct TBudgetFileContents {
  TBudgetReadStatus Status = TBudgetReadStatus::Ok;
  TBudgetData Budget;
  TBudgetLayout Layout;
  size_t BudgetEnd = 0;  // where the first bidder block begins
  // Blocks with an entry number 1..2,400, in file order; entry 0 blocks and
  // those outside the range are read past. Each holds a value for every
  // row.
  std::vector<TBidderBlock> Blocks;
  // The entry number of a block the end of the file cut short: its values
  // are not read, the blocks before it are.
  std::vector<int> CutBlocks;
};

// Reads the whole file; Preferred is the layout the project header gives.
TBudgetFileContents DecodeBudgetFile(std::string_view bytes, TBudgetKind kind,
                                     const TBudgetLayout& preferred);

// Where the first bidder block begins by the budget's size alone: the two
// counts, Rows records of the kind's size, the GE&OE part and the optional
// parts the layout holds.
size_t ComputedBlocksStart(int rows, TBudgetKind kind, const TBudgetLayout& layout);
// The bidder blocks from Start, read as DecodeBudgetFile reads them, when
// the file holds Rows rows and its bytes from Start split into whole blocks
// of entry numbers up to 2,400 (entries 0 read past) to its last byte;
// nothing when Start is no such boundary.
std::optional<std::vector<TBidderBlock>> BidderBlocksAt(std::string_view bytes, size_t start, int rows);

// The message of a budget file of the other kind.
extern const AnsiString BudgetWrongTypeMessage;  // "Το αρχείο είναι διαφορετικού τύπου !!"

// ---- between the file and the tender state ----

// Every detailed offer, as blocks of Rows values: the bidders of offer
// slots 1 to 500 in slot order, then any other bidder with a detailed offer
// by entry number, so that no detailed offer is left out of the file.
std::vector<TBidderBlock> BidderBlocksToSave(int rows);

// How a row without a mark in the file is stored: with its mark cleared, or
// keeping the mark it had.
enum class TUnmarkedRows { ClearMark, KeepMark };
// Puts the blocks into BidderDiscountTable, allocating the offers that are
// missing; gives the entry numbers whose offer was allocated here.
std::vector<int> StoreBidderBlocks(const std::vector<TBidderBlock>& blocks, TUnmarkedRows unmarked);
// Whether a block's new bidder may take offer slot B: B is a slot and the
// slot is empty or already the bidder's.
bool MayTakeOfferSlot(int entryNo);
