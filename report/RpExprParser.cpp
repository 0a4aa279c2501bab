// Turning an expression's text into its element list. The text is split at
// the first operator of the lowest level that stands outside quotes,
// brackets and parentheses; the pieces are parsed in turn, so an operator
// comes before its operands in the list.
#include <cctype>
#include <cmath>
#include <optional>

#include "report/RpExprLibrary.h"

namespace {

// The state of a left-to-right walk: quotes, square brackets, parentheses.
struct ScanState {
  bool inQuotes = false;
  bool inBrackets = false;
  int depth = 0;

  void step(char c) {
    if (c == '\'') {
      if (!inBrackets) inQuotes = !inQuotes;
    } else if (c == '[') {
      if (!inQuotes && !inBrackets) inBrackets = true;
    } else if (c == ']') {
      if (!inQuotes) inBrackets = false;
    } else if (!inQuotes && !inBrackets) {
      if (c == '(') ++depth;
      if (c == ')') --depth;
    }
  }
  bool atTopLevel() const { return depth == 0 && !inQuotes && !inBrackets; }
};

struct Found {
  std::size_t pos;  // 0-based start of the operator
  std::size_t len;
  Byte code;
};

enum class Level { Comparison, Additive, Multiplicative };

bool wordFollows(std::string_view text, std::size_t blank, std::string_view word) {
  if (blank + word.size() >= text.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (std::tolower(static_cast<unsigned char>(text[blank + 1 + k])) != word[k]) return false;
  }
  return true;
}

std::optional<Found> operatorAt(Level level, std::string_view text, std::size_t i) {
  const char c = text[i];
  const char next = text[i + 1];  // the last character is never examined
  switch (level) {
    case Level::Comparison:
      if (c == '<') {
        if (next == '>') return Found{i, 2, rpoNotEqual};
        if (next == '=') return Found{i, 2, rpoLessEqual};
        return Found{i, 1, rpoLess};
      }
      if (c == '=') return Found{i, 1, rpoEqual};
      if (c == '>') return next == '=' ? Found{i, 2, rpoGreaterEqual} : Found{i, 1, rpoGreater};
      break;
    case Level::Additive:
      if (c == '+') return Found{i, 1, rpoAdd};
      if (c == '-') return Found{i, 1, rpoSubtract};
      if (c == ' ' && wordFollows(text, i, "or ")) return Found{i + 1, 2, rpoOr};
      break;
    case Level::Multiplicative:
      if (c == '*') return Found{i, 1, rpoMultiply};
      if (c == '/') return Found{i, 1, rpoDivide};
      if (c == ' ' && wordFollows(text, i, "and ")) return Found{i + 1, 3, rpoAnd};
      break;
  }
  return std::nullopt;
}

// The first operator of the level outside quotes, brackets and parentheses,
// never the leading character (a sign) nor the last.
std::optional<Found> findOperator(Level level, std::string_view text) {
  ScanState state;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    state.step(text[i]);
    if (i >= 1 && state.atTopLevel()) {
      if (auto found = operatorAt(level, text, i)) return found;
    }
  }
  return std::nullopt;
}

// The first argument separator at the top level, the last character not
// examined; npos when none.
std::size_t findSeparator(std::string_view text) {
  ScanState state;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    state.step(text[i]);
    if (state.atTopLevel() && text[i] == RpArgumentSeparator) return i;
  }
  return std::string_view::npos;
}

// a-b+c must mean a-(b-c): the right part of a "-" swaps "+" and "-" (of
// "/", "*" and "/") at its top level, so the chain keeps its meaning.
std::string exchangeTopLevel(std::string_view text, char a, char b) {
  std::string out(text);
  ScanState state;
  for (char& c : out) {
    state.step(c);
    if (!state.atTopLevel()) continue;
    if (c == a) {
      c = b;
    } else if (c == b) {
      c = a;
    }
  }
  return out;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "not" negates only as a word of its own; NOTES is a name.
bool startsWithNotWord(std::string_view s) {
  if (s.size() < 3) return false;
  for (std::size_t k = 0; k < 3; ++k) {
    if (std::tolower(static_cast<unsigned char>(s[k])) != "not"[k]) return false;
  }
  if (s.size() == 3) return true;
  const char c = s[3];
  return !(isAsciiLetter(c) || isDigit(c) || c == '_' || c == '.');
}

struct NestingGuard {
  int& depth;
  explicit NestingGuard(int& d) : depth(d) { ++depth; }
  ~NestingGuard() { --depth; }
};

}  // namespace

