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
#include "common/TextHelpers.h"
#include "models/equity/EQGPModel.h"
#include "models/equity/ModelFrame.h"
#include "models/global/GlobalRows.h"
#include "models/global/ModelStages.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioCurrency.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

constexpr TModelFrameValues kMYGPFrame{"MYGP", "EQINDEX", atIndex, 2, TStartShift::FirstDayYearEarlier};

constexpr const char* kNoRecord = "MYGP: no result record";

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
//    FxHedge := max(-r, 0) and, for "USD", u := max(r, 0), so the dollar
//    weight is used up item after item and never hedges an item beyond its
//    exposure; "Russia" (any letter case) is never hedged (HedgeBondItem).
void HedgeCurrencies(std::vector<TRegionAllocationRow>& rows, const std::vector<TWeightedName>& currencyWeights,
                     double nonEquityShare, const std::string& portfolioCcy) {
  const std::vector<TCurrencyWeight> weights = CurrencyWeights(currencyWeights, nonEquityShare);
  double usd = LastUsdWeight(weights);
  ForEachRegionRow(rows, [&](TRegionAllocationRow& row) {
    for (std::size_t i = 0; i < row.DetailItems.size(); ++i) {
      TCountryDetailItem& bond = row.DetailItems[i];
      TCountryAllocationItem& equity = ModelAt(row.Items, static_cast<std::ptrdiff_t>(i), "MYGP equity items");
      const std::string currency = GetCountryCurrency(bond.Name);
      if (currency != portfolioCcy) equity.FxShare = PositivePart(equity.EquityShare);
      HedgeBondItem(bond, weights, usd);
    }
  });
}

// Region heads := sums of max(value, 0) over their items (0 without items);
// the total's FX figures add the regions' FX sums.
void SumRegions(std::vector<TRegionAllocationRow>& rows, TRegionAllocationRow& total) {
  ForEachRegionRow(rows, [&](TRegionAllocationRow& row) {
    SumCountryItems(row);
    SumDetailItems(row);
    AddToFigure(total.Summary.FxShare, row.Summary.FxShare);
    AddToFigure(total.DetailSummary.FxHedge, row.DetailSummary.FxHedge);
  });
}

// The fixed-rate, inflation-linked and gold weights of one FIGP composition date.
struct TAssetSplit {
  double Fixed = 0.0;
  double Linked = 0.0;
  double Gold = 0.0;
};

}  // namespace

void ComputeMYGPModel(TMYGPGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  RunModelStages(
      result, countries, settings, frequency, intraMonth, kMYGPFrame, progress, step,
      [&] { BuildMYGPPortfolios(result, result->Countries, settings, frequency); },  // 3
      [&] { CopyMYGPSettings(result, settings); },                                   // 4
      [&] { CombineMYGPModelSeries(result, settings); },                             // 5
      [&] { ComputeMYGPBenchmark(result); },                                         // 6
      [&] { ComputeMYGPStatistics(result); },                                        // 7
      [&] { ComputeMYGPAllocations(result, settings); });                           // 8, then 9
}

void BuildMYGPPortfolios(TMYGPGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency) {
  TMYGPGraphicData& r = RecordOf(result, kNoRecord);
  const auto code = static_cast<std::int32_t>(frequency);

  // The ranking portfolios rank every country: selection fractions 1.0.
  TUserSettings equityRanking = settings;
  equityRanking.CountryRankingCriteria[0] = 1.0;
  TUserSettings bondRanking = equityRanking;
  bondRanking.CountryRankingCriteria[1] = 1.0;

  // Timing is off only when both trust levels are exactly 0.0.
  r.Extra = !(settings.QVTrustLevel == 0.0 && settings.BLTrustLevel == 0.0);

  // The two ranking portfolios and the benchmarks are built side by side.
  RunSideBySide(
      [&] {
        r.EquityPortfolio.Build(countries, equityRanking, code, r.StartDate, r.EndDate);
        r.EquityPortfolio.Recalculate(true);
      },
      [&] {
        r.BondPortfolio.Build(countries, bondRanking, code, r.StartDate, r.EndDate);
        r.BondPortfolio.Recalculate(true);
      },
      [&] {
        // Both benchmarks use the user's settings and differ only in their
        // weights: the legs are converted once and shared.
        const std::vector<TBenchmarkLine> legs = TBenchmarkPortfolio().BuildLegs(countries, settings, code, false);
        r.Benchmark.BuildFromLegs(legs, countries, settings, code, r.EndDate, r.Extra);
        r.Benchmark2.BuildFromLegs(legs, countries, settings, code, r.EndDate, false);
      });

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
  TSeriesInfo& info = RecordOf(result, kNoRecord).Performance.Parameters;
  CopySettingsToSeriesInfo(info, settings, TParameterGroup::All);
  // 0 <= Max <= 100, then 0 <= Min <= Max (a value that is no number counts as 0).
  double& max = info.MaxEqVsFiAllocation;
  double& min = info.MinEqVsFiAllocation;
  max = max > 0.0 ? (max < 100.0 ? max : 100.0) : 0.0;
  min = min > 0.0 ? (min < max ? min : max) : 0.0;
}

