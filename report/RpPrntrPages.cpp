#include "report/RpPrntrPages.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>

#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"

AnsiString RpDamagedFileText() { return "Το αρχείο σελίδων είναι κατεστραμμένο"_a; }

AnsiString RpDamagedFileText(const AnsiString& fileName) {
  if (fileName.empty()) return RpDamagedFileText();
  return "Το αρχείο σελίδων «"_a + fileName + "» είναι κατεστραμμένο"_a;
}

namespace {

constexpr std::uint16_t kFormat = 3, kFormat2 = 50;
constexpr int kCandidates[] = {124, 120, 96, 128};
// The first record's metafile signature " EMF" lies 48 bytes into it; the
// probe reads from its second byte.
constexpr int kSignatureAt = 49;

bool IsSignature(const char* four) {
  const size_t n = strnlen(four, 4);
  return n == 3 && std::memcmp(four, "EMF", 3) == 0;
}

class PositionKeeper {
 public:
  explicit PositionKeeper(TStream& s) : s_(s), at_(s.Position()) {}
  ~PositionKeeper() { s_.Seek(at_, soFromBeginning); }

 private:
  TStream& s_;
  Int64 at_;
};

}  // namespace

// ---- outline ---------------------------------------------------------------

void TRpOutline::AddEntry(const AnsiString& caption, int level, const TRect& rect, int page) {
  entries_.push_back({caption.substr(0, 51), std::clamp(level, 0, 31), rect, page, nullptr});
}

void TRpOutline::SetTreeView(TRpOutlineView* view) {
  view_ = view;
  if (view_ != nullptr) Refresh();
}

void TRpOutline::Refresh() {
  if (view_ == nullptr) return;
  view_->BeginUpdate();
  view_->Clear();
  void* last[32] = {};
  for (TRpOutlineEntry& e : entries_) {
    void* parent = e.Level == 0 ? nullptr : last[e.Level - 1];
    e.Node = view_->AddChild(parent, e.Caption);
    last[e.Level] = e.Node;
  }
  view_->EndUpdate();
}

int TRpOutline::FindEntry(void* node, TRect& rect) const {
  for (const TRpOutlineEntry& e : entries_)
    if (node != nullptr && e.Node == node) {
      rect = e.Rect;
      return e.Page;
    }
  rect = TRect{};
  return 0;
}

// ---- page list -------------------------------------------------------------

TRpPageList::TRpPageList() : Clock(Now) {}
TRpPageList::~TRpPageList() = default;

void TRpPageList::SetStream(std::unique_ptr<TRpStream> stream) {
  std::lock_guard guard(lock_);
  stream_ = std::move(stream);
  fileName_.clear();
  headerSize_ = kHeaderSize;
}

std::unique_ptr<TRpStream> TRpPageList::ReleaseStream() {
  std::lock_guard guard(lock_);
  return std::move(stream_);
}

void TRpPageList::Damaged() const { throw ERpError(RpDamagedFileText(fileName_)); }

std::int32_t TRpPageList::ReadInt(TStream& s) {
  char b[4];
  if (s.Read(b, 4) != 4) throw ERpError(RpDamagedFileText());
  return static_cast<std::int32_t>(le::Get32(std::string_view(b, 4), 0));
}

void TRpPageList::WriteFileHeader() {
  std::lock_guard guard(lock_);
  // Built in place: the format words, the page count, the time, the
  // compression flag and the padding, at their offsets.
  std::array<char, kHeaderSize> h{};
  const auto put = [&h](size_t at, const void* bytes, size_t count) {
    std::memcpy(h.data() + at, bytes, count);
  };
  const std::uint16_t format[2] = {std::uint16_t(kFormat), std::uint16_t(kFormat2)};
  const std::uint32_t count = static_cast<std::uint32_t>(pageCount_);
  const double now = Clock ? Clock() : Now();
  static_assert(std::endian::native == std::endian::little, "the header's fields are little-endian");
  put(0, format, 4);
  put(8, &count, 4);
  put(16, &now, 8);
  h[25] = static_cast<char>(Compression ? 1 : 0);
  std::memset(h.data() + 26, 'H', 100);
  stream_->Seek(0, soFromBeginning);
  stream_->WriteBuffer(h.data(), kHeaderSize);
}

