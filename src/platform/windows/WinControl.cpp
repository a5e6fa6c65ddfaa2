// TWinControl: one real window per control, created on demand.
//
//   window class and procedure   KyWindowProc, the control by window property
//   creation and destruction     CreateParams -> CreateWnd -> CreateWindowHandle
//   children                     z-order list, tab list, alignment
//   painting                     one memory bitmap per WM_PAINT, graphic children on it
//   mouse                        graphic children get their messages and the capture
//   keyboard and focus           CN_KEYDOWN dialog keys, preview, Tab order
#include "platform/os/WinApi.h"

#include <algorithm>
#include <memory>

#include "platform/graphics/Scaling.h"
#include "platform/windows/Application.h"
#include "platform/windows/Controls.h"
#include "platform/windows/DragDrop.h"
#include "platform/windows/Forms.h"
#include "platform/windows/Menus.h"

namespace {

const char kWindowClass[] = "KyWindow";
const char kControlProp[] = "KyControl";

// The control whose window is being created: its first messages arrive
// before CreateWindowEx returns.
thread_local TWinControl* gCreating = nullptr;

}  // namespace

LRESULT CALLBACK KyWindowProcThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

LRESULT KyWindowProc(HWND hwnd, uint32_t msg, WPARAM wParam, LPARAM lParam) {
  auto* control = static_cast<TWinControl*>(GetPropA(hwnd, kControlProp));
  if (!control && gCreating) {
    control = gCreating;
    control->handle_ = hwnd;
    SetPropA(hwnd, kControlProp, control);
  }
  if (!control) return DefWindowProcA(hwnd, msg, wParam, lParam);
  TMessage m{msg, wParam, lParam, 0};
  try {
    // A drag in progress takes the mouse of every window of the program
    // (captured real input and posted input alike) and the Escape key.
    if (IsClientMouseMessage(msg)) {
      TDragManager::NoteMouse(hwnd, lParam);
      if (TDragManager::Watching() && TDragManager::MouseMessage(hwnd, msg, wParam, lParam)) return 0;
    } else if ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && TDragManager::KeyMessage(msg, wParam)) {
      return 0;
    }
    control->WindowProc(m);
  } catch (...) {
    // Exceptions never cross the platform's frames.
    if (Application) Application->HandleException(control);
  }
  return m.Result;
}

LRESULT CALLBACK KyWindowProcThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return KyWindowProc(hwnd, msg, wParam, lParam);
}

namespace {

// Whether the system draws anything outside the client area: a top-level
// window, a frame, an edge or a scroll bar.
bool HasSystemNonClient(HWND w) {
  LONG style = GetWindowLongA(w, GWL_STYLE), exStyle = GetWindowLongA(w, GWL_EXSTYLE);
  if (!(style & WS_CHILD)) return true;
  if (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL)) return true;
  return (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME)) != 0;
}

void RegisterWindowClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &KyWindowProcThunk;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw EOutOfResources("Cannot register the window class: " + std::to_string(GetLastError()));
  done = true;
}

}  // namespace

TWinControl* TWinControl::FromHandle(HWND window) {
  if (!window) return nullptr;
  return static_cast<TWinControl*>(GetPropA(window, kControlProp));
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  Destroying();
  // Leave the parent while this is still a window control: the form forgets
  // it as its active control.
  if (Parent()) Parent()->RemoveControl(this);
  // Children leave first so that they do not reach a half-gone parent.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
  }
  DestroyHandle();
}

void TWinControl::Publish(TPublisher<TWinControl>& p) {
  p.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
  p.Event("OnEnter", &TWinControl::OnEnter);
  p.Event("OnExit", &TWinControl::OnExit);
  p.Event("OnKeyDown", &TWinControl::OnKeyDown);
  p.Event("OnKeyPress", &TWinControl::OnKeyPress);
  p.Event("OnKeyUp", &TWinControl::OnKeyUp);
}

// ---- The window ----

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = text_;
  params.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (tabStop_) params.Style |= WS_TABSTOP;
  if (!Enabled()) params.Style |= WS_DISABLED;
  params.X = Left();
  params.Y = Top();
  params.Width = Width();
  params.Height = Height();
  if (Parent()) params.WndParent = Parent()->Handle();
  else params.WndParent = parentWindow_;
}

