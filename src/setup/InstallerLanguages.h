// The installer's five strings packages named "Idioma" (English, Spanish,
// French, Italian, German) and the switch between them.
#pragma once

#include <memory>
#include <string>

#include "packages/PkgStrings.h"
#include "platform/classes/Classes.h"
#include "platform/base/Stream.h"

inline constexpr int kLanguageCount = 5;

class TInstallerLanguages {
public:
  // The packages belong to owner, as they would to the wizard's form.
  explicit TInstallerLanguages(TComponent* owner);

  // Fills language index 0..4 from a complete package (header and body).
  void Load(int index, TStream& package);
  // Fills every language from "Idioma-English.pst" ... in folder.
  void LoadFolder(const std::string& folder);

  // Makes language index the active "Idioma"; other values do nothing.
  void Activate(int index);
  TKyPkgStrings& Package(int index) const { return *packages_[index]; }

  // "English", "Spanish", "French", "Italian", "German".
  static const char* LanguageName(int index);

  // The library's own dialog buttons and captions ("System" labels 2..19)
  // as an "Idioma" package gives them (its labels 102..119), so that the
  // system's dialogs speak the wizard's language.
  static void ApplySystemLabels(const TKyPkgStrings& idioma, TKyPkgStrings& system);
  // The same into the "System" strings of the first application configuration.
  static void ApplySystemLabels(const TKyPkgStrings& idioma);

private:
  TKyPkgStrings* packages_[kLanguageCount] = {};
};
