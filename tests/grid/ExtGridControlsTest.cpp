#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "EditorGridFixture.h"
#include "GridFixture.h"
#include "grid/ExtGridEditors.h"
#include "grid/ExtGridFooter.h"
#include "platform/gfx/FrameControls.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ScrollBars.h"
#include "tests/TestOutput.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

class ExtGridControlsTest : public GreekEditorGridTest {};

TEST_F(ExtGridControlsTest, StartCharacterReachesTheSpinButNotTheDatePicker) {
  auto& spin = Typed(edSpinEdit);
  backend->Type("7");
  ASSERT_NE(spin.Spin(), nullptr);
  EXPECT_TRUE(spin.Spin()->Visible());
  EXPECT_EQ(spin.Spin()->Text(), "7");
  Key(VK_RETURN);
  EXPECT_EQ(spin.GetCellText(1, 1), "7");

  auto& date = Typed(edDateEdit);
  date.SetCellText(1, 1, "31/1/2003");
  backend->Type("7");
  ASSERT_NE(date.DatePicker(), nullptr);
  EXPECT_TRUE(date.DatePicker()->Visible());
  EXPECT_EQ(DateToStr(date.DatePicker()->Date()), "31/1/2003");
}

// A form sets its editors up before the first edit: every one exists with
// the grid, hidden and disabled, and what was set holds when it opens.
TEST_F(ExtGridControlsTest, EditorsExistWithTheGridAndKeepTheirSetUp) {
  auto* alone = new TExtStringGrid(nullptr);
  const std::vector<std::pair<const char*, TWinControl*>> editors = {
      {"combo", alone->Combo()},         {"spin", alone->Spin()},
      {"date", alone->DatePicker()},     {"check box", alone->CheckBoxEditor()},
      {"button", alone->ButtonEditor()}, {"edit button", alone->EditBtn()},
      {"unit", alone->UnitEditBtn()},    {"wide edit", alone->UniEdit()},
      {"wide combo", alone->UniCombo()}, {"rich", alone->RichInplaceEditor()}};
  for (const auto& [name, editor] : editors) {
    ASSERT_NE(editor, nullptr) << name;
    EXPECT_FALSE(editor->Visible()) << name;
    EXPECT_EQ(editor->Parent(), alone) << name;
  }
  delete alone;

  auto& g = MakeGrid<TExtStringGrid>(4, 5);
  g.Spin()->MaxValue = 7;
  g.AddEditorComboItem("first");
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.OnGetEditorType = [](TObject*, int, int, TEditorType& e) { e = edSpinEdit; };
  g.SetFocus();
  g.SetCol(1);
  g.SetRow(1);
  g.SetCellText(1, 1, "5");
  Key(VK_F2);
  ASSERT_TRUE(g.Spin()->Visible());
  EXPECT_EQ(g.Spin()->MaxValue, 7);
  Key(VK_HOME);
  EXPECT_EQ(g.Spin()->Text(), "7");
  Key(VK_PRIOR);
  EXPECT_EQ(g.Spin()->Text(), "7");
  EXPECT_EQ(g.Combo()->Items()->Count(), 1);
}

// The editor controls are made when first asked for, yet whatever the
// order of asking each stands where it would had all come with the grid:
// in one order among themselves, behind the program's own children of the
// grid and first in its tab order, with the font and colour the grid gave
// them since.
TEST_F(ExtGridControlsTest, EditorsMadeWhenAskedStandAsIfMadeWithTheGrid) {
  struct TPlace {
    int Z, Tab, Size, Charset;
    TColor Color;
    bool Visible, Enabled;
    bool operator==(const TPlace&) const = default;
  };
  auto editors = [](TExtStringGrid& g) -> std::vector<std::function<TWinControl*()>> {
    return {[&] { return g.Combo(); },          [&] { return g.UniCombo(); },
            [&] { return g.Spin(); },           [&] { return g.DatePicker(); },
            [&] { return g.CheckBoxEditor(); }, [&] { return g.EditBtn(); },
            [&] { return g.UnitEditBtn(); },    [&] { return g.UniEdit(); },
            [&] { return g.ButtonEditor(); },   [&] { return g.RichInplaceEditor(); }};
  };
  // The grid's font and colour changed and a child of the program's added.
  auto change = [](TExtStringGrid& g) {
    TFont font;
    font.Assign(g.Font());
    font.SetSize(13);
    g.SetFont(font);
    g.SetColor(clYellow);
    auto* own = new TEdit(&g);
    own->SetParent(&g);
    return own;
  };
  auto places = [](TExtStringGrid& g, const std::vector<TWinControl*>& made) {
    std::vector<TPlace> out;
    for (TWinControl* editor : made) {
      int z = -1;
      for (int i = 0; i < g.ControlCount(); ++i)
        if (g.Controls(i) == editor) z = i;
      out.push_back({z, editor->TabOrder(), editor->Font().Size(), editor->Font().Charset, editor->Color(),
                     editor->Visible(), editor->Enabled()});
    }
    return out;
  };
  // All made at once before the changes, as with the grid.
  auto& first = MakeGrid<TExtStringGrid>(4, 5);
  std::vector<TWinControl*> all;
  for (const auto& editor : editors(first)) all.push_back(editor());
  TEdit* firstOwn = change(first);
  const std::vector<TPlace> withTheGrid = places(first, all);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(withTheGrid[static_cast<size_t>(i)].Z, i);
  EXPECT_EQ(first.Controls(first.ControlCount() - 1), firstOwn);
  const int ownTab = firstOwn->TabOrder();
  const TFont wideComboEditFont = first.UniCombo()->EditControl()->Font();

  for (const std::vector<int>& asked :
       {std::vector<int>{9, 3, 0, 7, 1, 8, 2, 6, 4, 5}, std::vector<int>{5, 4, 6, 2, 8, 1, 7, 0, 3, 9}}) {
    auto& g = MakeGrid<TExtStringGrid>(4, 5);
    TEdit* own = change(g);
    const auto made = editors(g);
    std::vector<TWinControl*> inOrder(10);
    for (const int i : asked) inOrder[static_cast<size_t>(i)] = made[static_cast<size_t>(i)]();
    EXPECT_EQ(places(g, inOrder), withTheGrid);
    EXPECT_EQ(g.Controls(g.ControlCount() - 1), own);
    EXPECT_EQ(own->TabOrder(), ownTab);
    EXPECT_TRUE(g.UniCombo()->EditControl()->Font() == wideComboEditFont);
  }
}

