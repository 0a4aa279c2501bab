#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/rtl/FileUtils.h"
#include "report/RpPrntrPages.h"

// ---- page stream -----------------------------------------------------------

namespace {

// The room the last page stream in memory grew, kept for the next: a report
// run again writes its pages into room it already has instead of growing a
// new stream from nothing, copying its pages at every doubling.
constexpr size_t kMaxSpareBytes = size_t{16} << 20;
std::mutex spareLock;
std::string& SpareStorage() {
  // Never freed: a stream may go while other statics do.
  static auto* spare = new std::string;
  return *spare;
}

std::string TakeSpareStorage() {
  std::lock_guard guard(spareLock);
  return std::move(SpareStorage());
}

void KeepSpareStorage(std::string storage) {
  if (storage.capacity() > kMaxSpareBytes) return;
  std::lock_guard guard(spareLock);
  std::string& spare = SpareStorage();
  if (storage.capacity() > spare.capacity()) spare = std::move(storage);
}

}  // namespace

TRpStream::TRpStream(int memoryLimit)
    : memory_(std::make_unique<TMemoryStream>()), memoryLimit_(memoryLimit) {
  memory_->Adopt(TakeSpareStorage());
}

std::unique_ptr<TRpStream> TRpStream::CreateFromFile(const AnsiString& fileName) {
  std::unique_ptr<TRpStream> stream(new TRpStream());
  stream->file_ = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyNone);
  return stream;
}

TRpStream::~TRpStream() {
  std::lock_guard guard(lock_);
  file_.reset();
  if (memory_) KeepSpareStorage(memory_->Release());
  memory_.reset();
  if (!fileName_.empty() && FileExists(fileName_)) DeleteFile(fileName_);
}

int TRpStream::Read(void* buffer, int count) {
  std::lock_guard guard(lock_);
  return Current().Read(buffer, count);
}

int TRpStream::Write(const void* buffer, int count) {
  std::lock_guard guard(lock_);
  const int written = Current().Write(buffer, count);
  if (memory_ && memory_->Size() > memoryLimit_) {
    // The write that crossed the limit is in memory already and moves too.
    const AnsiString name = GetTempFileName(GetTempDir(), "RPP");
    try {
      auto file = std::make_unique<TFileStream>(name, fmCreate);
      const Int64 position = memory_->Position();
      file->WriteBuffer(memory_->Memory(), static_cast<int>(memory_->Size()));
      file->Seek(position, soFromBeginning);
      file_ = std::move(file);
    } catch (...) {
      // The pages stay in memory; the next write tries again.
      DeleteFile(name);
      throw;
    }
    fileName_ = name;
    memory_.reset();
  }
  return written;
}

Int64 TRpStream::Seek(Int64 offset, int origin) {
  std::lock_guard guard(lock_);
  return Current().Seek(offset, origin);
}

Int64 TRpStream::Size() {
  std::lock_guard guard(lock_);
  return Current().Size();
}

void TRpStream::SetSize(Int64 newSize) {
  std::lock_guard guard(lock_);
  Current().SetSize(newSize);
}

void TRpStream::SaveToStream(TStream& target) {
  std::lock_guard guard(lock_);
  Current().Seek(0, soFromBeginning);
  char chunk[10240];
  for (;;) {
    const int n = Current().Read(chunk, sizeof chunk);
    if (n <= 0) break;
    target.WriteBuffer(chunk, n);
  }
}

// ---- splay-tree coder ------------------------------------------------------
//
// One pass up from the leaf both records the code and splays: each step
// looks at a node, its parent and grandparent before it relinks them, and
// the grandparent's own link upward is untouched, so the bits read on the
// way are those of the tree before the splay.

namespace {
constexpr size_t kChunk = 4096;
// Room past a full chunk for a path of 256 turns in eight-byte stores.
constexpr size_t kSlack = 64;
}  // namespace

TRpCompress::TRpCompress(TStream* stream, bool encoding, Int64 limit)
    : stream_(stream), encoding_(encoding), limit_(limit) {
  slot_[0] = 0;
  for (unsigned j = 1; j <= 512; ++j) slot_[j] = static_cast<std::uint16_t>(j - 1);
  for (unsigned i = 0; i < 256; ++i) {
    child_[2 * i] = static_cast<std::uint16_t>(2 * i + 1);
    child_[2 * i + 1] = static_cast<std::uint16_t>(2 * i + 2);
  }
  if (encoding_) buffer_.resize(kChunk + kSlack);
}

