#include "platform/os/Shortcuts.h"

#include "platform/os/WinApi.h"
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "platform/base/Exception.h"
#include "platform/base/Stream.h"
#include "platform/os/LateBound.h"
#include "platform/os/SysError.h"

namespace {

// Releases a COM interface on every way out.
template <class T>
class TComRef {
public:
  TComRef() = default;
  ~TComRef() {
    if (p_) p_->Release();
  }
  TComRef(const TComRef&) = delete;
  TComRef& operator=(const TComRef&) = delete;
  T* operator->() const { return p_; }
  void** Out() { return reinterpret_cast<void**>(&p_); }

private:
  T* p_ = nullptr;
};

void Check(HRESULT hr, const char* call, const std::string& linkFile) {
  if (FAILED(hr))
    throw EOSError("Cannot create shortcut \"" + linkFile + "\": " + call + " failed with " +
                       HexCode(static_cast<unsigned long>(hr)),
                   static_cast<unsigned long>(hr));
}

std::wstring Wide(const std::string& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> buf(n > 0 ? n : 1);
  MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, buf.data(), static_cast<int>(buf.size()));
  return std::wstring(buf.data());
}

// COM is bound with its first use, not at program start: most runs of a
// command-line program make no shell link.
struct TOle32 {
  decltype(&CoInitialize) Initialize = nullptr;
  decltype(&CoUninitialize) Uninitialize = nullptr;
  decltype(&CoCreateInstance) CreateInstance = nullptr;
};

const TOle32& Ole32() {
  static const TOle32 ole{LateBound<decltype(&CoInitialize)>("ole32.dll", "CoInitialize"),
                          LateBound<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize"),
                          LateBound<decltype(&CoCreateInstance)>("ole32.dll", "CoCreateInstance")};
  return ole;
}

}  // namespace

TComInit::TComInit() {
  HRESULT hr = Ole32().Initialize(nullptr);
  if (SUCCEEDED(hr)) {
    initialised_ = true;  // S_FALSE too: every success needs its CoUninitialize
  } else if (hr != RPC_E_CHANGED_MODE) {
    // RPC_E_CHANGED_MODE: already initialised multi-threaded, which serves as well.
    throw EOSError("Cannot initialise COM: " + HexCode(static_cast<unsigned long>(hr)),
                   static_cast<unsigned long>(hr));
  }
}

TComInit::~TComInit() {
  if (initialised_) Ole32().Uninitialize();
}

void WriteInternetShortcut(const std::string& fileName, const std::string& address) {
  std::string text = "[InternetShortcut]\r\nURL=" + address + "\r\n";
  TFileStream f(fileName, fmCreate);
  f.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
  f.Close();
}

void CreateShellLink(const std::string& linkFile, const std::string& target, const std::string& workingFolder) {
  TComRef<IShellLinkA> link;
  Check(Ole32().CreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Out()),
        "CoCreateInstance(ShellLink)", linkFile);
  Check(link->SetPath(target.c_str()), "IShellLinkA::SetPath", linkFile);
  Check(link->SetArguments(""), "IShellLinkA::SetArguments", linkFile);
  Check(link->SetWorkingDirectory(workingFolder.c_str()), "IShellLinkA::SetWorkingDirectory", linkFile);
  Check(link->SetDescription(""), "IShellLinkA::SetDescription", linkFile);
  TComRef<IPersistFile> file;
  Check(link->QueryInterface(IID_IPersistFile, file.Out()), "QueryInterface(IPersistFile)", linkFile);
  Check(file->Save(Wide(linkFile).c_str(), TRUE), "IPersistFile::Save", linkFile);
}

bool ShellOpen(const std::string& target, HWND parent) {
  static const auto shellExecute = LateBound<decltype(&ShellExecuteA)>("shell32.dll", "ShellExecuteA");
  auto result = reinterpret_cast<intptr_t>(shellExecute(parent, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}
