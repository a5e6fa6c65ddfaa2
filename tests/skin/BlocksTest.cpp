// The building blocks as the controls and the form streams see them: the
// published defaults, streaming through the text form, one change call for
// any change however deep, none for a setter given the current value, and
// Assign. Most checks walk every published value of every block class, so
// a property added later is covered without a new test.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "SkinTestSupport.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "skin/AutoRepeat.h"
#include "skin/Blocks.h"
#include "skin/EditButtons.h"
#include "skin/ImageBlocks.h"
#include "skin/MarkBlocks.h"
#include "skin/ShapeBlocks.h"
#include "skin/TextBlocks.h"

namespace {

// ---- Walking the published values of a block -------------------------------------

// One value somewhere in a block's tree: how to change it to a value that
// depends on k, how to set it to what it holds, and how it reads.
struct TLeaf {
  std::string Path;
  std::function<void(int k)> Change;
  std::function<void()> Same;
  std::function<std::string()> Show;
};

int32_t OtherOrd(const TPropInfo& p, int32_t cur, int k) {
  switch (p.Kind) {
    case tkBoolean: return cur ? 0 : 1;
    case tkEnumeration: return (cur + 1 + k % (p.EnumType->Count() - 1)) % p.EnumType->Count();
    case tkSet: return cur ^ (1 | (1 << (k % p.EnumType->Count())));
    default: return cur + 3 + k % 50;
  }
}

void CollectLeaves(TPersistent& o, const std::string& path, std::vector<TLeaf>& out) {
  for (const TPropInfo* p : o.ClassType().Properties()) {
    std::string name = path + p->Name;
    switch (p->Kind) {
      case tkBoolean:
      case tkInteger:
      case tkEnumeration:
      case tkSet:
        out.push_back({name, [&o, p](int k) { p->SetOrd(o, OtherOrd(*p, p->GetOrd(o), k)); },
                       [&o, p] { p->SetOrd(o, p->GetOrd(o)); }, [&o, p] { return std::to_string(p->GetOrd(o)); }});
        break;
      case tkString:
        out.push_back({name, [&o, p](int k) { p->SetStr(o, "Text " + std::to_string(k) + "\r\nline"); },
                       [&o, p] { p->SetStr(o, p->GetStr(o)); }, [&o, p] { return p->GetStr(o); }});
        break;
      case tkClass: {
        TPersistent* child = p->GetObj(o);
        ASSERT_NE(child, nullptr) << name;
        if (auto* set = dynamic_cast<TKySetObject*>(child)) {
          out.push_back({name + ".Name", [set](int k) { set->SetName("s" + std::to_string(k)); },
                         [set] { set->SetName(set->Name()); }, [set] { return set->Name(); }});
        } else if (auto* ref = dynamic_cast<TKyMemoryReference*>(child)) {
          out.push_back({name + ".Id", [ref](int k) { ref->SetReference("User", 100 + k); },
                         [ref] { ref->SetReference(ref->PkgName(), ref->Id()); },
                         [ref] { return ref->PkgName() + "/" + std::to_string(ref->Id()); }});
        } else if (auto* img = dynamic_cast<TKyMemoryImage*>(child)) {
          out.push_back({name + ".Id", [img](int k) { img->SetReference("User", 200 + k); },
                         [img] { img->SetReference(img->PkgName(), img->Id()); },
                         [img] { return img->PkgName() + "/" + std::to_string(img->Id()); }});
        } else {
          CollectLeaves(*child, name + ".", out);
        }
        break;
      }
      default:
        ADD_FAILURE() << "unexpected property kind at " << name;
    }
  }
}

std::vector<TLeaf> Leaves(TPersistent& o) {
  std::vector<TLeaf> out;
  CollectLeaves(o, "", out);
  return out;
}

// Every value of the tree, one "path=value" a line.
std::string Dump(TPersistent& o) {
  std::string s;
  for (const TLeaf& l : Leaves(o)) s += l.Path + "=" + l.Show() + "\n";
  return s;
}

void ChangeAll(TPersistent& o, int seed) {
  int k = seed;
  for (const TLeaf& l : Leaves(o)) l.Change(k++);
}

std::unique_ptr<TKyBlock> Make(const TClassInfo& cls) {
  return std::unique_ptr<TKyBlock>(static_cast<TKyBlock*>(cls.CreateInstance(nullptr)));
}

std::vector<const TClassInfo*> ConcreteBlocks() {
  std::vector<const TClassInfo*> out;
  for (const TClassInfo* c : SkinBlockClasses())
    if (c->Creatable()) out.push_back(c);
  return out;
}

// A block with a counter on its owner callback.
struct TCounted {
  explicit TCounted(const TClassInfo& cls) : block(Make(cls)) {
    block->OnChange = [this](TObject* sender) {
      ++calls;
      lastSender = sender;
    };
  }
  std::unique_ptr<TKyBlock> block;
  int calls = 0;
  TObject* lastSender = nullptr;
};

// ---- A component that owns one block of every concrete class ---------------------

constexpr size_t kHeldCount = 30;

class TTstBlockHolder : public TComponent {
  KY_CLASS(TTstBlockHolder, TComponent)
public:
  using TCreateArg = TComponent*;
  explicit TTstBlockHolder(TComponent* owner) : TComponent(owner) {
    for (const TClassInfo* c : ConcreteBlocks()) blocks_.push_back(Make(*c));
  }
  static void Publish(TPublisher<TTstBlockHolder>& p) { PublishAll(p, std::make_index_sequence<kHeldCount>()); }

