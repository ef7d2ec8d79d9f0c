#include "models/global/FICYModel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "common/SeriesStatistics.h"
#include "common/TextHelpers.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/PerformanceStage.h"
#include "models/equity/RankingTables.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioCurrency.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

// The RULE2 state under which the model follows the user's currency weights.
constexpr double kUserWeightsState = 2.0;

TFICYGraphicData& RecordOf(TFICYGraphicData* result) {
  if (result == nullptr) throw EModelError("FICY: no result record");
  return *result;
}

// Settings rows follow the country order; a row missing for a country is a failure.
void CheckSettingsRows(const std::vector<TCountry>& countries, const TUserSettings& settings, const char* what) {
  if (settings.CountrySettings.size() < countries.size())
    throw EModelError(std::string("FICY: ") + what + " hold " + std::to_string(settings.CountrySettings.size()) +
                      " rows for " + std::to_string(countries.size()) + " countries");
}

// The RULE2 path: the reference portfolio was built and a RULE2 series exists.
bool FollowsRule2(const TFICYGraphicData& r) { return r.Extra && !r.Values2.empty(); }

// The portfolio that a RULE2 state selects.
const TCurrencySLPortfolio& SelectedPortfolio(const TFICYGraphicData& r, double state) {
  return state == kUserWeightsState ? r.BenchmarkPortfolio : r.ModelPortfolio;
}

bool EarlierDate(const TDataPoint& a, const TDataPoint& b) { return a.Date < b.Date; }

// The points of an ascending series dated exactly `date`.
std::pair<TSeries::const_iterator, TSeries::const_iterator> PointsAt(const TSeries& series, double date) {
  return std::equal_range(series.begin(), series.end(), TDataPoint{date, 0.0}, EarlierDate);
}

// Position in the run's list of the portfolio currency's country, found in
// the application's list (FindCountryIndex by currency); -1 when none.
std::ptrdiff_t HomeCountry(const std::vector<TCountry>& countries, const std::string& currency) {
  const int home = FindCountryIndex(currency, false);
  if (home < 0) return -1;
  ModelAt(countries, home, "country of the portfolio currency");
  return home;
}

// The user's currency weight of country i in the shared settings is above 0.
bool SharedCurrencyWeighted(std::size_t i) {
  return ModelAt(usMyExternUserSettings.CountrySettings, static_cast<std::ptrdiff_t>(i), "shared country settings")
             .CyWeight > 0.0;
}

// A series on the grid: the grid points (-1.0) dated before its first
// point, then the series, cut to [first grid date, endDate]; empty without a grid.
TSeries PlaceOnGrid(const TSeries& grid, const TSeries& series, double endDate) {
  if (grid.empty()) return {};
  return SliceSeries(PrependSeries(grid, series), grid.front().Date, endDate);
}

// Plain path: one row per (country, line of the user's portfolio of that
// name); a country without such a line gets no row.
void PlainRankingRows(TFICYGraphicData& r, const TSeries& grid) {
  for (std::size_t i = 0; i < r.Countries.size(); ++i) {
    const TCountry& country = r.Countries[i];
    for (const TSLLine& line : r.BenchmarkPortfolio.Lines) {
      if (line.Name != country.Name) continue;
      TLabelledSeries row;
      row.Labels = {country.Name, country.RegionName};
      row.Selected = SharedCurrencyWeighted(i);
      row.Series = row.Selected ? PlaceOnGrid(grid, line.Ranks, r.EndDate) : grid;
      r.RankingRows.push_back(std::move(row));
    }
  }
}

// Each line's ranks placed on the grid.
std::vector<TSeries> PlacedRanks(const TCurrencySLPortfolio& portfolio, const TSeries& grid, double endDate) {
  std::vector<TSeries> placed;
  placed.reserve(portfolio.Lines.size());
  for (const TSLLine& line : portfolio.Lines) placed.push_back(PlaceOnGrid(grid, line.Ranks, endDate));
  return placed;
}

