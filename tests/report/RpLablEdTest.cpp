#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/ui/Application.h"
#include "report/RpExpBld.h"
#include "report/RpExprEd.h"
#include "tests/TestOutput.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

// A text and an expression control on a form of their own, in millimetres.
class RpLablEdTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    SetRpMeasureInInches(false);
    Holder.reset(NewForm<TForm>(nullptr));
    Holder->SetCaption("Holder");
    Holder->SetBounds(0, 0, 600, 400);
    Label = new TRpLabel(Holder.get());
    Label->SetParent(Holder.get());
    Label->SetCaption("Total");
    Expr = new TRpExpr(Holder.get());
    Expr->SetParent(Holder.get());
    Expr->SetExpression("2+3");
    Expr->SetMask("#,##0.00");
    for (TRpCustomLabel* c : {static_cast<TRpCustomLabel*>(Label), static_cast<TRpCustomLabel*>(Expr)}) {
      c->Size()->SetValue(TRpPrintableSize::iWidth, 40);
      c->Size()->SetValue(TRpPrintableSize::iHeight, 5);
      c->AutoSize = false;
      c->SetAutoStretch(false);
      c->SetTransparent(true);
    }
  }
  void TearDown() override {
    Holder.reset();
    UiTest::TearDown();
  }
  static std::unique_ptr<TRpPrintableEditor> EditorOf(TRpPrintable& control) {
    TRpPrintableEditorClass make = control.GetEditorClass();
    return make ? make(&control) : nullptr;
  }
  // Replaces a field's text as the user does: focus, select all, type.
  void Retype(TCustomEdit& field, const AnsiString& text) {
    backend->Click(field, 3, 3);
    field.SelectAll();
    backend->PressKey(VK_DELETE);
    backend->Type(text);
  }
  std::unique_ptr<TForm> Holder;
  TRpLabel* Label = nullptr;
  TRpExpr* Expr = nullptr;
};

Extended WidthOf(TRpPrintable& c) { return c.Size()->GetValue(TRpPrintableSize::iWidth); }
Extended HeightOf(TRpPrintable& c) { return c.Size()->GetValue(TRpPrintableSize::iHeight); }

