#include "pages/FXHedgingPositions.h"

#include <algorithm>
#include <cctype>

std::vector<TFXHedgingPosition> vExternEQGPFXHedgingPosition;
std::vector<TFXHedgingPosition> vExternFIGPFXHedgingPosition;

namespace {

const char* const kFixedCurrencies[] = {"USD", "EUR", "GBP", "JPY", "CNY"};

std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

void ScaleToPercent(std::vector<TFXHedgingPosition>& rows) {
  for (TFXHedgingPosition& row : rows) {
    row.SpotFx *= 100.0;
    row.FxSwap *= 100.0;
    row.CcyPosition *= 100.0;
  }
}

// Splits a net exposure into a long swap and a short position:
// FxSwap = max(v, 0), CcyPosition = FxSwap - v = max(-v, 0).
void SplitExposure(TFXHedgingPosition& row, double v) {
  row.FxSwap = std::max(v, 0.0);
  row.CcyPosition = row.FxSwap - v;
}

// Sums the swaps (P) and positions (N) of the rows outside the portfolio
// currency, clears USD's swap and position, then gives the portfolio-currency
// row (when not USD) CcyPosition = P - N: it funds what the others hold.
void BalancePortfolioCurrency(std::vector<TFXHedgingPosition>& rows, const std::string& portfolioCcy) {
  double p = 0.0;
  double n = 0.0;
  for (TFXHedgingPosition& row : rows) {
    if (row.Currency != portfolioCcy) {
      p += row.FxSwap;
      n += row.CcyPosition;
    }
    if (row.Currency == "USD") {
      row.FxSwap = 0.0;
      row.CcyPosition = 0.0;
    }
  }
  for (TFXHedgingPosition& row : rows)
    if (row.Currency != "USD" && row.Currency == portfolioCcy) row.CcyPosition = p - n;
}

// Sum of weights of the benchmark holdings of currency outside the portfolio currency.
double ForeignWeight(const std::vector<TBenchmarkHolding>& items, const std::vector<TCountry>& countries,
                     const std::string& currency, const std::string& portfolioCcy) {
  double sum = 0.0;
  for (const TBenchmarkHolding& item : items) {
    const std::string c = CountryCurrencyOf(countries, item.Name);
    if (c != portfolioCcy && c == currency) sum += item.EquityWeight;
  }
  return sum;
}

double WeightSum(const std::vector<TBenchmarkHolding>& items) {
  double sum = 0.0;
  for (const TBenchmarkHolding& item : items) sum += item.EquityWeight;
  return sum;
}

}  // namespace

std::vector<TFXHedgingPosition> BuildFXHedgingRows(const std::vector<TCountry>& countries) {
  std::vector<TFXHedgingPosition> rows;
  for (const char* currency : kFixedCurrencies) rows.push_back({currency, 0.0, 0.0, 0.0});
  for (const TCountry& country : countries) {
    if (country.Currency.empty()) continue;
    const bool present = std::any_of(rows.begin(), rows.end(),
                                     [&](const TFXHedgingPosition& row) { return row.Currency == country.Currency; });
    if (!present) rows.push_back({country.Currency, 0.0, 0.0, 0.0});
  }
  return rows;
}

std::string CountryCurrencyOf(const std::vector<TCountry>& countries, const std::string& name) {
  std::string currency;
  for (const TCountry& country : countries)
    if (country.Name == name) currency = country.Currency;
  return currency;
}

std::vector<TFXHedgingPosition> EQGPFXHedgingPositions(const TEQGPGraphicData& eqgp,
                                                       const std::vector<TCountry>& countries,
                                                       const std::string& portfolioCcy) {
  std::vector<TFXHedgingPosition> rows = BuildFXHedgingRows(countries);
  if (eqgp.Total.AllocationHistory.empty()) return rows;

  for (TFXHedgingPosition& row : rows) {
    double exposure = 0.0;
    for (const TRegionItem& item : eqgp.Ranking1) {
      const std::string c = CountryCurrencyOf(countries, item.Name);
      if (c != portfolioCcy && c == row.Currency) exposure += item.Value;
    }
    row.SpotFx = 0.0;
    SplitExposure(row, exposure);
  }
  BalancePortfolioCurrency(rows, portfolioCcy);
  ScaleToPercent(rows);
  return rows;
}

