// The row store against plain vectors under long random runs of moves,
// inserts, erases, exchanges and resizes: the block list alone (items,
// sums, positions) and the string grid on it (texts, objects, heights, the
// current row).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "UiFixture.h"
#include "platform/ui/Grids.h"
#include "platform/ui/GridsBlocks.h"

namespace {

struct TestWeight {
  static constexpr bool kWeighted = true;
  int Line = 1;
  long long operator()(int size) const { return size > 0 ? size + Line : 0; }
};

long long ModelSum(const std::vector<int>& model, int line, int index) {
  long long sum = 0;
  for (int i = 0; i < index; ++i)
    sum += model[static_cast<size_t>(i)] > 0 ? model[static_cast<size_t>(i)] + line : 0;
  return sum;
}

int Pick(std::mt19937& random, int bound) {
  return bound <= 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(bound));
}

// Item values carry their birth number, so that a lost or doubled item shows.
TEST(BlockList, FollowsAVectorThroughRandomRuns) {
  for (const unsigned seed : {1u, 2u, 3u, 4u}) {
    std::mt19937 random(seed);
    TBlockList<int, TestWeight> list;
    TBlockList<int> plain;  // the same runs without sums: exchanges by the table of places
    std::vector<int> model;
    int born = 0, line = 1;
    // Sizes 0 (hidden) now and then; values stay small enough to sum.
    auto fresh = [&] { return Pick(random, 5) == 0 ? 0 : 1 + (born++ % 997); };
    for (int step = 0; step < 6000; ++step) {
      const int n = list.Count();
      switch (Pick(random, 10)) {
        case 0: {  // resize, mostly small steps, now and then a big one
          const int count =
              Pick(random, 4) == 0 ? Pick(random, 1500) : std::max(0, n + Pick(random, 41) - 20);
          const int value = fresh();
          list.Resize(count, value);
          plain.Resize(count, value);
          model.resize(static_cast<size_t>(count), value);
          break;
        }
        case 1:
        case 2: {
          const int at = Pick(random, n + 1), value = fresh();
          list.Insert(at, value);
          plain.Insert(at, value);
          model.insert(model.begin() + at, value);
          break;
        }
        case 3:
          if (n > 0) {
            const int at = Pick(random, n);
            ASSERT_EQ(list.Erase(at), model[static_cast<size_t>(at)]);
            ASSERT_EQ(plain.Erase(at), model[static_cast<size_t>(at)]);
            model.erase(model.begin() + at);
          }
          break;
        case 4:
        case 5:
          if (n > 0) {
            const int from = Pick(random, n), to = Pick(random, n);
            list.Move(from, to);
            plain.Move(from, to);
            const int value = model[static_cast<size_t>(from)];
            model.erase(model.begin() + from);
            model.insert(model.begin() + to, value);
          }
          break;
        case 6:
          if (n > 0) {
            const int a = Pick(random, n), b = Pick(random, n);
            list.Exchange(a, b);
            plain.Exchange(a, b);
            std::swap(model[static_cast<size_t>(a)], model[static_cast<size_t>(b)]);
          }
          break;
        case 7:
          if (n > 0) {
            const int at = Pick(random, n), value = fresh();
            list.Set(at, value);
            plain.At(at) = value;
            model[static_cast<size_t>(at)] = value;
          }
          break;
        case 8:
          if (Pick(random, 50) == 0) {
            line = Pick(random, 3);
            list.Weigher().Line = line;
            list.Reweigh();
          } else if (Pick(random, 100) == 0) {
            const int value = fresh();
            list.Assign(n, value);
            plain.Assign(n, value);
            std::fill(model.begin(), model.end(), value);
          }
          break;
        default: {  // a position inside or past the total
          const long long total = ModelSum(model, line, n);
          const long long pos = Pick(random, static_cast<int>(total) + 10);
          int expected = 0;
          while (expected < n && ModelSum(model, line, expected + 1) <= pos) ++expected;
          ASSERT_EQ(list.IndexAtSum(pos), expected) << "seed " << seed << " step " << step << " pos " << pos;
          break;
        }
      }
      ASSERT_EQ(list.Count(), static_cast<int>(model.size())) << "seed " << seed << " step " << step;
      if (step % 50 == 0 || list.Count() < 300) {
        long long sum = 0;
        for (int i = 0; i < list.Count(); ++i) {
          ASSERT_EQ(list.Get(i), model[static_cast<size_t>(i)]) << "seed " << seed << " step " << step;
          ASSERT_EQ(plain.Get(i), model[static_cast<size_t>(i)]) << "seed " << seed << " step " << step;
          ASSERT_EQ(list.Sum(i), sum) << "seed " << seed << " step " << step << " index " << i;
          sum += model[static_cast<size_t>(i)] > 0 ? model[static_cast<size_t>(i)] + line : 0;
        }
        ASSERT_EQ(list.Total(), sum);
      } else {
        const int at = Pick(random, list.Count());
        ASSERT_EQ(list.Get(at), model[static_cast<size_t>(at)]);
        ASSERT_EQ(plain.Get(at), model[static_cast<size_t>(at)]);
        ASSERT_EQ(list.Sum(at), ModelSum(model, line, at));
      }
    }
  }
}

