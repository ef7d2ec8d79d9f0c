#include "models/equity/EQGPModel.h"

#include <cstddef>
#include <string>
#include <utility>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/SeriesHelpers.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/PerformanceStage.h"
#include "models/equity/SeriesCurrencyConversion.h"
#include "models/global/GlobalRows.h"
#include "models/global/ModelStages.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

constexpr TModelFrameValues kEQGPFrame{"EQGP", "EQINDEX", atIndex, 3, TStartShift::FirstDayYearEarlier};

// Rows 0..5 are the regions of strRegionNameList, row 6 the total.
constexpr std::ptrdiff_t kRegionRows = 6;
constexpr std::ptrdiff_t kTotalRow = kRegionRows;

// A missing record is a model failure.
constexpr const char* kNoRecord = "no result record";

TCountryAllocationItem PlaceholderItem(const std::string& name, std::int32_t rank) {
  TCountryAllocationItem item;
  item.Name = name;
  item.EquityShare = kNoFigure;
  item.RiskFreeShare = kNoFigure;
  item.FxShare = kNoFigure;
  item.Rank = rank;
  return item;
}

TCountryDetailItem PlaceholderDetail(const std::string& name, std::int32_t code) {
  TCountryDetailItem item;
  item.Name = name;
  item.FixedRateWeight = kNoFigure;
  item.InflationLinkedWeight = kNoFigure;
  item.BondWeight = kNoFigure;
  item.IndexWeight = kNoFigure;
  item.FxHedge = kNoFigure;
  item.Code = code;
  return item;
}

// One dated row per weight record: its Date and Total, and per country the
// weight that `weightOf` picks.
template <class WeightOf>
std::vector<TAllocationRow> HistoryRows(const std::vector<TBenchmarkAllocation>& history, WeightOf weightOf) {
  std::vector<TAllocationRow> rows;
  rows.reserve(history.size());
  for (const TBenchmarkAllocation& record : history) {
    TAllocationRow row;
    row.Date = record.Date;
    row.TotalWeight = record.Total;
    row.Holdings.reserve(record.Items.size());
    for (const TBenchmarkHolding& holding : record.Items) row.Holdings.push_back({holding.Name, weightOf(holding)});
    rows.push_back(std::move(row));
  }
  return rows;
}

// The share table of the last weight record: one item per country {Name,
// weightOf(holding), Rank}; no items without a record or without weights.
template <class WeightOf>
TShareTable LastShares(const std::vector<TBenchmarkAllocation>& history, WeightOf weightOf) {
  TShareTable table;
  if (history.empty()) return table;
  for (const TBenchmarkHolding& holding : history.back().Items) {
    TShareItem item;
    item.Label = holding.Name;
    item.Value = weightOf(holding);
    item.State = holding.Rank;
    table.Items.push_back(std::move(item));
  }
  return table;
}

}  // namespace

void ComputeEQGPModel(TEQGPGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  RunModelStages(
      result, countries, settings, frequency, intraMonth, kEQGPFrame, progress, step,
      [&] { BuildEQGPPortfolio(result, result->Countries, settings, frequency); },  // 4
      [&] {  // 5: the model with ranking selection, the benchmark without
        result->Benchmark.Recalculate(true);
        result->Values2 = result->Benchmark.ReturnSeries;
        result->Benchmark2.Recalculate(false);
        result->Values3 = result->Benchmark2.ReturnSeries;
      },
      [&] { ComputeEQGPBenchmark(result, settings); },     // 6
      [&] { ComputeEQGPStatistics(result); },              // 7
      [&] { ComputeEQGPAllocations(result, settings); });  // 8, then 9
}

