// File-name text helpers for Windows paths ("\" and drive ":").
// Portable: only string work, no file-system access.
#pragma once

#include <string>

// Up to and including the last "\" or ":" ("" when there is none).
std::string ExtractFilePath(const std::string& fileName);
// The path without its trailing "\" unless that is a root ("C:\", "\").
std::string ExtractFileDir(const std::string& fileName);
// After the last "\" or ":".
std::string ExtractFileName(const std::string& fileName);
// From the last "." of the name part on, with the dot ("" when none).
std::string ExtractFileExt(const std::string& fileName);
std::string IncludeTrailingBackslash(const std::string& path);
std::string ExcludeTrailingBackslash(const std::string& path);
