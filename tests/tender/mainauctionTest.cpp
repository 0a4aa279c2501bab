#include <fstream>

#include "MainWindowFixture.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Shell.h"
#include "tender/BudgetFile.h"
#include "tender/OfferCalc.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

std::string ReadFile(const AnsiString& name) { return ReadWholeFile(name); }

void WriteFile(const AnsiString& name, const std::string& bytes) { SafeWriteFile(name, bytes); }

// ---- creation ----------------------------------------------------------------------------

TEST_F(MainWindowTest, CreationLaysOutTheGridAndTheSettings) {
  LocaleScope greek(LocaleScope::Greek);
  TFrmAXP& w = Start();
  EXPECT_EQ(w.Caption(), "Επεξεργασία στοιχείων διενέργειας  δημοπρασίας"_a);
  EXPECT_EQ(w.StGrid->ColCount(), 5);
  EXPECT_EQ(w.StGrid->RowCount(), 501);
  const int widths[] = {24, 270, 100, 70, 42};
  for (int col = 0; col < 5; ++col) EXPECT_EQ(w.StGrid->ColWidths(col), widths[col]) << col;
  EXPECT_EQ(w.StGrid->Font().Name, "Arial Greek");
  EXPECT_EQ(w.StGrid->GetCellText(0, 1), "  1");
  EXPECT_EQ(w.StGrid->GetCellText(0, 500), "500");
  EXPECT_EQ(w.StGrid->GetCellText(1, 0), "ΠΡΟΣΦΕΡΟΥΣΑ ΕΤΑΙΡΕΙΑ"_a);
  EXPECT_EQ(w.StGrid->GetCellText(2, 0), "ΠΟΣΟ ΠΡΟΣΦΟΡΑΣ"_a);
  EXPECT_EQ(w.StGrid->GetCellText(3, 0), "ΕΚΠΤΩΣΗ"_a);
  EXPECT_EQ(DiscountDecimals, 3);
  EXPECT_EQ(ExtraDecimalsA, 4);
  EXPECT_EQ(ExtraDecimalsB, 4);
  EXPECT_EQ(w.EkptDgEd->Value(), 3);
  EXPECT_EQ(RoundDiscountProc, &RoundDiscount);
  EXPECT_EQ(ProjectModified, 0);
  EXPECT_EQ(w.Panel4->Caption(), "Zeph-ΟΜΑΛΟΤΗΤΑ 1.46"_a);
  EXPECT_EQ(w.VersionDate, "9-5-2014");
  EXPECT_EQ(GetCurrentDir() + "/", Folder());
  EXPECT_FALSE(w.doprint->Enabled());
  EXPECT_FALSE(w.doprintq->Enabled());
  EXPECT_FALSE(w.dopreview->Enabled());
  EXPECT_FALSE(w.Doreset->Enabled());
  EXPECT_FALSE(w.sortBtn->Enabled());
  EXPECT_FALSE(w.CheckOmalbtn->Enabled());
  EXPECT_TRUE(w.PrintInitaa->Checked());
  EXPECT_TRUE(w.E10->Checked);
  EXPECT_FALSE(w.ExtraKe->Visible());
  EXPECT_FALSE(w.PrMemo->Visible());
  EXPECT_EQ(w.PrMemo->Font().Name, "Courier New");
  EXPECT_EQ(w.PrMemo->Font().Height(), -11);
  EXPECT_EQ(w.OpenDialog1->Filter, "ΑΡΧΕΙΑ  *.ddn|*.ddn|ΠΑΛΑΙΑ ΑΡΧΕΙΑ  *.ddt|*.ddt"_a);
  EXPECT_EQ(w.SaveDialog1->Filter, "ΑΡΧΕΙΑ *.ddn|*.ddn"_a);
  EXPECT_EQ(w.SaveDialog1->DefaultExt, "ddt");
  EXPECT_EQ(w.Doreset->Hint(), "Επαναφορά στοιχείων\rμε σειρά εισαγωγής-α/α|"_a);
  EXPECT_EQ(w.ClearButton->Hint(), "Καθάρισμα φύλλου"_a);
  // The choice shown is the type in force, and the study budget waits for
  // a type that has one.
  EXPECT_EQ(w.RadioGroupZephType->ItemIndex(), 0);
  EXPECT_EQ(w.ProjectType, 0);
  EXPECT_FALSE(w.ProInputBtn->Enabled());
}

