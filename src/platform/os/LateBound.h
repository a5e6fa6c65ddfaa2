// Functions of system libraries bound on their first use. Libraries a run
// may never need (the shell, the common dialogs, COM) would otherwise be
// loaded, with everything they pull in, before the program's first line.
#pragma once

#include <string>

namespace ky_late {

using TProc = void (*)();

// The function, or nullptr when the library or the function is missing.
// The library stays loaded for the rest of the run.
TProc Find(const char* library, const char* name);

// The function; EOSError naming both when it cannot be had.
TProc Require(const char* library, const char* name);

}  // namespace ky_late

// Typed: LateBound<decltype(&ShellExecuteA)>("shell32.dll", "ShellExecuteA").
template <class F>
F LateBound(const char* library, const char* name) {
  return reinterpret_cast<F>(ky_late::Require(library, name));
}

// A library loaded for a while: what it pulled in leaves with it (the open
// dialog brings the shell, COM and their libraries, 15 MB under Wine).
class TScopedLibrary {
public:
  explicit TScopedLibrary(const char* library);
  ~TScopedLibrary();
  TScopedLibrary(const TScopedLibrary&) = delete;
  TScopedLibrary& operator=(const TScopedLibrary&) = delete;

  // The function; EOSError naming both when it cannot be had.
  template <class F>
  F Get(const char* name) const {
    return reinterpret_cast<F>(Require(name));
  }

private:
  ky_late::TProc Require(const char* name) const;
  std::string name_;
  void* module_ = nullptr;
};
