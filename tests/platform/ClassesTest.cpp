// Ownership, names, notifications, the class registry and published properties.
#include <gtest/gtest.h>

#include <memory>

#include "FormTestClasses.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"

namespace {

class ClassesTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterTestClasses();
    TstLog.clear();
  }
};

TTstWidget* NewWidget(TComponent* owner, const std::string& name) {
  auto* w = new TTstWidget(owner);
  w->SetName(name);
  return w;
}

TEST_F(ClassesTest, OwnerFreesItsComponentsLastFirstAndTheirOwnedOnesBeforeThem) {
  {
    TTstForm form(nullptr);
    NewWidget(&form, "A");
    TTstWidget* b = NewWidget(&form, "B");
    NewWidget(b, "B1");
    NewWidget(b, "B2");
    NewWidget(&form, "C");
  }
  EXPECT_EQ(TstLog, (std::vector<std::string>{"~C", "~B", "~B2", "~B1", "~A"}));
}

TEST_F(ClassesTest, FreeingOneComponentTellsItsSiblingsAndClearsTheOwnersField) {
  TTstForm form(nullptr);
  TTstWidget* first = NewWidget(&form, "WdFirst");
  TTstWidget* other = NewWidget(&form, "WdOther");
  other->SetBuddy(first);
  other->SetParent(first);
  EXPECT_EQ(form.WdFirst, first);

  delete first;
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.WdFirst, nullptr);
  EXPECT_EQ(other->Buddy(), nullptr);
  EXPECT_EQ(other->Parent(), nullptr);
  EXPECT_EQ(form.FindComponent("WdFirst"), nullptr);
}

TEST_F(ClassesTest, FreeNotificationReachesComponentsOfOtherOwnersBothWays) {
  auto formA = std::make_unique<TTstForm>(nullptr);
  TTstForm formB(nullptr);
  TTstWidget* a = NewWidget(formA.get(), "A");
  TTstWidget* b = NewWidget(&formB, "B");
  b->SetBuddy(a);
  a->SetBuddy(b);
  // The referrer freed first must not be told of anything afterwards.
  delete b;
  EXPECT_EQ(a->Buddy(), nullptr);
  TTstWidget* b2 = NewWidget(&formB, "B2");
  b2->SetBuddy(a);
  formA.reset();
  EXPECT_EQ(b2->Buddy(), nullptr);
}

TEST_F(ClassesTest, NamesAreIdentifiersUniqueWithinTheOwnerWithoutRegardToCase) {
  TTstForm form(nullptr);
  TTstWidget* w = NewWidget(&form, "BtNext");
  EXPECT_EQ(form.FindComponent("btnext"), w);
  EXPECT_EQ(form.FindComponent(""), nullptr);
  w->SetName("BTNEXT");  // the same name in other letters is no clash with itself
  EXPECT_EQ(w->Name(), "BTNEXT");

  struct Case {
    const char* name;
    const char* message;
  };
  const Case bad[] = {
      {"9Lives", "'9Lives' is not a valid component name"},
      {"Bt Next", "'Bt Next' is not a valid component name"},
      {"Bt.Next", "'Bt.Next' is not a valid component name"},
      {"btNext", "A component named btNext already exists"},
  };
  TTstWidget* other = NewWidget(&form, "Other");
  for (const Case& c : bad) {
    try {
      other->SetName(c.name);
      ADD_FAILURE() << c.name;
    } catch (const EComponentError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(other->Name(), "Other");
  }
  other->SetName("_Bt_2");
  other->SetName("");  // unnamed components are allowed, and several may be
  NewWidget(&form, "");
  EXPECT_EQ(form.ComponentCount(), 3);
}

TEST_F(ClassesTest, FieldsRefuseComponentsOfAnotherClass) {
  TTstForm form(nullptr);
  auto* plain = new TComponent(&form);
  try {
    plain->SetName("WdFirst");
    ADD_FAILURE() << "no error";
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "Field WdFirst of TTstForm cannot hold a TComponent");
  }
  EXPECT_EQ(plain->Name(), "");
  EXPECT_EQ(form.WdFirst, nullptr);
}

