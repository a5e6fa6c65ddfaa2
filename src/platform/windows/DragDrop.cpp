#include "platform/windows/DragDrop.h"

#include "platform/os/WinApi.h"

#include <cstdlib>

#include "platform/windows/Application.h"

TCursor TDragObject::GetDragCursor(bool accepted, int32_t /*x*/, int32_t /*y*/) {
  return accepted ? crDrag : crNoDrop;
}

void TDragObject::Finished(TObject* /*target*/, int32_t /*x*/, int32_t /*y*/, bool /*accepted*/) {}

TCursor TDragControlObject::GetDragCursor(bool accepted, int32_t /*x*/, int32_t /*y*/) {
  return accepted ? control_->DragCursor() : crNoDrop;
}

namespace {

struct TDragRun {
  TControl* source = nullptr;
  TDragObject* object = nullptr;
  bool ownObject = false;
  bool active = false;
  int32_t threshold = 0;
  TPoint start{};
  TControl* target = nullptr;
  bool accepted = false;
};

TDragRun gRun;
HWND gCaptureWindow = nullptr;
// The last mouse message: its window and client point.
HWND gMouseWindow = nullptr;
LPARAM gMouseLParam = 0;
// While a drag ends (the run already reset): the source and target its
// last events go to, forgotten when they are freed meanwhile.
TControl* gEndingSource = nullptr;
TControl* gEndingTarget = nullptr;
// A drag cancelled by the right button: its release is no context click.
bool gSwallowRightUp = false;

TPoint ToScreen(HWND window, LPARAM lParam) {
  POINT p{LoWordOf(lParam), HiWordOf(lParam)};
  ClientToScreen(window, &p);
  return {p.x, p.y};
}

TObject* SourceArg(TDragObject* object, TControl* source) {
  if (auto* c = dynamic_cast<TDragControlObject*>(object)) return c->Control() ? c->Control() : source;
  return object ? static_cast<TObject*>(object) : source;
}

}  // namespace

bool TDragManager::AskTarget(TControl* target, TDragObject* object, TControl* source, TPoint screen,
                             TDragState state) {
  TPoint local = target->ScreenToClient(screen);
  bool accept = false;
  target->DragOver(SourceArg(object, source), local.X, local.Y, state, accept);
  return accept;
}

namespace {

void ShowDragCursor(TCursor id) {
  if (Screen) ::SetCursor(Screen->Cursors(id));
}

LRESULT CALLBACK CaptureWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    if (IsClientMouseMessage(msg)) {
      if (TDragManager::Watching()) TDragManager::MouseMessage(hwnd, msg, wParam, lParam);
      return 0;
    }
    if (msg == WM_CAPTURECHANGED && TDragManager::Active() && reinterpret_cast<HWND>(lParam) != hwnd) {
      // Another window took the mouse (a dialog, another program): no drop.
      TDragManager::Done(false);
      return 0;
    }
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND CaptureWindow() {
  if (gCaptureWindow && IsWindow(gCaptureWindow)) return gCaptureWindow;
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &CaptureWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KyDragCapture";
    RegisterClassA(&wc);
    registered = true;
  }
  gCaptureWindow = CreateWindowExA(WS_EX_TOOLWINDOW, "KyDragCapture", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  return gCaptureWindow;
}

}  // namespace

void TDragManager::DragTo(TPoint screen) {
  TDragRun& r = gRun;
  r.object->dragPos_ = screen;
  TControl* now = TDragManager::FindTarget(screen);
  if (now != r.target) {
    TControl* old = r.target;
    r.target = nullptr;
    r.object->dragTarget_ = nullptr;
    if (old) AskTarget(old, r.object, r.source, screen, dsDragLeave);
    if (!r.source) return;  // a handler freed the source
    r.target = now;
    r.object->dragTarget_ = now;
    if (now) AskTarget(now, r.object, r.source, screen, dsDragEnter);
    if (!r.source) return;
  }
  r.accepted = r.target && AskTarget(r.target, r.object, r.source, screen, dsDragMove);
  if (!r.source) return;
  TPoint local = r.target ? r.target->ScreenToClient(screen) : screen;
  ShowDragCursor(r.object->GetDragCursor(r.accepted, local.X, local.Y));
}

