#include "Manifest.h"

#include <cstdio>
#include <limits>

#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/base/Stream.h"
#include "platform/base/SysUtils.h"

namespace {

class TManifestParser {
public:
  TManifestParser(const std::string& name, const std::string& base) : name_(name), base_(base) {
    m_.Product.Required = kInstallerVersion;
  }

  TManifest Parse(const std::string& text) {
    enum { None, Product, Files, Obsolete } section = None;
    bool seen[3] = {};
    size_t start = 0;
    for (line_ = 1; start <= text.size(); ++line_) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string raw = text.substr(start, end - start);
      start = end + 1;
      std::string s = Trim(raw);
      if (s.empty() || s[0] == ';' || s[0] == '#') continue;
      if (s.front() == '[') {
        if (s.back() != ']') Fail("a section header must end with \"]\"");
        std::string sec = Trim(s.substr(1, s.size() - 2));
        if (SameText(sec, "Product")) section = Product;
        else if (SameText(sec, "Files")) section = Files;
        else if (SameText(sec, "Obsolete")) section = Obsolete;
        else Fail("unknown section [" + sec + "]");
        if (seen[section - 1]) Fail("section [" + sec + "] appears twice");
        seen[section - 1] = true;
        continue;
      }
      switch (section) {
        case None:
          Fail("a line outside any section");
        case Product:
          ProductLine(s);
          break;
        case Files:
          FileLine(s);
          break;
        case Obsolete:
          if (!IsSafeRelativeName(s)) Fail("unsafe installed name \"" + s + "\"");
          m_.Obsolete.push_back(s);
          break;
      }
    }
    line_ = 0;
    if (!seen[Product - 1]) Fail("the [Product] section is missing");
    for (const char* key : {"Name", "Kind", "Version"})
      if (!HasKey(key)) Fail(std::string("[Product] needs the key ") + key);
    std::string offending;
    switch (CheckIdentifier(m_.Product.Name, m_.Product.Kind, m_.Product.Qualifier, &offending)) {
      case idfUnsafe:
        Fail("the product identifier \"" + offending + "\" cannot name a folder or a registry key");
      case idfReserved:
        Fail("the product identifier \"" + offending + "\" is reserved for the setup program");
      case idfNone:
        break;
    }
    // A file where another entry needs a folder of that name.
    for (const TManifestFile& f : m_.Files) {
      const std::string u = UpperCase(f.Name);
      for (size_t at = u.find_first_of("\\/"); at != std::string::npos; at = u.find_first_of("\\/", at + 1))
        for (const TManifestFile& g : m_.Files)
          if (UpperCase(g.Name) == u.substr(0, at)) {
            line_ = f.Line;
            Fail("\"" + f.Name + "\" needs a folder where line " + std::to_string(g.Line) + " puts the file \"" +
                 g.Name + "\"");
          }
    }
    return m_;
  }

private:
  [[noreturn]] void Fail(const std::string& what) const {
    if (line_ > 0) throw Exception(name_ + "(" + std::to_string(line_) + "): " + what);
    throw Exception(name_ + ": " + what);
  }

  bool HasKey(const std::string& key) const {
    for (const std::string& k : keys_)
      if (SameText(k, key)) return true;
    return false;
  }

  void Split(const std::string& s, std::string& key, std::string& value) const {
    size_t eq = s.find('=');
    if (eq == std::string::npos) Fail("expected key=value");
    key = Trim(s.substr(0, eq));
    value = Trim(s.substr(eq + 1));
    if (key.empty()) Fail("empty key before \"=\"");
  }

