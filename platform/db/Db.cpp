// Fields, navigation and parameters of data sets.
#include "platform/db/Db.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>

// ---- fields ------------------------------------------------------------------

TField::TField(TDataSet* dataSet, AnsiString fieldName, TFieldType dataType)
    : dataSet_(dataSet), fieldName_(std::move(fieldName)), dataType_(dataType) {}

const TDbValue& TField::value() const { return dataSet_->CurrentValue(index_); }

bool TField::IsNull() const { return std::holds_alternative<std::monostate>(value()); }

void TField::invalidValue() const {
  throw EDatabaseError(Format("Invalid value for field '%s'", {fieldName_}));
}

AnsiString TField::AsString() const {
  const TDbValue& v = value();
  if (const auto* s = std::get_if<AnsiString>(&v)) return *s;
  if (const auto* i = std::get_if<Int64>(&v)) return IntToStr(*i);
  if (const auto* d = std::get_if<double>(&v)) return FloatToStr(*d);
  return AnsiString();
}

Int64 TField::AsLargeInt() const {
  const TDbValue& v = value();
  if (const auto* i = std::get_if<Int64>(&v)) return *i;
  if (const auto* d = std::get_if<double>(&v)) {
    if (!(std::fabs(*d) < 9.2e18)) invalidValue();
    return static_cast<Int64>(Round(*d));
  }
  if (const auto* s = std::get_if<AnsiString>(&v)) {
    Int64 out = 0;
    try {
      out = StrToInt64(*s);
    } catch (const EConvertError&) {
      invalidValue();
    }
    return out;
  }
  return 0;
}

Integer TField::AsInteger() const {
  const Int64 v = AsLargeInt();
  if (v < INT32_MIN || v > INT32_MAX) invalidValue();
  return static_cast<Integer>(v);
}

Extended TField::AsFloat() const {
  const TDbValue& v = value();
  if (const auto* i = std::get_if<Int64>(&v)) return static_cast<Extended>(*i);
  if (const auto* d = std::get_if<double>(&v)) return *d;
  if (const auto* s = std::get_if<AnsiString>(&v)) {
    AnsiString local = *s;
    for (char& c : local) {
      if (c == '.') c = DecimalSeparator;
    }
    Extended out = 0;
    if (!TryStrToFloat(local, out)) invalidValue();
    return out;
  }
  return 0;
}

bool TField::AsBoolean() const {
  const TDbValue& v = value();
  if (const auto* i = std::get_if<Int64>(&v)) return *i != 0;
  if (const auto* d = std::get_if<double>(&v)) return *d != 0;
  if (const auto* s = std::get_if<AnsiString>(&v)) {
    if (SameText(*s, "True") || *s == "1") return true;
    if (SameText(*s, "False") || *s == "0" || s->empty()) return false;
    invalidValue();
  }
  return false;
}

TDateTime TField::AsDateTime() const { return static_cast<TDateTime>(TField::AsFloat()); }

AnsiString TIntegerField::AsString() const { return IsNull() ? AnsiString() : IntToStr(AsInteger()); }
AnsiString TLargeintField::AsString() const { return IsNull() ? AnsiString() : IntToStr(AsLargeInt()); }
AnsiString TFloatField::AsString() const { return IsNull() ? AnsiString() : FloatToStr(AsFloat()); }
AnsiString TBCDField::AsString() const { return IsNull() ? AnsiString() : FloatToStr(AsFloat()); }
AnsiString TBooleanField::AsString() const {
  if (IsNull()) return AnsiString();
  return AsBoolean() ? "True" : "False";
}

