#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "platform/ui/Application.h"
#include "report/RpEnvEd.h"
#include "report/RpExpBld.h"
#include "tests/TestOutput.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

const char* const kCaption = "User Defined Functions Edtor";

// A local environment of two entries; the editor runs on it, driven by
// each test through the scripted modal answer.
class RpEnvEdTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    RpExprEnsureStarted();
    Local.AddFunction("rate", "0.24");
    Local.AddFunction("Net", "100*RATE");
  }
  void TearDown() override {
    Application->OnIdle = nullptr;
    UiTest::TearDown();
  }
  // Runs the editor; Drive acts in it and should close it.
  void Run(TRpEvEnvironment* local, bool allowGlobal, std::function<void(TRpEnvironmentEditor&)> drive) {
    backend->ExpectModal(kCaption,
                         [drive](TCustomForm& f) { drive(dynamic_cast<TRpEnvironmentEditor&>(f)); });
    ShowEnvironmentEditor(local, allowGlobal);
    EXPECT_EQ(backend->PendingAnswers(), 0);
  }
  void ClickCell(TStringGrid& grid, int col, int row) {
    const TRect r = grid.CellRect(col, row);
    backend->Click(grid, r.Left + 4, r.Top + 4);
  }
  void ClickButton(TControl& button) { backend->Click(button, 5, 5); }
  static std::vector<AnsiString> Column(TStringGrid& grid, int col) {
    std::vector<AnsiString> cells;
    for (int row = 0; row < grid.RowCount(); ++row) cells.push_back(grid.Cells(col, row));
    return cells;
  }
  // The first idle moment of the next wait runs Step once.
  void OnNextIdle(std::function<void()> step) {
    Application->OnIdle = [step](TObject*, bool& done) {
      const std::function<void()> now = step;
      Application->OnIdle = nullptr;
      now();
      done = false;
    };
  }
  static int ZOrder(TControl& control) {
    TWinControl* parent = control.Parent();
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (parent->Controls(i) == &control) return i;
    return -1;
  }
  // The builder embedded in the editor (nullptr when none shows).
  static TRpExpressionBuilder* EmbeddedBuilder(TRpEnvironmentEditor& e) {
    for (int i = 0; i < e.ControlCount(); ++i)
      if (auto* builder = dynamic_cast<TRpExpressionBuilder*>(e.Controls(i))) return builder;
    return nullptr;
  }
  // In the builder that shows next: checks its heading and text, types
  // Text in place of its text and confirms or cancels. A builder opened by
  // a press of the mouse first sees the button let go (at Released).
  void AnswerBuilder(TRpEnvironmentEditor& e, const AnsiString& heading, const AnsiString& shown,
                     const AnsiString& text, bool confirm, TControl* released = nullptr, TPoint at = {}) {
    OnNextIdle([=, this, &e] {
      if (released != nullptr) backend->ReleaseMouse(*released, at.X, at.Y);
      TRpExpressionBuilder* builder = EmbeddedBuilder(e);
      ASSERT_NE(builder, nullptr);
      EXPECT_EQ(builder->Heading->Caption(), heading);
      EXPECT_EQ(builder->Expression->Text(), shown);
      EXPECT_EQ(builder->LocalEnv, &Local);
      EXPECT_EQ(builder->Left(), 0);
      EXPECT_EQ(builder->Top(), 0);
      backend->Click(*builder->Expression, 5, 5);
      builder->Expression->SelectAll();
      backend->Type(text);
      ClickButton(confirm ? *builder->OK : *builder->Cancel);
    });
  }
  TRpEvEnvironment Local;
};

