#include "report/RpExpBld.h"

#include <algorithm>

#include "platform/ui/Application.h"

// ---- the word-wrapping edit --------------------------------------------------------

void TWordWrapEdit::Dispatch(TMessage& Message) {
  TEdit::Dispatch(Message);
  // A multi-line edit takes Enter for itself instead of leaving it to the
  // window's default button.
  if (Message.Msg == WM_GETDLGCODE) Message.Result |= DLGC_WANTALLKEYS;
}

bool TWordWrapEdit::EditChar(char ch) {
  if (ch == '\r') {
    UserReplace("\r\n");
    return true;
  }
  return TEdit::EditChar(ch);
}

// ---- building the window -----------------------------------------------------------

namespace {

constexpr int kClientWidth = 480;
constexpr int kBandHeight = 41;
constexpr int kPageHeight = 289;

// The band behind the title: dark blue fading into a lighter one.
void PaintTitlePicture(TBitmap& picture) {
  TCanvas* canvas = picture.Canvas();
  if (canvas == nullptr) return;
  const int w = picture.Width();
  for (int x = 0; x < w; x += 4) {
    const int blue = 96 + 128 * x / std::max(1, w);
    canvas->Brush->Color = RGB(0, blue / 3, blue);
    canvas->FillRect(Rect(x, 0, x + 4, picture.Height()));
  }
}

// Bold in the control's own font; set as a whole so that the control
// measures itself again.
void MakeBold(TControl* control) {
  TFont font;
  font.Assign(control->Font());
  font.Style = fsBold;
  control->SetFont(font);
}

template <typename C>
C* Place(TComponent* owner, TWinControl* parent, const char* name, int x, int y, int w, int h,
         const AnsiString& caption = {}) {
  auto* c = new C(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(x, y, w, h);
  if (!caption.empty()) c->SetCaption(caption);
  return c;
}

TPanel* Page(TComponent* owner, TWinControl* parent, const char* name, const AnsiString& title) {
  auto* page = Place<TPanel>(owner, parent, name, 0, kBandHeight, kClientWidth, kPageHeight);
  page->SetBevelOuter(bvNone);
  page->SetCaption("");
  page->SetVisible(false);
  if (!title.empty()) {
    MakeBold(Place<TLabel>(owner, page, "", 20, 12, 400, 16, title));
  }
  return page;
}

// The two buttons that close a page, at its bottom right.
void PageButtons(TComponent* owner, TPanel* page, TButton*& ok, const char* okName,
                 const AnsiString& okCaption, TButton*& cancel, const char* cancelName, int& okFlag) {
  ok = Place<TButton>(owner, page, okName, 304, 250, 75, 25, okCaption);
  cancel = Place<TButton>(owner, page, cancelName, 386, 250, 75, 25, "Cancel");
  ok->OnClick = [&okFlag](TObject*) { okFlag = rpPageConfirmed; };
  cancel->OnClick = [&okFlag](TObject*) { okFlag = rpPageCancelled; };
}

}  // namespace

TRpExpressionBuilder::TRpExpressionBuilder(TComponent* AOwner) : TForm(AOwner) {
  RpExprEnsureStarted();
  SetCaption("Expression Builder");
  BorderStyle = bsDialog;
  Position = poScreenCenter;
  SetBounds(0, 0, kClientWidth, kBandHeight + kPageHeight);

  TopPanel = Place<TPanel>(this, this, "TopPanel", 0, 0, kClientWidth, kBandHeight);
  TopPanel->SetBevelOuter(bvNone);
  TopPanel->SetCaption("");
  TitleImage = Place<TImage>(this, TopPanel, "TitleImage", 0, 0, kClientWidth, kBandHeight);
  TBitmap* picture = TitleImage->Picture().Bitmap();
  picture->SetSize(kClientWidth, kBandHeight);
  PaintTitlePicture(*picture);
  TitleImage->PictureChanged();
  TitleLabel = Place<TLabel>(this, TopPanel, "TitleLabel", 14, 8, 300, 24, "Expression Builder");
  TitleLabel->SetTransparent(true);
  TFont title;
  title.Name = "Arial";
  title.Style = fsBold;
  title.Color = clWhite;
  title.SetSize(14);
  TitleLabel->SetFont(title);

  // ---- main page ----
  MainPage = Page(this, this, "MainPage", {});
  MainPage->SetVisible(true);
  Heading = Place<TLabel>(this, MainPage, "Heading", 20, 16, 341, 16, "Enter expression:");
  Expression = Place<TWordWrapEdit>(this, MainPage, "Expression", 20, 36, 341, 91);
  Expression->SetTabStop(true);
  InsertDataFieldBtn =
      Place<TButton>(this, MainPage, "InsertDataFieldBtn", 372, 36, 97, 25, "&Database field");
  InsertFunctionBtn = Place<TButton>(this, MainPage, "InsertFunctionBtn", 372, 69, 97, 25, "&Function");
  InsertVariableBtn = Place<TButton>(this, MainPage, "InsertVariableBtn", 372, 102, 97, 25, "&Variable");
  InsertDataFieldBtn->OnClick = [this](TObject*) { InsertDataField(); };
  InsertFunctionBtn->OnClick = [this](TObject*) { InsertFunction(); };
  InsertVariableBtn->OnClick = [this](TObject*) { InsertVariable(); };

  struct OperatorButton {
    TButton** button;
    const char* name;
    const char* caption;
    int x, y, width;
  };
  const OperatorButton operators[] = {
      {&AddPlus, "AddPlus", "+", 20, 138, 25},
      {&AddMinus, "AddMinus", "-", 48, 138, 25},
      {&AddMul, "AddMul", "*", 76, 138, 25},
      {&AddDiv, "AddDiv", "/", 104, 138, 25},
      {&AddEqual, "AddEqual", "=", 132, 138, 25},
      {&AddSmaller, "AddSmaller", "<", 160, 138, 25},
      {&AddLarger, "AddLarger", ">", 188, 138, 25},
      {&AddNotEqual, "AddNotEqual", "<>", 216, 138, 32},
      {&AddLessEqual, "AddLessEqual", "<=", 251, 138, 32},
      {&AddGreaterEqual, "AddGreaterEqual", ">=", 286, 138, 32},
      {&AddNot, "AddNot", "Not", 20, 168, 41},
      {&AddAnd, "AddAnd", "And", 64, 168, 41},
      {&AddOr, "AddOr", "Or", 108, 168, 41},
  };
  for (const OperatorButton& op : operators) {
    TButton* button = Place<TButton>(this, MainPage, op.name, op.x, op.y, op.width, 25, op.caption);
    *op.button = button;
    button->OnClick = [this, button](TObject*) { InsertText(" " + button->Caption() + " "); };
  }
  ValidateBtn = Place<TButton>(this, MainPage, "ValidateBtn", 20, 250, 75, 25, "Valida&te");
  Clear = Place<TButton>(this, MainPage, "Clear", 102, 250, 75, 25, "&Clear");
  OK = Place<TButton>(this, MainPage, "OK", 304, 250, 75, 25, "OK");
  Cancel = Place<TButton>(this, MainPage, "Cancel", 386, 250, 75, 25, "Cancel");
  OK->ModalResult = 1;
  Cancel->ModalResult = 2;
  ValidateBtn->OnClick = [this](TObject*) { Validate(); };
  Clear->OnClick = [this](TObject*) {
    Expression->Clear();
    FocusExpression();
  };
  OK->OnClick = [this](TObject*) { MainResult = rpPageConfirmed; };
  Cancel->OnClick = [this](TObject*) { MainResult = rpPageCancelled; };

  // ---- data-base field page ----
  DataFieldPage = Page(this, this, "DataFieldPage", "Insert database field in expression");
  AvailableDatasets = Place<TListBox>(this, DataFieldPage, "AvailableDatasets", 20, 36, 200, 200);
  AvailableFields = Place<TListBox>(this, DataFieldPage, "AvailableFields", 228, 36, 233, 200);
  AvailableDatasets->OnClick = [this](TObject*) { FillFields(); };
  PageButtons(this, DataFieldPage, DataFieldOKBtn, "DataFieldOKBtn", "Continue", DataFieldCancelBtn,
              "DataFieldCancelBtn", DataFieldResult);

  // ---- function page ----
  FunctionPage = Page(this, this, "FunctionPage", "Select function");
  Categories = Place<TListBox>(this, FunctionPage, "Categories", 20, 36, 120, 150);
  for (const char* category :
       {"All", "Date & time", "Math & trig", "Statistical", "Database", "Logical", "Information", "Other"})
    Categories->Items()->Add(category);
  AvailableFunc = Place<TListBox>(this, FunctionPage, "AvailableFunc", 148, 36, 313, 150);
  FuncName = Place<TLabel>(this, FunctionPage, "FuncName", 20, 194, 441, 16);
  FuncName->SetAutoSize(false);
  MakeBold(FuncName);
  FuncDescription = Place<TLabel>(this, FunctionPage, "FuncDescription", 20, 212, 441, 32);
  FuncDescription->SetAutoSize(false);
  FuncDescription->SetWordWrap(true);
  Categories->OnClick = [this](TObject*) { SelectCategory(Categories->ItemIndex()); };
  AvailableFunc->OnClick = [this](TObject*) { ShowFunction(AvailableFunc->ItemIndex()); };
  AvailableFunc->OnDblClick = [this](TObject*) { FunctionResult = rpPageConfirmed; };
  PageButtons(this, FunctionPage, FunctionOKBtn, "FunctionOKBtn", "Continue", FunctionCancelBtn,
              "FunctionCancelBtn", FunctionResult);
  Categories->SetItemIndex(0);
  SelectCategory(0);

  // ---- argument page ----
  FuncParamsPage = Page(this, this, "FuncParamsPage", "Enter parameters for function");
  CopyFuncName = Place<TLabel>(this, FuncParamsPage, "CopyFuncName", 20, 32, 441, 16);
  CopyFuncName->SetAutoSize(false);
  MakeBold(CopyFuncName);
  CopyFuncDescription = Place<TLabel>(this, FuncParamsPage, "CopyFuncDescription", 20, 50, 441, 30);
  CopyFuncDescription->SetAutoSize(false);
  CopyFuncDescription->SetWordWrap(true);
  FuncParamSB = Place<TScrollBox>(this, FuncParamsPage, "FuncParamSB", 20, 84, 441, 158);
  PageButtons(this, FuncParamsPage, FuncParamOkBtn, "FuncParamOkBtn", "OK", FuncArgCancelBtn,
              "FuncArgCancelBtn", FuncParamsResult);

  // ---- variable page ----
  VariablePage = Page(this, this, "VariablePage", "Select variable");
  AvailableVariables = Place<TListBox>(this, VariablePage, "AvailableVariables", 20, 36, 200, 200);
  Place<TLabel>(this, VariablePage, "ValueLabel", 228, 36, 60, 16, "Value :");
  VariableValue = Place<TLabel>(this, VariablePage, "VariableValue", 228, 56, 233, 140);
  VariableValue->SetAutoSize(false);
  VariableValue->SetWordWrap(true);
  ModifyVariables =
      Place<TButton>(this, VariablePage, "ModifyVariables", 228, 211, 120, 25, "&Modify variables");
  AvailableVariables->OnClick = [this](TObject*) { ShowVariable(); };
  AvailableVariables->OnDblClick = [this](TObject*) { VariableResult = rpPageConfirmed; };
  ModifyVariables->OnClick = [this](TObject*) { EditVariables(); };
  PageButtons(this, VariablePage, VariableOKBtn, "VariableOKBtn", "Continue", VariableCancelBtn,
              "VariableCancelBtn", VariableResult);

  OnActivate = [this](TObject*) {
    FillDataSets();
    FillVariables();
    FocusExpression();
  };
  OnCloseQuery = [this](TObject*, bool& canClose) {
    CloseRule();
    canClose = true;
  };
}

TRpExpressionBuilder::~TRpExpressionBuilder() { DoDestroy(); }

void TRpExpressionBuilder::Embed(TWinControl* parent) {
  embedded_ = true;
  BorderStyle = bsNone;
  Position = poDesigned;
  SetParent(parent);
  SetBounds(0, 0, Width(), Height());
  // Embedded, the buttons end this builder's loop; as modal results they
  // would close the window the builder sits in.
  OK->ModalResult = mrNone;
  Cancel->ModalResult = mrNone;
}