TRpCompress::~TRpCompress() {
  try {
    Flush();
  } catch (...) {
    // A failing stream at the end: the page's write fails on its trailer.
  }
}

void TRpCompress::Flush() {
  if (flushed_) return;
  flushed_ = true;
  if (encoding_) {
    if (accBits_ > 0) buffer_[bufferPos_++] = static_cast<std::uint8_t>(acc_);
    acc_ = 0;
    accBits_ = 0;
    if (bufferPos_ > 0) stream_->WriteBuffer(buffer_.data(), static_cast<int>(bufferPos_));
    bufferPos_ = 0;
  } else if (bufferPos_ < buffer_.size() || accBits_ >= 8) {
    stream_->Seek(-static_cast<Int64>(buffer_.size() - bufferPos_ + accBits_ / 8), soFromCurrent);
    buffer_.clear();
    bufferPos_ = 0;
    accBits_ = 0;
  }
}

void TRpCompress::Encode(std::uint8_t byte) { Encode(&byte, 1); }

namespace {
// A code part holds at most this many bits, so that with the seven that may
// wait in the accumulator it fits one word.
constexpr unsigned kPartBits = 56;

// Pending bits and where whole bytes go: each part is ORed in above the
// waiting bits and the whole bytes leave as one eight-byte store, so a code
// is never split into single bits.
struct BitSink {
  std::uint64_t acc;
  unsigned bits;
  std::uint8_t* out;
  void Put(std::uint64_t code, unsigned count) {
    acc |= code << bits;
    const unsigned total = bits + count;
    std::memcpy(out, &acc, 8);
    out += total >> 3;
    acc >>= (total >> 3) * 8;
    bits = total & 7;
  }
};
static_assert(std::endian::native == std::endian::little, "codes are stored as little-endian words");

// How many of the first Count bytes equal the first (Count > 0).
size_t RunLength(const std::uint8_t* bytes, size_t count) {
  const std::uint64_t first = bytes[0] * 0x0101010101010101u;
  size_t n = 1;
  while (n + 8 <= count) {
    std::uint64_t word;
    std::memcpy(&word, bytes + n, 8);
    if (const std::uint64_t differ = word ^ first; differ != 0)
      return n + static_cast<size_t>(std::countr_zero(differ) >> 3);
    n += 8;
  }
  while (n < count && bytes[n] == bytes[0]) ++n;
  return n;
}
}  // namespace

void TRpCompress::PutPart(std::uint64_t code, unsigned bits) {
  BitSink sink{acc_, accBits_, buffer_.data() + bufferPos_};
  sink.Put(code, bits);
  acc_ = sink.acc;
  accBits_ = sink.bits;
  bufferPos_ = static_cast<size_t>(sink.out - buffer_.data());
}

void TRpCompress::EncodeDeep(unsigned n, std::uint64_t code, unsigned bits) {
  // The rare path longer than a part: the parts found so far wait on a
  // stack, and go out root first.
  struct Part {
    std::uint64_t code;
    unsigned bits;
  } deeper[6];
  unsigned nDeeper = 0;
  deeper[nDeeper++] = {code, bits};
  code = 0;
  bits = 0;
  while (n != 0) {
    if (bits > kPartBits - 2) {
      deeper[nDeeper++] = {code, bits};
      code = 0;
      bits = 0;
    }
    n = Climb(n, slot_[n], code, bits);
  }
  PutPart(code, bits);
  while (nDeeper > 0) {
    --nDeeper;
    PutPart(deeper[nDeeper].code, deeper[nDeeper].bits);
  }
}

