// Component trees through the binary form stream and its text.
#include <gtest/gtest.h>

#include <memory>

#include "FormTestClasses.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"

namespace {

using Bytes = std::vector<uint8_t>;

class FormStreamTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterTestClasses();
    TstLog.clear();
  }
};

// A form with a widget of every property kind set away from its default,
// one left at its defaults, and a widget nested inside another.
std::unique_ptr<TTstForm> MakeTree() {
  auto form = std::make_unique<TTstForm>(nullptr);
  form->SetName("FmMain");
  form->SetTitle("Main");
  auto* first = new TTstWidget(form.get());
  first->SetName("WdFirst");
  auto* plain = new TTstWidget(form.get());
  plain->SetName("WdPlain");
  auto* panel = new TTstWidget(form.get());
  panel->SetName("WdPanel");
  auto* child = new TTstWidget(form.get());
  child->SetName("WdChild");
  child->SetParent(panel);

  first->SetCount(5);
  first->SetColor(0x0000FF);
  first->SetEnabled(false);
  first->SetShape(tshArrow);
  first->SetSides({tsdRight, tsdBottom});
  first->SetRatio(0.1);
  first->SetCaption("Line 1\r\nIt's");
  first->Brush()->SetColor(0x123456);
  first->Brush()->SetStyle(tshEllipse);
  first->Brush()->Pattern()->SetName("dots");
  auto* a = static_cast<TTstItem*>(first->Items()->Add());
  a->SetValue("a");
  a->SetChecked(true);
  a->SetWeight(2.5);
  a->Brush()->Pattern()->SetName("x");
  first->Items()->Add();
  first->Lines()->SetText("one\r\ntwo\r\n");
  first->CaptionId()->SetPkgName("Idioma");
  first->CaptionId()->SetId(6);
  first->SetBuddy(panel);  // written before the panel: a forward reference
  first->SetData({0x01, 0x02, 0xFF});
  plain->CaptionId()->SetId(-1);  // explicitly unlinked: differs from the default -2
  panel->SetBig(7);
  child->SetBig(-100000);
  child->SetCaption(std::string(60, 'a') + "\xE9" "bcdefghij");
  child->SetBuddy(first);

  // Bound by name the way a form stream binds them.
  first->OnClick.Bind(*form, *form->ClassType().FindMethod("BtOkClick"));
  first->OnValue.Bind(*form, *form->ClassType().FindMethod("ValueChanged"));
  child->OnClick.Bind(*form, *form->ClassType().FindMethod("OtherClick"));
  return form;
}

const char kTreeText[] =
    "object FmMain: TTstForm\n"
    "  Title = 'Main'\n"
    "  object WdFirst: TTstWidget\n"
    "    Count = 5\n"
    "    Big = 0\n"
    "    Color = tclRed\n"
    "    Enabled = False\n"
    "    Shape = tshArrow\n"
    "    Sides = [tsdRight, tsdBottom]\n"
    "    Ratio = 0.1\n"
    "    Caption = 'Line 1'#13#10'It''s'\n"
    "    Brush.Color = 1193046\n"
    "    Brush.Style = tshEllipse\n"
    "    Brush.Pattern.Name = 'dots'\n"
    "    Items = <\n"
    "      item\n"
    "        Value = 'a'\n"
    "        Checked = True\n"
    "        Weight = 2.5\n"
    "        Brush.Pattern.Name = 'x'\n"
    "      end\n"
    "      item\n"
    "      end>\n"
    "    Lines.Strings = (\n"
    "      'one'\n"
    "      'two')\n"
    "    CaptionId.PkgName = 'Idioma'\n"
    "    CaptionId.Id = 6\n"
    "    Buddy = WdPanel\n"
    "    OnClick = BtOkClick\n"
    "    OnValue = ValueChanged\n"
    "    Data = {\n"
    "      0102FF}\n"
    "  end\n"
    "  object WdPlain: TTstWidget\n"
    "    Big = 0\n"
    "    CaptionId.Id = -1\n"
    "  end\n"
    "  object WdPanel: TTstWidget\n"
    "    Big = 7\n"
    "    object WdChild: TTstWidget\n"
    "      Big = -100000\n"
    "      Caption = 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa'#233'bcd' +\n"
    "        'efghij'\n"
    "      Buddy = WdFirst\n"
    "      OnClick = OtherClick\n"
    "    end\n"
    "  end\n"
    "end\n";

