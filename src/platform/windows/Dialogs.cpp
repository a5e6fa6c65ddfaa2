#include "platform/windows/Dialogs.h"

#include "platform/os/WinApi.h"

#include <commdlg.h>

#include <vector>

#include "platform/os/LateBound.h"
#include "platform/windows/Application.h"

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner), files_(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::Publish(TPublisher<TOpenDialog>& p) {
  p.Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
  p.Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
  p.Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
  p.Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  p.Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
  p.Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions).Default(TOpenOptions{ofHideReadOnly});
  p.Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}

std::string TOpenDialog::PlatformFilter(const std::string& filter) {
  if (filter.empty()) return std::string();
  std::string out = filter;
  for (char& c : out)
    if (c == '|') c = '\0';
  // Pairs end in "\0\0"; an odd last part still gets its terminator.
  out.push_back('\0');
  out.push_back('\0');
  return out;
}

bool TOpenDialog::Execute() {
  constexpr size_t kBuffer = 32 * 1024;
  std::vector<char> buffer(kBuffer, '\0');
  fileName_.copy(buffer.data(), std::min(fileName_.size(), kBuffer - 2));
  std::string filter = PlatformFilter(filter_);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  TCustomForm* owner = Screen ? Screen->ActiveForm() : nullptr;
  if (!owner && Application) owner = Application->MainForm();
  ofn.hwndOwner = owner && owner->HandleAllocated() ? owner->Handle() : nullptr;
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex_ > 0 ? filterIndex_ : 1);
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(kBuffer);
  ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
  ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  ofn.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
  static const std::pair<TOpenOption, DWORD> kFlags[] = {
      {ofReadOnly, OFN_READONLY},           {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
      {ofHideReadOnly, OFN_HIDEREADONLY},   {ofNoChangeDir, OFN_NOCHANGEDIR},
      {ofAllowMultiSelect, OFN_ALLOWMULTISELECT}, {ofPathMustExist, OFN_PATHMUSTEXIST},
      {ofFileMustExist, OFN_FILEMUSTEXIST}, {ofCreatePrompt, OFN_CREATEPROMPT},
      {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN}, {ofNoTestFileCreate, OFN_NOTESTFILECREATE},
      {ofNoNetworkButton, OFN_NONETWORKBUTTON}, {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS}};
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
  for (auto [option, flag] : kFlags)
    if (options_.Contains(option)) ofn.Flags |= flag;
  if (Application) Application->CancelHint();
  // The common dialogs are loaded while one shows: most runs never show one,
  // and what they bring in is not kept after it.
  TScopedLibrary comdlg32("comdlg32.dll");
  const auto getOpenFileName = comdlg32.Get<decltype(&GetOpenFileNameA)>("GetOpenFileNameA");
  const auto extendedError = comdlg32.Get<decltype(&CommDlgExtendedError)>("CommDlgExtendedError");
  if (!getOpenFileName(&ofn)) {
    DWORD err = extendedError();
    if (err != 0) throw Exception("The file dialog failed (error " + std::to_string(err) + ")");
    return false;
  }
  files_->Clear();
  // Several files: the folder, then each name, each ending in a zero.
  const char* p = buffer.data();
  std::string first = p;
  p += first.size() + 1;
  if ((ofn.Flags & OFN_ALLOWMULTISELECT) && *p) {
    std::string folder = first;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    while (*p) {
      std::string name = p;
      files_->Add(folder + name);
      p += name.size() + 1;
    }
    fileName_ = files_->Strings(0);
  } else {
    fileName_ = first;
    files_->Add(first);
  }
  filterIndex_ = static_cast<int32_t>(ofn.nFilterIndex);
  if (ofn.Flags & OFN_READONLY) options_.Include(ofReadOnly);
  else options_.Exclude(ofReadOnly);
  return true;
}
