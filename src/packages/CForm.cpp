#include "packages/CForm.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "packages/CApplication.h"
#include "packages/MessageService.h"
#include "packages/PkgVars.h"
#include "platform/classes/FormStream.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Palette.h"
#include "platform/graphics/Picture.h"
#include "platform/windows/Application.h"
#include "platform/windows/StdCtrls.h"

namespace {

std::vector<TKyCForm*>& ConfigList() {
  static std::vector<TKyCForm*> list;
  return list;
}

TKyBackgroundPainter& Painter() {
  static TKyBackgroundPainter painter;
  return painter;
}

// The start-up completion runs once per process.
bool gStartUpCompleted = false;

void ForEachControl(TWinControl* parent, const std::function<void(TControl*)>& fn) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    fn(c);
    if (auto* w = dynamic_cast<TWinControl*>(c)) ForEachControl(w, fn);
  }
}

// "a,b,c" into integers; false when any part is not one.
bool ParseIntegers(const std::string& text, std::vector<int32_t>& out) {
  out.clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string part = Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    int32_t value;
    if (!TryStrToInt(part, value)) return false;
    out.push_back(value);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return true;
}

}  // namespace

void SetBackgroundPainter(TKyBackgroundPainter painter) { Painter() = std::move(painter); }

void ResetStartUpCompletion() { gStartUpCompleted = false; }

// ---- Creation ----

TKyCForm::TKyCForm(TComponent* owner) : TComponent(owner), form_(dynamic_cast<TCustomForm*>(owner)) {
  if (owner && owner->IsDesigning()) {
    if (!form_) RaiseMessage(Name(), kSystemPkg, 12);
    if (FindOn(owner)) RaiseMessage(Name(), kSystemPkg, 11);
  }
  ConfigList().push_back(this);
  link_ = std::make_unique<TKyConfigLink>(this, kLinkForm);
  link_->OnAfterLoad = [this](TKyConfigLink&) { FormLoaded(); };
  passLink_.OnChanged = [this] { PackagesChanged(); };
  AddPassListener(&passLink_);
  background_ = std::make_unique<TKySetBackGround>(this, "<Default>",
                                                   dynamic_cast<TKySetBackGround*>(LibraryDefaultSet("Dft_BackGround")));
  background_->OnChange = [this](TKySetObject*) {
    if (form_ && !IsLoading()) form_->Invalidate();
  };
  captionId_ = std::make_unique<TKyMemoryLabel>(this);
  captionId_->OnChange = [this](TKyMemoryReference*) { ApplyCaption(); };
  icon_ = std::make_unique<TKyMemoryImage>(this);
  icon_->OnChange = [this](TKyMemoryImage*) { ApplyIcon(); };
  if (!form_) return;
  form_->SetAutoScroll(false);
  form_->SetShowHint(true);
  form_->SetBorderIcons({biSystemMenu, biMinimize, biMaximize, biHelp});
  savedProc_ = form_->WindowProc;
  form_->WindowProc = [this](TMessage& m) { WndProc(m); };
  hooked_ = true;
}

TKyCForm::~TKyCForm() {
  RemovePassListener(&passLink_);
  if (form_ && hooked_ && !form_->IsDestroying()) {
    if (shown_) Shown(false);
    form_->WindowProc = savedProc_;
  }
  std::erase(ConfigList(), this);
}

