#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "GridFixture.h"
#include "grid/EsgUni.h"
#include "grid/ExtGridEditors.h"
#include "grid/esgcombo.h"
#include "tests/TestOutput.h"

namespace {

TEST(EsgUniTest, TextSplitsAtEveryLineBreakAndJoinsWithCrLf) {
  const WideString inputs[] = {u"ab\r\nγδ\r\n", u"ab\nγδ", u"ab\u2028γδ\u2029", u"ab\rγδ\r\n", u"ab\vγδ\f"};
  for (const WideString& in : inputs) {
    TWideStrings list;
    list.SetText(in);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], u"ab");
    EXPECT_EQ(list[1], u"γδ");
    EXPECT_EQ(list.Text(), u"ab\r\nγδ\r\n");
  }
  TWideStrings empty;
  empty.SetText(u"");
  EXPECT_EQ(empty.Count(), 0);
  empty.SetText(u"\r\n\r\n");
  EXPECT_EQ(empty.Count(), 2);  // two empty lines
}

TEST(EsgUniTest, AssignBothWaysConvertsThroughTheCodePage) {
  TWideStrings wide;
  wide.Add(u"Αθήνα");
  wide.Add(u"東京");
  TStringList ansi;
  wide.AssignTo(ansi);
  ASSERT_EQ(ansi.Count(), 2);
  EXPECT_EQ(ansi[0], cp1253::FromWide(u"Αθήνα"));
  EXPECT_EQ(ansi[1], "??");  // no such characters in the code page
  TWideStrings back;
  back.Assign(ansi);
  EXPECT_EQ(back[0], u"Αθήνα");
  EXPECT_EQ(wide.AnsiStrings()[0], ansi[0]);
  wide.AnsiStrings().Add("x");
  EXPECT_EQ(wide[2], u"x");
  EXPECT_EQ(wide.IndexOf(u"ΑΘΉΝΑ"), 0);
  // Characters outside the code page are told apart, letters of any case
  // are not, accents are.
  EXPECT_EQ(wide.IndexOf(u"東京"), 1);
  EXPECT_EQ(wide.IndexOf(u"大阪"), -1);
  EXPECT_EQ(wide.IndexOf(u"ΑΘΗΝΑ"), -1);
  EXPECT_EQ(wide.IndexOf(u"X"), 2);
  int updates = 0;
  wide.OnUpdate = [&](bool) { ++updates; };
  wide.Move(0, 2);
  EXPECT_EQ(wide[2], u"Αθήνα");
  EXPECT_EQ(updates, 2);
  EXPECT_THROW(wide.Get(3), EStringListError);
}

TEST(EsgUniTest, CellTextKeepsCodeUnitsAndMendsBrokenOnes) {
  struct Case {
    AnsiString cell;
    WideString wide;
  };
  const Case cases[] = {
      {std::string("|\\\x03\x91\x67\x71", 6), u"Α東"},
      {std::string("|\\\x03\x91\x6E", 5), u"Α"},               // an odd last byte is dropped
      {std::string("|\\\xD8\x3D\x00\x41", 6), u"\uFFFDA"},     // a lone high surrogate
      {std::string("|\\\xD8\x3D\xDE\x00", 6), u"\U0001F600"},  // a whole pair
      {"plain", u"plain"},
      {"|\\", u""},
  };
  for (const Case& k : cases) EXPECT_EQ(WideFromCellText(k.cell), k.wide);
  EXPECT_EQ(CellTextFromWide(u"Α東"), std::string("|\\\x03\x91\x67\x71", 6));
}

class UnicodeCellTest : public GridFormTest {};

TEST_F(UnicodeCellTest, GridStoresUnicodeCellsAsCodeUnits) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetUnicodeCell(1, 1, u"Ω中");
  EXPECT_EQ(g.GetCellText(1, 1), std::string("|\\\x03\xA9\x4E\x2D", 6));
  EXPECT_EQ(g.GetUnicodeCell(1, 1), u"Ω中");
  g.SetCellText(2, 2, cp1253::FromWide(u"Ωμέγα"));
  EXPECT_EQ(g.GetWideCell(2, 2), u"Ωμέγα");
}

}  // namespace

namespace {

class UniEditTest : public GridFormTest {};

TEST_F(UniEditTest, GreekAndCjkTypedAreStoredAsCodeUnitsAndReadBack) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.OnGetEditorType = [](TObject*, int, int, TEditorType& e) { e = edUniEdit; };
  g.SetFocus();
  g.SetCol(1);
  g.SetRow(1);
  backend->PressKey(VK_F2);
  ASSERT_NE(g.UniEdit(), nullptr);
  backend->TypeWide(u"Ωa東\U0001F600");
  EXPECT_EQ(g.UniEdit()->Text(), u"Ωa東\U0001F600");
  EXPECT_EQ(g.UniEdit()->SelStart(), 5);  // code units
  backend->SaveWindowPng(*form, TestOutput("grid_editor_unicode.png"));
  backend->PressKey(VK_BACK);
  backend->PressKey(VK_BACK);  // both halves of the pair
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(g.GetCellText(1, 1), CellTextFromWide(u"Ωa東"));
  EXPECT_EQ(g.GetUnicodeCell(1, 1), u"Ωa東");
  // Opened again it shows the cell's UTF-16 text; left unchanged the cell
  // keeps its text.
  backend->PressKey(VK_F2);
  EXPECT_EQ(g.UniEdit()->Text(), u"Ωa東");
  g.SetCellText(2, 2, "plain");
  g.HideCellEditor();
  g.SetCol(2);
  g.SetRow(2);
  backend->PressKey(VK_F2);
  g.HideCellEditor();
  EXPECT_EQ(g.GetCellText(2, 2), "plain");
}

