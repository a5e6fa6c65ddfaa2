#include "platform/windows/StdCtrls.h"

#include "platform/os/WinApi.h"

#include <algorithm>
#include <cctype>

#include "platform/windows/Publish.h"

// ---- TWindowColors ----

LRESULT TWindowColors::Apply(HDC dc, TKyColor textColor, TKyColor backColor) {
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(textColor)));
  SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(backColor)));
  if (!brush_ || brushColor_ != backColor) {
    brush_.Reset(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(backColor))));
    brushColor_ = backColor;
  }
  return reinterpret_cast<LRESULT>(brush_.Get());
}

LRESULT TWindowColors::ApplyOver(HDC dc, TKyColor textColor, HBRUSH brush) {
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(textColor)));
  SetBkMode(dc, TRANSPARENT);
  // The picture starts at the window's corner also when the window is
  // painted into another one's DC at an offset (PaintTo, WM_PRINT).
  POINT corner{0, 0};
  LPtoDP(dc, &corner, 1);
  SetBrushOrgEx(dc, corner.x, corner.y, nullptr);
  return reinterpret_cast<LRESULT>(brush);
}

namespace {

// Puts every string of items into a list window (LB_ or CB_ messages).
void FillWindowList(HWND window, UINT resetMessage, UINT addMessage, const TStrings& items) {
  SendMessageA(window, resetMessage, 0, 0);
  for (int i = 0; i < items.Count(); ++i)
    SendMessageA(window, addMessage, 0, reinterpret_cast<LPARAM>(items.Strings(i).c_str()));
}

}  // namespace

// ---- TCustomEdit ----

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(kClWindow);
  controlStyle_ = {csClickEvents, csSetCaption, csDoubleClicks};
}

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "EDIT";
  params.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (readOnly_) params.Style |= ES_READONLY;
  if (!hideSelection_) params.Style |= ES_NOHIDESEL;
  if (charCase_ == ecUpperCase) params.Style |= ES_UPPERCASE;
  else if (charCase_ == ecLowerCase) params.Style |= ES_LOWERCASE;
  if (borderStyle_ == bsSingle) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateHandleDone() {
  HWND h = Handle();
  SendMessageA(h, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  if (passwordChar_) SendMessageA(h, EM_SETPASSWORDCHAR, static_cast<uint8_t>(passwordChar_), 0);
  SendMessageA(h, EM_SETMODIFY, modified_ ? TRUE : FALSE, 0);
  SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(selStart_), static_cast<LPARAM>(selStart_ + selLength_));
}

void TCustomEdit::SetMaxLength(int32_t value) {
  value = std::max(value, 0);
  if (value == maxLength_) return;
  maxLength_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TCustomEdit::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

void TCustomEdit::SetPasswordChar(char value) {
  if (value == passwordChar_) return;
  passwordChar_ = value;
  if (HandleAllocated()) {
    SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<uint8_t>(value), 0);
    Invalidate();
  }
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (value == charCase_) return;
  charCase_ = value;
  RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TFormBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value == bsNone ? bsNone : bsSingle;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool value) {
  if (value == hideSelection_) return;
  hideSelection_ = value;
  RecreateWnd();
}

bool TCustomEdit::Modified() const {
  if (!HandleAllocated()) return modified_;
  return SendMessageA(const_cast<TCustomEdit*>(this)->Handle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool value) {
  modified_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETMODIFY, value ? TRUE : FALSE, 0);
}

int32_t TCustomEdit::SelStart() const {
  if (!HandleAllocated()) return selStart_;
  DWORD start = 0, end = 0;
  SendMessageA(const_cast<TCustomEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int32_t>(start);
}

int32_t TCustomEdit::SelLength() const {
  if (!HandleAllocated()) return selLength_;
  DWORD start = 0, end = 0;
  SendMessageA(const_cast<TCustomEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int32_t>(end - start);
}

void TCustomEdit::SetSelStart(int32_t value) {
  selStart_ = std::max(value, 0);
  selLength_ = 0;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(selStart_), selStart_);
}

void TCustomEdit::SetSelLength(int32_t value) {
  int32_t start = SelStart();
  selStart_ = start;
  selLength_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start + value);
}

std::string TCustomEdit::SelText() const {
  std::string t = Text();
  int32_t s = std::min<int32_t>(SelStart(), static_cast<int32_t>(t.size()));
  int32_t n = std::min<int32_t>(SelLength(), static_cast<int32_t>(t.size()) - s);
  return n > 0 ? t.substr(static_cast<size_t>(s), static_cast<size_t>(n)) : std::string();
}