TEST(BlockList, ACopyReadsItsOwnItems) {
  TBlockList<int> list;
  list.Resize(5000, 1);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(list.Get(i), 1);  // enough reads to make the table
  TBlockList<int> copy = list;
  list.At(7) = 2;
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(copy.Get(i), 1);
  copy = list;
  EXPECT_EQ(copy.Get(7), 2);
}

TEST(BlockList, HoldsItemsThatOnlyMove) {
  TBlockList<std::unique_ptr<int>> list;
  list.Resize(1000);
  for (int i = 0; i < 1000; i += 3) list.At(i) = std::make_unique<int>(i);
  for (int i = 0; i < 3000; ++i) list.Move((i * 7919) % 1000, (i * 104729) % 1000);
  int found = 0;
  list.ForEach([&found](const std::unique_ptr<int>& item) { found += item != nullptr; });
  EXPECT_EQ(found, 334);
  list.Resize(10);
  list.Resize(20);
  for (int i = 10; i < 20; ++i) EXPECT_EQ(list.Get(i), nullptr);
}

// ---- the string grid on the store ---------------------------------------------------

class TStoreGrid : public TStringGrid {
 public:
  using TStringGrid::ExchangeStoredRows;
  using TStringGrid::PermuteStoredRows;
  using TStringGrid::TStringGrid;
};

struct ModelRow {
  AnsiString Text;
  TObject* Object = nullptr;
  int Height = 24;
};

class GridRowStoreTest : public UiTest {};

