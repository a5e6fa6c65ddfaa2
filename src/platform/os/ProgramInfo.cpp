#include "platform/os/ProgramInfo.h"

#include "platform/os/WinApi.h"

#include <cstdio>
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

std::optional<std::string> FileVersionField(const std::string& fileName, const std::string& field) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(fileName.c_str(), 0, size, data.data())) return std::nullopt;
  struct TTranslation {
    WORD Language, CodePage;
  };
  void* block = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &block, &length) || length < sizeof(TTranslation))
    return std::nullopt;
  const auto* first = static_cast<const TTranslation*>(block);
  char key[64];
  std::snprintf(key, sizeof key, "\\StringFileInfo\\%4.4x%4.4x\\", first->Language, first->CodePage);
  std::string path = key + field;
  char* text = nullptr;
  length = 0;
  if (!VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text)
    return std::nullopt;
  // The length counts the terminating zero when there is one.
  std::string value(text, length);
  size_t end = value.find('\0');
  if (end != std::string::npos) value.resize(end);
  return value;
}

bool GetFileStamp(const std::string& fileName, TFileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &info)) return false;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st)) return false;
  stamp.Year = st.wYear;
  stamp.Month = st.wMonth;
  stamp.Day = st.wDay;
  stamp.Hour = st.wHour;
  stamp.Minute = st.wMinute;
  stamp.Second = st.wSecond;
  stamp.Size = (static_cast<int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return true;
}

bool KeyToggled(int virtualKey) { return (GetKeyState(virtualKey) & 1) != 0; }

bool CodeInLibraryModule() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&CodeInLibraryModule), &self))
    return false;
  return self != GetModuleHandleA(nullptr);
}
