#include "platform/base/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/base/Exception.h"

namespace {

#if defined(_WIN32)
int SeekFile(std::FILE* f, int64_t off, int whence) { return fseeko64(f, off, whence); }
int64_t TellFile(std::FILE* f) { return ftello64(f); }
#else
int SeekFile(std::FILE* f, int64_t off, int whence) { return fseeko(f, off, whence); }
int64_t TellFile(std::FILE* f) { return ftello(f); }
#endif

}  // namespace

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  constexpr int32_t kChunk = 64 * 1024;
  std::vector<uint8_t> buf(static_cast<size_t>(std::min<int64_t>(count, kChunk)));
  int64_t left = count;
  while (left > 0) {
    int32_t n = static_cast<int32_t>(std::min<int64_t>(left, kChunk));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    left -= n;
  }
  return count;
}

// ---- TMemoryStream ----

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || pos_ >= Size()) return 0;
  int64_t n = std::min<int64_t>(count, Size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
  pos_ += n;
  return static_cast<int32_t>(n);
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  if (pos_ + count > Size()) data_.resize(static_cast<size_t>(pos_ + count));
  std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
  pos_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : Size();
  pos_ = std::max<int64_t>(0, base + offset);
  return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
  pos_ = std::min(pos_, Size());
}

void TMemoryStream::Clear() {
  data_.clear();
  pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  int64_t size = source.Size();
  data_.resize(static_cast<size_t>(size));
  if (size) source.ReadBuffer(data_.data(), static_cast<int32_t>(size));
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream f(fileName, fmOpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& target) {
  if (!data_.empty()) target.WriteBuffer(data_.data(), static_cast<int32_t>(data_.size()));
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream f(fileName, fmCreate);
  SaveToStream(f);
}

// ---- TFileStream ----

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
  const char* how = mode == fmOpenRead ? "rb" : mode == fmOpenReadWrite ? "r+b" : "w+b";
  file_ = std::fopen(fileName.c_str(), how);
  if (!file_) {
    std::string reason = std::strerror(errno);
    if (mode == fmCreate)
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + reason);
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + reason);
  }
  // Callers buffer themselves; without a second buffer every write reaches
  // the system at once, so a failing write is reported by the call that made it.
  std::setvbuf(file_, nullptr, _IONBF, 0);
}

TFileStream::~TFileStream() {
  if (file_) std::fclose(file_);
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
  if (count <= 0) return 0;
  return static_cast<int32_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  return static_cast<int32_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  if (SeekFile(file_, offset, whence) != 0) throw EStreamError("Stream seek error");
  return TellFile(file_);
}

int64_t TFileStream::Size() {
  int64_t pos = TellFile(file_);
  SeekFile(file_, 0, SEEK_END);
  int64_t size = TellFile(file_);
  SeekFile(file_, pos, SEEK_SET);
  return size;
}
