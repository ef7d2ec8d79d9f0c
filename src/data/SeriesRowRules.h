#pragma once
// What a row of a data series may hold; a row outside these bounds is no
// market data of any series (a poisoned or corrupted row):
//   DATE     from 2 (1 January 1900, the missing date) to the last day of
//            the month after today's: monthly rows carry month ends and
//            daily rows past days, so no real row lies later
//   VALUE    finite, |VALUE| <= 1e12 (-1000.0, "no value", passes)
//   names    country and asset names of at most 64 characters (UTF-8
//            characters) without control bytes (0x00-0x1F, 0x7F)
// The reply reader checks every row it reads with CheckSeriesRow (and the
// parts that a reply kind carries), so a reply holding one such row is
// refused whole; the local files leave such rows out of their last dates
// and series and drop them at the next full download.

#include <cstddef>
#include <string>
#include <string_view>

#include "common/Records.h"

inline constexpr double kEarliestSeriesDate = 2.0;
inline constexpr double kMaxSeriesMagnitude = 1e12;
inline constexpr std::size_t kMaxSeriesNameChars = 64;

// The latest date a row may hold: the last day of the month that follows
// today's month (today 15 Mar -> 30 Apr; today 31 Jan -> 28 or 29 Feb).
double LatestSeriesDate(double today);

// Each check returns true when its part may be stored; otherwise false with
// problem set to what is wrong, naming the member ("DATE 1E15 is after the
// last day of next month").
bool CheckSeriesDate(double date, double latestDate, std::string& problem);
bool CheckSeriesValue(double value, std::string& problem);
// member: the member's name in the problem text ("COUNTRYNAME", "ASSETID").
bool CheckSeriesName(std::string_view name, const char* member, std::string& problem);
bool CheckSeriesPoint(const TDataPoint& point, double latestDate, std::string& problem);
// The whole row: country, asset, date and value, in this order.
bool CheckSeriesRow(std::string_view country, std::string_view asset, const TDataPoint& point, double latestDate,
                    std::string& problem);
