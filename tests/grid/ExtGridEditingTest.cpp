#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/ExtGridEditors.h"
#include "grid/ExtInplaceEdit.h"
#include "grid/PictureContainer.h"
#include "grid/esgcheck.h"
#include "platform/gfx/Bitmap.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Input.h"

namespace {

class ExtGridEditingTest : public GridFormTest {
 protected:
  void SetUp() override {
    GridFormTest::SetUp();
    ui::ResetClipboard();
  }
  void TearDown() override {
    ui::ResetClipboard();
    GridFormTest::TearDown();
  }
  // An editable grid of 4 x 5 whose cells of column 1 are edited with Type.
  TExtStringGrid& Editable(TEditorType type = edNormal, int cols = 4, int rows = 5) {
    auto& g = MakeGrid<TExtStringGrid>(cols, rows);
    g.SetOptions(g.Options() + TGridOptions{goEditing});
    g.OnGetEditorType = [type](TObject*, int, int, TEditorType& e) { e = type; };
    g.SetFocus();
    Application->ProcessMessages();
    return g;
  }
  // Opens the editor on (c, r) with F2.
  void Open(TExtStringGrid& g, int c, int r) {
    g.SetCol(c);
    g.SetRow(r);
    backend->PressKey(VK_F2);
    Application->ProcessMessages();
  }
  TExtInplaceEdit& Editor(TExtStringGrid& g) { return *g.ExtInplaceEditor(); }
  void Key(Word vk, TShiftState shift = {}) {
    backend->PressKey(vk, shift);
    Application->ProcessMessages();
  }
};

TEST_F(ExtGridEditingTest, FiltersOfTheTextEditorTypes) {
  struct Case {
    TEditorType type;
    const char* cell;
    int selStart, selLength;
    const char* typed;
    const char* result;
    int beeps;
  };
  const Case cases[] = {
      {edNumeric, "12", 1, 0, "-", "12", 1},    // "-" only at the start
      {edNumeric, "12", 0, 0, "-", "-12", 0},   // accepted once
      {edNumeric, "-12", 0, 0, "-", "-12", 1},  // not twice
      {edNumeric, "1", 1, 0, "a.5", "15", 2},   // letters and dots beep
      {edPositiveNumeric, "", 0, 0, "-7x", "7", 2},
      {edFloat, "3.5", 3, 0, ",", "3.5", 0},  // a second separator is dropped silently
      {edFloat, "3.5", 1, 2, ",", "3,", 0},   // unless the selection holds the first
      {edFloat, "3", 1, 0, "-", "3", 1},      // "-" beeps away from the start
      {edFloat, "-3", 0, 1, "-", "-3", 0},    // the selection holds it
      {edFloat, "3", 1, 0, "x", "3", 0},      // others dropped silently
      {edCapital, "", 0, 0, "ab", "AB", 0},
      {edUpperCase, "", 0, 0, "a1", "A1", 0},
      {edLowerCase, "", 0, 0, "AbC", "abc", 0},
      {edMixedCase, "", 0, 0, "new york", "New York", 0},
      {edNormal, "", 0, 0, "a-.", "a-.", 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.cell) + " typed " + k.typed);
    auto& g = Editable(k.type);
    g.SetCellText(1, 1, k.cell);
    Open(g, 1, 1);
    ASSERT_TRUE(Editor(g).Visible());
    Editor(g).SetSelStart(k.selStart);
    Editor(g).SetSelLength(k.selLength);
    backend->Beeps.clear();
    backend->Type(k.typed);
    EXPECT_EQ(Editor(g).Text(), k.result);
    EXPECT_EQ(g.GetCellText(1, 1), k.result);
    EXPECT_EQ(static_cast<int>(backend->Beeps.size()), k.beeps);
  }
}

TEST_F(ExtGridEditingTest, LengthLimitDropsCharactersButNotBackspace) {
  for (bool advance : {false, true}) {
    auto& g = Editable();
    g.SetMaxEditLength(4);
    g.Navigation().AdvanceOnEnter = advance;
    g.SetCellText(1, 1, "abcd");
    Open(g, 1, 1);
    Editor(g).SetSelStart(4);
    Editor(g).SetSelLength(0);
    backend->Type("e");
    EXPECT_EQ(Editor(g).Text(), "abcd");
    EXPECT_TRUE(backend->Beeps.empty());
    Key(VK_BACK);
    EXPECT_EQ(g.GetCellText(1, 1), "abc");
    backend->Type("xy");
    EXPECT_EQ(g.GetCellText(1, 1), "abcx");
    Key(VK_RETURN);
    // Enter passes the full editor only with AdvanceOnEnter, which moves on.
    EXPECT_EQ(g.Row() == 2 || g.Col() == 2, advance);
  }
}

TEST_F(ExtGridEditingTest, CompletionFromTheLookupItemsKeepsWhatWasTyped) {
  auto& g = Editable();
  g.Lookup = true;
  g.LookupItems().Add("Athens");
  g.LookupItems().Add("Arta");
  Open(g, 1, 1);
  backend->Type("a");
  EXPECT_EQ(Editor(g).Text(), "athens");
  EXPECT_EQ(Editor(g).SelText(), "thens");
  backend->Type("r");
  EXPECT_EQ(Editor(g).Text(), "arta");
  EXPECT_EQ(Editor(g).SelText(), "ta");
  Key(VK_BACK);
  EXPECT_EQ(Editor(g).Text(), "ar");
}