  template <size_t I>
  TKyBlock* Block() const {
    return blocks_[I].get();
  }
  const std::vector<std::unique_ptr<TKyBlock>>& Blocks() const { return blocks_; }
  // The block of exactly class B.
  template <class B>
  B* Held() const {
    for (const auto& b : blocks_)
      if (&b->ClassType() == &B::StaticClass()) return static_cast<B*>(b.get());
    throw std::logic_error("no " + B::StaticClass().Name() + " held");
  }

private:
  template <size_t... I>
  static void PublishAll(TPublisher<TTstBlockHolder>& p, std::index_sequence<I...>) {
    // The property is named after the class without "TKy": "LabelText".
    static const std::vector<std::string> names = [] {
      std::vector<std::string> n;
      for (const TClassInfo* c : ConcreteBlocks()) n.push_back(c->Name().substr(3));
      return n;
    }();
    (p.Property(names[I].c_str(), &TTstBlockHolder::Block<I>), ...);
  }

  std::vector<std::unique_ptr<TKyBlock>> blocks_;
};

class BlocksTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    RegisterSkinBlocks();
    RegisterClasses({&TTstBlockHolder::StaticClass()});
  }
};

// ---- Defaults ----------------------------------------------------------------------

TEST_F(BlocksTest, EveryConcreteClassIsHeld) {
  ASSERT_EQ(ConcreteBlocks().size(), kHeldCount);
  // The bases publish but cannot be made on their own.
  for (const TClassInfo* c : {&TKyBasicText::StaticClass(), &TKyBasicShape::StaticClass(),
                              &TKyBasicImage::StaticClass()})
    EXPECT_FALSE(c->Creatable()) << c->Name();
}

// What a block holds when made is what the form streams take as its
// default, so a form never stores a value the block was created with.
TEST_F(BlocksTest, ConstructorValuesAreTheStreamingDefaults) {
  for (const TClassInfo* c : ConcreteBlocks()) {
    auto b = Make(*c);
    for (const TPropInfo* p : c->Properties()) {
      if (p->Kind == tkClass || p->Kind == tkString) continue;
      ASSERT_TRUE(p->HasDefault) << c->Name() << "." << p->Name << " would always be written";
      EXPECT_EQ(p->GetOrd(*b), p->OrdDefault) << c->Name() << "." << p->Name;
    }
  }
  // A fresh holder writes nothing of its blocks.
  TComponent root(nullptr);
  root.SetName("FmBlocks");
  (new TTstBlockHolder(&root))->SetName("Holder");
  EXPECT_EQ(FormBinaryToText(WriteComponentBytes(&root)),
            "object FmBlocks: TComponent\n  object Holder: TTstBlockHolder\n  end\nend\n");
}

