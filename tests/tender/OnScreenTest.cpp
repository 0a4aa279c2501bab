// What a committee member meets on screen: readable cells, buttons that do
// not cover each other and commands that act on what was typed.
#include <cmath>

#include "MainWindowFixture.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/print/Printers.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Input.h"
#include "platform/ui/Menus.h"

namespace {

double Luminance(TColor c) {
  auto channel = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  const int rgb = static_cast<int>(ColorToRGB(c));
  return 0.2126 * channel(rgb & 0xFF) + 0.7152 * channel((rgb >> 8) & 0xFF) +
         0.0722 * channel((rgb >> 16) & 0xFF);
}

double Contrast(TColor a, TColor b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The background is the cell's most frequent colour, the text the one that
// differs most from it.
struct CellColours {
  TColor back = clNone, text = clNone;
};

CellColours ReadCell(const TImageCanvas& image, TRect r) {
  std::map<TColor, int> counts;
  for (int y = r.Top + 3; y < r.Bottom - 3; ++y)
    for (int x = r.Left + 3; x < r.Right - 3; ++x) ++counts[image.Pixel(x, y)];
  CellColours out;
  int most = -1;
  for (const auto& [colour, n] : counts)
    if (n > most) most = n, out.back = colour;
  double far = 0;
  for (const auto& [colour, n] : counts)
    if (const double c = Contrast(colour, out.back); c > far) far = c, out.text = colour;
  return out;
}

class OnScreenTest : public MainWindowTest {
 protected:
  void TearDown() override {
    delete BudgetForm;
    BidderDiscountTable.FreeAll();
    MainWindowTest::TearDown();
  }
  // A project by work items with a two-row study budget and one bidder.
  TFrmAXP& PricedProject() {
    TFrmAXP& w = Start();
    w.ProjectType = 1;
    w.RadioGroupZephType->SetItemIndex(1);
    CostDecimals = 2;
    w.StGrid->SetCellText(1, 1, "ΑΛΦΑ ΑΤΕ"_a);
    TUproypFrm& b = EnsureBudgetForm();
    b.SetStudyLayout();
    const char* rows[][3] = {{"Α.1", "2", "3"}, {"Α.2", "10", "4,5"}};
    for (int r = 0; r < 2; ++r)
      for (int c = 1; c < 4; ++c) b.ProypGrid->SetCells(c, r + 1, cp1253::FromUtf8(rows[r][c - 1]));
    b.SumaGrid->SetCells(3, 2, "18");
    b.RecalcClick(nullptr);
    return w;
  }

  // The current cell of Grid, focused, in window coordinates of its form.
  CellColours FocusedCell(TCustomForm& window, TCustomGrid& grid, int col, int row) {
    grid.SetFocus();
    grid.SetCol(col);
    grid.SetRow(row);
    Application->ProcessMessages();
    const TImageCanvas* image = backend->Render(window);
    EXPECT_NE(image, nullptr);
    if (!image) return {};
    TRect r = grid.CellRect(col, row);
    for (const TControl* c = &grid; c->Parent(); c = c->Parent())
      r = OffsetRect(r, c->Left() + c->Parent()->ClientOffset().X, c->Top() + c->Parent()->ClientOffset().Y);
    return ReadCell(*image, r);
  }
};

TEST_F(OnScreenTest, TheCurrentCellOfEachGridIsReadable) {
  TFrmAXP& w = Start();
  w.StGrid->SetCells(1, 1, "ΑΛΦΑ ΑΤΕ"_a);
  const CellColours offers = FocusedCell(w, *w.StGrid, 1, 1);
  EXPECT_GE(Contrast(offers.back, offers.text), 4.5) << std::hex << offers.back << " " << offers.text;

  w.ProjectType = 1;
  CostDecimals = 2;
  TUproypFrm& b = EnsureBudgetForm();
  b.SetStudyLayout();
  b.ProypGrid->SetCells(1, 1, "Α.1");
  b.ProypGrid->SetCells(2, 1, "12");
  b.SumaGrid->SetCells(3, 2, "18");
  b.Show();
  const CellColours budget = FocusedCell(b, *b.ProypGrid, 2, 1);
  EXPECT_GE(Contrast(budget.back, budget.text), 4.5) << std::hex << budget.back << " " << budget.text;
  const CellColours totals = FocusedCell(b, *b.SumaGrid, 3, 2);
  EXPECT_GE(Contrast(totals.back, totals.text), 4.5) << std::hex << totals.back << " " << totals.text;
  b.Hide();
}

TEST_F(OnScreenTest, BidderToolBarButtonsStandSideBySide) {
  TFrmAXP& w = PricedProject();
  w.StGrid->SetRow(1);
  int checked = 0;
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto& b = dynamic_cast<TUproypFrm&>(f);
    ASSERT_TRUE(b.EkptBtn->Visible());
    std::vector<TControl*> shown;
    for (int i = 0; i < b.ToolPanel->ControlCount(); ++i)
      if (TControl* c = b.ToolPanel->Controls(i); c->Visible()) shown.push_back(c);
    for (size_t i = 0; i < shown.size(); ++i) {
      const TRect a = shown[i]->BoundsRect();
      EXPECT_LE(a.Right, b.ToolPanel->Width()) << shown[i]->Name();
      for (size_t j = i + 1; j < shown.size(); ++j) {
        const TRect c = shown[j]->BoundsRect();
        EXPECT_TRUE(a.Right <= c.Left || c.Right <= a.Left)
            << shown[i]->Name() << " covers " << shown[j]->Name();
        ++checked;
      }
    }
    // "Τιμές" follows the print buttons.
    EXPECT_GT(b.EkptBtn->Left(), b.PrintProypq->Left());
    f.SetModalResult(mrCancel);
  });
  w.CheckOmalbtn->SetEnabled(true);
  w.CheckOmalbtnClick(nullptr);
  EXPECT_GT(checked, 10);
}

