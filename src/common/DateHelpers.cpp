#include "common/DateHelpers.h"

#include <algorithm>
#include <cmath>

#include "platform/DateTime.h"

namespace {

constexpr int kFriday = 6;  // DayOfWeek: 1 Sunday .. 7 Saturday
constexpr int kMonday = 2;
constexpr double kLowDateBound = 1000000.0;  // start of the "earliest" forms
constexpr double kHighDateBound = 0.0;       // start of the "latest" forms

// Last day of the month before the date's month (time of day dropped).
double EndOfPreviousMonth(double date) {
  const platform::CivilDate d = platform::DecodeDate(date);
  return platform::EncodeDate(d.Year, d.Month, 1) - 1.0;
}

}  // namespace

std::size_t FindAssetPosition(const std::vector<TAssetSeries>& assets, const std::string& id, std::size_t fallback) {
  std::size_t position = fallback;
  for (std::size_t i = 0; i < assets.size(); ++i)
    if (assets[i].ID == id) position = i;
  return position;
}

double GetPreviousPeriodDate(double date, int frequency) {
  if (!std::isfinite(date)) return date;
  switch (frequency) {
    case kFrequencyDaily:
      return platform::DayOfWeek(date) == kMonday ? date - 3.0 : date - 1.0;
    case kFrequencyWeekly:
      return date - 7.0;
    default:
      return EndOfPreviousMonth(date);
  }
}

double AlignToPeriodEnd(double date, int frequency) {
  if (!std::isfinite(date)) return date;
  const int day = platform::DayOfWeek(date);
  switch (frequency) {
    case kFrequencyDaily:
      if (day == 7) return date - 1.0;  // Saturday
      if (day == 1) return date - 2.0;  // Sunday
      return date;
    case kFrequencyWeekly:
      // Days back to the Friday on or before the date.
      return date - static_cast<double>((day - kFriday + 7) % 7);
    default:
      return EndOfPreviousMonth(date);
  }
}

double GetStartOfMonth(double date) {
  if (!std::isfinite(date)) return date;
  const platform::CivilDate d = platform::DecodeDate(date);
  return platform::EncodeDate(d.Year, d.Month, 1);
}

double GetEndOfMonth(double date) {
  if (!std::isfinite(date)) return date;
  const platform::CivilDate d = platform::DecodeDate(date);
  return platform::EncodeDate(d.Year, d.Month, platform::DaysInMonth(d.Year, d.Month));
}

std::vector<double> BuildMonthlyDateGrid(double start, double end, int skip) {
  std::vector<double> grid;
  if (skip != 0 || !std::isfinite(start) || !std::isfinite(end) || end < start) return grid;
  double d = start;
  while (true) {
    grid.push_back(d);
    const double next = AlignToPeriodEnd(d + 32.0, kFrequencyMonthly);
    // The calendar ends in year 9999: a date that no longer advances stops the grid.
    if (!(next > d) || next > end) break;
    d = next;
  }
  return grid;
}

double GetEquityIndexDateBound(const std::vector<TCountry>& countries, bool useLastDates, bool common) {
  // The earliest forms start high and take minima, the latest forms start low and take maxima.
  const bool takeMinimum = useLastDates == common;
  double bound = takeMinimum ? kLowDateBound : kHighDateBound;
  if (countries.empty()) return bound;
  const std::size_t p = FindAssetPosition(countries.front().IndexAssets, "EQINDEX");
  for (const TCountry& country : countries) {
    if (p >= country.IndexAssets.size()) continue;
    const TSeries& series = country.IndexAssets[p].Series;
    if (series.empty()) continue;
    const double date = useLastDates ? series.back().Date : series.front().Date;
    if (std::isnan(date)) continue;
    bound = takeMinimum ? std::min(date, bound) : std::max(date, bound);
  }
  return bound;
}

std::array<double, 2> GetCommonDateRange(const TSeries& a, const TSeries& b) {
  const std::array<double, 2> none{kNoFigure, kNoFigure};
  if (a.empty() || b.empty()) return none;
  double first = kNoFigure;
  double last = -kNoFigure;
  for (const TSeries* s : {&a, &b}) {
    if (s->front().Date >= kNoFigure) first = std::max(first, s->front().Date);
    if (s->back().Date <= -kNoFigure) last = std::min(last, s->back().Date);
  }
  if (first == last) return none;
  return {first, last};
}

TSeries GetSignalDateGrid(const std::vector<TCountry>& countries) {
  TSeries grid;
  if (countries.empty()) return grid;
  const std::size_t p = FindAssetPosition(countries.front().SignalAssets, "QVSIGNAL");
  const TSeries* earliest = nullptr;
  for (const TCountry& country : countries) {
    if (p >= country.SignalAssets.size()) continue;
    const TSeries& series = country.SignalAssets[p].Series;
    if (series.empty()) continue;
    if (earliest == nullptr || series.front().Date < earliest->front().Date) earliest = &series;
  }
  if (earliest == nullptr) return grid;
  grid.reserve(earliest->size());
  for (const TDataPoint& point : *earliest) grid.push_back({point.Date, kMissingSignal});
  return grid;
}