void BuildEQGPPortfolio(TEQGPGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                        std::uint32_t frequency) {
  RecordOf(result, kNoRecord);
  // Timing is off only when both trust levels are exactly 0.0 (NaN is not 0.0).
  result->UseTrustLevels = !(settings.QVTrustLevel == 0.0 && settings.BLTrustLevel == 0.0);

  const auto code = static_cast<std::int32_t>(frequency);
  // The ranking portfolio ranks every country: its selection fraction is 1.0.
  TUserSettings rankingSettings = settings;
  rankingSettings.CountryRankingCriteria[0] = 1.0;
  // The benchmarks and the ranking portfolio are built side by side.
  RunSideBySide(
      [&] {
        // Both benchmarks use the user's settings and differ only in their
        // weights: the legs are converted once and shared.
        const std::vector<TBenchmarkLine> legs = TBenchmarkPortfolio().BuildLegs(countries, settings, code, false);
        result->Benchmark.BuildFromLegs(legs, countries, settings, code, result->EndDate, result->UseTrustLevels);
        result->Benchmark2.BuildFromLegs(legs, countries, settings, code, result->EndDate, false);
      },
      [&] {
        result->Portfolio.Build(countries, rankingSettings, code, result->StartDate, result->EndDate);
        result->Portfolio.Recalculate(true);
      });

  // The user's own values, the equity criterion included.
  CopySettingsToSeriesInfo(result->Total.Parameters, settings, TParameterGroup::Equity);

  // Empty without a portfolio-currency country or cash asset, never the last run's.
  result->Values1 = PortfolioCashReturns(countries, settings.PortfolioCcy);
}

void ComputeEQGPBenchmark(TEQGPGraphicData* result, const TUserSettings& settings) {
  RecordOf(result, kNoRecord);
  TEQGPGraphicPart& part = result->Total;
  part.Parameters.PortfolioCcy = settings.PortfolioCcy;
  NameModelAndBenchmark(part, settings.PortfolioCcy);

  TSeries model = ConvertEQGPSeriesCurrency(*result, result->Values2, settings);
  TSeries benchmark = ConvertEQGPSeriesCurrency(*result, result->Values3, settings);
  const auto common = GetCommonDateRange(model, benchmark);
  part.ModelReturns = SliceSeries(model, common[0], common[1]);
  part.BenchmarkReturns = SliceSeries(benchmark, common[0], common[1]);
  part.Statistics.RiskFreeRate = CashRiskFreeRate(part.ModelReturns, result->Values1, result->Frequency);
}

void ComputeEQGPAllocations(TEQGPGraphicData* result, const TUserSettings& settings) {
  RecordOf(result, kNoRecord);
  TEQGPGraphicPart& part = result->Total;
  const int frequency = static_cast<int>(result->Frequency);
  FillChartSets(part.IndexCharts, part.DrawdownCharts, part.OneYearCharts, part.ModelName, part.ModelReturns,
                part.BenchmarkName, part.BenchmarkReturns, frequency);

  // Every table is rebuilt from the present history; an empty history or a
  // last record without weights leaves empty tables and zero shares, not the
  // previous run's content.
  const std::vector<TBenchmarkAllocation>& history = result->Benchmark.WeightHistory;
  const auto equityOf = [](const TBenchmarkHolding& h) { return h.EquityWeight; };
  const auto riskFreeOf = [](const TBenchmarkHolding& h) { return h.RiskFreeWeight; };
  const auto totalOf = [](const TBenchmarkHolding& h) { return h.EquityWeight + h.RiskFreeWeight; };

  part.EquityHistoryTitle.clear();
  part.EquityHistory = HistoryRows(history, equityOf);
  result->EquityShares = LastShares(history, equityOf);
  result->Ranking2 = BuildCountryShareRows(result->Countries, settings, result->EquityShares.Items);

  part.RiskFreeHistoryTitle.clear();
  part.RiskFreeHistory = HistoryRows(history, riskFreeOf);
  result->RiskFreeShares = LastShares(history, riskFreeOf);
  result->Ranking3 = BuildCountryShareRows(result->Countries, settings, result->RiskFreeShares.Items);

  // Two totals per record: the summed equity weights and the summed risk-free
  // weights, labelled with the short title of the risk-free asset.
  const std::string riskFreeLabel =
      "Total " + ShortRiskFreeTitle(TranslateAssetName(settings.RiskFreeId, atRiskFreeAsset, true)) + " Allocation";
  part.AllocationTitle.clear();
  part.AllocationHistory.clear();
  part.AllocationHistory.reserve(history.size());
  for (const TBenchmarkAllocation& record : history) {
    double equity = 0.0;
    double riskFree = 0.0;
    for (const TBenchmarkHolding& holding : record.Items) {
      equity += holding.EquityWeight;
      riskFree += holding.RiskFreeWeight;
    }
    TAllocationRow row;
    row.Date = record.Date;
    row.TotalWeight = record.Total;
    row.Holdings = {{"Total Equity Allocation", equity}, {riskFreeLabel, riskFree}};
    part.AllocationHistory.push_back(std::move(row));
  }
  result->TotalShares = LastShares(history, totalOf);
  result->Ranking1 = BuildCountryShareRows(result->Countries, settings, result->TotalShares.Items);

  ComputeEQGPRegionAllocations(result, settings);
}

