#include "packages/PkgInfo.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <sys/stat.h>

#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/classes/FormStream.h"
#include "platform/base/SysUtils.h"
#ifdef _WIN32
#include "platform/os/ProgramInfo.h"
#endif

// ---- Change batch ----

namespace {

struct TBatchState {
  std::vector<TKyChangeLink*> links;
  int depth = 0;
  bool flushing = false;
  bool destroying = false;
};

TBatchState& Batch() {
  static TBatchState state;
  return state;
}

}  // namespace

TKyChangeLink::TKyChangeLink() { Batch().links.push_back(this); }

TKyChangeLink::~TKyChangeLink() {
  auto& links = Batch().links;
  auto it = std::find(links.begin(), links.end(), this);
  if (it == links.end()) return;
  // A flush walks the list by index: leave a hole instead of shifting it.
  if (Batch().flushing) *it = nullptr;
  else links.erase(it);
}

void TKyChangeLink::Change() {
  if (Batch().depth > 0) {
    pending_ = true;
  } else if (OnChanged) {
    OnChanged();
  }
}

void BeginChangeBatch() {
  if (!Batch().flushing) ++Batch().depth;
}

void EndChangeBatch() {
  TBatchState& b = Batch();
  if (b.flushing || b.depth == 0) return;
  if (--b.depth > 0 || b.destroying) return;
  b.flushing = true;
  struct TFlushEnd {
    ~TFlushEnd() {
      TBatchState& s = Batch();
      s.flushing = false;
      std::erase(s.links, nullptr);
    }
  } end;
  // Links made by a notification join the end of the list and are visited too.
  for (size_t i = 0; i < b.links.size(); ++i) {
    TKyChangeLink* link = b.links[i];
    if (!link || !link->pending_) continue;
    link->pending_ = false;
    if (link->OnChanged) link->OnChanged();
  }
}

int ChangeBatchDepth() { return Batch().depth; }

namespace {

std::vector<TKyChangeLink*>& PassListeners() {
  static std::vector<TKyChangeLink*> links;
  return links;
}

}  // namespace

void AddPassListener(TKyChangeLink* link) { PassListeners().push_back(link); }

void RemovePassListener(TKyChangeLink* link) { std::erase(PassListeners(), link); }

void NotifyPassListeners() {
  if (Batch().destroying) return;
  // A copy: a listener may go while another is told.
  std::vector<TKyChangeLink*> links = PassListeners();
  for (TKyChangeLink* link : links)
    if (std::find(PassListeners().begin(), PassListeners().end(), link) != PassListeners().end()) link->Change();
}

void SetApplicationDestroying(bool value) { Batch().destroying = value; }
bool ApplicationDestroying() { return Batch().destroying; }

// ---- Configuration lock ----

namespace {

struct TConfigLockState {
  std::recursive_mutex main;
  std::mutex guard;
  int holders = 0;
};

TConfigLockState& ConfigLock() {
  static TConfigLockState state;
  return state;
}

}  // namespace

void LockConfig() {
  TConfigLockState& s = ConfigLock();
  {
    std::lock_guard<std::mutex> g(s.guard);
    ++s.holders;
  }
  s.main.lock();
}

void UnlockConfig() {
  TConfigLockState& s = ConfigLock();
  s.main.unlock();
  std::lock_guard<std::mutex> g(s.guard);
  if (s.holders > 0) --s.holders;
}

bool TryLockConfig() {
  TConfigLockState& s = ConfigLock();
  {
    std::lock_guard<std::mutex> g(s.guard);
    if (s.holders != 0) return false;
    ++s.holders;
  }
  // Another thread may have come in since: never wait for it.
  if (s.main.try_lock()) return true;
  std::lock_guard<std::mutex> g(s.guard);
  --s.holders;
  return false;
}

// ---- Application configurations ----

namespace {

std::vector<IKyPkgApplication*>& Applications() {
  static std::vector<IKyPkgApplication*> apps;
  return apps;
}

}  // namespace

