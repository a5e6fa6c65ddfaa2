#include "platform/os/SysError.h"

#include "platform/os/WinApi.h"

#include <cstdio>

std::string SysErrorMessage(unsigned long code) {
  char buf[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                           sizeof buf, nullptr);
  std::string text(buf, n);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

std::string HexCode(unsigned long code) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lX", code);
  return buf;
}
