#include "tender/Uindex.h"

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Dialogs.h"
#include "tender/HelpTopics.h"
#include "tender/N_STR.h"
#include "tender/mainauction.h"

TindexForm::TindexForm(TComponent* AOwner) : TForm(AOwner) {
  SetName("indexForm");
  SetCaption("Ευρετήριο Εργων"_a);
  HelpContext = HelpFiles;
  SetBounds(40, 40, 780, 460);
  Position = poScreenCenter;
  SetShowHint(true);
  auto* bar = new TPanel(this);
  bar->SetName("Panel1");
  bar->SetBounds(0, 0, 780, 32);
  bar->SetAlign(alTop);
  bar->SetCaption("");
  bar->SetParent(this);
  int x = 4;
  auto button = [&](const char* name, const AnsiString& caption, const AnsiString& hint, int width) {
    auto* b = new TSpeedButton(this);
    b->SetName(name);
    b->SetBounds(x, 3, width, 26);
    b->SetCaption(caption);
    b->SetHint(hint);
    b->SetParent(bar);
    x += width + 4;
    return b;
  };
  ExitButton = button("ExitButton", "Εξοδος"_a, "Eπιστροφή"_a, 60);
  BitBtn2 = button("BitBtn2", "Επιλογή"_a, "Επιλογή|"_a, 64);
  deletebtn = button("deletebtn", "Διαγραφή"_a, "Επιλογή γραμμής για\rδιαγραφή του αρχείου|"_a, 70);
  CheckBox1 = new TCheckBox(this);
  CheckBox1->SetName("CheckBox1");
  CheckBox1->SetBounds(x + 10, 8, 110, 18);
  CheckBox1->SetCaption("Παλαιά Εργα"_a);
  CheckBox1->SetParent(bar);

  IndexGrid = new TExtStringGrid(this);
  IndexGrid->SetName("IndexGrid");
  IndexGrid->SetBounds(0, 32, 780, 400);
  IndexGrid->SetAlign(alClient);
  IndexGrid->SetParent(this);
  IndexGrid->SetColCount(7);
  IndexGrid->SetFixedCols(1);
  IndexGrid->SetFixedRows(1);
  IndexGrid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRowSelect, goColSizing});
  // A heading click sorts by that column, a second one the other way.
  IndexGrid->SortSettings().Show = true;
  IndexGrid->SortSettings().AutoColumnMerge = true;
  IndexGrid->SetHint(
      "Με αριστερό πάτημα του mouse στις επικεφαλίδες \rτων στηλών έχουμε ταξινόμιση αύξουσα ή  \rφθίνουσα "
      "στη "
      "αντίστοιχη στήλη|"_a);
  const int widths[] = {40, 90, 70, 200, 200, 100, 60};
  for (int col = 0; col < 7; ++col) IndexGrid->SetColWidths(col, widths[col]);

  ExitButton->OnClick = [this](TObject* s) { ExitButtonClick(s); };
  BitBtn2->OnClick = [this](TObject* s) { BitBtn2Click(s); };
  deletebtn->OnClick = [this](TObject* s) { deletebtnClick(s); };
  CheckBox1->OnClick = [this](TObject* s) { CheckBox1Click(s); };
  IndexGrid->OnDblClick = [this](TObject* s) { IndexGridDblClick(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  formCreate(this);
}

void TindexForm::formCreate(TObject*) {
  // The projects' folder, whatever folder a dialog has made current since.
  Folder = ProjectsFolderSource();
  IndexGrid->SetRowCount(1000);
  ReadFiles();
  MarkedCount = 0;
}

void TindexForm::ReadFiles() {
  IndexGrid->ClearAllCells();
  const char* const headings[] = {"Α/A",  "Αρχείο",         "Ημερ/νία", "Κύριος",
                                  "Εργο", "Προϋπολογισμός", "Προσφορές"};
  for (int col = 0; col < 7; ++col) IndexGrid->SetCells(col, 0, cp1253::FromUtf8(headings[col]));
  Extension = CheckBox1->Checked() ? ".ddt" : ".ddn";
  Screen->SetCursor(crHourGlass);
  IndexGrid->SetRowCount(MaxIndexFiles + 1);
  int r = 1;
  TSearchRec found;
  for (int status = FindFirst(Folder + "*" + Extension, faReadOnly | faHidden | faSysFile | faArchive, found);
       status == 0 && r <= MaxIndexFiles; status = FindNext(found)) {
    IndexGrid->SetCells(0, r, PadLeft(IntToStr(r), 4));
    const AnsiString& name = found.Name;
    IndexGrid->SetCells(1, r, name.substr(0, name.rfind('.')));
    ++r;
  }
  FindClose(found);
  FileCount = static_cast<Word>(r - 1);
  IndexGrid->SetRowCount(FileCount + 1 > 2 ? FileCount + 1 : 2);
  for (int row = 1; row <= FileCount; ++row) {
    // A file that cannot be read, or too short for a header, keeps its
    // columns empty; the listing goes on.
    std::string bytes;
    try {
      bytes = ReadFileHead(Folder + IndexGrid->Cells(1, row) + Extension, TProjectHeader::Size);
    } catch (const EStreamError&) {
      continue;
    }
    const TIndexRow data = IndexRowOf(bytes);
    IndexGrid->SetCells(2, row, data.Date);
    IndexGrid->SetCells(3, row, data.ProjectText);
    IndexGrid->SetCells(4, row, data.ServiceText);
    IndexGrid->SetCells(5, row, data.IndicativeTotal);
    IndexGrid->SetCells(6, row, data.Offers);
  }
  Screen->SetCursor(crDefault);
}

void TindexForm::CheckBox1Click(TObject*) {
  ReadFiles();
  MarkedCount = 0;
}

void TindexForm::IndexGridDblClick(TObject*) {
  const int row = IndexGrid->Row();
  if (row == 0 || row > FileCount) return;
  if (MainForm) MainForm->CommandLineProject = Folder + IndexGrid->Cells(1, row) + Extension;
  Close();
}

void TindexForm::BitBtn2Click(TObject* Sender) { IndexGridDblClick(Sender); }

void TindexForm::deletebtnClick(TObject*) {
  const int row = IndexGrid->Row();
  if (row == 0 || row > FileCount) return;
  AnsiString cell = IndexGrid->Cells(0, row);
  if (cell.empty()) return;
  if (cell[0] != '-') {
    cell[0] = '-';
    ++MarkedCount;
  } else {
    cell[0] = ' ';
    --MarkedCount;
  }
  IndexGrid->SetCells(0, row, cell);
}

void TindexForm::ExitButtonClick(TObject*) { Close(); }

void TindexForm::FormClose(TObject*, TCloseAction&) {
  if (MarkedCount <= 0) return;
  if (MessageDlg("Nα διαγραφούν τα σημειωμένα αρχεία;"_a, mtConfirmation, {mbYes, mbNo}) != mrYes) return;
  for (int row = 1; row <= FileCount; ++row) {
    if (!IndexGrid->Cells(0, row).starts_with('-')) continue;
    const AnsiString base = Folder + IndexGrid->Cells(1, row);
    for (const char* extension : {"", ".pry", ".csv"}) {
      const AnsiString name = base + (*extension ? AnsiString(extension) : Extension);
      if (FileExists(name)) DeleteFile(name);
    }
  }
}
