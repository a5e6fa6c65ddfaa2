#include "setup/forms/FrSearch.h"

#include "controls/KyButtons.h"
#include "platform/base/FileNames.h"
#include "platform/windows/FileCtrl.h"

TFrSearch* FrSearch = nullptr;

void TFrSearch::Publish(TPublisher<TFrSearch>& p) {
  p.Field("DirectoryList", &TFrSearch::DirectoryList);
  p.Field("DriveList", &TFrSearch::DriveList);
  p.Field("BtOk", &TFrSearch::BtOk);
  p.Field("BtCancel", &TFrSearch::BtCancel);
}

void PrepareSearch(const std::string& folder) {
  if (!FrSearch) return;
  // A folder that does not exist yet opens on its nearest existing parent.
  size_t slash = folder.rfind('\\');
  if (slash != std::string::npos) FrSearch->DirectoryList->SetDirectory(folder.substr(0, slash + 1));
  FrSearch->SetActiveControl(FrSearch->DirectoryList);
}

bool SelectFolder(std::string& folder, const std::string& group) {
  if (!FrSearch) return false;
  PrepareSearch(folder);
  if (FrSearch->ShowModal() != mrOk) return false;
  folder = IncludeTrailingBackslash(FrSearch->DirectoryList->Directory()) + group;
  return true;
}
