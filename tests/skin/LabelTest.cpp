// The label: values from references and system sources, masks, "xValue"
// streaming, the click, painting by pixel, and inner labels beside their
// owners. The panel's value protocol with OnValidate and roll-back.
#include "support/WindowDriver.h"

#include <functional>
#include <memory>

#include "packages/CApplication.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Graphics.h"
#include "skin/Label.h"
#include "skin/Panel.h"
#include "skin/RegisterSkin.h"

using namespace ky_test;

namespace {

// A panel that publishes the value protocol, as the data controls do.
class TTstValuePanel : public TKyCustomPanel {
  KY_CLASS(TTstValuePanel, TKyCustomPanel)
public:
  using TKyCustomPanel::TKyCustomPanel;
  static void Publish(TPublisher<TTstValuePanel>& p) {
    p.Property("DataType", &TTstValuePanel::DataType, &TTstValuePanel::SetDataType).Default(dtyString);
  }
  int shown = 0;

protected:
  bool HasValue() const override { return true; }
  void ValueChanged() override { ++shown; }
};

class LabelTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterSkinClasses();
    RegisterClasses({&TTstValuePanel::StaticClass()});
    form.SetBorderStyle(bsNone);
    form.SetFormClientWidth(300);
    form.SetFormClientHeight(160);
    form.SetColor(kClWhite);
  }
  TForm form{nullptr};
};

}  // namespace

TEST_F(LabelTest, ValuesComeFromReferencesOrSystemSourcesBeforeWhatIsAssigned) {
  TKyCApplication app(nullptr);
  app.PkgLanguage()->UserStrings().AddMessage(6, "The process has finished successfully.");
  app.PkgLanguage()->UserStrings().AddLabel(3, "License:");
  TKyLabel label(&form);
  label.SetValue(Variant("plain"));
  EXPECT_EQ(label.ShownText(), "plain");
  label.MessageId()->SetReference("User", 6);
  label.SetValue(Variant("anything"));
  EXPECT_EQ(label.Value().AsString(), "The process has finished successfully.");
  // A label reference comes first.
  label.ValueId()->SetReference("User", 3);
  EXPECT_EQ(label.ShownText(), "License:");
  // A system source overrides them all.
  label.SetTypeInfo(timCapsLock);
  label.SetValue(Variant("X"));
  EXPECT_EQ(label.Value().AsString(), SystemValue(timCapsLock).AsString());
  EXPECT_NE(label.Value().AsString(), "X");
}

TEST_F(LabelTest, MasksFormatTheValueOfItsDataType) {
  TKyLabel label(&form);
  label.SetDataType(dtyDouble);
  label.Mask()->SetTake(mtaNone);
  label.Mask()->SetDecimals(2);
  label.SetValue(Variant(1234.5));
  EXPECT_EQ(label.ShownText(), "1,234.50");
  // A text that is no number of the type is kept as it stands.
  label.SetDataType(dtyString);
  label.SetValue(Variant("abc"));
  EXPECT_EQ(label.ShownText(), "abc");
  label.SetPasswordLook(true);
  EXPECT_EQ(label.ShownText(), "***");
}

TEST_F(LabelTest, NullValuesGoThroughTheFormAsNull) {
  TForm root(nullptr);
  root.SetName("FrNull");
  auto* label = new TKyLabel(&root);
  label->SetName("LaNull");
  label->SetParent(&root);
  label->SetValue(Variant::Null());
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  EXPECT_NE(text.find("xValue = '{NULL}'"), std::string::npos) << text;
  for (const char* stored : {"{NULL}", "{null}"}) {
    std::string lower = text;
    lower.replace(lower.find("{NULL}"), 6, stored);
    TForm copy(nullptr);
    ReadComponentBytes(FormTextToBinary(lower), &copy);
    auto* read = copy.Find<TKyLabel>("LaNull");
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(read->Value().IsNull()) << stored;
  }
  label->SetValue(Variant("2.5"));
  text = FormBinaryToText(WriteComponentBytes(&root));
  EXPECT_NE(text.find("xValue = '2.5'"), std::string::npos) << text;
}

