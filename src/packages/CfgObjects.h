// The look of the library's standard dialogs (message boxes, help windows,
// calculator, calendar, rich-edit toolbars, popup menus), held by the
// application configuration as nested objects of display set objects. Each
// object tells its owner when anything in it changes. Also the border and
// pen styles and the pen that these objects and the skin share. Portable.
#pragma once

#include <cstdint>
#include <functional>

#include "packages/DisplaySets.h"
#include "platform/Classes.h"

KY_ENUM(TKyBorderStyle, uint8_t, bosNone, bosSingle, bos3D)
KY_ENUM(TKyEditBorderStyle, uint8_t, ebsNone, ebsSingle, ebs3D, ebsLine, ebs3DTopLine, ebs3DBottomLine)
KY_ENUM(TKyPenStyle, uint8_t, pesClear, pesSolid, pesDash, pesDot, pesDashDot, pesDashDotDot)

// The base of every configuration object: a set object made here tells
// this object, which tells its owner.
class TKyCfgObject : public TPersistent {
  KY_CLASS(TKyCfgObject, TPersistent)
public:
  std::function<void()> OnChange;

protected:
  explicit TKyCfgObject(TPersistent* owner) : owner_(owner) {}
  TPersistent* GetOwner() const override { return owner_; }
  void Changed() {
    if (OnChange) OnChange();
  }
  // A set object falling back to the library default of that name.
  TKySetFont* MakeFont(const char* fallback);
  TKySetColor* MakeColor(const char* fallback);
  TKySetBackGround* MakeBackGround(const char* fallback);
  // A nested configuration object whose changes are ours.
  template <class C>
  C* MakeNested() {
    auto* c = new C(this);
    c->OnChange = [this] { Changed(); };
    return c;
  }

private:
  TPersistent* owner_;
};

class TKyPen : public TKyCfgObject {
  KY_CLASS(TKyPen, TKyCfgObject)
public:
  explicit TKyPen(TPersistent* owner = nullptr, TKyPenStyle defaultStyle = pesClear);
  ~TKyPen() override;
  static void Publish(TPublisher<TKyPen>& p);

  TKySetColor* SetColor() const { return color_; }
  TKyPenStyle Style() const { return style_; }
  void SetStyle(TKyPenStyle value);
  int32_t Width() const { return width_; }
  void SetWidth(int32_t value);
  TKyPenStyle DefaultStyle() const { return defaultStyle_; }

  void Assign(const TPersistent* source) override;

private:
  bool StyleStored() const { return style_ != defaultStyle_; }
  TKySetColor* color_;
  TKyPenStyle defaultStyle_;
  TKyPenStyle style_;
  int32_t width_ = 1;
};

// A pen whose default style is solid.
class TKyCfgMainPen : public TKyPen {
  KY_CLASS(TKyCfgMainPen, TKyPen)
public:
  explicit TKyCfgMainPen(TPersistent* owner = nullptr) : TKyPen(owner, pesSolid) {}
};

class TKyCfgButtons : public TKyCfgObject {
  KY_CLASS(TKyCfgButtons, TKyCfgObject)
public:
  explicit TKyCfgButtons(TPersistent* owner = nullptr);
  ~TKyCfgButtons() override;
  static void Publish(TPublisher<TKyCfgButtons>& p);

  TKySetBackGround* SetBackGround() const { return backGround_; }
  TKyBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TKyBorderStyle value);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);

private:
  TKySetBackGround* backGround_;
  TKyBorderStyle borderStyle_ = bos3D;
  bool flat_ = false;
};

class TKyCfgTextButtons : public TKyCfgButtons {
  KY_CLASS(TKyCfgTextButtons, TKyCfgButtons)
public:
  explicit TKyCfgTextButtons(TPersistent* owner = nullptr);
  ~TKyCfgTextButtons() override;
  static void Publish(TPublisher<TKyCfgTextButtons>& p);

