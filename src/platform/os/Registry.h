// Registry access: an open key and the section/value object over a root key.
// Text is 8-bit ANSI; every value the system writes is a string (REG_SZ).
#pragma once

#include <string>
#include <vector>

#include "platform/os/Handles.h"

// The predefined roots the system uses; callers need no <windows.h>.
enum TRootKey { rkCurrentUser, rkLocalMachine };

// Which view of the keys: the process's own, or the one 32-bit programs see
// (on a 64-bit Windows, "Wow6432Node" below the machine's "Software"; on a
// 32-bit Windows the two are the same and no flag is passed).
enum TRegView { rvNative, rv32 };

// One open registry key; closes on destruction. Empty when not open.
class TRegKey {
public:
  TRegKey() = default;

  bool IsOpen() const { return handle_.Valid(); }
  explicit operator bool() const { return IsOpen(); }
  // True when full access was refused and the key is open for reading only.
  bool ReadOnly() const { return readOnly_; }
  // The HKEY, for code inside the platform layer.
  void* Handle() const { return handle_.Get(); }

  bool ValueExists(const std::string& value) const;
  // The value's text, or def when it is missing. Raises ERegistryException
  // for a value that is neither REG_SZ nor REG_EXPAND_SZ (the text of an
  // expandable value is returned as stored).
  std::string ReadString(const std::string& value, const std::string& def) const;
  // Sets a REG_SZ value; raises ERegistryException naming the value.
  void WriteString(const std::string& value, const std::string& data);
  void Close();

private:
  friend class TRegistry;
  TRegKey(void* handle, bool readOnly) : handle_(handle), readOnly_(readOnly) {}
  TRegKeyHandle handle_;
  bool readOnly_ = false;
};

// Registry operations by section (a key path below the root). Each call
// opens the keys it needs and closes them before returning.
class TRegistry {
public:
  explicit TRegistry(TRootKey root = rkCurrentUser, TRegView view = rvNative) : root_(root), view_(view) {}

  TRootKey RootKey() const { return root_; }
  void SetRootKey(TRootKey root) { root_ = root; }
  TRegView View() const { return view_; }

  // Missing key or value: def. Not a string value, or a key that exists but
  // may not be read: ERegistryException.
  std::string ReadString(const std::string& section, const std::string& value, const std::string& def) const;
  // The string value as an integer (StrToIntDef: decimal, or hexadecimal
  // after "0x" or "$"); a missing value or a text that is not a number
  // gives def.
  int ReadInteger(const std::string& section, const std::string& value, int def) const;
  // Create the section when missing and set a REG_SZ value (integers as
  // decimal text). A failure raises ERegistryException naming the value.
  void WriteString(const std::string& section, const std::string& value, const std::string& data);
  void WriteInteger(const std::string& section, const std::string& value, int data);
  // A REG_DWORD value, for readers (the shell) that take numbers only so.
  void WriteDword(const std::string& section, const std::string& value, unsigned long data);
  // A REG_DWORD value; def when it is missing or of another type.
  unsigned long ReadDword(const std::string& section, const std::string& value, unsigned long def) const;

  bool ValueExists(const std::string& section, const std::string& value) const;
  // True when the value was there and is gone, false when there was none;
  // a value that stays raises ERegistryException.
  bool DeleteValue(const std::string& section, const std::string& value);
  // Deletes the key with every sub-key, deepest first; false when the key
  // is missing, ERegistryException when some of it stays. An empty section
  // is refused (false).
  bool EraseSection(const std::string& section);
  bool KeyExists(const std::string& path) const;
  // Names of the direct sub-keys in the registry's enumeration order.
  std::vector<std::string> GetKeyNames(const std::string& path) const;
  // Names of the key's values in the registry's enumeration order.
  std::vector<std::string> GetValueNames(const std::string& path) const;

  // Opens an existing key without creating it: full access first, read-only
  // when that is refused. Not open when the key is missing.
  TRegKey OpenKeyExisting(const std::string& path) const;
  // Opens the key for full access, creating it (and its parents) when
  // missing; raises ERegistryException on failure.
  TRegKey CreateKey(const std::string& path) const;

private:
  // The access flag of the view, added to every access mask.
  unsigned long ViewFlag() const;

  TRootKey root_;
  TRegView view_;
};