void TCustomEdit::SetSelText(const std::string& value) {
  if (HandleAllocated()) {
    SendMessageA(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(value.c_str()));
    return;
  }
  std::string t = Text();
  size_t s = std::min(static_cast<size_t>(selStart_), t.size());
  size_t n = std::min(static_cast<size_t>(std::max(selLength_, 0)), t.size() - s);
  t.replace(s, n, value);
  selStart_ = static_cast<int32_t>(s + value.size());
  selLength_ = 0;
  SetTextValue(t);
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, 0, -1);
  else {
    selStart_ = 0;
    selLength_ = static_cast<int32_t>(Text().size());
  }
}

void TCustomEdit::CopyToClipboard() { SendMessageA(Handle(), WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { SendMessageA(Handle(), WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { SendMessageA(Handle(), WM_PASTE, 0, 0); }
void TCustomEdit::Undo() { SendMessageA(Handle(), EM_UNDO, 0, 0); }
bool TCustomEdit::CanUndo() const {
  return HandleAllocated() && SendMessageA(const_cast<TCustomEdit*>(this)->Handle(), EM_CANUNDO, 0, 0) != 0;
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::DoEnter() {
  if (autoSelect_ && HandleAllocated() && !(GetKeyState(VK_LBUTTON) < 0)) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      // The window may report a change that changed nothing (a key past
      // MaxLength): only real changes count.
      if (HIWORD(m.WParam) == EN_CHANGE && !ControlState().Contains(csCreating)) {
        std::string now = Text();
        if (now != lastText_) {
          lastText_ = now;
          Change();
        }
      }
      return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
      m.Result = colors_.Apply(reinterpret_cast<HDC>(m.WParam), Font()->Color(), Color());
      return;
    case CM_TEXTCHANGED:
      // Set in code: with a window, the window reported it already.
      if (Text() != lastText_) {
        lastText_ = Text();
        Change();
      }
      TextChanged();
      return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
      TWinControl::WndProc(m);
      if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, TRUE);
      return;
  }
  TWinControl::WndProc(m);
}

void TEdit::Publish(TPublisher<TEdit>& p) {
  PublishWinControl(p);
  p.Property("Text", &TEdit::Text, &TEdit::SetTextValue);
  p.Property("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength).Default(0);
  p.Property("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly).Default(false);
  p.Property("PasswordChar", &TEdit::PasswordCharText, &TEdit::SetPasswordCharText);
  p.Property("CharCase", &TEdit::CharCase, &TEdit::SetCharCase).Default(ecNormal);
  p.Property("AutoSelect", &TEdit::AutoSelect, &TEdit::SetAutoSelect).Default(true);
  p.Property("BorderStyle", &TEdit::BorderStyle, &TEdit::SetBorderStyle).Default(bsSingle);
  p.Property("HideSelection", &TEdit::HideSelection, &TEdit::SetHideSelection).Default(true);
  p.Property("Color", &TEdit::Color, &TEdit::SetColor).Default(kClWindow).Idents(ColorIdents());
  p.Property("TabStop", &TEdit::TabStop, &TEdit::SetTabStop).Default(true);
  p.Event("OnChange", &TEdit::OnChange);
}

// ---- TCustomMemo ----

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), lines_(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 185, 89);
  lines_->OnChange = [this](TObject*) { LinesChanged(); };
}

TCustomMemo::~TCustomMemo() { lines_->OnChange = nullptr; }

void TCustomMemo::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  params.Style &= ~static_cast<uint32_t>(ES_AUTOHSCROLL);
  params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (!wordWrap_) params.Style |= ES_AUTOHSCROLL;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) params.Style |= WS_VSCROLL;
  if ((scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) && !wordWrap_) params.Style |= WS_HSCROLL;
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
  if (value == scrollBars_) return;
  scrollBars_ = value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  RecreateWnd();
}

void TCustomMemo::LinesChanged() {
  if (syncing_) return;
  syncing_ = true;
  std::string text = lines_->Text();
  // The last line has no line break of its own.
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  try {
    SetTextValue(text);
  } catch (...) {
    syncing_ = false;
    throw;
  }
  syncing_ = false;
}

void TCustomMemo::ReloadLines() {
  if (syncing_) return;
  syncing_ = true;
  try {
    lines_->SetText(Text());
  } catch (...) {
    syncing_ = false;
    throw;
  }
  syncing_ = false;
}

void TCustomMemo::Change() {
  ReloadLines();
  TCustomEdit::Change();
}

void TCustomMemo::TextChanged() {
  ReloadLines();
  TCustomEdit::TextChanged();
}

void TCustomMemo::WndProc(TMessage& m) {
  if (m.Msg == WM_GETDLGCODE) {
    TCustomEdit::WndProc(m);
    // Enter and Tab belong to the form unless the memo wants them.
    if (!wantReturns_ || GetKeyState(VK_CONTROL) < 0) m.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    if (!wantTabs_) m.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
    else m.Result |= DLGC_WANTTAB;
    return;
  }
  TCustomEdit::WndProc(m);
}

void TMemo::Publish(TPublisher<TMemo>& p) {
  PublishWinControl(p);
  p.Property("Lines", &TMemo::Lines);
  p.Property("MaxLength", &TMemo::MaxLength, &TMemo::SetMaxLength).Default(0);
  p.Property("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly).Default(false);
  p.Property("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars).Default(ssNone);
  p.Property("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap).Default(true);
  p.Property("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns).Default(true);
  p.Property("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs).Default(false);
  p.Property("BorderStyle", &TMemo::BorderStyle, &TMemo::SetBorderStyle).Default(bsSingle);
  p.Property("Color", &TMemo::Color, &TMemo::SetColor).Default(kClWindow).Idents(ColorIdents());
  p.Property("TabStop", &TMemo::TabStop, &TMemo::SetTabStop).Default(true);
  p.Event("OnChange", &TMemo::OnChange);
}

// ---- TButton ----

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
  SetColor(kClBtnFace);
  controlStyle_ = {csSetCaption, csDoubleClicks};
}

void TButton::Publish(TPublisher<TButton>& p) {
  PublishWinControl(p);
  p.Property("Caption", &TButton::Caption, &TButton::SetCaption);
  p.Property("Default", &TButton::Default, &TButton::SetDefault).Default(false);
  p.Property("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
  p.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(mrNone).Idents(ModalResultIdents());
  p.Property("TabStop", &TButton::TabStop, &TButton::SetTabStop).Default(true);
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "BUTTON";
  params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  active_ = default_;
}

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  if (HandleAllocated()) {
    // The whole form hears it, so that every button shows its style anew.
    TCustomForm* form = ParentForm();
    TWinControl* focused = form ? form->ActiveControl() : nullptr;
    if (form) form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(focused));
    else Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(focused));
  }
}

void TButton::SetButtonStyle(bool isDefault) {
  active_ = isDefault;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::DoClick() {
  if (modalResult_ != mrNone)
    if (TCustomForm* form = ParentForm()) form->SetModalResult(modalResult_);
  TWinControl::DoClick();
}

void TButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (HIWORD(m.WParam) == BN_CLICKED) Click();
      return;
    case CN_CTLCOLORBTN:
      m.Result = 0;
      return;
    case CM_DIALOGKEY:
      if (((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && cancel_)) && CanFocus()) {
        Click();
        m.Result = 1;
      }
      return;
    case CM_DIALOGCHAR: {
      // The character after "&" in the caption clicks.
      std::string caption = Caption();
      size_t amp = caption.find('&');
      while (amp != std::string::npos && amp + 1 < caption.size() && caption[amp + 1] == '&')
        amp = caption.find('&', amp + 2);
      if (amp != std::string::npos && amp + 1 < caption.size() && CanFocus() &&
          std::toupper(static_cast<unsigned char>(caption[amp + 1])) ==
              std::toupper(static_cast<unsigned char>(m.WParam & 0xFF))) {
        Click();
        m.Result = 1;
      }
      return;
    }
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
      if (focused == this) SetButtonStyle(true);
      else if (dynamic_cast<TButton*>(focused)) SetButtonStyle(false);
      else SetButtonStyle(default_);
      return;
    }
  }
  TWinControl::WndProc(m);
}

TOwnerDrawItem OwnerDrawItemOf(const TMessage& m) {
  auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
  TOwnerDrawItem item;
  item.DC = dis->hDC;
  item.Rect = {dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom};
  if (dis->itemState & ODS_SELECTED) item.State.Include(odSelected);
  if (dis->itemState & ODS_FOCUS) item.State.Include(odFocused);
  if (dis->itemState & ODS_DISABLED) item.State.Include(odDisabled);
  return item;
}

// ---- TCustomListBox ----

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TStringList>()), canvas_(std::make_unique<TControlCanvas>(this)) {
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetColor(kClWindow);
  items_->OnChange = [this](TObject*) { ItemsChanged(); };
  // Clicks come from the list's own notifications.
  controlStyle_ = {csSetCaption, csDoubleClicks, csOpaque};
}

