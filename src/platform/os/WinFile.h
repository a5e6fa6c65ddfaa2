// A file stream over the system's own file calls, so that a failure carries
// the system's reason ("There is not enough space on the disk.") and not the
// C runtime's.
#pragma once

#include <string>

#include "platform/base/Stream.h"

enum TWinFileMode {
  wfmRead,       // an existing file, read only
  wfmCreate,     // a new file, or an existing one emptied
  wfmCreateNew,  // a new file only: on an existing one the stream stays closed
};

class TWinFileStream : public TStream {
public:
  // Raises EFOpenError / EFCreateError naming the file and the system's reason.
  TWinFileStream(const std::string& fileName, TWinFileMode mode);
  ~TWinFileStream() override;

  // False only after wfmCreateNew met an existing file, or after Close.
  bool IsOpen() const { return handle_ != nullptr; }

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  std::string ErrorDetail(bool writing) const override;

  // Closes the file; raises the write error when the system reports that
  // closing failed. The destructor closes silently.
  void Close();

  const std::string& FileName() const { return fileName_; }

private:
  std::string fileName_;
  void* handle_ = nullptr;
  unsigned long lastError_ = 0;
};
