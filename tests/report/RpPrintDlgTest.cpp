#include <gtest/gtest.h>

#include "platform/print/Printers.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "report/RpCtrls.h"
#include "report/RpPrintDlg.h"
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
  EXPECT_EQ(dialog.Copies, 1);
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

}  // namespace
