// A grid whose cells hold mini-HTML controls and links, for trying them by
// hand or under a virtual display: buttons, edit fields, combo boxes, check
// boxes and radio buttons in cells, anchors to the web, to mail, to another
// cell and to a scheme nobody opens, and the desktop's icons of files. The
// label below the grid tells the last event; nothing is opened: every
// anchor is handed to the demo.
#include <string>

#include "grid/EsgHTMLE.h"
#include "grid/ExtGrid.h"
#include "platform/backend/Backends.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "tools/DemoMain.h"

namespace {

AnsiString G(const char* utf8) { return cp1253::FromUtf8(utf8); }

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {
    SetCaption(G("Στοιχεία ελέγχου σε κελιά"));
    SetBounds(20, 20, 760, 420);
    grid_ = new TExtStringGrid(this);
    grid_->SetParent(this);
    grid_->SetBounds(10, 10, 730, 330);
    grid_->SetColCount(3);
    grid_->SetRowCount(8);
    grid_->SetColWidths(0, 120);
    grid_->SetColWidths(1, 330);
    grid_->SetColWidths(2, 250);
    grid_->SetDefaultRowHeight(34);
    const char* rows[][3] = {
        {"Ενέργεια", "", ""},
        {"Κουμπί", R"(<CONTROL TYPE="BUTTON" ID="calc" VALUE="Υπολογισμός" WIDTH="110">)", "πατήστε το"},
        {"Πεδίο", R"(Τιμή: <CONTROL TYPE="EDIT" ID="price" VALUE="1.234,50" WIDTH="120">)",
         "κλικ για να γράψετε"},
        {"Λίστα", R"(Κριτήριο: <CONTROL TYPE="COMBO" ID="rule" VALUE="Χαμηλότερη τιμή" WIDTH="170">)",
         "επιλογή από λίστα"},
        {"Επιλογές",
         R"(<CONTROL TYPE="CHECK" ID="ok" VALUE="TRUE"> Έγκυρη <CONTROL TYPE="RADIO" ID="a" VALUE="TRUE"> Α <CONTROL TYPE="RADIO" ID="b" VALUE="FALSE"> Β)",
         "κλικ για αλλαγή"},
        {"Σύνδεσμοι",
         R"(<A href="https://example.org">ιστότοπος</A>, <A href="mailto:epitropi@example.org">email</A>, <A href="cell://R2C2">κελί</A>, <A href="tender://offer/7">προσφορά 7</A>)",
         "κάθε σύνδεσμος στην ετικέτα"},
        {"Εικονίδια",
         R"(<IMG SRC="SSYS:3"> <IMG SRC="SSYS:offer.pdf"> <IMG SRC="SSYS:budget.xls"> <IMG SRC="LSYS:letter.doc"> <IMG SRC="LSYS:15">)",
         "του θέματος της επιφάνειας εργασίας"},
        {"Κείμενο", "<B>Έντονα</B>, <I>πλάγια</I>, <FONT COLOR=\"clRed\">κόκκινα</FONT>", ""},
    };
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 3; ++c) grid_->SetCells(c, r, G(rows[r][c]));
    // A cell is markup only when it holds a closing tag (or bold or italic
    // ones): the control rows get a paragraph round them.
    for (int r = 1; r <= 4; ++r) grid_->SetCells(1, r, "<P>" + grid_->Cells(1, r) + "</P>");
    grid_->SetCells(1, 0, G("Στοιχείο"));
    grid_->SetCells(2, 0, G("Σημείωση"));
    grid_->SetOptions(grid_->Options() + TGridOptions{goEditing});

    status_ = new TLabel(this);
    status_->SetParent(this);
    status_->SetBounds(10, 350, 730, 20);
    status_->SetCaption(G("Κανένα συμβάν ακόμη"));

    auto tell = [this](const std::string& what) { status_->SetCaption(G(what.c_str())); };
    grid_->OnControlClick = [this, tell](TObject*, int row, int col, const AnsiString& id,
                                         const AnsiString& type, const AnsiString& value) {
      // The grid leaves radios to the program: the one clicked goes on,
      // its neighbours in the cell off.
      if (type == "RADIO") {
        AnsiString text = grid_->Cells(col, row);
        for (const char* radio : {"a", "b"}) SetHTMLControlValue(text, radio, id == radio ? "TRUE" : "FALSE");
        grid_->SetCells(col, row, text);
      }
      tell("Κλικ: " + type + " " + id + " = " + cp1253::ToUtf8(value) + " (" + std::to_string(col) + "," +
           std::to_string(row) + ")");
    };
    grid_->OnControlEditDone = [tell](TObject*, int, int, const AnsiString& id, const AnsiString& type,
                                      const AnsiString& value) {
      tell("Τέλος επεξεργασίας: " + type + " " + id + " = " + cp1253::ToUtf8(value));
    };
    grid_->OnControlComboList = [](TObject*, int, int, const AnsiString&, const AnsiString&,
                                   const AnsiString&, TStrings& values, bool& edit, int& dropCount) {
      for (const char* v : {"Χαμηλότερη τιμή", "Πλέον συμφέρουσα", "Μόνο ποιότητα"}) values.Add(G(v));
      edit = false;
      dropCount = 3;
    };
    grid_->OnAnchorClick = [tell](TObject*, int, int, const AnsiString& anchor, bool& autoHandle) {
      // Cell links move within the grid; the rest are only told.
      autoHandle = anchor.rfind("cell://", 0) == 0;
      tell("Σύνδεσμος: " + cp1253::ToUtf8(anchor));
    };
  }

 private:
  TExtStringGrid* grid_;
  TLabel* status_;
};

}  // namespace

int main() { return RunDemoForm<TDemoForm>(); }