TEST_F(MainWindowTest, MenusCarryTheirTexts) {
  TFrmAXP& w = Start();
  TMenuItem* bar = w.MainMenu1->Items();
  ASSERT_EQ(bar->Count(), 4);
  EXPECT_EQ(bar->Items(0)->Caption(), "&Αρχείο"_a);
  EXPECT_EQ(bar->Items(1)->Caption(), "&Παράμετροι"_a);
  EXPECT_EQ(bar->Items(2)->Caption(), "&Βοήθεια"_a);
  EXPECT_EQ(bar->Items(3)->Caption(), "περί"_a);
  std::vector<AnsiString> file;
  for (int i = 0; i < w.File1->Count(); ++i)
    if (!w.File1->Items(i)->IsLine()) file.push_back(w.File1->Items(i)->Caption());
  EXPECT_EQ(file,
            (std::vector<AnsiString>{"&Νέο"_a, "&Ανοιγμα"_a, "&Σώσιμο"_a, "Αποθήκευση &Ως"_a, "&Ευρετήριο"_a,
                                     "&Προεπισκόπιση"_a, "Εκ&τύπωση"_a, "&Γρήγορη εκτύπωση"_a, "Ε&ξοδος"_a}));
  EXPECT_EQ(w.E10->Caption(), "Eκτύπωση και &Αρχικής σειράς προσφορών"_a);
  ASSERT_EQ(w.GridPopup->Items()->Count(), 3);
  EXPECT_EQ(w.GridPopup->Items()->Items(0)->Caption(), "Συλλογή με το mouse"_a);
  EXPECT_EQ(w.GridPopup->Items()->Items(1)->Caption(), "&Αντιγραφή Συλλογής στο CilpBoard"_a);
  EXPECT_EQ(w.GridPopup->Items()->Items(2)->Caption(), "&Επικόληση Συλλογής Απο ClipBoard"_a);
  EXPECT_EQ(w.StGrid->PopupMenu, w.GridPopup);
}

// ---- the number style ------------------------------------------------------------------------

struct ProbeCase {
  LocaleScope::Which locale;
  Integer style;
  char decimal;
};

class NumberStyleProbe : public MainWindowTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(NumberStyleProbe, FollowsTheLocaleAndTheKeypadTypesItsSeparator) {
  LocaleScope locale(GetParam().locale);
  InitNumericLibrary();
  TFrmAXP& w = Start();
  EXPECT_EQ(NumberStyle, GetParam().style);
  EXPECT_EQ(LocaleDecimalChar, GetParam().decimal);
  w.StGrid->SetFocus();
  w.StGrid->SetCol(2);
  w.StGrid->SetRow(1);
  backend->Type("12");
  backend->PressKey(VK_DECIMAL);
  backend->Type("5");
  EXPECT_EQ(w.StGrid->GetCellText(2, 1), AnsiString("12") + GetParam().decimal + "5");
  // The keys of the main keyboard type what they show.
  w.StGrid->SetRow(2);
  backend->Type("1.5,2");
  EXPECT_EQ(w.StGrid->GetCellText(2, 2), "1.5,2");
}

INSTANTIATE_TEST_SUITE_P(Locales, NumberStyleProbe,
                         ::testing::Values(ProbeCase{LocaleScope::C, 1, '.'},
                                           ProbeCase{LocaleScope::Greek, 2, ','}));

// ---- typing rules --------------------------------------------------------------------------------

TEST_F(MainWindowTest, AmountAndDiscountColumnsTakeNumberCharactersOnly) {
  LocaleScope greek(LocaleScope::Greek);
  TFrmAXP& w = Start();
  w.StGrid->SetFocus();
  w.StGrid->SetCol(3);
  w.StGrid->SetRow(1);
  backend->Type("*1a2Ζ(3)+-/ ,."_a);
  EXPECT_EQ(w.StGrid->GetCellText(3, 1), "*12(3)+-/,.");
  EXPECT_EQ(ProjectModified, 1);
  // Enter moves to the next row.
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(w.StGrid->Row(), 2);
  EXPECT_EQ(w.StGrid->Col(), 3);
}

TEST_F(MainWindowTest, KeypadPointInTheGridTypesTheLocaleSeparator) {
  LocaleScope greek(LocaleScope::Greek);
  TFrmAXP& w = Start();
  w.StGrid->SetFocus();
  w.StGrid->SetCol(2);
  w.StGrid->SetRow(1);
  backend->Type("1");
  backend->PressKey(VK_DECIMAL);
  backend->Type("5.");
  EXPECT_EQ(w.StGrid->GetCellText(2, 1), std::string("1") + LocaleDecimalChar + "5.");
}

