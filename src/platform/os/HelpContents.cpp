#include "platform/os/HelpContents.h"

#include "platform/os/WinApi.h"

#include <vector>

#include "platform/base/FileNames.h"
#include "platform/base/Stream.h"
#include "platform/os/FileOps.h"

namespace {

using TLines = std::vector<std::string>;

// Line breaks may be CRLF, LF or CR; a last line without one still counts.
TLines LoadLines(const std::string& fileName) {
  TFileStream f(fileName, fmOpenRead);
  std::string text(static_cast<size_t>(f.Size()), '\0');
  f.ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
  TLines lines;
  size_t start = 0, i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Written to a new file beside the old one and moved over it, so that a
// failure half-way (a full disk) leaves the environment's file as it was.
void SaveLines(const std::string& fileName, const TLines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  std::string temp = CreateUniqueFile(ExtractFilePath(fileName), "kyc");
  try {
    TFileStream f(temp, fmCreate);
    f.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
    f.Close();
    MoveFileReplace(temp, fileName);
  } catch (...) {
    DeleteFileForce(temp);
    throw;
  }
}

// Upper case by the user's locale over the ANSI code page, as the names
// were typed on Windows.
std::string Upper(const std::string& s) {
  if (s.empty()) return s;
  std::string out(s.size(), '\0');
  int n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, s.data(), static_cast<int>(s.size()), out.data(),
                       static_cast<int>(out.size()));
  return n == static_cast<int>(out.size()) ? out : s;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

// Removes the lowest line that carries the tag and whose name, taken after
// the first separator, equals name; the file is saved either way.
void RemoveLine(const std::string& contentsFile, const char* upperTag, char separator, const std::string& name) {
  TLines lines = LoadLines(contentsFile);
  const std::string wanted = Upper(name);
  for (size_t i = lines.size(); i-- > 0;) {
    const std::string& line = lines[i];
    if (Upper(line).find(upperTag) == std::string::npos) continue;
    size_t sep = line.find(separator);
    if (sep == std::string::npos) continue;
    // The whole name: one cut short could never be matched and removed again.
    if (Upper(Trim(line.substr(sep + 1))) == wanted) {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  SaveLines(contentsFile, lines);
}

void AppendLine(const std::string& contentsFile, const std::string& line) {
  TLines lines = LoadLines(contentsFile);
  lines.push_back(line);
  SaveLines(contentsFile, lines);
}

}  // namespace

void RemoveHelpIndex(const std::string& contentsFile, const std::string& helpFile) {
  RemoveLine(contentsFile, ":INDEX", '=', helpFile);
}

void RemoveHelpInclude(const std::string& contentsFile, const std::string& name) {
  RemoveLine(contentsFile, ":INCLUDE", ' ', name);
}

void AddHelpIndex(const std::string& contentsFile, const std::string& title, const std::string& helpFile) {
  RemoveHelpIndex(contentsFile, helpFile);
  AppendLine(contentsFile, ":Index " + title + " =" + helpFile);
}

void AddHelpInclude(const std::string& contentsFile, const std::string& name) {
  RemoveHelpInclude(contentsFile, name);
  AppendLine(contentsFile, ":Include " + name);
}
