#include "common/SeriesArithmetic.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "common/DateHelpers.h"
#include "common/SeriesHelpers.h"
#include "platform/DateTime.h"

namespace {

// v / previous - 1; 0.0 when the previous value is 0.0.
double PeriodReturn(double previous, double value) { return previous == 0.0 ? 0.0 : value / previous - 1.0; }

// value / previous; 0.0 when the previous value is 0.0.
double GrowthFactor(double previous, double value) { return previous == 0.0 ? 0.0 : value / previous; }

// 1 / value; 0.0 for 0.0.
double Inverse(double value) { return value == 0.0 ? 0.0 : 1.0 / value; }

bool InRange(double date, double from, double to) { return from <= date && date <= to; }

// K series cut to [from, to] (the points whose date lies in the range, in
// order) and walked together by position, without copying the cuts. A cut
// that is one run of its series (ascending dates) is walked by position
// alone; any other is scanned point by point.
template <std::size_t K>
class AlignedCuts {
 public:
  AlignedCuts(const std::array<const TSeries*, K>& series, double from, double to)
      : series_(series), from_(from), to_(to) {
    for (std::size_t k = 0; k < K; ++k) {
      const auto run = AscendingRunInRange(*series_[k], from_, to_);
      scanned_[k] = !run;
      if (run) {
        next_[k] = run->first;
        end_[k] = run->second;
      } else {
        end_[k] = series_[k]->size();
        allRuns_ = false;
      }
      const std::size_t count = run ? run->second - run->first : CountInRange(*series_[k]);
      if (k == 0) count_ = count;
      if (count != count_) count_ = 0;
    }
  }

  // Common number of points of the cuts; 0 when the cuts differ in length.
  std::size_t Count() const { return count_; }

  // Moves every cut to its next point; false once the cuts are exhausted.
  bool Next() {
    for (std::size_t k = 0; k < K; ++k) {
      const TSeries& s = *series_[k];
      std::size_t i = next_[k];
      if (scanned_[k])
        while (i < end_[k] && !InRange(s[i].Date, from_, to_)) ++i;
      if (i >= end_[k]) return false;
      current_[k] = i;
      next_[k] = i + 1;
    }
    return true;
  }

  // Current point of cut k (valid after a successful Next).
  const TDataPoint& operator[](std::size_t k) const { return (*series_[k])[current_[k]]; }

  // Calls visit(cuts) with the cuts at each of their common positions in
  // turn (as Next does), straight through the runs when every cut is one.
  template <typename TVisit>
  void ForEach(TVisit visit) {
    if (!allRuns_ || count_ == 0) {
      while (Next()) visit(*this);
      return;
    }
    for (std::size_t n = 0; n < count_; ++n) {
      for (std::size_t k = 0; k < K; ++k) current_[k] = next_[k]++;
      visit(*this);
    }
  }

 private:
  std::size_t CountInRange(const TSeries& s) const {
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [this](const TDataPoint& p) { return InRange(p.Date, from_, to_); }));
  }

  std::array<const TSeries*, K> series_;
  double from_;
  double to_;
  std::size_t count_ = 0;
  bool allRuns_ = true;
  std::array<bool, K> scanned_{};
  std::array<std::size_t, K> next_{};
  std::array<std::size_t, K> end_{};
  std::array<std::size_t, K> current_{};
};

// The two series cut to their common date range.
AlignedCuts<2> AlignPair(const TSeries& a, const TSeries& b) {
  const std::array<double, 2> range = GetCommonDateRange(a, b);
  return AlignedCuts<2>({&a, &b}, range[0], range[1]);
}

// Aggregate of the values of a sliding run [lo, hi) of a series, for any
// associative combination, in amortised constant time per step and without
// recomputing the run: the run is split into a front part [lo, mid) whose
// suffix aggregates are stored, and a back part [mid, hi) kept as one running
// aggregate. When the front part is used up, the back part becomes the new
// front part (its suffix aggregates are formed once). A value that is not a
// number leaves the aggregate when its point leaves the run.
template <typename TOps>
class SlidingAggregate {
 public:
  using TAgg = typename TOps::TAgg;

