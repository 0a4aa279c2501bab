#pragma once
// The project index: the project files of the projects' folder with the
// description their headers hold; the user opens one, or marks projects
// whose files go when the window closes.

#include <string_view>

#include "grid/ExtGrid.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "tender/ProjectFile.h"

constexpr int MaxIndexFiles = 999;

class TindexForm : public TForm {
 public:
  explicit TindexForm(TComponent* AOwner);

  TSpeedButton* ExitButton;
  TSpeedButton* BitBtn2;
  TSpeedButton* deletebtn;
  TCheckBox* CheckBox1;  // "Παλαιά Εργα"
  TExtStringGrid* IndexGrid;

  AnsiString Extension = ".ddn";
  // The folder listed, with a trailing "/".
  AnsiString Folder;
  Word FileCount = 0;
  Integer MarkedCount = 0;

  void formCreate(TObject* Sender);
  void ReadFiles();
  void CheckBox1Click(TObject* Sender);
  void IndexGridDblClick(TObject* Sender);
  void BitBtn2Click(TObject* Sender);
  void deletebtnClick(TObject* Sender);
  void ExitButtonClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
};
