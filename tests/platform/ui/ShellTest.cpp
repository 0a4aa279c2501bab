#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "../rtl/TempFolder.h"
#include "UiFixture.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Shell.h"

namespace {

// Runs each test in a fresh current folder.
class ShellTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    previous = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(cp1253::FromUtf8(folder.path())));
  }
  void TearDown() override {
    SetCurrentDir(previous);
    Application->HelpFile.clear();
    UiTest::TearDown();
  }
  AnsiString MakeFile(const AnsiString& name) {
    const AnsiString full = folder / name;
    std::ofstream(cp1253::ToUtf8(full)) << "x";
    return full;
  }
  std::intptr_t Open(const AnsiString& file, const AnsiString& verb = "open", const AnsiString& dir = "") {
    return ShellExecute(nullptr, verb, file, "", dir, SW_SHOWNORMAL);
  }
  TempFolder folder;
  AnsiString previous;
};

TEST_F(ShellTest, WebAndMailLinksGoToTheDesktop) {
  for (const char* link :
       {"http://www.example.gr", "HTTPS://example.gr/a b", "mailto:info@example.gr?subject=x"}) {
    backend->ShellRequests.clear();
    EXPECT_EQ(Open(link), kShellSuccess) << link;
    ASSERT_EQ(backend->ShellRequests.size(), 1u) << link;
    EXPECT_EQ(backend->ShellRequests[0].File, link);
    EXPECT_EQ(backend->ShellRequests[0].Verb, "open");
  }
  EXPECT_EQ(Open("  http://padded.gr  "), kShellSuccess);
  EXPECT_EQ(backend->ShellRequests.back().File, "http://padded.gr");
}

TEST_F(ShellTest, OtherLinksAndVerbsNeverLeaveTheProgram) {
  const struct {
    const char* file;
    const char* verb;
    std::intptr_t result;
  } cases[] = {
      {"gopher://example.gr", "open", SE_ERR_NOASSOC},
      {"file://", "open", SE_ERR_NOASSOC},
      {"javascript:alert(1)", "open", ERROR_FILE_NOT_FOUND},
      {"http://", "open", SE_ERR_NOASSOC},
      {"mailto:", "open", SE_ERR_NOASSOC},
      {"http://a\nb", "open", SE_ERR_NOASSOC},
      {"--help", "open", ERROR_FILE_NOT_FOUND},
      {"", "open", ERROR_FILE_NOT_FOUND},
      {"http://example.gr", "print", SE_ERR_NOASSOC},
      {"http://example.gr", "runas", SE_ERR_NOASSOC},
  };
  for (const auto& c : cases) EXPECT_EQ(Open(c.file, c.verb), c.result) << c.file << " " << c.verb;
  EXPECT_TRUE(backend->ShellRequests.empty());
}

TEST_F(ShellTest, FtpLinksAndFileLinksToDocumentsAndFoldersGoToTheDesktop) {
  const AnsiString document = MakeFile("Αναφορά 1.pdf"_a);
  const AnsiString program = MakeFile("run.sh");
  ::chmod(cp1253::ToUtf8(program).c_str(), 0744);
  ASSERT_TRUE(CreateDir(folder / "dir"));
  const std::string base = "file://" + folder.path();
  const struct {
    AnsiString link;
    std::intptr_t result;
    AnsiString handed;  // what the desktop is given
  } cases[] = {
      {"ftp://example.gr/a.txt", kShellSuccess, "ftp://example.gr/a.txt"},
      {cp1253::FromUtf8(base + "/Αναφορά 1.pdf"), kShellSuccess, document},
      {cp1253::FromUtf8(base + "/%CE%91%CE%BD%CE%B1%CF%86%CE%BF%CF%81%CE%AC%201.pdf"), kShellSuccess,
       document},
      {cp1253::FromUtf8("file://localhost" + folder.path() + "/Αναφορά%201.pdf"), kShellSuccess, document},
      {cp1253::FromUtf8(base + "/run.sh"), SE_ERR_NOASSOC, ""},          // a program is never started
      {cp1253::FromUtf8(base + "/dir"), kShellSuccess, folder / "dir"},  // shown in the file manager
      {cp1253::FromUtf8(base + "/missing.pdf"), SE_ERR_NOASSOC, ""},     // nor a name made up
      {cp1253::FromUtf8(base + "/%ZZ.pdf"), SE_ERR_NOASSOC, ""},         // a broken escape
      {cp1253::FromUtf8(base + "/a%00.pdf"), SE_ERR_NOASSOC, ""},        // an escaped zero
      {cp1253::FromUtf8("file://host" + folder.path() + "/Αναφορά 1.pdf"), SE_ERR_NOASSOC, ""},
  };
  for (const auto& c : cases) {
    backend->ShellRequests.clear();
    EXPECT_EQ(Open(c.link), c.result) << c.link;
    EXPECT_EQ(IsOpenableLink(c.link), c.result == kShellSuccess) << c.link;
    if (c.result != kShellSuccess) {
      EXPECT_TRUE(backend->ShellRequests.empty()) << c.link;
      continue;
    }
    ASSERT_EQ(backend->ShellRequests.size(), 1u) << c.link;
    EXPECT_EQ(backend->ShellRequests[0].File, c.handed);
  }
}

