#pragma once
// What a window asks of an X window manager: which functions and
// decorations it offers (the Motif hints every manager reads), whether the
// window is a dialog, whether its size is fixed, and whether it belongs
// above another window of the program. Free of the class library's names,
// which clash with Xlib's.

// The Motif hint's bits, as window managers read them.
namespace mwm {
constexpr unsigned long HintsFunctions = 1ul << 0, HintsDecorations = 1ul << 1;
constexpr unsigned long FuncResize = 1ul << 1, FuncMove = 1ul << 2, FuncMinimize = 1ul << 3,
                        FuncMaximize = 1ul << 4, FuncClose = 1ul << 5;
constexpr unsigned long DecorBorder = 1ul << 1, DecorResizeHandle = 1ul << 2, DecorTitle = 1ul << 3,
                        DecorMenu = 1ul << 4, DecorMinimize = 1ul << 5, DecorMaximize = 1ul << 6;
}  // namespace mwm

struct TFrameHints {
  // False: the manager's own choice stands (a sizeable form with every
  // button, a frameless window).
  bool Restricted = false;
  unsigned long Functions = 0;
  unsigned long Decorations = 0;
  // Typed as a dialog rather than a normal window.
  bool Dialog = false;
  // The manager may not resize it: its smallest and largest sizes are its
  // size.
  bool FixedSize = false;
  // Kept above the window of its owner (or of the active form) and
  // minimised with it, never alone.
  bool Transient = false;

  bool operator==(const TFrameHints&) const = default;
};
