#include "models/global/MYGPModel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "common/SeriesStatistics.h"
#include "common/TextHelpers.h"
#include "models/equity/EQGPModel.h"
#include "models/equity/ModelFrame.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

constexpr TModelFrameValues kMYGPFrame{"MYGP", "EQINDEX", atIndex, 2, TStartShift::FirstDayYearEarlier};

TMYGPGraphicData& Checked(TMYGPGraphicData* result) {
  if (result == nullptr) throw EModelError("MYGP: no result record");
  return *result;
}

// The last element of a list the caller found non-empty, read with a check.
template <class T>
const T& LastOf(const std::vector<T>& list, const char* what) {
  return ModelAt(list, static_cast<std::ptrdiff_t>(list.size()) - 1, what);
}

// The equity bounds of the settings block, in percent (0 <= Min <= Max <= 100).
struct TEquityBounds {
  double Min = 0.0;
  double Max = 0.0;
  double MinShare() const { return Min / 100.0; }            // plain equity sleeve
  double TimedShare() const { return (Max - Min) / 100.0; }  // timed equity sleeve
  double MaxShare() const { return Max / 100.0; }            // benchmark equity
  double BondShare() const { return (100.0 - Max) / 100.0; } // bond strategy sleeve
};

TEquityBounds BoundsOf(const TMYGPGraphicData& result) {
  return {result.Performance.Parameters.MinEqVsFiAllocation, result.Performance.Parameters.MaxEqVsFiAllocation};
}

// The last risk-free asset of the country whose title (looked up by its
// identifier, upper-cased) contains "CASH"; nullptr when none.
const TAssetSeries* LastCashAsset(const TCountry& country) {
  const TAssetSeries* found = nullptr;
  for (const TAssetSeries& asset : country.RiskFreeAssets)
    if (UpperCaseText(TranslateAssetName(asset.ID, atRiskFreeAsset, true)).find("CASH") != std::string::npos)
      found = &asset;
  return found;
}

// Period returns of the portfolio currency's cash over the result's window.
// The cash country: the first "USD" country of the result's list when the
// portfolio currency is "USD", else the last country of that currency.
// Empty without such a country or cash asset.
TSeries WindowCashReturns(const TMYGPGraphicData& result, const std::string& portfolioCcy) {
  const TCountry* cashCountry = nullptr;
  const TCountry* firstUsd = nullptr;
  for (const TCountry& country : result.Countries) {
    if (firstUsd == nullptr && country.Currency == "USD") firstUsd = &country;
    if (country.Currency == portfolioCcy) cashCountry = &country;
  }
  if (portfolioCcy == "USD") cashCountry = firstUsd;
  if (cashCountry == nullptr) return {};
  const TAssetSeries* cash = LastCashAsset(*cashCountry);
  if (cash == nullptr) return {};
  return ComputeReturns(SliceSeries(cash->Series, result.StartDate, result.EndDate), 0.0);
}

// a_i + b_i dated a_i over the common dates of a and b; `a` unchanged when
// the cuts differ in length or either is empty.
TSeries AddOnCommonDates(const TSeries& a, const TSeries& b) {
  const auto range = GetCommonDateRange(a, b);
  TSeries cutA = SliceSeries(a, range[0], range[1]);
  const TSeries cutB = SliceSeries(b, range[0], range[1]);
  if (cutA.empty() || cutB.empty() || cutA.size() != cutB.size()) return a;
  for (std::size_t i = 0; i < cutA.size(); ++i) cutA[i].Value += cutB[i].Value;
  return cutA;
}

void AddMixLine(TClassicPortfolio& mix, TSeries series, double weight) {
  TClassicAsset& line = mix.Assets.emplace_back();
  line.Series = std::move(series);
  line.Weight = weight;
}

// Empties the five result series (a recalculation that does not take place
// must not leave the previous run's results).
void ClearResults(TBenchmarkPortfolio& portfolio) {
  portfolio.ReturnSeries.clear();
  portfolio.WeightHistory.clear();
  portfolio.TurnoverSeries.clear();
  portfolio.ExposureSeries.clear();
  portfolio.CostSeries.clear();
}

// Field += v, a field still at kNoFigure counting as 0.0.
void AddTo(double& field, double v) { field = (field == kNoFigure ? 0.0 : field) + v; }

// max(v, 0.0): kNoFigure, negative values and NaN count as 0.0.
double Positive(double v) { return v > 0.0 ? v : 0.0; }

