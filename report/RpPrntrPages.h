#pragma once
// The pages of a report run: each finished page is one record of a single
// page stream, kept in memory until it grows past a limit and then in a
// temporary file. The same bytes behind a 128-byte header are the saved
// report file, so saving copies the stream and loading opens the file.
// Pages may be stored through an adaptive splay-tree prefix coder.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gfx/Metafile.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/FileUtils.h"
#include "report/RpTypes.h"

// The largest page file loaded: the bound of any file the program reads.
constexpr Int64 MaxPageFileSize = MaxReadFileSize;

class TRpStream : public TStream {
 public:
  explicit TRpStream(int memoryLimit);
  // An existing file, read only and shared with other readers and writers.
  static std::unique_ptr<TRpStream> CreateFromFile(const AnsiString& fileName);
  ~TRpStream() override;

  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  Int64 Seek(Int64 offset, int origin) override;
  Int64 Size() override;
  void SetSize(Int64 newSize) override;
  // Everything from the start, in chunks.
  void SaveToStream(TStream& target);

  bool InMemory() const { return memory_ != nullptr; }
  // The temporary file; empty in memory or when opened on a file.
  const AnsiString& FileName() const { return fileName_; }
  int MemoryLimit() const { return memoryLimit_; }

 private:
  TRpStream() = default;
  TStream& Current() { return memory_ ? static_cast<TStream&>(*memory_) : *file_; }
  std::recursive_mutex lock_;
  std::unique_ptr<TMemoryStream> memory_;
  std::unique_ptr<TFileStream> file_;
  AnsiString fileName_;
  int memoryLimit_ = 0;
};

// The splay-tree coder: 256 inner nodes (0 the root) and the leaves 256 +
// byte, plus one leaf (512) no byte codes for. Codes fill each byte from
// its least significant bit; every page starts from a fresh tree.
class TRpCompress {
 public:
  // A decoder reads at most Limit bytes (< 0: up to the stream's end) and
  // gives back to the stream what it read ahead and did not use.
  TRpCompress(TStream* stream, bool encoding, Int64 limit = -1);
  ~TRpCompress();
  TRpCompress(const TRpCompress&) = delete;
  TRpCompress& operator=(const TRpCompress&) = delete;

  void Encode(std::uint8_t byte);
  void Encode(const std::uint8_t* bytes, size_t count);
  // A short read or the code of the leaf no byte has is damage (ERpError).
  std::uint8_t Decode();
  void Decode(std::uint8_t* bytes, size_t count);
  // Writes the pending bits (the destructor does it too) or returns the
  // bytes read ahead.
  void Flush();

 private:
  void Refill();
  // One step of the splay from N, whose slot is NSlot, its parent's PSlot:
  // P's sibling U takes N's place under P and N takes U's under the
  // grandparent, which it returns.
  unsigned Semisplay(unsigned n, unsigned nSlot, unsigned pSlot) {
    const unsigned away = pSlot ^ 1;
    const unsigned u = child_[away];
    child_[away] = static_cast<std::uint16_t>(n);
    slot_[n] = static_cast<std::uint16_t>(away);
    child_[nSlot] = static_cast<std::uint16_t>(u);
    slot_[u] = static_cast<std::uint16_t>(nSlot);
    return pSlot >> 1;
  }
  // One step up from N (its slot NSlot): the turns to it join Code, one
  // under the root and two elsewhere, and the tree splays; returns where
  // the walk goes on, 0 past the root.
  unsigned Climb(unsigned n, unsigned nSlot, std::uint64_t& code, unsigned& bits) {
    const unsigned p = nSlot >> 1;
    if (p == 0) {
      code = (code << 1) | (nSlot & 1);
      ++bits;
      return 0;
    }
    const unsigned pSlot = slot_[p];
    code = (code << 2) | ((nSlot & 1) << 1) | (pSlot & 1);
    bits += 2;
    return Semisplay(n, nSlot, pSlot);
  }
  void EncodeDeep(unsigned n, std::uint64_t code, unsigned bits);
  void PutPart(std::uint64_t code, unsigned bits);

  TStream* stream_;
  bool encoding_;
  Int64 limit_;
  // Children of inner node i at 2i (left) and 2i + 1 (right); the slot of
  // node n is where its parent holds it (2 x parent + side).
  std::uint16_t child_[512];
  std::uint16_t slot_[513];
  std::uint64_t acc_ = 0;
  unsigned accBits_ = 0;
  std::vector<std::uint8_t> buffer_;
  size_t bufferPos_ = 0;
  bool flushed_ = false;
};

