// Files and folders: names, the case-insensitive resolver, the safe write,
// searching, the command line and the program's folders.

#include "platform/rtl/FileUtils.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "platform/rtl/SaveJournal.h"

namespace {

const char* const kFolderName = "dimoprasia";

bool lexists(const std::string& utf8) {
  struct stat st;
  return ::lstat(utf8.c_str(), &st) == 0;
}

// A folder entry that code page 1253 can spell, in 1253; empty otherwise.
AnsiString entryName(const char* utf8) {
  AnsiString ansi = cp1253::FromUtf8(utf8);
  return cp1253::ToUtf8(ansi) == utf8 ? ansi : AnsiString();
}

// The entry of Folder (UTF-8) equal to Part ignoring case; the smallest such
// name when several are, so the choice does not depend on the folder order.
std::string findIgnoringCase(const std::string& folder, const AnsiString& part) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return std::string();
  AnsiString wanted = AnsiUpperCase(part);
  std::string best;
  while (dirent* entry = ::readdir(dir)) {
    AnsiString name = entryName(entry->d_name);
    if (name.empty() || AnsiUpperCase(name) != wanted) continue;
    if (best.empty() || std::string(entry->d_name) < best) best = entry->d_name;
  }
  ::closedir(dir);
  return best;
}

std::string randomSuffix() {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  static const char digits[] = "0123456789abcdef";
  std::string out;
  std::uint64_t bits = generator();
  for (int i = 0; i < 8; ++i, bits >>= 4) out += digits[bits & 15];
  return out;
}

// The temporary name of a target is fixed, so a file left by a save that
// was killed is found and replaced by the next save of the same target.
std::string tempSuffix(std::string_view name) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (int i = 0; i < 8; ++i, hash >>= 4) out += digits[hash & 15];
  return out;
}

bool writeAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

AnsiString environmentFolder(const char* variable, const char* fallbackUnderHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return cp1253::FromUtf8(value);
  const char* home = std::getenv("HOME");
  AnsiString base = home != nullptr && home[0] != '\0' ? cp1253::FromUtf8(home) : AnsiString("/tmp");
  return IncludeTrailingPathDelimiter(base) + fallbackUnderHome;
}

// The arguments as given, in UTF-8.
std::vector<std::string>& commandLine() {
  static std::vector<std::string> args;
  return args;
}

}  // namespace

// ---- names -----------------------------------------------------------------

AnsiString ExtractFilePath(const AnsiString& fileName) {
  size_t slash = fileName.rfind(PathDelim);
  return slash == AnsiString::npos ? AnsiString() : fileName.substr(0, slash + 1);
}

AnsiString ExtractFileDir(const AnsiString& fileName) {
  size_t slash = fileName.rfind(PathDelim);
  if (slash == AnsiString::npos) return AnsiString();
  size_t keep = slash + 1;
  if (slash > 0 && fileName[slash - 1] != PathDelim) keep = slash;
  return fileName.substr(0, keep);
}

AnsiString ExtractFileName(const AnsiString& fileName) {
  size_t slash = fileName.rfind(PathDelim);
  return slash == AnsiString::npos ? fileName : fileName.substr(slash + 1);
}

AnsiString ExtractFileExt(const AnsiString& fileName) {
  size_t at = fileName.find_last_of("./");
  return at != AnsiString::npos && fileName[at] == '.' ? fileName.substr(at) : AnsiString();
}

AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension) {
  size_t at = fileName.find_last_of("./");
  if (at == AnsiString::npos || fileName[at] != '.') at = fileName.size();
  return fileName.substr(0, at) + extension;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& s) {
  return !s.empty() && s.back() == PathDelim ? s : s + PathDelim;
}

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& s) {
  return !s.empty() && s.back() == PathDelim ? s.substr(0, s.size() - 1) : s;
}

