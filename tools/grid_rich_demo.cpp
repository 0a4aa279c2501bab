// A grid of rich-text and wide cells, for trying them by hand or under a
// virtual display: formatted Greek runs with rows sized to their text, a
// column edited with the rich-text editor, wide text cut with an ellipsis
// and wrapped, and rich text taken from the clipboard or dropped from
// another program.
#include <string>

#include "grid/ExtGrid.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Forms.h"
#include "tools/DemoMain.h"

namespace {

// A work item: its name in bold, a note in italics and an amount in red
// on a second line.
std::string Item(const char* name, const char* note, const char* amount) {
  return std::string(
             "{\\rtf1\\ansi\\ansicpg1253\\deff0{\\fonttbl{\\f0\\fcharset161 Arial;}}"
             "{\\colortbl;\\red200\\green0\\blue0;}\\f0\\fs18 {\\b ") +
         name + "} {\\i " + note + "}\\par {\\cf1 " + amount + "}}";
}

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {
    SetCaption(cp1253::FromUtf8("Κελιά μορφοποιημένου κειμένου"));
    SetBounds(20, 20, 900, 420);
    auto* g = new TExtStringGrid(this);
    g->SetParent(this);
    g->SetBounds(10, 10, 870, 360);
    g->SetColCount(4);
    g->SetRowCount(8);
    g->SetColWidths(1, 280);
    g->SetColWidths(2, 260);
    g->SetColWidths(3, 240);
    g->SetOptions(g->Options() + TGridOptions{goEditing});
    // A line added while editing a rich cell (Ctrl+Enter) heightens its row.
    g->SizeWhileTyping().Height = true;
    g->Navigation().AllowRTFClipboard = true;
    g->OnGetEditorType = [](TObject*, int ACol, int, TEditorType& AEditor) {
      if (ACol == 1) AEditor = edRichEdit;
    };
    g->SetCells(1, 0, cp1253::FromUtf8("Εργασία (RTF)"));
    g->SetCells(2, 0, cp1253::FromUtf8("Unicode, μία γραμμή"));
    g->SetCells(3, 0, cp1253::FromUtf8("Unicode, αναδίπλωση"));
    const char* const items[][3] = {
        {"\\'d7\\'f9\\'ec\\'e1\\'f4\\'ef\\'f5\\'f1\\'e3\\'e9\\'ea\\'dc",
         "\\'e5\\'ea\\'f3\\'ea\\'e1\\'f6\\'dd\\'f2", "12.345,67 \\'80"},
        {"\\'d3\\'ea\\'f5\\'f1\\'ef\\'e4\\'dd\\'ec\\'e1\\'f4\\'e1", "C16/20", "98.765,43 \\'80"},
        {"\\'c1\\'f3\\'f6\\'e1\\'eb\\'f4\\'ef\\'f3\\'ea\\'f5\\'f1\\'ef\\'e4\\'dd\\'ec\\'e1\\'f4\\'e1",
         "\\'e1\\'f3\\'f6\\'e1\\'eb\\'f4\\'ef\\'f0\\'dd\\'e4\\'e9\\'ef", "4.321,00 \\'80"},
    };
    for (int r = 1; r <= 3; ++r) {
      g->SetCells(0, r, std::to_string(r));
      g->SetCells(1, r, Item(items[r - 1][0], items[r - 1][1], items[r - 1][2]));
      g->SetUnicodeCell(2, r, u"Ωμέγα Жизнь Ωμέγα Жизнь Ωμέγα Жизнь Ωμέγα Жизнь");
      g->SetUnicodeCell(3, r, u"Ωμέγα Жизнь Ωμέγα Жизнь Ωμέγα Жизнь Ωμέγα Жизнь");
      g->GetCellProperties(3, r)->SetWordWrap(true);
      g->AutoSizeRow(r);
    }
    g->SetCells(1, 4, cp1253::FromUtf8("Επικολλήστε ή αφήστε εδώ κείμενο RTF"));
    g->DragDropSettings().SetOleDropTarget(true);
    g->DragDropSettings().SetOleDropRTF(true);
  }
};

}  // namespace

int main() { return RunDemoForm<TDemoForm>(); }