void RegisterPkgApplication(IKyPkgApplication* app) {
  auto& apps = Applications();
  if (std::find(apps.begin(), apps.end(), app) == apps.end()) apps.push_back(app);
}

void UnregisterPkgApplication(IKyPkgApplication* app) { std::erase(Applications(), app); }

IKyPkgApplication* FirstPkgApplication() {
  auto& apps = Applications();
  return apps.empty() ? nullptr : apps.front();
}

TKyPkgChangeScope::TKyPkgChangeScope(const TKyPkgInfo& pkg) : loading_(pkg.IsLoading()) {
  if (!loading_) BeginChangeBatch();
}

// ---- Header ----

namespace {

const std::string kSignaturePrefix = std::string("\x01") + "123456789" + "\x01";
constexpr int kMaxSignature = kPkgHeaderSize - 3;  // length byte and version

}  // namespace

std::string PkgSignature(const std::string& classWord) { return kSignaturePrefix + classWord; }

std::string TKyPkgHeader::ClassWord() const {
  if (Signature.size() < kSignaturePrefix.size() || Signature.compare(0, kSignaturePrefix.size(), kSignaturePrefix) != 0)
    return "";
  return Signature.substr(kSignaturePrefix.size());
}

TKyPkgHeader ReadPkgHeader(TKyReader& reader) {
  uint8_t bytes[kPkgHeaderSize];
  reader.Read(bytes, kPkgHeaderSize);
  TKyPkgHeader h;
  // A damaged length must not reach into the version bytes.
  int len = std::min<int>(bytes[0], kMaxSignature);
  h.Signature.assign(reinterpret_cast<const char*>(bytes + 1), static_cast<size_t>(len));
  h.Version = static_cast<uint16_t>(bytes[32] | (bytes[33] << 8));
  return h;
}

void WritePkgHeader(TKyWriter& writer, const std::string& classWord, uint16_t version) {
  std::string sig = PkgSignature(classWord);
  if (static_cast<int>(sig.size()) > kMaxSignature) throw EWriteError("Package class word too long: " + classWord);
  uint8_t bytes[kPkgHeaderSize] = {};
  bytes[0] = static_cast<uint8_t>(sig.size());
  std::copy(sig.begin(), sig.end(), bytes + 1);
  bytes[32] = static_cast<uint8_t>(version & 0xFF);
  bytes[33] = static_cast<uint8_t>(version >> 8);
  writer.Write(bytes, kPkgHeaderSize);
}

void CheckPkgCount(TKyReader& reader, int64_t count, int minBytes, const std::string& file, const std::string& what) {
  int64_t left = reader.Stream().Size() - reader.Position();
  if (count < 0 || count * minBytes > left)
    throw EReadError(Format("Damaged package '%s': %d %s cannot be held by its data", {file, count, what}));
}

// ---- Name lookup lists ----

void TKyPkgList::Add(TKyPkgInfo* pkg) {
  if (std::find(items_.begin(), items_.end(), pkg) == items_.end()) items_.push_back(pkg);
}

void TKyPkgList::Remove(TKyPkgInfo* pkg) { std::erase(items_, pkg); }

void TKyPkgList::MoveToFront(TKyPkgInfo* pkg) {
  auto it = std::find(items_.begin(), items_.end(), pkg);
  if (it != items_.end()) std::rotate(items_.begin(), it, it + 1);
}

void TKyPkgList::MoveToEnd(TKyPkgInfo* pkg) {
  auto it = std::find(items_.begin(), items_.end(), pkg);
  if (it != items_.end()) std::rotate(it, it + 1, items_.end());
}

TKyPkgInfo* TKyPkgList::Find(const std::string& name) {
  bool user = SameText(name, kUserPkg);
  if (user || SameText(name, kSystemPkg)) {
    IKyPkgApplication* app = FirstPkgApplication();
    return app ? app->ReservedPackage(kind_, user) : nullptr;
  }
  if (Trim(name).empty()) return nullptr;
  for (TKyPkgInfo* p : items_)
    if (SameText(p->PkgName(), name) && p->IsFormOwned()) {
      MoveToFront(p);
      return p;
    }
  return nullptr;
}

