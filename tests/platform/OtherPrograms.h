#pragma once
// Other programs reading what our canvases and printers write: a PDF must
// pass qpdf's check and give its text back through pdftotext. A program
// that is not installed fails the test, naming the Debian package that
// brings it: a check that quietly passes would hide a broken install.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string RunCommand(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int rc = pclose(pipe);
  if (status) *status = rc;
  return out;
}

inline bool Have(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Success when Program is installed, else a failure naming Package.
inline ::testing::AssertionResult Installed(const char* program, const char* package) {
  if (Have(program)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << program << " is missing: install the Debian package " << package;
}

// The file name is UTF-8.
inline ::testing::AssertionResult PdfIsSound(const std::string& file) {
  if (!Have("qpdf")) return Installed("qpdf", "qpdf");
  int status = -1;
  const std::string report = RunCommand("qpdf --check '" + file + "' 2>&1", &status);
  if (status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << file << ": " << report;
}

// The PDF's text in UTF-8; false, with a failure, when pdftotext is
// missing. With layout the reader keeps the text's columns.
inline bool PdfText(const std::string& file, std::string& text, bool layout = false) {
  if (::testing::AssertionResult have = Installed("pdftotext", "poppler-utils"); !have) {
    ADD_FAILURE() << have.message();
    return false;
  }
  text = RunCommand(std::string("pdftotext ") + (layout ? "-layout " : "") + "-enc UTF-8 '" + file +
                    "' - 2>/dev/null");
  return true;
}
