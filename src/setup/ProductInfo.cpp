#include "setup/ProductInfo.h"

#include "platform/base/SysUtils.h"

namespace {

struct TKindInfo {
  const char* Tag;
  const char* Infix;
  int Environment;
};

constexpr TKindInfo kKinds[kProductKindCount] = {
    {"D3Lib", " Delphi3 Library ", 0},
    {"D4Lib", " Delphi4 Library ", 1},
    {"D5Lib", " Delphi5 Library ", 2},
    {"HelpLib", " Help Library ", -1},
    {"Data", " ", -1},
    {"D3Help", " Delphi3 Library Help ", 0},
    {"D4Help", " Delphi4 Library Help ", 1},
    {"D5Help", " Delphi5 Library Help ", 2},
    {"D6Lib", " Delphi6 Library ", 3},
    {"D6Help", " Delphi6 Library Help ", 3},
    {"C3Lib", " C++Builder3 Library ", 4},
    {"C4Lib", " C++Builder4 Library ", 5},
    {"C5Lib", " C++Builder5 Library ", 6},
    {"C6Lib", " C++Builder6 Library ", 7},
    {"C3Help", " C++Builder3 Library Help ", 4},
    {"C4Help", " C++Builder4 Library Help ", 5},
    {"C5Help", " C++Builder5 Library Help ", 6},
    {"C6Help", " C++Builder6 Library Help ", 7},
};

const TKindInfo& Kind(int kind) {
  // Callers validate kinds on reading; a stray value still never indexes out of the table.
  return kKinds[IsValidKind(kind) ? kind : kKindData];
}

}  // namespace

bool IsLibraryKind(int kind) {
  switch (kind) {
    case 0: case 1: case 2: case 8: case 10: case 11: case 12: case 13:
      return true;
    default:
      return false;
  }
}

bool IsSingleHelpKind(int kind) {
  switch (kind) {
    case 5: case 6: case 7: case 9: case 14: case 15: case 16: case 17:
      return true;
    default:
      return false;
  }
}

const char* KindTag(int kind) { return Kind(kind).Tag; }

int KindEnvironment(int kind) { return IsValidKind(kind) ? kKinds[kind].Environment : -1; }

int CompareVersions(int32_t a1, int32_t a2, int32_t a3, int32_t b1, int32_t b2, int32_t b3) {
  if (a1 != b1) return a1 > b1 ? 1 : -1;
  if (a2 != b2) return a2 > b2 ? 1 : -1;
  if (a3 != b3) return a3 > b3 ? 1 : -1;
  return 0;
}

std::string ProductIdentifier(const std::string& name, int kind, const std::string& qualifier) {
  std::string id = name;
  if (kind != kKindData) id += std::string("_") + KindTag(kind);
  if (!qualifier.empty()) id += "_" + qualifier;
  return id;
}

std::string ProductText(const std::string& name, const std::string& qualifier, int kind, bool isUpdate,
                        int32_t major, int32_t minor, int32_t release) {
  std::string v = Format("%d.%d.%d", {int64_t{major}, int64_t{minor}, int64_t{release}});
  if (SameText(name, kInstallerName)) return std::string(kInstallerName) + " Ver: " + v;
  std::string text = name + Kind(kind).Infix + qualifier + " Ver: " + v;
  if (isUpdate) text += " Update";
  return text;
}
