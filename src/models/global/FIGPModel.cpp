#include "models/global/FIGPModel.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/SeriesHelpers.h"
#include "common/SeriesStatistics.h"
#include "common/TextHelpers.h"
#include "models/equity/EQGPModel.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/PerformanceStage.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

constexpr TModelFrameValues kFIGPFrame{"FIGP", "RISKFREEASSET1", atRiskFreeAsset, 2, TStartShift::FirstDayYearEarlier};

// Rows 0..5 of AllocationItems are the regions, row 6 the total.
constexpr std::ptrdiff_t kRegionRows = 6;
constexpr std::ptrdiff_t kTotalRow = kRegionRows;

TFIGPGraphicData& Checked(TFIGPGraphicData* result) {
  if (result == nullptr) throw EModelError("FIGP: no result record");
  return *result;
}

// The last element of a history; EModelError when it has none.
template <class T>
const T& LastOf(const std::vector<T>& rows, const char* what) {
  return ModelAt(rows, static_cast<std::ptrdiff_t>(rows.size()) - 1, what);
}

// target += v, a target still at kNoFigure counting as 0.0.
void AddTo(double& target, double v) { target = (target == kNoFigure ? 0.0 : target) + v; }

// max(v, 0.0): kNoFigure and negative values count as 0.0 in the sums.
double Positive(double v) { return v > 0.0 ? v : 0.0; }

// True when one of the country's inflation-linked lines has data at `date`
// (FirstDate <= date <= LastDate).
bool HasLinkedData(const std::vector<TInflationLinkedLine>& lines, const std::string& name, double date) {
  return std::any_of(lines.begin(), lines.end(), [&](const TInflationLinkedLine& line) {
    return line.CountryName == name && line.FirstDate <= date && date <= line.LastDate;
  });
}

// Region rows 0..5 of the table (checked).
template <class Visit>
void ForEachRegionDetail(std::vector<TRegionAllocationRow>& rows, Visit visit) {
  for (std::ptrdiff_t r = 0; r < kRegionRows; ++r)
    for (TCountryDetailItem& item : ModelAt(rows, r, "FIGP region rows").DetailItems) visit(item);
}

// Bond split of the holding weights F of the concentration portfolio: with
// the evaluator's last row (date t, fixed share f, switch share s) each
// matching item gets BondWeight += (f + s) w, FixedRateWeight += f w, and
// s w goes to InflationLinkedWeight when the country has inflation-linked
// data at t, else to FixedRateWeight; the total row sums the same amounts.
void SplitBondWeights(TFIGPGraphicData& r, const std::vector<TSLHolding>& holdings, TCountryDetailItem& total) {
  double t = kMissingDate;
  double f = 0.0;
  double s = 0.0;
  if (!r.Rule2.Allocations.empty()) {
    const TRule2Allocation& last = LastOf(r.Rule2.Allocations, "FIGP evaluator weight rows");
    t = last.Date;
    f = last.FixedRateWeight;
    s = last.InflationLinkedWeight;
  }
  const std::vector<TInflationLinkedLine>& lines = r.Rule2.InflationLinked.Lines;
  ForEachRegionDetail(r.AllocationItems, [&](TCountryDetailItem& d) {
    for (const TSLHolding& e : holdings) {
      if (e.Name != d.Name) continue;
      const double w = e.AdjustedWeight;
      AddTo(d.BondWeight, f * w + s * w);
      AddTo(d.FixedRateWeight, f * w);
      AddTo(total.FixedRateWeight, f * w);
      if (s != 0.0) {
        if (HasLinkedData(lines, d.Name, t)) {
          AddTo(d.InflationLinkedWeight, s * w);
          AddTo(total.InflationLinkedWeight, s * w);
        } else {
          AddTo(d.FixedRateWeight, s * w);
          AddTo(total.FixedRateWeight, s * w);
        }
      }
      AddTo(total.BondWeight, s * w + f * w);
    }
  });
}

// "Russia" (any letter case) is never hedged.
bool NeverHedged(const std::string& name) { return UpperCaseText(name) == "RUSSIA"; }

// Currency hedges from the last currency allocation C: each item starts at
// its bond exposure h = max(BondWeight, 0); then every item c of C in the
// item's currency gives v = (c's share, or for USD the running remainder) - h
// and the hedge h := max(-v, 0). The US-dollar share u (last USD item of C)
// is used up item after item across the table: remainder := max(v, 0), so a
// country that used more than was left cannot lend its shortfall to the next.
void ComputeHedges(std::vector<TRegionAllocationRow>& rows, const TAllocationRow& allocation) {
  ForEachRegionDetail(rows, [](TCountryDetailItem& d) {
    d.FxHedge = NeverHedged(d.Name) ? 0.0 : Positive(d.BondWeight);
  });

  double remainder = 0.0;
  for (const TWeightedName& c : allocation.Holdings)
    if (GetCountryCurrency(c.Name) == "USD") remainder = c.Weight;

  ForEachRegionDetail(rows, [&](TCountryDetailItem& d) {
    const std::string currency = GetCountryCurrency(d.Name);
    if (currency.empty()) return;  // a name without a known currency matches nothing
    const bool usd = currency == "USD";
    const bool neverHedged = NeverHedged(d.Name);
    for (const TWeightedName& c : allocation.Holdings) {
      if (GetCountryCurrency(c.Name) != currency) continue;
      const double v = (usd ? remainder : c.Weight) - d.FxHedge;
      d.FxHedge = neverHedged ? 0.0 : Positive(-v);
      if (usd) remainder = Positive(v);
    }
  });
}

}  // namespace