// The outline stays while the editor does: the rich-text editor stays
// open when the focus goes to another control, the others close.
TEST_F(ExtGridControlsTest, TheEditedCellIsOutlinedWhileItsEditorShows) {
  for (TEditorType type : {edNormal, edSpinEdit, edComboList, edEditBtn, edDateEdit, edRichEdit}) {
    SCOPED_TRACE(type);
    auto& g = Typed(type);
    g.SetCellText(1, 1, "5");
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(0, 0, 30, 20);
    const TRect cell = g.CellRect(1, 1);
    auto outlined = [&] {
      TRecordingCanvas canvas(g.Width(), g.Height());
      g.PaintTo(canvas, 0, 0);
      for (const TDrawCall& c : canvas.CallsOf("Rectangle"))
        if (c.Pen.Color == g.GridLineColor() && c.Args[2] - c.Args[0] == cell.Width() &&
            c.Args[3] - c.Args[1] == cell.Height())
          return true;
      return false;
    };
    EXPECT_FALSE(outlined());
    Key(VK_F2);
    ASSERT_TRUE(g.EditorActive());
    EXPECT_TRUE(outlined());
    other->SetFocus();
    Application->ProcessMessages();
    const bool stays = type == edRichEdit;
    EXPECT_EQ(g.RichInplaceEditor()->Visible(), stays);
    EXPECT_EQ(outlined(), stays);
  }
}

TEST_F(ExtGridControlsTest, SpinPageKeysStayWithinTheBoundsHomeAndEndJump) {
  auto& g = Typed(edSpinEdit);
  g.SetCellText(1, 1, "100");
  std::vector<std::string> clicks;
  g.OnSpinClick = [&](TObject*, int, int, int v, bool up) {
    clicks.push_back(std::to_string(v) + (up ? "+" : "-"));
  };
  Key(VK_F2);
  TGridSpin& sp = *g.Spin();
  struct Step {
    Word key;
    const char* text;
  };
  for (const Step& s : {Step{VK_PRIOR, "100"}, Step{VK_NEXT, "99"}, Step{VK_END, "0"}, Step{VK_HOME, "100"},
                        Step{VK_DOWN, "99"}, Step{VK_UP, "100"}}) {
    Key(s.key);
    EXPECT_EQ(sp.Text(), s.text) << s.key;
  }
  EXPECT_EQ(clicks, (std::vector<std::string>{"100+", "99-", "0-", "100+", "99-", "100+"}));
}

TEST_F(ExtGridControlsTest, ValuesPassedThroughKeepTheCellsText) {
  for (TEditorType type :
       {edSpinEdit, edDateSpinEdit, edTimeSpinEdit, edDateEdit, edTimeEdit, edCheckBox, edButton}) {
    SCOPED_TRACE(static_cast<int>(type));
    auto& g = Typed(type);
    g.SetCellText(1, 1, "abc");
    Key(VK_F2);
    EXPECT_TRUE(g.EditorActive());
    g.HideCellEditor();
    EXPECT_EQ(g.GetCellText(1, 1), "abc");
    EXPECT_FALSE(g.EditorActive());
  }
}

TEST_F(ExtGridControlsTest, DateEditorOpensWithItsCalendarAfterAnUpDownEdit) {
  TEditorType type = edDateEditUpDown;
  auto& g = Typed(edNormal);
  g.OnGetEditorType = [&type](TObject*, int, int, TEditorType& e) { e = type; };
  Key(VK_F2);
  EXPECT_EQ(g.DatePicker()->DateMode(), dmUpDown);
  g.HideCellEditor();
  type = edDateEdit;
  Key(VK_F2);
  EXPECT_EQ(g.DatePicker()->DateMode(), dmComboBox);
}

