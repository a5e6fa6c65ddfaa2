#include "platform/os/LateBound.h"

#include "platform/os/WinApi.h"

#include "platform/base/Exception.h"
#include "platform/os/SysError.h"

namespace ky_late {

TProc Find(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (!module) module = LoadLibraryA(library);
  if (!module) return nullptr;
  return reinterpret_cast<TProc>(GetProcAddress(module, name));
}

TProc Require(const char* library, const char* name) {
  if (TProc f = Find(library, name)) return f;
  DWORD code = GetLastError();
  throw EOSError(std::string("Cannot use ") + name + " of " + library + ". " + SysErrorMessage(code), code);
}

}  // namespace ky_late

TScopedLibrary::TScopedLibrary(const char* library) : name_(library), module_(LoadLibraryA(library)) {}

TScopedLibrary::~TScopedLibrary() {
  if (module_) FreeLibrary(static_cast<HMODULE>(module_));
}

ky_late::TProc TScopedLibrary::Require(const char* name) const {
  if (module_)
    if (FARPROC f = GetProcAddress(static_cast<HMODULE>(module_), name)) return reinterpret_cast<ky_late::TProc>(f);
  DWORD code = GetLastError();
  throw EOSError(std::string("Cannot use ") + name + " of " + name_ + ". " + SysErrorMessage(code), code);
}