void TKyCForm::Publish(TPublisher<TKyCForm>& p) {
  using C = TKyCForm;
  p.Property("IdentInt", &C::IdentInt, &C::SetIdentInt).Default(0);
  p.Property("IdentName", &C::IdentName, &C::SetIdentName);
  p.Property("RegisterOptions", &C::RegisterOptions, &C::SetRegisterOptions).Default(reoAll);
  p.Property("CenterOptions", &C::CenterOptions, &C::SetCenterOptions).Default(ceoPriorWindow);
  p.Property("PkgVars", &C::PkgVars, &C::SetPkgVars).Default(std::string("User"));
  p.Property("Style", &C::Style, &C::SetStyle).Default(fmsNone);
  p.Property("AutoScroll", &C::AutoScroll, &C::SetAutoScroll).Default(false);
  p.Property("BorderIcons", &C::BorderIcons, &C::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize, biHelp});
  p.Property("SetBackGround", &C::SetBackGround);
  p.Property("Caption", &C::Caption, &C::SetCaption);
  p.Property("Hint", &C::Hint, &C::SetHint);
  p.Property("CaptionId", &C::CaptionId);
  p.Property("Icon", &C::Icon);
  p.Property("FormDestroy", &C::FormDestroy, &C::SetFormDestroy).Default(false);
  p.Property("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
  p.Property("RefAdjust", &C::RefAdjust, &C::SetRefAdjust).Default(false);
  p.Property("MinWidth", &C::MinWidth, &C::SetMinWidth).Default(-1);
  p.Property("MaxWidth", &C::MaxWidth, &C::SetMaxWidth).Default(-1);
  p.Property("MinHeight", &C::MinHeight, &C::SetMinHeight).Default(-1);
  p.Property("MaxHeight", &C::MaxHeight, &C::SetMaxHeight).Default(-1);
  p.Property("MaskDecimals", &C::MaskDecimals, &C::SetMaskDecimals).Default(0);
  p.Property("MaskDateYear", &C::MaskDateYear, &C::SetMaskDateYear).Default(dyeYear4);
  p.Property("MaskDateYearFix", &C::MaskDateYearFix, &C::SetMaskDateYearFix).Default(0);
  p.Event("OnInitExec", &C::OnInitExec);
  p.Event("OnFormDestroy", &C::OnFormDestroy);
  p.Event("OnLoadRegistry", &C::OnLoadRegistry);
  p.Event("OnSaveRegistry", &C::OnSaveRegistry);
  p.Event("OnActivate", &C::OnActivate);
  p.Event("OnDeactivate", &C::OnDeactivate);
  p.Event("OnFocusChanged", &C::OnFocusChanged);
}

// The application configuration decides whether the form is scaled,
// whatever the form's own text says.
void TKyCForm::ReadState(TReader& reader) {
  TComponent::ReadState(reader);
  if (!form_) return;
  if (TKyCApplication* app = FirstApplication()) form_->SetScaled(app->Scaled());
}

const std::vector<TKyCForm*>& TKyCForm::List() { return ConfigList(); }

TKyCForm* TKyCForm::FindOn(const TComponent* form) {
  for (TKyCForm* c : ConfigList())
    if (c->Owner() == form) return c;
  return nullptr;
}

TKyCForm* EnsureFormConfig(TCustomForm* form) {
  if (!form || form->IsDesigning()) return nullptr;
  if (TKyCForm* found = TKyCForm::FindOn(form)) return found;
  auto* config = new TKyCForm(form);
  config->SetFormDestroy(false);
  return config;
}

// ---- Properties passed to the form ----

TBorderIcons TKyCForm::BorderIcons() const {
  return form_ ? form_->BorderIcons() : TBorderIcons{biSystemMenu, biMinimize, biMaximize, biHelp};
}

void TKyCForm::SetBorderIcons(TBorderIcons value) {
  if (!form_) return;
  if (IsFixedSize()) value.Exclude(biMaximize);
  form_->SetBorderIcons(value);
}

bool TKyCForm::AutoScroll() const { return form_ ? form_->AutoScroll() : autoScroll_; }

void TKyCForm::SetAutoScroll(bool value) {
  if (form_)
    form_->SetAutoScroll(value);
  else
    autoScroll_ = value;
}

std::string TKyCForm::Caption() const { return form_ ? form_->Caption() : caption_; }

void TKyCForm::SetCaption(const std::string& value) {
  if (form_)
    form_->SetCaption(value);
  else
    caption_ = value;
}

std::string TKyCForm::Hint() const { return form_ ? form_->Hint() : hint_; }

void TKyCForm::SetHint(const std::string& value) {
  if (form_)
    form_->SetHint(value);
  else
    hint_ = value;
}

void TKyCForm::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  if (form_ && !IsLoading()) form_->Invalidate();
}

bool TKyCForm::IsFixedSize() const {
  return style_ == fmsMenuDialog || style_ == fmsNoSizeable || style_ == fmsMDIChildNoSize;
}

