#include "SampleData.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <stdexcept>

#include "ServerStore.h"
#include "common/CountryHelpers.h"
#include "common/Globals.h"
#include "platform/DateTime.h"

namespace qvserver {
namespace {

constexpr double kNoValue = kStoredMissingValue;  // -1000.0
constexpr double kPi = 3.14159265358979323846;

std::uint64_t SplitMix64(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

// The independent draw streams of the set.
enum TStream : std::uint64_t {
  sGlobal = 1,         // market regime, regional returns, gold, common rate shock
  sFx = 2,             // one per currency: the exchange rate
  sCountry = 3,        // one per country: monthly equity, bond and signal draws
  sCountryDaily = 4,   // one per country: daily moves
  sCurrencyRate = 5,   // one per currency: the short rate
  sCurrencyDaily = 6,  // one per currency: daily spot moves
};

// A generator of its own for each (stream, index), so that one part of the
// set does not shift the draws of another.
TSampleRng StreamRng(std::uint64_t seed, TStream stream, std::uint64_t index) {
  std::uint64_t x = seed ^ (stream * 0xD1B54A32D192ED03ULL) ^ (index * 0x8CB92BA72F3D8DD7ULL);
  return TSampleRng(SplitMix64(x));
}

// Asset positions in ascending ID, the order of SampleAssets().
enum TAssetIndex : int {
  a10YRate,
  aGold,
  aBLSignal,
  aCash,
  aEquity,
  aIlb1,
  aIlb2,
  aQVSignal,
  aBond10Y,
  aBond2Y,
  aRule1,
  aRule2,
  aRule3,
  aRule4,
  aRule5,
  aRule6,
  aRule7,
  aSpotFx,
};
static_assert(aSpotFx + 1 == kSampleAssetCount, "one position per sample asset");

struct TCountryProfile {
  const char* Name;
  const char* Currency;
  const char* Code;  // made-up short code; the index ticker is Code + "EQ"
  bool Developed;
  bool ReverseQuote;  // spot rate held as US dollars per unit of the currency
  int StartYear;      // first month with data; -1000.0 before it
  int StartMonth;
  int IlbStartYear;       // first year of inflation-linked bonds; 0: none
  double FxStart;         // units of the currency per US dollar in January 1990
  double RateLevel;       // long-run short rate, percent
  double InflationLevel;  // long-run inflation, percent a year
  int Stream;             // index of the country's own draws, 0..39; fixed, so that moving
                          // a country in the list changes its place and rank, not its series
};

// The forty countries in display order (place 1 first). Place 3 holds a euro
// country without bond weights, place 4 Germany (the euro country with bond
// weights) and place 23 Russia (the commodity exporter without bond weights):
// the settings pages grey those fixed rows. The countries of one currency
// agree on every currency field (quote, rate level, first rate).
constexpr std::array<TCountryProfile, 40> kCountries{{
    {"USA", "USD", "USA", true, false, 1990, 1, 1997, 1.0, 4.0, 2.5, 0},
    {"CANADA", "CAD", "CAN", true, false, 1990, 1, 1991, 1.16, 4.5, 2.2, 1},
    {"AUSTRIA", "EUR", "AUT", true, true, 1990, 1, 0, 0.8, 3.5, 2.0, 2},
    {"GERMANY", "EUR", "DEU", true, true, 1990, 1, 2006, 0.8, 3.5, 2.0, 7},
    {"BELGIUM", "EUR", "BEL", true, true, 1990, 1, 0, 0.8, 3.5, 2.0, 3},
    {"EURO AREA", "EUR", "EUA", true, true, 1999, 1, 2001, 0.8, 3.5, 2.0, 4},
    {"FINLAND", "EUR", "FIN", true, true, 1990, 1, 0, 0.8, 3.5, 2.0, 5},
    {"FRANCE", "EUR", "FRA", true, true, 1990, 1, 1998, 0.8, 3.5, 2.0, 6},
    {"IRELAND", "EUR", "IRL", true, true, 1990, 1, 0, 0.8, 3.5, 2.0, 8},
    {"ITALY", "EUR", "ITA", true, true, 1990, 1, 2003, 0.8, 3.5, 2.0, 9},
    {"LUXEMBOURG", "EUR", "LUX", true, true, 1992, 1, 0, 0.8, 3.5, 2.0, 10},
    {"NETHERLANDS", "EUR", "NLD", true, true, 1990, 1, 0, 0.8, 3.5, 2.0, 11},
    {"PORTUGAL", "EUR", "PRT", true, true, 1993, 1, 0, 0.8, 3.5, 2.0, 12},
    {"SPAIN", "EUR", "ESP", true, true, 1990, 1, 2014, 0.8, 3.5, 2.0, 13},
    {"UNITED KINGDOM", "GBP", "GBR", true, true, 1990, 1, 1990, 0.62, 5.0, 2.8, 14},
    {"SWITZERLAND", "CHF", "CHE", true, false, 1990, 1, 0, 1.4, 1.5, 1.0, 15},
    {"SWEDEN", "SEK", "SWE", true, false, 1990, 1, 1994, 6.0, 3.5, 2.0, 16},
    {"NORWAY", "NOK", "NOR", true, false, 1990, 1, 0, 6.3, 4.0, 2.3, 17},
    {"DENMARK", "DKK", "DNK", true, false, 1990, 1, 2012, 6.2, 3.2, 2.0, 18},
    {"CZECH REPUBLIC", "CZK", "CZE", false, false, 1994, 4, 0, 28.0, 5.0, 4.0, 19},
    {"HUNGARY", "HUF", "HUN", false, false, 1991, 1, 0, 62.0, 9.0, 8.0, 20},
    {"ICELAND", "ISK", "ISL", true, false, 1993, 1, 1995, 58.0, 7.0, 5.0, 21},
    {"RUSSIA", "RUB", "RUS", false, false, 1997, 9, 0, 5.8, 12.0, 10.0, 28},
    {"AUSTRALIA", "AUD", "AUS", true, true, 1990, 1, 1990, 1.28, 5.0, 2.8, 22},
    {"NEW ZEALAND", "NZD", "NZL", true, true, 1990, 1, 1995, 1.67, 5.5, 2.5, 23},
    {"BRAZIL", "BRL", "BRA", false, false, 1994, 7, 2000, 0.9, 14.0, 7.0, 24},
    {"CHILE", "CLP", "CHL", false, false, 1990, 1, 1990, 300.0, 6.0, 4.0, 25},
    {"MEXICO", "MXN", "MEX", false, false, 1990, 1, 1996, 2.9, 10.0, 7.0, 26},
    {"SOUTH AFRICA", "ZAR", "ZAF", false, false, 1990, 1, 2000, 2.6, 9.0, 6.0, 27},
    {"JAPAN", "JPY", "JPN", true, false, 1990, 1, 2004, 145.0, 1.0, 0.3, 29},
    {"CHINA", "CNY", "CHN", false, false, 1993, 1, 0, 5.8, 4.0, 3.0, 30},
    {"HONG KONG", "HKD", "HKG", true, false, 1990, 1, 0, 7.8, 4.0, 2.5, 31},
    {"INDIA", "INR", "IND", false, false, 1995, 11, 2013, 35.0, 8.0, 6.0, 32},
    {"INDONESIA", "IDR", "IDN", false, false, 1990, 1, 0, 1800.0, 10.0, 7.0, 33},
    {"MALAYSIA", "MYR", "MYS", false, false, 1990, 1, 0, 2.7, 4.0, 2.5, 34},
    {"PHILIPPINES", "PHP", "PHL", false, false, 1990, 1, 0, 24.0, 8.0, 5.0, 35},
    {"SINGAPORE", "SGD", "SGP", true, false, 1990, 1, 0, 1.8, 2.5, 1.8, 36},
    {"SOUTH KOREA", "KRW", "KOR", false, false, 1990, 1, 2007, 710.0, 6.0, 3.5, 37},
    {"TAIWAN", "TWD", "TWN", false, false, 1990, 1, 0, 27.0, 4.0, 1.5, 38},
    {"TURKEY", "TRY", "TUR", false, false, 1990, 1, 2007, 0.3, 14.0, 12.0, 39},
}};

// The draw streams number the countries 0..39, each once.
constexpr bool StreamsArePermutation() {
  std::array<bool, kCountries.size()> seen{};
  for (const TCountryProfile& c : kCountries) {
    if (c.Stream < 0 || c.Stream >= static_cast<int>(seen.size()) || seen[static_cast<std::size_t>(c.Stream)])
      return false;
    seen[static_cast<std::size_t>(c.Stream)] = true;
  }
  return true;
}
static_assert(StreamsArePermutation(), "one draw stream per country");

// The countries in draw-stream order: the currencies take their own streams
// in the order their first country appears here.
std::vector<const TCountryProfile*> ByStream() {
  std::vector<const TCountryProfile*> result(kCountries.size());
  for (const TCountryProfile& c : kCountries) result[static_cast<std::size_t>(c.Stream)] = &c;
  return result;
}

// The equity index of a country: a made-up name and ticker naming no index
// product, e.g. "Euro Area Equity Index", "EUAEQ".
std::string IndexName(const TCountryProfile& c) { return ProperCaseCountryName(c.Name) + " Equity Index"; }
std::string IndexTicker(const TCountryProfile& c) { return std::string(c.Code) + "EQ"; }

// The stored rank of the country at each display place, and its region
// (0-based in strRegionNameList), both taken from the client's own display
// table: the client reads the list in ascending rank and places each country
// by that table, so every country lands at its place in kCountries.
struct TPlacement {
  int Rank;
  int Region;
};

std::vector<TPlacement> Placements() {
  std::vector<TCountry> byRank(kCountries.size());
  for (std::size_t p = 0; p < kCountries.size(); ++p)
    byRank.at(static_cast<std::size_t>(GetCountryDisplayIndex(static_cast<int>(p)))).Name = kCountries[p].Name;
  const std::vector<TCountry> placed = SortCountryList(byRank);
  std::vector<TPlacement> result;
  for (std::size_t p = 0; p < kCountries.size(); ++p) {
    if (placed.at(p).Name != kCountries[p].Name) throw std::logic_error("Display table is not a permutation");
    result.push_back({GetCountryDisplayIndex(static_cast<int>(p)) + 1, placed[p].RegionRank - 1});
  }
  return result;
}

double Round6(double x) { return std::round(x * 1e6) / 1e6; }

double Clamp(double x, double lo, double hi) { return std::min(std::max(x, lo), hi); }

double StartDateOf(const TCountryProfile& c) { return platform::EncodeDate(c.StartYear, c.StartMonth, 1); }

// Mean of v[from .. to], both included.
double Mean(const std::vector<double>& v, std::size_t from, std::size_t to) {
  return std::accumulate(v.begin() + static_cast<std::ptrdiff_t>(from), v.begin() + static_cast<std::ptrdiff_t>(to) + 1,
                         0.0) /
         static_cast<double>(to - from + 1);
}

// The first position of a trailing window of `length` points ending at t.
std::size_t WindowStart(std::size_t t, std::size_t length) { return t + 1 >= length ? t + 1 - length : 0; }

// A 0/1 regime that changes only when its score leaves a band around zero,
// so that it holds in runs instead of flickering.
int Regime(int state, double score, double band) { return score > band ? 1 : (score < -band ? 0 : state); }

// The global draws shared by every country.
struct TGlobalPaths {
  std::vector<bool> Bull;                     // equity market regime
  std::vector<double> Market;                 // global equity log return
  std::vector<std::array<double, 6>> Region;  // regional equity log returns
  std::vector<double> GoldUsd;                // gold in US dollars
  std::vector<double> RateShock;              // common short-rate shock
};

TGlobalPaths GlobalPaths(std::uint64_t seed, std::size_t months) {
  TSampleRng rng = StreamRng(seed, sGlobal, 0);
  TGlobalPaths g;
  bool bull = true;
  bool rally = false;
  double gold = 400.0;
  for (std::size_t t = 0; t < months; ++t) {
    if (rng.Uniform() > (bull ? 0.97 : 0.88)) bull = !bull;
    g.Bull.push_back(bull);
    g.Market.push_back((bull ? 0.009 : -0.024) + 0.032 * rng.Normal());
    std::array<double, 6> region{};
    for (double& r : region) r = 0.02 * rng.Normal();
    g.Region.push_back(region);
    if (rng.Uniform() > (rally ? 0.95 : 0.965)) rally = !rally;
    gold *= std::exp((rally ? 0.016 : -0.007) + 0.04 * rng.Normal());
    g.GoldUsd.push_back(gold);
    g.RateShock.push_back(0.1 * rng.Normal() - (bull ? 0.0 : 0.08));
  }
  return g;
}

// One path per currency, shared by every country of that currency: the
// exchange rate, the short rate, and the stored cash ("CASH") and spot
// ("SPOTFX") series, monthly and daily. So the cash return and the spot rate
// of a currency are the same whichever of its countries a lookup finds.
//
// Countries that start late: a currency's cash and spot series start with
// the earliest first month among the countries of that currency, and every
// country of the currency carries them from there on. On every date all
// countries of one currency hold the same cash and spot values; a late
// starter thus has cash and spot values before its own first month, where
// its other assets hold -1000.0.
struct TCurrencyPath {
  std::string Currency;
  const TCountryProfile* Profile = nullptr;  // the first country of the currency in stream order
  double StartDate = 0.0;                    // the earliest first month of its countries
  std::vector<double> UnitsPerUsd;           // every month
  std::vector<double> ShortRate;             // percent, every month
  std::vector<double> Strength;              // log value against a basket of developed currencies
  std::vector<double> Cash, Spot;            // stored monthly values
  std::vector<double> DailyCash, DailySpot;  // stored daily values
};

std::vector<TCurrencyPath> CurrencyPaths(std::uint64_t seed, const std::vector<double>& monthEnds, std::size_t days,
                                         const TGlobalPaths& g) {
  std::vector<TCurrencyPath> paths;
  for (const TCountryProfile* country : ByStream()) {
    const TCountryProfile& c = *country;
    const auto known =
        std::find_if(paths.begin(), paths.end(), [&](const TCurrencyPath& p) { return p.Currency == c.Currency; });
    if (known == paths.end()) {
      paths.push_back({c.Currency, &c, StartDateOf(c), {}, {}, {}, {}, {}, {}, {}});
      continue;
    }
    const TCountryProfile& first = *known->Profile;
    if (first.ReverseQuote != c.ReverseQuote || first.FxStart != c.FxStart || first.RateLevel != c.RateLevel ||
        first.InflationLevel != c.InflationLevel || first.Developed != c.Developed)
      throw std::logic_error("Countries of one currency disagree on its profile");
    known->StartDate = std::min(known->StartDate, StartDateOf(c));
  }

  const std::size_t months = monthEnds.size();
  for (std::size_t ordinal = 0; ordinal < paths.size(); ++ordinal) {
    TCurrencyPath& path = paths[ordinal];
    const TCountryProfile& c = *path.Profile;
    const std::string& code = path.Currency;
    const bool usd = code == "USD";

    // Exchange rate: trends that change now and then; a narrow band for the
    // pegged currency, a low volatility for the managed one.
    TSampleRng fxRng = StreamRng(seed, sFx, ordinal);
    const bool pegged = code == "HKD";
    const bool managed = code == "CNY";
    const double vol = usd ? 0.0 : (pegged ? 0.0005 : (managed ? 0.006 : (c.Developed ? 0.025 : 0.035)));
    const double drift = (c.InflationLevel - 2.5) / 1200.0;
    double logRate = std::log(c.FxStart);
    double trend = 0.0;
    for (std::size_t t = 0; t < months; ++t) {
      if (fxRng.Uniform() < 0.04) trend = (fxRng.Uniform() < 0.5 ? -1.0 : 1.0) * 0.005;
      if (t > 0) logRate += (pegged || usd ? 0.0 : drift + trend) + vol * fxRng.Normal();
      if (pegged) logRate = std::log(7.8) + Clamp(logRate - std::log(7.8), -0.005, 0.005);
      path.UnitsPerUsd.push_back(usd ? 1.0 : std::exp(logRate));
    }

    // Short rate: mean-reverting, lower in bear markets, with a floor.
    TSampleRng rateRng = StreamRng(seed, sCurrencyRate, ordinal);
    const double rateFloor = c.RateLevel < 2.0 ? -0.75 : 0.0;
    double shortRate = c.RateLevel + 0.5 * rateRng.Normal();
    for (std::size_t t = 0; t < months; ++t) {
      const double target = g.Bull[t] ? c.RateLevel : c.RateLevel - 1.5;
      shortRate =
          std::max(rateFloor, shortRate + 0.05 * (target - shortRate) + 0.12 * rateRng.Normal() + g.RateShock[t]);
      path.ShortRate.push_back(shortRate);
    }

    // Cash accrues last month's short rate; both series open at the currency's start.
    double cash = 100.0;
    bool started = false;
    for (std::size_t t = 0; t < months; ++t) {
      if (monthEnds[t] < path.StartDate) {
        path.Cash.push_back(kNoValue);
        path.Spot.push_back(kNoValue);
        continue;
      }
      if (started) cash *= 1.0 + path.ShortRate[t - 1] / 1200.0;
      started = true;
      const double fx = path.UnitsPerUsd[t];
      path.Cash.push_back(Round6(cash));
      path.Spot.push_back(Round6(c.ReverseQuote ? 1.0 / fx : fx));
    }

    // Daily: cash accrues the last short rate each business day; the spot
    // rate moves on from its last monthly value (the US dollar stays at 1).
    TSampleRng dayRng = StreamRng(seed, sCurrencyDaily, ordinal);
    double dailyCash = path.Cash.back(), dailySpot = path.Spot.back();
    const double dailyRate = path.ShortRate.back() / 26000.0;
    for (std::size_t j = 0; j < days; ++j) {
      const double shock = dayRng.Normal();
      if (dailyCash != kNoValue) dailyCash = Round6(dailyCash * (1.0 + dailyRate));
      if (dailySpot != kNoValue && !usd) dailySpot = Round6(dailySpot * std::exp(0.005 * shock));
      path.DailyCash.push_back(dailyCash);
      path.DailySpot.push_back(dailySpot);
    }
  }

  // Strength of each currency against an equal-weight basket of the freely
  // floating developed currencies (the US dollar's is the basket's price in
  // dollars): it drives the "FX Rate" rule.
  std::vector<double> basket(months, 0.0);
  int members = 0;
  for (const TCurrencyPath& p : paths) {
    if (!p.Profile->Developed || p.Currency == "USD" || p.Currency == "HKD") continue;
    ++members;
    for (std::size_t t = 0; t < months; ++t) basket[t] += std::log(p.UnitsPerUsd[t]);
  }
  for (double& b : basket) b /= static_cast<double>(std::max(members, 1));
  for (TCurrencyPath& p : paths) {
    for (std::size_t t = 0; t < months; ++t) p.Strength.push_back(basket[t] - std::log(p.UnitsPerUsd[t]));
  }
  return paths;
}

using TValues = std::array<std::vector<double>, kSampleAssetCount>;

// Monthly values of one country (display place `place`).
TValues CountryMonthly(std::uint64_t seed, int place, int region, const std::vector<double>& monthEnds,
                       const TGlobalPaths& g, const TCurrencyPath& currency) {
  const TCountryProfile& profile = kCountries[static_cast<std::size_t>(place)];
  const std::size_t n = monthEnds.size();
  const std::size_t r = static_cast<std::size_t>(region);
  TSampleRng rng = StreamRng(seed, sCountry, static_cast<std::uint64_t>(profile.Stream));
  TValues v;
  for (auto& series : v) series.assign(n, kNoValue);
  // Shared by every country of the currency, on every date.
  v[aCash] = currency.Cash;
  v[aSpotFx] = currency.Spot;

  const double startDate = StartDateOf(profile);
  const double ilbStart = profile.IlbStartYear > 0 ? platform::EncodeDate(profile.IlbStartYear, 1, 1) : 1e9;
  const double beta = (profile.Developed ? 0.9 : 1.15) + 0.2 * rng.Uniform();
  const double idio = profile.Developed ? 0.025 : 0.05;
  const double equityDrift = 0.001 + 0.003 * rng.Uniform();

  double equity = 100.0 * (1.0 + 4.0 * rng.Uniform());
  double termPremium = 1.2;
  double inflation = profile.InflationLevel;
  double bond10 = 100.0, bond2 = 100.0;
  double ilb1 = 100.0, ilb2 = 100.0;
  int qvState = 1;
  int rule2 = 1;
  // The 0/1 rules RULE1, RULE3 .. RULE7.
  int quadrants = 1, valuation = 1, wealth = 1, fxRule = 1, trade = 1, commodity = 1;
  std::vector<double> equityPath;
  bool started = false, ilbStarted = false;
  double prevYield = 0.0, prevShort = 0.0, prevReal = 0.0;

  for (std::size_t t = 0; t < n; ++t) {
    // The draws run for every month, so a later start does not shift them.
    const double eqShock = rng.Normal(), tpShock = rng.Normal(), inflShock = rng.Normal();
    const double qvDraw = rng.Uniform(), qvPick = rng.Uniform();
    const double ruleDraw = rng.Uniform(), rulePick = rng.Uniform();

    const double shortRate = currency.ShortRate[t];
    termPremium += 0.06 * (1.2 - termPremium) + 0.15 * tpShock;
    const double yield10 = std::max(-0.5, shortRate + termPremium);
    inflation += 0.08 * (profile.InflationLevel - inflation) + 0.25 * inflShock;
    if (qvDraw < 0.1) qvState = qvPick < (g.Bull[t] ? 0.75 : 0.25) ? 1 : 0;
    if (ruleDraw > 0.9) rule2 = 1 + (rule2 - 1 + (rulePick < 0.5 ? 1 : 2)) % 3;

    if (monthEnds[t] < startDate) continue;
    const double logReturn = beta * g.Market[t] + g.Region[t][r] + idio * eqShock + equityDrift;
    if (started) {
      equity *= std::exp(logReturn);
      const double y2 = shortRate + 0.35 * (yield10 - shortRate);
      const double py2 = prevShort + 0.35 * (prevYield - prevShort);
      bond10 *= std::max(0.5, 1.0 + prevYield / 1200.0 - 7.5 * (yield10 - prevYield) / 100.0);
      bond2 *= std::max(0.5, 1.0 + py2 / 1200.0 - 1.9 * (y2 - py2) / 100.0);
    }
    const double realYield = yield10 - inflation;
    if (monthEnds[t] >= ilbStart) {
      if (ilbStarted) {
        ilb2 *= std::max(0.5, 1.0 + (prevReal + inflation) / 1200.0 - 8.0 * (realYield - prevReal) / 100.0);
        ilb1 *= std::max(0.5, 1.0 + (prevReal + inflation) / 1200.0 - 4.5 * (realYield - prevReal) / 100.0);
      }
      ilbStarted = true;
      v[aIlb1][t] = Round6(ilb1);
      v[aIlb2][t] = Round6(ilb2);
    }
    started = true;
    prevYield = yield10;
    prevShort = shortRate;
    prevReal = realYield;

    const double gold = g.GoldUsd[t] * currency.UnitsPerUsd[t];
    equityPath.push_back(equity);
    const std::size_t k = equityPath.size();

    v[a10YRate][t] = Round6(yield10);
    v[aGold][t] = Round6(gold);
    v[aEquity][t] = Round6(equity);
    v[aBond10Y][t] = Round6(bond10);
    v[aBond2Y][t] = Round6(bond2);
    // Trend signal: the index above its ten-month average.
    v[aBLSignal][t] = equity >= Mean(equityPath, WindowStart(k - 1, 10), k - 1) ? 1.0 : 0.0;
    v[aQVSignal][t] = qvState;

    // Rules. Four quadrants: growth (the market regime) against inflation
    // (above or below its long-run level); favourable when growth leads.
    quadrants = Regime(quadrants, (g.Bull[t] ? 0.5 : -0.5) + (profile.InflationLevel - inflation), 0.25);
    // World USD base (RULE2): states 1, 2, 3 in runs, drawn above for every month.
    // Valuation: the index below its five-year average (cheap).
    valuation = Regime(valuation, std::log(Mean(equityPath, WindowStart(k - 1, 60), k - 1) / equity), 0.05);
    // Wealth effect: the index up over twelve months.
    wealth = Regime(wealth, std::log(equity / equityPath[WindowStart(k - 1, 13)]), 0.05);
    // FX rate: the currency stronger than its twelve-month average against the basket.
    fxRule = Regime(fxRule, currency.Strength[t] - Mean(currency.Strength, WindowStart(t, 12), t), 0.01);
    // World trade: world and regional equity up over six months.
    double sixMonths = 0.0;
    for (std::size_t i = WindowStart(t, 6); i <= t; ++i) sixMonths += g.Market[i] + g.Region[i][r];
    trade = Regime(trade, sixMonths, 0.03);
    // Commodity price: gold in US dollars above its twelve-month average.
    commodity = Regime(commodity, std::log(g.GoldUsd[t] / Mean(g.GoldUsd, WindowStart(t, 12), t)), 0.03);

    v[aRule1][t] = quadrants;
    v[aRule2][t] = rule2;
    v[aRule3][t] = valuation;
    v[aRule4][t] = wealth;
    v[aRule5][t] = fxRule;
    v[aRule6][t] = trade;
    v[aRule7][t] = commodity;
  }
  return v;
}

// Daily volatility of a price-like asset; 0 keeps the last monthly value.
double DailyVolatility(int asset) {
  switch (asset) {
    case aEquity:
      return 0.012;
    case aGold:
      return 0.01;
    case aBond10Y:
      return 0.004;
    case aBond2Y:
      return 0.001;
    case aIlb1:
      return 0.002;
    case aIlb2:
      return 0.003;
    default:
      return 0.0;
  }
}

// Daily values of one country: each series goes on from its last monthly
// value; signals, rules and prices without value keep their last value; cash
// and spot are the currency's.
TValues CountryDaily(std::uint64_t seed, int place, const TValues& monthly, const TCurrencyPath& currency,
                     std::size_t days) {
  const TCountryProfile& profile = kCountries[static_cast<std::size_t>(place)];
  TSampleRng rng = StreamRng(seed, sCountryDaily, static_cast<std::uint64_t>(profile.Stream));
  TValues v;
  for (int a = 0; a < kSampleAssetCount; ++a) {
    const auto& m = monthly[static_cast<std::size_t>(a)];
    double value = m.empty() ? kNoValue : m.back();
    auto& d = v[static_cast<std::size_t>(a)];
    for (std::size_t j = 0; j < days; ++j) {
      const double shock = rng.Normal();
      if (value != kNoValue) {
        if (a == a10YRate) {
          value = Round6(value + 0.03 * shock);
        } else if (const double vol = DailyVolatility(a); vol > 0.0) {
          value = Round6(value * std::exp(vol * shock));
        }
      }
      d.push_back(value);
    }
  }
  v[aCash] = currency.DailyCash;
  v[aSpotFx] = currency.DailySpot;
  return v;
}

void ClearAll(TSqliteDb& db) {
  db.Exec(
      "DELETE FROM LOGIN_LIST; DELETE FROM USER_LIST; DELETE FROM STATISTIC_LIST; DELETE FROM COUNTRY_LIST; "
      "DELETE FROM ASSET_LIST; DELETE FROM PORTFOLIO_TEMPLATE_LIST; DELETE FROM PORTFOLIO_TEMPLATE_DATA; "
      "DELETE FROM DATA; DELETE FROM DATA_BIS;");
}

void InsertRows(TSqliteDb& db, const char* table, const std::vector<double>& dates,
                const std::vector<TValues>& values) {
  TSqliteStmt insert(db,
                     std::string("INSERT INTO ") + table + "(COUNTRYNAME, ASSETID, DATE, VALUE) VALUES(?1,?2,?3,?4)");
  const auto& assets = SampleAssets();
  for (std::size_t t = 0; t < dates.size(); ++t) {
    for (std::size_t c = 0; c < kCountries.size(); ++c) {
      for (std::size_t a = 0; a < assets.size(); ++a) {
        insert.Bind(1, std::string(kCountries[c].Name)).Bind(2, std::string(assets[a].ID));
        insert.Bind(3, dates[t]).Bind(4, values[c][a][t]);
        insert.Step();
        insert.Reset();
      }
    }
  }
}

}  // namespace

TSampleRng::TSampleRng(std::uint64_t seed) {
  for (std::uint64_t& s : State_) s = SplitMix64(seed);
}

std::uint64_t TSampleRng::Next() {
  const std::uint64_t result = Rotl(State_[1] * 5, 7) * 9;
  const std::uint64_t t = State_[1] << 17;
  State_[2] ^= State_[0];
  State_[3] ^= State_[1];
  State_[1] ^= State_[2];
  State_[0] ^= State_[3];
  State_[2] ^= t;
  State_[3] = Rotl(State_[3], 45);
  return result;
}

double TSampleRng::Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

double TSampleRng::Normal() {
  // u1 in (0, 1] keeps the logarithm finite.
  const double u1 = 1.0 - Uniform();
  const double u2 = Uniform();
  return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
}

TSampleCalendar SampleCalendar(double today) {
  const platform::CivilDate now = platform::DecodeDate(today);
  TSampleCalendar calendar;
  for (int year = 1990; year <= now.Year; ++year) {
    for (int month = 1; month <= 12; ++month) {
      if (year == now.Year && month >= now.Month) break;
      calendar.MonthEnds.push_back(platform::EncodeDate(year, month, platform::DaysInMonth(year, month)));
    }
  }
  for (int day = 1; day <= now.Day; ++day) {
    const double date = platform::EncodeDate(now.Year, now.Month, day);
    const int weekday = platform::DayOfWeek(date);  // 1 Sunday .. 7 Saturday
    if (weekday != 1 && weekday != 7) calendar.BusinessDays.push_back(date);
  }
  return calendar;
}

const std::vector<TSampleAsset>& SampleAssets() {
  // The rule titles in list order (ascending ID) are the item groups of
  // the equity macro page after its first, the macro signal.
  static const std::vector<TSampleAsset> assets{
      {"10YRATEINDEX", "10Y Rate", "INDEX"},
      {"AUINDEX", "Gold", "INDEX"},
      {"BLSIGNAL", "Behavioral Signal", "SIGNAL"},
      {"CASH", "1M Cash", "RISK FREE ASSET"},
      {"EQINDEX", "Equity Index", "INDEX"},
      {"IBINDEX1", "Inflation Linked Bonds 1-10Y", "INDEX"},
      {"IBINDEX2", "Inflation Linked Bonds", "INDEX"},
      {"QVSIGNAL", "Macro Signal", "SIGNAL"},
      {"RISKFREEASSET1", "10Y Gov Bond", "RISK FREE ASSET"},
      {"RISKFREEASSET2", "2Y Gov Bond", "RISK FREE ASSET"},
      {"RULE1", "Four Quadrants", "RULE"},
      {"RULE2", "World USD Base", "RULE"},
      {"RULE3", "Valuation", "RULE"},
      {"RULE4", "Wealth Effect", "RULE"},
      {"RULE5", "FX Rate", "RULE"},
      {"RULE6", "World Trade", "RULE"},
      {"RULE7", "Commodity Price", "RULE"},
      {"SPOTFX", "Spot FX", "SPOT FX"},
  };
  return assets;
}

std::vector<std::string> SampleCountryNames() {
  std::vector<std::string> names;
  for (const TCountryProfile& c : kCountries) names.emplace_back(c.Name);
  return names;
}

void WriteSampleData(TServerStore& store, const TSampleDataOptions& options) {
  const double today = options.Today > 0.0 ? options.Today : platform::Today();
  const TSampleCalendar calendar = SampleCalendar(today);
  if (calendar.MonthEnds.empty()) throw std::runtime_error("Sample data need a date after January 1990");
  const std::size_t months = calendar.MonthEnds.size();
  const TGlobalPaths global = GlobalPaths(options.Seed, months);
  const std::vector<TCurrencyPath> currencies =
      CurrencyPaths(options.Seed, calendar.MonthEnds, calendar.BusinessDays.size(), global);

  const std::vector<TPlacement> placements = Placements();
  std::vector<TValues> monthly, daily;
  for (int place = 0; place < static_cast<int>(kCountries.size()); ++place) {
    const std::string currency = kCountries[static_cast<std::size_t>(place)].Currency;
    const auto path = std::find_if(currencies.begin(), currencies.end(),
                                   [&](const TCurrencyPath& p) { return p.Currency == currency; });
    monthly.push_back(CountryMonthly(options.Seed, place, placements[static_cast<std::size_t>(place)].Region,
                                     calendar.MonthEnds, global, *path));
    daily.push_back(CountryDaily(options.Seed, place, monthly.back(), *path, calendar.BusinessDays.size()));
  }
  const std::string passwordHash = HashPassword(kSamplePassword, options.HashLimits);
  const double estimationDate = [&] {
    const platform::CivilDate now = platform::DecodeDate(today);
    return platform::EncodeDate(now.Year, now.Month, platform::DaysInMonth(now.Year, now.Month));
  }();

  store.Write([&](TSqliteDb& db) {
    ClearAll(db);
    TSqliteStmt country(db,
                        "INSERT INTO COUNTRY_LIST(NAME, REGIONNAME, CURRENCY, INDEXNAME, INDEXTICKER, RANK, "
                        "REGIONRANK, ISDEVELOPPED, REVERSEQUOTE, ESTIMATIONDATE, ESTIMATEDSIGNAL) "
                        "VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11)");
    for (std::size_t p = 0; p < kCountries.size(); ++p) {
      const TCountryProfile& c = kCountries[p];
      const int region = placements[p].Region;
      const double lastSignal = monthly[p][aQVSignal].back();
      country.Bind(1, std::string(c.Name)).Bind(2, strRegionNameList[static_cast<std::size_t>(region)]);
      country.Bind(3, std::string(c.Currency)).Bind(4, IndexName(c)).Bind(5, IndexTicker(c));
      country.Bind(6, placements[p].Rank)
          .Bind(7, region + 1)
          .Bind(8, c.Developed ? 1 : 0)
          .Bind(9, c.ReverseQuote ? 1 : 0);
      country.Bind(10, estimationDate).Bind(11, lastSignal == kNoValue ? 0.0 : lastSignal);
      country.Step();
      country.Reset();
    }
    TSqliteStmt asset(db, "INSERT INTO ASSET_LIST(ID, TITLE, TYPE) VALUES(?1,?2,?3)");
    for (const TSampleAsset& a : SampleAssets()) {
      asset.Bind(1, std::string(a.ID)).Bind(2, std::string(a.Title)).Bind(3, std::string(a.Type)).Step();
      asset.Reset();
    }
    const std::vector<std::pair<std::string, std::vector<double>>> templates{
        {"BALANCED", {0.3, 0.25, 0.2, 0.15, 0.1}},
        {"CONCENTRATED", {0.5, 0.3, 0.2}},
        {"EQUALWEIGHT", std::vector<double>(10, 0.1)}};
    TSqliteStmt templateRow(db, "INSERT INTO PORTFOLIO_TEMPLATE_LIST(ID) VALUES(?1)");
    TSqliteStmt weightRow(db, "INSERT INTO PORTFOLIO_TEMPLATE_DATA(PORTFOLIOID, RANK, WEIGHT) VALUES(?1,?2,?3)");
    for (const auto& [id, weights] : templates) {
      templateRow.Bind(1, id).Step();
      templateRow.Reset();
      for (std::size_t r = 0; r < weights.size(); ++r) {
        weightRow.Bind(1, id).Bind(2, static_cast<int>(r + 1)).Bind(3, weights[r]).Step();
        weightRow.Reset();
      }
    }
    TSqliteStmt login(db,
                      "INSERT INTO LOGIN_LIST(USERID, PASSWORD, STARTDATETOUPDATE, AUTHORIZEUPDATE) "
                      "VALUES(?1,?2,?3,1)");
    login.Bind(1, std::string(kSampleUserId)).Bind(2, passwordHash).Bind(3, kMissingDate).Step();
    TSqliteStmt user(db, "INSERT INTO USER_LIST(USERID, FIRSTNAME, LASTNAME) VALUES(?1,'Demo','User')");
    user.Bind(1, std::string(kSampleUserId)).Step();
    TSqliteStmt statistic(db, "INSERT INTO STATISTIC_LIST(USERID, COUNTEROFUSE, LASTDATEOFUSE) VALUES(?1,0,?2)");
    statistic.Bind(1, std::string(kSampleUserId)).Bind(2, kMissingDate).Step();

    InsertRows(db, "DATA", calendar.MonthEnds, monthly);
    // The daily table holds one snapshot: the latest business day of the
    // month, so that its earliest and latest rows are one and the same.
    if (!calendar.BusinessDays.empty()) {
      std::vector<TValues> latest(daily.size());
      for (std::size_t c = 0; c < daily.size(); ++c)
        for (std::size_t a = 0; a < daily[c].size(); ++a) latest[c][a] = {daily[c][a].back()};
      InsertRows(db, "DATA_BIS", {calendar.BusinessDays.back()}, latest);
    }
  });
}

}  // namespace qvserver
