// formdemo: a small windowed program whose form comes from its form
// resources (the texts TFrDemoBase.kfm and TFrDemo.kfm beside this file,
// the second inheriting from the first).
//
//   formdemo              shows the form and runs until it is closed
//   formdemo list         lists the components as loaded, clicks Hello and Close
//   formdemo text         writes the loaded form back as form text
//   formdemo shot FILE    paints the form's client area into a BMP file
#include <cstdio>
#include <memory>
#include <string>

#include "platform/classes/Collection.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windows/Application.h"
#include "platform/windows/Register.h"
#include "platform/windows/StdCtrls.h"

namespace {

// Printable ASCII as it is, everything else as #n (as the form text does).
std::string Escape(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 32 && c < 127) out += static_cast<char>(c);
    else out += '#' + std::to_string(c);
  }
  return out;
}

}  // namespace

KY_ENUM(TDemoListStyle, uint8_t, lstPlain, lstChecks)

// A band across the top: a two-colour fade with the caption on it.
class TDemoBanner : public TCustomControl {
  KY_CLASS(TDemoBanner, TCustomControl)
public:
  explicit TDemoBanner(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 200, 40); }
  static void Publish(TPublisher<TDemoBanner>& p) { p.Property("Caption", &TDemoBanner::Caption, &TDemoBanner::SetCaption); }

protected:
  void Paint() override {
    TCanvas* c = Canvas();
    int w = ClientWidth(), h = ClientHeight();
    for (int x = 0; x < w; x += 4) {
      int t = w > 1 ? x * 255 / (w - 1) : 0;
      c->Brush()->SetColor(KyRGB(static_cast<uint8_t>(24 + t / 8), static_cast<uint8_t>(64 + t / 3),
                                 static_cast<uint8_t>(140 + t / 3)));
      c->FillRect(TRect(x, 0, x + 4, h));
    }
    c->Font()->Assign(Font());
    c->Font()->SetColor(kClWhite);
    c->Font()->SetHeight(-16);
    c->Font()->SetStyle({fsBold});
    c->Brush()->SetStyle(bsClear);
    c->TextOut(12, (h - c->TextHeight(Caption())) / 2, Caption());
    c->Brush()->SetStyle(bsSolid);
  }
};

// A windowless swatch of a colour with its name below the colour.
class TDemoSwatch : public TGraphicControl {
  KY_CLASS(TDemoSwatch, TGraphicControl)
public:
  explicit TDemoSwatch(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 60, 36); }
  static void Publish(TPublisher<TDemoSwatch>& p) {
    p.Property("Color", &TDemoSwatch::Color, &TDemoSwatch::SetColor).Idents(ColorIdents());
    p.Property("Caption", &TDemoSwatch::Caption, &TDemoSwatch::SetCaption);
    p.Event("OnClick", &TDemoSwatch::OnClick);
  }

protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Pen()->SetColor(kClBtnShadow);
    c->Brush()->SetColor(Color());
    c->Rectangle(0, 0, Width(), Height() - 16);
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    std::string text = Caption();
    c->TextOut((Width() - c->TextWidth(text)) / 2, Height() - 15, text);
    c->Brush()->SetStyle(bsSolid);
  }
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

// A component without a window on the form: a collection and a reference.
class TDemoList : public TComponent {
  KY_CLASS(TDemoList, TComponent)
public:
  explicit TDemoList(TComponent* owner) : TComponent(owner), entries_(TDemoEntry::StaticClass(), this) {}
  static void Publish(TPublisher<TDemoList>& p) {
    p.Property("Style", &TDemoList::Style, &TDemoList::SetStyle).Default(lstPlain);
    p.Property("Entries", &TDemoList::Entries);
    p.Property("Partner", &TDemoList::Partner, &TDemoList::SetPartner);
  }
  TDemoListStyle Style() const { return style_; }
  void SetStyle(TDemoListStyle v) { style_ = v; }
  TCollection* Entries() const { return const_cast<TCollection*>(&entries_); }
  TButton* Partner() const { return partner_; }
  void SetPartner(TButton* v) { partner_ = v; }

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == partner_) partner_ = nullptr;
  }

private:
  TDemoListStyle style_ = lstPlain;
  TCollection entries_;
  TButton* partner_ = nullptr;
};

class TFrDemoBase : public TForm {
  KY_CLASS(TFrDemoBase, TForm)
public:
  using TForm::TForm;
  static void Publish(TPublisher<TFrDemoBase>& p) {
    p.Method("BtCloseClick", &TFrDemoBase::BtCloseClick);
    p.Field("BtClose", &TFrDemoBase::BtClose);
  }
  void BtCloseClick(TObject* sender) {
    if (Report) std::printf("BtCloseClick from %s\n", static_cast<TComponent*>(sender)->Name().c_str());
    Close();
  }
  TButton* BtClose = nullptr;
  bool Report = false;
};

