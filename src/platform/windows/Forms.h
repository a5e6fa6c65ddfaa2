// Forms: top-level windows with border styles and icons, position, modal
// showing with a result, the active control, default and cancel buttons
// through the dialog keys, key preview, and the form events. A form class
// with a text-form resource is made by CreateForm<T>, which reads the
// resources (ancestors first) before OnCreate runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes/FormResource.h"
#include "platform/graphics/Icon.h"
#include "platform/windows/Controls.h"

KY_ENUM(TFormBorderStyle, uint8_t, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
KY_ENUM(TBorderIcon, uint8_t, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon>;
KY_ENUM(TPosition, uint8_t, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
        poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
KY_ENUM(TWindowState, uint8_t, wsNormal, wsMinimized, wsMaximized)
KY_ENUM(TFormStyle, uint8_t, fsNormal, fsStayOnTop)
KY_ENUM(TCloseAction, uint8_t, caNone, caHide, caFree, caMinimize)

// Modal results: what a modal form returns; buttons carry one.
using TModalResult = int32_t;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;
const TIdentMap& ModalResultIdents();

using TCloseEvent = TEvent<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = TEvent<void(TObject* sender, bool& canClose)>;

class EInvalidOperation;

class TCustomForm : public TWinControl {
  KY_CLASS(TCustomForm, TWinControl)
public:
  // A form without its resource (CreateForm<T> reads it).
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  // Reads the form's resources (its class and the ancestors below TForm),
  // then runs OnCreate. False when the class has none; OnCreate runs anyway.
  bool InitForm();

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState value);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle value);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }
  TIcon* Icon() const { return icon_.get(); }
  // What OnPaint draws with.
  TCanvas* Canvas() const { return canvas_.get(); }
  int32_t PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int32_t value) { pixelsPerInch_ = value; }
  // A scaled form designed at another resolution is scaled to the screen's
  // when it has been read (children's bounds, their own fonts).
  bool Scaled() const { return scaled_; }
  void SetScaled(bool value) { scaled_ = value; }
  // Scroll bars appear when controls lie beyond the client area; scrolling
  // moves the controls. Off by default.
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool value);
  // How far the client area is scrolled (0, 0 without scroll bars).
  TPoint ScrollPos() const { return scrollPos_; }
  // Fits the scroll bars to where the controls are now.
  void UpdateScrollRange();
  // The logical palette the form's background is drawn with (not owned;
  // none by default).
  virtual HPALETTE GetPalette() const { return palette_; }
  void SetPalette(HPALETTE value) { palette_ = value; }
  int32_t TextHeight() const { return textHeight_; }
  void SetTextHeight(int32_t value) { textHeight_ = value; }
  // Forms store the client size (the frame differs between systems).
  int32_t FormClientWidth() const { return ClientWidth(); }
  void SetFormClientWidth(int32_t value);
  int32_t FormClientHeight() const { return ClientHeight(); }
  void SetFormClientHeight(int32_t value);
  TRect ClientRect() const override;

  // ---- Showing ----
  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form modally: the other forms are disabled until ModalResult
  // is set (a button with a modal result, Close, Escape on a cancel button).
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  bool Modal() const { return modal_; }
  // Asks OnCloseQuery, then OnClose decides: hide (the default), free,
  // minimise or nothing. The main form's closing ends the application.
  void Close();
  bool CloseQuery();
  // Frees the form once the messages being handled are done.
  void Release();
  bool Active() const { return active_; }
  bool Showing() const override;

  // ---- Focus ----
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* value);
  // Gives the focus to control (shown and enabled) and makes it active.
  void FocusControl(TWinControl* control);
  // A control of this form got the focus: OnExit/OnEnter along the way.
  void FocusChanged(TWinControl* control);
  void ControlRemoved(TWinControl* control);
  void SetFocus() override;

  // ---- Keys (also the key preview's entry) ----
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyUp(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  void WndProc(TMessage& message) override;
  // Form streams write the controls, then the components without a parent.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  // The form of a window, walking up to the top-level one.
  static TCustomForm* FormOf(HWND window);

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void PaintWindow(HDC dc) override;
  void Resize() override;
  void Loaded() override;
  virtual void DoCreate();
  virtual void DoDestroy();
  // For a form whose handlers use its own members: called first in its
  // destructor, it runs OnDestroy and frees the components while those
  // members still live (the base destructor then does neither again).
  void BeforeDestruction();
  // OnDestroy, once, after a completed creation.
  void RunDestroyEvent();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  virtual void Activate();
  virtual void Deactivate();
  virtual void Paint();
  // Tab, arrows, Enter and Escape that no control took.
  bool DialogKey(uint16_t key);
  void ApplyPosition();

public:
  // Shows Icon, or the application's when the form has none.
  void ApplyIcon();

protected:

private:
  friend class TApplication;
  void SetFormVisible(bool show);
  void SetActive(bool value);
  void ScrollTo(TPoint pos);
  void WMScroll(TMessage& m, bool vertical);

  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  TFormStyle formStyle_ = fsNormal;
  bool keyPreview_ = false;
  std::unique_ptr<TIcon> icon_;
  std::unique_ptr<TControlCanvas> canvas_;
  int32_t pixelsPerInch_ = 96;
  int32_t textHeight_ = 13;
  HPALETTE palette_ = nullptr;
  bool autoScroll_ = false;
  bool updatingScroll_ = false;
  bool ownScrollBars_ = false;
  TPoint scrollPos_{0, 0};
  bool scaled_ = true;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool active_ = false;
  bool positioned_ = false;
  bool created_ = false;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  int32_t pendingClientWidth_ = -1, pendingClientHeight_ = -1;
  TSize wantedClient_{-1, -1};  // client size set before the window existed
  TSize wantedFrame_{-1, -1};   // the window size reckoned for it
};

class TForm : public TCustomForm {
  KY_CLASS(TForm, TCustomForm)
public:
  using TCustomForm::TCustomForm;
  static void Publish(TPublisher<TForm>& p);
};

// Makes a form of class T owned by owner and reads it from its resources
// (none is fine: a form built in code).
template <class T>
T* CreateForm(TComponent* owner) {
  std::unique_ptr<T> form(new T(owner));
  form->InitForm();
  return form.release();
}

// A component operation that is not allowed in the present state.
class EInvalidOperation : public Exception {
  using Exception::Exception;
};
