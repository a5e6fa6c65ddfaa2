#include "controls/KyEdit.h"

#include <algorithm>

#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "packages/MessageService.h"
#include "platform/classes/FormStream.h"
#include "platform/graphics/Canvas.h"
#include "platform/windows/NonClient.h"
#include "platform/windows/Publish.h"
#include "skin/Fills.h"
#include "skin/Panel.h"
#include "skin/Shapes.h"

#ifndef ES_MULTILINE
#define ES_MULTILINE 0x0004
#endif
#ifndef ES_AUTOVSCROLL
#define ES_AUTOVSCROLL 0x0040
#endif

namespace {

TKySetupKey SetupKeyOf(TKyEditButton button) {
  switch (button) {
    case edbRelation: return skRelation;
    case edbMaint: return skMaint;
    case edbCalculator: return skCalculator;
    case edbCalendar: return skCalendar;
    case edbCustom1: return skCustom1;
    case edbCustom2: return skCustom2;
  }
  return skRelation;
}

// A calculator result longer than the edit takes is no number it can hold
// ("System" has no message of its own for it).
constexpr int kMsgValueTooLong = 7;
// Between the image and the text.
constexpr int32_t kImageSpacing = 2;

}  // namespace

// ---- TKyTimerChange ----

TKyTimerChange& TKyTimerChange::Instance() {
  // Lives as long as the process: edits may go away in any order.
  static TKyTimerChange* timer = new TKyTimerChange(nullptr);
  return *timer;
}

void TKyTimerChange::StartFor(TKyCustomEdit* edit, uint32_t interval) {
  SetEnabled(false);
  target_ = edit;
  SetInterval(interval);
  SetEnabled(true);
}

void TKyTimerChange::Forget(TKyCustomEdit* edit) {
  if (target_ != edit) return;
  SetEnabled(false);
  target_ = nullptr;
}

void TKyTimerChange::DoTimer() {
  SetEnabled(false);
  TKyCustomEdit* edit = std::exchange(target_, nullptr);
  ++fired_;
  if (edit && edit->OnChange && !FormEventsSuppressed(edit)) edit->OnChange(edit);
}

// ---- TKyEditBtnControl ----

TKyEditBtnControl::TKyEditBtnControl(TKyCustomEdit* edit, TKyEditButton kind)
    : TGraphicControl(edit), edit_(edit), kind_(kind) {
  controlStyle_.Include(csClickEvents);
  controlStyle_.Include(csCaptureMouse);
}

std::string TKyEditBtnControl::Glyph() const {
  switch (kind_) {
    case edbRelation: return "R";
    case edbMaint: return "M";
    case edbCalculator: return "=";
    case edbCalendar: return "D";
    case edbCustom1: {
      std::string c = edit_->Buttons()->CaptionId1()->Caption();
      return c.empty() ? "1" : c;
    }
    case edbCustom2: {
      std::string c = edit_->Buttons()->CaptionId2()->Caption();
      return c.empty() ? "2" : c;
    }
  }
  return "";
}

void TKyEditBtnControl::Paint() {
  TCanvas& canvas = *Canvas();
  TRect r{0, 0, Width(), Height()};
  TKyEditBtns* buttons = edit_->Buttons();
  TKyButtonShape* shape = buttons->Shape();
  // The body in the shape with its brush; the bevel unless flat and up.
  canvas.Brush()->SetColor(LibraryDefaultColor("Dft_3DMLight"));
  canvas.FillRect(r);
  if (!shape->Brush()->SetBackGround()->Name().empty())
    PaintShapeBackGround(canvas, r, *shape->Brush()->SetBackGround(), shape->Shape(), shape->Orientation(),
                         shape->Reflection());
  if (!buttons->Flat() || down_)
    Frame3DRect(canvas, r, LibraryDefaultColor("Dft_3DLight"), down_, LibraryDefaultColor("Dft_3DShadow"));
  int32_t shift = down_ ? 1 : 0;
  // The custom buttons show their own picture when they have one.
  TKyMemoryImage* image = kind_ == edbCustom1 ? buttons->Image1() : kind_ == edbCustom2 ? buttons->Image2() : nullptr;
  std::unique_ptr<TGraphic> picture;
  if (image) {
    try {
      picture = image->Graphic();
    } catch (const Exception&) {
      // A picture that does not decode: the letter instead.
    }
  }
  if (picture && !picture->Empty()) {
    int32_t margin = buttons->Margin();
    int32_t x = margin < 0 ? (r.Width() - picture->Width()) / 2 : margin;
    canvas.Draw(x + shift, (r.Height() - picture->Height()) / 2 + shift, picture.get());
    return;
  }
  std::string glyph = Glyph();
  canvas.Font()->SetColor(Enabled() ? LibraryDefaultColor("Dft_ColText") : LibraryDefaultColor("Dft_ColShadow"));
  canvas.Brush()->SetStyle(bsClear);
  TSize size = canvas.TextExtent(glyph);
  canvas.TextOut((r.Width() - size.cx) / 2 + shift, (r.Height() - size.cy) / 2 + shift, glyph);
}

void TKyEditBtnControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (button == mbLeft) {
    down_ = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(button, shift, x, y);
}

void TKyEditBtnControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (button == mbLeft && down_) {
    down_ = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

void TKyEditBtnControl::DoClick() {
  TGraphicControl::DoClick();
  edit_->ButtonClick(kind_);
}

// ---- TKyCustomEdit ----

TKyCustomEdit::TKyCustomEdit(TComponent* owner)
    : TCustomEdit(owner),
      link_(this, kLinkControl),
      mask_(std::make_unique<TKyMaskEdit>(this, this)),
      valueId_(std::make_unique<TKyMemoryLabel>(this)),
      captionId_(std::make_unique<TKyMemoryLabel>(this)),
      buttons_(std::make_unique<TKyEditBtns>(this)),
      text_(std::make_unique<TKyEditText>(this)),
      image_(std::make_unique<TKyEditImage>(this)),
      innerLabel_(new TKySingleLabel(this)) {
  // The frame is ours, drawn outside the platform window's client area.
  TCustomEdit::SetBorderStyle(bsNone);
  background_ = std::make_unique<TKySetBackGround>(
      this, "", dynamic_cast<TKySetBackGround*>(LibraryDefaultSet("Dft_EdBackGround")));
  colBox_ = std::make_unique<TKySetColor>(this, "", dynamic_cast<TKySetColor*>(LibraryDefaultSet("Dft_ColBox")));
  colSelBox_ = std::make_unique<TKySetColor>(this, "");
  privilege_ = std::make_unique<TKyPrivilege>(this);
  iLabel_ = std::make_unique<TKyLabelILabel>(this, innerLabel_);

  auto look = [this](auto*) { LookChanged(); };
  background_->OnChange = look;
  colBox_->OnChange = look;
  colSelBox_->OnChange = look;
  privilege_->OnChange = look;
  captionId_->OnChange = look;
  text_->OnChange = look;
  image_->OnChange = [this](TObject*) {
    if (!link_.IsBusy()) NonClientFrameChanged(*this);
  };
  buttons_->OnChange = [this](TObject*) {
    if (!link_.IsBusy()) PlaceButtons();
  };
  valueId_->OnChange = [this](TKyMemoryReference*) {
    if (!link_.IsBusy()) ShowValue();
  };
  iLabel_->OnChange = [this](TKyILabel*) {
    if (!link_.IsBusy()) iLabel_->Update();
  };
  link_.OnLoaded = [this] {
    UpdateDisplay();
    placement_.Record(*this);
  };
  Recompile();
}

TKyCustomEdit::~TKyCustomEdit() {
  TKyTimerChange::Instance().Forget(this);
  Destroying();
}

TKyCForm* TKyCustomEdit::MaskFormConfig() const {
  for (TComponent* c = Owner(); c; c = c->Owner())
    if (TKyCForm* config = TKyCForm::FindOn(c)) return config;
  return nullptr;
}

void TKyCustomEdit::Recompile(bool raise) {
  try {
    mask_->Compile(compiled_);
  } catch (const Exception&) {
    // A wrong mask text: free text of the type until it is corrected, and
    // whoever set it hears why.
    compiled_.Reset();
    compiled_.DataType = dataType_;
    if (raise) throw;
  }
}

void TKyCustomEdit::MaskChanged(TKyMask&) {
  Recompile(!IsLoading());
  if (!IsLoading()) ShowValue();
}

// ---- Value ----

void TKyCustomEdit::SetValue(const Variant& value) {
  // A write from inside OnValidate (or OnStartEdit) is ignored: it would
  // validate again without end.
  if (settingValue_) return;
  Variant converted = ConvertValue(value, dataType_);
  if (converted == value_ && !editing_) return;
  settingValue_ = true;
  struct TGuard {
    bool& flag;
    ~TGuard() { flag = false; }
  } guard{settingValue_};
  Variant previous = value_;
  bool wasEditing = editing_;
  try {
    if (!IsLoading()) StartEdit();
    value_ = converted;
    TKyCForm* config = MaskFormConfig();
    if (OnValidate && !IsLoading() && !(config && config->ValidationSuppressed())) OnValidate(this);
  } catch (...) {
    value_ = previous;
    editing_ = wasEditing;
    throw;
  }
  editing_ = false;
  ShowValue();
}

void TKyCustomEdit::SetDataType(TKyDataType value) {
  if (value == dataType_) return;
  dataType_ = value;
  if (!value_.IsClear()) value_ = ConvertValue(value_, dataType_);
  // Quiet: the mask is often set right after the type it is meant for.
  Recompile();
  if (!IsLoading()) ShowValue();
}

void TKyCustomEdit::ShowValue() {
  std::string text;
  TKyCForm* config = MaskFormConfig();
  if (IsDesigning() && !refValue_.empty() && config && config->RefAdjust())
    // The form being designed shows the reference text, as labels do.
    text = refValue_;
  else if (value_.IsClear() && valueId_->Resolve())
    text = valueId_->Caption();
  else
    text = focused_ ? compiled_.EditText(value_) : compiled_.DisplayText(value_);
  SetOwnText(text);
}

void TKyCustomEdit::SetRefValue(const std::string& value) {
  if (value == refValue_) return;
  refValue_ = value;
  if (IsDesigning() && !IsLoading()) ShowValue();
}

void TKyCustomEdit::SetOwnText(const std::string& text) {
  ++ownChanges_;
  try {
    SetTextValue(text);
  } catch (...) {
    --ownChanges_;
    throw;
  }
  --ownChanges_;
}

// ---- Editing ----

bool TKyCustomEdit::CanModify() {
  if (!Enabled() || ReadOnly() || !EffectiveEnabled()) return false;
  bool can = true;
  if (OnCanModify) OnCanModify(this, can);
  return can;
}

void TKyCustomEdit::StartEdit() {
  if (editing_) return;
  editing_ = true;
  if (OnStartEdit) OnStartEdit(this);
}

void TKyCustomEdit::ApplyText() {
  if (!editing_ || applying_) return;
  applying_ = true;
  struct TGuard {
    bool& flag;
    ~TGuard() { flag = false; }
  } guard{applying_};
  // A text that does not parse raises here; Value stays as it was.
  Variant parsed = compiled_.TextToValue(Text(), MaxLength(), Name());
  Variant previous = value_;
  value_ = ConvertValue(parsed, dataType_);
  TKyCForm* config = MaskFormConfig();
  if (OnValidate && !(config && config->ValidationSuppressed())) {
    try {
      OnValidate(this);
    } catch (...) {
      value_ = previous;
      throw;
    }
  }
  AfterApply();
  editing_ = false;
}

void TKyCustomEdit::AfterApply() {
  int32_t start = SelStart();
  ShowValue();
  SetSelStart(start);
}

void TKyCustomEdit::Cancel() {
  if (!editing_) return;
  editing_ = false;
  ShowValue();
  SelectAll();
}

TKyMaskEditState TKyCustomEdit::EditState() const {
  TKyMaskEditState state;
  state.Text = Text();
  state.SelStart = SelStart();
  state.SelLength = SelLength();
  state.InsertMode = ApplicationInsertMode();
  state.MaxLength = MaxLength();
  return state;
}

void TKyCustomEdit::ApplyEditState(const TKyMaskEditState& state) {
  // Typed: a user change, reported through Change.
  SetTextValue(state.Text);
  SetSelStart(state.SelStart);
  if (state.SelLength > 0) SetSelLength(state.SelLength);
}

void TKyCustomEdit::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomEdit::KeyDown(key, shift);
  if (key == 0) return;
  if (!CanModify()) {
    if (key == VK_DELETE || key == VK_BACK || (key == VK_TAB && shift.Contains(ssCtrl))) key = 0;
    return;
  }
  if (key == VK_DELETE || key == VK_BACK) {
    StartEdit();
    TKyMaskEditState state = EditState();
    if (key == VK_DELETE)
      compiled_.DeleteChar(state);
    else if (!compiled_.TypeChar(state, '\b'))
      state = EditState();
    ApplyEditState(state);
    key = 0;
    return;
  }
  for (int b = edbRelation; b <= edbCustom2; ++b) {
    auto button = static_cast<TKyEditButton>(b);
    if (!buttons_->Buttons().Contains(button)) continue;
    if (ShortCutMatches(ButtonShortCut(button), key, shift.Contains(ssShift), shift.Contains(ssCtrl),
                        shift.Contains(ssAlt))) {
      key = 0;
      ButtonClick(button);
      return;
    }
  }
}

