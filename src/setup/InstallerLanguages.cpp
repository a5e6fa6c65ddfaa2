#include "setup/InstallerLanguages.h"

#include "platform/base/FileNames.h"
#include "setup/InstallerMessages.h"

namespace {

const char* const kNames[kLanguageCount] = {"English", "Spanish", "French", "Italian", "German"};

}  // namespace

TInstallerLanguages::TInstallerLanguages(TComponent* owner) {
  for (int i = 0; i < kLanguageCount; ++i) {
    packages_[i] = new TKyPkgStrings(owner);  // the owner frees them
    packages_[i]->SetName(std::string("Pkg") + kNames[i]);
    packages_[i]->SetPkgName(kIdioma);
  }
}

void TInstallerLanguages::Load(int index, TStream& package) { packages_[index]->LoadFromStream(package); }

void TInstallerLanguages::LoadFolder(const std::string& folder) {
  for (int i = 0; i < kLanguageCount; ++i)
    packages_[i]->LoadFromFile(IncludeTrailingBackslash(folder) + "Idioma-" + kNames[i] + ".pst");
}

void TInstallerLanguages::Activate(int index) {
  if (index >= 0 && index < kLanguageCount) packages_[index]->SetActive(true);
}

const char* TInstallerLanguages::LanguageName(int index) { return kNames[index]; }