TEST_F(GridRowStoreTest, RowsFollowAVectorThroughRandomRuns) {
  TDemoForm& f = ShowDemo();
  auto* grid = f.Add<TStoreGrid>("Grid", 5, 5, 300, 200);
  grid->SetColCount(3);
  grid->SetRowCount(300);  // more rows than one block holds
  std::vector<TObject> objects(50);
  std::mt19937 random(11);
  std::vector<ModelRow> model(static_cast<size_t>(grid->RowCount()));
  int born = 0;
  auto check = [&](int step) {
    ASSERT_EQ(grid->RowCount(), static_cast<int>(model.size())) << "step " << step;
    for (int r = 0; r < grid->RowCount(); ++r) {
      const ModelRow& row = model[static_cast<size_t>(r)];
      ASSERT_EQ(grid->Cells(1, r), row.Text) << "step " << step << " row " << r;
      ASSERT_EQ(grid->Objects(2, r), row.Object) << "step " << step << " row " << r;
      ASSERT_EQ(grid->RowHeights(r), row.Height) << "step " << step << " row " << r;
      ASSERT_EQ(grid->Cells(0, r), AnsiString()) << "step " << step << " row " << r;
    }
  };
  for (int step = 0; step < 1500; ++step) {
    const int n = grid->RowCount();
    const int a = Pick(random, n), b = Pick(random, n);
    switch (Pick(random, 8)) {
      case 0: {
        const int count = std::max(2, n + Pick(random, 61) - 28);
        grid->SetRowCount(count);
        model.resize(static_cast<size_t>(count));
        break;
      }
      case 1: {
        const AnsiString text = "r" + IntToStr(born++);
        grid->SetCells(1, a, text);
        model[static_cast<size_t>(a)].Text = text;
        TObject* object = &objects[static_cast<size_t>(Pick(random, 50))];
        grid->SetObjects(2, a, object);
        model[static_cast<size_t>(a)].Object = object;
        break;
      }
      case 2: {
        const int height = 10 + Pick(random, 4) * 5;
        grid->SetRowHeights(b, height);
        model[static_cast<size_t>(b)].Height = height;
        break;
      }
      case 3:
      case 4: {
        const int current = grid->Row();
        grid->MoveRow(a, b);
        const ModelRow moved = model[static_cast<size_t>(a)];
        model.erase(model.begin() + a);
        model.insert(model.begin() + b, moved);
        // The current row goes with its row.
        int expected = current;
        if (current == a)
          expected = b;
        else if (a < b && current > a && current <= b)
          --expected;
        else if (a > b && current >= b && current < a)
          ++expected;
        ASSERT_EQ(grid->Row(), expected) << "step " << step;
        break;
      }
      case 5:
        if (n > 2) {
          grid->DeleteRow(a);
          model.erase(model.begin() + a);
        }
        break;
      case 6:
        // Cells only: the heights stay where they are.
        grid->ExchangeStoredRows(a, b);
        std::swap(model[static_cast<size_t>(a)].Text, model[static_cast<size_t>(b)].Text);
        std::swap(model[static_cast<size_t>(a)].Object, model[static_cast<size_t>(b)].Object);
        break;
      default: {
        const int first = Pick(random, n), count = Pick(random, n - first + 1);
        std::vector<int> order(static_cast<size_t>(count));
        for (int k = 0; k < count; ++k) order[static_cast<size_t>(k)] = k;
        std::shuffle(order.begin(), order.end(), random);
        int visited = 0;
        grid->PermuteStoredRows(first, order, [&](int, TObject*) { ++visited; });
        std::vector<ModelRow> before(model.begin() + first, model.begin() + first + count);
        int moved = 0;
        for (int k = 0; k < count; ++k) {
          const ModelRow& from = before[static_cast<size_t>(order[static_cast<size_t>(k)])];
          model[static_cast<size_t>(first + k)].Text = from.Text;
          model[static_cast<size_t>(first + k)].Object = from.Object;
          if (order[static_cast<size_t>(k)] != k && from.Object) ++moved;
        }
        ASSERT_EQ(visited, moved) << "step " << step;
        break;
      }
    }
    if (step % 10 == 0) check(step);
  }
  check(-1);
}

TEST_F(GridRowStoreTest, CutColumnsEmptyEveryRowAndGrowBackEmpty) {
  TDemoForm& f = ShowDemo();
  auto* grid = f.Add<TStoreGrid>("Grid", 5, 5, 300, 200);
  grid->SetColCount(5);
  grid->SetRowCount(400);
  for (int r = 0; r < 400; ++r) grid->SetCells(4, r, "x");
  grid->SetRowCount(300);
  grid->SetRowCount(400);
  grid->SetColCount(4);
  grid->SetColCount(5);
  for (int r = 0; r < 400; ++r) ASSERT_EQ(grid->Cells(4, r), AnsiString()) << r;
  EXPECT_EQ(grid->StoredRowCount(), 300);
}

}  // namespace
