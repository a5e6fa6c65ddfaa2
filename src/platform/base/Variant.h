// Variant: the value of a data control (empty, null, integer, currency,
// double, string, date-time or binary) with the conversions between them.
// Portable.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/base/Exception.h"

class EVariantError : public Exception { using Exception::Exception; };

// A fixed-point amount with four decimals, held as ten-thousandths.
struct TCurrency {
  int64_t Ticks = 0;

  static TCurrency FromDouble(double value);  // rounds half to even, range-checked
  static TCurrency FromTicks(int64_t ticks) { return TCurrency{ticks}; }
  double ToDouble() const { return static_cast<double>(Ticks) / 10000.0; }
  // Up to four decimals, trailing zeros dropped: "12.5", "-0.0001", "3".
  std::string ToString() const;
  auto operator<=>(const TCurrency&) const = default;
};

// Days since 1899-12-30, the fraction the time of day.
// Days from 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d);
void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d);

struct TDateTime {
  double Value = 0;
  auto operator<=>(const TDateTime&) const = default;
};

enum TVarType : uint8_t { varEmpty, varNull, varInteger, varCurrency, varDouble, varString, varDate, varBinary };

class Variant {
public:
  Variant() = default;  // empty
  Variant(int32_t v) : value_(v) {}
  Variant(TCurrency v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}
  Variant(TDateTime v) : value_(v) {}
  Variant(std::vector<uint8_t> v) : value_(std::move(v)) {}
  static Variant Null();

  TVarType VarType() const { return static_cast<TVarType>(value_.index()); }
  bool IsEmpty() const { return VarType() == varEmpty; }
  bool IsNull() const { return VarType() == varNull; }
  // Empty or null: no value.
  bool IsClear() const { return IsEmpty() || IsNull(); }

  // Conversions; a value that cannot become the type raises EVariantError
  // "Could not convert variant of type (%s) into type (%s)". Empty converts
  // to 0 and to an empty string; null converts to nothing.
  int32_t AsInteger() const;
  TCurrency AsCurrency() const;
  double AsDouble() const;
  std::string AsString() const;
  TDateTime AsDateTime() const;
  std::vector<uint8_t> AsBinary() const;

  // Numeric types (integer, currency, double, date) compare by value across
  // types; other types only with their own type.
  bool operator==(const Variant& other) const;

  static const char* TypeName(TVarType type);

private:
  struct NullTag {
    bool operator==(const NullTag&) const = default;
  };
  [[noreturn]] void ConvertError(TVarType to) const;

  std::variant<std::monostate, NullTag, int32_t, TCurrency, double, std::string, TDateTime, std::vector<uint8_t>> value_;
};

// The shortest decimal text that reads back as the same double: plain for
// magnitudes from 1E-5 to below 1E15 ("3000000000", "0.1"), else "1.5E20".
std::string FloatToText(double value);

// Dates as text: "yyyy-mm-dd", with " hh:nn:ss" when there is a time of day.
std::string DateTimeToText(TDateTime value);
// Reads the form DateTimeToText writes (the time part optional); false when it is not one.
bool TryTextToDateTime(const std::string& text, TDateTime& value);