namespace {

// "yyyy-mm-dd", "yyyy-mm-dd hh:nn[:ss]", "hh:nn[:ss]" (a "T" may part the
// date from the time).
bool parseIsoDateTime(const AnsiString& s, TDateTime& out) {
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
  int used = 0;
  TDateTime date = 0;
  const char* p = s.c_str();
  if (std::sscanf(p, "%4u-%2u-%2u%n", &y, &mo, &d, &used) == 3) {
    if (!TryEncodeDate(static_cast<Word>(y), static_cast<Word>(mo), static_cast<Word>(d), date)) return false;
    p += used;
    if (*p == '\0') {
      out = date;
      return true;
    }
    if (*p != ' ' && *p != 'T') return false;
    ++p;
  }
  sec = 0;
  used = 0;
  const int n = std::sscanf(p, "%2u:%2u%n:%2u%n", &h, &mi, &used, &sec, &used);
  if (n < 2 || p[used] != '\0' || h > 23 || mi > 59 || sec > 59) return false;
  const TDateTime time = EncodeTime(static_cast<Word>(h), static_cast<Word>(mi), static_cast<Word>(sec), 0);
  out = date + (date < 0 ? -time : time);
  return true;
}

}  // namespace

TDateTime TDateTimeField::AsDateTime() const {
  const TDbValue& v = value();
  if (const auto* s = std::get_if<AnsiString>(&v)) {
    TDateTime out = 0;
    if (!parseIsoDateTime(*s, out)) invalidValue();
    return out;
  }
  return TField::AsDateTime();
}

AnsiString TDateTimeField::AsString() const { return IsNull() ? AnsiString() : DateTimeToStr(AsDateTime()); }
AnsiString TDateField::AsString() const { return IsNull() ? AnsiString() : DateToStr(AsDateTime()); }
AnsiString TTimeField::AsString() const { return IsNull() ? AnsiString() : TimeToStr(AsDateTime()); }

// ---- data set -------------------------------------------------------------------

namespace {

std::unique_ptr<TField> makeField(TDataSet* dataSet, const AnsiString& name, TFieldType type) {
  switch (type) {
    case ftString:
    case ftMemo:
      return std::make_unique<TStringField>(dataSet, name, type);
    case ftSmallint:
      return std::make_unique<TSmallintField>(dataSet, name, type);
    case ftInteger:
      return std::make_unique<TIntegerField>(dataSet, name, type);
    case ftWord:
      return std::make_unique<TWordField>(dataSet, name, type);
    case ftLargeint:
      return std::make_unique<TLargeintField>(dataSet, name, type);
    case ftBoolean:
      return std::make_unique<TBooleanField>(dataSet, name, type);
    case ftFloat:
      return std::make_unique<TFloatField>(dataSet, name, type);
    case ftCurrency:
      return std::make_unique<TCurrencyField>(dataSet, name, type);
    case ftBCD:
      return std::make_unique<TBCDField>(dataSet, name, type);
    case ftDate:
      return std::make_unique<TDateField>(dataSet, name, type);
    case ftTime:
      return std::make_unique<TTimeField>(dataSet, name, type);
    case ftDateTime:
      return std::make_unique<TDateTimeField>(dataSet, name, type);
    default:
      return std::make_unique<TBlobField>(dataSet, name, type);
  }
}

const TDbValue nullValue;

}  // namespace

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() = default;

void TDataSet::SetActive(bool value) {
  if (value == active_) return;
  fields_.clear();
  rows_.clear();
  active_ = false;
  eof_ = bof_ = true;
  current_ = 0;
  if (!value) return;
  std::vector<TColumn> columns;
  std::vector<TRow> rows;
  InternalOpen(columns, rows);
  for (const TColumn& column : columns) {
    auto field = makeField(this, column.Name, column.DataType);
    field->index_ = static_cast<int>(fields_.size());
    fields_.push_back(std::move(field));
  }
  rows_ = std::move(rows);
  active_ = true;
  First();
}

void TDataSet::First() {
  current_ = 0;
  bof_ = true;
  eof_ = rows_.empty();
}

void TDataSet::Last() {
  current_ = rows_.empty() ? 0 : RecordCount() - 1;
  eof_ = true;
  bof_ = rows_.empty();
}

