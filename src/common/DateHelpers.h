#pragma once
// Date and period helpers: stepping a date back one period, period ends,
// month bounds, the grid of month ends, the date bounds of the countries'
// equity index series, the common date range of two series and the signal
// date grid. Dates are day counts (day 0 = 30 Dec 1899).
// Frequency codes: 0 monthly, 1 weekly, 2 daily; any other code is monthly.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "common/Records.h"

// Frequency codes of series.
inline constexpr int kFrequencyMonthly = 0;
inline constexpr int kFrequencyWeekly = 1;
inline constexpr int kFrequencyDaily = 2;

// One period earlier: daily the previous business day (Monday -> Friday,
// time of day kept), weekly 7 days earlier, monthly the last day of the
// previous month (time of day dropped).
double GetPreviousPeriodDate(double date, int frequency);

// Daily: Saturday and Sunday move back to Friday; weekly: back to the Friday
// on or before the date; monthly: the last day of the previous month.
double AlignToPeriodEnd(double date, int frequency);

// First and last day of the date's month (time of day dropped).
double GetStartOfMonth(double date);
double GetEndOfMonth(double date);

// The start date followed by month ends up to end: each next element is the
// last day of the month before that of (previous + 32 days). Empty when skip
// is not 0, when end < start or when a bound is not a number.
std::vector<double> BuildMonthlyDateGrid(double start, double end, int skip);

// First (useLastDates false) or last (true) dates of the countries' "EQINDEX"
// series combined over the list: the outer bound (common false) or the common
// bound (common true). Empty list: 1000000.0 for the earliest forms, 0.0 for
// the latest forms. Countries whose series at that position is empty are skipped.
double GetEquityIndexDateBound(const std::vector<TCountry>& countries, bool useLastDates, bool common);

// {first, last}: the later of the two first dates and the earlier of the two
// last dates. Both kNoFigure when a series is empty or first equals last;
// first may exceed last when the series do not overlap.
std::array<double, 2> GetCommonDateRange(const TSeries& a, const TSeries& b);

// The dates of the earliest-starting "QVSIGNAL" series of the countries (the
// earlier country wins on equal first dates), each with the value -1.0;
// empty when no country has such a series.
TSeries GetSignalDateGrid(const std::vector<TCountry>& countries);

// Position of the last asset with the given ID in the list; `fallback` when
// none matches (also for an empty list, which the caller has to check).
std::size_t FindAssetPosition(const std::vector<TAssetSeries>& assets, const std::string& id, std::size_t fallback = 0);
