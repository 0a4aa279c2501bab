#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/FileUtils.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

std::vector<AnsiString> items(const TStrings& list) {
  std::vector<AnsiString> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

// ---- TStringList -----------------------------------------------------------

TEST(TStringList, IndexOfIgnoresCaseByDefaultIncludingGreek) {
  TStringList list;
  list.Add("Alpha");
  list.Add("Σφάλμα"_a);
  EXPECT_EQ(list.IndexOf("ALPHA"), 0);
  EXPECT_EQ(list.IndexOf("ΣΦΆΛΜΑ"_a), 1);
  EXPECT_EQ(list.IndexOf("beta"), -1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("ALPHA"), -1);
  EXPECT_EQ(list.IndexOf("Alpha"), 0);
}

TEST(TStringList, IndexErrorsNameTheIndex) {
  TStringList list;
  list.Add("a");
  try {
    list.Get(1);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message, "List index out of bounds (1)");
  }
  EXPECT_THROW(list.Get(-1), EStringListError);
  EXPECT_THROW(list.Delete(1), EStringListError);
  EXPECT_THROW(list.Insert(2, "x"), EStringListError);
  EXPECT_THROW(list.PutObject(5, nullptr), EStringListError);
  list.Insert(1, "b");  // at Count is allowed
  EXPECT_EQ(items(list), (std::vector<AnsiString>{"a", "b"}));
}

TEST(TStringList, SortedAddPlacesByBinarySearch) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"delta", "Alpha", "charlie", "bravo", "echo"}) list.Add(s);
  EXPECT_EQ(items(list), (std::vector<AnsiString>{"Alpha", "bravo", "charlie", "delta", "echo"}));
  int index = -1;
  EXPECT_TRUE(list.Find("CHARLIE", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find("coffee", index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(list.Find("zulu", index));
  EXPECT_EQ(index, 5);
  EXPECT_EQ(list.IndexOf("Delta"), 3);
  EXPECT_THROW(list.Insert(0, "x"), EStringListError);
  EXPECT_THROW(list.Put(0, "x"), EStringListError);
}

TEST(TStringList, DuplicatesOfASortedList) {
  struct Case {
    TDuplicates mode;
    int count;
    bool raises;
  };
  for (const Case& c : {Case{dupIgnore, 2, false}, Case{dupAccept, 3, false}, Case{dupError, 2, true}}) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(c.mode);
    list.Add("b");
    list.Add("a");
    int marker = 7;
    if (c.raises) {
      try {
        list.AddObject("B", &marker);
        FAIL();
      } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message, "Duplicate string");
      }
    } else {
      int index = list.AddObject("B", &marker);
      EXPECT_EQ(index, 1);
      // An ignored duplicate keeps the object the list had.
      EXPECT_EQ(list.Objects(index) == &marker, c.mode == dupAccept);
    }
    EXPECT_EQ(list.Count(), c.count);
  }
}

TEST(TStringList, DuplicatesApplyOnlyToSortedLists) {
  TStringList list;
  list.SetDuplicates(dupError);
  list.Add("a");
  EXPECT_NO_THROW(list.Add("a"));
  EXPECT_EQ(list.Count(), 2);
}

TEST(TStringList, SortAndCustomSortKeepObjectsWithTheirStrings) {
  TStringList list;
  int objects[5];
  const char* names[] = {"pear", "Apple", "fig", "banana", "apple"};
  for (int i = 0; i < 5; ++i) list.AddObject(names[i], &objects[i]);
  list.Sort();
  for (int i = 0; i < 5; ++i) {
    int original = static_cast<int*>(list.Objects(i)) - objects;
    EXPECT_EQ(list[i], names[original]);
  }
  EXPECT_EQ(AnsiUpperCase(list[0]), "APPLE");
  EXPECT_EQ(list[2], "banana");
  EXPECT_EQ(list[4], "pear");
  list.CustomSort([](TStringList& l, int a, int b) {
    return static_cast<int>(l[b].size()) - static_cast<int>(l[a].size());
  });
  EXPECT_EQ(list[0].size(), 6u);
  EXPECT_EQ(list[4], "fig");
}

TEST(TStringList, CustomSortSurvivesAnInconsistentComparison) {
  TStringList list;
  for (int i = 0; i < 200; ++i) list.Add(std::to_string(i * 7919 % 200));
  list.CustomSort([](TStringList&, int, int) { return -1; });
  list.CustomSort([](TStringList&, int, int) { return 1; });
  EXPECT_EQ(list.Count(), 200);
}

