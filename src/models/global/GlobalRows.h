#pragma once
// Pieces that the global models (EQGP, FIGF, FIGP, MYGP) compute alike: the
// record check, the model and benchmark names, the cash risk-free rate, sums
// on common dates, the region rows (visits, head sums, index weights, signal
// flags), the split of a bond sleeve into fixed-rate and inflation-linked
// bonds, the currency-hedge walk, and the dated fixed-rate / inflation-linked
// / gold rows with their six asset rows.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/Records.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

// *result; EModelError(failure) when there is no record.
template <class Record>
Record& RecordOf(Record* result, const char* failure) {
  if (result == nullptr) throw EModelError(failure);
  return *result;
}

// The last element of a list, read with a check (EModelError naming `what`
// when the list is empty).
template <class T>
const T& LastOf(const std::vector<T>& list, const char* what) {
  return ModelAt(list, static_cast<std::ptrdiff_t>(list.size()) - 1, what);
}
template <class T>
T& LastOf(std::vector<T>& list, const char* what) {
  return ModelAt(list, static_cast<std::ptrdiff_t>(list.size()) - 1, what);
}

// target += v, a target still at kNoFigure counting as 0.0.
inline void AddToFigure(double& target, double v) { target = (target == kNoFigure ? 0.0 : target) + v; }

// max(v, 0.0): kNoFigure, negative values and NaN count as 0.0.
inline double PositivePart(double v) { return v > 0.0 ? v : 0.0; }

// True when one of the inflation-linked ranges of `name` covers `date`
// (FirstDate <= date <= LastDate).
bool HasInflationLinkedData(const std::vector<TInflationLinkedLine>& lines, const std::string& name, double date);

// True when one of the holdings is named `name`.
bool HoldsName(const std::vector<TSLHolding>& holdings, const std::string& name);

// Empties the model and benchmark series of a performance part and names
// them "(In <ccy>)" and "Benchmark (In <ccy>)".
template <class Part>
void NameModelAndBenchmark(Part& part, const std::string& ccy) {
  part.ModelReturns.clear();
  part.BenchmarkReturns.clear();
  part.ModelName = "(In " + ccy + ")";
  part.BenchmarkName = "Benchmark (In " + ccy + ")";
}

// AnnualizedReturn of the cash returns cut to the dates common with the
// model series; kNoFigure without cash returns.
double CashRiskFreeRate(const TSeries& model, const TSeries& cash, std::uint32_t frequency);

// a_i + b_i dated a_i over the common dates of a and b; `a` unchanged when
// the cuts differ in length or either is empty.
TSeries AddOnCommonDates(const TSeries& a, const TSeries& b);

// ---------------------------------------------------------------- region rows

// Visits the region rows: every row but the last (the total row).
template <class Visit>
void ForEachRegionRow(std::vector<TRegionAllocationRow>& rows, Visit visit) {
  const std::size_t regions = rows.empty() ? 0 : rows.size() - 1;
  for (std::size_t r = 0; r < regions; ++r) visit(rows[r]);
}

// Visits the equity items of the region rows, row by row.
template <class Visit>
void ForEachRegionItem(std::vector<TRegionAllocationRow>& rows, Visit visit) {
  ForEachRegionRow(rows, [&](TRegionAllocationRow& row) {
    for (TCountryAllocationItem& item : row.Items) visit(item);
  });
}

// Visits the bond items of the region rows, row by row.
template <class Visit>
void ForEachRegionDetail(std::vector<TRegionAllocationRow>& rows, Visit visit) {
  ForEachRegionRow(rows, [&](TRegionAllocationRow& row) {
    for (TCountryDetailItem& item : row.DetailItems) visit(item);
  });
}

// The equity head of a row: EquityShare, RiskFreeShare and FxShare := the
// sums of max(value, 0.0) over the row's equity items (0.0 without items).
void SumCountryItems(TRegionAllocationRow& row);

// The bond head of a row: its five figures := the sums of max(value, 0.0)
// over the row's bond items (0.0 without items).
void SumDetailItems(TRegionAllocationRow& row);

// Index weights: total.IndexWeight := 0.0; every bond item d of the region
// rows and every holding h named d.Name: d.IndexWeight := h.AdjustedWeight x
// scale, total.IndexWeight += d.IndexWeight.
void SetIndexWeights(std::vector<TRegionAllocationRow>& rows, TCountryDetailItem& total,
                     const std::vector<TSLHolding>& index, double scale);

