#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "platform/db/Db.h"
#include "report/RpEnvEd.h"
#include "report/RpExpBld.h"
#include "tests/TestOutput.h"
#include "tests/platform/db/TestDatabase.h"
#include "tests/platform/rtl/LocaleScope.h"
#include "tests/platform/ui/ControlsFixture.h"

namespace {

TEST(RpExpBldText, LineBreaksGoWithoutTakingCharacters) {
  const struct {
    const char* text;
    const char* joined;
  } cases[] = {
      {"", ""},       {"1 + 2", "1 + 2"}, {"1 +\r\n2", "1 +2"}, {"IF(A,\r\n\r\nB, C)\r\n", "IF(A,B, C)"},
      {"a\rb", "ab"}, {"a\nb", "ab"},     {"\r", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(RpRemoveLineBreaks(c.text), c.joined) << c.text;
}

// The builder's pages each wait in a message loop of their own; the steps
// of a test run one per idle moment of whichever loop is waiting.
class RpExpBldTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    ShowForm();
    Application->OnIdle = [this](TObject*, bool& done) {
      if (steps.empty()) return;
      const std::function<void()> step = std::move(steps.front());
      steps.pop_front();
      step();
      done = false;
    };
  }
  void TearDown() override {
    Application->OnIdle = nullptr;
    EXPECT_TRUE(steps.empty()) << steps.size() << " steps not run";
    ControlsTest::TearDown();
  }
  void Then(std::function<void()> step) { steps.push_back(std::move(step)); }
  void ClickOn(TControl& control) { backend->Click(control, control.Width() / 2, control.Height() / 2); }
  void ClickItem(TListBox& list, const AnsiString& item) {
    const int index = list.Items()->IndexOf(item);
    ASSERT_GE(index, 0) << cp1253::ToUtf8(item);
    const TRect r = list.ItemRect(index);
    backend->Click(list, r.Left + 4, (r.Top + r.Bottom) / 2);
  }
  static std::vector<AnsiString> ItemsOf(const TListBox& list) {
    std::vector<AnsiString> items;
    for (int i = 0; i < list.Items()->Count(); ++i) items.push_back(list.Items()->Get(i));
    return items;
  }
  // Runs the builder as its own window; Drive works in it as the user
  // would. Gives what EditExpressionInBuilder gave.
  bool RunModal(AnsiString& expression, const std::function<void(TRpExpressionBuilder&)>& drive,
                TRpEvEnvironment* env = nullptr, TCustomForm* dataForm = nullptr) {
    backend->ExpectModal("Expression Builder", [drive](TCustomForm& f) {
      auto& builder = dynamic_cast<TRpExpressionBuilder&>(f);
      drive(builder);
    });
    return EditExpressionInBuilder("", expression, dataForm, env, nullptr);
  }
  // The function of Category and Name chosen on the function page.
  void ChooseFunction(TRpExpressionBuilder& b, const AnsiString& category, const AnsiString& name) {
    Then([=, this, &b] { ClickItem(*b.Categories, category); });
    Then([=, this, &b] { ClickItem(*b.AvailableFunc, name); });
    Then([this, &b] { ClickOn(*b.FunctionOKBtn); });
  }
  std::deque<std::function<void()>> steps;
};

TEST_F(RpExpBldTest, FunctionWithoutArgumentsGoesInWithoutParentheses) {
  AnsiString expression = "old";
  const bool ok = RunModal(expression, [this](TRpExpressionBuilder& b) {
    EXPECT_EQ(b.Expression->SelLength(), 3);  // all of it selected
    ChooseFunction(b, "Date & time", "TIME");
    ClickOn(*b.InsertFunctionBtn);
    EXPECT_TRUE(b.MainPage->Visible());
    EXPECT_FALSE(b.FunctionPage->Visible());
    EXPECT_EQ(b.Expression->Text(), "TIME");
    EXPECT_EQ(b.Expression->SelStart(), 4);
    EXPECT_EQ(b.Expression->SelLength(), 0);
    EXPECT_TRUE(b.Expression->Focused());
    ClickOn(*b.OK);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(expression, "TIME");
}

TEST_F(RpExpBldTest, FunctionAsksOneRowPerArgumentAndJoinsThem) {
  AnsiString expression;
  const bool ok = RunModal(expression, [this](TRpExpressionBuilder& b) {
    ChooseFunction(b, "Other", "COPY");
    Then([this, &b] {
      EXPECT_TRUE(b.FuncParamsPage->Visible());
      EXPECT_EQ(b.CopyFuncName->Caption(), "COPY(<X>, <St>,<Len>)");
      EXPECT_EQ(b.CopyFuncDescription->Caption(), "Returns a substring of string X");
      TScrollBox& box = *b.FuncParamSB;
      ASSERT_EQ(box.ControlCount(), 9);
      const char* labels[] = {"Argument 1 - text Value", "Argument 2 - numeric value",
                              "Argument 3 - numeric value"};
      for (int i = 0; i < 3; ++i) {
        TControl* label = box.Controls(3 * i);
        TControl* edit = box.Controls(3 * i + 1);
        TControl* button = box.Controls(3 * i + 2);
        EXPECT_EQ(label->Caption(), labels[i]);
        EXPECT_EQ(label->Left(), 10);
        EXPECT_EQ(label->Top(), 40 * i);
        EXPECT_EQ(edit->BoundsRect(), Bounds(10, 40 * i + 15, box.Width() - 60, edit->Height()));
        EXPECT_EQ(button->BoundsRect(), Bounds(box.Width() - 40, 40 * i + 15, 20, 20));
        EXPECT_EQ(edit->Tag, i);
        EXPECT_EQ(button->Tag, i);
      }
      EXPECT_EQ(box.VertScrollBar().Range(), 120);
      EXPECT_EQ(box.VertScrollBar().Increment, 40);
      const char* typed[] = {"a", "b", "c"};
      for (int i = 0; i < 3; ++i) {
        ClickOn(*box.Controls(3 * i + 1));
        backend->Type(typed[i]);
      }
    });
    Then([this, &b] { ClickOn(*b.FuncParamOkBtn); });
    ClickOn(*b.InsertFunctionBtn);
    // The rows go with the page.
    EXPECT_EQ(b.FuncParamSB->ControlCount(), 0);
    EXPECT_FALSE(b.FuncParamsPage->Visible());
    ClickOn(*b.OK);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(expression, "COPY(a,b,c)");
}

TEST_F(RpExpBldTest, CancelledArgumentsInsertNothingAndEmptyOnesStay) {
  AnsiString expression;
  RunModal(expression, [this](TRpExpressionBuilder& b) {
    ChooseFunction(b, "Logical", "IF");
    Then([this, &b] { ClickOn(*b.FuncArgCancelBtn); });
    ClickOn(*b.InsertFunctionBtn);
    EXPECT_EQ(b.Expression->Text(), "");
    ChooseFunction(b, "Logical", "IF");
    Then([this, &b] { ClickOn(*b.FuncParamOkBtn); });
    ClickOn(*b.InsertFunctionBtn);
    EXPECT_EQ(b.Expression->Text(), "IF(,,)");
    ClickOn(*b.OK);
  });
  EXPECT_EQ(expression, "IF(,,)");
}

TEST_F(RpExpBldTest, CategoriesListTheirFunctions) {
  std::unique_ptr<TRpExpressionBuilder> b(NewForm<TRpExpressionBuilder>(nullptr));
  b->Show();
  Application->ProcessMessages();
  // Shown at first: every function, the first one described.
  EXPECT_EQ(b->Categories->ItemIndex(), 0);
  EXPECT_EQ(b->AvailableFunc->Items()->Count(), RpFunctionLibrary->Count());
  EXPECT_EQ(b->FuncName->Caption(), "IF(<Exp>, <X>, <Y>)");
  b->ShowPage(b->FunctionPage);
  const struct {
    const char* category;
    std::vector<AnsiString> functions;
  } cases[] = {
      {"Logical", {"IF", "TRUE", "FALSE"}}, {"Database", {}},
      {"Date & time", {"TIME", "DATE"}},    {"Statistical", {"SUM", "COUNT", "MAX", "MIN", "AVERAGE"}},
      {"Information", {"TYPEOF"}},
  };
  for (const auto& c : cases) {
    ClickItem(*b->Categories, c.category);
    EXPECT_EQ(ItemsOf(*b->AvailableFunc), c.functions) << c.category;
    EXPECT_EQ(b->AvailableFunc->ItemIndex(), c.functions.empty() ? -1 : 0) << c.category;
    // The first one is described; nothing when the list is empty.
    EXPECT_EQ(b->FuncName->Caption().empty(), c.functions.empty()) << c.category;
    EXPECT_EQ(b->FuncDescription->Caption().empty(), c.functions.empty()) << c.category;
  }
  ClickItem(*b->Categories, "Logical");
  ClickItem(*b->AvailableFunc, "TRUE");
  EXPECT_EQ(b->FuncName->Caption(), "TRUE");
  EXPECT_EQ(b->FuncDescription->Caption(), "boolean value");
}

TEST_F(RpExpBldTest, ValidateShowsTheResultOrTheError) {
  LocaleScope locale{LocaleScope::C};
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"1/0", "ERROR: Cannot divide by 0"},
      {"'abc'", "There are no errors. The result is : abc"},
      {"''", "There are no errors. The result is : "},
      {"1 +\r\n2", "There are no errors. The result is : 3"},
      {"7/2", "There are no errors. The result is : 3.5"},
      {"1 = 1", "There are no errors. The result is : True"},
      {"NOSUCH(1)", "ERROR: Unknown function : NOSUCH"},
      {"Items.qty * 2", "There are no errors. The result is : 4"},
      {"TAXRATE * 100", "There are no errors. The result is : 24"},
  };
  TRpEvEnvironment local;
  local.AddFunction("TAXRATE", "0.24");
  TTable table(Form.get());
  table.SetDatabaseName(MakeTestDatabase("builder_items", ItemsScript()));
  table.SetTableName("items");
  table.SetName("Items");
  table.Open();
  for (const auto& c : cases) {
    AnsiString expression = c.text;
    backend->MessageBoxes.clear();
    RunModal(
        expression,
        [this](TRpExpressionBuilder& b) {
          backend->ExpectMessageBox("", IDOK);
          ClickOn(*b.ValidateBtn);
          ClickOn(*b.Cancel);
        },
        &local, Form.get());
    ASSERT_EQ(backend->MessageBoxes.size(), 1u) << c.text;
    EXPECT_EQ(backend->MessageBoxes[0].Text, c.message) << c.text;
    // Cancelled: the text comes back empty.
    EXPECT_EQ(expression, "");
  }
  // The local environment was prepared for the check only.
  EXPECT_FALSE(local.Prepared());
}

TEST_F(RpExpBldTest, TextTypedOnSeveralLinesComesBackAsOne) {
  AnsiString expression;
  const bool ok = RunModal(expression, [this](TRpExpressionBuilder& b) {
    backend->Type("1 +");
    backend->PressKey(VK_RETURN);
    backend->Type("2 +");
    backend->PressKey(VK_RETURN);
    backend->Type("3");
    EXPECT_EQ(b.Expression->Text(), "1 +\r\n2 +\r\n3");
    EXPECT_EQ(b.Expression->LineCount(), 3);
    ClickOn(*b.OK);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(expression, "1 +2 +3");
}

TEST_F(RpExpBldTest, LongTextWrapsAtTheBoxWidth) {
  TWordWrapEdit* edit = Add<TWordWrapEdit>(10, 10, 120, 90);
  edit->SetText("IF(Items.qty > 100, 'many items here', 'few items here')");
  EXPECT_GT(edit->LineCount(), 1);
  EXPECT_EQ(edit->Text().find('\r'), AnsiString::npos);
  // Enter is the edit's, not the window's.
  EXPECT_NE(edit->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
}

TEST_F(RpExpBldTest, OperatorButtonsInsertWithBlanksAndClearEmpties) {
  AnsiString expression;
  RunModal(expression, [this](TRpExpressionBuilder& b) {
    TButton* buttons[] = {b.AddPlus,    b.AddMinus,  b.AddMul,      b.AddDiv,       b.AddEqual,
                          b.AddSmaller, b.AddLarger, b.AddNotEqual, b.AddLessEqual, b.AddGreaterEqual,
                          b.AddNot,     b.AddAnd,    b.AddOr};
    AnsiString expected;
    for (TButton* button : buttons) {
      ClickOn(*button);
      expected += " " + button->Caption() + " ";
    }
    EXPECT_EQ(b.Expression->Text(), expected);
    EXPECT_EQ(expected, " +  -  *  /  =  <  >  <>  <=  >=  Not  And  Or ");
    // Inserted at the caret, replacing the selection.
    b.Expression->SetText("A B");
    b.Expression->SetSelStart(1);
    b.Expression->SetSelLength(1);
    ClickOn(*b.AddAnd);
    EXPECT_EQ(b.Expression->Text(), "A And B");
    ClickOn(*b.Clear);
    EXPECT_EQ(b.Expression->Text(), "");
    ClickOn(*b.OK);
  });
  EXPECT_EQ(expression, "");
}

TEST_F(RpExpBldTest, DataFieldPageListsDataSetsAndTheirFields) {
  TTable items(Form.get());
  items.SetDatabaseName(MakeTestDatabase("builder_fields", ItemsScript()));
  items.SetTableName("items");
  items.SetName("Items");
  items.Open();
  TTable closed(Form.get());
  closed.SetName("Closed");
  AnsiString expression;
  const bool ok = RunModal(
      expression,
      [this](TRpExpressionBuilder& b) {
        EXPECT_EQ(ItemsOf(*b.AvailableDatasets), (std::vector<AnsiString>{"Items", "Closed"}));
        EXPECT_EQ(b.AvailableDatasets->ItemIndex(), 0);
        EXPECT_EQ(ItemsOf(*b.AvailableFields),
                  (std::vector<AnsiString>{"name", "qty", "price", "paid", "day", "amount", "stamp", "data",
                                           "big", "at"}));
        // A data set with nothing selected inserts nothing.
        Then([this, &b] {
          ClickItem(*b.AvailableDatasets, "Closed");
          EXPECT_TRUE(ItemsOf(*b.AvailableFields).empty());
          ClickOn(*b.DataFieldOKBtn);
        });
        ClickOn(*b.InsertDataFieldBtn);
        EXPECT_EQ(b.Expression->Text(), "");
        Then([this, &b] {
          ClickItem(*b.AvailableDatasets, "Items");
          ClickItem(*b.AvailableFields, "qty");
          ClickOn(*b.DataFieldOKBtn);
        });
        ClickOn(*b.InsertDataFieldBtn);
        ClickOn(*b.AddMul);
        Then([this, &b] {
          ClickItem(*b.AvailableFields, "price");
          ClickOn(*b.DataFieldCancelBtn);
        });
        ClickOn(*b.InsertDataFieldBtn);
        EXPECT_EQ(b.Expression->Text(), "Items.qty * ");
        ClickOn(*b.OK);
      },
      nullptr, Form.get());
  EXPECT_TRUE(ok);
  EXPECT_EQ(expression, "Items.qty * ");
}

TEST_F(RpExpBldTest, VariablePageListsLocalThenGlobalNames) {
  TRpEvEnvironment local;
  local.AddFunction("TAXRATE", "0.24");
  local.AddFunction("APPNAME", "'mine'");
  AnsiString expression;
  const bool ok = RunModal(
      expression,
      [this, &local](TRpExpressionBuilder& b) {
        const std::vector<AnsiString> names = ItemsOf(*b.AvailableVariables);
        ASSERT_EQ(names.size(), 2u + RpGlobalEnvironment->Count());
        EXPECT_EQ(names[0], "TAXRATE");
        EXPECT_EQ(names[1], "APPNAME");
        EXPECT_EQ(names[2], RpGlobalEnvironment->Get(0));
        EXPECT_EQ(b.AvailableVariables->ItemIndex(), 0);
        EXPECT_EQ(b.VariableValue->Caption(), "0.24");
        Then([this, &b, &local] {
          ClickItem(*b.AvailableVariables, RpGlobalEnvironment->Get(0));
          EXPECT_EQ(b.VariableValue->Caption(), RpGlobalEnvironment->Entry(0)->Expression);
          // A local name wins over a global one of the same name.
          b.AvailableVariables->SetItemIndex(1);
          b.ShowVariable();
          EXPECT_EQ(b.VariableValue->Caption(), "'mine'");
          const TRect r = b.AvailableVariables->ItemRect(0);
          backend->DoubleClick(*b.AvailableVariables, 4, (r.Top + r.Bottom) / 2);
          (void)local;
        });
        ClickOn(*b.InsertVariableBtn);
        EXPECT_EQ(b.Expression->Text(), "TAXRATE");
        ClickOn(*b.OK);
      },
      &local);
  EXPECT_TRUE(ok);
  EXPECT_EQ(expression, "TAXRATE");
}

TEST_F(RpExpBldTest, EscapeOrSpaceOnTheWindowAbortsAnEmbeddedBuilder) {
  for (Word key : {Word(VK_ESCAPE), Word(VK_SPACE)}) {
    AnsiString expression = "1 + 1";
    TRpExpressionBuilder* shown = nullptr;
    Then([&] {
      shown = dynamic_cast<TRpExpressionBuilder*>(Form->Controls(Form->ControlCount() - 1));
      ASSERT_NE(shown, nullptr);
      // Keys in the edit box are the edit's.
      backend->PressKey(key);
      EXPECT_FALSE(shown->AbortFlag);
      ::SetFocus(shown->Handle());
      backend->PressKey(key);
    });
    EXPECT_FALSE(EditExpressionInBuilder("", expression, nullptr, nullptr, Form.get())) << key;
    EXPECT_EQ(expression, "") << key;
    EXPECT_EQ(Form->ControlCount(), 0);
  }
}

TEST_F(RpExpBldTest, AnAbortOnAPageEndsOnlyThatPage) {
  AnsiString expression;
  RunModal(expression, [this](TRpExpressionBuilder& b) {
    Then([this, &b] {
      ::SetFocus(b.Handle());
      backend->PressKey(VK_ESCAPE);
    });
    ClickOn(*b.InsertFunctionBtn);
    EXPECT_TRUE(b.MainPage->Visible());
    EXPECT_EQ(b.Expression->Text(), "");
    // The next page still waits for its answer.
    ChooseFunction(b, "Date & time", "DATE");
    ClickOn(*b.InsertFunctionBtn);
    EXPECT_EQ(b.Expression->Text(), "DATE");
    ClickOn(*b.OK);
  });
  EXPECT_EQ(expression, "DATE");
}

TEST_F(RpExpBldTest, ClosingTheWindowCancelsEveryWaitingPage) {
  AnsiString expression = "SUM(1)";
  TRpExpressionBuilder* seen = nullptr;
  int functionResult = -1, mainResult = -1;
  const bool ok = RunModal(expression, [&](TRpExpressionBuilder& b) {
    seen = &b;
    Then([&b] { b.Close(); });
    ClickOn(*b.InsertFunctionBtn);
    functionResult = b.FunctionResult;
    mainResult = b.MainResult;
  });
  EXPECT_EQ(functionResult, rpPageCancelled);
  EXPECT_EQ(mainResult, rpPageCancelled);
  EXPECT_FALSE(ok);
  EXPECT_EQ(expression, "");

  // A confirmed main page stays confirmed; only waiting flags change.
  std::unique_ptr<TRpExpressionBuilder> b(NewForm<TRpExpressionBuilder>(nullptr));
  b->MainResult = rpPageConfirmed;
  b->VariableResult = rpPageConfirmed;
  b->CloseRule();
  EXPECT_EQ(b->MainResult, rpPageConfirmed);
  EXPECT_EQ(b->VariableResult, rpPageConfirmed);
  EXPECT_EQ(b->DataFieldResult, rpPageCancelled);
  EXPECT_EQ(b->FunctionResult, rpPageCancelled);
  EXPECT_EQ(b->FuncParamsResult, rpPageCancelled);
}

TEST_F(RpExpBldTest, ArgumentButtonOpensANestedBuilderInsideThisOne) {
  AnsiString expression;
  AnsiString nestedHeading;
  const bool ok = RunModal(expression, [&](TRpExpressionBuilder& b) {
    ChooseFunction(b, "Other", "COPY");
    Then([&] {
      TControl* edit = b.FuncParamSB->Controls(4);
      edit->SetText("'x'");
      ClickOn(*b.FuncParamSB->Controls(5));  // the second row's "..."
      // Back from the nested builder: the edit holds its text, selected.
      EXPECT_EQ(edit->Text(), "'x' + 'y'");
      EXPECT_TRUE(static_cast<TWinControl*>(edit)->Focused());
      EXPECT_EQ(static_cast<TEdit*>(edit)->SelLength(), 9);
      ClickOn(*b.FuncParamOkBtn);
    });
    Then([&] {
      auto* nested = dynamic_cast<TRpExpressionBuilder*>(b.Controls(b.ControlCount() - 1));
      ASSERT_NE(nested, nullptr);
      EXPECT_TRUE(nested->Embedded());
      EXPECT_EQ(nested->BoundsRect(), Bounds(0, 0, b.Width(), b.Height()));
      EXPECT_EQ(nested->BorderStyle, bsNone);
      nestedHeading = nested->Heading->Caption();
      EXPECT_EQ(nested->Expression->Text(), "'x'");
      EXPECT_EQ(nested->Expression->SelLength(), 3);
      // It lies over the argument page: clicks and keys are its own.
      ClickOn(*nested->Expression);
      EXPECT_TRUE(nested->Expression->Focused());
      backend->PressKey(VK_END);
      backend->Type(" + 'y'");
      ClickOn(*nested->OK);
    });
    ClickOn(*b.InsertFunctionBtn);
    // The nested builder's OK ended only its own loop.
    EXPECT_EQ(b.ModalResult(), mrNone);
    EXPECT_TRUE(b.Visible());
    ClickOn(*b.OK);
  });
  EXPECT_EQ(nestedHeading, "Enter 2. parameter for COPY(<X>, <St>,<Len>)");
  EXPECT_TRUE(ok);
  EXPECT_EQ(expression, "COPY(,'x' + 'y',)");
}

TEST_F(RpExpBldTest, EmbeddedBuilderFillsAtOnceAndConfirms) {
  TTable items(Form.get());
  items.SetName("Items");
  TPanel* host = Add<TPanel>(0, 0, 480, 360);
  AnsiString expression = "2";
  Then([&] {
    auto* b = dynamic_cast<TRpExpressionBuilder*>(host->Controls(host->ControlCount() - 1));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Left(), 0);
    EXPECT_EQ(b->Top(), 0);
    EXPECT_EQ(b->Heading->Caption(), "Type it");
    EXPECT_EQ(ItemsOf(*b->AvailableDatasets), std::vector<AnsiString>{"Items"});
    EXPECT_GT(b->AvailableVariables->Items()->Count(), 0);
    EXPECT_TRUE(b->Expression->Focused());
    backend->Type("3");
    ClickOn(*b->OK);
  });
  EXPECT_TRUE(EditExpressionInBuilder("Type it", expression, Form.get(), nullptr, host));
  EXPECT_EQ(expression, "3");
  // The builder is gone, the host's window still there.
  EXPECT_EQ(host->ControlCount(), 0);
  EXPECT_TRUE(Form->Visible());
}

TEST_F(RpExpBldTest, AllDataSetsWalksChildWindowsAndFormsOnce) {
  TPanel* panel = Add<TPanel>(0, 0, 100, 100);
  TTable onForm(Form.get());
  onForm.SetName("OnForm");
  TTable onPanel(panel);
  onPanel.SetName("OnPanel");
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  TTable onOther(other.get());
  onOther.SetName("OnOther");
  TStringList withoutForms;
  AllDataSets(Form.get(), false, withoutForms);
  EXPECT_EQ(withoutForms.Text(), "OnForm\r\nOnPanel\r\n");
  TStringList withForms;
  AllDataSets(Form.get(), true, withForms);
  EXPECT_EQ(withForms.Count(), 3);
  EXPECT_GE(withForms.IndexOf("OnOther"), 0);
  TStringList none;
  AllDataSets(nullptr, false, none);
  EXPECT_EQ(none.Count(), 0);
}

TEST_F(RpExpBldTest, ModifyVariablesOpensTheEnvironmentEditorOnTheLocalEnvironment) {
  TRpEvEnvironment local;
  local.AddFunction("FIRST", "1");
  AnsiString expression;
  bool editorSawLocal = false, globalAllowed = false;
  RunModal(
      expression,
      [&](TRpExpressionBuilder& b) {
        Then([&] {
          backend->ExpectModal("User Defined Functions Edtor", [&](TCustomForm& f) {
            auto& editor = dynamic_cast<TRpEnvironmentEditor&>(f);
            editorSawLocal = editor.Local == &local;
            globalAllowed = editor.GlobalCB->Enabled();
            local.AddFunction("SECOND", "2");
            ClickOn(*editor.VariableOKBtn);
          });
          ClickOn(*b.ModifyVariables);
          EXPECT_EQ(b.AvailableVariables->Items()->Get(1), "SECOND");
          ClickOn(*b.VariableCancelBtn);
        });
        ClickOn(*b.InsertVariableBtn);
        ClickOn(*b.Cancel);
      },
      &local);
  EXPECT_TRUE(editorSawLocal);
  EXPECT_TRUE(globalAllowed);
}

}  // namespace