std::vector<TFXHedgingPosition> FIGPFXHedgingPositions(const TFIGPGraphicData& figp, const TFICYGraphicData& ficy,
                                                       const TFISLGraphicData& fisl,
                                                       const std::vector<TCountry>& countries,
                                                       const std::string& portfolioCcy) {
  std::vector<TFXHedgingPosition> rows = BuildFXHedgingRows(countries);
  const std::vector<TAllocationRow>& figpHistory = figp.Performance.AllocationHistory;
  const std::vector<TAllocationRow>& ficyHistory = ficy.Performance.AllocationHistory;
  if (figpHistory.empty() || ficyHistory.empty()) return rows;
  const std::vector<TWeightedName>& figpPairs = figpHistory.back().Holdings;
  const std::vector<TWeightedName>& ficyPairs = ficyHistory.back().Holdings;

  // Asset classes of the bond strategy: fixed-rate and inflation-linked bonds
  // make the bond share that the FISL country weights are scaled by.
  double fixed = 0.0;
  double inflation = 0.0;
  double gold = 0.0;
  for (const TWeightedName& pair : figpPairs) {
    const std::string name = UpperCase(pair.Name);
    if (Contains(name, "FIXED")) fixed = pair.Weight;
    if (Contains(name, "INFLATION")) inflation += pair.Weight;
    if (Contains(name, "GOLD")) gold = pair.Weight;
  }
  const double bondShare = fixed + inflation;

  std::vector<std::string> ficyCurrencies;
  double foreign = 0.0;
  for (const TWeightedName& pair : ficyPairs) {
    ficyCurrencies.push_back(CountryCurrencyOf(countries, pair.Name));
    if (ficyCurrencies.back() != portfolioCcy) foreign += pair.Weight;
  }

  for (TFXHedgingPosition& row : rows) {
    // Every FICY pair of the currency counts, as in Foreign, so that the spot
    // column sums to zero.
    double ccy = 0.0;
    for (std::size_t k = 0; k < ficyPairs.size(); ++k)
      if (ficyCurrencies[k] == row.Currency) ccy += ficyPairs[k].Weight;
    double bond = 0.0;
    for (const TRegionItem& item : fisl.RegionItems)
      for (const TCountry& country : countries)
        if (country.Name == item.Name && country.Currency == row.Currency) bond += item.Value * bondShare;
    if (row.Currency == "USD") bond += gold;

    row.SpotFx = row.Currency != portfolioCcy ? ccy : -foreign;
    SplitExposure(row, bond - ccy);
    if (row.Currency == "USD") {
      row.FxSwap = 0.0;
      row.CcyPosition = 0.0;
    }
  }
  ScaleToPercent(rows);
  return rows;
}

std::vector<TFXHedgingPosition> MYGPFXHedgingPositions(const TMYGPGraphicData& mygp,
                                                       const std::vector<TFXHedgingPosition>& figpPositions,
                                                       const std::vector<TCountry>& countries,
                                                       const std::string& portfolioCcy) {
  std::vector<TFXHedgingPosition> rows = BuildFXHedgingRows(countries);
  const std::vector<TBenchmarkAllocation>& history1 = mygp.Benchmark.WeightHistory;
  const std::vector<TBenchmarkAllocation>& history2 = mygp.Benchmark2.WeightHistory;
  if (history1.empty() || history2.empty()) return rows;
  const std::vector<TBenchmarkHolding>& l1 = history1.back().Items;
  const std::vector<TBenchmarkHolding>& l2 = history2.back().Items;

  const double max = mygp.Performance.Parameters.MaxEqVsFiAllocation;
  const double min = mygp.Performance.Parameters.MinEqVsFiAllocation;
  const double s1 = WeightSum(l1);
  const double s2 = WeightSum(l2);

  for (TFXHedgingPosition& row : rows) {
    const double e1 = ForeignWeight(l1, countries, row.Currency, portfolioCcy);
    const double e2 = ForeignWeight(l2, countries, row.Currency, portfolioCcy);
    row.SpotFx = 0.0;
    SplitExposure(row, e2 * min / 100.0 + e1 * (max - min) / 100.0);
  }
  BalancePortfolioCurrency(rows, portfolioCcy);

  // The bond strategy holds what the equity part leaves: F of the portfolio.
  const double f = 1.0 - (min / 100.0 * s2 + (max - min) / 100.0 * s1);
  for (TFXHedgingPosition& row : rows) {
    const auto figp = std::find_if(figpPositions.begin(), figpPositions.end(),
                                   [&](const TFXHedgingPosition& p) { return p.Currency == row.Currency; });
    if (figp != figpPositions.end()) {
      row.SpotFx += f / 100.0 * figp->SpotFx;
      row.FxSwap += f / 100.0 * figp->FxSwap;
      row.CcyPosition += f / 100.0 * figp->CcyPosition;
    }
    if (row.Currency == "USD") {
      row.FxSwap = 0.0;
      row.CcyPosition = 0.0;
    }
  }
  ScaleToPercent(rows);
  return rows;
}
