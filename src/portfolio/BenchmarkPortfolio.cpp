#include "portfolio/BenchmarkPortfolio.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioCurrency.h"

namespace {

// Position in a series of m points paired with point k of the longest line
// (n points), counting from the end: j = m - n + k.
std::ptrdiff_t EndIndex(std::size_t m, std::size_t n, std::size_t k) {
  return static_cast<std::ptrdiff_t>(m) - static_cast<std::ptrdiff_t>(n) + static_cast<std::ptrdiff_t>(k);
}

// Value paired with point k of the longest line; EModelError outside the series.
double EndValue(const TSeries& series, std::size_t n, std::size_t k, const char* what) {
  return ModelAt(series, EndIndex(series.size(), n, k), what).Value;
}

// Rank paired with point k of the longest line; -1.0 outside the series.
double RankValue(const TSeries& ranks, std::size_t n, std::size_t k) {
  const std::ptrdiff_t j = EndIndex(ranks.size(), n, k);
  return j >= 0 && static_cast<std::size_t>(j) < ranks.size() ? ranks[static_cast<std::size_t>(j)].Value : -1.0;
}

// Integer part of a rank value; -1 for a value that is no rank.
std::int32_t TruncatedRank(double value) {
  if (!(value > -2147483648.0 && value < 2147483648.0)) return -1;
  return static_cast<std::int32_t>(value);
}

// Weight normalised by the sum S of all weights: w + (S != 0 ? w / S : 0) * (1 - S).
double Normalised(double w, double sum) { return w + (sum != 0.0 ? w / sum : 0.0) * (1.0 - sum); }

const TCountrySettings& SettingsRow(const TUserSettings& settings, std::size_t country) {
  return ModelAt(settings.CountrySettings, static_cast<std::ptrdiff_t>(country), "benchmark settings rows");
}

// Lines that take part at date d: equity weights present and begun on or
// before d (strict: before d). Fills `begun`, reusing its storage.
void LinesBegun(const std::vector<TBenchmarkLine>& lines, double d, bool strict, std::vector<std::size_t>& begun) {
  begun.clear();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const TSeries& weights = lines[i].EquityWeights;
    if (weights.empty()) continue;
    const double first = weights.front().Date;
    if (strict ? first < d : first <= d) begun.push_back(i);
  }
}

// Swap cost per period of hedging country c: EqFxSwapBorrowingCost / periods a
// year / 100 when hedging and c is not the portfolio-currency country, else 0.
double HedgingCost(const TUserSettings& settings, std::int32_t frequency, const TCurrencyCountries& found,
                   std::size_t country) {
  if (static_cast<std::size_t>(found.Portfolio) == country || !settings.FxHedging) return 0.0;
  return SettingsRow(settings, country).EqFxSwapBorrowingCost / PeriodsPerYear(frequency) / 100.0;
}

}  // namespace

void TBenchmarkPortfolio::Build(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                std::int32_t frequency, double endDate, bool trustFlag) {
  StartBuild(settings, frequency, trustFlag);
  if (countries.empty()) return;
  std::vector<TBenchmarkLine> legs = BuildLegs(countries, settings, frequency, false);
  for (std::size_t i = 0; i < countries.size(); ++i) {
    if (SettingsRow(settings, i).EqWeight / 100.0 == 0.0) continue;
    AddLine(std::move(legs[i]), countries, settings, endDate, i);
  }
  DropShortLines();
}