// Integer part of the last rank of the line; -1 when the rank series is
// empty or its last value is no integer-sized number.
std::int32_t CurrentRank(const TSLLine& line) {
  if (line.Ranks.empty()) return -1;
  const double rank = line.Ranks.back().Value;
  if (!std::isfinite(rank) || rank <= static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      rank >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return -1;
  return static_cast<std::int32_t>(rank);
}

bool HoldsName(const std::vector<TSLHolding>& holdings, const std::string& name) {
  for (const TSLHolding& holding : holdings)
    if (holding.Name == name) return true;
  return false;
}

// The bond strategy's split at its last date: wF fixed-rate, wI
// inflation-linked, and the inflation-linked lines that decide per country.
struct TBondSplit {
  double Fixed = 0.0;   // wF
  double Linked = 0.0;  // wI
  double Date = 0.0;    // d
  const std::vector<TInflationLinkedLine>* Lines = nullptr;
};

// Puts an amount D of a bond sleeve on item c and the total t:
//   c.BondWeight += wF D + wI D, c.FixedRateWeight += wF D (t alike);
//   with wI != 0, for every inflation-linked line of c's name: wI D to the
//   inflation-linked share when the line's own series covers d, else to the
//   fixed-rate share (of c and t).
void SpreadBondAmount(TCountryDetailItem& c, TCountryDetailItem& t, double amount, const TBondSplit& split) {
  const double fixed = split.Fixed * amount;
  const double linked = split.Linked * amount;
  AddTo(c.BondWeight, fixed + linked);
  AddTo(c.FixedRateWeight, fixed);
  AddTo(t.FixedRateWeight, fixed);
  if (split.Linked != 0.0) {
    for (const TInflationLinkedLine& line : *split.Lines) {
      if (line.CountryName != c.Name) continue;
      const bool covered = line.FirstDate <= split.Date && split.Date <= line.LastDate;
      AddTo(covered ? c.InflationLinkedWeight : c.FixedRateWeight, linked);
      AddTo(covered ? t.InflationLinkedWeight : t.FixedRateWeight, linked);
    }
  }
  AddTo(t.BondWeight, fixed + linked);
}

// A bond sleeve of `scale` invested like the FISL model: every bond item of
// the region rows receives D = AdjustedWeight x scale of each holding of its name.
void SpreadBondSleeve(std::vector<TRegionAllocationRow>& rows, std::size_t regionRows, TCountryDetailItem& total,
                      const std::vector<TSLHolding>& holdings, double scale, const TBondSplit& split) {
  for (std::size_t r = 0; r < regionRows; ++r)
    for (TCountryDetailItem& c : rows[r].DetailItems)
      for (const TSLHolding& s : holdings)
        if (s.Name == c.Name) SpreadBondAmount(c, total, s.AdjustedWeight * scale, split);
}

double EquitySum(const TBenchmarkAllocation& record) {
  double sum = 0.0;
  for (const TBenchmarkHolding& h : record.Items) sum += h.EquityWeight;
  return sum;
}

// Currency hedges of the region rows, with C the FICY currency weights
// scaled to the model's non-equity share:
//  - equity item i of a country outside the portfolio currency:
//    FxShare := max(EquityShare, 0); bond item i: FxHedge := max(BondWeight, 0);
//  - every weight p of C in the bond item's currency: r := w - FxHedge with
//    w = p's weight, or for "USD" the remainder u of the USD weight;
//    FxHedge := max(-r, 0) ("Russia": 0) and, for "USD", u := max(r, 0), so
//    the dollar weight is used up item after item and never hedges an item
//    beyond its exposure.
void HedgeCurrencies(std::vector<TRegionAllocationRow>& rows, std::size_t regionRows,
                     const std::vector<TWeightedName>& currencyWeights, double nonEquityShare,
                     const std::string& portfolioCcy) {
  struct TCurrencyWeight {
    std::string Currency;
    double Weight = 0.0;
  };
  std::vector<TCurrencyWeight> weights;
  weights.reserve(currencyWeights.size());
  double usd = 0.0;  // u: the last USD weight
  for (const TWeightedName& item : currencyWeights) {
    weights.push_back({GetCountryCurrency(item.Name), item.Weight * nonEquityShare});
    if (weights.back().Currency == "USD") usd = weights.back().Weight;
  }

  for (std::size_t r = 0; r < regionRows; ++r) {
    TRegionAllocationRow& row = rows[r];
    for (std::size_t i = 0; i < row.DetailItems.size(); ++i) {
      TCountryDetailItem& bond = row.DetailItems[i];
      TCountryAllocationItem& equity = ModelAt(row.Items, static_cast<std::ptrdiff_t>(i), "MYGP equity items");
      const std::string currency = GetCountryCurrency(bond.Name);
      if (currency != portfolioCcy) equity.FxShare = Positive(equity.EquityShare);
      bond.FxHedge = Positive(bond.BondWeight);
      for (const TCurrencyWeight& p : weights) {
        if (p.Currency != currency) continue;
        const bool isUsd = currency == "USD";
        const double rest = (isUsd ? usd : p.Weight) - bond.FxHedge;
        bond.FxHedge = bond.Name == "Russia" || rest >= 0.0 ? 0.0 : -rest;
        if (isUsd) usd = Positive(rest);
      }
    }
  }
}

// Region heads := sums of max(value, 0) over their items (0 without items);
// the total's FX figures add the regions' FX sums.
void SumRegions(std::vector<TRegionAllocationRow>& rows, std::size_t regionRows, TRegionAllocationRow& total) {
  for (std::size_t r = 0; r < regionRows; ++r) {
    TRegionAllocationRow& row = rows[r];
    TCountryAllocationItem& head = row.Summary;
    head.EquityShare = head.RiskFreeShare = head.FxShare = 0.0;
    for (const TCountryAllocationItem& item : row.Items) {
      head.EquityShare += Positive(item.EquityShare);
      head.RiskFreeShare += Positive(item.RiskFreeShare);
      head.FxShare += Positive(item.FxShare);
    }
    TCountryDetailItem& detail = row.DetailSummary;
    detail.FixedRateWeight = detail.InflationLinkedWeight = detail.BondWeight = detail.IndexWeight =
        detail.FxHedge = 0.0;
    for (const TCountryDetailItem& item : row.DetailItems) {
      detail.FixedRateWeight += Positive(item.FixedRateWeight);
      detail.InflationLinkedWeight += Positive(item.InflationLinkedWeight);
      detail.BondWeight += Positive(item.BondWeight);
      detail.IndexWeight += Positive(item.IndexWeight);
      detail.FxHedge += Positive(item.FxHedge);
    }
    AddTo(total.Summary.FxShare, head.FxShare);
    AddTo(total.DetailSummary.FxHedge, detail.FxHedge);
  }
}

// true when the last row named `name` has the first point 1.0; false
// without such a row or when that row has no points.
bool SignalOn(const std::vector<TLabelledSeries>& rows, const std::string& name) {
  bool on = false;
  for (const TLabelledSeries& row : rows) {
    if (row.Labels.empty() || row.Labels.front() != name) continue;
    on = !row.Series.empty() && row.Series.front().Value == 1.0;
  }
  return on;
}

// The fixed-rate, inflation-linked and gold weights of one FIGP composition date.
struct TAssetSplit {
  double Fixed = 0.0;
  double Linked = 0.0;
  double Gold = 0.0;
};

}  // namespace