HWND TWinControl::Handle() {
  if (!handle_) {
    if (destroyingHandle_) return nullptr;
    CreateWnd();
  }
  return handle_;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  if (params.WinClassName.empty()) RegisterWindowClass();
  controlState_.Include(csCreating);
  try {
    CreateWindowHandle(params);
  } catch (...) {
    controlState_.Exclude(csCreating);
    throw;
  }
  controlState_.Exclude(csCreating);
  if (!handle_) throw EOutOfResources("Error creating window for '" + Name() + "'");
  ApplyFont();
  // Children's windows follow in z-order.
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible()) w->HandleNeeded();
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated())
      SetWindowPos(w->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  CreateHandleDone();
  if (Visible() && (Parent() ? Parent()->HandleAllocated() : false) && !(params.Style & WS_VISIBLE))
    ShowWindow(handle_, SW_SHOWNA);
}

void TWinControl::CreateWindowHandle(const TCreateParams& p) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (p.WinClassName.empty()) {
    TWinControl* saved = gCreating;
    gCreating = this;
    HWND h = CreateWindowExA(p.ExStyle, kWindowClass, p.Caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height,
                             p.WndParent, nullptr, inst, nullptr);
    gCreating = saved;
    if (!h) {
      handle_ = nullptr;
      return;
    }
    handle_ = h;
    SetPropA(h, kControlProp, this);
    return;
  }
  // A platform class: create it, then route its messages through us.
  HWND h = CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width,
                           p.Height, p.WndParent, nullptr, inst, nullptr);
  if (!h) return;
  handle_ = h;
  SetPropA(h, kControlProp, this);
  defWndProc_ = reinterpret_cast<void*>(
      SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KyWindowProcThunk)));
}

void TWinControl::DestroyWnd() {
  // Keep the text: the window held it.
  if (handle_) text_ = TWinControl::GetText();
  HWND h = handle_;
  if (defWndProc_) SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defWndProc_));
  RemovePropA(h, kControlProp);
  handle_ = nullptr;
  defWndProc_ = nullptr;
  DestroyWindow(h);
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  destroyingHandle_ = true;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  if (auto* canvasOwner = dynamic_cast<TCustomControl*>(this))
    static_cast<TControlCanvas*>(canvasOwner->Canvas())->FreeHandle();
  for (TControl* c : controls_)
    if (auto* g = dynamic_cast<TGraphicControl*>(c)) static_cast<TControlCanvas*>(g->Canvas())->FreeHandle();
  if (MouseControl() == this) TrackMouseControl(nullptr);
  DestroyWnd();
  destroyingHandle_ = false;
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  bool focused = Focused();
  DestroyHandle();
  HandleNeeded();
  if (focused) ::SetFocus(handle_);
}

void TWinControl::DefWndProc(TMessage& m) {
  if (!handle_) return;
  if (defWndProc_)
    m.Result = CallWindowProcA(reinterpret_cast<WNDPROC>(defWndProc_), handle_, m.Msg, m.WParam, m.LParam);
  else
    m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

std::string TWinControl::GetText() const {
  if (!handle_) return text_;
  int n = GetWindowTextLengthA(handle_);
  std::string s(static_cast<size_t>(std::max(n, 0)) + 1, '\0');
  int got = GetWindowTextA(handle_, s.data(), n + 1);
  s.resize(static_cast<size_t>(std::max(got, 0)));
  return s;
}

void TWinControl::SetText(const std::string& value) {
  if (value == GetText()) return;
  text_ = value;
  if (handle_) SetWindowTextA(handle_, value.c_str());
  Perform(CM_TEXTCHANGED);
}

void TWinControl::ApplyFont() {
  if (!handle_) return;
  HFONT f = Font()->Handle();
  if (f == appliedFont_) return;
  appliedFont_ = f;
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(f), 0);
}

void TWinControl::FontChanged() {
  ApplyFont();
  TControl::FontChanged();
  NotifyControls(CM_PARENTFONTCHANGED);
}

// ---- Children ----

void TWinControl::InsertControl(TControl* control) {
  if (ContainsControl(control)) return;
  controls_.push_back(control);
  control->parent_ = this;
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    InsertTab(w);
    if (w->handle_ && handle_) ::SetParent(w->handle_, handle_);
    else if (handle_ && w->Visible()) w->HandleNeeded();
  }
  if (!control->IsLoading()) {
    if (control->ParentFont()) control->ParentFontChanged();
    if (control->ParentColor()) control->ParentColorChanged();
  }
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 1);
  if (control->Align() != alNone) AlignAll(control);
  control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
  control->Invalidate();
  if (captureControl_ == control) {
    captureControl_ = nullptr;
    if (handle_ && GetCapture() == handle_) ReleaseCapture();
  }
  if (MouseControl() == control) TrackMouseControl(nullptr);
  controls_.erase(std::find(controls_.begin(), controls_.end(), control));
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    RemoveTab(w);
    if (TCustomForm* f = ParentForm()) f->ControlRemoved(w);
    w->DestroyHandle();
  }
  control->parent_ = nullptr;
  if (control->Align() != alNone && !IsDestroying()) AlignAll(nullptr);
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c; c = c->Parent())
    if (c == this) return c != control || std::find(controls_.begin(), controls_.end(), control) != controls_.end();
  return false;
}

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TControl* c : controls_)
    if (c->Owner() == root) proc(c);
}

