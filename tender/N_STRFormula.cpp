// The formula evaluator: a shift-reduce parser over the grammar
//   E -> E + T | E - T | T        T -> T * F | T / F | F
//   F -> X ^ F | X                X -> - Y | Y
//   Y -> cell : cell | U
//   U -> cell | ( E ) | number | f1 ( E ) | f2 ( E ) | f2 ( E , E )
// that computes the value during the reductions. The parse stack holds at
// most 30 records; deeper nesting is a syntax error. A math error lets the
// parse run on and makes the result 0.

#include <charconv>
#include <cmath>
#include <numbers>

#include "tender/N_STR.h"

TCellValueSource CellValueSource = nullptr;
TRoundingSource RoundingSource = nullptr;
TFormulaBeep FormulaBeep = nullptr;

namespace {

// Token kinds keep their codes; the grammar's non-terminals follow.
enum Symbol : Byte {
  Plus = 0,
  Minus = 1,
  Times = 2,
  Divide = 3,
  Power = 4,
  Colon = 5,
  Open = 6,
  Close = 7,
  Number = 8,
  Cell = 9,
  Function1 = 10,
  EndOfText = 11,
  BadToken = 12,
  Comma = 13,
  Function2 = 14,
  Bottom = 20,
  NonE,
  NonT,
  NonF,
  NonX,
  NonY,
  NonU,
};

enum Function : Byte {
  Abs,
  Atan,
  Acos,
  Asin,
  Cos,
  Tan,
  Exp,
  Ln,
  Log,
  Strog,
  Sin,
  CyclR,
  CyclD,
  Sqrt,
  Sqr,
  Trunc,
  Round,
  Mod,
  Hypot
};

struct FunctionName {
  std::string_view name;
  Function function;
};

// Tried in this order, each as a prefix of the remaining text: SQRT before
// SQR, the one-argument functions before the two-argument ones.
constexpr FunctionName FunctionNames[] = {
    {"ABS", Abs},     {"ATAN", Atan},   {"ACOS", Acos},   {"ASIN", Asin},   {"COS", Cos},
    {"TAN", Tan},     {"EXP", Exp},     {"LN", Ln},       {"LOG", Log},     {"STROG", Strog},
    {"SIN", Sin},     {"CYCLR", CyclR}, {"CYCLD", CyclD}, {"SQRT", Sqrt},   {"SQR", Sqr},
    {"TRUNC", Trunc}, {"ROUND", Round}, {"MOD", Mod},     {"HYPOT", Hypot},
};

constexpr int StackSize = 30;
constexpr long double Degree = std::numbers::pi_v<long double> / 180;

struct Record {
  Byte symbol = Bottom;
  bool unary = false;  // a minus sign that negates its operand
  double value = 0;
  Word column = 0, row = 0;
  Function function = Abs;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The text as the tokens see it: decimal characters made ".", the
// letter pi written out, "%" as a division by 100, carriage returns
// dropped, ASCII letters in upper case, and the square sign (code 253) as
// the power of 2.
AnsiString PrepareText(std::string_view text) {
  AnsiString dotted(text);
  DotDecimals(dotted);
  AnsiString prepared;
  prepared.reserve(dotted.size());
  for (char c : dotted) {
    switch (static_cast<unsigned char>(c)) {
      case 0xF0:  // π
        prepared += "3.1416";
        break;
      case '%':
        prepared += "/100";
        break;
      case '\r':
        break;
      case 253:
        prepared += "^2";
        break;
      default:
        prepared += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
  }
  return prepared;
}

class Evaluator {
 public:
  explicit Evaluator(std::string_view text) : text_(text) {}

  double Run(Word& attribute) {
    Push(Record{});
    Record token = NextToken();
    bool accepted = false;
    while (!syntaxError_) {
      ReduceBefore(token.symbol);
      if (syntaxError_) break;
      if (token.symbol == EndOfText) {
        accepted = depth_ == 2 && Top().symbol == NonE;
        break;
      }
      if (!Shift(token)) break;
      token = NextToken();
    }
    if (!accepted || syntaxError_) {
      attribute = FormulaSyntaxError;
      return 0;
    }
    attribute = cellFlag_ ? FormulaWithCells : FormulaValid;
    if (mathError_) {
      attribute += FormulaMathError;
      return 0;
    }
    const double value = Top().value;
    if (value > 1e38) return 1e38;
    if (value < -1e38) return -1e38;
    return value;
  }

 private:
  // ---- tokens ---------------------------------------------------------------

  Record NextToken() {
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ') ++pos_;
    Record token;
    if (pos_ >= text_.size()) {
      token.symbol = EndOfText;
      return token;
    }
    const char c = text_[pos_];
    if (IsDigit(c) || c == '.') return ReadNumber();
    if (IsLetter(c)) return ReadName();
    ++pos_;
    switch (c) {
      case '+':
        token.symbol = Plus;
        break;
      case '-':
        token.symbol = Minus;
        break;
      case '*':
        token.symbol = Times;
        break;
      case '/':
        token.symbol = Divide;
        break;
      case '^':
        token.symbol = Power;
        break;
      case ':':
        token.symbol = Colon;
        break;
      case '(':
        token.symbol = Open;
        break;
      case ')':
        token.symbol = Close;
        break;
      case ',':
        token.symbol = Comma;
        break;
      default:
        token.symbol = BadToken;
    }
    return token;
  }

  Record ReadNumber() {
    Record token;
    token.symbol = Number;
    const size_t start = pos_;
    if (text_[pos_] == '.') {
      ++pos_;
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
      if (pos_ == start + 1) {
        token.symbol = BadToken;  // a lone "."
        return token;
      }
    } else {
      while (pos_ < text_.size() && (IsDigit(text_[pos_]) || text_[pos_] == '.')) ++pos_;
    }
    if (pos_ < text_.size() && text_[pos_] == 'E') {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      for (int digits = 0; digits < 3 && pos_ < text_.size() && IsDigit(text_[pos_]); ++digits) ++pos_;
    }
    const std::string_view number = text_.substr(start, pos_ - start);
    // A number without a point and longer than 38 characters stands for
    // 10^36. Long decimals after a point are read as they are.
    if (number.find('.') == std::string_view::npos && number.size() > 38) {
      token.value = 1e36;
      return token;
    }
    double value = 0;
    const auto parsed = std::from_chars(number.data(), number.data() + number.size(), value);
    if (parsed.ptr != number.data() + number.size()) {
      mathError_ = true;  // two points, or an exponent without digits
    } else if (parsed.ec == std::errc::result_out_of_range) {
      if (TooLarge(number)) mathError_ = true;
      value = 0;  // too small for a double: it is 0
    }
    token.value = value;
    return token;
  }

  // Whether a number that is out of the double range is so by its size.
  static bool TooLarge(std::string_view number) {
    const size_t exponentAt = number.find('E');
    const std::string_view mantissa = number.substr(0, exponentAt);
    int exponent = 0;
    if (exponentAt != std::string_view::npos) {
      std::string_view digits = number.substr(exponentAt + 1);
      const bool negative = !digits.empty() && digits[0] == '-';
      if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
      std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
      if (negative) exponent = -exponent;
    }
    // Decimal magnitude: digits before the point, less the zeros after it.
    const size_t point = mantissa.find('.');
    const std::string_view integer = mantissa.substr(0, point);
    const size_t firstNonZero = integer.find_first_not_of('0');
    if (firstNonZero != std::string_view::npos)
      return static_cast<int>(integer.size() - firstNonZero) + exponent > 0;
    return false;
  }

  Record ReadName() {
    Record token;
    const std::string_view rest = text_.substr(pos_);
    for (const auto& entry : FunctionNames) {
      if (rest.starts_with(entry.name)) {
        pos_ += entry.name.size();
        token.symbol = entry.function >= Round ? Function2 : Function1;
        token.function = entry.function;
        return token;
      }
    }
    return ReadCellReference();
  }

  // One or two letters, then 1 to 4 digits: column up to 676, row up to 1000.
  Record ReadCellReference() {
    Record token;
    token.symbol = BadToken;
    const size_t start = pos_;
    int column = text_[pos_++] - 'A' + 1;
    if (pos_ < text_.size() && IsLetter(text_[pos_])) column = column * 26 + (text_[pos_++] - 'A' + 1);
    int row = 0;
    int digits = 0;
    while (digits < 4 && pos_ < text_.size() && IsDigit(text_[pos_])) {
      row = row * 10 + (text_[pos_++] - '0');
      ++digits;
    }
    if (digits == 0) {
      if (text_.substr(start, pos_ - start) != "PI") return token;
      column = 'P' - 'A' + 1;  // "PI" reads as column P, row 0
    }
    if (column > 676 || row > 1000) return token;
    token.symbol = Cell;
    token.column = static_cast<Word>(column);
    token.row = static_cast<Word>(row);
    cellFlag_ = true;
    return token;
  }

  // ---- the stack --------------------------------------------------------------

  Record& Top() { return stack_[depth_ - 1]; }
  // The record n places below the top; the bottom record stands below all.
  const Record& Below(int n) const {
    static const Record bottom;
    return depth_ - 1 - n >= 0 ? stack_[depth_ - 1 - n] : bottom;
  }
  Byte SymbolBelow(int n) const { return Below(n).symbol; }

  bool Push(const Record& record) {
    if (depth_ == StackSize) {
      syntaxError_ = true;
      return false;
    }
    stack_[depth_++] = record;
    return true;
  }

  // Replaces the top `count` records with a non-terminal of this value.
  void Replace(int count, Byte symbol, double value) {
    depth_ -= count;
    Record record;
    record.symbol = symbol;
    record.value = Checked(value);
    stack_[depth_++] = record;
  }

  // A result outside the double range is a math error, never a value.
  double Checked(long double value) {
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<double>::max()) {
      mathError_ = true;
      return 0;
    }
    return static_cast<double>(value);
  }

  double MathError() {
    mathError_ = true;
    return 0;
  }

  // ---- reductions --------------------------------------------------------------

  void ReduceBefore(Byte lookahead) {
    while (!syntaxError_) {
      Record& top = Top();
      switch (top.symbol) {
        case Number:
          top.symbol = NonU;
          break;
        case Cell:
          if (SymbolBelow(1) == Colon && SymbolBelow(2) == Cell) {
            ReduceRange();
          } else if (lookahead == Colon) {
            return;
          } else {
            top.symbol = NonU;
            top.value = CellValue(top.column, top.row);
          }
          break;
        case NonU:
          top.symbol = NonY;
          break;
        case NonY:
          if (SymbolBelow(1) == Minus && Below(1).unary)
            Replace(2, NonX, -top.value);
          else
            top.symbol = NonX;
          break;
        case NonX:
          if (lookahead == Power) return;
          top.symbol = NonF;
          break;
        case NonF:
          if (SymbolBelow(1) == Power)
            Replace(3, NonF, Raise(Below(2).value, top.value));
          else if (SymbolBelow(1) == Times)
            Replace(3, NonT, Multiply(Below(2).value, top.value));
          else if (SymbolBelow(1) == Divide)
            Replace(3, NonT,
                    top.value == 0 ? MathError() : static_cast<long double>(Below(2).value) / top.value);
          else
            top.symbol = NonT;
          break;
        case NonT:
          if (lookahead == Times || lookahead == Divide) return;
          if (SymbolBelow(1) == Plus)
            Replace(3, NonE, static_cast<long double>(Below(2).value) + top.value);
          else if (SymbolBelow(1) == Minus && !Below(1).unary)
            Replace(3, NonE, static_cast<long double>(Below(2).value) - top.value);
          else
            top.symbol = NonE;
          break;
        default:
          return;
      }
    }
  }

  void ReduceRange() {
    const Record last = Top();
    const Record first = Below(2);
    long double sum = 0;
    if (first.row == last.row) {
      if (first.column > last.column) {
        syntaxError_ = true;
        return;
      }
      for (int column = first.column; column <= last.column; ++column) sum += CellValue(column, first.row);
    } else if (first.column == last.column) {
      if (first.row > last.row) {
        syntaxError_ = true;
        return;
      }
      for (int row = first.row; row <= last.row; ++row) sum += CellValue(first.column, row);
    } else {
      syntaxError_ = true;
      return;
    }
    Replace(3, NonY, sum);
  }

  static double CellValue(int column, int row) {
    return CellValueSource ? CellValueSource(static_cast<Word>(column), static_cast<Word>(row)) : 0;
  }

  long double Multiply(double a, double b) {
    if (a == 0 || b == 0) return 0;
    // Products beyond e^87 are held at 10^37, with their sign.
    if (std::log(std::fabs(static_cast<long double>(a))) + std::log(std::fabs(static_cast<long double>(b))) >=
        87)
      return (a < 0) == (b < 0) ? 1e37 : -1e37;
    return static_cast<long double>(a) * b;
  }

  long double Raise(double base, double exponent) {
    if (base <= 0) return MathError();
    const long double power = exponent * std::log(static_cast<long double>(base));
    if (power < -88 || power > 88) return MathError();
    return std::exp(power);
  }

  // ---- shifts ---------------------------------------------------------------------

  // Whether the top of the stack waits for an operand.
  bool OperandExpected() const {
    switch (Below(0).symbol) {
      case Bottom:
      case Open:
      case Comma:
      case Plus:
      case Minus:
      case Times:
      case Divide:
      case Power:
        return true;
      default:
        return false;
    }
  }

  bool Shift(Record token) {
    const Record& top = Below(0);
    const bool afterUnaryMinus = top.symbol == Minus && top.unary;
    bool allowed = false;
    switch (token.symbol) {
      case Number:
      case Function1:
        allowed = OperandExpected();
        break;
      case Cell:
        allowed = OperandExpected() || top.symbol == Colon;
        break;
      case Open:
        allowed = OperandExpected() || top.symbol == Function1 || top.symbol == Function2;
        break;
      case Function2:
        // After a unary minus a two-argument call needs parentheses.
        allowed = OperandExpected() && !afterUnaryMinus;
        break;
      case Minus:
        if (top.symbol == NonE) {
          allowed = true;
        } else if (OperandExpected() && !afterUnaryMinus) {
          token.unary = true;
          allowed = true;
        }
        break;
      case Plus:
        allowed = top.symbol == NonE;
        break;
      case Times:
      case Divide:
        allowed = top.symbol == NonT;
        break;
      case Power:
        allowed = top.symbol == NonX;
        break;
      case Colon:
        allowed = top.symbol == Cell;
        break;
      case Comma:
        allowed = top.symbol == NonE && SymbolBelow(1) == Open && SymbolBelow(2) == Function2;
        break;
      case Close:
        return CloseParenthesis();
      default:
        break;
    }
    if (!allowed) {
      syntaxError_ = true;
      return false;
    }
    return Push(token);
  }

  bool CloseParenthesis() {
    if (Below(0).symbol != NonE) {
      syntaxError_ = true;
      return false;
    }
    if (SymbolBelow(1) == Open) {
      const Record& callee = Below(2);
      if (callee.symbol == Function1 || callee.symbol == Function2) {
        // A two-argument call given one argument takes 0 for the second.
        const double result = callee.symbol == Function1 ? Apply1(callee.function, Below(0).value)
                                                         : Apply2(callee.function, Below(0).value, 0);
        Replace(3, NonU, result);
      } else {
        Replace(2, NonU, Below(0).value);
      }
      return true;
    }
    if (SymbolBelow(1) == Comma && SymbolBelow(2) == NonE && SymbolBelow(3) == Open &&
        SymbolBelow(4) == Function2) {
      Replace(5, NonU, Apply2(Below(4).function, Below(2).value, Below(0).value));
      return true;
    }
    syntaxError_ = true;
    return false;
  }

  // ---- functions --------------------------------------------------------------------

  double OutsideUnitRange() {
    if (FormulaBeep) FormulaBeep();
    return MathError();
  }

  double Apply1(Function function, double argument) {
    const long double v = argument;
    switch (function) {
      case Abs:
        return std::fabs(argument);
      case Atan:
        return Checked(std::atan(v) / Degree);
      case Acos:
        if (v < -1 || v > 1) return OutsideUnitRange();
        return Checked(std::acos(v) / Degree);
      case Asin:
        if (v < -1 || v > 1) return OutsideUnitRange();
        if (v == 1) return 90;
        if (v == -1) return -90;
        return Checked(std::atan(v / std::sqrt(1 - v * v)) / Degree);
      case Cos:
        return Checked(std::cos(v * Degree));
      case Tan:
        return Checked(std::sin(v * Degree) / std::cos(v * Degree));
      case Exp:
        if (v < -88 || v > 88) return MathError();
        return Checked(std::exp(v));
      case Ln:
        if (v <= 0) return MathError();
        return Checked(std::log(v));
      case Log:
        if (v <= 0) return MathError();
        return Checked(std::log10(v));
      case Strog:
        // Without the rounding it names, STROG cannot be computed.
        if (!RoundingSource) return MathError();
        return Checked(RoundingSource(argument));
      case Sin:
        return Checked(std::sin(v * Degree));
      case CyclR:
        if (v < -1e18L || v > 1e18L) return MathError();
        return Checked(std::numbers::pi_v<long double> * v * v);
      case CyclD:
        if (v < -1e18L || v > 1e18L) return MathError();
        return Checked(std::numbers::pi_v<long double> * (v / 2) * (v / 2));
      case Sqrt:
        if (v < 0) return MathError();
        return Checked(std::sqrt(v));
      case Sqr:
        if (v < -1e18L || v > 1e18L) return MathError();
        return Checked(v * v);
      case Trunc:
        return RoundDec(0, RoundDec(2, argument) - 0.5);
      default:
        return MathError();
    }
  }

  double Apply2(Function function, double x, double y) {
    switch (function) {
      case Round: {
        if (y < -9 || y > 6) return MathError();
        return RoundDec(static_cast<int>(std::nearbyint(y)), x);
      }
      case Mod: {
        if (CountDecimals(y) > 0) y = RoundDec(0, y - 0.5);
        if (y == 0) return MathError();
        if (CountDecimals(x) > 0) x = RoundDec(0, x - 0.5);
        double q = RoundDec(2, x / y);
        if (CountDecimals(q) > 0) q = RoundDec(0, q - 0.5);
        return Checked(static_cast<long double>(x) - static_cast<long double>(y) * q);
      }
      case Hypot:
        return Checked(std::hypot(static_cast<long double>(x), static_cast<long double>(y)));
      default:
        return MathError();
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
  Record stack_[StackSize];
  int depth_ = 0;
  bool syntaxError_ = false;
  bool mathError_ = false;
  bool cellFlag_ = false;
};

}  // namespace

double EvalFormula(std::string_view text, Word& attribute) {
  const AnsiString prepared = PrepareText(text);
  return Evaluator(prepared).Run(attribute);
}
