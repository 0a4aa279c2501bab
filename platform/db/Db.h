#pragma once
// Data sets with the class library's names: typed fields over the current
// record, navigation, and parameterised queries. The rows come from an SQLite
// database file; a data set reads its whole result when it opens, so moving
// back and forth never goes to the file again.

#include <memory>
#include <variant>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/ui/Component.h"

DIM_EXCEPTION(EDatabaseError, Exception)

enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftLargeint,
  ftBlob,
  ftMemo,
};

// One stored value: null, a whole number, a real number or bytes.
using TDbValue = std::variant<std::monostate, Int64, double, AnsiString>;

class TDataSet;

class TField : public TObject {
 public:
  TField(TDataSet* dataSet, AnsiString fieldName, TFieldType dataType);
  TDataSet* DataSet() const { return dataSet_; }
  const AnsiString& FieldName() const { return fieldName_; }
  // The field's caption for people: its name until one is given.
  const AnsiString& DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  void SetDisplayLabel(const AnsiString& label) { displayLabel_ = label; }
  TFieldType DataType() const { return dataType_; }
  // Position among the data set's fields.
  int Index() const { return index_; }
  bool IsNull() const;

  // A null field reads as "", 0 or False. Conversions that make no sense
  // raise EDatabaseError "Invalid value for field '%s'".
  virtual AnsiString AsString() const;
  virtual Integer AsInteger() const;
  virtual Int64 AsLargeInt() const;
  virtual Extended AsFloat() const;
  virtual bool AsBoolean() const;
  virtual TDateTime AsDateTime() const;
  // The text shown for the value.
  virtual AnsiString Text() const { return AsString(); }

 protected:
  const TDbValue& value() const;
  [[noreturn]] void invalidValue() const;

 private:
  friend class TDataSet;
  TDataSet* dataSet_;
  AnsiString fieldName_;
  AnsiString displayLabel_;
  TFieldType dataType_;
  int index_ = -1;
};

class TStringField : public TField {
 public:
  using TField::TField;
};
class TIntegerField : public TField {
 public:
  using TField::TField;
  AnsiString AsString() const override;
};
class TSmallintField : public TIntegerField {
 public:
  using TIntegerField::TIntegerField;
};
class TWordField : public TIntegerField {
 public:
  using TIntegerField::TIntegerField;
};
class TLargeintField : public TField {
 public:
  using TField::TField;
  AnsiString AsString() const override;
};
class TFloatField : public TField {
 public:
  using TField::TField;
  AnsiString AsString() const override;
};
class TCurrencyField : public TFloatField {
 public:
  using TFloatField::TFloatField;
};
class TBCDField : public TField {
 public:
  using TField::TField;
  AnsiString AsString() const override;
};
class TBooleanField : public TField {
 public:
  using TField::TField;
  // "True" or "False".
  AnsiString AsString() const override;
};
// Dates are stored as the day number (days since 1899-12-30) or as ISO
// text ("2024-03-01", "2024-03-01 14:30:00", "14:30:00").
class TDateTimeField : public TField {
 public:
  using TField::TField;
  TDateTime AsDateTime() const override;
  Extended AsFloat() const override { return AsDateTime(); }
  // DateTimeToStr; empty when null.
  AnsiString AsString() const override;
};
class TDateField : public TDateTimeField {
 public:
  using TDateTimeField::TDateTimeField;
  AnsiString AsString() const override;
};
class TTimeField : public TDateTimeField {
 public:
  using TDateTimeField::TDateTimeField;
  AnsiString AsString() const override;
};
// Bytes the data set does not interpret.
class TBlobField : public TField {
 public:
  using TField::TField;
};