void TKyCustomEdit::KeyPress(char& key) {
  TCustomEdit::KeyPress(key);
  if (key == 0) return;
  const char kCtrlC = 3, kCtrlV = 22, kCtrlX = 24, kEscape = 27;
  if (!CanModify()) {
    if (key != kCtrlC) key = 0;
    return;
  }
  switch (key) {
    case kCtrlC:
    case kCtrlV:
    case kCtrlX:
      return;
    case '\n':
    case '\b':  // done at the key itself
      key = 0;
      return;
    case '\r':
      key = 0;
      if (EnterMakesLine()) {
        // A line break at the caret, in place of the selection.
        StartEdit();
        TKyMaskEditState state = EditState();
        size_t at = static_cast<size_t>(std::clamp<int32_t>(state.SelStart, 0, int32_t(state.Text.size())));
        size_t n = std::min(static_cast<size_t>(std::max(0, state.SelLength)), state.Text.size() - at);
        state.Text.replace(at, n, "\r\n");
        if (state.MaxLength > 0 && static_cast<int32_t>(state.Text.size()) > state.MaxLength) return;
        state.SelStart = static_cast<int32_t>(at + 2);
        state.SelLength = 0;
        ApplyEditState(state);
        return;
      }
      ApplyText();
      SelectAll();
      return;
    case kEscape:
      key = 0;
      Cancel();
      return;
  }
  if (static_cast<uint8_t>(key) < 32) {
    key = 0;
    return;
  }
  char c = key;
  key = 0;
  StartEdit();
  TKyMaskEditState state = EditState();
  if (compiled_.TypeChar(state, c)) ApplyEditState(state);
}

