// TRegistry over a per-user file store, and TRegistryIniFile over TRegistry.

#include "platform/rtl/Registry.h"

#include <charconv>
#include <cstring>
#include <filesystem>

#include "platform/rtl/FileUtils.h"

namespace {

const char* const kValuesFile = ".values";

AnsiString& storeRootOverride() {
  static AnsiString root;
  return root;
}

const char* rootFolderName(HKEY key) {
  switch (key) {
    case HKEY_CLASSES_ROOT:
      return "HKEY_CLASSES_ROOT";
    case HKEY_LOCAL_MACHINE:
      return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS:
      return "HKEY_USERS";
    case HKEY_CURRENT_CONFIG:
      return "HKEY_CURRENT_CONFIG";
    case HKEY_CURRENT_USER:
      break;
  }
  return "HKEY_CURRENT_USER";
}

const char kHex[] = "0123456789ABCDEF";

void appendEscaped(AnsiString& out, unsigned char b) {
  out += '%';
  out += kHex[b >> 4];
  out += kHex[b & 15];
}

int hexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return -1;
}

// Bytes that a file name or a line of the values file cannot hold as they
// are: "%" itself, control characters, and bytes code page 1253 leaves
// undefined (they would not survive the trip to UTF-8).
bool mustEscape(unsigned char b) {
  return b == '%' || b < 0x20 || b == 0x7F || cp1253::ToUnicode(b) == u'\uFFFD';
}

// A key name as a folder name: also "/" and a leading ".".
AnsiString escapeKey(const AnsiString& name) {
  AnsiString out;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(name[i]);
    if (mustEscape(b) || b == '/' || (i == 0 && b == '.'))
      appendEscaped(out, b);
    else
      out += name[i];
  }
  return out;
}

// A value name or text within a line of the values file: also "=".
AnsiString escapeText(const std::string& text) {
  AnsiString out;
  for (char ch : text) {
    unsigned char b = static_cast<unsigned char>(ch);
    if (mustEscape(b) || b == '=')
      appendEscaped(out, b);
    else
      out += ch;
  }
  return out;
}

// False on a broken escape.
bool unescape(const AnsiString& text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    int high = hexDigit(text[i + 1]);
    int low = hexDigit(text[i + 2]);
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

std::vector<AnsiString> splitKeyPath(const AnsiString& key) {
  std::vector<AnsiString> parts;
  size_t pos = 0;
  while (pos <= key.size()) {
    size_t sep = key.find('\\', pos);
    if (sep == AnsiString::npos) sep = key.size();
    if (sep > pos) parts.push_back(key.substr(pos, sep - pos));
    pos = sep + 1;
  }
  return parts;
}

struct StoredValue {
  AnsiString name;
  TRegDataType type = rdUnknown;
  std::string data;
};

const char* typeTag(TRegDataType type) {
  switch (type) {
    case rdString:
      return "sz";
    case rdExpandString:
      return "expand";
    case rdInteger:
      return "dword";
    case rdBinary:
      return "binary";
    case rdUnknown:
      break;
  }
  return "unknown";
}

// One value per line: "<type>:<name>=<data>"; lines that do not parse are
// skipped, so a damaged file gives the values that are whole.
std::vector<StoredValue> parseValues(const std::string& bytes) {
  std::vector<StoredValue> values;
  TStringList lines;
  lines.SetText(bytes);
  for (int i = 0; i < lines.Count(); ++i) {
    const AnsiString line = lines[i];
    size_t colon = line.find(':');
    size_t eq = line.find('=');
    if (colon == AnsiString::npos || eq == AnsiString::npos || eq < colon) continue;
    const AnsiString tag = line.substr(0, colon);
    const AnsiString data = line.substr(eq + 1);
    StoredValue value;
    if (!unescape(line.substr(colon + 1, eq - colon - 1), value.name)) continue;
    bool ok = true;
    if (tag == "sz" || tag == "expand") {
      value.type = tag == "sz" ? rdString : rdExpandString;
      ok = unescape(data, value.data);
    } else if (tag == "dword") {
      value.type = rdInteger;
      int number = 0;
      auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), number);
      ok = error == std::errc() && end == data.data() + data.size() && !data.empty();
      value.data.assign(reinterpret_cast<const char*>(&number), sizeof number);
    } else if (tag == "binary" || tag == "unknown") {
      value.type = tag == "binary" ? rdBinary : rdUnknown;
      ok = data.size() % 2 == 0;
      for (size_t k = 0; ok && k < data.size(); k += 2) {
        int high = hexDigit(data[k]);
        int low = hexDigit(data[k + 1]);
        ok = high >= 0 && low >= 0;
        value.data += static_cast<char>(high * 16 + low);
      }
    } else {
      ok = false;
    }
    if (ok) values.push_back(std::move(value));
  }
  return values;
}

