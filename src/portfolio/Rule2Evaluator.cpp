#include "portfolio/Rule2Evaluator.h"

#include <algorithm>
#include <cstddef>

#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioCurrency.h"

TSeries MergeSeriesWithFallback(const TSeries& base, const TSeries& override) {
  if (override.empty()) return base;
  TSeries merged;
  merged.reserve(base.size());
  const auto shift = static_cast<std::ptrdiff_t>(override.size()) - static_cast<std::ptrdiff_t>(base.size());
  for (std::size_t k = 0; k < base.size(); ++k) {
    if (override.front().Date > base[k].Date) {
      merged.push_back(base[k]);
      continue;
    }
    const TDataPoint& point = ModelAt(override, shift + static_cast<std::ptrdiff_t>(k), "inflation-linked index");
    merged.push_back(point.Value == kStoredMissingValue ? base[k] : point);
  }
  return merged;
}

void TInflationLinkedSet::Build(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                std::int32_t frequency) {
  Lines.clear();
  for (const TCountry& country : countries) {
    TInflationLinkedLine line;
    line.CountryName = country.Name;
    Lines.push_back(std::move(line));
  }
  LoadIndexSeries(countries);
  ConvertLineReturns(countries, settings, frequency);
}

void TInflationLinkedSet::LoadIndexSeries(const std::vector<TCountry>& countries) {
  if (countries.empty()) return;
  const std::size_t indexPosition = FindAssetPosition(countries.front().IndexAssets, "IBINDEX2", 4);
  const std::size_t cashPosition = FindAssetPosition(countries.front().RiskFreeAssets, "RISKFREEASSET1", 0);
  const std::size_t count = std::min(countries.size(), Lines.size());
  for (std::size_t i = 0; i < count; ++i) {
    TInflationLinkedLine& line = Lines[i];
    const TSeries& index = SeriesAtPosition(countries[i].IndexAssets, indexPosition);
    if (!index.empty()) {
      line.FirstDate = index.front().Date;
      line.LastDate = index.back().Date;
    }
    line.Series = MergeSeriesWithFallback(SeriesAtPosition(countries[i].RiskFreeAssets, cashPosition), index);
  }
}

void TInflationLinkedSet::ConvertLineReturns(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                             std::int32_t frequency) {
  const TCurrencyCountries found = FindCurrencyCountries(countries, settings.PortfolioCcy);
  const std::size_t count = std::min(countries.size(), Lines.size());
  for (std::size_t i = 0; i < count; ++i) {
    TInflationLinkedLine& line = Lines[i];
    line.Returns.clear();
    if (!found.Valid()) continue;
    const TCountry& usd = countries[static_cast<std::size_t>(found.Usd)];
    const TCountry& pc = countries[static_cast<std::size_t>(found.Portfolio)];
    double cost = 0.0;
    if (static_cast<int>(i) != found.Usd && settings.FxHedging) {
      cost = ModelAt(settings.CountrySettings, static_cast<std::ptrdiff_t>(i), "inflation-linked settings rows")
                 .EqFxSwapBorrowingCost /
             PeriodsPerYear(frequency) / 100.0;
    }
    line.Returns = ConvertToPortfolioCurrency(line.Series, CashSeries(countries[i]), CrossRate(countries[i], usd), cost,
                                              CrossRate(usd, pc), frequency);
  }
}

void TInflationLinkedSet::ComputePortfolioReturns(const std::vector<TSLAllocation>& allocations) {
  Returns.clear();
  if (allocations.size() < 2) return;
  const auto count = static_cast<std::ptrdiff_t>(allocations.size());
  for (std::ptrdiff_t k = 1; k < count; ++k) {
    const TSLAllocation& current = allocations[static_cast<std::size_t>(k)];
    const TSLAllocation& previous = allocations[static_cast<std::size_t>(k - 1)];
    double sum = 0.0;
    for (const TSLHolding& holding : previous.Holdings) {
      for (const TInflationLinkedLine& line : Lines) {
        if (line.CountryName != holding.Name || line.Returns.empty()) continue;
        if (!(current.Date > line.Returns.front().Date)) continue;
        const std::ptrdiff_t j = static_cast<std::ptrdiff_t>(line.Returns.size()) - count + k;
        sum += holding.AdjustedWeight * ModelAt(line.Returns, j, "inflation-linked returns").Value;
      }
    }
    Returns.push_back({current.Date, sum});
  }
}

TSeries TRule2Evaluator::BuildGoldReturns(const std::string& portfolioCcy) const {
  if (Countries.empty()) return {};
  const std::vector<TAssetSeries>& index = Countries.front().IndexAssets;
  const std::size_t goldPosition = FindAssetPosition(index, "AUINDEX", index.size());
  if (goldPosition >= index.size()) return {};
  const TCurrencyCountries found = FindCurrencyCountries(Countries, portfolioCcy);
  if (!found.Valid()) return {};
  const TCountry& usd = Countries[static_cast<std::size_t>(found.Usd)];
  const TCountry& pc = Countries[static_cast<std::size_t>(found.Portfolio)];
  // USD cash at the position that the "CASH"-titled asset has in the first country.
  const int cashPosition = FindCashAssetPosition(Countries.front().RiskFreeAssets);
  if (cashPosition < 0) return {};
  const TSeries& cash = SeriesAtPosition(usd.RiskFreeAssets, static_cast<std::size_t>(cashPosition));
  return ConvertToPortfolioCurrency(index[goldPosition].Series, cash, CrossRate(usd, usd), 0.0, CrossRate(usd, pc),
                                    Frequency);
}

