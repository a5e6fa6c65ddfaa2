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

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void ClearReadOnly(const std::string& path, DWORD attrs) {
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), attrs & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

void DeleteTreeFrom(const std::string& folder, bool removeThis, std::vector<std::string>& failed) {
  WIN32_FIND_DATAA fd;
  {
    TFind find(folder + "\\*", fd);
    if (find.Found()) {
      do {
        if (IsDots(fd.cFileName)) continue;
        std::string entry = folder + "\\" + fd.cFileName;
        DWORD a = fd.dwFileAttributes;
        ClearReadOnly(entry, a);
        bool isFolder = a & FILE_ATTRIBUTE_DIRECTORY;
        if (isFolder && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
          DeleteTreeFrom(entry, true, failed);
        } else if (isFolder) {
          // A link to a folder elsewhere: only the link goes.
          if (!RemoveDirectoryA(entry.c_str()) && Exists(entry)) failed.push_back(entry);
        } else if (!DeleteFileA(entry.c_str()) && Exists(entry)) {
          failed.push_back(entry);
        }
      } while (find.Next(fd));
    }
  }  // the find handle must be closed before the folder can go
  if (!removeThis) return;
  ClearReadOnly(folder, GetFileAttributesA(folder.c_str()));
  if (!RemoveDirectoryA(folder.c_str()) && Exists(folder)) failed.push_back(folder);
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

bool DeleteFileForce(const std::string& fileName) {
  DWORD a = GetFileAttributesA(fileName.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return true;
  if (a & FILE_ATTRIBUTE_DIRECTORY) return false;
  ClearReadOnly(fileName, a);
  return DeleteFileA(fileName.c_str()) || !Exists(fileName);
}

std::vector<std::string> DeleteTree(const std::string& folder, bool removeRoot) {
  std::vector<std::string> failed;
  std::string root = ExcludeTrailingBackslash(folder);
  if (!Exists(root)) return failed;
  DeleteTreeFrom(root, removeRoot, failed);
  return failed;
}

std::vector<std::string> DeleteFilesInFolder(const std::string& folder, const std::string& mask) {
  std::vector<std::string> names, failed;
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
  for (const std::string& name : names) {
    std::string path = folder + "\\" + name;
    if (!DeleteFileA(path.c_str()) && Exists(path)) failed.push_back(path);
  }
  return failed;
}

void RemoveEmptyFolder(const std::string& path) {
  std::string p = path;
  while (RemoveDirectoryA(p.c_str())) {
    size_t slash = p.rfind('\\');
    p = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
  }
}

void MoveFileReplace(const std::string& src, const std::string& dst) {
  if (!MoveFileExA(src.c_str(), dst.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DWORD code = GetLastError();
    throw EOSError("Cannot move \"" + src + "\" to \"" + dst + "\". " + SysErrorMessage(code), code);
  }
}

std::string CreateUniqueFile(const std::string& folder, const char* prefix) {
  char buf[MAX_PATH];
  if (!GetTempFileNameA(ExcludeTrailingBackslash(folder).c_str(), prefix, 0, buf)) {
    DWORD code = GetLastError();
    throw EOSError("Cannot create a file in \"" + folder + "\". " + SysErrorMessage(code), code);
  }
  return buf;
}

bool SameFilePath(const std::string& a, const std::string& b) {
  auto full = [](const std::string& p) {
    DWORD n = GetFullPathNameA(p.c_str(), 0, nullptr, nullptr);
    if (n == 0) return p;
    std::string out(n, '\0');
    n = GetFullPathNameA(p.c_str(), n, out.data(), nullptr);
    out.resize(n);
    return out;
  };
  return lstrcmpiA(full(a).c_str(), full(b).c_str()) == 0;
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

bool IsLocalDrivePath(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return false;
  const std::string root = path.substr(0, 2) + "\\";
  const UINT type = GetDriveTypeA(root.c_str());
  return type == DRIVE_FIXED || type == DRIVE_REMOVABLE || type == DRIVE_RAMDISK || type == DRIVE_CDROM;
}

std::vector<TFolderEntry> ListFolder(const std::string& folder) {
  std::vector<TFolderEntry> entries;
  WIN32_FIND_DATAA fd;
  TFind find(ExcludeTrailingBackslash(folder) + "\\*", fd);
  if (!find.Found()) return entries;
  do {
    if (IsDots(fd.cFileName)) continue;
    const DWORD a = fd.dwFileAttributes;
    entries.push_back(
        {fd.cFileName, (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT), a == FILE_ATTRIBUTE_ARCHIVE});
  } while (find.Next(fd));
  return entries;
}

bool RemoveFolder(const std::string& folder) {
  const std::string dir = ExcludeTrailingBackslash(folder);
  ClearReadOnly(dir, GetFileAttributesA(dir.c_str()));
  return RemoveDirectoryA(dir.c_str()) || !Exists(dir);
}

void MoveEntry(const std::string& src, const std::string& dst) {
  if (!MoveFileExA(src.c_str(), dst.c_str(), 0)) {
    DWORD code = GetLastError();
    throw EOSError("Cannot move \"" + src + "\" to \"" + dst + "\". " + SysErrorMessage(code), code);
  }
}
