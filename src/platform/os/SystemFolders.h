// The folders the installer places things in, and environment references in
// folder paths taken from the registry.
#pragma once

#include <string>

// The folders are those of 32-bit programs, whichever build asks: on a
// 64-bit Windows the program files and system folders are the 32-bit ones.
enum : int {
  sfProgramFiles = 0,  // "ProgramFilesPath" of the machine's CurrentVersion key (its 32-bit view)
  sfPrograms = 1,      // the user's "Programs" shell folder
  sfWindows = 2,
  sfSystem = 3,        // the system folder 32-bit programs load from
  sfTemp = 4,
};

// The folder for number 0..4 (see above); "" for a missing key or value and
// for any other number. Registry keys are never created here. A folder the
// system cannot tell raises EOSError.
std::string GetSystemFolder(int folder);

// True for the Windows folder and the system folders (the native one and,
// on a 64-bit Windows, the 32-bit one), without regard to case or a final "\".
bool IsWindowsSystemFolder(const std::string& folder);

// Replaces one %NAME% reference: the one closed by the last "%" at an even
// count. When that variable is not set, or there is no such reference,
// the path comes back unchanged.
std::string ExpandEnvironmentReference(const std::string& path);