TEST_F(ExtGridEditingTest, PasteHonoursTypeLimitAndEvents) {
  struct Case {
    TEditorType type;
    int limit;
    const char* cell;
    const char* clip;
    bool allow;
    const char* result;
  };
  const Case cases[] = {
      {edNumeric, 0, "", "12a", true, ""},  // no integer: refused
      {edNumeric, 0, "", "12", true, "12"},   {edFloat, 0, "", "1,5", true, "1,5"},
      {edUpperCase, 0, "", "ab", true, "AB"}, {edNormal, 3, "", "abcd", true, ""},  // longer than the limit
      {edNormal, 3, "ab", "cd", true, "ab"},  // the result over the limit
      {edNormal, 0, "", "text", false, ""},   // refused by the event
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.clip));
    auto& g = Editable(k.type);
    g.SetMaxEditLength(k.limit);
    g.SetCellText(1, 1, k.cell);
    g.OnClipboardPaste = [&k](TObject*, bool& allow) { allow = k.allow; };
    Open(g, 1, 1);
    Editor(g).SetSelStart(static_cast<int>(std::string(k.cell).size()));
    Clipboard()->SetAsText(k.clip);
    Editor(g).Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(Editor(g).Text(), k.result);
  }
}

TEST_F(ExtGridEditingTest, EscapeBringsBackTheTextEditingBeganWith) {
  auto& g = Editable();
  g.SetCellText(1, 1, "old");
  Open(g, 1, 1);
  backend->Type("new");
  EXPECT_EQ(g.GetCellText(1, 1), "oldnew");
  Key(VK_ESCAPE);
  EXPECT_EQ(g.GetCellText(1, 1), "old");
}

TEST_F(ExtGridEditingTest, ARightJustifiedCellIsTypedIntoFromTheRight) {
  auto& g = Editable();
  g.SetColWidths(1, 120);
  g.OnGetAlignment = [](TObject*, int, int c, TAlignment& h, TVAlignment&) {
    if (c == 1) h = taRightJustify;
  };
  g.SetCellText(1, 1, "12");
  g.SetCellText(2, 1, "12");
  Open(g, 1, 1);
  const TExtInplaceEdit& e = Editor(g);
  EXPECT_EQ(e.Alignment(), taRightJustify);
  EXPECT_GT(e.PosFromChar(0).X, 60);
  g.HideCellEditor();
  Open(g, 2, 1);
  EXPECT_EQ(Editor(g).Alignment(), taLeftJustify);
}

// The text being typed stands 2 pixels in from the cell's left and top
// edges, as the cell shows it, however the cell is aligned: from the
// moment the editor opens and after the cell changes size under it.
TEST_F(ExtGridEditingTest, TheEditorsTextStandsAtTheCellsMargins) {
  const struct {
    const char* what;
    TVAlignment align;
  } cases[] = {{"top", vtaTop}, {"centre", vtaCenter}, {"bottom", vtaBottom}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = Editable();
    g.SetRowHeights(1, 60);
    g.OnGetAlignment = [&](TObject*, int, int, TAlignment&, TVAlignment& v) { v = k.align; };
    g.SetCellText(1, 1, "ab");
    Open(g, 1, 1);
    const TExtInplaceEdit& e = Editor(g);
    auto atMargins = [&] {
      EXPECT_EQ(e.EditRect(), Rect(2, 2, e.Width() - 2, e.Height()));
      EXPECT_EQ(e.PosFromChar(0).Y, 2);
      EXPECT_EQ(e.PosFromChar(0).X, 2);
    };
    atMargins();
    g.SetColWidths(1, g.ColWidths(1) + 30);
    ASSERT_EQ(e.Width(), g.ColWidths(1) - 1);
    atMargins();
    g.HideCellEditor();
  }
}

TEST_F(ExtGridEditingTest, ValidationRejectsRestoresOrReplacesAndKeepsTheEditorOpen) {
  struct Case {
    const char* what;
    bool valid;
    const char* replacement;  // nullptr: Value left as typed
    const char* stored;
    int row;  // where the cursor ends after Down
  };
  const Case cases[] = {
      {"accepted", true, nullptr, "7", 2},
      {"accepted with a correction", true, "7,00", "7,00", 2},
      {"rejected: the old text", false, nullptr, "old", 1},
      {"rejected with a text of its own", false, "0", "0", 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = Editable();
    g.SetCellText(1, 1, "old");
    std::vector<std::string> log;
    g.OnCellValidate = [&](TObject*, int c, int r, AnsiString& value, bool& valid) {
      log.push_back("validate " + std::to_string(c) + "," + std::to_string(r) + " " + value);
      if (k.replacement) value = k.replacement;
      valid = k.valid;
    };
    g.OnCellChanging = [&](TObject*, int, int, int, int, bool&) { log.push_back("changing"); };
    Open(g, 1, 1);
    Editor(g).SelectAll();
    backend->Type("7");
    Key(VK_DOWN);
    EXPECT_EQ(g.GetCellText(1, 1), k.stored);
    EXPECT_EQ(g.Row(), k.row);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "validate 1,1 7");
    if (k.valid) {
      EXPECT_EQ(log.back(), "changing");
    } else {
      // The editor stays on the cell with the stored text.
      EXPECT_TRUE(Editor(g).Visible());
      EXPECT_EQ(Editor(g).Text(), k.stored);
      EXPECT_EQ(log.size(), 1u);
    }
  }
}