void TBenchmarkPortfolio::BuildFromLegs(const std::vector<TBenchmarkLine>& legs, const std::vector<TCountry>& countries,
                                        const TUserSettings& settings, std::int32_t frequency, double endDate,
                                        bool trustFlag) {
  // The lines of an earlier build are rewritten in place (their series keep
  // their storage); the surplus is dropped.
  std::vector<TBenchmarkLine> lines = std::move(Lines);
  StartBuild(settings, frequency, trustFlag);
  std::size_t used = 0;
  for (std::size_t i = 0; i < countries.size(); ++i) {
    if (SettingsRow(settings, i).EqWeight / 100.0 == 0.0) continue;
    const TBenchmarkLine& leg = ModelAt(legs, static_cast<std::ptrdiff_t>(i), "benchmark legs");
    if (used == lines.size()) lines.emplace_back();
    TBenchmarkLine& line = lines[used];
    line.EquityReturns = leg.EquityReturns;
    line.CashReturns = leg.CashReturns;
    line.RankingValues = leg.RankingValues;
    if (CompleteLine(line, countries, settings, endDate, i)) ++used;
  }
  lines.resize(used);
  Lines = std::move(lines);
  DropShortLines();
}

std::vector<TBenchmarkLine> TBenchmarkPortfolio::BuildLegs(const std::vector<TCountry>& countries,
                                                           const TUserSettings& settings, std::int32_t frequency,
                                                           bool everyCountry) const {
  std::vector<TBenchmarkLine> legs(countries.size());
  if (countries.empty()) return legs;

  // The positions found in the first country serve for every country.
  const std::size_t equityPosition = FindAssetPosition(countries.front().IndexAssets, "EQINDEX", 0);
  const std::size_t cashPosition = FindAssetPosition(countries.front().RiskFreeAssets, settings.RiskFreeId, 0);

  // Both legs of every country are converted by the same USD/portfolio-currency rate.
  const TCurrencyCountries found = FindCurrencyCountries(countries, settings.PortfolioCcy);
  const TSeries usdToPortfolio = found.Valid() ? CrossRate(countries[static_cast<std::size_t>(found.Usd)],
                                                           countries[static_cast<std::size_t>(found.Portfolio)])
                                               : TSeries{};

  for (std::size_t i = 0; i < countries.size(); ++i) {
    const TCountrySettings& row = SettingsRow(settings, i);
    if (!everyCountry && row.EqWeight / 100.0 == 0.0) continue;
    TBenchmarkLine& line = legs[i];
    if (found.Valid()) {
      const TCountry& c = countries[i];
      const TSeries fxToUsd = CrossRate(c, countries[static_cast<std::size_t>(found.Usd)]);
      const double cost = HedgingCost(settings, frequency, found, i);
      line.EquityReturns = ConvertToPortfolioCurrency(SeriesAtPosition(c.IndexAssets, equityPosition), CashSeries(c),
                                                      fxToUsd, cost, usdToPortfolio, frequency);
      line.CashReturns = ConvertToPortfolioCurrency(SeriesAtPosition(c.RiskFreeAssets, cashPosition), CashSeries(c),
                                                    fxToUsd, cost, usdToPortfolio, frequency);
    }
    line.RankingValues = RollingOneYearReturns(line.EquityReturns);
  }
  return legs;
}

void TBenchmarkPortfolio::StartBuild(const TUserSettings& settings, std::int32_t frequency, bool trustFlag) {
  QVTrustLevel = trustFlag ? settings.QVTrustLevel : 0.0;
  BLTrustLevel = trustFlag ? settings.BLTrustLevel : 0.0;
  Frequency = frequency;
  CountryRankingCriteria = settings.CountryRankingCriteria[0];
  Lines.clear();
}

void TBenchmarkPortfolio::AddLine(TBenchmarkLine line, const std::vector<TCountry>& countries,
                                  const TUserSettings& settings, double endDate, std::size_t country) {
  if (CompleteLine(line, countries, settings, endDate, country)) Lines.push_back(std::move(line));
}