TEST_F(RpEnvEdTest, EnvironmentsOnOfferAndTheirButtons) {
  struct Row {
    bool withLocal, allowGlobal;
    bool localEnabled, globalEnabled, localChecked;
  };
  const Row rows[] = {
      {true, true, true, true, true},
      {true, false, true, false, true},
      {false, true, false, true, false},
      {false, false, false, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "local " << row.withLocal << " global " << row.allowGlobal);
    Run(row.withLocal ? &Local : nullptr, row.allowGlobal, [&](TRpEnvironmentEditor& e) {
      EXPECT_EQ(e.LocalCB->Enabled(), row.localEnabled);
      EXPECT_EQ(e.GlobalCB->Enabled(), row.globalEnabled);
      EXPECT_EQ(e.LocalCB->Checked(), row.localChecked);
      EXPECT_EQ(e.GlobalCB->Checked(), !row.localChecked);
      EXPECT_EQ(e.UDFGrid->Cells(0, 0), "Name");
      EXPECT_EQ(e.UDFGrid->Cells(1, 0), "Expression");
      EXPECT_EQ(e.UDFGrid->FixedRows(), 1);
      if (row.withLocal) {
        EXPECT_EQ(Column(*e.UDFGrid, 0), (std::vector<AnsiString>{"Name", "RATE", "NET"}));
        EXPECT_EQ(Column(*e.UDFGrid, 1), (std::vector<AnsiString>{"Expression", "0.24", "100*RATE"}));
      } else {
        EXPECT_EQ(e.UDFGrid->RowCount(), RpGlobalEnvironment->Count() + 1);
        EXPECT_EQ(e.UDFGrid->Cells(0, 1), RpGlobalEnvironment->Get(0));
      }
      EXPECT_EQ(e.VariableOKBtn->Caption(), "Close");
      ClickButton(*e.VariableOKBtn);
      EXPECT_TRUE(e.Closed);
    });
  }
}

TEST_F(RpEnvEdTest, RadioButtonsSwitchTheList) {
  Run(&Local, true, [&](TRpEnvironmentEditor& e) {
    ClickButton(*e.GlobalCB);
    EXPECT_EQ(e.Current(), RpGlobalEnvironment);
    ASSERT_EQ(e.UDFGrid->RowCount(), RpGlobalEnvironment->Count() + 1);
    for (int i = 0; i < RpGlobalEnvironment->Count(); ++i) {
      EXPECT_EQ(e.UDFGrid->Cells(0, i + 1), RpGlobalEnvironment->Get(i));
      EXPECT_EQ(e.UDFGrid->Cells(1, i + 1), RpGlobalEnvironment->Entry(i)->Expression);
    }
    ClickButton(*e.LocalCB);
    EXPECT_EQ(e.Current(), &Local);
    EXPECT_EQ(Column(*e.UDFGrid, 0), (std::vector<AnsiString>{"Name", "RATE", "NET"}));
    e.Close();  // the window's own close request
  });
}

TEST_F(RpEnvEdTest, RenamingStoresTheUpperCasedName) {
  struct Row {
    AnsiString typed, stored;
  };
  for (const Row& row : {Row{"gross", "GROSS"}, Row{"καθαρό"_a, "ΚΑΘΑΡΌ"_a}}) {
    SCOPED_TRACE(cp1253::ToUtf8(row.typed));
    Run(&Local, true, [&](TRpEnvironmentEditor& e) {
      ClickCell(*e.UDFGrid, 0, 2);
      backend->PressKey(VK_F2);
      e.UDFGrid->InplaceEditor()->SelectAll();
      backend->Type(row.typed);
      EXPECT_EQ(Local.Get(1), row.stored);
      backend->PressKey(VK_RETURN);
      EXPECT_EQ(Local.Get(0), "RATE");
      EXPECT_EQ(Local.Entry(1)->Expression, "100*RATE");
      ClickButton(*e.VariableOKBtn);
    });
    EXPECT_EQ(Local.IndexOf(row.stored), 1);
  }
}

