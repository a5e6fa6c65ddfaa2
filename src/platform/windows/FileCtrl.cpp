#include "platform/windows/FileCtrl.h"

#include "platform/os/WinApi.h"

#include <algorithm>
#include <cctype>

#include "platform/os/Handles.h"
#include "platform/windows/Publish.h"

namespace {

bool IsFolder(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// "c:\a\b" without a final "\" except "c:\".
std::string Normalise(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  if (path.size() == 2 && path[1] == ':') path += '\\';
  return path;
}

std::string CurrentFolder() {
  char buf[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(MAX_PATH, buf);
  return n > 0 && n < MAX_PATH ? Normalise(std::string(buf, n)) : std::string("c:\\");
}

std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  std::string pattern = folder;
  if (pattern.back() != '\\') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA fd;
  TFindHandle find(FindFirstFileA(pattern.c_str(), &fd));
  if (!find) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    names.push_back(name);
  } while (FindNextFileA(find.Get(), &fd));
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
  });
  return names;
}

}  // namespace

std::string NearestExistingFolder(const std::string& path) {
  std::string p = Normalise(path);
  if (p.size() < 3 || p[1] != ':') {
    // A relative name: below the current folder.
    char buf[MAX_PATH];
    DWORD n = GetFullPathNameA(p.empty() ? "." : p.c_str(), MAX_PATH, buf, nullptr);
    if (n == 0 || n >= MAX_PATH) return std::string();
    p = Normalise(std::string(buf, n));
  }
  while (!p.empty()) {
    if (IsFolder(p)) return p;
    if (p.size() <= 3) return std::string();
    size_t slash = p.find_last_of('\\');
    if (slash == std::string::npos) return std::string();
    p = Normalise(p.substr(0, slash));
  }
  return std::string();
}

// ---- TDirectoryListBox ----

TDirectoryListBox::TDirectoryListBox(TComponent* owner) : TCustomListBox(owner) {
  SetStyle(lbOwnerDrawFixed);
  SetBounds(0, 0, 145, 97);
  directory_ = CurrentFolder();
  BuildList();
}

void TDirectoryListBox::Publish(TPublisher<TDirectoryListBox>& p) {
  PublishWinControl(p);
  p.Property("ItemHeight", &TDirectoryListBox::ItemHeight, &TDirectoryListBox::SetItemHeight).Default(16);
  p.Property("Color", &TDirectoryListBox::Color, &TDirectoryListBox::SetColor).Default(kClWindow).Idents(ColorIdents());
  p.Property("TabStop", &TDirectoryListBox::TabStop, &TDirectoryListBox::SetTabStop).Default(true);
  p.Event("OnChange", &TDirectoryListBox::OnChange);
}

char TDirectoryListBox::Drive() const {
  return directory_.empty() ? 'c' : static_cast<char>(std::tolower(static_cast<unsigned char>(directory_[0])));
}

void TDirectoryListBox::SetDirectory(const std::string& value) {
  std::string folder = NearestExistingFolder(value);
  if (folder.empty()) folder = CurrentFolder();
  if (folder.size() >= 2 && folder[1] == ':')
    folder[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(folder[0])));
  bool same = folder.size() == directory_.size() &&
              std::equal(folder.begin(), folder.end(), directory_.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
              });
  directory_ = folder;
  BuildList();
  if (driveBox_) driveBox_->FollowDrive(Drive());
  if (!same && OnChange) OnChange(this);
}

void TDirectoryListBox::SetDrive(char value) {
  value = static_cast<char>(std::tolower(static_cast<unsigned char>(value)));
  if (value == Drive()) return;
  // The drive's own current folder, as the system remembers it.
  char buf[MAX_PATH];
  std::string spec = std::string(1, value) + ":";
  DWORD n = GetFullPathNameA(spec.c_str(), MAX_PATH, buf, nullptr);
  std::string folder = n > 0 && n < MAX_PATH ? std::string(buf, n) : spec + "\\";
  SetDirectory(folder);
}

void TDirectoryListBox::BuildList() {
  paths_.clear();
  levels_.clear();
  std::vector<std::string> names;
  std::string root = directory_.substr(0, 3);
  paths_.push_back(root);
  levels_.push_back(0);
  names.push_back(root);
  std::string path = root;
  size_t start = 3;
  int level = 0;
  while (start < directory_.size()) {
    size_t slash = directory_.find('\\', start);
    std::string part = directory_.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (!part.empty()) {
      path += (path.back() == '\\' ? "" : "\\") + part;
      paths_.push_back(path);
      levels_.push_back(++level);
      names.push_back(part);
    }
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  openIndex_ = static_cast<int>(paths_.size()) - 1;
  for (const std::string& sub : SubFolders(directory_)) {
    paths_.push_back(directory_ + (directory_.back() == '\\' ? "" : "\\") + sub);
    levels_.push_back(level + 1);
    names.push_back(sub);
  }
  Items()->BeginUpdate();
  Items()->Clear();
  for (const std::string& n : names) Items()->Add(n);
  Items()->EndUpdate();
  SetItemIndex(openIndex_);
}

std::string TDirectoryListBox::GetItemPath(int index) const {
  return index >= 0 && index < static_cast<int>(paths_.size()) ? paths_[static_cast<size_t>(index)] : std::string();
}

int TDirectoryListBox::ItemLevel(int index) const {
  return index >= 0 && index < static_cast<int>(levels_.size()) ? levels_[static_cast<size_t>(index)] : 0;
}

void TDirectoryListBox::OpenCurrent(int index) {
  if (index < 0) index = ItemIndex();
  if (index < 0 || index >= static_cast<int>(paths_.size())) return;
  SetDirectory(paths_[static_cast<size_t>(index)]);
}

void TDirectoryListBox::DblClick() {
  OpenCurrent();
  TCustomListBox::DblClick();
}

void TDirectoryListBox::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomListBox::KeyDown(key, shift);
  if (key == VK_RETURN && ItemIndex() != openIndex_) {
    OpenCurrent();
    key = 0;
  }
}

