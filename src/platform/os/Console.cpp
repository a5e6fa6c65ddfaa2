#include "platform/os/Console.h"

#include "platform/os/WinApi.h"

TErrorOutput::TErrorOutput() : handle_(GetStdHandle(STD_ERROR_HANDLE)) {
  DWORD mode;
  console_ = handle_ && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
}

void TErrorOutput::Write(const std::string& text) const {
  if (!handle_ || handle_ == INVALID_HANDLE_VALUE || text.empty()) return;
  DWORD written;
  if (console_) WriteConsoleA(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  else WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