// The styles whose saved client size is restored.
bool TKyCForm::RestoresSize() const {
  switch (style_) {
    case fmsNone:
    case fmsNoBorder:
    case fmsSizeable:
    case fmsMDIForm:
    case fmsMDIChildSize:
    case fmsSizeToolWin:
      return true;
    default:
      return false;
  }
}

void TKyCForm::SetStyle(TKyFormStyle value) {
  if (value == style_) return;
  style_ = value;
  ApplyStyle();
}

void TKyCForm::ApplyStyle() {
  if (!form_ || style_ == fmsNone) return;
  // This platform has no multiple-document frames: the MDI styles make
  // normal sizeable forms (children at the default position).
  TFormStyle formStyle = fsNormal;
  TFormBorderStyle border = bsSizeable;
  switch (style_) {
    case fmsNoBorder:
      border = bsNone;
      break;
    case fmsSingle:
      border = bsSingle;
      break;
    case fmsDialog:
      border = bsDialog;
      break;
    case fmsToolWindow:
      formStyle = fsStayOnTop;
      border = bsToolWindow;
      break;
    case fmsSizeToolWin:
      formStyle = fsStayOnTop;
      border = bsSizeToolWin;
      break;
    default:
      break;
  }
  form_->SetFormStyle(formStyle);
  form_->SetBorderStyle(border);
  bool mdiChild = style_ == fmsMDIChildSize || style_ == fmsMDIChildNoSize;
  if (mdiChild) form_->SetPosition(poDefaultPosOnly);
  if (IsFixedSize()) {
    TBorderIcons icons = form_->BorderIcons();
    icons.Exclude(biMaximize);
    form_->SetBorderIcons(icons);
  }
  if (!IsLoading() && !IsDesigning()) {
    form_->SetAutoScroll(false);
    form_->SetVisible(mdiChild);
  }
}

// ---- Form loaded ----

void TKyCForm::FormLoaded() {
  if (!form_ || IsDesigning()) return;
  if (IsFixedSize()) {
    TBorderIcons icons = form_->BorderIcons();
    icons.Exclude(biMaximize);
    form_->SetBorderIcons(icons);
  }
  ApplyIcon();
  ApplyCaption();
  shownModally_ = form_->Modal();
  if (Application && Application->MainForm() && Application->MainForm() != form_ && !form_->Modal())
    form_->Hide();
  TFormBorderStyle border = form_->BorderStyle();
  if (border == bsNone || border == bsSizeable || border == bsSizeToolWin) {
    if (minWidth_ == -1) minWidth_ = form_->Width();
    if (minHeight_ == -1) minHeight_ = form_->Height();
  }
  if (IsFixedSize()) {
    maxWidth_ = form_->Width();
    maxHeight_ = form_->Height();
  }
  // A pixel wider and back: the layout is worked out once more.
  int32_t w = form_->Width();
  form_->SetWidth(w + 1);
  form_->SetWidth(w);
  RecordNormal();
  loadedDone_ = true;
  if (Application && Application->MainForm()) form_->NotifyControls(CM_FORMLOADED);
}

void TKyCForm::RecordNormal() {
  if (!form_ || form_->WindowState() != wsNormal) return;
  normal_ = {form_->Left(), form_->Top(), form_->ClientWidth(), form_->ClientHeight()};
}

void TKyCForm::ApplyIcon() {
  if (!form_) return;
  std::unique_ptr<TGraphic> graphic;
  try {
    graphic = icon_->Graphic();
  } catch (const Exception&) {
    // A picture that does not decode gives the form no icon of its own.
  }
  if (auto* icon = dynamic_cast<TIcon*>(graphic.get()))
    form_->Icon()->Assign(icon);
  else
    form_->Icon()->Assign(nullptr);
}

void TKyCForm::ApplyCaption() {
  if (!form_ || !captionId_->Resolve()) return;
  form_->SetCaption(captionId_->Caption());
  form_->SetHint(captionId_->Hint());
}

void TKyCForm::PackagesChanged() {
  if (!form_ || form_->IsDestroying() || IsDestroying()) return;
  ApplyCaption();
  ApplyIcon();
  if (IsDesigning()) return;
  form_->Invalidate();
  if (LibraryLoadedPassRunning()) return;
  uint32_t msg = KyMessageMaster();
  for (int i = 0; i < form_->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(form_->Controls(i))) w->Perform(msg, kMmBackgroundChanged, 0);
}

