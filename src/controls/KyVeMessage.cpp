#include "controls/KyVeMessage.h"

#include <algorithm>

#include "controls/KyVeMessageHlp.h"
#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "packages/MessageService.h"
#include "packages/PkgImages.h"
#include "packages/PkgStrings.h"
#include "platform/base/Exception.h"
#include "platform/graphics/TextFlags.h"
#include "platform/os/Shortcuts.h"
#include "platform/windows/Application.h"
#include "platform/windows/Timers.h"

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonStep = kButtonWidth + 4;
constexpr int kIconSide = 48;
// A window closed without a button when no Cancel button gives a result.
constexpr TModalResult kClosedWithoutResult = -1;

const char* const kFallbackCaptions[] = {"None",   "Ok",     "Cancel", "Help",  "Yes",    "No",       "Close",
                                         "Abort",  "Retry",  "Ignore", "All",   "Commit", "RollBack", "Detail"};
const char* const kFallbackTypeCaptions[] = {"Warning", "Error", "Information", "Confirmation"};

int ClampType(int type) { return std::clamp(type, kMsgWarning, kMsgConfirmation); }

}  // namespace

TKyButtonKindText ButtonKindText(TKyButtonKind kind) {
  TKyMemoryLabel label(nullptr, kSystemPkg, static_cast<int32_t>(kind) + 2);
  if (label.Resolve()) return {label.Caption(), label.Hint()};
  std::string caption = kFallbackCaptions[static_cast<int>(kind)];
  return {caption, caption};
}

std::string MessageTypeCaption(int type) {
  type = ClampType(type);
  TKyMemoryLabel label(nullptr, kSystemPkg, 16 + type);
  if (label.Resolve()) return label.Caption();
  return kFallbackTypeCaptions[type];
}

// ---- TFrMessage ----

TFrMessage::TFrMessage(TComponent* owner) : TForm(owner) {}

TFrMessage::~TFrMessage() = default;

void TFrMessage::Loaded() {
  TForm::Loaded();
  timer_ = Find<TTimer>("Timer1");
  cform_ = Find<TKyCForm>("KyCForm1");
  if (timer_) timer_->OnTimer = [this](TObject* sender) { BringBack(sender); };
}

bool TFrMessage::HasIcon() const { return icon_ && icon_->Resolve() != nullptr; }

void TFrMessage::PrepareCanvasFont(TCanvas& canvas) {
  canvas.Font()->Assign(Font());
  if (TKyCApplication* app = FirstApplication()) {
    canvas.Font()->SetData(app->CfgMessages()->SetFont()->Value());
    canvas.Font()->SetColor(app->CfgMessages()->SetColText()->Value());
  }
}

void TFrMessage::ApplyConfiguration() {
  TKyCApplication* app = FirstApplication();
  if (!app) return;
  TKyCfgMessages* cfg = app->CfgMessages();
  if (cform_) cform_->SetBackGround()->Assign(cfg->SetBackGround());
  Font()->SetData(cfg->SetFont()->Value());
  Font()->SetColor(cfg->SetColText()->Value());
  TKyCfgAccelButtons* look = cfg->Buttons();
  for (TKyBitBtn* button : buttons_) {
    button->SetBackGround()->Assign(look->SetBackGround());
    button->SetBorderStyle(look->BorderStyle());
    button->Text()->SetColText()->Assign(look->SetColText());
    button->Text()->SetFont()->Assign(look->SetFont());
  }
}

void TFrMessage::Prepare(int type, const std::string& text, const TKyButtonKinds& kinds,
                         TKyButtonKind defaultKind, int helpContext, const std::string& helpReference) {
  for (TKyBitBtn* button : buttons_) delete button;
  buttons_.clear();
  type_ = ClampType(type);
  text_ = CompleteMessage("", text);
  kinds_.assign(kinds.begin(), kinds.begin() + std::min<size_t>(kinds.size(), kMaxMessageButtons));
  defaultKind_ = defaultKind;
  helpContext_ = helpContext;
  helpReference_ = helpReference;
  closeResult_ = mrNone;

  for (size_t i = 0; i < kinds_.size(); ++i) {
    auto* button = new TKyBitBtn(this);
    button->SetParent(this);
    TKyButtonKindText label = ButtonKindText(kinds_[i]);
    button->SetCaption(label.Caption);
    button->SetHint(label.Hint);
    // The button's own rules from the start (a hint repeating the caption
    // goes), not only after the next change of look.
    button->ReloadLook();
    button->SetModalResult(static_cast<TModalResult>(i + 1));
    // The grid mark would hide the short captions: frames instead.
    button->SetFocusStyle(fcsDouble);
    button->SetDefaultStyle(fcsInLine);
    if (kinds_[i] == bkiCancel) {
      button->SetCancel(true);
      closeResult_ = static_cast<TModalResult>(i + 1);
    }
    if (kinds_[i] == bkiHelp) {
      button->SetModalResult(mrNone);
      button->OnClick = [this](TObject* sender) { HelpClick(sender); };
    }
    buttons_.push_back(button);
  }
  ApplyConfiguration();

  // Width limit: half the screen, but never narrower than the button row.
  int count = static_cast<int>(buttons_.size());
  int row = count > 0 ? count * kButtonStep - 4 : 0;
  int limit = Screen ? Screen->Width() / 2 : 640;
  limit = std::max(limit, row + 8);
  TCanvas* canvas = Canvas();
  PrepareCanvasFont(*canvas);
  TRect measure{0, 0, 0, 0};
  canvas->TextRect(measure, text_, kDtCalcRect | kDtSingleLine | kDtNoPrefix);
  if (measure.Width() > limit - 60) {
    measure = TRect{0, 0, limit - 60, 0};
    canvas->TextRect(measure, text_, kDtCalcRect | kDtWordBreak | kDtNoPrefix);
  }
  int width = std::max(measure.Width() + 52, row) + 8;
  int height = std::max<int>(measure.Height(), kIconSide) + 29 + 8;
  SetFormClientWidth(width);
  SetFormClientHeight(height);
  iconRect_ = TRect{4, 4, 52, height - 33};
  textRect_ = TRect{56, 4, width - 4, height - 33};
  int left = (width - row) / 2;
  for (int i = 0; i < count; ++i)
    buttons_[i]->SetBounds(left + kButtonStep * i, height - kButtonHeight - 4, kButtonWidth, kButtonHeight);

  SetCaption(MessageTypeCaption(type_));
  icon_ = std::make_unique<TKyMemoryImage>(nullptr, kSystemPkg, 2 + type_);
  icon_->SetReference(kSystemPkg, 2 + type_);
  for (int i = 0; i < count; ++i)
    if (kinds_[i] == defaultKind_) {
      buttons_[i]->SetDefault(true);
      SetActiveControl(buttons_[i]);
      break;
    }
  Invalidate();
}

