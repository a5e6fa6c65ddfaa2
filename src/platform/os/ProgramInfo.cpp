#include "platform/os/ProgramInfo.h"

#include "platform/os/WinApi.h"

#include <vector>

#include "platform/base/Exception.h"

std::string ProgramFileName() {
  std::vector<char> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) throw EOSError("GetModuleFileName failed", GetLastError());
    if (n < buf.size()) return std::string(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
}
