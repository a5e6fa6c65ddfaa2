#include "skin/DataTypes.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/base/SysUtils.h"

namespace {

const int64_t kDayZero = DaysFromCivil(1899, 12, 30);

// The whole day and the seconds of the time of day; a value whose time
// rounds up to midnight belongs to the next day.
void SplitDateTime(TDateTime value, int64_t& day, int64_t& seconds) {
  double days = std::trunc(value.Value);
  seconds = std::llround(std::fabs(value.Value - days) * 86400.0);
  day = static_cast<int64_t>(days);
  if (seconds >= 86400) {
    day += value.Value < 0 ? -1 : 1;
    seconds -= 86400;
  }
}

[[noreturn]] void CannotConvert(const Variant& source, TVarType to) {
  throw EVariantError(std::string("Could not convert variant of type (") + Variant::TypeName(source.VarType()) +
                      ") into type (" + Variant::TypeName(to) + ")");
}

double TextToNumberOrRaise(const std::string& text, const Variant& source, TVarType to) {
  double v;
  if (!TryInvariantTextToNumber(text, v)) CannotConvert(source, to);
  return v;
}

// Reads "nn" or "nnnn" fields of a date or time: digits only, 1..maxDigits.
bool ReadField(const std::string& s, size_t& pos, size_t maxDigits, int& value) {
  size_t start = pos;
  value = 0;
  while (pos < s.size() && pos - start < maxDigits && s[pos] >= '0' && s[pos] <= '9') value = value * 10 + (s[pos++] - '0');
  return pos > start;
}

bool ReadDatePart(const std::string& s, int& y, int& m, int& d) {
  size_t pos = 0;
  if (!ReadField(s, pos, 2, m) || pos >= s.size() || s[pos++] != '/') return false;
  if (!ReadField(s, pos, 2, d) || pos >= s.size() || s[pos++] != '/') return false;
  if (!ReadField(s, pos, 4, y)) return false;
  return pos == s.size() && IsValidDate(y, m, d);
}

bool ReadTimePart(const std::string& s, int& h, int& n, int& sec) {
  size_t pos = 0;
  sec = 0;
  if (!ReadField(s, pos, 2, h) || pos >= s.size() || s[pos++] != ':') return false;
  if (!ReadField(s, pos, 2, n)) return false;
  if (pos < s.size()) {
    if (s[pos++] != ':' || !ReadField(s, pos, 2, sec)) return false;
  }
  return pos == s.size() && h < 24 && n < 60 && sec < 60;
}

// Currency text read exactly in ten-thousandths: through a double, amounts
// above 2^53 ticks would lose their last digits. Digits past the fourth
// decimal round half to even. False for other forms (exponents).
bool TryExactCurrency(const std::string& text, TCurrency& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // 2^63 ticks: one past the largest amount, which a negative one reaches.
  // Each step is checked before it is taken, so 64 bits hold every value.
  uint64_t ticks = 0;
  const uint64_t limit = static_cast<uint64_t>(INT64_MAX) + 1;
  auto push = [&](unsigned d) {
    if (ticks > (limit - d) / 10) return false;
    ticks = ticks * 10 + d;
    return true;
  };
  size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
    if (!push(static_cast<unsigned>(text[i] - '0'))) return false;
  int decimals = 0;
  int roundDigit = -1;
  bool sticky = false;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
      unsigned d = static_cast<unsigned>(text[i] - '0');
      if (decimals < 4) {
        if (!push(d)) return false;
        ++decimals;
      } else if (roundDigit < 0) {
        roundDigit = static_cast<int>(d);
      } else if (d) {
        sticky = true;
      }
    }
  }
  if (i != text.size() || digits == 0) return false;
  for (; decimals < 4; ++decimals)
    if (!push(0)) return false;
  if (roundDigit > 5 || (roundDigit == 5 && (sticky || (ticks & 1)))) ++ticks;
  if (ticks > limit || (!negative && ticks == limit)) return false;
  value.Ticks = negative ? static_cast<int64_t>(0 - ticks) : static_cast<int64_t>(ticks);
  return true;
}

}  // namespace