void ComputeMYGPModel(TMYGPGraphicData* result, std::vector<TCountry> countries, TUserSettings settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  TStageCounter counter(progress, step);
  if (result == nullptr) {
    counter.Start(kMYGPFrame.CounterStart);
    throw EModelError("MYGP: no result record");
  }
  RunModelFrame(*result, std::move(countries), settings, frequency, intraMonth, kMYGPFrame, counter);

  counter.Next();  // 3
  BuildMYGPPortfolios(result, result->Countries, settings, frequency);

  counter.Next();  // 4
  CopyMYGPSettings(result, settings);

  counter.Next();  // 5
  CombineMYGPModelSeries(result, settings);

  counter.Next();  // 6
  ComputeMYGPBenchmark(result);

  counter.Next();  // 7
  ComputeMYGPStatistics(result);

  counter.Next();  // 8
  ComputeMYGPAllocations(result, settings);

  counter.Next();  // 9
}

void BuildMYGPPortfolios(TMYGPGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency) {
  TMYGPGraphicData& r = Checked(result);
  const auto code = static_cast<std::int32_t>(frequency);

  // The ranking portfolios rank every country: selection fractions 1.0.
  TUserSettings ranking = settings;
  ranking.CountryRankingCriteria[0] = 1.0;
  r.EquityPortfolio.Build(countries, ranking, code, r.StartDate, r.EndDate);
  r.EquityPortfolio.Recalculate(true);
  ranking.CountryRankingCriteria[1] = 1.0;
  r.BondPortfolio.Build(countries, ranking, code, r.StartDate, r.EndDate);
  r.BondPortfolio.Recalculate(true);

  // Timing is off only when both trust levels are exactly 0.0.
  r.Extra = !(settings.QVTrustLevel == 0.0 && settings.BLTrustLevel == 0.0);

  // Both benchmarks use the user's settings and differ only in their
  // weights: the legs are converted once and shared.
  const std::vector<TBenchmarkLine> legs = TBenchmarkPortfolio().BuildLegs(countries, settings, code, false);
  r.Benchmark.BuildFromLegs(legs, countries, settings, code, r.EndDate, r.Extra);
  r.Benchmark2.BuildFromLegs(legs, countries, settings, code, r.EndDate, false);

  // Cash of the portfolio-currency country (found in the global list, taken
  // as a position in this list); empty without one, never the last run's.
  r.Values1.clear();
  const int c = FindCountryIndex(settings.PortfolioCcy, false);
  if (c >= 0 && static_cast<std::size_t>(c) < countries.size()) {
    if (const TAssetSeries* cash = LastCashAsset(countries[static_cast<std::size_t>(c)]))
      r.Values1 = ComputeReturns(cash->Series, 0.0);
  }
}

