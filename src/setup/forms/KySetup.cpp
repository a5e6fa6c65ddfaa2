// KySetup: the installation manager's wizard.
//
//   KySetup                   runs the wizard
//   KySetup --shots FOLDER    writes a picture of every page in every
//                             language, of the search dialog and of the
//                             about box into FOLDER (BMP files), and ends
#include <cstdio>
#include <string>

#include "packages/CApplication.h"
#include "platform/os/ProgramInfo.h"
#include "platform/windows/Application.h"
#include "setup/forms/FrAbout.h"
#include "setup/forms/FrSearch.h"
#include "setup/forms/FrSetup.h"
#include "setup/forms/ScreenShots.h"

int main(int argc, char** argv) {
  std::string shots;
  if (argc == 3 && std::string(argv[1]) == "--shots") shots = argv[2];
  try {
    RegisterSetupForms();
    TApplication app;
    app.SetTitle("Install Manager");
    TFrSetup::SetProgramFile(ProgramFileName());
    TFrSetup* setup = nullptr;
    app.CreateForm(setup);
    // A second copy stops here, before any window shows.
    if (app.TerminateRequested()) return 0;
    app.CreateForm(FrSearch);
    app.CreateForm(FrAbout);
    if (!shots.empty()) return WriteScreenShots(*setup, shots);
    app.Run();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "KySetup: %s\n", e.what());
    ShowExceptionMessage(e.what());
    return 1;
  }
}