TEST_F(ExtGridEditingTest, CellCheckerCorrectsAndMarks) {
  struct Checker : TExtStringGridCheck {
    using TExtStringGridCheck::TExtStringGridCheck;
    AnsiString CheckCorrect(int, int, const AnsiString& t) override { return t + "+c"; }
    AnsiString CheckMarkError(int, int, const AnsiString& t) override { return t + "+m"; }
  };
  auto& g = Editable();
  Checker checker(nullptr);
  checker.AutoCorrect = checker.AutoMarkError = true;
  g.SetCellChecker(&checker);
  AnsiString seen;
  g.OnCellValidate = [&](TObject*, int, int, AnsiString& v, bool&) { seen = v; };
  Open(g, 1, 1);
  backend->Type("x");
  Key(VK_RETURN);
  EXPECT_EQ(seen, "x+c");
  EXPECT_EQ(g.GetCellText(1, 1), "x+c+m");
  g.SetCellChecker(nullptr);
}

// The image list, the picture container and the checker belong to the form:
// freed while the grid lives, the grid's next paint of a picture cell and its
// next commit reach none of them.
TEST_F(ExtGridEditingTest, FreedImagesPicturesAndCheckerAreForgotten) {
  auto& g = Editable();
  auto* images = new TImageList(form.get());
  images->SetSize(16, 16);
  images->Add(TBitmap(16, 16));
  auto* container = new TPictureContainer(form.get());
  TPictureItem* item = container->Items().Add();
  item->Name = "logo";
  TStringStream bmp{TBitmap(30, 12).SaveToBytes()};
  item->Picture()->LoadFromStream(bmp);
  auto* checker = new TExtStringGridCheck(form.get());
  checker->AutoCorrect = checker->AutoMarkError = true;
  g.SetGridImages(images);
  g.SetPictureContainer(container);
  g.SetCellChecker(checker);
  EXPECT_EQ(g.PictureContainer(), container);
  EXPECT_EQ(g.CellChecker(), checker);
  g.SetCellText(2, 1, R"(<IMG SRC="IDX:0"><IMG SRC="logo"> pictured)");
  ASSERT_NE(backend->Render(*form), nullptr);

  delete images;
  delete container;
  delete checker;
  EXPECT_EQ(g.GridImages(), nullptr);
  EXPECT_EQ(g.PictureContainer(), nullptr);
  EXPECT_EQ(g.CellChecker(), nullptr);
  // The grid is painted again, not taken from the last render.
  g.Invalidate();
  ASSERT_NE(backend->Render(*form), nullptr);
  Open(g, 1, 1);
  backend->Type("x");
  Key(VK_RETURN);
  EXPECT_EQ(g.GetCellText(1, 1), "x");
}

TEST_F(ExtGridEditingTest, TheEditorShowsTagsOnlyWhenTheyAreEdited) {
  auto& g = Editable();
  g.SetCellText(1, 1, "<B>Bold</B> text");
  g.SetCellText(1, 2, "a < b");
  const struct {
    bool withTags;
    int row;
    const char* shown;
  } cases[] = {{false, 1, "Bold text"}, {true, 1, "<B>Bold</B> text"}, {false, 2, "a < b"}};
  for (const auto& k : cases) {
    g.EditWithTags = k.withTags;
    Open(g, 1, k.row);
    EXPECT_EQ(Editor(g).Text(), k.shown);
    Key(VK_ESCAPE);
  }
}

TEST_F(ExtGridEditingTest, TheFootersCountTheValueTheHandlerKept) {
  auto& g = Editable();
  g.FloatingFooter().SetVisible(true);
  g.GetCellProperties(1, 4)->FooterCalc = 1;  // sum
  g.SetCellText(1, 2, "2");
  g.RecalcAllFooters();
  const AnsiString before = g.GetCellText(1, 4);
  std::vector<AnsiString> footerSeen;
  g.OnCellValidate = [](TObject*, int, int, AnsiString& v, bool&) { v = "10"; };
  g.OnCellsChanged = [&](TObject*, const TRect&) { footerSeen.push_back(g.GetCellText(1, 1)); };
  Open(g, 1, 1);
  backend->Type("3");
  Key(VK_RETURN);
  EXPECT_EQ(g.GetCellText(1, 1), "10");
  EXPECT_EQ(footerSeen, std::vector<AnsiString>{"10"});  // reported with the kept value in the cell
  EXPECT_NE(g.GetCellText(1, 4), before);
  EXPECT_EQ(StrToFloat(g.GetCellText(1, 4)), 12);
}

