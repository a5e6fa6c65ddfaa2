// gallery: every skinned control of the library on one form read from its
// text form (TFrGallery.kfm), with its look from Gallery.dis and the
// library's texts in English from System.pst beside the program.
//
//   gallery              shows the form until it is closed
//   gallery shot FILE [PAGE]   paints the form's client area into a BMP
//                              file, with the page control on PAGE
//   gallery message            asks a three-button question over the form
#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/KyMemo.h"
#include "controls/KyPageControl.h"
#include "controls/KyVeMessage.h"
#include "controls/RegisterControls.h"
#include "packages/CApplication.h"
#include "platform/graphics/Bitmap.h"
#include "platform/base/FileNames.h"
#include "platform/os/FileOps.h"
#include "platform/os/ProgramInfo.h"
#include "platform/windows/Application.h"

class TFrGallery : public TForm {
  KY_CLASS(TFrGallery, TForm)
public:
  using TForm::TForm;
};

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (!mode.empty() && !(mode == "shot" && (argc == 3 || argc == 4)) && !(mode == "message" && argc == 2)) {
    std::fprintf(stderr, "usage: gallery [shot FILE.bmp [PAGE] | message]\n");
    return 2;
  }
  try {
    RegisterControlClasses();
    RegisterClasses({&TFrGallery::StaticClass()});
    TApplication app;
    // The look comes with the program: its display package beside it.
    std::string display = ExtractFilePath(ProgramFileName()) + "Gallery.dis";
    TFrGallery* form = nullptr;
    app.CreateForm(form);
    // The library's own texts (button kinds, messages) beside it too.
    std::string system = ExtractFilePath(ProgramFileName()) + "System.pst";
    if (TKyCApplication* config = FirstApplication()) {
      if (FileExists(system)) config->PkgLanguage()->SystemStrings().LoadFromFile(system);
      if (FileExists(display)) config->PkgDisplay()->LoadFromFile(display);
    }
    // A memo's lines are never part of its form: the program hands them in.
    if (auto* notes = form->Find<TKyMemo>("EdNotes"))
      notes->Lines()->SetText(
          "Blocks above, a solid bar below it, and a bar that grows upwards on the left.\r\n"
          "This memo is read-only.\r\nLine four\r\nLine five\r\nLine six\r\nLine seven\r\nLine eight");
    if (mode == "shot") {
      if (argc == 4)
        if (auto* pages = form->Find<TKyPageControl>("PageControl")) pages->SetValue(Variant(std::atoi(argv[3])));
      form->Show();
      app.ProcessMessages();
      // The first edit of the page shows the focused look.
      for (const char* name : {"EdFolder", "EdChecked", "BtOk"})
        if (auto* control = form->Find<TWinControl>(name); control && control->CanFocus()) {
          form->FocusControl(control);
          break;
        }
      app.ProcessMessages();
      TBitmap picture(form->ClientWidth(), form->ClientHeight(), pf24bit);
      form->PaintTo(picture.Canvas()->Handle(), 0, 0);
      picture.SaveToFile(argv[2]);
      std::printf("%s\n", argv[2]);
      return 0;
    }
    if (mode == "message") {
      form->Show();
      TKyButtonKind answer = ShowMessageDialog(
          kMsgConfirmation, "The product is already installed. Do you want to install it again?", {bkiYes, bkiNo, bkiCancel},
          bkiYes);
      std::printf("%s\n", ButtonKindText(answer).Hint.c_str());
      return 0;
    }
    app.Run();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gallery: %s\n", e.what());
    return 1;
  }
}
