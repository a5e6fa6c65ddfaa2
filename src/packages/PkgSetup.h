// The application setup package: the names of the language, display and
// variables files, and the keyboard shortcuts and behaviours of the
// library's edits and forms. Loaded first at start-up so that the other
// packages know their files. Portable.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "packages/PkgInfo.h"
#include "platform/base/ShortCutText.h"

// The keys in their declared (published) order.
enum TKySetupKey : uint8_t {
  skRelation,
  skMaint,
  skCalculator,
  skCalendar,
  skCustom1,
  skCustom2,
  skInsert,
  skPost,
  skEdit,
  skDelete,
  skRefresh,
  skFirst,
  skLast,
  skNext,
  skPrior,
  kSetupKeyCount
};

// The published name of a key ("KeyRelation").
const char* SetupKeyName(TKySetupKey key);

class TKyPkgSetupKeys : public TPersistent {
  KY_CLASS(TKyPkgSetupKeys, TPersistent)
public:
  // The package that owns the keys; every change is its change.
  explicit TKyPkgSetupKeys(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyPkgSetupKeys>& p);

  bool InsertMode() const { return insertMode_; }
  void SetInsertMode(bool value);
  bool EnterAsTab() const { return enterAsTab_; }
  void SetEnterAsTab(bool value);
  TShortCut Key(TKySetupKey key) const { return keys_[key]; }
  void SetKey(TKySetupKey key, TShortCut value);

  // Back to the defaults ("F6", "F7", "F8", "F8", none, none, "Ctrl+Ins" ...).
  void Reset();
  static TShortCut DefaultKey(TKySetupKey key);

  void Assign(const TPersistent* source) override;

  std::function<void()> OnChange;

  // One accessor per key, for publishing each by name.
  template <TKySetupKey K>
  TShortCut KeyOf() const {
    return keys_[K];
  }
  template <TKySetupKey K>
  void SetKeyOf(TShortCut value) {
    SetKey(K, value);
  }
  template <TKySetupKey K>
  bool KeyStored() const {
    return keys_[K] != DefaultKey(K);
  }

protected:
  TPersistent* GetOwner() const override { return owner_; }

private:
  void Changed();

  TPersistent* owner_;
  bool insertMode_ = true;
  bool enterAsTab_ = false;
  std::array<TShortCut, kSetupKeyCount> keys_{};
};

// Whether a key event (virtual-key code and modifiers) is the shortcut:
// same key, same Shift, Ctrl and Alt. A zero shortcut never matches.
bool ShortCutMatches(TShortCut shortCut, uint16_t key, bool shift, bool ctrl, bool alt);

class TKyPkgSetup : public TKyPkgInfo {
  KY_CLASS(TKyPkgSetup, TKyPkgInfo)
public:
  static constexpr TKyPkgKind kKind{"KyPkgSetup", 1, 1, "stp", 20, 21};
  // The keys in the order of the file.
  static constexpr std::array<TKySetupKey, kSetupKeyCount> kBodyOrder{
      skCalculator, skCalendar, skCustom1, skCustom2, skMaint, skRelation, skInsert, skEdit,
      skPost,       skDelete,   skRefresh, skFirst,   skLast,  skPrior,    skNext};

  explicit TKyPkgSetup(TComponent* owner);
  ~TKyPkgSetup() override;
  static void Publish(TPublisher<TKyPkgSetup>& p);
  const TKyPkgKind& Kind() const override { return kKind; }

  TKyPkgSetupKeys* Keys() const { return keys_; }

  // Owned by an application configuration, these are the FileName of its
  // language, display and variables packages; otherwise kept here.
  std::string LanguageFileName() const;
  void SetLanguageFileName(const std::string& value);
  std::string DisplayFileName() const;
  void SetDisplayFileName(const std::string& value);
  std::string VarsFileName() const;
  void SetVarsFileName(const std::string& value);

  void Clear() override;
  void ReadPackage(TKyReader& reader) override;
  // After a reload by the owner, which held our passes back: every
  // reference resolves again and the form configurations re-apply.
  void NotifyReloaded();
  void WritePackage(TKyWriter& writer) override;

private:
  enum TFileSlot { fsLanguage, fsDisplay, fsVars };
  // The application package that carries the name, or nullptr.
  TKyPkgInfo* FileTarget(TFileSlot slot) const;
  std::string FileNameOf(TFileSlot slot) const;
  void SetFileNameOf(TFileSlot slot, const std::string& value);

  TKyPkgSetupKeys* keys_;
  std::array<std::string, 3> fileNames_;
};
