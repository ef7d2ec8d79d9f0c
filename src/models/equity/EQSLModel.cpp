#include "models/equity/EQSLModel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <unordered_map>
#include <utility>

#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/SeriesHelpers.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/PerformanceStage.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

TEQSLGraphicData& RecordOf(TEQSLGraphicData* result) {
  if (result == nullptr) throw EModelError("EQSL: no result record");
  return *result;
}

// The closing rank of a line: every point dated exactly `endDate` whose value,
// truncated toward zero, lies in 1..lineCount, with its line position.
// Ranks are in ascending date order, so the points dated endDate form one run.
void AppendClosingRanks(const TSeries& ranks, double endDate, std::size_t line, double lineCount,
                        std::vector<std::pair<int, std::size_t>>& closing) {
  const auto [first, last] = std::equal_range(ranks.begin(), ranks.end(), TDataPoint{endDate, 0.0},
                                              [](const TDataPoint& a, const TDataPoint& b) { return a.Date < b.Date; });
  for (auto p = first; p != last; ++p) {
    if (!std::isfinite(p->Value)) continue;
    const double rank = std::trunc(p->Value);
    if (rank < 1.0 || rank > lineCount) continue;
    closing.emplace_back(static_cast<int>(rank), line);
  }
}

}  // namespace

void ComputeEQSLModel(TEQSLGraphicData* result, std::vector<TCountry> countries, TUserSettings settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  TEQSLGraphicData& r = RecordOf(result);
  TStageCounter counter(progress, step);
  RunModelFrame(r, countries, settings, frequency, intraMonth,
                TModelFrameValues{"EQSL", "EQINDEX", atIndex, 1, TStartShift::LastDayYearEarlier}, counter);

  counter.Next();  // 2
  BuildEQSLPortfolios(result, r.Countries, settings, frequency);
  counter.Next();  // 3
  CopySettingsToSeriesInfo(r.Performance.Parameters, settings, TParameterGroup::Equity);
  counter.Next();  // 4
  r.ModelPortfolio.Recalculate(true);
  r.BenchmarkPortfolio.Recalculate(false);
  counter.Next();  // 5
  ComputeEQSLRanking(result);
  counter.Next();  // 6
  ComputeEQSLBenchmark(result);
  counter.Next();  // 7
  ComputeEQSLStatistics(result);
  counter.Next();  // 8
  ComputeEQSLAllocations(result, settings);
  counter.Next();  // 9: "100%"
}

void BuildEQSLPortfolios(TEQSLGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency) {
  TEQSLGraphicData& r = RecordOf(result);
  const auto code = static_cast<std::int32_t>(frequency);
  r.ModelPortfolio.Name = "Risk Model Portfolio";
  r.BenchmarkPortfolio.Name = "Risk Benchmark Portfolio";
  r.ModelPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);
  r.BenchmarkPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);
}

// RankingRows: per country [Name, RegionName], the signal grid (-1.0) up to
// the first rank date of the model line of that name, then the line's ranks,
// cut to [first grid date, EndDate]; Selected := global settings row i's
// EqWeight > 0.0. RankingPages: per (rank r = 1..L, line, point dated
// EndDate with int(value) = r, history row of the line's name) one row
// (labels, {EndDate, r}, Selected), in that order.
void ComputeEQSLRanking(TEQSLGraphicData* result) {
  TEQSLGraphicData& r = RecordOf(result);
  TSeries grid = GetSignalDateGrid(r.Countries);
  if (!grid.empty()) grid = SliceSeries(grid, grid.front().Date, r.EndDate);
  if (grid.empty()) throw EModelError("EQSL ranking: no signal date up to the end date");
  for (TDataPoint& p : grid) p.Value = kMissingSignal;
  const double gridStart = grid.front().Date;
  const std::vector<TSLLine>& lines = r.ModelPortfolio.Lines;

  r.RankingRows.clear();
  r.RankingRows.reserve(r.Countries.size());
  // History rows by name, in country order, for the closing ranking.
  std::unordered_map<std::string, std::vector<std::size_t>> rowsByName;
  for (std::size_t i = 0; i < r.Countries.size(); ++i) {
    const TCountry& country = r.Countries[i];
    TLabelledSeries row;
    row.Labels = {country.Name, country.RegionName};
    row.Series = grid;
    row.Selected =
        ModelAt(usMyExternUserSettings.CountrySettings, static_cast<std::ptrdiff_t>(i), "global country settings")
            .EqWeight > 0.0;
    // Of several lines of that name the last one wins.
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
      if (line->Name != country.Name) continue;
      row.Series = SliceSeries(PrependSeries(grid, line->Ranks), gridStart, r.EndDate);
      break;
    }
    rowsByName[country.Name].push_back(i);
    r.RankingRows.push_back(std::move(row));
  }

  // Closing ranking: each line's rank at EndDate found once, then a stable
  // sort by rank keeps the line order within one rank.
  std::vector<std::pair<int, std::size_t>> closing;
  const auto lineCount = static_cast<double>(lines.size());
  for (std::size_t l = 0; l < lines.size(); ++l) AppendClosingRanks(lines[l].Ranks, r.EndDate, l, lineCount, closing);
  std::stable_sort(closing.begin(), closing.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

  r.RankingPages.clear();
  for (const auto& [rank, l] : closing) {
    const auto found = rowsByName.find(lines[l].Name);
    if (found == rowsByName.end()) continue;
    for (std::size_t i : found->second) {
      const TLabelledSeries& history = r.RankingRows[i];
      r.RankingPages.push_back({history.Labels, {{r.EndDate, static_cast<double>(rank)}}, history.Selected});
    }
  }
}

// The two portfolios' returns and captions into Performance; the EQSL
// Sharpe ratios use a risk-free rate of 0.0.
void ComputeEQSLBenchmark(TEQSLGraphicData* result) {
  TEQSLGraphicData& r = RecordOf(result);
  TPortfolioPerformance& performance = r.Performance;
  performance.Parameters.PortfolioCcy = r.ModelPortfolio.PortfolioCcy;
  performance.ModelName = "(In " + performance.Parameters.PortfolioCcy + ")";
  performance.BenchmarkName = "Benchmark (In " + performance.Parameters.PortfolioCcy + ")";
  performance.ModelReturns = r.ModelPortfolio.Returns;
  performance.BenchmarkReturns = r.BenchmarkPortfolio.Returns;
  performance.Statistics.RiskFreeRate = 0.0;
}

// Chart sets over the model's date range, the model portfolio's allocation
// history, and one region row per country from its last allocation.
void ComputeEQSLAllocations(TEQSLGraphicData* result, const TUserSettings& settings) {
  TEQSLGraphicData& r = RecordOf(result);
  TPortfolioPerformance& performance = r.Performance;
  FillChartSets(performance, static_cast<int>(r.Frequency));
  performance.AllocationTitle.clear();
  const std::vector<TSLAllocation>& allocations = r.ModelPortfolio.Allocations;
  performance.AllocationHistory = AllocationRowsFromPortfolio(allocations);

  std::vector<TShareItem> lastShares;
  if (!allocations.empty()) {
    for (const TSLHolding& holding : allocations.back().Holdings)
      lastShares.push_back({holding.Name, {}, holding.AdjustedWeight, holding.Rank});
  }
  r.RegionItems = BuildCountryShareRows(r.Countries, settings, lastShares);
}

}  // namespace models
