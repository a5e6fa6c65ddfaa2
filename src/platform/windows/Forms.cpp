#include "platform/windows/Forms.h"

#include "platform/os/WinApi.h"

#include <algorithm>

#include "platform/graphics/Scaling.h"
#include "platform/windows/Application.h"

const TIdentMap& ModalResultIdents() {
  static const TIdentMap map{{mrNone, "mrNone"},   {mrOk, "mrOk"},         {mrCancel, "mrCancel"},
                             {mrAbort, "mrAbort"}, {mrRetry, "mrRetry"},   {mrIgnore, "mrIgnore"},
                             {mrYes, "mrYes"},     {mrNo, "mrNo"},         {mrAll, "mrAll"},
                             {mrNoToAll, "mrNoToAll"}, {mrYesToAll, "mrYesToAll"}};
  return map;
}

TCustomForm::TCustomForm(TComponent* owner)
    : TWinControl(owner), icon_(std::make_unique<TIcon>()), canvas_(std::make_unique<TControlCanvas>(this)) {
  // Forms start hidden; Show or ShowModal puts them on the screen.
  SetVisibleState(false);
  controlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetColor(kClBtnFace);
  SetParentFont(false);
  icon_->OnChange = [this](TObject*) { ApplyIcon(); };
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  RunDestroyEvent();
  if (Screen) Screen->RemoveForm(this);
  if (Application) Application->FormDestroyed(this);
}

