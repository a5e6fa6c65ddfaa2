// Controls: the windowless TControl and TGraphicControl painted by their
// parent, and TWinControl owning one real window created on demand from its
// creation parameters; TCustomControl adds a canvas and Paint.
//
//   TControl          bounds, Align, Visible, Enabled, Parent, text, font, colour,
//                     hint, cursor, mouse events, Invalidate/Repaint/Update, WndProc
//   TGraphicControl   painted by its parent, in z-order, clipped to its bounds
//   TWinControl       the window: handle, children, tab order and focus, capture, keys
//   TCustomControl    a window with a canvas and Paint
//
// Messages reach a control through WndProc (override it, handle what you
// need, pass the rest to the inherited WndProc); the platform's window
// procedure catches every exception and hands it to the application.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"
#include "platform/os/WinTypes.h"
#include "platform/windows/Messages.h"

class TWinControl;
class TCustomForm;
class TPopupMenu;
class TDragObject;

KY_ENUM(TAlign, uint8_t, alNone, alTop, alBottom, alLeft, alRight, alClient)
KY_ENUM(TMouseButton, uint8_t, mbLeft, mbRight, mbMiddle)
KY_ENUM(TShiftStateItem, uint8_t, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = TSet<TShiftStateItem>;

// Run-time state of a control.
KY_ENUM(TControlStateItem, uint8_t, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded,
        csFocusing, csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csMouseInside)
using TControlState = TSet<TControlStateItem>;

// What a control class is and does.
KY_ENUM(TControlStyleItem, uint8_t, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents,
        csFramed, csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible,
        csReplicatable, csNoStdEvents, csParentBackground)
using TControlStyle = TSet<TControlStyleItem>;

// Cursor ids as forms store them; the screen maps them to platform cursors.
using TCursor = int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
const TIdentMap& CursorIdents();
const TIdentMap& ColorIdents();

using TMouseEvent = TEvent<void(TObject* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)>;
using TMouseMoveEvent = TEvent<void(TObject* sender, TShiftState shift, int32_t x, int32_t y)>;
// Key may be set to 0 to swallow the key.
using TKeyEvent = TEvent<void(TObject* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = TEvent<void(TObject* sender, char& key)>;

// Drag and drop. dmAutomatic starts a drag when the left button goes down
// and the mouse then moves past the threshold; dmManual only by BeginDrag.
// dkDock is kept for forms that name it but drags like dkDrag: the library
// has no docking.
KY_ENUM(TDragMode, uint8_t, dmManual, dmAutomatic)
KY_ENUM(TDragKind, uint8_t, dkDrag, dkDock)
KY_ENUM(TDragState, uint8_t, dsDragEnter, dsDragLeave, dsDragMove)
// Source: the dragged control, or the drag object OnStartDrag made.
using TDragOverEvent =
    TEvent<void(TObject* sender, TObject* source, int32_t x, int32_t y, TDragState state, bool& accept)>;
using TDragDropEvent = TEvent<void(TObject* sender, TObject* source, int32_t x, int32_t y)>;
// The handler may hand in a drag object of its own (it stays the handler's).
using TStartDragEvent = TEvent<void(TObject* sender, TDragObject*& dragObject)>;
// Target: the control that took the drop, nullptr when refused or
// cancelled; x, y in the target's client area, or the source's without one.
using TEndDragEvent = TEvent<void(TObject* sender, TObject* target, int32_t x, int32_t y)>;

// The shift state of key data / mouse flags as the platform reports them now.
TShiftState KeyboardShiftState();
TShiftState MouseShiftState(WPARAM flags);

// A canvas that draws on a control: on its parent's window for a graphic
// control (clipped to the control), on its own window otherwise. Outside
// painting it takes a DC of the window on first use and gives it back when
// released (or when the control is destroyed).
class TControlCanvas : public TCanvas {
public:
  explicit TControlCanvas(class TControl* control) : control_(control) {}
  ~TControlCanvas() override;
  // Gives the window DC back; a no-op while painting on a borrowed DC.
  void FreeHandle();
  // Paint code hands in the memory DC of the paint pass.
  void SetPaintHandle(HDC dc);

protected:
  void CreateHandle() override;

private:
  class TControl* control_;
  HWND window_ = nullptr;  // the window whose DC we took
  HDC ownDc_ = nullptr;
};

class TControl : public TComponent {
  KY_CLASS(TControl, TComponent)
public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  static void Publish(TPublisher<TControl>& p);

  // ---- Place ----
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* value);
  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void SetLeft(int32_t v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int32_t v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int32_t v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int32_t v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  TRect BoundsRect() const { return TRect::Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  // The area children and painting use, in client coordinates.
  virtual TRect ClientRect() const { return {0, 0, width_, height_}; }
  int32_t ClientWidth() const { return ClientRect().Width(); }
  int32_t ClientHeight() const { return ClientRect().Height(); }
  void SetClientWidth(int32_t v);
  void SetClientHeight(int32_t v);
  // Screen position of the client area's origin.
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint p) const { return p + ClientOrigin(); }
  TPoint ScreenToClient(TPoint p) const { return p - ClientOrigin(); }
  // A point of this control's client area in its parent's client area.
  TPoint ClientToParent(TPoint p) const { return {p.X + left_, p.Y + top_}; }

  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);

  // ---- State ----
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Visible here and in every parent, up to a window that shows.
  virtual bool Showing() const;
  TControlState ControlState() const { return controlState_; }
  void SetControlState(TControlState value) { controlState_ = value; }
  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle value) { controlStyle_ = value; }

  // ---- Look ----
  // Caption and Text are one value: the window text.
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& value) { SetText(value); }
  std::string Text() const { return GetText(); }
  void SetTextValue(const std::string& value) { SetText(value); }
  TFont* Font() const { return font_.get(); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  TKyColor Color() const { return color_; }
  void SetColor(TKyColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  int32_t HelpContext() const { return helpContext_; }
  void SetHelpContext(int32_t value) { helpContext_ = value; }

  // ---- Popup menu ----
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);
  // The menu a right click on this control shows: its own, else the
  // nearest parent's.
  virtual TPopupMenu* GetPopupMenu() const;

  // ---- Drag and drop ----
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode value) { dragMode_ = value; }
  TDragKind DragKind() const { return dragKind_; }
  void SetDragKind(TDragKind value) { dragKind_ = value; }
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor value) { dragCursor_ = value; }
  // Starts dragging this control: at once, or once the mouse has moved
  // threshold pixels with the button down (-1: the system's distance);
  // released before that, the press stays a click.
  void BeginDrag(bool immediate, int32_t threshold = -1);
  // This control is being dragged (past the threshold).
  bool Dragging() const;
  // Ends this control's drag: dropped where it is now, or cancelled.
  void EndDrag(bool drop);
  // A drop of source at a client point of this control (OnDragDrop).
  virtual void DragDrop(TObject* source, int32_t x, int32_t y);
  // Whether this control takes source at a client point (OnDragOver;
  // refused without a handler).
  virtual void DragOver(TObject* source, int32_t x, int32_t y, TDragState state, bool& accept);

  // ---- Painting ----
  virtual void Invalidate();
  // Invalidates and paints at once.
  virtual void Repaint();
  // Paints what is invalid now.
  virtual void Update();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  // ---- Messages ----
  // Every message reaches the control through WindowProc, which calls
  // WndProc unless a component has put its own procedure in front (keeping
  // the one it replaced to pass the rest on).
  using TWndMethod = std::function<void(TMessage& message)>;
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& message);
  LRESULT Perform(uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // The mouse button handlers that windows and parents call.
  void Click() { DoClick(); }

  // What the form streams store of the inherited look.
  bool FontStored() const { return !parentFont_; }
  bool ColorStored() const { return !parentColor_; }
  bool ShowHintStored() const { return !parentShowHint_; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnResize;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;

  // The form this control sits on (walking up the parents), or nullptr.
  TCustomForm* ParentForm() const;

  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }

protected:
  virtual std::string GetText() const { return text_; }
  virtual void SetText(const std::string& value);
  // The platform's text changed (windows keep it in the window).
  virtual void TextChanged() { Invalidate(); }

  virtual void DoClick();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void Resize();
  virtual void FontChanged();
  virtual void ColorChanged() { Invalidate(); }
  virtual void VisibleChanging() {}
  virtual void EnabledChanged() { Invalidate(); }
  virtual void ParentChanged() {}
  virtual void DoStartDrag(TDragObject*& dragObject);
  virtual void DoEndDrag(TObject* target, int32_t x, int32_t y);
  void Notification(TComponent* component, TOperation operation) override;
  // Everything that a platform message of the mouse and the component
  // messages every control understands become.
  void DefaultHandler(TMessage& message);
  virtual void DefWndProc(TMessage& message);

  void Loaded() override;
  void SetDesiredSize(int32_t width, int32_t height);
  // The flag alone, for windows that show and hide themselves (forms, hints).
  void SetVisibleState(bool value) { visible_ = value; }
  // Asks the parent to re-apply alignment when this control has one.
  void RequestAlign();
  // Only the bounds, without realigning or telling the window.
  void UpdateBoundsRect(const TRect& r);
  void InvalidateRect(const TRect& r, bool erase);
  void ParentFontChanged();
  void ParentColorChanged();

  TControlState controlState_;
  TControlStyle controlStyle_;

private:
  friend class TWinControl;
  friend class TDragManager;
  void HandleMouseMessage(TMessage& message);

  TWinControl* parent_ = nullptr;
  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  bool visible_ = true;
  bool enabled_ = true;
  std::string text_;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  TKyColor color_ = kClWindow;
  bool parentColor_ = false;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TCursor cursor_ = crDefault;
  int32_t helpContext_ = 0;
  bool settingFont_ = false;
  TPopupMenu* popupMenu_ = nullptr;
  TDragMode dragMode_ = dmManual;
  TDragKind dragKind_ = dkDrag;
  TCursor dragCursor_ = crDrag;
};

