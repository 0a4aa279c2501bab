#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "UiFixture.h"
#include "platform/print/Printers.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"

namespace {

class PrintDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    TPrinterProfile laser = printers::PdfPrinterProfile();
    laser.Name = "Laser";
    laser.PaperCodes = {DMPAPER_A4, DMPAPER_A3, DMPAPER_LETTER};
    laser.Bins = {{7, "Αυτόματα"_a}, {1, "Επάνω"_a}};
    laser.Defaults.dmPaperSize = DMPAPER_A4;
    printers::UseProfiles({printers::PdfPrinterProfile(), laser}, 0);
    Printer()->Refresh();
    Printer()->SetPrinterIndex(0);
  }
  void TearDown() override {
    printers::UseSystem();
    Printer()->Refresh();
    UiTest::TearDown();
  }
  // Drops the chooser down and clicks line Index of its list.
  void Choose(TComboBox& chooser, int index) {
    backend->Click(chooser, chooser.Width() - 4, 4);
    ASSERT_NE(chooser.ListWindow(), nullptr);
    const TRect r = chooser.ListWindow()->ItemRect(index);
    backend->Click(*chooser.ListWindow(), r.Left + 3, r.Top + 2);
  }
  void Field(TCustomForm& f, const char* name, const AnsiString& text) {
    auto& e = Found<TEdit>(f, name);
    e.SetFocus();
    e.SelectAll();
    backend->Type(text);
  }
};

TEST_F(PrintDialogTest, ChoosesPrinterPagesCopiesAndCollation) {
  TPrintDialog dialog(nullptr);
  dialog.Options = {poPageNums};
  dialog.MinPage = 1;
  dialog.MaxPage = 10;
  dialog.FromPage = 1;
  dialog.ToPage = 10;
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    auto& printerList = Found<TComboBox>(f, "PrinterList");
    EXPECT_EQ(printerList.Items()->Count(), 2);
    EXPECT_EQ(printerList.ItemIndex(), 0);
    EXPECT_TRUE(Found<TRadioButton>(f, "AllPages").Checked());
    EXPECT_FALSE(Found<TRadioButton>(f, "Selection").Enabled());
    EXPECT_EQ(f.FindComponent("PrintToFile"), nullptr);
    if (const char* out = std::getenv("DIM_DIALOG_PNG"))
      backend->SaveWindowPng(f, std::string(out) + "/print.png");
    Choose(printerList, 1);
    Field(f, "FromPage", "2");
    Field(f, "ToPage", "5");
    EXPECT_TRUE(Found<TRadioButton>(f, "PageNums").Checked());
    Field(f, "Copies", "3");
    backend->Click(Found<TCheckBox>(f, "Collate"), 3, 3);
    backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.PrintRange, prPageNums);
  EXPECT_EQ(dialog.FromPage, 2);
  EXPECT_EQ(dialog.ToPage, 5);
  EXPECT_EQ(dialog.Copies, 3);
  EXPECT_TRUE(dialog.Collate);
  EXPECT_EQ(Printer()->PrinterIndex(), 1);
  EXPECT_EQ(Printer()->Copies(), 3);
  EXPECT_EQ(Printer()->DeviceMode().dmCollate, 1);
}

TEST_F(PrintDialogTest, WrongNumbersAreRefused) {
  TPrintDialog dialog(nullptr);
  dialog.Options = {poPageNums};
  dialog.MinPage = 1;
  dialog.MaxPage = 10;
  backend->ExpectModal("", [&](TCustomForm& f) {
    Field(f, "FromPage", "6");
    Field(f, "ToPage", "5");
    backend->PressKey(VK_RETURN);
    Field(f, "ToPage", "11");
    backend->PressKey(VK_RETURN);
    Field(f, "ToPage", "6");
    Field(f, "Copies", "0");
    backend->PressKey(VK_RETURN);
    EXPECT_EQ(f.ModalResult(), mrNone);
    backend->PressKey(VK_ESCAPE);
  });
  backend->ExpectMessageBox("από 1 έως 10"_a, IDOK);
  backend->ExpectMessageBox("από 1 έως 10"_a, IDOK);
  backend->ExpectMessageBox("αντίγραφα"_a, IDOK);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.PrintRange, prAllPages);
  EXPECT_EQ(Printer()->Copies(), 1);
}