TEST_F(RpEnvEdTest, ExpressionCellReplacesTheEntryOrSnapsBackWhilePrepared) {
  Run(&Local, true, [&](TRpEnvironmentEditor& e) {
    ClickCell(*e.UDFGrid, 1, 1);
    backend->PressKey(VK_F2);
    e.UDFGrid->InplaceEditor()->SelectAll();
    backend->Type("0.13");
    backend->PressKey(VK_RETURN);
    EXPECT_EQ(Local.Entry(0)->Expression, "0.13");

    Local.Prepare();
    ClickCell(*e.UDFGrid, 1, 2);
    backend->PressKey(VK_F2);
    backend->Type("+1");
    EXPECT_EQ(Local.Entry(1)->Expression, "100*RATE");
    EXPECT_EQ(e.UDFGrid->Cells(1, 2), "100*RATE");
    EXPECT_EQ(e.UDFGrid->InplaceEditor()->Text(), "100*RATE");
    backend->PressKey(VK_RETURN);
    EXPECT_EQ(e.UDFGrid->Cells(1, 2), "100*RATE");
    Local.Unprepare();
    ClickButton(*e.VariableOKBtn);
  });
  EXPECT_EQ(Local.Entry(0)->Expression, "0.13");
}

TEST_F(RpEnvEdTest, AddWithOkAddsTheEntryAndCancelAddsNothing) {
  struct Row {
    bool ok;
    int count;
  };
  for (const Row& row : {Row{false, 2}, Row{true, 3}}) {
    SCOPED_TRACE(row.ok ? "OK" : "Cancel");
    Run(&Local, true, [&](TRpEnvironmentEditor& e) {
      EXPECT_GT(ZOrder(*e.ListGroup), ZOrder(*e.NewEntryGroup));
      OnNextIdle([&] {
        // The group waits in front with the list's buttons hidden.
        EXPECT_GT(ZOrder(*e.NewEntryGroup), ZOrder(*e.ListGroup));
        for (TControl* b : {e.AddBtn, e.EditBtn, e.DeleteBtn, e.VariableOKBtn}) EXPECT_FALSE(b->Visible());
        backend->Click(*e.Name, 3, 3);
        backend->Type("tax");
        backend->Click(*e.Expression, 3, 3);
        backend->Type("NET*0.1");
        ClickButton(row.ok ? *e.NewOKBtn : *e.NewCancelBtn);
      });
      ClickButton(*e.AddBtn);
      EXPECT_EQ(e.NewResult, row.ok ? 1 : 2);
      EXPECT_GT(ZOrder(*e.ListGroup), ZOrder(*e.NewEntryGroup));
      for (TControl* b : {e.AddBtn, e.EditBtn, e.DeleteBtn, e.VariableOKBtn}) EXPECT_TRUE(b->Visible());
      EXPECT_EQ(e.UDFGrid->RowCount(), row.count + 1);
      ClickButton(*e.VariableOKBtn);
    });
    ASSERT_EQ(Local.Count(), row.count);
    if (row.ok) {
      EXPECT_EQ(Local.Get(2), "TAX");
      EXPECT_EQ(Local.Entry(2)->Expression, "NET*0.1");
    }
  }
}

// Closing the window while a new entry waits ends the wait as Cancel.
TEST_F(RpEnvEdTest, ClosingWhileAddingCancelsTheEntry) {
  Run(&Local, true, [&](TRpEnvironmentEditor& e) {
    OnNextIdle([&] {
      backend->Click(*e.Name, 3, 3);
      backend->Type("lost");
      e.Close();
    });
    ClickButton(*e.AddBtn);
    EXPECT_EQ(e.NewResult, 2);
  });
  EXPECT_EQ(Local.Count(), 2);
}

// Edit, and a double click on the grid, open the builder on the current
// row; a confirmed text goes to the cell and the entry, a cancelled one
// changes nothing.
TEST_F(RpEnvEdTest, EditInTheBuilderConfirmedAndCancelled) {
  Run(&Local, true, [&](TRpEnvironmentEditor& e) {
    ClickCell(*e.UDFGrid, 0, 1);
    AnswerBuilder(e, "RATE", "0.24", "0.3", true);
    ClickButton(*e.EditBtn);
    EXPECT_EQ(EmbeddedBuilder(e), nullptr);
    EXPECT_EQ(e.UDFGrid->Cells(1, 1), "0.3");
    EXPECT_EQ(Local.Entry(0)->Expression, "0.3");

    AnswerBuilder(e, "RATE", "0.3", "999", false);
    ClickButton(*e.EditBtn);
    EXPECT_EQ(e.UDFGrid->Cells(1, 1), "0.3");
    EXPECT_EQ(Local.Entry(0)->Expression, "0.3");

    const TRect cell = e.UDFGrid->CellRect(1, 2);
    const TPoint at{cell.Left + 4, cell.Top + 4};
    AnswerBuilder(e, "NET", "100*RATE", "200*RATE", true, e.UDFGrid, at);
    backend->DoubleClick(*e.UDFGrid, at.X, at.Y);
    EXPECT_EQ(Local.Entry(1)->Expression, "200*RATE");
    ClickButton(*e.VariableOKBtn);
  });
}