void TRpEvaluator::Expression(std::string_view text) {
  const auto found = findOperator(Level::Comparison, text);
  if (!found) {
    SimpleExpression(text);
    return;
  }
  Emit(new TRpEvElementOperator(found->code));
  SimpleExpression(text.substr(0, found->pos));
  SimpleExpression(text.substr(found->pos + found->len));
}

// A chain a+b-c... is walked in a loop, not by recursion, so a long sum
// costs no stack. The exchange of signs after a "-" (or of "*" and "/"
// after a "/") is kept as a flag and applied only to the pieces handed on,
// so a long chain is not copied once per operator.
void TRpEvaluator::chain(std::string_view text, bool additive) {
  const Level level = additive ? Level::Additive : Level::Multiplicative;
  const char a = additive ? '+' : '*';
  const char b = additive ? '-' : '/';
  const Byte codeA = additive ? rpoAdd : rpoMultiply;
  const Byte codeB = additive ? rpoSubtract : rpoDivide;
  const auto operand = [&](std::string_view piece, bool swapped) {
    if (!swapped) {
      additive ? Term(piece) : Factor(piece);
      return;
    }
    const std::string exchanged = exchangeTopLevel(piece, a, b);
    additive ? Term(exchanged) : Factor(exchanged);
  };
  bool swapped = false;
  for (;;) {
    const auto found = findOperator(level, text);
    if (!found) {
      operand(text, swapped);
      return;
    }
    Byte code = found->code;
    if (swapped && (code == codeA || code == codeB)) code = code == codeA ? codeB : codeA;
    Emit(new TRpEvElementOperator(code));
    operand(text.substr(0, found->pos), swapped);
    if (code == codeB) swapped = !swapped;
    text = text.substr(found->pos + found->len);
  }
}

void TRpEvaluator::SimpleExpression(std::string_view text) { chain(text, true); }

void TRpEvaluator::Term(std::string_view text) { chain(text, false); }

void TRpEvaluator::Factor(std::string_view original) {
  const NestingGuard guard(nesting_);
  // Every sub-expression passes through here: the nesting is the number of
  // factors open on the stack.
  if (nesting_ > MaxNesting + 1) {
    EmitError(rpmsg::NestedTooDeeply);
    return;
  }
  const std::string_view text = trimBlanks(original);
  if (text.empty()) {
    EmitError(rpmsg::EmptyOperand);
    return;
  }
  if (startsWithNotWord(text)) {
    Emit(new TRpEvElementNot());
    SimpleExpression(text.substr(3));
    return;
  }
  const char first = text.front();
  const auto closedBy = [&text](char last) { return text.size() >= 2 && text.back() == last; };
  if (isDigit(first)) {
    NumericConstant(text);
  } else if (isAsciiLetter(first)) {
    NameOrCall(text);
  } else if (first == '[') {
    if (closedBy(']')) {
      ParseIdentifier(AnsiString(text.substr(1, text.size() - 2)));
    } else {
      EmitError(Format(rpmsg::Missing, {"]"}));
    }
  } else if (first == '\'') {
    if (closedBy('\'')) {
      Emit(new TRpEvElementString(RpCutString(text.substr(1, text.size() - 2))));
    } else {
      EmitError(Format(rpmsg::Missing, {"'"}));
    }
  } else if (first == '(') {
    if (closedBy(')')) {
      Expression(text.substr(1, text.size() - 2));
    } else {
      EmitError(Format(rpmsg::Missing, {")"}));
    }
  } else if (first == '+') {
    Factor(text.substr(1));
  } else if (first == '-') {
    // Negation is 0 minus the operand.
    const std::string negated = "0-" + std::string(text.substr(1));
    SimpleExpression(negated);
  } else {
    EmitError(Format(rpmsg::ErrorInExpression, {AnsiString(text)}));
  }
}

void TRpEvaluator::NumericConstant(std::string_view whole) {
  const AnsiString text = RpCutString(whole);
  std::size_t i = 0;
  while (i < text.size() && isDigit(text[i])) ++i;
  bool isFloat = false;
  while (i < text.size()) {
    const char c = text[i];
    if (!(c == '+' || c == '-' || c == '.' || isDigit(c) || c == 'E' || c == 'e')) break;
    isFloat = true;
    ++i;
  }
  // Only a number that is no number says so: every report run prepares
  // its expressions' constants.
  const auto illegal = [&text] { return Format(rpmsg::IllegalNumeric, {text}); };
  if (i < text.size()) {
    EmitError(illegal());
    return;
  }
  if (!isFloat) {
    int value = 0;
    if (TryStrToInt(text, value)) {
      Emit(new TRpEvElementConstant(TRpEvResult::OfInteger(value)));
      return;
    }
  }
  // Expressions write decimals with "." whatever the locale.
  AnsiString local = text;
  for (char& c : local) {
    if (c == '.') c = DecimalSeparator;
  }
  Extended value = 0;
  if (TryStrToFloat(local, value) && std::isfinite(static_cast<double>(value))) {
    Emit(new TRpEvElementConstant(TRpEvResult::OfFloat(static_cast<double>(value))));
  } else {
    EmitError(illegal());
  }
}

