#include "platform/os/Registry.h"

#include "platform/os/WinApi.h"

#include <cstdint>

#include "platform/base/Exception.h"
#include "platform/os/SysError.h"
#include "platform/base/SysUtils.h"
#include "platform/os/LateBound.h"
#include "platform/os/Wow64.h"

namespace {

HKEY RootHandle(TRootKey root) { return root == rkLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

HKEY AsHKey(void* h) { return static_cast<HKEY>(h); }

// Paths may be written with a leading "\" (relative to the root either way).
std::string KeyPath(const std::string& path) {
  size_t i = 0;
  while (i < path.size() && path[i] == '\\') ++i;
  return path.substr(i);
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Opens path below parent for the given access; a failing open gives nullptr
// and its code in rc.
HKEY OpenSub(HKEY parent, const std::string& path, REGSAM access, LONG& rc) {
  HKEY key = nullptr;
  rc = RegOpenKeyExA(parent, path.c_str(), 0, access, &key);
  return rc == ERROR_SUCCESS ? key : nullptr;
}

std::vector<std::string> SubKeyNames(HKEY key) {
  std::vector<std::string> names;
  DWORD count = 0, maxLen = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &maxLen, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  std::string buf(maxLen + 1, '\0');
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    LONG rc = RegEnumKeyExA(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      // A longer name appeared since the query: grow and read this index again.
      buf.assign(buf.size() * 2 + 256, '\0');
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(buf.data(), len);
  }
  return names;
}

// RegDeleteKey works in the process's own view; another view needs
// RegDeleteKeyEx, which only 64-bit capable systems have.
LONG DeleteKey(HKEY parent, const std::string& name, REGSAM view) {
  if (view == 0) return RegDeleteKeyA(parent, name.c_str());
  using TDeleteEx = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
  auto deleteEx = reinterpret_cast<TDeleteEx>(ky_late::Find("advapi32.dll", "RegDeleteKeyExA"));
  return deleteEx ? deleteEx(parent, name.c_str(), view, 0) : RegDeleteKeyA(parent, name.c_str());
}

// Deletes every sub-key of key, the deepest ones first, then key's own entry
// in parent. RegDeleteKey refuses a key that still has sub-keys.
// The code of the first failure is kept in rc.
bool DeleteKeyTree(HKEY parent, const std::string& name, REGSAM view, LONG& rc) {
  {
    TRegKeyHandle key(OpenSub(parent, name, KEY_READ | view, rc));
    if (key)
      for (const std::string& sub : SubKeyNames(AsHKey(key.Get())))
        if (!DeleteKeyTree(AsHKey(key.Get()), sub, view, rc)) return false;
  }
  rc = DeleteKey(parent, name, view);
  return rc == ERROR_SUCCESS;
}

// Opens a key for reading. A missing key gives an empty key; any other
// refusal raises, so that a key we may not read never passes for a missing one.
TRegKeyHandle OpenForReading(HKEY root, const std::string& path, REGSAM view) {
  LONG rc;
  TRegKeyHandle key(OpenSub(root, KeyPath(path), KEY_READ | view, rc));
  if (!key && rc != ERROR_FILE_NOT_FOUND && rc != ERROR_PATH_NOT_FOUND)
    throw ERegistryException("Cannot open registry key " + Quote(path) + ". " + SysErrorMessage(rc));
  return key;
}

}  // namespace

// ---- TRegKey ----

void TRegKey::Close() {
  handle_.Reset();
  readOnly_ = false;
}

bool TRegKey::ValueExists(const std::string& value) const {
  if (!handle_.Valid()) return false;
  return RegQueryValueExA(AsHKey(handle_.Get()), value.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string TRegKey::ReadString(const std::string& value, const std::string& def) const {
  if (!handle_.Valid()) return def;
  for (;;) {
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(AsHKey(handle_.Get()), value.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return def;
    if (rc != ERROR_SUCCESS)
      throw ERegistryException("Cannot read registry value " + Quote(value) + ". " + SysErrorMessage(rc));
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException("Invalid data type for " + Quote(value));
    std::string data(size, '\0');
    DWORD got = size;
    rc = RegQueryValueExA(AsHKey(handle_.Get()), value.c_str(), nullptr, &type,
                          reinterpret_cast<BYTE*>(data.data()), &got);
    if (rc == ERROR_MORE_DATA) continue;  // the value grew in between
    if (rc == ERROR_FILE_NOT_FOUND) return def;
    if (rc != ERROR_SUCCESS)
      throw ERegistryException("Cannot read registry value " + Quote(value) + ". " + SysErrorMessage(rc));
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException("Invalid data type for " + Quote(value));
    data.resize(got);
    // The stored size counts the terminating NUL (when the writer put one).
    size_t end = data.find('\0');
    if (end != std::string::npos) data.resize(end);
    return data;
  }
}

void TRegKey::WriteString(const std::string& value, const std::string& data) {
  LONG rc = handle_.Valid() ? RegSetValueExA(AsHKey(handle_.Get()), value.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(data.c_str()),
                                     static_cast<DWORD>(data.size() + 1))
                    : static_cast<LONG>(ERROR_INVALID_HANDLE);
  if (rc != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for " + Quote(value) + ". " + SysErrorMessage(rc));
}

// ---- TRegistry ----

unsigned long TRegistry::ViewFlag() const { return view_ == rv32 && SystemHas32BitView() ? KEY_WOW64_32KEY : 0; }

TRegKey TRegistry::OpenKeyExisting(const std::string& path) const {
  LONG rc;
  HKEY key = OpenSub(RootHandle(root_), KeyPath(path), KEY_ALL_ACCESS | ViewFlag(), rc);
  if (key) return TRegKey(key, false);
  if (rc == ERROR_ACCESS_DENIED) {
    key = OpenSub(RootHandle(root_), KeyPath(path), KEY_READ | ViewFlag(), rc);
    if (key) return TRegKey(key, true);
  }
  return TRegKey();
}

TRegKey TRegistry::CreateKey(const std::string& path) const {
  HKEY key = nullptr;
  LONG rc = RegCreateKeyExA(RootHandle(root_), KeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS | ViewFlag(), nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS)
    throw ERegistryException("Cannot create registry key " + Quote(path) + ". " + SysErrorMessage(rc));
  return TRegKey(key, false);
}

std::string TRegistry::ReadString(const std::string& section, const std::string& value,
                                  const std::string& def) const {
  TRegKey key(OpenForReading(RootHandle(root_), section, ViewFlag()).Release(), true);
  return key.ReadString(value, def);
}

int TRegistry::ReadInteger(const std::string& section, const std::string& value, int def) const {
  TRegKey key(OpenForReading(RootHandle(root_), section, ViewFlag()).Release(), true);
  // Missing and empty both fall through to def.
  return StrToIntDef(key.ReadString(value, ""), def);
}

void TRegistry::WriteString(const std::string& section, const std::string& value, const std::string& data) {
  HKEY key = nullptr;
  LONG rc = RegCreateKeyExA(RootHandle(root_), KeyPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE | KEY_QUERY_VALUE | ViewFlag(), nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for " + Quote(value) + ". " + SysErrorMessage(rc));
  TRegKey(key, false).WriteString(value, data);
}

void TRegistry::WriteInteger(const std::string& section, const std::string& value, int data) {
  WriteString(section, value, std::to_string(data));
}

void TRegistry::WriteDword(const std::string& section, const std::string& value, unsigned long data) {
  HKEY key = nullptr;
  LONG rc = RegCreateKeyExA(RootHandle(root_), KeyPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE | KEY_QUERY_VALUE | ViewFlag(), nullptr, &key, nullptr);
  if (rc == ERROR_SUCCESS) {
    const DWORD d = static_cast<DWORD>(data);
    rc = RegSetValueExA(key, value.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), sizeof d);
    RegCloseKey(key);
  }
  if (rc != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for " + Quote(value) + ". " + SysErrorMessage(rc));
}

unsigned long TRegistry::ReadDword(const std::string& section, const std::string& value, unsigned long def) const {
  TRegKey key(OpenForReading(RootHandle(root_), section, ViewFlag()).Release(), true);
  if (!key) return def;
  DWORD type = 0, data = 0, size = sizeof data;
  LONG rc = RegQueryValueExA(AsHKey(key.Handle()), value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  return rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data ? data : def;
}

bool TRegistry::ValueExists(const std::string& section, const std::string& value) const {
  TRegKey key(OpenForReading(RootHandle(root_), section, ViewFlag()).Release(), true);
  return key.ValueExists(value);
}

bool TRegistry::DeleteValue(const std::string& section, const std::string& value) {
  LONG rc;
  TRegKey key(OpenSub(RootHandle(root_), KeyPath(section), KEY_SET_VALUE | KEY_QUERY_VALUE | ViewFlag(), rc), false);
  if (!key) {
    if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND) return false;
    throw ERegistryException("Cannot delete registry value " + Quote(value) + ". " + SysErrorMessage(rc));
  }
  rc = RegDeleteValueA(AsHKey(key.Handle()), value.c_str());
  if (rc == ERROR_FILE_NOT_FOUND) return false;
  if (rc != ERROR_SUCCESS)
    throw ERegistryException("Cannot delete registry value " + Quote(value) + ". " + SysErrorMessage(rc));
  return true;
}

bool TRegistry::EraseSection(const std::string& section) {
  // An empty path would name the root itself and wipe everything below it.
  std::string path = KeyPath(section);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.empty()) return false;
  if (!KeyExists(path)) return false;
  LONG rc = ERROR_SUCCESS;
  if (!DeleteKeyTree(RootHandle(root_), path, ViewFlag(), rc))
    throw ERegistryException("Cannot delete registry key " + Quote(section) + ". " + SysErrorMessage(rc));
  return true;
}

bool TRegistry::KeyExists(const std::string& path) const {
  LONG rc;
  TRegKey key(OpenSub(RootHandle(root_), KeyPath(path), KEY_READ | ViewFlag(), rc), true);
  // A key we may not read is still there.
  return key || rc == ERROR_ACCESS_DENIED;
}

std::vector<std::string> TRegistry::GetValueNames(const std::string& path) const {
  TRegKey key(OpenForReading(RootHandle(root_), path, ViewFlag()).Release(), true);
  std::vector<std::string> names;
  if (!key) return names;
  std::string buf(16384, '\0');  // the longest value name the registry allows
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    if (RegEnumValueA(AsHKey(key.Handle()), i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(buf.data(), len);
  }
  return names;
}

std::vector<std::string> TRegistry::GetKeyNames(const std::string& path) const {
  TRegKey key(OpenForReading(RootHandle(root_), path, ViewFlag()).Release(), true);
  if (!key) return {};
  return SubKeyNames(AsHKey(key.Handle()));
}