// A component that reports what its owner's notifications tell it.
class TTstListener : public TComponent {
  KY_CLASS(TTstListener, TComponent)
public:
  explicit TTstListener(TComponent* owner) : TComponent(owner) {}
  std::vector<std::string> Heard;

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (component != this) Heard.push_back((operation == opInsert ? "+" : "-") + component->ClassName());
  }
};

TEST_F(ClassesTest, InsertionAndRemovalAreToldToEveryOwnedComponent) {
  TTstForm form(nullptr), other(nullptr);
  auto* listener = new TTstListener(&form);
  auto* w = new TTstWidget(&form);
  other.InsertComponent(w);  // moves: removed from form first
  EXPECT_EQ(w->Owner(), &other);
  EXPECT_EQ(form.ComponentCount(), 1);
  form.InsertComponent(w);
  delete w;
  // Inserted while still being built, the component is only a TComponent.
  EXPECT_EQ(listener->Heard, (std::vector<std::string>{"+TComponent", "-TTstWidget", "+TTstWidget", "-TComponent"}));
}

TEST_F(ClassesTest, RegistryMakesComponentsByClassNameAndRefusesOthers) {
  TTstForm form(nullptr);
  TComponent* c = CreateComponent("ttstwidget", &form);
  EXPECT_EQ(c->ClassName(), "TTstWidget");
  EXPECT_EQ(c->Owner(), &form);
  EXPECT_EQ(&FindClass("TTstForm2"), &TTstForm2::StaticClass());
  EXPECT_EQ(GetClass("TTstPattern"), nullptr);
  try {
    FindClass("TNothing");
    ADD_FAILURE() << "no error";
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Class TNothing not found");
  }
  EXPECT_THROW(RegisterClasses({&TTstPattern::StaticClass()}), EComponentError);
  EXPECT_THROW(RegisterClasses({&TStrings::StaticClass()}), EComponentError);
  EXPECT_FALSE(TStrings::StaticClass().Creatable());  // abstract
  EXPECT_TRUE(TTstItem::StaticClass().Creatable());
  EXPECT_TRUE(TTstForm2::StaticClass().InheritsFrom(TComponent::StaticClass()));
  EXPECT_FALSE(TTstForm::StaticClass().InheritsFrom(TTstForm2::StaticClass()));
}

std::vector<std::string> PropertyNames(const TClassInfo& cls) {
  std::vector<std::string> names;
  for (const TPropInfo* p : cls.Properties()) names.push_back(p->Name);
  return names;
}

// Publishes Count again with another default.
class TTstWidget5 : public TTstWidget {
  KY_CLASS(TTstWidget5, TTstWidget)
public:
  explicit TTstWidget5(TComponent* owner) : TTstWidget(owner) { SetCount(5); }
  static void Publish(TPublisher<TTstWidget5>& p) {
    p.Property("Count", &TTstWidget5::Count, &TTstWidget5::SetCount).Default(5);
  }
};

TEST_F(ClassesTest, PropertiesAreInheritedInOrderAndRepublishingReplacesInPlace) {
  EXPECT_EQ(PropertyNames(TTstForm2::StaticClass()), (std::vector<std::string>{"Name", "Tag", "Title", "Level"}));
  EXPECT_EQ(PropertyNames(TTstWidget5::StaticClass()), PropertyNames(TTstWidget::StaticClass()));
  EXPECT_EQ(TTstWidget5::StaticClass().FindProperty("count")->OrdDefault, 5);
  EXPECT_EQ(TTstWidget::StaticClass().FindProperty("Count")->OrdDefault, 0);
  EXPECT_EQ(TTstWidget5::StaticClass().FindProperty("Shape"), TTstWidget::StaticClass().FindProperty("Shape"));
  EXPECT_NE(TTstForm2::StaticClass().FindMethod("btokclick"), nullptr);
  EXPECT_EQ(TTstForm::StaticClass().FindMethod("ExtraClick"), nullptr);

  RegisterClasses({&TTstWidget5::StaticClass()});
  TTstForm form(nullptr);
  form.SetName("Fm");
  auto* w = new TTstWidget5(&form);
  w->SetName("W");
  std::string text = FormBinaryToText(WriteComponentBytes(&form));
  EXPECT_EQ(text, "object Fm: TTstForm\n  object W: TTstWidget5\n    Big = 0\n  end\nend\n");
  w->SetCount(0);
  text = FormBinaryToText(WriteComponentBytes(&form));
  EXPECT_NE(text.find("    Count = 0\n"), std::string::npos) << text;
}