// The published defaults, as the controls rely on them.
TEST_F(BlocksTest, PublishedDefaults) {
  struct Row {
    const char* cls;
    const char* prop;
    int32_t value;
  };
  const Row rows[] = {
      {"TKyMemoText", "WordWrap", 1},          {"TKyLabelText", "Visible", 1},
      {"TKyLabelText", "Layout", layCenter},   {"TKyLabelText", "Spacing3D", 1},
      {"TKyLabelText", "WordWrap", 0},         {"TKyEditText", "WordWrap", 0},
      {"TKyButtonText", "Alignment", aliLeft}, {"TKyBoxText", "Layout", tblTopLeft},
      {"TKyCheckText", "Box", 1},              {"TKyTabsTexts", "FontStyle", fosNormal},
      {"TKyBrush", "Style", brsSolid},         {"TKyCheckShape", "Width", 16},
      {"TKyCheckShape", "Shape", shaRectangle}, {"TKyCheckShape", "BorderStyle", bos3D},
      {"TKyRadioShape", "Width", 10},          {"TKyRadioShape", "Height", 10},
      {"TKyButtonShape", "BorderWidth", 1},    {"TKyFullShape", "BorderStyle", bosSingle},
      {"TKyFullShape", "Visible", 0},          {"TKyStaticImage", "Width", 16},
      {"TKyStaticImage", "Transparent", 1},    {"TKyEditImage", "Visible", 0},
      {"TKyDownImage", "Width", 15},           {"TKyDownImage", "Height", 13},
      {"TKySpeedDownImage", "Width", 13},      {"TKySpeedDownImage", "Height", 13},
      {"TKyGroupImages", "Spacing", 2},        {"TKyFullImage", "Layout", iclLeft},
      {"TKySingleCheck", "Style", cksImage},   {"TKyGroupChecks", "Spacing", 2},
      {"TKySingleRadio", "Style", rasImage},   {"TKyGroupRadios", "Layout", iclLeft},
      {"TKyButtonRepeats", "Active", 0},       {"TKyButtonRepeats", "StartTime", 400},
      {"TKyButtonRepeats", "NextTime", 80},    {"TKyEditBtns", "Buttons", 0},
      {"TKyEditBtns", "ExtLayout", eclRightCenter}, {"TKyEditBtns", "ExtSpacing", 3},
      {"TKyEditBtns", "Width", 18},            {"TKyEditBtns", "Flat", 1},
      {"TKyEditBtns", "Margin", -1},
  };
  for (const Row& r : rows) {
    const TClassInfo* c = nullptr;
    for (const TClassInfo* k : SkinBlockClasses())
      if (k->Name() == r.cls) c = k;
    ASSERT_NE(c, nullptr) << r.cls;
    const TPropInfo* p = c->FindProperty(r.prop);
    ASSERT_NE(p, nullptr) << r.cls << "." << r.prop;
    EXPECT_EQ(p->GetOrd(*Make(*c)), r.value) << r.cls << "." << r.prop;
  }
  // The pens: clear by default, solid for the configuration's main pen.
  EXPECT_EQ(TKyButtonShape().Pen()->Style(), pesClear);
  EXPECT_EQ(TKyCfgMainPen().Style(), pesSolid);
}

