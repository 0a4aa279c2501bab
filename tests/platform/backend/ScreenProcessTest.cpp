// A program the screen backend starts is reaped on its own, and the
// program's other children still tell how they ended.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "XvfbDisplay.h"
#include "platform/backend/screen/Screen.h"

namespace {

// Commands of the children of this process that ended and wait to be
// reaped; named, so that a failure tells whose end was lost (the program
// started, or the display server itself).
std::vector<std::string> Zombies() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream in(entry.path() / "stat");
    std::string line;
    if (!std::getline(in, line)) continue;
    const size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) continue;
    char state = 0;
    int parent = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == getpid() &&
        state == 'Z')
      names.push_back(line.substr(open + 1, close - open - 1));
  }
  return names;
}

int ExitStatusOf(const char* script) {
  std::string shell = "sh", option = "-c", text = script;
  char* argv[] = {shell.data(), option.data(), text.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "sh", nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -2;  // no child to wait for: its end is lost
  return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

TEST(ScreenBackend, AStartedProgramIsReapedAndOtherChildrenKeepTheirExitStatus) {
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  ASSERT_TRUE(screen->StartProcess("sh -c \"exit 0\""));
  // The program's own children still report their ends (the spreadsheet
  // service's, the office suite's conversion's).
  EXPECT_EQ(ExitStatusOf("exit 3"), 3);
  struct sigaction current {};
  sigaction(SIGCHLD, nullptr, &current);
  EXPECT_NE(current.sa_handler, SIG_IGN);
  // And the one started leaves no zombie behind.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!Zombies().empty() && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(Zombies(), std::vector<std::string>{});
  SetBackend(nullptr);
  unsetenv("DIM_BACKEND");
}

// The desktop's opener ends with 3 when no program can show the file: the
// screen says it could not hand the file over. One that ends well, or is
// still running after the wait (its handler has taken the file), took it.
TEST(ScreenBackend, HandingAFileToTheDesktopWaitsForTheOpenersVerdict) {
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  const std::filesystem::path bin =
      std::filesystem::path(testing::TempDir()) / ("opener-" + std::to_string(getpid()));
  std::filesystem::create_directories(bin);
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
  struct Case {
    const char* name;
    const char* script;  // "" for no opener on the PATH at all
    bool accepted;
  };
  const Case cases[] = {
      {"no program for the file", "exit 3", false},
      {"the file is not there", "exit 2", false},
      {"killed", "kill -9 $$", false},
      {"shown", "exit 0", true},
      {"handler still running", "sleep 5", true},
      {"no opener installed", "", false},
  };
  screen->HandlerWaitMs = 500;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(bin / "xdg-open");
    if (*c.script) {
      std::ofstream(bin / "xdg-open") << "#!/bin/sh\n" << c.script << "\n";
      std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    }
    // Only the stand-in: the machine's own opener is never reached.
    setenv("PATH", (bin.string() + (*c.script ? ":" + path : std::string())).c_str(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(screen->ShellOpen("open", "/tmp/page.html", ""), c.accepted);
    setenv("PATH", path.c_str(), 1);
    // A verdict the opener gives is taken at once; one still running is
    // waited for no longer than the bound.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  }
  std::filesystem::remove_all(bin);
  SetBackend(nullptr);
  unsetenv("DIM_BACKEND");
}

}  // namespace