  explicit SlidingAggregate(const TSeries& series) : series_(series), suffix_(series.size()) {}

  std::size_t Lo() const { return lo_; }
  std::size_t Hi() const { return hi_; }

  void PushBack() {
    back_ = TOps::Combine(back_, TOps::Lift(series_[hi_].Value));
    ++hi_;
  }

  void PopFront() {
    if (lo_ == hi_) return;
    if (lo_ == mid_) {
      TAgg acc = TOps::Identity();
      for (std::size_t j = hi_; j > lo_; --j) {
        acc = TOps::Combine(TOps::Lift(series_[j - 1].Value), acc);
        suffix_[j - 1] = acc;
      }
      mid_ = hi_;
      back_ = TOps::Identity();
    }
    ++lo_;
  }

  TAgg Value() const { return TOps::Combine(lo_ < mid_ ? suffix_[lo_] : TOps::Identity(), back_); }

 private:
  const TSeries& series_;
  std::vector<TAgg> suffix_;
  TAgg back_ = TOps::Identity();
  std::size_t lo_ = 0;
  std::size_t mid_ = 0;
  std::size_t hi_ = 0;
};

// Growth product: prod (1 + r).
struct ProductOps {
  using TAgg = double;
  static double Identity() { return 1.0; }
  static double Lift(double r) { return 1.0 + r; }
  static double Combine(double x, double y) { return x * y; }
};

// Count, mean and centred sum of squares, merged pairwise (Chan et al.):
// n = na + nb, d = mb - ma, mean = ma + d nb / n, M2 = M2a + M2b + d^2 na nb / n.
// Equal values give exactly M2 = 0.
struct Moments {
  double N = 0.0;
  double Mean = 0.0;
  double M2 = 0.0;
};
struct MomentOps {
  using TAgg = Moments;
  static Moments Identity() { return {}; }
  static Moments Lift(double v) { return {1.0, v, 0.0}; }
  static Moments Combine(const Moments& x, const Moments& y) {
    if (x.N == 0.0) return y;
    if (y.N == 0.0) return x;
    const double n = x.N + y.N;
    const double d = y.Mean - x.Mean;
    return {n, x.Mean + d * y.N / n, x.M2 + y.M2 + d * d * x.N * y.N / n};
  }
};

// Walks the trailing one-year windows of a return series and appends
// (date_i, figure(window aggregate)) for every window.
template <typename TOps, typename TFigure>
TSeries RollingOneYear(const TSeries& returns, TFigure figure) {
  if (returns.empty()) return {};
  const platform::CivilDate first = platform::DecodeDate(returns.front().Date);
  const double boundary = platform::EncodeDate(first.Year + 1, first.Month, 1);
  const std::size_t n = returns.size();
  std::size_t j = 0;
  while (j < n && !(returns[j].Date > boundary)) ++j;
  if (j == 0 || j == n) return {};
  const std::size_t k = j - 1;

  TSeries out;
  out.reserve(n - k);
  SlidingAggregate<TOps> window(returns);
  for (std::size_t i = k; i < n; ++i) {
    const double from = returns[i - k].Date;
    const double to = returns[i].Date;
    // Points up to i, and later points sharing date_i.
    while (window.Hi() < n && (window.Hi() <= i || returns[window.Hi()].Date <= to)) window.PushBack();
    // Earlier points dated before date_(i-k) (or without a usable date) leave.
    while (window.Lo() < i - k && !(returns[window.Lo()].Date >= from)) window.PopFront();
    out.push_back({to, figure(window.Value())});
  }
  return out;
}

// Shared loop of the two-leg blends: point i = (A_i date,
// scale_i * (w_i A_i + (1 - w_i) B_i - charge(w_i, w_(i+1)))), with scale 1.0
// when x is null.
template <typename TWeightAt, typename TCharge>
TSeries BlendReturns(const TSeries& a, const TSeries& b, const TSeries* x, TWeightAt weightAt, TCharge charge) {
  TSeries out;
  out.reserve(a.size());
  double w = weightAt(0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    const double next = weightAt(i + 1);
    double value = w * a[i].Value + (1.0 - w) * b[i].Value - charge(w, next);
    if (x != nullptr) value *= (*x)[i].Value;
    out.push_back({a[i].Date, value});
    w = next;
  }
  return out;
}

