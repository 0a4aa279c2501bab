#include <gtest/gtest.h>

#include <cmath>

#include "report/BandRpt.h"
#include "report/RpPrntrSettings.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

// Printers with and without each capability.
class RpPrntrSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TPrinterProfile full = printers::PdfPrinterProfile();
    full.Name = "Full";
    full.OutputFolder = folder.path();
    full.OffsetX = 100;  // dots at 600 per inch: 4.2 mm
    full.OffsetY = 50;
    TPrinterProfile bare = full;
    bare.Name = "Bare";
    bare.DpiX = bare.DpiY = 300;
    bare.PaperCodes = {DMPAPER_A4, DMPAPER_LETTER, 300};
    bare.Defaults.dmFields = DM_PAPERSIZE;
    bare.Defaults.dmPaperSize = 300;  // a code of no listed paper
    printers::UseProfiles({full, bare}, 0);
    printers::ClearJobLog();
  }
  void TearDown() override { printers::UseSystem(); }
  TempFolder folder;
};

TEST_F(RpPrntrSettingsTest, ReadsTheDeviceOnceAndTheOffsetsInTenthsOfAMillimetre) {
  TPrinter printer;
  TPrinterSettings settings;
  int reads = 0;
  settings.OnGetPrinterSettings = [&](TPrinterSettings*, bool&, TDeviceMode*) { ++reads; };
  settings.SetPrinter(&printer);
  settings.ReadDevice();
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(settings.Device(), "Full");
  EXPECT_EQ(settings.PixelsPerInchX, 600);
  EXPECT_EQ(settings.LeftOffset, 42);
  EXPECT_EQ(settings.TopOffset, 21);
  EXPECT_EQ(settings.PaperSize(), TRpPaperSize::A4);
  EXPECT_EQ(settings.PaperWidth(), 2100);
  EXPECT_EQ(settings.OutputBin(), static_cast<int>(TRpBin::Auto));
  EXPECT_TRUE(settings.SupportedPapers[static_cast<int>(TRpPaperSize::A2)]);
  printer.SetPrinterIndex(1);
  settings.ReadDevice();
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(settings.PaperSize(), TRpPaperSize::Default);  // code 300 is in no row
  EXPECT_FALSE(settings.SupportedPapers[static_cast<int>(TRpPaperSize::A3)]);
  EXPECT_TRUE(settings.SupportedPapers[static_cast<int>(TRpPaperSize::Custom)]);
}

TEST_F(RpPrntrSettingsTest, SettersFollowTheDeviceCapabilities) {
  TPrinter printer;
  printer.SetPrinterIndex(1);
  TPrinterSettings settings;
  settings.SetPrinter(&printer);
  settings.SetCopies(3);
  settings.SetDuplex(true);
  settings.SetOutputBin(static_cast<int>(TRpBin::Lower));
  settings.SetOrientation(poLandscape);
  settings.SetPaperSize(TRpPaperSize::A3);
  EXPECT_EQ(settings.Copies(), 1);
  EXPECT_FALSE(settings.Duplex());
  EXPECT_EQ(settings.OutputBin(), static_cast<int>(TRpBin::Auto));
  EXPECT_EQ(settings.Orientation(), poPortrait);
  EXPECT_EQ(settings.PaperSize(), TRpPaperSize::Default);
  settings.SetPaperSize(TRpPaperSize::Letter);
  EXPECT_EQ(settings.PaperSize(), TRpPaperSize::Letter);
  settings.SetPaperSize(TRpPaperSize::Default);
  EXPECT_EQ(settings.PaperSize(), TRpPaperSize::Default);
  // Without duplex support the device's duplex stays whatever is asked.
  settings.ExtendedDuplex = 2;
  const int before = printer.DeviceMode().dmDuplex;
  settings.ApplySettings();
  EXPECT_EQ(printer.DeviceMode().dmDuplex, before);
}

