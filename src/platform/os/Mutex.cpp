#include "platform/os/Mutex.h"

#include "platform/os/WinApi.h"

#include "platform/base/Exception.h"
#include "platform/os/SysError.h"

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
  handle_.Reset(h);
}
