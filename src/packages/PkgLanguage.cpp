#include "packages/PkgLanguage.h"

#include <algorithm>


#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "platform/base/Exception.h"
#include "platform/os/LocaleInfo.h"
#include "platform/base/SysUtils.h"

namespace {

// A separator is one character, stored as a string of length 1.
std::string ReadSeparator(TKyReader& reader) { return std::string(1, reader.ReadChar()); }

// The platform may name a separator with more characters; the first one stands for it.
void TakeSeparator(std::string& field, const std::string& platform) {
  if (!platform.empty()) field = platform.substr(0, 1);
}

// Written as exactly one character, whatever the field was set to.
std::string OneChar(const std::string& separator, char fallback) {
  return std::string(1, TKyPkgLanguageLocale::SeparatorChar(separator, fallback));
}

}  // namespace

// ---- Locale ----

int32_t TKyPkgLanguageLocale::ExpandYear(int32_t twoDigitYear) const {
  int32_t first = CenturyLimit - 99;
  int32_t year = twoDigitYear + 100 * (first / 100);
  if (year < first) year += 100;
  return year;
}

char TKyPkgLanguageLocale::SeparatorChar(const std::string& separator, char fallback) {
  return separator.empty() ? fallback : separator[0];
}

const TKyPkgLanguageLocale& LibraryDefaultLocale() {
  static const TKyPkgLanguageLocale locale = [] {
    TKyPkgLanguageLocale l;
    l.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    l.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    l.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    l.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    l.TimeAMString = "AM";
    l.TimePMString = "PM";
    return l;
  }();
  return locale;
}

const TKyPkgLanguageLocale& ActiveLocale() {
  if (TKyCApplication* app = FirstApplication()) return app->PkgLanguage()->Locale();
  return LibraryDefaultLocale();
}

// ---- The package ----

TKyPkgLanguage::TKyPkgLanguage(TComponent* owner)
    : TKyPkgInfo(owner),
      locale_(LibraryDefaultLocale()),
      systemStrings_(new TKyPkgStrings(this)),
      userStrings_(new TKyPkgStrings(this)) {
  systemStrings_->StorePkgName(kSystemPkg);
  userStrings_->StorePkgName(kUserPkg);
}

TKyPkgLanguage::~TKyPkgLanguage() {
  TKyConfigLock lock;
  TKyChangeBatch batch;
  InvalidateStrings();
  bool ownerGoing = Owner() && Owner()->IsDestroying();
  // Freed here, while this is still a container they can ask.
  Destroying();
  delete userStrings_;
  delete systemStrings_;
  if (!ownerGoing) NotifyStrings();
}

bool TKyPkgLanguage::IsLoadingPackages() const { return IsLoading() || readingNested_ > 0; }

void TKyPkgLanguage::SetLocale(const TKyPkgLanguageLocale& value) {
  if (value == locale_) return;
  TKyConfigLock lock;
  bool turnedOn = value.UseSystem && !locale_.UseSystem;
  locale_ = value;
  if (turnedOn && !IsLoading())
    TakeSystemSettings(true);
  else
    Change();
}

void TKyPkgLanguage::SetUseSystem(bool value) {
  if (value == locale_.UseSystem) return;
  locale_.UseSystem = value;
  if (value && !IsLoading()) TakeSystemSettings(true);
}

void TKyPkgLanguage::TakeSystemSettings(bool notify) { TakeSettings(GetPlatformLocale(), notify); }

void TKyPkgLanguage::TakeSettings(const TPlatformLocale& s, bool notify) {
  TKyConfigLock lock;
  TakeSeparator(locale_.ThousandSeparator, s.ThousandSeparator);
  TakeSeparator(locale_.DecimalSeparator, s.DecimalSeparator);
  TakeSeparator(locale_.DateSeparator, s.DateSeparator);
  TakeSeparator(locale_.TimeSeparator, s.TimeSeparator);
  locale_.TimeAMString = s.TimeAMString;
  locale_.TimePMString = s.TimePMString;
  std::string format = s.ShortDateFormat;
  // The platform writes its pictures in lower case: "d" and "yyyy" exactly.
  locale_.DateOrder = (!format.empty() && format[0] == 'd') ? 0 : 1;
  locale_.DateYear = format.find("yyyy") != std::string::npos ? dyeYear4 : dyeYear2;
  locale_.LongMonthNames.assign(s.LongMonthNames.begin(), s.LongMonthNames.end());
  locale_.ShortMonthNames.assign(s.ShortMonthNames.begin(), s.ShortMonthNames.end());
  locale_.LongDayNames.assign(s.LongDayNames.begin(), s.LongDayNames.end());
  locale_.ShortDayNames.assign(s.ShortDayNames.begin(), s.ShortDayNames.end());
  locale_.CurrencyDecimals = s.CurrencyDecimals;
  if (notify) Change();
}

void TKyPkgLanguage::InvalidateStrings() {
  for (TKyStringsTable t : {sttLabels, sttMessages, sttTexts}) {
    TKyMemoryReference::InvalidateTable(t, systemStrings_);
    TKyMemoryReference::InvalidateTable(t, userStrings_);
  }
}

