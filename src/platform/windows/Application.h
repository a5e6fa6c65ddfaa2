// The application object (the message loop, the main form, exceptions,
// hints) and the screen (forms, cursor, resolution). One of each per
// process: a program makes its TApplication first; the globals Application
// and Screen point at them while it lives.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Icon.h"
#include "platform/windows/Forms.h"

class THintWindow;

using TExceptionEvent = TEvent<void(TObject* sender, const std::exception& e)>;
using TIdleEvent = TEvent<void(TObject* sender, bool& done)>;

class TApplication : public TComponent {
  KY_CLASS(TApplication, TComponent)
public:
  explicit TApplication(TComponent* owner = nullptr);
  ~TApplication() override;

  // Makes a form of class T read from its resources; the first form made
  // this way is the main form.
  template <class T>
  void CreateForm(T*& reference) {
    T* form = new T(this);
    reference = form;
    try {
      form->InitForm();
    } catch (...) {
      reference = nullptr;
      delete form;
      throw;
    }
    if (!mainForm_) mainForm_ = form;
  }
  // Shows the main form and runs the message loop until Terminate (or the
  // main form closes).
  void Run();
  // Handles every message waiting, then returns.
  void ProcessMessages();
  // Handles one message, or waits for one (after the idle work) when none.
  void HandleMessage();
  // The same, but waits at most maxWaitMs for a message (loops that run
  // until a time has passed).
  void HandleMessage(uint32_t maxWaitMs);
  // Asks the loop to end once what is already waiting has been handled;
  // Run started after the request shows no window.
  void Terminate();
  bool Terminated() const { return terminated_; }
  bool TerminateRequested() const { return terminateRequested_; }
  // Ends a run that Terminate stopped, so that another Run may follow
  // (tests run several).
  void ResetTerminated() { terminated_ = terminateRequested_ = false; }

  // Reports the exception being handled (call it from a catch block):
  // OnException when set, otherwise a message box with its text.
  void HandleException(TObject* sender);
  void ShowException(const std::exception& e);

  TCustomForm* MainForm() const { return mainForm_; }
  void SetMainForm(TCustomForm* form) { mainForm_ = form; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  TIcon* Icon() const { return icon_.get(); }

  // ---- Help ----
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& value) { helpFile_ = value; }
  // Opens the help file at a context: OnHelp first (true: handled), else
  // the system's help viewer. False when there is no help file.
  bool HelpContext(int32_t context);
  // Command and data as the help viewer takes them; set handled to stop it.
  using THelpEvent = TEvent<void(uint32_t command, intptr_t data, bool& handled)>;
  THelpEvent OnHelp;

  // ---- Hints ----
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  int32_t HintPause() const { return hintPause_; }
  void SetHintPause(int32_t ms) { hintPause_ = ms; }
  int32_t HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int32_t ms) { hintHidePause_ = ms; }
  TKyColor HintColor() const { return hintColor_; }
  void SetHintColor(TKyColor value) { hintColor_ = value; }
  // The hint text of the control under the mouse ("" when none).
  const std::string& Hint() const { return hint_; }
  void CancelHint();
  THintWindow* HintWindow() const { return hintWindow_.get(); }

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;

  void FormDestroyed(TCustomForm* form);
  void ControlDestroyed(TControl* control);
  // The application window's timers (showing and hiding hints).
  void TimerExpired(uintptr_t id);

private:
  friend void TrackMouseControl(TControl* now);
  bool ProcessMessage();
  bool IsKeyMessage(void* msg);
  void Idle();
  void MouseControlChanged(TControl* control);
  void HintTimerExpired();

  bool terminated_ = false;
  bool terminateRequested_ = false;
  TCustomForm* mainForm_ = nullptr;
  std::string title_;
  std::string helpFile_;
  std::unique_ptr<TIcon> icon_;
  bool showHint_ = true;
  int32_t hintPause_ = 500;
  int32_t hintHidePause_ = 2500;
  TKyColor hintColor_ = kClInfoBk;
  std::string hint_;
  std::unique_ptr<THintWindow> hintWindow_;
  TControl* hintControl_ = nullptr;
  HWND syncWindow_ = nullptr;
};

class TScreen : public TComponent {
  KY_CLASS(TScreen, TComponent)
public:
  explicit TScreen(TComponent* owner = nullptr);
  ~TScreen() override;

  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int index) const { return forms_.at(static_cast<size_t>(index)); }
  // The form whose window is active, and its active control.
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;
  // A cursor for the whole program (crDefault: each control's own).
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  HCURSOR Cursors(TCursor id) const;
  int32_t PixelsPerInch() const;
  // The desktop without the task bar.
  TRect WorkArea() const;
  int32_t Width() const;
  int32_t Height() const;

  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);

private:
  std::vector<TCustomForm*> forms_;
  TCursor cursor_ = crDefault;
};

// The small window that shows a control's hint near the mouse.
class THintWindow : public TCustomControl {
  KY_CLASS(THintWindow, TCustomControl)
public:
  explicit THintWindow(TComponent* owner);
  // Shows text with its top-left corner at a screen point.
  void ActivateHint(TPoint at, const std::string& text);
  void ReleaseHint();
  bool Active() const { return active_; }
  TSize CalcHintSize(const std::string& text);

protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;

private:
  bool active_ = false;
};

extern TApplication* Application;
extern TScreen* Screen;