void TWinControl::SetChildOrder(TComponent* child, int order) {
  auto* c = dynamic_cast<TControl*>(child);
  auto it = std::find(controls_.begin(), controls_.end(), c);
  if (it == controls_.end() || order < 0) return;
  controls_.erase(it);
  size_t at = std::min(static_cast<size_t>(order), controls_.size());
  controls_.insert(controls_.begin() + static_cast<std::ptrdiff_t>(at), c);
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled, bool allowWindows) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
    if (windowed && !allowWindows) continue;
    if (!c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
    if (!c->BoundsRect().Contains(p)) continue;
    TPoint local{p.X - c->Left(), p.Y - c->Top()};
    if (c->Perform(CM_HITTEST, 0, PointToLParam(local.X, local.Y)) != 0) return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
  for (size_t i = 0; i < controls_.size(); ++i) {
    controls_[i]->WindowProc(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(uint32_t msg) {
  TMessage m{msg, 0, 0, 0};
  for (size_t i = 0; i < controls_.size(); ++i) {
    m.Result = 0;
    controls_[i]->WindowProc(m);
  }
}

// ---- Alignment ----

void TWinControl::EnableAlign() {
  if (--alignLevel_ == 0 && alignPending_) Realign();
}

void TWinControl::Realign() { AlignAll(nullptr); }

void TWinControl::AlignAll(TControl* control) {
  if (alignLevel_ > 0 || IsLoading() || IsDestroying()) {
    alignPending_ = true;
    return;
  }
  alignPending_ = false;
  ++alignLevel_;
  TRect rect = ClientRect();
  try {
    AlignControls(control, rect);
  } catch (...) {
    --alignLevel_;
    throw;
  }
  --alignLevel_;
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  // Top and bottom first, across the whole width; then left and right in
  // what remains; the client-aligned control takes the rest.
  static const TAlign kOrder[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign a : kOrder) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->Align() == a && c->Visible()) list.push_back(c);
    // Their order: by position along the edge, the control being placed
    // winning a tie.
    auto key = [a](TControl* c) {
      switch (a) {
        case alTop: return c->Top();
        case alBottom: return -(c->Top() + c->Height());
        case alLeft: return c->Left();
        case alRight: return -(c->Left() + c->Width());
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) {
      int kx = key(x), ky = key(y);
      if (kx != ky) return kx < ky;
      return x == control && y != control;
    });
    for (TControl* c : list) {
      TRect r;
      switch (a) {
        case alTop:
          r = {rect.Left, rect.Top, rect.Right, rect.Top + c->Height()};
          rect.Top = r.Bottom;
          break;
        case alBottom:
          r = {rect.Left, rect.Bottom - c->Height(), rect.Right, rect.Bottom};
          rect.Bottom = r.Top;
          break;
        case alLeft:
          r = {rect.Left, rect.Top, rect.Left + c->Width(), rect.Bottom};
          rect.Left = r.Right;
          break;
        case alRight:
          r = {rect.Right - c->Width(), rect.Top, rect.Right, rect.Bottom};
          rect.Right = r.Left;
          break;
        default:
          r = rect;
      }
      if (r.Right < r.Left) r.Right = r.Left;
      if (r.Bottom < r.Top) r.Bottom = r.Top;
      c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    }
  }
}

namespace {

uint32_t gParentResizeMessage = 0;
uintptr_t gParentResizeCode = 0;

void NotifyChildrenResized(TWinControl& parent) {
  if (gParentResizeMessage == 0 || parent.IsLoading() || parent.IsDestroying()) return;
  // A child's answer may move or free others: by index, checked each time.
  for (int i = 0; i < parent.ControlCount(); ++i)
    parent.Controls(i)->Perform(gParentResizeMessage, static_cast<WPARAM>(gParentResizeCode), 0);
}

}  // namespace

void SetParentResizeNotice(uint32_t message, uintptr_t code) {
  gParentResizeMessage = message;
  gParentResizeCode = code;
}

void TWinControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  bool sized = width != Width() || height != Height();
  if (handle_) {
    // The window tells us its new place (WM_WINDOWPOSCHANGED).
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  }
  UpdateBoundsRect(TRect::Bounds(left, top, width, height));
  RequestAlign();
  if (sized) {
    AlignAll(nullptr);
    NotifyChildrenResized(*this);
    if (!IsLoading()) Resize();
  }
}

