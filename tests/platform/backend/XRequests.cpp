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
