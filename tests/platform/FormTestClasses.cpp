#include "FormTestClasses.h"

const TIdentMap TstColors{{0x000000, "tclBlack"}, {0x0000FF, "tclRed"}, {0xFFFFFF, "tclWhite"}};

// ---- TTstPattern, TTstBrush, TTstLabelRef ----

void TTstPattern::Publish(TPublisher<TTstPattern>& p) {
  p.Property("Name", &TTstPattern::Name, &TTstPattern::SetName);
  p.Property("Scale", &TTstPattern::Scale, &TTstPattern::SetScale).Default(100);
}

void TTstPattern::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TTstPattern*>(source)) {
    name_ = s->name_;
    scale_ = s->scale_;
    return;
  }
  TPersistent::Assign(source);
}

void TTstBrush::Publish(TPublisher<TTstBrush>& p) {
  p.Property("Color", &TTstBrush::Color, &TTstBrush::SetColor).Default(0xFFFFFF).Idents(TstColors);
  p.Property("Style", &TTstBrush::Style, &TTstBrush::SetStyle).Default(tshRect);
  p.Property("Pattern", &TTstBrush::Pattern);
}

void TTstBrush::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TTstBrush*>(source)) {
    color_ = s->color_;
    style_ = s->style_;
    pattern_->Assign(s->pattern_);
    return;
  }
  TPersistent::Assign(source);
}

void TTstLabelRef::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TTstLabelRef*>(source)) {
    pkgName_ = s->pkgName_;
    id_ = s->id_;
    return;
  }
  TPersistent::Assign(source);
}

void TTstLabelRef::DefineProperties(TFiler& filer) {
  auto* ancestor = dynamic_cast<TTstLabelRef*>(filer.Ancestor());
  bool storeName = ancestor ? ancestor->pkgName_ != pkgName_ : !pkgName_.empty();
  bool storeId = ancestor ? ancestor->id_ != id_ : id_ >= (hasDefault_ ? -1 : 0);
  filer.DefineProperty(
      "PkgName", [this](TReader& r) { pkgName_ = r.ReadString(); }, [this](TWriter& w) { w.WriteString(pkgName_); },
      storeName);
  filer.DefineProperty(
      "Id", [this](TReader& r) { id_ = r.ReadInteger(); }, [this](TWriter& w) { w.WriteInteger(id_); }, storeId);
}

// ---- TTstItem ----

void TTstItem::Publish(TPublisher<TTstItem>& p) {
  p.Property("Value", &TTstItem::Value, &TTstItem::SetValue);
  p.Property("Checked", &TTstItem::Checked, &TTstItem::SetChecked).Default(false);
  p.Property("Weight", &TTstItem::Weight, &TTstItem::SetWeight).Default(1.0);
  p.Property("Brush", &TTstItem::Brush);
}

void TTstItem::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TTstItem*>(source)) {
    value_ = s->value_;
    checked_ = s->checked_;
    weight_ = s->weight_;
    brush_->Assign(s->brush_);
    return;
  }
  TPersistent::Assign(source);
}

// ---- TTstWidget ----

TTstWidget::TTstWidget(TComponent* owner)
    : TComponent(owner),
      brush_(new TTstBrush),
      items_(new TCollection(TTstItem::StaticClass(), this)),
      lines_(new TStringList),
      captionId_(new TTstLabelRef(true)),
      textId_(new TTstLabelRef(false)) {}

TTstWidget::~TTstWidget() {
  TstLog.push_back("~" + Name());
  delete textId_;
  delete captionId_;
  delete lines_;
  delete items_;
  delete brush_;
}