void TWinControl::WMWindowPosChanged(TMessage& m) {
  DefWndProc(m);
  RECT r;
  GetWindowRect(handle_, &r);
  HWND parent = GetParent(handle_);
  if (parent && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  TRect nr{r.left, r.top, r.right, r.bottom};
  if (nr == BoundsRect()) return;
  bool sized = nr.Width() != Width() || nr.Height() != Height();
  UpdateBoundsRect(nr);
  if (sized) {
    AlignAll(nullptr);
    NotifyChildrenResized(*this);
    if (!IsLoading()) Resize();
  }
  RequestAlign();
}

TRect TWinControl::ClientRect() const {
  if (handle_) {
    RECT r;
    GetClientRect(handle_, &r);
    return {r.left, r.top, r.right, r.bottom};
  }
  return TControl::ClientRect();
}

TPoint TWinControl::ClientOrigin() const {
  if (handle_) {
    POINT p{0, 0};
    ::ClientToScreen(handle_, &p);
    return {p.x, p.y};
  }
  return TControl::ClientOrigin();
}

bool TWinControl::Showing() const {
  if (!handle_) return false;
  return IsWindowVisible(handle_) != 0;
}

void TWinControl::SetParent(TWinControl* value) {
  if (value == Parent()) return;
  if (value && value->ContainsControl(this) == false) {
    for (TWinControl* p = value; p; p = p->Parent())
      if (p == this) throw EInvalidOperation("A control cannot be its own parent");
  }
  bool hadHandle = handle_ != nullptr;
  if (hadHandle && !value && !parentWindow_) DestroyHandle();
  TControl::SetParent(value);
  if (handle_ && value) ::SetParent(handle_, value->Handle());
  else if (hadHandle && value && !handle_) HandleNeeded();
}

void TWinControl::SetParentWindow(HWND value) {
  if (value == parentWindow_) return;
  parentWindow_ = value;
  if (handle_ && !Parent()) ::SetParent(handle_, value);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (alignPending_ || !controls_.empty()) AlignAll(nullptr);
}

// ---- Painting ----

void TWinControl::Invalidate() {
  if (handle_) ::InvalidateRect(handle_, nullptr, FALSE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::ScaleControls(int32_t m, int32_t d) {
  if (m == d || d == 0) return;
  for (size_t i = 0; i < controls_.size(); ++i) {
    TControl* c = controls_[i];
    int32_t left = KyMulDiv(c->Left(), m, d), top = KyMulDiv(c->Top(), m, d);
    int32_t right = KyMulDiv(c->Left() + c->Width(), m, d), bottom = KyMulDiv(c->Top() + c->Height(), m, d);
    c->SetBounds(left, top, right - left, bottom - top);
    if (!c->ParentFont()) c->Font()->SetHeight(KyMulDiv(c->Font()->Height(), m, d));
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->ScaleControls(m, d);
  }
}

void TWinControl::PrintClient(HDC dc) {
  SendMessageA(Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
}

void TWinControl::FrameChanged() {
  if (handle_)
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool TWinControl::PostToWindow(uint32_t msg, WPARAM wParam, LPARAM lParam) {
  return handle_ && PostMessageA(handle_, msg, wParam, lParam);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::PaintWindow(HDC dc) {
  // Whoever answers the erase request of the pass paints the background;
  // otherwise a plain window shows its colour.
  TMessage erase{WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), kEraseInPaintPass, 0};
  WindowProc(erase);
  if (erase.Result != 0) return;
  RECT r;
  GetClientRect(handle_, &r);
  TBrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color()))));
  FillRect(dc, &r, brush.Get());
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  auto start = controls_.begin();
  if (first) {
    start = std::find(controls_.begin(), controls_.end(), first);
    if (start == controls_.end()) return;
    ++start;
  }
  RECT clip;
  bool hasClip = GetClipBox(dc, &clip) != NULLREGION;
  for (auto it = start; it != controls_.end(); ++it) {
    auto* g = dynamic_cast<TGraphicControl*>(*it);
    if (!g || !g->Visible()) continue;
    TRect b = g->BoundsRect();
    if (b.IsEmpty()) continue;
    if (hasClip && !b.Intersects({clip.left, clip.top, clip.right, clip.bottom})) continue;
    int saved = SaveDC(dc);
    POINT old;
    OffsetViewportOrgEx(dc, b.Left, b.Top, &old);
    IntersectClipRect(dc, 0, 0, b.Width(), b.Height());
    auto* canvas = static_cast<TControlCanvas*>(g->Canvas());
    canvas->SetPaintHandle(dc);
    try {
      g->Perform(WM_PAINT);
    } catch (...) {
      canvas->SetPaintHandle(nullptr);
      RestoreDC(dc, saved);
      throw;
    }
    canvas->SetPaintHandle(nullptr);
    RestoreDC(dc, saved);
  }
}

void TWinControl::PaintTo(HDC dc, int32_t x, int32_t y) {
  HWND h = Handle();
  RECT client;
  GetClientRect(h, &client);
  int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, x, y, nullptr);
  ::IntersectClipRect(dc, 0, 0, client.right, client.bottom);
  if (OwnsPainting()) {
    PaintWindow(dc);
    PaintControls(dc, nullptr);
  } else {
    PrintClient(dc);
  }
  RestoreDC(dc, saved);
  for (TControl* c : controls_) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->Visible()) continue;
    // The child's frame (an edit's border) lies outside its client area.
    RECT wr, cr;
    GetWindowRect(w->Handle(), &wr);
    GetClientRect(w->Handle(), &cr);
    POINT origin{0, 0};
    ::ClientToScreen(w->Handle(), &origin);
    int frameX = origin.x - wr.left, frameY = origin.y - wr.top;
    int s2 = SaveDC(dc);
    ::IntersectClipRect(dc, x, y, x + client.right, y + client.bottom);
    if (frameX > 0 || frameY > 0 || wr.right - wr.left != cr.right || wr.bottom - wr.top != cr.bottom) {
      int s3 = SaveDC(dc);
      OffsetViewportOrgEx(dc, x + w->Left(), y + w->Top(), nullptr);
      SendMessageA(w->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT);
      RestoreDC(dc, s3);
    }
    w->PaintTo(dc, x + w->Left() + frameX, y + w->Top() + frameY);
    RestoreDC(dc, s2);
  }
}