// The published names of every class, inherited ones first: what a form
// may store and nothing more.
TEST_F(BlocksTest, PublishedProperties) {
  const std::map<std::string, std::string> expected = {
      {"TKyMemoText", "SetFont SetColText WordWrap"},
      {"TKyLabelText", "SetFont SetColText Visible Width WordWrap Angle FontStyle Spacing3D Layout ShowAccelChar "
                       "SetColLight SetColShadow SetColAccelChar SetColSelected SetColPositives SetColNegatives "
                       "SetBGSelected SetBGPositives SetBGNegatives"},
      {"TKyEditText", "SetFont SetColText WordWrap SetColPositives SetColNegatives SetColDisabled SetBGPositives "
                      "SetBGNegatives SetBGDisabled"},
      {"TKyButtonText", "SetFont SetColText Visible Width Alignment Layout Angle Spacing3D FontStyle SetColLight "
                        "SetColShadow SetColAccelChar"},
      {"TKySmallText", "SetFont SetColText Width Alignment Layout Angle Spacing3D FontStyle SetColLight SetColShadow "
                       "SetColAccelChar SetColSelected SetBGSelected"},
      {"TKyBoxText", "SetFont SetColText Caption Width Alignment Layout Spacing3D FontStyle SetColLight SetColShadow "
                     "SetColAccelChar"},
      {"TKyGroupTexts", "SetFont SetColText Visible WordWrap Width Alignment Layout Angle Spacing3D FontStyle "
                        "SetColLight SetColShadow SetColSelected SetBGSelected"},
      {"TKyRadioGroupTexts", "SetFont SetColText Visible WordWrap Width Alignment Layout Angle Spacing3D FontStyle "
                             "SetColLight SetColShadow SetColAccelChar"},
      {"TKyCheckText", "SetFont SetColText UnChecked Grayed Checked UnCheckedId GrayedId CheckedId SetColUnChecked "
                       "SetColGrayed SetColChecked Box"},
      {"TKyTabsTexts", "SetFont SetColText Visible Width Alignment Layout Angle Spacing3D FontStyle SetColLight "
                       "SetColShadow SetColAccelChar"},
      {"TKyBrush", "SetBackGround Style"},
      {"TKyCheckShape", "Shape Reflection Orientation Width Height BorderStyle SetBGGrayed SetBGChecked "
                        "SetBGUnChecked Pen"},
      {"TKyRadioShape", "Shape Reflection Orientation Width Height BorderStyle SetBGChecked SetBGUnChecked Pen"},
      {"TKyButtonShape", "Shape Reflection Orientation BorderStyle BorderWidth Brush Pen MarginLeftRight "
                         "MarginTopBottom"},
      {"TKyBitBtnShape", "Shape Reflection Orientation BorderStyle SetBackGround Pen"},
      {"TKyFullShape", "Shape Reflection Orientation Visible BorderStyle BorderWidth Down Brush Pen"},
      {"TKyStaticImage", "Width Height Stretch Transparent Image"},
      {"TKyEditImage", "Width Height Stretch Transparent Image Visible"},
      {"TKyDownImage", "Width Height Stretch Transparent Image"},
      {"TKySpeedDownImage", "Width Height Stretch Transparent Image"},
      {"TKyGroupImages", "Width Height Stretch Transparent Layout Spacing Visible"},
      {"TKyCheckImage", "Width Height Stretch Transparent UnChecked Grayed Checked"},
      {"TKyRadioImage", "Width Height Stretch Transparent UnChecked Checked"},
      {"TKyFullImage", "Width Height Stretch Transparent Visible Image Layout Spacing"},
      {"TKySingleCheck", "Style Image Text Shape"},
      {"TKyGroupChecks", "Style Image Text Shape Layout Spacing"},
      {"TKySingleRadio", "Style Image Shape"},
      {"TKyGroupRadios", "Style Image Shape Layout Spacing"},
      {"TKyButtonRepeats", "Active StartTime NextTime"},
      {"TKyEditBtns", "Buttons ExtLayout ExtSpacing Width Height Spacing Shape Flat Image1 Image2 Key1 Key2 Hint1 "
                      "Hint2 CaptionId1 CaptionId2 Margin"},
  };
  ASSERT_EQ(expected.size(), ConcreteBlocks().size());
  for (const TClassInfo* c : ConcreteBlocks()) {
    std::string names;
    for (const TPropInfo* p : c->Properties()) names += (names.empty() ? "" : " ") + p->Name;
    auto it = expected.find(c->Name());
    ASSERT_NE(it, expected.end()) << c->Name();
    EXPECT_EQ(names, it->second) << c->Name();
  }
  // The pens the shapes own.
  std::string pen;
  for (const TPropInfo* p : TKyPen::StaticClass().Properties()) pen += p->Name + " ";
  EXPECT_EQ(pen, "SetColor Style Width ");
}

