// The built-in functions and aggregates. Arguments arrive evaluated; every
// failure is a value of the error kind.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "report/RpExprLibrary.h"

namespace {

TRpEvResult wrongArguments(const char* name) {
  return TRpEvResult::OfError(Format("Wrong arguments for %s", {name}));
}

bool isNumeric(const TRpEvResult& v) { return v.Kind == rpvInteger || v.Kind == rpvFloat; }
Extended numberOf(const TRpEvResult& v) { return v.Kind == rpvInteger ? v.IntValue : v.FloatValue; }

bool fitsInteger(Extended v) {
  return v >= std::numeric_limits<Integer>::min() && v <= std::numeric_limits<Integer>::max();
}

TRpEvResult floatResult(Extended v) {
  const double stored = static_cast<double>(v);
  if (!std::isfinite(stored)) return TRpEvResult::OfError(rpmsg::FloatOverflow);
  return TRpEvResult::OfFloat(stored);
}

}  // namespace

class TRpEvIfFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() == 3 && Arg(0).Kind == rpvBoolean) return Arg(0).BoolValue ? Arg(1) : Arg(2);
    return wrongArguments("IF");
  }
};

class TRpEvStrFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() == 1 && Arg(0).Kind != rpvString && Arg(0).Kind != rpvError) {
      return TRpEvResult::OfString(RpResultToText(Arg(0)));
    }
    return TRpEvResult::OfError("Conversion error");
  }
};

// UPPER, LOWER and PRETTY: a string in, the converted string out.
class TRpEvCaseFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 1) return TRpEvResult::OfError(Format("Missing argument for %s", {name()}));
    if (Arg(0).Kind == rpvError) return Arg(0);
    if (Arg(0).Kind != rpvString) return wrongArguments(name());
    return TRpEvResult::OfString(convert(Arg(0).StrValue));
  }

 protected:
  virtual const char* name() const = 0;
  virtual AnsiString convert(const AnsiString& s) const = 0;
};

class TRpEvUpperFunction : public TRpEvCaseFunction {
  const char* name() const override { return "UPPER"; }
  AnsiString convert(const AnsiString& s) const override { return AnsiUpperCase(s); }
};

class TRpEvLowerFunction : public TRpEvCaseFunction {
  const char* name() const override { return "LOWER"; }
  AnsiString convert(const AnsiString& s) const override { return AnsiLowerCase(s); }
};

// Code page 1253 has no double-byte characters, so the first character is
// always one byte.
class TRpEvPrettyFunction : public TRpEvCaseFunction {
  const char* name() const override { return "PRETTY"; }
  AnsiString convert(const AnsiString& s) const override {
    if (s.empty()) return s;
    return AnsiUpperCase(s.substr(0, 1)) + AnsiLowerCase(s.substr(1));
  }
};

class TRpEvTimeFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 0) return TRpEvResult::OfError();
    return TRpEvResult::OfString(TimeToStr(Time()));
  }
};

class TRpEvDateFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 0) return TRpEvResult::OfError();
    return TRpEvResult::OfString(DateToStr(Date()));
  }
};

// Single-byte code page: no lead or trail bytes to step over.
class TRpEvCopyFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 3 || Arg(0).Kind != rpvString || Arg(1).Kind != rpvInteger ||
        Arg(2).Kind != rpvInteger) {
      return TRpEvResult::OfError();
    }
    const int start = Arg(1).IntValue == 0 ? 1 : Arg(1).IntValue;
    return TRpEvResult::OfString(Copy(Arg(0).StrValue, start, Arg(2).IntValue));
  }
};

class TRpEvTrue : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 0) return TRpEvResult::OfError("Too many arguments");
    return TRpEvResult::OfBoolean(true);
  }
};

class TRpEvFalse : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 0) return TRpEvResult::OfError("Too many arguments");
    return TRpEvResult::OfBoolean(false);
  }
};

class TRpEvIntFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 1 || !isNumeric(Arg(0))) return wrongArguments("INT");
    if (Arg(0).Kind == rpvInteger) return Arg(0);
    const Extended truncated = std::trunc(static_cast<Extended>(Arg(0).FloatValue));
    if (!fitsInteger(truncated)) return TRpEvResult::OfError(rpmsg::IntegerOverflow);
    return TRpEvResult::OfInteger(static_cast<Integer>(truncated));
  }
};

class TRpEvFracFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 1 || !isNumeric(Arg(0))) return TRpEvResult::OfError();
    if (Arg(0).Kind == rpvInteger) return TRpEvResult::OfFloat(0);
    return TRpEvResult::OfFloat(static_cast<double>(Frac(Arg(0).FloatValue)));
  }
};

class TRpEvSQRTFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 1 || !isNumeric(Arg(0)) || numberOf(Arg(0)) < 0) {
      return TRpEvResult::OfError("Invalid argument to SQRT function");
    }
    return TRpEvResult::OfFloat(static_cast<double>(std::sqrt(numberOf(Arg(0)))));
  }
};

class TRpEvDivFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 2 || !isNumeric(Arg(0)) || !isNumeric(Arg(1))) return wrongArguments("DIV");
    Int64 operands[2];
    for (int i = 0; i < 2; ++i) {
      const Extended v = numberOf(Arg(i));
      // Halves go to the even neighbour; beyond 32 bits there is no answer.
      if (!(std::fabs(v) < 4294967296.0L)) return TRpEvResult::OfError(rpmsg::IntegerOverflow);
      operands[i] = Round(v);
      if (!fitsInteger(static_cast<Extended>(operands[i])))
        return TRpEvResult::OfError(rpmsg::IntegerOverflow);
    }
    if (operands[1] == 0) return TRpEvResult::OfError("Division by Zero");
    const Int64 quotient = operands[0] / operands[1];
    if (!fitsInteger(static_cast<Extended>(quotient))) return TRpEvResult::OfError(rpmsg::IntegerOverflow);
    return TRpEvResult::OfInteger(static_cast<Integer>(quotient));
  }
};

class TRpEvTypeOfFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 1) return wrongArguments("TypeOf");
    static const char* const names[] = {"INTEGER", "FLOAT", "STRING", "BOOLEAN", "ERROR"};
    return TRpEvResult::OfString(names[std::min<int>(Arg(0).Kind, rpvError)]);
  }
};

// Our own formatter: the mask never reaches printf.
class TRpEvFormatNumericFunction : public TRpEvElementFunction {
 public:
  TRpEvResult Calculate() override {
    if (ArgCount() != 2 || Arg(0).Kind != rpvString || !isNumeric(Arg(1))) return TRpEvResult::OfError();
    try {
      return TRpEvResult::OfString(FormatFloat(Arg(0).StrValue, numberOf(Arg(1))));
    } catch (const Exception&) {
      return TRpEvResult::OfError("Invalid format or value specified");
    }
  }
};

// ---- aggregates --------------------------------------------------------------------

class TRpEvSumFunction : public TRpEvElementFunction {
 public:
  TRpEvSumFunction() { IsAggregateElement = true; }
  void Reset() override {
    total_ = TRpEvResult();
    hasValue_ = false;
  }
  // A float arriving in an integer total makes the total a float: mixed
  // kinds lose nothing.
  void Aggregate() override {
    if (ArgCount() != 1) {
      total_ = wrongArguments("SUM");
      hasValue_ = true;
      return;
    }
    const TRpEvResult& v = Arg(0);
    if (!hasValue_) {
      hasValue_ = true;
      if (isNumeric(v) || v.Kind == rpvError) {
        total_ = v;
      } else {
        total_ = TRpEvResult::OfError(
            Format(rpmsg::CannotOperate, {"add", v.Kind == rpvString ? "string" : "boolean"}));
      }
      return;
    }
    if (total_.Kind == rpvError) return;
    if (v.Kind == rpvString) {
      total_ = TRpEvResult::OfError(Format(rpmsg::CannotOperate, {"add", "string"}));
    } else if (total_.Kind == rpvInteger && v.Kind == rpvInteger) {
      total_ = RpApplyOperator(rpoAdd, total_, v);
    } else if (isNumeric(v)) {
      total_ = floatResult(numberOf(total_) + numberOf(v));
    }
  }
  TRpEvResult Calculate() override { return hasValue_ ? total_ : TRpEvResult::OfInteger(0); }

 protected:
  const TRpEvResult& total() const { return total_; }

 private:
  TRpEvResult total_;
  bool hasValue_ = false;
};

class TRpEvAverageFunction : public TRpEvSumFunction {
 public:
  void Reset() override {
    TRpEvSumFunction::Reset();
    average_ = TRpEvResult::OfFloat(0);
    count_ = 0;
    IsAggregateElement = true;
  }
  void Aggregate() override {
    TRpEvSumFunction::Aggregate();
    ++count_;
    if (isNumeric(total())) {
      average_ = floatResult(numberOf(total()) / count_);
    } else {
      average_ = total().Kind == rpvError ? total() : TRpEvResult::OfError();
    }
  }
  TRpEvResult Calculate() override { return average_; }

 private:
  TRpEvResult average_;
  Integer count_ = 0;
};

// MAX and MIN: the best value so far; integers and floats compare as
// numbers whichever came first.
class TRpEvExtremeFunction : public TRpEvElementFunction {
 public:
  TRpEvExtremeFunction() { IsAggregateElement = true; }
  void Reset() override {
    best_ = TRpEvResult();
    hasValue_ = false;
  }
  void Aggregate() override {
    if (ArgCount() != 1) {
      best_ = wrongArguments(name());
      hasValue_ = true;
      return;
    }
    const TRpEvResult& v = Arg(0);
    if (!hasValue_) {
      best_ = v;
      hasValue_ = true;
      return;
    }
    int order = 0;  // of v against best: -1 below, 1 above
    if (isNumeric(best_) && isNumeric(v)) {
      const Extended a = numberOf(v), b = numberOf(best_);
      order = a < b ? -1 : (a > b ? 1 : 0);
    } else if (best_.Kind == rpvString && v.Kind == rpvString) {
      const int c = std::string_view(v.StrValue).compare(best_.StrValue);
      order = c < 0 ? -1 : (c > 0 ? 1 : 0);
    } else if (best_.Kind == rpvBoolean && v.Kind == rpvBoolean) {
      order = static_cast<int>(v.BoolValue) - static_cast<int>(best_.BoolValue);
    }
    if (order == wanted()) best_ = v;
  }
  TRpEvResult Calculate() override { return hasValue_ ? best_ : TRpEvResult::OfInteger(0); }

