#pragma once
// The X clipboard of many formats (the CLIPBOARD selection), held from a
// connection and a window of its own: what the program copies stays there
// while the program runs, whichever of its windows close, and requests
// from other programs are answered at once, however busy the program's
// own windows are. The same connection carries drags between the program
// and others by the display's drag-and-drop protocol: the program's
// windows name its window as the one that takes their drops, and a drag
// leaving the program is run from it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/SystemClipboard.h"

// What another program's drag over one of the program's windows did.
struct TDesktopDropEvent {
  enum Kind { Enter, Position, Leave, Drop } Kind = Enter;
  // The display's number of the program's window under the pointer.
  unsigned long Window = 0;
  // The pointer on the screen.
  int X = 0, Y = 0;
  // What the other program asks for: DROPEFFECT_COPY or _MOVE.
  DWORD Wanted = DROPEFFECT_COPY;
  // The names it offers (Enter).
  std::vector<std::string> Targets;
};

class TX11Desktop : public ui::TSystemClipboard, public ui::TDesktopDrag {
 public:
  // Window (the display's number of a window of the program) takes drops
  // from other programs through this connection.
  virtual void AcceptDrops(unsigned long window) = 0;
  // Where drop events go; called on the connection's own thread, so the
  // handler hands them on to the program's.
  virtual void OnDropEvent(std::function<void(TDesktopDropEvent)> handler) = 0;
  // Told, on the connection's own thread, whenever another program takes
  // the clipboard or its owner goes, so that the program's windows that
  // watch the clipboard hear of it.
  virtual void OnOwnerChange(std::function<void()> handler) = 0;
  // The answer to the last position of the drag: the effect the window
  // under the pointer would take (DROPEFFECT_NONE refuses).
  virtual void AnswerPosition(DWORD effect) = 0;
  // The bytes of one name the dragging program offers.
  virtual ui::TClipboardRead ReadDropped(const std::string& target) = 0;
  // Tells the dragging program the drop is over, with the effect taken.
  virtual void FinishDrop(DWORD effect) = 0;
};

// Null where no X display can be opened.
std::unique_ptr<TX11Desktop> OpenX11Clipboard();
