#pragma once
// Report expressions: a text is parsed once into a list of elements in
// prefix order and that list is evaluated as often as needed. Bad input
// never raises: parse and run-time errors are values of the error kind.

#include <memory>
#include <string_view>
#include <vector>

#include "platform/db/Db.h"
#include "platform/rtl/Classes.h"

// ---- values ------------------------------------------------------------------

enum TRpEvKind : Byte { rpvInteger = 0, rpvFloat = 1, rpvString = 2, rpvBoolean = 3, rpvError = 4 };

// The value of an expression, copied by value everywhere. Only the part of
// the current kind is meaningful; an error keeps its message in the string.
struct TRpEvResult {
  Byte Kind = rpvInteger;
  Integer IntValue = 0;
  double FloatValue = 0;
  AnsiString StrValue;
  bool BoolValue = false;

  static TRpEvResult OfInteger(Integer v);
  // Becomes OfInteger(V) in place, its string's storage kept: the page and
  // column numbers are set so at every page.
  void SetInteger(Integer v);
  static TRpEvResult OfFloat(double v);
  // Cut to 255 characters.
  static TRpEvResult OfString(std::string_view v);
  static TRpEvResult OfBoolean(bool v);
  static TRpEvResult OfError(std::string_view message = {});
  bool IsError() const { return Kind == rpvError; }
};

constexpr int RpMaxStringLength = 255;
AnsiString RpCutString(std::string_view s);
// The text of a value as a mixed comparison or concatenation sees it:
// decimal, FloatToStr, "True"/"False", the string itself.
AnsiString RpResultToText(const TRpEvResult& value);

// A function's evaluated argument.
struct TRpEvResultClass {
  TRpEvResult Value;
};

// ---- messages ----------------------------------------------------------------

namespace rpmsg {
inline constexpr const char* Missing = "Missing %s";
inline constexpr const char* ErrorInExpression = "Error in expression : %s";
inline constexpr const char* InvalidNot = "Invalid use of NOT";
inline constexpr const char* UnknownFunction = "Unknown function : %s";
inline constexpr const char* FieldUnknownType = "Field %s is of unknown type";
inline constexpr const char* OperatorIncompatible = "Operator %s is not compatible with %s expressions";
inline constexpr const char* CannotOperate = "Cannot %s %s expressions";
inline constexpr const char* DivideByZero = "Cannot divide by 0";
inline constexpr const char* IllegalNumeric = "Illegal character in numeric contant \"%s\"";
inline constexpr const char* NotPrepared = "Evaluator not prepared";
// Ours: the original had no answer for these.
inline constexpr const char* EmptyOperand = "Missing operand";
inline constexpr const char* NestedTooDeeply = "Expression nested too deeply";
inline constexpr const char* FloatOverflow = "Floating point overflow";
inline constexpr const char* IntegerOverflow = "Integer overflow";
}  // namespace rpmsg

// ---- elements ----------------------------------------------------------------

class TRpFiFo;

class TRpEvElement {
 public:
  TRpEvElement() = default;
  TRpEvElement(const TRpEvElement&) = delete;
  TRpEvElement& operator=(const TRpEvElement&) = delete;
  virtual ~TRpEvElement() = default;
  // Elements with operands take them from the list with Next.
  virtual TRpEvResult Value(TRpFiFo& fifo);
  // Clears aggregate state.
  virtual void Reset() {}
  bool IsAggregateElement = false;

  // What the evaluator must tell apart while walking the list.
  enum class Role : Byte { Plain, Operator, ArgumentEnd };
  Role ElementRole() const { return role_; }

 protected:
  Role role_ = Role::Plain;
};

class TRpFiFo {
 public:
  void Start() { Position = 0; }
  void Put(TRpEvElement* element) { Elements.emplace_back(element); }
  // The element at the position, then advance; nullptr at the end.
  TRpEvElement* Next() {
    return Position < static_cast<int>(Elements.size()) ? Elements[static_cast<std::size_t>(Position++)].get()
                                                        : nullptr;
  }
  std::vector<std::unique_ptr<TRpEvElement>> Elements;
  int Position = 0;
  bool AggregateFlag = false;
};

enum TRpOperatorCode : Byte {
  rpoLess,
  rpoLessEqual,
  rpoGreater,
  rpoGreaterEqual,
  rpoEqual,
  rpoNotEqual,
  rpoAdd,
  rpoSubtract,
  rpoOr,
  rpoMultiply,
  rpoDivide,
  rpoAnd,
};

class TRpEvElementOperator : public TRpEvElement {
 public:
  explicit TRpEvElementOperator(Byte code) : Code(code) { role_ = Role::Operator; }
  TRpEvResult Value(TRpFiFo& fifo) override;
  Byte Code;
};
// Both operands already evaluated: the operator's rule of combination.
TRpEvResult RpApplyOperator(Byte code, TRpEvResult left, TRpEvResult right);