TEST_F(FormStreamTest, TreeSurvivesBinaryTextBinaryAndReadsBackEqual) {
  auto tree = MakeTree();
  Bytes binary = WriteComponentBytes(tree.get());

  // Only what differs from the defaults, nested names, children inside their parent.
  std::string text = FormBinaryToText(binary);
  EXPECT_EQ(text, kTreeText);
  EXPECT_EQ(FormTextToBinary(text), binary);

  TTstForm form(nullptr);
  ReadComponentBytes(binary, &form);
  EXPECT_EQ(WriteComponentBytes(&form), binary);

  ASSERT_EQ(form.ComponentCount(), 4);
  auto* first = form.Find<TTstWidget>("WdFirst");
  auto* plain = form.Find<TTstWidget>("WdPlain");
  auto* panel = form.Find<TTstWidget>("WdPanel");
  auto* child = form.Find<TTstWidget>("WdChild");
  ASSERT_TRUE(first && plain && panel && child);
  EXPECT_EQ(form.Name(), "FmMain");
  EXPECT_EQ(form.Title(), "Main");
  EXPECT_EQ(form.WdFirst, first);

  EXPECT_EQ(first->Count(), 5);
  EXPECT_EQ(first->Big(), 0);
  EXPECT_EQ(first->Color(), 0x0000FF);
  EXPECT_FALSE(first->Enabled());
  EXPECT_EQ(first->Shape(), tshArrow);
  EXPECT_EQ(first->Sides(), (TTstSides{tsdRight, tsdBottom}));
  EXPECT_EQ(first->Ratio(), 0.1);
  EXPECT_EQ(first->Caption(), "Line 1\r\nIt's");
  EXPECT_EQ(first->Brush()->Color(), 0x123456);
  EXPECT_EQ(first->Brush()->Style(), tshEllipse);
  EXPECT_EQ(first->Brush()->Pattern()->Name(), "dots");
  EXPECT_EQ(first->Brush()->Pattern()->Scale(), 100);
  ASSERT_EQ(first->Items()->Count(), 2);
  auto* a = first->Items()->ItemAs<TTstItem>(0);
  EXPECT_EQ(a->Value(), "a");
  EXPECT_TRUE(a->Checked());
  EXPECT_EQ(a->Weight(), 2.5);
  EXPECT_EQ(a->Brush()->Pattern()->Name(), "x");
  EXPECT_EQ(first->Items()->ItemAs<TTstItem>(1)->Weight(), 1.0);
  EXPECT_EQ(first->Lines()->CommaText(), "one,two");
  EXPECT_EQ(first->CaptionId()->PkgName(), "Idioma");
  EXPECT_EQ(first->CaptionId()->Id(), 6);
  EXPECT_EQ(first->TextId()->Id(), -1);
  EXPECT_EQ(first->Data(), (Bytes{0x01, 0x02, 0xFF}));
  EXPECT_EQ(plain->CaptionId()->Id(), -1);
  EXPECT_EQ(plain->Sides(), (TTstSides{tsdLeft, tsdTop}));
  EXPECT_EQ(child->Big(), -100000);
  EXPECT_EQ(child->Caption(), std::string(60, 'a') + "\xE9" "bcdefghij");

  // References resolved after the whole tree, children under their parent.
  EXPECT_EQ(first->Buddy(), panel);
  EXPECT_EQ(child->Buddy(), first);
  EXPECT_EQ(child->Parent(), panel);
  EXPECT_EQ(panel->Parent(), nullptr);

  // Handlers bound by name to the form's methods, sender first.
  first->OnClick(first);
  first->OnValue(first, 7);
  child->OnClick(child);
  EXPECT_FALSE(panel->OnClick);
  EXPECT_EQ(form.Calls, (std::vector<std::string>{"BtOkClick:WdFirst", "ValueChanged:WdFirst:7", "OtherClick:WdChild"}));
}

