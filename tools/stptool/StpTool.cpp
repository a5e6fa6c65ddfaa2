// stptool: packs setup files from a manifest and shows what a setup file holds.
#include <cstdio>
#include <string>
#include <vector>

#include "EngineCommands.h"
#include "Manifest.h"
#include "platform/base/Exception.h"
#include "platform/base/SysUtils.h"
#include "setup/InstallerMessages.h"
#include "setup/SetupFile.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage:\n"
    "  stptool pack MANIFEST.ini OUT.stp   write a setup file from a manifest\n"
    "  stptool info FILE.stp               show the header, files and obsolete names\n"
    "  stptool setup --folder DIR --group DIR [--language 0..4]\n"
    "                                      install the installer itself (KySetup.exe beside stptool)\n"
    "  stptool install FILE.stp [--envs D3,D5,...] [--force]\n"
    "                                      install a product (--envs: environments of a kind 3 help product;\n"
    "                                      --force: even while the environment's IDE runs)\n"
    "  stptool plan FILE.stp [--envs D3,D5,...] [--force] [--json]\n"
    "                                      show what installing would do, changing nothing\n"
    "  stptool verify [IDENTIFIER]         compare installed products with their setup files\n"
    "  stptool remove IDENTIFIER [--update] [--force]\n"
    "                                      erase a product, or with --update its update\n"
    "  stptool list                        list the installed products\n";

std::string V(const TVersion& v) {
  return Format("%d.%d.%d", {int64_t{v.Major}, int64_t{v.Minor}, int64_t{v.Release}});
}

void Info(const std::string& file) {
  TSetupFileReader r(NormalizeSeparators(file));
  const TSetupProduct& p = r.ReadDescription();
  std::printf("Name:          %s\n", p.Name.c_str());
  std::printf("Kind:          %d (%s)\n", p.Kind, KindTag(p.Kind));
  std::printf("Qualifier:     %s\n", p.Qualifier.c_str());
  std::printf("Version:       %s\n", V(p.Version).c_str());
  std::printf("Base version:  %s\n", V(p.BaseVersion).c_str());
  std::printf("Update:        %s\n", p.Update ? "yes" : "no");
  std::printf("Shortcuts:     %s\n", JoinCommaText(SplitCommaText(p.Shortcuts)).c_str());
  std::printf("Requires:      %s\n", V(p.Required).c_str());
  std::printf("Picture:       %u bytes\n", static_cast<unsigned>(p.Picture.size()));
  std::printf("Identifier:    %s\n", p.Identifier().c_str());
  std::printf("Description:   %s\n", p.Text().c_str());
  int32_t count = r.ReadFileCount();
  std::printf("Files:         %d\n", count);
  for (int32_t i = 0; i < count; ++i) {
    TSetupEntry e = r.ReadEntry();
    r.SkipContent(e);
    std::printf("  %12d  %s\n", e.Size, e.Name.c_str());
  }
  std::vector<std::string> obsolete = r.ReadObsolete();
  std::printf("Obsolete:      %u\n", static_cast<unsigned>(obsolete.size()));
  for (const std::string& n : obsolete) std::printf("  %s\n", n.c_str());
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) throw TUsageError{"no command given"};
  const std::string& cmd = args[0];
  if (cmd == "pack") {
    if (args.size() != 3) throw TUsageError{"pack needs MANIFEST.ini and OUT.stp"};
    PackSetupFile(LoadManifest(NormalizeSeparators(args[1])), NormalizeSeparators(args[2]));
  } else if (cmd == "info") {
    if (args.size() != 2) throw TUsageError{"info needs FILE.stp"};
    Info(args[1]);
  } else if (cmd == "setup") {
    CommandSetup(args);
  } else if (cmd == "install") {
    CommandInstall(args);
  } else if (cmd == "plan") {
    CommandPlan(args);
  } else if (cmd == "verify") {
    CommandVerify(args);
  } else if (cmd == "remove") {
    CommandRemove(args);
  } else if (cmd == "list") {
    CommandList(args);
  } else if (cmd == "help" || cmd == "--help" || cmd == "-h") {
    std::fputs(kUsage, stdout);
  } else {
    throw TUsageError{"unknown command '" + cmd + "'"};
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  UseEnglishInstallerMessages();
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return Run(args);
  } catch (const TUsageError& e) {
    std::fprintf(stderr, "stptool: %s\n%s", e.what.c_str(), kUsage);
    return kExitUsage;
  } catch (const Exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", e.what());
    return kExitRefused;
  }
}