AnsiString ExpandFileName(const AnsiString& fileName) {
  AnsiString full = !fileName.empty() && fileName[0] == PathDelim
                        ? fileName
                        : IncludeTrailingPathDelimiter(GetCurrentDir()) + fileName;
  std::vector<AnsiString> parts;
  size_t pos = 0;
  while (pos <= full.size()) {
    size_t slash = full.find(PathDelim, pos);
    if (slash == AnsiString::npos) slash = full.size();
    AnsiString part = full.substr(pos, slash - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    pos = slash + 1;
  }
  AnsiString out;
  for (const AnsiString& part : parts) out += PathDelim + part;
  if (out.empty() || (full.back() == PathDelim && out.back() != PathDelim)) out += PathDelim;
  return out;
}

// ---- the resolver ----------------------------------------------------------

std::string DiskFileName(const AnsiString& fileName) {
  // A NUL would cut the name short at the system call and name another file.
  if (fileName.find('\0') != AnsiString::npos) return std::string();
  std::string exact = cp1253::ToUtf8(fileName);
  if (fileName.empty() || lexists(exact)) return exact;
  std::string resolved = fileName[0] == PathDelim ? "/" : "";
  size_t pos = 0;
  while (pos < fileName.size()) {
    size_t slash = fileName.find(PathDelim, pos);
    if (slash == AnsiString::npos) slash = fileName.size();
    const size_t partStart = pos;
    AnsiString part = fileName.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty()) continue;
    if (!resolved.empty() && resolved.back() != '/') resolved += '/';
    std::string asWritten = cp1253::ToUtf8(part);
    if (part == "." || part == ".." || lexists(resolved + asWritten)) {
      resolved += asWritten;
      continue;
    }
    std::string match = findIgnoringCase(resolved, part);
    if (match.empty()) {
      // Nothing further exists: the rest stays as written.
      resolved += cp1253::ToUtf8(fileName.substr(partStart));
      return resolved;
    }
    resolved += match;
  }
  if (fileName.back() == PathDelim && resolved.back() != '/') resolved += '/';
  return resolved;
}

AnsiString ResolveFileName(const AnsiString& fileName) { return cp1253::FromUtf8(DiskFileName(fileName)); }

// ---- files and folders -----------------------------------------------------

