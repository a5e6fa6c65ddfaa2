#include "packages/PkgPrivileges.h"

#include <algorithm>
#include <sys/stat.h>

#include "packages/MessageService.h"
#include "packages/PkgReference.h"
#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/classes/FormStream.h"
#include "platform/base/SysUtils.h"
#ifdef _WIN32
#include "platform/os/ProgramInfo.h"
#endif

namespace {

void CheckLevel(int32_t level) {
  if (level < kPrivilegeHidden || level > kPrivilegeFull)
    throw Exception(Format("Privilege level %d is outside 0..2", {int64_t{level}}));
}

// Levels from files are refused rather than clamped: clamping a damaged
// level up would grant access nobody gave.
void CheckReadLevel(int32_t level, int32_t id, const std::string& file) {
  if (level < kPrivilegeHidden || level > kPrivilegeFull)
    throw EReadError(Format("Damaged package '%s': level %d of privilege %d is outside 0..2",
                            {file, int64_t{level}, int64_t{id}}));
}

bool IsFile(const std::string& name) {
  struct stat st {};
  return stat(name.c_str(), &st) == 0 && (st.st_mode & S_IFDIR) == 0;
}

}  // namespace

IKyPrivilegesApplication* PrivilegesApplication() {
  return dynamic_cast<IKyPrivilegesApplication*>(FirstPkgApplication());
}

// ---- Items ----

TKyPkgPrivilegesItem::TKyPkgPrivilegesItem(TKyPkgPrivileges& package, int32_t id, std::string description,
                                           uint8_t level)
    : package_(&package), id_(id), description_(std::move(description)), label_(&package), level_(level) {
  label_.OnChange = [this](TKyMemoryReference*) { FollowLabel(); };
}

TKyPkgPrivilegesItem::~TKyPkgPrivilegesItem() = default;

void TKyPkgPrivilegesItem::SetId(int32_t value) {
  if (value == id_) return;
  TKyConfigLock lock;
  id_ = value;
  package_->RebuildIndex();
  // Controls that named either id may now see another level.
  package_->Changed(this, true);
}

void TKyPkgPrivilegesItem::SetDescription(const std::string& value) {
  if (value == description_) return;
  TKyConfigLock lock;
  description_ = value;
  package_->Changed(this, false);
}

void TKyPkgPrivilegesItem::SetDescriptionLabel(const std::string& pkgName, int32_t id) {
  if (pkgName == label_.PkgName() && id == label_.Id()) return;
  TKyConfigLock lock;
  label_.SetReference(pkgName, id);
  package_->Change();
}

void TKyPkgPrivilegesItem::SetLevel(uint8_t value) {
  CheckLevel(value);
  if (value == level_) return;
  TKyConfigLock lock;
  level_ = value;
  package_->Changed(this, true);
}

void TKyPkgPrivilegesItem::FollowLabel() {
  // A label that finds nothing (its package is not there) leaves the stored
  // description alone.
  if (!label_.IsLinked()) return;
  if (TKyPkgStringsLabel* entry = label_.Resolve()) SetDescription(entry->Caption());
}

// ---- Access records ----

std::string ScrambleAccessText(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(static_cast<uint8_t>(c) ^ kAccessScramble);
  return out;
}

TKyAccessRecord ReadAccessBody(TKyReader& reader, uint16_t version, const std::string& fileForMessages) {
  TKyAccessRecord r;
  r.Description = reader.ReadString();
  r.Key1 = ScrambleAccessText(reader.ReadString());
  r.FileName = ScrambleAccessText(reader.ReadString());
  if (version >= 2) r.Key2 = ScrambleAccessText(reader.ReadString());
  // A negative count holds no levels, as a loop up to it reads none.
  int32_t count = std::max(reader.ReadInteger(), 0);
  // Smallest pair: two one-byte integers with their tags.
  CheckPkgCount(reader, count, 4, fileForMessages, "levels");
  r.Levels.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    int32_t id = reader.ReadInteger();
    int32_t level = reader.ReadInteger();
    CheckReadLevel(level, id, fileForMessages);
    r.Levels.emplace_back(id, level);
  }
  return r;
}

void WriteAccessBody(TKyWriter& writer, const TKyAccessRecord& record) {
  writer.WriteString(record.Description);
  writer.WriteString(ScrambleAccessText(record.Key1));
  writer.WriteString(ScrambleAccessText(record.FileName));
  writer.WriteString(ScrambleAccessText(record.Key2));
  writer.WriteInteger(static_cast<int32_t>(record.Levels.size()));
  for (const auto& [id, level] : record.Levels) {
    writer.WriteInteger(id);
    writer.WriteInteger(level);
  }
}