namespace {

// The back buffer of the paint passes: grown to the largest window painted,
// and given up when the thread ends.
thread_local int gPaintDepth = 0;

struct TPaintBuffer {
  TMemoryDcHandle dc;
  TBitmapHandle bitmap;
  std::unique_ptr<TSelectGuard> selected;
  int width = 0, height = 0;
  ~TPaintBuffer() { selected.reset(); }
};

}  // namespace

HDC TWinControl::PaintBuffer(HDC screen, int width, int height) {
  thread_local TPaintBuffer buffer;
  // A paint inside a paint (a control painting another now) needs its own.
  if (gPaintDepth > 0) return nullptr;
  if (!buffer.dc || width > buffer.width || height > buffer.height) {
    int w = std::max(width, buffer.width), h = std::max(height, buffer.height);
    buffer.selected.reset();
    buffer.bitmap.Reset(CreateCompatibleBitmap(screen, w, h));
    if (!buffer.dc) buffer.dc.Reset(CreateCompatibleDC(screen));
    if (!buffer.dc || !buffer.bitmap) {
      buffer.bitmap.Reset();
      buffer.width = buffer.height = 0;
      return nullptr;
    }
    buffer.selected = std::make_unique<TSelectGuard>(buffer.dc.Get(), buffer.bitmap.Get());
    buffer.width = w;
    buffer.height = h;
  }
  return buffer.dc.Get();
}

