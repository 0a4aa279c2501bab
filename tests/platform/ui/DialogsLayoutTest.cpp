// Every common dialog as the user first sees it: no control cut by its
// parent's edge, none covering another.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "LayoutCheck.h"
#include "UiFixture.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/print/Printers.h"
#include "platform/ui/Dialogs.h"

namespace {

// What a window manager's title bar needs to show a form's caption whole:
// the caption in a bold face, and beside it at least three buttons (menu,
// minimise, close), each about as wide as the bar is tall.
int TitleRoom(const TCustomForm& f) {
  TImageCanvas c(1, 1);
  c.Font->Assign(f.Font());
  c.Font->Style = fsBold;
  const TSize caption = c.TextExtent(f.Caption());
  return caption.cx + 3 * (caption.cy + 4);
}

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
      EXPECT_GE(f.ClientWidth(), TitleRoom(f)) << cp1253::ToUtf8(f.Caption());
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

// A short question keeps its caption whole in the title bar, with the
// buttons still centred below.
TEST_F(DialogsLayoutTest, MessageBoxesAreAsWideAsTheirTitles) {
  const std::pair<TMsgDlgType, UINT> kinds[] = {{mtConfirmation, MB_YESNO | MB_ICONQUESTION},
                                                {mtWarning, MB_OK | MB_ICONWARNING},
                                                {mtInformation, MB_OK | MB_ICONINFORMATION},
                                                {mtError, MB_OK | MB_ICONERROR}};
  for (const auto& [kind, type] : kinds) {
    backend->ExpectMessageBox("", IDOK);
    MessageDlg("x", kind, {mbOK});
    const AnsiString caption = backend->MessageBoxes.back().Caption;
    std::unique_ptr<TForm> box(CreateMessageDialog("x", caption, type));
    EXPECT_GE(box->ClientWidth(), TitleRoom(*box)) << cp1253::ToUtf8(caption);
    for (const std::string& fault : LayoutFaults(*box)) ADD_FAILURE() << fault;
    int left = box->ClientWidth(), right = 0;
    for (int i = 0; i < box->ControlCount(); ++i) {
      left = std::min(left, box->Controls(i)->Left());
      right = std::max(right, box->Controls(i)->Left() + box->Controls(i)->Width());
    }
    EXPECT_LE(std::abs(left - (box->ClientWidth() - right)), 1) << cp1253::ToUtf8(caption);
  }
}

}  // namespace