std::string formatValues(const std::vector<StoredValue>& values) {
  std::string bytes;
  for (const StoredValue& value : values) {
    bytes += typeTag(value.type);
    bytes += ':';
    bytes += escapeText(value.name);
    bytes += '=';
    if (value.type == rdString || value.type == rdExpandString) {
      bytes += escapeText(value.data);
    } else if (value.type == rdInteger) {
      int number = 0;
      std::memcpy(&number, value.data.data(), std::min(sizeof number, value.data.size()));
      bytes += IntToStr(number);
    } else {
      for (char ch : value.data) {
        bytes += kHex[static_cast<unsigned char>(ch) >> 4];
        bytes += kHex[static_cast<unsigned char>(ch) & 15];
      }
    }
    bytes += "\r\n";
  }
  return bytes;
}

bool sameName(const AnsiString& a, const AnsiString& b) { return AnsiUpperCase(a) == AnsiUpperCase(b); }

std::vector<StoredValue> loadValues(const AnsiString& folder) {
  try {
    return parseValues(ReadWholeFile(folder + kValuesFile));
  } catch (const EStreamError&) {
    return {};
  }
}

[[noreturn]] void registryError(const char* message, const AnsiString& name) {
  throw ERegistryException(AnsiString(message) + " '" + name + "'");
}

}  // namespace

void SetRegistryStoreRoot(const AnsiString& folder) { storeRootOverride() = folder; }

AnsiString RegistryStoreRoot() {
  const AnsiString& root = storeRootOverride();
  return IncludeTrailingPathDelimiter(root.empty() ? GetUserConfigFolder() + "registry" : root);
}

// ---- TRegistry -------------------------------------------------------------

void TRegistry::SetRootKey(HKEY key) {
  CloseKey();
  rootKey_ = key;
}

AnsiString TRegistry::CurrentPath() const {
  AnsiString path;
  for (const AnsiString& part : currentPath_) path += (path.empty() ? "" : "\\") + part;
  return path;
}

std::vector<AnsiString> TRegistry::targetPath(const AnsiString& key) const {
  std::vector<AnsiString> path;
  if (open_ && (key.empty() || key[0] != '\\')) path = currentPath_;
  for (AnsiString& part : splitKeyPath(key)) path.push_back(std::move(part));
  return path;
}

// The key's folder, found ignoring case, with a trailing "/".
AnsiString TRegistry::keyFolder(const std::vector<AnsiString>& path) const {
  AnsiString folder = RegistryStoreRoot() + rootFolderName(rootKey_) + "/";
  for (const AnsiString& part : path) folder += escapeKey(part) + "/";
  return ResolveFileName(folder);
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate) {
  std::vector<AnsiString> path = targetPath(key);
  AnsiString folder = keyFolder(path);
  if (!path.empty() && !DirectoryExists(folder) && !(canCreate && ForceDirectories(folder))) return false;
  currentPath_ = std::move(path);
  open_ = true;
  return true;
}

void TRegistry::CloseKey() {
  open_ = false;
  currentPath_.clear();
}

bool TRegistry::CreateKey(const AnsiString& key) {
  std::vector<AnsiString> path = targetPath(key);
  return ForceDirectories(keyFolder(path));
}

bool TRegistry::KeyExists(const AnsiString& key) {
  std::vector<AnsiString> path = targetPath(key);
  return path.empty() || DirectoryExists(keyFolder(path));
}

bool TRegistry::DeleteKey(const AnsiString& key) {
  std::vector<AnsiString> path = targetPath(key);
  if (path.empty()) return false;
  AnsiString folder = keyFolder(path);
  if (!DirectoryExists(folder)) return false;
  std::error_code error;
  std::filesystem::remove_all(DiskFileName(folder), error);
  return !error;
}

