// String lists: comma text, text lines, name=value lines, sorting, events.
#include <gtest/gtest.h>

#include "platform/classes/StringList.h"
#include "platform/base/SysUtils.h"

namespace {

using Strings = std::vector<std::string>;

TEST(CommaText, BlanksAndCommasSeparateAndQuotesGroup) {
  struct Case {
    const char* text;
    Strings items;
  };
  const Case cases[] = {
      {"a,b c", {"a", "b", "c"}},
      {"  a , b  ", {"a", "b"}},
      {"a\tb\r\nc", {"a", "b", "c"}},
      {"\"a b\",c", {"a b", "c"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"a,,b", {"a", "", "b"}},
      {"a, ,b", {"a", "", "b"}},
      {",a", {"", "a"}},
      {"a,", {"a", ""}},
      {"a, ", {"a"}},
      {",", {"", ""}},
      {"\"\"", {""}},
      {"\"\",\"\"", {"", ""}},
      {"", {}},
      {"   ", {}},
      {"\"a\"b", {"a", "b"}},
      {"\"open", {"open"}},
      {"EXE,HLP", {"EXE", "HLP"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TStringList list;
    list.SetCommaText(c.text);
    EXPECT_EQ(list.ToVector(), c.items);
  }
}

TEST(CommaText, ItemsAreQuotedOnlyWhenTheyMustBe) {
  struct Case {
    Strings items;
    const char* text;
  };
  const Case cases[] = {
      {{"D3", "C5"}, "D3,C5"},
      {{"a b", "c"}, "\"a b\",c"},
      {{"a,b"}, "\"a,b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"tab\there"}, "\"tab\there\""},
      {{"caf\xE9"}, "caf\xE9"},
      {{""}, "\"\""},
      {{"a", "", "b"}, "a,,b"},
      {{"", ""}, ","},
      {{"a", ""}, "a,"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TStringList list;
    list.AddStrings(c.items);
    EXPECT_EQ(list.CommaText(), c.text);
    // And it reads back as the same items.
    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(back.ToVector(), c.items);
  }
}

TEST(StringsText, LinesEndAtCrLfCrOrLf) {
  struct Case {
    const char* text;
    Strings lines;
  };
  const Case cases[] = {
      {"a\r\nb", {"a", "b"}},      {"a\nb\rc", {"a", "b", "c"}}, {"a\r\n", {"a"}},
      {"a\r\n\r\nb", {"a", "", "b"}}, {"a\n\rb", {"a", "", "b"}},   {"", {}},
      {"\r\n", {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(list.ToVector(), c.lines);
  }
  TStringList list;
  list.AddStrings(Strings{"a", "", "b"});
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");

  TMemoryStream stream;
  list.SaveToStream(stream);
  stream.SetPosition(0);
  TStringList loaded;
  loaded.LoadFromStream(stream);
  EXPECT_TRUE(loaded.Equals(list));
}

TEST(StringsValues, NameValueLines) {
  TStringList list;
  list.AddStrings(Strings{"Path=C:\\Ky", "plain", "Mode=", "path=second"});
  EXPECT_EQ(list.IndexOfName("PATH"), 0);
  EXPECT_EQ(list.Values("path"), "C:\\Ky");
  EXPECT_EQ(list.Names(1), "");
  EXPECT_EQ(list.ValueFromIndex(1), "");
  EXPECT_EQ(list.IndexOfName("Mode"), 2);
  EXPECT_EQ(list.Values("Missing"), "");

  list.SetValues("Mode", "fast");
  list.SetValues("New", "x=y");
  EXPECT_EQ(list.ToVector(), (Strings{"Path=C:\\Ky", "plain", "Mode=fast", "path=second", "New=x=y"}));
  EXPECT_EQ(list.Values("New"), "x=y");
  list.SetValues("Path", "");
  EXPECT_EQ(list.IndexOfName("Path"), 2);  // the second line of that name now
  EXPECT_EQ(list.IndexOf("PLAIN"), 0);
}

TEST(StringList, SortedListsKeepOrderAndTheirDuplicateRule) {
  TStringList list;
  list.AddStrings(Strings{"b", "C", "a"});
  list.SetSorted(true);
  EXPECT_EQ(list.ToVector(), (Strings{"a", "b", "C"}));
  EXPECT_EQ(list.Add("B"), 1);  // dupIgnore: the existing one's index
  EXPECT_EQ(list.Count(), 3);
  int index;
  EXPECT_FALSE(list.Find("bb", index));
  EXPECT_EQ(index, 2);
  EXPECT_THROW(list.Insert(0, "z"), EStringListError);
  EXPECT_THROW(list.SetStrings(0, "z"), EStringListError);

  list.SetDuplicates(dupError);
  try {
    list.Add("A");
    ADD_FAILURE() << "no error";
  } catch (const EStringListError& e) {
    EXPECT_STREQ(e.what(), "String list does not allow duplicates");
  }
  list.SetDuplicates(dupAccept);
  list.Add("b");
  list.Add("B");
  EXPECT_EQ(list.ToVector(), (Strings{"a", "B", "b", "b", "C"}));  // each before its equals
  EXPECT_TRUE(list.Find("B", index));
  EXPECT_EQ(index, 1);  // the first of equal strings

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.ToVector(), (Strings{"B", "C", "a", "b", "b"}));
  EXPECT_EQ(list.IndexOf("c"), -1);
}

TEST(StringList, IndexesOutsideTheListRaise) {
  TStringList list;
  list.Add("only");
  struct Case {
    std::function<void()> op;
    const char* message;
  };
  const Case cases[] = {
      {[&] { list.Strings(1); }, "List index out of bounds (1)"},
      {[&] { list.Delete(-1); }, "List index out of bounds (-1)"},
      {[&] { list.Insert(2, "x"); }, "List index out of bounds (2)"},
      {[&] { list.Exchange(0, 3); }, "List index out of bounds (3)"},
      {[&] { list.Objects(1); }, "List index out of bounds (1)"},
  };
  for (const Case& c : cases) {
    try {
      c.op();
      ADD_FAILURE() << c.message;
    } catch (const EStringListError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  EXPECT_EQ(list.ToVector(), Strings{"only"});
}

TEST(StringList, ObjectsTravelWithTheirStrings) {
  TStringList a, b, c;
  TStringList list;
  list.AddObject("a", &a);
  list.AddObject("b", &b);
  list.AddObject("c", &c);
  list.Move(0, 2);
  list.Exchange(0, 1);
  EXPECT_EQ(list.ToVector(), (Strings{"c", "b", "a"}));
  EXPECT_EQ(list.Objects(0), &c);
  EXPECT_EQ(list.Objects(2), &a);
  EXPECT_EQ(list.IndexOfObject(&b), 1);
  TStringList copy;
  copy.Assign(&list);
  EXPECT_EQ(copy.Objects(2), &a);
}

TEST(StringList, ChangesAreReportedOnceAroundAnUpdate) {
  TStringList list;
  std::vector<std::string> events;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    events.push_back("changing");
  };
  list.OnChange = [&](TObject*) { events.push_back("change:" + list.CommaText()); };

  list.Add("a");
  EXPECT_EQ(events, (Strings{"changing", "change:a"}));
  events.clear();
  list.BeginUpdate();
  list.Add("b");
  list.Delete(0);
  list.SetStrings(0, "c");
  list.EndUpdate();
  EXPECT_EQ(events, (Strings{"changing", "change:c"}));
  events.clear();
  list.SetCommaText("x,y,z");
  EXPECT_EQ(events, (Strings{"changing", "change:x,y,z"}));
}

}  // namespace