void TDirectoryListBox::WndProc(TMessage& m) {
  if (m.Msg == WM_GETDLGCODE) {
    TCustomListBox::WndProc(m);
    // Enter opens another line than the current folder's; on that line it
    // is the dialog's.
    if (ItemIndex() != openIndex_) m.Result |= DLGC_WANTALLKEYS;
    return;
  }
  TCustomListBox::WndProc(m);
}

void TDirectoryListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  TCanvas* c = Canvas();
  c->FillRect(rect);
  if (index < 0 || index >= static_cast<int>(paths_.size())) return;
  int level = levels_[static_cast<size_t>(index)];
  int x = rect.Left + 2 + level * 10;
  int h = rect.Height();
  // A folder: open for the path down to the current one, closed below it.
  bool open = index <= openIndex_;
  TKyColor ink = state.Contains(odSelected) ? kClHighlightText : kClWindowText;
  TKyColor fill = open ? 0x0080E0FF : 0x0040C0F0;
  int top = rect.Top + (h - 10) / 2;
  c->Pen()->SetColor(ink);
  c->Brush()->SetColor(fill);
  c->Rectangle(x, top + 2, x + 14, top + 11);
  c->Rectangle(x, top, x + 6, top + 3);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(x + 18, rect.Top + (h - c->TextHeight("Wg")) / 2, Items()->Strings(index));
  c->Brush()->SetStyle(bsSolid);
}

// ---- TDriveComboBox ----

TDriveComboBox::TDriveComboBox(TComponent* owner) : TCustomComboBox(owner) {
  SetStyle(csDropDownList);
  std::string current = CurrentFolder();
  if (!current.empty()) drive_ = static_cast<char>(std::tolower(static_cast<unsigned char>(current[0])));
  BuildList();
}

void TDriveComboBox::Publish(TPublisher<TDriveComboBox>& p) {
  PublishWinControl(p);
  p.Property("DirList", &TDriveComboBox::DirList, &TDriveComboBox::SetDirList);
  p.Property("Color", &TDriveComboBox::Color, &TDriveComboBox::SetColor).Default(kClWindow).Idents(ColorIdents());
  p.Property("TabStop", &TDriveComboBox::TabStop, &TDriveComboBox::SetTabStop).Default(true);
  p.Event("OnChange", &TDriveComboBox::OnChange);
}

void TDriveComboBox::BuildList() {
  letters_.clear();
  Items()->BeginUpdate();
  Items()->Clear();
  DWORD mask = GetLogicalDrives();
  int select = -1;
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    char letter = static_cast<char>('a' + i);
    std::string root = std::string(1, letter) + ":\\";
    std::string text = std::string(1, letter) + ":";
    UINT type = GetDriveTypeA(root.c_str());
    // Fixed and network drives show their volume name; removable ones are
    // not asked (that would wait for a medium).
    if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK) {
      char label[MAX_PATH + 1] = {0};
      UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
      if (GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0) && label[0])
        text += std::string(" [") + label + "]";
      SetErrorMode(oldMode);
    }
    if (letter == drive_) select = static_cast<int>(letters_.size());
    letters_.push_back(letter);
    Items()->Add(text);
  }
  Items()->EndUpdate();
  SetItemIndex(select);
}

void TDriveComboBox::CreateHandleDone() {
  TCustomComboBox::CreateHandleDone();
  auto it = std::find(letters_.begin(), letters_.end(), drive_);
  if (it != letters_.end()) SetItemIndex(static_cast<int32_t>(it - letters_.begin()));
}

void TDriveComboBox::SetDrive(char value) {
  value = static_cast<char>(std::tolower(static_cast<unsigned char>(value)));
  auto it = std::find(letters_.begin(), letters_.end(), value);
  if (it == letters_.end()) throw Exception(std::string("Drive ") + value + ": does not exist");
  drive_ = value;
  SetItemIndex(static_cast<int32_t>(it - letters_.begin()));
  if (dirList_) dirList_->SetDrive(value);
}

TDriveComboBox::~TDriveComboBox() {
  if (!dirList_) return;
  dirList_->driveBox_ = nullptr;
  dirList_->RemoveFreeNotification(this);
}

void TDriveComboBox::FollowDrive(char value) {
  if (value == drive_) return;
  drive_ = value;
  auto it = std::find(letters_.begin(), letters_.end(), value);
  if (it != letters_.end()) SetItemIndex(static_cast<int32_t>(it - letters_.begin()));
}

void TDriveComboBox::Change() {
  int32_t i = ItemIndex();
  if (i >= 0 && i < static_cast<int32_t>(letters_.size())) {
    drive_ = letters_[static_cast<size_t>(i)];
    if (dirList_) dirList_->SetDrive(drive_);
  }
  TCustomComboBox::Change();
}

void TDriveComboBox::SetDirList(TDirectoryListBox* value) {
  if (value == dirList_) return;
  if (dirList_) {
    dirList_->RemoveFreeNotification(this);
    dirList_->driveBox_ = nullptr;
  }
  dirList_ = value;
  if (value) {
    value->FreeNotification(this);
    value->driveBox_ = this;
    if (!IsLoading()) value->SetDrive(drive_);
  }
}

void TDriveComboBox::Notification(TComponent* component, TOperation operation) {
  TCustomComboBox::Notification(component, operation);
  if (operation == opRemove && component == dirList_) dirList_ = nullptr;
}