void CopyMYGPSettings(TMYGPGraphicData* result, const TUserSettings& settings) {
  TSeriesInfo& info = Checked(result).Performance.Parameters;
  CopySettingsToSeriesInfo(info, settings, TParameterGroup::All);
  // 0 <= Max <= 100, then 0 <= Min <= Max (a value that is no number counts as 0).
  double& max = info.MaxEqVsFiAllocation;
  double& min = info.MinEqVsFiAllocation;
  max = max > 0.0 ? (max < 100.0 ? max : 100.0) : 0.0;
  min = min > 0.0 ? (min < max ? min : max) : 0.0;
}

void CombineMYGPModelSeries(TMYGPGraphicData* result, const TUserSettings& settings) {
  TMYGPGraphicData& r = Checked(result);
  const TFIGPGraphicData& figp = cMyExternFIGPGraphicData;
  const TFICYGraphicData& ficy = cMyExternFICYGraphicData;
  const TEquityBounds bounds = BoundsOf(r);
  const TSeries& blended = figp.Rule2.Returns;

  // The timed sleeve's risk-off leg is the bond strategy.
  ClearResults(r.Benchmark);
  r.Benchmark.RecalculateWithSeries(blended, true);
  r.Benchmark2.Recalculate(false);

  // The dates common to timed benchmark and bond strategy and to plain
  // benchmark and bond benchmark.
  const auto timedRange = GetCommonDateRange(r.Benchmark.ReturnSeries, blended);
  const auto plainRange = GetCommonDateRange(r.Benchmark2.ReturnSeries, figp.Values3);
  const double from = std::max(timedRange[0], plainRange[0]);
  const double to = std::min(timedRange[1], plainRange[1]);

  const TSeries cash = WindowCashReturns(r, settings.PortfolioCcy);
  const TSeries plain = AddOnCommonDates(SliceSeries(r.Benchmark2.ReturnSeries, from, to), cash);

  r.Classic1.Assets.clear();
  AddMixLine(r.Classic1, plain, bounds.MinShare());
  AddMixLine(r.Classic1, AddOnCommonDates(SliceSeries(r.Benchmark.ReturnSeries, from, to), cash),
             bounds.TimedShare());
  AddMixLine(r.Classic1, AlignMYGPSeries(SliceSeries(blended, from, to), ficy.Performance.ModelReturns),
             bounds.BondShare());
  r.Classic1.ComputeWeights();

  r.Classic2.Assets.clear();
  AddMixLine(r.Classic2, plain, bounds.MaxShare());
  AddMixLine(r.Classic2, AlignMYGPSeries(SliceSeries(figp.Values3, from, to), ficy.Performance.BenchmarkReturns),
             bounds.BondShare());
  r.Classic2.ComputeWeights();
}

