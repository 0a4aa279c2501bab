#include "report/RpProgress.h"

#include <memory>

#include "platform/ui/Application.h"
#include "report/RpPrntr.h"

TRpProgressForm::TRpProgressForm(TComponent* owner) : TForm(owner) {
  SetCaption("Πρόοδος εκτύπωσης"_a);
  BorderStyle = bsDialog;
  FormStyle = fsStayOnTop;
  Position = poScreenCenter;
  SetBounds(Left(), Top(), 149, 97);
  Info = new TLabel(this);
  Info->SetName("Info");
  Info->SetParent(this);
  Info->SetAutoSize(false);
  Info->SetAlignment(taCenter);
  Info->SetCaption("");
  Info->SetBounds(4, 6, 133, 16);
  Gauge = new TProgressBar(this);
  Gauge->SetName("Gauge");
  Gauge->SetParent(this);
  Gauge->SetRange(0, 100);
  Gauge->SetBounds(4, 24, 133, 14);
  CancelButton = new TButton(this);
  CancelButton->SetName("CancelButton");
  CancelButton->SetParent(this);
  CancelButton->SetCaption("Ακυρο"_a);
  CancelButton->Cancel = true;
  CancelButton->SetBounds(34, 44, 75, 22);
  CancelButton->OnClick = [this](TObject*) {
    if (RpPrinter == nullptr) return;
    if (RpPrinter->Master() != nullptr) RpPrinter->Master()->RequestStop();
    RpPrinter->Cancelled = true;
  };
}

void TRpProgressForm::Dispatch(TMessage& message) {
  if (message.Msg == WM_RP_PROGRESS && RpPrinter != nullptr) {
    const int progress = RpPrinter->Progress();
    if (progress % 5 == 0) {
      Gauge->SetPosition(progress);
      Info->SetCaption(IntToStr(progress) + "% " + " Ολοκληρώθηκε"_a);
      Application->ProcessMessages();
    }
    return;
  }
  TForm::Dispatch(message);
}

void RunWithProgress(TRpPrinter& printer, bool show, const AnsiString& caption, bool followPrinter,
                     const std::function<void()>& work) {
  std::unique_ptr<TRpProgressForm> progress;
  const HWND client = printer.Client;
  if (show) {
    progress = std::make_unique<TRpProgressForm>(nullptr);
    if (!caption.empty()) progress->SetCaption(caption);
    progress->RpPrinter = &printer;
    progress->Show();
    if (followPrinter) printer.Client = progress->Handle();
  }
  struct Restore {
    TRpPrinter& printer;
    HWND client;
    bool redirected;
    ~Restore() {
      if (redirected) printer.Client = client;
    }
  } restore{printer, client, show && followPrinter};
  work();
}
