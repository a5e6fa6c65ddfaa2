#include "setup/SetupFile.h"

#include <cstring>

#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/base/SysUtils.h"
#include "setup/InstallerMessages.h"
#include "setup/NameScramble.h"

namespace {

constexpr int32_t kBufferSize = 4096;

// Smallest encodings: a string is a tag and a length byte, an integer a tag
// and one byte. Counts are checked against them before anything is read.
constexpr int64_t kMinStringBytes = 2;
constexpr int64_t kMinIntegerBytes = 2;

uint16_t GetWord(const uint8_t* b) { return static_cast<uint16_t>(b[0] | (b[1] << 8)); }

void PutWord(uint8_t* b, int32_t v) {
  b[0] = static_cast<uint8_t>(v);
  b[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

bool IsDeviceName(const std::string& part) {
  // The system takes the stem before the first dot, blanks at its end dropped.
  std::string stem = part.substr(0, part.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  stem = UpperCase(stem);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (stem == device) return true;
  if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0)) {
    unsigned char d = static_cast<unsigned char>(stem[3]);
    // Digits, and the superscripts 1, 2, 3 of code page 1252.
    return (d >= '0' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
  }
  return false;
}

bool IsPlainName(const std::string& part) {
  if (part.empty() || part.size() > 255 || part == "." || part == "..") return false;
  for (char c : part)
    if (static_cast<unsigned char>(c) < 32 || std::strchr("\\/:*?\"<>|", c)) return false;
  if (part.back() == '.' || part.back() == ' ') return false;
  return !IsDeviceName(part);
}

bool IsSafeRelativeName(const std::string& name) {
  size_t start = 0;
  for (;;) {
    size_t end = name.find_first_of("\\/", start);
    if (!IsPlainName(name.substr(start, end == std::string::npos ? std::string::npos : end - start))) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

TIdentifierFault CheckIdentifier(const std::string& name, int kind, const std::string& qualifier,
                                 std::string* offending) {
  auto fault = [&](TIdentifierFault f, const std::string& what) {
    if (offending) *offending = what;
    return f;
  };
  if (!IsPlainName(name)) return fault(idfUnsafe, name);
  if (!qualifier.empty() && !IsPlainName(qualifier)) return fault(idfUnsafe, qualifier);
  std::string id = ProductIdentifier(name, kind, qualifier);
  if (!IsPlainName(id)) return fault(idfUnsafe, id);
  std::string upper = UpperCase(id);
  auto endsWith = [&](const char* tail) {
    size_t n = std::strlen(tail);
    return upper.size() >= n && upper.compare(upper.size() - n, n, tail) == 0;
  };
  if (SameText(id, kInstallerName) || endsWith(".STP") || endsWith(".UPD")) return fault(idfReserved, id);
  return idfNone;
}

std::string StoredSetupName(const std::string& identifier, bool update) {
  return identifier + (update ? ".upd" : ".stp");
}

// ---- TSetupFileReader ----

TSetupFileReader::TSetupFileReader(const std::string& fileName)
    : fileName_(fileName), file_(std::make_unique<TFileStream>(fileName, fmOpenRead)) {
  size_ = file_->Size();
  reader_ = std::make_unique<TKyReader>(*file_, kBufferSize);
}

TSetupFileReader::TSetupFileReader(TStream& stream, const std::string& fileName)
    : fileName_(fileName), reader_(std::make_unique<TKyReader>(stream, kBufferSize)), size_(stream.Size()) {}

TSetupFileReader::~TSetupFileReader() = default;

void TSetupFileReader::Damaged(const std::string& what) const {
  RaiseMessageFmt("", kIdioma, msgDamagedSetupFile, {fileName_, what});
}

int64_t TSetupFileReader::Remaining() const { return size_ - reader_->Position(); }

int32_t TSetupFileReader::ReadLength(const char* what) {
  int32_t n = reader_->ReadInteger();
  if (n < 0) Damaged(Format("negative %s length %d", {std::string(what), int64_t{n}}));
  if (n > Remaining())
    Damaged(Format("the %s length %d exceeds the file", {std::string(what), int64_t{n}}));
  return n;
}

int32_t TSetupFileReader::ReadCount(int64_t minBytesEach, const char* what) {
  int32_t n = reader_->ReadInteger();
  if (n < 0) Damaged(Format("negative %s count %d", {std::string(what), int64_t{n}}));
  if (n > Remaining() / minBytesEach)
    Damaged(Format("the %s count %d exceeds the file", {std::string(what), int64_t{n}}));
  return n;
}

std::string TSetupFileReader::ReadName() {
  std::string name = reader_->ReadString();
  UnscrambleName(name);
  if (!IsSafeRelativeName(name)) RaiseMessageFmt("", kIdioma, msgUnsafeFileName, {fileName_, name});
  return name;
}

const TSetupProduct& TSetupFileReader::ReadDescription(bool keepPicture, bool checkHeader) {
  uint8_t header[kSetupHeaderSize];
  reader_->SetPosition(0);
  if (checkHeader && size_ < kSetupHeaderSize) RaiseMessageFmt("", kIdioma, msgNotSetupFile, {fileName_});
  reader_->Read(header, kSetupHeaderSize);
  std::string signature(reinterpret_cast<const char*>(header + 1), std::min<size_t>(header[0], 31));
  if (checkHeader && !SameText(signature, kSetupSignature))
    RaiseMessageFmt("", kIdioma, msgNotSetupFile, {fileName_});

  TSetupProduct p;
  p.Required = {GetWord(header + 32), GetWord(header + 34), GetWord(header + 36)};
  if (checkHeader && CompareVersions(p.Required, kInstallerVersion) > 0)
    RaiseMessageFmt("", kIdioma, msgNeedNewerSetup,
                    {int64_t{p.Required.Major}, int64_t{p.Required.Minor}, int64_t{p.Required.Release}});

  p.Name = reader_->ReadString();
  p.Kind = reader_->ReadInteger();
  if (!IsValidKind(p.Kind)) RaiseMessageFmt("", kIdioma, msgUnknownKind, {fileName_, int64_t{p.Kind}});
  p.Qualifier = reader_->ReadString();
  std::string offending;
  switch (CheckIdentifier(p.Name, p.Kind, p.Qualifier, &offending)) {
    case idfUnsafe:
      RaiseMessageFmt("", kIdioma, msgUnsafeIdentifier, {fileName_, offending});
    case idfReserved:
      RaiseMessageFmt("", kIdioma, msgReservedIdentifier, {fileName_, offending});
    case idfNone:
      break;
  }
  p.Version.Major = reader_->ReadInteger();
  p.Version.Minor = reader_->ReadInteger();
  p.Version.Release = reader_->ReadInteger();
  p.BaseVersion.Major = reader_->ReadInteger();
  p.BaseVersion.Minor = reader_->ReadInteger();
  p.BaseVersion.Release = reader_->ReadInteger();
  p.Shortcuts = reader_->ReadString();
  p.Update = reader_->ReadBoolean();
  for (int i = 0; i < 4; ++i) reader_->ReadString();  // reserved

  int32_t pictureSize = ReadLength("picture");
  if (keepPicture) {
    p.Picture.resize(static_cast<size_t>(pictureSize));
    if (pictureSize) reader_->Read(p.Picture.data(), pictureSize);
  } else {
    reader_->SetPosition(reader_->Position() + pictureSize);
  }
  product_ = std::move(p);
  return product_;
}

int32_t TSetupFileReader::ReadFileCount() {
  int32_t count = ReadCount(kMinStringBytes + kMinIntegerBytes, "file");
  filesPosition_ = reader_->Position();
  return count;
}

void TSetupFileReader::RewindFiles() {
  if (filesPosition_ < 0) Damaged("its file section was not reached");
  reader_->SetPosition(filesPosition_);
}

TSetupEntry TSetupFileReader::ReadEntry() {
  TSetupEntry e;
  e.Name = ReadName();
  e.Size = ReadLength("content");
  return e;
}

void TSetupFileReader::CopyContent(const TSetupEntry& entry, TStream& target,
                                   const std::function<void()>& chunkDone) {
  constexpr int32_t kChunk = 64 * 1024;
  std::vector<uint8_t> buf(static_cast<size_t>(std::min(entry.Size, kChunk)));
  int32_t left = entry.Size;
  while (left > 0) {
    int32_t n = std::min(left, kChunk);
    reader_->Read(buf.data(), n);
    target.WriteBuffer(buf.data(), n);
    left -= n;
    if (chunkDone) chunkDone();
  }
}

void TSetupFileReader::SkipContent(const TSetupEntry& entry) {
  reader_->SetPosition(reader_->Position() + entry.Size);
}

std::vector<std::string> TSetupFileReader::ReadObsolete() {
  int32_t count = ReadCount(kMinStringBytes, "obsolete");
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) names.push_back(ReadName());
  return names;
}

void TSetupFileReader::Close() {
  reader_.reset();
  file_.reset();
}

// ---- TSetupFileWriter ----

TSetupFileWriter::TSetupFileWriter(TStream& target) : writer_(target, kBufferSize) {}

void TSetupFileWriter::WriteDescription(const TSetupProduct& p) {
  uint8_t header[kSetupHeaderSize] = {};
  size_t len = std::strlen(kSetupSignature);
  header[0] = static_cast<uint8_t>(len);
  std::memcpy(header + 1, kSetupSignature, len);
  PutWord(header + 32, p.Required.Major);
  PutWord(header + 34, p.Required.Minor);
  PutWord(header + 36, p.Required.Release);
  writer_.Write(header, kSetupHeaderSize);

  writer_.WriteString(p.Name);
  writer_.WriteInteger(p.Kind);
  writer_.WriteString(p.Qualifier);
  for (int32_t v : {p.Version.Major, p.Version.Minor, p.Version.Release, p.BaseVersion.Major,
                    p.BaseVersion.Minor, p.BaseVersion.Release})
    writer_.WriteInteger(v);
  writer_.WriteString(p.Shortcuts);
  writer_.WriteBoolean(p.Update);
  for (int i = 0; i < 4; ++i) writer_.WriteString("");
  writer_.WriteInteger(static_cast<int32_t>(p.Picture.size()));
  if (!p.Picture.empty()) writer_.Write(p.Picture.data(), static_cast<int32_t>(p.Picture.size()));
}

void TSetupFileWriter::WriteFileCount(int32_t count) { writer_.WriteInteger(count); }

void TSetupFileWriter::WriteEntry(const std::string& name, TStream& content, int32_t size) {
  std::string scrambled = name;
  ScrambleName(scrambled);
  writer_.WriteString(scrambled);
  writer_.WriteInteger(size);
  constexpr int32_t kChunk = 64 * 1024;
  std::vector<uint8_t> buf(static_cast<size_t>(std::min(size, kChunk)));
  int32_t left = size;
  while (left > 0) {
    int32_t n = std::min(left, kChunk);
    content.ReadBuffer(buf.data(), n);
    writer_.Write(buf.data(), n);
    left -= n;
  }
}

void TSetupFileWriter::WriteObsolete(const std::vector<std::string>& names) {
  writer_.WriteInteger(static_cast<int32_t>(names.size()));
  for (std::string n : names) {
    ScrambleName(n);
    writer_.WriteString(n);
  }
}

void TSetupFileWriter::Flush() { writer_.FlushBuffer(); }