// ---- The package ----

TKyPkgPrivileges::TKyPkgPrivileges(TComponent* owner) : TKyPkgInfo(owner) {}

TKyPkgPrivileges::~TKyPkgPrivileges() {
  TKyConfigLock lock;
  // Quietly: nobody should hear from a package on its way out. Controls it
  // governed go back to whatever the application says now.
  ClearContent();
  bool ownerGoing = Owner() && Owner()->IsDestroying();
  if (!ApplicationDestroying() && !ownerGoing) TKyPrivilege::UpdateAll();
}

void TKyPkgPrivileges::Publish(TPublisher<TKyPkgPrivileges>& p) {
  p.Property("Key", &TKyPkgPrivileges::Key, &TKyPkgPrivileges::SetKey);
  p.Event("OnPrivilegesChanged", &TKyPkgPrivileges::OnPrivilegesChanged);
}

void TKyPkgPrivileges::SetDefinitionsName(const std::string& value) {
  if (value == definitionsName_) return;
  definitionsName_ = value;
  Change();
}

TKyPkgPrivilegesItem* TKyPkgPrivileges::FindItem(int32_t id) const {
  // The last item of an id, as labels and images find theirs: the index is
  // stable-sorted, so that is the one just before the first greater id.
  auto it = std::upper_bound(index_.begin(), index_.end(), id,
                             [](int32_t v, const TKyPkgPrivilegesItem* item) { return v < item->id_; });
  return (it != index_.begin() && (*(it - 1))->id_ == id) ? *(it - 1) : nullptr;
}

void TKyPkgPrivileges::RebuildIndex() {
  index_.clear();
  index_.reserve(items_.size());
  for (const auto& item : items_) index_.push_back(item.get());
  std::stable_sort(index_.begin(), index_.end(),
                   [](const TKyPkgPrivilegesItem* a, const TKyPkgPrivilegesItem* b) { return a->id_ < b->id_; });
}

TKyPkgPrivilegesItem* TKyPkgPrivileges::AddItem(int32_t id, const std::string& description, uint8_t level) {
  CheckLevel(level);
  TKyConfigLock lock;
  items_.push_back(std::unique_ptr<TKyPkgPrivilegesItem>(new TKyPkgPrivilegesItem(*this, id, description, level)));
  TKyPkgPrivilegesItem* item = items_.back().get();
  RebuildIndex();
  Changed(nullptr, true);
  return item;
}

void TKyPkgPrivileges::DeleteItem(TKyPkgPrivilegesItem* item) {
  if (!item || item->package_ != this) return;
  TKyConfigLock lock;
  std::erase_if(items_, [item](const auto& i) { return i.get() == item; });
  RebuildIndex();
  Changed(nullptr, true);
}

void TKyPkgPrivileges::ClearContent() {
  index_.clear();
  items_.clear();
  definitionsName_.clear();
  // A pending report may point at an item that is gone.
  if (pendingCount_ > 0) pendingSeveral_ = true;
}

void TKyPkgPrivileges::Clear() {
  TKyConfigLock lock;
  bool had = !items_.empty() || !definitionsName_.empty();
  ClearContent();
  if (had) Changed(nullptr, true);
}

// ---- Changes ----

void TKyPkgPrivileges::Changed(TKyPkgPrivilegesItem* item, bool levels) {
  if (IsLoading()) return;
  if (updateCount_ > 0) {
    if (pendingCount_ == 0) {
      pendingItem_ = item;
      pendingSeveral_ = item == nullptr;
    } else if (item != pendingItem_) {
      pendingSeveral_ = true;
    }
    ++pendingCount_;
    pendingLevels_ = pendingLevels_ || levels;
    return;
  }
  ApplyChanges(item, levels);
}

void TKyPkgPrivileges::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ > 0 || pendingCount_ == 0) return;
  TKyPkgPrivilegesItem* item = pendingSeveral_ ? nullptr : pendingItem_;
  bool levels = pendingLevels_;
  pendingCount_ = 0;
  pendingItem_ = nullptr;
  pendingSeveral_ = false;
  pendingLevels_ = false;
  ApplyChanges(item, levels);
}

