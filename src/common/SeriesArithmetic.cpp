#include "common/SeriesArithmetic.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Random-access positions 0, 1, ... whose point is point(i), handed out by
// value; the vector's range constructor takes them as it takes any
// random-access input and writes each point once.
template <typename TPoint>
struct GeneratedPoints {
  using iterator_category = std::random_access_iterator_tag;
  using value_type = TDataPoint;
  using difference_type = std::ptrdiff_t;
  using pointer = const TDataPoint*;
  using reference = TDataPoint;

  TDataPoint operator*() const { return (*Point)(Index); }
  GeneratedPoints& operator++() {
    ++Index;
    return *this;
  }
  GeneratedPoints operator++(int) { return {Index++, Point}; }
  difference_type operator-(const GeneratedPoints& other) const {
    return static_cast<difference_type>(Index) - static_cast<difference_type>(other.Index);
  }
  bool operator==(const GeneratedPoints& other) const { return Index == other.Index; }

  std::size_t Index;
  const TPoint* Point;
};

// A series of n points built in one pass, point i = point(i): the storage is
// taken once and every point written once (a resize or a copy first fills it,
// a pass of its own).
template <typename TPoint>
TSeries GenerateSeries(std::size_t n, const TPoint& point) {
  return TSeries(GeneratedPoints<TPoint>{0, &point}, GeneratedPoints<TPoint>{n, &point});
}

// K series cut to [from, to] (the points whose date lies in the range, in
// order), to be walked together by position: a cut that is one run of its
// series (ascending dates) is read in place, any other is picked point by
// point into the cuts' own storage. Not to be copied or moved.
template <std::size_t K>
struct AlignedCuts {
  AlignedCuts(const std::array<const TSeries*, K>& series, double from, double to) {
    for (std::size_t k = 0; k < K; ++k) {
      Cut[k] = SliceSpan(*series[k], from, to, Picked[k]);
      if (k == 0) Count = Cut[0].size();
      if (Cut[k].size() != Count) Count = 0;
    }
  }
  AlignedCuts(const AlignedCuts&) = delete;
  AlignedCuts& operator=(const AlignedCuts&) = delete;

  std::array<TSeriesSpan, K> Cut;
  std::array<TSeries, K> Picked;
  std::size_t Count = 0;  // common number of points of the cuts; 0 when they differ in length
};

// The two series cut to their common date range.
AlignedCuts<2> AlignPair(const TSeries& a, const TSeries& b) {
  const std::array<double, 2> range = GetCommonDateRange(a, b);
  return AlignedCuts<2>({&a, &b}, range[0], range[1]);
}

// Aggregates of the sliding runs [lo, hi) of a series, for any associative
// combination, in amortised constant time per run and without recomputing a
// run: a run is split into a front part [lo, mid) whose suffix aggregates are
// stored, and a back part [mid, hi) kept as one running aggregate. When the
// front part is used up, the back part becomes the new front part (its suffix
// aggregates are formed once). A value that is not a number leaves the
// aggregate when its point leaves the run. The state lives in locals of one
// function, so that the running aggregate stays in registers.
template <typename TOps>
struct SlidingRuns {
  using TAgg = typename TOps::TAgg;

