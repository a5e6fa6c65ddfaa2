#include "platform/os/SystemFolders.h"

#include "platform/os/WinApi.h"

#include "platform/os/Registry.h"

namespace {

std::string RegistryFolder(TRootKey root, const char* key, const char* value) {
  TRegKey k = TRegistry(root).OpenKeyExisting(key);
  return ExpandEnvironmentReference(k.ReadString(value, ""));
}

// The value of a 260-character buffer call; "" when it fails or does not fit.
template <class F>
std::string FromBuffer(F call) {
  char buf[MAX_PATH];
  UINT n = call(buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(buf, n) : std::string();
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
      return FromBuffer([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
    case sfSystem:
      return FromBuffer([](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
    case sfTemp:
      return FromBuffer([](char* b, UINT n) { return static_cast<UINT>(GetTempPathA(n, b)); });
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
  char value[MAX_PATH];
  DWORD n = GetEnvironmentVariableA(name.c_str(), value, MAX_PATH);
  // 0: not set; n >= the buffer: did not fit and nothing was copied.
  if (n == 0 || n >= MAX_PATH) return path;
  return path.substr(0, open - 1) + std::string(value, n) + path.substr(close);
}
