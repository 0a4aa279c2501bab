#include "platform/ipc/DdeMan.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "platform/rtl/FileUtils.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int MillisLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

bool ValidServiceName(const AnsiString& name) {
  if (name.empty() || name.size() > 64 || name[0] == '.') return false;
  for (unsigned char c : name)
    if (!(std::isalnum(c) && c < 128) && c != '.' && c != '_' && c != '-') return false;
  return true;
}

bool PeerIsUs(int fd) {
  ucred cred{};
  socklen_t len = sizeof cred;
  return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == getuid();
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Beside the executable, then on the PATH; "" when nowhere.
std::string FindProgram(const AnsiString& name) {
  if (name.empty()) return {};
  if (name.find('/') != AnsiString::npos) return IsExecutableFile(name) ? name : std::string();
  const AnsiString exeFolder = ExtractFilePath(ParamStr(0));
  if (!exeFolder.empty() && IsExecutableFile(exeFolder + name)) return exeFolder + name;
  const char* path = std::getenv("PATH");
  if (!path) return {};
  std::string dirs = path;
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    if (!dir.empty() && IsExecutableFile(dir + "/" + name)) return dir + "/" + name;
    start = end + 1;
  }
  return {};
}

// The services this process started and that still run: each is ended
// when the program ends.
struct StartedServices {
  std::mutex lock;
  std::map<pid_t, std::shared_ptr<std::atomic<bool>>> running;
};

StartedServices& Started() {
  static StartedServices* services = new StartedServices;  // outlives every static
  return *services;
}

}  // namespace

void EndStartedServices(unsigned graceMillis) {
  std::map<pid_t, std::shared_ptr<std::atomic<bool>>> services;
  {
    std::lock_guard<std::mutex> hold(Started().lock);
    services = Started().running;
  }
  // The polite request first, so that a service can put away what it
  // started; what is still there after the grace period is ended outright.
  for (const auto& [pid, ended] : services)
    if (!ended->load()) ::kill(pid, SIGTERM);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(graceMillis);
  const auto allEnded = [&] {
    for (const auto& [pid, ended] : services)
      if (!ended->load()) return false;
    return true;
  };
  while (!allEnded() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (const auto& [pid, ended] : services)
    if (!ended->load()) ::kill(pid, SIGKILL);
  // The watchers reap them; the program waits for that, so that none is
  // left to the system as a zombie or an orphan.
  const Clock::time_point reaped = Clock::now() + std::chrono::seconds(2);
  while (!allEnded() && Clock::now() < reaped) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

AnsiString DdeSocketFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime && runtime[0] == '/' ? std::string(runtime) + "/dimoprasia-dde"
                                                    : "/tmp/dimoprasia-dde-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    throw EDdeError("Cannot create the folder of the conversations " + folder);
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
      (st.st_mode & 077) != 0)
    throw EDdeError("The folder of the conversations " + folder + " is not private to this user");
  return folder + "/";
}

AnsiString DdeSocketPath(const AnsiString& service) {
  if (!ValidServiceName(service)) throw EDdeError("Invalid service name " + service);
  return DdeSocketFolder() + service;
}

TDdeClientConv::~TDdeClientConv() {
  Drop(false);
  ReapChild();
}

bool TDdeClientConv::SetLink(const AnsiString& Service, const AnsiString& Topic) {
  if (Connected()) CloseLink();
  service_ = Service;
  topic_ = Topic;
  return !Service.empty() && !Topic.empty();
}

int TDdeClientConv::Connect() {
  const AnsiString path = DdeSocketPath(service_);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) throw EDdeError("Socket name too long: " + path);
  std::memcpy(addr.sun_path, path.data(), path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  if (!PeerIsUs(fd)) {
    close(fd);
    lastError_ = "The socket of " + service_ + " belongs to another user";
    return -2;
  }
  return fd;
}

bool TDdeClientConv::StartService() {
  const std::string program = FindProgram(ServiceApplication);
  if (program.empty()) {
    lastError_ = "No program " + ServiceApplication;
    return false;
  }
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) env.emplace_back(*e);
  for (const std::string& extra : ServiceEnvironment) {
    const std::string name = extra.substr(0, extra.find('=') + 1);
    std::erase_if(env, [&](const std::string& v) { return v.compare(0, name.size(), name) == 0; });
    env.push_back(extra);
  }
  std::vector<char*> envp;
  for (std::string& v : env) envp.push_back(v.data());
  envp.push_back(nullptr);
  std::string arg0 = program;
  char* argv[] = {arg0.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
    lastError_ = "Cannot start " + program;
    return false;
  }
  child_ = pid;
  // The service lives on between conversations; whenever it ends, it is
  // reaped at once, whether or not anyone asks for it again.
  auto ended = std::make_shared<std::atomic<bool>>(false);
  childEnded_ = ended;
  {
    std::lock_guard<std::mutex> hold(Started().lock);
    Started().running[pid] = ended;
  }
  std::thread([pid, ended] {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    {
      std::lock_guard<std::mutex> hold(Started().lock);
      Started().running.erase(pid);
    }
    ended->store(true);
  }).detach();
  return true;
}