void TKyCForm::NotifyAll() {
  // A copy: a notified form may close.
  std::vector<TKyCForm*> list = ConfigList();
  for (TKyCForm* c : list)
    if (std::find(ConfigList().begin(), ConfigList().end(), c) != ConfigList().end()) c->PackagesChanged();
}

// ---- Saved layout ----

std::string TKyCForm::Identification() const {
  std::string ident = identName_;
  if (ident.empty()) {
    const std::string& name = form_ ? form_->Name() : std::string();
    ident = name.substr(0, name.find('_'));
  }
  if (identInt_ > 0) ident.append("_").append(std::to_string(identInt_));
  return ident;
}

bool TKyCForm::ShownModally() const { return form_ ? (form_->Modal() || shownModally_) : false; }

std::string TKyCForm::VarPath(const std::string& valueName) const {
  std::string path = Identification();
  if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += "\\";
  path += ShownModally() ? "__Modal__/" : "__Show__/";
  return path + valueName;
}

TKyPkgVars* TKyCForm::VarsPackage() const { return FindVarsPackage(pkgVars_); }

std::string TKyCForm::LayoutText() const {
  int32_t ppi = form_ ? form_->PixelsPerInch() : 96;
  int32_t state = form_ ? static_cast<int32_t>(form_->WindowState()) : 0;
  std::vector<int32_t> values{normal_.Left, normal_.Top, normal_.ClientWidth, normal_.ClientHeight, state,
                              minWidth_,    minHeight_,  maxWidth_,          maxHeight_,          ppi};
  std::string text;
  for (size_t i = 0; i < values.size(); ++i) text.append(i ? "," : "").append(std::to_string(values[i]));
  return text;
}

void TKyCForm::SaveRegistry() {
  if (!form_ || registerOptions_ == reoNone) return;
  TKyPkgVars* vars = VarsPackage();
  if (!vars) return;
  vars->WriteString(VarPath("__Info__"), LayoutText());
  ForEachControl(form_, [this](TControl* c) {
    if (auto* r = dynamic_cast<IKyRegisterValues*>(c)) r->SaveValues(*this);
  });
  if (OnSaveRegistry) OnSaveRegistry(this);
}

void TKyCForm::CenterForm() {
  if (!form_ || centerOptions_ == ceoNone) return;
  TRect area = Screen ? Screen->WorkArea() : TRect{0, 0, 800, 600};
  TRect on = area;
  if (centerOptions_ == ceoPriorWindow && Screen) {
    TCustomForm* prior = Screen->ActiveForm();
    if (prior && prior != form_ && prior->Showing()) on = prior->BoundsRect();
  }
  int32_t w = form_->Width(), h = form_->Height();
  int32_t x = on.Left + (on.Width() - w) / 2;
  int32_t y = on.Top + (on.Height() - h) / 2;
  // The caption stays on the screen.
  x = std::max(area.Left, std::min(x, area.Right - w));
  y = std::max(area.Top, std::min(y, area.Bottom - h));
  form_->SetBounds(x, y, w, h);
}

void TKyCForm::LoadRegistry() {
  if (!form_ || registerOptions_ == reoNone) return;
  TKyPkgVars* vars = VarsPackage();
  std::vector<int32_t> v;
  std::string info = vars ? vars->ReadString(VarPath("__Info__"), "") : std::string();
  if (!ParseIntegers(info, v) || v.size() != 10 || v[2] <= 0 || v[3] <= 0 || v[4] < wsNormal || v[4] > wsMaximized) {
    // Nothing usable saved: the form as designed, centred.
    CenterForm();
    stateToRestore_ = wsNormal;
  } else {
    if (RestoresSize()) {
      int32_t cw = v[2], ch = v[3];
      if (form_->Scaled() && v[9] > 0)
        if (TKyCApplication* app = FirstApplication()) {
          cw = app->ScaleFontHeight(cw, v[9]);
          ch = app->ScaleFontHeight(ch, v[9]);
        }
      form_->SetFormClientWidth(cw);
      form_->SetFormClientHeight(ch);
    }
    if (registerOptions_ == reoAll)
      form_->SetBounds(v[0], v[1], form_->Width(), form_->Height());
    else
      CenterForm();
    // Kept for the showing: a form read while shown keeps its state.
    stateToRestore_ = static_cast<TWindowState>(v[4]);
  }
  RecordNormal();
  ForEachControl(form_, [this](TControl* c) {
    if (auto* r = dynamic_cast<IKyRegisterValues*>(c)) r->LoadValues(*this);
  });
  if (OnLoadRegistry) OnLoadRegistry(this);
}