TEST_F(FormStreamTest, LoadedRunsOnceForEachComponentAfterTheWholeTree) {
  Bytes binary = WriteComponentBytes(MakeTree().get());
  TstLog.clear();
  TTstForm form(nullptr);
  ReadComponentBytes(binary, &form);

  EXPECT_EQ(TstLog, (std::vector<std::string>{"Loaded:FmMain", "Loaded:WdFirst", "Loaded:WdPlain", "Loaded:WdPanel",
                                              "Loaded:WdChild"}));
  EXPECT_EQ(form.LoadedCalls, 1);
  for (int i = 0; i < form.ComponentCount(); ++i) {
    auto* w = static_cast<TTstWidget*>(form.Components(i));
    SCOPED_TRACE(w->Name());
    EXPECT_EQ(w->LoadedCalls, 1);
    EXPECT_EQ(w->OwnerCountAtLoaded, 4);
    EXPECT_FALSE(w->ReadingAtLoaded);
    EXPECT_EQ(w->BuddyAtLoaded, w->Buddy());
    EXPECT_FALSE(w->IsLoading());
  }
  EXPECT_NE(form.Find<TTstWidget>("WdFirst")->BuddyAtLoaded, nullptr);
  EXPECT_FALSE(form.IsLoading());
}

TEST_F(FormStreamTest, ReadingWithoutARootMakesOneOfTheStreamsClass) {
  Bytes binary = WriteComponentBytes(MakeTree().get());
  std::unique_ptr<TComponent> root(ReadComponentBytes(binary, nullptr));
  ASSERT_NE(dynamic_cast<TTstForm*>(root.get()), nullptr);
  EXPECT_EQ(root->ComponentCount(), 4);
  EXPECT_EQ(WriteComponentBytes(root.get()), binary);
}

// A form written over its ancestor holds only the differences; read over
// the ancestor's stream in one pass it gives the whole descendant again.
TEST_F(FormStreamTest, DescendantFormHoldsOnlyWhatDiffersFromItsAncestor) {
  TTstForm base(nullptr);
  base.SetName("FmBase");
  base.SetTitle("Base title");
  auto* first = new TTstWidget(&base);
  first->SetName("WdFirst");
  first->SetCount(1);
  first->SetCaption("Base");
  first->Lines()->Add("x");
  first->CaptionId()->SetPkgName("Idioma");
  first->CaptionId()->SetId(3);
  first->OnClick.Bind(base, *base.ClassType().FindMethod("BtOkClick"));
  (new TTstWidget(&base))->SetName("WdPlain");
  Bytes baseBinary = WriteComponentBytes(&base);

  TTstForm2 derived(nullptr);
  ReadComponentBytes(baseBinary, &derived);
  derived.SetName("FmDerived");
  derived.SetLevel(2);
  derived.WdFirst->SetCaption("Derived");
  derived.WdFirst->CaptionId()->SetId(4);
  (new TTstWidget(&derived))->SetName("WdExtra");
  Bytes binary = WriteComponentBytes(&derived, &base);

  EXPECT_EQ(FormBinaryToText(binary),
            "inherited FmDerived: TTstForm2\n"
            "  Level = 2\n"
            "  inherited WdFirst: TTstWidget\n"
            "    Caption = 'Derived'\n"
            "    CaptionId.Id = 4\n"
            "  end\n"
            "  inherited WdPlain: TTstWidget\n"
            "  end\n"
            "  object WdExtra: TTstWidget\n"
            "    Big = 0\n"
            "  end\n"
            "end\n");
  EXPECT_EQ(FormTextToBinary(FormBinaryToText(binary)), binary);

  TstLog.clear();
  TTstForm2 form(nullptr);
  {
    TFormLoading loading;
    TMemoryStream s1(baseBinary), s2(binary);
    TReader(s1).ReadRootComponent(&form, loading);
    TReader(s2).ReadRootComponent(&form, loading);
    loading.Finish();
  }
  EXPECT_EQ(form.Name(), "FmDerived");
  EXPECT_EQ(form.Title(), "Base title");
  EXPECT_EQ(form.Level(), 2);
  ASSERT_NE(form.WdFirst, nullptr);
  ASSERT_NE(form.WdExtra, nullptr);
  EXPECT_EQ(form.WdFirst->Caption(), "Derived");
  EXPECT_EQ(form.WdFirst->Count(), 1);
  EXPECT_EQ(form.WdFirst->Lines()->CommaText(), "x");
  EXPECT_EQ(form.WdFirst->CaptionId()->PkgName(), "Idioma");
  EXPECT_EQ(form.WdFirst->CaptionId()->Id(), 4);
  ASSERT_TRUE(form.WdFirst->OnClick);
  form.WdFirst->OnClick(form.WdFirst);
  EXPECT_EQ(form.Calls, std::vector<std::string>{"BtOkClick:WdFirst"});
  EXPECT_EQ(TstLog, (std::vector<std::string>{"Loaded:FmDerived", "Loaded:WdFirst", "Loaded:WdPlain", "Loaded:WdExtra"}));
  EXPECT_EQ(WriteComponentBytes(&form, &base), binary);
}