TSeries ConvertMYGPSeriesCurrency(const TMYGPGraphicData& result, const TSeries& series,
                                  const TUserSettings& settings) {
  return AddOnCommonDates(series, WindowCashReturns(result, settings.PortfolioCcy));
}

TSeries AlignMYGPSeries(const TSeries& a, const TSeries& b) { return AddOnCommonDates(a, b); }

void ComputeMYGPBenchmark(TMYGPGraphicData* result) {
  TMYGPGraphicData& r = Checked(result);
  TPortfolioPerformance& p = r.Performance;
  p.ModelReturns.clear();
  p.BenchmarkReturns.clear();
  const std::string& ccy = p.Parameters.PortfolioCcy;
  p.ModelName = "(In " + ccy + ")";
  p.BenchmarkName = "Benchmark (In " + ccy + ")";

  const auto range = GetCommonDateRange(r.Classic1.Returns, r.Classic2.Returns);
  p.ModelReturns = SliceSeries(r.Classic1.Returns, range[0], range[1]);
  p.BenchmarkReturns = SliceSeries(r.Classic2.Returns, range[0], range[1]);

  // Risk-free rate: AnnualizedReturn of the cash returns over the model's dates.
  p.Statistics.RiskFreeRate = kNoFigure;
  if (!r.Values1.empty()) {
    const auto cashRange = GetCommonDateRange(p.ModelReturns, r.Values1);
    p.Statistics.RiskFreeRate = AnnualizedReturn(SliceSeries(r.Values1, cashRange[0], cashRange[1]), r.Frequency);
  }
}

void ComputeMYGPStatistics(TMYGPGraphicData* result) {
  TMYGPGraphicData& r = Checked(result);
  TPortfolioPerformance& p = r.Performance;
  ComputePerformanceStatistics(p.Statistics, p.ModelReturns, p.BenchmarkReturns, "Cash && Risk Portfolio",
                               p.Parameters.PortfolioCcy, static_cast<int>(r.Frequency), kNoFigure, kNoFigure);
  // The risk-free column has no figures of its own here.
  p.Statistics.RiskFree.Sharpe = kNoFigure;
}

void ComputeMYGPAllocations(TMYGPGraphicData* result, const TUserSettings& /*settings*/) {
  TMYGPGraphicData& r = Checked(result);
  FillChartSets(r.Performance, static_cast<int>(r.Frequency));
  ComposeMYGPPortfolio(result);
  ComputeMYGPAssetRows(result);
}

void AddMYGPTotalRows(TMYGPGraphicData* result) {
  TMYGPGraphicData& r = Checked(result);
  r.AllocationItems = BuildRegionTotalRows(r.Countries);
}

