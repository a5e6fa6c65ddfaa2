// Runs one of the build's console programs from a test and captures what it
// prints. The build passes the program's Linux path in an environment variable.
#pragma once

#include <cstdio>
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

// Runs "exe args" through the command interpreter, standard error joined to output.
inline ToolResult RunTool(const std::string& exe, const std::string& args) {
  std::string cmd = "\"\"" + exe + "\" " + args + " 2>&1\"";
  ToolResult r;
  FILE* pipe = _popen(cmd.c_str(), "rb");
  if (!pipe) throw std::runtime_error("cannot start " + exe);
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
    for (size_t i = 0; i < n; ++i)
      if (buf[i] != '\r') r.output += buf[i];
  r.exitCode = _pclose(pipe);
  return r;
}

}  // namespace ky_test
