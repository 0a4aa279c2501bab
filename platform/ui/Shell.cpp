#include "platform/ui/Shell.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Dialogs.h"

namespace {

bool StartsWithNoCase(const AnsiString& s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameText(std::string_view(s).substr(0, prefix.size()), prefix);
}

// The existing file (or, with OrFolder, file or folder) Name designates
// (taken in Directory when relative), or "" when there is none.
AnsiString ExistingFile(const AnsiString& name, const AnsiString& directory, bool orFolder = false) {
  if (name.empty() || name.find('\0') != AnsiString::npos) return {};
  AnsiString full = name;
  if (full[0] != PathDelim && !directory.empty()) full = IncludeTrailingPathDelimiter(directory) + name;
  full = ExpandFileName(full);
  if (!FileExists(full) && !(orFolder && DirectoryExists(full))) return {};
  return ResolveFileName(full);
}

bool IsControlCharacter(char ch) { return static_cast<unsigned char>(ch) < ' ' || ch == '\x7f'; }

int HexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

// The local file a file:// link names, in the code page; "" for another
// host, a broken escape, an escaped zero or control character, or a name
// the code page cannot hold.
AnsiString FileLinkPath(const AnsiString& link) {
  if (!StartsWithNoCase(link, "file://")) return {};
  std::string_view rest = std::string_view(link).substr(7);
  if (StartsWithNoCase(AnsiString(rest.substr(0, 10)), "localhost/")) rest.remove_prefix(9);
  if (rest.empty() || rest[0] != '/') return {};
  // Escapes stand for UTF-8 bytes; the link's own letters are the code
  // page's.
  std::string utf8;
  for (size_t i = 0; i < rest.size(); ++i) {
    char ch = rest[i];
    const bool escaped = ch == '%';
    if (escaped) {
      const int high = i + 2 < rest.size() ? HexDigit(rest[i + 1]) : -1;
      const int low = high >= 0 ? HexDigit(rest[i + 2]) : -1;
      if (low < 0) return {};
      ch = static_cast<char>(high * 16 + low);
      i += 2;
    }
    if (IsControlCharacter(ch)) return {};
    utf8 += escaped ? std::string(1, ch) : cp1253::ToUtf8(std::string_view(&ch, 1));
  }
  AnsiString path;
  if (!cp1253::TryFromUtf8(utf8, path)) return {};
  return path;
}

// What the desktop may open: a folder (its file manager shows it), or a
// regular file that nobody may execute, so that a link never starts a
// program.
bool IsOpenableDocument(const AnsiString& path) {
  struct stat st {};
  if (path.empty() || ::stat(cp1253::ToUtf8(path).c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && (st.st_mode & 0111) == 0);
}

// Letters, then letters, digits, "+", "-" or "." up to a colon.
bool StartsWithScheme(const AnsiString& s) {
  const size_t colon = s.find(':');
  if (colon == AnsiString::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(s[0])))
    return false;
  for (size_t i = 1; i < colon; ++i) {
    const unsigned char ch = static_cast<unsigned char>(s[i]);
    if (!std::isalnum(ch) && ch != '+' && ch != '-' && ch != '.') return false;
  }
  return true;
}

bool HasControlCharacter(const AnsiString& s) { return std::any_of(s.begin(), s.end(), IsControlCharacter); }

bool IsTextEditor(const AnsiString& program) {
  const AnsiString name = ExtractFileName(program);
  return SameText(name, "write.exe") || SameText(name, "notepad.exe") || SameText(name, "write") ||
         SameText(name, "notepad");
}

}  // namespace

bool IsOpenableLink(const AnsiString& link) {
  if (HasControlCharacter(link)) return false;
  for (std::string_view scheme : {"http://", "https://", "ftp://", "mailto:"})
    if (StartsWithNoCase(link, scheme)) return link.size() > scheme.size();
  return IsOpenableDocument(FileLinkPath(link));
}

bool IsOpenableDocumentName(const AnsiString& name) {
  if (HasControlCharacter(name) || StartsWithScheme(name)) return false;
  return IsOpenableDocument(ExistingFile(name, {}, true));
}

std::intptr_t ShellExecute(HWND, const AnsiString& operation, const AnsiString& file, const AnsiString&,
                           const AnsiString& directory, int) {
  if (!operation.empty() && !SameText(operation, "open")) return SE_ERR_NOASSOC;
  const AnsiString target = Trim(file);
  AnsiString handed;
  if (IsOpenableLink(target)) {
    // A file link goes as the file's name, which the desktop takes as is.
    handed = StartsWithNoCase(target, "file://") ? FileLinkPath(target) : target;
  } else if (target.find("://") != AnsiString::npos || StartsWithNoCase(target, "mailto:")) {
    return SE_ERR_NOASSOC;
  } else {
    handed = ExistingFile(target, directory, true);
    if (handed.empty()) return ERROR_FILE_NOT_FOUND;
  }
  if (!HasBackend() || !Backend().ShellOpen("open", handed, {})) return SE_ERR_NOASSOC;
  return kShellSuccess;
}