TEST_F(ExtGridEditingTest, EnteringTheGridSelectsItsCellAgain) {
  auto& g = Editable();
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(0, 300, 50, 20);
  other->SetFocus();
  Application->ProcessMessages();
  std::vector<TGridCoord> asked;
  g.OnSelectCell = [&](TObject*, int c, int r, bool&) { asked.push_back({c, r}); };
  g.SetFocus();
  Application->ProcessMessages();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].X, g.Col());
  EXPECT_EQ(asked[0].Y, g.Row());
}

TEST_F(ExtGridEditingTest, EventsComeInOrderWhenTheFocusLeaves) {
  auto& g = Editable();
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(0, 0, 10, 10);
  std::vector<std::string> log;
  g.OnCellValidate = [&](TObject*, int, int, AnsiString&, bool&) { log.push_back("validate"); };
  g.OnEditingDone = [&](TObject*) { log.push_back("done"); };
  Open(g, 1, 1);
  backend->Type("q");
  other->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"validate", "done"}));
  EXPECT_EQ(g.GetCellText(1, 1), "q");
  EXPECT_FALSE(g.EditorActive());
}

TEST_F(ExtGridEditingTest, KeypadPointTypesTheLocaleSeparator) {
  const char saved = DecimalSeparator;
  DecimalSeparator = ',';
  for (bool excel : {false, true}) {
    auto& g = Editable();
    g.ExcelStyleDecimalSeparator = excel;
    Open(g, 1, 1);
    Key(VK_DECIMAL);
    backend->Type(".");
    EXPECT_EQ(g.GetCellText(1, 1), excel ? ",." : "..");
  }
  DecimalSeparator = saved;
}

TEST_F(ExtGridEditingTest, KeypadPointOpeningTheEditorTypesTheLocaleSeparatorToo) {
  const char saved = DecimalSeparator;
  DecimalSeparator = ',';
  for (bool range : {false, true}) {
    SCOPED_TRACE(range);
    auto& g = Editable();
    g.ExcelStyleDecimalSeparator = true;
    if (range) {
      g.SetOptions(g.Options() - TGridOptions{goEditing});
      g.MouseActions().RangeSelectAndEdit = true;
    }
    g.SetCol(1);
    g.SetRow(1);
    Key(VK_DECIMAL);
    backend->Type("5");
    EXPECT_EQ(g.GetCellText(1, 1), ",5");
  }
  DecimalSeparator = saved;
}

TEST_F(ExtGridEditingTest, CellsTheApplicationRefusesAreNotEdited) {
  auto& g = Editable();
  g.OnCanEditCell = [](TObject*, int, int col, bool& can) { can = col != 2; };
  g.SetCellText(2, 1, "locked");
  g.SetCol(2);
  g.SetRow(1);
  backend->Type("x");
  EXPECT_EQ(g.GetCellText(2, 1), "locked");
  EXPECT_FALSE(g.Options().Contains(goEditing));
  g.SetCol(1);
  EXPECT_TRUE(g.Options().Contains(goEditing));
  backend->Type("y");
  EXPECT_EQ(g.GetCellText(1, 1), "y");
}

TEST_F(ExtGridEditingTest, CursorWalkLeavesAtTheTextsEnd) {
  auto& g = Editable();
  g.Navigation().CursorWalkEditor = true;
  g.Navigation().AdvanceDirection = adTopBottom;
  g.SetCellText(1, 1, "abc");
  Open(g, 1, 1);
  Editor(g).SetSelStart(3);
  Editor(g).SetSelLength(0);
  Key(VK_RIGHT);
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(g.Row(), 1);
}

// ---- the grid's keys ----