  // For i from k to the last point: the run grows to the points up to i and
  // the later points sharing date_i, loses the earlier points dated before
  // date_(i-k) (or without a usable date), and emit(i, aggregate) is called.
  template <typename TEmit>
  static void Walk(TSeriesSpan series, std::size_t k, TEmit emit) {
    const std::size_t n = series.size();
    const TDataPoint* p = series.data();
    std::vector<TAgg> suffix(n);
    TAgg back = TOps::Identity();
    std::size_t lo = 0;
    std::size_t mid = 0;
    std::size_t hi = 0;
    for (std::size_t i = k; i < n; ++i) {
      const double from = p[i - k].Date;
      const double to = p[i].Date;
      while (hi < n && (hi <= i || p[hi].Date <= to)) {
        back = TOps::Combine(back, TOps::Lift(p[hi].Value));
        ++hi;
      }
      while (lo < i - k && !(p[lo].Date >= from)) {
        if (lo == hi) break;
        if (lo == mid) {
          TAgg acc = TOps::Identity();
          for (std::size_t j = hi; j > lo; --j) {
            acc = TOps::Combine(TOps::Lift(p[j - 1].Value), acc);
            suffix[j - 1] = acc;
          }
          mid = hi;
          back = TOps::Identity();
        }
        ++lo;
      }
      emit(i, TOps::Combine(lo < mid ? suffix[lo] : TOps::Identity(), back));
    }
  }
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

// Two doubles worked lane by lane (one SSE2 register on x86-64). Every
// operation is the IEEE operation of each lane, so a lane holds the bits that
// the same expression gives on one double.
typedef double TLanes __attribute__((vector_size(16)));
// A lane-wise comparison of TLanes: all bits set where true.
typedef long long TLaneMask __attribute__((vector_size(16)));

// Lane-wise square root.
TLanes SquareRoot(TLanes x) {
#if defined(__SSE2__)
  return _mm_sqrt_pd(x);
#else
  return TLanes{std::sqrt(x[0]), std::sqrt(x[1])};
#endif
}

// Whether every date is a number above the one before.
bool DatesStrictlyAscend(TSeriesSpan series) {
  const std::size_t n = series.size();
  const TDataPoint* p = series.data();
  bool ascend = true;
  std::size_t i = 1;
#if defined(__SSE2__)
  // The dates of points i and i + 1 against those of i - 1 and i.
  __m128d ordered = _mm_castsi128_pd(_mm_set1_epi32(-1));
  for (; i + 2 <= n; i += 2) {
    const __m128d at = _mm_loadu_pd(&p[i].Date);
    ordered = _mm_and_pd(ordered, _mm_cmpgt_pd(_mm_unpacklo_pd(at, _mm_loadu_pd(&p[i + 1].Date)),
                                               _mm_unpacklo_pd(_mm_loadu_pd(&p[i - 1].Date), at)));
  }
  ascend = _mm_movemask_pd(ordered) == 3;
#endif
  for (; i < n; ++i) ascend &= p[i].Date > p[i - 1].Date;
  return ascend;
}

// When the dates strictly ascend, the run of point i in SlidingRuns::Walk is
// [i - k, i], and the walk cuts the points into pieces of L = k + 2 points,
// [0, L), [L, 2L), ... (the last one shorter): the run of point i is the
// suffix of one piece from i - k (empty when i - k is a multiple of L) and the
// prefix of the next piece up to i (empty when i + 1 is a multiple of L),
// split at mid, the largest multiple of L not above i + 1. The walk folds each
// piece once from the left (its back parts) and once from the right (its
// suffix aggregates). Here those folds are independent chains: N pieces
// are folded side by side, the prefix in lane 0 and the suffix in lane 1 of a
// state, so that the chains overlap; every aggregate is formed by the same
// operations in the same order. store(state, front, back) takes the prefix
// aggregate of point `front` and the suffix aggregate of point `back`.
template <typename TOps, std::size_t N, typename TStore>
struct PieceGroup {
  // Folds steps [from, to) of the pieces whose first points are begin[g] and
  // last points last[g].
  static void Steps(const TDataPoint* p, const std::array<std::size_t, N>& begin,
                    const std::array<std::size_t, N>& last, std::array<typename TOps::TState, N>& state,
                    std::size_t from, std::size_t to, TStore& store) {
    for (std::size_t t = from; t < to; ++t) {
#pragma GCC unroll 4
      for (std::size_t g = 0; g < N; ++g) {
        const std::size_t front = begin[g] + t;
        const std::size_t back = last[g] - t;
        state[g] = TOps::Step(state[g], TLanes{p[front].Value, p[back].Value}, t);
        store(state[g], front, back);
      }
    }
  }