void TKyCForm::SaveVarsFiles() {
  TKyPkgVars* vars = VarsPackage();
  if (!vars || vars->InitMode() != rimFILE || vars->FileName().empty()) return;
  // The other open forms that keep their layout there save theirs first.
  for (TKyCForm* other : ConfigList())
    if (other != this && other->shown_ && other->VarsPackage() == vars) other->SaveRegistry();
  vars->Save();
}

// Showing and hiding: the layout comes back before the window shows and is
// kept when it goes.
void TKyCForm::Shown(bool show) {
  if (show == shown_) return;
  shown_ = show;
  if (show) {
    LoadRegistry();
    // The window is not on the screen yet: it shows in the saved state.
    form_->SetWindowState(stateToRestore_);
    return;
  }
  SaveRegistry();
  try {
    SaveVarsFiles();
  } catch (...) {
    // The layout is not worth losing the form over.
    if (Application) Application->HandleException(this);
  }
}

// ---- Start-up completion of the main form ----

void TKyCForm::CompleteStartUp() {
  TKyCApplication* app = FirstApplication();
  if (gStartUpCompleted || !app || app->Owner() != form_ || !Application) return;
  gStartUpCompleted = true;
  if (!Application->TerminateRequested()) {
    uint64_t until = LoadingStartTick() + static_cast<uint64_t>(std::max(0, app->MinTimeLoad())) * 1000u;
    if (SteadyTickCount() < until) {
      form_->SetEnabled(false);
      // Messages are handled meanwhile; the wait for one ends at the deadline.
      for (uint64_t now = SteadyTickCount(); now < until && !Application->TerminateRequested();
           now = SteadyTickCount())
        Application->HandleMessage(static_cast<uint32_t>(until - now));
      form_->SetEnabled(true);
    }
  }
  // Told with Terminate false whatever happened before; a request from
  // either event (or one during the wait) ends the program.
  bool terminate = false;
  if (app->OnAfterLoaded) app->OnAfterLoaded(app, terminate);
  if (terminate || app->TerminateBeforeLoaded() || Application->TerminateRequested()) {
    form_->Hide();
    Application->Terminate();
  }
}

// ---- The window procedure ----

void TKyCForm::PaintBackground(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  std::optional<TPaletteSelection> palette;
  if (HPALETTE p = form_->GetPalette()) palette.emplace(dc, p);
  TCanvas canvas;
  canvas.SetHandle(dc);
  TRect client = form_->ClientRect();
  TKySetBackGround* set = background_.get();
  TRect area = client;
  // A transparent form inside another control continues the background
  // of the control that paints behind it, as if the form were not there.
  if (transparent_ && form_->Parent()) {
    TKyBackgroundQuery query;
    uint32_t msg = KyMessageMaster();
    for (TWinControl* c = form_->Parent(); c && !query.Set; c = c->Parent())
      c->Perform(msg, kMmBackgroundQuery, reinterpret_cast<LPARAM>(&query));
    if (query.Set && query.Owner) {
      TPoint offset = query.Owner->ClientOrigin() - form_->ClientOrigin();
      TRect ownerArea = query.Owner->TWinControl::ClientRect();
      set = query.Set;
      area = TRect{offset.X, offset.Y, offset.X + ownerArea.Width(), offset.Y + ownerArea.Height()};
    }
  }
  {
    TClipRecall clip(canvas);
    canvas.IntersectClipRect(client);
    if (Painter()) {
      Painter()(canvas, area, *set, false);
    } else {
      canvas.Brush()->SetColor(set->Value());
      canvas.FillRect(client);
    }
  }
  canvas.SetHandle(nullptr);
  m.Result = 1;
}

