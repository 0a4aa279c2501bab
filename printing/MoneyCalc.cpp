#include "printing/MoneyCalc.h"

#include <charconv>
#include <cstdio>

#include "platform/rtl/SysUtils.h"

AnsiString FormatCalcValue(long double value) {
  // A zero from a negative product shows as the zero the user expects.
  if (value == 0) return "0";
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%.15Lg", value);
  AnsiString text(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
  // Whatever the C library's locale put there, the point shown is the
  // user's decimal separator.
  for (char& c : text)
    if (c == ',' || c == '.') c = DecimalSeparator;
  return text;
}

long double CalcTextValue(const AnsiString& text) {
  AnsiString plain = text;
  for (char& c : plain)
    if (c == DecimalSeparator) c = '.';
  long double value = 0;
  const char* end = plain.data() + plain.size();
  const auto [ptr, ec] = std::from_chars(plain.data(), end, value);
  if (ec != std::errc() || ptr != end) return 0;
  return value;
}

void TMoneyCalculator::Evaluate() {
  const long double v = CalcTextValue(Text);
  switch (Pending) {
    case TCalcOp::Add:
      Accumulator += v;
      break;
    case TCalcOp::Multiply:
      Accumulator *= v;
      break;
    case TCalcOp::Subtract:
      Accumulator -= v;
      break;
    case TCalcOp::Divide:
      Accumulator = v == 0 ? 0 : Accumulator / v;
      break;
    case TCalcOp::None:
      Accumulator = v;
      break;
  }
  Text = FormatCalcValue(Accumulator);
  NewNumber = true;
}

void TMoneyCalculator::Key(int tag) {
  if (tag >= 0 && tag <= 9) {
    const char digit = static_cast<char>('0' + tag);
    if (Text == "0" || NewNumber) {
      Text = AnsiString(1, digit);
      NewNumber = false;
    } else {
      Text += digit;
    }
    return;
  }
  switch (tag) {
    case ckAdd:
    case ckSubtract:
    case ckMultiply:
    case ckDivide:
      Evaluate();
      Pending = tag == ckAdd        ? TCalcOp::Add
                : tag == ckSubtract ? TCalcOp::Subtract
                : tag == ckMultiply ? TCalcOp::Multiply
                                    : TCalcOp::Divide;
      break;
    case ckEquals:
      Evaluate();
      Accumulator = CalcTextValue(Text);
      Pending = TCalcOp::None;
      break;
    case ckPercent:
      Text = FormatCalcValue(Accumulator * CalcTextValue(Text) / 100);
      break;
    case ckSign:
      if (Text.find('-') != AnsiString::npos)
        Text.erase(0, 1);
      else
        Text.insert(0, 1, '-');
      break;
    case ckPoint:
      if (Text.find(DecimalSeparator) == AnsiString::npos) Text += DecimalSeparator;
      break;
    case ckClear:
      Text = "0";
      Accumulator = 0;
      Pending = TCalcOp::None;
      break;
    default:
      break;
  }
}

void TMoneyCalculator::KeypadBackspace() {
  if (!Text.empty()) Text.pop_back();
  if (Text.empty()) Text = "0";
}

void TMoneyCalculator::TypedClear() {
  Key(ckClear);
  NewNumber = true;
}

void TMoneyCalculator::Extra(int index, const std::function<void(int, long double&)>& handler) {
  if (!handler) return;
  const long double before = CalcTextValue(Text.empty() ? AnsiString("0") : Text);
  long double value = before;
  handler(index, value);
  if (value != before) Text = FormatCalcValue(value);
}

TCalcKeypadLayout CalcKeypadLayout(int W, int H, const AnsiString (&extras)[4]) {
  static const struct {
    int tag;
    const char* caption;
    int col, row;
  } kKeys[] = {
      {7, "7 ", 0, 0},          {8, "8 ", 1, 0},        {9, "9 ", 2, 0},        {ckAdd, "+ ", 3, 0},
      {4, "4 ", 0, 1},          {5, "5 ", 1, 1},        {6, "6 ", 2, 1},        {ckSubtract, "- ", 3, 1},
      {ckPercent, "% ", 4, 1},  {1, "1 ", 0, 2},        {2, "2 ", 1, 2},        {3, "3 ", 2, 2},
      {ckMultiply, "* ", 3, 2}, {ckClear, "C ", 4, 2},  {0, "0 ", 0, 3},        {ckSign, "+/- ", 1, 3},
      {ckPoint, ". ", 2, 3},    {ckDivide, "/ ", 3, 3}, {ckEquals, "= ", 4, 3},
  };
  TCalcKeypadLayout layout;
  auto at = [&](int col, int row) {
    const int x = 2 + (W + 2) * col, y = 2 + (H + 2) * row;
    return TRect{x, y, x + W, y + H};
  };
  for (const auto& k : kKeys) layout.Keys.push_back({k.tag, k.caption, at(k.col, k.row)});
  bool anyExtra = false;
  for (int i = 0; i < 4; ++i) {
    if (extras[i].empty()) continue;
    anyExtra = true;
    layout.Keys.push_back({19 + i, extras[i] + " ", at(5, i)});
  }
  layout.Width = (W + 2) * (anyExtra ? 6 : 5) + 4;
  layout.Height = (H + 2) * 4 + 4;
  return layout;
}

TPoint CalcKeypadPosition(const TRect& editOnScreen, int keypadHeight, int screenHeight) {
  if (editOnScreen.Bottom + keypadHeight > screenHeight)
    return {editOnScreen.Left, editOnScreen.Top - keypadHeight};
  return {editOnScreen.Left, editOnScreen.Bottom};
}
