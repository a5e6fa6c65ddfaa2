// Benchmark reference: copies every file below a folder into another folder
// in 64 KiB ReadFile/WriteFile chunks, creating folders as needed.
// Usage: bench_copy64k SOURCE TARGET
#include <windows.h>  // a plain Win32 program, the reference for the benchmark

#include <cstdio>
#include <string>

namespace {

char buffer[64 * 1024];

bool CopyOne(const std::string& src, const std::string& dst) {
  HANDLE in = CreateFileA(src.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  HANDLE out = CreateFileA(dst.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    CloseHandle(in);
    return false;
  }
  bool ok = true;
  DWORD got = 0;
  while (ok && ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    DWORD put = 0;
    ok = WriteFile(out, buffer, got, &put, nullptr) && put == got;
  }
  CloseHandle(out);
  CloseHandle(in);
  return ok;
}

bool CopyTree(const std::string& src, const std::string& dst) {
  CreateDirectoryA(dst.c_str(), nullptr);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((src + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ok = CopyTree(src + "\\" + name, dst + "\\" + name) && ok;
    else ok = CopyOne(src + "\\" + name, dst + "\\" + name) && ok;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_copy64k SOURCE TARGET\n");
    return 2;
  }
  return CopyTree(argv[1], argv[2]) ? 0 : 1;
}
