#include "report/RpPrintDlg.h"

#include "platform/print/Printers.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

// Registered as the report engine starts, as the system's dialogs expect
// them to be before any of them shows.
const UINT helpMessage = RegisterWindowMessage("commdlg_help");
const UINT findReplaceMessage = RegisterWindowMessage("commdlg_FindReplace");
// The class library also names a global atom after the module and thread,
// under which a dialog window's object is kept as a window property. Here
// the window table (ui::RegisterWindow) leads from a window to its object
// and nothing reads atoms or window properties, so none is made.

// Whether Form is still one of the program's forms.
bool StillThere(const TCustomForm* form) {
  if (form == nullptr || Screen == nullptr) return false;
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i) == form) return true;
  return false;
}

}  // namespace

UINT RpHelpMessage() { return helpMessage; }
UINT RpFindReplaceMessage() { return findReplaceMessage; }

TRpCommonDialog::TRpCommonDialog(TComponent* owner) : TComponent(owner), handle_(ui::RegisterWindow(this)) {}

TRpCommonDialog::~TRpCommonDialog() { ui::UnregisterWindow(handle_); }

LRESULT TRpCommonDialog::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  WndProc(message);
  return message.Result;
}

void TRpCommonDialog::WndProc(TMessage& message) {
  if (message.Msg == helpMessage) {
    if (Application != nullptr) Application->HelpContext(HelpContext);
    message.Result = 1;
    return;
  }
  DefWndProc(message);
}

void TRpCommonDialog::DoShow() {
  if (OnShow) OnShow(this);
}

void TRpCommonDialog::DoClose() {
  if (OnClose) OnClose(this);
}

bool TRpCommonDialog::TaskModalDialog(const std::function<bool()>& dialog) {
  // The system dialog's own modal run closes the other windows to input
  // and opens them again when it ends.
  TCustomForm* active = Screen != nullptr ? Screen->ActiveForm() : nullptr;
  const auto reactivate = [active] {
    if (StillThere(active) && active->Visible() && !active->Active()) active->Show();
  };
  bool result = false;
  try {
    result = dialog();
  } catch (...) {
    reactivate();
    throw;
  }
  reactivate();
  return result;
}

TPrinter* TRpBasePrintDialog::Printer() const { return ::Printer(); }

void TRpPrintDialog::SetCopies(int copies) {
  TPrintDialogChoices::Copies = copies;
  Printer()->SetCopies(copies);
}

bool TRpPrintDialog::Execute() {
  TPrintDialog system(nullptr);
  static_cast<TPrintDialogChoices&>(system) = *this;
  system.ThirdOfScreen = true;
  system.HelpWindow = Handle();
  system.OnShow = [this](TObject*) { DoShow(); };
  system.OnClose = [this](TObject*) { DoClose(); };
  if (!TaskModalDialog([&] { return system.Execute(); })) return false;
  static_cast<TPrintDialogChoices&>(*this) = system;
  TPrinter* printer = Printer();
  // One copy asked leaves the count the printer keeps for itself.
  if (Copies() == 1) TPrintDialogChoices::Copies = printer->Copies();
  const TDeviceMode& m = printer->DeviceMode();
  OutputBin = m.dmDefaultSource;
  PaperSize = m.dmPaperSize;
  Paperwidth = m.dmPaperWidth;
  Paperlength = m.dmPaperLength;
  Orientation = m.dmOrientation;
  PrintQuality = m.dmPrintQuality;
  ColorOption = m.dmColor;
  DuplexCode = m.dmDuplex;
  Duplex = m.dmDuplex != DMDUP_SIMPLEX;
  Collate = m.dmCollate != 0;
  Fields = m.dmFields;
  return true;
}