void TDragManager::Start(TPoint screen) {
  TDragRun& r = gRun;
  TControl* source = r.source;
  TDragObject* object = nullptr;
  source->DoStartDrag(object);
  if (!r.source) return;  // freed by its own handler
  if (object) {
    r.object = object;
    r.ownObject = false;
  } else {
    r.object = new TDragControlObject(source);
    r.ownObject = true;
  }
  r.active = true;
  // The source stops its own tracking (pressed look, selection, capture)
  // and gets no click for this press.
  source->Perform(WM_CANCELMODE);
  if (!r.source) return;
  source->SetControlState(source->ControlState() - TControlState{csLButtonDown, csClicked});
  SetCapture(CaptureWindow());
  DragTo(screen);
}

namespace {

void ClearRun() {
  if (gRun.ownObject) delete gRun.object;
  gRun = TDragRun{};
}

}  // namespace

int32_t TDragManager::DefaultThreshold() {
  int v = GetSystemMetrics(SM_CXDRAG);
  return v > 0 ? v : 4;
}

void TDragManager::NoteMouse(HWND window, LPARAM lParam) {
  gMouseWindow = window;
  gMouseLParam = lParam;
}

void TDragManager::Begin(TControl* source, bool immediate, int32_t threshold) {
  if (!source || gRun.source) return;
  TPoint start;
  if (gMouseWindow && IsWindow(gMouseWindow)) {
    start = ToScreen(gMouseWindow, gMouseLParam);
  } else {
    POINT p;
    GetCursorPos(&p);
    start = {p.x, p.y};
  }
  gRun.source = source;
  gRun.start = start;
  gRun.threshold = threshold < 0 ? DefaultThreshold() : (threshold == 0 ? 1 : threshold);
  if (immediate) Start(start);
}

bool TDragManager::Pending() { return gRun.source != nullptr; }
bool TDragManager::Active() { return gRun.source != nullptr && gRun.active; }
TControl* TDragManager::Source() { return gRun.source; }
TDragObject* TDragManager::Object() { return gRun.object; }

void TDragManager::Done(bool drop) {
  if (!gRun.source) return;
  if (!gRun.active) {
    // Armed only: nothing was dragged, nobody hears of it.
    ClearRun();
    return;
  }
  TDragRun r = gRun;
  gRun = TDragRun{};
  gEndingSource = r.source;
  gEndingTarget = r.target;
  struct TEnd {
    TDragRun& r;
    ~TEnd() {
      if (r.ownObject) delete r.object;
      gEndingSource = gEndingTarget = nullptr;
    }
  } end{r};
  if (GetCapture() == gCaptureWindow) ReleaseCapture();
  ShowDragCursor(Screen && Screen->Cursor() != crDefault ? Screen->Cursor() : crArrow);
  TPoint at = r.object->dragPos_;
  bool accepted = false;
  if (gEndingTarget) {
    // The target's last word decides, as it hears the drag leave.
    bool answer = AskTarget(gEndingTarget, r.object, r.source, at, dsDragLeave);
    accepted = drop && r.accepted && answer && gEndingSource && gEndingTarget;
  }
  TControl* target = accepted ? gEndingTarget : nullptr;
  TPoint local{};
  if (target) {
    local = target->ScreenToClient(at);
    target->DragDrop(SourceArg(r.object, gEndingSource), local.X, local.Y);
    target = gEndingTarget;  // may have been freed by its handler
  } else if (gEndingSource) {
    local = gEndingSource->ScreenToClient(at);
  }
  r.object->Finished(target, local.X, local.Y, target != nullptr);
  if (gEndingSource) gEndingSource->DoEndDrag(target, local.X, local.Y);
}

