#include "models/global/FIGFModel.h"

#include <array>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/DateHelpers.h"
#include "common/SeriesHelpers.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/PerformanceStage.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

TFIGFGraphicData& RecordOf(TFIGFGraphicData* result) {
  if (result == nullptr) throw EModelError("FIGF: no result record");
  return *result;
}

// Weight that the bond portfolio gives, at each of its allocation dates d, to
// countries with inflation-linked bond data at d:
//   w(d) = sum over the allocations dated d, over their holdings h, over the
//          inflation-linked lines named h.Name with FirstDate <= d <= LastDate,
//          of h.AdjustedWeight.
std::map<double, double> LinkedWeightByDate(const std::vector<TSLAllocation>& allocations,
                                            const std::vector<TInflationLinkedLine>& lines) {
  std::unordered_map<std::string, std::vector<const TInflationLinkedLine*>> linesByName;
  for (const TInflationLinkedLine& line : lines) linesByName[line.CountryName].push_back(&line);
  std::map<double, double> weights;
  for (const TSLAllocation& allocation : allocations) {
    const double d = allocation.Date;
    double sum = 0.0;
    for (const TSLHolding& holding : allocation.Holdings) {
      const auto found = linesByName.find(holding.Name);
      if (found == linesByName.end()) continue;
      for (const TInflationLinkedLine* line : found->second) {
        if (line->FirstDate <= d && d <= line->LastDate) sum += holding.AdjustedWeight;
      }
    }
    weights[d] += sum;
  }
  return weights;
}

}  // namespace

void ComputeFIGFModel(TFIGFGraphicData* result, std::vector<TCountry> countries, TUserSettings settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  TFIGFGraphicData& r = RecordOf(result);
  TStageCounter counter(progress, step);
  RunModelFrame(r, std::move(countries), settings, frequency, intraMonth,
                TModelFrameValues{"FIGF", "RISKFREEASSET1", atRiskFreeAsset, 2, TStartShift::FirstDayYearEarlier},
                counter);

  counter.Next();  // 3
  BuildFIGFPortfolio(result, r.Countries, settings, frequency);
  counter.Next();  // 4
  CopySettingsToSeriesInfo(r.Performance.Parameters, settings, TParameterGroup::FixedIncome);
  counter.Next();  // 5
  BuildFIGFSeries(result);
  counter.Next();  // 6
  ComputeFIGFBenchmark(result);
  counter.Next();  // 7
  ComputeFIGFStatistics(result);
  counter.Next();  // 8
  ComputeFIGFAllocations(result);
  counter.Next();  // 9: "100%"
}

void BuildFIGFPortfolio(TFIGFGraphicData* result, const std::vector<TCountry>& countries,
                        const TUserSettings& settings, std::uint32_t frequency) {
  TFIGFGraphicData& r = RecordOf(result);
  const auto code = static_cast<std::int32_t>(frequency);
  r.BondPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);
  r.BondPortfolio.Recalculate(false);
  r.Rule2.Evaluate(countries, settings, false, code, r.StartDate, r.EndDate);
}

// G := the signal date grid cut to [its first date, EndDate], values -1.0;
// gold row := SliceSeries(PrependSeries(G, gold signal), first date of G, EndDate);
// share rows := (d, v) and (d, v == -1.0 ? -1.0 : 1.0 - v) of the gold row's last point.
void BuildFIGFSeries(TFIGFGraphicData* result) {
  TFIGFGraphicData& r = RecordOf(result);
  r.Rows1.clear();
  r.Rows2.clear();
  TSeries grid = GetSignalDateGrid(r.Countries);
  if (grid.empty()) return;
  const double gridStart = grid.front().Date;
  grid = SliceSeries(grid, gridStart, r.EndDate);
  if (grid.empty()) return;  // the run ends before the first signal date
  for (TDataPoint& p : grid) p.Value = kMissingSignal;

  TLabelledSeries goldRow;
  goldRow.Labels = {""};
  goldRow.Series = SliceSeries(PrependSeries(grid, r.Rule2.Basket.Signal), gridStart, r.EndDate);
  const TSeries& gold = r.Rows1.emplace_back(std::move(goldRow)).Series;
  if (gold.empty()) return;  // a gold signal that ends before the grid starts

  const TDataPoint last = gold.back();
  const double complement = last.Value == kMissingSignal ? kMissingSignal : 1.0 - last.Value;
  r.Rows2.push_back({{""}, {last}, false});
  r.Rows2.push_back({{""}, {{last.Date, complement}}, false});
}