TEST_F(RpPrntrSettingsTest, AppliedSettingsReachTheJob) {
  TPrinter printer;
  TPrinterSettings settings;
  settings.SetPrinter(&printer);
  settings.SetCopies(2);
  settings.SetDuplex(true);
  settings.ExtendedDuplex = 2;  // vertical wins over the plain flag
  settings.SetOutputBin(static_cast<int>(TRpBin::Manual));
  settings.SetOrientation(poLandscape);
  settings.SetPaperSize(TRpPaperSize::A5);
  settings.Collate = 1;
  int applied = 0;
  settings.OnApplyPrinterSettings = [&](TPrinterSettings*, bool&, TDeviceMode* mode) {
    ++applied;
    EXPECT_EQ(mode->dmPaperSize, DMPAPER_A5);
  };
  settings.ApplySettings();
  EXPECT_EQ(applied, 1);
  const TDeviceMode& mode = printer.DeviceMode();
  EXPECT_EQ(mode.dmCopies, 2);
  EXPECT_EQ(mode.dmDuplex, DMDUP_VERTICAL);
  EXPECT_EQ(mode.dmDefaultSource, 4);
  EXPECT_EQ(mode.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(mode.dmPaperWidth, 1480);
  EXPECT_EQ(mode.dmPaperLength, 2100);
  EXPECT_EQ(mode.dmCollate, 1);
  printer.FileName = folder / "job.pdf";
  printer.BeginDoc();
  printer.EndDoc();
  ASSERT_EQ(printers::JobLog().size(), 1u);
  EXPECT_EQ(printers::JobLog()[0].Mode, mode);
  const auto& unshown = printers::JobLog()[0].Unshown;
  // The PDF printer makes the copies itself.
  EXPECT_EQ(std::find(unshown.begin(), unshown.end(), "Copies=2"), unshown.end());
  EXPECT_NE(std::find(unshown.begin(), unshown.end(), "Duplex=2"), unshown.end());
  // A cancelled apply leaves the device as it was.
  settings.SetCopies(5);
  settings.OnApplyPrinterSettings = [](TPrinterSettings*, bool& cancel, TDeviceMode*) { cancel = true; };
  settings.ApplySettings();
  EXPECT_EQ(printer.DeviceMode().dmCopies, 2);
}

// A paper asked for by its code is the job's sheet, whatever the report's
// own; a code of no known paper leaves the report's sheet.
TEST_F(RpPrntrSettingsTest, APaperAskedForByItsCodeIsTheSheet) {
  struct Case {
    TRpPaperSize own;
    bool byCode;
    int code;
    int paperCode, width, length;
  } const cases[] = {
      {TRpPaperSize::A4, false, DMPAPER_A5, DMPAPER_A4, 2100, 2970},
      {TRpPaperSize::A4, true, DMPAPER_A5, DMPAPER_A5, 1480, 2100},
      {TRpPaperSize::A4, true, DMPAPER_LETTER, DMPAPER_LETTER, 2159, 2794},
      {TRpPaperSize::Default, true, DMPAPER_A3, DMPAPER_A3, 2970, 4200},
      {TRpPaperSize::A4, true, 300, 300, 2100, 2970},
  };
  for (const Case& c : cases) {
    TPrinter printer;
    TPrinterSettings settings;
    settings.SetPrinter(&printer);
    settings.SetPaperSize(c.own);
    settings.UseCustomPaperCode = c.byCode;
    settings.CustomPaperCode = c.code;
    settings.ApplySettings();
    const TDeviceMode& mode = printer.DeviceMode();
    EXPECT_EQ(mode.dmPaperSize, c.paperCode) << c.code;
    EXPECT_EQ(mode.dmPaperWidth, c.width) << c.code;
    EXPECT_EQ(mode.dmPaperLength, c.length) << c.code;
    // The device measures the sheet the job goes out on.
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), std::lround(c.width / 254.0 * 600)) << c.code;
  }
}

TEST(RpPrinterSettingsDefaults, AsAReportStoresThem) {
  TBandRepPrinterSettings s;
  EXPECT_EQ(s.PaperSize, TRpPaperSize::Letter);
  EXPECT_EQ(s.OutputBin, TRpBin::Auto);
  EXPECT_EQ(s.MemoryLimit, 250000);
  EXPECT_FALSE(s.PrintQualityStored());
  s.PrintQuality = 300;
  EXPECT_TRUE(s.PrintQualityStored());
  EXPECT_EQ(TPrinterSettings().PaperSize(), TRpPaperSize::A4);
  EXPECT_EQ(TPrinterSettings().PrinterIndex(), -1);
  EXPECT_EQ(TPrinterSettings().MemoryLimit, 250000);
  // A composite report's set starts as a report's does, with no printer
  // chosen and no title.
  TRpCompositePrinterSettings composite;
  EXPECT_EQ(composite.MemoryLimit, 250000);
  EXPECT_EQ(composite.PrintQuality, 600);
  EXPECT_EQ(composite.PrinterIndex, -1);
  EXPECT_EQ(composite.Copies, 1);
  EXPECT_EQ(composite.Orientation, poPortrait);
  EXPECT_EQ(composite.PaperSize, TRpPaperSize::Letter);
  EXPECT_TRUE(composite.Title.empty());
  EXPECT_FALSE(composite.PrintMetaFile);
}

// The device, port and driver names come from the printer; the driver's is
// cut to 63 characters.
TEST_F(RpPrntrSettingsTest, TheNamesOfThePrinterAreRead) {
  TPrinterProfile named = printers::PdfPrinterProfile();
  named.Name = "Named";
  named.Port = "lpt9:";
  named.Driver = AnsiString(80, 'd');
  printers::UseProfiles({named}, 0);
  TPrinter printer;
  TPrinterSettings settings;
  settings.SetPrinter(&printer);
  EXPECT_EQ(settings.Device(), "Named");
  EXPECT_EQ(settings.Port(), "lpt9:");
  EXPECT_EQ(settings.Driver(), AnsiString(63, 'd'));
  EXPECT_EQ(settings.PrinterIndex(), 0);
}

}  // namespace
