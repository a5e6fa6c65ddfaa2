#include "PkgSource.h"

#include <algorithm>

#include "platform/base/FileNames.h"
#include "platform/base/Stream.h"
#include "platform/base/SysUtils.h"

// ---- Code page 1252 ----

namespace {

// 0x80..0x9F; the unassigned bytes keep their C1 control.
const uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                            0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t AnsiCodePoint(uint8_t b) { return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : b; }

void PutUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) PutUtf8(out, AnsiCodePoint(static_cast<uint8_t>(c)));
  return out;
}

bool Utf8ToAnsi(const std::string& utf8, std::string& ansi) {
  ansi.clear();
  for (size_t i = 0; i < utf8.size();) {
    uint8_t b = static_cast<uint8_t>(utf8[i]);
    uint32_t cp;
    size_t n;
    if (b < 0x80) cp = b, n = 1;
    else if ((b & 0xE0) == 0xC0) cp = b & 0x1F, n = 2;
    else if ((b & 0xF0) == 0xE0) cp = b & 0x0F, n = 3;
    else if ((b & 0xF8) == 0xF0) cp = b & 0x07, n = 4;
    else return false;
    if (i + n > utf8.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      uint8_t c = static_cast<uint8_t>(utf8[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    i += n;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      ansi += static_cast<char>(cp);
      continue;
    }
    const uint16_t* hit = std::find(std::begin(kHigh), std::end(kHigh), cp);
    if (hit == std::end(kHigh)) return false;
    ansi += static_cast<char>(0x80 + (hit - kHigh));
  }
  return true;
}

// ---- Escapes ----

std::string EscapeText(const std::string& ansi, bool escapeBar) {
  std::string out;
  auto hex = [&out](uint8_t b) {
    const char* digits = "0123456789ABCDEF";
    out += "\\x";
    out += digits[b >> 4];
    out += digits[b & 15];
  };
  for (size_t i = 0; i < ansi.size(); ++i) {
    uint8_t b = static_cast<uint8_t>(ansi[i]);
    if (b == '\r' && i + 1 < ansi.size() && ansi[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else if (b == '\r') {
      out += "\\r";
    } else if (b == '\\') {
      out += "\\\\";
    } else if (b == '|' && escapeBar) {
      out += "\\|";
    } else if (b < 0x20 || b == 0x7F) {
      hex(b);
    } else if (b == ' ' && i + 1 == ansi.size()) {
      hex(b);  // editors drop trailing blanks
    } else {
      out += static_cast<char>(b);
    }
  }
  // "<<" alone would open a block.
  if (out == "<<") out = "\\x3C<";
  return out;
}

bool UnescapeText(const std::string& escaped, std::string& ansi, std::string& error) {
  ansi.clear();
  for (size_t i = 0; i < escaped.size(); ++i) {
    char c = escaped[i];
    if (c != '\\') {
      ansi += c;
      continue;
    }
    if (++i >= escaped.size()) {
      error = "a backslash ends the value (write \\\\ for one)";
      return false;
    }
    switch (escaped[i]) {
      case 'n':
        ansi += "\r\n";
        break;
      case 'r':
        ansi += '\r';
        break;
      case '|':
        ansi += '|';
        break;
      case '\\':
        ansi += '\\';
        break;
      case 'x': {
        auto digit = [](char d) -> int {
          if (d >= '0' && d <= '9') return d - '0';
          if (d >= 'a' && d <= 'f') return d - 'a' + 10;
          if (d >= 'A' && d <= 'F') return d - 'A' + 10;
          return -1;
        };
        int hi = i + 1 < escaped.size() ? digit(escaped[i + 1]) : -1;
        int lo = i + 2 < escaped.size() ? digit(escaped[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
          error = "\\x needs two hexadecimal digits";
          return false;
        }
        ansi += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default:
        error = std::string("unknown escape \\") + escaped[i];
        return false;
    }
  }
  return true;
}

// ---- Parsing ----

TPkgSource TPkgSource::Parse(const std::string& utf8, const std::string& fileName) {
  TPkgSource src;
  src.fileName_ = fileName;
  std::string text = utf8;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::vector<std::string> lines;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  auto ansiLine = [&](const std::string& line, int n) {
    std::string a;
    if (!Utf8ToAnsi(line, a)) src.Fail(n, "text that is not UTF-8 or has a character outside code page 1252");
    return a;
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    int n = static_cast<int>(i) + 1;
    const std::string& line = lines[i];
    std::string t = Trim(line);
    if (t.empty() || line[0] == ';') continue;
    if (t.front() == '[') {
      if (t.back() != ']') src.Fail(n, "a section name must end with ']'");
      src.sections_.push_back(TSourceSection{Trim(t.substr(1, t.size() - 2)), n, {}});
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) src.Fail(n, "expected 'key=value', a section or a comment");
    if (src.sections_.empty()) src.Fail(n, "a value before the first section");
    TSourceEntry e;
    e.Key = Trim(line.substr(0, eq));
    e.Line = n;
    std::string value = line.substr(eq + 1);
    if (value == "<<") {
      e.Block = true;
      std::string joined;
      bool first = true;
      size_t k = i + 1;
      for (; k < lines.size() && lines[k] != ">>"; ++k) {
        if (!first) joined += "\r\n";
        joined += ansiLine(lines[k], static_cast<int>(k) + 1);
        first = false;
      }
      if (k >= lines.size()) src.Fail(n, "the text block has no closing '>>' line");
      e.Value = joined;
      i = k;
    } else {
      e.Value = ansiLine(value, n);
    }
    src.sections_.back().Entries.push_back(std::move(e));
  }
  return src;
}

TPkgSource TPkgSource::Load(const std::string& fileName) {
  TMemoryStream m;
  m.LoadFromFile(fileName);
  return Parse(std::string(m.Data().begin(), m.Data().end()), fileName);
}

std::string NativePath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string TPkgSource::FileBeside(const std::string& relative) const {
  return ExtractFilePath(NativePath(fileName_)) + NativePath(relative);
}

const TSourceSection* TPkgSource::Section(const std::string& name) const {
  for (const auto& s : sections_)
    if (SameText(s.Name, name)) return &s;
  return nullptr;
}

std::string TPkgSource::PackageValue(const std::string& key, const std::string& def) const {
  const TSourceSection* pkg = Section("Package");
  if (pkg)
    for (const auto& e : pkg->Entries)
      if (SameText(e.Key, key)) return Text(e);
  return def;
}

void TPkgSource::CheckLayout(const std::vector<std::string>& sections,
                             const std::vector<std::string>& packageKeys) const {
  auto known = [](const std::vector<std::string>& names, const std::string& n) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& s) { return SameText(s, n); });
  };
  for (size_t i = 0; i < sections_.size(); ++i) {
    const TSourceSection& s = sections_[i];
    if (!SameText(s.Name, "Package") && !known(sections, s.Name)) Fail(s.Line, "unknown section [" + s.Name + "]");
    for (size_t j = 0; j < i; ++j)
      if (SameText(sections_[j].Name, s.Name)) Fail(s.Line, "section [" + s.Name + "] appears twice");
    if (SameText(s.Name, "Package"))
      for (const auto& e : s.Entries)
        if (!SameText(e.Key, "Class") && !SameText(e.Key, "Name") && !known(packageKeys, e.Key))
          Fail(e.Line, "unknown key '" + e.Key + "' in [Package]");
  }
}

void TPkgSource::Fail(int line, const std::string& message) const {
  throw ESourceError(Format("%s(%d): %s", {fileName_, int64_t{line}, message}));
}

std::string TPkgSource::Text(const TSourceEntry& entry) const {
  if (entry.Block) return entry.Value;
  std::string out, error;
  if (!UnescapeText(entry.Value, out, error)) Fail(entry.Line, error);
  return out;
}

int32_t TPkgSource::Integer(const TSourceEntry& entry, const std::string& text) const {
  int32_t v;
  if (!TryStrToInt(Trim(text), v)) Fail(entry.Line, "'" + text + "' is not an integer");
  return v;
}

std::vector<std::string> TPkgSource::BarParts(const TSourceEntry& entry, size_t most) const {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= entry.Value.size(); ++i) {
    if (i < entry.Value.size() && entry.Value[i] == '\\') {
      ++i;
      continue;
    }
    bool last = most != 0 && parts.size() + 1 == most;
    if (i == entry.Value.size() || (entry.Value[i] == '|' && !last)) {
      TSourceEntry part = entry;
      part.Value = entry.Value.substr(start, i - start);
      parts.push_back(Text(part));
      start = i + 1;
    }
  }
  return parts;
}

bool TPkgSource::Boolean(const TSourceEntry& entry, const std::string& text) const {
  std::string t = Trim(text);
  if (SameText(t, "True")) return true;
  if (SameText(t, "False")) return false;
  Fail(entry.Line, "'" + t + "' is not True or False");
}

// ---- Writing ----

std::string TSourceWriter::FileBeside(const std::string& relative) const {
  return ExtractFilePath(NativePath(fileName_)) + NativePath(relative);
}

void TSourceWriter::Comment(const std::string& text) { text_ += "; " + AnsiToUtf8(text) + "\n"; }

void TSourceWriter::Section(const std::string& name) {
  if (!text_.empty() && text_.compare(text_.size() - 2, 2, "\n\n") != 0) text_ += "\n";
  text_ += "[" + name + "]\n";
}

void TSourceWriter::Value(const std::string& key, const std::string& value, bool escapeBar) {
  Raw(key, EscapeText(value, escapeBar));
}

void TSourceWriter::Raw(const std::string& key, const std::string& text) {
  text_ += key + "=" + AnsiToUtf8(text) + "\n";
}

void TSourceWriter::Text(const std::string& key, const std::string& value) {
  // A block keeps its lines as they are: only when they read back the same.
  std::vector<std::string> lines;
  bool block = true;
  for (size_t start = 0; start <= value.size() && block;) {
    size_t end = value.find("\r\n", start);
    if (end == std::string::npos) end = value.size();
    std::string line = value.substr(start, end - start);
    for (char c : line)
      if ((static_cast<uint8_t>(c) < 0x20 && c != '\t') || c == 0x7F) block = false;
    if (line == ">>" || (!line.empty() && (line.back() == ' ' || line.back() == '\t'))) block = false;
    lines.push_back(line);
    start = end + 2;
  }
  // One empty line and no line both read back as "", so "" is no line at all.
  if (value.empty()) lines.clear();
  if (!block || value.size() < 2 || value.find("\r\n") == std::string::npos) {
    Value(key, value);
    return;
  }
  text_ += key + "=<<\n";
  for (const auto& l : lines) text_ += AnsiToUtf8(l) + "\n";
  text_ += ">>\n";
}

void TSourceWriter::BlankLine() { text_ += "\n"; }

void TSourceWriter::Save() const {
  TMemoryStream m;
  m.Data().assign(text_.begin(), text_.end());
  m.SaveToFile(fileName_);
}

// ---- Kinds ----

#define KY_PKG_SOURCE(kind) extern const TPkgSourceKind kind;
#include "PkgSourceKinds.def"
#undef KY_PKG_SOURCE

const std::vector<const TPkgSourceKind*>& PkgSourceKinds() {
  static const std::vector<const TPkgSourceKind*> kinds = {
#define KY_PKG_SOURCE(kind) &kind,
#include "PkgSourceKinds.def"
#undef KY_PKG_SOURCE
  };
  return kinds;
}

const TPkgSourceKind* FindKindByClass(const std::string& className) {
  for (const TPkgSourceKind* k : PkgSourceKinds())
    if (SameText(k->Class, className)) return k;
  return nullptr;
}

const TPkgSourceKind* FindKindByClassWord(const std::string& classWord) {
  for (const TPkgSourceKind* k : PkgSourceKinds())
    if (SameText(k->ClassWord, classWord)) return k;
  return nullptr;
}

std::unique_ptr<TKyPkgInfo> CompileSource(const TPkgSource& source) {
  const TSourceSection* pkg = source.Section("Package");
  if (!pkg) source.Fail(1, "the source has no [Package] section");
  std::string cls = source.PackageValue("Class");
  const TPkgSourceKind* kind = FindKindByClass(cls);
  if (!kind) source.Fail(pkg->Line, cls.empty() ? "[Package] has no Class" : "unknown package class '" + cls + "'");
  std::unique_ptr<TKyPkgInfo> p = kind->Create();
  kind->Compile(source, *p);
  return p;
}
