// The data types of the library's value controls, the conversion of any
// value into one of them, and the invariant text form in which values are
// stored and compared whatever the user's locale. Portable.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Variant.h"
#include "platform/classes/TypInfo.h"

// The ordinal order is part of the stored forms: do not reorder.
KY_ENUM(TKyDataType, uint8_t, dtyInteger, dtyCurrency, dtyDouble, dtyString, dtyDateTime, dtyBinary, dtyMemo)

// Integer, currency, double, string and date-time hold a single value;
// controls that select one value refuse the others.
bool IsScalarDataType(TKyDataType type);
bool IsNumericDataType(TKyDataType type);

// Any value as a value of the type: null stays null; a string meant for a
// type other than dtyString is trimmed and empty means null. A value that
// cannot become the type raises EVariantError, for the caller to roll back.
Variant ConvertValue(const Variant& source, TKyDataType type);
// Booleans (check boxes): "1" or "0" as a string, 1 or 0 as a number.
Variant ConvertValue(bool source, TKyDataType type);

// ---- Invariant text ----
// Numbers: '.' decimal separator, no thousands separators when written.
// Dates: "mm/dd/yyyy", times "hh:mm:ss", both joined by a space.

std::string InvariantNumberText(int32_t value);
std::string InvariantNumberText(TCurrency value);
std::string InvariantNumberText(double value);
// A number with an optional sign, digits, '.' and an exponent; nothing else.
bool TryInvariantTextToNumber(const std::string& text, double& value);

// The date alone when there is no time of day, the time alone when the
// date part is day 0.
std::string InvariantDateText(TDateTime value);
// "mm/dd/yyyy", "hh:mm[:ss]" or both; false when it is not a valid date.
bool TryInvariantTextToDate(const std::string& text, TDateTime& value);

// The invariant text of a value ("" for none); binary values as their bytes.
std::string ValueToInvariantText(const Variant& value);
// The inverse for a data type: "" gives null for every type but dtyString
// and dtyMemo. Raises EVariantError on a text that is not of the type.
Variant InvariantTextToValue(const std::string& text, TKyDataType type);

// ---- Calendar arithmetic on date-time values ----

bool TryEncodeDate(int year, int month, int day, TDateTime& value);
// Raises EVariantError on an invalid date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second);
bool IsValidDate(int year, int month, int day);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second);
// 1 Sunday ... 7 Saturday.
int DayOfWeek(TDateTime value);
// A date plus a time of day, keeping the sign convention of negative dates
// (the fraction is always the time of the day named by the whole part).
TDateTime CombineDateTime(TDateTime date, TDateTime time);
// Today at 00:00 and now, in local time.
TDateTime Today();
TDateTime Now();
