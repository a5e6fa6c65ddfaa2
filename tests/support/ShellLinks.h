// Reads a saved shell link back through the shell, independently of the
// code that wrote it. Needs COM on the calling thread.
#pragma once

#include "platform/os/WinApi.h"
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>

namespace ky_test {

struct LinkFields {
  bool loaded = false;
  std::string path, workingDir, arguments, description;
};

inline LinkFields LoadLink(const std::string& linkFile) {
  LinkFields f;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return f;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      f.loaded = true;
      char buf[MAX_PATH * 2];
      if (SUCCEEDED(link->GetPath(buf, sizeof buf, nullptr, SLGP_RAWPATH))) f.path = buf;
      if (SUCCEEDED(link->GetWorkingDirectory(buf, sizeof buf))) f.workingDir = buf;
      if (SUCCEEDED(link->GetArguments(buf, sizeof buf))) f.arguments = buf;
      if (SUCCEEDED(link->GetDescription(buf, sizeof buf))) f.description = buf;
    }
    file->Release();
  }
  link->Release();
  return f;
}

}  // namespace ky_test
