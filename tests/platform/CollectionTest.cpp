// Collections: order, identity and what is reported to the owner.
#include <gtest/gtest.h>

#include <algorithm>

#include "FormTestClasses.h"
#include "platform/classes/Collection.h"

namespace {

class TTstNoteItem : public TCollectionItem {
  KY_CLASS(TTstNoteItem, TCollectionItem)
public:
  explicit TTstNoteItem(TCollection* collection) : TCollectionItem(collection) {}
  const std::string& Text() const { return text_; }
  void SetText(const std::string& v) {
    if (v == text_) return;
    text_ = v;
    Changed(false);
  }
  void Assign(const TPersistent* source) override {
    if (auto* s = dynamic_cast<const TTstNoteItem*>(source)) {
      SetText(s->text_);
      return;
    }
    TCollectionItem::Assign(source);
  }

private:
  std::string text_;
};

// Records every report as "update:<text or *>" and "added/extracting/deleting:<text>".
class TTstRecordingCollection : public TCollection {
  KY_CLASS(TTstRecordingCollection, TCollection)
public:
  TTstRecordingCollection() : TCollection(TTstNoteItem::StaticClass()) {}
  std::vector<std::string> Log;

  TTstNoteItem* AddNote(const std::string& text) {
    BeginUpdate();
    auto* item = static_cast<TTstNoteItem*>(Add());
    item->SetText(text);
    EndUpdate();
    return item;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (int i = 0; i < Count(); ++i) t.push_back(ItemAs<TTstNoteItem>(i)->Text());
    return t;
  }

protected:
  void Update(TCollectionItem* item) override {
    Log.push_back("update:" + (item ? static_cast<TTstNoteItem*>(item)->Text() : std::string("*")));
  }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    static const char* const kNames[] = {"added", "extracting", "deleting"};
    Log.push_back(std::string(kNames[action]) + ":" + static_cast<TTstNoteItem*>(item)->Text());
  }
};

TEST(Collection, AddInsertDeleteAndMoveKeepOrderAndIdentity) {
  TTstRecordingCollection c;
  TTstNoteItem* a = c.AddNote("a");
  TTstNoteItem* b = c.AddNote("b");
  auto* first = static_cast<TTstNoteItem*>(c.Insert(0));
  first->SetText("first");
  auto* last = static_cast<TTstNoteItem*>(c.Insert(3));
  last->SetText("last");
  EXPECT_EQ(c.Texts(), (std::vector<std::string>{"first", "a", "b", "last"}));
  EXPECT_EQ(b->Index(), 2);

  b->SetIndex(0);
  EXPECT_EQ(c.Texts(), (std::vector<std::string>{"b", "first", "a", "last"}));
  int firstId = first->ID();
  c.Delete(1);
  EXPECT_EQ(c.Texts(), (std::vector<std::string>{"b", "a", "last"}));
  EXPECT_EQ(c.FindItemID(a->ID()), a);
  EXPECT_NE(a->ID(), b->ID());
  EXPECT_EQ(c.FindItemID(firstId), nullptr);

  delete a;  // an item freed on its own leaves the collection
  EXPECT_EQ(c.Texts(), (std::vector<std::string>{"b", "last"}));

  TTstRecordingCollection other;
  last->SetCollection(&other);
  EXPECT_EQ(c.Texts(), std::vector<std::string>{"b"});
  EXPECT_EQ(other.Texts(), std::vector<std::string>{"last"});
  EXPECT_EQ(last->Collection(), &other);
}

TEST(Collection, PositionsOutsideTheCollectionRaise) {
  TTstRecordingCollection c;
  c.AddNote("a");
  c.AddNote("b");
  struct Case {
    std::function<void()> op;
    const char* message;
  };
  const Case cases[] = {
      {[&] { c.Insert(3); }, "List index out of bounds (3)"},
      {[&] { c.Insert(-1); }, "List index out of bounds (-1)"},
      {[&] { c.Items(2); }, "List index out of bounds (2)"},
      {[&] { c.Delete(-1); }, "List index out of bounds (-1)"},
      {[&] { c.Items(0)->SetIndex(2); }, "List index out of bounds (2)"},
  };
  for (const Case& k : cases) {
    try {
      k.op();
      ADD_FAILURE() << k.message;
    } catch (const EListError& e) {
      EXPECT_STREQ(e.what(), k.message);
    }
  }
  EXPECT_EQ(c.Texts(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(c.UpdateCount(), 0);
}

TEST(Collection, ChangesAreReportedToTheOwnerOncePerBatch) {
  TTstRecordingCollection c;
  struct Step {
    std::function<void()> op;
    std::vector<std::string> log;
  };
  TTstNoteItem* a = nullptr;
  const Step steps[] = {
      {[&] { a = static_cast<TTstNoteItem*>(c.Add()); }, {"added:", "update:*"}},
      {[&] { a->SetText("a"); }, {"update:a"}},
      {[&] { c.AddNote("b"); }, {"added:", "update:*"}},
      {[&] { c.Items(1)->SetIndex(0); }, {"update:*"}},
      {[&] {
         c.BeginUpdate();
         a->SetText("A");
         c.AddNote("c");
         c.Delete(0);
         c.EndUpdate();
       },
       {"added:", "deleting:b", "extracting:b", "update:*"}},
      {[&] { c.Delete(0); }, {"deleting:A", "extracting:A", "update:*"}},
      {[&] { c.Clear(); }, {"deleting:c", "extracting:c", "update:*"}},
      {[&] { c.Clear(); }, {}},
  };
  for (const Step& s : steps) {
    c.Log.clear();
    s.op();
    EXPECT_EQ(c.Log, s.log);
  }
  EXPECT_EQ(c.Count(), 0);
}

TEST(Collection, OwnersHearOfChangesThroughTheCallback) {
  TTstForm owner(nullptr);
  TCollection c(TTstNoteItem::StaticClass(), &owner);
  std::vector<TCollectionItem*> heard;
  c.OnUpdate = [&](TCollection* sender, TCollectionItem* item) {
    EXPECT_EQ(sender, &c);
    heard.push_back(item);
  };
  auto* item = static_cast<TTstNoteItem*>(c.Add());
  item->SetText("x");
  EXPECT_EQ(heard, (std::vector<TCollectionItem*>{nullptr, item}));
  EXPECT_EQ(c.Owner(), &owner);
}

TEST(Collection, AssignCopiesItemByItemAndRefusesOtherClasses) {
  TTstRecordingCollection source, target;
  source.AddNote("x");
  source.AddNote("y");
  target.AddNote("old");
  target.Log.clear();
  target.Assign(&source);
  EXPECT_EQ(target.Texts(), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(target.Log.back(), "update:*");
  EXPECT_EQ(std::count(target.Log.begin(), target.Log.end(), "update:*"), 1);

  TStringList strings;
  EXPECT_THROW(target.Assign(&strings), EConvertError);
  EXPECT_THROW(TCollection(TTstPattern::StaticClass()), EConvertError);
}

}  // namespace
