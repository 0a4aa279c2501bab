#pragma once
// Settings in sections of "name=value" lines, as the class library keeps
// them. Sections and names are found ignoring case; the text is code page
// 1253.

#include "platform/rtl/Classes.h"

// What the INI file and the registry-backed store have in common; numbers
// and booleans are kept as text.
class TCustomIniFile {
 public:
  explicit TCustomIniFile(AnsiString fileName) : fileName_(std::move(fileName)) {}
  TCustomIniFile(const TCustomIniFile&) = delete;
  TCustomIniFile& operator=(const TCustomIniFile&) = delete;
  virtual ~TCustomIniFile() = default;

  const AnsiString& FileName() const { return fileName_; }

  virtual AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                                const AnsiString& def) = 0;
  virtual void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) = 0;
  // Decimal or "0x"/"$" hexadecimal; anything else gives Default.
  virtual int ReadInteger(const AnsiString& section, const AnsiString& ident, int def);
  virtual void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
  // Any integer but 0 is true; written as "1" or "0".
  virtual bool ReadBool(const AnsiString& section, const AnsiString& ident, bool def);
  virtual void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);
  // Written with the locale's decimal separator, as the class library does;
  // read with either "," or "." so that a change of locale loses nothing.
  virtual double ReadFloat(const AnsiString& section, const AnsiString& ident, double def);
  virtual void WriteFloat(const AnsiString& section, const AnsiString& ident, double value);

  // The names of the section (the list is cleared first).
  virtual void ReadSection(const AnsiString& section, TStrings* strings) = 0;
  virtual void ReadSections(TStrings* strings) = 0;
  // "name=value" for every name of the section.
  virtual void ReadSectionValues(const AnsiString& section, TStrings* strings);
  // As the class library: a section exists when it has a name in it.
  virtual bool SectionExists(const AnsiString& section);
  virtual bool ValueExists(const AnsiString& section, const AnsiString& ident);
  virtual void EraseSection(const AnsiString& section) = 0;
  virtual void DeleteKey(const AnsiString& section, const AnsiString& ident) = 0;
  virtual void UpdateFile() = 0;

 private:
  AnsiString fileName_;
};

// An INI file. A name without a folder lies in the per-user settings folder
// (GetUserConfigFolder), which is where the class library's system folder
// for INI files went. Every call reads the file afresh and every change is
// written at once through the safe write, so two objects on one file see each
// other's changes and a failed write leaves the file as it was. A damaged or
// binary file gives what can be read from it. Values with blanks at either
// end, or quoted, are written between quotes so that they read back the same.
// Failures to write raise EIniFileException "Unable to write to %s", as do a
// section, name or value that cannot be stored in one line.
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(const AnsiString& fileName);

  AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) override;
  void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) override;
  void ReadSection(const AnsiString& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void EraseSection(const AnsiString& section) override;
  void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
  // Changes are already on disk; nothing is pending.
  void UpdateFile() override {}

  // The file on disk that the object uses.
  const AnsiString& Path() const { return path_; }

 private:
  AnsiString path_;
};

// The pieces of INI text, for the file and for tests that feed it bytes.
namespace inifile {

struct Line {
  enum Kind { Other, Section, Value } kind = Other;
  AnsiString name;   // section or value name, trimmed
  AnsiString value;  // trimmed, one pair of enclosing quotes removed
  AnsiString text;   // the line as it was
};

// Lines end at CR, LF or CR LF; any byte is accepted.
std::vector<Line> Parse(const std::string& bytes);

}  // namespace inifile
