#pragma once
// Files and folders with the class library's names. Names are 1253 inside
// the program and UTF-8 on disk; the conversion happens here, at the system
// call. The program was written for a file system that ignores case, so an
// existing file is found case-insensitively when no exact match exists.

#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/SysUtils.h"

constexpr char PathDelim = '/';

// ---- names -----------------------------------------------------------------

// Up to and including the last "/".
AnsiString ExtractFilePath(const AnsiString& fileName);
// Without the trailing "/" (except for the root).
AnsiString ExtractFileDir(const AnsiString& fileName);
AnsiString ExtractFileName(const AnsiString& fileName);
// From the last "." of the name part, the dot included: "a.b/c" has none,
// ".hidden" is all extension, "x." has ".".
AnsiString ExtractFileExt(const AnsiString& fileName);
AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& s);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& s);
// Absolute, against the current folder, with "." and ".." folded.
AnsiString ExpandFileName(const AnsiString& fileName);

// ---- the case-insensitive resolver -----------------------------------------

// The name of the existing file or folder that FileName designates: each
// part of the path is taken as written when it exists, else the first entry
// of its folder equal to it ignoring case (1253 letters included). Parts
// that do not exist are kept as written, so a name to be created resolves to
// the folder that exists and the name as given.
AnsiString ResolveFileName(const AnsiString& fileName);
// ResolveFileName in UTF-8, for system calls; "" (which names no file) for
// a name holding a NUL byte.
std::string DiskFileName(const AnsiString& fileName);

// ---- files and folders -----------------------------------------------------

bool FileExists(const AnsiString& fileName);  // not a folder
bool DirectoryExists(const AnsiString& name);
// The name is there, whatever it is: a link to nothing and a loop of links too.
bool FileEntryExists(const AnsiString& name);
bool DeleteFile(const AnsiString& fileName);
// Fails when NewName exists and is another file.
bool RenameFile(const AnsiString& oldName, const AnsiString& newName);
bool CreateDir(const AnsiString& dir);
bool RemoveDir(const AnsiString& dir);
// Creates every missing folder of Dir; false when one cannot be made.
bool ForceDirectories(const AnsiString& dir);
AnsiString GetCurrentDir();
bool SetCurrentDir(const AnsiString& dir);
// -1 when the file does not exist.
Int64 FileSize(const AnsiString& fileName);

// ---- why a file could not be used ------------------------------------------

// Causes without an error number of their own.
constexpr int FileNotRegular = -1;         // a device, pipe, socket or folder
constexpr int FileTooLarge = -2;           // beyond what its reader takes in
constexpr int FileTooLargeForMemory = -3;  // what it holds does not fit in the memory left
// The cause in Greek, from an error number or one of the above.
AnsiString FileErrorReason(int error);
// "Το αρχείο «name» δεν διαβάζεται: cause." and its counterpart for writing;
// Limit is the bound of FileTooLarge.
AnsiString FileReadErrorText(const AnsiString& fileName, int error, Int64 limit = 0);
AnsiString FileWriteErrorText(const AnsiString& fileName, int error, Int64 limit = 0);

// ---- the safe write --------------------------------------------------------

// Writes Bytes to FileName so that the old file stays whole when anything
// fails: a temporary file beside the target is written, flushed to disk and
// renamed over it. A symbolic link is written through, to the regular file
// it leads to, and stays a link; a target that is not a regular file (a
// device, pipe, socket or folder) is refused, and so is an existing one that
// may not be written. A temporary file left by a save that was killed is
// replaced by the next save of the same target. Raises EFCreateError when
// the target is refused or the temporary file cannot be made or renamed,
// EWriteError when writing fails; both messages name the file and the cause.
void SafeWriteFile(const AnsiString& fileName, std::string_view bytes);
struct TFileToWrite {
  AnsiString Name;
  std::string Bytes;
  // The last part of Name as written: a file whose name differs from it
  // only in case is another file, left alone.
  bool ExactName = false;
};
// The files of one save, all or none: every temporary file is written and
// flushed before the first rename, so a failure while writing leaves every
// old file as it was. Files of one folder are listed, with what each
// holds, in a journal beside the first before the renames begin, and the
// journal goes once they are done: a save stopped between two renames (a
// kill, a power cut) is completed or told by FinishStoppedSave.
void SafeWriteFiles(const std::vector<TFileToWrite>& files);
// Called after each rename of a safe write of several files, with the number
// done; a test stops the process there as a kill would.
extern void (*SafeWriteRenamed)(size_t renamed);
// The temporary file a safe write of FileName uses ("" for no name).
AnsiString SafeWriteTempName(const AnsiString& fileName, bool exactName = false);
// Removes the temporary file a killed safe write of FileName left, when
// there is one; true when one was removed. Nothing else is touched.
bool RemoveSafeWriteLeftover(const AnsiString& fileName, bool exactName = false);
// A safe write of several files whose first was FileName, stopped between
// its renames, left its journal: when every file it lists is either still
// its temporary or already renamed, both with the bytes that save wrote,
// the remaining renames are done and the save stands whole (Finished).
// Otherwise (Mixed) some file changed since, and the files of that save may
// be of two saves: Names then holds every file it listed. The journal and
// the temporaries it lists go in both cases. None when there is no journal.
enum class TStoppedSave { None, Finished, Mixed };
TStoppedSave FinishStoppedSave(const AnsiString& fileName, std::vector<AnsiString>* names = nullptr,
                               bool exactName = false);