TEST_F(OnScreenTest, BoxesCarryTheProgramsName) {
  TFrmAXP& w = Start();
  EXPECT_EQ(Application->Title, w.Title);
  backend->ExpectMessageBox("", IDOK);
  ShowMessage("Δοκιμή"_a);
  ASSERT_FALSE(backend->MessageBoxes.empty());
  EXPECT_EQ(backend->MessageBoxes.back().Caption, w.Title);
}

TEST_F(OnScreenTest, AboutBoxSpeaksOfTheSystemsMemory) {
  Start();
  int labels = 0;
  backend->ExpectModal("Tolvicor", [&](TCustomForm& f) {
    for (int i = 0; i < f.ComponentCount(); ++i)
      if (auto* label = dynamic_cast<TLabel*>(f.Components(i))) {
        EXPECT_EQ(label->Caption().find("Windows"), AnsiString::npos) << cp1253::ToUtf8(label->Caption());
        if (label->Caption().find("μνήμη"_a) != AnsiString::npos) ++labels;
      }
    f.SetModalResult(mrOk);
  });
  form->N16->Click();
  EXPECT_EQ(labels, 2);
}

TEST_F(OnScreenTest, EscapeClosesTheAboutBoxAsEveryOtherDialog) {
  Start();
  bool closed = false;
  backend->ExpectModal("", [&](TCustomForm& f) {
    backend->PressKey(VK_ESCAPE);
    closed = f.ModalResult() != mrNone;
    // Closed here either way, so that a box Escape leaves open ends.
    if (!closed) f.SetModalResult(mrOk);
  });
  form->N16->Click();
  EXPECT_TRUE(closed);
}

TEST_F(OnScreenTest, GuaranteeCaptionIsWhiteInTheMiddleOfItsBar) {
  TFrmAXP& w = Start();
  w.BitBtn1Click(nullptr);
  ASSERT_TRUE(w.ExtraKe->Visible());
  const TImageCanvas* image = backend->Render(w);
  ASSERT_NE(image, nullptr);
  TRect bar = w.ExtraKe->CaptionRect();
  for (const TControl* c = w.ExtraKe; c->Parent(); c = c->Parent())
    bar =
        OffsetRect(bar, c->Left() + c->Parent()->ClientOffset().X, c->Top() + c->Parent()->ClientOffset().Y);
  int first = -1, last = -1;
  double contrast = 0;
  for (int y = bar.Top; y < bar.Bottom; ++y)
    for (int x = bar.Left + 4; x < bar.Left + 200; ++x)
      if (image->Pixel(x, y) == static_cast<TColor>(0xFFFFFF)) {
        if (first < 0) first = y;
        last = y;
        contrast = std::max(contrast, Contrast(0xFFFFFF, image->Pixel(bar.Left + 2, y)));
      }
  ASSERT_GE(first, 0) << "no white text in the caption bar";
  EXPECT_LE(std::abs((first - bar.Top) - (bar.Bottom - 1 - last)), 4) << first << " " << last;
  EXPECT_GE(contrast, 4.5);
}

