// TStream and its memory, file and string streams.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/rtl/Classes.h"
#include "platform/rtl/FileUtils.h"

namespace {

// The class library's memory streams address at most 2 GB.
constexpr Int64 kMaxMemoryStreamSize = INT_MAX;

// The position Seek asks for; false when the origin is unknown or the sum
// overflows.
bool seekTarget(Int64 offset, int origin, Int64 position, Int64 size, Int64& target) {
  Int64 base = 0;
  switch (origin) {
    case soFromBeginning:
      base = 0;
      break;
    case soFromCurrent:
      base = position;
      break;
    case soFromEnd:
      base = size;
      break;
    default:
      return false;
  }
  return !__builtin_add_overflow(base, offset, &target);
}

// Reading and writing bytes held in a string, shared by the memory and
// string streams. A position before the start reads and writes nothing;
// writing past the end extends the bytes and keeps what lies beyond.
int readHeld(const std::string& data, Int64& position, void* buffer, int count) {
  if (position < 0 || count <= 0) return 0;
  const Int64 available = static_cast<Int64>(data.size()) - position;
  if (available <= 0) return 0;
  const int n = static_cast<int>(std::min<Int64>(available, count));
  std::memcpy(buffer, data.data() + position, static_cast<size_t>(n));
  position += n;
  return n;
}

int writeHeld(std::string& data, Int64& position, const void* buffer, int count) {
  if (position < 0 || count <= 0 || position > kMaxMemoryStreamSize - count) return 0;
  const Int64 end = position + count;
  if (position == static_cast<Int64>(data.size())) {
    // Written at the end, as a page list writes page after page: the bytes
    // go on without zeros first.
    data.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
    position = end;
    return count;
  }
  if (end > static_cast<Int64>(data.size())) data.resize(static_cast<size_t>(end), '\0');
  std::memcpy(data.data() + position, buffer, static_cast<size_t>(count));
  position = end;
  return count;
}

}  // namespace

// ---- TStream ---------------------------------------------------------------

void TStream::ReadBuffer(void* buffer, int count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  if (count <= 0) return 0;
  const Int64 total = count;
  std::string buffer(static_cast<size_t>(std::min<Int64>(count, 65536)), '\0');
  while (count > 0) {
    int n = static_cast<int>(std::min<Int64>(count, static_cast<Int64>(buffer.size())));
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    count -= n;
  }
  return total;
}

Int64 TStream::Size() {
  Int64 position = Seek(0, soFromCurrent);
  Int64 size = Seek(0, soFromEnd);
  Seek(position, soFromBeginning);
  return size;
}

void TStream::SetSize(Int64) {}

// ---- TMemoryStream ---------------------------------------------------------

int TMemoryStream::Read(void* buffer, int count) { return readHeld(data_, position_, buffer, count); }

int TMemoryStream::Write(const void* buffer, int count) { return writeHeld(data_, position_, buffer, count); }

Int64 TMemoryStream::Seek(Int64 offset, int origin) {
  Int64 target = 0;
  if (!seekTarget(offset, origin, position_, Size(), target)) return -1;
  position_ = target;  // a position before the start reads and writes nothing
  return position_;
}

void TMemoryStream::SetSize(Int64 newSize) {
  if (newSize < 0 || newSize > kMaxMemoryStreamSize)
    throw EOutOfMemory("Out of memory while expanding memory stream");
  data_.resize(static_cast<size_t>(newSize), '\0');
  if (position_ > newSize) position_ = newSize;
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
}

void TMemoryStream::Adopt(std::string&& storage) {
  storage.clear();
  data_ = std::move(storage);
  position_ = 0;
}

std::string TMemoryStream::Release() {
  std::string out = std::move(data_);
  data_ = std::string();
  position_ = 0;
  return out;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  Int64 count = stream.Size();
  SetSize(count);
  if (count != 0) stream.ReadBuffer(data_.data(), static_cast<int>(count));
}

void TMemoryStream::SaveToStream(TStream& stream) const {
  if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<int>(data_.size()));
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  if (stream.Size() > kMaxMemoryStreamSize)
    throw EReadError(FileReadErrorText(fileName, FileTooLarge, kMaxMemoryStreamSize));
  LoadFromStream(stream);
}