TKyPkgInfo* TKyPkgList::FirstNamed(const std::string& name) const {
  for (TKyPkgInfo* p : items_)
    if (SameText(p->PkgName(), name)) return p;
  return nullptr;
}

// ---- Files and dates ----

namespace {

TDateTime DateTimeFromTimeT(std::time_t t) {
  std::tm lt{};
#ifdef _WIN32
  localtime_s(&lt, &t);
#else
  localtime_r(&t, &lt);
#endif
  // Days from the civil date (proleptic Gregorian), then from 1899-12-30.
  auto days = [](int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int>(doe) - 719468;
  };
  double day = days(lt.tm_year + 1900, static_cast<unsigned>(lt.tm_mon + 1), static_cast<unsigned>(lt.tm_mday)) -
               days(1899, 12, 30);
  double secs = lt.tm_hour * 3600.0 + lt.tm_min * 60.0 + lt.tm_sec;
  return TDateTime{day + secs / 86400.0};
}

TDateTime FileDateOf(const std::string& name) {
  struct stat st {};
  if (stat(name.c_str(), &st) != 0) return DateTimeFromTimeT(std::time(nullptr));
  return DateTimeFromTimeT(st.st_mtime);
}

bool PkgFileExists(const std::string& name) {
  struct stat st {};
  return stat(name.c_str(), &st) == 0 && (st.st_mode & S_IFDIR) == 0;
}

std::string ProgramFolder() {
#ifdef _WIN32
  return ExtractFilePath(ProgramFileName());
#else
  return "";
#endif
}

// Restores a flag or clears a field on every way out.
struct TClearOnExit {
  std::string& a;
  std::string& b;
  ~TClearOnExit() {
    a.clear();
    b.clear();
  }
};

}  // namespace

// ---- TKyPkgInfo ----

TKyPkgInfo::TKyPkgInfo(TComponent* owner)
    : TComponent(owner),
      link_(std::make_unique<TKyChangeLink>()),
      loadLink_(std::make_unique<TKyConfigLink>(this, kLinkPackage)),
      fileDate_(DateTimeFromTimeT(std::time(nullptr))) {
  link_->OnChanged = [this] { LinkChanged(); };
  link_->OnReload = [this] { Reload(); };
}

TKyPkgInfo::~TKyPkgInfo() = default;

void TKyPkgInfo::Publish(TPublisher<TKyPkgInfo>& p) {
  // A container names its packages itself ("System", "User").
  p.Property("PkgName", &TKyPkgInfo::PkgName, &TKyPkgInfo::SetPkgName).Stored(&TKyPkgInfo::IsOwnStreamed);
  // Written as a defined property, which knows the ancestor rules.
  p.Property("FileName", &TKyPkgInfo::FileName, &TKyPkgInfo::SetFileName).Stored(false);
  p.Property("DefaultExt", &TKyPkgInfo::DefaultExt, &TKyPkgInfo::SetDefaultExt)
      .Stored(&TKyPkgInfo::IsDefaultExtStored);
  p.Event("OnChange", &TKyPkgInfo::OnChange);
}

void TKyPkgInfo::SetPkgName(const std::string& value) { pkgName_ = value; }

bool TKyPkgInfo::RenameFoundByName(const std::string& value, TKyPkgList& list) {
  if (IsLoading()) {
    StorePkgName(value);
    return false;
  }
  // "System" and "User" belong to the application configuration.
  if (SameText(value, kUserPkg) || (IsFormOwned() && SameText(value, kSystemPkg)))
    RaiseMessage(Name(), kSystemPkg, 67);
  list.MoveToEnd(this);
  StorePkgName(value);
  return true;
}

void TKyPkgInfo::SetInitMode(TKyRegisterInitMode value) {
  if (fileOnly_) value = rimFILE;
  if (value == initMode_) return;
  initMode_ = value;
  fileName_.clear();
  if (!IsLoading()) Reload();
}

