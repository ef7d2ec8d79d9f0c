#pragma once
// Series arithmetic: functions that turn one or more dated series into a new
// series (period returns, indices, products and blends of series, drawdowns,
// trailing one-year windows) and the volatility of a return series.
//
// Conventions shared by every function here:
// - Series hold ascending dates; returns carry the date of the end of their
//   period (the later point).
// - Two series are aligned by cutting both to GetCommonDateRange and pairing
//   the cuts by position; an operation runs only when the cuts hold the same,
//   non-zero number of points (at least two where it forms returns). Output
//   dates are those of the first series.
// - A rejected input gives an empty series; a figure that cannot be computed
//   gives kNoFigure.
// - A period whose previous value is 0.0 has the return 0.0, and a growth
//   factor whose previous value is 0.0 is 0.0, never an infinity.
// - Frequency codes: 2 daily (260 periods a year), 1 weekly (52), any other
//   code monthly (12).
// Every function reads its inputs once or a fixed number of times and
// allocates nothing but its result (plus one work array for the rolling
// windows).

#include <cstddef>
#include <cstdint>

#include "common/Records.h"

// Periods per year of a frequency code: 2 -> 260, 1 -> 52, any other -> 12.
double PeriodsPerYear(std::int64_t frequency);

// Centred sums of two series paired by position, taken over the first
// min(|a|, |b|) points. The means are formed first and the deviations summed
// in a second pass, so no cancellation occurs; a series whose values are all
// equal has exactly zero deviation sums.
struct TCentredSums {
  std::size_t Count = 0;
  double MeanA = 0.0;
  double MeanB = 0.0;
  double SumAA = 0.0;  // sum (a_i - meanA)^2
  double SumBB = 0.0;  // sum (b_i - meanB)^2
  double SumAB = 0.0;  // sum (a_i - meanA)(b_i - meanB)
};
TCentredSums ComputeCentredSums(const TSeries& a, const TSeries& b);

// Point i = (a_i date, a'_i * b'_i) over the aligned cuts, with a' = a when
// keepA and 1/a otherwise, b' = 1/b when invertB and b otherwise. The inverse
// of 0.0 counts as 0.0.
TSeries MultiplySeries(const TSeries& a, const TSeries& b, bool keepA, bool invertB);

// Returns of the product of two aligned series (at least 2 points):
// (a_i date, (a_i * b_i) / (a_(i-1) * b_(i-1)) - 1) for i = 1 .. n-1.
TSeries ProductSeriesReturns(const TSeries& a, const TSeries& b);

// Period returns (date_i, p_i / p_(i-1) - 1 - rate) for i = 1 .. n-1; empty
// below 2 points. A zero previous price gives the return 0.0 (less the rate).
TSeries ComputeReturns(const TSeries& prices, double rate);

// Returns of the aligned prices over the periods whose opening signal equals
// 1.0 (state true) or 0.0 (state false): (p_(k+1) date, p_(k+1) / p_k - 1).
// Other periods produce no point.
TSeries ConditionalReturns(const TSeries& prices, const TSeries& signal, bool state);
// The same; the number is not read (kept for callers that pass one).
TSeries ConditionalReturns(const TSeries& prices, const TSeries& signal, double unused, bool state);
// The same written into `target` (its storage kept).
void ConditionalReturnsInto(TSeries& target, const TSeries& prices, const TSeries& signal, bool state);

// Returns of an asset held in a target currency with its currency risk hedged
// through the two cash rates, over the window common to (asset, fx) and
// (localCash, targetCash), the four cuts holding the same number n of points:
// (rA_i date, rT_i + (rA_i - rL_i) * fx_(i+1) / fx_i) with rA and rL the
// returns of asset and localCash and rT the return of targetCash less rate.
TSeries HedgedReturns(const TSeries& asset, const TSeries& fx, const TSeries& localCash, const TSeries& targetCash,
                      double rate);

// (a_i date, a_i * b_i) paired by position without date check; same non-zero
// length, else empty.
TSeries ScaleSeries(const TSeries& a, const TSeries& b);