void TWinControl::WMPaint(TMessage& m) {
  if (!OwnsPainting()) {
    DefWndProc(m);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  struct TEnd {
    HWND w;
    PAINTSTRUCT* ps;
    ~TEnd() { EndPaint(w, ps); }
  } end{handle_, &ps};
  RECT client;
  GetClientRect(handle_, &client);
  int w = client.right, h = client.bottom;
  if (w <= 0 || h <= 0) return;
  // One memory bitmap per paint, copied to the screen once: no flicker.
  // The bitmap is kept for the next paint (all paints run in this thread):
  // making one per paint cost more than the painting.
  HDC mem = PaintBuffer(dc, w, h);
  TMemoryDcHandle ownDc;
  TBitmapHandle ownBitmap;
  std::unique_ptr<TSelectGuard> ownSelected;
  if (!mem) {
    ownDc.Reset(CreateCompatibleDC(dc));
    ownBitmap.Reset(CreateCompatibleBitmap(dc, w, h));
    if (!ownDc || !ownBitmap) {
      PaintWindow(dc);
      PaintControls(dc, nullptr);
      return;
    }
    ownSelected = std::make_unique<TSelectGuard>(ownDc.Get(), ownBitmap.Get());
    mem = ownDc.Get();
  }
  struct TDepth {
    TDepth() { ++gPaintDepth; }
    ~TDepth() { --gPaintDepth; }
  } depth;
  int saved = SaveDC(mem);
  IntersectClipRect(mem, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
  try {
    PaintWindow(mem);
    PaintControls(mem, nullptr);
  } catch (...) {
    RestoreDC(mem, saved);
    throw;
  }
  RestoreDC(mem, saved);
  BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top,
         mem, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
}

// ---- Mouse ----

void TWinControl::HandleChildMouse(TMessage& m) {
  TPoint p{LoWordOf(m.LParam), HiWordOf(m.LParam)};
  TControl* target = captureControl_;
  if (!target) target = ControlAtPos(p);
  if (m.Msg == WM_MOUSEMOVE) {
    TControl* over = target ? target : this;
    if (captureControl_ && !captureControl_->BoundsRect().Contains(p)) over = ControlAtPos(p) ? ControlAtPos(p) : this;
    TrackMouseControl(over);
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, handle_, 0};
    TrackMouseEvent(&tme);
  }
  if (target) {
    TMessage cm = m;
    cm.LParam = PointToLParam(p.X - target->Left(), p.Y - target->Top());
    bool down = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK || m.Msg == WM_RBUTTONDOWN ||
                m.Msg == WM_MBUTTONDOWN;
    bool up = m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP || m.Msg == WM_MBUTTONUP;
    if (down && target->ControlStyle().Contains(csCaptureMouse)) {
      captureControl_ = target;
      SetCapture(handle_);
    }
    TControl* keep = target;
    keep->WindowProc(cm);
    if (up && captureControl_ == keep && !(m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
      captureControl_ = nullptr;
      if (GetCapture() == handle_) ReleaseCapture();
    }
    m.Result = cm.Result;
    // The platform makes WM_CONTEXTMENU of a release only for the window;
    // a windowless child's release asks for it here.
    if (m.Msg == WM_RBUTTONUP && handle_) {
      POINT sp{p.X, p.Y};
      ::ClientToScreen(handle_, &sp);
      Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(handle_), PointToLParam(sp.x, sp.y));
    }
    return;
  }
  bool down = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK;
  if (down && CanFocus() && OwnsPainting() && ControlStyle().Contains(csClickEvents) && tabStop_) SetFocus();
  if (down && ControlStyle().Contains(csCaptureMouse) && OwnsPainting()) SetCapture(handle_);
  if (m.Msg == WM_LBUTTONUP && GetCapture() == handle_ && OwnsPainting()) ReleaseCapture();
  TControl::WndProc(m);
}

// ---- Keyboard and focus ----

bool TWinControl::DoKeyDown(TMessage& m) {
  TShiftState shift = KeyboardShiftState();
  TCustomForm* form = ParentForm();
  if (form && form != this && form->KeyPreview()) {
    uint16_t key = static_cast<uint16_t>(m.WParam);
    form->KeyDown(key, shift);
    if (key == 0) return true;
    m.WParam = key;
  }
  uint16_t key = static_cast<uint16_t>(m.WParam);
  KeyDown(key, shift);
  if (key == 0) return true;
  m.WParam = key;
  return false;
}

bool TWinControl::DoKeyUp(TMessage& m) {
  TShiftState shift = KeyboardShiftState();
  TCustomForm* form = ParentForm();
  if (form && form != this && form->KeyPreview()) {
    uint16_t key = static_cast<uint16_t>(m.WParam);
    form->KeyUp(key, shift);
    if (key == 0) return true;
    m.WParam = key;
  }
  uint16_t key = static_cast<uint16_t>(m.WParam);
  KeyUp(key, shift);
  if (key == 0) return true;
  m.WParam = key;
  return false;
}

bool TWinControl::DoKeyPress(TMessage& m) {
  TCustomForm* form = ParentForm();
  char ch = static_cast<char>(m.WParam);
  if (form && form != this && form->KeyPreview()) {
    form->KeyPress(ch);
    if (ch == 0) return true;
  }
  KeyPress(ch);
  if (ch == 0) return true;
  m.WParam = static_cast<uint8_t>(ch);
  return false;
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(uint16_t& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::CNKeyDown(TMessage& m) {
  // Before the key reaches the window: the parents may take it, and Tab,
  // arrows, Enter and Escape are dialog keys unless the control wants them.
  m.Result = 1;
  uint16_t key = static_cast<uint16_t>(m.WParam);
  for (TWinControl* p = this; p; p = p->Parent())
    if (p->Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0) return;
  uint32_t mask = 0;
  switch (key) {
    case VK_TAB:
      mask = DLGC_WANTTAB;
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      mask = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_EXECUTE:
    case VK_CANCEL:
      mask = DLGC_WANTALLKEYS;
      break;
  }
  if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, m.LParam) == 0 &&
      (Perform(WM_GETDLGCODE) & mask) == 0) {
    TCustomForm* form = ParentForm();
    // A preview form sees dialog keys first.
    if (form && form != this && form->KeyPreview()) {
      uint16_t k = key;
      form->KeyDown(k, KeyboardShiftState());
      if (k == 0) return;
    }
    if (form && form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) return;
  }
  m.Result = 0;
}

bool TWinControl::CanFocus() const {
  if (!Visible() || !Enabled()) return false;
  for (TWinControl* p = Parent(); p; p = p->Parent())
    if (!p->Visible() || !p->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TCustomForm* form = ParentForm(); form && form != this) {
    form->FocusControl(this);
    return;
  }
  if (handle_ || CanFocus()) ::SetFocus(Handle());
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

int32_t TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  const auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int32_t>(it - list.begin());
}

void TWinControl::SetTabOrder(int32_t value) {
  if (!Parent()) return;
  auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  size_t at = value < 0 ? list.size() : std::min(static_cast<size_t>(value), list.size());
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), this);
}

