#pragma once
// A small database file made fresh for a test, in the test's output folder.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "tests/TestOutput.h"

inline std::string MakeTestDatabase(const std::string& prefix, const std::string& script) {
  const std::string fileName = TestOutput(prefix + ".db");
  std::remove(fileName.c_str());
  sqlite3* db = nullptr;
  if (sqlite3_open(fileName.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create " + fileName);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error);
  const std::string message = error != nullptr ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error(message);
  return fileName;
}

// Three items with every kind of column the data sets know.
inline const char* ItemsScript() {
  return "CREATE TABLE items(name TEXT, qty INTEGER, price REAL, paid BOOLEAN, day DATE, amount "
         "DECIMAL(10,2),"
         " stamp DATETIME, data BLOB, big BIGINT, at TIME);"
         "INSERT INTO items VALUES('Pen', 2, 1.5, 1, '2024-03-01', 10.25, '2024-03-01 14:30:00', x'00ff', 5,"
         " '14:30');"
         "INSERT INTO items VALUES('Ink', 5, 0.25, 0, 45000, 3.5, NULL, NULL, 6, NULL);"
         "INSERT INTO items VALUES('Pad', 1, 4.0, 1, '2024-01-31', 1, '2024-01-31 08:00', NULL, 7, NULL);";
}
