#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/ui/Clipbrd.h"
#include "platform/ui/SystemClipboard.h"

namespace {

TEST(SystemClipboardNames, EachFormatGoesOutUnderTheNamesOtherProgramsRead) {
  const UINT rtf = RegisterClipboardFormat("Rich Text Format");
  const UINT png = RegisterClipboardFormat("PNG");
  const UINT cells = RegisterClipboardFormat("TExtStringGrid Cells");
  const struct {
    UINT format;
    std::vector<std::string> names;
  } cases[] = {
      {CF_TEXT, {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING", "TEXT"}},
      {CF_UNICODETEXT, {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING", "TEXT"}},
      {rtf, {"text/rtf", "application/rtf"}},
      {png, {"image/png"}},
      {CF_BITMAP, {"image/bmp"}},
      {CF_ENHMETAFILE, {"application/x-dimoprasia-clipboard;format=Enhanced Metafile"}},
      {cells, {"application/x-dimoprasia-clipboard;format=TExtStringGrid Cells"}},
      {CF_HDROP, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::TargetsOfFormat(c.format), c.names) << c.format;
    // And each name comes back as the format.
    for (const std::string& name : c.names) {
      const UINT back = ui::FormatOfTarget(name);
      EXPECT_EQ(back == CF_UNICODETEXT ? CF_TEXT : back, c.format == CF_UNICODETEXT ? CF_TEXT : c.format)
          << name;
    }
  }
}

TEST(SystemClipboardNames, NamesOfOtherProgramsNeverRegisterFormats) {
  EXPECT_EQ(ui::FormatOfTarget("application/x-dimoprasia-clipboard;format=Never Registered Here"), 0u);
  EXPECT_EQ(ui::RegisteredClipboardFormat("Never Registered Here"), 0u);
  EXPECT_EQ(ui::FormatOfTarget("text/html"), 0u);
  EXPECT_EQ(ui::FormatOfTarget("SAVE_TARGETS"), 0u);
}

TEST(SystemClipboardNames, AnAnswerFitsWhenItsTypeIsOfTheSameKind) {
  const struct {
    const char* target;
    const char* type;
    bool fits;
  } cases[] = {
      {"UTF8_STRING", "UTF8_STRING", true},  {"UTF8_STRING", "STRING", true},
      {"TEXT", "UTF8_STRING", true},         {"text/plain", "text/plain;charset=utf-8", true},
      {"UTF8_STRING", "image/png", false},   {"UTF8_STRING", "COMPOUND_TEXT", false},
      {"text/rtf", "application/rtf", true}, {"text/rtf", "text/plain", false},
      {"image/png", "image/png", true},      {"image/png", "image/bmp", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ui::AnswerTypeFits(c.target, c.type), c.fits) << c.target << " " << c.type;
}

TEST(SystemClipboardText, Latin1BothWays) {
  EXPECT_EQ(ui::Latin1ToUtf8("caf\xe9 \xff"), "café ÿ");
  EXPECT_EQ(ui::Utf8ToLatin1("café ÿ"), "caf\xe9 \xff");
  // What Latin-1 lacks, and broken UTF-8, become "?" one for one.
  EXPECT_EQ(ui::Utf8ToLatin1("Αβ €"), "?? ?");
  EXPECT_EQ(ui::Utf8ToLatin1("a\xce"), "a?");
  EXPECT_EQ(ui::Utf8ToLatin1("\xe2\x82"), "??");
}

std::string Longs(std::vector<long> items) {
  return std::string(reinterpret_cast<const char*>(items.data()), items.size() * sizeof(long));
}

TEST(SystemClipboardReaders, TargetsReplyKeepsSoundAtomsOnce) {
  EXPECT_EQ(ui::ReadTargetsReply(Longs({5, 0, 7, 5, 1L << 30, 9}), 32, sizeof(long)),
            (std::vector<std::uint32_t>{5, 7, 9}));
  // Not 32-bit items, or a part of one at the end.
  EXPECT_TRUE(ui::ReadTargetsReply(Longs({5, 7}), 8, 1).empty());
  EXPECT_EQ(ui::ReadTargetsReply(Longs({5, 7}).substr(0, sizeof(long) + 3), 32, sizeof(long)),
            (std::vector<std::uint32_t>{5}));
  std::vector<long> many(10000);
  for (size_t i = 0; i < many.size(); ++i) many[i] = static_cast<long>(i + 1);
  EXPECT_EQ(ui::ReadTargetsReply(Longs(many), 32, sizeof(long), 100).size(), 100u);
}

TEST(SystemClipboardReaders, UriListGivesWholeLocalFileNamesOnly) {
  const struct {
    const char* list;
    std::vector<std::string> files;
  } cases[] = {
      {"file:///home/a/%CE%A0%CF%81%CE%BF.xls\r\nfile:///tmp/b%20c.txt\r\n",
       {"/home/a/Προ.xls", "/tmp/b c.txt"}},
      {"# a comment\nfile://localhost/x.ods\n\n", {"/x.ods"}},
      {"file:/y.xlsx", {"/y.xlsx"}},
      {"file://otherhost/z.xls\r\nhttp://example/a\r\n/plain/path\r\n", {}},
      // A broken escape, a NUL, a blank or no path: the line is left out whole.
      {"file:///a%2\r\nfile:///b%zz\r\nfile:///c%00d\r\nfile:///d e\r\nfile://\r\nfile:///ok\r\n", {"/ok"}},
      {"file:///cut%", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::ReadUriList(c.list), c.files) << c.list;
}

}  // namespace