void ComputeEQGPRegionAllocations(TEQGPGraphicData* result, const TUserSettings& settings) {
  RecordOf(result, kNoRecord);
  AddEQGPTotalRows(result);
  const std::vector<TBenchmarkAllocation>& history = result->Benchmark.WeightHistory;
  if (history.empty()) return;
  const std::vector<TBenchmarkHolding>& weights = history.back().Items;

  std::vector<TRegionAllocationRow>& rows = result->AllocationItems;
  TCountryAllocationItem& total = LastOf(rows, "EQGP region rows").Summary;
  total.EquityShare = 0.0;
  total.RiskFreeShare = 0.0;
  total.FxShare = 0.0;
  const std::vector<TSLAllocation>& ranking = result->Portfolio.Allocations;

  ForEachRegionRow(rows, [&](TRegionAllocationRow& row) {
    for (TCountryAllocationItem& item : row.Items) {
      if (!ranking.empty())
        for (const TSLHolding& holding : ranking.back().Holdings)
          if (holding.Name == item.Name) item.Rank = holding.Rank;

      // A country outside the portfolio currency carries currency risk on
      // both legs: FxShare = EquityWeight + RiskFreeWeight.
      const bool foreign = GetCountryCurrency(item.Name) != settings.PortfolioCcy;
      item.Selected = false;
      for (const TBenchmarkHolding& weight : weights) {
        if (weight.Name != item.Name) continue;
        if (weight.Rank != -1) item.Selected = true;
        item.EquityShare = weight.EquityWeight;
        total.EquityShare += weight.EquityWeight;
        item.RiskFreeShare = weight.RiskFreeWeight;
        total.RiskFreeShare += weight.RiskFreeWeight;
        if (foreign) {
          item.FxShare = weight.EquityWeight + weight.RiskFreeWeight;
          total.FxShare += item.FxShare;
        }
      }
    }
    // Region figures: the sums of the item values above 0.0.
    SumCountryItems(row);
  });
}

std::vector<TRegionAllocationRow> BuildRegionTotalRows(const std::vector<TCountry>& countries) {
  TRegionAllocationRow placeholder;
  placeholder.Summary = PlaceholderItem("X", 0);
  placeholder.DetailSummary = PlaceholderDetail("X", 0);
  std::vector<TRegionAllocationRow> rows(static_cast<std::size_t>(kRegionRows + 1), placeholder);

  for (const TCountry& country : countries) {
    const int region = RegionIndex(country.RegionName);
    if (region < 0) continue;
    TRegionAllocationRow& row = ModelAt(rows, region, "region rows");
    row.Items.push_back(PlaceholderItem(country.Name, -1));
    row.DetailItems.push_back(PlaceholderDetail(country.Name, -1));
    row.Summary.Name = country.RegionName;
    row.DetailSummary.Name = country.RegionName;
  }
  if (!countries.empty()) {
    TRegionAllocationRow& total = ModelAt(rows, kTotalRow, "region rows");
    total.Summary.Name = "TOTAL";
    total.DetailSummary.Name = "TOTAL";
  }
  return rows;
}

void AddEQGPTotalRows(TEQGPGraphicData* result) {
  auto& record = RecordOf(result, kNoRecord);
  record.AllocationItems = BuildRegionTotalRows(record.Countries);
}

void AddFIGPTotalRows(TFIGPGraphicData* result) {
  auto& record = RecordOf(result, kNoRecord);
  record.AllocationItems = BuildRegionTotalRows(record.Countries);
}

void FlagEQGPAllocationItems(TEQGPGraphicData* result, const std::vector<TLabelledSeries>& macroRows,
                             const std::vector<TLabelledSeries>& behaviouralRows) {
  FlagAllocationItems(RecordOf(result, kNoRecord).AllocationItems, macroRows, behaviouralRows);
}

}  // namespace models
