// A program standing in for the spreadsheet program: started by the link,
// it serves one conversation, then appends what it ran to the file named by
// DIM_FAKE_SERVICE_LOG (after a line "start" written when it began). With
// DIM_FAKE_SERVICE_STAYS set it then waits, as the real service does, until
// it is asked to end, and writes "ended".

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "tests/platform/ipc/DdeTestServer.h"

int main() {
  const char* log = std::getenv("DIM_FAKE_SERVICE_LOG");
  if (!log) return 2;
  std::ofstream(log, std::ios::app) << "start\n";
  std::vector<std::string> transcript;
  {
    DdeTestServer server;
    server.WaitForHangUp();
    transcript = server.Transcript();
  }
  std::ofstream out(log, std::ios::app);
  for (const std::string& line : transcript) out << line << "\n";
  out.flush();
  if (std::getenv("DIM_FAKE_SERVICE_STAYS") != nullptr) {
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_BLOCK, &term, nullptr);
    int signal = 0;
    sigwait(&term, &signal);
    out << "ended\n";
  }
  return 0;
}
