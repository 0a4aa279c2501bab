// The grid's filter expressions: conditions joined by and/or operators, each
// a comparison or a wildcard pattern. Typed by the user, so every input must
// end quickly: the wildcard walk backtracks only to the last "*".

#include <algorithm>
#include <string_view>

#include "grid/GridUtil.h"

namespace {

bool IsOperator(char c) { return c == '&' || c == ';' || c == '^' || c == '|'; }

// Step 1: blanks around the operators and "=" go, and so does every "="
// except one right after "<" or ">", which keeps "<=" and ">=" inclusive.
AnsiString NormalizeExpression(const AnsiString& expression) {
  AnsiString trimmed = Trim(expression);
  auto isJoint = [](char c) { return IsOperator(c) || c == '='; };
  AnsiString packed;
  for (size_t i = 0; i < trimmed.size(); ++i) {
    char c = trimmed[i];
    if (c == ' ') {
      size_t next = trimmed.find_first_not_of(' ', i);
      bool beforeJoint = next != AnsiString::npos && isJoint(trimmed[next]);
      bool afterJoint = !packed.empty() && isJoint(packed.back());
      if (beforeJoint || afterJoint) continue;
    }
    packed += c;
  }
  AnsiString result;
  for (size_t i = 0; i < packed.size(); ++i) {
    if (packed[i] == '=' && !(i > 0 && (packed[i - 1] == '<' || packed[i - 1] == '>'))) continue;
    result += packed[i];
  }
  return result;
}

// -1, 0, 1: as numbers when both are numbers, else as dates when both are
// dates, else byte by byte.
int CompareValues(const AnsiString& value, const AnsiString& operand) {
  Extended a = 0, b = 0;
  if (TryStrToFloat(value, a) && TryStrToFloat(operand, b)) return a < b ? -1 : a > b ? 1 : 0;
  TDateTime da = 0, db = 0;
  if (ParseLocaleDate(value, da) && ParseLocaleDate(operand, db)) return da < db ? -1 : da > db ? 1 : 0;
  int c = CompareStr(value, operand);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

struct ComparisonTest {
  bool present = false;
  bool met = false;
};

// The test of the first Sign in the pattern: the operand follows it (an
// "=" right after the sign includes equality), past blanks and an opening
// quote, up to a blank, a quote, an operator or another sign.
ComparisonTest Compare(const AnsiString& pattern, const AnsiString& value, char sign) {
  ComparisonTest test;
  size_t at = pattern.find(sign);
  if (at == AnsiString::npos) return test;
  test.present = true;
  size_t i = at + 1;
  bool orEqual = i < pattern.size() && pattern[i] == '=';
  if (orEqual) ++i;
  while (i < pattern.size() && pattern[i] == ' ') ++i;
  if (i < pattern.size() && pattern[i] == '"') ++i;
  size_t end = i;
  while (end < pattern.size() && std::string_view(" \"&|^<>").find(pattern[end]) == std::string_view::npos)
    ++end;
  int c = CompareValues(value, pattern.substr(i, end - i));
  test.met = sign == '<' ? (c < 0 || (orEqual && c == 0)) : (c > 0 || (orEqual && c == 0));
  return test;
}

// "*" takes any run of characters, "?" exactly one; the walk returns to the
// last "*" only, which finds a match whenever one exists.
bool WildcardMatch(std::string_view pattern, std::string_view value) {
  size_t p = 0, v = 0, star = std::string_view::npos, mark = 0;
  while (v < value.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = v;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == value[v])) {
      ++p;
      ++v;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      v = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

// A comparison absent from the pattern takes no part: "!>5" is "not above
// 5", where counting the missing "<" as met would make every "!" pattern
// with one comparison false.
bool MatchPattern(const AnsiString& Pattern, const AnsiString& Value) {
  bool invert = Pattern.find('!') != AnsiString::npos;
  ComparisonTest less = Compare(Pattern, Value, '<');
  ComparisonTest greater = Compare(Pattern, Value, '>');
  bool result;
  if (less.present || greater.present) {
    bool both = less.present && greater.present;
    if (both && Pattern.find('^') == AnsiString::npos && Pattern.find('&') != AnsiString::npos)
      result = less.met && greater.met;
    else
      result = (less.present && less.met) || (greater.present && greater.met);
  } else {
    AnsiString walk;
    for (char c : Pattern)
      if (c != '!' && c != '"') walk += c;
    result = WildcardMatch(walk, Value);
  }
  return invert ? !result : result;
}

bool MatchCondition(const AnsiString& Condition, const AnsiString& Value, bool CaseSensitive) {
  if (CaseSensitive) return MatchPattern(Condition, Value);
  return MatchPattern(AnsiUpperCase(Condition), AnsiUpperCase(Value));
}

bool MatchFilterExpression(const AnsiString& Expression, const AnsiString& Value, bool CaseSensitive) {
  AnsiString expression = NormalizeExpression(Expression);
  bool result = false;
  char joiner = 0;  // the operator before the current condition; none for the first
  size_t start = 0;
  for (size_t i = 0; i <= expression.size(); ++i) {
    if (i < expression.size() && !IsOperator(expression[i])) continue;
    bool met = MatchCondition(expression.substr(start, i - start), Value, CaseSensitive);
    if (joiner == 0)
      result = met;
    else if (joiner == '&')
      result = result && met;
    else
      result = result || met;
    if (i < expression.size()) joiner = expression[i];
    start = i + 1;
  }
  return result;
}