bool TBenchmarkPortfolio::CompleteLine(TBenchmarkLine& line, const std::vector<TCountry>& countries,
                                       const TUserSettings& settings, double endDate, std::size_t country) const {
  // Both legs from one timing-factor series (BuildSignalWeights of each leg).
  const double w = SettingsRow(settings, country).EqWeight;
  const bool timed = QVTrustLevel != 0.0 || BLTrustLevel != 0.0;
  const TSeries factors =
      timed ? TimingFactors(countries, settings, line.EquityReturns, line.CashReturns, country) : TSeries{};
  LegWeightsInto(line.EquityWeights, timed ? factors : line.EquityReturns, w, true, timed);
  LegWeightsInto(line.CashWeights, timed ? factors : line.EquityReturns, w, false, timed);
  line.Ranks.clear();

  TSeries* series[] = {&line.EquityReturns, &line.CashReturns, &line.RankingValues, &line.EquityWeights,
                       &line.CashWeights};
  if (std::any_of(std::begin(series), std::end(series), [](const TSeries* s) { return s->empty(); })) return false;
  double from = line.EquityReturns.front().Date;
  for (const TSeries* s : series) from = std::max(from, s->front().Date);
  for (TSeries* s : series) CutSeriesInPlace(*s, from, endDate);
  line.Name = countries[country].Name;
  line.TransactionCost = SettingsRow(settings, country).EqTransactionCost;
  return true;
}

void TBenchmarkPortfolio::DropShortLines() {
  std::erase_if(Lines, [](const TBenchmarkLine& line) {
    return line.RankingValues.size() < 12 || line.EquityWeights.empty() || line.CashWeights.empty();
  });
}

void TBenchmarkPortfolio::Build(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                std::int32_t frequency, double /*startDate*/, double endDate, std::int32_t /*mode*/,
                                bool trustFlag) {
  Build(countries, settings, frequency, endDate, trustFlag);
}

TSeries TBenchmarkPortfolio::ConvertReturns(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                            std::int32_t frequency, const TSeries& series, std::size_t country) const {
  if (country >= countries.size()) return {};
  const TCurrencyCountries found = FindCurrencyCountries(countries, settings.PortfolioCcy);
  if (!found.Valid()) return {};
  const TCountry& c = countries[country];
  const TCountry& usd = countries[static_cast<std::size_t>(found.Usd)];
  const TCountry& pc = countries[static_cast<std::size_t>(found.Portfolio)];
  return ConvertToPortfolioCurrency(series, CashSeries(c), CrossRate(c, usd),
                                    HedgingCost(settings, frequency, found, country), CrossRate(usd, pc), frequency);
}

TSeries TBenchmarkPortfolio::BuildSignalWeights(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                                std::int32_t /*frequency*/, const TSeries& equityReturns,
                                                const TSeries& cashReturns, bool legFlag, std::size_t country) const {
  const double w = SettingsRow(settings, country).EqWeight;
  if (QVTrustLevel == 0.0 && BLTrustLevel == 0.0) return LegWeights(equityReturns, w, legFlag, false);
  return LegWeights(TimingFactors(countries, settings, equityReturns, cashReturns, country), w, legFlag, true);
}

TSeries TBenchmarkPortfolio::LegWeights(const TSeries& source, double eqWeight, bool legFlag, bool factors) {
  TSeries result;
  LegWeightsInto(result, source, eqWeight, legFlag, factors);
  return result;
}

void TBenchmarkPortfolio::LegWeightsInto(TSeries& weights, const TSeries& source, double eqWeight, bool legFlag,
                                         bool factors) {
  weights.resize(source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    const TDataPoint& p = source[i];
    weights[i] = {p.Date, factors ? (legFlag ? p.Value : 1.0 - p.Value) * eqWeight / 100.0
                                  : eqWeight * (legFlag ? 1.0 : 0.0) / 100.0};
  }
}

