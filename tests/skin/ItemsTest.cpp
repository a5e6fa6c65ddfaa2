// Item collections: what each change reports to the owner, values and
// shown texts, batches, and items through the text form.
#include <gtest/gtest.h>

#include "packages/CApplication.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/StringList.h"
#include "platform/classes/TextForm.h"
#include "skin/Items.h"
#include "skin/RegisterSkin.h"

namespace {

// A component with a list of state items that logs every report.
class TTstItemsOwner : public TComponent {
  KY_CLASS(TTstItemsOwner, TComponent)
public:
  explicit TTstItemsOwner(TComponent* owner) : TComponent(owner), items(this) {
    items.OnItemsChanged = [this](TKyCollection*, int kind, TCollectionItem* item) {
      reports.push_back({kind, item ? item->Index() : -1});
    };
  }
  static void Publish(TPublisher<TTstItemsOwner>& p) { p.Property("Items", &TTstItemsOwner::Items); }
  TKyStateItems* Items() const { return const_cast<TKyStateItems*>(&items); }
  TKyStateItems items;
  std::vector<std::pair<int, int>> reports;  // kind, index
};

using TReports = std::vector<std::pair<int, int>>;

class ItemsTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterSkinClasses();
    RegisterClasses({&TTstItemsOwner::StaticClass()});
  }
  TTstItemsOwner owner{nullptr};
  TKyStateItems& items = owner.items;
};

}  // namespace

TEST_F(ItemsTest, AddingInsertingMovingAndDeletingReportTheirKinds) {
  TKyItem* first = items.Add();
  EXPECT_EQ(first->Value(), "0");
  EXPECT_EQ(first->Description(), "0");
  EXPECT_EQ(first->DescriptionText(), "");
  items.Add("b", "Bee");
  TKyItem* inserted = items.Insert(1);
  EXPECT_EQ(inserted->Index(), 1);
  EXPECT_EQ(inserted->Value(), "1");
  items.Items(2)->SetIndex(0);
  items.Delete(1);
  EXPECT_EQ(owner.reports, (TReports{{kItemAdded, 0}, {kItemAdded, 1}, {kItemInserted, 1}, {kItemMoved, 0},
                                     {kItemDeleted, 1}}));

  for (int bad : {-1, 3}) {
    try {
      items.Insert(bad);
      ADD_FAILURE() << bad;
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(bad) + ")");
    }
  }
  owner.reports.clear();
  items.Clear();
  EXPECT_EQ(items.Count(), 0);
  EXPECT_EQ(owner.reports, (TReports{{kItemsAll, -1}}));
}

TEST_F(ItemsTest, ValueDescriptionAndStateChanges) {
  struct TCase {
    std::string Description;  // stored before the change
    std::string Shown;        // shown after "A" -> "B"
    TReports Reports;
  };
  const TCase cases[] = {
      {"A", "B", {{kItemValue, 0}, {kItemText, 0}}},   // the description followed the value
      {"", "B", {{kItemValue, 0}, {kItemText, 0}}},    // the value is shown
      {"Apple", "Apple", {{kItemValue, 0}}},           // its own text stays
      {"  ", "B", {{kItemValue, 0}}},                  // blank shows the value
  };
  for (const TCase& c : cases) {
    items.Clear();
    TKyItem* item = items.Add("A", c.Description);
    owner.reports.clear();
    item->SetValue("B");
    EXPECT_EQ(item->Description(), c.Shown) << "'" << c.Description << "'";
    EXPECT_EQ(owner.reports, c.Reports) << "'" << c.Description << "'";
  }
  owner.reports.clear();
  items.Items(0)->SetValue("B");
  items.Items(0)->SetState(cksChecked);
  items.Items(0)->SetState(cksChecked);
  EXPECT_EQ(owner.reports, (TReports{{kItemState, 0}}));
  EXPECT_EQ(items.FindValue("b"), items.Items(0));
  EXPECT_EQ(items.FindValue("c"), nullptr);
}

