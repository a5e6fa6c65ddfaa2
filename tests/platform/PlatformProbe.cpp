// Drives the platform layer from the command line, so that check_outside.sh
// can look at the results with Linux tools (wine reg, lnkinfo, ls).
#include <cstdio>
#include <vector>
#include <cstdlib>
#include <string>

#include "platform/base/Exception.h"
#include "platform/os/FileOps.h"
#include "platform/os/Registry.h"
#include "platform/os/Shortcuts.h"

int main(int argc, char** argv) {
  const std::string cmd = argc > 1 ? argv[1] : "";
  auto arg = [&](int i) { return std::string(i < argc ? argv[i] : ""); };
  try {
    TRegistry reg;
    if (cmd == "reg-write" && argc == 5) {
      reg.WriteString(arg(2), arg(3), arg(4));
    } else if (cmd == "reg-write-int" && argc == 5) {
      reg.WriteInteger(arg(2), arg(3), std::atoi(argv[4]));
    } else if (cmd == "reg-read-int" && argc == 5) {
      std::printf("%d\n", reg.ReadInteger(arg(2), arg(3), std::atoi(argv[4])));
    } else if (cmd == "link" && argc == 5) {
      TComInit com;
      CreateShellLink(arg(2), arg(3), arg(4));
    } else if (cmd == "delete-tree" && argc == 4) {
      // What could not be deleted, one a line; exit status 3 when anything stays.
      std::vector<std::string> failed = DeleteTree(arg(2), arg(3) == "1");
      for (const std::string& f : failed) std::printf("%s\n", f.c_str());
      if (!failed.empty()) return 3;
    } else {
      std::fprintf(stderr,
                   "usage: platform_probe reg-write|reg-write-int|reg-read-int SECTION VALUE DATA\n"
                   "       platform_probe link LINKFILE TARGET FOLDER\n"
                   "       platform_probe delete-tree FOLDER 0|1\n");
      return 2;
    }
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
