#include "setup/Environments.h"

#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "setup/InstallerMessages.h"
#include "platform/base/FileNames.h"
#include "platform/base/SysUtils.h"
#include "platform/os/FileOps.h"
#include "platform/os/Processes.h"

namespace {

const TEnvironment kEnvironments[kEnvironmentCount] = {
    {"D3", "EdDelphi3", "Borland Delphi3", "SoftWare\\Borland\\Delphi\\3.0", "Help\\Delphi3.cnt",
     "$(DELPHI)\\Bin\\", 0, 5, 9},
    {"D4", "EdDelphi4", "Borland Delphi4", "SoftWare\\Borland\\Delphi\\4.0", "Help\\Delphi4.cnt",
     "$(DELPHI)\\Bin\\", 1, 6, 11},
    {"D5", "EdDelphi5", "Borland Delphi5", "SoftWare\\Borland\\Delphi\\5.0", "Help\\Delphi5.cnt",
     "$(DELPHI)\\Bin\\", 2, 7, 22},
    {"D6", "EdDelphi6", "Borland Delphi6", "SoftWare\\Borland\\Delphi\\6.0", "Help\\Delphi6.cnt",
     "$(DELPHI)\\Bin\\", 8, 9, 24},
    {"C3", "EdCBuilder3", "Borland C++Builder3", "SoftWare\\Borland\\C++Builder\\3.0", "Help\\bcb3.cnt",
     "$(BCB)\\Bin\\", 10, 14, 25},
    {"C4", "EdCBuilder4", "Borland C++Builder4", "SoftWare\\Borland\\C++Builder\\4.0", "Help\\bcb4.cnt",
     "$(BCB)\\Bin\\", 11, 15, 26},
    {"C5", "EdCBuilder5", "Borland C++Builder5", "SoftWare\\Borland\\C++Builder\\5.0", "Help\\bcb5.cnt",
     "$(BCB)\\Bin\\", 12, 16, 27},
    {"C6", "EdCBuilder6", "Borland C++Builder6", "SoftWare\\Borland\\C++Builder\\6.0", "Help\\bcb6.cnt",
     "$(BCB)\\Bin\\", 13, 17, 28},
};

}  // namespace

const TEnvironment& Environment(int index) { return kEnvironments[index]; }

int EnvironmentIndex(const std::string& tag) {
  for (int i = 0; i < kEnvironmentCount; ++i)
    if (SameText(tag, kEnvironments[i].Tag)) return i;
  return -1;
}

void DetectEnvironments(TSetupState& state) {
  // The environments are 32-bit programs: their machine keys are in the 32-bit view.
  TRegistry machine(rkLocalMachine, rv32);
  for (int i = 0; i < kEnvironmentCount; ++i) {
    const char* key = kEnvironments[i].Key;
    const bool installed = machine.KeyExists(key);
    state.EnvironmentEnabled[i] = installed && state.Registry.KeyExists(key);
    state.EnvironmentNeverStarted[i] = installed && !state.EnvironmentEnabled[i];
    state.RootDir[i] = state.EnvironmentEnabled[i] ? machine.ReadString(key, "RootDir", "") : "";
  }
}

std::string EnvironmentRoot(const TSetupState& state, int index) {
  // An empty RootDir would put files at the root of the current drive.
  if (Trim(state.RootDir[index]).empty())
    RaiseMessageFmt("", kIdioma, msgEnvironmentFolderUnknown, {std::string(kEnvironments[index].Caption)});
  return IncludeTrailingBackslash(state.RootDir[index]);
}

std::string KnownPackagesKey(int index) { return std::string(kEnvironments[index].Key) + "\\Known Packages"; }

void RegisterPackage(TSetupState& state, int index, const std::string& packagePath, const std::string& productName,
                     const std::string& qualifier, int major, int minor, int release) {
  std::string description = "Library " + productName + " " + qualifier + " " +
                            Format("(%d.%d.%d)", {int64_t{major}, int64_t{minor}, int64_t{release}});
  state.Registry.WriteString(KnownPackagesKey(index), packagePath, description);
}

void UnregisterPackage(TSetupState& state, int index, const std::string& packagePath, const std::string& fileName) {
  state.Registry.DeleteValue(KnownPackagesKey(index), packagePath);
  state.Registry.DeleteValue(KnownPackagesKey(index), kEnvironments[index].PackageMacro + fileName);
}

std::string IdeProgram(const TSetupState& state, int index) {
  if (Trim(state.RootDir[index]).empty()) return "";
  const char* program = kEnvironments[index].Tag[0] == 'D' ? "delphi32.exe" : "bcb.exe";
  return IncludeTrailingBackslash(state.RootDir[index]) + "Bin\\" + program;
}

namespace {

// A running IDE of this environment: its program's path, or "".
std::string RunningIde(const TSetupState& state, int index) {
  const std::string program = IdeProgram(state, index);
  if (program.empty()) return "";
  for (const std::string& path : RunningProgramPaths(ExtractFileName(program)))
    if (SameFilePath(path, program)) return path;
  return "";
}

std::vector<std::string> Obstacles(const TSetupState& state, const std::vector<int>& environments, bool running) {
  std::vector<std::string> out;
  for (int env : environments) {
    const std::string caption = kEnvironments[env].Caption;
    if (state.EnvironmentNeverStarted[env]) {
      out.push_back(Format(MessageText(kIdioma, msgIdeNeverStarted), {caption}));
    } else if (running) {
      const std::string path = RunningIde(state, env);
      if (!path.empty()) out.push_back(Format(MessageText(kIdioma, msgIdeRunning), {caption, path}));
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> EnvironmentObstacles(const TSetupState& state, const std::vector<int>& environments) {
  return Obstacles(state, environments, true);
}

void RequireEnvironmentsFree(const TSetupState& state, const std::vector<int>& environments) {
  const std::vector<std::string> found = Obstacles(state, environments, !state.IgnoreRunningIdes);
  if (!found.empty()) RaiseError("", found.front());
}
