// Variant values of data controls and their conversions.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/base/Variant.h"

namespace {

const char* Err = "error";

TEST(Variant, ConvertsBetweenTypesOrNamesBoth) {
  struct Case {
    Variant value;
    const char* asInteger;
    const char* asString;
    const char* asCurrency;
  };
  const Case cases[] = {
      {Variant(), "0", "", "0"},
      {Variant::Null(), Err, Err, Err},
      {Variant(42), "42", "42", "42"},
      {Variant(-7), "-7", "-7", "-7"},
      {Variant(2.5), "2", "2.5", "2.5"},  // halves round to even
      {Variant(3.5), "4", "3.5", "3.5"},
      {Variant(-2.5), "-2", "-2.5", "-2.5"},
      {Variant(0.1), "0", "0.1", "0.1"},
      {Variant(1.23456), "1", "1.23456", "1.2346"},
      {Variant(3e9), Err, "3000000000", "3000000000"},
      {Variant(TCurrency::FromTicks(-1)), "0", "-0.0001", "-0.0001"},
      {Variant(TCurrency::FromTicks(125000)), "12", "12.5", "12.5"},
      {Variant("17"), "17", "17", "17"},
      {Variant("0x1F"), "31", "0x1F", Err},
      {Variant("1.5"), Err, "1.5", "1.5"},
      {Variant("abc"), Err, "abc", Err},
      {Variant(TDateTime{36526.5}), "36526", "2000-01-01 12:00:00", "36526.5"},
      {Variant(std::vector<uint8_t>{1, 2}), Err, Err, Err},
  };
  auto text = [](auto f) -> std::string {
    try {
      return f();
    } catch (const EVariantError&) {
      return Err;
    }
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Variant::TypeName(c.value.VarType()) + std::string(" ") + text([&] { return c.value.AsString(); }));
    EXPECT_EQ(text([&] { return std::to_string(c.value.AsInteger()); }), c.asInteger);
    EXPECT_EQ(text([&] { return c.value.AsString(); }), c.asString);
    EXPECT_EQ(text([&] { return c.value.AsCurrency().ToString(); }), c.asCurrency);
  }
}

TEST(Variant, ErrorsNameBothTypes) {
  try {
    Variant::Null().AsInteger();
    ADD_FAILURE() << "no error";
  } catch (const EVariantError& e) {
    EXPECT_STREQ(e.what(), "Could not convert variant of type (Null) into type (Integer)");
  }
  try {
    Variant("x").AsDateTime();
    ADD_FAILURE() << "no error";
  } catch (const EVariantError& e) {
    EXPECT_STREQ(e.what(), "Could not convert variant of type (String) into type (Date)");
  }
}

TEST(Variant, DatesAndTextTurnIntoEachOther) {
  struct Case {
    double days;
    const char* text;
    double back;  // what the text reads as
  };
  const Case cases[] = {
      {0, "1899-12-30", 0},
      {1, "1899-12-31", 1},
      {-1, "1899-12-29", -1},
      {36526, "2000-01-01", 36526},
      {36585, "2000-02-29", 36585},
      {36586, "2000-03-01", 36586},
      {2.75, "1900-01-01 18:00:00", 2.75},
      {-1.75, "1899-12-29 18:00:00", -1.75},  // before day 0 the fraction is still the time
      {-0.25, "1899-12-30 06:00:00", 0.25},
      {45000.99999999, "2023-03-16", 45001},  // a fraction of a second before midnight
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DateTimeToText(TDateTime{c.days}), c.text);
    TDateTime back;
    ASSERT_TRUE(TryTextToDateTime(c.text, back));
    EXPECT_NEAR(back.Value, c.back, 1e-9);
  }
  const char* bad[] = {"1999-02-29", "2000-13-01", "2000-01-01 24:00:00", "2000-1-1", "2000-01-01x", ""};
  for (const char* b : bad) {
    TDateTime d;
    EXPECT_FALSE(TryTextToDateTime(b, d)) << b;
  }
}

TEST(Variant, FloatsReadAsShortPlainText) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {{3e9, "3000000000"}, {0.1, "0.1"},        {-2.5, "-2.5"},        {1e15, "1E15"},
                        {1e-5, "0.00001"},   {1.5e-6, "1.5E-6"}, {123456.789, "123456.789"}, {0, "0"},
                        {1.0 / 3, "0.3333333333333333"}};
  for (const Case& c : cases) EXPECT_EQ(FloatToText(c.value), c.text) << c.text;
}

TEST(Variant, NumbersCompareByValueAcrossTypes) {
  EXPECT_TRUE(Variant(2) == Variant(2.0));
  EXPECT_TRUE(Variant(2) == Variant(TCurrency::FromTicks(20000)));
  EXPECT_TRUE(Variant(TCurrency::FromDouble(0.1)) == Variant(TCurrency::FromTicks(1000)));
  EXPECT_FALSE(Variant(2) == Variant("2"));
  EXPECT_TRUE(Variant("a") == Variant("a"));
  EXPECT_FALSE(Variant("a") == Variant("A"));
  EXPECT_TRUE(Variant::Null() == Variant::Null());
  EXPECT_FALSE(Variant::Null() == Variant());
  EXPECT_TRUE(Variant(std::vector<uint8_t>{1}) == Variant(std::vector<uint8_t>{1}));
  EXPECT_TRUE(Variant().IsClear() && Variant::Null().IsClear() && !Variant(0).IsClear());
  EXPECT_THROW(TCurrency::FromDouble(1e20), EVariantError);
}

}  // namespace
