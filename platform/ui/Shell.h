#pragma once
// What the program asks of the desktop: opening a web or mail link or a
// document with the desktop's handler, starting a program, the help file,
// and how much memory the computer has. The desktop itself is reached
// through the backend (the screen backend runs xdg-open or the program
// without a shell; the headless backend records the request), so the checks
// here decide what may leave the program at all: only http, https, ftp and
// mailto links, links to documents and files that exist.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/rtl/System.h"
#include "platform/ui/Windows.h"

// Show states of ShellExecute and WinExec; a window of another program is
// the desktop's to place, so they are accepted and not acted on.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;

// Results below 33 are failures, as the system numbers them.
constexpr std::intptr_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::intptr_t ERROR_PATH_NOT_FOUND = 3;
constexpr std::intptr_t SE_ERR_ACCESSDENIED = 5;
constexpr std::intptr_t SE_ERR_NOASSOC = 31;
// What a successful call answers.
constexpr std::intptr_t kShellSuccess = 42;

// Opens File with the desktop's handler. Operation "" or "open" (any case);
// File is a link IsOpenableLink accepts, or the name of an existing file
// or folder (relative names are taken in Directory when given, else in the
// current folder). Parameters go nowhere: documents take none. Answers
// ERROR_FILE_NOT_FOUND for a file that does not exist, SE_ERR_NOASSOC for
// another verb, another kind of link, or when the desktop refused.
std::intptr_t ShellExecute(HWND parent, const AnsiString& operation, const AnsiString& file,
                           const AnsiString& parameters, const AnsiString& directory, int showCmd);

// Starts the program of a command line (words split at blanks, double
// quotes keeping blanks inside; no shell). The system's text editors
// ("write.exe", "notepad.exe") mean the desktop's handler for the file they
// are given, which must exist. Answers 33 or more when started,
// ERROR_FILE_NOT_FOUND otherwise.
UINT WinExec(const AnsiString& cmdLine, UINT showCmd);

// A command line's words, as WinExec splits them.
std::vector<AnsiString> SplitCommandLine(const AnsiString& cmdLine);
// True for an http, https, ftp or mailto link that may be handed to the
// desktop (no control characters, something after the scheme), and for a
// file:// link to an existing folder or to an existing regular file that
// nobody may execute.
bool IsOpenableLink(const AnsiString& link);
// True for a document or folder named by its path (absolute, or taken in
// the current folder) that IsOpenableLink accepts as a file:// link; a name
// that starts with a scheme ("gopher:", "javascript:") names nothing.
bool IsOpenableDocumentName(const AnsiString& name);

// ---- help -----------------------------------------------------------------
// Help commands of TApplication::HelpCommand.
constexpr Word HELP_CONTEXT = 0x0001;
constexpr Word HELP_QUIT = 0x0002;
constexpr Word HELP_CONTENTS = 0x0003;
constexpr Word HELP_HELPONHELP = 0x0004;
constexpr Word HELP_PARTIALKEY = 0x0105;

// The help file as the program names it, found beside the executable or in
// the current folder (ignoring case); "" when it is nowhere.
AnsiString FindHelpFile(const AnsiString& helpFile);
// Help at Context from the application's help file; where there is none to
// show (no context, no file), an information box says that help is not
// available, so that asking for help never does nothing.
void InvokeHelp(int Context);
AnsiString HelpNotAvailableText();

// ---- memory ---------------------------------------------------------------
struct MEMORYSTATUSEX {
  DWORD dwLength = sizeof(MEMORYSTATUSEX);
  DWORD dwMemoryLoad = 0;  // percent of physical memory in use
  std::uint64_t ullTotalPhys = 0;
  std::uint64_t ullAvailPhys = 0;
  // Physical memory and swap together.
  std::uint64_t ullTotalPageFile = 0;
  std::uint64_t ullAvailPageFile = 0;
};

// Fills Status from /proc/meminfo. False (Status unchanged) when dwLength
// is not the record's size or the system gives no usable figures.
BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status);
// Reads the text of /proc/meminfo ("Name:   value kB" lines). Needs
// MemTotal; available memory is MemAvailable, or MemFree with Buffers and
// Cached on kernels without it. False for text without usable figures.
bool ParseMemInfo(std::string_view text, MEMORYSTATUSEX& status);