TEST(TStringList, ChangingCaseSensitivityResortsASortedList) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  for (const char* s : {"b", "B", "a", "A"}) list.Add(s);
  list.SetCaseSensitive(true);
  for (const char* s : {"a", "A", "b", "B"}) EXPECT_GE(list.IndexOf(s), 0) << s;
}

TEST(TStringList, NamesAndValues) {
  TStringList list;
  list.SetText("Path=C:\\x\r\nempty=\r\nnoequals\r\nKey=a=b\r\n");
  EXPECT_EQ(list.Names(0), "Path");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.Values("PATH"), "C:\\x");
  EXPECT_EQ(list.Values("key"), "a=b");
  EXPECT_EQ(list.Values("empty"), "");
  EXPECT_EQ(list.Values("missing"), "");
  EXPECT_EQ(list.IndexOfName("noequals"), -1);
  list.SetValues("new", "1");
  EXPECT_EQ(list[4], "new=1");
  list.SetValues("path", "D");
  EXPECT_EQ(list[0], "path=D");
  list.SetValues("Key", "");
  EXPECT_EQ(list.IndexOfName("Key"), -1);
  EXPECT_EQ(list.Count(), 4);
}

TEST(TStringList, TextEndsEveryLineWithCrLf) {
  TStringList list;
  EXPECT_EQ(list.Text(), "");
  list.Add("a");
  list.Add("");
  list.Add("γ"_a);
  EXPECT_EQ(list.Text(), "a\r\n\r\n"_a + "γ"_a + "\r\n");
}

TEST(TStringList, TextAcceptsEveryLineEnd) {
  struct Case {
    const char* text;
    std::vector<AnsiString> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\n", {""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(items(list), c.lines) << c.text;
  }
}

TEST(TStringList, CommaTextQuotesWhatNeedsIt) {
  struct Case {
    std::vector<AnsiString> items;
    const char* text;
  };
  const Case cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"a", "", "b"}, "a,,b"},
      {{"a b", "c"}, "\"a b\",c"},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"x,y"}, "\"x,y\""},
      {{"tab\tin"}, "\"tab\tin\""},
      {{"1", "22", "-3"}, "1,22,-3"},
  };
  for (const Case& c : cases) {
    TStringList list;
    for (const AnsiString& s : c.items) list.Add(s);
    EXPECT_EQ(list.CommaText(), c.text);
  }
}