void TForm::Publish(TPublisher<TForm>& p) {
  p.Property("Caption", &TForm::Caption, &TForm::SetCaption);
  // The client size, not the frame, which differs between systems.
  p.Property("Width", &TForm::Width, &TForm::SetWidth).Stored(false);
  p.Property("Height", &TForm::Height, &TForm::SetHeight).Stored(false);
  p.Property("ClientWidth", &TForm::FormClientWidth, &TForm::SetFormClientWidth);
  p.Property("ClientHeight", &TForm::FormClientHeight, &TForm::SetFormClientHeight);
  p.Property("Color", &TForm::Color, &TForm::SetColor).Default(kClBtnFace).Idents(ColorIdents());
  p.Property("Font", &TForm::Font);
  p.Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle).Default(bsSizeable);
  p.Property("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  p.Property("Position", &TForm::Position, &TForm::SetPosition).Default(poDesigned);
  p.Property("WindowState", &TForm::WindowState, &TForm::SetWindowState).Default(wsNormal);
  p.Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle).Default(fsNormal);
  p.Property("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview).Default(false);
  p.Property("AutoScroll", &TForm::AutoScroll, &TForm::SetAutoScroll).Default(false);
  p.Property("ShowHint", &TForm::ShowHint, &TForm::SetShowHint).Default(false);
  p.Property("Icon", &TForm::Icon);
  p.Property("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl);
  p.Property("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch).Default(96);
  p.Property("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight).Default(13);
  p.Property("Scaled", &TForm::Scaled, &TForm::SetScaled).Default(true);
  p.Event("OnCreate", &TForm::OnCreate);
  p.Event("OnDestroy", &TForm::OnDestroy);
  p.Event("OnShow", &TForm::OnShow);
  p.Event("OnHide", &TForm::OnHide);
  p.Event("OnActivate", &TForm::OnActivate);
  p.Event("OnDeactivate", &TForm::OnDeactivate);
  p.Event("OnPaint", &TForm::OnPaint);
  p.Event("OnClose", &TForm::OnClose);
  p.Event("OnCloseQuery", &TForm::OnCloseQuery);
  p.Event("OnResize", &TForm::OnResize);
  p.Event("OnClick", &TForm::OnClick);
}

bool TCustomForm::InitForm() {
  bool read = InitInheritedComponent(this, TForm::StaticClass());
  DoCreate();
  return read;
}

void TCustomForm::DoCreate() {
  created_ = true;
  if (OnCreate) OnCreate(this);
}

void TCustomForm::RunDestroyEvent() {
  if (!created_) return;
  created_ = false;
  try {
    DoDestroy();
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

void TCustomForm::BeforeDestruction() {
  RunDestroyEvent();
  DestroyComponents();
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  if (pendingClientWidth_ >= 0) SetFormClientWidth(pendingClientWidth_);
  if (pendingClientHeight_ >= 0) SetFormClientHeight(pendingClientHeight_);
  pendingClientWidth_ = pendingClientHeight_ = -1;
  int32_t screen = Screen ? Screen->PixelsPerInch() : pixelsPerInch_;
  if (scaled_ && pixelsPerInch_ > 0 && screen > 0 && screen != pixelsPerInch_) {
    SetFormClientWidth(KyMulDiv(ClientWidth(), screen, pixelsPerInch_));
    SetFormClientHeight(KyMulDiv(ClientHeight(), screen, pixelsPerInch_));
    ScaleControls(screen, pixelsPerInch_);
    pixelsPerInch_ = screen;
  }
}

// ---- The window ----

namespace {

uint32_t BorderStyleBits(TFormBorderStyle style) {
  switch (style) {
    case bsNone:
      return WS_POPUP;
    case bsSingle:
    case bsToolWindow:
      return WS_CAPTION | WS_BORDER;
    case bsSizeable:
    case bsSizeToolWin:
      return WS_CAPTION | WS_THICKFRAME;
    case bsDialog:
      return WS_POPUP | WS_CAPTION;
  }
  return 0;
}

// The frame a style adds around the client area.
TRect FrameOf(TFormBorderStyle style, TBorderIcons icons) {
  RECT r{0, 0, 100, 100};
  DWORD s = BorderStyleBits(style);
  if (icons.Contains(biSystemMenu)) s |= WS_SYSMENU;
  DWORD ex = style == bsDialog ? WS_EX_DLGMODALFRAME : 0;
  if (style == bsToolWindow || style == bsSizeToolWin) ex |= WS_EX_TOOLWINDOW;
  AdjustWindowRectEx(&r, s, FALSE, ex);
  return {-r.left, -r.top, r.right - 100, r.bottom - 100};
}

}  // namespace

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WS_CLIPCHILDREN | BorderStyleBits(borderStyle_);
  params.ExStyle = 0;
  if (!Enabled()) params.Style |= WS_DISABLED;
  TBorderIcons icons = borderIcons_;
  switch (borderStyle_) {
    case bsNone:
      icons = {};
      break;
    case bsDialog:
      icons = icons * TBorderIcons{biSystemMenu, biHelp};
      params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
    case bsSizeToolWin:
      icons = icons * TBorderIcons{biSystemMenu};
      params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    default:
      break;
  }
  if (icons.Contains(biSystemMenu)) {
    params.Style |= WS_SYSMENU;
    if (icons.Contains(biMinimize)) params.Style |= WS_MINIMIZEBOX;
    if (icons.Contains(biMaximize)) params.Style |= WS_MAXIMIZEBOX;
    // The help button shows only without minimise and maximise boxes.
    if (icons.Contains(biHelp) && !(params.Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
      params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (formStyle_ == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
  // A form placed inside another control is a child window there.
  if (Parent()) {
    params.Style = (params.Style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
    params.ExStyle &= ~WS_EX_TOPMOST;
    params.WndParent = Parent()->Handle();
    return;
  }
  // A top-level window; a modal form belongs to the form it was opened from.
  params.WndParent = ParentWindow();
  if (!params.WndParent && Application && Application->MainForm() && Application->MainForm() != this &&
      Application->MainForm()->HandleAllocated())
    params.WndParent = Application->MainForm()->Handle();
}

void TCustomForm::CreateHandleDone() {
  // A client size set before the window existed was reckoned with the
  // usual frame; the real one may differ.
  if (wantedClient_.cx >= 0 && Width() == wantedFrame_.cx && ClientWidth() != wantedClient_.cx)
    SetFormClientWidth(wantedClient_.cx);
  if (wantedClient_.cy >= 0 && Height() == wantedFrame_.cy && ClientHeight() != wantedClient_.cy)
    SetFormClientHeight(wantedClient_.cy);
  wantedClient_ = {-1, -1};
  ApplyIcon();
  if (windowState_ == wsMaximized) ShowWindow(Handle(), SW_MAXIMIZE);
}

void TCustomForm::ApplyIcon() {
  if (!HandleAllocated()) return;
  HICON icon = icon_->Empty() ? nullptr : icon_->Handle();
  if (!icon && Application && !Application->Icon()->Empty()) icon = Application->Icon()->Handle();
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

TRect TCustomForm::ClientRect() const {
  if (HandleAllocated()) return TWinControl::ClientRect();
  TRect f = FrameOf(borderStyle_, borderIcons_);
  return {0, 0, std::max(0, Width() - f.Left - f.Right), std::max(0, Height() - f.Top - f.Bottom)};
}

void TCustomForm::SetFormClientWidth(int32_t value) {
  if (IsLoading()) {
    pendingClientWidth_ = value;
    return;
  }
  if (HandleAllocated()) {
    SetWidth(Width() - ClientWidth() + value);
  } else {
    TRect f = FrameOf(borderStyle_, borderIcons_);
    SetWidth(value + f.Left + f.Right);
    wantedClient_.cx = value;
    wantedFrame_.cx = Width();
  }
}

void TCustomForm::SetFormClientHeight(int32_t value) {
  if (IsLoading()) {
    pendingClientHeight_ = value;
    return;
  }
  if (HandleAllocated()) {
    SetHeight(Height() - ClientHeight() + value);
  } else {
    TRect f = FrameOf(borderStyle_, borderIcons_);
    SetHeight(value + f.Top + f.Bottom);
    wantedClient_.cy = value;
    wantedFrame_.cy = Height();
  }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == borderStyle_) return;
  int32_t cw = ClientWidth(), ch = ClientHeight();
  borderStyle_ = value;
  RecreateWnd();
  if (!IsLoading()) {
    SetFormClientWidth(cw);
    SetFormClientHeight(ch);
  }
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (value == borderIcons_) return;
  borderIcons_ = value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle value) {
  if (value == formStyle_) return;
  formStyle_ = value;
  if (HandleAllocated())
    SetWindowPos(Handle(), value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState value) {
  if (value == windowState_) return;
  windowState_ = value;
  if (HandleAllocated() && Visible())
    ShowWindow(Handle(), value == wsMaximized ? SW_MAXIMIZE : value == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

void TCustomForm::ApplyPosition() {
  if (positioned_) return;
  positioned_ = true;
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  TRect area{work.left, work.top, work.right, work.bottom};
  TRect centreOn;
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
      centreOn = area;
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* other = nullptr;
      if (position_ == poOwnerFormCenter) other = dynamic_cast<TCustomForm*>(Owner());
      if (!other && Application) other = Application->MainForm();
      if (other && other != this && other->HandleAllocated()) centreOn = other->BoundsRect();
      else centreOn = area;
      break;
    }
    default:
      return;
  }
  int32_t x = centreOn.Left + (centreOn.Width() - Width()) / 2;
  int32_t y = centreOn.Top + (centreOn.Height() - Height()) / 2;
  // Keep the caption on the screen.
  x = std::max(area.Left, std::min(x, area.Right - Width()));
  y = std::max(area.Top, std::min(y, area.Bottom - Height()));
  SetBounds(x, y, Width(), Height());
}

bool TCustomForm::Showing() const { return HandleAllocated() && IsWindowVisible(const_cast<TCustomForm*>(this)->Handle()); }

void TCustomForm::Show() {
  SetVisible(true);
  if (HandleAllocated()) SetForegroundWindow(Handle());
}

void TCustomForm::SetFormVisible(bool show) {
  if (show) {
    HandleNeeded();
    Perform(CM_FORMSHOWING, 1);
    ApplyPosition();
    UpdateScrollRange();
    int cmd = windowState_ == wsMaximized ? SW_SHOWMAXIMIZED : windowState_ == wsMinimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    ShowWindow(Handle(), cmd);
    DoShow();
    if (activeControl_ && activeControl_->CanFocus()) FocusControl(activeControl_);
  } else if (HandleAllocated()) {
    DoHide();
    Perform(CM_FORMSHOWING, 0);
    ShowWindow(Handle(), SW_HIDE);
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture()) SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  modal_ = true;
  modalResult_ = mrNone;
  HWND before = GetActiveWindow();
  // The other forms wait.
  std::vector<HWND> disabled;
  if (Screen)
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* f = Screen->Forms(i);
      if (f != this && f->HandleAllocated() && IsWindowEnabled(f->Handle())) {
        EnableWindow(f->Handle(), FALSE);
        disabled.push_back(f->Handle());
      }
    }
  struct TRestore {
    TCustomForm* form;
    std::vector<HWND>& list;
    HWND before;
    ~TRestore() {
      for (HWND w : list)
        if (IsWindow(w)) EnableWindow(w, TRUE);
      if (before && IsWindow(before)) SetActiveWindow(before);
      form->modal_ = false;
    }
  } restore{this, disabled, before};
  Show();
  while (modalResult_ == mrNone) {
    if (!Application) break;
    Application->HandleMessage();
    if (Application->Terminated()) {
      if (modalResult_ == mrNone) modalResult_ = mrCancel;
      break;
    }
    if (modalResult_ != mrNone) {
      // Closing may still refuse: then the form stays.
      TCloseAction action = caHide;
      if (!CloseQuery()) {
        modalResult_ = mrNone;
        continue;
      }
      DoClose(action);
      if (action == caNone) modalResult_ = mrNone;
    }
  }
  SetVisible(false);
  return modalResult_;
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    SetVisible(false);
    return;
  }
  switch (action) {
    case caHide:
      SetVisible(false);
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

void TCustomForm::Release() {
  SetVisible(false);
  if (HandleAllocated()) PostMessageA(Handle(), CM_RELEASE, 0, 0);
  else delete this;
}

// ---- Focus ----

void TCustomForm::SetActiveControl(TWinControl* value) {
  if (value == activeControl_) return;
  if (value && (value == this || value->ParentForm() != this))
    throw EInvalidOperation("Invalid active control");
  activeControl_ = value;
  if (!IsLoading() && value && Showing() && value->CanFocus()) FocusControl(value);
}

void TCustomForm::FocusControl(TWinControl* control) {
  if (!control || !control->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  activeControl_ = control;
  if (!Showing()) return;
  ::SetFocus(control->Handle());
}

void TCustomForm::SetFocus() {
  if (!Showing()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (activeControl_ && activeControl_->CanFocus()) ::SetFocus(activeControl_->Handle());
  else ::SetFocus(Handle());
}

void TCustomForm::FocusChanged(TWinControl* control) {
  if (control == focusedControl_) return;
  TWinControl* old = focusedControl_;
  focusedControl_ = control;
  activeControl_ = control;
  // Exits up to the common parent, then enters down to the new control.
  std::vector<TWinControl*> oldChain, newChain;
  for (TWinControl* c = old; c && c != this; c = c->Parent()) oldChain.push_back(c);
  for (TWinControl* c = control; c && c != this; c = c->Parent()) newChain.push_back(c);
  for (TWinControl* c : oldChain)
    if (std::find(newChain.begin(), newChain.end(), c) == newChain.end()) c->Perform(CM_EXIT);
  for (auto it = newChain.rbegin(); it != newChain.rend(); ++it)
    if (std::find(oldChain.begin(), oldChain.end(), *it) == oldChain.end()) (*it)->Perform(CM_ENTER);
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
}

void TCustomForm::ControlRemoved(TWinControl* control) {
  if (activeControl_ && (activeControl_ == control || control->ContainsControl(activeControl_))) activeControl_ = nullptr;
  if (focusedControl_ && (focusedControl_ == control || control->ContainsControl(focusedControl_))) focusedControl_ = nullptr;
}

void TCustomForm::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (value) {
    if (activeControl_ && activeControl_->CanFocus() && activeControl_->HandleAllocated())
      ::SetFocus(activeControl_->Handle());
    Activate();
  } else {
    Deactivate();
  }
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

// ---- Keys ----

void TCustomForm::KeyDown(uint16_t& key, TShiftState shift) { TWinControl::KeyDown(key, shift); }
void TCustomForm::KeyUp(uint16_t& key, TShiftState shift) { TWinControl::KeyUp(key, shift); }
void TCustomForm::KeyPress(char& key) { TWinControl::KeyPress(key); }

bool TCustomForm::DialogKey(uint16_t key) {
  switch (key) {
    case VK_TAB:
      if (KeyboardShiftState().Contains(ssCtrl)) return false;
      SelectNext(activeControl_, !KeyboardShiftState().Contains(ssShift), true);
      return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      if (activeControl_ && activeControl_->Parent()) {
        activeControl_->Parent()->SelectNext(activeControl_, key == VK_RIGHT || key == VK_DOWN, false);
        return true;
      }
      return false;
  }
  // Enter and Escape: the default and cancel buttons.
  TMessage m{CM_DIALOGKEY, key, 0, 0};
  Broadcast(m);
  return m.Result != 0;
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::PaintWindow(HDC dc) {
  TWinControl::PaintWindow(dc);
  if (!OnPaint) return;
  canvas_->Lock();
  canvas_->SetPaintHandle(dc);
  struct TEnd {
    TControlCanvas* c;
    ~TEnd() {
      c->SetPaintHandle(nullptr);
      c->Unlock();
    }
  } end{canvas_.get()};
  Paint();
}

void TCustomForm::GetChildren(const TGetChildProc& proc, TComponent* root) {
  TWinControl::GetChildren(proc, root);
  if (root != this) return;
  for (int i = 0; i < ComponentCount(); ++i)
    if (!Components(i)->HasParent()) proc(Components(i));
}

TCustomForm* TCustomForm::FormOf(HWND window) {
  for (HWND w = window; w; w = GetParent(w))
    if (auto* f = dynamic_cast<TCustomForm*>(TWinControl::FromHandle(w))) return f;
  return nullptr;
}

void TCustomForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_VISIBLECHANGED:
      SetFormVisible(Visible());
      return;
    case CM_DIALOGKEY:
      m.Result = DialogKey(static_cast<uint16_t>(m.WParam)) ? 1 : 0;
      return;
    case WM_CLOSE:
      Close();
      return;
    case WM_ACTIVATE:
      SetActive(LOWORD(m.WParam) != WA_INACTIVE);
      DefWndProc(m);
      return;
    case WM_SETFOCUS:
      // The form's own window got the focus: hand it on.
      if (activeControl_ && activeControl_->CanFocus() && activeControl_->HandleAllocated()) {
        ::SetFocus(activeControl_->Handle());
        return;
      }
      DefWndProc(m);
      return;
    case CM_RELEASE:
      delete this;
      return;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (m.LParam == 0 && autoScroll_) {
        WMScroll(m, m.Msg == WM_VSCROLL);
        return;
      }
      break;
    case WM_SYSCOMMAND:
      if ((m.WParam & 0xFFF0) == SC_MINIMIZE) windowState_ = wsMinimized;
      else if ((m.WParam & 0xFFF0) == SC_MAXIMIZE) windowState_ = wsMaximized;
      else if ((m.WParam & 0xFFF0) == SC_RESTORE) windowState_ = wsNormal;
      DefWndProc(m);
      return;
  }
  TWinControl::WndProc(m);
}

// ---- Scrolling ----

void TCustomForm::SetAutoScroll(bool value) {
  if (value == autoScroll_) return;
  autoScroll_ = value;
  UpdateScrollRange();
}

void TCustomForm::Resize() {
  TWinControl::Resize();
  UpdateScrollRange();
}

void TCustomForm::UpdateScrollRange() {
  if (!HandleAllocated() || updatingScroll_) return;
  updatingScroll_ = true;
  struct TEnd {
    bool& b;
    ~TEnd() { b = false; }
  } end{updatingScroll_};
  if (!autoScroll_) {
    // Only the bars we put there: a form may keep bars of its own.
    if (ownScrollBars_) ShowScrollBar(Handle(), SB_BOTH, FALSE);
    ownScrollBars_ = false;
    if (scrollPos_.X != 0 || scrollPos_.Y != 0) ScrollTo({0, 0});
    return;
  }
  ownScrollBars_ = true;
  // Where the controls reach with nothing scrolled.
  int32_t right = 0, bottom = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    right = std::max(right, c->Left() + c->Width() + scrollPos_.X);
    bottom = std::max(bottom, c->Top() + c->Height() + scrollPos_.Y);
  }
  // Twice: one bar takes room from the other's page.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client;
    GetClientRect(Handle(), &client);
    for (bool vertical : {false, true}) {
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
      si.nMin = 0;
      si.nMax = std::max(0, (vertical ? bottom : right) - 1);
      si.nPage = static_cast<UINT>(std::max<LONG>(0, vertical ? client.bottom : client.right));
      si.nPos = vertical ? scrollPos_.Y : scrollPos_.X;
      SetScrollInfo(Handle(), vertical ? SB_VERT : SB_HORZ, &si, TRUE);
    }
  }
  // A larger window may leave less to scroll.
  RECT client;
  GetClientRect(Handle(), &client);
  TPoint pos{std::max(0, std::min<int32_t>(scrollPos_.X, right - client.right)),
             std::max(0, std::min<int32_t>(scrollPos_.Y, bottom - client.bottom))};
  if (pos.X != scrollPos_.X || pos.Y != scrollPos_.Y) ScrollTo(pos);
}

void TCustomForm::ScrollTo(TPoint pos) {
  int32_t dx = scrollPos_.X - pos.X, dy = scrollPos_.Y - pos.Y;
  scrollPos_ = pos;
  if (dx == 0 && dy == 0) return;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  if (HandleAllocated()) {
    if (ownScrollBars_) {
      SetScrollPos(Handle(), SB_HORZ, pos.X, TRUE);
      SetScrollPos(Handle(), SB_VERT, pos.Y, TRUE);
    }
    Invalidate();
  }
}

void TCustomForm::WMScroll(TMessage& m, bool vertical) {
  m.Result = 0;
  if (!autoScroll_) return;
  int bar = vertical ? SB_VERT : SB_HORZ;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(Handle(), bar, &si);
  int32_t page = static_cast<int32_t>(si.nPage);
  int32_t last = std::max(0, si.nMax - page + 1);
  int32_t pos = vertical ? scrollPos_.Y : scrollPos_.X;
  switch (LOWORD(m.WParam)) {
    case SB_LINEUP:
      pos -= 8;
      break;
    case SB_LINEDOWN:
      pos += 8;
      break;
    case SB_PAGEUP:
      pos -= std::max(1, page);
      break;
    case SB_PAGEDOWN:
      pos += std::max(1, page);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = si.nTrackPos;
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = last;
      break;
    default:
      return;
  }
  pos = std::max(0, std::min(pos, last));
  ScrollTo(vertical ? TPoint{scrollPos_.X, pos} : TPoint{pos, scrollPos_.Y});
}
