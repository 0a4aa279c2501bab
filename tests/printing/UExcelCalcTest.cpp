// The budget through the spreadsheet service into a real, headless Calc,
// read back through Calc's own interface.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/backend/headless/Headless.h"
#include "printing/UExcel.h"
#include "tests/TestOutput.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/backend/XvfbDisplay.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

// (document, row, column) -> "N value" or "S text".
using Cells = std::map<std::tuple<int, int, int>, std::string>;

Cells ReadCalc(const std::string& pipe) {
  Cells cells;
  std::istringstream lines(
      RunCommand(std::string("/usr/bin/python3 -B ") + DIM_CALC_READER + " " + pipe + " 2>&1"));
  std::string line;
  while (std::getline(lines, line)) {
    int doc = 0, row = 0, col = 0;
    char kind = 0;
    std::istringstream in(line);
    std::string field;
    std::vector<std::string> f;
    while (std::getline(in, field, '\t')) f.push_back(field);
    if (f.size() < 4) {
      ADD_FAILURE() << line;
      continue;
    }
    doc = std::stoi(f[0]), row = std::stoi(f[1]), col = std::stoi(f[2]), kind = f[3][0];
    cells[{doc, row, col}] = std::string(1, kind) + " " + (f.size() > 4 ? f[4] : "");
  }
  return cells;
}

