#pragma once
// The function library expressions call by name, the named expressions of
// an environment, and the process-wide library and global environment.

#include "report/RpExpr.h"

// ---- function library ----------------------------------------------------------

// Makes a new element of one function (the element's virtual constructor).
using TRpEvElementFunctionClass = TRpEvElementFunction* (*)();
template <typename T>
TRpEvElementFunction* RpNewFunction() {
  return new T();
}

class TRpLibraryEntry {
 public:
  AnsiString Name;
  // Call pattern "|" explanation, as the expression builder shows them.
  AnsiString Description;
  // A category digit, then one letter per argument: N numeric, S string,
  // B boolean, V any value.
  AnsiString ArgumentKinds;
  TRpEvElementFunctionClass FunctionClass = nullptr;
  AnsiString Vendor;
};

class TRpLibrary {
 public:
  TRpLibrary() = default;
  TRpLibrary(const TRpLibrary&) = delete;
  TRpLibrary& operator=(const TRpLibrary&) = delete;
  virtual ~TRpLibrary() = default;

  int Count() const { return static_cast<int>(entries_.size()); }
  // nullptr for an index below 0 or at least Count.
  virtual TRpLibraryEntry* GetEntry(int index) const;
  // A new element the caller owns: the function's, or the error element
  // "Unknown function : %s". Names compare without regard to case; the
  // first registered wins.
  TRpEvElement* GetFunction(const AnsiString& name) const;
  void Add(std::unique_ptr<TRpLibraryEntry> entry) { entries_.push_back(std::move(entry)); }

 private:
  std::vector<std::unique_ptr<TRpLibraryEntry>> entries_;
};

class TRpFunctionLibrary : public TRpLibrary {};

// ---- named expressions ---------------------------------------------------------

class TRpEvEmbeddedFunction : public TRpEvElement {
 public:
  explicit TRpEvEmbeddedFunction(AnsiString expression);
  // "Recursive calls not allowed" while it is being evaluated already.
  TRpEvResult Value(TRpFiFo& fifo) override;
  void Reset() override { Evaluator.Reset(); }
  AnsiString Expression;
  TRpEvaluator Evaluator;
  bool InUse = false;
};

// Upper-cased names with their expressions (owned), prepared together.
class TRpEvEnvironment : public TStringList {
 public:
  TRpEvEnvironment() = default;
  ~TRpEvEnvironment() override;
  void Clear() override;
  void Delete(int index) override;

  TList* DataSets();
  void SetDataSets(TList* list);

  // A name already present keeps its expression.
  void AddFunction(const AnsiString& name, const AnsiString& expression);
  void DeleteFunction(const AnsiString& name);
  // A new wrapper for the entry, or the error element "Unknown function : %s"
  // with the name as given.
  TRpEvElement* GetFunction(const AnsiString& name);
  TRpEvResult Value(const AnsiString& name);
  // The first element of the entry's prepared list (a variable's constant),
  // or nullptr.
  TRpEvElement* GetConstant(const AnsiString& name);
  void SetIntegerConstant(TRpEvElement* element, Integer value);
  // A constant already told from the other elements.
  static void SetIntegerConstant(TRpEvElementConstant* constant, Integer value);
  void SetStringConstant(TRpEvElement* element, const AnsiString& value);
  void SetConstant(TRpEvElement* element, const TRpEvResult& value);

  TRpEvEmbeddedFunction* Entry(int index) const {
    return static_cast<TRpEvEmbeddedFunction*>(GetObject(index));
  }
  void Prepare();
  void Unprepare();
  bool Prepared() const { return prepareCount_ > 0; }

  // The stored form: "Strings" holds the names, "DATA" the expressions,
  // each a list value of strings. Reading DATA gives the entries that have
  // no expression yet theirs in order; extra strings are dropped. A
  // damaged value raises EReadError and changes nothing.
  void ReadStrings(TStream& stream);
  void WriteStrings(TStream& stream) const;
  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;

 private:
  void prepareEntry(TRpEvEmbeddedFunction* entry);
  TList* dataSets_ = nullptr;
  std::unique_ptr<TList> ownDataSets_;
  int prepareCount_ = 0;
};

// ---- process-wide state --------------------------------------------------------

extern TRpFunctionLibrary* RpFunctionLibrary;
extern TRpEvEnvironment* RpGlobalEnvironment;
extern char RpArgumentSeparator;

// Counted: the first call fills the library and the global environment
// (AppStartTime, AppStartDate, AppName), the matching last call frees them.
// Every user of the library starts it, so callers need not.
void RpExprStartup();
void RpExprShutdown();
// Starts once when nobody has; the process's end frees what it made.
void RpExprEnsureStarted();
// Set while an environment unprepares its entries.
bool& RpUnpreparingFlag();

void RegisterRpFunction(TRpEvElementFunctionClass functionClass, const AnsiString& name,
                        const AnsiString& description, const AnsiString& argumentKinds,
                        const AnsiString& vendor);

// Closes the query, gives each parameter the environment holds a value of
// fitting kind, opens the query.
void SetQueryParams(TQuery& query, TRpEvEnvironment& environment);
