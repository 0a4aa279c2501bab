// What only the X display itself can tell: the modifier keys held right
// now and the window holding the keyboard. Kept apart from the rest of the
// backend because Xlib's headers define names that clash with ours.
#include "platform/backend/screen/ScreenX11.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdio>

namespace {

int ReportDisplayError(Display* display, XErrorEvent* error) {
  char text[256] = {};
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "The display refused request %d for window 0x%lx: %s\n", error->request_code,
               error->resourceid, text);
  return 0;
}

Display* DisplayOf(SDL_Window* window, Window* own = nullptr) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  if (own) *own = info.info.x11.window;
  return info.info.x11.display;
}

}  // namespace

bool QueryHeldModifiers(SDL_Window* anyWindow, bool& ctrl, bool& shift) {
  Display* display = DisplayOf(anyWindow);
  if (!display) return false;
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned mask = 0;
  if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask))
    return false;
  ctrl = (mask & ControlMask) != 0;
  shift = (mask & ShiftMask) != 0;
  return true;
}

bool QueryPointer(SDL_Window* anyWindow, int& x, int& y, bool& leftHeld) {
  Display* display = DisplayOf(anyWindow);
  if (!display) return false;
  Window root = 0, child = 0;
  int windowX = 0, windowY = 0;
  unsigned mask = 0;
  if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX, &windowY, &mask))
    return false;
  leftHeld = (mask & Button1Mask) != 0;
  return true;
}

bool HoldsKeyboard(SDL_Window* window) {
  Window own = 0;
  Display* display = DisplayOf(window, &own);
  if (!display) return false;
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  return focus == own;
}

unsigned long DisplayWindowId(SDL_Window* window) {
  Window own = 0;
  return DisplayOf(window, &own) ? own : 0;
}

void GiveKeyboard(SDL_Window* window) {
  Window own = 0;
  Display* display = DisplayOf(window, &own);
  if (!display) return;
  // Now, not at the window's last input: a request older than the last
  // focus change would be ignored by the display.
  XSetInputFocus(display, own, RevertToParent, CurrentTime);
  XFlush(display);
}

void SurviveDisplayErrors() { XSetErrorHandler(&ReportDisplayError); }