class TFrDemo : public TFrDemoBase {
  KY_CLASS(TFrDemo, TFrDemoBase)
public:
  using TFrDemoBase::TFrDemoBase;
  static void Publish(TPublisher<TFrDemo>& p) {
    p.Method("BtHelloClick", &TFrDemo::BtHelloClick);
    p.Field("BtHello", &TFrDemo::BtHello);
    p.Field("LsLanguages", &TFrDemo::LsLanguages);
    p.Field("LbLanguages", &TFrDemo::LbLanguages);
    p.Field("EdName", &TFrDemo::EdName);
  }
  void BtHelloClick(TObject* sender) {
    std::string text = "Hello, " + EdName->Text();
    if (Report) std::printf("BtHelloClick from %s: %s\n", static_cast<TComponent*>(sender)->Name().c_str(), text.c_str());
    else BnTitle()->SetCaption(text);
  }
  TButton* BtHello = nullptr;
  TDemoList* LsLanguages = nullptr;
  TListBox* LbLanguages = nullptr;
  TEdit* EdName = nullptr;

protected:
  void DoCreate() override {
    // The list box shows the entries of the collection.
    for (int k = 0; k < LsLanguages->Entries()->Count(); ++k) {
      auto* e = LsLanguages->Entries()->ItemAs<TDemoEntry>(k);
      LbLanguages->Items()->Add(e->Text());
      if (e->Checked()) LbLanguages->SetItemIndex(k);
    }
    TFrDemoBase::DoCreate();
  }

private:
  TControl* BnTitle() { return static_cast<TControl*>(FindComponent("BnTitle")); }
};

namespace {

void List(TFrDemo* form) {
  std::printf("%s: %s '%s', client %dx%d\n", form->Name().c_str(), form->ClassName().c_str(),
              form->Caption().c_str(), form->ClientWidth(), form->ClientHeight());
  for (int i = 0; i < form->ControlCount(); ++i) {
    TControl* c = form->Controls(i);
    TRect b = c->BoundsRect();
    std::printf("  %s: %s at %d,%d %dx%d%s\n", c->Name().c_str(), c->ClassName().c_str(), b.Left, b.Top,
                b.Width(), b.Height(), dynamic_cast<TWinControl*>(c) ? " window" : "");
  }
  TDemoList* l = form->LsLanguages;
  std::printf("  %s: %s %s, partner %s\n", l->Name().c_str(), l->ClassName().c_str(),
              EnumInfo(l->Style()).Name(l->Style()).c_str(), l->Partner() ? l->Partner()->Name().c_str() : "none");
  for (int k = 0; k < form->LbLanguages->Items()->Count(); ++k)
    std::printf("    %s %s\n", k == form->LbLanguages->ItemIndex() ? "*" : "-",
                Escape(form->LbLanguages->Items()->Strings(k)).c_str());
  std::printf("tab order:");
  std::vector<TWinControl*> tabs;
  form->GetTabOrderList(tabs);
  for (TWinControl* w : tabs) std::printf(" %s", w->Name().c_str());
  std::printf("\n");
  form->Report = true;
  form->BtHello->Click();
  form->BtClose->Click();
}

void Shot(TFrDemo* form, const std::string& file) {
  form->HandleNeeded();
  TBitmap picture(form->ClientWidth(), form->ClientHeight(), pf24bit);
  form->PaintTo(picture.Canvas()->Handle(), 0, 0);
  picture.SaveToFile(file);
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  try {
    TApplication app;
    RegisterWindowsClasses();
    RegisterClasses({&TDemoBanner::StaticClass(), &TDemoSwatch::StaticClass(), &TDemoList::StaticClass(),
                     &TFrDemoBase::StaticClass(), &TFrDemo::StaticClass()});
    app.SetTitle("KySetup form demo");
    TFrDemo* form = nullptr;
    app.CreateForm(form);
    if (mode == "list") {
      List(form);
    } else if (mode == "text") {
      std::fputs(FormBinaryToText(WriteComponentBytes(form)).c_str(), stdout);
    } else if (mode == "shot" && argc > 2) {
      Shot(form, argv[2]);
    } else if (mode.empty()) {
      app.Run();
    } else {
      std::fprintf(stderr, "usage: formdemo [list | text | shot FILE.bmp]\n");
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "formdemo: %s\n", e.what());
    return 1;
  }
  return 0;
}
