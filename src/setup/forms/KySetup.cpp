// KySetup: the installation manager's wizard.
//
//   KySetup                   runs the wizard
//   KySetup FILE.stp          runs the wizard and adds that setup file
//   KySetup /erase IDENTIFIER runs the wizard on that product's erase page
//   KySetup --shots FOLDER    writes a picture of every page in every
//                             language, of the search dialog and of the
//                             about box into FOLDER (BMP files), and ends
#include <cstdio>
#include <string>
#include <vector>

#include "packages/CApplication.h"
#include "platform/os/InstanceChannel.h"
#include "platform/os/ProgramInfo.h"
#include "platform/windows/Application.h"
#include "setup/forms/FrAbout.h"
#include "setup/forms/FrSearch.h"
#include "setup/forms/FrSetup.h"
#include "setup/forms/ScreenShots.h"

namespace {

// The window class a running wizard keeps for the requests of second copies.
constexpr const char* kRequestWindow = "KySetupRequests";

constexpr const char* kUsage =
    "KySetup is called as:\r\n\r\n"
    "KySetup.exe\r\n"
    "KySetup.exe FILE.stp      (installs that setup file)\r\n"
    "KySetup.exe /erase IDENTIFIER      (erases that product)";

}  // namespace

int main() {
  std::string shots, request;
  const std::vector<std::string> args = ProgramArguments();
  if (args.size() == 2 && args[0] == "--shots") shots = args[1];
  else if (args.size() == 2 && (args[0] == "/erase" || args[0] == "/ERASE") && !args[1].empty())
    request = "erase\t" + args[1];
  else if (args.size() == 1 && !args[0].empty() && args[0][0] != '/' && args[0][0] != '-')
    request = "open\t" + FullPathName(args[0]);
  const bool refused = shots.empty() && request.empty() && !args.empty();
  try {
    RegisterSetupForms();
    TApplication app;
    app.SetTitle("Install Manager");
    if (refused) {
      ShowExceptionMessage(kUsage);
      return 2;
    }
    TFrSetup::SetProgramFile(ProgramFileName());
    TFrSetup* setup = nullptr;
    app.CreateForm(setup);
    // A second copy stops here, before any window shows, and hands its
    // request to the running wizard.
    if (app.TerminateRequested()) {
      if (!request.empty() && !TInstanceChannel::Send(kRequestWindow, request))
        ShowExceptionMessage("Another installation is in progress: try again when it has ended.");
      return 0;
    }
    app.CreateForm(FrSearch);
    app.CreateForm(FrAbout);
    if (!shots.empty()) return WriteScreenShots(*setup, shots);
    TInstanceChannel channel(kRequestWindow, [setup](const std::string& r) { setup->TakeRequest(r); });
    if (!request.empty()) channel.Post(request);
    app.Run();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "KySetup: %s\n", e.what());
    ShowExceptionMessage(e.what());
    return 1;
  }
}