void TWinControl::InsertTab(TWinControl* control) { tabList_.push_back(control); }

void TWinControl::RemoveTab(TWinControl* control) {
  auto it = std::find(tabList_.begin(), tabList_.end(), control);
  if (it != tabList_.end()) tabList_.erase(it);
}

void TWinControl::SetTabStop(bool value) {
  if (value == tabStop_) return;
  tabStop_ = value;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    SetWindowLongPtrA(handle_, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : tabList_) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[static_cast<size_t>(i)] == current) start = i;
  if (start < 0) start = goForward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = goForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c == current) break;
    if (!c->CanFocus()) continue;
    if (checkTabStop && !c->TabStop()) continue;
    if (checkParent && c->Parent() != this) continue;
    // Containers that hold focusable controls are passed through.
    bool hasTabChildren = false;
    for (TWinControl* k : c->tabList_)
      if (k->CanFocus() && k->TabStop()) hasTabChildren = true;
    if (hasTabChildren && !c->TabStop()) continue;
    return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  if (TWinControl* c = FindNextControl(current, goForward, checkTabStop, false)) c->SetFocus();
}

// ---- Popup menus ----

namespace {

// Shows the popup menu of the control at a screen point (of this window's
// windowless child there first); from the keyboard, at the control's corner.
bool ShowContextMenu(TWinControl* window, TPoint screen, bool keyboard) {
  TControl* c = window;
  if (keyboard) {
    screen = window->ClientToScreen({0, 0});
  } else if (TControl* g = window->ControlAtPos(window->ScreenToClient(screen), false)) {
    c = g;
  }
  TPopupMenu* menu = c->GetPopupMenu();
  if (!menu || !menu->AutoPopup() || c->IsDesigning()) return false;
  menu->SetPopupComponent(c);
  menu->Popup(screen.X, screen.Y);
  return true;
}

bool IsMenuKey(const TMessage& m) {
  if (m.WParam == VK_APPS) return true;
  return m.WParam == VK_F10 && GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0;
}

}  // namespace

// ---- The message switch ----