void TKyPkgInfo::SetFileName(const std::string& value) {
  if (value == fileName_) return;
  // Embedded content has no file: at run time the name is ignored.
  if (IsLoading() || initMode_ == rimFILE) fileName_ = value;
  if (!IsLoading()) Reload();
}

void TKyPkgInfo::SetDescription(const std::string& value) {
  if (value == description_) return;
  description_ = value;
  Change();
}

std::string TKyPkgInfo::DefaultExt() const { return defaultExt_ ? *defaultExt_ : std::string(Kind().DefaultExt); }

bool TKyPkgInfo::IsDefaultExtStored() const { return DefaultExt() != Kind().DefaultExt; }

void TKyPkgInfo::SetFileOnly(bool value) {
  fileOnly_ = value;
  if (value) initMode_ = rimFILE;
}

void TKyPkgInfo::Reload() {
  WithPkgLoading(*this, [this] {
    if (initMode_ == rimFILE && !fileName_.empty()) {
      std::string full = FullFileName();
      if (!PkgFileExists(full)) RaiseErrorFmt(Owner() ? Owner()->Name() : "", "File '%s' not found", {full});
      LoadFromFile(full);
    }
  });
  SetModified(false);
}

void TKyPkgInfo::Save() {
  if (initMode_ != rimFILE || fileName_.empty()) return;
  SaveToFile(FullFileName());
  SetModified(false);
}

void TKyPkgInfo::LoadFromFile(const std::string& name) {
  if (Trim(name).empty()) RaiseMessage(Name(), kSystemPkg, 3);
  TFileStream file(name, fmOpenRead);
  currentFile_ = ExtractFileName(name);
  currentPath_ = name;
  TClearOnExit clear{currentFile_, currentPath_};
  {
    TKyReader reader(file, 4096);
    ReadPackage(reader);
  }
  fileDate_ = FileDateOf(name);
  SetModified(false);
}

void TKyPkgInfo::SaveToFile(const std::string& name) {
  if (Trim(name).empty()) RaiseMessage(Name(), kSystemPkg, 3);
  currentFile_ = ExtractFileName(name);
  currentPath_ = name;
  TClearOnExit clear{currentFile_, currentPath_};
  {
    TFileStream file(name, fmCreate);
    TKyWriter writer(file, 4096);
    WritePackage(writer);
    writer.FlushBuffer();
  }
  {
    TFileStream reopened(name, fmOpenRead);
    fileDate_ = FileDateOf(name);
  }
  SetModified(false);
}

void TKyPkgInfo::LoadFromStream(TStream& stream) {
  TKyReader reader(stream, 4096);
  ReadPackage(reader);
}

void TKyPkgInfo::SaveToStream(TStream& stream) {
  TKyWriter writer(stream, 4096);
  WritePackage(writer);
  writer.FlushBuffer();
}

std::vector<uint8_t> TKyPkgInfo::SaveToBytes() {
  TMemoryStream m;
  SaveToStream(m);
  return m.Data();
}

std::string TKyPkgInfo::FullFileName() const {
  std::string name = fileName_;
  if (ExtractFileExt(name).empty()) {
    std::string ext = DefaultExt();
    if (!ext.empty() && ext[0] != '.') ext = "." + ext;
    name += ext;
  }
  return GetPath() + name;
}

std::string TKyPkgInfo::GetPath() const {
  if (IKyPkgApplication* app = FirstPkgApplication()) {
    std::string path = app->PackagePath();
    if (!path.empty()) return path;
  }
  return ProgramFolder();
}

bool TKyPkgInfo::IsLoading() const {
  if (TComponent::IsLoading() || link_->IsLoading()) return true;
  if (auto* container = dynamic_cast<const IKyPkgContainer*>(Owner())) return container->IsLoadingPackages();
  return false;
}

void TKyPkgInfo::Change() {
  if (IsLoading()) return;
  SetModified(true);
  if (OnChange) OnChange(this);
}

