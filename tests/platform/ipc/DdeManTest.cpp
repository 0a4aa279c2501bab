#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/ipc/DdeMan.h"
#include "tests/platform/ipc/DdeTestServer.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

using dde::DecodeStatus;

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

DecodeStatus Decode(const std::string& bytes, dde::Frame& frame, std::size_t& used) {
  std::string error;
  return dde::DecodeFrame(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), frame, used,
                          error);
}

TEST(DdeFrame, EveryKindComesBackAsItWasWritten) {
  const std::vector<std::string> commands = {"[SELECT(\"R1C1\")]", "[FORMULA(\"Α\xE2\")]"};
  dde::Frame f;
  std::size_t used = 0;
  const std::string open = dde::EncodeOpen("System");
  ASSERT_EQ(Decode(open, f, used), DecodeStatus::Complete);
  EXPECT_EQ(f.kind, dde::FrameKind::Open);
  EXPECT_EQ(f.text, "System");
  EXPECT_EQ(used, open.size());
  ASSERT_EQ(Decode(dde::EncodeExecute(commands), f, used), DecodeStatus::Complete);
  EXPECT_EQ(f.commands, commands);
  ASSERT_EQ(Decode(dde::EncodeExecuted(256), f, used), DecodeStatus::Complete);
  EXPECT_EQ(f.ran, 256);
  ASSERT_EQ(Decode(dde::EncodeRefused("no"), f, used), DecodeStatus::Complete);
  EXPECT_EQ(f.kind, dde::FrameKind::Refused);
  // The exact bytes of a small frame: length, kind, count, length, command.
  EXPECT_EQ(dde::EncodeExecute({"AB"}), Bytes({7, 0, 0, 0, 'X', 1, 0, 2, 0, 'A', 'B'}));
}

TEST(DdeFrame, DamagedFramesAreRefusedAndShortOnesWait) {
  struct Case {
    std::string bytes;
    DecodeStatus expected;
  };
  const Case cases[] = {
      {Bytes({0, 0, 0, 0}), DecodeStatus::Malformed},                             // no payload
      {Bytes({1, 0, 1, 0, 'A'}), DecodeStatus::Malformed},                        // 65,537 bytes
      {Bytes({1, 0, 0, 0, 'Q'}), DecodeStatus::Malformed},                        // no such kind
      {Bytes({1, 0, 0, 0, 'O'}), DecodeStatus::Malformed},                        // no topic
      {Bytes({2, 0, 0, 0, 'A', 0}), DecodeStatus::Malformed},                     // trailing byte
      {Bytes({3, 0, 0, 0, 'E', 1, 1}), DecodeStatus::Malformed},                  // ran 257
      {Bytes({3, 0, 0, 0, 'X', 0, 0}), DecodeStatus::Malformed},                  // no commands
      {Bytes({3, 0, 0, 0, 'X', 1, 1}), DecodeStatus::Malformed},                  // 257 commands
      {Bytes({6, 0, 0, 0, 'X', 1, 0, 9, 0, 'A'}), DecodeStatus::Malformed},       // command past the frame
      {Bytes({5, 0, 0, 0, 'X', 1, 0, 0, 0}), DecodeStatus::Malformed},            // empty command
      {Bytes({7, 0, 0, 0, 'X', 1, 0, 1, 0, 'A', 'B'}), DecodeStatus::Malformed},  // byte after it
      {Bytes({7, 0, 0}), DecodeStatus::Incomplete},
      {Bytes({7, 0, 0, 0, 'X', 1}), DecodeStatus::Incomplete},
  };
  for (const Case& c : cases) {
    dde::Frame f;
    std::size_t used = 99;
    EXPECT_EQ(Decode(c.bytes, f, used), c.expected) << testing::PrintToString(c.bytes);
    EXPECT_EQ(used, 0u);
  }
}

TEST(DdeFrame, AReaderTakesFramesArrivingByteByByte) {
  const std::string stream = dde::EncodeAccepted() + dde::EncodeExecuted(3);
  dde::FrameReader reader;
  std::vector<dde::FrameKind> kinds;
  for (char c : stream) {
    reader.Append(&c, 1);
    dde::Frame f;
    std::string error;
    while (reader.Next(f, error) == DecodeStatus::Complete) kinds.push_back(f.kind);
  }
  EXPECT_EQ(kinds, (std::vector<dde::FrameKind>{dde::FrameKind::Accepted, dde::FrameKind::Executed}));
  EXPECT_TRUE(reader.Empty());
}