bool IsScalarDataType(TKyDataType type) { return type <= dtyDateTime; }
bool IsNumericDataType(TKyDataType type) { return type == dtyInteger || type == dtyCurrency || type == dtyDouble; }

// ---- Calendar ----

bool IsValidDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& value) {
  if (!IsValidDate(year, month, day)) return false;
  value.Value = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kDayZero);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime v;
  if (!TryEncodeDate(year, month, day, v)) throw EVariantError("Invalid argument to date encode");
  return v;
}

TDateTime EncodeTime(int hour, int minute, int second) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    throw EVariantError("Invalid argument to time encode");
  return TDateTime{(hour * 3600 + minute * 60 + second) / 86400.0};
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  int64_t d, s;
  SplitDateTime(value, d, s);
  int64_t y;
  unsigned m, dd;
  CivilFromDays(d + kDayZero, y, m, dd);
  year = static_cast<int>(y);
  month = static_cast<int>(m);
  day = static_cast<int>(dd);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second) {
  int64_t d, s;
  SplitDateTime(value, d, s);
  hour = static_cast<int>(s / 3600);
  minute = static_cast<int>(s / 60 % 60);
  second = static_cast<int>(s % 60);
}

int DayOfWeek(TDateTime value) {
  int64_t d, s;
  SplitDateTime(value, d, s);
  // Day 0 (1899-12-30) was a Saturday.
  int64_t w = (d + 6) % 7;
  if (w < 0) w += 7;
  return static_cast<int>(w) + 1;
}

TDateTime CombineDateTime(TDateTime date, TDateTime time) {
  double whole = std::trunc(date.Value);
  double t = std::fabs(time.Value - std::trunc(time.Value));
  return TDateTime{whole < 0 ? whole - t : whole + t};
}

TDateTime Now() {
  std::time_t t = std::time(nullptr);
  std::tm local = *std::localtime(&t);
  TDateTime date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  int sec = local.tm_sec > 59 ? 59 : local.tm_sec;  // leap seconds
  return CombineDateTime(date, EncodeTime(local.tm_hour, local.tm_min, sec));
}

TDateTime Today() { return TDateTime{std::trunc(Now().Value)}; }

// ---- Invariant text ----

std::string InvariantNumberText(int32_t value) { return std::to_string(value); }
std::string InvariantNumberText(TCurrency value) { return value.ToString(); }
std::string InvariantNumberText(double value) { return FloatToText(value); }

bool TryInvariantTextToNumber(const std::string& text, double& value) {
  std::string s = Trim(text);
  if (s.empty()) return false;
  const char* b = s.data();
  const char* e = s.data() + s.size();
  if (*b == '+') ++b;
  // from_chars would also read "inf", "nan" and hexadecimal forms.
  for (const char* p = b; p != e; ++p) {
    char c = *p;
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
  }
  auto [p, ec] = std::from_chars(b, e, value);
  return ec == std::errc() && p == e && std::isfinite(value);
}