void TKyPkgLanguage::NotifyReloaded() {
  if (ApplicationDestroying()) return;
  TKyChangeBatch batch;
  RunStringsPasses();
  TKyCForm::NotifyAll();
}

void TKyPkgLanguage::NotifyStrings() {
  if (IsLoading() || ApplicationDestroying()) return;
  RunStringsPasses();
}

void TKyPkgLanguage::RunStringsPasses() {
  for (TKyStringsTable t : {sttLabels, sttMessages, sttTexts}) {
    TKyMemoryReference::InvalidateEmpty(t);
    TKyMemoryReference::NotifyPass(t);
  }
}

void TKyPkgLanguage::Clear() {
  TKyPkgChangeScope scope(*this);
  InvalidateStrings();
  locale_ = LibraryDefaultLocale();
  ++readingNested_;
  try {
    systemStrings_->Clear();
    userStrings_->Clear();
  } catch (...) {
    --readingNested_;
    throw;
  }
  --readingNested_;
  NotifyStrings();
  Change();
}

namespace {

// A damaged count must not make us allocate before the data runs out; each
// name takes at least two bytes.
void ReadNames(TKyReader& reader, std::vector<std::string>& names, const std::string& file) {
  names.clear();
  int32_t count = std::max(reader.ReadInteger(), 0);  // negative: no names
  CheckPkgCount(reader, count, 2, file, "names");
  names.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) names.push_back(reader.ReadString());
}

void WriteNames(TKyWriter& writer, const std::vector<std::string>& names) {
  writer.WriteInteger(static_cast<int32_t>(names.size()));
  for (const auto& n : names) writer.WriteString(n);
}

}  // namespace

void TKyPkgLanguage::ReadPackage(TKyReader& reader) {
  TKyPkgChangeScope scope(*this);
  bool loading = scope.Loading();
  ReadHeader(reader);
  std::string file = HeaderFileName();
  InvalidateStrings();

  // Read into a copy: a damaged file leaves the locale as it was.
  TKyPkgLanguageLocale l = locale_;
  StoreDescription(reader.ReadString());
  l.CenturyLimit = reader.ReadInteger();
  l.DateOrder = reader.ReadInteger();
  l.DateSeparator = ReadSeparator(reader);
  ReadNames(reader, l.LongDayNames, file);
  ReadNames(reader, l.ShortDayNames, file);
  l.DateYear = reader.ReadInteger();
  l.FurtherSetting = reader.ReadInteger();
  l.CurrencyDecimals = reader.ReadInteger();
  ReadNames(reader, l.LongMonthNames, file);
  ReadNames(reader, l.ShortMonthNames, file);
  l.DecimalSeparator = ReadSeparator(reader);
  l.ThousandSeparator = ReadSeparator(reader);
  l.CalendarSetting1 = static_cast<uint8_t>(reader.ReadInteger());
  l.CalendarSetting2 = static_cast<uint8_t>(reader.ReadInteger());
  l.TimeAMString = reader.ReadString();
  l.TimePMString = reader.ReadString();
  l.TimeSeparator = ReadSeparator(reader);
  bool useSystem = reader.ReadBoolean();
  l.UseSystem = useSystem;
  locale_ = l;
  // A true value refills the locale from the platform right away.
  if (useSystem && !loading) TakeSystemSettings(false);

  {
    // The nested packages hold back their own passes: ours runs at the end.
    ++readingNested_;
    struct TEnd {
      int& n;
      ~TEnd() { --n; }
    } end{readingNested_};
    systemStrings_->ReadPackage(reader);
    userStrings_->ReadPackage(reader);
  }
  if (!loading) {
    NotifyStrings();
    TKyCForm::NotifyAll();
  }
  Change();
}

void TKyPkgLanguage::WritePackage(TKyWriter& writer) {
  WriteHeader(writer);
  const TKyPkgLanguageLocale& l = locale_;
  writer.WriteString(Description());
  writer.WriteInteger(l.CenturyLimit);
  writer.WriteInteger(l.DateOrder);
  writer.WriteString(OneChar(l.DateSeparator, '/'));
  WriteNames(writer, l.LongDayNames);
  WriteNames(writer, l.ShortDayNames);
  writer.WriteInteger(l.DateYear);
  writer.WriteInteger(l.FurtherSetting);
  writer.WriteInteger(l.CurrencyDecimals);
  WriteNames(writer, l.LongMonthNames);
  WriteNames(writer, l.ShortMonthNames);
  writer.WriteString(OneChar(l.DecimalSeparator, '.'));
  writer.WriteString(OneChar(l.ThousandSeparator, ','));
  writer.WriteInteger(l.CalendarSetting1);
  writer.WriteInteger(l.CalendarSetting2);
  writer.WriteString(l.TimeAMString);
  writer.WriteString(l.TimePMString);
  writer.WriteString(OneChar(l.TimeSeparator, ':'));
  writer.WriteBoolean(l.UseSystem);
  systemStrings_->WritePackage(writer);
  userStrings_->WritePackage(writer);
}