class DdeConversation : public ::testing::Test {
 protected:
  TempFolder runtime;
  ScopedEnv env{"XDG_RUNTIME_DIR", runtime.path()};
  TDdeClientConv conv;
  int opened = 0, closed = 0;

  void SetUp() override {
    conv.SetLink("Excel", "System");
    conv.ReplyTimeout = 300;
    conv.OnOpen = [this](TDdeClientConv*) { ++opened; };
    conv.OnClose = [this](TDdeClientConv*) { ++closed; };
  }
};

TEST_F(DdeConversation, CommandsRunInOrderInFramesOfAtMost256) {
  DdeTestServer server;
  ASSERT_TRUE(conv.OpenLink()) << conv.LastError();
  EXPECT_EQ(opened, 1);
  std::vector<AnsiString> cmds;
  for (int i = 0; i < 600; ++i) cmds.push_back("[C" + std::to_string(i) + "]");
  EXPECT_TRUE(conv.ExecuteMacroLines(cmds, false));
  EXPECT_EQ(conv.LastExecutedCount(), 600u);
  EXPECT_EQ(server.Frames(), 3);
  EXPECT_EQ(server.Transcript(), std::vector<std::string>(cmds.begin(), cmds.end()));
  conv.CloseLink();
  EXPECT_EQ(closed, 1);
}

TEST_F(DdeConversation, ARefusalStopsTheFrameAndSaysHowManyRan) {
  DdeTestServer server;
  server.Accept = [](const std::string& c) { return c != "[C2]"; };
  ASSERT_TRUE(conv.OpenLink());
  EXPECT_FALSE(conv.ExecuteMacroLines({"[C0]", "[C1]", "[C2]", "[C3]"}, false));
  EXPECT_EQ(conv.LastExecutedCount(), 2u);
  EXPECT_EQ(server.Transcript(), (std::vector<std::string>{"[C0]", "[C1]", "refused [C2]"}));
  EXPECT_TRUE(conv.Connected());
}

TEST_F(DdeConversation, AnUnknownTopicOrNoServiceOpensNothing) {
  {
    DdeTestServer server;
    conv.SetLink("Excel", "Sheet1");
    EXPECT_FALSE(conv.OpenLink());
  }
  conv.SetLink("Excel", "System");
  EXPECT_FALSE(conv.OpenLink());  // nothing listens, no program to start
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(closed, 0);
  EXPECT_FALSE(conv.ExecuteMacro("[X]", false));
}

TEST_F(DdeConversation, BadPeersEndTheLinkWithAClearError) {
  const struct {
    DdeTestServer::Mode mode;
    bool raises;
  } cases[] = {
      {DdeTestServer::Garbage, true}, {DdeTestServer::Stall, true}, {DdeTestServer::CloseMidFrame, false}};
  for (const auto& c : cases) {
    DdeTestServer server("Excel", c.mode);
    closed = 0;
    ASSERT_TRUE(conv.OpenLink());
    if (c.raises)
      EXPECT_THROW(conv.ExecuteMacro("[X]", true), EDdeError) << c.mode;
    else
      EXPECT_FALSE(conv.ExecuteMacro("[X]", true));
    EXPECT_FALSE(conv.Connected());
    EXPECT_EQ(closed, 1) << c.mode;
    EXPECT_FALSE(conv.ExecuteMacro("[Y]", true));  // refused, nothing raised
  }
}

TEST_F(DdeConversation, AFolderOthersCanEnterIsRefused) {
  const std::string folder = runtime.path() + "/dimoprasia-dde";
  ::mkdir(folder.c_str(), 0755);
  ::chmod(folder.c_str(), 0755);
  EXPECT_THROW(DdeSocketFolder(), EDdeError);
  EXPECT_THROW(DdeSocketPath("../x"), EDdeError);
}

