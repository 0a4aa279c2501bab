// A program standing in for the spreadsheet program: started by the link,
// it serves one conversation, then appends what it ran to the file named by
// DIM_FAKE_SERVICE_LOG (after a line "start" written when it began).

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
  return 0;
}