TEST_F(ExtGridControlsTest, SpinEditReadsWritesAndSteps) {
  auto& g = MakeGrid<TExtStringGrid>(2, 2);
  auto* sp = new TEsgSpinEdit(form.get());
  sp->SetParent(form.get());
  sp->SetBounds(10, 280, 120, 22);
  // Text that is no number reads as the minimum; equal bounds do not clamp.
  sp->MinValue = 5;
  sp->SetText("abc");
  EXPECT_EQ(sp->Value(), 5);
  sp->MinValue = sp->MaxValue = 0;
  sp->SetValue(1000);
  EXPECT_EQ(sp->Text(), "1000");
  // A date steps the part under the caret: the month keeps within it.
  sp->SetText("31/1/2003");
  sp->SetSpinType(sptDate);
  sp->SetSelStart(4);
  sp->UpClick();
  EXPECT_EQ(sp->Text(), "28/2/2003");
  sp->SetSelStart(0);
  sp->DownClick();
  EXPECT_EQ(sp->Text(), "27/2/2003");
  sp->SetSelStart(sp->Text().size());
  sp->UpClick();
  EXPECT_EQ(sp->Text(), "27/2/2004");
  // Time parts, coming round at midnight.
  sp->SetSpinType(sptTime);
  sp->SetText("23:59:30");
  sp->SetSelStart(0);
  sp->UpClick();
  EXPECT_EQ(sp->Text(), TimeToStr(StrToTime("0:59:30")));
  // Two decimals refuse a third typed at the end.
  sp->SetSpinType(sptFloat);
  sp->SetPrecision(2);
  sp->SetText("3,14");
  sp->SetSelStart(4);
  char c = '5';
  EXPECT_FALSE(sp->IsValidChar(c));
  c = '.';  // the thousand separator becomes the decimal one: a second
  sp->SetSelStart(1);
  EXPECT_FALSE(sp->IsValidChar(c));
  c = '/';
  EXPECT_FALSE(sp->IsValidChar(c));  // a date separator only in dates
  (void)g;
}

// A float spin reads a number past a double's range as it reads a text that
// is no number, never as an infinity that the cell would store as "INF".
TEST_F(ExtGridControlsTest, FloatSpinTakesNumbersPastADoubleAsNoNumber) {
  MakeGrid<TExtStringGrid>(2, 2);  // the form that owns the editor
  auto* sp = new TEsgSpinEdit(form.get());
  sp->SetParent(form.get());
  sp->MinValue = 7;
  sp->SetSpinType(sptFloat);
  const struct {
    const char* text;
    double value;
  } cases[] = {{"1e311", 7}, {"-1e311", 7}, {"1e308", 1e308}, {"-1e308", -1e308}, {"1e-400", 0}, {"abc", 7}};
  for (const auto& c : cases) {
    sp->SetText(c.text);
    EXPECT_EQ(sp->FloatValue(), c.value) << c.text;
  }
}

TEST_F(ExtGridControlsTest, HeldSpinButtonRepeatsAfter400ThenEvery100) {
  MakeGrid<TExtStringGrid>(2, 2);
  auto* sp = new TEsgSpinEdit(form.get());
  sp->SetParent(form.get());
  sp->SetBounds(10, 280, 120, 22);
  sp->SetValue(0);
  Application->ProcessMessages();
  TExtTimerSpeedButton& up = *sp->Button()->UpButton();
  backend->PressMouse(up, 3, 3);
  backend->Advance(399);
  EXPECT_EQ(sp->Value(), 0);
  backend->Advance(1);
  EXPECT_EQ(sp->Value(), 1);
  backend->Advance(300);
  EXPECT_EQ(sp->Value(), 4);
  backend->ReleaseMouse(up, 3, 3);
  EXPECT_EQ(sp->Value(), 5);  // the release is the click
  backend->Advance(500);
  EXPECT_EQ(sp->Value(), 5);
}

// The press itself takes the focus rectangle to the pressed arrow and the
// focus to the edit; a press let go off the arrow steps nothing.
TEST_F(ExtGridControlsTest, PressingASpinArrowMovesTheFocusMarkBeforeAnyClick) {
  MakeGrid<TExtStringGrid>(2, 2);
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(200, 280, 60, 22);
  auto* sp = new TEsgSpinEdit(form.get());
  sp->SetParent(form.get());
  sp->SetBounds(10, 280, 120, 22);
  sp->SetValue(3);
  other->SetFocus();
  Application->ProcessMessages();
  TExtTimerSpeedButton& up = *sp->Button()->UpButton();
  TExtTimerSpeedButton& down = *sp->Button()->DownButton();
  ASSERT_TRUE(up.FocusRect);
  backend->PressMouse(down, 3, 3);
  EXPECT_TRUE(down.FocusRect);
  EXPECT_FALSE(up.FocusRect);
  EXPECT_TRUE(sp->Focused());
  backend->ReleaseMouse(down, down.Width() + 30, 3);
  EXPECT_EQ(sp->Value(), 3);
  EXPECT_TRUE(down.FocusRect);
}

