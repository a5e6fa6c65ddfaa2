#include "platform/os/Wow64.h"

#include "platform/os/WinApi.h"

#include "platform/os/LateBound.h"

namespace {

// Bound late: neither call exists on every Windows the program starts on.
std::string Wow64Folder() {
  using TGetWow64Dir = UINT(WINAPI*)(LPSTR, UINT);
  auto get = reinterpret_cast<TGetWow64Dir>(ky_late::Find("kernel32.dll", "GetSystemWow64DirectoryA"));
  if (!get) return std::string();
  std::string buf(MAX_PATH, '\0');
  for (;;) {
    UINT n = get(buf.data(), static_cast<UINT>(buf.size()));
    if (n == 0) return std::string();  // a 32-bit Windows answers "not implemented"
    if (n < buf.size()) return buf.substr(0, n);
    buf.assign(n + 1, '\0');
  }
}

bool RunsUnderWow64() {
  using TIsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
  auto is = reinterpret_cast<TIsWow64>(ky_late::Find("kernel32.dll", "IsWow64Process"));
  BOOL wow = FALSE;
  return is && is(GetCurrentProcess(), &wow) && wow;
}

}  // namespace

bool SystemHas32BitView() {
  // A 64-bit process is on a 64-bit Windows; it has a 32-bit world only
  // where WOW64 is installed.
  static const bool has = sizeof(void*) == 8 ? !Wow64Folder().empty() : RunsUnderWow64();
  return has;
}

std::string System32BitFolder() { return SystemHas32BitView() ? Wow64Folder() : std::string(); }