TSeries TBenchmarkPortfolio::TimingFactors(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                           const TSeries& equityReturns, const TSeries& cashReturns,
                                           std::size_t country) const {
  const std::vector<TAssetSeries>& signals =
      ModelAt(countries, static_cast<std::ptrdiff_t>(country), "benchmark countries").SignalAssets;
  TSeries qv = SeriesAtPosition(signals, FindAssetPosition(signals, "QVSIGNAL", 0));
  TSeries bl = SeriesAtPosition(signals, FindAssetPosition(signals, "BLSIGNAL", 1));
  const auto signalRange = GetCommonDateRange(qv, bl);
  if (signalRange[0] != signalRange[1]) {
    qv = SliceSeries(qv, signalRange[0], signalRange[1]);
    bl = SliceSeries(bl, signalRange[0], signalRange[1]);
  }
  const auto r1 = GetCommonDateRange(equityReturns, cashReturns);
  const auto r2 = GetCommonDateRange(equityReturns, qv);
  if (std::max(r1[0], r2[0]) == std::min(r1[1], r2[1])) return {};

  if (QVTrustLevel == 0.0 || BLTrustLevel == 0.0) {
    return settings.QVTrustLevel != 0.0 ? SignalFactors(qv, QVTrustLevel / 100.0)
                                        : SignalFactors(bl, BLTrustLevel / 100.0);
  }
  return CombineSignals(qv, bl, QVTrustLevel / 100.0, BLTrustLevel / 100.0);
}

TSeries TBenchmarkPortfolio::CombineSignals(const TSeries& qvSignal, const TSeries& blSignal, double tQV, double tBL) {
  TSeries g;
  if (qvSignal.empty() || qvSignal.size() != blSignal.size()) return g;
  g.reserve(qvSignal.size());
  for (std::size_t i = 0; i < qvSignal.size(); ++i) {
    const double fq = qvSignal[i].Value == 0.0 ? 1.0 - tQV : 1.0;
    const double fb = blSignal[i].Value == 0.0 ? 1.0 - tBL : 1.0;
    g.push_back({qvSignal[i].Date, fq * fb});
  }
  return g;
}

TSeries TBenchmarkPortfolio::SignalFactors(const TSeries& signal, double t) {
  TSeries g;
  g.reserve(signal.size());
  for (const TDataPoint& p : signal) g.push_back({p.Date, p.Value == 0.0 ? 1.0 - t : 1.0});
  return g;
}

void TBenchmarkPortfolio::RankAssets(bool rankFlag) {
  std::size_t reference = Lines.size();
  std::size_t n = 0;
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    if (Lines[i].RankingValues.size() > n) {
      reference = i;
      n = Lines[i].RankingValues.size();
    }
  }
  if (reference == Lines.size()) return;
  const TSeries& grid = Lines[reference].RankingValues;  // Lines is not resized below
  for (TBenchmarkLine& line : Lines) {
    line.Ranks.clear();
    line.Ranks.reserve(grid.size());
    for (const TDataPoint& p : grid) line.Ranks.push_back({p.Date, -1.0});
  }

  std::vector<double> values;
  std::vector<std::size_t> members;
  // Each date's order starts from the order of the date after.
  std::vector<std::int32_t> order;
  std::vector<std::size_t> previous;
  std::vector<std::int32_t> place(Lines.size(), -1);
  for (std::size_t k = n; k-- > 0;) {
    const double date = grid[k].Date;
    values.clear();
    members.clear();
    for (std::size_t i = 0; i < Lines.size(); ++i) {
      const TBenchmarkLine& line = Lines[i];
      if (line.RankingValues.empty() || line.RankingValues.front().Date > date) continue;
      // A point outside a series counts as "no value" in the ranking.
      const std::ptrdiff_t jw = EndIndex(line.EquityWeights.size(), n, k);
      const std::ptrdiff_t jv = EndIndex(line.RankingValues.size(), n, k);
      if (jw < 0 || static_cast<std::size_t>(jw) >= line.EquityWeights.size() || jv < 0) continue;
      if (!(line.EquityWeights[static_cast<std::size_t>(jw)].Value > 0.0)) continue;
      values.push_back(line.RankingValues[static_cast<std::size_t>(jv)].Value);
      members.push_back(i);
    }
    if (!rankFlag) {
      // Every line with a value ranks 1: no ordering needed.
      for (std::size_t i : members) Lines[i].Ranks[k].Value = 1.0;
      continue;
    }
    RankMembers(values, members, order, previous, place);
    for (std::size_t p = 0; p < order.size(); ++p) {
      Lines[members[static_cast<std::size_t>(order[p])]].Ranks[k].Value = rankFlag ? static_cast<double>(p + 1) : 1.0;
    }
  }

  for (TBenchmarkLine& line : Lines) {
    if (line.RankingValues.empty()) continue;
    line.Ranks = SliceSeries(line.Ranks, line.RankingValues.front().Date, line.RankingValues.back().Date);
  }
}