TEST_F(ItemsTest, AssigningBatchesIntoOneReport) {
  TStringList list;
  list.Add("alpha");
  list.Add("beta");
  list.Add("gamma");
  items.Add();
  owner.reports.clear();
  items.Assign(&list);
  ASSERT_EQ(items.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(items.Items(i)->Value(), list.Strings(i));
    EXPECT_EQ(items.Items(i)->DescriptionText(), "");
    EXPECT_EQ(items.Items(i)->Description(), list.Strings(i));
  }
  EXPECT_EQ(owner.reports, (TReports{{kItemsAll, -1}}));

  // From other items: everything copied, state included, one report.
  TTstItemsOwner other(nullptr);
  TKyStateItem* src = static_cast<TKyStateItem*>(other.items.Add("v", "Shown"));
  src->SetEnabled(false);
  src->SetState(cksGrayed);
  src->Image()->SetReference("User", 7);
  src->DescriptionId()->SetPkgName("User");
  owner.reports.clear();
  items.Assign(&other.items);
  ASSERT_EQ(items.Count(), 1);
  TKyStateItem* copy = items.Items(0);
  EXPECT_EQ(copy->Value(), "v");
  EXPECT_EQ(copy->DescriptionText(), "Shown");
  EXPECT_FALSE(copy->Enabled());
  EXPECT_EQ(copy->State(), cksGrayed);
  EXPECT_EQ(copy->Image()->Id(), 7);
  EXPECT_EQ(copy->DescriptionId()->PkgName(), "User");
  EXPECT_EQ(owner.reports, (TReports{{kItemsAll, -1}}));
}

TEST_F(ItemsTest, ShownTextComesFromTheStringsPackageWhenLinked) {
  TKyCApplication app(nullptr);
  app.PkgLanguage()->UserStrings().AddLabel(12, "Delphi 5");
  TKyItem* item = items.Add("D5", "");
  item->DescriptionId()->SetPkgName("User");
  item->DescriptionId()->SetId(12);
  EXPECT_EQ(item->Description(), "Delphi 5");
  owner.reports.clear();
  app.PkgLanguage()->UserStrings().FindLabel(12)->SetCaption("Delphi 5 (Borland)");
  EXPECT_EQ(item->Description(), "Delphi 5 (Borland)");
  EXPECT_EQ(owner.reports, (TReports{{kItemText, 0}}));
}

TEST_F(ItemsTest, ItemsGoThroughTheTextFormWithoutReportsWhileLoading) {
  items.Add("D3", "Delphi 3");
  TKyStateItem* second = static_cast<TKyStateItem*>(items.Add("C5", ""));
  second->SetVisible(false);
  second->Image()->SetReference("User", 3);
  TComponent root(nullptr);
  auto* holder = new TTstItemsOwner(&root);
  holder->SetName("Holder");
  holder->items.Assign(&items);
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  EXPECT_NE(text.find("Value = 'D3'"), std::string::npos) << text;
  EXPECT_NE(text.find("Description = 'Delphi 3'"), std::string::npos) << text;
  EXPECT_NE(text.find("Visible = False"), std::string::npos) << text;
  // Defaults and the computed index stay out.
  EXPECT_EQ(text.find("Enabled"), std::string::npos) << text;
  EXPECT_EQ(text.find("Index"), std::string::npos) << text;

  TComponent copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* read = copy.Find<TTstItemsOwner>("Holder");
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->items.Count(), 2);
  EXPECT_EQ(read->items.Items(0)->Value(), "D3");
  EXPECT_EQ(read->items.Items(1)->Value(), "C5");
  EXPECT_EQ(read->items.Items(1)->Description(), "C5");
  EXPECT_FALSE(read->items.Items(1)->Visible());
  EXPECT_EQ(read->items.Items(1)->Image()->Id(), 3);
  EXPECT_TRUE(read->reports.empty());
}