void TRpCompress::Encode(const std::uint8_t* bytes, size_t count) {
  // The hot loop of a stored run: the pending bits and the output stay in
  // locals.
  std::uint8_t* const base = buffer_.data();
  BitSink sink{acc_, accBits_, base + bufferPos_};
  const auto drainFull = [&] {
    if (static_cast<size_t>(sink.out - base) >= kChunk) [[unlikely]] {
      stream_->WriteBuffer(base, static_cast<int>(sink.out - base));
      sink.out = base;
    }
  };
  for (size_t i = 0; i < count; ++i) {
    unsigned n = bytes[i] + 256u;
    unsigned nSlot = slot_[n];
    if ((nSlot >> 1) == 0) {
      // A leaf under the root keeps its place when coded, so a run of its
      // byte is that one turn repeated: runs of zeros fill most pages.
      const size_t run = RunLength(bytes + i, count - i);
      i += run - 1;
      const std::uint64_t turns = (nSlot & 1) != 0 ? ~std::uint64_t{0} : 0;
      for (size_t left = run; left > 0;) {
        const unsigned part = static_cast<unsigned>(std::min<size_t>(left, kPartBits));
        sink.Put(turns >> (64 - part), part);
        left -= part;
        drainFull();
      }
      continue;
    }
    // Bits gather from the leaf upward, each new one below the others, so
    // the root's bit ends up lowest: the order they go out in.
    unsigned bits = 0;
    std::uint64_t code = 0;
    for (;;) {
      n = Climb(n, nSlot, code, bits);
      if (n == 0) break;
      nSlot = slot_[n];
      if (bits > kPartBits - 2) [[unlikely]] {
        acc_ = sink.acc;
        accBits_ = sink.bits;
        bufferPos_ = static_cast<size_t>(sink.out - base);
        EncodeDeep(n, code, bits);
        sink = {acc_, accBits_, base + bufferPos_};
        code = 0;
        bits = 0;
        break;
      }
    }
    sink.Put(code, bits);
    drainFull();
  }
  acc_ = sink.acc;
  accBits_ = sink.bits;
  bufferPos_ = static_cast<size_t>(sink.out - base);
}

void TRpCompress::Refill() {
  if (bufferPos_ == buffer_.size()) {
    size_t want = kChunk;
    if (limit_ >= 0) want = static_cast<size_t>(std::min<Int64>(limit_, kChunk));
    buffer_.resize(want);
    const int got = want == 0 ? 0 : stream_->Read(buffer_.data(), static_cast<int>(want));
    buffer_.resize(got > 0 ? got : 0);
    bufferPos_ = 0;
    if (limit_ >= 0) limit_ -= static_cast<Int64>(buffer_.size());
    if (buffer_.empty()) throw ERpError(RpDamagedFileText());
  }
  // Up to eight bytes at once; whole bytes still unused go back on Flush.
  acc_ = 0;
  accBits_ = 0;
  while (accBits_ < 64 && bufferPos_ < buffer_.size()) {
    acc_ |= static_cast<std::uint64_t>(buffer_[bufferPos_++]) << accBits_;
    accBits_ += 8;
  }
}

std::uint8_t TRpCompress::Decode() {
  // The way down is kept as the child slots taken (2 x parent + side), so
  // the splay back up needs no parent links: a slot names both a node's
  // parent and its side.
  std::uint16_t slot[260];
  unsigned n = 0, d = 0;
  std::uint64_t acc = acc_;
  unsigned bits = accBits_;
  while (n < 256) {
    if (bits == 0) {
      Refill();
      acc = acc_;
      bits = accBits_;
    }
    const unsigned s = 2 * n + static_cast<unsigned>(acc & 1);
    acc >>= 1;
    --bits;
    slot[++d] = static_cast<std::uint16_t>(s);
    n = child_[s];
  }
  acc_ = acc;
  accBits_ = bits;
  if (n > 511) throw ERpError(RpDamagedFileText());
  const unsigned leaf = n;
  while (d >= 2) {
    const unsigned nSlot = slot[d], pSlot = slot[d - 1];
    // P's sibling U takes N's place under P; N takes U's under G.
    const unsigned uSlot = pSlot ^ 1;
    const unsigned u = child_[uSlot];
    child_[uSlot] = static_cast<std::uint16_t>(n);
    child_[nSlot] = static_cast<std::uint16_t>(u);
    n = pSlot >> 1;
    d -= 2;
  }
  return static_cast<std::uint8_t>(leaf - 256);
}

void TRpCompress::Decode(std::uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) bytes[i] = Decode();
}