// A and B of n >= 1 points each and a position series of n + 1 points.
bool BlendShapeFits(const TSeries& a, const TSeries& b, const TSeries& positions) {
  return !a.empty() && b.size() == a.size() && positions.size() == a.size() + 1;
}

// Switch weight s(p, f): 1.0 when p is not 0.0, 1 - f when it is.
double SwitchWeight(double position, double f) { return position == 0.0 ? 1.0 - f : 1.0; }

// Charge |w_i - w_(i+1)| * cost of a weight move.
auto MoveCharge(double cost) {
  return [cost](double w, double next) { return std::abs(w - next) * cost; };
}

// Shared loop of the position cost series: point i = (P_(i+1) date,
// value(P_i, P_(i+1), R_i)).
template <typename TValue>
TSeries PositionSeries(const TSeries& positions, const TSeries& r, TValue value) {
  if (positions.size() < 2 || r.size() + 1 != positions.size()) return {};
  TSeries out;
  out.reserve(r.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    out.push_back({positions[i + 1].Date, value(positions[i].Value, positions[i + 1].Value, r[i].Value)});
  }
  return out;
}

// Index series compounded from 1.0 with a first point one period before the
// first return: (date, figure(index, peak)) at every point.
template <typename TFigure>
TSeries CompoundedIndexSeries(const TSeries& returns, int frequency, TFigure figure) {
  if (returns.empty()) return {};
  TSeries out;
  out.reserve(returns.size() + 1);
  double index = 1.0;
  double peak = 1.0;
  out.push_back({GetPreviousPeriodDate(returns.front().Date, frequency), figure(index, peak)});
  for (const TDataPoint& r : returns) {
    index *= 1.0 + r.Value;
    peak = std::max(peak, index);
    out.push_back({r.Date, figure(index, peak)});
  }
  return out;
}

}  // namespace

double PeriodsPerYear(std::int64_t frequency) {
  if (frequency == 2) return 260.0;
  if (frequency == 1) return 52.0;
  return 12.0;
}

TCentredSums ComputeCentredSums(const TSeries& a, const TSeries& b) {
  TCentredSums sums;
  const std::size_t n = std::min(a.size(), b.size());
  sums.Count = n;
  if (n == 0) return sums;
  // First pass: the means, and whether a series holds one value only.
  double totalA = 0.0;
  double totalB = 0.0;
  bool constantA = true;
  bool constantB = true;
  for (std::size_t i = 0; i < n; ++i) {
    totalA += a[i].Value;
    totalB += b[i].Value;
    constantA = constantA && a[i].Value == a[0].Value;
    constantB = constantB && b[i].Value == b[0].Value;
  }
  sums.MeanA = constantA ? a[0].Value : totalA / static_cast<double>(n);
  sums.MeanB = constantB ? b[0].Value : totalB / static_cast<double>(n);
  if (constantA && constantB) return sums;
  // Second pass: the centred sums.
  for (std::size_t i = 0; i < n; ++i) {
    const double da = constantA ? 0.0 : a[i].Value - sums.MeanA;
    const double db = constantB ? 0.0 : b[i].Value - sums.MeanB;
    sums.SumAA += da * da;
    sums.SumBB += db * db;
    sums.SumAB += da * db;
  }
  return sums;
}

TSeries MultiplySeries(const TSeries& a, const TSeries& b, bool keepA, bool invertB) {
  if (a.empty() || b.empty()) return {};
  AlignedCuts<2> cuts = AlignPair(a, b);
  if (cuts.Count() == 0) return {};
  TSeries out;
  out.reserve(cuts.Count());
  cuts.ForEach([&](const AlignedCuts<2>& at) {
    const double va = keepA ? at[0].Value : Inverse(at[0].Value);
    const double vb = invertB ? Inverse(at[1].Value) : at[1].Value;
    out.push_back({at[0].Date, va * vb});
  });
  return out;
}

