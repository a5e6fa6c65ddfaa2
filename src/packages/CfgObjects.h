// The look of the library's standard dialogs (message boxes, help windows,
// calculator, calendar, rich-edit toolbars, popup menus), held by the
// application configuration as nested objects of display set objects. Each
// object tells its owner when anything in it changes. Also the border and
// pen styles and the pen that these objects and the skin share. Portable.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "packages/DisplaySets.h"
#include "platform/classes/Classes.h"
#include "platform/graphics/PenStyle.h"

KY_ENUM(TKyBorderStyle, uint8_t, bosNone, bosSingle, bos3D)
KY_ENUM(TKyEditBorderStyle, uint8_t, ebsNone, ebsSingle, ebs3D, ebsLine, ebs3DTopLine, ebs3DBottomLine)

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
  // A set object (TKySetFont, TKySetColor, TKySetBackGround) falling back
  // to the library default of that name, whose changes are ours.
  template <class S>
  std::unique_ptr<S> MakeSet(const char* fallback) {
    auto s = std::make_unique<S>(this, "", dynamic_cast<S*>(LibraryDefaultSet(fallback)));
    s->OnChange = [this](TKySetObject*) { Changed(); };
    return s;
  }
  // A nested configuration object whose changes are ours.
  template <class C>
  std::unique_ptr<C> MakeNested() {
    auto c = std::make_unique<C>(this);
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
  static void Publish(TPublisher<TKyPen>& p);

  TKySetColor* SetColor() const { return color_.get(); }
  TKyPenStyle Style() const { return style_; }
  void SetStyle(TKyPenStyle value);
  int32_t Width() const { return width_; }
  void SetWidth(int32_t value);
  TKyPenStyle DefaultStyle() const { return defaultStyle_; }

  void Assign(const TPersistent* source) override;

private:
  bool StyleStored() const { return style_ != defaultStyle_; }
  std::unique_ptr<TKySetColor> color_;
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
  static void Publish(TPublisher<TKyCfgButtons>& p);

  TKySetBackGround* SetBackGround() const { return backGround_.get(); }
  TKyBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TKyBorderStyle value);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);

private:
  std::unique_ptr<TKySetBackGround> backGround_;
  TKyBorderStyle borderStyle_ = bos3D;
  bool flat_ = false;
};

class TKyCfgTextButtons : public TKyCfgButtons {
  KY_CLASS(TKyCfgTextButtons, TKyCfgButtons)
public:
  explicit TKyCfgTextButtons(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyCfgTextButtons>& p);

  TKySetColor* SetColText() const { return colText_.get(); }
  TKySetFont* SetFont() const { return font_.get(); }

private:
  std::unique_ptr<TKySetColor> colText_;
  std::unique_ptr<TKySetFont> font_;
};

class TKyCfgAccelButtons : public TKyCfgTextButtons {
  KY_CLASS(TKyCfgAccelButtons, TKyCfgTextButtons)
public:
  explicit TKyCfgAccelButtons(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyCfgAccelButtons>& p);

  TKySetColor* SetColAccelChar() const { return colAccelChar_.get(); }

private:
  std::unique_ptr<TKySetColor> colAccelChar_;
};

class TKyCfgMainButtons : public TKyCfgButtons {
  KY_CLASS(TKyCfgMainButtons, TKyCfgButtons)
public:
  explicit TKyCfgMainButtons(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyCfgMainButtons>& p);

  TKyCfgMainPen* Pen() const { return pen_.get(); }

private:
  std::unique_ptr<TKyCfgMainPen> pen_;
};

class TKyCfgMainTextButtons : public TKyCfgTextButtons {
  KY_CLASS(TKyCfgMainTextButtons, TKyCfgTextButtons)
public:
  explicit TKyCfgMainTextButtons(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyCfgMainTextButtons>& p);

  TKyCfgMainPen* Pen() const { return pen_.get(); }

private:
  std::unique_ptr<TKyCfgMainPen> pen_;
};

// Background, text colour and font: the common triple of the dialogs.
class TKyCfgTextArea : public TKyCfgObject {
  KY_CLASS(TKyCfgTextArea, TKyCfgObject)
public:
  static void Publish(TPublisher<TKyCfgTextArea>& p);

