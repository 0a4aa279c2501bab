#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "platform/rtl/Cp1253.h"

namespace {

// glibc's converter is the independent reference for every byte.
std::string iconvConvert(const char* to, const char* from, const std::string& in, bool* ok) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *ok = false;
    return {};
  }
  std::string out(in.size() * 4 + 8, '\0');
  char* inp = const_cast<char*>(in.data());
  size_t inleft = in.size();
  char* outp = out.data();
  size_t outleft = out.size();
  size_t r = iconv(cd, &inp, &inleft, &outp, &outleft);
  iconv_close(cd);
  *ok = r != static_cast<size_t>(-1);
  out.resize(out.size() - outleft);
  return out;
}

TEST(Cp1253, EveryByteMatchesIconvBothWays) {
  int undefined = 0;
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    bool ok = false;
    std::string ref = iconvConvert("UTF-8", "CP1253", one, &ok);
    std::string ours = cp1253::ToUtf8(one);
    if (!ok) {
      ++undefined;
      EXPECT_EQ(ours, "\xEF\xBF\xBD") << "byte " << b;
      continue;
    }
    EXPECT_EQ(ours, ref) << "byte " << b;
    EXPECT_EQ(cp1253::FromUtf8(ref), one) << "byte " << b;
    EXPECT_EQ(cp1253::FromWide(cp1253::ToWide(one)), one) << "byte " << b;
  }
  // 0x81 0x88 0x8A 0x8C-0x90 0x98 0x9A 0x9C-0x9F 0xAA 0xD2 0xFF
  EXPECT_EQ(undefined, 17);
}

TEST(Cp1253, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  struct Case {
    const char* utf8;
    const char* ansi;
  } cases[] = {
      {"abc", "abc"},
      {"\xD0\x96", "?"},  // Cyrillic Zhe
      {"\xE4\xB8\xAD"
       "x",
       "?x"},                     // CJK
      {"\xF0\x9F\x98\x80", "?"},  // emoji, four bytes
      {"\xC3", "?"},              // truncated sequence
      {"\x80"
       "a",
       "?a"},                   // stray continuation byte
      {"\xC0\xAF", "??"},       // overlong
      {"\xED\xA0\x80", "???"},  // encoded surrogate
  };
  for (const auto& c : cases) EXPECT_EQ(cp1253::FromUtf8(c.utf8), c.ansi) << c.utf8;
  EXPECT_EQ(cp1253::FromWide(u"\U0001F600z"), "?z");
}

}  // namespace