void TRegistry::GetKeyNames(TStrings* strings) {
  if (strings == nullptr) return;
  TStringList names;
  if (open_) {
    TSearchRec rec;
    for (int r = FindFirst(keyFolder(currentPath_) + "*", faDirectory, rec); r == 0; r = FindNext(rec)) {
      std::string name;
      if ((rec.Attr & faDirectory) != 0 && unescape(rec.Name, name)) names.Add(name);
    }
    FindClose(rec);
    names.Sort();
  }
  strings->Assign(names);
}

bool TRegistry::HasSubKeys() {
  TStringList names;
  GetKeyNames(&names);
  return names.Count() > 0;
}

void TRegistry::GetValueNames(TStrings* strings) {
  if (strings == nullptr) return;
  TStringList names;
  if (open_)
    for (const StoredValue& value : loadValues(keyFolder(currentPath_))) names.Add(value.name);
  strings->Assign(names);
}

bool TRegistry::readValue(const AnsiString& name, TRegDataType& type, std::string& data) {
  if (!open_) return false;
  for (StoredValue& value : loadValues(keyFolder(currentPath_))) {
    if (sameName(value.name, name)) {
      type = value.type;
      data = std::move(value.data);
      return true;
    }
  }
  return false;
}

void TRegistry::writeValue(const AnsiString& name, TRegDataType type, std::string data) {
  if (!open_) registryError("Failed to set data for", name);
  AnsiString folder = keyFolder(currentPath_);
  if (currentPath_.empty()) ForceDirectories(folder);
  std::vector<StoredValue> values = loadValues(folder);
  bool placed = false;
  for (size_t i = 0; i < values.size();) {
    if (!sameName(values[i].name, name)) {
      ++i;
    } else if (!placed) {
      values[i].type = type;
      values[i].data = data;
      placed = true;
      ++i;
    } else {
      values.erase(values.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  if (!placed) values.push_back(StoredValue{name, type, std::move(data)});
  try {
    if (!DirectoryExists(folder)) throw EFCreateError(folder);
    SafeWriteFile(folder + kValuesFile, formatValues(values));
  } catch (const EStreamError&) {
    registryError("Failed to set data for", name);
  }
}

bool TRegistry::ValueExists(const AnsiString& name) {
  TRegDataType type;
  std::string data;
  return readValue(name, type, data);
}

bool TRegistry::DeleteValue(const AnsiString& name) {
  if (!open_) return false;
  AnsiString folder = keyFolder(currentPath_);
  std::vector<StoredValue> values = loadValues(folder);
  size_t before = values.size();
  std::erase_if(values, [&](const StoredValue& value) { return sameName(value.name, name); });
  if (values.size() == before) return false;
  try {
    SafeWriteFile(folder + kValuesFile, formatValues(values));
  } catch (const EStreamError&) {
    return false;
  }
  return true;
}

int TRegistry::GetDataSize(const AnsiString& name) {
  TRegDataType type;
  std::string data;
  return readValue(name, type, data) ? static_cast<int>(data.size()) : -1;
}

TRegDataType TRegistry::GetDataType(const AnsiString& name) {
  TRegDataType type = rdUnknown;
  std::string data;
  return readValue(name, type, data) ? type : rdUnknown;
}

AnsiString TRegistry::ReadString(const AnsiString& name) {
  TRegDataType type = rdUnknown;
  std::string data;
  if (!readValue(name, type, data)) return AnsiString();
  if (type != rdString && type != rdExpandString) registryError("Invalid data type for", name);
  return data;
}

void TRegistry::WriteString(const AnsiString& name, const AnsiString& value) {
  writeValue(name, rdString, value);
}

int TRegistry::ReadInteger(const AnsiString& name) {
  TRegDataType type = rdUnknown;
  std::string data;
  if (!readValue(name, type, data)) registryError("Failed to get data for", name);
  if (type != rdInteger || data.size() != sizeof(int)) registryError("Invalid data type for", name);
  int number = 0;
  std::memcpy(&number, data.data(), sizeof number);
  return number;
}

void TRegistry::WriteInteger(const AnsiString& name, int value) {
  writeValue(name, rdInteger, std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

bool TRegistry::ReadBool(const AnsiString& name) { return ReadInteger(name) != 0; }

void TRegistry::WriteBool(const AnsiString& name, bool value) { WriteInteger(name, value ? 1 : 0); }

double TRegistry::ReadFloat(const AnsiString& name) {
  TRegDataType type = rdUnknown;
  std::string data;
  if (!readValue(name, type, data)) registryError("Failed to get data for", name);
  if (type != rdBinary || data.size() != sizeof(double)) registryError("Invalid data type for", name);
  double number = 0;
  std::memcpy(&number, data.data(), sizeof number);
  return number;
}

void TRegistry::WriteFloat(const AnsiString& name, double value) {
  writeValue(name, rdBinary, std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

int TRegistry::ReadBinaryData(const AnsiString& name, void* buffer, int bufSize) {
  TRegDataType type = rdUnknown;
  std::string data;
  if (!readValue(name, type, data)) return 0;
  int size = static_cast<int>(data.size());
  if ((type != rdBinary && type != rdUnknown) || size > bufSize) registryError("Invalid data type for", name);
  if (size > 0) std::memcpy(buffer, data.data(), static_cast<size_t>(size));
  return size;
}

void TRegistry::WriteBinaryData(const AnsiString& name, const void* buffer, int bufSize) {
  std::string data;
  if (bufSize > 0) data.assign(static_cast<const char*>(buffer), static_cast<size_t>(bufSize));
  writeValue(name, rdBinary, std::move(data));
}

// ---- TRegistryIniFile ------------------------------------------------------

TRegistryIniFile::TRegistryIniFile(const AnsiString& keyName) : TCustomIniFile(keyName), base_(keyName) {}

bool TRegistryIniFile::openSection(const AnsiString& section, bool create) {
  registry_.CloseKey();
  AnsiString key = "\\" + base_;
  if (!section.empty()) key += "\\" + section;
  if (registry_.OpenKey(key, create)) return true;
  if (create) throw ERegistryException("Failed to create key " + key.substr(1));
  return false;
}

AnsiString TRegistryIniFile::ReadString(const AnsiString& section, const AnsiString& ident,
                                        const AnsiString& def) {
  if (!openSection(section, false)) return def;
  switch (registry_.GetDataType(ident)) {
    case rdString:
    case rdExpandString:
      return registry_.ReadString(ident);
    case rdInteger:
      return IntToStr(registry_.ReadInteger(ident));
    default:
      return def;
  }
}

void TRegistryIniFile::WriteString(const AnsiString& section, const AnsiString& ident,
                                   const AnsiString& value) {
  openSection(section, true);
  registry_.WriteString(ident, value);
}

int TRegistryIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int def) {
  if (!openSection(section, false)) return def;
  switch (registry_.GetDataType(ident)) {
    case rdInteger:
      return registry_.ReadInteger(ident);
    case rdString:
    case rdExpandString:
      return TCustomIniFile::ReadInteger(section, ident, def);
    default:
      return def;
  }
}

void TRegistryIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
  openSection(section, true);
  if (registry_.GetDataType(ident) == rdString)
    registry_.WriteString(ident, IntToStr(value));
  else
    registry_.WriteInteger(ident, value);
}

double TRegistryIniFile::ReadFloat(const AnsiString& section, const AnsiString& ident, double def) {
  if (!openSection(section, false)) return def;
  switch (registry_.GetDataType(ident)) {
    case rdBinary:
      return registry_.GetDataSize(ident) == sizeof(double) ? registry_.ReadFloat(ident) : def;
    case rdString:
    case rdExpandString:
      return TCustomIniFile::ReadFloat(section, ident, def);
    default:
      return def;
  }
}

void TRegistryIniFile::WriteFloat(const AnsiString& section, const AnsiString& ident, double value) {
  openSection(section, true);
  if (registry_.GetDataType(ident) == rdString)
    registry_.WriteString(ident, FloatToStr(value));
  else
    registry_.WriteFloat(ident, value);
}

void TRegistryIniFile::ReadSection(const AnsiString& section, TStrings* strings) {
  if (strings == nullptr) return;
  if (openSection(section, false))
    registry_.GetValueNames(strings);
  else
    strings->Clear();
}

void TRegistryIniFile::ReadSections(TStrings* strings) {
  if (strings == nullptr) return;
  if (openSection(AnsiString(), false))
    registry_.GetKeyNames(strings);
  else
    strings->Clear();
}

void TRegistryIniFile::EraseSection(const AnsiString& section) {
  registry_.CloseKey();
  registry_.DeleteKey("\\" + base_ + "\\" + section);
}

void TRegistryIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
  if (openSection(section, false)) registry_.DeleteValue(ident);
}
