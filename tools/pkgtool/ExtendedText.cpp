#include "ExtendedText.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/base/SysUtils.h"

namespace {

// Unsigned integers of any size (little-endian 32-bit limbs, no leading
// zero limb): conversions are done exactly, never through the FPU, so the
// result does not depend on the precision the FPU is set to.
class TBig {
public:
  TBig() = default;
  explicit TBig(uint64_t v) {
    for (; v; v >>= 32) d_.push_back(static_cast<uint32_t>(v));
  }

  bool IsZero() const { return d_.empty(); }
  int BitLength() const {
    if (d_.empty()) return 0;
    int n = 0;
    for (uint32_t top = d_.back(); top; top >>= 1) ++n;
    return static_cast<int>(d_.size() - 1) * 32 + n;
  }
  uint64_t Low64() const {
    uint64_t v = 0;
    for (size_t i = 0; i < d_.size() && i < 2; ++i) v |= static_cast<uint64_t>(d_[i]) << (32 * i);
    return v;
  }

  void MulAdd(uint32_t m, uint32_t a) {
    uint64_t carry = a;
    for (uint32_t& x : d_) {
      uint64_t t = static_cast<uint64_t>(x) * m + carry;
      x = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    if (carry) d_.push_back(static_cast<uint32_t>(carry));
    Normalize();
  }
  // Multiplies by base^n.
  void MulPow(uint32_t base, int n) {
    uint32_t chunk = 1;
    int k = 0;
    while (static_cast<uint64_t>(chunk) * base <= 0xFFFFFFFFu) chunk *= base, ++k;
    for (; n >= k; n -= k) MulAdd(chunk, 0);
    for (; n > 0; --n) MulAdd(base, 0);
  }
  // Divides by m, returning the remainder.
  uint32_t DivSmall(uint32_t m) {
    uint64_t rem = 0;
    for (size_t i = d_.size(); i-- > 0;) {
      uint64_t t = (rem << 32) | d_[i];
      d_[i] = static_cast<uint32_t>(t / m);
      rem = t % m;
    }
    Normalize();
    return static_cast<uint32_t>(rem);
  }
  TBig Shifted(int bits) const {
    TBig r;
    if (d_.empty()) return r;
    int rest = bits % 32;
    r.d_.assign(static_cast<size_t>(bits / 32), 0);
    uint32_t carry = 0;
    for (uint32_t x : d_) {
      r.d_.push_back((x << rest) | carry);
      carry = rest ? x >> (32 - rest) : 0;
    }
    if (carry) r.d_.push_back(carry);
    return r;
  }
  // this / 2^bits; lost tells whether nonzero bits were dropped.
  TBig ShiftedRight(int bits, bool& lost) const {
    TBig r;
    size_t limbs = static_cast<size_t>(bits / 32);
    int rest = bits % 32;
    lost = false;
    for (size_t i = 0; i < limbs && i < d_.size(); ++i) lost = lost || d_[i] != 0;
    if (limbs >= d_.size()) return r;
    if (rest && (d_[limbs] & ((uint32_t(1) << rest) - 1))) lost = true;
    for (size_t i = limbs; i < d_.size(); ++i) {
      uint32_t high = (rest && i + 1 < d_.size()) ? d_[i + 1] << (32 - rest) : 0;
      r.d_.push_back((d_[i] >> rest) | high);
    }
    r.Normalize();
    return r;
  }
  // this -= b, where b <= this.
  void Subtract(const TBig& b) {
    uint64_t borrow = 0;
    for (size_t i = 0; i < d_.size(); ++i) {
      uint64_t sub = (i < b.d_.size() ? b.d_[i] : 0) + borrow;
      borrow = d_[i] < sub;
      d_[i] = static_cast<uint32_t>(d_[i] - sub);
    }
    Normalize();
  }
  friend int Compare(const TBig& a, const TBig& b) {
    if (a.d_.size() != b.d_.size()) return a.d_.size() < b.d_.size() ? -1 : 1;
    for (size_t i = a.d_.size(); i-- > 0;)
      if (a.d_[i] != b.d_[i]) return a.d_[i] < b.d_[i] ? -1 : 1;
    return 0;
  }

  std::string Decimal() const {
    if (d_.empty()) return "0";
    TBig n = *this;
    std::string rev;
    while (!n.IsZero()) {
      uint32_t chunk = n.DivSmall(1000000000);
      for (int k = 0; k < 9; ++k, chunk /= 10) rev += static_cast<char>('0' + chunk % 10);
    }
    while (rev.size() > 1 && rev.back() == '0') rev.pop_back();
    return std::string(rev.rbegin(), rev.rend());
  }

private:
  void Normalize() {
    while (!d_.empty() && d_.back() == 0) d_.pop_back();
  }
  std::vector<uint32_t> d_;
};

constexpr int kBias = 16383;
constexpr int kMaxExponent = 0x7FFF;
// The unit of a denormal's significand is 2^-16445.
constexpr int kDenormalShift = kBias + 62;

struct TParts {
  bool Negative = false;
  int Exponent = 0;  // biased
  uint64_t Significand = 0;
};

TParts Unpack(const TExtended& v) {
  TParts p;
  for (int i = 0; i < 8; ++i) p.Significand |= static_cast<uint64_t>(v.Bytes[static_cast<size_t>(i)]) << (8 * i);
  int top = v.Bytes[8] | (v.Bytes[9] << 8);
  p.Negative = (top & 0x8000) != 0;
  p.Exponent = top & 0x7FFF;
  return p;
}

TExtended Pack(const TParts& p) {
  TExtended v;
  for (int i = 0; i < 8; ++i) v.Bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(p.Significand >> (8 * i));
  int top = p.Exponent | (p.Negative ? 0x8000 : 0);
  v.Bytes[8] = static_cast<uint8_t>(top);
  v.Bytes[9] = static_cast<uint8_t>(top >> 8);
  return v;
}

// A decimal number: Digits (no leading or trailing zero) times 10^Exp10.
struct TDecimal {
  bool Negative = false;
  std::string Digits;
  int Exp10 = 0;
  bool More = false;  // nonzero digits follow the ones kept
};

void StripTrailingZeros(TDecimal& d) {
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back(), ++d.Exp10;
}

// The nearest extended value (ties to even); false when it is too large.
bool DecimalToParts(const TDecimal& d, TParts& out) {
  out = TParts{};
  out.Negative = d.Negative;
  if (d.Digits.empty()) return true;
  int lead = static_cast<int>(d.Digits.size()) - 1 + d.Exp10;  // 10^lead <= |value| < 10^(lead+1)
  if (lead > 4933) return false;
  if (lead < -4952) return true;  // below half the smallest denormal
  TBig n, m(1);
  for (char c : d.Digits) n.MulAdd(10, static_cast<uint32_t>(c - '0'));
  if (d.Exp10 >= 0) n.MulPow(10, d.Exp10);
  else m.MulPow(10, -d.Exp10);
  // q = floor(n / m * 2^shift) takes 64 or 65 bits, fewer for a denormal.
  int shift = 63 - (n.BitLength() - m.BitLength() - 1);
  if (shift > kDenormalShift) shift = kDenormalShift;
  TBig a = shift >= 0 ? n.Shifted(shift) : n;
  TBig b = shift < 0 ? m.Shifted(-shift) : m;
  bool bit64 = false;
  if (TBig top = b.Shifted(64); Compare(a, top) >= 0) {
    a.Subtract(top);
    bit64 = true;
  }
  uint64_t q = 0;
  for (int i = 63; i >= 0; --i) {
    TBig t = b.Shifted(i);
    if (Compare(a, t) >= 0) {
      a.Subtract(t);
      q |= uint64_t(1) << i;
    }
  }
  int unit = -shift;  // q counts units of 2^unit
  bool up;
  if (bit64) {
    bool half = q & 1;
    q = (q >> 1) | (uint64_t(1) << 63);
    ++unit;
    up = half && (!a.IsZero() || (q & 1));
  } else {
    int c = Compare(a.Shifted(1), b);
    up = c > 0 || (c == 0 && (q & 1));
  }
  if (up && ++q == 0) {
    q = uint64_t(1) << 63;
    ++unit;
  }
  out.Significand = q;
  out.Exponent = (q >> 63) ? unit + 63 + kBias : 0;
  return out.Exponent < kMaxExponent;
}

// The leading digits of a finite, canonical extended value: all of an
// integer, else some 27 (a denormal's full expansion runs to thousands).
TDecimal LeadingDecimal(const TParts& p) {
  TDecimal d;
  d.Negative = p.Negative;
  if (p.Significand == 0) return d;
  int e2 = (p.Exponent == 0 ? 1 : p.Exponent) - kBias - 63;
  TBig n(p.Significand);
  if (e2 >= 0) {
    n = n.Shifted(e2);
  } else {
    // floor(m * 10^k / 2^-e2), k chosen for some 27 digits.
    int bits = n.BitLength() - 1 + e2;  // 2^bits <= value < 2^(bits+1)
    int k = 27 - static_cast<int>(std::floor(bits * 0.30102999566398120));
    n.MulPow(10, k);
    n = n.ShiftedRight(-e2, d.More);
    d.Exp10 = -k;
  }
  d.Digits = n.Decimal();
  StripTrailingZeros(d);
  return d;
}

// d with at most `digits` significant digits, rounded to the nearest (ties to even).
TDecimal RoundDigits(const TDecimal& d, size_t digits) {
  if (d.Digits.size() <= digits) return d;
  TDecimal r = d;
  r.Digits = d.Digits.substr(0, digits);
  r.Exp10 = d.Exp10 + static_cast<int>(d.Digits.size() - digits);
  r.More = false;
  char next = d.Digits[digits];
  bool rest = d.More || d.Digits.find_first_not_of('0', digits + 1) != std::string::npos;
  bool up = next > '5' || (next == '5' && (rest || ((r.Digits.back() - '0') & 1)));
  if (up) {
    size_t i = r.Digits.size();
    while (i > 0 && r.Digits[i - 1] == '9') r.Digits[--i] = '0';
    if (i == 0) r.Digits.insert(r.Digits.begin(), '1');
    else ++r.Digits[i - 1];
  }
  StripTrailingZeros(r);
  return r;
}

std::string FormatDecimal(const TDecimal& d) {
  std::string s = d.Negative ? "-" : "";
  if (d.Digits.empty()) return s + "0";
  int n = static_cast<int>(d.Digits.size());
  int lead = n - 1 + d.Exp10;
  if (lead < -7 || lead >= 21) {
    s += d.Digits[0];
    if (n > 1) s.append(".").append(d.Digits, 1);
    return s.append("E").append(std::to_string(lead));
  }
  if (d.Exp10 >= 0) return s.append(d.Digits).append(static_cast<size_t>(d.Exp10), '0');
  if (lead >= 0) {
    size_t whole = static_cast<size_t>(lead + 1);
    return s.append(d.Digits, 0, whole).append(".").append(d.Digits, whole);
  }
  return s.append("0.").append(static_cast<size_t>(-lead - 1), '0').append(d.Digits);
}

const char kHex[] = "0123456789ABCDEF";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool SameParts(const TParts& a, const TParts& b) {
  return a.Negative == b.Negative && a.Exponent == b.Exponent && a.Significand == b.Significand;
}

std::string Pattern(const TExtended& value) {
  std::string s = "$";
  for (int i = 9; i >= 0; --i) {
    s += kHex[value.Bytes[static_cast<size_t>(i)] >> 4];
    s += kHex[value.Bytes[static_cast<size_t>(i)] & 15];
  }
  return s;
}

}  // namespace

std::string ExtendedToText(const TExtended& value) {
  TParts p = Unpack(value);
  bool integerBit = (p.Significand >> 63) != 0;
  if (p.Exponent == kMaxExponent && p.Significand == uint64_t(1) << 63) return p.Negative ? "-Inf" : "Inf";
  bool canonical = p.Exponent == 0 ? !integerBit : (integerBit && p.Exponent != kMaxExponent);
  if (!canonical) return Pattern(value);
  TDecimal lead = LeadingDecimal(p);
  if (lead.Digits.empty()) return FormatDecimal(lead);  // 0 or -0
  // The fewest digits that read back to the same value; 21 always do.
  for (size_t digits = 1; digits <= lead.Digits.size(); ++digits) {
    TDecimal shorter = RoundDigits(lead, digits);
    TParts back;
    if (DecimalToParts(shorter, back) && SameParts(back, p)) return FormatDecimal(shorter);
  }
  return Pattern(value);
}

bool TextToExtended(const std::string& text, TExtended& value, std::string& error) {
  std::string t = Trim(text);
  auto refuse = [&](const std::string& why) {
    error = "'" + t + "' " + why;
    return false;
  };
  if (t.size() > 1 && t[0] == '$') {
    if (t.size() != 21) return refuse("is not a float: '$' takes 20 hexadecimal digits");
    for (int i = 0; i < 10; ++i) {
      int hi = HexDigit(t[static_cast<size_t>(1 + 2 * i)]), lo = HexDigit(t[static_cast<size_t>(2 + 2 * i)]);
      if (hi < 0 || lo < 0) return refuse("is not a float: '$' takes 20 hexadecimal digits");
      value.Bytes[static_cast<size_t>(9 - i)] = static_cast<uint8_t>(hi * 16 + lo);
    }
    return true;
  }
  TDecimal d;
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) d.Negative = t[i++] == '-';
  if (SameText(t.substr(i), "Inf")) {
    value = Pack(TParts{d.Negative, kMaxExponent, uint64_t(1) << 63});
    return true;
  }
  bool anyDigit = false, point = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      anyDigit = true;
      if (!d.Digits.empty() || c != '0') d.Digits += c;
      if (point) --d.Exp10;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return refuse("is not a float");
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    if (i >= t.size()) return refuse("is not a float");
    int exponent = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i)
      if (exponent < 100000) exponent = exponent * 10 + (t[i] - '0');  // beyond any extended value either way
    d.Exp10 += negative ? -exponent : exponent;
  }
  if (i != t.size()) return refuse("is not a float");
  StripTrailingZeros(d);
  TParts p;
  if (!DecimalToParts(d, p)) return refuse("is too large for an extended float");
  value = Pack(p);
  return true;
}
