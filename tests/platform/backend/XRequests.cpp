#include "XRequests.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

Display* DisplayOf(SDL_Window* window, Window& own) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  own = info.info.x11.window;
  return info.info.x11.display;
}

void SendToMissingWindowThrough(Display* x) {
  const Window gone = 0x7ffffff0;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = gone;
  event.xclient.format = 32;
  event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  XSendEvent(x, gone, False, NoEventMask, &event);
  XSync(x, False);
}

}  // namespace

void SendToMissingWindow(SDL_Window* any) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(any, &info) || info.subsystem != SDL_SYSWM_X11) return;
  SendToMissingWindowThrough(info.info.x11.display);
}

void SendToMissingWindowOn(const char* display) {
  Display* x = XOpenDisplay(display);
  if (!x) return;
  SendToMissingWindowThrough(x);
  XCloseDisplay(x);
}

void AskWindowManagerToMaximise(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  Display* x = info.info.x11.display;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = info.info.x11.window;
  event.xclient.format = 32;
  event.xclient.message_type = XInternAtom(x, "_NET_WM_STATE", False);
  event.xclient.data.l[0] = 1;  // add
  event.xclient.data.l[1] = static_cast<long>(XInternAtom(x, "_NET_WM_STATE_MAXIMIZED_VERT", False));
  event.xclient.data.l[2] = static_cast<long>(XInternAtom(x, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
  event.xclient.data.l[3] = 1;  // a normal program's request
  XSendEvent(x, DefaultRootWindow(x), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(x);
}

std::vector<long> WindowProperty(SDL_Window* window, const char* name) {
  Window own = 0;
  Display* x = DisplayOf(window, own);
  std::vector<long> items;
  if (!x) return items;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x, own, XInternAtom(x, name, False), 0, 1024, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) == Success &&
      data && format == 32) {
    // Xlib hands 32-bit items as longs.
    const long* values = reinterpret_cast<const long*>(data);
    items.assign(values, values + count);
  }
  if (data) XFree(data);
  return items;
}

std::vector<std::string> WindowAtomNames(SDL_Window* window, const char* name) {
  Window own = 0;
  Display* x = DisplayOf(window, own);
  std::vector<std::string> names;
  if (!x) return names;
  for (long atom : WindowProperty(window, name)) {
    char* text = XGetAtomName(x, static_cast<Atom>(atom));
    names.emplace_back(text ? text : "");
    if (text) XFree(text);
  }
  return names;
}

unsigned long TransientFor(SDL_Window* window) {
  Window own = 0, owner = 0;
  Display* x = DisplayOf(window, own);
  if (!x || !XGetTransientForHint(x, own, &owner)) return 0;
  return owner;
}

bool SizeLimits(SDL_Window* window, int& minWidth, int& minHeight, int& maxWidth, int& maxHeight) {
  Window own = 0;
  Display* x = DisplayOf(window, own);
  if (!x) return false;
  XSizeHints hints{};
  long supplied = 0;
  if (!XGetWMNormalHints(x, own, &hints, &supplied)) return false;
  minWidth = minHeight = 0;
  maxWidth = maxHeight = 1 << 30;
  if (hints.flags & PMinSize) minWidth = hints.min_width, minHeight = hints.min_height;
  if (hints.flags & PMaxSize) maxWidth = hints.max_width, maxHeight = hints.max_height;
  return (hints.flags & (PMinSize | PMaxSize)) != 0;
}
