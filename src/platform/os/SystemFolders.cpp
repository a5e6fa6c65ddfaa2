#include "platform/os/SystemFolders.h"

#include "platform/os/WinApi.h"

#include "platform/base/Exception.h"
#include "platform/os/Registry.h"
#include "platform/os/SysError.h"

namespace {

std::string RegistryFolder(TRootKey root, const char* key, const char* value) {
  TRegKey k = TRegistry(root).OpenKeyExisting(key);
  return ExpandEnvironmentReference(k.ReadString(value, ""));
}

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
      return RegistryFolder(rkLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesPath");
    case sfPrograms:
      return RegistryFolder(rkCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                            "Programs");
    case sfWindows:
      return FromBuffer("Windows", [](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
    case sfSystem:
      return FromBuffer("system", [](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
    case sfTemp:
      return FromBuffer("temporary", [](char* b, UINT n) { return static_cast<UINT>(GetTempPathA(n, b)); });
    default:
      return std::string();
  }
}

std::string ExpandEnvironmentReference(const std::string& path) {
  // Positions are 1-based; 0 means "none seen".
  size_t open = 0, close = 0, count = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '%') continue;
    ++count;
    (count % 2 == 1 ? open : close) = i + 1;
  }
  if (open < 1 || close <= open) return path;
  std::string name = path.substr(open, close - open - 1);
  std::string value(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return path;  // not set
    // n >= the buffer: it did not fit, and n is the size it needs.
    if (n < value.size()) return path.substr(0, open - 1) + value.substr(0, n) + path.substr(close);
    value.assign(n + 1, '\0');
  }
}