  TKySetColor* SetColText() const { return colText_; }
  TKySetFont* SetFont() const { return font_; }

private:
  TKySetColor* colText_;
  TKySetFont* font_;
};

class TKyCfgAccelButtons : public TKyCfgTextButtons {
  KY_CLASS(TKyCfgAccelButtons, TKyCfgTextButtons)
public:
  explicit TKyCfgAccelButtons(TPersistent* owner = nullptr);
  ~TKyCfgAccelButtons() override;
  static void Publish(TPublisher<TKyCfgAccelButtons>& p);

  TKySetColor* SetColAccelChar() const { return colAccelChar_; }

private:
  TKySetColor* colAccelChar_;
};

class TKyCfgMainButtons : public TKyCfgButtons {
  KY_CLASS(TKyCfgMainButtons, TKyCfgButtons)
public:
  explicit TKyCfgMainButtons(TPersistent* owner = nullptr);
  ~TKyCfgMainButtons() override;
  static void Publish(TPublisher<TKyCfgMainButtons>& p);

  TKyCfgMainPen* Pen() const { return pen_; }

private:
  TKyCfgMainPen* pen_;
};

class TKyCfgMainTextButtons : public TKyCfgTextButtons {
  KY_CLASS(TKyCfgMainTextButtons, TKyCfgTextButtons)
public:
  explicit TKyCfgMainTextButtons(TPersistent* owner = nullptr);
  ~TKyCfgMainTextButtons() override;
  static void Publish(TPublisher<TKyCfgMainTextButtons>& p);

  TKyCfgMainPen* Pen() const { return pen_; }

private:
  TKyCfgMainPen* pen_;
};

// Background, text colour and font: the common triple of the dialogs.
class TKyCfgTextArea : public TKyCfgObject {
  KY_CLASS(TKyCfgTextArea, TKyCfgObject)
public:
  ~TKyCfgTextArea() override;
  static void Publish(TPublisher<TKyCfgTextArea>& p);

  TKySetBackGround* SetBackGround() const { return backGround_; }
  TKySetColor* SetColText() const { return colText_; }
  TKySetFont* SetFont() const { return font_; }

protected:
  TKyCfgTextArea(TPersistent* owner, const char* backGroundFallback);

private:
  TKySetBackGround* backGround_;
  TKySetColor* colText_;
  TKySetFont* font_;
};

class TKyCfgEdits : public TKyCfgTextArea {
  KY_CLASS(TKyCfgEdits, TKyCfgTextArea)
public:
  explicit TKyCfgEdits(TPersistent* owner = nullptr) : TKyCfgTextArea(owner, "Dft_BackGround") {}
  static void Publish(TPublisher<TKyCfgEdits>& p);

  TKyEditBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TKyEditBorderStyle value);

private:
  TKyEditBorderStyle borderStyle_ = ebs3D;
};

class TKyCfgMessages : public TKyCfgTextArea {
  KY_CLASS(TKyCfgMessages, TKyCfgTextArea)
public:
  explicit TKyCfgMessages(TPersistent* owner = nullptr);
  ~TKyCfgMessages() override;
  static void Publish(TPublisher<TKyCfgMessages>& p);

  TKyCfgAccelButtons* Buttons() const { return buttons_; }

private:
  TKyCfgAccelButtons* buttons_;
};

class TKyCfgHelps : public TKyCfgTextArea {
  KY_CLASS(TKyCfgHelps, TKyCfgTextArea)
public:
  explicit TKyCfgHelps(TPersistent* owner = nullptr) : TKyCfgTextArea(owner, "Dft_HelpBG") {}
};

class TKyCfgCalculatorDisplay : public TKyCfgTextArea {
  KY_CLASS(TKyCfgCalculatorDisplay, TKyCfgTextArea)
public:
  explicit TKyCfgCalculatorDisplay(TPersistent* owner = nullptr) : TKyCfgTextArea(owner, "Dft_BackGround") {}
};

