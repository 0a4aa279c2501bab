#include <gtest/gtest.h>

#include "platform/print/Printers.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Shell.h"
#include "platform/ui/StdCtrls.h"
#include "report/RpCtrls.h"
#include "report/RpPrintDlg.h"
#include "tests/TestOutput.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/platform/ui/ControlsFixture.h"
#include "tests/report/ChooseLine.h"

namespace {

TEST(RpPrintDlgTest, HandsBackTheDeviceModeOfTheChosenPrinter) {
  THeadlessBackend& backend = InstallHeadlessBackend();
  TPrinterProfile laser = printers::PdfPrinterProfile();
  laser.Name = "Laser";
  laser.Defaults.dmPaperSize = DMPAPER_A3;
  laser.Defaults.dmDuplex = DMDUP_VERTICAL;
  laser.Defaults.dmDefaultSource = 4;
  laser.Defaults.dmPrintQuality = 300;
  printers::UseProfiles({laser}, 0);
  Printer()->Refresh();
  Printer()->SetPrinterIndex(0);
  TRpPrintDialog dialog(nullptr);
  backend.ExpectModal("Εκτύπωση"_a,
                      [&](TCustomForm& f) { backend.Click(Found<TButton>(f, "OkButton"), 3, 3); });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.PaperSize, DMPAPER_A3);
  EXPECT_EQ(dialog.OutputBin, 4);
  EXPECT_EQ(dialog.PrintQuality, 300);
  EXPECT_TRUE(dialog.Duplex);
  EXPECT_EQ(dialog.DuplexCode, DMDUP_VERTICAL);
  EXPECT_EQ(dialog.Orientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(dialog.Copies(), 1);
  printers::UseSystem();
  Printer()->Refresh();
}

// A laser printer with four sources that prints both sides and in colour,
// and the PDF printer; files go into Folder.
void UseOffice(const std::string& folder) {
  TPrinterProfile laser = printers::PdfPrinterProfile();
  laser.Name = "Laser";
  laser.OutputFolder = folder;
  laser.DpiX = laser.DpiY = 1200;
  laser.Bins = {{7, "Αυτόματα"_a}, {1, "Επάνω"_a}, {4, "Χειροκίνητα"_a}, {260, "Φάκελοι"_a}};
  laser.Defaults.dmPaperSize = DMPAPER_A4;
  TPrinterProfile pdf = printers::PdfPrinterProfile();
  pdf.OutputFolder = folder;
  printers::UseProfiles({pdf, laser}, 0);
  Printer()->Refresh();
  Printer()->SetPrinterIndex(0);
  Printer()->ResetDeviceMode();
}

TEST(RpPrintDlgTest, ThePrintersOwnChoicesAreMadeInTheDialogAThirdDownTheScreen) {
  THeadlessBackend& backend = InstallHeadlessBackend();
  TempFolder folder;
  UseOffice(folder.path());
  TRpPrintDialog dialog(nullptr);
  TRect placed{};
  std::vector<bool> enabled;
  backend.ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    placed = TRect{f.Left(), f.Top(), f.Width(), f.Height()};
    // Another printer shows its own lists.
    Choose(Found<TComboBox>(f, "PrinterList"), "Laser");
    Choose(Found<TComboBox>(f, "PaperList"), "A3 (297 x 420 mm)");
    Choose(Found<TComboBox>(f, "BinList"), "Φάκελοι"_a);
    Choose(Found<TComboBox>(f, "QualityList"), "300 dpi");
    Choose(Found<TComboBox>(f, "DuplexList"), "Γύρισμα στη μεγάλη πλευρά"_a);
    Choose(Found<TComboBox>(f, "ColorList"), "Ασπρόμαυρη"_a);
    for (const char* name : {"PaperList", "BinList", "QualityList", "DuplexList", "ColorList"})
      enabled.push_back(Found<TComboBox>(f, name).Enabled());
    backend.Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(enabled, std::vector<bool>(5, true));
  const TRect area = Screen->WorkAreaRect();
  EXPECT_EQ(placed.Left, area.Left + (area.Width() - placed.Right) / 2);
  EXPECT_EQ(placed.Top, area.Top + (area.Height() - placed.Bottom) / 3);
  EXPECT_EQ(Printer()->PrinterIndex(), 1);
  EXPECT_EQ(dialog.PaperSize, DMPAPER_A3);
  EXPECT_EQ(dialog.OutputBin, 260);
  EXPECT_EQ(dialog.PrintQuality, 300);
  EXPECT_EQ(dialog.DuplexCode, DMDUP_VERTICAL);
  EXPECT_TRUE(dialog.Duplex);
  EXPECT_EQ(dialog.ColorOption, DMCOLOR_MONOCHROME);

  // A printer that honours none of them offers them unchangeable, and
  // what it holds comes back untouched.
  TPrinterProfile plain = printers::PdfPrinterProfile();
  plain.Defaults.dmFields = DM_ORIENTATION | DM_COPIES;
  printers::UseProfiles({plain}, 0);
  Printer()->Refresh();
  Printer()->SetPrinterIndex(0);
  Printer()->ResetDeviceMode();
  enabled.clear();
  backend.ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    for (const char* name : {"PaperList", "BinList", "QualityList", "DuplexList", "ColorList"})
      enabled.push_back(Found<TComboBox>(f, name).Enabled());
    backend.Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(enabled, std::vector<bool>(5, false));
  EXPECT_EQ(Printer()->DeviceMode(), plain.Defaults);
  printers::UseSystem();
  Printer()->Refresh();
}

class RpPrintDlgReportTest : public ControlsTest {};

// The print dialog of a report whose pages show: what was chosen for the
// printer's paper, source, quality, sides and colour is what the job asks.
TEST_F(RpPrintDlgReportTest, TheChoicesReachTheJob) {
  TempFolder folder;
  UseOffice(folder.path());
  printers::ClearJobLog();
  auto* rep = new TBandRep(Form.get());
  rep->SetParent(Form.get());
  rep->Bands()->SetHasDetail(true);
  auto* label = new TRpLabel(Form.get());
  label->SetParent(rep->Bands()->Band(TBandRepBands::iDetail));
  label->SetCaption("Μία σελίδα"_a);
  TRpPrinter pages(rep);
  rep->RunInto(&pages);
  ASSERT_EQ(pages.Status(), rpsFinished);
  rep->SetRpPrinter(&pages);
  AnsiString shownPaper;
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    Choose(Found<TComboBox>(f, "PrinterList"), "Laser");
    shownPaper = Found<TComboBox>(f, "PaperList").Text();
    Choose(Found<TComboBox>(f, "PaperList"), "A5 (148 x 210 mm)");
    Choose(Found<TComboBox>(f, "BinList"), "Χειροκίνητα"_a);
    Choose(Found<TComboBox>(f, "QualityList"), "1200 dpi");
    Choose(Found<TComboBox>(f, "DuplexList"), "Γύρισμα στη μικρή πλευρά"_a);
    Choose(Found<TComboBox>(f, "ColorList"), "Ασπρόμαυρη"_a);
    backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  rep->PrinterSetupDialog();
  rep->SetRpPrinter(nullptr);
  ASSERT_EQ(rep->Tag, 0);
  pages.Print();
  ASSERT_EQ(printers::JobLog().size(), 1u);
  const TPrintJobRecord& job = printers::JobLog().back();
  EXPECT_EQ(job.Printer, "Laser");
  EXPECT_EQ(job.Mode.dmPaperSize, DMPAPER_A5);
  EXPECT_EQ(job.Mode.dmDefaultSource, 4);
  EXPECT_EQ(job.Mode.dmPrintQuality, 1200);
  EXPECT_EQ(job.Mode.dmDuplex, DMDUP_HORIZONTAL);
  EXPECT_EQ(job.Mode.dmColor, DMCOLOR_MONOCHROME);
  EXPECT_EQ(job.Unshown, (std::vector<AnsiString>{"Duplex=3", "Bin=4", "Quality=1200"}));

  // A source the bin table does not name goes to the job by its own code;
  // a report run again after the dialog keeps quality and colour.
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    Choose(Found<TComboBox>(f, "BinList"), "Φάκελοι"_a);
    Choose(Found<TComboBox>(f, "ColorList"), "Ασπρόμαυρη"_a);
    Choose(Found<TComboBox>(f, "QualityList"), "300 dpi");
    backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  rep->SetRpPrinter(&pages);
  rep->PrinterSetupDialog();
  rep->SetRpPrinter(nullptr);
  pages.Print();
  rep->TakeDialogSettings();
  rep->Print();
  ASSERT_EQ(printers::JobLog().size(), 3u);
  for (size_t i : {1u, 2u}) {
    const TPrintJobRecord& again = printers::JobLog()[i];
    EXPECT_EQ(again.Mode.dmPrintQuality, 300) << i;
    EXPECT_EQ(again.Mode.dmColor, DMCOLOR_MONOCHROME) << i;
  }
  EXPECT_EQ(printers::JobLog()[1].Mode.dmDefaultSource, 260);
  // The dialog first showed the report's own paper.
  EXPECT_EQ(shownPaper, "A4 (210 x 297 mm)");
  printers::UseSystem();
  Printer()->Refresh();
}

class RpPrintDlgDialogTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    UseOffice(folder.path());
  }
  void TearDown() override {
    Application->OnHelp = nullptr;
    printers::UseSystem();
    Printer()->Refresh();
    ControlsTest::TearDown();
  }
  TempFolder folder;
};

