#include "platform/classes/StringList.h"

#include <algorithm>
#include <numeric>

#include "platform/classes/FormStream.h"
#include "platform/base/SysUtils.h"

// ---- TStrings ----

void TStrings::Error(const std::string& message, int index) const {
  throw EStringListError(Format(message, {int64_t(index)}));
}

int TStrings::Add(const std::string& s) {
  int index = Count();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const std::string& s, TObject* object) {
  int index = Add(s);
  PutItemObject(index, object);
  return index;
}

void TStrings::AddStrings(const TStrings& strings) {
  BeginUpdate();
  try {
    for (int i = 0; i < strings.Count(); ++i) AddObject(strings.Get(i), strings.GetItemObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::AddStrings(const std::vector<std::string>& strings) {
  BeginUpdate();
  try {
    for (const std::string& s : strings) Add(s);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::InsertObject(int index, const std::string& s, TObject* object) {
  Insert(index, s);
  PutItemObject(index, object);
}

void TStrings::Put(int index, const std::string& s) {
  TObject* object = GetItemObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

TObject* TStrings::GetItemObject(int) const { return nullptr; }
void TStrings::PutItemObject(int, TObject*) {}

void TStrings::Exchange(int index1, int index2) {
  BeginUpdate();
  try {
    std::string s = Get(index1);
    TObject* o = GetItemObject(index1);
    Put(index1, Get(index2));
    PutItemObject(index1, GetItemObject(index2));
    Put(index2, s);
    PutItemObject(index2, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  BeginUpdate();
  try {
    std::string s = Get(curIndex);
    TObject* o = GetItemObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const std::string& s) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Get(i), s)) return i;
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0; i < Count(); ++i)
    if (GetItemObject(i) == object) return i;
  return -1;
}

int TStrings::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    std::string s = Get(i);
    size_t eq = s.find('=');
    if (eq != std::string::npos && SameText(s.substr(0, eq), name)) return i;
  }
  return -1;
}

std::string TStrings::Names(int index) const {
  std::string s = Get(index);
  size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStrings::ValueFromIndex(int index) const {
  std::string s = Get(index);
  size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

std::string TStrings::Values(const std::string& name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
  int i = IndexOfName(name);
  if (!value.empty()) {
    if (i < 0) i = Add("");
    Put(i, name + "=" + value);
  } else if (i >= 0) {
    Delete(i);
  }
}

std::string TStrings::Text() const {
  std::string text;
  for (int i = 0; i < Count(); ++i) {
    text += Get(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::SetText(const std::string& text) {
  BeginUpdate();
  try {
    Clear();
    size_t i = 0, n = text.size();
    while (i < n) {
      size_t start = i;
      while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
      Add(text.substr(start, i - start));
      if (i < n && text[i] == '\r') ++i;
      if (i < n && text[i] == '\n') ++i;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TStrings::CommaText() const { return JoinCommaText(ToVector()); }

void TStrings::SetCommaText(const std::string& text) {
  BeginUpdate();
  try {
    Clear();
    AddStrings(SplitCommaText(text));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::vector<std::string> TStrings::ToVector() const {
  std::vector<std::string> v;
  v.reserve(static_cast<size_t>(Count()));
  for (int i = 0; i < Count(); ++i) v.push_back(Get(i));
  return v;
}

bool TStrings::Equals(const TStrings& other) const {
  if (Count() != other.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::LoadFromStream(TStream& stream) {
  int64_t size = stream.Size() - stream.Position();
  std::string text(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  if (!text.empty()) stream.ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
  SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const {
  std::string text = Text();
  stream.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

void TStrings::LoadFromFile(const std::string& fileName) {
  TFileStream f(fileName, fmOpenRead);
  LoadFromStream(f);
}

void TStrings::SaveToFile(const std::string& fileName) const {
  TFileStream f(fileName, fmCreate);
  SaveToStream(f);
}

void TStrings::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TStrings*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    AddStrings(*other);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::DefineProperties(TFiler& filer) {
  bool hasData;
  if (auto* ancestor = dynamic_cast<TStrings*>(filer.Ancestor())) hasData = !Equals(*ancestor);
  else hasData = Count() > 0;
  filer.DefineProperty(
      "Strings",
      [this](TReader& r) {
        BeginUpdate();
        try {
          Clear();
          r.ReadListBegin();
          while (!r.EndOfList()) Add(r.ReadString());
          r.ReadListEnd();
        } catch (...) {
          EndUpdate();
          throw;
        }
        EndUpdate();
      },
      [this](TWriter& w) {
        w.WriteListBegin();
        for (int i = 0; i < Count(); ++i) w.WriteString(Get(i));
        w.WriteListEnd();
      },
      hasData);
}

// ---- TStringList ----

TStringList::~TStringList() {
  OnChange.Clear();
  OnChanging.Clear();
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
}

std::string TStringList::Get(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].String;
}

TObject* TStringList::GetItemObject(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].Object;
}

void TStringList::Put(int index, const std::string& s) {
  if (sorted_) Error("Operation not allowed on sorted list", index);
  CheckIndex(index);
  Changing();
  items_[static_cast<size_t>(index)].String = s;
  Changed();
}

void TStringList::PutItemObject(int index, TObject* object) {
  CheckIndex(index);
  Changing();
  items_[static_cast<size_t>(index)].Object = object;
  Changed();
}

int TStringList::Add(const std::string& s) {
  int index = Count();
  if (sorted_ && Find(s, index)) {
    switch (duplicates_) {
      case dupIgnore:
        return index;
      case dupError:
        throw EStringListError("String list does not allow duplicates");
      case dupAccept:
        break;
    }
  }
  InsertItem(index, s, nullptr);
  return index;
}

void TStringList::Insert(int index, const std::string& s) {
  if (sorted_) Error("Operation not allowed on sorted list", index);
  if (index < 0 || index > Count()) Error("List index out of bounds (%d)", index);
  InsertItem(index, s, nullptr);
}

void TStringList::InsertItem(int index, const std::string& s, TObject* object) {
  Changing();
  items_.insert(items_.begin() + index, TItem{s, object});
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
  Changed();
}

int TStringList::IndexOf(const std::string& s) const {
  if (!sorted_) {
    for (int i = 0; i < Count(); ++i)
      if (CompareStrings(items_[static_cast<size_t>(i)].String, s) == 0) return i;
    return -1;
  }
  int index;
  return Find(s, index) ? index : -1;
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const {
  if (caseSensitive_) return a.compare(b);
  return LowerCase(a).compare(LowerCase(b));
}

bool TStringList::Find(const std::string& s, int& index) const {
  bool found = false;
  int lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = CompareStrings(items_[static_cast<size_t>(mid)].String, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        // With duplicates allowed, keep looking left for the first one.
        if (duplicates_ != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare) {
  if (Count() < 2) return;
  std::vector<int> order(items_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  Changing();
  std::vector<TItem> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(items_[static_cast<size_t>(i)]);
  items_ = std::move(sorted);
  Changed();
}

void TStringList::Sort() {
  CustomSort([](const TStringList& list, int a, int b) {
    return list.CompareStrings(list.items_[static_cast<size_t>(a)].String, list.items_[static_cast<size_t>(b)].String);
  });
}

void TStringList::SetSorted(bool value) {
  if (value == sorted_) return;
  if (value) Sort();
  sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == caseSensitive_) return;
  caseSensitive_ = value;
  if (sorted_) Sort();
}

void TStringList::SetUpdateState(bool updating) {
  if (updating) Changing();
  else Changed();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}
