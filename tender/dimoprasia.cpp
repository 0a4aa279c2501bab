// The program's entry: the units' start-up, the application, the main window
// and the report form, then the message loop.
#include <cstdio>
#include <exception>

#include "platform/backend/Backends.h"
#include "platform/ipc/DdeMan.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "printing/Qprint.h"
#include "tender/HelpTopics.h"
#include "tender/N_STR.h"
#include "tender/Uglo.h"
#include "tender/mainauction.h"

int main(int argc, char** argv) {
  SetCommandLine(argc, argv);
  // The number-style probe reads the locale, so the locale comes first.
  LoadLocaleFromEnvironment();
  InitNumericLibrary();
  FormulaBeep = [] { MessageBeep(MB_ICONASTERISK); };
  try {
    // On a screen when a display is there, else in memory.
    InstallDefaultBackend();
    // A document printed to a file says where it went.
    ShowPrintedFileNames();
    Application->Initialize();
    Application->CreateForm(MainForm);
    Application->CreateForm(ReportForm);
    Application->HintPause = 500;
    Application->HintHidePause = 8000;
    // The help pages beside the executable.
    InstallHelp();
    Application->Run();
  } catch (const std::exception& error) {
    // What a form's creation or the loop did not handle ends the program,
    // but only after the application has shown it.
    std::fprintf(stderr, "dimoprasia: %s\n", error.what());
    Application->HandleException(nullptr);
    EndStartedServices();
    return 1;
  }
  // The spreadsheet service goes with the program.
  EndStartedServices();
  return 0;
}