// The copies set before the dialog are the printer's too, and the dialog
// offers them; the count chosen comes back.
TEST_F(RpPrintDlgDialogTest, SettingTheCopiesSetsThePrintersCount) {
  TRpPrintDialog dialog(nullptr);
  dialog.SetCopies(3);
  EXPECT_EQ(Printer()->Copies(), 3);
  EXPECT_EQ(Printer()->DeviceMode().dmCopies, 3);
  AnsiString shown;
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    shown = Found<TEdit>(f, "Copies").Text();
    Found<TEdit>(f, "Copies").SetText("4");
    backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(shown, "3");
  EXPECT_EQ(dialog.Copies(), 4);
  EXPECT_EQ(Printer()->Copies(), 4);
  // A cancelled dialog leaves the count that was set.
  dialog.SetCopies(2);
  backend->ExpectModal("Εκτύπωση"_a, mrCancel);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(Printer()->Copies(), 2);
  EXPECT_EQ(dialog.Copies(), 2);
}

// A cancelled dialog leaves the printer and its settings as they were,
// whatever was chosen in it.
TEST_F(RpPrintDlgDialogTest, ACancelledDialogChangesNoPrinter) {
  Printer()->SetPrinterIndex(1);
  const TDeviceMode before = Printer()->DeviceMode();
  TRpPrintDialog dialog(nullptr);
  dialog.PaperSize = -1;
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    Choose(Found<TComboBox>(f, "PaperList"), "A3 (297 x 420 mm)");
    Choose(Found<TComboBox>(f, "BinList"), "Φάκελοι"_a);
    Choose(Found<TComboBox>(f, "PrinterList"), printers::PdfPrinterProfile().Name);
    backend->Click(Found<TButton>(f, "CancelButton"), 3, 3);
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(Printer()->PrinterIndex(), 1);
  EXPECT_EQ(Printer()->DeviceMode(), before);
  EXPECT_EQ(dialog.PaperSize, -1);
}

