#include "grid/WorksheetReader.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "grid/GridUtil.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"

extern char** environ;

namespace {

// The reading's exit codes (printing/calc-bridge's read mode): 10 no office
// suite or bridge, 11 the office suite did not start, 12 it could not read
// the file, 13 no such sheet, 14 the file is locked by a password, 15 the
// file needs more memory than the office suite may take; the words of 12
// and 15 come on stderr.
constexpr int kUnavailable = 10, kNoSheet = 13, kLocked = 14;

// What the program keeps of the reader's answer: past it the sheet holds
// more cells than a grid is fit to take, and reading stops.
constexpr size_t kMaxAnswer = size_t{256} << 20;

// What a program printed and how it ended; Started is false when it could
// not be run at all, TimedOut when it was stopped at the time bound,
// Overflowed when at the bound of what it may print, Stopped when what it
// printed asked for it.
struct TRun {
  bool Started = false;
  bool TimedOut = false;
  bool Overflowed = false;
  bool Stopped = false;
  int Status = -1;
  std::string Out, Err;
};

std::chrono::milliseconds worksheetTimeout{240000};

// Runs a program in a process group of its own, so that it and whatever it
// started (the office suite) can be stopped together when it outlasts
// Bound, prints more than MaxOut bytes, or Stop says so of what it has
// printed. Env holds "NAME=value" entries the program gets in place of the
// program's own.
TRun Run(const std::vector<std::string>& args, const std::vector<std::string>& env,
         std::chrono::milliseconds bound, size_t maxOut,
         const std::function<bool(const std::string&)>& stop) {
  TRun run;
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0) return run;
  if (pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    const auto named = [&](const std::string& own) {
      return entry.starts_with(own.substr(0, own.find('=') + 1));
    };
    if (std::none_of(env.begin(), env.end(), named)) envp.push_back(*e);
  }
  envp.push_back(nullptr);
  pid_t pid = 0;
  run.Started = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data()) == 0;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(out[1]);
  close(err[1]);
  if (run.Started) {
    // Both pipes are drained together, so that neither fills and stalls
    // the reader.
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.Out, &run.Err};
    int open = 2;
    char buffer[65536];
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (open > 0 && !run.Overflowed && !run.Stopped) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        run.TimedOut = true;
        break;
      }
      if (poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000))) < 0) {
        if (errno == EINTR) continue;
        break;
      }
      for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0) {
          sinks[i]->append(buffer, static_cast<size_t>(n));
          if (sinks[i]->size() > maxOut) run.Overflowed = true;
          if (i == 0 && stop && stop(run.Out)) run.Stopped = true;
        } else if (n == 0 || errno != EINTR) {
          fds[i].fd = -1;
          --open;
        }
      }
    }
    // At the bound the whole group goes, the office suite with it; the
    // group is still ours, as its first process is not yet reaped.
    const bool cut = run.TimedOut || run.Overflowed || run.Stopped;
    if (cut) kill(-pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.Status = WIFEXITED(status) && !cut ? WEXITSTATUS(status) : -1;
  }
  close(out[0]);
  close(err[0]);
  return run;
}

// The system's own Python, which the office suite's bridge belongs to; a
// Python of the user's own on the path usually lacks it.
std::string PythonWithBridge() {
  return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
}

// The spreadsheet service that drives the office suite: the one named by
// DIM_CALC_BRIDGE, else the one beside the executable; "" when neither is
// there.
std::string CalcBridge() {
  const char* named = std::getenv("DIM_CALC_BRIDGE");
  std::string bridge = named != nullptr && *named != '\0' ? std::string(named)
                                                          : cp1253::ToUtf8(GetExecutableFolder()) + "Excel";
  return access(bridge.c_str(), R_OK) == 0 ? bridge : std::string();
}

std::string Unescape(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      plain += text[i];
      continue;
    }
    const char next = text[++i];
    plain += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
  }
  return plain;
}

std::vector<std::string_view> Fields(std::string_view line, size_t most) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (fields.size() + 1 < most) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) break;
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

bool ToInt(std::string_view s, int& value) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

bool ToDouble(std::string_view s, double& value) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

// The used range of the answer's range line into Sheet; false for a line
// that is no sound one.
bool ReadRangeLine(std::string_view line, TWorksheet& sheet) {
  const auto f = Fields(line, 5);
  return f.size() == 5 && f[0] == "R" && ToInt(f[1], sheet.FirstRow) && ToInt(f[2], sheet.FirstCol) &&
         ToInt(f[3], sheet.LastRow) && ToInt(f[4], sheet.LastCol) && sheet.FirstRow >= 1 &&
         sheet.FirstCol >= 1 && sheet.LastRow >= sheet.FirstRow && sheet.LastCol >= sheet.FirstCol;
}

// The cells of the used range a grid would take, of no more than MaxColumns
// columns.
Int64 RangeCells(const TWorksheet& sheet, int maxColumns) {
  return (Int64{sheet.LastRow} - sheet.FirstRow + 1) *
         std::min<Int64>(Int64{sheet.LastCol} - sheet.FirstCol + 1, std::max(1, maxColumns));
}

}  // namespace

