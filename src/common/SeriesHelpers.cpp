#include "common/SeriesHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <iterator>
#include <numeric>
#include <utility>

namespace {

// Growth factor x_i / x_(i-1); 0.0 when the previous value is 0.0.
double Growth(TSeriesSpan s, std::size_t i) { return s[i - 1].Value == 0.0 ? 0.0 : s[i].Value / s[i - 1].Value; }

// Period return x_i / x_(i-1) - 1; 0.0 when the previous value is 0.0.
double PeriodReturn(TSeriesSpan s, std::size_t i) {
  return s[i - 1].Value == 0.0 ? 0.0 : s[i].Value / s[i - 1].Value - 1.0;
}

}  // namespace

namespace {

// Ascending means every date is a number not below the one before (a NaN
// date fails every comparison). Branch-free; with SSE2 four points a step,
// each point compared as a (date, value) pair with the one before, of which
// only the date lane counts.
bool IsAscending(TSeriesSpan series) {
  static_assert(sizeof(TDataPoint) == 2 * sizeof(double) && offsetof(TDataPoint, Date) == 0);
  const std::size_t n = series.size();
  if (n == 0) return true;
  const double* d = &series.data()->Date;  // dates at d[2i], values at d[2i + 1]
  bool ascending = !std::isnan(d[0]);
  std::size_t i = 1;
#if defined(__SSE2__)
  __m128d ok0 = _mm_castsi128_pd(_mm_set1_epi32(-1));
  __m128d ok1 = ok0;
  __m128d ok2 = ok0;
  __m128d ok3 = ok0;
  for (; i + 4 <= n; i += 4) {
    const double* p = d + 2 * i;
    ok0 = _mm_and_pd(ok0, _mm_cmpge_pd(_mm_loadu_pd(p), _mm_loadu_pd(p - 2)));
    ok1 = _mm_and_pd(ok1, _mm_cmpge_pd(_mm_loadu_pd(p + 2), _mm_loadu_pd(p)));
    ok2 = _mm_and_pd(ok2, _mm_cmpge_pd(_mm_loadu_pd(p + 4), _mm_loadu_pd(p + 2)));
    ok3 = _mm_and_pd(ok3, _mm_cmpge_pd(_mm_loadu_pd(p + 6), _mm_loadu_pd(p + 4)));
  }
  ascending &= (_mm_movemask_pd(_mm_and_pd(_mm_and_pd(ok0, ok1), _mm_and_pd(ok2, ok3))) & 1) != 0;
#endif
  for (; i < n; ++i) ascending &= d[2 * i] >= d[2 * (i - 1)];
  return ascending;
}

bool Inside(const TDataPoint& point, double from, double to) { return from <= point.Date && point.Date <= to; }

}  // namespace

bool IsAscendingRun(TSeriesSpan points) { return IsAscending(points); }

std::optional<std::pair<std::size_t, std::size_t>> AscendingRunInRange(const TSeries& series, double from, double to) {
  if (!(from <= to) || !IsAscending(series)) return std::nullopt;
  const auto first = std::lower_bound(series.begin(), series.end(), from,
                                      [](const TDataPoint& p, double d) { return p.Date < d; });
  const auto last =
      std::upper_bound(first, series.end(), to, [](double d, const TDataPoint& p) { return d < p.Date; });
  return std::pair<std::size_t, std::size_t>(static_cast<std::size_t>(first - series.begin()),
                                             static_cast<std::size_t>(last - series.begin()));
}

TSeriesSpan SliceSpan(const TSeries& series, double from, double to, TSeries& scratch) {
  if (const auto run = AscendingRunInRange(series, from, to))
    return TSeriesSpan(series.data() + run->first, run->second - run->first);
  scratch.clear();
  std::copy_if(series.begin(), series.end(), std::back_inserter(scratch),
               [from, to](const TDataPoint& p) { return Inside(p, from, to); });
  return scratch;
}

TSeries SliceSeries(const TSeries& series, double from, double to) {
  TSeries slice;
  const TSeriesSpan kept = SliceSpan(series, from, to, slice);
  // The usual case: the kept points are one run of the series, copied at once.
  if (kept.data() != slice.data()) slice.assign(kept.begin(), kept.end());
  return slice;
}

void SliceSeriesInto(TSeries& target, const TSeries& series, double from, double to) {
  if (&target == &series) return CutSeriesInPlace(target, from, to);
  if (const auto run = AscendingRunInRange(series, from, to)) {
    const TDataPoint* kept = series.data() + run->first;
    const std::size_t count = run->second - run->first;
    // A target that already holds the cut (that of an earlier run) is not written.
    if (target.size() == count && (count == 0 || std::memcmp(target.data(), kept, count * sizeof(TDataPoint)) == 0))
      return;
    target.assign(kept, kept + count);
    return;
  }
  target.clear();
  std::copy_if(series.begin(), series.end(), std::back_inserter(target),
               [from, to](const TDataPoint& p) { return Inside(p, from, to); });
}

