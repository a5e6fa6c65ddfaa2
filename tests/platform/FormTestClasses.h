// Components with every kind of published property, for the streaming tests.
#pragma once

#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Collection.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/StringList.h"

KY_ENUM(TTstShape, uint8_t, tshNone, tshRect, tshEllipse, tshArrow)
KY_ENUM(TTstSide, uint8_t, tsdLeft, tsdTop, tsdRight, tsdBottom)
using TTstSides = TSet<TTstSide>;

// What the components did, in order ("~W1", "Loaded:W1", ...).
inline std::vector<std::string> TstLog;

extern const TIdentMap TstColors;  // tclBlack 0, tclRed $0000FF, tclWhite $FFFFFF

class TTstPattern : public TPersistent {
  KY_CLASS(TTstPattern, TPersistent)
public:
  static void Publish(TPublisher<TTstPattern>& p);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v) { name_ = v; }
  int32_t Scale() const { return scale_; }
  void SetScale(int32_t v) { scale_ = v; }
  void Assign(const TPersistent* source) override;

private:
  std::string name_;
  int32_t scale_ = 100;
};

class TTstBrush : public TPersistent {
  KY_CLASS(TTstBrush, TPersistent)
public:
  TTstBrush() : pattern_(new TTstPattern) {}
  ~TTstBrush() override { delete pattern_; }
  static void Publish(TPublisher<TTstBrush>& p);
  int32_t Color() const { return color_; }
  void SetColor(int32_t v) { color_ = v; }
  TTstShape Style() const { return style_; }
  void SetStyle(TTstShape v) { style_ = v; }
  TTstPattern* Pattern() const { return pattern_; }
  void Assign(const TPersistent* source) override;

private:
  int32_t color_ = 0xFFFFFF;
  TTstShape style_ = tshRect;
  TTstPattern* pattern_;
};

// A reference by package name and id, streamed through DefineProperties:
// without an ancestor "PkgName" is stored when not empty and "Id" when at
// least 0 (at least -1 for a reference made with a default, whose own
// default -2 is not written); with an ancestor, each when it differs.
class TTstLabelRef : public TPersistent {
  KY_CLASS(TTstLabelRef, TPersistent)
public:
  explicit TTstLabelRef(bool hasDefault) : hasDefault_(hasDefault), id_(hasDefault ? -2 : -1) {}
  const std::string& PkgName() const { return pkgName_; }
  void SetPkgName(const std::string& v) { pkgName_ = v; }
  int32_t Id() const { return id_; }
  void SetId(int32_t v) { id_ = v; }
  void Assign(const TPersistent* source) override;

protected:
  void DefineProperties(TFiler& filer) override;

private:
  bool hasDefault_;
  std::string pkgName_;
  int32_t id_;
};

class TTstItem : public TCollectionItem {
  KY_CLASS(TTstItem, TCollectionItem)
public:
  explicit TTstItem(TCollection* collection) : TCollectionItem(collection), brush_(new TTstBrush) {}
  ~TTstItem() override { delete brush_; }
  static void Publish(TPublisher<TTstItem>& p);
  const std::string& Value() const { return value_; }
  void SetValue(const std::string& v) { value_ = v; }
  bool Checked() const { return checked_; }
  void SetChecked(bool v) { checked_ = v; }
  double Weight() const { return weight_; }
  void SetWeight(double v) { weight_ = v; }
  TTstBrush* Brush() const { return brush_; }
  void Assign(const TPersistent* source) override;

private:
  std::string value_;
  bool checked_ = false;
  double weight_ = 1.0;
  TTstBrush* brush_;
};

class TTstWidget : public TComponent {
  KY_CLASS(TTstWidget, TComponent)
public:
  explicit TTstWidget(TComponent* owner);
  ~TTstWidget() override;
  static void Publish(TPublisher<TTstWidget>& p);