void TRpPageList::ReadFileHeader() {
  std::lock_guard guard(lock_);
  stream_->Seek(0, soFromBeginning);
  const int size = GetPageFileHeaderSize(*stream_);
  if (size == 0) Damaged();
  // Only the fields of the known layouts are read: the bytes of a larger
  // header are skipped, however many there are.
  const int fields = std::min(size, kHeaderSize);
  std::string h(static_cast<size_t>(fields), '\0');
  stream_->Seek(0, soFromBeginning);
  if (stream_->Read(h.data(), fields) != fields) Damaged();
  if (size == 124) {
    // The earlier layout, field by field into the current one.
    std::string c = h.substr(0, 5);
    c.append(3, '\0');
    c += h.substr(8, 4);
    c.append(4, '\0');
    c += h.substr(12, 8);
    c += h[20];
    c += h[21];
    c += h.substr(22, 100);
    c.append(2, '\0');
    h = c;
  }
  headerSize_ = size;
  if (size == 128 || size == 124) {
    pageCount_ = static_cast<std::int32_t>(le::Get32(h, 8));
    Compression = h[25] != 0;
  } else if (size == 120) {
    pageCount_ = 1;
  } else {
    // A header of no layout the program knows (a signature found only
    // further on) keeps no count of pages: the file would show none and
    // say nothing, whatever its size.
    Damaged();
  }
  if (pageCount_ < 0) Damaged();
}

bool TRpPageList::FirstRecordAt(TStream& stream, int headerSize) {
  const Int64 size = stream.Size();
  if (headerSize + 12 > size) return false;
  stream.Seek(headerSize, soFromBeginning);
  const std::int32_t number = ReadInt(stream);
  const Int64 next = static_cast<std::uint32_t>(ReadInt(stream));
  if (number != 1 || next < headerSize + 12 || next > size) return false;
  stream.Seek(next - 4, soFromBeginning);
  return ReadInt(stream) == headerSize;
}

int TRpPageList::GetPageFileHeaderSize(TStream& stream) {
  PositionKeeper keep(stream);
  const Int64 size = stream.Size();
  char head[4];
  stream.Seek(0, soFromBeginning);
  if (stream.Read(head, 4) == 4 && le::Get16(std::string_view(head, 4), 0) == kFormat &&
      le::Get16(std::string_view(head, 4), 2) == kFormat2) {
    // The format words are the current header's, whatever bytes the pages
    // hold; only a file whose records chain from 124 and not from 128 is
    // the earlier layout with the same words.
    if (!FirstRecordAt(stream, kHeaderSize) && FirstRecordAt(stream, 124)) return 124;
    return kHeaderSize;
  }
  char four[4];
  for (int h : kCandidates) {
    if (h + kSignatureAt + 4 > size) continue;
    stream.Seek(h + kSignatureAt, soFromBeginning);
    if (stream.Read(four, 4) == 4 && IsSignature(four)) return h;
  }
  // Signatures further on: the header is what lies before the first one.
  // No record of the format starts beyond what its 32-bit offsets reach.
  constexpr Int64 kFirst = 57;
  const Int64 end = std::min<Int64>(size, Int64{INT32_MAX});
  std::string buffer;
  for (Int64 at = kFirst; at + 4 <= end;) {
    const int want = static_cast<int>(std::min<Int64>(end - at, 65536));
    buffer.resize(static_cast<size_t>(want));
    stream.Seek(at, soFromBeginning);
    const int got = stream.Read(buffer.data(), want);
    if (got < 4) break;
    // Only where an "E" stands can a signature begin.
    for (int i = 0; i + 4 <= got; ++i) {
      const auto* e =
          static_cast<const char*>(std::memchr(buffer.data() + i, 'E', static_cast<size_t>(got - 3 - i)));
      if (e == nullptr) break;
      i = static_cast<int>(e - buffer.data());
      if (IsSignature(e)) return static_cast<int>(at + i - kSignatureAt);
    }
    at += got - 3;
  }
  return 0;
}

