#pragma once
// The program around a demo form: the display backend, the form made as
// the main form, and the message loop until it closes.

#include "platform/backend/Backends.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"

template <class Form>
int RunDemoForm() {
  // Numbers and dates as the program reads them: in the user's locale.
  LoadLocaleFromEnvironment();
  InstallDefaultBackend();
  Application->Initialize();
  Form* form = nullptr;
  Application->CreateForm(form);
  Application->Run();
  return 0;
}
