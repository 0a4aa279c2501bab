#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/rtl/ByteOrder.h"
#include "tender/BudgetFile.h"

namespace {

TBudgetData WorkItems() {
  TBudgetData budget;
  budget.Rows = {{"Α.1"_a, 2, 3, 0}, {"ΤΕΧΝΙΚΟ-ΑΡΘΡΟ-ΜΑΚΡΥ-ΠΟΛΥ"_a, 0, 10.5, 0}, {"Γ"_a, 1.25, 0, 0}};
  budget.OverheadPercent = 18;
  budget.ContingencyPercent = 15;
  budget.RevisionAmount = 100.5;
  budget.AsphaltAmount = 2000;
  budget.AsphaltOverheadPercent = 18;
  return budget;
}

TBudgetData Categories() {
  TBudgetData budget;
  budget.Kind = TBudgetKind::Categories;
  budget.TextFieldSize = CategoriesTextSize;
  budget.Rows = {{"ΟΔΟΠΟΙΙΑ"_a, 0, 0, 1000}, {"ΗΛΕΚΤΡΟΜΗΧΑΝΟΛΟΓΙΚΑ"_a, 0, 0, 250.75}, {"ΠΡΑΣΙΝΟ"_a, 0, 0, 0}};
  budget.OverheadExpression = "$10*18%+$20*10%";
  return budget;
}

// Two bidders, every mark.
std::vector<TBidderBlock> Bidders() {
  return {{1, "ΑΛΦΑ"_a, {{2.5, '#'}, {12.34, '+'}, {7, '-'}}},
          {3, "ΒΗΤΑ"_a, {{1, 0}, {100000000000.0, 0}, {0, 0}}}};
}

const TBudgetLayout Full{false, true, true};

TEST(BudgetFile, WorkItemsLayoutByteForByte) {
  const std::string bytes = EncodeBudgetFile(WorkItems(), Full, Bidders());
  ASSERT_EQ(bytes.size(), 4 + 3 * 37 + 8 + 32 + 2 * (2 + 24u));
  EXPECT_EQ(le::Get16(bytes, 0), 3);
  EXPECT_EQ(le::Get16(bytes, 2), 21);
  EXPECT_EQ(bytes[4 + 37], 20);  // the text cut to 20
  EXPECT_EQ(le::GetDouble(bytes, 4 + 21), 2);
  EXPECT_EQ(le::GetDouble(bytes, 4 + 29), 3);
  EXPECT_EQ(le::GetDouble(bytes, 115), 18);
  EXPECT_EQ(le::Get16(bytes, 155), 1);
  EXPECT_EQ(le::GetDouble(bytes, 157), 300000000002.5);

  const TBudgetFileContents read = DecodeBudgetFile(bytes, TBudgetKind::WorkItems, Full);
  ASSERT_EQ(read.Status, TBudgetReadStatus::Ok);
  EXPECT_EQ(read.BudgetEnd, 155u);
  ASSERT_EQ(read.Blocks.size(), 2u);
  EXPECT_EQ(read.Blocks[0].Values[1].Value, 12.34);  // not 12.34002685546875
  EXPECT_EQ(read.Blocks[0].Values[1].Mark, '+');
  EXPECT_EQ(read.Blocks[1].Values[1].Value, 100000000000.0);
  EXPECT_EQ(read.Blocks[1].Values[1].Mark, 0);
  std::vector<TBidderBlock> blocks = read.Blocks;
  blocks[0].BidderName = "ΑΛΦΑ"_a;
  EXPECT_EQ(EncodeBudgetFile(read.Budget, read.Layout, blocks), bytes);  // write, read, write
}

TEST(BudgetFile, CategoriesWithExpressionRoundTrip) {
  const TBudgetLayout layout{true, true, true};
  const std::string bytes = EncodeBudgetFile(Categories(), layout, Bidders());
  ASSERT_EQ(bytes.size(), 4 + 3 * 49 + 41 + 32 + 2 * 26u);
  const TBudgetFileContents read = DecodeBudgetFile(bytes, TBudgetKind::Categories, layout);
  ASSERT_EQ(read.Status, TBudgetReadStatus::Ok);
  EXPECT_EQ(read.Budget.OverheadExpression, "$10*18%+$20*10%");
  EXPECT_EQ(read.Budget.Rows[1].Cost, 250.75);
  EXPECT_EQ(read.Blocks[0].Values[0].Mark, '#');
  EXPECT_EQ(EncodeBudgetFile(read.Budget, read.Layout, read.Blocks), bytes);
}

TEST(BudgetFile, TheOtherKindIsRefused) {
  EXPECT_EQ(DecodeBudgetFile(EncodeBudgetFile(Categories(), Full, {}), TBudgetKind::WorkItems, Full).Status,
            TBudgetReadStatus::WrongType);
  EXPECT_EQ(DecodeBudgetFile(EncodeBudgetFile(WorkItems(), Full, {}), TBudgetKind::Categories, Full).Status,
            TBudgetReadStatus::WrongType);
  EXPECT_EQ(BudgetWrongTypeMessage, "Το αρχείο είναι διαφορετικού τύπου !!"_a);
}

// Headers that do not tell the layout right: a guarantee below 2.56 %
// (asphalt flag 0) and a GE&OE switched to an expression after the save.
TEST(BudgetFile, LayoutIsTheOneWhoseRestSplitsIntoBlocks) {
  const std::string full = EncodeBudgetFile(WorkItems(), Full, Bidders());
  const TBudgetFileContents low = DecodeBudgetFile(full, TBudgetKind::WorkItems, {false, true, false});
  EXPECT_EQ(low.Layout, Full);
  EXPECT_EQ(low.Blocks.size(), 2u);
  EXPECT_EQ(low.Budget.AsphaltAmount, 2000);

  const TBudgetLayout expression{true, true, true};
  TBudgetData budget = WorkItems();
  budget.OverheadExpression = "18";
  const std::string switched = EncodeBudgetFile(budget, expression, Bidders());
  const TBudgetFileContents read = DecodeBudgetFile(switched, TBudgetKind::WorkItems, Full);
  EXPECT_EQ(read.Layout, expression);
  EXPECT_EQ(read.Blocks.size(), 2u);
  EXPECT_EQ(read.Blocks[1].Values[0].Value, 1);
}

TEST(BudgetFile, BlocksOutOfRangeAreReadPastAndShortFilesDamaged) {
  std::vector<TBidderBlock> blocks = Bidders();
  blocks.insert(blocks.begin(), TBidderBlock{0, "", {}});
  blocks.insert(blocks.begin(), TBidderBlock{2401, "", {{5, 0}, {5, 0}, {5, 0}}});
  const std::string bytes = EncodeBudgetFile(WorkItems(), Full, blocks);
  const TBudgetFileContents read = DecodeBudgetFile(bytes, TBudgetKind::WorkItems, Full);
  ASSERT_EQ(read.Blocks.size(), 2u);
  EXPECT_EQ(read.Blocks[0].EntryNo, 1);
  EXPECT_EQ(DecodeBudgetFile(bytes.substr(0, 100), TBudgetKind::WorkItems, Full).Status,
            TBudgetReadStatus::Damaged);
  std::string many = bytes;
  many[0] = char(0xC4);  // 2,500 rows
  many[1] = char(0x09);
  EXPECT_EQ(DecodeBudgetFile(many, TBudgetKind::WorkItems, Full).Status, TBudgetReadStatus::Damaged);
}

// Files that a wrong header or a lost end made hard to read: the layout
// that splits the rest is found, blocks above 2,400 are read past, the
// blocks read whole are kept and a block cut short is named.
struct HardFileCase {
  const char* what;
  TBudgetLayout header;  // what the project header says
  int firstEntry;        // the entry of a block put before the two bidders
  size_t cutBytes;       // bytes taken off the end
  std::vector<int> entriesRead;
  std::vector<int> cut;
};

class HardFiles : public testing::TestWithParam<HardFileCase> {};

TEST_P(HardFiles, LayoutFoundAndWholeBlocksKept) {
  const HardFileCase& c = GetParam();
  std::vector<TBidderBlock> blocks = Bidders();
  if (c.firstEntry != 0)
    blocks.insert(blocks.begin(), TBidderBlock{c.firstEntry, "", {{5, 0}, {5, 0}, {5, 0}}});
  std::string bytes = EncodeBudgetFile(WorkItems(), Full, blocks);
  bytes.resize(bytes.size() - c.cutBytes);
  const TBudgetFileContents read = DecodeBudgetFile(bytes, TBudgetKind::WorkItems, c.header);
  ASSERT_EQ(read.Status, TBudgetReadStatus::Ok) << c.what;
  EXPECT_EQ(read.Layout, Full) << c.what;
  EXPECT_EQ(read.Budget.AsphaltAmount, 2000) << c.what;
  std::vector<int> entries;
  for (const TBidderBlock& block : read.Blocks) entries.push_back(block.EntryNo);
  EXPECT_EQ(entries, c.entriesRead) << c.what;
  EXPECT_EQ(read.CutBlocks, c.cut) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    BudgetFile, HardFiles,
    testing::Values(
        HardFileCase{"whole, header right", Full, 0, 0, {1, 3}, {}},
        HardFileCase{"entry 2401, header right", Full, 2401, 0, {1, 3}, {}},
        HardFileCase{
            "entry 2401, no optional parts in the header", {false, false, false}, 2401, 0, {1, 3}, {}},
        HardFileCase{"entry 2401, expression in the header", {true, false, false}, 2401, 0, {1, 3}, {}},
        HardFileCase{"cut inside the last block", Full, 0, 5, {1}, {3}},
        HardFileCase{"cut inside the last block, header wrong", {false, true, false}, 0, 5, {1}, {3}},
        HardFileCase{"cut inside the first block", Full, 0, 8 * 3 + 2 + 9, {}, {1}}));

std::string BudgetBytes(const char* name) {
  std::ifstream file(std::string(DIM_TEST_DATA) + "/budgets/" + name, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// Files read to their last byte by a layout holding parts 5 and 6, the
// layout every save writes, while the header says otherwise; none holds
// detailed offers. That split wins over the header's layout with a cut end
// and over a layout without parts 5 and 6 that reads them as a block above
// 2,400. Headers leave the asphalt flag off for a guarantee below 2.56 %,
// and lose the GE&OE's change to an expression, or back, made after the
// project was saved.
struct StaleHeaderCase {
  const char* file;
  TBudgetLayout header;
  TBudgetLayout layout;
  size_t end;
  double contingency;
  double asphalt;
  double asphaltOverhead;
};

class StaleHeaders : public testing::TestWithParam<StaleHeaderCase> {};

TEST_P(StaleHeaders, TheLayoutEverySaveWritesIsRead) {
  const StaleHeaderCase& c = GetParam();
  const std::string bytes = BudgetBytes(c.file);
  const TBudgetFileContents read = DecodeBudgetFile(bytes, TBudgetKind::WorkItems, c.header);
  ASSERT_EQ(read.Status, TBudgetReadStatus::Ok);
  EXPECT_EQ(read.Layout, c.layout);
  EXPECT_EQ(read.BudgetEnd, c.end);
  EXPECT_EQ(read.BudgetEnd, bytes.size());
  EXPECT_EQ(read.Budget.ContingencyPercent, c.contingency);
  EXPECT_EQ(read.Budget.AsphaltAmount, c.asphalt);
  EXPECT_EQ(read.Budget.AsphaltOverheadPercent, c.asphaltOverhead);
  EXPECT_TRUE(read.Blocks.empty());
  EXPECT_TRUE(read.CutBlocks.empty());
  // The next save writes what was read.
  EXPECT_EQ(EncodeBudgetFile(read.Budget, c.layout, {}), bytes);

  // With a bidder's block after it, the start computed from the layout
  // read is that block's; the one computed from the stale header is no
  // block's, and the layout search still finds it.
  const int rows = static_cast<int>(read.Budget.Rows.size());
  const std::string withBlock =
      EncodeBudgetFile(read.Budget, c.layout, {{2, "", std::vector<DetailEntry>(rows, {7, '+'})}});
  EXPECT_EQ(ComputedBlocksStart(rows, TBudgetKind::WorkItems, c.layout), c.end);
  const auto blocks = BidderBlocksAt(withBlock, c.end, rows);
  ASSERT_TRUE(blocks.has_value());
  ASSERT_EQ(blocks->size(), 1u);
  EXPECT_EQ((*blocks)[0].EntryNo, 2);
  EXPECT_EQ((*blocks)[0].Values[rows - 1].Value, 7);
  EXPECT_EQ((*blocks)[0].Values[rows - 1].Mark, '+');
  EXPECT_FALSE(BidderBlocksAt(withBlock, ComputedBlocksStart(rows, TBudgetKind::WorkItems, c.header), rows)
                   .has_value());
  EXPECT_EQ(DecodeBudgetFile(withBlock, TBudgetKind::WorkItems, c.header).Blocks.size(), 1u);
}

const TBudgetLayout Expression{true, true, true};

INSTANTIATE_TEST_SUITE_P(
    BudgetFile, StaleHeaders,
    testing::Values(
        StaleHeaderCase{"stale_asphalt_flag.pry", {false, true, false}, Full, 81, 15, 0, 18},
        StaleHeaderCase{"stale_asphalt_flag_three_rows.pry", {false, true, false}, Full, 155, 9, 0, 18},
        StaleHeaderCase{"stale_asphalt_flag_three_rows.pry", {false, false, false}, Full, 155, 9, 0, 18},
        StaleHeaderCase{"stale_expression_flag.pry", Full, Expression, 114, 0, 0, 0},
        StaleHeaderCase{"stale_expression_flag.pry", {false, true, false}, Expression, 114, 0, 0, 0},
        StaleHeaderCase{"parts_5_6_read_as_a_block.pry", Expression, Full, 155, 15, 5000, 18},
        StaleHeaderCase{"parts_5_6_read_as_a_block.pry", {true, false, false}, Full, 155, 15, 5000, 18}));

// Short by whole optional parts, without bidder blocks: a smaller layout
// reads such a file to its end, but not one a save writes. The file lost
// its end; read under the smaller layout, the next save would write the
// parts it lost as zeros.
struct ShortFileCase {
  const char* what;
  TBudgetLayout written;
  TBudgetLayout header;
  size_t cut;
};

class ShortFiles : public testing::TestWithParam<ShortFileCase> {};

TEST_P(ShortFiles, AreDamaged) {
  const ShortFileCase& c = GetParam();
  std::string bytes = EncodeBudgetFile(WorkItems(), c.written, {});
  bytes.resize(bytes.size() - c.cut);
  EXPECT_EQ(DecodeBudgetFile(bytes, TBudgetKind::WorkItems, c.header).Status, TBudgetReadStatus::Damaged)
      << c.what;
  // Whole, the same bytes read.
  EXPECT_EQ(
      DecodeBudgetFile(EncodeBudgetFile(WorkItems(), c.written, {}), TBudgetKind::WorkItems, c.header).Status,
      TBudgetReadStatus::Ok)
      << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    BudgetFile, ShortFiles,
    testing::Values(
        ShortFileCase{"the asphalt part", Full, Full, 16},
        ShortFileCase{"both optional parts", Full, Full, 32},
        ShortFileCase{"the asphalt part after an expression", Expression, Expression, 16},
        ShortFileCase{
            "the contingencies, no asphalt in the header", {false, true, false}, {false, true, false}, 16},
        ShortFileCase{"the expression and no asphalt", {true, true, false}, {true, true, false}, 33}));

// A layout without parts 5 and 6 chosen after the header's, which has them:
// the parts it lacks stay empty, so that encoding what was read writes no
// bytes of the other candidate.
TEST(BudgetFile, PartsTheLayoutLacksStayEmpty) {
  const std::string bytes = BudgetBytes("categories_without_parts_5_6.pry");
  const TBudgetFileContents read = DecodeBudgetFile(bytes, TBudgetKind::Categories, {true, true, false});
  ASSERT_EQ(read.Status, TBudgetReadStatus::Ok);
  EXPECT_EQ(read.Layout, (TBudgetLayout{true, false, false}));
  EXPECT_EQ(read.Budget.OverheadExpression, "$1*18%");
  EXPECT_EQ(read.Budget.ContingencyPercent, 0);
  EXPECT_EQ(read.Budget.RevisionAmount, 0);
  EXPECT_EQ(read.Budget.AsphaltAmount, 0);
  EXPECT_EQ(read.Budget.AsphaltOverheadPercent, 0);
  ASSERT_EQ(read.Blocks.size(), 2u);
  EXPECT_EQ(read.Blocks[1].Values[0].Value, 7);
  EXPECT_EQ(EncodeBudgetFile(read.Budget, read.Layout, read.Blocks), bytes);
  const std::string saved = EncodeBudgetFile(read.Budget, {true, true, true}, read.Blocks);
  for (size_t at = 4 + 49 + 41; at < 4 + 49 + 41 + 32; at += 8) EXPECT_EQ(le::GetDouble(saved, at), 0) << at;
}

// Too short for the header's layout, and every other layout needs a cut
// end: the file is damaged, not read with its asphalt part dropped.
TEST(BudgetFile, AFileTooShortForTheHeaderIsDamaged) {
  const std::string bytes = BudgetBytes("asphalt_cut_short.pry");
  ASSERT_EQ(bytes.size(), 71u);
  EXPECT_EQ(DecodeBudgetFile(bytes, TBudgetKind::WorkItems, Full).Status, TBudgetReadStatus::Damaged);
  // The same bytes under a header they fit are read.
  EXPECT_EQ(DecodeBudgetFile(bytes, TBudgetKind::WorkItems, {false, true, false}).Status,
            TBudgetReadStatus::Ok);
}

TEST(BudgetFile, FirstBlockOf2000WorkItemsAt74044) {
  TBudgetData budget;
  budget.Rows.resize(2000, {"x", 1, 1, 0});
  const std::string bytes = EncodeBudgetFile(budget, Full, {{5, "", std::vector<DetailEntry>(2000, {1, 0})}});
  const TBudgetFileContents read = DecodeBudgetFile(bytes, TBudgetKind::WorkItems, Full);
  EXPECT_EQ(read.BudgetEnd, 74044u);
  EXPECT_EQ(le::Get16(bytes, 74044), 5);
  EXPECT_EQ(ComputedBlocksStart(2000, TBudgetKind::WorkItems, Full), 74044u);
}

// 12 bytes of counts and GE&OE percentage, the rows, 33 more for an
// expression, 16 for each optional part.
TEST(BudgetFile, ComputedStartOfTheBlocks) {
  const struct {
    int rows;
    TBudgetKind kind;
    TBudgetLayout layout;
    size_t start;
  } cases[] = {
      {0, TBudgetKind::WorkItems, {false, false, false}, 12},
      {3, TBudgetKind::WorkItems, {false, false, false}, 12 + 3 * 37},
      {3, TBudgetKind::WorkItems, Full, 12 + 3 * 37 + 32},
      {1, TBudgetKind::Categories, {false, true, false}, 12 + 49 + 16},
      {3, TBudgetKind::Categories, {true, true, true}, 12 + 3 * 49 + 33 + 32},
  };
  for (const auto& c : cases) {
    TBudgetData budget = c.kind == TBudgetKind::WorkItems ? WorkItems() : Categories();
    budget.Rows.resize(c.rows);
    EXPECT_EQ(ComputedBlocksStart(c.rows, c.kind, c.layout), c.start) << c.rows;
    EXPECT_EQ(EncodeBudgetFile(budget, c.layout, {}).size(), c.start) << c.rows;
  }
}

// A start that is no block boundary gives nothing: inside the budget, past
// the end, a block cut short, an entry above 2,400, or a file of other rows.
TEST(BudgetFile, BlocksAtAStartThatIsNoBoundary) {
  const std::string bytes = EncodeBudgetFile(WorkItems(), Full, Bidders());
  const size_t start = ComputedBlocksStart(3, TBudgetKind::WorkItems, Full);
  ASSERT_TRUE(BidderBlocksAt(bytes, start, 3).has_value());
  EXPECT_EQ(BidderBlocksAt(bytes, start, 3)->size(), 2u);
  EXPECT_FALSE(BidderBlocksAt(bytes, start - 16, 3).has_value());
  EXPECT_FALSE(BidderBlocksAt(bytes, bytes.size() + 2, 3).has_value());
  EXPECT_FALSE(BidderBlocksAt(bytes.substr(0, bytes.size() - 1), start, 3).has_value());
  EXPECT_FALSE(BidderBlocksAt(bytes, start, 2).has_value());
  std::string far = bytes;
  le::Put16(far, 2401);
  far.append(24, '\0');
  EXPECT_FALSE(BidderBlocksAt(far, start, 3).has_value());
  // Nothing after the budget is a boundary with no blocks.
  EXPECT_EQ(BidderBlocksAt(bytes.substr(0, start), start, 3)->size(), 0u);
}

TEST(BudgetFile, MarksFoldAndUnfold) {
  EXPECT_EQ(UnfoldMark(100000000000.5).Mark, '-');
  EXPECT_EQ(UnfoldMark(100000000000.5).Value, 0.5);
  EXPECT_EQ(UnfoldMark(FoldMark({12.34, '#'})).Value, 12.34);
  EXPECT_EQ(FoldMark({3, ' '}), 3);  // a blank is no mark
  // A marked row whose price was emptied reads back empty and unmarked,
  // never as another mark with a price of 10^11.
  for (char mark : {'#', '+', '-'}) {
    const DetailEntry back = UnfoldMark(FoldMark({0, mark}));
    EXPECT_EQ(back.Value, 0) << mark;
    EXPECT_EQ(back.Mark, 0) << mark;
  }
}

TEST(BudgetFile, TextCopyByHand) {
  TBudgetData budget = WorkItems();
  budget.Rows.resize(1);
  const AnsiString csv = EncodeBudgetCsv(budget, Full, {{1, "ΑΛΦΑ"_a, {{2.5, '#'}}}}, 1);
  const AnsiString expected =
      "ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ        1 ΓΡΑΜΜΩΝ-ΕΡΓΑΣΙΩΝ\r\n"
      "                           Α.1;                2.00;                3.00;                3.00\r\n"
      "ΓΕ & ΟΕ     18.000000\r\n"
      "ΑΠΡΟΒΛΕΠΤΑ   15.000000\r\n"
      "Αναθεώρηση              100.50\r\n"
      "Ασαφαλτος             2000.00\r\n"
      "ΓΕ.& ΟΕ Ασαφαλτου               18.00\r\n"
      "ΠΡΟΣΦΟΡΑ      1-ΑΛΦΑ\r\n"
      "    1 ;                2.50\r\n"_a;
  EXPECT_EQ(csv, expected);
}

// The copy's name is cut at the first "." of the file's own name, never
// inside a folder's name.
TEST(BudgetFile, TextCopyNameEndsAtTheFirstDotOfTheFileName) {
  const struct {
    const char* budget;
    const char* copy;
  } cases[] = {
      {"/a.b/proj.x.pry", "/a.b/proj.csv"},
      {"/home/u/my.projects/A.pry", "/home/u/my.projects/A.csv"},
      {"/home/u/my.projects/A.2024.pry", "/home/u/my.projects/A.csv"},
      {"A.B.pry", "A.csv"},
      {"/tmp/~1234567.TMP", "/tmp/~1234567.csv"},
      {"/my.dir/budget", "/my.dir/budget.csv"},
  };
  for (const auto& c : cases) EXPECT_EQ(BudgetCsvName(c.budget), c.copy) << c.budget;
}

}  // namespace