void TKyCustomEdit::Paste() {
  StartEdit();
  TKyMaskEditState state = EditState();
  for (char c : ClipboardText()) compiled_.TypeChar(state, c);
  ApplyEditState(state);
}

void TKyCustomEdit::Cut() {
  StartEdit();
  TKyMaskEditState state = EditState();
  if (state.SelLength <= 0) return;
  SetClipboardText(state.Text.substr(static_cast<size_t>(state.SelStart), static_cast<size_t>(state.SelLength)));
  compiled_.DeleteChar(state);
  ApplyEditState(state);
}

void TKyCustomEdit::Change() {
  if (ownChanges_ > 0 || IsLoading() || !editing_) return;
  NotifyChange();
}

void TKyCustomEdit::NotifyChange() {
  if (timeChange_ < 1) {
    if (OnChange && !FormEventsSuppressed(this)) OnChange(this);
    return;
  }
  TKyTimerChange::Instance().StartFor(this, static_cast<uint32_t>(timeChange_));
}

// ---- Buttons ----

TShortCut TKyCustomEdit::ButtonShortCut(TKyEditButton button) const {
  if (button == edbCustom1 && buttons_->Key1() != 0) return buttons_->Key1();
  if (button == edbCustom2 && buttons_->Key2() != 0) return buttons_->Key2();
  TKySetupKey key = SetupKeyOf(button);
  TKyCApplication* app = FirstApplication();
  if (app && app->PkgSetup()) return app->PkgSetup()->Keys()->Key(key);
  return TKyPkgSetupKeys::DefaultKey(key);
}

void TKyCustomEdit::ButtonClick(TKyEditButton button) {
  TKyCApplication* app = FirstApplication();
  if (button == edbCalculator) {
    if (!app) return;
    double number = 0;
    TKyCompiledMask numeric = compiled_;
    if (numeric.DataType == dtyString || numeric.DataType >= dtyDateTime) numeric.DataType = dtyDouble;
    Variant v = numeric.TextToValue(Text(), 0, Name());
    if (!v.IsClear()) number = v.AsDouble();
    if (!app->ShowCalculator(compiled_.Decimals, number)) return;
    if (MaxLength() > 0 && static_cast<int32_t>(compiled_.DisplayText(Variant(number)).size()) > MaxLength())
      RaiseMessage(Name(), "System", kMsgValueTooLong);
    SetValue(Variant(number));
    return;
  }
  if (button == edbCalendar) {
    if (!app) return;
    TDateTime date = Today();
    Variant v = dataType_ == dtyDateTime ? compiled_.TextToValue(Text(), 0, Name())
                                         : ConvertValue(Variant(Text()), dtyDateTime);
    if (!v.IsClear()) date = v.AsDateTime();
    if (!app->ShowCalendar(date)) return;
    SetValue(Variant(date));
    return;
  }
  if (OnButtons) OnButtons(this, button);
}