TKyButtonKind TFrMessage::ResultKind(TModalResult result) const {
  if (result >= 1 && result <= ButtonCount()) return kinds_[result - 1];
  return bkiCancel;
}

TKyButtonKind TFrMessage::Execute() { return ResultKind(ShowModal()); }

void TFrMessage::WndProc(TMessage& message) {
  // Closed by the window (system menu, Alt+F4): the Cancel button's result.
  if (message.Msg == WM_CLOSE && Modal()) {
    SetModalResult(closeResult_ != mrNone ? closeResult_ : kClosedWithoutResult);
    message.Result = 0;
    return;
  }
  TForm::WndProc(message);
}

void TFrMessage::PaintWindow(HDC dc) {
  TForm::PaintWindow(dc);
  TCanvas canvas;
  canvas.SetHandle(dc);
  PaintContents(canvas);
  canvas.SetHandle(nullptr);
}

void TFrMessage::PaintContents(TCanvas& target) {
  TCanvas* canvas = &target;
  if (HasIcon()) {
    std::unique_ptr<TGraphic> picture;
    try {
      picture = icon_->Graphic();
    } catch (const Exception&) {
      // A damaged picture: the message matters more than its icon.
    }
    if (picture && !picture->Empty()) {
      // The icons' key colour (their bottom-left pixel) lets the dialog show.
      picture->SetTransparent(true);
      int side = std::min(iconRect_.Width(), iconRect_.Height());
      int x = iconRect_.Left + (iconRect_.Width() - std::min(side, picture->Width())) / 2;
      if (picture->Width() <= iconRect_.Width() && picture->Height() <= iconRect_.Height())
        canvas->Draw(x, iconRect_.Top, picture.get());
      else
        canvas->StretchDraw(TRect{iconRect_.Left, iconRect_.Top, iconRect_.Left + side, iconRect_.Top + side},
                            picture.get());
    }
  }
  PrepareCanvasFont(*canvas);
  canvas->Brush()->SetStyle(bsClear);
  TRect r = textRect_;
  canvas->TextRect(r, text_, kDtWordBreak | kDtNoPrefix | kDtLeft);
}

void TFrMessage::DoShow() {
  // On before OnShow, so that what the handler does (a click on Help,
  // which stops it) is not undone.
  if (timer_) timer_->SetEnabled(true);
  TForm::DoShow();
}

void TFrMessage::DoHide() {
  if (timer_) timer_->SetEnabled(false);
  TForm::DoHide();
}

void TFrMessage::BringBack(TObject*) {
  if (!Visible() || Active()) return;
  BringToFront();
  SetFocus();
}

void TFrMessage::HelpClick(TObject*) {
  if (timer_) timer_->SetEnabled(false);
  if (!helpReference_.empty() && helpReference_[0] == '&') {
    // The application's help file at the help context. A program without
    // a help file of its own may name one after the "&".
    if (Application) {
      std::string saved = Application->HelpFile();
      if (saved.empty()) Application->SetHelpFile(helpReference_.substr(1));
      Application->HelpContext(helpContext_);
      if (saved.empty()) Application->SetHelpFile(saved);
    }
    return;
  }
  ShowHelpText(helpReference_, helpContext_);
}

TKyButtonKind ShowMessageDialog(int type, const std::string& text, const TKyButtonKinds& kinds,
                                TKyButtonKind defaultKind, int helpContext, const std::string& helpReference) {
  std::unique_ptr<TFrMessage> dialog(CreateForm<TFrMessage>(Application));
  dialog->Prepare(type, text, kinds, defaultKind, helpContext, helpReference);
  return dialog->Execute();
}

// ---- Registration ----

void RegisterMessageClasses() {
  // The dialog's form names its timer: a program may not register the
  // platform's components itself.
  RegisterClasses({&TFrMessage::StaticClass(), &TFrMessageHlp::StaticClass(), &TTimer::StaticClass()});
  SetExceptionDisplay([](const std::string& message) {
    ShowMessageDialog(kMsgError, message, {bkiOK}, bkiOK);
  });
}
