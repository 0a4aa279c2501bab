#include "report/RpEnvEd.h"

#include <algorithm>
#include <memory>

#include "platform/ui/Application.h"
#include "report/RpDesign.h"
#include "report/RpExpBld.h"

namespace {

template <typename T>
T* Place(TWinControl* parent, const char* name, int left, int top, int width, int height) {
  return RpPlaceControl<T>(parent->GetParentForm(), parent, name, left, top, width, height);
}

TButton* PlaceButton(TWinControl* parent, const char* name, const AnsiString& caption, int left, int top) {
  TButton* button = Place<TButton>(parent, name, left, top, 75, 25);
  button->SetCaption(caption);
  return button;
}

}  // namespace

TRpEnvironmentEditor::TRpEnvironmentEditor(TComponent* owner) : TForm(owner) {
  RpSetUpDialog(*this, "RpEnvironmentEditor", "User Defined Functions Edtor", 480, 330);

  // The "New entry" group lies under the list's group at the same place;
  // Add brings it to the front.
  NewEntryGroup = Place<TGroupBox>(this, "NewEntryGroup", 8, 4, 464, 284);
  NewEntryGroup->SetCaption("New entry");
  TLabel* nameLabel = Place<TLabel>(NewEntryGroup, "NameLabel", 16, 28, 60, 16);
  nameLabel->SetCaption("Name");
  Name = Place<TEdit>(NewEntryGroup, "Name", 16, 46, 200, 23);
  TLabel* expressionLabel = Place<TLabel>(NewEntryGroup, "ExpressionLabel", 16, 80, 80, 16);
  expressionLabel->SetCaption("Expression");
  Expression = Place<TEdit>(NewEntryGroup, "Expression", 16, 98, 404, 23);
  SpeedButton1 = Place<TSpeedButton>(NewEntryGroup, "SpeedButton1", 426, 98, 23, 23);
  SpeedButton1->SetCaption("...");
  NewOKBtn = PlaceButton(NewEntryGroup, "NewOKBtn", "&OK", 294, 244);
  NewCancelBtn = PlaceButton(NewEntryGroup, "NewCancelBtn", "&Cancel", 374, 244);

  ListGroup = Place<TGroupBox>(this, "ListGroup", 8, 4, 464, 284);
  UDFGrid = Place<TStringGrid>(ListGroup, "UDFGrid", 8, 16, 448, 230);
  UDFGrid->SetColCount(2);
  UDFGrid->SetFixedCols(0);
  UDFGrid->SetRowCount(2);
  UDFGrid->SetFixedRows(1);
  UDFGrid->SetDefaultRowHeight(20);
  UDFGrid->SetColWidths(0, 120);
  UDFGrid->SetColWidths(1, 304);
  LocalCB = Place<TRadioButton>(ListGroup, "LocalCB", 16, 256, 130, 19);
  LocalCB->SetCaption("&Local defines");
  GlobalCB = Place<TRadioButton>(ListGroup, "GlobalCB", 170, 256, 130, 19);
  GlobalCB->SetCaption("&Global defines");
  LocalCB->SetChecked(true);

  VariableOKBtn = PlaceButton(this, "VariableOKBtn", "Close", 397, 298);
  VariableOKBtn->ModalResult = 1;
  DeleteBtn = PlaceButton(this, "DeleteBtn", "&Delete", 256, 298);
  EditBtn = PlaceButton(this, "EditBtn", "&Edit", 176, 298);
  AddBtn = PlaceButton(this, "AddBtn", "&Add", 96, 298);

  LocalCB->OnClick = [this](TObject*) { FillGrid(); };
  GlobalCB->OnClick = [this](TObject*) { FillGrid(); };
  UDFGrid->OnSetEditText = [this](TObject*, int col, int row, const AnsiString& text) {
    CellEdited(col, row, text);
  };
  UDFGrid->OnDblClick = [this](TObject*) { EditCurrentRow(); };
  EditBtn->OnClick = [this](TObject*) { EditCurrentRow(); };
  AddBtn->OnClick = [this](TObject*) { AddEntry(); };
  SpeedButton1->OnClick = [this](TObject*) { BuildNewExpression(); };
  NewOKBtn->OnClick = [this](TObject*) { NewResult = 1; };
  NewCancelBtn->OnClick = [this](TObject*) { NewResult = 2; };
  VariableOKBtn->OnClick = [this](TObject*) { Closed = true; };
  OnClose = [this](TObject*, TCloseAction&) { Closed = true; };
}

void TRpEnvironmentEditor::Start(TRpEvEnvironment* local, bool allowGlobal) {
  Local = local;
  if (!allowGlobal) GlobalCB->SetEnabled(false);
  if (Local == nullptr) {
    LocalCB->SetEnabled(false);
    GlobalCB->SetChecked(true);
  }
  FillGrid();
}

