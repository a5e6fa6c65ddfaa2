#include "platform/base/TypedStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/base/Exception.h"

namespace {

bool SameText(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Longest run copied into a string before more data is known to exist, so a
// damaged length cannot make the reader allocate far more than the data holds.
constexpr int64_t kTextChunk = 64 * 1024;

void PutInt32(uint8_t* b, int32_t value) {
  uint32_t u = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t GetInt32(const uint8_t* b) {
  return static_cast<int32_t>(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) |
                              (uint32_t(b[3]) << 24));
}

}  // namespace

// ---- TExtended ----

TExtended TExtended::FromDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  uint16_t sign = static_cast<uint16_t>((bits >> 48) & 0x8000);
  int exp = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t mant = bits & ((uint64_t(1) << 52) - 1);
  uint16_t e80;
  uint64_t m80;
  if (exp == 0x7FF) {  // infinity or NaN, payload kept
    e80 = 0x7FFF;
    m80 = (uint64_t(1) << 63) | (mant << 11);
  } else if (exp == 0 && mant == 0) {
    e80 = 0;
    m80 = 0;
  } else if (exp == 0) {  // subnormal double: normal in the wider format
    m80 = mant << 11;
    int shift = 0;
    while (!(m80 & (uint64_t(1) << 63))) {
      m80 <<= 1;
      ++shift;
    }
    e80 = static_cast<uint16_t>(15361 - shift);
  } else {
    e80 = static_cast<uint16_t>(exp - 1023 + 16383);
    m80 = (uint64_t(1) << 63) | (mant << 11);
  }
  TExtended x;
  for (int i = 0; i < 8; ++i) x.Bytes[i] = static_cast<uint8_t>(m80 >> (8 * i));
  uint16_t top = static_cast<uint16_t>(sign | e80);
  x.Bytes[8] = static_cast<uint8_t>(top);
  x.Bytes[9] = static_cast<uint8_t>(top >> 8);
  return x;
}

double TExtended::ToDouble() const {
  uint64_t m80 = 0;
  for (int i = 0; i < 8; ++i) m80 |= uint64_t(Bytes[i]) << (8 * i);
  uint16_t top = static_cast<uint16_t>(Bytes[8] | (Bytes[9] << 8));
  bool negative = top & 0x8000;
  int e80 = top & 0x7FFF;
  double v;
  if (e80 == 0x7FFF) {
    v = (m80 << 1) == 0 ? std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::quiet_NaN();
  } else if (m80 == 0) {
    v = 0.0;
  } else {
    // Exponent 0 is a denormal of the wider format: its scale is that of 1.
    int e = (e80 == 0 ? 1 : e80) - 16383 - 63;
    v = std::ldexp(static_cast<double>(m80), e);
  }
  return negative ? -v : v;
}

// ---- TKyReader ----

TKyReader::TKyReader(TStream& stream, int32_t bufferSize)
    : stream_(stream), buffer_(static_cast<size_t>(std::max(bufferSize, 16))) {}

TKyReader::~TKyReader() {
  if (bufEnd_ > bufPos_) {
    try {
      stream_.Seek(bufPos_ - bufEnd_, soCurrent);
    } catch (...) {
      // The stream is being abandoned anyway.
    }
  }
}

void TKyReader::InvalidValue() { throw EReadError("Invalid property value"); }

void TKyReader::Fill() {
  int32_t n = stream_.Read(buffer_.data(), static_cast<int32_t>(buffer_.size()));
  if (n <= 0) throw EReadError("Stream read error" + stream_.ErrorDetail(false));
  if (streamPos_ >= 0) streamPos_ += n;
  bufPos_ = 0;
  bufEnd_ = n;
}

void TKyReader::Read(void* buffer, int32_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    if (bufPos_ == bufEnd_) {
      // Large raw reads go straight to the stream; the buffer only pays off for small values.
      if (count >= static_cast<int32_t>(buffer_.size())) {
        int32_t n = stream_.Read(out, count);
        if (n <= 0) throw EReadError("Stream read error" + stream_.ErrorDetail(false));
        if (streamPos_ >= 0) streamPos_ += n;
        out += n;
        count -= n;
        continue;
      }
      Fill();
    }
    int32_t n = std::min(count, bufEnd_ - bufPos_);
    std::memcpy(out, buffer_.data() + bufPos_, static_cast<size_t>(n));
    bufPos_ += n;
    out += n;
    count -= n;
  }
}

