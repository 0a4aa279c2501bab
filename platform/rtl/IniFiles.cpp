// TCustomIniFile's typed values and TIniFile over a file of lines.

#include "platform/rtl/IniFiles.h"

#include <set>

#include "platform/rtl/FileUtils.h"

namespace {

bool sameName(const AnsiString& a, const AnsiString& b) { return AnsiUpperCase(a) == AnsiUpperCase(b); }

bool isQuote(char ch) { return ch == '"' || ch == '\''; }

bool enclosedInQuotes(const AnsiString& s) {
  return s.size() >= 2 && isQuote(s.front()) && s.back() == s.front();
}

bool hasLineBreak(const AnsiString& s) { return s.find_first_of("\r\n") != AnsiString::npos; }

// A float in the other decimal separator: "12.5" under a "," locale.
bool readFloatEitherSeparator(const AnsiString& text, Extended& value) {
  if (TryStrToFloat(text, value)) return true;
  const char other = DecimalSeparator == ',' ? '.' : ',';
  size_t at = text.find(other);
  if (at == AnsiString::npos || text.find(other, at + 1) != AnsiString::npos ||
      text.find(DecimalSeparator) != AnsiString::npos)
    return false;
  AnsiString swapped = text;
  swapped[at] = DecimalSeparator;
  return TryStrToFloat(swapped, value);
}

using inifile::Line;

// The first header of Section, or -1.
int findSection(const std::vector<Line>& lines, const AnsiString& section) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].kind == Line::Section && sameName(lines[i].name, section)) return static_cast<int>(i);
  return -1;
}

// The end of the section whose header is at Header: the next header or the
// end of the file.
int sectionEnd(const std::vector<Line>& lines, int header) {
  size_t i = static_cast<size_t>(header) + 1;
  while (i < lines.size() && lines[i].kind != Line::Section) ++i;
  return static_cast<int>(i);
}

// The first value line of Ident in the first Section, or -1.
int findValue(const std::vector<Line>& lines, const AnsiString& section, const AnsiString& ident) {
  int header = findSection(lines, section);
  if (header < 0) return -1;
  int end = sectionEnd(lines, header);
  for (int i = header + 1; i < end; ++i)
    if (lines[i].kind == Line::Value && sameName(lines[i].name, ident)) return i;
  return -1;
}

}  // namespace

// ---- parsing ---------------------------------------------------------------

