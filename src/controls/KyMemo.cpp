#include "controls/KyMemo.h"

#include <algorithm>
#include <utility>

#include "packages/CForm.h"
#include "platform/graphics/Graphics.h"
#include "platform/windows/NonClient.h"
#include "platform/windows/Publish.h"
#include "skin/Fills.h"
#include "skin/Panel.h"
#include "skin/Shapes.h"

// ---- TKyMemoBlob ----

template <typename F>
void TKyMemoBlob::Change(F change) {
  memo_->StartEdit();
  memo_->BeginBlobChange();
  try {
    change(*memo_->Lines());
  } catch (...) {
    memo_->BlobChanged();
    throw;
  }
  memo_->BlobChanged();
}

void TKyMemoBlob::Clear() {
  Change([](TStrings& lines) { lines.Clear(); });
}

bool TKyMemoBlob::IsEmpty() const {
  const TStrings& lines = *memo_->Lines();
  for (int i = 0; i < lines.Count(); ++i)
    if (!lines[i].empty()) return false;
  return true;
}

void TKyMemoBlob::Assign(const TPersistent* source) {
  if (auto* blob = dynamic_cast<const TKyMemoBlob*>(source)) {
    if (blob == this) return;
    Change([blob](TStrings& lines) { lines.Assign(blob->memo_->Lines()); });
    return;
  }
  if (auto* strings = dynamic_cast<const TStrings*>(source)) {
    Change([strings](TStrings& lines) { lines.Assign(strings); });
    return;
  }
  TKyBlob::Assign(source);
}

void TKyMemoBlob::AssignTo(TPersistent* dest) const {
  if (auto* blob = dynamic_cast<TKyMemoBlob*>(dest)) {
    blob->Assign(this);
    return;
  }
  if (auto* strings = dynamic_cast<TStrings*>(dest)) {
    strings->Assign(memo_->Lines());
    return;
  }
  TKyBlob::AssignTo(dest);
}

void TKyMemoBlob::LoadFromStream(TStream& stream) {
  Change([&stream](TStrings& lines) { lines.LoadFromStream(stream); });
}

void TKyMemoBlob::SaveToStream(TStream& stream) { memo_->Lines()->SaveToStream(stream); }

// ---- TKyCustomMemo ----

TKyCustomMemo::TKyCustomMemo(TComponent* owner)
    : TCustomMemo(owner),
      link_(this, kLinkControl),
      valueId_(std::make_unique<TKyMemoryText>(this)),
      captionId_(std::make_unique<TKyMemoryLabel>(this)),
      blob_(std::make_unique<TKyMemoBlob>(this)),
      text_(std::make_unique<TKyMemoText>(this)),
      innerLabel_(new TKySingleLabel(this)) {
  // The frame is ours, drawn outside the platform window's client area.
  TCustomEdit::SetBorderStyle(bsNone);
  SetScrollBars(ssVertical);
  SetBounds(Left(), Top(), 185, 89);
  background_ = std::make_unique<TKySetBackGround>(
      this, "", dynamic_cast<TKySetBackGround*>(LibraryDefaultSet("Dft_EdBackGround")));
  privilege_ = std::make_unique<TKyPrivilege>(this);
  // The caption sits above the text.
  iLabel_ = std::make_unique<TKyTopILabel>(this, innerLabel_);

  auto look = [this](auto*) { LookChanged(); };
  background_->OnChange = look;
  privilege_->OnChange = look;
  captionId_->OnChange = look;
  text_->OnChange = look;
  // Also told when the active strings package changes: the text follows
  // the language.
  valueId_->OnChange = [this](TKyMemoryReference*) {
    if (!link_.IsBusy()) ShowPackageText();
  };
  iLabel_->OnChange = [this](TKyILabel*) {
    if (!link_.IsBusy()) iLabel_->Update();
  };
  link_.OnLoaded = [this] {
    UpdateDisplay();
    placement_.Record(*this);
  };
}

TKyCustomMemo::~TKyCustomMemo() { Destroying(); }

void TKyCustomMemo::ShowPackageText() {
  if (!valueId_->Resolve()) return;
  std::string text = valueId_->Text();
  if (Lines()->Text() == text) return;
  Lines()->SetText(text);
  SetModified(false);
}

// ---- Editing ----

bool TKyCustomMemo::EventsSuppressed() const {
  for (TComponent* c = Owner(); c; c = c->Owner())
    if (TKyCForm* config = TKyCForm::FindOn(c)) return config->ValidationSuppressed();
  return false;
}

bool TKyCustomMemo::CanModify() {
  if (TCustomEdit::ReadOnly() || !EffectiveEnabled()) return false;
  bool can = true;
  if (OnCanModify) OnCanModify(this, can);
  return can;
}

