// TControl, TGraphicControl, TCustomControl and the control canvas. The
// window half (TWinControl) is in WinControl.cpp.
#include "platform/windows/Controls.h"

#include "platform/os/WinApi.h"

#include <algorithm>

#include "platform/windows/Application.h"
#include "platform/windows/DragDrop.h"
#include "platform/windows/Menus.h"

// ---- Identifiers that forms write by name ----

const TIdentMap& CursorIdents() {
  static const TIdentMap map{{crDefault, "crDefault"},     {crNone, "crNone"},       {crArrow, "crArrow"},
                             {crCross, "crCross"},         {crIBeam, "crIBeam"},     {crSizeNESW, "crSizeNESW"},
                             {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},
                             {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
                             {crNoDrop, "crNoDrop"},       {crMultiDrag, "crMultiDrag"}, {crNo, "crNo"},
                             {crAppStart, "crAppStart"},   {crHelp, "crHelp"},       {crHandPoint, "crHandPoint"},
                             {crSizeAll, "crSizeAll"}};
  return map;
}

const TIdentMap& ColorIdents() {
  static const TIdentMap map{
      {kClBlack, "clBlack"},     {kClMaroon, "clMaroon"},   {kClGreen, "clGreen"},
      {0x00008080, "clOlive"},   {kClNavy, "clNavy"},       {0x00800080, "clPurple"},
      {0x00808000, "clTeal"},    {kClGray, "clGray"},       {kClSilver, "clSilver"},
      {kClRed, "clRed"},         {kClLime, "clLime"},       {kClYellow, "clYellow"},
      {kClBlue, "clBlue"},       {kClFuchsia, "clFuchsia"}, {kClAqua, "clAqua"},
      {kClWhite, "clWhite"},     {kClNone, "clNone"},       {kClDefault, "clDefault"},
      {kClScrollBar, "clScrollBar"},       {kClBackground, "clBackground"},
      {kClActiveCaption, "clActiveCaption"}, {kClInactiveCaption, "clInactiveCaption"},
      {kClMenu, "clMenu"},                 {kClWindow, "clWindow"},
      {kClWindowFrame, "clWindowFrame"},   {kClMenuText, "clMenuText"},
      {kClWindowText, "clWindowText"},     {kClCaptionText, "clCaptionText"},
      {kClHighlight, "clHighlight"},       {kClHighlightText, "clHighlightText"},
      {kClBtnFace, "clBtnFace"},           {kClBtnShadow, "clBtnShadow"},
      {kClGrayText, "clGrayText"},         {kClBtnText, "clBtnText"},
      {kClBtnHighlight, "clBtnHighlight"}, {kCl3DDkShadow, "cl3DDkShadow"},
      {kCl3DLight, "cl3DLight"},           {kClInfoText, "clInfoText"},
      {kClInfoBk, "clInfoBk"}};
  return map;
}

TShiftState KeyboardShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState MouseShiftState(WPARAM flags) {
  TShiftState s;
  if (flags & MK_SHIFT) s.Include(ssShift);
  if (flags & MK_CONTROL) s.Include(ssCtrl);
  if (flags & MK_LBUTTON) s.Include(ssLeft);
  if (flags & MK_RBUTTON) s.Include(ssRight);
  if (flags & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

// ---- The control under the mouse ----

namespace {
TControl* gMouseControl = nullptr;
}

TControl* MouseControl() { return gMouseControl; }

void TrackMouseControl(TControl* now) {
  if (now == gMouseControl) return;
  TControl* old = gMouseControl;
  gMouseControl = now;
  if (old) {
    old->SetControlState(old->ControlState() - TControlState{csMouseInside});
    old->Perform(CM_MOUSELEAVE);
  }
  if (now) {
    now->SetControlState(now->ControlState() + TControlState{csMouseInside});
    now->Perform(CM_MOUSEENTER);
  }
  if (Application) Application->MouseControlChanged(now);
}

// ---- TControlCanvas ----

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::FreeHandle() {
  if (!ownDc_) return;
  HDC dc = ownDc_;
  ownDc_ = nullptr;
  SetHandle(nullptr);
  ReleaseDC(window_, dc);
  window_ = nullptr;
}

void TControlCanvas::SetPaintHandle(HDC dc) {
  if (ownDc_) FreeHandle();
  SetHandle(dc);
}

void TControlCanvas::CreateHandle() {
  // Outside a paint pass: a DC of the window, clipped to the control.
  TWinControl* win = dynamic_cast<TWinControl*>(control_);
  TPoint origin{0, 0};
  if (!win) {
    win = control_->Parent();
    origin = {control_->Left(), control_->Top()};
  }
  if (!win) return;
  HWND w = win->Handle();
  HDC dc = GetDCEx(w, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!dc) return;
  SetViewportOrgEx(dc, origin.X, origin.Y, nullptr);
  ::IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
  window_ = w;
  ownDc_ = dc;
  SetHandle(dc);
}

// ---- TControl ----

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  controlStyle_ = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  WindowProc = [this](TMessage& m) { WndProc(m); };
  font_->OnChange = [this](TObject*) {
    if (settingFont_) return;
    parentFont_ = false;
    FontChanged();
  };
}

TControl::~TControl() {
  if (gMouseControl == this) gMouseControl = nullptr;
  TDragManager::ControlDestroyed(this);
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  if (Application) Application->ControlDestroyed(this);
  if (parent_) parent_->RemoveControl(this);
}

void TControl::Publish(TPublisher<TControl>& p) {
  // Most controls publish these again as they need them; the bounds and
  // Align belong to every control.
  p.Property("Left", &TControl::Left, &TControl::SetLeft);
  p.Property("Top", &TControl::Top, &TControl::SetTop);
  p.Property("Width", &TControl::Width, &TControl::SetWidth);
  p.Property("Height", &TControl::Height, &TControl::SetHeight);
  p.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  p.Property("Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault).Idents(CursorIdents());
  p.Property("Hint", &TControl::Hint, &TControl::SetHint);
  p.Property("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Default(0);
}

void TControl::SetParent(TWinControl* value) {
  if (value == parent_) return;
  if (value == this) throw EComponentError("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (value) value->InsertControl(this);
  ParentChanged();
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* w = dynamic_cast<TWinControl*>(parent)) SetParent(w);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::UpdateBoundsRect(const TRect& r) {
  left_ = r.Left;
  top_ = r.Top;
  width_ = r.Width();
  height_ = r.Height();
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  bool sized = width != width_ || height != height_;
  InvalidateRect(BoundsRect(), true);
  UpdateBoundsRect(TRect::Bounds(left, top, width, height));
  InvalidateRect(BoundsRect(), true);
  RequestAlign();
  if (sized && !IsLoading()) Resize();
}

void TControl::SetClientWidth(int32_t v) { SetWidth(width_ - ClientWidth() + v); }
void TControl::SetClientHeight(int32_t v) { SetHeight(height_ - ClientHeight() + v); }

TPoint TControl::ClientOrigin() const {
  if (!parent_) return {left_, top_};
  TPoint p = parent_->ClientOrigin();
  return {p.X + left_, p.Y + top_};
}

void TControl::SetAlign(TAlign value) {
  if (value == align_) return;
  align_ = value;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (parent_ && !parent_->IsLoading()) parent_->AlignAll(this);
}

void TControl::SetDesiredSize(int32_t width, int32_t height) { SetBounds(left_, top_, width, height); }

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  VisibleChanging();
  visible_ = value;
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
  if (parent_ && align_ != alNone) RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Perform(CM_ENABLEDCHANGED);
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetText(const std::string& value) {
  if (value == text_) return;
  text_ = value;
  Perform(CM_TEXTCHANGED);
}

void TControl::SetParentFont(bool value) {
  if (value == parentFont_) return;
  parentFont_ = value;
  if (value && parent_) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  settingFont_ = true;
  font_->Assign(parent_->Font());
  settingFont_ = false;
  FontChanged();
}

void TControl::FontChanged() {
  Perform(CM_FONTCHANGED);
  Invalidate();
}

void TControl::SetColor(TKyColor value) {
  if (value == color_ && !parentColor_) return;
  color_ = value;
  parentColor_ = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  if (value && parent_) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parentColor_ || !parent_) return;
  if (color_ != parent_->Color()) {
    color_ = parent_->Color();
    Perform(CM_COLORCHANGED);
  }
}

void TControl::SetShowHint(bool value) {
  showHint_ = value;
  parentShowHint_ = false;
}

void TControl::SetParentShowHint(bool value) {
  if (value == parentShowHint_) return;
  parentShowHint_ = value;
  if (value && parent_) showHint_ = parent_->ShowHint();
}

void TControl::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  Perform(CM_CURSORCHANGED);
}

TCustomForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::InvalidateRect(const TRect& r, bool erase) {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  ::InvalidateRect(parent_->Handle(), &rc, erase ? TRUE : FALSE);
}

void TControl::Invalidate() { InvalidateRect(BoundsRect(), !controlStyle_.Contains(csOpaque)); }

void TControl::Repaint() {
  if (!parent_ || !parent_->HandleAllocated() || !Showing()) return;
  Invalidate();
  parent_->Update();
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::find(list.begin(), list.end(), this));
  list.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::SendToBack() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::find(list.begin(), list.end(), this));
  list.insert(list.begin(), this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

LRESULT TControl::Perform(uint32_t msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) { DefaultHandler(message); }

void TControl::DefWndProc(TMessage& /*message*/) {}

void TControl::HandleMouseMessage(TMessage& m) {
  TShiftState shift = MouseShiftState(m.WParam);
  int32_t x = LoWordOf(m.LParam), y = HiWordOf(m.LParam);
  switch (m.Msg) {
    case WM_MOUSEMOVE:
      MouseMove(shift, x, y);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (controlStyle_.Contains(csClickEvents)) controlState_.Include(csClicked);
      controlState_.Include(csLButtonDown);
      if (m.Msg == WM_LBUTTONDBLCLK) {
        shift.Include(ssDouble);
        if (controlStyle_.Contains(csClickEvents)) DblClick();
      }
      MouseDown(mbLeft, shift, x, y);
      // Control held down cancels an automatic drag (multiple selection).
      if (m.Msg == WM_LBUTTONDOWN && dragMode_ == dmAutomatic && !IsDesigning() && !shift.Contains(ssCtrl) &&
          controlState_.Contains(csLButtonDown))
        BeginDrag(false);
      break;
    case WM_LBUTTONUP: {
      bool clicked = controlState_.Contains(csClicked);
      controlState_.Exclude(csClicked);
      controlState_.Exclude(csLButtonDown);
      if (clicked && TRect(0, 0, width_, height_).Contains({x, y})) DoClick();
      MouseUp(mbLeft, shift, x, y);
      break;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, shift, x, y);
      break;
    case WM_RBUTTONUP:
      MouseUp(mbRight, shift, x, y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, shift, x, y);
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift, x, y);
      break;
  }
}

void TControl::DefaultHandler(TMessage& m) {
  if (IsClientMouseMessage(m.Msg)) {
    HandleMouseMessage(m);
    DefWndProc(m);
    return;
  }
  switch (m.Msg) {
    case CM_HITTEST:
      m.Result = HTCLIENT;
      return;
    case CM_VISIBLECHANGED:
      // Hidden or shown, the parent paints its place again (InvalidateRect
      // skips a hidden control).
      if (!dynamic_cast<TWinControl*>(this) && parent_ && parent_->HandleAllocated()) {
        TRect b = BoundsRect();
        RECT rc{b.Left, b.Top, b.Right, b.Bottom};
        ::InvalidateRect(parent_->Handle(), &rc, TRUE);
      }
      return;
    case CM_ENABLEDCHANGED:
      EnabledChanged();
      return;
    case CM_TEXTCHANGED:
      TextChanged();
      return;
    case CM_COLORCHANGED:
      ColorChanged();
      if (auto* w = dynamic_cast<TWinControl*>(this)) w->NotifyControls(CM_PARENTCOLORCHANGED);
      return;
    case CM_PARENTFONTCHANGED:
      ParentFontChanged();
      return;
    case CM_PARENTCOLORCHANGED:
      ParentColorChanged();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (parent_) parent_->Perform(m.Msg, m.WParam, m.LParam ? m.LParam : reinterpret_cast<LPARAM>(this));
      return;
    default:
      // Component messages are ours alone; the platform never sees them.
      if (m.Msg >= CM_BASE && m.Msg < CN_BASE + 0x1000) return;
      DefWndProc(m);
  }
}

void TControl::SetPopupMenu(TPopupMenu* value) {
  if (value == popupMenu_) return;
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = value;
  if (value) value->FreeNotification(this);
}

TPopupMenu* TControl::GetPopupMenu() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (c->popupMenu_) return c->popupMenu_;
  return nullptr;
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::DoClick() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (parent_) {
    if (parentColor_) ParentColorChanged();
    if (parentFont_) ParentFontChanged();
    if (parentShowHint_) showHint_ = parent_->ShowHint();
  }
}

// ---- TGraphicControl ----

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& message) {
  if (message.Msg == WM_PAINT) {
    // The parent's paint pass: LParam-free, the canvas already holds its DC.
    canvas_->Lock();
    try {
      Paint();
    } catch (...) {
      canvas_->Unlock();
      throw;
    }
    canvas_->Unlock();
    return;
  }
  TControl::WndProc(message);
}

// ---- TCustomControl ----

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc) {
  canvas_->Lock();
  canvas_->SetPaintHandle(dc);
  try {
    Paint();
  } catch (...) {
    canvas_->SetPaintHandle(nullptr);
    canvas_->Unlock();
    throw;
  }
  canvas_->SetPaintHandle(nullptr);
  canvas_->Unlock();
}
