#include "report/RpExport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"

AnsiString RpPageFileDescription() { return "Σελίδες αναφοράς "_a; }

AnsiString ExportedFileMessage(const AnsiString& fileName) {
  return "Η εκτύπωση εξήχθη στο αρχείο:"_a + "\r\n" + fileName;
}

AnsiString RpVendorName() { return "Μηχανή αναφορών του προγράμματος"_a; }

AnsiString TRpExportFilter::VendorName() { return RpVendorName(); }

void TRpExportFilter::Start(int, int, TFont*) { Active = true; }

void TRpExportFilterLibrary::AddFilter(const TRpExportFilterClass& filterClass) {
  auto entry = std::make_unique<TRpExportFilterLibraryEntry>();
  {
    std::unique_ptr<TRpExportFilter> probe = filterClass.Create("");
    entry->FilterClass = filterClass;
    entry->FilterName = probe->FilterName();
    entry->Extension = probe->Extension();
  }
  for (const auto& e : filters_)
    if (e->FilterClass.ClassName == filterClass.ClassName) return;
  filters_.push_back(std::move(entry));
}

void TRpExportFilterLibrary::RemoveFilter(const TRpExportFilterClass& filterClass) {
  std::unique_ptr<TRpExportFilter> probe = filterClass.Create("");
  const AnsiString name = probe->FilterName();
  auto it =
      std::find_if(filters_.begin(), filters_.end(), [&](const auto& e) { return e->FilterName == name; });
  if (it != filters_.end()) filters_.erase(it);
}

TRpExportFilterLibraryEntry* TRpExportFilterLibrary::FindByExtension(const AnsiString& ext) {
  for (const auto& e : filters_)
    if (SameText(e->Extension, ext)) return e.get();
  return nullptr;
}

AnsiString TRpExportFilterLibrary::SaveDialogFilterString() const {
  AnsiString result = RpPageFileDescription() + "(*." + "RPP" + ")|*." + "RPP";
  for (const auto& e : filters_)
    result += "|" + e->FilterName + " (*." + e->Extension + ")|*." + e->Extension;
  return result;
}

TRpExportFilterLibrary& RpExportFilterLibrary() {
  static TRpExportFilterLibrary library;
  return library;
}

TRpFilterComponent::TRpFilterComponent(TComponent* owner, TRpExportFilterClass filterClass)
    : TComponent(owner), filterClass_(std::move(filterClass)) {
  RpExportFilterLibrary().AddFilter(filterClass_);
}

TRpFilterComponent::~TRpFilterComponent() { RpExportFilterLibrary().RemoveFilter(filterClass_); }

AnsiString SaveTypeExtension(TPrevSaveType type) {
  static const char* const ext[] = {".RPP", ".PDF", ".XLS", ".HTML", ".RTF", ".CSV", ".TXT", ".XML"};
  const int i = static_cast<int>(type);
  return (i >= 0 && i < 8) ? ext[i] : "";
}

// ---- the file an export writes ------------------------------------------------

namespace {

bool WriteAllBytes(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

TRpExportFile::TRpExportFile(const AnsiString& fileName) : fileName_(fileName) {
  target_ = DiskFileName(fileName);
  struct stat st;
  const bool exists = !target_.empty() && ::stat(target_.c_str(), &st) == 0;
  // A folder, or a file that may not be written, is not replaced.
  if (target_.empty() ||
      (exists && (S_ISDIR(st.st_mode) || ::access(target_.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)))
    throw EFCreateError("Cannot create file " + fileName);
  // Beside the target, so the final rename stays on one file system.
  const std::size_t slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temp_ = folder + ".~export" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + ".tmp";
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) throw EFCreateError("Cannot create file " + fileName);
  if (exists) (void)::fchmod(fd_, st.st_mode & 07777);
}

TRpExportFile::~TRpExportFile() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temp_.c_str());
  }
}

void TRpExportFile::Flush() {
  if (buffer_.empty()) return;
  const bool ok = fd_ >= 0 && WriteAllBytes(fd_, buffer_);
  buffer_.clear();
  if (!ok) throw EWriteError("Stream write error");
}

void TRpExportFile::Write(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= 1 << 16) Flush();
}

void TRpExportFile::WriteLine(std::string_view line) {
  Write(line);
  Write("\r\n");
}

void TRpExportFile::Commit() {
  if (fd_ < 0) return;
  Flush();
  const int fd = fd_;
  fd_ = -1;
  bool ok = ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    ::unlink(temp_.c_str());
    throw EWriteError("Stream write error");
  }
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    ::unlink(temp_.c_str());
    throw EFCreateError("Cannot create file " + fileName_);
  }
}

TRpExcelFilter::TRpExcelFilter(TComponent* owner)
    : TRpFilterComponent(owner, RpFilterClass<TRpXLSFilter>("TRpXLSFilter")) {}

TRpRTFFilter::TRpRTFFilter(TComponent* owner)
    : TRpFilterComponent(owner, RpFilterClass<TRpRTFExportFilter>("TRpRTFExportFilter")) {}
