#pragma once
// The expression builder: a window that composes a report expression from
// data-base fields, library functions (with a page for their arguments),
// variables and operator buttons, and checks it by evaluating it. Its pages
// are panels of the one window, shown one at a time; each page that waits
// for the user runs a message loop of its own until its result flag is set.
// A builder may embed itself in another control (a nested builder for a
// function argument sits in the builder that opened it).

#include <vector>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"
#include "report/RpExprLibrary.h"

// A one-line edit turned multi-line: no horizontal scrolling, the text
// wraps at the box's width, and Enter breaks the line.
class TWordWrapEdit : public TEdit {
 public:
  explicit TWordWrapEdit(TComponent* AOwner) : TEdit(AOwner) {}
  void Dispatch(TMessage& Message) override;

 protected:
  bool MultiLine() const override { return true; }
  bool WrapLines() const override { return true; }
  bool EditChar(char ch) override;
};

// Result flags of the builder's pages.
enum TRpPageResult { rpPageWaiting = 0, rpPageConfirmed = 1, rpPageCancelled = 2 };

class TRpExpressionBuilder : public TForm {
 public:
  explicit TRpExpressionBuilder(TComponent* AOwner);
  ~TRpExpressionBuilder() override;

  // The top band.
  TPanel* TopPanel;
  TImage* TitleImage;
  TLabel* TitleLabel;

  TPanel* MainPage;
  TLabel* Heading;
  TWordWrapEdit* Expression;
  TButton* InsertDataFieldBtn;
  TButton* InsertFunctionBtn;
  TButton* InsertVariableBtn;
  TButton *AddPlus, *AddMinus, *AddMul, *AddDiv, *AddEqual, *AddSmaller, *AddLarger, *AddNotEqual,
      *AddLessEqual, *AddGreaterEqual, *AddNot, *AddAnd, *AddOr;
  TButton* ValidateBtn;
  TButton* Clear;
  TButton* OK;
  TButton* Cancel;

  TPanel* DataFieldPage;
  TListBox* AvailableDatasets;
  TListBox* AvailableFields;
  TButton* DataFieldOKBtn;
  TButton* DataFieldCancelBtn;

  TPanel* FunctionPage;
  TListBox* Categories;
  TListBox* AvailableFunc;
  TLabel* FuncName;
  TLabel* FuncDescription;
  TButton* FunctionOKBtn;
  TButton* FunctionCancelBtn;

  TPanel* FuncParamsPage;
  TLabel* CopyFuncName;
  TLabel* CopyFuncDescription;
  TScrollBox* FuncParamSB;
  TButton* FuncParamOkBtn;
  TButton* FuncArgCancelBtn;

  TPanel* VariablePage;
  TListBox* AvailableVariables;
  TLabel* VariableValue;
  TButton* ModifyVariables;
  TButton* VariableOKBtn;
  TButton* VariableCancelBtn;

  // The page results (TRpPageResult).
  int MainResult = rpPageWaiting;
  int DataFieldResult = rpPageWaiting;
  int FunctionResult = rpPageWaiting;
  int FuncParamsResult = rpPageWaiting;
  int VariableResult = rpPageWaiting;
  // Escape or Space pressed while the window itself has the focus.
  bool AbortFlag = false;

  // Whose data sets are offered (may be nil) and the local environment
  // (may be nil).
  TCustomForm* Form = nullptr;
  TRpEvEnvironment* LocalEnv = nullptr;

  // Places the builder inside Parent at its top left, without a border;
  // its OK and Cancel then end its own loop instead of the host window's.
  void Embed(TWinControl* parent);
  bool Embedded() const { return embedded_; }

  void FillDataSets();
  void FillFields();
  void FillVariables();
  void ShowVariable();
  void SelectCategory(int index);
  void ShowFunction(int index);

  // Replaces the edit box's selection by Text, the caret after it.
  void InsertText(const AnsiString& text);
  void InsertDataField();
  void InsertFunction();
  void InsertVariable();
  // The arguments of a function with these argument letters, joined by
  // ","; false when the page was cancelled.
  bool AskArguments(const AnsiString& kinds, AnsiString& arguments);
  // Evaluates the text and shows the result or the error.
  void Validate();
  // Runs messages until Flag is set, the abort flag rises or the window
  // is being closed (then every waiting flag is cancelled).
  void WaitFor(int& flag);
  // What closing the window does: the waiting flags become cancelled.
  void CloseRule();
  // Brings Page to the front, the other pages hidden.
  void ShowPage(TPanel* page);
  void FocusExpression();
  // The environment editor on the local environment, then the variables
  // listed again.
  void EditVariables();

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  void ArgumentBuilder(int index);
  void ClearArgumentRows();
  bool embedded_ = false;
  // The argument page's rows: the edits in creation order, and every row
  // control to free.
  std::vector<TEdit*> argumentEdits_;
  std::vector<TControl*> argumentRows_;
};

// The text with every line break removed: a carriage return goes with the
// line feed after it.
AnsiString RpRemoveLineBreaks(const AnsiString& text);

// Every data set among the components of Root and, depth first, of its
// windowed children (name and object); with WithForms also those owned by
// every form of the screen. A data set is listed once.
void AllDataSets(TComponent* root, bool withForms, TStrings& list);

// Edits Expression in a builder, embedded in Parent when given (else as a
// modal window). A non-empty Heading replaces the prompt. True when
// confirmed; Expression is then the builder's text on one line, else empty.
bool EditExpressionInBuilder(const AnsiString& heading, AnsiString& expression, TCustomForm* form,
                             TRpEvEnvironment* localEnv, TWinControl* parent);
