#include "platform/os/WinFile.h"

#include "platform/os/WinApi.h"

#include "platform/base/Exception.h"
#include "platform/os/SysError.h"

TWinFileStream::TWinFileStream(const std::string& fileName, TWinFileMode mode) : fileName_(fileName) {
  const DWORD access = mode == wfmRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  const DWORD disposition = mode == wfmRead ? OPEN_EXISTING : mode == wfmCreate ? CREATE_ALWAYS : CREATE_NEW;
  HANDLE h = CreateFileA(fileName.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    handle_ = h;
    return;
  }
  const DWORD code = GetLastError();
  if (mode == wfmCreateNew && (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)) return;
  if (mode == wfmRead) throw EFOpenError("Cannot open file \"" + fileName + "\". " + SysErrorMessage(code));
  throw EFCreateError("Cannot create file \"" + fileName + "\". " + SysErrorMessage(code));
}

TWinFileStream::~TWinFileStream() {
  if (handle_) CloseHandle(handle_);
}

void TWinFileStream::Close() {
  if (!handle_) return;
  HANDLE h = handle_;
  handle_ = nullptr;
  if (!CloseHandle(h)) {
    lastError_ = GetLastError();
    throw EWriteError("Stream write error: " + fileName_ + " (" + SysErrorMessage(lastError_) + ")");
  }
}

std::string TWinFileStream::ErrorDetail(bool writing) const {
  std::string reason = !handle_ ? "the file is closed"
                       : lastError_ ? SysErrorMessage(lastError_)
                       : writing    ? "unknown reason"
                                    : "the file ends early";
  return ": " + fileName_ + " (" + reason + ")";
}

int32_t TWinFileStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || !handle_) return 0;
  DWORD done = 0;
  lastError_ = ReadFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr) ? 0 : GetLastError();
  return static_cast<int32_t>(done);
}

int32_t TWinFileStream::Write(const void* buffer, int32_t count) {
  if (count <= 0 || !handle_) return 0;
  DWORD done = 0;
  lastError_ = WriteFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr) ? 0 : GetLastError();
  // A short write without an error code is the disk filling up.
  if (!lastError_ && done < static_cast<DWORD>(count)) lastError_ = ERROR_DISK_FULL;
  return static_cast<int32_t>(done);
}

int64_t TWinFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  if (!handle_) throw EStreamError("Stream seek error" + ErrorDetail(false));
  LARGE_INTEGER to, at;
  to.QuadPart = offset;
  const DWORD method = origin == soBeginning ? FILE_BEGIN : origin == soCurrent ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(handle_, to, &at, method)) throw EStreamError("Stream seek error");
  return at.QuadPart;
}

int64_t TWinFileStream::Size() {
  LARGE_INTEGER size;
  if (!handle_ || !GetFileSizeEx(handle_, &size)) return 0;
  return size.QuadPart;
}
