// What the expression builder's pages do: listing data sets, fields,
// functions and variables, inserting into the expression, the argument
// page, checking the expression, and the loops that wait for each page.

#include <memory>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "report/RpEnvEd.h"
#include "report/RpExpBld.h"

AnsiString RpRemoveLineBreaks(const AnsiString& text) {
  AnsiString result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '\r') {
      // Only the line feed of the pair goes with it: a lone carriage return
      // must not take a character of the expression along.
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    if (ch == '\n') continue;
    result += ch;
  }
  return result;
}

namespace {

void AddDataSet(TDataSet* dataSet, TStrings& list) {
  if (list.IndexOfObject(dataSet) < 0) list.AddObject(dataSet->Name(), dataSet);
}

void AddDataSetsOf(TComponent* root, TStrings& list) {
  for (int i = 0; i < root->ComponentCount(); ++i)
    if (auto* dataSet = dynamic_cast<TDataSet*>(root->Components(i))) AddDataSet(dataSet, list);
  if (auto* window = dynamic_cast<TWinControl*>(root))
    for (int i = 0; i < window->ControlCount(); ++i)
      if (auto* child = dynamic_cast<TWinControl*>(window->Controls(i))) AddDataSetsOf(child, list);
}

// The category of a library entry: the digit its argument kinds start
// with, -1 when they start with none.
int CategoryOf(const TRpLibraryEntry& entry) {
  const AnsiString& kinds = entry.ArgumentKinds;
  if (kinds.empty() || kinds[0] < '0' || kinds[0] > '9') return -1;
  return kinds[0] - '0';
}

AnsiString ArgumentLabel(char kind) {
  switch (kind) {
    case 'B':
      return "Argument %d - logical value";
    case 'N':
      return "Argument %d - numeric value";
    case 'S':
      return "Argument %d - text Value";
    default:
      return "Argument %d - value";
  }
}

constexpr int kArgumentRowHeight = 40;

}  // namespace

void AllDataSets(TComponent* root, bool withForms, TStrings& list) {
  if (root != nullptr) AddDataSetsOf(root, list);
  if (!withForms || Screen == nullptr) return;
  for (int f = 0; f < Screen->FormCount(); ++f) {
    TCustomForm* form = Screen->Forms(f);
    for (int i = 0; i < form->ComponentCount(); ++i)
      if (auto* dataSet = dynamic_cast<TDataSet*>(form->Components(i))) AddDataSet(dataSet, list);
  }
}

// ---- lists -------------------------------------------------------------------------

void TRpExpressionBuilder::FillDataSets() {
  TStrings* items = AvailableDatasets->Items();
  items->Clear();
  AllDataSets(Form, true, *items);
  if (items->Count() > 0) AvailableDatasets->SetItemIndex(0);
  FillFields();
}

void TRpExpressionBuilder::FillFields() {
  AvailableFields->Clear();
  const int index = AvailableDatasets->ItemIndex();
  if (index < 0) return;
  auto* dataSet = static_cast<TDataSet*>(AvailableDatasets->Items()->Objects(index));
  for (int i = 0; i < dataSet->FieldCount(); ++i)
    AvailableFields->Items()->Add(dataSet->Fields(i)->FieldName());
}

void TRpExpressionBuilder::FillVariables() {
  TStrings* items = AvailableVariables->Items();
  items->Clear();
  if (LocalEnv != nullptr)
    for (int i = 0; i < LocalEnv->Count(); ++i) items->Add(LocalEnv->Get(i));
  for (int i = 0; i < RpGlobalEnvironment->Count(); ++i) items->Add(RpGlobalEnvironment->Get(i));
  if (items->Count() > 0) AvailableVariables->SetItemIndex(0);
  ShowVariable();
}