TEST(TStringList, CommaTextReading) {
  struct Case {
    const char* text;
    std::vector<AnsiString> items;
  };
  const Case cases[] = {
      {"", {}},
      {"a,b", {"a", "b"}},
      {"a b", {"a", "b"}},
      {"  a , b  ", {"a", "b"}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {"\"a b\",c", {"a b", "c"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"open", {"open"}},
      {"\"ab\"cd", {"ab", "cd"}},
      {"\"\"", {""}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetCommaText(c.text);
    EXPECT_EQ(items(list), c.items) << c.text;
  }
}

TEST(TStringList, CommaTextRoundTrip) {
  TStringList list;
  for (const char* s : {"plain", "with space", "quote\"d", "", "comma,", "Ελληνικά κείμενα"})
    list.Add(cp1253::FromUtf8(s));
  TStringList copy;
  copy.SetCommaText(list.CommaText());
  EXPECT_TRUE(copy.Equals(list)) << list.CommaText();
}

TEST(TStringList, ChangeEventsFireOncePerUpdateBatch) {
  TStringList list;
  int changing = 0, changed = 0;
  list.OnChanging = [&](TStrings*) { ++changing; };
  list.OnChange = [&](TStrings* sender) {
    EXPECT_EQ(sender, &list);
    ++changed;
  };
  list.Add("a");
  EXPECT_EQ(changed, 1);
  list.BeginUpdate();
  list.Add("b");
  list.Add("c");
  list.Delete(0);
  EXPECT_EQ(changed, 1);
  list.EndUpdate();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  list.SetText("x\ny");
  EXPECT_EQ(changed, 3);
}

TEST(TStringList, UpdateCountIsRestoredWhenABatchRaises) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.SetText("a\nb\na"), EStringListError);
  EXPECT_EQ(list.UpdateCount(), 0);
  EXPECT_EQ(list.Count(), 2);
}

TEST(TStringList, AssignAddStringsMoveExchange) {
  TStringList a;
  int obj = 0;
  a.AddObject("one", &obj);
  a.Add("two");
  TStringList b;
  b.Add("old");
  b.Assign(a);
  EXPECT_EQ(items(b), items(a));
  EXPECT_EQ(b.Objects(0), &obj);
  b.AddStrings(b);  // adding itself doubles it
  EXPECT_EQ(items(b), (std::vector<AnsiString>{"one", "two", "one", "two"}));
  b.Move(0, 3);
  EXPECT_EQ(items(b), (std::vector<AnsiString>{"two", "one", "two", "one"}));
  EXPECT_EQ(b.Objects(3), &obj);
  b.Exchange(0, 1);
  EXPECT_EQ(b[0], "one");
  EXPECT_EQ(b.IndexOfObject(&obj), 0);
  EXPECT_THROW(b.Exchange(0, 4), EStringListError);
}

TEST(TStringList, GreekFileRoundTripIsByteExact) {
  TempFolder folder;
  AnsiString name = folder / "Κείμενο.txt"_a;
  TStringList list;
  list.Add("Επεξεργασία στοιχείων διενέργειας  δημοπρασίας"_a);
  list.Add("");
  list.Add("ΆΈΉΊΌΎΏ άέήίόύώ ς €"_a);
  list.SaveToFile(name);
  std::string onDisk = ReadBytes(folder.path() + "/" + "Κείμενο.txt");
  EXPECT_EQ(onDisk, list.Text());
  EXPECT_EQ(onDisk.substr(0, 3), "\xC5\xF0\xE5");  // 1253 bytes, not UTF-8
  TStringList back;
  back.LoadFromFile(name);
  EXPECT_TRUE(back.Equals(list));
  EXPECT_EQ(back.Text(), onDisk);
}

TEST(TStringList, LoadFromMissingFileRaises) {
  TempFolder folder;
  TStringList list;
  try {
    list.LoadFromFile(folder / "none.txt");
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message, "Το αρχείο «"_a + (folder / "none.txt") + "» δεν διαβάζεται: δεν υπάρχει."_a);
  }
}

TEST(TStringList, StreamTransferReadsFromThePosition) {
  TStringStream stream("skip|a\r\nb");
  stream.SetPosition(5);
  TStringList list;
  list.LoadFromStream(stream);
  EXPECT_EQ(items(list), (std::vector<AnsiString>{"a", "b"}));
  TMemoryStream out;
  list.SaveToStream(out);
  EXPECT_EQ(std::string(static_cast<const char*>(out.Memory()), out.Size()), "a\r\nb\r\n");
}

// ---- TList -----------------------------------------------------------------

TEST(TList, IndexErrors) {
  TList list;
  int a = 1, b = 2, c = 3;
  list.Add(&a);
  list.Add(&b);
  try {
    list.Get(2);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message, "List index out of bounds (2)");
  }
  EXPECT_THROW(list.Get(-1), EListError);
  EXPECT_THROW(list.Insert(3, &c), EListError);
  EXPECT_THROW(list.Delete(2), EListError);
  EXPECT_THROW(list.Move(0, 2), EListError);
  EXPECT_THROW(list.Exchange(-1, 0), EListError);
  EXPECT_THROW(list.SetCapacity(1), EListError);
  list.Insert(2, &c);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Last(), &c);
}

TEST(TList, EditingOperations) {
  TList list;
  int v[4] = {3, 1, 2, 0};
  for (int& x : v) list.Add(&x);
  EXPECT_EQ(list.Remove(&v[1]), 1);
  EXPECT_EQ(list.Remove(&v[1]), -1);
  EXPECT_EQ(list.IndexOf(&v[2]), 1);
  list.Move(0, 2);
  EXPECT_EQ(list[2], &v[0]);
  list.Exchange(0, 2);
  EXPECT_EQ(list.First(), &v[0]);
  list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  EXPECT_EQ(*static_cast<int*>(list[0]), 0);
  EXPECT_EQ(*static_cast<int*>(list[2]), 3);
  list.SetItems(1, nullptr);
  list.Pack();
  EXPECT_EQ(list.Count(), 2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

// ---- streams ---------------------------------------------------------------

TEST(TMemoryStream, ReadWriteSeekBoundaries) {
  TMemoryStream stream;
  stream.WriteBuffer("hello", 5);
  EXPECT_EQ(stream.Position(), 5);
  EXPECT_EQ(stream.Size(), 5);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 1), 0);  // at the end
  EXPECT_EQ(stream.Seek(-2, soFromEnd), 3);
  EXPECT_EQ(stream.Read(buffer, 8), 2);
  EXPECT_EQ(std::string(buffer, 2), "lo");
  stream.SetPosition(1);
  EXPECT_THROW(stream.ReadBuffer(buffer, 5), EReadError);  // only 4 left
  // Past the end: reading gives nothing, writing fills the gap with zeros.
  EXPECT_EQ(stream.Seek(8, soFromBeginning), 8);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  stream.WriteBuffer("!", 1);
  EXPECT_EQ(stream.Size(), 9);
  EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), 9), std::string("hello\0\0\0!", 9));
  // A negative position reads and writes nothing.
  stream.Seek(-20, soFromCurrent);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
  stream.SetSize(2);
  EXPECT_EQ(stream.Size(), 2);
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);
}