void ComposeMYGPPortfolio(TMYGPGraphicData* result) {
  AddMYGPTotalRows(result);
  TMYGPGraphicData& r = *result;
  const std::vector<TSLAllocation>& eqsl = cMyExternEQSLGraphicData.ModelPortfolio.Allocations;
  const std::vector<TSLAllocation>& fisl = cMyExternFISLGraphicData.ModelPortfolio.Allocations;
  if (eqsl.empty() || fisl.empty()) return;
  const std::vector<TSLHolding>& equitySelection = LastOf(eqsl, "EQSL allocations").Holdings;
  const std::vector<TSLHolding>& bondSelection = LastOf(fisl, "FISL allocations").Holdings;

  std::vector<TRegionAllocationRow>& rows = r.AllocationItems;
  const std::size_t regionRows = rows.size() - 1;
  TRegionAllocationRow& total = ModelAt(rows, static_cast<std::ptrdiff_t>(regionRows), "MYGP rows");
  const TEquityBounds bounds = BoundsOf(r);

  // 1. The bond strategy's split at its last date.
  const TFIGPGraphicData& figp = cMyExternFIGPGraphicData;
  TBondSplit split;
  split.Lines = &figp.Rule2.InflationLinked.Lines;
  if (!figp.Rule2.Allocations.empty()) {
    const TRule2Allocation& last = LastOf(figp.Rule2.Allocations, "FIGP allocations");
    split.Fixed = last.FixedRateWeight;
    split.Linked = last.InflationLinkedWeight;
    split.Date = last.Date;
  }

  // 2, 3. Ranks of the model's own ranking portfolios; selection flags of EQSL and FISL.
  for (std::size_t k = 0; k < regionRows; ++k) {
    for (TCountryAllocationItem& item : rows[k].Items) {
      for (const TSLLine& line : r.EquityPortfolio.Lines)
        if (line.Name == item.Name) item.Rank = CurrentRank(line);
      item.Selected = HoldsName(equitySelection, item.Name);
    }
    for (TCountryDetailItem& item : rows[k].DetailItems) {
      for (const TSLLine& line : r.BondPortfolio.Lines)
        if (line.Name == item.Name) item.Code = CurrentRank(line);
      item.Flag = HoldsName(bondSelection, item.Name) ? 1 : 0;
    }
  }

  // 4, 5. Timed sleeve: equity weight e x (Max - Min) / 100 per country; its
  // risk-off weight X = o x (Max - Min) / 100 goes into the bond strategy.
  const std::vector<TBenchmarkAllocation>& timed = r.Benchmark.WeightHistory;
  if (!timed.empty()) {
    const TBenchmarkAllocation& et = LastOf(timed, "timed benchmark weights");
    total.Summary.EquityShare = 0.0;
    for (std::size_t k = 0; k < regionRows; ++k)
      for (TCountryAllocationItem& item : rows[k].Items)
        for (const TBenchmarkHolding& e : et.Items)
          if (e.Name == item.Name) {
            item.EquityShare = e.EquityWeight * bounds.TimedShare();
            total.Summary.EquityShare += item.EquityShare;
          }
    for (std::size_t k = 0; k < regionRows; ++k)
      for (const TCountryDetailItem& item : rows[k].DetailItems)
        for (const TBenchmarkHolding& e : et.Items)
          if (e.Name == item.Name && e.RiskFreeWeight != 0.0)
            SpreadBondSleeve(rows, regionRows, total.DetailSummary, bondSelection,
                             e.RiskFreeWeight * bounds.TimedShare(), split);
  }

  // 6. Plain sleeve p x Min / 100 added to the model; benchmark equity p x Max / 100.
  const std::vector<TBenchmarkAllocation>& plain = r.Benchmark2.WeightHistory;
  if (!plain.empty()) {
    const TBenchmarkAllocation& ep = LastOf(plain, "plain benchmark weights");
    total.Summary.RiskFreeShare = 0.0;
    for (std::size_t k = 0; k < regionRows; ++k)
      for (TCountryAllocationItem& item : rows[k].Items)
        for (const TBenchmarkHolding& p : ep.Items)
          if (p.Name == item.Name) {
            AddTo(item.EquityShare, p.EquityWeight * bounds.MinShare());
            AddTo(total.Summary.EquityShare, p.EquityWeight * bounds.MinShare());
            item.RiskFreeShare = p.EquityWeight * bounds.MaxShare();
            total.Summary.RiskFreeShare += item.RiskFreeShare;
          }
  }

  // 7. Bond sleeve: the FISL selection x (100 - Max) / 100.
  total.DetailSummary.IndexWeight = 0.0;
  SpreadBondSleeve(rows, regionRows, total.DetailSummary, bondSelection, bounds.BondShare(), split);

  // 8. Bond benchmark: the FISL benchmark x (100 - Max) / 100.
  const std::vector<TSLAllocation>& fislBenchmark = cMyExternFISLGraphicData.BenchmarkPortfolio.Allocations;
  if (!fislBenchmark.empty()) {
    const TSLAllocation& last = LastOf(fislBenchmark, "FISL benchmark allocations");
    total.DetailSummary.IndexWeight = 0.0;
    for (std::size_t k = 0; k < regionRows; ++k)
      for (TCountryDetailItem& item : rows[k].DetailItems)
        for (const TSLHolding& s : last.Holdings)
          if (s.Name == item.Name) {
            item.IndexWeight = s.AdjustedWeight * bounds.BondShare();
            total.DetailSummary.IndexWeight += item.IndexWeight;
          }
  }

  // 9, 10. Currency hedges and region sums, with both equity sleeves known.
  if (timed.empty() || plain.empty()) return;
  const double qT = EquitySum(LastOf(timed, "timed benchmark weights"));
  const double qP = EquitySum(LastOf(plain, "plain benchmark weights"));
  const std::vector<TAllocationRow>& currencies = cMyExternFICYGraphicData.Performance.AllocationHistory;
  if (!currencies.empty()) {
    // The model's non-equity share: 1 - (Min / 100 x qP + (Max - Min) / 100 x qT).
    const double nonEquity = 1.0 - (bounds.MinShare() * qP + bounds.TimedShare() * qT);
    HedgeCurrencies(rows, regionRows, LastOf(currencies, "FICY allocations").Holdings, nonEquity,
                    r.Performance.Parameters.PortfolioCcy);
  }
  SumRegions(rows, regionRows, total);
}