// ---- reading ---------------------------------------------------------------

// The bound of ReadWholeFile without one.
constexpr Int64 MaxReadFileSize = Int64{1} << 30;
// The whole of a regular file (never a pipe or device); EFOpenError when it
// cannot be opened or is no regular file, EReadError when reading fails or
// the file holds more than MaxSize bytes; the messages name the file and
// the cause.
std::string ReadWholeFile(const AnsiString& fileName);
std::string ReadWholeFile(const AnsiString& fileName, Int64 maxSize);
// The first Count bytes of a regular file, fewer when it is shorter; the
// errors of ReadWholeFile.
std::string ReadFileHead(const AnsiString& fileName, Int64 count);
// Refuses, as the readers above do, a name that is no regular file (a
// pipe, a device, a socket, a folder or a link to one) or cannot be opened
// for reading: for a file that another program is to read.
void RequireRegularFile(const AnsiString& fileName);
// Runs Read, the reading of FileName and the taking in of what it holds.
// Running out of memory on the way is told as the file being too large,
// naming it (EReadError), where the reader's errors are reported; never
// as the bare failure of an allocation.
template <typename Read>
decltype(auto) ReadingFile(const AnsiString& fileName, Read&& read) {
  try {
    return read();
  } catch (const std::bad_alloc&) {
    throw EReadError(FileReadErrorText(fileName, FileTooLargeForMemory));
  }
}

// ---- searching -------------------------------------------------------------

enum : int {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faVolumeID = 0x08,
  faDirectory = 0x10,
  faArchive = 0x20,
  faAnyFile = 0x3F,
};

struct FindState;

struct TSearchRec {
  int Time = 0;  // local time, packed as the class library does (FileAge)
  Int64 Size = 0;
  int Attr = 0;
  AnsiString Name;
  int ExcludeAttr = 0;
  std::shared_ptr<FindState> FindHandle;
};

// Entries of a folder whose names match the mask ("*" and "?", ignoring
// case; "*.*" matches every name). Hidden, system and folder entries are
// listed only when Attr asks for them; read-only and archive always. "." and
// ".." are never listed, nor names that code page 1253 cannot spell.
// 0 when an entry was found, else an error number.
int FindFirst(const AnsiString& path, int attr, TSearchRec& f);
int FindNext(TSearchRec& f);
void FindClose(TSearchRec& f);
// Matching as FindFirst does it.
bool MatchesMask(const AnsiString& name, const AnsiString& mask);

// ---- the program and its folders -------------------------------------------

// Keeps the command line for ParamStr and ParamCount; main calls it first.
void SetCommandLine(int argc, const char* const* argv);
int ParamCount();
// ParamStr(0) is the executable's full name; out of range gives "".
AnsiString ParamStr(int index);
// An argument as given, in UTF-8: ParamStr turns what the code page lacks
// into "?".
std::string ParamStrUtf8(int index);

// ---- names the code page cannot hold ---------------------------------------

// Names are code page 1253 inside the program; a name from outside (the
// command line, the current folder, a typed name) that holds any other
// character is refused, never taken with "?" in its place.
// The current folder in UTF-8.
std::string GetCurrentDirUtf8();
// A UTF-8 name made absolute against the current folder (Full), and in
// 1253 (FileName) when every character of Full has its 1253 byte; false
// otherwise.
bool ExpandHeldFileName(const std::string& utf8, AnsiString& fileName, std::string& full);
// The message refusing such a name; it shows the name whole, what the code
// page lacks as code points.
AnsiString UnheldNameMessage(std::string_view utf8);

// The program's own folder for what it writes (settings, reports, saved
// previews): the user's data folder ($XDG_DATA_HOME, default
// ~/.local/share, then "dimoprasia"), created when missing. The folder of
// an installed program is shared by every user and is no one's to write.
// With a trailing "/".
AnsiString GetProgramFolder();
// The folder of the executable, where what ships with the program lies
// (help pages, service programs, default settings). With a trailing "/".
AnsiString GetExecutableFolder();
// The user's documents folder, as the desktop's lookup of DOCUMENTS gives
// it: XDG_DOCUMENTS_DIR from the environment or from the user's folder
// settings ($XDG_CONFIG_HOME, default ~/.config, then "user-dirs.dirs"),
// when it exists; else the home folder. Without a trailing "/".
AnsiString GetDocumentsFolder();
// The documents folder that the user's folder settings (the text of
// user-dirs.dirs) name, "$HOME" taken as Home; empty when they name none.
std::string DocumentsFolderSetting(std::string_view settings, const std::string& home);
// The most of the settings file read: it holds a handful of short lines.
constexpr Int64 MaxUserDirsSize = 64 * 1024;
// Where the user's projects live, in sight among the user's documents:
// "Δημοπρασία" in the documents folder, made when missing (the program's
// own folder when it cannot be made). With a trailing "/".
AnsiString GetProjectsFolder();
// The per-user settings folder ($XDG_CONFIG_HOME, default ~/.config, then
// "dimoprasia"); not created here. With a trailing "/".
AnsiString GetUserConfigFolder();
// $TMPDIR or /tmp, with a trailing "/".
AnsiString GetTempDir();
// Creates an empty file of a new name "<prefix><random>.tmp" in Dir (the
// temporary folder when empty) and gives its full name.
AnsiString GetTempFileName(const AnsiString& dir, const AnsiString& prefix);