void TBenchmarkPortfolio::RankAndSelect(bool rankFlag) {
  RankAssets(rankFlag);
  if (!rankFlag) return;
  const std::int32_t longest = LongestWeightLine();
  if (longest < 0) return;
  const TSeries dates = Lines[static_cast<std::size_t>(longest)].EquityWeights;
  const std::size_t n = dates.size();
  std::vector<std::size_t> begun;
  for (std::size_t k = 0; k < n; ++k) {
    LinesBegun(Lines, dates[k].Date, false, begun);
    double total = 0.0;
    std::int32_t count = 0;
    for (std::size_t i : begun) {
      const double e = EndValue(Lines[i].EquityWeights, n, k, "benchmark equity weights");
      total += e;
      if (e > 0.0) ++count;
    }
    double kept = 0.0;
    for (std::size_t i : begun) {
      TBenchmarkLine& line = Lines[i];
      TDataPoint& e =
          ModelAt(line.EquityWeights, EndIndex(line.EquityWeights.size(), n, k), "benchmark equity weights");
      if (IsRankSelected(TruncatedRank(RankValue(line.Ranks, n, k)), count)) {
        kept += e.Value;
        continue;
      }
      e.Value = 0.0;
      const std::ptrdiff_t jr = EndIndex(line.Ranks.size(), n, k);
      if (jr >= 0 && static_cast<std::size_t>(jr) < line.Ranks.size())
        line.Ranks[static_cast<std::size_t>(jr)].Value = -1.0;
    }
    // The dropped weight goes to the selected lines in proportion to their weights.
    const double removed = total - kept;
    for (std::size_t i : begun) {
      TDataPoint& e =
          ModelAt(Lines[i].EquityWeights, EndIndex(Lines[i].EquityWeights.size(), n, k), "benchmark equity weights");
      e.Value += (kept != 0.0 ? e.Value / kept : 0.0) * removed;
    }
  }
}

void TBenchmarkPortfolio::Recalculate(bool rankFlag) {
  ReturnSeries.clear();
  if (Lines.empty()) {
    // Without lines every result is empty: turnover, exposure and costs of an
    // earlier recalculation are not left behind beside empty returns.
    WeightHistory.clear();
    ComputeWeights(-1);
    return;
  }
  RankAndSelect(rankFlag);
  RebuildResults();
}

void TBenchmarkPortfolio::RecalculateSeries(bool rankFlag) {
  struct TRestore {
    bool& WithHistory;
    ~TRestore() { WithHistory = true; }
  } restore{WithHistory_};
  WithHistory_ = false;
  Recalculate(rankFlag);
  WeightHistory.clear();
}

void TBenchmarkPortfolio::RecalculateWithSeries(const TSeries& series, bool rankFlag) {
  if (Lines.empty() || series.empty()) return;
  TSeries cash;
  cash.reserve(series.size() + 1);
  cash.push_back({GetPreviousPeriodDate(series.front().Date, Frequency), 0.0});
  cash.insert(cash.end(), series.begin(), series.end());
  for (TBenchmarkLine& line : Lines) {
    const auto range = GetCommonDateRange(line.EquityWeights, cash);
    line.RankingValues = SliceSeries(line.RankingValues, range[0], range[1]);
    line.EquityReturns = SliceSeries(line.EquityReturns, range[0], range[1]);
    line.EquityWeights = SliceSeries(line.EquityWeights, range[0], range[1]);
    line.CashWeights = SliceSeries(line.CashWeights, range[0], range[1]);
    line.CashReturns = SliceSeries(cash, range[0], range[1]);
  }
  RankAndSelect(rankFlag);
  RebuildResults();
}