class TKyCfgCalculator : public TKyCfgTextArea {
  KY_CLASS(TKyCfgCalculator, TKyCfgTextArea)
public:
  explicit TKyCfgCalculator(TPersistent* owner = nullptr);
  ~TKyCfgCalculator() override;
  static void Publish(TPublisher<TKyCfgCalculator>& p);

  TKyCfgTextButtons* Buttons() const { return buttons_; }
  TKyCfgMainTextButtons* MainButtons() const { return mainButtons_; }
  TKyCfgCalculatorDisplay* Display() const { return display_; }

private:
  TKyCfgTextButtons* buttons_;
  TKyCfgMainTextButtons* mainButtons_;
  TKyCfgCalculatorDisplay* display_;
};

class TKyCfgCalendarCalendar : public TKyCfgObject {
  KY_CLASS(TKyCfgCalendarCalendar, TKyCfgObject)
public:
  explicit TKyCfgCalendarCalendar(TPersistent* owner = nullptr);
  ~TKyCfgCalendarCalendar() override;
  static void Publish(TPublisher<TKyCfgCalendarCalendar>& p);

  TKySetBackGround* SetBackGround() const { return backGround_; }
  TKySetBackGround* SetBGFixed() const { return bgFixed_; }
  TKySetColor* SetColFixed() const { return colFixed_; }
  TKySetColor* SetColText() const { return colText_; }
  TKySetBackGround* SetBGSelected() const { return bgSelected_; }
  TKySetColor* SetColSelected() const { return colSelected_; }
  TKySetColor* SetColSunday() const { return colSunday_; }
  TKySetFont* SetFont() const { return font_; }

private:
  TKySetBackGround* backGround_;
  TKySetBackGround* bgFixed_;
  TKySetColor* colFixed_;
  TKySetColor* colText_;
  TKySetBackGround* bgSelected_;
  TKySetColor* colSelected_;
  TKySetColor* colSunday_;
  TKySetFont* font_;
};

class TKyCfgCalendar : public TKyCfgTextArea {
  KY_CLASS(TKyCfgCalendar, TKyCfgTextArea)
public:
  explicit TKyCfgCalendar(TPersistent* owner = nullptr);
  ~TKyCfgCalendar() override;
  static void Publish(TPublisher<TKyCfgCalendar>& p);

  TKyCfgButtons* Buttons() const { return buttons_; }
  TKyCfgMainButtons* MainButtons() const { return mainButtons_; }
  TKyCfgCalendarCalendar* Calendar() const { return calendar_; }

private:
  TKyCfgButtons* buttons_;
  TKyCfgMainButtons* mainButtons_;
  TKyCfgCalendarCalendar* calendar_;
};

class TKyCfgRichEdit : public TKyCfgTextArea {
  KY_CLASS(TKyCfgRichEdit, TKyCfgTextArea)
public:
  explicit TKyCfgRichEdit(TPersistent* owner = nullptr);
  ~TKyCfgRichEdit() override;
  static void Publish(TPublisher<TKyCfgRichEdit>& p);

  TKyCfgButtons* Buttons() const { return buttons_; }
  TKyCfgEdits* Edits() const { return edits_; }

private:
  TKyCfgButtons* buttons_;
  TKyCfgEdits* edits_;
};

class TKyCfgPopupMenus : public TKyCfgTextArea {
  KY_CLASS(TKyCfgPopupMenus, TKyCfgTextArea)
public:
  explicit TKyCfgPopupMenus(TPersistent* owner = nullptr);
  ~TKyCfgPopupMenus() override;
  static void Publish(TPublisher<TKyCfgPopupMenus>& p);

  TKySetBackGround* SetBGSelected() const { return bgSelected_; }
  TKySetColor* SetColSelected() const { return colSelected_; }
  TKySetColor* SetColAccelChar() const { return colAccelChar_; }

private:
  TKySetBackGround* bgSelected_;
  TKySetColor* colSelected_;
  TKySetColor* colAccelChar_;
};
