#include "platform/os/LocaleInfo.h"

#include "platform/os/WinApi.h"

#include <cstdlib>

namespace {

std::string Info(LCTYPE type) {
  char buf[256];
  int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
  if (n <= 0) return std::string();
  return std::string(buf, static_cast<size_t>(n - 1));  // n counts the terminator
}

}  // namespace

TPlatformLocale GetPlatformLocale() {
  TPlatformLocale l;
  l.ThousandSeparator = Info(LOCALE_STHOUSAND);
  l.DecimalSeparator = Info(LOCALE_SDECIMAL);
  l.DateSeparator = Info(LOCALE_SDATE);
  l.TimeSeparator = Info(LOCALE_STIME);
  l.TimeAMString = Info(LOCALE_S1159);
  l.TimePMString = Info(LOCALE_S2359);
  l.ShortDateFormat = Info(LOCALE_SSHORTDATE);
  for (int i = 0; i < 12; ++i) {
    l.LongMonthNames[i] = Info(LOCALE_SMONTHNAME1 + i);
    l.ShortMonthNames[i] = Info(LOCALE_SABBREVMONTHNAME1 + i);
  }
  // The platform counts days from Monday (name 1) to Sunday (name 7).
  for (int i = 0; i < 7; ++i) {
    int day = (i + 6) % 7;
    l.LongDayNames[i] = Info(LOCALE_SDAYNAME1 + day);
    l.ShortDayNames[i] = Info(LOCALE_SABBREVDAYNAME1 + day);
  }
  l.CurrencyDecimals = std::atoi(Info(LOCALE_ICURRDIGITS).c_str());
  return l;
}

int AnsiCompareText(const std::string& a, const std::string& b) {
  int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                         static_cast<int>(b.size()));
  if (r == 0) {  // only on bad arguments; keep an order all the same
    std::string ua(a), ub(b);
    CharUpperBuffA(ua.data(), static_cast<DWORD>(ua.size()));
    CharUpperBuffA(ub.data(), static_cast<DWORD>(ub.size()));
    return ua.compare(ub);
  }
  return r - CSTR_EQUAL;  // 1, 2, 3 -> -1, 0, 1
}
