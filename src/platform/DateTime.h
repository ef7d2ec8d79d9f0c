#pragma once
// Date-time values: days since 30 Dec 1899 held in a double, the fraction
// being the time of day. Civil (proleptic Gregorian) calendar, no time zone.

namespace platform {

struct CivilDate {
  int Year = 1899;
  int Month = 12;
  int Day = 30;
};

bool IsLeapYear(int year);
// Days in the month 1..12 of the year; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
// Whole day count of a civil date; the date must be valid (see IsValidDate).
double EncodeDate(int year, int month, int day);
bool IsValidDate(int year, int month, int day);
// Civil date of the whole day containing the value (floor, so times of
// day before midnight of negative values belong to the earlier day).
CivilDate DecodeDate(double value);
// Day of the week, 1 = Sunday .. 7 = Saturday, of the whole day containing
// the value, for any finite value; 7 for a value that is not finite.
int DayOfWeek(double value);
// Today's date (local civil date, no time) and the current date-time.
double Today();
double Now();
// Bounds of values the conversions accept (years 1..9999).
inline constexpr double kMinDateTime = -693593.0;  // 1 Jan 0001
inline constexpr double kMaxDateTime = 2958465.0;  // 31 Dec 9999

}  // namespace platform