// b's values on a's dates: (a_i date, b_i value) over the aligned cuts.
TSeries AlignSeriesOnCommonRange(const TSeries& a, const TSeries& b);

// Wealth index of a return series: (one period before the first return date,
// 1.0), then I_k = I_(k-1) * (1 + r_k) at each return's date; n + 1 points.
TSeries ReturnsToIndex(const TSeries& returns, int frequency);

// Drawdown of the compounded index below its running peak: (one period before
// the first return date, 0.0), then I / peak - 1 with I = I * (1 + r_k),
// peak = max(peak, I), both starting at 1.0; n + 1 points.
TSeries DrawdownSeries(const TSeries& returns, int frequency);
// ReturnsToIndex and DrawdownSeries of a run of returns read in place,
// written into `target` (its storage kept).
void ReturnsToIndexInto(TSeries& target, TSeriesSpan returns, int frequency);
void DrawdownSeriesInto(TSeries& target, TSeriesSpan returns, int frequency);

// Trailing one-year windows: with y, m the year and month of the first date,
// j the first point dated after 1 m (y + 1) and k = j - 1, point i (i >= k)
// covers the points dated in [date_(i-k), date_i]. Empty when no point lies
// after that boundary.
// Value: product of (1 + r) over the window minus 1.
TSeries RollingOneYearReturns(const TSeries& returns);
// The same of a run of returns read in place, written into `target` (its storage kept).
void RollingOneYearReturnsInto(TSeries& target, TSeriesSpan returns);
// Value: population standard deviation of the window times sqrt(periods per year).
TSeries RollingOneYearVolatility(const TSeries& returns, int frequency);

// Two-leg blends. A and B hold n returns, a position or weight series n + 1
// points (point i is held during period i), X n points; other lengths or an
// empty input give an empty result. Point i carries A_i's date. The switch
// weight is s(p, f) = 1.0 when p is not 0.0 and 1 - f when p is 0.0.
//   AllocationReturns:           W_i A_i + (1 - W_i) B_i
//   AllocationReturnsWithCost:   the same less (c1 + c2) when W_(i+1) differs from W_i
//   SwitchReturnsWithCost:       w_i A_i + (1 - w_i) B_i - |w_i - w_(i+1)| (c1 + c2), w = s(P, f)
//   SwitchReturnsWithCost3:      X_i times the SwitchReturnsWithCost value
//   DoubleSwitchReturnsWithCost: as SwitchReturnsWithCost with w = s(P1, f1) * s(P2, f2)
TSeries AllocationReturns(const TSeries& a, const TSeries& b, const TSeries& weights);
TSeries AllocationReturnsWithCost(const TSeries& a, const TSeries& b, const TSeries& weights, double c1, double c2);
TSeries SwitchReturnsWithCost(const TSeries& a, const TSeries& b, const TSeries& positions, double f, double c1,
                              double c2);
TSeries SwitchReturnsWithCost3(const TSeries& a, const TSeries& b, const TSeries& positions, const TSeries& x, double f,
                               double c1, double c2);
TSeries DoubleSwitchReturnsWithCost(const TSeries& a, const TSeries& b, const TSeries& positions1,
                                    const TSeries& positions2, double f1, double f2, double c1, double c2);

// Position cost series: P has n + 1 >= 2 points, R has n; else empty. Point i
// carries P_(i+1)'s date; g(p) = 1 - cost when p is 0.0, 1.0 otherwise.
//   PositionCostFactors: R_i * g(P_i)                  (the invested share)
//   PositionChangeCosts: R_i * |g(P_(i+1)) - g(P_i)|   (the switched share)
TSeries PositionCostFactors(const TSeries& positions, const TSeries& r, double cost);
TSeries PositionChangeCosts(const TSeries& positions, const TSeries& r, double cost);

// sqrt(sum (x - mean)^2 / n) * sqrt(periods per year); exactly 0.0 for a
// constant series; kNoFigure for an empty series or a result that is not finite.
double AnnualizedVolatility(const TSeries& returns, int frequency);

// Product of (1 + r) minus 1; 0.0 for an empty series.
double CompoundedReturn(const TSeries& returns);