  TVersion ParseVersion(const std::string& v) const {
    TVersion out;
    int32_t* parts[3] = {&out.Major, &out.Minor, &out.Release};
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
      size_t dot = i < 2 ? v.find('.', start) : v.size();
      if (dot == std::string::npos) Fail("version \"" + v + "\" must read major.minor.release");
      std::string n = v.substr(start, dot - start);
      int32_t value;
      if (n.empty() || n.find_first_not_of("0123456789") != std::string::npos || !TryStrToInt(n, value))
        Fail("version \"" + v + "\" must read major.minor.release");
      *parts[i] = value;
      start = dot + 1;
    }
    return out;
  }

  void ProductLine(const std::string& s) {
    std::string key, value;
    Split(s, key, value);
    if (HasKey(key)) Fail("key " + key + " given twice");
    keys_.push_back(key);
    TSetupProduct& p = m_.Product;
    if (SameText(key, "Name")) {
      // The name becomes a registry key and a folder name.
      if (!IsPlainName(value)) Fail("Name \"" + value + "\" cannot name a folder or a registry key");
      p.Name = value;
    } else if (SameText(key, "Kind")) {
      int32_t k;
      if (value.find_first_not_of("0123456789") != std::string::npos || !TryStrToInt(value, k) ||
          !IsValidKind(k))
        Fail("Kind must be a number from 0 to 17, not \"" + value + "\"");
      p.Kind = k;
    } else if (SameText(key, "Qualifier")) {
      if (!value.empty() && !IsPlainName(value))
        Fail("Qualifier \"" + value + "\" cannot name a folder or a registry key");
      p.Qualifier = value;
    } else if (SameText(key, "Version")) {
      p.Version = ParseVersion(value);
    } else if (SameText(key, "BaseVersion")) {
      p.BaseVersion = ParseVersion(value);
    } else if (SameText(key, "Update")) {
      if (value != "0" && value != "1") Fail("Update must be 0 or 1, not \"" + value + "\"");
      p.Update = value == "1";
    } else if (SameText(key, "Shortcuts")) {
      p.Shortcuts = value;
    } else if (SameText(key, "Requires")) {
      TVersion r = ParseVersion(value);
      if (r.Major > 65535 || r.Minor > 65535 || r.Release > 65535)
        Fail("Requires \"" + value + "\": each number must fit 16 bits");
      p.Required = r;
    } else if (SameText(key, "Picture")) {
      if (!value.empty()) LoadPicture(Resolve(value));
    } else {
      Fail("unknown key " + key);
    }
  }

  void FileLine(const std::string& s) {
    std::string name, source;
    Split(s, name, source);
    if (!IsSafeRelativeName(name)) Fail("unsafe installed name \"" + name + "\"");
    if (source.empty()) Fail("no source file for \"" + name + "\"");
    for (const TManifestFile& f : m_.Files)
      if (SameText(f.Name, name)) Fail("\"" + name + "\" is listed twice (line " + std::to_string(f.Line) + ")");
    m_.Files.push_back({name, Resolve(source), line_});
  }

  void LoadPicture(const std::string& file) {
    TMemoryStream m;
    try {
      m.LoadFromFile(file);
    } catch (const Exception& e) {
      Fail(e.what());
    }
    // The wizard shows its product picture as a bitmap.
    if (m.Size() < 2 || m.Data()[0] != 'B' || m.Data()[1] != 'M')
      Fail("the picture \"" + file + "\" is not a BMP file");
    m_.Product.Picture = std::move(m.Data());
  }

  std::string Resolve(const std::string& path) const {
    std::string p = NormalizeSeparators(path);
    bool absolute = (p.size() >= 2 && p[1] == ':') || (!p.empty() && p[0] == '\\');
    return absolute ? p : base_ + p;
  }

  std::string name_, base_;
  int line_ = 0;
  std::vector<std::string> keys_;
  TManifest m_;
};

}  // namespace

std::string NormalizeSeparators(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

TManifest ParseManifest(const std::string& text, const std::string& manifestName, const std::string& baseFolder) {
  TManifestParser parser(manifestName, baseFolder);
  TManifest m = parser.Parse(text);
  return m;
}

TManifest LoadManifest(const std::string& fileName) {
  TMemoryStream m;
  m.LoadFromFile(fileName);
  std::string text(m.Data().begin(), m.Data().end());
  std::string name = NormalizeSeparators(fileName);
  return ParseManifest(text, fileName, ExtractFilePath(name));
}

void PackSetupFile(const TManifest& manifest, const std::string& outFile) {
  // Every source is opened once to check it before the output exists, and
  // again, one at a time, to copy it: a product of many files never holds
  // more than one open.
  auto open = [](const TManifestFile& f) {
    try {
      auto source = std::make_unique<TFileStream>(f.Source, fmOpenRead);
      if (source->Size() > std::numeric_limits<int32_t>::max())
        throw Exception("\"" + f.Source + "\" is larger than 2 GB");
      return source;
    } catch (const Exception& e) {
      throw Exception("line " + std::to_string(f.Line) + ": " + e.what());
    }
  };
  std::vector<int32_t> sizes;
  for (const TManifestFile& f : manifest.Files) sizes.push_back(static_cast<int32_t>(open(f)->Size()));
  try {
    TFileStream out(outFile, fmCreate);
    TSetupFileWriter w(out);
    w.WriteDescription(manifest.Product);
    w.WriteFileCount(static_cast<int32_t>(manifest.Files.size()));
    for (size_t i = 0; i < manifest.Files.size(); ++i) {
      auto source = open(manifest.Files[i]);
      // A source changed since the check would make the counts lie.
      if (source->Size() != sizes[i])
        throw Exception("line " + std::to_string(manifest.Files[i].Line) + ": \"" + manifest.Files[i].Source +
                        "\" changed while packing");
      w.WriteEntry(manifest.Files[i].Name, *source, sizes[i]);
    }
    w.WriteObsolete(manifest.Obsolete);
    w.Flush();
    out.Close();
  } catch (...) {
    std::remove(outFile.c_str());
    throw;
  }
}
