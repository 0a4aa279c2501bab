// What only the X display itself can tell: the modifier keys held right
// now and the window holding the keyboard. Kept apart from the rest of the
// backend because Xlib's headers define names that clash with ours.
#include "platform/backend/screen/ScreenX11.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

#include "platform/backend/screen/FrameHints.h"

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

void ApplyFrameHints(SDL_Window* window, const TFrameHints& hints, SDL_Window* owner) {
  Window own = 0;
  Display* display = DisplayOf(window, &own);
  if (!display) return;
  if (hints.Restricted) {
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    // Flags, functions, decorations, input mode, status.
    long value[5] = {static_cast<long>(mwm::HintsFunctions | mwm::HintsDecorations),
                     static_cast<long>(hints.Functions), static_cast<long>(hints.Decorations), 0, 0};
    XChangeProperty(display, own, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(value),
                    5);
  }
  if (hints.Dialog) {
    const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display, own, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&dialog), 1);
  }
  if (hints.FixedSize) {
    // The display library fixes a window it made without resizing; said
    // again here so that no manager offers a size the form never takes.
    XSizeHints* size = XAllocSizeHints();
    long supplied = 0;
    if (size) {
      XGetWMNormalHints(display, own, size, &supplied);
      int width = 0, height = 0;
      SDL_GetWindowSize(window, &width, &height);
      size->flags |= PMinSize | PMaxSize;
      size->min_width = size->max_width = width;
      size->min_height = size->max_height = height;
      XSetWMNormalHints(display, own, size);
      XFree(size);
    }
  }
  Window ownerWindow = 0;
  if (hints.Transient && owner && DisplayOf(owner, &ownerWindow) == display && ownerWindow != own)
    XSetTransientForHint(display, own, ownerWindow);
  XFlush(display);
}
