#include "models/global/FIGPModel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/SeriesHelpers.h"
#include "common/TextHelpers.h"
#include "models/equity/EQGPModel.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/PerformanceStage.h"
#include "models/global/GlobalRows.h"
#include "models/global/ModelStages.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

constexpr TModelFrameValues kFIGPFrame{"FIGP", "RISKFREEASSET1", atRiskFreeAsset, 2, TStartShift::FirstDayYearEarlier};
constexpr const char* kNoRecord = "FIGP: no result record";

// Currency hedges from the last currency allocation C: each item starts at
// its bond exposure h = max(BondWeight, 0) ("Russia": 0); then every item c
// of C in the item's currency gives v = (c's share, or for USD the running
// remainder) - h and the hedge h := max(-v, 0). The US-dollar share (last
// USD item of C) is used up item after item across the table: remainder :=
// max(v, 0), so a country that used more than was left cannot lend its
// shortfall to the next. A name without a known currency matches nothing.
void ComputeHedges(std::vector<TRegionAllocationRow>& rows, const TAllocationRow& allocation) {
  const std::vector<TCurrencyWeight> weights = CurrencyWeights(allocation.Holdings, 1.0);
  double remainder = LastUsdWeight(weights);
  ForEachRegionDetail(rows, [&](TCountryDetailItem& d) { HedgeBondItem(d, weights, remainder); });
}

}  // namespace

void ComputeFIGPModel(TFIGPGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  RunModelStages(
      result, countries, settings, frequency, intraMonth, kFIGPFrame, progress, step,
      [&] { BuildFIGPPortfolio(result, result->Countries, settings, frequency); },  // 3
      [&] {  // 4: the settings behind this run
        CopySettingsToSeriesInfo(result->Performance.Parameters, settings, TParameterGroup::FixedIncome);
      },
      [&] {  // 5: the rule portfolio's returns and the FISL benchmark's
        result->Values2 = result->Rule2.Returns;
        result->Values3 = cMyExternFISLGraphicData.Performance.BenchmarkReturns;
      },
      [&] { ComputeFIGPBenchmark(result); },                // 6
      [&] { ComputeFIGPStatistics(result); },               // 7
      [&] { ComputeFIGPAllocations(result, settings); });  // 8, then 9
}

void BuildFIGPPortfolio(TFIGPGraphicData* result, const TSharedCountryList& countries, const TUserSettings& settings,
                        std::uint32_t frequency) {
  TFIGPGraphicData& r = RecordOf(result, kNoRecord);
  const auto code = static_cast<std::int32_t>(frequency);
  // Every country is selected: the concentration comes from the FISL result.
  TUserSettings bondSettings = settings;
  bondSettings.CountryRankingCriteria[1] = 1.0;
  RunSideBySide([&] { r.Rule2.Evaluate(countries, settings, true, code, r.StartDate, r.EndDate); },
                [&] {
                  r.BondPortfolio.Build(countries, bondSettings, code, r.StartDate, r.EndDate);
                  r.BondPortfolio.Recalculate(true);
                });

  // Empty without a portfolio-currency country or cash asset, never the last run's.
  r.Values1 = PortfolioCashReturns(countries, settings.PortfolioCcy);
}

TSeries AlignFIGPSeries(const TSeries& a, const TSeries& b) { return AddOnCommonDates(a, b); }

void ComputeFIGPBenchmark(TFIGPGraphicData* result) {
  TFIGPGraphicData& r = RecordOf(result, kNoRecord);
  TPortfolioPerformance& p = r.Performance;
  NameModelAndBenchmark(p, p.Parameters.PortfolioCcy);

  const TPortfolioPerformance& currency = cMyExternFICYGraphicData.Performance;
  TSeries model = AlignFIGPSeries(r.Values2, currency.ModelReturns);
  TSeries benchmark = AlignFIGPSeries(r.Values3, currency.BenchmarkReturns);
  const auto common = GetCommonDateRange(model, benchmark);
  p.ModelReturns = SliceSeries(model, common[0], common[1]);
  p.BenchmarkReturns = SliceSeries(benchmark, common[0], common[1]);
  p.Statistics.RiskFreeRate = CashRiskFreeRate(p.ModelReturns, r.Values1, r.Frequency);
}

