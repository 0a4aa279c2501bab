// Input boxes: a prompt, an edit, OK and Cancel.

#include <algorithm>
#include <memory>

#include "platform/ui/DialogForm.h"
#include "platform/ui/Dialogs.h"

bool InputQuery(const AnsiString& ACaption, const AnsiString& APrompt, AnsiString& Value) {
  auto form = std::make_unique<dialogs::TDialogForm>(nullptr, ACaption);
  form->AfterConstruction();
  // Wide enough for the prompt and for the caption in the title bar (the
  // range of a page choice), never narrower than the system's box.
  const auto units = [&](int pixels) { return (pixels * 4 + form->DX(4) - 1) / form->DX(4); };
  const int titleRoom = units(form->CaptionClientWidth());
  const int width = std::max({180, units(form->TextWidth(APrompt)) + 16, titleRoom});
  form->SetClientSizeDU(width, 63);
  auto* prompt = form->Add<TLabel>(8, 8, width - 16, 10);
  prompt->SetCaption(APrompt);
  auto* edit = form->Add<TEdit>(8, 20, width - 16, 12);
  edit->SetName("Edit");
  edit->SetMaxLength(255);
  edit->SetText(Value);
  edit->SelectAll();
  prompt->SetFocusControl(edit);
  form->OkButton(width / 2 - 52, 41);
  form->CancelButton(width / 2 + 2, 41);
  form->SetActiveControl(edit);
  if (form->ShowModal() != mrOk) return false;
  Value = edit->Text();
  return true;
}

AnsiString InputBox(const AnsiString& ACaption, const AnsiString& APrompt, const AnsiString& ADefault) {
  AnsiString value = ADefault;
  InputQuery(ACaption, APrompt, value);
  return value;
}