TSeries ProductSeriesReturns(const TSeries& a, const TSeries& b) {
  if (a.empty() || b.empty()) return {};
  AlignedCuts<2> cuts = AlignPair(a, b);
  if (cuts.Count() < 2) return {};
  TSeries out;
  out.reserve(cuts.Count() - 1);
  bool first = true;
  double previous = 0.0;
  cuts.ForEach([&](const AlignedCuts<2>& at) {
    const double product = at[0].Value * at[1].Value;
    if (!first) out.push_back({at[0].Date, PeriodReturn(previous, product)});
    first = false;
    previous = product;
  });
  return out;
}

TSeries ComputeReturns(const TSeries& prices, double rate) {
  if (prices.size() < 2) return {};
  TSeries out;
  out.reserve(prices.size() - 1);
  for (std::size_t i = 1; i < prices.size(); ++i) {
    out.push_back({prices[i].Date, PeriodReturn(prices[i - 1].Value, prices[i].Value) - rate});
  }
  return out;
}

TSeries ConditionalReturns(const TSeries& prices, const TSeries& signal, bool state) {
  if (prices.empty() || signal.empty()) return {};
  AlignedCuts<2> cuts = AlignPair(prices, signal);
  if (cuts.Count() < 2) return {};
  const double wanted = state ? 1.0 : 0.0;
  TSeries out;
  out.reserve(cuts.Count() - 1);
  bool first = true;
  double previousPrice = 0.0;
  double openingSignal = 0.0;
  cuts.ForEach([&](const AlignedCuts<2>& at) {
    if (!first && openingSignal == wanted) out.push_back({at[0].Date, PeriodReturn(previousPrice, at[0].Value)});
    first = false;
    previousPrice = at[0].Value;
    openingSignal = at[1].Value;
  });
  return out;
}

TSeries ConditionalReturns(const TSeries& prices, const TSeries& signal, double /*unused*/, bool state) {
  return ConditionalReturns(prices, signal, state);
}

TSeries HedgedReturns(const TSeries& asset, const TSeries& fx, const TSeries& localCash, const TSeries& targetCash,
                      double rate) {
  if (asset.empty() || fx.empty() || localCash.empty() || targetCash.empty()) return {};
  const std::array<double, 2> r1 = GetCommonDateRange(asset, fx);
  const std::array<double, 2> r2 = GetCommonDateRange(localCash, targetCash);
  AlignedCuts<4> cuts({&asset, &fx, &localCash, &targetCash}, std::max(r1[0], r2[0]), std::min(r1[1], r2[1]));
  if (cuts.Count() < 2) return {};
  TSeries out;
  out.reserve(cuts.Count() - 1);
  bool first = true;
  std::array<double, 4> previous{};
  cuts.ForEach([&](const AlignedCuts<4>& at) {
    if (!first) {
      const double rA = PeriodReturn(previous[0], at[0].Value);
      const double rL = PeriodReturn(previous[2], at[2].Value);
      const double rT = PeriodReturn(previous[3], at[3].Value) - rate;
      out.push_back({at[0].Date, rT + (rA - rL) * GrowthFactor(previous[1], at[1].Value)});
    }
    first = false;
    previous = {at[0].Value, at[1].Value, at[2].Value, at[3].Value};
  });
  return out;
}

TSeries ScaleSeries(const TSeries& a, const TSeries& b) {
  if (a.empty() || a.size() != b.size()) return {};
  TSeries out;
  out.reserve(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) out.push_back({a[i].Date, a[i].Value * b[i].Value});
  return out;
}

TSeries AlignSeriesOnCommonRange(const TSeries& a, const TSeries& b) {
  if (a.empty() || b.empty()) return {};
  AlignedCuts<2> cuts = AlignPair(a, b);
  if (cuts.Count() == 0) return {};
  TSeries out;
  out.reserve(cuts.Count());
  cuts.ForEach([&](const AlignedCuts<2>& at) { out.push_back({at[0].Date, at[1].Value}); });
  return out;
}

TSeries ReturnsToIndex(const TSeries& returns, int frequency) {
  return CompoundedIndexSeries(returns, frequency, [](double index, double) { return index; });
}

