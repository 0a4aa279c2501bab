#pragma once
// Where the backends hand in what the user did. Keys become key messages for
// the focused window, with the lParam the system would give them (scan code,
// extended bit, Alt context, previous state, transition), so handlers that
// read the keypad from the scan code work.

#include <vector>

#include "platform/ui/Messages.h"

namespace ui::input {

// The PC scan code of a key (set 1); keypad keys keep their own codes and
// the navigation block shares them with the extended bit. 0 when unknown.
int ScanCodeOf(Word vk);
// True for keys that carry the extended bit (arrows, Insert/Delete block,
// right Ctrl/Alt, keypad Enter and "/").
bool IsExtendedKey(Word vk);

// Key down (auto-repeat when the key is already down) and up. Extended marks
// the keypad Enter (VK_RETURN) and similar twins. With Alt down, or for F10,
// the system key messages go out.
void KeyDown(Word vk, bool extended = false);
void KeyUp(Word vk, bool extended = false);
// A character (1253 byte) produced by key Vk (0: derived from the character).
void Char(char ch, Word vk = 0);
// The character Enter types: CR, or LF with Ctrl held (the line break of
// an edit of several lines that does not take Enter for itself).
inline char ReturnCharacter(bool ctrl) { return ctrl ? '\n' : '\r'; }
// A character typed as UTF-16 (an input method's result): one that the code
// page has goes as Char, others as WM_CHAR with the code unit (each half of
// a surrogate pair in turn).
void WideChar(char16_t unit);
// The key that types Ch on the US layout, shifted or not; 0 for characters
// of no key (Greek letters arrive as text).
Word VkOfChar(char ch, bool* shifted = nullptr);

}  // namespace ui::input

class TWinControl;
struct TPoint;

namespace ui::input {

// Mouse input at a point of a top-level window (its own coordinates). The
// message goes to the window holding the capture, or to the enabled window
// under the point; a press within the double-click time and distance of the
// previous one becomes a double click. A press outside an open popup closes
// it; input to a form below a modal one is refused with a beep.
void MouseMove(TWinControl* window, int x, int y);
void MouseButton(TWinControl* window, int button /* 0 left, 1 right, 2 middle */, bool down, int x, int y);
// Delta in wheel units: WHEEL_DELTA (120) per notch, positive away from the
// user.
void MouseWheel(TWinControl* window, int delta, int x, int y);
// The mouse left the window.
void MouseLeave(TWinControl* window);
// Files (1253 names) dropped at a point of a top-level window: WM_DROPFILES
// goes to the window under the point that accepts files, or the nearest
// parent that does; nothing when none does.
void DropFiles(TWinControl* window, int x, int y, const std::vector<AnsiString>& files);
// Names of files dropped from another program (UTF-8, as the desktop gives
// them) in 1253. A name the code page cannot hold refuses the whole drop:
// Names is left empty and the user is told, from the message loop once the
// drop has ended, which name it was. Taken with "?" for what the code page
// lacks, such a name would open or write another file.
bool HeldDroppedNames(const std::vector<std::string>& utf8, std::vector<AnsiString>& names);
// Whether files dropped there would reach a window that takes WM_DROPFILES
// (one with a drop target takes drags instead).
bool AcceptsFiles(TWinControl* window, int x, int y);

// Escape during the move and size loop of a child window: the window goes
// back where the loop found it and the loop ends. False when no loop runs.
bool CancelSizeMove();

// The user resizes a top-level window to Width × Height: a form whose
// border does not size keeps its size, and the window's answer to
// WM_GETMINMAXINFO bounds the new one.
void ResizeWindow(TWinControl* window, int width, int height);

// Lines scrolled per wheel notch (the system setting; 3 unless changed).
UINT WheelScrollLines();
void SetWheelScrollLines(UINT lines);
// Double clicks: at most this many milliseconds apart, and this many pixels.
UINT DoubleClickTime();
constexpr int kDoubleClickDistance = 2;

}  // namespace ui::input