// Writes at the end, inside, across the end and past it, each compared with
// the bytes laid over a plain copy of the stream.
TEST(TMemoryStream, WritesLandWhereverThePositionIs) {
  struct Write {
    Int64 at;
    std::string bytes;
  };
  const std::vector<std::vector<Write>> cases = {
      {{0, "abc"}, {3, "def"}, {6, std::string(5000, 'x')}, {5006, "end"}},
      {{0, "abcdef"}, {2, "XY"}, {6, "gh"}},
      {{0, "abcdef"}, {4, "WXYZ"}, {8, "!"}},
      {{0, "ab"}, {5, "cd"}, {2, "ZZZ"}, {7, ""}, {7, "e"}},
      {{3, "late"}, {0, "ear"}, {7, "r"}},
  };
  for (size_t n = 0; n < cases.size(); ++n) {
    SCOPED_TRACE(n);
    TMemoryStream stream;
    std::string model;
    for (const Write& w : cases[n]) {
      stream.SetPosition(w.at);
      stream.WriteBuffer(w.bytes.data(), static_cast<int>(w.bytes.size()));
      const size_t end = static_cast<size_t>(w.at) + w.bytes.size();
      if (!w.bytes.empty() && model.size() < end) model.resize(end, '\0');
      model.replace(static_cast<size_t>(w.at), w.bytes.size(), w.bytes);
      EXPECT_EQ(stream.Position(), static_cast<Int64>(w.at + w.bytes.size()));
    }
    ASSERT_EQ(stream.Size(), static_cast<Int64>(model.size()));
    EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), model.size()), model);
  }
}

TEST(TMemoryStream, WriteFarPastTheEndFailsInsteadOfAllocating) {
  TMemoryStream stream;
  stream.Seek(Int64{1} << 40, soFromBeginning);
  EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_THROW(stream.SetSize(-1), EOutOfMemory);
}

TEST(TMemoryStream, FileRoundTripAndCopyFrom) {
  TempFolder folder;
  TMemoryStream stream;
  std::string bytes(100000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31);
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SaveToFile(folder / "data.bin");
  TMemoryStream back;
  back.LoadFromFile(folder / "DATA.BIN");  // found ignoring case
  ASSERT_EQ(back.Size(), 100000);
  EXPECT_EQ(std::memcmp(back.Memory(), bytes.data(), bytes.size()), 0);

  TMemoryStream copy;
  back.SetPosition(99990);
  EXPECT_EQ(copy.CopyFrom(back, 0), 100000);  // 0 copies everything from the start
  EXPECT_EQ(copy.Size(), 100000);
  back.SetPosition(99990);
  EXPECT_THROW(copy.CopyFrom(back, 11), EReadError);
}

TEST(TFileStream, ModesAndErrors) {
  TempFolder folder;
  AnsiString name = folder / "f.dat";
  try {
    TFileStream missing(name, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message, FileReadErrorText(name, ENOENT));
  }
  try {
    TFileStream bad(folder / "no/such/folder.dat", fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message,
              "Το αρχείο «"_a + (folder / "no/such/folder.dat") + "» δεν γράφεται: δεν υπάρχει."_a);
  }
  EXPECT_THROW(TFileStream(cp1253::FromUtf8(folder.path()), fmOpenRead), EFOpenError);
  {
    TFileStream out(name, fmCreate | fmShareExclusive);
    out.WriteBuffer("abcdef", 6);
    EXPECT_EQ(out.Size(), 6);
    out.SetSize(4);
    EXPECT_EQ(out.Position(), 4);
  }
  {
    TFileStream io(name, fmOpenReadWrite | fmShareDenyNone);
    io.Seek(1, soFromBeginning);
    io.WriteBuffer("X", 1);
    io.SetPosition(0);
    char buffer[8] = {};
    EXPECT_EQ(io.Read(buffer, 8), 4);
    EXPECT_EQ(std::string(buffer, 4), "aXcd");
    EXPECT_THROW(io.ReadBuffer(buffer, 1), EReadError);
  }
  {
    TFileStream in(name, fmOpenRead);
    EXPECT_THROW(in.WriteBuffer("z", 1), EWriteError);
  }
  {
    TFileStream again(name, fmCreate);  // truncates
    EXPECT_EQ(again.Size(), 0);
  }
}

