#pragma once
// The lines a PDF strokes, read back through qpdf, which uncompresses the
// page; a test whose qpdf is missing fails naming it.

#include <regex>
#include <string>
#include <vector>

#include "platform/rtl/FileUtils.h"
#include "tests/platform/OtherPrograms.h"

// One stroked segment, in points from the page's top left, with the pen
// width it is stroked with.
struct TStroke {
  double width, x1, y1, x2, y2;
};

// The two-point lines of every page of Pdf, in order. A page that turns
// its y axis down first gives them from the top already; otherwise they
// are turned with PageHeight (points).
inline std::vector<TStroke> PdfStrokes(const std::string& pdf, double pageHeight) {
  std::vector<TStroke> strokes;
  if (::testing::AssertionResult have = Installed("qpdf", "qpdf"); !have) {
    ADD_FAILURE() << have.message();
    return strokes;
  }
  const std::string qdf = pdf + ".qdf";
  RunCommand("qpdf --qdf --object-streams=disable '" + pdf + "' '" + qdf + "' 2>&1");
  const std::string content = ReadWholeFile(cp1253::FromUtf8(qdf));
  const std::regex op(R"(([\d.]+) w\b|([\d.]+) ([\d.]+) m ([\d.]+) ([\d.]+) l S)");
  const bool down = std::regex_search(content, std::regex(R"(\n1 0 0 -1 0 [\d.]+ cm\n)"));
  const auto y = [&](const std::string& v) { return down ? std::stod(v) : pageHeight - std::stod(v); };
  double width = 1;
  for (auto it = std::sregex_iterator(content.begin(), content.end(), op); it != std::sregex_iterator();
       ++it) {
    if ((*it)[1].matched) {
      width = std::stod((*it)[1]);
      continue;
    }
    strokes.push_back({width, std::stod((*it)[2]), y((*it)[3]), std::stod((*it)[4]), y((*it)[5])});
  }
  return strokes;
}
