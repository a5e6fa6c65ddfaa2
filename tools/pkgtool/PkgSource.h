// Readable package sources: the common document form (sections of
// "key=value" lines, ";" comments, "key=<<" ... ">>" text blocks, UTF-8 on
// disk and code page 1252 inside), and the table through which each package
// kind plugs in its own source reader and writer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "packages/PkgInfo.h"
#include "platform/base/Exception.h"

// A faulty source: the message names the file and line.
class ESourceError : public Exception { using Exception::Exception; };

struct TSourceEntry {
  std::string Key;    // trimmed, as written (UTF-8 is ASCII for keys)
  std::string Value;  // code page 1252, escapes not yet decoded; a block's lines joined by CR LF
  bool Block = false; // written as "key=<<" ... ">>": no escapes apply
  int Line = 0;
};

struct TSourceSection {
  std::string Name;
  int Line = 0;
  std::vector<TSourceEntry> Entries;
};

class TPkgSource {
public:
  // Parses UTF-8 text (a byte-order mark is skipped).
  static TPkgSource Parse(const std::string& utf8, const std::string& fileName);
  static TPkgSource Load(const std::string& fileName);

  const std::string& FileName() const { return fileName_; }
  // A file beside the source (relative, "/" or "\\"): where kinds keep
  // files that belong to the source, such as pictures.
  std::string FileBeside(const std::string& relative) const;
  const std::vector<TSourceSection>& Sections() const { return sections_; }
  // By name, ignoring case; nullptr when absent.
  const TSourceSection* Section(const std::string& name) const;
  // A [Package] value, escapes decoded; def when absent.
  std::string PackageValue(const std::string& key, const std::string& def = "") const;

  // Refuses sections other than the allowed ones and [Package] keys other
  // than the allowed ones, so that typing errors do not pass silently.
  void CheckLayout(const std::vector<std::string>& sections, const std::vector<std::string>& packageKeys) const;

  [[noreturn]] void Fail(int line, const std::string& message) const;
  // A value with its escapes decoded (blocks as they are).
  std::string Text(const TSourceEntry& entry) const;
  int32_t Integer(const TSourceEntry& entry, const std::string& text) const;
  int32_t KeyInteger(const TSourceEntry& entry) const { return Integer(entry, entry.Key); }
  // A value cut at the bars that are not escaped, each part decoded; with
  // most, at most that many parts (the last keeps the rest).
  std::vector<std::string> BarParts(const TSourceEntry& entry, size_t most = 0) const;
  // "True" or "False", ignoring case.
  bool Boolean(const TSourceEntry& entry, const std::string& text) const;
  bool Boolean(const TSourceEntry& entry) const { return Boolean(entry, Text(entry)); }

private:
  std::string fileName_;
  std::vector<TSourceSection> sections_;
};

// Builds a source text; the result is UTF-8 with LF line ends.
class TSourceWriter {
public:
  explicit TSourceWriter(std::string fileName) : fileName_(std::move(fileName)) {}
  const std::string& FileName() const { return fileName_; }
  std::string FileBeside(const std::string& relative) const;

  void Comment(const std::string& text);
  void Section(const std::string& name);
  // A value in code page 1252, escaped; escapeBar also escapes "|".
  void Value(const std::string& key, const std::string& value, bool escapeBar = false);
  // Raw text after "=" (already escaped or plain ASCII).
  void Raw(const std::string& key, const std::string& text);
  // A long text: a block when it reads back unchanged as one, else a value.
  void Text(const std::string& key, const std::string& value);
  void BlankLine();

  std::string Utf8() const { return text_; }
  void Save() const;

private:
  std::string fileName_;
  std::string text_;
};

// Sources and the build name files with "/" as well as "\\".
std::string NativePath(std::string path);

// Code page 1252 and UTF-8, both ways; every byte has a character (the five
// unassigned ones map to the C1 controls of the same number) so that any
// package text survives. A character outside the code page is refused.
std::string AnsiToUtf8(const std::string& ansi);
bool Utf8ToAnsi(const std::string& utf8, std::string& ansi);

// "\n" CR LF, "\r" CR, "\|" bar, "\\" backslash, "\xHH" any byte.
std::string EscapeText(const std::string& ansi, bool escapeBar);
bool UnescapeText(const std::string& escaped, std::string& ansi, std::string& error);

// ---- Kinds ----

struct TPkgSourceKind {
  const char* Class;           // [Package] Class=, e.g. "Strings"
  const char* ClassWord;       // the header's class word, e.g. "KyPkgStrings"
  std::unique_ptr<TKyPkgInfo> (*Create)();
  // Fills a fresh package from the source.
  void (*Compile)(const TPkgSource& source, TKyPkgInfo& pkg);
  // Writes the package's source, starting with its [Package] section.
  void (*Decompile)(TKyPkgInfo& pkg, TSourceWriter& out);
};

// Every kind listed in PkgSourceKinds.def.
const std::vector<const TPkgSourceKind*>& PkgSourceKinds();
const TPkgSourceKind* FindKindByClass(const std::string& className);
const TPkgSourceKind* FindKindByClassWord(const std::string& classWord);

// Compiles a source into a package of its kind.
std::unique_ptr<TKyPkgInfo> CompileSource(const TPkgSource& source);