void TRpEvaluator::NameOrCall(std::string_view text) {
  const std::size_t open = text.find('(');
  if (open == std::string_view::npos) {
    ParseFunction(AnsiString(text), {});
  } else if (text.back() == ')') {
    ParseFunction(AnsiString(text.substr(0, open)), text.substr(open + 1, text.size() - open - 2));
  } else {
    ParseFunction(AnsiString(), {});
  }
}

void TRpEvaluator::ParseFunction(const AnsiString& rawName, std::string_view arguments) {
  const AnsiString name = AnsiUpperCase(rawName);
  RpExprEnsureStarted();
  TRpEvElement* element = RpFunctionLibrary->GetFunction(name);
  if (dynamic_cast<TRpEvElementError*>(element) != nullptr) {
    if (arguments.empty()) {
      delete element;
      ParseIdentifier(name);
    } else {
      Emit(element);
    }
    return;
  }
  Emit(element);
  std::string_view rest = arguments;
  for (;;) {
    const std::size_t sep = findSeparator(rest);
    if (sep == std::string_view::npos) {
      if (!rest.empty()) Expression(rest);
      break;
    }
    Expression(rest.substr(0, sep));
    rest.remove_prefix(sep + 1);
  }
  Emit(new TRpEvElementArgumentEnd());
}

void TRpEvaluator::ParseIdentifier(const AnsiString& name) {
  if (dataSets_ != nullptr) {
    const std::size_t dot = name.find('.');
    const AnsiString setName = dot == AnsiString::npos ? AnsiString() : AnsiUpperCase(name.substr(0, dot));
    const AnsiString fieldName = AnsiUpperCase(dot == AnsiString::npos ? name : name.substr(dot + 1));
    for (int i = 0; i < dataSets_->Count(); ++i) {
      auto* dataSet = static_cast<TDataSet*>(dataSets_->Items(i));
      if (dataSet == nullptr) continue;
      if (!setName.empty() && AnsiUpperCase(dataSet->Name()) != setName) continue;
      if (TField* field = dataSet->FindField(fieldName)) {
        Emit(new TRpEvElementDataField(dataSet, field->Index(), field));
        return;
      }
      // With a data-set name only the first data set of that name counts.
      if (!setName.empty()) break;
    }
  }
  RpExprEnsureStarted();
  if (Environment != nullptr) {
    TRpEvElement* element = Environment->GetFunction(name);
    if (dynamic_cast<TRpEvElementError*>(element) == nullptr) {
      Emit(element);
      return;
    }
    delete element;
  }
  Emit(RpGlobalEnvironment->GetFunction(name));
}

// ---- the evaluator's life ------------------------------------------------------

TRpEvaluator::TRpEvaluator() = default;

TRpEvaluator::~TRpEvaluator() {
  if (prepared_) Unprepare();
}

TList* TRpEvaluator::DataSets() {
  if (dataSets_ == nullptr) {
    ownDataSets_ = std::make_unique<TList>();
    dataSets_ = ownDataSets_.get();
  }
  return dataSets_;
}

void TRpEvaluator::SetDataSets(TList* list) {
  if (list == dataSets_) return;
  dataSets_ = list;
  if (ownDataSets_ && ownDataSets_.get() != list) ownDataSets_.reset();
}

void TRpEvaluator::Prepare(const AnsiString& text) {
  if (prepared_) Unprepare();
  RpExprEnsureStarted();
  RpGlobalEnvironment->Prepare();
  fifo_ = std::make_unique<TRpFiFo>();
  nesting_ = 0;
  Expression(text.empty() ? std::string_view("' '") : std::string_view(text));
  prepared_ = true;
}

// Unpreparing twice counts once: prepare and unprepare of the global
// environment stay paired.
void TRpEvaluator::Unprepare() {
  if (!prepared_) return;
  fifo_.reset();
  if (RpGlobalEnvironment != nullptr) RpGlobalEnvironment->Unprepare();
  prepared_ = false;
}

TRpEvResult TRpEvaluator::Calculate(const AnsiString& text) {
  Prepare(text);
  TRpEvResult result = Value();
  Unprepare();
  return result;
}
