#include "platform/os/FileOps.h"

#include "platform/os/WinApi.h"

#include <vector>

#include "platform/base/Exception.h"
#include "platform/os/Handles.h"
#include "platform/os/SysError.h"

namespace {

// A find over a pattern; Found() tells whether the first entry was there.
class TFind {
public:
  TFind(const std::string& pattern, WIN32_FIND_DATAA& data) : h_(FindFirstFileA(pattern.c_str(), &data)) {}
  bool Found() const { return h_.Valid(); }
  bool Next(WIN32_FIND_DATAA& data) { return FindNextFileA(h_.Get(), &data) != 0; }

private:
  TFindHandle h_;
};

bool IsDots(const char* name) { return std::string(name) == "." || std::string(name) == ".."; }

void DeleteTreeFrom(const std::string& folder, bool removeThis) {
  WIN32_FIND_DATAA fd;
  {
    TFind find(folder + "\\*", fd);
    if (find.Found()) {
      do {
        if (IsDots(fd.cFileName)) continue;
        std::string entry = folder + "\\" + fd.cFileName;
        if (fd.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY)
          DeleteTreeFrom(entry, true);
        else
          DeleteFileA(entry.c_str());
      } while (find.Next(fd));
    }
  }  // the find handle must be closed before the folder can go
  if (removeThis) RemoveDirectoryA(folder.c_str());
}

}  // namespace

bool FileExists(const std::string& fileName) {
  DWORD a = GetFileAttributesA(fileName.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& folder) {
  DWORD a = GetFileAttributesA(folder.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void DeleteTree(const std::string& folder, bool removeRoot) { DeleteTreeFrom(folder, removeRoot); }

void DeleteFilesInFolder(const std::string& folder, const std::string& mask) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  {
    TFind find(folder + "\\" + mask, fd);
    if (find.Found()) {
      do {
        if (IsDots(fd.cFileName) || fd.cFileName[0] == '_') continue;
        if (fd.dwFileAttributes == FILE_ATTRIBUTE_ARCHIVE) names.emplace_back(fd.cFileName);
      } while (find.Next(fd));
    }
  }
  for (const std::string& name : names) DeleteFileA((folder + "\\" + name).c_str());
}

void RemoveEmptyFolder(const std::string& path) {
  std::string p = path;
  while (RemoveDirectoryA(p.c_str())) {
    size_t slash = p.rfind('\\');
    p = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
  }
}

void CopyFileReplace(const std::string& src, const std::string& dst) {
  if (!CopyFileA(src.c_str(), dst.c_str(), FALSE)) {
    DWORD code = GetLastError();
    throw EOSError("Cannot copy \"" + src + "\" to \"" + dst + "\". " + SysErrorMessage(code), code);
  }
}

void ForceDirectories(const std::string& folder) {
  std::string dir = ExcludeTrailingBackslash(folder);
  if (dir.empty() || DirectoryExists(dir)) return;
  std::string parent = ExtractFileDir(dir);
  // Stop at a drive ("C:") or a root that cannot be created.
  if (!parent.empty() && parent != dir && dir.back() != ':') ForceDirectories(parent);
  if (!CreateDirectoryA(dir.c_str(), nullptr)) {
    DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS && DirectoryExists(dir)) return;
    throw EOSError("Cannot create folder \"" + dir + "\". " + SysErrorMessage(code), code);
  }
}