void TBenchmarkPortfolio::RebuildResults() {
  ReturnSeries.clear();
  const std::int32_t longest = LongestWeightLine();
  const std::size_t n = longest >= 0 ? Lines[static_cast<std::size_t>(longest)].EquityWeights.size() : 0;
  if (n < 2) {
    WeightHistory.clear();
    ComputeWeights(longest);
    return;
  }
  // One pass over the dates forms the allocation rows, the returns and what
  // ComputeWeights forms (turnover, exposure, costs). Each figure is summed
  // over its own set of lines in line order, as the separate passes do; where
  // two sets hold the same lines, a sum or normalised weight already formed
  // over one is the same number for the other and is taken over.
  const TSeries& dates = Lines[static_cast<std::size_t>(longest)].EquityWeights;  // Lines is only read here
  const std::size_t lineCount = Lines.size();
  // The rows of an earlier result are rewritten in place (their holding lists
  // keep their storage), then the surplus is dropped: the same content as a
  // fresh history, without freeing and allocating a list per date.
  if (WithHistory_ && WeightHistory.size() < n - 1) WeightHistory.resize(n - 1);
  ReturnSeries.reserve(n - 1);
  TSeries turnoverSeries;
  TSeries exposureSeries;
  TSeries costSeries;
  turnoverSeries.reserve(n - 1);
  exposureSeries.reserve(n - 1);
  costSeries.reserve(n - 1);

  // Per line: present at d (begun on or before d: the rows), earning (begun
  // before d: the returns), trading (begun before the day of d: turnover and
  // costs), each a subset of the one before; the normalised weights of the
  // rows at d and at the date before, and the earning equity weights.
  std::vector<double> first(lineCount, 0.0);
  std::vector<char> weighted(lineCount, 0);
  for (std::size_t i = 0; i < lineCount; ++i) {
    weighted[i] = !Lines[i].EquityWeights.empty();
    if (weighted[i]) first[i] = Lines[i].EquityWeights.front().Date;
  }
  std::vector<char> present(lineCount, 0);
  std::vector<char> previousPresent(lineCount, 0);
  std::vector<char> earning(lineCount, 0);
  std::vector<char> trading(lineCount, 0);
  std::vector<double> equityNow(lineCount);
  std::vector<double> cashNow(lineCount);
  std::vector<double> equityBefore(lineCount);
  std::vector<double> cashBefore(lineCount);
  std::vector<double> equityEarning(lineCount);
  double presentSum = 0.0;
  const char* const kEquity = "benchmark equity weights";
  const char* const kCash = "benchmark cash weights";
  // Sum of both legs at point k over the lines of a set, in line order.
  const auto sumAt = [this, n, lineCount, kEquity, kCash](const std::vector<char>& set, std::size_t k) {
    double sum = 0.0;
    for (std::size_t i = 0; i < lineCount; ++i)
      if (set[i]) sum += EndValue(Lines[i].EquityWeights, n, k, kEquity) + EndValue(Lines[i].CashWeights, n, k, kCash);
    return sum;
  };
  // A normalised weight taken over (taken) or formed at point k of a weight series.
  const auto weightAt = [n](bool taken, double formed, const TSeries& weights, std::size_t k, double sum,
                            const char* what) {
    return taken ? formed : Normalised(EndValue(weights, n, k, what), sum);
  };
  for (std::size_t k = 1; k < n; ++k) {
    const double d = dates[k].Date;
    const double day = std::trunc(d);
    std::swap(present, previousPresent);
    std::swap(equityNow, equityBefore);
    std::swap(cashNow, cashBefore);
    const double previousPresentSum = presentSum;
    std::size_t presentCount = 0;
    std::size_t earningCount = 0;
    std::size_t tradingCount = 0;
    for (std::size_t i = 0; i < lineCount; ++i) {
      present[i] = weighted[i] && first[i] <= d;
      earning[i] = weighted[i] && first[i] < d;
      trading[i] = weighted[i] && first[i] < day;
      presentCount += static_cast<std::size_t>(present[i]);
      earningCount += static_cast<std::size_t>(earning[i]);
      tradingCount += static_cast<std::size_t>(trading[i]);
    }

    // Allocation at d: both legs normalised by their sum S.
    presentSum = sumAt(present, k);
    for (std::size_t i = 0; i < lineCount; ++i) {
      if (!present[i]) continue;
      equityNow[i] = Normalised(EndValue(Lines[i].EquityWeights, n, k, kEquity), presentSum);
      cashNow[i] = Normalised(EndValue(Lines[i].CashWeights, n, k, kCash), presentSum);
    }
    if (WithHistory_) {
      TBenchmarkAllocation& row = WeightHistory[k - 1];
      row.Date = d;
      row.Total = 0.0;
      row.Items.resize(presentCount);
      std::size_t item = 0;
      for (std::size_t i = 0; i < lineCount; ++i) {
        if (!present[i]) continue;
        TBenchmarkHolding& holding = row.Items[item++];
        holding.Name = Lines[i].Name;
        holding.EquityWeight = equityNow[i];
        holding.RiskFreeWeight = cashNow[i];
        holding.Rank = TruncatedRank(RankValue(Lines[i].Ranks, n, k));
        row.Total += holding.EquityWeight + holding.RiskFreeWeight;
      }
    }

    // Return at d: the normalised weights of the date before earn the returns of d.
    const bool earningWerePresent = k > 1 && earning == previousPresent;
    const double earningSum = earningWerePresent ? previousPresentSum : sumAt(earning, k - 1);
    double r = 0.0;
    for (std::size_t i = 0; i < lineCount; ++i) {
      if (!earning[i]) continue;
      const TBenchmarkLine& line = Lines[i];
      const double e = weightAt(earningWerePresent, equityBefore[i], line.EquityWeights, k - 1, earningSum, kEquity);
      const double c = weightAt(earningWerePresent, cashBefore[i], line.CashWeights, k - 1, earningSum, kCash);
      equityEarning[i] = e;
      r += e * EndValue(line.EquityReturns, n, k, "benchmark equity returns") +
           c * EndValue(line.CashReturns, n, k, "benchmark cash returns");
    }
    ReturnSeries.push_back({d, r});

    // Turnover, exposure and costs over the trading lines (ComputeWeights).
    const bool tradingEarn = tradingCount == earningCount && trading == earning;
    const bool tradingPresent = tradingCount == presentCount && trading == present;
    const double s0 = tradingEarn ? earningSum : sumAt(trading, k - 1);
    const double s1 = tradingPresent ? presentSum : sumAt(trading, k);
    double exposure = 0.0;
    double turnover = 0.0;
    double cost = 0.0;
    for (std::size_t i = 0; i < lineCount; ++i) {
      if (!trading[i]) continue;
      const TBenchmarkLine& line = Lines[i];
      const double e0 = weightAt(tradingEarn, equityEarning[i], line.EquityWeights, k - 1, s0, kEquity);
      const double e1 = weightAt(tradingPresent, equityNow[i], line.EquityWeights, k, s1, kEquity);
      const double change = std::abs(e1 - e0);
      exposure += e1;
      turnover += change;
      cost += 2.0 * line.TransactionCost / 100.0 * change;
    }
    turnoverSeries.push_back({d, turnover});
    exposureSeries.push_back({d, exposure});
    costSeries.push_back({d, cost});
  }
  WeightHistory.resize(WithHistory_ ? n - 1 : 0);
  TurnoverSeries = std::move(turnoverSeries);
  ExposureSeries = std::move(exposureSeries);
  CostSeries = std::move(costSeries);
  for (std::size_t i = 0; i < ReturnSeries.size(); ++i) ReturnSeries[i].Value -= CostSeries[i].Value;
}