std::string InvariantDateText(TDateTime value) {
  int64_t day, seconds;
  SplitDateTime(value, day, seconds);
  char buf[64];
  std::string time;
  if (seconds != 0) {
    std::snprintf(buf, sizeof buf, "%2.2d:%2.2d:%2.2d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    time = buf;
    if (day == 0) return time;
  }
  int y, m, d;
  DecodeDate(value, y, m, d);
  std::snprintf(buf, sizeof buf, "%2.2d/%2.2d/%4.4d", m, d, y);
  return time.empty() ? std::string(buf) : std::string(buf) + " " + time;
}

bool TryInvariantTextToDate(const std::string& text, TDateTime& value) {
  std::string s = Trim(text);
  if (s.empty()) return false;
  std::string datePart, timePart;
  size_t space = s.find(' ');
  if (space != std::string::npos) {
    datePart = s.substr(0, space);
    timePart = Trim(s.substr(space + 1));
  } else if (s.find('/') != std::string::npos) {
    datePart = s;
  } else {
    timePart = s;
  }
  TDateTime date{0}, time{0};
  if (!datePart.empty()) {
    int y, m, d;
    if (!ReadDatePart(datePart, y, m, d) || !TryEncodeDate(y, m, d, date)) return false;
  }
  if (!timePart.empty()) {
    int h, n, sec;
    if (!ReadTimePart(timePart, h, n, sec)) return false;
    time = EncodeTime(h, n, sec);
  }
  value = CombineDateTime(date, time);
  return true;
}

std::string ValueToInvariantText(const Variant& value) {
  switch (value.VarType()) {
    case varEmpty:
    case varNull:
      return "";
    case varInteger:
      return InvariantNumberText(value.AsInteger());
    case varCurrency:
      return InvariantNumberText(value.AsCurrency());
    case varDouble:
      return InvariantNumberText(value.AsDouble());
    case varDate:
      return InvariantDateText(value.AsDateTime());
    case varBinary: {
      std::vector<uint8_t> bytes = value.AsBinary();
      return std::string(bytes.begin(), bytes.end());
    }
    default:
      return value.AsString();
  }
}

Variant InvariantTextToValue(const std::string& text, TKyDataType type) {
  switch (type) {
    case dtyString:
    case dtyMemo:
      return Variant(text);
    case dtyBinary:
      if (text.empty()) return Variant::Null();
      return Variant(std::vector<uint8_t>(text.begin(), text.end()));
    default:
      return ConvertValue(Variant(text), type);
  }
}

// ---- Conversion ----

Variant ConvertValue(const Variant& source, TKyDataType type) {
  if (source.IsNull()) return Variant::Null();
  const bool isString = source.VarType() == varString;
  std::string text;
  if (isString && type != dtyString) {
    text = Trim(source.AsString());
    if (text.empty()) return Variant::Null();
  }
  switch (type) {
    case dtyInteger: {
      if (source.VarType() == varInteger) return source;
      if (isString) {
        int32_t i;
        // Plain decimal integers only: "$10" or "0x10" are not numbers here.
        auto [p, ec] = std::from_chars(text.data() + (text[0] == '+' ? 1 : 0), text.data() + text.size(), i);
        if (ec == std::errc() && p == text.data() + text.size()) return Variant(i);
        return Variant(Variant(TextToNumberOrRaise(text, source, varInteger)).AsInteger());
      }
      return Variant(source.AsInteger());
    }
    case dtyCurrency:
      if (source.VarType() == varCurrency) return source;
      if (isString) {
        TCurrency exact;
        if (TryExactCurrency(text, exact)) return Variant(exact);
        double d = TextToNumberOrRaise(text, source, varCurrency);
        try {
          return Variant(TCurrency::FromDouble(d));
        } catch (const EVariantError&) {
          CannotConvert(source, varCurrency);
        }
      }
      return Variant(source.AsCurrency());
    case dtyDouble:
      if (source.VarType() == varDouble) return source;
      if (isString) return Variant(TextToNumberOrRaise(text, source, varDouble));
      return Variant(source.AsDouble());
    case dtyString:
      switch (source.VarType()) {
        case varString:
          return source;
        case varInteger:
        case varCurrency:
        case varDouble:
        case varDate:
          return Variant(ValueToInvariantText(source));
        default:
          return Variant(source.AsString());
      }
    case dtyDateTime: {
      if (source.VarType() == varDate) return source;
      if (isString) {
        TDateTime d;
        if (!TryInvariantTextToDate(text, d)) CannotConvert(source, varDate);
        return Variant(d);
      }
      return Variant(source.AsDateTime());
    }
    case dtyBinary:
    case dtyMemo:
      return source;
  }
  return source;
}

Variant ConvertValue(bool source, TKyDataType type) {
  switch (type) {
    case dtyString:
    case dtyMemo:
      return Variant(std::string(source ? "1" : "0"));
    case dtyBinary:
      return Variant(std::vector<uint8_t>{static_cast<uint8_t>(source ? 1 : 0)});
    default:
      return ConvertValue(Variant(int32_t{source ? 1 : 0}), type);
  }
}
