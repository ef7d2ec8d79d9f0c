#pragma once
// Series statistics: functions that reduce one or two dated series to one
// figure (the performance table of the models: annualised return, drawdown,
// year to date, one year, correlation, beta, turnover, cash return).
//
// Only the values are read, two series are paired by position (align them
// first when they must be paired by date), and kNoFigure (-1000000.0) is the
// one failure signal: it is returned when the figure cannot be computed, and
// also when the figure would not be a finite number (a value that is not a
// number, or a zero variance under a quotient). Variances and covariances
// divide by n. Frequency codes: 2 -> 260 periods a year, 1 -> 52, any other
// code -> 12. The volatility of a return series is AnnualizedVolatility
// (common/SeriesArithmetic.h).

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "common/SeriesArithmetic.h"

// (v_1 + ... + v_n) / n; kNoFigure when empty.
double MeanValue(const TSeries& series);

// sqrt(sum (v_i - mean)^2 / n), exactly 0.0 for a constant series; kNoFigure when empty.
double StandardDeviation(const TSeries& series);

// sum (a_i - mean_a)(b_i - mean_b) / n; kNoFigure when the lengths differ or a series is empty.
double Covariance(const TSeries& a, const TSeries& b);

// Covariance(a, b) / (StandardDeviation(a) * StandardDeviation(b)), within
// [-1, 1]; kNoFigure when the lengths differ, below 2 points, or when either
// series is constant.
double Correlation(const TSeries& a, const TSeries& b);

// Beta of b on the reference a: Covariance(a, b) / StandardDeviation(a)^2;
// kNoFigure when the lengths differ, below 2 points, or when a is constant.
double Beta(const TSeries& a, const TSeries& b);

// Compounded return per year: G^(P / n) - 1 with G = prod (1 + v_i) and P the
// periods per year of the code; kNoFigure when empty or when G < 0.
double AnnualizedReturn(const TSeries& returns, std::uint32_t frequency);

// Yearly turnover; kNoFigure when empty.
// countChanges false: P * (v_1 + ... + v_n) / n (the mean per-period value per year).
// countChanges true:  P * (number of i >= 2 with v_i != v_(i-1)) / (n - 1)
//                     (position changes per year; kNoFigure below 2 points).
double AnnualizedTurnover(const TSeries& series, std::uint32_t frequency, bool countChanges = false);

// Deepest fall of the index compounded from 1.0 below its running peak
// (the starting 1.0 counts as a peak): min over k of I_k / max(1, I_1..I_k) - 1,
// never above 0.0; kNoFigure when empty.
double MaxDrawdown(const TSeries& returns);

// Compounded return of the points dated from 1 January of the last point's
// year to the last point; kNoFigure when empty.
double YearToDateReturn(const TSeries& returns);

// Compounded return of the points dated from the twelfth point from the end
// to the last point (counted in points, not in time); kNoFigure below 12 points.
double OneYearReturn(const TSeries& returns);

// Value of the last point, whatever it holds; kNoFigure when empty.
double LastValue(const TSeries& series);

// AnnualizedReturn of the period returns dated in [from, to] of the first
// risk-free asset titled "...CASH..." of the currency's country (found with
// FindCountryIndex in vcMyExternCountryList, the same position taken in
// countries). kNoFigure when the currency has no country, the country no
// cash asset, or the window no return.
double AnnualizedCashReturn(const std::vector<TCountry>& countries, const std::string& currency,
                            std::uint32_t frequency, double from, double to);

// n_a / (n_a + n_b); kNoFigure when either series is empty.
double PointCountRatio(const TSeries& a, const TSeries& b);