TEST_F(ExtGridEditingTest, InsertAndDeleteRows) {
  struct Case {
    const char* what;
    Word key;
    TShiftState shift;
    TInsertPosition position;
    int fromRow, rows, row;
    const char* clipboard;
    bool shortcuts = true;  // AllowClipboardShortCuts
  };
  const Case cases[] = {
      {"insert before", VK_INSERT, {}, pInsertBefore, 2, 5, 2, ""},
      {"insert after the last row appends and moves", VK_INSERT, {}, pInsertAfter, 3, 5, 4, ""},
      {"delete", VK_DELETE, {}, pInsertBefore, 2, 3, 2, ""},
      {"shift+delete cuts", VK_DELETE, {ssShift}, pInsertBefore, 2, 4, 2, "x2"},
      {"shift+delete deletes without the shortcuts", VK_DELETE, {ssShift}, pInsertBefore, 2, 3, 2, "", false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto& g = MakeGrid<TExtStringGrid>(2, 4);
    Clipboard()->Clear();  // the last case's cut stays with the desktop
    for (int r = 1; r < 4; ++r) g.SetCellText(1, r, "x" + std::to_string(r));
    g.Navigation().AllowInsertRow = g.Navigation().AllowDeleteRow = true;
    g.Navigation().AllowClipboardShortCuts = k.shortcuts;
    g.Navigation().InsertPosition = k.position;
    g.SetFocus();
    g.SetRow(k.fromRow);
    Key(k.key, k.shift);
    EXPECT_EQ(g.RowCount(), k.rows);
    EXPECT_EQ(g.Row(), k.row);
    EXPECT_EQ(Clipboard()->AsText(), k.clipboard);
    ui::ResetClipboard();
  }
}

TEST_F(ExtGridEditingTest, DeleteKeepsTheOnlyDataRowAndAsksFirst) {
  auto& g = MakeGrid<TExtStringGrid>(2, 3);
  g.Navigation().AllowDeleteRow = true;
  bool allow = false;
  g.OnCanDeleteRow = [&](TObject*, int, bool& can) { can = allow; };
  g.SetFocus();
  Key(VK_DELETE);
  EXPECT_EQ(g.RowCount(), 3);
  allow = true;
  Key(VK_DELETE);
  Key(VK_DELETE);
  EXPECT_EQ(g.RowCount(), 2);
}

TEST_F(ExtGridEditingTest, TabWalksAndLeavesAtTheEnd) {
  struct Case {
    TAdvanceDirection dir;
    bool backwards;
    TGridCoord from, to;
    bool leaves;
  };
  const Case cases[] = {
      {adLeftRight, false, {1, 1}, {2, 1}, false}, {adLeftRight, false, {3, 1}, {1, 2}, false},
      {adLeftRight, false, {3, 3}, {1, 1}, true},  {adTopBottom, false, {1, 3}, {2, 1}, false},
      {adTopBottom, false, {3, 3}, {1, 1}, true},  {adLeftRight, true, {1, 2}, {3, 1}, false},
      {adLeftRight, true, {1, 1}, {3, 3}, false},  {adTopBottom, true, {2, 1}, {1, 3}, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.from.X) + "," + std::to_string(k.from.Y));
    auto& g = MakeGrid<TExtStringGrid>(4, 4);
    auto* next = new TEdit(form.get());
    next->SetParent(form.get());
    next->SetBounds(0, 300, 40, 20);
    g.SetOptions(g.Options() + TGridOptions{goTabs});
    g.Navigation().TabAdvanceDirection = k.dir;
    g.Navigation().TabToNextAtEnd = true;
    g.SetFocus();
    g.SetCol(k.from.X);
    g.SetRow(k.from.Y);
    Key(VK_TAB, k.backwards ? TShiftState{ssShift} : TShiftState{});
    EXPECT_EQ(g.Col(), k.to.X);
    EXPECT_EQ(g.Row(), k.to.Y);
    EXPECT_EQ(next->Focused(), k.leaves);
  }
}

TEST_F(ExtGridEditingTest, CtrlASelectsAllOnlyInRowRangeSelection) {
  for (bool rowSelect : {false, true}) {
    auto& g = MakeGrid<TExtStringGrid>(4, 5);
    g.SetOptions(g.Options() + TGridOptions{goRangeSelect});
    if (rowSelect) g.SetOptions(g.Options() + TGridOptions{goRowSelect});
    g.SetFocus();
    const TGridRect before = g.Selection();
    Key('A', {ssCtrl});
    EXPECT_EQ(g.Selection() == (TGridRect{1, 1, 3, 4}), rowSelect);
    if (!rowSelect) {
      EXPECT_EQ(g.Selection(), before);
    }
  }
}

TEST_F(ExtGridEditingTest, TypingFindsARowWhenNotEditing) {
  auto& g = MakeGrid<TExtStringGrid>(3, 5);
  const char* names[] = {"", "Arta", "Athens", "Patra", "Pyrgos"};
  for (int r = 1; r < 5; ++r) g.SetCellText(1, r, names[r]);
  g.Navigation().AutoGotoWhenSorted = true;
  g.Navigation().AutoGotoIncremental = true;
  g.SetFocus();
  backend->Type("at");
  EXPECT_EQ(g.Row(), 2);
  backend->Type("x");
  EXPECT_EQ(g.Row(), 2);  // nothing found: stays
  EXPECT_EQ(g.FindRowByPrefix("PY"), 4);
  EXPECT_EQ(g.FindRowByPrefix("Q"), -1);
}

// Backspace takes the last typed character back and goes to the first row
// the shorter text finds.
TEST_F(ExtGridEditingTest, BackspaceGoesBackToTheRowTheShorterTextFinds) {
  auto& g = MakeGrid<TExtStringGrid>(3, 5);
  const char* names[] = {"", "Arta", "Athens", "Athos", "Patra"};
  for (int r = 1; r < 5; ++r) g.SetCellText(1, r, names[r]);
  g.Navigation().AutoGotoWhenSorted = true;
  g.Navigation().AutoGotoIncremental = true;
  g.SetFocus();
  backend->Type("atho");
  EXPECT_EQ(g.Row(), 3);
  backend->PressKey(VK_BACK);
  EXPECT_EQ(g.LookupText(), "ath");
  EXPECT_EQ(g.Row(), 2);
  backend->PressKey(VK_BACK);
  backend->PressKey(VK_BACK);
  EXPECT_EQ(g.Row(), 1);  // "a"
  backend->PressKey(VK_BACK);
  EXPECT_EQ(g.LookupText(), "");
  EXPECT_EQ(g.Row(), 1);
}