void TKyCustomMemo::StartEdit() {
  if (editing_) return;
  editing_ = true;
  if (OnStartEdit && !EventsSuppressed()) OnStartEdit(this);
}

void TKyCustomMemo::BlobChanged() {
  if (blobChanging_ > 0) --blobChanging_;
  SetModified(true);
  Change();
}

void TKyCustomMemo::Change() {
  if (blobChanging_ > 0) return;
  // The edit starts with the first change the user's input really makes.
  if (userInput_ > 0) StartEdit();
  TCustomMemo::Change();
}

void TKyCustomMemo::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomMemo::KeyDown(key, shift);
  if (key != VK_DELETE && key != VK_BACK) return;
  if (!CanModify()) key = 0;
}

void TKyCustomMemo::KeyPress(char& key) {
  TCustomMemo::KeyPress(key);
  if (key == 0) return;
  const char kCtrlC = 3, kCtrlA = 1;
  if (key == kCtrlC || key == kCtrlA) return;
  if (key == '\t' && !WantTabs()) return;
  if (!CanModify()) key = 0;
}

void TKyCustomMemo::DoExit() {
  editing_ = false;
  TCustomMemo::DoExit();
}

// ---- Look ----

TRect TKyCustomMemo::FrameWidths() const {
  int32_t n = borderStyle_ == bos3D ? 2 : borderStyle_ == bosSingle ? 1 : 0;
  int32_t shadow = shadow_ ? kDropShadowSize : 0;
  return {n, n, n + shadow, n + shadow};
}

TKyColor TKyCustomMemo::BackColor() {
  TKyColor back = background_->Value();
  if (!EffectiveEnabled())
    if (auto* dis = dynamic_cast<TKySetBackGround*>(LibraryDefaultSet("Dft_EdDisabledBG"))) back = dis->Value();
  if (transparent_ && Parent()) {
    // The parent says what shows behind the text.
    TKyBackgroundQuery q = QueryBackground(Parent());
    if (q.Set) back = q.Set->Value();
  }
  return back;
}

bool TKyCustomMemo::PaintParentBackground(TCanvas& canvas, const TRect& rect, TPoint origin) {
  TKyBackgroundQuery q = Parent() ? QueryBackground(Parent()) : TKyBackgroundQuery{};
  if (!q.Set || !q.Owner) return false;
  // The owner's area in the canvas: the picture continues without a seam.
  TPoint offset = q.Owner->ClientOrigin() - origin;
  TRect area = q.Owner->TWinControl::ClientRect();  // its whole window, margins included
  PaintBackGround(canvas, rect, TRect{}, *q.Set,
                  TRect{offset.X, offset.Y, offset.X + area.Right, offset.Y + area.Bottom});
  return true;
}

bool TKyCustomMemo::ShowsBackdrop() {
  if (!transparent_ || !HandleAllocated() || Focused()) return false;
  TKyBackgroundQuery q = Parent() ? QueryBackground(Parent()) : TKyBackgroundQuery{};
  return q.Set && q.Owner;
}

HBRUSH TKyCustomMemo::BackdropBrush() {
  TRect client = ClientRect();
  TPoint origin = ClientOrigin();
  TRect key{origin.X, origin.Y, origin.X + client.Width(), origin.Y + client.Height()};
  if (!backdropValid_ || key != backdropKey_) {
    backdropBrush_.SetBitmap(nullptr);
    backdrop_.SetSize(std::max(1, client.Width()), std::max(1, client.Height()));
    if (!PaintParentBackground(*backdrop_.Canvas(), client, origin)) return nullptr;
    backdropBrush_.SetBitmap(&backdrop_);
    backdropKey_ = key;
    backdropValid_ = true;
  }
  return backdropBrush_.Handle();
}

void TKyCustomMemo::PaintFrame(TCanvas& canvas, const TRect& window) {
  TRect f = FrameWidths();
  TRect r = window;
  if (shadow_) {
    // The corners beside the shadow show what lies behind the memo.
    TPoint origin = ClientOrigin() - TPoint(f.Left, f.Top);
    const int32_t n = kDropShadowSize;
    for (TRect corner : {TRect{r.Right - n, r.Top, r.Right, r.Top + n}, TRect{r.Left, r.Bottom - n, r.Left + n, r.Bottom}})
      if (!PaintParentBackground(canvas, corner, origin)) {
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(Parent() ? Parent()->Color() : BackColor());
        canvas.FillRect(corner);
      }
    r = PaintDropShadow(canvas, r);
  }
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Brush()->SetColor(BackColor());
  canvas.FillRect(r);
  TKyColor box = LibraryDefaultColor("Dft_ColBox");
  TKyColor light = LibraryDefaultColor("Dft_3DLight"), shadow = LibraryDefaultColor("Dft_3DShadow");
  switch (borderStyle_) {
    case bosNone:
      break;
    case bosSingle:
      Frame3DRect(canvas, r, box, false, box);
      break;
    case bos3D:
      // Sunken outside, the box colour inside.
      Frame3DRect(canvas, r, shadow, false, light);
      Frame3DRect(canvas, r.Inflate(-1, -1), box, false, box);
      break;
  }
}

