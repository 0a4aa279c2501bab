#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/rtl/Classes.h"
#include "platform/rtl/FileUtils.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/platform/rtl/ScopedFileSizeLimit.h"
#include "tests/platform/rtl/TempFolder.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> entries(const std::string& folder) {
  std::set<std::string> out;
  for (const auto& entry : fs::directory_iterator(folder)) out.insert(entry.path().filename().string());
  return out;
}

// ---- names -----------------------------------------------------------------

TEST(FileNames, ExtensionsFollowTheClassLibrary) {
  struct Case {
    const char* name;
    const char* ext;
    const char* changed;  // to ".ddn"
  };
  const Case cases[] = {
      {"x.DDN", ".DDN", "x.ddn"},
      {"a.b/c", "", "a.b/c.ddn"},
      {".hidden", ".hidden", ".ddn"},
      {"x.", ".", "x.ddn"},
      {"dir/file.tar.gz", ".gz", "dir/file.tar.ddn"},
      {"noext", "", "noext.ddn"},
      {"", "", ".ddn"},
      {"/", "", "/.ddn"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
    EXPECT_EQ(ChangeFileExt(c.name, ".ddn"), c.changed) << c.name;
  }
  EXPECT_EQ(ChangeFileExt("a.ddt", ""), "a");
}

TEST(FileNames, PathParts) {
  struct Case {
    const char* name;
    const char* path;
    const char* dir;
    const char* file;
  };
  const Case cases[] = {
      {"/a/b/c.txt", "/a/b/", "/a/b", "c.txt"},
      {"c.txt", "", "", "c.txt"},
      {"/c.txt", "/", "/", "c.txt"},
      {"a/", "a/", "a", ""},
      {"a//b", "a//", "a//", "b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
    EXPECT_EQ(ExtractFileDir(c.name), c.dir) << c.name;
    EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
  }
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a"), "/a");
}

TEST(FileNames, ExpandFileNameFoldsDots) {
  EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
  EXPECT_EQ(ExpandFileName("/../x"), "/x");
  EXPECT_EQ(ExpandFileName("/a/b/"), "/a/b/");
  EXPECT_EQ(ExpandFileName("/"), "/");
  EXPECT_EQ(ExpandFileName("rel"), IncludeTrailingPathDelimiter(GetCurrentDir()) + "rel");
}

// ---- the resolver ----------------------------------------------------------

TEST(CaseInsensitive, FindsAFileWrittenInAnotherCase) {
  TempFolder folder;
  WriteBytes(folder.path() + "/temp.@@@", "report");
  EXPECT_TRUE(FileExists(folder / "TEMP.@@@"));
  EXPECT_EQ(ResolveFileName(folder / "TEMP.@@@"), folder / "temp.@@@");
  TStringList list;
  list.LoadFromFile(folder / "Temp.@@@");
  EXPECT_EQ(list[0], "report");
  // Greek letters compare without case too, accents kept.
  WriteBytes(folder.path() + "/Έργο.ddn", "");
  EXPECT_TRUE(FileExists(folder / "ΈΡΓΟ.DDN"_a));
  EXPECT_FALSE(FileExists(folder / "ΕΡΓΟ.DDN"_a));
}

TEST(CaseInsensitive, ANameWithANulNamesNoFile) {
  TempFolder folder;
  WriteBytes(folder.path() + "/a.txt", "x");
  const AnsiString cut = folder / std::string("a.txt\0.ddn", 10);
  EXPECT_FALSE(FileExists(cut));
  EXPECT_FALSE(DeleteFile(cut));
  EXPECT_THROW(TFileStream(cut, fmOpenRead), EFOpenError);
  EXPECT_THROW(SafeWriteFile(cut, "y"), EFCreateError);
  EXPECT_EQ(ReadBytes(folder.path() + "/a.txt"), "x");
}

TEST(CaseInsensitive, ExactMatchIsPreferred) {
  TempFolder folder;
  WriteBytes(folder.path() + "/x.ddn", "lower");
  WriteBytes(folder.path() + "/X.DDN", "upper");
  WriteBytes(folder.path() + "/X.ddn", "mixed");
  EXPECT_EQ(ReadWholeFile(folder / "x.ddn"), "lower");
  EXPECT_EQ(ReadWholeFile(folder / "X.DDN"), "upper");
  // Without an exact match the smallest name wins, whatever the folder order.
  EXPECT_EQ(ReadWholeFile(folder / "x.DDN"), "upper");
}

TEST(CaseInsensitive, FoldersOnTheWayAreResolvedToo) {
  TempFolder folder;
  fs::create_directories(folder.path() + "/Sub/Έργα");
  WriteBytes(folder.path() + "/Sub/Έργα/a.txt", "1");
  EXPECT_EQ(ResolveFileName(folder / "SUB/ΈΡΓΑ/A.TXT"_a), folder / "Sub/Έργα/a.txt"_a);
  // A name that does not exist keeps its own spelling under the found folder.
  EXPECT_EQ(ResolveFileName(folder / "sub/new/B.txt"), folder / "Sub/new/B.txt");
  EXPECT_TRUE(DirectoryExists(folder / "sub"));
}

TEST(CaseInsensitive, WritingUpdatesTheExistingFileInsteadOfAddingOne) {
  TempFolder folder;
  WriteBytes(folder.path() + "/temp.@@@", "old");
  TStringList list;
  list.Add("new");
  list.SaveToFile(folder / "TEMP.@@@");
  EXPECT_EQ(entries(folder.path()), std::set<std::string>{"temp.@@@"});
  EXPECT_EQ(ReadBytes(folder.path() + "/temp.@@@"), "new\r\n");
  {
    TFileStream stream(folder / "TEMP.@@@", fmCreate);
    stream.WriteBuffer("s", 1);
  }
  EXPECT_EQ(entries(folder.path()), std::set<std::string>{"temp.@@@"});
  EXPECT_EQ(ReadBytes(folder.path() + "/temp.@@@"), "s");
}

TEST(CaseInsensitive, DeleteAndRename) {
  TempFolder folder;
  WriteBytes(folder.path() + "/a.pry", "a");
  WriteBytes(folder.path() + "/b.pry", "b");
  EXPECT_FALSE(RenameFile(folder / "A.PRY", folder / "B.pry"));  // another file is there
  EXPECT_TRUE(RenameFile(folder / "A.PRY", folder / "A.PRY"));   // a change of case
  EXPECT_EQ(entries(folder.path()), (std::set<std::string>{"A.PRY", "b.pry"}));
  EXPECT_TRUE(RenameFile(folder / "a.pry", folder / "c.pry"));
  EXPECT_TRUE(DeleteFile(folder / "C.PRY"));
  EXPECT_FALSE(DeleteFile(folder / "C.PRY"));
  EXPECT_FALSE(DeleteFile(cp1253::FromUtf8(folder.path())));  // not a folder
  EXPECT_EQ(entries(folder.path()), std::set<std::string>{"b.pry"});
}

// ---- the safe write --------------------------------------------------------

TEST(SafeWrite, ReplacesTheFileAndKeepsItsPermissions) {
  TempFolder folder;
  std::string path = folder.path() + "/def.knd";
  WriteBytes(path, "old");
  ::chmod(path.c_str(), 0640);
  SafeWriteFile(folder / "def.knd", "new contents");
  EXPECT_EQ(ReadBytes(path), "new contents");
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
  EXPECT_EQ(entries(folder.path()), std::set<std::string>{"def.knd"});
}

TEST(SafeWrite, FailedWriteLeavesTheOldFileWhole) {
  TempFolder folder;
  std::string path = folder.path() + "/def.knd";
  WriteBytes(path, "old contents");
  // A file-size limit makes the write fail half way, as a full disk would.
  bool raised = false;
  try {
    ScopedFileSizeLimit limit(4096);
    SafeWriteFile(folder / "def.knd", std::string(100000, 'x'));
  } catch (const EWriteError& e) {
    raised = true;
    EXPECT_EQ(e.Message, FileWriteErrorText(folder / "def.knd", EFBIG));
  }
  EXPECT_TRUE(raised);
  EXPECT_EQ(ReadBytes(path), "old contents");
  EXPECT_EQ(entries(folder.path()), std::set<std::string>{"def.knd"});  // no temporary file left
}

TEST(SafeWrite, TemporaryFileThatCannotBeMadeRaisesCreateError) {
  TempFolder folder;
  AnsiString name = folder / "missing/def.knd";
  try {
    SafeWriteFile(name, "x");
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message, FileWriteErrorText(name, ENOENT));
  }
  fs::create_directory(folder.path() + "/adir");
  EXPECT_THROW(SafeWriteFile(folder / "adir", "x"), EFCreateError);
  EXPECT_TRUE(fs::is_directory(folder.path() + "/adir"));
}

TEST(SafeWrite, WritesThroughASymbolicLink) {
  TempFolder folder;
  WriteBytes(folder.path() + "/real.ini", "old");
  fs::create_symlink(folder.path() + "/real.ini", folder.path() + "/link.ini");
  SafeWriteFile(folder / "link.ini", "new");
  EXPECT_TRUE(fs::is_symlink(folder.path() + "/link.ini"));
  EXPECT_EQ(ReadBytes(folder.path() + "/real.ini"), "new");
}

// ---- folders ---------------------------------------------------------------

TEST(Folders, ForceDirectoriesAndCurrentFolder) {
  TempFolder folder;
  AnsiString deep = folder / "α/β/γ/"_a;
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(fs::is_directory(folder.path() + "/α/β/γ"));
  EXPECT_TRUE(ForceDirectories(deep));
  WriteBytes(folder.path() + "/file", "");
  EXPECT_FALSE(ForceDirectories(folder / "file/sub"));
  EXPECT_FALSE(ForceDirectories(""));

  AnsiString saved = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(folder / "Α/Β"_a));  // case-insensitive, as any name
  EXPECT_EQ(GetCurrentDir(), folder / "α/β"_a);
  EXPECT_TRUE(FileExists("../../FILE"));
  EXPECT_TRUE(SetCurrentDir(saved));
  EXPECT_FALSE(SetCurrentDir(folder / "nowhere"));
}