void TRpExpressionBuilder::ShowVariable() {
  AnsiString value;
  if (const int index = AvailableVariables->ItemIndex(); index >= 0) {
    const AnsiString name = AvailableVariables->Items()->Get(index);
    TRpEvEnvironment* environment = RpGlobalEnvironment;
    if (LocalEnv != nullptr && LocalEnv->IndexOf(name) >= 0) environment = LocalEnv;
    if (const int entry = environment->IndexOf(name); entry >= 0 && environment->Entry(entry) != nullptr)
      value = environment->Entry(entry)->Expression;
  }
  VariableValue->SetCaption(value);
}

void TRpExpressionBuilder::SelectCategory(int index) {
  AvailableFunc->Clear();
  for (int i = 0; i < RpFunctionLibrary->Count(); ++i) {
    TRpLibraryEntry* entry = RpFunctionLibrary->GetEntry(i);
    if (index == 0 || (index > 0 && CategoryOf(*entry) == index))
      AvailableFunc->Items()->AddObject(entry->Name, entry);
  }
  // The function described below the list is the one selected, so that
  // Continue takes what the user reads.
  if (AvailableFunc->Items()->Count() > 0) AvailableFunc->SetItemIndex(0);
  ShowFunction(0);
}

void TRpExpressionBuilder::ShowFunction(int index) {
  AnsiString name, description;
  if (index >= 0 && index < AvailableFunc->Items()->Count()) {
    const AnsiString& text =
        static_cast<TRpLibraryEntry*>(AvailableFunc->Items()->Objects(index))->Description;
    const std::size_t bar = text.find('|');
    if (bar != AnsiString::npos) name = text.substr(0, bar);
    description = bar == AnsiString::npos ? text : text.substr(bar + 1);
  }
  FuncName->SetCaption(name);
  FuncDescription->SetCaption(description);
}

// ---- pages and their loops ---------------------------------------------------------

void TRpExpressionBuilder::ShowPage(TPanel* page) {
  for (TPanel* p : {MainPage, DataFieldPage, FunctionPage, FuncParamsPage, VariablePage})
    if (p != page) p->SetVisible(false);
  page->SetVisible(true);
  page->BringToFront();
}

void TRpExpressionBuilder::FocusExpression() {
  if (Expression->CanFocus()) Expression->SetFocus();
}

void TRpExpressionBuilder::WaitFor(int& flag) {
  // An abort ends the wait it happens in, not every later one.
  AbortFlag = false;
  while (flag == rpPageWaiting && !AbortFlag) {
    // The window this builder shows in is being closed, or the builder no
    // longer shows: nothing can set the flag any more.
    TCustomForm* top = GetParentForm();
    if ((top != nullptr && top->FormState.Contains(fsModal) && top->ModalResult() != mrNone) || !Showing() ||
        Application->Terminated()) {
      CloseRule();
      break;
    }
    if (!Application->HandleMessage() && flag == rpPageWaiting) {
      // No input can ever arrive (no screen): the page is cancelled.
      CloseRule();
      break;
    }
  }
}

void TRpExpressionBuilder::CloseRule() {
  for (int* flag : {&DataFieldResult, &FunctionResult, &FuncParamsResult, &VariableResult})
    if (*flag == rpPageWaiting) *flag = rpPageCancelled;
  if (MainResult != rpPageConfirmed) MainResult = rpPageCancelled;
}

void TRpExpressionBuilder::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE || Key == VK_SPACE) AbortFlag = true;
  TForm::KeyDown(Key, Shift);
}

// ---- inserting ---------------------------------------------------------------------

void TRpExpressionBuilder::InsertText(const AnsiString& text) {
  const int start = Expression->SelStart();
  Expression->SetSelText(text);
  Expression->SetSelStart(start + static_cast<int>(text.size()));
  Expression->SetSelLength(0);
  FocusExpression();
}

