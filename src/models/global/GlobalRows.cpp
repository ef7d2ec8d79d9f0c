#include "models/global/GlobalRows.h"

#include "common/TextHelpers.h"

#include <algorithm>
#include <utility>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/SeriesHelpers.h"
#include "common/SeriesStatistics.h"

namespace models {

namespace {

// Puts the amount D of a bond sleeve on item c and the total t (see SpreadBondSleeve).
void SpreadBondAmount(TCountryDetailItem& c, TCountryDetailItem& t, double amount, const TBondSplit& split) {
  const double fixed = split.Fixed * amount;
  const double linked = split.Linked * amount;
  AddToFigure(c.BondWeight, fixed + linked);
  AddToFigure(c.FixedRateWeight, fixed);
  AddToFigure(t.FixedRateWeight, fixed);
  if (split.Linked != 0.0) {
    const auto place = [&](bool covered) {
      AddToFigure(covered ? c.InflationLinkedWeight : c.FixedRateWeight, linked);
      AddToFigure(covered ? t.InflationLinkedWeight : t.FixedRateWeight, linked);
    };
    place(HasInflationLinkedData(*split.Lines, c.Name, split.Date));
  }
  AddToFigure(t.BondWeight, fixed + linked);
}

}  // namespace

bool HasInflationLinkedData(const std::vector<TInflationLinkedLine>& lines, const std::string& name, double date) {
  return std::any_of(lines.begin(), lines.end(), [&](const TInflationLinkedLine& line) {
    return line.CountryName == name && line.FirstDate <= date && date <= line.LastDate;
  });
}

bool HoldsName(const std::vector<TSLHolding>& holdings, const std::string& name) {
  return std::any_of(holdings.begin(), holdings.end(), [&](const TSLHolding& h) { return h.Name == name; });
}

double CashRiskFreeRate(const TSeries& model, const TSeries& cash, std::uint32_t frequency) {
  if (cash.empty()) return kNoFigure;
  const auto range = GetCommonDateRange(model, cash);
  return AnnualizedReturn(SliceSeries(cash, range[0], range[1]), frequency);
}

TSeries AddOnCommonDates(const TSeries& a, const TSeries& b) {
  const auto range = GetCommonDateRange(a, b);
  TSeries cutA = SliceSeries(a, range[0], range[1]);
  const TSeries cutB = SliceSeries(b, range[0], range[1]);
  if (cutA.empty() || cutB.empty() || cutA.size() != cutB.size()) return a;
  for (std::size_t i = 0; i < cutA.size(); ++i) cutA[i].Value += cutB[i].Value;
  return cutA;
}

void SumCountryItems(TRegionAllocationRow& row) {
  TCountryAllocationItem& head = row.Summary;
  head.EquityShare = head.RiskFreeShare = head.FxShare = 0.0;
  for (const TCountryAllocationItem& item : row.Items) {
    head.EquityShare += PositivePart(item.EquityShare);
    head.RiskFreeShare += PositivePart(item.RiskFreeShare);
    head.FxShare += PositivePart(item.FxShare);
  }
}

void SumDetailItems(TRegionAllocationRow& row) {
  TCountryDetailItem& head = row.DetailSummary;
  head.FixedRateWeight = head.InflationLinkedWeight = head.BondWeight = head.IndexWeight = head.FxHedge = 0.0;
  for (const TCountryDetailItem& item : row.DetailItems) {
    head.FixedRateWeight += PositivePart(item.FixedRateWeight);
    head.InflationLinkedWeight += PositivePart(item.InflationLinkedWeight);
    head.BondWeight += PositivePart(item.BondWeight);
    head.IndexWeight += PositivePart(item.IndexWeight);
    head.FxHedge += PositivePart(item.FxHedge);
  }
}

void SetIndexWeights(std::vector<TRegionAllocationRow>& rows, TCountryDetailItem& total,
                     const std::vector<TSLHolding>& index, double scale) {
  total.IndexWeight = 0.0;
  ForEachRegionDetail(rows, [&](TCountryDetailItem& d) {
    for (const TSLHolding& h : index) {
      if (h.Name != d.Name) continue;
      d.IndexWeight = h.AdjustedWeight * scale;
      total.IndexWeight += d.IndexWeight;
    }
  });
}

std::optional<bool> SignalOn(const std::vector<TLabelledSeries>& rows, const std::string& name) {
  std::optional<bool> on;
  for (const TLabelledSeries& row : rows) {
    if (row.Labels.empty() || row.Labels.front() != name) continue;
    on = !row.Series.empty() && row.Series.front().Value == 1.0;
  }
  return on;
}

void FlagAllocationItems(std::vector<TRegionAllocationRow>& rows, const std::vector<TLabelledSeries>& macroRows,
                         const std::vector<TLabelledSeries>& behaviourRows) {
  for (TRegionAllocationRow& row : rows) {
    for (TCountryAllocationItem& item : row.Items) {
      if (const std::optional<bool> on = SignalOn(macroRows, item.Name)) item.MacroOn = *on;
      if (const std::optional<bool> on = SignalOn(behaviourRows, item.Name)) item.BehaviourOn = *on;
    }
  }
}

TBondSplit LastBondSplit(const TRule2Evaluator& rule, const char* what) {
  TBondSplit split;
  split.Lines = &rule.InflationLinked.Lines;
  if (!rule.Allocations.empty()) {
    const TRule2Allocation& last = LastOf(rule.Allocations, what);
    split.Fixed = last.FixedRateWeight;
    split.Linked = last.InflationLinkedWeight;
    split.Date = last.Date;
  }
  return split;
}

void SpreadBondSleeve(std::vector<TRegionAllocationRow>& rows, TCountryDetailItem& total,
                      const std::vector<TSLHolding>& holdings, double scale, const TBondSplit& split) {
  ForEachRegionDetail(rows, [&](TCountryDetailItem& c) {
    for (const TSLHolding& h : holdings)
      if (h.Name == c.Name) SpreadBondAmount(c, total, h.AdjustedWeight * scale, split);
  });
}

std::vector<TCurrencyWeight> CurrencyWeights(const std::vector<TWeightedName>& items, double scale) {
  std::vector<TCurrencyWeight> weights;
  weights.reserve(items.size());
  for (const TWeightedName& item : items) weights.push_back({GetCountryCurrency(item.Name), item.Weight * scale});
  return weights;
}

double LastUsdWeight(const std::vector<TCurrencyWeight>& weights) {
  double usd = 0.0;
  for (const TCurrencyWeight& p : weights)
    if (p.Currency == "USD") usd = p.Weight;
  return usd;
}

template <class Record>
void BuildBondAssetRows(Record& record, const TLinkedShare& linkedShare) {
  TPortfolioPerformance& p = record.Performance;
  p.AllocationTitle.clear();
  p.AllocationHistory.clear();
  record.ColumnCaption1.clear();
  record.ColumnCaption2.clear();
  record.AssetShares.clear();
  const std::vector<TRule2Allocation>& rows = record.Rule2.Allocations;
  if (rows.empty()) return;

  double fixed = 0.0;
  double linked = 0.0;
  double gold = 0.0;
  p.AllocationHistory.reserve(rows.size());
  for (const TRule2Allocation& row : rows) {
    const double s = row.InflationLinkedWeight != 0.0 ? linkedShare(row) : 0.0;
    fixed = row.FixedRateWeight + row.InflationLinkedWeight * (1.0 - s);
    linked = row.InflationLinkedWeight * s;
    gold = row.GoldWeight;
    p.AllocationHistory.push_back(
        {row.Date, 1.0, {{"Fixed Rate Bond", fixed}, {"Inflation-Linked Bond", linked}, {"Gold", gold}}});
  }

  record.ColumnCaption1 = "Model";
  record.ColumnCaption2 = "Index";
  // The index is all fixed-rate bonds; the last two rows are empty.
  record.AssetShares = {{"Bond", fixed + linked, 1.0, 1},       {"Fixed Rate Bond", fixed, 1.0, 1},
                        {"Inflation-Linked Bond", linked, 0.0, 1}, {"Gold", gold, 0.0, 2},
                        {"", 0.0, 0.0, 2},                         {"", 0.0, 0.0, 2}};
}

template void BuildBondAssetRows<TFIGFGraphicData>(TFIGFGraphicData&, const TLinkedShare&);
template void BuildBondAssetRows<TFIGPGraphicData>(TFIGPGraphicData&, const TLinkedShare&);

bool NeverHedged(const std::string& name) { return UpperCaseText(name) == "RUSSIA"; }

void HedgeBondItem(TCountryDetailItem& d, const std::vector<TCurrencyWeight>& weights, double& usd) {
  const bool neverHedged = NeverHedged(d.Name);
  d.FxHedge = neverHedged ? 0.0 : PositivePart(d.BondWeight);
  const std::string currency = GetCountryCurrency(d.Name);
  if (currency.empty()) return;
  d.FxHedge = WalkCurrencyHedge(d.FxHedge, currency, weights, usd,
                                [&](double rest) { return neverHedged ? 0.0 : PositivePart(-rest); });
}

}  // namespace models