TEST_F(ExtGridControlsTest, ButtonReportsItsClickAndEscapeRestores) {
  auto& g = Typed(edButton);
  g.SetCellText(1, 1, "go");
  AnsiString seen;
  g.OnEllipsClick = [&](TObject*, int c, int r, AnsiString& s) {
    seen = s + std::to_string(c) + std::to_string(r);
  };
  Key(VK_F2);
  ASSERT_TRUE(g.ButtonEditor()->Visible());
  Key(VK_SPACE);
  EXPECT_EQ(seen, "go11");
  Key(VK_ESCAPE);
  EXPECT_FALSE(g.ButtonEditor()->Visible());
  EXPECT_FALSE(g.EditorActive());
  EXPECT_EQ(g.GetCellText(1, 1), "go");
}

TEST_F(ExtGridControlsTest, CheckBoxHandsEnterBackAndStoresNothing) {
  auto& g = Typed(edCheckBox);
  g.Navigation().AdvanceOnEnter = true;
  g.SetCellText(1, 1, "label");
  Key(VK_F2);
  ASSERT_TRUE(g.CheckBoxEditor()->Visible());
  Key(VK_SPACE);
  EXPECT_TRUE(g.CheckBoxEditor()->Checked());
  Key(VK_RETURN);
  EXPECT_FALSE(g.CheckBoxEditor()->Visible());
  EXPECT_EQ(g.GetCellText(1, 1), "label");
  EXPECT_EQ(g.Col(), 2);
}

// The box ticks as the button goes down and the release of that click does
// not untick it again: the user sees one change a click, and the box's
// click event runs once. Space toggles once as well; a press released off
// the box keeps what the press set.
TEST_F(ExtGridControlsTest, CheckBoxEditorTogglesOnceAClick) {
  auto& g = Typed(edCheckBox);
  Key(VK_F2);
  TGridCheckBox& box = *g.CheckBoxEditor();
  ASSERT_TRUE(box.Visible());
  int clicks = 0;
  box.OnClick = [&](TObject*) { ++clicks; };
  backend->PressMouse(box, 3, 3);
  EXPECT_TRUE(box.Checked());
  backend->ReleaseMouse(box, 3, 3);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(clicks, 1);
  backend->Click(box, 3, 3);
  EXPECT_FALSE(box.Checked());
  EXPECT_EQ(clicks, 2);
  backend->PressMouse(box, 3, 3);
  backend->ReleaseMouse(box, box.Width() + 20, 3);
  EXPECT_TRUE(box.Checked());
  Key(VK_SPACE);
  EXPECT_FALSE(box.Checked());
  EXPECT_EQ(clicks, 4);
  EXPECT_TRUE(box.Visible());
}

// A date spin on a cell that holds no date opens on today, not on the
// spin's least date.
TEST_F(ExtGridControlsTest, DateSpinOnTextThatIsNoDateOpensOnToday) {
  for (const char* text : {"abc", "", "31/1/2003"}) {
    SCOPED_TRACE(text);
    auto& g = Typed(edDateSpinEdit);
    g.SetCellText(1, 1, text);
    Key(VK_F2);
    ASSERT_TRUE(g.Spin()->Visible());
    EXPECT_EQ(g.Spin()->Text(), std::string(text) == "31/1/2003" ? "31/1/2003" : DateToStr(Date()));
    Key(VK_ESCAPE);
  }
}

// The rich-text editor opens with its whole text selected, the selection
// kept in view, and its text inset 2 pixels all round: a typed character
// replaces the cell's text. It has no edge of its own and takes the cell's
// colour, to its very corner.
TEST_F(ExtGridControlsTest, RichEditorOpensOnItsWholeTextInset) {
  auto& g = Typed(edRichEdit);
  g.SetColWidths(1, 120);
  g.SetRowHeights(1, 30);
  g.SetCellText(1, 1, "{\\rtf1\\ansi {\\b bold} text}");
  g.OnGetCellColor = [](TObject*, int, int, TGridDrawState, TBrush& brush, TFont&) {
    brush.Color = clYellow;
  };
  Key(VK_F2);
  TExtRichEdit& e = *g.RichInplaceEditor();
  ASSERT_TRUE(e.Visible());
  EXPECT_EQ(e.BorderStyle(), bsNone);
  EXPECT_EQ(e.Color(), clYellow);
  EXPECT_TRUE(e.WordWrap()) << "its own wrapping, whatever the grid's";
  const TImageCanvas* shot = backend->Render(*form);
  ASSERT_NE(shot, nullptr);
  const TPoint corner = form->ScreenToClient(e.ClientToScreen(Point(0, 0)));
  EXPECT_EQ(shot->Pixel(corner.X, corner.Y), ColorToRGB(clYellow));
  EXPECT_EQ(e.SelStart(), 0);
  EXPECT_EQ(e.SelLength(), static_cast<int>(e.Text().size()));
  EXPECT_EQ(e.SelText(), "bold text");
  EXPECT_FALSE(e.HideSelection);
  TRect format;
  e.Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  const TRect cell = g.CellRect(1, 1);
  EXPECT_EQ(format, Rect(2, 2, cell.Width() - 2, cell.Height() - 2));
  backend->Type("x");
  EXPECT_EQ(e.Text(), "x");
}

