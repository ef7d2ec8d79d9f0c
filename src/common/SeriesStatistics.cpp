#include "common/SeriesStatistics.h"

#include <algorithm>
#include <cmath>

#include "common/CountryHelpers.h"
#include "common/TextHelpers.h"
#include "platform/DateTime.h"

namespace {

// The figure itself when finite, else kNoFigure.
double FigureOrMarker(double figure) { return std::isfinite(figure) ? figure : kNoFigure; }

// Compounded return of the values dated in [from, to], in order:
// C = C + (C + 1) r, starting at 0 (the product of (1 + r) minus 1).
// kNoFigure when no point lies in the window.
double CompoundedReturnInWindow(const TSeries& returns, double from, double to) {
  double compounded = 0.0;
  bool any = false;
  for (const TDataPoint& r : returns) {
    if (!(from <= r.Date && r.Date <= to)) continue;
    compounded += (compounded + 1.0) * r.Value;
    any = true;
  }
  return any ? FigureOrMarker(compounded) : kNoFigure;
}

// G^(P / n) - 1 of a growth product over n periods. A negative growth (a loss
// beyond 100 %) has no yearly rate: kNoFigure, whatever the parity of the power.
double AnnualizeGrowth(double growth, std::size_t n, std::uint32_t frequency) {
  if (growth < 0.0) return kNoFigure;
  return FigureOrMarker(std::pow(growth, PeriodsPerYear(frequency) / static_cast<double>(n)) - 1.0);
}

}  // namespace

double MeanValue(const TSeries& series) {
  if (series.empty()) return kNoFigure;
  double total = 0.0;
  for (const TDataPoint& p : series) total += p.Value;
  return FigureOrMarker(total / static_cast<double>(series.size()));
}

double StandardDeviation(const TSeries& series) {
  if (series.empty()) return kNoFigure;
  const TCentredSums sums = ComputeCentredSums(series, series);
  return FigureOrMarker(std::sqrt(sums.SumAA / static_cast<double>(sums.Count)));
}

double Covariance(const TSeries& a, const TSeries& b) {
  if (a.empty() || a.size() != b.size()) return kNoFigure;
  const TCentredSums sums = ComputeCentredSums(a, b);
  return FigureOrMarker(sums.SumAB / static_cast<double>(sums.Count));
}

double Correlation(const TSeries& a, const TSeries& b) {
  if (a.size() < 2 || a.size() != b.size()) return kNoFigure;
  const TCentredSums sums = ComputeCentredSums(a, b);
  const double n = static_cast<double>(sums.Count);
  const double denominator = std::sqrt(sums.SumAA / n) * std::sqrt(sums.SumBB / n);
  if (denominator == 0.0) return kNoFigure;
  const double correlation = (sums.SumAB / n) / denominator;
  // Rounding may carry the quotient a hair beyond the bounds.
  return std::isfinite(correlation) ? std::clamp(correlation, -1.0, 1.0) : kNoFigure;
}

double Beta(const TSeries& a, const TSeries& b) {
  if (a.size() < 2 || a.size() != b.size()) return kNoFigure;
  const TCentredSums sums = ComputeCentredSums(a, b);
  const double n = static_cast<double>(sums.Count);
  const double variance = sums.SumAA / n;  // StandardDeviation(a)^2 without the square root
  if (variance == 0.0) return kNoFigure;
  return FigureOrMarker((sums.SumAB / n) / variance);
}

double AnnualizedReturn(const TSeries& returns, std::uint32_t frequency) {
  if (returns.empty()) return kNoFigure;
  double growth = 1.0;
  for (const TDataPoint& r : returns) growth *= 1.0 + r.Value;
  return AnnualizeGrowth(growth, returns.size(), frequency);
}

double AnnualizedTurnover(const TSeries& series, std::uint32_t frequency, bool countChanges) {
  if (series.empty()) return kNoFigure;
  const std::size_t first = countChanges ? 1 : 0;
  if (series.size() <= first) return kNoFigure;
  double total = 0.0;
  for (std::size_t i = first; i < series.size(); ++i) {
    if (countChanges) {
      total += series[i].Value != series[i - 1].Value ? 1.0 : 0.0;
    } else {
      total += series[i].Value;
    }
  }
  return FigureOrMarker(PeriodsPerYear(frequency) * total / static_cast<double>(series.size() - first));
}

double MaxDrawdown(const TSeries& returns) {
  if (returns.empty()) return kNoFigure;
  double index = 1.0;
  double peak = 1.0;
  double drawdown = 0.0;
  bool finite = true;
  for (const TDataPoint& r : returns) {
    index *= 1.0 + r.Value;
    finite = finite && std::isfinite(index);
    peak = std::max(peak, index);
    drawdown = std::min(index / peak - 1.0, drawdown);
  }
  return finite ? drawdown : kNoFigure;
}

double YearToDateReturn(const TSeries& returns) {
  if (returns.empty()) return kNoFigure;
  const double last = returns.back().Date;
  const platform::CivilDate civil = platform::DecodeDate(last);
  return CompoundedReturnInWindow(returns, platform::EncodeDate(civil.Year, 1, 1), last);
}

double OneYearReturn(const TSeries& returns) {
  if (returns.size() < 12) return kNoFigure;
  return CompoundedReturnInWindow(returns, returns[returns.size() - 12].Date, returns.back().Date);
}

double LastValue(const TSeries& series) { return series.empty() ? kNoFigure : series.back().Value; }

double AnnualizedCashReturn(const std::vector<TCountry>& countries, const std::string& currency,
                            std::uint32_t frequency, double from, double to) {
  const int index = FindCountryIndex(currency, false);
  if (index < 0 || static_cast<std::size_t>(index) >= countries.size()) return kNoFigure;
  const std::vector<TAssetSeries>& assets = countries[static_cast<std::size_t>(index)].RiskFreeAssets;
  const auto cash = std::find_if(assets.begin(), assets.end(), [](const TAssetSeries& asset) {
    return UpperCaseText(TranslateAssetName(asset.ID, atRiskFreeAsset, true)).find("CASH") != std::string::npos;
  });
  if (cash == assets.end()) return kNoFigure;
  double growth = 1.0;
  std::size_t n = 0;
  for (const TDataPoint& r : ComputeReturns(cash->Series, 0.0)) {
    if (!(from <= r.Date && r.Date <= to)) continue;
    growth *= 1.0 + r.Value;
    ++n;
  }
  return n == 0 ? kNoFigure : AnnualizeGrowth(growth, n, frequency);
}

double PointCountRatio(const TSeries& a, const TSeries& b) {
  if (a.empty() || b.empty()) return kNoFigure;
  const double na = static_cast<double>(a.size());
  return na / (na + static_cast<double>(b.size()));
}
