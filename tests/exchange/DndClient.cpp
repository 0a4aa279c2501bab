#include "DndClient.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
}

struct DndClient::Impl {
  Display* display = nullptr;
  std::thread thread;
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::function<void()>> work;

  Atom aware, proxy, enter, position, status, leave, drop, finished, selection, typeList, copy, move, data;

  // ---- the target ----
  Window target = 0;
  Answer answer = Answer::Copy;
  Window dragSource = 0;
  Time dropTime = CurrentTime;
  DropResult dropped;  // under mutex

  // ---- the source ----
  Window source = 0;
  std::vector<std::pair<std::string, std::string>> offer;
  std::vector<Atom> offerAtoms;
  Window dragTarget = 0, dragProxy = 0;
  int dragX = 0, dragY = 0;
  bool dragDrop = true;
  enum class Phase { Idle, FirstStatus, LastStatus, Finishing } phase = Phase::Idle;
  Clock::time_point deadline;
  Time ownTime = CurrentTime;
  DragResult dragged;  // under mutex

  Atom Intern(const char* name) { return XInternAtom(display, name, False); }

  std::string Name(Atom atom) {
    if (atom == None) return {};
    char* name = XGetAtomName(display, atom);
    std::string result = name ? name : "";
    if (name) XFree(name);
    return result;
  }

  void Send(Window to, Window about, Atom type, long l0, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = about;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    const long values[5] = {l0, l1, l2, l3, l4};
    for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = values[i];
    XSendEvent(display, to, False, NoEventMask, &event);
    XFlush(display);
  }

