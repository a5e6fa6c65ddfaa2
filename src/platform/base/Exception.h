// The one error class of the system and its families.
#pragma once

#include <stdexcept>
#include <string>

// Every fault raised by the system is an Exception carrying its message.
class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// Streams: reading past the data or meeting a value of the wrong type.
class EStreamError : public Exception { using Exception::Exception; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
// A file that cannot be opened or created.
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };

// Registry access that failed, or a value of a type that cannot be read.
class ERegistryException : public Exception { using Exception::Exception; };

// A failed operating-system call; Code() is the system's error code.
class EOSError : public Exception {
public:
  EOSError(const std::string& message, unsigned long code) : Exception(message), code_(code) {}
  unsigned long Code() const { return code_; }
private:
  unsigned long code_;
};
