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
#include "models/global/GlobalRows.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

constexpr const char* kNoRecord = "FIGF: no result record";

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

void ComputeFIGFModel(TFIGFGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  TFIGFGraphicData& r = RecordOf(result, kNoRecord);
  TStageCounter counter(progress, step);
  RunModelFrame(r, countries, settings, frequency, intraMonth,
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

void BuildFIGFPortfolio(TFIGFGraphicData* result, const TSharedCountryList& countries, const TUserSettings& settings,
                        std::uint32_t frequency) {
  TFIGFGraphicData& r = RecordOf(result, kNoRecord);
  const auto code = static_cast<std::int32_t>(frequency);
  r.BondPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);
  r.BondPortfolio.Recalculate(false);
  r.Rule2.Evaluate(countries, settings, false, code, r.StartDate, r.EndDate);
}

// G := the signal date grid cut to [its first date, EndDate], values -1.0;
// gold row := SliceSeries(PrependSeries(G, gold signal), first date of G, EndDate);
// share rows := (d, v) and (d, v == -1.0 ? -1.0 : 1.0 - v) of the gold row's last point.
void BuildFIGFSeries(TFIGFGraphicData* result) {
  TFIGFGraphicData& r = RecordOf(result, kNoRecord);
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
  TFIGFGraphicData& r = RecordOf(result, kNoRecord);
  NameModelAndBenchmark(r.Performance, r.Performance.Parameters.PortfolioCcy);
  AlignFIGFSeries(result);
  r.Performance.Statistics.RiskFreeRate = 0.0;
}

void AlignFIGFSeries(TFIGFGraphicData* result) {
  TFIGFGraphicData& r = RecordOf(result, kNoRecord);
  const std::array<double, 2> range = GetCommonDateRange(r.Rule2.Returns, r.BondPortfolio.Returns);
  r.Performance.ModelReturns = SliceSeries(r.Rule2.Returns, range[0], range[1]);
  r.Performance.BenchmarkReturns = SliceSeries(r.BondPortfolio.Returns, range[0], range[1]);
}

// Chart sets, then the dated split and the asset rows, with the linked part
// s = w(d) of LinkedWeightByDate of a weight row dated d (0.0 when no
// allocation is dated d).
void ComputeFIGFAllocations(TFIGFGraphicData* result) {
  TFIGFGraphicData& r = RecordOf(result, kNoRecord);
  FillChartSets(r.Performance, static_cast<int>(r.Frequency));
  const std::map<double, double> linkedWeights =
      LinkedWeightByDate(r.Rule2.BondPortfolio.Allocations, r.Rule2.InflationLinked.Lines);
  BuildBondAssetRows(r, [&](const TRule2Allocation& row) {
    const auto found = linkedWeights.find(row.Date);
    return found == linkedWeights.end() ? 0.0 : found->second;
  });
}

}  // namespace models