TEST_F(MainWindowTest, TypingANumberClearsTheRemarksColumn) {
  TFrmAXP& w = Start();
  w.StGrid->SetCellText(4, 3, "*");
  w.StGrid->SetFocus();
  w.StGrid->SetCol(2);
  w.StGrid->SetRow(1);
  backend->Type("7");
  EXPECT_EQ(w.StGrid->GetCellText(4, 3), "");
}

TEST_F(MainWindowTest, NameColumnTakesAnyTextAndMarksTheProject) {
  TFrmAXP& w = Start();
  w.StGrid->SetFocus();
  w.StGrid->SetCol(1);
  w.StGrid->SetRow(4);
  backend->Type("Ωμέγα & Σία 1"_a);
  EXPECT_EQ(w.StGrid->GetCellText(1, 4), "Ωμέγα & Σία 1"_a);
  EXPECT_EQ(ProjectModified, 1);
  backend->PressKey(VK_RETURN);
  EXPECT_EQ(w.StGrid->Row(), 5);
}

TEST_F(MainWindowTest, DivisorFieldFiltersAndIsRewrittenOnLeaving) {
  LocaleScope greek(LocaleScope::Greek);
  InitNumericLibrary();
  TFrmAXP& w = Start();
  CostDecimals = 2;
  w.EditDiair->SetFocus();
  backend->Type("12a345");
  backend->PressKey(VK_DECIMAL);
  backend->Type("6");
  EXPECT_EQ(w.EditDiair->Text(), "12345,6");
  EXPECT_EQ(ProjectModified, 1);
  w.StGrid->SetFocus();
  EXPECT_DOUBLE_EQ(ProjectHeader.Divisor, 12345.6);
  EXPECT_EQ(w.EditDiair->Text(), FormatNum(14, 2, 2, 12345.6));
  EXPECT_EQ(w.EditDiair->Text(), "     12.345,60");
}

TEST_F(MainWindowTest, IndicativeTotalTakesItsOwnKeypadKey) {
  LocaleScope greek(LocaleScope::Greek);
  InitNumericLibrary();
  TFrmAXP& w = Start();
  w.Edit1->SetFocus();
  backend->Type("150");
  backend->PressKey(VK_DECIMAL);
  backend->Type("5x");
  EXPECT_EQ(w.Edit1->Text(), "150,5");
  w.StGrid->SetFocus();
  EXPECT_EQ(w.Edit1->Text(), "           151");
  EXPECT_EQ(AnsiString(ProjectHeader.IndicativeTotal.View()), "           151");
}

TEST_F(MainWindowTest, MemosAndTheDateMarkTheProject) {
  TFrmAXP& w = Start();
  w.Memo1->SetFocus();
  backend->Type("Ε"_a);
  EXPECT_EQ(ProjectModified, 1);
  ProjectModified = 0;
  w.EditDate->SetFocus();
  backend->Type("a");
  EXPECT_EQ(ProjectModified, 0);
  backend->PressKey(VK_UP);
  EXPECT_EQ(ProjectModified, 1);
}

// ---- switches --------------------------------------------------------------------------------------

TEST_F(MainWindowTest, InitialOrderSwitchAndMenuItemFollowEachOther) {
  TFrmAXP& w = Start();
  w.E10->Click();
  EXPECT_FALSE(w.E10->Checked);
  EXPECT_FALSE(w.PrintInitaa->Checked());
  Press(*w.PrintInitaa);
  EXPECT_TRUE(w.PrintInitaa->Checked());
  EXPECT_TRUE(w.E10->Checked);
}

TEST_F(MainWindowTest, ProjectTypeEnablesTheBudgetButton) {
  TFrmAXP& w = Start();
  w.RadioGroupZephType->SetItemIndex(0);
  EXPECT_EQ(w.ProjectType, 0);
  EXPECT_FALSE(w.ProInputBtn->Enabled());
  w.RadioGroupZephType->SetItemIndex(1);
  EXPECT_EQ(w.ProjectType, 1);
  EXPECT_TRUE(w.ProInputBtn->Enabled());
}

TEST_F(MainWindowTest, DecimalsSpinSetsDiscountDecimals) {
  TFrmAXP& w = Start();
  w.EkptDgEd->SetValue(5);
  EXPECT_EQ(DiscountDecimals, 5);
  w.EkptDgEd->SetValue(9);
  EXPECT_EQ(DiscountDecimals, 6);
}

