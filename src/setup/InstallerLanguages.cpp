#include "setup/InstallerLanguages.h"

#include "packages/CApplication.h"
#include "packages/PkgLanguage.h"
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
  if (index < 0 || index >= kLanguageCount) return;
  packages_[index]->SetActive(true);
  ApplySystemLabels(*packages_[index]);
}

void TInstallerLanguages::ApplySystemLabels(const TKyPkgStrings& idioma, TKyPkgStrings& system) {
  constexpr int kFirst = 2, kLast = 19, kOffset = 100;
  for (int id = kFirst; id <= kLast; ++id) {
    const TKyPkgStringsLabel* own = idioma.FindLabel(id + kOffset);
    if (!own) continue;
    if (TKyPkgStringsLabel* old = system.FindLabel(id)) system.DeleteEntry(old);
    system.AddLabel(id, own->Caption(), own->Hint());
  }
}

void TInstallerLanguages::ApplySystemLabels(const TKyPkgStrings& idioma) {
  if (TKyCApplication* app = FirstApplication()) ApplySystemLabels(idioma, app->PkgLanguage()->SystemStrings());
}

const char* TInstallerLanguages::LanguageName(int index) { return kNames[index]; }