TEST_F(LabelTest, AClickRunsOnlyWhenEnabledAndFocusesTheOwner) {
  auto* box = new TKyPanel(&form);
  box->SetParent(&form);
  box->SetBounds(150, 20, 100, 40);
  box->SetTabStop(true);
  auto* label = new TKyLabel(&form);
  label->SetParent(&form);
  label->SetBounds(10, 20, 80, 20);
  label->SetFocusControl(box);
  label->SetValue(Variant("Click me"));
  int clicks = 0;
  label->OnClick = [&](TObject*) { ++clicks; };
  form.Show();
  Pump();
  PostClick(label, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(PumpUntil([&] { return box->Focused(); }));
  label->SetEnabled(false);
  PostClick(label, 5, 5);
  EXPECT_EQ(clicks, 1);
}

TEST_F(LabelTest, PaintsItsTextInItsSetColourAndTheSignColours) {
  TKyCApplication app(nullptr);
  app.PkgDisplay()->AddColor("scBlue")->SetColor(KyRGB(0, 0, 200));
  app.PkgDisplay()->AddColor("scRed")->SetColor(KyRGB(200, 0, 0));
  auto* label = new TKyLabel(&form);
  label->SetParent(&form);
  label->SetBounds(10, 10, 100, 30);
  label->Text()->SetColText()->SetName("scBlue");
  label->Text()->SetColNegatives()->SetName("scRed");
  label->SetDataType(dtyInteger);
  label->SetValue(Variant(8888));
  form.Show();
  Pump();
  auto count = [&](TKyColor colour) {
    TSnapshot shot(&form);
    int n = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 150; ++x) n += shot.Pixel(x, y) == colour;
    return n;
  };
  EXPECT_GT(count(KyRGB(0, 0, 200)), 10);
  EXPECT_EQ(count(KyRGB(200, 0, 0)), 0);
  label->SetValue(Variant(-8888));
  Pump();
  EXPECT_GT(count(KyRGB(200, 0, 0)), 10);
  EXPECT_EQ(count(KyRGB(0, 0, 200)), 0);
  // Auto-sized to the text, never below 8 x 15.
  EXPECT_GE(label->Width(), 8);
  EXPECT_GE(label->Height(), 15);
  label->SetValue(Variant::Null());
  EXPECT_GE(label->Width(), 8);
  EXPECT_GE(label->Height(), 15);
}

TEST_F(LabelTest, InnerLabelsSitBesideTheirOwner) {
  TKyCApplication app(nullptr);
  app.PkgLanguage()->UserStrings().AddLabel(12, "Products", "Installed products");
  auto* panel = new TKyPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(100, 60, 120, 40);
  panel->CaptionId()->SetReference("User", 12);
  panel->UpdateDisplay();
  TKySingleLabel* inner = panel->InnerLabel();
  // Hidden until asked for (panels default to a hidden label on top).
  EXPECT_EQ(inner->Parent(), nullptr);
  panel->ILabel()->SetVisible(true);
  ASSERT_EQ(inner->Parent(), &form);
  EXPECT_EQ(inner->ShownText(), "Products");
  EXPECT_EQ(panel->Hint(), "Installed products");
  EXPECT_EQ(inner->Left(), 100);
  EXPECT_EQ(inner->Top(), 60 - inner->Height() - 2);

  // A right-hand inner label: spacing to the right, centred vertically.
  TKySingleLabel side(&form);
  TKyRightILabel right(panel, &side);
  right.OnChange = [](TKyILabel* l) { l->Update(); };  // as an owner does
  right.SetCaption("kg");
  right.SetExtSpacing(6);
  right.Update();
  EXPECT_EQ(side.Left(), 100 + 120 + 6);
  EXPECT_EQ(side.Top(), 60 + (40 - side.Height()) / 2);
  // It follows its owner.
  panel->SetBounds(50, 60, 120, 40);
  right.Place();
  EXPECT_EQ(side.Left(), 50 + 120 + 6);
  // Its alignment lives in the control's mask text.
  right.Text()->SetAlignment(aliRight);
  EXPECT_EQ(side.Mask()->Text(), ">");
  EXPECT_EQ(right.Text()->Alignment(), aliRight);
  right.SetVisible(false);
  EXPECT_EQ(side.Parent(), nullptr);
}