  // Folds the N pieces from `first` on: all of `length` points but the last
  // one, of lastLength points; the others go on alone once it is done.
  static void Fold(const TDataPoint* p, std::size_t first, std::size_t length, std::size_t lastLength, TStore& store) {
    std::array<std::size_t, N> begin;
    std::array<std::size_t, N> last;
    std::array<typename TOps::TState, N> state;
    for (std::size_t g = 0; g < N; ++g) {
      begin[g] = first + g * length;
      last[g] = begin[g] + (g + 1 == N ? lastLength : length) - 1;
      state[g] = TOps::Start(TLanes{p[begin[g]].Value, p[last[g]].Value});
      store(state[g], begin[g], last[g]);
    }
    Steps(p, begin, last, state, 1, lastLength, store);
    if constexpr (N > 1) {
      if (lastLength < length) {
        std::array<std::size_t, N - 1> begin1;
        std::array<std::size_t, N - 1> last1;
        std::array<typename TOps::TState, N - 1> state1;
        std::copy_n(begin.begin(), N - 1, begin1.begin());
        std::copy_n(last.begin(), N - 1, last1.begin());
        std::copy_n(state.begin(), N - 1, state1.begin());
        PieceGroup<TOps, N - 1, TStore>::Steps(p, begin1, last1, state1, lastLength, length, store);
      }
    }
  }
};

// Folds the pieces of `length` points of a series (the last one shorter), in
// groups of kGroup side by side (PieceGroup).
template <typename TOps, typename TStore>
void FoldPieces(TSeriesSpan series, std::size_t length, TStore store) {
  constexpr std::size_t kGroup = 4;
  const std::size_t n = series.size();
  const TDataPoint* p = series.data();
  const std::size_t pieces = (n + length - 1) / length;
  for (std::size_t q = 0; q < pieces; q += kGroup) {
    const std::size_t count = std::min(kGroup, pieces - q);
    const std::size_t first = q * length;
    const std::size_t lastLength = q + count == pieces ? n - (pieces - 1) * length : length;
    switch (count) {
      case 4:
        PieceGroup<TOps, 4, TStore>::Fold(p, first, length, lastLength, store);
        break;
      case 3:
        PieceGroup<TOps, 3, TStore>::Fold(p, first, length, lastLength, store);
        break;
      case 2:
        PieceGroup<TOps, 2, TStore>::Fold(p, first, length, lastLength, store);
        break;
      default:
        PieceGroup<TOps, 1, TStore>::Fold(p, first, length, lastLength, store);
        break;
    }
  }
}

// ProductOps on lanes.
struct ProductLanes {
  using TState = TLanes;
  static TLanes Start(TLanes values) { return 1.0 + values; }
  // Lane 0: prefix * L(v); lane 1: L(v) * suffix.
  static TLanes Step(TLanes g, TLanes values, std::size_t) {
    const TLanes lifted = 1.0 + values;
    return TLanes{g[0], lifted[1]} * TLanes{lifted[0], g[1]};
  }
};

// MomentOps on lanes; the count of a fold after t + 1 points is t + 1.
struct MomentLanes {
  struct TState {
    TLanes Mean;
    TLanes M2;
  };
  static TState Start(TLanes values) { return {values, TLanes{0.0, 0.0}}; }
  // Lane 0: prefix (t points) + L(v); lane 1: L(v) + suffix (t points).
  static TState Step(const TState& s, TLanes values, std::size_t t) {
    const double count = static_cast<double>(t);
    const TLanes xN{count, 1.0};
    const TLanes yN{1.0, count};
    const TLanes xMean{s.Mean[0], values[1]};
    const TLanes yMean{values[0], s.Mean[1]};
    const TLanes n = xN + yN;
    const TLanes d = yMean - xMean;
    return {xMean + d * yN / n, TLanes{s.M2[0], 0.0} + TLanes{0.0, s.M2[1]} + d * d * xN * yN / n};
  }
};

// RollingOneYear<ProductOps> of returns whose dates strictly ascend (k as
// there): the suffix aggregate of point j goes to out[j].Date (j < n - k) and
// the prefix aggregate of point j to out[j - k].Value (j >= k), so that the two
// factors of the window ending at point i meet in out[i - k]. An empty part is
// the factor 1.0: the suffix at the first point of a piece and the prefix at
// the last point of a whole piece, which no other window reads.
void RollingProductsOfAscendingDates(TSeries& out, TSeriesSpan returns, std::size_t k) {
  const std::size_t n = returns.size();
  const std::size_t length = k + 2;
  const std::size_t m = n - k;
  out.assign(returns.begin() + static_cast<std::ptrdiff_t>(k), returns.end());  // no zero fill
  TDataPoint* o = out.data();
  FoldPieces<ProductLanes>(returns, length, [o, k, m](TLanes g, std::size_t front, std::size_t back) {
    if (front >= k) o[front - k].Value = g[0];
    if (back < m) o[back].Date = g[1];
  });
  for (std::size_t c = 0; c < m; c += length) o[c].Date = 1.0;
  for (std::size_t e = length; e <= n; e += length) o[e - 1 - k].Value = 1.0;
  for (std::size_t t = 0; t < m; ++t) o[t] = {returns[t + k].Date, o[t].Date * o[t].Value - 1.0};
}

// RollingOneYear<MomentOps> of returns whose dates strictly ascend, with the
// figure sqrt(max(M2, 0) / N) * annualFactor (kNoFigure for N = 0), when the
// dates from point k on do ascend (false, and `out` unusable, when not): the suffix
// aggregate (mean, M2) of point j goes to out[j] (j < n - k), the prefix
// aggregate of point j to a work array at j - k (j >= k); the windows are
// then merged two at a time. The merged mean is not needed.
bool RollingVolatilityOfAscendingDates(TSeries& out, TSeriesSpan returns, std::size_t k, double annualFactor) {
  const std::size_t n = returns.size();
  const std::size_t length = k + 2;
  const std::size_t m = n - k;
  out.assign(returns.begin() + static_cast<std::ptrdiff_t>(k), returns.end());  // no zero fill
  TDataPoint* o = out.data();
  const std::unique_ptr<double[]> prefix = std::make_unique_for_overwrite<double[]>(2 * m);
  double* pre = prefix.get();
  FoldPieces<MomentLanes>(returns, length,
                          [o, pre, k, m](const MomentLanes::TState& s, std::size_t front, std::size_t back) {
                            if (front >= k) {
                              pre[2 * (front - k)] = s.Mean[0];
                              pre[2 * (front - k) + 1] = s.M2[0];
                            }
                            if (back < m) o[back] = {s.Mean[1], s.M2[1]};
                          });
  // Every window holds k + 1 points. The windows that meet at mid = c (a
  // multiple of L) end at the points t + k with t from c - k - 1 to c: the
  // first has an empty back part (its aggregate is the suffix), the last an
  // empty front part (the prefix), and between them the front part holds
  // c - t points and the back part t + k + 1 - c.
  const double windowCount = static_cast<double>(static_cast<std::int64_t>(k + 1));
  const TLanes nAll = TLanes{1.0, 1.0} * windowCount;
  const TLanes annual = TLanes{1.0, 1.0} * annualFactor;
  const TLanes zero{0.0, 0.0};
  const auto figureOf = [&](double m2) { return std::sqrt(std::max(m2, 0.0) / windowCount) * annualFactor; };
  // The dates from point k + 1 on are checked here, where the merges leave
  // the core room (a pass of their own would cost more).
  bool ascend = true;
  TLaneMask ordered = TLaneMask{-1, -1};
  const auto put = [o, &returns, k, &ascend](std::size_t t, double figure) {
    if (t > 0) ascend &= returns[t + k].Date > returns[t + k - 1].Date;
    o[t] = {returns[t + k].Date, figure};
  };
  for (std::size_t c = 0;; c += length) {
    if (c >= k + 1) {
      if (c - k - 1 >= m) break;
      put(c - k - 1, figureOf(o[c - k - 1].Value));
    }
    std::size_t t = c >= k ? c - k : 0;
    const std::size_t last = std::min(c, m);
    if (t < last) {
      // Two windows a step: front + back merged, M2 only.
      const double front = static_cast<double>(static_cast<std::int64_t>(c - t));
      TLanes xN{front, front - 1.0};
      TLanes yN = nAll - xN;
      for (; t + 2 <= last; t += 2) {
        const TLanes xM2{o[t].Value, o[t + 1].Value};
        const TLanes yM2{pre[2 * t + 1], pre[2 * t + 3]};
        const TLanes d = TLanes{pre[2 * t], pre[2 * t + 2]} - TLanes{o[t].Date, o[t + 1].Date};
        const TLanes m2 = xM2 + yM2 + d * d * xN * yN / nAll;
        const TLanes figure = SquareRoot((m2 < zero ? zero : m2) / nAll) * annual;
        const TLanes dates{returns[t + k].Date, returns[t + k + 1].Date};
        ordered &= dates > TLanes{returns[t + k - 1].Date, dates[0]};
        o[t] = {dates[0], figure[0]};
        o[t + 1] = {dates[1], figure[1]};
        xN -= 2.0;
        yN += 2.0;
      }
      if (t < last) {
        const double d = pre[2 * t] - o[t].Date;
        put(t, figureOf(o[t].Value + pre[2 * t + 1] + d * d * xN[0] * yN[0] / windowCount));
      }
    }
    if (c >= m) break;
    put(c, figureOf(pre[2 * c + 1]));
  }
  return ascend && ordered[0] != 0 && ordered[1] != 0;
}

// The trailing one-year windows of a run of returns: with y, m the year and
// month of the first date and j the first point dated after 1 m (y + 1),
// k = j - 1. False when no point lies after that boundary. With `ascending`
// (the dates taken to strictly ascend) j is found by binary search, which on
// other dates gives some place of the series.
bool OneYearWindow(TSeriesSpan returns, bool ascending, std::size_t& k) {
  if (returns.empty()) return false;
  const platform::CivilDate first = platform::DecodeDate(returns.front().Date);
  const double boundary = platform::EncodeDate(first.Year + 1, first.Month, 1);
  const std::size_t n = returns.size();
  std::size_t j = 0;
  if (ascending) {
    std::size_t above = n;
    while (j < above) {
      const std::size_t middle = j + (above - j) / 2;
      if (returns[middle].Date > boundary) {
        above = middle;
      } else {
        j = middle + 1;
      }
    }
  } else {
    while (j < n && !(returns[j].Date > boundary)) ++j;
  }
  if (j == 0 || j == n) return false;
  k = j - 1;
  return true;
}

// Walks the trailing one-year windows (k as OneYearWindow gives) of a run of
// returns and writes (date_i, figure(window aggregate)) for every window into `out`.
template <typename TOps, typename TFigure>
void RollingOneYear(TSeries& out, TSeriesSpan returns, std::size_t k, TFigure figure) {
  const std::size_t n = returns.size();
  out.resize(n - k);
  TDataPoint* o = out.data();
  SlidingRuns<TOps>::Walk(returns, k, [&](std::size_t i, const typename TOps::TAgg& aggregate) {
    o[i - k] = {returns[i].Date, figure(aggregate)};
  });
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
void CompoundedIndexSeries(TSeries& out, TSeriesSpan returns, int frequency, TFigure figure) {
  out.clear();
  if (returns.empty()) return;
  out.reserve(returns.size() + 1);
  double index = 1.0;
  double peak = 1.0;
  out.push_back({GetPreviousPeriodDate(returns.front().Date, frequency), figure(index, peak)});
  for (const TDataPoint& r : returns) {
    index *= 1.0 + r.Value;
    peak = std::max(peak, index);
    out.push_back({r.Date, figure(index, peak)});
  }
}

// ComputeCentredSums(a, a): the two totals, means and flags are one, and so
// are the three centred sums (the same terms in the same order).
TCentredSums SelfCentredSums(const TSeries& a) {
  TCentredSums sums;
  const std::size_t n = a.size();
  sums.Count = n;
  if (n == 0) return sums;
  const double first = a[0].Value;
  double total = 0.0;
  bool constant = true;
  for (std::size_t i = 0; i < n; ++i) {
    total += a[i].Value;
    constant &= a[i].Value == first;
  }
  sums.MeanA = sums.MeanB = constant ? first : total / static_cast<double>(n);
  if (constant) return sums;
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double d = a[i].Value - sums.MeanA;
    sum += d * d;
  }
  sums.SumAA = sums.SumBB = sums.SumAB = sum;
  return sums;
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
  // The two series side by side in the two lanes of one register: each lane
  // forms its own sums by the same operations in the same order.
  const TDataPoint* pa = a.data();
  const TDataPoint* pb = b.data();
  const auto values = [pa, pb](std::size_t i) { return TLanes{pa[i].Value, pb[i].Value}; };
  // First pass: the means, and whether a series holds one value only.
  const TLanes first = values(0);
  TLanes total{0.0, 0.0};
  TLaneMask same{-1, -1};
  for (std::size_t i = 0; i < n; ++i) {
    const TLanes v = values(i);
    total += v;
    same &= v == first;
  }
  const bool constantA = same[0] != 0;
  const bool constantB = same[1] != 0;
  sums.MeanA = constantA ? first[0] : total[0] / static_cast<double>(n);
  sums.MeanB = constantB ? first[1] : total[1] / static_cast<double>(n);
  if (constantA && constantB) return sums;
  // Second pass: the centred sums; a series that holds one value has the
  // deviations 0.0.
  const TLanes mean{sums.MeanA, sums.MeanB};
  const TLaneMask keep{constantA ? 0 : -1, constantB ? 0 : -1};
  TLanes squares{0.0, 0.0};
  double cross = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const TLanes d = std::bit_cast<TLanes>(std::bit_cast<TLaneMask>(values(i) - mean) & keep);
    squares += d * d;
    cross += d[0] * d[1];
  }
  sums.SumAA = squares[0];
  sums.SumBB = squares[1];
  sums.SumAB = cross;
  return sums;
}