TRpEvEnvironment* TRpEnvironmentEditor::Current() const {
  return LocalCB->Checked() ? Local : RpGlobalEnvironment;
}

void TRpEnvironmentEditor::FillGrid() {
  UDFGrid->SetEditorMode(false);
  TRpEvEnvironment* environment = Current();
  const int entries = environment != nullptr ? environment->Count() : 0;
  // An empty list keeps one blank row that takes no typing: a grid of the
  // heading alone would have to give up its fixed row, and the heading
  // would become an editable row once entries were added.
  UDFGrid->SetRowCount(std::max(entries, 1) + 1);
  TGridOptions options = UDFGrid->Options();
  if (entries > 0)
    options << goEditing;
  else
    options >> goEditing;
  UDFGrid->SetOptions(options);
  UDFGrid->SetCells(0, 0, "Name");
  UDFGrid->SetCells(1, 0, "Expression");
  for (int i = 0; i < std::max(entries, 1); ++i) {
    const bool present = i < entries;
    const TRpEvEmbeddedFunction* entry = present ? environment->Entry(i) : nullptr;
    UDFGrid->SetCells(0, i + 1, present ? environment->Get(i) : AnsiString());
    UDFGrid->SetCells(1, i + 1, entry != nullptr ? entry->Expression : AnsiString());
  }
}

void TRpEnvironmentEditor::StoreExpression(int index, const AnsiString& text) {
  TRpEvEnvironment* environment = Current();
  delete environment->Entry(index);
  environment->PutObject(index, new TRpEvEmbeddedFunction(text));
}

void TRpEnvironmentEditor::CellEdited(int col, int row, const AnsiString& text) {
  TRpEvEnvironment* environment = Current();
  if (environment == nullptr || row < 1 || row > environment->Count()) return;
  const int index = row - 1;
  if (col == 0) {
    environment->Put(index, AnsiUpperCase(text));
    return;
  }
  if (environment->Prepared()) {
    // A prepared environment's entries are being evaluated: their text
    // stays, and the cell (and its editor) show it again.
    const TRpEvEmbeddedFunction* entry = environment->Entry(index);
    UDFGrid->SetCells(col, row, entry != nullptr ? entry->Expression : AnsiString());
    if (UDFGrid->EditorMode()) UDFGrid->InvalidateEditor();
    return;
  }
  StoreExpression(index, text);
}

void TRpEnvironmentEditor::EditCurrentRow() {
  TRpEvEnvironment* environment = Current();
  const int row = UDFGrid->Row();
  if (environment == nullptr || row < 1 || row > environment->Count()) return;
  const TRpEvEmbeddedFunction* entry = environment->Entry(row - 1);
  AnsiString text = entry != nullptr ? entry->Expression : AnsiString();
  if (!EditExpression(environment->Get(row - 1), text)) return;
  UDFGrid->SetEditorMode(false);
  UDFGrid->SetCells(1, row, text);
  CellEdited(1, row, text);
}

void TRpEnvironmentEditor::ShowListButtons(bool show) {
  AddBtn->SetVisible(show);
  EditBtn->SetVisible(show);
  DeleteBtn->SetVisible(show);
  VariableOKBtn->SetVisible(show);
}

void TRpEnvironmentEditor::AddEntry() {
  ShowListButtons(false);
  NewEntryGroup->BringToFront();
  NewResult = 0;
  if (Name->CanFocus()) Name->SetFocus();
  // Closing the window while the group waits counts as Cancel, as does an
  // end of all input.
  while (NewResult == 0) {
    if (!Application->HandleMessage() || Application->Terminated() || ModalResult() != mrNone || Closed) {
      NewResult = 2;
      break;
    }
  }
  if (NewResult == 1 && Current() != nullptr) {
    Current()->AddFunction(Name->Text(), Expression->Text());
    FillGrid();
  }
  ShowListButtons(true);
  ListGroup->BringToFront();
}

bool TRpEnvironmentEditor::EditExpression(const AnsiString& heading, AnsiString& expression) {
  return EditExpressionInBuilder(heading, expression, nullptr, Local, this);
}

void TRpEnvironmentEditor::BuildNewExpression() {
  AnsiString text = Expression->Text();
  if (EditExpression(Name->Text(), text)) Expression->SetText(text);
}

void ShowEnvironmentEditor(TRpEvEnvironment* local, bool allowGlobal) {
  RpExprEnsureStarted();
  std::unique_ptr<TRpEnvironmentEditor> editor(NewForm<TRpEnvironmentEditor>(Application));
  editor->Start(local, allowGlobal);
  editor->ShowModal();
  while (!editor->Closed) {
    if (!Application->HandleMessage() || Application->Terminated()) break;
  }
}