// RULE2 path: one row per country. At each RULE2 date d the portfolio of its
// state gives the country's ranks dated d (0.0 when it has no line of that
// name). Selected is set by the earliest RULE2 date whose portfolio holds the
// country (true) or is the reference portfolio without it (the shared
// CyWeight > 0); false when no date sets it. A selected row holds its points
// on the grid, any other row the grid alone.
void Rule2RankingRows(TFICYGraphicData& r, const TSeries& grid) {
  const std::vector<TSeries> userRanks = PlacedRanks(r.BenchmarkPortfolio, grid, r.EndDate);
  const std::vector<TSeries> referenceRanks = PlacedRanks(r.ModelPortfolio, grid, r.EndDate);
  for (std::size_t i = 0; i < r.Countries.size(); ++i) {
    const TCountry& country = r.Countries[i];
    TLabelledSeries row;
    row.Labels = {country.Name, country.RegionName};
    // Collected from the latest RULE2 date back, so the earliest date decides Selected.
    TSeries collected;
    for (auto point = r.Values2.rbegin(); point != r.Values2.rend(); ++point) {
      const double date = point->Date;
      const bool user = point->Value == kUserWeightsState;
      const TCurrencySLPortfolio& portfolio = user ? r.BenchmarkPortfolio : r.ModelPortfolio;
      const std::vector<TSeries>& placed = user ? userRanks : referenceRanks;
      bool held = false;
      for (std::size_t l = 0; l < portfolio.Lines.size(); ++l) {
        if (portfolio.Lines[l].Name != country.Name) continue;
        held = true;
        row.Selected = true;
        const auto [first, last] = PointsAt(placed[l], date);
        for (auto p = last; p != first;) {
          --p;
          collected.push_back({date, p->Value});
        }
      }
      if (!held) {
        collected.push_back({date, 0.0});
        if (!user) row.Selected = SharedCurrencyWeighted(i);
      }
    }
    std::reverse(collected.begin(), collected.end());
    row.Series = row.Selected ? PlaceOnGrid(grid, collected, r.EndDate) : grid;
    r.RankingRows.push_back(std::move(row));
  }
}

// The reference lines as BuildClosingRanking reads them: the same names and
// line count, each line with a point dated endDate holding the single rank
// (endDate, rank) read from the end of its ranks as far as the RULE2 point k
// lies from the end of the n RULE2 points (index m - (n - k)); the others
// without ranks.
std::vector<TSLLine> ReferenceRanksAt(const TCurrencySLPortfolio& portfolio, double endDate, std::size_t k,
                                      std::size_t n) {
  std::vector<TSLLine> lines(portfolio.Lines.size());
  for (std::size_t l = 0; l < portfolio.Lines.size(); ++l) {
    const TSeries& ranks = portfolio.Lines[l].Ranks;
    lines[l].Name = portfolio.Lines[l].Name;
    const auto [first, last] = PointsAt(ranks, endDate);
    if (first == last) continue;
    const auto index = static_cast<std::ptrdiff_t>(ranks.size()) - static_cast<std::ptrdiff_t>(n - k);
    lines[l].Ranks = {{endDate, ModelAt(ranks, index, "reference rank at the end date").Value}};
  }
  return lines;
}

// RULE2 state in force during the period that ends at `date`: the last
// RULE2 point dated on or before the period's start
// (GetPreviousPeriodDate(date)); nullptr when there is none.
const TDataPoint* OpeningState(const TSeries& rule2, double date, int frequency) {
  const double start = GetPreviousPeriodDate(date, frequency);
  const auto after = std::upper_bound(rule2.begin(), rule2.end(), TDataPoint{start, 0.0}, EarlierDate);
  return after == rule2.begin() ? nullptr : &*std::prev(after);
}

