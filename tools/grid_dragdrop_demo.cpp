// Two grids that drag and drop between each other, for trying drags by
// hand or under a virtual display: the left grid is a source of rows and
// cells, the right one takes text and columns; both take drops of their
// own cells, and copy, cut and paste by Ctrl+C, Ctrl+X and Ctrl+V with
// the cells' properties (the left grid's amounts are red), so that two
// running copies exchange cells. grid_dragdrop_demo [--rows]: with --rows
// whole rows move.
#include <cstring>
#include <string>

#include "grid/ExtGridDragDrop.h"
#include "platform/backend/Backends.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "tools/DemoMain.h"

namespace {

bool wholeRows = false;

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {
    const bool rows = wholeRows;
    SetCaption("Drag and drop");
    SetBounds(20, 20, 760, 360);
    status_ = new TLabel(this);
    status_->SetParent(this);
    status_->SetBounds(10, 300, 700, 20);
    const char* names[] = {"Αλφα ΑΤΕ", "Βήτα ΕΠΕ", "Γάμμα ΟΕ", "Δέλτα ΑΕ", "Εψιλον", "Ζήτα", "Ητα", "Θήτα"};
    for (TExtStringGrid** g : {&left_, &right_}) {
      *g = new TExtStringGrid(this);
      (*g)->SetParent(this);
      (*g)->SetColCount(4);
      (*g)->SetRowCount(9);
      (*g)->SetDefaultColWidth(78);
      (*g)->Navigation().AllowClipboardAlways = true;
      (*g)->Navigation().AllowClipboardShortCuts = true;
      (*g)->Navigation().AllowFmtClipboard = true;
      (*g)->DragDropSettings().OleDropSource = true;
      (*g)->DragDropSettings().SetOleDropTarget(true);
      (*g)->DragDropSettings().OleColumnDragDrop = true;
      (*g)->SetCells(1, 0, cp1253::FromUtf8("Επωνυμία"));
      (*g)->SetCells(2, 0, cp1253::FromUtf8("Ποσό"));
      (*g)->SetCells(3, 0, cp1253::FromUtf8("Έκπτωση"));
      if (rows) {
        (*g)->SetOptions((*g)->Options() + TGridOptions{goRowSelect});
        (*g)->DragDropSettings().OleInsertRows = true;
        (*g)->DragDropSettings().OleRemoveRows = true;
      }
      (*g)->OnOleDragStop = [this](TObject*, int effect) {
        status_->SetCaption(effect == DROPEFFECT_COPY   ? "copied"
                            : effect == DROPEFFECT_MOVE ? "moved"
                                                        : "none");
      };
      (*g)->OnOleDropCol = [this](TObject*, int, int col, int dropped) {
        status_->SetCaption("column " + std::to_string(dropped) + " dropped on column " +
                            std::to_string(col));
      };
    }
    left_->SetBounds(10, 10, 350, 280);
    right_->SetBounds(390, 10, 350, 280);
    for (int r = 1; r < 9; ++r) {
      left_->SetCells(0, r, std::to_string(r));
      left_->SetCells(1, r, cp1253::FromUtf8(names[r - 1]));
      left_->SetCells(2, r, std::to_string(1000 * r) + ",00");
      left_->GetCellProperties(2, r)->FontColor = clRed;
      left_->SetCells(3, r, std::to_string(r * 3) + ",5");
    }
  }

 private:
  TExtStringGrid* left_ = nullptr;
  TExtStringGrid* right_ = nullptr;
  TLabel* status_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  wholeRows = argc > 1 && std::strcmp(argv[1], "--rows") == 0;
  return RunDemoForm<TDemoForm>();
}