std::string WorksheetFilterOf(std::string_view fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || fileName.find('/', dot) != std::string_view::npos) return {};
  std::string extension(fileName.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (extension == "xls") return "MS Excel 97";
  if (extension == "xlsx") return "Calc MS Excel 2007 XML";
  if (extension == "ods") return "calc8";
  return {};
}

TWorksheet ParseWorksheetAnswer(std::string_view answer) {
  TWorksheet sheet;
  bool haveRange = false;
  size_t start = 0;
  while (start < answer.size()) {
    size_t end = answer.find('\n', start);
    if (end == std::string_view::npos) end = answer.size();
    const std::string_view line = answer.substr(start, end - start);
    start = end + 1;
    if (!haveRange) {
      haveRange = ReadRangeLine(line, sheet);
      if (!haveRange) break;
      continue;
    }
    const auto f = Fields(line, 4);
    TWorksheetCell cell;
    if (f.size() != 4 || !ToInt(f[0], cell.Row) || !ToInt(f[1], cell.Col) || f[2].size() != 1) continue;
    if (cell.Row < sheet.FirstRow || cell.Row > sheet.LastRow || cell.Col < sheet.FirstCol ||
        cell.Col > sheet.LastCol)
      continue;
    cell.Kind = f[2][0];
    if (cell.Kind == 'S') {
      cell.Text = LFToCRLF(cp1253::FromUtf8(Unescape(f[3])));
    } else if (cell.Kind == 'N' || cell.Kind == 'D' || cell.Kind == 'B') {
      if (!ToDouble(f[3], cell.Number)) continue;
    } else {
      continue;
    }
    sheet.Cells.push_back(std::move(cell));
  }
  if (!haveRange) throw EWorksheetError("The worksheet's cells could not be read");
  return sheet;
}

std::chrono::milliseconds WorksheetTimeout() { return worksheetTimeout; }
void SetWorksheetTimeout(std::chrono::milliseconds bound) { worksheetTimeout = bound; }

TWorksheet ReadWorksheet(const AnsiString& fileName, const AnsiString& sheetName, int maxColumns) {
  // A pipe would hold the office suite until the time bound and a device
  // feed it without end: neither reaches the spreadsheet service. A name
  // that is not there is told as the office suite's absence is, first.
  if (FileEntryExists(fileName)) RequireRegularFile(fileName);
  const std::string bridge = CalcBridge();
  if (bridge.empty())
    throw EWorksheetUnavailable("The spreadsheet service that drives LibreOffice is not beside the program");
  const std::string file = DiskFileName(fileName);
  // The office suite's profile and its temporary files are ours to remove,
  // also when the reader was stopped before it could.
  std::error_code ignored;
  std::string work = (std::filesystem::temp_directory_path(ignored) / "sheet-read-XXXXXX").string();
  if (!mkdtemp(work.data())) throw EWorksheetError("No folder for LibreOffice's profile could be made");
  const std::string profile = work + "/profile", temp = work + "/temp";
  std::filesystem::create_directory(temp, ignored);
  // The used range comes first: one past what a grid holds stops the
  // reading before the office suite hands over a cell of it.
  TWorksheet range;
  const auto pastBound = [&, looked = false](const std::string& out) mutable {
    const size_t end = out.find('\n');
    if (looked || end == std::string::npos) return false;
    looked = true;
    return ReadRangeLine(std::string_view(out).substr(0, end), range) &&
           RangeCells(range, maxColumns) > MaxWorksheetCells;
  };
  const TRun run = Run({PythonWithBridge(), bridge, "--read", file, WorksheetFilterOf(file),
                        cp1253::ToUtf8(sheetName), profile, std::to_string(std::max(1, maxColumns))},
                       {"TMPDIR=" + temp}, worksheetTimeout, kMaxAnswer, pastBound);
  std::filesystem::remove_all(work, ignored);
  if (run.Stopped)
    throw EWorksheetError(fileName + ": the worksheet's used range, " +
                          IntToStr(Int64{range.LastRow} - range.FirstRow + 1) + " rows by " +
                          IntToStr(Int64{range.LastCol} - range.FirstCol + 1) + " columns, is past the " +
                          IntToStr(MaxWorksheetCells) + " cells a grid holds");
  if (run.TimedOut) {
    const long long ms = worksheetTimeout.count();
    throw EWorksheetError(
        fileName + ": LibreOffice did not finish reading the file within " +
        (ms % 1000 == 0 ? std::to_string(ms / 1000) + " seconds" : std::to_string(ms) + " ms"));
  }
  if (run.Overflowed)
    throw EWorksheetError(fileName + ": the worksheet holds more cells than the grid can take (over " +
                          std::to_string(kMaxAnswer >> 20) + " MiB of cell text)");
  if (!run.Started || run.Status == kUnavailable || run.Status == 127)
    throw EWorksheetUnavailable("LibreOffice Calc or its Python bridge (python3-uno) is not installed");
  if (run.Status == kNoSheet) throw EWorksheetSheetMissing(sheetName);
  if (run.Status == kLocked)
    throw EWorksheetError(fileName +
                          ": the workbook is locked by a password; only one without a password can be read");
  if (run.Status != 0) {
    const std::string words = run.Err.empty() ? std::string("LibreOffice could not read the file") : run.Err;
    throw EWorksheetError(fileName + ": " + cp1253::FromUtf8(words.substr(0, 2000)));
  }
  return ParseWorksheetAnswer(run.Out);
}