TCustomListBox::~TCustomListBox() { items_->OnChange = nullptr; }

void TCustomListBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "LISTBOX";
  params.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | LBS_HASSTRINGS;
  if (style_ == lbOwnerDrawFixed) params.Style |= LBS_OWNERDRAWFIXED;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateHandleDone() {
  HWND h = Handle();
  if (style_ == lbOwnerDrawFixed) SendMessageA(h, LB_SETITEMHEIGHT, 0, itemHeight_);
  FillWindowList(h, LB_RESETCONTENT, LB_ADDSTRING, *items_);
  SendMessageA(h, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TCustomListBox::ItemsChanged() {
  if (!HandleAllocated()) {
    if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
    return;
  }
  int32_t index = ItemIndex();
  int32_t top = TopIndex();
  HWND h = Handle();
  SendMessageA(h, WM_SETREDRAW, FALSE, 0);
  FillWindowList(h, LB_RESETCONTENT, LB_ADDSTRING, *items_);
  if (index < items_->Count()) SendMessageA(h, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(h, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(top, 0)), 0);
  SendMessageA(h, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(h, nullptr, TRUE);
}

int32_t TCustomListBox::ItemIndex() const {
  if (!HandleAllocated()) return itemIndex_;
  return static_cast<int32_t>(SendMessageA(const_cast<TCustomListBox*>(this)->Handle(), LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int32_t value) {
  if (value < -1 || value >= items_->Count()) value = -1;
  itemIndex_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void TCustomListBox::SetItemHeight(int32_t value) {
  if (value <= 0 || value == itemHeight_) return;
  itemHeight_ = value;
  if (HandleAllocated() && style_ == lbOwnerDrawFixed) RecreateWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
  if (value == style_) return;
  style_ = value;
  RecreateWnd();
}

int32_t TCustomListBox::TopIndex() const {
  if (!HandleAllocated()) return 0;
  return static_cast<int32_t>(SendMessageA(const_cast<TCustomListBox*>(this)->Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int32_t value) {
  if (HandleAllocated()) SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(std::max(value, 0)), 0);
}

TRect TCustomListBox::ItemRect(int32_t index) const {
  RECT r{};
  if (!HandleAllocated() ||
      SendMessageA(const_cast<TCustomListBox*>(this)->Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&r)) == LB_ERR)
    return {};
  return {r.left, r.top, r.right, r.bottom};
}

int32_t TCustomListBox::ItemAtPos(TPoint p) const {
  if (!HandleAllocated()) return -1;
  LRESULT r = SendMessageA(const_cast<TCustomListBox*>(this)->Handle(), LB_ITEMFROMPOINT, 0, PointToLParam(p.X, p.Y));
  if (HIWORD(r) != 0) return -1;
  int32_t index = LOWORD(r);
  return index < items_->Count() ? index : -1;
}

void TCustomListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  TCanvas* c = canvas_.get();
  c->FillRect(rect);
  if (index >= 0 && index < items_->Count()) c->TextOut(rect.Left + 2, rect.Top, items_->Strings(index));
}

void TCustomListBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      switch (HIWORD(m.WParam)) {
        case LBN_SELCHANGE:
          itemIndex_ = ItemIndex();
          Click();
          break;
        case LBN_DBLCLK:
          DblClick();
          break;
      }
      return;
    case CN_CTLCOLORLISTBOX:
      m.Result = colors_.Apply(reinterpret_cast<HDC>(m.WParam), Font()->Color(), Color());
      return;
    case CN_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      TOwnerDrawState state;
      if (dis->itemState & ODS_SELECTED) state.Include(odSelected);
      if (dis->itemState & ODS_FOCUS) state.Include(odFocused);
      if (dis->itemState & ODS_DISABLED) state.Include(odDisabled);
      TRect r{dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom};
      canvas_->Lock();
      canvas_->SetPaintHandle(dis->hDC);
      struct TEnd {
        TControlCanvas* c;
        ~TEnd() {
          c->SetPaintHandle(nullptr);
          c->Unlock();
        }
      } end{canvas_.get()};
      canvas_->Font()->Assign(Font());
      if (state.Contains(odSelected)) {
        canvas_->Brush()->SetColor(kClHighlight);
        canvas_->Font()->SetColor(kClHighlightText);
      } else {
        canvas_->Brush()->SetColor(Color());
      }
      DrawItem(static_cast<int>(dis->itemID), r, state);
      if (state.Contains(odFocused)) DrawFocusRect(dis->hDC, &dis->rcItem);
      m.Result = 1;
      return;
    }
    case CN_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
      mis->itemHeight = static_cast<UINT>(itemHeight_);
      m.Result = 1;
      return;
    }
  }
  TWinControl::WndProc(m);
}

void TListBox::Publish(TPublisher<TListBox>& p) {
  PublishWinControl(p);
  p.Property("Items", &TListBox::Items);
  p.Property("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight).Default(16);
  p.Property("Style", &TListBox::Style, &TListBox::SetStyle).Default(lbStandard);
  p.Property("Color", &TListBox::Color, &TListBox::SetColor).Default(kClWindow).Idents(ColorIdents());
  p.Property("TabStop", &TListBox::TabStop, &TListBox::SetTabStop).Default(true);
}

// ---- TCustomComboBox ----

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetColor(kClWindow);
  items_->OnChange = [this](TObject*) { ItemsChanged(); };
  controlStyle_ = {csSetCaption, csDoubleClicks};
}

TCustomComboBox::~TCustomComboBox() { items_->OnChange = nullptr; }

void TCustomComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "COMBOBOX";
  params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
  switch (style_) {
    case csDropDown: params.Style |= CBS_DROPDOWN; break;
    case csSimple: params.Style |= CBS_SIMPLE; break;
    case csDropDownList: params.Style |= CBS_DROPDOWNLIST; break;
  }
  // The height of a drop-down combo box includes its list.
  if (style_ != csSimple) params.Height = Height() + 20 * std::max(dropDownCount_, 1);
}