// A hint stored only while it is shown.
class TTstHinted : public TComponent {
  KY_CLASS(TTstHinted, TComponent)
public:
  explicit TTstHinted(TComponent* owner) : TComponent(owner) {}
  static void Publish(TPublisher<TTstHinted>& p) {
    p.Property("Hint", &TTstHinted::Hint, &TTstHinted::SetHint).Stored(&TTstHinted::ShowHint);
    p.Property("ShowHint", &TTstHinted::ShowHint, &TTstHinted::SetShowHint).Default(false);
  }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { hint_ = v; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; }

private:
  std::string hint_;
  bool showHint_ = false;
};

TEST_F(ClassesTest, StoredWhenMethodDecidesBeforeTheDefault) {
  TTstHinted c(nullptr);
  c.SetName("Hn");
  c.SetHint("Add product");
  EXPECT_EQ(FormBinaryToText(WriteComponentBytes(&c)), "object Hn: TTstHinted\nend\n");
  c.SetShowHint(true);
  EXPECT_EQ(FormBinaryToText(WriteComponentBytes(&c)),
            "object Hn: TTstHinted\n  Hint = 'Add product'\n  ShowHint = True\nend\n");
}

TEST_F(ClassesTest, EnumerationNamesComeFromTheDeclaration) {
  const TEnumInfo& info = EnumInfo(tshNone);
  EXPECT_EQ(info.TypeName(), "TTstShape");
  EXPECT_EQ(info.Count(), 4);
  EXPECT_EQ(info.Name(tshArrow), "tshArrow");
  EXPECT_EQ(info.Name(4), "");
  EXPECT_EQ(info.Value("TSHELLIPSE"), tshEllipse);
  EXPECT_EQ(info.Value("tshCircle"), -1);
  EXPECT_EQ(EnumInfo(csDesigning).Name(csDesigning), "csDesigning");
}

TEST_F(ClassesTest, AssignBetweenUnrelatedClassesNamesBoth) {
  TTstBrush brush;
  TTstPattern pattern;
  try {
    pattern.Assign(&brush);
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TTstBrush to a TTstPattern");
  }
  pattern.SetName("dots");
  brush.Pattern()->Assign(&pattern);
  EXPECT_EQ(brush.Pattern()->Name(), "dots");
}

TEST_F(ClassesTest, ComponentStateFollowsDesigningAndDestroying) {
  TTstForm form(nullptr);
  form.SetDesigning(true);
  TTstWidget* w = NewWidget(&form, "W");  // joins a designed owner: designed too
  EXPECT_TRUE(w->IsDesigning());
  form.SetDesigning(false);
  EXPECT_FALSE(w->IsDesigning());

  // Freed with its owner, a component knows before its own destructor runs.
  struct TTstWatcher : TTstWidget {
    using TTstWidget::TTstWidget;
    ~TTstWatcher() override { TstLog.push_back(IsDestroying() ? "with the owner" : "alone"); }
  };
  auto* owner = new TTstForm(nullptr);
  delete new TTstWatcher(owner);
  new TTstWatcher(owner);
  delete owner;
  EXPECT_EQ(TstLog, (std::vector<std::string>{"alone", "~", "with the owner", "~"}));
}

TEST_F(ClassesTest, NamePathsNameTheObjectsPlace) {
  TTstForm form(nullptr);
  form.SetName("Fm");
  TTstWidget* w = NewWidget(&form, "Wd");
  w->Items()->Add();
  w->Items()->Add();
  EXPECT_EQ(w->GetNamePath(), "Wd");
  EXPECT_EQ(w->Items()->GetNamePath(), "Wd.Items");
  EXPECT_EQ(w->Items()->Items(1)->GetNamePath(), "Wd.Items[1]");
}

}  // namespace