class TRpEvElementConstant : public TRpEvElement {
 public:
  explicit TRpEvElementConstant(TRpEvResult value) : Result(std::move(value)) {}
  TRpEvResult Value(TRpFiFo&) override { return Result; }
  TRpEvResult Result;
};

class TRpEvElementString : public TRpEvElement {
 public:
  explicit TRpEvElementString(AnsiString s) : Str(std::move(s)) {}
  TRpEvResult Value(TRpFiFo&) override { return TRpEvResult::OfString(Str); }
  AnsiString Str;
};

class TRpEvElementDataField : public TRpEvElement {
 public:
  TRpEvElementDataField(TDataSet* dataSet, int fieldIndex, TField* field)
      : DataSet(dataSet), FieldIndex(fieldIndex), Field(field), FieldName(field->FieldName()) {}
  TRpEvResult Value(TRpFiFo& fifo) override;
  TDataSet* DataSet;
  int FieldIndex;
  TField* Field;
  AnsiString FieldName;
};

class TRpEvElementError : public TRpEvElement {
 public:
  explicit TRpEvElementError(AnsiString message) : Message(std::move(message)) {}
  TRpEvResult Value(TRpFiFo&) override { return TRpEvResult::OfError(Message); }
  AnsiString Message;
};

class TRpEvElementArgumentEnd : public TRpEvElement {
 public:
  TRpEvElementArgumentEnd() { role_ = Role::ArgumentEnd; }
};

// "not" before a factor: negates a boolean.
class TRpEvElementNot : public TRpEvElement {
 public:
  TRpEvResult Value(TRpFiFo& fifo) override;
};

class TRpEvElementFunction : public TRpEvElement {
 public:
  // Collects the arguments, aggregates while the list says so, calculates.
  TRpEvResult Value(TRpFiFo& fifo) override;
  virtual void Aggregate() {}
  virtual TRpEvResult Calculate() { return TRpEvResult::OfError(); }
  // Kept between evaluations so that evaluating allocates nothing.
  std::vector<TRpEvResultClass> Arguments;

 protected:
  int ArgCount() const { return static_cast<int>(Arguments.size()); }
  const TRpEvResult& Arg(int i) const { return Arguments[static_cast<std::size_t>(i)].Value; }
  // Takes the arguments up to the end mark, evaluated, into Arguments.
  void CollectArguments(TRpFiFo& fifo);
};

class TRpEvEmbeddedFunction;

class TRpEvElementWrapper : public TRpEvElement {
 public:
  explicit TRpEvElementWrapper(TRpEvEmbeddedFunction* embedded) : Embedded(embedded) {}
  TRpEvResult Value(TRpFiFo& fifo) override;
  TRpEvEmbeddedFunction* Embedded;
};

// ---- evaluator ---------------------------------------------------------------

class TRpEvEnvironment;

class TRpEvaluator {
 public:
  TRpEvaluator();
  TRpEvaluator(const TRpEvaluator&) = delete;
  TRpEvaluator& operator=(const TRpEvaluator&) = delete;
  virtual ~TRpEvaluator();

  // The data sets (TDataSet*) whose fields expressions may name; reading
  // it when unset makes an empty list of the evaluator's own.
  TList* DataSets();
  void SetDataSets(TList* list);
  TRpEvEnvironment* Environment = nullptr;

  bool Prepared() const { return prepared_; }
  // An empty text is the string of one blank.
  void Prepare(const AnsiString& text);
  void Unprepare();
  // Raises Exception "Evaluator not prepared" when not prepared.
  TRpEvResult Value();
  TRpEvResult Calculate(const AnsiString& text);
  void DoAggregate();
  void Reset();
  bool IsAggregate() const;
  TRpFiFo* FiFo() const { return fifo_.get(); }

  // Square brackets deeper than this (parentheses, unary signs, "not",
  // function arguments) give an error value instead of recursing on.
  static constexpr int MaxNesting = 256;

 protected:
  virtual void ParseFunction(const AnsiString& name, std::string_view arguments);
  virtual void ParseIdentifier(const AnsiString& name);
  void Emit(TRpEvElement* element) { fifo_->Put(element); }
  void EmitError(AnsiString message) { Emit(new TRpEvElementError(std::move(message))); }

  void Expression(std::string_view text);
  void SimpleExpression(std::string_view text);
  void Term(std::string_view text);
  void Factor(std::string_view text);

 private:
  void chain(std::string_view text, bool additive);
  void NumericConstant(std::string_view text);
  void NameOrCall(std::string_view text);

  TList* dataSets_ = nullptr;
  std::unique_ptr<TList> ownDataSets_;
  std::unique_ptr<TRpFiFo> fifo_;
  bool prepared_ = false;
  int nesting_ = 0;
};
