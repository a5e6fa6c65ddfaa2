#include "platform/base/Variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/base/SysUtils.h"

// Days from 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp + (mp < 10 ? 3 : -9);
  y += m <= 2;
}

namespace {

// Rounds half to even, as the value conversions of the platform do.
bool RoundToInt64(double v, int64_t& out) {
  if (!std::isfinite(v)) return false;
  double r = std::nearbyint(v);
  if (std::fabs(r - v) == 0.5) r = 2.0 * std::nearbyint(v / 2.0);
  if (r < -9.2233720368547748e18 || r >= 9.2233720368547758e18) return false;
  out = static_cast<int64_t>(r);
  return true;
}

bool ParseDouble(const std::string& text, double& v) {
  std::string s = Trim(text);
  if (s.empty()) return false;
  const char* b = s.data();
  if (*b == '+') ++b;
  auto [p, ec] = std::from_chars(b, s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size();
}

// 1899-12-30, day 0 of the date-time values.
const int64_t kDayZero = DaysFromCivil(1899, 12, 30);

}  // namespace

std::string FloatToText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  // The shortest digits that read back as the same double.
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  std::string sci(buf, r.ptr);
  size_t e = sci.find('e');
  int exponent = std::stoi(sci.substr(e + 1));
  std::string mantissa = sci.substr(0, e);
  bool negative = mantissa[0] == '-';
  std::string digits;
  for (char c : mantissa)
    if (c >= '0' && c <= '9') digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = negative ? "-" : "";
  if (exponent >= -5 && exponent < 15) {
    size_t point = static_cast<size_t>(exponent + 1);
    if (exponent < 0) {
      out.append("0.").append(static_cast<size_t>(-exponent - 1), '0').append(digits);
    } else if (digits.size() <= point) {
      out.append(digits).append(point - digits.size(), '0');
    } else {
      out.append(digits, 0, point).append(1, '.').append(digits, point);
    }
    return out;
  }
  out.append(digits, 0, 1);
  if (digits.size() > 1) out.append(1, '.').append(digits, 1);
  return out.append(1, 'E').append(std::to_string(exponent));
}

// ---- TCurrency ----

TCurrency TCurrency::FromDouble(double value) {
  int64_t ticks;
  if (!RoundToInt64(value * 10000.0, ticks)) throw EVariantError("Currency value out of range");
  return TCurrency{ticks};
}

std::string TCurrency::ToString() const {
  uint64_t a = Ticks < 0 ? uint64_t(0) - static_cast<uint64_t>(Ticks) : static_cast<uint64_t>(Ticks);
  std::string s = std::to_string(a / 10000);
  unsigned frac = static_cast<unsigned>(a % 10000);
  if (frac) {
    char buf[8];
    std::snprintf(buf, sizeof buf, ".%04u", frac);
    std::string f(buf);
    while (f.back() == '0') f.pop_back();
    s += f;
  }
  return Ticks < 0 ? "-" + s : s;
}

// ---- Dates ----

// Before day 0 the whole part counts days back while the fraction is still
// the time of that day: -1.75 is 1899-12-29 18:00.
std::string DateTimeToText(TDateTime value) {
  double days = std::trunc(value.Value);
  int64_t seconds = std::llround(std::fabs(value.Value - days) * 86400.0);
  int64_t day = static_cast<int64_t>(days);
  if (seconds >= 86400) {
    ++day;
    seconds -= 86400;
  }
  int64_t y;
  unsigned m, d;
  CivilFromDays(day + kDayZero, y, m, d);
  char buf[64];
  if (seconds == 0)
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u", static_cast<long long>(y), m, d);
  else
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02u:%02u:%02u", static_cast<long long>(y), m, d,
                  static_cast<unsigned>(seconds / 3600), static_cast<unsigned>(seconds / 60 % 60),
                  static_cast<unsigned>(seconds % 60));
  return buf;
}

bool TryTextToDateTime(const std::string& text, TDateTime& value) {
  std::string s = Trim(text);
  int y, mo, d, h = 0, mi = 0, se = 0;
  char tail;
  int n = std::sscanf(s.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &se, &tail);
  if (n != 3 && n != 6) return false;
  if (mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || se > 59 || h < 0 || mi < 0 || se < 0) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (d > kDays[mo - 1] + (mo == 2 && leap ? 1 : 0)) return false;
  // The whole text must be one of the two forms.
  char check[64];
  if (n == 3) std::snprintf(check, sizeof check, "%04d-%02d-%02d", y, mo, d);
  else std::snprintf(check, sizeof check, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, se);
  if (s != check) return false;
  int64_t day = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) - kDayZero;
  double time = (h * 3600 + mi * 60 + se) / 86400.0;
  value.Value = day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
  return true;
}