// ---- Streaming ---------------------------------------------------------------------

TEST_F(BlocksTest, EveryValueStreamsThroughTheTextForm) {
  TComponent root(nullptr);
  root.SetName("FmBlocks");
  auto* held = new TTstBlockHolder(&root);
  held->SetName("Holder");
  for (const auto& b : held->Blocks()) ChangeAll(*b, 1);
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  // Nested values by their dotted paths.
  for (const char* line : {"LabelText.SetColShadow.Name = ", "ButtonShape.Brush.SetBackGround.Name = ",
                           "SingleCheck.Text.UnCheckedId.PkgName = 'User'", "EditBtns.Shape.Pen.SetColor.Name = ",
                           "GroupRadios.Shape.SetBGChecked.Name = ", "EditBtns.Buttons = ["})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;

  TComponent copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* read = copy.Find<TTstBlockHolder>("Holder");
  ASSERT_NE(read, nullptr);
  for (size_t i = 0; i < kHeldCount; ++i)
    EXPECT_EQ(Dump(*read->Blocks()[i]), Dump(*held->Blocks()[i])) << read->Blocks()[i]->ClassName();
  EXPECT_EQ(FormBinaryToText(WriteComponentBytes(&copy)), text);

  // Against the form it came from, only what differs is written.
  auto* label = read->Held<TKyLabelText>();
  label->SetAngle(label->Angle() + 90);
  read->Held<TKyEditBtns>()->Shape()->Pen()->SetColor()->SetName("scOther");
  EXPECT_EQ(FormBinaryToText(WriteComponentBytes(&copy, &root)),
            "inherited FmBlocks: TComponent\n  inherited Holder: TTstBlockHolder\n"
            "    LabelText.Angle = " + std::to_string(label->Angle()) + "\n"
            "    EditBtns.Shape.Pen.SetColor.Name = 'scOther'\n  end\nend\n");
}

// ---- Change calls ------------------------------------------------------------------

// Any value, however deep (a set's name, a nested pen's colour set, a
// reference inside a nested block), reaches the owner once, with the block
// as sender; giving a setter the value it holds reaches nobody.
TEST_F(BlocksTest, EveryChangeReachesTheOwnerOnceAndNoChangeNotAtAll) {
  for (const TClassInfo* c : ConcreteBlocks()) {
    TCounted t(*c);
    int k = 7;
    for (const TLeaf& l : Leaves(*t.block)) {
      t.calls = 0;
      l.Same();
      EXPECT_EQ(t.calls, 0) << c->Name() << " " << l.Path << " unchanged";
      std::string before = l.Show();
      l.Change(k++);
      ASSERT_NE(l.Show(), before) << c->Name() << " " << l.Path;
      EXPECT_EQ(t.calls, 1) << c->Name() << " " << l.Path;
      EXPECT_EQ(t.lastSender, t.block.get()) << c->Name() << " " << l.Path;
      t.calls = 0;
      l.Same();
      EXPECT_EQ(t.calls, 0) << c->Name() << " " << l.Path << " unchanged after a change";
    }
  }
}

TEST_F(BlocksTest, SetterOfAnOwnedObjectCopiesIntoIt) {
  TKyLabelText text;
  int calls = 0;
  text.OnChange = [&](TObject*) { ++calls; };
  TKySetColor* owned = text.SetColShadow();
  TKySetColor other(nullptr, "sc7");
  text.SetSetColShadow(&other);
  EXPECT_EQ(text.SetColShadow(), owned);
  EXPECT_EQ(owned->Name(), "sc7");
  EXPECT_EQ(calls, 1);

  TKySingleCheck check;
  check.OnChange = [&](TObject*) { ++calls; };
  TKyCheckShape shape;
  shape.SetWidth(20);
  shape.Pen()->SetWidth(3);
  TKyCheckShape* ownedShape = check.Shape();
  calls = 0;
  check.SetShape(&shape);
  EXPECT_EQ(check.Shape(), ownedShape);
  EXPECT_EQ(ownedShape->Width(), 20);
  EXPECT_EQ(ownedShape->Pen()->Width(), 3);
  EXPECT_EQ(calls, 1);
}