TEST_F(MainWindowTest, MouseSelectionSwitchesEditingOffUntilTheMouseIsReleased) {
  TFrmAXP& w = Start();
  w.mouse1->Click();
  EXPECT_FALSE(w.StGrid->Options().Contains(goEditing));
  backend->Click(*w.StGrid, 100, 40);
  EXPECT_TRUE(w.StGrid->Options().Contains(goEditing));
}

TEST_F(MainWindowTest, PopupCopiesTwoOfferRowsAndPastesThemBelow) {
  TFrmAXP& w = Start();
  ui::ResetClipboard();
  TypeCell(1, 1, "ΑΛΦΑ ΑΤΕ"_a);
  TypeCell(2, 1, "87654");
  TypeCell(1, 2, "ΒΗΤΑ ΕΠΕ"_a);
  TypeCell(2, 2, "91000");
  w.StGrid->SetSelection(TGridRect{1, 1, 2, 2});
  w.CopyToCliboard->Click();
  EXPECT_EQ(Clipboard()->AsText(), "ΑΛΦΑ ΑΤΕ\t87654\r\nΒΗΤΑ ΕΠΕ\t91000\r\n"_a);
  w.StGrid->SetSelection(TGridRect{1, 3, 1, 3});
  w.PasteFromCipBoard->Click();
  EXPECT_EQ(w.StGrid->GetCellText(1, 3), "ΑΛΦΑ ΑΤΕ"_a);
  EXPECT_EQ(w.StGrid->GetCellText(2, 3), "87654");
  EXPECT_EQ(w.StGrid->GetCellText(1, 4), "ΒΗΤΑ ΕΠΕ"_a);
  EXPECT_EQ(w.StGrid->GetCellText(2, 4), "91000");
  EXPECT_EQ(w.StGrid->GetCellText(1, 5), "");
  EXPECT_EQ(w.StGrid->RowCount(), 501);
  ui::ResetClipboard();
}

TEST_F(MainWindowTest, NameColumnWidthFollowsTheOthers) {
  TFrmAXP& w = Start();
  w.StGrid->SetColWidths(2, 150);
  bool allow = true;
  w.StGridColumnSize(w.StGrid, 2, allow);
  EXPECT_TRUE(allow);
  EXPECT_EQ(w.StGrid->ColWidths(1), w.StGrid->Width() - (24 + 150 + 70 + 42) - 28);
  w.StGrid->SetColWidths(2, 900);
  w.StGridColumnSize(w.StGrid, 2, allow);
  EXPECT_EQ(w.StGrid->ColWidths(1), 50);
}

// A larger window gives the offers more room both ways, and the grid comes
// back to its size with the window.
TEST_F(MainWindowTest, OffersGridFollowsTheWindowSize) {
  TFrmAXP& w = Start();
  const TRect grid = w.StGrid->BoundsRect();
  const int width = w.Width(), height = w.Height();
  const struct { int dw, dh; } steps[] = {{200, 120}, {0, 300}, {-40, -10}, {0, 0}};
  for (const auto& s : steps) {
    SCOPED_TRACE(std::to_string(s.dw) + "," + std::to_string(s.dh));
    w.SetBounds(w.Left(), w.Top(), width + s.dw, height + s.dh);
    Application->ProcessMessages();
    EXPECT_EQ(w.StGrid->Left(), grid.Left);
    EXPECT_EQ(w.StGrid->Top(), grid.Top);
    EXPECT_EQ(w.StGrid->Width(), grid.Width() + s.dw);
    EXPECT_EQ(w.StGrid->Height(), grid.Height() + s.dh);
    // Never under the status bar.
    EXPECT_LE(w.StGrid->Top() + w.StGrid->Height(), w.Panel4->Top());
  }
}

TEST_F(MainWindowTest, HelpOpensTheHelpFileWhenThere) {
  Application->HelpFile = "VARNOLDI.HLP";
  TFrmAXP& w = Start();
  // Without the file, the menu and F1 say that there is no help.
  backend->ExpectMessageBox(HelpNotAvailableText(), IDOK);
  w.N8->Click();
  w.Memo1->SetFocus();
  backend->ExpectMessageBox(HelpNotAvailableText(), IDOK);
  backend->PressKey(VK_F1);
  EXPECT_TRUE(backend->ShellRequests.empty());
  WriteFile(Folder() + "VARNOLDI.HLP", "help");
  w.N8->Click();
  backend->PressKey(VK_F1);
  ASSERT_EQ(backend->ShellRequests.size(), 2u);
  EXPECT_EQ(ExtractFileName(backend->ShellRequests[0].File), "VARNOLDI.HLP");
  Application->HelpFile = "";
}