void TKyPkgPrivileges::WithUpdate(const std::function<void()>& fn) {
  BeginUpdate();
  try {
    fn();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TKyPkgPrivileges::NotifyChanged() {
  if (updateCount_ > 0) {
    ++pendingCount_;
    pendingSeveral_ = true;
    pendingLevels_ = true;
    return;
  }
  ApplyChanges(nullptr, true);
}

void TKyPkgPrivileges::ApplyChanges(TKyPkgPrivilegesItem* item, bool levels) {
  TKyConfigLock lock;
  // Controls that change their look repaint once, at the end.
  TKyChangeBatch batch;
  TKyPrivilege::UpdateAll();
  ChangeLink().Change();
  if (OnPrivilegesChanged) OnPrivilegesChanged(this, item, levels);
  Change();
}

// ---- Definitions ----

void TKyPkgPrivileges::ReadPackage(TKyReader& reader) {
  TKyConfigLock lock;
  uint16_t version = ReadHeader(reader);
  WithUpdate([&] {
    ClearContent();
    Changed(nullptr, true);
    if (version >= 2) definitionsName_ = reader.ReadString();
    int32_t count = std::max(reader.ReadInteger(), 0);  // negative: no items
    // Smallest item: five values of two bytes each.
    CheckPkgCount(reader, count, 10, HeaderFileName(), "privileges");
    try {
      for (int32_t i = 0; i < count; ++i) {
        int32_t id = reader.ReadInteger();
        std::string description = reader.ReadString();
        std::string labelPkg = reader.ReadString();
        int32_t labelId = reader.ReadInteger();
        int32_t level = reader.ReadInteger();
        CheckReadLevel(level, id, HeaderFileName());
        items_.push_back(std::unique_ptr<TKyPkgPrivilegesItem>(
            new TKyPkgPrivilegesItem(*this, id, std::move(description), static_cast<uint8_t>(level))));
        items_.back()->label_.SetReference(labelPkg, labelId);  // follows its caption when it finds one
      }
    } catch (...) {
      // What was read before the failure stays, and stays found.
      RebuildIndex();
      throw;
    }
    RebuildIndex();
  });
}

void TKyPkgPrivileges::WritePackage(TKyWriter& writer) {
  WriteHeader(writer);
  writer.WriteString(definitionsName_);
  writer.WriteInteger(Count());
  for (const auto& item : items_) {
    writer.WriteInteger(item->id_);
    writer.WriteString(item->description_);
    writer.WriteString(item->label_.PkgName());
    writer.WriteInteger(item->label_.Id());
    writer.WriteInteger(item->level_);
  }
}

void TKyPkgPrivileges::ReadData(TStream& stream) {
  if (stream.Size() == 0) return;
  stream.SetPosition(0);
  {
    TKyReader reader(stream, 4096);
    ReadPackage(reader);
  }
  SetModified(false);
}

void TKyPkgPrivileges::WriteData(TStream& stream) { SaveToStream(stream); }

// ---- Access records ----

void TKyPkgPrivileges::RefuseAccess() const {
  IKyPrivilegesApplication* app = PrivilegesApplication();
  std::string title = (app && app->Privileges() == this) ? app->ApplicationName() : ErrorTitle();
  RaiseMessage(title, kSystemPkg, kMsgAccessRefused);
}

void TKyPkgPrivileges::ReadAccess(TKyReader& reader, const std::string& fileName) {
  TKyConfigLock lock;
  uint16_t version = ReadHeader(reader, kAccessKind);
  TKyAccessRecord record = ReadAccessBody(reader, version, fileName);
  // A record copied or renamed to another user's name is refused. Windows
  // names ignore case, so letter case alone is the same file.
  if (!SameText(record.FileName, ExtractFileName(fileName))) RefuseAccess();
  std::string key1 = Trim(record.Key1), key2 = Trim(record.Key2);
  if (!key1.empty() || !key2.empty()) {
    // A blank key of ours never matches: it would open every record whose
    // other key string is blank.
    auto matches = [&](const std::string& mine) {
      std::string k = Trim(mine);
      return !k.empty() && (k == key1 || k == key2);
    };
    IKyPrivilegesApplication* app = PrivilegesApplication();
    if (!(app && matches(app->PrivilegesKey())) && !matches(key_)) RefuseAccess();
  }
  StoreDescription(record.Description);
  WithUpdate([&] {
    for (const auto& [id, level] : record.Levels)
      if (TKyPkgPrivilegesItem* item = FindItem(id)) item->SetLevel(static_cast<uint8_t>(level));
  });
}

void TKyPkgPrivileges::WriteAccess(TKyWriter& writer, const std::string& fileName) {
  TKyAccessRecord record;
  record.Description = Description();
  if (IKyPrivilegesApplication* app = PrivilegesApplication()) record.Key1 = app->PrivilegesKey();
  record.FileName = ExtractFileName(fileName);
  record.Key2 = key_;
  for (const auto& item : items_) record.Levels.emplace_back(item->id_, item->level_);
  WritePkgHeader(writer, kAccessKind.ClassWord, kAccessKind.Version);
  WriteAccessBody(writer, record);
}

void TKyPkgPrivileges::LoadAccess(TStream& stream, const std::string& fileName) {
  TKyReader reader(stream, 4096);
  ReadAccess(reader, fileName);
}

void TKyPkgPrivileges::SaveAccess(TStream& stream, const std::string& fileName) {
  TKyWriter writer(stream, 4096);
  WriteAccess(writer, fileName);
  writer.FlushBuffer();
}

void TKyPkgPrivileges::LoadAccessFromFile(const std::string& name) {
  if (Trim(name).empty()) RaiseMessage(Name(), kSystemPkg, 3);
  TFileStream file(name, fmOpenRead);
  LoadAccess(file, name);
  SetModified(false);
}

void TKyPkgPrivileges::SaveAccessToFile(const std::string& name) {
  if (Trim(name).empty()) RaiseMessage(Name(), kSystemPkg, 3);
  TFileStream file(name, fmCreate);
  SaveAccess(file, name);
  SetModified(false);
}

void TKyPkgPrivileges::Reload() {
  // Not in the loading state, unlike other kinds: the levels granted must
  // reach the controls, once, through the update around them.
  if (InitMode() == rimFILE && !FileName().empty()) {
    std::string full = FullFileName();
    if (!IsFile(full)) RaiseErrorFmt(Owner() ? Owner()->Name() : "", "File '%s' not found", {full});
    LoadAccessFromFile(full);
  }
  SetModified(false);
}

void TKyPkgPrivileges::Save() {
  if (InitMode() != rimFILE || FileName().empty()) return;
  SaveAccessToFile(FullFileName());
}

std::string TKyPkgPrivileges::GetPath() const {
  if (IKyPrivilegesApplication* app = PrivilegesApplication()) {
    std::string path = app->PathPrivileges();
    if (!path.empty()) return path;
  }
#ifdef _WIN32
  return ExtractFilePath(ProgramFileName());
#else
  return "";
#endif
}

// ---- Privilege objects ----

namespace {

TKyRefList<TKyPrivilege>& LivePrivileges() {
  static TKyRefList<TKyPrivilege> list;
  return list;
}

}  // namespace

TKyPrivilege::TKyPrivilege(TPersistent* owner) : owner_(owner) { LivePrivileges().Add(this); }

TKyPrivilege::~TKyPrivilege() { LivePrivileges().Remove(this); }

void TKyPrivilege::SetId(int32_t value) {
  if (value == id_) return;
  id_ = value;
  Update();
}

uint8_t TKyPrivilege::Level() const {
  if (id_ < 0) return kPrivilegeFull;
  IKyPrivilegesApplication* app = PrivilegesApplication();
  TKyPkgPrivileges* pkg = app ? app->Privileges() : nullptr;
  TKyPkgPrivilegesItem* item = pkg ? pkg->FindItem(id_) : nullptr;
  return item ? item->Level() : kPrivilegeFull;
}

void TKyPrivilege::Update() {
  uint8_t level = Level();
  if (level == applied_) return;
  applied_ = level;
  if (OnChange) OnChange(this);
}

void TKyPrivilege::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TKyPrivilege*>(source)) {
    SetId(s->id_);
    return;
  }
  TPersistent::Assign(source);
}

void TKyPrivilege::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  TPersistent* a = filer.Ancestor();
  auto* ancestor = dynamic_cast<const TKyPrivilege*>(a);
  bool stored = a ? (!ancestor || ancestor->id_ != id_) : id_ >= 0;
  filer.DefineProperty(
      "Id", [this](TReader& r) { SetId(r.ReadInteger()); }, [this](TWriter& w) { w.WriteInteger(id_); }, stored);
}

void TKyPrivilege::UpdateAll() {
  LivePrivileges().ForEach([](TKyPrivilege* p) { p->Update(); });
}

int TKyPrivilege::LiveCount() { return LivePrivileges().LiveCount(); }

void RegisterPrivilegesClasses() { RegisterClasses({&TKyPkgPrivileges::StaticClass()}); }