TEST_F(ExtGridControlsTest, UnitCellSplitsAndComesBack) {
  auto& g = Typed(edUnitEditBtn);
  g.SetCellText(1, 1, "12.5 kg");
  Key(VK_F2);
  TGridUnitEditBtn& e = *g.UnitEditBtn();
  EXPECT_EQ(e.Text(), "12.5");
  EXPECT_EQ(e.UnitID(), " kg");
  g.HideCellEditor();
  EXPECT_EQ(g.GetCellText(1, 1), "12.5 kg");
}

TEST_F(ExtGridControlsTest, UnitButtonChoosesFromTheUnits) {
  MakeGrid<TExtStringGrid>(2, 2);
  auto* e = new TEsgUnitEditBtn(form.get());
  e->SetParent(form.get());
  e->SetBounds(10, 280, 120, 22);
  e->Units().Add("kg");
  e->Units().Add("t");
  e->SetText("3");
  Application->ProcessMessages();
  int items = 0;
  backend->ExpectMenu([&](TWinControl&) {
    backend->PressKey(VK_DOWN);
    backend->PressKey(VK_DOWN);
    backend->PressKey(VK_RETURN);
  });
  e->OnClickBtn = [&](TObject*) { ++items; };  // the unit edit's button shows the menu instead
  e->ClickBtn();
  EXPECT_EQ(e->UnitID(), "t");
  EXPECT_EQ(e->Text(), "3");
  EXPECT_EQ(items, 0);
  EXPECT_TRUE(backend->UnexpectedDialogs.empty());
}

TEST_F(ExtGridControlsTest, EditButtonFiltersAndReportsItsClick) {
  auto& g = Typed(edNumericEditBtn);
  int clicks = 0;
  g.OnEllipsClick = [&](TObject*, int, int, AnsiString& s) {
    ++clicks;
    s = "42";
  };
  backend->Type("1a2");
  TGridEditBtn& e = *g.EditBtn();
  EXPECT_EQ(e.Text(), "12");
  EXPECT_EQ(backend->Beeps.size(), 1u);
  Key(VK_F4, {ssCtrl});  // with Ctrl the edit keeps its keys: F4 clicks
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(e.Text(), "42");
  Key(VK_RETURN);
  EXPECT_EQ(g.GetCellText(1, 1), "42");
  EXPECT_FALSE(e.Visible());
}

// A picture of each editor open over its cell, for the review.
TEST_F(ExtGridControlsTest, EachEditorDrawsOverItsCell) {
  const std::pair<TEditorType, const char*> editors[] = {
      {edNormal, "text"},
      {edSpinEdit, "spin"},
      {edComboEdit, "combo_edit"},
      {edComboList, "combo_list"},
      {edEditBtn, "edit_button"},
      {edCheckBox, "check_box"},
      {edDateEdit, "date"},
      {edTimeEdit, "time"},
      {edButton, "button"},
      {edUnitEditBtn, "unit"},
      {edFloatSpinEdit, "float_spin"},
      {edDateSpinEdit, "date_spin"},
  };
  for (const auto& [type, name] : editors) {
    SCOPED_TRACE(name);
    auto& g = Typed(type);
    g.SetColWidths(1, 150);
    g.SetCellText(1, 1, type == edUnitEditBtn ? "12.5 kg" : type == edDateSpinEdit ? "31/1/2003" : "12");
    Key(VK_F2);
    EXPECT_TRUE(g.EditorActive());
    const std::string file = TestOutput(std::string("grid_editor_") + name + ".png");
    backend->SaveWindowPng(*form, file);
    std::FILE* f = std::fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    EXPECT_GT(std::ftell(f), 100);
    std::fclose(f);
  }
}

}  // namespace