void TRule2Evaluator::Evaluate(const TSharedCountryList& countries, const TUserSettings& settings, bool rankingFlag,
                               std::int32_t frequency, double startDate, double endDate) {
  Frequency = frequency;
  StartDate = startDate;
  EndDate = endDate;
  Countries = countries;
  Returns.clear();
  Allocations.clear();
  // The gold signal and the RULE2 state are read beside the blend: an
  // evaluation that stops early must not leave an earlier run's in place.
  Basket.Signal.clear();
  Rule2State.clear();

  // Fixed-rate leg.
  BondPortfolio.Build(countries, settings, frequency, startDate, endDate);
  BondPortfolio.Recalculate(rankingFlag);
  FixedRateReturns = BondPortfolio.Returns;

  // Inflation-linked leg with the bond portfolio's country weights.
  InflationLinked.Build(countries, settings, frequency);
  InflationLinked.ComputePortfolioReturns(BondPortfolio.Allocations);
  InflationLinkedReturns = InflationLinked.Returns;

  // Gold leg.
  GoldReturns = BuildGoldReturns(settings.PortfolioCcy);
  if (FixedRateReturns.empty() || InflationLinkedReturns.empty() || GoldReturns.empty()) return;

  Basket.SetData(countries, StartDate, EndDate);
  Basket.Build();
  if (Basket.Signal.empty()) return;

  const std::vector<TAssetSeries>& rules = Countries.front().RuleAssets;
  const std::size_t rulePosition = FindAssetPosition(rules, "RULE2", rules.size());
  if (rulePosition < rules.size()) Rule2State = SliceSeries(rules[rulePosition].Series, StartDate, EndDate);

  // Alignment: the signal series keep one point one period before the first return.
  TSeries& signal = Basket.Signal;
  const auto r1 = GetCommonDateRange(signal, Rule2State);
  signal = SliceSeries(signal, r1[0], r1[1]);
  Rule2State = SliceSeries(Rule2State, r1[0], r1[1]);

  const auto gold = GetCommonDateRange(FixedRateReturns, GoldReturns);
  const auto linked = GetCommonDateRange(FixedRateReturns, InflationLinkedReturns);
  const auto signalled = GetCommonDateRange(FixedRateReturns, signal);
  double start = std::max({gold[0], linked[0], signalled[0]});
  const double end = std::min({gold[1], linked[1], signalled[1]});
  if (!signal.empty() && !(signal.front().Date < start)) {
    const auto later =
        std::find_if(signal.begin(), signal.end(), [start](const TDataPoint& p) { return p.Date > start; });
    if (later != signal.end()) start = later->Date;
  }
  if (start != end) {
    FixedRateReturns = SliceSeries(FixedRateReturns, start, end);
    GoldReturns = SliceSeries(GoldReturns, start, end);
    InflationLinkedReturns = SliceSeries(InflationLinkedReturns, start, end);
    const double before = GetPreviousPeriodDate(start, Frequency);
    signal = SliceSeries(signal, before, end);
    Rule2State = SliceSeries(Rule2State, before, end);
  }
  Blend(settings);
}

void TRule2Evaluator::Blend(const TUserSettings& settings) {
  Returns.clear();
  Allocations.clear();
  const TSeries& signal = Basket.Signal;
  const std::size_t n = GoldReturns.size();
  if (n == 0 || InflationLinkedReturns.size() != n || FixedRateReturns.size() != n || signal.size() != n + 1 ||
      Rule2State.size() != n + 1) {
    return;
  }
  const double maxGold = settings.MaxGoldAllocation / 100.0;
  const double maxTips = settings.MaxTipsAllocation / 100.0;
  Allocations.reserve(n + 1);
  for (std::size_t i = 0; i <= n; ++i) {
    TRule2Allocation row;
    row.Date = signal[i].Date;
    // A NaN signal counts as not 0.
    row.GoldWeight = (signal[i].Value != 0.0 ? settings.SLTrustLevel / 100.0 : 0.0) * maxGold;
    const double bonds = 1.0 - row.GoldWeight;
    if (maxTips == 1.0 && Rule2State[i].Value == 2.0) {
      row.InflationLinkedWeight = bonds;
    } else {
      row.FixedRateWeight = bonds;
    }
    Allocations.push_back(row);
  }
  Returns.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const TRule2Allocation& w = Allocations[i];
    Returns.push_back({GoldReturns[i].Date, w.GoldWeight * GoldReturns[i].Value +
                                                w.InflationLinkedWeight * InflationLinkedReturns[i].Value +
                                                w.FixedRateWeight * FixedRateReturns[i].Value});
  }
}
