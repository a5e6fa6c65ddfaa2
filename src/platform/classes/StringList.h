// String lists: TStrings (the protocol, with text, comma text and
// name=value access) and TStringList (the ordinary list, optionally sorted).
// In forms a list is written as its defined property "Strings", a list of
// strings: Lines.Strings = ('one' 'two'). Portable.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/base/Stream.h"

class EStringListError : public EListError { using EListError::EListError; };

class TStrings : public TPersistent {
  KY_CLASS(TStrings, TPersistent)
public:
  virtual int Count() const = 0;
  std::string Strings(int index) const { return Get(index); }
  void SetStrings(int index, const std::string& value) { Put(index, value); }
  std::string operator[](int index) const { return Get(index); }
  // The object stored beside each string (not owned).
  TObject* Objects(int index) const { return GetItemObject(index); }
  void SetObjects(int index, TObject* value) { PutItemObject(index, value); }

  virtual int Add(const std::string& s);
  int AddObject(const std::string& s, TObject* object);
  void AddStrings(const TStrings& strings);
  void AddStrings(const std::vector<std::string>& strings);
  virtual void Insert(int index, const std::string& s) = 0;
  void InsertObject(int index, const std::string& s, TObject* object);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);

  // Without regard to case; -1 when absent.
  virtual int IndexOf(const std::string& s) const;
  int IndexOfObject(const TObject* object) const;
  // "Name=Value" lines: the line of a name (without regard to case), the
  // name part of a line, and the value of a name.
  int IndexOfName(const std::string& name) const;
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  std::string Values(const std::string& name) const;
  // An empty value deletes the line.
  void SetValues(const std::string& name, const std::string& value);

  // Every line followed by CR LF; SetText splits at CR LF, CR or LF.
  std::string Text() const;
  virtual void SetText(const std::string& text);
  // Items separated by commas; an item holding a blank, control character,
  // comma or double quote is quoted, and a single empty item is "".
  // SetCommaText separates at commas and blanks, double quotes group.
  std::string CommaText() const;
  void SetCommaText(const std::string& text);

  std::vector<std::string> ToVector() const;
  bool Equals(const TStrings& other) const;

  // Changes in between are reported once, at the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

  void Assign(const TPersistent* source) override;

protected:
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& s);
  virtual TObject* GetItemObject(int index) const;
  virtual void PutItemObject(int index, TObject* object);
  // Told when the update counter leaves (false) or reaches (true) zero.
  virtual void SetUpdateState(bool updating);
  void DefineProperties(TFiler& filer) override;
  [[noreturn]] void Error(const std::string& message, int index) const;

private:
  int updateCount_ = 0;
};

enum TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
  KY_CLASS(TStringList, TStrings)
public:
  TStringList() = default;
  ~TStringList() override;

  int Count() const override { return static_cast<int>(items_.size()); }
  int Add(const std::string& s) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;
  void Exchange(int index1, int index2) override;
  int IndexOf(const std::string& s) const override;

  // Binary search of a sorted list: true when found; index is where s is or
  // would be inserted.
  bool Find(const std::string& s, int& index) const;
  void Sort();
  void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates value) { duplicates_ = value; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  TObject* GetItemObject(int index) const override;
  void PutItemObject(int index, TObject* object) override;
  void SetUpdateState(bool updating) override;
  virtual void Changed();
  virtual void Changing();
  int CompareStrings(const std::string& a, const std::string& b) const;

private:
  struct TItem {
    std::string String;
    TObject* Object;
  };
  void InsertItem(int index, const std::string& s, TObject* object);
  void CheckIndex(int index) const;

  std::vector<TItem> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};
