// What installing one setup file will do, decided from the file and the
// current state before anything changes. The engine applies exactly this
// plan; `stptool plan` and the wizard show it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/SetupFile.h"
#include "setup/SetupState.h"

// ---- file categories, on the upper-cased, trimmed relative name ----
std::string FileCategoryName(const std::string& name);
bool IsLibraryProjectFile(const std::string& u);
bool IsHeaderFile(const std::string& u);
bool IsLibraryFile(const std::string& u);
bool IsDesignPackage(const std::string& u);
bool IsRuntimePackage(const std::string& u);
bool IsHelpFile(const std::string& u);
// Shortcut extensions upper-cased, each with its leading dot.
std::vector<std::string> ShortcutExtensions(const std::string& commaText);
bool WantsShortcut(const std::string& u, const std::vector<std::string>& exts);
// The name with its extension replaced (or added when it has none).
std::string ChangeFileExt(const std::string& name, const std::string& ext);

// The environments a product of this kind is placed in: its own, or for
// kind 3 those given; none for data.
std::vector<int> ProductEnvironments(int kind, const std::vector<int>& helpEnvironments);

// One file entry placed at one destination (a help product's entries once
// per environment).
struct TPlannedFile {
  int32_t Entry = 0;           // its index among the setup file's entries
  std::string Name;            // its relative name
  int32_t Size = 0;
  std::string Path;            // where it goes
  bool CreateFolders = false;  // its folders below the product folder are made first
  bool Replaces = false;       // a file is there now
  int Environment = -1;        // the environment whose folders receive it
  bool DesignPackage = false;  // registered in the environment's "Known Packages"
  std::string PackageText;     // the registration's text
  std::string Link;            // a shortcut to it, "" for none
  std::string HelpContents;    // a help product's contents file, which gains a line
  std::string HelpTitle;       // the index line's title; "" for an include line
};

// An earlier installation that goes first: this product (or its update),
// or another edition of it.
struct TPlannedRemoval {
  std::string Id;
  bool Update = false;
  int Share = 50;
  bool KeepRecord = false;  // this product: its record stays until the new one is written
  std::string Stored;       // the stored copy its record names
};

// An obsolete file of the product folder, and its shortcut.
struct TPlannedObsolete {
  std::string Path;
  std::string Link;  // "" when it has none
};

struct TPlannedValue {
  std::string Key, Name, Data;
};

struct TInstallPlan {
  std::string SetupPath;
  TSetupProduct Product;
  std::string Id, ProductFolder, GroupFolder, Key;
  std::string StoredName, Stored;  // the copy of the setup file kept in PathInstall
  std::vector<int> Environments;   // those whose folders it writes into
  std::vector<std::string> Roots;  // their RootDir with a final "\"
  int32_t FileCount = 0;
  std::vector<TPlannedRemoval> Removals;
  std::vector<TPlannedFile> Files;      // in the order they are written
  std::vector<TPlannedObsolete> Obsolete;  // deleted after the files are placed
  std::vector<TPlannedValue> Record;    // written last
  bool ProductEntry = false;            // a "Programs and Features" entry
};

// Reads and checks the whole setup file against the state (the ticked
// environments for kind 3) and decides every change; changes nothing.
// Raises the "Idioma" message of the first refusal.
TInstallPlan PlanInstallation(const TSetupState& state, const std::string& setupPath);

// The plan as a person reads it, one line each, and as JSON.
std::vector<std::string> PlanLines(const TInstallPlan& plan);
std::string PlanJson(const TInstallPlan& plan);