void TTstWidget::Publish(TPublisher<TTstWidget>& p) {
  p.Property("Count", &TTstWidget::Count, &TTstWidget::SetCount).Default(0);
  p.Property("Big", &TTstWidget::Big, &TTstWidget::SetBig);
  p.Property("Color", &TTstWidget::Color, &TTstWidget::SetColor).Default(0xFFFFFF).Idents(TstColors);
  p.Property("Enabled", &TTstWidget::Enabled, &TTstWidget::SetEnabled).Default(true);
  p.Property("Shape", &TTstWidget::Shape, &TTstWidget::SetShape).Default(tshRect);
  p.Property("Sides", &TTstWidget::Sides, &TTstWidget::SetSides).Default(TTstSides{tsdLeft, tsdTop});
  p.Property("Ratio", &TTstWidget::Ratio, &TTstWidget::SetRatio);
  p.Property("Caption", &TTstWidget::Caption, &TTstWidget::SetCaption);
  p.Property("Brush", &TTstWidget::Brush);
  p.Property("Items", &TTstWidget::Items);
  p.Property("Lines", &TTstWidget::Lines);
  p.Property("CaptionId", &TTstWidget::CaptionId);
  p.Property("TextId", &TTstWidget::TextId);
  p.Property("Buddy", &TTstWidget::Buddy, &TTstWidget::SetBuddy);
  p.Event("OnClick", &TTstWidget::OnClick);
  p.Event("OnValue", &TTstWidget::OnValue);
}

void TTstWidget::SetBuddy(TTstWidget* v) {
  if (v == buddy_) return;
  buddy_ = v;
  if (v) v->FreeNotification(this);
}

void TTstWidget::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (int i = 0; i < root->ComponentCount(); ++i)
    if (auto* w = dynamic_cast<TTstWidget*>(root->Components(i)); w && w->parent_ == this) proc(w);
}

void TTstWidget::Loaded() {
  TComponent::Loaded();
  ++LoadedCalls;
  OwnerCountAtLoaded = Owner() ? Owner()->ComponentCount() : -1;
  BuddyAtLoaded = buddy_;
  ReadingAtLoaded = ComponentState().Contains(csReading);
  TstLog.push_back("Loaded:" + Name());
}

void TTstWidget::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove) {
    if (component == buddy_) buddy_ = nullptr;
    if (component == parent_) parent_ = nullptr;
  }
}

void TTstWidget::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  auto* ancestor = dynamic_cast<TTstWidget*>(filer.Ancestor());
  filer.DefineBinaryProperty(
      "Data",
      [this](TStream& s) {
        data_.assign(static_cast<size_t>(s.Size()), 0);
        if (!data_.empty()) s.ReadBuffer(data_.data(), static_cast<int32_t>(data_.size()));
      },
      [this](TStream& s) {
        if (!data_.empty()) s.WriteBuffer(data_.data(), static_cast<int32_t>(data_.size()));
      },
      ancestor ? ancestor->data_ != data_ : !data_.empty());
}

// ---- TTstForm ----

void TTstForm::Publish(TPublisher<TTstForm>& p) {
  p.Property("Title", &TTstForm::Title, &TTstForm::SetTitle);
  p.Method("BtOkClick", &TTstForm::BtOkClick);
  p.Method("OtherClick", &TTstForm::OtherClick);
  p.Method("ValueChanged", &TTstForm::ValueChanged);
  p.Field("WdFirst", &TTstForm::WdFirst);
}

void TTstForm::Loaded() {
  TComponent::Loaded();
  ++LoadedCalls;
  TstLog.push_back("Loaded:" + Name());
}

std::string TTstForm::Sender(TObject* sender) {
  auto* c = dynamic_cast<TComponent*>(sender);
  return c ? c->Name() : "?";
}

void TTstForm2::Publish(TPublisher<TTstForm2>& p) {
  p.Property("Level", &TTstForm2::Level, &TTstForm2::SetLevel).Default(0);
  p.Method("ExtraClick", &TTstForm2::ExtraClick);
  p.Field("WdExtra", &TTstForm2::WdExtra);
}

void RegisterTestClasses() {
  RegisterPlatformClasses();
  RegisterClasses({&TTstWidget::StaticClass(), &TTstForm::StaticClass(), &TTstForm2::StaticClass()});
}
