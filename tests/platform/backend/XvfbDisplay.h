#pragma once
// A virtual X display of the test's own (Xvfb), ended with the test, and
// the screen backend opened on it.

#include <SDL2/SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend/Backends.h"
#include "platform/backend/screen/Screen.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Backend.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/WindowManager.h"

extern char** environ;

// Runs the program's loop until Done holds or Ms milliseconds passed.
inline bool RunUntil(const std::function<bool()>& done, int ms = 8000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    Backend().WaitForInput(10);
    Application->ProcessMessages();
  }
  return done();
}

// A virtual X display of our own for the test, ended with the test.
class XvfbDisplay {
 public:
  static std::string Binary() {
    for (const char* p : {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"})
      if (access(p, X_OK) == 0) return p;
    return {};
  }
  static bool Installed() { return !Binary().empty(); }

  XvfbDisplay() : binary_(Binary()) {
    if (binary_.empty()) return;
    int fds[2];
    if (pipe(fds) != 0) return;
    // Xvfb picks a free display and writes its number to the pipe once it
    // accepts connections, so no waiting by the clock is needed. Without
    // -noreset the server starts over each time its last client leaves, and
    // a client that connects meanwhile (a tool run just after another, Calc
    // after its own first look at the display) is refused or cut off: on a
    // loaded machine that window lasts long enough to hit.
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args = {binary_,       "-displayfd", fd,    "-screen", "0",
                                     "1024x768x24", "-nolisten",  "tcp", "-noreset"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    // Nothing of the test's output stays open in the server: a test that
    // dies must not leave its runner waiting for the server's end of a pipe.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const bool started = posix_spawn(&pid_, binary_.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (started) {
      // A server that neither answers nor ends within the bound (a stalled
      // one, outside our code) is ended: no display, and the test says so
      // instead of hanging.
      std::string number;
      char ch;
      for (;;) {
        pollfd ready{fds[0], POLLIN, 0};
        const int polled = poll(&ready, 1, kStartTimeoutMs);
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) {
          number.clear();
          break;
        }
        const ssize_t n = read(fds[0], &ch, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || ch == '\n') break;
        number += ch;
      }
      while (!number.empty() && (number.back() == '\n' || number.back() == ' ')) number.pop_back();
      // The number is the server's own only while the server lives: one
      // that wrote it and ended at once (a socket taken from under it) is
      // no display of ours.
      if (waitpid(pid_, nullptr, WNOHANG) != 0) pid_ = 0;
      if (!number.empty() && pid_ > 0) display_ = std::string(":").append(number);
      if (display_.empty() && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
      }
    } else {
      pid_ = 0;
    }
    close(fds[0]);
  }
  ~XvfbDisplay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Display() const { return display_; }

  // Starts a display and installs the screen backend on it; the backend is
  // not installed when no display could be opened. A server that lost a
  // race for a display number with another one gives up; a new one is asked
  // for, a few times at most.
  static std::unique_ptr<XvfbDisplay> OpenScreenBackend() {
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DIM_BACKEND", "screen", 1);
    std::unique_ptr<XvfbDisplay> display;
    SetBackend(nullptr);
    for (int attempt = 0; attempt < 5 && !HasBackend(); ++attempt) {
      display = std::make_unique<XvfbDisplay>();
      if (display->Display().empty()) continue;
      setenv("DISPLAY", display->Display().c_str(), 1);
      SetBackend(nullptr);
      try {
        InstallDefaultBackend();
      } catch (const Exception&) {
        SetBackend(nullptr);
        display.reset();
      }
    }
    return display;
  }

 private:
  static constexpr int kStartTimeoutMs = 20000;
  std::string binary_;
  std::string display_;
  pid_t pid_ = 0;
};

// The screen back end for one test, on a display of the test's own, with the
// program's message queues and application state fresh. Null, the reason
// recorded as a failure, when Xvfb is missing or no display opens: a screen
// test never passes without a screen.
inline TScreenBackend* OpenScreenForTest(std::unique_ptr<XvfbDisplay>& display) {
  if (!XvfbDisplay::Installed()) {
    ADD_FAILURE() << "Xvfb is not installed (Debian package xvfb)";
    return nullptr;
  }
  display = XvfbDisplay::OpenScreenBackend();
  auto* screen = HasBackend() ? dynamic_cast<TScreenBackend*>(&Backend()) : nullptr;
  if (!screen) {
    ADD_FAILURE() << "no Xvfb display could be opened";
    return nullptr;
  }
  ui::ResetThreadState();
  Application->ResetState();
  return screen;
}

// The screen backend whose message boxes are shown as the user sees them
// and closed a moment later as by their default button, their texts kept
// for the test; Shown (when set) sees each box first.
class TScreenKeepingBoxes : public TScreenBackend {
 public:
  std::vector<AnsiString> Texts;
  std::function<void(TCustomForm&)> Shown;
  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) override {
    Texts.push_back(text);
    TTimer closer(nullptr);
    closer.SetInterval(300);
    closer.OnTimer = [this](TObject*) {
      auto* box = dynamic_cast<TCustomForm*>(ui::TopModal());
      if (box == nullptr) return;
      if (Shown) Shown(*box);
      box->SetModalResult(mrOk);
    };
    return TScreenBackend::MessageBox(text, caption, flags);
  }
};

