// A fresh, empty temporary folder for one test, removed with everything in
// it (read-only entries included) when the object goes.
#pragma once

#include "platform/os/WinApi.h"

#include <stdexcept>
#include <string>

namespace ky_test {

class TempDir {
public:
  TempDir() {
    char base[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, base);
    if (n == 0 || n >= MAX_PATH) throw std::runtime_error("GetTempPathA failed");
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string path = std::string(base) + "kytest-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
      if (CreateDirectoryA(path.c_str(), nullptr)) {
        path_ = path;
        return;
      }
    }
    throw std::runtime_error("cannot create a temporary folder");
  }

  ~TempDir() { Remove(path_); }

  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Without a trailing backslash.
  const std::string& Path() const { return path_; }
  // Path of an entry inside: Path() + "\" + relative.
  std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

  // Creates a file with the given bytes; relative folders must exist.
  std::string WriteFile(const std::string& relative, const std::string& data = "x") const {
    std::string path = *this / relative;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != data.size()) throw std::runtime_error("cannot write " + path);
    return path;
  }

  // Reads a whole file; throws when it cannot be opened.
  std::string ReadFile(const std::string& relative) const {
    std::string path = *this / relative;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    std::string data;
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    CloseHandle(h);
    return data;
  }

  std::string MakeDir(const std::string& relative) const {
    std::string path = *this / relative;
    if (!CreateDirectoryA(path.c_str(), nullptr)) throw std::runtime_error("cannot create folder " + path);
    return path;
  }

  bool Exists(const std::string& relative) const {
    return GetFileAttributesA((*this / relative).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

private:
  static void Remove(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        std::string entry = path + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Remove(entry);
        } else {
          SetFileAttributesA(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(entry.c_str());
        }
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
  }

  std::string path_;
};

}  // namespace ky_test
