#include "platform/os/SystemFolders.h"

#include "platform/os/WinApi.h"

#include "platform/base/Exception.h"
#include "platform/os/Registry.h"
#include "platform/base/FileNames.h"
#include "platform/base/SysUtils.h"
#include "platform/os/SysError.h"
#include "platform/os/Wow64.h"

namespace {

const char* const kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";

// The environment variable a 32-bit program sees under this name. WOW64
// gives 32-bit processes the (x86) folders under the plain names; a 64-bit
// process asking for the 32-bit world must take them itself.
std::string VariableOf32BitPrograms(const std::string& name) {
  if (sizeof(void*) == 8 && SystemHas32BitView()) {
    for (const char* plain : {"ProgramFiles", "CommonProgramFiles"})
      if (SameText(name, plain)) {
        std::string x86 = std::string(plain) + "(x86)";
        if (GetEnvironmentVariableA(x86.c_str(), nullptr, 0) > 0) return x86;
      }
  }
  return name;
}

// Replaces one %NAME% reference, the variable's name passed through variable().
std::string ExpandReference(const std::string& path, std::string (*variable)(const std::string&)) {
  // Positions are 1-based; 0 means "none seen".
  size_t open = 0, close = 0, count = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '%') continue;
    ++count;
    (count % 2 == 1 ? open : close) = i + 1;
  }
  if (open < 1 || close <= open) return path;
  std::string name = variable(path.substr(open, close - open - 1));
  std::string value(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return path;  // not set
    // n >= the buffer: it did not fit, and n is the size it needs.
    if (n < value.size()) return path.substr(0, open - 1) + value.substr(0, n) + path.substr(close);
    value.assign(n + 1, '\0');
  }
}

std::string RegistryFolder(TRootKey root, const char* key, const char* value) {
  TRegKey k = TRegistry(root).OpenKeyExisting(key);
  return ExpandEnvironmentReference(k.ReadString(value, ""));
}

// The program files folder of 32-bit programs: the 32-bit view's value,
// or the native one where the system never filled the 32-bit view in; its
// reference expanded as a 32-bit program's environment would.
std::string ProgramFilesFolder() {
  std::string path = TRegistry(rkLocalMachine, rv32).OpenKeyExisting(kCurrentVersion).ReadString("ProgramFilesPath", "");
  if (path.empty()) path = TRegistry(rkLocalMachine).OpenKeyExisting(kCurrentVersion).ReadString("ProgramFilesPath", "");
  return ExpandReference(path, VariableOf32BitPrograms);
}

std::string FolderKey(const std::string& folder) { return UpperCase(IncludeTrailingBackslash(Trim(folder))); }

// The value of a buffer call that answers the size it needs when the
// buffer is too small; a failure raises EOSError naming the folder.
template <class F>
std::string FromBuffer(const char* what, F call) {
  std::string buf(MAX_PATH, '\0');
  for (;;) {
    UINT n = call(buf.data(), static_cast<UINT>(buf.size()));
    if (n == 0) {
      DWORD code = GetLastError();
      throw EOSError(std::string("Cannot find the ") + what + " folder. " + SysErrorMessage(code), code);
    }
    if (n < buf.size()) return buf.substr(0, n);
    buf.assign(n + 1, '\0');
  }
}

}  // namespace

std::string GetSystemFolder(int folder) {
  switch (folder) {
    case sfProgramFiles:
      return ProgramFilesFolder();
    case sfPrograms:
      return RegistryFolder(rkCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                            "Programs");
    case sfWindows:
      return FromBuffer("Windows", [](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
    case sfSystem: {
      std::string wow = System32BitFolder();
      if (!wow.empty()) return wow;
      return FromBuffer("system", [](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
    }
    case sfTemp:
      return FromBuffer("temporary", [](char* b, UINT n) { return static_cast<UINT>(GetTempPathA(n, b)); });
    default:
      return std::string();
  }
}

bool IsWindowsSystemFolder(const std::string& folder) {
  if (Trim(folder).empty()) return false;
  std::string key = FolderKey(folder);
  std::string wow = System32BitFolder();
  if (!wow.empty() && key == FolderKey(wow)) return true;
  return key == FolderKey(GetSystemFolder(sfWindows)) ||
         key == FolderKey(FromBuffer("system", [](char* b, UINT n) { return GetSystemDirectoryA(b, n); }));
}

std::string ExpandEnvironmentReference(const std::string& path) {
  return ExpandReference(path, [](const std::string& name) { return name; });
}