int64_t TKyReader::Position() const {
  if (streamPos_ < 0) streamPos_ = stream_.Position();
  return streamPos_ - (bufEnd_ - bufPos_);
}

void TKyReader::SetPosition(int64_t position) {
  // Within the buffered bytes the buffer just moves; skipping small
  // contents then costs no call to the stream.
  if (streamPos_ >= 0 && position >= streamPos_ - bufEnd_ && position <= streamPos_) {
    bufPos_ = bufEnd_ - static_cast<int32_t>(streamPos_ - position);
    return;
  }
  streamPos_ = stream_.Seek(position, soBeginning);
  bufPos_ = bufEnd_ = 0;
}

TValueType TKyReader::ReadValue() {
  uint8_t tag;
  Read(&tag, 1);
  return static_cast<TValueType>(tag);
}

TValueType TKyReader::NextValue() {
  TValueType v = ReadValue();
  --bufPos_;  // the byte is still in the buffer: step back over it
  return v;
}

int32_t TKyReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: {
      int8_t v;
      Read(&v, 1);
      return v;
    }
    case vaInt16: {
      uint8_t b[2];
      Read(b, 2);
      return static_cast<int16_t>(b[0] | (b[1] << 8));
    }
    case vaInt32: {
      uint8_t b[4];
      Read(b, 4);
      return GetInt32(b);
    }
    default:
      InvalidValue();
  }
}

std::string TKyReader::ReadText(int64_t length) {
  std::string s;
  while (static_cast<int64_t>(s.size()) < length) {
    int64_t n = std::min(length - static_cast<int64_t>(s.size()), kTextChunk);
    size_t at = s.size();
    s.resize(at + static_cast<size_t>(n));
    Read(s.data() + at, static_cast<int32_t>(n));
  }
  return s;
}

std::string TKyReader::ReadString() {
  switch (ReadValue()) {
    case vaString: {
      uint8_t len;
      Read(&len, 1);
      return ReadText(len);
    }
    case vaLString:
      return ReadText(ReadLength());
    default:
      InvalidValue();
  }
}

int32_t TKyReader::ReadLength() {
  uint8_t b[4];
  Read(b, 4);
  int32_t len = GetInt32(b);
  if (len < 0) InvalidValue();
  return len;
}

std::vector<std::string> TKyReader::ReadSet() {
  if (ReadValue() != vaSet) InvalidValue();
  std::vector<std::string> names;
  for (;;) {
    uint8_t len;
    Read(&len, 1);
    if (len == 0) return names;
    names.push_back(ReadText(len));
  }
}

bool TKyReader::ReadBoolean() { return ReadValue() == vaTrue; }

char TKyReader::ReadChar() {
  if (ReadValue() != vaString) InvalidValue();
  uint8_t len;
  Read(&len, 1);
  if (len != 1) InvalidValue();
  char c;
  Read(&c, 1);
  return c;
}

TExtended TKyReader::ReadFloat() {
  if (NextValue() == vaExtended) {
    ReadValue();
    TExtended x;
    Read(x.Bytes.data(), 10);
    return x;
  }
  return TExtended::FromDouble(ReadInteger());
}

std::string TKyReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: {
      uint8_t len;
      Read(&len, 1);
      return ReadText(len);
    }
    case vaFalse:
      return "False";
    case vaTrue:
      return "True";
    case vaNil:
      return "nil";
    default:
      InvalidValue();
  }
}

std::vector<uint8_t> TKyReader::ReadBinary() {
  if (ReadValue() != vaBinary) InvalidValue();
  std::string s = ReadText(ReadLength());
  return std::vector<uint8_t>(s.begin(), s.end());
}

void TKyReader::ReadListBegin() {
  if (ReadValue() != vaList) InvalidValue();
}

void TKyReader::ReadListEnd() {
  if (ReadValue() != vaNull) InvalidValue();
}

bool TKyReader::EndOfList() { return NextValue() == vaNull; }

void TKyReader::SkipValue() {
  switch (NextValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      ReadValue();
      break;
    case vaList:
      ReadValue();
      while (!EndOfList()) SkipValue();
      ReadValue();
      break;
    case vaInt8:
    case vaInt16:
    case vaInt32:
      ReadInteger();
      break;
    case vaExtended:
      ReadFloat();
      break;
    case vaString:
    case vaLString:
      ReadString();
      break;
    case vaIdent:
      ReadIdent();
      break;
    case vaBinary:
      ReadBinary();
      break;
    case vaSet:
      ReadSet();
      break;
    case vaCollection:
      ReadValue();
      while (!EndOfList()) {
        if (NextValue() != vaList) ReadInteger();
        ReadListBegin();
        while (!EndOfList()) SkipValue();
        ReadListEnd();
      }
      ReadListEnd();
      break;
    default:
      InvalidValue();
  }
}

