#include "tender/HelpTopics.h"

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Shell.h"

const char* const HelpContentsFile = "help/index.html";

AnsiString HelpPageFor(int context) {
  struct TTopic {
    int Context;
    const char* Page;
  };
  static constexpr TTopic Topics[] = {
      {HelpMainWindow, "index.html"},      {HelpCalculation, "calculation.html"},
      {HelpBudgetWindow, "budget.html"},   {HelpNormalityCheck, "normality.html"},
      {HelpDiscountSearch, "search.html"}, {HelpFiles, "files.html"},
      {HelpPrinting, "printing.html"},
  };
  for (const TTopic& topic : Topics)
    if (topic.Context == context) return topic.Page;
  return "index.html";
}

AnsiString HelpWithoutViewerText(const AnsiString& page) {
  return "Δεν είναι εγκατεστημένο πρόγραμμα που να δείχνει τη βοήθεια (φυλλομετρητής ιστοσελίδων)."
         "\r\nΗ σελίδα της βοήθειας είναι:\r\n"_a +
         page;
}

void InstallHelp() {
  Application->HelpFile = HelpContentsFile;
  Application->OnHelp = [](Word command, std::intptr_t data, bool& callHelp) {
    if (command != HELP_CONTEXT && command != HELP_CONTENTS && command != HELP_PARTIALKEY) return false;
    const AnsiString contents = FindHelpFile(Application->HelpFile);
    // Without the help folder the default says there is no help.
    if (contents.empty()) return false;
    callHelp = false;
    const int context = command == HELP_CONTEXT ? static_cast<int>(data) : HelpMainWindow;
    const AnsiString page = ExtractFilePath(contents) + HelpPageFor(context);
    const std::intptr_t opened = ShellExecute(0, "open", page, "", "", SW_SHOWNORMAL);
    if (opened > 32 || opened == ERROR_FILE_NOT_FOUND) return opened > 32;
    // The help is there but the desktop has nothing to show it with: say
    // so, and where it is, rather than that there is none.
    MessageDlg(HelpWithoutViewerText(page), mtInformation, {mbOK});
    return true;
  };
}
