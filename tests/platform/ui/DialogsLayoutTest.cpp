// Every common dialog as the user first sees it: no control cut by its
// parent's edge, none covering another.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "LayoutCheck.h"
#include "UiFixture.h"
#include "platform/print/Printers.h"
#include "platform/ui/Dialogs.h"

namespace {

class DialogsLayoutTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    TPrinterProfile laser = printers::PdfPrinterProfile();
    laser.Name = "Laser";
    laser.PaperCodes = {DMPAPER_A4, DMPAPER_A3};
    laser.Bins = {{7, "Αυτόματα"_a}};
    printers::UseProfiles({printers::PdfPrinterProfile(), laser}, 0);
    Printer()->Refresh();
  }
  void TearDown() override {
    printers::UseSystem();
    Printer()->Refresh();
    UiTest::TearDown();
  }
};

TEST_F(DialogsLayoutTest, NoControlIsCutOrCovered) {
  const std::pair<const char*, std::function<void()>> dialogs[] = {
      {"page set-up (mm)",
       [] {
         PAGESETUPDLG psd;
         psd.Flags = PSD_INHUNDREDTHSOFMILLIMETERS;
         PageSetupDlg(psd);
       }},
      {"page set-up (inches)",
       [] {
         PAGESETUPDLG psd;
         psd.Flags = PSD_INTHOUSANDTHSOFINCHES;
         PageSetupDlg(psd);
       }},
      {"print",
       [] {
         TPrintDialog d(nullptr);
         d.Options = {poPageNums, poSelection};
         d.Execute();
       }},
      {"printer set-up",
       [] {
         TPrinterSetupDialog d(nullptr);
         d.Execute();
       }},
      {"font",
       [] {
         TFontDialog d(nullptr);
         d.Execute();
       }},
      {"open",
       [] {
         TOpenDialog d(nullptr);
         d.Filter = "ΑΡΧΕΙΑ  *.ddn|*.ddn|ΠΑΛΑΙΑ ΑΡΧΕΙΑ  *.ddt|*.ddt"_a;
         d.Execute();
       }},
      {"input",
       [] {
         AnsiString value = "12";
         InputQuery("Τιμή"_a, "Δώστε την τιμή"_a, value);
       }},
  };
  for (const auto& [what, show] : dialogs) {
    SCOPED_TRACE(what);
    bool seen = false;
    backend->ExpectModal("", [&](TCustomForm& f) {
      seen = true;
      for (const std::string& fault : LayoutFaults(f)) ADD_FAILURE() << fault;
      f.SetModalResult(mrCancel);
    });
    show();
    EXPECT_TRUE(seen);
  }
  // A message box with a long line and three buttons.
  std::unique_ptr<TForm> box(CreateMessageDialog(
      "Nα αγνοηθούν τα στοιχεία προϋπολογισμού μελέτης; Τα στοιχεία δεν έχουν αποθηκευτεί"_a, "Προσοχή"_a,
      MB_YESNOCANCEL | MB_ICONWARNING));
  for (const std::string& fault : LayoutFaults(*box)) ADD_FAILURE() << fault;
}

}  // namespace
