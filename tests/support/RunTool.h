// Runs one of the build's console programs from a test and captures what it
// prints. The build passes the program's Linux path in an environment variable.
#pragma once

#include <cstdio>

#include "platform/os/WinApi.h"
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace ky_test {

// Linux paths reach the Windows side through drive Z:.
inline std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

inline std::string ToolFromEnv(const char* variable) {
  const char* p = std::getenv(variable);
  if (!p || !*p) throw std::runtime_error(std::string(variable) + " is not set");
  return WindowsPath(p);
}

struct ToolResult {
  int exitCode = -1;
  std::string output;  // standard output and error together, CRs dropped
};

// Runs "exe args" with standard output and error into one pipe. Reading
// stops when the program has ended and the pipe is empty: a process it
// started (Wine's desktop, for the first program with a window) may keep
// the pipe open long after.
inline ToolResult RunTool(const std::string& exe, const std::string& args) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) throw std::runtime_error("cannot make a pipe");
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  std::string cmd = "\"" + exe + "\" " + args;
  PROCESS_INFORMATION pi{};
  BOOL started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    throw std::runtime_error("cannot start " + exe);
  }
  ToolResult r;
  auto drain = [&] {
    DWORD avail = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &avail, nullptr) && avail > 0) {
      char buf[4096];
      DWORD got = 0;
      if (!ReadFile(readEnd, buf, avail < sizeof buf ? avail : sizeof buf, &got, nullptr) || got == 0) break;
      for (DWORD i = 0; i < got; ++i)
        if (buf[i] != '\r') r.output += buf[i];
    }
  };
  // The pipe's buffer must not fill while the program waits to write.
  while (WaitForSingleObject(pi.hProcess, 10) == WAIT_TIMEOUT) drain();
  drain();
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  r.exitCode = static_cast<int>(code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(readEnd);
  return r;
}

}  // namespace ky_test