// Opens the screen for a test as OpenScreenForTest does, with its boxes
// kept; null, the reason recorded as a failure, when there is none.
inline TScreenKeepingBoxes* OpenScreenKeepingBoxes(std::unique_ptr<XvfbDisplay>& display) {
  if (OpenScreenForTest(display) == nullptr) return nullptr;
  SetBackend(nullptr);
  try {
    SetBackend(std::make_unique<TScreenKeepingBoxes>());
  } catch (const Exception& e) {
    ADD_FAILURE() << "the screen did not open again: " << e.Message;
    return nullptr;
  }
  ui::ResetThreadState();
  Application->ResetState();
  return static_cast<TScreenKeepingBoxes*>(&Backend());
}

// What the display library hands over when a program drops on a window
// itself rather than by the drop protocol: the pointer put at X, Y of the
// window, then the drop's begin, one event of Type (SDL_DROPFILE,
// SDL_DROPTEXT) for each item, and its end. False when the pointer never
// got there.
inline bool DropThroughDisplayLibrary(TScreenBackend& screen, SDL_Window* window, int x, int y, Uint32 type,
                                      const std::vector<std::string>& items) {
  SDL_WarpMouseInWindow(window, x, y);
  const bool there = RunUntil([&] {
    int mx = -1, my = -1;
    SDL_GetMouseState(&mx, &my);
    return mx == x && my == y;
  });
  if (!there) return false;
  SDL_Event e{};
  e.drop.windowID = SDL_GetWindowID(window);
  e.type = SDL_DROPBEGIN;
  screen.HandleEvent(e);
  for (const std::string& item : items) {
    e.type = type;
    e.drop.file = SDL_strdup(item.c_str());
    screen.HandleEvent(e);
  }
  e.type = SDL_DROPCOMPLETE;
  e.drop.file = nullptr;
  screen.HandleEvent(e);
  return true;
}

// Runs a program of the display's tools (xdotool) to its end, without a
// shell: true when it ran and succeeded.
inline bool RunDisplayTool(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::vector<std::string> copy = args;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline bool ProgramInstalled(const char* name) {
  for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"})
    if (access((std::string(folder) + name).c_str(), X_OK) == 0) return true;
  return false;
}

// Waits until a window manager has put its frame round the window: from
// then on it manages the window.
inline bool RunUntilFramed(SDL_Window* window) {
  return RunUntil([window] {
    int top = 0;
    return SDL_GetWindowBordersSize(window, &top, nullptr, nullptr, nullptr) == 0 && top > 0;
  });
}

// A window manager (openbox) on a display of the test's, reading its
// settings from and writing its cache into the test's own folder; ended
// with the test. BottomMargin: the work area it publishes leaves that many
// pixels at the bottom of the screen, as a desktop's panel does.
class OpenboxSession {
 public:
  static bool Installed() { return ProgramInstalled("openbox"); }

  OpenboxSession(const std::string& display, const std::filesystem::path& folder, int bottomMargin) {
    std::filesystem::create_directories(folder / "config");
    std::filesystem::create_directories(folder / "cache");
    const std::filesystem::path rc = folder / "rc.xml";
    std::ofstream(rc) << "<?xml version=\"1.0\"?>\n"
                         "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">\n"
                         "  <margins><top>0</top><bottom>"
                      << bottomMargin
                      << "</bottom><left>0</left><right>0</right></margins>\n"
                         "</openbox_config>\n";
    std::vector<std::string> env = {"DISPLAY=" + display,
                                    "HOME=" + folder.string(),
                                    "XDG_CONFIG_HOME=" + (folder / "config").string(),
                                    "XDG_CACHE_HOME=" + (folder / "cache").string(),
                                    "XDG_DATA_HOME=" + (folder / "config").string(),
                                    "PATH=/usr/bin:/bin"};
    std::vector<std::string> args = {"openbox", "--config-file", rc.string()};
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid_, "openbox", &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~OpenboxSession() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  OpenboxSession(const OpenboxSession&) = delete;
  OpenboxSession& operator=(const OpenboxSession&) = delete;
  bool Started() const { return pid_ > 0; }

 private:
  pid_t pid_ = 0;
};