TSeries MultiplySeries(const TSeries& a, const TSeries& b, bool keepA, bool invertB) {
  if (a.empty() || b.empty()) return {};
  const AlignedCuts<2> cuts = AlignPair(a, b);
  if (cuts.Count == 0) return {};
  const auto [ca, cb] = cuts.Cut;
  TSeries out(cuts.Count);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double va = keepA ? ca[i].Value : Inverse(ca[i].Value);
    const double vb = invertB ? Inverse(cb[i].Value) : cb[i].Value;
    out[i] = {ca[i].Date, va * vb};
  }
  return out;
}

TSeries ProductSeriesReturns(const TSeries& a, const TSeries& b) {
  if (a.empty() || b.empty()) return {};
  const AlignedCuts<2> cuts = AlignPair(a, b);
  if (cuts.Count < 2) return {};
  const auto [ca, cb] = cuts.Cut;
  TSeries out(cuts.Count - 1);
  for (std::size_t i = 1; i < cuts.Count; ++i)
    out[i - 1] = {ca[i].Date, PeriodReturn(ca[i - 1].Value * cb[i - 1].Value, ca[i].Value * cb[i].Value)};
  return out;
}

// r[i - 1].Value = PeriodReturn(p[i - 1].Value, p[i].Value) - rate for i in [from, to).
void PeriodReturnValues(const TDataPoint* p, TDataPoint* r, std::size_t from, std::size_t to, double rate) {
  std::size_t i = from;
#if defined(__SSE2__)
  // Four returns a step, each as PeriodReturn forms it: the quotient (by 1.0
  // where the previous price is 0.0: 0.0 or -0.0 with the bits of 1.0 added,
  // then dropped) less 1.0, less the rate.
  const __m128d zero = _mm_setzero_pd();
  const __m128d one = _mm_set1_pd(1.0);
  const __m128d rates = _mm_set1_pd(rate);
  const auto two = [&](__m128d previous, __m128d value) {
    const __m128d isZero = _mm_cmpeq_pd(previous, zero);
    const __m128d divisor = _mm_or_pd(previous, _mm_and_pd(isZero, one));
    return _mm_sub_pd(_mm_andnot_pd(isZero, _mm_sub_pd(_mm_div_pd(value, divisor), one)), rates);
  };
  for (; i + 4 <= to; i += 4) {
    const __m128d p0 = _mm_loadu_pd(&p[i - 1].Date);
    const __m128d p1 = _mm_loadu_pd(&p[i].Date);
    const __m128d p2 = _mm_loadu_pd(&p[i + 1].Date);
    const __m128d p3 = _mm_loadu_pd(&p[i + 2].Date);
    const __m128d p4 = _mm_loadu_pd(&p[i + 3].Date);
    const __m128d low = two(_mm_unpackhi_pd(p0, p1), _mm_unpackhi_pd(p1, p2));
    const __m128d high = two(_mm_unpackhi_pd(p2, p3), _mm_unpackhi_pd(p3, p4));
    _mm_storel_pd(&r[i - 1].Value, low);
    _mm_storeh_pd(&r[i].Value, low);
    _mm_storel_pd(&r[i + 1].Value, high);
    _mm_storeh_pd(&r[i + 2].Value, high);
  }
#endif
  for (; i < to; ++i) r[i - 1].Value = PeriodReturn(p[i - 1].Value, p[i].Value) - rate;
}