void TRpExpressionBuilder::InsertDataField() {
  ShowPage(DataFieldPage);
  DataFieldResult = rpPageWaiting;
  WaitFor(DataFieldResult);
  AnsiString text;
  const int dataSet = AvailableDatasets->ItemIndex(), field = AvailableFields->ItemIndex();
  if (DataFieldResult == rpPageConfirmed && dataSet >= 0 && field >= 0)
    text = AvailableDatasets->Items()->Get(dataSet) + "." + AvailableFields->Items()->Get(field);
  ShowPage(MainPage);
  if (!text.empty())
    InsertText(text);
  else
    FocusExpression();
}

void TRpExpressionBuilder::InsertFunction() {
  ShowPage(FunctionPage);
  FunctionResult = rpPageWaiting;
  WaitFor(FunctionResult);
  AnsiString text;
  if (const int index = AvailableFunc->ItemIndex(); FunctionResult == rpPageConfirmed && index >= 0) {
    const auto* entry = static_cast<const TRpLibraryEntry*>(AvailableFunc->Items()->Objects(index));
    const AnsiString kinds = entry->ArgumentKinds.empty() ? AnsiString() : entry->ArgumentKinds.substr(1);
    AnsiString arguments;
    if (kinds.empty())
      text = entry->Name;
    else if (AskArguments(kinds, arguments))
      text = entry->Name + "(" + arguments + ")";
  }
  ShowPage(MainPage);
  if (!text.empty())
    InsertText(text);
  else
    FocusExpression();
}

void TRpExpressionBuilder::InsertVariable() {
  ShowPage(VariablePage);
  VariableResult = rpPageWaiting;
  WaitFor(VariableResult);
  AnsiString text;
  if (const int index = AvailableVariables->ItemIndex(); VariableResult == rpPageConfirmed && index >= 0)
    text = AvailableVariables->Items()->Get(index);
  ShowPage(MainPage);
  if (!text.empty())
    InsertText(text);
  else
    FocusExpression();
}

// ---- the argument page -------------------------------------------------------------

bool TRpExpressionBuilder::AskArguments(const AnsiString& kinds, AnsiString& arguments) {
  ShowPage(FuncParamsPage);
  CopyFuncName->SetCaption(FuncName->Caption());
  CopyFuncDescription->SetCaption(FuncDescription->Caption());
  ClearArgumentRows();
  FuncParamSB->VertScrollBar().SetPosition(0);
  const int width = FuncParamSB->Width();
  for (int i = 0; i < static_cast<int>(kinds.size()); ++i) {
    const int top = kArgumentRowHeight * i;
    auto* label = new TLabel(this);
    label->SetParent(FuncParamSB);
    label->SetBounds(10, top, width - 60, 13);
    label->SetCaption(Format(ArgumentLabel(kinds[static_cast<std::size_t>(i)]), {i + 1}));
    auto* edit = new TEdit(this);
    edit->SetParent(FuncParamSB);
    edit->SetBounds(10, top + 15, width - 60, 21);
    edit->Tag = i;
    edit->SetTabStop(true);
    auto* button = new TButton(this);
    button->SetParent(FuncParamSB);
    button->SetBounds(width - 40, top + 15, 20, 20);
    button->SetCaption("...");
    button->Tag = i;
    button->OnClick = [this, i](TObject*) { ArgumentBuilder(i); };
    argumentRows_.insert(argumentRows_.end(), {label, edit, button});
    argumentEdits_.push_back(edit);
  }
  FuncParamSB->VertScrollBar().SetRange(kArgumentRowHeight * static_cast<int>(kinds.size()));
  FuncParamSB->VertScrollBar().Increment = kArgumentRowHeight;
  if (!argumentEdits_.empty() && argumentEdits_.front()->CanFocus()) argumentEdits_.front()->SetFocus();

  FuncParamsResult = rpPageWaiting;
  WaitFor(FuncParamsResult);
  const bool confirmed = FuncParamsResult == rpPageConfirmed;
  if (confirmed) {
    arguments.clear();
    for (std::size_t i = 0; i < argumentEdits_.size(); ++i) {
      if (i > 0) arguments += ",";
      arguments += argumentEdits_[i]->Text();
    }
  }
  ClearArgumentRows();
  FuncParamsPage->SetVisible(false);
  return confirmed;
}