// A control without a window: its parent paints it in z-order, clipped to
// its bounds, into the parent's paint pass.
class TGraphicControl : public TControl {
  KY_CLASS(TGraphicControl, TControl)
public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }

protected:
  virtual void Paint() {}
  void WndProc(TMessage& message) override;

private:
  friend class TWinControl;
  std::unique_ptr<TControlCanvas> canvas_;
};

// What a window is made from; CreateParams fills it in, CreateWnd uses it.
struct TCreateParams {
  std::string Caption;
  uint32_t Style = 0;
  uint32_t ExStyle = 0;
  int32_t X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  // The class to create: empty for the library's own window class, or a
  // platform class ("EDIT", "BUTTON", "LISTBOX", "COMBOBOX") to subclass.
  std::string WinClassName;
  uint32_t ClassStyle = 0;
};

// The message (first parameter: code) every child control receives after its
// parent changed size, so that children placed relative to the parent follow
// it; 0 sends none. The component library installs its own.
void SetParentResizeNotice(uint32_t message, uintptr_t code);

class TWinControl : public TControl {
  KY_CLASS(TWinControl, TControl)
public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  static void Publish(TPublisher<TWinControl>& p);

  // ---- The window ----
  // The window, created (with the parents' windows) on first use.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Scales every child's bounds, and the fonts they do not take from
  // their parent, by m / d (down through the containers).
  void ScaleControls(int32_t m, int32_t d);
  // Queues a message for the window (handled later by the message loop);
  // false when the window does not exist.
  bool PostToWindow(uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
  void HandleNeeded() { Handle(); }
  // Destroys the window (and the children's); it is made again when needed.
  void DestroyHandle();
  // Makes the window anew from the current parameters (style changes).
  void RecreateWnd();
  // The control that owns a window of this process, or nullptr.
  static TWinControl* FromHandle(HWND window);

  // ---- Children ----
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(const TControl* control) const;
  // The visible, enabled child at a client point (graphic children only
  // unless allowWindows), the topmost first.
  TControl* ControlAtPos(TPoint p, bool allowDisabled = false, bool allowWindows = false) const;
  void Broadcast(TMessage& message);
  void NotifyControls(uint32_t msg);
  // Applies Align to the children (done by itself after changes).
  void Realign();
  void DisableAlign() { ++alignLevel_; }
  void EnableAlign();

  // ---- Focus and tabs ----
  int32_t TabOrder() const;
  void SetTabOrder(int32_t value);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  // The windowed children that take the Tab key, in tab order, deep.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

  // ---- Painting ----
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  // Paints the graphic children into dc (the client area of this window),
  // from the bottom of the z-order up, each clipped to its bounds; starting
  // above first when given.
  void PaintControls(HDC dc, TControl* first);
  // Paints the client area with every child, windowed ones too, into dc at
  // (x, y), as the screen shows it: pictures of forms, tests by pixel.
  void PaintTo(HDC dc, int32_t x, int32_t y);

  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  bool Showing() const override;
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void SetParent(TWinControl* value) override;
  // A window parent outside the library (a form docked into a foreign window).
  void SetParentWindow(HWND value);
  HWND ParentWindow() const { return parentWindow_; }

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

  void WndProc(TMessage& message) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void DestroyWnd();
  // After the window exists: apply what was set while it did not.
  virtual void CreateHandleDone() {}
  void DefWndProc(TMessage& message) override;
  // Paints the window's own content into dc (the memory DC of the pass).
  virtual void PaintWindow(HDC dc);
  // Whether WM_PAINT goes through the double-buffered paint pass; platform
  // classes (EDIT, BUTTON) paint themselves.
  virtual bool OwnsPainting() const { return true; }
  // A frame of the library's own in the non-client area: how much it takes
  // from each side (none by default), and its painting on the window's
  // canvas (window coordinates). FrameChanged makes the platform ask again.
  virtual TRect NonClientInsets() const { return {}; }
  // A window the platform paints, painted into dc for PaintTo (pictures of
  // forms): WM_PRINTCLIENT, which owner-drawn controls answer themselves.
  virtual void PrintClient(HDC dc);
  virtual void PaintNonClient(TCanvas& /*canvas*/, const TRect& /*window*/) {}
  void FrameChanged();
  virtual void AlignControls(TControl* control, TRect& rect);
  virtual void KeyDown(uint16_t& key, TShiftState shift);
  virtual void KeyUp(uint16_t& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void DoEnter();
  virtual void DoExit();
  // The platform window procedure of a subclassed platform class.
  void* DefaultWindowProc() const { return defWndProc_; }
  std::string GetText() const override;
  void SetText(const std::string& value) override;
  void FontChanged() override;
  void Loaded() override;
  // Sets the window's font from Font (platform classes draw with it).
  void ApplyFont();

private:
  friend class TControl;
  friend LRESULT KyWindowProc(HWND, uint32_t, WPARAM, LPARAM);
  bool DoKeyDown(TMessage& message);
  bool DoKeyUp(TMessage& message);
  bool DoKeyPress(TMessage& message);
  void WMPaint(TMessage& message);
  static HDC PaintBuffer(HDC screen, int width, int height);
  void WMWindowPosChanged(TMessage& message);
  void CNKeyDown(TMessage& message);
  void HandleChildMouse(TMessage& message);
  void AlignAll(TControl* control);
  void InsertTab(TWinControl* control);
  void RemoveTab(TWinControl* control);

  HWND handle_ = nullptr;
  HWND parentWindow_ = nullptr;
  void* defWndProc_ = nullptr;  // WNDPROC of a subclassed platform class
  std::vector<TControl*> controls_;      // z-order, bottom first
  std::vector<TWinControl*> tabList_;    // tab order
  bool tabStop_ = false;
  int alignLevel_ = 0;
  bool alignPending_ = false;
  bool destroyingHandle_ = false;
  TControl* captureControl_ = nullptr;   // a graphic child that has the mouse
  mutable std::string cachedText_;
  HFONT appliedFont_ = nullptr;
};

// A window with a canvas of its own and Paint.
class TCustomControl : public TWinControl {
  KY_CLASS(TCustomControl, TWinControl)
public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }

protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;

private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// The control under the mouse, as tracked for CM_MOUSEENTER / CM_MOUSELEAVE.
TControl* MouseControl();
// Called by the message loop and by windows after mouse moves; sends the
// enter and leave messages when the control under the point changed.
void TrackMouseControl(TControl* now);