// ---- the guarantee panel ------------------------------------------------------------------------

struct DateCase {
  Word day;
  bool ticked;
};

class GuaranteeButton : public MainWindowTest, public ::testing::WithParamInterface<DateCase> {};

TEST_P(GuaranteeButton, TicksTheNewRatesByTheTenderDate) {
  TFrmAXP& w = Start();
  w.EditDate->SetDate(EncodeDate(2013, 4, GetParam().day) + 0.75);
  Press(*w.BitBtn1);
  EXPECT_TRUE(w.ExtraKe->Visible());
  EXPECT_EQ(w.CheckBox1->Checked(), GetParam().ticked);
  // Showing does not compute.
  EXPECT_EQ(w.Label8->Caption(), "=");
  w.EditDate->SetDate(EncodeDate(2012, 1, 1));
  Press(*w.BitBtn1);
  EXPECT_EQ(w.CheckBox1->Checked(), GetParam().ticked) << "the box is never unticked here";
}

INSTANTIATE_TEST_SUITE_P(Dates, GuaranteeButton, ::testing::Values(DateCase{18, false}, DateCase{19, true}));

// A tender calculated without opening the guarantee panel uses the rates of
// its date; a table the user chose stays until the project is cleared.
TEST_F(MainWindowTest, CalculationTakesTheRatesOfTheDateUnlessTheUserChose) {
  TFrmAXP& w = Start();
  struct Case {
    TDateTime date;
    bool userUnticks;
    const char* result;
  } cases[] = {
      {EncodeDate(2026, 3, 16), false, "13.25%"},  // 33 %: new table
      {EncodeDate(2013, 4, 18), false, "21.5%"},   // old table
      {EncodeDate(2026, 3, 16), true, "21.5%"},    // the user's choice stands
  };
  for (const Case& c : cases) {
    w.ClearProject();
    EXPECT_FALSE(w.CheckBox1->Checked());
    w.EditDate->SetDate(c.date);
    w.Edit3->SetText("33.158");
    if (c.userUnticks) {
      Press(*w.BitBtn1);
      backend->Click(*w.CheckBox1, 4, 8);
      EXPECT_FALSE(w.CheckBox1->Checked());
      EXPECT_TRUE(w.GuaranteeRatesByUser);
    }
    w.AccCalcEggKeExecute();
    EXPECT_EQ(w.Label8->Caption(), c.result) << c.result;
  }
  w.ClearProject();
  EXPECT_FALSE(w.GuaranteeRatesByUser);
}

TEST_F(MainWindowTest, GuaranteePanelComputesAndStoresItsPercentages) {
  LocaleScope greek(LocaleScope::Greek);
  TFrmAXP& w = Start();
  EXPECT_EQ(w.ExtraKe->Caption().Text(), "ΥΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΘΕΤΗΣ ΚΑΙ ΣΥΝΟΛΙΚΗΣ ΕΓΓΥΗΣΗΣ ΚΑΛΗΣ ΕΚΤΕΛΕΣΗΣ "_a);
  EXPECT_EQ(w.Edit4->Text(), "12");
  EXPECT_EQ(w.Edit2->Text(), "5");
  EXPECT_EQ(w.Edit3->Text(), "12");
  Press(*w.BitBtn1);
  w.SpeedButton1->Click();
  EXPECT_EQ(w.Label8->Caption(), "5%");
  w.Edit3->SetText("45");
  w.CheckBox1->SetChecked(true);
  w.SpeedButton1->Click();
  EXPECT_EQ(w.Label8->Caption(), "22,25%");
  // The key filter: digits, backspace and the locale's decimal separator.
  w.Edit2->SetFocus();
  w.Edit2->SelectAll();
  backend->Type("4.a,5");
  EXPECT_EQ(w.Edit2->Text(), "4,5");
  Press(*w.Button1);
  EXPECT_FALSE(w.ExtraKe->Visible());
  EXPECT_EQ(ProjectHeader.StoredPercent100(TProjectHeader::GuaranteePercent), 450);
  EXPECT_EQ(ProjectHeader.StoredPercent100(TProjectHeader::LimitPercent), 1200);
}

// ---- the project header ------------------------------------------------------------------------------