TEST(Folders, FileSizeAndTemporaryNames) {
  TempFolder folder;
  EXPECT_EQ(FileSize(folder / "none"), -1);
  AnsiString a = GetTempFileName(cp1253::FromUtf8(folder.path()), "~");
  AnsiString b = GetTempFileName(cp1253::FromUtf8(folder.path()), "~");
  EXPECT_NE(a, b);
  EXPECT_EQ(ExtractFilePath(a), folder / "");
  EXPECT_EQ(ExtractFileExt(a), ".tmp");
  EXPECT_EQ(FileSize(a), 0);
  EXPECT_THROW(GetTempFileName(folder / "none", "~"), EFCreateError);
  ScopedEnv tmp("TMPDIR", folder.path());
  EXPECT_EQ(GetTempDir(), folder / "");
}

TEST(Folders, ProgramFolderIsTheUsersDataFolderEvenBesideAWritableExecutable) {
  TempFolder folder;
  ScopedEnv data("XDG_DATA_HOME", folder.path() + "/data");
  // The executable's folder is writable here, and still not the program's.
  const AnsiString exeFolder = GetExecutableFolder();
  ASSERT_EQ(::access(cp1253::ToUtf8(exeFolder).c_str(), W_OK), 0);
  EXPECT_EQ(exeFolder, ExtractFilePath(ParamStr(0)));
  EXPECT_EQ(GetProgramFolder(), folder / "data/dimoprasia/");
  EXPECT_TRUE(fs::is_directory(folder.path() + "/data/dimoprasia"));
  {
    // Without XDG_DATA_HOME (or with a relative one) the home's.
    ScopedEnv relativeData("XDG_DATA_HOME", "relative/ignored");
    ScopedEnv home("HOME", folder.path() + "/home");
    EXPECT_EQ(GetProgramFolder(), folder / "home/.local/share/dimoprasia/");
    EXPECT_TRUE(fs::is_directory(folder.path() + "/home/.local/share/dimoprasia"));
  }
  ScopedEnv config("XDG_CONFIG_HOME", folder.path() + "/cfg");
  EXPECT_EQ(GetUserConfigFolder(), folder / "cfg/dimoprasia/");
  ScopedEnv relative("XDG_CONFIG_HOME", "relative/ignored");
  ScopedEnv home("HOME", folder.path());
  EXPECT_EQ(GetUserConfigFolder(), folder / ".config/dimoprasia/");
}

