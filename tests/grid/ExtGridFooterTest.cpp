#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGridEditors.h"
#include "grid/ExtGridFooter.h"
#include "platform/gfx/RecordingCanvas.h"
#include "tests/TestOutput.h"

namespace {

class ExtGridFooterTest : public GridFormTest {
 protected:
  // A grid of 4 columns and 5 rows whose cells hold "c<col>r<row>", with a
  // visible footer of the given style.
  TExtStringGrid& FooterGrid(TFooterStyle style) {
    auto& g = MakeGrid<TExtStringGrid>(4, 5);
    for (int c = 0; c < 4; ++c)
      for (int r = 0; r < 5; ++r) g.SetCells(c, r, "c" + std::to_string(c) + "r" + std::to_string(r));
    g.FloatingFooter().SetFooterStyle(style);
    g.FloatingFooter().SetVisible(true);
    Application->ProcessMessages();
    return g;
  }
  static std::vector<std::string> Texts(const TRecordingCanvas& canvas) {
    std::vector<std::string> texts;
    for (const TDrawCall& call : canvas.Calls)
      if (!call.Text.empty()) texts.push_back(call.Text);
    return texts;
  }
  static std::unique_ptr<TRecordingCanvas> Record(TFooterPanel& panel) {
    auto canvas = std::make_unique<TRecordingCanvas>(panel.Width(), panel.Height());
    panel.PaintTo(*canvas, 0, 0);
    return canvas;
  }
  static bool Has(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
};

TEST_F(ExtGridFooterTest, TheStripLiesOverTheGridsBottomAsHighAsTheFooter) {
  auto& g = FooterGrid(fsFixedLastRow);
  TFooterPanel* panel = g.FooterPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->Visible());
  EXPECT_EQ(panel->Height(), g.FloatingFooter().FooterHeight);
  EXPECT_EQ(panel->Top() + panel->Height(), g.ClientHeight());
  EXPECT_EQ(panel->Width(), g.ClientWidth());
  g.FloatingFooter().SetVisible(false);
  EXPECT_FALSE(panel->Visible());
}

// A new default row height is the strip's height too, at once.
TEST_F(ExtGridFooterTest, TheStripTakesANewDefaultRowHeight) {
  auto& g = FooterGrid(fsFixedLastRow);
  g.SetDefaultRowHeight(30);
  TFooterPanel* panel = g.FooterPanel();
  EXPECT_EQ(panel->Height(), 30);
  EXPECT_EQ(panel->Top() + panel->Height(), g.ClientHeight());
}

TEST_F(ExtGridFooterTest, EachStyleDrawsItsOwnContent) {
  struct Case {
    const char* what;
    TFooterStyle style;
    std::vector<std::string> shown, notShown;
  };
  const Case cases[] = {
      {"the last row as fixed cells", fsFixedLastRow, {"c0r4", "c1r4", "c3r4"}, {"c1r2"}},
      {"one column of the current row", fsColumnPreview, {"c2r2"}, {"c0r4", "c1r2"}},
      {"the template filled from the current row", fsCustomPreview, {}, {"c0r4"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = FooterGrid(k.style);
    g.FloatingFooter().SetColumn(2);
    g.FloatingFooter().SetCustomTemplate("Name: <#1> <b><#3></b>");
    g.SetCol(1);
    g.SetRow(2);
    const auto canvas = Record(*g.FooterPanel());
    const auto texts = Texts(*canvas);
    for (const auto& t : k.shown) EXPECT_TRUE(Has(texts, t)) << t;
    for (const auto& t : k.notShown) EXPECT_FALSE(Has(texts, t)) << t;
    if (k.style == fsCustomPreview) {
      const std::string all = canvas->TextDrawn();
      EXPECT_NE(all.find("Name:"), std::string::npos);
      EXPECT_NE(all.find("c1r2"), std::string::npos);
      EXPECT_NE(all.find("c3r2"), std::string::npos);
    }
    if (k.style != fsFixedLastRow) {
      // The strip in the footer colour, and the selection text colour back.
      bool filled = false;
      for (const TDrawCall& call : canvas->CallsOf("FillRect"))
        filled = filled || call.Brush.Color == g.FloatingFooter().Color();
      EXPECT_TRUE(filled);
      EXPECT_EQ(g.SelectionTextColor(), clHighlightText);
    }
  }
}

TEST_F(ExtGridFooterTest, TemplatesTakeTheCurrentRowsColumns) {
  struct Case {
    const char* what;
    const char* tmpl;
    const char* expanded;
  };
  const Case cases[] = {
      {"text then a column", "Total: <#3>", "Total: c3r2"},
      {"two markers and text between", "<#0>-<#1>!", "c0r2-c1r2!"},
      {"no markers", "plain", "plain"},
      {"a marker that reads as no number adds nothing", "a<#x>b", "ab"},
      {"a marker naming no column adds nothing", "a<#9>b<#-1>c", "abc"},
      {"an unclosed marker stays as it is", "a<#1>b<#2", "ac1r2b<#2"},
      {"empty", "", ""},
      {"a lone closing bracket is text", "a>b<#2>", "a>bc2r2"},
  };
  auto& g = FooterGrid(fsCustomPreview);
  g.SetCol(1);
  g.SetRow(2);
  for (const Case& k : cases) EXPECT_EQ(g.FooterPanel()->FooterTemplateExpand(k.tmpl), k.expanded) << k.what;
}

TEST_F(ExtGridFooterTest, OnlyAGridOwnsTheFooterAndTheRichEditor) {
  TForm* owner = form.get();
  MakeGrid<TExtStringGrid>(2, 2);
  owner = form.get();
  EXPECT_EQ(ErrorOf<EInvalidCast>([&] { TFooterPanel panel(owner); }), "Invalid class typecast");
  EXPECT_EQ(ErrorOf<EInvalidCast>([&] { TExtRichEdit edit(owner); }), "Invalid class typecast");
}

class ExtRichEditTest : public ExtGridFooterTest {
 protected:
  TExtStringGrid& RichGrid(int row = 1) {
    auto& g = MakeGrid<TExtStringGrid>(3, 6, 400, 300);
    g.SetOptions(g.Options() + TGridOptions{goEditing});
    g.OnGetEditorType = [](TObject*, int ACol, int, TEditorType& AEditor) {
      if (ACol == 1) AEditor = edRichEdit;
    };
    g.SetCells(1, row, "{\\rtf1\\ansi {\\b bold} text}");
    g.SetCol(1);
    g.SetRow(row);
    g.ShowInplaceEditor();
    Application->ProcessMessages();
    return g;
  }
};

TEST_F(ExtRichEditTest, TheEditorOpensWithTheCellsRichTextAndStoresItBack) {
  auto& g = RichGrid();
  TExtRichEdit* e = g.RichInplaceEditor();
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->Visible());
  EXPECT_EQ(e->Text(), "bold text");
  e->SetSelStart(static_cast<int>(e->Text().size()));
  backend->Type("!");
  g.HideInplaceEditor();
  EXPECT_FALSE(e->Visible());
  EXPECT_NE(g.Cells(1, 1).find("{\\rtf1"), std::string::npos);
  EXPECT_EQ(g.CellPlainText(1, 1, g.Cells(1, 1)), "bold text!");
  EXPECT_TRUE(ShowsBoldRun(g, "bold"));  // shown formatted
}

// The focus going to the grid ends the edit and stores it, unless the
// grid's focus lock holds the editor open.
TEST_F(ExtRichEditTest, TheFocusLockKeepsTheEditorOpenWhenTheGridTakesTheFocus) {
  for (bool lock : {false, true}) {
    SCOPED_TRACE(lock ? "locked" : "not locked");
    auto& g = RichGrid();
    g.FocusLock = lock;
    TExtRichEdit* e = g.RichInplaceEditor();
    ASSERT_TRUE(e->Focused());
    e->SetSelStart(static_cast<int>(e->Text().size()));
    backend->Type("!");
    g.SetFocus();
    Application->ProcessMessages();
    EXPECT_TRUE(g.Focused());
    EXPECT_EQ(e->Visible(), lock);
    EXPECT_EQ(g.EditorActive(), lock);
    EXPECT_EQ(g.CellPlainText(1, 1, g.Cells(1, 1)), lock ? "bold text" : "bold text!");
    g.FocusLock = false;
    g.HideInplaceEditor();
  }
}

TEST_F(ExtRichEditTest, TypingLinesGrowsTheEditorAndTheRowWhileAskedTo) {
  for (bool grow : {false, true}) {
    SCOPED_TRACE(grow ? "SizeWhileTyping.Height on" : "off");
    auto& g = RichGrid();
    g.SizeWhileTyping().Height = grow;
    std::vector<int> sized;
    g.OnEndRowSize = [&](TObject*, int ARow) { sized.push_back(ARow); };
    const int rowHeight = g.RowHeights(1);
    TExtRichEdit* e = g.RichInplaceEditor();
    e->SetSelStart(static_cast<int>(e->Text().size()));
    backend->PressKey(VK_RETURN);
    backend->Type("second");
    backend->PressKey(VK_RETURN);
    backend->Type("third");
    const int h = e->RequestedHeight();
    EXPECT_GT(h, rowHeight) << "the measured text is three lines high";
    if (grow) {
      EXPECT_EQ(g.RowHeights(1), h + 5);
      EXPECT_EQ(e->Height(), h + 4);
      ASSERT_FALSE(sized.empty());
      EXPECT_EQ(sized.back(), 1);
    } else {
      EXPECT_EQ(g.RowHeights(1), rowHeight);
      EXPECT_TRUE(sized.empty());
    }
  }
}

TEST_F(ExtRichEditTest, UpAndDownLeaveTheEditorForTheGrid) {
  struct Case {
    Word key;
    int row;
  };
  for (const Case k : {Case{VK_DOWN, 3}, Case{VK_UP, 1}}) {
    auto& g = RichGrid(2);
    TExtRichEdit* e = g.RichInplaceEditor();
    backend->PressKey(k.key);
    EXPECT_FALSE(e->Visible());
    EXPECT_TRUE(g.Focused());
    EXPECT_EQ(g.Row(), k.row);
  }
}

// An editor link over a plain edit of its own.
class TTestLink : public TEditLink {
 public:
  using TEditLink::TEditLink;
  TWinControl* GetEditControl() override { return edit; }
  void CreateEditor(TWinControl* AParent) override {
    if (!edit) edit = new TEdit(AParent);
    edit->SetParent(AParent);
  }
  void SetFocus(bool) override {}
  void SetRect(const TRect& R) override { edit->SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  void SetVisible(bool Value) override {
    if (edit) edit->SetVisible(Value);
  }
  AnsiString GetEditorValue() override { return edit ? edit->Text() : AnsiString(); }
  void SetEditorValue(const AnsiString& Value) override { edit->SetText(Value); }
  TEdit* edit = nullptr;
};

TEST_F(ExtGridFooterTest, EditLinkGlueWritesTheRealColumnOfTheCurrentCell) {
  for (bool keep : {true, false}) {
    SCOPED_TRACE(keep ? "keeps editing" : "ends the edit");
    auto& g = MakeGrid<TExtStringGrid>(4, 3);
    g.SetOptions(g.Options() + TGridOptions{goEditing});
    g.HideColumn(1);  // displayed column 1 is real column 2
    TTestLink link(form.get());
    g.EditLink = &link;
    g.OnGetEditorType = [](TObject*, int, int, TEditorType& AEditor) { AEditor = edCustom; };
    g.SetCol(1);
    g.SetRow(1);
    g.ShowInplaceEditor();
    ASSERT_NE(link.edit, nullptr);
    link.edit->SetText("typed");
    link.KeepEditingOnExit = keep;
    link.EditLinkExit(link.edit);
    EXPECT_EQ(g.Cells(2, 1), "typed");
    EXPECT_EQ(g.Cells(1, 1), "");
    EXPECT_EQ(g.EditorActive(), keep);
    g.EditLink = nullptr;
  }
}

TEST_F(ExtGridFooterTest, EnterInAnEmbeddedControlRunsItsExit) {
  auto& g = MakeGrid<TExtStringGrid>(2, 2);
  TEdit edit(form.get());
  int exits = 0;
  edit.OnExit = [&](TObject*) { ++exits; };
  for (char key : {'a', '\r'}) g.ControlEnterKey(&edit, key);
  EXPECT_EQ(exits, 1);
}

TEST_F(ExtGridFooterTest, TheFooterLooksRightOnScreen) {
  auto& g = FooterGrid(fsCustomPreview);
  g.FloatingFooter().SetCustomTemplate("Row <b><#0></b>: <#2>");
  g.SetCol(1);
  g.SetRow(2);
  Application->ProcessMessages();
  backend->SaveWindowPng(*form, (TestOutputFolder() / "custom-footer.png").string());
  const TImageCanvas* shot = backend->Render(*form);
  ASSERT_NE(shot, nullptr);
}

}  // namespace
