#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/IniFiles.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

std::vector<AnsiString> items(const TStrings& list) {
  std::vector<AnsiString> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

class DecimalSeparatorScope {
 public:
  explicit DecimalSeparatorScope(char sep) : saved_(DecimalSeparator), savedThousands_(ThousandSeparator) {
    DecimalSeparator = sep;
    ThousandSeparator = sep == ',' ? '.' : ',';
  }
  ~DecimalSeparatorScope() {
    DecimalSeparator = saved_;
    ThousandSeparator = savedThousands_;
  }

 private:
  char saved_, savedThousands_;
};

TEST(TIniFile, RoundTripOfEveryType) {
  TempFolder folder;
  TIniFile ini(folder / "TOLVICOR.INI");
  ini.WriteString("Excel", "Path", "/opt/Λογιστικό φύλλο/bin"_a);
  ini.WriteInteger("Grid", "Col0", 64);
  ini.WriteInteger("Grid", "Col1", -7);
  ini.WriteBool("Grid", "Save", true);
  ini.WriteBool("Grid", "Stretch", false);
  TIniFile again(folder / "tolvicor.ini");
  EXPECT_EQ(again.ReadString("EXCEL", "path", ""), "/opt/Λογιστικό φύλλο/bin"_a);
  EXPECT_EQ(again.ReadInteger("grid", "COL0", 0), 64);
  EXPECT_EQ(again.ReadInteger("Grid", "Col1", 0), -7);
  EXPECT_TRUE(again.ReadBool("Grid", "Save", false));
  EXPECT_FALSE(again.ReadBool("Grid", "Stretch", true));
  EXPECT_EQ(again.ReadString("Grid", "Missing", "def"), "def");
  EXPECT_EQ(again.ReadInteger("Nowhere", "Col0", 5), 5);
  EXPECT_EQ(ReadBytes(folder.path() + "/TOLVICOR.INI"),
            "[Excel]\r\nPath=" + "/opt/Λογιστικό φύλλο/bin"_a +
                "\r\n[Grid]\r\nCol0=64\r\nCol1=-7\r\nSave=1\r\nStretch=0\r\n");
}

TEST(TIniFile, FloatsUseTheLocaleSeparatorAndReadEither) {
  TempFolder folder;
  TIniFile ini(folder / "f.ini");
  {
    DecimalSeparatorScope greek(',');
    ini.WriteFloat("M", "Left", 12.5);
    EXPECT_EQ(ini.ReadString("M", "Left", ""), "12,5");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("M", "Left", 0), 12.5);
    ini.WriteString("M", "Dot", "0.25");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("M", "Dot", 0), 0.25);
    ini.WriteString("M", "Thousands", "1.234,5");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("M", "Thousands", -1), -1);
  }
  {
    DecimalSeparatorScope c('.');
    EXPECT_DOUBLE_EQ(ini.ReadFloat("M", "Left", 0), 12.5);
    ini.WriteFloat("M", "Top", 0.1);
    EXPECT_EQ(ini.ReadString("M", "Top", ""), "0.1");
  }
  ini.WriteString("M", "Bad", "abc");
  EXPECT_DOUBLE_EQ(ini.ReadFloat("M", "Bad", 3.5), 3.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("M", "Missing", 4.5), 4.5);
}

