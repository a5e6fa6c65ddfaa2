// The help window: a longer explanation beside an image, on top of the
// other windows until Escape or its close button. A text taller than the
// window scrolls (scroll bar, wheel, arrows, page keys, Home and End); the
// image stays.
#pragma once

#include <memory>
#include <string>

#include "platform/windows/Forms.h"
#include "platform/windows/ScrollBar.h"

class TKyCForm;
class TKyMemoryImage;

class TFrMessageHlp : public TForm {
  KY_CLASS(TFrMessageHlp, TForm)
public:
  explicit TFrMessageHlp(TComponent* owner);
  ~TFrMessageHlp() override;

  // Sizes the window for the text; an image id below 0 takes the default
  // "System" image.
  void Prepare(const std::string& text, const std::string& imagePackage, int imageId);
  const std::string& MessageText() const { return text_; }
  // The visible part of the text, in client coordinates.
  const TRect& TextArea() const { return textRect_; }
  // The word-wrapped text's full height.
  int32_t TextHeight() const { return textHeight_; }
  // Scrolls the text; Needed() tells whether it does not fit.
  TVertScrollBar& TextScroll() { return scroll_; }
  bool HasImage() const;

protected:
  // The form paints its own text and icon (no OnPaint needed).
  void PaintWindow(HDC dc) override;
  void PaintContents(TCanvas& canvas);
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void WndProc(TMessage& message) override;
  void CreateHandleDone() override;
  void DoClose(TCloseAction& action) override;

private:
  TKyCForm* cform_ = nullptr;
  std::string text_;
  TRect textRect_{};
  int32_t textHeight_ = 0;
  TVertScrollBar scroll_{this};
  std::unique_ptr<TKyMemoryImage> image_;
};

// Shows a message of a strings package in the help window ("Message
// Unknown (package) (id)" when it does not exist). The window frees itself
// when closed.
TFrMessageHlp* ShowHelpText(const std::string& package, int id);
TFrMessageHlp* ShowHelpWindow(const std::string& text, const std::string& imagePackage, int imageId);
