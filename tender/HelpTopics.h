#pragma once
// The program's help: Greek HTML pages installed in the "help" folder
// beside the executable, one page for each window or subject, opened with
// the desktop's handler. The windows name their page by their help context;
// F1 takes the context of the focused control's nearest owner that has one.

#include "platform/rtl/System.h"

enum : int {
  HelpMainWindow = 1000,
  HelpCalculation = 1010,
  HelpBudgetWindow = 1100,
  HelpNormalityCheck = 1110,
  HelpDiscountSearch = 1120,
  HelpFiles = 1200,
  HelpPrinting = 1300,
};

// The contents page as the application names its help file, relative to
// the executable's folder.
extern const char* const HelpContentsFile;
// The page of a help context, a file name in the help folder; the contents
// page for a context that has none.
AnsiString HelpPageFor(int context);
// What the user is told when the desktop has no program to show Page.
AnsiString HelpWithoutViewerText(const AnsiString& page);
// Names the help file and makes every help request open its context's page
// (the contents for other commands); a missing page is no help, as a
// missing file is.
void InstallHelp();