  unsigned long FirstItem(Window window, Atom property, Atom type) {
    Atom actual = None;
    int format = 0;
    unsigned long items = 0, after = 0, value = 0;
    unsigned char* bytes = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1, False, type, &actual, &format, &items, &after,
                           &bytes) == Success &&
        bytes && format == 32 && items == 1)
      value = *reinterpret_cast<unsigned long*>(bytes);
    if (bytes) XFree(bytes);
    return value;
  }

  // A time the server stands by: that of a change to our own window.
  Time ServerTime(Window window) {
    XSelectInput(display, window, PropertyChangeMask);
    XChangeProperty(display, window, data, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    for (;;) {
      XWindowEvent(display, window, PropertyChangeMask, &event);
      if (event.xproperty.atom == data) return event.xproperty.time;
    }
  }

  void Serve() {
    while (!stop) {
      std::deque<std::function<void()>> now;
      {
        std::lock_guard lock(mutex);
        now.swap(work);
      }
      for (auto& job : now) job();
      if (!now.empty()) changed.notify_all();
      while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        Handle(event);
      }
      if (phase != Phase::Idle && Clock::now() > deadline) EndDrag();
      pollfd fd{ConnectionNumber(display), POLLIN, 0};
      poll(&fd, 1, 10);
    }
  }

  void Run(std::function<void()> job) {
    std::unique_lock lock(mutex);
    bool done = false;
    work.push_back([&, job] {
      job();
      std::lock_guard inner(mutex);
      done = true;
    });
    changed.wait(lock, [&] { return done; });
  }

  void Handle(const XEvent& event) {
    if (event.type == SelectionRequest) {
      AnswerRequest(event.xselectionrequest);
      return;
    }
    if (event.type == SelectionNotify && event.xselection.requestor == target) {
      TakeDrop(event.xselection);
      return;
    }
    if (event.type != ClientMessage) return;
    const XClientMessageEvent& m = event.xclient;
    if (m.window == target) OnTargetMessage(m);
    if (m.window == source) OnSourceMessage(m);
  }

  // ---- the target ----

  void OnTargetMessage(const XClientMessageEvent& m) {
    std::lock_guard lock(mutex);
    if (m.message_type == enter) {
      dragSource = static_cast<Window>(m.data.l[0]);
      ++dropped.Enters;
      dropped.Offered.clear();
      if (m.data.l[1] & 1) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* bytes = nullptr;
        if (XGetWindowProperty(display, dragSource, typeList, 0, 256, False, XA_ATOM, &type, &format, &items,
                               &after, &bytes) == Success &&
            bytes)
          for (unsigned long i = 0; i < items; ++i)
            dropped.Offered.push_back(Name(static_cast<Atom>(reinterpret_cast<unsigned long*>(bytes)[i])));
        if (bytes) XFree(bytes);
      } else {
        for (int i = 2; i < 5; ++i)
          if (m.data.l[i]) dropped.Offered.push_back(Name(static_cast<Atom>(m.data.l[i])));
      }
    } else if (m.message_type == position) {
      ++dropped.Positions;
      dropped.Action = Name(static_cast<Atom>(m.data.l[4]));
      const bool accept = answer != Answer::Refuse;
      Send(dragSource, dragSource, status, static_cast<long>(target), accept ? 1 : 0, 0, 0,
           accept ? static_cast<long>(answer == Answer::Copy ? copy : move) : 0);
    } else if (m.message_type == leave) {
      ++dropped.Leaves;
    } else if (m.message_type == drop) {
      ++dropped.Drops;
      dropTime = static_cast<Time>(m.data.l[2]);
      if (answer == Answer::MoveSilently) return;
      if (answer == Answer::Refuse || answer == Answer::MoveButFail) {
        Send(dragSource, dragSource, finished, static_cast<long>(target), 0, 0, 0, 0);
        return;
      }
      for (const char* name : {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"})
        if (std::find(dropped.Offered.begin(), dropped.Offered.end(), name) != dropped.Offered.end()) {
          XConvertSelection(display, selection, Intern(name), data, target, dropTime);
          XFlush(display);
          return;
        }
      Send(dragSource, dragSource, finished, static_cast<long>(target), 0, 0, 0, 0);
    }
  }

  void TakeDrop(const XSelectionEvent& e) {
    std::string text;
    Atom type = None;
    if (e.property != None) {
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* bytes = nullptr;
      if (XGetWindowProperty(display, target, e.property, 0, 1 << 20, True, AnyPropertyType, &type, &format,
                             &items, &after, &bytes) == Success &&
          bytes)
        text.assign(reinterpret_cast<const char*>(bytes), items);
      if (bytes) XFree(bytes);
    }
    std::lock_guard lock(mutex);
    dropped.Text = text;
    dropped.TextType = Name(type);
    const bool ok = e.property != None;
    Send(dragSource, dragSource, finished, static_cast<long>(target), ok ? 1 : 0,
         ok ? static_cast<long>(answer == Answer::Copy ? copy : move) : 0, 0, 0);
  }

  // ---- the source ----

  void AnswerRequest(const XSelectionRequestEvent& request) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    const std::string name = Name(request.target);
    for (const auto& [offered, bytes] : offer)
      if (offered == name && request.selection == selection) {
        XChangeProperty(display, request.requestor, request.property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
        reply.property = request.property;
      }
    XEvent out{};
    out.xselection = reply;
    XSendEvent(display, request.requestor, False, NoEventMask, &out);
    XFlush(display);
  }

  // The window at a screen point that takes drops, as desktop programs
  // find it: down from the root, following a proxy that names itself.
  Window DropWindowAt(int x, int y, Window& via) {
    const Window root = DefaultRootWindow(display);
    Window at = root;
    for (int depth = 0; depth < 16; ++depth) {
      Window child = None;
      int cx = 0, cy = 0;
      if (!XTranslateCoordinates(display, root, at, x, y, &cx, &cy, &child) || child == None) return None;
      at = child;
      via = at;
      if (const Window named = FirstItem(at, proxy, XA_WINDOW);
          named && FirstItem(named, proxy, XA_WINDOW) == named)
        via = named;
      if (FirstItem(via, aware, XA_ATOM) >= 3) return at;
    }
    return None;
  }

  void BeginDrag() {
    ownTime = ServerTime(source);
    XSetSelectionOwner(display, selection, source, ownTime);
    offerAtoms.clear();
    for (const auto& [name, bytes] : offer) offerAtoms.push_back(Intern(name.c_str()));
    std::vector<long> atoms(offerAtoms.begin(), offerAtoms.end());
    XChangeProperty(display, source, typeList, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    dragTarget = DropWindowAt(dragX, dragY, dragProxy);
    if (dragTarget == None) {
      std::lock_guard lock(mutex);
      dragged.Done = true;
      return;
    }
    const std::size_t n = offerAtoms.size();
    Send(dragProxy, dragTarget, enter, static_cast<long>(source), 5L << 24 | (n > 3 ? 1 : 0),
         n > 0 ? static_cast<long>(offerAtoms[0]) : 0, n > 1 ? static_cast<long>(offerAtoms[1]) : 0,
         n > 2 ? static_cast<long>(offerAtoms[2]) : 0);
    // First a little to the left, then on the point.
    SendPosition(dragX - 3, dragY);
    phase = Phase::FirstStatus;
    deadline = Clock::now() + std::chrono::seconds(5);
  }

  void SendPosition(int x, int y) {
    Send(dragProxy, dragTarget, position, static_cast<long>(source), 0, (x & 0xFFFF) << 16 | (y & 0xFFFF),
         static_cast<long>(ownTime), static_cast<long>(copy));
  }

  void OnSourceMessage(const XClientMessageEvent& m) {
    if (static_cast<Window>(m.data.l[0]) != dragTarget) return;
    if (m.message_type == status && phase != Phase::Idle && phase != Phase::Finishing) {
      {
        std::lock_guard lock(mutex);
        dragged.StatusHeard = true;
        dragged.Accepted = m.data.l[1] & 1;
        dragged.StatusAction = Name(static_cast<Atom>(m.data.l[4]));
      }
      if (phase == Phase::FirstStatus) {
        SendPosition(dragX, dragY);
        phase = Phase::LastStatus;
        return;
      }
      if (dragDrop) {
        Send(dragProxy, dragTarget, drop, static_cast<long>(source), 0, static_cast<long>(ownTime), 0, 0);
        phase = Phase::Finishing;
        deadline = Clock::now() + std::chrono::seconds(10);
      } else {
        Send(dragProxy, dragTarget, leave, static_cast<long>(source), 0, 0, 0, 0);
        EndDrag();
      }
    } else if (m.message_type == finished && phase == Phase::Finishing) {
      {
        std::lock_guard lock(mutex);
        dragged.Finished = true;
        dragged.FinishedAccepted = m.data.l[1] & 1;
        dragged.FinishedAction = Name(static_cast<Atom>(m.data.l[2]));
      }
      EndDrag();
    }
  }

  void EndDrag() {
    phase = Phase::Idle;
    std::lock_guard lock(mutex);
    dragged.Done = true;
  }
};

DndClient::DndClient(const std::string& name) : impl_(std::make_unique<Impl>()) {
  Impl& i = *impl_;
  i.display = XOpenDisplay(name.c_str());
  if (!i.display) return;
  i.aware = i.Intern("XdndAware");
  i.proxy = i.Intern("XdndProxy");
  i.enter = i.Intern("XdndEnter");
  i.position = i.Intern("XdndPosition");
  i.status = i.Intern("XdndStatus");
  i.leave = i.Intern("XdndLeave");
  i.drop = i.Intern("XdndDrop");
  i.finished = i.Intern("XdndFinished");
  i.selection = i.Intern("XdndSelection");
  i.typeList = i.Intern("XdndTypeList");
  i.copy = i.Intern("XdndActionCopy");
  i.move = i.Intern("XdndActionMove");
  i.data = i.Intern("DND_CLIENT_DATA");
  i.source = XCreateSimpleWindow(i.display, DefaultRootWindow(i.display), 0, 0, 1, 1, 0, 0, 0);
  XFlush(i.display);
  i.thread = std::thread([this] { impl_->Serve(); });
}

DndClient::~DndClient() {
  impl_->stop = true;
  if (impl_->thread.joinable()) impl_->thread.join();
  if (impl_->display) XCloseDisplay(impl_->display);
}

bool DndClient::Connected() const { return impl_->display != nullptr; }

void DndClient::ShowTarget(int x, int y, int w, int h, Answer answer) {
  Impl& i = *impl_;
  i.Run([&] {
    i.answer = answer;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(i.display, DefaultScreen(i.display));
    i.target = XCreateWindow(i.display, DefaultRootWindow(i.display), x, y, static_cast<unsigned>(w),
                             static_cast<unsigned>(h), 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWOverrideRedirect | CWBackPixel, &attributes);
    long version = 5;
    XChangeProperty(i.display, i.target, i.aware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&version), 1);
    XSelectInput(i.display, i.target, StructureNotifyMask);
    XMapRaised(i.display, i.target);
    XEvent event;
    XWindowEvent(i.display, i.target, StructureNotifyMask, &event);
    while (event.type != MapNotify) XWindowEvent(i.display, i.target, StructureNotifyMask, &event);
    XSync(i.display, False);
  });
}

DndClient::DropResult DndClient::Target() {
  std::lock_guard lock(impl_->mutex);
  return impl_->dropped;
}

void DndClient::StartDrag(int x, int y, std::vector<std::pair<std::string, std::string>> offer, bool drop) {
  Impl& i = *impl_;
  i.Run([&] {
    i.offer = std::move(offer);
    i.dragX = x;
    i.dragY = y;
    i.dragDrop = drop;
    {
      std::lock_guard lock(i.mutex);
      i.dragged = DragResult{};
    }
    i.BeginDrag();
  });
}

DndClient::DragResult DndClient::Drag() {
  std::lock_guard lock(impl_->mutex);
  return impl_->dragged;
}
