#include "platform/backend/screen/SelectionX11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <list>
#include <map>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Errors on our connection (a requestor that went away mid-transfer) are
// expected and harmless; the default handler would end the program. Errors
// on other connections go to whoever handled them before.
Display* ourDisplay = nullptr;
XErrorHandler previousHandler = nullptr;

int OnXError(Display* display, XErrorEvent* error) {
  if (display == ourDisplay) return 0;
  return previousHandler ? previousHandler(display, error) : 0;
}

constexpr const char* kNoAnswer = "The program holding the clipboard did not answer in time";

std::string Megabytes(std::size_t bytes) { return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB"; }

class X11Clipboard final : public TX11Desktop {
 public:
  X11Clipboard(Display* display) : display_(display) {
    const Window root = DefaultRootWindow(display_);
    window_ = XCreateSimpleWindow(display_, root, 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display_, window_, PropertyChangeMask);
    clipboard_ = Intern("CLIPBOARD");
    // Each change of owner is told, so that an owner remembered as silent
    // is asked again once another program (even one reusing its window's
    // number) holds the clipboard.
    int errorBase = 0;
    if (XFixesQueryExtension(display_, &fixesEvent_, &errorBase))
      XFixesSelectSelectionInput(display_, window_, clipboard_,
                                 XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                     XFixesSelectionClientCloseNotifyMask);
    else
      fixesEvent_ = -1;
    targets_ = Intern("TARGETS");
    timestamp_ = Intern("TIMESTAMP");
    incr_ = Intern("INCR");
    utf8String_ = Intern("UTF8_STRING");
    text_ = Intern("TEXT");
    transferProperty_ = Intern("DIMOPRASIA_CLIPBOARD");
    xdndAware_ = Intern("XdndAware");
    xdndProxy_ = Intern("XdndProxy");
    xdndEnter_ = Intern("XdndEnter");
    xdndPosition_ = Intern("XdndPosition");
    xdndStatus_ = Intern("XdndStatus");
    xdndLeave_ = Intern("XdndLeave");
    xdndDrop_ = Intern("XdndDrop");
    xdndFinished_ = Intern("XdndFinished");
    xdndSelection_ = Intern("XdndSelection");
    xdndTypeList_ = Intern("XdndTypeList");
    xdndCopy_ = Intern("XdndActionCopy");
    xdndMove_ = Intern("XdndActionMove");
    // Drops on the program's windows come here (they name this window as
    // their proxy), so that they are answered on this thread.
    MarkDropWindow(window_);
    timeProperty_ = Intern("DIMOPRASIA_TIME");
    XFlush(display_);
    // What one property may carry; bigger answers go by the incremental
    // protocol.
    const long maxRequest =
        XExtendedMaxRequestSize(display_) ? XExtendedMaxRequestSize(display_) : XMaxRequestSize(display_);
    chunk_ = std::clamp<std::size_t>(static_cast<std::size_t>(maxRequest) * 4 / 2, 4096, 256 * 1024);
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
    thread_ = std::thread([this] { Serve(); });
  }

  ~X11Clipboard() override {
    Run(Command::Quit);
    thread_.join();
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
    if (ourDisplay == display_) ourDisplay = nullptr;
    for (int fd : wake_)
      if (fd >= 0) close(fd);
  }

  bool Offer(std::shared_ptr<const ui::TClipboardOffer> offer) override {
    auto command = Run(Command::Offer, {}, std::move(offer));
    return command && command->Ok;
  }

  bool Owned() override {
    auto command = Run(Command::Owned);
    return command && command->Ok;
  }

  ui::TClipboardTargets Targets() override {
    auto command = Run(Command::Targets);
    if (!command) return {false, {}, "The clipboard did not answer in time"};
    return {command->Ok, std::move(command->Names), command->Error};
  }

  ui::TClipboardRead Read(const std::string& target) override {
    auto command = Run(Command::Read, target);
    if (!command) return {false, {}, "The clipboard did not answer in time"};
    return {command->Ok, std::move(command->Bytes), command->Error};
  }

  // ---- drags from other programs ----

  void AcceptDrops(unsigned long window) override {
    auto command = NewCommand(Command::AcceptDrops);
    command->Window = window;
    Run(command);
  }

  void OnDropEvent(std::function<void(TDesktopDropEvent)> handler) override {
    std::lock_guard lock(mutex_);
    dropHandler_ = std::move(handler);
  }

  void OnOwnerChange(std::function<void()> handler) override {
    std::lock_guard lock(mutex_);
    ownerHandler_ = std::move(handler);
  }

  void AnswerPosition(DWORD effect) override {
    auto command = NewCommand(Command::AnswerPosition);
    command->Effect = effect;
    Run(command);
  }

  ui::TClipboardRead ReadDropped(const std::string& target) override {
    auto command = Run(Command::ReadDropped, target);
    if (!command) return {false, {}, "The dragging program did not answer in time"};
    return {command->Ok, std::move(command->Bytes), command->Error};
  }

  void FinishDrop(DWORD effect) override {
    auto command = NewCommand(Command::FinishDrop);
    command->Effect = effect;
    Run(command);
  }

  // ---- drags to other programs ----

  void Begin(std::shared_ptr<const ui::TClipboardOffer> offer) override {
    Run(Command::DragBegin, {}, std::move(offer));
  }

  DWORD Move(TPoint screen, DWORD wanted) override {
    auto command = NewCommand(Command::DragMove);
    command->X = screen.X;
    command->Y = screen.Y;
    command->Effect = wanted;
    command = Run(command);
    return command ? command->Effect : DROPEFFECT_NONE;
  }

  void Leave() override { Run(Command::DragLeave); }

  DWORD Drop() override {
    auto command = Run(Command::DragDrop);
    return command ? command->Effect : DROPEFFECT_NONE;
  }

  void End() override { Run(Command::DragEnd); }

 private:
  struct Command {
    enum Kind {
      Offer,
      Owned,
      Targets,
      Read,
      AcceptDrops,
      AnswerPosition,
      ReadDropped,
      FinishDrop,
      DragBegin,
      DragMove,
      DragLeave,
      DragDrop,
      DragEnd,
      Quit
    } kind;
    std::string Target;
    unsigned long Window = 0;
    int X = 0, Y = 0;
    DWORD Effect = DROPEFFECT_NONE;
    std::shared_ptr<const ui::TClipboardOffer> NewOffer;
    bool Done = false, Ok = false;
    std::string Bytes, Error;
    std::vector<std::string> Names;
  };

  // A big answer going out piece by piece.
  struct Transfer {
    Window Requestor;
    Atom Property;
    Atom Type;
    std::shared_ptr<const ui::TClipboardOffer> Offer;  // keeps Bytes alive
    const std::string* Bytes;
    std::size_t Sent = 0;
    bool Finished = false;
    Clock::time_point LastActivity;
  };

  static std::shared_ptr<Command> NewCommand(Command::Kind kind) {
    auto command = std::make_shared<Command>();
    command->kind = kind;
    return command;
  }

  std::shared_ptr<Command> Run(Command::Kind kind, std::string target = {},
                               std::shared_ptr<const ui::TClipboardOffer> offer = nullptr) {
    auto command = NewCommand(kind);
    command->Target = std::move(target);
    command->NewOffer = std::move(offer);
    return Run(command);
  }

  std::shared_ptr<Command> Run(std::shared_ptr<Command> command) {
    std::unique_lock lock(mutex_);
    queue_.push_back(command);
    if (wake_[1] >= 0) {
      const char byte = 0;
      [[maybe_unused]] const ssize_t n = write(wake_[1], &byte, 1);
    }
    // The serving side keeps its own time limits; this bound only guards
    // against a display that stopped answering altogether.
    const bool done =
        done_.wait_for(lock, Timeout * 4 + std::chrono::seconds(2), [&] { return command->Done; });
    return done ? command : nullptr;
  }

  Atom Intern(const char* name) { return XInternAtom(display_, name, False); }

  std::string NameOf(Atom atom) {
    if (atom == None) return {};
    if (auto it = names_.find(atom); it != names_.end()) return it->second;
    char* name = XGetAtomName(display_, atom);
    std::string result = name ? name : "";
    if (name) XFree(name);
    if (names_.size() < 8192) names_.emplace(atom, result);
    return result;
  }

  // ---- the serving thread ---------------------------------------------------

  void Serve() {
    const int xfd = ConnectionNumber(display_);
    for (;;) {
      std::deque<std::shared_ptr<Command>> commands;
      {
        std::lock_guard lock(mutex_);
        commands.swap(queue_);
      }
      for (auto& command : commands) {
        const bool quit = command->kind == Command::Quit;
        if (!quit) Execute(*command);
        {
          std::lock_guard lock(mutex_);
          command->Done = true;
        }
        done_.notify_all();
        if (quit) return;
      }
      DispatchPending();
      ExpireTransfers();
      pollfd fds[2] = {{xfd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
      poll(fds, wake_[0] >= 0 ? 2 : 1, transfers_.empty() ? 1000 : 200);
      if (fds[1].revents & POLLIN) {
        char buffer[64];
        while (read(wake_[0], buffer, sizeof buffer) > 0) {
        }
      }
    }
  }

  void DispatchPending() {
    while (XPending(display_)) {
      XEvent event;
      XNextEvent(display_, &event);
      Handle(event);
    }
  }

  void Handle(const XEvent& event) {
    if (fixesEvent_ >= 0 && event.type == fixesEvent_ + XFixesSelectionNotify) {
      silentOwner_ = None;
      // The program's own take it knows of already.
      if (reinterpret_cast<const XFixesSelectionNotifyEvent&>(event).owner != window_) {
        std::function<void()> handler;
        {
          std::lock_guard lock(mutex_);
          handler = ownerHandler_;
        }
        if (handler) handler();
      }
      return;
    }
    switch (event.type) {
      case SelectionRequest:
        Answer(event.xselectionrequest);
        break;
      case ClientMessage:
        HandleDragMessage(event.xclient);
        break;
      case SelectionClear:
        if (event.xselectionclear.selection == clipboard_ && event.xselectionclear.window == window_)
          offer_.reset();
        break;
      case PropertyNotify:
        if (event.xproperty.state == PropertyDelete) Continue(event.xproperty.window, event.xproperty.atom);
        break;
      default:
        break;
    }
  }

  void Execute(Command& command) {
    // Owner changes already told come first.
    DispatchPending();
    switch (command.kind) {
      case Command::Offer: {
        offer_ = std::move(command.NewOffer);
        ownTime_ = ServerTime();
        XSetSelectionOwner(display_, clipboard_, window_, ownTime_);
        command.Ok = XGetSelectionOwner(display_, clipboard_) == window_;
        if (!command.Ok) offer_.reset();
        break;
      }
      case Command::Owned:
        command.Ok = offer_ && XGetSelectionOwner(display_, clipboard_) == window_;
        break;
      case Command::Targets:
        ReadTargets(command);
        break;
      case Command::Read:
        ReadTarget(command, clipboard_, CurrentTime);
        break;
      case Command::ReadDropped:
        ReadTarget(command, xdndSelection_, in_.DropTime);
        break;
      case Command::AcceptDrops:
        MarkDropWindow(command.Window);
        break;
      case Command::AnswerPosition:
        if (in_.Source != None)
          SendDnd(in_.Source, in_.Source, xdndStatus_, static_cast<long>(in_.Target),
                  command.Effect != DROPEFFECT_NONE ? 3 : 2, 0, 0,
                  static_cast<long>(command.Effect == DROPEFFECT_NONE ? None : ActionOf(command.Effect)));
        break;
      case Command::FinishDrop:
        if (in_.Source != None && in_.Dropped)
          SendDnd(in_.Source, in_.Source, xdndFinished_, static_cast<long>(in_.Target),
                  command.Effect != DROPEFFECT_NONE ? 1 : 0,
                  static_cast<long>(command.Effect == DROPEFFECT_NONE ? None : ActionOf(command.Effect)), 0,
                  0);
        in_ = Incoming{};
        break;
      case Command::DragBegin:
        BeginDrag(std::move(command.NewOffer));
        break;
      case Command::DragMove:
        command.Effect = MoveDrag(command.X, command.Y, command.Effect);
        break;
      case Command::DragLeave:
        LeaveDrag();
        break;
      case Command::DragDrop:
        command.Effect = DropDrag();
        break;
      case Command::DragEnd:
        LeaveDrag();
        out_ = Outgoing{};
        break;
      case Command::Quit:
        break;
    }
  }

  // A time the server stands by, as a selection owner should give: the
  // time of a harmless change to our own window.
  Time ServerTime() {
    XChangeProperty(display_, window_, timeProperty_, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    for (;;) {
      XWindowEvent(display_, window_, PropertyChangeMask, &event);
      if (event.xproperty.atom == timeProperty_) return event.xproperty.time;
    }
  }

  // ---- answering other programs ----------------------------------------------

  void Answer(const XSelectionRequestEvent& request) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = display_;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    // Old clients name no property: the target's own name is used.
    const Atom property = request.property == None ? request.target : request.property;
    reply.property = None;
    // The clipboard's offer, or the running drag's.
    const std::shared_ptr<const ui::TClipboardOffer>& offer =
        request.selection == xdndSelection_ ? out_.Offer : offer_;
    if ((request.selection == clipboard_ || request.selection == xdndSelection_) && offer &&
        request.owner == window_) {
      if (request.target == targets_) {
        std::vector<long> atoms = {static_cast<long>(targets_), static_cast<long>(timestamp_)};
        for (const auto& [name, bytes] : offer->Targets)
          atoms.push_back(static_cast<long>(Intern(name.c_str())));
        XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
        reply.property = property;
      } else if (request.target == timestamp_) {
        long time = static_cast<long>(request.selection == xdndSelection_ ? out_.Stamp : ownTime_);
        XChangeProperty(display_, request.requestor, property, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&time), 1);
        reply.property = property;
      } else if (const std::string* bytes = offer->Find(NameOf(request.target))) {
        // "TEXT" asks for text in whatever type the owner likes.
        const Atom type = request.target == text_ ? utf8String_ : request.target;
        if (bytes->size() > chunk_) {
          XSelectInput(display_, request.requestor, PropertyChangeMask);
          long size = static_cast<long>(bytes->size());
          XChangeProperty(display_, request.requestor, property, incr_, 32, PropModeReplace,
                          reinterpret_cast<unsigned char*>(&size), 1);
          transfers_.push_back(
              Transfer{request.requestor, property, type, offer, bytes, 0, false, Clock::now()});
        } else {
          XChangeProperty(display_, request.requestor, property, type, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(bytes->data()),
                          static_cast<int>(bytes->size()));
        }
        reply.property = property;
      }
    }
    XEvent event{};
    event.xselection = reply;
    XSendEvent(display_, request.requestor, False, NoEventMask, &event);
    XFlush(display_);
  }

  // The requestor took a piece of an incremental answer: the next one goes.
  void Continue(Window window, Atom property) {
    for (auto it = transfers_.begin(); it != transfers_.end(); ++it) {
      if (it->Requestor != window || it->Property != property) continue;
      Transfer& t = *it;
      const std::size_t piece = std::min(chunk_, t.Bytes->size() - t.Sent);
      XChangeProperty(display_, t.Requestor, t.Property, t.Type, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(t.Bytes->data() + t.Sent),
                      static_cast<int>(piece));
      t.Sent += piece;
      t.LastActivity = Clock::now();
      XFlush(display_);
      // The empty piece closes the transfer.
      if (piece == 0) {
        if (t.Requestor != window_) XSelectInput(display_, t.Requestor, NoEventMask);
        transfers_.erase(it);
      }
      return;
    }
  }

  // A requestor that stopped taking pieces (or went away) is given up.
  void ExpireTransfers() {
    const auto now = Clock::now();
    transfers_.remove_if([&](const Transfer& t) {
      if (now - t.LastActivity < Timeout * 3) return false;
      if (t.Requestor != window_) XSelectInput(display_, t.Requestor, NoEventMask);
      return true;
    });
  }

  // ---- reading other programs -------------------------------------------------

  // Waits for an event Match accepts, serving every other event meanwhile;
  // false at Deadline.
  template <class Match>
  bool WaitFor(Match match, Clock::time_point deadline, XEvent& found) {
    const int xfd = ConnectionNumber(display_);
    for (;;) {
      while (XPending(display_)) {
        XNextEvent(display_, &found);
        if (match(found)) return true;
        Handle(found);
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      pollfd fd{xfd, POLLIN, 0};
      poll(&fd, 1, static_cast<int>(std::min<long long>(left, 100)));
    }
  }

  // Asks the owner for Target into our property; false with Error set when
  // it does not answer or refuses.
  bool Convert(Atom target, const std::string& name, std::string& error, Atom selection = None,
               Time time = CurrentTime) {
    if (selection == None) selection = clipboard_;
    XDeleteProperty(display_, window_, transferProperty_);
    XConvertSelection(display_, selection, target, transferProperty_, window_, time);
    XFlush(display_);
    XEvent event;
    const bool answered = WaitFor(
        [&](const XEvent& e) {
          return e.type == SelectionNotify && e.xselection.requestor == window_ &&
                 e.xselection.selection == selection;
        },
        Clock::now() + Timeout, event);
    if (!answered) {
      if (selection != clipboard_) {
        error = "The dragging program did not answer in time";
        return false;
      }
      error = kNoAnswer;
      silentOwner_ = XGetSelectionOwner(display_, clipboard_);
      silentUntil_ = Clock::now() + Timeout * 10;
      return false;
    }
    if (event.xselection.property == None) {
      error = "The program holding the clipboard refused to give it as " + name;
      return false;
    }
    return true;
  }

  struct PropertyValue {
    Atom Type = None;
    int Format = 0;
    std::string Bytes;
    std::size_t ItemSize = 1;
  };

  // Reads and deletes our transfer property; false when it is bigger than
  // the bound or gone.
  bool TakeProperty(PropertyValue& value, std::size_t room, std::string& error) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window_, transferProperty_, 0, 0, False, AnyPropertyType, &type, &format,
                           &items, &after, &data) != Success) {
      error = "The clipboard's answer could not be read";
      return false;
    }
    if (data) XFree(data);
    if (after > room) {
      XDeleteProperty(display_, window_, transferProperty_);
      error = "The clipboard holds more than " + Megabytes(MaxBytes) + ": nothing was pasted";
      return false;
    }
    data = nullptr;
    if (XGetWindowProperty(display_, window_, transferProperty_, 0, static_cast<long>((after + 3) / 4), True,
                           AnyPropertyType, &type, &format, &items, &after, &data) != Success) {
      error = "The clipboard's answer could not be read";
      return false;
    }
    value.Type = type;
    value.Format = format;
    value.ItemSize = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
    value.Bytes.assign(reinterpret_cast<const char*>(data), data ? items * value.ItemSize : 0);
    if (data) XFree(data);
    return true;
  }

  void ReadTargets(Command& command) {
    if (XGetSelectionOwner(display_, clipboard_) == window_) {
      if (offer_)
        for (const auto& [name, bytes] : offer_->Targets) command.Names.push_back(name);
      command.Ok = true;
      return;
    }
    const Window owner = XGetSelectionOwner(display_, clipboard_);
    if (owner == None) {
      command.Ok = true;
      return;
    }
    if (owner == silentOwner_ && Clock::now() < silentUntil_) {
      command.Error = kNoAnswer;
      return;
    }
    PropertyValue value;
    if (!Convert(targets_, "TARGETS", command.Error) || !TakeProperty(value, 1u << 20, command.Error)) return;
    if (value.Type != XA_ATOM && value.Type != targets_) {
      command.Error = "The program holding the clipboard did not say what it holds";
      return;
    }
    for (std::uint32_t atom : ui::ReadTargetsReply(value.Bytes, value.Format, value.ItemSize)) {
      std::string name = NameOf(atom);
      if (!name.empty()) command.Names.push_back(std::move(name));
    }
    command.Ok = true;
  }

  void ReadTarget(Command& command, Atom selection, Time time) {
    const Atom target = Intern(command.Target.c_str());
    if (XGetSelectionOwner(display_, selection) == window_) {
      const auto& offer = selection == clipboard_ ? offer_ : out_.Offer;
      const std::string* bytes = offer ? offer->Find(command.Target) : nullptr;
      command.Ok = bytes != nullptr;
      if (bytes)
        command.Bytes = *bytes;
      else
        command.Error = "The clipboard holds no " + command.Target;
      return;
    }
    PropertyValue value;
    if (!Convert(target, command.Target, command.Error, selection, time) ||
        !TakeProperty(value, MaxBytes, command.Error))
      return;
    if (value.Type == incr_) {
      // The size announced is at least what will come.
      long announced = 0;
      if (value.Bytes.size() >= sizeof(long)) std::memcpy(&announced, value.Bytes.data(), sizeof(long));
      if (announced < 0 || static_cast<unsigned long>(announced) > MaxBytes) {
        command.Error = "The clipboard holds more than " + Megabytes(MaxBytes) + ": nothing was pasted";
        return;
      }
      if (!ReadIncrementally(command)) return;
    } else {
      if (value.Format != 8 || !ui::AnswerTypeFits(command.Target, NameOf(value.Type))) {
        command.Error = "The program holding the clipboard answered with " + NameOf(value.Type) + " for " +
                        command.Target + ": nothing was pasted";
        return;
      }
      command.Bytes = std::move(value.Bytes);
    }
    command.Ok = true;
  }

  // The pieces of an incremental answer, each taken as it comes; the
  // answer is kept only when it arrived whole within the bounds.
  bool ReadIncrementally(Command& command) {
    std::string bytes;
    const auto overall = Clock::now() + Timeout * 20;
    for (;;) {
      XEvent event;
      const auto deadline = std::min(overall, Clock::now() + Timeout);
      if (!WaitFor(
              [&](const XEvent& e) {
                return e.type == PropertyNotify && e.xproperty.window == window_ &&
                       e.xproperty.atom == transferProperty_ && e.xproperty.state == PropertyNewValue;
              },
              deadline, event)) {
        command.Error = "The program holding the clipboard stopped answering: nothing was pasted";
        XDeleteProperty(display_, window_, transferProperty_);
        return false;
      }
      PropertyValue piece;
      if (!TakeProperty(piece, MaxBytes - bytes.size(), command.Error)) return false;
      if (piece.Bytes.empty()) break;
      if (piece.Format != 8 || !ui::AnswerTypeFits(command.Target, NameOf(piece.Type))) {
        command.Error = "The program holding the clipboard answered with " + NameOf(piece.Type) + " for " +
                        command.Target + ": nothing was pasted";
        return false;
      }
      bytes += piece.Bytes;
    }
    command.Bytes = std::move(bytes);
    return true;
  }

  // ---- the drag-and-drop protocol -----------------------------------------------

  static constexpr long kDndVersion = 5;

  // A window that takes drops, whose messages come to this window.
  void MarkDropWindow(Window window) {
    long version = kDndVersion;
    long proxy = static_cast<long>(window_);
    XChangeProperty(display_, window, xdndAware_, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&version), 1);
    XChangeProperty(display_, window, xdndProxy_, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&proxy), 1);
    XFlush(display_);
  }

  void SendDnd(Window to, Window about, Atom type, long l0, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display_;
    event.xclient.window = about;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    const long data[5] = {l0, l1, l2, l3, l4};
    for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
    XSendEvent(display_, to, False, NoEventMask, &event);
    XFlush(display_);
  }

  Atom ActionOf(DWORD effect) const { return effect == DROPEFFECT_MOVE ? xdndMove_ : xdndCopy_; }
  // Any action but a move (a link, a question) copies.
  DWORD EffectOf(Atom action) const { return action == xdndMove_ ? DROPEFFECT_MOVE : DROPEFFECT_COPY; }

  // A 32-bit property of a window: its first item, or None.
  unsigned long FirstItem(Window window, Atom property, Atom type) {
    Atom actual = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    unsigned long value = None;
    if (XGetWindowProperty(display_, window, property, 0, 1, False, type, &actual, &format, &items, &after,
                           &data) == Success &&
        data && actual == type && format == 32 && items == 1)
      value = *reinterpret_cast<unsigned long*>(data);
    if (data) XFree(data);
    return value;
  }

  void Emit(TDesktopDropEvent event) {
    std::function<void(TDesktopDropEvent)> handler;
    {
      std::lock_guard lock(mutex_);
      handler = dropHandler_;
    }
    if (handler) handler(std::move(event));
  }

  void HandleDragMessage(const XClientMessageEvent& m) {
    if (m.format != 32) return;
    const auto source = static_cast<Window>(m.data.l[0]);
    if (m.message_type == xdndEnter_) {
      in_ = Incoming{};
      in_.Source = source;
      in_.Target = m.window;
      TDesktopDropEvent event;
      event.Kind = TDesktopDropEvent::Enter;
      event.Window = m.window;
      std::vector<std::uint32_t> atoms;
      if (m.data.l[1] & 1) {
        // More than three names: the whole list is on the source window.
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_, source, xdndTypeList_, 0, 1024, False, XA_ATOM, &type, &format,
                               &items, &after, &data) == Success &&
            data && format == 32)
          atoms = ui::ReadTargetsReply(
              std::string_view(reinterpret_cast<const char*>(data), items * sizeof(long)), 32, sizeof(long));
        if (data) XFree(data);
      } else {
        for (int i = 2; i < 5; ++i) {
          const auto atom = static_cast<unsigned long>(m.data.l[i]);
          if (atom != None && atom < (1u << 29)) atoms.push_back(static_cast<std::uint32_t>(atom));
        }
      }
      for (std::uint32_t atom : atoms)
        if (std::string name = NameOf(atom); !name.empty()) event.Targets.push_back(std::move(name));
      Emit(std::move(event));
    } else if (m.message_type == xdndPosition_ || m.message_type == xdndDrop_ ||
               m.message_type == xdndLeave_) {
      if (source != in_.Source || in_.Source == None) return;
      TDesktopDropEvent event;
      event.Window = m.window;
      in_.Target = m.window;
      if (m.message_type == xdndPosition_) {
        in_.X = static_cast<int>((m.data.l[2] >> 16) & 0xFFFF);
        in_.Y = static_cast<int>(m.data.l[2] & 0xFFFF);
        in_.Wanted = EffectOf(static_cast<Atom>(m.data.l[4]));
        event.Kind = TDesktopDropEvent::Position;
      } else if (m.message_type == xdndDrop_) {
        in_.DropTime = static_cast<Time>(m.data.l[2]);
        in_.Dropped = true;
        event.Kind = TDesktopDropEvent::Drop;
      } else {
        event.Kind = TDesktopDropEvent::Leave;
        in_ = Incoming{};
      }
      event.X = in_.X;
      event.Y = in_.Y;
      event.Wanted = in_.Wanted;
      Emit(std::move(event));
    } else if (m.message_type == xdndStatus_) {
      if (source != out_.Target || out_.Target == None) return;
      out_.StatusPending = false;
      out_.Accepted = (m.data.l[1] & 1) != 0;
      out_.Action = static_cast<Atom>(m.data.l[4]);
    }
  }

  // The window under a screen point that takes drops, with the window its
  // messages go to and its version; None where there is none, or where
  // the program's own windows are.
  Window DropWindowAt(int x, int y, Window& proxy, long& version) {
    const Window root = DefaultRootWindow(display_);
    Window at = root;
    for (int depth = 0; depth < 16; ++depth) {
      Window child = None;
      int cx = 0, cy = 0;
      if (!XTranslateCoordinates(display_, root, at, x, y, &cx, &cy, &child) || child == None) return None;
      at = child;
      proxy = at;
      if (const Window named = FirstItem(at, xdndProxy_, XA_WINDOW); named != None) {
        // A proxy counts only when it names itself (else it is left over
        // from a program that ended).
        if (FirstItem(named, xdndProxy_, XA_WINDOW) == named) proxy = named;
      }
      if (proxy == window_) return None;
      version = static_cast<long>(FirstItem(proxy, xdndAware_, XA_ATOM));
      if (version >= 3) return at;
    }
    return None;
  }

  void BeginDrag(std::shared_ptr<const ui::TClipboardOffer> offer) {
    out_ = Outgoing{};
    out_.Offer = std::move(offer);
    out_.Stamp = ServerTime();
    XSetSelectionOwner(display_, xdndSelection_, window_, out_.Stamp);
    for (const auto& [name, bytes] : out_.Offer->Targets)
      out_.Types.push_back(static_cast<long>(Intern(name.c_str())));
    XChangeProperty(display_, window_, xdndTypeList_, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(out_.Types.data()), static_cast<int>(out_.Types.size()));
    XFlush(display_);
  }

  // Waits a while for the status of the last position sent.
  void AwaitStatus(std::chrono::milliseconds bound) {
    XEvent event;
    const auto deadline = Clock::now() + bound;
    while (
        out_.StatusPending &&
        WaitFor(
            [&](const XEvent& e) { return e.type == ClientMessage && e.xclient.message_type == xdndStatus_; },
            deadline, event))
      HandleDragMessage(event.xclient);
  }

  DWORD MoveDrag(int x, int y, DWORD wanted) {
    if (!out_.Offer) return DROPEFFECT_NONE;
    Window proxy = None;
    long version = 0;
    const Window target = DropWindowAt(x, y, proxy, version);
    if (target != out_.Target) {
      LeaveDrag();
      if (target == None) return DROPEFFECT_NONE;
      out_.Target = target;
      out_.Proxy = proxy;
      out_.Version = std::min(version, kDndVersion);
      const std::size_t n = out_.Types.size();
      SendDnd(proxy, target, xdndEnter_, static_cast<long>(window_), out_.Version << 24 | (n > 3 ? 1 : 0),
              n > 0 ? out_.Types[0] : 0, n > 1 ? out_.Types[1] : 0, n > 2 ? out_.Types[2] : 0);
    }
    if (target == None) return DROPEFFECT_NONE;
    // One position at a time: the next waits for the status of this one
    // (briefly, so that a slow program does not hold the pointer).
    if (!out_.StatusPending) {
      out_.StatusPending = true;
      SendDnd(out_.Proxy, target, xdndPosition_, static_cast<long>(window_), 0,
              (x & 0xFFFF) << 16 | (y & 0xFFFF), static_cast<long>(out_.Stamp),
              static_cast<long>(ActionOf(wanted)));
    }
    AwaitStatus(std::chrono::milliseconds(250));
    return out_.Accepted ? EffectOf(out_.Action) : DROPEFFECT_NONE;
  }

  void LeaveDrag() {
    if (out_.Target != None)
      SendDnd(out_.Proxy, out_.Target, xdndLeave_, static_cast<long>(window_), 0, 0, 0, 0);
    out_.Target = out_.Proxy = None;
    out_.StatusPending = out_.Accepted = false;
    out_.Action = None;
  }

  DWORD DropDrag() {
    if (out_.Target == None) return DROPEFFECT_NONE;
    AwaitStatus(Timeout);
    if (!out_.Accepted) {
      LeaveDrag();
      return DROPEFFECT_NONE;
    }
    const Window target = out_.Target;
    SendDnd(out_.Proxy, target, xdndDrop_, static_cast<long>(window_), 0, static_cast<long>(out_.Stamp), 0,
            0);
    // The other program takes the data (answered meanwhile) and says what
    // it did; one that never says has taken nothing the source may lose.
    XEvent event;
    const bool finished = WaitFor(
        [&](const XEvent& e) {
          return e.type == ClientMessage && e.xclient.message_type == xdndFinished_ &&
                 static_cast<Window>(e.xclient.data.l[0]) == target;
        },
        Clock::now() + Timeout, event);
    DWORD effect = DROPEFFECT_NONE;
    if (finished)
      effect = out_.Version < 5                ? EffectOf(out_.Action)
               : (event.xclient.data.l[1] & 1) ? EffectOf(static_cast<Atom>(event.xclient.data.l[2]))
                                               : DROPEFFECT_NONE;
    out_.Target = out_.Proxy = None;
    out_.StatusPending = out_.Accepted = false;
    return effect;
  }

  // A drag from another program over the program's windows.
  struct Incoming {
    Window Source = None;
    Window Target = None;
    int X = 0, Y = 0;
    DWORD Wanted = DROPEFFECT_COPY;
    Time DropTime = CurrentTime;
    bool Dropped = false;
  };

  // The program's drag in another program's window.
  struct Outgoing {
    std::shared_ptr<const ui::TClipboardOffer> Offer;
    std::vector<long> Types;
    Time Stamp = CurrentTime;
    Window Target = None, Proxy = None;
    long Version = 0;
    bool StatusPending = false, Accepted = false;
    Atom Action = None;
  };

  Display* display_;
  Window window_ = 0;
  Atom xdndAware_ = None, xdndProxy_ = None, xdndEnter_ = None, xdndPosition_ = None, xdndStatus_ = None,
       xdndLeave_ = None, xdndDrop_ = None, xdndFinished_ = None, xdndSelection_ = None, xdndTypeList_ = None,
       xdndCopy_ = None, xdndMove_ = None;
  Incoming in_;
  Outgoing out_;
  std::function<void(TDesktopDropEvent)> dropHandler_;
  std::function<void()> ownerHandler_;
  Atom clipboard_ = None, targets_ = None, timestamp_ = None, incr_ = None, utf8String_ = None, text_ = None,
       transferProperty_ = None, timeProperty_ = None;
  std::size_t chunk_ = 0;
  Time ownTime_ = CurrentTime;
  int wake_[2] = {-1, -1};
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable done_;
  std::deque<std::shared_ptr<Command>> queue_;
  // Owned by the serving thread.
  std::shared_ptr<const ui::TClipboardOffer> offer_;
  std::list<Transfer> transfers_;
  std::map<Atom, std::string> names_;
  // The owner that last let a request time out, asked again only later.
  Window silentOwner_ = None;
  int fixesEvent_ = -1;
  Clock::time_point silentUntil_;
};

}  // namespace

std::unique_ptr<TX11Desktop> OpenX11Clipboard() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  ourDisplay = display;
  XErrorHandler before = XSetErrorHandler(OnXError);
  if (before != OnXError) previousHandler = before;
  return std::make_unique<X11Clipboard>(display);
}