TEST_F(ExtGridEditingTest, SortColumnFollowsAMovedColumn) {
  struct Case {
    int sorted, from, to, after;
  };
  const Case cases[] = {{2, 2, 4, 4}, {3, 1, 4, 2}, {1, 3, 0, 2}, {4, 1, 2, 4}};
  for (const Case& k : cases) {
    auto& g = MakeGrid<TExtStringGrid>(6, 3);
    g.SortSettings().Column = k.sorted;
    g.MoveColumn(k.from, k.to);
    EXPECT_EQ(g.SortSettings().Column, k.after) << k.from << ">" << k.to;
  }
}

TEST_F(ExtGridEditingTest, SpaceTogglesACheckBox) {
  auto& g = Editable();
  g.AddCheckBox(1, 1, false, false);
  int clicks = 0;
  g.OnCheckBoxClick = [&](TObject*, int, int, bool state) { clicks += state ? 1 : 10; };
  g.SetCol(1);
  g.SetRow(1);
  Key(VK_SPACE);
  bool state = false;
  ASSERT_TRUE(g.GetCheckBoxState(1, 1, state));
  EXPECT_TRUE(state);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(g.ExtInplaceEditor() && g.ExtInplaceEditor()->Visible());
}

TEST_F(ExtGridEditingTest, SpaceMovesARadioGroupToItsNextItemAndWrapsAround) {
  auto& g = Editable();
  TStringList choices;
  for (const char* item : {"one", "two", "three"}) choices.Add(item);
  // One holds its choice in an index of its own, one in the cell's text.
  g.SetCellText(1, 1, "kept");
  g.AddRadio(1, 1, true, choices, 1);
  g.SetCellText(2, 1, "two");
  g.AddRadio(2, 1, true, choices, -1);
  std::vector<int> heard;
  g.OnRadioClick = [&](TObject*, int, int, int index) { heard.push_back(index); };
  g.SetRow(1);
  for (int c = 1; c <= 2; ++c) {
    g.SetCol(c);
    Key(VK_SPACE);
    Key(VK_SPACE);
  }
  int index = -5;
  ASSERT_TRUE(g.GetRadioIdx(1, 1, index));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(g.GetCellText(1, 1), "kept");
  EXPECT_EQ(g.GetCellText(2, 1), "one");
  EXPECT_EQ(heard, (std::vector<int>{2, 0, 2, 0}));
}

// ---- the combo editor ----

class ComboEditingTest : public ExtGridEditingTest {
 protected:
  // The budget grid's column of marks.
  TExtStringGrid& Budget() {
    auto& g = Editable(edNormal, 4, 5);
    g.OnGetEditorType = [](TObject*, int c, int, TEditorType& e) { e = c == 2 ? edComboList : edNormal; };
    return g;
  }
  TGridCombo& OpenCombo(TExtStringGrid& g, int r) {
    Open(g, 2, r);
    EXPECT_NE(g.Combo(), nullptr);
    TGridCombo& c = *g.Combo();
    if (c.Items()->Count() == 0)
      for (const char* item : {" ", "+", "-", "#"}) c.Items()->Add(item);
    return c;
  }
};

TEST_F(ComboEditingTest, BlankCellOpensOnTheFirstItemAndStoresTheChoice) {
  auto& g = Budget();
  TGridCombo& c = OpenCombo(g, 1);
  g.HideCellEditor();
  // Opened again now that it has its items.
  Open(g, 2, 1);
  EXPECT_TRUE(c.Visible());
  EXPECT_EQ(c.ItemIndex(), 0);
  EXPECT_EQ(c.Text(), " ");
  Key(VK_DOWN);  // the list style steps the item
  EXPECT_EQ(c.Text(), "+");
  Key(VK_RETURN);
  EXPECT_EQ(g.GetCellText(2, 1), "+");
  EXPECT_FALSE(c.Visible());
  EXPECT_FALSE(g.EditorActive());
}

TEST_F(ComboEditingTest, EscapeLeavesTheCellAsItWas) {
  auto& g = Budget();
  OpenCombo(g, 1);
  g.HideCellEditor();
  g.SetCellText(2, 1, "#");
  Open(g, 2, 1);
  TGridCombo& c = *g.Combo();
  EXPECT_EQ(c.Text(), "#");
  Key(VK_UP);
  EXPECT_EQ(c.Text(), "-");
  Key(VK_ESCAPE);
  EXPECT_EQ(g.GetCellText(2, 1), "#");
  EXPECT_FALSE(c.Visible());
}

TEST_F(ComboEditingTest, TabStoresAndMovesWithGoTabsElseTheGridHasIt) {
  for (bool tabs : {true, false}) {
    SCOPED_TRACE(tabs);
    auto& g = Budget();
    if (tabs) g.SetOptions(g.Options() + TGridOptions{goTabs});
    OpenCombo(g, 1);
    g.HideCellEditor();
    Open(g, 2, 1);
    Key(VK_DOWN);
    Key(VK_TAB);
    EXPECT_EQ(g.GetCellText(2, 1), "+");
    EXPECT_FALSE(g.Combo()->Visible());
    if (tabs) {
      EXPECT_EQ(g.Col(), 3);
    }
  }
}

