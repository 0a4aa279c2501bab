#include "FakeOwner.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct FakeOwner::Impl {
  Display* display = nullptr;
  Window window = 0;
  FakeOwnerKind kind;
  std::atomic<bool> stop{false};
  bool holding = false;
  std::thread thread;
  // The endless transfer's requestor and property.
  Window requestor = 0;
  Atom property = None;

  void Serve() {
    const Atom targets = XInternAtom(display, "TARGETS", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom incr = XInternAtom(display, "INCR", False);
    const Atom png = XInternAtom(display, "image/png", False);
    const std::string piece(1 << 20, 'x');
    while (!stop) {
      while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (kind == FakeOwnerKind::Silent) continue;
        if (event.type == PropertyNotify && kind == FakeOwnerKind::Endless &&
            event.xproperty.state == PropertyDelete && event.xproperty.window == requestor &&
            event.xproperty.atom == property) {
          XChangeProperty(display, requestor, property, utf8, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(piece.data()),
                          static_cast<int>(piece.size()));
          XFlush(display);
          continue;
        }
        if (event.type != SelectionRequest) continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.property = request.property;
        reply.time = request.time;
        if (request.target == targets) {
          long atoms[] = {static_cast<long>(targets), static_cast<long>(utf8)};
          XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                          reinterpret_cast<unsigned char*>(atoms), 2);
        } else if (request.target == utf8 && kind == FakeOwnerKind::WrongType) {
          const char bytes[] = "\x89PNG";
          XChangeProperty(display, request.requestor, request.property, png, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(bytes), 4);
        } else if (request.target == utf8) {
          long size = kind == FakeOwnerKind::Gigabyte ? 1L << 30 : 1000;
          XSelectInput(display, request.requestor, PropertyChangeMask);
          requestor = request.requestor;
          property = request.property;
          XChangeProperty(display, request.requestor, request.property, incr, 32, PropModeReplace,
                          reinterpret_cast<unsigned char*>(&size), 1);
        } else {
          reply.property = None;
        }
        XEvent out{};
        out.xselection = reply;
        XSendEvent(display, request.requestor, False, NoEventMask, &out);
        XFlush(display);
      }
      pollfd fd{ConnectionNumber(display), POLLIN, 0};
      poll(&fd, 1, 50);
    }
  }
};

FakeOwner::FakeOwner(const std::string& name, FakeOwnerKind kind) : impl_(std::make_unique<Impl>()) {
  impl_->kind = kind;
  impl_->display = XOpenDisplay(name.c_str());
  if (!impl_->display) return;
  Display* d = impl_->display;
  impl_->window = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  XSetSelectionOwner(d, clipboard, impl_->window, CurrentTime);
  impl_->holding = XGetSelectionOwner(d, clipboard) == impl_->window;
  impl_->thread = std::thread([this] { impl_->Serve(); });
}

FakeOwner::~FakeOwner() {
  impl_->stop = true;
  if (impl_->thread.joinable()) impl_->thread.join();
  if (impl_->display) XCloseDisplay(impl_->display);
}

bool FakeOwner::Holding() const { return impl_->holding; }