void TKyPkgInfo::ReadData(TStream& stream) {
  // An empty blob embeds nothing (a file-only package written elsewhere).
  if (initMode_ != rimDFM || stream.Size() == 0) return;
  stream.SetPosition(0);
  {
    TKyReader reader(stream, 4096);
    ReadPackage(reader);
  }
  SetModified(false);
}

void TKyPkgInfo::WriteData(TStream& stream) {
  if (initMode_ != rimDFM) return;
  SaveToStream(stream);
}

bool TKyPkgInfo::IsInitModeStored(const TKyPkgInfo* ancestor) const {
  if (ancestor) return ancestor->initMode_ != initMode_;
  return !fileOnly_ && initMode_ != rimDFM;
}

void TKyPkgInfo::DefineInitMode(TFiler& filer, const std::string& name, const TKyPkgInfo* ancestor) {
  filer.DefineProperty(
      name,
      [this](TReader& r) {
        int v = EnumInfo(rimDFM).Value(r.ReadIdent());
        if (v < 0) throw EReadError("Invalid property value");
        SetInitMode(static_cast<TKyRegisterInitMode>(v));
      },
      [this](TWriter& w) { w.WriteIdent(EnumInfo(rimDFM).Name(initMode_)); }, IsInitModeStored(ancestor));
}

void TKyPkgInfo::DefineFileName(TFiler& filer, const std::string& name, const TKyPkgInfo* ancestor) {
  filer.DefineProperty(
      name, [this](TReader& r) { SetFileName(r.ReadString()); }, [this](TWriter& w) { w.WriteString(fileName_); },
      ancestor ? ancestor->fileName_ != fileName_ : !fileName_.empty());
}

void TKyPkgInfo::DefineData(TFiler& filer, const std::string& name, TKyPkgInfo* ancestor) {
  bool dataStored = true;
  if (ancestor && initMode_ == rimDFM && ancestor->initMode_ == rimDFM)
    dataStored = SaveToBytes() != ancestor->SaveToBytes();
  filer.DefineBinaryProperty(
      name, [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, dataStored);
}

void TKyPkgInfo::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  // A container streams its packages' mode, file and data under names of
  // its own ("PkgSetupData"); written here too they would come twice.
  if (!IsOwnStreamed()) return;
  auto* ancestor = dynamic_cast<TKyPkgInfo*>(filer.Ancestor());
  DefineInitMode(filer, "InitMode", ancestor);
  DefineFileName(filer, "FileName", ancestor);
  DefineData(filer, "Data", ancestor);
}


uint16_t TKyPkgInfo::ReadHeader(TKyReader& reader, const TKyPkgKind& kind) {
  TKyPkgHeader h = ReadPkgHeader(reader);
  std::string title = ErrorTitle();
  if (!SameText(h.Signature, PkgSignature(kind.ClassWord)))
    RaiseMessageFmt(title, kSystemPkg, kind.MsgSignature, {HeaderFileName()});
  if (h.Version > kind.HighestRead) RaiseMessageFmt(title, kSystemPkg, kind.MsgVersion, {HeaderFileName()});
  return h.Version;
}

void TKyPkgInfo::WriteHeader(TKyWriter& writer) const { WritePkgHeader(writer, Kind().ClassWord, Kind().Version); }

std::string TKyPkgInfo::ErrorTitle() const { return !Name().empty() ? Name() : (Owner() ? Owner()->Name() : ""); }

std::string TKyPkgInfo::HeaderFileName() const { return !currentPath_.empty() ? currentPath_ : FullFileName(); }

bool TKyPkgInfo::IsOwnStreamed() const { return dynamic_cast<const IKyPkgContainer*>(Owner()) == nullptr; }

bool TKyPkgInfo::IsFormOwned() const {
  return Owner() != nullptr && dynamic_cast<const IKyPkgContainer*>(Owner()) == nullptr;
}

void WithPkgLoading(TKyPkgInfo& pkg, const std::function<void()>& fn) {
  TKyChangeLink& link = pkg.ChangeLink();
  link.BeginLoading();
  try {
    fn();
  } catch (...) {
    link.EndLoading();
    throw;
  }
  link.EndLoading();
}