void TKyCustomMemo::ApplyColors() {
  SetColor(BackColor());
  ApplyTextFont(*Font(), *text_);
}

void TKyCustomMemo::LookChanged() {
  backdropValid_ = false;
  if (!link_.IsBusy()) UpdateDisplay();
}

void TKyCustomMemo::UpdateDisplay() {
  if (captionId_->Resolve()) {
    innerLabel_->SetValue(Variant(captionId_->Caption()));
    // A label without a hint keeps the memo's own.
    if (std::string hint = captionId_->Hint(); !hint.empty()) SetHint(hint);
  }
  TControl::SetVisible(EffectiveVisible());
  TControl::SetEnabled(EffectiveEnabled());
  TCustomEdit::SetReadOnly(readOnlyRequest_ || privilege_->Level() < kPrivilegeFull);
  ApplyColors();
  ShowPackageText();
  backdropValid_ = false;
  iLabel_->Update();
  // A read-only memo is there to be read (a licence): its caption stays
  // in the normal look; only a disabled memo greys it.
  innerLabel_->SetEnabled(EffectiveEnabled());
  if (editLines_ > 0) SetBounds(Left(), Top(), Width(), Height());
  NonClientFrameChanged(*this);
  RedrawNonClientFrame(*this);
  Invalidate();
}

bool TKyCustomMemo::EffectiveEnabled() const { return privilege_->AllowsEnabled(enabledRequest_); }

bool TKyCustomMemo::EffectiveVisible() const { return IsDesigning() || privilege_->AllowsVisible(visibleRequest_); }

void TKyCustomMemo::SetVisible(bool value) {
  visibleRequest_ = value;
  TControl::SetVisible(EffectiveVisible());
  LookChanged();
}

void TKyCustomMemo::SetEnabled(bool value) {
  if (value == enabledRequest_) return;
  enabledRequest_ = value;
  TControl::SetEnabled(EffectiveEnabled());
  LookChanged();
}

void TKyCustomMemo::SetReadOnly(bool value) {
  readOnlyRequest_ = value;
  TCustomEdit::SetReadOnly(value || privilege_->Level() < kPrivilegeFull);
}

void TKyCustomMemo::SetAlignHor(TKyAlignHor value) {
  if (value == alignHor_) return;
  alignHor_ = value;
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
}

void TKyCustomMemo::SetAlignVer(TKyAlignVer value) {
  if (value == alignVer_) return;
  alignVer_ = value;
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
}

void TKyCustomMemo::SetBorderStyle(TKyBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  if (!link_.IsBusy()) {
    NonClientFrameChanged(*this);
    RedrawNonClientFrame(*this);
  }
}

void TKyCustomMemo::SetShadow(bool value) {
  if (value == shadow_) return;
  shadow_ = value;
  // The shadow takes room from the client area.
  if (!link_.IsBusy()) NonClientFrameChanged(*this);
  LookChanged();
}

void TKyCustomMemo::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  LookChanged();
}

void TKyCustomMemo::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  RecreateWnd();
}

void TKyCustomMemo::SetEditLines(int32_t value) {
  value = std::max(value, 0);
  if (value == editLines_) return;
  editLines_ = value;
  if (!link_.IsBusy()) SetBounds(Left(), Top(), Width(), Height());
}

void TKyCustomMemo::SetParent(TWinControl* parent) {
  TCustomMemo::SetParent(parent);
  if (IsDestroying()) return;
  iLabel_->Update();
}

void TKyCustomMemo::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (editLines_ > 0 && !IsLoading() && text_) {
    // As tall as the lines need, with the frame.
    TRect f = FrameWidths();
    int32_t lineHeight = std::abs(text_->SetFont()->Value().Height) + 3;
    height = editLines_ * lineHeight + f.Top + f.Bottom + 2;
  }
  TCustomMemo::SetBounds(left, top, width, height);
  if (IsDestroying() || !iLabel_) return;
  iLabel_->Place();
}

void TKyCustomMemo::Loaded() {
  TCustomMemo::Loaded();
  ShowPackageText();
}

void TKyCustomMemo::CreateParams(TCreateParams& params) {
  TCustomMemo::CreateParams(params);
  if (alignment_ == taRightJustify) params.Style |= ES_RIGHT;
  if (alignment_ == taCenter) params.Style |= ES_CENTER;
}