TKyEditBtnControl* TKyCustomEdit::ButtonControl(TKyEditButton button) const {
  for (TKyEditBtnControl* b : buttonControls_)
    if (b->Kind() == button) return b;
  return nullptr;
}

void TKyCustomEdit::PlaceButtons() {
  TKyEditButtons wanted = buttons_->Buttons();
  // Drop the ones no longer shown.
  for (auto it = buttonControls_.begin(); it != buttonControls_.end();) {
    if (!wanted.Contains((*it)->Kind())) {
      delete *it;
      it = buttonControls_.erase(it);
    } else {
      ++it;
    }
  }
  std::vector<TKyEditBtnControl*> row;
  for (int b = edbRelation; b <= edbCustom2; ++b) {
    auto kind = static_cast<TKyEditButton>(b);
    if (!wanted.Contains(kind)) continue;
    TKyEditBtnControl* c = ButtonControl(kind);
    if (!c) {
      c = new TKyEditBtnControl(this, kind);
      buttonControls_.push_back(c);
    }
    row.push_back(c);
  }
  if (row.empty()) return;
  int32_t n = static_cast<int32_t>(row.size());
  TSize size{n * buttons_->Width() + (n - 1) * buttons_->Spacing(), buttons_->Height()};
  TPoint at = PlaceBeside(BoundsRect(), size, buttons_->ExtLayout(), buttons_->ExtSpacing());
  bool shown = EffectiveVisible() && Parent() != nullptr;
  for (int32_t i = 0; i < n; ++i) {
    TKyEditBtnControl* c = row[static_cast<size_t>(i)];
    if (c->Parent() != Parent()) c->SetParent(Parent());
    c->SetBounds(at.X + i * (buttons_->Width() + buttons_->Spacing()), at.Y, buttons_->Width(), buttons_->Height());
    c->SetVisible(shown);
    c->SetEnabled(EffectiveEnabled() && !ReadOnly());
    c->Invalidate();
  }
}

// ---- Look and state ----

TRect TKyCustomEdit::FrameWidths() const {
  TRect f;
  switch (borderStyle_) {
    case ebsNone: break;
    case ebsSingle: f = {1, 1, 1, 1}; break;
    case ebs3D: f = {2, 2, 2, 2}; break;
    case ebsLine: f = {0, 0, 0, 1}; break;
    case ebs3DTopLine: f = {0, 2, 0, 0}; break;
    case ebs3DBottomLine: f = {0, 0, 0, 2}; break;
  }
  if (image_->Visible()) f.Left += image_->Width() + kImageSpacing;
  if (shadow_) {
    f.Right += kDropShadowSize;
    f.Bottom += kDropShadowSize;
  }
  return f;
}

TKyColor TKyCustomEdit::FrameColor() {
  if ((focused_ || hot_) && !colSelBox_->Name().empty()) return colSelBox_->Value();
  return colBox_->Value();
}

void TKyCustomEdit::PaintFrame(TCanvas& canvas, const TRect& window) {
  TKyColor back = background_->Value();
  if (transparent_) {
    TKyBackgroundQuery q = Parent() ? QueryBackground(Parent()) : TKyBackgroundQuery{};
    if (q.Set) back = q.Set->Value();
  }
  TRect r = window;
  if (shadow_) {
    // The corners beside the shadow show what lies behind the edit.
    TKyBackgroundQuery q = Parent() ? QueryBackground(Parent()) : TKyBackgroundQuery{};
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(q.Set ? q.Set->Value() : Parent() ? Parent()->Color() : back);
    const int32_t n = kDropShadowSize;
    canvas.FillRect({r.Right - n, r.Top, r.Right, r.Top + n});
    canvas.FillRect({r.Left, r.Bottom - n, r.Left + n, r.Bottom});
    r = PaintDropShadow(canvas, r);
  }
  const TRect body = r;
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Brush()->SetColor(back);
  canvas.FillRect(body);
  TKyColor box = FrameColor();
  TKyColor light = LibraryDefaultColor("Dft_3DLight"), shadow = LibraryDefaultColor("Dft_3DShadow");
  switch (borderStyle_) {
    case ebsNone:
      break;
    case ebsSingle:
      Frame3DRect(canvas, r, box, false, box);
      break;
    case ebs3D:
      // Sunken outside, the box colour inside.
      Frame3DRect(canvas, r, shadow, false, light);
      r = r.Inflate(-1, -1);
      Frame3DRect(canvas, r, box, false, box);
      break;
    case ebsLine:
      canvas.Brush()->SetColor(box);
      canvas.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
      break;
    case ebs3DTopLine:
      canvas.Brush()->SetColor(shadow);
      canvas.FillRect({r.Left, r.Top, r.Right, r.Top + 1});
      canvas.Brush()->SetColor(light);
      canvas.FillRect({r.Left, r.Top + 1, r.Right, r.Top + 2});
      break;
    case ebs3DBottomLine:
      canvas.Brush()->SetColor(shadow);
      canvas.FillRect({r.Left, r.Bottom - 2, r.Right, r.Bottom - 1});
      canvas.Brush()->SetColor(light);
      canvas.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
      break;
  }
  if (image_->Visible()) {
    std::unique_ptr<TGraphic> picture;
    try {
      picture = image_->Image()->Graphic();
    } catch (const Exception&) {
      // A picture that does not decode: the frame without it.
    }
    if (picture) {
      TRect f = FrameWidths();
      int32_t x = f.Left - image_->Width() - kImageSpacing;
      int32_t y = (body.Height() - image_->Height()) / 2;
      canvas.StretchDraw({x, y, x + image_->Width(), y + image_->Height()}, picture.get());
    }
  }
}