namespace {

class FlatComboTest : public GridFormTest {};

TEST_F(FlatComboTest, ButtonWidthLimitsAndColourKeptWhileDisabled) {
  MakeGrid<TExtStringGrid>(2, 2);
  auto* c = new TESGComboBox(form.get());
  c->SetParent(form.get());
  c->SetBounds(10, 280, 120, 22);
  // The scroll arrow's width and four, until a width within 14..32 is set.
  const int byDefault = GetScrollBarMetric(SM_CXVSCROLL) + 4;
  EXPECT_EQ(byDefault, 20);
  for (int w : {13, 33}) {
    c->SetButtonWidth(w);
    EXPECT_EQ(c->ButtonWidth(), byDefault);
  }
  for (int w : {14, 32}) {
    c->SetButtonWidth(w);
    EXPECT_EQ(c->ButtonWidth(), w);
    EXPECT_EQ(c->ButtonRect().Width(), w);
  }
  c->SetColor(0x00FFEECC);
  c->SetEnabled(false);
  EXPECT_TRUE(c->ParentColor());
  c->SetEnabled(true);
  EXPECT_EQ(c->Color(), 0x00FFEECC);
  EXPECT_FALSE(c->ParentColor());
  c->SetDropWidth(0);
  EXPECT_EQ(c->DropDownWidth, 0);
  c->SetDropWidth(200);
  EXPECT_EQ(c->DropDownWidth, 200);
  backend->SaveWindowPng(*form, TestOutput("grid_flat_combo.png"));
}

// Idle, the wide flat combo's border is three frames of the button face;
// with the focus (or FocusBorder) a sunken edge, a face frame and the
// field's colour.
TEST_F(FlatComboTest, TheIdleBorderIsThreeFaceFramesTheActiveOneSunken) {
  auto& g = MakeGrid<TExtStringGrid>(2, 2);
  auto* c = new TESGUniComboBox(form.get());
  c->SetParent(form.get());
  c->SetBounds(10, 280, 120, 22);
  c->SetColor(clWhite);
  form->Show();
  g.SetFocus();
  Application->ProcessMessages();
  const TColor face = ColorToRGB(clBtnFace);
  auto border = [&](int i) {
    const TImageCanvas* image = backend->Render(*c->TopLevel());
    const TPoint screen = c->ClientToScreen(Point(i, c->ClientHeight() / 2));
    return image->Pixel(screen.X - c->TopLevel()->Left(), screen.Y - c->TopLevel()->Top());
  };
  for (int i = 0; i < 3; ++i) EXPECT_EQ(border(i), face) << i;
  struct Case {
    const char* what;
    std::function<void()> make;
  };
  const Case active[] = {
      {"focused", [&] { c->SetFocus(); }},
      {"a focus border",
       [&] {
         g.SetFocus();
         c->SetFocusBorder(true);
       }},
  };
  for (const Case& k : active) {
    SCOPED_TRACE(k.what);
    k.make();
    Application->ProcessMessages();
    EXPECT_EQ(border(0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(border(1), face);
    EXPECT_EQ(border(2), clWhite);
  }
}

// The two flat combos draw their border by rules of their own: the 8-bit
// one sinks only where the focus border meets the active look (the focus
// or the mouse) and otherwise keeps a flat edit's look, its button standing
// out in the active look alone; the wide one sinks with any of the three.
TEST_F(FlatComboTest, EachComboDrawsItsBorderByItsOwnRule) {
  enum State { idle, focused, mouseOver };
  struct Case {
    bool wide;
    State state;
    bool focusBorder;
    bool sunken;
    std::vector<TColor> rings;  // from the outside in, after a sunken edge
    bool buttonEdge;
  };
  const TColor face = clBtnFace, field = clWhite;
  const Case cases[] = {
      {false, idle, false, false, {face, field}, false},
      {false, idle, true, false, {face, field}, false},
      {false, focused, false, false, {face, field}, true},
      {false, focused, true, true, {face, field}, true},
      {false, mouseOver, false, false, {face, field}, true},
      {false, mouseOver, true, true, {face, field}, true},
      {true, idle, false, false, {face, face, face}, false},
      {true, idle, true, true, {face, field}, true},
      {true, focused, false, true, {face, field}, true},
      {true, mouseOver, false, true, {face, field}, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.wide ? "wide" : "8-bit") + " state " + std::to_string(k.state) +
                 (k.focusBorder ? " with a focus border" : ""));
    auto& g = MakeGrid<TExtStringGrid>(2, 2);
    TESGCustomCombo* c = k.wide ? static_cast<TESGCustomCombo*>(new TESGUniComboBox(form.get()))
                                : new TESGComboBox(form.get());
    c->SetParent(form.get());
    c->SetBounds(10, 280, 120, 22);
    c->SetColor(field);
    c->SetFocusBorder(k.focusBorder);
    g.SetFocus();
    backend->MoveMouse(g, 5, 5);
    if (k.state == focused) c->SetFocus();
    if (k.state == mouseOver) backend->MoveMouse(*c, 40, 10);
    Application->ProcessMessages();
    EXPECT_EQ(c->ActiveLook(), k.state != idle);
    TRecordingCanvas canvas(c->Width(), c->Height());
    c->PaintTo(canvas, 0, 0);
    const TRect box = c->ClientRect();
    bool sunken = false, buttonEdge = false;
    for (const TDrawCall& edge : canvas.CallsOf("DrawEdge")) {
      ASSERT_GE(edge.Args.size(), 6u);
      const TRect at = Rect(edge.Args[0], edge.Args[1], edge.Args[2], edge.Args[3]);
      if (at == box && edge.Args[4] == static_cast<int>(BDR_SUNKENOUTER)) sunken = true;
      // The arrow's own frame control draws soft edges of its own.
      if (at == Rect(box.Right - c->ButtonWidth() - 2, 2, box.Right - 2, box.Bottom - 2) &&
          edge.Args[5] == static_cast<int>(BF_RECT))
        buttonEdge = true;
    }
    EXPECT_EQ(sunken, k.sunken);
    EXPECT_EQ(buttonEdge, k.buttonEdge);
    // The colour of each ring is that of the last fill of its top line.
    const int first = k.sunken ? 1 : 0;
    for (int i = 0; i < static_cast<int>(k.rings.size()); ++i) {
      const int inset = first + i;
      std::optional<TColor> colour;
      for (const TDrawCall& fill : canvas.CallsOf("FillRect"))
        if (fill.Args == std::vector<int>{inset, inset, box.Right - inset, inset + 1})
          colour = fill.Brush.Color;
      ASSERT_TRUE(colour.has_value()) << "ring " << i;
      EXPECT_EQ(ColorToRGB(*colour), ColorToRGB(k.rings[i])) << "ring " << i;
    }
  }
}

// The button of the wide combo takes the system's scroll arrow with room
// around it; its edge shows with the focus border even while idle, and an
// open list holds it down.
TEST_F(FlatComboTest, TheButtonEdgeFollowsTheFocusBorderAndTheOpenList) {
  auto& g = MakeGrid<TExtStringGrid>(2, 2);
  auto* c = new TESGUniComboBox(form.get());
  c->SetParent(form.get());
  c->SetBounds(10, 280, 120, 22);
  c->WideItems().Add(u"\u03b1");
  c->WideItems().Add(u"\u03b2");
  EXPECT_EQ(c->ButtonWidth(), GetScrollBarMetric(SM_CXVSCROLL) + 4);
  form->Show();
  g.SetFocus();
  Application->ProcessMessages();
  // A pixel of the button's right edge, half way down.
  auto rightEdge = [&] {
    const TImageCanvas* image = backend->Render(*c->TopLevel());
    const TPoint screen = c->ClientToScreen(Point(c->ClientWidth() - 3, c->ClientHeight() / 2));
    return image->Pixel(screen.X - c->TopLevel()->Left(), screen.Y - c->TopLevel()->Top());
  };
  EXPECT_EQ(rightEdge(), ColorToRGB(clBtnFace));  // idle: no edge
  c->SetFocusBorder(true);
  EXPECT_EQ(rightEdge(), ColorToRGB(cl3DDkShadow));  // raised
  c->SetDroppedDown(true);
  Application->ProcessMessages();
  EXPECT_EQ(rightEdge(), ColorToRGB(clBtnHighlight));  // sunken
  backend->SaveWindowPng(*form, TestOutput("grid_uni_combo_dropped.png"));
  c->SetDroppedDown(false);
  Application->ProcessMessages();
  EXPECT_EQ(rightEdge(), ColorToRGB(cl3DDkShadow));
}

}  // namespace

namespace {

// An edit that counts its frees.
struct CountedEdit : TEdit {
  CountedEdit(TComponent* owner, int& frees) : TEdit(owner), frees_(frees) {}
  ~CountedEdit() override { ++frees_; }
  int& frees_;
};

// An application's editor: a plain edit, made anew for every edit when the
// link owns it.
struct EditLink : TEditLink {
  using TEditLink::TEditLink;
  TEdit* edit = nullptr;
  int frees = 0;
  std::vector<std::string> calls;
  TWinControl* GetEditControl() override { return edit; }
  void CreateEditor(TWinControl* parent) override {
    if (OwnsControl)
      edit = new CountedEdit(parent, frees);
    else if (!edit)
      edit = new TEdit(parent);
    edit->SetParent(parent);
    calls.push_back("create");
  }
  void SetFocus(bool v) override {
    if (v && edit->CanFocus()) edit->SetFocus();
  }
  void SetRect(const TRect& r) override {
    edit->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    calls.push_back("rect " + std::to_string(r.Width()));
  }
  void SetVisible(bool v) override { edit->SetVisible(v); }
  AnsiString GetEditorValue() override { return edit->Text(); }
  void SetEditorValue(const AnsiString& v) override { edit->SetText(v); }
};

class EditLinkTest : public ExtGridControlsTest {};

TEST_F(EditLinkTest, InplaceLinkEditsTheCellAndTheEventSeesIt) {
  auto& g = Typed(edCustom);
  EditLink link(nullptr);
  g.EditLink = &link;
  g.SetCellText(1, 1, "old");
  TEditLink* seen = nullptr;
  g.OnGetEditorProp = [&](TObject*, int c, int r, TEditLink* l) {
    EXPECT_EQ(c, 1);
    EXPECT_EQ(r, 1);
    seen = l;
  };
  backend->Type("x");
  EXPECT_EQ(seen, &link);
  EXPECT_EQ(link.edit->Parent(), &g);
  EXPECT_EQ(link.edit->Text(), "x");  // the start character replaced the selected text
  g.HideCellEditor();
  EXPECT_EQ(g.GetCellText(1, 1), "x");
  EXPECT_FALSE(link.edit->Visible());
  g.EditLink = nullptr;
  link.edit = nullptr;  // the grid's form frees it
}

// The focus leaving the application's control stores its value: the edit
// ends (and a control the link made is freed), or goes on when the link
// keeps editing.
TEST_F(EditLinkTest, FocusLeavingTheControlStoresTheValue) {
  const struct {
    const char* what;
    bool keep, owns;
  } cases[] = {{"ends", false, false}, {"keeps editing", true, false}, {"frees its control", false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto& g = Typed(edCustom);
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(0, 0, 30, 10);
    EditLink link(nullptr);
    link.KeepEditingOnExit = c.keep;
    link.OwnsControl = c.owns;
    g.EditLink = &link;
    int done = 0;
    g.OnEditingDone = [&](TObject*) { ++done; };
    g.SetCellText(1, 1, "old");
    Key(VK_F2);
    ASSERT_TRUE(link.edit && link.edit->Focused());
    backend->Type("new");
    backend->Click(*other, 5, 5);
    Application->ProcessMessages();
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(g.GetCellText(1, 1), "new");
    EXPECT_EQ(g.EditorActive(), c.keep);
    EXPECT_EQ(done, c.keep ? 0 : 1);
    EXPECT_EQ(link.frees, c.owns ? 1 : 0);
    if (!c.owns) EXPECT_EQ(link.edit->Visible(), c.keep);
    if (c.keep) g.HideCellEditor();
    g.EditLink = nullptr;
    link.edit = nullptr;  // the grid's form frees it, or the grid did
  }
}

// An application's editor that keeps editing when left stays open while
// the focus is away; the grid taking the focus closes it and stores its
// value, unless the date picker's calendar is down at that moment.
TEST_F(EditLinkTest, TheGridTakingTheFocusClosesAnEditorLeftOpen) {
  const struct {
    const char* what;
    bool drop, closeUp;
  } cases[] = {{"calendar never down", false, false},
               {"calendar down and up again", true, true},
               {"calendar down", true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto& g = Typed(edCustom);
    EditLink link(nullptr);
    link.KeepEditingOnExit = true;
    g.EditLink = &link;
    int done = 0;
    g.OnEditingDone = [&](TObject*) { ++done; };
    g.SetCellText(1, 1, "old");
    Key(VK_F2);
    ASSERT_TRUE(link.edit && link.edit->Focused());
    backend->Type("new");
    TGridDatePicker* picker = g.DatePicker();
    ASSERT_NE(picker, nullptr);
    if (c.drop) picker->SetDroppedDown(true);
    if (c.closeUp) picker->SetDroppedDown(false);
    const bool down = c.drop && !c.closeUp;
    EXPECT_EQ(picker->Dropped(), down);
    g.SetFocus();
    Application->ProcessMessages();
    EXPECT_TRUE(g.Focused());
    EXPECT_EQ(g.GetCellText(1, 1), "new");
    EXPECT_EQ(g.EditorActive(), down);
    EXPECT_EQ(done, down ? 0 : 1);
    EXPECT_EQ(link.edit->Visible(), down);
    if (down) {
      picker->SetDroppedDown(false);
      EXPECT_FALSE(picker->Dropped());
      g.HideCellEditor();
    }
    g.EditLink = nullptr;
    link.edit = nullptr;  // the grid's form frees it
  }
}

TEST_F(EditLinkTest, PopupLinkEndsTheEditWhenItsFormIsLeft) {
  auto& g = Typed(edCustom);
  EditLink link(nullptr);
  link.EditStyle = TEditLink::esPopup;
  link.WantCellWidth = true;
  link.PopupHeight = 60;
  g.EditLink = &link;
  g.SetCellText(1, 1, "a");
  Key(VK_F2);
  ASSERT_NE(link.PopupForm, nullptr);
  EXPECT_EQ(link.calls.back(), "rect " + std::to_string(g.CellRect(1, 1).Width()));
  link.edit->SetText("b");
  backend->ActivateWindow(*form);
  Application->ProcessMessages();
  EXPECT_EQ(link.PopupForm, nullptr);
  EXPECT_EQ(g.GetCellText(1, 1), "b");
  EXPECT_FALSE(g.EditorActive());
  g.EditLink = nullptr;
  link.edit = nullptr;
}

}  // namespace

// A click on the grid starts the choice of editor afresh; an editor that
// shows keeps its state, so a special one still stores its value on closing.
TEST_F(ExtGridControlsTest, AClickAsksForTheEditorAgainButLeavesAnOpenOneAlone) {
  TEditorType type = edNormal;
  int asked = 0;
  auto& g = Typed(edNormal);
  g.OnGetEditorType = [&](TObject*, int, int, TEditorType& e) {
    e = type;
    ++asked;
  };
  const TRect cell = g.CellRect(2, 2);
  Key(VK_F2);
  ASSERT_TRUE(g.InplaceEditor() && g.InplaceEditor()->Visible());
  EXPECT_EQ(asked, 1);
  g.HideEditor();
  ASSERT_TRUE(g.EditorActive());  // the kind chosen stays chosen ...
  type = edSpinEdit;
  backend->Click(g, cell.Left + 5, cell.Top + 5);  // ... until a click
  g.SetCol(1);
  g.SetRow(1);
  Application->ProcessMessages();
  EXPECT_FALSE(g.EditorActive());
  Key(VK_F2);
  EXPECT_EQ(asked, 2);
  ASSERT_TRUE(g.Spin()->Visible());

  // The spin shows: a click elsewhere in the grid closes it through its
  // own exit, which stores the value typed before the click clears the mark.
  g.Spin()->SetText("42");
  backend->Click(g, g.CellRect(0, 0).Left + 5, g.CellRect(0, 0).Top + 5);  // the fixed corner
  EXPECT_FALSE(g.Spin()->Visible());
  EXPECT_FALSE(g.EditorActive());
  EXPECT_EQ(g.GetCellText(1, 1), "42");
}