std::vector<Line> inifile::Parse(const std::string& bytes) {
  TStringList text;
  text.SetText(bytes);
  std::vector<Line> lines;
  lines.reserve(static_cast<size_t>(text.Count()));
  for (int i = 0; i < text.Count(); ++i) {
    Line line;
    line.text = text[i];
    AnsiString trimmed = Trim(line.text);
    if (!trimmed.empty() && trimmed[0] == '[') {
      size_t close = trimmed.find(']');
      if (close != AnsiString::npos) {
        line.kind = Line::Section;
        line.name = Trim(trimmed.substr(1, close - 1));
      }
    } else if (!trimmed.empty() && trimmed[0] != ';') {
      size_t eq = trimmed.find('=');
      if (eq != AnsiString::npos && eq > 0) {
        line.kind = Line::Value;
        line.name = Trim(trimmed.substr(0, eq));
        line.value = Trim(trimmed.substr(eq + 1));
        if (enclosedInQuotes(line.value)) line.value = line.value.substr(1, line.value.size() - 2);
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// ---- TCustomIniFile --------------------------------------------------------

int TCustomIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int def) {
  AnsiString text = ReadString(section, ident, AnsiString());
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
  return StrToIntDef(text, def);
}

void TCustomIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const AnsiString& section, const AnsiString& ident, double def) {
  AnsiString text = ReadString(section, ident, AnsiString());
  Extended value = 0;
  return !text.empty() && readFloatEitherSeparator(text, value) ? static_cast<double>(value) : def;
}

void TCustomIniFile::WriteFloat(const AnsiString& section, const AnsiString& ident, double value) {
  WriteString(section, ident, FloatToStr(value));
}

void TCustomIniFile::ReadSectionValues(const AnsiString& section, TStrings* strings) {
  if (strings == nullptr) return;
  TStringList names;
  ReadSection(section, &names);
  strings->BeginUpdate();
  try {
    strings->Clear();
    for (int i = 0; i < names.Count(); ++i)
      strings->Add(names[i] + "=" + ReadString(section, names[i], AnsiString()));
  } catch (...) {
    strings->EndUpdate();
    throw;
  }
  strings->EndUpdate();
}

bool TCustomIniFile::SectionExists(const AnsiString& section) {
  TStringList names;
  ReadSection(section, &names);
  return names.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& section, const AnsiString& ident) {
  TStringList names;
  ReadSection(section, &names);
  return names.IndexOf(ident) >= 0;
}

// ---- TIniFile --------------------------------------------------------------

namespace {

std::vector<Line> load(const AnsiString& path) {
  try {
    return inifile::Parse(ReadWholeFile(path));
  } catch (const EStreamError&) {
    return {};  // a missing or unreadable file has no settings
  }
}

void store(const TIniFile& ini, const std::vector<Line>& lines) {
  std::string bytes;
  for (const Line& line : lines) {
    bytes += line.text;
    bytes += "\r\n";
  }
  try {
    // The per-user settings folder is ours to make.
    if (ini.FileName().find(PathDelim) == AnsiString::npos) ForceDirectories(GetUserConfigFolder());
    SafeWriteFile(ini.Path(), bytes);
  } catch (const EStreamError&) {
    throw EIniFileException("Unable to write to " + ini.FileName());
  }
}

}  // namespace

TIniFile::TIniFile(const AnsiString& fileName)
    : TCustomIniFile(fileName),
      path_(fileName.find(PathDelim) == AnsiString::npos ? GetUserConfigFolder() + fileName : fileName) {}

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) {
  std::vector<Line> lines = load(path_);
  int at = findValue(lines, Trim(section), Trim(ident));
  return at < 0 ? def : lines[at].value;
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
  const AnsiString sectionName = Trim(section);
  const AnsiString name = Trim(ident);
  if (hasLineBreak(section) || sectionName.find(']') != AnsiString::npos || hasLineBreak(ident) ||
      name.empty() || name.find('=') != AnsiString::npos || name[0] == '[' || name[0] == ';' ||
      hasLineBreak(value))
    throw EIniFileException("Unable to write to " + FileName());
  const bool needsQuotes =
      !value.empty() && (static_cast<unsigned char>(value.front()) <= ' ' ||
                         static_cast<unsigned char>(value.back()) <= ' ' || enclosedInQuotes(value));
  const AnsiString stored = needsQuotes ? "\"" + value + "\"" : value;

  std::vector<Line> lines = load(path_);
  int at = findValue(lines, sectionName, name);
  if (at >= 0) {
    lines[at].text = lines[at].name + "=" + stored;
  } else {
    int header = findSection(lines, sectionName);
    Line line;
    line.kind = Line::Value;
    line.text = name + "=" + stored;
    if (header < 0) {
      Line head;
      head.kind = Line::Section;
      head.name = sectionName;
      head.text = "[" + sectionName + "]";
      lines.push_back(head);
      lines.push_back(line);
    } else {
      // After the section's last non-blank line, so blank separators stay.
      int insertAt = sectionEnd(lines, header);
      while (insertAt > header + 1 && Trim(lines[insertAt - 1].text).empty()) --insertAt;
      lines.insert(lines.begin() + insertAt, line);
    }
  }
  store(*this, lines);
}

void TIniFile::ReadSection(const AnsiString& section, TStrings* strings) {
  if (strings == nullptr) return;
  std::vector<Line> lines = load(path_);
  TStringList names;
  int header = findSection(lines, Trim(section));
  if (header >= 0) {
    int end = sectionEnd(lines, header);
    std::set<AnsiString> seen;
    for (int i = header + 1; i < end; ++i)
      if (lines[i].kind == Line::Value && seen.insert(AnsiUpperCase(lines[i].name)).second)
        names.Add(lines[i].name);
  }
  strings->Assign(names);
}

void TIniFile::ReadSections(TStrings* strings) {
  if (strings == nullptr) return;
  std::vector<Line> lines = load(path_);
  TStringList names;
  std::set<AnsiString> seen;
  for (const Line& line : lines)
    if (line.kind == Line::Section && seen.insert(AnsiUpperCase(line.name)).second) names.Add(line.name);
  strings->Assign(names);
}

void TIniFile::EraseSection(const AnsiString& section) {
  std::vector<Line> lines = load(path_);
  bool erased = false;
  for (int header = findSection(lines, Trim(section)); header >= 0;
       header = findSection(lines, Trim(section))) {
    lines.erase(lines.begin() + header, lines.begin() + sectionEnd(lines, header));
    erased = true;
  }
  if (erased) store(*this, lines);
}

void TIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
  std::vector<Line> lines = load(path_);
  int at = findValue(lines, Trim(section), Trim(ident));
  if (at < 0) return;
  while (at >= 0) {
    lines.erase(lines.begin() + at);
    at = findValue(lines, Trim(section), Trim(ident));
  }
  store(*this, lines);
}