// The stored-when rules a defined property states itself, with and
// without an ancestor.
TEST_F(FormStreamTest, DefinedPropertiesFollowTheirStoredWhenRules) {
  struct Case {
    bool withAncestor;
    std::string ancestorPkg;
    int32_t ancestorId;
    std::string pkg;
    int32_t id;
    const char* expected;  // the CaptionId lines of the widget
  };
  const Case cases[] = {
      {false, "", 0, "", -2, ""},                                                // the default reference
      {false, "", 0, "", -1, "    CaptionId.Id = -1\n"},                          // explicitly unlinked
      {false, "", 0, "Idioma", 0, "    CaptionId.PkgName = 'Idioma'\n    CaptionId.Id = 0\n"},
      {true, "Idioma", 5, "Idioma", 5, ""},                                       // same as the ancestor
      {true, "Idioma", 5, "idioma", 5, "    CaptionId.PkgName = 'idioma'\n"},    // letter case counts
      {true, "Idioma", 5, "Idioma", -2, "    CaptionId.Id = -2\n"},              // back to the default
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    TTstForm ancestor(nullptr), form(nullptr);
    ancestor.SetName("Fm");
    form.SetName("Fm");
    auto* aw = new TTstWidget(&ancestor);
    aw->SetName("Wd");
    aw->CaptionId()->SetPkgName(c.ancestorPkg);
    aw->CaptionId()->SetId(c.ancestorId);
    auto* w = new TTstWidget(&form);
    w->SetName("Wd");
    w->CaptionId()->SetPkgName(c.pkg);
    w->CaptionId()->SetId(c.id);
    std::string text = FormBinaryToText(WriteComponentBytes(&form, c.withAncestor ? &ancestor : nullptr));
    std::string expected = std::string(c.withAncestor ? "inherited Fm: TTstForm\n  inherited Wd: TTstWidget\n"
                                                      : "object Fm: TTstForm\n  object Wd: TTstWidget\n    Big = 0\n") +
                           c.expected + "  end\nend\n";
    EXPECT_EQ(text, expected);

    TTstForm back(nullptr);
    if (c.withAncestor) {
      TFormLoading loading;
      TMemoryStream s1(WriteComponentBytes(&ancestor)), s2(WriteComponentBytes(&form, &ancestor));
      TReader(s1).ReadRootComponent(&back, loading);
      TReader(s2).ReadRootComponent(&back, loading);
      loading.Finish();
    } else {
      ReadComponentBytes(WriteComponentBytes(&form), &back);
    }
    EXPECT_EQ(back.Find<TTstWidget>("Wd")->CaptionId()->PkgName(), c.pkg);
    EXPECT_EQ(back.Find<TTstWidget>("Wd")->CaptionId()->Id(), c.id);
  }
}