void TRpPageList::CheckChain(TStream& stream, int headerSize, int pageCount) {
  const Int64 size = stream.Size();
  Int64 at = headerSize;
  for (int page = 1; page <= pageCount; ++page) {
    if (at + 12 > size) throw ERpError(RpDamagedFileText());
    stream.Seek(at, soFromBeginning);
    const std::int32_t number = ReadInt(stream);
    const Int64 next = static_cast<std::uint32_t>(ReadInt(stream));
    if (number != page || next < at + 12 || next > size) throw ERpError(RpDamagedFileText());
    stream.Seek(next - 4, soFromBeginning);
    if (ReadInt(stream) != at) throw ERpError(RpDamagedFileText());
    at = next;
  }
}

void TRpPageList::SeekToFirst() {
  std::lock_guard guard(lock_);
  stream_->Seek(headerSize_, soFromBeginning);
}

void TRpPageList::SeekToLast() {
  std::lock_guard guard(lock_);
  const Int64 size = stream_->Seek(0, soFromEnd);
  if (size < headerSize_ + 12) Damaged();
  stream_->Seek(size - 4, soFromBeginning);
  const Int64 start = ReadInt(*stream_);
  if (start < headerSize_ || start > size - 12) Damaged();
  stream_->Seek(start, soFromBeginning);
}

void TRpPageList::SeekToPage(int n) {
  std::lock_guard guard(lock_);
  if (n == 1) {
    SeekToFirst();
    return;
  }
  TRpStream& s = *stream_;
  const Int64 size = s.Size();
  // The walk starts at the record at the position (after a read, the one
  // after the page read; at the end of the stream, the last record), whatever
  // number it holds: records past the header's count are walked over, so
  // the pages found do not depend on what was read before.
  if (s.Position() >= size) SeekToLast();
  Int64 at = s.Position();
  std::int32_t p = ReadInt(s);
  if (p < 1) {
    at = headerSize_;
    p = 1;
  }
  // Each step must move the way the walk goes and stay inside the file;
  // no walk takes more steps than the file has room for records.
  const Int64 maxSteps = size / 12 + 1;
  for (Int64 steps = 0; p != n; ++steps) {
    if (steps > maxSteps) Damaged();
    const bool forward = n > p;
    Int64 to;
    if (forward) {
      s.Seek(at + 4, soFromBeginning);
      to = static_cast<std::uint32_t>(ReadInt(s));
      if (to <= at || to + 12 > size) Damaged();
    } else {
      if (at - 4 < headerSize_) Damaged();
      s.Seek(at - 4, soFromBeginning);
      to = static_cast<std::uint32_t>(ReadInt(s));
      if (to >= at || to < headerSize_) Damaged();
    }
    at = to;
    s.Seek(at, soFromBeginning);
    p = ReadInt(s);
    if (p < 1 || (forward && p > n) || (!forward && p < n)) Damaged();
  }
  s.Seek(at, soFromBeginning);
}

void TRpPageList::AddPage(const TMetafile& metafile) {
  std::lock_guard guard(lock_);
  TRpStream& s = *stream_;
  ++pageCount_;
  Int64 start = -1;
  try {
    if (pageCount_ == 1) WriteFileHeader();
    start = s.Seek(0, soFromEnd);
    WriteRecord(metafile, start);
    if (s.Size() > MaxRecordEnd)
      throw ERpError("Οι σελίδες της εκτύπωσης δεν χωρούν στο αρχείο σελίδων: ξεπερνούν τα "_a +
                     IntToStr(MaxRecordEnd) + " byte.");
  } catch (...) {
    // A page that could not be written whole leaves no part behind.
    --pageCount_;
    if (start >= 0) s.SetSize(start);
    throw;
  }
}

void TRpPageList::WriteRecord(const TMetafile& metafile, Int64 start) {
  TRpStream& s = *stream_;
  const std::string& bytes = metafile.Data();
  // The fields are little-endian words, as the file header's are, written
  // from the stack: a report writes a record for every page.
  static_assert(std::endian::native == std::endian::little, "the record's fields are little-endian");
  const auto word = [](Int64 value) { return static_cast<std::uint32_t>(value); };
  // A page stored plain is as long as its bytes: its head links to the
  // next record at once instead of being sought back to and patched.
  const std::uint32_t head[2] = {word(pageCount_),
                                 Compression ? 0 : word(start + 8 + static_cast<Int64>(bytes.size()) + 4)};
  s.WriteBuffer(head, 8);
  if (!Compression) {
    metafile.SaveToStream(s);
  } else {
    const std::uint32_t plain = word(static_cast<Int64>(bytes.size()));
    s.WriteBuffer(&plain, 4);
    TRpCompress coder(&s, true);
    coder.Encode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    coder.Flush();
  }
  const std::uint32_t trailer = word(start);
  s.WriteBuffer(&trailer, 4);
  if (!Compression) return;
  const std::uint32_t next = word(s.Position());
  s.Seek(start + 4, soFromBeginning);
  s.WriteBuffer(&next, 4);
  s.Seek(0, soFromEnd);
}