  int32_t Count() const { return count_; }
  void SetCount(int32_t v) { count_ = v; }
  int32_t Big() const { return big_; }
  void SetBig(int32_t v) { big_ = v; }
  int32_t Color() const { return color_; }
  void SetColor(int32_t v) { color_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  TTstShape Shape() const { return shape_; }
  void SetShape(TTstShape v) { shape_ = v; }
  TTstSides Sides() const { return sides_; }
  void SetSides(TTstSides v) { sides_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  TTstBrush* Brush() const { return brush_; }
  TCollection* Items() const { return items_; }
  TStringList* Lines() const { return lines_; }
  TTstLabelRef* CaptionId() const { return captionId_; }
  TTstLabelRef* TextId() const { return textId_; }
  TTstWidget* Buddy() const { return buddy_; }
  void SetBuddy(TTstWidget* v);
  const std::vector<uint8_t>& Data() const { return data_; }
  void SetData(std::vector<uint8_t> v) { data_ = std::move(v); }
  // Children in form streams: widgets whose parent this is.
  TTstWidget* Parent() const { return parent_; }
  void SetParent(TTstWidget* v) { parent_ = v; }

  TNotifyEvent OnClick;
  TEvent<void(TObject*, int)> OnValue;

  // As seen by Loaded.
  int LoadedCalls = 0;
  int OwnerCountAtLoaded = -1;
  TTstWidget* BuddyAtLoaded = nullptr;
  bool ReadingAtLoaded = true;

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  bool HasParent() const override { return parent_ != nullptr; }
  TComponent* GetParentComponent() const override { return parent_; }
  void SetParentComponent(TComponent* parent) override { parent_ = dynamic_cast<TTstWidget*>(parent); }

protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void DefineProperties(TFiler& filer) override;

private:
  int32_t count_ = 0, big_ = 0, color_ = 0xFFFFFF;
  bool enabled_ = true;
  TTstShape shape_ = tshRect;
  TTstSides sides_{tsdLeft, tsdTop};
  double ratio_ = 0;
  std::string caption_;
  TTstBrush* brush_;
  TCollection* items_;
  TStringList* lines_;
  TTstLabelRef* captionId_;
  TTstLabelRef* textId_;
  TTstWidget* buddy_ = nullptr;
  TTstWidget* parent_ = nullptr;
  std::vector<uint8_t> data_;
};

// The root: handler methods bound by name, and a field for "WdFirst".
class TTstForm : public TComponent {
  KY_CLASS(TTstForm, TComponent)
public:
  explicit TTstForm(TComponent* owner) : TComponent(owner) {}
  static void Publish(TPublisher<TTstForm>& p);
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& v) { title_ = v; }

  void BtOkClick(TObject* sender) { Calls.push_back("BtOkClick:" + Sender(sender)); }
  void OtherClick(TObject* sender) { Calls.push_back("OtherClick:" + Sender(sender)); }
  void ValueChanged(TObject* sender, int value) { Calls.push_back("ValueChanged:" + Sender(sender) + ":" + std::to_string(value)); }

  std::vector<std::string> Calls;
  TTstWidget* WdFirst = nullptr;
  int LoadedCalls = 0;

protected:
  void Loaded() override;

private:
  static std::string Sender(TObject* sender);
  std::string title_;
};

// A form class derived from another, for forms read over their ancestors.
class TTstForm2 : public TTstForm {
  KY_CLASS(TTstForm2, TTstForm)
public:
  explicit TTstForm2(TComponent* owner) : TTstForm(owner) {}
  static void Publish(TPublisher<TTstForm2>& p);
  int32_t Level() const { return level_; }
  void SetLevel(int32_t v) { level_ = v; }
  void ExtraClick(TObject* sender) { Calls.push_back("ExtraClick"); (void)sender; }
  TTstWidget* WdExtra = nullptr;

private:
  int32_t level_ = 0;
};

void RegisterTestClasses();
