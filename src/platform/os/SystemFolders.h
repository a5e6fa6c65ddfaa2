// The folders the installer places things in, and environment references in
// folder paths taken from the registry.
#pragma once

#include <string>

enum : int {
  sfProgramFiles = 0,  // "ProgramFilesPath" of the machine's CurrentVersion key
  sfPrograms = 1,      // the user's "Programs" shell folder
  sfWindows = 2,
  sfSystem = 3,
  sfTemp = 4,
};

// The folder for number 0..4 (see above); "" for a missing key or value and
// for any other number. Registry keys are never created here. A folder the
// system cannot tell raises EOSError.
std::string GetSystemFolder(int folder);

// Replaces one %NAME% reference: the one closed by the last "%" at an even
// count. When that variable is not set, or there is no such reference,
// the path comes back unchanged.
std::string ExpandEnvironmentReference(const std::string& path);
