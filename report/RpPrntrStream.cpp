#include <algorithm>
#include <cstring>

#include "platform/rtl/FileUtils.h"
#include "report/RpPrntrPages.h"

// ---- page stream -----------------------------------------------------------

TRpStream::TRpStream(int memoryLimit)
    : memory_(std::make_unique<TMemoryStream>()), memoryLimit_(memoryLimit) {}

std::unique_ptr<TRpStream> TRpStream::CreateFromFile(const AnsiString& fileName) {
  std::unique_ptr<TRpStream> stream(new TRpStream());
  stream->file_ = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyNone);
  return stream;
}

TRpStream::~TRpStream() {
  std::lock_guard guard(lock_);
  file_.reset();
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
}

TRpCompress::TRpCompress(TStream* stream, bool encoding, Int64 limit)
    : stream_(stream), encoding_(encoding), limit_(limit) {
  for (unsigned j = 1; j <= 512; ++j) up_[j] = static_cast<std::uint8_t>((j - 1) / 2);
  up_[0] = 0;
  for (unsigned i = 0; i < 256; ++i) {
    child_[2 * i] = static_cast<std::uint16_t>(2 * i + 1);
    child_[2 * i + 1] = static_cast<std::uint16_t>(2 * i + 2);
  }
  if (encoding_) buffer_.reserve(kChunk + 8);
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
    if (accBits_ > 0) buffer_.push_back(static_cast<std::uint8_t>(acc_));
    acc_ = 0;
    accBits_ = 0;
    if (!buffer_.empty()) stream_->WriteBuffer(buffer_.data(), static_cast<int>(buffer_.size()));
    buffer_.clear();
  } else if (bufferPos_ < buffer_.size() || accBits_ >= 8) {
    stream_->Seek(-static_cast<Int64>(buffer_.size() - bufferPos_ + accBits_ / 8), soFromCurrent);
    buffer_.clear();
    bufferPos_ = 0;
    accBits_ = 0;
  }
}

void TRpCompress::PutBits(std::uint64_t bits, unsigned count) {
  if (count > 32) {
    PutBits(bits & 0xFFFFFFFFu, 32);
    PutBits(bits >> 32, count - 32);
    return;
  }
  acc_ |= bits << accBits_;
  accBits_ += count;
  while (accBits_ >= 8) {
    buffer_.push_back(static_cast<std::uint8_t>(acc_));
    acc_ >>= 8;
    accBits_ -= 8;
  }
  if (buffer_.size() >= kChunk) {
    stream_->WriteBuffer(buffer_.data(), static_cast<int>(buffer_.size()));
    buffer_.clear();
  }
}

void TRpCompress::Encode(std::uint8_t byte) {
  // Bits gather from the leaf upward, each new one below the others, so
  // the root's bit ends up lowest: the order they go out in. Paths longer
  // than a word keep their deeper parts on a stack.
  struct Part {
    std::uint64_t code;
    unsigned bits;
  } deeper[5];
  unsigned nDeeper = 0, bits = 0;
  std::uint64_t code = 0;
  unsigned n = byte + 256u;
  for (;;) {
    if (bits > 62) {
      deeper[nDeeper++] = {code, bits};
      code = 0;
      bits = 0;
    }
    const unsigned p = up_[n];
    const unsigned nSide = child_[2 * p] == n ? 0 : 1;
    if (p == 0) {
      code = (code << 1) | nSide;
      ++bits;
      break;
    }
    const unsigned g = up_[p];
    const unsigned pSide = child_[2 * g] == p ? 0 : 1;
    code = (code << 2) | (nSide << 1) | pSide;
    bits += 2;
    // P's sibling U takes P's place under G's other side: N moves there,
    // and U takes N's place under P.
    const unsigned away = 1 - pSide;
    const unsigned u = child_[2 * g + away];
    child_[2 * g + away] = static_cast<std::uint16_t>(n);
    child_[2 * p + nSide] = static_cast<std::uint16_t>(u);
    up_[n] = static_cast<std::uint8_t>(g);
    up_[u] = static_cast<std::uint8_t>(p);
    n = g;
    if (n == 0) break;
  }
  PutBits(code, bits);
  while (nDeeper > 0) {
    --nDeeper;
    PutBits(deeper[nDeeper].code, deeper[nDeeper].bits);
  }
}

void TRpCompress::Encode(const std::uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) Encode(bytes[i]);
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