// The strategy's period returns. RULE2 path: both portfolios' returns are
// cut to the window common to both and to RULE2 (starting after the first
// RULE2 date when RULE2 does not begin earlier), RULE2 from one period
// before it; each reference return at date t is replaced by the user
// portfolio's return dated t when the opening state of its period is 2.0.
// A period without an opening state, or without a user return when the
// state asks for one, gives no point. Without RULE2: the user portfolio's returns.
TSeries StrategyReturns(TFICYGraphicData& r) {
  if (!FollowsRule2(r)) return r.BenchmarkPortfolio.Returns;
  TSeries& reference = r.ModelPortfolio.Returns;
  TSeries& user = r.BenchmarkPortfolio.Returns;
  TSeries& rule2 = r.Values2;
  const int frequency = static_cast<int>(r.Frequency);
  const auto a = GetCommonDateRange(reference, user);
  const auto b = GetCommonDateRange(reference, rule2);
  double first = std::max(a[0], b[0]);
  const double last = std::min(a[1], b[1]);
  if (!(rule2.front().Date < first)) {
    const auto after = std::upper_bound(rule2.begin(), rule2.end(), TDataPoint{first, 0.0}, EarlierDate);
    if (after != rule2.end()) first = after->Date;
  }
  if (first != last) {
    reference = SliceSeries(reference, first, last);
    user = SliceSeries(user, first, last);
    rule2 = SliceSeries(rule2, GetPreviousPeriodDate(first, frequency), last);
  }
  TSeries strategy;
  strategy.reserve(reference.size());
  for (const TDataPoint& point : reference) {
    const TDataPoint* state = OpeningState(rule2, point.Date, frequency);
    if (state == nullptr) continue;
    if (state->Value != kUserWeightsState) {
      strategy.push_back(point);
      continue;
    }
    const auto [match, end] = PointsAt(user, point.Date);
    if (match != end) strategy.push_back({point.Date, match->Value});
  }
  return strategy;
}

// How the zone records scale a portfolio's weights.
struct TZoneScale {
  double Invested = 1.0;   // m
  double Remainder = 0.0;  // c = 1 - m, held in the portfolio currency
  std::string Currency;    // the portfolio currency
  const TCountry* Home = nullptr;  // its country; none when the lookup fails
};

// The items of one allocation: each holding's weight x m; c is added once,
// to the first holding whose country (GetCountryCurrency) has the portfolio
// currency, otherwise it becomes the item (home, c, state 0) appended last -
// always when homeAtZero, else only when c is not 0.0. No allocation: the
// home item alone under the same rule.
std::vector<TShareItem> ScaledItems(const TSLAllocation* allocation, const TZoneScale& scale, bool homeAtZero) {
  std::vector<TShareItem> items;
  bool remainderHeld = false;
  if (allocation != nullptr) {
    items.reserve(allocation->Holdings.size() + 1);
    for (const TSLHolding& holding : allocation->Holdings) {
      double value = holding.AdjustedWeight * scale.Invested;
      if (!remainderHeld && GetCountryCurrency(holding.Name) == scale.Currency) {
        value += scale.Remainder;
        remainderHeld = true;
      }
      items.push_back({holding.Name, {}, value, holding.Rank});
    }
  }
  if (!remainderHeld && scale.Home != nullptr && (homeAtZero || scale.Remainder != 0.0))
    items.push_back({scale.Home->Name, {}, scale.Remainder, 0});
  return items;
}

TAllocationRow HistoryRow(const TSLAllocation& allocation, const TZoneScale& scale) {
  TAllocationRow row;
  row.Date = allocation.Date;
  row.TotalWeight = allocation.TotalWeight;
  for (TShareItem& item : ScaledItems(&allocation, scale, true))
    row.Holdings.push_back({std::move(item.Label), item.Value});
  return row;
}

// Allocation history of the followed portfolio, ascending. RULE2 path: at
// each RULE2 date the allocations of the selected portfolio dated exactly
// that date; a date without one adds nothing.
std::vector<TAllocationRow> FollowedHistory(const TFICYGraphicData& r, const TZoneScale& scale) {
  std::vector<TAllocationRow> history;
  if (!FollowsRule2(r)) {
    history.reserve(r.BenchmarkPortfolio.Allocations.size());
    for (const TSLAllocation& allocation : r.BenchmarkPortfolio.Allocations)
      history.push_back(HistoryRow(allocation, scale));
    return history;
  }
  for (auto point = r.Values2.rbegin(); point != r.Values2.rend(); ++point) {
    const std::vector<TSLAllocation>& allocations = SelectedPortfolio(r, point->Value).Allocations;
    const auto [first, last] =
        std::equal_range(allocations.begin(), allocations.end(), TSLAllocation{point->Date, 0.0, {}},
                         [](const TSLAllocation& x, const TSLAllocation& y) { return x.Date < y.Date; });
    for (auto a = last; a != first;) {
      --a;
      history.push_back(HistoryRow(*a, scale));
    }
  }
  std::reverse(history.begin(), history.end());
  return history;
}

}  // namespace

