#include <gtest/gtest.h>

#include "platform/print/Printers.h"
#include "platform/ui/StdCtrls.h"
#include "report/RpPrintDlg.h"
#include "tests/platform/ui/UiFixture.h"

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

}  // namespace