bool TDragManager::Watching() { return gRun.source != nullptr || gSwallowRightUp; }

bool TDragManager::MouseMessage(HWND window, uint32_t msg, WPARAM /*wParam*/, LPARAM lParam) {
  if (gSwallowRightUp && (msg == WM_RBUTTONUP || msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN)) {
    gSwallowRightUp = false;
    if (msg == WM_RBUTTONUP) return true;
  }
  if (!gRun.source) return false;
  TPoint at = ToScreen(window, lParam);
  if (!gRun.active) {
    switch (msg) {
      case WM_MOUSEMOVE:
        if (std::abs(at.X - gRun.start.X) >= gRun.threshold || std::abs(at.Y - gRun.start.Y) >= gRun.threshold) {
          Start(at);
          return true;
        }
        return false;
      case WM_LBUTTONUP:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        // Released (or another button) before the threshold: a click.
        ClearRun();
        return false;
      default:
        return false;
    }
  }
  switch (msg) {
    case WM_MOUSEMOVE:
      DragTo(at);
      return true;
    case WM_LBUTTONUP:
      if (at != gRun.object->dragPos_) DragTo(at);
      Done(true);
      return true;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      gSwallowRightUp = msg == WM_RBUTTONDOWN;
      Done(false);
      return true;
    default:
      return true;
  }
}

bool TDragManager::KeyMessage(uint32_t msg, WPARAM wParam) {
  if (!Active() || (msg != WM_KEYDOWN && msg != WM_SYSKEYDOWN) || wParam != VK_ESCAPE) return false;
  Done(false);
  return true;
}

void TDragManager::ControlDestroyed(TControl* control) {
  if (control == gEndingSource) gEndingSource = nullptr;
  if (control == gEndingTarget) gEndingTarget = nullptr;
  if (!gRun.source) return;
  if (control == gRun.target) {
    gRun.target = nullptr;
    if (gRun.object) gRun.object->dragTarget_ = nullptr;
    gRun.accepted = false;
  }
  if (control == gRun.source) {
    bool active = gRun.active;
    ClearRun();
    if (active && GetCapture() == gCaptureWindow) ReleaseCapture();
  }
}

TControl* TDragManager::FindTarget(TPoint screen) {
  POINT p{screen.X, screen.Y};
  TWinControl* win = nullptr;
  for (HWND w = WindowFromPoint(p); w && !win; w = GetParent(w)) win = TWinControl::FromHandle(w);
  if (!win) return nullptr;
  if (TControl* c = win->ControlAtPos(win->ScreenToClient(screen), false, false)) return c;
  return win->Enabled() ? win : nullptr;
}

// ---- The control's side ----

void TControl::BeginDrag(bool immediate, int32_t threshold) {
  if (IsDesigning()) return;
  TDragManager::Begin(this, immediate, threshold);
}

bool TControl::Dragging() const { return TDragManager::Active() && TDragManager::Source() == this; }

void TControl::EndDrag(bool drop) {
  if (TDragManager::Source() == this) TDragManager::Done(drop);
}

void TControl::DragOver(TObject* source, int32_t x, int32_t y, TDragState state, bool& accept) {
  accept = false;
  if (OnDragOver) {
    accept = true;
    OnDragOver(this, source, x, y, state, accept);
  }
}

void TControl::DragDrop(TObject* source, int32_t x, int32_t y) {
  if (OnDragDrop) OnDragDrop(this, source, x, y);
}

void TControl::DoStartDrag(TDragObject*& dragObject) {
  if (OnStartDrag) OnStartDrag(this, dragObject);
}

void TControl::DoEndDrag(TObject* target, int32_t x, int32_t y) {
  if (OnEndDrag) OnEndDrag(this, target, x, y);
}
