#include "platform/base/Stream.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/base/Exception.h"

namespace {

#if defined(_WIN32)
int SeekFile(std::FILE* f, int64_t off, int whence) { return fseeko64(f, off, whence); }
int64_t TellFile(std::FILE* f) { return ftello64(f); }
#else
int SeekFile(std::FILE* f, int64_t off, int whence) { return fseeko(f, off, whence); }
int64_t TellFile(std::FILE* f) { return ftello(f); }
#endif

// A file that did not exist, opened for reading and writing; nullptr with
// errno set when it cannot be made.
std::FILE* CreateNewFile(const std::string& fileName) {
#if defined(_WIN32)
  int fd = _open(fileName.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* f = _fdopen(fd, "w+b");
  if (!f) _close(fd);
#else
  int fd = open(fileName.c_str(), O_CREAT | O_EXCL | O_RDWR, 0666);
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "w+b");
  if (!f) close(fd);
#endif
  return f;
}

}  // namespace

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error" + ErrorDetail(false));
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error" + ErrorDetail(true));
}

std::string TStream::ErrorDetail(bool) const { return std::string(); }

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
  errno = 0;
  if (mode == fmCreate) {
    file_ = CreateNewFile(fileName);
    if (!file_ && errno == EEXIST) file_ = std::fopen(fileName.c_str(), "w+b");
  } else {
    file_ = std::fopen(fileName.c_str(), mode == fmOpenRead ? "rb" : "r+b");
  }
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

void TFileStream::Close() {
  if (!file_) return;
  std::FILE* f = file_;
  file_ = nullptr;
  errno = 0;
  if (std::fclose(f) != 0) {
    std::string reason = errno ? std::strerror(errno) : "closing failed";
    throw EWriteError("Stream write error: " + fileName_ + " (" + reason + ")");
  }
}

std::string TFileStream::ErrorDetail(bool writing) const {
  std::string reason;
  if (!file_) reason = "the file is closed";
  else if (std::ferror(file_) && errno) reason = std::strerror(errno);
  else if (!writing && std::feof(file_)) reason = "the file ends early";
  else reason = errno ? std::strerror(errno) : "unknown reason";
  return ": " + fileName_ + " (" + reason + ")";
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || !file_) return 0;
  return static_cast<int32_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
  if (count <= 0 || !file_) return 0;
  errno = 0;
  return static_cast<int32_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  if (!file_) throw EStreamError("Stream seek error" + ErrorDetail(false));
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  if (SeekFile(file_, offset, whence) != 0) throw EStreamError("Stream seek error");
  return TellFile(file_);
}

int64_t TFileStream::Size() {
  if (!file_) return 0;
  int64_t pos = TellFile(file_);
  SeekFile(file_, 0, SEEK_END);
  int64_t size = TellFile(file_);
  SeekFile(file_, pos, SEEK_SET);
  return size;
}