void TDdeClientConv::ReapChild() {
  if (child_ > 0 && childEnded_ && childEnded_->load()) {
    child_ = -1;
    childEnded_.reset();
  }
}

bool TDdeClientConv::OpenLink() {
  if (Connected()) return true;
  lastError_.clear();
  if (service_.empty() || topic_.empty()) {
    lastError_ = "No service or topic";
    return false;
  }
  ReapChild();
  int fd = Connect();
  if (fd == -1 && StartService()) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(StartTimeout);
    const std::shared_ptr<std::atomic<bool>> ended = childEnded_;
    while (fd == -1 && Clock::now() < deadline) {
      if (ended->load()) {
        child_ = -1;
        childEnded_.reset();
        lastError_ = ServiceApplication + " ended without answering";
        // It may have answered just before it ended.
        fd = Connect();
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
      fd = Connect();
    }
  }
  if (fd < 0) {
    if (lastError_.empty()) lastError_ = "No answer from " + service_;
    return false;
  }
  if (!Handshake(fd)) return false;
  open_ = true;
  if (OnOpen) OnOpen(this);
  return true;
}

bool TDdeClientConv::Handshake(int fd) {
  fd_ = fd;
  reader_ = dde::FrameReader{};
  dde::Frame reply;
  try {
    SendAll(dde::EncodeOpen(topic_));
    if (!Receive(reply)) {
      lastError_ = service_ + " closed the conversation";
      Drop(false);
      return false;
    }
  } catch (const EDdeError& e) {
    lastError_ = e.Message;
    Drop(false);
    return false;
  }
  if (reply.kind != dde::FrameKind::Accepted) {
    lastError_ = service_ + " refused the topic " + topic_;
    Drop(false);
    return false;
  }
  return true;
}

void TDdeClientConv::Drop(bool notify) {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
  reader_ = dde::FrameReader{};
  const bool wasOpen = open_;
  open_ = false;
  if (notify && wasOpen && OnClose) OnClose(this);
}

void TDdeClientConv::CloseLink() { Drop(true); }

void TDdeClientConv::Fail(const AnsiString& why) {
  Drop(true);
  throw EDdeError(why);
}

void TDdeClientConv::SendAll(const std::string& bytes) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ReplyTimeout);
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd_, POLLOUT, 0};
      const int left = MillisLeft(deadline);
      if (left == 0 || poll(&p, 1, left) == 0) Fail(service_ + " does not take what is sent to it");
      continue;
    }
    // The service has gone: the link closes and the command is refused.
    Drop(true);
    return;
  }
}

bool TDdeClientConv::Receive(dde::Frame& frame) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ReplyTimeout);
  std::string error;
  for (;;) {
    if (fd_ < 0) return false;
    switch (reader_.Next(frame, error)) {
      case dde::DecodeStatus::Complete:
        return true;
      case dde::DecodeStatus::Malformed:
        Fail(service_ + " answered with bytes that are no reply (" + error + ")");
      case dde::DecodeStatus::Incomplete:
        break;
    }
    pollfd p{fd_, POLLIN, 0};
    const int left = MillisLeft(deadline);
    const int ready = left == 0 ? 0 : poll(&p, 1, left);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) Fail(service_ + " did not answer in time");
    char buffer[4096];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Drop(true);
      return false;
    }
    reader_.Append(buffer, static_cast<std::size_t>(n));
  }
}

bool TDdeClientConv::ExecuteMacro(const AnsiString& Cmd, bool WaitFlg) {
  return ExecuteMacroLines({Cmd}, WaitFlg);
}

bool TDdeClientConv::ExecuteMacroLines(const std::vector<AnsiString>& Cmds, bool) {
  lastExecuted_ = 0;
  std::size_t first = 0;
  while (first < Cmds.size()) {
    if (!Connected()) return false;
    // As many commands as one frame holds.
    std::size_t count = 0, bytes = 0;
    while (first + count < Cmds.size() && count < dde::kMaxCommandsPerFrame) {
      const std::size_t len = Cmds[first + count].size();
      if (len == 0 || len > 0xFFFF) break;
      if (dde::ExecutePayloadSize(count + 1, bytes + len) > dde::kMaxFramePayload) break;
      ++count;
      bytes += len;
    }
    if (count == 0) return false;  // a command no frame can carry is refused
    SendAll(dde::EncodeExecute(Cmds, first, count));
    dde::Frame reply;
    if (!Receive(reply)) return false;
    if (reply.kind != dde::FrameKind::Executed || reply.ran > count)
      Fail(service_ + " answered with bytes that are no reply (wrong reply to commands)");
    lastExecuted_ += reply.ran;
    if (reply.ran < count) return false;
    first += count;
  }
  return true;
}