// ---- Variant ----

Variant Variant::Null() {
  Variant v;
  v.value_ = NullTag{};
  return v;
}

const char* Variant::TypeName(TVarType type) {
  static const char* const kNames[] = {"Empty", "Null", "Integer", "Currency", "Double", "String", "Date", "Binary"};
  return type <= varBinary ? kNames[type] : "Unknown";
}

void Variant::ConvertError(TVarType to) const {
  throw EVariantError(std::string("Could not convert variant of type (") + TypeName(VarType()) + ") into type (" +
                      TypeName(to) + ")");
}

int32_t Variant::AsInteger() const {
  double d;
  switch (VarType()) {
    case varEmpty:
      return 0;
    case varInteger:
      return std::get<int32_t>(value_);
    case varString: {
      int32_t v;
      if (TryStrToInt(std::get<std::string>(value_), v)) return v;
      ConvertError(varInteger);
    }
    case varCurrency:
    case varDouble:
    case varDate:
      d = AsDouble();
      break;
    default:
      ConvertError(varInteger);
  }
  int64_t v;
  if (!RoundToInt64(d, v) || v < INT32_MIN || v > INT32_MAX) ConvertError(varInteger);
  return static_cast<int32_t>(v);
}

TCurrency Variant::AsCurrency() const {
  switch (VarType()) {
    case varEmpty:
      return TCurrency{};
    case varCurrency:
      return std::get<TCurrency>(value_);
    case varInteger:
      return TCurrency{int64_t(std::get<int32_t>(value_)) * 10000};
    case varDouble:
    case varDate:
    case varString:
      try {
        return TCurrency::FromDouble(AsDouble());
      } catch (const EVariantError&) {
        ConvertError(varCurrency);
      }
    default:
      ConvertError(varCurrency);
  }
}

double Variant::AsDouble() const {
  switch (VarType()) {
    case varEmpty:
      return 0;
    case varInteger:
      return std::get<int32_t>(value_);
    case varCurrency:
      return std::get<TCurrency>(value_).ToDouble();
    case varDouble:
      return std::get<double>(value_);
    case varDate:
      return std::get<TDateTime>(value_).Value;
    case varString: {
      double v;
      if (ParseDouble(std::get<std::string>(value_), v)) return v;
      ConvertError(varDouble);
    }
    default:
      ConvertError(varDouble);
  }
}

std::string Variant::AsString() const {
  switch (VarType()) {
    case varEmpty:
      return "";
    case varInteger:
      return std::to_string(std::get<int32_t>(value_));
    case varCurrency:
      return std::get<TCurrency>(value_).ToString();
    case varDouble:
      return FloatToText(std::get<double>(value_));
    case varString:
      return std::get<std::string>(value_);
    case varDate:
      return DateTimeToText(std::get<TDateTime>(value_));
    default:
      ConvertError(varString);
  }
}

TDateTime Variant::AsDateTime() const {
  switch (VarType()) {
    case varDate:
      return std::get<TDateTime>(value_);
    case varString: {
      TDateTime d;
      if (TryTextToDateTime(std::get<std::string>(value_), d)) return d;
      ConvertError(varDate);
    }
    case varEmpty:
    case varInteger:
    case varCurrency:
    case varDouble:
      return TDateTime{AsDouble()};
    default:
      ConvertError(varDate);
  }
}

std::vector<uint8_t> Variant::AsBinary() const {
  switch (VarType()) {
    case varBinary:
      return std::get<std::vector<uint8_t>>(value_);
    case varString: {
      const std::string& s = std::get<std::string>(value_);
      return std::vector<uint8_t>(s.begin(), s.end());
    }
    default:
      ConvertError(varBinary);
  }
}

bool Variant::operator==(const Variant& other) const {
  auto numeric = [](TVarType t) { return t == varInteger || t == varCurrency || t == varDouble || t == varDate; };
  TVarType a = VarType(), b = other.VarType();
  if (numeric(a) && numeric(b)) {
    if (a == varCurrency || b == varCurrency) {
      // Exact in ten-thousandths when both sides are.
      if ((a == varCurrency || a == varInteger) && (b == varCurrency || b == varInteger))
        return AsCurrency() == other.AsCurrency();
    }
    if (a == varInteger && b == varInteger) return std::get<int32_t>(value_) == std::get<int32_t>(other.value_);
    return AsDouble() == other.AsDouble();
  }
  return value_ == other.value_;
}
