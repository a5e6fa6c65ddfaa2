// The platform's standard windows wrapped as controls: the EDIT window as
// TCustomEdit and (multi-line) TCustomMemo, the BUTTON window as TButton,
// LISTBOX as TCustomListBox and COMBOBOX as TCustomComboBox. The windows
// paint themselves; the controls keep what was set before the window exists
// and hand it over when it is made.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes/StringList.h"
#include "platform/windows/Forms.h"

// Text alignment styles of the EDIT window.
#ifndef ES_CENTER
#define ES_CENTER 0x0001
#endif
#ifndef ES_RIGHT
#define ES_RIGHT 0x0002
#endif
// Scrolling of the EDIT window: by scroll bar, wheel or message.
#ifndef WM_HSCROLL
#define WM_HSCROLL 0x0114
#endif
#ifndef WM_VSCROLL
#define WM_VSCROLL 0x0115
#endif
#ifndef EM_SCROLL
#define EM_SCROLL 0x00B5
#endif
#ifndef EM_LINESCROLL
#define EM_LINESCROLL 0x00B6
#endif
#ifndef EM_SCROLLCARET
#define EM_SCROLLCARET 0x00B7
#endif

KY_ENUM(TEditCharCase, uint8_t, ecNormal, ecUpperCase, ecLowerCase)
KY_ENUM(TScrollStyle, uint8_t, ssNone, ssHorizontal, ssVertical, ssBoth)

// Text and background colours of a platform window that asks its parent
// (WM_CTLCOLOR...): the control's font colour on its colour.
class TWindowColors {
public:
  LRESULT Apply(HDC dc, TKyColor textColor, TKyColor backColor);
  // Text over a picture: the text colour, no text background, and brush
  // (not owned, a pattern laid from the window's client corner) for the
  // rest of the window.
  static LRESULT ApplyOver(HDC dc, TKyColor textColor, HBRUSH brush);

private:
  TBrushHandle brush_;
  TKyColor brushColor_ = kClNone;
};

class TCustomEdit : public TWinControl {
  KY_CLASS(TCustomEdit, TWinControl)
public:
  explicit TCustomEdit(TComponent* owner);

  int32_t MaxLength() const { return maxLength_; }
  void SetMaxLength(int32_t value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char value);
  // As forms write it: one character, or empty for none.
  std::string PasswordCharText() const { return passwordChar_ ? std::string(1, passwordChar_) : std::string(); }
  void SetPasswordCharText(const std::string& value) { SetPasswordChar(value.empty() ? 0 : value[0]); }
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  bool Modified() const;
  void SetModified(bool value);

  int32_t SelStart() const;
  void SetSelStart(int32_t value);
  int32_t SelLength() const;
  void SetSelLength(int32_t value);
  std::string SelText() const;
  void SetSelText(const std::string& value);
  void SelectAll();
  void Clear() { SetTextValue(""); }
  void ClearSelection() { SetSelText(""); }
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  bool CanUndo() const;

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  bool OwnsPainting() const override { return false; }
  void WndProc(TMessage& message) override;
  // The text changed (typed or set).
  virtual void Change();
  void DoEnter() override;

private:
  int32_t maxLength_ = 0;
  bool readOnly_ = false;
  char passwordChar_ = 0;
  TEditCharCase charCase_ = ecNormal;
  bool autoSelect_ = true;
  TFormBorderStyle borderStyle_ = bsSingle;
  bool hideSelection_ = true;
  bool modified_ = false;
  int32_t selStart_ = 0, selLength_ = 0;
  std::string lastText_;  // the text the last OnChange reported
  TWindowColors colors_;
};

class TEdit : public TCustomEdit {
  KY_CLASS(TEdit, TCustomEdit)
public:
  using TCustomEdit::TCustomEdit;
  static void Publish(TPublisher<TEdit>& p);
};

class TCustomMemo : public TCustomEdit {
  KY_CLASS(TCustomMemo, TCustomEdit)
public:
  explicit TCustomMemo(TComponent* owner);
  ~TCustomMemo() override;

  // The lines of the text; changing them changes the window.
  TStrings* Lines() const { return lines_.get(); }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool value) { wantReturns_ = value; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool value) { wantTabs_ = value; }

protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  void Change() override;
  void TextChanged() override;

private:
  void LinesChanged();
  void ReloadLines();

  std::unique_ptr<TStringList> lines_;
  TScrollStyle scrollBars_ = ssNone;
  bool wordWrap_ = true;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
  bool syncing_ = false;
};

