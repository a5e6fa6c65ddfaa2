// The gallery form of the skinned controls against plain Win32 buttons and
// edits painted by the system, in one process: for each page of the
// gallery, a full repaint of the form with that page showing, and a full
// repaint of a plain window holding as many BUTTON and EDIT windows as the
// gallery shows controls (its edits as EDIT windows, everything else as
// BUTTON windows). Prints the medians and their ratio.
//
//   bench_gallery [ROUNDS]     ROUNDS repaints per measurement (default 40)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

// The library's own wrapper first: it takes back the A/W name macros.
#include "platform/os/WinApi.h"

#include "controls/KyEdit.h"
#include "controls/KyMemo.h"
#include "controls/KyPageControl.h"
#include "controls/RegisterControls.h"
#include "packages/CApplication.h"
#include "platform/windows/Application.h"

namespace {

class TFrGallery : public TForm {
  KY_CLASS(TFrGallery, TForm)
public:
  using TForm::TForm;
};

double MedianRepaintMs(HWND window, int rounds) {
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

// The controls that show, edits apart from the rest.
void CountShown(TWinControl* parent, int& edits, int& others) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (!c->Visible()) continue;
    if (dynamic_cast<TKyCustomEdit*>(c))
      ++edits;
    else if (!dynamic_cast<TKyTabSheet*>(c))
      ++others;
    if (auto* w = dynamic_cast<TWinControl*>(c)) CountShown(w, edits, others);
  }
}

LRESULT CALLBACK PlainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, msg, wp, lp); }

// A plain window of the gallery's size with the given system controls.
HWND MakePlainWindow(int edits, int buttons) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "KyBenchPlain";
    RegisterClassA(&wc);
    registered = true;
  }
  HWND w = CreateWindowExA(0, "KyBenchPlain", "Plain", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 60, 60, 576, 438,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  for (int i = 0; i < edits + buttons; ++i) {
    bool edit = i < edits;
    CreateWindowExA(edit ? WS_EX_CLIENTEDGE : 0, edit ? "EDIT" : "BUTTON", edit ? "C:\\Program Files\\Ky" : "Button",
                    WS_CHILD | WS_VISIBLE | (edit ? ES_AUTOHSCROLL : BS_PUSHBUTTON), 10 + (i % 4) * 135,
                    10 + (i / 4) * 34, 125, 26, w, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ShowWindow(w, SW_SHOWNORMAL);
  UpdateWindow(w);
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 40;
  RegisterControlClasses();
  RegisterClasses({&TFrGallery::StaticClass()});
  TApplication app;
  TFrGallery* form = nullptr;
  app.CreateForm(form);
  if (TKyCApplication* config = FirstApplication()) {
    config->PkgDisplay()->LoadFromFile(KY_GALLERY_DIR "/Gallery.dis");
    config->PkgLanguage()->SystemStrings().LoadFromFile(KY_GALLERY_DIR "/System.pst");
  }
  // The memo shows lines as in the gallery: an empty one would paint less.
  if (auto* notes = form->Find<TKyMemo>("EdNotes"))
    notes->Lines()->SetText(
        "Blocks above, a solid bar below it, and a bar that grows upwards on the left.\r\n"
        "This memo is read-only.\r\nLine four\r\nLine five\r\nLine six\r\nLine seven\r\nLine eight");
  auto* pages = form->Find<TKyPageControl>("PageControl");
  form->Show();
  app.ProcessMessages();
  double gallerySum = 0, plainSum = 0;
  for (int page = 0; page < (pages ? pages->Tabs()->Count() : 1); ++page) {
    if (pages) pages->SetValue(Variant(page));
    app.ProcessMessages();
    int edits = 0, others = 0;
    CountShown(form, edits, others);
    MedianRepaintMs(form->Handle(), 3);  // warm the caches
    double gallery = MedianRepaintMs(form->Handle(), rounds);
    HWND plain = MakePlainWindow(edits, others);
    MedianRepaintMs(plain, 3);
    double system = MedianRepaintMs(plain, rounds);
    DestroyWindow(plain);
    app.ProcessMessages();
    std::printf("page %d: %d controls (%d edits): gallery %.3f ms, plain %.3f ms, ratio %.2f\n", page, edits + others,
                edits, gallery, system, gallery / system);
    gallerySum += gallery;
    plainSum += system;
  }
  std::printf("repaint, gallery / plain Win32 buttons and edits: %.2f\n", gallerySum / plainSum);
  return 0;
}