void TBenchmarkPortfolio::ComputeWeights(std::int32_t longestLine) {
  TurnoverSeries.clear();
  ExposureSeries.clear();
  CostSeries.clear();
  if (longestLine < 0 || static_cast<std::size_t>(longestLine) >= Lines.size()) return;
  const TSeries& dates = Lines[static_cast<std::size_t>(longestLine)].EquityWeights;
  const std::size_t n = dates.size();
  if (n < 2) return;
  std::vector<std::size_t> earning;
  TurnoverSeries.reserve(n - 1);
  ExposureSeries.reserve(n - 1);
  CostSeries.reserve(n - 1);
  for (std::size_t k = 1; k < n; ++k) {
    LinesBegun(Lines, std::trunc(dates[k].Date), true, earning);
    double s0 = 0.0;
    double s1 = 0.0;
    for (std::size_t i : earning) {
      s0 += EndValue(Lines[i].EquityWeights, n, k - 1, "benchmark equity weights") +
            EndValue(Lines[i].CashWeights, n, k - 1, "benchmark cash weights");
      s1 += EndValue(Lines[i].EquityWeights, n, k, "benchmark equity weights") +
            EndValue(Lines[i].CashWeights, n, k, "benchmark cash weights");
    }
    double exposure = 0.0;
    double turnover = 0.0;
    double cost = 0.0;
    for (std::size_t i : earning) {
      const TBenchmarkLine& line = Lines[i];
      const double e0 = Normalised(EndValue(line.EquityWeights, n, k - 1, "benchmark equity weights"), s0);
      const double e1 = Normalised(EndValue(line.EquityWeights, n, k, "benchmark equity weights"), s1);
      const double change = std::abs(e1 - e0);
      exposure += e1;
      turnover += change;
      cost += 2.0 * line.TransactionCost / 100.0 * change;
    }
    TurnoverSeries.push_back({dates[k].Date, turnover});
    ExposureSeries.push_back({dates[k].Date, exposure});
    CostSeries.push_back({dates[k].Date, cost});
  }
}