// Each damaged form fails with a message naming the place, frees what the
// reading made and leaves the root usable.
TEST_F(FormStreamTest, FaultyFormsFailCleanly) {
  struct Case {
    const char* body;  // inside "object Fm: TTstForm ... end"
    const char* message;
  };
  const Case cases[] = {
      {"object Wd: TTstWidget\n Nope = 1\nend", "Error reading Wd.Nope: Property Nope does not exist"},
      {"object Wd: TTstWidget\n Brush.Nope = 1\nend", "Error reading Wd.Brush.Nope: Property Brush.Nope does not exist"},
      {"object Wd: TTstWidget\n Shape = tshCircle\nend", "Error reading Wd.Shape: Invalid property value"},
      {"object Wd: TTstWidget\n Sides = [tsdLeft, tsdUp]\nend", "Error reading Wd.Sides: Invalid property value"},
      {"object Wd: TTstWidget\n Enabled = 1\nend", "Error reading Wd.Enabled: Invalid property value"},
      {"object Wd: TTstWidget\n Count = 'five'\nend", "Error reading Wd.Count: Invalid property value"},
      {"object Wd: TTstWidget\n Color = tclGreen\nend", "Error reading Wd.Color: Invalid property value"},
      {"object Wd: TTstWidget\n Items = <\n item\n Colour = 1\n end>\nend",
       "Error reading Wd.Items: Property Colour does not exist"},
      {"object Wd: TNope\nend", "Class TNope not found"},
      {"object Wd: TTstWidget\n OnClick = NoSuchMethod\nend",
       "Error reading Wd.OnClick: Method NoSuchMethod not found in TTstForm"},
      {"object Wd: TTstWidget\n OnClick = ValueChanged\nend",
       "Error reading Wd.OnClick: Method ValueChanged does not fit the event OnClick"},
      {"object Wd: TTstWidget\n Buddy = Ghost\nend", "Error reading Wd.Buddy: unresolved reference to Ghost"},
      {"object Wd: TTstWidget\nend\nobject Wx: TTstWidget\n Buddy = Fm\nend",
       "Error reading Wx.Buddy: Fm is not a TTstWidget"},
      {"object Wd: TTstWidget\nend\nobject WD: TTstWidget\nend", "A component named WD already exists"},
      {"inherited Wd: TTstWidget\nend", "Ancestor for 'Wd' not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    TstLog.clear();
    Bytes binary = FormTextToBinary(std::string("object Fm: TTstForm\n") + c.body + "\nend\n");
    TTstForm form(nullptr);
    try {
      ReadComponentBytes(binary, &form);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_FALSE(form.IsLoading());
    EXPECT_EQ(form.WdFirst, nullptr);
    for (const std::string& entry : TstLog) EXPECT_EQ(entry.rfind("Loaded:", 0), std::string::npos) << entry;
  }
}

TEST_F(FormStreamTest, CutStreamRaisesStreamReadErrorAndFreesWhatWasMade) {
  Bytes binary = WriteComponentBytes(MakeTree().get());
  // Every cut inside the stream (after the signature) fails the same way.
  for (size_t cut = 4; cut < binary.size(); cut += 7) {
    TstLog.clear();
    TTstForm form(nullptr);
    try {
      ReadComponentBytes(Bytes(binary.begin(), binary.begin() + static_cast<std::ptrdiff_t>(cut)), &form);
      ADD_FAILURE() << "no error at " << cut;
    } catch (const EReadError& e) {
      EXPECT_NE(std::string(e.what()).find("Stream read error"), std::string::npos) << e.what();
    }
    EXPECT_EQ(form.ComponentCount(), 0) << cut;
    EXPECT_FALSE(form.IsLoading());
  }
}

TEST_F(FormStreamTest, UnknownPropertiesCanBeSkippedByTheErrorHandler) {
  Bytes binary = FormTextToBinary(
      "object Fm: TTstForm\n"
      "  object Wd: TTstWidget\n"
      "    Retired = (1 'two' [a] <item X = 1 end>)\n"
      "    Count = 3\n"
      "  end\n"
      "end\n");
  TTstForm form(nullptr);
  TMemoryStream s(binary);
  TReader reader(s);
  std::vector<std::string> messages;
  reader.OnError = [&](TReader&, const std::string& message) {
    messages.push_back(message);
    return true;
  };
  reader.ReadRootComponent(&form);
  EXPECT_EQ(messages, std::vector<std::string>{"Property Retired does not exist"});
  EXPECT_EQ(form.Find<TTstWidget>("Wd")->Count(), 3);
}

TEST_F(FormStreamTest, ReferencesToOtherRootsGoThroughTheGlobalFinder) {
  TTstForm other(nullptr);
  other.SetName("FmOther");
  auto* target = new TTstWidget(&other);
  target->SetName("WdTarget");

  TTstForm form(nullptr);
  form.SetName("FmMain");
  auto* w = new TTstWidget(&form);
  w->SetName("Wd");
  w->SetBuddy(target);
  Bytes binary = WriteComponentBytes(&form);
  EXPECT_NE(FormBinaryToText(binary).find("Buddy = FmOther.WdTarget\n"), std::string::npos);

  SetFindGlobalComponent([&](const std::string& name) -> TComponent* { return name == "FmOther" ? &other : nullptr; });
  TTstForm back(nullptr);
  ReadComponentBytes(binary, &back);
  SetFindGlobalComponent(nullptr);
  EXPECT_EQ(back.Find<TTstWidget>("Wd")->Buddy(), target);

  // Freed, the other form's widget is forgotten by both referrers.
  delete target;
  EXPECT_EQ(w->Buddy(), nullptr);
  EXPECT_EQ(back.Find<TTstWidget>("Wd")->Buddy(), nullptr);
}

}  // namespace

// ---- Sub-components ----

namespace {

// A component that another owns and publishes (a configuration's package).
class TTstPart : public TComponent {
  KY_CLASS(TTstPart, TComponent)
public:
  using TComponent::TComponent;
  static void Publish(TPublisher<TTstPart>& p) {
    p.Property("Size", &TTstPart::Size, &TTstPart::SetSize).Default(1);
    p.Property("Brush", &TTstPart::Brush);
  }
  int32_t Size() const { return size_; }
  void SetSize(int32_t v) { size_ = v; }
  TTstBrush* Brush() const { return brush_.get(); }

private:
  int32_t size_ = 1;
  std::unique_ptr<TTstBrush> brush_ = std::make_unique<TTstBrush>();
};

// Owns Part; Other is a component it does not own.
class TTstHolder : public TComponent {
  KY_CLASS(TTstHolder, TComponent)
public:
  explicit TTstHolder(TComponent* owner) : TComponent(owner), part_(new TTstPart(this)) {}
  static void Publish(TPublisher<TTstHolder>& p) {
    p.Property("Part", &TTstHolder::Part);
    p.Property("Other", &TTstHolder::Other);
  }
  TTstPart* Part() const { return part_; }
  TTstPart* Other() const { return other_; }
  TTstPart* other_ = nullptr;

private:
  TTstPart* part_;
};

}  // namespace

TEST_F(FormStreamTest, OwnedSubComponentsAreReadAndWrittenNested) {
  RegisterClasses({&TTstHolder::StaticClass()});
  const std::string text =
      "object FmMain: TTstForm\n"
      "  object HdOne: TTstHolder\n"
      "    Part.Size = 3\n"
      "    Part.Brush.Pattern.Name = 'dots'\n"
      "  end\n"
      "  object HdTwo: TTstHolder\n"
      "  end\n"
      "end\n";
  TTstForm form(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &form);
  auto* one = dynamic_cast<TTstHolder*>(form.FindComponent("HdOne"));
  auto* two = dynamic_cast<TTstHolder*>(form.FindComponent("HdTwo"));
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(one->Part()->Size(), 3);
  EXPECT_EQ(one->Part()->Brush()->Pattern()->Name(), "dots");
  EXPECT_EQ(two->Part()->Size(), 1);

  // Written back as read: nested under the property, never as a component
  // of its own; a component that the holder does not own is not written.
  two->other_ = one->Part();
  EXPECT_EQ(FormBinaryToText(WriteComponentBytes(&form)), text);

  // Against an ancestor only what differs.
  TTstForm derived(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &derived);
  derived.SetName("FmDerived");
  static_cast<TTstHolder*>(derived.FindComponent("HdTwo"))->Part()->SetSize(9);
  EXPECT_EQ(FormBinaryToText(WriteComponentBytes(&derived, &form)),
            "inherited FmDerived: TTstForm\n"
            "  inherited HdOne: TTstHolder\n"
            "  end\n"
            "  inherited HdTwo: TTstHolder\n"
            "    Part.Size = 9\n"
            "  end\n"
            "end\n");

  // A path through a sub-component that does not exist fails like any other.
  TTstForm bad(nullptr);
  EXPECT_THROW(ReadComponentBytes(FormTextToBinary("object FmMain: TTstForm\n  object HdOne: TTstHolder\n"
                                                   "    Part.Nothing = 1\n  end\nend\n"),
                                  &bad),
               EReadError);
}