TEST_F(LabelTest, PanelValuesValidateAndRollBack) {
  TTstValuePanel panel(nullptr);
  panel.SetDataType(dtyInteger);
  int validations = 0;
  panel.OnValidate = [&](TObject*) {
    ++validations;
    if (panel.Value().AsInteger() > 10) throw Exception("Too many");
  };
  panel.SetValue(Variant("7"));
  panel.SetValue(Variant(7));
  EXPECT_EQ(validations, 1);
  EXPECT_EQ(panel.Value().AsInteger(), 7);
  EXPECT_THROW(panel.SetValue(Variant(11)), Exception);
  EXPECT_EQ(panel.Value().AsInteger(), 7);
  EXPECT_EQ(validations, 2);

  // "xValue" through the form, and "{NULL}".
  TForm root(nullptr);
  root.SetName("FrCount");
  auto* stored = new TTstValuePanel(&root);
  stored->SetName("EdCount");
  stored->SetParent(&root);
  stored->SetDataType(dtyInteger);
  stored->SetValue(Variant(42));
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  EXPECT_NE(text.find("xValue = '42'"), std::string::npos) << text;
  TForm copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* read = copy.Find<TTstValuePanel>("EdCount");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Value().AsInteger(), 42);
  stored->SetValue(Variant::Null());
  text = FormBinaryToText(WriteComponentBytes(&root));
  EXPECT_NE(text.find("xValue = '{NULL}'"), std::string::npos) << text;
}

namespace {

// Counts its display updates.
class TTstCountingLabel : public TKyLabel {
  KY_CLASS(TTstCountingLabel, TKyLabel)
public:
  using TKyLabel::TKyLabel;
  int updates = 0;
  void UpdateDisplay() override {
    ++updates;
    TKyLabel::UpdateDisplay();
  }
};

}  // namespace

TEST_F(LabelTest, LoadingEndsWithOneDisplayUpdateAndADeepChangeWithOne) {
  RegisterClasses({&TTstCountingLabel::StaticClass()});
  TForm read(nullptr);
  ReadComponentBytes(FormTextToBinary(R"(object FrCount: TForm
  object LaCount: TTstCountingLabel
    Left = 4
    Top = 8
    DataType = dtyInteger
    Text.FontStyle = fos3D
    Text.Angle = 90
    Text.SetColText.Name = 'sc5'
    Shape.Visible = True
    Shape.Shape = shaRoundRect
    MarginLeftRight = 3
    MarginTopBottom = 2
    Shadow = True
    xValue = '12'
  end
end
)"),
                     &read);
  auto* label = read.Find<TTstCountingLabel>("LaCount");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->updates, 1);
  EXPECT_EQ(label->Value().AsInteger(), 12);
  label->updates = 0;
  label->Text()->SetColShadow()->SetName("sc6");
  EXPECT_EQ(label->updates, 1);
  label->Text()->SetColShadow()->SetName("sc6");
  EXPECT_EQ(label->updates, 1);
}

TEST_F(LabelTest, AnInnerLabelThatMarksTheFocusKeepsRoomForTheFrame) {
  auto* owner = new TKyPanel(&form);
  owner->SetParent(&form);
  TKySingleLabel inner(&form);
  inner.SetValue(Variant("Checked"));
  int32_t w = inner.Width(), textHeight = inner.MeasureContent().cy;
  inner.SetMarksFocusOf(owner);
  EXPECT_EQ(inner.Width(), w + 4);
  EXPECT_EQ(inner.Height(), std::max<int32_t>(15, textHeight + 4));
  inner.SetMarksFocusOf(nullptr);
  EXPECT_EQ(inner.Width(), w);
}

