// The eight development environments products are installed for: how each
// is detected, its folders, package registration and help contents.
#pragma once

#include <string>
#include <vector>

#include "setup/SetupState.h"

struct TEnvironment {
  const char* Tag;           // "D3" .. "C6"
  const char* Check;         // the tick's control name
  const char* Caption;       // "Borland Delphi3"
  const char* Key;           // "SoftWare\Borland\Delphi\3.0"
  const char* HelpContents;  // below RootDir: "Help\Delphi3.cnt"
  const char* PackageMacro;  // "$(DELPHI)\Bin\"
  int LibraryKind;
  int HelpKind;
  int MissingMessage;        // "Idioma" message when a product needs it and it is missing
};

// D3, D4, D5, D6, C3, C4, C5, C6.
const TEnvironment& Environment(int index);
// Index of a tag (without regard to case), -1 when unknown.
int EnvironmentIndex(const std::string& tag);

// Enables the environments whose key exists below HKEY_LOCAL_MACHINE and also
// below HKEY_CURRENT_USER, and reads their "RootDir" from the machine's key.
void DetectEnvironments(TSetupState& state);

// RootDir of an environment with a final "\"; raises when it is empty.
std::string EnvironmentRoot(const TSetupState& state, int index);
// The key below HKEY_CURRENT_USER that lists its design-time packages.
std::string KnownPackagesKey(int index);

// Registers a design-time package installed at packagePath.
void RegisterPackage(TSetupState& state, int index, const std::string& packagePath, const std::string& productName,
                     const std::string& qualifier, int major, int minor, int release);
// Deletes the registration under the full path and under the macro form of
// the name, which the environment may have rewritten it to.
void UnregisterPackage(TSetupState& state, int index, const std::string& packagePath, const std::string& fileName);

// The IDE program of a detected environment: RootDir + "Bin\delphi32.exe"
// or "Bin\bcb.exe"; "" when its RootDir is not known.
std::string IdeProgram(const TSetupState& state, int index);
// Why the environments a run would touch must not be touched now, as
// "Idioma" texts: an IDE of theirs running, or one never started by this
// user. Empty when the run may go ahead.
std::vector<std::string> EnvironmentObstacles(const TSetupState& state, const std::vector<int>& environments);
// Raises the first obstacle; a running IDE only unless IgnoreRunningIdes.
void RequireEnvironmentsFree(const TSetupState& state, const std::vector<int>& environments);