  TKySetBackGround* SetBackGround() const { return backGround_.get(); }
  TKySetColor* SetColText() const { return colText_.get(); }
  TKySetFont* SetFont() const { return font_.get(); }

protected:
  TKyCfgTextArea(TPersistent* owner, const char* backGroundFallback);

private:
  std::unique_ptr<TKySetBackGround> backGround_;
  std::unique_ptr<TKySetColor> colText_;
  std::unique_ptr<TKySetFont> font_;
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
  static void Publish(TPublisher<TKyCfgMessages>& p);

  TKyCfgAccelButtons* Buttons() const { return buttons_.get(); }

private:
  std::unique_ptr<TKyCfgAccelButtons> buttons_;
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
  static void Publish(TPublisher<TKyCfgCalculator>& p);

  TKyCfgTextButtons* Buttons() const { return buttons_.get(); }
  TKyCfgMainTextButtons* MainButtons() const { return mainButtons_.get(); }
  TKyCfgCalculatorDisplay* Display() const { return display_.get(); }

private:
  std::unique_ptr<TKyCfgTextButtons> buttons_;
  std::unique_ptr<TKyCfgMainTextButtons> mainButtons_;
  std::unique_ptr<TKyCfgCalculatorDisplay> display_;
};

class TKyCfgCalendarCalendar : public TKyCfgObject {
  KY_CLASS(TKyCfgCalendarCalendar, TKyCfgObject)
public:
  explicit TKyCfgCalendarCalendar(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyCfgCalendarCalendar>& p);

  TKySetBackGround* SetBackGround() const { return backGround_.get(); }
  TKySetBackGround* SetBGFixed() const { return bgFixed_.get(); }
  TKySetColor* SetColFixed() const { return colFixed_.get(); }
  TKySetColor* SetColText() const { return colText_.get(); }
  TKySetBackGround* SetBGSelected() const { return bgSelected_.get(); }
  TKySetColor* SetColSelected() const { return colSelected_.get(); }
  TKySetColor* SetColSunday() const { return colSunday_.get(); }
  TKySetFont* SetFont() const { return font_.get(); }

private:
  std::unique_ptr<TKySetBackGround> backGround_;
  std::unique_ptr<TKySetBackGround> bgFixed_;
  std::unique_ptr<TKySetColor> colFixed_;
  std::unique_ptr<TKySetColor> colText_;
  std::unique_ptr<TKySetBackGround> bgSelected_;
  std::unique_ptr<TKySetColor> colSelected_;
  std::unique_ptr<TKySetColor> colSunday_;
  std::unique_ptr<TKySetFont> font_;
};

class TKyCfgCalendar : public TKyCfgTextArea {
  KY_CLASS(TKyCfgCalendar, TKyCfgTextArea)
public:
  explicit TKyCfgCalendar(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyCfgCalendar>& p);

  TKyCfgButtons* Buttons() const { return buttons_.get(); }
  TKyCfgMainButtons* MainButtons() const { return mainButtons_.get(); }
  TKyCfgCalendarCalendar* Calendar() const { return calendar_.get(); }

private:
  std::unique_ptr<TKyCfgButtons> buttons_;
  std::unique_ptr<TKyCfgMainButtons> mainButtons_;
  std::unique_ptr<TKyCfgCalendarCalendar> calendar_;
};

class TKyCfgRichEdit : public TKyCfgTextArea {
  KY_CLASS(TKyCfgRichEdit, TKyCfgTextArea)
public:
  explicit TKyCfgRichEdit(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyCfgRichEdit>& p);

  TKyCfgButtons* Buttons() const { return buttons_.get(); }
  TKyCfgEdits* Edits() const { return edits_.get(); }

private:
  std::unique_ptr<TKyCfgButtons> buttons_;
  std::unique_ptr<TKyCfgEdits> edits_;
};

class TKyCfgPopupMenus : public TKyCfgTextArea {
  KY_CLASS(TKyCfgPopupMenus, TKyCfgTextArea)
public:
  explicit TKyCfgPopupMenus(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyCfgPopupMenus>& p);

  TKySetBackGround* SetBGSelected() const { return bgSelected_.get(); }
  TKySetColor* SetColSelected() const { return colSelected_.get(); }
  TKySetColor* SetColAccelChar() const { return colAccelChar_.get(); }

private:
  std::unique_ptr<TKySetBackGround> bgSelected_;
  std::unique_ptr<TKySetColor> colSelected_;
  std::unique_ptr<TKySetColor> colAccelChar_;
};