bool TBenchmarkPortfolio::IsRankSelected(std::int32_t rank, std::int32_t count) const {
  if (rank < 1 || count == 0) return false;
  const double threshold = count > 1 ? static_cast<double>(rank - 1) / static_cast<double>(count - 1) : 0.0;
  return CountryRankingCriteria >= threshold;
}

TSeries TBenchmarkPortfolio::BuildDateGrid(bool flag) const {
  const TSeries* earliest = nullptr;
  for (const TBenchmarkLine& line : Lines) {
    const TSeries& source = flag ? line.RankingValues : line.EquityReturns;
    if (source.empty()) continue;
    if (earliest == nullptr || source.front().Date < earliest->front().Date) earliest = &source;
  }
  TSeries grid;
  if (earliest == nullptr) return grid;
  grid.reserve(earliest->size());
  for (const TDataPoint& p : *earliest) grid.push_back({p.Date, -1.0});
  return grid;
}

TSeries TBenchmarkPortfolio::ConvertHedgedReturns(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                                  std::int32_t frequency, const TSeries& series,
                                                  std::size_t country) const {
  if (country >= countries.size()) return {};
  const TCurrencyCountries found = FindCurrencyCountries(countries, settings.PortfolioCcy);
  if (!found.Valid()) return {};
  const TCountry& c = countries[country];
  const TCountry& pc = countries[static_cast<std::size_t>(found.Portfolio)];
  const double cost = settings.FxHedging
                          ? SettingsRow(settings, country).EqFxSwapBorrowingCost / PeriodsPerYear(frequency) / 100.0
                          : 0.0;
  return HedgedReturns(series, CrossRate(c, pc), CashSeries(c), CashSeries(pc), cost);
}

std::int32_t TBenchmarkPortfolio::LongestWeightLine() const {
  std::int32_t longest = -1;
  std::size_t n = 0;
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    if (Lines[i].EquityWeights.size() > n) {
      longest = static_cast<std::int32_t>(i);
      n = Lines[i].EquityWeights.size();
    }
  }
  return longest;
}
