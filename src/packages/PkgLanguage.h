// The language package: a locale record (date, time and number conventions,
// day and month names) that the library's masks, formatting and calendar use
// in place of the platform's, and the "System" and "User" strings packages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "packages/PkgInfo.h"
#include "packages/PkgStrings.h"

struct TPlatformLocale;

KY_ENUM(TKyDateYear, uint8_t, dyeNone, dyeYear2, dyeYear4)

struct TKyPkgLanguageLocale {
  // The latest year that a two-digit year stands for.
  int32_t CenturyLimit = 2049;
  // 0 day first, 1 otherwise.
  int32_t DateOrder = 0;
  std::string DateSeparator = "/";
  std::vector<std::string> LongDayNames;  // Sunday first
  std::vector<std::string> ShortDayNames;
  int32_t DateYear = dyeYear4;
  // Kept and returned; the library gives it no meaning.
  int32_t FurtherSetting = 0;
  int32_t CurrencyDecimals = 2;
  std::vector<std::string> LongMonthNames;
  std::vector<std::string> ShortMonthNames;
  std::string DecimalSeparator = ".";
  std::string ThousandSeparator = ",";
  // Handed to the calendar form.
  uint8_t CalendarSetting1 = 0;
  uint8_t CalendarSetting2 = 0;
  std::string TimeAMString;
  std::string TimePMString;
  std::string TimeSeparator = ":";
  bool UseSystem = false;

  // A two-digit year (0..99) as a full year under CenturyLimit.
  int32_t ExpandYear(int32_t twoDigitYear) const;
  // The first character of a separator, or the fallback when it is empty.
  static char SeparatorChar(const std::string& separator, char fallback);
  bool operator==(const TKyPkgLanguageLocale&) const = default;
};

// The library's locale without an application configuration: English names,
// "/" ":" "." ",", century limit 2049.
const TKyPkgLanguageLocale& LibraryDefaultLocale();

class TKyPkgLanguage : public TKyPkgInfo, public IKyPkgContainer {
  KY_CLASS(TKyPkgLanguage, TKyPkgInfo)
public:
  static constexpr TKyPkgKind kKind{"KyPkgLanguage", 1, 1, "lan", 33, 41};

  explicit TKyPkgLanguage(TComponent* owner);
  ~TKyPkgLanguage() override;
  const TKyPkgKind& Kind() const override { return kKind; }

  const TKyPkgLanguageLocale& Locale() const { return locale_; }
  // Replaces the locale (UseSystem included) and fires Change.
  void SetLocale(const TKyPkgLanguageLocale& value);
  bool UseSystem() const { return locale_.UseSystem; }
  // Turning it on refills the locale from the platform, unless loading.
  void SetUseSystem(bool value);

  // Fills the locale from the platform's current settings; notify fires
  // the package's change.
  void TakeSystemSettings(bool notify);
  // The same from settings given (tests, other sources).
  void TakeSettings(const TPlatformLocale& settings, bool notify);

  TKyPkgStrings& SystemStrings() { return *systemStrings_; }
  TKyPkgStrings& UserStrings() { return *userStrings_; }

  bool IsLoadingPackages() const override;

  void Clear() override;
  void ReadPackage(TKyReader& reader) override;
  void WritePackage(TKyWriter& writer) override;

  // After a reload by the owner (which held our passes back): labels,
  // messages and texts that found nothing try again, and every form
  // configuration re-applies its caption.
  void NotifyReloaded();

private:
  void InvalidateStrings();
  void NotifyStrings();
  void RunStringsPasses();

  TKyPkgLanguageLocale locale_;
  TKyPkgStrings* systemStrings_;
  TKyPkgStrings* userStrings_;
  int readingNested_ = 0;
};

// The locale that the library's masks and calendar use: the first
// application configuration's, else the library default.
const TKyPkgLanguageLocale& ActiveLocale();
