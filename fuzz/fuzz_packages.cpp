// Reads arbitrary bytes as a package of the kind the first byte picks, as a
// damaged or hostile file on disk would be read. Whatever reads without an
// error must write back to bytes that read and write again unchanged.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "packages/PkgDisplay.h"
#include "packages/PkgImages.h"
#include "packages/PkgPrivileges.h"
#include "packages/PkgStrings.h"
#include "platform/base/Exception.h"

namespace {

std::unique_ptr<TKyPkgInfo> MakePackage(uint8_t selector) {
  switch (selector % 5) {
    case 0:
      return std::make_unique<TKyPkgStrings>(nullptr);
    case 1:
      return std::make_unique<TKyPkgImages>(nullptr);
    case 2:
      return std::make_unique<TKyPkgDisplay>(nullptr);
    default:
      return std::make_unique<TKyPkgPrivileges>(nullptr);
  }
}

// Access records are a second format of the privileges package.
bool IsAccess(uint8_t selector) { return selector % 5 == 4; }

std::vector<uint8_t> Save(TKyPkgInfo& pkg, bool access) {
  TMemoryStream m;
  if (access) static_cast<TKyPkgPrivileges&>(pkg).SaveAccess(m, "");
  else pkg.SaveToStream(m);
  return m.Data();
}

void Load(TKyPkgInfo& pkg, const std::vector<uint8_t>& bytes, bool access) {
  TMemoryStream m(bytes);
  if (access) static_cast<TKyPkgPrivileges&>(pkg).LoadAccess(m, "");
  else pkg.LoadFromStream(m);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  bool access = IsAccess(data[0]);
  std::unique_ptr<TKyPkgInfo> pkg = MakePackage(data[0]);
  try {
    Load(*pkg, std::vector<uint8_t>(data + 1, data + size), access);
  } catch (const Exception&) {
    return 0;
  }
  std::vector<uint8_t> first = Save(*pkg, access);
  std::unique_ptr<TKyPkgInfo> again = MakePackage(data[0]);
  Load(*again, first, access);
  if (Save(*again, access) != first) __builtin_trap();
  return 0;
}