// What the options offer in the dialog, and what comes back of the range
// and the print-to-file box.
TEST_F(RpPrintDlgDialogTest, TheOptionsShapeTheDialog) {
  struct Case {
    TPrintDialogOptions options;
    TPrintRange range;
    bool toFileShown, toFileEnabled, pagesEnabled, selectionEnabled, helpShown;
    const char* checked;
  } const cases[] = {
      {{}, prPageNums, false, false, false, false, false, "AllPages"},
      {{poPageNums}, prPageNums, false, false, true, false, false, "PageNums"},
      {{poSelection}, prSelection, false, false, false, true, false, "Selection"},
      {{poPrintToFile}, prAllPages, true, true, false, false, false, "AllPages"},
      {{poPrintToFile, poDisablePrintToFile}, prAllPages, true, false, false, false, false, "AllPages"},
      {{poHelp, poPageNums, poSelection}, prSelection, false, false, true, true, true, "Selection"},
  };
  for (const Case& c : cases) {
    TRpPrintDialog dialog(nullptr);
    dialog.Options = c.options;
    dialog.PrintRange = c.range;
    dialog.MinPage = 1;
    dialog.MaxPage = 9;
    dialog.FromPage = 2;
    dialog.ToPage = 5;
    dialog.PrintToFile = true;
    bool toFileShown = false, toFileEnabled = false, helpShown = false, pages = false, selection = false;
    AnsiString checked;
    backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
      auto* toFile = dynamic_cast<TCheckBox*>(f.FindComponent("PrintToFile"));
      toFileShown = toFile != nullptr;
      toFileEnabled = toFile != nullptr && toFile->Enabled() && toFile->Checked();
      helpShown = f.FindComponent("HelpButton") != nullptr;
      pages = Found<TRadioButton>(f, "PageNums").Enabled();
      selection = Found<TRadioButton>(f, "Selection").Enabled();
      for (const char* name : {"AllPages", "PageNums", "Selection"})
        if (Found<TRadioButton>(f, name).Checked()) checked = name;
      if (toFile != nullptr && toFile->Enabled()) toFile->SetChecked(false);
      backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
    });
    ASSERT_TRUE(dialog.Execute());
    const AnsiString at = checked + " " + IntToStr(static_cast<int>(c.range));
    EXPECT_EQ(toFileShown, c.toFileShown) << at;
    EXPECT_EQ(toFileEnabled, c.toFileEnabled) << at;
    EXPECT_EQ(pages, c.pagesEnabled) << at;
    EXPECT_EQ(selection, c.selectionEnabled) << at;
    EXPECT_EQ(helpShown, c.helpShown) << at;
    EXPECT_EQ(checked, c.checked);
    // The box unchecked in the dialog comes back unchecked; a greyed or
    // missing box leaves the value alone.
    EXPECT_EQ(dialog.PrintToFile, !c.toFileEnabled) << at;
    EXPECT_EQ(static_cast<int>(dialog.PrintRange), static_cast<int>(checked == "PageNums"    ? prPageNums
                                                                    : checked == "Selection" ? prSelection
                                                                                             : prAllPages));
    EXPECT_EQ(dialog.FromPage, 2);
    EXPECT_EQ(dialog.ToPage, 5);
  }
}