TSeries ComputeReturns(const TSeries& prices, double rate) {
  if (prices.size() < 2) return {};
  // The points from the second on are copied (their dates are the returns'
  // dates; a copy costs less than the zero fill of a resize) and their values
  // replaced, a short chunk at a time: the copy of a chunk then runs while
  // the quotients of the one before are divided, and the chunk stays in the
  // first-level cache.
  constexpr std::size_t kChunk = 32;
  TSeries out;
  out.reserve(prices.size() - 1);
  for (std::size_t from = 1; from < prices.size(); from += kChunk) {
    const std::size_t to = std::min(from + kChunk, prices.size());
    out.insert(out.end(), prices.begin() + static_cast<std::ptrdiff_t>(from),
               prices.begin() + static_cast<std::ptrdiff_t>(to));
    PeriodReturnValues(prices.data(), out.data(), from, to, rate);
  }
  return out;
}

void ConditionalReturnsInto(TSeries& out, const TSeries& prices, const TSeries& signal, bool state) {
  out.clear();
  if (prices.empty() || signal.empty()) return;
  const AlignedCuts<2> cuts = AlignPair(prices, signal);
  if (cuts.Count < 2) return;
  const auto [price, opening] = cuts.Cut;
  const double wanted = state ? 1.0 : 0.0;
  out.reserve(cuts.Count - 1);
  for (std::size_t i = 1; i < cuts.Count; ++i)
    if (opening[i - 1].Value == wanted)
      out.push_back({price[i].Date, PeriodReturn(price[i - 1].Value, price[i].Value)});
}