TEST_F(MainWindowTest, HeaderIsBuiltFromTheWindow) {
  LocaleScope greek(LocaleScope::Greek);
  TFrmAXP& w = Start();
  w.Memo1->Lines().Add("ΓΡΑΜΜΗ 1"_a);
  w.Memo1->Lines().Add("");
  w.Memo1->Lines().Add("ΓΡΑΜΜΗ 3"_a);
  w.Memo1->Lines().Add("ΓΡΑΜΜΗ 4"_a);
  w.Memo2->Lines().Add("ΥΠΗΡΕΣΙΑ"_a);
  w.EditDate->SetDate(EncodeDate(2014, 5, 9));
  w.Edit1->SetText("123456789012345678901234");
  w.RadioGroupZephType->SetItemIndex(1);
  CostDecimals = 2;
  HalfDownSwitch = 1;
  ContingencyFlag = 1;
  CalcMode = 0x1234;
  OfferCount = 256;
  w.initgrec();
  EXPECT_EQ(ProjectHeader.ProjectText.Str(), "ΓΡΑΜΜΗ 1\r\nΓΡΑΜΜΗ 3"_a);
  EXPECT_EQ(ProjectHeader.ServiceText.Str(), "ΥΠΗΡΕΣΙΑ"_a);
  EXPECT_EQ(ProjectHeader.Date.Str(), "9/5/2014");
  EXPECT_EQ(ProjectHeader.IndicativeTotal.Str(), "12345678901234567890");
  const auto bytes = EncodeProjectHeader(ProjectHeader);
  const Byte expected[] = {'!', 0x34, 1, 0, 1,   0, 2,   3,   4,   4,   0,   1,
                           0,   1,    1, 1, 244, 4, 176, '!', '!', '!', '!', '!'};
  for (int i = 0; i < 24; ++i) EXPECT_EQ(bytes[552 + i], expected[i]) << "byte " << 552 + i;
  OfferCount = 0;
}

// ---- the settings file --------------------------------------------------------------------------------

TEST_F(MainWindowTest, SettingsComeBackAfterARestart) {
  TFrmAXP& w = Start();
  w.EkptDgEd->SetValue(5);
  CostDecimals = 2;
  HalfDownSwitch = 1;
  w.Close();
  EXPECT_FALSE(w.Visible());
  EXPECT_EQ(ReadFile(Folder() + "def.knd"), "0\r\n2\r\n5\r\n4\r\n4\r\n0\r\n1\r\n0\r\n");
  Stop();
  ResetState();
  TFrmAXP& again = Start();
  EXPECT_EQ(DiscountDecimals, 5);
  EXPECT_EQ(again.EkptDgEd->Value(), 5);
  EXPECT_EQ(CostDecimals, 2);
  EXPECT_EQ(HalfDownSwitch, 1);
}

// A user without settings of his own starts from those shipped beside the
// executable; the program writes the user's own and reads them from then
// on, leaving the shipped ones as they were.
TEST_F(MainWindowTest, ShippedSettingsServeUntilTheUserHasHisOwn) {
  ForceDirectories(Folder() + "shipped");
  const AnsiString shipped = "0\r\n2\r\n5\r\n4\r\n4\r\n0\r\n1\r\n0\r\n";
  WriteFile(Folder() + "shipped/def.knd", shipped);
  TFrmAXP& w = Start();
  EXPECT_EQ(DiscountDecimals, 5);
  EXPECT_EQ(w.EkptDgEd->Value(), 5);
  EXPECT_EQ(CostDecimals, 2);
  EXPECT_EQ(HalfDownSwitch, 1);
  w.EkptDgEd->SetValue(1);
  w.Close();
  EXPECT_EQ(ReadFile(Folder() + "def.knd"), "0\r\n2\r\n1\r\n4\r\n4\r\n0\r\n1\r\n0\r\n");
  EXPECT_EQ(ReadFile(Folder() + "shipped/def.knd"), shipped);
  Stop();
  ResetState();
  Start();
  EXPECT_EQ(DiscountDecimals, 1);
}