 protected:
  virtual const char* name() const = 0;
  virtual int wanted() const = 0;

 private:
  TRpEvResult best_;
  bool hasValue_ = false;
};

class TRpEvMaxFunction : public TRpEvExtremeFunction {
  const char* name() const override { return "MAX"; }
  int wanted() const override { return 1; }
};

class TRpEvMinFunction : public TRpEvExtremeFunction {
  const char* name() const override { return "MIN"; }
  int wanted() const override { return -1; }
};

class TRpEvCountFunction : public TRpEvElementFunction {
 public:
  TRpEvCountFunction() { IsAggregateElement = true; }
  void Reset() override { counter_ = 0; }
  TRpEvResult Value(TRpFiFo& fifo) override {
    CollectArguments(fifo);
    const bool hasArguments = !Arguments.empty();
    Arguments.clear();
    if (hasArguments) return TRpEvResult::OfError("COUNT - Too many arguments");
    if (fifo.AggregateFlag) counter_ = static_cast<Integer>(static_cast<std::uint32_t>(counter_) + 1u);
    return TRpEvResult::OfInteger(counter_);
  }

 private:
  Integer counter_ = 0;
};

// ---- registration --------------------------------------------------------------------

namespace {
const char* const builtInVendor = "Report engine";
}

void RpRegisterBuiltInFunctions() {
  struct Row {
    TRpEvElementFunctionClass cls;
    const char* name;
    const char* kinds;
    const char* description;
  };
  static const Row rows[] = {
      {RpNewFunction<TRpEvIfFunction>, "IF", "5BVV",
       "IF(<Exp>, <X>, <Y>)|Returns <X> or <Y> depending on the boolean expression <Exp>"},
      {RpNewFunction<TRpEvStrFunction>, "STR", "7N", "STR(<X>)|Convert a numeric <X> to a string"},
      {RpNewFunction<TRpEvUpperFunction>, "UPPER", "7S",
       "UPPER(<X>)|Converts a string to upper case letters"},
      {RpNewFunction<TRpEvLowerFunction>, "LOWER", "7S",
       "LOWER(<X>)|Converts a string to lower case letters"},
      {RpNewFunction<TRpEvPrettyFunction>, "PRETTY", "7S",
       "PRETTY(<X>)|Makes the first character upper case and the rest lower case"},
      {RpNewFunction<TRpEvTimeFunction>, "TIME", "1", "TIME|Return current time as a string"},
      {RpNewFunction<TRpEvDateFunction>, "DATE", "1", "DATE|Return current date as a string"},
      {RpNewFunction<TRpEvCopyFunction>, "COPY", "7SNN",
       "COPY(<X>, <St>,<Len>)|Returns a substring of string X"},
      {RpNewFunction<TRpEvSumFunction>, "SUM", "3N", "SUM(<X>)|Sums the numeric <X>"},
      {RpNewFunction<TRpEvCountFunction>, "COUNT", "3", "COUNT|Increments for each iteration"},
      {RpNewFunction<TRpEvMaxFunction>, "MAX", "3V", "MAX(<X>)|Returns the highest <X>"},
      {RpNewFunction<TRpEvMinFunction>, "MIN", "3V", "MIN(<X>)|Returns the lowest <X>"},
      {RpNewFunction<TRpEvAverageFunction>, "AVERAGE", "3N",
       "AVERAGE(<X>)|Returns the average of numeric <X>"},
      {RpNewFunction<TRpEvTrue>, "TRUE", "5", "TRUE|boolean value"},
      {RpNewFunction<TRpEvFalse>, "FALSE", "5", "FALSE|boolean value"},
      {RpNewFunction<TRpEvIntFunction>, "INT", "2N", "INT(<X>)|Returns the integer part of <X>"},
      {RpNewFunction<TRpEvFracFunction>, "FRAC", "2N", "FRAC(<X>)|Returns the fractional part of <X>"},
      {RpNewFunction<TRpEvSQRTFunction>, "SQRT", "2N", "SQRT(<X>)|Returns square root of <X>"},
      {RpNewFunction<TRpEvDivFunction>, "DIV", "2NN", "DIV(<X>, <Y>) | Integer division of <X> by <Y>"},
      {RpNewFunction<TRpEvTypeOfFunction>, "TYPEOF", "6N", "TYPEOF(<Exp>)|Returns the data type of <Exp>"},
      {RpNewFunction<TRpEvFormatNumericFunction>, "FORMATNUMERIC", "7SN",
       "FORMATNUMERIC(<F>,<N>)|Formats numeric <N> using the mask in <F>"},
  };
  for (const Row& row : rows)
    RegisterRpFunction(row.cls, row.name, row.description, row.kinds, builtInVendor);
}
