#include "packages/CfgObjects.h"

// ---- Pen ----

TKyPen::TKyPen(TPersistent* owner, TKyPenStyle defaultStyle)
    : TKyCfgObject(owner), color_(MakeSet<TKySetColor>("Dft_ColBox")), defaultStyle_(defaultStyle), style_(defaultStyle) {}

void TKyPen::Publish(TPublisher<TKyPen>& p) {
  p.Property("SetColor", &TKyPen::SetColor);
  p.Property("Style", &TKyPen::Style, &TKyPen::SetStyle).Stored(&TKyPen::StyleStored);
  p.Property("Width", &TKyPen::Width, &TKyPen::SetWidth).Default(1);
}

void TKyPen::SetStyle(TKyPenStyle value) {
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TKyPen::SetWidth(int32_t value) {
  if (value == width_) return;
  width_ = value;
  Changed();
}

void TKyPen::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TKyPen*>(source)) {
    if (s == this) return;
    color_->Assign(s->color_.get());
    style_ = s->style_;
    width_ = s->width_;
    Changed();
    return;
  }
  TKyCfgObject::Assign(source);
}

// ---- Buttons ----

TKyCfgButtons::TKyCfgButtons(TPersistent* owner) : TKyCfgObject(owner), backGround_(MakeSet<TKySetBackGround>("Dft_BackGround")) {}

void TKyCfgButtons::Publish(TPublisher<TKyCfgButtons>& p) {
  p.Property("SetBackGround", &TKyCfgButtons::SetBackGround);
  p.Property("BorderStyle", &TKyCfgButtons::BorderStyle, &TKyCfgButtons::SetBorderStyle).Default(bos3D);
  p.Property("Flat", &TKyCfgButtons::Flat, &TKyCfgButtons::SetFlat).Default(false);
}

void TKyCfgButtons::SetBorderStyle(TKyBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  Changed();
}

void TKyCfgButtons::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  Changed();
}

TKyCfgTextButtons::TKyCfgTextButtons(TPersistent* owner)
    : TKyCfgButtons(owner), colText_(MakeSet<TKySetColor>("Dft_ColText")), font_(MakeSet<TKySetFont>("Dft_Font")) {}

void TKyCfgTextButtons::Publish(TPublisher<TKyCfgTextButtons>& p) {
  p.Property("SetColText", &TKyCfgTextButtons::SetColText);
  p.Property("SetFont", &TKyCfgTextButtons::SetFont);
}

TKyCfgAccelButtons::TKyCfgAccelButtons(TPersistent* owner)
    : TKyCfgTextButtons(owner), colAccelChar_(MakeSet<TKySetColor>("Dft_EdAccelChar")) {}

void TKyCfgAccelButtons::Publish(TPublisher<TKyCfgAccelButtons>& p) {
  p.Property("SetColAccelChar", &TKyCfgAccelButtons::SetColAccelChar);
}

TKyCfgMainButtons::TKyCfgMainButtons(TPersistent* owner)
    : TKyCfgButtons(owner), pen_(MakeNested<TKyCfgMainPen>()) {}

void TKyCfgMainButtons::Publish(TPublisher<TKyCfgMainButtons>& p) { p.Property("Pen", &TKyCfgMainButtons::Pen); }

TKyCfgMainTextButtons::TKyCfgMainTextButtons(TPersistent* owner)
    : TKyCfgTextButtons(owner), pen_(MakeNested<TKyCfgMainPen>()) {}

void TKyCfgMainTextButtons::Publish(TPublisher<TKyCfgMainTextButtons>& p) {
  p.Property("Pen", &TKyCfgMainTextButtons::Pen);
}

// ---- Text areas ----

TKyCfgTextArea::TKyCfgTextArea(TPersistent* owner, const char* backGroundFallback)
    : TKyCfgObject(owner),
      backGround_(MakeSet<TKySetBackGround>(backGroundFallback)),
      colText_(MakeSet<TKySetColor>("Dft_ColText")),
      font_(MakeSet<TKySetFont>("Dft_Font")) {}

void TKyCfgTextArea::Publish(TPublisher<TKyCfgTextArea>& p) {
  p.Property("SetBackGround", &TKyCfgTextArea::SetBackGround);
  p.Property("SetColText", &TKyCfgTextArea::SetColText);
  p.Property("SetFont", &TKyCfgTextArea::SetFont);
}

void TKyCfgEdits::Publish(TPublisher<TKyCfgEdits>& p) {
  p.Property("BorderStyle", &TKyCfgEdits::BorderStyle, &TKyCfgEdits::SetBorderStyle).Default(ebs3D);
}

