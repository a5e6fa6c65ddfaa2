// formdemo: builds its form from the form resources linked into it (the
// texts TFrDemoBase.kfm and TFrDemo.kfm beside this file, the second one
// inheriting from the first) and reports what it got.
//
//   formdemo         lists the components and clicks the buttons
//   formdemo text    writes the loaded form back as form text
#include <cstdio>
#include <memory>
#include <string>

#include "platform/classes/Classes.h"
#include "platform/classes/Collection.h"
#include "platform/classes/FormResource.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/StringList.h"
#include "platform/classes/TextForm.h"

namespace {

// Printable ASCII as it is, everything else as #n (as the form text does).
std::string Escape(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 32 && c < 127) out += static_cast<char>(c);
    else {
      out += '#';
      out += std::to_string(c);
    }
  }
  return out;
}

}  // namespace

KY_ENUM(TDemoListStyle, uint8_t, lstPlain, lstChecks)

class TDemoButton : public TComponent {
  KY_CLASS(TDemoButton, TComponent)
public:
  explicit TDemoButton(TComponent* owner) : TComponent(owner) {}
  static void Publish(TPublisher<TDemoButton>& p) {
    p.Property("Caption", &TDemoButton::Caption, &TDemoButton::SetCaption);
    p.Property("Left", &TDemoButton::Left, &TDemoButton::SetLeft).Default(0);
    p.Property("Top", &TDemoButton::Top, &TDemoButton::SetTop).Default(0);
    p.Property("Default", &TDemoButton::IsDefault, &TDemoButton::SetDefault).Default(false);
    p.Event("OnClick", &TDemoButton::OnClick);
  }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  int32_t Left() const { return left_; }
  void SetLeft(int32_t v) { left_ = v; }
  int32_t Top() const { return top_; }
  void SetTop(int32_t v) { top_ = v; }
  bool IsDefault() const { return default_; }
  void SetDefault(bool v) { default_ = v; }
  void Click() {
    if (OnClick) OnClick(this);
  }
  TNotifyEvent OnClick;
  int LoadedCalls = 0;

protected:
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCalls;
  }

private:
  std::string caption_;
  int32_t left_ = 0, top_ = 0;
  bool default_ = false;
};

class TDemoEntry : public TCollectionItem {
  KY_CLASS(TDemoEntry, TCollectionItem)
public:
  explicit TDemoEntry(TCollection* collection) : TCollectionItem(collection) {}
  static void Publish(TPublisher<TDemoEntry>& p) {
    p.Property("Text", &TDemoEntry::Text, &TDemoEntry::SetText);
    p.Property("Checked", &TDemoEntry::Checked, &TDemoEntry::SetChecked).Default(false);
  }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& v) { text_ = v; }
  bool Checked() const { return checked_; }
  void SetChecked(bool v) { checked_ = v; }

private:
  std::string text_;
  bool checked_ = false;
};

class TDemoList : public TComponent {
  KY_CLASS(TDemoList, TComponent)
public:
  explicit TDemoList(TComponent* owner)
      : TComponent(owner), entries_(TDemoEntry::StaticClass(), this) {}
  static void Publish(TPublisher<TDemoList>& p) {
    p.Property("Style", &TDemoList::Style, &TDemoList::SetStyle).Default(lstPlain);
    p.Property("Entries", &TDemoList::Entries);
    p.Property("Notes", &TDemoList::Notes);
    p.Property("Partner", &TDemoList::Partner, &TDemoList::SetPartner);
  }
  TDemoListStyle Style() const { return style_; }
  void SetStyle(TDemoListStyle v) { style_ = v; }
  TCollection* Entries() const { return const_cast<TCollection*>(&entries_); }
  TStringList* Notes() const { return const_cast<TStringList*>(&notes_); }
  TDemoButton* Partner() const { return partner_; }
  void SetPartner(TDemoButton* v) { partner_ = v; }
  int LoadedCalls = 0;

protected:
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCalls;
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == partner_) partner_ = nullptr;
  }

private:
  TDemoListStyle style_ = lstPlain;
  TCollection entries_;
  TStringList notes_;
  TDemoButton* partner_ = nullptr;
};

