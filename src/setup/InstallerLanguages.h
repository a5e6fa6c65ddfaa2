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

private:
  TKyPkgStrings* packages_[kLanguageCount] = {};
};