// The project's file name shows whole, only its folder shortened, clear of
// the title, at the window's first size and larger.
TEST_F(OnScreenTest, TheProjectsFileNameShowsWhole) {
  TFrmAXP& w = Start();
  EXPECT_EQ(w.Label24->EllipsisPosition(), epPathEllipsis);
  TBitmap measure(1, 1);
  measure.Canvas()->Font->Assign(w.Label24->Font());
  const int title = measure.Canvas()->TextWidth(w.Panel4->Caption());
  for (int width : {0, 1280}) {
    if (width != 0) backend->ResizeWindow(w, width, w.Height());
    Application->ProcessMessages();
    SCOPED_TRACE(w.Width());
    EXPECT_EQ(w.Label24->Parent(), w.Panel4);
    EXPECT_GE(w.Label24->Left(), (w.Panel4->ClientWidth() + title) / 2);
    EXPECT_LE(w.Label24->Left() + w.Label24->Width(), w.Panel4->ClientWidth());
    for (const char* name : {"Οδοποιία Ζωγράφου.ddn", "ΑΝΑΠΛΑΣΗ ΚΕΝΤΡΙΚΗΣ ΠΛΑΤΕΙΑΣ ΔΗΜΟΥ ΖΩΓΡΑΦΟΥ.DDN"})
      EXPECT_LE(measure.Canvas()->TextWidth(".../"_a + cp1253::FromUtf8(name)), w.Label24->Width()) << name;
  }
  w.Label24->SetCaption("/home/ΕΠΙΤΡΟΠΗ/Έγγραφα/Δημοπρασία/Οδοποιία Ζωγράφου.ddn"_a);
  backend->SaveWindowPng(w, TestOutput("project_file_name.png"));
}

// ---- commands given with the mouse ------------------------------------------------------

TEST_F(OnScreenTest, DeleteWithTheMouseAsksAndDeletesTheGridsRow) {
  TFrmAXP& w = Start();
  TypeCell(1, 1, "ΑΛΦΑ"_a);
  TypeCell(1, 2, "ΒΗΤΑ"_a);
  TypeCell(1, 3, "ΓΑΜΜΑ"_a);
  // From elsewhere the button does nothing: no question, no deletion.
  w.Memo1->SetFocus();
  Press(*w.Button2);
  EXPECT_TRUE(backend->MessageBoxes.empty());
  EXPECT_EQ(w.StGrid->GetCellText(1, 2), "ΒΗΤΑ"_a);
  // From the grid the mouse press takes the focus to the button, and the
  // command still acts on the grid's row.
  w.StGrid->SetFocus();
  w.StGrid->SetRow(2);
  backend->ExpectMessageBox("Να διαγραφεί η γραμμή;"_a, IDYES);
  Press(*w.Button2);
  EXPECT_EQ(w.StGrid->GetCellText(1, 2), "ΓΑΜΜΑ"_a);
  EXPECT_TRUE(w.StGrid->Focused());
  // Cancel keeps the row.
  backend->ExpectMessageBox("Να διαγραφεί η γραμμή;"_a, IDCANCEL);
  Press(*w.Button2);
  EXPECT_EQ(w.StGrid->GetCellText(1, 2), "ΓΑΜΜΑ"_a);
}

TEST_F(OnScreenTest, CalculateRightAfterTypingADivisorUsesIt) {
  TFrmAXP& w = Start();
  TypeCell(1, 1, "ΑΛΦΑ"_a);
  TypeCell(2, 1, "60000");
  TypeField(*w.EditDiair, "100000");
  // The cursor stays in the field: the tool bar's button takes no focus.
  w.EditDiair->SetFocus();
  w.EditDiair->SelectAll();
  backend->Type("80000");
  Press(*w.docalc);
  EXPECT_TRUE(w.EditDiair->Focused());
  EXPECT_EQ(ProjectHeader.Divisor, 80000);
  EXPECT_EQ(StrToNum(w.StGrid->GetCellText(3, 1)), 25);
  // An amount still in the grid's editor counts too.
  w.StGrid->SetFocus();
  w.StGrid->SetCol(2);
  w.StGrid->SetRow(1);
  backend->Type("40000");
  Press(*w.docalc);
  EXPECT_EQ(StrToNum(w.StGrid->GetCellText(3, 1)), 50);
}

// ---- quick print on the PDF printer ---------------------------------------------------

TEST_F(OnScreenTest, QuickPrintNamesItsFileInABox) {
  TempFolder documents;
  TPrinterProfile pdf = printers::PdfPrinterProfile();
  pdf.OutputFolder = cp1253::FromUtf8(documents.path());
  printers::UseProfiles({pdf});
  Printer()->SetPrinterIndex(-1);
  ShowPrintedFileNames();
  TFrmAXP& w = Start();
  TypeCell(1, 1, "ΑΛΦΑ"_a);
  TypeCell(2, 1, "60000");
  TypeField(*w.EditDiair, "100000");
  Press(*w.docalc);
  w.Label24->SetCaption(Folder() + "ΟΔΟΠΟΙΙΑ.DDN"_a);
  const AnsiString file = cp1253::FromUtf8(documents.path()) + "/ΟΔΟΠΟΙΙΑ.pdf"_a;
  backend->ExpectMessageBox(PrintedFileMessage(file), IDOK);
  Press(*w.doprintq);
  printers::OnFileWritten = nullptr;
  printers::UseSystem();
  EXPECT_TRUE(FileExists(file));
  ASSERT_FALSE(backend->MessageBoxes.empty());
  EXPECT_NE(backend->MessageBoxes.back().Text.find("ΟΔΟΠΟΙΙΑ.pdf"_a), AnsiString::npos);
}