void TKyCfgEdits::SetBorderStyle(TKyEditBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  Changed();
}

TKyCfgMessages::TKyCfgMessages(TPersistent* owner)
    : TKyCfgTextArea(owner, "Dft_BackGround"), buttons_(MakeNested<TKyCfgAccelButtons>()) {}

void TKyCfgMessages::Publish(TPublisher<TKyCfgMessages>& p) { p.Property("Buttons", &TKyCfgMessages::Buttons); }

TKyCfgCalculator::TKyCfgCalculator(TPersistent* owner)
    : TKyCfgTextArea(owner, "Dft_BackGround"),
      buttons_(MakeNested<TKyCfgTextButtons>()),
      mainButtons_(MakeNested<TKyCfgMainTextButtons>()),
      display_(MakeNested<TKyCfgCalculatorDisplay>()) {}

void TKyCfgCalculator::Publish(TPublisher<TKyCfgCalculator>& p) {
  p.Property("Buttons", &TKyCfgCalculator::Buttons);
  p.Property("MainButtons", &TKyCfgCalculator::MainButtons);
  p.Property("Display", &TKyCfgCalculator::Display);
}

TKyCfgCalendarCalendar::TKyCfgCalendarCalendar(TPersistent* owner)
    : TKyCfgObject(owner),
      backGround_(MakeSet<TKySetBackGround>("Dft_EdBackGround")),
      bgFixed_(MakeSet<TKySetBackGround>("Dft_BackGround")),
      colFixed_(MakeSet<TKySetColor>("Dft_ColText")),
      colText_(MakeSet<TKySetColor>("Dft_ColText")),
      bgSelected_(MakeSet<TKySetBackGround>("Dft_EdSelectedBG")),
      colSelected_(MakeSet<TKySetColor>("Dft_EdSelectedText")),
      colSunday_(MakeSet<TKySetColor>("Dft_StandOut")),
      font_(MakeSet<TKySetFont>("Dft_Font")) {}

void TKyCfgCalendarCalendar::Publish(TPublisher<TKyCfgCalendarCalendar>& p) {
  using C = TKyCfgCalendarCalendar;
  p.Property("SetBackGround", &C::SetBackGround);
  p.Property("SetBGFixed", &C::SetBGFixed);
  p.Property("SetColFixed", &C::SetColFixed);
  p.Property("SetColText", &C::SetColText);
  p.Property("SetBGSelected", &C::SetBGSelected);
  p.Property("SetColSelected", &C::SetColSelected);
  p.Property("SetColSunday", &C::SetColSunday);
  p.Property("SetFont", &C::SetFont);
}

TKyCfgCalendar::TKyCfgCalendar(TPersistent* owner)
    : TKyCfgTextArea(owner, "Dft_BackGround"),
      buttons_(MakeNested<TKyCfgButtons>()),
      mainButtons_(MakeNested<TKyCfgMainButtons>()),
      calendar_(MakeNested<TKyCfgCalendarCalendar>()) {}

void TKyCfgCalendar::Publish(TPublisher<TKyCfgCalendar>& p) {
  p.Property("Buttons", &TKyCfgCalendar::Buttons);
  p.Property("MainButtons", &TKyCfgCalendar::MainButtons);
  p.Property("Calendar", &TKyCfgCalendar::Calendar);
}

TKyCfgRichEdit::TKyCfgRichEdit(TPersistent* owner)
    : TKyCfgTextArea(owner, "Dft_BackGround"), buttons_(MakeNested<TKyCfgButtons>()), edits_(MakeNested<TKyCfgEdits>()) {}

void TKyCfgRichEdit::Publish(TPublisher<TKyCfgRichEdit>& p) {
  p.Property("Buttons", &TKyCfgRichEdit::Buttons);
  p.Property("Edits", &TKyCfgRichEdit::Edits);
}

TKyCfgPopupMenus::TKyCfgPopupMenus(TPersistent* owner)
    : TKyCfgTextArea(owner, "Dft_BackGround"),
      bgSelected_(MakeSet<TKySetBackGround>("Dft_EdSelectedBG")),
      colSelected_(MakeSet<TKySetColor>("Dft_EdSelectedText")),
      colAccelChar_(MakeSet<TKySetColor>("Dft_EdAccelChar")) {}

void TKyCfgPopupMenus::Publish(TPublisher<TKyCfgPopupMenus>& p) {
  p.Property("SetBGSelected", &TKyCfgPopupMenus::SetBGSelected);
  p.Property("SetColSelected", &TKyCfgPopupMenus::SetColSelected);
  p.Property("SetColAccelChar", &TKyCfgPopupMenus::SetColAccelChar);
}