TEST_F(PrintDialogTest, TheSamePrinterKeepsItsSettingsAndOptionsShowTheirBoxes) {
  Printer()->SetOrientation(poLandscape);
  TPrintDialog dialog(nullptr);
  dialog.Options = {poPrintToFile, poDisablePrintToFile, poSelection};
  dialog.PrintRange = prSelection;
  backend->ExpectModal("", [&](TCustomForm& f) {
    EXPECT_FALSE(Found<TRadioButton>(f, "PageNums").Enabled());  // MinPage = MaxPage
    EXPECT_TRUE(Found<TRadioButton>(f, "Selection").Checked());
    EXPECT_FALSE(Found<TCheckBox>(f, "PrintToFile").Enabled());
    backend->PressKey(VK_RETURN);
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.PrintRange, prSelection);
  EXPECT_EQ(Printer()->Orientation(), poLandscape);
}

TEST_F(PrintDialogTest, SetupChoosesPaperSourceAndOrientation) {
  Printer()->SetPrinterIndex(1);
  TPrinterSetupDialog setup(nullptr);
  backend->ExpectModal("Ρυθμίσεις εκτύπωσης"_a, [&](TCustomForm& f) {
    auto& papers = Found<TComboBox>(f, "PaperList");
    ASSERT_EQ(papers.Items()->Count(), 3);
    EXPECT_EQ(papers.Items()->Strings(0), "A4 (210 x 297 mm)");
    EXPECT_EQ(papers.ItemIndex(), 0);
    EXPECT_TRUE(Found<TRadioButton>(f, "Portrait").Checked());
    if (const char* out = std::getenv("DIM_DIALOG_PNG"))
      backend->SaveWindowPng(f, std::string(out) + "/setup.png");
    Choose(papers, 1);
    Choose(Found<TComboBox>(f, "BinList"), 1);
    backend->Click(Found<TRadioButton>(f, "Landscape"), 3, 3);
    backend->PressKey(VK_RETURN);
  });
  ASSERT_TRUE(setup.Execute());
  EXPECT_EQ(Printer()->PrinterIndex(), 1);
  EXPECT_EQ(Printer()->DeviceMode().dmPaperSize, DMPAPER_A3);
  EXPECT_EQ(Printer()->DeviceMode().dmDefaultSource, 1);
  EXPECT_EQ(Printer()->Orientation(), poLandscape);
}

TEST_F(PrintDialogTest, SetupFollowsTheChosenPrinterAndCancelKeepsAll) {
  TPrinterSetupDialog setup(nullptr);
  backend->ExpectModal("", [&](TCustomForm& f) {
    EXPECT_GT(Found<TComboBox>(f, "PaperList").Items()->Count(), 3);  // the PDF printer's
    EXPECT_EQ(Found<TComboBox>(f, "BinList").Items()->Strings(0), "Αυτόματη επιλογή"_a);
    Choose(Found<TComboBox>(f, "PrinterList"), 1);
    EXPECT_EQ(Found<TComboBox>(f, "PaperList").Items()->Count(), 3);
    EXPECT_EQ(Found<TComboBox>(f, "BinList").Items()->Strings(1), "Επάνω"_a);
    backend->PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(setup.Execute());
  EXPECT_EQ(Printer()->PrinterIndex(), 0);
}

TEST_F(PrintDialogTest, WithoutPrintersNoDialogShows) {
  printers::UseProfiles({}, -1);
  Printer()->Refresh();
  TPrintDialog quiet(nullptr);
  EXPECT_FALSE(quiet.Execute());
  quiet.Options << poWarning;
  backend->ExpectMessageBox("εκτυπωτής"_a, IDOK);
  EXPECT_FALSE(quiet.Execute());
  TPrinterSetupDialog setup(nullptr);
  backend->ExpectMessageBox("εκτυπωτής"_a, IDOK);
  EXPECT_FALSE(setup.Execute());
  EXPECT_EQ(backend->MessageBoxes.size(), 2u);
}

TEST(PaperName, NamesAndSizes) {
  EXPECT_EQ(dialogs::PaperName(DMPAPER_A4), "A4 (210 x 297 mm)");
  EXPECT_EQ(dialogs::PaperName(DMPAPER_LETTER), "Letter (216 x 279 mm)");
  EXPECT_EQ(dialogs::PaperName(9999), "Χαρτί 9999"_a);
}

}  // namespace
