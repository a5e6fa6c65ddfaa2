// The installer's working state: folders, environments, wizard mode, ticks,
// language, licence and the products list. The wizard owns one; the engine
// works on it; nothing of it is global.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/Registry.h"

inline constexpr int kEnvironmentCount = 8;

// One entry of the products list: a product sub-key of the record, as its
// base item (Data 0) or its update item (Data 1).
struct TProductItem {
  std::string Value;        // product identifier, or "KySetup"
  std::string Description;
  int Data = 0;
  bool operator==(const TProductItem&) const = default;
};

class TProductList {
public:
  const std::vector<TProductItem>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  const TProductItem& operator[](int index) const { return items_[static_cast<size_t>(index)]; }

  void Add(const TProductItem& item) { items_.push_back(item); }
  void Clear() { items_.clear(); }
  // Index of the first item with this value (without regard to case) and,
  // when data >= 0, this item data; -1 when there is none.
  int Find(const std::string& value, int data = -1) const;
  // Removes the first matching item; false when there was none.
  bool Remove(const std::string& value, int data = -1);
  void Delete(int index);

private:
  std::vector<TProductItem> items_;
};

struct TSetupState {
  std::string PathInstall;   // products root folder
  std::string PathGroup;     // the installer's program-group folder
  std::string SystemDir;     // the Windows system folder
  std::array<std::string, kEnvironmentCount> RootDir;
  std::array<bool, kEnvironmentCount> EnvironmentEnabled{};  // detected
  std::array<bool, kEnvironmentCount> EnvironmentTicked{};   // chosen for kind 3 help
  // Installed, but never started by this user: its key below HKEY_CURRENT_USER is missing.
  std::array<bool, kEnvironmentCount> EnvironmentNeverStarted{};
  bool IgnoreRunningIdes = false;  // a run goes ahead while an environment's IDE runs
  int WizardMode = 0;        // 0 first run, 1 installer update, 2 products, 3 erase
  int Language = 0;          // 0 English, 1 Spanish, 2 French, 3 Italian, 4 German
  std::vector<std::string> LicenseLines;
  std::string ProgramFile;   // the installer program copied by its own installation
  std::string JournalFile;   // the journal of the run in progress (RunJournal.h)
  TProductList Products;
  TRegistry Registry{rkCurrentUser};  // the record, below HKEY_CURRENT_USER
};