// The help button sends the system's help message to the dialog, which
// shows its help topic; the message is the one any caller registers.
TEST_F(RpPrintDlgDialogTest, TheHelpMessageShowsTheHelpContext) {
  std::vector<std::intptr_t> shown;
  Application->OnHelp = [&](Word command, std::intptr_t data, bool& callHelp) {
    if (command == HELP_CONTEXT) shown.push_back(data);
    callHelp = false;
    return true;
  };
  EXPECT_EQ(RpHelpMessage(), RegisterWindowMessage("COMMDLG_HELP"));
  EXPECT_EQ(RpFindReplaceMessage(), RegisterWindowMessage("commdlg_findreplace"));
  EXPECT_GE(RpHelpMessage(), 0xC000u);
  EXPECT_NE(RpHelpMessage(), RpFindReplaceMessage());
  // Window messages and clipboard formats share their names' numbers.
  EXPECT_EQ(RegisterClipboardFormat("commdlg_help"), RpHelpMessage());

  TRpPrintDialog dialog(nullptr);
  dialog.HelpContext = 4711;
  dialog.Options = TPrintDialogOptions{poHelp};
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    backend->Click(Found<TButton>(f, "HelpButton"), 3, 3);
    // Help leaves the dialog open.
    EXPECT_TRUE(f.Visible());
    backend->Click(Found<TButton>(f, "CancelButton"), 3, 3);
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(shown, std::vector<std::intptr_t>{4711});
  EXPECT_EQ(SendMessage(dialog.Handle(), RegisterWindowMessage("commdlg_help"), 0, 0), 1);
  EXPECT_EQ(SendMessage(dialog.Handle(), WM_USER + 1, 0, 0), 0);
  EXPECT_EQ(shown, (std::vector<std::intptr_t>{4711, 4711}));
}

// A pixel of text rather than of the button's face.
bool DarkPixel(TColor rgb) {
  const auto c = static_cast<std::uint32_t>(rgb);
  return (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF) < 3 * 100;
}

// The Help button stands in the bottom row between the print-to-file box
// and OK, covering neither, and reads "Βοήθεια".
TEST_F(RpPrintDlgDialogTest, TheHelpButtonHasARoomOfItsOwn) {
  TRpPrintDialog dialog(nullptr);
  dialog.Options = TPrintDialogOptions{poHelp, poPrintToFile};
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    const TButton& help = Found<TButton>(f, "HelpButton");
    EXPECT_EQ(help.Caption(), "&Βοήθεια"_a);
    const TRect box = Found<TCheckBox>(f, "PrintToFile").BoundsRect();
    const TRect ok = Found<TButton>(f, "OkButton").BoundsRect();
    const TRect at = help.BoundsRect();
    EXPECT_GE(at.Left, box.Right);
    EXPECT_LE(at.Right, ok.Left);
    EXPECT_EQ(at.Top, ok.Top);
    const TImageCanvas* image = backend->Render(f);
    image->SaveToPng(TestOutput("print-dialog-help.png"));
    // The caption's ink lies inside the button.
    int ink = 0;
    const TPoint origin = f.ScreenToClient(help.ClientToScreen(Point(0, 0)));
    for (int y = 3; y < at.Height() - 3; ++y)
      for (int x = 3; x < at.Width() - 3; ++x) ink += DarkPixel(image->Pixel(origin.X + x, origin.Y + y));
    EXPECT_GT(ink, 20);
    backend->Click(Found<TButton>(f, "CancelButton"), 3, 3);
  });
  EXPECT_FALSE(dialog.Execute());
}

