#include "platform/windows/Application.h"

#include "platform/os/WinApi.h"

#include <algorithm>
#include <stdexcept>

#include "platform/graphics/ScreenInfo.h"
#include "platform/windows/DragDrop.h"
#include "platform/windows/Threads.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

const char kAppWindowClass[] = "KyApplicationWindow";
constexpr UINT kSyncMessage = WM_APP + 1;
constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;

LRESULT CALLBACK AppWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (app) {
    try {
      if (msg == kSyncMessage) {
        CheckSynchronize();
        return 0;
      }
      if (msg == WM_TIMER) {
        KillTimer(hwnd, wParam);
        app->TimerExpired(wParam);
        return 0;
      }
    } catch (...) {
      app->HandleException(app);
      return 0;
    }
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

// ---- TApplication ----

TApplication::TApplication(TComponent* owner) : TComponent(owner), icon_(std::make_unique<TIcon>()) {
  if (Application) throw EInvalidOperation("There is an application object already");
  Application = this;
  if (!Screen) Screen = new TScreen(this);
  // Forms without an icon of their own show the application's.
  icon_->OnChange = [](TObject*) {
    for (int i = 0; Screen && i < Screen->FormCount(); ++i) Screen->Forms(i)->ApplyIcon();
  };
  SetMainThread();
  WNDCLASSA wc{};
  wc.lpfnWndProc = &AppWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kAppWindowClass;
  RegisterClassA(&wc);
  syncWindow_ = CreateWindowExA(0, kAppWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (syncWindow_) {
    SetWindowLongPtrA(syncWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    HWND w = syncWindow_;
    SetSynchronizeWakeup([w] { PostMessageA(w, kSyncMessage, 0, 0); });
  }
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string exe(path, n < MAX_PATH ? n : 0);
  size_t slash = exe.find_last_of("\\/");
  std::string name = slash == std::string::npos ? exe : exe.substr(slash + 1);
  size_t dot = name.rfind('.');
  title_ = dot == std::string::npos ? name : name.substr(0, dot);
}

TApplication::~TApplication() {
  // Forms first, while the application still answers them.
  hintControl_ = nullptr;
  hintWindow_.reset();
  DestroyComponents();
  SetSynchronizeWakeup(nullptr);
  if (syncWindow_) DestroyWindow(syncWindow_);
  if (Screen && Screen->Owner() == this) Screen = nullptr;
  Application = nullptr;
}

void TApplication::Run() {
  if (mainForm_ && !mainForm_->Visible() && !terminateRequested_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  switch (msg.message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      CancelHint();
      break;
  }
  // Escape ends a drag before it can reach a Cancel button.
  if (msg.message == WM_KEYDOWN && TDragManager::KeyMessage(msg.message, msg.wParam)) return true;
  if (!IsKeyMessage(&msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

namespace {

// The control of a window, or of the nearest parent window that has one
// (the edit inside a combo box belongs to the combo box).
TWinControl* ControlOfWindow(HWND w) {
  for (; w; w = GetParent(w))
    if (TWinControl* c = TWinControl::FromHandle(w)) return c;
  return nullptr;
}

}  // namespace

bool TApplication::IsKeyMessage(void* p) {
  MSG& msg = *static_cast<MSG*>(p);
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR &&
      msg.message != WM_SYSCHAR)
    return false;
  TWinControl* c = ControlOfWindow(msg.hwnd);
  if (!c) return false;
  try {
    switch (msg.message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        return c->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
      case WM_SYSCHAR: {
        TCustomForm* form = c->ParentForm();
        return form && form->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
      }
      case WM_CHAR: {
        if (c->Perform(CN_CHAR, msg.wParam, msg.lParam) != 0) return true;
        // Controls that take no characters leave them to accelerators.
        if (c->Perform(WM_GETDLGCODE) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) return false;
        TCustomForm* form = c->ParentForm();
        return form && form->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
      }
    }
  } catch (...) {
    HandleException(c);
    return true;
  }
  return false;
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
  CheckSynchronize();
}

void TApplication::HandleMessage() {
  if (!ProcessMessage()) Idle();
}

void TApplication::HandleMessage(uint32_t maxWaitMs) {
  if (ProcessMessage()) return;
  CheckSynchronize();
  if (!terminated_) MsgWaitForMultipleObjectsEx(0, nullptr, maxWaitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void TApplication::Idle() {
  CheckSynchronize();
  bool done = true;
  if (OnIdle) {
    try {
      OnIdle(this, done);
    } catch (...) {
      HandleException(this);
    }
  }
  if (done && !terminated_) WaitMessage();
}

void TApplication::Terminate() {
  // The loop ends when the quit message comes through, after what was
  // already waiting.
  terminateRequested_ = true;
  PostQuitMessage(0);
}

void TApplication::HandleException(TObject* sender) {
  std::exception_ptr current = std::current_exception();
  if (!current) return;
  auto report = [&](const std::exception& e) {
    try {
      if (OnException) OnException(sender, e);
      else ShowException(e);
    } catch (...) {
      // The handler's own failure must not leave the window procedure or
      // end the loop; say so plainly.
      MessageBoxA(nullptr, "An error occurred while reporting an error.", title_.c_str(), MB_OK | MB_ICONSTOP);
    }
  };
  try {
    std::rethrow_exception(current);
  } catch (const std::exception& e) {
    report(e);
  } catch (...) {
    report(std::runtime_error("Unknown exception"));
  }
}

void TApplication::ShowException(const std::exception& e) {
  std::string text = e.what();
  if (!text.empty() && text.back() != '.') text += '.';
  HWND owner = GetActiveWindow();
  MessageBoxA(owner, text.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::FormDestroyed(TCustomForm* form) {
  if (mainForm_ == form) mainForm_ = nullptr;
  if (hintControl_ && (hintControl_ == form || form->ContainsControl(hintControl_))) hintControl_ = nullptr;
}

void TApplication::ControlDestroyed(TControl* control) {
  if (hintControl_ == control) {
    hintControl_ = nullptr;
    CancelHint();
  }
}

// ---- Hints ----

void TApplication::SetShowHint(bool value) {
  if (value == showHint_) return;
  showHint_ = value;
  if (!value) CancelHint();
}

void TApplication::CancelHint() {
  if (syncWindow_) {
    KillTimer(syncWindow_, kHintShowTimer);
    KillTimer(syncWindow_, kHintHideTimer);
  }
  if (hintWindow_ && hintWindow_->Active()) hintWindow_->ReleaseHint();
}

namespace {

bool ShowsHint(const TControl* c) {
  for (; c; c = c->Parent())
    if (!c->Hint().empty()) return c->ShowHint();
  return false;
}

const TControl* HintOwner(const TControl* c) {
  for (; c; c = c->Parent())
    if (!c->Hint().empty()) return c;
  return nullptr;
}

}  // namespace

void TApplication::MouseControlChanged(TControl* control) {
  CancelHint();
  hintControl_ = control;
  const TControl* owner = HintOwner(control);
  std::string hint = owner ? owner->Hint() : "";
  if (hint != hint_) {
    hint_ = hint;
    if (OnHint) OnHint(this);
  }
  if (showHint_ && control && ShowsHint(control) && syncWindow_)
    SetTimer(syncWindow_, kHintShowTimer, static_cast<UINT>(std::max(hintPause_, 1)), nullptr);
}

void TApplication::HintTimerExpired() {
  if (!hintControl_ || hintControl_ != MouseControl() || hint_.empty()) return;
  if (!hintWindow_) hintWindow_ = std::make_unique<THintWindow>(nullptr);
  POINT p;
  GetCursorPos(&p);
  int cy = GetSystemMetrics(SM_CYCURSOR);
  hintWindow_->SetColor(hintColor_);
  hintWindow_->ActivateHint({p.x, p.y + cy / 2 + 4}, hint_);
  if (syncWindow_) SetTimer(syncWindow_, kHintHideTimer, static_cast<UINT>(std::max(hintHidePause_, 1)), nullptr);
}

void TApplication::TimerExpired(uintptr_t id) {
  if (id == kHintShowTimer) HintTimerExpired();
  else if (id == kHintHideTimer) CancelHint();
}

// ---- TScreen ----

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

TScreen::~TScreen() {
  if (Screen == this) Screen = nullptr;
}

void TScreen::AddForm(TCustomForm* form) {
  if (std::find(forms_.begin(), forms_.end(), form) == forms_.end()) forms_.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
  auto it = std::find(forms_.begin(), forms_.end(), form);
  if (it != forms_.end()) forms_.erase(it);
}

TCustomForm* TScreen::ActiveForm() const {
  TCustomForm* f = TCustomForm::FormOf(GetActiveWindow());
  return f && std::find(forms_.begin(), forms_.end(), f) != forms_.end() ? f : nullptr;
}

TWinControl* TScreen::ActiveControl() const {
  TCustomForm* f = ActiveForm();
  return f ? f->ActiveControl() : nullptr;
}

namespace {

// The drag cursor: an arrow over a sheet, white with black edges; the
// system has none of its own.
HCURSOR DragCursorHandle() {
  static HCURSOR cursor = [] {
    uint8_t andMask[32 * 4], xorMask[32 * 4];
    std::fill(std::begin(andMask), std::end(andMask), 0xFF);
    std::fill(std::begin(xorMask), std::end(xorMask), 0x00);
    auto put = [&](int x, int y, bool white) {
      int byte = y * 4 + x / 8;
      uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
      andMask[byte] = static_cast<uint8_t>(andMask[byte] & ~bit);
      if (white) xorMask[byte] = static_cast<uint8_t>(xorMask[byte] | bit);
      else xorMask[byte] = static_cast<uint8_t>(xorMask[byte] & ~bit);
    };
    for (int y = 0; y <= 11; ++y)
      for (int x = 0; x <= y; ++x) put(x, y, !(x == 0 || x == y || y == 11));
    for (int y = 12; y <= 15; ++y)
      for (int x = 3; x <= 5; ++x) put(x, y, x == 4);
    for (int y = 16; y <= 25; ++y)
      for (int x = 6; x <= 19; ++x) put(x, y, !(x == 6 || x == 19 || y == 16 || y == 25));
    return CreateCursor(GetModuleHandleA(nullptr), 0, 0, 32, 32, andMask, xorMask);
  }();
  return cursor;
}

}  // namespace

HCURSOR TScreen::Cursors(TCursor id) const {
  LPCSTR name;
  switch (id) {
    case crNone: return nullptr;
    case crDrag:
    case crMultiDrag:
      if (HCURSOR c = DragCursorHandle()) return c;
      name = IDC_ARROW;
      break;
    case crNoDrop: name = IDC_NO; break;
    case crCross: name = IDC_CROSS; break;
    case crIBeam: name = IDC_IBEAM; break;
    case crSizeNESW: name = IDC_SIZENESW; break;
    case crSizeNS: name = IDC_SIZENS; break;
    case crSizeNWSE: name = IDC_SIZENWSE; break;
    case crSizeWE: name = IDC_SIZEWE; break;
    case crUpArrow: name = IDC_UPARROW; break;
    case crHourGlass: name = IDC_WAIT; break;
    case crNo: name = IDC_NO; break;
    case crAppStart: name = IDC_APPSTARTING; break;
    case crHelp: name = IDC_HELP; break;
    case crHandPoint: name = IDC_HAND; break;
    case crSizeAll: name = IDC_SIZEALL; break;
    default: name = IDC_ARROW; break;
  }
  return LoadCursorA(nullptr, name);
}

void TScreen::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  if (value != crDefault) {
    ::SetCursor(Cursors(value));
  } else {
    // Each control's own cursor again, at the next mouse message.
    POINT p;
    if (GetCursorPos(&p)) SetCursorPos(p.x, p.y);
  }
}

int32_t TScreen::PixelsPerInch() const { return ScreenLogPixelsY(); }
int32_t TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int32_t TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }
TRect TScreen::WorkArea() const {
  RECT work;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return {0, 0, Width(), Height()};
  return {work.left, work.top, work.right, work.bottom};
}

// ---- THintWindow ----

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  SetColor(kClInfoBk);
  Font()->SetColor(kClInfoText);
  SetVisibleState(false);
}

void THintWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  params.WndParent = nullptr;
}

TSize THintWindow::CalcHintSize(const std::string& text) {
  TWindowDc screen(nullptr);
  TCanvas c;
  c.SetHandle(screen.Get());
  c.Font()->Assign(Font());
  TRect r{0, 0, 300, 0};
  c.TextRect(r, text, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  c.SetHandle(nullptr);
  return {r.Width() + 8, r.Height() + 4};
}

void THintWindow::ActivateHint(TPoint at, const std::string& text) {
  SetCaption(text);
  TSize size = CalcHintSize(text);
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  at.X = std::max(0, std::min(at.X, sw - size.cx));
  at.Y = std::max(0, std::min(at.Y, sh - size.cy));
  SetBounds(at.X, at.Y, size.cx, size.cy);
  SetWindowPos(Handle(), HWND_TOPMOST, at.X, at.Y, size.cx, size.cy, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  SetVisibleState(true);
  active_ = true;
  Invalidate();
}

void THintWindow::ReleaseHint() {
  active_ = false;
  SetVisibleState(false);
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void THintWindow::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(bsClear);
  TRect r = ClientRect().Inflate(-3, -1);
  c->TextRect(r, Caption(), DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  c->Brush()->SetStyle(bsSolid);
}

bool TApplication::HelpContext(int32_t context) {
  bool handled = false;
  if (OnHelp) OnHelp(HELP_CONTEXT, context, handled);
  if (handled) return true;
  if (helpFile_.empty()) return false;
  HWND owner = mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : nullptr;
  return WinHelpA(owner, helpFile_.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context)) != FALSE;
}
