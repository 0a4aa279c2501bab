#pragma once
// The editor of the named expressions (the variables a report's expressions
// call by name) of the report's local environment or of the global one:
// a grid of names and expressions, edited in place or through the
// expression builder, and a group that adds a new entry.

#include "platform/ui/Buttons.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"
#include "report/RpExprLibrary.h"

class TRpEnvironmentEditor : public TForm {
 public:
  explicit TRpEnvironmentEditor(TComponent* owner);

  TGroupBox* ListGroup;
  TStringGrid* UDFGrid;
  TRadioButton* LocalCB;
  TRadioButton* GlobalCB;
  TButton* VariableOKBtn;
  TButton* DeleteBtn;
  TButton* EditBtn;
  TButton* AddBtn;
  TGroupBox* NewEntryGroup;
  TEdit* Name;
  TEdit* Expression;
  TSpeedButton* SpeedButton1;
  TButton* NewOKBtn;
  TButton* NewCancelBtn;

  // The local environment (nullptr when there is none).
  TRpEvEnvironment* Local = nullptr;
  bool Closed = false;
  // Of the "New entry" group: 0 waiting, 1 OK, 2 cancelled.
  int NewResult = 0;

  // Sets up the radio buttons for the environments on offer and fills the
  // grid.
  void Start(TRpEvEnvironment* local, bool allowGlobal);
  // The local environment while its button is checked, else the global one.
  TRpEvEnvironment* Current() const;
  void FillGrid();
  // A cell of row Row (entry Row - 1) got Text: a name is stored upper
  // cased; an expression snaps back while the environment is prepared,
  // otherwise it replaces the entry's expression.
  void CellEdited(int col, int row, const AnsiString& text);
  // The builder on the current row's expression, embedded in this window.
  void EditCurrentRow();
  // The "New entry" group until OK or Cancel; OK adds the entry.
  void AddEntry();
  // The builder on the new entry's expression.
  void BuildNewExpression();

 private:
  // The expression builder embedded in the editor, on the local
  // environment; true when confirmed.
  bool EditExpression(const AnsiString& heading, AnsiString& expression);
  // Replaces the entry's expression by a new one of that text.
  void StoreExpression(int index, const AnsiString& text);
  // The list's buttons while the list is in front, hidden while a new
  // entry is typed.
  void ShowListButtons(bool show);
};

// Runs the editor on Local (nullptr for none) and, when AllowGlobal, on the
// global environment.
void ShowEnvironmentEditor(TRpEvEnvironment* local, bool allowGlobal);