TEST(TIniFile, IntegersAndBooleansFromText) {
  TempFolder folder;
  WriteBytes(folder.path() + "/i.ini", "[S]\nhex=0x1F\ndollar=$10\nbad=12a\nblank=\nbool=2\n");
  TIniFile ini(folder / "i.ini");
  EXPECT_EQ(ini.ReadInteger("S", "hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "dollar", 0), 16);
  EXPECT_EQ(ini.ReadInteger("S", "bad", 9), 9);
  EXPECT_EQ(ini.ReadInteger("S", "blank", 9), 9);
  EXPECT_TRUE(ini.ReadBool("S", "bool", false));
  EXPECT_TRUE(ini.ReadBool("S", "blank", true));
}

TEST(TIniFile, ReadsHandWrittenFiles) {
  TempFolder folder;
  WriteBytes(folder.path() + "/h.ini",
             "orphan=before any section\r\n"
             "; a comment\r\n"
             "  [ First ]  \r\n"
             "  key  =  spaced value  \r\n"
             "quoted=\"  kept  \"\r\n"
             "single='x'\r\n"
             "half=\"open\r\n"
             "no equals here\r\n"
             ";commented=1\r\n"
             "key=second ignored\r\n"
             "[first]\r\n"
             "other=in a repeated section\r\n"
             "[Second]\n"
             "a=1\r"
             "b=2");
  TIniFile ini(folder / "h.ini");
  EXPECT_EQ(ini.ReadString("First", "key", ""), "spaced value");
  EXPECT_EQ(ini.ReadString("First", "quoted", ""), "  kept  ");
  EXPECT_EQ(ini.ReadString("First", "single", ""), "x");
  EXPECT_EQ(ini.ReadString("First", "half", ""), "\"open");
  EXPECT_EQ(ini.ReadString("First", "commented", "none"), "none");
  EXPECT_EQ(ini.ReadString("", "orphan", "none"), "none");
  EXPECT_EQ(ini.ReadString("Second", "b", ""), "2");
  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(items(list), (std::vector<AnsiString>{"First", "Second"}));
  ini.ReadSection("FIRST", &list);
  EXPECT_EQ(items(list), (std::vector<AnsiString>{"key", "quoted", "single", "half"}));
  ini.ReadSectionValues("second", &list);
  EXPECT_EQ(items(list), (std::vector<AnsiString>{"a=1", "b=2"}));
}

TEST(TIniFile, WritingKeepsTheRestOfTheFile) {
  TempFolder folder;
  std::string path = folder.path() + "/k.ini";
  WriteBytes(path, "; settings\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  TIniFile ini(folder / "k.ini");
  ini.WriteString("a", "X", "10");  // replaces in place, keeps the spelling
  ini.WriteString("A", "z", "3");   // before the blank separator
  ini.WriteString("C", "w", "4");   // a new section at the end
  EXPECT_EQ(ReadBytes(path), "; settings\r\n[A]\r\nx=10\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");
  ini.DeleteKey("a", "x");
  ini.EraseSection("b");
  EXPECT_EQ(ReadBytes(path), "; settings\r\n[A]\r\nz=3\r\n\r\n[C]\r\nw=4\r\n");
  EXPECT_TRUE(ini.SectionExists("c"));
  EXPECT_FALSE(ini.SectionExists("B"));
  EXPECT_TRUE(ini.ValueExists("A", "Z"));
  EXPECT_FALSE(ini.ValueExists("A", "x"));
}

TEST(TIniFile, AnEmptySectionDoesNotExistAsInTheClassLibrary) {
  TempFolder folder;
  WriteBytes(folder.path() + "/e.ini", "[Empty]\r\n");
  TIniFile ini(folder / "e.ini");
  EXPECT_FALSE(ini.SectionExists("Empty"));
}

TEST(TIniFile, ValuesThatNeedQuotesReadBackTheSame) {
  TempFolder folder;
  TIniFile ini(folder / "q.ini");
  for (const char* value : {" leading", "trailing ", "\"quoted\"", "'single'", "\"", "a=b", "", "  "}) {
    ini.WriteString("Q", "v", value);
    EXPECT_EQ(ini.ReadString("Q", "v", "default"), value) << value;
  }
}

TEST(TIniFile, WhatOneLineCannotHoldIsRefusedAndTheFileKept) {
  TempFolder folder;
  std::string path = folder.path() + "/r.ini";
  TIniFile ini(folder / "r.ini");
  ini.WriteString("S", "k", "v");
  const std::string before = ReadBytes(path);
  const std::pair<const char*, const char*> bad[] = {{"S", "a=b"}, {"S", ""},   {"S", "new\nline"},
                                                     {"S]", "k"},  {"S", "[k"}, {"S", ";k"}};
  for (const auto& [section, ident] : bad)
    EXPECT_THROW(ini.WriteString(section, ident, "v"), EIniFileException);
  try {
    ini.WriteString("S", "k", "two\r\nlines");
    FAIL();
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message, "Unable to write to " + (folder / "r.ini"));
  }
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(TIniFile, UnwritableFileRaisesAndReadsGiveDefaults) {
  TempFolder folder;
  TIniFile ini(folder / "missing/x.ini");
  EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
  EXPECT_THROW(ini.WriteString("S", "k", "v"), EIniFileException);
  std::filesystem::create_directory(folder.path() + "/dir.ini");
  TIniFile dir(folder / "dir.ini");
  EXPECT_EQ(dir.ReadString("S", "k", "d"), "d");
  EXPECT_THROW(dir.WriteString("S", "k", "v"), EIniFileException);
}

TEST(TIniFile, ANameWithoutAFolderLivesInTheUserSettingsFolder) {
  TempFolder folder;
  ScopedEnv settings("XDG_CONFIG_HOME", folder.path());
  {
    TIniFile ini("TOLVICOR.INI");
    EXPECT_EQ(ini.FileName(), "TOLVICOR.INI");
    EXPECT_EQ(ini.Path(), folder / "dimoprasia/TOLVICOR.INI");
    ini.WriteString("Excel", "Path", "x");
    EXPECT_EQ(ReadBytes(folder.path() + "/dimoprasia/TOLVICOR.INI"), "[Excel]\r\nPath=x\r\n");
  }
}

TEST(TIniFile, TwoObjectsOnOneFileSeeEachOther) {
  TempFolder folder;
  TIniFile a(folder / "s.ini");
  TIniFile b(folder / "S.INI");
  a.WriteInteger("G", "Col0", 1);
  b.WriteInteger("G", "Col1", 2);
  EXPECT_EQ(a.ReadInteger("G", "Col1", 0), 2);
  EXPECT_EQ(b.ReadInteger("G", "Col0", 0), 1);
}

TEST(TIniFile, BinaryFileReadsWhatItCan) {
  TempFolder folder;
  std::string bytes = std::string("\x00[bin\x01]\r\n\xFF[no]\r\n", 16) + std::string("k=\0v\r\n", 6) +
                      std::string(300, '\0') + "\r[ok]\rgood=yes\r\x80\x81=\x82";
  WriteBytes(folder.path() + "/b.ini", bytes);
  TIniFile ini(folder / "b.ini");
  EXPECT_EQ(ini.ReadString("ok", "good", ""), "yes");
  EXPECT_EQ(ini.ReadString("bin\x01", "k", ""), "v");  // blanks and controls trimmed
  ini.WriteString("ok", "more", "1");
  EXPECT_EQ(ini.ReadString("ok", "good", ""), "yes");
  EXPECT_EQ(ini.ReadString("ok", "more", ""), "1");
  EXPECT_EQ(ini.ReadString("ok", "\x80\x81", ""), "\x82");
}

TEST(IniParse, LineKinds) {
  auto lines = inifile::Parse("[S]\r\n a = b \r\n;c=d\r\n[broken\r\nnoeq\r\n=novalue\r\n");
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].kind, inifile::Line::Section);
  EXPECT_EQ(lines[0].name, "S");
  EXPECT_EQ(lines[1].kind, inifile::Line::Value);
  EXPECT_EQ(lines[1].name, "a");
  EXPECT_EQ(lines[1].value, "b");
  EXPECT_EQ(lines[1].text, " a = b ");
  for (int i : {2, 3, 4, 5}) EXPECT_EQ(lines[i].kind, inifile::Line::Other) << i;
}

}  // namespace