// The combo editor's notifications reach the grid: the choice, the close-up
// (row first, as the event declares) and the leaving of the editor.
class ComboNotifyEditingTest : public ComboEditingTest {
 protected:
  void Record(TExtStringGrid& g) {
    g.OnComboChange = [this](TObject*, int c, int r, int index, const AnsiString& s) {
      log.push_back("change " + std::to_string(c) + " " + std::to_string(r) + " " + std::to_string(index) +
                    " " + s);
    };
    g.OnComboObjectChange = [this](TObject*, int c, int r, int index, const AnsiString&, TObject* o) {
      log.push_back("object " + std::to_string(c) + " " + std::to_string(r) + " " + std::to_string(index) +
                    (o == &marker ? " marker" : " none"));
    };
    g.OnComboCloseUp = [this](TObject*, int r, int c) {
      log.push_back("closeup row " + std::to_string(r) + " col " + std::to_string(c));
    };
  }
  std::vector<std::string> log;
  TObject marker;
};

TEST_F(ComboNotifyEditingTest, KeysOpenChooseAndCloseTheList) {
  auto& g = Budget();
  TGridCombo& c = OpenCombo(g, 1);
  c.Items()->SetObjects(1, &marker);
  g.HideCellEditor();
  Open(g, 2, 3);
  Record(g);
  Key(VK_DOWN, {ssAlt});
  ASSERT_TRUE(c.DroppedDown());
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(c.Visible());
  EXPECT_EQ(g.GetCellText(2, 3), "+");
  EXPECT_EQ(log, (std::vector<std::string>{"closeup row 3 col 2", "change 2 3 1 +", "object 2 3 1 marker",
                                           "change 2 3 -1 +"}));
  // Escape closes the list without a choice.
  log.clear();
  Open(g, 2, 3);
  Key(VK_DOWN, {ssAlt});
  Key(VK_ESCAPE);
  EXPECT_EQ(log.front(), "closeup row 3 col 2");
  EXPECT_EQ(
      std::count_if(log.begin(), log.end(), [](const std::string& e) { return e.rfind("object", 0) == 0; }),
      0);
}

TEST_F(ComboNotifyEditingTest, MouseChoosesFromTheListOfAColumnBehindAHiddenOne) {
  auto& g = Budget();
  g.OnGetEditorType = [](TObject*, int c, int, TEditorType& e) { e = c == 2 ? edComboEdit : edNormal; };
  OpenCombo(g, 1);
  g.HideCellEditor();
  g.HideColumn(1);  // real column 2 shows as column 1
  Open(g, 1, 2);
  TGridCombo& c = *g.Combo();
  ASSERT_TRUE(c.Visible());
  Record(g);
  backend->Click(c, c.ButtonRect().Left + 3, c.Height() / 2);
  Application->ProcessMessages();
  ASSERT_TRUE(c.DroppedDown());
  TComboListWindow* list = c.ListWindow();
  const TRect last = list->ItemRect(3);
  backend->Click(*list, 10, last.Top + 2);
  Application->ProcessMessages();
  EXPECT_FALSE(c.DroppedDown());
  EXPECT_EQ(c.Text(), "#");
  Key(VK_RETURN);
  EXPECT_EQ(g.GetCellText(2, 2), "#");
  EXPECT_EQ(log, (std::vector<std::string>{"closeup row 2 col 2", "change 2 2 3 #", "object 2 2 3 none",
                                           "change 2 2 -1 #"}));
}

// A close-up handler reads the editor: the line chosen in the list is
// already there, by keys and by the mouse; the change is told after it.
TEST_F(ComboNotifyEditingTest, TheCloseUpFindsTheChosenLineInTheEditor) {
  for (bool byMouse : {false, true}) {
    SCOPED_TRACE(byMouse ? "mouse" : "keys");
    auto& g = Budget();
    TGridCombo& c = OpenCombo(g, 1);
    g.HideCellEditor();
    Open(g, 2, 2);
    Record(g);
    g.OnComboCloseUp = [&](TObject*, int, int) {
      log.push_back("closeup " + std::to_string(c.ItemIndex()) + " " + c.Text().c_str());
    };
    Key(VK_DOWN, {ssAlt});
    ASSERT_TRUE(c.DroppedDown());
    if (byMouse) {
      TComboListWindow* list = c.ListWindow();
      backend->Click(*list, 10, list->ItemRect(2).Top + 2);
      Application->ProcessMessages();
    } else {
      Key(VK_DOWN);
      Key(VK_DOWN);
      Key(VK_RETURN);
    }
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "closeup 2 -");
    EXPECT_EQ(log[1], "change 2 2 2 -");
  }
}

TEST_F(ComboEditingTest, OneChangeEventPerWheelNotch) {
  auto& g = Budget();
  OpenCombo(g, 1);
  g.HideCellEditor();
  Open(g, 2, 1);
  std::vector<int> changes;
  g.OnComboChange = [&](TObject*, int c, int r, int index, const AnsiString&) {
    EXPECT_EQ(c, 2);
    EXPECT_EQ(r, 1);
    changes.push_back(index);
  };
  TGridCombo& c = *g.Combo();
  backend->Wheel(c, -2, 5, 5);
  Application->ProcessMessages();
  EXPECT_EQ(changes, (std::vector<int>{1, 2}));
  backend->Wheel(c, 3, 5, 5);
  Application->ProcessMessages();
  EXPECT_EQ(changes, (std::vector<int>{1, 2, 1, 0}));  // stops at the first
}

}  // namespace

