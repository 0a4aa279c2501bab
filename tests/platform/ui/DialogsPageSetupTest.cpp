#include <gtest/gtest.h>

#include "UiFixture.h"
#include "platform/print/Printers.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"

namespace {

class PageSetupTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    // A laser with unprintable edges of 1/6 inch (100 dots at 600 dpi).
    TPrinterProfile laser = printers::PdfPrinterProfile();
    laser.Name = "Laser";
    laser.Driver = "laser";
    laser.Port = "usb:";
    laser.OffsetX = laser.OffsetY = 100;
    laser.PaperCodes = {DMPAPER_A4, DMPAPER_A3};
    printers::UseProfiles({printers::PdfPrinterProfile(), laser}, 0);
    Printer()->Refresh();
    Printer()->SetPrinterIndex(0);
  }
  void TearDown() override {
    printers::UseSystem();
    Printer()->Refresh();
    UiTest::TearDown();
  }
  void Field(TCustomForm& f, const char* name, const AnsiString& text) {
    auto& e = Found<TEdit>(f, name);
    e.SetFocus();
    e.SelectAll();
    backend->Type(text);
  }
};

TEST(DevNames, RoundTripAndDamagedBlocks) {
  const std::string block = MakeDevNames("drv", "Laser", "usb:");
  AnsiString a, b, c;
  ASSERT_TRUE(ReadDevNames(block, a, b, c));
  EXPECT_EQ(a, "drv");
  EXPECT_EQ(b, "Laser");
  EXPECT_EQ(c, "usb:");
  EXPECT_EQ(block.substr(0, 2), std::string("\x08\x00", 2));
  const std::string damaged[] = {"", std::string(7, '\0'), block.substr(0, block.size() - 1),
                                 std::string("\xFF\x00", 2) + block.substr(2)};
  for (const std::string& d : damaged) {
    AnsiString x = "kept";
    EXPECT_FALSE(ReadDevNames(d, x, x, x));
    EXPECT_EQ(x, "kept");
  }
}

