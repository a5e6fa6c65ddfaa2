// The gallery form of the skinned controls against plain Win32 buttons and
// edits painted by the system, in one process: for each page of the
// gallery, a full repaint of the form with that page showing, and a full
// repaint of a plain window holding as many BUTTON and EDIT windows as the
// gallery shows controls (its edits as EDIT windows, its memos as
// multi-line EDIT windows of their size with their lines and a scroll bar,
// everything else as BUTTON windows). Prints the medians and their ratio.
//
//   bench_gallery [ROUNDS]     ROUNDS repaints per measurement (default 40)
//   bench_gallery ROUNDS kinds also the repaint of each shown control alone,
//                              summed by class: where a page's time goes
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
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

// A full repaint of window, or of area of it (with the frames of the child
// windows inside).
double MedianRepaintMs(HWND window, int rounds, const RECT* area = nullptr) {
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    RedrawWindow(window, area, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

// The controls that show, edits and memos apart from the rest.
void CountShown(TWinControl* parent, int& edits, std::vector<TKyCustomMemo*>& memos, int& others) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (!c->Visible()) continue;
    if (dynamic_cast<TKyCustomEdit*>(c))
      ++edits;
    else if (auto* memo = dynamic_cast<TKyCustomMemo*>(c))
      memos.push_back(memo);
    else if (!dynamic_cast<TKyTabSheet*>(c))
      ++others;
    if (auto* w = dynamic_cast<TWinControl*>(c)) CountShown(w, edits, memos, others);
  }
}

// Each shown control repainted alone (a windowless one as its area of its
// parent), summed by class name.
void KindTimes(TWinControl* parent, int rounds, std::map<std::string, std::pair<int, double>>& kinds) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (!c->Visible() || dynamic_cast<TKyTabSheet*>(c)) {
      if (auto* sheet = dynamic_cast<TKyTabSheet*>(c); sheet && sheet->Visible()) KindTimes(sheet, rounds, kinds);
      continue;
    }
    auto* w = dynamic_cast<TWinControl*>(c);
    double ms = 0;
    if (w && w->HandleAllocated()) {
      ms = MedianRepaintMs(w->Handle(), rounds);
    } else {
      TRect b = c->BoundsRect();
      RECT r{b.Left, b.Top, b.Right, b.Bottom};
      ms = MedianRepaintMs(parent->Handle(), rounds, &r);
    }
    auto& k = kinds[c->ClassName()];
    ++k.first;
    k.second += ms;
    // A page control's own time includes its pages: they are counted alone.
    if (w && !dynamic_cast<TKyPageControl*>(c)) continue;
    if (w) KindTimes(w, rounds, kinds);
  }
}

LRESULT CALLBACK PlainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, msg, wp, lp); }

// A plain window of the gallery's size with the given system controls.
HWND MakePlainWindow(int edits, int buttons, const std::vector<TKyCustomMemo*>& memos = {}) {
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
  for (size_t i = 0; i < memos.size(); ++i) {
    HWND memo = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                                10 + static_cast<int>(i) * 140, 220, memos[i]->Width(), memos[i]->Height(), w,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowTextA(memo, memos[i]->Lines()->Text().c_str());
  }
  ShowWindow(w, SW_SHOWNORMAL);
  UpdateWindow(w);
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 40;
  bool kinds = argc > 2 && std::string(argv[2]) == "kinds";
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
    std::vector<TKyCustomMemo*> memos;
    CountShown(form, edits, memos, others);
    MedianRepaintMs(form->Handle(), 3);  // warm the caches
    double gallery = MedianRepaintMs(form->Handle(), rounds);
    HWND plain = MakePlainWindow(edits, others, memos);
    MedianRepaintMs(plain, 3);
    double system = MedianRepaintMs(plain, rounds);
    DestroyWindow(plain);
    app.ProcessMessages();
    int shown = edits + static_cast<int>(memos.size()) + others;
    std::printf("page %d: %d controls (%d edits, %d memos): gallery %.3f ms, plain %.3f ms, ratio %.2f\n", page, shown,
                edits, static_cast<int>(memos.size()), gallery, system, gallery / system);
    if (kinds) {
      std::map<std::string, std::pair<int, double>> times;
      KindTimes(form, rounds, times);
      for (auto& [name, k] : times) std::printf("  %-16s x%-2d %.3f ms\n", name.c_str(), k.first, k.second);
    }
    gallerySum += gallery;
    plainSum += system;
  }
  std::printf("repaint, gallery / plain Win32 buttons and edits: %.2f\n", gallerySum / plainSum);
  return 0;
}