namespace {

// ---- the window timer, the update lock, resizing and focus ----

struct DrawLog : TExtStringGrid {
  using TExtStringGrid::TExtStringGrid;
  std::vector<std::pair<int, int>> Drawn;
  void DrawCellContent(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect,
                       TGridDrawState AState) override {
    Drawn.emplace_back(ACol, ARow);
    TExtStringGrid::DrawCellContent(ACanvas, ACol, ARow, ARect, AState);
  }
};

class GridTimerTest : public GridFormTest {};

TEST_F(GridTimerTest, BlinkRepaintsOnlyBlinkingCellsEveryTick) {
  auto& g = MakeGrid<DrawLog>(4, 5);
  g.SetCellText(2, 2, "<blink>now</blink>");
  g.SetCellText(1, 1, "plain");
  g.EnableBlink = true;
  backend->Render(*form);
  for (int tick = 0; tick < 3; ++tick) {
    g.Drawn.clear();
    const bool phase = g.BlinkPhase();
    backend->Advance(500);
    backend->Render(*form);
    EXPECT_NE(g.BlinkPhase(), phase);
    ASSERT_FALSE(g.Drawn.empty());
    for (const auto& cell : g.Drawn) EXPECT_EQ(cell, (std::pair<int, int>{2, 2}));
  }
  g.EnableBlink = false;
  g.Drawn.clear();
  backend->Advance(1000);
  backend->Render(*form);
  EXPECT_TRUE(g.Drawn.empty());
}

TEST_F(GridTimerTest, NothingPaintsUnderTheUpdateLock) {
  auto& g = MakeGrid<DrawLog>(4, 5);
  backend->Render(*form);
  g.BeginUpdate();
  g.Drawn.clear();
  g.SetCellText(1, 1, "x");
  g.RepaintCellDispl(1, 1);
  g.Invalidate();
  backend->Render(*form);
  EXPECT_TRUE(g.Drawn.empty());
  g.EndUpdate();
  g.EndUpdate();  // below zero: stays at 0
  EXPECT_EQ(g.UpdateCount(), 0);
  backend->Render(*form);
  EXPECT_FALSE(g.Drawn.empty());
  g.BeginUpdate();
  g.BeginUpdate();
  g.ResetUpdate();
  EXPECT_EQ(g.UpdateCount(), 0);
}

TEST_F(GridTimerTest, HoveringMovesToTheCellUnderTheMouse) {
  auto& g = MakeGrid<TExtStringGrid>(4, 5);
  g.Hovering = true;
  const TRect r = g.CellRect(3, 2);
  backend->MoveMouse(g, r.Left + 3, r.Top + 3);
  backend->Advance(500);
  EXPECT_EQ(g.Col(), 3);
  EXPECT_EQ(g.Row(), 2);
  EXPECT_TRUE(g.Focused());
}

TEST_F(GridTimerTest, HoveringLeavesTheFootersAndTheRightFixedColumnsAlone) {
  auto& g = MakeGrid<TExtStringGrid>(5, 6);
  g.SetFixedFooters(1);
  g.SetFixedRightCols(1);
  g.Hovering = true;
  g.SetCol(1);
  g.SetRow(1);
  for (const TGridCoord at : {TGridCoord{2, 5}, TGridCoord{4, 3}}) {
    const TRect r = g.CellRect(at.X, at.Y);
    backend->MoveMouse(g, r.Left + 3, r.Top + 3);
    backend->Advance(500);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.Row(), 1);
  }
}

TEST_F(GridTimerTest, ColumnsFollowTheWidthButNotDownToNothing) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3, 300);
  for (int c = 0; c < 3; ++c) g.SetColWidths(c, 90);
  g.ColumnSize().SynchWithGrid = true;
  g.SetBounds(g.Left(), g.Top(), 300, 200);
  g.SetBounds(g.Left(), g.Top(), 600 + (300 - g.ClientWidth()), 200);
  EXPECT_EQ(g.ColWidths(0), 180);
  g.SetBounds(g.Left(), g.Top(), 0, 200);
  g.SetBounds(g.Left(), g.Top(), 600 + (300 - g.ClientWidth()), 200);
  EXPECT_GT(g.ColWidths(0), 0);
}

TEST_F(GridTimerTest, AlwaysEditOpensTheEditorWhenTheFocusArrives) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(0, 0, 10, 10);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.Navigation().AlwaysEdit = true;
  other->SetFocus();
  g.SetFocus();
  Application->ProcessMessages();
  ASSERT_NE(g.InplaceEditor(), nullptr);
  EXPECT_TRUE(g.InplaceEditor()->Visible());
  // Closed, an arrow opens it again on the next cell.
  g.HideInplaceEditor();
  EXPECT_FALSE(g.InplaceEditor()->Visible());
  backend->PressKey(VK_DOWN);
  Application->ProcessMessages();
  EXPECT_EQ(g.Row(), 2);
  EXPECT_TRUE(g.InplaceEditor()->Visible());
}

}  // namespace