void CutSeriesInPlace(TSeries& series, double from, double to) {
  if (const auto run = AscendingRunInRange(series, from, to)) {
    series.erase(series.begin() + static_cast<std::ptrdiff_t>(run->second), series.end());
    series.erase(series.begin(), series.begin() + static_cast<std::ptrdiff_t>(run->first));
    return;
  }
  series.erase(std::remove_if(series.begin(), series.end(), [from, to](const TDataPoint& p) { return !Inside(p, from, to); }),
               series.end());
}

TSeries ComputeConvertedReturns(const TSeries& a, const TSeries& b) {
  TSeries result;
  if (a.empty() || b.empty()) return result;
  const auto [first, last] = GetCommonDateRange(a, b);
  TSeries copyA;
  TSeries copyB;
  const TSeriesSpan ca = SliceSpan(a, first, last, copyA);
  const TSeriesSpan cb = SliceSpan(b, first, last, copyB);
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
  TSeries copyA;
  TSeries copyB;
  TSeries copyC;
  const TSeriesSpan ca = SliceSpan(a, first, last, copyA);
  const TSeriesSpan cb = SliceSpan(b, first, last, copyB);
  const TSeriesSpan cc = SliceSpan(c, first, last, copyC);
  if (ca.size() != cb.size() || ca.size() != cc.size() || ca.size() < 2) return result;
  result.reserve(ca.size() - 1);
  for (std::size_t i = 1; i < ca.size(); ++i)
    result.push_back({ca[i].Date, (PeriodReturn(ca, i) - PeriodReturn(cb, i) - cost) * Growth(cc, i)});
  return result;
}

namespace {

// Whether index i comes before j. Same order as repeatedly picking the
// largest remaining value (a later index winning ties) from a running best of
// kNoFigure: values that can never be picked (below kNoFigure, NaN) follow in
// ascending index order. Every two indices are ordered, so the order is unique.
bool DescendingBefore(const std::vector<double>& values, std::int32_t i, std::int32_t j) {
  const double vi = values[static_cast<std::size_t>(i)];
  const double vj = values[static_cast<std::size_t>(j)];
  const bool qi = vi >= kNoFigure;
  const bool qj = vj >= kNoFigure;
  if (qi != qj) return qi;
  if (!qi) return i < j;
  if (vi != vj) return vi > vj;
  return i > j;
}

bool IsOrderOf(const std::vector<std::int32_t>& order, std::size_t n) {
  if (order.size() != n) return false;
  std::vector<bool> seen(n, false);
  for (std::int32_t i : order) {
    if (i < 0 || static_cast<std::size_t>(i) >= n || seen[static_cast<std::size_t>(i)]) return false;
    seen[static_cast<std::size_t>(i)] = true;
  }
  return true;
}

}  // namespace

std::vector<std::int32_t> GetDescendingOrder(const std::vector<double>& values) {
  std::vector<std::int32_t> order(values.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&values](std::int32_t i, std::int32_t j) { return DescendingBefore(values, i, j); });
  return order;
}

void SortDescendingOrder(const std::vector<double>& values, std::vector<std::int32_t>& order) {
  if (!IsOrderOf(order, values.size())) {
    order = GetDescendingOrder(values);
    return;
  }
  // Insertion sort: as many moves as pairs out of order.
  for (std::size_t i = 1; i < order.size(); ++i) {
    const std::int32_t moving = order[i];
    std::size_t j = i;
    for (; j > 0 && DescendingBefore(values, moving, order[j - 1]); --j) order[j] = order[j - 1];
    order[j] = moving;
  }
}

void RankMembers(const std::vector<double>& values, const std::vector<std::size_t>& members,
                 std::vector<std::int32_t>& order, std::vector<std::size_t>& previous,
                 std::vector<std::int32_t>& place) {
  for (std::size_t p = 0; p < members.size(); ++p) place[members[p]] = static_cast<std::int32_t>(p);
  // The members ranked at the date before, in their order, then the others.
  order.clear();
  for (std::size_t line : previous)
    if (place[line] >= 0) {
      order.push_back(place[line]);
      place[line] = -1;
    }
  for (std::size_t line : members)
    if (place[line] >= 0) {
      order.push_back(place[line]);
      place[line] = -1;
    }
  SortDescendingOrder(values, order);
  previous.clear();
  for (std::int32_t p : order) previous.push_back(members[static_cast<std::size_t>(p)]);
}

TSeries PrependSeries(const TSeries& a, const TSeries& b) {
  TSeries joined;
  PrependSeriesInto(joined, a, b);
  return joined;
}

void PrependSeriesInto(TSeries& target, const TSeries& a, const TSeries& b) {
  if (b.empty()) {
    target.assign(a.begin(), a.end());
    return;
  }
  target.clear();
  const double first = b.front().Date;
  for (const TDataPoint& point : a)
    if (point.Date < first) target.push_back(point);
  target.insert(target.end(), b.begin(), b.end());
}