// The fields are made by the data set from its result's columns each time
// it opens (DefaultFields is always true); they go when it closes.
class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* AOwner);
  ~TDataSet() override;

  bool Active() const { return active_; }
  // Raises EDatabaseError with the database's message when opening fails;
  // the data set then stays closed.
  void SetActive(bool value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }

  void First();
  void Last();
  void Next();
  void Prior();
  // Past the last record (or empty).
  bool Eof() const { return eof_; }
  // Before the first record (or empty).
  bool Bof() const { return bof_; }
  bool IsEmpty() const { return rows_.empty(); }
  int RecordCount() const { return static_cast<int>(rows_.size()); }
  // 1-based number of the current record, 0 when there is none.
  int RecNo() const { return rows_.empty() ? 0 : current_ + 1; }

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField* Fields(int index) const;
  // Case-insensitive; nullptr when none.
  TField* FindField(const AnsiString& fieldName) const;
  // Raises EDatabaseError "Field '%s' not found".
  TField* FieldByName(const AnsiString& fieldName) const;
  bool DefaultFields() const { return true; }

  const TDbValue& CurrentValue(int fieldIndex) const;

 protected:
  struct TColumn {
    AnsiString Name;
    TFieldType DataType = ftUnknown;
  };
  using TRow = std::vector<TDbValue>;
  // Fills the columns and every row of the result.
  virtual void InternalOpen(std::vector<TColumn>& columns, std::vector<TRow>& rows) = 0;
  void CheckInactive(const char* what) const;

 private:
  std::vector<std::unique_ptr<TField>> fields_;
  std::vector<TRow> rows_;
  int current_ = 0;
  bool active_ = false;
  bool eof_ = true;
  bool bof_ = true;
};

// A named parameter of a query (":name" in its text).
class TParam {
 public:
  explicit TParam(AnsiString name) : Name(std::move(name)) {}
  AnsiString Name;
  // The type the value is bound as; a setter gives an unknown type its own.
  TFieldType DataType = ftUnknown;

  bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
  void Clear() { value_ = std::monostate{}; }
  void SetAsString(const AnsiString& v);
  void SetAsInteger(Integer v);
  void SetAsFloat(Extended v);
  void SetAsBoolean(bool v);
  void SetAsDate(TDateTime v);
  void SetAsTime(TDateTime v);
  void SetAsDateTime(TDateTime v);
  const TDbValue& Value() const { return value_; }

 private:
  void set(TFieldType type, TDbValue v);
  TDbValue value_;
};

class TParams {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TParam& Items(int index) { return *items_.at(static_cast<std::size_t>(index)); }
  // Case-insensitive; nullptr when none.
  TParam* FindParam(const AnsiString& name);
  // Raises EDatabaseError "Parameter '%s' not found".
  TParam& ParamByName(const AnsiString& name);
  // Keeps the values and types of names that stay.
  void Rebuild(const std::vector<AnsiString>& names);

 private:
  std::vector<std::unique_ptr<TParam>> items_;
};

// Rows of a database file (DatabaseName is its path).
class TDBDataSet : public TDataSet {
 public:
  using TDataSet::TDataSet;
  const AnsiString& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const AnsiString& name);

 protected:
  // Runs one statement; the parameters are bound by name.
  void RunSelect(const AnsiString& sql, TParams* params, std::vector<TColumn>& columns,
                 std::vector<TRow>& rows) const;

 private:
  AnsiString databaseName_;
};

// Every row of one table, in stored order.
class TTable : public TDBDataSet {
 public:
  using TDBDataSet::TDBDataSet;
  const AnsiString& TableName() const { return tableName_; }
  void SetTableName(const AnsiString& name);

 protected:
  void InternalOpen(std::vector<TColumn>& columns, std::vector<TRow>& rows) override;

 private:
  AnsiString tableName_;
};

// The rows of a SELECT statement with ":name" parameters.
class TQuery : public TDBDataSet {
 public:
  explicit TQuery(TComponent* AOwner);
  // Changing the text closes the query and renews Params.
  TStringList& SQL() { return sql_; }
  TParams& Params() { return params_; }
  int ParamCount() const { return params_.Count(); }
  TParam& ParamByName(const AnsiString& name) { return params_.ParamByName(name); }

 protected:
  void InternalOpen(std::vector<TColumn>& columns, std::vector<TRow>& rows) override;

 private:
  void sqlChanged();
  TStringList sql_;
  TParams params_;
};

// The ":name" parameters of a statement in order of first use, outside
// quoted text; "::" is a literal colon.
std::vector<AnsiString> ParseSqlParamNames(const AnsiString& sql);