std::unique_ptr<TMetafile> TRpPageList::GetPage(int n) {
  std::lock_guard guard(lock_);
  try {
    return ReadPage(n);
  } catch (const ERpError&) {
    if (fileName_.empty()) throw;
    throw ERpError(RpDamagedFileText(fileName_));
  }
}

std::unique_ptr<TMetafile> TRpPageList::ReadPage(int n) {
  if (n < 1 || n > pageCount_ || !stream_) return nullptr;
  SeekToPage(n);
  TRpStream& s = *stream_;
  const Int64 start = s.Position();
  if (ReadInt(s) != n) Damaged();
  const Int64 next = static_cast<std::uint32_t>(ReadInt(s));
  const Int64 payload = next - 4 - (start + 8);
  if (payload < 0 || next > s.Size()) Damaged();
  std::string bytes;
  if (Compression) {
    const std::int32_t plain = ReadInt(s);
    if (plain < 0 || plain > kMaxPageBytes || plain > (payload - 4) * 8) Damaged();
    bytes.resize(static_cast<size_t>(plain));
    TRpCompress coder(&s, false, payload - 4);
    coder.Decode(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
  } else {
    if (payload > kMaxPageBytes) Damaged();
    bytes.resize(static_cast<size_t>(payload));
    if (s.Read(bytes.data(), static_cast<int>(payload)) != payload) Damaged();
  }
  s.Seek(next - 4, soFromBeginning);
  if (ReadInt(s) != start) Damaged();
  auto metafile = std::make_unique<TMetafile>();
  TStringStream source(std::move(bytes));
  try {
    metafile->LoadFromStream(source);
  } catch (const EInvalidGraphic&) {
    Damaged();
  } catch (const EReadError&) {
    Damaged();
  }
  return metafile;
}

void TRpPageList::LoadFromFile(const AnsiString& fileName) {
  std::unique_ptr<TRpStream> stream = TRpStream::CreateFromFile(fileName);
  // Bounded as every file the program reads is, before a byte is looked at:
  // the probe for the first page would otherwise walk the whole of it.
  if (stream->Size() > MaxFileSize) throw ERpError(FileReadErrorText(fileName, FileTooLarge, MaxFileSize));
  try {
    LoadFromStream(std::move(stream));
  } catch (const ERpError&) {
    throw ERpError(RpDamagedFileText(fileName));
  }
  std::lock_guard guard(lock_);
  fileName_ = fileName;
}

void TRpPageList::LoadFromStream(std::unique_ptr<TRpStream> stream) {
  TRpPageList probe;
  probe.stream_ = std::move(stream);
  probe.ReadFileHeader();
  CheckChain(*probe.stream_, probe.headerSize_, probe.pageCount_);
  std::lock_guard guard(lock_);
  stream_ = std::move(probe.stream_);
  fileName_.clear();
  headerSize_ = probe.headerSize_;
  pageCount_ = probe.pageCount_;
  Compression = probe.Compression;
  if (pageCount_ > 0) {
    try {
      GetPage(pageCount_);
    } catch (const ERpError&) {
      // A damaged page in a sound chain shows blank when it is looked at.
    }
  }
}

void TRpPageList::SaveToFile(const AnsiString& fileName) {
  std::lock_guard guard(lock_);
  // A file the program would refuse to load is not written.
  if (stream_ && stream_->Size() > MaxFileSize)
    throw ERpError(FileWriteErrorText(fileName, FileTooLarge, MaxFileSize));
  TStringStream bytes;
  stream_->SaveToStream(bytes);
  SafeWriteFile(fileName, bytes.DataString());
}
