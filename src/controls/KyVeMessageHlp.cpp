#include "controls/KyVeMessageHlp.h"

#include <algorithm>

#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "packages/MessageService.h"
#include "packages/PkgImages.h"
#include "platform/base/Exception.h"
#include "platform/graphics/TextFlags.h"
#include "platform/windows/Application.h"

namespace {
// The "System" image a help window shows when it is given none.
constexpr int kDefaultHelpImage = 4;
constexpr int kImageWidth = 48;
}  // namespace

TFrMessageHlp::TFrMessageHlp(TComponent* owner) : TForm(owner) {
  // The whole window repaints from the memory bitmap: no flicker.
  scroll_.OnScroll = [this](int32_t) { Invalidate(); };
}

TFrMessageHlp::~TFrMessageHlp() = default;

bool TFrMessageHlp::HasImage() const { return image_ && image_->Resolve() != nullptr; }

void TFrMessageHlp::Prepare(const std::string& text, const std::string& imagePackage, int imageId) {
  cform_ = Find<TKyCForm>("KyCForm1");
  text_ = text;
  if (imageId < 0)
    image_ = std::make_unique<TKyMemoryImage>(nullptr, kSystemPkg, kDefaultHelpImage);
  else
    image_ = std::make_unique<TKyMemoryImage>(nullptr, imagePackage, imageId);
  if (TKyCApplication* app = FirstApplication()) {
    TKyCfgMessages* cfg = app->CfgMessages();
    if (cform_ && !cfg->SetBackGround()->Name().empty()) cform_->SetBackGround()->Assign(cfg->SetBackGround());
    Font()->SetData(cfg->SetFont()->Value());
    Font()->SetColor(cfg->SetColText()->Value());
  }
  // As wide as the text needs, up to three quarters of the screen; as tall
  // as it needs up to the work area, where the text scrolls.
  int screenWidth = Screen ? Screen->Width() : 1024;
  int screenHeight = Screen ? Screen->WorkArea().Height() : 768;
  int textLeft = 4 + kImageWidth + 8;
  int limit = screenWidth * 3 / 4 - textLeft - 8;
  // The client sizes set below count the scroll bar once it shows.
  HandleNeeded();
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  TRect measure{0, 0, std::max(limit, 50), 0};
  canvas->TextRect(measure, text_, kDtCalcRect | kDtWordBreak | kDtNoPrefix);
  textHeight_ = measure.Height();
  int width = std::max(260, textLeft + measure.Width() + 8);
  int height = std::clamp<int>(textHeight_ + 8, 87, std::max(87, screenHeight - 60));
  textRect_ = TRect{textLeft, 4, width - 8, height - 4};
  scroll_.SetLineSize(canvas->TextHeight("Wg"));
  scroll_.SetPosition(0);
  scroll_.SetRange(textHeight_, textRect_.Height());
  SetFormClientWidth(width);
  SetFormClientHeight(height);
  Invalidate();
}

void TFrMessageHlp::PaintWindow(HDC dc) {
  TForm::PaintWindow(dc);
  TCanvas canvas;
  canvas.SetHandle(dc);
  PaintContents(canvas);
  canvas.SetHandle(nullptr);
}

void TFrMessageHlp::PaintContents(TCanvas& target) {
  TCanvas* canvas = &target;
  if (HasImage()) {
    std::unique_ptr<TGraphic> picture;
    try {
      picture = image_->Graphic();
    } catch (const Exception&) {
      // A damaged picture: the text still shows.
    }
    if (picture && !picture->Empty()) {
      // Its place runs from (4, 4) down to 4 pixels above the bottom, at
      // most kImageWidth wide. A larger picture is scaled down into it, a
      // smaller one centred in its height; neither loses its proportions.
      int boxW = kImageWidth, boxH = std::max(1, ClientHeight() - 8);
      int pw = std::max(1, picture->Width()), ph = std::max(1, picture->Height());
      int w = pw, h = ph;
      if (w > boxW || h > boxH) {
        if (int64_t(pw) * boxH > int64_t(ph) * boxW) {
          w = boxW;
          h = std::max(1, static_cast<int>(int64_t(ph) * boxW / pw));
        } else {
          h = boxH;
          w = std::max(1, static_cast<int>(int64_t(pw) * boxH / ph));
        }
      }
      int top = 4 + (boxH - h) / 2;
      canvas->StretchDraw(TRect{4, top, 4 + w, top + h}, picture.get());
    }
  }
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  // The whole text, moved up by the scroll position, seen through its area.
  TClipRecall clip(*canvas);
  canvas->IntersectClipRect(textRect_);
  int32_t top = textRect_.Top - scroll_.Position();
  TRect r{textRect_.Left, top, textRect_.Right, top + std::max(textHeight_, textRect_.Height())};
  canvas->TextRect(r, text_, kDtWordBreak | kDtNoPrefix | kDtLeft);
}

void TFrMessageHlp::KeyDown(uint16_t& key, TShiftState shift) {
  if (key == VK_ESCAPE) {
    key = 0;
    Close();
    return;
  }
  if (scroll_.HandleKey(key)) {
    key = 0;
    return;
  }
  TForm::KeyDown(key, shift);
}

void TFrMessageHlp::WndProc(TMessage& message) {
  if ((message.Msg == WM_VSCROLL || message.Msg == WM_MOUSEWHEEL) && scroll_.HandleMessage(message)) return;
  TForm::WndProc(message);
}

void TFrMessageHlp::CreateHandleDone() {
  // The bar first: the form's client sizes then count it.
  scroll_.Apply();
  TForm::CreateHandleDone();
}

void TFrMessageHlp::DoClose(TCloseAction& action) {
  TForm::DoClose(action);
  if (action == caHide) action = caFree;
}

TFrMessageHlp* ShowHelpWindow(const std::string& text, const std::string& imagePackage, int imageId) {
  TFrMessageHlp* window = CreateForm<TFrMessageHlp>(Application);
  window->Prepare(text, imagePackage, imageId);
  window->Show();
  return window;
}

TFrMessageHlp* ShowHelpText(const std::string& package, int id) {
  return ShowHelpWindow(MessageText(package, id), kSystemPkg, -1);
}