void ComputeFIGFBenchmark(TFIGFGraphicData* result) {
  TFIGFGraphicData& r = RecordOf(result);
  TPortfolioPerformance& performance = r.Performance;
  performance.ModelReturns.clear();
  performance.BenchmarkReturns.clear();
  const std::string& ccy = performance.Parameters.PortfolioCcy;
  performance.ModelName = "(In " + ccy + ")";
  performance.BenchmarkName = "Benchmark (In " + ccy + ")";
  AlignFIGFSeries(result);
  performance.Statistics.RiskFreeRate = 0.0;
}

void AlignFIGFSeries(TFIGFGraphicData* result) {
  TFIGFGraphicData& r = RecordOf(result);
  const std::array<double, 2> range = GetCommonDateRange(r.Rule2.Returns, r.BondPortfolio.Returns);
  r.Performance.ModelReturns = SliceSeries(r.Rule2.Returns, range[0], range[1]);
  r.Performance.BenchmarkReturns = SliceSeries(r.BondPortfolio.Returns, range[0], range[1]);
}

// Per weight row at date d with shares fixed F, gold G, switch W and the
// linked weight s = w(d) of LinkedWeightByDate (0.0 when W is 0.0 or no
// allocation is dated d):
//   "Fixed Rate Bond" = F + W (1 - s), "Inflation-Linked Bond" = W s, "Gold" = G.
void ComputeFIGFAllocations(TFIGFGraphicData* result) {
  TFIGFGraphicData& r = RecordOf(result);
  TPortfolioPerformance& performance = r.Performance;
  FillChartSets(performance, static_cast<int>(r.Frequency));

  // Cleared in every run, so that a run without weight rows shows no split
  // rather than the previous run's.
  performance.AllocationTitle.clear();
  performance.AllocationHistory.clear();
  r.ColumnCaption1.clear();
  r.ColumnCaption2.clear();
  r.AssetShares.clear();
  const std::vector<TRule2Allocation>& rows = r.Rule2.Allocations;
  if (rows.empty()) return;

  const std::map<double, double> linkedWeights =
      LinkedWeightByDate(r.Rule2.BondPortfolio.Allocations, r.Rule2.InflationLinked.Lines);
  double fixed = 0.0;
  double linked = 0.0;
  double gold = 0.0;
  performance.AllocationHistory.reserve(rows.size());
  for (const TRule2Allocation& row : rows) {
    double s = 0.0;
    if (row.InflationLinkedWeight != 0.0) {
      const auto found = linkedWeights.find(row.Date);
      if (found != linkedWeights.end()) s = found->second;
    }
    fixed = row.FixedRateWeight + row.InflationLinkedWeight * (1.0 - s);
    linked = row.InflationLinkedWeight * s;
    gold = row.GoldWeight;
    performance.AllocationHistory.push_back(
        {row.Date, 1.0, {{"Fixed Rate Bond", fixed}, {"Inflation-Linked Bond", linked}, {"Gold", gold}}});
  }

  // The index column is the all-fixed-rate-bond benchmark.
  r.ColumnCaption1 = "Model";
  r.ColumnCaption2 = "Index";
  r.AssetShares = {{"Bond", fixed + linked, 1.0, 1},      {"Fixed Rate Bond", fixed, 1.0, 1},
                   {"Inflation-Linked Bond", linked, 0.0, 1}, {"Gold", gold, 0.0, 2},
                   {"", 0.0, 0.0, 2},                         {"", 0.0, 0.0, 2}};
}

}  // namespace models