void ComputeMYGPAssetRows(TMYGPGraphicData* result) {
  TMYGPGraphicData& r = Checked(result);
  TPortfolioPerformance& p = r.Performance;
  // Nothing of a previous run stays, also when this run has no timed weights.
  p.AllocationHistory.clear();
  r.AssetShares.clear();
  r.ColumnCaption1.clear();
  r.ColumnCaption2.clear();
  const std::vector<TBenchmarkAllocation>& timed = r.Benchmark.WeightHistory;
  if (timed.empty()) return;
  const TEquityBounds bounds = BoundsOf(r);

  // qP per date: the plain benchmark's equity weights of every record of that date.
  std::unordered_map<double, double> plainEquity;
  for (const TBenchmarkAllocation& record : r.Benchmark2.WeightHistory) plainEquity[record.Date] += EquitySum(record);
  // The bond strategy's split per date: the last record of the date with items.
  std::unordered_map<double, TAssetSplit> splits;
  for (const TAllocationRow& record : cMyExternFIGPGraphicData.Performance.AllocationHistory) {
    if (record.Holdings.empty()) continue;
    TAssetSplit split;
    for (const TWeightedName& h : record.Holdings) {
      if (h.Name == "Fixed Rate Bond") split.Fixed = h.Weight;
      if (h.Name == "Inflation-Linked Bond") split.Linked = h.Weight;
      if (h.Name == "Gold") split.Gold = h.Weight;
    }
    splits[record.Date] = split;
  }

  // Per timed record (qT equity, oT risk-off):
  //   k = (Max - Min) / 100 x oT + (100 - Max) / 100,
  //   equity = Min / 100 x qP + (Max - Min) / 100 x qT,
  //   fixed = gF k, linked = gI k, gold = gG k.
  double equity = 0.0, fixed = 0.0, linked = 0.0, gold = 0.0, qP = 0.0;
  p.AllocationHistory.reserve(timed.size());
  for (const TBenchmarkAllocation& record : timed) {
    double qT = 0.0;
    double oT = 0.0;
    for (const TBenchmarkHolding& h : record.Items) {
      qT += h.EquityWeight;
      oT += h.RiskFreeWeight;
    }
    const auto plainAt = plainEquity.find(record.Date);
    qP = plainAt == plainEquity.end() ? 0.0 : plainAt->second;
    const auto splitAt = splits.find(record.Date);
    const TAssetSplit split = splitAt == splits.end() ? TAssetSplit{} : splitAt->second;
    const double k = bounds.TimedShare() * oT + bounds.BondShare();
    equity = bounds.MinShare() * qP + bounds.TimedShare() * qT;
    fixed = split.Fixed * k;
    linked = split.Linked * k;
    gold = split.Gold * k;
    p.AllocationHistory.push_back(
        {record.Date,
         1.0,
         {{"Equity", equity}, {"Fixed Rate Bond", fixed}, {"Inflation-Linked Bond", linked}, {"Gold", gold}}});
  }

  r.ColumnCaption1 = "Model";
  r.ColumnCaption2 = "Index";
  r.AssetShares = {{"Equity", equity, bounds.MaxShare() * qP, 1},
                   {"Equity", equity, bounds.MaxShare() * qP, 1},
                   {"Bond", fixed + linked, bounds.BondShare(), 2},
                   {"Fixed Rate Bond", fixed, bounds.BondShare(), 2},
                   {"Inflation-Linked Bond", linked, 0.0, 2},
                   {"Gold", gold, 0.0, 3}};
}

void FlagMYGPAllocationItems(TMYGPGraphicData* result, const std::vector<TLabelledSeries>& macroRows,
                             const std::vector<TLabelledSeries>& behaviourRows) {
  TMYGPGraphicData& r = Checked(result);
  for (TRegionAllocationRow& row : r.AllocationItems) {
    for (TCountryAllocationItem& item : row.Items) {
      item.MacroOn = SignalOn(macroRows, item.Name);
      item.BehaviourOn = SignalOn(behaviourRows, item.Name);
    }
  }
}

}  // namespace models