TEST_F(RpLablEdTest, EditorsAnswerForTheirControls) {
  struct Row {
    TRpCustomLabel* control;
    const std::type_info& controlClass;
    const char* kind;
    const char* description;
    const char* text;
    std::function<AnsiString()> stored;
  };
  const Row rows[] = {
      {Label, typeid(TRpLabel), "RPLABEL", "Text Control", "Total", [this] { return Label->Caption(); }},
      {Expr, typeid(TRpExpr), "RPEXPR", "Expression Control", "2+3", [this] { return Expr->Expression(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.kind);
    std::unique_ptr<TRpPrintableEditor> editor = EditorOf(*row.control);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Control, row.control);
    EXPECT_TRUE(editor->GetControlClass() == row.controlClass);
    EXPECT_EQ(editor->GetKindName(), row.kind);
    EXPECT_EQ(editor->GetDescription(), row.description);
    EXPECT_EQ(editor->GetText(), row.text);
    editor->SetText("NEW");
    EXPECT_EQ(row.stored(), "NEW");
    EXPECT_EQ(editor->GetText(), "NEW");
    editor->SetColor(clYellow);
    EXPECT_EQ(row.control->Color(), clYellow);
    EXPECT_EQ(editor->GetColor(), clYellow);
    editor->SetAlignment(taRightJustify);
    EXPECT_EQ(row.control->Alignment(), taRightJustify);
    EXPECT_EQ(editor->GetAlignment(), taRightJustify);
    TFont font;
    font.Name = "Courier New";
    font.SetSize(14);
    editor->SetFont(font);
    EXPECT_EQ(editor->GetFont(), &row.control->Font());
    EXPECT_EQ(row.control->Font().Name, "Courier New");
    EXPECT_EQ(row.control->Font().Size(), 14);
  }
  // The other text controls have no editor of their own.
  TRpMemo memo(Holder.get());
  EXPECT_EQ(EditorOf(memo), nullptr);
}

TEST_F(RpLablEdTest, ConfirmedTextSettingsAreStored) {
  std::unique_ptr<TRpPrintableEditor> editor = EditorOf(*Label);
  backend->ExpectModal("Text Settings", [&](TCustomForm& f) {
    auto& form = dynamic_cast<TRpLabelEditorForm&>(f);
    EXPECT_EQ(form.Value->Text(), "Total");
    EXPECT_EQ(form.Width->Text(), "40");
    EXPECT_EQ(form.Height->Text(), "5");
    EXPECT_EQ(form.Width->EditMask(), "9999");
    EXPECT_EQ(form.Width->MaxLength(), 4);
    EXPECT_FALSE(form.AutoSize->Checked());
    EXPECT_FALSE(form.Stretch->Checked());
    EXPECT_TRUE(form.Transparent->Checked());
    Retype(*form.Value, "Grand total");
    Retype(*form.Width, "55");
    Retype(*form.Height, "12");
    backend->Click(*form.AutoSize, 3, 3);
    backend->Click(*form.Stretch, 3, 3);
    backend->Click(*form.Transparent, 3, 3);
    backend->PressKey(VK_RETURN);  // the default button
  });
  EXPECT_TRUE(editor->Edit());
  EXPECT_EQ(Label->Caption(), "Grand total");
  EXPECT_DOUBLE_EQ(static_cast<double>(WidthOf(*Label)), 55);
  EXPECT_DOUBLE_EQ(static_cast<double>(HeightOf(*Label)), 12);
  EXPECT_TRUE(Label->AutoSize);
  EXPECT_TRUE(Label->AutoStretch());
  EXPECT_FALSE(Label->Transparent());
  EXPECT_EQ(backend->PendingAnswers(), 0);
}

TEST_F(RpLablEdTest, CancelledTextSettingsChangeNothing) {
  std::unique_ptr<TRpPrintableEditor> editor = EditorOf(*Label);
  backend->ExpectModal("Text Settings", [&](TCustomForm& f) {
    auto& form = dynamic_cast<TRpLabelEditorForm&>(f);
    Retype(*form.Value, "Other");
    Retype(*form.Width, "99");
    backend->Click(*form.AutoSize, 3, 3);
    backend->Click(*form.Cancel, 5, 5);
  });
  EXPECT_FALSE(editor->Edit());
  EXPECT_EQ(Label->Caption(), "Total");
  EXPECT_DOUBLE_EQ(static_cast<double>(WidthOf(*Label)), 40);
  EXPECT_FALSE(Label->AutoSize);
}

// A width or height that is blank or no number is told and stores
// nothing; the window stays open for a correction.
TEST_F(RpLablEdTest, SizeThatIsNoNumberIsToldAndStoresNothing) {
  struct Row {
    const char* field;
    const char* text;
  };
  // "1 3": the middle digit of 123 cleared, which leaves its place blank.
  for (const Row& row : {Row{"Width", ""}, Row{"Height", ""}, Row{"Width", "1 3"}}) {
    SCOPED_TRACE(std::string(row.field) + " '" + row.text + "'");
    std::unique_ptr<TRpPrintableEditor> editor = EditorOf(*Label);
    backend->ExpectModal("Text Settings", [&](TCustomForm& f) {
      auto& form = dynamic_cast<TRpLabelEditorForm&>(f);
      Retype(*form.Value, "Changed");
      TMaskEdit& field = Found<TMaskEdit>(form, row.field);
      if (row.text[0] == 0) {
        Retype(field, "");
      } else {
        Retype(field, "123");
        backend->PressKey(VK_HOME);
        backend->PressKey(VK_RIGHT);
        backend->PressKey(VK_DELETE);
      }
      EXPECT_EQ(field.Text(), row.text);
      backend->ExpectMessageBox("is not a valid floating point value", IDOK);
      backend->Click(*form.OK, 5, 5);
      EXPECT_EQ(form.ModalResult(), mrNone);
      EXPECT_TRUE(field.Focused());
      backend->Type("7");
      EXPECT_EQ(field.Text(), "7") << "the field takes a correction";
      backend->Click(*form.Cancel, 5, 5);
    });
    EXPECT_FALSE(editor->Edit());
    EXPECT_EQ(Label->Caption(), "Total");
    EXPECT_DOUBLE_EQ(static_cast<double>(WidthOf(*Label)), 40);
    EXPECT_DOUBLE_EQ(static_cast<double>(HeightOf(*Label)), 5);
    ASSERT_FALSE(backend->MessageBoxes.empty());
    EXPECT_EQ(backend->PendingAnswers(), 0);
  }
}

// The four-digit fields show whole numbers; a size with a fraction is not
// cut to the whole number by confirming the window with the field as shown.
TEST_F(RpLablEdTest, FractionalSizeSurvivesAnUntouchedField) {
  Label->Size()->SetValue(TRpPrintableSize::iWidth, 25.4);
  Label->Size()->SetValue(TRpPrintableSize::iHeight, 4.5);
  const Extended width = WidthOf(*Label);
  std::unique_ptr<TRpPrintableEditor> editor = EditorOf(*Label);
  backend->ExpectModal("Text Settings", [&](TCustomForm& f) {
    auto& form = dynamic_cast<TRpLabelEditorForm&>(f);
    EXPECT_EQ(form.Width->Text(), "25");
    EXPECT_EQ(form.Height->Text(), "4");  // halves to even
    Retype(*form.Height, "6");
    backend->Click(*form.OK, 5, 5);
  });
  EXPECT_TRUE(editor->Edit());
  EXPECT_EQ(WidthOf(*Label), width);
  EXPECT_DOUBLE_EQ(static_cast<double>(HeightOf(*Label)), 6);
}

TEST_F(RpLablEdTest, ExpressionSettingsStoreExpressionAndMask) {
  std::unique_ptr<TRpPrintableEditor> editor = EditorOf(*Expr);
  backend->ExpectModal("Expression settings", [&](TCustomForm& f) {
    auto& form = dynamic_cast<TRpExprEditorForm&>(f);
    EXPECT_EQ(form.Value->Text(), "2+3");
    EXPECT_EQ(form.Mask->Text(), "#,##0.00");
    EXPECT_EQ(form.ControlForm, Holder.get());
    Retype(*form.Value, "2*3");
    backend->Click(*form.Mask, 5, 5);
    form.Mask->SetText("");
    backend->Type("0.0");
    backend->Click(*form.Stretch, 3, 3);
    backend->Click(*form.OK, 5, 5);
  });
  EXPECT_TRUE(editor->Edit());
  EXPECT_EQ(Expr->Expression(), "2*3");
  EXPECT_EQ(Expr->Mask(), "0.0");
  EXPECT_TRUE(Expr->AutoStretch());

  backend->ExpectModal("Expression settings", [&](TCustomForm& f) {
    auto& form = dynamic_cast<TRpExprEditorForm&>(f);
    Retype(*form.Value, "7");
    form.Mask->SetText("");
    backend->PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(editor->Edit());
  EXPECT_EQ(Expr->Expression(), "2*3");
  EXPECT_EQ(Expr->Mask(), "0.0");
}

// The "..." button runs the builder as a window of its own on the
// expression, with the data sets of the form that holds the control.
TEST_F(RpLablEdTest, ExpressionFromTheBuilderConfirmedAndCancelled) {
  std::unique_ptr<TRpPrintableEditor> editor = EditorOf(*Expr);
  backend->ExpectModal("Expression settings", [&](TCustomForm& f) {
    auto& form = dynamic_cast<TRpExprEditorForm&>(f);
    struct Row {
      const char* typed;
      bool confirm;
      const char* after;
    };
    for (const Row& row : {Row{"4*5", true, "4*5"}, Row{"6*7", false, "4*5"}}) {
      SCOPED_TRACE(row.typed);
      const AnsiString before = form.Value->Text();
      backend->ExpectModal("Expression Builder", [&](TCustomForm& b) {
        auto& builder = dynamic_cast<TRpExpressionBuilder&>(b);
        EXPECT_EQ(builder.Form, Holder.get());
        EXPECT_EQ(builder.LocalEnv, nullptr);
        EXPECT_EQ(builder.Parent(), nullptr);
        EXPECT_EQ(builder.Expression->Text(), before);
        backend->Click(*builder.Expression, 5, 5);
        builder.Expression->SelectAll();
        backend->Type(row.typed);
        backend->Click(row.confirm ? *builder.OK : *builder.Cancel, 5, 5);
      });
      backend->Click(*form.ExprBuilderBtn, 5, 5);
      EXPECT_EQ(form.Value->Text(), row.after);
    }
    backend->Click(*form.OK, 5, 5);
  });
  EXPECT_TRUE(editor->Edit());
  EXPECT_EQ(Expr->Expression(), "4*5");
}

TEST_F(RpLablEdTest, DialogsPicturedHeadless) {
  for (TRpCustomLabel* control : {static_cast<TRpCustomLabel*>(Label), static_cast<TRpCustomLabel*>(Expr)}) {
    std::unique_ptr<TRpPrintableEditor> editor = EditorOf(*control);
    const std::string file = TestOutput(std::string(editor->GetKindName()) + ".png");
    backend->ExpectModal("", [&](TCustomForm& f) {
      backend->SaveWindowPng(f, file);
      f.SetModalResult(2);
    });
    EXPECT_FALSE(editor->Edit());
    EXPECT_TRUE(std::filesystem::exists(file));
  }
}

}  // namespace