void ComputeFICYModel(TFICYGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  TFICYGraphicData& r = RecordOf(result);
  TStageCounter counter(progress, step);
  RunModelFrame(r, countries, settings, frequency, intraMonth,
                TModelFrameValues{"FICY", "EQINDEX", atIndex, 1, TStartShift::FirstDayYearEarlier}, counter);

  counter.Next();  // 2
  BuildFICYPortfolios(result, r.Countries, settings, frequency);
  counter.Next();  // 3
  CopySettingsToSeriesInfo(r.Performance.Parameters, settings, TParameterGroup::FixedIncome);
  counter.Next();  // 4
  if (r.Extra) r.ModelPortfolio.Recalculate(true);
  r.BenchmarkPortfolio.Recalculate(true);
  counter.Next();  // 5
  ComputeFICYRanking(result);
  counter.Next();  // 6
  ComputeFICYBenchmark(result);
  counter.Next();  // 7
  ComputeFICYStatistics(result);
  counter.Next();  // 8
  ComputeFICYAllocations(result, settings);
  counter.Next();  // 9: "100%"
}

TUserSettings FICYReferenceSettings(const std::vector<TCountry>& countries, const TUserSettings& settings) {
  CheckSettingsRows(countries, settings, "country settings");
  static constexpr std::array<const char*, 4> kReferenceNames{"USA", "GERMANY", "JAPAN", "CHINA"};
  TUserSettings working = settings;
  std::vector<TCountrySettings>& rows = working.CountrySettings;
  const std::size_t n = countries.size();
  for (std::size_t i = 0; i < n; ++i) rows[i].CyWeight = 0.0;
  std::array<bool, kReferenceNames.size()> taken{};
  for (std::size_t i = 0; i < n; ++i) {
    const std::string name = UpperCaseText(countries[i].Name);
    for (std::size_t k = 0; k < kReferenceNames.size(); ++k) {
      if (taken[k] || name != kReferenceNames[k]) continue;
      taken[k] = true;
      rows[i].CyWeight = settings.CountrySettings[i].CyWeight;
    }
  }
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) sum += rows[i].CyWeight;
  if (sum == 0.0) {
    const std::ptrdiff_t home = HomeCountry(countries, settings.PortfolioCcy);
    if (home >= 0) rows[static_cast<std::size_t>(home)].CyWeight = 1.0;
    sum = 1.0;
  }
  for (std::size_t i = 0; i < n; ++i) rows[i].CyWeight /= sum;
  return working;
}

void BuildFICYPortfolios(TFICYGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency) {
  TFICYGraphicData& r = RecordOf(result);
  const TUserSettings reference = FICYReferenceSettings(countries, settings);
  // Nothing of an earlier run survives: without a RULE2 or a cash asset the series are empty.
  r.Values2.clear();
  r.Values1.clear();
  if (!countries.empty()) {
    for (const TAssetSeries& asset : countries.front().RuleAssets)
      if (asset.ID == "RULE2") r.Values2 = SliceSeries(asset.Series, r.StartDate, r.EndDate);
  }
  r.Extra = true;
  const auto code = static_cast<std::int32_t>(frequency);
  r.ModelPortfolio.Build(countries, reference, code, r.StartDate, r.EndDate);
  r.BenchmarkPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);

  const std::ptrdiff_t home = HomeCountry(countries, settings.PortfolioCcy);
  if (home < 0) return;
  if (const TAssetSeries* cash = LastCashAsset(countries[static_cast<std::size_t>(home)]))
    r.Values1 = ComputeReturns(cash->Series, 0.0);
}

void ComputeFICYRanking(TFICYGraphicData* result) {
  TFICYGraphicData& r = RecordOf(result);
  TSeries grid = GetSignalDateGrid(r.Countries);
  if (!grid.empty()) grid = SliceSeries(grid, grid.front().Date, r.EndDate);
  for (TDataPoint& p : grid) p.Value = kMissingSignal;

  r.RankingRows.clear();
  r.RankingPages.clear();
  if (!FollowsRule2(r)) {
    PlainRankingRows(r, grid);
    r.RankingPages = BuildClosingRanking(r.RankingRows, r.BenchmarkPortfolio.Lines, r.EndDate);
    return;
  }
  Rule2RankingRows(r, grid);
  // Every RULE2 point dated EndDate, from the last, ranks the portfolio of its state.
  const std::size_t n = r.Values2.size();
  for (std::size_t k = n; k-- > 0;) {
    const TDataPoint& point = r.Values2[k];
    if (point.Date != r.EndDate) continue;
    const std::vector<TLabelledSeries> pages =
        point.Value == kUserWeightsState
            ? BuildClosingRanking(r.RankingRows, r.BenchmarkPortfolio.Lines, r.EndDate)
            : BuildClosingRanking(r.RankingRows, ReferenceRanksAt(r.ModelPortfolio, r.EndDate, k, n), r.EndDate);
    r.RankingPages.insert(r.RankingPages.end(), pages.begin(), pages.end());
  }
}