// OnShow fires before the dialog takes input and OnClose after it ends,
// confirmed or cancelled.
TEST_F(RpPrintDlgDialogTest, OnShowAndOnCloseBracketTheDialog) {
  for (const TModalResult answer : {mrOk, mrCancel}) {
    std::vector<AnsiString> steps;
    TRpPrintDialog dialog(nullptr);
    dialog.OnShow = [&](TObject* sender) { steps.push_back(sender == &dialog ? "show" : "show?"); };
    dialog.OnClose = [&](TObject* sender) { steps.push_back(sender == &dialog ? "close" : "close?"); };
    backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
      steps.push_back("dialog");
      backend->Click(Found<TButton>(f, answer == mrOk ? "OkButton" : "CancelButton"), 3, 3);
    });
    EXPECT_EQ(dialog.Execute(), answer == mrOk);
    EXPECT_EQ(steps, (std::vector<AnsiString>{"show", "dialog", "close"})) << answer;
    EXPECT_TRUE(dialog.Ctl3D);
  }
}

// While the dialog runs the program's other windows take no input; after
// it, confirmed or cancelled, they take it again and the window that was
// active is active again.
TEST_F(RpPrintDlgDialogTest, TheOtherWindowsWaitAndTheActiveOneComesBack) {
  int pressed = 0;
  auto* button = Add<TButton>(10, 10, 80, 24);
  button->SetCaption("Πάτημα"_a);
  button->OnClick = [&](TObject*) { ++pressed; };
  std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
  other->SetBounds(600, 40, 200, 100);
  other->Show();
  ShowForm();
  ASSERT_TRUE(Form->Active());
  for (const TModalResult answer : {mrCancel, mrOk}) {
    TRpPrintDialog dialog(nullptr);
    bool otherActive = true, formActive = true;
    backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
      backend->Click(*button, 5, 5);
      formActive = Form->Active();
      otherActive = other->Active();
      backend->Click(Found<TButton>(f, answer == mrOk ? "OkButton" : "CancelButton"), 3, 3);
    });
    EXPECT_EQ(dialog.Execute(), answer == mrOk);
    EXPECT_EQ(pressed, 0) << answer;
    EXPECT_FALSE(formActive);
    EXPECT_FALSE(otherActive);
    EXPECT_TRUE(Form->Active()) << answer;
    EXPECT_FALSE(other->Active());
  }
  backend->Click(*button, 5, 5);
  EXPECT_EQ(pressed, 1);
  // A window the program had closed to input before stays closed after.
  int disabledPressed = 0;
  std::unique_ptr<TForm> closed(NewForm<TForm>(nullptr));
  closed->SetBounds(600, 300, 200, 100);
  auto* closedButton = new TButton(closed.get());
  closedButton->SetBounds(10, 10, 80, 24);
  closedButton->SetParent(closed.get());
  closedButton->OnClick = [&](TObject*) { ++disabledPressed; };
  closed->Show();
  closed->SetEnabled(false);
  ShowForm();
  backend->ExpectModal("Εκτύπωση"_a, mrCancel);
  EXPECT_FALSE(TRpPrintDialog(nullptr).Execute());
  EXPECT_FALSE(closed->Enabled());
  backend->Click(*closedButton, 5, 5);
  EXPECT_EQ(disabledPressed, 0);
  EXPECT_TRUE(Form->Active());
  closed.reset();
  // A dialog that fails still gives the active window back.
  other->Show();
  ASSERT_TRUE(other->Active());
  TRpPrintDialog dialog(nullptr);
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm&) { throw EAbort("stopped"); });
  EXPECT_THROW(dialog.Execute(), EAbort);
  EXPECT_TRUE(other->Active());
}

}  // namespace
