// The installer's wizard as the program starts it: process start to the end
// of the first complete paint (every window of the form painted), then the
// time a language switch takes until every caption is repainted.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "StartClock.h"
#include "controls/KyRadioGroup.h"
#include "platform/windows/Application.h"
#include "setup/forms/FrAbout.h"
#include "setup/forms/FrSearch.h"
#include "setup/forms/FrSetup.h"

int main() {
  const long long atMain = MicrosecondsSinceStart();
  RegisterSetupForms();
  TApplication app;
  TFrSetup* setup = nullptr;
  app.CreateForm(setup);
  if (app.TerminateRequested()) {
    std::fprintf(stderr, "another installer runs\n");
    return 1;
  }
  const long long atWizard = MicrosecondsSinceStart();
  app.CreateForm(FrSearch);
  app.CreateForm(FrAbout);
  const long long atDialogs = MicrosecondsSinceStart();
  setup->Show();
  const long long atShown = MicrosecondsSinceStart();
  // Handled until nothing waits: the last WM_PAINT of the last window.
  app.ProcessMessages();
  GdiFlush();
  const long long atPaint = MicrosecondsSinceStart();
  std::printf("first paint %lld us\n", atPaint);
  // Where the start goes: loading the process and its static set-up,
  // reading the wizard, the two dialogs, showing (its windows made and
  // mapped) and painting.
  std::printf("phases: to main %lld us, wizard form %lld us, dialogs %lld us, show %lld us, paint %lld us\n", atMain,
              atWizard - atMain, atDialogs - atWizard, atShown - atDialogs, atPaint - atShown);

  std::vector<double> ms;
  for (int round = 0; round < 4; ++round)
    for (int language : {1, 2, 3, 4, 0}) {
      auto t0 = std::chrono::steady_clock::now();
      setup->Edlanguage->SetValue(Variant(std::to_string(language)));
      app.ProcessMessages();
      GdiFlush();
      auto t1 = std::chrono::steady_clock::now();
      ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
  std::sort(ms.begin(), ms.end());
  std::printf("language switch median %.3f ms (min %.3f, max %.3f)\n", ms[ms.size() / 2], ms.front(), ms.back());
  return 0;
}