void ComputeFICYBenchmark(TFICYGraphicData* result) {
  TFICYGraphicData& r = RecordOf(result);
  TPortfolioPerformance& performance = r.Performance;
  const TSeries strategy = StrategyReturns(r);

  performance.ModelReturns.clear();
  performance.BenchmarkReturns.clear();
  performance.Parameters.PortfolioCcy = r.BenchmarkPortfolio.PortfolioCcy;
  performance.ModelName = "(In " + performance.Parameters.PortfolioCcy + ")";
  performance.BenchmarkName = "Benchmark (In " + performance.Parameters.PortfolioCcy + ")";

  // Model := (100 - M) / 100 x cash + M / 100 x strategy on every date that
  // both hold within their common range; the benchmark is the cash there.
  const auto window = GetCommonDateRange(strategy, r.Values1);
  const TSeries model = SliceSeries(strategy, window[0], window[1]);
  const TSeries cash = SliceSeries(r.Values1, window[0], window[1]);
  const double m = performance.Parameters.MaxFxRiskAllocation;
  std::size_t j = 0;
  for (const TDataPoint& point : model) {
    while (j < cash.size() && cash[j].Date < point.Date) ++j;
    if (j == cash.size()) break;
    if (cash[j].Date != point.Date) continue;
    performance.ModelReturns.push_back({point.Date, (100.0 - m) / 100.0 * cash[j].Value + m / 100.0 * point.Value});
    performance.BenchmarkReturns.push_back(cash[j]);
    ++j;
  }

  // Annualised cash return over the window; kNoFigure without cash returns.
  performance.Statistics.RiskFreeRate = kNoFigure;
  if (!r.Values1.empty()) performance.Statistics.RiskFreeRate = AnnualizedReturn(cash, r.Frequency);
}

void ComputeFICYAllocations(TFICYGraphicData* result, const TUserSettings& settings) {
  TFICYGraphicData& r = RecordOf(result);
  FillChartSets(r.Performance, static_cast<int>(r.Frequency));
  r.Performance.AllocationTitle.clear();
  r.Performance.AllocationHistory.clear();
  BuildFICYZoneRecords(result, settings, true);
}

void BuildFICYZoneRecords(TFICYGraphicData* result, const TUserSettings& settings, bool useFxRisk) {
  TFICYGraphicData& r = RecordOf(result);
  CheckSettingsRows(r.Countries, settings, "country settings");
  TZoneScale scale;
  scale.Invested = useFxRisk ? r.Performance.Parameters.MaxFxRiskAllocation / 100.0 : 1.0;
  scale.Remainder = 1.0 - scale.Invested;
  scale.Currency = r.Performance.Parameters.PortfolioCcy;
  const std::ptrdiff_t home = HomeCountry(r.Countries, scale.Currency);
  if (home >= 0) scale.Home = &r.Countries[static_cast<std::size_t>(home)];

  r.Performance.AllocationHistory = FollowedHistory(r, scale);

  // The current allocation: the last allocation of the followed portfolio.
  const std::vector<TSLAllocation>& allocations = FollowsRule2(r)
                                                      ? SelectedPortfolio(r, r.Values2.back().Value).Allocations
                                                      : r.BenchmarkPortfolio.Allocations;
  const std::vector<TShareItem> items =
      ScaledItems(allocations.empty() ? nullptr : &allocations.back(), scale, false);

  // Rows take part (Excluded 1) when the country has a currency weight or is held.
  std::vector<TRegionItem> rows =
      BuildCountryShareRows(r.Countries, settings, items, TParticipation{&TCountrySettings::CyWeight, 1});
  for (const TShareItem& item : items)
    for (TRegionItem& row : rows)
      if (row.Name == item.Label) row.Excluded = 1;
  r.RegionItems = std::move(rows);
}

}  // namespace models
