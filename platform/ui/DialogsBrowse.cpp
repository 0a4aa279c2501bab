// The file dialogs' browsing and decisions, without windows: filters,
// folder and file lists, and what OK does with a typed name.

#include <algorithm>

#include "platform/rtl/FileUtils.h"
#include "platform/ui/Dialogs.h"

namespace dialogs {

namespace {

std::vector<AnsiString> Split(const AnsiString& s, char separator) {
  std::vector<AnsiString> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = s.find(separator, start);
    parts.push_back(s.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start));
    if (end == AnsiString::npos) return parts;
    start = end + 1;
  }
}

std::vector<AnsiString> MasksOf(const AnsiString& text) {
  std::vector<AnsiString> masks;
  for (const AnsiString& part : Split(text, ';'))
    if (AnsiString m = Trim(part); !m.empty()) masks.push_back(m);
  return masks;
}

bool HasWildcard(const AnsiString& s) { return s.find_first_of("*?") != AnsiString::npos; }

void SortNames(std::vector<AnsiString>& names) {
  std::sort(names.begin(), names.end(),
            [](const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) < 0; });
}

}  // namespace

std::vector<TFilterEntry> ParseFilter(const AnsiString& filter) {
  std::vector<TFilterEntry> entries;
  if (!filter.empty()) {
    const std::vector<AnsiString> parts = Split(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
      std::vector<AnsiString> masks = MasksOf(parts[i + 1]);
      if (!masks.empty()) entries.push_back(TFilterEntry{parts[i], std::move(masks)});
    }
  }
  if (entries.empty()) entries.push_back(TFilterEntry{"*", {"*"}});
  return entries;
}

TFileBrowser::TFileBrowser(const AnsiString& folder, const AnsiString& filter, int filterIndex,
                           const AnsiString& defaultExt, TOpenOptions options, bool save)
    : filters_(ParseFilter(filter)), defaultExt_(defaultExt), options_(options), save_(save) {
  // A default extension is given without its dot; one given with it still works.
  while (!defaultExt_.empty() && defaultExt_[0] == '.') defaultExt_.erase(0, 1);
  filterIndex_ = (filterIndex >= 1 && filterIndex <= static_cast<int>(filters_.size())) ? filterIndex : 1;
  masks_ = filters_[static_cast<size_t>(filterIndex_ - 1)].Masks;
  if (!SetFolder(folder.empty() ? GetCurrentDir() : folder)) SetFolder(GetCurrentDir());
}

void TFileBrowser::SetFilterIndex(int index) {
  if (index < 1 || index > static_cast<int>(filters_.size())) return;
  filterIndex_ = index;
  masks_ = filters_[static_cast<size_t>(index - 1)].Masks;
  Refresh();
}

bool TFileBrowser::SetFolder(const AnsiString& folder) {
  const AnsiString full = ResolveFileName(ExpandFileName(folder));
  if (!DirectoryExists(full)) return false;
  folder_ = IncludeTrailingPathDelimiter(full);
  Refresh();
  return true;
}

bool TFileBrowser::Enter(const AnsiString& folder) {
  if (folder == "..") {
    if (folder_ == "/") return false;
    return SetFolder(ExtractFilePath(ExcludeTrailingPathDelimiter(folder_)));
  }
  return SetFolder(folder_ + folder);
}

void TFileBrowser::Refresh() {
  folders_.clear();
  files_.clear();
  TSearchRec found;
  for (int rc = FindFirst(folder_ + "*", faDirectory | faReadOnly | faArchive, found); rc == 0;
       rc = FindNext(found)) {
    if (found.Attr & faDirectory) {
      folders_.push_back(found.Name);
    } else if (std::any_of(masks_.begin(), masks_.end(),
                           [&](const AnsiString& mask) { return MatchesMask(found.Name, mask); })) {
      files_.push_back(found.Name);
    }
  }
  FindClose(found);
  SortNames(folders_);
  SortNames(files_);
  if (folder_ != "/") folders_.insert(folders_.begin(), "..");
}

AnsiString ReplaceQuestion(const std::vector<AnsiString>& fileNames) {
  if (fileNames.size() == 1) return fileNames[0] + " υπάρχει ήδη.\r\nΝα αντικατασταθεί;"_a;
  AnsiString names;
  for (const AnsiString& name : fileNames) names += name + "\r\n";
  return names + "υπάρχουν ήδη.\r\nΝα αντικατασταθούν;"_a;
}

TFileBrowser::TAccept TFileBrowser::Accept(const AnsiString& typed) {
  TAccept result;
  const AnsiString text = Trim(typed);
  if (text.empty()) return result;
  if (folder_.empty() && text[0] != PathDelim) {
    // The current folder could not be listed: when the code page cannot
    // hold its name, a name in it would be another folder's.
    const std::string current = GetCurrentDirUtf8();
    AnsiString held;
    if (!cp1253::TryFromUtf8(current, held)) {
      result.Verdict = TVerdict::Refused;
      result.Message = UnheldNameMessage(current);
      return result;
    }
  }
  AnsiString path = ExpandFileName(text[0] == PathDelim ? text : folder_ + text);
  if (HasWildcard(ExtractFileName(path))) {
    // A mask typed in the name field filters the list, in its folder.
    if (SetFolder(ExtractFilePath(path))) masks_ = MasksOf(ExtractFileName(path));
    Refresh();
    return result;
  }
  if (DirectoryExists(path)) {
    SetFolder(path);
    return result;
  }
  if (!defaultExt_.empty() && ExtractFileExt(ExtractFileName(path)).empty() && (save_ || !FileExists(path)))
    path += "." + defaultExt_;

  const AnsiString folder = ExtractFileDir(path);
  if ((save_ || options_.Contains(ofPathMustExist)) && !DirectoryExists(folder)) {
    result.Verdict = TVerdict::Refused;
    result.Message = path + "\r\nΔεν βρέθηκε η διαδρομή.\r\nΕλέγξτε ότι δόθηκε η σωστή διαδρομή."_a;
    return result;
  }
  const bool exists = FileExists(path);
  if (exists) path = ResolveFileName(path);
  result.FileName = path;
  if (!save_ && options_.Contains(ofFileMustExist) && !exists) {
    result.Verdict = TVerdict::Refused;
    result.Message = path + "\r\nΔεν βρέθηκε το αρχείο.\r\nΕλέγξτε ότι δόθηκε το σωστό όνομα αρχείου."_a;
    return result;
  }
  if (save_ && options_.Contains(ofOverwritePrompt) && exists) {
    result.Verdict = TVerdict::Confirm;
    result.Message = ReplaceQuestion({path});
    return result;
  }
  result.Verdict = TVerdict::Chosen;
  return result;
}

}  // namespace dialogs
