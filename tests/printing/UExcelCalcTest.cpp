// The budget through the spreadsheet service into a real, headless Calc,
// read back through Calc's own interface.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

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

// Ends the Calc processes listening on Pipe, found by their command lines:
// one with a window may outlive the service that started it.
void EndCalcOn(const std::string& pipe) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
    std::ifstream in(entry.path() / "cmdline");
    const std::string command((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (command.find("name=" + pipe + ";") != std::string::npos) ::kill(std::stoi(name), SIGTERM);
  }
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
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  ASSERT_TRUE(RunCommand("/usr/bin/python3 -c 'import uno' 2>&1").empty())
      << "python3-uno is missing: install the Debian package python3-uno";
  InstallHeadlessBackend();
  TempFolder folder;
  ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path());
  ScopedEnv display("DISPLAY", nullptr);
  const std::string pipe = "dimtest-calc-" + std::to_string(getpid());
  ScopedEnv pipeEnv("DIM_CALC_PIPE", pipe);
  const char oldThousands = ThousandSeparator, oldDecimal = DecimalSeparator;
  ThousandSeparator = '.', DecimalSeparator = ',';

  TExcel excel(nullptr);
  excel.SetExeName(DIM_CALC_BRIDGE);
  excel.Conversation().StartTimeout = 180000;
  excel.Conversation().ReplyTimeout = 60000;
  excel.Connect();
  const pid_t service = excel.Conversation().ServiceProcess();
  excel.Select(1, 1);
  excel.MinimizeAndNew();
  Cells expected = SendBudget(excel);
  excel.Restore();
  excel.Conversation().CloseLink();

  // The open document takes the next transfer.
  excel.Connect();
  excel.Minimize();
  excel.PutCell(52, 1, "12");
  excel.Restore();
  expected[{1, 52, 1}] = "N 12.0";
  const Cells cells = ReadCalc(pipe);
  ::kill(service, SIGTERM);
  ::waitpid(service, nullptr, 0);
  EndCalcOn(pipe);
  ThousandSeparator = oldThousands, DecimalSeparator = oldDecimal;
  EXPECT_EQ(cells, expected);
}

// With a display the user sees Calc's window fill: the service starts Calc
// visibly, and the sheet holds the budget when the transfer ends.
TEST(UExcelCalc, OnADisplayTheSheetFillsInAVisibleWindow) {
  ASSERT_TRUE(Installed("soffice", "libreoffice-calc"));
  ASSERT_TRUE(Installed("xwininfo", "x11-utils"));
  ASSERT_TRUE(Installed("xwd", "x11-apps"));
  ASSERT_TRUE(RunCommand("/usr/bin/python3 -c 'import uno' 2>&1").empty())
      << "python3-uno is missing: install the Debian package python3-uno";
  ASSERT_TRUE(XvfbDisplay::Installed()) << "Xvfb is missing: install the Debian package xvfb";
  XvfbDisplay display;
  ASSERT_FALSE(display.Display().empty()) << "no virtual display could be started";
  InstallHeadlessBackend();
  TempFolder folder;
  ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path());
  ScopedEnv displayEnv("DISPLAY", display.Display());
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  const std::string pipe = "dimtest-calc-shown-" + std::to_string(getpid());
  ScopedEnv pipeEnv("DIM_CALC_PIPE", pipe);
  const char oldThousands = ThousandSeparator, oldDecimal = DecimalSeparator;
  ThousandSeparator = '.', DecimalSeparator = ',';

  TExcel excel(nullptr);
  excel.SetExeName(DIM_CALC_BRIDGE);
  excel.Conversation().StartTimeout = 180000;
  excel.Conversation().ReplyTimeout = 60000;
  excel.Connect();
  const pid_t service = excel.Conversation().ServiceProcess();
  excel.Select(1, 1);
  excel.MinimizeAndNew();
  const Cells expected = SendBudget(excel);
  excel.Restore();

  // Calc's window is mapped and viewable on the display.
  const std::string tree = RunCommand("xwininfo -display " + display.Display() + " -root -tree 2>&1");
  std::string window;
  std::istringstream lines(tree);
  for (std::string line; std::getline(lines, line);)
    if (line.find("LibreOffice Calc") != std::string::npos) {
      std::istringstream(line) >> window;
      break;
    }
  ASSERT_FALSE(window.empty()) << tree;
  const std::string info = RunCommand("xwininfo -display " + display.Display() + " -id " + window + " 2>&1");
  EXPECT_NE(info.find("IsViewable"), std::string::npos) << info;
  // The screen as the user saw it, for the review.
  RunCommand("xwd -display " + display.Display() + " -root -silent -out '" + TestOutput("calc-screen.xwd") +
             "'");
  EXPECT_TRUE(std::filesystem::exists(TestOutput("calc-screen.xwd")));

  const Cells cells = ReadCalc(pipe);
  excel.Conversation().CloseLink();
  ::kill(service, SIGTERM);
  ::waitpid(service, nullptr, 0);
  EndCalcOn(pipe);
  ThousandSeparator = oldThousands, DecimalSeparator = oldDecimal;
  EXPECT_EQ(cells, expected);
}

}  // namespace
