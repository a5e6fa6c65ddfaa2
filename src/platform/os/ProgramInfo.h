// Facts about the running program and the files it sees.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Full path of the running program's executable file.
std::string ProgramFileName();

// A string field of a file's version resource ("CompanyName",
// "FileVersion", ...), read under the resource's first translation.
// Nothing when the file has no version resource or no such field.
std::optional<std::string> FileVersionField(const std::string& fileName, const std::string& field);

// The last write time of a file in local time, and its size.
struct TFileStamp {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  int64_t Size = 0;
};
// False when the file cannot be found.
bool GetFileStamp(const std::string& fileName, TFileStamp& stamp);

// Whether a toggle key (VK_NUMLOCK, VK_CAPITAL, VK_SCROLL) is on.
bool KeyToggled(int virtualKey);

// True when this code runs inside a loaded library module rather than in
// the program's own executable (a designer's process hosting the library).
bool CodeInLibraryModule();
