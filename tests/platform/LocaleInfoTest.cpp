// The user's locale as the platform reports it, and shortcut texts.
#include <gtest/gtest.h>

#include "platform/os/WinApi.h"

#include "platform/os/LocaleInfo.h"
#include "platform/base/ShortCutText.h"

namespace {

std::string DateText(const char* format, WORD year, WORD month, WORD day) {
  SYSTEMTIME t{};
  t.wYear = year;
  t.wMonth = month;
  t.wDay = day;
  char buf[128];
  int n = GetDateFormatA(LOCALE_USER_DEFAULT, 0, &t, format, buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
}

std::string RawInfo(LCTYPE type) {
  char buf[128];
  int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
}

// Changes user settings for one test and puts the old values back.
class LocaleInfoTest : public ::testing::Test {
protected:
  void Set(LCTYPE type, const char* value) {
    saved_.emplace_back(type, RawInfo(type));
    ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, type, value));
  }
  void TearDown() override {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
      SetLocaleInfoA(LOCALE_USER_DEFAULT, it->first, it->second.c_str());
  }
  std::vector<std::pair<LCTYPE, std::string>> saved_;
};

}  // namespace

TEST_F(LocaleInfoTest, ReadsTheUsersCurrentSettings) {
  Set(LOCALE_SDECIMAL, "#");
  Set(LOCALE_STHOUSAND, "'");
  Set(LOCALE_SDATE, "-");
  Set(LOCALE_STIME, ".");
  Set(LOCALE_SSHORTDATE, "yyyy-MM-dd");
  Set(LOCALE_S1159, "vorm");
  Set(LOCALE_S2359, "nachm");
  Set(LOCALE_ICURRDIGITS, "3");
  TPlatformLocale l = GetPlatformLocale();
  EXPECT_EQ(l.DecimalSeparator, "#");
  EXPECT_EQ(l.ThousandSeparator, "'");
  EXPECT_EQ(l.DateSeparator, "-");
  EXPECT_EQ(l.TimeSeparator, ".");
  EXPECT_EQ(l.ShortDateFormat, "yyyy-MM-dd");
  EXPECT_EQ(l.TimeAMString, "vorm");
  EXPECT_EQ(l.TimePMString, "nachm");
  EXPECT_EQ(l.CurrencyDecimals, 3);
}

TEST_F(LocaleInfoTest, DayNamesStartOnSundayAndMonthsOnJanuary) {
  TPlatformLocale l = GetPlatformLocale();
  // 1 January 2023 was a Sunday: the platform's own date formatting names it.
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(l.LongDayNames[i], DateText("dddd", 2023, 1, static_cast<WORD>(1 + i))) << i;
    EXPECT_EQ(l.ShortDayNames[i], DateText("ddd", 2023, 1, static_cast<WORD>(1 + i))) << i;
  }
  for (int m = 0; m < 12; ++m) {
    EXPECT_EQ(l.LongMonthNames[m], DateText("MMMM", 2023, static_cast<WORD>(m + 1), 1)) << m;
    EXPECT_EQ(l.ShortMonthNames[m], DateText("MMM", 2023, static_cast<WORD>(m + 1), 1)) << m;
  }
  EXPECT_FALSE(l.LongDayNames[0].empty());
}

TEST(AnsiCompareTextTest, IgnoresCaseAndOrdersNames) {
  EXPECT_EQ(AnsiCompareText("FrMain", "FRMAIN"), 0);
  EXPECT_LT(AnsiCompareText("alpha", "Beta"), 0);
  EXPECT_GT(AnsiCompareText("Beta", "alpha"), 0);
  EXPECT_NE(AnsiCompareText("ab", "a-b"), 0);
  EXPECT_LT(AnsiCompareText("a", "ab"), 0);
}

TEST(ShortCutTextTest, TextsAndValues) {
  struct Case {
    TShortCut value;
    const char* text;
  } cases[] = {
      {0, "(None)"},           {0x75, "F6"},          {0x4000 | 0x2D, "Ctrl+Ins"},
      {0x4000 | 0x0D, "Ctrl+Enter"}, {0x4000 | 0x22, "Ctrl+PgDn"}, {0x2000 | 0x8000 | 'A', "Shift+Alt+A"},
      {0x6000 | 0x87, "Shift+Ctrl+F24"}, {0x63, "Num 3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCutToText(c.value), c.text);
    EXPECT_EQ(TextToShortCut(c.text), c.value) << c.text;
  }
  EXPECT_EQ(TextToShortCut("ctrl+ins"), 0x402D);
  EXPECT_EQ(TextToShortCut(" Ctrl + Del "), 0x402E);
  EXPECT_EQ(TextToShortCut("Hyper+A"), 0);
  EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
  EXPECT_EQ(ShortCutToText(0x4000 | 0xFF), "");  // no name for that key
}
