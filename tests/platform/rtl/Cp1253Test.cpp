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

TEST(Cp1253, EveryByteOfATextWidensInPlace) {
  std::string all;
  for (int b = 255; b >= 0; --b) all += static_cast<char>(b);
  const WideString wide = cp1253::ToWide(all);
  ASSERT_EQ(wide.size(), all.size());
  for (size_t i = 0; i < all.size(); ++i)
    EXPECT_EQ(wide[i], cp1253::ToUnicode(static_cast<unsigned char>(all[i]))) << i;
  EXPECT_EQ(cp1253::ToWide(""), WideString());
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

namespace {

// Names from outside are taken only when the code page holds them whole,
// and shown whole when it does not.
TEST(Cp1253, NamesTheCodePageCannotHoldAreRefusedAndShownWhole) {
  struct Case {
    const char* utf8;
    bool held;
    const char* shown;  // in UTF-8
  } cases[] = {
      {"έργο.ddn", true, "έργο.ddn"},
      {"/tmp/\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0/x.ddn", false,
       "/tmp/<U+043F><U+0430><U+043F><U+043A><U+0430>/x.ddn"},
      {"έργο\xF0\x9F\x98\x80"
       "2.ddn",
       false, "έργο<U+1F600>2.ddn"},
      {"fa\xC3\xA7"
       "ade",
       false, "fa<U+00E7>ade"},
      {"a?b", true, "a?b"},
      {"a<b", true, "a<<b"},
      {"bad\xFF", false, "bad<FF>"},
      {"cut\xCE", false, "cut<CE>"},
      {"\xEF\xBF\xBD", false, "<U+FFFD>"},
  };
  for (const Case& c : cases) {
    AnsiString held = "unchanged";
    EXPECT_EQ(cp1253::TryFromUtf8(c.utf8, held), c.held) << c.utf8;
    if (c.held)
      EXPECT_EQ(cp1253::ToUtf8(held), c.utf8);
    else
      EXPECT_EQ(held, "unchanged");
    EXPECT_EQ(cp1253::ToUtf8(cp1253::ShowUtf8(c.utf8)), c.shown) << c.utf8;
  }
}

TEST(Cp1253, WideToUtf8JoinsSurrogatePairs) {
  EXPECT_EQ(cp1253::WideToUtf8(u"έργο\U0001F600"), "έργο\xF0\x9F\x98\x80");
  EXPECT_EQ(cp1253::WideToUtf8(std::u16string(1, char16_t(0xD83D)) + u"x"), "\xEF\xBF\xBDx");
  std::string four;
  cp1253::AppendUtf8(four, 0x10FFFF);
  EXPECT_EQ(four, "\xF4\x8F\xBF\xBF");
}

}  // namespace