std::vector<AnsiString> SplitCommandLine(const AnsiString& cmdLine) {
  std::vector<AnsiString> words;
  AnsiString word;
  bool quoted = false, inWord = false;
  for (char ch : cmdLine) {
    if (ch == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((ch == ' ' || ch == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += ch;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

UINT WinExec(const AnsiString& cmdLine, UINT) {
  const std::vector<AnsiString> words = SplitCommandLine(cmdLine);
  if (words.empty() || !HasBackend()) return ERROR_FILE_NOT_FOUND;
  if (IsTextEditor(words[0])) {
    // The program wants the system's text editor on a file: on this desktop
    // that is whatever handles the file.
    if (words.size() != 2) return ERROR_FILE_NOT_FOUND;
    const AnsiString file = ExistingFile(words[1], {});
    if (file.empty() || !Backend().ShellOpen("open", file, {})) return ERROR_FILE_NOT_FOUND;
    return 33;
  }
  return Backend().StartProcess(cmdLine) ? 33 : ERROR_FILE_NOT_FOUND;
}

// ---- help -------------------------------------------------------------------

AnsiString FindHelpFile(const AnsiString& helpFile) {
  if (helpFile.empty()) return {};
  if (helpFile[0] == PathDelim) return ExistingFile(helpFile, {});
  const AnsiString exeFolder = ExtractFilePath(ParamStr(0));
  if (!exeFolder.empty())
    if (AnsiString found = ExistingFile(helpFile, exeFolder); !found.empty()) return found;
  return ExistingFile(helpFile, GetCurrentDir());
}

// The application's help calls live here, beside the shell they use. There
// are no help topics on this desktop: every command that shows help opens
// the help file with the desktop's handler, when the file exists.
bool TApplication::HelpCommand(Word Command, std::intptr_t Data) {
  if (OnHelp) {
    bool callHelp = true;
    const bool result = OnHelp(Command, Data, callHelp);
    if (!callHelp) return result;
  }
  if (Command == HELP_QUIT) return true;
  if (Command == HELP_HELPONHELP) return false;
  const AnsiString file = FindHelpFile(HelpFile);
  if (file.empty() || !HasBackend()) return false;
  return Backend().ShellOpen("open", file, {});
}

bool TApplication::HelpContext(int Context) { return HelpCommand(HELP_CONTEXT, Context); }

AnsiString HelpNotAvailableText() { return cp1253::FromUtf8("Η βοήθεια δεν είναι διαθέσιμη."); }

void InvokeHelp(int Context) {
  if (Context != 0 && Application && Application->HelpContext(Context)) return;
  MessageDlg(HelpNotAvailableText(), mtInformation, {mbOK});
}

// ---- memory -----------------------------------------------------------------

bool ParseMemInfo(std::string_view text, MEMORYSTATUSEX& status) {
  std::optional<std::uint64_t> total, available, memFree, buffers, cached, swapTotal, swapFree;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = line.substr(0, colon);
    std::string_view rest = line.substr(colon + 1);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    std::uint64_t value = 0;
    const auto [after, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || after == rest.data()) continue;
    const AnsiString unit = Trim(std::string_view(after, rest.data() + rest.size() - after));
    std::uint64_t bytes = value;
    if (unit == "kB") {
      if (value > UINT64_MAX / 1024) continue;
      bytes = value * 1024;
    } else if (!unit.empty()) {
      continue;
    }
    if (name == "MemTotal")
      total = bytes;
    else if (name == "MemAvailable")
      available = bytes;
    else if (name == "MemFree")
      memFree = bytes;
    else if (name == "Buffers")
      buffers = bytes;
    else if (name == "Cached")
      cached = bytes;
    else if (name == "SwapTotal")
      swapTotal = bytes;
    else if (name == "SwapFree")
      swapFree = bytes;
  }
  if (!total || *total == 0) return false;
  std::uint64_t avail = 0;
  if (available) {
    avail = *available;
  } else if (memFree) {
    // Saturating: damaged figures must not wrap round.
    avail = *memFree;
    for (const auto& part : {buffers, cached})
      if (part) avail = (UINT64_MAX - avail < *part) ? UINT64_MAX : avail + *part;
  } else {
    return false;
  }
  avail = std::min(avail, *total);
  const std::uint64_t swapT = swapTotal.value_or(0);
  const std::uint64_t swapF = std::min(swapFree.value_or(0), swapT);
  status.ullTotalPhys = *total;
  status.ullAvailPhys = avail;
  status.ullTotalPageFile = (UINT64_MAX - *total < swapT) ? UINT64_MAX : *total + swapT;
  status.ullAvailPageFile = (UINT64_MAX - avail < swapF) ? UINT64_MAX : avail + swapF;
  status.dwMemoryLoad =
      static_cast<DWORD>(static_cast<double>(*total - avail) * 100.0 / static_cast<double>(*total));
  return true;
}

BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status) {
  if (!status || status->dwLength != sizeof(MEMORYSTATUSEX)) return false;
  std::string text;
  try {
    text = ReadWholeFile("/proc/meminfo");
  } catch (const Exception&) {
    return false;
  }
  MEMORYSTATUSEX read;
  if (!ParseMemInfo(text, read)) return false;
  *status = read;
  return true;
}
