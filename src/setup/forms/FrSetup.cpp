#include "setup/forms/FrSetup.h"

#include "setup/InstallerLanguages.h"

#include <algorithm>

#include "controls/KyButtons.h"
#include "controls/KyCheckBox.h"
#include "controls/KyEdit.h"
#include "controls/KyImage.h"
#include "controls/KyListBox.h"
#include "controls/KyMemo.h"
#include "controls/KyPageControl.h"
#include "controls/KyProgressBar.h"
#include "controls/KyRadioGroup.h"
#include "controls/RegisterControls.h"
#include "packages/CApplication.h"
#include "packages/PkgImages.h"
#include "packages/PkgStrings.h"
#include "platform/base/SysUtils.h"
#include "platform/classes/StringList.h"
#include "platform/os/Mutex.h"
#include "platform/windows/Application.h"
#include "platform/windows/Dialogs.h"
#include "platform/windows/Register.h"
#include "platform/windows/Messages.h"
#include "setup/Installer.h"
#include "setup/forms/FrAbout.h"
#include "setup/forms/FrSearch.h"
#include "skin/Label.h"

namespace {

std::string& ProgramFile() {
  static std::string file;
  return file;
}

}  // namespace

// The progress bar as the engine's sink. Everything runs in the window's
// thread inside a command, so each visible change is painted at once.
// The bar and its label take every change at once but are painted about 20
// times a second at most: a run paints in its own thread's loop, so every
// repaint is time not spent copying. The end of a run (a full bar, an empty
// label) is painted at once.
class TFrSetup::TBarSink : public TProgressSink {
public:
  explicit TBarSink(TKyProgressBar*& bar) : bar_(bar) {}
  int Max() const override { return bar_->Max(); }
  int Position() const override { return shown_ ? position_ : bar_->Position(); }
  void SetPosition(int position) override {
    position = std::clamp(position, 0, bar_->Max());
    if (position == Position()) return;
    position_ = position;
    shown_ = barDirty_ = true;
    Paint(position == bar_->Max());
  }
  void SetLabel(const std::string& text) override {
    if (text == label_) return;
    label_ = text;
    labelDirty_ = true;
    Paint(text.empty());
  }
  void Pulse() override { Paint(false); }

private:
  // Even a caption or position set without painting costs layout work:
  // both reach the controls only when they are painted.
  void Paint(bool force) {
    if (!barDirty_ && !labelDirty_) return;
    if (!pace_.Due(TRedrawPace::Clock::now(), force)) return;
    if (barDirty_) {
      bar_->SetPosition(position_);
      // Only when the filled part grows or shrinks by a pixel.
      int width = std::max(1, bar_->Width());
      int pixel = static_cast<int>(static_cast<int64_t>(position_) * width / std::max(1, bar_->Max()));
      if (pixel != paintedPixel_) {
        paintedPixel_ = pixel;
        bar_->Repaint();
      }
    }
    if (labelDirty_) {
      bar_->ILabel()->SetCaption(label_);
      bar_->ILabel()->Control()->Repaint();
    }
    barDirty_ = labelDirty_ = false;
  }

  TKyProgressBar*& bar_;
  TRedrawPace pace_{std::chrono::milliseconds(50)};
  int position_ = 0;
  bool shown_ = false;  // position_ holds the bar's position
  int paintedPixel_ = -1;
  bool barDirty_ = false, labelDirty_ = false;
  std::string label_;
};

TFrSetup::TFrSetup(TComponent* owner) : TForm(owner), bar_(std::make_unique<TBarSink>(PrAll)) {}

// Its handlers use the controller and the progress sink: they go only
// after the components.
TFrSetup::~TFrSetup() { BeforeDestruction(); }

void TFrSetup::SetProgramFile(const std::string& file) { ProgramFile() = file; }