void TWinControl::WndProc(TMessage& m) {
  if (IsClientMouseMessage(m.Msg)) {
    HandleChildMouse(m);
    return;
  }
  switch (m.Msg) {
    case WM_PAINT:
      WMPaint(m);
      return;
    case WM_ERASEBKGND:
      if (m.LParam == kEraseInPaintPass) {
        m.Result = 0;
        return;
      }
      if (OwnsPainting()) {
        // The paint pass covers every pixel.
        m.Result = 1;
        return;
      }
      break;
    case WM_WINDOWPOSCHANGED:
      WMWindowPosChanged(m);
      return;
    case WM_NCCALCSIZE: {
      TRect in = NonClientInsets();
      if (!OwnsPainting() || (in.Left | in.Top | in.Right | in.Bottom) == 0) break;
      DefWndProc(m);
      auto* r = reinterpret_cast<RECT*>(m.LParam);  // first rectangle in both forms
      r->left += in.Left;
      r->top += in.Top;
      r->right = std::max(r->left, r->right - in.Right);
      r->bottom = std::max(r->top, r->bottom - in.Bottom);
      return;
    }
    case WM_NCPAINT: {
      TRect in = NonClientInsets();
      if (!defWndProc_ && (in.Left | in.Top | in.Right | in.Bottom) == 0 && !HasSystemNonClient(handle_)) {
        // A child of ours without frame or scroll bars has nothing outside
        // its client area; the system's painting of it costs each showing.
        m.Result = 0;
        return;
      }
      if (!OwnsPainting() || (in.Left | in.Top | in.Right | in.Bottom) == 0) break;
      DefWndProc(m);
      TWindowDc dc(handle_, true);
      if (!dc.Get()) return;
      RECT wr;
      GetWindowRect(handle_, &wr);
      TRect window{0, 0, wr.right - wr.left, wr.bottom - wr.top};
      // Only the frame: the client area paints itself.
      ::ExcludeClipRect(dc.Get(), in.Left, in.Top, window.Right - in.Right, window.Bottom - in.Bottom);
      TCanvas canvas;
      canvas.SetHandle(dc.Get());
      try {
        PaintNonClient(canvas, window);
      } catch (...) {
        canvas.SetHandle(nullptr);
        throw;
      }
      canvas.SetHandle(nullptr);
      m.Result = 0;
      return;
    }
    case WM_MOUSELEAVE:
      if (MouseControl() && (MouseControl() == this || ContainsControl(MouseControl()))) {
        POINT p;
        GetCursorPos(&p);
        HWND under = WindowFromPoint(p);
        if (under != handle_ && !(under && IsChild(handle_, under))) TrackMouseControl(nullptr);
      }
      DefWndProc(m);
      return;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(m.LParam) != handle_ && captureControl_) {
        TControl* c = captureControl_;
        captureControl_ = nullptr;
        c->Perform(WM_CANCELMODE);
      }
      DefWndProc(m);
      return;
    case WM_SETCURSOR:
      if (LoWordOf(m.LParam) == HTCLIENT && reinterpret_cast<HWND>(m.WParam) == handle_) {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(handle_, &p);
        TControl* c = ControlAtPos({p.x, p.y}, true);
        TCursor cur = c ? c->Cursor() : Cursor();
        if (cur == crDefault) cur = Cursor();
        if (Screen && Screen->Cursor() != crDefault) cur = Screen->Cursor();
        if (cur != crDefault && Screen) {
          ::SetCursor(Screen->Cursors(cur));
          m.Result = 1;
          return;
        }
      }
      DefWndProc(m);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(m)) return;
      // The menu key and Shift+F10 show the popup menu here, and the key
      // goes no further (the platform would ask a second time).
      if (IsMenuKey(m) && ShowContextMenu(this, {}, true)) return;
      DefWndProc(m);
      return;
    case WM_CONTEXTMENU: {
      // -1, -1: from the keyboard.
      bool keyboard = LoWordOf(m.LParam) == -1 && HiWordOf(m.LParam) == -1;
      if (ShowContextMenu(this, {LoWordOf(m.LParam), HiWordOf(m.LParam)}, keyboard)) {
        m.Result = 1;
        return;
      }
      DefWndProc(m);
      return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(m)) return;
      DefWndProc(m);
      return;
    case WM_CHAR:
      if (DoKeyPress(m)) return;
      DefWndProc(m);
      return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      CNKeyDown(m);
      return;
    case CN_CHAR:
      m.Result = 0;
      return;
    case WM_SETFOCUS:
      if (TCustomForm* form = ParentForm(); form && form != this) form->FocusChanged(this);
      DefWndProc(m);
      return;
    case WM_KILLFOCUS:
      DefWndProc(m);
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      // Default and cancel buttons, accelerators: whoever takes it first.
      Broadcast(m);
      return;
    case CM_FOCUSCHANGED:
      // Every control of the form hears it.
      for (size_t i = 0; i < controls_.size(); ++i) {
        TMessage copy = m;
        controls_[i]->WindowProc(copy);
      }
      return;
    case CM_ENTER:
      DoEnter();
      return;
    case CM_EXIT:
      DoExit();
      return;
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      // Notifications go back to the control that sent them.
      HWND from = nullptr;
      if (m.Msg == WM_COMMAND) from = reinterpret_cast<HWND>(m.LParam);
      else if (m.Msg == WM_DRAWITEM) from = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam)->hwndItem;
      else if (m.Msg == WM_MEASUREITEM) from = GetDlgItem(handle_, static_cast<int>(reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)->CtlID));
      else from = reinterpret_cast<HWND>(m.LParam);
      if (TWinControl* c = FromHandle(from); c && c != this) {
        try {
          m.Result = c->Perform(m.Msg + CN_BASE, m.WParam, m.LParam);
        } catch (...) {
          // The control's own handler failed: it is the one to name.
          if (Application) Application->HandleException(c);
          m.Result = 0;
          return;
        }
        if (m.Msg == WM_COMMAND || m.Result != 0) return;
      }
      DefWndProc(m);
      return;
    }
    case CM_VISIBLECHANGED:
      if (handle_) ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
      else if (Visible() && Parent() && Parent()->HandleAllocated()) HandleNeeded();
      return;
    case CM_ENABLEDCHANGED:
      if (handle_) EnableWindow(handle_, Enabled() ? TRUE : FALSE);
      EnabledChanged();
      return;
    case WM_NCDESTROY:
      DefWndProc(m);
      if (handle_ == nullptr) return;
      RemovePropA(handle_, kControlProp);
      handle_ = nullptr;
      return;
  }
  TControl::WndProc(m);
}
