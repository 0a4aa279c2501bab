#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/FileUtils.h"
#include "report/RpPrntrPages.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/report/RpTestSupport.h"

namespace {

constexpr double kRunTime = 46000.5;  // 9 December 2025, noon

std::string Bytes(TRpStream& s) {
  TStringStream out;
  s.SaveToStream(out);
  return out.DataString();
}

std::string Coded(const std::string& plain) {
  TStringStream out;
  {
    TRpCompress coder(&out, true);
    coder.Encode(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size());
  }
  return out.DataString();
}

// The stream is left just after the code's last byte.
std::string Decoded(const std::string& coded, size_t count) {
  TStringStream in(coded + "tail");
  std::string out(count, '\0');
  {
    TRpCompress coder(&in, false);
    coder.Decode(reinterpret_cast<std::uint8_t*>(out.data()), count);
  }
  EXPECT_EQ(in.Position(), static_cast<Int64>(coded.size()));
  return out;
}

// A run of Pages pages, page N saying "Σελίδα N".
std::unique_ptr<TRpPageList> PageRun(int pages, bool compressed, int memoryLimit = 250000) {
  auto list = std::make_unique<TRpPageList>();
  list->Clock = [] { return kRunTime; };
  list->Compression = compressed;
  list->SetStream(std::make_unique<TRpStream>(memoryLimit));
  for (int n = 1; n <= pages; ++n) list->AddPage(*MakePage({"Σελίδα "_a + IntToStr(n)}));
  list->Finish();
  return list;
}

std::string FirstText(TMetafile& page) {
  std::string text;
  EnumEnhMetafile(page.Data(),
                  [&](std::uint32_t, std::string_view record) { return !TextOfRecord(record, text); });
  return text;
}

std::string Golden(const char* name) { return std::string(DIM_TEST_DATA) + "/golden/" + name; }

// Files the tests write, in a folder of their own.
std::string Scratch(const std::string& name) {
  static TempFolder folder;
  return folder.path() + "/" + name;
}

TEST(RpCompressTest, FirstCodesOfAFreshTree) {
  EXPECT_EQ(Coded(std::string(1, '\0')), "\x80");                  // eight bits, the last a right turn
  EXPECT_EQ(Coded(std::string(1, '\xFF')), std::string(2, '\0'));  // nine left turns
}

TEST(RpCompressTest, EqualsTheLiteralCoderAndRoundTrips) {
  std::mt19937 random(7);
  std::vector<std::string> inputs = {"", "a", std::string(1000, 'x'), MakePage({"Δοκιμή"_a})->Data()};
  for (int size : {1, 3, 17, 4095, 4096, 70000}) {
    std::string s(static_cast<size_t>(size), '\0');
    for (char& c : s) c = static_cast<char>(random() % (size < 100 ? 256 : 7));
    inputs.push_back(s);
  }
  // Sweeps up and down the byte range leave a leaf 99 levels down, whose
  // code spans two words; then runs on either side of the root, longer
  // than a word, across a chunk, and ending the input.
  std::string deep;
  for (int sweep = 0; sweep < 37; ++sweep)
    for (int i = 0; i < 256; ++i) deep += static_cast<char>(sweep % 2 != 0 ? 255 - i : i);
  inputs.push_back(deep + '\x01' + std::string(9000, '\0') + "ab" + std::string(57, 'b') + "\xFF\xFF" +
                   std::string(300, '\xFF'));
  for (const std::string& plain : inputs) {
    ReferenceCoder reference, reference2;
    const std::string coded = Coded(plain);
    EXPECT_EQ(coded, reference.Encode(plain)) << plain.size();
    EXPECT_EQ(Decoded(coded, plain.size()), plain);
    const std::vector<int> literal = reference2.Decode(coded, plain.size());
    EXPECT_EQ(std::string(literal.begin(), literal.end()), plain);
  }
}

TEST(RpCompressTest, DamageIsAnError) {
  TStringStream one("\x80");
  TRpCompress short1(&one, false);
  short1.Decode();
  EXPECT_THROW(short1.Decode(), ERpError);  // runs out of bits
  // The leaf no byte has: eight left turns, then right from node 255.
  TStringStream leaf(std::string("\x00\x01", 2));
  EXPECT_THROW(TRpCompress(&leaf, false).Decode(), ERpError);
  TStringStream in(std::string(8, '\0'));
  TRpCompress coder(&in, false, 1);
  EXPECT_THROW(coder.Decode(), ERpError);  // the limit holds short of the stream's end
}

TEST(RpStreamTest, SpillsToAFileOnlyPastTheLimit) {
  const std::string bytes(1000, 'q');
  TRpStream exact(1000);
  exact.WriteBuffer(bytes.data(), 1000);
  EXPECT_TRUE(exact.InMemory());
  AnsiString name;
  {
    TRpStream over(1000);
    over.WriteBuffer(bytes.data(), 600);
    over.WriteBuffer(std::string(401, 'x').data(), 401);
    EXPECT_FALSE(over.InMemory());
    name = over.FileName();
    EXPECT_TRUE(ExtractFileName(name).rfind("RPP", 0) == 0);
    EXPECT_EQ(over.Position(), 1001);
    EXPECT_EQ(Bytes(over), std::string(600, 'q') + std::string(401, 'x'));
  }
  EXPECT_FALSE(FileExists(name));
}

TEST(RpPageListTest, APageThatCannotBeStoredLeavesTheOthersWhole) {
  const char* saved = std::getenv("TMPDIR");
  const std::string before = saved ? saved : "";
  setenv("TMPDIR", "/nonexistent-folder", 1);
  TRpPageList list;
  list.SetStream(std::make_unique<TRpStream>(700));
  list.AddPage(*MakePage({"1"}));
  EXPECT_THROW(list.AddPage(*MakePage({"2"})), EStreamError);  // past the limit, and no folder
  if (saved)
    setenv("TMPDIR", before.c_str(), 1);
  else
    unsetenv("TMPDIR");
  EXPECT_EQ(list.PageCount(), 1);
  EXPECT_TRUE(list.Stream()->InMemory());
  list.AddPage(*MakePage({"2"}));
  list.Finish();
  TRpPageList::CheckChain(*list.Stream(), 128, 2);
  EXPECT_EQ(FirstText(*list.GetPage(2)), "2");
}

TEST(RpPageListTest, GoldenPlainAndCompressedRuns) {
  for (bool compressed : {false, true}) {
    auto list = PageRun(3, compressed);
    const std::string bytes = Bytes(*list->Stream());
    // Header: format words, page count, the run's time, the flag, filler.
    EXPECT_EQ(le::Get16(bytes, 0), 3);
    EXPECT_EQ(le::Get16(bytes, 2), 50);
    EXPECT_EQ(le::Get32(bytes, 8), 3u);
    double time;
    std::memcpy(&time, bytes.data() + 16, 8);
    EXPECT_EQ(time, kRunTime);
    EXPECT_EQ(bytes[25], compressed ? 1 : 0);
    EXPECT_EQ(bytes.substr(26, 100), std::string(100, 'H'));
    // Records: number, next offset, payload, own start.
    size_t at = 128;
    for (std::uint32_t n = 1; n <= 3; ++n) {
      EXPECT_EQ(le::Get32(bytes, at), n);
      const size_t next = le::Get32(bytes, at + 4);
      EXPECT_EQ(le::Get32(bytes, next - 4), at);
      if (!compressed) {
        EXPECT_EQ(bytes.substr(at + 48, 4), " EMF");
      }
      at = next;
    }
    EXPECT_EQ(at, bytes.size());
    const char* name = compressed ? "three_compressed.rpp" : "three_plain.rpp";
    ASSERT_TRUE(FileExists(Golden(name))) << Golden(name);
    EXPECT_EQ(bytes, ReadWholeFile(Golden(name))) << name;
    // Saving is the stream byte for byte.
    list->SaveToFile(Scratch("saved.rpp"));
    EXPECT_EQ(ReadWholeFile(Scratch("saved.rpp")), bytes);
  }
}

TEST(RpPageListTest, AnIndependentReaderAgrees) {
  ASSERT_TRUE(Have("python3")) << "python3 is needed to read the page files";
  for (bool compressed : {false, true}) {
    auto list = PageRun(4, compressed, 600);
    EXPECT_FALSE(list->Stream()->InMemory());
    list->SaveToFile(Scratch("reader.rpp"));
    std::filesystem::remove_all(Scratch("reader_out"));
    std::filesystem::create_directory(Scratch("reader_out"));
    int status = -1;
    const std::string out = RunCommand("python3 '" + std::string(DIM_TEST_DATA) + "/rpp_reader.py' '" +
                                           Scratch("reader.rpp") + "' '" + Scratch("reader_out") + "' 2>&1",
                                       &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("pages 4 compressed " + std::to_string(compressed ? 1 : 0)), std::string::npos);
    for (int n = 1; n <= 4; ++n) {
      auto page = list->GetPage(n);
      ASSERT_TRUE(page);
      EXPECT_EQ(ReadWholeFile(Scratch("reader_out/page" + std::to_string(n) + ".emf")), page->Data());
      EXPECT_EQ(FirstText(*page), "Σελίδα "_a + IntToStr(n));
    }
  }
}

TEST(RpPageListTest, WalksForwardByNextOffsetsAndBackByTrailers) {
  auto list = PageRun(6, false);
  std::string bytes = Bytes(*list->Stream());
  std::vector<size_t> starts;
  for (size_t at = 128; at < bytes.size(); at = le::Get32(bytes, at + 4)) starts.push_back(at);
  auto reopened = [&](const std::string& b) {
    auto s = std::make_unique<TRpStream>(1 << 30);
    s->WriteBuffer(b.data(), static_cast<int>(b.size()));
    TRpPageList l;
    l.SetStream(std::move(s));
    l.ReadFileHeader();
    return l.PageCount();
  };
  ASSERT_EQ(reopened(bytes), 6);
  // Forward from 2 to 5 with every trailer spoilt.
  std::string noTrailers = bytes;
  for (int i = 0; i < 6; ++i) le::Patch32(noTrailers, le::Get32(bytes, starts[i] + 4) - 4, 0);
  // Backward from 5 to 2 with every next offset spoilt.
  std::string noNext = bytes;
  for (int i = 0; i < 6; ++i) le::Patch32(noNext, starts[i] + 4, 0);
  for (auto [b, from, to] : {std::tuple{&noTrailers, 2, 5}, std::tuple{&noNext, 5, 2}}) {
    auto s = std::make_unique<TRpStream>(1 << 30);
    s->WriteBuffer(b->data(), static_cast<int>(b->size()));
    TRpPageList l;
    l.SetStream(std::move(s));
    l.ReadFileHeader();
    l.Stream()->Seek(static_cast<Int64>(starts[from - 1]), soFromBeginning);
    l.SeekToPage(to);
    EXPECT_EQ(l.Stream()->Position(), static_cast<Int64>(starts[to - 1]));
  }
  EXPECT_EQ(list->GetPage(7), nullptr);
  EXPECT_EQ(list->GetPage(0), nullptr);
  for (int n : {6, 2, 5, 1, 3}) EXPECT_EQ(FirstText(*list->GetPage(n)), "Σελίδα "_a + IntToStr(n));
}

// A page file with a header of another size in front of the same records.
std::string WithHeader(const std::string& file, const std::string& header) {
  std::string out = header;
  const Int64 shift = static_cast<Int64>(header.size()) - 128;
  std::string records = file.substr(128);
  for (size_t at = 0; at < records.size();) {
    const size_t next = le::Get32(records, at + 4) - 128;
    le::Patch32(records, at + 4, static_cast<std::uint32_t>(next + 128 + shift));
    le::Patch32(records, next - 4, static_cast<std::uint32_t>(at + 128 + shift));
    at = next;
  }
  return out + records;
}

TEST(RpPageListTest, EarlierHeadersAndTheProbe) {
  const std::string file = Bytes(*PageRun(2, false)->Stream());
  std::string h124(124, '\0');
  h124[0] = 3, h124[2] = 50, h124[8] = 2;
  std::string h120(120, '\0');
  struct Case {
    std::string bytes;
    int size, pages;
  } cases[] = {{file, 128, 2}, {WithHeader(file, h124), 124, 2}, {WithHeader(file, h120), 120, 1}};
  for (const Case& c : cases) {
    TStringStream s(c.bytes);
    EXPECT_EQ(TRpPageList::GetPageFileHeaderSize(s), c.size);
    SafeWriteFile(Scratch("probe.rpp"), c.bytes);
    TRpPageList list;
    list.LoadFromFile(Scratch("probe.rpp"));
    EXPECT_EQ(list.PageCount(), c.pages);
    EXPECT_EQ(FirstText(*list.GetPage(1)), "Σελίδα 1"_a);
  }
  // No page yet: the format words tell; without them, no page file. A
  // signature too early for any header is no header.
  TStringStream empty(file.substr(0, 128));
  EXPECT_EQ(TRpPageList::GetPageFileHeaderSize(empty), 128);
  TStringStream early(std::string("xEMF") + std::string(200, '\0'));
  EXPECT_EQ(TRpPageList::GetPageFileHeaderSize(early), 0);
  TStringStream later(std::string(70, 'x') + "EMF" + std::string(200, '\0'));
  EXPECT_EQ(TRpPageList::GetPageFileHeaderSize(later), 21);
}

// The program's own pages can hold "EMF" where an earlier header would put
// the signature: a frame whose right edge reads 01 'E' 'M' 'F' and whose
// bottom edge starts with a zero byte lies where the 120-byte probe looks.
TEST(RpPageListTest, TheFormatWordsMeanTheCurrentHeaderWhateverThePagesHold) {
  for (bool compressed : {false, true}) {
    TRpPageList run;
    run.Clock = [] { return kRunTime; };
    run.Compression = compressed;
    run.SetStream(std::make_unique<TRpStream>(250000));
    for (int n = 1; n <= 2; ++n) {
      std::string data = MakePage({"Σελίδα "_a + IntToStr(n)})->Data();
      le::Patch32(data, 32, 0x464D4501);
      le::Patch32(data, 36, 0x00007100);
      TMetafile page;
      page.SetData(data);
      run.AddPage(page);
    }
    run.Finish();
    const std::string bytes = Bytes(*run.Stream());
    if (!compressed) {
      ASSERT_EQ(bytes.substr(120 + 49, 4), std::string("EMF\0", 4));
    }
    TStringStream probe(bytes);
    EXPECT_EQ(TRpPageList::GetPageFileHeaderSize(probe), 128);
    SafeWriteFile(Scratch("emf_frame.rpp"), bytes);
    TRpPageList list;
    list.LoadFromFile(Scratch("emf_frame.rpp"));
    ASSERT_EQ(list.PageCount(), 2);
    EXPECT_EQ(FirstText(*list.GetPage(2)), "Σελίδα 2"_a);
    EXPECT_EQ(FirstText(*list.GetPage(1)), "Σελίδα 1"_a);
  }
}

// A file may hold more records than its header counts (a run whose last
// header write was lost): the counted pages read alike in any order.
TEST(RpPageListTest, AnyOrderOfReadingGivesTheSamePages) {
  std::string file = Bytes(*PageRun(4, false)->Stream());
  le::Patch32(file, 8, 2);
  SafeWriteFile(Scratch("extra.rpp"), file);
  const std::vector<std::vector<int>> orders = {{2, 1}, {1, 2}, {2, 2, 1, 1, 2}, {1, 1}};
  for (const std::vector<int>& order : orders) {
    TRpPageList list;
    list.LoadFromFile(Scratch("extra.rpp"));
    ASSERT_EQ(list.PageCount(), 2);
    for (int n : order) {
      auto page = list.GetPage(n);
      ASSERT_TRUE(page) << n;
      EXPECT_EQ(FirstText(*page), "Σελίδα "_a + IntToStr(n));
    }
    EXPECT_EQ(list.GetPage(3), nullptr);
  }
  // A stream left at its end, as after a page was added, walks back from
  // the last record whatever number it holds.
  for (int n = 1; n <= 2; ++n) {
    auto s = std::make_unique<TRpStream>(1 << 20);
    s->WriteBuffer(file.data(), static_cast<int>(file.size()));
    TRpPageList l;
    l.SetStream(std::move(s));
    l.ReadFileHeader();
    EXPECT_EQ(FirstText(*l.GetPage(n)), "Σελίδα "_a + IntToStr(n));
  }
}

TEST(RpPageListTest, DamagedFilesAreRefusedAndThePagesStay) {
  const std::string file = Bytes(*PageRun(3, true)->Stream());
  TRpPageList list;
  SafeWriteFile(Scratch("sound.rpp"), file);
  list.LoadFromFile(Scratch("sound.rpp"));
  ASSERT_EQ(list.PageCount(), 3);
  EXPECT_TRUE(list.Compression);  // the header's flag is honoured
  std::string badNext = file;
  le::Patch32(badNext, 128 + 4, 0x7FFFFFF0);
  std::string badCount = file;
  le::Patch32(badCount, 8, 9);
  for (const std::string& bad : {file.substr(0, file.size() - 1), badNext, badCount, std::string("junk")}) {
    SafeWriteFile(Scratch("bad.rpp"), bad);
    EXPECT_THROW(list.LoadFromFile(Scratch("bad.rpp")), ERpError);
    EXPECT_EQ(list.PageCount(), 3);
    EXPECT_EQ(FirstText(*list.GetPage(2)), "Σελίδα 2"_a);
  }
  // A spoilt payload in a sound chain: that page alone fails.
  std::string badPayload = file;
  badPayload[128 + 12 + 5] ^= 0x55;
  SafeWriteFile(Scratch("payload.rpp"), badPayload);
  list.LoadFromFile(Scratch("payload.rpp"));
  EXPECT_THROW(list.GetPage(1), ERpError);
  EXPECT_EQ(FirstText(*list.GetPage(3)), "Σελίδα 3"_a);
}

// Saving and loading hold to one bound: pages that fill it exactly are
// saved and load again; a page more is refused by the file's name before a
// byte is written, the file saved before staying whole and no temporary
// file left behind.
TEST(RpPageListTest, PagesPastTheLoadBoundAreNotSaved) {
  std::unique_ptr<TRpPageList> run = PageRun(2, false);
  const Int64 bound = run->Stream()->Size();
  run->MaxFileSize = bound;
  const AnsiString good = cp1253::FromUtf8(Scratch("bound.rpp")),
                   fresh = cp1253::FromUtf8(Scratch("fresh.rpp"));
  run->SaveToFile(good);
  const std::string saved = ReadWholeFile(good);
  TRpPageList loaded;
  loaded.MaxFileSize = bound;
  loaded.LoadFromFile(good);
  EXPECT_EQ(loaded.PageCount(), 2);
  run->AddPage(*MakePage({"Σελίδα 3"_a}));
  run->Finish();
  for (const AnsiString& name : {good, fresh}) {
    try {
      run->SaveToFile(name);
      ADD_FAILURE() << "saved past the bound";
    } catch (const ERpError& e) {
      EXPECT_EQ(e.Message, FileWriteErrorText(name, FileTooLarge, bound));
    }
    EXPECT_FALSE(FileExists(SafeWriteTempName(name)));
  }
  EXPECT_EQ(ReadWholeFile(good), saved);
  EXPECT_FALSE(FileExists(fresh));
  // The same pages under the program's own bound are saved and load again.
  run->MaxFileSize = MaxPageFileSize;
  run->SaveToFile(fresh);
  TRpPageList again;
  again.LoadFromFile(fresh);
  EXPECT_EQ(FirstText(*again.GetPage(3)), "Σελίδα 3"_a);
}

// A record's links are 32-bit words: a page that would reach past what they
// address is refused whole, plain or compressed, and the pages before it
// stay as they were.
TEST(RpPageListTest, APagePastWhatTheLinksAddressIsRefusedWhole) {
  for (const bool compressed : {false, true}) {
    std::unique_ptr<TRpPageList> run = PageRun(2, compressed);
    const Int64 size = run->Stream()->Size();
    run->MaxRecordEnd = size + 8;
    EXPECT_THROW(run->AddPage(*MakePage({"Σελίδα 3"_a})), ERpError);
    EXPECT_EQ(run->PageCount(), 2);
    EXPECT_EQ(run->Stream()->Size(), size);
    run->MaxRecordEnd = 0xFFFFFFFFLL;
    run->AddPage(*MakePage({"Σελίδα 3"_a}));
    run->Finish();
    EXPECT_EQ(FirstText(*run->GetPage(3)), "Σελίδα 3"_a);
    EXPECT_EQ(FirstText(*run->GetPage(2)), "Σελίδα 2"_a);
  }
}

TEST(RpOutlineTest, EntriesHangUnderTheLastOfTheLevelAbove) {
  struct View : TRpOutlineView {
    std::vector<std::pair<int, AnsiString>> nodes;  // parent index, text
    int updates = 0;
    void BeginUpdate() override { ++updates; }
    void EndUpdate() override {}
    void Clear() override { nodes.clear(); }
    void* AddChild(void* parent, const AnsiString& text) override {
      nodes.push_back({static_cast<int>(reinterpret_cast<std::intptr_t>(parent)) - 1, text});
      return reinterpret_cast<void*>(static_cast<std::intptr_t>(nodes.size()));
    }
  } view;
  TRpOutline outline;
  outline.AddEntry("A", 0, {1, 2, 3, 4}, 1);
  outline.AddEntry("A.1", 1, {}, 2);
  outline.AddEntry("A.1.a", 2, {}, 2);
  outline.AddEntry("B", 0, {}, 3);
  outline.AddEntry("B.1", 1, {}, 4);
  outline.SetTreeView(&view);
  EXPECT_EQ(view.nodes, (std::vector<std::pair<int, AnsiString>>{
                            {-1, "A"}, {0, "A.1"}, {1, "A.1.a"}, {-1, "B"}, {3, "B.1"}}));
  TRect r;
  EXPECT_EQ(outline.FindEntry(reinterpret_cast<void*>(1), r), 1);
  EXPECT_EQ(r.Right, 3);
  EXPECT_EQ(outline.FindEntry(nullptr, r), 0);
}

}  // namespace

namespace {

// A pipe named like a saved preview (made here) is refused at once with its
// name and the cause: loading it never waits for a writer.
TEST(RpPageListFile, APipeIsRefusedNotWaitedOn) {
  TempFolder folder;
  ASSERT_EQ(::mkfifo((folder.path() + "/pages.rpp").c_str(), 0600), 0);
  TRpPageList pages;
  try {
    pages.LoadFromFile(folder / "pages.rpp");
    ADD_FAILURE() << "loaded";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message, FileReadErrorText(folder / "pages.rpp", FileNotRegular));
  }
  EXPECT_EQ(pages.PageCount(), 0);
}

}  // namespace
