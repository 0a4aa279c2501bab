// Data sets over SQLite database files: the result of one statement is read
// whole when the data set opens.
#include <sqlite3.h>

#include <memory>

#include "platform/db/Db.h"

namespace {

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFinalizer {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};

[[noreturn]] void fail(sqlite3* db, const AnsiString& what) {
  throw EDatabaseError(what + ": " + cp1253::FromUtf8(db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
}

bool contains(const AnsiString& upper, const char* word) { return upper.find(word) != AnsiString::npos; }

// The declared type of a column, read the way SQLite reads affinity, with
// the class library's kinds for the names it knows.
TFieldType typeOfDeclared(const char* declared) {
  if (declared == nullptr) return ftUnknown;
  const AnsiString t = UpperCase(declared);
  if (contains(t, "BOOL")) return ftBoolean;
  if (contains(t, "DATETIME") || contains(t, "TIMESTAMP")) return ftDateTime;
  if (contains(t, "DATE")) return ftDate;
  if (contains(t, "TIME")) return ftTime;
  if (contains(t, "SMALLINT")) return ftSmallint;
  if (contains(t, "BIGINT")) return ftLargeint;
  if (contains(t, "WORD")) return ftWord;
  if (contains(t, "INT")) return ftInteger;
  if (contains(t, "CHAR") || contains(t, "TEXT") || contains(t, "CLOB")) return ftString;
  if (contains(t, "MONEY") || contains(t, "CURRENCY")) return ftCurrency;
  if (contains(t, "DECIMAL") || contains(t, "NUMERIC")) return ftBCD;
  if (contains(t, "REAL") || contains(t, "FLOA") || contains(t, "DOUB")) return ftFloat;
  if (contains(t, "BLOB")) return ftBlob;
  return ftString;
}

// A computed column has no declared type: its first value decides.
TFieldType typeOfValue(const TDbValue& v) {
  if (std::holds_alternative<Int64>(v)) return ftInteger;
  if (std::holds_alternative<double>(v)) return ftFloat;
  return ftString;
}

void bind(sqlite3* db, sqlite3_stmt* stmt, int index, const TParam& param) {
  const TDbValue& v = param.Value();
  int rc = SQLITE_OK;
  if (const auto* i = std::get_if<Int64>(&v)) {
    rc = sqlite3_bind_int64(stmt, index, *i);
  } else if (const auto* d = std::get_if<double>(&v)) {
    rc = sqlite3_bind_double(stmt, index, *d);
  } else if (const auto* s = std::get_if<AnsiString>(&v)) {
    const std::string utf8 = cp1253::ToUtf8(*s);
    rc = sqlite3_bind_text(stmt, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
  } else {
    rc = sqlite3_bind_null(stmt, index);
  }
  if (rc != SQLITE_OK) fail(db, "Cannot bind parameter " + param.Name);
}

}  // namespace

void TDBDataSet::SetDatabaseName(const AnsiString& name) {
  CheckInactive("DatabaseName");
  databaseName_ = name;
}

void TDBDataSet::RunSelect(const AnsiString& sql, TParams* params, std::vector<TColumn>& columns,
                           std::vector<TRow>& rows) const {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(cp1253::ToUtf8(databaseName_).c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, DbCloser> db(raw);
  if (rc != SQLITE_OK) fail(raw, "Cannot open database " + databaseName_);
  const std::string text = cp1253::ToUtf8(sql);
  sqlite3_stmt* rawStmt = nullptr;
  if (sqlite3_prepare_v2(raw, text.c_str(), static_cast<int>(text.size()), &rawStmt, nullptr) != SQLITE_OK) {
    fail(raw, "Cannot prepare statement");
  }
  std::unique_ptr<sqlite3_stmt, StmtFinalizer> stmt(rawStmt);
  if (rawStmt == nullptr) throw EDatabaseError("Empty statement");
  for (int i = 1; i <= sqlite3_bind_parameter_count(rawStmt); ++i) {
    const char* name = sqlite3_bind_parameter_name(rawStmt, i);
    TParam* param =
        (params != nullptr && name != nullptr) ? params->FindParam(cp1253::FromUtf8(name + 1)) : nullptr;
    if (param != nullptr) bind(raw, rawStmt, i, *param);
  }
  const int columnCount = sqlite3_column_count(rawStmt);
  for (int c = 0; c < columnCount; ++c) {
    columns.push_back(TColumn{cp1253::FromUtf8(sqlite3_column_name(rawStmt, c)),
                              typeOfDeclared(sqlite3_column_decltype(rawStmt, c))});
  }
  for (;;) {
    const int step = sqlite3_step(rawStmt);
    if (step == SQLITE_DONE) break;
    if (step != SQLITE_ROW) fail(raw, "Cannot read rows");
    TRow row(static_cast<std::size_t>(columnCount));
    for (int c = 0; c < columnCount; ++c) {
      TDbValue& cell = row[static_cast<std::size_t>(c)];
      switch (sqlite3_column_type(rawStmt, c)) {
        case SQLITE_INTEGER:
          cell = static_cast<Int64>(sqlite3_column_int64(rawStmt, c));
          break;
        case SQLITE_FLOAT:
          cell = sqlite3_column_double(rawStmt, c);
          break;
        case SQLITE_TEXT:
          cell = cp1253::FromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rawStmt, c)));
          break;
        case SQLITE_BLOB: {
          const auto* bytes = static_cast<const char*>(sqlite3_column_blob(rawStmt, c));
          cell = AnsiString(bytes != nullptr ? bytes : "",
                            static_cast<std::size_t>(sqlite3_column_bytes(rawStmt, c)));
          break;
        }
        default:
          break;
      }
      if (columns[static_cast<std::size_t>(c)].DataType == ftUnknown &&
          !std::holds_alternative<std::monostate>(cell)) {
        columns[static_cast<std::size_t>(c)].DataType = typeOfValue(cell);
      }
    }
    rows.push_back(std::move(row));
  }
  for (TColumn& column : columns) {
    if (column.DataType == ftUnknown) column.DataType = ftString;
  }
}

void TTable::SetTableName(const AnsiString& name) {
  CheckInactive("TableName");
  tableName_ = name;
}

void TTable::InternalOpen(std::vector<TColumn>& columns, std::vector<TRow>& rows) {
  AnsiString quoted = "\"";
  for (char c : tableName_) quoted += c == '"' ? AnsiString("\"\"") : AnsiString(1, c);
  quoted += "\"";
  RunSelect("SELECT * FROM " + quoted, nullptr, columns, rows);
}

TQuery::TQuery(TComponent* AOwner) : TDBDataSet(AOwner) {
  sql_.OnChange = [this](TStrings*) { sqlChanged(); };
}

void TQuery::sqlChanged() {
  SetActive(false);
  params_.Rebuild(ParseSqlParamNames(sql_.Text()));
}

void TQuery::InternalOpen(std::vector<TColumn>& columns, std::vector<TRow>& rows) {
  RunSelect(sql_.Text(), &params_, columns, rows);
}
