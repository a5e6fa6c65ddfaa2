// The user's locale settings as the platform reports them, and text
// comparison by the user's collation.
#pragma once

#include <array>
#include <string>

struct TPlatformLocale {
  std::string ThousandSeparator;
  std::string DecimalSeparator;
  std::string DateSeparator;
  std::string TimeSeparator;
  std::string TimeAMString;
  std::string TimePMString;
  std::string ShortDateFormat;
  std::array<std::string, 12> LongMonthNames;
  std::array<std::string, 12> ShortMonthNames;
  std::array<std::string, 7> LongDayNames;   // Sunday first
  std::array<std::string, 7> ShortDayNames;  // Sunday first
  int CurrencyDecimals = 0;
};

// The current user's settings, read afresh on every call.
TPlatformLocale GetPlatformLocale();

// <0, 0, >0 as a sorts before, equal to or after b ignoring case, by the
// user's collation.
int AnsiCompareText(const std::string& a, const std::string& b);