TSeries ConditionalReturns(const TSeries& prices, const TSeries& signal, bool state) {
  TSeries out;
  ConditionalReturnsInto(out, prices, signal, state);
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
  const AlignedCuts<4> cuts({&asset, &fx, &localCash, &targetCash}, std::max(r1[0], r2[0]), std::min(r1[1], r2[1]));
  if (cuts.Count < 2) return {};
  const auto [a, x, l, t] = cuts.Cut;
  TSeries out(cuts.Count - 1);
  for (std::size_t i = 1; i < cuts.Count; ++i) {
    const double rA = PeriodReturn(a[i - 1].Value, a[i].Value);
    const double rL = PeriodReturn(l[i - 1].Value, l[i].Value);
    const double rT = PeriodReturn(t[i - 1].Value, t[i].Value) - rate;
    out[i - 1] = {a[i].Date, rT + (rA - rL) * GrowthFactor(x[i - 1].Value, x[i].Value)};
  }
  return out;
}

TSeries ScaleSeries(const TSeries& a, const TSeries& b) {
  if (a.empty() || a.size() != b.size()) return {};
  TSeries out(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) out[i] = {a[i].Date, a[i].Value * b[i].Value};
  return out;
}

TSeries AlignSeriesOnCommonRange(const TSeries& a, const TSeries& b) {
  if (a.empty() || b.empty()) return {};
  // The usual case in one pass over the cuts: both series ascending and cut to
  // runs of one length. The runs are found by binary search and copied while
  // their order is checked; the rest of each series is checked apart. Any
  // other case takes the aligned cuts below.
  const std::array<double, 2> range = GetCommonDateRange(a, b);
  if (range[0] <= range[1]) {
    const auto runOf = [&range](const TSeries& s) {
      const auto first =
          std::lower_bound(s.begin(), s.end(), range[0], [](const TDataPoint& p, double d) { return p.Date < d; });
      const auto last =
          std::upper_bound(first, s.end(), range[1], [](double d, const TDataPoint& p) { return d < p.Date; });
      return std::pair<std::size_t, std::size_t>(static_cast<std::size_t>(first - s.begin()),
                                                 static_cast<std::size_t>(last - s.begin()));
    };
    const auto [a0, a1] = runOf(a);
    const auto [b0, b1] = runOf(b);
    const std::size_t n = a1 - a0;
    // The parts around the runs, each with the run's end point it meets.
    const auto outsideAscends = [](const TSeries& s, std::size_t first, std::size_t last) {
      return IsAscendingRun(TSeriesSpan(s.data(), first + 1)) &&
             IsAscendingRun(TSeriesSpan(s.data() + last - 1, s.size() - last + 1));
    };
    if (n > 0 && b1 - b0 == n && outsideAscends(a, a0, a1) && outsideAscends(b, b0, b1)) {
      // a's dates with b's values, the order of both checked on the way.
      const TDataPoint* pa = a.data() + a0;
      const TDataPoint* pb = b.data() + b0;
      bool ascending = true;
      TSeries out = GenerateSeries(n, [pa, pb, &ascending](std::size_t i) {
        if (i > 0) ascending &= (pa[i].Date >= pa[i - 1].Date) & (pb[i].Date >= pb[i - 1].Date);
        return TDataPoint{pa[i].Date, pb[i].Value};
      });
      if (ascending) return out;
    }
  }
  const AlignedCuts<2> cuts = AlignPair(a, b);
  if (cuts.Count == 0) return {};
  const auto [ca, cb] = cuts.Cut;
  TSeries out(cuts.Count);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = {ca[i].Date, cb[i].Value};
  return out;
}