void TKyCustomMemo::CreateHandleDone() {
  TCustomMemo::CreateHandleDone();
  // The window was sized before it was ours: it takes our frame now.
  NonClientFrameChanged(*this);
}

void TKyCustomMemo::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE:
      KeepNonClientFrame(m, FrameWidths());
      // The scroll bars sit inside our frame: the window takes their room
      // from what is left.
      if (ScrollBars() != ssNone) TCustomMemo::WndProc(m);
      return;
    case WM_NCPAINT:
    case WM_PRINT: {
      LPARAM flags = m.LParam;
      bool painted =
          PaintNonClientFrame(*this, m, [this](TCanvas& canvas, const TRect& window) { PaintFrame(canvas, window); });
      if (ScrollBars() != ssNone) {
        // Then the window draws its scroll bars over our fill.
        m.LParam = flags;
        break;
      }
      if (painted) return;
      break;
    }
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
      if (ShowsBackdrop())
        if (HBRUSH brush = BackdropBrush()) {
          m.Result = TWindowColors::ApplyOver(reinterpret_cast<HDC>(m.WParam), Font()->Color(), brush);
          return;
        }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // Focused, the text is drawn opaquely: typing redraws single lines.
      TCustomMemo::WndProc(m);
      if (transparent_) Invalidate();
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case EM_LINESCROLL:
    case EM_SCROLL:
    case EM_SCROLLCARET:
      // The window scrolls its pixels, background and all: the background
      // stays where it is.
      TCustomMemo::WndProc(m);
      if (ShowsBackdrop()) Invalidate();
      return;
    case WM_SIZE:
    case WM_MOVE:
      backdropValid_ = false;
      break;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
      if (!CanModify()) {
        m.Result = 0;
        return;
      }
      [[fallthrough]];
    case WM_KEYDOWN:
    case WM_CHAR: {
      // Input of the user: a change it makes starts the edit.
      ++userInput_;
      struct TDone {
        int& n;
        ~TDone() { --n; }
      } done{userInput_};
      TCustomMemo::WndProc(m);
      return;
    }
  }
  TCustomMemo::WndProc(m);
}

// ---- Publishing ----

void TKyMemo::Publish(TPublisher<TKyMemo>& p) {
  using C = TKyMemo;
  PublishBounds(p);
  p.Property("Cursor", &C::Cursor, &C::SetCursor).Default(crDefault);
  p.Property("Hint", &C::Hint, &C::SetHint);
  p.Property("TabOrder", &C::TabOrder, &C::SetTabOrder).Default(-1);
  p.Property("TabStop", &C::TabStop, &C::SetTabStop).Default(true);
  p.Property("Align", &C::Align, &C::SetAlign).Default(alNone);
  p.Property("AlignVer", &C::AlignVer, &C::SetAlignVer).Default(alvTop);
  p.Property("AlignHor", &C::AlignHor, &C::SetAlignHor).Default(alhLeft);
  p.Property("ValueId", &C::ValueId);
  p.Property("RegistryDirectory", &C::RegistryDirectory, &C::SetRegistryDirectory);
  p.Property("Text", &C::TextBlock);
  p.Property("ILabel", &C::ILabel);
  p.Property("CaptionId", &C::CaptionId);
  p.Property("EditLines", &C::EditLines, &C::SetEditLines).Default(0);
  p.Property("SetBackGround", &C::SetBackGround);
  p.Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bos3D);
  p.Property("Shadow", &C::Shadow, &C::SetShadow).Default(false);
  p.Property("ScrollBars", &C::ScrollBars, &C::SetScrollBars).Default(ssVertical);
  p.Property("WantTabs", &C::WantTabs, &C::SetWantTabs).Default(false);
  p.Property("WantReturns", &C::WantReturns, &C::SetWantReturns).Default(true);
  p.Property("Alignment", &C::Alignment, &C::SetAlignment).Default(taLeftJustify);
  p.Property("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
  p.Property("Privilege", &C::Privilege);
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("Enabled", &C::Enabled, &C::SetEnabled).Default(true);
  p.Property("ReadOnly", &C::ReadOnly, &C::SetReadOnly).Default(false);
  p.Property("MaxLength", &C::MaxLength, &C::SetMaxLength).Default(0);
  p.Event("OnStartEdit", &C::OnStartEdit);
  p.Event("OnChange", &C::OnChange);
  p.Event("OnCanModify", &C::OnCanModify);
  PublishMouseEvents(p);
  PublishFocusKeyEvents(p);
  PublishDragProperties(p);
  PublishPopupMenu(p);
  PublishDragEvents(p);
}

void RegisterMemoClasses() { RegisterClasses({&TKyMemo::StaticClass()}); }