void ComputeFIGPAllocations(TFIGPGraphicData* result, const TUserSettings& /*settings*/) {
  TFIGPGraphicData& r = RecordOf(result, kNoRecord);
  FillChartSets(r.Performance, static_cast<int>(r.Frequency));
  ComputeFIGPCountryAllocations(result);
  ComputeFIGPAssetRows(result);
}

void ComputeFIGPCountryAllocations(TFIGPGraphicData* result) {
  TFIGPGraphicData& r = RecordOf(result, kNoRecord);
  AddFIGPTotalRows(result);
  const std::vector<TSLAllocation>& concentration = cMyExternFISLGraphicData.ModelPortfolio.Allocations;
  if (concentration.empty()) return;

  std::vector<TRegionAllocationRow>& rows = r.AllocationItems;
  TCountryDetailItem& total = LastOf(rows, "FIGP region rows").DetailSummary;

  // Ranks from the last record of FIGP's own all-country bond portfolio.
  if (!r.BondPortfolio.Allocations.empty()) {
    const TSLAllocation& ranking = LastOf(r.BondPortfolio.Allocations, "FIGP bond portfolio allocations");
    ForEachRegionDetail(rows, [&](TCountryDetailItem& d) {
      for (const TSLHolding& e : ranking.Holdings)
        if (e.Name == d.Name) d.Code = e.Rank;
    });
  }

  // Holding flag: the country is held in FISL's last model record.
  const TSLAllocation& held = LastOf(concentration, "FISL model allocations");
  ForEachRegionDetail(rows, [&](TCountryDetailItem& d) { d.Flag = HoldsName(held.Holdings, d.Name) ? 1 : 0; });

  // Bond split of the held weights by the evaluator's last row; a country
  // takes its switch share once, as inflation-linked bonds when it has
  // inflation-linked data at that row's date, else as fixed-rate bonds.
  SpreadBondSleeve(rows, total, held.Holdings, 1.0,
                   LastBondSplit(r.Rule2, "FIGP evaluator weight rows"));

  // Index weights from FISL's last benchmark record.
  const std::vector<TSLAllocation>& index = cMyExternFISLGraphicData.BenchmarkPortfolio.Allocations;
  if (!index.empty()) SetIndexWeights(rows, total, LastOf(index, "FISL benchmark allocations").Holdings, 1.0);

  const std::vector<TAllocationRow>& currency = cMyExternFICYGraphicData.Performance.AllocationHistory;
  if (!currency.empty()) ComputeHedges(rows, LastOf(currency, "FICY allocation history"));

  // Row sums of the values above 0.0; the hedges also add up into the total.
  ForEachRegionRow(rows, [&](TRegionAllocationRow& row) {
    SumDetailItems(row);
    AddToFigure(total.FxHedge, row.DetailSummary.FxHedge);
  });
}

// The linked part s of a switch share at date d: the bond weights of the
// evaluator's bond portfolio records dated exactly d, of the countries with
// inflation-linked data at d.
void ComputeFIGPAssetRows(TFIGPGraphicData* result) {
  TFIGPGraphicData& r = RecordOf(result, kNoRecord);
  const std::vector<TInflationLinkedLine>& lines = r.Rule2.InflationLinked.Lines;
  const std::vector<TSLAllocation>& bondHistory = r.Rule2.BondPortfolio.Allocations;
  // The records by date (those of one date in history order), found by
  // binary search instead of a pass over the history per row.
  std::vector<std::pair<double, std::size_t>> byDate;
  byDate.reserve(bondHistory.size());
  for (std::size_t i = 0; i < bondHistory.size(); ++i)
    if (!std::isnan(bondHistory[i].Date)) byDate.emplace_back(bondHistory[i].Date, i);
  std::stable_sort(byDate.begin(), byDate.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  BuildBondAssetRows(r, [&](const TRule2Allocation& row) {
    double s = 0.0;
    if (std::isnan(row.Date)) return s;
    const auto [first, last] = std::equal_range(byDate.begin(), byDate.end(), std::pair{row.Date, std::size_t{0}},
                                                [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto at = first; at != last; ++at)
      for (const TSLHolding& h : bondHistory[at->second].Holdings)
        if (HasInflationLinkedData(lines, h.Name, row.Date)) s += h.AdjustedWeight;
    return s;
  });
}

}  // namespace models
