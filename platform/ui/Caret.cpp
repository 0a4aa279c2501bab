#include "platform/ui/Caret.h"

#include "platform/ui/Controls.h"
#include "platform/ui/MessageLoop.h"

namespace {

constexpr UINT kDefaultBlinkMs = 530;
// The blink runs on a timer of the owner's that its window procedure never
// sees (the timer has a procedure of its own).
constexpr UINT_PTR kBlinkTimer = 0xCA7E;

struct CaretState {
  HWND owner = nullptr;
  bool grey = false;
  int width = 0, height = 0;
  int x = 0, y = 0;
  int hideCount = 0;
  bool on = false;  // the phase of the blink
  UINT blinkMs = kDefaultBlinkMs;
};

CaretState& C() {
  static thread_local CaretState state;
  return state;
}

// A caret whose window went is gone with it (handles are never reused).
bool Live() {
  CaretState& c = C();
  if (c.owner && !ui::FindWindow(c.owner)) c.owner = nullptr;
  return c.owner != nullptr;
}

bool Owns(HWND wnd) { return Live() && (wnd == nullptr || wnd == C().owner); }

void InvalidateCaret() {
  const CaretState& c = C();
  if (auto* control = dynamic_cast<TWinControl*>(ui::FindWindow(c.owner)))
    control->InvalidateRect(Rect(c.x, c.y, c.x + c.width, c.y + c.height));
}

void Blink(HWND, UINT, UINT_PTR, DWORD) {
  if (!Live() || C().hideCount > 0) return;
  C().on = !C().on;
  InvalidateCaret();
}

// The on phase starts again, and with it the blink.
void Restart() {
  CaretState& c = C();
  c.on = true;
  InvalidateCaret();
  if (c.blinkMs == INFINITE)
    KillTimer(c.owner, kBlinkTimer);
  else
    SetTimer(c.owner, kBlinkTimer, c.blinkMs, Blink);
}

}  // namespace

BOOL CreateCaret(HWND wnd, HBITMAP bitmap, int width, int height) {
  if (!ui::FindWindow(wnd)) return 0;
  DestroyCaret();
  CaretState& c = C();
  c.owner = wnd;
  c.grey = bitmap == reinterpret_cast<HBITMAP>(1);
  c.width = width > 0 ? width : 1;
  c.height = height > 0 ? height : 1;
  c.x = c.y = 0;
  c.hideCount = 1;
  c.on = false;
  return 1;
}

BOOL DestroyCaret() {
  if (!Live()) return 0;
  CaretState& c = C();
  KillTimer(c.owner, kBlinkTimer);
  if (c.hideCount == 0 && c.on) InvalidateCaret();
  c.owner = nullptr;
  return 1;
}

BOOL ShowCaret(HWND wnd) {
  if (!Owns(wnd)) return 0;
  CaretState& c = C();
  if (c.hideCount > 0 && --c.hideCount == 0) Restart();
  return 1;
}

BOOL HideCaret(HWND wnd) {
  if (!Owns(wnd)) return 0;
  CaretState& c = C();
  if (c.hideCount++ == 0) {
    KillTimer(c.owner, kBlinkTimer);
    if (c.on) InvalidateCaret();
    c.on = false;
  }
  return 1;
}

BOOL SetCaretPos(int x, int y) {
  if (!Live()) return 0;
  CaretState& c = C();
  if (c.x == x && c.y == y) return 1;
  if (c.hideCount == 0 && c.on) InvalidateCaret();
  c.x = x;
  c.y = y;
  if (c.hideCount == 0) Restart();
  return 1;
}

BOOL GetCaretPos(TPoint* point) {
  if (!point || !Live()) return 0;
  *point = Point(C().x, C().y);
  return 1;
}

UINT GetCaretBlinkTime() { return C().blinkMs; }

BOOL SetCaretBlinkTime(UINT ms) {
  if (ms == 0) return 0;
  C().blinkMs = ms;
  if (Live() && C().hideCount == 0) Restart();
  return 1;
}

namespace ui {

void PaintCaret(HWND wnd, TCanvas& canvas) {
  if (wnd == nullptr || !Owns(wnd)) return;
  const CaretState& c = C();
  if (c.hideCount > 0 || !c.on) return;
  const TPenMode mode = canvas.Pen->Mode;
  const TColor color = canvas.Pen->Color;
  const int width = canvas.Pen->Width;
  canvas.Pen->Width = 1;
  if (c.grey) {
    // Every other pixel: half the caret's rectangle inverted.
    canvas.Pen->Mode = pmNot;
    for (int col = 0; col < c.width; ++col)
      for (int row = (col % 2); row < c.height; row += 2) {
        canvas.MoveTo(c.x + col, c.y + row);
        canvas.LineTo(c.x + col, c.y + row + 1);
      }
  } else {
    canvas.Pen->Mode = pmNot;
    for (int col = 0; col < c.width; ++col) {
      canvas.MoveTo(c.x + col, c.y);
      canvas.LineTo(c.x + col, c.y + c.height);
    }
  }
  canvas.Pen->Mode = mode;
  canvas.Pen->Color = color;
  canvas.Pen->Width = width;
}

TRect ShownCaretRect(HWND wnd) {
  if (wnd == nullptr || !Owns(wnd)) return {};
  const CaretState& c = C();
  if (c.hideCount > 0 || !c.on) return {};
  return Rect(c.x, c.y, c.x + c.width, c.y + c.height);
}

void ResetCaret() { C() = CaretState{}; }

}  // namespace ui
