#pragma once
// The registry of the current user, kept as files: each key is a folder of
// the store, its values one file ".values" in it. The store lies in the
// per-user settings folder ("registry" under GetUserConfigFolder); tests move
// it with SetRegistryStoreRoot. Nothing is shared between users or machines.
// Keys and value names are found ignoring case, as in the registry; key
// paths use "\" between keys.

#include <cstdint>

#include "platform/rtl/IniFiles.h"

enum HKEY : std::uint32_t {
  HKEY_CLASSES_ROOT = 0x80000000u,
  HKEY_CURRENT_USER = 0x80000001u,
  HKEY_LOCAL_MACHINE = 0x80000002u,
  HKEY_USERS = 0x80000003u,
  HKEY_CURRENT_CONFIG = 0x80000005u,
};

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// The folder that holds the store's root keys; an empty Folder restores the
// default.
void SetRegistryStoreRoot(const AnsiString& folder);
AnsiString RegistryStoreRoot();

class TRegistry {
 public:
  TRegistry() = default;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;
  virtual ~TRegistry() = default;

  HKEY RootKey() const { return rootKey_; }
  // Closes the open key.
  void SetRootKey(HKEY key);
  // The open key's path below the root, without a leading "\"; "" for the
  // root itself.
  AnsiString CurrentPath() const;
  bool HasCurrentKey() const { return open_; }

  // A path beginning with "\" starts at the root, any other at the open key.
  // False when the key does not exist and CanCreate is false, or when it
  // cannot be made.
  bool OpenKey(const AnsiString& key, bool canCreate);
  bool OpenKeyReadOnly(const AnsiString& key) { return OpenKey(key, false); }
  void CloseKey();
  bool CreateKey(const AnsiString& key);
  bool KeyExists(const AnsiString& key);
  // The key with every key and value below it.
  bool DeleteKey(const AnsiString& key);
  bool HasSubKeys();
  void GetKeyNames(TStrings* strings);
  void GetValueNames(TStrings* strings);

  bool ValueExists(const AnsiString& name);
  bool DeleteValue(const AnsiString& name);
  // -1 when the value does not exist.
  int GetDataSize(const AnsiString& name);
  TRegDataType GetDataType(const AnsiString& name);

  // Reading a value of another type raises ERegistryException "Invalid data
  // type for '%s'"; a missing value raises "Failed to get data for '%s'",
  // except that ReadString gives "" and ReadBinaryData 0, as the class
  // library does. Writing without an open key raises "Failed to set data for
  // '%s'".
  AnsiString ReadString(const AnsiString& name);
  void WriteString(const AnsiString& name, const AnsiString& value);
  int ReadInteger(const AnsiString& name);
  void WriteInteger(const AnsiString& name, int value);
  bool ReadBool(const AnsiString& name);
  void WriteBool(const AnsiString& name, bool value);
  // Eight bytes of binary data, as the class library stores a Double.
  double ReadFloat(const AnsiString& name);
  void WriteFloat(const AnsiString& name, double value);
  // The size of the data; a buffer smaller than the data raises.
  int ReadBinaryData(const AnsiString& name, void* buffer, int bufSize);
  void WriteBinaryData(const AnsiString& name, const void* buffer, int bufSize);

 private:
  std::vector<AnsiString> targetPath(const AnsiString& key) const;
  AnsiString keyFolder(const std::vector<AnsiString>& path) const;
  bool readValue(const AnsiString& name, TRegDataType& type, std::string& data);
  void writeValue(const AnsiString& name, TRegDataType type, std::string data);

  HKEY rootKey_ = HKEY_CURRENT_USER;
  bool open_ = false;
  std::vector<AnsiString> currentPath_;
};

// Settings as an INI file over the registry: the object's file name is a key
// of the current user, sections are keys below it and names are values.
// Integers are kept as integers and floats as binary, unless a value of the
// name already exists as text.
class TRegistryIniFile : public TCustomIniFile {
 public:
  explicit TRegistryIniFile(const AnsiString& keyName);

  AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) override;
  void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) override;
  int ReadInteger(const AnsiString& section, const AnsiString& ident, int def) override;
  void WriteInteger(const AnsiString& section, const AnsiString& ident, int value) override;
  double ReadFloat(const AnsiString& section, const AnsiString& ident, double def) override;
  void WriteFloat(const AnsiString& section, const AnsiString& ident, double value) override;
  void ReadSection(const AnsiString& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void EraseSection(const AnsiString& section) override;
  void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
  void UpdateFile() override {}

  TRegistry& RegIniFile() { return registry_; }

 private:
  // Opens the section's key; false when it does not exist and Create is
  // false.
  bool openSection(const AnsiString& section, bool create);
  AnsiString base_;
  TRegistry registry_;
};
