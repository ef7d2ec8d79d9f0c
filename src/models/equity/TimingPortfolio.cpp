// Portfolio simulation of the timing models: per country the index and the
// risk-free asset as period returns in the portfolio currency (plain or
// currency-hedged), switched by the positions with the model's trust level
// and the switching costs; the country's own model returns, its weighted
// contribution to the total portfolio, its exposure and its turnover.
//
// Timing weight of a position v: w(v) = 1.0 when v != 0.0, 1 - T/100 when
// v == 0.0 (only exactly 0.0 is Off; -1.0 counts as invested).

#include <algorithm>
#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <utility>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "common/SeriesStatistics.h"
#include "common/TextHelpers.h"
#include "models/equity/TimingModel.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioCurrency.h"

namespace models {

namespace {

std::ptrdiff_t Pos(std::size_t i) { return static_cast<std::ptrdiff_t>(i); }

const TSeries kNoSeries;

// The two legs and the positions of one country, cut to the simulation window.
struct TTimingLegs {
  TSeries Index;      // E: index returns in the portfolio currency
  TSeries RiskFree;   // F: risk-free returns in the portfolio currency
  TSeries Positions;  // S: positions, one before the first return
  bool Cut = false;   // the window had distinct bounds and the series were cut
  double Start = 0.0;
  double End = 0.0;
  std::string IndexLabel;
  std::string RiskFreeLabel;
  std::string ModelLabel;
};

// Run-wide values of the stage.
struct TTimingRun {
  std::size_t IndexPosition;   // "EQINDEX" in the first country's index assets
  std::size_t SignalPosition;  // the model's signal in the first country's signal assets
  double PeriodsPerYear;
};

const TCountry& CountryAt(const TEQBLGraphicData& result, int position) {
  return ModelAt(result.Countries.List(), position, "countries");
}

// The first risk-free asset titled "...CASH..." (upper-cased); no series when none.
const TSeries& FirstCashSeries(const TCountry& country) {
  const TAssetSeries* cash = FirstCashAsset(country);
  return cash != nullptr ? cash->Series : kNoSeries;
}

const TSeries& FirstSpotFx(const TCountry& country) {
  return ModelAt(country.SpotFxAssets, 0, "spot exchange-rate assets").Series;
}

// What the legs of the countries share within one stage: the country of a
// currency (FindCountryIndex by currency) and the conversion factor between
// two countries, each formed once.
class TLegLookups {
 public:
  explicit TLegLookups(const TEQBLGraphicData& result) : result_(result) {}

  int CountryOf(const std::string& currency) {
    const auto found = countries_.find(currency);
    if (found != countries_.end()) return found->second;
    return countries_.emplace(currency, FindCountryIndex(currency, false)).first->second;
  }

  // The factor from the currency of country `from` into that of `to`:
  // MultiplySeries(spot of from, spot of to, from.ReverseQuote, to.ReverseQuote).
  const TSeries& Conversion(int from, int to) {
    const auto found = conversions_.find({from, to});
    if (found != conversions_.end()) return found->second;
    const TCountry& a = CountryAt(result_, from);
    const TCountry& b = CountryAt(result_, to);
    return conversions_
        .emplace(std::pair{from, to}, MultiplySeries(FirstSpotFx(a), FirstSpotFx(b), a.ReverseQuote, b.ReverseQuote))
        .first->second;
  }

