// The typed value stream: tagged binary values over a buffered stream.
// Every package body and every setup file is a sequence of these values.
// Portable: no <windows.h>.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/Stream.h"

enum TValueType : uint8_t {
  vaNull = 0,        // also ends a list or a collection
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,      // short string, 1-byte length
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,    // long string, 32-bit length
  vaNil = 13,
  vaCollection = 14,
};

// The 80-bit extended float kept as its ten stored bytes, so that a value
// read and written unchanged round-trips exactly (NaN payloads included).
struct TExtended {
  std::array<uint8_t, 10> Bytes{};

  static TExtended FromDouble(double value);
  double ToDouble() const;
  bool operator==(const TExtended&) const = default;
};

class TKyReader {
public:
  // The stream belongs to the caller and must outlive the reader.
  explicit TKyReader(TStream& stream, int32_t bufferSize = 4096);
  // Leaves the stream at the reader's logical position.
  ~TKyReader();
  TKyReader(const TKyReader&) = delete;
  TKyReader& operator=(const TKyReader&) = delete;

  TValueType ReadValue();                 // read tag
  TValueType NextValue();                 // peek at the next tag
  int32_t ReadInteger();                  // tags 2, 3, 4
  std::string ReadString();               // tags 6, 12
  bool ReadBoolean();                     // true only for tag 9; never fails on the tag
  char ReadChar();                        // tag 6 of length 1
  TExtended ReadFloat();                  // tag 5 or an integer tag
  std::string ReadIdent();                // tags 7, 8, 9, 13
  std::vector<uint8_t> ReadBinary();      // tag 10
  std::vector<std::string> ReadSet();     // tag 11
  void ReadListBegin();                   // tag 1
  void ReadListEnd();                     // tag 0
  bool EndOfList();                       // next tag is 0 (not consumed)
  void SkipValue();                       // any one value, lists and sets included

  void Read(void* buffer, int32_t count); // raw bytes, no tag
  int64_t Position() const;
  void SetPosition(int64_t position);
  TStream& Stream() { return stream_; }

private:
  void Fill();
  std::string ReadText(int64_t length);
  int32_t ReadLength();  // 32-bit length, negative refused
  [[noreturn]] static void InvalidValue();

  TStream& stream_;
  std::vector<uint8_t> buffer_;
  int32_t bufPos_ = 0;
  int32_t bufEnd_ = 0;
  // The stream's own position (the end of the buffered bytes), asked once
  // and then followed, so that positions cost no call to the stream; -1
  // until asked.
  mutable int64_t streamPos_ = -1;
};

class TKyWriter {
public:
  // The stream belongs to the caller and must outlive the writer.
  explicit TKyWriter(TStream& stream, int32_t bufferSize = 4096);
  // Flushes what is still buffered. Errors there are lost, so callers that
  // need to know call FlushBuffer() themselves first.
  ~TKyWriter();
  TKyWriter(const TKyWriter&) = delete;
  TKyWriter& operator=(const TKyWriter&) = delete;

  void WriteValue(TValueType value);
  void WriteInteger(int32_t value);
  void WriteString(const std::string& value);
  void WriteBoolean(bool value);
  void WriteChar(char value);
  void WriteFloat(const TExtended& value);
  void WriteIdent(const std::string& value);
  void WriteBinary(const void* data, int32_t size);
  void WriteSet(const std::vector<std::string>& names);
  void WriteListBegin();
  void WriteListEnd();

  void Write(const void* buffer, int32_t count);  // raw bytes, no tag
  void FlushBuffer();
  int64_t Position() const;

private:
  TStream& stream_;
  std::vector<uint8_t> buffer_;
  int32_t bufPos_ = 0;
};