void CombineMYGPModelSeries(TMYGPGraphicData* result, const TUserSettings& settings) {
  TMYGPGraphicData& r = RecordOf(result, kNoRecord);
  const TFIGPGraphicData& figp = cMyExternFIGPGraphicData;
  const TFICYGraphicData& ficy = cMyExternFICYGraphicData;
  const TEquityBounds bounds = BoundsOf(r);
  const TSeries& blended = figp.Rule2.Returns;

  // The timed sleeve's risk-off leg is the bond strategy; the plain
  // benchmark is recalculated beside it.
  RunSideBySide(
      [&] {
        ClearResults(r.Benchmark);
        r.Benchmark.RecalculateWithSeries(blended, true);
      },
      [&] { r.Benchmark2.Recalculate(false); });

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
  TMYGPGraphicData& r = RecordOf(result, kNoRecord);
  TPortfolioPerformance& p = r.Performance;
  NameModelAndBenchmark(p, p.Parameters.PortfolioCcy);
  const auto range = GetCommonDateRange(r.Classic1.Returns, r.Classic2.Returns);
  p.ModelReturns = SliceSeries(r.Classic1.Returns, range[0], range[1]);
  p.BenchmarkReturns = SliceSeries(r.Classic2.Returns, range[0], range[1]);
  p.Statistics.RiskFreeRate = CashRiskFreeRate(p.ModelReturns, r.Values1, r.Frequency);
}

void ComputeMYGPStatistics(TMYGPGraphicData* result) {
  TMYGPGraphicData& r = RecordOf(result, kNoRecord);
  TPortfolioPerformance& p = r.Performance;
  ComputePerformanceStatistics(p.Statistics, p.ModelReturns, p.BenchmarkReturns, "Cash && Risk Portfolio",
                               p.Parameters.PortfolioCcy, static_cast<int>(r.Frequency), kNoFigure, kNoFigure);
  // The risk-free column has no figures of its own here.
  p.Statistics.RiskFree.Sharpe = kNoFigure;
}

void ComputeMYGPAllocations(TMYGPGraphicData* result, const TUserSettings& /*settings*/) {
  TMYGPGraphicData& r = RecordOf(result, kNoRecord);
  FillChartSets(r.Performance, static_cast<int>(r.Frequency));
  ComposeMYGPPortfolio(result);
  ComputeMYGPAssetRows(result);
}