// The settings shipped beside the program are what it writes from its
// start-up defaults, and a user without settings reads them back as those.
TEST_F(MainWindowTest, TheShippedSettingsAreTheDefaults) {
  Start();
  const TDefKndSettings defaults{CalcMode,       CostDecimals,   DiscountDecimals,
                                 ExtraDecimalsA, ExtraDecimalsB, HalfDownSwitch};
  const AnsiString program = AnsiString(DIM_PROGRAM_DIR) + "/";
  ASSERT_TRUE(FileExists(program + "def.knd"));
  EXPECT_EQ(ReadWholeFile(program + "def.knd"), DefKndText(defaults));
  Stop();
  ResetState();
  // Settings that only the file's reading puts back.
  CostDecimals = 5;
  HalfDownSwitch = 1;
  ShippedFolderSource = [] { return AnsiString(DIM_PROGRAM_DIR) + "/"; };
  Start();
  EXPECT_EQ(CalcMode, defaults.CalcMode);
  EXPECT_EQ(CostDecimals, defaults.CostDecimals);
  EXPECT_EQ(DiscountDecimals, defaults.DiscountDecimals);
  EXPECT_EQ(ExtraDecimalsA, defaults.ExtraDecimalsA);
  EXPECT_EQ(ExtraDecimalsB, defaults.ExtraDecimalsB);
  EXPECT_EQ(HalfDownSwitch, defaults.HalfDown);
  EXPECT_FALSE(FileExists(Folder() + "def.knd"));
}

TEST_F(MainWindowTest, DamagedSettingsKeepTheirDefaultsAndStartUpGoesOn) {
  WriteFile(Folder() + "def.knd", "x\n9\nabc\n\n1\n");
  TFrmAXP& w = Start();
  EXPECT_EQ(CalcMode, 0);
  EXPECT_EQ(CostDecimals, 6);
  EXPECT_EQ(DiscountDecimals, 3);
  EXPECT_EQ(ExtraDecimalsA, 4);
  EXPECT_EQ(ExtraDecimalsB, 1);
  EXPECT_EQ(HalfDownSwitch, 0);
  EXPECT_EQ(w.Panel4->Caption(), "Zeph-ΟΜΑΛΟΤΗΤΑ 1.46"_a);
}

TEST_F(MainWindowTest, MissingSettingsKeepTheDefaults) {
  TFrmAXP& w = Start();
  EXPECT_FALSE(FileExists(Folder() + "def.knd"));
  EXPECT_EQ(DiscountDecimals, 3);
  EXPECT_EQ(CostDecimals, 0);
  EXPECT_DOUBLE_EQ(w.EditDate->Date(), Date());
}

// ---- shutdown
// -----------------------------------------------------------------------------------------------

struct ShutdownCase {
  const char* name;
  bool modified;
  bool budgetChanged;
  int budgetRows;
  std::vector<std::pair<const char*, int>> answers;
  bool closes;
};

class Shutdown : public MainWindowTest, public ::testing::WithParamInterface<ShutdownCase> {};

TEST_P(Shutdown, AsksWhatTheStateNeeds) {
  const ShutdownCase& c = GetParam();
  TFrmAXP& w = Start();
  ProjectModified = c.modified;
  BudgetChanged = c.budgetChanged;
  BudgetRows = static_cast<Word>(c.budgetRows);
  for (const auto& [text, answer] : c.answers) backend->ExpectMessageBox(cp1253::FromUtf8(text), answer);
  // Cancel on the budget question saves the project: here the save is
  // cancelled too, so the window stays.
  if (std::string(c.name) == "BudgetCancel") backend->ExpectModal("", mrCancel);
  Press(*w.ExitButton);
  EXPECT_EQ(backend->MessageBoxes.size(), c.answers.size());
  EXPECT_EQ(w.Visible(), !c.closes);
  EXPECT_EQ(FileExists(Folder() + "def.knd"), c.closes);
}

// A new study budget lives under a temporary name until its project is
// saved; discarded at exit or by clearing, it leaves no files behind.
TEST_F(MainWindowTest, DiscardedTemporaryBudgetLeavesNoFiles) {
  for (const bool byClearing : {false, true}) {
    TFrmAXP& w = Start();
    TUproypFrm& b = EnsureBudgetForm();
    b.BudgetFileName = MakeTempBudgetName();
    const AnsiString csv = BudgetCsvName(b.BudgetFileName);
    WriteFile(csv, "1;2\r\n");
    ASSERT_TRUE(FileExists(b.BudgetFileName));
    const AnsiString name = b.BudgetFileName;
    BudgetChanged = 1;
    BudgetRows = 2;
    backend->ExpectMessageBox("Nα "_a, IDYES);
    if (byClearing)
      w.ClearButtonClick(nullptr);
    else
      Press(*w.ExitButton);
    EXPECT_FALSE(FileExists(name)) << byClearing;
    EXPECT_FALSE(FileExists(csv)) << byClearing;
    delete BudgetForm;
    Stop();
    ResetState();
  }
}