// A package change that makes a set resolve elsewhere reaches the block's
// owner once, through the set object's own notification.
TEST_F(BlocksTest, PackageChangesReachTheOwnerOnce) {
  ky_test::TSkinApp app;
  TKyLabelText text;
  TKyButtonShape shape;
  int textCalls = 0, shapeCalls = 0;
  text.OnChange = [&](TObject*) { ++textCalls; };
  shape.OnChange = [&](TObject*) { ++shapeCalls; };
  text.SetColShadow()->SetName("scShadow");
  shape.Pen()->SetColor()->SetName("scPen");
  text.SetColShadow()->Value();
  shape.Pen()->SetColor()->Value();
  textCalls = shapeCalls = 0;

  // The set appears: the shadow now resolves to it.
  TKyPkgDisplaySetColor* shadow = app.display->AddColor("SCSHADOW");
  EXPECT_EQ(textCalls, 1);
  EXPECT_EQ(shapeCalls, 0);
  EXPECT_EQ(text.SetColShadow()->Value(), shadow->Color());

  // Its colour changes; then the pen's set appears and changes.
  textCalls = 0;
  shadow->SetColor(0x00123456);
  EXPECT_EQ(textCalls, 1);
  EXPECT_EQ(text.SetColShadow()->Value(), 0x00123456u);
  TKyPkgDisplaySetColor* pen = app.display->AddColor("scPen");
  EXPECT_EQ(shapeCalls, 1);
  shapeCalls = 0;
  pen->SetColor(0x0000BB00);
  EXPECT_EQ(shapeCalls, 1);
  EXPECT_EQ(shape.Pen()->SetColor()->Value(), 0x0000BB00u);

  // The package emptied, as on a reload: both lose their sets, once each.
  textCalls = shapeCalls = 0;
  app.display->Clear();
  EXPECT_EQ(textCalls, 1);
  EXPECT_EQ(shapeCalls, 1);
  EXPECT_EQ(shape.Pen()->SetColor()->Value(), DftColBox().Value());
}

// ---- Assign ------------------------------------------------------------------------

TEST_F(BlocksTest, AssignCopiesEverythingWithOneChange) {
  for (const TClassInfo* c : ConcreteBlocks()) {
    auto source = Make(*c);
    ChangeAll(*source, 3);
    TCounted target(*c);
    target.block->Assign(source.get());
    EXPECT_EQ(Dump(*target.block), Dump(*source)) << c->Name();
    EXPECT_EQ(target.calls, 1) << c->Name();
    // Assigning itself changes nothing.
    target.calls = 0;
    target.block->Assign(target.block.get());
    EXPECT_EQ(target.calls, 0) << c->Name();
  }
}

TEST_F(BlocksTest, AssignFromADescendantCopiesTheCommonPart) {
  TKyGroupChecks group;
  group.SetStyle(cksShape);
  group.SetSpacing(9);
  group.Text()->SetChecked("X");
  TKySingleCheck single;
  int calls = 0;
  single.OnChange = [&](TObject*) { ++calls; };
  single.Assign(&group);
  EXPECT_EQ(single.Style(), cksShape);
  EXPECT_EQ(single.Text()->Checked(), "X");
  EXPECT_EQ(calls, 1);
}

TEST_F(BlocksTest, AssignFromAnotherClassTakesThePersistentFallback) {
  TKyLabelText label;
  TKyButtonText button;
  int calls = 0;
  label.OnChange = [&](TObject*) { ++calls; };
  EXPECT_THROW(label.Assign(&button), EConvertError);
  EXPECT_THROW(label.Assign(nullptr), EConvertError);
  TKyStaticImage image;
  EXPECT_THROW(image.Assign(&label), EConvertError);
  EXPECT_EQ(calls, 0);
}

}  // namespace