void TDataSet::Next() {
  bof_ = false;
  if (current_ + 1 < RecordCount()) {
    ++current_;
  } else {
    eof_ = true;
  }
}

void TDataSet::Prior() {
  eof_ = false;
  if (current_ > 0) {
    --current_;
  } else {
    bof_ = true;
  }
  if (rows_.empty()) eof_ = true;
}

TField* TDataSet::Fields(int index) const {
  if (index < 0 || index >= FieldCount()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return fields_[static_cast<std::size_t>(index)].get();
}

TField* TDataSet::FindField(const AnsiString& fieldName) const {
  for (const auto& field : fields_) {
    if (AnsiCompareText(field->FieldName(), fieldName) == 0) return field.get();
  }
  return nullptr;
}

TField* TDataSet::FieldByName(const AnsiString& fieldName) const {
  TField* field = FindField(fieldName);
  if (field == nullptr) throw EDatabaseError(Format("Field '%s' not found", {fieldName}));
  return field;
}

const TDbValue& TDataSet::CurrentValue(int fieldIndex) const {
  if (rows_.empty() || fieldIndex < 0) return nullValue;
  const TRow& row = rows_[static_cast<std::size_t>(current_)];
  return static_cast<std::size_t>(fieldIndex) < row.size() ? row[static_cast<std::size_t>(fieldIndex)]
                                                           : nullValue;
}

void TDataSet::CheckInactive(const char* what) const {
  if (active_) throw EDatabaseError(Format("Cannot perform this operation on an open dataset (%s)", {what}));
}

// ---- parameters ----------------------------------------------------------------

void TParam::set(TFieldType type, TDbValue v) {
  if (DataType == ftUnknown) DataType = type;
  value_ = std::move(v);
}

void TParam::SetAsString(const AnsiString& v) { set(ftString, v); }
void TParam::SetAsInteger(Integer v) { set(ftInteger, Int64{v}); }
void TParam::SetAsFloat(Extended v) { set(ftFloat, static_cast<double>(v)); }
void TParam::SetAsBoolean(bool v) { set(ftBoolean, Int64{v ? 1 : 0}); }
void TParam::SetAsDate(TDateTime v) { set(ftDate, static_cast<double>(v)); }
void TParam::SetAsTime(TDateTime v) { set(ftTime, static_cast<double>(v)); }
void TParam::SetAsDateTime(TDateTime v) { set(ftDateTime, static_cast<double>(v)); }

TParam* TParams::FindParam(const AnsiString& name) {
  for (auto& p : items_) {
    if (AnsiCompareText(p->Name, name) == 0) return p.get();
  }
  return nullptr;
}

TParam& TParams::ParamByName(const AnsiString& name) {
  TParam* p = FindParam(name);
  if (p == nullptr) throw EDatabaseError(Format("Parameter '%s' not found", {name}));
  return *p;
}

void TParams::Rebuild(const std::vector<AnsiString>& names) {
  std::vector<std::unique_ptr<TParam>> next;
  for (const AnsiString& name : names) {
    std::unique_ptr<TParam> kept;
    for (auto& p : items_) {
      if (p && AnsiCompareText(p->Name, name) == 0) kept = std::move(p);
    }
    next.push_back(kept ? std::move(kept) : std::make_unique<TParam>(name));
  }
  items_ = std::move(next);
}

std::vector<AnsiString> ParseSqlParamNames(const AnsiString& sql) {
  std::vector<AnsiString> names;
  char quote = 0;
  for (std::size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
      continue;
    }
    if (c != ':') continue;
    if (i + 1 < sql.size() && sql[i + 1] == ':') {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[end])) || sql[end] == '_')) ++end;
    if (end == i + 1) continue;
    AnsiString name = sql.substr(i + 1, end - i - 1);
    bool seen = false;
    for (const AnsiString& n : names) seen = seen || AnsiCompareText(n, name) == 0;
    if (!seen) names.push_back(name);
    i = end - 1;
  }
  return names;
}