// ---- TKyWriter ----

TKyWriter::TKyWriter(TStream& stream, int32_t bufferSize)
    : stream_(stream), buffer_(static_cast<size_t>(std::max(bufferSize, 16))) {}

TKyWriter::~TKyWriter() {
  try {
    FlushBuffer();
  } catch (...) {
    // Reached only on paths already unwinding from an error.
  }
}

void TKyWriter::FlushBuffer() {
  if (bufPos_ > 0) {
    int32_t n = bufPos_;
    bufPos_ = 0;
    stream_.WriteBuffer(buffer_.data(), n);
  }
}

void TKyWriter::Write(const void* buffer, int32_t count) {
  auto* in = static_cast<const uint8_t*>(buffer);
  while (count > 0) {
    int32_t room = static_cast<int32_t>(buffer_.size()) - bufPos_;
    if (room == 0) {
      FlushBuffer();
      // Large raw writes skip the buffer once it is empty.
      if (count >= static_cast<int32_t>(buffer_.size())) {
        stream_.WriteBuffer(in, count);
        return;
      }
      continue;
    }
    int32_t n = std::min(count, room);
    std::memcpy(buffer_.data() + bufPos_, in, static_cast<size_t>(n));
    bufPos_ += n;
    in += n;
    count -= n;
  }
}

int64_t TKyWriter::Position() const { return stream_.Position() + bufPos_; }

void TKyWriter::WriteValue(TValueType value) {
  uint8_t tag = value;
  Write(&tag, 1);
}

void TKyWriter::WriteInteger(int32_t value) {
  if (value >= -128 && value <= 127) {
    WriteValue(vaInt8);
    int8_t v = static_cast<int8_t>(value);
    Write(&v, 1);
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(vaInt16);
    uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    Write(b, 2);
  } else {
    WriteValue(vaInt32);
    uint8_t b[4];
    PutInt32(b, value);
    Write(b, 4);
  }
}

void TKyWriter::WriteString(const std::string& value) {
  if (value.size() > 255) {
    WriteValue(vaLString);
    uint8_t b[4];
    PutInt32(b, static_cast<int32_t>(value.size()));
    Write(b, 4);
  } else {
    WriteValue(vaString);
    uint8_t len = static_cast<uint8_t>(value.size());
    Write(&len, 1);
  }
  Write(value.data(), static_cast<int32_t>(value.size()));
}

void TKyWriter::WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }

void TKyWriter::WriteChar(char value) { WriteString(std::string(1, value)); }

void TKyWriter::WriteFloat(const TExtended& value) {
  WriteValue(vaExtended);
  Write(value.Bytes.data(), 10);
}

void TKyWriter::WriteIdent(const std::string& value) {
  if (SameText(value, "False")) {
    WriteValue(vaFalse);
  } else if (SameText(value, "True")) {
    WriteValue(vaTrue);
  } else if (SameText(value, "nil")) {
    WriteValue(vaNil);
  } else {
    if (value.size() > 255) throw EWriteError("Identifier too long: " + value.substr(0, 32) + "...");
    WriteValue(vaIdent);
    uint8_t len = static_cast<uint8_t>(value.size());
    Write(&len, 1);
    Write(value.data(), len);
  }
}

void TKyWriter::WriteBinary(const void* data, int32_t size) {
  WriteValue(vaBinary);
  uint8_t b[4];
  PutInt32(b, size);
  Write(b, 4);
  Write(data, size);
}

void TKyWriter::WriteSet(const std::vector<std::string>& names) {
  WriteValue(vaSet);
  for (const std::string& n : names) {
    if (n.empty() || n.size() > 255) throw EWriteError("Invalid set element: " + n.substr(0, 32));
    uint8_t len = static_cast<uint8_t>(n.size());
    Write(&len, 1);
    Write(n.data(), len);
  }
  uint8_t end = 0;
  Write(&end, 1);
}

void TKyWriter::WriteListBegin() { WriteValue(vaList); }
void TKyWriter::WriteListEnd() { WriteValue(vaNull); }
