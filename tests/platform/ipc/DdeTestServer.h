#pragma once
// A service for the conversation tests: it listens on a service's socket on
// its own thread, accepts the topic "System", runs each command through
// Accept and keeps the transcript of what it ran. Modes make it a bad peer.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc/DdeFrame.h"
#include "platform/ipc/DdeMan.h"

class DdeTestServer {
 public:
  enum Mode { Normal, Garbage, CloseMidFrame, Stall };

  explicit DdeTestServer(const std::string& service = "Excel", Mode mode = Normal) : mode_(mode) {
    const std::string path = DdeSocketPath(service);
    ::unlink(path.c_str());
    listen_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listen_, 4) != 0)
      throw std::runtime_error("test service cannot listen on " + path);
    if (::pipe(stop_) != 0) throw std::runtime_error("pipe");
    thread_ = std::thread([this] { Serve(); });
  }
  ~DdeTestServer() {
    const char c = 0;
    (void)!::write(stop_[1], &c, 1);
    thread_.join();
    ::close(listen_);
    ::close(stop_[0]);
    ::close(stop_[1]);
  }

  // Decides each command on the server's thread; all are run by default.
  std::function<bool(const std::string&)> Accept;

  // The commands run, in order; a refused one appears as "refused " + it.
  std::vector<std::string> Transcript() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return transcript_;
  }
  int Frames() const { return frames_; }
  int Connections() const { return connections_; }

  // Runs until the client hangs up (the fake service program's whole life).
  void WaitForHangUp() {
    while (!hungUp_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

 private:
  bool WaitReadable(int fd) {
    pollfd p[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    return ::poll(p, 2, -1) > 0 && !(p[1].revents & POLLIN);
  }

  void Serve() {
    while (WaitReadable(listen_)) {
      const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      ++connections_;
      Talk(fd);
      ::close(fd);
      hungUp_ = true;
    }
  }

  void Send(int fd, const std::string& bytes) { (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

  void Talk(int fd) {
    dde::FrameReader reader;
    char buffer[4096];
    while (WaitReadable(fd)) {
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      reader.Append(buffer, static_cast<std::size_t>(n));
      dde::Frame frame;
      std::string error;
      dde::DecodeStatus status;
      while ((status = reader.Next(frame, error)) == dde::DecodeStatus::Complete) {
        if (frame.kind == dde::FrameKind::Open) {
          Send(fd, frame.text == "System" ? dde::EncodeAccepted() : dde::EncodeRefused("unknown topic"));
          continue;
        }
        ++frames_;
        if (mode_ == Garbage) {
          Send(fd, std::string("\x03\x00\x00\x00Zzz", 7));
          continue;
        }
        if (mode_ == CloseMidFrame) {
          Send(fd, dde::EncodeExecuted(1).substr(0, 5));
          return;
        }
        if (mode_ == Stall) continue;
        std::uint16_t ran = 0;
        for (const std::string& cmd : frame.commands) {
          const bool ok = !Accept || Accept(cmd);
          std::lock_guard<std::mutex> lock(mutex_);
          transcript_.push_back(ok ? cmd : "refused " + cmd);
          if (!ok) break;
          ++ran;
        }
        Send(fd, dde::EncodeExecuted(ran));
      }
      if (status == dde::DecodeStatus::Malformed) return;
    }
  }

  Mode mode_;
  int listen_ = -1;
  int stop_[2] = {-1, -1};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> transcript_;
  std::atomic<int> frames_{0};
  std::atomic<int> connections_{0};
  std::atomic<bool> hungUp_{false};
};