// An inner label over owner kind × what happens to the owner: it shows and
// hides with the owner's effective visibility (requested or by privilege)
// and follows the owner when it moves without changing size.
TEST_F(LabelTest, AnInnerLabelFollowsItsOwnersVisibilityPrivilegeAndMoves) {
  TKyCApplication app(nullptr);
  app.Privileges()->AddItem(1, "hidden", 0);
  app.Privileges()->AddItem(2, "full", 2);
  enum TStep { Hide, HideByPrivilege, Move };
  for (bool isPanel : {true, false})
    for (TStep step : {Hide, HideByPrivilege, Move}) {
      SCOPED_TRACE(testing::Message() << (isPanel ? "panel" : "label") << " step " << int(step));
      TForm f(nullptr);
      f.SetBorderStyle(bsNone);
      f.SetFormClientWidth(300);
      f.SetFormClientHeight(160);
      TControl* owner = nullptr;
      TKyILabel* ilabel = nullptr;
      TKyPrivilege* privilege = nullptr;
      std::function<void()> refresh;
      if (isPanel) {
        auto* p = new TKyPanel(&f);
        p->SetParent(&f);
        p->SetBounds(100, 60, 120, 40);
        owner = p;
        ilabel = p->ILabel();
        privilege = p->Privilege();
        refresh = [p] { p->UpdateDisplay(); };
      } else {
        auto* l = new TKyLabel(&f);
        l->SetParent(&f);
        l->SetBounds(100, 60, 120, 40);
        owner = l;
        ilabel = l->ILabel();
        privilege = l->Privilege();
        refresh = [l] { l->RefreshFromConfig(); };
      }
      ilabel->SetCaption("Name");
      ilabel->SetVisible(true);
      f.Show();
      Pump();
      TKySingleLabel* inner = ilabel->Control();
      ASSERT_EQ(inner->Parent(), &f);
      ASSERT_TRUE(inner->Visible());
      const TPoint at{inner->Left(), inner->Top()};
      switch (step) {
        case Hide:
          if (isPanel)
            static_cast<TKyPanel*>(owner)->SetVisible(false);
          else
            static_cast<TKyLabel*>(owner)->SetVisible(false);
          EXPECT_FALSE(inner->Visible() && inner->Parent());
          if (isPanel)
            static_cast<TKyPanel*>(owner)->SetVisible(true);
          else
            static_cast<TKyLabel*>(owner)->SetVisible(true);
          EXPECT_TRUE(inner->Visible() && inner->Parent());
          break;
        case HideByPrivilege:
          privilege->SetId(1);
          privilege->Update();
          refresh();
          EXPECT_FALSE(owner->Visible());
          EXPECT_FALSE(inner->Visible() && inner->Parent());
          privilege->SetId(2);
          privilege->Update();
          refresh();
          EXPECT_TRUE(owner->Visible());
          EXPECT_TRUE(inner->Visible() && inner->Parent());
          break;
        case Move:
          owner->SetBounds(owner->Left() + 30, owner->Top() - 10, owner->Width(), owner->Height());
          EXPECT_EQ(inner->Left(), at.X + 30);
          EXPECT_EQ(inner->Top(), at.Y - 10);
          break;
      }
    }
}

// A freed inner-label setting leaves nothing behind in its control: no
// handler pointing at it; one that took over keeps its own.
TEST_F(LabelTest, AFreedInnerLabelSettingLeavesNoHandlerInItsControl) {
  TKySingleLabel control(&form);
  TKyLabel owner(&form);
  {
    TKyILabel first(&owner, &control);
    EXPECT_TRUE(static_cast<bool>(control.OnResize));
  }
  EXPECT_FALSE(static_cast<bool>(control.OnResize));
  auto first = std::make_unique<TKyILabel>(&owner, &control);
  TKyRightILabel second(&owner, &control);
  first.reset();
  EXPECT_TRUE(static_cast<bool>(control.OnResize));
  // And it still places the control beside its owner.
  owner.SetParent(&form);
  owner.SetBounds(40, 40, 50, 20);
  second.SetCaption("kg");
  second.Update();
  // Put elsewhere and resized, it goes back beside its owner.
  control.SetBounds(0, 0, control.Width() + 20, control.Height());
  EXPECT_EQ(control.Left(), 40 + 50 + second.ExtSpacing());
}