void AddMYGPTotalRows(TMYGPGraphicData* result) {
  TMYGPGraphicData& r = RecordOf(result, kNoRecord);
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
  TRegionAllocationRow& total = LastOf(rows, "MYGP rows");
  const TEquityBounds bounds = BoundsOf(r);

  // 1. The bond strategy's split at its last date. A country's switch share
  // goes, once, to its inflation-linked bonds when one of its inflation-
  // linked ranges covers that date, else to its fixed-rate bonds.
  const TBondSplit split =
      LastBondSplit(cMyExternFIGPGraphicData.Rule2, "FIGP allocations");

  // 2, 3. Ranks of the model's own ranking portfolios; selection flags of EQSL and FISL.
  ForEachRegionRow(rows, [&](TRegionAllocationRow& row) {
    for (TCountryAllocationItem& item : row.Items) {
      for (const TSLLine& line : r.EquityPortfolio.Lines)
        if (line.Name == item.Name) item.Rank = CurrentRank(line);
      item.Selected = HoldsName(equitySelection, item.Name);
    }
    for (TCountryDetailItem& item : row.DetailItems) {
      for (const TSLLine& line : r.BondPortfolio.Lines)
        if (line.Name == item.Name) item.Code = CurrentRank(line);
      item.Flag = HoldsName(bondSelection, item.Name) ? 1 : 0;
    }
  });

  // 4, 5. Timed sleeve: equity weight e x (Max - Min) / 100 per country; its
  // risk-off weight X = o x (Max - Min) / 100 goes into the bond strategy.
  const std::vector<TBenchmarkAllocation>& timed = r.Benchmark.WeightHistory;
  if (!timed.empty()) {
    const TBenchmarkAllocation& et = LastOf(timed, "timed benchmark weights");
    total.Summary.EquityShare = 0.0;
    ForEachRegionItem(rows, [&](TCountryAllocationItem& item) {
      for (const TBenchmarkHolding& e : et.Items)
        if (e.Name == item.Name) {
          item.EquityShare = e.EquityWeight * bounds.TimedShare();
          total.Summary.EquityShare += item.EquityShare;
        }
    });
    ForEachRegionDetail(rows, [&](const TCountryDetailItem& item) {
      for (const TBenchmarkHolding& e : et.Items)
        if (e.Name == item.Name && e.RiskFreeWeight != 0.0)
          SpreadBondSleeve(rows, total.DetailSummary, bondSelection, e.RiskFreeWeight * bounds.TimedShare(), split);
    });
  }

  // 6. Plain sleeve p x Min / 100 added to the model; benchmark equity p x Max / 100.
  const std::vector<TBenchmarkAllocation>& plain = r.Benchmark2.WeightHistory;
  if (!plain.empty()) {
    const TBenchmarkAllocation& ep = LastOf(plain, "plain benchmark weights");
    total.Summary.RiskFreeShare = 0.0;
    ForEachRegionItem(rows, [&](TCountryAllocationItem& item) {
      for (const TBenchmarkHolding& p : ep.Items)
        if (p.Name == item.Name) {
          AddToFigure(item.EquityShare, p.EquityWeight * bounds.MinShare());
          AddToFigure(total.Summary.EquityShare, p.EquityWeight * bounds.MinShare());
          item.RiskFreeShare = p.EquityWeight * bounds.MaxShare();
          total.Summary.RiskFreeShare += item.RiskFreeShare;
        }
    });
  }

  // 7. Bond sleeve: the FISL selection x (100 - Max) / 100.
  total.DetailSummary.IndexWeight = 0.0;
  SpreadBondSleeve(rows, total.DetailSummary, bondSelection, bounds.BondShare(), split);

  // 8. Bond benchmark: the FISL benchmark x (100 - Max) / 100.
  const std::vector<TSLAllocation>& fislBenchmark = cMyExternFISLGraphicData.BenchmarkPortfolio.Allocations;
  if (!fislBenchmark.empty())
    SetIndexWeights(rows, total.DetailSummary, LastOf(fislBenchmark, "FISL benchmark allocations").Holdings,
                    bounds.BondShare());

  // 9, 10. Currency hedges and region sums, with both equity sleeves known.
  if (timed.empty() || plain.empty()) return;
  const double qT = EquitySum(LastOf(timed, "timed benchmark weights"));
  const double qP = EquitySum(LastOf(plain, "plain benchmark weights"));
  const std::vector<TAllocationRow>& currencies = cMyExternFICYGraphicData.Performance.AllocationHistory;
  if (!currencies.empty()) {
    // The model's non-equity share: 1 - (Min / 100 x qP + (Max - Min) / 100 x qT).
    const double nonEquity = 1.0 - (bounds.MinShare() * qP + bounds.TimedShare() * qT);
    HedgeCurrencies(rows, LastOf(currencies, "FICY allocations").Holdings, nonEquity,
                    r.Performance.Parameters.PortfolioCcy);
  }
  SumRegions(rows, total);
}

void ComputeMYGPAssetRows(TMYGPGraphicData* result) {
  TMYGPGraphicData& r = RecordOf(result, kNoRecord);
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
  FlagAllocationItems(RecordOf(result, kNoRecord).AllocationItems, macroRows, behaviourRows);
}

}  // namespace models
