#include "platform/os/Processes.h"

#include "platform/os/WinApi.h"

#include <tlhelp32.h>

#include "platform/base/SysUtils.h"
#include "platform/os/LateBound.h"

namespace {

using TQueryImageName = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

// Bound late: older systems lack it, and then only the name is known.
TQueryImageName QueryImageName() {
  static const auto query = reinterpret_cast<TQueryImageName>(ky_late::Find("kernel32.dll", "QueryFullProcessImageNameA"));
  return query;
}

std::string ImagePath(DWORD pid) {
  TQueryImageName query = QueryImageName();
  if (!query) return "";
  HANDLE h = OpenProcess(0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */, FALSE, pid);
  if (!h) return "";
  char path[MAX_PATH * 4];
  DWORD size = sizeof(path);
  std::string out;
  if (query(h, 0, path, &size)) out.assign(path, size);
  CloseHandle(h);
  return out;
}

}  // namespace

std::vector<std::string> RunningProgramPaths(const std::string& fileName) {
  std::vector<std::string> paths;
  // The snapshot's names are cheap; the full path is asked only of a match.
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return paths;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL ok = Process32First(snap, &entry); ok; ok = Process32Next(snap, &entry)) {
    std::string name = entry.szExeFile;
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    if (!SameText(name, fileName)) continue;
    std::string path = ImagePath(entry.th32ProcessID);
    if (!path.empty()) paths.push_back(path);
  }
  CloseHandle(snap);
  return paths;
}