// Whether Pid still runs; a zombie is reaped when it is ours and counts as
// ended either way.
bool Running(pid_t pid) {
  if (::waitpid(pid, nullptr, WNOHANG) == pid) return false;
  std::string stat;
  try {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    if (!std::getline(in, stat)) return false;
  } catch (const std::ios_base::failure&) {
    return false;  // it ended while its state was being read (ESRCH)
  }
  const std::size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// Asks the processes to end, forces those still running after five
// seconds, and reaps those that are ours. Calc's launcher may ignore the
// polite request once its office process has gone.
void EndProcesses(const std::vector<pid_t>& pids) {
  for (const int signal : {SIGTERM, SIGKILL}) {
    std::vector<pid_t> left;
    for (const pid_t pid : pids)
      if (pid > 0 && Running(pid)) left.push_back(pid);  // never a signal to a whole group
    for (const pid_t pid : left) ::kill(pid, signal);
    for (int i = 0; i < 100 && !left.empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      std::erase_if(left, [](pid_t pid) { return !Running(pid); });
    }
    if (left.empty()) return;
  }
}

// The Calc processes listening on Pipe, found by their command lines: one
// with a window may outlive the service that started it.
std::vector<pid_t> CalcsOn(const std::string& pipe) {
  std::vector<pid_t> calcs;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
    std::ifstream in(entry.path() / "cmdline");
    const std::string command((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (command.find("name=" + pipe + ";") != std::string::npos) calcs.push_back(std::stoi(name));
  }
  return calcs;
}

// One conversation with the spreadsheet service on Pipe for one test, with
// the Greek number style. The service is started and connected on creation;
// on destruction, also after a failed assertion, the link is closed, the
// service and every Calc it started are ended and reaped, and the number
// style is put back. Made after the test's environment, so ended before it.
class CalcService {
 public:
  explicit CalcService(const std::string& pipe)
      : pipe_(pipe),
        pipeEnv_("DIM_CALC_PIPE", pipe),
        thousands_(ThousandSeparator),
        decimal_(DecimalSeparator) {
    // Calc outlives the service that started it: as the nearest ancestor left,
    // this process inherits it and can reap it at the end.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    ThousandSeparator = '.', DecimalSeparator = ',';
    excel_.SetExeName(DIM_CALC_BRIDGE);
    excel_.Conversation().StartTimeout = 180000;
    excel_.Conversation().ReplyTimeout = 60000;
    try {
      Connect();
    } catch (...) {
      End();  // a service that started but did not answer is ended too
      throw;
    }
  }
  ~CalcService() { End(); }
  CalcService(const CalcService&) = delete;
  CalcService& operator=(const CalcService&) = delete;

  TExcel& Excel() { return excel_; }
  const std::string& Pipe() const { return pipe_; }
  // Opens the conversation again; a service it starts is ended too.
  void Connect() {
    excel_.Connect();
    if (excel_.Conversation().ServiceProcess() > 0) service_ = excel_.Conversation().ServiceProcess();
  }

 private:
  void End() {
    try {
      excel_.Conversation().CloseLink();
    } catch (...) {
    }
    EndProcesses({service_});
    service_ = -1;
    EndProcesses(CalcsOn(pipe_));
    ThousandSeparator = thousands_, DecimalSeparator = decimal_;
  }

  std::string pipe_;
  ScopedEnv pipeEnv_;
  char thousands_, decimal_;
  TExcel excel_{nullptr};
  pid_t service_ = -1;
};

// Calc and the bridge's interface to it, or the test fails naming them.
void RequireCalc() {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  ASSERT_TRUE(RunCommand("/usr/bin/python3 -c 'import uno' 2>&1").empty())
      << "python3-uno is missing: install the Debian package python3-uno";
}

// Sends a 50 × 14 budget of every kind of cell through the link; the cells
// Calc must then hold in its first document.
Cells SendBudget(TExcel& excel) {
  Cells expected;
  for (int r = 1; r <= 50; ++r)
    for (int c = 1; c <= 14; ++c) {
      std::string text, seen;
      switch (c % 4) {
        case 0:
          text = std::to_string(r) + "." + std::to_string(100 + c) + ",5",
          seen = "N " + std::to_string(r * 1000 + 100 + c) + ".5";
          break;
        case 1:
          text = cp1253::FromUtf8("Εργασία \"" + std::to_string(r) + "\""),
          seen = "S Εργασία '" + std::to_string(r) + "'";
          break;
        case 2:
          text = "=1:3", seen = "S =1:3";
          break;
        default:
          text = std::to_string(c), seen = "N " + std::to_string(c) + ".0";
          break;
      }
      excel.PutCell(r, c, text);
      expected[{1, r, c}] = seen;
    }
  return expected;
}

TEST(UExcelCalc, ABudgetArrivesCellByCellInANewAndTheOpenDocument) {
  RequireCalc();
  if (HasFatalFailure()) return;
  InstallHeadlessBackend();
  TempFolder folder;
  ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path());
  ScopedEnv display("DISPLAY", nullptr);
  CalcService calc("dimtest-calc-" + std::to_string(getpid()));
  TExcel& excel = calc.Excel();
  excel.Select(1, 1);
  excel.MinimizeAndNew();
  Cells expected = SendBudget(excel);
  excel.Restore();
  excel.Conversation().CloseLink();

  // The open document takes the next transfer.
  calc.Connect();
  excel.Minimize();
  excel.PutCell(52, 1, "12");
  excel.Restore();
  expected[{1, 52, 1}] = "N 12.0";
  EXPECT_EQ(ReadCalc(calc.Pipe()), expected);
}

// With a display the user sees Calc's window fill: the service starts Calc
// visibly, and the sheet holds the budget when the transfer ends.
TEST(UExcelCalc, OnADisplayTheSheetFillsInAVisibleWindow) {
  RequireCalc();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(Installed("xwininfo", "x11-utils"));
  ASSERT_TRUE(Installed("xwd", "x11-apps"));
  ASSERT_TRUE(XvfbDisplay::Installed()) << "Xvfb is missing: install the Debian package xvfb";
  XvfbDisplay display;
  ASSERT_FALSE(display.Display().empty()) << "no virtual display could be started";
  InstallHeadlessBackend();
  TempFolder folder;
  ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path());
  ScopedEnv displayEnv("DISPLAY", display.Display());
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  CalcService calc("dimtest-calc-shown-" + std::to_string(getpid()));
  TExcel& excel = calc.Excel();
  excel.Select(1, 1);
  excel.MinimizeAndNew();
  const Cells expected = SendBudget(excel);
  excel.Restore();

  // Calc's window is mapped and viewable on the display. Calc maps and names
  // it in its own time after the restore is answered: on a loaded machine
  // that takes a while.
  std::string tree, window, info;
  for (int attempt = 0; attempt < 150; ++attempt) {
    tree = RunCommand("xwininfo -display " + display.Display() + " -root -tree 2>&1");
    window.clear();
    std::istringstream lines(tree);
    for (std::string line; std::getline(lines, line);)
      if (line.find("LibreOffice Calc") != std::string::npos) {
        std::istringstream(line) >> window;
        break;
      }
    if (!window.empty()) {
      info = RunCommand("xwininfo -display " + display.Display() + " -id " + window + " 2>&1");
      if (info.find("IsViewable") != std::string::npos) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ASSERT_FALSE(window.empty()) << tree;
  EXPECT_NE(info.find("IsViewable"), std::string::npos) << info;
  // The screen as the user saw it, for the review.
  RunCommand("xwd -display " + display.Display() + " -root -silent -out '" + TestOutput("calc-screen.xwd") +
             "'");
  EXPECT_TRUE(std::filesystem::exists(TestOutput("calc-screen.xwd")));

  EXPECT_EQ(ReadCalc(calc.Pipe()), expected);
}

// The children of Parent that have ended but were never reaped.
std::vector<pid_t> ZombiesOf(pid_t parent) {
  std::vector<pid_t> zombies;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
    std::ifstream in(entry.path() / "stat");
    std::string stat;
    std::getline(in, stat);
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    char state = 0;
    pid_t ppid = 0;
    rest >> state >> ppid;
    if (state == 'Z' && ppid == parent) zombies.push_back(std::stoi(name));
  }
  return zombies;
}

template <class Done>
bool Within(std::chrono::seconds bound, Done done) {
  const auto until = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// One transfer as the dialog makes it into a new worksheet: the cell goes
// in, and nothing is refused.
void TransferOne(TExcel& excel, int row, const std::string& text) {
  excel.Select(1, 1);
  excel.MinimizeAndNew();
  excel.PutCell(row, 1, text);
  excel.Restore();
}

// The user closes the sheet, then quits Calc: each next transfer opens what
// it needs again, and Calc leaves no zombie under the service. At the
// program's end the service goes, and the Calc it started with it once no
// sheet is left on the screen; a sheet still shown stays the user's.
void CloseAndQuitBetweenTransfers(bool onDisplay) {
  TempFolder folder;
  ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path());
  CalcService calc(std::string("dimtest-calc-closed-") + (onDisplay ? "shown-" : "") +
                   std::to_string(getpid()));
  TExcel& excel = calc.Excel();
  const pid_t service = excel.Conversation().ServiceProcess();
  ASSERT_GT(service, 0);
  const auto user = [&](const char* action) {
    return RunCommand(std::string("/usr/bin/python3 -B ") + DIM_CALC_USER + " " + action + " " + calc.Pipe() +
                      " 2>&1");
  };
  const auto ended = [](const std::vector<pid_t>& pids) {
    for (pid_t pid : pids)
      if (Running(pid)) return false;
    return true;
  };
  TransferOne(excel, 1, "11");
  EXPECT_EQ(ReadCalc(calc.Pipe()), (Cells{{{1, 1, 1}, "N 11.0"}}));

  // The sheet closed: the next transfer goes into a new one.
  EXPECT_EQ(user("close"), "");
  EXPECT_NO_THROW(TransferOne(excel, 2, "22"));
  EXPECT_TRUE(excel.Connected());
  EXPECT_EQ(ReadCalc(calc.Pipe()), (Cells{{{1, 2, 1}, "N 22.0"}}));

  // Calc quit: it goes, and leaves no zombie under the service.
  const std::vector<pid_t> before = CalcsOn(calc.Pipe());
  ASSERT_FALSE(before.empty());
  user("quit");
  EXPECT_TRUE(Within(std::chrono::seconds(60), [&] { return ended(before); }));
  EXPECT_TRUE(Within(std::chrono::seconds(10), [&] { return ZombiesOf(service).empty(); }));
  // Using the open worksheet, then a new one: both find a Calc.
  EXPECT_NO_THROW({
    excel.Select(1, 1);
    excel.Minimize();
    excel.PutCell(3, 1, "33");
    excel.Restore();
  });
  EXPECT_NO_THROW(TransferOne(excel, 4, "44"));
  const Cells cells = ReadCalc(calc.Pipe());
  EXPECT_EQ(cells.size(), 2u);
  EXPECT_TRUE(cells.count({1, 3, 1}) + cells.count({2, 3, 1}) == 1) << cells.size();
  EXPECT_TRUE(cells.count({1, 4, 1}) + cells.count({2, 4, 1}) == 1) << cells.size();
  EXPECT_EQ(ZombiesOf(service), std::vector<pid_t>{});

  // On the screen the sheets are the user's: closed by the user, they take
  // Calc along when the program ends.
  if (onDisplay) {
    EXPECT_EQ(user("close"), "");
  }
  excel.Conversation().CloseLink();
  const std::vector<pid_t> calcs = CalcsOn(calc.Pipe());
  EndStartedServices(30000);
  EXPECT_FALSE(Running(service));
  EXPECT_TRUE(Within(std::chrono::seconds(30), [&] { return ended(calcs); }));
  EXPECT_EQ(CalcsOn(calc.Pipe()), std::vector<pid_t>{});
}

TEST(UExcelCalc, ClosingTheSheetOrQuittingCalcBreaksNoLaterTransfer) {
  RequireCalc();
  if (HasFatalFailure()) return;
  InstallHeadlessBackend();
  ScopedEnv display("DISPLAY", nullptr);
  CloseAndQuitBetweenTransfers(false);
}

TEST(UExcelCalc, OnADisplayClosingOrQuittingCalcBreaksNoLaterTransfer) {
  RequireCalc();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(XvfbDisplay::Installed()) << "Xvfb is missing: install the Debian package xvfb";
  XvfbDisplay display;
  ASSERT_FALSE(display.Display().empty()) << "no virtual display could be started";
  InstallHeadlessBackend();
  ScopedEnv displayEnv("DISPLAY", display.Display());
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  CloseAndQuitBetweenTransfers(true);
}

}  // namespace