// A label's shape paints its border ring: one colour around for bosSingle,
// light above and left with shadow below and right for bos3D, the two
// swapped when the shape is down; the background inside.
TEST_F(LabelTest, TheShapesBorderStyleAndDownArePainted) {
  TKyCApplication app(nullptr);
  const TKyColor green = KyRGB(0, 160, 0);
  app.PkgDisplay()->AddBackGround("sbGreen")->SetColor(green);
  const TKyColor light = ColorToRGB(LibraryDefaultColor("Dft_3DLight"));
  const TKyColor shadow = ColorToRGB(LibraryDefaultColor("Dft_3DShadow"));
  const TKyColor box = ColorToRGB(LibraryDefaultColor("Dft_ColBox"));
  ASSERT_NE(light, shadow);
  struct Case {
    TKyBorderStyle border;
    bool down;
    TKyColor left, right;  // the ring's pixels half-way down its sides
  };
  const Case cases[] = {{bos3D, false, light, shadow},
                        {bos3D, true, shadow, light},
                        {bosSingle, false, box, box},
                        {bosSingle, true, box, box},
                        {bosNone, false, green, green}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "border " << int(c.border) << " down " << c.down);
    TForm f(nullptr);
    f.SetBorderStyle(bsNone);
    f.SetFormClientWidth(100);
    f.SetFormClientHeight(60);
    f.SetColor(kClWhite);
    auto* label = new TKyLabel(&f);
    label->SetParent(&f);
    label->SetAutoSize(false);
    label->SetBounds(10, 10, 40, 20);
    label->Shape()->SetVisible(true);
    label->Shape()->SetBorderStyle(c.border);
    label->Shape()->SetDown(c.down);
    label->Shape()->Pen()->SetStyle(pesClear);
    label->Shape()->Brush()->SetBackGround()->SetName("sbGreen");
    f.Show();
    Pump();
    TSnapshot shot(&f);
    EXPECT_EQ(shot.Pixel(10 + 0, 10 + 10), c.left);
    EXPECT_EQ(shot.Pixel(10 + 39, 10 + 10), c.right);
    EXPECT_EQ(shot.Pixel(10 + 20, 10 + 10), green);
    if (c.border == bos3D) {
      // Down moves the inside one pixel: its first column shows the ring below it.
      EXPECT_EQ(shot.Pixel(10 + 1, 10 + 10), c.down ? c.right : green);
    }
    // A clear brush keeps what lies inside the ring.
    label->Shape()->Brush()->SetStyle(brsClear);
    Pump();
    TSnapshot clear(&f);
    EXPECT_EQ(clear.Pixel(10 + 0, 10 + 10), c.left);
    EXPECT_EQ(clear.Pixel(10 + 20, 10 + 10), kClWhite);
  }
}

// CaptionId of a label shows in the label's own inner label, and follows
// the reference.
TEST_F(LabelTest, CaptionIdShowsInTheLabelsInnerLabel) {
  TKyCApplication app(nullptr);
  app.PkgLanguage()->UserStrings().AddLabel(12, "Products", "Installed products");
  app.PkgLanguage()->UserStrings().AddLabel(13, "Folder");
  auto* label = new TKyLabel(&form);
  label->SetParent(&form);
  label->SetBounds(100, 60, 80, 20);
  label->ILabel()->SetVisible(true);
  label->CaptionId()->SetReference("User", 12);
  EXPECT_EQ(label->ILabel()->Control()->ShownText(), "Products");
  EXPECT_EQ(label->Hint(), "Installed products");
  label->CaptionId()->SetReference("User", 13);
  EXPECT_EQ(label->ILabel()->Control()->ShownText(), "Folder");
}

// A reference that stops resolving gives the assigned value back, for each
// kind of reference.
TEST_F(LabelTest, TheAssignedValueShowsAgainWhenAReferenceStopsResolving) {
  TKyCApplication app(nullptr);
  app.PkgLanguage()->UserStrings().AddLabel(3, "License:");
  app.PkgLanguage()->UserStrings().AddMessage(6, "The process has finished successfully.");
  app.PkgLanguage()->UserStrings().AddText(2, "A text.");
  struct Case {
    const char* name;
    std::function<TKyMemoryReference*(TKyLabel&)> ref;
    int32_t id;
    const char* shown;
  };
  const Case cases[] = {
      {"ValueId", [](TKyLabel& l) -> TKyMemoryReference* { return l.ValueId(); }, 3, "License:"},
      {"MessageId", [](TKyLabel& l) -> TKyMemoryReference* { return l.MessageId(); }, 6,
       "The process has finished successfully."},
      {"TextId", [](TKyLabel& l) -> TKyMemoryReference* { return l.TextId(); }, 2, "A text."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TKyLabel label(&form);
    label.SetValue(Variant("mine"));
    c.ref(label)->SetReference("User", c.id);
    EXPECT_EQ(label.ShownText(), c.shown);
    c.ref(label)->SetReference("User", 99);  // no such entry
    EXPECT_EQ(label.ShownText(), "mine");
    EXPECT_EQ(label.Value(), Variant("mine"));
    c.ref(label)->SetReference("User", c.id);
    EXPECT_EQ(label.ShownText(), c.shown);
  }
}