void ReturnsToIndexInto(TSeries& target, TSeriesSpan returns, int frequency) {
  CompoundedIndexSeries(target, returns, frequency, [](double index, double) { return index; });
}

void DrawdownSeriesInto(TSeries& target, TSeriesSpan returns, int frequency) {
  CompoundedIndexSeries(target, returns, frequency, [](double index, double peak) { return index / peak - 1.0; });
}

TSeries ReturnsToIndex(const TSeries& returns, int frequency) {
  TSeries out;
  ReturnsToIndexInto(out, returns, frequency);
  return out;
}

TSeries DrawdownSeries(const TSeries& returns, int frequency) {
  TSeries out;
  DrawdownSeriesInto(out, returns, frequency);
  return out;
}

void RollingOneYearReturnsInto(TSeries& target, TSeriesSpan returns) {
  target.clear();
  std::size_t k = 0;
  const bool ascending = DatesStrictlyAscend(returns);
  if (!OneYearWindow(returns, ascending, k)) return;
  if (ascending) return RollingProductsOfAscendingDates(target, returns, k);
  RollingOneYear<ProductOps>(target, returns, k, [](double growth) { return growth - 1.0; });
}

TSeries RollingOneYearReturns(const TSeries& returns) {
  TSeries out;
  RollingOneYearReturnsInto(out, returns);
  return out;
}