void ComputeFIGPModel(TFIGPGraphicData* result, std::vector<TCountry> countries, TUserSettings settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  TStageCounter counter(progress, step);
  if (result == nullptr) {
    counter.Start(kFIGPFrame.CounterStart);
    throw EModelError("FIGP: no result record");
  }
  RunModelFrame(*result, std::move(countries), settings, frequency, intraMonth, kFIGPFrame, counter);

  counter.Next();  // 3
  BuildFIGPPortfolio(result, result->Countries, settings, frequency);

  counter.Next();  // 4: the settings behind this run
  CopySettingsToSeriesInfo(result->Performance.Parameters, settings, TParameterGroup::FixedIncome);

  counter.Next();  // 5: the rule portfolio's returns and the FISL benchmark's
  result->Values2 = result->Rule2.Returns;
  result->Values3 = cMyExternFISLGraphicData.Performance.BenchmarkReturns;

  counter.Next();  // 6
  ComputeFIGPBenchmark(result);

  counter.Next();  // 7
  ComputeFIGPStatistics(result);

  counter.Next();  // 8
  ComputeFIGPAllocations(result, settings);

  counter.Next();  // 9
}

void BuildFIGPPortfolio(TFIGPGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                        std::uint32_t frequency) {
  TFIGPGraphicData& r = Checked(result);
  const auto code = static_cast<std::int32_t>(frequency);
  r.Rule2.Evaluate(countries, settings, true, code, r.StartDate, r.EndDate);

  // Every country is selected: the concentration comes from the FISL result.
  TUserSettings bondSettings = settings;
  bondSettings.CountryRankingCriteria[1] = 1.0;
  r.BondPortfolio.Build(countries, bondSettings, code, r.StartDate, r.EndDate);
  r.BondPortfolio.Recalculate(true);

  // Empty without a portfolio-currency country or cash asset, never the last run's.
  r.Values1 = PortfolioCashReturns(countries, settings.PortfolioCcy);
}

TSeries AlignFIGPSeries(const TSeries& a, const TSeries& b) {
  const auto range = GetCommonDateRange(a, b);
  TSeries sum = SliceSeries(a, range[0], range[1]);
  const TSeries cutB = SliceSeries(b, range[0], range[1]);
  if (sum.empty() || cutB.empty() || sum.size() != cutB.size()) return a;
  for (std::size_t i = 0; i < sum.size(); ++i) sum[i].Value += cutB[i].Value;
  return sum;
}

void ComputeFIGPBenchmark(TFIGPGraphicData* result) {
  TFIGPGraphicData& r = Checked(result);
  TPortfolioPerformance& p = r.Performance;
  p.ModelReturns.clear();
  p.BenchmarkReturns.clear();
  const std::string& ccy = p.Parameters.PortfolioCcy;
  p.ModelName = "(In " + ccy + ")";
  p.BenchmarkName = "Benchmark (In " + ccy + ")";

  const TPortfolioPerformance& currency = cMyExternFICYGraphicData.Performance;
  TSeries model = AlignFIGPSeries(r.Values2, currency.ModelReturns);
  TSeries benchmark = AlignFIGPSeries(r.Values3, currency.BenchmarkReturns);
  const auto common = GetCommonDateRange(model, benchmark);
  p.ModelReturns = SliceSeries(model, common[0], common[1]);
  p.BenchmarkReturns = SliceSeries(benchmark, common[0], common[1]);

  // Risk-free rate: AnnualizedReturn of the cash returns over the model's dates.
  const auto cashRange = GetCommonDateRange(p.ModelReturns, r.Values1);
  p.Statistics.RiskFreeRate = kNoFigure;
  if (!r.Values1.empty())
    p.Statistics.RiskFreeRate = AnnualizedReturn(SliceSeries(r.Values1, cashRange[0], cashRange[1]), r.Frequency);
}

void ComputeFIGPAllocations(TFIGPGraphicData* result, const TUserSettings& /*settings*/) {
  TFIGPGraphicData& r = Checked(result);
  FillChartSets(r.Performance, static_cast<int>(r.Frequency));
  ComputeFIGPCountryAllocations(result);
  ComputeFIGPAssetRows(result);
}