// Running out of memory while a file is taken in is told as the file
// being too large, naming it; the reader's own errors and results pass.
TEST(Reading, RunningOutOfMemoryIsToldAsTheFileBeingTooLarge) {
  const AnsiString name = "/δ/Οδοποιία Ζωγράφου.pry"_a;
  try {
    ReadingFile(name, []() -> int { throw std::bad_alloc(); });
    ADD_FAILURE() << "nothing thrown";
  } catch (const EReadError& e) {
    EXPECT_EQ(
        e.Message,
        "Το αρχείο «/δ/Οδοποιία Ζωγράφου.pry» δεν διαβάζεται: είναι πολύ μεγάλο για τη μνήμη του υπολογιστή."_a);
  }
  EXPECT_THROW(ReadingFile(name, [&] { return ReadWholeFile(name); }), EFOpenError);
  EXPECT_EQ(ReadingFile(name, [] { return 7; }), 7);
}

TEST(Folders, TheDocumentsLineIsRead) {
  const struct {
    const char* settings;
    const char* expected;
  } cases[] = {
      {"XDG_DOCUMENTS_DIR=\"$HOME/Έγγραφα\"\n", "/h/Έγγραφα"},
      {"# comment\nXDG_DESKTOP_DIR=\"$HOME/D\"\r\nXDG_DOCUMENTS_DIR=\"/srv/docs\"", "/srv/docs"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/open", ""},
      {"XDG_DOCUMENTS_DIR=\"/a\"\nXDG_DOCUMENTS_DIR=\"/b\"\n", "/a"},
      {" XDG_DOCUMENTS_DIR=\"/indented\"\n", ""},
      {"XDG_DOCUMENTS_DIR=\"$HOME\"\n", "/h"},
      // Another variable, not the home folder: no folder the program takes.
      {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/a\"\n", "$HOMEWORK/a"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DocumentsFolderSetting(c.settings, "/h"), c.expected) << c.settings;
}

// The projects' folder is made at the first start in the documents folder
// that the user's folder settings name, and found again there; without a
// documents folder, in the home folder.
TEST(Folders, ProjectsLiveInSightInTheDocumentsFolder) {
  TempFolder folder;
  const std::string home = folder.path() + "/home";
  fs::create_directories(home + "/config");
  fs::create_directories(home + "/Έγγραφα");
  ScopedEnv homeEnv("HOME", home);
  ScopedEnv config("XDG_CONFIG_HOME", home + "/config");
  ScopedEnv documents("XDG_DOCUMENTS_DIR", nullptr);
  ScopedEnv data("XDG_DATA_HOME", folder.path() + "/data");
  std::ofstream(home + "/config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Έγγραφα\"\n";
  EXPECT_EQ(GetDocumentsFolder(), folder / "home/Έγγραφα"_a);
  EXPECT_EQ(GetProjectsFolder(), folder / "home/Έγγραφα/Δημοπρασία/"_a);
  EXPECT_TRUE(fs::is_directory(home + "/Έγγραφα/Δημοπρασία"));
  EXPECT_EQ(GetProjectsFolder(), folder / "home/Έγγραφα/Δημοπρασία/"_a);
  // The program's own files stay apart, out of the user's sight.
  EXPECT_EQ(GetProgramFolder(), folder / "data/dimoprasia/");
  // A documents folder that is not there, or none named: the home folder.
  std::ofstream(home + "/config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Λείπει\"\n";
  EXPECT_EQ(GetProjectsFolder(), folder / "home/Δημοπρασία/"_a);
  fs::remove(home + "/config/user-dirs.dirs");
  EXPECT_EQ(GetProjectsFolder(), folder / "home/Δημοπρασία/"_a);
  EXPECT_FALSE(fs::exists(home + "/Λείπει"));
  // A documents folder that takes no new folder: the program's own.
  std::ofstream(home + "/config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/ro\"\n";
  fs::create_directories(home + "/ro");
  fs::permissions(home + "/ro", fs::perms::owner_read | fs::perms::owner_exec);
  if (::access((home + "/ro").c_str(), W_OK) != 0) EXPECT_EQ(GetProjectsFolder(), GetProgramFolder());
  fs::permissions(home + "/ro", fs::perms::owner_all);
}

TEST(Folders, CommandLineInCodePage1253) {
  const char* argv[] = {"prog", "Έργο.DDN", "-x"};
  SetCommandLine(3, argv);
  EXPECT_EQ(ParamCount(), 2);
  EXPECT_EQ(ParamStr(1), "Έργο.DDN"_a);
  EXPECT_EQ(ParamStr(2), "-x");
  EXPECT_EQ(ParamStr(3), "");
  EXPECT_EQ(ParamStr(-1), "");
  EXPECT_EQ(ParamStr(0)[0], '/');
  SetCommandLine(0, nullptr);
  EXPECT_EQ(ParamCount(), 0);
}

// ---- searching -------------------------------------------------------------

std::set<AnsiString> found(const AnsiString& path, int attr) {
  std::set<AnsiString> names;
  TSearchRec rec;
  for (int r = FindFirst(path, attr, rec); r == 0; r = FindNext(rec)) names.insert(rec.Name);
  FindClose(rec);
  return names;
}

TEST(FindFirst, MasksAndAttributes) {
  TempFolder folder;
  for (const char* name : {"a.ddn", "B.DDN", "c.ddt", ".hidden.ddn", "d.ddnx", "Έργο.Ddn"})
    WriteBytes(folder.path() + "/" + name, "12345");
  fs::create_directory(folder.path() + "/sub.ddn");
  ::chmod((folder.path() + "/a.ddn").c_str(), 0444);
  const int files = faReadOnly | faHidden | faSysFile | faArchive;

  EXPECT_EQ(found(folder / "*.ddn", faReadOnly | faArchive),
            (std::set<AnsiString>{"a.ddn", "B.DDN", "Έργο.Ddn"_a}));
  EXPECT_EQ(found(folder / "*.DDN", files),
            (std::set<AnsiString>{"a.ddn", "B.DDN", ".hidden.ddn", "Έργο.Ddn"_a}));
  EXPECT_EQ(found(folder / "*.ddn", faAnyFile),
            (std::set<AnsiString>{"a.ddn", "B.DDN", ".hidden.ddn", "Έργο.Ddn"_a, "sub.ddn"}));
  EXPECT_EQ(found(folder / "?.dd?", 0), (std::set<AnsiString>{"a.ddn", "B.DDN", "c.ddt"}));
  EXPECT_EQ(found(folder / "*.*", faDirectory).size(), 6u);
  EXPECT_TRUE(found(folder / "*.xyz", faAnyFile).empty());
  EXPECT_TRUE(found(folder / "nowhere/*.ddn", faAnyFile).empty());

  TSearchRec rec;
  ASSERT_EQ(FindFirst(folder / "A.DDN", faAnyFile, rec), 0);
  EXPECT_EQ(rec.Name, "a.ddn");
  EXPECT_EQ(rec.Size, 5);
  EXPECT_EQ(rec.Attr, faReadOnly | faArchive);
  EXPECT_GT(rec.Time, 0);
  EXPECT_NE(FindNext(rec), 0);
  FindClose(rec);
  ASSERT_EQ(FindFirst(folder / "sub.ddn", faDirectory, rec), 0);
  EXPECT_EQ(rec.Attr & faDirectory, faDirectory);
  FindClose(rec);
}

TEST(FindFirst, MaskMatching) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"abc.ddn", "*.ddn", true}, {"ABC.DDN", "*.ddn", true},     {"abc.ddnx", "*.ddn", false},
      {"abc", "*.*", true},       {"abc", "a?c", true},           {"ac", "a?c", false},
      {"aXbXc", "a*b*c", true},   {"aXbX", "a*b*c", false},       {"", "*", true},
      {"a.b.c", "*.c", true},     {"mississippi", "*sip*", true}, {"x", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " " << c.mask;
}

TEST(SafeWrite, WorksForTheLongestNameAndInTheCurrentFolder) {
  TempFolder folder;
  AnsiString longName = folder / AnsiString(255, 'n');
  SafeWriteFile(longName, "long");
  EXPECT_EQ(ReadWholeFile(longName), "long");
  AnsiString saved = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(cp1253::FromUtf8(folder.path())));
  SafeWriteFile("def.knd", "here");
  EXPECT_TRUE(SetCurrentDir(saved));
  EXPECT_EQ(ReadWholeFile(folder / "def.knd"), "here");
  EXPECT_EQ(entries(folder.path()).size(), 2u);
}

}  // namespace

TEST(SafeWrite, ReadOnlyTargetIsRefusedAndKept) {
  TempFolder folder;
  std::string path = folder.path() + "/a.ddn";
  WriteBytes(path, "old");
  ::chmod(path.c_str(), 0444);
  EXPECT_THROW(SafeWriteFile(folder / "a.ddn", "new"), EFCreateError);
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(entries(folder.path()), std::set<std::string>{"a.ddn"});
}

TEST(SafeWrite, TemporaryFileOfAKilledSaveIsRemovedByTheNextSave) {
  TempFolder folder;
  SafeWriteFile(folder / "a.pry", "first");
  // A child killed half way through its write, as a full disk's signal
  // kills it, leaves its temporary file behind.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_DFL);
    struct rlimit small = {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &small);
    SafeWriteFile(folder / "a.pry", std::string(100000, 'x'));
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(entries(folder.path()).size(), 2u);
  EXPECT_EQ(ReadBytes(folder.path() + "/a.pry"), "first");
  SafeWriteFile(folder / "a.pry", "second");
  EXPECT_EQ(entries(folder.path()), std::set<std::string>{"a.pry"});
  EXPECT_EQ(ReadBytes(folder.path() + "/a.pry"), "second");
}

TEST(ReadWhole, OnlyRegularFilesWithinTheBound) {
  TempFolder folder;
  const std::string fifo = folder.path() + "/def.knd";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_THROW(ReadWholeFile(folder / "def.knd"), EFOpenError);  // no hang
  // A folder and a socket stand for every name that is no regular file.
  ASSERT_TRUE(fs::create_directory(folder.path() + "/folder"));
  EXPECT_THROW(ReadWholeFile(folder / "folder", 1000), EFOpenError);
  const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(socketFd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = folder.path() + "/socket";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
  ASSERT_EQ(::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_THROW(ReadWholeFile(folder / "socket", 1000), EFOpenError);
  ::close(socketFd);
  WriteBytes(folder.path() + "/big", std::string(2000, 'x'));
  EXPECT_THROW(ReadWholeFile(folder / "big", 1999), EReadError);
  EXPECT_EQ(ReadWholeFile(folder / "big", 2000).size(), 2000u);
  EXPECT_EQ(ReadFileHead(folder / "big", 576), std::string(576, 'x'));
  EXPECT_EQ(ReadFileHead(folder / "big", 5000).size(), 2000u);
  EXPECT_THROW(ReadFileHead(folder / "def.knd", 10), EFOpenError);
}

namespace {

// The arguments keep their UTF-8, and a name the code page cannot hold,
// given or reached through the current folder, is refused.
TEST(HeldNames, CommandLineAndCurrentFolderOutsideTheCodePage) {
  TempFolder folder;
  const std::string cyrillic = folder.path() + "/\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";
  ASSERT_TRUE(fs::create_directory(cyrillic));
  const char* argv[] = {"prog",
                        "\xCE\xAD\xCF\x81\xCE\xB3\xCE\xBF\xF0\x9F\x98\x80"
                        "2.ddn"};
  SetCommandLine(2, argv);
  EXPECT_EQ(ParamStr(1), "έργο?2.ddn"_a);
  EXPECT_EQ(ParamStrUtf8(1), argv[1]);
  SetCommandLine(0, nullptr);

  AnsiString name = "unchanged";
  std::string full;
  EXPECT_TRUE(ExpandHeldFileName(folder.path() + "/έργο.ddn", name, full));
  EXPECT_EQ(name, cp1253::FromUtf8(folder.path()) + "/έργο.ddn"_a);
  EXPECT_FALSE(ExpandHeldFileName(folder.path() + "/" + argv[1], name, full));
  EXPECT_NE(UnheldNameMessage(full).find("έργο<U+1F600>2.ddn"_a), AnsiString::npos);

  const AnsiString saved = GetCurrentDir();
  ASSERT_EQ(::chdir(cyrillic.c_str()), 0);
  EXPECT_EQ(GetCurrentDirUtf8(), cyrillic);
  name = "unchanged";
  EXPECT_FALSE(ExpandHeldFileName("x.ddn", name, full));
  EXPECT_EQ(name, "unchanged");
  EXPECT_EQ(full, cyrillic + "/x.ddn");
  SetCurrentDir(saved);
}

// Only the safe write's own leftover of the named file goes.
TEST(SafeWrite, LeftoverOfAKilledSaveIsRemovedOnRequestAndNothingElse) {
  TempFolder folder;
  const AnsiString target = cp1253::FromUtf8(folder.path()) + "/a.pry";
  const AnsiString temp = SafeWriteTempName(target);
  EXPECT_EQ(ExtractFilePath(temp), ExtractFilePath(target));
  EXPECT_EQ(ExtractFileName(temp).substr(0, 2), ".~");
  SafeWriteFile(temp, std::string(1000, 'x'));  // as a killed save leaves it
  const AnsiString other = SafeWriteTempName(cp1253::FromUtf8(folder.path()) + "/b.pry");
  SafeWriteFile(other, "other");
  SafeWriteFile(cp1253::FromUtf8(folder.path()) + "/.~mine.tmp", "mine");
  EXPECT_TRUE(RemoveSafeWriteLeftover(target));
  EXPECT_FALSE(FileExists(temp));
  EXPECT_FALSE(RemoveSafeWriteLeftover(target));
  EXPECT_TRUE(FileExists(other));
  EXPECT_EQ(entries(folder.path()).size(), 2u);
}

}  // namespace

// A save through links writes the regular file they lead to, relative links
// and chains of links included, and leaves the links as links; a save that
// would land on anything but a regular file is refused and leaves it as it
// is: a pipe, a device node (made here, in the test's own folder), a folder,
// a loop of links.
TEST(SafeWrite, ThroughLinksOnlyToARegularFile) {
  TempFolder folder;
  const std::string dir = folder.path();
  WriteBytes(dir + "/real.ddn", "old");
  fs::create_symlink("real.ddn", dir + "/first.ddn");
  fs::create_symlink(dir + "/first.ddn", dir + "/second.ddn");
  SafeWriteFile(folder / "second.ddn", "new");
  EXPECT_EQ(ReadBytes(dir + "/real.ddn"), "new");
  EXPECT_TRUE(fs::is_symlink(dir + "/first.ddn"));
  EXPECT_TRUE(fs::is_symlink(dir + "/second.ddn"));
  // A link to a file not yet there makes it, and stays a link.
  fs::create_symlink("later.ddn", dir + "/pending.ddn");
  SafeWriteFile(folder / "pending.ddn", "made");
  EXPECT_EQ(ReadBytes(dir + "/later.ddn"), "made");
  EXPECT_TRUE(fs::is_symlink(dir + "/pending.ddn"));

  ASSERT_EQ(::mkfifo((dir + "/pipe").c_str(), 0600), 0);
  fs::create_symlink("pipe", dir + "/topipe.ddn");
  fs::create_directory(dir + "/folder");
  fs::create_symlink("folder", dir + "/tofolder.ddn");
  fs::create_symlink("loop2.ddn", dir + "/loop1.ddn");
  fs::create_symlink("loop1.ddn", dir + "/loop2.ddn");
  struct Case {
    const char* name;
    int cause;
  };
  std::vector<Case> cases = {{"pipe", FileNotRegular},
                             {"topipe.ddn", FileNotRegular},
                             {"tofolder.ddn", EISDIR},
                             {"loop1.ddn", ELOOP}};
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::mknod((dir + "/null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    fs::create_symlink("null", dir + "/tonull.ddn");
    cases.push_back({"null", FileNotRegular});
    cases.push_back({"tonull.ddn", FileNotRegular});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      SafeWriteFile(folder / c.name, "xx");
      ADD_FAILURE() << "written";
    } catch (const EFCreateError& e) {
      EXPECT_EQ(e.Message, FileWriteErrorText(folder / c.name, c.cause));
    }
  }
  EXPECT_TRUE(fs::is_fifo(dir + "/pipe"));
  EXPECT_TRUE(fs::is_symlink(dir + "/topipe.ddn"));
  EXPECT_TRUE(fs::is_directory(dir + "/folder"));
  EXPECT_TRUE(fs::is_empty(dir + "/folder"));
  if (root) {
    EXPECT_TRUE(fs::is_character_file(dir + "/null"));
    EXPECT_TRUE(fs::is_symlink(dir + "/tonull.ddn"));
  }
  // Nothing but the files named and the links and nodes made here.
  std::set<std::string> expected = {"real.ddn",     "first.ddn", "second.ddn", "later.ddn",
                                    "pending.ddn",  "pipe",      "topipe.ddn", "folder",
                                    "tofolder.ddn", "loop1.ddn", "loop2.ddn"};
  if (root) expected.insert({"null", "tonull.ddn"});
  EXPECT_EQ(entries(dir), expected);
}

// The files of one save: a failure while writing any of them leaves all the
// old files whole and no temporary behind; the message names the file that
// could not be written and why.
TEST(SafeWrite, SeveralFilesAllOrNothing) {
  TempFolder folder;
  const std::string dir = folder.path();
  for (const char* name : {"p.ddn", "p.csv", "p.pry"})
    WriteBytes(dir + "/" + name, std::string("old ") + name);
  AnsiString message;
  try {
    ScopedFileSizeLimit limit(4096);
    SafeWriteFiles({{folder / "p.ddn", std::string(1000, 'd')},
                    {folder / "p.csv", std::string(2000, 'c')},
                    {folder / "p.pry", std::string(100000, 'p')}});
  } catch (const EWriteError& e) {
    message = e.Message;
  }
  EXPECT_EQ(message, FileWriteErrorText(folder / "p.pry", EFBIG));
  for (const char* name : {"p.ddn", "p.csv", "p.pry"})
    EXPECT_EQ(ReadBytes(dir + "/" + name), std::string("old ") + name);
  EXPECT_EQ(entries(dir), (std::set<std::string>{"p.ddn", "p.csv", "p.pry"}));

  // A refused target anywhere in the list stops the save before any rename.
  ASSERT_EQ(::mkfifo((dir + "/p.csv.pipe").c_str(), 0600), 0);
  fs::remove(dir + "/p.csv");
  fs::create_symlink("p.csv.pipe", dir + "/p.csv");
  EXPECT_THROW(SafeWriteFiles({{folder / "p.ddn", "new"}, {folder / "p.csv", "new"}}), EFCreateError);
  EXPECT_EQ(ReadBytes(dir + "/p.ddn"), "old p.ddn");
  SafeWriteFiles({{folder / "p.ddn", "new"}, {folder / "p.pry", "new too"}});
  EXPECT_EQ(ReadBytes(dir + "/p.ddn"), "new");
  EXPECT_EQ(ReadBytes(dir + "/p.pry"), "new too");
}

// A save of several files stopped after a rename, as a kill there would
// stop it: in a child process, so that the stop is a real one.
static void StopSaveAfter(size_t renames, const std::vector<TFileToWrite>& files) {
  static size_t stopAt = 0;
  stopAt = renames;
  const pid_t child = ::fork();
  if (child == 0) {
    SafeWriteRenamed = [](size_t renamed) {
      if (renamed == stopAt) ::_exit(0);
    };
    SafeWriteFiles(files);
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "the save was not stopped";
}

// A save of several files stopped between its renames is completed at the
// next look when its files are as that save left them; when one changed
// since, that is told, naming every file of the save; a journal cut short
// renamed nothing. The journal and the temporaries go every time.
TEST(SafeWrite, AStoppedSaveIsCompletedOrTold) {
  struct Case {
    const char* what;
    size_t stopAfter;
    const char* changedSince;  // written anew after the stop
    bool cutJournal;
    TStoppedSave outcome;
  };
  const Case cases[] = {
      {"after the first file", 1, nullptr, false, TStoppedSave::Finished},
      {"after the second file", 2, nullptr, false, TStoppedSave::Finished},
      {"a file it had not renamed changed since", 1, "p.pry", false, TStoppedSave::Mixed},
      {"a file it had renamed changed since", 2, "p.csv", false, TStoppedSave::Mixed},
      {"a journal cut short", 1, nullptr, true, TStoppedSave::None},
  };
  const char* const names[] = {"p.ddn", "p.csv", "p.pry"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const std::string dir = folder.path();
    std::vector<TFileToWrite> files;
    for (const char* name : names) {
      WriteBytes(dir + "/" + name, std::string("old ") + name);
      files.push_back({folder / name, std::string("new ") + name});
    }
    StopSaveAfter(c.stopAfter, files);
    EXPECT_EQ(ReadBytes(dir + "/p.ddn"), "new p.ddn");
    EXPECT_EQ(ReadBytes(dir + "/p.pry"), "old p.pry");
    // Saved again, without a journal, by another run.
    if (c.changedSince != nullptr) SafeWriteFile(folder / c.changedSince, "changed");
    std::string journal;
    for (const std::string& entry : entries(dir))
      if (entry.size() > 4 && entry.substr(entry.size() - 4) == ".jnl") journal = dir + "/" + entry;
    ASSERT_FALSE(journal.empty());
    if (c.cutJournal) fs::resize_file(journal, fs::file_size(journal) - 3);

    std::vector<AnsiString> told;
    EXPECT_EQ(FinishStoppedSave(folder / "p.pry"), TStoppedSave::None);  // not the save's first file
    EXPECT_EQ(FinishStoppedSave(folder / "p.ddn", &told), c.outcome);
    EXPECT_EQ(FinishStoppedSave(folder / "p.ddn"), TStoppedSave::None);
    for (const char* name : names) {
      const std::string expected = c.outcome == TStoppedSave::Finished ? std::string("new ") + name
                                   : c.changedSince != nullptr && std::string(name) == c.changedSince
                                       ? std::string("changed")
                                       : ReadBytes(dir + "/" + name);
      EXPECT_EQ(ReadBytes(dir + "/" + name), expected) << name;
      if (c.outcome != TStoppedSave::Mixed) continue;
      EXPECT_FALSE(FileExists(SafeWriteTempName(folder / name))) << name;
    }
    if (c.outcome == TStoppedSave::Mixed) {
      EXPECT_EQ(told, (std::vector<AnsiString>{folder / "p.ddn", folder / "p.csv", folder / "p.pry"}));
      EXPECT_EQ(entries(dir), (std::set<std::string>{"p.ddn", "p.csv", "p.pry"}));
    } else {
      EXPECT_TRUE(told.empty());
    }
    EXPECT_FALSE(fs::exists(journal));
  }
}

// The causes a user is told, in Greek, with the file's name.
TEST(FileErrors, MessagesNameTheFileAndTheCause) {
  const AnsiString name = "/έργα/α.ddn"_a;
  EXPECT_EQ(FileReadErrorText(name, ENOENT), "Το αρχείο «/έργα/α.ddn» δεν διαβάζεται: δεν υπάρχει."_a);
  EXPECT_EQ(FileWriteErrorText(name, ENOSPC), "Το αρχείο «/έργα/α.ddn» δεν γράφεται: ο δίσκος γέμισε."_a);
  EXPECT_EQ(
      FileReadErrorText(name, FileTooLarge, 1048576),
      "Το αρχείο «/έργα/α.ddn» δεν διαβάζεται: είναι μεγαλύτερο από 1048576 byte, όσα το πολύ δέχεται το πρόγραμμα."_a);
  for (int cause : {FileNotRegular, FileTooLarge, ENOENT, EACCES, ELOOP, EISDIR, ENOTDIR, ENAMETOOLONG,
                    ENOSPC, EDQUOT, EFBIG, EROFS, EIO, EMFILE, ENXIO}) {
    SCOPED_TRACE(cause);
    EXPECT_EQ(FileErrorReason(cause).find("σφάλμα συστήματος"_a), AnsiString::npos);
  }
}
