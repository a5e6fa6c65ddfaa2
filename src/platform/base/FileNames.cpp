#include "platform/base/FileNames.h"

namespace {

size_t LastDelimiter(const std::string& s) { return s.find_last_of("\\:"); }

}  // namespace

std::string ExtractFilePath(const std::string& fileName) {
  size_t p = LastDelimiter(fileName);
  return p == std::string::npos ? std::string() : fileName.substr(0, p + 1);
}

std::string ExtractFileDir(const std::string& fileName) {
  std::string dir = ExtractFilePath(fileName);
  // "C:\" and "\" keep their backslash: without it they name something else.
  if (dir.size() > 1 && dir.back() == '\\' && dir[dir.size() - 2] != ':' && dir[dir.size() - 2] != '\\')
    dir.pop_back();
  return dir;
}

std::string ExtractFileName(const std::string& fileName) {
  size_t p = LastDelimiter(fileName);
  return p == std::string::npos ? fileName : fileName.substr(p + 1);
}

std::string ExtractFileExt(const std::string& fileName) {
  size_t p = fileName.find_last_of("\\:.");
  if (p == std::string::npos || fileName[p] != '.') return std::string();
  return fileName.substr(p);
}

std::string IncludeTrailingBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + '\\';
}

std::string ExcludeTrailingBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}
