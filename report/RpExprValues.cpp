// Values of expressions and the rules by which two of them combine.
#include <cmath>
#include <cstdint>

#include "report/RpExpr.h"

TRpEvResult TRpEvResult::OfInteger(Integer v) {
  TRpEvResult r;
  r.SetInteger(v);
  return r;
}

void TRpEvResult::SetInteger(Integer v) {
  Kind = rpvInteger;
  IntValue = v;
  FloatValue = 0;
  StrValue.clear();
  BoolValue = false;
}

TRpEvResult TRpEvResult::OfFloat(double v) {
  TRpEvResult r;
  r.Kind = rpvFloat;
  r.FloatValue = v;
  return r;
}

TRpEvResult TRpEvResult::OfString(std::string_view v) {
  TRpEvResult r;
  r.Kind = rpvString;
  r.StrValue = RpCutString(v);
  return r;
}

TRpEvResult TRpEvResult::OfBoolean(bool v) {
  TRpEvResult r;
  r.Kind = rpvBoolean;
  r.BoolValue = v;
  return r;
}

TRpEvResult TRpEvResult::OfError(std::string_view message) {
  TRpEvResult r;
  r.Kind = rpvError;
  r.StrValue = RpCutString(message);
  return r;
}

AnsiString RpCutString(std::string_view s) {
  return AnsiString(s.substr(0, std::min<std::size_t>(s.size(), RpMaxStringLength)));
}

AnsiString RpResultToText(const TRpEvResult& value) {
  switch (value.Kind) {
    case rpvInteger:
      return IntToStr(value.IntValue);
    case rpvFloat:
      return FloatToStr(value.FloatValue);
    case rpvBoolean:
      return value.BoolValue ? "True" : "False";
    default:
      return value.StrValue;
  }
}

namespace {

const char* comparisonToken(Byte code) {
  static const char* const tokens[] = {"<", "<=", ">", ">="};
  return tokens[code];
}

const char* verbOf(Byte code) {
  switch (code) {
    case rpoAdd:
      return "add";
    case rpoSubtract:
      return "subtract";
    case rpoMultiply:
      return "multiply";
    default:
      return "divide";
  }
}

TRpEvResult cannot(Byte code, const char* kindWord) {
  return TRpEvResult::OfError(Format(rpmsg::CannotOperate, {verbOf(code), kindWord}));
}

TRpEvResult incompatible(const char* token, const char* kindWord) {
  return TRpEvResult::OfError(Format(rpmsg::OperatorIncompatible, {token, kindWord}));
}

template <typename T>
bool compare(Byte code, const T& a, const T& b) {
  switch (code) {
    case rpoLess:
      return a < b;
    case rpoLessEqual:
      return a <= b;
    case rpoGreater:
      return a > b;
    case rpoGreaterEqual:
      return a >= b;
    case rpoEqual:
      return a == b;
    default:
      return a != b;
  }
}

bool isComparison(Byte code) { return code <= rpoNotEqual; }

// Reports keep the original's 32-bit arithmetic: sums and products wrap.
Integer wrap(std::uint32_t v) { return static_cast<Integer>(v); }

TRpEvResult integerOperation(Byte code, Integer a, Integer b) {
  if (isComparison(code)) return TRpEvResult::OfBoolean(compare(code, a, b));
  const auto ua = static_cast<std::uint32_t>(a);
  const auto ub = static_cast<std::uint32_t>(b);
  switch (code) {
    case rpoAdd:
      return TRpEvResult::OfInteger(wrap(ua + ub));
    case rpoSubtract:
      return TRpEvResult::OfInteger(wrap(ua - ub));
    case rpoMultiply:
      return TRpEvResult::OfInteger(wrap(ua * ub));
    case rpoDivide:
      if (b == 0) return TRpEvResult::OfError(rpmsg::DivideByZero);
      return TRpEvResult::OfFloat(static_cast<double>(static_cast<Extended>(a) / b));
    case rpoOr:
      return TRpEvResult::OfInteger(a | b);
    default:
      return TRpEvResult::OfInteger(a & b);
  }
}

TRpEvResult floatOperation(Byte code, double a, double b) {
  if (isComparison(code)) return TRpEvResult::OfBoolean(compare(code, a, b));
  const Extended x = a, y = b;
  Extended r = 0;
  switch (code) {
    case rpoAdd:
      r = x + y;
      break;
    case rpoSubtract:
      r = x - y;
      break;
    case rpoMultiply:
      r = x * y;
      break;
    case rpoDivide:
      if (b == 0) return TRpEvResult::OfError(rpmsg::DivideByZero);
      r = x / y;
      break;
    case rpoOr:
      return incompatible("OR", "numeric");
    default:
      return incompatible("AND", "numeric");
  }
  const double stored = static_cast<double>(r);
  if (!std::isfinite(stored)) return TRpEvResult::OfError(rpmsg::FloatOverflow);
  return TRpEvResult::OfFloat(stored);
}

TRpEvResult stringOperation(Byte code, const AnsiString& a, const AnsiString& b) {
  if (isComparison(code))
    return TRpEvResult::OfBoolean(compare(code, std::string_view(a), std::string_view(b)));
  switch (code) {
    case rpoAdd:
      return TRpEvResult::OfString(a + b);
    case rpoOr:
      return incompatible("OR", "string");
    case rpoAnd:
      return incompatible("AND", "string");
    default:
      return cannot(code, "string");
  }
}

TRpEvResult booleanOperation(Byte code, bool a, bool b) {
  switch (code) {
    case rpoEqual:
      return TRpEvResult::OfBoolean(a == b);
    case rpoNotEqual:
      return TRpEvResult::OfBoolean(a != b);
    case rpoOr:
      return TRpEvResult::OfBoolean(a || b);
    case rpoAnd:
      return TRpEvResult::OfBoolean(a && b);
    default:
      if (isComparison(code)) return incompatible(comparisonToken(code), "boolean");
      return cannot(code, "boolean");
  }
}

void toString(TRpEvResult& value) {
  if (value.Kind == rpvString) return;
  value.StrValue = RpResultToText(value);
  value.Kind = rpvString;
}

}  // namespace

TRpEvResult RpApplyOperator(Byte code, TRpEvResult left, TRpEvResult right) {
  if (left.Kind == rpvError) return left;
  if (right.Kind == rpvError) return right;
  if (left.Kind != right.Kind) {
    if (left.Kind == rpvInteger && right.Kind == rpvFloat) {
      left = TRpEvResult::OfFloat(left.IntValue);
    } else if (left.Kind == rpvFloat && right.Kind == rpvInteger) {
      right = TRpEvResult::OfFloat(right.IntValue);
    } else {
      toString(left);
      toString(right);
    }
  }
  switch (left.Kind) {
    case rpvInteger:
      return integerOperation(code, left.IntValue, right.IntValue);
    case rpvFloat:
      return floatOperation(code, left.FloatValue, right.FloatValue);
    case rpvString:
      return stringOperation(code, left.StrValue, right.StrValue);
    default:
      return booleanOperation(code, left.BoolValue, right.BoolValue);
  }
}
