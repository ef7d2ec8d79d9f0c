#include "common/SeriesHelpers.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>
#include <utility>

namespace {

// Growth factor x_i / x_(i-1); 0.0 when the previous value is 0.0.
double Growth(const TSeries& s, std::size_t i) { return s[i - 1].Value == 0.0 ? 0.0 : s[i].Value / s[i - 1].Value; }

// Period return x_i / x_(i-1) - 1; 0.0 when the previous value is 0.0.
double PeriodReturn(const TSeries& s, std::size_t i) {
  return s[i - 1].Value == 0.0 ? 0.0 : s[i].Value / s[i - 1].Value - 1.0;
}

}  // namespace

namespace {

// Ascending means every date is a number not below the one before (a NaN
// date fails every comparison). Branch-free, so that the scan vectorises.
bool IsAscending(const TSeries& series) {
  if (series.empty()) return true;
  bool ascending = !std::isnan(series.front().Date);
  for (std::size_t i = 1; i < series.size(); ++i) ascending &= series[i].Date >= series[i - 1].Date;
  return ascending;
}

// The run of an ascending series dated within [from, to], by binary search.
std::pair<TSeries::const_iterator, TSeries::const_iterator> AscendingRun(const TSeries& series, double from,
                                                                          double to) {
  const auto first = std::lower_bound(series.begin(), series.end(), from,
                                      [](const TDataPoint& p, double d) { return p.Date < d; });
  const auto last =
      std::upper_bound(first, series.end(), to, [](double d, const TDataPoint& p) { return d < p.Date; });
  return {first, last};
}

bool Inside(const TDataPoint& point, double from, double to) { return from <= point.Date && point.Date <= to; }

}  // namespace

TSeries SliceSeries(const TSeries& series, double from, double to) {
  if (from <= to && IsAscending(series)) {
    // The usual case: the kept points are one run, copied at once.
    const auto [first, last] = AscendingRun(series, from, to);
    return TSeries(first, last);
  }
  TSeries slice;
  std::copy_if(series.begin(), series.end(), std::back_inserter(slice),
               [from, to](const TDataPoint& p) { return Inside(p, from, to); });
  return slice;
}

void CutSeriesInPlace(TSeries& series, double from, double to) {
  if (from <= to && IsAscending(series)) {
    const auto [first, last] = AscendingRun(series, from, to);
    const auto begin = series.begin() + (first - series.cbegin());
    series.erase(begin + (last - first), series.end());
    series.erase(series.begin(), begin);
    return;
  }
  series.erase(std::remove_if(series.begin(), series.end(), [from, to](const TDataPoint& p) { return !Inside(p, from, to); }),
               series.end());
}

TSeries ComputeConvertedReturns(const TSeries& a, const TSeries& b) {
  TSeries result;
  if (a.empty() || b.empty()) return result;
  const auto [first, last] = GetCommonDateRange(a, b);
  const TSeries ca = SliceSeries(a, first, last);
  const TSeries cb = SliceSeries(b, first, last);
  if (ca.size() != cb.size() || ca.size() < 2) return result;
  result.reserve(ca.size() - 1);
  for (std::size_t i = 1; i < ca.size(); ++i) {
    // A currency move that cannot be measured (previous rate 0.0) counts as no move.
    const double growth = cb[i - 1].Value == 0.0 ? 1.0 : Growth(cb, i);
    result.push_back({ca[i].Date, (1.0 + PeriodReturn(ca, i)) * growth - 1.0});
  }
  return result;
}

TSeries ComputeHedgedReturns(const TSeries& a, const TSeries& b, const TSeries& c, double cost) {
  TSeries result;
  if (a.empty() || b.empty() || c.empty()) return result;
  const auto [firstAB, lastAB] = GetCommonDateRange(a, b);
  const auto [firstAC, lastAC] = GetCommonDateRange(a, c);
  const double first = std::max(firstAB, firstAC);
  const double last = std::min(lastAB, lastAC);
  const TSeries ca = SliceSeries(a, first, last);
  const TSeries cb = SliceSeries(b, first, last);
  const TSeries cc = SliceSeries(c, first, last);
  if (ca.size() != cb.size() || ca.size() != cc.size() || ca.size() < 2) return result;
  result.reserve(ca.size() - 1);
  for (std::size_t i = 1; i < ca.size(); ++i)
    result.push_back({ca[i].Date, (PeriodReturn(ca, i) - PeriodReturn(cb, i) - cost) * Growth(cc, i)});
  return result;
}

std::vector<std::int32_t> GetDescendingOrder(const std::vector<double>& values) {
  // Same order as repeatedly picking the largest remaining value (a later
  // index winning ties) from a running best of kNoFigure: values that can
  // never be picked (below kNoFigure, NaN) follow in ascending index order.
  std::vector<std::int32_t> order(values.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&values](std::int32_t i, std::int32_t j) {
    const double vi = values[static_cast<std::size_t>(i)];
    const double vj = values[static_cast<std::size_t>(j)];
    const bool qi = vi >= kNoFigure;
    const bool qj = vj >= kNoFigure;
    if (qi != qj) return qi;
    if (!qi) return i < j;
    if (vi != vj) return vi > vj;
    return i > j;
  });
  return order;
}

TSeries PrependSeries(const TSeries& a, const TSeries& b) {
  if (b.empty()) return a;
  TSeries joined;
  const double first = b.front().Date;
  for (const TDataPoint& point : a)
    if (point.Date < first) joined.push_back(point);
  joined.insert(joined.end(), b.begin(), b.end());
  return joined;
}