struct TRpOutlineEntry {
  AnsiString Caption;  // up to 51 characters
  int Level = 0;       // 0 = top, up to 32 levels
  TRect Rect{};
  int Page = 0;
  void* Node = nullptr;
};

// Where the outline shows: a tree of text nodes.
class TRpOutlineView {
 public:
  virtual ~TRpOutlineView() = default;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void Clear() = 0;
  // A node under Parent (nil: the top level).
  virtual void* AddChild(void* parent, const AnsiString& text) = 0;
  // Called by the view when the user selects another node.
  std::function<void(void* node)> OnChange;
};

class TRpOutline {
 public:
  void Clear() { entries_.clear(); }
  void AddEntry(const AnsiString& caption, int level, const TRect& rect, int page);
  const std::vector<TRpOutlineEntry>& Entries() const { return entries_; }
  TRpOutlineView* TreeView() const { return view_; }
  void SetTreeView(TRpOutlineView* view);
  void Refresh();
  // The page and rectangle of the entry a node shows; 0 and empty for none.
  int FindEntry(void* node, TRect& rect) const;

 private:
  std::vector<TRpOutlineEntry> entries_;
  TRpOutlineView* view_ = nullptr;
};

class TRpPageList {
 public:
  static constexpr int kHeaderSize = 128;
  // Payloads above this are damage.
  static constexpr Int64 kMaxPageBytes = 64 << 20;

  TRpPageList();
  ~TRpPageList();

  TRpStream* Stream() const { return stream_.get(); }
  void SetStream(std::unique_ptr<TRpStream> stream);
  std::unique_ptr<TRpStream> ReleaseStream();
  int PageCount() const { return pageCount_; }
  bool Compression = false;
  // The largest page file loaded or saved: a saved file is always one
  // that loads again.
  Int64 MaxFileSize = MaxPageFileSize;
  // Where records may reach: their links are 32-bit words, so a page
  // past it would link to the wrong place and is refused instead.
  Int64 MaxRecordEnd = 0xFFFFFFFFLL;
  TRpOutline* Outline() { return &outline_; }
  // The creation time written into the header; the clock by default.
  std::function<TDateTime()> Clock;

  void Clear() { pageCount_ = 0; }
  void AddPage(const TMetafile& metafile);
  // Nil outside 1 .. PageCount; a damaged record or payload raises ERpError.
  std::unique_ptr<TMetafile> GetPage(int n);
  void WriteFileHeader();
  void ReadFileHeader();
  void Finish() { WriteFileHeader(); }
  void SeekToFirst();
  void SeekToLast();
  void SeekToPage(int n);
  // A damaged file, or one larger than MaxFileSize, raises ERpError
  // naming it and leaves the pages as they were.
  void LoadFromFile(const AnsiString& fileName);
  // The same for a page file already in a stream.
  void LoadFromStream(std::unique_ptr<TRpStream> stream);
  // Pages past MaxFileSize are refused with ERpError naming the file; the
  // file is written whole or not at all, an existing one kept until then.
  void SaveToFile(const AnsiString& fileName);

  // The header's size: 128 when the format words say so, else from where
  // the first page's metafile signature lies (an earlier 124, 120 or 96);
  // 0 when it is no page file.
  static int GetPageFileHeaderSize(TStream& stream);
  // Raises ERpError unless every record of the file chains to the next.
  static void CheckChain(TStream& stream, int headerSize, int pageCount);

 private:
  static std::int32_t ReadInt(TStream& s);
  // Whether a first record starts at HeaderSize and its trailer points back.
  static bool FirstRecordAt(TStream& stream, int headerSize);
  void WriteRecord(const TMetafile& metafile, Int64 start);
  std::unique_ptr<TMetafile> ReadPage(int n);
  void Damaged() const;

  std::recursive_mutex lock_;
  std::unique_ptr<TRpStream> stream_;
  // The page file the pages were loaded from, named when one is damaged.
  AnsiString fileName_;
  int pageCount_ = 0;
  int headerSize_ = kHeaderSize;
  TRpOutline outline_;
};

// The text of damage found in a page file, the file named when it has a name.
AnsiString RpDamagedFileText();
AnsiString RpDamagedFileText(const AnsiString& fileName);