// Whether the last row whose first label is `name` has the first point 1.0
// (false when that row has no points); nothing without such a row.
std::optional<bool> SignalOn(const std::vector<TLabelledSeries>& rows, const std::string& name);

// MacroOn and BehaviourOn of every equity item of every row (the total row
// included): SignalOn of the item's name in each list; an item without a
// row of its name in a list keeps that list's flag.
void FlagAllocationItems(std::vector<TRegionAllocationRow>& rows, const std::vector<TLabelledSeries>& macroRows,
                         const std::vector<TLabelledSeries>& behaviourRows);

// ---------------------------------------------------------------- bond split

// The RULE2 split at its last row: fixed-rate share wF, switch share wI and
// the date d, with the inflation-linked ranges that decide per country.
struct TBondSplit {
  double Fixed = 0.0;   // wF
  double Linked = 0.0;  // wI
  double Date = kMissingDate;
  const std::vector<TInflationLinkedLine>* Lines = nullptr;
};

// The split of the last weight row (wF = wI = 0.0 without rows).
TBondSplit LastBondSplit(const TRule2Evaluator& rule, const char* what);

// A bond sleeve invested like `holdings`: every bond item c of the region
// rows gets, per holding h named c.Name, the amount D = h.AdjustedWeight x
// scale split as
//   c.BondWeight += wF D + wI D, c.FixedRateWeight += wF D (total alike);
//   with wI != 0, wI D to the inflation-linked share when a range of c's
//   name covers d, else to the fixed-rate share (of c and total), once, so
//   that fixed rate + inflation linked = bond in every item.
void SpreadBondSleeve(std::vector<TRegionAllocationRow>& rows, TCountryDetailItem& total,
                      const std::vector<TSLHolding>& holdings, double scale, const TBondSplit& split);

// ---------------------------------------------------------------- currency hedges

// One item of the currency model's allocation: its country's currency and weight.
struct TCurrencyWeight {
  std::string Currency;
  double Weight = 0.0;
};

// The allocation's items as (GetCountryCurrency(name), weight x scale), in order.
std::vector<TCurrencyWeight> CurrencyWeights(const std::vector<TWeightedName>& items, double scale);

// The weight of the last "USD" item; 0.0 when there is none.
double LastUsdWeight(const std::vector<TCurrencyWeight>& weights);

// The hedge of one bond item in `currency`, starting at `hedge`: for each
// weight p of that currency, in order, r := w - hedge with w := p.Weight, or
// for "USD" the running dollar weight u; hedge := settle(r); for "USD",
// u := max(r, 0.0), so the dollar weight is used up item after item.
template <class Settle>
double WalkCurrencyHedge(double hedge, const std::string& currency, const std::vector<TCurrencyWeight>& weights,
                         double& usd, Settle settle) {
  const bool isUsd = currency == "USD";
  for (const TCurrencyWeight& p : weights) {
    if (p.Currency != currency) continue;
    const double rest = (isUsd ? usd : p.Weight) - hedge;
    hedge = settle(rest);
    if (isUsd) usd = PositivePart(rest);
  }
  return hedge;
}

// "Russia" (any letter case) is never hedged.
bool NeverHedged(const std::string& name);

// The currency hedge of bond item d: it starts at its exposure
// max(BondWeight, 0) (0 for a country never hedged), then every weight of its
// currency (GetCountryCurrency of its name) settles it as WalkCurrencyHedge
// says with hedge := max(-r, 0). A name without a known currency keeps its
// exposure.
void HedgeBondItem(TCountryDetailItem& d, const std::vector<TCurrencyWeight>& weights, double& usd);

// ---------------------------------------------------------------- asset rows

// The linked part s of a weight row's switch share (asked only when the
// switch share is not 0.0).
using TLinkedShare = std::function<double(const TRule2Allocation&)>;

// Per RULE2 weight row (date d, fixed f, gold g, switch w; s := linkedShare
// of the row, 0.0 when w is 0.0) a dated row {d, 1.0, "Fixed Rate Bond" =
// f + w (1 - s), "Inflation-Linked Bond" = w s, "Gold" = g}; then the
// captions "Model" / "Index" and the six asset rows of the last weight row
// against the all-fixed-rate-bond index. Without weight rows the history,
// captions and asset rows stay empty (nothing of an earlier run is kept).
// For the records of FIGF and FIGP.
template <class Record>
void BuildBondAssetRows(Record& record, const TLinkedShare& linkedShare);

}  // namespace models
