// Privileges definitions and access records as readable sources:
//
//   Class=Privileges (definitions, "KyPrivileges")
//   [Package]     Name (where it is embedded), DefinitionsName
//   [Privileges]  id=level|description, or
//                 id=level|description|label package|label id
//
//   Class=Access (an access record, "KyAccess")
//   [Package]     Description, Key1, FileName, Key2 (the strings as they
//                 read, unscrambled); without FileName the record carries
//                 the name of the file it is compiled into
//   [Levels]      id=level
//
// Levels are 0, 1 or 2. Entries keep their order and duplicate ids.
#include <string>
#include <vector>

#include "PkgSource.h"
#include "packages/PkgPrivileges.h"
#include "platform/base/SysUtils.h"

namespace {

uint8_t Level(const TPkgSource& src, const TSourceEntry& e, const std::string& text) {
  int32_t level = src.Integer(e, text);
  if (level < kPrivilegeHidden || level > kPrivilegeFull) src.Fail(e.Line, "a level is 0, 1 or 2");
  return static_cast<uint8_t>(level);
}

// ---- Definitions ----

std::unique_ptr<TKyPkgInfo> CreatePrivileges() { return std::make_unique<TKyPkgPrivileges>(nullptr); }

void CompilePrivileges(const TPkgSource& src, TKyPkgInfo& pkg) {
  auto& p = static_cast<TKyPkgPrivileges&>(pkg);
  src.CheckLayout({"Privileges"}, {"DefinitionsName"});
  p.SetDefinitionsName(src.PackageValue("DefinitionsName"));
  const TSourceSection* items = src.Section("Privileges");
  if (!items) return;
  for (const auto& e : items->Entries) {
    if (e.Block) src.Fail(e.Line, "a privilege is one line");
    std::vector<std::string> parts = src.BarParts(e);
    if (parts.size() != 2 && parts.size() != 4)
      src.Fail(e.Line, "expected level|description or level|description|label package|label id");
    TKyPkgPrivilegesItem* item = p.AddItem(src.KeyInteger(e), parts[1], Level(src, e, parts[0]));
    if (parts.size() == 4) item->SetDescriptionLabel(parts[2], src.Integer(e, parts[3]));
  }
}

void DecompilePrivileges(TKyPkgInfo& pkg, TSourceWriter& out) {
  auto& p = static_cast<TKyPkgPrivileges&>(pkg);
  out.Section("Package");
  out.Raw("Class", "Privileges");
  out.Value("DefinitionsName", p.DefinitionsName());
  out.Section("Privileges");
  for (int i = 0; i < p.Count(); ++i) {
    const TKyPkgPrivilegesItem* item = p.Items(i);
    std::string text = std::to_string(item->Level());
    text += '|';
    text += EscapeText(item->Description(), true);
    const TKyMemoryLabel& label = item->DescriptionLabel();
    if (!label.PkgName().empty() || label.Id() != -1) {
      text += '|';
      text += EscapeText(label.PkgName(), true);
      text += '|';
      text += std::to_string(label.Id());
    }
    out.Raw(std::to_string(item->Id()), text);
  }
}

// ---- Access records ----

// An access record as stored, with no definitions to apply it to: the
// package kind's header rules around the record's own reader and writer.
class TKyAccessFile : public TKyPkgInfo {
  KY_CLASS(TKyAccessFile, TKyPkgInfo)
public:
  explicit TKyAccessFile(TComponent* owner) : TKyPkgInfo(owner) {}
  const TKyPkgKind& Kind() const override { return TKyPkgPrivileges::kAccessKind; }

  void ReadPackage(TKyReader& reader) override {
    uint16_t version = ReadHeader(reader);
    record = ReadAccessBody(reader, version, HeaderFileName());
    nameGiven = true;
  }
  void WritePackage(TKyWriter& writer) override {
    WriteHeader(writer);
    TKyAccessRecord r = record;
    if (!nameGiven) r.FileName = CurrentFile();
    WriteAccessBody(writer, r);
  }

  TKyAccessRecord record;
  bool nameGiven = false;  // else the name of the file written
};

std::unique_ptr<TKyPkgInfo> CreateAccess() { return std::make_unique<TKyAccessFile>(nullptr); }

void CompileAccess(const TPkgSource& src, TKyPkgInfo& pkg) {
  auto& a = static_cast<TKyAccessFile&>(pkg);
  src.CheckLayout({"Levels"}, {"Description", "Key1", "FileName", "Key2"});
  TKyAccessRecord& r = a.record;
  r.Description = src.PackageValue("Description");
  r.Key1 = src.PackageValue("Key1");
  r.Key2 = src.PackageValue("Key2");
  if (const TSourceSection* p = src.Section("Package"))
    for (const auto& e : p->Entries)
      if (SameText(e.Key, "FileName")) {
        r.FileName = src.Text(e);
        a.nameGiven = true;
      }
  if (const TSourceSection* levels = src.Section("Levels"))
    for (const auto& e : levels->Entries) {
      if (e.Block) src.Fail(e.Line, "a level is one line");
      r.Levels.emplace_back(src.KeyInteger(e), Level(src, e, src.Text(e)));
    }
}

void DecompileAccess(TKyPkgInfo& pkg, TSourceWriter& out) {
  const TKyAccessRecord& r = static_cast<TKyAccessFile&>(pkg).record;
  out.Section("Package");
  out.Raw("Class", "Access");
  out.Value("Description", r.Description);
  out.Value("Key1", r.Key1);
  out.Value("FileName", r.FileName);
  out.Value("Key2", r.Key2);
  out.Section("Levels");
  for (const auto& [id, level] : r.Levels) out.Raw(std::to_string(id), std::to_string(level));
}

}  // namespace

extern const TPkgSourceKind kPrivilegesSource;
const TPkgSourceKind kPrivilegesSource{"Privileges", "KyPrivileges", &CreatePrivileges, &CompilePrivileges,
                                       &DecompilePrivileges};
extern const TPkgSourceKind kAccessSource;
const TPkgSourceKind kAccessSource{"Access", "KyAccess", &CreateAccess, &CompileAccess, &DecompileAccess};
