// Test isolation for the registry: while a sandbox lives, HKEY_CURRENT_USER
// and HKEY_LOCAL_MACHINE of this process point at two fresh scratch keys, so
// code under test uses its fixed key names unchanged and touches nothing real.
// Use one sandbox at a time per process (the overrides are process-wide).
#pragma once

#include "platform/os/WinApi.h"
#include <sddl.h>

#include <stdexcept>
#include <string>

namespace ky_test {

class RegistrySandbox {
public:
  // Scratch keys live in the real HKCU below this key.
  static constexpr const char* kParent = "Software\\KySetupTests";

  RegistrySandbox() {
    static unsigned counter = 0;
    name_ = std::string(kParent) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
    // Both scratch keys are opened before any override: once HKCU is
    // redirected, a path below it would land inside the sandbox itself.
    user_ = Create(name_ + "\\CurrentUser");
    machine_ = Create(name_ + "\\LocalMachine");
    Check(RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_), "RegOverridePredefKey(HKLM)");
    Check(RegOverridePredefKey(HKEY_CURRENT_USER, user_), "RegOverridePredefKey(HKCU)");
  }

  ~RegistrySandbox() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    if (user_) RegCloseKey(user_);
    if (machine_) RegCloseKey(machine_);
    DeleteTree(HKEY_CURRENT_USER, name_);
    // Succeeds only once no other sandbox is left below it.
    RegDeleteKeyA(HKEY_CURRENT_USER, kParent);
  }

  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  // Path of the sandbox below the real HKCU (for outside checks).
  const std::string& Name() const { return name_; }

  // Deletes a key with everything below it; true when it is gone.
  static bool DeleteTree(HKEY parent, const std::string& path) {
    // Enumerating needs only read access, so keys a test locked to
    // read-only still go.
    HKEY key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      char name[256];
      for (;;) {
        DWORD len = sizeof name;
        // Always index 0: the previous one has just been deleted.
        if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!DeleteTree(key, name)) break;
      }
      RegCloseKey(key);
    }
    return RegDeleteKeyA(parent, path.c_str()) == ERROR_SUCCESS;
  }

private:
  static void Check(LONG rc, const char* what) {
    if (rc != ERROR_SUCCESS) throw std::runtime_error(std::string(what) + " failed: " + std::to_string(rc));
  }

  static HKEY Create(const std::string& path) {
    HKEY key = nullptr;
    Check(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr),
          "RegCreateKeyExA(sandbox)");
    return key;
  }

  std::string name_;
  HKEY user_ = nullptr;
  HKEY machine_ = nullptr;
};

// Lets everyone read the key (created when missing) and nobody write it, as
// keys of the local machine look to a user without rights.
inline bool MakeKeyReadOnly(HKEY root, const std::string& path) {
  HKEY key;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  PSECURITY_DESCRIPTOR sd = nullptr;
  bool ok = ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1, &sd, nullptr) &&
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
  if (sd) LocalFree(sd);
  RegCloseKey(key);
  return ok;
}

}  // namespace ky_test
