// Byte streams: the abstract stream, memory and file streams.
// Portable: builds natively as well as for Windows.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Writes count bytes; returns how many were written.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
  virtual int64_t Size();

  // Whole transfers: raise "Stream read error" / "Stream write error" when
  // short, followed by what ErrorDetail says.
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
  // Copies count bytes from source at its position (count 0: all of source
  // from its start). Returns the bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);

  // What follows the fixed text of a stream error: a file stream names its
  // file and the system's reason (": C:\x.dcu (No space left on device)").
  virtual std::string ErrorDetail(bool writing) const;
};

class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> data) : data_(std::move(data)) {}

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }

  void SetSize(int64_t size);
  void Clear();
  const std::vector<uint8_t>& Data() const { return data_; }
  std::vector<uint8_t>& Data() { return data_; }

  void LoadFromStream(TStream& source);
  void LoadFromFile(const std::string& fileName);
  void SaveToStream(TStream& target);
  void SaveToFile(const std::string& fileName);

private:
  std::vector<uint8_t> data_;
  int64_t pos_ = 0;
};

enum TFileMode {
  fmOpenRead,       // existing file, read only
  fmOpenReadWrite,  // existing file, read and write
  fmCreate,         // new or truncated file, read and write: created as new
                    // when there is none, which spares truncating
};

class TFileStream : public TStream {
public:
  // Raises EFOpenError / EFCreateError naming the file.
  TFileStream(const std::string& fileName, TFileMode mode);
  ~TFileStream() override;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  std::string ErrorDetail(bool writing) const override;

  // Closes the file and raises the write error when the system reports that
  // closing failed (data that could not be written out). The destructor
  // closes silently.
  void Close();

  const std::string& FileName() const { return fileName_; }

private:
  std::string fileName_;
  std::FILE* file_ = nullptr;
};
