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

#include "controls/KyListBox.h"
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
#include "platform/windows/Menus.h"

class TFrGallery : public TForm {
  KY_CLASS(TFrGallery, TForm)
public:
  using TForm::TForm;
  static void Publish(TPublisher<TFrGallery>& p) {
    p.Method("ListDragOver", &TFrGallery::ListDragOver);
    p.Method("ListDragDrop", &TFrGallery::ListDragDrop);
    p.Method("ListMouseDown", &TFrGallery::ListMouseDown);
    p.Method("ListsMenuPopup", &TFrGallery::ListsMenuPopup);
    p.Method("MoveClick", &TFrGallery::MoveClick);
    p.Method("SortClick", &TFrGallery::SortClick);
    p.Method("AllRightClick", &TFrGallery::AllRightClick);
    p.Method("AllLeftClick", &TFrGallery::AllLeftClick);
  }

  // The drag page: items move between the two lists.
  void ListDragOver(TObject* sender, TObject* source, int32_t, int32_t, TDragState, bool& accept) {
    auto* from = dynamic_cast<TKyListBox*>(source);
    accept = from && from != sender && from->FocusedIndex() >= 0;
  }
  void ListDragDrop(TObject* sender, TObject* source, int32_t, int32_t) {
    MoveFocused(dynamic_cast<TKyListBox*>(source), dynamic_cast<TKyListBox*>(sender));
  }
  // A right press marks the item the menu will act on.
  void ListMouseDown(TObject* sender, TMouseButton button, TShiftState, int32_t x, int32_t y) {
    auto* list = static_cast<TKyListBox*>(sender);
    if (button != mbRight) return;
    int index = list->ItemAt(x, y);
    if (index >= 0) list->SetFocusedIndex(index);
  }
  // The menu acts on the list it was opened on (the left one from the button).
  void ListsMenuPopup(TObject* sender) {
    auto* menu = static_cast<TPopupMenu*>(sender);
    TKyListBox* list = MenuList(menu);
    if (auto* move = Find<TMenuItem>("MiMove")) move->SetEnabled(list && list->FocusedIndex() >= 0);
    if (auto* sort = Find<TMenuItem>("MiSort")) sort->SetChecked(list && list->Sorted());
  }
  void MoveClick(TObject*) {
    TKyListBox* list = MenuList(Find<TPopupMenu>("PmLists"));
    MoveFocused(list, Other(list));
  }
  void SortClick(TObject* sender) {
    if (TKyListBox* list = MenuList(Find<TPopupMenu>("PmLists")))
      list->SetSorted(static_cast<TMenuItem*>(sender)->Checked());
  }
  void AllRightClick(TObject*) { MoveAll(Find<TKyListBox>("EdAvailable"), Find<TKyListBox>("EdChosen")); }
  void AllLeftClick(TObject*) { MoveAll(Find<TKyListBox>("EdChosen"), Find<TKyListBox>("EdAvailable")); }

private:
  TKyListBox* MenuList(TPopupMenu* menu) {
    if (!menu) return nullptr;
    if (auto* list = dynamic_cast<TKyListBox*>(menu->PopupComponent())) return list;
    return Find<TKyListBox>("EdAvailable");
  }
  TKyListBox* Other(TKyListBox* list) {
    if (!list) return nullptr;
    return Find<TKyListBox>(list->Name() == "EdAvailable" ? "EdChosen" : "EdAvailable");
  }
  static void MoveFocused(TKyListBox* from, TKyListBox* to) {
    if (!from || !to || from->FocusedIndex() < 0) return;
    TKyListBoxItem* item = from->Shown(from->FocusedIndex());
    std::string value = item->Value(), description = item->Description();
    from->Items()->Delete(item->Index());
    to->Items()->Add(value, description);
  }
  static void MoveAll(TKyListBox* from, TKyListBox* to) {
    if (!from || !to) return;
    while (from->ShownCount() > 0) {
      from->SetFocusedIndex(0);
      MoveFocused(from, to);
    }
  }
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