bool TKyCustomEdit::ShowsBackdrop() {
  if (!HandleAllocated() || Focused() || !EffectiveEnabled()) return false;
  if (transparent_) {
    TKyBackgroundQuery q = Parent() ? QueryBackground(Parent()) : TKyBackgroundQuery{};
    return q.Set && q.Owner;
  }
  TKyPkgDisplaySetBackGround* set = background_->Resolve();
  return set && set->FillKind() != 0;
}

HBRUSH TKyCustomEdit::BackdropBrush() {
  TRect client = ClientRect();
  TPoint origin = ClientOrigin();
  TRect key{origin.X, origin.Y, origin.X + client.Width(), origin.Y + client.Height()};
  if (!backdropValid_ || key != backdropKey_) {
    backdropBrush_.SetBitmap(nullptr);
    backdrop_.SetSize(std::max(1, client.Width()), std::max(1, client.Height()));
    TCanvas& canvas = *backdrop_.Canvas();
    TRect area{0, 0, client.Width(), client.Height()};
    if (transparent_) {
      TKyBackgroundQuery q = Parent() ? QueryBackground(Parent()) : TKyBackgroundQuery{};
      if (!q.Set || !q.Owner) return nullptr;
      // The owner's area in the bitmap: its picture continues without a seam.
      TPoint offset = q.Owner->ClientOrigin() - origin;
      TRect owner = q.Owner->TWinControl::ClientRect();
      PaintBackGround(canvas, area, TRect{}, *q.Set,
                      TRect{offset.X, offset.Y, offset.X + owner.Right, offset.Y + owner.Bottom});
    } else {
      PaintBackGround(canvas, area, *background_);
    }
    backdropBrush_.SetBitmap(&backdrop_);
    backdropKey_ = key;
    backdropValid_ = true;
  }
  return backdropBrush_.Handle();
}

void TKyCustomEdit::ApplyColors() {
  TKyColor back = background_->Value();
  if (!EffectiveEnabled()) {
    if (auto* dis = dynamic_cast<TKySetBackGround*>(LibraryDefaultSet("Dft_EdDisabledBG"))) back = dis->Value();
  }
  if (transparent_ && Parent()) {
    TKyBackgroundQuery q = QueryBackground(Parent());
    if (q.Set) back = q.Set->Value();
  }
  SetColor(back);
  ApplyTextFont(*Font(), *text_);
}

void TKyCustomEdit::LookChanged() {
  backdropValid_ = false;
  if (!link_.IsBusy()) UpdateDisplay();
}

void TKyCustomEdit::UpdateDisplay() {
  if (captionId_->Resolve()) {
    innerLabel_->SetValue(Variant(captionId_->Caption()));
    SetHint(captionId_->Hint());
  }
  TControl::SetVisible(EffectiveVisible());
  TControl::SetEnabled(EffectiveEnabled());
  ApplyColors();
  iLabel_->Update();
  innerLabel_->SetEnabled(EffectiveEnabled() && !ReadOnly());
  PlaceButtons();
  NonClientFrameChanged(*this);
  RedrawNonClientFrame(*this);
  Invalidate();
}

bool TKyCustomEdit::EffectiveEnabled() const { return privilege_->AllowsEnabled(enabledRequest_); }

bool TKyCustomEdit::EffectiveVisible() const { return IsDesigning() || privilege_->AllowsVisible(visibleRequest_); }