TEST_F(ShellTest, ExistingFilesAndFoldersOpenByTheirFullNameIgnoringCase) {
  const AnsiString report = MakeFile("Αναφορά.txt"_a);
  EXPECT_EQ(Open("αναφορά.TXT"_a), kShellSuccess);
  ASSERT_EQ(backend->ShellRequests.size(), 1u);
  EXPECT_EQ(backend->ShellRequests[0].File, report);

  ASSERT_TRUE(CreateDir(folder / "sub"));
  const AnsiString inner = MakeFile("sub/a.pdf");
  EXPECT_EQ(Open("a.pdf", "", folder / "sub"), kShellSuccess);
  EXPECT_EQ(backend->ShellRequests.back().File, inner);

  EXPECT_EQ(Open("missing.pdf"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(backend->ShellRequests.size(), 2u);
  EXPECT_EQ(Open("SUB"), kShellSuccess);  // a folder, for the file manager
  ASSERT_EQ(backend->ShellRequests.size(), 3u);
  EXPECT_EQ(backend->ShellRequests.back().File, folder / "sub");
}

TEST_F(ShellTest, ARefusingDesktopIsAFailure) {
  backend->ShellAccepts = false;
  EXPECT_EQ(Open("http://example.gr"), SE_ERR_NOASSOC);
}

TEST_F(ShellTest, TheTextEditorCommandOpensTheFileWithTheDesktopsHandler) {
  const AnsiString report = MakeFile("temp.@@@");
  EXPECT_GT(WinExec("write.exe temp.@@@", SW_SHOWNORMAL), 31u);
  ASSERT_EQ(backend->ShellRequests.size(), 1u);
  EXPECT_EQ(backend->ShellRequests[0].File, report);
  EXPECT_TRUE(backend->ProcessRequests.empty());
}

TEST_F(ShellTest, TheTextEditorOnAMissingFileStartsNothing) {
  EXPECT_EQ(WinExec("write.exe temp.@@@", SW_SHOWNORMAL), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(WinExec("", SW_SHOWNORMAL), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(backend->ShellRequests.empty());
  EXPECT_TRUE(backend->ProcessRequests.empty());
}

TEST_F(ShellTest, OtherProgramsStartWithTheirCommandLine) {
  EXPECT_GT(WinExec("soffice --calc", SW_SHOW), 31u);
  EXPECT_EQ(backend->ProcessRequests, std::vector<AnsiString>{"soffice --calc"});
  backend->ShellAccepts = false;
  EXPECT_EQ(WinExec("nothing-here", SW_SHOW), ERROR_FILE_NOT_FOUND);
}

TEST(SplitCommandLine, WordsAndQuotes) {
  const struct {
    const char* line;
    std::vector<AnsiString> words;
  } cases[] = {
      {"write.exe temp.@@@", {"write.exe", "temp.@@@"}},
      {"  a   b  ", {"a", "b"}},
      {"\"C:/Program Files/x.exe\" \"a b\" c", {"C:/Program Files/x.exe", "a b", "c"}},
      {"\"\" x", {"", "x"}},
      {"a\tb", {"a", "b"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

TEST_F(ShellTest, HelpOpensTheHelpFileWhenItExists) {
  Application->HelpFile = "VARNOLDI.HLP";
  EXPECT_FALSE(Application->HelpContext(1000));
  EXPECT_TRUE(backend->ShellRequests.empty());

  const AnsiString help = MakeFile("varnoldi.hlp");
  EXPECT_TRUE(Application->HelpContext(1000));
  ASSERT_EQ(backend->ShellRequests.size(), 1u);
  EXPECT_EQ(backend->ShellRequests[0].File, help);
  EXPECT_TRUE(Application->HelpCommand(HELP_CONTENTS, 0));
  EXPECT_TRUE(Application->HelpCommand(HELP_PARTIALKEY, 0));
  EXPECT_FALSE(Application->HelpCommand(HELP_HELPONHELP, 0));
  EXPECT_TRUE(Application->HelpCommand(HELP_QUIT, 0));
  EXPECT_EQ(backend->ShellRequests.size(), 3u);

  Application->HelpFile.clear();
  EXPECT_FALSE(Application->HelpContext(1000));
}

TEST_F(ShellTest, HelpEventTakesTheRequestOverOrLetsTheFileOpen) {
  Application->HelpFile = "VARNOLDI.HLP";
  MakeFile("VARNOLDI.HLP");
  std::vector<std::pair<Word, std::intptr_t>> asked;
  bool takeOver = true;
  Application->OnHelp = [&](Word command, std::intptr_t data, bool& callHelp) {
    asked.emplace_back(command, data);
    callHelp = !takeOver;
    return takeOver && data == 7;
  };
  // Taken over: the handler's answer, and the file is not opened.
  EXPECT_TRUE(Application->HelpContext(7));
  EXPECT_FALSE(Application->HelpContext(8));
  EXPECT_TRUE(backend->ShellRequests.empty());
  // Left to the default: the help file opens.
  takeOver = false;
  EXPECT_TRUE(Application->HelpContext(9));
  EXPECT_EQ(backend->ShellRequests.size(), 1u);
  EXPECT_EQ(asked, (std::vector<std::pair<Word, std::intptr_t>>{
                       {HELP_CONTEXT, 7}, {HELP_CONTEXT, 8}, {HELP_CONTEXT, 9}}));
  Application->OnHelp = nullptr;
}

TEST(MemoryStatus, ReadsTheSystemsFigures) {
  MEMORYSTATUSEX status;
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  EXPECT_GT(status.ullTotalPhys, 0u);
  EXPECT_LE(status.ullAvailPhys, status.ullTotalPhys);
  EXPECT_GE(status.ullTotalPageFile, status.ullTotalPhys);
  EXPECT_LE(status.dwMemoryLoad, 100u);

  MEMORYSTATUSEX wrongSize;
  wrongSize.dwLength = 32;
  EXPECT_FALSE(GlobalMemoryStatusEx(&wrongSize));
  EXPECT_EQ(wrongSize.ullTotalPhys, 0u);
  EXPECT_FALSE(GlobalMemoryStatusEx(nullptr));
}

TEST(MemoryStatus, ParsesMeminfoText) {
  const struct {
    const char* text;
    bool ok;
    std::uint64_t total, avail, pageTotal, pageAvail;
    DWORD load;
  } cases[] = {
      // A current kernel.
      {"MemTotal:        2097152 kB\nMemFree:          100000 kB\nMemAvailable:    1048576 kB\n"
       "Buffers:           1000 kB\nCached:           2000 kB\nSwapTotal:       1024 kB\nSwapFree:         "
       "512 kB\n",
       true, 2147483648ull, 1073741824ull, 2148532224ull, 1074266112ull, 50},
      // Without MemAvailable: free memory plus buffers and cache.
      {"MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 250 kB\n", true, 1024000, 409600, 1024000,
       409600, 60},
      // Damaged: more available than there is.
      {"MemTotal: 10 kB\nMemAvailable: 99 kB\n", true, 10240, 10240, 10240, 10240, 0},
      {"MemFree: 100 kB\n", false, 0, 0, 0, 0, 0},
      {"MemTotal: 0 kB\nMemAvailable: 0 kB\n", false, 0, 0, 0, 0, 0},
      {"MemTotal: 1000 kB\n", false, 0, 0, 0, 0, 0},
      {"MemTotal: lots\nMemAvailable: 5 kB\n", false, 0, 0, 0, 0, 0},
      {"MemTotal: 99999999999999999999 kB\nMemAvailable: 1 kB\n", false, 0, 0, 0, 0, 0},
      {"", false, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    MEMORYSTATUSEX s;
    ASSERT_EQ(ParseMemInfo(c.text, s), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(s.ullTotalPhys, c.total) << c.text;
    EXPECT_EQ(s.ullAvailPhys, c.avail) << c.text;
    EXPECT_EQ(s.ullTotalPageFile, c.pageTotal) << c.text;
    EXPECT_EQ(s.ullAvailPageFile, c.pageAvail) << c.text;
    EXPECT_EQ(s.dwMemoryLoad, c.load) << c.text;
  }
}

}  // namespace