 private:
  const TEQBLGraphicData& result_;
  std::map<std::string, int> countries_;
  std::map<std::pair<int, int>, TSeries> conversions_;
};

// Returns of `asset` in the portfolio currency. Plain: the returns of
// asset x conversion. Hedged: (K_(i+1)/K_i - 1 - h) + (rAsset - rLocalCash) x
// x_(i+1)/x_i with K the portfolio-currency cash and h the per-period cost.
TSeries ConvertedReturns(const TSeries& asset, const TSeries& conversion, bool hedged, const TSeries& localCash,
                         const TSeries& portfolioCash, double hedgingCost) {
  if (!hedged) return ProductSeriesReturns(asset, conversion);
  return HedgedReturns(asset, conversion, localCash, portfolioCash, hedgingCost);
}

// The index and risk-free legs of country c under the parameters q, the
// positions, the simulation window and the labels.
TTimingLegs ComputeLegs(const TEQBLGraphicData& result, const TTimingRun& run, std::size_t c, const TSeriesInfo& q,
                        TLegLookups& lookups) {
  const TCountry& country = CountryAt(result, static_cast<int>(c));
  const double hedgingCost = q.FxHedgingTransactionCost / run.PeriodsPerYear / 100.0;
  TTimingLegs legs;

  // Index side: p is the country of the portfolio currency.
  const int p = q.IndexCurrency == q.PortfolioCcy ? static_cast<int>(c) : lookups.CountryOf(q.PortfolioCcy);
  if (p >= 0) {
    const TCountry& portfolioCountry = CountryAt(result, p);
    const bool hedged = q.FxHedging && q.IndexCurrency != q.PortfolioCcy;
    const TSeries& index = ModelAt(country.IndexAssets, Pos(run.IndexPosition), "index assets").Series;
    legs.Index = ConvertedReturns(index, lookups.Conversion(static_cast<int>(c), p), hedged, FirstCashSeries(country),
                                  FirstCashSeries(portfolioCountry), hedgingCost);
  }

  // Risk-free side: r holds the risk-free currency, s the portfolio currency.
  const int r = lookups.CountryOf(q.RiskFreeCurrency);
  const int s = q.RiskFreeCurrency == q.PortfolioCcy ? r : lookups.CountryOf(q.PortfolioCcy);
  if (r >= 0 && s >= 0) {
    const TCountry& riskFreeCountry = CountryAt(result, r);
    const TCountry& portfolioCountry = CountryAt(result, s);
    const bool hedged = q.FxHedging && q.RiskFreeCurrency != q.PortfolioCcy;
    const TSeries* asset = &kNoSeries;
    for (const TAssetSeries& a : riskFreeCountry.RiskFreeAssets)
      if (a.ID == q.RiskFreeId) {
        asset = &a.Series;
        break;
      }
    legs.RiskFree = ConvertedReturns(*asset, lookups.Conversion(r, s), hedged, FirstCashSeries(riskFreeCountry),
                                     FirstCashSeries(portfolioCountry), hedgingCost);
  }

  legs.Positions = ModelAt(country.SignalAssets, Pos(run.SignalPosition), "signal assets").Series;

  // Window: the common range of E with F and with S; a position series that
  // opens the window gives up its first date so that the first return has a
  // position before it.
  const std::array<double, 2> withRiskFree = GetCommonDateRange(legs.Index, legs.RiskFree);
  const std::array<double, 2> withPositions = GetCommonDateRange(legs.Index, legs.Positions);
  legs.Start = std::max(withRiskFree[0], withPositions[0]);
  legs.End = std::min(withRiskFree[1], withPositions[1]);
  if (legs.Positions.size() >= 3 && legs.Positions.front().Date == legs.Start) legs.Start = legs.Positions[1].Date;
  if (legs.Start != legs.End) {
    legs.Cut = true;
    legs.Index = SliceSeries(legs.Index, legs.Start, legs.End);
    legs.RiskFree = SliceSeries(legs.RiskFree, legs.Start, legs.End);
    legs.Positions = SliceSeries(legs.Positions, GetPreviousPeriodDate(legs.Start, static_cast<int>(result.Frequency)),
                                 legs.End);
  }

  const std::string inPortfolioCcy = " (In " + q.PortfolioCcy + ")";
  legs.IndexLabel = q.IndexName + " " + q.IndexCurrency + inPortfolioCcy;
  legs.RiskFreeLabel = TranslateAssetName(q.RiskFreeId, atRiskFreeAsset, true) + " " + q.RiskFreeCurrency + inPortfolioCcy;
  legs.ModelLabel = "(In " + q.PortfolioCcy + ")";
  return legs;
}

// The parameters that ComputeLegs and the switching read are the same, so
// both passes may share one set of legs.
bool SameLegParameters(TTimingKind kind, const TSeriesInfo& a, const TSeriesInfo& b) {
  return a.PortfolioCcy == b.PortfolioCcy && a.RiskFreeId == b.RiskFreeId && a.FxHedging == b.FxHedging &&
         TimingTrustLevel(kind, a) == TimingTrustLevel(kind, b) && a.IndexCurrency == b.IndexCurrency &&
         a.RiskFreeCurrency == b.RiskFreeCurrency && a.IndexName == b.IndexName &&
         a.IndexTransactionCost == b.IndexTransactionCost && a.RiskFreeTransactionCost == b.RiskFreeTransactionCost &&
         a.FxHedgingTransactionCost == b.FxHedgingTransactionCost;
}

// First pass: M = SwitchReturnsWithCost(E, F, S, T/100, c1, c2), with
// m_i = w_i e_i + (1 - w_i) f_i - |w_i - w_(i+1)| (c1 + c2), and the
// annualised cash return over the common range of M and the cash returns.
void StoreCountryModel(TTimingKind kind, TEQBLGraphicData& result, TCountryModelData& data, const TTimingLegs& legs) {
  const TSeriesInfo& q = data.Parameters;
  data.Series2 = {legs.IndexLabel, legs.Index};
  data.Series3 = {legs.RiskFreeLabel, legs.RiskFree};
  data.Series1 = {legs.ModelLabel,
                  SwitchReturnsWithCost(legs.Index, legs.RiskFree, legs.Positions, TimingTrustLevel(kind, q) / 100.0,
                                        q.IndexTransactionCost / 100.0, q.RiskFreeTransactionCost / 100.0)};

  // Annualised return prod(1 + r)^(P/n) - 1 of the cash returns over the
  // country's own model window.
  data.Statistics.RiskFreeRate = kNoFigure;
  if (!result.Values2.empty()) {
    const std::array<double, 2> window = GetCommonDateRange(data.Series1.Series, result.Values2);
    data.Statistics.RiskFreeRate =
        AnnualizedReturn(SliceSeries(result.Values2, window[0], window[1]), result.Frequency);
  }
}

// Second pass, with W the country's weight cut to the window:
// contribution_i = W_i m_i, index contribution_i = W_i e_i,
// exposure_k = w(s_k) W_k, turnover_k = |w(s_(k+1)) - w(s_k)| W_k.
void StoreCountrySummary(TTimingKind kind, TCountryModelSummary& summary, const TTimingLegs& legs) {
  const TSeriesInfo& q = summary.Parameters;
  const double f = TimingTrustLevel(kind, q) / 100.0;
  const TSeries weights = legs.Cut ? SliceSeries(summary.WeightSeries, legs.Start, legs.End) : TSeries{};
  summary.ContributionName = legs.ModelLabel;
  summary.ContributionSeries = SwitchReturnsWithCost3(legs.Index, legs.RiskFree, legs.Positions, weights, f,
                                                      q.IndexTransactionCost / 100.0, q.RiskFreeTransactionCost / 100.0);
  summary.IndexContributionName.clear();
  summary.IndexContribution = ScaleSeries(legs.Index, weights);
  summary.ExposureSeries = PositionCostFactors(legs.Positions, weights, f);
  summary.TurnoverSeries = PositionChangeCosts(legs.Positions, weights, f);
}

}  // namespace

void ComputeTimingPortfolio(TTimingKind kind, TEQBLGraphicData& result) {
  if (result.Countries.empty()) return;
  const TCountry& first = result.Countries.front();
  const TTimingRun run{FindAssetPosition(first.IndexAssets, "EQINDEX"),
                       FindAssetPosition(first.SignalAssets, TimingValues(kind).SignalKey),
                       PeriodsPerYear(result.Frequency)};

  TLegLookups lookups(result);
  for (std::size_t c = 0; c < result.Countries.size(); ++c) {
    TCountryModelData& data = ModelAt(result.CountryData, Pos(c), "country data");
    TCountryModelSummary& summary = ModelAt(result.Total.Summaries, Pos(c), "country summaries");
    const TTimingLegs legs = ComputeLegs(result, run, c, data.Parameters, lookups);
    StoreCountryModel(kind, result, data, legs);
    if (SameLegParameters(kind, data.Parameters, summary.Parameters))
      StoreCountrySummary(kind, summary, legs);
    else
      StoreCountrySummary(kind, summary, ComputeLegs(result, run, c, summary.Parameters, lookups));
  }
}

}  // namespace models