class TMemo : public TCustomMemo {
  KY_CLASS(TMemo, TCustomMemo)
public:
  using TCustomMemo::TCustomMemo;
  static void Publish(TPublisher<TMemo>& p);
};

// The push button window: Default answers Enter, Cancel answers Escape, and
// a modal result closes a modal form.
class TButton : public TWinControl {
  KY_CLASS(TButton, TWinControl)
public:
  explicit TButton(TComponent* owner);
  static void Publish(TPublisher<TButton>& p);

  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  // Whether it shows as the default button now: it has the focus, or it
  // is the default and no other button has.
  bool IsActive() const { return active_; }

protected:
  void CreateParams(TCreateParams& params) override;
  bool OwnsPainting() const override { return false; }
  void WndProc(TMessage& message) override;
  void DoClick() override;

private:
  void SetButtonStyle(bool isDefault);

  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;
  TModalResult modalResult_ = mrNone;
};

KY_ENUM(TListBoxStyle, uint8_t, lbStandard, lbOwnerDrawFixed)
KY_ENUM(TOwnerDrawStateItem, uint8_t, odSelected, odGrayed, odDisabled, odChecked, odFocused)
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
// What an owner-drawn item's WM_DRAWITEM (reflected as CN_DRAWITEM) asks
// to draw: the DC, the item's rectangle and its state.
struct TOwnerDrawItem {
  HDC DC = nullptr;
  TRect Rect;
  TOwnerDrawState State;
};
TOwnerDrawItem OwnerDrawItemOf(const TMessage& message);
// The button types BM_SETSTYLE and the creation parameters use.
inline constexpr uint32_t kButtonStyleMask = 0x0F;
inline constexpr uint32_t kButtonDefPush = 0x01;
inline constexpr uint32_t kButtonOwnerDraw = 0x0B;
using TDrawItemEvent = TEvent<void(TWinControl* control, int index, const TRect& rect, TOwnerDrawState state)>;

// The LISTBOX window; owner-drawn items paint on Canvas in DrawItem.
class TCustomListBox : public TWinControl {
  KY_CLASS(TCustomListBox, TWinControl)
public:
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;

  TStrings* Items() const { return items_.get(); }
  int32_t ItemIndex() const;
  void SetItemIndex(int32_t value);
  int32_t ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int32_t value);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle value);
  int32_t TopIndex() const;
  void SetTopIndex(int32_t value);
  TRect ItemRect(int32_t index) const;
  // The item at a client point, or -1.
  int32_t ItemAtPos(TPoint p) const;
  TCanvas* Canvas() const { return canvas_.get(); }

  TDrawItemEvent OnDrawItem;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  bool OwnsPainting() const override { return false; }
  void WndProc(TMessage& message) override;
  virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);

private:
  void ItemsChanged();

  std::unique_ptr<TStringList> items_;
  std::unique_ptr<TControlCanvas> canvas_;
  TListBoxStyle style_ = lbStandard;
  int32_t itemHeight_ = 16;
  int32_t itemIndex_ = -1;
  TWindowColors colors_;
};

class TListBox : public TCustomListBox {
  KY_CLASS(TListBox, TCustomListBox)
public:
  using TCustomListBox::TCustomListBox;
  static void Publish(TPublisher<TListBox>& p);
};

KY_ENUM(TComboBoxStyle, uint8_t, csDropDown, csSimple, csDropDownList)

// The COMBOBOX window.
class TCustomComboBox : public TWinControl {
  KY_CLASS(TCustomComboBox, TWinControl)
public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;

  TStrings* Items() const { return items_.get(); }
  int32_t ItemIndex() const;
  void SetItemIndex(int32_t value);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle value);
  int32_t DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int32_t value) { dropDownCount_ = value; }
  bool DroppedDown() const;
  void SetDroppedDown(bool value);

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  bool OwnsPainting() const override { return false; }
  void WndProc(TMessage& message) override;
  virtual void Change();

private:
  void ItemsChanged();

  std::unique_ptr<TStringList> items_;
  TComboBoxStyle style_ = csDropDown;
  int32_t dropDownCount_ = 8;
  int32_t itemIndex_ = -1;
  TWindowColors colors_;
};

class TComboBox : public TCustomComboBox {
  KY_CLASS(TComboBox, TCustomComboBox)
public:
  using TCustomComboBox::TCustomComboBox;
  static void Publish(TPublisher<TComboBox>& p);
};