const char* const DiscardProject = "Να αγνοηθούν οι αλλαγές;";
const char* const DiscardBudget = "Nα αγνοηθούν τα στοιχεία προϋπολογισμού μελέτης;";

INSTANTIATE_TEST_SUITE_P(
    Questions, Shutdown,
    ::testing::Values(ShutdownCase{"Unchanged", false, false, 0, {}, true},
                      ShutdownCase{"ProjectYes", true, false, 0, {{DiscardProject, IDYES}}, true},
                      ShutdownCase{"ProjectCancel", true, false, 0, {{DiscardProject, IDCANCEL}}, false},
                      ShutdownCase{"BudgetYes", false, true, 3, {{DiscardBudget, IDYES}}, true},
                      ShutdownCase{"BudgetCancel", false, true, 3, {{DiscardBudget, IDCANCEL}}, false},
                      ShutdownCase{"BudgetWithoutRows", false, true, 0, {}, true},
                      ShutdownCase{
                          "BothYes", true, true, 1, {{DiscardProject, IDYES}, {DiscardBudget, IDYES}}, true},
                      ShutdownCase{"ProjectCancelFirst", true, true, 1, {{DiscardProject, IDCANCEL}}, false}),
    [](const ::testing::TestParamInfo<ShutdownCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, ShutdownQuestionsAreAnErrorAndAWarningBox) {
  TFrmAXP& w = Start();
  ProjectModified = 1;
  BudgetChanged = 1;
  BudgetRows = 2;
  backend->ExpectMessageBox(cp1253::FromUtf8(DiscardProject), IDYES);
  backend->ExpectMessageBox(cp1253::FromUtf8(DiscardBudget), IDYES);
  w.N9->Click();
  ASSERT_EQ(backend->MessageBoxes.size(), 2u);
  EXPECT_EQ(backend->MessageBoxes[0].Flags & 0xF0, MB_ICONHAND);
  EXPECT_EQ(backend->MessageBoxes[0].Flags & 0x0F, MB_YESCANCEL);
  EXPECT_EQ(backend->MessageBoxes[1].Flags & 0xF0, MB_ICONEXCLAMATION);
}

TEST_F(MainWindowTest, UnwritableSettingsAreReportedAndTheWindowStillCloses) {
  TFrmAXP& w = Start();
  std::filesystem::create_directory(FolderPath() + "/def.knd");
  backend->ExpectMessageBox("", IDOK);
  Press(*w.ExitButton);
  EXPECT_EQ(backend->ErrorBoxes.size(), 1u);
  EXPECT_FALSE(w.Visible());
}

// ---- clipboard ----------------------------------------------------------------------------

TEST_F(MainWindowTest, AnOfferRowPastedIntoOneCellWithSmartFillRaisesNothing) {
  LocaleScope greek(LocaleScope::Greek);
  TFrmAXP& w = Start();
  for (const char* text : {"Παπαδόπουλος\t123.456,78", "ΑΛΦΑ ΑΤΕ\t1234.56\t12.5"}) {
    Clipboard()->SetAsText(cp1253::FromUtf8(text));
    w.StGrid->SetSelection(TGridRect{1, 3, 1, 3});
    EXPECT_NO_THROW(w.PasteFromCipBoardClick(nullptr)) << text;
  }
  EXPECT_EQ(w.StGrid->GetCellText(1, 3), "ΑΛΦΑ ΑΤΕ"_a);
  EXPECT_EQ(w.StGrid->GetCellText(2, 3), "1234.56");
}

}  // namespace

namespace {

// The cell being typed into keeps its grid lines: the editor stands inside
// them, on the row Enter moved to as on the first.
TEST_F(MainWindowTest, TheEditorLeavesTheCellsGridLinesShowing) {
  TFrmAXP& w = Start();
  w.StGrid->SetFocus();
  w.StGrid->SetCol(1);
  w.StGrid->SetRow(4);
  backend->Type("ΑΒΓ"_a);
  for (int row : {4, 5}) {
    TInplaceEdit* editor = w.StGrid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    const TRect cell = w.StGrid->CellRect(1, row);
    EXPECT_EQ(editor->BoundsRect(), Rect(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1)) << row;
    backend->PressKey(VK_RETURN);
    backend->Type("Δ"_a);
  }
}

}  // namespace
