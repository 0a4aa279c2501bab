#pragma once
// The four-function calculator behind the money edit: its display text, the
// running result in 80 bits, the pending operation and whether the next
// digit starts a new number. The same keys arrive from the drop-down
// keypad, from keys typed on it and from keys typed into the edit; the few
// differences (Backspace, C) are told apart by where the key came from.
// Nothing here draws, so the arithmetic is tested alone.

#include <functional>
#include <vector>

#include "platform/gfx/Types.h"
#include "platform/rtl/System.h"

enum class TCalcOp { None = -1, Add = 0, Multiply = 1, Subtract = 2, Divide = 3 };

// Key tags as the keypad numbers them: digits 0 to 9, then the operations.
enum TCalcKeyTag {
  ckAdd = 10,
  ckSubtract = 11,
  ckMultiply = 12,
  ckDivide = 13,
  ckSign = 14,
  ckPoint = 15,
  ckClear = 16,
  ckEquals = 17,
  ckPercent = 18,
};

// A value as the calculator shows it: 15 significant digits, the shortest
// form, the user's decimal separator as its point ("1,5" under Greek
// settings).
AnsiString FormatCalcValue(long double value);
// The display text (with the user's decimal separator) as a number; a text
// that is no number counts 0.
long double CalcTextValue(const AnsiString& text);

class TMoneyCalculator {
 public:
  AnsiString Text = "0";
  long double Accumulator = 0;
  TCalcOp Pending = TCalcOp::None;
  bool NewNumber = false;

  // A keypad key by its tag (pressed, or typed on the keypad).
  void Key(int tag);
  // Evaluates the pending operation into the accumulator and shows it.
  void Evaluate();
  // Backspace on the keypad: the last character goes, an empty text is "0".
  void KeypadBackspace();
  // C typed: as the key, and the next digit starts a new number.
  void TypedClear();
  // Extra key I (1 to 4): Handler gets the shown value and may change it;
  // a changed value is shown.
  void Extra(int index, const std::function<void(int index, long double& value)>& handler);
};

// The keys of the drop-down keypad and its size, for keys W × H and the
// captions of up to four extra keys (an empty caption is no key).
struct TCalcKeySpec {
  int Tag;  // 0..18; extra keys 19..22
  AnsiString Caption;
  TRect Bounds;
};
struct TCalcKeypadLayout {
  std::vector<TCalcKeySpec> Keys;
  int Width = 0;
  int Height = 0;
};
TCalcKeypadLayout CalcKeypadLayout(int W, int H, const AnsiString (&extras)[4]);

// Where the keypad drops: below the edit's screen rectangle, or above it
// when the screen has no room below.
TPoint CalcKeypadPosition(const TRect& editOnScreen, int keypadHeight, int screenHeight);