TEST_F(PageSetupTest, MillimetresOrientationAndPrinterComeBack) {
  PAGESETUPDLG psd;
  psd.hDevNames = MakeDevNames("laser", "Laser", "usb:");
  psd.Flags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS;
  psd.rtMargin = Rect(2500, 3000, 1500, 2500);
  backend->ExpectModal("Διαμόρφωση σελίδας"_a, [&](TCustomForm& f) {
    EXPECT_EQ(Found<TComboBox>(f, "PrinterList").ItemIndex(), 1);
    EXPECT_EQ(Found<TEdit>(f, "MarginLeft").Text(), "25");
    EXPECT_EQ(Found<TEdit>(f, "MarginTop").Text(), "30");
    EXPECT_EQ(Found<TEdit>(f, "MarginRight").Text(), "15");
    EXPECT_TRUE(Found<TRadioButton>(f, "Portrait").Checked());
    Field(f, "MarginLeft", "20,5");
    Field(f, "MarginBottom", "1");  // below the printer's edge of 4.23 mm
    backend->Click(Found<TRadioButton>(f, "Landscape"), 3, 3);
    backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  ASSERT_TRUE(PageSetupDlg(psd));
  EXPECT_EQ(psd.rtMargin, Rect(2050, 3000, 1500, 423));
  EXPECT_EQ(psd.ptPaperSize, (TPoint{29700, 21000}));
  ASSERT_TRUE(psd.hDevMode.has_value());
  EXPECT_EQ(psd.hDevMode->dmOrientation, DMORIENT_LANDSCAPE);
  AnsiString driver, device, port;
  ASSERT_TRUE(ReadDevNames(psd.hDevNames, driver, device, port));
  EXPECT_EQ(device, "Laser");
  EXPECT_EQ(port, "usb:");
  // The program's printer is the caller's to change.
  EXPECT_EQ(Printer()->PrinterIndex(), 0);
}

// A printer whose edges differ raises each margin to its own edge; a page
// on its side has the sheet's bottom edge at its left and its left at its top.
TEST_F(PageSetupTest, EachMarginRisesToItsOwnEdge) {
  TPrinterProfile uneven = printers::PdfPrinterProfile();
  uneven.Name = "Uneven";
  uneven.OffsetX = 100;  // dots at 600 dpi: 4.23 mm
  uneven.OffsetY = 100;
  uneven.OffsetRight = 200;   // 8.47 mm
  uneven.OffsetBottom = 300;  // 12.7 mm
  printers::UseProfiles({uneven}, 0);
  Printer()->Refresh();
  for (const bool landscape : {false, true}) {
    SCOPED_TRACE(landscape);
    PAGESETUPDLG psd;
    psd.Flags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS;
    psd.rtMargin = Rect(2500, 2500, 2500, 2500);
    backend->ExpectModal("", [&](TCustomForm& f) {
      for (const char* name : {"MarginLeft", "MarginTop", "MarginRight", "MarginBottom"}) Field(f, name, "1");
      if (landscape) backend->Click(Found<TRadioButton>(f, "Landscape"), 3, 3);
      backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
    });
    ASSERT_TRUE(PageSetupDlg(psd));
    EXPECT_EQ(psd.rtMargin, landscape ? Rect(1270, 423, 423, 847) : Rect(423, 423, 847, 1270));
  }
}

TEST_F(PageSetupTest, InchesRefusalsAndCancelKeepTheRecord) {
  PAGESETUPDLG psd;
  psd.Flags = PSD_MARGINS | PSD_INTHOUSANDTHSOFINCHES;
  psd.rtMargin = Rect(1000, 1250, 500, 750);
  backend->ExpectModal("", [&](TCustomForm& f) {
    EXPECT_EQ(Found<TEdit>(f, "MarginTop").Text(), FormatFloat("0.###", 1.25L));
    Field(f, "MarginLeft", "x");
    backend->PressKey(VK_RETURN);
    Field(f, "MarginLeft", "5");
    Field(f, "MarginRight", "4");  // 9 inches on a sheet 8.27 wide
    backend->PressKey(VK_RETURN);
    EXPECT_EQ(f.ModalResult(), mrNone);
    backend->PressKey(VK_ESCAPE);
  });
  backend->ExpectMessageBox("θετικοί αριθμοί"_a, IDOK);
  backend->ExpectMessageBox("επικαλύπτονται"_a, IDOK);
  EXPECT_FALSE(PageSetupDlg(psd));
  EXPECT_EQ(psd.rtMargin, Rect(1000, 1250, 500, 750));
  EXPECT_FALSE(psd.hDevMode.has_value());
  EXPECT_EQ(backend->PendingAnswers(), 0);
}

TEST_F(PageSetupTest, DisableFlagsGreyTheirPartsAndTheHookRunsFirst) {
  PAGESETUPDLG psd;
  psd.Flags = PSD_DISABLEMARGINS | PSD_DISABLEORIENTATION | PSD_DISABLEPAPER | PSD_DISABLEPRINTER |
              PSD_INHUNDREDTHSOFMILLIMETERS | PSD_ENABLEPAGESETUPHOOK;
  TCustomForm* hooked = nullptr;
  psd.lpfnPageSetupHook = [&](TCustomForm& f) {
    hooked = &f;
    f.Position = poDesigned;
    f.SetBounds(10, 20, f.Width(), f.Height());
  };
  backend->ExpectModal("", [&](TCustomForm& f) {
    EXPECT_EQ(hooked, &f);
    EXPECT_EQ(f.Top(), 20);
    for (const char* name : {"MarginLeft", "MarginTop", "MarginRight", "MarginBottom"})
      EXPECT_FALSE(Found<TEdit>(f, name).Enabled()) << name;
    // Without PSD_MARGINS the margins start at an inch.
    EXPECT_EQ(Found<TEdit>(f, "MarginLeft").Text(), FormatFloat("0.##", 25.4L));
    EXPECT_FALSE(Found<TRadioButton>(f, "Portrait").Enabled());
    EXPECT_FALSE(Found<TRadioButton>(f, "Landscape").Enabled());
    EXPECT_FALSE(Found<TComboBox>(f, "PaperList").Enabled());
    EXPECT_FALSE(Found<TComboBox>(f, "PrinterList").Enabled());
    backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  ASSERT_TRUE(PageSetupDlg(psd));
  EXPECT_EQ(psd.rtMargin, Rect(2540, 2540, 2540, 2540));
  EXPECT_EQ(psd.ptPaperSize, (TPoint{21000, 29700}));
}

// No part of the dialog lies over another, and every control lies inside
// its box: both orientations can be seen and clicked.
TEST_F(PageSetupTest, NoPartCoversAnother) {
  PAGESETUPDLG psd;
  psd.Flags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS;
  backend->ExpectModal("", [&](TCustomForm& f) {
    std::vector<TControl*> top;
    for (int i = 0; i < f.ControlCount(); ++i)
      if (f.Controls(i)->Visible()) top.push_back(f.Controls(i));
    for (size_t a = 0; a < top.size(); ++a)
      for (size_t b = a + 1; b < top.size(); ++b)
        EXPECT_TRUE(IntersectRect(top[a]->BoundsRect(), top[b]->BoundsRect()).IsEmpty())
            << top[a]->Name() << " / " << top[b]->Name();
    for (TControl* c : top) {
      EXPECT_LE(c->Left() + c->Width(), f.ClientWidth()) << c->Name();
      EXPECT_LE(c->Top() + c->Height(), f.ClientHeight()) << c->Name();
      auto* box = dynamic_cast<TWinControl*>(c);
      for (int i = 0; box && i < box->ControlCount(); ++i) {
        const TControl& inner = *box->Controls(i);
        EXPECT_LE(inner.Top() + inner.Height(), box->ClientHeight()) << inner.Name();
        EXPECT_LE(inner.Left() + inner.Width(), box->ClientWidth()) << inner.Name();
      }
    }
    backend->PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(PageSetupDlg(psd));
}

}  // namespace