void TCustomComboBox::CreateHandleDone() {
  HWND h = Handle();
  FillWindowList(h, CB_RESETCONTENT, CB_ADDSTRING, *items_);
  if (itemIndex_ >= 0) SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
  RECT r;
  GetWindowRect(h, &r);
  UpdateBoundsRect(TRect::Bounds(Left(), Top(), Width(), r.bottom - r.top));
}

void TCustomComboBox::ItemsChanged() {
  if (!HandleAllocated()) {
    if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
    return;
  }
  int32_t index = ItemIndex();
  HWND h = Handle();
  FillWindowList(h, CB_RESETCONTENT, CB_ADDSTRING, *items_);
  if (index < items_->Count()) SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int32_t TCustomComboBox::ItemIndex() const {
  if (!HandleAllocated()) return itemIndex_;
  return static_cast<int32_t>(SendMessageA(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int32_t value) {
  if (value < -1 || value >= items_->Count()) value = -1;
  itemIndex_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(value), 0);
  else if (value >= 0) SetTextValue(items_->Strings(value));
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (value == style_) return;
  style_ = value;
  RecreateWnd();
}

bool TCustomComboBox::DroppedDown() const {
  return HandleAllocated() &&
         SendMessageA(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value) {
  if (HandleAllocated()) SendMessageA(Handle(), CB_SHOWDROPDOWN, value ? TRUE : FALSE, 0);
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      switch (HIWORD(m.WParam)) {
        case CBN_SELCHANGE:
          itemIndex_ = ItemIndex();
          Change();
          Click();
          break;
        case CBN_EDITCHANGE:
          Change();
          break;
      }
      return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC:
      m.Result = colors_.Apply(reinterpret_cast<HDC>(m.WParam), Font()->Color(), Color());
      return;
    case WM_GETDLGCODE:
      TWinControl::WndProc(m);
      // An open list takes Enter and Escape.
      if (DroppedDown()) m.Result |= DLGC_WANTALLKEYS;
      return;
  }
  TWinControl::WndProc(m);
}

void TComboBox::Publish(TPublisher<TComboBox>& p) {
  PublishWinControl(p);
  p.Property("Items", &TComboBox::Items);
  p.Property("Style", &TComboBox::Style, &TComboBox::SetStyle).Default(csDropDown);
  p.Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount).Default(8);
  p.Property("Text", &TComboBox::Text, &TComboBox::SetTextValue);
  p.Property("Color", &TComboBox::Color, &TComboBox::SetColor).Default(kClWindow).Idents(ColorIdents());
  p.Property("TabStop", &TComboBox::TabStop, &TComboBox::SetTabStop).Default(true);
  p.Event("OnChange", &TComboBox::OnChange);
}