void TRpExpressionBuilder::ClearArgumentRows() {
  std::vector<TControl*> rows;
  rows.swap(argumentRows_);
  argumentEdits_.clear();
  for (TControl* control : rows) delete control;
}

void TRpExpressionBuilder::ArgumentBuilder(int index) {
  if (index < 0 || index >= static_cast<int>(argumentEdits_.size())) return;
  TEdit* edit = argumentEdits_[static_cast<std::size_t>(index)];
  AnsiString text = edit->Text();
  const AnsiString heading = Format("Enter %d. parameter for %s", {index + 1, FuncName->Caption()});
  if (EditExpressionInBuilder(heading, text, Form, LocalEnv, this)) edit->SetText(text);
  // The rows go when the page ends; a close of the window during the nested
  // builder may have ended it already.
  if (index < static_cast<int>(argumentEdits_.size()) &&
      argumentEdits_[static_cast<std::size_t>(index)] == edit && edit->CanFocus()) {
    edit->SetFocus();
    edit->SelectAll();
  }
}

// ---- checking ----------------------------------------------------------------------

void TRpExpressionBuilder::Validate() {
  AnsiString message;
  {
    // Prepared for the check only; undone in reverse order however it ends.
    struct Prepared {
      TRpEvEnvironment* local;
      explicit Prepared(TRpEvEnvironment* env) : local(env) {
        RpGlobalEnvironment->Prepare();
        if (local != nullptr) local->Prepare();
      }
      ~Prepared() {
        if (local != nullptr) local->Unprepare();
        RpGlobalEnvironment->Unprepare();
      }
    } prepared(LocalEnv);
    TList dataSets;
    for (int i = 0; i < AvailableDatasets->Items()->Count(); ++i)
      dataSets.Add(AvailableDatasets->Items()->Objects(i));
    TRpEvaluator evaluator;
    evaluator.SetDataSets(&dataSets);
    evaluator.Environment = LocalEnv;
    TRpEvResult result;
    try {
      result = evaluator.Calculate(RpRemoveLineBreaks(Expression->Text()));
    } catch (const Exception& e) {
      // A data set that cannot give its value is the expression's error too.
      result = TRpEvResult::OfError(e.Message);
    }
    message = result.IsError() ? "ERROR: " + result.StrValue
                               : "There are no errors. The result is : " + RpResultToText(result);
  }
  ShowMessage(message);
}

void TRpExpressionBuilder::EditVariables() {
  ShowEnvironmentEditor(LocalEnv, true);
  // What the editor added or renamed shows at once.
  FillVariables();
}

// ---- the entry point ---------------------------------------------------------------

bool EditExpressionInBuilder(const AnsiString& heading, AnsiString& expression, TCustomForm* form,
                             TRpEvEnvironment* localEnv, TWinControl* parent) {
  std::unique_ptr<TRpExpressionBuilder> builder(NewForm<TRpExpressionBuilder>(Application));
  builder->Form = form;
  builder->LocalEnv = localEnv;
  if (parent != nullptr) {
    builder->Embed(parent);
    builder->FillDataSets();
    builder->FillVariables();
  }
  if (!heading.empty()) builder->Heading->SetCaption(heading);
  builder->Expression->SetText(expression);
  builder->Expression->SelectAll();
  builder->ShowPage(builder->MainPage);
  if (parent != nullptr) {
    builder->Show();
    builder->FocusExpression();
    builder->WaitFor(builder->MainResult);
  } else {
    builder->ShowModal();
  }
  const bool confirmed = builder->MainResult == rpPageConfirmed;
  expression = confirmed ? RpRemoveLineBreaks(builder->Expression->Text()) : AnsiString();
  return confirmed;
}