TSeries RollingOneYearVolatility(const TSeries& returns, int frequency) {
  const double annualFactor = std::sqrt(PeriodsPerYear(frequency));
  TSeries out;
  std::size_t k = 0;
  // Dates that strictly ascend take the folds side by side: the first k + 1
  // are checked first, the others while the windows are merged.
  if (OneYearWindow(returns, true, k) && DatesStrictlyAscend(TSeriesSpan(returns).first(k + 1)) &&
      RollingVolatilityOfAscendingDates(out, returns, k, annualFactor)) {
    return out;
  }
  if (!OneYearWindow(returns, false, k)) return {};
  RollingOneYear<MomentOps>(out, returns, k, [annualFactor](const Moments& m) {
    return m.N == 0.0 ? kNoFigure : std::sqrt(std::max(m.M2, 0.0) / m.N) * annualFactor;
  });
  return out;
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
  const TCentredSums sums = SelfCentredSums(returns);
  const double volatility =
      std::sqrt(sums.SumAA / static_cast<double>(sums.Count)) * std::sqrt(PeriodsPerYear(frequency));
  return std::isfinite(volatility) ? volatility : kNoFigure;
}

double CompoundedReturn(const TSeries& returns) {
  double growth = 1.0;
  for (const TDataPoint& r : returns) growth *= 1.0 + r.Value;
  return growth - 1.0;
}