void TKyCustomEdit::SetVisible(bool value) {
  visibleRequest_ = value;
  TControl::SetVisible(EffectiveVisible());
  LookChanged();
}

void TKyCustomEdit::SetEnabled(bool value) {
  if (value == enabledRequest_) return;
  enabledRequest_ = value;
  TControl::SetEnabled(EffectiveEnabled());
  LookChanged();
}

void TKyCustomEdit::SetAlignHor(TKyAlignHor value) {
  if (value == alignHor_) return;
  alignHor_ = value;
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, false, true, alignVer_);
}

void TKyCustomEdit::SetAlignVer(TKyAlignVer value) {
  if (value == alignVer_) return;
  alignVer_ = value;
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, false, true, alignVer_);
}

void TKyCustomEdit::SetShadow(bool value) {
  if (value == shadow_) return;
  shadow_ = value;
  // The shadow takes room from the client area.
  if (!link_.IsBusy()) NonClientFrameChanged(*this);
  LookChanged();
}

void TKyCustomEdit::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  LookChanged();
}

void TKyCustomEdit::SetBorderStyle(TKyEditBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  if (!link_.IsBusy()) {
    NonClientFrameChanged(*this);
    RedrawNonClientFrame(*this);
  }
}

void TKyCustomEdit::SetEditLines(int32_t value) {
  value = std::max(value, 1);
  if (value == editLines_) return;
  editLines_ = value;
  RecreateWnd();
  if (!link_.IsBusy()) SetBounds(Left(), Top(), Width(), Height());
}

bool TKyCustomEdit::EnterMakesLine() const {
  return editLines_ > 1 && !enterApply_ && (dataType_ == dtyString || dataType_ == dtyMemo);
}

void TKyCustomEdit::SetParent(TWinControl* parent) {
  TCustomEdit::SetParent(parent);
  if (IsDestroying()) return;
  iLabel_->Update();
  if (!link_.IsBusy()) PlaceButtons();
}

void TKyCustomEdit::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (editLines_ > 1 && !IsLoading() && text_) {
    // As tall as its lines, with the frame.
    TRect f = FrameWidths();
    int32_t lineHeight = std::abs(text_->SetFont()->Value().Height) + 3;
    height = editLines_ * lineHeight + f.Top + f.Bottom + 2;
  }
  TCustomEdit::SetBounds(left, top, width, height);
  if (IsDestroying() || !iLabel_) return;
  iLabel_->Place();
  if (!link_.IsBusy()) PlaceButtons();
}

void TKyCustomEdit::Loaded() {
  TCustomEdit::Loaded();
  // Several lines: as tall as they need, whatever height was read.
  if (editLines_ > 1) SetBounds(Left(), Top(), Width(), Height());
  Recompile(true);
  ShowValue();
}

void TKyCustomEdit::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  if (editLines_ > 1) params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
}

void TKyCustomEdit::DoEnter() {
  focused_ = true;
  hot_ = false;
  ShowValue();
  if (Text().empty()) {
    // Puts the caret where an empty text starts.
    SetOwnText(" ");
    SetOwnText("");
  }
  SelectAll();
  RedrawNonClientFrame(*this);
  TCustomEdit::DoEnter();
}

void TKyCustomEdit::DoExit() {
  try {
    ApplyText();
  } catch (...) {
    // The text stays for correction; the error goes to the user.
    focused_ = false;
    RedrawNonClientFrame(*this);
    throw;
  }
  focused_ = false;
  hot_ = false;
  editing_ = false;
  ShowValue();
  RedrawNonClientFrame(*this);
  TCustomEdit::DoExit();
}

void TKyCustomEdit::CreateHandleDone() {
  TCustomEdit::CreateHandleDone();
  // The window was sized before it was ours (an edit on a page shown
  // later): it takes our frame now.
  NonClientFrameChanged(*this);
}

void TKyCustomEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE:
      KeepNonClientFrame(m, FrameWidths());
      return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
      if (ShowsBackdrop())
        if (HBRUSH brush = BackdropBrush()) {
          m.Result = TWindowColors::ApplyOver(reinterpret_cast<HDC>(m.WParam), Font()->Color(), brush);
          return;
        }
      break;
    case WM_SIZE:
    case WM_MOVE:
      backdropValid_ = false;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // Focused, the text is drawn on the plain colour: typing redraws
      // single characters.
      TCustomEdit::WndProc(m);
      Invalidate();
      return;
    case WM_NCPAINT:
    case WM_PRINT:
      if (PaintNonClientFrame(*this, m, [this](TCanvas& canvas, const TRect& window) { PaintFrame(canvas, window); }))
        return;
      break;
    case CM_WANTSPECIALKEY:
      // Escape cancels an edit, Enter may commit it, before the form's
      // buttons see them.
      if ((m.WParam == VK_ESCAPE && editing_) || (m.WParam == VK_RETURN && editing_ && enterApply_) ||
          (m.WParam == VK_RETURN && EnterMakesLine())) {
        m.Result = 1;
        return;
      }
      break;
    case CM_MOUSEENTER:
      if (!focused_ && !hot_) {
        hot_ = true;
        RedrawNonClientFrame(*this);
      }
      break;
    case CM_MOUSELEAVE:
      if (hot_) {
        hot_ = false;
        RedrawNonClientFrame(*this);
      }
      break;
    case WM_PASTE:
      if (CanModify()) Paste();
      return;
    case WM_CUT:
      if (CanModify()) Cut();
      else m.Result = 0;
      return;
  }
  TCustomEdit::WndProc(m);
}

void TKyCustomEdit::DefineProperties(TFiler& filer) {
  TCustomEdit::DefineProperties(filer);
  filer.DefineProperty(
      "xValue",
      [this](TReader& r) {
        std::string text = r.ReadString();
        value_ = SameText(text, "{NULL}") ? Variant::Null() : InvariantTextToValue(text, dataType_);
      },
      [this](TWriter& w) { w.WriteString(value_.IsClear() ? "{NULL}" : ValueToInvariantText(value_)); },
      !value_.IsEmpty());
}

// ---- TKyEdit ----

void TKyEdit::Publish(TPublisher<TKyEdit>& p) {
  using E = TKyEdit;
  PublishBounds(p);
  p.Property("Hint", &E::Hint, &E::SetHint);
  p.Property("HelpContext", &E::HelpContext, &E::SetHelpContext).Default(0);
  p.Property("TabOrder", &E::TabOrder, &E::SetTabOrder).Default(-1);
  p.Property("TabStop", &E::TabStop, &E::SetTabStop).Default(true);
  p.Property("AlignVer", &E::AlignVer, &E::SetAlignVer).Default(alvTop);
  p.Property("AlignHor", &E::AlignHor, &E::SetAlignHor).Default(alhLeft);
  // Before Mask and xValue: both read the value in its type.
  p.Property("DataType", &E::DataType, &E::SetDataType).Default(dtyString);
  p.Property("ValueId", &E::ValueId);
  p.Property("EnterApply", &E::EnterApply, &E::SetEnterApply).Default(false);
  p.Property("Mask", &E::Mask);
  p.Property("TimeChange", &E::TimeChange, &E::SetTimeChange).Default(0);
  p.Property("MaxLength", &E::MaxLength, &E::SetMaxLength).Default(0);
  p.Property("ILabel", &E::ILabel);
  p.Property("CaptionId", &E::CaptionId);
  p.Property("Buttons", &E::Buttons);
  p.Property("Text", &E::TextBlock);
  p.Property("Image", &E::Image);
  p.Property("RefValue", &E::RefValue, &E::SetRefValue);
  p.Property("Shadow", &E::Shadow, &E::SetShadow).Default(false);
  p.Property("SetBackGround", &E::SetBackGround);
  p.Property("SetColBox", &E::SetColBox);
  p.Property("SetColSelBox", &E::SetColSelBox);
  p.Property("BorderStyle", &E::BorderStyle, &E::SetBorderStyle).Default(ebs3D);
  p.Property("EditLines", &E::EditLines, &E::SetEditLines).Default(1);
  p.Property("Transparent", &E::Transparent, &E::SetTransparent).Default(false);
  p.Property("Privilege", &E::Privilege);
  p.Property("ReadOnly", &E::ReadOnly, &E::SetReadOnly).Default(false);
  p.Property("Visible", &E::Visible, &E::SetVisible).Default(true);
  p.Property("Enabled", &E::Enabled, &E::SetEnabled).Default(true);
  p.Event("OnCanModify", &E::OnCanModify);
  p.Event("OnStartEdit", &E::OnStartEdit);
  p.Event("OnValidate", &E::OnValidate);
  p.Event("OnChange", &E::OnChange);
  p.Event("OnButtons", &E::OnButtons);
  PublishMouseEvents(p);
  PublishFocusKeyEvents(p);
  PublishDragProperties(p);
  PublishPopupMenu(p);
  PublishDragEvents(p);
}

void RegisterEditClasses() {
  RegisterClasses({&TKyEdit::StaticClass(), &TKyTimerChange::StaticClass()});
}