void TFrSetup::Publish(TPublisher<TFrSetup>& p) {
  using F = TFrSetup;
  p.Field("KyCApplication1", &F::KyCApplication1);
  p.Field("PageControl", &F::PageControl);
  p.Field("BtNext", &F::BtNext);
  p.Field("BtPrior", &F::BtPrior);
  p.Field("BtAdd", &F::BtAdd);
  p.Field("BtHelp", &F::BtHelp);
  p.Field("KySpeedButton1", &F::KySpeedButton1);
  p.Field("Edlanguage", &F::Edlanguage);
  p.Field("EdDelphi3", &F::EdDelphi3);
  p.Field("EdDelphi4", &F::EdDelphi4);
  p.Field("EdDelphi5", &F::EdDelphi5);
  p.Field("EdDelphi6", &F::EdDelphi6);
  p.Field("EdCBuilder3", &F::EdCBuilder3);
  p.Field("EdCBuilder4", &F::EdCBuilder4);
  p.Field("EdCBuilder5", &F::EdCBuilder5);
  p.Field("EdCBuilder6", &F::EdCBuilder6);
  p.Field("EdLicense", &F::EdLicense);
  p.Field("EdAccept", &F::EdAccept);
  p.Field("EdGroup", &F::EdGroup);
  p.Field("EdDirectory", &F::EdDirectory);
  p.Field("LaProgress", &F::LaProgress);
  p.Field("PrAll", &F::PrAll);
  p.Field("LaMessage", &F::LaMessage);
  p.Field("LaStart", &F::LaStart);
  p.Field("LaPlan", &F::LaPlan);
  p.Field("EdPlan", &F::EdPlan);
  p.Field("Products", &F::Products);
  p.Field("ImageInstall", &F::ImageInstall);
  p.Field("OpenStp", &F::OpenStp);
  p.Field("PkgEnglish", &F::PkgEnglish);
  p.Field("PkgSpanish", &F::PkgSpanish);
  p.Field("PkgFrench", &F::PkgFrench);
  p.Field("PkgItalian", &F::PkgItalian);
  p.Field("PkgGerman", &F::PkgGerman);
  p.Method("KyCApplication1BeforeLoaded", &F::KyCApplication1BeforeLoaded);
  p.Method("FormCreate", &F::FormCreate);
  p.Method("FormDestroy", &F::FormDestroy);
  p.Method("FormKeyDown", &F::FormKeyDown);
  p.Method("BtNextClick", &F::BtNextClick);
  p.Method("BtPriorClick", &F::BtPriorClick);
  p.Method("BtAddClick", &F::BtAddClick);
  p.Method("BtHelpClick", &F::BtHelpClick);
  p.Method("KySpeedButton1Click", &F::KySpeedButton1Click);
  p.Method("PageControlShowPage", &F::PageControlShowPage);
  p.Method("EdlanguageValidate", &F::EdlanguageValidate);
  p.Method("InputValidate", &F::InputValidate);
}

// ---- Start and end ----

// One installer at a time: a second copy ends before any window shows.
void TFrSetup::KyCApplication1BeforeLoaded(TObject*, bool& terminate) {
  mutex_ = std::make_unique<TNamedMutex>(kInstallerMutex);
  if (mutex_->AlreadyExisted()) terminate = true;
}

void TFrSetup::FormCreate(TObject*) {
  if (Application && Application->TerminateRequested()) return;
  controller_ = std::make_unique<TWizardController>(*this, ProgramFile());
  ActivateLanguage(Language());
  controller_->Start();
  // The first page may be the one the form was made on: no page change
  // tells the focus where to go.
  PageControlShowPage(PageControl);
}

void TFrSetup::FormDestroy(TObject*) {
  controller_.reset();
  mutex_.reset();
}

// ---- Commands and keys ----

template <class F>
void TFrSetup::Command(F command) {
  if (!controller_) return;
  struct TBusy {
    int& n;
    explicit TBusy(int& count) : n(++count) {}
    ~TBusy() { --n; }
  } busy(busy_);
  command();
}

