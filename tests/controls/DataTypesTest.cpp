#include <gtest/gtest.h>

#include <cmath>

#include "ControlsTestSupport.h"
#include "skin/DataTypes.h"

using namespace ky_test;

namespace {

const TDateTime kFeb1 = EncodeDate(2001, 2, 1);

struct TConvertCase {
  const char* name;
  Variant source;
  TKyDataType type;
  Variant expected;
};

}  // namespace

TEST(ConvertValue, EveryTypeFromEveryKindOfSource) {
  const Variant null = Variant::Null();
  const TConvertCase cases[] = {
      {"null stays null", null, dtyInteger, null},
      {"null string", null, dtyString, null},
      {"blank string to integer", Variant("  "), dtyInteger, null},
      {"blank string to date", Variant(" "), dtyDateTime, null},
      {"blank string stays a string", Variant("  "), dtyString, Variant("  ")},
      {"integer kept", Variant(int32_t{7}), dtyInteger, Variant(int32_t{7})},
      {"string to integer", Variant(" 42 "), dtyInteger, Variant(int32_t{42})},
      {"invariant decimal to integer rounds", Variant("12.75"), dtyInteger, Variant(int32_t{13})},
      {"double to integer", Variant(2.5), dtyInteger, Variant(int32_t{2})},
      {"string to currency", Variant("1234.5"), dtyCurrency, Variant(TCurrency::FromTicks(12345000))},
      {"integer to currency", Variant(int32_t{3}), dtyCurrency, Variant(TCurrency::FromTicks(30000))},
      {"string to double", Variant("-0.125"), dtyDouble, Variant(-0.125)},
      {"exponent to double", Variant("1.5E20"), dtyDouble, Variant(1.5e20)},
      {"integer to string", Variant(int32_t{-5}), dtyString, Variant("-5")},
      {"double to string", Variant(0.1), dtyString, Variant("0.1")},
      {"currency to string", Variant(TCurrency::FromTicks(125000)), dtyString, Variant("12.5")},
      {"date to string", Variant(kFeb1), dtyString, Variant("02/01/2001")},
      {"string to date", Variant("02/01/2001"), dtyDateTime, Variant(kFeb1)},
      {"string with time to date",
       Variant("02/01/2001 13:05:09"), dtyDateTime, Variant(CombineDateTime(kFeb1, EncodeTime(13, 5, 9)))},
      {"number to date", Variant(36923.0), dtyDateTime, Variant(kFeb1)},
      {"binary kept", Variant(std::vector<uint8_t>{1, 2}), dtyBinary, Variant(std::vector<uint8_t>{1, 2})},
      {"memo kept as it is", Variant(int32_t{9}), dtyMemo, Variant(int32_t{9})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Variant v = ConvertValue(c.source, c.type);
    EXPECT_EQ(v.VarType(), c.expected.VarType());
    EXPECT_TRUE(v == c.expected) << ValueToInvariantText(v);
  }
}

TEST(ConvertValue, BooleansAreOneAndZero) {
  EXPECT_TRUE(ConvertValue(true, dtyString) == Variant("1"));
  EXPECT_TRUE(ConvertValue(false, dtyString) == Variant("0"));
  EXPECT_TRUE(ConvertValue(true, dtyInteger) == Variant(int32_t{1}));
  EXPECT_TRUE(ConvertValue(false, dtyDouble) == Variant(0.0));
}

TEST(ConvertValue, TextsThatAreNotOfTheTypeRaiseForTheSetterToRollBack) {
  // Locale forms are not invariant numbers or dates.
  EXPECT_THROW(ConvertValue(Variant("1,5"), dtyDouble), EVariantError);
  EXPECT_THROW(ConvertValue(Variant("12abc"), dtyInteger), EVariantError);
  EXPECT_THROW(ConvertValue(Variant("0x10"), dtyInteger), EVariantError);
  EXPECT_THROW(ConvertValue(Variant("inf"), dtyDouble), EVariantError);
  EXPECT_THROW(ConvertValue(Variant("01.02.2001"), dtyDateTime), EVariantError);
  EXPECT_THROW(ConvertValue(Variant("02/30/2001"), dtyDateTime), EVariantError);
  EXPECT_THROW(ConvertValue(Variant("2001-02-01"), dtyDateTime), EVariantError);
  EXPECT_THROW(ConvertValue(Variant(5e12), dtyInteger), EVariantError);
  EXPECT_THROW(ConvertValue(Variant("1e300"), dtyCurrency), EVariantError);
  EXPECT_THROW(ConvertValue(Variant(std::vector<uint8_t>{1}), dtyInteger), EVariantError);
}

TEST(InvariantText, DatesAreMonthDayYearWhateverTheLocale) {
  for (const auto& locale : {EnglishLocale(), SpanishLocale(), GermanLocale(), IsoLocale()}) {
    TTstLibrary library(locale);
    EXPECT_EQ(InvariantDateText(kFeb1), "02/01/2001");
    EXPECT_EQ(ValueToInvariantText(Variant(1234.5)), "1234.5");
    EXPECT_TRUE(ConvertValue(Variant("1234.5"), dtyDouble) == Variant(1234.5));
  }
  EXPECT_EQ(InvariantDateText(CombineDateTime(kFeb1, EncodeTime(7, 8, 9))), "02/01/2001 07:08:09");
  EXPECT_EQ(InvariantDateText(EncodeTime(23, 59, 1)), "23:59:01");
  EXPECT_EQ(InvariantDateText(TDateTime{0}), "12/30/1899");
}

TEST(InvariantText, RoundTripsEveryDataType) {
  const TDateTime beforeDayZero = CombineDateTime(EncodeDate(1850, 7, 14), EncodeTime(18, 0, 0));
  const struct {
    TKyDataType type;
    Variant value;
  } cases[] = {
      {dtyInteger, Variant(int32_t{-2147483647 - 1})},
      {dtyInteger, Variant(int32_t{2147483647})},
      {dtyCurrency, Variant(TCurrency::FromTicks(-9223372036854775807LL))},
      {dtyCurrency, Variant(TCurrency::FromTicks(1))},
      {dtyDouble, Variant(0.1)},
      {dtyDouble, Variant(-1.2345678901234567e-7)},
      {dtyDouble, Variant(6.02214076e23)},
      {dtyString, Variant(" a, b; \"c\" ")},
      {dtyString, Variant("")},
      {dtyDateTime, Variant(kFeb1)},
      {dtyDateTime, Variant(CombineDateTime(EncodeDate(9999, 12, 31), EncodeTime(23, 59, 59)))},
      {dtyDateTime, Variant(beforeDayZero)},
      {dtyDateTime, Variant(EncodeTime(0, 0, 1))},
      {dtyBinary, Variant(std::vector<uint8_t>{0, 255, 10, 13, 0})},
      {dtyMemo, Variant("line 1\r\nline 2")},
  };
  for (const auto& c : cases) {
    std::string text = ValueToInvariantText(c.value);
    SCOPED_TRACE(text);
    Variant back = InvariantTextToValue(text, c.type);
    EXPECT_EQ(back.VarType(), c.value.VarType());
    EXPECT_TRUE(back == c.value);
  }
  EXPECT_TRUE(InvariantTextToValue("", dtyInteger).IsNull());
  EXPECT_TRUE(InvariantTextToValue("", dtyBinary).IsNull());
  EXPECT_EQ(InvariantTextToValue("", dtyString).AsString(), "");
}

TEST(Calendar, DatesBeforeDayZeroKeepTheTimeOfTheirDay) {
  TDateTime v = CombineDateTime(EncodeDate(1899, 12, 29), EncodeTime(18, 0, 0));
  EXPECT_DOUBLE_EQ(v.Value, -1.75);
  int y, m, d, h, n, s;
  DecodeDate(v, y, m, d);
  DecodeTime(v, h, n, s);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n, s}), (std::vector<int>{1899, 12, 29, 18, 0, 0}));
  EXPECT_EQ(DayOfWeek(kFeb1), 5);  // Thursday
  EXPECT_EQ(DayOfWeek(TDateTime{-1}), 6);
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
}
