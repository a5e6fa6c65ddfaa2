#include "setup/Verify.h"

#include <map>
#include <set>

#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/base/Stream.h"
#include "platform/base/SysUtils.h"
#include "platform/os/FileOps.h"
#include "setup/Environments.h"
#include "setup/InstallPlan.h"
#include "setup/ProductInfo.h"
#include "setup/ProductRecord.h"

namespace {

// Takes the setup file's bytes of one entry and compares them with an
// installed file, remembering where they first differ.
class TCompareStream : public TStream {
public:
  explicit TCompareStream(TStream& installed) : installed_(installed) {}
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void* buffer, int32_t count) override {
    if (differsAt_ < 0) {
      buf_.resize(static_cast<size_t>(count));
      const int32_t got = installed_.Read(buf_.data(), count);
      const auto* want = static_cast<const uint8_t*>(buffer);
      for (int32_t i = 0; i < count; ++i)
        if (i >= got || buf_[static_cast<size_t>(i)] != want[i]) {
          differsAt_ = pos_ + i;
          break;
        }
    }
    pos_ += count;
    return count;
  }
  int64_t Seek(int64_t offset, TSeekOrigin) override { return offset == 0 ? pos_ : pos_; }
  int64_t DiffersAt() const { return differsAt_; }

private:
  TStream& installed_;
  std::vector<uint8_t> buf_;
  int64_t pos_ = 0;
  int64_t differsAt_ = -1;
};

struct TChecker {
  const TSetupState& state;
  std::string id;
  std::vector<std::string>& out;
  void Differs(const std::string& what) { out.push_back(id + ": " + what); }
};

void CompareFile(TChecker& c, TSetupFileReader& reader, const TSetupEntry& e, const std::string& path) {
  if (!FileExists(path)) {
    reader.SkipContent(e);
    return c.Differs(path + " is missing");
  }
  TFileStream installed(path, fmOpenRead);
  if (installed.Size() != e.Size) {
    reader.SkipContent(e);
    return c.Differs(path + " has " + std::to_string(installed.Size()) + " bytes, not " + std::to_string(e.Size));
  }
  TCompareStream compare(installed);
  reader.CopyContent(e, compare);
  if (compare.DiffersAt() >= 0) c.Differs(path + " differs from byte " + std::to_string(compare.DiffersAt()));
}

std::vector<std::string> ContentsLines(const std::string& file) {
  std::vector<std::string> lines;
  if (!FileExists(file)) return lines;
  TFileStream in(file, fmOpenRead);
  std::string text(static_cast<size_t>(in.Size()), '\0');
  if (!text.empty()) in.ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(UpperCase(Trim(text.substr(start, end - start))));
  if (start < text.size()) lines.push_back(UpperCase(Trim(text.substr(start))));
  return lines;
}

// The index or include line of an installed help file, matched as a removal matches it.
bool HasHelpLine(const std::vector<std::string>& lines, const TPlannedFile& f) {
  const std::string name = UpperCase(f.Name);
  for (const std::string& line : lines) {
    const bool index = line.find(":INDEX") != std::string::npos;
    if (f.HelpTitle.empty() ? line.find(":INCLUDE") == std::string::npos : !index) continue;
    const size_t at = f.HelpTitle.empty() ? line.find(' ') : line.find('=');
    if (at != std::string::npos && Trim(line.substr(at + 1, 255)) == name) return true;
  }
  return false;
}

void CompareRegistrations(TChecker& c, const TPlannedFile& f) {
  if (f.DesignPackage) {
    const std::string key = KnownPackagesKey(f.Environment);
    const std::string macro = Environment(f.Environment).PackageMacro + f.Name;
    if (!c.state.Registry.ValueExists(key, f.Path) && !c.state.Registry.ValueExists(key, macro))
      c.Differs("the package " + f.Path + " is not registered in HKEY_CURRENT_USER\\" + key);
  }
  if (!f.HelpContents.empty() && !HasHelpLine(ContentsLines(f.HelpContents), f))
    c.Differs("the help entry of " + f.Name + " is missing from " + f.HelpContents);
}

void CompareRecord(TChecker& c, const TInstallPlan& plan) {
  for (const TPlannedValue& v : plan.Record) {
    if (SameText(v.Name, "InstallLangs")) continue;  // where it went, not what it is
    std::string data;
    try {
      data = c.state.Registry.ReadString(v.Key, v.Name, "");
    } catch (const Exception&) {
      data = "(not a text)";
    }
    if (data != v.Data) c.Differs("the record's \"" + v.Name + "\" is \"" + data + "\", not \"" + v.Data + "\"");
  }
}

// One item against its stored copy; skip: destinations an installed update
// took over, which are that update's to match.
void VerifyItem(TChecker& c, const TProductItem& item, std::set<std::string>& skip, bool collect) {
  const TRecordEntry entry = ReadRecordEntry(c.state.Registry, item.Value);
  const std::string& name = item.Data == 1 ? entry.FileSetupUpd : entry.FileSetup;
  if (!entry.IdSound || entry.Damaged(item.Data == 1) || name.empty()) return c.Differs("its record is damaged");
  TSetupState as = c.state;  // a kind 3 product is compared where it went
  as.EnvironmentTicked.fill(false);
  for (const std::string& tag : SplitCommaText(c.state.Registry.ReadString(ProductKey(item.Value), "InstallLangs", "")))
    if (int env = EnvironmentIndex(tag); env >= 0) as.EnvironmentTicked[env] = true;
  const std::string stored = IncludeTrailingBackslash(c.state.PathInstall) + name;
  if (!FileExists(stored)) return c.Differs("its stored setup file " + stored + " is missing");
  const TInstallPlan plan = PlanInstallation(as, stored);
  TSetupFileReader reader(stored);
  reader.ReadDescription(false, false);
  reader.ReadFileCount();
  for (size_t i = 0; i < plan.Files.size(); ++i) {
    const TPlannedFile& f = plan.Files[i];
    if (f.Entry == 0 && i > 0) reader.RewindFiles();
    const TSetupEntry e = reader.ReadEntry();
    const std::string upper = UpperCase(f.Path);
    if (!collect && skip.count(upper)) reader.SkipContent(e);
    else CompareFile(c, reader, e, f.Path);
    if (collect) skip.insert(upper);
    CompareRegistrations(c, f);
  }
  if (collect)
    for (const TPlannedObsolete& o : plan.Obsolete) skip.insert(UpperCase(o.Path));
  CompareRecord(c, plan);
}

}  // namespace

TVerifyReport VerifyInstallation(const TSetupState& state, const std::string& identifier) {
  TVerifyReport report;
  // Updates before their bases: the files an update replaced are its own to match.
  std::vector<TProductItem> items;
  for (int data : {1, 0})
    for (const TProductItem& item : state.Products.Items())
      if (item.Data == data && !SameText(item.Value, kInstallerName) &&
          (identifier.empty() || SameText(item.Value, identifier)))
        items.push_back(item);
  std::map<std::string, std::set<std::string>> updated;  // per identifier
  for (const TProductItem& item : items) {
    ++report.Products;
    TChecker c{state, item.Value + (item.Data == 1 ? " (update)" : ""), report.Differences};
    try {
      VerifyItem(c, item, updated[UpperCase(item.Value)], item.Data == 1);
    } catch (const Exception& e) {
      c.Differs(e.what());
    }
  }
  return report;
}
