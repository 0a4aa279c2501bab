// The grid's rows against a plain vector under random runs of row inserts,
// removals, moves, exchanges and height changes, on more rows than one
// block of the row store holds: texts, cell properties and heights stay
// with their rows.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGrid.h"

namespace {

struct ModelRow {
  AnsiString Text;
  int Size = 0;  // the cell's font size, 0 without properties
  int Height = 0;
};

class ExtGridRowStoreTest : public GridFormTest {};

TEST_F(ExtGridRowStoreTest, RowsKeepTheirCellsPropertiesAndHeights) {
  auto& g = MakeGrid<TExtStringGrid>(4, 300);
  const int defaultHeight = g.DefaultRowHeight();
  std::vector<ModelRow> model(300, ModelRow{"", 0, defaultHeight});
  std::mt19937 random(17);
  auto pick = [&random](int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); };
  int born = 0;
  for (int step = 0; step < 1200; ++step) {
    const int n = g.RowCount();
    const int a = 1 + pick(n - 1), b = 1 + pick(n - 1);
    switch (pick(7)) {
      case 0: {
        const AnsiString text = "r" + IntToStr(born++);
        g.SetCellText(1, a, text);
        g.GetCellProperties(1, a)->FontSize = 8 + born % 5;
        model[static_cast<size_t>(a)].Text = text;
        model[static_cast<size_t>(a)].Size = 8 + born % 5;
        break;
      }
      case 1: {
        const int count = 1 + pick(3);
        g.InsertRows(a, count);
        model.insert(model.begin() + a, static_cast<size_t>(count), ModelRow{"", 0, defaultHeight});
        break;
      }
      case 2:
        if (n > 60) {
          const int count = std::min(1 + pick(3), n - a);
          g.RemoveRows(a, count);
          model.erase(model.begin() + a, model.begin() + a + count);
        }
        break;
      case 3:
      case 4: {
        g.MoveRow(a, b);
        const ModelRow moved = model[static_cast<size_t>(a)];
        model.erase(model.begin() + a);
        model.insert(model.begin() + b, moved);
        break;
      }
      case 5:
        g.ExchangeRows(a, b);
        std::swap(model[static_cast<size_t>(a)], model[static_cast<size_t>(b)]);
        break;
      default: {
        const int height = 12 + pick(4) * 6;
        g.SetRowHeights(a, height);
        model[static_cast<size_t>(a)].Height = height;
        break;
      }
    }
    if (step % 20 != 0) continue;
    ASSERT_EQ(g.RowCount(), static_cast<int>(model.size())) << "step " << step;
    for (int r = 1; r < g.RowCount(); ++r) {
      const ModelRow& row = model[static_cast<size_t>(r)];
      ASSERT_EQ(g.GetCellText(1, r), row.Text) << "step " << step << " row " << r;
      const TCellProperties* props = g.FindCellProperties(1, r);
      ASSERT_EQ(props ? props->FontSize : 0, row.Size) << "step " << step << " row " << r;
      ASSERT_EQ(g.RowHeights(r), row.Height) << "step " << step << " row " << r;
    }
  }
}

}  // namespace