TEST(TStringStream, WritesKeepTheTailAndSeekStaysInside) {
  TStringStream stream("abcdef");
  EXPECT_EQ(stream.ReadString(2), "ab");
  stream.WriteString("XY");
  EXPECT_EQ(stream.DataString(), "abXYef");
  EXPECT_EQ(stream.Seek(100, soFromBeginning), 6);
  EXPECT_EQ(stream.Seek(-100, soFromCurrent), 0);
  EXPECT_EQ(stream.ReadString(100), "abXYef");
  stream.WriteString("gh");
  EXPECT_EQ(stream.DataString(), "abXYefgh");
  EXPECT_EQ(stream.ReadString(-1), "");
  char c;
  EXPECT_THROW(stream.ReadBuffer(&c, 1), EReadError);
}

}  // namespace

// A file stream opens regular files only: a pipe neither hangs the open nor
// is read, and a new file never empties a pipe or a device (both made in the
// test's own folder) but refuses them, which stay as they were. Loaders have
// a bound, told before anything is read.
TEST(TFileStream, OnlyRegularFilesAndLoadersHaveABound) {
  TempFolder folder;
  const std::string dir = folder.path();
  ASSERT_EQ(::mkfifo((dir + "/pipe.rtf").c_str(), 0600), 0);
  std::filesystem::create_symlink("pipe.rtf", dir + "/link.csv");
  std::vector<std::string> nodes = {"pipe.rtf", "link.csv"};
  if (::geteuid() == 0) {
    ASSERT_EQ(::mknod((dir + "/zero").c_str(), S_IFCHR | 0666, ::makedev(1, 5)), 0);
    std::filesystem::create_symlink("zero", dir + "/zero.rtf");
    nodes.push_back("zero.rtf");
  }
  for (const std::string& node : nodes) {
    SCOPED_TRACE(node);
    const AnsiString name = folder / cp1253::FromUtf8(node);
    for (Word mode : {Word(fmOpenRead), Word(fmOpenWrite), Word(fmOpenReadWrite)}) {
      try {
        TFileStream stream(name, mode);
        ADD_FAILURE() << "opened";
      } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message, FileReadErrorText(name, FileNotRegular));
      }
    }
    try {
      TFileStream stream(name, fmCreate);
      ADD_FAILURE() << "created";
    } catch (const EFCreateError& e) {
      EXPECT_EQ(e.Message, FileWriteErrorText(name, FileNotRegular));
    }
    TStringList list;
    EXPECT_THROW(list.LoadFromFile(name), EFOpenError);
    TMemoryStream memory;
    EXPECT_THROW(memory.LoadFromFile(name), EFOpenError);
  }
  EXPECT_TRUE(std::filesystem::is_fifo(dir + "/pipe.rtf"));
  if (::geteuid() == 0) {
    EXPECT_TRUE(std::filesystem::is_character_file(dir + "/zero"));
  }

  // A sparse file past the bound costs nothing to make and is refused whole.
  const std::string big = dir + "/big.rtf";
  WriteBytes(big, "x");
  std::filesystem::resize_file(big, MaxStringsFileSize + 1);
  TStringList list;
  try {
    list.LoadFromFile(folder / "big.rtf");
    ADD_FAILURE() << "loaded";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message, FileReadErrorText(folder / "big.rtf", FileTooLarge, MaxStringsFileSize));
  }
  EXPECT_EQ(list.Count(), 0);
  // A regular file made anew through fmCreate is emptied first.
  WriteBytes(dir + "/plain.dat", "old contents");
  {
    TFileStream stream(folder / "plain.dat", fmCreate);
    stream.WriteBuffer("new", 3);
  }
  EXPECT_EQ(ReadBytes(dir + "/plain.dat"), "new");
}