void TMemoryStream::SaveToFile(const AnsiString& fileName) const { SafeWriteFile(fileName, data_); }

// ---- TFileStream -----------------------------------------------------------

TFileStream::TFileStream(const AnsiString& fileName, Word mode) : fileName_(fileName) {
  std::string disk = DiskFileName(fileName);
  const bool create = (mode & fmCreate) == fmCreate;
  int flags = O_RDWR | O_CREAT;
  if (!create) {
    switch (mode & 0x3) {
      case fmOpenRead:
        flags = O_RDONLY;
        break;
      case fmOpenWrite:
        flags = O_WRONLY;
        break;
      case fmOpenReadWrite:
        flags = O_RDWR;
        break;
      default:
        throw EFOpenError(FileReadErrorText(fileName, EINVAL));
    }
  }
  const auto refuse = [&](int error) -> void {
    if (create) throw EFCreateError(FileWriteErrorText(fileName, error));
    throw EFOpenError(FileReadErrorText(fileName, error));
  };
  // Not blocking, so that a pipe under the name cannot hold the open; only
  // a regular file is read or written (never a device or a pipe), and only
  // one found regular is emptied for a new file.
  fd_ = ::open(disk.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  // A pipe without a reader refuses a writer that will not wait.
  if (fd_ < 0) refuse(errno == ENXIO ? FileNotRegular : errno);
  struct stat st {};
  int error = 0;
  if (::fstat(fd_, &st) != 0)
    error = errno;
  else if (!S_ISREG(st.st_mode))
    error = S_ISDIR(st.st_mode) ? EISDIR : FileNotRegular;
  else if (create && ::ftruncate(fd_, 0) != 0)
    error = errno;
  else
    (void)::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  if (error != 0) {
    ::close(fd_);
    fd_ = -1;
    refuse(error);
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

int TFileStream::Read(void* buffer, int count) {
  int done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

int TFileStream::Write(const void* buffer, int count) {
  int done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

Int64 TFileStream::Seek(Int64 offset, int origin) {
  int whence = origin == soFromBeginning ? SEEK_SET
               : origin == soFromCurrent ? SEEK_CUR
               : origin == soFromEnd     ? SEEK_END
                                         : -1;
  if (whence < 0) return -1;
  return static_cast<Int64>(::lseek(fd_, static_cast<off_t>(offset), whence));
}

void TFileStream::SetSize(Int64 newSize) {
  if (newSize < 0 || ::ftruncate(fd_, static_cast<off_t>(newSize)) != 0)
    throw EWriteError("Stream write error");
  if (Position() > newSize) Seek(0, soFromEnd);
}

// ---- TStringStream ---------------------------------------------------------

int TStringStream::Read(void* buffer, int count) { return readHeld(data_, position_, buffer, count); }

int TStringStream::Write(const void* buffer, int count) { return writeHeld(data_, position_, buffer, count); }

Int64 TStringStream::Seek(Int64 offset, int origin) {
  Int64 target = 0;
  if (!seekTarget(offset, origin, position_, Size(), target)) {
    if (origin < soFromBeginning || origin > soFromEnd) return position_;
    target = offset < 0 ? 0 : Size();
  }
  position_ = std::clamp<Int64>(target, 0, Size());
  return position_;
}

void TStringStream::SetSize(Int64 newSize) {
  if (newSize < 0 || newSize > kMaxMemoryStreamSize)
    throw EOutOfMemory("Out of memory while expanding memory stream");
  data_.resize(static_cast<size_t>(newSize), '\0');
  if (position_ > newSize) position_ = newSize;
}

AnsiString TStringStream::ReadString(int count) {
  if (count <= 0) return AnsiString();
  Int64 available = Size() - position_;
  Int64 n = std::min<Int64>(available, count);
  AnsiString out = data_.substr(static_cast<size_t>(position_), static_cast<size_t>(n));
  position_ += n;
  return out;
}

void TStringStream::WriteString(const AnsiString& s) { Write(s.data(), static_cast<int>(s.size())); }