void TFrSetup::TakeRequest(const std::string& request) {
  if (!controller_) return;
  const size_t tab = request.find('\t');
  const std::string kind = request.substr(0, tab), argument = tab == std::string::npos ? "" : request.substr(tab + 1);
  // Reached from the message loop: nothing may escape into it.
  try {
    if (busy_ > 0) {
      ShowError("The installer is busy: try again when the current step has ended.");
      return;
    }
    Command([&] {
      if (kind == "open") controller_->OpenSetupFile(argument);
      else if (kind == "erase") controller_->OpenErase(argument);
    });
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void TFrSetup::BtNextClick(TObject*) { Command([this] { controller_->Next(); }); }
void TFrSetup::BtPriorClick(TObject*) { Command([this] { controller_->Previous(); }); }
void TFrSetup::BtAddClick(TObject*) { Command([this] { controller_->Add(); }); }
void TFrSetup::BtHelpClick(TObject*) { ShowAbout(); }

void TFrSetup::KySpeedButton1Click(TObject*) {
  std::string folder = EdDirectory->Text();
  if (SelectFolder(folder, EdGroup->Text())) SetFolderText(folder);
}

// With or without Shift, Ctrl or Alt held.
void TFrSetup::FormKeyDown(TObject*, uint16_t& key, TShiftState) {
  auto click = [&key](TKySpeedButton* button) {
    key = 0;
    if (button->Visible() && button->Enabled()) button->ClickAction();
  };
  switch (key) {
    case VK_ESCAPE: click(BtPrior); break;
    case VK_RETURN: click(BtNext); break;
    case VK_F1: click(BtHelp); break;
    default: break;
  }
}

void TFrSetup::PageControlShowPage(TObject*) {
  if (!controller_) return;
  int mode = controller_->Mode(), page = controller_->Page();
  TWinControl* target = nullptr;
  if (mode <= 1) {
    switch (page) {
      case 0: target = mode == 0 ? static_cast<TWinControl*>(Edlanguage) : nullptr; break;
      case 3: target = EdAccept; break;
      case 4: target = EdGroup; break;
      case 5: target = EdDirectory; break;
      default: break;
    }
  } else if (page == 1) {
    for (int i = 0; i < kEnvironmentCount && !target; ++i)
      if (Environment(i)->Enabled()) target = Environment(i);
  } else if (page == 3) {
    target = EdAccept;
  }
  if (!target) return;
  if (Visible() && target->CanFocus()) FocusControl(target);
  else SetActiveControl(target);
}

void TFrSetup::EdlanguageValidate(TObject*) {
  if (settingLanguage_ || !controller_) return;
  controller_->LanguageChanged();
}

void TFrSetup::InputValidate(TObject*) {
  if (controller_) controller_->InputChanged();
}

// ---- The view ----

TKyCheckBox* TFrSetup::Environment(int index) const {
  TKyCheckBox* const boxes[kEnvironmentCount] = {EdDelphi3,   EdDelphi4,   EdDelphi5,   EdDelphi6,
                                                 EdCBuilder3, EdCBuilder4, EdCBuilder5, EdCBuilder6};
  return boxes[index];
}

TKySpeedButton* TFrSetup::Button(TWizardButtonKind kind) const {
  return kind == wbAdd ? BtAdd : kind == wbPrior ? BtPrior : BtNext;
}

void TFrSetup::SetPage(int page) { PageControl->SetValue(Variant(static_cast<int32_t>(page))); }

void TFrSetup::SetButton(TWizardButtonKind kind, const TWizardButton& state) {
  TKySpeedButton* button = Button(kind);
  button->SetVisible(state.Visible);
  button->SetEnabled(state.Enabled);
  button->CaptionId()->SetId(state.CaptionId);
  button->Shape()->SetShape(state.Shape == wbsArrow ? shaArrowBar1 : shaRoundRect);
}

int TFrSetup::Language() const {
  Variant v = Edlanguage->Value();
  std::string text = v.IsNull() ? "" : v.AsString();
  return text.size() == 1 && text[0] >= '0' && text[0] <= '4' ? text[0] - '0' : 0;
}

void TFrSetup::SetLanguage(int index) {
  if (index < 0 || index > 4 || index == Language()) return;
  settingLanguage_ = true;
  try {
    Edlanguage->SetValue(Variant(std::to_string(index)));
  } catch (...) {
    settingLanguage_ = false;
    throw;
  }
  settingLanguage_ = false;
}

void TFrSetup::ActivateLanguage(int index) {
  TKyPkgStrings* const packages[] = {PkgEnglish, PkgSpanish, PkgFrench, PkgItalian, PkgGerman};
  if (index < 0 || index > 4) return;
  packages[index]->SetActive(true);
  TInstallerLanguages::ApplySystemLabels(*packages[index]);
}

bool TFrSetup::EnvironmentTicked(int index) const { return Environment(index)->Value().AsString() == "T"; }

void TFrSetup::SetEnvironmentTicked(int index, bool ticked) {
  Environment(index)->SetValue(Variant(std::string(ticked ? "T" : "F")));
}

void TFrSetup::SetEnvironmentEnabled(int index, bool enabled) { Environment(index)->SetEnabled(enabled); }

std::string TFrSetup::Accept() const { return EdAccept->Value().AsString() == "T" ? "T" : "F"; }
void TFrSetup::SetAccept(const std::string& value) { EdAccept->SetValue(Variant(value)); }

// The edits' texts as typed: Enter runs Next before an edit takes its value.
std::string TFrSetup::GroupText() const { return EdGroup->Text(); }
void TFrSetup::SetGroupText(const std::string& text) { EdGroup->SetValue(Variant(text)); }
std::string TFrSetup::FolderText() const { return EdDirectory->Text(); }
void TFrSetup::SetFolderText(const std::string& text) { EdDirectory->SetValue(Variant(text)); }

std::vector<std::string> TFrSetup::LicenseLines() const {
  std::vector<std::string> lines;
  TStrings* memoLines = EdLicense->Lines();
  for (int i = 0; i < memoLines->Count(); ++i) lines.push_back(memoLines->Strings(i));
  return lines;
}

void TFrSetup::ShowProducts(const TProductList& products) {
  shown_ = products;
  TKyListBoxItems* items = Products->Items();
  items->BeginUpdate();
  items->Clear();
  for (const TProductItem& product : products.Items()) {
    auto* item = static_cast<TKyListBoxItem*>(items->Add());
    item->SetValue(product.Value);
    item->SetDescription(product.Description);
    item->Image()->SetReference("User", product.Data ? 22 : 21);
  }
  items->EndUpdate();
}

// A base product and its update share their value: the focused row tells
// them apart.
int TFrSetup::SelectedProduct() const {
  Variant v = Products->Value();
  if (v.IsClear()) return -1;
  int focused = Products->FocusedIndex();
  if (focused >= 0 && focused < shown_.Count() && SameText(shown_[focused].Value, v.AsString())) return focused;
  return shown_.Find(v.AsString());
}

void TFrSetup::SelectProduct(int index) {
  if (index < 0 || index >= shown_.Count()) {
    Products->SetValue(Variant());
    return;
  }
  Products->SetValue(Variant(shown_[index].Value));
  Products->SetFocusedIndex(index);
}

void TFrSetup::SetSituationText(const std::string& text) { LaStart->SetValue(Variant(text)); }

void TFrSetup::SetPlanLines(const std::vector<std::string>& lines) {
  // A few hundred lines tell a person what Install does; the system's edit
  // window cannot be made with much more text (stptool plan lists all).
  constexpr size_t kShown = 200;
  TStrings* memoLines = EdPlan->Lines();
  memoLines->BeginUpdate();
  memoLines->Clear();
  if (lines.size() <= kShown) {
    memoLines->AddStrings(lines);
  } else {
    memoLines->AddStrings(std::vector<std::string>(lines.begin(), lines.begin() + kShown));
    memoLines->Add("... " + std::to_string(lines.size() - kShown) + " more (stptool plan lists them all)");
  }
  memoLines->EndUpdate();
  LaPlan->SetVisible(!lines.empty());
  EdPlan->SetVisible(!lines.empty());
}

void TFrSetup::SetProgressText(const std::string& text) { LaProgress->SetValue(Variant(text)); }

void TFrSetup::SetFinalText(const std::string& text) { LaMessage->SetValue(Variant(text)); }

TProgressSink& TFrSetup::ProgressBar() { return *bar_; }

void TFrSetup::ShowImage(int imageMode, const std::vector<uint8_t>& picture) {
  if (imageMode == 0) return;
  if (imageMode >= 3 && !picture.empty()) {
    try {
      ImageInstall->LoadFromBytes(picture);
      return;
    } catch (const std::exception&) {
      // A product picture that does not decode shows nothing.
    }
  }
  // Modes 1 and 2, and a product without a picture: the place stays empty.
  if (TGraphic* shown = ImageInstall->Picture()->Graphic(); shown && !shown->Empty()) ImageInstall->Clear();
}

std::optional<std::string> TFrSetup::ChooseSetupFile() {
  if (!OpenStp->Execute()) return std::nullopt;
  return OpenStp->FileName();
}

void TFrSetup::SetCaption(const std::string& caption) { TForm::SetCaption(caption); }

void TFrSetup::Repaint() {
  TForm::Repaint();
  TForm::Update();
}

void TFrSetup::ShowError(const std::string& message) { ShowExceptionMessage(message); }

void TFrSetup::UseEmbeddedVariables() { KyCApplication1->PkgVars()->SetInitMode(rimDFM); }

void TFrSetup::Close(int modalResult) {
  SetModalResult(modalResult);
  TForm::Close();
}

void RegisterSetupForms() {
  RegisterWindowsClasses();
  RegisterControlClasses();
  RegisterClasses({&TFrSetup::StaticClass(), &TFrSearch::StaticClass(), &TFrAbout::StaticClass()});
}
