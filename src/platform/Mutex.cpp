#include "platform/Mutex.h"

#include <windows.h>

#include "platform/Exception.h"
#include "platform/SysError.h"

TNamedMutex::TNamedMutex(const std::string& name) {
  HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
  if (h) {
    existed_ = true;
  } else {
    h = CreateMutexA(nullptr, FALSE, name.c_str());
    if (!h) {
      DWORD code = GetLastError();
      throw EOSError("Cannot create mutex \"" + name + "\". " + SysErrorMessage(code), code);
    }
    // Another process may have created it between the two calls.
    existed_ = GetLastError() == ERROR_ALREADY_EXISTS;
  }
  handle_ = h;
}

TNamedMutex::~TNamedMutex() {
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
}
