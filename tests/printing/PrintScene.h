#pragma once
// What the printing tests and benchmarks start from: the headless screen,
// the PDF printer as the only printer, and an owner form holding a rich
// edit. Ending it frees the forms first, then gives the system's printers
// back, so nothing a form saves on closing goes astray.

#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/print/Printers.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class PrintScene {
 public:
  PrintScene() : PrintScene(&InstallHeadlessBackend()) {}
  // On the backend installed (a real screen's) when Headless is null.
  explicit PrintScene(THeadlessBackend* headless) : backend(headless) {
    printers::UseProfiles({printers::PdfPrinterProfile()}, 0);
    Printer()->Refresh();
    Printer()->SetPrinterIndex(0);
    owner.reset(NewForm<TForm>(nullptr));
    edit = new TRichEdit(owner.get());
    edit->SetParent(owner.get());
  }
  ~PrintScene() {
    owner.reset();
    Application->ProcessMessages();
    printers::UseSystem();
    Printer()->Refresh();
  }
  PrintScene(const PrintScene&) = delete;
  PrintScene& operator=(const PrintScene&) = delete;

  // Unwrapped lines in Courier New of Height (negative: pixels), as the
  // calculation text is shown.
  void CourierLines(int height) {
    edit->SetWordWrap(false);
    TFont font;
    font.Name = "Courier New";
    font.SetHeight(height);
    edit->SetFont(font);
  }

  // Answers the next print dialog: pages From to To, then OK.
  void ExpectPrintedPages(int from, int to) {
    backend->ExpectModal("Εκτύπωση"_a, [this, from, to](TCustomForm& f) {
      dynamic_cast<TRadioButton*>(f.FindComponent("PageNums"))->SetChecked(true);
      dynamic_cast<TEdit*>(f.FindComponent("FromPage"))->SetText(IntToStr(from));
      dynamic_cast<TEdit*>(f.FindComponent("ToPage"))->SetText(IntToStr(to));
      backend->PressKey(VK_RETURN);
    });
  }

  THeadlessBackend* backend;  // null on a real screen
  std::unique_ptr<TForm> owner;
  TRichEdit* edit = nullptr;
};
