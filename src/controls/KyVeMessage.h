// The library's message dialog: an icon, a text and up to eight skinned
// buttons; unhandled errors of the program are shown in it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/KyButtons.h"
#include "platform/windows/Forms.h"

class TTimer;
class TKyCForm;
class TKyMemoryImage;

using TKyButtonKinds = std::vector<TKyButtonKind>;

inline constexpr int kMaxMessageButtons = 8;
// Message types: the dialog's caption and icon follow them.
inline constexpr int kMsgWarning = 0;
inline constexpr int kMsgError = 1;
inline constexpr int kMsgInformation = 2;
inline constexpr int kMsgConfirmation = 3;

// The caption and hint of a kind of button: "System" label kind + 2, else
// the built-in English caption.
struct TKyButtonKindText {
  std::string Caption;
  std::string Hint;
};
TKyButtonKindText ButtonKindText(TKyButtonKind kind);
// The dialog caption of a message type ("System" labels 16 to 19).
std::string MessageTypeCaption(int type);

class TFrMessage : public TForm {
  KY_CLASS(TFrMessage, TForm)
public:
  explicit TFrMessage(TComponent* owner);
  ~TFrMessage() override;

  // Sizes and fills the dialog; only the first eight kinds are shown.
  void Prepare(int type, const std::string& text, const TKyButtonKinds& kinds, TKyButtonKind defaultKind,
               int helpContext, const std::string& helpReference);
  // Runs it modally and answers the kind of the button pressed.
  TKyButtonKind Execute();
  // The kind a modal result stands for: the button at that position, else
  // bkiCancel.
  TKyButtonKind ResultKind(TModalResult result) const;

  int Type() const { return type_; }
  const std::string& MessageText() const { return text_; }
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TKyBitBtn* Button(int index) const { return buttons_[index]; }
  TKyButtonKind ButtonKind(int index) const { return kinds_[index]; }
  TModalResult CloseResult() const { return closeResult_; }
  const TRect& IconRect() const { return iconRect_; }
  const TRect& TextArea() const { return textRect_; }
  bool HasIcon() const;
  TTimer* Timer() const { return timer_; }

  void WndProc(TMessage& message) override;

protected:
  void Loaded() override;
  // The form paints its own text and icon (no OnPaint needed).
  void PaintWindow(HDC dc) override;
  void PaintContents(TCanvas& canvas);
  void DoShow() override;
  void DoHide() override;

private:
  void ApplyConfiguration();
  void HelpClick(TObject* sender);
  void BringBack(TObject* sender);
  void PrepareCanvasFont(TCanvas& canvas);

  TTimer* timer_ = nullptr;
  TKyCForm* cform_ = nullptr;
  int type_ = kMsgError;
  std::string text_;
  TKyButtonKinds kinds_;
  std::vector<TKyBitBtn*> buttons_;
  TKyButtonKind defaultKind_ = bkiNone;
  TModalResult closeResult_ = mrNone;
  int helpContext_ = 0;
  std::string helpReference_;
  TRect iconRect_{};
  TRect textRect_{};
  std::unique_ptr<TKyMemoryImage> icon_;
};

TKyButtonKind ShowMessageDialog(int type, const std::string& text, const TKyButtonKinds& kinds,
                                TKyButtonKind defaultKind, int helpContext = 0,
                                const std::string& helpReference = "");

// Registers the dialog forms and makes the dialog the display of unhandled
// errors.
void RegisterMessageClasses();