TEST_F(UniEditTest, EightBitControlsGetAQuestionMarkForWhatTheCodePageLacks) {
  MakeGrid<TExtStringGrid>(2, 2);
  auto* e = new TEdit(form.get());
  e->SetParent(form.get());
  e->SetBounds(10, 280, 100, 22);
  e->SetFocus();
  backend->TypeWide(u"Ω東");
  EXPECT_EQ(e->Text(), cp1253::FromWide(u"Ω") + "?");
}

}  // namespace

namespace {

class UniComboTest : public GridFormTest {};

TEST_F(UniComboTest, WideListAndEditStoreCodeUnits) {
  auto& g = MakeGrid<TExtStringGrid>(3, 3);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  TEditorType type = edUniComboList;
  g.OnGetEditorType = [&type](TObject*, int, int, TEditorType& e) { e = type; };
  g.SetFocus();
  g.SetCol(1);
  g.SetRow(1);
  g.SetUnicodeCell(1, 1, u"東京");
  backend->PressKey(VK_F2);
  ASSERT_NE(g.UniCombo(), nullptr);
  TGridUniCombo& c = *g.UniCombo();
  // 東京 before 大阪: through the code page both read "??" and the list
  // would open on the first.
  for (const char16_t* item : {u"Αθήνα", u"東京", u"大阪"}) c.WideItems().Add(item);
  g.HideCellEditor();
  EXPECT_EQ(g.GetUnicodeCell(1, 1), u"東京");  // passed through unchanged
  backend->PressKey(VK_F2);
  EXPECT_EQ(c.ItemIndex(), 1);
  EXPECT_EQ(c.WideText(), u"東京");
  backend->SaveWindowPng(*form, TestOutput("grid_editor_unicode_combo.png"));
  backend->PressKey(VK_DOWN);
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(g.GetUnicodeCell(1, 1), u"大阪");
  EXPECT_EQ(g.GetCellText(1, 1), CellTextFromWide(u"大阪"));
  backend->PressKey(VK_F2);
  EXPECT_EQ(c.ItemIndex(), 2);  // on 大阪, not on 東京
  backend->PressKey(VK_UP);
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(g.GetUnicodeCell(1, 1), u"東京");

  type = edUniComboEdit;
  g.SetCol(2);
  backend->PressKey(VK_F2);
  ASSERT_TRUE(c.Visible());
  backend->TypeWide(u"Ωα東");
  EXPECT_EQ(c.WideText(), u"Ωα東");
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(g.GetUnicodeCell(2, 1), u"Ωα東");
}

}  // namespace

namespace {

class UniComboBoxTest : public GridFormTest {};

// Clearing the items keeps what the edit shows; choosing an item shows its
// UTF-16 text and tells both the click and the change.
TEST_F(UniComboBoxTest, ClearKeepsTheTextAndAChoiceTellsClickAndChange) {
  MakeGrid<TExtStringGrid>(2, 2);
  auto* c = new TESGUniComboBox(form.get());
  c->SetParent(form.get());
  c->SetBounds(10, 270, 140, 22);
  // Like the wide edit, its font carries no one code page; the 8-bit
  // combo's keeps its own.
  EXPECT_EQ(c->Font().Charset, 255);
  auto* edit = new TEsgUniEdit(form.get());
  edit->SetParent(form.get());
  EXPECT_EQ(edit->Font().Charset, 255);
  EXPECT_EQ((new TESGComboBox(form.get()))->Font().Charset, TFont().Charset);
  for (const char16_t* item : {u"Αθήνα", u"東京", u"大阪"}) c->WideItems().Add(item);
  c->SetWideText(u"京都");
  c->WideItems().Clear();
  EXPECT_EQ(c->WideText(), u"京都");
  for (const char16_t* item : {u"Αθήνα", u"東京", u"大阪"}) c->WideItems().Add(item);
  std::vector<std::string> log;
  c->OnClick = [&](TObject*) { log.push_back("click"); };
  c->OnChange = [&](TObject*) { log.push_back("change"); };
  c->SetFocus();
  Application->ProcessMessages();
  c->SetDroppedDown(true);
  // 大阪 after 東京: both read "??" through the code page.
  for (int i = 0; i < 3; ++i) backend->PressKey(VK_DOWN);
  backend->PressKey(VK_RETURN);
  Application->ProcessMessages();
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(c->WideText(), u"大阪");
  ASSERT_GE(log.size(), 2u);
  EXPECT_NE(std::find(log.begin(), log.end(), "click"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "change"), log.end());
}

}  // namespace