bool FileExists(const AnsiString& fileName) {
  struct stat st;
  return !fileName.empty() && ::stat(DiskFileName(fileName).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const AnsiString& name) {
  struct stat st;
  return !name.empty() && ::stat(DiskFileName(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileEntryExists(const AnsiString& name) { return !name.empty() && lexists(DiskFileName(name)); }

bool DeleteFile(const AnsiString& fileName) {
  return !fileName.empty() && ::unlink(DiskFileName(fileName).c_str()) == 0;
}

bool RenameFile(const AnsiString& oldName, const AnsiString& newName) {
  if (oldName.empty() || newName.empty()) return false;
  std::string source = DiskFileName(oldName);
  struct stat sourceStat;
  if (::lstat(source.c_str(), &sourceStat) != 0) return false;
  std::string target = DiskFileName(newName);
  struct stat targetStat;
  if (::lstat(target.c_str(), &targetStat) == 0) {
    // Only a change of case of the same file may land on an existing name.
    if (targetStat.st_dev != sourceStat.st_dev || targetStat.st_ino != sourceStat.st_ino) return false;
    AnsiString folder = ExtractFilePath(newName);
    target =
        (folder.empty() ? std::string() : DiskFileName(folder)) + cp1253::ToUtf8(ExtractFileName(newName));
  }
  return ::rename(source.c_str(), target.c_str()) == 0;
}

bool CreateDir(const AnsiString& dir) {
  return !dir.empty() && ::mkdir(DiskFileName(dir).c_str(), 0777) == 0;
}

bool RemoveDir(const AnsiString& dir) { return !dir.empty() && ::rmdir(DiskFileName(dir).c_str()) == 0; }

bool ForceDirectories(const AnsiString& dir) {
  AnsiString folder = ExcludeTrailingPathDelimiter(dir);
  if (folder.empty()) return dir == "/";
  if (DirectoryExists(folder)) return true;
  AnsiString parent = ExtractFileDir(folder);
  if (!parent.empty() && parent != folder && !ForceDirectories(parent)) return false;
  return CreateDir(folder) || DirectoryExists(folder);
}

AnsiString GetCurrentDir() {
  std::string buffer(PATH_MAX, '\0');
  if (::getcwd(buffer.data(), buffer.size()) == nullptr) return AnsiString();
  return cp1253::FromUtf8(buffer.c_str());
}

bool SetCurrentDir(const AnsiString& dir) { return !dir.empty() && ::chdir(DiskFileName(dir).c_str()) == 0; }

Int64 FileSize(const AnsiString& fileName) {
  struct stat st;
  if (fileName.empty() || ::stat(DiskFileName(fileName).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  return static_cast<Int64>(st.st_size);
}

// ---- why a file could not be used ------------------------------------------

AnsiString FileErrorReason(int error) {
  switch (error) {
    case FileNotRegular:
    case ENXIO:
    case ENODEV:
      return "δεν είναι κανονικό αρχείο (είναι συσκευή, σωλήνας, υποδοχή ή φάκελος)"_a;
    case FileTooLarge:
      return "είναι μεγαλύτερο από όσο δέχεται το πρόγραμμα"_a;
    case FileTooLargeForMemory:
      return "είναι πολύ μεγάλο για τη μνήμη του υπολογιστή"_a;
    case ENOENT:
      return "δεν υπάρχει"_a;
    case EACCES:
    case EPERM:
      return "δεν επιτρέπεται η πρόσβαση"_a;
    case ELOOP:
      return "οι συμβολικοί σύνδεσμοι του ονόματος κάνουν κύκλο"_a;
    case EISDIR:
      return "είναι φάκελος"_a;
    case ENOTDIR:
      return "ένα μέρος της διαδρομής του δεν είναι φάκελος"_a;
    case ENAMETOOLONG:
      return "το όνομά του είναι πολύ μεγάλο"_a;
    case ENOSPC:
      return "ο δίσκος γέμισε"_a;
    case EDQUOT:
      return "εξαντλήθηκε ο χώρος του δίσκου που αναλογεί στο χρήστη"_a;
    case EFBIG:
      return "ξεπερνά το μέγιστο μέγεθος αρχείου που επιτρέπεται"_a;
    case EROFS:
      return "ο δίσκος δέχεται μόνο ανάγνωση"_a;
    case EIO:
      return "σφάλμα εισόδου/εξόδου του δίσκου"_a;
    case EMFILE:
    case ENFILE:
      return "είναι ανοικτά πάρα πολλά αρχεία"_a;
    default:
      return "σφάλμα συστήματος "_a + IntToStr(error);
  }
}

AnsiString FileReadErrorText(const AnsiString& fileName, int error, Int64 limit) {
  AnsiString reason = FileErrorReason(error);
  if (error == FileTooLarge && limit > 0)
    reason = "είναι μεγαλύτερο από "_a + IntToStr(limit) + " byte, όσα το πολύ δέχεται το πρόγραμμα"_a;
  return "Το αρχείο «"_a + fileName + "» δεν διαβάζεται: "_a + reason + ".";
}

AnsiString FileWriteErrorText(const AnsiString& fileName, int error, Int64 limit) {
  AnsiString reason = FileErrorReason(error);
  if (error == FileTooLarge && limit > 0)
    reason = "θα ήταν μεγαλύτερο από "_a + IntToStr(limit) + " byte, όσα το πολύ ξαναδιαβάζει το πρόγραμμα"_a;
  return "Το αρχείο «"_a + fileName + "» δεν γράφεται: "_a + reason + ".";
}

// ---- the safe write --------------------------------------------------------

namespace {

// The file a save of FileName replaces: through symbolic links, the file
// they lead to, which need not exist yet. Empty with Error set when the
// links go round or too deep, or the name names no file.
std::string saveTarget(const AnsiString& fileName, int& error, bool exactName = false) {
  std::string target = DiskFileName(fileName);
  if (exactName && !target.empty()) {
    const AnsiString folder = ExtractFilePath(fileName);
    target =
        (folder.empty() ? std::string() : DiskFileName(folder)) + cp1253::ToUtf8(ExtractFileName(fileName));
  }
  error = ENOENT;
  if (target.empty()) return target;
  for (int hops = 0;; ++hops) {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    if (hops == 40) {
      error = ELOOP;
      return std::string();
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<size_t>(n) >= link.size()) {
      error = n < 0 ? errno : ENAMETOOLONG;
      return std::string();
    }
    link.resize(static_cast<size_t>(n));
    const size_t slash = target.rfind('/');
    // A relative link is relative to its own folder.
    target = link[0] == '/' || slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
  }
  error = 0;
  return target;
}

std::string saveTarget(const AnsiString& fileName, bool exactName) {
  int error = 0;
  return saveTarget(fileName, error, exactName);
}

// Beside the target, so the rename stays on one file system; hidden and
// short, so it neither shows in listings nor outgrows the name limit.
std::string tempNameOf(const std::string& target) {
  const size_t slash = target.rfind('/');
  return (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + ".~" +
         tempSuffix(slash == std::string::npos ? target : target.substr(slash + 1)) + ".tmp";
}

std::string folderOf(const std::string& target) {
  const size_t slash = target.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
}

// Up to and including the last "/": "" for a name in the current folder.
std::string folderPartOf(const std::string& target) {
  const size_t slash = target.rfind('/');
  return slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
}

// The journal of a save whose first file is Target, beside it.
std::string journalNameOf(const std::string& target) {
  return folderPartOf(target) + ".~" +
         tempSuffix(target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1)) +
         ".jnl";
}

void syncFolder(const std::string& target) {
  const int dirFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    (void)::fsync(dirFd);
    ::close(dirFd);
  }
}

// Reads a regular file of at most Limit bytes, not through a link, handing
// Take its bytes part by part; false when it is none or cannot be read whole.
template <class Take>
bool readPlainFile(const std::string& name, std::uint64_t limit, Take take) {
  struct stat st;
  if (::lstat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::uint64_t>(st.st_size) > limit)
    return false;
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  std::uint64_t read = 0;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || (read += static_cast<std::uint64_t>(n)) > limit) break;
    take(std::string_view(buffer, static_cast<size_t>(n)));
  }
  ::close(fd);
  return read == static_cast<std::uint64_t>(st.st_size);
}

// A regular file (not through a link) of Size bytes with the check sum.
bool holds(const std::string& name, std::uint64_t size, std::uint64_t sum) {
  struct stat st;
  if (::lstat(name.c_str(), &st) != 0 || static_cast<std::uint64_t>(st.st_size) != size) return false;
  std::uint64_t got = SaveJournalSumStart;
  return readPlainFile(name, size, [&got](std::string_view part) { got = SaveJournalSum(part, got); }) &&
         got == sum;
}

// One file of a save: its temporary written and flushed, waiting for the
// rename.
struct TWrittenTemp {
  std::string Target, Temp;
};

TWrittenTemp writeTemporary(const AnsiString& fileName, std::string_view bytes, bool exactName) {
  int error = 0;
  const std::string target = saveTarget(fileName, error, exactName);
  if (target.empty()) throw EFCreateError(FileWriteErrorText(fileName, error));
  struct stat st;
  const bool targetExists = ::stat(target.c_str(), &st) == 0;
  // Only a regular file is replaced: a device, pipe or socket under the
  // name (or at the end of its links) is never turned into a file.
  if (targetExists && !S_ISREG(st.st_mode))
    throw EFCreateError(FileWriteErrorText(fileName, S_ISDIR(st.st_mode) ? EISDIR : FileNotRegular));
  // A target that may not be written (a read-only file, even for the
  // superuser) is refused, not replaced behind its permissions' back.
  if (targetExists && (::access(target.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0))
    throw EFCreateError(FileWriteErrorText(fileName, EACCES));
  const std::string temp = tempNameOf(target);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0 && errno == EEXIST && ::unlink(temp.c_str()) == 0)
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) throw EFCreateError(FileWriteErrorText(fileName, errno));
  if (targetExists) (void)::fchmod(fd, st.st_mode & 07777);

  int failure = 0;
  if (!writeAll(fd, bytes) || ::fsync(fd) != 0) failure = errno != 0 ? errno : EIO;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure != 0) {
    ::unlink(temp.c_str());
    throw EWriteError(FileWriteErrorText(fileName, failure));
  }
  return {target, temp};
}

}  // namespace

void (*SafeWriteRenamed)(size_t renamed) = nullptr;

AnsiString SafeWriteTempName(const AnsiString& fileName, bool exactName) {
  const std::string target = saveTarget(fileName, exactName);
  return target.empty() ? AnsiString() : cp1253::FromUtf8(tempNameOf(target));
}

bool RemoveSafeWriteLeftover(const AnsiString& fileName, bool exactName) {
  const std::string target = saveTarget(fileName, exactName);
  if (target.empty()) return false;
  const std::string temp = tempNameOf(target);
  // Only a plain file of the safe write's own name: never a link or a folder.
  struct stat st;
  return ::lstat(temp.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(temp.c_str()) == 0;
}

void SafeWriteFiles(const std::vector<TFileToWrite>& files) {
  std::vector<TWrittenTemp> written;
  const auto dropTemporaries = [&written](size_t from) {
    for (size_t i = from; i < written.size(); ++i) ::unlink(written[i].Temp.c_str());
  };
  try {
    for (const TFileToWrite& file : files)
      written.push_back(writeTemporary(file.Name, file.Bytes, file.ExactName));
  } catch (...) {
    dropTemporaries(0);
    throw;
  }
  // Files of one folder get a journal, whole on disk before the first
  // rename: the next look at the first file completes a save stopped
  // between two renames.
  std::string journal;
  if (written.size() > 1) {
    std::vector<TSaveJournalEntry> entries;
    const std::string folder = folderPartOf(written[0].Target);
    for (size_t i = 0; i < written.size(); ++i)
      if (folderPartOf(written[i].Target) == folder)
        entries.push_back(
            {written[i].Target.substr(folder.size()), files[i].Bytes.size(), SaveJournalSum(files[i].Bytes)});
    if (entries.size() == written.size()) {
      journal = journalNameOf(written[0].Target);
      const std::string bytes = EncodeSaveJournal(entries);
      // Whatever lies under the name (an older journal of these files, whose
      // temporaries were just replaced) gives way.
      ::unlink(journal.c_str());
      const int fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
      const bool whole = fd >= 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
      if (fd >= 0) ::close(fd);
      if (!whole) {
        const int error = errno != 0 ? errno : EIO;
        if (fd >= 0) ::unlink(journal.c_str());
        dropTemporaries(0);
        throw EWriteError(FileWriteErrorText(files[0].Name, error));
      }
      syncFolder(journal);
    }
  }
  for (size_t i = 0; i < written.size(); ++i) {
    if (::rename(written[i].Temp.c_str(), written[i].Target.c_str()) != 0) {
      const int error = errno;
      // Before the first rename the old files stand together; after it the
      // journal and the temporaries stay for the next look to complete.
      if (i == 0 || journal.empty()) {
        dropTemporaries(i);
        if (!journal.empty()) ::unlink(journal.c_str());
      }
      throw EFCreateError(FileWriteErrorText(files[i].Name, error));
    }
    if (SafeWriteRenamed != nullptr && written.size() > 1) SafeWriteRenamed(i + 1);
  }
  // The renames themselves must reach the disk too, before the journal goes.
  for (const TWrittenTemp& file : written) syncFolder(file.Target);
  if (!journal.empty()) {
    ::unlink(journal.c_str());
    syncFolder(journal);
  }
}

TStoppedSave FinishStoppedSave(const AnsiString& fileName, std::vector<AnsiString>* names, bool exactName) {
  const std::string first = saveTarget(fileName, exactName);
  if (first.empty()) return TStoppedSave::None;
  const std::string journal = journalNameOf(first);
  struct stat st;
  if (::lstat(journal.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return TStoppedSave::None;
  std::string bytes;
  std::optional<std::vector<TSaveJournalEntry>> entries;
  if (readPlainFile(journal, MaxSaveJournalSize, [&bytes](std::string_view part) { bytes += part; }))
    entries = DecodeSaveJournal(bytes);
  const std::string folder = folderPartOf(first);
  // A journal that is not whole was being written when the save stopped:
  // no file had been renamed yet.
  TStoppedSave outcome = entries ? TStoppedSave::Finished : TStoppedSave::None;
  std::vector<bool> pending;
  if (entries) {
    for (const TSaveJournalEntry& entry : *entries) {
      const std::string target = folder + entry.Name;
      pending.push_back(holds(tempNameOf(target), entry.Size, entry.Sum));
      if (!pending.back() && !holds(target, entry.Size, entry.Sum)) outcome = TStoppedSave::Mixed;
    }
    for (size_t i = 0; i < entries->size(); ++i) {
      const std::string target = folder + (*entries)[i].Name;
      if (outcome == TStoppedSave::Finished && pending[i] &&
          ::rename(tempNameOf(target).c_str(), target.c_str()) != 0)
        outcome = TStoppedSave::Mixed;
    }
    for (const TSaveJournalEntry& entry : *entries) {
      const std::string temp = tempNameOf(folder + entry.Name);
      struct stat tempStat;
      if (::lstat(temp.c_str(), &tempStat) == 0 && S_ISREG(tempStat.st_mode)) ::unlink(temp.c_str());
      if (names != nullptr && outcome == TStoppedSave::Mixed)
        names->push_back(cp1253::FromUtf8(folder + entry.Name));
    }
    syncFolder(first);
  }
  ::unlink(journal.c_str());
  syncFolder(journal);
  return outcome;
}

void SafeWriteFile(const AnsiString& fileName, std::string_view bytes) {
  SafeWriteFiles({{fileName, std::string(bytes)}});
}

// ---- reading ---------------------------------------------------------------

std::string ReadWholeFile(const AnsiString& fileName) { return ReadWholeFile(fileName, MaxReadFileSize); }

namespace {

// The file opened for reading when it is a regular file (never a pipe or
// device, nor a link to one), with its status.
int OpenRegularFile(const AnsiString& fileName, struct stat& st) {
  // Not blocking, so that a pipe under the name cannot hold the open.
  int fd = ::open(DiskFileName(fileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw EFOpenError(FileReadErrorText(fileName, errno));
  st = {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EFOpenError(FileReadErrorText(fileName, S_ISDIR(st.st_mode) ? EISDIR : FileNotRegular));
  }
  return fd;
}

// Reads a regular file: the whole of it, refused beyond Limit bytes, or
// only its first Limit bytes.
std::string ReadRegularFile(const AnsiString& fileName, Int64 limit, bool headOnly) {
  struct stat st {};
  int fd = OpenRegularFile(fileName, st);
  if (!headOnly && st.st_size > limit) {
    ::close(fd);
    throw EReadError(FileReadErrorText(fileName, FileTooLarge, limit));
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    size_t want = sizeof buffer;
    if (headOnly) want = static_cast<size_t>(std::min<Int64>(want, limit - static_cast<Int64>(bytes.size())));
    if (want == 0) break;
    ssize_t n = ::read(fd, buffer, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      throw EReadError(FileReadErrorText(fileName, error));
    }
    // A file that grows beyond what its reader can hold is no such file.
    if (static_cast<Int64>(bytes.size()) + n > limit) {
      ::close(fd);
      throw EReadError(FileReadErrorText(fileName, FileTooLarge, limit));
    }
    if (n == 0) break;
    try {
      bytes.append(buffer, static_cast<size_t>(n));
    } catch (...) {
      // Out of memory: the file is not left open.
      ::close(fd);
      throw;
    }
  }
  ::close(fd);
  return bytes;
}

}  // namespace

std::string ReadWholeFile(const AnsiString& fileName, Int64 maxSize) {
  return ReadRegularFile(fileName, maxSize, false);
}

std::string ReadFileHead(const AnsiString& fileName, Int64 count) {
  return ReadRegularFile(fileName, count, true);
}

void RequireRegularFile(const AnsiString& fileName) {
  struct stat st {};
  ::close(OpenRegularFile(fileName, st));
}

// ---- searching -------------------------------------------------------------

struct FindState {
  DIR* dir = nullptr;
  std::string folder;  // UTF-8, with a trailing "/" unless empty
  AnsiString mask;
  ~FindState() {
    if (dir != nullptr) ::closedir(dir);
  }
};

namespace {

int packedLocalTime(time_t t) {
  struct tm local;
  if (::localtime_r(&t, &local) == nullptr || local.tm_year < 80) return 0;
  return ((local.tm_year - 80) << 25) | ((local.tm_mon + 1) << 21) | (local.tm_mday << 16) |
         (local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2);
}

// The next entry that matches and is not excluded; 0 when found.
int findMatching(TSearchRec& f) {
  FindState* state = f.FindHandle.get();
  if (state == nullptr || state->dir == nullptr) return EBADF;
  while (dirent* entry = ::readdir(state->dir)) {
    std::string utf8 = entry->d_name;
    if (utf8 == "." || utf8 == "..") continue;
    AnsiString name = entryName(utf8.c_str());
    if (name.empty() || !MatchesMask(name, state->mask)) continue;
    struct stat st;
    if (::stat((state->folder + utf8).c_str(), &st) != 0) continue;
    int attr = 0;
    if (S_ISDIR(st.st_mode))
      attr |= faDirectory;
    else if (S_ISREG(st.st_mode))
      attr |= faArchive;
    else
      attr |= faSysFile;
    if ((st.st_mode & S_IWUSR) == 0) attr |= faReadOnly;
    if (name[0] == '.') attr |= faHidden;
    if ((attr & f.ExcludeAttr) != 0) continue;
    f.Name = name;
    f.Attr = attr;
    f.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<Int64>(st.st_size);
    f.Time = packedLocalTime(st.st_mtime);
    return 0;
  }
  return ENOENT;
}

}  // namespace

bool MatchesMask(const AnsiString& name, const AnsiString& mask) {
  if (mask == "*" || mask == "*.*") return true;
  AnsiString text = AnsiUpperCase(name);
  AnsiString pattern = AnsiUpperCase(mask);
  // Greedy matching that goes back to the last "*" on a mismatch.
  size_t t = 0, p = 0, starP = AnsiString::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++t;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (starP != AnsiString::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

int FindFirst(const AnsiString& path, int attr, TSearchRec& f) {
  FindClose(f);
  auto state = std::make_shared<FindState>();
  AnsiString folder = ExtractFilePath(path);
  state->folder = folder.empty() ? std::string() : DiskFileName(folder);
  if (!state->folder.empty() && state->folder.back() != '/') state->folder += '/';
  state->mask = ExtractFileName(path);
  state->dir = ::opendir(state->folder.empty() ? "." : state->folder.c_str());
  if (state->dir == nullptr) return errno != 0 ? errno : ENOENT;
  f.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  f.FindHandle = std::move(state);
  int result = findMatching(f);
  if (result != 0) FindClose(f);
  return result;
}

int FindNext(TSearchRec& f) { return findMatching(f); }

void FindClose(TSearchRec& f) { f.FindHandle.reset(); }

// ---- the program and its folders -------------------------------------------

void SetCommandLine(int argc, const char* const* argv) {
  std::vector<std::string>& args = commandLine();
  args.clear();
  for (int i = 0; i < argc; ++i) args.push_back(argv[i] != nullptr ? argv[i] : "");
}

int ParamCount() {
  int count = static_cast<int>(commandLine().size()) - 1;
  return count < 0 ? 0 : count;
}

AnsiString ParamStr(int index) {
  if (index == 0) {
    std::string buffer(PATH_MAX, '\0');
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n > 0) return cp1253::FromUtf8(buffer.substr(0, static_cast<size_t>(n)));
    return commandLine().empty() ? AnsiString() : ExpandFileName(cp1253::FromUtf8(commandLine()[0]));
  }
  const std::vector<std::string>& args = commandLine();
  return index > 0 && index < static_cast<int>(args.size()) ? cp1253::FromUtf8(args[index]) : AnsiString();
}

std::string ParamStrUtf8(int index) {
  const std::vector<std::string>& args = commandLine();
  return index >= 0 && index < static_cast<int>(args.size()) ? args[index] : std::string();
}

std::string GetCurrentDirUtf8() {
  std::string buffer(PATH_MAX, '\0');
  if (::getcwd(buffer.data(), buffer.size()) == nullptr) return std::string();
  return buffer.c_str();
}

bool ExpandHeldFileName(const std::string& utf8, AnsiString& fileName, std::string& full) {
  full = !utf8.empty() && utf8[0] == '/' ? utf8 : GetCurrentDirUtf8() + "/" + utf8;
  AnsiString held;
  if (!cp1253::TryFromUtf8(full, held)) return false;
  fileName = ExpandFileName(held);
  return true;
}

AnsiString UnheldNameMessage(std::string_view utf8) {
  return cp1253::ShowUtf8(utf8) +
         "\r\nΤο όνομα έχει χαρακτήρες εκτός της ελληνικής κωδικοσελίδας (δείχνονται ως <U+...>) "
         "και δεν μπορεί να χρησιμοποιηθεί."
         "\r\nΔώστε όνομα φακέλου και αρχείου με ελληνικούς ή λατινικούς χαρακτήρες."_a;
}

AnsiString GetProgramFolder() {
  const AnsiString data =
      IncludeTrailingPathDelimiter(environmentFolder("XDG_DATA_HOME", ".local/share")) + kFolderName;
  ForceDirectories(data);
  return IncludeTrailingPathDelimiter(data);
}

AnsiString GetExecutableFolder() { return ExtractFilePath(ParamStr(0)); }

namespace {

AnsiString homeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != 0 && DirectoryExists(cp1253::FromUtf8(home))) return cp1253::FromUtf8(home);
  return ExcludeTrailingPathDelimiter(GetProgramFolder());
}

}  // namespace

// As the desktop's own lookup does: XDG_DOCUMENTS_DIR from the environment
// or from the user's folder settings (user-dirs.dirs), when it exists;
// else the home folder. The settings are read as a regular file of a
// bounded size only, so that a pipe or a device under the name holds
// nothing up.
AnsiString GetDocumentsFolder() {
  const std::string home = cp1253::ToUtf8(homeFolder());
  auto existing = [](const std::string& folder) {
    return !folder.empty() && folder[0] == '/' && DirectoryExists(cp1253::FromUtf8(folder));
  };
  if (const char* env = std::getenv("XDG_DOCUMENTS_DIR"); env && existing(env)) return cp1253::FromUtf8(env);
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string dirs =
      (config && *config == '/' ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
  std::string settings;
  try {
    settings = ReadFileHead(cp1253::FromUtf8(dirs), MaxUserDirsSize);
  } catch (const Exception&) {
    return homeFolder();
  }
  const std::string folder = DocumentsFolderSetting(settings, home);
  // The home folder itself means the user keeps no documents folder.
  if (existing(folder) && folder != home && folder != home + "/") return cp1253::FromUtf8(folder);
  return homeFolder();
}

std::string DocumentsFolderSetting(std::string_view settings, const std::string& home) {
  // XDG_DOCUMENTS_DIR="$HOME/Documents"
  constexpr std::string_view key = "XDG_DOCUMENTS_DIR=\"";
  constexpr std::string_view homeVariable = "$HOME";
  while (!settings.empty()) {
    const size_t end = settings.find('\n');
    const std::string_view line = settings.substr(0, end);
    settings = end == std::string_view::npos ? std::string_view() : settings.substr(end + 1);
    if (line.substr(0, key.size()) != key) continue;
    const size_t close = line.find('"', key.size());
    if (close == std::string_view::npos) return {};
    std::string folder(line.substr(key.size(), close - key.size()));
    // "$HOME" alone or before a "/"; "$HOMEX" is another variable.
    if (folder.starts_with(homeVariable) &&
        (folder.size() == homeVariable.size() || folder[homeVariable.size()] == '/'))
      folder = home + folder.substr(homeVariable.size());
    return folder;
  }
  return {};
}

AnsiString GetProjectsFolder() {
  const AnsiString folder = IncludeTrailingPathDelimiter(GetDocumentsFolder()) + "Δημοπρασία"_a;
  // A documents folder that takes no new folder leaves the program's own.
  if (!ForceDirectories(folder)) return GetProgramFolder();
  return IncludeTrailingPathDelimiter(folder);
}

AnsiString GetUserConfigFolder() {
  return IncludeTrailingPathDelimiter(
      IncludeTrailingPathDelimiter(environmentFolder("XDG_CONFIG_HOME", ".config")) + kFolderName);
}

AnsiString GetTempDir() {
  const char* tmp = std::getenv("TMPDIR");
  return IncludeTrailingPathDelimiter(tmp != nullptr && tmp[0] != '\0' ? cp1253::FromUtf8(tmp)
                                                                       : AnsiString("/tmp"));
}

AnsiString GetTempFileName(const AnsiString& dir, const AnsiString& prefix) {
  AnsiString folder = IncludeTrailingPathDelimiter(dir.empty() ? GetTempDir() : dir);
  for (int attempt = 0; attempt < 100; ++attempt) {
    AnsiString name = folder + prefix + randomSuffix() + ".tmp";
    int fd = ::open(DiskFileName(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  throw EFCreateError("Cannot create file " + folder + prefix);
}
