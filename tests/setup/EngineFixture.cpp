#include "EngineFixture.h"

#include "platform/os/WinApi.h"

#include <set>

#include "platform/os/FileOps.h"
#include "setup/Environments.h"
#include "setup/InstallerMessages.h"
#include "setup/ProductRecord.h"

namespace ky_test {

void RecordingBar::SetPosition(int p) {
  p = std::clamp(p, 0, Max());
  if (p < position) wentBack = true;
  position = p;
}

void RecordingBar::SetLabel(const std::string& text) {
  label = text;
  if (!text.empty()) labels.push_back(text);
}

void RecordingBar::Reset() {
  position = 0;
  wentBack = false;
  labels.clear();
  label.clear();
}

EngineTest::EngineTest() {
  UseEnglishInstallerMessages();
  state.PathInstall = dir.MakeDir("Products");
  state.PathGroup = dir / "Programs\\Tessaro";  // made by the installer's own installation
  dir.MakeDir("Programs");
  state.SystemDir = dir.MakeDir("System");
  dir.MakeDir("bin");
  dir.MakeDir("incoming");
  state.ProgramFile = dir.WriteFile("bin\\KySetup.exe", "MZ the installer");
  state.LicenseLines = {"KyControls licence", "", "Terms."};
  state.JournalFile = dir / "KySetup.jnl";
  DetectEnvironments(state);
}

std::string EngineTest::AddEnvironment(int env, bool finalBackslash) {
  const TEnvironment& e = Environment(env);
  std::string root = dir.MakeDir(std::string("Env") + e.Tag);
  for (const char* sub : {"Include", "Lib", "Bin", "Help"}) dir.MakeDir(std::string("Env") + e.Tag + "\\" + sub);
  WriteAll(root + "\\" + e.HelpContents, ":Base Borland.hlp\r\n");
  TRegistry machine(rkLocalMachine);
  machine.WriteString(e.Key, "RootDir", finalBackslash ? root + "\\" : root);
  state.Registry.CreateKey(e.Key);
  DetectEnvironments(state);
  return root;
}

TSetupProduct EngineTest::Product(const std::string& name, int kind, TVersion version, const std::string& qualifier,
                                  const std::string& shortcuts) {
  TSetupProduct p;
  p.Required = kInstallerVersion;
  p.Name = name;
  p.Kind = kind;
  p.Qualifier = qualifier;
  p.Version = version;
  p.Shortcuts = shortcuts;
  return p;
}

TSetupProduct EngineTest::Update(TSetupProduct base, TVersion version) {
  base.BaseVersion = base.Version;
  base.Version = version;
  base.Update = true;
  return base;
}

std::string EngineTest::MakeSetup(const std::string& fileName, const TSetupProduct& product,
                                  const std::vector<PayloadFile>& files, const std::vector<std::string>& obsolete) {
  TMemoryStream m;
  {
    TSetupFileWriter w(m);
    w.WriteDescription(product);
    w.WriteFileCount(static_cast<int32_t>(files.size()));
    for (const PayloadFile& f : files) {
      TMemoryStream c(std::vector<uint8_t>(f.content.begin(), f.content.end()));
      w.WriteEntry(f.name, c, static_cast<int32_t>(f.content.size()));
    }
    w.WriteObsolete(obsolete);
    w.Flush();
  }
  std::string path = dir / ("incoming\\" + fileName);
  m.SaveToFile(path);
  return path;
}

void EngineTest::InstallInstaller() {
  state.WizardMode = 0;
  Install(kInstallerName);
  state.WizardMode = 2;
}

void EngineTest::Install(const std::string& setupPath) {
  bar.Reset();
  installer.InstallProduct(setupPath, bar.Max());
  EXPECT_EQ(bar.position, bar.Max()) << setupPath;
  EXPECT_FALSE(bar.wentBack) << setupPath;
  EXPECT_EQ(bar.label, "");
  EXPECT_EQ(installer.Scales().Depth(), 0);
}

void EngineTest::Remove(const TProductItem& item) {
  bar.Reset();
  installer.EraseItem(item, bar.Max());
  EXPECT_EQ(bar.position, bar.Max()) << item.Value;
  EXPECT_FALSE(bar.wentBack) << item.Value;
  EXPECT_EQ(installer.Scales().Depth(), 0);
}

std::string EngineTest::Reg(const std::string& id, const std::string& value) const {
  return state.Registry.ReadString(ProductKey(id), value, "<missing>");
}

bool EngineTest::HasValue(const std::string& id, const std::string& value) const {
  return state.Registry.ValueExists(ProductKey(id), value);
}

namespace {

void ListFolder(const std::string& folder, const std::string& relative, std::string& out) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  std::vector<WIN32_FIND_DATAA> entries;
  do {
    std::string name = fd.cFileName;
    if (name != "." && name != "..") entries.push_back(fd);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  for (const WIN32_FIND_DATAA& e : entries) {
    std::string rel = relative + "\\" + e.cFileName;
    if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out += "dir " + rel + "\n";
      ListFolder(folder + "\\" + e.cFileName, rel, out);
    } else {
      TMemoryStream m;
      m.LoadFromFile(folder + "\\" + e.cFileName);
      out += "file " + rel + " = " + std::string(m.Data().begin(), m.Data().end()) + "\n";
    }
  }
}

void ListKey(HKEY parent, const std::string& path, std::string& out) {
  HKEY key;
  if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  out += "key " + path + "\n";
  for (DWORD i = 0;; ++i) {
    char name[16384];
    BYTE data[16384];
    DWORD nameLen = sizeof name, dataLen = sizeof data, type;
    if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS) break;
    out += "  " + std::string(name, nameLen) + " = " + std::string(reinterpret_cast<char*>(data), dataLen) + "\n";
  }
  std::vector<std::string> subs;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD len = sizeof name;
    if (RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subs.emplace_back(name, len);
  }
  RegCloseKey(key);
  for (const std::string& sub : subs) ListKey(parent, path.empty() ? sub : path + "\\" + sub, out);
}

}  // namespace

std::string EngineTest::Snapshot() const {
  std::string out;
  ListFolder(dir.Path(), "", out);
  ListKey(HKEY_CURRENT_USER, "", out);
  ListKey(HKEY_LOCAL_MACHINE, "", out);
  return out;
}

std::string EngineTest::SnapshotDiff(const std::string& before, const std::string& after) {
  auto lines = [](const std::string& text) {
    std::multiset<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
      out.insert(text.substr(start, end - start).substr(0, 200));
    return out;
  };
  std::multiset<std::string> a = lines(before), b = lines(after);
  std::string diff;
  for (const std::string& l : a)
    if (!b.count(l)) diff += "- " + l + "\n";
  for (const std::string& l : b)
    if (!a.count(l)) diff += "+ " + l + "\n";
  return diff;
}

std::string EngineTest::FolderText(const std::string& folder) {
  std::string out;
  ListFolder(folder, "", out);
  return out;
}

bool EngineTest::Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string EngineTest::ReadAll(const std::string& path) {
  TMemoryStream m;
  m.LoadFromFile(path);
  return std::string(m.Data().begin(), m.Data().end());
}

void EngineTest::WriteAll(const std::string& path, const std::string& data) {
  TMemoryStream m(std::vector<uint8_t>(data.begin(), data.end()));
  m.SaveToFile(path);
}

}  // namespace ky_test
