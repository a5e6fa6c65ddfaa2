// Feeds arbitrary bytes to the setup-file reader the way installation reads
// a file: description, every entry twice, obsolete list. Only the system's
// own exceptions may come out.
#include <cstddef>
#include <cstdint>

#include "platform/base/Exception.h"
#include "setup/InstallerMessages.h"
#include "platform/base/SysUtils.h"
#include "setup/SetupFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool once = (UseEnglishInstallerMessages(), true);
  (void)once;
  TMemoryStream stream(std::vector<uint8_t>(data, data + size));
  try {
    TSetupFileReader reader(stream, "fuzz.stp");
    const TSetupProduct& p = reader.ReadDescription(size % 2 == 0);
    // What the reader lets through becomes a folder name and a registry key.
    const std::string id = p.Identifier();
    if (CheckIdentifier(p.Name, p.Kind, p.Qualifier) != idfNone || !IsPlainName(id) || SameText(id, "KySetup"))
      __builtin_trap();
    int32_t count = reader.ReadFileCount();
    for (int pass = 0; pass < 2; ++pass) {
      reader.RewindFiles();
      for (int32_t i = 0; i < count; ++i) {
        TSetupEntry e = reader.ReadEntry();
        if (!IsSafeRelativeName(e.Name)) __builtin_trap();
        if (pass == 0) {
          TMemoryStream out;
          reader.CopyContent(e, out);
          if (out.Size() != e.Size) __builtin_trap();
        } else {
          reader.SkipContent(e);
        }
      }
    }
    for (const std::string& name : reader.ReadObsolete())
      if (!IsSafeRelativeName(name)) __builtin_trap();
  } catch (const Exception&) {
  }
  return 0;
}