// The "..." of a new entry builds its expression, headed by its name.
TEST_F(RpEnvEdTest, NewEntryExpressionFromTheBuilder) {
  Run(&Local, true, [&](TRpEnvironmentEditor& e) {
    OnNextIdle([&] {
      backend->Click(*e.Name, 3, 3);
      backend->Type("half");
      AnswerBuilder(e, "half", "", "NET/2", true);
      ClickButton(*e.SpeedButton1);
      EXPECT_EQ(e.Expression->Text(), "NET/2");
      ClickButton(*e.NewOKBtn);
    });
    ClickButton(*e.AddBtn);
    ClickButton(*e.VariableOKBtn);
  });
  ASSERT_EQ(Local.Count(), 3);
  EXPECT_EQ(Local.Get(2), "HALF");
  EXPECT_EQ(Local.Entry(2)->Expression, "NET/2");
}

TEST_F(RpEnvEdTest, DeleteDoesNothing) {
  Run(&Local, true, [&](TRpEnvironmentEditor& e) {
    ClickCell(*e.UDFGrid, 0, 1);
    ClickButton(*e.DeleteBtn);
    EXPECT_EQ(e.UDFGrid->RowCount(), 3);
    ClickButton(*e.VariableOKBtn);
  });
  EXPECT_EQ(Local.Count(), 2);
}

// An empty list keeps its heading fixed and takes no typing; an entry
// added to it makes its row editable.
TEST_F(RpEnvEdTest, EmptyListKeepsItsHeading) {
  TRpEvEnvironment empty;
  Run(&empty, false, [&](TRpEnvironmentEditor& e) {
    EXPECT_EQ(e.UDFGrid->RowCount(), 2);
    EXPECT_EQ(e.UDFGrid->FixedRows(), 1);
    EXPECT_FALSE(e.UDFGrid->Options().Contains(goEditing));
    ClickCell(*e.UDFGrid, 0, 1);
    backend->Type("x");
    EXPECT_EQ(e.UDFGrid->Cells(0, 1), "");
    EXPECT_EQ(empty.Count(), 0);
    OnNextIdle([&] {
      backend->Click(*e.Name, 3, 3);
      backend->Type("first");
      ClickButton(*e.NewOKBtn);
    });
    ClickButton(*e.AddBtn);
    EXPECT_EQ(e.UDFGrid->RowCount(), 2);
    EXPECT_EQ(e.UDFGrid->FixedRows(), 1);
    EXPECT_TRUE(e.UDFGrid->Options().Contains(goEditing));
    EXPECT_EQ(e.UDFGrid->Cells(0, 1), "FIRST");
    ClickButton(*e.VariableOKBtn);
  });
  EXPECT_EQ(empty.Count(), 1);
}

TEST_F(RpEnvEdTest, DialogPicturedHeadless) {
  const std::string list = TestOutput("environment_list.png");
  const std::string entry = TestOutput("environment_new_entry.png");
  Run(&Local, true, [&](TRpEnvironmentEditor& e) {
    backend->SaveWindowPng(e, list);
    OnNextIdle([&] {
      backend->SaveWindowPng(e, entry);
      ClickButton(*e.NewCancelBtn);
    });
    ClickButton(*e.AddBtn);
    ClickButton(*e.VariableOKBtn);
  });
  EXPECT_TRUE(std::filesystem::exists(list));
  EXPECT_TRUE(std::filesystem::exists(entry));
}

}  // namespace