void ComputeFIGPCountryAllocations(TFIGPGraphicData* result) {
  TFIGPGraphicData& r = Checked(result);
  AddFIGPTotalRows(result);
  const std::vector<TSLAllocation>& concentration = cMyExternFISLGraphicData.ModelPortfolio.Allocations;
  if (concentration.empty()) return;

  std::vector<TRegionAllocationRow>& rows = r.AllocationItems;
  TCountryDetailItem& total = ModelAt(rows, kTotalRow, "FIGP region rows").DetailSummary;

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
  ForEachRegionDetail(rows, [&](TCountryDetailItem& d) {
    d.Flag = std::any_of(held.Holdings.begin(), held.Holdings.end(),
                         [&](const TSLHolding& e) { return e.Name == d.Name; })
                 ? 1
                 : 0;
  });

  SplitBondWeights(r, held.Holdings, total);

  // Index weights from FISL's last benchmark record.
  const std::vector<TSLAllocation>& index = cMyExternFISLGraphicData.BenchmarkPortfolio.Allocations;
  if (!index.empty()) {
    const TSLAllocation& last = LastOf(index, "FISL benchmark allocations");
    total.IndexWeight = 0.0;
    ForEachRegionDetail(rows, [&](TCountryDetailItem& d) {
      for (const TSLHolding& e : last.Holdings) {
        if (e.Name != d.Name) continue;
        d.IndexWeight = e.AdjustedWeight;
        total.IndexWeight += e.AdjustedWeight;
      }
    });
  }

  const std::vector<TAllocationRow>& currency = cMyExternFICYGraphicData.Performance.AllocationHistory;
  if (!currency.empty()) ComputeHedges(rows, LastOf(currency, "FICY allocation history"));

  // Row sums of the values above 0.0; the hedges also add up into the total.
  for (std::ptrdiff_t i = 0; i < kRegionRows; ++i) {
    TRegionAllocationRow& row = ModelAt(rows, i, "FIGP region rows");
    TCountryDetailItem& sum = row.DetailSummary;
    sum.FixedRateWeight = 0.0;
    sum.InflationLinkedWeight = 0.0;
    sum.BondWeight = 0.0;
    sum.IndexWeight = 0.0;
    sum.FxHedge = 0.0;
    for (const TCountryDetailItem& d : row.DetailItems) {
      sum.FixedRateWeight += Positive(d.FixedRateWeight);
      sum.InflationLinkedWeight += Positive(d.InflationLinkedWeight);
      sum.BondWeight += Positive(d.BondWeight);
      sum.IndexWeight += Positive(d.IndexWeight);
      sum.FxHedge += Positive(d.FxHedge);
    }
    AddTo(total.FxHedge, sum.FxHedge);
  }
}

void ComputeFIGPAssetRows(TFIGPGraphicData* result) {
  TFIGPGraphicData& r = Checked(result);
  TPortfolioPerformance& p = r.Performance;
  // Nothing of an earlier run is kept: without weight rows the history, the
  // column captions and the asset rows stay empty.
  p.AllocationTitle.clear();
  p.AllocationHistory.clear();
  r.ColumnCaption1.clear();
  r.ColumnCaption2.clear();
  r.AssetShares.clear();
  const std::vector<TRule2Allocation>& weights = r.Rule2.Allocations;
  if (weights.empty()) return;

  const std::vector<TInflationLinkedLine>& lines = r.Rule2.InflationLinked.Lines;
  const std::vector<TSLAllocation>& bondHistory = r.Rule2.BondPortfolio.Allocations;
  double fixed = 0.0;
  double linked = 0.0;
  double gold = 0.0;
  p.AllocationHistory.reserve(weights.size());
  for (const TRule2Allocation& row : weights) {
    // Linked part s of the switch share: the bond weights at the row's date
    // (records of exactly that date) of the countries with inflation-linked
    // data at that date; 0.0 without a switch share.
    double s = 0.0;
    if (row.InflationLinkedWeight != 0.0)
      for (const TSLAllocation& record : bondHistory)
        if (record.Date == row.Date)
          for (const TSLHolding& h : record.Holdings)
            if (HasLinkedData(lines, h.Name, row.Date)) s += h.AdjustedWeight;
    // fixed = f + sw (1 - s), linked = sw s, gold = g.
    fixed = row.FixedRateWeight + row.InflationLinkedWeight * (1.0 - s);
    linked = row.InflationLinkedWeight * s;
    gold = row.GoldWeight;
    TAllocationRow record;
    record.Date = row.Date;
    record.TotalWeight = 1.0;
    record.Holdings = {{"Fixed Rate Bond", fixed}, {"Inflation-Linked Bond", linked}, {"Gold", gold}};
    p.AllocationHistory.push_back(std::move(record));
  }

  r.ColumnCaption1 = "Model";
  r.ColumnCaption2 = "Index";
  // The index is all fixed-rate bonds; the last two rows are empty.
  r.AssetShares = {{"Bond", fixed + linked, 1.0, 1},       {"Fixed Rate Bond", fixed, 1.0, 1},
                   {"Inflation-Linked Bond", linked, 0.0, 1}, {"Gold", gold, 0.0, 2},
                   {"", 0.0, 0.0, 2},                         {"", 0.0, 0.0, 2}};
}

}  // namespace models