// ---- F2 in the grids --------------------------------------------------------------------

TEST_F(OnScreenTest, F2ShowsATextThatFitsFromItsStart) {
  TFrmAXP& w = Start();
  for (const char* text : {"ΑΛΦΑ ΤΕΧΝΙΚΗ ΑΤΕ", "Ω", "ΔΕΛΤΑ ΚΑΤΑΣΚΕΥΑΣΤΙΚΗ ΕΡΓΟΛΗΠΤΙΚΗ"}) {
    w.StGrid->SetCellText(1, 1, cp1253::FromUtf8(text));
    w.StGrid->SetFocus();
    w.StGrid->SetCol(1);
    w.StGrid->SetRow(1);
    backend->PressKey(VK_F2);
    TInplaceEdit* editor = w.StGrid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->Visible());
    Application->ProcessMessages();
    TRecordingCanvas canvas(editor->Width(), editor->Height());
    editor->PaintTo(canvas, 0, 0);
    const auto calls = canvas.CallsOf("ExtTextOut");
    ASSERT_FALSE(calls.empty()) << text;
    // The text starts inside the editor's left margin: nothing of its start
    // is scrolled out of view.
    EXPECT_GE(calls.front().Args[0], 0) << text;
    EXPECT_LE(calls.front().Args[0], 4) << text;
    backend->PressKey(VK_ESCAPE);
  }
}

// Escape after F2 ends the editing whole: no caret stays, the grid has
// the keyboard, and no key reaches the cell until editing starts again.
TEST_F(OnScreenTest, EscapeAfterF2LeavesNoCaretAndNoKeyReachesTheCell) {
  TFrmAXP& w = Start();
  w.StGrid->SetCellText(1, 1, "ΑΛΦΑ"_a);
  w.StGrid->SetCellText(1, 2, "ΒΗΤΑ"_a);
  w.StGrid->SetFocus();
  w.StGrid->SetCol(1);
  w.StGrid->SetRow(1);
  backend->PressKey(VK_F2);
  TInplaceEdit* editor = w.StGrid->InplaceEditor();
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(editor->Visible());
  TPoint caret{};
  EXPECT_TRUE(GetCaretPos(&caret));
  backend->PressKey(VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_FALSE(editor->Visible());
  EXPECT_FALSE(w.StGrid->EditorMode());
  EXPECT_EQ(GetFocus(), w.StGrid->Handle());
  EXPECT_FALSE(GetCaretPos(&caret)) << "a caret stays at " << caret.X << "," << caret.Y;
  for (Word key : {VK_DELETE, VK_END, VK_HOME, VK_LEFT}) {
    backend->PressKey(key);
    EXPECT_FALSE(editor->Visible()) << key;
    EXPECT_EQ(w.StGrid->GetCellText(1, 1), "ΑΛΦΑ"_a) << key;
  }
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(w.StGrid->GetCellText(1, 1), "ΑΛΦΑ"_a);
  EXPECT_EQ(w.StGrid->GetCellText(1, 2), "ΒΗΤΑ"_a);
  EXPECT_FALSE(GetCaretPos(&caret));
}

// ---- the main window's menus by keyboard ---------------------------------------------

TEST_F(OnScreenTest, AltAndAMenusLetterOpenItInEitherLayout) {
  TFrmAXP& w = Start();
  for (TWinControl* focused : std::vector<TWinControl*>{w.PrintInitaa, w.StGrid, w.EditDiair})
    for (const char typed : {'a', static_cast<char>("α"_a[0])}) {
      focused->SetFocus();
      ui::input::KeyDown(VK_MENU);
      ui::input::KeyDown('A');
      ui::input::Char(typed, 'A');
      ui::input::KeyUp('A');
      ui::input::KeyUp(VK_MENU);
      Application->ProcessMessages();
      ASSERT_NE(OpenMenuWindow(), nullptr) << focused->Name() << " " << typed;
      EXPECT_EQ(&OpenMenuWindow()->MenuItems(), w.File1);
      backend->PressKey(VK_ESCAPE);
    }
  backend->PressKey(VK_F10);
  EXPECT_EQ(TMenuBar::InKeyboardMode(), w.MainMenu1->Bar());
  backend->PressKey(VK_ESCAPE);
}

}  // namespace
