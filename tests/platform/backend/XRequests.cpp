#include "XRequests.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

void SendToMissingWindow(SDL_Window* any) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(any, &info) || info.subsystem != SDL_SYSWM_X11) return;
  Display* x = info.info.x11.display;
  const Window gone = 0x7ffffff0;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = gone;
  event.xclient.format = 32;
  event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  XSendEvent(x, gone, False, NoEventMask, &event);
  XSync(x, False);
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
