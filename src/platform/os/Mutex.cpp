#include "platform/os/Mutex.h"

#include "platform/os/WinApi.h"

#include "platform/base/Exception.h"
#include "platform/os/SysError.h"

TNamedMutex::TNamedMutex(const std::string& name) {
  HANDLE h = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str());
  if (h) {
    existed_ = true;
  } else if (GetLastError() == ERROR_ACCESS_DENIED) {
    // Another user's copy holds it: it runs all the same.
    existed_ = true;
    return;
  } else {
    h = CreateMutexA(nullptr, FALSE, name.c_str());
    if (!h) {
      DWORD code = GetLastError();
      if (code == ERROR_ACCESS_DENIED) {
        existed_ = true;
        return;
      }
      throw EOSError("Cannot create mutex \"" + name + "\". " + SysErrorMessage(code), code);
    }
    // Another process may have created it between the two calls.
    existed_ = GetLastError() == ERROR_ALREADY_EXISTS;
  }
  handle_.Reset(h);
}