TEST_F(DdeConversation, ASocketOfAnotherUserIsNotSpokenTo) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to listen as another user";
  const std::string path = DdeSocketPath("Excel");
  const pid_t child = fork();
  if (child == 0) {
    // Bound by us, listened on as "nobody": the peer's credentials are the
    // listener's.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::setuid(65534) != 0 ||
        ::listen(fd, 1) != 0)
      _exit(1);
    ::sleep(5);
    _exit(0);
  }
  bool refused = false;
  for (int i = 0; i < 200 && !refused; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    refused = !conv.OpenLink() && conv.LastError().find("another user") != AnsiString::npos;
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(refused) << conv.LastError();
}

TEST_F(DdeConversation, TheServiceProgramIsStartedOnceAndAnswers) {
  const std::string log = runtime.path() + "/service.log";
  ScopedEnv logEnv("DIM_FAKE_SERVICE_LOG", log);
  conv.ServiceApplication = DIM_FAKE_SERVICE;
  ASSERT_TRUE(conv.OpenLink()) << conv.LastError();
  const pid_t pid = conv.ServiceProcess();
  EXPECT_TRUE(conv.ExecuteMacro("[NEW(1)]", true));
  conv.CloseLink();
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_EQ(ReadBytes(log), "start\n[NEW(1)]\n");
}

// Our child processes that have ended but were never reaped.
std::vector<pid_t> ZombieChildren() {
  std::vector<pid_t> zombies;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
    std::ifstream in(entry.path() / "stat");
    std::string stat;
    std::getline(in, stat);
    // pid (command) state ppid ...: the command may hold blanks.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    if (state == 'Z' && parent == ::getpid()) zombies.push_back(std::stoi(name));
  }
  return zombies;
}

bool NoZombiesWithin(std::chrono::milliseconds bound) {
  const auto until = std::chrono::steady_clock::now() + bound;
  while (!ZombieChildren().empty()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST_F(DdeConversation, AServiceThatEndsIsReapedWithoutAnotherConnection) {
  ScopedEnv logEnv("DIM_FAKE_SERVICE_LOG", runtime.path() + "/service.log");
  conv.ServiceApplication = DIM_FAKE_SERVICE;
  ASSERT_TRUE(conv.OpenLink()) << conv.LastError();
  const pid_t pid = conv.ServiceProcess();
  ASSERT_GT(pid, 0);
  conv.CloseLink();  // the fake service ends with its conversation
  // Ended and reaped: a zombie would keep its entry.
  const std::string entry = "/proc/" + std::to_string(pid);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::filesystem::exists(entry) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_TRUE(NoZombiesWithin(std::chrono::seconds(1)));
}

TEST_F(DdeConversation, AProgramThatEndsWithoutAnsweringIsNotWaitedFor) {
  conv.ServiceApplication = "true";  // found on the PATH, ends at once
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(conv.OpenLink());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_NE(conv.LastError().find("ended"), AnsiString::npos) << conv.LastError();
  // Nor does it stay behind as a zombie.
  EXPECT_TRUE(NoZombiesWithin(std::chrono::seconds(5)));
  EXPECT_EQ(conv.ServiceProcess(), -1);
}

// The program's end ends the service it started, which would otherwise
// live on between conversations and outlive it; none is left a zombie.
TEST_F(DdeConversation, TheProgramsEndEndsTheServiceItStarted) {
  const std::string log = runtime.path() + "/service.log";
  ScopedEnv logEnv("DIM_FAKE_SERVICE_LOG", log);
  ScopedEnv stays("DIM_FAKE_SERVICE_STAYS", "1");
  conv.ServiceApplication = DIM_FAKE_SERVICE;
  ASSERT_TRUE(conv.OpenLink()) << conv.LastError();
  const pid_t pid = conv.ServiceProcess();
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(conv.ExecuteMacro("[NEW(1)]", true));
  conv.CloseLink();
  // Between conversations it stays.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const std::string entry = "/proc/" + std::to_string(pid);
  EXPECT_TRUE(std::filesystem::exists(entry));
  EndStartedServices(5000);
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_EQ(ReadBytes(log), "start\n[NEW(1)]\nended\n");
  EXPECT_TRUE(NoZombiesWithin(std::chrono::seconds(1)));
  // Nothing is left to end the second time.
  const auto start = std::chrono::steady_clock::now();
  EndStartedServices(5000);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
