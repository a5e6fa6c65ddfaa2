// Writes a few well-formed inputs for the fuzz targets into the folders
// given: setup files for fuzz_setup_file, value runs for fuzz_typed_stream.
#include <string>

#include "setup/SetupFile.h"

namespace {

void SetupSeed(const std::string& file, int kind, int files, bool picture) {
  TSetupProduct p;
  p.Required = kInstallerVersion;
  p.Name = "KyControls";
  p.Kind = kind;
  p.Qualifier = kind == 3 ? "English" : "";
  p.Version = {2, 1, 0};
  p.Shortcuts = "EXE,HLP";
  if (picture) p.Picture = {'B', 'M', 0, 1, 2, 3};
  TMemoryStream m;
  {
    TSetupFileWriter w(m);
    w.WriteDescription(p);
    w.WriteFileCount(files);
    for (int i = 0; i < files; ++i) {
      std::string content(static_cast<size_t>(i * 7), 'c');
      TMemoryStream c(std::vector<uint8_t>(content.begin(), content.end()));
      w.WriteEntry("Lib\\File" + std::to_string(i) + ".dcu", c, static_cast<int32_t>(content.size()));
    }
    w.WriteObsolete({"Old.dcu", "Help\\Old.hlp"});
    w.Flush();
  }
  m.SaveToFile(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::string setupDir = argv[1], streamDir = argv[2];
  SetupSeed(setupDir + "/library.stp", 2, 3, true);
  SetupSeed(setupDir + "/help.stp", 3, 1, false);
  TMemoryStream m;
  {
    uint8_t bufferSize = 0;
    m.WriteBuffer(&bufferSize, 1);
    TKyWriter w(m);
    w.WriteInteger(152);
    w.WriteString(std::string(300, 's'));
    w.WriteIdent("True");
    w.WriteFloat(TExtended::FromDouble(2.5));
    w.WriteSet({"akLeft", "akTop"});
    w.WriteBinary("xyz", 3);
    w.WriteChar('c');
  }
  m.SaveToFile(streamDir + "/values.bin");
  return 0;
}
