// Editing the development environments' help contents files (".cnt"):
// ":Index" lines naming help files and ":Include" lines naming contents files.
// Every operation needs the file to exist (EFOpenError otherwise) and saves
// it with CRLF line ends, also when nothing changed.
#pragma once

#include <string>

// Appends ":Index <title> =<helpFile>" after removing the last such line
// for helpFile, so that the file holds it once, at the end.
void AddHelpIndex(const std::string& contentsFile, const std::string& title, const std::string& helpFile);
// Appends ":Include <name>" after removing the last such line for name.
void AddHelpInclude(const std::string& contentsFile, const std::string& name);
// Deletes the last index line whose name (after the first "=") is helpFile.
void RemoveHelpIndex(const std::string& contentsFile, const std::string& helpFile);
// Deletes the last include line whose name (after the first blank) is name.
void RemoveHelpInclude(const std::string& contentsFile, const std::string& name);
