// Writes a few well-formed inputs for the fuzz targets into the folders
// given: setup files for fuzz_setup_file, value runs for fuzz_typed_stream,
// packages of every portable kind for fuzz_packages.
#include <string>

#include "packages/PkgDisplay.h"
#include "packages/PkgImages.h"
#include "packages/PkgPrivileges.h"
#include "packages/PkgStrings.h"
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

// The selector byte that fuzz_packages reads first, then the package.
void PackageSeed(const std::string& file, uint8_t selector, const std::vector<uint8_t>& bytes) {
  TMemoryStream m;
  m.WriteBuffer(&selector, 1);
  m.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  m.SaveToFile(file);
}

void PackageSeeds(const std::string& dir) {
  TKyPkgStrings strings(nullptr);
  strings.AddLabel(3, "Aceptar", "Pulse aqu\xED");
  strings.AddLabel(40, "Lejos");
  strings.AddMessage(12, "El fichero '%s' no tiene el formato.");
  strings.AddText(0, "line\r\nline");
  PackageSeed(dir + "/strings.bin", 0, strings.SaveToBytes());

  TKyPkgImages images(nullptr);
  TKyPkgImagesImage* image = images.AddImage(7);
  image->SetPicture("TBitmap", {'B', 'M', 1, 2, 3, 4}, 2, 1);
  image->SetRegion1({1, 2, 3});
  PackageSeed(dir + "/images.bin", 1, images.SaveToBytes());

  TKyPkgDisplay display(nullptr);
  display.AddFont("sf1");
  display.AddColor("sc1")->SetColor(0x00FF00);
  display.AddBackGround("sb1")->SetImage("System", 1);
  display.SystemImages().AddImage(1)->SetPicture("TBitmap", {'B', 'M'}, 1, 1);
  display.SetCustomColors("ColorA=FFFFFF");
  PackageSeed(dir + "/display.bin", 2, display.SaveToBytes());

  TKyPkgPrivileges privileges(nullptr);
  privileges.AddItem(0, "prueba", 1);
  privileges.AddItem(5, "borrar", 2);
  PackageSeed(dir + "/privileges.bin", 3, privileges.SaveToBytes());
  TMemoryStream access;
  privileges.SaveAccess(access, "");
  PackageSeed(dir + "/access.bin", 4, access.Data());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  std::string setupDir = argv[1], streamDir = argv[2];
  PackageSeeds(argv[3]);
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