TSeries DrawdownSeries(const TSeries& returns, int frequency) {
  return CompoundedIndexSeries(returns, frequency, [](double index, double peak) { return index / peak - 1.0; });
}

TSeries RollingOneYearReturns(const TSeries& returns) {
  return RollingOneYear<ProductOps>(returns, [](double growth) { return growth - 1.0; });
}

TSeries RollingOneYearVolatility(const TSeries& returns, int frequency) {
  const double annualFactor = std::sqrt(PeriodsPerYear(frequency));
  return RollingOneYear<MomentOps>(returns, [annualFactor](const Moments& m) {
    return m.N == 0.0 ? kNoFigure : std::sqrt(std::max(m.M2, 0.0) / m.N) * annualFactor;
  });
}

TSeries AllocationReturns(const TSeries& a, const TSeries& b, const TSeries& weights) {
  if (!BlendShapeFits(a, b, weights)) return {};
  return BlendReturns(
      a, b, nullptr, [&weights](std::size_t i) { return weights[i].Value; }, [](double, double) { return 0.0; });
}

TSeries AllocationReturnsWithCost(const TSeries& a, const TSeries& b, const TSeries& weights, double c1, double c2) {
  if (!BlendShapeFits(a, b, weights)) return {};
  const double cost = c1 + c2;
  return BlendReturns(
      a, b, nullptr, [&weights](std::size_t i) { return weights[i].Value; },
      [cost](double w, double next) { return next != w ? cost : 0.0; });
}

TSeries SwitchReturnsWithCost(const TSeries& a, const TSeries& b, const TSeries& positions, double f, double c1,
                              double c2) {
  if (!BlendShapeFits(a, b, positions)) return {};
  return BlendReturns(
      a, b, nullptr, [&positions, f](std::size_t i) { return SwitchWeight(positions[i].Value, f); },
      MoveCharge(c1 + c2));
}

TSeries SwitchReturnsWithCost3(const TSeries& a, const TSeries& b, const TSeries& positions, const TSeries& x, double f,
                               double c1, double c2) {
  if (!BlendShapeFits(a, b, positions) || x.size() != a.size()) return {};
  return BlendReturns(
      a, b, &x, [&positions, f](std::size_t i) { return SwitchWeight(positions[i].Value, f); }, MoveCharge(c1 + c2));
}

TSeries DoubleSwitchReturnsWithCost(const TSeries& a, const TSeries& b, const TSeries& positions1,
                                    const TSeries& positions2, double f1, double f2, double c1, double c2) {
  if (!BlendShapeFits(a, b, positions1) || positions2.size() != positions1.size()) return {};
  return BlendReturns(
      a, b, nullptr,
      [&positions1, &positions2, f1, f2](std::size_t i) {
        return SwitchWeight(positions1[i].Value, f1) * SwitchWeight(positions2[i].Value, f2);
      },
      MoveCharge(c1 + c2));
}

TSeries PositionCostFactors(const TSeries& positions, const TSeries& r, double cost) {
  return PositionSeries(positions, r, [cost](double p, double, double ri) { return ri * SwitchWeight(p, cost); });
}

TSeries PositionChangeCosts(const TSeries& positions, const TSeries& r, double cost) {
  // |g(next) - g(p)| is |cost| when exactly one of the two positions is 0.0;
  // no change of position costs nothing.
  return PositionSeries(positions, r, [cost](double p, double next, double ri) {
    if (next == p) return 0.0;
    return (p == 0.0) != (next == 0.0) ? ri * std::abs(cost) : 0.0;
  });
}

double AnnualizedVolatility(const TSeries& returns, int frequency) {
  if (returns.empty()) return kNoFigure;
  const TCentredSums sums = ComputeCentredSums(returns, returns);
  const double volatility =
      std::sqrt(sums.SumAA / static_cast<double>(sums.Count)) * std::sqrt(PeriodsPerYear(frequency));
  return std::isfinite(volatility) ? volatility : kNoFigure;
}

double CompoundedReturn(const TSeries& returns) {
  double growth = 1.0;
  for (const TDataPoint& r : returns) growth *= 1.0 + r.Value;
  return growth - 1.0;
}
