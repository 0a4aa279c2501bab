#pragma once
// What the controls share behind the scenes: the top-level windows that are
// showing, the pixels each one paints into with its pending update region,
// the control under the mouse and the one holding the capture, and the
// hooks through which the application object hears of mouse moves and
// escaping exceptions. Not for application code.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/CairoCanvas.h"
#include "platform/ui/Controls.h"

namespace ui {

struct TWindowSurface {
  std::unique_ptr<TImageCanvas> Image;
  // Areas waiting for WM_PAINT, in window coordinates.
  std::vector<TRect> Dirty;
  // The windows invalidated themselves since the last paint (all of them
  // when AllAsked): each is sent WM_PAINT even where its child windows
  // cover all it would repaint, as the system sends it to any window with
  // an update region of its own, and its handler may do more than draw.
  std::vector<const TWinControl*> Asked;
  bool AllAsked = false;
  // Pixels changed outside a paint pass; shown at the next idle moment.
  bool PresentPending = false;
  // Moves on whenever the pixels may change: a paint pass, a canvas handed
  // out for drawing outside one, a new image. No two surfaces ever share a
  // value, so what was drawn on one is never taken for still showing on
  // another.
  std::uint64_t DrawSerial = 0;
};

// Showing top-level windows, bottom first.
const std::vector<TWinControl*>& TopLevels();
void AddTopLevel(TWinControl* window);
void RemoveTopLevel(TWinControl* window);
void RaiseTopLevel(TWinControl* window);
bool IsShownTopLevel(const TWinControl* window);
// The surface of a showing top-level window (nullptr otherwise), sized to
// the window.
TWindowSurface* SurfaceOf(TWinControl* window);
// Adds R (window coordinates) to the window's update region.
void AddDirty(TWinControl* window, const TRect& r);
// Notes that Window, shown in the top-level window Top, has an update
// region of its own.
void AskPaint(TWinControl* top, const TWinControl* window);
// Moves the pixels Window shows inside Area (its client coordinates) by DX,
// DY, as ScrollWindow does (which see), without needing its handle.
void ScrollArea(TWinControl* window, TRect area, int dx, int dy);
// A showing top-level window moved or changed size.
void TopLevelBoundsChanged(TWinControl* window);
// A showing top-level window got a new caption.
void TopLevelCaptionChanged(TWinControl* window);
// Input may reach Window: no modal form above it takes all input.
bool InputAllowed(TWinControl* window);
void PushModal(TWinControl* form);
void PopModal(TWinControl* form);
TWinControl* TopModal();
// Paints the window's update region now (parents before children, each
// clipped to its part of the region) and shows the result.
void PaintTopLevel(TWinControl* window);
// Shows windows whose pixels changed outside a paint pass.
void PresentPending();

// A canvas on Control's pixels outside a paint pass (drawing shows at the
// next idle moment); over a scratch image when the window is not showing.
std::unique_ptr<TCanvas> OutsideCanvas(TControl* control);

TControl*& MouseControlRef();
TControl*& CaptureControlRef();
// A control goes away: forget it wherever it is remembered.
void ForgetControl(TControl* control);

// Set by the application object.
extern std::function<void(TControl*, TMessage&)> HintMouseMessage;
extern std::function<void(TObject* sender)> HandleException;
extern std::function<void(TControl*)> ControlGoing;
// Set by the menus: shows Menu at a screen point for Control.
extern std::function<void(TPopupMenu*, TControl*, TPoint)> ShowPopupMenu;

}  // namespace ui