bool TKyCForm::ChildKey(uint16_t key, TWinControl* control) {
  if (control && control->Perform(CM_WANTSPECIALKEY, key) != 0) return false;
  TKyCApplication* app = FirstApplication();
  TKyPkgSetupKeys* keys = app ? app->PkgSetup()->Keys() : nullptr;
  TShiftState shift = KeyboardShiftState();
  bool ctrl = shift.Contains(ssCtrl), alt = shift.Contains(ssAlt), shiftDown = shift.Contains(ssShift);
  if (key == VK_INSERT && !ctrl && !alt && !shiftDown) {
    if (keys) keys->SetInsertMode(!keys->InsertMode());
    return keys != nullptr;
  }
  if ((key == VK_UP || key == VK_DOWN) && ctrl && !alt && !shiftDown) {
    form_->SelectNext(control, key == VK_DOWN, true);
    return true;
  }
  if (key == VK_RETURN && !ctrl && keys && keys->EnterAsTab()) {
    bool pushButton = dynamic_cast<TButton*>(control) || dynamic_cast<IKyPushButton*>(control);
    if (!pushButton) {
      // A previewing form, or the form itself with the focus, sees the key
      // first (only here: it never arrives once the focus has moved on).
      if (form_->KeyPreview() || control == form_) {
        uint16_t k = key;
        form_->KeyDown(k, shift);
        if (k == 0) return true;
      }
      form_->SelectNext(control, !shiftDown, true);
      return true;
    }
  }
  if (keys)
    if (auto* data = dynamic_cast<IKyDataControl*>(control)) {
      TShortCut pressed = key | (shiftDown ? 0x2000 : 0) | (ctrl ? 0x4000 : 0) | (alt ? 0x8000 : 0);
      for (int k = skInsert; k < kSetupKeyCount; ++k)
        if (keys->Key(static_cast<TKySetupKey>(k)) == pressed)
          return data->DataAction(static_cast<TKySetupKey>(k));
    }
  return false;
}

void TKyCForm::WndProc(TMessage& m) {
  if (m.Msg == KyMessageMaster() && m.Msg != 0 && static_cast<int32_t>(m.WParam) == kMmBackgroundQuery &&
      !transparent_) {
    // Transparent controls directly on the form show its background.
    if (auto* query = reinterpret_cast<TKyBackgroundQuery*>(m.LParam)) {
      query->Set = background_.get();
      query->Owner = form_;
      m.Result = 1;
      return;
    }
  }
  switch (m.Msg) {
    case WM_ERASEBKGND:
      if (m.LParam == kEraseInPaintPass) {
        PaintBackground(m);
        return;
      }
      break;
    case WM_GETMINMAXINFO:
      savedProc_(m);
      SetTrackingLimits(m, minWidth_, minHeight_, maxWidth_, maxHeight_);
      return;
    case CM_FORMSHOWING:
      if (!IsDesigning()) Shown(m.WParam != 0);
      break;
    case WM_SHOWWINDOW:
      savedProc_(m);
      // Once the window shows: the main form finishes the start-up.
      if (m.WParam && !gStartUpCompleted) form_->PostToWindow(CM_STARTUPCOMPLETE);
      return;
    case CM_STARTUPCOMPLETE:
      CompleteStartUp();
      return;
    case WM_WINDOWPOSCHANGED:
      savedProc_(m);
      if (loadedDone_ && form_->Showing()) RecordNormal();
      return;
    case WM_DESTROY:
      if (shown_) Shown(false);
      break;
    case CM_CHILDKEY:
      if (ChildKey(static_cast<uint16_t>(m.WParam), reinterpret_cast<TWinControl*>(m.LParam))) {
        m.Result = 1;
        return;
      }
      break;
    case WM_ACTIVATE:
      savedProc_(m);
      if (LoWordOf(static_cast<LPARAM>(m.WParam)) != 0) {
        if (OnActivate) OnActivate(this);
      } else if (OnDeactivate) {
        OnDeactivate(this);
      }
      return;
  }
  savedProc_(m);
}

uint32_t KyMessageMaster() {
  static const uint32_t id = RegisterMessageName(kMessageMasterName);
  return id;
}

void RegisterFormConfigClasses() { RegisterClasses({&TKyCForm::StaticClass()}); }
