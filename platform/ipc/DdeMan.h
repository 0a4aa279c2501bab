#pragma once
// The client end of a conversation with a service program, in the class
// library's shape: a service and topic are linked, the link is opened
// (starting the service's program when nothing answers) and macro commands
// are executed over it, one by one or many to a frame.
//
// The service answers on a local stream socket named after it, in a folder
// of the user's runtime folder that only the user may enter; a socket held
// by another user is never spoken to. The bytes are those of DdeFrame.h.

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ipc/DdeFrame.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"

class EDdeError : public Exception {
 public:
  explicit EDdeError(AnsiString m) : Exception(std::move(m)) {}
};

enum TDataMode { ddeAutomatic, ddeManual };

// The folder holding the services' sockets: $XDG_RUNTIME_DIR/dimoprasia-dde,
// or /tmp/dimoprasia-dde-<uid> without a runtime folder. Created with mode
// 0700 when missing; an existing one that is not a folder of this user's
// with no access for others raises EDdeError. With a trailing "/".
AnsiString DdeSocketFolder();
// The socket of a service: its name in that folder. Service names are
// letters, digits, ".", "_" and "-", not starting with "."; others raise
// EDdeError.
AnsiString DdeSocketPath(const AnsiString& service);

// Ends every service program this process started that still runs: asks
// each to end, waits up to GraceMillis, then ends those left outright, and
// returns once they are reaped. The program calls it on its way out, so no
// service outlives it.
void EndStartedServices(unsigned GraceMillis = 10000);

class TDdeClientConv {
 public:
  TDdeClientConv() = default;
  ~TDdeClientConv();
  TDdeClientConv(const TDdeClientConv&) = delete;
  TDdeClientConv& operator=(const TDdeClientConv&) = delete;

  TDataMode ConnectMode = ddeAutomatic;
  // The program started when the service does not answer: a name found
  // beside the executable first, then on the PATH; never through a shell.
  AnsiString ServiceApplication;
  // "NAME=value" entries added to the started program's environment.
  std::vector<std::string> ServiceEnvironment;
  bool FormatChars = false;
  // How long a started program has to answer, and how long the service may
  // stay silent before the link is given up (milliseconds).
  unsigned StartTimeout = 20000;
  unsigned ReplyTimeout = 10000;

  std::function<void(TDdeClientConv* Sender)> OnOpen;
  std::function<void(TDdeClientConv* Sender)> OnClose;

  // Names the service and topic; closes an open link first. False for an
  // empty service or topic.
  bool SetLink(const AnsiString& Service, const AnsiString& Topic);
  const AnsiString& DdeService() const { return service_; }
  const AnsiString& DdeTopic() const { return topic_; }

  // Opens the link: connects to the service's socket; when nothing answers
  // and ServiceApplication names a program that exists, starts it once and
  // retries until it answers, StartTimeout passes or the program ends.
  // True when the service accepted the topic (OnOpen has then run).
  bool OpenLink();
  // Closes the link; OnClose runs when one was open.
  void CloseLink();
  bool Connected() const { return open_; }

  // Executes one command; false when there is no link or the service
  // refused it. WaitFlg is accepted: every command is answered before the
  // call returns. A service that has gone away closes the link (OnClose)
  // and its commands are refused; a reply that is no frame, or ReplyTimeout
  // of silence, closes the link and raises EDdeError.
  bool ExecuteMacro(const AnsiString& Cmd, bool WaitFlg);
  // Executes the commands in order, as few frames as they fit in, stopping
  // at the first refusal. True when all ran; LastExecutedCount tells how
  // many did.
  bool ExecuteMacroLines(const std::vector<AnsiString>& Cmds, bool WaitFlg);
  std::size_t LastExecutedCount() const { return lastExecuted_; }

  // The process started for the service, or -1.
  pid_t ServiceProcess() const { return child_; }
  // Why the last OpenLink failed, for diagnostics.
  const AnsiString& LastError() const { return lastError_; }

 private:
  int Connect();
  bool StartService();
  bool Handshake(int fd);
  void SendAll(const std::string& bytes);
  // The next frame from the service; false when it has gone away.
  bool Receive(dde::Frame& frame);
  void Drop(bool notify);
  [[noreturn]] void Fail(const AnsiString& why);
  void ReapChild();

  AnsiString service_;
  AnsiString topic_;
  AnsiString lastError_;
  int fd_ = -1;
  bool open_ = false;  // the topic was accepted
  pid_t child_ = -1;
  // Set by the watcher that reaps the service process the moment it ends,
  // so that no finished service lingers as a zombie.
  std::shared_ptr<std::atomic<bool>> childEnded_;
  std::size_t lastExecuted_ = 0;
  dde::FrameReader reader_;
};