class TFrDemoBase : public TComponent {
  KY_CLASS(TFrDemoBase, TComponent)
public:
  explicit TFrDemoBase(TComponent* owner) : TComponent(owner) {}
  static void Publish(TPublisher<TFrDemoBase>& p) {
    p.Property("Title", &TFrDemoBase::Title, &TFrDemoBase::SetTitle);
    p.Method("BtCloseClick", &TFrDemoBase::BtCloseClick);
    p.Field("BtClose", &TFrDemoBase::BtClose);
  }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& v) { title_ = v; }
  void BtCloseClick(TObject* sender) {
    std::printf("BtCloseClick from %s\n", static_cast<TComponent*>(sender)->Name().c_str());
  }
  TDemoButton* BtClose = nullptr;
  int LoadedCalls = 0;

protected:
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCalls;
  }

private:
  std::string title_;
};

class TFrDemo : public TFrDemoBase {
  KY_CLASS(TFrDemo, TFrDemoBase)
public:
  explicit TFrDemo(TComponent* owner) : TFrDemoBase(owner) {}
  static void Publish(TPublisher<TFrDemo>& p) {
    p.Method("BtHelloClick", &TFrDemo::BtHelloClick);
    p.Field("BtHello", &TFrDemo::BtHello);
    p.Field("LsLanguages", &TFrDemo::LsLanguages);
  }
  void BtHelloClick(TObject* sender) {
    std::printf("BtHelloClick from %s, title '%s'\n", static_cast<TComponent*>(sender)->Name().c_str(),
                Title().c_str());
  }
  TDemoButton* BtHello = nullptr;
  TDemoList* LsLanguages = nullptr;
};

int main(int argc, char** argv) {
  try {
    RegisterPlatformClasses();
    RegisterClasses({&TDemoButton::StaticClass(), &TDemoList::StaticClass(), &TFrDemoBase::StaticClass(),
                     &TFrDemo::StaticClass()});
    std::unique_ptr<TFrDemo> form(CreateFormFromResource<TFrDemo>(nullptr, TComponent::StaticClass()));

    if (argc > 1 && std::string(argv[1]) == "text") {
      std::fputs(FormBinaryToText(WriteComponentBytes(form.get())).c_str(), stdout);
      return 0;
    }
    std::printf("%s: %s '%s', loaded %dx\n", form->Name().c_str(), form->ClassName().c_str(),
                form->Title().c_str(), form->LoadedCalls);
    for (int i = 0; i < form->ComponentCount(); ++i) {
      TComponent* c = form->Components(i);
      if (auto* b = dynamic_cast<TDemoButton*>(c)) {
        std::printf("  %s: %s '%s' at %d,%d%s%s, loaded %dx\n", b->Name().c_str(), b->ClassName().c_str(),
                    Escape(b->Caption()).c_str(), b->Left(), b->Top(), b->IsDefault() ? " default" : "",
                    b->OnClick ? (", OnClick " + b->OnClick.MethodName()).c_str() : "", b->LoadedCalls);
      } else if (auto* l = dynamic_cast<TDemoList*>(c)) {
        std::printf("  %s: %s %s, partner %s, loaded %dx\n", l->Name().c_str(), l->ClassName().c_str(),
                    EnumInfo(l->Style()).Name(l->Style()).c_str(), l->Partner() ? l->Partner()->Name().c_str() : "none",
                    l->LoadedCalls);
        for (int k = 0; k < l->Entries()->Count(); ++k) {
          auto* e = l->Entries()->ItemAs<TDemoEntry>(k);
          std::printf("    [%c] %s\n", e->Checked() ? 'x' : ' ', Escape(e->Text()).c_str());
        }
        for (int k = 0; k < l->Notes()->Count(); ++k) std::printf("    | %s\n", l->Notes()->Strings(k).c_str());
      }
    }
    std::printf("fields: BtClose=%s BtHello=%s LsLanguages=%s\n", form->BtClose ? form->BtClose->Name().c_str() : "-",
                form->BtHello ? form->BtHello->Name().c_str() : "-",
                form->LsLanguages ? form->LsLanguages->Name().c_str() : "-");
    form->BtHello->Click();
    form->BtClose->Click();
  } catch (const Exception& e) {
    std::fprintf(stderr, "formdemo: %s\n", e.what());
    return 1;
  }
  return 0;
}
